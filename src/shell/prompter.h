// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>

#include <functional>

namespace orvel {

/// Asks the user a question (the program's confirmations and notices) and hands the answer to
/// `answered` once it is given; the caller goes on from there, never waits. The desktop shows a
/// modal message box over the main window, so nothing else of the window can be used meanwhile,
/// while readings keep arriving; tests script the answers and answer at once.
class Prompter
{
public:
    using Answered = std::function<void(QMessageBox::StandardButton)>;

    virtual ~Prompter() = default;
    /// `answered` gets the button chosen, or NoButton when the box was closed without one. It is
    /// not called when the box's parent goes away first.
    virtual void ask(QMessageBox::Icon icon, const QString &title, const QString &text,
                     QMessageBox::StandardButtons buttons,
                     QMessageBox::StandardButton defaultButton, Answered answered = {}) = 0;
};

/// Application-modal message boxes over `parent`, shown without a nested event loop.
class MessageBoxPrompter : public Prompter
{
public:
    explicit MessageBoxPrompter(QWidget *parent)
        : m_parent(parent)
    {}
    void ask(QMessageBox::Icon icon, const QString &title, const QString &text,
             QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton,
             Answered answered = {}) override
    {
        auto *box = new QMessageBox(icon, title, text, buttons, m_parent);
        box->setDefaultButton(defaultButton);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::ApplicationModal);
        QObject::connect(box, &QDialog::finished, box, [box, answered] {
            if (answered)
                answered(box->standardButton(box->clickedButton()));
        });
        box->show();
    }

private:
    QPointer<QWidget> m_parent;
};

} // namespace orvel
