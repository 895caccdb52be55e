// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "common/notifier.h"
#include "logfile/logpane.h"

#include <QString>

#include <cstdio>

namespace orvel {

/// The recorder's standard output and standard error, for a terminal or the journal.
///
/// As the log's pane it copies every text the log writer writes (the header, each row, notes
/// and the summary) to standard output, with plain LF line ends. As the notifier it writes each
/// problem to standard error as one line, "orvel-recorder: " first, the lines of a longer
/// message joined by spaces. Both are flushed at once, so nothing waits in a buffer when the
/// program is killed.
class Console : public Notifier, public LogPane
{
public:
    explicit Console(std::FILE *out = stdout, std::FILE *err = stderr);

    void showError(const QString &message) override;
    void appendLogText(const QString &text) override;
    void moveCaretToEnd() override {}

private:
    std::FILE *m_out;
    std::FILE *m_err;
};

} // namespace orvel
