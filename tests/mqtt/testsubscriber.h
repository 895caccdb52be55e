// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QSemaphore>
#include <QString>

struct mosquitto;

/// A client that subscribes to every topic of a broker and keeps what arrives, on libmosquitto's
/// own thread. The constructor returns once the subscription is acknowledged.
class TestSubscriber
{
public:
    struct Message
    {
        QString topic;
        QByteArray payload;
        bool retained = false;
    };

    explicit TestSubscriber(int port);
    ~TestSubscriber();

    bool isSubscribed() const { return m_subscribed; }
    QList<Message> messages() const;
    /// The payloads that arrived on `topic`, in order.
    QList<QByteArray> payloads(const QString &topic) const;

private:
    mosquitto *m_client = nullptr;
    mutable QMutex m_mutex;
    QList<Message> m_messages;
    QSemaphore m_subscribedSignal;
    bool m_subscribed = false;
};
