// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// Dense bar columns and dense lines blended into an image against the same stroked by QPainter.

#include "charting/columncanvas.h"
#include "charting/densegraph.h"
#include "charting/linepoints.h"

#include <qcustomplot.h>

#include <QTest>

#include <random>

using namespace orvel;

namespace {
/// Columns of a dense bar chart over `area`: one or two lines a pixel column (a taller one behind
/// a shorter one), ends anywhere within a pixel, some shorter than a pixel, some dots, some
/// running past the area's edges.
QVector<QLineF> columns(const QRect &area, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> y(area.top() - 4.0, area.bottom() + 4.0);
    std::uniform_real_distribution<double> fraction(0.0, 1.0);
    QVector<QLineF> lines;
    for (int x = area.left() - 2; x <= area.right() + 2; ++x) {
        const double px = x + 0.5;
        const double top = y(random);
        switch (random() % 6) {
        case 0: // shorter than the stroker's 1/64 pixel, or not quite
            lines.append(QLineF(px, top, px, top + fraction(random) / 50));
            break;
        case 5: // no length: a value of 0, or the same bottom and top
            lines.append(QLineF(px, top, px, top));
            break;
        case 1: // within one pixel row
            lines.append(QLineF(px, std::floor(top) + 0.1, px, std::floor(top) + 0.9));
            break;
        default:
            lines.append(QLineF(px, area.bottom() + 0.5, px, top));
            lines.append(QLineF(px, area.bottom() + 0.5, px, (top + area.bottom()) / 2));
        }
    }
    return lines;
}

/// Draws two sets of lines through the canvas onto `image`: blended when `blended`, else stroked
/// by the painter (as for a vector export).
void paint(QImage &image, const QRect &area, bool blended, const QVector<QLineF> &first,
           const QVector<QLineF> &second, const QColor &firstColor, const QColor &secondColor)
{
    QCPPainter painter(&image);
    if (!blended)
        painter.setMode(QCPPainter::pmVectorized);
    painter.setClipRect(area);
    ColumnCanvas canvas;
    canvas.begin(&painter, area);
    canvas.draw(first, firstColor);
    canvas.draw(second, secondColor);
    canvas.end();
}
} // namespace

class TestColumnCanvas : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void blendsAsThePainterStrokes_data()
    {
        QTest::addColumn<QColor>("background");
        QTest::addColumn<int>("alpha");
        QTest::addColumn<unsigned>("seed");
        QTest::newRow("opaque bars on white") << QColor(Qt::white) << 255 << 1u;
        QTest::newRow("filled area on white") << QColor(Qt::white) << 150 << 2u;
        QTest::newRow("area on dark") << QColor(0x1e, 0x1e, 0x1e) << 120 << 3u;
        QTest::newRow("shadow on transparent") << QColor(Qt::transparent) << 150 << 4u;
    }
    void blendsAsThePainterStrokes()
    {
        QFETCH(QColor, background);
        QFETCH(int, alpha);
        QFETCH(unsigned, seed);
        const QRect area(7, 5, 300, 180);
        const QVector<QLineF> first = columns(area, seed);
        const QVector<QLineF> second = columns(area, seed + 100);
        QColor large(0xE0, 0x5A, 0x2B, alpha);
        QColor small(0x2F, 0x80, 0xD0, alpha);

        QImage blended(320, 200, QImage::Format_ARGB32_Premultiplied);
        blended.fill(background);
        QImage stroked = blended;
        {
            QCPPainter probe(&blended);
            QVERIFY(ColumnCanvas::drawsPixels(&probe));
            probe.setMode(QCPPainter::pmVectorized);
            QVERIFY(!ColumnCanvas::drawsPixels(&probe));
        }
        paint(blended, area, true, first, second, large, small);
        paint(stroked, area, false, first, second, large, small);

        // Blending into a canvas of its own and putting that on the picture rounds twice where
        // the painter rounds once: one step of 255 per channel at most.
        int worst = 0;
        for (int y = 0; y < blended.height(); ++y) {
            const auto *a = reinterpret_cast<const QRgb *>(blended.constScanLine(y));
            const auto *b = reinterpret_cast<const QRgb *>(stroked.constScanLine(y));
            for (int x = 0; x < blended.width(); ++x) {
                for (int shift : {0, 8, 16, 24})
                    worst = std::max(
                        worst, std::abs(int((a[x] >> shift) & 0xff) - int((b[x] >> shift) & 0xff)));
                if (worst > 1)
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2: %3 against %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(a[x], 8, 16)
                                         .arg(b[x], 8, 16)));
            }
        }
    }

    /// A week of noisy readings as a one-pixel line, drawn in pixel columns and stroked: in each
    /// pixel column the two cover the same rows, give or take where a step meets the next column.
    void denseLineCoversWhatTheStrokeCovers()
    {
        QCustomPlot plot;
        plot.resize(400, 200);
        plot.axisRect()->setAutoMargins(QCP::msNone);
        plot.axisRect()->setMargins(QMargins());
        plot.xAxis->setRange(0.5, 10080.5);
        plot.yAxis->setRange(0, 100);
        auto *graph = new DenseGraph(plot.xAxis, plot.yAxis);
        graph->setPen(QPen(Qt::black, 1));
        graph->setAntialiased(false);
        std::mt19937 random(5);
        std::vector<double> values(10080);
        for (size_t i = 0; i < values.size(); ++i)
            values[i] = 50 + 35 * std::sin(double(i) / 700) + double(random() % 200) / 20;
        graph->data()->set(LinePoints::make(values, nullptr, 10080.0 / 400), true);

        const auto covered = [&](bool columns) {
            graph->setColumnDrawn(columns);
            const QImage image = plot.toPixmap(400, 200).toImage();
            std::vector<std::pair<int, int>> spans(400, {200, -1});
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (qGray(image.pixel(x, y)) < 128)
                        spans[size_t(x)] = {std::min(spans[size_t(x)].first, y),
                                            std::max(spans[size_t(x)].second, y)};
                }
            }
            return spans;
        };
        const auto stroked = covered(false);
        const auto blended = covered(true);
        // Where a steep segment steps into the next column, the stroker's step can fall a row or
        // two away from the columns' border.
        int close = 0;
        for (int x = 1; x < 399; ++x) {
            const int top = std::abs(stroked[size_t(x)].first - blended[size_t(x)].first);
            const int bottom = std::abs(stroked[size_t(x)].second - blended[size_t(x)].second);
            QVERIFY2(top <= 3 && bottom <= 3, qPrintable(QStringLiteral("column %1").arg(x)));
            close += top <= 1 && bottom <= 1;
        }
        QVERIFY2(close >= 398 * 9 / 10, qPrintable(QString::number(close)));
    }
};

QTEST_MAIN(TestColumnCanvas)
#include "tst_columncanvas.moc"
