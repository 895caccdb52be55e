// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// The download window end to end, offscreen: the counter-unit simulator on a pseudo-terminal as
// COM1, the window opened through its entry point over a stand-in main window with a real log
// pane, the log file in a temporary folder. The exchange itself (which lines are kept, bad
// records, the debug capture) is tst_historydownload's; this suite checks what the window adds.

#include "acquisition/serialport.h"
#include "common/notifier.h"
#include "countersimulator.h"
#include "history/downloadhistorydialog.h"
#include "history/historydownload.h"
#include "historytestdata.h"
#include "logfile/logfolder.h"
#include "testsupport.h"
#include "widgets/logpaneview.h"

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
using namespace orvel::test;

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
    void init()
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

    void cleanup()
    {
        m_mainWindow.reset();
        m_unit.reset();
        m_logFolder.reset();
        m_dir.reset();
    }

    void opensModalAndAppendsTheCompleteHistory()
    {
        const QByteArray logBefore("Small\tLarge\tDate/Time\r\n1200\t300\t07:50\r\n");
        QFile log(m_logPath);
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write(logBefore);
        log.close();
        // The reader's caret further up the main pane.
        m_mainPane->setCaretPosition(0);

        QPointer<DownloadHistoryDialog> dialog = open(context());
        QVERIFY(dialog);
        QSignalSpy finished(dialog.data(), &QDialog::finished);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Download History"));
        QCOMPARE(dialog->windowModality(), Qt::WindowModal);
        QCOMPARE(dialog->parentWidget(), m_mainWindow.get());
        QCOMPARE(QApplication::activeModalWidget(), dialog.data());
        QVERIFY(!dialog->AppendToLog()->isEnabled());

        QTRY_VERIFY(dialog->AppendToLog()->isEnabled());
        QCOMPARE(dialog->RichTextBox()->toPlainText(), shown(defaultHistoryText()));
        QCOMPARE(dialog->statusLabel()->text(),
                 QStringLiteral("History complete. Records received: 3"));

        QTest::mouseClick(dialog->AppendToLog(), Qt::LeftButton);
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), int(QDialog::Accepted));
        QCOMPARE(fileBytes(m_logPath), logBefore + defaultHistoryText().toUtf8());
        QCOMPARE(m_mainPane->toPlainText(), EarlierPaneText + shown(defaultHistoryText()));
        QVERIFY(m_mainPane->caretAtEnd());
        QVERIFY(m_notifier.messages.isEmpty());
    }

    void closingWritesNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel button") << "cancel";
        QTest::newRow("close box") << "close";
        QTest::newRow("Escape key") << "escape";
    }

    /// Closed while the history arrives: the port is closed at once, nothing reaches the log.
    void closingWritesNothing()
    {
        QFETCH(QString, how);
        QPointer<DownloadHistoryDialog> dialog = openAndWaitForTheRequest(context());
        QVERIFY(dialog);
        m_unit->sendRaw("D\r\nINTERVAL 1 MIN\r\n12,3\r\n");
        QTRY_COMPARE(dialog->statusLabel()->text(),
                     QStringLiteral("Receiving the history. Records received so far: 1"));

        bool portOpenAtClose = true;
        connect(dialog.data(), &QDialog::finished, this,
                [&] { portOpenAtClose = dialog->download().serialPort().PortOpen(); });
        if (how == "cancel")
            QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
        else if (how == "close")
            dialog->close();
        else
            QTest::keyClick(dialog.data(), Qt::Key_Escape);
        QTRY_VERIFY(dialog.isNull());

        QVERIFY(!portOpenAtClose);
        QVERIFY(!QFile::exists(m_logPath));
        QCOMPARE(m_mainPane->toPlainText(), EarlierPaneText);
        QVERIFY(m_notifier.messages.isEmpty());
    }

    void errorBoxCarriesTheWindowCaption()
    {
        DownloadHistoryDialog::Context setup = context();
        setup.notifier = nullptr;
        QPointer<DownloadHistoryDialog> dialog = openAndWaitForTheRequest(setup);
        QVERIFY(dialog);
        m_unit->sendRaw("MIN\r\n5,abc\r\n3,4\r\nEND\r\n");
        // The box does not hold the download up: the lines after the bad one arrive with it open.
        QTRY_VERIFY(dialog->AppendToLog()->isEnabled());
        const QList<QMessageBox *> boxes = dialog->findChildren<QMessageBox *>();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first()->windowTitle(), QStringLiteral("Download History"));
        QCOMPARE(boxes.first()->icon(), QMessageBox::Warning);
        QVERIFY(boxes.first()->text().startsWith("Error evaluating the following text:"));
    }

    void silentUnitShowsTheNotAnsweredNote()
    {
        m_unit->setAnswersHistory(false);
        QPointer<DownloadHistoryDialog> dialog = open(context());
        QVERIFY(dialog);
        dialog->download().setNoAnswerTimeout(100);
        QTRY_VERIFY2(dialog->statusLabel()->text().contains("has not answered yet"),
                     qPrintable(dialog->statusLabel()->text()));
        QVERIFY(dialog->statusLabel()->text().contains("COM1"));
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->AppendToLog()->isEnabled());
        QVERIFY(m_notifier.messages.isEmpty());

        // A late answer is still taken.
        m_unit->sendRaw(m_unit->historyAnswer());
        QTRY_VERIFY(dialog->AppendToLog()->isEnabled());
        QVERIFY(!dialog->statusLabel()->text().contains("has not answered yet"));
    }

    void failureIsReportedAndTheWindowStays_data()
    {
        QTest::addColumn<bool>("portLost");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("status");
        QTest::newRow("port that fails to open")
            << false << "COM3"
            << "The download could not start. Check the port and try again.";
        QTest::newRow("port lost during the download")
            << true << "stopped"
            << "The download stopped before the end of the history. Records received: 0";
    }

    /// A port that cannot be opened, or is lost while the history arrives: reported, the window
    /// stays open with the append disabled, and its status line says what happened.
    void failureIsReportedAndTheWindowStays()
    {
        QFETCH(bool, portLost);
        QFETCH(QString, message);
        QFETCH(QString, status);
        DownloadHistoryDialog::Context setup = context();
        if (!portLost)
            setup.portNumber = 3;
        QPointer<DownloadHistoryDialog> dialog =
            portLost ? openAndWaitForTheRequest(setup) : open(setup);
        QVERIFY(dialog);
        if (portLost)
            m_unit->hangUp();
        QTRY_COMPARE(m_notifier.messages.size(), 1);
        QVERIFY2(m_notifier.messages.first().contains(message),
                 qPrintable(m_notifier.messages.first()));
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->AppendToLog()->isEnabled());
        QCOMPARE(dialog->statusLabel()->text(), status);
    }

    void appendThatFailsKeepsTheWindowOpen()
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

        // Fixing the cause and trying again works.
        dialog->setLogPath(m_logPath);
        QTest::mouseClick(dialog->AppendToLog(), Qt::LeftButton);
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(fileBytes(m_logPath), defaultHistoryText().toUtf8());
    }

    void noPortSelectedOpensNoWindow()
    {
        DownloadHistoryDialog::Context setup = context();
        setup.portNumber = 0;
        QCOMPARE(DownloadHistoryDialog::openModal(setup), nullptr);
        QCOMPARE(m_notifier.messages, QStringList{"Please select a COM port first."});
        QVERIFY(m_mainWindow->findChildren<DownloadHistoryDialog *>().isEmpty());
        QVERIFY(m_unit->received().isEmpty());
    }

    void showingAgainNeitherRestartsNorDisablesAppend()
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
    }

private:
    DownloadHistoryDialog::Context context()
    {
        return {.parent = m_mainWindow.get(),
                .portNumber = 1,
                .portMap = test::portMapWith({{1, m_unit->devicePath()}}),
                .logPath = m_logPath,
                .logFolder = m_logFolder.get(),
                .mainPane = m_mainPane,
                .notifier = &m_notifier};
    }

    /// Opens the window and waits until it is on screen.
    DownloadHistoryDialog *open(const DownloadHistoryDialog::Context &context)
    {
        DownloadHistoryDialog *dialog = DownloadHistoryDialog::openModal(context);
        return dialog && QTest::qWaitForWindowExposed(dialog) ? dialog : nullptr;
    }

    /// Opens the window over a unit that does not answer by itself, and waits for the request.
    DownloadHistoryDialog *openAndWaitForTheRequest(const DownloadHistoryDialog::Context &context)
    {
        m_unit->setAnswersHistory(false);
        DownloadHistoryDialog *dialog = open(context);
        if (!dialog || !QTest::qWaitFor([this] { return m_unit->received() == "D\r"; }))
            return nullptr;
        return dialog;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CounterSimulator> m_unit;
    std::unique_ptr<LogFolder> m_logFolder;
    /// Its deletion deletes any window a test leaves open.
    std::unique_ptr<QWidget> m_mainWindow;
    LogPaneView *m_mainPane = nullptr;
    RecordingNotifier m_notifier;
    QString m_logPath;
};

QTEST_MAIN(TestDownloadHistoryDialog)
#include "tst_downloadhistorydialog.moc"
