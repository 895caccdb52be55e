// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "charting/chartdatamodel.h"
#include "charting/sampleprocessor.h"
#include "charting/sampletimeformatter.h"
#include "charting/slidermodel.h"
#include "common/clock.h"
#include "common/localeformats.h"
#include "common/notifier.h"
#include "logfile/logwriter.h"
#include "testsupport.h"

#include <QTemporaryDir>

#include <functional>

namespace orvel::test {

/// Records every message and lets a test act on it, as a user clicking around while a message is
/// on screen would.
struct HookedNotifier : RecordingNotifier
{
    void showError(const QString &message) override
    {
        RecordingNotifier::showError(message);
        if (onError)
            onError(message);
    }
    std::function<void(const QString &)> onError;
};

/// A sample processor wired to real parts: a chart and slider model, a log writer that writes into
/// a temporary folder once openLog() is called, a recording notifier, and a clock frozen at
/// frozenTime() that feed() moves on by one minute per sample.
///
/// Sample k of feed() reads "k,2k": the chart then shows 100·k in the small column and 200·k in
/// the large one, so every row tells which sample it holds.
struct ProcessorHarness
{
    ProcessorHarness()
    {
        chart.setColumnCount(2);
        processor.ProcessSample(SampleReset);
    }

    void openLog() { log.open(logPath()); }
    QString logPath() const { return dir.filePath(QStringLiteral("log.txt")); }
    QByteArray logBytes() const { return fileBytes(logPath()); }

    /// Chooses a display period of `rows` rows through the list handler.
    void choosePeriod(qint32 rows) { processor.handleDisplayPeriodChanged(rows); }
    /// Drops the slider at `start` through the slider handler.
    void moveSlider(qint32 start)
    {
        slider.setValue(start);
        processor.handleSliderMoved();
    }

    static QString lineFor(qint32 sample)
    {
        return QStringLiteral("%1,%2\r\n").arg(sample).arg(2 * qint64(sample));
    }
    /// The time stamp feed() gives sample k.
    static QDateTime timeOf(qint32 sample, QDateTime first = frozenTime())
    {
        return first.addSecs(60 * qint64(sample - 1));
    }

    /// Feeds the next `count` samples, one minute apart.
    void feed(qint32 count)
    {
        for (qint32 i = 0; i < count; ++i) {
            if (processor.SampleCount() > 0)
                clock.advanceSecs(60);
            processor.ProcessSample(SampleNewLine, lineFor(processor.SampleCount() + 1));
        }
    }

    /// Checks that rows `firstRow` .. `lastRow` show consecutive samples from `firstSample` on,
    /// values and labels; gives a description of the first row that does not, else empty text.
    QString rowsMismatch(qint32 firstRow, qint32 lastRow, qint32 firstSample) const
    {
        for (qint32 row = firstRow; row <= lastRow; ++row) {
            const qint32 sample = firstSample + row - firstRow;
            const auto small = chart.value(row, SampleStore::SmallChannel);
            const auto large = chart.value(row, SampleStore::LargeChannel);
            const QString label = labels.FormatSampleTime(timeOf(sample), false);
            if (small != 100.0 * sample || large != 200.0 * sample ||
                chart.rowLabel(row) != label) {
                return QStringLiteral("row %1: expected sample %2 (%3) but found %4 / %5 (%6)")
                    .arg(row)
                    .arg(sample)
                    .arg(label)
                    .arg(small ? QString::number(*small) : QStringLiteral("empty"))
                    .arg(large ? QString::number(*large) : QStringLiteral("empty"))
                    .arg(chart.rowLabel(row));
            }
        }
        return {};
    }

    /// The same for rows that must hold nothing.
    QString rowsNotEmpty(qint32 firstRow, qint32 lastRow) const
    {
        for (qint32 row = firstRow; row <= lastRow; ++row) {
            if (chart.value(row, 1) || chart.value(row, 2) || !chart.rowLabel(row).isEmpty())
                return QStringLiteral("row %1 is not empty").arg(row);
        }
        return {};
    }

    const LocaleFormats formats{QLocale(QStringLiteral("en_US"))};
    const SampleTimeFormatter labels{formats};
    QTemporaryDir dir;
    HookedNotifier notifier;
    FixedClock clock{frozenTime()};
    LogWriter log{notifier};
    ChartDataModel chart;
    SliderModel slider;
    SampleProcessor processor{chart, slider, log, notifier, clock, formats};
};

} // namespace orvel::test
