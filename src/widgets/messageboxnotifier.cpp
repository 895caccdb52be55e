// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "widgets/messageboxnotifier.h"

#include <QApplication>
#include <QMessageBox>

namespace orvel {

void MessageBoxNotifier::showError(const QString &message)
{
    show(message);
}

void MessageBoxNotifier::showNotice(const QString &key, const QString &message)
{
    // A notice on screen takes the new text: no box closing and opening again.
    if (const QPointer<QMessageBox> open = m_notices.value(key); open && open->isVisible()) {
        open->setText(message);
        return;
    }
    m_notices.insert(key, show(message));
}

void MessageBoxNotifier::dismissNotice(const QString &key)
{
    if (const QPointer<QMessageBox> box = m_notices.take(key))
        box->close();
}

QMessageBox *MessageBoxNotifier::show(const QString &message)
{
    if (m_parent) {
        for (QMessageBox *open : m_parent->findChildren<QMessageBox *>()) {
            if (open->isVisible() && open->text() == message)
                return open;
        }
    }
    auto *box = new QMessageBox(QMessageBox::Warning, QApplication::applicationDisplayName(),
                                message, QMessageBox::Ok, m_parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
    return box;
}

} // namespace orvel
