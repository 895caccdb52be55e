// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/chartplan.h"

namespace orvel {

namespace {
/// Opacity of the filled types: areas overlap, steps are stacked.
int fillAlpha(ChartType type)
{
    return type == ChartType::Area ? 120 : 150;
}
} // namespace

ChartPlan ChartPlan::make(ChartType type, bool stacking, Projection projection,
                          std::array<bool, 2> excluded, bool dense)
{
    ChartPlan plan;
    const bool large = !excluded[0];
    const bool small = !excluded[1];
    const bool threeD = type == ChartType::Bar3D || type == ChartType::Combo3D;
    const bool combo = type == ChartType::Combo2D || type == ChartType::Combo3D;
    const bool barType = type == ChartType::Bar2D || type == ChartType::Bar3D || combo;

    // Lines, areas and steps through the plot's graphs (they thin dense lines themselves); the
    // large line of the 2D combination too. Where rows are narrower than a pixel, filling areas
    // and steps as polygons of thousands of corners is slow: the graphs then draw only the
    // outline, and the bars, one column per pixel, the fill.
    const bool stepStacked = type == ChartType::Step && stacking && large;
    const bool filled = type == ChartType::Area || type == ChartType::Step;
    for (qint32 series : {LargeSeries, SmallSeries}) {
        Graph &graph = plan.graphs[size_t(series - 1)];
        const bool byGraph = type == ChartType::Line || type == ChartType::Area ||
                             type == ChartType::Step ||
                             (type == ChartType::Combo2D && series == LargeSeries);
        graph.shown = byGraph && !excluded[size_t(series - 1)];
        graph.step = type == ChartType::Step;
        graph.onLarge = stepStacked && series == SmallSeries;
        graph.brush = filled && !dense;
        graph.fillAlpha = fillAlpha(type);
        // Thin pens where dense: a wide pen over thousands of corners is slow to stroke.
        graph.penWidth = dense ? 1.0 : type == ChartType::Line ? 1.6 : 1.2;
        graph.antialiased = !dense;
    }

    const bool fillByBars = filled && dense;
    plan.barsShown =
        (barType || fillByBars) && (combo ? (small || (large && threeD)) : (large || small));
    plan.barLarge = !combo && large;
    plan.barSmall = small;
    plan.ribbonSeries = type == ChartType::Combo3D && large ? LargeSeries : 0;
    plan.barsStacked = stacking && !combo;
    plan.barAlpha = fillByBars ? fillAlpha(type) : 255;
    plan.depthDirection = !threeD                             ? QPointF()
                          : projection == Projection::Oblique ? QPointF(0.8, -0.6)
                                                              : QPointF(0.3, -0.95);
    plan.valuesStacked = stacking && (type == ChartType::Bar3D || type == ChartType::Bar2D ||
                                      type == ChartType::Step);
    plan.legendFilled = type != ChartType::Line;
    return plan;
}

bool ChartPlan::statLinesAvailable(ChartType type, qint32 series)
{
    if (series == SmallSeries)
        return type == ChartType::Line;
    if (series == LargeSeries)
        return type == ChartType::Line || type == ChartType::Combo2D;
    return false;
}

} // namespace orvel
