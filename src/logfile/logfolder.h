// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QString>

#include <functional>

namespace orvel {

/// Where the log and the debug captures live: the user's documents folder + "Orvel Logs".
class LogFolder
{
public:
    /// Folder id of the user's documents folder.
    static constexpr int DocumentsFolderId = 5;

    /// `documentsFolder` looks the documents folder up (empty text on failure); the default asks
    /// the desktop's standard locations. Tests pass a temporary folder.
    explicit LogFolder(std::function<QString()> documentsFolder = {});

    /// The folder path, looked up once and cached for the whole run. Creates the folder when it
    /// is missing, ignoring a failure (the recording controller reports it when it matters).
    QString path();

    /// The path of a special folder of the user, by folder id; the empty text on failure.
    QString SpecialFolderPath(int folderId) const;

    /// Creates `path` with every missing parent, the deepest missing folder first.
    /// Throws orvel::Failure (number Failure::FolderCreation) naming the folder when it cannot.
    static void CreateFolderPath(const QString &path);

    /// Name of the folder inside the documents folder.
    static QString folderName();

private:
    std::function<QString()> m_documentsFolder;
    QString m_cached;
};

} // namespace orvel
