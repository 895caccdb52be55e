// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "acquisition/countstoken.h"

#include "common/failure.h"
#include "common/localeformats.h"
#include "common/shownline.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvel {

namespace {

const QString Source = QStringLiteral("ParseCountsToken");

QString trimSpaces(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin).toString();
}

bool isDecimal(const QString &field)
{
    // Optional sign, digits with an optional fraction: "12", "-3", "12.5", ".5", "7."
    qsizetype i = 0;
    if (i < field.size() && (field[i] == u'+' || field[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < field.size() && field[i].isDigit() && field[i].unicode() < 128) {
        ++i;
        ++digits;
    }
    if (i < field.size() && field[i] == u'.') {
        ++i;
        while (i < field.size() && field[i].isDigit() && field[i].unicode() < 128) {
            ++i;
            ++digits;
        }
    }
    return digits > 0 && i == field.size();
}

qint32 toCount(const QString &field, QStringView line)
{
    if (!isDecimal(field)) {
        throw Failure(Failure::TypeMismatch, Source,
                      QStringLiteral("Type mismatch: %1 in the counts line %2 is not a number.")
                          .arg(quotedForMessage(field), quotedForMessage(line)));
    }
    // Plain digits, as the unit sends them, are read as they stand; a sign or a fraction goes
    // through the number parser, and halves go to the even neighbour (the default rounding mode).
    if (field.size() <= 9 &&
        std::all_of(field.cbegin(), field.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; })) {
        qint32 value = 0;
        for (const QChar c : field)
            value = value * 10 + (c.unicode() - u'0');
        return value;
    }
    const double value = std::nearbyint(QLocale::c().toDouble(field));
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max()) {
        throw Failure(Failure::Overflow, Source,
                      QStringLiteral("Overflow: %1 in the counts line %2 does not fit in 32 bits.")
                          .arg(quotedForMessage(field), quotedForMessage(line)));
    }
    return static_cast<qint32>(value);
}

qint32 scaled(qint32 count, qint32 multiplier, QStringView line)
{
    qint32 result = 0;
    if (__builtin_mul_overflow(count, multiplier, &result)) {
        throw Failure(Failure::Overflow, Source,
                      QStringLiteral("Overflow: the count %1 times %2 in the counts line %3 does "
                                     "not fit in 32 bits.")
                          .arg(count)
                          .arg(multiplier)
                          .arg(quotedForMessage(line)));
    }
    return result;
}

} // namespace

QString ParseCountsToken(QString CountsToken, qint32 &smallChanCount, qint32 &largeChanCount,
                         const QDateTime &timeStamp, qint32 &countsMultiplier,
                         const QLocale &locale)
{
    return ParseCountsToken(std::move(CountsToken), smallChanCount, largeChanCount, timeStamp,
                            countsMultiplier, LocaleFormats(locale));
}

QString ParseCountsToken(QString CountsToken, qint32 &smallChanCount, qint32 &largeChanCount,
                         const QDateTime &timeStamp, qint32 &countsMultiplier,
                         const LocaleFormats &formats)
{
    const qsizetype comma = CountsToken.indexOf(u',');
    if (comma < 0)
        return {};

    const qsizetype lineEnd = CountsToken.indexOf(QStringLiteral("\r\n"));
    const QStringView line =
        lineEnd < 0 ? QStringView(CountsToken) : QStringView(CountsToken).left(lineEnd);

    // A comma beyond the end of the line leaves the large field empty: a conversion failure.
    const qsizetype split = std::min(comma, line.size());
    const QString smallField = trimSpaces(line.left(split));
    const QString largeField = split < line.size() ? trimSpaces(line.mid(split + 1)) : QString();
    const qint32 small = toCount(smallField, line);
    const qint32 large = toCount(largeField, line);

    if (countsMultiplier == 0)
        countsMultiplier = DefaultCountsMultiplier;
    smallChanCount = scaled(small, countsMultiplier, line);
    largeChanCount = scaled(large, countsMultiplier, line);

    QString row =
        QString::number(smallChanCount) + QLatin1Char('\t') + QString::number(largeChanCount);
    if (timeStamp.isValid())
        row += QLatin1Char('\t') + formats.generalDate(timeStamp);
    return row + QStringLiteral("\r\n");
}

QString ParseCountsToken(const QString &CountsToken)
{
    qint32 small = 0;
    qint32 large = 0;
    qint32 multiplier = 0;
    return ParseCountsToken(CountsToken, small, large, QDateTime(), multiplier);
}

} // namespace orvel
