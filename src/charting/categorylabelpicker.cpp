// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/categorylabelpicker.h"

#include "charting/chartdatamodel.h"

#include <array>
#include <span>

namespace orvel {

namespace {
constexpr std::array<qint32, 17> Steps = {1,   2,   5,   10,  15,   20,   30,   60,   120,
                                          180, 240, 360, 720, 1440, 2880, 4320, 10080};
const QString DateSeparator = QStringLiteral(" - ");

QString axisText(const QString &label)
{
    const qsizetype at = label.lastIndexOf(DateSeparator);
    if (at < 0)
        return label;
    return label.mid(at + DateSeparator.size()) + QLatin1Char('\n') + label.left(at);
}
} // namespace

qint32 CategoryLabelPicker::stepFor(double pixelsPerRow, double labelPixels)
{
    for (qint32 step : Steps) {
        if (step * pixelsPerRow >= labelPixels)
            return step;
    }
    return Steps.back();
}

int CategoryLabelPicker::minuteOfDay(const QString &label)
{
    if (label.size() < 5)
        return -1;
    const QStringView tail = QStringView(label).right(5);
    const auto digit = [&](int i) {
        const QChar c = tail[i];
        if (c >= u'0' && c <= u'9')
            return int(c.unicode() - u'0');
        return c.isDigit() ? c.digitValue() : -1;
    };
    const int h1 = digit(0), h2 = digit(1), m1 = digit(3), m2 = digit(4);
    if (h1 < 0 || h2 < 0 || m1 < 0 || m2 < 0 || tail[2].isDigit())
        return -1;
    const int hours = h1 * 10 + h2;
    const int minutes = m1 * 10 + m2;
    if (hours > 23 || minutes > 59)
        return -1;
    return hours * 60 + minutes;
}

std::vector<CategoryLabelPicker::Tick>
CategoryLabelPicker::pick(const ChartDataModel &model, double pixelsPerRow, double labelPixels)
{
    std::vector<Tick> ticks;
    const qint32 rows = model.rowCount();
    if (rows <= 0 || pixelsPerRow <= 0)
        return ticks;
    const qint32 step = stepFor(pixelsPerRow, labelPixels);
    if (step == 1) {
        for (qint32 row = 1; row <= rows; ++row) {
            const QString &label = model.rowLabel(row);
            if (!label.isEmpty())
                ticks.push_back({row, axisText(label)});
        }
        return ticks;
    }

    // Labels that carry a time of day: a label wherever the time enters a new step, counted in
    // minutes since the first midnight of the window (so steps longer than a day work too). The
    // step in minutes follows the pixels per minute: rows that share a minute (several samples a
    // minute) spread a minute wider than a row. One pass over the labels finds the timed rows; the
    // labels themselves are read again only for the rows that get one.
    struct TimedRow
    {
        qint32 row;
        qint64 minute;
    };
    std::vector<TimedRow> timedRows;
    {
        qint64 dayBase = 0;
        int previousMinute = -1;
        qint32 row = 0;
        for (const std::span<const QString> &run : model.rowLabelRuns()) {
            for (const QString &label : run) {
                ++row;
                const int minute = minuteOfDay(label);
                if (minute < 0)
                    continue;
                if (previousMinute >= 0 && minute < previousMinute)
                    dayBase += 1440;
                previousMinute = minute;
                timedRows.push_back({row, dayBase + minute});
            }
        }
    }
    const qint64 firstMinute = timedRows.empty() ? -1 : timedRows.front().minute;
    const qint64 lastMinute = timedRows.empty() ? -1 : timedRows.back().minute;
    // All in one minute, or no times at all: every step-th row.
    const bool timed = lastMinute > firstMinute;
    if (timed) {
        const double pixelsPerMinute =
            pixelsPerRow * double(timedRows.size() - 1) / double(lastMinute - firstMinute);
        const qint32 minuteStep = stepFor(pixelsPerMinute, labelPixels);
        qint64 previousBucket = -1;
        qint32 lastRow = -step;
        const qint32 minimumGap = std::max(1, step / 2);
        for (const TimedRow &entry : timedRows) {
            const qint64 bucket = entry.minute / minuteStep;
            const bool entersStep =
                previousBucket < 0 ? entry.minute % minuteStep == 0 : bucket != previousBucket;
            previousBucket = bucket;
            if (entersStep && entry.row - lastRow >= minimumGap) {
                ticks.push_back({entry.row, axisText(model.rowLabel(entry.row))});
                lastRow = entry.row;
            }
        }
    }
    if (timed)
        return ticks;

    for (qint32 row = 1; row <= rows; row += step) {
        const QString &label = model.rowLabel(row);
        if (!label.isEmpty())
            ticks.push_back({row, axisText(label)});
    }
    return ticks;
}

} // namespace orvel
