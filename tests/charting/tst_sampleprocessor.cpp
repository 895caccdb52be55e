// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "processorharness.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace orvel;
using test::ProcessorHarness;

namespace {

/// The log as text, with the narrow no-break space some locale data puts before AM/PM made plain.
QString logText(const ProcessorHarness &h)
{
    QString text = QString::fromUtf8(h.logBytes());
    text.replace(u'\u202f', u' ');
    return text;
}

qsizetype sampleRows(const QString &log)
{
    static const QRegularExpression row(QStringLiteral("^-?\\d+\\t-?\\d+\\t"),
                                        QRegularExpression::MultilineOption);
    return log.count(row);
}

} // namespace

class TestSampleProcessor : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firstLineWritesHeaderThenRow_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("counts");
        QTest::addColumn<QString>("largeText");
        QTest::addColumn<QString>("smallText");
        const struct
        {
            const char *row, *line, *counts, *largeText, *smallText;
        } rows[] = {
            {"as the unit sends it", "12,3\r\n", "1200\t300", "3", "12"},
            {"largest count, no exponent", "21474836,21474836\r\n", "2147483600\t2147483600",
             "21474836", "21474836"},
        };
        for (const auto &r : rows)
            QTest::newRow(r.row) << r.line << r.counts << r.largeText << r.smallText;
    }
    void firstLineWritesHeaderThenRow()
    {
        QFETCH(QString, line);
        QFETCH(QString, counts);
        ProcessorHarness h;
        h.openLog();
        h.choosePeriod(60);
        QSignalSpy textSpy(&h.processor, &SampleProcessor::countTextsChanged);
        QVERIFY(textSpy.isValid());

        h.processor.ProcessSample(SampleNewLine, line);
        h.log.close();

        QCOMPARE(logText(h), QStringLiteral("Small\tLarge\tDate/Time\r\n") + counts +
                                 QStringLiteral("\t12/5/2026 7:50:20 AM\r\n"));
        QCOMPARE(textSpy.size(), 1);
        QTEST(textSpy.at(0).at(0).toString(), "largeText");
        QTEST(textSpy.at(0).at(1).toString(), "smallText");
        QTEST(h.processor.largeCountText(), "largeText");
        QTEST(h.processor.smallCountText(), "smallText");
        QCOMPARE(h.processor.numSamplesText(),
                 QStringLiteral("Samples received: 1  (on graph: 1)"));
        QCOMPARE(h.chart.rowLabel(1), QStringLiteral("07:50"));
        QCOMPARE(h.notifier.messages, QStringList());
    }

    void badLineChangesNothing_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("shown");

        QTest::newRow("no comma") << "abc\r\n"
                                  << "The counter unit sent a line that is not a reading: \"abc\" "
                                     "(expected two counts separated by a comma).";
        QTest::newRow("product beyond 32 bits") << "21474837,0\r\n"
                                                << "\"21474837,0\"";
    }
    void badLineChangesNothing()
    {
        QFETCH(QString, line);
        QFETCH(QString, shown);
        ProcessorHarness h;
        h.openLog();
        h.choosePeriod(60);
        h.feed(2);
        h.processor.setIsRecording(true);
        h.processor.setStopAfterLimit(2);
        const QString numSamples = h.processor.numSamplesText();
        const QString title = h.chart.categoryAxisTitle();
        const QByteArray logged = h.logBytes();
        const qint32 sliderValue = h.slider.value();
        QSignalSpy textSpy(&h.processor, &SampleProcessor::countTextsChanged);
        QSignalSpy stopSpy(&h.processor, &SampleProcessor::stopLimitReached);
        QVERIFY(textSpy.isValid() && stopSpy.isValid());
        h.chart.setRepaint(false);

        h.clock.advanceSecs(60);
        h.processor.ProcessSample(SampleNewLine, line);

        QCOMPARE(h.notifier.messages.size(), 1);
        QVERIFY2(h.notifier.messages.at(0).contains(shown), qPrintable(h.notifier.messages.at(0)));
        QVERIFY(
            !h.notifier.messages.at(0).contains(QStringLiteral("Division"), Qt::CaseInsensitive));
        QCOMPARE(h.processor.SampleCount(), 2);
        QCOMPARE(h.processor.store().size(), 2);
        QCOMPARE(h.processor.statistics().Added, qint64(2));
        QCOMPARE(h.rowsMismatch(1, 2, 1), QString());
        QCOMPARE(h.rowsNotEmpty(3, 60), QString());
        QCOMPARE(h.processor.numSamplesText(), numSamples);
        QCOMPARE(h.chart.categoryAxisTitle(), title);
        QCOMPARE(h.slider.value(), sliderValue);
        QCOMPARE(h.processor.largeCountText(), QStringLiteral("4"));
        QCOMPARE(textSpy.size(), 0);
        QCOMPARE(h.logBytes(), logged);
        // ... but the request still finishes: repainting back on, a limit reached still stops.
        QVERIFY(h.chart.repaint());
        QVERIFY(!h.processor.ProcessorBusy());
        QCOMPARE(stopSpy.size(), 1);

        // The next reading carries on as if the bad line had never come.
        h.processor.ProcessSample(SampleNewLine, ProcessorHarness::lineFor(3));
        QCOMPARE(h.notifier.messages.size(), 1);
        QCOMPARE(h.processor.SampleCount(), 3);
        QCOMPARE(h.rowsMismatch(1, 3, 1), QString());
        QCOMPARE(sampleRows(logText(h)), 3);
    }

    void stopAfterLimit_data()
    {
        QTest::addColumn<qint32>("limit");
        QTest::addColumn<bool>("recording");
        QTest::addColumn<qint32>("stoppedAt");

        QTest::newRow("after ten") << 10 << true << 10;
        QTest::newRow("after the first") << 1 << true << 1;
        QTest::newRow("continuous") << 0 << true << -1;
        QTest::newRow("not recording") << 10 << false << -1;
    }
    void stopAfterLimit()
    {
        QFETCH(qint32, limit);
        QFETCH(bool, recording);
        QFETCH(qint32, stoppedAt);
        ProcessorHarness h;
        h.openLog();
        h.choosePeriod(60);
        h.processor.setIsRecording(recording);
        h.processor.setStopAfterLimit(limit);
        qint32 countAtStop = -1;
        qsizetype rowsAtStop = -1;
        QString lastRowAtStop;
        // What the shell's Record command does when it stops a recording.
        connect(&h.processor, &SampleProcessor::stopLimitReached, &h.processor, [&] {
            countAtStop = h.processor.SampleCount();
            rowsAtStop = sampleRows(logText(h));
            lastRowAtStop = h.chart.rowLabel(countAtStop);
            h.processor.setIsRecording(false);
            h.log.WriteSummary(h.processor.SampleCount(), h.processor.statistics(), h.formats);
            h.log.close();
        });

        h.feed(12);

        QCOMPARE(countAtStop, stoppedAt);
        if (stoppedAt > 0) {
            // Stopped right after the limit's sample was logged and drawn.
            QCOMPARE(rowsAtStop, stoppedAt);
            QCOMPARE(lastRowAtStop,
                     h.labels.FormatSampleTime(ProcessorHarness::timeOf(stoppedAt), false));
            const QString log = logText(h);
            QCOMPARE(sampleRows(log), stoppedAt);
            QVERIFY(log.contains(QStringLiteral("Number of samples : %1\r\n").arg(stoppedAt)));
        } else {
            QCOMPARE(sampleRows(logText(h)), 12);
        }
    }

    void loweredLimitStopsAfterTheNextRequest()
    {
        ProcessorHarness h;
        h.choosePeriod(60);
        h.processor.setIsRecording(true);
        h.feed(5);
        QSignalSpy stopSpy(&h.processor, &SampleProcessor::stopLimitReached);
        QVERIFY(stopSpy.isValid());
        h.processor.setStopAfterLimit(3);
        QCOMPARE(stopSpy.size(), 0);
        h.choosePeriod(10);
        QCOMPARE(stopSpy.size(), 1);
    }

    void demonstrationStampsOneMinuteApart_data()
    {
        QTest::addColumn<qint64>("timerSecs");

        QTest::newRow("six-second timer") << qint64(6);
        QTest::newRow("samples in a burst") << qint64(0);
        QTest::newRow("hour-long gaps") << qint64(3600);
    }
    void demonstrationStampsOneMinuteApart()
    {
        QFETCH(qint64, timerSecs);
        ProcessorHarness h;
        h.openLog();
        h.choosePeriod(10);
        h.processor.setIsDemo(true);
        // The demonstration starts at its first good line.
        h.processor.ProcessSample(SampleNewLine, QStringLiteral("abc\r\n"));
        QVERIFY(h.processor.DemoStartTime().isNull());
        h.clock.advanceSecs(300);
        for (qint32 k = 1; k <= 3; ++k) {
            h.processor.ProcessSample(SampleNewLine, ProcessorHarness::lineFor(k));
            h.clock.advanceSecs(timerSecs);
        }
        const QDateTime start = test::frozenTime().addSecs(300);
        QCOMPARE(h.processor.DemoStartTime(), start);
        QCOMPARE(h.processor.store().time(1), start);
        QCOMPARE(h.processor.store().time(3), start.addSecs(120));
        QVERIFY(logText(h).contains(QStringLiteral("300\t600\t12/5/2026 7:57:20 AM\r\n")));
    }

    void reset_data()
    {
        QTest::addColumn<bool>("repaint");

        QTest::newRow("repainting on") << true;
        QTest::newRow("repainting off") << false;
    }
    void reset()
    {
        QFETCH(bool, repaint);
        ProcessorHarness h;
        int demoResets = 0;
        h.processor.setDemoResetHook([&] { ++demoResets; });
        h.choosePeriod(60);
        h.processor.setIsDemo(true);
        h.feed(70);
        h.moveSlider(3);
        QSignalSpy countSpy(&h.processor, &SampleProcessor::countTextsChanged);
        QSignalSpy numSpy(&h.processor, &SampleProcessor::numSamplesTextChanged);
        QVERIFY(countSpy.isValid() && numSpy.isValid());
        h.chart.setRepaint(repaint);

        h.processor.ProcessSample(SampleReset | SampleNewLine, ProcessorHarness::lineFor(71));

        QCOMPARE(h.chart.repaint(), repaint);
        QCOMPARE(demoResets, 1);
        QCOMPARE(h.processor.largeCountText(), QStringLiteral("0"));
        QCOMPARE(h.processor.smallCountText(), QStringLiteral("0"));
        QCOMPARE(countSpy.size(), 1);
        QCOMPARE(h.processor.numSamplesText(), QString());
        QCOMPARE(numSpy.size(), 1);
        QCOMPARE(numSpy.at(0).at(0).toString(), QString());
        QCOMPARE(h.processor.statistics().Added, qint64(0));
        QCOMPARE(h.processor.statistics().SumLarge, 0.0);
        QCOMPARE(h.processor.SampleCount(), 0);
        QVERIFY(h.processor.store().isEmpty());
        QCOMPARE(h.processor.ShownWindowStart(), 1);
        QVERIFY(h.processor.DemoStartTime().isNull());
        QCOMPARE(h.slider.value(), h.slider.minimum());
        QVERIFY(!h.slider.isEnabled());
        QCOMPARE(h.chart.rowCount(), 60);
        QCOMPARE(h.chart.columnCount(), 2);
        QCOMPARE(h.rowsNotEmpty(1, 60), QString());
        QCOMPARE(h.chart.categoryAxisTitle(), QString());
        QCOMPARE(h.chart.valueAxisTitle(), QStringLiteral("Particles per cubic foot"));
        QCOMPARE(h.chart.columnLabel(1), QStringLiteral("Large Particles"));
        QCOMPARE(h.chart.columnLabel(2), QStringLiteral("Small Particles"));
    }

    void requestDuringARequestIsQueued_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<qint32>("countAfter");
        QTest::addColumn<QString>("rowsAfter");

        QTest::newRow("two readings from the count texts signal")
            << "countTexts"
            << "12,3\r\n"
            << 3 << "1200\t300|500\t600|700\t800";
        QTest::newRow("a reading from the message of a bad line") << "notifier"
                                                                  << "abc\r\n"
                                                                  << 1 << "500\t600";
        QTest::newRow("a reset from the counter text") << "reset"
                                                       << "12,3\r\n"
                                                       << 0 << "1200\t300";
    }
    void requestDuringARequestIsQueued()
    {
        QFETCH(QString, entry);
        QFETCH(QString, trigger);
        ProcessorHarness h;
        h.openLog();
        h.choosePeriod(60);
        bool entered = false;
        bool busyInside = false;
        qint32 countInside = -1;
        const auto reenter = [&](const std::function<void()> &requests) {
            if (entered)
                return;
            entered = true;
            requests();
            busyInside = h.processor.ProcessorBusy();
            countInside = h.processor.SampleCount();
        };
        const auto readings = [&] {
            h.processor.ProcessSample(SampleNewLine, QStringLiteral("5,6\r\n"));
            if (entry == QLatin1String("countTexts"))
                h.processor.ProcessSample(SampleNewLine, QStringLiteral("7,8\r\n"));
        };
        qint32 countBefore = 0;
        if (entry == QLatin1String("countTexts")) {
            countBefore = 1;
            connect(&h.processor, &SampleProcessor::countTextsChanged, &h.processor,
                    [&] { reenter(readings); });
        } else if (entry == QLatin1String("notifier")) {
            h.notifier.onError = [&](const QString &) { reenter(readings); };
        } else {
            countBefore = 1;
            connect(&h.processor, &SampleProcessor::numSamplesTextChanged, &h.processor,
                    [&] { reenter([&] { h.processor.ProcessSample(SampleReset); }); });
        }

        h.processor.ProcessSample(SampleNewLine, trigger);

        QVERIFY(entered);
        // Nothing ran inside the running request ...
        QVERIFY(busyInside);
        QCOMPARE(countInside, countBefore);
        // ... and everything ran right after it, in order.
        QVERIFY(!h.processor.ProcessorBusy());
        QTEST(h.processor.SampleCount(), "countAfter");
        QFETCH(QString, rowsAfter);
        const QStringList lines = logText(h).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QStringList counts;
        for (const QString &line : lines.mid(1))
            counts << line.section(u'\t', 0, 1);
        QCOMPARE(counts.join(u'|'), rowsAfter);
        QCOMPARE(lines.value(0), QStringLiteral("Small\tLarge\tDate/Time"));
    }

    void loadedSamplesShowAfterAForcedRedraw()
    {
        ProcessorHarness h;
        h.choosePeriod(60);
        for (qint32 k = 1; k <= 30; ++k)
            h.processor.addLoadedSample(100 * k, 200 * k, ProcessorHarness::timeOf(k));
        QCOMPARE(h.processor.SampleCount(), 30);
        QCOMPARE(h.processor.statistics().MaxLarge, 6000);
        // Choosing the period the chart already has does nothing ...
        h.processor.handleDisplayPeriodChanged(60);
        QCOMPARE(h.rowsNotEmpty(1, 60), QString());

        // ... unless the list's selection was cleared first: then every row is redrawn.
        h.processor.handleDisplayPeriodChanged(std::nullopt);
        QCOMPARE(h.processor.PendingRedraw(), SampleFlags(SampleRedraw));
        h.processor.handleDisplayPeriodChanged(60);
        QCOMPARE(h.processor.PendingRedraw(), SampleFlags());
        QCOMPARE(h.rowsMismatch(1, 30, 1), QString());
        QCOMPARE(h.rowsNotEmpty(31, 60), QString());
        QCOMPARE(h.processor.numSamplesText(),
                 QStringLiteral("Samples received: 30  (on graph: 1 - 30)"));
    }
};

QTEST_GUILESS_MAIN(TestSampleProcessor)
#include "tst_sampleprocessor.moc"
