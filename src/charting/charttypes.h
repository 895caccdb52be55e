// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QtGlobal>

namespace orvel {

/// How the chart draws its two series. The values are the chart type numbers the chart toolbar
/// passes and the settings store keeps.
enum class ChartType {
    Bar3D = 0,   ///< both series as bars stacked on one another, with depth
    Bar2D = 1,   ///< the two series as bars side by side
    Line = 3,    ///< both series as lines
    Area = 5,    ///< both series as filled areas from zero
    Step = 7,    ///< both series as steps, stacked
    Combo3D = 8, ///< large counts as a line, small counts as bars, with depth
    Combo2D = 9, ///< large counts as a line, small counts as bars
};

/// The viewing direction of the three-dimensional chart types.
enum class Projection {
    Perspective = 0, ///< depth drawn steeply upwards
    Oblique = 1,     ///< depth drawn diagonally up and to the right
};

/// A statistic line of a series, by the code the chart toolbar passes.
enum class Statistic { Minimum = 1, Maximum = 2, Mean = 4 };

/// Pen of a statistic line: not drawn, or drawn dashed.
enum class StatLineStyle { None = 0, Dashed = 2 };

/// Series numbers: the large counts are series (and data column) 1, the small counts series 2.
constexpr qint32 LargeSeries = 1;
constexpr qint32 SmallSeries = 2;

} // namespace orvel
