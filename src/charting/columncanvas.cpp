// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/columncanvas.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

namespace orvel {

namespace {
/// `x` scaled by alpha `a` (0 .. 255) per channel, rounded as the raster engine does.
inline quint32 byteMul(quint32 x, quint32 a)
{
    quint32 t = (x & 0xff00ff) * a;
    t = ((t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * a;
    x = (x + ((x >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return x | t;
}
} // namespace

bool ColumnCanvas::drawsPixels(const QCPPainter *painter)
{
    return painter->paintEngine() && painter->paintEngine()->type() == QPaintEngine::Raster &&
           painter->transform().type() == QTransform::TxNone &&
           painter->compositionMode() == QPainter::CompositionMode_SourceOver &&
           !painter->modes().testFlag(QCPPainter::pmVectorized);
}

void ColumnCanvas::begin(QCPPainter *painter, const QRect &area)
{
    m_painter = painter;
    m_area = area;
    m_direct = drawsPixels(painter) && !area.isEmpty();
    if (!m_direct)
        return;
    if (m_store.width() < area.width() || m_store.height() < area.height()) {
        m_image = QImage();
        m_store = QImage(area.size().expandedTo(m_store.size()),
                         QImage::Format_ARGB32_Premultiplied);
    }
    m_image = QImage(m_store.bits(), area.width(), area.height(), m_store.bytesPerLine(),
                     QImage::Format_ARGB32_Premultiplied);
    m_image.fill(Qt::transparent);
}

void ColumnCanvas::draw(const QVector<QLineF> &lines, const QColor &color)
{
    if (lines.isEmpty())
        return;
    if (m_direct) {
        blend(m_image, m_area.topLeft(), lines, color);
        return;
    }
    m_painter->setPen(QPen(color, 1));
    m_painter->drawLines(lines);
}

void ColumnCanvas::end()
{
    if (m_direct)
        m_painter->drawImage(m_area.topLeft(), m_image);
    m_painter = nullptr;
}

QRect ColumnCanvas::reach(const QVector<QLineF> &lines)
{
    if (lines.isEmpty())
        return {};
    double left = lines.front().x1(), right = left;
    double top = lines.front().y1(), bottom = top;
    for (const QLineF &line : lines) {
        left = std::min(left, line.x1());
        right = std::max(right, line.x1());
        top = std::min({top, line.y1(), line.y2()});
        bottom = std::max({bottom, line.y1(), line.y2()});
    }
    // blend() puts a point at the pixel nearest to it, a line into the pixels its ends fall in;
    // a pixel more on each side leaves room for either.
    const int x = int(std::floor(left)) - 1;
    const int y = int(std::floor(top)) - 1;
    return QRect(x, y, int(std::floor(right)) + 2 - x + 1, int(std::floor(bottom)) + 2 - y + 1);
}

void ColumnCanvas::blend(QImage &canvas, QPointF origin, const QVector<QLineF> &lines,
                         const QColor &color)
{
    const quint32 premultiplied = qPremultiply(color.rgba());
    const quint32 inverseAlpha = 255 - qAlpha(premultiplied);
    const int width = canvas.width();
    const int height = canvas.height();
    const qsizetype stride = canvas.bytesPerLine() / qsizetype(sizeof(quint32));
    quint32 *const pixels = reinterpret_cast<quint32 *>(canvas.bits());
    const auto fill = [&](int column, int first, int last) {
        quint32 *pixel = pixels + first * stride + column;
        if (inverseAlpha == 0) {
            for (int row = first; row <= last; ++row, pixel += stride)
                *pixel = premultiplied;
        } else {
            for (int row = first; row <= last; ++row, pixel += stride)
                *pixel = premultiplied + byteMul(*pixel, inverseAlpha);
        }
    };
    for (const QLineF &line : lines) {
        // The stroker works in 1/64 pixel, its ends cut down to it: a line of no length is a
        // point at the pixel nearest to it (halves up, so a line at a pixel centre puts its point
        // in the next column), a line whose ends fall in the same 1/64 covers nothing, and a
        // longer one covers the rows its ends fall in.
        const double x = line.x1() - origin.x();
        const double top = std::min(line.y1(), line.y2());
        const double bottom = std::max(line.y1(), line.y2());
        if (top == bottom) {
            const int column = int(std::floor(x + 0.5));
            const int row = int(std::floor(top - origin.y() + 0.5));
            if (column >= 0 && column < width && row >= 0 && row < height)
                fill(column, row, row);
            continue;
        }
        if (std::floor(top * 64) == std::floor(bottom * 64))
            continue;
        const int column = int(std::floor(x));
        if (column < 0 || column >= width)
            continue;
        const int first = std::max(0, int(std::floor(top - origin.y())));
        const int last = std::min(height - 1, int(std::floor(bottom - origin.y())));
        if (first <= last)
            fill(column, first, last);
    }
}

} // namespace orvel
