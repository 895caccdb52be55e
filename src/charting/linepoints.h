// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QList>

#include <vector>

class QCPGraphData;

namespace orvel {

/// The points a line series hands to the plot: row i (from 0) at key i + 1, its value raised by
/// the series below it when stacked, empty rows left out. Where several rows share a pixel column,
/// only what that column shows is kept: its lowest and its highest point, in the order of their
/// rows, so the line draws the same column spans with a fraction of the points and no
/// overdrawing.
class LinePoints
{
public:
    /// `below` (same size as `values`, or null) is added where it has a value; `rowsPerPixel`
    /// at most 1 keeps every row.
    static QList<QCPGraphData> make(const std::vector<double> &values,
                                    const std::vector<double> *below, double rowsPerPixel);
};

} // namespace orvel
