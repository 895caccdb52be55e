// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "acquisition/lineassembler.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QIODevice;

namespace orvel {

class Notifier;
class SerialPort;

/// The main window's receive handler: turns the characters the counter unit sends into whole
/// count lines.
///
/// On each data-received event of the port it reads every waiting character once, copies them
/// unchanged to the debug capture (when one is set) and collects them into lines. Every complete
/// line goes out at once, in arrival order, so several lines that arrive together are all
/// processed. A partial line waits for its rest for the whole run, across closing and reopening
/// the port. When a receiver closes the port while the lines of one read are going out (the
/// recording stopped), the rest of them are dropped. A run without a line end longer than a count
/// line can be (wrong baud rate, bad wiring, another device on the port) is thrown away up to the
/// next line end and reported at once through the notifier, once until a good line arrives.
///
/// Lives on the UI thread, like the port.
class ReceiveHandler : public QObject
{
    Q_OBJECT
public:
    /// Listens to `port`'s `OnComm` (no port: only `processReceived` feeds it). Messages go to
    /// `notifier`, which must outlive the handler.
    explicit ReceiveHandler(SerialPort *port, Notifier &notifier, QObject *parent = nullptr);

    /// Where the raw characters are copied (debug mode), or nullptr for none. Set and cleared by
    /// the recording controller, which owns and closes the device. Each character is written as
    /// one byte.
    void setDebugCapture(QIODevice *capture);
    QIODevice *debugCapture() const { return m_debugCapture; }

    /// Handles `received` as if the port had just delivered it.
    void processReceived(const QString &received);

    /// The characters of a line that has not ended yet.
    QString pendingText() const { return m_assembler.buffer(); }
    /// Drops the characters of a line that has not ended, e.g. when a recording starts or a lost
    /// port comes back: a stale fragment is never glued to the next line.
    void discardPartialLine() { m_assembler.clear(); }

Q_SIGNALS:
    /// At least one complete line arrived (drives the status bar's logging indicator). Emitted
    /// once per read, before the lines.
    void activity();

    /// One complete count line, with its CR LF; one signal per line, in arrival order. A
    /// receiver may close the port from here.
    void lineReceived(const QString &line);

private:
    void handleComm();
    void capture(const QString &received);

    QPointer<SerialPort> m_port;
    Notifier &m_notifier;
    QPointer<QIODevice> m_debugCapture;
    bool m_captureFailureReported = false;
    LineAssembler m_assembler;
};

} // namespace orvel
