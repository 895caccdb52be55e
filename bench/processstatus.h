// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QByteArray>
#include <QFile>

namespace orvel::bench {

/// A memory figure of this process in KiB from /proc/self/status ("VmRSS:" resident now,
/// "VmHWM:" the peak), or -1 when it cannot be read.
inline long statusKiB(const char *field = "VmRSS:")
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

/// The resident size now, in KiB.
inline long residentKiB()
{
    return statusKiB("VmRSS:");
}

} // namespace orvel::bench
