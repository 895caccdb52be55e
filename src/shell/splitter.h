// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QSplitter>
#include <QSplitterHandle>

#include <optional>

namespace orvel {

/// The bar between the log area and the chart area: dragged up and down, never beyond its limits
/// (`MinBorder` kept free above it, `MaxBorder` below), showing the no-drop pointer while the
/// mouse is beyond them and the highlight colour while it is dragged.
class Splitter : public QSplitter
{
    Q_OBJECT
public:
    explicit Splitter(QWidget *parent = nullptr);

    /// Pixels kept free above the bar (beyond its thickness) and below it.
    int MinBorder() const { return m_minBorder; }
    void setMinBorder(int pixels);
    int MaxBorder() const { return m_maxBorder; }
    void setMaxBorder(int pixels);

    /// The bar's position from the top of the splitter, in pixels and in twips (1440 an inch).
    /// Only dragging and these setters move the bar: a resize keeps its distance from the top,
    /// as far as the limits of the new height allow, and a later resize that makes room again
    /// brings it back to where it was put.
    int barPosition() const;
    void setBarPosition(int pixels);
    int barPositionTwips() const;
    void setBarPositionTwips(int twips);

    /// Limits a bar position to the allowed range; `outOfRange` tells whether it was beyond it.
    int LimitPosition(int position, bool *outOfRange = nullptr) const;

protected:
    QSplitterHandle *createHandle() override;
    void resizeEvent(QResizeEvent *event) override;
    void childEvent(QChildEvent *event) override;

private:
    void applyLimitsToAreas();
    void placeBar();

    int m_minBorder = 0;
    int m_maxBorder = 0;
    /// Where the bar was last put; empty until it is dragged, restored or first laid out.
    std::optional<int> m_wantedPosition;
};

/// The dragged bar itself.
class SplitterBar : public QSplitterHandle
{
    Q_OBJECT
public:
    SplitterBar(Qt::Orientation orientation, Splitter *parent);
    bool isDragging() const { return m_dragging; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int positionFor(QMouseEvent *event) const;

    Splitter *m_splitter;
    bool m_dragging = false;
    int m_grabOffset = 0;
};

} // namespace orvel
