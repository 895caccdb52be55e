// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/chartlook.h"

#include "charting/barplottable.h"
#include "charting/charttypes.h"
#include "charting/statisticlines.h"

#include <qcustomplot.h>

#include <algorithm>
#include <numeric>

namespace orvel {

namespace {
/// The series on a light background, and lighter ones that keep their contrast on a dark one.
constexpr std::array<QRgb, 2> LightColors = {0xE05A2B, 0x2F80D0};
constexpr std::array<QRgb, 2> DarkColors = {0xFF8A5C, 0x5CA8FF};
/// Gap between the plot and the statistic labels beside it.
constexpr int LabelGap = 6;

QColor withAlpha(QColor color, int alpha)
{
    color.setAlpha(alpha);
    return color;
}
} // namespace

ChartLook::ChartLook(QCustomPlot *plot, StatisticLines &statLines, BarPlottable &bars,
                     std::array<QCPGraph *, 2> legendEntries)
    : m_plot(plot)
    , m_statLines(statLines)
    , m_bars(bars)
    , m_legendEntries(legendEntries)
{
    // The legend lives in a row above the plot, right-aligned, its entries side by side, so it
    // never covers a point.
    QCPLegend *legend = m_plot->legend;
    m_plot->axisRect()->insetLayout()->take(legend);
    m_plot->axisRect()->insetLayout()->simplify();
    legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    legend->setColumnSpacing(16);
    legend->setBorderPen(Qt::NoPen);
    legend->setBrush(Qt::NoBrush);
    legend->setMargins(QMargins(4, 2, 4, 0));
    m_legendRow = new QCPLayoutGrid;
    m_legendRow->addElement(0, 0, new QCPLayoutElement(m_plot));
    m_legendRow->addElement(0, 1, legend);
    m_legendRow->setColumnStretchFactor(1, 0.001);
    legend->setVisible(false);
    // Nothing is drawn over the plot on a layer of its own (no selection rectangle): the overlay
    // shares the one paint buffer, which saves clearing and putting a second one every frame.
    if (QCPLayer *overlay = m_plot->layer(QStringLiteral("overlay")))
        overlay->setMode(QCPLayer::lmLogical);

    QObject::connect(m_plot, &QCustomPlot::beforeReplot, m_plot, [this] { arrange(); });
    QObject::connect(m_plot, &QCustomPlot::afterLayout, m_plot, [this] { placeLabels(); });
}

ChartLook::~ChartLook()
{
    QObject::disconnect(m_plot, &QCustomPlot::beforeReplot, m_plot, nullptr);
    QObject::disconnect(m_plot, &QCustomPlot::afterLayout, m_plot, nullptr);
    if (!m_legendRow->layout())
        delete m_legendRow;
}

QColor ChartLook::seriesColor(qint32 series) const
{
    return m_colors[series == LargeSeries ? 0 : 1];
}

void ChartLook::applyPalette(const QPalette &palette)
{
    const QColor base = palette.color(QPalette::Base);
    const QColor text = palette.color(QPalette::Text);
    const bool dark = base.lightness() < 128;
    for (size_t i = 0; i < 2; ++i)
        m_colors[i] = QColor::fromRgb(dark ? DarkColors[i] : LightColors[i]);

    m_plot->setBackground(base);
    for (QCPAxis *axis : {m_plot->xAxis, m_plot->yAxis}) {
        axis->setBasePen(QPen(withAlpha(text, 160), 1));
        axis->setTickPen(QPen(withAlpha(text, 160), 1));
        axis->setSubTickPen(QPen(withAlpha(text, 100), 1));
        axis->setTickLabelColor(text);
        axis->setLabelColor(text);
        axis->grid()->setPen(QPen(withAlpha(text, 40), 1, Qt::SolidLine));
        axis->grid()->setSubGridPen(QPen(withAlpha(text, 22), 1, Qt::DotLine));
        axis->grid()->setZeroLinePen(Qt::NoPen);
    }
    m_plot->legend->setTextColor(text);
    for (qint32 series : {LargeSeries, SmallSeries}) {
        QCPGraph *entry = m_legendEntries[size_t(series - 1)];
        entry->setPen(QPen(seriesColor(series), 2));
    }
    m_bars.setSeriesColors(seriesColor(LargeSeries), seriesColor(SmallSeries));
    // The dashed lines a shade further from the background than the series.
    const auto lineColor = [dark](const QColor &color) {
        return dark ? color.lighter(115) : color.darker(115);
    };
    m_statLines.setColors(lineColor(seriesColor(LargeSeries)), lineColor(seriesColor(SmallSeries)));
}

void ChartLook::setLegendShown(bool shown)
{
    m_legendWanted = shown;
    m_plot->legend->setVisible(shown);
}

void ChartLook::placeLegend(bool shown)
{
    m_plot->legend->setVisible(shown);
    QCPLayoutGrid *layout = m_plot->plotLayout();
    const bool placed = m_legendRow->layout() == layout;
    if (shown && !placed) {
        layout->insertRow(0);
        layout->addElement(0, 0, m_legendRow);
        layout->setRowStretchFactor(0, 0.001);
    } else if (!shown && placed) {
        layout->take(m_legendRow);
        layout->simplify();
    }
}

int ChartLook::valueTickCount(int plotHeight) const
{
    // Value ticks at least three lines of text apart.
    const int lineHeight = QFontMetrics(m_plot->yAxis->tickLabelFont()).height();
    return std::clamp(plotHeight / (3 * lineHeight), 1, 5);
}

QString ChartLook::elided(size_t axis, const QString &title, int pixels) const
{
    const QFont font = m_plot->xAxis->labelFont();
    Elision &last = m_elisions[axis];
    if (last.pixels != pixels || last.title != title || last.font != font) {
        last.title = title;
        last.pixels = pixels;
        last.font = font;
        last.text = QFontMetrics(font).elidedText(title, Qt::ElideRight, std::max(pixels, 0));
    }
    return last.text;
}

void ChartLook::arrange()
{
    // The plot as the coming layout will make it: the viewport less the last margins.
    const QRect viewport = m_plot->viewport();
    const QMargins margins = m_plot->axisRect()->margins();
    const bool legend = m_legendWanted && viewport.height() >= LegendMinimumHeight;
    placeLegend(legend);
    const int legendHeight = legend ? m_plot->legend->minimumOuterSizeHint().height() : 0;
    const int plotHeight = viewport.height() - legendHeight - margins.top() - margins.bottom();

    m_plot->yAxis->ticker()->setTickCount(valueTickCount(plotHeight));

    // The date below the time labels goes before the plot gets too short to read.
    QCPAxis *category = m_plot->xAxis;
    if (category->label() != m_shownTitles[0])
        m_titles[0] = category->label();
    m_categoryTitleDropped = viewport.height() < CategoryTitleMinimumHeight;
    m_shownTitles[0] = m_categoryTitleDropped ? QString() : m_titles[0];
    category->setLabel(m_shownTitles[0]);

    // The labels stand beside the plot only when all of them fit along its height.
    const std::vector<StatisticLines::Label> labels = m_statLines.labels();
    int labelHeight = 0;
    int labelWidth = 0;
    for (const StatisticLines::Label &label : labels) {
        const QFontMetrics metrics(label.text->font());
        const QMargins padding = label.text->padding();
        labelHeight = metrics.height() + padding.top() + padding.bottom();
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(label.text->text()) +
                                              padding.left() + padding.right());
    }
    m_labelsShown = !labels.empty() && int(labels.size()) * labelHeight <= plotHeight;
    for (const StatisticLines::Label &label : labels)
        label.text->setVisible(m_labelsShown);
    // Room above the plot for the upper half of the top value label.
    const int lineHeight = QFontMetrics(m_plot->yAxis->tickLabelFont()).height();
    m_plot->axisRect()->setMinimumMargins(
        QMargins(0, lineHeight / 2, m_labelsShown ? labelWidth + 2 * LabelGap : 0, 0));
}

void ChartLook::placeLabels()
{
    const QRect rect = m_plot->axisRect()->rect();
    // Titles longer than their axis end in an ellipsis; a new title set on the axis is kept whole.
    // (The title's length along its axis does not change the layout.)
    QCPAxis *axes[2] = {m_plot->xAxis, m_plot->yAxis};
    const int lengths[2] = {rect.width(), rect.height()};
    for (size_t i = m_categoryTitleDropped ? 1 : 0; i < 2; ++i) {
        if (axes[i]->label() != m_shownTitles[i])
            m_titles[i] = axes[i]->label();
        m_shownTitles[i] = elided(i, m_titles[i], lengths[i]);
        axes[i]->setLabel(m_shownTitles[i]);
    }
    // The tick count was guessed from the last layout; where this one differs, once more.
    const int ticks = valueTickCount(rect.height());
    if (ticks != m_plot->yAxis->ticker()->tickCount()) {
        m_plot->yAxis->ticker()->setTickCount(ticks);
        m_plot->replot(QCustomPlot::rpQueuedReplot);
    }

    if (!m_labelsShown)
        return;
    const std::vector<StatisticLines::Label> labels = m_statLines.labels();
    std::vector<double> centres;
    double height = 0;
    for (const StatisticLines::Label &label : labels) {
        centres.push_back(m_plot->yAxis->coordToPixel(label.value));
        const QMargins padding = label.text->padding();
        height = std::max(height, double(QFontMetrics(label.text->font()).height() + padding.top() +
                                         padding.bottom()));
    }
    const std::vector<double> placed = stackLabels(centres, height, rect.top(), rect.bottom());
    for (size_t i = 0; i < labels.size(); ++i) {
        QCPItemText *text = labels[i].text;
        text->setVisible(!placed.empty());
        if (!placed.empty())
            text->position->setCoords(rect.right() + LabelGap, placed[i]);
    }
}

std::vector<double> ChartLook::stackLabels(const std::vector<double> &centres, double height,
                                           double top, double bottom)
{
    const size_t n = centres.size();
    if (n == 0 || double(n) * height > bottom - top)
        return {};
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return centres[a] < centres[b]; });
    std::vector<double> y(n);
    for (size_t k = 0; k < n; ++k) {
        y[k] = std::clamp(centres[order[k]], top + height / 2, bottom - height / 2);
        if (k > 0)
            y[k] = std::max(y[k], y[k - 1] + height);
    }
    // Pushed past the bottom: back up from there.
    y[n - 1] = std::min(y[n - 1], bottom - height / 2);
    for (size_t k = n - 1; k-- > 0;)
        y[k] = std::min(y[k], y[k + 1] - height);
    std::vector<double> placed(n);
    for (size_t k = 0; k < n; ++k)
        placed[order[k]] = y[k];
    return placed;
}

} // namespace orvel
