// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "acquisition/demosamplesource.h"
#include "acquisition/serialport.h"
#include "countersimulator.h"
#include "testsupport.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace orvel;

/// Readings from no real counter: the counter-unit simulator as the logger sees it, through a
/// real port on its terminal, and the demonstration source's random walk.
class TestSimulatedReadings : public QObject
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
        const QString path = dir.filePath(QStringLiteral("readings.txt"));
        QVERIFY(test::writeFile(path, "1,2\n3,4\r\n\n5,6"));
        QVERIFY(m_simulator->loadStreamFile(path));
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

    void walkStep_data()
    {
        QTest::addColumn<qint32>("previousSmall");
        QTest::addColumn<qint32>("previousLarge");
        QTest::addColumn<float>("r");
        QTest::addColumn<qint32>("small");
        QTest::addColumn<qint32>("large");

        // small: spread 100 around 1000 → [900, 1100]; large: spread 20 around 200 → [180, 220]
        QTest::newRow("lowest draw") << 1000 << 200 << 0.0f << 900 << 180;
        QTest::newRow("highest draw") << 1000 << 200 << 0.99999994f << 1100 << 220;
        // spread rounds to 0 at 4: it becomes 100 (low 0) and high is lifted to 200
        QTest::newRow("tiny small count, lowest") << 4 << 0 << 0.0f << 0 << 0;
        QTest::newRow("tiny small count, highest") << 4 << 0 << 0.99999994f << 200 << 10;
        // 5 × single-precision 0.1 lies just above one half: spread 1, low 4
        QTest::newRow("five rounds up") << 5 << 0 << 0.0f << 4 << 0;
        // large's high is capped by the small count just drawn, below its low
        QTest::newRow("large above small") << 100 << 500 << 0.0f << 90 << 450;
    }

    void walkStep()
    {
        QFETCH(qint32, previousSmall);
        QFETCH(qint32, previousLarge);
        QFETCH(float, r);
        QFETCH(qint32, small);
        QFETCH(qint32, large);
        DemoSampleSource source;
        source.setRandomSource([r] { return r; });
        source.setPrevious(previousSmall, previousLarge);
        qint32 s = 0, l = 0;
        const QString line = source.GenerateDemoSample(s, l, false);
        QCOMPARE(s, small);
        QCOMPARE(l, large);
        QCOMPARE(line, QStringLiteral("%1,%2\r\n").arg(small).arg(large));
        QCOMPARE(source.PreviousSmall(), small);
        QCOMPARE(source.PreviousLarge(), large);
    }

    /// A reset starts the walk from 1000 and 200 wherever it had got to, and the same seed
    /// gives the same walk.
    void seededWalkRepeatsAndResets()
    {
        DemoSampleSource a;
        DemoSampleSource b;
        for (quint32 seed = 1; seed <= 200; ++seed) {
            a.seed(seed);
            b.seed(seed);
            qint32 s = 0, l = 0;
            const QString first = a.GenerateDemoSample(s, l, true);
            QVERIFY(s >= 900 && s <= 1100);
            QVERIFY(l >= 180 && l <= 220);
            QCOMPARE(b.GenerateDemoSample(s, l, true), first);
            for (int step = 0; step < 10; ++step)
                QCOMPARE(a.GenerateDemoSample(s, l, false), b.GenerateDemoSample(s, l, false));
        }
    }

    void timerEmitsLines()
    {
        DemoSampleSource source;
        QCOMPARE(source.SampleTimer().interval(), 6000);
        QVERIFY(!source.SampleTimer().isActive());
        QSignalSpy spy(&source, &DemoSampleSource::sampleGenerated);
        source.SampleTimer().setInterval(1);
        source.SampleTimer().start();
        QVERIFY(spy.wait(1000));
        QVERIFY(spy.first().first().toString().endsWith(QStringLiteral("\r\n")));
    }

private:
    std::unique_ptr<CounterSimulator> m_simulator;
    std::unique_ptr<SerialPort> m_port;
    QByteArray m_arrived;
    QList<QByteArray> m_reads;
};

QTEST_GUILESS_MAIN(TestSimulatedReadings)
#include "tst_simulatedreadings.moc"
