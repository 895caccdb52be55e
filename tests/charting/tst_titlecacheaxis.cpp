// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// Axis titles copied from their kept pixels against the same titles drawn by the axis itself.

#include "charting/titlecacheaxis.h"

#include <qcustomplot.h>

#include <QTest>

using namespace orvel;

namespace {
/// A plot like the chart's: text ticks along the bottom (some empty, some of two lines), numbers
/// up the left, titles on both.
void setUp(QCustomPlot &plot, const QString &bottomTitle, const QString &leftTitle, double top,
           bool tickTexts)
{
    plot.resize(640, 360);
    plot.setBackground(QColor(0xfa, 0xfa, 0xf6));
    plot.setNotAntialiasedElements(QCP::aeAxes | QCP::aeGrid | QCP::aeSubGrid | QCP::aeFills);
    auto ticker = QSharedPointer<QCPAxisTickerText>::create();
    if (tickTexts) {
        ticker->addTick(1, QStringLiteral("07:00\n12/5/2026"));
        ticker->addTick(2, QString());
        ticker->addTick(5, QStringLiteral("08:00"));
        ticker->addTick(9, QStringLiteral("09:00"));
    }
    plot.xAxis->setTicker(ticker);
    plot.xAxis->setRange(0.5, 10.5);
    plot.yAxis->setNumberFormat(QStringLiteral("f"));
    plot.yAxis->setNumberPrecision(0);
    plot.yAxis->setRange(0, top);
    plot.xAxis->setLabel(bottomTitle);
    plot.yAxis->setLabel(leftTitle);
    const QColor text(0x20, 0x20, 0x30);
    for (QCPAxis *axis : {plot.xAxis, plot.yAxis}) {
        axis->setLabelColor(text);
        axis->setTickLabelColor(text);
        axis->setBasePen(QPen(QColor(0x20, 0x20, 0x30, 160), 1));
    }
    QCPGraph *graph = plot.addGraph();
    graph->setData({1, 2, 3, 9, 10}, {top / 4, top / 2, top / 3, top * 0.9, top / 5});
    plot.replot();
}

QImage shown(QCustomPlot &plot)
{
    return plot.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}
} // namespace

class TestTitleCacheAxis : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sameAsTheAxisDrawsIt_data()
    {
        QTest::addColumn<QString>("bottomTitle");
        QTest::addColumn<QString>("leftTitle");
        QTest::addColumn<double>("top");
        QTest::addColumn<bool>("tickTexts");
        QTest::newRow("both titles") << QStringLiteral("Saturday, December 5, 2026")
                                     << QStringLiteral("Particles per cubic foot") << 1200.0
                                     << true;
        QTest::newRow("wide value labels")
            << QStringLiteral("Sunday, December 6, 2026") << QStringLiteral("Counts") << 123456.0
            << true;
        QTest::newRow("no tick texts") << QStringLiteral("Samples") << QStringLiteral("Counts")
                                       << 10.0 << false;
        QTest::newRow("title longer than the axis")
            << QStringLiteral("A category title far longer than the axis it stands below, on "
                              "and on and on until it runs past both ends of the plot")
            << QStringLiteral("A value title far longer than the plot is high, on and on")
            << 500.0 << true;
        QTest::newRow("short titles") << QStringLiteral("Date") << QStringLiteral("N") << 99999.0
                                      << true;
        QTest::newRow("other letters") << QStringLiteral("Mittwoch, 9. Dezember 2026 (Wöche)")
                                       << QStringLiteral("Partikel je Kubikfuß, gezählt") << 3.0
                                       << true;
        QTest::newRow("no titles") << QString() << QString() << 50.0 << true;
    }

    void sameAsTheAxisDrawsIt()
    {
        QFETCH(QString, bottomTitle);
        QFETCH(QString, leftTitle);
        QFETCH(double, top);
        QFETCH(bool, tickTexts);
        QCustomPlot plain;
        setUp(plain, bottomTitle, leftTitle, top, tickTexts);
        QCustomPlot kept;
        TitleCacheAxis::install(&kept);
        QVERIFY(dynamic_cast<TitleCacheAxis *>(kept.xAxis));
        QVERIFY(dynamic_cast<TitleCacheAxis *>(kept.yAxis));
        setUp(kept, bottomTitle, leftTitle, top, tickTexts);
        QCOMPARE(kept.axisRect()->rect(), plain.axisRect()->rect());
        const QImage expected = shown(plain);
        QCOMPARE(shown(kept), expected);
        // Drawn again from the kept pixels, and after the range and the ticks moved.
        kept.replot();
        QCOMPARE(shown(kept), expected);
        for (QCustomPlot *plot : {&plain, &kept}) {
            plot->yAxis->setRange(0, top * 7.3);
            plot->replot();
        }
        QCOMPARE(kept.axisRect()->rect(), plain.axisRect()->rect());
        QCOMPARE(shown(kept), shown(plain));
        // A new title.
        for (QCustomPlot *plot : {&plain, &kept}) {
            plot->xAxis->setLabel(QStringLiteral("Monday, December 7, 2026"));
            plot->replot();
        }
        QCOMPARE(shown(kept), shown(plain));
    }

    void exportsDrawTheTitle()
    {
        QCustomPlot plain;
        setUp(plain, QStringLiteral("Saturday"), QStringLiteral("Counts"), 100, true);
        QCustomPlot kept;
        TitleCacheAxis::install(&kept);
        setUp(kept, QStringLiteral("Saturday"), QStringLiteral("Counts"), 100, true);
        QCOMPARE(kept.toPixmap(640, 360, 2.0).toImage(), plain.toPixmap(640, 360, 2.0).toImage());
    }
};

QTEST_MAIN(TestTitleCacheAxis)
#include "tst_titlecacheaxis.moc"
