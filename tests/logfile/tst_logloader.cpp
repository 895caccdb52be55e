// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/chartdatamodel.h"
#include "charting/sampleprocessor.h"
#include "charting/slidermodel.h"
#include "common/clock.h"
#include "common/notifier.h"
#include "logfile/logloader.h"
#include "logfile/logwriter.h"
#include "loggenerator.h"
#include "testsupport.h"

#include <QSignalSpy>
#include <QTest>

using namespace orvel;
using namespace orvel::test;

namespace {

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

/// The reading loop of the graph loader: which lines become samples, the store's roll-off, the
/// statistics over every row, and a bad row stopping the load with the rows before it kept.
class TestLogLoader : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loadsFirstRecordingOnly();
    void skipsWhatIsNotARow_data();
    void skipsWhatIsNotARow();
    void keepsTheLatestWeek();
    void badRowStopsAndKeepsEarlierRows_data();
    void badRowStopsAndKeepsEarlierRows();
    void hostileRowGetsAShortMessage_data();
    void hostileRowGetsAShortMessage();
    void readsInSlices();
    void cancelKeepsWhatWasRead();
};

void TestLogLoader::loadsFirstRecordingOnly()
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

void TestLogLoader::skipsWhatIsNotARow_data()
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

void TestLogLoader::skipsWhatIsNotARow()
{
    QFETCH(QByteArray, line);
    LoaderRig rig;
    QCOMPARE(rig.load(Log.header() + Log.row(1) + line + Log.row(2)), QString());
    QCOMPARE(rig.processor.SampleCount(), 2);
    QCOMPARE(rig.processor.store().small(2), 200);
}

void TestLogLoader::keepsTheLatestWeek()
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

void TestLogLoader::badRowStopsAndKeepsEarlierRows_data()
{
    QTest::addColumn<QByteArray>("badRow");
    QTest::addColumn<QString>("error");
    QTest::newRow("large not a number") << QByteArray("1200\tabc\t05/12/2026 07:53:20\r\n")
                                        << "large count \"abc\" is not a number.";
    QTest::newRow("small not a number") << QByteArray("12x\t300\t05/12/2026 07:53:20\r\n")
                                        << "small count \"12x\" is not a number.";
    QTest::newRow("small beyond 32 bits") << QByteArray("2147483648\t300\t05/12/2026 07:53:20\r\n")
                                          << "small count \"2147483648\" is out of range.";
    QTest::newRow("empty large") << QByteArray("1200\t\t05/12/2026 07:53:20\r\n")
                                 << "large count \"\" is not a number.";
    QTest::newRow("bad time stamp") << QByteArray("1200\t300\t31/02/2026 07:53:20\r\n")
                                    << "time stamp \"31/02/2026 07:53:20\" is not a date and time.";
}

void TestLogLoader::badRowStopsAndKeepsEarlierRows()
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

void TestLogLoader::hostileRowGetsAShortMessage_data()
{
    QTest::addColumn<QByteArray>("badRow");
    QTest::addColumn<QString>("what");

    QTest::newRow("truncated row, the log's end")
        << QByteArray("1200\t300\t05/12/20") << QStringLiteral("time stamp");
    QTest::newRow("invalid UTF-8 in a count")
        << QByteArray("12\xff\xc3\t300\t05/12/2026 07:53:20\r\n") << QStringLiteral("small");
    QTest::newRow("10 MB count") << QByteArray(10 * 1024 * 1024, '1') +
                                        "\t300\t05/12/2026 07:53:20\r\n"
                                 << QStringLiteral("small");
    QTest::newRow("10 MB time stamp")
        << QByteArray("1200\t300\t") + QByteArray(10 * 1024 * 1024, '7') + "\r\n"
        << QStringLiteral("time stamp");
}

void TestLogLoader::hostileRowGetsAShortMessage()
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

void TestLogLoader::readsInSlices()
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

void TestLogLoader::cancelKeepsWhatWasRead()
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

QTEST_GUILESS_MAIN(TestLogLoader)
#include "tst_logloader.moc"
