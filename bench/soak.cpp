// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// Soak run: the simulator sends 1,000,000 count lines through a real pseudo-terminal as fast as
// it carries them, into the whole recording pipeline (port, receive buffer, parse, store, the
// one-week chart window following, log writer with its syncs). Afterwards the log must hold
// exactly the header, every row in order and one summary, compared byte for byte with what the
// sent lines should give; the resident memory is printed every 20,000 samples and must stay flat
// after the first 20,000. Exit status 0 only when both hold. Usage: soak [lines]

#include "acquisition/countstoken.h"
#include "acquisition/portmap.h"
#include "acquisition/receivehandler.h"
#include "acquisition/serialport.h"
#include "charting/chartdatamodel.h"
#include "common/runningstatistics.h"
#include "charting/sampleprocessor.h"
#include "charting/slidermodel.h"
#include "common/clock.h"
#include "common/localeformats.h"
#include "common/notifier.h"
#include "countersimulator.h"
#include "logfile/logwriter.h"

#include "processstatus.h"
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace orvel;
using orvel::bench::residentKiB;
using orvel::bench::statusKiB;

namespace {

constexpr int Batch = 10000;
// Growth allowed between 20,000 samples and the end: allocator noise, not a leak.
constexpr long FlatSlackKiB = 2048;

qint32 smallOf(int i)
{
    return (i * 7919) % 100000;
}
qint32 largeOf(int i)
{
    return (i * 104729) % 5000;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int lines = argc > 1 ? QByteArray(argv[1]).toInt() : 1000000;
    if (lines < Batch) {
        std::fprintf(stderr, "soak: at least %d lines\n", Batch);
        return 2;
    }

    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("soak.txt"));
    const LocaleFormats formats(QLocale(QLocale::English, QLocale::UnitedStates));
    const QDateTime stamp(QDate(2026, 12, 5), QTime(7, 50, 20));
    FixedClock clock(stamp);
    RecordingNotifier notifier;
    LogWriter log(notifier);
    ChartDataModel chart;
    SliderModel slider;
    SampleProcessor processor(chart, slider, log, notifier, clock, formats);

    CounterSimulator simulator;
    if (!simulator.open()) {
        std::fprintf(stderr, "soak: %s\n", qPrintable(simulator.errorString()));
        return 2;
    }
    PortMap map;
    map.setOverride(1, simulator.devicePath());
    SerialPort port(map);
    ReceiveHandler handler(&port, notifier);

    log.open(logPath);
    processor.ProcessSample(SampleReset);
    processor.handleDisplayPeriodChanged(10080);
    processor.setIsRecording(true);
    port.setCommPort(1);
    port.setInputMode(SerialPort::InputMode::Text);
    port.setRThreshold(0);
    port.setPortOpen(true);
    port.setInBufferCount(0);
    port.setRThreshold(1);

    // What the log should hold, hashed as it is produced so the check needs no second copy.
    QCryptographicHash expected(QCryptographicHash::Sha256);
    expected.addData(QByteArrayView("Small\tLarge\tDate/Time\r\n"));
    RunningStatistics statistics;
    int queued = 0;
    auto queueBatch = [&] {
        QByteArray bytes;
        for (int end = std::min(queued + Batch, lines); queued < end; ++queued) {
            const QByteArray line = QByteArray::number(smallOf(queued)) + ',' +
                                    QByteArray::number(largeOf(queued)) + "\r\n";
            bytes += line;
            qint32 small = 0, large = 0, multiplier = 0;
            expected.addData(ParseCountsToken(QString::fromLatin1(line), small, large, stamp,
                                              multiplier, formats)
                                 .toUtf8());
            statistics.UpdateStatistics(small, large);
        }
        simulator.sendRaw(bytes);
    };

    QElapsedTimer timer;
    long residentAt20k = 0;
    long residentMax = 0;
    int received = 0;
    QObject::connect(&handler, &ReceiveHandler::lineReceived, &app, [&](const QString &line) {
        processor.ProcessSample(SampleNewLine, line);
        ++received;
        // Keep about two batches in flight: the terminal stays busy, the queue stays small.
        if (received % Batch == 0 && queued < lines)
            queueBatch();
        if (received % 20000 == 0) {
            const long resident = residentKiB();
            if (received == 20000)
                residentAt20k = resident;
            residentMax = std::max(residentMax, resident);
            std::printf("%8d samples  %7.0f lines/s  resident %ld KiB\n", received,
                        received / (timer.nsecsElapsed() / 1e9), resident);
            std::fflush(stdout);
        }
        if (received == lines)
            app.quit();
    });

    timer.start();
    queueBatch();
    queueBatch();
    app.exec();
    const double seconds = timer.nsecsElapsed() / 1e9;

    port.setPortOpen(false);
    log.WriteSummary(processor.SampleCount(), processor.statistics(), formats);
    log.close();

    // The summary the sent values should give, written the same way into a file of its own.
    const QString summaryPath = dir.filePath(QStringLiteral("summary.txt"));
    {
        RecordingNotifier quiet;
        LogWriter summary(quiet);
        summary.open(summaryPath);
        summary.WriteSummary(lines, statistics, formats);
    }
    QFile summaryFile(summaryPath);
    if (!summaryFile.open(QIODevice::ReadOnly))
        return 2;
    expected.addData(summaryFile.readAll());

    QFile logFile(logPath);
    if (!logFile.open(QIODevice::ReadOnly))
        return 2;
    QCryptographicHash actual(QCryptographicHash::Sha256);
    actual.addData(&logFile);
    const bool same = actual.result() == expected.result();
    const bool flat = residentMax - residentAt20k <= FlatSlackKiB;

    std::printf("\n%d lines in %.1f s (%.0f lines/s), log %lld bytes\n", received, seconds,
                received / seconds, logFile.size());
    std::printf("log %s: header, %d rows in order and one summary\n",
                same ? "verified byte for byte" : "DIFFERS from what was sent", lines);
    std::printf("resident after 20,000 samples %ld KiB, highest after %ld KiB: %s (+%ld KiB)\n",
                residentAt20k, residentMax, flat ? "flat" : "GROWING", residentMax - residentAt20k);
    std::printf("messages to the user: %lld\n", qint64(notifier.messages.size()));
    for (const QString &message : std::as_const(notifier.messages))
        std::printf("  %s\n", qPrintable(message));
    return same && flat && notifier.messages.isEmpty() && received == lines ? 0 : 1;
}
