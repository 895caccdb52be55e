// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "shell/prompter.h"

#include <QList>
#include <QStringList>

namespace orvel::test {

/// Answers the program's questions at once from a script and remembers what was asked. An
/// unscripted question is answered with its default button.
class ScriptedPrompter : public Prompter
{
public:
    void ask(QMessageBox::Icon icon, const QString &title, const QString &text,
             QMessageBox::StandardButtons, QMessageBox::StandardButton defaultButton,
             Answered answered = {}) override
    {
        icons.append(icon);
        titles.append(title);
        texts.append(text);
        const QMessageBox::StandardButton answer =
            answers.isEmpty() ? defaultButton : answers.takeFirst();
        if (answered)
            answered(answer);
    }

    QList<QMessageBox::StandardButton> answers;
    QList<QMessageBox::Icon> icons;
    QStringList titles;
    QStringList texts;
};

} // namespace orvel::test
