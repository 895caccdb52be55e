// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/sampleprocessor.h"

#include "acquisition/countstoken.h"
#include "charting/chartdatamodel.h"
#include "charting/slidermodel.h"
#include "common/clock.h"
#include "common/failure.h"
#include "common/notifier.h"
#include "common/shownline.h"
#include "logfile/logsink.h"

#include <QScopeGuard>

#include <algorithm>

namespace orvel {

namespace {

const QString Source = QStringLiteral("ProcessSample");

/// A line as the user should see it in a message: without its line end.
QString shownLine(const QString &line)
{
    const qsizetype lineEnd = line.indexOf(QStringLiteral("\r\n"));
    return quotedForMessage(QStringView(line).left(lineEnd < 0 ? line.size() : lineEnd));
}

/// A count as the unit sent it: the scaled count over the multiplier, in the shortest decimal form.
QString unitFigure(qint32 count, qint32 multiplier)
{
    return QString::number(double(count) / double(multiplier), 'f', QLocale::FloatingPointShortest);
}

} // namespace

SampleProcessor::SampleProcessor(ChartDataModel &chart, SliderModel &slider, LogSink &log,
                                 Notifier &notifier, const Clock &clock, LocaleFormats formats,
                                 QObject *parent)
    : QObject(parent)
    , m_chart(chart)
    , m_slider(slider)
    , m_log(log)
    , m_notifier(notifier)
    , m_clock(clock)
    , m_formats(std::move(formats))
    , m_window(m_store, chart, slider, m_formats)
{}

void SampleProcessor::ProcessSample(SampleFlags flags, const QString &countsLine,
                                    qint32 startSample, qint32 periodRows)
{
    m_requests.push_back(Request{flags, countsLine, startSample, periodRows});
    // Called from inside a request: the loop below picks it up once the running one is done.
    if (m_draining)
        return;
    m_draining = true;
    const auto drained = qScopeGuard([this] { m_draining = false; });
    while (!m_requests.empty()) {
        const Request request = std::move(m_requests.front());
        m_requests.pop_front();
        run(request);
    }
}

void SampleProcessor::run(const Request &request)
{
    if (request.flags.testFlag(SampleReset))
        reset();
    else
        process(request);
}

void SampleProcessor::reset()
{
    setNumSamplesText(QString());
    m_slider.setValue(m_slider.minimum());
    m_slider.setEnabled(false);
    setCountTexts(QStringLiteral("0"), QStringLiteral("0"));

    m_store.clear();
    m_shownWindowStart = 1;
    m_demoStartTime = QDateTime();
    m_processorBusy = false;
    m_sampleCount = 0;
    m_statistics.UpdateStatistics(0, 0, true);
    if (m_demoResetHook)
        m_demoResetHook();

    // One repaint for the whole clearing, and the switch left as it was.
    const bool repaint = m_chart.repaint();
    m_chart.setRepaint(false);
    m_window.reset();
    m_chart.setRepaint(repaint);
}

void SampleProcessor::process(const Request &request)
{
    // Nothing to do: the period or the window start the chart already shows.
    if (request.flags == SampleViewChange && request.countsLine.isEmpty()) {
        if (request.startSample == 0 && request.periodRows > 0 &&
            request.periodRows == m_chart.rowCount())
            return;
        if (request.startSample > 0 && request.periodRows == 0 &&
            request.startSample == m_shownWindowStart)
            return;
    }

    m_processorBusy = true;
    SampleFlags flags = request.flags;
    const bool newLine = flags.testFlag(SampleNewLine);
    flags |= newLine ? (SampleViewChange | SampleRefresh) : SampleFlags(SampleRefresh);

    try {
        // A line that is not a reading must leave everything as it was, so it is parsed before
        // anything is committed for it.
        std::optional<Reading> reading;
        if (newLine)
            reading = parse(request.countsLine);

        const SampleWindow window =
            m_window.computeWindow(flags, m_sampleCount, request.startSample, request.periodRows);
        m_chart.setRepaint(false);
        m_window.changePeriod(request.periodRows, m_sampleCount, window.start);
        m_window.updateGrid(flags, window, m_sampleCount, m_shownWindowStart);
        m_shownWindowStart = window.start;

        if (reading)
            commit(*reading);

        if (m_sampleCount > 0) {
            m_window.updateAxisTitle(window, m_sampleCount);
            QString text = QStringLiteral("Samples received: ") + m_formats.grouped(m_sampleCount) +
                           QStringLiteral("  (on graph: ") + m_formats.grouped(window.start);
            if (window.end > window.start)
                text += QStringLiteral(" - ") + m_formats.grouped(window.end);
            setNumSamplesText(text + QLatin1Char(')'));
            if (request.startSample == 0)
                UpdateSlider();
        }
    } catch (const Failure &failure) {
        m_notifier.showError(failure.description());
    }
    finish();
}

SampleProcessor::Reading SampleProcessor::parse(const QString &countsLine) const
{
    Reading reading;
    // Demonstration samples are one minute apart from the first one, whatever the timer does.
    const qint32 number = m_sampleCount + 1;
    if (m_isDemo) {
        const bool started = m_demoStartTime.isValid();
        reading.demoStart = started ? m_demoStartTime : m_clock.now();
        reading.demoStartMSecs = started ? m_demoStartMSecs : reading.demoStart.toMSecsSinceEpoch();
        const qint64 offset = 60 * qint64(number - 1);
        // In local time from the start's instant (a fixed offset would miss a clock change):
        // one conversion per sample instead of addSecs' two.
        const Qt::TimeSpec spec = reading.demoStart.timeSpec();
        reading.time = spec == Qt::LocalTime || spec == Qt::OffsetFromUTC
                           ? QDateTime::fromMSecsSinceEpoch(reading.demoStartMSecs + 1000 * offset)
                           : reading.demoStart.addSecs(offset);
    } else {
        reading.time = m_clock.now();
    }

    reading.row = ParseCountsToken(countsLine, reading.small, reading.large, reading.time,
                                   reading.multiplier, m_formats);
    if (reading.row.isEmpty()) {
        throw Failure(Failure::TypeMismatch, Source,
                      QStringLiteral("The counter unit sent a line that is not a reading: %1 "
                                     "(expected two counts separated by a comma).")
                          .arg(shownLine(countsLine)));
    }
    return reading;
}

void SampleProcessor::commit(const Reading &reading)
{
    ++m_sampleCount;
    if (m_isDemo && !m_demoStartTime.isValid()) {
        m_demoStartTime = reading.demoStart;
        m_demoStartMSecs = reading.demoStartMSecs;
    }
    if (m_sampleCount == 1)
        m_log.WriteLogLine(QStringLiteral("Small\tLarge\tDate/Time"));

    setCountTexts(unitFigure(reading.large, reading.multiplier),
                  unitFigure(reading.small, reading.multiplier));
    m_log.WriteLogLine(reading.row);
    m_statistics.UpdateStatistics(reading.small, reading.large);

    // The grid update has already rolled the oldest sample off when the store was full.
    const qint32 slot = std::min(m_sampleCount, SampleStore::MaxStoredSamples);
    m_store.grow(slot);
    m_store.set(slot, reading.large, reading.small, reading.time);
    m_window.writeNewSampleRow(m_sampleCount);
    Q_EMIT sampleLogged(m_sampleCount, reading.small, reading.large, reading.time, reading.row);
}

void SampleProcessor::finish()
{
    m_chart.setRepaint(true);
    m_processorBusy = false;
    // Also a limit lowered below the counter stops the recording after the next request.
    if (m_isRecording && m_stopAfterLimit > 0 && m_sampleCount >= m_stopAfterLimit)
        Q_EMIT stopLimitReached();
}

void SampleProcessor::handleDisplayPeriodChanged(std::optional<qint32> periodRows)
{
    if (!periodRows) {
        // The list is being refilled or reselected: the next choice redraws every row.
        m_pendingRedraw = SampleRedraw;
        return;
    }
    const SampleFlags flags = m_pendingRedraw | SampleViewChange;
    m_pendingRedraw = {};
    ProcessSample(flags, QString(), 0, *periodRows);
}

void SampleProcessor::handleSliderMoved()
{
    if (m_sampleCount <= 0)
        return;
    qint32 start = std::max(m_slider.value(), StoreIndex(StoreIndexKind::FirstStored));
    start = std::min(start, StoreIndex(StoreIndexKind::LatestWindowStart));
    const QDateTime time = m_store.time(start - StoreIndex(StoreIndexKind::DroppedCount));
    m_slider.setText(QStringLiteral("Start at sample ") + m_formats.grouped(start) +
                     QStringLiteral(" (") + FormatSampleTime(time, true) + QLatin1Char(')'));
    ProcessSample(SampleViewChange, QString(), start, 0);
}

void SampleProcessor::UpdateSlider()
{
    m_window.UpdateSlider(m_sampleCount);
}

qint32 SampleProcessor::StoreIndex(StoreIndexKind kind, bool afterPending, qint32 rows) const
{
    return m_window.StoreIndex(kind, m_sampleCount, afterPending, rows);
}

QString SampleProcessor::FormatSampleTime(const QDateTime &time, bool withDate) const
{
    return m_window.labels().FormatSampleTime(time, withDate);
}

void SampleProcessor::addLoadedSample(qint32 small, qint32 large, const QDateTime &time)
{
    ++m_sampleCount;
    m_store.append(large, small, time);
    m_statistics.UpdateStatistics(small, large);
}

void SampleProcessor::clearSamples()
{
    ProcessSample(SampleReset);
}

void SampleProcessor::setCountTexts(const QString &largeText, const QString &smallText)
{
    m_largeCountText = largeText;
    m_smallCountText = smallText;
    Q_EMIT countTextsChanged(largeText, smallText);
}

void SampleProcessor::setNumSamplesText(const QString &text)
{
    if (m_numSamplesText == text)
        return;
    m_numSamplesText = text;
    Q_EMIT numSamplesTextChanged(text);
}

} // namespace orvel
