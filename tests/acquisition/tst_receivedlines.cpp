// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "acquisition/countstoken.h"
#include "acquisition/lineassembler.h"
#include "acquisition/receivehandler.h"
#include "acquisition/serialport.h"
#include "common/failure.h"
#include "common/localeformats.h"
#include "common/notifier.h"
#include "countersimulator.h"
#include "testsupport.h"

#include <QBuffer>
#include <QSignalSpy>
#include <QTest>

using namespace orvel;

namespace {

QStringList linesOf(const QSignalSpy &spy)
{
    QStringList result;
    for (const QList<QVariant> &arguments : spy)
        result.append(arguments.first().toString());
    return result;
}

} // namespace

/// What the counter unit sends, as the logger takes it: the receive buffer behind a real
/// pseudo-terminal (how reads become lines, what survives a reopen and a new recording, the debug
/// capture, and noise), then how a count line becomes its counts and its log row.
class TestReceivedLines : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_notifier.messages.clear();
        m_simulator = std::make_unique<CounterSimulator>();
        QVERIFY2(m_simulator->open(), qPrintable(m_simulator->errorString()));
        m_port = std::make_unique<SerialPort>(test::portMapWith({{1, m_simulator->devicePath()}}));
        m_handler = std::make_unique<ReceiveHandler>(m_port.get(), m_notifier);
        m_lines = std::make_unique<QSignalSpy>(m_handler.get(), &ReceiveHandler::lineReceived);
        m_activity = std::make_unique<QSignalSpy>(m_handler.get(), &ReceiveHandler::activity);
        openPort();
    }

    void cleanup()
    {
        m_lines.reset();
        m_activity.reset();
        m_handler.reset();
        m_port.reset();
        m_simulator.reset();
        QLocale::setDefault(QLocale::c());
    }

    void cutsLines_data()
    {
        QTest::addColumn<QByteArrayList>("chunks");
        QTest::addColumn<QList<QStringList>>("linesAfterChunk");
        QTest::addColumn<QList<int>>("activityAfterChunk");
        QTest::addColumn<QString>("left");

        QTest::newRow("line end split between CR and LF")
            << QByteArrayList{"1,2\r", "\n5"} << QList<QStringList>{{}, {"1,2\r\n"}}
            << QList<int>{0, 1} << "5";
        QTest::newRow("rest of a line arrives with the next ones")
            << QByteArrayList{"1,2\r\n3,", "4\r\n5,6\r\n7"}
            << QList<QStringList>{{"1,2\r\n"}, {"1,2\r\n", "3,4\r\n", "5,6\r\n"}}
            << QList<int>{1, 2} << "7";
        QTest::newRow("other text passes as lines")
            << QByteArrayList{"HELLO\r\n\r\n"} << QList<QStringList>{{"HELLO\r\n", "\r\n"}}
            << QList<int>{1} << "";
        QTest::newRow("bare LF or CR is not a line end")
            << QByteArrayList{"1,2\n12,3\r13,4\r", "\r\n"}
            << QList<QStringList>{{}, {"1,2\n12,3\r13,4\r\r\n"}} << QList<int>{0, 1} << "";
        const QByteArray nul("1\0\0"
                             "2,\0"
                             "3\r\n",
                             9);
        QTest::newRow("NUL bytes")
            << QByteArrayList{nul} << QList<QStringList>{{QString::fromLatin1(nul)}}
            << QList<int>{1} << "";
        const QByteArray invalid("\xff\xfe\xc3(,\x80\r\n");
        QTest::newRow("invalid UTF-8")
            << QByteArrayList{invalid} << QList<QStringList>{{QString::fromLatin1(invalid)}}
            << QList<int>{1} << "";
        const QByteArray longest = QByteArray(LineAssembler::DefaultLimit, '7') + "\r\n";
        QTest::newRow("longest line that can be a reading")
            << QByteArrayList{longest.first(LineAssembler::DefaultLimit + 1), "\n"}
            << QList<QStringList>{{}, {QString::fromLatin1(longest)}} << QList<int>{0, 1} << "";
    }

    void cutsLines()
    {
        QFETCH(QByteArrayList, chunks);
        QFETCH(QList<QStringList>, linesAfterChunk);
        QFETCH(QList<int>, activityAfterChunk);
        QFETCH(QString, left);

        QBuffer capture;
        QVERIFY(capture.open(QIODevice::WriteOnly));
        m_handler->setDebugCapture(&capture);
        QByteArray sent;
        for (qsizetype i = 0; i < chunks.size(); ++i) {
            m_simulator->sendRaw(chunks[i]);
            sent += chunks[i];
            // Everything sent so far has been through the handler once the capture holds it,
            // unchanged and before its line is complete.
            QTRY_COMPARE(capture.data(), sent);
            QCOMPARE(linesOf(*m_lines), linesAfterChunk[i]);
            QCOMPARE(m_activity->size(), activityAfterChunk[i]);
        }
        QCOMPARE(m_handler->pendingText(), left);
        QVERIFY(m_notifier.messages.isEmpty());

        // Once the capture is cleared, nothing more goes to it.
        m_handler->setDebugCapture(nullptr);
        m_handler->processReceived(QStringLiteral("4,5\r\n"));
        QCOMPARE(capture.data(), sent);
    }

    /// A partial line waits across a reopen of the port, but a new recording (or a port that
    /// came back) clears it: "1" left over and "5,30" do not make 15,30.
    void partialLineAcrossReopenAndClear()
    {
        m_simulator->sendRaw("12,3\r\n4,");
        QTRY_COMPARE(m_handler->pendingText(), QStringLiteral("4,"));
        m_port->setPortOpen(false);
        openPort();
        m_simulator->sendRaw("5\r\n1");
        QTRY_COMPARE(m_handler->pendingText(), QStringLiteral("1"));
        QCOMPARE(linesOf(*m_lines), (QStringList{"12,3\r\n", "4,5\r\n"}));

        m_port->setPortOpen(false);
        m_handler->discardPartialLine();
        QCOMPARE(m_handler->pendingText(), QString());
        openPort();
        m_simulator->sendRaw("5,30\r\n");
        QVERIFY(m_lines->wait(3000));
        QCOMPARE(linesOf(*m_lines).constLast(), QStringLiteral("5,30\r\n"));
    }

    void closingOnALineDropsTheRestOfTheRead()
    {
        // As the stop-after limit does: the recording ends on the first line.
        connect(m_handler.get(), &ReceiveHandler::lineReceived, m_port.get(),
                [this] { m_port->setPortOpen(false); });
        m_simulator->sendRaw("1,2\r\n3,4\r\n5,");
        QVERIFY(m_lines->wait(3000));
        QVERIFY(!m_port->PortOpen());
        QCOMPARE(linesOf(*m_lines), QStringList{"1,2\r\n"});
        QCOMPARE(m_handler->pendingText(), QStringLiteral("5,"));
    }

    /// A run without CR LF longer than a reading is reported as soon as it passes the limit,
    /// once, with the count grouped; it is dropped up to the next CR LF and the good line after
    /// it gets through.
    void noiseIsReportedAtOnce_data()
    {
        QTest::addColumn<QStringList>("reads");
        QTest::addColumn<int>("reportedAt");
        QTest::addColumn<QString>("count");
        const QString longRun(100000, u'7');
        QTest::newRow("one long line") << QStringList{longRun + "\r\n45,6\r\n"} << 0 << "100.002";
        QTest::newRow("first read past the limit")
            << QStringList{QString(60, u'x'), QString(10, u'x'), "x\r\n45,6\r\n"} << 1 << "70";
        QTest::newRow("noise goes on after the report")
            << QStringList{QString(2000, u'x'), longRun, longRun + "\r", "\n45,6\r\n"} << 0
            << "2.000";
    }

    void noiseIsReportedAtOnce()
    {
        QFETCH(QStringList, reads);
        QFETCH(int, reportedAt);
        QFETCH(QString, count);
        QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
        ReceiveHandler handler(nullptr, m_notifier);
        QSignalSpy lines(&handler, &ReceiveHandler::lineReceived);
        for (qsizetype i = 0; i < reads.size(); ++i) {
            handler.processReceived(reads[i]);
            QCOMPARE(m_notifier.messages.size(), i < reportedAt ? 0 : 1);
        }
        const QString message = m_notifier.messages.first();
        QVERIFY2(message.startsWith(count + u' '), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("9600 baud")), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("wiring")), qPrintable(message));
        QCOMPARE(linesOf(lines), QStringList{"45,6\r\n"});

        // The good line re-arms the report.
        handler.processReceived(QString(65, u'y'));
        QCOMPARE(m_notifier.messages.size(), 2);
        QCOMPARE(handler.pendingText(), QString());
    }

    void parsesCounts_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<qint32>("multiplier"); // 0: the default, 100
        QTest::addColumn<qint32>("small");
        QTest::addColumn<qint32>("large");

        QTest::newRow("plain") << "12,3\r\n" << 0 << 1200 << 300;
        QTest::newRow("no line end") << "12,3" << 0 << 1200 << 300;
        QTest::newRow("spaces around both") << " 12 , 3 \r\n" << 0 << 1200 << 300;
        QTest::newRow("half rounds to even, down") << "12.5,3\r\n" << 0 << 1200 << 300;
        QTest::newRow("half rounds to even, up") << "13.5,3\r\n" << 0 << 1400 << 300;
        QTest::newRow("negative") << "-4,0\r\n" << 0 << -400 << 0;
        QTest::newRow("text after the line end is ignored") << "1,2\r\n3,4\r\n" << 0 << 100 << 200;
        QTest::newRow("largest that fits") << "21474836,0\r\n" << 0 << 2147483600 << 0;
        QTest::newRow("multiplier of its own") << "12,3\r\n" << 7 << 84 << 21;
    }

    void parsesCounts()
    {
        QFETCH(QString, line);
        QFETCH(qint32, multiplier);
        QFETCH(qint32, small);
        QFETCH(qint32, large);
        qint32 s = 0, l = 0, m = multiplier;
        const QString row = ParseCountsToken(line, s, l, QDateTime(), m);
        QCOMPARE(s, small);
        QCOMPARE(l, large);
        QCOMPARE(m, multiplier ? multiplier : 100);
        QCOMPARE(row, QStringLiteral("%1\t%2\r\n").arg(small).arg(large));
    }

    void lineWithoutCommaLeavesEverything()
    {
        qint32 s = 11, l = 22, m = 0;
        QVERIFY(ParseCountsToken(QStringLiteral("abc\r\n"), s, l, test::frozenTime(), m).isEmpty());
        QCOMPARE(s, 11);
        QCOMPARE(l, 22);
        QCOMPARE(m, 0);
    }

    void rejectsBadFields_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("number");

        QTest::newRow("empty large field") << "12,\r\n" << int(Failure::TypeMismatch);
        QTest::newRow("empty small field") << ",3\r\n" << int(Failure::TypeMismatch);
        QTest::newRow("letters") << "12,x3\r\n" << int(Failure::TypeMismatch);
        QTest::newRow("tab is not a space") << "12,3\t\r\n" << int(Failure::TypeMismatch);
        QTest::newRow("nan") << "nan,3\r\n" << int(Failure::TypeMismatch);
        QTest::newRow("exponent") << "1e3,3\r\n" << int(Failure::TypeMismatch);
        QTest::newRow("comma after the line end") << "12\r\n,3" << int(Failure::TypeMismatch);
        QTest::newRow("NUL in a field") << QString::fromLatin1("1\0"
                                                               "2,3\r\n",
                                                               7)
                                        << int(Failure::TypeMismatch);
        QTest::newRow("invalid UTF-8 as received")
            << QString::fromLatin1("\xff\xc3(,\x80\r\n") << int(Failure::TypeMismatch);
        QTest::newRow("bare CR inside a line") << "12,3\r13,4\r\r\n" << int(Failure::TypeMismatch);
        QTest::newRow("product beyond 32 bits") << "21474837,0\r\n" << int(Failure::Overflow);
        QTest::newRow("count beyond 32 bits") << "1,99999999999\r\n" << int(Failure::Overflow);
    }

    void rejectsBadFields()
    {
        QFETCH(QString, line);
        QFETCH(int, number);
        qint32 s = 0, l = 0, m = 0;
        try {
            ParseCountsToken(line, s, l, QDateTime(), m);
            QFAIL("no failure raised");
        } catch (const Failure &failure) {
            QCOMPARE(failure.number(), number);
            // The message names the line so the user can tell which reading was bad.
            QVERIFY2(failure.description().contains(QStringLiteral("counts line")),
                     qPrintable(failure.description()));
        }
    }

    void timeStampColumn_data()
    {
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<QDateTime>("stamp");
        QTest::addColumn<QString>("row");

        QTest::newRow("US morning")
            << "en_US" << test::frozenTime() << "1200\t300\t12/5/2026 7:50:20\u202fAM\r\n";
        QTest::newRow("US midnight shows the date alone")
            << "en_US" << QDateTime(QDate(2026, 12, 5), QTime(0, 0)) << "1200\t300\t12/5/2026\r\n";
        QTest::newRow("German") << "de_DE" << test::frozenTime()
                                << "1200\t300\t05.12.2026 07:50:20\r\n";
        QTest::newRow("no stamp") << "en_US" << QDateTime() << "1200\t300\r\n";
    }

    void timeStampColumn()
    {
        QFETCH(QString, localeName);
        QFETCH(QDateTime, stamp);
        QFETCH(QString, row);
        qint32 s = 0, l = 0, m = 0;
        QString actual =
            ParseCountsToken(QStringLiteral("12,3\r\n"), s, l, stamp, m, QLocale(localeName));
        // Locale data may use a narrow no-break space before AM/PM; accept either space.
        actual.replace(u' ', u'\u202f');
        row.replace(u' ', u'\u202f');
        QCOMPARE(actual, row);
    }

private:
    // The sequence a recording runs: open with no receive events, empty the buffers, then raise
    // the threshold.
    void openPort()
    {
        m_port->setCommPort(1);
        m_port->setInputMode(SerialPort::InputMode::Text);
        m_port->setRThreshold(0);
        m_port->setPortOpen(true);
        m_port->setOutBufferCount(0);
        m_port->setInBufferCount(0);
        m_port->setRThreshold(1);
    }

    std::unique_ptr<CounterSimulator> m_simulator;
    std::unique_ptr<SerialPort> m_port;
    RecordingNotifier m_notifier;
    std::unique_ptr<ReceiveHandler> m_handler;
    std::unique_ptr<QSignalSpy> m_lines;
    std::unique_ptr<QSignalSpy> m_activity;
};

QTEST_GUILESS_MAIN(TestReceivedLines)
#include "tst_receivedlines.moc"
