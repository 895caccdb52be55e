// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "acquisition/portdiscovery.h"
#include "acquisition/portmap.h"
#include "acquisition/serialport.h"
#include "common/failure.h"
#include "countersimulator.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvel;

namespace {

// Points `port` at the simulator's terminal as COM1.
void aimAt(SerialPort &port, const CounterSimulator &simulator)
{
    port.setPortMap(test::portMapWith({{1, simulator.devicePath()}}));
    port.setCommPort(1);
}

// Opens `port` as COM1 on the simulator's terminal.
void openOn(SerialPort &port, const CounterSimulator &simulator)
{
    aimAt(port, simulator);
    port.setPortOpen(true);
}

// The failure number `operation` raises, or 0 when it raises none.
template<typename Operation>
int failureOf(Operation &&operation, QString *description = nullptr)
{
    try {
        operation();
    } catch (const Failure &failure) {
        if (description)
            *description = failure.description();
        return failure.number();
    }
    return 0;
}

// The failure number opening `port` raises, or 0 when it opens.
int openFailure(SerialPort &port, QString *description = nullptr)
{
    return failureOf([&] { port.setPortOpen(true); }, description);
}

} // namespace

/// The serial port on the simulator's pseudo-terminal: which device each COM number means,
/// opening, the data both ways, the ways opening fails, and the list of the ports present.
class TestSerialPort : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_simulator = std::make_unique<CounterSimulator>();
        QVERIFY2(m_simulator->open(), qPrintable(m_simulator->errorString()));
    }

    void cleanup() { m_simulator.reset(); }

    void defaults_data()
    {
        QTest::addColumn<int>("portNumber");
        QTest::addColumn<QString>("path");

        QTest::newRow("COM1 first on-board UART") << 1 << "/dev/ttyS0";
        QTest::newRow("COM4 last on-board UART") << 4 << "/dev/ttyS3";
        QTest::newRow("COM5 first USB adapter") << 5 << "/dev/ttyUSB0";
        QTest::newRow("COM12 last USB adapter") << 12 << "/dev/ttyUSB7";
        QTest::newRow("COM13 first modem-class device") << 13 << "/dev/ttyACM0";
        QTest::newRow("COM16 last modem-class device") << 16 << "/dev/ttyACM3";
        QTest::newRow("COM0 has none") << 0 << "";
        QTest::newRow("COM17 has none") << 17 << "";
    }

    void defaults()
    {
        QFETCH(int, portNumber);
        QFETCH(QString, path);
        const PortMap map;
        QCOMPARE(map.devicePath(portNumber), path);
        QCOMPARE(map.defaultDevicePath(portNumber), path);
        QCOMPARE(PortMap::isValidPortNumber(portNumber), !path.isEmpty());
    }

    void overrides_data()
    {
        QTest::addColumn<int>("portNumber");
        QTest::addColumn<QString>("overridePath");
        QTest::addColumn<bool>("overridden"); // else the port keeps its default

        QTest::newRow("COM1 at a terminal") << 1 << "/dev/pts/7" << true;
        QTest::newRow("COM16 at a symlink") << 16 << "/dev/serial/by-id/unit" << true;
        QTest::newRow("empty path restores the default") << 5 << "" << false;
        QTest::newRow("COM0 stays without a device") << 0 << "/dev/pts/7" << false;
        QTest::newRow("COM17 stays without a device") << 17 << "/dev/pts/7" << false;
    }

    void overrides()
    {
        QFETCH(int, portNumber);
        QFETCH(QString, overridePath);
        QFETCH(bool, overridden);

        PortMap map;
        map.setOverride(portNumber, QStringLiteral("/dev/earlier"));
        map.setOverride(portNumber, overridePath);
        QCOMPARE(map.devicePath(portNumber),
                 overridden ? overridePath : PortMap().devicePath(portNumber));
        QCOMPARE(map.hasOverride(portNumber), overridden);

        // The other ports keep their defaults.
        for (int n = PortMap::FirstPort; n <= PortMap::LastPort; ++n) {
            if (n != portNumber)
                QCOMPARE(map.devicePath(n), PortMap().devicePath(n));
        }
    }

    void deviceRootMovesOnlyDefaults()
    {
        PortMap map;
        map.setDeviceRoot(QStringLiteral("/tmp/devices"));
        map.setOverride(2, QStringLiteral("/dev/pts/3"));
        QCOMPARE(map.devicePath(1), QStringLiteral("/tmp/devices/ttyS0"));
        QCOMPARE(map.devicePath(2), QStringLiteral("/dev/pts/3"));
        QCOMPARE(map.devicePath(12), QStringLiteral("/tmp/devices/ttyUSB7"));

        map.clearOverrides();
        QCOMPARE(map.devicePath(2), QStringLiteral("/tmp/devices/ttyS1"));
    }

    void opensAndCloses()
    {
        SerialPort port;
        QVERIFY(!port.PortOpen());
        openOn(port, *m_simulator);
        QVERIFY(port.PortOpen());
        QCOMPARE(port.devicePath(), m_simulator->devicePath());
        // Open once only, and the number stays while it is.
        QCOMPARE(openFailure(port), SerialPort::PortAlreadyOpen);
        QVERIFY(port.PortOpen());
        QVERIFY_THROWS_EXCEPTION(Failure, port.setCommPort(2));
        QCOMPARE(port.CommPort(), 1);

        port.setPortOpen(false);
        QVERIFY(!port.PortOpen());
        port.setPortOpen(false); // closing twice is harmless
        port.setPortOpen(true);  // the device is free again
        QVERIFY(port.PortOpen());
    }

    void inputKeepsEveryByteUntilReadOrDiscarded()
    {
        SerialPort port;
        openOn(port, *m_simulator);
        m_simulator->sendRaw("junk");
        QTRY_COMPARE(port.InBufferCount(), 4);
        port.setInBufferCount(0);
        port.setOutBufferCount(0);
        QCOMPARE(port.InBufferCount(), 0);
        QVERIFY_THROWS_EXCEPTION(Failure, port.setInBufferCount(3));

        // Every byte comes back as one character, none altered.
        const QByteArray sent("12,3\r\n\xe9\xff\x01 4,", 12);
        m_simulator->sendRaw(sent);
        QTRY_COMPARE(port.InBufferCount(), int(sent.size()));
        QCOMPARE(port.Input(), QString::fromLatin1(sent));
        QCOMPARE(port.InBufferCount(), 0);
        QCOMPARE(port.Input(), QString());
    }

    void outputReachesTheUnitUnchanged()
    {
        m_simulator->setAnswersHistory(false);
        SerialPort port;
        openOn(port, *m_simulator);
        // Line ends untranslated, Latin-1 one byte each.
        port.Output(QStringLiteral("D\ra\r\nb\n\u00e9\u00ff"));
        QTRY_COMPARE(m_simulator->received(), QByteArray("D\ra\r\nb\n\xe9\xff"));
    }

    void receiveEventFollowsThreshold_data()
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

    void receiveEventFollowsThreshold()
    {
        QFETCH(int, threshold);
        QFETCH(QByteArrayList, chunks);
        QFETCH(QList<int>, eventsAfterChunk);

        SerialPort port;
        port.setRThreshold(threshold);
        QCOMPARE(port.CommEvent(), SerialPort::NoEvent);
        QSignalSpy events(&port, &SerialPort::OnComm);
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

    void closedPortRefusesInputAndOutput()
    {
        SerialPort port;
        QCOMPARE(failureOf([&] { port.Output(QStringLiteral("D\r")); }), SerialPort::DeviceNotOpen);
        QCOMPARE(failureOf([&] { port.Input(); }), SerialPort::DeviceNotOpen);
        QCOMPARE(failureOf([&] { port.setInBufferCount(0); }), SerialPort::DeviceNotOpen);
        QCOMPARE(port.InBufferCount(), 0);
    }

    void absentPortsAreNoSuchPort_data()
    {
        QTest::addColumn<int>("portNumber");
        QTest::addColumn<QString>("path");

        QTest::newRow("device node missing") << 1 << test::absentDevicePath();
        QTest::newRow("port number 0") << 0 << "";
        QTest::newRow("regular file") << 2 << QCoreApplication::applicationFilePath();
        QTest::newRow("folder") << 3 << QDir::tempPath();
        QTest::newRow("device that is no terminal") << 4 << "/dev/null";
    }

    void absentPortsAreNoSuchPort()
    {
        QFETCH(int, portNumber);
        QFETCH(QString, path);
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

    void portHeldByAnotherProcessIsInUse()
    {
        QProcess holder;
        QSignalSpy output(&holder, &QProcess::readyReadStandardOutput);
        holder.start(test::portHolderProgram(), {m_simulator->devicePath()});
        QVERIFY(output.wait(5000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("held"));

        SerialPort port;
        aimAt(port, *m_simulator);
        QString description;
        QCOMPARE(openFailure(port, &description), SerialPort::PortAlreadyOpen);
        QVERIFY2(description.contains(m_simulator->devicePath()), qPrintable(description));

        // Free again once the holder lets go.
        QSignalSpy finished(&holder, &QProcess::finished);
        holder.closeWriteChannel();
        QVERIFY(finished.wait(5000));
        QCOMPARE(holder.exitCode(), 0);
        QCOMPARE(openFailure(port), 0);
    }

    void permissionDeniedSaysHowToFixIt_data()
    {
        QTest::addColumn<QString>("groupName");
        QTest::addColumn<bool>("advisesUsermod");

        QTest::newRow("dialout") << "dialout" << true;
        QTest::newRow("root") << "root" << false;
        QTest::newRow("group without a name") << "" << false;
    }

    void permissionDeniedSaysHowToFixIt()
    {
        QFETCH(QString, groupName);
        QFETCH(bool, advisesUsermod);
        gid_t gid = 54321; // no group on any ordinary system
        if (!groupName.isEmpty()) {
            const group *entry = ::getgrnam(groupName.toLocal8Bit().constData());
            if (!entry)
                QSKIP("group not present on this system");
            gid = entry->gr_gid;
        } else if (::getgrgid(gid)) {
            QSKIP("the unnamed test group exists here");
        }
        const QString path = m_simulator->devicePath();
        QCOMPARE(::chown(QFile::encodeName(path).constData(), 0, gid), 0);
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0660), 0);

        SerialPort port;
        aimAt(port, *m_simulator);
        int number = 0;
        QString description;
        {
            test::UnprivilegedScope unprivileged;
            if (!unprivileged.isActive())
                QSKIP("needs to run as root to take the rights away");
            number = openFailure(port, &description);
        }
        QCOMPARE(number, SerialPort::PermissionDenied);
        QVERIFY2(description.contains(path), qPrintable(description));
        QVERIFY2(description.contains(QStringLiteral("ermission denied")), qPrintable(description));
        const QString command = QStringLiteral("sudo usermod -aG %1 $USER").arg(groupName);
        QCOMPARE(description.contains(command), advisesUsermod);
        QCOMPARE(description.contains(QStringLiteral("log out")), advisesUsermod);
        QCOMPARE(description.contains(QStringLiteral("\"%1\"").arg(groupName)), advisesUsermod);
    }

    void vanishingDeviceClosesThePort()
    {
        SerialPort port;
        QSignalSpy lost(&port, &SerialPort::portLost);
        openOn(port, *m_simulator);
        const QString path = m_simulator->devicePath();
        // Keep the terminal's number taken until the port has let go of it, so that a test
        // running alongside cannot get the same number while the port still holds its lock file.
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

    /// Free and busy ports are listed, from the first to the last number; absent ones are not.
    void listsPorts()
    {
        CounterSimulator busy;
        CounterSimulator last;
        for (CounterSimulator *simulator : {&busy, &last})
            QVERIFY2(simulator->open(), qPrintable(simulator->errorString()));
        const QMap<int, QString> devices{{1, m_simulator->devicePath()},
                                         {3, busy.devicePath()},
                                         {4, test::absentDevicePath()},
                                         {16, last.devicePath()}};
        SerialPort holder(test::portMapWith(devices));
        holder.setCommPort(3);
        holder.setPortOpen(true);

        SerialPort port(test::portMapWith(devices));
        port.setCommPort(2);
        QStringList texts;
        for (const PortEntry &entry : PortDiscovery(port).probe()) {
            texts.append(entry.text);
            QCOMPARE(entry.devicePath, devices.value(entry.portNumber));
            // Only ports that could not be opened say why.
            QCOMPARE(entry.detail.isEmpty(), !entry.text.contains(u'('));
        }
        QCOMPARE(texts, (QStringList{"COM1", "COM3 (in use)", "COM16"}));

        // Nothing is left open, and the port number is back where it was.
        QVERIFY(!port.PortOpen());
        QCOMPARE(port.CommPort(), 2);
        for (int portNumber : {1, 16}) {
            SerialPort other(test::portMapWith(devices));
            other.setCommPort(portNumber);
            other.setPortOpen(true);
            QVERIFY(other.PortOpen());
        }
        QVERIFY(holder.PortOpen());
    }

    void portWithoutAccessIsAnError()
    {
        const group *dialout = ::getgrnam("dialout");
        if (!dialout)
            QSKIP("no dialout group on this system");
        CounterSimulator free;
        QVERIFY(free.open());
        // The free terminal is left readable and writable to all; the locked one (the usual
        // simulator) only to its group.
        const QByteArray lockedPath = QFile::encodeName(m_simulator->devicePath());
        QCOMPARE(::chmod(QFile::encodeName(free.devicePath()).constData(), 0666), 0);
        QCOMPARE(::chown(lockedPath.constData(), 0, dialout->gr_gid), 0);
        QCOMPARE(::chmod(lockedPath.constData(), 0660), 0);

        SerialPort port(
            test::portMapWith({{5, m_simulator->devicePath()}, {6, free.devicePath()}}));
        QList<PortEntry> entries;
        {
            test::UnprivilegedScope unprivileged;
            if (!unprivileged.isActive())
                QSKIP("needs to run as root to take the rights away");
            entries = PortDiscovery(port).probe();
        }
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0].text, QStringLiteral("COM5 (error)"));
        QVERIFY2(entries[0].detail.contains(QStringLiteral("dialout")),
                 qPrintable(entries[0].detail));
        QCOMPARE(entries[1].text, QStringLiteral("COM6"));
    }

private:
    std::unique_ptr<CounterSimulator> m_simulator;
};

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"
