// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "countersimulator.h"

#include <QFile>
#include <QRandomGenerator>

#include <cstdlib>
#include <cstring>

namespace orvel {

namespace {

// In fast streaming, keep about this much queued so the terminal never runs dry.
constexpr qsizetype FastWatermark = 4096;
constexpr qsizetype GarbageChunk = 80;

QByteArray countLine(qint32 small, qint32 large)
{
    return QByteArray::number(small) + ',' + QByteArray::number(large) + "\r\n";
}

} // namespace

CounterSimulator::CounterSimulator(QObject *parent)
    : QObject(parent)
{
    connect(&m_streamTimer, &QTimer::timeout, this, &CounterSimulator::streamNext);
    connect(&m_terminal, &PseudoTerminal::bytesArrived, this, &CounterSimulator::handleArrived);
    connect(&m_terminal, &PseudoTerminal::drained, this, &CounterSimulator::handleDrained);
    connect(&m_terminal, &PseudoTerminal::failed, this, [this] {
        m_errorString = m_terminal.errorString();
        stopStream();
        Q_EMIT failed();
    });
}

bool CounterSimulator::open()
{
    const bool opened = m_terminal.open();
    m_errorString = m_terminal.errorString();
    return opened;
}

CounterSimulator::~CounterSimulator() = default;

void CounterSimulator::hangUp()
{
    stopStream();
    m_terminal.close();
}

void CounterSimulator::sendRaw(const QByteArray &bytes)
{
    queue(bytes);
}

void CounterSimulator::sendLine(qint32 small, qint32 large)
{
    queue(countLine(small, large));
}

void CounterSimulator::sendLineSplit(qint32 small, qint32 large, int gapMs)
{
    const QByteArray line = countLine(small, large);
    const qsizetype half = line.size() / 2;
    queue(line.left(half));
    QTimer::singleShot(gapMs, this, [this, rest = line.mid(half)] { queue(rest); });
}

void CounterSimulator::sendGarbage(qsizetype count)
{
    QByteArray noise(count, Qt::Uninitialized);
    for (char &c : noise)
        c = char(QRandomGenerator::global()->bounded(0x20, 0x100));
    queue(noise);
}

bool CounterSimulator::loadStreamFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_errorString = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    m_streamLines.clear();
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        // The text after the file's last line end is no line.
        if (i == lines.size() - 1 && line.isEmpty())
            break;
        m_streamLines.append(line + "\r\n");
    }
    m_streamFromFile = true;
    return true;
}

void CounterSimulator::setStreamSplit(bool split, int gapMs)
{
    m_streamSplit = split;
    m_splitGapMs = gapMs;
}

void CounterSimulator::startStream(int intervalMs, int count)
{
    stopStream();
    m_streaming = true;
    m_itemsStreamed = 0;
    m_streamCount = count;
    if (m_streamFromFile && count == 0)
        m_streamCount = int(m_streamLines.size());
    if (m_streamFromFile && m_streamLines.isEmpty()) {
        m_streaming = false;
        QTimer::singleShot(0, this, &CounterSimulator::streamFinished);
        return;
    }
    m_fast = intervalMs <= 0;
    if (m_fast)
        streamFast();
    else
        m_streamTimer.start(intervalMs);
}

void CounterSimulator::stopStream()
{
    m_streamTimer.stop();
    m_streaming = false;
}

bool CounterSimulator::streamDone() const
{
    return m_streamCount > 0 && m_itemsStreamed >= m_streamCount;
}

void CounterSimulator::streamNext()
{
    // A split line still waiting for its second half holds the next item back.
    if (!m_streaming || m_waitingForSplit)
        return;
    const QByteArray item = nextStreamItem();
    ++m_itemsStreamed;
    const bool last = streamDone();
    if (last)
        stopStream();

    if (m_streamSplit && !m_streamGarbage && item.size() > 1) {
        const qsizetype half = item.size() / 2;
        queue(item.left(half));
        m_waitingForSplit = true;
        QTimer::singleShot(m_splitGapMs, this, [this, last, rest = item.mid(half)] {
            m_waitingForSplit = false;
            queue(rest);
            if (last)
                m_finishPending = true;
            else if (m_fast)
                streamFast();
        });
        return;
    }
    queue(item);
    if (last)
        m_finishPending = true;
}

void CounterSimulator::streamFast()
{
    while (m_streaming && !m_waitingForSplit && queuedBytes() < FastWatermark)
        streamNext();
}

QByteArray CounterSimulator::nextStreamItem()
{
    if (m_streamGarbage) {
        QByteArray noise(GarbageChunk, Qt::Uninitialized);
        for (char &c : noise)
            c = char(QRandomGenerator::global()->bounded(0x20, 0x100));
        return noise;
    }
    if (m_streamFromFile)
        return m_streamLines.at(m_itemsStreamed % m_streamLines.size());
    return nextReading();
}

QByteArray CounterSimulator::nextReading()
{
    // A drifting reading, as a real room gives: each step within 10% of the last.
    auto *random = QRandomGenerator::global();
    const qint32 smallSpread = qMax(m_walkSmall / 10, 10);
    m_walkSmall = qBound(0, m_walkSmall + random->bounded(-smallSpread, smallSpread + 1), 100000);
    const qint32 largeSpread = qMax(m_walkLarge / 10, 2);
    m_walkLarge =
        qBound(0, m_walkLarge + random->bounded(-largeSpread, largeSpread + 1), m_walkSmall);
    return countLine(m_walkSmall, m_walkLarge);
}

QByteArray CounterSimulator::historyAnswer() const
{
    QByteArray answer = "D\r\n"
                        "COUNTER UNIT\r\n"
                        "STORED READINGS\r\n"
                        "INTERVAL 1 MIN\r\n";
    for (const Record &record : m_historyRecords)
        answer += countLine(record.first, record.second);
    if (m_historyRecords.isEmpty())
        answer += "NO DATA\r\n";
    answer += "\r\n"
              "ALARMS\r\n"
              "NO DATA\r\n"
              "END\r\n";
    return answer;
}

void CounterSimulator::handleArrived(const QByteArray &arrived)
{
    m_received += arrived;
    Q_EMIT bytesReceived(arrived);

    if (!m_answersHistory)
        return;
    m_command += arrived;
    for (qsizetype at = m_command.indexOf("D\r"); at >= 0; at = m_command.indexOf("D\r")) {
        m_command.remove(0, at + 2);
        m_terminal.queue(historyAnswer());
        Q_EMIT historyRequested();
    }
    // Only a "D" at the very end can still become a request.
    m_command = m_command.right(1);
}

void CounterSimulator::handleDrained()
{
    if (m_fast && m_streaming)
        streamFast();
    if (queuedBytes() > 0)
        return;
    Q_EMIT drained();
    if (m_finishPending) {
        m_finishPending = false;
        Q_EMIT streamFinished();
    }
}

void CounterSimulator::queue(const QByteArray &bytes)
{
    m_terminal.queue(bytes);
}

} // namespace orvel
