// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

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

private:
    std::unique_ptr<CounterSimulator> m_simulator;
};

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"
