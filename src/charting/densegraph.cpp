// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/densegraph.h"

#include <cmath>

namespace orvel {

DenseGraph::DenseGraph(QCPAxis *keyAxis, QCPAxis *valueAxis)
    : QCPGraph(keyAxis, valueAxis)
{}

void DenseGraph::draw(QCPPainter *painter)
{
    QVector<QLineF> lines;
    const bool plain = m_columnDrawn && lineStyle() == lsLine && brush().style() == Qt::NoBrush &&
                       !antialiased() && pen().style() == Qt::SolidLine && pen().widthF() <= 1 &&
                       scatterStyle().isNone() && ColumnCanvas::drawsPixels(painter);
    if (!plain || !columnLines(lines)) {
        QCPGraph::draw(painter);
        return;
    }
    // The canvas covers what the painter lets through, which is the clip rect or a row off it,
    // and there only the pixels the line can reach.
    const QRect area = (painter->hasClipping() ? painter->clipBoundingRect().toAlignedRect()
                                               : clipRect()) &
                       ColumnCanvas::reach(lines);
    if (area.isEmpty())
        return;
    m_canvas.begin(painter, area);
    m_canvas.draw(lines, pen().color());
    m_canvas.end();
}

bool DenseGraph::columnLines(QVector<QLineF> &lines) const
{
    const QCPAxis *keys = keyAxis();
    const QCPAxis *values = valueAxis();
    if (!keys || !values)
        return false;
    lines.reserve(2 * data()->size());
    bool first = true;
    QPointF previous;
    for (auto it = data()->constBegin(); it != data()->constEnd(); ++it) {
        if (std::isnan(it->value))
            continue;
        const QPointF point(keys->coordToPixel(it->key), values->coordToPixel(it->value));
        if (first) {
            previous = point;
            first = false;
            continue;
        }
        // Inside the column, left of its centre: the canvas puts a line of no length at the pixel
        // nearest to it.
        const double from = std::floor(previous.x()) + 0.25;
        const double to = std::floor(point.x()) + 0.25;
        if (to == from) {
            lines.append(QLineF(from, previous.y(), from, point.y()));
        } else if (to == from + 1) {
            // Half the way in each column, as a one-pixel pen steps from one into the next.
            const double middle = (previous.y() + point.y()) / 2;
            lines.append(QLineF(from, previous.y(), from, middle));
            lines.append(QLineF(to, middle, to, point.y()));
        } else {
            return false;
        }
        previous = point;
    }
    return true;
}

} // namespace orvel
