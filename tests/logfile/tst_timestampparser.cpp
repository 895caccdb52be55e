#include "logfile/timestampparser.h"

#include <QTest>

using namespace orvel;

/// The time stamps the log writer produces, read back in the locale that wrote them and in the
/// fallbacks a log moved between machines needs.
class TestTimestampParser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readsWhatTheWriterWrites_data();
    void readsWhatTheWriterWrites();
    void readsForeignStamps_data();
    void readsForeignStamps();
    void rejectsNonsense_data();
    void rejectsNonsense();
};

void TestTimestampParser::readsWhatTheWriterWrites_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDateTime>("time");
    const QDateTime morning(QDate(2026, 12, 5), QTime(7, 50, 20));
    const QDateTime afternoon(QDate(2026, 1, 31), QTime(23, 5, 9));
    const QDateTime noon(QDate(2026, 6, 1), QTime(12, 0, 1));
    const QDateTime midnight(QDate(2026, 2, 28), QTime(0, 0));
    const QDateTime pastMidnight(QDate(2026, 2, 28), QTime(0, 0, 1));
    const QList<std::pair<QByteArray, QDateTime>> times = {{"morning", morning},
                                                           {"late", afternoon},
                                                           {"noon", noon},
                                                           {"midnight", midnight},
                                                           {"past midnight", pastMidnight}};
    const QByteArrayList locales = {"en_US", "en_GB", "de_DE", "fr_FR", "ja_JP", "zh_CN",
                                    "ko_KR", "ar_EG", "fi_FI", "hu_HU", "C"};
    for (const QByteArray &name : locales) {
        for (const auto &entry : times) {
            QTest::addRow("%s %s", name.constData(), entry.first.constData())
                << QString::fromLatin1(name) << entry.second;
        }
    }
}

void TestTimestampParser::readsWhatTheWriterWrites()
{
    QFETCH(QString, locale);
    QFETCH(QDateTime, time);
    const LocaleFormats formats{QLocale(locale)};
    const QString written = formats.generalDate(time);
    TimestampParser parser(formats);
    LogTimestamp stamp;
    QVERIFY2(parser.parse(written.toUtf8(), stamp), qPrintable(written));
    QCOMPARE(stamp.toDateTime(), time);
}

void TestTimestampParser::readsForeignStamps_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QDateTime>("time");
    const QDateTime pm(QDate(2026, 12, 5), QTime(19, 50, 20));
    QTest::newRow("US stamp under German") << "de_DE" << QByteArray("12/5/2026 7:50:20 PM") << pm;
    QTest::newRow("US stamp lower case") << "de_DE" << QByteArray("12/5/2026 7:50:20 pm") << pm;
    QTest::newRow("US stamp narrow space")
        << "fr_FR" << QByteArray("12/5/2026 7:50:20\xE2\x80\xAFPM") << pm;
    QTest::newRow("US midnight under German")
        << "de_DE" << QByteArray("12/5/2026") << QDateTime(QDate(2026, 12, 5), QTime(0, 0));
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

void TestTimestampParser::readsForeignStamps()
{
    QFETCH(QString, locale);
    QFETCH(QByteArray, text);
    QFETCH(QDateTime, time);
    TimestampParser parser{LocaleFormats(QLocale(locale))};
    LogTimestamp stamp;
    QVERIFY(parser.parse(text, stamp));
    QCOMPARE(stamp.toDateTime(), time);
}

void TestTimestampParser::rejectsNonsense_data()
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

void TestTimestampParser::rejectsNonsense()
{
    QFETCH(QByteArray, text);
    TimestampParser parser{LocaleFormats(QLocale(QStringLiteral("en_GB")))};
    LogTimestamp stamp;
    QVERIFY(!parser.parse(text, stamp));
}

QTEST_GUILESS_MAIN(TestTimestampParser)
#include "tst_timestampparser.moc"
