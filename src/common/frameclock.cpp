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
    connect(&m_timer, &QTimer::timeout, this, &FrameClock::endFrame);
}

void FrameClock::startFrame()
{
    if (m_timer.isActive())
        return;
    if (!m_ending || !m_stream.isValid())
        m_stream.start(); // after a quiet frame: a new stream, painted at the screen's pace
    m_timer.start(m_stream.elapsed() >= BusyAfterMs ? BusyFrameMs : FrameMs);
}

void FrameClock::endFrame()
{
    m_ending = true;
    Q_EMIT frameEnded();
    m_ending = false;
}

} // namespace orvel
