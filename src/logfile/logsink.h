// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QString>

namespace orvel {

/// Where the rows of a recording go: the open log (and its pane). The sample processor writes
/// through this, so it never depends on how or where the log is kept.
class LogSink
{
public:
    virtual ~LogSink() = default;
    /// Appends one line; CR LF is added when the text holds none.
    virtual void WriteLogLine(QString text) = 0;
};

} // namespace orvel
