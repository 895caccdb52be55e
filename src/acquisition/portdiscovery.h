// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QList>
#include <QString>

namespace orvel {

class SerialPort;

/// One entry of the port list.
struct PortEntry
{
    QString text;       ///< "COM3", "COM3 (in use)" or "COM3 (error)"
    int portNumber = 0; ///< 1-16, what the rest of the program uses
    QString devicePath; ///< the device node behind the number
    QString detail;     ///< why an "(in use)" or "(error)" port could not be opened

    friend bool operator==(const PortEntry &, const PortEntry &) = default;
};

/// Finds the ports the counter unit may be attached to, by trying to open each of COM1-COM16.
///
/// A port that opens is listed as "COMn" and closed again at once; one that is busy as
/// "COMn (in use)"; one that fails otherwise as "COMn (error)"; one that does not exist is left
/// out. Never shows a message: every failure ends up in the entries. Called once at start-up, on
/// the UI thread.
class PortDiscovery
{
public:
    /// Probes through `port`, which must be closed; its port number is restored afterwards.
    explicit PortDiscovery(SerialPort &port)
        : m_port(port)
    {}

    /// The entries in ascending port order.
    QList<PortEntry> probe();

private:
    SerialPort &m_port;
};

} // namespace orvel
