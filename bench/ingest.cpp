// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// Pushes 100,000 count lines through the whole pipeline (line assembly, parse, time stamp, store,
// one-week chart window scrolling, log write + sync, and optionally the log pane) and prints the
// rate, the ratio to what a 9600-baud line can deliver, and the memory as it goes.

#include "acquisition/lineassembler.h"
#include "charting/chartdatamodel.h"
#include "charting/sampleprocessor.h"
#include "charting/slidermodel.h"
#include "common/clock.h"
#include "common/notifier.h"
#include "logfile/logwriter.h"
#include "widgets/logpaneview.h"

#include "processstatus.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace orvel;
using orvel::bench::residentKiB;
using orvel::bench::statusKiB;

namespace {

constexpr int Lines = 100000;
// 9600 baud, 10 bits a character, about 11 characters a line.
constexpr double LineLimitPerSecond = 9600.0 / 10.0 / 11.0;

/// One sample a minute from 5 December 2026 07:50:20, computed before the timing starts so the
/// benchmark measures the pipeline, not its own clock.
class MinuteClock : public Clock
{
public:
    explicit MinuteClock(int count)
    {
        const QDateTime start(QDate(2026, 12, 5), QTime(7, 50, 20));
        m_times.reserve(count + 1);
        for (int i = 0; i <= count; ++i)
            m_times.append(start.addSecs(60 * qint64(i)));
    }
    QDateTime now() const override { return m_times[m_index]; }
    void advance() { m_index = std::min(m_index + 1, int(m_times.size()) - 1); }

private:
    QList<QDateTime> m_times;
    int m_index = 0;
};

double run(const char *name, LogPaneView *pane)
{
    QTemporaryDir dir;
    RecordingNotifier notifier;
    MinuteClock clock(Lines);
    LogWriter log(notifier);
    ChartDataModel chart;
    SliderModel slider;
    SampleProcessor processor(chart, slider, log, notifier, clock, LocaleFormats(QLocale::c()));
    log.setPane(pane);
    log.open(dir.filePath(QStringLiteral("bench.txt")));
    processor.ProcessSample(SampleReset);
    processor.handleDisplayPeriodChanged(10080);
    processor.setIsRecording(true);

    QStringList chunks;
    chunks.reserve(Lines);
    for (int i = 0; i < Lines; ++i)
        chunks.append(QStringLiteral("%1,%2\r\n").arg(i % 997).arg(i % 89));

    LineAssembler assembler;
    std::printf("%s:\n", name);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < Lines; ++i) {
        for (const QString &line : assembler.append(chunks[i]).lines)
            processor.ProcessSample(SampleNewLine, line);
        clock.advance();
        if ((i + 1) % 20000 == 0) {
            std::printf("  %6d samples  %8.0f samples/s  resident %ld KiB\n", i + 1,
                        (i + 1) / (timer.nsecsElapsed() / 1e9), residentKiB());
        }
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    log.close();
    const double rate = Lines / seconds;
    std::printf("  total %.2f s, %.0f samples/s, %.0f x the 9600-baud line (%.1f lines/s)\n",
                seconds, rate, rate / LineLimitPerSecond, LineLimitPerSecond);
    if (processor.SampleCount() != Lines || !notifier.messages.isEmpty())
        std::printf("  WRONG: %d samples, %lld messages\n", processor.SampleCount(),
                    qint64(notifier.messages.size()));
    return rate;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    // "core" or "pane" runs one half only, for profiling.
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const double core = only == QStringLiteral("pane") ? 0 : run("core (no pane)", nullptr);
    LogPaneView pane;
    pane.resize(800, 400);
    pane.show();
    const double withPane = only == QStringLiteral("core") ? 0 : run("with the log pane", &pane);
    std::printf("\ncore %.0f samples/s (target 100000), with pane %.0f samples/s (target 10000)\n",
                core, withPane);
    return 0;
}
