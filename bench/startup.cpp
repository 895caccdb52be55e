// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// startup: time from process start to the main window shown and idle (offscreen), with an empty
// settings store and with a full one (every preference as a closed window leaves them, and a
// port override pointing at a live pseudo-terminal), and the part of it spent probing the ports.
//
// The parent starts this program again as a child for each run and times it from the start of
// the child process until the child reports that its window is shown and its event queue empty.
// The child also reports the time from main() to idle and the time one port probe takes.

#include "acquisition/portdiscovery.h"
#include "acquisition/serialport.h"
#include "countersimulator.h"
#include "shell/mainwindow.h"
#include "settings/portoverrides.h"
#include "settings/regobject.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <vector>

using namespace orvel;

namespace {

constexpr int Runs = 9;

struct Figures
{
    double wall = 0;   ///< process start to idle, as the parent sees it
    double inMain = 0; ///< main() to idle
    double probe = 0;  ///< one port probe with the window's port map
};

/// The child: builds and shows the window, then reports once the event loop has nothing left.
/// With `close`, it closes the window instead, which stores every preference.
int runChild(int argc, char *argv[], const QString &configFolder, const QString &documents,
             bool close)
{
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication app(argc, argv);

    ShellEnvironment environment;
    environment.configFolder = configFolder;
    environment.documentsFolder = [documents] { return documents; };
    MainWindow window(environment);
    window.show();
    QTimer::singleShot(0, &window, [&] {
        const double inMain = double(sinceMain.nsecsElapsed()) / 1e6;
        QElapsedTimer probeTimer;
        probeTimer.start();
        PortDiscovery(window.serialPort()).probe();
        const double probe = double(probeTimer.nsecsElapsed()) / 1e6;
        QTextStream(stdout) << "idle " << inMain << ' ' << probe << Qt::endl;
        if (close)
            window.close();
        QCoreApplication::quit();
    });
    return app.exec();
}

bool runOnce(const QString &configFolder, const QString &documents, bool close, Figures *figures)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    QStringList arguments{QStringLiteral("--child"), configFolder, documents};
    if (close)
        arguments.append(QStringLiteral("--close"));
    QElapsedTimer wall;
    wall.start();
    child.start(QCoreApplication::applicationFilePath(), arguments);
    QByteArray output;
    // The parent has no window and nothing else to do: blocking on the child is the measurement.
    while (!output.contains('\n') && child.waitForReadyRead(30000))
        output += child.readAllStandardOutput();
    figures->wall = double(wall.nsecsElapsed()) / 1e6;
    child.waitForFinished(30000);
    const QList<QByteArray> fields = output.trimmed().split(' ');
    if (fields.size() != 3 || fields.at(0) != "idle") {
        QTextStream(stderr) << "startup: the child failed: " << output
                            << child.readAllStandardError() << '\n';
        return false;
    }
    figures->inMain = fields.at(1).toDouble();
    figures->probe = fields.at(2).toDouble();
    return true;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool measure(QTextStream &out, const QString &title, const QString &configFolder,
             const QString &documents)
{
    std::vector<double> wall, inMain, probe;
    for (int run = 0; run < Runs; ++run) {
        Figures figures;
        if (!runOnce(configFolder, documents, false, &figures))
            return false;
        wall.push_back(figures.wall);
        inMain.push_back(figures.inMain);
        probe.push_back(figures.probe);
    }
    out << title << ": process start to shown and idle: median "
        << QString::number(median(wall), 'f', 1) << " ms (min "
        << QString::number(*std::min_element(wall.begin(), wall.end()), 'f', 1) << ", max "
        << QString::number(*std::max_element(wall.begin(), wall.end()), 'f', 1)
        << "); main() to idle " << QString::number(median(inMain), 'f', 1) << " ms; port probe "
        << QString::number(median(probe), 'f', 1) << " ms; " << Runs << " runs" << Qt::endl;
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 4 && QByteArray(argv[1]) == "--child") {
        const bool close = argc >= 5 && QByteArray(argv[4]) == "--close";
        return runChild(argc, argv, QString::fromLocal8Bit(argv[2]),
                        QString::fromLocal8Bit(argv[3]), close);
    }

    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString documents = dir.filePath(QStringLiteral("documents"));

    const QString empty = dir.filePath(QStringLiteral("empty"));
    if (!measure(out, QStringLiteral("empty settings store"), empty, documents))
        return 1;

    // A full store: what a closed window leaves behind, and the simulator offered as COM1.
    const QString full = dir.filePath(QStringLiteral("full"));
    CounterSimulator simulator;
    if (!simulator.open())
        return 1;
    RegObject store(full);
    if (!PortOverrides::write(store, 1, simulator.devicePath()))
        return 1;
    Figures unused;
    if (!runOnce(full, documents, true, &unused))
        return 1;
    const QStringList names = store.RegValueNames(RegObject::CurrentUser,
                                                  QStringLiteral("SOFTWARE\\Orvel\\Orvel Logger"));
    if (!measure(out,
                 QStringLiteral("full settings store (") + QString::number(names.size()) +
                     QStringLiteral(" values, COM1 overridden)"),
                 full, documents))
        return 1;
    return 0;
}
