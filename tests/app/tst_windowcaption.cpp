// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// What the window system shows, on a virtual X server that the test starts for itself: the captions
// (the X11 name properties of the real windows, read with xprop) and the status bar's indicator
// (the screen's pixels); and the installed program ending cleanly when told to.

#include "shell/applicationidentity.h"
#include "shell/mainwindow.h"
#include "shell/recordingcontroller.h"
#include "shell/statuspanels.h"
#include "shellfixture.h"
#include "widgets/keyedtoolbar.h"
#include "widgets/messageboxnotifier.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

using namespace orvel;

namespace {

/// Both name properties of an X window, as xprop prints them.
QString windowNames(const QWidget *window)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(window->winId()), QStringLiteral("-notype"),
                 QStringLiteral("_NET_WM_NAME"), QStringLiteral("WM_NAME")});
    QSignalSpy finished(&xprop, &QProcess::finished);
    if (!finished.wait(10000))
        return QStringLiteral("<xprop did not finish>");
    return QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
}

/// The pixels the screen shows where `widget` is.
QImage onScreen(const QWidget *widget)
{
    const QPoint at = widget->mapToGlobal(QPoint(0, 0));
    return widget->screen()
        ->grabWindow(0, at.x(), at.y(), widget->width(), widget->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

/// The indicator panel as it should look showing `frame`: the frame centred on the background.
QImage panelShowing(const QWidget *panel, const QPixmap &frame)
{
    QImage image(panel->size(), QImage::Format_RGB32);
    image.fill(panel->palette().color(QPalette::Window));
    QPainter painter(&image);
    painter.drawPixmap(
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, frame.size(), panel->rect()), frame);
    return image;
}

} // namespace

class TestWindowCaption : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The main window idle and recording, and a message box (a notice, which its sender then
    // takes away).
    void captions_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::newRow("idle") << u"Orvel Logger"_qs;
        QTest::newRow("recording") << u"Orvel Logger (recording)"_qs;
        QTest::newRow("notice") << u"Orvel Logger"_qs;
    }

    void captions()
    {
        QFETCH(QString, caption);
        const QByteArray situation = QTest::currentDataTag();
        test::ShellFixture fixture;
        QVERIFY(fixture.unitOpened);
        MainWindow window(fixture.environment());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QWidget *shown = &window;
        MessageBoxNotifier boxes(&window);
        if (situation == "recording")
            window.logToolbar()->button(QStringLiteral("Record"))->trigger();
        if (situation == "notice") {
            boxes.showNotice(QStringLiteral("Lost"), QStringLiteral("The unit went away."));
            const QList<QMessageBox *> open = window.findChildren<QMessageBox *>();
            QCOMPARE(open.size(), 1);
            shown = open.first();
            QVERIFY(QTest::qWaitForWindowExposed(shown));
        }
        QTRY_COMPARE(windowNames(shown),
                     QStringLiteral("_NET_WM_NAME = \"%1\"\nWM_NAME = \"%1\"").arg(caption));
        if (situation == "notice") {
            // A second dismissal finds nothing to do.
            const QPointer<QWidget> box = shown;
            boxes.dismissNotice(QStringLiteral("Lost"));
            QTRY_VERIFY(!box || !box->isVisible());
            boxes.dismissNotice(QStringLiteral("Lost"));
        }
        window.close();
    }

    // The indicator's frames reach the screen, one after the other, and go when the recording
    // stops.
    void indicatorOnScreen()
    {
        test::ShellFixture fixture;
        QVERIFY(fixture.unitOpened);
        MainWindow window(fixture.environment());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QAction *record = window.logToolbar()->button(QStringLiteral("Record"));
        record->trigger();
        StatusPanels &panels = window.statusPanels();
        const QLabel *panel = panels.panel(QStringLiteral("Animations"));
        QVERIFY(panel->isVisible());
        panels.ProgressAnimationTimer().stop(); // the test moves the frames on itself
        const QList<QPixmap> frames = StatusPanels::progressFrames();
        for (int tick = 0; tick < 3; ++tick) {
            panels.ProgressAnimationTimer_Timer();
            const int shown = panels.shownFrame();
            QTRY_COMPARE(onScreen(panel), panelShowing(panel, frames[shown - 1]));
        }
        record->trigger();
        QVERIFY(panel->isHidden());
        QWidget *message = panels.panel(QStringLiteral("Message"));
        QTRY_COMPARE(onScreen(message),
                     message->grab().toImage().convertToFormat(QImage::Format_RGB32));
        window.close();
    }

    // The installed program itself: started offscreen with a home of its own, then ended the way
    // a logout or `kill` ends it.
    void terminationClosesCleanly()
    {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DOCUMENTS_DIR"),
                           home.filePath(QStringLiteral("Documents")));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

        QProcess logger;
        logger.setProcessEnvironment(environment);
        logger.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        logger.start(QStringLiteral(ORVEL_LOGGER_PROGRAM), {});
        QVERIFY(logger.waitForStarted(10000));
        // The log folder appears while the window loads, after the signals are caught.
        const QString logFolder = home.filePath(QStringLiteral("Documents/Orvel Logs"));
        QTRY_VERIFY_WITH_TIMEOUT(QDir(logFolder).exists(), 20000);

        logger.terminate();
        QVERIFY(logger.waitForFinished(20000));
        QCOMPARE(logger.exitStatus(), QProcess::NormalExit);
        QCOMPARE(logger.exitCode(), 0);
        // Closing saved the preferences.
        QVERIFY(QFile::exists(
            home.filePath(QStringLiteral("config/Orvel/registry/HKEY_CURRENT_USER.reg"))));
    }
};

int main(int argc, char *argv[])
{
    // A virtual X server of our own on a free display: it writes the number it took to the pipe
    // once it accepts connections.
    int ready[2];
    if (::pipe(ready) != 0)
        return 2;
    const pid_t server = ::fork();
    if (server == 0) {
        ::close(ready[0]);
        const QByteArray fd = QByteArray::number(ready[1]);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.constData(), "-screen", "0", "1400x900x24",
                 "-nolisten", "tcp", static_cast<char *>(nullptr));
        std::perror("tst_windowcaption: Xvfb");
        ::_exit(127);
    }
    ::close(ready[1]);
    QByteArray display;
    char c = 0;
    while (::read(ready[0], &c, 1) == 1 && c != '\n')
        display += c;
    ::close(ready[0]);
    if (display.isEmpty()) {
        std::fprintf(stderr, "tst_windowcaption: Xvfb did not start (install it: xvfb)\n");
        return 1;
    }
    qputenv("DISPLAY", ":" + display);
    qputenv("QT_QPA_PLATFORM", "xcb");

    int result = 0;
    {
        QApplication app(argc, argv);
        ApplicationIdentity::apply();
        TestWindowCaption test;
        result = QTest::qExec(&test, argc, argv);
    }
    ::kill(server, SIGTERM);
    ::waitpid(server, nullptr, 0);
    return result;
}

#include "tst_windowcaption.moc"
