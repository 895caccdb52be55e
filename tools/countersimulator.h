// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "pseudoterminal.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <utility>

namespace orvel {

/// Stands in for the particle counter unit on a pseudo-terminal, for the tests and for trying the
/// logger without the hardware.
///
/// `open()` creates the terminal pair; the logger opens `devicePath()` like any serial port.
/// What the simulator sends is queued and written as the terminal accepts it, so nothing is lost
/// when the logger reads slowly. It answers the history request "D" CR with a history listing.
/// Everything it receives from the logger is kept in `received()`.
///
/// Single-threaded: everything happens from the event loop of the thread it lives in. Writes
/// never happen inside a send call; they start at the next turn of the event loop, so bytes
/// queued in one go reach the logger in one piece.
class CounterSimulator : public QObject
{
    Q_OBJECT
public:
    /// One stored reading of the history: small count, large count.
    using Record = std::pair<qint32, qint32>;

    explicit CounterSimulator(QObject *parent = nullptr);
    ~CounterSimulator() override;

    /// Creates the pseudo-terminal pair in raw mode (no echo, no CR/LF translation). False, with
    /// `errorString()`, when the system refuses.
    bool open();
    bool isOpen() const { return m_terminal.isOpen(); }

    /// Closes the terminal: to the logger the device vanishes, as if it were unplugged.
    void hangUp();

    /// The terminal the logger opens, e.g. "/dev/pts/3"; empty before `open()`.
    QString devicePath() const { return m_terminal.devicePath(); }
    QString errorString() const { return m_errorString; }

    // Sending. Each call queues bytes; they go out from the event loop, in call order.

    /// Queues `bytes` exactly as given.
    void sendRaw(const QByteArray &bytes);
    /// Queues one count line: "small,large" CR LF.
    void sendLine(qint32 small, qint32 large);
    /// Sends one count line in two writes, the second `gapMs` after the first, so that the
    /// logger receives it in two pieces.
    void sendLineSplit(qint32 small, qint32 large, int gapMs = DefaultSplitGapMs);
    /// Queues `count` bytes of noise (0x20-0xFF), never CR or LF.
    void sendGarbage(qsizetype count);

    // Streaming, as the unit does once a sample.

    /// Stream the lines of a text file instead of generated readings; each line is sent with
    /// CR LF whatever its ending in the file. False, with `errorString()`, when unreadable.
    bool loadStreamFile(const QString &path);
    /// Stream noise chunks (no CR, no LF) instead of readings: a wrong baud rate, as the logger
    /// sees it.
    void setStreamGarbage(bool garbage) { m_streamGarbage = garbage; }
    /// Split every streamed line in two writes `gapMs` apart.
    void setStreamSplit(bool split, int gapMs = DefaultSplitGapMs);
    /// Sends `count` items (0 = without end; a loaded file stops at its last line), one every
    /// `intervalMs` starting one interval from now, or with 0 as fast as the logger takes them.
    void startStream(int intervalMs, int count);
    void stopStream();
    bool isStreaming() const { return m_streaming; }
    int itemsStreamed() const { return m_itemsStreamed; }

    // The history listing.

    /// The stored readings listed in the answer to "D" CR (by default three of them). With
    /// none, the listing says "NO DATA" in their place.
    void setHistoryRecords(const QList<Record> &records) { m_historyRecords = records; }
    QList<Record> historyRecords() const { return m_historyRecords; }
    /// The whole answer to "D" CR: an echo of the request, header lines, the line with "MIN",
    /// the records, an empty section with "NO DATA", and the "END" line, all CR LF ended.
    QByteArray historyAnswer() const;
    void setAnswersHistory(bool answers) { m_answersHistory = answers; }

    // Bookkeeping.

    QByteArray received() const { return m_received; }
    void clearReceived() { m_received.clear(); }
    /// Bytes queued and not yet taken by the terminal.
    qsizetype queuedBytes() const { return m_terminal.queuedBytes(); }
    /// Bytes the terminal has taken and the logger has not read yet.
    qsizetype unreadBytes() const { return m_terminal.unreadBytes(); }
    qint64 bytesWritten() const { return m_terminal.bytesWritten(); }

    static constexpr int DefaultSplitGapMs = 30;

Q_SIGNALS:
    /// The logger sent `bytes`.
    void bytesReceived(const QByteArray &bytes);
    /// "D" CR arrived and the history answer has been queued.
    void historyRequested();
    /// Every queued byte has been written to the terminal.
    void drained();
    /// A stream with a count (or a file) has sent its last item and it has been written.
    void streamFinished();
    /// Writing failed (the terminal was closed); `errorString()` says why.
    void failed();

private:
    void queue(const QByteArray &bytes);
    void handleArrived(const QByteArray &arrived);
    void handleDrained();
    void streamNext();
    void streamFast();
    bool streamDone() const;
    QByteArray nextStreamItem();
    QByteArray nextReading();

    PseudoTerminal m_terminal;
    QString m_errorString;
    QByteArray m_received;
    QByteArray m_command;

    QList<Record> m_historyRecords{{12, 3}, {4, 5}, {1043, 197}};
    bool m_answersHistory = true;

    QTimer m_streamTimer;
    QList<QByteArray> m_streamLines;
    bool m_streamFromFile = false;
    bool m_streamGarbage = false;
    bool m_streamSplit = false;
    int m_splitGapMs = DefaultSplitGapMs;
    bool m_streaming = false;
    bool m_waitingForSplit = false;
    bool m_finishPending = false;
    bool m_fast = false;
    int m_streamCount = 0;
    int m_itemsStreamed = 0;
    qint32 m_walkSmall = 1000;
    qint32 m_walkLarge = 200;
};

} // namespace orvel
