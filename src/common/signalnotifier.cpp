// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "common/signalnotifier.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <unistd.h>

namespace orvel {

namespace {

// The write end the handler uses; -1 while no notifier lives.
volatile sig_atomic_t writeEnd = -1;
int readEnd = -1;
std::map<int, struct sigaction> previousHandlers;

extern "C" void handleSignal(int signalNumber)
{
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    // Nothing to do when the pipe is full: the reader is that far behind anyway.
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &number, 1);
    errno = saved;
}

} // namespace

SignalNotifier::SignalNotifier(const QList<int> &signalNumbers, QObject *parent)
    : QObject(parent)
{
    int ends[2];
    if (writeEnd != -1 || ::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    readEnd = ends[0];
    writeEnd = ends[1];
    m_valid = true;
    for (const int signalNumber : signalNumbers) {
        struct sigaction action = {};
        action.sa_handler = handleSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        struct sigaction previous = {};
        if (::sigaction(signalNumber, &action, &previous) == 0) {
            previousHandlers[signalNumber] = previous;
            m_signals.append(signalNumber);
        } else {
            m_valid = false;
        }
    }
    m_notifier = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalNotifier::readPipe);
}

SignalNotifier::~SignalNotifier()
{
    if (m_signals.isEmpty() && !m_notifier)
        return;
    for (const int signalNumber : std::as_const(m_signals)) {
        ::sigaction(signalNumber, &previousHandlers[signalNumber], nullptr);
        previousHandlers.erase(signalNumber);
    }
    delete m_notifier;
    ::close(writeEnd);
    ::close(readEnd);
    writeEnd = -1;
    readEnd = -1;
}

void SignalNotifier::readPipe()
{
    unsigned char numbers[64];
    const ssize_t count = ::read(readEnd, numbers, sizeof numbers);
    for (ssize_t i = 0; i < count; ++i)
        Q_EMIT signalled(numbers[i]);
}

} // namespace orvel
