// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "recorder/recorderoptions.h"

#include <QTest>

using namespace orvel;

class TestRecorderOptions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The recorder's own test runs a device, COM3, --stop-after, --mqtt, --name and
    // --download-history end to end, the preferences test --demo without a port; this is the
    // form they do not run.
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
        QTest::newRow("stop after word") << port + log + QStringList{"--stop-after", "ten"}
                                         << "--stop-after needs a whole number";
        QTest::newRow("stop after negative") << port + log + QStringList{"--stop-after", "-1"}
                                             << "--stop-after needs a whole number";
        QTest::newRow("broker URL")
            << port + log + QStringList{"--mqtt", "broker.lan"} << "--mqtt: the broker address";
        QTest::newRow("topic without broker")
            << port + log + QStringList{"--mqtt-topic", "x"} << "--mqtt-topic needs --mqtt";
        QTest::newRow("demo and history")
            << port + log + QStringList{"--demo", "--download-history"} << "exclude each other";
        QTest::newRow("two ports")
            << port + log + QStringList{"--port", "COM2"} << "--port is given more than once";
        QTest::newRow("stray argument")
            << port + log + QStringList{"extra"} << "unexpected argument \"extra\"";
    }

    void badOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        RecorderOptions options;
        QVERIFY(!options.parse(QStringList{"orvel-recorder"} + arguments));
        QVERIFY2(options.error().contains(error), qPrintable(options.error()));
    }
};

QTEST_GUILESS_MAIN(TestRecorderOptions)
#include "tst_recorderoptions.moc"
