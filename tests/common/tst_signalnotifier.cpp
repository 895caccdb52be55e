// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "common/signalnotifier.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <unistd.h>

using namespace orvel;

class TestSignalNotifier : public QObject
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
};

QTEST_GUILESS_MAIN(TestSignalNotifier)
#include "tst_signalnotifier.moc"
