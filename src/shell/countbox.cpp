// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/countbox.h"

#include <QEvent>
#include <QLabel>

namespace orvel {

CountBox::CountBox(QLabel *label, QWidget *parent)
    : QWidget(parent)
    , m_label(label)
{
    m_label->setParent(this);
    setSizePolicy(m_label->sizePolicy());
    takeHints();
}

bool CountBox::event(QEvent *event)
{
    // A child without a layout around it asks its parent for a new layout this way.
    if (event->type() == QEvent::LayoutRequest) {
        takeHints();
        return true;
    }
    return QWidget::event(event);
}

void CountBox::resizeEvent(QResizeEvent *)
{
    m_label->setGeometry(rect());
}

void CountBox::takeHints()
{
    // A single line's hints follow its advance: a count as wide as the last one (most are) is
    // not laid out for the hints again.
    const qreal advance = m_advances.of(m_label->font(), m_label->text());
    if (advance == m_advance && m_label->font() == m_font)
        return;
    m_advance = advance;
    m_font = m_label->font();
    const QSize hint = m_label->sizeHint();
    const QSize minimumHint = m_label->minimumSizeHint();
    if (hint == m_hint && minimumHint == m_minimumHint)
        return; // the layout around the box stays as it is
    m_hint = hint;
    m_minimumHint = minimumHint;
    updateGeometry();
}

} // namespace orvel
