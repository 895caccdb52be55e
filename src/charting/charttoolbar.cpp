// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/charttoolbar.h"

#include "charting/chartcontrol.h"
#include "widgets/iconresources.h"

#include <QActionGroup>
#include <QMenu>
#include <QToolButton>

namespace orvel {

namespace {
const QString GraphTypeKey = QStringLiteral("GraphType");
const QString GraphLine = QStringLiteral("GraphLine");
const QString GraphCombo2D = QStringLiteral("GraphCombo2D");

struct TypeEntry
{
    const char *key;
    const char *text;
    ChartType type;
    bool stacking;
    bool oblique;
};
constexpr TypeEntry TypeEntries[] = {
    {"GraphLine", "Line", ChartType::Line, false, false},
    {"GraphArea", "Area", ChartType::Area, false, false},
    {"GraphBar2D", "2D Bar", ChartType::Bar2D, false, false},
    {"GraphBar3D", "3D Bar", ChartType::Bar3D, true, true},
    {"GraphCombo2D", "2D Combination", ChartType::Combo2D, false, false},
    {"GraphCombo3D", "3D Combination", ChartType::Combo3D, false, false},
    {"GraphStep", "Step", ChartType::Step, true, false},
};

const TypeEntry *typeEntry(const QString &key)
{
    for (const TypeEntry &entry : TypeEntries) {
        if (key == QLatin1String(entry.key))
            return &entry;
    }
    return nullptr;
}

struct StatButton
{
    const char *key;
    qint32 series;
    Statistic statistic;
};
constexpr StatButton StatButtons[] = {
    {"GraphSmallMinimum", SmallSeries, Statistic::Minimum},
    {"GraphSmallAverage", SmallSeries, Statistic::Mean},
    {"GraphSmallMaximum", SmallSeries, Statistic::Maximum},
    {"GraphLargeMinimum", LargeSeries, Statistic::Minimum},
    {"GraphLargeAverage", LargeSeries, Statistic::Mean},
    {"GraphLargeMaximum", LargeSeries, Statistic::Maximum},
};
} // namespace

ChartToolbar::ChartToolbar(ChartControl &chart, QWidget *parent)
    : KeyedToolbar(QStringLiteral("ChartToolbar"), parent)
    , m_chart(chart)
{
    setIconSize(QSize(16, 16));
    connect(this, &KeyedToolbar::buttonClicked, this,
            [this](const QString &key) { ChartToolbar_ButtonClick(button(key)); });

    addButton(QStringLiteral("LoadGraphData"), QStringLiteral("Load test graph data (DEMO ONLY)"),
              QStringLiteral("Graph"));
    addButton(QStringLiteral("ClearGraphData"), QStringLiteral("Clear graph data DEMO ONLY)"),
              QStringLiteral("ClearGraphData"));
    addKeyedSeparator(QStringLiteral("FirstSeparator"));

    QAction *graphType = addButton(GraphTypeKey, QStringLiteral("Graph Type: Line"), GraphLine);
    m_graphTypeMenu = new QMenu(this);
    // The entries are checked as radio items, so the menu marks the type the chart shows.
    auto *types = new QActionGroup(m_graphTypeMenu);
    types->setExclusive(true);
    for (const TypeEntry &entry : TypeEntries) {
        QAction *item = m_graphTypeMenu->addAction(ButtonImage(QLatin1String(entry.key)),
                                                   QLatin1String(entry.text));
        item->setObjectName(QLatin1String(entry.key));
        item->setCheckable(true);
        types->addAction(item);
        const QString key = QLatin1String(entry.key);
        connect(item, &QAction::triggered, this,
                [this, key] { ChartToolbar_ButtonMenuClick(key); });
    }
    menuEntry(GraphLine)->setChecked(true);
    graphType->setMenu(m_graphTypeMenu);
    if (QToolButton *dropDown = graphTypeButton())
        dropDown->setPopupMode(QToolButton::InstantPopup);

    addButton(QStringLiteral("GraphLegend"), QStringLiteral("Show legend"),
              QStringLiteral("GraphLegend"), true);
    addKeyedSeparator();
    addButton(QStringLiteral("GraphSmallParticles"), QStringLiteral("Graph small particle counts"),
              QStringLiteral("GraphSmallParticles"), true)
        ->setChecked(true);
    addButton(QStringLiteral("GraphSmallMinimum"), QStringLiteral("Show minimum"),
              QStringLiteral("GraphMinimum"), true);
    addButton(QStringLiteral("GraphSmallAverage"), QStringLiteral("Show average"),
              QStringLiteral("GraphAverage"), true);
    addButton(QStringLiteral("GraphSmallMaximum"), QStringLiteral("Show maximum"),
              QStringLiteral("GraphMaximum"), true);
    addKeyedSeparator();
    addButton(QStringLiteral("GraphLargeParticles"), QStringLiteral("Graph large particle counts"),
              QStringLiteral("GraphLargeParticles"), true)
        ->setChecked(true);
    addButton(QStringLiteral("GraphLargeMinimum"), QStringLiteral("Show minimum"),
              QStringLiteral("GraphMinimum"), true);
    addButton(QStringLiteral("GraphLargeAverage"), QStringLiteral("Show average"),
              QStringLiteral("GraphAverage"), true);
    addButton(QStringLiteral("GraphLargeMaximum"), QStringLiteral("Show maximum"),
              QStringLiteral("GraphMaximum"), true);
    addKeyedSeparator(QStringLiteral("LastSeparator"));
}

QIcon ChartToolbar::ButtonImage(const QString &imageKey)
{
    return toolbarIcon(imageKey);
}

QString ChartToolbar::imageKey(const QString &key) const
{
    return image(key);
}

QToolButton *ChartToolbar::graphTypeButton() const
{
    return qobject_cast<QToolButton *>(widgetForAction(button(GraphTypeKey)));
}

QAction *ChartToolbar::menuEntry(const QString &key) const
{
    for (QAction *entry : m_graphTypeMenu->actions()) {
        if (entry->objectName() == key)
            return entry;
    }
    return nullptr;
}

bool ChartToolbar::isChecked(const QString &key) const
{
    const QAction *action = button(key);
    return action && action->isChecked();
}

void ChartToolbar::ChartToolbar_ButtonClick(QAction *clicked)
{
    const QString key = this->key(clicked);
    if (key.isEmpty())
        return;
    if (key == QLatin1String("LoadGraphData")) {
        Q_EMIT loadGraphDataRequested();
    } else if (key == QLatin1String("ClearGraphData")) {
        Q_EMIT clearGraphDataRequested();
    } else if (key == QLatin1String("GraphLegend")) {
        m_chart.setLegendShown(clicked->isChecked());
    } else if (key == QLatin1String("GraphSmallParticles") ||
               key == QLatin1String("GraphLargeParticles")) {
        const qint32 series =
            key == QLatin1String("GraphSmallParticles") ? SmallSeries : LargeSeries;
        const bool pressed = clicked->isChecked();
        m_chart.setSeriesExcluded(series, !pressed);
        const QString type = imageKey(GraphTypeKey);
        const bool available =
            pressed && (type == GraphLine || (series == LargeSeries && type == GraphCombo2D));
        EnableStatLineButtons(qint16(series), available);
    } else {
        for (const StatButton &stat : StatButtons) {
            if (key == QLatin1String(stat.key)) {
                m_chart.setStatLineStyle(stat.series, stat.statistic,
                                         clicked->isChecked() ? StatLineStyle::Dashed
                                                              : StatLineStyle::None);
            }
        }
    }
}

bool ChartToolbar::ChartToolbar_ButtonMenuClick(const QString &entryKey)
{
    const TypeEntry *entry = typeEntry(entryKey);
    if (!entry)
        return false;
    QAction *graphType = button(GraphTypeKey);
    setImage(GraphTypeKey, entryKey);
    menuEntry(entryKey)->setChecked(true);
    const QString tip = QStringLiteral("Graph Type: ") + QLatin1String(entry->text);
    graphType->setToolTip(tip);
    graphType->setText(tip);
    m_chart.setChartType(entry->type);
    m_chart.setStacking(entry->stacking);
    if (entry->oblique)
        m_chart.setProjection(Projection::Oblique);
    EnableStatLineButtons(SmallSeries, entryKey == GraphLine);
    EnableStatLineButtons(LargeSeries, entryKey == GraphCombo2D || entryKey == GraphLine);
    return true;
}

void ChartToolbar::EnableStatLineButtons(qint16 series, bool enabled)
{
    for (const StatButton &stat : StatButtons) {
        if (stat.series == series)
            button(QLatin1String(stat.key))->setEnabled(enabled);
    }
}

void ChartToolbar::setDemoButtonsVisible(bool visible)
{
    for (const char *key : {"LoadGraphData", "ClearGraphData", "FirstSeparator"})
        button(QLatin1String(key))->setVisible(visible);
}

} // namespace orvel
