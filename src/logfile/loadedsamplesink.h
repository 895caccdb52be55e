// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QDateTime>
#include <QtGlobal>

namespace orvel {

/// Where a log loader hands the samples it reads back from a log: counted, added to the
/// statistics and kept in a store of at most `keptSamples()` samples, the oldest rolling off.
class LoadedSampleSink
{
public:
    virtual ~LoadedSampleSink() = default;
    /// Empties the samples before a load.
    virtual void clearSamples() = 0;
    /// Adds one sample read from a log. `time` may be null for a sample that rolls off anyway.
    virtual void addLoadedSample(qint32 small, qint32 large, const QDateTime &time) = 0;
    /// How many samples the sink keeps; older ones roll off.
    virtual qint32 keptSamples() const = 0;
};

} // namespace orvel
