// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "widgets/keyedtoolbar.h"

#include "widgets/iconresources.h"

namespace orvel {

namespace {
const char ImageKeyProperty[] = "imageKey";
}

KeyedToolbar::KeyedToolbar(const QString &name, QWidget *parent)
    : QToolBar(parent)
{
    ensureIconResources();
    setObjectName(name);
    setWindowTitle(name);
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(20, 20));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
}

QAction *KeyedToolbar::addButton(const QString &key, const QString &toolTip,
                                 const QString &imageKey, bool checkable)
{
    auto *action = addAction(toolTip);
    action->setObjectName(key);
    action->setToolTip(toolTip);
    action->setCheckable(checkable);
    m_buttons.insert(key, action);
    setImage(key, imageKey);
    // A toolbar's buttons take no focus by default; these are reached with Tab like any other
    // control, and Space presses them.
    if (QWidget *widget = widgetForAction(action))
        widget->setFocusPolicy(Qt::TabFocus);
    connect(action, &QAction::triggered, this, [this, key] { Q_EMIT buttonClicked(key); });
    return action;
}

QAction *KeyedToolbar::addKeyedSeparator(const QString &key)
{
    QAction *separator = addSeparator();
    if (!key.isEmpty()) {
        separator->setObjectName(key);
        m_buttons.insert(key, separator);
    }
    return separator;
}

QString KeyedToolbar::key(const QAction *button) const
{
    return m_buttons.key(const_cast<QAction *>(button));
}

void KeyedToolbar::setImage(const QString &key, const QString &imageKey)
{
    if (QAction *action = button(key)) {
        action->setIcon(toolbarIcon(imageKey));
        action->setProperty(ImageKeyProperty, imageKey);
    }
}

QString KeyedToolbar::image(const QString &key) const
{
    const QAction *action = button(key);
    return action ? action->property(ImageKeyProperty).toString() : QString();
}

} // namespace orvel
