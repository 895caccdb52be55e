// End to end: the counter-unit simulator on a pseudo-terminal, opened as COM1 through the port
// layer, three readings through the main window into the log file, then the summary at the stop.

#include "acquisition/receivehandler.h"
#include "acquisition/serialport.h"
#include "charting/sampleprocessor.h"
#include "logfile/logwriter.h"
#include "widgets/logpaneview.h"
#include "shell/mainwindow.h"
#include "shellfixture.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace orvel;

namespace {

const QByteArray ExpectedLog = "Small\tLarge\tDate/Time\r\n"
                               "1200\t300\t05/12/2026 07:50:20\r\n"
                               "1300\t200\t05/12/2026 07:50:20\r\n"
                               "1500\t300\t05/12/2026 07:50:20\r\n"
                               "\r\n"
                               "--------------------------\r\n"
                               "         SUMMARY\r\n"
                               "(particles per cubic foot)\r\n"
                               "--------------------------\r\n"
                               "Number of samples : 3\r\n"
                               "\r\n"
                               "Small Particles\r\n"
                               "---------------\r\n"
                               " Low : 1200\r\n"
                               " Hi  : 1500\r\n"
                               " Avg : 1333.3\r\n"
                               "\r\n"
                               "Large Particles\r\n"
                               "---------------\r\n"
                               " Low : 200\r\n"
                               " Hi  : 300\r\n"
                               " Avg : 266.7\r\n"
                               "\r\n"
                               "------ End Summary -------\r\n"
                               "\r\n";

} // namespace

class TestRecording : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void listsThePseudoTerminalAsCom1();
    void recordsThreeReadings_data();
    void recordsThreeReadings();
    void badLineChangesNothingAndLaterLinesArrive();

private:
    /// Plays the recording controller's part: opens the selected port and the log.
    void startRecording(MainWindow &window);
    void stopRecording(MainWindow &window);

    std::unique_ptr<test::ShellFixture> m_fixture;
};

void TestRecording::init()
{
    m_fixture = std::make_unique<test::ShellFixture>();
    QVERIFY2(m_fixture->unitOpened, qPrintable(m_fixture->unit->errorString()));
}
void TestRecording::startRecording(MainWindow &window)
{
    SerialPort &port = window.serialPort();
    port.setCommPort(window.selectedPortNumber());
    port.setRThreshold(0);
    port.setPortOpen(true);
    port.setOutBufferCount(0);
    port.setInBufferCount(0);
    window.processor().ProcessSample(SampleReset);
    window.logWriter().open(window.LogFileTextBox()->text());
    window.processor().setIsRecording(true);
    port.setRThreshold(1);
}

void TestRecording::stopRecording(MainWindow &window)
{
    window.serialPort().setPortOpen(false);
    window.processor().setIsRecording(false);
    window.logWriter().WriteSummary(window.processor().SampleCount(),
                                    window.processor().statistics(), window.processor().formats());
    window.logWriter().close();
}

void TestRecording::listsThePseudoTerminalAsCom1()
{
    MainWindow window(m_fixture->environment());
    QCOMPARE(window.ComPortComboBox()->count(), 1);
    QCOMPARE(window.ComPortComboBox()->itemText(0), QStringLiteral("COM1"));
    QCOMPARE(window.ComPortComboBox()->itemData(0).toInt(), 1);
    QVERIFY(window.ComPortComboBox()
                ->itemData(0, Qt::ToolTipRole)
                .toString()
                .contains(m_fixture->unit->devicePath()));
    QCOMPARE(window.LogFileTextBox()->text(), m_fixture->logPath());
    QCOMPARE(window.LargeCountLabel()->text(), QStringLiteral("0"));
    QVERIFY(window.numSamplesPanel()->text().isEmpty());
}

void TestRecording::recordsThreeReadings_data()
{
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::newRow("one line a read") << QList<QByteArray>{"12,3\r\n", "13,2\r\n", "15,3\r\n"};
    QTest::newRow("split across reads")
        << QList<QByteArray>{"12,", "3\r", "\n13,2\r\n1", "5,3\r\n"};
    QTest::newRow("bunched into one read") << QList<QByteArray>{"12,3\r\n13,2\r\n15,3\r\n"};
}

void TestRecording::recordsThreeReadings()
{
    QFETCH(QList<QByteArray>, reads);
    MainWindow window(m_fixture->environment());
    startRecording(window);

    // Wait until the logger has taken each piece in before sending the next one, so the pieces
    // really arrive as separate reads.
    qsizetype taken = 0;
    connect(&window.receiveHandler(), &ReceiveHandler::lineReceived, this,
            [&taken](const QString &line) { taken += line.size(); });
    qsizetype sent = 0;
    for (const QByteArray &read : reads) {
        m_fixture->unit->sendRaw(read);
        sent += read.size();
        QTRY_COMPARE(taken + window.receiveHandler().pendingText().size(), sent);
    }
    QTRY_COMPARE(window.processor().SampleCount(), 3);
    QCOMPARE(window.SmallCountLabel()->text(), QStringLiteral("15"));
    QCOMPARE(window.LargeCountLabel()->text(), QStringLiteral("3"));
    QCOMPARE(window.numSamplesPanel()->text(),
             QStringLiteral("Samples received: 3  (on graph: 1 - 3)"));
    stopRecording(window);

    QFile log(m_fixture->logPath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(), ExpectedLog);
    QVERIFY(m_fixture->notifier.messages.isEmpty());
    QString pane = QString::fromLatin1(ExpectedLog);
    pane.remove(u'\r');
    QCOMPARE(window.LogRichTextBox()->toPlainText(), pane);
}

void TestRecording::badLineChangesNothingAndLaterLinesArrive()
{
    MainWindow window(m_fixture->environment());
    startRecording(window);
    m_fixture->unit->sendRaw("12,3\r\nabc\r\n12,x\r\n13,2\r\n");
    QTRY_COMPARE(window.processor().SampleCount(), 2);
    QCOMPARE(m_fixture->notifier.messages.size(), 2);
    QVERIFY(m_fixture->notifier.messages[0].contains(QStringLiteral("abc")));
    QVERIFY(m_fixture->notifier.messages[1].contains(QStringLiteral("12,x")));
    stopRecording(window);
    QFile log(m_fixture->logPath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    QVERIFY(text.startsWith("Small\tLarge\tDate/Time\r\n1200\t300\t05/12/2026 07:50:20\r\n"
                            "1300\t200\t05/12/2026 07:50:20\r\n\r\n"));
    QVERIFY(text.contains("Number of samples : 2\r\n"));
}

QTEST_MAIN(TestRecording)
#include "tst_recording.moc"
