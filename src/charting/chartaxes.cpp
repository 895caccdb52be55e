// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/chartaxes.h"

#include "charting/categorylabelpicker.h"
#include "charting/chartdatamodel.h"

#include <qcustomplot.h>

#include <cmath>

namespace orvel {

namespace {
/// Rows at least this wide get a grid line each; narrower ones only where they are labelled.
constexpr double GridRowPixels = 6;
} // namespace

ChartAxes::ChartAxes(QCustomPlot *plot, const ChartDataModel &model)
    : m_plot(plot)
    , m_model(model)
{
    QCPAxis *x = m_plot->xAxis;
    QCPAxis *y = m_plot->yAxis;
    m_ticker = QSharedPointer<QCPAxisTickerText>::create();
    x->setTicker(m_ticker);
    y->setNumberFormat(QStringLiteral("f"));
    y->setNumberPrecision(0);
    y->setRange(0, 10);

    const QFontMetrics metrics(x->tickLabelFont());
    m_labelPixels = std::max(metrics.horizontalAdvance(QStringLiteral("00:00")),
                             metrics.horizontalAdvance(QStringLiteral("28/12/2026"))) +
                    14;
    // The row labels shown depend on the plot's width; every change of the model redraws them.
    m_relabel = QObject::connect(m_plot, &QCustomPlot::beforeReplot, m_plot, [this] {
        if (plotPixelsPerRow() != m_labelsPixelsPerRow)
            updateCategoryAxis();
    });
}

ChartAxes::~ChartAxes()
{
    QObject::disconnect(m_relabel);
}

double ChartAxes::plotPixelsPerRow() const
{
    // The axis rect as the next layout will make it: the plot's size with the last margins.
    const QMargins margins = m_plot->axisRect()->margins();
    const double width =
        std::max(40, m_plot->viewport().width() - margins.left() - margins.right());
    return width / std::max(m_model.rowCount(), 1);
}

void ChartAxes::update(const std::array<std::vector<double>, 2> &values,
                       std::array<bool, 2> excluded, bool stacked, std::array<double, 2> maxima)
{
    m_plot->xAxis->setLabel(m_model.categoryAxisTitle());
    m_plot->yAxis->setLabel(m_model.valueAxisTitle());
    const qint32 rows = std::max(m_model.rowCount(), 1);
    m_plot->xAxis->setRange(0.5, rows + 0.5);
    m_plot->xAxis->setBasePen(m_model.categoryAxisPen() == ChartDataModel::PenStyle::Solid
                                  ? m_plot->yAxis->basePen()
                                  : QPen(Qt::NoPen));
    m_plot->xAxis->grid()->setVisible(m_model.categoryMajorGridPen() ==
                                      ChartDataModel::PenStyle::Solid);
    m_plot->xAxis->grid()->setSubGridVisible(m_model.categoryMinorGridPen() ==
                                             ChartDataModel::PenStyle::Solid);
    updateValueRange(values, excluded, stacked, maxima);
    updateCategoryAxis();
}

void ChartAxes::updateValueRange(const std::array<std::vector<double>, 2> &values,
                                 std::array<bool, 2> excluded, bool stacked,
                                 std::array<double, 2> maxima)
{
    double top = 0;
    if (stacked) {
        const std::vector<double> &large = values[0];
        const std::vector<double> &small = values[1];
        for (size_t i = 0; i < large.size(); ++i) {
            const double l = excluded[0] || std::isnan(large[i]) ? 0 : large[i];
            const double s = excluded[1] || std::isnan(small[i]) ? 0 : small[i];
            top = std::max(top, l + s);
        }
    } else {
        for (size_t series : {0u, 1u}) {
            if (!excluded[series])
                top = std::max(top, maxima[series]);
        }
    }
    // Room above the highest point for the depth of the 3D types and the statistic labels.
    m_plot->yAxis->setRange(0, top > 0 ? top * 1.12 : 10);
}

void ChartAxes::updateCategoryAxis()
{
    const double pixelsPerRow = plotPixelsPerRow();
    m_labelsPixelsPerRow = pixelsPerRow;
    const auto ticks = CategoryLabelPicker::pick(m_model, pixelsPerRow, m_labelPixels);
    QVector<double> positions;
    QVector<QString> labels;
    positions.reserve(qsizetype(ticks.size()));
    labels.reserve(qsizetype(ticks.size()));
    m_shownLabels.clear();
    // Wide rows get a tick, and so a grid line, each; the labels go on the rows picked.
    const bool everyRow = pixelsPerRow >= GridRowPixels;
    qint32 next = 1;
    const auto unlabelledUpTo = [&](qint32 row) {
        for (; everyRow && next < row; ++next) {
            positions.append(next);
            labels.append(QString());
        }
        next = std::max(next, row + 1);
    };
    for (const CategoryLabelPicker::Tick &tick : ticks) {
        unlabelledUpTo(tick.row);
        positions.append(tick.row);
        labels.append(tick.text);
        m_shownLabels.emplace_back(tick.row, tick.text);
    }
    unlabelledUpTo(m_model.rowCount() + 1);
    m_ticker->setTicks(positions, labels);
    m_ticker->setSubTickCount(0);
}

} // namespace orvel
