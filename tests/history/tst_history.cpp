// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// The history download, offscreen, with the counter-unit simulator on a pseudo-terminal as COM1
// and the log file in a temporary folder: first the exchange without a window (line handling and
// conversion, whole downloads, the debug capture, the append to the log), then what the download
// window adds, opened through its entry point over a stand-in main window with a real log pane.

#include "acquisition/serialport.h"
#include "common/failure.h"
#include "common/notifier.h"
#include "countersimulator.h"
#include "history/downloadhistorydialog.h"
#include "history/historydownload.h"
#include "logfile/logfolder.h"
#include "testsupport.h"
#include "widgets/logpaneview.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using namespace orvel;
using namespace orvel::test;

namespace {

/// What the pane shows for the simulator's default history.
QString defaultHistoryText()
{
    return HistoryDownload::HeaderText + QStringLiteral("MIN\r\n"
                                                        "1200\t300\r\n"
                                                        "400\t500\r\n"
                                                        "104300\t19700\r\n"
                                                        "\r\n"
                                                        "ALARMS\r\n");
}

QString shown(QString text)
{
    return text.remove(u'\r');
}

const QString EarlierPaneText = QStringLiteral("Small\tLarge\tDate/Time\n1200\t300\t07:50\n");

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_unit = std::make_unique<CounterSimulator>();
        QVERIFY2(m_unit->open(), qPrintable(m_unit->errorString()));
        m_logFolder = std::make_unique<LogFolder>([this] { return m_dir->path(); });
        m_logPath = QDir(m_logFolder->path()).filePath("OrveaLog.txt");
        m_notifier.messages.clear();

        m_mainWindow = std::make_unique<QWidget>();
        m_mainWindow->setWindowTitle("Orvel Logger");
        auto *layout = new QVBoxLayout(m_mainWindow.get());
        m_mainPane = new LogPaneView(m_mainWindow.get());
        layout->addWidget(m_mainPane);
        m_mainPane->appendLogText(EarlierPaneText);
        m_mainWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_mainWindow.get()));
    }

    void cleanup()
    {
        m_mainWindow.reset();
        m_unit.reset();
        m_logFolder.reset();
        m_dir.reset();
    }

    void turnsLinesIntoPaneText_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("ended");
        QTest::addColumn<int>("records");
        const struct
        {
            const char *row;
            QString answer, expected;
            bool ended;
            int records;
        } rows[] = {
            {"lines before MIN dropped, line cut at MIN",
             "D\r\nCOUNTER UNIT\r\n12,3\r\nINTERVAL 1 MIN\r\n4,5\r\n", "MIN\r\n400\t500\r\n", false,
             1},
            {"lower-case min opens", "min\r\n1,2\r\n", "min\r\n100\t200\r\n", false, 1},
            {"end inside a word, any case", "MIN\r\n1,2\r\nWeekEnd totals\r\n3,4\r\n",
             "MIN\r\n100\t200\r\n", true, 1},
            {"END before MIN is just dropped", "END\r\nMIN\r\n1,2\r\n", "MIN\r\n100\t200\r\n",
             false, 1},
            {"no number before the comma: unchanged", "MIN\r\nabc,5\r\n", "MIN\r\nabc,5\r\n", false,
             0},
            {"NO DATA dropped in any case", "MIN\r\nNo Data\r\nALARMS\r\nNO DATA here\r\n",
             "MIN\r\nALARMS\r\n", false, 0},
            {"spaces and fractions", "MIN\r\n 12 , 3 \r\n12.5,3\r\n13.5,3\r\n",
             "MIN\r\n1200\t300\r\n1200\t300\r\n1400\t300\r\n", false, 3},
            {"nothing after END", "MIN\r\nEND\r\n1,2\r\nMORE\r\n", "MIN\r\n", true, 0},
            {"partial last line waits", "MIN\r\n1,2\r\n3,4", "MIN\r\n100\t200\r\n", false, 1},
        };
        for (const auto &r : rows)
            QTest::newRow(r.row) << r.answer << r.expected << r.ended << r.records;
    }

    void turnsLinesIntoPaneText()
    {
        QFETCH(QString, answer);
        QFETCH(QString, expected);
        QFETCH(bool, ended);
        QFETCH(int, records);

        auto download = makeDownload();
        QSignalSpy endedSpy(download.get(), &HistoryDownload::ended);
        download->processReceived(answer);
        QCOMPARE(download->text(), expected);
        QCOMPARE(download->state() == HistoryDownload::State::Ended, ended);
        QCOMPARE(endedSpy.size(), ended ? 1 : 0);
        QCOMPARE(download->recordCount(), records);
        QVERIFY(m_notifier.messages.isEmpty());
    }

    /// The reasons a record cannot be converted are tst_receivedlines'; here: the report names the
    /// record and the lines after it are still taken.
    void badRecordIsReportedAndTheDownloadGoesOn()
    {
        auto download = makeDownload();
        download->processReceived("MIN\r\n1,2\r\n5,abc\r\n3,4\r\nEND\r\n");
        QCOMPARE(download->text(), QStringLiteral("MIN\r\n100\t200\r\n300\t400\r\n"));
        QCOMPARE(download->state(), HistoryDownload::State::Ended);
        QCOMPARE(m_notifier.messages.size(), 1);
        const QString message = m_notifier.messages.first();
        QVERIFY2(message.startsWith("Error evaluating the following text:\n\n5,abc\n\n") &&
                     message.contains("not a number"),
                 qPrintable(message));
    }

    void downloadsTheWholeHistory_data()
    {
        QTest::addColumn<int>("pieceSize");
        QTest::newRow("one burst") << 0;
        QTest::newRow("one character a read") << 1;
    }

    void downloadsTheWholeHistory()
    {
        QFETCH(int, pieceSize);
        auto download = makeDownload();
        QSignalSpy endedSpy(download.get(), &HistoryDownload::ended);
        if (pieceSize == 0) {
            download->StartDownload();
        } else {
            m_unit->setAnswersHistory(false);
            download->StartDownload();
            QTRY_COMPARE(m_unit->received(), QByteArray("D\r"));
            const QByteArray answer = m_unit->historyAnswer();
            qint64 sent = 0;
            for (qsizetype at = 0; at < answer.size(); at += pieceSize) {
                const QByteArray piece = answer.mid(at, pieceSize);
                m_unit->sendRaw(piece);
                sent += piece.size();
                // Each piece is taken in before the next goes out, so they arrive as separate
                // reads.
                QTRY_COMPARE(download->charactersReceived(), sent);
            }
        }

        if (endedSpy.isEmpty())
            QVERIFY(endedSpy.wait(5000));
        QCOMPARE(endedSpy.size(), 1);
        QCOMPARE(download->text(), defaultHistoryText());
        QCOMPARE(download->recordCount(), 3);
        QCOMPARE(download->state(), HistoryDownload::State::Ended);
        QVERIFY(!download->serialPort().PortOpen());
        QCOMPARE(m_unit->received(), QByteArray("D\r"));
        QVERIFY(m_notifier.messages.isEmpty());
        // No capture outside debug mode.
        QVERIFY(!QFile::exists(QDir(m_logFolder->path()).filePath("~DebugHistory.txt")));
    }

    void debugCaptureHoldsTheLastAnswerOnly()
    {
        auto download = makeDownload();
        download->setIsDebug(true);
        QSignalSpy endedSpy(download.get(), &HistoryDownload::ended);
        const QString capturePath = QDir(m_logFolder->path()).filePath("~DebugHistory.txt");

        m_unit->setHistoryRecords({{12, 3}, {4, 5}, {1043, 197}, {8, 9}});
        download->StartDownload();
        QVERIFY(download->isCapturing());
        QCOMPARE(download->debugCapturePath(), capturePath);
        QVERIFY(endedSpy.wait(5000));
        QVERIFY(!download->isCapturing());
        QCOMPARE(fileBytes(capturePath), m_unit->historyAnswer());

        // The second download forgets the first one's "MIN" line: the lines before its own are
        // dropped.
        m_unit->setHistoryRecords({});
        download->StartDownload();
        QVERIFY(endedSpy.wait(5000));
        const QByteArray second = m_unit->historyAnswer();
        QVERIFY(second.contains("NO DATA\r\n\r\nALARMS"));
        QCOMPARE(fileBytes(capturePath), second);
        QCOMPARE(download->text(), HistoryDownload::HeaderText + "MIN\r\n\r\nALARMS\r\n");
    }

    void startThatFailsLeavesNothingOpen_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("named");
        QTest::newRow("no device") << "no device" << int(SerialPort::NoSuchPort) << "COM2";
        QTest::newRow("held by another port")
            << "held" << int(SerialPort::PortAlreadyOpen) << "COM1";
        QTest::newRow("capture cannot be created") << "capture" << 75 << "~DebugHistory.txt";
    }

    void startThatFailsLeavesNothingOpen()
    {
        QFETCH(QString, cause);
        QFETCH(int, number);
        QFETCH(QString, named);
        auto download = makeDownload();
        SerialPort holder(test::portMapWith({{1, m_unit->devicePath()}}));
        if (cause == "held") {
            holder.setCommPort(1);
            holder.setPortOpen(true);
        } else if (cause == "capture") {
            download->setIsDebug(true);
            // A folder where the capture file should be.
            QVERIFY(QDir(m_logFolder->path()).mkdir("~DebugHistory.txt"));
        } else {
            download->setCommPort(2);
        }
        try {
            download->StartDownload();
            QFAIL("the start should have failed");
        } catch (const Failure &failure) {
            QCOMPARE(failure.number(), number);
            QVERIFY2(failure.description().contains(named), qPrintable(failure.description()));
        }
        QCOMPARE(download->state(), HistoryDownload::State::Idle);
        QCOMPARE(download->text(), HistoryDownload::HeaderText);
        QVERIFY(!download->serialPort().PortOpen());
        QVERIFY(!download->isCapturing());
        QVERIFY(m_unit->received().isEmpty());
    }

    void silentUnitIsNoticedAndTheDownloadKeepsWaiting()
    {
        m_unit->setAnswersHistory(false);
        auto download = makeDownload();
        download->setNoAnswerTimeout(100);
        QSignalSpy endedSpy(download.get(), &HistoryDownload::ended);
        download->StartDownload();
        QVERIFY(!download->unitSilent());
        QTRY_VERIFY(download->unitSilent());
        QCOMPARE(download->state(), HistoryDownload::State::Requested);
        QVERIFY(download->serialPort().PortOpen());

        // The answer still counts when it comes late.
        m_unit->sendRaw(m_unit->historyAnswer());
        QVERIFY(endedSpy.wait(5000));
        QVERIFY(!download->unitSilent());
        QCOMPARE(download->text(), defaultHistoryText());
    }

    void closeBeforeTheEndReleasesThePort()
    {
        m_unit->setAnswersHistory(false);
        auto download = makeDownload();
        download->setIsDebug(true);
        download->StartDownload();
        QTRY_COMPARE(m_unit->received(), QByteArray("D\r"));
        m_unit->sendRaw("D\r\nINTERVAL 1 MIN\r\n1,2\r\n");
        QTRY_COMPARE(download->recordCount(), 1);

        download->close();
        QCOMPARE(download->state(), HistoryDownload::State::Interrupted);
        QVERIFY(!download->serialPort().PortOpen());
        QVERIFY(!download->isCapturing());
        SerialPort other(test::portMapWith({{1, m_unit->devicePath()}}));
        other.setCommPort(1);
        other.setPortOpen(true);
        QVERIFY(other.PortOpen());
        QCOMPARE(fileBytes(QDir(m_logFolder->path()).filePath("~DebugHistory.txt")),
                 QByteArray("D\r\nINTERVAL 1 MIN\r\n1,2\r\n"));
        download->close();
    }

    void lostPortStopsTheDownload()
    {
        m_unit->setAnswersHistory(false);
        auto download = makeDownload();
        download->StartDownload();
        QTRY_COMPARE(m_unit->received(), QByteArray("D\r"));
        m_unit->hangUp();
        QTRY_COMPARE(download->state(), HistoryDownload::State::Interrupted);
        QVERIFY(!download->serialPort().PortOpen());
        QCOMPARE(m_notifier.messages.size(), 1);
        QVERIFY2(m_notifier.messages.first().contains("stopped"),
                 qPrintable(m_notifier.messages.first()));
    }

    void appendsToTheLogFile_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("exists");
        QTest::newRow("existing log")
            << QByteArray("Small\tLarge\tDate/Time\r\n1\t2\t3\r\n") << true;
        QTest::newRow("empty log") << QByteArray() << true;
        QTest::newRow("missing log") << QByteArray() << false;
    }

    void appendsToTheLogFile()
    {
        QFETCH(QByteArray, before);
        QFETCH(bool, exists);
        const QString path = m_dir->filePath("log.txt");
        if (exists)
            QVERIFY(writeFile(path, before));
        HistoryDownload::appendToLogFile(path, defaultHistoryText());
        QCOMPARE(fileBytes(path), before + defaultHistoryText().toUtf8());
    }

    void appendThatFailsLeavesNoFile_data()
    {
        QTest::addColumn<QString>("relativePath");
        QTest::newRow("folder missing") << "missing/log.txt";
        QTest::newRow("path is a folder") << "folder";
    }

    void appendThatFailsLeavesNoFile()
    {
        QFETCH(QString, relativePath);
        QVERIFY(QDir(m_dir->path()).mkdir("folder"));
        const QString path = m_dir->filePath(relativePath);
        try {
            HistoryDownload::appendToLogFile(path, defaultHistoryText());
            QFAIL("the append should have failed");
        } catch (const Failure &failure) {
            QVERIFY2(failure.description().contains(path), qPrintable(failure.description()));
        }
        QVERIFY(!QFileInfo(path).isFile());
    }

    void opensModalAndAppendsTheCompleteHistory()
    {
        const QByteArray logBefore("Small\tLarge\tDate/Time\r\n1200\t300\t07:50\r\n");
        QVERIFY(writeFile(m_logPath, logBefore));
        // The reader's caret further up the main pane.
        m_mainPane->setCaretPosition(0);

        QPointer<DownloadHistoryDialog> dialog = open(context());
        QVERIFY(dialog);
        QSignalSpy finished(dialog.data(), &QDialog::finished);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Download History"));
        QCOMPARE(dialog->windowModality(), Qt::WindowModal);
        QCOMPARE(dialog->parentWidget(), m_mainWindow.get());
        QCOMPARE(QApplication::activeModalWidget(), dialog.data());
        QVERIFY(!dialog->AppendToLog()->isEnabled());

        QTRY_VERIFY(dialog->AppendToLog()->isEnabled());
        QCOMPARE(dialog->RichTextBox()->toPlainText(), shown(defaultHistoryText()));
        QCOMPARE(dialog->statusLabel()->text(),
                 QStringLiteral("History complete. Records received: 3"));

        QTest::mouseClick(dialog->AppendToLog(), Qt::LeftButton);
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), int(QDialog::Accepted));
        QCOMPARE(fileBytes(m_logPath), logBefore + defaultHistoryText().toUtf8());
        QCOMPARE(m_mainPane->toPlainText(), EarlierPaneText + shown(defaultHistoryText()));
        QVERIFY(m_mainPane->caretAtEnd());
        QVERIFY(m_notifier.messages.isEmpty());
    }

    void closingWritesNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel button") << "cancel";
        QTest::newRow("close box") << "close";
        QTest::newRow("Escape key") << "escape";
    }

    /// Closed while the history arrives: the port is closed at once, nothing reaches the log.
    void closingWritesNothing()
    {
        QFETCH(QString, how);
        QPointer<DownloadHistoryDialog> dialog = openAndWaitForTheRequest(context());
        QVERIFY(dialog);
        m_unit->sendRaw("D\r\nINTERVAL 1 MIN\r\n12,3\r\n");
        QTRY_COMPARE(dialog->statusLabel()->text(),
                     QStringLiteral("Receiving the history. Records received so far: 1"));

        bool portOpenAtClose = true;
        connect(dialog.data(), &QDialog::finished, this,
                [&] { portOpenAtClose = dialog->download().serialPort().PortOpen(); });
        if (how == "cancel")
            QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
        else if (how == "close")
            dialog->close();
        else
            QTest::keyClick(dialog.data(), Qt::Key_Escape);
        QTRY_VERIFY(dialog.isNull());

        QVERIFY(!portOpenAtClose);
        QVERIFY(!QFile::exists(m_logPath));
        QCOMPARE(m_mainPane->toPlainText(), EarlierPaneText);
        QVERIFY(m_notifier.messages.isEmpty());
    }

    void errorBoxCarriesTheWindowCaption()
    {
        DownloadHistoryDialog::Context setup = context();
        setup.notifier = nullptr;
        QPointer<DownloadHistoryDialog> dialog = openAndWaitForTheRequest(setup);
        QVERIFY(dialog);
        m_unit->sendRaw("MIN\r\n5,abc\r\n3,4\r\nEND\r\n");
        // The box does not hold the download up: the lines after the bad one arrive with it open.
        QTRY_VERIFY(dialog->AppendToLog()->isEnabled());
        const QList<QMessageBox *> boxes = dialog->findChildren<QMessageBox *>();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first()->windowTitle(), QStringLiteral("Download History"));
        QCOMPARE(boxes.first()->icon(), QMessageBox::Warning);
        QVERIFY(boxes.first()->text().startsWith("Error evaluating the following text:"));
    }

    void silentUnitShowsTheNotAnsweredNote()
    {
        m_unit->setAnswersHistory(false);
        QPointer<DownloadHistoryDialog> dialog = open(context());
        QVERIFY(dialog);
        dialog->download().setNoAnswerTimeout(100);
        QTRY_VERIFY2(dialog->statusLabel()->text().contains("has not answered yet"),
                     qPrintable(dialog->statusLabel()->text()));
        QVERIFY(dialog->statusLabel()->text().contains("COM1"));
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->AppendToLog()->isEnabled());
        QVERIFY(m_notifier.messages.isEmpty());

        // A late answer is still taken.
        m_unit->sendRaw(m_unit->historyAnswer());
        QTRY_VERIFY(dialog->AppendToLog()->isEnabled());
        QVERIFY(!dialog->statusLabel()->text().contains("has not answered yet"));
    }

    void failureIsReportedAndTheWindowStays_data()
    {
        QTest::addColumn<bool>("portLost");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("status");
        QTest::newRow("port that fails to open")
            << false << "COM3"
            << "The download could not start. Check the port and try again.";
        QTest::newRow("port lost during the download")
            << true << "stopped"
            << "The download stopped before the end of the history. Records received: 0";
    }

    /// A port that cannot be opened, or is lost while the history arrives: reported, the window
    /// stays open with the append disabled, and its status line says what happened.
    void failureIsReportedAndTheWindowStays()
    {
        QFETCH(bool, portLost);
        QFETCH(QString, message);
        QFETCH(QString, status);
        DownloadHistoryDialog::Context setup = context();
        if (!portLost)
            setup.portNumber = 3;
        QPointer<DownloadHistoryDialog> dialog =
            portLost ? openAndWaitForTheRequest(setup) : open(setup);
        QVERIFY(dialog);
        if (portLost)
            m_unit->hangUp();
        QTRY_COMPARE(m_notifier.messages.size(), 1);
        QVERIFY2(m_notifier.messages.first().contains(message),
                 qPrintable(m_notifier.messages.first()));
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->AppendToLog()->isEnabled());
        QCOMPARE(dialog->statusLabel()->text(), status);
    }

    void appendThatFailsKeepsTheWindowOpen()
    {
        DownloadHistoryDialog::Context setup = context();
        setup.logPath = m_dir->filePath("missing/OrveaLog.txt");
        QPointer<DownloadHistoryDialog> dialog = open(setup);
        QVERIFY(dialog);
        QTRY_VERIFY(dialog->AppendToLog()->isEnabled());
        QTest::mouseClick(dialog->AppendToLog(), Qt::LeftButton);

        QCOMPARE(m_notifier.messages.size(), 1);
        QVERIFY2(m_notifier.messages.first().contains(setup.logPath),
                 qPrintable(m_notifier.messages.first()));
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->AppendToLog()->isEnabled());
        QCOMPARE(m_mainPane->toPlainText(), EarlierPaneText);

        // Fixing the cause and trying again works.
        dialog->setLogPath(m_logPath);
        QTest::mouseClick(dialog->AppendToLog(), Qt::LeftButton);
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(fileBytes(m_logPath), defaultHistoryText().toUtf8());
    }

    void noPortSelectedOpensNoWindow()
    {
        DownloadHistoryDialog::Context setup = context();
        setup.portNumber = 0;
        QCOMPARE(DownloadHistoryDialog::openModal(setup), nullptr);
        QCOMPARE(m_notifier.messages, QStringList{"Please select a COM port first."});
        QVERIFY(m_mainWindow->findChildren<DownloadHistoryDialog *>().isEmpty());
        QVERIFY(m_unit->received().isEmpty());
    }

    void showingAgainNeitherRestartsNorDisablesAppend()
    {
        QPointer<DownloadHistoryDialog> dialog = open(context());
        QVERIFY(dialog);
        QTRY_VERIFY(dialog->AppendToLog()->isEnabled());
        dialog->hide();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.data()));
        QVERIFY(!dialog->DownloadStartTimer().isActive());
        QVERIFY(dialog->AppendToLog()->isEnabled());
        QCOMPARE(m_unit->received(), QByteArray("D\r"));
        QCOMPARE(dialog->RichTextBox()->toPlainText(), shown(defaultHistoryText()));
    }

private:
    std::unique_ptr<HistoryDownload> makeDownload()
    {
        auto download = std::make_unique<HistoryDownload>(
            test::portMapWith({{1, m_unit->devicePath()}}), m_notifier);
        download->setCommPort(1);
        download->setLogFolder(m_logFolder.get());
        return download;
    }

    DownloadHistoryDialog::Context context()
    {
        return {.parent = m_mainWindow.get(),
                .portNumber = 1,
                .portMap = test::portMapWith({{1, m_unit->devicePath()}}),
                .logPath = m_logPath,
                .logFolder = m_logFolder.get(),
                .mainPane = m_mainPane,
                .notifier = &m_notifier};
    }

    /// Opens the window and waits until it is on screen.
    DownloadHistoryDialog *open(const DownloadHistoryDialog::Context &context)
    {
        DownloadHistoryDialog *dialog = DownloadHistoryDialog::openModal(context);
        return dialog && QTest::qWaitForWindowExposed(dialog) ? dialog : nullptr;
    }

    /// Opens the window over a unit that does not answer by itself, and waits for the request.
    DownloadHistoryDialog *openAndWaitForTheRequest(const DownloadHistoryDialog::Context &context)
    {
        m_unit->setAnswersHistory(false);
        DownloadHistoryDialog *dialog = open(context);
        if (!dialog || !QTest::qWaitFor([this] { return m_unit->received() == "D\r"; }))
            return nullptr;
        return dialog;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CounterSimulator> m_unit;
    std::unique_ptr<LogFolder> m_logFolder;
    /// Its deletion deletes any window a test leaves open.
    std::unique_ptr<QWidget> m_mainWindow;
    LogPaneView *m_mainPane = nullptr;
    RecordingNotifier m_notifier;
    QString m_logPath;
};

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
