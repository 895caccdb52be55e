// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QString>
#include <QStringList>

namespace orvel {

/// The receive buffer: collects characters as they arrive and cuts them into complete lines.
///
/// Every complete line (ending in CR LF) is handed out at once, in arrival order, with its CR LF.
/// A partial line stays until the rest arrives or clear() drops it (closing and reopening the
/// port keeps it). A count line is a few characters, so a run longer than the limit without CR LF
/// cannot be one (a wrong baud rate, bad wiring, another device): it is thrown away at once, up
/// to and including the next CR LF, and reported once until a complete line arrives again.
class LineAssembler
{
public:
    /// The longest run without CR LF that may still be a count line.
    static constexpr qsizetype DefaultLimit = 64;

    struct Result
    {
        QStringList lines;            ///< complete lines, each ending in "\r\n"
        qsizetype droppedChars = 0;   ///< characters thrown away by this call
        bool overflowStarted = false; ///< true on the first drop since the last complete line
    };

    explicit LineAssembler(qsizetype limit = DefaultLimit)
        : m_limit(limit)
    {}

    Result append(QStringView received);
    /// Drops a partial line (and forgets a run of noise), as when a new recording starts.
    void clear();

    /// What to tell the user when `dropped` characters arrived without a line end.
    static QString overflowMessage(qsizetype dropped);
    const QString &buffer() const { return m_buffer; }
    qsizetype limit() const { return m_limit; }

private:
    QString m_buffer;
    qsizetype m_limit;
    bool m_discarding = false;   ///< in a run of noise: drop up to the next CR LF
    bool m_discardedCr = false;  ///< the last character dropped was a CR
    bool m_noiseReported = false; ///< noise was reported since the last complete line
};

} // namespace orvel
