// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "widgets/iconresources.h"

// Outside the namespace: the macro declares a global function.
static void initIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace orvel {

void ensureIconResources()
{
    static const bool done = (initIconResources(), true);
    Q_UNUSED(done);
}

QIcon toolbarIcon(const QString &imageKey)
{
    ensureIconResources();
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(imageKey));
}

} // namespace orvel
