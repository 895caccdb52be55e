// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/redrawpacer.h"

#include "common/frameclock.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace orvel {

RedrawPacer::RedrawPacer(QWidget *widget, std::function<void()> redraw)
    : QObject(widget)
    , m_widget(widget)
    , m_redraw(std::move(redraw))
{
    connect(&FrameClock::instance(), &FrameClock::frameEnded, this, &RedrawPacer::frameEnded);
}

bool RedrawPacer::onScreen() const
{
    return m_widget->isVisible() && !m_widget->window()->isMinimized();
}

void RedrawPacer::changed()
{
    m_pending = true;
    if (onScreen() && !FrameClock::instance().inFrame())
        m_redraw();
}

void RedrawPacer::redrawStarted()
{
    m_pending = false;
    FrameClock::instance().startFrame();
}

void RedrawPacer::frameEnded()
{
    if (m_pending && onScreen())
        m_redraw();
}

void RedrawPacer::catchUp() const
{
    if (m_pending)
        m_redraw();
}

void RedrawPacer::shown()
{
    // A minimised window stays visible to Qt: its restore is seen on the window itself.
    QWidget *window = m_widget->window();
    if (window != m_watchedWindow) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = window;
        if (m_watchedWindow != m_widget)
            m_watchedWindow->installEventFilter(this);
    }
    frameEnded();
}

bool RedrawPacer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watchedWindow && event->type() == QEvent::WindowStateChange)
        QTimer::singleShot(0, this, &RedrawPacer::frameEnded);
    return QObject::eventFilter(watched, event);
}

} // namespace orvel
