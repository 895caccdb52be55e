// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "acquisition/portdiscovery.h"
#include "acquisition/serialport.h"
#include "common/failure.h"
#include "countersimulator.h"
#include "testsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <memory>
#include <sys/stat.h>

using namespace orvel;

namespace {

// What stands behind a port number in a test layout.
enum class Device {
    Free,     // a terminal nobody holds
    Busy,     // a terminal another port object holds
    Missing,  // a path with nothing at it
    NotSerial // a regular file
};

// Port number -> what stands behind it; the other numbers lead nowhere.
using Layout = QMap<int, Device>;

} // namespace

Q_DECLARE_METATYPE(Device)

class TestPortDiscovery : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void listsPorts_data();
    void listsPorts();
    void portWithoutAccessIsAnError();
};

void TestPortDiscovery::listsPorts_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("numbers");

    QTest::newRow("free, busy and absent ports")
        << Layout{{1, Device::Free}, {3, Device::Busy}, {4, Device::Missing}}
        << QStringList{"COM1", "COM3 (in use)"} << QList<int>{1, 3};
    QTest::newRow("no ports at all") << Layout{} << QStringList{} << QList<int>{};
    QTest::newRow("files are no ports") << Layout{{2, Device::NotSerial}, {7, Device::Free}}
                                        << QStringList{"COM7"} << QList<int>{7};
    QTest::newRow("last port and busy neighbours")
        << Layout{{14, Device::Busy}, {15, Device::Free}, {16, Device::Free}}
        << QStringList{"COM14 (in use)", "COM15", "COM16"} << QList<int>{14, 15, 16};
}

void TestPortDiscovery::listsPorts()
{
    QFETCH(Layout, layout);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, numbers);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    std::vector<std::unique_ptr<CounterSimulator>> simulators;
    std::vector<std::unique_ptr<SerialPort>> holders;
    QMap<int, QString> devices;
    for (auto it = layout.cbegin(); it != layout.cend(); ++it) {
        QString path;
        switch (it.value()) {
        case Device::Free:
        case Device::Busy: {
            auto simulator = std::make_unique<CounterSimulator>();
            QVERIFY2(simulator->open(), qPrintable(simulator->errorString()));
            path = simulator->devicePath();
            simulators.push_back(std::move(simulator));
            if (it.value() == Device::Busy) {
                auto holder = std::make_unique<SerialPort>(test::portMapWith({{1, path}}));
                holder->setCommPort(1);
                holder->setPortOpen(true);
                holders.push_back(std::move(holder));
            }
            break;
        }
        case Device::Missing:
            path = test::absentDevicePath();
            break;
        case Device::NotSerial: {
            path = dir.filePath(QStringLiteral("ttyFILE%1").arg(it.key()));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            break;
        }
        }
        devices.insert(it.key(), path);
    }

    SerialPort port(test::portMapWith(devices));
    port.setCommPort(2);
    const QList<PortEntry> entries = PortDiscovery(port).probe();

    QStringList gotTexts;
    QList<int> gotNumbers;
    for (const PortEntry &entry : entries) {
        gotTexts.append(entry.text);
        gotNumbers.append(entry.portNumber);
        QCOMPARE(entry.devicePath, devices.value(entry.portNumber));
        // Only ports that could not be opened say why.
        QCOMPARE(entry.detail.isEmpty(), !entry.text.contains(u'('));
    }
    QCOMPARE(gotTexts, texts);
    QCOMPARE(gotNumbers, numbers);

    // Nothing is left open, and the port number is back where it was.
    QVERIFY(!port.PortOpen());
    QCOMPARE(port.CommPort(), 2);
    for (auto it = layout.cbegin(); it != layout.cend(); ++it) {
        if (it.value() != Device::Free)
            continue;
        SerialPort other(test::portMapWith(devices));
        other.setCommPort(it.key());
        other.setPortOpen(true);
        QVERIFY(other.PortOpen());
    }
    for (const auto &holder : holders)
        QVERIFY(holder->PortOpen());
}

void TestPortDiscovery::portWithoutAccessIsAnError()
{
    const group *dialout = ::getgrnam("dialout");
    if (!dialout)
        QSKIP("no dialout group on this system");
    CounterSimulator free;
    CounterSimulator locked;
    QVERIFY(free.open());
    QVERIFY(locked.open());
    // The free terminal is left readable and writable to all; the locked one only to its group.
    const QByteArray freePath = QFile::encodeName(free.devicePath());
    const QByteArray lockedPath = QFile::encodeName(locked.devicePath());
    QCOMPARE(::chmod(freePath.constData(), 0666), 0);
    QCOMPARE(::chown(lockedPath.constData(), 0, dialout->gr_gid), 0);
    QCOMPARE(::chmod(lockedPath.constData(), 0660), 0);

    SerialPort port(test::portMapWith({{5, locked.devicePath()}, {6, free.devicePath()}}));
    QList<PortEntry> entries;
    {
        test::UnprivilegedScope unprivileged;
        if (!unprivileged.isActive())
            QSKIP("needs to run as root to take the rights away");
        entries = PortDiscovery(port).probe();
    }
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0].text, QStringLiteral("COM5 (error)"));
    QVERIFY2(entries[0].detail.contains(QStringLiteral("dialout")), qPrintable(entries[0].detail));
    QCOMPARE(entries[1].text, QStringLiteral("COM6"));
}

QTEST_GUILESS_MAIN(TestPortDiscovery)
#include "tst_portdiscovery.moc"
