// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "widgets/textadvance.h"

#include <QFont>
#include <QWidget>

class QLabel;

namespace orvel {

/// Holds one of the latest counts under the unit picture. The count's text changes with every
/// reading; the box takes the label's size hints as its own and passes a change on to the layout
/// only when the hints change (a count with more digits, a new font), so that a new count
/// repaints the label alone instead of laying out the whole log area again. The label is held at
/// the box's size, so that a new text posts no layout request either: set it through setText().
class CountBox : public QWidget
{
    Q_OBJECT
public:
    /// Makes `label` the box's child, filling it.
    CountBox(QLabel *label, QWidget *parent = nullptr);

    QSize sizeHint() const override { return m_hint; }
    QSize minimumSizeHint() const override { return m_minimumHint; }

    QLabel *label() const { return m_label; }
    /// Shows `text` in the label, taking its hints again if they change.
    void setText(const QString &text);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void takeHints();

    QLabel *m_label;
    QSize m_hint;
    QSize m_minimumHint;
    /// What the hints were taken for: the text's advance in the label's font.
    qreal m_advance = -1;
    QFont m_font;
    TextAdvance m_advances;
};

} // namespace orvel
