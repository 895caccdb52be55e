// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "logfile/timestampparser.h"

#include <QTimeZone>

namespace orvel {

namespace {

enum Field { DayField, MonthField, YearField, HourField, MinuteField, SecondField, MillisField };

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

/// Length of the blank at `pos` (space, no-break space, narrow no-break space), or 0.
int blankAt(QByteArrayView text, qsizetype pos)
{
    const qsizetype left = text.size() - pos;
    if (left >= 1 && text[pos] == ' ')
        return 1;
    if (left >= 2 && text[pos] == '\xC2' && text[pos + 1] == '\xA0')
        return 2;
    if (left >= 3 && text[pos] == '\xE2' && text[pos + 1] == '\x80' && text[pos + 2] == '\xAF')
        return 3;
    return 0;
}

qsizetype skipBlanks(QByteArrayView text, qsizetype pos)
{
    while (const int length = blankAt(text, pos))
        pos += length;
    return pos;
}

bool isBlankChar(QChar c)
{
    return c == u' ' || c == QChar(0x00A0) || c == QChar(0x202F);
}

bool isAscii(QByteArrayView text)
{
    for (const char c : text) {
        if (c & 0x80)
            return false;
    }
    return true;
}

/// Case-insensitive match of `word` at `pos`; the length in bytes of the matched text, or 0.
/// Folds any letter ("π.μ." matches "Π.Μ.", "da manhã" matches "DA MANHÃ"); ASCII words take a
/// shortcut.
qsizetype matchWord(QByteArrayView text, qsizetype pos, QByteArrayView word)
{
    if (word.isEmpty() || pos >= text.size())
        return 0;
    const QByteArrayView rest = text.sliced(pos);
    if (isAscii(word)) {
        if (rest.size() >= word.size() &&
            rest.first(word.size()).compare(word, Qt::CaseInsensitive) == 0)
            return word.size();
        if (isAscii(rest))
            return 0;
    }
    // Upper and lower case of a letter may differ in length in UTF-8, but not in UTF-16.
    const QString restText = QString::fromUtf8(rest);
    const QString wordText = QString::fromUtf8(word);
    if (!restText.startsWith(wordText, Qt::CaseInsensitive))
        return 0;
    return QStringView(restText).first(wordText.size()).toUtf8().size();
}

/// `text` with the native digits of a locale (Arabic-Indic, Bengali, Adlam, ...) as ASCII ones.
QByteArray withAsciiDigits(QByteArrayView text, char32_t zero)
{
    QString result;
    for (const char32_t c : QStringView(QString::fromUtf8(text)).toUcs4()) {
        if (c >= zero && c <= zero + 9)
            result += QChar(u'0' + char16_t(c - zero));
        else
            result += QStringView(QChar::fromUcs4(c));
    }
    return result.toUtf8();
}

bool readNumber(QByteArrayView text, qsizetype &pos, int minDigits, int maxDigits, int &value)
{
    int digits = 0;
    value = 0;
    while (digits < maxDigits && pos < text.size() && isDigit(text[pos])) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++digits;
    }
    return digits >= minDigits;
}

} // namespace

QDateTime LogTimestamp::toDateTime() const
{
    if (inGap) {
        // Read with the offset in force before the clocks went forward: the time a clock that
        // had not been put forward yet showed.
        const int before = QDateTime(date.addDays(-1), time).offsetFromUtc();
        return QDateTime(date, time, QTimeZone(before)).toLocalTime();
    }
    if (!hasOffset)
        return QDateTime(date, time);
    return QDateTime(date, time, QTimeZone(offsetSeconds)).toLocalTime();
}

TimestampParser::TimestampParser(const LocaleFormats &formats)
{
    m_forms.push_back(compile(formats));
    const LocaleFormats us(QLocale(QLocale::English, QLocale::UnitedStates));
    if (us.shortDateFormat() != formats.shortDateFormat() ||
        us.longTimeFormat() != formats.longTimeFormat()) {
        m_forms.push_back(compile(us));
    }
    Form iso;
    iso.iso = true;
    m_forms.push_back(iso);
}

TimestampParser::Form TimestampParser::compile(const LocaleFormats &formats)
{
    Form form;
    form.locale = formats.locale();
    form.dateFormat = formats.shortDateFormat();
    form.timeFormat = formats.longTimeFormat();
    form.amText = form.locale.amText().toUtf8();
    form.pmText = form.locale.pmText().toUtf8();
    bool dateTwelve = false;
    const QList<uint> zero = form.locale.zeroDigit().toUcs4();
    form.zeroDigit = zero.isEmpty() ? U'0' : char32_t(zero.first());
    form.fast = compileFormat(form.dateFormat, form.date, dateTwelve) &&
                compileFormat(form.timeFormat, form.time, form.twelveHour);
    return form;
}

bool TimestampParser::compileFormat(const QString &format, std::vector<Item> &items,
                                    bool &twelveHour)
{
    twelveHour = false;
    auto literal = [&items](const QString &text) {
        if (items.empty() || items.back().token != Token::Literal)
            items.push_back(Item{Token::Literal, 0, 0, {}});
        items.back().literal += text.toUtf8();
    };
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format[i];
        if (c == u'\'') {
            const qsizetype close = format.indexOf(u'\'', i + 1);
            if (close == i + 1)
                literal(QStringLiteral("'"));
            else if (close < 0)
                return false;
            else
                literal(format.mid(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        if (isBlankChar(c)) {
            if (items.empty() || items.back().token != Token::Blank)
                items.push_back(Item{Token::Blank, 1, 1, {}});
            ++i;
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        const char letter = c.toLatin1();
        Item item;
        switch (letter) {
        case 'd':
            if (run > 2)
                return false; // day names
            item = Item{Token::Day, 1, 2, {}};
            break;
        case 'M':
            if (run > 2)
                return false; // month names
            item = Item{Token::Month, 1, 2, {}};
            break;
        case 'y':
            item = Item{Token::Year, 4, 4, {}};
            break;
        case 'h':
        case 'H':
            item = Item{Token::Hour, 1, 2, {}};
            break;
        case 'm':
            item = Item{Token::Minute, 1, 2, {}};
            break;
        case 's':
            item = Item{Token::Second, 1, 2, {}};
            break;
        case 'z':
            item = Item{Token::Millis, 1, 3, {}};
            break;
        case 'A':
        case 'a':
            // "AP", "ap", "A" or "a".
            if (i + 1 < format.size() && (format[i + 1] == u'P' || format[i + 1] == u'p'))
                run = 2;
            item = Item{Token::AmPm, 0, 0, {}};
            twelveHour = true;
            break;
        default:
            if (c.isLetter())
                return false;
            literal(format.mid(i, run));
            i += run;
            continue;
        }
        items.push_back(item);
        i += run;
    }
    return true;
}

bool TimestampParser::parse(QByteArrayView text, LogTimestamp &stamp) const
{
    stamp.inGap = false;
    text = text.trimmed();
    if (text.isEmpty())
        return false;
    bool matched = parseForm(m_forms[m_last], text, stamp);
    for (std::size_t i = 0; i < m_forms.size() && !matched; ++i) {
        if (i != m_last && parseForm(m_forms[i], text, stamp)) {
            m_last = i;
            matched = true;
        }
    }
    if (!matched)
        return false;
    stamp.inGap = !stamp.hasOffset && !existsLocally(stamp.date, stamp.time);
    return !stamp.inGap;
}

bool TimestampParser::existsLocally(QDate date, QTime time) const
{
    // Rows come in time order, a day's worth at a time: look at the zone once a day, and row by
    // row only on the days its offset changes.
    if (date != m_checkedDate) {
        m_checkedDate = date;
        m_dayChangesOffset = QDateTime(date, QTime(0, 0)).offsetFromUtc() !=
                             QDateTime(date, QTime(23, 59, 59)).offsetFromUtc();
    }
    return !m_dayChangesOffset || QDateTime(date, time).isValid();
}

bool TimestampParser::parseForm(const Form &form, QByteArrayView text, LogTimestamp &stamp) const
{
    if (form.iso)
        return parseIso(text, stamp);
    // What the compiled pattern misses (an unusual spelling of a word, say) QLocale may read.
    if (form.fast && form.zeroDigit != U'0') {
        const QByteArray ascii = withAsciiDigits(text, form.zeroDigit);
        if (parseFast(form, ascii, stamp))
            return true;
    } else if (form.fast && parseFast(form, text, stamp)) {
        return true;
    }
    return parseSlow(form, text, stamp);
}

bool TimestampParser::parseFast(const Form &form, QByteArrayView text, LogTimestamp &stamp)
{
    int fields[7] = {0, 0, 0, 0, 0, 0, 0};
    int amPm = -1;
    qsizetype pos = 0;
    if (!parseItems(form, form.date, text, pos, fields, amPm))
        return false;
    if (pos < text.size()) {
        const qsizetype afterBlank = skipBlanks(text, pos);
        if (afterBlank == pos)
            return false;
        pos = afterBlank;
        if (!parseItems(form, form.time, text, pos, fields, amPm) || pos != text.size())
            return false;
        if (form.twelveHour && amPm >= 0) {
            int &hour = fields[HourField];
            if (hour < 1 || hour > 12)
                return false;
            hour = hour % 12 + (amPm == 1 ? 12 : 0);
        }
    }
    stamp.date = QDate(fields[YearField], fields[MonthField], fields[DayField]);
    stamp.time =
        QTime(fields[HourField], fields[MinuteField], fields[SecondField], fields[MillisField]);
    stamp.hasOffset = false;
    stamp.offsetSeconds = 0;
    return stamp.date.isValid() && stamp.time.isValid();
}

bool TimestampParser::parseItems(const Form &form, const std::vector<Item> &items,
                                 QByteArrayView text, qsizetype &pos, int *fields, int &amPm)
{
    for (const Item &item : items) {
        switch (item.token) {
        case Token::Literal:
            if (!text.sliced(pos).startsWith(item.literal))
                return false;
            pos += item.literal.size();
            break;
        case Token::Blank: {
            const qsizetype after = skipBlanks(text, pos);
            // A blank before an absent AM/PM designator may end the text.
            if (after == pos && pos != text.size())
                return false;
            pos = after;
            break;
        }
        case Token::AmPm: {
            // The locale's own words first: they may begin with "AM" or "PM" ("AM." say).
            const QByteArrayView words[] = {form.amText, form.pmText, "AM", "PM"};
            qsizetype matched = 0;
            for (int i = 0; i < 4 && !matched; ++i) {
                matched = matchWord(text, pos, words[i]);
                amPm = i % 2;
            }
            if (!matched)
                return false;
            pos += matched;
            break;
        }
        default: {
            const int field = int(item.token) - int(Token::Day);
            const qsizetype start = pos;
            if (!readNumber(text, pos, item.minDigits, item.maxDigits, fields[field]))
                return false;
            // "z" is a fraction of a second: ".5" is 500 ms.
            if (item.token == Token::Millis) {
                for (qsizetype digits = pos - start; digits < 3; ++digits)
                    fields[field] *= 10;
            }
            break;
        }
        }
    }
    return true;
}

bool TimestampParser::parseIso(QByteArrayView text, LogTimestamp &stamp)
{
    qsizetype pos = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millis = 0;
    auto expect = [&](char c) {
        if (pos < text.size() && text[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    };
    if (!readNumber(text, pos, 4, 4, year) || !expect('-') || !readNumber(text, pos, 2, 2, month) ||
        !expect('-') || !readNumber(text, pos, 2, 2, day))
        return false;
    stamp.hasOffset = false;
    stamp.offsetSeconds = 0;
    if (pos < text.size()) {
        if (!expect('T') && !expect(' '))
            return false;
        if (!readNumber(text, pos, 2, 2, hour) || !expect(':') ||
            !readNumber(text, pos, 2, 2, minute))
            return false;
        if (expect(':')) {
            if (!readNumber(text, pos, 2, 2, second))
                return false;
            if (expect('.') || expect(',')) {
                int scale = 100;
                const qsizetype start = pos;
                while (pos < text.size() && isDigit(text[pos])) {
                    millis += (text[pos] - '0') * scale;
                    scale /= 10;
                    ++pos;
                }
                if (pos == start)
                    return false;
            }
        }
        if (expect('Z')) {
            stamp.hasOffset = true;
        } else if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            const int sign = text[pos] == '-' ? -1 : 1;
            ++pos;
            int offsetHours = 0;
            int offsetMinutes = 0;
            if (!readNumber(text, pos, 2, 2, offsetHours))
                return false;
            expect(':');
            if (pos < text.size() && !readNumber(text, pos, 2, 2, offsetMinutes))
                return false;
            stamp.hasOffset = true;
            stamp.offsetSeconds = sign * (offsetHours * 3600 + offsetMinutes * 60);
        }
        if (pos != text.size())
            return false;
    }
    stamp.date = QDate(year, month, day);
    stamp.time = QTime(hour, minute, second, millis);
    return stamp.date.isValid() && stamp.time.isValid();
}

bool TimestampParser::parseSlow(const Form &form, QByteArrayView text, LogTimestamp &stamp)
{
    const QString value = QString::fromUtf8(text).trimmed();
    stamp.hasOffset = false;
    stamp.offsetSeconds = 0;
    const QDate date = form.locale.toDate(value, form.dateFormat);
    if (date.isValid()) {
        stamp.date = date;
        stamp.time = QTime(0, 0);
        return true;
    }
    const QDateTime time =
        form.locale.toDateTime(value, form.dateFormat + QLatin1Char(' ') + form.timeFormat);
    if (!time.isValid())
        return false;
    stamp.date = time.date();
    stamp.time = time.time();
    return true;
}

} // namespace orvel
