// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/splitter.h"

#include "common/twips.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QPainter>

namespace orvel {

Splitter::Splitter(QWidget *parent)
    : QSplitter(Qt::Vertical, parent)
{
    setHandleWidth(6);
    setChildrenCollapsible(false);
    // The bar moves when it is released, so the chart redraws once per drag.
    setOpaqueResize(false);
}

QSplitterHandle *Splitter::createHandle()
{
    return new SplitterBar(orientation(), this);
}

int Splitter::barPosition() const
{
    return count() > 1 ? handle(1)->y() : 0;
}

void Splitter::setMinBorder(int pixels)
{
    m_minBorder = pixels;
    applyLimitsToAreas();
}

void Splitter::setMaxBorder(int pixels)
{
    m_maxBorder = pixels;
    applyLimitsToAreas();
}

void Splitter::setBarPosition(int pixels)
{
    m_wantedPosition = pixels;
    placeBar();
}

void Splitter::placeBar()
{
    if (count() > 1 && m_wantedPosition)
        moveSplitter(LimitPosition(*m_wantedPosition), 1);
}

void Splitter::applyLimitsToAreas()
{
    // QSplitter keeps each area at least at its minimum height. Those minimums are made the
    // bar's own limits, so that a bar dropped anywhere in them stays there instead of being
    // pushed back by the minimum size of the areas' contents.
    if (count() < 2)
        return;
    const int thickness = handleWidth();
    widget(0)->setMinimumHeight(thickness + m_minBorder);
    widget(1)->setMinimumHeight(m_maxBorder + thickness);
}

void Splitter::childEvent(QChildEvent *event)
{
    QSplitter::childEvent(event);
    if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildPolished)
        applyLimitsToAreas();
}

int Splitter::barPositionTwips() const
{
    return pixelsToTwips(barPosition(), logicalDpiY());
}

void Splitter::setBarPositionTwips(int twips)
{
    setBarPosition(twipsToPixels(twips, logicalDpiY()));
}

int Splitter::LimitPosition(int position, bool *outOfRange) const
{
    const int thickness = handleWidth();
    const int low = thickness + m_minBorder;
    const int high = height() - m_maxBorder - 2 * thickness;
    if (outOfRange)
        *outOfRange = position < low || position > high;
    return std::min(std::max(position, low), high);
}

void Splitter::resizeEvent(QResizeEvent *event)
{
    QSplitter::resizeEvent(event);
    if (count() < 2)
        return;
    // The first layout places the bar by the areas' stretch factors; from then on a resize keeps
    // it where it was put, within the limits of the new height.
    if (!m_wantedPosition && isVisible())
        m_wantedPosition = barPosition();
    placeBar();
}

SplitterBar::SplitterBar(Qt::Orientation orientation, Splitter *parent)
    : QSplitterHandle(orientation, parent)
    , m_splitter(parent)
{
    setToolTip(QStringLiteral("Drag and drop to change proportions"));
    setCursor(Qt::SizeVerCursor);
}

void SplitterBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette::ColorRole role = m_dragging ? QPalette::Dark : QPalette::Button;
    painter.fillRect(rect(), palette().color(role));
    // Grip dots in the middle.
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(m_dragging ? QPalette::Light : QPalette::Mid));
    const QPoint centre = rect().center();
    for (int i = -2; i <= 2; ++i)
        painter.drawEllipse(QPoint(centre.x() + i * 6, centre.y()), 1, 1);
}

int SplitterBar::positionFor(QMouseEvent *event) const
{
    return mapToParent(event->position().toPoint()).y() - m_grabOffset;
}

void SplitterBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_grabOffset = event->position().toPoint().y();
    raise();
    update();
}

void SplitterBar::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    bool outOfRange = false;
    const int position = m_splitter->LimitPosition(positionFor(event), &outOfRange);
    setCursor(outOfRange ? Qt::ForbiddenCursor : Qt::SizeVerCursor);
    move(x(), position);
}

void SplitterBar::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    m_dragging = false;
    setCursor(Qt::SizeVerCursor);
    m_splitter->setBarPosition(m_splitter->LimitPosition(positionFor(event)));
    update();
}

} // namespace orvel
