// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/windowplacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace orvel {

WindowPlacement::WindowPlacement(Areas areas)
    : m_areas(std::move(areas))
{}

QList<QRect> WindowPlacement::areas() const
{
    if (m_areas)
        return m_areas();
    QList<QRect> areas;
    if (QScreen *primary = QGuiApplication::primaryScreen())
        areas.append(primary->availableGeometry());
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            areas.append(screen->availableGeometry());
    }
    return areas;
}

bool WindowPlacement::isVisible(const QRect &frame) const
{
    const QList<QRect> all = areas();
    return all.isEmpty() || std::any_of(all.cbegin(), all.cend(),
                                        [&](const QRect &area) { return area.intersects(frame); });
}

QRect WindowPlacement::areaOf(const QRect &frame) const
{
    const QList<QRect> all = areas();
    if (all.isEmpty())
        return {};
    QRect best = all.first();
    qint64 bestOverlap = 0;
    for (const QRect &area : all) {
        const QRect overlap = area.intersected(frame);
        const qint64 size = qint64(overlap.width()) * overlap.height();
        if (size > bestOverlap) {
            best = area;
            bestOverlap = size;
        }
    }
    return best;
}

QRect WindowPlacement::fitted(const QRect &frame) const
{
    const QRect area = areaOf(frame);
    if (area.isEmpty())
        return frame;
    QRect fit(frame.topLeft(), frame.size().boundedTo(area.size()));
    fit.moveLeft(std::clamp(fit.left(), area.left(), area.right() - fit.width() + 1));
    fit.moveTop(std::clamp(fit.top(), area.top(), area.bottom() - fit.height() + 1));
    return fit;
}

QMargins WindowPlacement::frameMargins(const QWidget &window)
{
    const QRect frame = window.frameGeometry();
    const QRect inner = window.geometry();
    if (frame != inner) {
        return QMargins(inner.left() - frame.left(), inner.top() - frame.top(),
                        frame.right() - inner.right(), frame.bottom() - inner.bottom());
    }
    // Not shown yet, so the window system has not said; a frame on the style's measures.
    const int border = window.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    const int titleBar = window.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return QMargins(border, titleBar + border, border, border);
}

} // namespace orvel
