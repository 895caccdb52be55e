// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "common/clock.h"
#include "common/failure.h"
#include "common/localeformats.h"
#include "common/notifier.h"
#include "common/runningstatistics.h"
#include "logfile/logfolder.h"
#include "logfile/logpane.h"
#include "logfile/logwriter.h"
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
#include <sys/resource.h>

using namespace orvel;

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

} // namespace

/// The log file as it is written: its folder, line ends, the summary block, the pane, and what
/// happens when the file refuses writes, vanishes or its folder does (real files in a temporary
/// folder; the ways of refusing work for root too).
class TestLogWriting : public QObject
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
        QFile file(m_dir->filePath(QStringLiteral("file")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
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
        QFile blocker(m_folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
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

QTEST_GUILESS_MAIN(TestLogWriting)
#include "tst_logwriting.moc"
