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
    void init()
    {
        m_arrived.clear();
        m_reads.clear();
        m_simulator = std::make_unique<CounterSimulator>();
        QVERIFY2(m_simulator->open(), qPrintable(m_simulator->errorString()));
        m_port = std::make_unique<SerialPort>(test::portMapWith({{1, m_simulator->devicePath()}}));
        m_port->setCommPort(1);
        m_port->setRThreshold(1);
        m_port->setPortOpen(true);
        connect(m_port.get(), &SerialPort::OnComm, this, [this] {
            m_reads.append(m_port->Input().toLatin1());
            m_arrived += m_reads.constLast();
        });
    }

    void cleanup()
    {
        m_port.reset();
        m_simulator.reset();
    }

    void answersHistoryRequest()
    {
        m_simulator->setHistoryRecords({{12, 3}, {4, 5}, {0, 0}});
        QSignalSpy requested(m_simulator.get(), &CounterSimulator::historyRequested);

        // The request may arrive in pieces.
        m_port->Output(QStringLiteral("D"));
        QTRY_COMPARE(m_simulator->received(), QByteArray("D"));
        QCOMPARE(requested.size(), 0);
        m_port->Output(QStringLiteral("\r"));
        QTRY_VERIFY(m_arrived.endsWith("\r\nEND\r\n"));
        QCOMPARE(requested.size(), 1);
        QCOMPARE(m_arrived, m_simulator->historyAnswer());

        // What the download relies on: every line ends in CR LF, nothing before the line with
        // MIN mentions it, the records follow that line in order, and END comes last, once.
        QCOMPARE(m_arrived.count('\n'), m_arrived.count("\r\n"));
        const QByteArray upper = m_arrived.toUpper();
        const qsizetype minLine = upper.indexOf("\r\nINTERVAL 1 MIN\r\n12,3\r\n4,5\r\n0,0\r\n");
        QVERIFY(minLine > 0);
        QVERIFY(!upper.left(minLine).contains("MIN"));
        QVERIFY(m_arrived.contains("\r\nNO DATA\r\n"));
        QCOMPARE(upper.indexOf("END"), upper.size() - 5);
    }

    void largeBurstArrivesWhole()
    {
        // Far more than a terminal holds at once: the rest must wait in the queue, not get lost.
        QByteArray expected;
        for (int i = 0; i < 40000; ++i) {
            m_simulator->sendLine(i, i % 97);
            expected += QByteArray::number(i) + ',' + QByteArray::number(i % 97) + "\r\n";
        }
        QVERIFY(expected.size() > 200000);
        QSignalSpy drained(m_simulator.get(), &CounterSimulator::drained);
        QVERIFY(drained.wait(10000));
        QTRY_COMPARE_WITH_TIMEOUT(m_arrived.size(), expected.size(), 10000);
        QCOMPARE(m_arrived, expected);
        QCOMPARE(m_simulator->bytesWritten(), expected.size());
        QCOMPARE(m_simulator->queuedBytes(), 0);
    }

    void streamsFileLines()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile file(dir.filePath(QStringLiteral("readings.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("1,2\n3,4\r\n\n5,6");
        file.close();
        QVERIFY(m_simulator->loadStreamFile(file.fileName()));
        QVERIFY(!m_simulator->loadStreamFile(dir.filePath(QStringLiteral("missing.txt"))));

        QSignalSpy finished(m_simulator.get(), &CounterSimulator::streamFinished);
        m_simulator->startStream(0, 0);
        QVERIFY(finished.wait(3000));
        QCOMPARE(m_simulator->itemsStreamed(), 4);
        QTRY_COMPARE(m_arrived, QByteArray("1,2\r\n3,4\r\n\r\n5,6\r\n"));
    }

    /// Generated readings are count lines with no more large than small particles; split, each
    /// comes in two pieces.
    void streamsGeneratedReadings()
    {
        QSignalSpy finished(m_simulator.get(), &CounterSimulator::streamFinished);
        m_simulator->setStreamSplit(true, 30);
        m_simulator->startStream(0, 3);
        QVERIFY(m_simulator->isStreaming());
        QVERIFY(finished.wait(3000));
        QVERIFY(!m_simulator->isStreaming());
        QTRY_COMPARE(m_arrived.count("\r\n"), 3);
        QVERIFY(m_reads.size() >= 2);
        QVERIFY(!m_reads.first().contains('\r'));

        const QRegularExpression countLine(QStringLiteral("^(\\d+),(\\d+)\r\n$"));
        for (const QByteArray &line : m_arrived.split('\n')) {
            if (line.isEmpty())
                continue;
            const auto match = countLine.match(QString::fromLatin1(line + '\n'));
            QVERIFY2(match.hasMatch(), line.constData());
            QVERIFY(match.captured(2).toInt() <= match.captured(1).toInt());
        }
    }

    void garbageHasNoLineEnds()
    {
        m_simulator->sendGarbage(5000);
        QTRY_COMPARE(m_arrived.size(), 5000);
        QVERIFY(!m_arrived.contains('\r'));
        QVERIFY(!m_arrived.contains('\n'));
    }

private:
    std::unique_ptr<CounterSimulator> m_simulator;
    std::unique_ptr<SerialPort> m_port;
    QByteArray m_arrived;
    QList<QByteArray> m_reads;
};

QTEST_GUILESS_MAIN(TestCounterSimulator)
#include "tst_countersimulator.moc"
