// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "common/notifier.h"

#include <QHash>
#include <QPointer>

class QMessageBox;
class QWidget;

namespace orvel {

/// Shows failures in a message box with the exclamation icon and the application's title.
/// The box is not modal and does not hold up the caller, so readings keep arriving while it is on
/// screen. The same text is not shown twice at once. A notice is such a box that its sender takes
/// away again when it no longer holds (the user may close it before).
class MessageBoxNotifier : public Notifier
{
public:
    explicit MessageBoxNotifier(QWidget *parent)
        : m_parent(parent)
    {}
    void showError(const QString &message) override;
    void showNotice(const QString &key, const QString &message) override;
    void dismissNotice(const QString &key) override;

private:
    QMessageBox *show(const QString &message);

    QPointer<QWidget> m_parent;
    QHash<QString, QPointer<QMessageBox>> m_notices;
};

} // namespace orvel
