// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "acquisition/receivehandler.h"

#include "acquisition/serialport.h"
#include "common/notifier.h"

#include <QIODevice>

namespace orvel {

ReceiveHandler::ReceiveHandler(SerialPort *port, Notifier &notifier, QObject *parent)
    : QObject(parent)
    , m_port(port)
    , m_notifier(notifier)
{
    if (port)
        connect(port, &SerialPort::OnComm, this, &ReceiveHandler::handleComm);
}

void ReceiveHandler::setDebugCapture(QIODevice *capture)
{
    m_debugCapture = capture;
    m_captureFailureReported = false;
}

void ReceiveHandler::handleComm()
{
    if (!m_port || m_port->CommEvent() != SerialPort::DataReceived)
        return;
    processReceived(m_port->Input());
}

void ReceiveHandler::processReceived(const QString &received)
{
    if (received.isEmpty())
        return;
    capture(received);

    const LineAssembler::Result result = m_assembler.append(received);
    if (result.overflowStarted) {
        m_notifier.showError(LineAssembler::overflowMessage(result.droppedChars));
    }
    if (result.lines.isEmpty())
        return;
    // A receiver may stop the recording on a line (the stop-after limit), which closes the port.
    // The lines after it were read for that recording and must not reach the next one.
    const bool portWasOpen = m_port && m_port->PortOpen();
    Q_EMIT activity();
    for (const QString &line : result.lines) {
        if (portWasOpen && !(m_port && m_port->PortOpen()))
            break;
        Q_EMIT lineReceived(line);
    }
}

void ReceiveHandler::capture(const QString &received)
{
    if (!m_debugCapture)
        return;
    const QByteArray bytes = received.toLatin1();
    if (m_debugCapture->write(bytes) == bytes.size() || m_captureFailureReported)
        return;
    m_captureFailureReported = true;
    m_notifier.showError(tr("The received characters could not be written to the debug capture "
                            "file: %1")
                             .arg(m_debugCapture->errorString()));
}

} // namespace orvel
