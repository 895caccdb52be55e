// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "acquisition/serialport.h"
#include "common/failure.h"
#include "countersimulator.h"
#include "testsupport.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvel;

namespace {

// Opens `port` as COM1 on the simulator's terminal.
void openOn(SerialPort &port, const CounterSimulator &simulator)
{
    port.setPortMap(test::portMapWith({{1, simulator.devicePath()}}));
    port.setCommPort(1);
    port.setPortOpen(true);
}

// The failure number opening `port` raises, or 0 when it opens.
int openFailure(SerialPort &port, QString *description = nullptr)
{
    try {
        port.setPortOpen(true);
    } catch (const Failure &failure) {
        if (description)
            *description = failure.description();
        return failure.number();
    }
    return 0;
}

} // namespace

class TestSerialPort : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void opensAndCloses();
    void inputReturnsEveryByteAsOneCharacter();
    void outputReachesTheUnitUnchanged_data();
    void outputReachesTheUnitUnchanged();
    void discardingInputDropsWhatWaits();
    void receiveEventFollowsThreshold_data();
    void receiveEventFollowsThreshold();
    void closedPortRefusesInputAndOutput();
    void absentPortsAreNoSuchPort_data();
    void absentPortsAreNoSuchPort();
    void portOpenHereIsAlreadyOpen();
    void portHeldByAnotherObjectIsInUse();
    void portHeldByAnotherProcessIsInUse();
    void permissionDeniedSaysHowToFixIt();
    void permissionMessageNamesTheGroup_data();
    void permissionMessageNamesTheGroup();
    void vanishingDeviceClosesThePort();

private:
    CounterSimulator *m_simulator = nullptr;
};

void TestSerialPort::init()
{
    m_simulator = new CounterSimulator(this);
    QVERIFY2(m_simulator->open(), qPrintable(m_simulator->errorString()));
}

void TestSerialPort::cleanup()
{
    delete m_simulator;
    m_simulator = nullptr;
}

void TestSerialPort::opensAndCloses()
{
    SerialPort port;
    QVERIFY(!port.PortOpen());
    openOn(port, *m_simulator);
    QVERIFY(port.PortOpen());
    QCOMPARE(port.CommPort(), 1);
    QCOMPARE(port.devicePath(), m_simulator->devicePath());

    port.setPortOpen(false);
    QVERIFY(!port.PortOpen());
    port.setPortOpen(false); // closing twice is harmless

    // The device is free again: this object and any other can open it.
    port.setPortOpen(true);
    QVERIFY(port.PortOpen());
    port.setPortOpen(false);
    SerialPort other;
    openOn(other, *m_simulator);
    QVERIFY(other.PortOpen());
}

void TestSerialPort::inputReturnsEveryByteAsOneCharacter()
{
    SerialPort port;
    openOn(port, *m_simulator);
    const QByteArray sent("12,3\r\n\xe9\xff\x01 4,", 12);
    m_simulator->sendRaw(sent);
    QTRY_COMPARE(port.InBufferCount(), int(sent.size()));

    const QString input = port.Input();
    QCOMPARE(input.size(), sent.size());
    QCOMPARE(input, QString::fromLatin1(sent));
    QCOMPARE(port.InBufferCount(), 0);
    QCOMPARE(port.Input(), QString());
}

void TestSerialPort::outputReachesTheUnitUnchanged_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("history request") << "D\r" << QByteArray("D\r");
    QTest::newRow("line ends untranslated") << "a\r\nb\nc\r" << QByteArray("a\r\nb\nc\r");
    QTest::newRow("latin-1 one byte each")
        << QStringLiteral("\u00e9\u00ff") << QByteArray("\xe9\xff");
}

void TestSerialPort::outputReachesTheUnitUnchanged()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    m_simulator->setAnswersHistory(false);
    SerialPort port;
    openOn(port, *m_simulator);
    port.Output(text);
    QTRY_COMPARE(m_simulator->received(), bytes);
}

void TestSerialPort::discardingInputDropsWhatWaits()
{
    SerialPort port;
    openOn(port, *m_simulator);
    m_simulator->sendRaw("junk");
    QTRY_COMPARE(port.InBufferCount(), 4);

    port.setInBufferCount(0);
    port.setOutBufferCount(0);
    QCOMPARE(port.InBufferCount(), 0);

    m_simulator->sendLine(12, 3);
    QTRY_COMPARE(port.InBufferCount(), 6);
    QCOMPARE(port.Input(), QStringLiteral("12,3\r\n"));

    QVERIFY_THROWS_EXCEPTION(Failure, port.setInBufferCount(3));
}

void TestSerialPort::receiveEventFollowsThreshold_data()
{
    QTest::addColumn<int>("threshold");
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<QList<int>>("eventsAfterChunk");

    QTest::newRow("threshold 0: no events")
        << 0 << QByteArrayList{"12,3\r\n", "4,5\r\n"} << QList<int>{0, 0};
    QTest::newRow("threshold 1: every arrival")
        << 1 << QByteArrayList{"12,", "3\r\n"} << QList<int>{1, 2};
    QTest::newRow("threshold 5: once enough waits")
        << 5 << QByteArrayList{"12,", "3\r\n"} << QList<int>{0, 1};
}

void TestSerialPort::receiveEventFollowsThreshold()
{
    QFETCH(int, threshold);
    QFETCH(QByteArrayList, chunks);
    QFETCH(QList<int>, eventsAfterChunk);

    SerialPort port;
    port.setRThreshold(threshold);
    QCOMPARE(port.RThreshold(), threshold);
    QCOMPARE(port.CommEvent(), SerialPort::NoEvent);
    QSignalSpy events(&port, &SerialPort::OnComm);
    QVERIFY(events.isValid());
    openOn(port, *m_simulator);

    int expectedWaiting = 0;
    for (qsizetype i = 0; i < chunks.size(); ++i) {
        m_simulator->sendRaw(chunks[i]);
        expectedWaiting += int(chunks[i].size());
        // Arrival is visible in the input buffer whether or not an event follows.
        QTRY_COMPARE(port.InBufferCount(), expectedWaiting);
        QCOMPARE(events.size(), eventsAfterChunk[i]);
    }
    if (!events.isEmpty())
        QCOMPARE(port.CommEvent(), SerialPort::DataReceived);
}

void TestSerialPort::closedPortRefusesInputAndOutput()
{
    SerialPort port;
    auto number = [](auto &&operation) {
        try {
            operation();
        } catch (const Failure &failure) {
            return failure.number();
        }
        return 0;
    };
    QCOMPARE(number([&] { port.Output(QStringLiteral("D\r")); }), SerialPort::DeviceNotOpen);
    QCOMPARE(number([&] { port.Input(); }), SerialPort::DeviceNotOpen);
    QCOMPARE(number([&] { port.setInBufferCount(0); }), SerialPort::DeviceNotOpen);
    QCOMPARE(port.InBufferCount(), 0);
}

void TestSerialPort::absentPortsAreNoSuchPort_data()
{
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<QString>("path");

    QTest::newRow("device node missing") << 1 << test::absentDevicePath();
    QTest::newRow("port number 0") << 0 << "";
    QTest::newRow("port number 17") << 17 << "";
    QTest::newRow("regular file") << 2 << "file";
    QTest::newRow("folder") << 3 << "folder";
    QTest::newRow("device that is no terminal") << 4 << "/dev/null";
}

void TestSerialPort::absentPortsAreNoSuchPort()
{
    QFETCH(int, portNumber);
    QFETCH(QString, path);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    if (path == QLatin1String("file")) {
        path = dir.filePath(QStringLiteral("ttyFILE"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (path == QLatin1String("folder")) {
        path = dir.path();
    }

    PortMap map = test::portMapWith({});
    map.setOverride(portNumber, path);
    SerialPort port(map);
    port.setCommPort(portNumber);
    QString description;
    QCOMPARE(openFailure(port, &description), SerialPort::NoSuchPort);
    QVERIFY(!port.PortOpen());
    QVERIFY2(description.contains(QStringLiteral("COM%1").arg(portNumber)),
             qPrintable(description));
}

void TestSerialPort::portOpenHereIsAlreadyOpen()
{
    SerialPort port;
    openOn(port, *m_simulator);
    QCOMPARE(openFailure(port), SerialPort::PortAlreadyOpen);
    QVERIFY(port.PortOpen());

    QVERIFY_THROWS_EXCEPTION(Failure, port.setCommPort(2));
    QCOMPARE(port.CommPort(), 1);
}

void TestSerialPort::portHeldByAnotherObjectIsInUse()
{
    SerialPort holder;
    openOn(holder, *m_simulator);

    SerialPort port(test::portMapWith({{1, m_simulator->devicePath()}}));
    port.setCommPort(1);
    QString description;
    QCOMPARE(openFailure(port, &description), SerialPort::PortAlreadyOpen);
    QVERIFY(description.contains(m_simulator->devicePath()));

    // Free again once the holder lets go.
    holder.setPortOpen(false);
    QCOMPARE(openFailure(port), 0);
}

void TestSerialPort::portHeldByAnotherProcessIsInUse()
{
    QProcess holder;
    QSignalSpy output(&holder, &QProcess::readyReadStandardOutput);
    QVERIFY(output.isValid());
    holder.start(test::portHolderProgram(), {m_simulator->devicePath()});
    QVERIFY(output.wait(5000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("held"));

    SerialPort port;
    port.setPortMap(test::portMapWith({{1, m_simulator->devicePath()}}));
    port.setCommPort(1);
    QCOMPARE(openFailure(port), SerialPort::PortAlreadyOpen);

    QSignalSpy finished(&holder, &QProcess::finished);
    holder.closeWriteChannel();
    QVERIFY(finished.wait(5000));
    QCOMPARE(holder.exitCode(), 0);
    QCOMPARE(openFailure(port), 0);
}

void TestSerialPort::permissionDeniedSaysHowToFixIt()
{
    const group *dialout = ::getgrnam("dialout");
    if (!dialout)
        QSKIP("no dialout group on this system");
    const QByteArray device = QFile::encodeName(m_simulator->devicePath());
    QCOMPARE(::chown(device.constData(), 0, dialout->gr_gid), 0);
    QCOMPARE(::chmod(device.constData(), 0660), 0);

    SerialPort port(test::portMapWith({{1, m_simulator->devicePath()}}));
    port.setCommPort(1);
    int number = 0;
    QString description;
    {
        test::UnprivilegedScope unprivileged;
        if (!unprivileged.isActive())
            QSKIP("needs to run as root to take the rights away");
        number = openFailure(port, &description);
    }
    QCOMPARE(number, SerialPort::PermissionDenied);
    QVERIFY2(description.contains(m_simulator->devicePath()), qPrintable(description));
    QVERIFY2(description.contains(QStringLiteral("sudo usermod -aG dialout $USER")),
             qPrintable(description));
}

void TestSerialPort::permissionMessageNamesTheGroup_data()
{
    QTest::addColumn<QString>("groupName");
    QTest::addColumn<bool>("advisesUsermod");

    QTest::newRow("dialout") << "dialout" << true;
    QTest::newRow("uucp") << "uucp" << true;
    QTest::newRow("root") << "root" << false;
    QTest::newRow("group without a name") << "" << false;
}

void TestSerialPort::permissionMessageNamesTheGroup()
{
    QFETCH(QString, groupName);
    QFETCH(bool, advisesUsermod);
    gid_t gid = 54321; // no group on any ordinary system
    if (!groupName.isEmpty()) {
        const group *entry = ::getgrnam(groupName.toLocal8Bit().constData());
        if (!entry)
            QSKIP("group not present on this system");
        gid = entry->gr_gid;
    }
    if (groupName.isEmpty() && ::getgrgid(gid))
        QSKIP("the unnamed test group exists here");

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("ttyLOCKED"));
    QFile node(path);
    QVERIFY(node.open(QIODevice::WriteOnly));
    node.close();
    if (::chown(QFile::encodeName(path).constData(), uid_t(-1), gid) != 0)
        QSKIP("cannot change the owning group here");

    const QString message = SerialPort::permissionDeniedMessage(path);
    QVERIFY2(message.contains(path), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("ermission denied")), qPrintable(message));
    const QString command = QStringLiteral("sudo usermod -aG %1 $USER").arg(groupName);
    QCOMPARE(message.contains(command), advisesUsermod);
    QCOMPARE(message.contains(QStringLiteral("log out")), advisesUsermod);
    if (advisesUsermod)
        QVERIFY(message.contains(QStringLiteral("\"%1\"").arg(groupName)));
}

void TestSerialPort::vanishingDeviceClosesThePort()
{
    SerialPort port;
    QSignalSpy lost(&port, &SerialPort::portLost);
    QVERIFY(lost.isValid());
    openOn(port, *m_simulator);
    const QString path = m_simulator->devicePath();
    // Keep the terminal's number taken until the port has let go of it, so that a test running
    // alongside cannot get the same number while the port still holds its lock file.
    QFile keeper(path);
    QVERIFY(keeper.open(QIODevice::ReadWrite | QIODevice::Unbuffered));

    m_simulator->hangUp();
    QVERIFY(lost.wait(3000));
    QCOMPARE(lost.size(), 1);
    QVERIFY(!port.PortOpen());
    const QString description = lost.first().first().toString();
    QVERIFY2(description.contains(QStringLiteral("COM1")), qPrintable(description));
    QVERIFY2(description.contains(path), qPrintable(description));
}

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"
