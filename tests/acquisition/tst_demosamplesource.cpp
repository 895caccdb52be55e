// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "acquisition/demosamplesource.h"

#include <QSignalSpy>
#include <QTest>

using namespace orvel;

class TestDemoSampleSource : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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
};

QTEST_GUILESS_MAIN(TestDemoSampleSource)
#include "tst_demosamplesource.moc"
