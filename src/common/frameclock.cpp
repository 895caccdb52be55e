// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "common/frameclock.h"

#include <QCoreApplication>
#include <QPointer>

namespace orvel {

FrameClock &FrameClock::instance()
{
    // Goes with the application, so that no timer outlives it.
    static QPointer<FrameClock> clock;
    if (!clock)
        clock = new FrameClock(QCoreApplication::instance());
    return *clock;
}

FrameClock::FrameClock(QObject *parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(FrameMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &FrameClock::frameEnded);
}

void FrameClock::startFrame()
{
    if (!m_timer.isActive())
        m_timer.start();
}

} // namespace orvel
