// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QString>

#include <vector>

namespace orvel {

class ChartDataModel;

/// Chooses which row labels the category axis shows so that they never overlap: one label every
/// `step` rows, the step being the smallest round number of minutes (1, 2, 5, 10, 15, 30, 60, ...,
/// 1440) whose labels fit side by side. Where the labels end in a time of day ("07:50") the chosen
/// rows are those where the time enters a new step (every full hour, every midnight ...), so the
/// labels stay on round times while the chart scrolls. Where several rows share a minute the
/// step in minutes is worked out from the pixels a minute takes; rows all in the same minute, and
/// rows without times, get a label every step-th row from row 1.
/// Pure logic; reads the model only.
class CategoryLabelPicker
{
public:
    struct Tick
    {
        qint32 row = 0;
        /// The label as the axis shows it: a label with a date ("12/5/2026 - 00:00") is split into
        /// the time over the date.
        QString text;
    };

    /// The rows between two shown labels, for `rows` rows of `pixelsPerRow` pixels each and labels
    /// needing `labelPixels` pixels (gap included).
    static qint32 stepFor(double pixelsPerRow, double labelPixels);

    /// The labels to show, in row order, never two closer than half a step.
    static std::vector<Tick> pick(const ChartDataModel &model, double pixelsPerRow,
                                  double labelPixels);

    /// The minute of the day a label ends with ("... 07:50" gives 470), or -1.
    static int minuteOfDay(const QString &label);
};

} // namespace orvel
