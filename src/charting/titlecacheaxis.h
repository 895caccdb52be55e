// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <qcustomplot.h>

namespace orvel {

/// An axis that keeps its title drawn: laying out and drawing a title costs more than the rest of
/// the axis, yet it changes seldom while the ticks move with every redraw. The title is drawn
/// once into an image, in the same place and pixels as the axis draws it, and copied while its
/// text, font, colour and length stay. Bottom and left axes only; where the painter does not
/// draw straight into pixels (exports to PDF, scaled output) the title is drawn as usual.
class TitleCacheAxis : public QCPAxis
{
    Q_OBJECT
public:
    TitleCacheAxis(QCPAxisRect *axisRect, AxisType type);

    /// Puts such axes in place of the plot's bottom and left axes (xAxis and yAxis), before
    /// anything refers to them.
    static void install(QCustomPlot *plot);

protected:
    void draw(QCPPainter *painter) override;
    int calculateMargin() override;

private:
    struct Title
    {
        QString text;
        QFont font;
        QColor color;
        int length = -1;
        /// The text's bounds as the axis measures them when drawing.
        QRect drawBounds;
        /// The drawn pixels, and where their top left lies from the title's anchor.
        QPixmap pixels;
        QPoint offset;
    };

    bool cacheable(const QCPPainter *painter) const;
    /// Draws the title as the axis does, onto `painter` at the anchor (0, 0).
    void drawTitle(QPainter *painter, const QRect &bounds) const;
    void updateTitle(QCPPainter *painter, int length);

    Title m_title;
    /// The title's height as the axis measures it for its margin, and for which text and font.
    QString m_marginText;
    QFont m_marginFont;
    int m_marginHeight = 0;
};

} // namespace orvel
