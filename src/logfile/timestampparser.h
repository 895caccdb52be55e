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

    /// The local date-time of the stamp (converted from its zone when it had one).
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
    /// the date or time does not exist.
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
    static bool parseItems(const Form &form, const std::vector<Item> &items, QByteArrayView text,
                           qsizetype &pos, int *fields, int &amPm);
    static bool parseIso(QByteArrayView text, LogTimestamp &stamp);
    static bool parseSlow(const Form &form, QByteArrayView text, LogTimestamp &stamp);

    std::vector<Form> m_forms;
    mutable std::size_t m_last = 0;
};

} // namespace orvel
