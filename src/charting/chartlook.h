// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <array>
#include <vector>

class QCPGraph;
class QCPLayoutGrid;
class QCustomPlot;
class QPalette;

namespace orvel {

class BarPlottable;
class StatisticLines;

/// How the chart looks around its data: the colours, taken from the widget's palette (background,
/// axes, grid, text and two series colours that stand out on light and dark backgrounds alike),
/// the legend in a row of its own above the plot, the statistic labels in a column right of the
/// plot (stacked where their values lie close), and what gives way on a short chart: fewer value
/// ticks, elided axis titles, then no legend and no statistic labels, then no date title below
/// the time labels.
///
/// Works on the plot's parts owned by the chart; arranges them before every replot and places
/// the labels once the plot's layout is known. UI thread only.
class ChartLook
{
public:
    /// Below this height of the plot the legend gives way.
    static constexpr int LegendMinimumHeight = 160;
    /// Below this height of the chart the category axis title (the date) gives way.
    static constexpr int CategoryTitleMinimumHeight = 130;

    ChartLook(QCustomPlot *plot, StatisticLines &statLines, BarPlottable &bars,
              std::array<QCPGraph *, 2> legendEntries);
    ~ChartLook();
    ChartLook(const ChartLook &) = delete;
    ChartLook &operator=(const ChartLook &) = delete;

    /// Colours everything after `palette`; the chart redraws afterwards for the series' graphs.
    void applyPalette(const QPalette &palette);
    /// Series 1 (large) or 2 (small) in the colours of the current palette.
    QColor seriesColor(qint32 series) const;

    /// Whether the legend is wanted; it shows when the plot is tall enough.
    void setLegendShown(bool shown);

    /// Centres (top to bottom order not needed) moved apart so that labels of `height` never
    /// overlap and all lie within top .. bottom; returned in the order given. Empty when they
    /// cannot all fit.
    static std::vector<double> stackLabels(const std::vector<double> &centres, double height,
                                           double top, double bottom);

private:
    void arrange();
    void placeLabels();
    void placeLegend(bool shown);
    /// `title` elided to `pixels` in the label font of axis `axis` (0 category, 1 value).
    QString elided(size_t axis, const QString &title, int pixels) const;
    int valueTickCount(int plotHeight) const;

    QCustomPlot *m_plot;
    StatisticLines &m_statLines;
    BarPlottable &m_bars;
    std::array<QCPGraph *, 2> m_legendEntries;
    std::array<QColor, 2> m_colors;
    /// The row above the plot holding the legend; out of the plot's layout while hidden.
    QCPLayoutGrid *m_legendRow = nullptr;
    bool m_legendWanted = false;
    bool m_labelsShown = false;
    /// The full axis titles and the elided texts last put on the axes.
    std::array<QString, 2> m_titles;
    std::array<QString, 2> m_shownTitles;
    bool m_categoryTitleDropped = false;
    /// The last elision worked out, by axis: title, pixels and result (each layout asks again).
    struct Elision
    {
        QString title;
        int pixels = -1;
        QFont font;
        QString text;
    };
    mutable std::array<Elision, 2> m_elisions;
};

} // namespace orvel
