// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "mqtt/mqttmessages.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

namespace orvel {

std::optional<MqttBroker> MqttMessages::parseBrokerUrl(const QString &url, QString *error)
{
    const QUrl parsed(url.trimmed(), QUrl::StrictMode);
    QString problem;
    if (!parsed.isValid() || parsed.scheme() != QStringLiteral("mqtt"))
        problem = QStringLiteral("is not of the form mqtt://HOST[:PORT]");
    else if (parsed.host().isEmpty())
        problem = QStringLiteral("names no host");
    else if (!parsed.path().isEmpty() && parsed.path() != QStringLiteral("/"))
        problem = QStringLiteral("has a path; give only mqtt://HOST[:PORT]");
    else if (!parsed.userInfo().isEmpty() || parsed.hasQuery() || parsed.hasFragment())
        problem = QStringLiteral("has more than a host and a port");
    if (!problem.isEmpty()) {
        if (error)
            *error = QStringLiteral("the broker address \"%1\" %2").arg(url, problem);
        return std::nullopt;
    }
    return MqttBroker{parsed.host(), parsed.port(DefaultPort)};
}

QString MqttMessages::defaultName(const QString &hostName, const QString &port)
{
    const QString device = QFileInfo(port).fileName();
    if (hostName.isEmpty())
        return device;
    return device.isEmpty() ? hostName : hostName + u' ' + device;
}

QString MqttMessages::slug(const QString &name)
{
    QString result;
    bool gap = false;
    for (const QChar c : name.toLower()) {
        if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')) {
            if (gap && !result.isEmpty())
                result += u'-';
            result += c;
            gap = false;
        } else {
            gap = true;
        }
    }
    return result.isEmpty() ? QStringLiteral("unit") : result;
}

QString MqttMessages::defaultTopicPrefix(const QString &name)
{
    return QStringLiteral("orvel/") + slug(name);
}

QString MqttMessages::uniqueId(const QString &name)
{
    return QStringLiteral("orvel_") + slug(name).replace(u'-', u'_');
}

QString MqttMessages::isoTime(const QDateTime &time)
{
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QByteArray MqttMessages::statePayload(int sampleNumber, int small, int large, const QDateTime &time)
{
    // Written by hand to keep the fields in this order, which people read in the broker's tools.
    return QStringLiteral("{\"sample\": %1, \"small\": %2, \"large\": %3, \"time\": \"%4\"}")
        .arg(sampleNumber)
        .arg(small)
        .arg(large)
        .arg(isoTime(time))
        .toUtf8();
}

QString MqttMessages::discoveryTopic(const MqttIdentity &identity, const QString &channel)
{
    return DiscoveryPrefix + QStringLiteral("/sensor/") + uniqueId(identity.name) + u'_' + channel +
           QStringLiteral("/config");
}

QByteArray MqttMessages::discoveryPayload(const MqttIdentity &identity, const QString &channel)
{
    const QString id = uniqueId(identity.name);
    const bool small = channel == QStringLiteral("small");
    const QJsonObject device{
        {QStringLiteral("identifiers"), QJsonArray{id}},
        {QStringLiteral("name"), identity.name},
        {QStringLiteral("manufacturer"), QStringLiteral("Orvel")},
        {QStringLiteral("model"), identity.program},
        {QStringLiteral("sw_version"), identity.version},
    };
    const QJsonObject config{
        {QStringLiteral("name"),
         small ? QStringLiteral("Small particles") : QStringLiteral("Large particles")},
        {QStringLiteral("unique_id"), id + u'_' + channel},
        {QStringLiteral("state_topic"), stateTopic(identity.topicPrefix)},
        {QStringLiteral("value_template"), QStringLiteral("{{ value_json.%1 }}").arg(channel)},
        {QStringLiteral("unit_of_measurement"), Unit},
        {QStringLiteral("state_class"), QStringLiteral("measurement")},
        {QStringLiteral("availability_topic"), statusTopic(identity.topicPrefix)},
        {QStringLiteral("payload_available"), Online},
        {QStringLiteral("payload_not_available"), Offline},
        {QStringLiteral("device"), device},
    };
    return QJsonDocument(config).toJson(QJsonDocument::Compact);
}

} // namespace orvel
