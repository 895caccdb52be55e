// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/sampletimeformatter.h"
#include "common/localeformats.h"

#include <QTest>

using namespace orvel;

class TestSampleTimeFormatter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void labels_data()
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
    void labels()
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
};

QTEST_GUILESS_MAIN(TestSampleTimeFormatter)
#include "tst_sampletimeformatter.moc"
