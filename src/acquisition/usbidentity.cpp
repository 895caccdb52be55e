// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "acquisition/usbidentity.h"

#include <QFileInfo>
#include <QSerialPortInfo>

namespace orvel {

QString UsbIdentity::text() const
{
    if (!isValid())
        return QString();
    QString result = QStringLiteral("USB %1:%2")
                         .arg(vendorId, 4, 16, QLatin1Char('0'))
                         .arg(productId, 4, 16, QLatin1Char('0'));
    const QString name = QStringList{manufacturer, description}.join(QLatin1Char(' ')).trimmed();
    if (!name.isEmpty())
        result += QLatin1Char(' ') + name;
    if (!serialNumber.isEmpty())
        result += QStringLiteral(", serial number ") + serialNumber;
    return result;
}

namespace {

class SystemDeviceIdentities : public DeviceIdentities
{
public:
    UsbIdentity identityOf(const QString &devicePath) const override
    {
        const QString target = QFileInfo(devicePath).canonicalFilePath();
        if (target.isEmpty())
            return {};
        for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
            if (info.systemLocation() != target)
                continue;
            UsbIdentity identity;
            if (info.hasVendorIdentifier())
                identity.vendorId = info.vendorIdentifier();
            if (info.hasProductIdentifier())
                identity.productId = info.productIdentifier();
            identity.serialNumber = info.serialNumber();
            identity.manufacturer = info.manufacturer();
            identity.description = info.description();
            return identity;
        }
        return {};
    }

    QStringList devicePaths() const override
    {
        QStringList paths;
        for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
            paths.append(info.systemLocation());
        return paths;
    }
};

} // namespace

const DeviceIdentities &DeviceIdentities::system()
{
    static const SystemDeviceIdentities identities;
    return identities;
}

} // namespace orvel
