// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "recorder/recorderoptions.h"

#include "mqtt/mqttmessages.h"

#include <QCommandLineParser>
#include <QDir>
#include <QRegularExpression>

namespace orvel {

bool RecorderOptions::fail(const QString &message)
{
    m_error = message;
    return false;
}

bool RecorderOptions::parse(const QStringList &arguments)
{
    *this = RecorderOptions();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Records the readings of a particle counter unit into a log, without a "
                       "window,\nand optionally publishes them to an MQTT broker."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show these options."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the version."));
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("The unit's serial device (/dev/ttyUSB0, /dev/serial/by-id/...) or a port "
                       "number COM1 to COM16 of the port map."),
        QStringLiteral("DEVICE|COMn"));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("The log file the readings are appended to."),
                                 QStringLiteral("PATH"));
    const QCommandLineOption stopAfter(
        QStringLiteral("stop-after"),
        QStringLiteral("End the recording after N samples (0: run until stopped)."),
        QStringLiteral("N"));
    const QCommandLineOption name(
        QStringLiteral("name"),
        QStringLiteral("The unit's name in dashboards (default: host name and port)."),
        QStringLiteral("NAME"));
    const QCommandLineOption mqtt(QStringLiteral("mqtt"),
                                  QStringLiteral("Publish every reading to this MQTT broker."),
                                  QStringLiteral("mqtt://HOST[:PORT]"));
    const QCommandLineOption mqttTopic(
        QStringLiteral("mqtt-topic"),
        QStringLiteral("The topic prefix (default: orvel/ and the name in lower case)."),
        QStringLiteral("PREFIX"));
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Record simulated readings, one every 6 seconds, instead of a unit."));
    const QCommandLineOption downloadHistory(
        QStringLiteral("download-history"),
        QStringLiteral("Fetch the history stored in the unit, append it to the log and exit."));
    parser.addOptions(
        {help, version, port, log, stopAfter, name, mqtt, mqttTopic, demo, downloadHistory});
    m_usage = parser.helpText();

    if (!parser.parse(arguments))
        return fail(parser.errorText());
    m_help = parser.isSet(help);
    m_version = parser.isSet(version);
    if (m_help || m_version)
        return true;
    if (!parser.positionalArguments().isEmpty())
        return fail(
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first()));
    for (const QCommandLineOption &each : {port, log, stopAfter, name, mqtt, mqttTopic}) {
        if (parser.values(each).size() > 1)
            return fail(QStringLiteral("--%1 is given more than once").arg(each.names().first()));
    }

    m_demo = parser.isSet(demo);
    m_downloadHistory = parser.isSet(downloadHistory);
    if (m_demo && m_downloadHistory)
        return fail(QStringLiteral("--demo and --download-history exclude each other"));

    m_port = parser.value(port).trimmed();
    static const QRegularExpression comPort(QStringLiteral("^COM([1-9][0-9]?)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = comPort.match(m_port);
    if (m_port.isEmpty()) {
        if (!m_demo)
            return fail(QStringLiteral("--port is missing"));
    } else if (match.hasMatch()) {
        m_portNumber = match.captured(1).toInt();
        if (m_portNumber > 16)
            return fail(QStringLiteral("--port takes COM1 to COM16, not %1").arg(m_port));
        m_port = QStringLiteral("COM%1").arg(m_portNumber);
    } else if (!QDir::isAbsolutePath(m_port)) {
        return fail(QStringLiteral("--port takes an absolute device path or COM1 to COM16, "
                                   "not \"%1\"")
                        .arg(m_port));
    }

    m_logPath = parser.value(log);
    if (m_logPath.trimmed().isEmpty())
        return fail(QStringLiteral("--log is missing"));

    if (parser.isSet(stopAfter)) {
        bool ok = false;
        m_stopAfter = parser.value(stopAfter).toInt(&ok);
        if (!ok || m_stopAfter < 0)
            return fail(QStringLiteral("--stop-after needs a whole number of 0 or more, not "
                                       "\"%1\"")
                            .arg(parser.value(stopAfter)));
        if (m_downloadHistory)
            return fail(QStringLiteral("--stop-after does not go with --download-history"));
    }

    m_name = parser.value(name).trimmed();
    if (parser.isSet(name) && m_name.isEmpty())
        return fail(QStringLiteral("--name is empty"));
    m_mqttBroker = parser.value(mqtt).trimmed();
    m_mqttTopic = parser.value(mqttTopic).trimmed();
    if (parser.isSet(mqtt)) {
        QString problem;
        if (!MqttMessages::parseBrokerUrl(m_mqttBroker, &problem))
            return fail(QStringLiteral("--mqtt: ") + problem);
    } else if (parser.isSet(mqttTopic)) {
        return fail(QStringLiteral("--mqtt-topic needs --mqtt"));
    }
    return true;
}

} // namespace orvel
