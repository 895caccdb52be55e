// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "acquisition/demosamplesource.h"
#include "acquisition/portmap.h"
#include "acquisition/receivehandler.h"
#include "acquisition/serialport.h"
#include "charting/chartdatamodel.h"
#include "charting/sampleprocessor.h"
#include "charting/slidermodel.h"
#include "logfile/logwriter.h"
#include "mqtt/mqttpublisher.h"
#include "mqtt/mqttreadingfeed.h"
#include "recorder/console.h"
#include "recorder/recorderoptions.h"
#include "recording/recordingsession.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace orvel {

class Clock;
class HistoryDownload;

/// orvel-recorder without its command line: the recording parts of the window (port, line
/// assembly, sample processor, log writer) driven by the same RecordingSession, with the log
/// mirrored on standard output, problems on standard error and, when a broker is set, every
/// reading published over MQTT. Or, with --download-history, one history download appended to
/// the log.
///
/// The port map and the MQTT settings come from the window's settings store (in `configFolder`,
/// empty: the user's standard one); a broker, topic or name on the command line wins over the
/// stored one. UI thread only.
class Recorder : public QObject
{
    Q_OBJECT
public:
    Recorder(const RecorderOptions &options, const Clock &clock, const QString &configFolder = {},
             QObject *parent = nullptr);
    /// Ends a recording still running, with its summary (nothing is published then).
    ~Recorder() override;

    /// Starts the recording, or the history download. False when it cannot start: the reason is
    /// on standard error, nothing was written, and `exitCode()` is the program's status.
    bool start();
    /// Ends the recording through the session's one stop path (the summary, the log closed),
    /// then waits for the broker to acknowledge the last readings and publishes "offline", each
    /// wait at most a few seconds; `finished` follows. Called again while that wait runs, it
    /// finishes at once.
    void stop();

    int exitCode() const { return m_exitCode; }
    RecordingSession &session() { return m_session; }
    MqttPublisher &publisher() { return m_publisher; }

Q_SIGNALS:
    /// Everything is closed; the program may exit with `exitCode`. Emitted once.
    void finished(int exitCode);

private:
    int resolvePort();
    void startPublishing(const QString &device);
    bool startDownload(int portNumber);
    void downloadEnded();
    void sessionStopped();
    void stopPublishing();
    void finish(int exitCode);

    RecorderOptions m_options;
    QString m_configFolder;
    Console m_console;
    PortMap m_portMap;
    SerialPort m_port;
    ReceiveHandler m_receiver;
    DemoSampleSource m_demo;
    ChartDataModel m_chart;
    SliderModel m_slider;
    LogWriter m_log;
    SampleProcessor m_processor;
    RecordingSession m_session;
    MqttPublisher m_publisher;
    MqttReadingFeed m_feed;
    std::unique_ptr<HistoryDownload> m_download;
    QTimer m_brokerWait;
    bool m_publishing = false;
    bool m_publisherStopping = false;
    bool m_silenceReported = false;
    bool m_finished = false;
    int m_exitCode = RecorderOptions::ExitNormal;
};

} // namespace orvel
