// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "acquisition/serialport.h"

#include "common/failure.h"

#include <QFile>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace orvel {

namespace {

const QString Source = QStringLiteral("SerialPort");

// The 8250 driver creates ttyS0-ttyS3 (major 4, minors from 64) whether or not a UART is fitted.
constexpr unsigned TtyMajor = 4;
constexpr unsigned FirstTtySMinor = 64;

QString systemMessage(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

bool isNoHardwareError(int errorNumber)
{
    return errorNumber == EIO || errorNumber == ENXIO || errorNumber == ENODEV;
}

// False when the open descriptor is an on-board serial port with no UART behind it.
bool hasHardware(int fd)
{
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || major(st.st_rdev) != TtyMajor ||
        minor(st.st_rdev) < FirstTtySMinor) {
        // USB and modem-class drivers leave the UART type unset, so only ask the 8250 ports.
        return true;
    }
    serial_struct info = {};
    if (::ioctl(fd, TIOCGSERIAL, &info) == 0)
        return info.type != PORT_UNKNOWN;
    return !isNoHardwareError(errno);
}

// False when the system's device list files the node under a class other than terminals (a
// memory device, a sound card...). Pseudo-terminals are not listed there, nor is anything when
// /sys is missing: those count as terminals until opening says otherwise.
bool mayBeTerminal(const struct stat &st)
{
    const QString subsystem = QStringLiteral("/sys/dev/char/%1:%2/subsystem")
                                  .arg(major(st.st_rdev))
                                  .arg(minor(st.st_rdev));
    const QString target = QFile::symLinkTarget(subsystem);
    return target.isEmpty() || target.endsWith(QLatin1StringView("/tty"));
}

// True when the descriptor has been hung up (device unplugged, pseudo-terminal master closed).
bool isHungUp(int fd)
{
    pollfd p = {fd, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

} // namespace

SerialPort::SerialPort(QObject *parent)
    : SerialPort(PortMap(), parent)
{}

SerialPort::SerialPort(const PortMap &portMap, QObject *parent)
    : QObject(parent)
    , m_portMap(portMap)
{
    connect(&m_serial, &QSerialPort::readyRead, this, &SerialPort::handleReadyRead);
    connect(&m_serial, &QSerialPort::errorOccurred, this, &SerialPort::handleError);
}

SerialPort::~SerialPort()
{
    if (PortOpen())
        m_serial.close();
}

void SerialPort::setCommPort(int portNumber)
{
    if (PortOpen())
        raise(PortAlreadyOpen,
              tr("The port number cannot change while %1 is open.").arg(portName()));
    m_commPort = portNumber;
}

void SerialPort::setPortOpen(bool open)
{
    if (!open) {
        if (PortOpen())
            m_serial.close();
        return;
    }
    if (PortOpen())
        raise(PortAlreadyOpen, tr("%1 is already open.").arg(portName()));
    openPort();
}

void SerialPort::openPort()
{
    const QString path = devicePath();
    if (path.isEmpty()) {
        raise(NoSuchPort, tr("%1 does not exist: the ports are COM%2 to COM%3.")
                              .arg(portName())
                              .arg(PortMap::FirstPort)
                              .arg(PortMap::LastPort));
    }

    // Settle the common absent cases before QSerialPort creates a lock file for the device.
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        if (errno == EACCES)
            raise(PermissionDenied, permissionDeniedMessage(path));
        raise(NoSuchPort, tr("%1 does not exist: there is no device %2.").arg(portName(), path));
    }
    if (!S_ISCHR(st.st_mode))
        raise(NoSuchPort, tr("%1 is not a serial port: %2 is not a device.").arg(portName(), path));
    if (!mayBeTerminal(st)) {
        raise(NoSuchPort,
              tr("%1 is not a serial port: %2 is not a serial device.").arg(portName(), path));
    }

    m_serial.setPortName(path);
    m_serial.setBaudRate(QSerialPort::Baud9600);
    m_serial.setDataBits(QSerialPort::Data8);
    m_serial.setParity(QSerialPort::NoParity);
    m_serial.setStopBits(QSerialPort::OneStop);
    m_serial.setFlowControl(QSerialPort::NoFlowControl);

    m_opening = true;
    const bool opened = m_serial.open(QIODevice::ReadWrite);
    m_opening = false;
    if (!opened)
        raiseOpenFailure(path);

    if (!hasHardware(m_serial.handle())) {
        m_serial.close();
        raise(NoSuchPort,
              tr("%1 does not exist: %2 has no serial hardware behind it.").arg(portName(), path));
    }
    m_openPath = path;
    m_commEvent = NoEvent;
    m_lossPending = false;
    ++m_openCount;
}

void SerialPort::raiseOpenFailure(const QString &path)
{
    const QSerialPort::SerialPortError error = m_serial.error();
    const QString reason = m_serial.errorString();
    const QByteArray nativePath = QFile::encodeName(path);

    switch (error) {
    case QSerialPort::PermissionError:
        // Lock files and exclusive use by another program come back as permission errors too;
        // only a real lack of access rights means the user has to do something about it.
        if (::access(nativePath.constData(), R_OK | W_OK) != 0 &&
            (errno == EACCES || errno == EPERM)) {
            raise(PermissionDenied, permissionDeniedMessage(path));
        }
        raise(PortAlreadyOpen, tr("%1 (%2) is in use by another program.").arg(portName(), path));
    case QSerialPort::DeviceNotFoundError:
        raise(NoSuchPort, tr("%1 does not exist: there is no device %2.").arg(portName(), path));
    default:
        break;
    }

    // QSerialPort does not keep the system error, so ask the device once more.
    const int fd = ::open(nativePath.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int openError = errno;
        if (isNoHardwareError(openError) || openError == ENOENT) {
            raise(NoSuchPort, tr("%1 does not exist: %2 has no serial hardware behind it.")
                                  .arg(portName(), path));
        }
        if (openError == EBUSY) {
            raise(PortAlreadyOpen,
                  tr("%1 (%2) is in use by another program.").arg(portName(), path));
        }
        if (openError == EACCES || openError == EPERM)
            raise(PermissionDenied, permissionDeniedMessage(path));
        raise(
            DeviceFailed,
            tr("%1 (%2) could not be opened: %3.").arg(portName(), path, systemMessage(openError)));
    }
    const bool isTerminal = ::isatty(fd) == 1;
    ::close(fd);
    if (!isTerminal) {
        raise(NoSuchPort,
              tr("%1 is not a serial port: %2 is not a serial device.").arg(portName(), path));
    }
    if (error == QSerialPort::UnsupportedOperationError) {
        raise(LineSettingsFailed,
              tr("%1 (%2) does not accept 9600 baud, 8 data bits, no parity, 1 stop bit: %3.")
                  .arg(portName(), path, reason));
    }
    raise(DeviceFailed, tr("%1 (%2) could not be opened: %3.").arg(portName(), path, reason));
}

QString SerialPort::permissionDeniedMessage(const QString &devicePath)
{
    QString message = tr("Permission denied: this user account may not use the serial device %1.")
                          .arg(devicePath);
    struct stat st = {};
    const group *owner = nullptr;
    if (::stat(QFile::encodeName(devicePath).constData(), &st) == 0)
        owner = ::getgrgid(st.st_gid);
    const QString groupName = owner ? QString::fromLocal8Bit(owner->gr_name) : QString();
    if (groupName.isEmpty() || st.st_gid == 0) {
        return message + u' ' +
               tr("Ask the administrator of this computer for read and write access to it.");
    }
    return message + u' ' +
           tr("The device belongs to the group \"%1\". Add your account to that group with the "
              "command\n\n    sudo usermod -aG %1 $USER\n\nthen log out and log in again.")
               .arg(groupName);
}

void SerialPort::setRThreshold(int threshold)
{
    if (threshold < 0)
        raise(InvalidValue, tr("The receive threshold cannot be negative (%1).").arg(threshold));
    m_rThreshold = threshold;
}

int SerialPort::InBufferCount() const
{
    return PortOpen() ? int(m_serial.bytesAvailable()) : 0;
}

void SerialPort::setInBufferCount(int count)
{
    requireOpen("InBufferCount");
    if (count != 0)
        raise(InvalidValue,
              tr("The input buffer can only be emptied (set to 0), not %1.").arg(count));
    m_serial.clear(QSerialPort::Input);
}

int SerialPort::OutBufferCount() const
{
    return PortOpen() ? int(m_serial.bytesToWrite()) : 0;
}

void SerialPort::setOutBufferCount(int count)
{
    requireOpen("OutBufferCount");
    if (count != 0) {
        raise(InvalidValue,
              tr("The output buffer can only be emptied (set to 0), not %1.").arg(count));
    }
    m_serial.clear(QSerialPort::Output);
}

void SerialPort::Output(const QString &text)
{
    requireOpen("Output");
    const QByteArray bytes = text.toLatin1();
    if (m_serial.write(bytes) != bytes.size()) {
        raise(DeviceFailed,
              tr("Sending to %1 failed: %2.").arg(portName(), m_serial.errorString()));
    }
}

QString SerialPort::Input()
{
    requireOpen("Input");
    return QString::fromLatin1(m_serial.readAll());
}

void SerialPort::handleReadyRead()
{
    if (m_rThreshold <= 0 || m_serial.bytesAvailable() < m_rThreshold)
        return;
    m_commEvent = DataReceived;
    Q_EMIT OnComm();
}

void SerialPort::handleError(QSerialPort::SerialPortError error)
{
    if (m_opening || m_lossPending || !PortOpen())
        return;
    // A vanished device shows up either as a resource error or as a read that finds the line
    // hung up; in both cases the descriptor is useless and would keep the notifier firing.
    const bool lost = error == QSerialPort::ResourceError ||
                      ((error == QSerialPort::ReadError || error == QSerialPort::WriteError) &&
                       isHungUp(m_serial.handle()));
    if (!lost)
        return;
    m_lossPending = true;
    // The system's error text is no help here: a hung-up line reads as end of file and leaves
    // whatever error came before.
    const QString description =
        tr("%1 (%2) stopped working: the device has gone away. Check that the counter unit is "
           "still connected.")
            .arg(portName(), m_openPath);
    // Not from inside QSerialPort's own notification: close once it has returned.
    QTimer::singleShot(0, this, [this, openCount = m_openCount, description] {
        closeLostPort(openCount, description);
    });
}

void SerialPort::closeLostPort(quint64 openCount, const QString &description)
{
    // Closed (and maybe reopened) by the program meanwhile: nothing left to report.
    if (openCount != m_openCount || !PortOpen())
        return;
    m_lossPending = false;
    m_serial.close();
    Q_EMIT portLost(description);
}

void SerialPort::requireOpen(const char *operation) const
{
    if (!PortOpen()) {
        raise(DeviceNotOpen, tr("%1 needs an open port; %2 is not open.")
                                 .arg(QLatin1StringView(operation), portName()));
    }
}

void SerialPort::raise(int number, const QString &description) const
{
    throw Failure(number, Source, description);
}

QString SerialPort::portName() const
{
    return QStringLiteral("COM%1").arg(m_commPort);
}

} // namespace orvel
