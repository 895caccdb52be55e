// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// The window and orvel-recorder write the same log for the same readings: header, rows and
// summary byte for byte, with the clock stopped and the same locale.

#include "charting/sampleprocessor.h"
#include "recorder/recorder.h"
#include "recorder/recorderoptions.h"
#include "shell/mainwindow.h"
#include "shell/recordingcontroller.h"
#include "shellfixture.h"

#include <QSignalSpy>
#include <QTest>

using namespace orvel;

class TestSameLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void windowAndRecorderWriteTheSameBytes()
    {
        QLocale::setDefault(QLocale(QStringLiteral("en_GB")));
        test::ShellFixture fixture;
        QVERIFY2(fixture.unitOpened, qPrintable(fixture.unit->errorString()));
        // A bad line and a reading split over two writes among them.
        const QList<QByteArray> reads{"12,3\r\n13,", "2\r\nabc\r\n", "1500,30\r\n"};
        {
            MainWindow window(fixture.environment());
            window.controller().LogToolbar_ButtonClick(QStringLiteral("Record"));
            QVERIFY(window.controller().IsRecording());
            for (const QByteArray &read : reads)
                fixture.unit->sendRaw(read);
            QTRY_COMPARE(window.processor().SampleCount(), 3);
            window.controller().LogToolbar_ButtonClick(QStringLiteral("Record"));
            QVERIFY(!window.controller().IsRecording());
        }

        // The recorder writes the same file afresh.
        const QByteArray windowLog = fixture.logBytes();
        QVERIFY(QFile::remove(fixture.logPath()));
        CounterSimulator unit;
        QVERIFY(unit.open());
        RecorderOptions options;
        QVERIFY(options.parse(
            {"orvel-recorder", "--port", unit.devicePath(), "--log", fixture.logPath()}));
        // The rows go to standard output as well, and the bad line to standard error.
        Recorder recorder(options, fixture.clock, fixture.dir.filePath(QStringLiteral("config")));
        QSignalSpy finished(&recorder, &Recorder::finished);
        QVERIFY(recorder.start());
        for (const QByteArray &read : reads)
            unit.sendRaw(read);
        QTRY_VERIFY(fixture.logBytes().contains("150000\t3000"));
        recorder.stop();
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(fixture.logBytes(), windowLog);
    }
};

QTEST_MAIN(TestSameLog)
#include "tst_samelog.moc"
