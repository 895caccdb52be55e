// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QDateTime>

#include <vector>

namespace orvel {

/// The readings the chart draws from: `SampleCounts` (channel 1 large, channel 2 small) and
/// `SampleTimes`, by slot 1 .. size(). At most `MaxStoredSamples` are kept; slot 1 always holds the
/// oldest one still kept.
///
/// Once full, every new reading rolls the oldest one off: slots 2 .. size() move down by one and
/// the last slot is free for the newcomer. The three arrays are rings, so that move costs one index
/// step instead of copying 10,079 entries, and memory stays flat once the store is full.
/// Reads outside 1 .. size() give zero counts and a null time; writes there are ignored.
class SampleStore
{
public:
    /// One week of one-minute samples.
    static constexpr qint32 MaxStoredSamples = 10080;

    /// Channels of `SampleCounts`.
    enum Channel { LargeChannel = 1, SmallChannel = 2 };

    qint32 size() const { return qint32(m_large.size()); }
    bool isEmpty() const { return m_large.empty(); }

    /// Empties the store (a reset).
    void clear();
    /// Grows the store to `slotCount` slots, capped at MaxStoredSamples, keeping its contents; new
    /// slots hold zero counts and a null time. Never shrinks.
    void grow(qint32 slotCount);
    /// Discards slot 1; slots 2 .. size() move down by one and the last slot becomes empty.
    void rollOff();
    /// Grows by one slot, or rolls the oldest sample off when full, and fills the last slot.
    void append(qint32 large, qint32 small, const QDateTime &time);

    /// Fills one slot.
    void set(qint32 slot, qint32 large, qint32 small, const QDateTime &time);

    /// `SampleCounts`(channel, slot).
    qint32 count(Channel channel, qint32 slot) const;
    qint32 large(qint32 slot) const { return count(LargeChannel, slot); }
    qint32 small(qint32 slot) const { return count(SmallChannel, slot); }
    /// `SampleTimes`(slot).
    QDateTime time(qint32 slot) const;

private:
    /// Index into the arrays of `slot`, or -1 outside 1 .. size().
    qsizetype index(qint32 slot) const;
    /// Puts slot 1 back at index 0, so the arrays can grow at their end.
    void linearise();

    std::vector<qint32> m_large;
    std::vector<qint32> m_small;
    std::vector<QDateTime> m_times;
    /// Index of slot 1.
    qsizetype m_head = 0;
};

} // namespace orvel
