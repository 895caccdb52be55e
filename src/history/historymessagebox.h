// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "common/notifier.h"

#include <QPointer>

class QWidget;

namespace orvel {

/// Shows the download window's failures in a message box with the exclamation icon and the
/// window's caption as its title. The box does not hold up the caller: the download goes on
/// while it is on screen.
class HistoryMessageBox : public Notifier
{
public:
    explicit HistoryMessageBox(QWidget *window)
        : m_window(window)
    {}
    void showError(const QString &message) override;

private:
    QPointer<QWidget> m_window;
};

} // namespace orvel
