// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/applicationidentity.h"
#include "shell/mainwindow.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Written to by the signal handler, read by the event loop: the handler itself may do nothing
// but write a byte.
int terminationPipe[2] = {-1, -1};

void requestClose(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(terminationPipe[1], &byte, 1);
}

/// SIGTERM (shutdown, logout, `kill`), SIGINT and SIGHUP close the window like its close box:
/// a running recording gets its summary and the preferences are saved.
bool catchTerminationSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, terminationPipe) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = requestClose;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // A file-size limit reached while logging must be a write error the log writer reports,
    // not a signal that ends the program and the recording with it.
    std::signal(SIGXFSZ, SIG_IGN);
    const bool signalsCaught = catchTerminationSignals();

    QApplication app(argc, argv);
    orvel::ApplicationIdentity::apply();

    orvel::MainWindow window;
    QSocketNotifier termination(terminationPipe[0], QSocketNotifier::Read);
    termination.setEnabled(signalsCaught);
    QObject::connect(&termination, &QSocketNotifier::activated, &window, [&window] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(terminationPipe[0], &byte, 1);
        window.close();
    });
    window.show();
    return app.exec();
}
