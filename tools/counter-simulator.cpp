// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// orvel-counter-simulator: a particle counter unit on a pseudo-terminal, for trying the logger
// without the hardware. Prints the device to open on its first line of output.

#include "countersimulator.h"
#include "settings/portoverrides.h"
#include "settings/regobject.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

using orvel::CounterSimulator;
using orvel::PortOverrides;
using orvel::RegObject;

namespace {

int signalPipe[2] = {-1, -1};

void quitOnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
}

/// Ctrl+C and a plain kill end the event loop instead of the process, so that a registered port
/// is given back on the way out.
void quitEventLoopOnSignals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(signalPipe[1], &byte, 1);
        QCoreApplication::exit(130);
    });
    struct sigaction action = {};
    action.sa_handler = quitOnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

/// Offers the simulator's terminal as a port of the logger for as long as the simulator runs,
/// then puts back what the settings held before.
class PortRegistration
{
public:
    PortRegistration(int portNumber, const QString &devicePath)
        : m_portNumber(portNumber)
        , m_devicePath(devicePath)
    {
        m_previous = PortOverrides::device(m_store, portNumber);
        m_registered = PortOverrides::write(m_store, portNumber, devicePath);
    }
    ~PortRegistration()
    {
        // Only while the override is still ours: a later simulator may have taken the port.
        if (m_registered && PortOverrides::device(m_store, m_portNumber) == m_devicePath)
            PortOverrides::write(m_store, m_portNumber, m_previous);
    }
    bool registered() const { return m_registered; }
    QString errorString() const { return m_store.LastError(); }

private:
    RegObject m_store;
    int m_portNumber;
    QString m_devicePath;
    QString m_previous;
    bool m_registered = false;
};

int parseNumber(const QCommandLineParser &parser, const QString &option, int minimum, bool &ok)
{
    const int value = parser.value(option).toInt(&ok);
    ok = ok && value >= minimum;
    if (!ok) {
        QTextStream(stderr) << "orvel-counter-simulator: --" << option
                            << " needs a whole number of " << minimum << " or more, not \""
                            << parser.value(option) << "\"\n";
    }
    return value;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvel-counter-simulator"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulates the two-channel particle counter unit on a pseudo-terminal.\n"
                       "Prints the device path first; open it as a port in the logger.\n"
                       "Answers the history request (\"D\" CR) at any time."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("interval"),
         QStringLiteral("Milliseconds between readings; 0 sends as fast as the port reads."),
         QStringLiteral("ms"), QStringLiteral("60000")},
        {QStringLiteral("count"),
         QStringLiteral("Readings to send before exiting; 0 runs until interrupted."),
         QStringLiteral("n"), QStringLiteral("0")},
        {QStringLiteral("file"),
         QStringLiteral("Send the lines of this file (with CR LF) instead of generated readings."),
         QStringLiteral("path")},
        {QStringLiteral("garbage"),
         QStringLiteral("Send noise without line ends instead of readings (a wrong baud rate).")},
        {QStringLiteral("split"),
         QStringLiteral("Send every line in two writes, so it arrives in two pieces.")},
        {QStringLiteral("history-records"),
         QStringLiteral("Stored readings listed in the answer to \"D\" CR."), QStringLiteral("n"),
         QStringLiteral("3")},
        {QStringLiteral("register-port"),
         QStringLiteral("Offer the terminal to the logger as port COM<n> (1-16) in the logger's "
                        "settings while running; the setting is removed again on exit."),
         QStringLiteral("n")},
    });
    parser.process(app);

    bool ok = false;
    const int interval = parseNumber(parser, QStringLiteral("interval"), 0, ok);
    if (!ok)
        return 2;
    const int count = parseNumber(parser, QStringLiteral("count"), 0, ok);
    if (!ok)
        return 2;
    const int historyRecords = parseNumber(parser, QStringLiteral("history-records"), 0, ok);
    if (!ok)
        return 2;
    int registerPort = 0;
    if (parser.isSet(QStringLiteral("register-port"))) {
        registerPort = parseNumber(parser, QStringLiteral("register-port"), 1, ok);
        if (!ok)
            return 2;
        if (registerPort > 16) {
            QTextStream(stderr) << "orvel-counter-simulator: --register-port takes 1 to 16, not "
                                << registerPort << '\n';
            return 2;
        }
    }

    CounterSimulator simulator;
    if (parser.isSet(QStringLiteral("file")) &&
        !simulator.loadStreamFile(parser.value(QStringLiteral("file")))) {
        QTextStream(stderr) << "orvel-counter-simulator: " << simulator.errorString() << '\n';
        return 1;
    }
    QList<CounterSimulator::Record> records;
    for (int i = 0; i < historyRecords; ++i)
        records.append({1000 + 7 * i, 200 + 3 * i});
    simulator.setHistoryRecords(records);
    simulator.setStreamGarbage(parser.isSet(QStringLiteral("garbage")));
    simulator.setStreamSplit(parser.isSet(QStringLiteral("split")));

    if (!simulator.open()) {
        QTextStream(stderr) << "orvel-counter-simulator: " << simulator.errorString() << '\n';
        return 1;
    }
    QTextStream out(stdout);
    out << simulator.devicePath() << Qt::endl;

    quitEventLoopOnSignals(app);
    std::optional<PortRegistration> registration;
    if (registerPort > 0) {
        registration.emplace(registerPort, simulator.devicePath());
        if (!registration->registered()) {
            QTextStream(stderr) << "orvel-counter-simulator: cannot register COM" << registerPort
                                << ": " << registration->errorString() << '\n';
            return 1;
        }
        out << "registered as COM" << registerPort << " until this simulator exits" << Qt::endl;
    }

    QObject::connect(&simulator, &CounterSimulator::historyRequested, &app,
                     [&out] { out << "history requested" << Qt::endl; });
    QObject::connect(&simulator, &CounterSimulator::failed, &app, [&simulator] {
        QTextStream(stderr) << "orvel-counter-simulator: " << simulator.errorString() << '\n';
        QCoreApplication::exit(1);
    });

    // Once everything is sent, stay until the logger has read it: closing the terminal any
    // earlier would throw the unread rest away.
    QTimer readCheck;
    readCheck.setInterval(50);
    QObject::connect(&readCheck, &QTimer::timeout, &app, [&simulator, &out] {
        if (simulator.unreadBytes() == 0) {
            out << simulator.itemsStreamed() << " items sent" << Qt::endl;
            QCoreApplication::quit();
        }
    });
    QObject::connect(&simulator, &CounterSimulator::streamFinished, &readCheck,
                     qOverload<>(&QTimer::start));

    simulator.startStream(interval, count);
    return app.exec();
}
