#include "acquisition/lineassembler.h"
#include "acquisition/receivehandler.h"
#include "acquisition/serialport.h"
#include "common/notifier.h"
#include "countersimulator.h"
#include "testsupport.h"

#include <QBuffer>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace orvel;

class TestReceiveHandler : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void cutsLines_data();
    void cutsLines();
    void partialLineSurvivesReopen();
    void closingOnALineDropsTheRestOfTheRead();
    void debugCaptureGetsRawCharacters();
    void runawayNoiseIsReportedOnce();
    void hostileBytesThenGoodLine_data();
    void hostileBytesThenGoodLine();
    void feedsWithoutPort();

private:
    void openPort();
    QStringList lines() const;

    CounterSimulator *m_simulator = nullptr;
    SerialPort *m_port = nullptr;
    RecordingNotifier m_notifier;
    ReceiveHandler *m_handler = nullptr;
    QSignalSpy *m_lines = nullptr;
    QSignalSpy *m_activity = nullptr;
};

void TestReceiveHandler::init()
{
    m_notifier.messages.clear();
    m_simulator = new CounterSimulator(this);
    QVERIFY2(m_simulator->open(), qPrintable(m_simulator->errorString()));
    m_port = new SerialPort(test::portMapWith({{1, m_simulator->devicePath()}}), this);
    m_handler = new ReceiveHandler(m_port, m_notifier, this);
    m_lines = new QSignalSpy(m_handler, &ReceiveHandler::lineReceived);
    m_activity = new QSignalSpy(m_handler, &ReceiveHandler::activity);
    QVERIFY(m_lines->isValid());
    QVERIFY(m_activity->isValid());
    openPort();
}

void TestReceiveHandler::cleanup()
{
    delete m_lines;
    delete m_activity;
    delete m_handler;
    delete m_port;
    delete m_simulator;
}

// The sequence a recording runs: open with no receive events, empty the buffers, then raise
// the threshold.
void TestReceiveHandler::openPort()
{
    m_port->setCommPort(1);
    m_port->setInputMode(SerialPort::InputMode::Text);
    m_port->setRThreshold(0);
    m_port->setPortOpen(true);
    m_port->setOutBufferCount(0);
    m_port->setInBufferCount(0);
    m_port->setRThreshold(1);
}

QStringList TestReceiveHandler::lines() const
{
    QStringList result;
    for (const QList<QVariant> &arguments : *m_lines)
        result.append(arguments.first().toString());
    return result;
}

void TestReceiveHandler::cutsLines_data()
{
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<QList<QStringList>>("linesAfterChunk");
    QTest::addColumn<QList<int>>("activityAfterChunk");

    QTest::newRow("line split across two reads")
        << QByteArrayList{"12,", "3\r\n"} << QList<QStringList>{{}, {"12,3\r\n"}}
        << QList<int>{0, 1};
    QTest::newRow("lines bunched into one read")
        << QByteArrayList{"1,2\r\n3,4\r\n"} << QList<QStringList>{{"1,2\r\n", "3,4\r\n"}}
        << QList<int>{1};
    QTest::newRow("line end split between CR and LF")
        << QByteArrayList{"1,2\r", "\n"} << QList<QStringList>{{}, {"1,2\r\n"}} << QList<int>{0, 1};
    QTest::newRow("rest of a line arrives with the next ones")
        << QByteArrayList{"1,2\r\n3,", "4\r\n5,6\r\n7"}
        << QList<QStringList>{{"1,2\r\n"}, {"1,2\r\n", "3,4\r\n", "5,6\r\n"}} << QList<int>{1, 2};
    QTest::newRow("other text passes as lines")
        << QByteArrayList{"HELLO\r\n\r\n"} << QList<QStringList>{{"HELLO\r\n", "\r\n"}}
        << QList<int>{1};
}

void TestReceiveHandler::cutsLines()
{
    QFETCH(QByteArrayList, chunks);
    QFETCH(QList<QStringList>, linesAfterChunk);
    QFETCH(QList<int>, activityAfterChunk);

    QBuffer capture;
    QVERIFY(capture.open(QIODevice::WriteOnly));
    m_handler->setDebugCapture(&capture);
    qint64 sent = 0;
    for (qsizetype i = 0; i < chunks.size(); ++i) {
        m_simulator->sendRaw(chunks[i]);
        sent += chunks[i].size();
        // Everything sent so far has been through the handler once the capture holds it.
        QTRY_COMPARE(capture.size(), sent);
        QCOMPARE(lines(), linesAfterChunk[i]);
        QCOMPARE(m_activity->size(), activityAfterChunk[i]);
    }
    QVERIFY(m_notifier.messages.isEmpty());
}

void TestReceiveHandler::partialLineSurvivesReopen()
{
    m_simulator->sendRaw("12,3\r\n4,");
    QTRY_COMPARE(m_handler->pendingText(), QStringLiteral("4,"));
    QCOMPARE(lines(), QStringList{"12,3\r\n"});

    m_port->setPortOpen(false);
    openPort();
    m_simulator->sendRaw("5\r\n");
    QVERIFY(m_lines->size() == 2 || m_lines->wait(3000));
    QCOMPARE(lines(), (QStringList{"12,3\r\n", "4,5\r\n"}));
    QCOMPARE(m_handler->pendingText(), QString());
}

void TestReceiveHandler::closingOnALineDropsTheRestOfTheRead()
{
    // As the stop-after limit does: the recording ends on the first line.
    QMetaObject::Connection stop = connect(m_handler, &ReceiveHandler::lineReceived, m_port,
                                           [this] { m_port->setPortOpen(false); });
    m_simulator->sendRaw("1,2\r\n3,4\r\n5,");
    QVERIFY(m_lines->wait(3000));
    QVERIFY(!m_port->PortOpen());
    QCOMPARE(lines(), QStringList{"1,2\r\n"});
    QCOMPARE(m_handler->pendingText(), QStringLiteral("5,"));

    // The next recording starts with the partial line, not with the dropped reading.
    disconnect(stop);
    openPort();
    m_simulator->sendRaw("6\r\n");
    QVERIFY(m_lines->wait(3000));
    QCOMPARE(lines(), (QStringList{"1,2\r\n", "5,6\r\n"}));
}

void TestReceiveHandler::debugCaptureGetsRawCharacters()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile capture(dir.filePath(QStringLiteral("~DebugLog.txt")));
    QVERIFY(capture.open(QIODevice::Append));
    m_handler->setDebugCapture(&capture);

    const QByteArray first("\xe9\x01 12,", 6);
    QSignalSpy comm(m_port, &SerialPort::OnComm);
    m_simulator->sendRaw(first);
    QVERIFY(comm.wait(3000));
    // Copied as it arrives, before any line is complete.
    QVERIFY(capture.flush());
    QCOMPARE(capture.size(), first.size());
    QCOMPARE(m_lines->size(), 0);

    m_simulator->sendRaw("3\r\n");
    QVERIFY(m_lines->wait(3000));
    QCOMPARE(lines(), QStringList{QString::fromLatin1(first) + QStringLiteral("3\r\n")});

    // Once the capture is cleared, nothing more goes to it.
    m_handler->setDebugCapture(nullptr);
    m_simulator->sendLine(4, 5);
    QVERIFY(m_lines->wait(3000));
    capture.close();

    QFile written(capture.fileName());
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), first + "3\r\n");
}

void TestReceiveHandler::runawayNoiseIsReportedOnce()
{
    QBuffer capture;
    QVERIFY(capture.open(QIODevice::WriteOnly));
    m_handler->setDebugCapture(&capture);
    constexpr qsizetype Burst = LineAssembler::DefaultLimit + 8000;

    m_simulator->sendGarbage(Burst);
    QTRY_COMPARE(capture.size(), Burst);
    QCOMPARE(m_notifier.messages.size(), 1);
    const QString message = m_notifier.messages.first();
    QVERIFY2(message.contains(QStringLiteral("9600")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("not the counter unit")), qPrintable(message));
    const auto count = QRegularExpression(QStringLiteral("^(\\d+) ")).match(message);
    QVERIFY2(count.hasMatch(), qPrintable(message));
    QVERIFY(count.captured(1).toLongLong() > LineAssembler::DefaultLimit);
    QVERIFY(count.captured(1).toLongLong() <= Burst);

    // The same run of noise goes on: no second message.
    m_simulator->sendGarbage(Burst);
    QTRY_COMPARE(capture.size(), 2 * Burst);
    QCOMPARE(m_notifier.messages.size(), 1);

    // A line end ends the run; the good line gets through and the next run is reported again.
    m_simulator->sendLine(12, 3);
    QVERIFY(m_lines->wait(3000));
    QVERIFY(lines().constLast().endsWith(QStringLiteral("12,3\r\n")));
    m_simulator->sendGarbage(Burst);
    QTRY_COMPARE(m_notifier.messages.size(), 2);
    QVERIFY(m_handler->pendingText().size() <= LineAssembler::DefaultLimit);
}

void TestReceiveHandler::hostileBytesThenGoodLine_data()
{
    QTest::addColumn<QByteArray>("hostile");
    QTest::addColumn<QStringList>("expectedLines"); // before the good line; empty: not checked
    QTest::addColumn<int>("messages");

    const QByteArray nul("1\0\0"
                         "2,\0"
                         "3\r\n",
                         9);
    QTest::newRow("NUL bytes") << nul
                               << QStringList{QString::fromLatin1(nul), QStringLiteral("\r\n")}
                               << 0;
    const QByteArray invalid("\xff\xfe\xc3(,\x80\r\n");
    QTest::newRow("invalid UTF-8")
        << invalid << QStringList{QString::fromLatin1(invalid), QStringLiteral("\r\n")} << 0;
    // A bare CR ends nothing: the text up to the next CR LF is one line.
    QTest::newRow("CR without LF")
        << QByteArray("12,3\r13,4\r") << QStringList{QStringLiteral("12,3\r13,4\r\r\n")} << 0;
    QTest::newRow("line of 100,000 characters") << QByteArray(100000, '7') + "\r\n"
                                                << QStringList{} << 1;
}

void TestReceiveHandler::hostileBytesThenGoodLine()
{
    QFETCH(QByteArray, hostile);
    QFETCH(QStringList, expectedLines);
    QFETCH(int, messages);

    QBuffer capture;
    QVERIFY(capture.open(QIODevice::WriteOnly));
    m_handler->setDebugCapture(&capture);
    m_simulator->sendRaw(hostile);
    QTRY_COMPARE(capture.size(), qint64(hostile.size()));
    QVERIFY(m_handler->pendingText().size() <= LineAssembler::DefaultLimit);

    m_simulator->sendRaw("\r\n45,6\r\n");
    QTRY_VERIFY(!lines().isEmpty() && lines().constLast() == QStringLiteral("45,6\r\n"));
    QStringList before = lines();
    before.removeLast();
    if (!expectedLines.isEmpty())
        QCOMPARE(before, expectedLines);
    for (const QString &line : std::as_const(before))
        QVERIFY(line.size() <= LineAssembler::DefaultLimit + 2);
    QCOMPARE(m_notifier.messages.size(), messages);
}

void TestReceiveHandler::feedsWithoutPort()
{
    RecordingNotifier notifier;
    ReceiveHandler handler(nullptr, notifier);
    QSignalSpy lineSpy(&handler, &ReceiveHandler::lineReceived);
    QSignalSpy activitySpy(&handler, &ReceiveHandler::activity);

    handler.processReceived(QString());
    handler.processReceived(QStringLiteral("1043,"));
    QCOMPARE(activitySpy.size(), 0);
    handler.processReceived(QStringLiteral("197\r\n"));
    QCOMPARE(activitySpy.size(), 1);
    QCOMPARE(lineSpy.size(), 1);
    QCOMPARE(lineSpy.first().first().toString(), QStringLiteral("1043,197\r\n"));
}

QTEST_GUILESS_MAIN(TestReceiveHandler)
#include "tst_receivehandler.moc"
