// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QCustomPlot;
class QMouseEvent;
class QWidget;

namespace orvel {

class ChartDataModel;

/// The tooltip of the chart's points: hovering the plot's axis rect shows what the row under the
/// mouse holds, a caption line (by default "Row 3 (07:52)"; the window tells the sample and its
/// time) and both counts in the chart's locale, and nothing over an empty row. UI thread only.
class PointTip : public QObject
{
    Q_OBJECT
public:
    /// The first line of a point's tooltip for a row, e.g. "Sample 1,234 (12/5/2026 - 07:50)".
    using RowCaption = std::function<QString(qint32 row)>;

    /// Follows the mouse over `plot`, a child of `chart`; the model must outlive the tip.
    PointTip(QCustomPlot *plot, const ChartDataModel &model, QWidget *chart);

    /// The tooltip text of a row: caption, time label and both counts; empty for an empty row.
    QString description(qint32 row) const;
    void setRowCaption(RowCaption caption) { m_rowCaption = std::move(caption); }

private:
    void show(QMouseEvent *event);

    QCustomPlot *m_plot;
    const ChartDataModel &m_model;
    QWidget *m_chart;
    RowCaption m_rowCaption;
};

} // namespace orvel
