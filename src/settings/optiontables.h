// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QList>
#include <QLocale>
#include <QString>

namespace orvel {

/// One entry of an option list: its text and the number of samples it stands for.
struct OptionEntry
{
    QString text;
    qint32 samples = 0;
};

/// The display periods (10 minutes to one week of one-minute samples) and the stop-after
/// choices ("Continuous", then the same periods).
class OptionTables
{
public:
    /// The sixteen display periods, with the locale's thousands separator in the larger counts.
    static QList<OptionEntry> displayPeriods(const QLocale &locale = QLocale());
    /// "Continuous" (0 samples) followed by the display periods.
    static QList<OptionEntry> stopAfter(const QLocale &locale = QLocale());
};

} // namespace orvel
