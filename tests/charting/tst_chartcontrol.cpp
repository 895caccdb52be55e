// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// The chart control drawing a real chart data model, offscreen.

#include "charting/chartcontrol.h"
#include "charting/chartdatamodel.h"
#include "common/notifier.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace orvel;

namespace {
/// Row r (1-based) of `filled` rows: large = 7·r mod 50 + 10, small = 3·large, labelled with the
/// minute it stands for from 07:50, `perMinute` rows a minute.
void fill(ChartDataModel &model, qint32 rows, qint32 filled, int perMinute = 1)
{
    model.setRepaint(false);
    model.setRowCount(rows);
    for (qint32 row = 1; row <= filled; ++row) {
        const double large = (7 * row) % 50 + 10;
        model.setData(row, LargeSeries, large);
        model.setData(row, SmallSeries, 3 * large);
        model.setRowLabel(row, QTime(7, 50).addSecs(60 * (row - 1) / perMinute).toString(u"HH:mm"));
    }
    model.setRepaint(true);
}

/// The contrast ratio of two colours by their relative luminance (1 to 21).
double contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto linear = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

/// Shows `widget` at `size`; false when it never got on screen.
bool shownAt(QWidget &widget, const QSize &size)
{
    widget.resize(size);
    widget.show();
    return QTest::qWaitForWindowExposed(&widget);
}
} // namespace

class TestChartControl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawsEveryRowOnTheChart_data()
    {
        QTest::addColumn<qint32>("rows");
        QTest::addColumn<qint32>("filled");
        QTest::newRow("10 of 10") << 10 << 10;
        QTest::newRow("30 of 60") << 60 << 30;
        QTest::newRow("empty hour") << 60 << 0;
        QTest::newRow("full week") << 10080 << 10080;
    }
    void drawsEveryRowOnTheChart()
    {
        QFETCH(qint32, rows);
        QFETCH(qint32, filled);
        ChartDataModel model;
        ChartControl chart(model);
        fill(model, rows, filled);
        QCOMPARE(chart.drawnPointCount(LargeSeries), filled);
        QCOMPARE(chart.drawnPointCount(SmallSeries), filled);
        // Where rows outnumber the pixel columns, each column keeps its lowest and highest row.
        const int columns = chart.plot()->viewport().width();
        for (QCPGraph *graph : {chart.plot()->graph(0), chart.plot()->graph(1)}) {
            if (rows <= columns / 2)
                QCOMPARE(graph->dataCount(), filled);
            else
                QVERIFY(graph->dataCount() <= 2 * columns + 2);
        }
        if (filled > 0) {
            bool found = false;
            const QCPRange span = chart.plot()->graph(0)->getValueRange(found);
            QCOMPARE(span.lower, *chart.statisticValue(LargeSeries, Statistic::Minimum));
            QCOMPARE(span.upper, *chart.statisticValue(LargeSeries, Statistic::Maximum));
        }
        QCOMPARE(chart.plot()->xAxis->range(), QCPRange(0.5, rows + 0.5));
        chart.setSeriesExcluded(SmallSeries, true);
        QCOMPARE(chart.drawnPointCount(SmallSeries), 0);
        QCOMPARE(chart.drawnPointCount(LargeSeries), filled);
        QCOMPARE(chart.plot()->graph(1)->dataCount(), 0);
        // Statistics over the rows with values: none, and no line, without any.
        chart.setStatLineStyle(LargeSeries, Statistic::Mean, StatLineStyle::Dashed);
        QCOMPARE(chart.statisticValue(LargeSeries, Statistic::Mean).has_value(), filled > 0);
        QCOMPARE(chart.statLineShown(LargeSeries, Statistic::Mean), filled > 0);
    }

    void statisticsOfTheRowsOnTheChart()
    {
        ChartDataModel model;
        ChartControl chart(model);
        // Large 17, 24, 31 and small 51, 72, 93 in the first three of 60 rows.
        fill(model, 60, 3);
        QCOMPARE(chart.statisticValue(LargeSeries, Statistic::Minimum), 17.0);
        QCOMPARE(chart.statisticValue(LargeSeries, Statistic::Maximum), 31.0);
        QCOMPARE(chart.statisticValue(LargeSeries, Statistic::Mean), 24.0);
        QCOMPARE(chart.statisticValue(SmallSeries, Statistic::Minimum), 51.0);
        QCOMPARE(chart.statisticValue(SmallSeries, Statistic::Maximum), 93.0);
        QCOMPARE(chart.statisticValue(SmallSeries, Statistic::Mean), 72.0);
        // The window moves on: a new maximum enters, the old first row leaves.
        model.setRepaint(false);
        model.MoveData(60);
        model.setData(3, LargeSeries, 500);
        model.setRepaint(true);
        QCOMPARE(chart.statisticValue(LargeSeries, Statistic::Minimum), 24.0);
        QCOMPARE(chart.statisticValue(LargeSeries, Statistic::Maximum), 500.0);

        chart.setStatLineStyle(LargeSeries, Statistic::Maximum, StatLineStyle::Dashed);
        QVERIFY(chart.statLineShown(LargeSeries, Statistic::Maximum));
        bool drawnAt500 = false;
        for (int i = 0; i < chart.plot()->itemCount(); ++i) {
            auto *line = qobject_cast<QCPItemStraightLine *>(chart.plot()->item(i));
            if (line && line->visible())
                drawnAt500 = line->point1->coords().y() == 500 && line->point2->coords().y() == 500;
        }
        QVERIFY(drawnAt500);
    }

    /// What the model says about its axes and rows reaches the plot once repainting is back on,
    /// in one redraw.
    void modelReachesThePlotWhenRepaintIsOn()
    {
        ChartDataModel model;
        ChartControl chart(model);
        fill(model, 60, 60);
        const quint64 before = chart.redrawCount();
        model.setRepaint(false);
        model.setData(60, SmallSeries, 999);
        model.setCategoryAxisTitle(QStringLiteral("Saturday, December 5, 2026"));
        model.setValueAxisTitle(QStringLiteral("Particles per cubic foot"));
        model.setCategoryMajorGridPen(ChartDataModel::PenStyle::None);
        model.setCategoryMinorGridPen(ChartDataModel::PenStyle::None);
        model.setCategoryAxisPen(ChartDataModel::PenStyle::None);
        QCOMPARE(chart.redrawCount(), before);
        QCOMPARE(chart.plot()->xAxis->label(), QString());
        QVERIFY(chart.plot()->xAxis->grid()->visible());
        model.setRepaint(true);
        QCOMPARE(chart.redrawCount(), before + 1);
        QCOMPARE(chart.plot()->xAxis->label(), QStringLiteral("Saturday, December 5, 2026"));
        QCOMPARE(chart.plot()->yAxis->label(), QStringLiteral("Particles per cubic foot"));
        QCOMPARE(chart.statisticValue(SmallSeries, Statistic::Maximum), 999.0);
        QVERIFY(!chart.plot()->xAxis->grid()->visible());
        QVERIFY(!chart.plot()->xAxis->grid()->subGridVisible());
        QCOMPARE(chart.plot()->xAxis->basePen().style(), Qt::NoPen);
        model.setCategoryMajorGridPen(ChartDataModel::PenStyle::Solid);
        model.setCategoryAxisPen(ChartDataModel::PenStyle::Solid);
        QVERIFY(chart.plot()->xAxis->grid()->visible());
        QCOMPARE(chart.plot()->xAxis->basePen().style(), Qt::SolidLine);
    }

    /// A burst of readings is drawn once at its start and once at the end of the frame, with the
    /// last reading; nothing while hidden or minimised, and all of it when back.
    void burstsDrawnOncePerFrame_data()
    {
        QTest::addColumn<QString>("away"); // how the chart is out of sight meanwhile
        QTest::newRow("on screen") << QString();
        QTest::newRow("hidden") << QStringLiteral("hidden");
        QTest::newRow("minimised") << QStringLiteral("minimised");
    }

    void burstsDrawnOncePerFrame()
    {
        QFETCH(QString, away);
        ChartDataModel model;
        ChartControl chart(model);
        fill(model, 60, 30);
        QVERIFY(shownAt(chart, QSize(500, 300)));
        QTest::qWait(2 * ChartControl::FrameMs); // a quiet frame
        QVERIFY(!chart.redrawPending());
        const quint64 before = chart.redrawCount();
        if (away == QLatin1String("hidden"))
            chart.hide();
        else if (away == QLatin1String("minimised"))
            chart.showMinimized();
        for (qint32 row = 31; row <= 60; ++row)
            model.setData(row, LargeSeries, 100 + row);
        QVERIFY(chart.redrawPending());
        if (away.isEmpty()) {
            QTRY_VERIFY(!chart.redrawPending());
        } else {
            QTest::qWait(3 * ChartControl::FrameMs);
            QVERIFY(chart.redrawPending());
            chart.showNormal();
            QTRY_VERIFY(!chart.redrawPending());
        }
        QCOMPARE(chart.redrawCount(), before + (away.isEmpty() ? 2 : 1));
        const QCPGraphDataContainer &large = *chart.plot()->graph(0)->data();
        QCOMPARE(large.size(), 60);
        QCOMPARE((large.constEnd() - 1)->value, 160.0);
    }

    void seriesNamesInTooltipAndLegend()
    {
        ChartDataModel model;
        ChartControl chart(model);
        model.setCurrentColumn(1);
        model.setColumnLabel(QStringLiteral("Large Particles"));
        model.setCurrentColumn(2);
        model.setColumnLabel(QStringLiteral("Small Particles"));
        fill(model, 60, 30);
        chart.setRowCaption([](qint32 row) { return QStringLiteral("Sample %1").arg(100 + row); });
        QCOMPARE(chart.pointDescription(2),
                 QStringLiteral("Sample 102\nLarge Particles: 24\nSmall Particles: 72"));
        QCOMPARE(chart.pointDescription(31), QString());
        QCOMPARE(chart.pointDescription(0), QString());

        chart.setLegendShown(true);
        QVERIFY(chart.plot()->legend->visible());
        QCOMPARE(chart.plot()->legend->itemCount(), 2);
        chart.setSeriesExcluded(LargeSeries, true);
        QCOMPARE(chart.plot()->legend->itemCount(), 1);
        auto *item = qobject_cast<QCPPlottableLegendItem *>(chart.plot()->legend->item(0));
        QVERIFY(item);
        QCOMPARE(item->plottable()->name(), QStringLiteral("Small Particles"));
    }

    void labelsNeverOverlap_data()
    {
        QTest::addColumn<qint32>("rows");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("perMinute");
        for (qint32 rows : {10, 60, 480, 1440, 10080}) {
            for (int width : {500, 1280}) {
                QTest::addRow("%d rows at %d px", rows, width) << rows << width << 1;
            }
        }
        // Several samples a minute, or all in one minute (07:50).
        for (qint32 rows : {10, 20, 30}) {
            for (int perMinute : {4, 40})
                QTest::addRow("%d rows, %d a minute", rows, perMinute) << rows << 1400 << perMinute;
        }
    }
    void labelsNeverOverlap()
    {
        QFETCH(qint32, rows);
        QFETCH(int, width);
        QFETCH(int, perMinute);
        ChartDataModel model;
        ChartControl chart(model);
        QVERIFY(shownAt(chart, QSize(width, 400)));
        fill(model, rows, rows, perMinute);
        chart.redrawNow();
        const auto labels = chart.shownCategoryLabels();
        QVERIFY(labels.size() >= 3);
        const QFontMetrics metrics(chart.plot()->xAxis->tickLabelFont());
        const double pixelsPerRow = chart.plot()->axisRect()->width() / double(rows);
        for (size_t i = 1; i < labels.size(); ++i) {
            const double apart = (labels[i].first - labels[i - 1].first) * pixelsPerRow;
            const double needed = (metrics.boundingRect(labels[i].second).width() +
                                   metrics.boundingRect(labels[i - 1].second).width()) /
                                  2.0;
            QVERIFY2(apart > needed, qPrintable(labels[i].second));
        }
        // Short periods have a grid line on every row.
        if (rows <= 30)
            QCOMPARE(chart.plot()->xAxis->tickVector().size(), rows);
        if (rows >= 480) {
            // Long windows put their labels on round times.
            for (const auto &label : labels)
                QVERIFY2(label.second.mid(3, 2) == QLatin1String("00"), qPrintable(label.second));
        }
    }

    void lookFitsTheSize_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("labels");
        QTest::addColumn<bool>("legend");
        QTest::newRow("1400x500") << QSize(1400, 500) << 6 << true;
        QTest::newRow("700x260") << QSize(700, 260) << 6 << true;
        QTest::newRow("600x150") << QSize(600, 150) << 6 << false;
        QTest::newRow("400x90") << QSize(400, 90) << 0 << false;
    }
    void lookFitsTheSize()
    {
        QFETCH(QSize, size);
        QFETCH(int, labels);
        QFETCH(bool, legend);
        ChartDataModel model;
        ChartControl chart(model);
        QVERIFY(shownAt(chart, size));
        // Statistics within a few hundred of each other: Min 80,500 close under Avg 86,379.
        model.setRepaint(false);
        model.setRowCount(60);
        for (qint32 row = 1; row <= 60; ++row) {
            model.setData(row, LargeSeries, 80500 + (row * 37) % 11 * 1000);
            model.setData(row, SmallSeries, 84000 + (row * 13) % 7 * 1000);
        }
        model.setValueAxisTitle(QStringLiteral("Particles per cubic foot"));
        model.setRepaint(true);
        chart.setLegendShown(true);
        for (qint32 series : {LargeSeries, SmallSeries}) {
            for (Statistic statistic : {Statistic::Minimum, Statistic::Maximum, Statistic::Mean})
                chart.setStatLineStyle(series, statistic, StatLineStyle::Dashed);
        }
        chart.redrawNow();

        QCustomPlot *plot = chart.plot();
        const QRect data = plot->axisRect()->rect();
        std::vector<QRectF> parts;
        for (int i = 0; i < plot->itemCount(); ++i) {
            auto *text = qobject_cast<QCPItemText *>(plot->item(i));
            if (text && text->visible())
                parts.emplace_back(text->topLeft->pixelPosition(),
                                   text->bottomRight->pixelPosition());
        }
        QCOMPARE(int(parts.size()), labels);
        QCOMPARE(plot->legend->visible(), legend);
        if (legend)
            parts.emplace_back(plot->legend->outerRect());
        // Labels and legend clear of the plot (so of its lines and points) and of each other.
        for (size_t i = 0; i < parts.size(); ++i) {
            QVERIFY(!parts[i].intersects(data));
            QVERIFY(plot->viewport().contains(parts[i].toRect()));
            for (size_t j = 0; j < i; ++j)
                QVERIFY(!parts[i].intersects(parts[j]));
        }
        // Value ticks two lines of text apart at least; the title no longer than its axis.
        const QFontMetrics metrics(plot->yAxis->tickLabelFont());
        double previous = -1e9;
        for (double tick : plot->yAxis->tickVector()) {
            if (!plot->yAxis->range().contains(tick))
                continue;
            const double at = plot->yAxis->coordToPixel(tick);
            QVERIFY(std::abs(at - previous) >= 2 * metrics.height());
            previous = at;
        }
        const QString title = plot->yAxis->label();
        QVERIFY(QFontMetrics(plot->yAxis->labelFont()).horizontalAdvance(title) <= data.height());
        QVERIFY(title.startsWith(QStringLiteral("Part")));
    }

    void followsThePalette_data()
    {
        QTest::addColumn<QColor>("base");
        QTest::addColumn<QColor>("text");
        QTest::addColumn<bool>("styleSheet");
        QTest::newRow("light") << QColor(Qt::white) << QColor(Qt::black) << false;
        QTest::newRow("dark") << QColor(0x1e, 0x1e, 0x1e) << QColor(0xe8, 0xe8, 0xe8) << false;
        QTest::newRow("dark style sheet")
            << QColor(0x20, 0x20, 0x20) << QColor(0xee, 0xee, 0xee) << true;
    }
    void followsThePalette()
    {
        QFETCH(QColor, base);
        QFETCH(QColor, text);
        QFETCH(bool, styleSheet);
        ChartDataModel model;
        QWidget window;
        ChartControl chart(model, &window);
        fill(model, 60, 60);
        if (styleSheet) {
            window.setStyleSheet(QStringLiteral("QWidget { background-color: %1; color: %2; }")
                                     .arg(base.name(), text.name()));
        } else {
            QPalette palette = chart.palette();
            palette.setColor(QPalette::Base, base);
            palette.setColor(QPalette::Text, text);
            chart.setPalette(palette);
        }
        QVERIFY(shownAt(window, QSize(400, 300)));
        QCustomPlot *plot = chart.plot();
        QCOMPARE(plot->toPixmap(300, 200).toImage().pixelColor(2, 2), base);
        for (QCPAxis *axis : {plot->xAxis, plot->yAxis}) {
            QCOMPARE(axis->tickLabelColor(), text);
            QCOMPARE(axis->labelColor(), text);
            QCOMPARE(axis->basePen().color().rgb(), text.rgb());
            QCOMPARE(axis->grid()->pen().color().rgb(), text.rgb());
        }
        QCOMPARE(plot->legend->textColor(), text);
        // Each series stands out from the background, and the two from each other.
        const QColor large = plot->graph(0)->pen().color();
        const QColor small = plot->graph(1)->pen().color();
        for (const QColor &series : {large, small})
            QVERIFY(contrast(series, base) >= 3);
        const int hues = std::abs(large.hslHue() - small.hslHue());
        QVERIFY(std::min(hues, 360 - hues) > 90);
    }

    void savesThroughTheChooser_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("saved");
        QTest::newRow("png") << "chart.png"
                             << "chart.png" << true;
        QTest::newRow("no ending") << "chart"
                                   << "chart.png" << true;
        QTest::newRow("jpeg") << "chart.jpg"
                              << "chart.jpg" << true;
        QTest::newRow("pdf") << "chart.pdf"
                             << "chart.pdf" << true;
        QTest::newRow("svg") << "chart.svg"
                             << "chart.svg" << false;
        QTest::newRow("missing folder") << "none/chart.png"
                                        << "none/chart.png" << false;
        QTest::newRow("cancelled") << ""
                                   << "" << false;
    }
    void savesThroughTheChooser()
    {
        QFETCH(QString, name);
        QFETCH(QString, written);
        QFETCH(bool, saved);
        QTemporaryDir dir;
        ChartDataModel model;
        ChartControl chart(model);
        RecordingNotifier notifier;
        chart.setNotifier(&notifier);
        fill(model, 60, 60);
        QVERIFY(shownAt(chart, QSize(640, 320)));
        QString caption;
        chart.setSaveFileChooser([&](QWidget *, const QString &title, const QString &) {
            caption = title;
            return name.isEmpty() ? QString() : dir.filePath(name);
        });
        QCOMPARE(chart.saveChartAs(), saved);
        QCOMPARE(caption, QStringLiteral("Save chart as"));
        if (!written.isEmpty())
            QCOMPARE(QFileInfo::exists(dir.filePath(written)), saved);
        // A failure is reported; cancelling is not one.
        QCOMPARE(notifier.messages.size(), saved || name.isEmpty() ? 0 : 1);
        if (written.endsWith(QLatin1String(".png")) && saved)
            QCOMPARE(QImage(dir.filePath(written)).width(), 640);
    }

    void contextMenuCopiesTheChart()
    {
        ChartDataModel model;
        ChartControl chart(model);
        fill(model, 60, 60);
        QVERIFY(shownAt(chart, QSize(400, 300)));
        std::unique_ptr<QMenu> menu(chart.createContextMenu(nullptr));
        QStringList texts;
        for (QAction *action : menu->actions())
            texts << action->text();
        QCOMPARE(texts,
                 QStringList({QStringLiteral("Copy chart"), QStringLiteral("Save chart as…")}));
        QApplication::clipboard()->clear();
        menu->actions().at(0)->trigger();
        QCOMPARE(QApplication::clipboard()->image().width(), 400);
    }
};

QTEST_MAIN(TestChartControl)
#include "tst_chartcontrol.moc"
