// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "logfile/logloader.h"

#include "logfile/loadedsamplesink.h"

namespace orvel {

LogLoader::LogLoader(LoadedSampleSink &samples, QObject *parent)
    : QObject(parent)
    , m_samples(samples)
{
    m_sliceTimer.setSingleShot(true);
    m_sliceTimer.setInterval(0);
    connect(&m_sliceTimer, &QTimer::timeout, this, &LogLoader::runSlice);
}

LogLoader::~LogLoader() = default;

void LogLoader::begin(QByteArray content, const LocaleFormats &formats)
{
    cancel();
    m_samples.clearSamples();
    m_reader = std::make_unique<LogReader>(std::move(content), formats);
    m_ring.clear();
    m_ring.reserve(std::size_t(m_samples.keptSamples()));
    m_ringHead = 0;
    m_rowsRead = 0;
    m_error.clear();
}

void LogLoader::start(QByteArray content, const LocaleFormats &formats)
{
    begin(std::move(content), formats);
    m_sliceTimer.start();
}

void LogLoader::runToEnd(QByteArray content, const LocaleFormats &formats)
{
    begin(std::move(content), formats);
    readSlice(-1);
    Q_EMIT progress(m_rowsRead, m_reader->position(), m_reader->size());
    end(m_error);
}

void LogLoader::cancel()
{
    m_sliceTimer.stop();
    if (!m_reader)
        return;
    flush();
    m_reader.reset();
}

void LogLoader::runSlice()
{
    if (!m_reader)
        return;
    const bool done = readSlice(SliceMs);
    Q_EMIT progress(m_rowsRead, m_reader->position(), m_reader->size());
    if (done)
        end(m_error);
    else
        m_sliceTimer.start();
}

bool LogLoader::readSlice(qint64 deadline)
{
    QElapsedTimer clock;
    clock.start();
    const std::size_t capacity = std::size_t(m_samples.keptSamples());
    LogRow row;
    for (int n = 1;; ++n) {
        switch (m_reader->next(row)) {
        case LogReader::Line::End:
        case LogReader::Line::Summary:
            return true;
        case LogReader::Line::Bad:
            m_error = m_reader->errorString();
            return true;
        case LogReader::Line::Skipped:
            break;
        case LogReader::Line::Row:
            ++m_rowsRead;
            if (m_ring.size() < capacity) {
                m_ring.push_back(PendingRow{row.small, row.large, row.stamp});
            } else {
                // The oldest pending row can never stay in the store: hand it on untimed.
                PendingRow &oldest = m_ring[m_ringHead];
                m_samples.addLoadedSample(oldest.small, oldest.large, QDateTime());
                oldest = PendingRow{row.small, row.large, row.stamp};
                m_ringHead = (m_ringHead + 1) % capacity;
            }
            break;
        }
        if (deadline >= 0 && n % 512 == 0 && clock.elapsed() >= deadline)
            return false;
    }
}

void LogLoader::flush()
{
    const std::size_t count = m_ring.size();
    for (std::size_t i = 0; i < count; ++i) {
        const PendingRow &row = m_ring[(m_ringHead + i) % count];
        m_samples.addLoadedSample(row.small, row.large, row.stamp.toDateTime());
    }
    m_ring.clear();
    m_ringHead = 0;
}

void LogLoader::end(const QString &error)
{
    flush();
    m_reader.reset();
    Q_EMIT finished(error);
}

} // namespace orvel
