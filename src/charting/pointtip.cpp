// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/pointtip.h"

#include "charting/chartdatamodel.h"
#include "charting/charttypes.h"

#include <qcustomplot.h>

#include <QToolTip>

#include <cmath>

namespace orvel {

PointTip::PointTip(QCustomPlot *plot, const ChartDataModel &model, QWidget *chart)
    : QObject(chart)
    , m_plot(plot)
    , m_model(model)
    , m_chart(chart)
{
    m_plot->setMouseTracking(true);
    connect(m_plot, &QCustomPlot::mouseMove, this, &PointTip::show);
}

QString PointTip::description(qint32 row) const
{
    if (row < 1 || row > m_model.rowCount())
        return {};
    const std::optional<double> large = m_model.value(row, LargeSeries);
    const std::optional<double> small = m_model.value(row, SmallSeries);
    if (!large && !small)
        return {};
    const QString caption = m_rowCaption
                                ? m_rowCaption(row)
                                : QStringLiteral("Row %1 (%2)").arg(row).arg(m_model.rowLabel(row));
    const QLocale locale = m_chart->locale();
    const auto count = [&locale](const std::optional<double> &value) {
        return value ? locale.toString(qRound64(*value)) : QStringLiteral("-");
    };
    return caption + QLatin1Char('\n') + m_model.columnLabel(LargeSeries) + QStringLiteral(": ") +
           count(large) + QLatin1Char('\n') + m_model.columnLabel(SmallSeries) +
           QStringLiteral(": ") + count(small);
}

void PointTip::show(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    QString text;
    if (m_plot->axisRect()->rect().contains(at))
        text = description(qint32(std::lround(m_plot->xAxis->pixelToCoord(at.x()))));
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPosition().toPoint(), text, m_plot);
}

} // namespace orvel
