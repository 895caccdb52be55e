// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "logfile/logfolder.h"

#include "common/failure.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace orvel {

LogFolder::LogFolder(std::function<QString()> documentsFolder)
    : m_documentsFolder(std::move(documentsFolder))
{
    if (!m_documentsFolder) {
        m_documentsFolder = [] {
            return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        };
    }
}

QString LogFolder::folderName()
{
    return QStringLiteral("Orvel Logs");
}

QString LogFolder::SpecialFolderPath(int folderId) const
{
    if (folderId != DocumentsFolderId)
        return {};
    return m_documentsFolder();
}

QString LogFolder::path()
{
    if (!m_cached.isEmpty())
        return m_cached;
    QString documents = SpecialFolderPath(DocumentsFolderId);
    // Without a documents folder the logs go to the home folder.
    if (documents.isEmpty())
        documents = QDir::homePath();
    if (!documents.endsWith(u'/'))
        documents += u'/';
    m_cached = documents + folderName();
    if (!QFileInfo(m_cached).isDir()) {
        try {
            CreateFolderPath(m_cached);
        } catch (const Failure &) {
            // Reported when a recording needs the folder.
        }
    }
    return m_cached;
}

void LogFolder::CreateFolderPath(const QString &path)
{
    // Collect the missing levels walking up, then create them top down.
    QStringList missing;
    QString current = QDir::cleanPath(path);
    while (!current.isEmpty() && !QFileInfo(current).isDir()) {
        missing.prepend(current);
        const QString parent = QFileInfo(current).path();
        if (parent == current || parent == QStringLiteral("."))
            break;
        current = parent;
    }
    for (const QString &level : std::as_const(missing)) {
        if (::mkdir(QFile::encodeName(level).constData(), 0777) == 0)
            continue;
        const int error = errno;
        if (error == EEXIST && QFileInfo(level).isDir())
            continue;
        throw Failure(Failure::FolderCreation, QStringLiteral("CreateFolderPath"),
                      QString::fromLocal8Bit(std::strerror(error)) +
                          QStringLiteral("\r\n\r\nCannot create folder '") + path +
                          QStringLiteral("'"));
    }
}

} // namespace orvel
