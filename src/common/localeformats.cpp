// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "common/localeformats.h"

#include <QRegularExpression>

namespace orvel {

namespace {

QString shortDateFormatOf(const QLocale &locale)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    // Widen a two-digit year to four digits; leave a format that already has four alone.
    static const QRegularExpression years(QStringLiteral("y+"));
    format.replace(years, QStringLiteral("yyyy"));
    return format;
}

QString longTimeFormatOf(const QLocale &locale)
{
    QString format = locale.timeFormat(QLocale::LongFormat);
    // Drop the time zone ("t", "tt", ...) and the blanks around it.
    static const QRegularExpression zone(QStringLiteral("\\s*\\(?t+\\)?\\s*"));
    format.replace(zone, QStringLiteral(" "));
    return format.trimmed();
}

QString shortTimeFormatOf(const QLocale &locale)
{
    // Keep the locale's separator between hours and minutes, but always a 24-hour clock.
    const QString format = locale.timeFormat(QLocale::ShortFormat);
    QString separator = QStringLiteral(":");
    qsizetype i = format.indexOf(u'h', 0, Qt::CaseInsensitive);
    if (i >= 0) {
        while (i < format.size() && (format[i] == u'h' || format[i] == u'H'))
            ++i;
        if (i < format.size() && format[i] != u'm')
            separator = format[i];
    }
    return QStringLiteral("HH") + separator + QStringLiteral("mm");
}

} // namespace

LocaleFormats::LocaleFormats(QLocale locale)
    : m_locale(std::move(locale))
    , m_shortDateFormat(shortDateFormatOf(m_locale))
    , m_longTimeFormat(longTimeFormatOf(m_locale))
    , m_shortTimeFormat(shortTimeFormatOf(m_locale))
    , m_longTimeShowsMs(m_longTimeFormat.contains(QLatin1Char('z')))
    , m_groupingLocale(m_locale)
    , m_ungroupedLocale(m_locale)
{
    m_groupingLocale.setNumberOptions(m_locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    m_ungroupedLocale.setNumberOptions(QLocale::OmitGroupSeparator);
}

QString LocaleFormats::generalDate(const QDateTime &time) const
{
    const QString date = shortDate(time.date());
    if (time.time() == QTime(0, 0))
        return date;
    return date + QLatin1Char(' ') + longTime(time.time());
}

QString LocaleFormats::shortDate(QDate date) const
{
    if (date != m_lastDate || m_lastDateText.isNull()) {
        m_lastDate = date;
        m_lastDateText = m_locale.toString(date, m_shortDateFormat);
    }
    return m_lastDateText;
}

QString LocaleFormats::shortTime(QTime time) const
{
    return m_locale.toString(time, m_shortTimeFormat);
}

QString LocaleFormats::longDate(QDate date) const
{
    return m_locale.toString(date, QLocale::LongFormat);
}

QString LocaleFormats::longTime(QTime time) const
{
    // Rows arriving within one second share its text, unless the form shows milliseconds.
    const QTime shown = m_longTimeShowsMs || !time.isValid()
                            ? time
                            : QTime(time.hour(), time.minute(), time.second());
    if (shown != m_lastTime || m_lastTimeText.isNull()) {
        m_lastTime = shown;
        m_lastTimeText = m_locale.toString(shown, m_longTimeFormat);
    }
    return m_lastTimeText;
}

QString LocaleFormats::grouped(qint64 value) const
{
    return m_groupingLocale.toString(value);
}

QString LocaleFormats::oneDecimal(double value) const
{
    return m_ungroupedLocale.toString(value, 'f', 1);
}

} // namespace orvel
