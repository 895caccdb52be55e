// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "mqtt/mqttpublisher.h"

#include <QSocketNotifier>
#include <QSysInfo>

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orvel {

namespace {

void initialiseLibrary()
{
    // Once per process; the library is never cleaned up, the process ends first.
    static const int initialised = mosquitto_lib_init();
    Q_UNUSED(initialised);
}

QString errorText(int rc)
{
    if (rc == MOSQ_ERR_ERRNO)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QString::fromUtf8(mosquitto_strerror(rc));
}

} // namespace

MqttPublisher::MqttPublisher(QObject *parent)
    : QObject(parent)
{
    initialiseLibrary();
    m_miscTimer.setInterval(1000);
    connect(&m_miscTimer, &QTimer::timeout, this, [this] {
        if (m_client && m_socket >= 0)
            afterLoop(mosquitto_loop_misc(m_client));
    });
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &MqttPublisher::connectToBroker);
    m_connectTimer.setSingleShot(true);
    m_connectTimer.setInterval(ConnectTimeout);
    connect(&m_connectTimer, &QTimer::timeout, this, [this] {
        destroyClient();
        connectionEnded(QStringLiteral("no answer"));
    });
    m_stopTimer.setSingleShot(true);
    m_stopTimer.setInterval(StopTimeout);
    connect(&m_stopTimer, &QTimer::timeout, this, &MqttPublisher::finishStop);
}

MqttPublisher::~MqttPublisher()
{
    destroyClient();
}

bool MqttPublisher::configure(const QString &brokerUrl, const QString &topicPrefix,
                              const QString &name, const QString &port)
{
    QString error;
    const std::optional<MqttBroker> broker = MqttMessages::parseBrokerUrl(brokerUrl, &error);
    if (!broker) {
        report(error);
        return false;
    }
    m_broker = *broker;
    m_identity.name = name.trimmed().isEmpty()
                          ? MqttMessages::defaultName(QSysInfo::machineHostName(), port)
                          : name.trimmed();
    QString prefix = topicPrefix.trimmed();
    while (prefix.endsWith(u'/'))
        prefix.chop(1);
    m_identity.topicPrefix =
        prefix.isEmpty() ? MqttMessages::defaultTopicPrefix(m_identity.name) : prefix;
    return true;
}

void MqttPublisher::setProgram(const QString &program, const QString &version)
{
    m_identity.program = program;
    m_identity.version = version;
}

void MqttPublisher::setReconnectDelays(int firstDelay, int longestDelay)
{
    m_firstDelay = std::max(1, firstDelay);
    m_longestDelay = std::max(m_firstDelay, longestDelay);
    m_delay = m_firstDelay;
}

void MqttPublisher::start()
{
    if (m_state != State::Idle || m_broker.host.isEmpty())
        return;
    m_delay = m_firstDelay;
    m_miscTimer.start();
    connectToBroker();
}

void MqttPublisher::publishReading(int sampleNumber, int small, int large, const QDateTime &time)
{
    if (m_state == State::Stopping || m_state == State::Stopped)
        return;
    if (m_queue.size() >= std::size_t(QueueLimit)) {
        m_queue.pop_front();
        if (!m_overflowReported) {
            m_overflowReported = true;
            report(QStringLiteral("MQTT: %1 readings wait for the broker %2; the oldest are "
                                  "dropped from now on")
                       .arg(QueueLimit)
                       .arg(brokerText()));
        }
    }
    m_queue.push_back({sampleNumber, MqttMessages::statePayload(sampleNumber, small, large, time)});
    if (m_state == State::Connected)
        sendPending();
}

void MqttPublisher::stop()
{
    if (m_state == State::Stopping || m_state == State::Stopped)
        return;
    m_retryTimer.stop();
    m_connectTimer.stop();
    if (m_state == State::Connected) {
        m_state = State::Stopping;
        publishRetained(MqttMessages::statusTopic(m_identity.topicPrefix),
                        MqttMessages::Offline.toUtf8());
        m_stopTimer.start();
        // Sent behind the "offline" message; the broker then drops the last will.
        afterLoop(mosquitto_disconnect(m_client));
        return;
    }
    m_state = State::Stopping;
    finishStop();
}

void MqttPublisher::connectToBroker()
{
    destroyClient();
    m_client = mosquitto_new(nullptr, true, this);
    if (!m_client) {
        connectionEnded(QStringLiteral("the client cannot be created"));
        return;
    }
    mosquitto_int_option(m_client, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(m_client, &MqttPublisher::onConnect);
    mosquitto_disconnect_callback_set(m_client, &MqttPublisher::onDisconnect);
    mosquitto_publish_callback_set(m_client, &MqttPublisher::onPublish);
    const QByteArray will = MqttMessages::Offline.toUtf8();
    mosquitto_will_set(m_client,
                       MqttMessages::statusTopic(m_identity.topicPrefix).toUtf8().constData(),
                       int(will.size()), will.constData(), 1, true);

    m_state = State::Connecting;
    const int rc = mosquitto_connect_async(m_client, m_broker.host.toUtf8().constData(),
                                           m_broker.port, KeepAliveSeconds);
    if (rc != MOSQ_ERR_SUCCESS) {
        const QString reason = errorText(rc);
        destroyClient();
        connectionEnded(reason);
        return;
    }
    m_connectTimer.start();
    watchSocket();
}

void MqttPublisher::onConnect(mosquitto *, void *self, int code)
{
    static_cast<MqttPublisher *>(self)->m_connackCode = code;
}

void MqttPublisher::onDisconnect(mosquitto *, void *self, int code)
{
    auto *publisher = static_cast<MqttPublisher *>(self);
    publisher->m_disconnectSeen = true;
    publisher->m_disconnectCode = code;
}

void MqttPublisher::onPublish(mosquitto *, void *self, int mid)
{
    static_cast<MqttPublisher *>(self)->m_acknowledged.push_back(mid);
}

void MqttPublisher::afterLoop(int rc)
{
    // The callbacks only note what happened; it is handled here, outside the library.
    const int connack = std::exchange(m_connackCode, -1);
    const bool ended = std::exchange(m_disconnectSeen, false);
    const std::vector<int> acknowledged = std::exchange(m_acknowledged, {});

    if (m_state == State::Stopping) {
        if (ended || rc != MOSQ_ERR_SUCCESS || !m_client || mosquitto_socket(m_client) < 0)
            finishStop();
        else
            watchSocket();
        return;
    }
    if (!m_client)
        return;

    for (const int mid : acknowledged) {
        const auto it = std::find_if(m_queue.begin(), m_queue.end(),
                                     [mid](const Pending &each) { return each.mid == mid; });
        if (it != m_queue.end()) {
            const int sample = it->sampleNumber;
            m_queue.erase(it);
            Q_EMIT readingDelivered(sample);
        }
    }
    if (connack == 0) {
        handleConnected();
    } else if (connack > 0) {
        const QString reason = QString::fromUtf8(mosquitto_connack_string(connack));
        destroyClient();
        connectionEnded(reason);
        return;
    }
    if (ended || rc != MOSQ_ERR_SUCCESS) {
        const int code = ended ? m_disconnectCode : rc;
        const QString reason = code == MOSQ_ERR_SUCCESS ? QStringLiteral("disconnected")
                               : code == MOSQ_ERR_CONN_LOST
                                   ? QStringLiteral("the connection was lost")
                                   : errorText(code);
        destroyClient();
        connectionEnded(reason);
        return;
    }
    if (!acknowledged.empty() && m_state == State::Connected)
        sendPending();
    watchSocket();
}

void MqttPublisher::watchSocket()
{
    const int socket = m_client ? mosquitto_socket(m_client) : -1;
    if (socket != m_socket) {
        dropSocket();
        m_socket = socket;
        if (socket >= 0) {
            m_readNotifier = new QSocketNotifier(socket, QSocketNotifier::Read, this);
            connect(m_readNotifier, &QSocketNotifier::activated, this,
                    [this] { afterLoop(mosquitto_loop_read(m_client, 1)); });
            m_writeNotifier = new QSocketNotifier(socket, QSocketNotifier::Write, this);
            connect(m_writeNotifier, &QSocketNotifier::activated, this,
                    [this] { afterLoop(mosquitto_loop_write(m_client, 1)); });
        }
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(mosquitto_want_write(m_client));
}

void MqttPublisher::dropSocket()
{
    // The notifiers may be the ones whose signal is being handled: delete them later.
    for (QSocketNotifier *notifier : {m_readNotifier, m_writeNotifier}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->disconnect(this);
            notifier->deleteLater();
        }
    }
    m_readNotifier = nullptr;
    m_writeNotifier = nullptr;
    m_socket = -1;
}

void MqttPublisher::destroyClient()
{
    dropSocket();
    if (m_client) {
        mosquitto_destroy(m_client);
        m_client = nullptr;
    }
    m_connackCode = -1;
    m_disconnectSeen = false;
    m_acknowledged.clear();
    for (Pending &each : m_queue)
        each.mid = 0;
}

void MqttPublisher::handleConnected()
{
    m_connectTimer.stop();
    m_state = State::Connected;
    m_delay = m_firstDelay;
    m_lastProblem.clear();
    publishRetained(MqttMessages::statusTopic(m_identity.topicPrefix),
                    MqttMessages::Online.toUtf8());
    for (const QString &channel : {QStringLiteral("small"), QStringLiteral("large")})
        publishRetained(MqttMessages::discoveryTopic(m_identity, channel),
                        MqttMessages::discoveryPayload(m_identity, channel));
    Q_EMIT connected();
    if (m_state == State::Connected)
        sendPending();
}

void MqttPublisher::connectionEnded(const QString &reason)
{
    m_connectTimer.stop();
    const bool wasConnected = m_state == State::Connected;
    m_state = State::Waiting;
    const QString problem = (wasConnected ? QStringLiteral("MQTT: lost the broker %1: %2")
                                          : QStringLiteral("MQTT: cannot reach the broker %1: %2"))
                                .arg(brokerText(), reason);
    // A broker that stays away is tried again and again; say so once.
    if (problem != m_lastProblem) {
        m_lastProblem = problem;
        report(problem + QStringLiteral("; trying again"));
    }
    m_retryTimer.start(m_delay);
    m_delay = std::min(m_delay * 2, m_longestDelay);
    Q_EMIT disconnected();
}

void MqttPublisher::sendPending()
{
    int inFlight = int(std::count_if(m_queue.begin(), m_queue.end(),
                                     [](const Pending &each) { return each.mid != 0; }));
    const QByteArray topic = MqttMessages::stateTopic(m_identity.topicPrefix).toUtf8();
    for (Pending &each : m_queue) {
        if (inFlight >= InFlightLimit || !m_client)
            break;
        if (each.mid != 0)
            continue;
        int mid = 0;
        const int rc =
            mosquitto_publish(m_client, &mid, topic.constData(), int(each.payload.size()),
                              each.payload.constData(), 1, true);
        if (rc != MOSQ_ERR_SUCCESS) {
            // Left in the queue; the next connection sends it.
            report(QStringLiteral("MQTT: reading %1 not sent: %2")
                       .arg(each.sampleNumber)
                       .arg(errorText(rc)));
            break;
        }
        each.mid = mid;
        ++inFlight;
    }
    watchSocket();
}

bool MqttPublisher::publishRetained(const QString &topic, const QByteArray &payload)
{
    const int rc = mosquitto_publish(m_client, nullptr, topic.toUtf8().constData(),
                                     int(payload.size()), payload.constData(), 1, true);
    if (rc != MOSQ_ERR_SUCCESS)
        report(QStringLiteral("MQTT: %1 not sent: %2").arg(topic, errorText(rc)));
    return rc == MOSQ_ERR_SUCCESS;
}

void MqttPublisher::finishStop()
{
    if (m_state == State::Stopped)
        return;
    m_stopTimer.stop();
    m_miscTimer.stop();
    m_retryTimer.stop();
    m_connectTimer.stop();
    destroyClient();
    m_state = State::Stopped;
    if (!m_queue.empty()) {
        report(QStringLiteral("MQTT: %1 reading(s) never reached the broker %2")
                   .arg(m_queue.size())
                   .arg(brokerText()));
    }
    // Never from inside stop(): its caller connects to the signal after calling it.
    QMetaObject::invokeMethod(this, &MqttPublisher::stopped, Qt::QueuedConnection);
}

void MqttPublisher::report(const QString &message)
{
    Q_EMIT errorOccurred(message);
}

QString MqttPublisher::brokerText() const
{
    return QStringLiteral("mqtt://%1:%2").arg(m_broker.host).arg(m_broker.port);
}

} // namespace orvel
