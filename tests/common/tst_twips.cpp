// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "common/twips.h"

#include <QTest>

using namespace orvel;

class TestTwips : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Positions are kept in twips between runs: every pixel position must come back the same,
    // also where an inch is not a whole number of twips per pixel.
    void roundTrip_data()
    {
        QTest::addColumn<qreal>("dpi");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<int>("twips");
        QTest::newRow("96 dpi") << 96.0 << 200 << 3000;
        QTest::newRow("110 dpi, rounded up") << 110.0 << 50 << 655;
        QTest::newRow("163 dpi, rounded down") << 163.0 << 7 << 62;
        QTest::newRow("137.5 dpi") << 137.5 << 333 << 3487;
        QTest::newRow("no resolution counts as 1 dpi") << 0.0 << 1 << 1440;
    }

    void roundTrip()
    {
        QFETCH(qreal, dpi);
        QFETCH(int, pixels);
        QFETCH(int, twips);
        QCOMPARE(pixelsToTwips(pixels, dpi), twips);
        QCOMPARE(twipsToPixels(twips, dpi), pixels);
        for (int px = -50; px <= 4000; ++px)
            QCOMPARE(twipsToPixels(pixelsToTwips(px, dpi), dpi), px);
    }
};

QTEST_GUILESS_MAIN(TestTwips)
#include "tst_twips.moc"
