// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

namespace orvel {

/// Paints a few widgets at most once per screen frame however often they change, while their
/// state (a label's text) changes at once. The widgets' first change in a frame is painted as
/// usual (with whatever else changed at the same time); their further changes within that frame
/// hold the widgets' updates back until the frame ends, then paint the latest state. The frames
/// are those of the FrameClock. UI thread only.
class PaintPacer : public QObject
{
    Q_OBJECT
public:

    PaintPacer(const QList<QWidget *> &widgets, QObject *parent = nullptr);

    /// Call before changing the widgets.
    void aboutToChange();
    /// Call before changing only `widgets` (some of the paced ones): a held frame holds back
    /// just the widgets that change, since letting a widget paint again repaints it whole.
    void aboutToChange(const QList<QWidget *> &widgets);
    /// While the frame is held, holds back `widget` (one of the paced ones) too: for a widget
    /// that turns out to change only after the others.
    void holdToo(QWidget *widget);
    /// Whether changes wait for the end of the frame to be painted.
    bool isHolding() const { return m_holding; }

private:
    /// Whether a change now is painted as usual: the first since these widgets were painted.
    bool passes();
    void frameEnded();
    void setHeld(bool held);
    void hold(QWidget *widget);

    QList<QPointer<QWidget>> m_widgets;
    bool m_holding = false;
    /// Whether the widgets changed (or were painted) in the running frame.
    bool m_changedInFrame = false;
};

} // namespace orvel
