// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QObject>
#include <QTimer>

namespace orvel {

/// The one frame clock of the program's paced painting: whatever paces itself to the screen's
/// frames (the chart, the log pane, the counts) follows the same frames, so that everything that
/// changed in a frame reaches the screen in one paint. It ticks only while something waits for
/// the end of a frame. UI thread only.
class FrameClock : public QObject
{
    Q_OBJECT
public:
    static constexpr int FrameMs = 16;

    static FrameClock &instance();

    /// Whether a frame runs: something was painted less than a frame ago.
    bool inFrame() const { return m_timer.isActive(); }
    /// Starts a frame now, unless one runs.
    void startFrame();

Q_SIGNALS:
    /// The running frame ended; what waited for it paints now (and starts the next frame).
    void frameEnded();

private:
    explicit FrameClock(QObject *parent);

    QTimer m_timer;
};

} // namespace orvel
