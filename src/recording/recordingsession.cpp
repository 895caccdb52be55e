// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "recording/recordingsession.h"

#include "acquisition/demosamplesource.h"
#include "acquisition/receivehandler.h"
#include "acquisition/serialport.h"
#include "charting/sampleprocessor.h"
#include "common/clock.h"
#include "common/failure.h"
#include "common/notifier.h"
#include "logfile/logfolder.h"
#include "logfile/logwriter.h"
#include "recording/portreturnwatcher.h"

#include <QDir>
#include <QFileInfo>

namespace orvel {

namespace {

const QString Source = QStringLiteral("Record");

} // namespace

RecordingSession::RecordingSession(const Parts &parts, QObject *parent)
    : QObject(parent)
    , m_parts(parts)
    , m_watcher(new PortReturnWatcher(parts.identities, this))
{
    // Only lines of a running recording count; what arrives after a stop is dropped.
    connect(&m_parts.receiver, &ReceiveHandler::lineReceived, this,
            &RecordingSession::lineReceived);
    connect(&m_parts.receiver, &ReceiveHandler::activity, this, [this] {
        if (isRecording())
            Q_EMIT activity();
    });
    connect(&m_parts.demo, &DemoSampleSource::sampleGenerated, this, &RecordingSession::demoLine);
    connect(&m_parts.processor, &SampleProcessor::stopLimitReached, this, &RecordingSession::stop);
    connect(&m_parts.port, &SerialPort::portLost, this, &RecordingSession::portLost);
    connect(m_watcher, &PortReturnWatcher::candidateAppeared, this, &RecordingSession::tryReturn);
    m_parts.processor.setDemoResetHook([this] {
        qint32 small = 0;
        qint32 large = 0;
        m_parts.demo.GenerateDemoSample(small, large, true);
    });
}

RecordingSession::~RecordingSession()
{
    stop();
}

bool RecordingSession::isDemo() const
{
    return m_parts.processor.IsDemo();
}

void RecordingSession::start(const StartOptions &options)
{
    if (isRecording())
        return;
    // A demonstration never opens the port, so it runs on a machine without any port too.
    if (!options.demo && options.portNumber <= 0)
        throw Failure(5, Source, QStringLiteral("Please select a COM port first."));

    m_options = options;
    // Restored at the stop (or a failed start): following a renumbered adapter changes it.
    m_startPortMap = m_parts.port.portMap();
    try {
        const QString path = options.logPath;
        const QString folder = QFileInfo(path).absolutePath();
        if (!QFileInfo(folder).isDir())
            LogFolder::CreateFolderPath(folder);

        QString holder;
        if (!m_lock.acquire(path, &holder)) {
            throw Failure(70, Source, LogLock::busyMessage(path, holder));
        }

        if (!options.debugCapturePath.isEmpty()) {
            m_capture.setFileName(options.debugCapturePath);
            if (!m_capture.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
                throw Failure(75, Source,
                              QStringLiteral("Cannot open the debug capture '%1': %2")
                                  .arg(m_capture.fileName(), m_capture.errorString()));
            }
        }

        if (!options.demo) {
            m_parts.port.setCommPort(options.portNumber);
            m_devicePath = m_parts.port.devicePath();
            openPort();
            m_identity = m_parts.identities.identityOf(m_devicePath);
        }

        // Everything that can refuse the start has agreed; only now may the old log go. Where
        // the old log can be removed, a new one can be created in its place.
        if (options.deleteLog && QFileInfo::exists(path)) {
            QFile file(path);
            file.setPermissions(file.permissions() | QFileDevice::WriteOwner);
            if (!file.remove()) {
                throw Failure(75, Source,
                              QStringLiteral("Cannot delete the log file '%1': %2")
                                  .arg(path, file.errorString()));
            }
        }
        if (options.deleteLog)
            Q_EMIT logDeleted();
        m_parts.log.open(path);
    } catch (const Failure &) {
        abandonStart();
        throw;
    }

    SampleProcessor &processor = m_parts.processor;
    processor.setIsDemo(options.demo);
    processor.ProcessSample(SampleReset);
    processor.setIsRecording(true);
    setState(State::Recording);
    if (options.demo) {
        m_parts.demo.SampleTimer().start();
    } else {
        m_parts.receiver.setDebugCapture(m_capture.isOpen() ? &m_capture : nullptr);
        m_parts.port.setRThreshold(1);
    }
}

void RecordingSession::openPort()
{
    SerialPort &port = m_parts.port;
    port.setInputMode(SerialPort::InputMode::Text);
    port.setRThreshold(0);
    port.setPortOpen(true);
    port.setOutBufferCount(0);
    port.setInBufferCount(0);
    // Whatever was left of a line before this opening belongs to no reading of this one.
    m_parts.receiver.discardPartialLine();
}

void RecordingSession::abandonStart()
{
    m_parts.port.setPortOpen(false);
    m_parts.port.setPortMap(m_startPortMap);
    m_parts.log.close();
    closeCapture();
    m_lock.release();
}

void RecordingSession::stop()
{
    if (!isRecording())
        return;
    SampleProcessor &processor = m_parts.processor;
    m_watcher->stop();
    m_parts.demo.SampleTimer().stop();
    m_parts.port.setPortOpen(false);
    m_parts.port.setPortMap(m_startPortMap);
    m_parts.notifier.dismissNotice(PortLostNotice);
    m_parts.log.WriteSummary(processor.SampleCount(), processor.statistics(), processor.formats());
    m_parts.log.close();
    closeCapture();
    m_lock.release();
    processor.setIsRecording(false);
    processor.setIsDemo(false);
    setState(State::Idle);
    Q_EMIT stopped();
}

void RecordingSession::closeCapture()
{
    m_parts.receiver.setDebugCapture(nullptr);
    if (m_capture.isOpen())
        m_capture.close();
}

void RecordingSession::lineReceived(const QString &line)
{
    if (m_state == State::Recording && !isDemo())
        m_parts.processor.ProcessSample(SampleNewLine, line);
}

void RecordingSession::demoLine(const QString &line)
{
    if (m_state == State::Recording && isDemo())
        m_parts.processor.ProcessSample(SampleNewLine, line);
}

void RecordingSession::portLost(const QString &description)
{
    if (m_state != State::Recording || isDemo())
        return;
    if (!m_resumeAfterPortLoss) {
        const QString path = m_options.logPath;
        stop();
        m_parts.notifier.showError(description +
                                   QStringLiteral("\n\nThe recording has been stopped. Every "
                                                  "reading received until then is in the log "
                                                  "file '%1', which has been closed with its "
                                                  "summary.")
                                       .arg(path));
        return;
    }
    const QString device = m_parts.port.devicePath();
    writeNote(QStringLiteral("the counter unit on %1 (%2) went away; the recording waits for "
                             "it to come back.")
                  .arg(m_options.portName, device));
    setState(State::WaitingForPort);
    m_parts.notifier.showNotice(
        PortLostNotice,
        description + QStringLiteral("\n\nThe recording goes on: it resumes as soon as the unit "
                                     "is back. Stop the recording to end it here."));
    m_watcher->watch(m_devicePath, m_identity);
    m_watcher->check();
}

void RecordingSession::tryReturn(const QString &devicePath)
{
    if (m_state != State::WaitingForPort)
        return;
    SerialPort &port = m_parts.port;
    if (devicePath != port.devicePath()) {
        // The kernel gave the adapter another number: follow it for the rest of the recording.
        PortMap followed = port.portMap();
        followed.setOverride(m_options.portNumber, devicePath);
        port.setPortMap(followed);
    }
    try {
        openPort();
    } catch (const Failure &) {
        port.setPortOpen(false);
        return; // not ready yet: the watcher tries again
    }
    m_watcher->stop();
    port.setRThreshold(1);
    setState(State::Recording);
    writeNote(QStringLiteral("the counter unit on %1 (%2) is back; the recording goes on.")
                  .arg(m_options.portName, devicePath));
    m_parts.notifier.dismissNotice(PortLostNotice);
}

void RecordingSession::writeNote(const QString &text)
{
    m_parts.log.WriteLogLine(QStringLiteral("Note: ") +
                             m_parts.processor.formats().generalDate(m_parts.clock.now()) +
                             QLatin1Char(' ') + text);
}

void RecordingSession::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

} // namespace orvel
