// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/barplottable.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvel {

namespace {
constexpr double NoValue = std::numeric_limits<double>::quiet_NaN();
/// Share of a row's width that its bars fill; the rest is the gap.
constexpr double BarShare = 0.72;
constexpr double DenseDepth = 6.0;
constexpr double MaxDepth = 16.0;

QPolygonF quad(QPointF a, QPointF b, QPointF c, QPointF d)
{
    return QPolygonF({a, b, c, d});
}

} // namespace

BarPlottable::BarPlottable(QCPAxis *keyAxis, QCPAxis *valueAxis)
    : QCPAbstractPlottable(keyAxis, valueAxis)
{
    setAntialiased(false);
    setAntialiasedFill(false);
}

void BarPlottable::setSeriesValues(const std::vector<double> *large,
                                   const std::vector<double> *small)
{
    m_large = large;
    m_small = small;
}

void BarPlottable::setSeriesColors(const QColor &large, const QColor &small)
{
    m_largeColor = large;
    m_smallColor = small;
}

QColor BarPlottable::colorOf(int series) const
{
    QColor color = series == 1 ? m_largeColor : m_smallColor;
    color.setAlpha(m_fillAlpha);
    return color;
}

void BarPlottable::setBarSeries(bool large, bool small)
{
    m_barLarge = large;
    m_barSmall = small;
}

void BarPlottable::setLineSeries(int series)
{
    m_lineSeries = series;
}

void BarPlottable::setStacked(bool stacked)
{
    m_stacked = stacked;
}

void BarPlottable::setDepthDirection(const QPointF &direction)
{
    m_depthDirection = direction;
}

double BarPlottable::selectTest(const QPointF &, bool, QVariant *) const
{
    return -1;
}

QCPRange BarPlottable::getKeyRange(bool &foundRange, QCP::SignDomain) const
{
    foundRange = rows() > 0;
    return QCPRange(0.5, double(rows()) + 0.5);
}

QCPRange BarPlottable::getValueRange(bool &foundRange, QCP::SignDomain, const QCPRange &) const
{
    double top = 0;
    for (qsizetype i = 0; i < rows(); ++i) {
        Segment parts[2];
        const int n = segments(i, parts);
        for (int k = 0; k < n; ++k)
            top = std::max(top, parts[k].top);
    }
    foundRange = true;
    return QCPRange(0, top);
}

qsizetype BarPlottable::rows() const
{
    return std::max(m_large ? qsizetype(m_large->size()) : 0,
                    m_small ? qsizetype(m_small->size()) : 0);
}

double BarPlottable::valueOf(int series, qsizetype index) const
{
    const std::vector<double> *values = series == 1 ? m_large : m_small;
    if (!values || index >= qsizetype(values->size()))
        return NoValue;
    return (*values)[size_t(index)];
}

int BarPlottable::segments(qsizetype index, Segment out[2]) const
{
    int n = 0;
    double base = 0;
    for (int series : {1, 2}) {
        if (!(series == 1 ? m_barLarge : m_barSmall))
            continue;
        const double value = valueOf(series, index);
        if (std::isnan(value))
            continue;
        if (m_stacked) {
            out[n++] = {base, base + value, series};
            base += value;
        } else {
            out[n++] = {0, value, series};
        }
    }
    return n;
}

void BarPlottable::draw(QCPPainter *painter)
{
    if (!keyAxis() || !valueAxis() || rows() == 0)
        return;
    const double pixelsPerRow = keyAxis()->coordToPixel(2) - keyAxis()->coordToPixel(1);
    painter->setAntialiasing(false);
    const bool anyBars = m_barLarge || m_barSmall;
    m_lastDense = anyBars && pixelsPerRow < 3;
    m_lastDepth = 0;
    if (anyBars) {
        if (m_lastDense)
            drawDense(painter, pixelsPerRow);
        else
            drawWide(painter, pixelsPerRow);
    }
    if (m_lineSeries != 0)
        drawRibbon(painter, pixelsPerRow);
}

void BarPlottable::drawWide(QCPPainter *painter, double pixelsPerRow)
{
    const bool flat = m_depthDirection.isNull();
    const bool sideBySide = !m_stacked && m_barLarge && m_barSmall;
    const double share = flat ? BarShare : BarShare * 0.82;
    const double groupWidth = pixelsPerRow * share;
    const double barWidth = sideBySide ? groupWidth / 2 : groupWidth;
    const double depth = flat ? 0 : std::min(barWidth * 0.5, MaxDepth);
    m_lastDepth = depth;
    const QPointF d = m_depthDirection * depth;
    const bool outlined = barWidth >= 6;

    const QRect clip = clipRect();
    const qsizetype first =
        std::max<qsizetype>(0, qsizetype(std::floor(keyAxis()->pixelToCoord(clip.left()))) - 2);
    const qsizetype last =
        std::min(rows() - 1, qsizetype(std::ceil(keyAxis()->pixelToCoord(clip.right()))));
    for (qsizetype i = first; i <= last; ++i) {
        Segment parts[2];
        const int n = segments(i, parts);
        const double centre = keyAxis()->coordToPixel(double(i + 1));
        for (int k = 0; k < n; ++k) {
            const Segment &s = parts[k];
            double left = centre - groupWidth / 2;
            if (sideBySide && s.series == 2)
                left += barWidth;
            const double yTop = valueAxis()->coordToPixel(s.top);
            const double yBottom = valueAxis()->coordToPixel(s.bottom);
            const QColor color = colorOf(s.series);
            const QRectF front(QPointF(left, yTop), QPointF(left + barWidth, yBottom));
            painter->setPen(outlined ? QPen(color.darker(150), 0) : Qt::NoPen);
            if (depth > 0) {
                const QPointF topLeft(left, yTop), topRight(left + barWidth, yTop);
                const QPointF bottomRight(left + barWidth, yBottom);
                painter->setBrush(color.darker(145));
                painter->drawPolygon(quad(topRight, topRight + d, bottomRight + d, bottomRight));
                painter->setBrush(color.lighter(135));
                painter->drawPolygon(quad(topLeft, topRight, topRight + d, topLeft + d));
            }
            painter->setBrush(color);
            painter->drawRect(front);
        }
    }
}

void BarPlottable::drawDense(QCPPainter *painter, double pixelsPerRow)
{
    const QRect clip = clipRect();
    const int left = clip.left();
    const int width = clip.width() + 1;
    if (width <= 0)
        return;
    // Per pixel column and segment slot: the highest bottom and top of the rows that fall on it.
    struct Column
    {
        double bottom[2] = {NoValue, NoValue};
        double top[2] = {NoValue, NoValue};
        int series[2] = {0, 0};
    };
    std::vector<Column> columns(static_cast<size_t>(width));
    const double firstPixel = keyAxis()->coordToPixel(1);
    for (qsizetype i = 0; i < rows(); ++i) {
        const int x = int(std::floor(firstPixel + double(i) * pixelsPerRow)) - left;
        if (x < 0 || x >= width)
            continue;
        Segment parts[2];
        const int n = segments(i, parts);
        Column &column = columns[size_t(x)];
        for (int k = 0; k < n; ++k) {
            const int slot = m_stacked ? k : parts[k].series - 1;
            if (std::isnan(column.top[slot]) || parts[k].top > column.top[slot])
                column.top[slot] = parts[k].top;
            if (std::isnan(column.bottom[slot]) || parts[k].bottom > column.bottom[slot])
                column.bottom[slot] = parts[k].bottom;
            column.series[slot] = parts[k].series;
        }
    }

    // Side by side bars cannot be told apart below a pixel: the taller one is drawn first, the
    // shorter one in front of it.
    QVector<QLineF> lines[2][2]; // [series - 1][front]
    QVector<QLineF> shadow[2];
    const bool deep = !m_depthDirection.isNull();
    const QPointF d = m_depthDirection * DenseDepth;
    m_lastDepth = deep ? DenseDepth : 0;
    for (int x = 0; x < width; ++x) {
        const Column &column = columns[size_t(x)];
        int order[2] = {0, 1};
        if (!m_stacked && !std::isnan(column.top[0]) && !std::isnan(column.top[1]) &&
            column.top[1] > column.top[0])
            std::swap(order[0], order[1]);
        for (int k = 0; k < 2; ++k) {
            const int slot = order[k];
            if (std::isnan(column.top[slot]))
                continue;
            const double px = left + x + 0.5;
            const QLineF line(px, valueAxis()->coordToPixel(column.bottom[slot]), px,
                              valueAxis()->coordToPixel(column.top[slot]));
            const int series = column.series[slot] - 1;
            lines[series][m_stacked ? 1 : k].append(line);
            if (deep)
                shadow[series].append(line.translated(d));
        }
    }
    // The canvas covers what the painter lets through, which is the clip rect or a row off it.
    m_canvas.begin(painter,
                   painter->hasClipping() ? painter->clipBoundingRect().toAlignedRect() : clip);
    for (int series : {0, 1})
        m_canvas.draw(shadow[series], colorOf(series + 1).darker(150));
    for (int front : {0, 1}) {
        for (int series : {0, 1})
            m_canvas.draw(lines[series][front], colorOf(series + 1));
    }
    m_canvas.end();
}

void BarPlottable::drawRibbon(QCPPainter *painter, double pixelsPerRow)
{
    QPolygonF points;
    const int series = m_lineSeries;
    if (pixelsPerRow >= 1) {
        points.reserve(rows());
        for (qsizetype i = 0; i < rows(); ++i) {
            const double value = valueOf(series, i);
            if (!std::isnan(value))
                points.append(QPointF(keyAxis()->coordToPixel(double(i + 1)),
                                      valueAxis()->coordToPixel(value)));
        }
    } else {
        // One pixel column at a time: its lowest and highest value, in the order they came.
        const double firstPixel = keyAxis()->coordToPixel(1);
        int current = std::numeric_limits<int>::min();
        double low = 0, high = 0;
        qsizetype lowAt = 0, highAt = 0;
        const auto flush = [&] {
            if (current == std::numeric_limits<int>::min())
                return;
            const QPointF a(current + 0.5, valueAxis()->coordToPixel(lowAt < highAt ? low : high));
            const QPointF b(current + 0.5, valueAxis()->coordToPixel(lowAt < highAt ? high : low));
            points.append(a);
            if (low != high)
                points.append(b);
        };
        points.reserve(2 * qsizetype(std::ceil(rows() * pixelsPerRow)) + 4);
        for (qsizetype i = 0; i < rows(); ++i) {
            const double value = valueOf(series, i);
            if (std::isnan(value))
                continue;
            const int x = int(std::floor(firstPixel + double(i) * pixelsPerRow));
            if (x != current) {
                flush();
                current = x;
                low = high = value;
                lowAt = highAt = i;
            } else if (value < low) {
                low = value;
                lowAt = i;
            } else if (value > high) {
                high = value;
                highAt = i;
            }
        }
        flush();
    }
    if (points.isEmpty())
        return;
    const QColor color = colorOf(series);
    const double depth = m_depthDirection.isNull() ? 0 : DenseDepth + 2;
    if (depth > 0) {
        // The ribbon: the line swept back along the depth, its far edge and the band between.
        const QPointF d = m_depthDirection * depth;
        if (points.size() > 400) {
            // Dense: the band as one short line from each point back along the depth, which
            // costs far less than filling a polygon of thousands of corners.
            QVector<QLineF> band;
            band.reserve(points.size());
            for (const QPointF &point : std::as_const(points))
                band.append(QLineF(point, point + d));
            painter->setPen(QPen(color.lighter(150), 1));
            painter->drawLines(band);
        } else {
            QPolygonF band = points;
            for (qsizetype i = points.size() - 1; i >= 0; --i)
                band.append(points[i] + d);
            painter->setPen(Qt::NoPen);
            painter->setBrush(color.lighter(150));
            painter->drawPolygon(band, Qt::WindingFill);
        }
        painter->setPen(QPen(color.darker(130), 1));
        painter->drawPolyline(points.translated(d));
    }
    if (points.size() < 1000) {
        painter->setAntialiasing(true);
        painter->setPen(QPen(color, 2));
        painter->drawPolyline(points);
    } else {
        // Thousands of corners: two one-pixel lines draw far faster than one wide pen.
        painter->setPen(QPen(color, 1));
        painter->drawPolyline(points);
        painter->drawPolyline(points.translated(0, 1));
    }
}

void BarPlottable::drawLegendIcon(QCPPainter *, const QRectF &) const
{}

} // namespace orvel
