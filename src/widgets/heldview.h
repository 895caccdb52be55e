// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QObject>
#include <QRegion>

class QWidget;

namespace orvel {

class PaintPacer;

/// The repaints and scrolls of a view that a PaintPacer paces. While the pacer holds the view
/// back, its scrolls and the areas to repaint are gathered instead of lost, and when the frame
/// ends they are replayed: one scroll of what is on screen and a repaint of what is new, rather
/// than the whole view painted again. Anything else that touches the view while it is held (a
/// paint, a resize, a new palette or font) falls back to painting it whole. UI thread only.
class HeldView : public QObject
{
    Q_OBJECT
public:
    /// `view` is one of the widgets `pacer` paces.
    HeldView(QWidget *view, PaintPacer *pacer);

    /// Repaints `area` of the view, or all of it for a null rectangle.
    void update(const QRect &area = QRect());
    /// Moves what the view shows by `dx`, `dy` pixels and repaints what comes into view.
    void scroll(int dx, int dy);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool held() const;
    void release();

    QWidget *m_view;
    int m_dx = 0;
    int m_dy = 0;
    QRegion m_dirty;
    bool m_whole = false;
};

} // namespace orvel
