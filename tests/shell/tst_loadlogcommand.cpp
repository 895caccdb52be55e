// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// The LoadLog command and the Browse chooser on the real main window, with generated logs,
// scripted answers and a scripted file dialog.

#include "charting/sampleprocessor.h"
#include "logfile/logloader.h"
#include "loggenerator.h"
#include "shell/loadlogcommand.h"
#include "shell/mainwindow.h"
#include "shell/recordingcontroller.h"
#include "shell/statuspanels.h"
#include "shellfixture.h"
#include "widgets/keyedtoolbar.h"
#include "widgets/logpaneview.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace orvel;
using namespace orvel::test;

namespace {

const QStringList CommandKeys = {QStringLiteral("LoadLog"), QStringLiteral("ClearLog"),
                                 QStringLiteral("Record"), QStringLiteral("DownloadHistory")};

QString shown(const QByteArray &log)
{
    return QString::fromUtf8(log).remove(u'\r');
}

} // namespace

class TestLoadLogCommand : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        // The window uses the fixture's folder, clock and seams: it goes first.
        m_window.reset();
        m_fixture = std::make_unique<ShellFixture>();
        ShellEnvironment environment = m_fixture->environment(false);
        m_dialogCalls.clear();
        m_dialogAnswer.clear();
        environment.openFileName = [this](QWidget *, const QString &title, const QString &path,
                                          const QString &filter, const auto &chosen) {
            m_dialogCalls << title << path << filter;
            if (!m_dialogAnswer.isEmpty())
                chosen(m_dialogAnswer);
        };
        m_window = std::make_unique<MainWindow>(environment);
        m_window->show();
        m_window->activateWindow(); // its shortcuts work in the active window
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void missingFileDoesNothing()
    {
        window().LogRichTextBox()->appendLogText(QStringLiteral("earlier\r\n"));
        window().LogFileTextBox()->setText(m_fixture->dir.filePath(QStringLiteral("none.txt")));
        QVERIFY(!button("LoadLog")->isEnabled());
        window().controller().LogToolbar_ButtonClick(QStringLiteral("LoadLog"));
        QVERIFY(m_fixture->prompter.texts.isEmpty());
        QCOMPARE(window().LogRichTextBox()->toPlainText(), QStringLiteral("earlier\n"));
        QVERIFY(m_fixture->notifier.messages.isEmpty());
    }

    void graphFromTheLog_data()
    {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<int>("samples");
        QTest::addColumn<QString>("period"); // the first that holds what was kept
        QTest::addColumn<QStringList>("messages");
        const LogGenerator &l = m_log;
        QTest::newRow("two recordings: the first only")
            << l.recording(1, 5) + l.recording(6, 9) << 5 << "10 minutes (10 samples)"
            << QStringList();
        QTest::newRow("10 rows") << l.recording(1, 10) << 10 << "10 minutes (10 samples)"
                                 << QStringList();
        QTest::newRow("2881 rows")
            << l.recording(1, 2881) << 2881 << "3 days (4,320 samples)" << QStringList();
        QTest::newRow("12,000 rows")
            << l.recording(1, 12000) << 12000 << "1 week (10,080 samples)" << QStringList();
        QTest::newRow("a bad row: the rows before it")
            << l.header() + l.row(1) + l.row(2) + l.row(3) + "1200\tx300\t05/12/2026 08:00:00\r\n" +
                   l.row(5) + l.summary(5)
            << 3 << "10 minutes (10 samples)"
            << QStringList{"Line 5 of the log cannot be read: the large count \"x300\" is not a "
                           "number."};
    }

    void graphFromTheLog()
    {
        QFETCH(QByteArray, log);
        QFETCH(int, samples);
        QFETCH(QString, period);
        QFETCH(QStringList, messages);
        // Another period selected before, so the choice is the command's.
        window().DisplayPeriodComboBox()->setCurrentIndex(5);
        writeLog(log);
        QVERIFY(loadWithGraph());
        QCOMPARE(m_fixture->prompter.titles, QStringList{QStringLiteral("Load Graph Data?")});
        QCOMPARE(m_fixture->prompter.icons.value(0), QMessageBox::Question);
        QCOMPARE(
            m_fixture->prompter.texts.value(0),
            QStringLiteral(
                "When not recording, you have the option to reload the graph from log file "
                "contents.  If the log has more than one summary, graph data is only populated "
                "up to the first summary, even though all text data is loaded into the log "
                "pane.\n\nNote that the mazimum number of samples that can be graphed is 10,080."
                "  If the number of samples in the log exceeds this amount, the latest samples "
                "will be retained and the former ones rolled off.\n\nDo you want to load graph "
                "data?"));
        QCOMPARE(m_fixture->notifier.messages, messages);
        QCOMPARE(window().LogRichTextBox()->toPlainText(), shown(log));
        // What was kept is what the chart and the counter show.
        QCOMPARE(window().processor().SampleCount(), samples);
        QCOMPARE(periodText(), period);
        QCOMPARE(numSamples(), window().processor().numSamplesText());
        QCOMPARE(statusMessage(), QString());
        QVERIFY(!command().progressBar()->isVisible());
        QVERIFY(window().DisplayPeriodComboBox()->isEnabled());
        QVERIFY(window().StopAfterComboBox()->isEnabled());
        QVERIFY(button("LoadLog")->isEnabled());
    }

    void commandsWaitForTheLoad()
    {
        writeLog(m_log.recording(1, 300000));
        m_fixture->prompter.answers = {QMessageBox::Yes};
        QSignalSpy loaded(&command(), &LoadLogCommand::graphLoaded);
        window().controller().LogToolbar_ButtonClick(QStringLiteral("LoadLog"));
        // The dispatcher has refreshed the controls; the load goes on from the event loop.
        QVERIFY(command().isLoading());
        for (const QString &key : CommandKeys)
            QVERIFY2(!button(key)->isEnabled(), qPrintable(key));
        QVERIFY(!window().DisplayPeriodComboBox()->isEnabled());
        QVERIFY(!window().StopAfterComboBox()->isEnabled());
        QVERIFY(!window().findChild<QLabel *>(QStringLiteral("DisplayPeriodLabel"))->isEnabled());
        QCOMPARE(statusMessage(), QStringLiteral("Loading graph data..."));
        // Shortcuts cannot start a recording meanwhile.
        QTest::keyClick(window().LogRichTextBox(), Qt::Key_S, Qt::ControlModifier);
        QTest::keyClick(window().LogRichTextBox(), Qt::Key_M, Qt::ControlModifier);
        QVERIFY(!window().processor().IsRecording());
        QTRY_VERIFY(numSamples().startsWith(QStringLiteral("Samples received: ")));
        QVERIFY(loaded.wait(60000));
        QCOMPARE(window().processor().SampleCount(), 300000);
        QCOMPARE(statusMessage(), QString());
        for (const QString &key : CommandKeys)
            QVERIFY2(button(key)->isEnabled(), qPrintable(key));
        QVERIFY(window().DisplayPeriodComboBox()->isEnabled());
    }

    void logGrowingDuringTheLoad()
    {
        // Another logger keeps appending while this one loads: the load shows the log as it was
        // when the command ran, and neither stalls nor fails.
        const QString path = writeLog(m_log.recording(1, 100000));
        m_fixture->prompter.answers = {QMessageBox::Yes};
        QSignalSpy loaded(&command(), &LoadLogCommand::graphLoaded);
        window().controller().LogToolbar_ButtonClick(QStringLiteral("LoadLog"));
        QVERIFY(command().isLoading());
        {
            QFile growing(path);
            QVERIFY(growing.open(QIODevice::WriteOnly | QIODevice::Append));
            for (int i = 0; i < 50; ++i) {
                QVERIFY(growing.write(m_log.row(100001 + i)) > 0);
                growing.flush();
                QTest::qWait(1);
            }
        }
        QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 1, 60000);
        QCOMPARE(window().processor().SampleCount(), 100000);
        QVERIFY(m_fixture->notifier.messages.isEmpty());
        QVERIFY(!command().isLoading());
    }

    void recordingLoadsThePaneOnly()
    {
        SampleProcessor &processor = window().processor();
        processor.addLoadedSample(700, 70, frozenTime());
        processor.setIsRecording(true);
        const QByteArray log = m_log.recording(1, 20);
        writeLog(log);
        window().controller().LogToolbar_ButtonClick(QStringLiteral("LoadLog"));
        QVERIFY(m_fixture->prompter.texts.isEmpty());
        QVERIFY(!command().isLoading());
        QCOMPARE(window().LogRichTextBox()->toPlainText(), shown(log));
        QVERIFY(window().LogRichTextBox()->caretAtEnd());
        QCOMPARE(processor.SampleCount(), 1);
        QCOMPARE(processor.store().small(1), 700);
        processor.setIsRecording(false);
    }

    void answers_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<bool>("paneLoaded");
        QTest::newRow("No") << QMessageBox::No << true;
        QTest::newRow("Cancel") << QMessageBox::Cancel << false;
        QTest::newRow("box closed") << QMessageBox::NoButton << false;
    }

    void answers()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(bool, paneLoaded);
        SampleProcessor &processor = window().processor();
        processor.addLoadedSample(700, 70, frozenTime());
        window().LogRichTextBox()->appendLogText(QStringLiteral("earlier\r\n"));
        window().LogRichTextBox()->setCaretPosition(2);
        const QString periodBefore = periodText();
        const QByteArray log = m_log.recording(1, 45);
        writeLog(log);
        m_fixture->prompter.answers = {answer};
        window().controller().LogToolbar_ButtonClick(QStringLiteral("LoadLog"));
        QCOMPARE(m_fixture->prompter.texts.size(), 1);
        QVERIFY(!command().isLoading());
        QCOMPARE(window().LogRichTextBox()->toPlainText(),
                 paneLoaded ? shown(log) : QStringLiteral("earlier\n"));
        QCOMPARE(window().LogRichTextBox()->caretAtEnd(), paneLoaded);
        QCOMPARE(processor.SampleCount(), 1);
        QCOMPARE(processor.store().small(1), 700);
        QCOMPARE(periodText(), periodBefore);
        for (const QString &key : CommandKeys)
            QVERIFY2(button(key)->isEnabled(), qPrintable(key));
        QCOMPARE(statusMessage(), QString());
    }

    void browse_data()
    {
        QTest::addColumn<QString>("answer"); // empty: cancelled
        QTest::newRow("cancelled") << QString();
        QTest::newRow("a new name: nothing to load") << QStringLiteral("fresh.txt");
        QTest::newRow("a log: loaded") << QStringLiteral("loaded.txt");
    }

    void browse()
    {
        QFETCH(QString, answer);
        const QByteArray log = m_log.recording(1, 45);
        writeLog(log);
        const QString before = m_fixture->dir.filePath(QStringLiteral("other.txt"));
        window().LogFileTextBox()->setText(before);
        m_dialogAnswer = answer.isEmpty() ? QString() : m_fixture->dir.filePath(answer);
        m_fixture->prompter.answers = {QMessageBox::Yes};
        QSignalSpy loaded(&command(), &LoadLogCommand::graphLoaded);
        window().FileOpenButton()->click();
        QCOMPARE(m_dialogCalls, (QStringList{QStringLiteral("Open"), before,
                                             QStringLiteral("Text File (*.txt)")}));
        const QString chosen = answer.isEmpty() ? before : QDir::toNativeSeparators(m_dialogAnswer);
        QCOMPARE(window().LogFileTextBox()->text(), chosen);
        if (!answer.isEmpty())
            QCOMPARE(window().LogFileTextBox()->selectedText(), chosen);
        const bool loads = answer == QStringLiteral("loaded.txt");
        if (loads)
            QVERIFY(loaded.wait(30000));
        QCOMPARE(m_fixture->prompter.texts.size(), loads ? 1 : 0);
        QCOMPARE(window().LogRichTextBox()->toPlainText(), loads ? shown(log) : QString());
        QCOMPARE(button("LoadLog")->isEnabled(), loads);
    }

    void refusedWithOneMessage_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message"); // %1: the path
        QTest::newRow("unreadable") << "unreadable"
                                    << "";
        QTest::newRow("folder") << "folder"
                                << "Cannot load '%1': it is a folder, not a log file.";
        QTest::newRow("device") << "device"
                                << "Cannot load '%1': it is a device or a pipe, not a log file.";
        QTest::newRow("named pipe")
            << "pipe"
            << "Cannot load '%1': it is a device or a pipe, not a log file.";
    }

    void refusedWithOneMessage()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QString path = m_fixture->dir.filePath(kind);
        std::unique_ptr<UnprivilegedScope> scope;
        if (kind == QStringLiteral("unreadable")) {
            path = writeLog(m_log.recording(1, 3));
            QFile::setPermissions(path, QFileDevice::WriteOwner);
            // The folder stays passable, so the file is seen but cannot be read.
            QFile::setPermissions(m_fixture->dir.path(),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner | QFileDevice::ExeGroup |
                                      QFileDevice::ExeOther);
            scope = std::make_unique<UnprivilegedScope>();
            if (::geteuid() == 0)
                QSKIP("root reads every file");
        } else if (kind == QStringLiteral("folder")) {
            QVERIFY(QDir().mkpath(path));
        } else if (kind == QStringLiteral("device")) {
            path = QStringLiteral("/dev/zero");
        } else {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        }
        window().LogFileTextBox()->setText(path);
        window().LogRichTextBox()->appendLogText(QStringLiteral("earlier\r\n"));
        m_fixture->prompter.answers = {QMessageBox::No};
        window().controller().LogToolbar_ButtonClick(QStringLiteral("LoadLog"));

        // Told once, nothing read; the commands stay usable.
        QCOMPARE(m_fixture->notifier.messages.size(), 1);
        if (message.isEmpty())
            QVERIFY(m_fixture->notifier.messages.first().contains(path));
        else
            QCOMPARE(m_fixture->notifier.messages.first(), message.arg(path));
        QCOMPARE(window().LogRichTextBox()->toPlainText(), QStringLiteral("earlier\n"));
        QCOMPARE(statusMessage(), QString());
        QVERIFY(button("Record")->isEnabled());
    }

private:
    MainWindow &window() { return *m_window; }
    LoadLogCommand &command() { return *window().findChild<LoadLogCommand *>(); }
    /// Writes `content` as the log and returns its path (also put into the log file box).
    QString writeLog(const QByteArray &content)
    {
        const QString path = m_fixture->dir.filePath(QStringLiteral("loaded.txt"));
        if (!test::writeFile(path, content))
            return QString();
        window().LogFileTextBox()->setText(path);
        return path;
    }

    /// Clicks LoadLog and waits for the graph to be drawn.
    bool loadWithGraph()
    {
        m_fixture->prompter.answers = {QMessageBox::Yes};
        QSignalSpy loaded(&command(), &LoadLogCommand::graphLoaded);
        window().controller().LogToolbar_ButtonClick(QStringLiteral("LoadLog"));
        return loaded.wait(30000);
    }

    QString periodText() { return window().DisplayPeriodComboBox()->currentText(); }
    QAction *button(const QString &key) { return window().logToolbar()->button(key); }
    QString statusMessage() { return window().statusPanels().text(QStringLiteral("Message")); }
    QString numSamples() { return window().statusPanels().text(QStringLiteral("NumSamples")); }

    std::unique_ptr<ShellFixture> m_fixture;
    std::unique_ptr<MainWindow> m_window;
    LogGenerator m_log{LocaleFormats(QLocale(QStringLiteral("en_GB"))), frozenTime()};
    QStringList m_dialogCalls;
    QString m_dialogAnswer;
};

QTEST_MAIN(TestLoadLogCommand)
#include "tst_loadlogcommand.moc"
