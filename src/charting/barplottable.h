// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "charting/columncanvas.h"

#include <qcustomplot.h>

#include <QColor>
#include <QPointF>

#include <vector>

namespace orvel {

/// Draws the bar and three-dimensional chart types of ChartControl for any number of rows: one
/// category per row at key 1, 2, 3, ..., each series either as bars (side by side or stacked) or,
/// for the large counts of the 3D combination, as a ribbon line. Bars wide enough get an oblique
/// depth with top and side faces; where rows are narrower than a few pixels every pixel column is
/// drawn once from the highest value of its rows, so a week of rows costs about as much as the
/// width of the plot. Reads the series values from vectors owned by the chart (NaN = no value).
class BarPlottable : public QCPAbstractPlottable
{
    Q_OBJECT
public:
    BarPlottable(QCPAxis *keyAxis, QCPAxis *valueAxis);

    /// The values of series 1 (large) and 2 (small) by row, index 0 being row 1; not owned, must
    /// stay alive while the plot can draw.
    void setSeriesValues(const std::vector<double> *large, const std::vector<double> *small);
    void setSeriesColors(const QColor &large, const QColor &small);
    /// Opacity of the bars, 0 .. 255: below 255 they stand for the filled area under a line.
    void setFillAlpha(int alpha) { m_fillAlpha = alpha; }
    /// Which series are drawn as bars.
    void setBarSeries(bool large, bool small);
    /// Series (1 or 2) drawn as a ribbon line instead, or 0 for none.
    void setLineSeries(int series);
    /// Bars of both series on top of one another (large at the bottom) instead of side by side.
    void setStacked(bool stacked);
    /// Direction of the depth, (0, 0) for a flat chart; x to the right, y downwards.
    void setDepthDirection(const QPointF &direction);
    QPointF depthDirection() const { return m_depthDirection; }
    /// Depth in pixels used by the last draw (0 when flat); for tests.
    double lastDepth() const { return m_lastDepth; }
    /// Whether the last draw drew one column per pixel instead of one bar per row.
    bool lastDrawWasDense() const { return m_lastDense; }

    double selectTest(const QPointF &pos, bool onlySelectable,
                      QVariant *details = nullptr) const override;
    QCPRange getKeyRange(bool &foundRange,
                         QCP::SignDomain inSignDomain = QCP::sdBoth) const override;
    QCPRange getValueRange(bool &foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth,
                           const QCPRange &inKeyRange = QCPRange()) const override;

protected:
    void draw(QCPPainter *painter) override;
    void drawLegendIcon(QCPPainter *painter, const QRectF &rect) const override;

private:
    struct Segment
    {
        double bottom = 0;
        double top = 0;
        int series = 0;
    };
    qsizetype rows() const;
    double valueOf(int series, qsizetype index) const;
    /// The bar segments of a row, in drawing order.
    int segments(qsizetype index, Segment out[2]) const;
    void drawWide(QCPPainter *painter, double pixelsPerRow);
    void drawDense(QCPPainter *painter, double pixelsPerRow);
    void drawRibbon(QCPPainter *painter, double pixelsPerRow);
    QColor colorOf(int series) const;

    const std::vector<double> *m_large = nullptr;
    const std::vector<double> *m_small = nullptr;
    QColor m_largeColor;
    QColor m_smallColor;
    bool m_barLarge = true;
    bool m_barSmall = true;
    int m_lineSeries = 0;
    bool m_stacked = false;
    int m_fillAlpha = 255;
    QPointF m_depthDirection;
    double m_lastDepth = 0;
    /// Where the dense columns are blended before going on the plot at once.
    ColumnCanvas m_canvas;
    bool m_lastDense = false;
};

} // namespace orvel
