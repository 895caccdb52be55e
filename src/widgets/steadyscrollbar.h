// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QRect>
#include <QScrollBar>

#include <optional>

namespace orvel {

/// A scroll bar painted again only when what it shows changes: a new range, page step or value
/// that leaves its handle where it was and as long, and its ends as they were (at the start, at
/// the end), paints nothing. A pane that follows a long log gets a row after row while its
/// handle stays put at the bottom. UI thread only.
class SteadyScrollBar : public QScrollBar
{
    Q_OBJECT
public:
    explicit SteadyScrollBar(Qt::Orientation orientation, QWidget *parent = nullptr);

    /// Between gatherChanges(true) and gatherChanges(false), range, step and value changes are
    /// gathered: the bar is painted again at the end if it then looks other than it is shown,
    /// not for the steps in between (a range grown by a row before the value follows it).
    void gatherChanges(bool on);
    /// Whether the changes gathered so far make the bar look other than it is shown.
    bool gatheredChangesShow() const;

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent *event) override;

private:
    /// What a range, step or value change can alter in the bar's picture.
    struct Look
    {
        QRect handle;
        bool atMinimum = false;
        bool atMaximum = false;
        bool operator==(const Look &) const = default;
    };
    Look look() const;

    /// The look of the bar as painted last, whole.
    std::optional<Look> m_shown;
    bool m_gathering = false;
    bool m_gathered = false;
    /// Whether the gathered changes move the bar, once asked (the handle's place costs a look).
    mutable std::optional<bool> m_gatheredShows;
};

} // namespace orvel
