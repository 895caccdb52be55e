// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QString>
#include <QStringView>

namespace orvel {

/// A line as the user should see it in a message, in double quotes: control characters as escapes
/// ("\r", "\n", "\x01"), cut after 80 characters.
QString quotedForMessage(QStringView line);

} // namespace orvel
