#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>

namespace orvel {

/// Asks the user a question and waits for the answer (the program's confirmations and notices).
/// The desktop shows a modal message box over the main window; tests script the answers.
class Prompter
{
public:
    virtual ~Prompter() = default;
    virtual QMessageBox::StandardButton ask(QMessageBox::Icon icon, const QString &title,
                                            const QString &text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton) = 0;
};

/// Modal message boxes over `parent`.
class MessageBoxPrompter : public Prompter
{
public:
    explicit MessageBoxPrompter(QWidget *parent)
        : m_parent(parent)
    {}
    QMessageBox::StandardButton ask(QMessageBox::Icon icon, const QString &title,
                                    const QString &text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) override
    {
        QMessageBox box(icon, title, text, buttons, m_parent);
        box.setDefaultButton(defaultButton);
        return QMessageBox::StandardButton(box.exec());
    }

private:
    QPointer<QWidget> m_parent;
};

} // namespace orvel
