// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "widgets/textadvance.h"

#include <QFontMetricsF>

namespace orvel {

namespace {

// Enough for the few lengths and forms of a count a label shows; past it the texts are not
// counts, and the store starts again rather than grow.
constexpr qsizetype MaxKept = 64;

bool digitsAreEven(const QFontMetricsF &metrics)
{
    const qreal zero = metrics.horizontalAdvance(QLatin1Char('0'));
    for (char16_t digit = u'1'; digit <= u'9'; ++digit) {
        if (metrics.horizontalAdvance(QChar(digit)) != zero)
            return false;
    }
    // Digits kerned against one another would make a run of them narrower or wider.
    return metrics.horizontalAdvance(QStringLiteral("0123456789")) == 10 * zero &&
           metrics.horizontalAdvance(QStringLiteral("9876543210")) == 10 * zero;
}

} // namespace

qreal TextAdvance::of(const QFont &font, const QString &text)
{
    const QFontMetricsF metrics(font);
    if (!m_known || font != m_font) {
        m_font = font;
        m_known = true;
        m_evenDigits = digitsAreEven(metrics);
        m_advances.clear();
    }
    if (!m_evenDigits)
        return metrics.horizontalAdvance(text);
    QString key = text;
    for (QChar &c : key) {
        if (c >= u'1' && c <= u'9')
            c = u'0';
    }
    const auto found = m_advances.constFind(key);
    if (found != m_advances.constEnd())
        return *found;
    if (m_advances.size() >= MaxKept)
        m_advances.clear();
    const qreal advance = metrics.horizontalAdvance(text);
    m_advances.insert(key, advance);
    return advance;
}

} // namespace orvel
