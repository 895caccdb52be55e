// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "widgets/steadyscrollbar.h"

#include <QPaintEvent>
#include <QStyle>
#include <QStyleOptionSlider>

namespace orvel {

SteadyScrollBar::SteadyScrollBar(Qt::Orientation orientation, QWidget *parent)
    : QScrollBar(orientation, parent)
{
}

SteadyScrollBar::Look SteadyScrollBar::look() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider,
                                    this),
            value() == minimum(), value() == maximum()};
}

void SteadyScrollBar::gatherChanges(bool on)
{
    m_gathering = on;
    if (!on && m_gathered) {
        if (gatheredChangesShow())
            update();
        m_gathered = false;
        m_gatheredShows.reset();
    }
}

bool SteadyScrollBar::gatheredChangesShow() const
{
    if (!m_gathered)
        return false;
    if (!m_gatheredShows)
        m_gatheredShows = !m_shown || *m_shown != look();
    return *m_gatheredShows;
}

void SteadyScrollBar::sliderChange(SliderChange change)
{
    // Any other change (the orientation) and a bar not painted yet go the usual way.
    if (change != SliderOrientationChange && m_shown) {
        if (m_gathering) {
            m_gathered = true;
            m_gatheredShows.reset();
        }
        if (m_gathering || *m_shown == look())
            return;
    }
    QScrollBar::sliderChange(change);
}

void SteadyScrollBar::paintEvent(QPaintEvent *event)
{
    QScrollBar::paintEvent(event);
    if ((QRegion(rect()) - event->region()).isEmpty())
        m_shown = look();
}

} // namespace orvel
