// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "common/localeformats.h"

#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QTime>

#include <vector>

namespace orvel {

/// A time stamp as read from a log row: the local date and time, and the offset from UTC when the
/// stamp carried one (ISO 8601 with a zone).
struct LogTimestamp
{
    QDate date;
    QTime time;
    bool hasOffset = false;
    int offsetSeconds = 0;
    /// The stamp names a local time that never existed (the hour skipped when the clocks went
    /// forward); set by TimestampParser::parse(), which then returns false.
    bool inGap = false;

    /// The local date-time of the stamp (converted from its zone when it had one). A stamp in a
    /// gap reads with the offset in force before the gap: 02:30 on the night the clocks go from
    /// 02:00 to 03:00 is 03:30.
    QDateTime toDateTime() const;
};

/// Reads the time stamps of log rows. Accepted, in this order: the general date form of the
/// given locale (the form the log writer uses: short date with a four-digit year, a space, the
/// long time; the date alone at midnight), the same form in United States English, and ISO 8601
/// ("2026-12-05T07:50:20", a space instead of the "T", seconds, fractions and a zone optional).
/// So a log moved from a machine with other regional settings still reads.
///
/// The common forms are matched by a compiled pattern straight on the UTF-8 bytes of the row, so a
/// year of rows reads in a fraction of a second; unusual locale formats (month names) fall back to
/// QLocale's parser. Blanks match any blank (space, no-break space, narrow no-break space).
/// Remembers the form that matched last and tries it first. Not thread-safe.
class TimestampParser
{
public:
    explicit TimestampParser(const LocaleFormats &formats);

    /// Reads `text` (UTF-8, surrounding blanks ignored); false when no accepted form matches or
    /// the date or time does not exist, also a local time skipped when the clocks went forward
    /// (then `stamp` holds it and its `inGap` is set).
    bool parse(QByteArrayView text, LogTimestamp &stamp) const;

private:
    enum class Token { Literal, Blank, Day, Month, Year, Hour, Minute, Second, Millis, AmPm };
    struct Item
    {
        Token token = Token::Literal;
        int minDigits = 1;
        int maxDigits = 2;
        QByteArray literal;
    };
    struct Form
    {
        std::vector<Item> date;
        std::vector<Item> time;
        bool twelveHour = false;
        bool fast = true;
        bool iso = false;
        char32_t zeroDigit = U'0'; ///< native digits are read as ASCII ones
        // For the slow path.
        QLocale locale;
        QString dateFormat;
        QString timeFormat;
        QByteArray amText;
        QByteArray pmText;
    };

    static Form compile(const LocaleFormats &formats);
    static bool compileFormat(const QString &format, std::vector<Item> &items, bool &twelveHour);
    bool parseForm(const Form &form, QByteArrayView text, LogTimestamp &stamp) const;
    bool existsLocally(QDate date, QTime time) const;
    static bool parseFast(const Form &form, QByteArrayView text, LogTimestamp &stamp);
    static bool parseItems(const Form &form, const std::vector<Item> &items, QByteArrayView text,
                           qsizetype &pos, int *fields, int &amPm);
    static bool parseIso(QByteArrayView text, LogTimestamp &stamp);
    static bool parseSlow(const Form &form, QByteArrayView text, LogTimestamp &stamp);

    std::vector<Form> m_forms;
    mutable std::size_t m_last = 0;
    mutable QDate m_checkedDate;
    mutable bool m_dayChangesOffset = false;
};

} // namespace orvel
