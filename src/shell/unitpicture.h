// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QWidget>

namespace orvel {

/// A drawing of the particle counter unit, beside the log pane.
class UnitPicture : public QWidget
{
    Q_OBJECT
public:
    /// Below this height the picture is left out: too small to tell what it shows.
    static constexpr double MinimumDrawnHeight = 40;

    explicit UnitPicture(QWidget *parent = nullptr);
    QSize sizeHint() const override { return {96, 150}; }
    QSize minimumSizeHint() const override { return {96, 0}; }

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace orvel
