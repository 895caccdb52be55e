// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// Takes the README's screenshot of the main window during a recording: the counter-unit simulator
// on a pseudo-terminal as COM1, a couple of hours of readings, one minute apart, then a grab of
// the real window. Run it under a virtual X display (scripts/window-screenshot.sh).
//
//   window-screenshot [OUTPUT.png [WIDTHxHEIGHT|smallest]]

#include "acquisition/receivehandler.h"
#include "charting/sampleprocessor.h"
#include "common/clock.h"
#include "countersimulator.h"
#include "shell/applicationidentity.h"
#include "shell/mainwindow.h"
#include "shell/recordingcontroller.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <cmath>

using namespace orvel;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    ApplicationIdentity::apply();
    const QString output =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/recording.png");

    CounterSimulator unit;
    if (!unit.open()) {
        QTextStream(stderr) << "window-screenshot: " << unit.errorString() << '\n';
        return 1;
    }
    QTemporaryDir documents;
    FixedClock clock(QDateTime(QDate(2026, 12, 5), QTime(7, 50, 20)));
    ShellEnvironment environment;
    environment.clock = &clock;
    environment.portMap.setOverride(1, unit.devicePath());
    environment.documentsFolder = [&] { return documents.path(); };
    environment.locale = QLocale(QStringLiteral("en_US"));
    // Fresh settings, so the shot never depends on (or changes) the user's own.
    environment.configFolder = documents.filePath(QStringLiteral("config"));

    MainWindow window(environment);
    const QString size = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("1100x760");
    if (size == QLatin1String("smallest")) {
        window.resize(window.minimumSizeHint());
    } else {
        const QStringList sides = size.split(QLatin1Char('x'));
        if (sides.size() != 2 || sides[0].toInt() <= 0 || sides[1].toInt() <= 0) {
            QTextStream(stderr) << "window-screenshot: a size is WIDTHxHEIGHT or smallest\n";
            return 2;
        }
        window.resize(sides[0].toInt(), sides[1].toInt());
    }
    window.show();
    // One minute between readings, as the unit sends them.
    QObject::connect(&window.receiveHandler(), &ReceiveHandler::lineReceived, &window,
                     [&clock] { clock.advanceSecs(60); });
    window.DisplayPeriodComboBox()->setCurrentIndex(4); // 2 hours
    window.controller().LogToolbar_ButtonClick(QStringLiteral("Record"));
    // The readings go to a temporary folder, but the shot shows the path a user's default log
    // has: "OrveaLog.txt" in "Orvel Logs" in the documents folder.
    window.LogFileTextBox()->setText(
        QStringLiteral("/home/user/Documents/Orvel Logs/OrveaLog.txt"));

    constexpr int Readings = 100;
    QByteArray readings;
    for (int i = 0; i < Readings; ++i) {
        const int small = int(900 + 250 * std::sin(i / 9.0) + (i * 37) % 60);
        const int large = int(180 + 60 * std::sin(i / 13.0 + 1) + (i * 17) % 25);
        readings += QByteArray::number(small) + ',' + QByteArray::number(large) + "\r\n";
    }
    unit.sendRaw(readings);

    int exitCode = 1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (window.processor().SampleCount() < Readings)
            return;
        poll.stop();
        // Let the logging indicator and the chart settle before the grab.
        QTimer::singleShot(400, &app, [&] {
            QDir().mkpath(QFileInfo(output).absolutePath());
            const QPixmap shot = window.grab();
            exitCode = shot.save(output) ? 0 : 1;
            QTextStream(stdout) << output << '\n';
            app.quit();
        });
    });
    poll.start(50);
    QTimer::singleShot(20000, &app, [&] { app.quit(); });
    app.exec();
    return exitCode;
}
