// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "logfile/logreader.h"

#include "common/shownline.h"

#include <cstring>
#include <limits>

namespace orvel {

namespace {

/// A field of a bad row as a message quotes it. Only its start is decoded: a field may be
/// megabytes long, and the message shows 80 characters of it anyway.
QString shown(QByteArrayView field)
{
    constexpr qsizetype MaxBytes = 4 * 80 + 4;
    return quotedForMessage(QString::fromUtf8(field.first(std::min(field.size(), MaxBytes))));
}

} // namespace

LogReader::LogReader(QByteArray content, const LocaleFormats &formats)
    : m_content(std::move(content))
    , m_parser(formats)
{}

LogReader::Line LogReader::next(LogRow &row)
{
    const qsizetype size = m_content.size();
    if (m_pos >= size)
        return Line::End;
    const char *data = m_content.constData();
    const char *start = data + m_pos;
    const auto *newline = static_cast<const char *>(std::memchr(start, '\n', size - m_pos));
    const char *end = newline ? newline : data + size;
    m_pos = (newline ? newline + 1 : end) - data;
    ++m_lineNumber;
    if (end > start && end[-1] == '\r')
        --end;

    const QByteArrayView line(start, end - start);
    if (line.contains("SUMMARY"))
        return Line::Summary;
    if (line.isEmpty() || line.contains("Small") || line.contains("---"))
        return Line::Skipped;

    const auto *tab1 = static_cast<const char *>(std::memchr(start, '\t', end - start));
    if (!tab1)
        return Line::Skipped;
    const auto *tab2 = static_cast<const char *>(std::memchr(tab1 + 1, '\t', end - tab1 - 1));
    if (!tab2 || std::memchr(tab2 + 1, '\t', end - tab2 - 1))
        return Line::Skipped;

    if (!readCount(QByteArrayView(start, tab1), "small", row.small) ||
        !readCount(QByteArrayView(tab1 + 1, tab2), "large", row.large)) {
        return Line::Bad;
    }
    const QByteArrayView stamp(tab2 + 1, end);
    // A local time the clocks skipped (a hand-made row) keeps its counts; toDateTime() places it.
    if (!m_parser.parse(stamp, row.stamp) && !row.stamp.inGap) {
        fail(QStringLiteral("the time stamp %1 is not a date and time").arg(shown(stamp)));
        return Line::Bad;
    }
    return Line::Row;
}

bool LogReader::readCount(QByteArrayView field, const char *name, qint32 &value)
{
    const QByteArrayView digits = field.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < digits.size() && (digits[i] == '-' || digits[i] == '+')) {
        negative = digits[i] == '-';
        ++i;
    }
    if (i == digits.size()) {
        fail(QStringLiteral("the %1 count %2 is not a number")
                 .arg(QLatin1String(name), shown(field)));
        return false;
    }
    qint64 number = 0;
    for (; i < digits.size(); ++i) {
        const char c = digits[i];
        if (c < '0' || c > '9') {
            fail(QStringLiteral("the %1 count %2 is not a number")
                     .arg(QLatin1String(name), shown(field)));
            return false;
        }
        number = number * 10 + (c - '0');
        if (number > qint64(std::numeric_limits<qint32>::max()) + 1)
            break;
    }
    if (negative)
        number = -number;
    if (i < digits.size() || number > std::numeric_limits<qint32>::max() ||
        number < std::numeric_limits<qint32>::min()) {
        fail(QStringLiteral("the %1 count %2 is out of range")
                 .arg(QLatin1String(name), shown(field)));
        return false;
    }
    value = qint32(number);
    return true;
}

void LogReader::fail(const QString &what)
{
    m_error = QStringLiteral("Line %1 of the log cannot be read: %2.").arg(m_lineNumber).arg(what);
}

} // namespace orvel
