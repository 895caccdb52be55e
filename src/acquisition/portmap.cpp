// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "acquisition/portmap.h"

namespace orvel {

namespace {

struct DeviceRange
{
    int firstPort;
    int lastPort;
    const char *baseName;
};

constexpr DeviceRange DefaultRanges[] = {
    {1, 4, "ttyS"},
    {5, 12, "ttyUSB"},
    {13, 16, "ttyACM"},
};

} // namespace

QString PortMap::devicePath(int portNumber) const
{
    const auto it = m_overrides.constFind(portNumber);
    return it != m_overrides.constEnd() ? *it : defaultDevicePath(portNumber);
}

QString PortMap::defaultDevicePath(int portNumber) const
{
    for (const DeviceRange &range : DefaultRanges) {
        if (portNumber >= range.firstPort && portNumber <= range.lastPort) {
            return m_deviceRoot + u'/' + QLatin1StringView(range.baseName) +
                   QString::number(portNumber - range.firstPort);
        }
    }
    return {};
}

void PortMap::setOverride(int portNumber, const QString &path)
{
    if (!isValidPortNumber(portNumber))
        return;
    if (path.isEmpty())
        m_overrides.remove(portNumber);
    else
        m_overrides.insert(portNumber, path);
}

} // namespace orvel
