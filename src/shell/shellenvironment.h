// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "acquisition/portmap.h"
#include "acquisition/usbidentity.h"
#include "common/clock.h"

#include <QList>
#include <QLocale>
#include <QRect>
#include <QString>

#include <functional>

class QWidget;

namespace orvel {

class Notifier;
class Prompter;

/// Everything the main window takes from its surroundings, gathered so that tests can freeze the
/// clock, point COM1 at a pseudo-terminal, use a temporary documents folder and record messages
/// instead of showing boxes. The application wires the real ones in main().
struct ShellEnvironment
{
    const Clock *clock = &Clock::system();
    PortMap portMap;
    /// The user's documents folder; empty means the desktop's standard location.
    std::function<QString()> documentsFolder;
    QLocale locale;
    /// The folder the settings store keeps its files in; empty means the user's standard
    /// configuration folder. Tests pass a temporary folder so they never touch the real settings.
    QString configFolder;
    /// The USB identity of serial devices, to find a unit that came back under another name;
    /// null means the system's (QSerialPortInfo).
    const DeviceIdentities *identities = nullptr;
    /// The available area of each screen, the primary first, that the window is kept on; null
    /// means the system's screens.
    std::function<QList<QRect>()> screenAreas;
    /// Where failures are reported; null means message boxes over the main window.
    Notifier *notifier = nullptr;
    /// Where questions are asked; null means modal message boxes over the main window.
    Prompter *prompter = nullptr;
    /// Asks for a file to open (parent, title, initial path, filter as "Text File (*.txt)") and
    /// hands the chosen path to the last argument; nothing when cancelled. A file that does not
    /// exist yet may be chosen. Null means the desktop's file dialog.
    std::function<void(QWidget *parent, const QString &title, const QString &path,
                       const QString &filter, std::function<void(const QString &)> chosen)>
        openFileName;
};

} // namespace orvel
