// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "acquisition/usbidentity.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

namespace orvel {

/// Watches for a lost serial device to come back: at its own path (a pseudo-terminal link made
/// again, a /dev/serial/by-id link, the same ttyUSB number), or, for a USB adapter the kernel
/// renumbered, at another node with the same USB identity.
///
/// Driven by change notifications of the folders involved: while they send them, nothing runs
/// but a rare safety check. Folders that send none (a pseudo-terminal's own folder, a folder
/// that cannot be watched) are looked at every second, and so is a device that appeared but
/// could not be opened yet. Nothing blocks. UI thread.
class PortReturnWatcher : public QObject
{
    Q_OBJECT
public:
    /// Check interval where folders send no notifications, or after a candidate appeared.
    static constexpr int FallbackIntervalMs = 1000;
    /// Check interval while every folder involved sends notifications.
    static constexpr int SafetyIntervalMs = 30000;

    explicit PortReturnWatcher(const DeviceIdentities &identities, QObject *parent = nullptr);

    /// Starts watching for `devicePath`, or a device with `identity` when that is valid.
    void watch(const QString &devicePath, const UsbIdentity &identity);
    void stop();
    bool isWatching() const { return m_watching; }

    /// Looks now (also done on every notification and at the check interval).
    void check();

    /// The current check interval while watching, in milliseconds.
    int checkInterval() const { return m_fallback.interval(); }

Q_SIGNALS:
    /// A device that may be the lost one is present at `devicePath`. Emitted again at the next
    /// check while watching, so a device that is not ready yet is tried again.
    void candidateAppeared(const QString &devicePath);

private:
    /// Watches the folders involved; false where one of them sends no notifications.
    bool watchFolders();

    const DeviceIdentities &m_identities;
    QFileSystemWatcher m_folders;
    QTimer m_fallback;
    QString m_devicePath;
    UsbIdentity m_identity;
    bool m_watching = false;
};

} // namespace orvel
