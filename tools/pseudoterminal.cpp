// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "pseudoterminal.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace orvel {

namespace {

// Drop what has gone out of the queue once this much has, not on every write.
constexpr qsizetype CompactAfter = 65536;

QString systemMessage(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1StringView(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

PseudoTerminal::PseudoTerminal(QObject *parent)
    : QObject(parent)
{}

PseudoTerminal::~PseudoTerminal()
{
    close();
}

bool PseudoTerminal::open()
{
    if (isOpen())
        return true;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        m_errorString = systemMessage("posix_openpt");
        return false;
    }
    char name[128] = {};
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name, sizeof name) != 0) {
        m_errorString = systemMessage("pseudo-terminal setup");
        ::close(master);
        return false;
    }
    // Hold the terminal side open for as long as the simulator lives: without it the first
    // close by the logger would hang up the line and every later write would fail.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) {
        m_errorString = systemMessage(name);
        ::close(master);
        return false;
    }
    termios settings = {};
    if (::tcgetattr(slave, &settings) != 0) {
        m_errorString = systemMessage("tcgetattr");
        ::close(slave);
        ::close(master);
        return false;
    }
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    ::cfsetspeed(&settings, B9600);
    if (::tcsetattr(slave, TCSANOW, &settings) != 0 ||
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK) != 0) {
        m_errorString = systemMessage("terminal settings");
        ::close(slave);
        ::close(master);
        return false;
    }

    m_master = master;
    m_slave = slave;
    m_devicePath = QString::fromLocal8Bit(name);
    m_errorString.clear();
    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PseudoTerminal::readIncoming);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(queuedBytes() > 0);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PseudoTerminal::writeQueued);
    return true;
}

void PseudoTerminal::close()
{
    // Possibly called from a slot of one of the notifiers: let them go from the event loop.
    for (QSocketNotifier *notifier : {m_readNotifier, m_writeNotifier}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    m_readNotifier = nullptr;
    m_writeNotifier = nullptr;
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
    m_outgoing.clear();
    m_outgoingOffset = 0;
}

qsizetype PseudoTerminal::unreadBytes() const
{
    int count = 0;
    if (m_slave < 0 || ::ioctl(m_slave, FIONREAD, &count) != 0)
        return 0;
    return count;
}

void PseudoTerminal::queue(const QByteArray &bytes)
{
    if (!isOpen() || bytes.isEmpty())
        return;
    m_outgoing += bytes;
    m_writeNotifier->setEnabled(true);
}

void PseudoTerminal::writeQueued()
{
    while (queuedBytes() > 0) {
        const ssize_t written =
            ::write(m_master, m_outgoing.constData() + m_outgoingOffset, size_t(queuedBytes()));
        if (written > 0) {
            m_outgoingOffset += written;
            m_bytesWritten += written;
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break; // the terminal is full; the notifier says when it has room again
        fail(systemMessage("write"));
        return;
    }
    if (queuedBytes() > 0) {
        // Drop what has gone out now and then, not on every write.
        if (m_outgoingOffset > CompactAfter) {
            m_outgoing.remove(0, m_outgoingOffset);
            m_outgoingOffset = 0;
        }
        return;
    }
    m_outgoing.clear();
    m_outgoingOffset = 0;
    m_writeNotifier->setEnabled(false);
    Q_EMIT drained();
}

void PseudoTerminal::readIncoming()
{
    char chunk[4096];
    QByteArray arrived;
    for (;;) {
        const ssize_t count = ::read(m_master, chunk, sizeof chunk);
        if (count > 0) {
            arrived.append(chunk, count);
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        // The terminal side is gone for good; stop listening rather than spin.
        m_readNotifier->setEnabled(false);
        break;
    }
    if (arrived.isEmpty())
        return;
    Q_EMIT bytesArrived(arrived);
}

void PseudoTerminal::fail(const QString &message)
{
    m_errorString = message;
    m_outgoing.clear();
    m_outgoingOffset = 0;
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
    Q_EMIT failed();
}

} // namespace orvel
