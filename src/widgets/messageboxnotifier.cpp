#include "widgets/messageboxnotifier.h"

#include <QApplication>
#include <QMessageBox>

namespace orvel {

void MessageBoxNotifier::showError(const QString &message)
{
    if (m_parent) {
        for (const QMessageBox *open : m_parent->findChildren<QMessageBox *>()) {
            if (open->isVisible() && open->text() == message)
                return;
        }
    }
    auto *box = new QMessageBox(QMessageBox::Warning, QApplication::applicationDisplayName(),
                                message, QMessageBox::Ok, m_parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

} // namespace orvel
