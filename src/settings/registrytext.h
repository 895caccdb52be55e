// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace orvel {

class RegistryFile;

/// The text form of a RegistryFile, the registry-export format a person can read and edit:
///
///     Windows Registry Editor Version 5.00
///
///     [HKEY_CURRENT_USER\SOFTWARE\Orvel\Orvel Logger]
///     "WindowState"="0"
///     @="the unnamed value"
///     "Count"=dword:0000000a
///     "Path"=hex(2):25,54,45,4d,50,25,00
///
/// Texts are UTF-8. Type-1 values with one terminating NUL are written as quoted text (with `\\`
/// and `\"` escapes), 4-byte type-4 values as `dword:`, everything else as a `hex(N):` byte list
/// (`hex:` for type 3), wrapped with a trailing backslash like the export files are.
class RegistryText
{
public:
    /// The first line of every file.
    static QString formatHeader();

    /// Replaces the content of `file` with the keys and values of `text`. When the text cannot
    /// be parsed the file is left empty, `*error` says what is wrong and on which line, and
    /// false is returned. A text of only white space is an empty store.
    static bool parse(const QByteArray &text, RegistryFile *file, QString *error);
    /// The text form of the content of `file`; parse() gives the same content back.
    static QByteArray serialise(const RegistryFile &file);

private:
    static bool parseLine(const QString &line, RegistryFile *file,
                          std::optional<QStringList> *current, QString *error);
};

} // namespace orvel
