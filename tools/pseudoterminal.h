// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace orvel {

/// The master side of a pseudo-terminal pair in raw mode (no echo, no CR/LF translation), held
/// open from both ends so that the other side may open and close the terminal as often as it
/// likes. What is queued is written as the terminal accepts it, from the event loop, so nothing is
/// lost when the reader is slow; what arrives is handed out as it comes.
class PseudoTerminal : public QObject
{
    Q_OBJECT
public:
    explicit PseudoTerminal(QObject *parent = nullptr);
    ~PseudoTerminal() override;

    /// Creates the pair. False, with `errorString()`, when the system refuses.
    bool open();
    bool isOpen() const { return m_master >= 0; }
    /// Closes both ends: to the other side the device vanishes. Drops what is queued.
    void close();

    /// The terminal side, e.g. "/dev/pts/3"; empty before `open()`.
    QString devicePath() const { return m_devicePath; }
    QString errorString() const { return m_errorString; }

    /// Queues `bytes`; they go out from the next turn of the event loop, in call order.
    void queue(const QByteArray &bytes);
    /// Bytes queued and not yet taken by the terminal.
    qsizetype queuedBytes() const { return m_outgoing.size() - m_outgoingOffset; }
    /// Bytes the terminal has taken and the other side has not read yet.
    qsizetype unreadBytes() const;
    qint64 bytesWritten() const { return m_bytesWritten; }

Q_SIGNALS:
    /// The other side wrote `bytes`.
    void bytesArrived(const QByteArray &bytes);
    /// Every queued byte has been written to the terminal.
    void drained();
    /// Writing failed (the terminal was closed); `errorString()` says why.
    void failed();

private:
    void writeQueued();
    void readIncoming();
    void fail(const QString &message);

    int m_master = -1;
    int m_slave = -1;
    QString m_devicePath;
    QString m_errorString;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QByteArray m_outgoing;
    qsizetype m_outgoingOffset = 0;
    qint64 m_bytesWritten = 0;
};

} // namespace orvel
