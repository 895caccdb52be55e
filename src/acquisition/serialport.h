// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "acquisition/portmap.h"

#include <QObject>
#include <QSerialPort>
#include <QString>

namespace orvel {

/// The serial link to the counter unit: a port chosen by number (COM1-COM16), opened and closed
/// on request, text out, text in, and a receive event on the UI thread.
///
/// The line settings are fixed at 9600 baud, 8 data bits, no parity, 1 stop bit, no flow
/// control. Received bytes are delivered as Latin-1 text, one character per byte, so nothing the
/// unit sends is altered; text sent with `Output` goes out the same way.
///
/// Operations that fail throw orvel::Failure with one of the numbers below and the source
/// "SerialPort". Everything runs on the thread the object lives in (the UI thread).
class SerialPort : public QObject
{
    Q_OBJECT
public:
    // Failure numbers.
    static constexpr int NoSuchPort = 8002;      ///< no device, or a device with no hardware
    static constexpr int PortAlreadyOpen = 8005; ///< open here already, or held by another program
    static constexpr int DeviceNotOpen = 8012;   ///< the operation needs an open port
    static constexpr int LineSettingsFailed = 8015; ///< the device refused 9600 8N1
    static constexpr int DeviceFailed = 8020;       ///< any other failure of the device
    static constexpr int PermissionDenied = 8030;   ///< this user may not open the device
    static constexpr int InvalidValue = 8040;       ///< a property value the port does not accept

    // Values of `CommEvent`.
    static constexpr int NoEvent = 0;
    static constexpr int DataReceived = 2;

    enum class InputMode { Text };

    explicit SerialPort(QObject *parent = nullptr);
    explicit SerialPort(const PortMap &portMap, QObject *parent = nullptr);
    ~SerialPort() override;

    /// Where each port number leads. Takes effect at the next open.
    void setPortMap(const PortMap &portMap) { m_portMap = portMap; }
    const PortMap &portMap() const { return m_portMap; }

    /// The port the next open uses. Throws PortAlreadyOpen while the port is open. Any number is
    /// accepted here; opening a number without a device fails with NoSuchPort.
    void setCommPort(int portNumber);
    int CommPort() const { return m_commPort; }

    /// The device node of the current port number ("" when it has none).
    QString devicePath() const { return m_portMap.devicePath(m_commPort); }

    /// Opens (true) or closes (false) the port. Opening throws:
    /// - NoSuchPort: the number has no device, the device node does not exist, is not a
    ///   serial device, or has no hardware behind it;
    /// - PortAlreadyOpen: this object has it open already, or another program holds it;
    /// - PermissionDenied: the user lacks access; the description says how to get it;
    /// - LineSettingsFailed or DeviceFailed for the rest.
    /// Closing a closed port does nothing.
    void setPortOpen(bool open);
    bool PortOpen() const { return m_serial.isOpen(); }

    void setInputMode(InputMode mode) { m_inputMode = mode; }
    InputMode inputMode() const { return m_inputMode; }

    /// The receive threshold: with N > 0, `OnComm` follows every arrival that leaves at least N
    /// characters waiting; with 0 there are no receive events and characters just wait.
    void setRThreshold(int threshold);
    int RThreshold() const { return m_rThreshold; }

    /// Characters received and not yet read. Setting it to 0 discards them (the only value
    /// accepted; others throw InvalidValue). Setting needs an open port (DeviceNotOpen).
    int InBufferCount() const;
    void setInBufferCount(int count);

    /// Characters waiting to be sent. Setting it to 0 discards them, as above.
    int OutBufferCount() const;
    void setOutBufferCount(int count);

    /// Sends `text` unchanged, one byte per character (Latin-1). Throws DeviceNotOpen when the
    /// port is closed.
    void Output(const QString &text);

    /// The event that raised the latest `OnComm` (DataReceived), NoEvent before the first.
    int CommEvent() const { return m_commEvent; }

    /// Every character received and not yet read, in arrival order, removed from the input
    /// buffer. Throws DeviceNotOpen when the port is closed.
    QString Input();

    /// The message for a user who may not open `devicePath`: names the device and, from the
    /// node's owning group, the command that grants access.
    static QString permissionDeniedMessage(const QString &devicePath);

Q_SIGNALS:
    /// Characters arrived and the receive threshold is met; read `CommEvent` and `Input`.
    /// Delivered on the UI thread, one at a time.
    void OnComm();

    /// The open port stopped working (device unplugged, pseudo-terminal gone). The port has been
    /// closed already; `description` says which device and what happened. Queued: emitted from
    /// the event loop, never from inside another call on this object.
    void portLost(const QString &description);

private:
    void openPort();
    void handleReadyRead();
    void handleError(QSerialPort::SerialPortError error);
    void closeLostPort(quint64 openCount, const QString &description);
    [[noreturn]] void raise(int number, const QString &description) const;
    [[noreturn]] void raiseOpenFailure(const QString &path);
    void requireOpen(const char *operation) const;
    QString portName() const;

    PortMap m_portMap;
    QSerialPort m_serial;
    int m_commPort = 1;
    QString m_openPath; ///< the device the port was opened on
    int m_rThreshold = 0;
    int m_commEvent = NoEvent;
    InputMode m_inputMode = InputMode::Text;
    quint64 m_openCount = 0; ///< tells a stale loss report from one about the current opening
    bool m_opening = false;
    bool m_lossPending = false;
};

} // namespace orvel
