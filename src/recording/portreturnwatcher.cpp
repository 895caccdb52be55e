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

/// Nodes of the pseudo-terminal file system come and go without change notifications.
bool sendsNotifications(const QString &folder)
{
    const QString real = QFileInfo(folder).canonicalFilePath();
    return real != QLatin1String("/dev/pts") && !real.startsWith(QLatin1String("/dev/pts/"));
}

} // namespace

PortReturnWatcher::PortReturnWatcher(const DeviceIdentities &identities, QObject *parent)
    : QObject(parent)
    , m_identities(identities)
{
    connect(&m_fallback, &QTimer::timeout, this, &PortReturnWatcher::check);
    connect(&m_folders, &QFileSystemWatcher::directoryChanged, this, &PortReturnWatcher::check);
}

void PortReturnWatcher::watch(const QString &devicePath, const UsbIdentity &identity)
{
    m_devicePath = devicePath;
    m_identity = identity;
    m_watching = true;
    m_fallback.start(watchFolders() ? SafetyIntervalMs : FallbackIntervalMs);
}

void PortReturnWatcher::stop()
{
    m_watching = false;
    m_fallback.stop();
    const QStringList folders = m_folders.directories();
    if (!folders.isEmpty())
        m_folders.removePaths(folders);
}

bool PortReturnWatcher::watchFolders()
{
    QStringList wanted{nearestFolder(m_devicePath)};
    // A renumbered adapter reappears as another node in the device folder.
    if (m_identity.isValid())
        wanted.append(QStringLiteral("/dev"));
    const QStringList current = m_folders.directories();
    bool notified = true;
    for (const QString &folder : wanted) {
        if (!current.contains(folder) && !m_folders.addPath(folder))
            notified = false;
        notified = notified && sendsNotifications(folder);
    }
    return notified;
}

void PortReturnWatcher::check()
{
    if (!m_watching)
        return;
    const int interval = watchFolders() ? SafetyIntervalMs : FallbackIntervalMs;
    QString candidate;
    if (QFileInfo::exists(m_devicePath)) {
        candidate = m_devicePath;
    } else if (m_identity.isValid()) {
        for (const QString &path : m_identities.devicePaths()) {
            if (m_identity.sameAdapter(m_identities.identityOf(path))) {
                candidate = path;
                break;
            }
        }
    }
    // A device that is there but not ready yet (its permissions still being set, say) is
    // tried again soon; the receiver of the signal stops the watch once it has it.
    const int next = candidate.isEmpty() ? interval : FallbackIntervalMs;
    if (m_fallback.interval() != next || !m_fallback.isActive())
        m_fallback.start(next);
    if (!candidate.isEmpty())
        Q_EMIT candidateAppeared(candidate);
}

} // namespace orvel
