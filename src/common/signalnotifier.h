// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QList>
#include <QObject>

class QSocketNotifier;

namespace orvel {

/// Turns POSIX signals (SIGTERM, SIGINT, SIGHUP, ...) into a Qt signal delivered by the event
/// loop, through a self-pipe: the handler only writes the signal's number into a pipe, whose
/// other end a socket notifier reads. While it lives, the signals it catches no longer end the
/// process; its destructor puts the previous handlers back.
///
/// One instance per process at a time (the handler has nowhere else to write); a second one
/// catches nothing and says so with `isValid()`.
class SignalNotifier : public QObject
{
    Q_OBJECT
public:
    explicit SignalNotifier(const QList<int> &signalNumbers, QObject *parent = nullptr);
    ~SignalNotifier() override;

    /// False when the pipe or a handler could not be set up.
    bool isValid() const { return m_valid; }

Q_SIGNALS:
    /// One of the signals arrived; from the event loop, once per arrival.
    void signalled(int signalNumber);

private:
    void readPipe();

    QList<int> m_signals;
    QSocketNotifier *m_notifier = nullptr;
    bool m_valid = false;
};

} // namespace orvel
