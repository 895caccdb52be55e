// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// The history exchange without a window: line handling and conversion, then whole downloads from
// the counter-unit simulator on a pseudo-terminal, the debug capture and the append to the log.

#include "acquisition/serialport.h"
#include "common/failure.h"
#include "common/notifier.h"
#include "countersimulator.h"
#include "history/historydownload.h"
#include "historytestdata.h"
#include "logfile/logfolder.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace orvel;
using namespace orvel::test;

class TestHistoryDownload : public QObject
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
        m_notifier.messages.clear();
    }

    void cleanup()
    {
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
        if (exists) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(before);
        }
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

private:
    std::unique_ptr<HistoryDownload> makeDownload()
    {
        auto download = std::make_unique<HistoryDownload>(
            test::portMapWith({{1, m_unit->devicePath()}}), m_notifier);
        download->setCommPort(1);
        download->setLogFolder(m_logFolder.get());
        return download;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CounterSimulator> m_unit;
    std::unique_ptr<LogFolder> m_logFolder;
    RecordingNotifier m_notifier;
};

QTEST_GUILESS_MAIN(TestHistoryDownload)
#include "tst_historydownload.moc"
