// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QFlags>

namespace orvel {

/// Request flags of SampleProcessor::ProcessSample.
enum SampleFlag : quint16 {
    SampleReset = 1,      ///< clear everything; every other bit is ignored
    SampleViewChange = 2, ///< the visible window or the display period may have changed
    SampleRedraw = 4,     ///< redraw every chart row whatever else holds
    SampleNewLine = 8,    ///< the counts line holds a new reading
    SampleRefresh = 16,   ///< refresh the axis title, the counter text and the slider
};
Q_DECLARE_FLAGS(SampleFlags, SampleFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(SampleFlags)

/// What StoreIndex computes from the sample counter and the store's roll-off.
enum class StoreIndexKind {
    DroppedCount = 0,      ///< samples that rolled off the store
    FirstStored = 1,       ///< number of the oldest sample still kept
    LatestWindowStart = 2, ///< first sample of the window that ends at the newest sample
    StoredCount = 3,       ///< samples kept in the store
};

} // namespace orvel
