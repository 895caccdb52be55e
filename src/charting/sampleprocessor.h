// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "charting/chartwindow.h"
#include "charting/sampleflags.h"
#include "charting/samplestore.h"
#include "common/localeformats.h"
#include "common/runningstatistics.h"
#include "logfile/loadedsamplesink.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <optional>

namespace orvel {

class ChartDataModel;
class Clock;
class LogSink;
class Notifier;
class SliderModel;

/// Every change to the samples on screen: new readings from the unit or the demonstration, resets,
/// and the view changes of the display period and the slider, all through ProcessSample().
///
/// A new reading is parsed first; a line that is not a reading changes nothing (counter, store,
/// statistics, chart, log) and is reported once through the Notifier, which does not block. A good
/// one is numbered, time-stamped, shown in the count texts, logged through the LogWriter, added to
/// the statistics and the store, and drawn; the chart, slider and counter text follow. When a
/// running recording reaches its stop-after limit, stopLimitReached() asks the shell to stop it.
///
/// Sample numbers are 32-bit throughout, so a recording can run for years at one sample a minute.
/// UI thread only; requests never nest (see ProcessSample()).
class SampleProcessor : public QObject, public LoadedSampleSink
{
    Q_OBJECT
public:
    /// The collaborators stay owned by the caller and must outlive the processor.
    SampleProcessor(ChartDataModel &chart, SliderModel &slider, LogSink &log, Notifier &notifier,
                    const Clock &clock, LocaleFormats formats, QObject *parent = nullptr);

    /// Runs one request. `countsLine` is the reading with its line end (SampleNewLine);
    /// `startSample` > 0 asks for the window starting at that sample (slider); `periodRows` > 0
    /// for that many chart rows (display period). A request made while another one runs (from a
    /// slot of one of this object's or the chart's signals) is queued and runs as soon as the
    /// running one has finished, before the outermost call returns; nothing waits or nests.
    void ProcessSample(SampleFlags flags, const QString &countsLine = QString(),
                       qint32 startSample = 0, qint32 periodRows = 0);

    /// The display period list changed: `periodRows` is the chosen entry's row count, or nullopt
    /// when the list has no selection, which makes the next choice redraw every row.
    void handleDisplayPeriodChanged(std::optional<qint32> periodRows);
    /// The user moved the slider to SliderModel::value(): shows the sample and date the window
    /// will start at beside the thumb and moves the window there.
    void handleSliderMoved();
    /// Brings the slider's range, position, ticks and enabled state up to date.
    void UpdateSlider();

    /// Sample-number arithmetic of the store; see StoreIndexKind.
    qint32 StoreIndex(StoreIndexKind kind, bool afterPending = false, qint32 rows = 0) const;
    /// The chart's row label of a sample taken at `time` (with the date on request or at the
    /// first minute of a day).
    QString FormatSampleTime(const QDateTime &time, bool withDate) const;

    /// Adds one sample read back from a log (or made up as test data) without drawing it: counts
    /// it, stores it (rolling the oldest off when full) and adds it to the statistics. A request
    /// with SampleRefresh or a redraw shows the result.
    void addLoadedSample(qint32 small, qint32 large, const QDateTime &time) override;
    /// Resets the samples (a SampleReset request) before a load.
    void clearSamples() override;
    qint32 keptSamples() const override { return SampleStore::MaxStoredSamples; }

    qint32 SampleCount() const { return m_sampleCount; }
    bool IsRecording() const { return m_isRecording; }
    void setIsRecording(bool recording) { m_isRecording = recording; }
    bool IsDemo() const { return m_isDemo; }
    void setIsDemo(bool demo) { m_isDemo = demo; }
    /// Stop the running recording once this many samples came in; 0 runs until stopped.
    qint32 StopAfterLimit() const { return m_stopAfterLimit; }
    void setStopAfterLimit(qint32 limit) { m_stopAfterLimit = limit; }
    /// Time stamp of the first demonstration sample; null until one came in.
    QDateTime DemoStartTime() const { return m_demoStartTime; }
    /// Number of the sample shown in the chart's first row.
    qint32 ShownWindowStart() const { return m_shownWindowStart; }
    /// A request is being processed.
    bool ProcessorBusy() const { return m_processorBusy; }
    /// SampleRedraw while the display period list has no selection, else no flag.
    SampleFlags PendingRedraw() const { return m_pendingRedraw; }

    const SampleStore &store() const { return m_store; }
    const RunningStatistics &statistics() const { return m_statistics; }
    const LocaleFormats &formats() const { return m_formats; }

    /// Texts of the large and small count labels ("0" after a reset).
    QString largeCountText() const { return m_largeCountText; }
    QString smallCountText() const { return m_smallCountText; }
    /// Text of the status bar's sample counter (empty after a reset).
    QString numSamplesText() const { return m_numSamplesText; }

    /// Called by every reset, so the demonstration source starts its walk afresh.
    void setDemoResetHook(std::function<void()> hook) { m_demoResetHook = std::move(hook); }

Q_SIGNALS:
    /// The large and small count labels show new texts.
    void countTextsChanged(const QString &largeText, const QString &smallText);
    /// The status bar's sample counter shows a new text.
    void numSamplesTextChanged(const QString &text);
    /// The running recording has reached its stop-after limit; the shell stops it as if Record
    /// had been clicked. Emitted at the end of the request, after the sample was logged and drawn.
    void stopLimitReached();
    /// A reading was numbered and logged as `row`: the counts in particles per cubic foot, as in
    /// the log, and its time stamp.
    void sampleLogged(qint32 number, qint32 small, qint32 large, const QDateTime &time,
                      const QString &row);

private:
    struct Request
    {
        SampleFlags flags;
        QString countsLine;
        qint32 startSample = 0;
        qint32 periodRows = 0;
    };
    /// A reading parsed before anything is committed for it.
    struct Reading
    {
        qint32 small = 0;
        qint32 large = 0;
        qint32 multiplier = 0;
        QDateTime time;
        QDateTime demoStart;
        qint64 demoStartMSecs = 0;
        QString row;
    };

    void run(const Request &request);
    void reset();
    void process(const Request &request);
    Reading parse(const QString &countsLine) const;
    void commit(const Reading &reading);
    void finish();
    void setCountTexts(const QString &largeText, const QString &smallText);
    void setNumSamplesText(const QString &text);

    ChartDataModel &m_chart;
    SliderModel &m_slider;
    LogSink &m_log;
    Notifier &m_notifier;
    const Clock &m_clock;
    LocaleFormats m_formats;
    SampleStore m_store;
    RunningStatistics m_statistics;
    ChartWindow m_window;

    qint32 m_sampleCount = 0;
    bool m_isRecording = false;
    bool m_isDemo = false;
    qint32 m_stopAfterLimit = 0;
    QDateTime m_demoStartTime;
    qint64 m_demoStartMSecs = 0;
    qint32 m_shownWindowStart = 1;
    bool m_processorBusy = false;
    SampleFlags m_pendingRedraw;

    QString m_largeCountText = QStringLiteral("0");
    QString m_smallCountText = QStringLiteral("0");
    QString m_numSamplesText;
    std::function<void()> m_demoResetHook;

    /// Requests waiting for the running one; drained by the outermost ProcessSample() call.
    std::deque<Request> m_requests;
    bool m_draining = false;
};

} // namespace orvel
