// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QString>

namespace orvel {

class RegObject;

/// The window's MQTT publishing as the settings store keeps it: the text values `Broker`,
/// `Topic` and `Name` under `Key`. Read once at start-up; an empty broker means no publishing.
struct MqttSettings
{
    static inline const QString Key = QStringLiteral("SOFTWARE\\Orvel\\Orvel Logger\\Mqtt");

    QString broker; ///< "mqtt://HOST[:PORT]", or empty: off.
    QString topic;  ///< Topic prefix; empty: "orvel/" and the slug of the name.
    QString name;   ///< Name in dashboards; empty: the host name and the port.

    bool enabled() const { return !broker.isEmpty(); }

    /// The stored values, each trimmed; an absent or unreadable value is empty.
    static MqttSettings read(RegObject &store);
};

} // namespace orvel
