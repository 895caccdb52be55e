// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "acquisition/portmap.h"

#include <QTest>

using namespace orvel;

class TestPortMap : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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
};

QTEST_GUILESS_MAIN(TestPortMap)
#include "tst_portmap.moc"
