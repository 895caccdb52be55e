// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "common/signalnotifier.h"
#include "common/twips.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <unistd.h>

using namespace orvel;

// The process-wide signal catcher and the twips a position is kept in.
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
