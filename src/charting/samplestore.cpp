// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/samplestore.h"

#include <algorithm>

namespace orvel {

void SampleStore::clear()
{
    m_large.clear();
    m_small.clear();
    m_times.clear();
    m_head = 0;
}

void SampleStore::grow(qint32 slotCount)
{
    const qsizetype wanted = std::min(slotCount, MaxStoredSamples);
    if (wanted <= qsizetype(m_large.size()))
        return;
    linearise();
    if (m_large.capacity() < size_t(MaxStoredSamples)) {
        // Room for a whole week at once, so a full store never reallocates.
        m_large.reserve(MaxStoredSamples);
        m_small.reserve(MaxStoredSamples);
        m_times.reserve(MaxStoredSamples);
    }
    m_large.resize(wanted, 0);
    m_small.resize(wanted, 0);
    m_times.resize(wanted);
}

void SampleStore::rollOff()
{
    if (m_large.empty())
        return;
    // The old slot 1 becomes the last slot: empty it and start the ring one step further on.
    m_large[m_head] = 0;
    m_small[m_head] = 0;
    m_times[m_head] = QDateTime();
    m_head = (m_head + 1) % qsizetype(m_large.size());
}

void SampleStore::append(qint32 large, qint32 small, const QDateTime &time)
{
    if (size() < MaxStoredSamples)
        grow(size() + 1);
    else
        rollOff();
    set(size(), large, small, time);
}

void SampleStore::set(qint32 slot, qint32 large, qint32 small, const QDateTime &time)
{
    const qsizetype i = index(slot);
    if (i < 0)
        return;
    m_large[i] = large;
    m_small[i] = small;
    m_times[i] = time;
}

qint32 SampleStore::count(Channel channel, qint32 slot) const
{
    const qsizetype i = index(slot);
    if (i < 0)
        return 0;
    return channel == LargeChannel ? m_large[i] : m_small[i];
}

QDateTime SampleStore::time(qint32 slot) const
{
    const qsizetype i = index(slot);
    return i < 0 ? QDateTime() : m_times[i];
}

qsizetype SampleStore::index(qint32 slot) const
{
    const qsizetype n = qsizetype(m_large.size());
    if (slot < 1 || slot > n)
        return -1;
    qsizetype i = m_head + slot - 1;
    if (i >= n)
        i -= n;
    return i;
}

void SampleStore::linearise()
{
    if (m_head == 0)
        return;
    std::rotate(m_large.begin(), m_large.begin() + m_head, m_large.end());
    std::rotate(m_small.begin(), m_small.begin() + m_head, m_small.end());
    std::rotate(m_times.begin(), m_times.begin() + m_head, m_times.end());
    m_head = 0;
}

} // namespace orvel
