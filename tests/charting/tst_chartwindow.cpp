// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/chartwindow.h"
#include "processorharness.h"

#include <QSignalSpy>
#include <QTest>

using namespace orvel;
using test::ProcessorHarness;

namespace {

/// A chart window on parts of its own, its chart `rows` rows high.
struct WindowParts
{
    explicit WindowParts(qint32 rows) { chart.setRowCount(rows); }
    SampleStore store;
    ChartDataModel chart;
    SliderModel slider;
    const LocaleFormats formats{QLocale(QStringLiteral("en_US"))};
    ChartWindow window{store, chart, slider, formats};
};

} // namespace

class TestChartWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void storeIndex_data()
    {
        QTest::addColumn<qint32>("sampleCount");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("afterPending");
        QTest::addColumn<qint32>("rows");
        QTest::addColumn<qint32>("expected");

        const int dropped = int(StoreIndexKind::DroppedCount);
        const int first = int(StoreIndexKind::FirstStored);
        const int latest = int(StoreIndexKind::LatestWindowStart);
        const int stored = int(StoreIndexKind::StoredCount);
        QTest::newRow("nothing dropped before full") << 10080 << dropped << false << 0 << 0;
        QTest::newRow("the pending sample fills the store") << 10079 << first << true << 0 << 1;
        QTest::newRow("the pending sample rolls a full store") << 10080 << first << true << 0 << 2;
        QTest::newRow("one dropped") << 10081 << dropped << false << 0 << 1;
        QTest::newRow("latest start, one hour") << 100 << latest << false << 60 << 41;
        QTest::newRow("latest start while filling") << 30 << latest << false << 60 << 1;
        QTest::newRow("latest start, chart's rows") << 100 << latest << false << 0 << 91;
        QTest::newRow("latest start, rows capped at a week")
            << 20000 << latest << false << 30000 << 9921;
        QTest::newRow("latest start not before the oldest kept")
            << 20000 << latest << true << 10080 << 9922;
        QTest::newRow("stored once full") << 40000 << stored << false << 0 << 10080;
    }
    void storeIndex()
    {
        QFETCH(qint32, sampleCount);
        QFETCH(int, kind);
        QFETCH(bool, afterPending);
        QFETCH(qint32, rows);
        const WindowParts parts(10);
        QTEST(parts.window.StoreIndex(StoreIndexKind(kind), sampleCount, afterPending, rows),
              "expected");
    }

    void slider_data()
    {
        QTest::addColumn<qint32>("rows");
        QTest::addColumn<qint32>("sampleCount");
        QTest::addColumn<qint32>("minimum");
        QTest::addColumn<qint32>("maximum");
        QTest::addColumn<qint32>("value");
        QTest::addColumn<qint32>("ticks");
        QTest::addColumn<bool>("enabled");

        QTest::newRow("no samples") << 60 << 0 << 0 << 10 << 0 << 1 << false;
        QTest::newRow("half an hour of one: 5.5 rounds to 6")
            << 60 << 30 << 1 << 11 << 6 << 1 << false;
        QTest::newRow("one of ten: fill ratio 1.1") << 10 << 1 << 1 << 11 << 1 << 1 << false;
        QTest::newRow("fill ratio 2.5 rounds to 2") << 44 << 10 << 1 << 11 << 2 << 1 << false;
        QTest::newRow("chart just full: still disabled") << 60 << 60 << 1 << 11 << 11 << 1 << false;
        QTest::newRow("one beyond full") << 60 << 61 << 1 << 11 << 11 << 1 << true;
        QTest::newRow("ticks 2.5 round to 2") << 10 << 35 << 1 << 26 << 26 << 2 << true;
        QTest::newRow("ticks 3.5 round to 4") << 10 << 45 << 1 << 36 << 36 << 4 << true;
        QTest::newRow("after roll-off") << 60 << 10100 << 21 << 10041 << 10041 << 1002 << true;
        QTest::newRow("week window, rolled") << 10080 << 10500 << 421 << 431 << 431 << 1 << false;
    }
    void slider()
    {
        QFETCH(qint32, rows);
        QFETCH(qint32, sampleCount);
        WindowParts parts(rows);
        SliderModel &slider = parts.slider;
        // Start from a range far from the expected one, as after a long recording.
        slider.setMaximum(50000);
        slider.setMinimum(40000);
        slider.setValue(45000);
        parts.window.UpdateSlider(sampleCount);
        QTEST(slider.minimum(), "minimum");
        QTEST(slider.maximum(), "maximum");
        QTEST(slider.value(), "value");
        QTEST(slider.tickFrequency(), "ticks");
        QTEST(slider.isEnabled(), "enabled");
        // Brought up to date again, the slider is not written to.
        const quint64 writes = slider.writeCount();
        parts.window.UpdateSlider(sampleCount);
        QCOMPARE(slider.writeCount(), writes);
    }

    void sliderValueStaysInRange_data()
    {
        QTest::addColumn<qint32>("minimum");
        QTest::addColumn<qint32>("maximum");
        QTest::addColumn<qint32>("value");
        QTest::addColumn<qint32>("expectedMinimum");
        QTest::addColumn<qint32>("expectedMaximum");
        QTest::addColumn<qint32>("expectedValue");

        // Written in the order minimum, maximum, value, starting from 0 .. 10 at 5.
        QTest::newRow("inside") << 1 << 11 << 6 << 1 << 11 << 6;
        QTest::newRow("value below the minimum") << 3 << 11 << 1 << 3 << 11 << 3;
        QTest::newRow("value above the maximum") << 1 << 41 << 50 << 1 << 41 << 41;
        QTest::newRow("minimum above the old maximum")
            << 40000 << 40010 << 40005 << 40000 << 40010 << 40005;
        QTest::newRow("maximum below the minimum pulls it down")
            << 20 << 15 << 17 << 15 << 15 << 15;
    }
    void sliderValueStaysInRange()
    {
        QFETCH(qint32, minimum);
        QFETCH(qint32, maximum);
        QFETCH(qint32, value);
        SliderModel slider;
        slider.setValue(5);
        slider.setMinimum(minimum);
        slider.setMaximum(maximum);
        slider.setValue(value);
        QTEST(slider.minimum(), "expectedMinimum");
        QTEST(slider.maximum(), "expectedMaximum");
        QTEST(slider.value(), "expectedValue");
    }

    void sliderSignalsOnlyRealChanges()
    {
        SliderModel slider;
        QSignalSpy spy(&slider, &SliderModel::changed);
        QVERIFY(spy.isValid());
        slider.setMinimum(slider.minimum());
        slider.setMaximum(slider.maximum());
        slider.setValue(slider.value());
        slider.setEnabled(slider.isEnabled());
        slider.setTickFrequency(slider.tickFrequency());
        slider.setText(slider.text());
        QCOMPARE(spy.size(), 0);
        QCOMPARE(slider.writeCount(), quint64(6));

        slider.setText(QStringLiteral("Start at sample 1"));
        slider.setEnabled(true);
        QCOMPARE(spy.size(), 2);
    }

    void fillsThenScrollsOneRow()
    {
        ProcessorHarness h;
        h.choosePeriod(60);
        for (qint32 samples : {30, 60}) {
            h.feed(samples - h.processor.SampleCount());
            QCOMPARE(h.rowsMismatch(1, samples, 1), QString());
            QCOMPARE(h.rowsNotEmpty(samples + 1, 60), QString());
            QCOMPARE(h.processor.numSamplesText(),
                     QStringLiteral("Samples received: %1  (on graph: 1 - %1)").arg(samples));
            QCOMPARE(h.processor.ShownWindowStart(), 1);
            QVERIFY(!h.slider.isEnabled());
        }

        // Full: the next sample scrolls the rows by one.
        const quint64 writes = h.chart.writeCount();
        h.feed(1);
        QCOMPARE(h.rowsMismatch(1, 60, 2), QString());
        QVERIFY(h.processor.numSamplesText().endsWith(QStringLiteral("(on graph: 2 - 61)")));
        QCOMPARE(h.processor.ShownWindowStart(), 2);
        // A scroll, not a rewrite of all 60 rows.
        QVERIFY2(h.chart.writeCount() - writes < 20,
                 qPrintable(QString::number(h.chart.writeCount() - writes)));
        QVERIFY(h.slider.isEnabled());
    }

    void sliderMovesTheWindow_data()
    {
        QTest::addColumn<qint32>("moveTo");
        QTest::addColumn<qint32>("start");
        QTest::addColumn<QString>("sliderText");

        QTest::newRow("back to 30") << 30 << 30 << "Start at sample 30 (12/5/2026 - 08:19)";
        QTest::newRow("to the first") << 1 << 1 << "Start at sample 1 (12/5/2026 - 07:50)";
    }
    void sliderMovesTheWindow()
    {
        QFETCH(qint32, moveTo);
        QFETCH(qint32, start);
        QFETCH(QString, sliderText);
        ProcessorHarness h;
        h.choosePeriod(60);
        h.feed(100);

        h.moveSlider(moveTo);
        QCOMPARE(h.slider.text(), sliderText);
        QCOMPARE(h.processor.ShownWindowStart(), start);
        QCOMPARE(h.rowsMismatch(1, 60, start), QString());
        QCOMPARE(h.processor.numSamplesText(),
                 QStringLiteral("Samples received: 100  (on graph: %1 - %2)")
                     .arg(start)
                     .arg(start + 59));
        // The slider stays where the user put it.
        QCOMPARE(h.slider.value(), moveTo);

        // ... and back to the newest samples.
        h.moveSlider(41);
        QCOMPARE(h.rowsMismatch(1, 60, 41), QString());
        QVERIFY(h.processor.numSamplesText().endsWith(QStringLiteral("(on graph: 41 - 100)")));
    }

    void periodChange_data()
    {
        QTest::addColumn<qint32>("period");
        QTest::addColumn<bool>("gridLines");

        QTest::newRow("10 minutes") << 10 << true;
        QTest::newRow("30 minutes") << 30 << true;
        QTest::newRow("1 hour") << 60 << false;
        QTest::newRow("1 week") << 10080 << false;
    }
    void periodChange()
    {
        QFETCH(qint32, period);
        QFETCH(bool, gridLines);
        ProcessorHarness h;
        // Start from the opposite pen so the change is seen.
        h.choosePeriod(gridLines ? 120 : 10);
        h.feed(100);

        h.choosePeriod(period);
        QCOMPARE(h.chart.rowCount(), period);
        const auto pen =
            gridLines ? ChartDataModel::PenStyle::Solid : ChartDataModel::PenStyle::None;
        QCOMPARE(h.chart.categoryAxisPen(), pen);
        QCOMPARE(h.chart.categoryMajorGridPen(), pen);
        QCOMPARE(h.chart.categoryMinorGridPen(), pen);
        const qint32 shown = std::min(period, 100);
        QCOMPARE(h.rowsMismatch(1, shown, 100 - shown + 1), QString());
        QCOMPARE(h.rowsNotEmpty(shown + 1, period), QString());
        QCOMPARE(
            h.processor.numSamplesText(),
            QStringLiteral("Samples received: 100  (on graph: %1 - 100)").arg(100 - shown + 1));
    }

    void sameViewTouchesNothing_data()
    {
        QTest::addColumn<bool>("viaSlider");

        QTest::newRow("same period again") << false;
        QTest::newRow("slider dropped on the start shown") << true;
    }
    void sameViewTouchesNothing()
    {
        QFETCH(bool, viaSlider);
        ProcessorHarness h;
        h.choosePeriod(60);
        h.feed(100);
        h.moveSlider(30);
        // A lowered limit would stop the recording after any request that got as far as finishing.
        h.processor.setIsRecording(true);
        h.processor.setStopAfterLimit(50);
        QSignalSpy stopSpy(&h.processor, &SampleProcessor::stopLimitReached);
        QSignalSpy textSpy(&h.processor, &SampleProcessor::numSamplesTextChanged);
        QSignalSpy chartSpy(&h.chart, &ChartDataModel::changed);
        QVERIFY(stopSpy.isValid() && textSpy.isValid() && chartSpy.isValid());
        const quint64 chartWrites = h.chart.writeCount();
        const quint64 sliderWrites = h.slider.writeCount();

        if (viaSlider)
            h.processor.ProcessSample(SampleViewChange, QString(), 30, 0);
        else
            h.choosePeriod(60);

        QCOMPARE(h.chart.writeCount(), chartWrites);
        QCOMPARE(h.slider.writeCount(), sliderWrites);
        QCOMPARE(stopSpy.size(), 0);
        QCOMPARE(textSpy.size(), 0);
        QCOMPARE(chartSpy.size(), 0);
    }

    void axisTitle_data()
    {
        QTest::addColumn<QDateTime>("firstTime");
        QTest::addColumn<qint32>("period");
        QTest::addColumn<qint32>("samples");
        QTest::addColumn<QString>("title");

        const QDate day(2026, 12, 5);
        QTest::newRow("within one day")
            << QDateTime(day, QTime(7, 50, 20)) << 60 << 30 << "Saturday, December 5, 2026";
        QTest::newRow("across midnight") << QDateTime(day, QTime(23, 50, 20)) << 60 << 20
                                         << "Saturday, December 5, 2026 - Sunday, December 6, 2026";
        QTest::newRow("scrolled past midnight")
            << QDateTime(day, QTime(23, 50, 20)) << 10 << 20 << "Sunday, December 6, 2026";
    }
    void axisTitle()
    {
        QFETCH(QDateTime, firstTime);
        QFETCH(qint32, period);
        QFETCH(qint32, samples);
        ProcessorHarness h;
        h.clock.set(firstTime);
        h.choosePeriod(period);
        h.feed(samples);
        QTEST(h.chart.categoryAxisTitle(), "title");
    }

    void axisTitleComparedWithoutCase()
    {
        ProcessorHarness h;
        h.choosePeriod(60);
        h.feed(1);
        const QString shouted = h.chart.categoryAxisTitle().toUpper();
        h.chart.setCategoryAxisTitle(shouted);
        h.feed(1);
        QCOMPARE(h.chart.categoryAxisTitle(), shouted);
    }

    void rollOffKeepsRowsInOrder()
    {
        ProcessorHarness h;
        h.choosePeriod(60);
        h.feed(10081);
        QCOMPARE(h.processor.StoreIndex(StoreIndexKind::FirstStored), 2);
        QCOMPARE(h.processor.store().size(), 10080);
        QCOMPARE(h.processor.store().small(1), 200);
        QCOMPARE(h.processor.store().small(10080), 1008100);
        QCOMPARE(h.processor.store().time(10080), ProcessorHarness::timeOf(10081));
        QCOMPARE(h.slider.minimum(), 2);
        QCOMPARE(h.rowsMismatch(1, 60, 10022), QString());

        // Scroll back to the oldest kept, then let a new sample redraw the newest window.
        h.feed(19);
        h.moveSlider(1);
        QCOMPARE(h.processor.ShownWindowStart(), 21);
        QCOMPARE(h.rowsMismatch(1, 60, 21), QString());
        h.feed(1);
        QCOMPARE(h.processor.ShownWindowStart(), 10042);
        QCOMPARE(h.rowsMismatch(1, 60, 10042), QString());
        QCOMPARE(h.slider.value(), 10042);
        QCOMPARE(h.slider.minimum(), 22);
        QCOMPARE(h.processor.numSamplesText(),
                 QStringLiteral("Samples received: 10,101  (on graph: 10,042 - 10,101)"));
    }

    void beyondSixteenBitSampleNumbers()
    {
        ProcessorHarness h;
        h.choosePeriod(60);
        h.feed(32800);
        QCOMPARE(h.processor.SampleCount(), 32800);
        QCOMPARE(h.processor.numSamplesText(),
                 QStringLiteral("Samples received: 32,800  (on graph: 32,741 - 32,800)"));
        QCOMPARE(h.rowsMismatch(1, 60, 32741), QString());
        QCOMPARE(h.slider.minimum(), 22721);
        QCOMPARE(h.slider.maximum(), 32741);

        h.moveSlider(30000);
        QVERIFY(h.slider.text().startsWith(QStringLiteral("Start at sample 30,000 (")));
        QCOMPARE(h.processor.ShownWindowStart(), 30000);
        QCOMPARE(h.rowsMismatch(1, 60, 30000), QString());
    }

    void oneWeekWindowScrolls()
    {
        constexpr qint32 Week = SampleStore::MaxStoredSamples;
        ProcessorHarness h;
        h.choosePeriod(Week);
        h.feed(Week);
        QCOMPARE(h.rowsMismatch(1, Week, 1), QString());

        for (qint32 i = 1; i <= 3000; ++i) {
            const quint64 writes = h.chart.writeCount();
            h.feed(1);
            const qint32 first = i + 1;
            QCOMPARE(h.processor.ShownWindowStart(), first);
            // The ends of the window after every sample, and every row now and then.
            QCOMPARE(h.rowsMismatch(1, 2, first), QString());
            QCOMPARE(h.rowsMismatch(Week - 1, Week, first + Week - 2), QString());
            if (i % 1000 == 1)
                QCOMPARE(h.rowsMismatch(1, Week, first), QString());
            QVERIFY(h.chart.writeCount() - writes < 20);
        }
        QCOMPARE(h.processor.numSamplesText(),
                 QStringLiteral("Samples received: 13,080  (on graph: 3,001 - 13,080)"));
    }
};

QTEST_GUILESS_MAIN(TestChartWindow)
#include "tst_chartwindow.moc"
