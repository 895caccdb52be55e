// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "testbroker.h"

#include "testsupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int WaitMs = 10000;

// A port nobody listens on now: the kernel picks one, we let it go for the broker.
int freePort()
{
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(socket, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        ::getsockname(socket, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(socket);
    return port;
}

} // namespace

TestBroker::TestBroker()
    : m_port(freePort())
{
    orvel::test::writeFile(
        m_dir.filePath(QStringLiteral("mosquitto.conf")),
        QStringLiteral("listener %1 127.0.0.1\n"
                       "allow_anonymous true\n"
                       "persistence false\n"
                       "log_dest stderr\n"
                       "log_type error\nlog_type warning\nlog_type notice\nlog_type information\n")
            .arg(m_port)
            .toUtf8());
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

TestBroker::~TestBroker()
{
    kill();
}

bool TestBroker::start()
{
    m_output.clear();
    m_process.start(QStringLiteral("mosquitto"),
                    {QStringLiteral("-c"), m_dir.filePath(QStringLiteral("mosquitto.conf"))});
    if (!m_process.waitForStarted(WaitMs))
        return false;
    // The broker says "running" once its listener is open.
    while (!m_output.contains(" running")) {
        if (!m_process.waitForReadyRead(WaitMs))
            return false;
        m_output += m_process.readAll();
    }
    return true;
}

void TestBroker::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(WaitMs);
    m_output += m_process.readAll();
}

void TestBroker::freeze()
{
    if (m_process.state() == QProcess::Running)
        ::kill(pid_t(m_process.processId()), SIGSTOP);
}
