// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "acquisition/serialport.h"
#include "countersimulator.h"
#include "testsupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace orvel;

// The simulator as the logger sees it: through a real port on its terminal.
class TestCounterSimulator : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void answersHistoryRequest_data();
    void answersHistoryRequest();
    void largeBurstArrivesWhole();
    void streamsFileLines();
    void streamsGeneratedReadings();
    void splitLinesArriveInTwoPieces();
    void garbageHasNoLineEnds();

private:
    CounterSimulator *m_simulator = nullptr;
    SerialPort *m_port = nullptr;
    QByteArray m_arrived;
    QList<QByteArray> m_reads;
};

void TestCounterSimulator::init()
{
    m_arrived.clear();
    m_reads.clear();
    m_simulator = new CounterSimulator(this);
    QVERIFY2(m_simulator->open(), qPrintable(m_simulator->errorString()));
    m_port = new SerialPort(test::portMapWith({{1, m_simulator->devicePath()}}), this);
    m_port->setCommPort(1);
    m_port->setRThreshold(1);
    m_port->setPortOpen(true);
    connect(m_port, &SerialPort::OnComm, this, [this] {
        m_reads.append(m_port->Input().toLatin1());
        m_arrived += m_reads.constLast();
    });
}

void TestCounterSimulator::cleanup()
{
    delete m_port;
    delete m_simulator;
}

void TestCounterSimulator::answersHistoryRequest_data()
{
    QTest::addColumn<QList<CounterSimulator::Record>>("records");
    QTest::addColumn<QByteArrayList>("recordLines");

    QTest::newRow("three records") << QList<CounterSimulator::Record>{{12, 3}, {4, 5}, {0, 0}}
                                   << QByteArrayList{"12,3\r\n", "4,5\r\n", "0,0\r\n"};
    QTest::newRow("empty memory") << QList<CounterSimulator::Record>{}
                                  << QByteArrayList{"NO DATA\r\n"};
}

void TestCounterSimulator::answersHistoryRequest()
{
    QFETCH(QList<CounterSimulator::Record>, records);
    QFETCH(QByteArrayList, recordLines);
    m_simulator->setHistoryRecords(records);
    QSignalSpy requested(m_simulator, &CounterSimulator::historyRequested);

    // The request may arrive in pieces.
    m_port->Output(QStringLiteral("D"));
    QTRY_COMPARE(m_simulator->received(), QByteArray("D"));
    QCOMPARE(requested.size(), 0);
    m_port->Output(QStringLiteral("\r"));
    QTRY_VERIFY(m_arrived.endsWith("END\r\n"));
    QCOMPARE(requested.size(), 1);
    QCOMPARE(m_arrived, m_simulator->historyAnswer());

    // What the download relies on: nothing before the line with MIN looks like a marker, the
    // records follow it in order, a NO DATA line comes before the END line, which is last.
    QByteArrayList lines = m_arrived.split('\n');
    QVERIFY(lines.takeLast().isEmpty());
    for (QByteArray &line : lines) {
        QVERIFY(line.endsWith('\r'));
        line.append('\n');
    }
    const qsizetype minLine = lines.indexOf("INTERVAL 1 MIN\r\n");
    QVERIFY(minLine > 0);
    for (qsizetype i = 0; i < minLine; ++i) {
        QVERIFY(!lines[i].toUpper().contains("MIN"));
        QVERIFY(!lines[i].toUpper().contains("END"));
    }
    QCOMPARE(lines.mid(minLine + 1, recordLines.size()), recordLines);
    QVERIFY(lines.contains("NO DATA\r\n"));
    QCOMPARE(lines.constLast(), QByteArray("END\r\n"));
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        QVERIFY(!lines[i].toUpper().contains("END"));
}

void TestCounterSimulator::largeBurstArrivesWhole()
{
    // Far more than a terminal holds at once: the rest must wait in the queue, not get lost.
    QByteArray expected;
    for (int i = 0; i < 40000; ++i) {
        m_simulator->sendLine(i, i % 97);
        expected += QByteArray::number(i) + ',' + QByteArray::number(i % 97) + "\r\n";
    }
    QVERIFY(expected.size() > 200000);
    QSignalSpy drained(m_simulator, &CounterSimulator::drained);
    QVERIFY(drained.wait(10000));
    QTRY_COMPARE_WITH_TIMEOUT(m_arrived.size(), expected.size(), 10000);
    QCOMPARE(m_arrived, expected);
    QCOMPARE(m_simulator->bytesWritten(), expected.size());
    QCOMPARE(m_simulator->queuedBytes(), 0);
}

void TestCounterSimulator::streamsFileLines()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("readings.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("1,2\n3,4\r\n\n5,6");
    file.close();
    QVERIFY(m_simulator->loadStreamFile(file.fileName()));
    QVERIFY(!m_simulator->loadStreamFile(dir.filePath(QStringLiteral("missing.txt"))));

    QSignalSpy finished(m_simulator, &CounterSimulator::streamFinished);
    m_simulator->startStream(0, 0);
    QVERIFY(finished.wait(3000));
    QCOMPARE(m_simulator->itemsStreamed(), 4);
    QTRY_COMPARE(m_arrived, QByteArray("1,2\r\n3,4\r\n\r\n5,6\r\n"));
}

void TestCounterSimulator::streamsGeneratedReadings()
{
    QSignalSpy finished(m_simulator, &CounterSimulator::streamFinished);
    m_simulator->startStream(5, 3);
    QVERIFY(m_simulator->isStreaming());
    QVERIFY(finished.wait(3000));
    QVERIFY(!m_simulator->isStreaming());
    QTRY_COMPARE(m_arrived.count("\r\n"), 3);

    const QRegularExpression countLine(QStringLiteral("^(\\d+),(\\d+)\r\n$"));
    for (const QByteArray &line : m_arrived.split('\n')) {
        if (line.isEmpty())
            continue;
        const auto match = countLine.match(QString::fromLatin1(line + '\n'));
        QVERIFY2(match.hasMatch(), line.constData());
        QVERIFY(match.captured(2).toInt() <= match.captured(1).toInt());
    }
}

void TestCounterSimulator::splitLinesArriveInTwoPieces()
{
    QSignalSpy finished(m_simulator, &CounterSimulator::streamFinished);
    m_simulator->setStreamSplit(true, 30);
    m_simulator->startStream(0, 2);
    QVERIFY(finished.wait(3000));
    QTRY_COMPARE(m_arrived.count("\r\n"), 2);
    QVERIFY(m_reads.size() >= 2);
    QVERIFY(!m_reads.first().contains('\r'));
}

void TestCounterSimulator::garbageHasNoLineEnds()
{
    m_simulator->sendGarbage(5000);
    QTRY_COMPARE(m_arrived.size(), 5000);
    QVERIFY(!m_arrived.contains('\r'));
    QVERIFY(!m_arrived.contains('\n'));
}

QTEST_GUILESS_MAIN(TestCounterSimulator)
#include "tst_countersimulator.moc"
