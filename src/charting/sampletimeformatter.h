// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "common/localeformats.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <vector>

namespace orvel {

/// Renders the time of a sample as the chart's row label and the slider's date text, in one
/// locale. A chart that follows the newest sample labels a row per sample, so the text of each
/// minute of the day is made once and then reused. UI thread only.
class SampleTimeFormatter
{
public:
    explicit SampleTimeFormatter(LocaleFormats formats);

    /// The label of a sample taken at `time`: its short time ("07:50"), or with `withDate` its
    /// short date, " - " and its short time ("12/5/2026 - 07:50"). The date is added anyway to the
    /// first minute of a day, so the chart shows where a new day begins.
    QString FormatSampleTime(const QDateTime &time, bool withDate) const;

private:
    QString minuteText(QTime time) const;

    LocaleFormats m_formats;
    /// Short time texts by minute of the day, made on first use.
    mutable std::vector<QString> m_minutes;
};

} // namespace orvel
