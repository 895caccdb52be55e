// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QMetaObject>
#include <QSharedPointer>
#include <QString>

#include <array>
#include <utility>
#include <vector>

class QCPAxisTickerText;
class QCustomPlot;

namespace orvel {

class ChartDataModel;

/// The chart's two axes as the model wants them: the category axis with one category per row,
/// labelled with the row labels thinned so they never overlap (picked again whenever the plot's
/// width changes), a grid line per row where rows are wide enough, the model's axis titles and
/// its category axis and grid pens; the value axis from zero to a little above the highest point
/// of the series on the chart. Works on the axes of the plot owned by the chart. UI thread only.
class ChartAxes
{
public:
    /// Sets up the axes of `plot`; the model must outlive the axes.
    ChartAxes(QCustomPlot *plot, const ChartDataModel &model);
    ~ChartAxes();
    ChartAxes(const ChartAxes &) = delete;
    ChartAxes &operator=(const ChartAxes &) = delete;

    /// Plot pixels per row, with the plot's size and the margins of its last layout.
    double plotPixelsPerRow() const;
    /// Reads titles, pens and rows from the model; the value range fits `values` (by series - 1,
    /// NaN = no value) of the series not `excluded`, one above the other when `stacked`. Side by
    /// side, the highest points are `maxima` (by series - 1), already known to the caller.
    void update(const std::array<std::vector<double>, 2> &values, std::array<bool, 2> excluded,
                bool stacked, std::array<double, 2> maxima);
    /// The labels the category axis shows, by row, after the last update.
    const std::vector<std::pair<qint32, QString>> &shownLabels() const { return m_shownLabels; }

private:
    void updateValueRange(const std::array<std::vector<double>, 2> &values,
                          std::array<bool, 2> excluded, bool stacked, std::array<double, 2> maxima);
    void updateCategoryAxis();

    QCustomPlot *m_plot;
    const ChartDataModel &m_model;
    QSharedPointer<QCPAxisTickerText> m_ticker;
    QMetaObject::Connection m_relabel;
    double m_labelPixels = 0;
    /// Plot pixels per row the shown labels were picked for.
    double m_labelsPixelsPerRow = -1;
    std::vector<std::pair<qint32, QString>> m_shownLabels;
};

} // namespace orvel
