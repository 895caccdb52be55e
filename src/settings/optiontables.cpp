// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "settings/optiontables.h"

namespace orvel {

namespace {

struct Period
{
    const char *prefix;
    qint32 samples;
};

constexpr Period Periods[] = {
    {"10 minutes", 10}, {"20 minutes", 20}, {"30 minutes", 30}, {"1 hour", 60},
    {"2 hours", 120},   {"3 hours", 180},   {"4 hours", 240},   {"5 hours", 300},
    {"6 hours", 360},   {"12 hours", 720},  {"1 day", 1440},    {"2 days", 2880},
    {"3 days", 4320},   {"4 days", 5760},   {"5 days", 7200},   {"1 week", 10080},
};

} // namespace

QList<OptionEntry> OptionTables::displayPeriods(const QLocale &locale)
{
    QLocale grouping = locale;
    grouping.setNumberOptions(grouping.numberOptions() & ~QLocale::OmitGroupSeparator);
    QList<OptionEntry> entries;
    for (const Period &period : Periods) {
        const QString count = grouping.toString(period.samples);
        entries.append({QStringLiteral("%1 (%2 samples)").arg(QLatin1String(period.prefix), count),
                        period.samples});
    }
    return entries;
}

QList<OptionEntry> OptionTables::stopAfter(const QLocale &locale)
{
    QList<OptionEntry> entries{{QStringLiteral("Continuous"), 0}};
    entries.append(displayPeriods(locale));
    return entries;
}

} // namespace orvel
