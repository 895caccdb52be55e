// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// The chart toolbar acting on a real chart control, offscreen.

#include "charting/chartcontrol.h"
#include "charting/chartdatamodel.h"
#include "charting/charttoolbar.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace orvel;

namespace {
/// The six statistic buttons and the line each one switches.
struct StatButton
{
    const char *key;
    qint32 series;
    Statistic statistic;
};
const StatButton StatButtons[] = {
    {"GraphSmallMinimum", SmallSeries, Statistic::Minimum},
    {"GraphSmallAverage", SmallSeries, Statistic::Mean},
    {"GraphSmallMaximum", SmallSeries, Statistic::Maximum},
    {"GraphLargeMinimum", LargeSeries, Statistic::Minimum},
    {"GraphLargeAverage", LargeSeries, Statistic::Mean},
    {"GraphLargeMaximum", LargeSeries, Statistic::Maximum},
};
} // namespace

class TestChartToolbar : public QObject
{
    Q_OBJECT

private:
    struct Fixture
    {
        Fixture()
        {
            model.setRowCount(10);
            for (qint32 row = 1; row <= 10; ++row) {
                model.setData(row, LargeSeries, 100.0 * row);
                model.setData(row, SmallSeries, 1000.0 * row);
            }
        }
        ChartDataModel model;
        ChartControl chart{model};
        ChartToolbar toolbar{chart};

        QAction *button(const QString &key) { return toolbar.button(key); }
        /// A click as the user makes it: the state changes, then the handler runs.
        void click(const QString &key) { button(key)->trigger(); }
        void choose(const QString &key) { toolbar.menuEntry(key)->trigger(); }
        /// How many of the three statistic buttons of `series` are enabled.
        int enabledStats(qint32 series)
        {
            int enabled = 0;
            for (const StatButton &stat : StatButtons)
                enabled += stat.series == series && button(stat.key)->isEnabled() ? 1 : 0;
            return enabled;
        }
    };

private Q_SLOTS:
    void everyImageExists()
    {
        Fixture f;
        for (QAction *action : f.toolbar.actions()) {
            if (action->isSeparator())
                continue;
            const QString image = f.toolbar.imageKey(f.toolbar.key(action));
            QVERIFY2(!ChartToolbar::ButtonImage(image).pixmap(16, 16).isNull(), qPrintable(image));
        }
        for (QAction *entry : f.toolbar.graphTypeMenu()->actions())
            QVERIFY2(!entry->icon().pixmap(16, 16).isNull(), qPrintable(entry->objectName()));
        QCOMPARE(f.toolbar.graphTypeButton()->popupMode(), QToolButton::InstantPopup);
    }

    void demoButtonsOnlyAskAndCanHide()
    {
        Fixture f;
        QSignalSpy load(&f.toolbar, &ChartToolbar::loadGraphDataRequested);
        QSignalSpy clear(&f.toolbar, &ChartToolbar::clearGraphDataRequested);
        QVERIFY(load.isValid() && clear.isValid());
        f.click(QStringLiteral("LoadGraphData"));
        QCOMPARE(load.size(), 1);
        QCOMPARE(clear.size(), 0);
        f.click(QStringLiteral("ClearGraphData"));
        QCOMPARE(clear.size(), 1);
        QCOMPARE(f.model.value(1, LargeSeries), std::optional<double>(100.0));

        QVERIFY(f.button(QStringLiteral("FirstSeparator"))->isSeparator());
        QVERIFY(f.button(QStringLiteral("LastSeparator"))->isSeparator());
        f.toolbar.setDemoButtonsVisible(false);
        for (const char *key : {"LoadGraphData", "ClearGraphData", "FirstSeparator"})
            QVERIFY(!f.button(QLatin1String(key))->isVisible());
        QVERIFY(f.button(QStringLiteral("GraphType"))->isVisible());
    }

    void graphTypeMenu_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<ChartType>("type");
        QTest::addColumn<bool>("stacking");
        QTest::addColumn<bool>("smallStats");
        QTest::addColumn<bool>("largeStats");
        QTest::newRow("Line") << "GraphLine"
                              << "Line" << ChartType::Line << false << true << true;
        QTest::newRow("Area") << "GraphArea"
                              << "Area" << ChartType::Area << false << false << false;
        QTest::newRow("2D Bar") << "GraphBar2D"
                                << "2D Bar" << ChartType::Bar2D << false << false << false;
        QTest::newRow("3D Bar") << "GraphBar3D"
                                << "3D Bar" << ChartType::Bar3D << true << false << false;
        QTest::newRow("2D Combination")
            << "GraphCombo2D"
            << "2D Combination" << ChartType::Combo2D << false << false << true;
        QTest::newRow("3D Combination")
            << "GraphCombo3D"
            << "3D Combination" << ChartType::Combo3D << false << false << false;
        QTest::newRow("Step") << "GraphStep"
                              << "Step" << ChartType::Step << true << false << false;
    }
    void graphTypeMenu()
    {
        QFETCH(QString, key);
        QFETCH(QString, text);
        QFETCH(bool, smallStats);
        QFETCH(bool, largeStats);
        Fixture f;
        QCOMPARE(f.toolbar.menuEntry(key)->text(), text);
        QVERIFY(f.toolbar.menuEntry(QStringLiteral("GraphLine"))->isChecked());
        for (const StatButton &stat : StatButtons)
            f.click(stat.key);
        f.choose(key);
        // The menu marks the chosen type, and only it.
        for (QAction *entry : f.toolbar.graphTypeMenu()->actions())
            QCOMPARE(entry->isChecked(), entry->objectName() == key);
        QCOMPARE(f.toolbar.imageKey(QStringLiteral("GraphType")), key);
        QCOMPARE(f.button(QStringLiteral("GraphType"))->toolTip(),
                 QStringLiteral("Graph Type: ") + text);
        QTEST(f.chart.chartType(), "type");
        QTEST(f.chart.stacking(), "stacking");
        // The lines a type cannot show leave the screen and their buttons are disabled, but
        // they stay switched on for the next type that can.
        for (const StatButton &stat : StatButtons) {
            const bool available = stat.series == SmallSeries ? smallStats : largeStats;
            QCOMPARE(f.button(stat.key)->isEnabled(), available);
            QVERIFY(f.button(stat.key)->isChecked());
            QCOMPARE(f.chart.statLineStyle(stat.series, stat.statistic), StatLineStyle::Dashed);
            QCOMPARE(f.chart.statLineShown(stat.series, stat.statistic), available);
        }
    }

    void lineTypeBringsEveryStatisticBack()
    {
        Fixture f;
        f.click(QStringLiteral("GraphLargeMinimum"));
        f.choose(QStringLiteral("GraphArea"));
        QVERIFY(!f.chart.statLineShown(LargeSeries, Statistic::Minimum));
        // Back to lines: all six again, even for a series that is hidden.
        f.click(QStringLiteral("GraphSmallParticles"));
        f.choose(QStringLiteral("GraphLine"));
        QCOMPARE(f.enabledStats(SmallSeries), 3);
        QCOMPARE(f.enabledStats(LargeSeries), 3);
        QVERIFY(f.chart.statLineShown(LargeSeries, Statistic::Minimum));
    }

    void releasingASeries_data()
    {
        QTest::addColumn<QString>("seriesKey");
        QTest::addColumn<qint32>("series");
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("statsBack");
        QTest::newRow("small, line") << "GraphSmallParticles" << SmallSeries << "GraphLine" << true;
        QTest::newRow("large, line") << "GraphLargeParticles" << LargeSeries << "GraphLine" << true;
        QTest::newRow("large, 2D combination")
            << "GraphLargeParticles" << LargeSeries << "GraphCombo2D" << true;
        QTest::newRow("small, 2D combination")
            << "GraphSmallParticles" << SmallSeries << "GraphCombo2D" << false;
        QTest::newRow("large, area")
            << "GraphLargeParticles" << LargeSeries << "GraphArea" << false;
    }
    void releasingASeries()
    {
        QFETCH(QString, seriesKey);
        QFETCH(qint32, series);
        QFETCH(QString, type);
        QFETCH(bool, statsBack);
        Fixture f;
        f.choose(type);
        f.click(seriesKey);
        QVERIFY(!f.button(seriesKey)->isChecked());
        QVERIFY(f.chart.isSeriesExcluded(series));
        QVERIFY(!f.chart.isSeriesExcluded(3 - series));
        QCOMPARE(f.enabledStats(series), 0);

        f.click(seriesKey);
        QVERIFY(!f.chart.isSeriesExcluded(series));
        QCOMPARE(f.enabledStats(series), statsBack ? 3 : 0);
    }

    void threeDBarThenCombinationStaysOblique()
    {
        Fixture f;
        f.chart.resize(800, 400);
        f.chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.chart));
        QCOMPARE(f.chart.projection(), Projection::Perspective);
        f.choose(QStringLiteral("GraphBar3D"));
        QCOMPARE(f.chart.projection(), Projection::Oblique);
        const QPointF oblique = f.chart.depthDirection();
        QVERIFY(oblique.x() > 0 && oblique.y() < 0);
        f.choose(QStringLiteral("GraphCombo3D"));
        QCOMPARE(f.chart.projection(), Projection::Oblique);
        QCOMPARE(f.chart.depthDirection(), oblique);
        f.chart.redrawNow();
        QVERIFY(f.chart.depthPixels() > 0);
        // Other types leave the projection alone, and a flat type draws without depth.
        f.choose(QStringLiteral("GraphBar2D"));
        QCOMPARE(f.chart.projection(), Projection::Oblique);
        f.chart.redrawNow();
        QCOMPARE(f.chart.depthPixels(), 0.0);
    }

    void unknownMenuKeyChangesNothing()
    {
        Fixture f;
        QVERIFY(f.toolbar.ChartToolbar_ButtonMenuClick(QStringLiteral("GraphStep")));
        QVERIFY(!f.toolbar.ChartToolbar_ButtonMenuClick(QStringLiteral("GraphPie")));
        QVERIFY(f.toolbar.menuEntry(QStringLiteral("GraphStep"))->isChecked());
        QCOMPARE(f.toolbar.imageKey(QStringLiteral("GraphType")), QStringLiteral("GraphStep"));
        QCOMPARE(f.button(QStringLiteral("GraphType"))->toolTip(),
                 QStringLiteral("Graph Type: Step"));
        QCOMPARE(f.chart.chartType(), ChartType::Step);
        QVERIFY(f.chart.stacking());
    }

    void statisticButtonsSwitchTheirLine_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<qint32>("series");
        QTest::addColumn<Statistic>("statistic");
        for (const StatButton &stat : StatButtons)
            QTest::newRow(stat.key)
                << QString::fromLatin1(stat.key) << stat.series << stat.statistic;
    }
    void statisticButtonsSwitchTheirLine()
    {
        QFETCH(QString, key);
        QFETCH(qint32, series);
        QFETCH(Statistic, statistic);
        Fixture f;
        f.click(key);
        QCOMPARE(f.chart.statLineStyle(series, statistic), StatLineStyle::Dashed);
        QVERIFY(f.chart.statLineShown(series, statistic));
        int shown = 0;
        for (const StatButton &stat : StatButtons)
            shown += f.chart.statLineShown(stat.series, stat.statistic) ? 1 : 0;
        QCOMPARE(shown, 1);
        f.click(key);
        QCOMPARE(f.chart.statLineStyle(series, statistic), StatLineStyle::None);
        QVERIFY(!f.chart.statLineShown(series, statistic));
    }

    void legendFollowsItsButton()
    {
        Fixture f;
        QVERIFY(!f.chart.legendShown());
        f.click(QStringLiteral("GraphLegend"));
        QVERIFY(f.chart.legendShown());
        f.click(QStringLiteral("GraphLegend"));
        QVERIFY(!f.chart.legendShown());
    }
};

QTEST_MAIN(TestChartToolbar)
#include "tst_charttoolbar.moc"
