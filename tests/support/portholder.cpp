// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// orvel-port-holder DEVICE: opens DEVICE as COM1 in a process of its own and keeps it open until
// standard input closes, so the tests can see a port that another program holds.

#include "acquisition/serialport.h"
#include "common/failure.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    if (app.arguments().size() != 2) {
        out << "usage: orvel-port-holder DEVICE" << Qt::endl;
        return 2;
    }
    orvel::PortMap map;
    map.setOverride(1, app.arguments().at(1));
    orvel::SerialPort port(map);
    try {
        port.setCommPort(1);
        port.setPortOpen(true);
    } catch (const orvel::Failure &failure) {
        out << "failed " << failure.number() << Qt::endl;
        return 1;
    }
    out << "held" << Qt::endl;

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&input] {
        char buffer[256];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            input.setEnabled(false);
            QCoreApplication::quit();
        }
    });
    return app.exec();
}
