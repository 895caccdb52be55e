// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// The simulator's --register-port: the pseudo-terminal is offered as a port in the logger's
// settings while the simulator runs, and what was there before comes back when it ends.

#include "settings/portoverrides.h"
#include "settings/regobject.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace orvel;

class TestRegisterPort : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void offeredWhileRunning_data()
    {
        QTest::addColumn<QString>("before");
        QTest::newRow("port had no device") << QString();
        QTest::newRow("port had a device") << QStringLiteral("/dev/ttyUSB9");
    }

    void offeredWhileRunning()
    {
        QFETCH(QString, before);
        QTemporaryDir config;
        QVERIFY(config.isValid());
        RegObject store(config.path());
        if (!before.isEmpty())
            QVERIFY(PortOverrides::write(store, 5, before));

        QProcess simulator;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        simulator.setProcessEnvironment(environment);
        simulator.start(QStringLiteral(ORVEL_COUNTER_SIMULATOR),
                        {QStringLiteral("--register-port"), QStringLiteral("5")});
        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT((output += simulator.readAllStandardOutput()).contains("COM5"),
                                 10000);
        const QString device = QString::fromLocal8Bit(output.split('\n').first().trimmed());
        QVERIFY(device.startsWith(QStringLiteral("/dev/")));
        QCOMPARE(PortOverrides::device(store, 5), device);

        simulator.terminate();
        QVERIFY(simulator.waitForFinished(10000));
        QCOMPARE(PortOverrides::device(store, 5), before);
    }

    void badPortNumberIsRefused_data()
    {
        QTest::addColumn<QString>("port");
        QTest::newRow("zero") << QStringLiteral("0");
        QTest::newRow("seventeen") << QStringLiteral("17");
        QTest::newRow("not a number") << QStringLiteral("COM1");
    }

    void badPortNumberIsRefused()
    {
        QFETCH(QString, port);
        QTemporaryDir config;
        QProcess simulator;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        simulator.setProcessEnvironment(environment);
        simulator.start(QStringLiteral(ORVEL_COUNTER_SIMULATOR),
                        {QStringLiteral("--register-port"), port});
        QVERIFY(simulator.waitForFinished(10000));
        QCOMPARE(simulator.exitCode(), 2);
        QVERIFY(simulator.readAllStandardError().contains("register-port"));
        QVERIFY(!QFile::exists(RegObject(config.path()).store().filePath(RegObject::CurrentUser)));
    }
};

QTEST_GUILESS_MAIN(TestRegisterPort)
#include "tst_registerport.moc"
