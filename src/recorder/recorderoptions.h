// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QString>
#include <QStringList>

namespace orvel {

/// The command line of orvel-recorder:
///
///     orvel-recorder --port DEVICE|COMn --log PATH [--stop-after N] [--name NAME]
///                    [--mqtt mqtt://HOST[:PORT]] [--mqtt-topic PREFIX] [--demo]
///                    [--download-history]
///
/// `parse()` checks everything that can be checked without opening anything; what it finds
/// wrong is one line in `error()`, and the program then prints it with `usage()` and exits with
/// `ExitBadOptions`.
class RecorderOptions
{
public:
    /// The exit statuses of orvel-recorder.
    static constexpr int ExitNormal = 0;      ///< Stopped by a signal, --stop-after, or done.
    static constexpr int ExitStartFailed = 1; ///< The recording (or download) cannot start.
    static constexpr int ExitBadOptions = 2;  ///< The command line is wrong.

    /// Parses `arguments`, the program's name first. False with `error()` set when they are
    /// wrong; true also for --help and --version, which `helpRequested()` and
    /// `versionRequested()` then tell.
    bool parse(const QStringList &arguments);

    QString error() const { return m_error; }
    /// The usage text (also the text of --help).
    QString usage() const { return m_usage; }
    bool helpRequested() const { return m_help; }
    bool versionRequested() const { return m_version; }

    /// The device path, or "COMn" (1-16) to be resolved through the port map; empty only with
    /// --demo.
    QString port() const { return m_port; }
    /// The port number of "COMn", or 0 for a device path.
    int portNumber() const { return m_portNumber; }
    QString logPath() const { return m_logPath; }
    /// Samples after which the recording ends; 0 runs until a signal ends it.
    int stopAfter() const { return m_stopAfter; }
    /// The unit's name in MQTT dashboards; empty: the host name and the port.
    QString name() const { return m_name; }
    /// "mqtt://HOST[:PORT]", or empty for no publishing.
    QString mqttBroker() const { return m_mqttBroker; }
    QString mqttTopic() const { return m_mqttTopic; }
    bool demo() const { return m_demo; }
    bool downloadHistory() const { return m_downloadHistory; }

private:
    bool fail(const QString &message);

    QString m_error;
    QString m_usage;
    bool m_help = false;
    bool m_version = false;
    QString m_port;
    int m_portNumber = 0;
    QString m_logPath;
    int m_stopAfter = 0;
    QString m_name;
    QString m_mqttBroker;
    QString m_mqttTopic;
    bool m_demo = false;
    bool m_downloadHistory = false;
};

} // namespace orvel
