// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace orvel {

/// Where a broker listens: "mqtt://HOST[:PORT]" taken apart.
struct MqttBroker
{
    QString host;
    int port = 1883;
};

/// What a publisher needs to know about its unit: the broker, the topic prefix, the name shown in
/// dashboards and the program that reports.
struct MqttIdentity
{
    QString name;
    QString topicPrefix;
    QString program = QStringLiteral("Orvel Logger");
    QString version = QStringLiteral(ORVEL_VERSION);
};

/// The topics and payloads a unit publishes, as plain functions: the reading on `PREFIX/state`,
/// the availability on `PREFIX/status` and the Home Assistant discovery configurations of its
/// two sensors. No I/O.
class MqttMessages
{
public:
    static inline const QString Online = QStringLiteral("online");
    static inline const QString Offline = QStringLiteral("offline");
    static inline const QString DiscoveryPrefix = QStringLiteral("homeassistant");
    static inline const QString Unit = QStringLiteral("particles/ft³");
    static constexpr int DefaultPort = 1883;

    /// "mqtt://HOST[:PORT]" as host and port; nothing with `error` set when it is not such a URL.
    static std::optional<MqttBroker> parseBrokerUrl(const QString &url, QString *error);

    /// The name a unit goes by when none is given: the host name and the port's device name
    /// ("bench-pi ttyUSB0").
    static QString defaultName(const QString &hostName, const QString &port);
    /// Lower-case letters and digits of `name`, other runs as one "-": "bench-pi-ttyusb0".
    static QString slug(const QString &name);
    /// "orvel/" and the slug of the name.
    static QString defaultTopicPrefix(const QString &name);
    /// The stable id of the unit in dashboards: "orvel_" and the slug, "-" as "_".
    static QString uniqueId(const QString &name);

    static QString stateTopic(const QString &prefix) { return prefix + QStringLiteral("/state"); }
    static QString statusTopic(const QString &prefix) { return prefix + QStringLiteral("/status"); }

    /// {"sample": N, "small": S, "large": L, "time": "2026-12-07T06:30:00+01:00"}.
    static QByteArray statePayload(int sampleNumber, int small, int large, const QDateTime &time);
    /// The time as ISO 8601 to the second with its offset from UTC ("+00:00" for UTC).
    static QString isoTime(const QDateTime &time);

    /// The two sensors, "small" and "large".
    static QString discoveryTopic(const MqttIdentity &identity, const QString &channel);
    static QByteArray discoveryPayload(const MqttIdentity &identity, const QString &channel);
};

} // namespace orvel
