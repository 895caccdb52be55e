// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QString>

#include <exception>

namespace orvel {

/// A run-time failure with a number, a source and a description, the way the program reports
/// errors to the user. Thrown by operations that "raise" an error; caught by the command or event
/// handler that shows the description in a message box and carries on with its closing steps.
class Failure : public std::exception
{
public:
    Failure(int number, QString source, QString description)
        : m_number(number)
        , m_source(std::move(source))
        , m_description(std::move(description))
    {}

    int number() const { return m_number; }
    const QString &source() const { return m_source; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return "orvel::Failure"; }

    // Numbers the program raises itself.
    static constexpr int TypeMismatch = 13;            ///< text that is not a number
    static constexpr int Overflow = 6;                 ///< a result beyond 32 bits
    static constexpr int FolderCreation = -2147221503; ///< application error base + 1

private:
    int m_number;
    QString m_source;
    QString m_description;
};

} // namespace orvel
