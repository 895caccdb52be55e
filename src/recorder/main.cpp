// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// orvel-recorder: records a particle counter unit without a window (see man orvel-recorder).

#include "common/clock.h"
#include "common/signalnotifier.h"
#include "recorder/recorder.h"
#include "recorder/recorderoptions.h"

#include <QCoreApplication>
#include <QTextStream>

#include <csignal>

using namespace orvel;

int main(int argc, char *argv[])
{
    // A file-size limit reached while logging must be a write error the log writer reports,
    // not a signal that ends the program and the recording with it.
    std::signal(SIGXFSZ, SIG_IGN);
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

    Recorder recorder(options, Clock::system());
    SignalNotifier stopSignals({SIGTERM, SIGINT, SIGHUP});
    QObject::connect(&stopSignals, &SignalNotifier::signalled, &recorder, &Recorder::stop);
    QObject::connect(&recorder, &Recorder::finished, &app, &QCoreApplication::exit);
    if (!recorder.start())
        return recorder.exitCode();
    return app.exec();
}
