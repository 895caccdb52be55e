// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// portprobe: how long the start-up port probe (COM1-COM16) takes. Three layouts: the default
// device names on this machine, sixteen ports that do not exist, and sixteen free
// pseudo-terminals (every port opens and closes).

#include "acquisition/portdiscovery.h"
#include "acquisition/serialport.h"
#include "countersimulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>
#include <memory>
#include <vector>

using namespace orvel;

namespace {

constexpr int Runs = 25;

void measure(QTextStream &out, const QString &title, const PortMap &map)
{
    SerialPort port(map);
    std::vector<double> millis;
    QList<PortEntry> entries;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        entries = PortDiscovery(port).probe();
        millis.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(millis.begin(), millis.end());
    QStringList texts;
    for (const PortEntry &entry : entries)
        texts.append(entry.text);
    out << title << ": median " << QString::number(millis[millis.size() / 2], 'f', 3) << " ms, min "
        << QString::number(millis.front(), 'f', 3) << " ms, max "
        << QString::number(millis.back(), 'f', 3) << " ms over " << Runs << " probes; "
        << entries.size() << " listed"
        << (texts.isEmpty() ? QString() : QStringLiteral(": ") + texts.join(u", ")) << Qt::endl;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);

    measure(out, QStringLiteral("default devices on this machine"), PortMap());

    PortMap absent;
    absent.setDeviceRoot(QStringLiteral("/nonexistent-orvel-bench/dev"));
    measure(out, QStringLiteral("16 absent devices"), absent);

    std::vector<std::unique_ptr<CounterSimulator>> simulators;
    PortMap terminals;
    for (int n = PortMap::FirstPort; n <= PortMap::LastPort; ++n) {
        auto simulator = std::make_unique<CounterSimulator>();
        if (!simulator->open()) {
            out << "pseudo-terminals: " << simulator->errorString() << Qt::endl;
            return 1;
        }
        terminals.setOverride(n, simulator->devicePath());
        simulators.push_back(std::move(simulator));
    }
    measure(out, QStringLiteral("16 free pseudo-terminals"), terminals);
    return 0;
}
