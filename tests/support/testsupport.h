// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "acquisition/portmap.h"
#include "acquisition/usbidentity.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>

#include <sys/types.h>

namespace orvel::test {

/// The moment the tests freeze time at: 5 December 2026 07:50:20 local time.
QDateTime frozenTime();

/// A port map whose ports lead only to `devices` (port number -> device path); every other
/// number points at a device that does not exist, so no test ever touches real hardware.
PortMap portMapWith(const QMap<int, QString> &devices);

/// The bytes of a file; empty when it cannot be read.
QByteArray fileBytes(const QString &path);

/// Writes `bytes` as the whole file at `path`, creating its folder first; false when it cannot.
bool writeFile(const QString &path, const QByteArray &bytes);

/// A device path that certainly does not exist.
QString absentDevicePath();

/// The helper program that opens a port and holds it until its standard input closes:
/// "orvel-port-holder DEVICE" prints "held" (or "failed NUMBER") on its first line.
QString portHolderProgram();

/// Device identities in which every existing device at `place` (a device, or a folder of devices)
/// is the same USB adapter, FTDI 0403:6001 with serial number A50285BI; other devices have none.
class OneAdapter : public DeviceIdentities
{
public:
    explicit OneAdapter(QString place)
        : m_place(std::move(place))
    {}
    UsbIdentity identityOf(const QString &path) const override;
    QStringList devicePaths() const override;

private:
    QString m_place;
};

/// For as long as it lives, the process runs as the unprivileged user "nobody" (real and
/// effective ids, no extra groups), so that file permissions apply; root comes back when it
/// ends. Only possible when the tests run as root: check `isActive()`.
class UnprivilegedScope
{
public:
    UnprivilegedScope();
    ~UnprivilegedScope();
    UnprivilegedScope(const UnprivilegedScope &) = delete;
    UnprivilegedScope &operator=(const UnprivilegedScope &) = delete;

    bool isActive() const { return m_active; }

private:
    bool m_active = false;
    QList<gid_t> m_groups;
};

} // namespace orvel::test
