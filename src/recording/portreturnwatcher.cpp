// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "recording/portreturnwatcher.h"

#include <QDir>
#include <QFileInfo>

namespace orvel {

namespace {

/// The folder holding `path`, or its nearest ancestor that exists (a /dev/serial/by-id folder
/// vanishes with the last USB adapter).
QString nearestFolder(const QString &path)
{
    QDir folder = QFileInfo(path).absoluteDir();
    while (!folder.exists() && !folder.isRoot()) {
        if (!folder.cdUp())
            break;
    }
    return folder.absolutePath();
}

} // namespace

PortReturnWatcher::PortReturnWatcher(const DeviceIdentities &identities, QObject *parent)
    : QObject(parent)
    , m_identities(identities)
{
    m_fallback.setInterval(FallbackIntervalMs);
    connect(&m_fallback, &QTimer::timeout, this, &PortReturnWatcher::check);
    connect(&m_folders, &QFileSystemWatcher::directoryChanged, this, &PortReturnWatcher::check);
}

void PortReturnWatcher::watch(const QString &devicePath, const UsbIdentity &identity)
{
    m_devicePath = devicePath;
    m_identity = identity;
    m_watching = true;
    watchFolders();
    m_fallback.start();
}

void PortReturnWatcher::stop()
{
    m_watching = false;
    m_fallback.stop();
    const QStringList folders = m_folders.directories();
    if (!folders.isEmpty())
        m_folders.removePaths(folders);
}

void PortReturnWatcher::watchFolders()
{
    QStringList wanted{nearestFolder(m_devicePath)};
    // A renumbered adapter reappears as another node in the device folder.
    if (m_identity.isValid())
        wanted.append(QStringLiteral("/dev"));
    const QStringList current = m_folders.directories();
    for (const QString &folder : wanted) {
        if (!current.contains(folder))
            m_folders.addPath(folder);
    }
}

void PortReturnWatcher::check()
{
    if (!m_watching)
        return;
    watchFolders();
    if (QFileInfo::exists(m_devicePath)) {
        Q_EMIT candidateAppeared(m_devicePath);
        return;
    }
    if (!m_identity.isValid())
        return;
    for (const QString &path : m_identities.devicePaths()) {
        if (m_identity.sameAdapter(m_identities.identityOf(path))) {
            Q_EMIT candidateAppeared(path);
            return;
        }
    }
}

} // namespace orvel
