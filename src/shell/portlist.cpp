// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/portlist.h"

#include "acquisition/portdiscovery.h"
#include "acquisition/serialport.h"
#include "acquisition/usbidentity.h"

namespace orvel {

PortList::PortList(QWidget *parent)
    : QComboBox(parent)
{
    setObjectName(QStringLiteral("ComPortComboBox"));
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
}

void PortList::fill(SerialPort &port, const DeviceIdentities &identities)
{
    for (const PortEntry &entry : PortDiscovery(port).probe()) {
        addItem(entry.text, entry.portNumber);
        const int index = count() - 1;
        // The device, which physical adapter it is, and why it could not be opened.
        QStringList tip{entry.devicePath};
        const UsbIdentity identity = identities.identityOf(entry.devicePath);
        if (identity.isValid())
            tip << identity.text();
        if (!entry.detail.isEmpty())
            tip << entry.detail;
        setItemData(index, tip.join(u'\n'), Qt::ToolTipRole);
        setItemData(index, entry.devicePath, DevicePathRole);
    }
}

int PortList::selectedPortNumber() const
{
    const int index = currentIndex();
    return index < 0 ? 0 : itemData(index).toInt();
}

QString PortList::selectedDevicePath() const
{
    return currentData(DevicePathRole).toString();
}

void PortList::selectStored(const QString &device, std::optional<int> number,
                            const std::function<std::optional<int>()> &storedIndex)
{
    // The list index alone would pick whatever port now sits there when ports came or went
    // between runs: the device and the port number choose first, the index only for settings
    // written before they were stored.
    int index = -1;
    if (!device.isEmpty())
        index = findData(device, DevicePathRole);
    if (index < 0 && number && *number > 0)
        index = findData(*number);
    if (index < 0 && device.isEmpty() && !(number && *number > 0)) {
        const std::optional<int> stored = storedIndex();
        if (stored && *stored >= 0 && *stored < count())
            index = *stored;
    }
    if (index < 0 && count() > 0)
        index = 0;
    setCurrentIndex(index);
}

} // namespace orvel
