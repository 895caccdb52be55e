// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "acquisition/countstoken.h"
#include "logfile/logreader.h"
#include "logfile/timestampparser.h"

#include <QTest>

#include <ctime>

using namespace orvel;

namespace {

/// Runs the rest of a test in the time zone `zone`, and restores the previous one after it.
class ZoneOverride
{
public:
    explicit ZoneOverride(const QByteArray &zone)
        : m_old(qgetenv("TZ"))
        , m_hadOld(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~ZoneOverride()
    {
        if (m_hadOld)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray m_old;
    bool m_hadOld;
};

} // namespace

/// The time stamps the log writer produces, read back in the locale that wrote them and in the
/// fallbacks a log moved between machines needs.
class TestTimestampParser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    /// A row as the recording writes it, in every locale Qt knows, read back by the loader's
    /// reader to the same time: morning and evening, noon, midnight (written as the date alone)
    /// and the second after it.
    void everyLocaleReadsItsOwnRows()
    {
        const QList<QDateTime> times = {QDateTime(QDate(2026, 12, 5), QTime(7, 50, 20)),
                                        QDateTime(QDate(2026, 1, 31), QTime(19, 5, 9)),
                                        QDateTime(QDate(2026, 6, 1), QTime(12, 0, 1)),
                                        QDateTime(QDate(2026, 2, 28), QTime(0, 0)),
                                        QDateTime(QDate(2026, 2, 28), QTime(0, 0, 1))};
        const QList<QLocale> locales = QLocale::matchingLocales(
            QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
        QVERIFY(locales.size() > 300);
        // Every one reads back, with no exceptions: also those whose rows QLocale's own parser
        // does not read (native digits: Assamese, Chakma, Adlam).
        QStringList failures;
        for (const QLocale &locale : locales) {
            const LocaleFormats formats(locale);
            QByteArray content;
            for (const QDateTime &time : times) {
                qint32 small = 0, large = 0, multiplier = 0;
                content += ParseCountsToken(QStringLiteral("12,3\r\n"), small, large, time,
                                            multiplier, formats)
                               .toUtf8();
            }
            LogReader reader(content, formats);
            bool ok = true;
            for (const QDateTime &time : times) {
                LogRow row;
                ok = ok && reader.next(row) == LogReader::Line::Row &&
                     row.stamp.toDateTime() == time;
            }
            if (!ok)
                failures << locale.name() + QStringLiteral(": ") +
                                QString::fromUtf8(content).simplified();
        }
        QCOMPARE(failures, QStringList());
    }

    void readsForeignStamps_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QDateTime>("time");
        const QDateTime pm(QDate(2026, 12, 5), QTime(19, 50, 20));
        QTest::newRow("US stamp under German")
            << "de_DE" << QByteArray("12/5/2026 7:50:20 PM") << pm;
        QTest::newRow("US stamp lower case") << "de_DE" << QByteArray("12/5/2026 7:50:20 pm") << pm;
        QTest::newRow("US stamp narrow space")
            << "fr_FR" << QByteArray("12/5/2026 7:50:20\xE2\x80\xAFPM") << pm;
        QTest::newRow("US midnight under German")
            << "de_DE" << QByteArray("12/5/2026") << QDateTime(QDate(2026, 12, 5), QTime(0, 0));
        QTest::newRow("Greek lower case")
            << "el_GR" << QByteArray("5/12/2026 7:50:20 \xCE\xBC.\xCE\xBC.") << pm;
        QTest::newRow("Macau lower case")
            << "pt_MO" << QByteArray("05/12/2026 7:50:20 da tarde") << pm;
        QTest::newRow("ISO T") << "en_GB" << QByteArray("2026-12-05T19:50:20") << pm;
        QTest::newRow("ISO space") << "de_DE" << QByteArray("2026-12-05 19:50:20") << pm;
        QTest::newRow("ISO fraction") << "en_US" << QByteArray("2026-12-05T19:50:20.250")
                                      << QDateTime(QDate(2026, 12, 5), QTime(19, 50, 20, 250));
        QTest::newRow("ISO date") << "en_US" << QByteArray("2026-12-05")
                                  << QDateTime(QDate(2026, 12, 5), QTime(0, 0));
        QTest::newRow("ISO UTC")
            << "en_GB" << QByteArray("2026-12-05T19:50:20Z")
            << QDateTime(QDate(2026, 12, 5), QTime(19, 50, 20), Qt::UTC).toLocalTime();
        QTest::newRow("ISO offset")
            << "en_GB" << QByteArray("2026-12-05T19:50:20+01:00")
            << QDateTime(QDate(2026, 12, 5), QTime(18, 50, 20), Qt::UTC).toLocalTime();
        QTest::newRow("blanks around") << "en_GB" << QByteArray("  05/12/2026 19:50:20 ") << pm;
        // The writer's own locale wins where the forms are ambiguous.
        QTest::newRow("British day first") << "en_GB" << QByteArray("05/12/2026 19:50:20") << pm;
    }

    void readsForeignStamps()
    {
        QFETCH(QString, locale);
        QFETCH(QByteArray, text);
        QFETCH(QDateTime, time);
        TimestampParser parser{LocaleFormats(QLocale(locale))};
        LogTimestamp stamp;
        QVERIFY(parser.parse(text, stamp));
        QCOMPARE(stamp.toDateTime(), time);
    }

    void rejectsNonsense_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("word") << QByteArray("yesterday");
        QTest::newRow("day 32") << QByteArray("32/12/2026 07:50:20");
        QTest::newRow("hour 25") << QByteArray("05/12/2026 25:50:20");
        QTest::newRow("trailing text") << QByteArray("05/12/2026 07:50:20 x");
        QTest::newRow("two-digit year") << QByteArray("05/12/26 07:50:20");
        QTest::newRow("13 PM") << QByteArray("12/5/2026 13:50:20 PM");
        QTest::newRow("ISO month 13") << QByteArray("2026-13-05T07:50:20");
    }

    void rejectsNonsense()
    {
        QFETCH(QByteArray, text);
        TimestampParser parser{LocaleFormats(QLocale(QStringLiteral("en_GB")))};
        LogTimestamp stamp;
        QVERIFY(!parser.parse(text, stamp));
        QVERIFY(!stamp.inGap);
    }

    /// The hour skipped when the clocks go forward: the parser says no; the reader keeps the row
    /// (a hand-made log may hold one), placed where a clock not yet put forward showed it, and
    /// reads on.
    void skippedHourIsRefusedAndTheRowKept_data()
    {
        QTest::addColumn<QByteArray>("stamp");
        QTest::addColumn<bool>("inGap");
        QTest::addColumn<QDateTime>("time");
        QTest::newRow("in the gap") << QByteArray("29/03/2026 02:30:00") << true
                                    << QDateTime(QDate(2026, 3, 29), QTime(3, 30));
        QTest::newRow("gap starts") << QByteArray("29/03/2026 02:00:00") << true
                                    << QDateTime(QDate(2026, 3, 29), QTime(3, 0));
        QTest::newRow("before the gap") << QByteArray("29/03/2026 01:59:59") << false
                                        << QDateTime(QDate(2026, 3, 29), QTime(1, 59, 59));
        QTest::newRow("after the gap") << QByteArray("29/03/2026 03:00:00") << false
                                       << QDateTime(QDate(2026, 3, 29), QTime(3, 0));
        QTest::newRow("repeated hour") << QByteArray("25/10/2026 02:30:00") << false
                                       << QDateTime(QDate(2026, 10, 25), QTime(2, 30));
    }

    void skippedHourIsRefusedAndTheRowKept()
    {
        QFETCH(QByteArray, stamp);
        QFETCH(bool, inGap);
        QFETCH(QDateTime, time);
        const ZoneOverride berlin("Europe/Berlin");
        const LocaleFormats formats{QLocale(QStringLiteral("en_GB"))};
        TimestampParser parser(formats);
        LogTimestamp read;
        QCOMPARE(parser.parse(stamp, read), !inGap);
        QCOMPARE(read.inGap, inGap);

        LogReader reader("100\t50\t" + stamp + "\r\n200\t60\t29/03/2026 04:00:00\r\n", formats);
        LogRow row;
        QCOMPARE(reader.next(row), LogReader::Line::Row);
        QCOMPARE(row.small, 100);
        const QDateTime readTime = row.stamp.toDateTime();
        QVERIFY(readTime.isValid());
        QCOMPARE(readTime, time);
        QCOMPARE(reader.next(row), LogReader::Line::Row);
        QCOMPARE(row.small, 200);
    }
};

QTEST_GUILESS_MAIN(TestTimestampParser)
#include "tst_timestampparser.moc"
