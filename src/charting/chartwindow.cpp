// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/chartwindow.h"

#include "charting/chartdatamodel.h"
#include "charting/samplestore.h"
#include "charting/slidermodel.h"
#include "common/localeformats.h"

#include <algorithm>

namespace orvel {

namespace {

constexpr qint32 MaxStored = SampleStore::MaxStoredSamples;
/// Periods this long are drawn without the category axis line and grid lines.
constexpr qint32 GridlessRows = 60;

/// `numerator` ÷ `denominator` rounded to the nearest integer, halves to the even neighbour.
/// Both are non-negative; the denominator is not 0.
qint64 roundHalfEven(qint64 numerator, qint64 denominator)
{
    qint64 quotient = numerator / denominator;
    const qint64 twiceRemainder = 2 * (numerator % denominator);
    if (twiceRemainder > denominator || (twiceRemainder == denominator && quotient % 2 != 0))
        ++quotient;
    return quotient;
}

qint32 droppedFor(qint32 sampleCount)
{
    return sampleCount > MaxStored ? sampleCount - MaxStored : 0;
}

} // namespace

ChartWindow::ChartWindow(SampleStore &store, ChartDataModel &chart, SliderModel &slider,
                         const LocaleFormats &formats)
    : m_store(store)
    , m_chart(chart)
    , m_slider(slider)
    , m_formats(formats)
    , m_labels(formats)
{}

QString ChartWindow::valueAxisTitle()
{
    return QStringLiteral("Particles per cubic foot");
}

QString ChartWindow::largeSeriesLabel()
{
    return QStringLiteral("Large Particles");
}

QString ChartWindow::smallSeriesLabel()
{
    return QStringLiteral("Small Particles");
}

qint32 ChartWindow::StoreIndex(StoreIndexKind kind, qint32 sampleCount, bool afterPending,
                               qint32 rows) const
{
    const qint32 dropped = droppedFor(sampleCount);
    // One more sample rolls the store once it already holds a full week.
    const qint32 droppedAfter = sampleCount < MaxStored ? 0 : sampleCount - (MaxStored - 1);
    const qint32 base = afterPending ? droppedAfter : dropped;
    switch (kind) {
    case StoreIndexKind::DroppedCount:
        return base;
    case StoreIndexKind::FirstStored:
        return base + 1;
    case StoreIndexKind::LatestWindowStart: {
        const qint32 r = std::min(rows > 0 ? rows : m_chart.rowCount(), MaxStored);
        return std::max(sampleCount - r + 1, base + 1);
    }
    case StoreIndexKind::StoredCount:
        return sampleCount - dropped;
    }
    return 0;
}

SampleWindow ChartWindow::computeWindow(SampleFlags flags, qint32 sampleCount, qint32 startSample,
                                        qint32 periodRows) const
{
    if (sampleCount == 0)
        return {1, 1};
    const qint32 r = periodRows > 0 ? periodRows : m_chart.rowCount();
    const bool newLine = flags.testFlag(SampleNewLine);
    const qint32 first = StoreIndex(StoreIndexKind::FirstStored, sampleCount, newLine);
    const qint32 latest = StoreIndex(StoreIndexKind::LatestWindowStart, sampleCount, false, r);

    SampleWindow window;
    if (startSample > 0) {
        window.start = std::min(std::max(startSample, first), latest);
        window.end = std::min(window.start + r - 1, sampleCount);
    } else if (newLine) {
        window.end = sampleCount + 1;
        window.start = sampleCount < r ? first : window.end - r + 1;
    } else {
        window.end = sampleCount;
        window.start = sampleCount < r ? first : latest;
    }
    return window;
}

void ChartWindow::changePeriod(qint32 periodRows, qint32 sampleCount, qint32 start)
{
    if (periodRows <= 0 || periodRows == m_chart.rowCount())
        return;
    m_chart.setRowCount(periodRows);
    for (qint32 row = std::max(sampleCount - start + 2, 1); row <= periodRows; ++row)
        m_chart.setRowLabel(row, QString());
    const auto pen = periodRows >= GridlessRows ? ChartDataModel::PenStyle::None
                                                : ChartDataModel::PenStyle::Solid;
    m_chart.setCategoryAxisPen(pen);
    m_chart.setCategoryMajorGridPen(pen);
    m_chart.setCategoryMinorGridPen(pen);
}

ChartWindow::GridAction ChartWindow::updateGrid(SampleFlags flags, SampleWindow window,
                                                qint32 sampleCount, qint32 shownWindowStart)
{
    const qint32 rows = m_chart.rowCount();
    const bool newLine = flags.testFlag(SampleNewLine);
    GridAction action = GridAction::Leave;
    if (flags.testFlag(SampleRedraw)) {
        action = GridAction::Redraw;
    } else if (newLine) {
        const bool chartFull = sampleCount >= rows && window.end - window.start + 1 >= rows;
        if (chartFull || sampleCount >= MaxStored) {
            action = window.start == shownWindowStart + 1 ? GridAction::Scroll : GridAction::Redraw;
        }
    } else if (window.start != shownWindowStart) {
        action = GridAction::Redraw;
    }

    // Room for the pending sample: the store rolls before the rows are drawn from it.
    const bool rolls = newLine && sampleCount >= MaxStored && action != GridAction::Leave;
    const qint32 storedBefore = StoreIndex(StoreIndexKind::StoredCount, sampleCount);
    if (rolls)
        m_store.rollOff();

    if (action == GridAction::Redraw) {
        const qint32 dropped = rolls ? sampleCount - (MaxStored - 1) : droppedFor(sampleCount);
        redraw(window, sampleCount, dropped);
    } else if (action == GridAction::Scroll) {
        const qint32 n = std::min({storedBefore, rows, MaxStored});
        m_chart.MoveData(n);
        m_chart.shiftRowLabelsUp(n);
    }
    return action;
}

void ChartWindow::redraw(SampleWindow window, qint32 sampleCount, qint32 dropped)
{
    const qint32 rows = m_chart.rowCount();
    for (qint32 row = 1; row <= rows; ++row) {
        const qint32 sample = window.start + row - 1;
        const qint32 slot = sample - dropped;
        if (sample > sampleCount || slot < 1 || slot > MaxStored || slot > m_store.size())
            break;
        writeRow(row, slot);
    }
}

void ChartWindow::writeNewSampleRow(qint32 sampleCount)
{
    const qint32 slot = StoreIndex(StoreIndexKind::StoredCount, sampleCount);
    writeRow(std::min({slot, m_chart.rowCount(), MaxStored}), slot);
}

void ChartWindow::writeRow(qint32 row, qint32 slot)
{
    m_chart.setData(row, SampleStore::SmallChannel, m_store.small(slot));
    m_chart.setData(row, SampleStore::LargeChannel, m_store.large(slot));
    m_chart.setRowLabel(row, m_labels.FormatSampleTime(m_store.time(slot), false));
}

void ChartWindow::updateAxisTitle(SampleWindow window, qint32 sampleCount)
{
    const qint32 dropped = droppedFor(sampleCount);
    const QDate first = m_store.time(window.start - dropped).date();
    const QDate last = m_store.time(window.end - dropped).date();
    if (m_title.isNull() || first != m_titleFirst || last != m_titleLast) {
        m_title = m_formats.longDate(last);
        if (first != last)
            m_title = m_formats.longDate(first) + QStringLiteral(" - ") + m_title;
        m_titleFirst = first;
        m_titleLast = last;
    }
    if (m_title.compare(m_chart.categoryAxisTitle(), Qt::CaseInsensitive) != 0)
        m_chart.setCategoryAxisTitle(m_title);
}

void ChartWindow::UpdateSlider(qint32 sampleCount)
{
    if (sampleCount == 0) {
        if (m_slider.minimum() != 0)
            m_slider.setMinimum(0);
        if (m_slider.maximum() != 10)
            m_slider.setMaximum(10);
        if (m_slider.value() != m_slider.minimum())
            m_slider.setValue(m_slider.minimum());
        if (m_slider.isEnabled())
            m_slider.setEnabled(false);
        return;
    }

    const qint32 lo = StoreIndex(StoreIndexKind::FirstStored, sampleCount);
    const qint32 hi = std::max(StoreIndex(StoreIndexKind::LatestWindowStart, sampleCount), lo + 10);
    if (m_slider.maximum() != hi) {
        if (hi <= m_slider.minimum())
            m_slider.setMinimum(lo);
        m_slider.setMaximum(hi);
    }
    if (m_slider.minimum() != lo)
        m_slider.setMinimum(lo);

    const qint32 rows = m_chart.rowCount();
    const qint32 stored = StoreIndex(StoreIndexKind::StoredCount, sampleCount);
    qint32 value = m_slider.maximum();
    if (stored == 0)
        value = m_slider.minimum();
    else if (stored < rows)
        // While the chart still has empty rows the thumb stands at the chart's fill ratio.
        value = qint32(roundHalfEven(qint64(m_slider.maximum()) * stored, rows));
    value = std::clamp(value, m_slider.minimum(), m_slider.maximum());
    if (m_slider.value() != value)
        m_slider.setValue(value);

    const qint32 ticks =
        std::max(qint32(roundHalfEven(qint64(m_slider.maximum()) - m_slider.minimum(), 10)), 1);
    if (m_slider.tickFrequency() != ticks)
        m_slider.setTickFrequency(ticks);

    const bool enabled = stored > rows;
    if (m_slider.isEnabled() != enabled)
        m_slider.setEnabled(enabled);
}

void ChartWindow::reset()
{
    const qint32 rows = m_chart.rowCount();
    m_chart.setRowCount(0);
    m_chart.setRowCount(rows);
    const qint32 columns = m_chart.columnCount();
    m_chart.setColumnCount(0);
    m_chart.setColumnCount(columns);
    m_chart.setCategoryAxisTitle(QString());
    m_chart.setValueAxisTitle(valueAxisTitle());
    m_chart.setCurrentColumn(SampleStore::LargeChannel);
    m_chart.setColumnLabel(largeSeriesLabel());
    m_chart.setCurrentColumn(SampleStore::SmallChannel);
    m_chart.setColumnLabel(smallSeriesLabel());
}

} // namespace orvel
