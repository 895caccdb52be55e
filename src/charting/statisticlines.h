// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "charting/charttypes.h"

#include <QColor>

#include <array>
#include <optional>
#include <vector>

class QCPItemStraightLine;
class QCPItemText;
class QCustomPlot;
class QLocale;

namespace orvel {

/// The dashed minimum, maximum and mean lines of the chart's two series, with their labels
/// ("Min 12"), and the statistics they stand for, worked out over the values on the chart.
/// Where the labels stand is the chart look's concern (ChartLook). The items belong to the plot;
/// UI thread only.
class StatisticLines
{
public:
    /// A shown line's label and the value it stands at.
    struct Label
    {
        QCPItemText *text = nullptr;
        double value = 0;
    };

    /// Adds the (hidden) lines and labels to `plot`.
    explicit StatisticLines(QCustomPlot *plot);

    /// Series 1 (large) or 2 (small); other numbers read as no line.
    StatLineStyle style(qint32 series, Statistic statistic) const;
    void setStyle(qint32 series, Statistic statistic, StatLineStyle style);

    /// Works out the statistics of `series` from its values by row (NaN = no value).
    void compute(qint32 series, const std::vector<double> &values);
    /// The value of a statistic; nullopt when the series has no values (or is no series).
    std::optional<double> value(qint32 series, Statistic statistic) const;
    /// Number of values the statistics of `series` were worked out from.
    qint32 count(qint32 series) const;

    /// Shows the lines whose style is dashed where `shown` allows (by series - 1) and the series
    /// has values, and hides the others; the labels are written in `locale`.
    void update(std::array<bool, 2> shown, const QLocale &locale);
    bool isShown(qint32 series, Statistic statistic, std::array<bool, 2> shown) const;
    /// The labels of the lines shown by the last update, large series first.
    std::vector<Label> labels() const;
    /// Colours the lines and labels of the large and the small series.
    void setColors(const QColor &large, const QColor &small);

private:
    struct Statistics
    {
        double minimum = 0;
        double maximum = 0;
        double mean = 0;
        qint32 count = 0;
    };

    std::array<std::array<QCPItemStraightLine *, 3>, 2> m_lines{};
    std::array<std::array<QCPItemText *, 3>, 2> m_texts{};
    std::array<std::array<StatLineStyle, 3>, 2> m_styles{};
    std::array<Statistics, 2> m_statistics;
};

} // namespace orvel
