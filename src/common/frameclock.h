// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace orvel {

/// The one frame clock of the program's paced painting: whatever paces itself to the screen's
/// frames (the chart, the log pane, the counts) follows the same frames, so that everything that
/// changed in a frame reaches the screen in one paint. It ticks only while something waits for
/// the end of a frame. UI thread only.
///
/// A frame is one screen frame (FrameMs) while changes come now and then. When frames follow one
/// another without a quiet frame between them for BusyAfterMs (readings pouring in), the frames
/// grow to BusyFrameMs until the stream pauses: the window then shows the latest state about 10
/// times a second instead of 60, which is all a reader can follow of a flood, at a sixth of the
/// cost; a change after a quiet frame is still painted at once.
class FrameClock : public QObject
{
    Q_OBJECT
public:
    static constexpr int FrameMs = 16;
    static constexpr int BusyFrameMs = 6 * FrameMs;
    static constexpr int BusyAfterMs = 250;

    static FrameClock &instance();

    /// Whether a frame runs: something was painted less than a frame ago.
    bool inFrame() const { return m_timer.isActive(); }
    /// Starts a frame now, unless one runs. Called while the last frame ends, it continues the
    /// stream of frames; otherwise it starts a new one.
    void startFrame();
    /// The length of the running (or last) frame, in milliseconds.
    int frameMs() const { return m_timer.interval(); }

Q_SIGNALS:
    /// The running frame ended; what waited for it paints now (and starts the next frame).
    void frameEnded();

private:
    explicit FrameClock(QObject *parent);
    void endFrame();

    QTimer m_timer;
    /// Since the first frame of the running stream of frames.
    QElapsedTimer m_stream;
    bool m_ending = false;
};

} // namespace orvel
