// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/applicationidentity.h"

#include <QApplication>
#include <QIcon>

namespace orvel {

void ApplicationIdentity::apply()
{
    QApplication::setOrganizationName(QStringLiteral("Orvel"));
    QApplication::setApplicationName(QStringLiteral("Orvel Logger"));
    QApplication::setApplicationVersion(QStringLiteral(ORVEL_VERSION));
    // The installed desktop entry, so that desktops match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.orvel.OrvelLogger"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app/orvel-logger.svg")));
}

} // namespace orvel
