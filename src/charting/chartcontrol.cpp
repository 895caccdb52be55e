// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/chartcontrol.h"

#include "charting/barplottable.h"
#include "charting/chartaxes.h"
#include "charting/chartdatamodel.h"
#include "charting/chartexport.h"
#include "charting/chartlook.h"
#include "charting/chartplan.h"
#include "charting/densegraph.h"
#include "charting/linepoints.h"
#include "charting/statisticlines.h"
#include "charting/titlecacheaxis.h"

#include <qcustomplot.h>

#include <QMenu>

namespace orvel {

namespace {
bool validSeries(qint32 series)
{
    return series == LargeSeries || series == SmallSeries;
}

QColor withAlpha(QColor color, int alpha)
{
    color.setAlpha(alpha);
    return color;
}

} // namespace

ChartControl::ChartControl(ChartDataModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    setObjectName(QStringLiteral("ChartControl"));
    // The grid always has the two series columns; a chart reset keeps them.
    if (m_model.columnCount() < 2)
        m_model.setColumnCount(2);
    m_pacer = new RedrawPacer(this, [this] { redraw(); });
    buildPlot();
    m_export->setBeforeRender([this] { m_pacer->catchUp(); });
    connect(&m_model, &ChartDataModel::changed, m_pacer, &RedrawPacer::changed);
    redraw();
}

ChartControl::~ChartControl() = default;

void ChartControl::buildPlot()
{
    // Placed by resizeEvent, which leaves it out (at its last size) on a sliver of a chart.
    m_plot = new QCustomPlot(this);
    TitleCacheAxis::install(m_plot);
    m_plot->setLocale(locale());
    m_plot->setAutoAddPlottableToLegend(false);
    m_plot->setNotAntialiasedElements(QCP::aeAxes | QCP::aeGrid | QCP::aeSubGrid | QCP::aeFills);
    m_plot->setPlottingHint(QCP::phFastPolylines, true);

    QCPAxis *x = m_plot->xAxis;
    QCPAxis *y = m_plot->yAxis;
    // Bars first, so the line of the combination types is drawn over them.
    m_bars = new BarPlottable(x, y);
    m_bars->setSeriesValues(&m_values[0], &m_values[1]);
    for (qint32 series : {LargeSeries, SmallSeries}) {
        auto *graph = new DenseGraph(x, y);
        graph->setAdaptiveSampling(true);
        m_graphs[size_t(series - 1)] = graph;
    }
    for (qint32 series : {LargeSeries, SmallSeries}) {
        // Empty graphs that only stand for their series in the legend.
        m_legendEntries[size_t(series - 1)] = m_plot->addGraph(x, y);
    }
    m_statLines = std::make_unique<StatisticLines>(m_plot);
    m_look = std::make_unique<ChartLook>(m_plot, *m_statLines, *m_bars, m_legendEntries);
    m_axes = std::make_unique<ChartAxes>(m_plot, m_model);

    m_pointTip = new PointTip(m_plot, m_model, this);
    m_export = new ChartExport(m_plot, this);
    m_plot->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_plot, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        QMenu *menu = m_export->createContextMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_plot->mapToGlobal(at));
    });
    applyLook();
}

QColor ChartControl::seriesColor(qint32 series) const
{
    return m_look->seriesColor(series);
}

void ChartControl::applyLook()
{
    m_plot->xAxis->setSubTicks(false);
    m_look->applyPalette(palette());
}

void ChartControl::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (m_look &&
        (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)) {
        applyLook();
        redraw();
    }
}

void ChartControl::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_pacer->shown();
}

QSize ChartControl::sizeHint() const
{
    return m_plot->plotLayout()->minimumOuterSizeHint();
}

QSize ChartControl::minimumSizeHint() const
{
    return {m_plot->plotLayout()->minimumOuterSizeHint().width(), 0};
}

void ChartControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const bool shown = height() >= MinimumPlotHeight;
    if (shown)
        m_plot->setGeometry(rect());
    m_plot->setVisible(shown);
}

void ChartControl::setChartType(ChartType type)
{
    m_type = type;
    redraw();
}

void ChartControl::setStacking(bool stacking)
{
    m_stacking = stacking;
    redraw();
}

void ChartControl::setProjection(Projection projection)
{
    m_projection = projection;
    redraw();
}

void ChartControl::setLegendShown(bool shown)
{
    m_legendShown = shown;
    redraw();
}

bool ChartControl::isSeriesExcluded(qint32 series) const
{
    return validSeries(series) && m_excluded[size_t(series - 1)];
}

void ChartControl::setSeriesExcluded(qint32 series, bool excluded)
{
    if (!validSeries(series))
        return;
    m_excluded[size_t(series - 1)] = excluded;
    redraw();
}

StatLineStyle ChartControl::statLineStyle(qint32 series, Statistic statistic) const
{
    return m_statLines->style(series, statistic);
}

void ChartControl::setStatLineStyle(qint32 series, Statistic statistic, StatLineStyle style)
{
    if (!validSeries(series))
        return;
    m_statLines->setStyle(series, statistic, style);
    redraw();
}

std::array<bool, 2> ChartControl::statSeriesShown() const
{
    return {ChartPlan::statLinesAvailable(m_type, LargeSeries) && !m_excluded[0],
            ChartPlan::statLinesAvailable(m_type, SmallSeries) && !m_excluded[1]};
}

bool ChartControl::statLineShown(qint32 series, Statistic statistic) const
{
    m_pacer->catchUp();
    return m_statLines->isShown(series, statistic, statSeriesShown());
}

std::optional<double> ChartControl::statisticValue(qint32 series, Statistic statistic) const
{
    m_pacer->catchUp();
    return m_statLines->value(series, statistic);
}

qint32 ChartControl::drawnPointCount(qint32 series) const
{
    m_pacer->catchUp();
    return validSeries(series) ? m_drawnPoints[size_t(series - 1)] : 0;
}

std::vector<std::pair<qint32, QString>> ChartControl::shownCategoryLabels() const
{
    m_pacer->catchUp();
    return m_axes->shownLabels();
}

double ChartControl::depthPixels() const
{
    m_pacer->catchUp();
    return m_bars->lastDepth();
}

QPointF ChartControl::depthDirection() const
{
    m_pacer->catchUp();
    return m_bars->depthDirection();
}

void ChartControl::redrawNow()
{
    redraw();
    m_plot->replot(QCustomPlot::rpImmediateRefresh);
}

void ChartControl::readModel()
{
    for (qint32 series : {LargeSeries, SmallSeries}) {
        std::vector<double> &v = values(series);
        m_model.columnValues(series, v);
        m_statLines->compute(series, v);
    }
}

void ChartControl::redraw()
{
    ++m_redraws;
    m_pacer->redrawStarted();
    readModel();

    const double pixelsPerRow = m_axes->plotPixelsPerRow();
    const bool dense = pixelsPerRow < 1;
    const ChartPlan plan = ChartPlan::make(m_type, m_stacking, m_projection, m_excluded, dense);
    // Dense lines are one pixel wide and not smoothed: those not blended into pixel columns
    // (steps, area outlines) are drawn as one polyline per series, in a fraction of the time of
    // a line call per segment, which only pays for wide smooth pens.
    m_plot->setPlottingHint(QCP::phFastPolylines, !dense);
    for (qint32 series : {LargeSeries, SmallSeries}) {
        DenseGraph *graph = m_graphs[size_t(series - 1)];
        const ChartPlan::Graph &look = plan.graphs[size_t(series - 1)];
        graph->setVisible(look.shown);
        if (!look.shown) {
            graph->data()->clear();
            continue;
        }
        // A dense plain line keeps only what each pixel column shows; steps and filled areas
        // keep every row.
        const bool thinned = dense && !look.step && !look.brush;
        graph->setColumnDrawn(thinned);
        graph->data()->set(LinePoints::make(values(series),
                                            look.onLarge ? &values(LargeSeries) : nullptr,
                                            thinned ? 1 / pixelsPerRow : 1),
                           true);
        const QColor color = seriesColor(series);
        graph->setPen(QPen(color, look.penWidth));
        graph->setLineStyle(look.step ? QCPGraph::lsStepCenter : QCPGraph::lsLine);
        graph->setChannelFillGraph(look.onLarge ? m_graphs[0] : nullptr);
        graph->setBrush(look.brush ? QBrush(withAlpha(color, look.fillAlpha)) : Qt::NoBrush);
        graph->setAntialiased(look.antialiased);
    }
    if (m_type == ChartType::Area) {
        // Overlapping areas: the series with the lower mean in front, so both stay visible.
        const double largeMean = m_statLines->value(LargeSeries, Statistic::Mean).value_or(0);
        const double smallMean = m_statLines->value(SmallSeries, Statistic::Mean).value_or(0);
        QCPGraph *front = m_graphs[largeMean <= smallMean ? 0 : 1];
        front->setLayer(front->layer());
    }

    m_bars->setVisible(plan.barsShown);
    m_bars->setBarSeries(plan.barLarge, plan.barSmall);
    m_bars->setLineSeries(plan.ribbonSeries);
    m_bars->setStacked(plan.barsStacked);
    m_bars->setFillAlpha(plan.barAlpha);
    m_bars->setDepthDirection(plan.depthDirection);

    for (qint32 series : {LargeSeries, SmallSeries}) {
        m_drawnPoints[size_t(series - 1)] =
            m_excluded[size_t(series - 1)] ? 0 : m_statLines->count(series);
    }

    m_axes->update(m_values, m_excluded, plan.valuesStacked,
                   {m_statLines->value(LargeSeries, Statistic::Maximum).value_or(0),
                    m_statLines->value(SmallSeries, Statistic::Maximum).value_or(0)});
    m_statLines->update(statSeriesShown(), locale());
    updateLegend(plan.legendFilled);
    // On screen the plot is rendered now, so that it reaches the screen in the same paint as
    // the counts and the log pane that changed with it; redraws are paced per frame already.
    m_plot->replot(m_pacer->onScreen() ? QCustomPlot::rpQueuedRefresh
                                       : QCustomPlot::rpQueuedReplot);
}

void ChartControl::updateLegend(bool filled)
{
    // Built again only when it changes: a new legend is measured and laid out afresh.
    LegendContent content{m_legendShown, filled, m_excluded, m_model.columnLabel(LargeSeries),
                          m_model.columnLabel(SmallSeries)};
    if (content == m_legendBuiltFor)
        return;
    m_legendBuiltFor = std::move(content);
    m_look->setLegendShown(m_legendShown);
    m_plot->legend->clearItems();
    for (qint32 series : {LargeSeries, SmallSeries}) {
        QCPGraph *entry = m_legendEntries[size_t(series - 1)];
        entry->setName(m_model.columnLabel(series));
        entry->setBrush(filled ? QBrush(withAlpha(seriesColor(series), 160)) : Qt::NoBrush);
        if (!m_excluded[size_t(series - 1)])
            entry->addToLegend();
    }
}

} // namespace orvel
