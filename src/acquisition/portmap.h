// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QMap>
#include <QString>

namespace orvel {

/// Which device node stands behind each port number the program offers.
///
/// The program numbers its ports COM1 to COM16, as the port list shows them. On Linux the
/// defaults are the on-board UARTs for COM1-COM4 (ttyS0-ttyS3), USB serial adapters for
/// COM5-COM12 (ttyUSB0-ttyUSB7) and USB modem-class devices for COM13-COM16 (ttyACM0-ttyACM3).
/// Any port can be pointed elsewhere with an override (a setting, or a pseudo-terminal in the
/// tests). A plain value type; the UI thread owns it.
class PortMap
{
public:
    static constexpr int FirstPort = 1;
    static constexpr int LastPort = 16;

    /// The device node of port `portNumber`, or the empty text for numbers outside 1-16.
    QString devicePath(int portNumber) const;

    /// The device node port `portNumber` has without an override ("" outside 1-16).
    QString defaultDevicePath(int portNumber) const;

    /// Points port `portNumber` at `path`. An empty path removes the override. Numbers outside
    /// 1-16 are ignored: they never have a device.
    void setOverride(int portNumber, const QString &path);
    void clearOverrides() { m_overrides.clear(); }
    bool hasOverride(int portNumber) const { return m_overrides.contains(portNumber); }

    /// The folder the default device names live in, "/dev" unless changed (for tests).
    QString deviceRoot() const { return m_deviceRoot; }
    void setDeviceRoot(const QString &root) { m_deviceRoot = root; }

    static bool isValidPortNumber(int portNumber)
    {
        return portNumber >= FirstPort && portNumber <= LastPort;
    }

private:
    QString m_deviceRoot = QStringLiteral("/dev");
    QMap<int, QString> m_overrides;
};

} // namespace orvel
