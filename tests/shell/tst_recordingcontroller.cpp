// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// The recording shell driven as a user would: key presses on the real main window, the simulator
// as COM1, scripted answers to the questions.

#include "acquisition/demosamplesource.h"
#include "acquisition/serialport.h"
#include "charting/chartdatamodel.h"
#include "charting/charttoolbar.h"
#include "charting/sampleprocessor.h"
#include "history/downloadhistorydialog.h"
#include "mqtt/mqttsettings.h"
#include "recording/recordingsession.h"
#include "settings/regobject.h"
#include "shell/mainwindow.h"
#include "shell/recordingcontroller.h"
#include "shell/statuspanels.h"
#include "shellfixture.h"
#include "testbroker.h"
#include "testsubscriber.h"
#include "widgets/keyedtoolbar.h"
#include "widgets/logpaneview.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QWindow>

using namespace orvel;

namespace {

void pressCtrl(QWidget *target, Qt::Key key, Qt::KeyboardModifiers extra = {})
{
    QTest::keyClick(target, key, Qt::ControlModifier | extra);
}

} // namespace

class TestRecordingController : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        // The window uses the fixture's folder, clock and seams: it goes first.
        m_window.reset();
        m_fixture = std::make_unique<test::ShellFixture>();
        QVERIFY2(m_fixture->unitOpened, qPrintable(m_fixture->unit->errorString()));
        openWindow(m_fixture->environment());
    }

    void cleanup()
    {
        m_window.reset();
        m_fixture.reset();
    }

    void ctrlSRecordsFromTheUnitAndStops()
    {
        // Whatever has the focus, the shortcut reaches the window.
        window().LogFileTextBox()->setFocus();
        pressCtrl(window().LogFileTextBox(), Qt::Key_S);
        QVERIFY(window().controller().IsRecording());
        QCOMPARE(window().windowTitle(), QStringLiteral("Orvel Logger (recording)"));
        QCOMPARE(image("Record"), QStringLiteral("PauseRecording"));
        QCOMPARE(button("Record")->toolTip(), QStringLiteral("Stop recording (Ctl+S)"));
        QCOMPARE(message(), QStringLiteral("Waiting for data"));
        QVERIFY(!window().ComPortComboBox()->isEnabled());
        QVERIFY(!button("DownloadHistory")->isEnabled());

        m_fixture->unit->sendRaw("12,3\r\n13,2\r\n");
        QTRY_COMPARE(window().processor().SampleCount(), 2);
        QCOMPARE(message(), QStringLiteral("Logging"));
        // The latest counts are shown in full, however many digits they grow to.
        m_fixture->unit->sendRaw("21474836,7\r\n");
        QTRY_COMPARE(window().processor().SampleCount(), 3);
        for (const auto &[label, text] : {std::pair{window().SmallCountLabel(), "21474836"},
                                          {window().LargeCountLabel(), "7"}}) {
            QCOMPARE(label->text(), QString::fromLatin1(text));
            QTRY_VERIFY(label->isVisible() &&
                        label->width() >= label->fontMetrics().horizontalAdvance(label->text()));
        }
        // And in a larger font: the layout is asked for the larger label's room.
        QLabel *small = window().SmallCountLabel();
        QFont larger = small->font();
        larger.setPointSizeF(larger.pointSizeF() * 2);
        small->setFont(larger);
        QTRY_COMPARE(small->parentWidget()->sizeHint(), small->sizeHint());
        QTRY_VERIFY(small->width() >= small->fontMetrics().horizontalAdvance(small->text()));

        pressCtrl(window().LogRichTextBox(), Qt::Key_S);
        QVERIFY(!window().controller().IsRecording());
        QCOMPARE(window().windowTitle(), QStringLiteral("Orvel Logger"));
        QCOMPARE(image("Record"), QStringLiteral("Record"));
        QCOMPARE(button("Record")->toolTip(), QStringLiteral("Record (Ctl+S)"));
        QVERIFY(message().isEmpty());
        QVERIFY(!window().statusPanels().panel(QStringLiteral("Animations"))->isVisible());
        QVERIFY(!window().serialPort().PortOpen());
        QVERIFY(m_fixture->notifier.messages.isEmpty());
    }

    void demonstrationQuestionAndCtrlMWhileRecording()
    {
        m_fixture->prompter.answers = {QMessageBox::Ok};
        pressCtrl(window().LogRichTextBox(), Qt::Key_M);
        QCOMPARE(m_fixture->prompter.titles.value(0), QStringLiteral("Demontration Mode"));
        QCOMPARE(
            m_fixture->prompter.texts.value(0),
            QStringLiteral("Demontration will start.  Simulated random samples will be received "
                           "every 6 seconds."));
        QVERIFY(window().controller().IsDemo());
        QVERIFY(!window().serialPort().PortOpen());

        // Ctrl+M while recording does nothing; Ctrl+S stops the demonstration.
        pressCtrl(window().LogRichTextBox(), Qt::Key_M);
        QCOMPARE(m_fixture->prompter.texts.size(), 1);
        QVERIFY(window().controller().IsRecording());
        pressCtrl(window().LogRichTextBox(), Qt::Key_S);
        QVERIFY(!window().controller().IsDemo());
        QVERIFY(!window().demoSource().SampleTimer().isActive());
    }

    void debugModeCapturesRawBytes()
    {
        pressCtrl(window().LogRichTextBox(), Qt::Key_D, Qt::AltModifier);
        QVERIFY(window().controller().DebugMode());
        QCOMPARE(m_fixture->prompter.titles.value(0), QStringLiteral("Debug Mode"));
        QVERIFY(m_fixture->prompter.texts.value(0).startsWith(QStringLiteral(
            "Debug mode has been turned ON.  The files '~DebugLog.txt' and "
            "'~DebugHistory.txt', containing the exact output from the connected unit "
            "will be written to your Orvel Logs folder.")));
        QVERIFY(m_fixture->prompter.texts.value(0).endsWith(
            QStringLiteral("To turn debug mode OFF, press Ctl+Alt+D again.")));

        pressCtrl(window().LogRichTextBox(), Qt::Key_S);
        const QByteArray raw("12,3\r\nnoise\x01\xff\r\n1");
        m_fixture->unit->sendRaw(raw);
        QTRY_COMPARE(window().processor().SampleCount(), 1);
        QTRY_COMPARE(m_fixture->notifier.messages.size(), 1);
        // Debug mode cannot change while recording.
        pressCtrl(window().LogRichTextBox(), Qt::Key_D, Qt::AltModifier);
        QCOMPARE(m_fixture->prompter.texts.size(), 1);
        pressCtrl(window().LogRichTextBox(), Qt::Key_S);

        const QString capture = m_fixture->dir.filePath(QStringLiteral("Orvel Logs/~DebugLog.txt"));
        QCOMPARE(test::fileBytes(capture), raw);

        pressCtrl(window().LogRichTextBox(), Qt::Key_D, Qt::AltModifier);
        QVERIFY(!window().controller().DebugMode());
        QCOMPARE(
            m_fixture->prompter.texts.value(1),
            QStringLiteral("Debug mode has been turned OFF.  Debug files will not be logged."));
    }

    void deleteLogQuestion_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::newRow("OK deletes and records") << QMessageBox::Ok;
        QTest::newRow("Cancel keeps everything") << QMessageBox::Cancel;
    }

    void deleteLogQuestion()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QVERIFY(test::writeFile(m_fixture->logPath(), "old data\r\n"));
        window().LogRichTextBox()->appendLogText(QStringLiteral("old data\r\n"));
        window().controller().RefreshControlStates();
        QVERIFY(window().DeleteLogCheckBox()->isEnabled());
        window().DeleteLogCheckBox()->setChecked(true);

        m_fixture->prompter.answers = {answer};
        pressCtrl(window().LogRichTextBox(), Qt::Key_S);
        QCOMPARE(m_fixture->prompter.titles.value(0), QStringLiteral("Delete Log"));
        QCOMPARE(
            m_fixture->prompter.texts.value(0),
            QStringLiteral("Please confirm log file deletion.  All data saved in this log will "
                           "be lost."));
        if (answer == QMessageBox::Ok) {
            QVERIFY(window().controller().IsRecording());
            QVERIFY(window().LogRichTextBox()->toPlainText().isEmpty());
            QCOMPARE(m_fixture->logBytes(), QByteArray());
            QVERIFY(!window().DeleteLogCheckBox()->isChecked());
        } else {
            QVERIFY(!window().controller().IsRecording());
            QCOMPARE(m_fixture->logBytes(), QByteArray("old data\r\n"));
            QCOMPARE(window().LogRichTextBox()->toPlainText(), QStringLiteral("old data\n"));
            QVERIFY(window().DeleteLogCheckBox()->isChecked());
        }
    }

    void questionsWaitWithoutHoldingUpTheWindow()
    {
        // The desktop's own message boxes: the question returns at once, the answer continues.
        ShellEnvironment environment = m_fixture->environment();
        environment.prompter = nullptr;
        openWindow(environment);
        window().DeleteLogCheckBox()->setEnabled(true);
        window().DeleteLogCheckBox()->setChecked(true);
        window().controller().LogToolbar_ButtonClick(QStringLiteral("Record"));
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QStringLiteral("Delete Log"));
        QVERIFY(!window().controller().IsRecording());
        box->button(QMessageBox::Ok)->click();
        QVERIFY(window().controller().IsRecording());
        QCOMPARE(window().windowTitle(), QStringLiteral("Orvel Logger (recording)"));
        window().controller().LogToolbar_ButtonClick(QStringLiteral("Record"));
        QVERIFY(!window().controller().IsRecording());
    }

    void readingsReachTheBroker()
    {
        // A broker set in the settings: each reading the window logs is published.
        TestBroker broker;
        QVERIFY(broker.start());
        m_window.reset();
        RegObject store(m_fixture->dir.filePath(QStringLiteral("config")));
        store.RegWrite(RegObject::CurrentUser, MqttSettings::Key, QStringLiteral("Broker"),
                       broker.url(), RegObject::RegSz);
        store.RegWrite(RegObject::CurrentUser, MqttSettings::Key, QStringLiteral("Topic"),
                       QStringLiteral("lab/counter"), RegObject::RegSz);
        TestSubscriber subscriber(broker.port());
        QVERIFY(subscriber.isSubscribed());
        openWindow(m_fixture->environment());
        QVERIFY(window().publisher());
        window().controller().LogToolbar_ButtonClick(QStringLiteral("Record"));
        m_fixture->unit->sendRaw("12,3\r\n13,2\r\n");
        QTRY_COMPARE(subscriber.payloads(QStringLiteral("lab/counter/state")).size(), 2);
        // The counts as logged, the time with its offset from UTC.
        const QByteArray expected =
            "{\"sample\": 2, \"small\": 1300, \"large\": 200, \"time\": \"2026-12-05T07:50:20";
        const QByteArray second = subscriber.payloads(QStringLiteral("lab/counter/state")).at(1);
        QVERIFY2(second.startsWith(expected), second.constData());
        QCOMPARE(subscriber.payloads(QStringLiteral("lab/counter/status")).value(0), "online");
        window().close();
        QTRY_COMPARE(subscriber.payloads(QStringLiteral("lab/counter/status")).value(1), "offline");
        QVERIFY(m_fixture->notifier.messages.isEmpty());
    }

    void portCheck()
    {
        // A machine without any serial port: the list is empty.
        openWindow(m_fixture->environment(false));
        QCOMPARE(window().ComPortComboBox()->count(), 0);
        pressCtrl(window().LogRichTextBox(), Qt::Key_S);
        QVERIFY(!window().controller().IsRecording());
        QCOMPARE(window().windowTitle(), QStringLiteral("Orvel Logger"));
        QCOMPARE(m_fixture->notifier.messages, QStringList{"Please select a COM port first."});
        QVERIFY(message().isEmpty());
    }

    void stopLimitWarning_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::newRow("OK stops after the next sample") << QMessageBox::Ok;
        QTest::newRow("Cancel restores the choice") << QMessageBox::Cancel;
    }

    void stopLimitWarning()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        pressCtrl(window().LogRichTextBox(), Qt::Key_S);
        QByteArray burst;
        for (int i = 1; i <= 12; ++i)
            burst += QByteArray::number(i) + ",1\r\n";
        m_fixture->unit->sendRaw(burst);
        QTRY_COMPARE(window().processor().SampleCount(), 12);

        m_fixture->prompter.answers = {answer};
        window().StopAfterComboBox()->setCurrentIndex(1); // 10 samples, already past
        QCOMPARE(m_fixture->prompter.titles.value(0), QStringLiteral("Change Sample Stop Limit"));
        QCOMPARE(m_fixture->prompter.texts.size(), 1);
        if (answer == QMessageBox::Ok) {
            QCOMPARE(window().processor().StopAfterLimit(), 10);
            QVERIFY(window().controller().IsRecording());
            m_fixture->unit->sendRaw("13,1\r\n");
            QTRY_VERIFY(!window().controller().IsRecording());
            QCOMPARE(window().processor().SampleCount(), 13);
        } else {
            QCOMPARE(window().StopAfterComboBox()->currentIndex(), 0);
            QCOMPARE(window().processor().StopAfterLimit(), 0);
            QVERIFY(window().controller().IsRecording());
        }
    }

    void unpluggedPortWaitsUntilStopped_data()
    {
        QTest::addColumn<bool>("closeTheWindow");
        QTest::newRow("Ctrl+S") << false;
        QTest::newRow("closing the window") << true;
    }

    void unpluggedPortWaitsUntilStopped()
    {
        pressCtrl(window().LogRichTextBox(), Qt::Key_S);
        m_fixture->unit->sendRaw("12,3\r\n");
        QTRY_COMPARE(window().processor().SampleCount(), 1);
        m_fixture->unplug();
        // The recording stays open and says what it waits for; one notice names the port.
        QTRY_VERIFY(window().session().waitingForPort());
        QVERIFY(window().controller().IsRecording());
        QCOMPARE(window().windowTitle(), QStringLiteral("Orvel Logger (recording)"));
        QCOMPARE(message(),
                 QStringLiteral("Counter unit disconnected: waiting for it to come back"));
        QVERIFY(window().ComPortComboBox()->isEnabled() == false);
        const QString notice = m_fixture->notifier.notices.value(RecordingSession::PortLostNotice);
        QVERIFY2(notice.contains(QStringLiteral("COM1")), qPrintable(notice));

        // Stopping while waiting ends it as any recording: the notice becomes a message.
        QFETCH(bool, closeTheWindow);
        if (closeTheWindow)
            window().close();
        else
            pressCtrl(window().LogRichTextBox(), Qt::Key_S);
        QVERIFY(!window().controller().IsRecording());
        QVERIFY(message().isEmpty());
        QVERIFY(m_fixture->notifier.notices.isEmpty());
        QCOMPARE(m_fixture->notifier.messages, QStringList{notice});
    }

    void downloadHistoryThroughTheWindowWhenIdle()
    {
        // Not while recording.
        pressCtrl(window().LogRichTextBox(), Qt::Key_S);
        pressCtrl(window().LogRichTextBox(), Qt::Key_D);
        QVERIFY(!window().controller().downloadWindow());
        pressCtrl(window().LogRichTextBox(), Qt::Key_S);

        m_fixture->unit->setHistoryRecords({{12, 3}, {13, 2}});
        pressCtrl(window().LogRichTextBox(), Qt::Key_D);
        DownloadHistoryDialog *dialog = window().controller().downloadWindow();
        QVERIFY(dialog);
        QVERIFY(!button("Record")->isEnabled());
        QVERIFY(!button("DownloadHistory")->isEnabled());
        QTRY_VERIFY(dialog->AppendToLog()->isEnabled());
        QTest::mouseClick(dialog->AppendToLog(), Qt::LeftButton);
        QTRY_VERIFY(!window().controller().downloadWindow());
        QVERIFY(button("Record")->isEnabled());
        QVERIFY(button("DownloadHistory")->isEnabled());
        const QByteArray log = m_fixture->logBytes();
        QVERIFY2(log.contains("1200\t300\r\n1300\t200\r\n"), log.constData());
        QVERIFY(window().LogRichTextBox()->toPlainText().contains(QStringLiteral("1300\t200\n")));
        QVERIFY(button("LoadLog")->isEnabled());
    }

    void alwaysOnTopKeepsGeometry()
    {
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        const QRect before = window().geometry();
        button("AlwaysOnTop")->trigger();
        QCOMPARE(image("AlwaysOnTop"), QStringLiteral("Checked"));
        QVERIFY(window().windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(window().isVisible());
        QCOMPARE(window().geometry(), before);
        button("AlwaysOnTop")->trigger();
        QCOMPARE(image("AlwaysOnTop"), QStringLiteral("Unchecked"));
        QVERIFY(!window().windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void testGraphData()
    {
        ChartToolbar *chartToolbar = window().chartToolbar();
        QAction *load = chartToolbar->button(QStringLiteral("LoadGraphData"));
        QAction *clear = chartToolbar->button(QStringLiteral("ClearGraphData"));
        QVERIFY(!load->isVisible());
        window().controller().ArrangeToolbars(true);
        QVERIFY(load->isVisible());
        QVERIFY(button("RecordDemo")->isVisible());
        QVERIFY(!button("Record")->isVisible());

        window().DisplayPeriodComboBox()->setCurrentIndex(3); // one hour
        load->trigger();
        QCOMPARE(window().processor().SampleCount(), 60);
        QVERIFY(window().chartModel().value(60, 1).has_value());
        QVERIFY(message().isEmpty());
        QVERIFY(!QFile::exists(m_fixture->logPath()));

        clear->trigger();
        QCOMPARE(window().processor().SampleCount(), 0);
        QVERIFY(!window().chartModel().value(1, 1).has_value());

        // Not while recording.
        m_fixture->prompter.answers = {QMessageBox::Ok};
        pressCtrl(window().LogRichTextBox(), Qt::Key_M);
        QVERIFY(window().controller().IsRecording());
        QVERIFY(!load->isEnabled());
        QVERIFY(!clear->isEnabled());
        // With the demonstration buttons shown, Record is hidden: Ctrl+S does nothing and the
        // demonstration button stops.
        pressCtrl(window().LogRichTextBox(), Qt::Key_S);
        QVERIFY(window().controller().IsRecording());
        button("RecordDemo")->trigger();
        QVERIFY(!window().controller().IsRecording());
        QVERIFY(load->isEnabled());
    }

private:
    /// Replaces the window with one on `environment`, shown and active: the shortcuts are the
    /// window's and work while it is the active window.
    void openWindow(const ShellEnvironment &environment)
    {
        m_window.reset();
        m_window = std::make_unique<MainWindow>(environment);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    MainWindow &window() { return *m_window; }
    QAction *button(const char *key) { return window().logToolbar()->button(QLatin1String(key)); }
    QString image(const char *key) { return window().logToolbar()->image(QLatin1String(key)); }
    QString message() { return window().statusPanels().text(QStringLiteral("Message")); }

    std::unique_ptr<test::ShellFixture> m_fixture;
    std::unique_ptr<MainWindow> m_window;
};

QTEST_MAIN(TestRecordingController)
#include "tst_recordingcontroller.moc"
