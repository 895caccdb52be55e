// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "history/historymessagebox.h"

#include <QMessageBox>

namespace orvel {

void HistoryMessageBox::showError(const QString &message)
{
    const QString title = m_window ? m_window->windowTitle() : QString();
    auto *box = new QMessageBox(QMessageBox::Warning, title, message, QMessageBox::Ok, m_window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

} // namespace orvel
