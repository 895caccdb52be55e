// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/optionlists.h"

#include <QComboBox>
#include <QTest>

using namespace orvel;

class TestOptionLists : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fillsBothLists_data()
    {
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<QString>("week");
        QTest::newRow("comma separator") << "en_US"
                                         << "1 week (10,080 samples)";
        QTest::newRow("period separator") << "de_DE"
                                          << "1 week (10.080 samples)";
    }

    void fillsBothLists()
    {
        QFETCH(QString, localeName);
        QFETCH(QString, week);
        QComboBox periods;
        QComboBox stopAfter;
        periods.setLocale(QLocale(localeName));
        periods.addItem(QStringLiteral("stale"));
        FillOptionLists(&periods, &stopAfter);
        QCOMPARE(periods.count(), 16);
        QCOMPARE(stopAfter.count(), 17);
        QCOMPARE(stopAfter.itemText(0), QStringLiteral("Continuous"));
        // Stop After offers the display periods' counts after Continuous.
        for (int k = 1; k < 17; ++k) {
            QCOMPARE(stopAfter.itemText(k), periods.itemText(k - 1));
            QCOMPARE(stopAfter.itemData(k), periods.itemData(k - 1));
        }
        QCOMPARE(periods.itemText(15), week);
        QCOMPARE(periods.itemData(15).toInt(), 10080);
        QCOMPARE(periods.width(), stopAfter.width());
        QVERIFY(periods.width() > periods.fontMetrics().horizontalAdvance(periods.itemText(15)));
    }
};

QTEST_MAIN(TestOptionLists)
#include "tst_optionlists.moc"
