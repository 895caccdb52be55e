// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "common/clock.h"

#include <limits>

namespace orvel {

namespace {

/// The system clock. Every local-time conversion makes the C library look at the time zone
/// files again, so the clock asks for the local offset once a second and gives the times as
/// UTC plus that offset: the same instant and the same wall-clock time. Zones change their
/// offsets only on whole seconds, so the offset of the second holds for every moment in it; a
/// change of the system's zone shows from the next second on.
class SystemClock : public Clock
{
public:
    QDateTime now() const override
    {
        const qint64 msecs = QDateTime::currentMSecsSinceEpoch();
        const qint64 second = msecs >= 0 ? msecs / 1000 : (msecs - 999) / 1000;
        if (second != m_second) {
            m_offset = QDateTime::fromMSecsSinceEpoch(second * 1000).offsetFromUtc();
            m_second = second;
        }
        return QDateTime::fromMSecsSinceEpoch(msecs, Qt::OffsetFromUTC, m_offset);
    }

private:
    mutable qint64 m_second = std::numeric_limits<qint64>::min();
    mutable int m_offset = 0;
};

} // namespace

Clock &Clock::system()
{
    static SystemClock clock;
    return clock;
}

} // namespace orvel
