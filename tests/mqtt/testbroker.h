// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

/// A real mosquitto broker on a free port of 127.0.0.1, for the life of the object. `start()`
/// returns once the broker listens, without running the event loop, so nothing of the code
/// under test runs in between; `kill()` ends it as a crash would.
class TestBroker
{
public:
    TestBroker();
    ~TestBroker();

    int port() const { return m_port; }
    QString url() const { return QStringLiteral("mqtt://127.0.0.1:%1").arg(m_port); }
    /// Starts (or, after `kill()`, starts again on the same port) and waits until it listens.
    bool start();
    void kill();
    /// Stops the broker's process where it is (SIGSTOP): it reads nothing and answers nothing
    /// until killed.
    void freeze();
    QString output() const { return QString::fromLocal8Bit(m_output); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QByteArray m_output;
    int m_port = 0;
};
