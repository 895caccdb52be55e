// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "acquisition/portdiscovery.h"

#include "acquisition/portmap.h"
#include "acquisition/serialport.h"
#include "common/failure.h"

namespace orvel {

QList<PortEntry> PortDiscovery::probe()
{
    QList<PortEntry> entries;
    const int previousPort = m_port.CommPort();
    for (int n = PortMap::FirstPort; n <= PortMap::LastPort; ++n) {
        PortEntry entry;
        entry.portNumber = n;
        entry.text = QStringLiteral("COM%1").arg(n);
        try {
            m_port.setCommPort(n);
            entry.devicePath = m_port.devicePath();
            m_port.setPortOpen(true);
            m_port.setPortOpen(false);
        } catch (const Failure &failure) {
            switch (failure.number()) {
            case SerialPort::NoSuchPort:
                continue;
            case SerialPort::PortAlreadyOpen:
            case SerialPort::DeviceNotOpen:
                entry.text += QStringLiteral(" (in use)");
                break;
            default:
                entry.text += QStringLiteral(" (error)");
                break;
            }
            entry.detail = failure.description();
        }
        entries.append(entry);
    }
    try {
        m_port.setCommPort(previousPort);
    } catch (const Failure &) {
        // Only possible when the port was open to begin with; then it keeps its number anyway.
    }
    return entries;
}

} // namespace orvel
