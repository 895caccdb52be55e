// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/countbox.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>

namespace orvel {

CountBox::CountBox(QLabel *label, QWidget *parent)
    : QWidget(parent)
    , m_label(label)
{
    m_label->setParent(this);
    m_label->installEventFilter(this);
    setSizePolicy(m_label->sizePolicy());
    takeHints();
}

void CountBox::setText(const QString &text)
{
    m_label->setText(text);
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

bool CountBox::eventFilter(QObject *watched, QEvent *event)
{
    // A label of fixed size asks for no new layout when its font or style changes either; its
    // hints are taken once it has seen the change itself.
    if (watched == m_label &&
        (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange))
        QCoreApplication::postEvent(this, new QEvent(QEvent::LayoutRequest));
    return QWidget::eventFilter(watched, event);
}

void CountBox::resizeEvent(QResizeEvent *)
{
    // Minimum and maximum size alike: Qt then posts no layout request for a new text.
    m_label->setFixedSize(size());
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
