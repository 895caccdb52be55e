// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QString>

namespace orvel {

class PortMap;
class RegObject;

/// The devices the user put behind port numbers: the text values "COM1" ... "COM16" under
/// `Key` in the settings store, each an absolute device path. Read once at start-up, before
/// the ports are probed; written by the counter-unit simulator to offer its pseudo-terminal.
class PortOverrides
{
public:
    static inline const QString Key = QStringLiteral("SOFTWARE\\Orvel\\Orvel Logger\\Ports");

    /// The value name of port `portNumber`: "COM" and the number.
    static QString valueName(int portNumber);

    /// Points every port named in the store at its device. A value that is not an absolute path
    /// is ignored with a warning naming it; the port keeps its default device.
    static void read(RegObject &store, PortMap &portMap);
    /// The stored device of port `portNumber`, or the empty text.
    static QString device(RegObject &store, int portNumber);
    /// Stores `devicePath` for port `portNumber` (1-16); an empty path removes it. False, with
    /// the store's `LastError()`, when the store refuses or the number is outside 1-16.
    static bool write(RegObject &store, int portNumber, const QString &devicePath);
};

} // namespace orvel
