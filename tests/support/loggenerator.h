// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "common/localeformats.h"

#include <QByteArray>
#include <QDateTime>

namespace orvel::test {

/// Writes logs the way a recording does, for the loader's tests: a header, rows of
/// small tab large tab time stamp (one a minute from `start`, general date form of `formats`),
/// CR LF line ends. Row k (1-based) holds small 100·k and large 10·k unless told otherwise.
struct LogGenerator
{
    explicit LogGenerator(LocaleFormats formats, QDateTime start)
        : formats(std::move(formats))
        , start(std::move(start))
    {}

    static QByteArray header() { return "Small\tLarge\tDate/Time\r\n"; }
    QByteArray row(qint64 k) const { return row(100 * k, 10 * k, time(k)); }
    QByteArray row(qint64 small, qint64 large, const QDateTime &at) const
    {
        return QByteArray::number(small) + '\t' + QByteArray::number(large) + '\t' +
               formats.generalDate(at).toUtf8() + "\r\n";
    }
    QDateTime time(qint64 k) const { return start.addSecs(60 * (k - 1)); }
    /// A recording of rows first .. last, with its header and a summary block.
    QByteArray recording(qint64 first, qint64 last) const
    {
        QByteArray text = header();
        for (qint64 k = first; k <= last; ++k)
            text += row(k);
        return text + summary(last - first + 1);
    }
    static QByteArray summary(qint64 count)
    {
        return "\r\n--------------------------\r\n         SUMMARY\r\n(particles per cubic "
               "foot)\r\n--------------------------\r\nNumber of samples : " +
               QByteArray::number(count) +
               "\r\n\r\nSmall Particles\r\n---------------\r\n Low : 1\r\n Hi  : 2\r\n Avg : "
               "1.5\r\n\r\nLarge Particles\r\n---------------\r\n Low : 1\r\n Hi  : 2\r\n Avg : "
               "1.5\r\n\r\n------ End Summary -------\r\n\r\n";
    }

    LocaleFormats formats;
    QDateTime start;
};

} // namespace orvel::test
