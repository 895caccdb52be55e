// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "recorder/recorderoptions.h"

#include <QTest>

using namespace orvel;

class TestRecorderOptions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void goodOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("portNumber");
        QTest::addColumn<int>("stopAfter");
        QTest::addColumn<QString>("broker");
        QTest::newRow("device") << QStringList{"--port", "/dev/ttyUSB0", "--log", "a.txt"}
                                << "/dev/ttyUSB0" << 0 << 0 << "";
        QTest::newRow("port number, lower case")
            << QStringList{"--port=com5", "--log", "/var/lib/orvel/log.txt", "--stop-after", "60"}
            << "COM5" << 5 << 60 << "";
        QTest::newRow("mqtt") << QStringList{"--port",       "COM16",
                                             "--log",        "a",
                                             "--mqtt",       "mqtt://127.0.0.1:1884",
                                             "--mqtt-topic", "lab/1",
                                             "--name",       "Lab 1"}
                              << "COM16" << 16 << 0 << "mqtt://127.0.0.1:1884";
        QTest::newRow("demo needs no port")
            << QStringList{"--demo", "--log", "a"} << "" << 0 << 0 << "";
        QTest::newRow("history") << QStringList{"--port", "/dev/ttyACM0", "--log", "a",
                                                "--download-history"}
                                 << "/dev/ttyACM0" << 0 << 0 << "";
    }

    void goodOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, port);
        QFETCH(int, portNumber);
        QFETCH(int, stopAfter);
        QFETCH(QString, broker);
        RecorderOptions options;
        QVERIFY2(options.parse(QStringList{"orvel-recorder"} + arguments),
                 qPrintable(options.error()));
        QCOMPARE(options.port(), port);
        QCOMPARE(options.portNumber(), portNumber);
        QCOMPARE(options.stopAfter(), stopAfter);
        QCOMPARE(options.mqttBroker(), broker);
        QVERIFY(!options.helpRequested());
    }

    void badOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        const QStringList port{"--port", "/dev/ttyUSB0"};
        const QStringList log{"--log", "a.txt"};
        QTest::newRow("nothing") << QStringList{} << "--port is missing";
        QTest::newRow("no log") << port << "--log is missing";
        QTest::newRow("relative device")
            << QStringList{"--port", "ttyUSB0"} + log << "absolute device path";
        QTest::newRow("COM17") << QStringList{"--port", "COM17"} + log << "COM1 to COM16";
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
        QVERIFY(options.usage().contains("--download-history"));
    }
};

QTEST_GUILESS_MAIN(TestRecorderOptions)
#include "tst_recorderoptions.moc"
