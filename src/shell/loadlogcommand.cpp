// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/loadlogcommand.h"

#include "charting/sampleprocessor.h"
#include "common/failure.h"
#include "common/notifier.h"
#include "logfile/logloader.h"
#include "shell/prompter.h"
#include "shell/recordingcontroller.h"
#include "shell/statuspanels.h"
#include "widgets/keyedtoolbar.h"
#include "widgets/logpaneview.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>

namespace orvel {

namespace {

const QString Message = QStringLiteral("Message");

/// Shows the wait cursor until the end of the scope, also when a failure leaves it.
struct WaitCursor
{
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

void desktopOpenFileName(QWidget *parent, const QString &title, const QString &path,
                         const QString &filter, std::function<void(const QString &)> chosen)
{
    auto *dialog = new QFileDialog(parent, title, QFileInfo(path).path(), filter);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // A new file name may be chosen: the next recording creates it.
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->selectFile(path);
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, std::move(chosen));
    dialog->open();
}

} // namespace

LoadLogCommand::LoadLogCommand(const Parts &parts, QObject *parent)
    : QObject(parent)
    , m_parts(parts)
    , m_loader(new LogLoader(parts.processor, this))
{
    m_progress = new QProgressBar(&m_parts.window);
    m_progress->setObjectName(QStringLiteral("LoadProgressBar"));
    m_progress->setRange(0, 1000);
    m_progress->setMaximumWidth(160);
    m_progress->setTextVisible(false);
    m_parts.statusBar.addPermanentWidget(m_progress);
    m_progress->hide();

    RecordingController &controller = m_parts.controller;
    controller.setLoadLogHandler([this] { LoadLog(); });
    controller.setLoadLogBusy([this] { return isLoading(); });
    connect(&m_parts.fileOpenButton, &QPushButton::clicked, this,
            &LoadLogCommand::FileOpenButton_Click);
    m_pathBox = &m_parts.logFileBox;
    m_pathBox->installEventFilter(this);
    connect(m_loader, &LogLoader::progress, this, &LoadLogCommand::graphProgress);
    connect(m_loader, &LogLoader::finished, this, &LoadLogCommand::graphFinished);
}

LoadLogCommand::~LoadLogCommand()
{
    if (m_busyCursor)
        QApplication::restoreOverrideCursor();
}

bool LoadLogCommand::isLoading() const
{
    return m_loader->isRunning();
}

QString LoadLogCommand::loadGraphQuestion() const
{
    return QStringLiteral("When not recording, you have the option to reload the graph from log ") +
           QStringLiteral("file contents.  If the log has more than one summary, graph data is ") +
           QStringLiteral("only populated up to the first summary, even though all text data "
                          "is ") +
           QStringLiteral("loaded into the log pane.") + QStringLiteral("\n\n") +
           QStringLiteral("Note that the mazimum number of samples that can be graphed is ") +
           m_parts.processor.formats().grouped(SampleStore::MaxStoredSamples) +
           QStringLiteral(".  If the number of samples ") +
           QStringLiteral("in the log exceeds this amount, the latest samples will be retained ") +
           QStringLiteral("and the former ones rolled off.") + QStringLiteral("\n\n") +
           QStringLiteral("Do you want to load graph data?");
}

void LoadLogCommand::LoadLog()
{
    const QString path = m_parts.logFileBox.text();
    const QFileInfo info(path);
    if (isLoading() || !info.exists())
        return;
    // Reading a device or a pipe may never end; a folder has nothing to read.
    if (!info.isFile()) {
        throw Failure(75, QStringLiteral("LoadLog"),
                      QStringLiteral("Cannot load '%1': it is %2, not a log file.")
                          .arg(path, info.isDir() ? QStringLiteral("a folder")
                                                  : QStringLiteral("a device or a pipe")));
    }

    if (m_parts.processor.IsRecording()) {
        loadFile(path, false);
        return;
    }
    m_parts.prompter.ask(QMessageBox::Question, LoadGraphTitle, loadGraphQuestion(),
                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes,
                         [this, path](QMessageBox::StandardButton answer) {
                             if ((answer == QMessageBox::Yes || answer == QMessageBox::No) &&
                                 !isLoading()) {
                                 m_parts.controller.runCommand([this, path, answer] {
                                     loadFile(path, answer == QMessageBox::Yes);
                                 });
                             }
                         });
}

void LoadLogCommand::loadFile(const QString &path, bool loadGraph)
{
    for (const char *key : {"LoadLog", "ClearLog", "Record", "RecordDemo", "DownloadHistory"})
        m_parts.logToolbar.button(QLatin1String(key))->setEnabled(false);
    m_parts.statusPanels.setText(Message, QStringLiteral("Loading log into log pane..."));

    QByteArray content;
    {
        QFile file(path);
        WaitCursor wait;
        if (!file.open(QIODevice::ReadOnly)) {
            m_parts.statusPanels.setText(Message, QString());
            throw Failure(
                75, QStringLiteral("LoadLog"),
                QStringLiteral("Cannot open the log file '%1': %2").arg(path, file.errorString()));
        }
        content = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            m_parts.statusPanels.setText(Message, QString());
            throw Failure(
                57, QStringLiteral("LoadLog"),
                QStringLiteral("Cannot read the log file '%1': %2").arg(path, file.errorString()));
        }
        // The file is released here; the graph is read from the same bytes.
    }
    LogPaneView *pane = &m_parts.logPane;
    pane->setLogBytes(content);
    if (pane->isVisible() && pane->isEnabled())
        pane->setFocus();

    if (loadGraph)
        LoadGraphFromLog(std::move(content));
    else
        m_parts.statusPanels.setText(Message, QString());
}

void LoadLogCommand::LoadGraphFromLog(QByteArray content)
{
    m_parts.statusPanels.setText(Message, QStringLiteral("Loading graph data..."));
    setListsEnabled(false);
    if (!m_busyCursor) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        m_busyCursor = true;
    }
    m_loadClock.start();
    m_loader->start(std::move(content), m_parts.processor.formats());
}

void LoadLogCommand::graphProgress(qint32 rows, qint64 bytesRead, qint64 totalBytes)
{
    if (rows > 0) {
        m_parts.statusPanels.setText(QStringLiteral("NumSamples"),
                                     QStringLiteral("Samples received: ") +
                                         m_parts.processor.formats().grouped(rows));
    }
    if (totalBytes > 0 && m_loadClock.elapsed() >= ProgressDelayMs) {
        m_progress->setValue(int(bytesRead * 1000 / totalBytes));
        m_progress->show();
    }
}

void LoadLogCommand::graphFinished(const QString &error)
{
    m_progress->hide();
    // Whatever was read stays loaded, also after a bad row: the chart, the slider and the counter
    // show exactly what the store holds.
    const qint32 kept = m_parts.processor.store().size();
    QComboBox *periods = &m_parts.displayPeriodList;
    if (kept > 0 && periods->count() > 0) {
        int entry = periods->count() - 1;
        for (int i = 0; i < periods->count(); ++i) {
            if (periods->itemData(i).toInt() >= kept) {
                entry = i;
                break;
            }
        }
        // Clearing the selection first makes the handler redraw every row, even when the entry
        // was selected already.
        periods->setCurrentIndex(-1);
        periods->setCurrentIndex(entry);
    }
    setListsEnabled(true);
    if (m_busyCursor) {
        QApplication::restoreOverrideCursor();
        m_busyCursor = false;
    }
    m_parts.statusPanels.setText(Message, QString());
    m_parts.controller.RefreshControlStates();
    if (!error.isEmpty())
        m_parts.notifier.showError(error);
    Q_EMIT graphLoaded();
}

void LoadLogCommand::setListsEnabled(bool enabled)
{
    m_parts.stopAfterList.setEnabled(enabled);
    m_parts.displayPeriodList.setEnabled(enabled);
    for (const char *name : {"StopAfterLabel", "DisplayPeriodLabel"}) {
        if (auto *label = m_parts.window.findChild<QLabel *>(QLatin1String(name)))
            label->setEnabled(enabled);
    }
}

void LoadLogCommand::FileOpenButton_Click()
{
    const QString path = m_parts.logFileBox.text();
    QString folder = path.isEmpty() ? QString() : QFileInfo(path).path();
    if (folder.isEmpty()) {
        const auto &documents = m_parts.documentsFolder;
        folder = documents ? documents()
                           : QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    }
    const QString initial =
        path.isEmpty() ? folder : QDir(folder).filePath(QFileInfo(path).fileName());
    const QString title = QStringLiteral("Open");
    auto chosen = [this](const QString &file) { fileChosen(file); };
    if (const auto &ask = m_parts.openFileName)
        ask(&m_parts.window, title, initial, FileFilter, chosen);
    else
        desktopOpenFileName(&m_parts.window, title, initial, FileFilter, chosen);
}

void LoadLogCommand::fileChosen(const QString &chosen)
{
    if (chosen.isEmpty())
        return;
    QLineEdit *box = &m_parts.logFileBox;
    box->setText(QDir::toNativeSeparators(chosen));
    m_parts.controller.LogToolbar_ButtonClick(QStringLiteral("LoadLog"));
    box->setFocus();
    SelectAllText(box);
}

void LoadLogCommand::LogFileTextBox_GotFocus()
{
    SelectAllText(m_pathBox);
}

void LoadLogCommand::SelectAllText(QLineEdit *box)
{
    box->setSelection(0, int(box->text().size()));
}

bool LoadLogCommand::eventFilter(QObject *watched, QEvent *event)
{
    // Compared with the pointer kept at construction: focus events still arrive while the main
    // window is being destroyed.
    if (watched == m_pathBox && event->type() == QEvent::FocusIn)
        LogFileTextBox_GotFocus();
    return false;
}

} // namespace orvel
