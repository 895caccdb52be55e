// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "common/shownline.h"

namespace orvel {

QString quotedForMessage(QStringView line)
{
    constexpr qsizetype Limit = 80;
    QString shown;
    for (qsizetype i = 0; i < line.size() && i < Limit; ++i) {
        const QChar c = line[i];
        if (c == u'\r')
            shown += QStringLiteral("\\r");
        else if (c == u'\n')
            shown += QStringLiteral("\\n");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    if (line.size() > Limit)
        shown += QStringLiteral("...");
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

} // namespace orvel
