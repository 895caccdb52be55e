// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QFont>
#include <QHash>
#include <QString>

namespace orvel {

/// The advance of single-line texts in one font, remembered for texts that differ only in their
/// digits. In a font whose ten digits share one advance and sit side by side without kerning
/// (most interface fonts), a count's width does not depend on which digits it holds, so a label
/// that shows a new count at every reading is measured once for each length of count, not shaped
/// again each time. In any other font every text is measured. UI thread only.
class TextAdvance
{
public:
    /// The advance of `text` in `font`, as QFontMetricsF::horizontalAdvance gives it.
    qreal of(const QFont &font, const QString &text);

private:
    QFont m_font;
    bool m_known = false;
    /// Whether the digits of m_font are interchangeable for widths.
    bool m_evenDigits = false;
    /// Advances by text with every digit made '0'.
    QHash<QString, qreal> m_advances;
};

} // namespace orvel
