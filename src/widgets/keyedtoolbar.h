// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QHash>
#include <QToolBar>

namespace orvel {

/// A toolbar whose buttons are found by key, each showing the image of an image key from the
/// program's icon resources. Check buttons keep their state in the action's checked state.
class KeyedToolbar : public QToolBar
{
    Q_OBJECT
public:
    explicit KeyedToolbar(const QString &name, QWidget *parent = nullptr);

    /// Adds a button with `key`, `toolTip` and the image of `imageKey`.
    QAction *addButton(const QString &key, const QString &toolTip, const QString &imageKey,
                       bool checkable = false);
    /// Adds a separator, found by `key` when one is given.
    QAction *addKeyedSeparator(const QString &key = QString());

    /// The button (or separator) of `key`, or null.
    QAction *button(const QString &key) const { return m_buttons.value(key); }
    QString key(const QAction *button) const;

    /// Shows the image of `imageKey` on the button of `key`.
    void setImage(const QString &key, const QString &imageKey);
    QString image(const QString &key) const;

Q_SIGNALS:
    /// The user clicked the button of `key` (check buttons have already changed state).
    void buttonClicked(const QString &key);

private:
    QHash<QString, QAction *> m_buttons;
};

} // namespace orvel
