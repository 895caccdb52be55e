// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "charting/columncanvas.h"

#include <qcustomplot.h>

namespace orvel {

/// A line graph that, while it is a dense one-pixel line (several rows a pixel column, no fill,
/// no steps, not smoothed), blends its segments into pixel columns through a ColumnCanvas instead
/// of stroking them: each segment of such a line runs up or down within one column or into the
/// next, which the canvas fills in a plain loop. Anything else it draws as a QCPGraph does.
class DenseGraph : public QCPGraph
{
    Q_OBJECT
public:
    DenseGraph(QCPAxis *keyAxis, QCPAxis *valueAxis);

    /// Whether the line may be drawn in pixel columns (set for dense one-pixel lines only).
    void setColumnDrawn(bool on) { m_columnDrawn = on; }
    bool columnDrawn() const { return m_columnDrawn; }

protected:
    void draw(QCPPainter *painter) override;

private:
    /// The line's segments as vertical lines at pixel centres; false where a segment spans more
    /// than the next column (a gap), which the column drawing does not cover.
    bool columnLines(QVector<QLineF> &lines) const;

    bool m_columnDrawn = false;
    ColumnCanvas m_canvas;
};

} // namespace orvel
