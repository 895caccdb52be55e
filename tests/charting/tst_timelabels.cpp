// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// The time labels of the chart's rows, and which of them the category axis shows.

#include "charting/categorylabelpicker.h"
#include "charting/chartdatamodel.h"
#include "charting/sampletimeformatter.h"
#include "common/localeformats.h"

#include <QTest>

using namespace orvel;

class TestTimeLabels : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formattedTimes_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<bool>("withDate");
        QTest::addColumn<QString>("expected");

        const QDate day(2026, 12, 5);
        QTest::newRow("first minute of the day gets the date")
            << "en_US" << QDateTime(day, QTime(0, 0, 30)) << false << "12/5/2026 - 00:00";
        QTest::newRow("midnight itself gets the date")
            << "en_US" << QDateTime(day, QTime(0, 0)) << false << "12/5/2026 - 00:00";
        QTest::newRow("one minute past midnight: time only")
            << "en_US" << QDateTime(day, QTime(0, 1)) << false << "00:01";
        QTest::newRow("morning, 24-hour clock")
            << "en_US" << QDateTime(day, QTime(7, 50, 20)) << false << "07:50";
        QTest::newRow("evening, 24-hour clock")
            << "en_US" << QDateTime(day, QTime(23, 59, 59)) << false << "23:59";
        QTest::newRow("date asked for")
            << "en_US" << QDateTime(day, QTime(7, 50, 20)) << true << "12/5/2026 - 07:50";
        QTest::newRow("German date and time")
            << "de_DE" << QDateTime(day, QTime(0, 0, 30)) << false << "05.12.2026 - 00:00";
    }
    void formattedTimes()
    {
        QFETCH(QString, locale);
        QFETCH(QDateTime, time);
        QFETCH(bool, withDate);
        QFETCH(QString, expected);
        const SampleTimeFormatter formatter{LocaleFormats(QLocale(locale))};
        QCOMPARE(formatter.FormatSampleTime(time, withDate), expected);
        // The same again, now from the remembered texts.
        QCOMPARE(formatter.FormatSampleTime(time, withDate), expected);
    }

    void minuteOfDay_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("minute");
        QTest::newRow("time") << "07:50" << 470;
        QTest::newRow("with date") << "12/5/2026 - 00:00" << 0;
        QTest::newRow("dot separator") << "23.59" << 1439;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("not a time") << "hello" << -1;
        QTest::newRow("hour 24") << "24:00" << -1;
        QTest::newRow("no separator") << "12345" << -1;
    }
    void minuteOfDay()
    {
        QFETCH(QString, label);
        QFETCH(int, minute);
        QCOMPARE(CategoryLabelPicker::minuteOfDay(label), minute);
    }

    void stepFitsTheLabels_data()
    {
        QTest::addColumn<double>("pixelsPerRow");
        QTest::addColumn<double>("labelPixels");
        QTest::addColumn<qint32>("step");
        QTest::newRow("wide rows") << 100.0 << 60.0 << 1;
        QTest::newRow("hour at 1280") << 20.0 << 60.0 << 5;
        QTest::newRow("week at 1280") << 0.125 << 80.0 << 720;
        QTest::newRow("week at 300") << 0.03 << 80.0 << 2880;
        QTest::newRow("week at 100") << 0.01 << 80.0 << 10080;
    }
    void stepFitsTheLabels()
    {
        QFETCH(double, pixelsPerRow);
        QFETCH(double, labelPixels);
        QFETCH(qint32, step);
        QCOMPARE(CategoryLabelPicker::stepFor(pixelsPerRow, labelPixels), step);
    }

    void labelsOnRoundTimesAcrossMidnight()
    {
        // 23:37 to 00:36, with the date on the first minute of the day, 10 rows a label.
        ChartDataModel model;
        model.setRowCount(60);
        for (qint32 row = 1; row <= 60; ++row) {
            const QTime time = QTime(23, 37).addSecs(60 * (row - 1));
            model.setRowLabel(row, time == QTime(0, 0) ? QStringLiteral("12/6/2026 - 00:00")
                                                       : time.toString(u"HH:mm"));
        }
        const auto ticks = CategoryLabelPicker::pick(model, 6.0, 60.0);
        QStringList texts;
        for (const auto &tick : ticks)
            texts << tick.text;
        QCOMPARE(texts, QStringList({QStringLiteral("23:40"), QStringLiteral("23:50"),
                                     QStringLiteral("00:00\n12/6/2026"), QStringLiteral("00:10"),
                                     QStringLiteral("00:20"), QStringLiteral("00:30")}));
        QCOMPARE(ticks.front().row, 4);
    }

    void skippedAndRepeatedMinutesStillSpaced()
    {
        // A real clock: one minute missing and one minute twice.
        ChartDataModel model;
        const QStringList labels = {"07:57", "07:58", "07:59", "08:01", "08:02",
                                    "08:02", "08:03", "08:04", "08:05", "08:05"};
        model.setRowCount(qint32(labels.size()));
        for (qint32 row = 1; row <= model.rowCount(); ++row)
            model.setRowLabel(row, labels[row - 1]);
        const auto ticks = CategoryLabelPicker::pick(model, 10.0, 45.0);
        QCOMPARE(ticks.size(), size_t(2));
        QCOMPARE(ticks[0].row, 4); // 08:01 opens the 08:00 step
        QCOMPARE(ticks[1].row, 9); // 08:05
    }

    void labelsWithoutTimesEveryStepRows()
    {
        // No rows, or rows without labels: no labels.
        ChartDataModel model;
        QVERIFY(CategoryLabelPicker::pick(model, 10.0, 45.0).empty());
        model.setRowCount(20);
        QVERIFY(CategoryLabelPicker::pick(model, 10.0, 45.0).empty());
        for (qint32 row = 1; row <= 15; ++row)
            model.setRowLabel(row, QStringLiteral("r%1").arg(row));
        const auto ticks = CategoryLabelPicker::pick(model, 10.0, 45.0);
        QCOMPARE(ticks.size(), size_t(3));
        QCOMPARE(ticks[0].row, 1);
        QCOMPARE(ticks[1].row, 6);
        QCOMPARE(ticks[2].row, 11);
    }
};

QTEST_GUILESS_MAIN(TestTimeLabels)
#include "tst_timelabels.moc"
