// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "common/clock.h"

namespace orvel {

namespace {
class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};
} // namespace

Clock &Clock::system()
{
    static SystemClock clock;
    return clock;
}

} // namespace orvel
