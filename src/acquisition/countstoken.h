// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace orvel {

class LocaleFormats;

/// The default counts multiplier: the unit reports hundreds of particles per cubic foot.
inline constexpr qint32 DefaultCountsMultiplier = 100;

/// Turns one count line ("12,3\r\n") into its scaled counts and the log row
/// ("1200\t300\t12/5/2026 7:50:20 AM\r\n").
///
/// Returns the empty text when the line holds no comma; the counts and the multiplier are then
/// left exactly as passed. A multiplier of 0 stands for the default and comes back as 100.
/// The time stamp column is left out when `timeStamp` is null (history records).
/// Throws orvel::Failure when a field is not a number (13) or a count does not fit in 32 bits
/// once scaled (6); the description names the line.
QString ParseCountsToken(QString CountsToken, qint32 &smallChanCount, qint32 &largeChanCount,
                         const QDateTime &timeStamp, qint32 &countsMultiplier,
                         const LocaleFormats &formats);

/// The same, rendering the time stamp in `locale`.
QString ParseCountsToken(QString CountsToken, qint32 &smallChanCount, qint32 &largeChanCount,
                         const QDateTime &timeStamp, qint32 &countsMultiplier,
                         const QLocale &locale = QLocale());

/// The same, for callers that only want the row (no time stamp, default multiplier).
QString ParseCountsToken(const QString &CountsToken);

} // namespace orvel
