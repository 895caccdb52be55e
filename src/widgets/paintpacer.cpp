// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "widgets/paintpacer.h"

#include "common/frameclock.h"

#include <QWidget>

namespace orvel {

PaintPacer::PaintPacer(const QList<QWidget *> &widgets, QObject *parent)
    : QObject(parent)
{
    for (QWidget *widget : widgets)
        m_widgets.append(widget);
    connect(&FrameClock::instance(), &FrameClock::frameEnded, this, &PaintPacer::frameEnded);
}

bool PaintPacer::passes()
{
    FrameClock &clock = FrameClock::instance();
    if (!clock.inFrame())
        clock.startFrame();
    else if (m_changedInFrame)
        return false;
    m_changedInFrame = true;
    return true;
}

void PaintPacer::aboutToChange()
{
    if (!passes())
        setHeld(true);
}

void PaintPacer::aboutToChange(const QList<QWidget *> &widgets)
{
    if (passes())
        return;
    m_holding = true;
    for (QWidget *widget : widgets)
        hold(widget);
}

void PaintPacer::holdToo(QWidget *widget)
{
    if (m_holding)
        hold(widget);
}

void PaintPacer::hold(QWidget *widget)
{
    // Held by this pacer: its updates switched off on the widget itself.
    if (widget && !widget->testAttribute(Qt::WA_ForceUpdatesDisabled))
        widget->setUpdatesEnabled(false);
}

void PaintPacer::frameEnded()
{
    if (!m_holding) {
        m_changedInFrame = false; // the next change is painted as usual
        return;                   // a quiet frame: no timer until the next change
    }
    setHeld(false); // paints the latest state, in the next frame
    FrameClock::instance().startFrame();
    m_changedInFrame = true;
}

void PaintPacer::setHeld(bool held)
{
    m_holding = held;
    for (QWidget *widget : std::as_const(m_widgets)) {
        if (!widget)
            continue;
        if (held)
            hold(widget);
        else if (widget->testAttribute(Qt::WA_ForceUpdatesDisabled))
            widget->setUpdatesEnabled(true); // paints it whole
    }
}

} // namespace orvel
