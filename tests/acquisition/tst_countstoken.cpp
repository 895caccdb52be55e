// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "acquisition/countstoken.h"
#include "common/failure.h"
#include "common/localeformats.h"
#include "testsupport.h"

#include <QTest>

using namespace orvel;

class TestCountsToken : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parsesCounts_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<qint32>("multiplier"); // 0: the default, 100
        QTest::addColumn<qint32>("small");
        QTest::addColumn<qint32>("large");

        QTest::newRow("plain") << "12,3\r\n" << 0 << 1200 << 300;
        QTest::newRow("no line end") << "12,3" << 0 << 1200 << 300;
        QTest::newRow("spaces around both") << " 12 , 3 \r\n" << 0 << 1200 << 300;
        QTest::newRow("half rounds to even, down") << "12.5,3\r\n" << 0 << 1200 << 300;
        QTest::newRow("half rounds to even, up") << "13.5,3\r\n" << 0 << 1400 << 300;
        QTest::newRow("negative") << "-4,0\r\n" << 0 << -400 << 0;
        QTest::newRow("text after the line end is ignored") << "1,2\r\n3,4\r\n" << 0 << 100 << 200;
        QTest::newRow("largest that fits") << "21474836,0\r\n" << 0 << 2147483600 << 0;
        QTest::newRow("multiplier of its own") << "12,3\r\n" << 7 << 84 << 21;
    }

    void parsesCounts()
    {
        QFETCH(QString, line);
        QFETCH(qint32, multiplier);
        QFETCH(qint32, small);
        QFETCH(qint32, large);
        qint32 s = 0, l = 0, m = multiplier;
        const QString row = ParseCountsToken(line, s, l, QDateTime(), m);
        QCOMPARE(s, small);
        QCOMPARE(l, large);
        QCOMPARE(m, multiplier ? multiplier : 100);
        QCOMPARE(row, QStringLiteral("%1\t%2\r\n").arg(small).arg(large));
    }

    void lineWithoutCommaLeavesEverything()
    {
        qint32 s = 11, l = 22, m = 0;
        QVERIFY(ParseCountsToken(QStringLiteral("abc\r\n"), s, l, test::frozenTime(), m).isEmpty());
        QCOMPARE(s, 11);
        QCOMPARE(l, 22);
        QCOMPARE(m, 0);
    }

    void rejectsBadFields_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("number");

        QTest::newRow("empty large field") << "12,\r\n" << int(Failure::TypeMismatch);
        QTest::newRow("empty small field") << ",3\r\n" << int(Failure::TypeMismatch);
        QTest::newRow("letters") << "12,x3\r\n" << int(Failure::TypeMismatch);
        QTest::newRow("tab is not a space") << "12,3\t\r\n" << int(Failure::TypeMismatch);
        QTest::newRow("nan") << "nan,3\r\n" << int(Failure::TypeMismatch);
        QTest::newRow("exponent") << "1e3,3\r\n" << int(Failure::TypeMismatch);
        QTest::newRow("comma after the line end") << "12\r\n,3" << int(Failure::TypeMismatch);
        QTest::newRow("NUL in a field") << QString::fromLatin1("1\0"
                                                               "2,3\r\n",
                                                               7)
                                        << int(Failure::TypeMismatch);
        QTest::newRow("invalid UTF-8 as received")
            << QString::fromLatin1("\xff\xc3(,\x80\r\n") << int(Failure::TypeMismatch);
        QTest::newRow("bare CR inside a line") << "12,3\r13,4\r\r\n" << int(Failure::TypeMismatch);
        QTest::newRow("product beyond 32 bits") << "21474837,0\r\n" << int(Failure::Overflow);
        QTest::newRow("count beyond 32 bits") << "1,99999999999\r\n" << int(Failure::Overflow);
    }

    void rejectsBadFields()
    {
        QFETCH(QString, line);
        QFETCH(int, number);
        qint32 s = 0, l = 0, m = 0;
        try {
            ParseCountsToken(line, s, l, QDateTime(), m);
            QFAIL("no failure raised");
        } catch (const Failure &failure) {
            QCOMPARE(failure.number(), number);
            // The message names the line so the user can tell which reading was bad.
            QVERIFY2(failure.description().contains(QStringLiteral("counts line")),
                     qPrintable(failure.description()));
        }
    }

    void timeStampColumn_data()
    {
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<QDateTime>("stamp");
        QTest::addColumn<QString>("row");

        QTest::newRow("US morning")
            << "en_US" << test::frozenTime() << "1200\t300\t12/5/2026 7:50:20\u202fAM\r\n";
        QTest::newRow("US midnight shows the date alone")
            << "en_US" << QDateTime(QDate(2026, 12, 5), QTime(0, 0)) << "1200\t300\t12/5/2026\r\n";
        QTest::newRow("German") << "de_DE" << test::frozenTime()
                                << "1200\t300\t05.12.2026 07:50:20\r\n";
        QTest::newRow("no stamp") << "en_US" << QDateTime() << "1200\t300\r\n";
    }

    void timeStampColumn()
    {
        QFETCH(QString, localeName);
        QFETCH(QDateTime, stamp);
        QFETCH(QString, row);
        qint32 s = 0, l = 0, m = 0;
        QString actual =
            ParseCountsToken(QStringLiteral("12,3\r\n"), s, l, stamp, m, QLocale(localeName));
        // Locale data may use a narrow no-break space before AM/PM; accept either space.
        actual.replace(u' ', u'\u202f');
        row.replace(u' ', u'\u202f');
        QCOMPARE(actual, row);
    }
};

QTEST_GUILESS_MAIN(TestCountsToken)
#include "tst_countstoken.moc"
