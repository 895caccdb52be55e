// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "acquisition/portdiscovery.h"
#include "acquisition/serialport.h"
#include "countersimulator.h"
#include "testsupport.h"

#include <QFile>
#include <QTest>

#include <grp.h>
#include <sys/stat.h>

using namespace orvel;

class TestPortDiscovery : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    /// Free and busy ports are listed, from the first to the last number; absent ones are not.
    void listsPorts()
    {
        CounterSimulator first;
        CounterSimulator busy;
        CounterSimulator last;
        for (CounterSimulator *simulator : {&first, &busy, &last})
            QVERIFY2(simulator->open(), qPrintable(simulator->errorString()));
        const QMap<int, QString> devices{{1, first.devicePath()},
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
        CounterSimulator locked;
        QVERIFY(free.open());
        QVERIFY(locked.open());
        // The free terminal is left readable and writable to all; the locked one only to its
        // group.
        const QByteArray lockedPath = QFile::encodeName(locked.devicePath());
        QCOMPARE(::chmod(QFile::encodeName(free.devicePath()).constData(), 0666), 0);
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
        QVERIFY2(entries[0].detail.contains(QStringLiteral("dialout")),
                 qPrintable(entries[0].detail));
        QCOMPARE(entries[1].text, QStringLiteral("COM6"));
    }
};

QTEST_GUILESS_MAIN(TestPortDiscovery)
#include "tst_portdiscovery.moc"
