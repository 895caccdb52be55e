// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QString>
#include <QStringList>

namespace orvel {

/// Which physical USB serial adapter a device node belongs to: vendor and product ids and the
/// adapter's serial number. Empty for devices that are not USB adapters (pseudo-terminals, on-board
/// ports).
struct UsbIdentity
{
    quint16 vendorId = 0;
    quint16 productId = 0;
    QString serialNumber;
    QString manufacturer;
    QString description;

    bool isValid() const { return vendorId != 0 || productId != 0; }
    /// Same adapter: the ids and the serial number agree (texts may differ between kernels).
    bool sameAdapter(const UsbIdentity &other) const
    {
        return isValid() && vendorId == other.vendorId && productId == other.productId &&
               serialNumber == other.serialNumber;
    }
    /// "USB 0403:6001 FTDI FT232R USB UART, serial number A50285BI" for a tooltip.
    QString text() const;
};

/// Where the USB identities of serial devices come from: the system (QSerialPortInfo), or a table
/// in tests.
class DeviceIdentities
{
public:
    virtual ~DeviceIdentities() = default;
    /// The identity of the device at `devicePath` (links are followed); empty when none.
    virtual UsbIdentity identityOf(const QString &devicePath) const = 0;
    /// The device nodes of every serial device present now.
    virtual QStringList devicePaths() const = 0;

    /// The system's serial devices.
    static const DeviceIdentities &system();
};

} // namespace orvel
