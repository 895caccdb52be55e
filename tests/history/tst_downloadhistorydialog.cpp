// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// The download window end to end, offscreen: the counter-unit simulator on a pseudo-terminal as
// COM1, the window opened through its entry point over a stand-in main window with a real log
// pane, the log file in a temporary folder.

#include "acquisition/serialport.h"
#include "common/notifier.h"
#include "countersimulator.h"
#include "history/downloadhistorydialog.h"
#include "history/historydownload.h"
#include "historytestdata.h"
#include "logfile/logfolder.h"
#include "widgets/logpaneview.h"
#include "testsupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using namespace orvel;
using orvel::test::defaultHistoryText;
using orvel::test::readFile;

namespace {

QString shown(QString text)
{
    return text.remove(u'\r');
}

const QString EarlierPaneText = QStringLiteral("Small\tLarge\tDate/Time\n1200\t300\t07:50\n");

} // namespace

class TestDownloadHistoryDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void downloadsAndAppends_data();
    void downloadsAndAppends();
    void closingWritesNothing_data();
    void closingWritesNothing();
    void badRecordShowsTheErrorAndTheDownloadGoesOn();
    void errorBoxCarriesTheWindowCaption();
    void debugModeCapturesTheRawAnswer();
    void silentUnitShowsTheNotAnsweredNote();
    void portThatFailsToOpenIsReported();
    void appendThatFailsKeepsTheWindowOpen();
    void noPortSelectedOpensNoWindow();
    void showingAgainNeitherRestartsNorDisablesAppend();

private:
    DownloadHistoryDialog::Context context();
    /// Opens the window and waits until it is on screen.
    DownloadHistoryDialog *open(const DownloadHistoryDialog::Context &context);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CounterSimulator> m_unit;
    std::unique_ptr<LogFolder> m_logFolder;
    std::unique_ptr<QWidget> m_mainWindow;
    LogPaneView *m_mainPane = nullptr;
    RecordingNotifier m_notifier;
    QString m_logPath;
};

void TestDownloadHistoryDialog::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_unit = std::make_unique<CounterSimulator>();
    QVERIFY2(m_unit->open(), qPrintable(m_unit->errorString()));
    m_logFolder = std::make_unique<LogFolder>([this] { return m_dir->path(); });
    m_logPath = QDir(m_logFolder->path()).filePath("OrveaLog.txt");
    m_notifier.messages.clear();

    m_mainWindow = std::make_unique<QWidget>();
    m_mainWindow->setWindowTitle("Orvel Logger");
    auto *layout = new QVBoxLayout(m_mainWindow.get());
    m_mainPane = new LogPaneView(m_mainWindow.get());
    layout->addWidget(m_mainPane);
    m_mainPane->appendLogText(EarlierPaneText);
    m_mainWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_mainWindow.get()));
}

void TestDownloadHistoryDialog::cleanup()
{
    m_mainWindow.reset();
    m_unit.reset();
    m_logFolder.reset();
    m_dir.reset();
}

DownloadHistoryDialog::Context TestDownloadHistoryDialog::context()
{
    DownloadHistoryDialog::Context context;
    context.parent = m_mainWindow.get();
    context.portNumber = 1;
    context.portMap = test::portMapWith({{1, m_unit->devicePath()}});
    context.logPath = m_logPath;
    context.logFolder = m_logFolder.get();
    context.mainPane = m_mainPane;
    context.notifier = &m_notifier;
    return context;
}

DownloadHistoryDialog *
TestDownloadHistoryDialog::open(const DownloadHistoryDialog::Context &context)
{
    DownloadHistoryDialog *dialog = DownloadHistoryDialog::openModal(context);
    if (!dialog)
        return nullptr;
    if (!QTest::qWaitForWindowExposed(dialog))
        return nullptr;
    return dialog;
}

void TestDownloadHistoryDialog::downloadsAndAppends_data()
{
    QTest::addColumn<QByteArray>("logBefore");
    QTest::addColumn<bool>("logExists");
    QTest::addColumn<bool>("caretAtStart");
    QTest::addColumn<int>("pieceSize");

    QTest::newRow("existing log, one burst")
        << QByteArray("Small\tLarge\tDate/Time\r\n1200\t300\t07:50\r\n") << true << false << 0;
    QTest::newRow("missing log, split across reads") << QByteArray() << false << false << 5;
    QTest::newRow("caret further up the main pane")
        << QByteArray("earlier\r\n") << true << true << 0;
}

void TestDownloadHistoryDialog::downloadsAndAppends()
{
    QFETCH(QByteArray, logBefore);
    QFETCH(bool, logExists);
    QFETCH(bool, caretAtStart);
    QFETCH(int, pieceSize);

    if (logExists) {
        QFile log(m_logPath);
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write(logBefore);
    }
    if (caretAtStart)
        m_mainPane->setCaretPosition(0);
    if (pieceSize > 0)
        m_unit->setAnswersHistory(false);

    QPointer<DownloadHistoryDialog> dialog = open(context());
    QVERIFY(dialog);
    QSignalSpy finished(dialog.data(), &QDialog::finished);
    QVERIFY(finished.isValid());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Download History"));
    QCOMPARE(dialog->objectName(), QStringLiteral("frmDownloadHistory"));
    QCOMPARE(dialog->windowModality(), Qt::WindowModal);
    QCOMPARE(dialog->parentWidget(), m_mainWindow.get());
    QCOMPARE(dialog->AppendToLog()->text(), QStringLiteral("&Append To Log"));
    QCOMPARE(dialog->CancelButton()->text(), QStringLiteral("Cancel"));
    QVERIFY(!dialog->AppendToLog()->isEnabled());
    QCOMPARE(dialog->LogPath(), m_logPath);

    QCOMPARE(QApplication::activeModalWidget(), dialog.data());

    QTRY_COMPARE(m_unit->received(), QByteArray("D\r"));
    if (pieceSize > 0) {
        QCOMPARE(dialog->RichTextBox()->toPlainText(), shown(HistoryDownload::HeaderText));
        const QByteArray answer = m_unit->historyAnswer();
        qint64 sent = 0;
        for (qsizetype at = 0; at < answer.size(); at += pieceSize) {
            const QByteArray piece = answer.mid(at, pieceSize);
            m_unit->sendRaw(piece);
            sent += piece.size();
            QTRY_COMPARE(dialog->download().charactersReceived(), sent);
        }
    }

    QTRY_VERIFY(dialog->AppendToLog()->isEnabled());
    QCOMPARE(dialog->RichTextBox()->toPlainText(), shown(defaultHistoryText()));
    QVERIFY(!dialog->download().serialPort().PortOpen());
    QVERIFY2(dialog->statusLabel()->text().contains("Records received: 3"),
             qPrintable(dialog->statusLabel()->text()));

    QTest::mouseClick(dialog->AppendToLog(), Qt::LeftButton);
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().toInt(), int(QDialog::Accepted));

    QCOMPARE(readFile(m_logPath), logBefore + defaultHistoryText().toUtf8());
    QCOMPARE(m_mainPane->toPlainText(), EarlierPaneText + shown(defaultHistoryText()));
    QVERIFY(m_mainPane->caretAtEnd());
    QVERIFY(m_notifier.messages.isEmpty());
}

void TestDownloadHistoryDialog::closingWritesNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel button") << "cancel";
    QTest::newRow("close box") << "close";
    QTest::newRow("Escape key") << "escape";
}

void TestDownloadHistoryDialog::closingWritesNothing()
{
    QFETCH(QString, how);
    m_unit->setAnswersHistory(false);
    DownloadHistoryDialog::Context setup = context();
    setup.isDebug = true;
    QPointer<DownloadHistoryDialog> dialog = open(setup);
    QVERIFY(dialog);
    QTRY_COMPARE(m_unit->received(), QByteArray("D\r"));
    m_unit->sendRaw("D\r\nINTERVAL 1 MIN\r\n12,3\r\n");
    QTRY_COMPARE(dialog->download().recordCount(), 1);
    QVERIFY(dialog->download().isCapturing());

    bool portOpenAtClose = true;
    bool capturingAtClose = true;
    connect(dialog.data(), &QDialog::finished, this, [&](int) {
        portOpenAtClose = dialog->download().serialPort().PortOpen();
        capturingAtClose = dialog->download().isCapturing();
    });
    if (how == "cancel")
        QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    else if (how == "close")
        dialog->close();
    else
        QTest::keyClick(dialog.data(), Qt::Key_Escape);
    QTRY_VERIFY(dialog.isNull());

    QVERIFY(!portOpenAtClose);
    QVERIFY(!capturingAtClose);
    QVERIFY(!QFile::exists(m_logPath));
    QCOMPARE(m_mainPane->toPlainText(), EarlierPaneText);
    // The port is free again for the main window.
    SerialPort port(test::portMapWith({{1, m_unit->devicePath()}}));
    port.setCommPort(1);
    port.setPortOpen(true);
    QVERIFY(port.PortOpen());
    QCOMPARE(readFile(QDir(m_logFolder->path()).filePath("~DebugHistory.txt")),
             QByteArray("D\r\nINTERVAL 1 MIN\r\n12,3\r\n"));
    QVERIFY(m_notifier.messages.isEmpty());
}

void TestDownloadHistoryDialog::badRecordShowsTheErrorAndTheDownloadGoesOn()
{
    m_unit->setAnswersHistory(false);
    QPointer<DownloadHistoryDialog> dialog = open(context());
    QVERIFY(dialog);
    QTRY_COMPARE(m_unit->received(), QByteArray("D\r"));
    m_unit->sendRaw("INTERVAL 1 MIN\r\n1,2\r\n5,abc\r\n3,4\r\nEND\r\n");
    QTRY_VERIFY(dialog->AppendToLog()->isEnabled());

    QCOMPARE(m_notifier.messages.size(), 1);
    QVERIFY2(m_notifier.messages.first().startsWith("Error evaluating the following text:\n\n"
                                                    "5,abc\n\n"),
             qPrintable(m_notifier.messages.first()));
    QCOMPARE(dialog->RichTextBox()->toPlainText(),
             shown(HistoryDownload::HeaderText) + "MIN\n100\t200\n300\t400\n");
    QCOMPARE(dialog->download().recordCount(), 2);
    dialog->reject();
}

void TestDownloadHistoryDialog::errorBoxCarriesTheWindowCaption()
{
    m_unit->setAnswersHistory(false);
    DownloadHistoryDialog::Context setup = context();
    setup.notifier = nullptr;
    QPointer<DownloadHistoryDialog> dialog = open(setup);
    QVERIFY(dialog);
    QTRY_COMPARE(m_unit->received(), QByteArray("D\r"));
    m_unit->sendRaw("MIN\r\n5,abc\r\n3,4\r\nEND\r\n");
    // The box does not hold the download up: the lines after the bad one arrive with it open.
    QTRY_VERIFY(dialog->AppendToLog()->isEnabled());
    const QList<QMessageBox *> boxes = dialog->findChildren<QMessageBox *>();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first()->windowTitle(), QStringLiteral("Download History"));
    QCOMPARE(boxes.first()->icon(), QMessageBox::Warning);
    QVERIFY(boxes.first()->text().startsWith("Error evaluating the following text:"));
    QCOMPARE(dialog->RichTextBox()->toPlainText(),
             shown(HistoryDownload::HeaderText) + "MIN\n300\t400\n");
    dialog->reject();
}

void TestDownloadHistoryDialog::debugModeCapturesTheRawAnswer()
{
    DownloadHistoryDialog::Context setup = context();
    setup.isDebug = true;
    QPointer<DownloadHistoryDialog> dialog = open(setup);
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->AppendToLog()->isEnabled());
    QVERIFY(!dialog->download().isCapturing());
    QCOMPARE(readFile(QDir(m_logFolder->path()).filePath("~DebugHistory.txt")),
             m_unit->historyAnswer());
    dialog->reject();
}

void TestDownloadHistoryDialog::silentUnitShowsTheNotAnsweredNote()
{
    m_unit->setAnswersHistory(false);
    QPointer<DownloadHistoryDialog> dialog = open(context());
    QVERIFY(dialog);
    dialog->download().setNoAnswerTimeout(100);
    QTRY_VERIFY2(dialog->statusLabel()->text().contains("has not answered yet"),
                 qPrintable(dialog->statusLabel()->text()));
    QVERIFY(dialog->statusLabel()->text().contains("COM1"));
    QVERIFY(dialog->isVisible());
    QVERIFY(dialog->download().serialPort().PortOpen());
    QVERIFY(!dialog->AppendToLog()->isEnabled());
    QVERIFY(dialog->CancelButton()->isEnabled());
    QVERIFY(m_notifier.messages.isEmpty());

    // A late answer is still taken.
    m_unit->sendRaw(m_unit->historyAnswer());
    QTRY_VERIFY(dialog->AppendToLog()->isEnabled());
    QVERIFY(!dialog->statusLabel()->text().contains("has not answered yet"));
    dialog->reject();
}

void TestDownloadHistoryDialog::portThatFailsToOpenIsReported()
{
    DownloadHistoryDialog::Context setup = context();
    setup.portNumber = 3;
    QPointer<DownloadHistoryDialog> dialog = open(setup);
    QVERIFY(dialog);
    QTRY_COMPARE(m_notifier.messages.size(), 1);
    QVERIFY2(m_notifier.messages.first().contains("COM3"), qPrintable(m_notifier.messages.first()));
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->AppendToLog()->isEnabled());
    QCOMPARE(dialog->RichTextBox()->toPlainText(), shown(HistoryDownload::HeaderText));
    QVERIFY2(dialog->statusLabel()->text().contains("could not start"),
             qPrintable(dialog->statusLabel()->text()));
    QVERIFY(m_unit->received().isEmpty());
    dialog->reject();
}

void TestDownloadHistoryDialog::appendThatFailsKeepsTheWindowOpen()
{
    DownloadHistoryDialog::Context setup = context();
    setup.logPath = m_dir->filePath("missing/OrveaLog.txt");
    QPointer<DownloadHistoryDialog> dialog = open(setup);
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->AppendToLog()->isEnabled());
    QTest::mouseClick(dialog->AppendToLog(), Qt::LeftButton);

    QCOMPARE(m_notifier.messages.size(), 1);
    QVERIFY2(m_notifier.messages.first().contains(setup.logPath),
             qPrintable(m_notifier.messages.first()));
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(dialog->AppendToLog()->isEnabled());
    QCOMPARE(m_mainPane->toPlainText(), EarlierPaneText);
    QVERIFY(!QFile::exists(setup.logPath));

    // Fixing the cause and trying again works.
    dialog->setLogPath(m_logPath);
    QTest::mouseClick(dialog->AppendToLog(), Qt::LeftButton);
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(readFile(m_logPath), defaultHistoryText().toUtf8());
}

void TestDownloadHistoryDialog::noPortSelectedOpensNoWindow()
{
    DownloadHistoryDialog::Context setup = context();
    setup.portNumber = 0;
    QCOMPARE(DownloadHistoryDialog::openModal(setup), nullptr);
    QCOMPARE(m_notifier.messages, QStringList{"Please select a COM port first."});
    QVERIFY(m_mainWindow->findChildren<DownloadHistoryDialog *>().isEmpty());
    QVERIFY(m_unit->received().isEmpty());
}

void TestDownloadHistoryDialog::showingAgainNeitherRestartsNorDisablesAppend()
{
    QPointer<DownloadHistoryDialog> dialog = open(context());
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->AppendToLog()->isEnabled());
    dialog->hide();
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.data()));
    QVERIFY(!dialog->DownloadStartTimer().isActive());
    QVERIFY(dialog->AppendToLog()->isEnabled());
    QCOMPARE(m_unit->received(), QByteArray("D\r"));
    QCOMPARE(dialog->RichTextBox()->toPlainText(), shown(defaultHistoryText()));
    dialog->reject();
}

QTEST_MAIN(TestDownloadHistoryDialog)
#include "tst_downloadhistorydialog.moc"
