// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace orvel {

/// The named date, time and number forms the program writes, rendered in a given locale.
/// Everything here is pure: the same locale and value always give the same text. The last
/// date's and time's texts are kept (rows follow one another in time), so one thread at a time.
class LocaleFormats
{
public:
    explicit LocaleFormats(QLocale locale = QLocale());

    const QLocale &locale() const { return m_locale; }

    /// The general date form of the log rows: the short date with a four-digit year, one space,
    /// the long time without a time zone; the date alone when the time is exactly midnight.
    QString generalDate(const QDateTime &time) const;
    /// The short date with a four-digit year ("12/5/2026" in United States English).
    QString shortDate(QDate date) const;
    /// Hours and minutes on a 24-hour clock with two-digit hours ("07:50").
    QString shortTime(QTime time) const;
    /// The long date ("Saturday, December 5, 2026" in United States English).
    QString longDate(QDate date) const;
    /// The long time without a time zone ("7:50:20 AM" in United States English).
    QString longTime(QTime time) const;
    /// A whole number with the locale's group separators ("#,###,##0").
    QString grouped(qint64 value) const;
    /// One decimal, no group separators, the locale's decimal point ("######0.0").
    QString oneDecimal(double value) const;

    /// The format strings behind the forms above, for readers that must parse them back.
    QString shortDateFormat() const { return m_shortDateFormat; }
    QString longTimeFormat() const { return m_longTimeFormat; }

private:
    QLocale m_locale;
    // Derived once from the locale: formatting runs for every sample.
    QString m_shortDateFormat;
    QString m_longTimeFormat;
    QString m_shortTimeFormat;
    bool m_longTimeShowsMs = false;
    QLocale m_groupingLocale;
    QLocale m_ungroupedLocale;
    mutable QDate m_lastDate;
    mutable QString m_lastDateText;
    mutable QTime m_lastTime;
    mutable QString m_lastTimeText;
};

} // namespace orvel
