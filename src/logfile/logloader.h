// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "logfile/logreader.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>
#include <vector>

namespace orvel {

class LoadedSampleSink;

/// Loads the samples of a log's first recording into the sample processor (`LoadGraphFromLog`'s
/// reading loop) in slices of a few milliseconds run from the event loop, so the window stays
/// responsive however long the log; nothing runs on another thread.
///
/// start() resets the processor; every row read is counted and added to the statistics, and the
/// store keeps the latest `MaxStoredSamples`. To stay fast on logs of millions of rows, rows are
/// kept here in a ring as compact values until they are known to stay in the store; older rows
/// reach the processor without a time stamp, since they roll off the store anyway. So until
/// finished() the processor lags behind rowsRead(); once finished() is emitted it holds every row
/// read, also when a bad row stopped the load. The loader never draws; the caller does.
class LogLoader : public QObject
{
    Q_OBJECT
public:
    /// Length of one slice of work before pending events run.
    static constexpr int SliceMs = 12;

    explicit LogLoader(LoadedSampleSink &samples, QObject *parent = nullptr);
    ~LogLoader() override;

    /// Resets the processor and starts reading `content` (the log file's bytes) from the next
    /// turn of the event loop. A load still running is abandoned first.
    void start(QByteArray content, const LocaleFormats &formats);
    /// Runs the whole load at once, without returning to the event loop (benchmarks, tools).
    /// Emits the same signals as start().
    void runToEnd(QByteArray content, const LocaleFormats &formats);
    /// Stops a running load; the rows read so far are handed to the processor, finished() is not
    /// emitted.
    void cancel();

    bool isRunning() const { return m_reader != nullptr; }
    /// Sample rows read so far.
    qint32 rowsRead() const { return m_rowsRead; }

Q_SIGNALS:
    /// After each slice: rows read so far, and how far through the content the reading is.
    void progress(qint32 rowsRead, qint64 bytesRead, qint64 totalBytes);
    /// The load has ended: `error` is empty when the content was read to its end or to the first
    /// summary, else the description of the bad row that stopped it (with its line number).
    void finished(const QString &error);

private:
    struct PendingRow
    {
        qint32 small;
        qint32 large;
        LogTimestamp stamp;
    };

    void begin(QByteArray content, const LocaleFormats &formats);
    /// Reads rows until `deadline` ms have passed (or to the end with -1); true when done.
    bool readSlice(qint64 deadline);
    void runSlice();
    void flush();
    void end(const QString &error);

    LoadedSampleSink &m_samples;
    std::unique_ptr<LogReader> m_reader;
    std::vector<PendingRow> m_ring;
    std::size_t m_ringHead = 0;
    qint32 m_rowsRead = 0;
    QString m_error;
    QTimer m_sliceTimer;
};

} // namespace orvel
