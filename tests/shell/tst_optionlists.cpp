#include "settings/optiontables.h"
#include "shell/optionlists.h"

#include <QComboBox>
#include <QTest>

using namespace orvel;

class TestOptionLists : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void tables_data()
    {
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("week");
        QTest::newRow("comma separator") << "en_US"
                                         << "1 day (1,440 samples)"
                                         << "1 week (10,080 samples)";
        QTest::newRow("period separator") << "de_DE"
                                          << "1 day (1.440 samples)"
                                          << "1 week (10.080 samples)";
    }

    void tables()
    {
        QFETCH(QString, localeName);
        QFETCH(QString, day);
        QFETCH(QString, week);
        const auto periods = OptionTables::displayPeriods(QLocale(localeName));
        QCOMPARE(periods.size(), 16);
        QCOMPARE(periods[0].text, QStringLiteral("10 minutes (10 samples)"));
        QCOMPARE(periods[3].text, QStringLiteral("1 hour (60 samples)"));
        QCOMPARE(periods[9].text, QStringLiteral("12 hours (720 samples)"));
        QCOMPARE(periods[10].text, day);
        QCOMPARE(periods[10].samples, 1440);
        QCOMPARE(periods[15].text, week);
        QCOMPARE(periods[15].samples, 10080);

        const auto stop = OptionTables::stopAfter(QLocale(localeName));
        QCOMPARE(stop.size(), 17);
        QCOMPARE(stop[0].text, QStringLiteral("Continuous"));
        QCOMPARE(stop[0].samples, 0);
        for (int k = 1; k < 17; ++k) {
            QCOMPARE(stop[k].text, periods[k - 1].text);
            QCOMPARE(stop[k].samples, periods[k - 1].samples);
        }
    }

    void firstPeriodHolding_data()
    {
        QTest::addColumn<qint32>("samples");
        QTest::addColumn<int>("index");
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("exactly ten") << 10 << 0;
        QTest::newRow("eleven") << 11 << 1;
        QTest::newRow("one day") << 1440 << 10;
        QTest::newRow("more than a week") << 20000 << 15;
    }

    void firstPeriodHolding()
    {
        QFETCH(qint32, samples);
        QFETCH(int, index);
        QCOMPARE(OptionTables::firstPeriodHolding(samples), index);
    }

    void fillsBothLists()
    {
        QComboBox periods;
        QComboBox stopAfter;
        periods.setLocale(QLocale(QStringLiteral("en_US")));
        periods.addItem(QStringLiteral("stale"));
        FillOptionLists(&periods, &stopAfter);
        QCOMPARE(periods.count(), 16);
        QCOMPARE(stopAfter.count(), 17);
        QCOMPARE(stopAfter.itemData(4).toInt(), 60);
        QCOMPARE(periods.itemData(3).toInt(), 60);
        QCOMPARE(periods.itemText(15), QStringLiteral("1 week (10,080 samples)"));
        QCOMPARE(periods.width(), stopAfter.width());
        QVERIFY(periods.width() > periods.fontMetrics().horizontalAdvance(periods.itemText(15)));
    }
};

QTEST_MAIN(TestOptionLists)
#include "tst_optionlists.moc"
