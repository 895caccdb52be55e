// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "widgets/heldview.h"

#include "widgets/paintpacer.h"

#include <QEvent>
#include <QWidget>

namespace orvel {

HeldView::HeldView(QWidget *view, PaintPacer *pacer)
    : QObject(view)
    , m_view(view)
{
    view->installEventFilter(this);
    pacer->setRelease(view, [this] { release(); });
}

bool HeldView::held() const
{
    // The pacer holds a widget by switching its updates off on the widget itself.
    return m_view->testAttribute(Qt::WA_ForceUpdatesDisabled);
}

void HeldView::update(const QRect &area)
{
    if (!held())
        area.isNull() ? m_view->update() : m_view->update(area);
    else if (area.isNull())
        m_whole = true;
    else
        m_dirty += area;
}

void HeldView::scroll(int dx, int dy)
{
    const bool small = std::abs(dx) < m_view->width() && std::abs(dy) < m_view->height();
    if (!held()) {
        small ? m_view->scroll(dx, dy) : m_view->update();
        return;
    }
    m_dx += dx;
    m_dy += dy;
    // What is to be repainted moves with what is on screen.
    m_dirty.translate(dx, dy);
    m_dirty &= m_view->rect();
    if (std::abs(m_dx) >= m_view->width() || std::abs(m_dy) >= m_view->height())
        m_whole = true;
}

bool HeldView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && held()) {
        switch (event->type()) {
        case QEvent::Paint: // what is on screen is no longer what the scroll would move
        case QEvent::Resize:
        case QEvent::PaletteChange:
        case QEvent::FontChange:
        case QEvent::StyleChange:
        case QEvent::LayoutDirectionChange:
        case QEvent::Show:
        case QEvent::Hide:
            m_whole = true;
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void HeldView::release()
{
    QWidget *parent = m_view->parentWidget();
    const bool quiet = !m_whole && (!parent || parent->updatesEnabled()) &&
                       m_view->findChildren<QWidget *>(Qt::FindDirectChildrenOnly).isEmpty();
    if (quiet) {
        // Updates back on without the repaint of the whole view that setUpdatesEnabled() asks.
        m_view->setAttribute(Qt::WA_ForceUpdatesDisabled, false);
        m_view->setAttribute(Qt::WA_UpdatesDisabled, false);
        if (m_dx || m_dy)
            m_view->scroll(m_dx, m_dy);
        if (!m_dirty.isEmpty())
            m_view->update(m_dirty);
    } else {
        m_view->setUpdatesEnabled(true); // paints it whole
    }
    m_dx = m_dy = 0;
    m_dirty = QRegion();
    m_whole = false;
}

} // namespace orvel
