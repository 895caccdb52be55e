// orvel-counter-simulator: a particle counter unit on a pseudo-terminal, for trying the logger
// without the hardware. Prints the device to open on its first line of output.

#include "countersimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

using orvel::CounterSimulator;

namespace {

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
