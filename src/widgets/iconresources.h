// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QIcon>
#include <QString>

namespace orvel {

/// Makes the program's icon resources available. The icons live in a static library, where the
/// linker would otherwise drop them; every widget that loads an icon calls this first.
void ensureIconResources();

/// The toolbar image of `imageKey` (":/icons/<imageKey>.svg").
QIcon toolbarIcon(const QString &imageKey);

} // namespace orvel
