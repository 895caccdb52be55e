// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "logfile/timestampparser.h"

#include <QByteArray>
#include <QString>

namespace orvel {

/// One sample row of a log: small count tab large count tab time stamp.
struct LogRow
{
    qint32 small = 0;
    qint32 large = 0;
    LogTimestamp stamp;
};

/// Walks the text of a log line by line and reads its sample rows, the way the graph loader takes
/// them: a line holding "SUMMARY" ends the first recording; header lines (holding "Small"), blank
/// lines, hyphen lines (holding "---") and lines that do not split into exactly three tab-separated
/// fields (history rows, stray text) are skipped. Line ends may be CR LF or LF.
///
/// A row whose count is not a 32-bit whole number or whose time stamp does not read is reported
/// as Bad with a description that names its line number. A stamp naming a local time that never
/// existed (the hour skipped when the clocks went forward; the writer never writes one) is read as
/// the time a clock not yet put forward showed (see LogTimestamp::toDateTime()), so the row and
/// everything after it load. Works on the bytes as read from the
/// file (UTF-8); the content is shared, not copied.
class LogReader
{
public:
    enum class Line { Row, Skipped, Summary, Bad, End };

    LogReader(QByteArray content, const LocaleFormats &formats);

    /// Reads the next line; fills `row` when it is a sample row.
    Line next(LogRow &row);
    /// Number (1-based) of the line read last.
    qint64 lineNumber() const { return m_lineNumber; }
    /// Why the last line was Bad.
    QString errorString() const { return m_error; }
    /// Bytes read so far, of size().
    qint64 position() const { return m_pos; }
    qint64 size() const { return m_content.size(); }

private:
    bool readCount(QByteArrayView field, const char *name, qint32 &value);
    void fail(const QString &what);

    QByteArray m_content;
    TimestampParser m_parser;
    qsizetype m_pos = 0;
    qint64 m_lineNumber = 0;
    QString m_error;
};

} // namespace orvel
