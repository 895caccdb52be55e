// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "mqtt/mqttmessages.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <vector>

class QSocketNotifier;
struct mosquitto;

namespace orvel {

/// Publishes every reading of a recording to an MQTT broker, with the unit's availability and
/// its Home Assistant discovery configuration, on libmosquitto driven by the event loop: the
/// client's socket is watched with socket notifiers and its housekeeping runs on a timer, so
/// no call ever waits for the broker.
///
/// Each reading goes to `PREFIX/state` (retained, QoS 1). `PREFIX/status` is "online"
/// (retained) once connected and "offline" as the last will and on `stop()`. On every
/// connection the discovery configurations are published again (retained), so a broker that
/// lost its retained messages has them back.
///
/// Readings wait in a queue of at most `QueueLimit` (one week of readings) while the broker is
/// away; the oldest goes first when it is full. A reading leaves the queue only when the broker
/// has acknowledged it (PUBACK); whatever was not acknowledged when a connection broke is sent
/// again, in order, on the next one. Each connection is a new client, so nothing of a broken
/// connection is ever sent twice by the library itself. The broker may still receive a reading
/// twice when a connection breaks between its receipt and its acknowledgement (QoS 1); the
/// sample number tells such a repeat.
///
/// A broker that cannot be reached, refuses or goes away is tried again after a delay that
/// doubles from `firstDelay` up to `longestDelay`. Every problem is reported through
/// `errorOccurred`, one line each, and nothing stops. The host name is resolved by the system
/// resolver when a connection starts.
///
/// Single-threaded: lives on and is called from the thread that runs its event loop.
class MqttPublisher : public QObject
{
    Q_OBJECT
public:
    static constexpr int QueueLimit = 10080;
    static constexpr int KeepAliveSeconds = 60;
    static constexpr int ConnectTimeout = 30000;
    static constexpr int StopTimeout = 3000;
    /// Readings sent ahead of their acknowledgements on one connection.
    static constexpr int InFlightLimit = 20;

    explicit MqttPublisher(QObject *parent = nullptr);
    ~MqttPublisher() override;

    /// Takes the broker ("mqtt://HOST[:PORT]"), the topic prefix (empty: "orvel/" and the slug
    /// of the name) and the name (empty: `MqttMessages::defaultName` of this host and `port`).
    /// False, with the reason in `errorOccurred`, when the broker address is not usable.
    /// Call before `start()`.
    bool configure(const QString &brokerUrl, const QString &topicPrefix, const QString &name,
                   const QString &port = {});
    /// The program named in the discovery device block (default "Orvel Logger" and its
    /// version).
    void setProgram(const QString &program, const QString &version);
    /// The back-off of the reconnection, in milliseconds (default 1 s doubling to 60 s).
    void setReconnectDelays(int firstDelay, int longestDelay);

    /// Connects, and keeps connecting until `stop()`. Readings published before the first
    /// connection wait in the queue.
    void start();
    /// Queues one logged reading (counts in particles per cubic foot, as logged) and sends it
    /// as soon as the broker is there. Never waits.
    void publishReading(int sampleNumber, int small, int large, const QDateTime &time);
    /// Ends publishing: when connected, publishes "offline" and disconnects cleanly; `stopped`
    /// follows (always from the event loop, also when there was nothing to do). Readings still
    /// queued are reported lost through `errorOccurred`.
    void stop();

    const MqttIdentity &identity() const { return m_identity; }
    const MqttBroker &broker() const { return m_broker; }
    bool isConnected() const { return m_state == State::Connected; }
    /// Readings not yet acknowledged by the broker.
    int queuedReadings() const { return int(m_queue.size()); }

Q_SIGNALS:
    /// The broker accepted the connection; "online" and the discovery are on their way.
    void connected();
    /// A connection ended or an attempt failed; a new attempt is scheduled unless stopping.
    void disconnected();
    /// The broker acknowledged the reading of `sampleNumber`.
    void readingDelivered(int sampleNumber);
    /// One line for the user: what went wrong with the broker. Publishing goes on.
    void errorOccurred(const QString &message);
    /// `stop()` is done: disconnected, nothing more will be sent.
    void stopped();

private:
    enum class State { Idle, Connecting, Connected, Waiting, Stopping, Stopped };

    struct Pending
    {
        int sampleNumber = 0;
        QByteArray payload;
        int mid = 0; ///< Message id on the current connection; 0 when not sent on it.
    };

    static void onConnect(mosquitto *client, void *self, int code);
    static void onDisconnect(mosquitto *client, void *self, int code);
    static void onPublish(mosquitto *client, void *self, int mid);

    void connectToBroker();
    void afterLoop(int rc);
    void watchSocket();
    void dropSocket();
    void destroyClient();
    void handleConnected();
    void connectionEnded(const QString &reason);
    void sendPending();
    bool publishRetained(const QString &topic, const QByteArray &payload);
    void finishStop();
    void report(const QString &message);
    QString brokerText() const;

    MqttBroker m_broker;
    MqttIdentity m_identity;
    State m_state = State::Idle;
    mosquitto *m_client = nullptr;
    int m_socket = -1;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QTimer m_miscTimer;
    QTimer m_retryTimer;
    QTimer m_connectTimer;
    QTimer m_stopTimer;
    int m_firstDelay = 1000;
    int m_longestDelay = 60000;
    int m_delay = 1000;
    std::deque<Pending> m_queue;
    bool m_overflowReported = false;
    QString m_lastProblem;

    // What the library's callbacks saw during one loop call, handled once it has returned.
    int m_connackCode = -1;
    bool m_disconnectSeen = false;
    int m_disconnectCode = 0;
    std::vector<int> m_acknowledged;
};

} // namespace orvel
