// orvel-recorder: records a particle counter unit without a window (see man orvel-recorder).

#include "common/signalnotifier.h"
#include "recorder/recorderoptions.h"

#include <QCoreApplication>
#include <QTextStream>

#include <csignal>

using namespace orvel;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvel-recorder"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVEL_VERSION));

    RecorderOptions options;
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!options.parse(QCoreApplication::arguments())) {
        err << "orvel-recorder: " << options.error() << "\n\n" << options.usage();
        return RecorderOptions::ExitBadOptions;
    }
    if (options.helpRequested()) {
        out << options.usage();
        return RecorderOptions::ExitNormal;
    }
    if (options.versionRequested()) {
        out << "orvel-recorder " << ORVEL_VERSION << '\n';
        return RecorderOptions::ExitNormal;
    }

    SignalNotifier stopSignals({SIGTERM, SIGINT, SIGHUP});
    QObject::connect(&stopSignals, &SignalNotifier::signalled, &app,
                     [&app](int) { app.exit(RecorderOptions::ExitNormal); });

    out << "port: " << options.port() << "\nlog: " << options.logPath()
        << "\nstop after: " << options.stopAfter() << "\nname: " << options.name()
        << "\nmqtt: " << options.mqttBroker() << ' ' << options.mqttTopic()
        << "\ndemo: " << options.demo() << "\ndownload history: " << options.downloadHistory()
        << '\n';
    out.flush();
    return RecorderOptions::ExitNormal;
}
