// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "testsubscriber.h"

#include <mosquitto.h>

constexpr int WaitMs = 10000;

TestSubscriber::TestSubscriber(int port)
{
    mosquitto_lib_init();
    m_client = mosquitto_new(nullptr, true, this);
    mosquitto_connect_callback_set(m_client, [](mosquitto *client, void *, int code) {
        if (code == 0)
            mosquitto_subscribe(client, nullptr, "#", 1);
    });
    mosquitto_subscribe_callback_set(m_client, [](mosquitto *, void *self, int, int, const int *) {
        static_cast<TestSubscriber *>(self)->m_subscribedSignal.release();
    });
    mosquitto_message_callback_set(
        m_client, [](mosquitto *, void *self, const mosquitto_message *message) {
            auto *subscriber = static_cast<TestSubscriber *>(self);
            const QMutexLocker lock(&subscriber->m_mutex);
            subscriber->m_messages.append(
                {QString::fromUtf8(message->topic),
                 QByteArray(static_cast<const char *>(message->payload), message->payloadlen),
                 message->retain});
        });
    if (mosquitto_connect(m_client, "127.0.0.1", port, 60) != MOSQ_ERR_SUCCESS ||
        mosquitto_loop_start(m_client) != MOSQ_ERR_SUCCESS)
        return;
    m_subscribed = m_subscribedSignal.tryAcquire(1, WaitMs);
}

TestSubscriber::~TestSubscriber()
{
    mosquitto_disconnect(m_client);
    mosquitto_loop_stop(m_client, true);
    mosquitto_destroy(m_client);
}

QList<TestSubscriber::Message> TestSubscriber::messages() const
{
    const QMutexLocker lock(&m_mutex);
    return m_messages;
}

QList<QByteArray> TestSubscriber::payloads(const QString &topic) const
{
    QList<QByteArray> result;
    for (const Message &each : messages()) {
        if (each.topic == topic)
            result.append(each.payload);
    }
    return result;
}
