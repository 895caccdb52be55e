// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/sampleprocessor.h"
#include "countersimulator.h"
#include "mqtt/mqttsettings.h"
#include "recorder/recorder.h"
#include "recorder/recorderoptions.h"
#include "recording/loglock.h"
#include "settings/portoverrides.h"
#include "settings/regobject.h"
#include "shell/mainwindow.h"
#include "shell/recordingcontroller.h"
#include "shellfixture.h"
#include "testbroker.h"
#include "testsubscriber.h"
#include "testsupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

#include <signal.h>

using namespace orvel;

namespace {

constexpr int Timeout = 30000;

using test::fileBytes;

// The payloads without repeats: a message published while the subscription was being made
// arrives both live and retained.
QList<QByteArray> distinct(QList<QByteArray> payloads)
{
    payloads.erase(std::unique(payloads.begin(), payloads.end()), payloads.end());
    return payloads;
}

// The rows of a log text: the lines that start with two counts and a tab.
QStringList rows(const QByteArray &text)
{
    QStringList result;
    for (const QString &line : QString::fromUtf8(text).split(QStringLiteral("\r\n")))
        if (!line.isEmpty() && line.at(0).isDigit() && line.count(u'\t') == 2)
            result.append(line);
    return result;
}

// The real orvel-recorder, with the settings store in a folder of its own.
struct RecorderProcess : QObject
{
    explicit RecorderProcess(const QString &configFolder)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configFolder);
        process.setProcessEnvironment(environment);
        connect(&process, &QProcess::readyReadStandardOutput, this,
                [this] { out += process.readAllStandardOutput().replace("\n", "\r\n"); });
        connect(&process, &QProcess::readyReadStandardError, this,
                [this] { err += process.readAllStandardError(); });
    }
    ~RecorderProcess() override
    {
        process.kill();
        process.waitForFinished();
    }
    void start(const QStringList &arguments) { process.start(ORVEL_RECORDER, arguments); }
    bool finished() const { return process.state() == QProcess::NotRunning; }
    void signal(int number) { ::kill(pid_t(process.processId()), number); }
    QProcess process;
    QByteArray out; ///< with the log's CR LF line ends
    QByteArray err;
};

} // namespace

// The command line; the real orvel-recorder on a pseudo-terminal, with a real broker; and the
// window's log and the recorder's for the same readings.
class TestRecorder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_unit = std::make_unique<CounterSimulator>();
        QVERIFY(m_dir->isValid());
        QVERIFY2(m_unit->open(), qPrintable(m_unit->errorString()));
        m_log = m_dir->filePath(QStringLiteral("log.txt"));
    }

    // The tests below run a device, COM3, --stop-after, --mqtt, --name and --download-history
    // end to end, the preferences test --demo without a port; this is the form they do not run.
    void portNumberInLowerCase()
    {
        RecorderOptions options;
        QVERIFY2(
            options.parse({"orvel-recorder", "--port=com5", "--log", "a", "--stop-after", "60"}),
            qPrintable(options.error()));
        QCOMPARE(options.port(), QStringLiteral("COM5"));
        QCOMPARE(options.portNumber(), 5);
        QCOMPARE(options.stopAfter(), 60);
    }

    void badOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        const QStringList port{"--port", "/dev/ttyUSB0"};
        const QStringList log{"--log", "a.txt"};
        QTest::newRow("nothing") << QStringList{} << "--port is missing";
        QTest::newRow("no log") << port << "--log is missing";
        QTest::newRow("COM0") << QStringList{"--port", "COM0"} + log << "absolute device path";
        // The rest with a port and a log.
        const QList<std::tuple<const char *, QStringList, const char *>> rows = {
            {"stop after word", {"--stop-after", "ten"}, "--stop-after needs a whole number"},
            {"stop after negative", {"--stop-after", "-1"}, "--stop-after needs a whole number"},
            {"broker URL", {"--mqtt", "broker.lan"}, "--mqtt: the broker address"},
            {"topic without broker", {"--mqtt-topic", "x"}, "--mqtt-topic needs --mqtt"},
            {"demo and history", {"--demo", "--download-history"}, "exclude each other"},
            {"two ports", {"--port", "COM2"}, "--port is given more than once"},
            {"stray argument", {"extra"}, "unexpected argument \"extra\""},
        };
        for (const auto &[tag, extra, error] : rows)
            QTest::newRow(tag) << port + log + extra << QString::fromLatin1(error);
    }

    void badOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        RecorderOptions options;
        QVERIFY(!options.parse(QStringList{"orvel-recorder"} + arguments));
        QVERIFY2(options.error().contains(error), qPrintable(options.error()));
    }

    void records_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("stopSignal"); // 0: --stop-after ends it
        QTest::addColumn<QString>("trouble");
        QTest::newRow("SIGTERM, a bad line") << QStringList{} << SIGTERM << "bad line";
        QTest::newRow("SIGINT, a lost port") << QStringList{} << SIGINT << "lost port";
        QTest::newRow("map's COM3, stop after 3") << QStringList{"--stop-after", "3"} << 0 << "";
    }

    void records()
    {
        QFETCH(QStringList, options);
        QFETCH(int, stopSignal);
        QFETCH(QString, trouble);
        QString port = m_unit->devicePath();
        // The unit behind a link, as in /dev/serial/by-id: it comes back as another terminal.
        const QString link = m_dir->filePath(QStringLiteral("unit"));
        if (trouble == "lost port") {
            QVERIFY(QFile::link(port, link));
            port = link;
        }
        if (QByteArray(QTest::currentDataTag()).startsWith("map's COM3")) {
            RegObject store(m_dir->path());
            QVERIFY(PortOverrides::write(store, 3, port));
            port = QStringLiteral("COM3");
        }
        RecorderProcess recorder(m_dir->path());
        recorder.start(QStringList{"--port", port, "--log", m_log} + options);
        m_unit->startStream(100, 0);
        QTRY_VERIFY_WITH_TIMEOUT(rows(recorder.out).size() >= 2, Timeout);
        if (trouble == "bad line") {
            m_unit->sendRaw("12;3\r\n");
            QTRY_VERIFY_WITH_TIMEOUT(recorder.err.contains("12;3"), Timeout);
            QTRY_VERIFY_WITH_TIMEOUT(rows(recorder.out).size() >= 4, Timeout);
        } else if (trouble == "lost port") {
            m_unit = std::make_unique<CounterSimulator>();
            QTRY_VERIFY_WITH_TIMEOUT(recorder.out.contains("went away"), Timeout);
            QVERIFY(m_unit->open() && QFile::remove(link) &&
                    QFile::link(m_unit->devicePath(), link));
            m_unit->startStream(100, 0);
            QTRY_VERIFY_WITH_TIMEOUT(recorder.out.contains("is back"), Timeout);
            const qsizetype before = rows(recorder.out).size();
            QTRY_VERIFY_WITH_TIMEOUT(rows(recorder.out).size() >= before + 2, Timeout);
        }
        if (stopSignal)
            recorder.signal(stopSignal);
        QTRY_VERIFY_WITH_TIMEOUT(recorder.finished(), Timeout);
        QCOMPARE(recorder.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(recorder.process.exitCode(), 0);

        // Standard output is the log, line for line; the summary counts every row.
        const QByteArray log = fileBytes(m_log);
        QCOMPARE(recorder.out, log);
        const QStringList logged = rows(log);
        if (!stopSignal)
            QCOMPARE(logged.size(), options.last().toInt());
        QVERIFY(log.startsWith("Small\tLarge\tDate/Time\r\n"));
        QVERIFY(
            log.contains(QStringLiteral("Number of samples : %1\r\n").arg(logged.size()).toUtf8()));
        QVERIFY(log.endsWith("------ End Summary -------\r\n\r\n"));
        QCOMPARE(recorder.err.isEmpty(), trouble.isEmpty());
    }

    void publishes_data()
    {
        QTest::addColumn<bool>("fromStore"); // and the broker up only later
        QTest::newRow("broker up, --mqtt, stop after 3") << false;
        QTest::newRow("broker up later, from the settings") << true;
    }

    void publishes()
    {
        QFETCH(bool, fromStore);
        TestBroker broker;
        std::unique_ptr<TestSubscriber> subscriber;
        QStringList options{"--port", m_unit->devicePath(), "--log", m_log};
        QString prefix = QStringLiteral("orvel/bench-unit");
        if (fromStore) {
            // As the user typed them, spaces, the topic's trailing slash and all.
            const QList<std::pair<QString, QString>> values{
                {"Broker", " " + broker.url()}, {"Topic", " lab/1/ "}, {"Name", "Bench Unit "}};
            RegObject store(m_dir->path());
            for (const auto &[name, value] : values)
                store.RegWrite(RegObject::CurrentUser, MqttSettings::Key, name, value,
                               RegObject::RegSz);
            prefix = QStringLiteral("lab/1");
        } else {
            options +=
                QStringList{"--mqtt", broker.url(), "--name", "Bench Unit", "--stop-after", "3"};
            QVERIFY2(broker.start(), qPrintable(broker.output()));
            subscriber = std::make_unique<TestSubscriber>(broker.port());
        }
        RecorderProcess recorder(m_dir->path());
        recorder.start(options);
        m_unit->startStream(100, 0);
        if (fromStore) {
            // Started between two attempts (1 s apart at first), so no reading is missed.
            QTRY_VERIFY_WITH_TIMEOUT(recorder.err.contains("cannot reach the broker"), Timeout);
            QVERIFY2(broker.start(), qPrintable(broker.output()));
            subscriber = std::make_unique<TestSubscriber>(broker.port());
        }
        QVERIFY(subscriber->isSubscribed());
        QTRY_VERIFY_WITH_TIMEOUT(subscriber->payloads(prefix + "/state").size() >= 3, Timeout);
        if (fromStore)
            recorder.signal(SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(recorder.finished(), Timeout);
        QVERIFY2(!recorder.err.contains("never reached"), recorder.err.constData());
        QCOMPARE(recorder.process.exitCode(), 0);

        // One state per logged row, in order, with the row's counts.
        const QStringList logged = rows(fileBytes(m_log));
        const QList<QByteArray> states = distinct(subscriber->payloads(prefix + "/state"));
        QCOMPARE(states.size(), logged.size());
        for (int n = 0; n < states.size(); ++n) {
            const QJsonObject state = QJsonDocument::fromJson(states.at(n)).object();
            const QStringList fields = logged.at(n).split(u'\t');
            QCOMPARE(state.value("sample").toInt(), n + 1);
            QCOMPARE(state.value("small").toInt(), fields.at(0).toInt());
            QCOMPARE(state.value("large").toInt(), fields.at(1).toInt());
        }
        QCOMPARE(distinct(subscriber->payloads(prefix + "/status")),
                 (QList<QByteArray>{"online", "offline"}));
        const QJsonObject config =
            QJsonDocument::fromJson(
                subscriber->payloads("homeassistant/sensor/orvel_bench_unit_large/config").value(0))
                .object();
        QCOMPARE(config.value("state_topic").toString(), prefix + "/state");
        QCOMPARE(config.value("device").toObject().value("model").toString(), "orvel-recorder");
    }

    void failedStartLosesNothing_data()
    {
        QTest::addColumn<QString>("port"); // "unit": the simulator's terminal
        QTest::addColumn<bool>("locked");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing port")
            << test::absentDevicePath() << false << 1 << "there is no device";
        QTest::newRow("locked log") << "unit" << true << 1 << "is being recorded by";
        QTest::newRow("bad option") << "COM17" << false << 2 << "--port takes COM1 to COM16";
    }

    void failedStartLosesNothing()
    {
        QFETCH(QString, port);
        QFETCH(bool, locked);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QByteArray old = "Small\tLarge\tDate/Time\r\n1200\t300\t5 Dec 2026 07:50:20\r\n";
        QVERIFY(test::writeFile(m_log, old));
        LogLock lock;
        QVERIFY(!locked || lock.acquire(m_log));

        RecorderProcess recorder(m_dir->path());
        if (port == "unit")
            port = m_unit->devicePath();
        recorder.start({"--port", port, "--log", m_log, "--mqtt", "mqtt://127.0.0.1:1"});
        m_unit->startStream(100, 0);
        QTRY_VERIFY_WITH_TIMEOUT(recorder.finished(), Timeout);
        QCOMPARE(recorder.process.exitCode(), exitCode);
        // One line that says why; bad options add the usage.
        const QByteArray first = recorder.err.left(recorder.err.indexOf('\n'));
        QVERIFY2(first.startsWith("orvel-recorder: ") && first.contains(message.toUtf8()),
                 recorder.err.constData());
        QCOMPARE(recorder.err.contains("Usage: "), exitCode == 2);
        QCOMPARE(fileBytes(m_log), old);
        QVERIFY(recorder.out.isEmpty());
    }

    void downloadsHistory()
    {
        RecorderProcess recorder(m_dir->path());
        recorder.start({"--port", m_unit->devicePath(), "--log", m_log, "--download-history"});
        QTRY_VERIFY_WITH_TIMEOUT(recorder.finished(), Timeout);
        QCOMPARE(recorder.process.exitCode(), 0);
        const QByteArray log = fileBytes(m_log);
        QVERIFY2(log.startsWith("----------------\r\nDownload History\r\n"), log.constData());
        QVERIFY(log.contains("1200\t300\r\n400\t500\r\n104300\t19700\r\n"));
        QCOMPARE(recorder.out, log);
    }

    // The window and orvel-recorder write the same log for the same readings: header, rows and
    // summary byte for byte, with the clock stopped and the same locale.
    void windowAndRecorderWriteTheSameBytes()
    {
        QLocale::setDefault(QLocale(QStringLiteral("en_GB")));
        test::ShellFixture fixture;
        QVERIFY2(fixture.unitOpened, qPrintable(fixture.unit->errorString()));
        // A bad line and a reading split over two writes among them.
        const QList<QByteArray> reads{"12,3\r\n13,", "2\r\nabc\r\n", "1500,30\r\n"};
        {
            MainWindow window(fixture.environment());
            window.controller().LogToolbar_ButtonClick(QStringLiteral("Record"));
            QVERIFY(window.controller().IsRecording());
            for (const QByteArray &read : reads)
                fixture.unit->sendRaw(read);
            QTRY_COMPARE(window.processor().SampleCount(), 3);
            window.controller().LogToolbar_ButtonClick(QStringLiteral("Record"));
            QVERIFY(!window.controller().IsRecording());
        }

        // The recorder writes the same file afresh.
        const QByteArray windowLog = fixture.logBytes();
        QVERIFY(QFile::remove(fixture.logPath()));
        RecorderOptions options;
        QVERIFY(options.parse(
            {"orvel-recorder", "--port", m_unit->devicePath(), "--log", fixture.logPath()}));
        // The rows go to standard output as well, and the bad line to standard error.
        Recorder recorder(options, fixture.clock, fixture.dir.filePath(QStringLiteral("config")));
        QSignalSpy finished(&recorder, &Recorder::finished);
        QVERIFY(recorder.start());
        for (const QByteArray &read : reads)
            m_unit->sendRaw(read);
        QTRY_VERIFY(fixture.logBytes().contains("150000\t3000"));
        recorder.stop();
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(fixture.logBytes(), windowLog);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CounterSimulator> m_unit;
    QString m_log;
};

QTEST_MAIN(TestRecorder)
#include "tst_recorder.moc"
