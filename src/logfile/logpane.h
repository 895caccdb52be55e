// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QString>

namespace orvel {

/// The on-screen mirror of the log. Appending keeps the reader's place: when the caret stands
/// at the end of the text it moves along with the new text, otherwise it stays where it is.
class LogPane
{
public:
    virtual ~LogPane() = default;
    virtual void appendLogText(const QString &text) = 0;
    /// Brings the reader to the newest text.
    virtual void moveCaretToEnd() = 0;
};

} // namespace orvel
