// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QList>
#include <QMargins>
#include <QRect>

#include <functional>

class QWidget;

namespace orvel {

/// Keeps a top-level window on the screens it can be seen on: the available areas of the screens
/// (each screen less its panels and docks) and a placement fitted into them.
///
/// Rectangles are frame rectangles, the window's title bar and borders included, in the
/// device-independent pixels of the screens (so a scale factor already makes the areas smaller).
class WindowPlacement
{
public:
    /// The available area of each screen, the primary screen first.
    using Areas = std::function<QList<QRect>()>;

    /// `areas` null: those of the system's screens.
    explicit WindowPlacement(Areas areas = {});

    QList<QRect> areas() const;
    /// Whether any part of `frame` lies on a screen (true when there is no screen to ask).
    bool isVisible(const QRect &frame) const;
    /// The area `frame` overlaps most; the first area when it overlaps none; empty without screens.
    QRect areaOf(const QRect &frame) const;
    /// `frame` made no larger than its area and moved into it, as little as it takes; unchanged
    /// without screens.
    QRect fitted(const QRect &frame) const;

    /// The room the window system's frame takes around `window`: the frame the window has once
    /// it is shown, and before that the style's idea of a title bar and borders.
    static QMargins frameMargins(const QWidget &window);

private:
    Areas m_areas;
};

} // namespace orvel
