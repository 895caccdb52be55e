// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "settings/portoverrides.h"

#include "acquisition/portmap.h"
#include "settings/regobject.h"

#include <QDir>

namespace orvel {

QString PortOverrides::valueName(int portNumber)
{
    return QStringLiteral("COM") + QString::number(portNumber);
}

QString PortOverrides::device(RegObject &store, int portNumber)
{
    const QVariant value =
        store.RegRead(RegObject::CurrentUser, Key, valueName(portNumber), QVariant());
    if (!value.isValid() || RegObject::isMissing(value))
        return {};
    return value.toString().trimmed();
}

void PortOverrides::read(RegObject &store, PortMap &portMap)
{
    for (int port = PortMap::FirstPort; port <= PortMap::LastPort; ++port) {
        const QString path = device(store, port);
        if (path.isEmpty())
            continue;
        // A relative path would depend on the folder the program was started from.
        if (!QDir::isAbsolutePath(path)) {
            qWarning("Orvel Logger: the device \"%s\" stored for %s is not an absolute path; "
                     "the port keeps its own device",
                     qPrintable(path), qPrintable(valueName(port)));
            continue;
        }
        portMap.setOverride(port, QDir::cleanPath(path));
    }
}

bool PortOverrides::write(RegObject &store, int portNumber, const QString &devicePath)
{
    if (!PortMap::isValidPortNumber(portNumber))
        return false;
    if (devicePath.isEmpty()) {
        store.RegDelValue(RegObject::CurrentUser, Key, valueName(portNumber));
        // Removing an override that is not there is no failure.
        return device(store, portNumber).isEmpty();
    }
    store.RegWrite(RegObject::CurrentUser, Key, valueName(portNumber), devicePath,
                   RegObject::RegSz);
    return store.LastError().isEmpty();
}

} // namespace orvel
