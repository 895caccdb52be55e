// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "history/downloadhistorydialog.h"

#include "common/failure.h"
#include "history/historymessagebox.h"
#include "logfile/logpane.h"
#include "widgets/messageboxnotifier.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvel {

const QString DownloadHistoryDialog::NoPortSelectedMessage =
    QStringLiteral("Please select a COM port first.");

namespace {

/// The hourglass for as long as it lives.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

QString withoutCarriageReturns(QString text)
{
    text.remove(u'\r');
    return text;
}

} // namespace

DownloadHistoryDialog *DownloadHistoryDialog::openModal(const Context &context)
{
    if (context.portNumber < 1) {
        if (context.notifier) {
            context.notifier->showError(NoPortSelectedMessage);
        } else {
            MessageBoxNotifier(context.parent).showError(NoPortSelectedMessage);
        }
        return nullptr;
    }
    auto *dialog = new DownloadHistoryDialog(context.portNumber, context.portMap, context.logFolder,
                                             context.mainPane, context.notifier, context.parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setLogPath(context.logPath);
    dialog->setIsDebug(context.isDebug);
    dialog->setDebugHistoryFileName(context.debugHistoryFileName);
    dialog->open();
    return dialog;
}

DownloadHistoryDialog::DownloadHistoryDialog(int portNumber, const PortMap &portMap,
                                             LogFolder *logFolder, LogPane *mainPane,
                                             Notifier *notifier, QWidget *parent)
    : QDialog(parent)
    , m_mainPane(mainPane)
    , m_portNumber(portNumber)
{
    setObjectName(QStringLiteral("frmDownloadHistory"));
    setWindowTitle(QStringLiteral("Download History"));
    if (notifier) {
        m_notifier = notifier;
    } else {
        m_ownNotifier = std::make_unique<HistoryMessageBox>(this);
        m_notifier = m_ownNotifier.get();
    }
    m_download = new HistoryDownload(portMap, *m_notifier, this);
    m_download->setLogFolder(logFolder);

    m_downloadStartTimer.setSingleShot(true);
    m_downloadStartTimer.setInterval(100);
    connect(&m_downloadStartTimer, &QTimer::timeout, this,
            &DownloadHistoryDialog::DownloadStartTimer_Timer);

    buildWidgets();

    connect(m_download, &HistoryDownload::textReset, this, [this](const QString &text) {
        m_richTextBox->setPlainText(withoutCarriageReturns(text));
    });
    connect(m_download, &HistoryDownload::textAppended, this, [this](const QString &text) {
        QTextCursor end(m_richTextBox->document());
        end.movePosition(QTextCursor::End);
        end.insertText(withoutCarriageReturns(text));
        m_richTextBox->moveCursor(QTextCursor::End);
        m_richTextBox->ensureCursorVisible();
    });
    connect(m_download, &HistoryDownload::ended, this, [this] { m_appendToLog->setEnabled(true); });
    connect(m_download, &HistoryDownload::progressChanged, this,
            &DownloadHistoryDialog::updateStatus);
    connect(m_appendToLog, &QPushButton::clicked, this, &DownloadHistoryDialog::AppendToLog_Click);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    updateStatus();
}

DownloadHistoryDialog::~DownloadHistoryDialog()
{
    m_download->close();
}

void DownloadHistoryDialog::buildWidgets()
{
    auto *layout = new QVBoxLayout(this);

    m_statusLabel = new QLabel(this);
    m_statusLabel->setObjectName(QStringLiteral("StatusLabel"));
    m_statusLabel->setWordWrap(true);
    layout->addWidget(m_statusLabel);

    m_richTextBox = new QPlainTextEdit(this);
    m_richTextBox->setObjectName(QStringLiteral("RichTextBox"));
    m_richTextBox->setReadOnly(true);
    m_richTextBox->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                           Qt::TextSelectableByKeyboard);
    m_richTextBox->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_richTextBox->setUndoRedoEnabled(false);
    m_richTextBox->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_richTextBox->setTabStopDistance(
        m_richTextBox->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 12);
    layout->addWidget(m_richTextBox, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_appendToLog = new QPushButton(QStringLiteral("&Append To Log"), this);
    m_appendToLog->setObjectName(QStringLiteral("AppendToLog"));
    m_appendToLog->setEnabled(false);
    m_appendToLog->setDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("CancelButton"));
    buttons->addWidget(m_appendToLog);
    buttons->addWidget(m_cancelButton);
    layout->addLayout(buttons);

    resize(460, 380);
}

void DownloadHistoryDialog::setIsDebug(bool isDebug)
{
    m_download->setIsDebug(isDebug);
}

void DownloadHistoryDialog::setDebugHistoryFileName(const QString &name)
{
    m_download->setDebugHistoryFileName(name);
}

Notifier &DownloadHistoryDialog::notifier() const
{
    return *m_notifier;
}

void DownloadHistoryDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Only the first showing starts a download: the window may be shown again after being
    // minimised or covered, and that must neither restart the exchange nor disable the append
    // of a history that has already arrived.
    if (m_shown)
        return;
    m_shown = true;
    m_download->setCommPort(m_portNumber);
    m_appendToLog->setEnabled(false);
    m_downloadStartTimer.start();
}

void DownloadHistoryDialog::DownloadStartTimer_Timer()
{
    m_downloadStartTimer.stop();
    WaitCursor wait;
    m_startFailed = false;
    try {
        m_download->StartDownload();
    } catch (const Failure &failure) {
        m_startFailed = true;
        updateStatus();
        notifier().showError(failure.description());
    }
}

void DownloadHistoryDialog::AppendToLog_Click()
{
    const QString text = m_download->text();
    try {
        HistoryDownload::appendToLogFile(m_logPath, text);
    } catch (const Failure &failure) {
        notifier().showError(failure.description());
        return;
    }
    if (m_mainPane) {
        m_mainPane->appendLogText(text);
        m_mainPane->moveCaretToEnd();
    }
    accept();
}

void DownloadHistoryDialog::done(int result)
{
    m_downloadStartTimer.stop();
    m_download->close();
    QDialog::done(result);
}

void DownloadHistoryDialog::updateStatus()
{
    const QString port = QStringLiteral("COM%1").arg(m_portNumber);
    const int records = m_download->recordCount();
    QString status;
    switch (m_download->state()) {
    case HistoryDownload::State::Idle:
        status = m_startFailed ? tr("The download could not start. Check the port and try again.")
                               : tr("Connecting to the unit on %1...").arg(port);
        break;
    case HistoryDownload::State::Requested:
        status = m_download->unitSilent()
                     ? tr("The unit has not answered yet. Check that it is connected to %1 and "
                          "that it is switched on; the download goes on waiting.")
                           .arg(port)
                     : tr("Asking the unit on %1 for its history...").arg(port);
        break;
    case HistoryDownload::State::Receiving:
        status = tr("Receiving the history. Records received so far: %1").arg(records);
        break;
    case HistoryDownload::State::Ended:
        status = tr("History complete. Records received: %1").arg(records);
        break;
    case HistoryDownload::State::Interrupted:
        status = tr("The download stopped before the end of the history. Records received: %1")
                     .arg(records);
        break;
    }
    m_statusLabel->setText(status);
}

} // namespace orvel
