// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QColor>
#include <QImage>
#include <QLineF>
#include <QPointF>
#include <QRect>
#include <QVector>

class QCPPainter;

namespace orvel {

/// Draws many one-pixel vertical lines (the columns of a dense bar chart) by blending them into
/// an image of its own, pixel for pixel as a one-pixel pen on the raster engine covers them, and
/// puts the image on the painter at once: each line is a few hundred pixels, and blending them in
/// a plain loop costs a fraction of stroking them one pixel span at a time. Where the painter
/// does not draw straight into pixels (exports to PDF, scaled output), the lines are stroked.
class ColumnCanvas
{
public:
    /// Starts drawing on `painter` within `area` (device pixels). The canvas blends only there:
    /// an area that just covers the lines (see reach()) saves clearing and putting the rest.
    void begin(QCPPainter *painter, const QRect &area);
    /// Draws `lines` (vertical, at pixel centres) in `color` over what is drawn so far.
    void draw(const QVector<QLineF> &lines, const QColor &color);
    /// Puts what was blended on the painter.
    void end();

    /// The pixels that blending `lines` may cover; empty for no lines.
    static QRect reach(const QVector<QLineF> &lines);

    /// Whether the painter draws straight into pixels at device scale, so that lines can be
    /// blended instead of stroked.
    static bool drawsPixels(const QCPPainter *painter);
    /// Blends one-pixel vertical lines of `color` into `canvas` (premultiplied ARGB, whose top
    /// left is at `origin`), covering the pixels a one-pixel pen covers.
    static void blend(QImage &canvas, QPointF origin, const QVector<QLineF> &lines,
                      const QColor &color);

private:
    QCPPainter *m_painter = nullptr;
    QRect m_area;
    bool m_direct = false;
    /// Pixels for the largest area so far, so that a canvas of changing size is not allocated
    /// anew each time; m_image is the part of it for the current area.
    QImage m_store;
    QImage m_image;
};

} // namespace orvel
