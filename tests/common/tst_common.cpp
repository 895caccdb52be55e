// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "common/clock.h"
#include "common/frameclock.h"
#include "common/signalnotifier.h"
#include "common/twips.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <ctime>
#include <unistd.h>

using namespace orvel;

// The process-wide signal catcher, the system clock, the frame clock and the twips a position is
// kept in.
class TestCommon : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void signalArrivesThroughTheEventLoop_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void signalArrivesThroughTheEventLoop()
    {
        QFETCH(int, signalNumber);
        SignalNotifier notifier({SIGTERM, SIGINT, SIGHUP});
        QVERIFY(notifier.isValid());
        QSignalSpy spy(&notifier, &SignalNotifier::signalled);
        // Had the handler not been installed, this would end the test program.
        QCOMPARE(::kill(::getpid(), signalNumber), 0);
        QCOMPARE(spy.size(), 0); // not from inside the handler
        QVERIFY(spy.wait(5000));
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().first().toInt(), signalNumber);
    }

    void previousHandlerComesBack()
    {
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        struct sigaction before = {};
        QCOMPARE(::sigaction(SIGHUP, &ignore, &before), 0);
        {
            SignalNotifier notifier({SIGHUP});
            QVERIFY(notifier.isValid());
            SignalNotifier second({SIGHUP});
            QVERIFY(!second.isValid());
        }
        struct sigaction after = {};
        QCOMPARE(::sigaction(SIGHUP, &before, &after), 0);
        QVERIFY(after.sa_handler == SIG_IGN);
    }

    /// The system clock tells the local time as the C library does, and follows a change of the
    /// zone from the next second on (zones without files, so that any machine has them).
    void systemClockFollowsTheZone()
    {
        const QByteArray before = qgetenv("TZ");
        for (const char *zone : {"IST-5:30", "NST+3:30", "UTC0"}) {
            qputenv("TZ", zone);
            ::tzset();
            QTest::qWait(1001);
            const QDateTime local = QDateTime::currentDateTime();
            const QDateTime now = Clock::system().now();
            QCOMPARE(now.offsetFromUtc(), local.offsetFromUtc());
            QVERIFY2(local.msecsTo(now) >= 0 && local.msecsTo(now) < 500, zone);
            // The same wall clock.
            QVERIFY2(qAbs(QDateTime(now.date(), now.time()).msecsTo(local)) < 500, zone);
        }
        before.isNull() ? qunsetenv("TZ") : qputenv("TZ", before);
        ::tzset();
    }

    /// Frames that follow one another (what waited paints at each frame's end) grow once the
    /// stream has lasted a while; a change after a quiet frame is paced at the screen's rate.
    void framesGrowWhileTheyFollowOneAnother()
    {
        FrameClock &clock = FrameClock::instance();
        QElapsedTimer stream;
        connect(&clock, &FrameClock::frameEnded, this, [&] {
            if (stream.elapsed() < 2 * FrameClock::BusyAfterMs)
                clock.startFrame(); // held work paints: the next frame starts at once
        });
        QSignalSpy ended(&clock, &FrameClock::frameEnded);
        stream.start();
        clock.startFrame();
        QList<int> lengths;
        do {
            QVERIFY(ended.wait(1000));
            lengths.append(clock.frameMs());
        } while (clock.inFrame());
        disconnect(&clock, &FrameClock::frameEnded, this, nullptr);
        QCOMPARE(lengths.first(), FrameClock::FrameMs);
        QCOMPARE(lengths.last(), FrameClock::BusyFrameMs);
        clock.startFrame(); // after the quiet frame
        QCOMPARE(clock.frameMs(), FrameClock::FrameMs);
    }

    // Positions are kept in twips between runs: every pixel position must come back the same,
    // also where an inch is not a whole number of twips per pixel.
    void roundTrip_data()
    {
        QTest::addColumn<qreal>("dpi");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<int>("twips");
        QTest::newRow("96 dpi") << 96.0 << 200 << 3000;
        QTest::newRow("110 dpi, rounded up") << 110.0 << 50 << 655;
        QTest::newRow("163 dpi, rounded down") << 163.0 << 7 << 62;
        QTest::newRow("137.5 dpi") << 137.5 << 333 << 3487;
        QTest::newRow("no resolution counts as 1 dpi") << 0.0 << 1 << 1440;
    }

    void roundTrip()
    {
        QFETCH(qreal, dpi);
        QFETCH(int, pixels);
        QFETCH(int, twips);
        QCOMPARE(pixelsToTwips(pixels, dpi), twips);
        QCOMPARE(twipsToPixels(twips, dpi), pixels);
        for (int px = -50; px <= 4000; ++px)
            QCOMPARE(twipsToPixels(pixelsToTwips(px, dpi), dpi), px);
    }
};

QTEST_GUILESS_MAIN(TestCommon)
#include "tst_common.moc"
