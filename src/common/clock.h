// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QDateTime>

namespace orvel {

/// Where the program reads the current local date and time. Tests install a fixed clock.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;

    /// The system clock, in local time (as a fixed offset from UTC: see clock.cpp).
    static Clock &system();
};

/// A clock that stands still until told otherwise; for tests and benchmarks.
class FixedClock : public Clock
{
public:
    explicit FixedClock(QDateTime time)
        : m_time(std::move(time))
    {}
    QDateTime now() const override { return m_time; }
    void set(QDateTime time) { m_time = std::move(time); }
    void advanceSecs(qint64 secs) { m_time = m_time.addSecs(secs); }

private:
    QDateTime m_time;
};

} // namespace orvel
