// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "acquisition/countstoken.h"
#include "charting/chartdatamodel.h"
#include "charting/sampleprocessor.h"
#include "charting/slidermodel.h"
#include "common/clock.h"
#include "common/failure.h"
#include "common/localeformats.h"
#include "common/notifier.h"
#include "common/runningstatistics.h"
#include "logfile/logfolder.h"
#include "logfile/logloader.h"
#include "logfile/logpane.h"
#include "logfile/logreader.h"
#include "logfile/logwriter.h"
#include "logfile/timestampparser.h"
#include "loggenerator.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <ctime>
#include <sys/resource.h>

using namespace orvel;
using namespace orvel::test;

namespace {

/// A pane that keeps what it is shown.
class TextPane : public LogPane
{
public:
    void appendLogText(const QString &text) override { content += text; }
    void moveCaretToEnd() override {}
    QString content;
};

RunningStatistics statisticsOf(const QList<std::pair<qint32, qint32>> &samples)
{
    RunningStatistics statistics;
    for (const auto &[small, large] : samples)
        statistics.UpdateStatistics(small, large);
    return statistics;
}

using Samples = QList<std::pair<qint32, qint32>>;

const LocaleFormats British{QLocale(QStringLiteral("en_GB"))};
const LogGenerator Log(British, frozenTime());

/// A processor with real parts, and a loader feeding it.
struct LoaderRig
{
    LoaderRig() { processor.ProcessSample(SampleReset); }

    /// Loads `content` through the event loop and returns the error text.
    QString load(const QByteArray &content)
    {
        QSignalSpy finished(&loader, &LogLoader::finished);
        loader.start(content, British);
        if (!finished.wait(20000))
            return QStringLiteral("timed out");
        return finished.first().first().toString();
    }

    RecordingNotifier notifier;
    FixedClock clock{frozenTime()};
    LogWriter log{notifier};
    ChartDataModel chart;
    SliderModel slider;
    SampleProcessor processor{chart, slider, log, notifier, clock, British};
    LogLoader loader{processor};
};

} // namespace

/// The log file as it is written: its folder, line ends, the summary block, the pane, and what
/// happens when the file refuses writes, vanishes or its folder does (real files in a temporary
/// folder; the ways of refusing work for root too). Then the log read back: the time stamps the
/// log writer produces, in the locale that wrote them and in the fallbacks a log moved between
/// machines needs; and the reading loop of the graph loader: which lines become samples, the
/// store's roll-off, the statistics over every row, and a bad row stopping the load with the rows
/// before it kept.
class TestLogFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { m_writer.reset(); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_folder = m_dir->filePath(QStringLiteral("logs"));
        QVERIFY(QDir().mkpath(m_folder));
        m_path = m_folder + QStringLiteral("/OrveaLog.txt");
        m_notifier.messages.clear();
        m_writer = std::make_unique<LogWriter>(m_notifier);
        m_writer->setPane(&m_pane);
        m_pane.content.clear();
    }

    void looksUpOnceAndCreates_data()
    {
        QTest::addColumn<bool>("trailingSlash");
        QTest::newRow("documents without slash") << false;
        QTest::newRow("documents with slash") << true;
    }

    void looksUpOnceAndCreates()
    {
        QFETCH(bool, trailingSlash);
        int lookups = 0;
        // The documents folder is missing too: every missing level is created.
        LogFolder folder([&] {
            ++lookups;
            return m_dir->filePath(QStringLiteral("a/b")) +
                   (trailingSlash ? QStringLiteral("/") : QString());
        });
        const QString expected = m_dir->filePath(QStringLiteral("a/b/Orvel Logs"));
        QCOMPARE(folder.path(), expected);
        QCOMPARE(folder.path(), expected);
        QCOMPARE(lookups, 1);
        QVERIFY(QFileInfo(expected).isDir());
        // An existing folder is fine.
        LogFolder::CreateFolderPath(expected);
    }

    void reportsFolderThatCannotBeCreated_data()
    {
        QTest::addColumn<QString>("blocker");
        QTest::newRow("a file in the way") << "file";
        QTest::newRow("a file where a parent should be") << "file/below";
    }

    void reportsFolderThatCannotBeCreated()
    {
        QFETCH(QString, blocker);
        QVERIFY(test::writeFile(m_dir->filePath(QStringLiteral("file")), {}));
        const QString path = m_dir->filePath(blocker);
        try {
            LogFolder::CreateFolderPath(path);
            QFAIL("no failure raised");
        } catch (const Failure &failure) {
            QCOMPARE(failure.number(), Failure::FolderCreation);
            QVERIFY2(failure.description().endsWith(
                         QStringLiteral("\r\n\r\nCannot create folder '") + path + u'\''),
                     qPrintable(failure.description()));
        }
    }

    void writesNothingWhileClosed()
    {
        m_writer->WriteLogLine(QStringLiteral("lost"));
        // Opening creates the file; a recording without samples leaves it empty.
        m_writer->open(m_path);
        m_writer->WriteSummary(0, statisticsOf({{1, 2}}), LocaleFormats(QLocale::c()));
        m_writer->close();
        QVERIFY(QFileInfo(m_path).isFile());
        QCOMPARE(test::fileBytes(m_path), QByteArray());
        QVERIFY(m_pane.content.isEmpty());
    }

    void appendsAndAddsLineEndOnlyWhenMissing()
    {
        m_writer->open(m_path);
        m_writer->WriteLogLine(QStringLiteral("Small\tLarge\tDate/Time"));
        m_writer->WriteLogLine(QStringLiteral("1200\t300\r\nmid"));
        m_writer->close();
        // The next recording appends to the same file.
        m_writer->open(m_path);
        m_writer->WriteLogLine(QStringLiteral("Grüße"));
        m_writer->close();
        // UTF-8 without a byte-order mark, CR LF only where missing.
        QCOMPARE(test::fileBytes(m_path),
                 QByteArray("Small\tLarge\tDate/Time\r\n1200\t300\r\nmidGr\xc3\xbc\xc3\x9f"
                            "e\r\n"));
    }

    void summaryBlock_data()
    {
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<Samples>("samples");
        QTest::addColumn<QStringList>("figures");
        QTest::newRow("three samples")
            << "en_US" << Samples{{1200, 100}, {1300, 200}, {1500, 300}}
            << QStringList{"3", "1200", "1500", "1333.3", "100", "300", "200.0"};
        QTest::newRow("decimal comma")
            << "de_DE" << Samples{{1200, 100}, {1300, 200}}
            << QStringList{"2", "1200", "1300", "1250,0", "100", "200", "150,0"};
        QTest::newRow("no group separator in big averages")
            << "en_US" << Samples{{2000000000, 0}, {2000000000, 0}}
            << QStringList{"2", "2000000000", "2000000000", "2000000000.0", "0", "0", "0.0"};
        QTest::newRow("negative counts")
            << "en_US" << Samples{{-5, -1}, {-3, -2}}
            << QStringList{"2", "-5", "-3", "-4.0", "-2", "-1", "-1.5"};
    }

    void summaryBlock()
    {
        QFETCH(QString, localeName);
        QFETCH(Samples, samples);
        QFETCH(QStringList, figures);
        m_writer->open(m_path);
        m_writer->WriteSummary(qint32(samples.size()), statisticsOf(samples),
                               LocaleFormats(QLocale(localeName)));
        m_writer->close();
        QCOMPARE(QString::fromUtf8(test::fileBytes(m_path)), summaryText(figures));
    }

    void openFailureNamesTheFile()
    {
        const QString path = m_dir->filePath(QStringLiteral("no/such/folder/log.txt"));
        try {
            m_writer->open(path);
            QFAIL("opened");
        } catch (const Failure &failure) {
            QVERIFY(failure.description().contains(path));
        }
        QVERIFY(!m_writer->isOpen());
    }

    /// A full disk: the write cut short is taken back, the rows wait (shown in the pane, counted
    /// by the signal) and follow in order once space is back.
    void fullDiskRowsWaitAndFollowInOrder()
    {
        QSignalSpy pending(m_writer.get(), &LogWriter::pendingRowsChanged);
        m_writer->open(m_path);
        m_writer->WriteLogLine(Header);
        QString rows;
        {
            // Room for less than one row: the first write is cut short, the rest fail outright.
            // SIGXFSZ is ignored meanwhile, so that the write fails with EFBIG as on a full disk
            // instead of ending the process.
            rlimit saved = {};
            ::getrlimit(RLIMIT_FSIZE, &saved);
            rlimit lowered = saved;
            lowered.rlim_cur = rlim_t(Header.size() + 12);
            const auto savedHandler = std::signal(SIGXFSZ, SIG_IGN);
            const auto restore = qScopeGuard([&] {
                ::setrlimit(RLIMIT_FSIZE, &saved);
                std::signal(SIGXFSZ, savedHandler);
            });
            if (::setrlimit(RLIMIT_FSIZE, &lowered) != 0)
                QSKIP("cannot lower the file size limit here");
            for (int i = 1; i <= 5; ++i) {
                m_writer->WriteLogLine(row(i));
                rows += row(i);
            }
        }
        QCOMPARE(m_notifier.messages.size(), 1);
        QVERIFY2(m_notifier.messages[0].contains(m_path), qPrintable(m_notifier.messages[0]));
        QCOMPARE(test::fileBytes(m_path), Header.toUtf8());
        QCOMPARE(m_writer->pendingRows(), 5);
        QCOMPARE(pending.constLast().first().toInt(), 5);
        QCOMPARE(m_pane.content, Header + rows);

        m_writer->WriteLogLine(row(6));
        QCOMPARE(m_writer->pendingRows(), 0);
        QCOMPARE(pending.constLast().first().toInt(), 0);
        m_writer->close();
        QCOMPARE(QString::fromUtf8(test::fileBytes(m_path)), Header + rows + row(6));
        QCOMPARE(m_pane.content, Header + rows + row(6));
        QCOMPARE(m_notifier.messages.size(), 1);
    }

    void vanishedFileIsCreatedAgain_data()
    {
        QTest::addColumn<bool>("moved");
        QTest::newRow("deleted") << false;
        QTest::newRow("moved away") << true;
    }

    /// Noticed at the stop at the latest; the rows that went to a deleted file are written
    /// again, a moved file keeps the rows written to it until the writer noticed.
    void vanishedFileIsCreatedAgain()
    {
        QFETCH(bool, moved);
        const QString movedPath = m_dir->filePath(QStringLiteral("Elsewhere.txt"));
        m_writer->open(m_path);
        m_writer->WriteLogLine(row(1));
        QVERIFY(moved ? QFile::rename(m_path, movedPath) : QFile::remove(m_path));
        m_writer->WriteLogLine(row(2));
        m_writer->WriteLogLine(row(3));
        m_writer->close();

        QCOMPARE(m_notifier.messages.size(), 1);
        QVERIFY2(m_notifier.messages[0].contains(m_path), qPrintable(m_notifier.messages[0]));
        const QString text = QString::fromUtf8(test::fileBytes(m_path));
        QVERIFY2(text.startsWith(QStringLiteral("Note: the log file was deleted or moved away")),
                 qPrintable(text));
        const QString rows = row(1) + row(2) + row(3);
        QVERIFY2(text.endsWith(QStringLiteral("goes on.\r\n") + (moved ? QString() : rows)),
                 qPrintable(text));
        if (moved)
            QCOMPARE(QString::fromUtf8(test::fileBytes(movedPath)), rows);
    }

    void refusedLogIsWaitedFor_data()
    {
        QTest::addColumn<bool>("logBecomesFolder");
        QTest::newRow("log replaced by a folder") << true;
        QTest::newRow("folder removed and replaced by a file") << false;
    }

    /// The path refuses the file (root too cannot write a file over a folder, or below a file):
    /// looked at once a second by the clock, the rows wait, and all follow in order, the ones
    /// that went to the deleted file first, once the path takes a file again.
    void refusedLogIsWaitedFor()
    {
        QFETCH(bool, logBecomesFolder);
        FixedClock clock(QDateTime(QDate(2026, 12, 5), QTime(7, 50)));
        m_writer->setClock(&clock);
        m_writer->open(m_path);
        m_writer->WriteLogLine(Header);
        m_writer->WriteLogLine(row(1));
        refuse(logBecomesFolder);
        m_writer->WriteLogLine(row(2));
        QCOMPARE(m_writer->pendingRows(), 0); // not looked at yet
        clock.advanceSecs(1);
        m_writer->WriteLogLine(row(3));
        QCOMPARE(m_writer->pendingRows(), 4);
        QCOMPARE(m_notifier.messages.size(), 1);
        QVERIFY2(m_notifier.messages[0].startsWith(QStringLiteral("Cannot write to the log file")),
                 qPrintable(m_notifier.messages[0]));

        accept(logBecomesFolder);
        m_writer->WriteLogLine(row(4));
        QCOMPARE(m_writer->pendingRows(), 0);
        m_writer->close();
        QCOMPARE(m_notifier.messages.size(), 2);
        QVERIFY2(m_notifier.messages[1].contains(QStringLiteral("created again")),
                 qPrintable(m_notifier.messages[1]));
        const QString text = QString::fromUtf8(test::fileBytes(m_path));
        QVERIFY2(text.startsWith(QStringLiteral("Note: ")) &&
                     text.endsWith(QStringLiteral("goes on.\r\n") + Header + row(1) + row(2) +
                                   row(3) + row(4)),
                 qPrintable(text));
    }

    void refusedAtTheStopGoesToARecoveryFile_data() { refusedLogIsWaitedFor_data(); }

    /// Still refused at the stop: the rows and the summary go to a recovery file beside the log,
    /// or in the user's data folder when the log's folder refuses too, and the user is told.
    void refusedAtTheStopGoesToARecoveryFile()
    {
        QFETCH(bool, logBecomesFolder);
        FixedClock clock(QDateTime(QDate(2026, 12, 5), QTime(7, 50)));
        m_writer->setClock(&clock);
        QSignalSpy pending(m_writer.get(), &LogWriter::pendingRowsChanged);
        m_writer->open(m_path);
        m_writer->WriteLogLine(Header);
        m_writer->WriteLogLine(row(1));
        refuse(logBecomesFolder);
        m_writer->WriteLogLine(row(2));
        m_writer->WriteSummary(2, statisticsOf({{100, 300}, {200, 300}}),
                               LocaleFormats(QLocale::c()));
        m_writer->close();
        QCOMPARE(pending.constLast().first().toInt(), 0);

        const QString folder =
            logBecomesFolder ? m_folder
                             : QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        const QString recovery = folder + QStringLiteral("/OrveaLog.txt.recovered.txt");
        QCOMPARE(m_writer->recoveryPath(), recovery);
        const QString kept = QString::fromUtf8(test::fileBytes(recovery));
        QFile::remove(recovery);
        QCOMPARE(kept, Header + row(1) + row(2) +
                           summaryText({"2", "100", "200", "150.0", "300", "300", "300.0"}));
        QCOMPARE(m_notifier.messages.size(), 2);
        QVERIFY2(m_notifier.messages[1].startsWith(QStringLiteral("24 lines")) &&
                     m_notifier.messages[1].contains(recovery),
                 qPrintable(m_notifier.messages[1]));
    }

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
        TimestampParser parser{British};
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
        // In a zone whose clocks go forward on 29 March, until the test ends.
        const QByteArray zone = qgetenv("TZ");
        const bool hadZone = qEnvironmentVariableIsSet("TZ");
        qputenv("TZ", "Europe/Berlin");
        tzset();
        const auto restoreZone = qScopeGuard([&] {
            if (hadZone)
                qputenv("TZ", zone);
            else
                qunsetenv("TZ");
            tzset();
        });
        TimestampParser parser(British);
        LogTimestamp read;
        QCOMPARE(parser.parse(stamp, read), !inGap);
        QCOMPARE(read.inGap, inGap);

        LogReader reader("100\t50\t" + stamp + "\r\n200\t60\t29/03/2026 04:00:00\r\n", British);
        LogRow row;
        QCOMPARE(reader.next(row), LogReader::Line::Row);
        QCOMPARE(row.small, 100);
        const QDateTime readTime = row.stamp.toDateTime();
        QCOMPARE(readTime, time);
        QCOMPARE(reader.next(row), LogReader::Line::Row);
        QCOMPARE(row.small, 200);
    }

    void loadsFirstRecordingOnly()
    {
        LoaderRig rig;
        QCOMPARE(rig.load(Log.recording(1, 5) + Log.recording(6, 9)), QString());
        QCOMPARE(rig.processor.SampleCount(), 5);
        QCOMPARE(rig.processor.store().size(), 5);
        QCOMPARE(rig.processor.store().small(1), 100);
        QCOMPARE(rig.processor.store().large(5), 50);
        QCOMPARE(rig.processor.store().time(5), Log.time(5));
        QCOMPARE(rig.processor.statistics().MaxSmall, 500);
    }

    void skipsWhatIsNotARow_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("header") << QByteArray("Small\tLarge\tDate/Time\r\n");
        QTest::newRow("blank") << QByteArray("\r\n");
        QTest::newRow("hyphens") << QByteArray("---------------\r\n");
        QTest::newRow("history row") << QByteArray("1200\t300\r\n");
        QTest::newRow("four fields") << QByteArray("1200\t300\t05/12/2026 07:50:20\tx\r\n");
        QTest::newRow("one field") << QByteArray("hello\r\n");
        QTest::newRow("LF only blank") << QByteArray("\n");
        QTest::newRow("invalid UTF-8") << QByteArray("\xff\xfe\xc3(\x80 noise\r\n");
        QTest::newRow("NUL bytes") << QByteArray("\0\0\0\r\n", 5);
        QTest::newRow("10 MB line") << QByteArray(10 * 1024 * 1024, 'x') + "\r\n";
    }

    void skipsWhatIsNotARow()
    {
        QFETCH(QByteArray, line);
        LoaderRig rig;
        QCOMPARE(rig.load(Log.header() + Log.row(1) + line + Log.row(2)), QString());
        QCOMPARE(rig.processor.SampleCount(), 2);
        QCOMPARE(rig.processor.store().small(2), 200);
    }

    void keepsTheLatestWeek()
    {
        LoaderRig rig;
        QSignalSpy progress(&rig.loader, &LogLoader::progress);
        QCOMPARE(rig.load(Log.recording(1, 12000)), QString());
        QCOMPARE(rig.processor.SampleCount(), 12000);
        QCOMPARE(rig.processor.store().size(), SampleStore::MaxStoredSamples);
        // Slot 1 holds row 1,921, the oldest of the last 10,080.
        QCOMPARE(rig.processor.store().small(1), 192100);
        QCOMPARE(rig.processor.store().time(SampleStore::MaxStoredSamples), Log.time(12000));
        // The statistics count the rows that rolled off the store too.
        QCOMPARE(rig.processor.statistics().MinSmall, 100);
        QCOMPARE(rig.processor.statistics().SumLarge, 10.0 * 12000 * 12001 / 2);
        QCOMPARE(progress.last().at(0).toInt(), 12000);
    }

    void badRowStopsAndKeepsEarlierRows_data()
    {
        QTest::addColumn<QByteArray>("badRow");
        QTest::addColumn<QString>("error");
        QTest::newRow("large not a number") << QByteArray("1200\tabc\t05/12/2026 07:53:20\r\n")
                                            << "large count \"abc\" is not a number.";
        QTest::newRow("small not a number") << QByteArray("12x\t300\t05/12/2026 07:53:20\r\n")
                                            << "small count \"12x\" is not a number.";
        QTest::newRow("small beyond 32 bits")
            << QByteArray("2147483648\t300\t05/12/2026 07:53:20\r\n")
            << "small count \"2147483648\" is out of range.";
        QTest::newRow("empty large")
            << QByteArray("1200\t\t05/12/2026 07:53:20\r\n") << "large count \"\" is not a number.";
        QTest::newRow("bad time stamp")
            << QByteArray("1200\t300\t31/02/2026 07:53:20\r\n")
            << "time stamp \"31/02/2026 07:53:20\" is not a date and time.";
    }

    void badRowStopsAndKeepsEarlierRows()
    {
        QFETCH(QByteArray, badRow);
        QFETCH(QString, error);
        LoaderRig rig;
        const QByteArray content =
            Log.header() + Log.row(1) + Log.row(2) + "\r\n" + badRow + Log.row(4) + Log.summary(4);
        QCOMPARE(rig.load(content), "Line 5 of the log cannot be read: the " + error);
        QCOMPARE(rig.processor.SampleCount(), 2);
        QCOMPARE(rig.processor.store().size(), 2);
        QCOMPARE(rig.processor.store().time(2), Log.time(2));
        QCOMPARE(rig.processor.statistics().SumSmall, 300.0);
        // The loader does not draw and does not report through the processor's notifier.
        QVERIFY(rig.notifier.messages.isEmpty());
    }

    void hostileRowGetsAShortMessage_data()
    {
        QTest::addColumn<QByteArray>("badRow");
        QTest::addColumn<QString>("what");

        QTest::newRow("truncated row, the log's end")
            << QByteArray("1200\t300\t05/12/20") << QStringLiteral("time stamp");
        QTest::newRow("invalid UTF-8 in a count")
            << QByteArray("12\xff\xc3\t300\t05/12/2026 07:53:20\r\n") << QStringLiteral("small");
        QTest::newRow("10 MB count")
            << QByteArray(10 * 1024 * 1024, '1') + "\t300\t05/12/2026 07:53:20\r\n"
            << QStringLiteral("small");
        QTest::newRow("10 MB time stamp")
            << QByteArray("1200\t300\t") + QByteArray(10 * 1024 * 1024, '7') + "\r\n"
            << QStringLiteral("time stamp");
    }

    void hostileRowGetsAShortMessage()
    {
        QFETCH(QByteArray, badRow);
        QFETCH(QString, what);
        LoaderRig rig;
        const QString error = rig.load(Log.header() + Log.row(1) + Log.row(2) + badRow);
        QVERIFY2(error.startsWith(QStringLiteral("Line 4 of the log cannot be read: the ") + what),
                 qPrintable(error.left(300)));
        // The message quotes the line, but a huge one only in part: it has to fit a message box.
        QVERIFY2(error.size() < 400, qPrintable(error.left(300)));
        QCOMPARE(rig.processor.SampleCount(), 2);
    }

    void readsInSlices()
    {
        QByteArray content = Log.header();
        for (int k = 1; k <= 200000; ++k)
            content += Log.row(k % 50, k % 7, Log.time(1));
        LoaderRig rig;
        QSignalSpy progress(&rig.loader, &LogLoader::progress);
        // Events keep running while the load goes on: a timer started after the first slice fires
        // before the last one.
        bool tickedDuringLoad = false;
        bool armed = false;
        connect(&rig.loader, &LogLoader::progress, &rig.loader, [&] {
            if (std::exchange(armed, true))
                return;
            QTimer::singleShot(0, &rig.loader, [&] { tickedDuringLoad = rig.loader.isRunning(); });
        });
        QCOMPARE(rig.load(content), QString());
        QCOMPARE(rig.processor.SampleCount(), 200000);
        QVERIFY(progress.size() > 1);
        QVERIFY(tickedDuringLoad);
    }

    void cancelKeepsWhatWasRead()
    {
        LoaderRig rig;
        QSignalSpy finished(&rig.loader, &LogLoader::finished);
        rig.loader.start(Log.recording(1, 10), British);
        QVERIFY(rig.loader.isRunning());
        rig.loader.cancel();
        QVERIFY(!rig.loader.isRunning());
        QCOMPARE(rig.processor.SampleCount(), 0);
        QVERIFY(finished.isEmpty());
    }

private:
    static QString row(int i)
    {
        return QStringLiteral("%1\t300\t12/5/2026 7:50:20 AM\r\n").arg(i * 100);
    }

    static QString summaryText(const QStringList &figures)
    {
        return QStringLiteral("\r\n--------------------------\r\n         SUMMARY\r\n"
                              "(particles per cubic foot)\r\n--------------------------\r\n"
                              "Number of samples : %1\r\n\r\nSmall Particles\r\n"
                              "---------------\r\n Low : %2\r\n Hi  : %3\r\n Avg : %4\r\n\r\n"
                              "Large Particles\r\n---------------\r\n Low : %5\r\n Hi  : %6\r\n"
                              " Avg : %7\r\n\r\n------ End Summary -------\r\n\r\n")
            .arg(figures[0], figures[1], figures[2], figures[3], figures[4], figures[5],
                 figures[6]);
    }

    /// Makes the log's path refuse a file: the log becomes a folder, or its folder a file.
    void refuse(bool logBecomesFolder)
    {
        if (logBecomesFolder) {
            QVERIFY(QFile::remove(m_path) && QDir().mkdir(m_path));
            return;
        }
        QVERIFY(QDir(m_folder).removeRecursively());
        QVERIFY(test::writeFile(m_folder, {}));
    }

    void accept(bool logBecomesFolder)
    {
        QVERIFY(logBecomesFolder ? QDir().rmdir(m_path)
                                 : QFile::remove(m_folder) && QDir().mkdir(m_folder));
    }

    const QString Header = QStringLiteral("Small\tLarge\tDate/Time\r\n");
    std::unique_ptr<QTemporaryDir> m_dir;
    RecordingNotifier m_notifier;
    TextPane m_pane;
    std::unique_ptr<LogWriter> m_writer;
    QString m_folder;
    QString m_path;
};

QTEST_GUILESS_MAIN(TestLogFile)
#include "tst_logfile.moc"
