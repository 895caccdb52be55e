// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// One recording through the core alone, as the headless recorder runs it: the counter-unit
// simulator on a pseudo-terminal reached through a link in a temporary device folder, the log on
// disk, no widgets.

#include "acquisition/demosamplesource.h"
#include "acquisition/receivehandler.h"
#include "acquisition/serialport.h"
#include "charting/chartdatamodel.h"
#include "charting/sampleprocessor.h"
#include "charting/slidermodel.h"
#include "common/clock.h"
#include "common/failure.h"
#include "common/notifier.h"
#include "countersimulator.h"
#include "logfile/logwriter.h"
#include "recording/recordingsession.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace orvel;

namespace {

const QByteArray ThreeReadingsLog = "Small\tLarge\tDate/Time\r\n"
                                    "1200\t300\t05/12/2026 07:50:20\r\n"
                                    "1300\t200\t05/12/2026 07:50:20\r\n"
                                    "1500\t300\t05/12/2026 07:50:20\r\n"
                                    "\r\n"
                                    "--------------------------\r\n"
                                    "         SUMMARY\r\n"
                                    "(particles per cubic foot)\r\n"
                                    "--------------------------\r\n"
                                    "Number of samples : 3\r\n"
                                    "\r\n"
                                    "Small Particles\r\n"
                                    "---------------\r\n"
                                    " Low : 1200\r\n"
                                    " Hi  : 1500\r\n"
                                    " Avg : 1333.3\r\n"
                                    "\r\n"
                                    "Large Particles\r\n"
                                    "---------------\r\n"
                                    " Low : 200\r\n"
                                    " Hi  : 300\r\n"
                                    " Avg : 266.7\r\n"
                                    "\r\n"
                                    "------ End Summary -------\r\n"
                                    "\r\n";

int rows(const QByteArray &log)
{
    return int(log.count("\t05/12/2026"));
}

} // namespace

/// The parts a recording works with, as the window or the recorder builds them.
struct Recorder
{
    explicit Recorder(const PortMap &map, const DeviceIdentities &identities)
        : port(map)
        , receiver(&port, notifier)
        , log(notifier)
        , processor(chart, slider, log, notifier, clock, LocaleFormats(QLocale("en_GB")))
        , session({port, receiver, demo, processor, log, notifier, clock, identities})
    {}

    FixedClock clock{test::frozenTime()};
    RecordingNotifier notifier;
    SerialPort port;
    ReceiveHandler receiver;
    DemoSampleSource demo;
    ChartDataModel chart;
    SliderModel slider;
    LogWriter log;
    SampleProcessor processor;
    RecordingSession session;
};

class TestRecordingSession : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<CounterSimulator> m_unit;
    const test::OneAdapter m_identities{m_dir.filePath(QStringLiteral("dev"))};
    std::unique_ptr<Recorder> m_recorder;

    QString devicePath(QString name = "ttyUSB0") const { return m_dir.filePath("dev/" + name); }
    QString logPath() const { return m_dir.filePath(QStringLiteral("logs/OrveaLog.txt")); }
    QByteArray logBytes() const { return test::fileBytes(logPath()); }

    /// A fresh unit behind the link `name` in the device folder.
    bool plugIn(const QString &name)
    {
        m_unit = std::make_unique<CounterSimulator>();
        return m_unit->open() && QFile::link(m_unit->devicePath(), devicePath(name));
    }
    void unplug()
    {
        m_unit->hangUp();
        QFile::remove(devicePath());
    }
    RecordingSession::StartOptions options(bool deleteLog = false) const
    {
        RecordingSession::StartOptions options;
        options.portNumber = 1;
        options.portName = QStringLiteral("COM1");
        options.logPath = logPath();
        options.deleteLog = deleteLog;
        return options;
    }
    /// Sends `bytes` and waits until the recording has counted `count` samples in all.
    bool send(const QByteArray &bytes, qint32 count)
    {
        m_unit->sendRaw(bytes);
        return QTest::qWaitFor([&] { return m_recorder->processor.SampleCount() == count; });
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("dev")));
        QVERIFY(plugIn(QStringLiteral("ttyUSB0")));
        m_recorder =
            std::make_unique<Recorder>(test::portMapWith({{1, devicePath()}}), m_identities);
    }

    void cleanup()
    {
        m_recorder.reset();
        m_unit.reset();
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    // How the lines are split over reads is the receive handler's test.
    void recordsReadingsAndLeavesOutBadLines()
    {
        Recorder &r = *m_recorder;
        QSignalSpy stopped(&r.session, &RecordingSession::stopped);
        r.session.start(options());
        QCOMPARE(r.session.state(), RecordingSession::State::Recording);
        QVERIFY(send("12,3\r\nabc\r\n13,2\r\n12,x\r\n15,3\r\n", 3));
        r.session.stop();
        r.session.stop(); // once only
        QCOMPARE(stopped.size(), 1);
        QCOMPARE(logBytes(), ThreeReadingsLog);
        QCOMPARE(r.notifier.messages.size(), 2);
        QVERIFY(!r.port.PortOpen());
        QVERIFY(LogLock::holderText(logPath()).isEmpty());
    }

    void ridesThroughALostPort_data()
    {
        QTest::addColumn<QString>("returnsAs"); // empty: never comes back
        QTest::newRow("same name") << QStringLiteral("ttyUSB0");
        QTest::newRow("renumbered") << QStringLiteral("ttyUSB1");
        QTest::newRow("never comes back") << QString();
    }

    void ridesThroughALostPort()
    {
        QFETCH(QString, returnsAs);
        Recorder &r = *m_recorder;
        r.session.start(options());
        QVERIFY(send("12,3\r\n13,2\r\n1", 2)); // and the start of a line the loss cuts off
        QTRY_COMPARE(r.receiver.pendingText(), QStringLiteral("1"));
        unplug();
        QTRY_COMPARE(r.session.state(), RecordingSession::State::WaitingForPort);
        QVERIFY(r.session.isRecording());
        QVERIFY(r.log.isOpen());
        QVERIFY(r.notifier.notices.contains(RecordingSession::PortLostNotice));

        if (!returnsAs.isEmpty()) {
            QVERIFY(plugIn(returnsAs));
            QTRY_COMPARE_WITH_TIMEOUT(r.session.state(), RecordingSession::State::Recording, 3000);
            QVERIFY(r.notifier.notices.isEmpty());
            QVERIFY(send("5,3\r\n", 3)); // not "15,3": the cut-off line is gone
        } else {
            QTest::qWait(1500); // a watched folder changes only when something comes
            QCOMPARE(r.session.state(), RecordingSession::State::WaitingForPort);
        }
        r.session.stop();
        QVERIFY(r.notifier.notices.isEmpty());
        // The port map is the user's again, whatever device was followed.
        QCOMPARE(r.port.portMap().devicePath(1), devicePath());

        const QByteArray log = logBytes();
        QCOMPARE(log.count("Small\tLarge"), 1);
        QCOMPARE(log.count("SUMMARY"), 1);
        const int readings = returnsAs.isEmpty() ? 2 : 3;
        QCOMPARE(rows(log), readings);
        QVERIFY(log.contains("Number of samples : " + QByteArray::number(readings) + "\r\n"));
        QVERIFY2(log.contains("Note: 05/12/2026 07:50:20 the counter unit on COM1 (" +
                              devicePath().toUtf8() +
                              ") went away; the recording waits for it to come back.\r\n"),
                 log.constData());
        QCOMPARE(log.count("is back; the recording goes on."), returnsAs.isEmpty() ? 0 : 1);
        if (!returnsAs.isEmpty()) {
            QVERIFY(log.contains("1200\t300\t05/12/2026 07:50:20\r\n1300\t200\t05/12/2026 "
                                 "07:50:20\r\nNote: "));
            // Opening the port again, as a new recording does, dropped the "1".
            QVERIFY(log.contains("is back; the recording goes on.\r\n500\t300\t"));
        }
    }

    void lostPortStopsWhenTold()
    {
        Recorder &r = *m_recorder;
        r.session.setResumeAfterPortLoss(false);
        QSignalSpy stopped(&r.session, &RecordingSession::stopped);
        r.session.start(options());
        QVERIFY(send("12,3\r\n", 1));
        unplug();
        QTRY_COMPARE(stopped.size(), 1);
        QCOMPARE(r.notifier.messages.size(), 1);
        QVERIFY2(r.notifier.messages[0].contains(QStringLiteral("has been stopped")),
                 qPrintable(r.notifier.messages[0]));
        QCOMPARE(r.notifier.messages[0].count(QStringLiteral("COM1")), 1);
        QCOMPARE(logBytes().count("SUMMARY"), 1);
        QCOMPARE(logBytes().count("Note:"), 0);
    }

    void failedStartKeepsTheOldLog_data()
    {
        QTest::addColumn<int>("portNumber");
        QTest::addColumn<bool>("captureInAFolder");
        QTest::addColumn<bool>("secondCopyRecords");
        QTest::addColumn<QString>("message");
        QTest::newRow("no port selected")
            << 0 << false << false << QStringLiteral("Please select a COM port first.");
        QTest::newRow("port absent") << 2 << false << false << QStringLiteral("COM2");
        QTest::newRow("debug capture refused")
            << 1 << true << false << QStringLiteral("Cannot open the debug capture");
        QTest::newRow("another copy records into it")
            << 1 << false << true << QStringLiteral("is being recorded by");
    }

    void failedStartKeepsTheOldLog()
    {
        QFETCH(int, portNumber);
        QFETCH(bool, captureInAFolder);
        QFETCH(bool, secondCopyRecords);
        QFETCH(QString, message);
        QVERIFY(QDir().mkpath(QFileInfo(logPath()).path()));
        std::unique_ptr<CounterSimulator> otherUnit;
        std::unique_ptr<Recorder> first;
        if (secondCopyRecords) {
            otherUnit = std::make_unique<CounterSimulator>();
            QVERIFY(otherUnit->open());
            first = std::make_unique<Recorder>(test::portMapWith({{1, otherUnit->devicePath()}}),
                                               m_identities);
            first->session.start(options());
            otherUnit->sendRaw("40,4\r\n");
            QTRY_COMPARE(first->processor.SampleCount(), 1);
        } else {
            QVERIFY(test::writeFile(logPath(), "old rows\r\n"));
        }
        const QByteArray before = logBytes();

        RecordingSession::StartOptions start = options(true);
        start.portNumber = portNumber;
        start.debugCapturePath = captureInAFolder ? m_dir.path() : QString();
        Recorder &r = *m_recorder;
        QSignalSpy deleted(&r.session, &RecordingSession::logDeleted);
        try {
            r.session.start(start);
            QFAIL("the start succeeded");
        } catch (const Failure &failure) {
            QVERIFY2(failure.description().contains(message), qPrintable(failure.description()));
        }
        QCOMPARE(r.session.state(), RecordingSession::State::Idle);
        QVERIFY(!r.port.PortOpen());
        QVERIFY(!r.log.isOpen());
        QCOMPARE(deleted.size(), 0);
        QCOMPARE(logBytes(), before);
        if (first) {
            // The first copy goes on undisturbed into the same file.
            otherUnit->sendRaw("41,4\r\n");
            QTRY_COMPARE(first->processor.SampleCount(), 2);
            first->session.stop();
            QCOMPARE(rows(logBytes()), 2);
        }
        // Nothing is left held: the same start works once the obstacle is gone.
        start.portNumber = 1;
        start.debugCapturePath.clear();
        r.session.start(start);
        QCOMPARE(deleted.size(), 1);
        QVERIFY(send("12,3\r\n", 1));
        r.session.stop();
        QVERIFY2(logBytes().startsWith("Small\tLarge\tDate/Time\r\n1200\t300\t"),
                 logBytes().constData());
    }

    void demonstrationRecordsWithoutAPort()
    {
        Recorder &r = *m_recorder;
        RecordingSession::StartOptions start = options();
        start.demo = true;
        start.portNumber = 0;
        r.session.start(start);
        QVERIFY(r.session.isDemo());
        QVERIFY(!r.port.PortOpen());
        Q_EMIT r.demo.sampleGenerated(QStringLiteral("7,1"));
        QCOMPARE(r.processor.SampleCount(), 1);
        r.session.stop();
        QVERIFY(!r.session.isDemo());
        QCOMPARE(rows(logBytes()), 1);
    }
};

QTEST_GUILESS_MAIN(TestRecordingSession)
#include "tst_recordingsession.moc"
