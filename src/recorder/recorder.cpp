// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "recorder/recorder.h"

#include "common/failure.h"
#include "history/historydownload.h"
#include "mqtt/mqttsettings.h"
#include "settings/portoverrides.h"
#include "settings/regobject.h"

#include <QLocale>

namespace orvel {

Recorder::Recorder(const RecorderOptions &options, const Clock &clock, const QString &configFolder,
                   QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_configFolder(configFolder)
    , m_receiver(&m_port, m_console)
    , m_log(m_console)
    , m_processor(m_chart, m_slider, m_log, m_console, clock, LocaleFormats(QLocale()))
    , m_session({m_port, m_receiver, m_demo, m_processor, m_log, m_console, clock})
    , m_feed(m_processor, m_publisher)
{
    m_chart.setColumnCount(2);
    m_log.setPane(&m_console);
    connect(&m_session, &RecordingSession::stopped, this, &Recorder::sessionStopped);
    connect(&m_publisher, &MqttPublisher::errorOccurred, this,
            [this](const QString &message) { m_console.showError(message); });
    connect(&m_publisher, &MqttPublisher::stopped, this, [this] { finish(m_exitCode); });
    // While the recording ends, the last readings are given a moment to be acknowledged.
    connect(&m_publisher, &MqttPublisher::readingDelivered, this, [this] {
        if (m_session.state() == RecordingSession::State::Idle && m_publishing &&
            m_publisher.queuedReadings() == 0)
            stopPublishing();
    });
    connect(&m_publisher, &MqttPublisher::disconnected, this, [this] {
        if (m_session.state() == RecordingSession::State::Idle && m_publishing)
            stopPublishing();
    });
    m_brokerWait.setSingleShot(true);
    m_brokerWait.setInterval(MqttPublisher::StopTimeout);
    connect(&m_brokerWait, &QTimer::timeout, this, [this] {
        if (m_publisherStopping)
            finish(m_exitCode);
        else
            stopPublishing();
    });
}

Recorder::~Recorder()
{
    // A recording still running ends with its summary here, before the parts it uses go; the
    // publisher is gone by the time the session would tell of it.
    m_session.disconnect(this);
    m_session.stop();
}

bool Recorder::start()
{
    RegObject store(m_configFolder);
    PortOverrides::read(store, m_portMap);
    m_port.setPortMap(m_portMap);
    const int portNumber = resolvePort();
    if (m_options.downloadHistory())
        return startDownload(portNumber);

    m_processor.setStopAfterLimit(m_options.stopAfter());
    RecordingSession::StartOptions start;
    start.demo = m_options.demo();
    start.portNumber = portNumber;
    start.portName = QStringLiteral("COM%1").arg(portNumber);
    start.logPath = m_options.logPath();
    try {
        m_session.start(start);
    } catch (const Failure &failure) {
        m_console.showError(failure.description());
        m_exitCode = RecorderOptions::ExitStartFailed;
        return false;
    }
    startPublishing(start.demo ? QStringLiteral("demo") : m_portMap.devicePath(portNumber));
    return true;
}

int Recorder::resolvePort()
{
    if (m_options.demo() || m_options.portNumber() > 0)
        return m_options.portNumber();
    // A device path: the port that leads there, as the window would list it, or else COM1
    // pointed at it for this run.
    const QString device = m_options.port();
    for (int number = PortMap::FirstPort; number <= PortMap::LastPort; ++number) {
        if (m_portMap.devicePath(number) == device)
            return number;
    }
    m_portMap.setOverride(PortMap::FirstPort, device);
    m_port.setPortMap(m_portMap);
    return PortMap::FirstPort;
}

void Recorder::startPublishing(const QString &device)
{
    RegObject store(m_configFolder);
    const MqttSettings stored = MqttSettings::read(store);
    const bool own = !m_options.mqttBroker().isEmpty();
    const QString broker = own ? m_options.mqttBroker() : stored.broker;
    if (broker.isEmpty())
        return;
    const QString topic = own ? m_options.mqttTopic() : stored.topic;
    const QString name = m_options.name().isEmpty() ? stored.name : m_options.name();
    m_publisher.setProgram(QStringLiteral("orvel-recorder"), QStringLiteral(ORVEL_VERSION));
    // A stored broker that is no address is reported and the recording goes on without it.
    if (!m_publisher.configure(broker, topic, name, device))
        return;
    m_publishing = true;
    m_publisher.start();
}

bool Recorder::startDownload(int portNumber)
{
    m_download = std::make_unique<HistoryDownload>(m_portMap, m_console);
    m_download->setCommPort(portNumber);
    // The end is told while the last lines are being parsed: take the text once they are in.
    connect(m_download.get(), &HistoryDownload::ended, this, &Recorder::downloadEnded,
            Qt::QueuedConnection);
    connect(m_download.get(), &HistoryDownload::progressChanged, this, [this] {
        if (m_download->state() == HistoryDownload::State::Interrupted) {
            m_console.showError(QStringLiteral("The history download was interrupted; nothing "
                                               "was appended to the log."));
            finish(RecorderOptions::ExitStartFailed);
        } else if (m_download->unitSilent() && !m_silenceReported) {
            m_silenceReported = true;
            m_console.showError(QStringLiteral("The unit on %1 has not answered yet: check the "
                                               "port and that the unit is on. Still waiting.")
                                    .arg(m_portMap.devicePath(m_download->CommPort())));
        }
    });
    try {
        m_download->StartDownload();
    } catch (const Failure &failure) {
        m_console.showError(failure.description());
        m_exitCode = RecorderOptions::ExitStartFailed;
        return false;
    }
    return true;
}

void Recorder::downloadEnded()
{
    const QString text = m_download->text();
    try {
        HistoryDownload::appendToLogFile(m_options.logPath(), text);
    } catch (const Failure &failure) {
        m_console.showError(failure.description());
        finish(RecorderOptions::ExitStartFailed);
        return;
    }
    m_console.appendLogText(text);
    finish(RecorderOptions::ExitNormal);
}

void Recorder::stop()
{
    if (m_session.isRecording()) {
        m_session.stop();
    } else if (m_download && !m_finished) {
        m_download->close();
        m_console.showError(QStringLiteral("The history download was stopped before the unit "
                                           "had sent it all; nothing was appended to the log."));
        finish(RecorderOptions::ExitStartFailed);
    } else {
        finish(m_exitCode);
    }
}

void Recorder::sessionStopped()
{
    if (!m_publishing) {
        finish(RecorderOptions::ExitNormal);
        return;
    }
    m_brokerWait.start();
    if (!m_publisher.isConnected() || m_publisher.queuedReadings() == 0)
        stopPublishing();
}

void Recorder::stopPublishing()
{
    if (m_publisherStopping)
        return;
    m_publisherStopping = true;
    // The publisher's own stop is bounded; the wait is the last word should it not answer.
    m_brokerWait.start(MqttPublisher::StopTimeout + 1000);
    m_publisher.stop();
}

void Recorder::finish(int exitCode)
{
    if (m_finished)
        return;
    m_finished = true;
    m_exitCode = exitCode;
    m_brokerWait.stop();
    Q_EMIT finished(exitCode);
}

} // namespace orvel
