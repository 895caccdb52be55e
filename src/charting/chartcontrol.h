// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "charting/chartexport.h"
#include "charting/charttypes.h"
#include "charting/pointtip.h"
#include "charting/redrawpacer.h"
#include "common/frameclock.h"

#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class QCPGraph;
class QCustomPlot;
class QMenu;

namespace orvel {

class BarPlottable;
class ChartAxes;
class DenseGraph;
class ChartDataModel;
class ChartLook;
class StatisticLines;

/// The chart: draws a ChartDataModel as one category per row, labelled with the row labels, and
/// two series (1 = large counts, 2 = small counts) in one of the ChartType looks, with the axis
/// titles of the model, hideable category axis line and grid lines, series that can be excluded,
/// an optional legend, and per series dashed minimum, maximum and mean lines computed over the
/// rows on the chart.
///
/// Follows the model's changed() signal, so its repaint switch is honoured: while it is off the
/// chart is not touched, and switching it on redraws once. However often the model changes, the
/// chart is redrawn at most once per screen frame: a change after a quiet frame at once, later
/// ones of the same frame together at its end; not at all while the chart is hidden or its
/// window minimised (it catches up when shown; see RedrawPacer). What the chart tells (its
/// statistics, labels, point counts, tooltips, copies) is always that of the model's latest
/// state. Row labels are thinned so they never overlap (ChartAxes). The context menu copies the
/// chart to the clipboard or saves it as PNG, JPEG or PDF; hovering a point shows its sample,
/// time and both counts (PointTip). UI thread only.
class ChartControl : public QWidget
{
    Q_OBJECT
public:
    /// Asks for the file to save the chart in; returns the empty text when cancelled.
    using SaveFileChooser = ChartExport::SaveFileChooser;
    /// The first line of a point's tooltip for a row (see PointTip).
    using RowCaption = PointTip::RowCaption;

    /// The model must outlive the chart; it gets the two series columns when it has fewer.
    explicit ChartControl(ChartDataModel &model, QWidget *parent = nullptr);
    ~ChartControl() override;

    ChartType chartType() const { return m_type; }
    void setChartType(ChartType type);
    /// Stacking of the series; the bar and step types follow it.
    bool stacking() const { return m_stacking; }
    void setStacking(bool stacking);
    /// The look of the 3D types; kept when another type is chosen.
    Projection projection() const { return m_projection; }
    void setProjection(Projection projection);
    bool legendShown() const { return m_legendShown; }
    void setLegendShown(bool shown);
    /// Series 1 (large) or 2 (small); other numbers are ignored (and read as not excluded).
    bool isSeriesExcluded(qint32 series) const;
    void setSeriesExcluded(qint32 series, bool excluded);
    StatLineStyle statLineStyle(qint32 series, Statistic statistic) const;
    void setStatLineStyle(qint32 series, Statistic statistic, StatLineStyle style);

    /// Whether that statistic line is on screen: style dashed, available and series included.
    bool statLineShown(qint32 series, Statistic statistic) const;
    /// The value of a statistic over the rows on the chart; nullopt when the series has none.
    std::optional<double> statisticValue(qint32 series, Statistic statistic) const;

    /// Shortest time between two redraws that follow the model, in milliseconds: a screen frame.
    static constexpr int FrameMs = FrameClock::FrameMs;

    /// Reads the model again and schedules a repaint.
    void redraw();
    /// Whether a change of the model waits for the end of the frame or for the chart to be shown.
    bool redrawPending() const { return m_pacer->isPending(); }
    /// Redraws and paints at once (for benchmarks and screenshots).
    void redrawNow();
    /// Number of redraw() runs so far.
    quint64 redrawCount() const
    {
        m_pacer->catchUp();
        return m_redraws;
    }
    /// Points of `series` handed to the plot by the last redraw (0 when not drawn).
    qint32 drawnPointCount(qint32 series) const;
    /// The labels the category axis shows, by row, after the last redraw.
    std::vector<std::pair<qint32, QString>> shownCategoryLabels() const;
    /// Depth in pixels of the 3D look at the last paint, and its direction (x right, y down).
    double depthPixels() const;
    QPointF depthDirection() const;

    /// The tooltip text of a row: caption, time label and both counts; empty for an empty row.
    QString pointDescription(qint32 row) const { return m_pointTip->description(row); }
    void setRowCaption(RowCaption caption) { m_pointTip->setRowCaption(std::move(caption)); }

    /// Copying and saving the chart (see ChartExport); the context menu uses it too.
    ChartExport *chartExport() const { return m_export; }
    /// Copies the chart as an image to the clipboard.
    void copyChart() { m_export->copyChart(); }
    /// Saves the chart in `fileName`, the format by its ending (.png, .jpg, .pdf; none = PNG).
    /// Returns false and reports through the notifier (when set) on failure.
    bool saveChart(const QString &fileName) { return m_export->saveChart(fileName); }
    /// Asks for a file through the chooser and saves the chart there; false when cancelled/failed.
    bool saveChartAs() { return m_export->saveChartAs(); }
    void setSaveFileChooser(SaveFileChooser chooser)
    {
        m_export->setSaveFileChooser(std::move(chooser));
    }
    void setNotifier(Notifier *notifier) { m_export->setNotifier(notifier); }
    /// The context menu ("Copy chart", "Save chart as…"), owned by the caller.
    QMenu *createContextMenu(QWidget *parent) { return m_export->createContextMenu(parent); }

    /// The plot, up to date with the model.
    QCustomPlot *plot() const
    {
        m_pacer->catchUp();
        return m_plot;
    }

    /// Below this height nothing of the chart could be read: the plot is left out.
    static constexpr int MinimumPlotHeight = 24;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    /// Follows palette and style changes: the chart takes its colours from the palette.
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildPlot();
    void applyLook();
    QColor seriesColor(qint32 series) const;
    void readModel();
    void updateLegend(bool filled);
    /// Per series - 1: whether the chart type and the exclusions let its statistic lines show.
    std::array<bool, 2> statSeriesShown() const;
    std::vector<double> &values(qint32 series) { return m_values[size_t(series - 1)]; }

    ChartDataModel &m_model;
    QCustomPlot *m_plot = nullptr;
    std::array<DenseGraph *, 2> m_graphs{};
    std::array<QCPGraph *, 2> m_legendEntries{};
    BarPlottable *m_bars = nullptr;
    std::unique_ptr<StatisticLines> m_statLines;
    std::unique_ptr<ChartLook> m_look;
    std::unique_ptr<ChartAxes> m_axes;
    RedrawPacer *m_pacer = nullptr;

    ChartType m_type = ChartType::Line;
    bool m_stacking = false;
    Projection m_projection = Projection::Perspective;
    bool m_legendShown = false;
    std::array<bool, 2> m_excluded{};
    /// What the legend was last built for.
    struct LegendContent
    {
        bool shown = false;
        bool filled = false;
        std::array<bool, 2> excluded{};
        QString largeLabel;
        QString smallLabel;
        bool operator==(const LegendContent &) const = default;
    };
    std::optional<LegendContent> m_legendBuiltFor;

    std::array<std::vector<double>, 2> m_values;
    std::array<qint32, 2> m_drawnPoints{};
    quint64 m_redraws = 0;

    PointTip *m_pointTip = nullptr;
    ChartExport *m_export = nullptr;
};

} // namespace orvel
