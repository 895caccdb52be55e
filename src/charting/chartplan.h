// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "charting/charttypes.h"

#include <QPointF>

#include <array>

namespace orvel {

/// What the plot draws for one chart type: which series go through the plot's graphs (lines,
/// areas, steps and the large line of the 2D combination) and how, and what the bar plottable
/// draws (bars, the ribbon line of the 3D combination, or the fill of dense areas and steps).
/// A plain value worked out from the chart's settings; the chart applies it to its plottables.
struct ChartPlan
{
    struct Graph
    {
        bool shown = false;
        bool step = false;    ///< stepped line instead of a straight one
        bool onLarge = false; ///< the small steps stacked on the large ones
        bool brush = false;   ///< filled down to zero (or to the large steps)
        int fillAlpha = 255;  ///< opacity of the fill
        double penWidth = 1.0;
        bool antialiased = true;
    };

    std::array<Graph, 2> graphs; ///< by series - 1
    bool barsShown = false;
    bool barLarge = false;
    bool barSmall = false;
    int ribbonSeries = 0; ///< series drawn as the 3D ribbon line, 0 for none
    bool barsStacked = false;
    int barAlpha = 255;
    QPointF depthDirection; ///< (0, 0) for the flat types
    /// Whether the value axis must reach the sum of both series instead of the higher one.
    bool valuesStacked = false;
    /// Whether the legend shows the series as filled boxes rather than lines.
    bool legendFilled = false;

    /// The plan for `type`; `excluded` by series - 1; `dense` when rows are narrower than a pixel.
    static ChartPlan make(ChartType type, bool stacking, Projection projection,
                          std::array<bool, 2> excluded, bool dense);

    /// Whether the chart type can show statistic lines of `series`: the small series only as a
    /// line chart, the large one as a line chart and as the 2D combination.
    static bool statLinesAvailable(ChartType type, qint32 series);
};

} // namespace orvel
