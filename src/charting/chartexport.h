// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QObject>

#include <functional>

class QCustomPlot;
class QMenu;
class QWidget;

namespace orvel {

class Notifier;

/// Copies a chart's plot to the clipboard and saves it as PNG, JPEG or PDF, through a context menu
/// or directly. The file to save in is asked through an injectable chooser (a file dialog by
/// default); failures are reported through the notifier when one is set. UI thread only.
class ChartExport : public QObject
{
    Q_OBJECT
public:
    /// Asks for the file to save the chart in; returns the empty text when cancelled.
    using SaveFileChooser =
        std::function<QString(QWidget *parent, const QString &caption, const QString &filter)>;

    /// The plot must outlive this object; `dialogParent` is the parent of the file chooser.
    ChartExport(QCustomPlot *plot, QWidget *dialogParent);

    /// Copies the chart as an image to the clipboard.
    void copyChart();
    /// Saves the chart in `fileName`, the format by its ending (.png, .jpg, .pdf; none = PNG).
    /// Returns false and reports through the notifier (when set) on failure.
    bool saveChart(const QString &fileName);
    /// Asks for a file through the chooser and saves the chart there; false when cancelled/failed.
    bool saveChartAs();
    void setSaveFileChooser(SaveFileChooser chooser) { m_chooseFile = std::move(chooser); }
    void setNotifier(Notifier *notifier) { m_notifier = notifier; }
    /// Called before the chart is rendered for copying or saving (brings it up to date).
    void setBeforeRender(std::function<void()> prepare) { m_prepare = std::move(prepare); }
    /// The context menu ("Copy chart", "Save chart as…"), owned by the caller.
    QMenu *createContextMenu(QWidget *parent);

private:
    QCustomPlot *m_plot;
    QWidget *m_dialogParent;
    SaveFileChooser m_chooseFile;
    Notifier *m_notifier = nullptr;
    std::function<void()> m_prepare;
};

} // namespace orvel
