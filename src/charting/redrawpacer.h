// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace orvel {

/// When the chart redraws after a change of what it shows: at most once per frame of the
/// FrameClock however often it changes (a change after a quiet frame at once, later ones of the
/// same frame together at its end), and not at all while the widget is hidden or its window
/// minimised; it catches up when shown again, or whenever asked through catchUp(). Watches the
/// widget's window for its restore. UI thread only.
class RedrawPacer : public QObject
{
    Q_OBJECT
public:
    /// `redraw` redraws `widget` and calls redrawStarted(); the pacer is a child of `widget`.
    RedrawPacer(QWidget *widget, std::function<void()> redraw);

    /// What the widget shows changed: redraw now, at the end of the frame, or once shown.
    void changed();
    /// A redraw runs: nothing waits any more, and a frame starts.
    void redrawStarted();
    /// Whether a change waits for the end of the frame or for the widget to be shown.
    bool isPending() const { return m_pending; }
    /// Runs a redraw that waits, so that what the widget tells is up to date.
    void catchUp() const;
    /// Whether the widget is visible and its window not minimised.
    bool onScreen() const;
    /// Call from the widget's showEvent().
    void shown();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void frameEnded();

    QWidget *m_widget;
    std::function<void()> m_redraw;
    bool m_pending = false;
    QWidget *m_watchedWindow = nullptr;
};

} // namespace orvel
