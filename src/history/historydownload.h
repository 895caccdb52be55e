// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "acquisition/lineassembler.h"
#include "acquisition/portmap.h"

#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

namespace orvel {

class LogFolder;
class Notifier;
class SerialPort;

/// The exchange that fetches the history the counter unit keeps in its memory: sends "D" CR on a
/// port of its own, turns the answer into the text of the download window's pane and ends at the
/// "END" line.
///
/// The answer is cut into CR LF lines; every complete line of a read is handled at once, in
/// arrival order. Lines before the one holding "MIN" are dropped (and so is the part of that line
/// before "MIN"), record lines ("12,3") become rows without a time stamp ("1200\t300"), lines
/// holding "NO DATA" are dropped, every other line is kept as it came. A line holding "END" closes
/// the port and the debug capture and ends the download; the markers are found anywhere in a line,
/// in any letter case.
///
/// There is no time-out and no retry: a unit that stays silent leaves the download waiting until
/// the window is closed. After `noAnswerTimeout()` without a single character, `unitSilent()`
/// turns true so the window can tell the user to check the port and the unit; the download keeps
/// waiting and picks the answer up if it still comes.
///
/// Failures while the answer arrives (a record that cannot be converted, a lost port, a capture
/// file that refuses writes) are reported through the notifier and the download goes on with what
/// follows. Lives on the UI thread, like its port.
class HistoryDownload : public QObject
{
    Q_OBJECT
public:
    /// Where the exchange stands.
    enum class State {
        Idle,        ///< nothing sent yet, or the port could not be opened
        Requested,   ///< "D" CR sent, waiting for the line holding "MIN"
        Receiving,   ///< the "MIN" line has arrived, records are coming
        Ended,       ///< the "END" line has arrived: port and capture closed
        Interrupted, ///< the port was lost or the download was closed before "END"
    };

    /// The text the pane starts with at each download.
    static inline const QString HeaderText = QStringLiteral("----------------\r\n"
                                                            "Download History\r\n"
                                                            "----------------\r\n");
    /// Name of the raw capture file in the log folder, written in debug mode.
    static inline const QString DefaultDebugHistoryFileName = QStringLiteral("~DebugHistory.txt");
    /// How long the unit may stay silent before `unitSilent()` turns true.
    static constexpr int DefaultNoAnswerTimeoutMs = 5000;

    /// `portMap` says where the port numbers lead; failures during the exchange go to
    /// `notifier`, which must outlive this object.
    explicit HistoryDownload(const PortMap &portMap, Notifier &notifier, QObject *parent = nullptr);
    ~HistoryDownload() override;

    /// The port the next download opens (1-16, the main window's choice).
    void setCommPort(int portNumber);
    int CommPort() const;

    /// Debug mode: the raw characters of each download go to `DebugHistoryFileName` in the log
    /// folder, which is emptied at the start of each download.
    void setIsDebug(bool isDebug) { m_isDebug = isDebug; }
    bool IsDebug() const { return m_isDebug; }
    void setDebugHistoryFileName(const QString &name) { m_debugHistoryFileName = name; }
    QString DebugHistoryFileName() const { return m_debugHistoryFileName; }
    /// The folder of the capture file; needed in debug mode only. Must outlive this object.
    void setLogFolder(LogFolder *folder) { m_logFolder = folder; }
    /// The path of the capture file of the current download, empty when there is none.
    QString debugCapturePath() const { return m_capture.fileName(); }
    bool isCapturing() const { return m_capture.isOpen(); }

    void setNoAnswerTimeout(int ms) { m_noAnswerTimer.setInterval(ms); }
    int noAnswerTimeout() const { return m_noAnswerTimer.interval(); }

    /// Starts a download: the text becomes `HeaderText`, the capture file is created or emptied
    /// (debug mode), the port is (re)opened, its buffers discarded and "D" CR sent.
    /// Throws orvel::Failure when the capture file cannot be created or the port cannot be
    /// opened; the text then stays the header and the state `Idle`, with the port closed.
    void StartDownload();

    /// Turns one received line (with its CR LF) into the text for the pane, possibly empty.
    /// `reset` forgets that the "MIN" line was seen; with an empty `text` that is all it does.
    /// A line holding "END" ends the download. A record that cannot be converted is reported
    /// ("Error evaluating the following text:") and gives the empty text.
    QString ParseHistoryText(QString text, bool reset = false);

    /// Handles `received` as if the port had just delivered it: capture, cut into lines, parse
    /// every complete line and append the results to the text.
    void processReceived(const QString &received);

    /// Stops the download: closes the port and the capture file, ignoring any failure. What was
    /// received stays in the text. Safe to call at any time, also twice.
    void close();

    State state() const { return m_state; }
    bool HistoryStarted() const { return m_historyStarted; }
    /// The pane's text: the header and every line kept so far, CR LF ended.
    const QString &text() const { return m_text; }
    /// Record lines turned into rows in the current download.
    int recordCount() const { return m_recordCount; }
    /// Characters received in the current download (before any line handling).
    qint64 charactersReceived() const { return m_charactersReceived; }
    /// True while nothing at all has arrived for `noAnswerTimeout()` after the request.
    bool unitSilent() const { return m_unitSilent; }

    SerialPort &serialPort() { return *m_port; }

    /// Appends `text` to the log file `path`, creating the file when it is missing; the text is
    /// written as UTF-8, like every other log text. Throws orvel::Failure when the file cannot be
    /// opened or written; a write that fails half way is undone, so the file keeps its old text.
    static void appendToLogFile(const QString &path, const QString &text);

Q_SIGNALS:
    /// The text was replaced (a download started); `text` is the whole new text.
    void textReset(const QString &text);
    /// `text` was added at the end of the text.
    void textAppended(const QString &text);
    /// The state, the record count or `unitSilent()` changed.
    void progressChanged();
    /// The "END" line arrived: the history is complete and may be appended to the log.
    void ended();

private:
    void handleComm();
    void handlePortLost(const QString &description);
    void handleNoAnswer();
    void capture(const QString &received);
    void openCapture();
    void closeCapture();
    void finish(State state);
    QString convertRecord(const QString &text);

    Notifier &m_notifier;
    SerialPort *m_port = nullptr;
    LogFolder *m_logFolder = nullptr;
    bool m_isDebug = false;
    QString m_debugHistoryFileName = DefaultDebugHistoryFileName;
    QFile m_capture;
    bool m_captureFailureReported = false;
    LineAssembler m_buffer;
    QTimer m_noAnswerTimer;

    State m_state = State::Idle;
    bool m_historyStarted = false;
    QString m_text;
    int m_recordCount = 0;
    qint64 m_charactersReceived = 0;
    bool m_unitSilent = false;
};

} // namespace orvel
