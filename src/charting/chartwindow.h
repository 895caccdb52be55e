// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "charting/sampleflags.h"
#include "charting/sampletimeformatter.h"

#include <QDate>
#include <QString>

namespace orvel {

class ChartDataModel;
class LocaleFormats;
class SampleStore;
class SliderModel;

/// First and last sample number of the chart's window.
struct SampleWindow
{
    qint32 start = 1;
    qint32 end = 1;
};

/// The chart side of sample processing: which samples the chart shows, how its rows follow the
/// store (redraw, one-row scroll or nothing), the display period, the axis title and the slider.
/// Works on the store, chart and slider it is given; the sample counter is passed in, since the
/// processor owns it. Called by SampleProcessor in the order of one request; UI thread only.
class ChartWindow
{
public:
    /// How the grid rows follow a request.
    enum class GridAction { Leave, Redraw, Scroll };

    ChartWindow(SampleStore &store, ChartDataModel &chart, SliderModel &slider,
                const LocaleFormats &formats);

    /// The row labels' formatter, also used for the slider's text.
    const SampleTimeFormatter &labels() const { return m_labels; }

    /// Sample-number arithmetic of the store for `sampleCount` samples. With `afterPending` the
    /// roll-off that one more sample would cause is counted in. `rows` (LatestWindowStart only) is
    /// the window's row count, 0 for the chart's current one.
    qint32 StoreIndex(StoreIndexKind kind, qint32 sampleCount, bool afterPending = false,
                      qint32 rows = 0) const;

    /// The window a request asks for, before a new sample is counted.
    SampleWindow computeWindow(SampleFlags flags, qint32 sampleCount, qint32 startSample,
                               qint32 periodRows) const;
    /// Applies a new display period when `periodRows` differs from the chart's row count: the
    /// rows beyond the samples shown lose their labels, and 60 rows or more are drawn without
    /// category grid lines.
    void changePeriod(qint32 periodRows, qint32 sampleCount, qint32 start);
    /// Brings the grid rows to `window`: a full redraw, a one-row scroll while following the
    /// newest sample, or nothing. Rolls the store first when the pending sample needs the room.
    GridAction updateGrid(SampleFlags flags, SampleWindow window, qint32 sampleCount,
                          qint32 shownWindowStart);
    /// Writes the newest sample (counted and stored) to its row.
    void writeNewSampleRow(qint32 sampleCount);
    /// The category axis title: the long date of the window, or "first - last" across midnight.
    void updateAxisTitle(SampleWindow window, qint32 sampleCount);
    /// Range, position, ticks and enabled state of the slider for `sampleCount` samples.
    void UpdateSlider(qint32 sampleCount);
    /// Empties the chart keeping its size, and names the axes and series anew.
    void reset();

    /// Text of the value axis and series names.
    static QString valueAxisTitle();
    static QString largeSeriesLabel();
    static QString smallSeriesLabel();

private:
    void redraw(SampleWindow window, qint32 sampleCount, qint32 dropped);
    void writeRow(qint32 row, qint32 slot);

    SampleStore &m_store;
    ChartDataModel &m_chart;
    SliderModel &m_slider;
    const LocaleFormats &m_formats;
    SampleTimeFormatter m_labels;
    /// Last title computed, by the dates it was computed for; the long dates only change at
    /// midnight, so most samples skip formatting them.
    QDate m_titleFirst;
    QDate m_titleLast;
    QString m_title;
};

} // namespace orvel
