#include "common/localeformats.h"

#include <QRegularExpression>

namespace orvel {

QString LocaleFormats::shortDateFormat() const
{
    QString format = m_locale.dateFormat(QLocale::ShortFormat);
    // Widen a two-digit year to four digits; leave a format that already has four alone.
    static const QRegularExpression years(QStringLiteral("y+"));
    format.replace(years, QStringLiteral("yyyy"));
    return format;
}

QString LocaleFormats::longTimeFormat() const
{
    QString format = m_locale.timeFormat(QLocale::LongFormat);
    // Drop the time zone ("t", "tt", ...) and the blanks around it.
    static const QRegularExpression zone(QStringLiteral("\\s*\\(?t+\\)?\\s*"));
    format.replace(zone, QStringLiteral(" "));
    return format.trimmed();
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
    return m_locale.toString(date, shortDateFormat());
}

QString LocaleFormats::shortTime(QTime time) const
{
    // Keep the locale's separator between hours and minutes, but always a 24-hour clock.
    const QString format = m_locale.timeFormat(QLocale::ShortFormat);
    QString separator = QStringLiteral(":");
    const qsizetype h = format.indexOf(QRegularExpression(QStringLiteral("[hH]")));
    if (h >= 0) {
        qsizetype i = h;
        while (i < format.size() && (format[i] == u'h' || format[i] == u'H'))
            ++i;
        if (i < format.size() && format[i] != u'm')
            separator = format[i];
    }
    return m_locale.toString(time, QStringLiteral("HH") + separator + QStringLiteral("mm"));
}

QString LocaleFormats::longDate(QDate date) const
{
    return m_locale.toString(date, QLocale::LongFormat);
}

QString LocaleFormats::longTime(QTime time) const
{
    return m_locale.toString(time, longTimeFormat());
}

QString LocaleFormats::grouped(qint64 value) const
{
    QLocale locale = m_locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(value);
}

QString LocaleFormats::oneDecimal(double value) const
{
    QLocale locale = m_locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', 1);
}

} // namespace orvel
