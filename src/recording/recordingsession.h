// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "acquisition/portmap.h"
#include "acquisition/usbidentity.h"
#include "recording/loglock.h"

#include <QDateTime>
#include <QFile>
#include <QObject>
#include <QString>

namespace orvel {

class Clock;
class DemoSampleSource;
class LogWriter;
class Notifier;
class PortReturnWatcher;
class ReceiveHandler;
class SampleProcessor;
class SerialPort;

/// One recording from start to stop: the port (or the demonstration source), line assembly, the
/// debug capture, the log and its lock, the sample processor and the stop-after limit.
///
/// However a recording ends (Record, the stop-after limit, closing the window, a signal to the
/// headless recorder, a lost port when riding through is off) it ends through stop(), which
/// writes the summary once and closes everything. A start that fails leaves everything as it was,
/// including an old log that was to be deleted. While a real recording runs, a lost port does not
/// end it (unless told so): the log stays open, the session waits for the unit to come back and
/// goes on with the same statistics and sample numbers.
///
/// Knows nothing of widgets; the window and the headless recorder drive it alike. UI thread only.
class RecordingSession : public QObject
{
    Q_OBJECT
public:
    enum class State {
        Idle,
        Recording,
        WaitingForPort, ///< a real recording whose port was lost; the log stays open
    };
    Q_ENUM(State)

    /// The parts a recording works with; owned by the caller, they must outlive the session.
    struct Parts
    {
        SerialPort &port;
        ReceiveHandler &receiver;
        DemoSampleSource &demo;
        SampleProcessor &processor;
        LogWriter &log;
        Notifier &notifier;
        const Clock &clock;
        const DeviceIdentities &identities = DeviceIdentities::system();
    };

    struct StartOptions
    {
        bool demo = false;
        int portNumber = 0;  ///< the port to record from; 0 = none selected
        QString portName;    ///< how the user knows it ("COM1"), for messages and notes
        QString logPath;
        bool deleteLog = false; ///< delete the old log, once the start is certain
        QString debugCapturePath; ///< copy what the unit sends here; empty for none
    };

    explicit RecordingSession(const Parts &parts, QObject *parent = nullptr);
    ~RecordingSession() override;

    /// Starts a recording. Throws orvel::Failure with what the user needs to know when it cannot;
    /// then nothing has changed (no port open, no log deleted, created or written).
    void start(const StartOptions &options);
    /// Ends the recording: the summary, then the log, the port and the capture are closed.
    /// Does nothing when idle.
    void stop();

    State state() const { return m_state; }
    bool isRecording() const { return m_state != State::Idle; }
    bool isDemo() const;
    bool waitingForPort() const { return m_state == State::WaitingForPort; }
    const StartOptions &options() const { return m_options; }

    /// Whether a lost port leaves the recording open, waiting for the unit (the default), or
    /// stops it with its summary.
    void setResumeAfterPortLoss(bool resume) { m_resumeAfterPortLoss = resume; }
    bool resumeAfterPortLoss() const { return m_resumeAfterPortLoss; }

    /// The notice key of the lost-port message (see Notifier::showNotice).
    static inline const QString PortLostNotice = QStringLiteral("PortLost");

Q_SIGNALS:
    void stateChanged(orvel::RecordingSession::State state);
    /// The old log was deleted by a start (the pane mirrors it, so it empties too).
    void logDeleted();
    /// Characters arrived from the unit during a recording (the activity indicator).
    void activity();
    /// The recording ended through stop() and its summary is written.
    void stopped();

private:
    void openPort();
    void closeCapture();
    void abandonStart();
    void lineReceived(const QString &line);
    void demoLine(const QString &line);
    void portLost(const QString &description);
    void tryReturn(const QString &devicePath);
    void writeNote(const QString &text);
    void setState(State state);

    Parts m_parts;
    StartOptions m_options;
    State m_state = State::Idle;
    bool m_resumeAfterPortLoss = true;
    LogLock m_lock;
    QFile m_capture;
    PortReturnWatcher *m_watcher = nullptr;
    PortMap m_startPortMap;   ///< the port map before a renumbered device was followed
    QString m_devicePath;     ///< the device the recording opened (links not followed)
    UsbIdentity m_identity;   ///< of that device, to recognise it under another number
};

} // namespace orvel
