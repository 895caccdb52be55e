// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QtGlobal>

namespace orvel {

/// Running low, high and sum of both channels since the last reset; the summary block derives
/// the averages from the sums.
struct RunningStatistics
{
    static constexpr qint32 MinReset = 9999999;

    qint32 MinSmall = MinReset;
    qint32 MinLarge = MinReset;
    qint32 MaxSmall = 0;
    qint32 MaxLarge = 0;
    double SumSmall = 0.0;
    double SumLarge = 0.0;
    /// Samples added since the reset. The first one sets the lows and highs whatever the reset
    /// values, so counts above 9,999,999 or below 0 still give the right figures.
    qint64 Added = 0;

    /// With `reset` the figures go back to their reset values; otherwise one sample is added.
    void UpdateStatistics(qint32 small, qint32 large, bool reset = false)
    {
        if (reset) {
            *this = RunningStatistics();
            return;
        }
        const bool first = Added++ == 0;
        SumSmall += small;
        SumLarge += large;
        if (first || small < MinSmall)
            MinSmall = small;
        if (first || large < MinLarge)
            MinLarge = large;
        if (first || small > MaxSmall)
            MaxSmall = small;
        if (first || large > MaxLarge)
            MaxLarge = large;
    }
};

} // namespace orvel
