// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/sampletimeformatter.h"

namespace orvel {

namespace {
constexpr int MinutesPerDay = 24 * 60;
}

SampleTimeFormatter::SampleTimeFormatter(LocaleFormats formats)
    : m_formats(std::move(formats))
    , m_minutes(MinutesPerDay)
{}

QString SampleTimeFormatter::FormatSampleTime(const QDateTime &time, bool withDate) const
{
    // A clock change moves the wall clock by two hours at most, so past 03:00 the minute before
    // is always on the same day and the costlier date arithmetic can be skipped.
    if (!withDate && time.time() < QTime(3, 0))
        withDate = time.addSecs(-60).date() != time.date();
    const QString clock = minuteText(time.time());
    if (!withDate)
        return clock;
    return m_formats.shortDate(time.date()) + QStringLiteral(" - ") + clock;
}

QString SampleTimeFormatter::minuteText(QTime time) const
{
    if (!time.isValid())
        return m_formats.shortTime(time);
    QString &text = m_minutes[time.hour() * 60 + time.minute()];
    if (text.isNull())
        text = m_formats.shortTime(QTime(time.hour(), time.minute()));
    return text;
}

} // namespace orvel
