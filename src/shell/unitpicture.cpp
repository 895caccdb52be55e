// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/unitpicture.h"

#include <QPainter>
#include <QPainterPath>

namespace orvel {

UnitPicture::UnitPicture(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("UnitPictureBox"));
    setFixedWidth(96);
    // Never taller than 6060 twips.
    setMaximumHeight(6060 * logicalDpiY() / 1440);
    // On a short window the counts below keep their room: the picture shrinks, then goes.
    setMinimumHeight(0);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    setToolTip(QStringLiteral("Particle counter unit"));
}

void UnitPicture::paintEvent(QPaintEvent *)
{
    // Keep the unit's proportions (about 3 : 5) inside whatever height the layout gives.
    const double height = std::min<double>(this->height() - 8, (width() - 16) * 5.0 / 3.0);
    if (height < MinimumDrawnHeight)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double width = height * 3.0 / 5.0;
    const QRectF body((this->width() - width) / 2, 4, width, height);

    QLinearGradient shell(body.topLeft(), body.topRight());
    shell.setColorAt(0, QColor(0xe8, 0xea, 0xed));
    shell.setColorAt(1, QColor(0xb0, 0xb6, 0xbe));
    painter.setPen(QPen(QColor(0x4a, 0x50, 0x58), 1.5));
    painter.setBrush(shell);
    painter.drawRoundedRect(body, width * 0.12, width * 0.12);

    // Air inlet on top.
    painter.setBrush(QColor(0x5f, 0x66, 0x70));
    painter.drawRoundedRect(
        QRectF(body.center().x() - width * 0.12, body.top() - 3, width * 0.24, 6), 2, 2);

    // Display with two counts.
    const QRectF display(body.left() + width * 0.12, body.top() + height * 0.1, width * 0.76,
                         height * 0.28);
    painter.setBrush(QColor(0x1d, 0x3b, 0x2a));
    painter.drawRoundedRect(display, 3, 3);
    painter.setPen(QPen(QColor(0x7c, 0xf0, 0x9a), std::max(1.0, height * 0.018)));
    for (int row = 0; row < 2; ++row) {
        const double y = display.top() + display.height() * (0.33 + row * 0.36);
        painter.drawLine(QPointF(display.left() + display.width() * 0.15, y),
                         QPointF(display.left() + display.width() * (row ? 0.55 : 0.8), y));
    }

    // Two buttons and a status light.
    painter.setPen(QPen(QColor(0x4a, 0x50, 0x58), 1));
    const double buttonY = body.top() + height * 0.5;
    const double radius = width * 0.09;
    painter.setBrush(QColor(0x1e, 0x88, 0xe5));
    painter.drawEllipse(QPointF(body.left() + width * 0.32, buttonY), radius, radius);
    painter.setBrush(QColor(0x90, 0x96, 0x9e));
    painter.drawEllipse(QPointF(body.left() + width * 0.68, buttonY), radius, radius);
    painter.setBrush(QColor(0x43, 0xa0, 0x47));
    painter.drawEllipse(QPointF(body.center().x(), body.top() + height * 0.64), radius * 0.45,
                        radius * 0.45);

    // Grille.
    painter.setPen(QPen(QColor(0x7a, 0x80, 0x88), std::max(1.0, height * 0.012)));
    for (int i = 0; i < 4; ++i) {
        const double y = body.top() + height * (0.74 + i * 0.05);
        painter.drawLine(QPointF(body.left() + width * 0.2, y),
                         QPointF(body.right() - width * 0.2, y));
    }
}

} // namespace orvel
