#include "common/runningstatistics.h"
#include "common/failure.h"
#include "common/localeformats.h"
#include "common/notifier.h"
#include "logfile/logpane.h"
#include "logfile/logwriter.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace orvel;

namespace {

/// A pane that keeps its text and a caret the way the real one does.
class TextPane : public LogPane
{
public:
    void appendLogText(const QString &text) override
    {
        const bool atEnd = caret == content.size();
        content += text;
        if (atEnd)
            caret = content.size();
    }
    void moveCaretToEnd() override { caret = content.size(); }
    QString content;
    qsizetype caret = 0;
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

RunningStatistics statisticsOf(const QList<std::pair<qint32, qint32>> &samples)
{
    RunningStatistics statistics;
    for (const auto &[small, large] : samples)
        statistics.UpdateStatistics(small, large);
    return statistics;
}

using Samples = QList<std::pair<qint32, qint32>>;

/// Lowers this process's file size limit (the way a full disk stops a write part-way) and puts
/// it back when it goes out of scope. SIGXFSZ is ignored meanwhile so that the write fails with
/// EFBIG instead of ending the process.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_saved;
        lowered.rlim_cur = bytes;
        m_active = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() { lift(); }
    void lift()
    {
        if (!m_active)
            return;
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedHandler);
        m_active = false;
    }
    bool isActive() const { return m_active; }

private:
    rlimit m_saved = {};
    void (*m_savedHandler)(int) = SIG_DFL;
    bool m_active = false;
};

} // namespace

class TestLogWriter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void writesNothingWhileClosed();
    void addsLineEndOnlyWhenMissing();
    void summaryBlock_data();
    void summaryBlock();
    void summaryOfNoSamplesWritesNothing();
    void twoRecordingsAppend();
    void paneKeepsReadersPlace();
    void failedWriteReportedOnceAndPaneUnchanged();
    void openFailureNamesTheFile();
    void fullDiskKeepsCompleteLines();
    void vanishedFileIsCreatedAgain_data();
    void vanishedFileIsCreatedAgain();
    void vanishedFolderIsWaitedFor();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestLogWriter::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("OrveaLog.txt"));
}

void TestLogWriter::writesNothingWhileClosed()
{
    RecordingNotifier notifier;
    LogWriter writer(notifier);
    TextPane pane;
    writer.setPane(&pane);
    writer.WriteLogLine(QStringLiteral("lost"));
    QVERIFY(pane.content.isEmpty());

    // Opening creates the file; a recording without samples leaves it empty.
    writer.open(m_path);
    writer.WriteSummary(0, RunningStatistics(), LocaleFormats(QLocale::c()));
    writer.close();
    QCOMPARE(readAll(m_path), QByteArray());
}

void TestLogWriter::addsLineEndOnlyWhenMissing()
{
    RecordingNotifier notifier;
    LogWriter writer(notifier);
    writer.open(m_path);
    writer.WriteLogLine(QStringLiteral("Small\tLarge\tDate/Time"));
    writer.WriteLogLine(QStringLiteral("1200\t300\r\nmid"));
    writer.WriteLogLine(QStringLiteral("Grüße"));
    writer.close();
    // UTF-8 without a byte-order mark, CR LF only where missing.
    QCOMPARE(readAll(m_path),
             QByteArray("Small\tLarge\tDate/Time\r\n1200\t300\r\nmidGr\xc3\xbc\xc3\x9f"
                        "e\r\n"));
}

void TestLogWriter::summaryBlock_data()
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
    QTest::newRow("negative counts") << "en_US" << Samples{{-5, -1}, {-3, -2}}
                                     << QStringList{"2", "-5", "-3", "-4.0", "-2", "-1", "-1.5"};
}

void TestLogWriter::summaryBlock()
{
    QFETCH(QString, localeName);
    QFETCH(Samples, samples);
    QFETCH(QStringList, figures);

    RecordingNotifier notifier;
    LogWriter writer(notifier);
    writer.open(m_path);
    writer.WriteSummary(qint32(samples.size()), statisticsOf(samples),
                        LocaleFormats(QLocale(localeName)));
    writer.close();

    const QString expected = QStringLiteral("\r\n"
                                            "--------------------------\r\n"
                                            "         SUMMARY\r\n"
                                            "(particles per cubic foot)\r\n"
                                            "--------------------------\r\n"
                                            "Number of samples : %1\r\n"
                                            "\r\n"
                                            "Small Particles\r\n"
                                            "---------------\r\n"
                                            " Low : %2\r\n"
                                            " Hi  : %3\r\n"
                                            " Avg : %4\r\n"
                                            "\r\n"
                                            "Large Particles\r\n"
                                            "---------------\r\n"
                                            " Low : %5\r\n"
                                            " Hi  : %6\r\n"
                                            " Avg : %7\r\n"
                                            "\r\n"
                                            "------ End Summary -------\r\n"
                                            "\r\n")
                                 .arg(figures[0], figures[1], figures[2], figures[3], figures[4],
                                      figures[5], figures[6]);
    QCOMPARE(QString::fromUtf8(readAll(m_path)), expected);
    QCOMPARE(expected.count(QStringLiteral("\r\n")), 21);
}

void TestLogWriter::summaryOfNoSamplesWritesNothing()
{
    RecordingNotifier notifier;
    LogWriter writer(notifier);
    TextPane pane;
    writer.setPane(&pane);
    writer.open(m_path);
    writer.WriteSummary(0, statisticsOf({{1, 2}}), LocaleFormats(QLocale::c()));
    QVERIFY(pane.content.isEmpty());
}

void TestLogWriter::twoRecordingsAppend()
{
    RecordingNotifier notifier;
    LogWriter writer(notifier);
    const LocaleFormats formats(QLocale::c());
    for (int recording = 1; recording <= 2; ++recording) {
        writer.open(m_path);
        writer.WriteLogLine(QStringLiteral("Small\tLarge\tDate/Time"));
        writer.WriteLogLine(QStringLiteral("%1\t1\r\n").arg(recording * 100));
        writer.WriteSummary(1, statisticsOf({{recording * 100, 1}}), formats);
        writer.close();
    }
    const QString text = QString::fromUtf8(readAll(m_path));
    QCOMPARE(text.count(QStringLiteral("SUMMARY")), 2);
    QVERIFY(text.indexOf(QStringLiteral(" Low : 100")) < text.indexOf(QStringLiteral("200\t1")));
    QVERIFY(text.indexOf(QStringLiteral("200\t1")) < text.indexOf(QStringLiteral(" Low : 200")));
    QCOMPARE(text.count(QStringLiteral("Number of samples : 1\r\n")), 2);
}

void TestLogWriter::paneKeepsReadersPlace()
{
    RecordingNotifier notifier;
    LogWriter writer(notifier);
    TextPane pane;
    writer.setPane(&pane);
    writer.open(m_path);
    writer.WriteLogLine(QStringLiteral("one"));
    QCOMPARE(pane.caret, pane.content.size());
    writer.WriteLogLine(QStringLiteral("two"));
    QCOMPARE(pane.caret, pane.content.size());
    pane.caret = 2;
    writer.WriteLogLine(QStringLiteral("three"));
    QCOMPARE(pane.content, QStringLiteral("one\r\ntwo\r\nthree\r\n"));
    QCOMPARE(pane.caret, 2);
}

void TestLogWriter::failedWriteReportedOnceAndPaneUnchanged()
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        QSKIP("no /dev/full on this machine");
    RecordingNotifier notifier;
    LogWriter writer(notifier);
    TextPane pane;
    writer.setPane(&pane);
    writer.open(QStringLiteral("/dev/full"));
    for (int i = 0; i < 5; ++i)
        writer.WriteLogLine(QStringLiteral("%1\t1\r\n").arg(i));
    QCOMPARE(notifier.messages.size(), 1);
    QVERIFY2(notifier.messages[0].contains(QStringLiteral("/dev/full")),
             qPrintable(notifier.messages[0]));
    QVERIFY(pane.content.isEmpty());
}

void TestLogWriter::openFailureNamesTheFile()
{
    RecordingNotifier notifier;
    LogWriter writer(notifier);
    const QString path = m_dir->filePath(QStringLiteral("no/such/folder/log.txt"));
    QVERIFY_THROWS_EXCEPTION(Failure, writer.open(path));
    try {
        writer.open(path);
    } catch (const Failure &failure) {
        QVERIFY(failure.description().contains(path));
    }
    QVERIFY(!writer.isOpen());
}

void TestLogWriter::fullDiskKeepsCompleteLines()
{
    const QString header = QStringLiteral("Small\tLarge\tDate/Time\r\n");
    const QString row = QStringLiteral("%1\t300\t12/5/2026 7:50:20 AM\r\n");
    RecordingNotifier notifier;
    LogWriter writer(notifier);
    TextPane pane;
    writer.setPane(&pane);
    writer.open(m_path);
    writer.WriteLogLine(header);
    {
        // Room for less than one row: the first write is cut short, the rest fail outright.
        FileSizeLimit limit(rlim_t(header.size() + 12));
        if (!limit.isActive())
            QSKIP("cannot lower the file size limit here");
        for (int i = 1; i <= 5; ++i)
            writer.WriteLogLine(row.arg(i * 100));
    }
    QCOMPARE(notifier.messages.size(), 1);
    QVERIFY2(notifier.messages[0].contains(m_path), qPrintable(notifier.messages[0]));
    QCOMPARE(readAll(m_path), header.toUtf8());

    // Space is back: the recording goes on with whole rows, what was written stays as it was.
    writer.WriteLogLine(row.arg(600));
    writer.WriteLogLine(row.arg(700));
    writer.close();
    QCOMPARE(QString::fromUtf8(readAll(m_path)), header + row.arg(600) + row.arg(700));
    QCOMPARE(pane.content, header + row.arg(600) + row.arg(700));
    QCOMPARE(notifier.messages.size(), 1);
}

void TestLogWriter::vanishedFileIsCreatedAgain_data()
{
    QTest::addColumn<bool>("moved");
    QTest::newRow("deleted") << false;
    QTest::newRow("moved away") << true;
}

void TestLogWriter::vanishedFileIsCreatedAgain()
{
    QFETCH(bool, moved);
    const QByteArray first("100\t1\t12/5/2026 7:50:20 AM\r\n");
    const QByteArray second("200\t2\t12/5/2026 7:50:26 AM\r\n");
    const QByteArray third("300\t3\t12/5/2026 7:50:32 AM\r\n");
    const QString movedPath = m_dir->filePath(QStringLiteral("Elsewhere.txt"));
    RecordingNotifier notifier;
    LogWriter writer(notifier);
    writer.open(m_path);
    writer.WriteLogLine(QString::fromUtf8(first));
    QVERIFY(moved ? QFile::rename(m_path, movedPath) : QFile::remove(m_path));

    writer.WriteLogLine(QString::fromUtf8(second));
    writer.WriteLogLine(QString::fromUtf8(third));
    writer.close();

    QCOMPARE(notifier.messages.size(), 1);
    QVERIFY2(notifier.messages[0].contains(m_path), qPrintable(notifier.messages[0]));
    const QByteArray text = readAll(m_path);
    QVERIFY2(text.startsWith("Note: the log file was deleted or moved away"), text.constData());
    QVERIFY2(text.endsWith("goes on.\r\n" + second + third), text.constData());
    if (moved)
        QCOMPARE(readAll(movedPath), first);
}

void TestLogWriter::vanishedFolderIsWaitedFor()
{
    const QString folder = m_dir->filePath(QStringLiteral("logs"));
    const QString path = folder + QStringLiteral("/OrveaLog.txt");
    QVERIFY(QDir().mkpath(folder));
    RecordingNotifier notifier;
    LogWriter writer(notifier);
    writer.open(path);
    writer.WriteLogLine(QStringLiteral("100\t1"));
    QVERIFY(QDir(folder).removeRecursively());

    // Nowhere to write: told once, the recording goes on.
    writer.WriteLogLine(QStringLiteral("200\t2"));
    writer.WriteLogLine(QStringLiteral("300\t3"));
    QCOMPARE(notifier.messages.size(), 1);
    QVERIFY2(notifier.messages[0].startsWith(QStringLiteral("Cannot write to the log file")),
             qPrintable(notifier.messages[0]));
    QVERIFY(writer.isOpen());

    // The folder is back: the file is created again with its note.
    QVERIFY(QDir().mkpath(folder));
    writer.WriteLogLine(QStringLiteral("400\t4"));
    writer.close();
    QCOMPARE(notifier.messages.size(), 2);
    QVERIFY2(notifier.messages[1].contains(QStringLiteral("created again")),
             qPrintable(notifier.messages[1]));
    const QByteArray text = readAll(path);
    QVERIFY2(text.startsWith("Note: ") && text.endsWith("goes on.\r\n400\t4\r\n"),
             text.constData());
}

QTEST_GUILESS_MAIN(TestLogWriter)
#include "tst_logwriter.moc"
