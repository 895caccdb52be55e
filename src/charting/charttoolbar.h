// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "charting/charttypes.h"
#include "widgets/keyedtoolbar.h"

#include <QIcon>

class QMenu;
class QToolButton;

namespace orvel {

class ChartControl;

/// The toolbar above the chart: chart type menu, legend, series and statistic-line buttons, and
/// the two demonstration buttons. The options act on the ChartControl at once; their state lives in
/// the buttons: the checked state of each two-state button and the image key of the `GraphType`
/// button, which names the chosen chart type. Buttons are found by key; start-up restores them by
/// setting their state and calling the click handlers. UI thread only.
class ChartToolbar : public KeyedToolbar
{
    Q_OBJECT
public:
    /// The chart must outlive the toolbar.
    explicit ChartToolbar(ChartControl &chart, QWidget *parent = nullptr);

    /// The image key a button shows.
    QString imageKey(const QString &key) const;
    /// The chart type menu of `GraphType` and its drop-down button.
    QMenu *graphTypeMenu() const { return m_graphTypeMenu; }
    QToolButton *graphTypeButton() const;
    /// The chart type menu entry of `key` (`GraphLine` ... `GraphStep`), or null.
    QAction *menuEntry(const QString &key) const;

    /// Handles a click on `button`, whose checked state has already changed: shows the legend,
    /// includes or excludes a series, switches a statistic line, or asks for the demonstration
    /// data to be loaded or cleared. Other buttons do nothing.
    void ChartToolbar_ButtonClick(QAction *button);
    /// Handles the choice of a chart type menu entry: the entry is checked (the menu's entries
    /// are exclusive), the `GraphType` button takes its image key and its name in the tooltip,
    /// the chart its type, stacking and projection, and the statistic
    /// buttons are enabled where the type can show the lines. Returns false, changing nothing, for
    /// a key that is not in the menu (a stored setting that no longer fits).
    bool ChartToolbar_ButtonMenuClick(const QString &entryKey);
    /// Enables or disables the three statistic buttons of series 1 (large) or 2 (small), leaving
    /// their checked state alone; other series numbers do nothing.
    void EnableStatLineButtons(qint16 series, bool enabled);

    /// Shows or hides `LoadGraphData`, `ClearGraphData` and `FirstSeparator`.
    void setDemoButtonsVisible(bool visible);

    /// The image of `imageKey` from the program's icons.
    static QIcon ButtonImage(const QString &imageKey);

Q_SIGNALS:
    /// `LoadGraphData` was clicked: fill the chart with generated test data.
    void loadGraphDataRequested();
    /// `ClearGraphData` was clicked: reset the sample processor.
    void clearGraphDataRequested();

private:
    bool isChecked(const QString &key) const;

    ChartControl &m_chart;
    QMenu *m_graphTypeMenu = nullptr;
};

} // namespace orvel
