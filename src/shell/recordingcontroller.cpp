// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/recordingcontroller.h"

#include "acquisition/demosamplesource.h"
#include "charting/sampleprocessor.h"
#include "common/failure.h"
#include "common/notifier.h"
#include "history/downloadhistorydialog.h"
#include "logfile/logfolder.h"
#include "shell/controlstates.h"
#include "shell/portlist.h"
#include "shell/prompter.h"
#include "shell/statuspanels.h"
#include "shell/stopafterchoice.h"
#include "widgets/keyedtoolbar.h"
#include "widgets/logpaneview.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QShortcut>
#include <QWindow>

namespace orvel {

RecordingController::RecordingController(const Controls &controls, const Parts &parts,
                                         QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_parts(parts)
{
    addShortcuts();
    connect(&m_controls.logToolbar, &KeyedToolbar::buttonClicked, this,
            &RecordingController::LogToolbar_ButtonClick);
    connect(&m_parts.session, &RecordingSession::stateChanged, this,
            &RecordingController::sessionStateChanged);
    connect(&m_parts.session, &RecordingSession::activity, &m_controls.statusPanels,
            &StatusPanels::ShowLoggingActivity);
    // The pane mirrors the log: when a start deletes the log, the pane empties with it.
    connect(&m_parts.session, &RecordingSession::logDeleted, &m_controls.logPane,
            &LogPaneView::clear);
    m_stopAfter = new StopAfterChoice(m_controls.stopAfterList, m_controls.displayPeriodList,
                                      m_parts.processor, m_parts.session, m_parts.prompter, this);
    m_states = new ControlStates(
        {m_controls.window, m_controls.logToolbar, m_controls.chartToolbar, m_controls.comPortLabel,
         m_controls.portList, m_controls.logFileBox, m_controls.fileOpenButton,
         m_controls.deleteLogBox, m_controls.logPane},
        m_parts.session, m_parts.processor, [this] { return downloadOpen(); }, this);
}

void RecordingController::addShortcuts()
{
    // Window shortcuts work whichever control of the window has the focus; a key held down
    // does not repeat the command.
    const QKeyCombination shortcuts[] = {
        QKeyCombination(Qt::ControlModifier, Qt::Key_S),
        QKeyCombination(Qt::ControlModifier, Qt::Key_D),
        QKeyCombination(Qt::ControlModifier, Qt::Key_M),
        QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_D),
    };
    for (const QKeyCombination keys : shortcuts) {
        auto *shortcut = new QShortcut(QKeySequence(keys), &m_controls.window);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setAutoRepeat(false);
        connect(shortcut, &QShortcut::activated, this,
                [this, keys] { Form_KeyDown(keys.key(), keys.keyboardModifiers()); });
    }
}

QString RecordingController::logPath() const
{
    return m_controls.logFileBox.text();
}

int RecordingController::selectedPortNumber() const
{
    return m_controls.portList.selectedPortNumber();
}

bool RecordingController::ShowDemoControls() const
{
    return m_states->showDemoControls();
}

void RecordingController::setLoadLogBusy(std::function<bool()> busy)
{
    m_states->setLoadLogBusy(std::move(busy));
}

bool RecordingController::loadingLog() const
{
    return m_states->loadingLog();
}

void RecordingController::LogToolbar_ButtonClick(const QString &key)
{
    runCommand([this, key] {
        KeyedToolbar &toolbar = m_controls.logToolbar;
        if (key == QStringLiteral("AlwaysOnTop")) {
            const bool pressed = toolbar.button(key)->isChecked();
            toolbar.setImage(key,
                             pressed ? QStringLiteral("Checked") : QStringLiteral("Unchecked"));
            applyAlwaysOnTop(pressed);
        } else if (key == QStringLiteral("LoadLogOnStartup")) {
            const bool pressed = toolbar.button(key)->isChecked();
            toolbar.setImage(key,
                             pressed ? QStringLiteral("Checked") : QStringLiteral("Unchecked"));
        } else if (key == QStringLiteral("LoadLog")) {
            if (m_loadLog)
                m_loadLog();
        } else if (key == QStringLiteral("ClearLog")) {
            m_controls.logPane.clear();
        } else if (key == QStringLiteral("RecordDemo")) {
            recordDemo();
        } else if (key == QStringLiteral("Record")) {
            record(false);
        } else if (key == QStringLiteral("DownloadHistory")) {
            downloadHistory();
        }
        // About: nothing to do.
    });
}

void RecordingController::runCommand(const std::function<void()> &command)
{
    try {
        command();
    } catch (const Failure &failure) {
        // A failed start has left everything as it was.
        m_parts.notifier.showError(failure.description());
    }
    m_controls.window.unsetCursor();
    RefreshControlStates();
}

void RecordingController::record(bool demo)
{
    if (IsRecording()) {
        m_parts.session.stop();
        return;
    }
    if (!m_controls.deleteLogBox.isChecked()) {
        startRecording(demo, false);
        return;
    }
    // Only asks: the session deletes the log once nothing can stop the recording any more.
    const QString question =
        QFileInfo::exists(logPath())
            ? QStringLiteral("Please confirm log file deletion.  All "
                             "data saved in this log will be lost.")
            : QStringLiteral("The log file does not appear to exist.  It may "
                             "have been moved or deleted outside of this program.");
    m_parts.prompter.ask(QMessageBox::Warning, QStringLiteral("Delete Log"), question,
                         QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel,
                         [this, demo](QMessageBox::StandardButton answer) {
                             if (answer == QMessageBox::Ok && !IsRecording())
                                 runCommand([this, demo] { startRecording(demo, true); });
                         });
}

void RecordingController::startRecording(bool demo, bool deleteLog)
{
    RecordingSession::StartOptions options;
    options.demo = demo;
    options.portNumber = selectedPortNumber();
    options.portName = m_controls.portList.currentText();
    options.logPath = logPath();
    options.deleteLog = deleteLog;
    if (m_debugMode)
        options.debugCapturePath = QDir(m_parts.logFolder.path()).filePath(DebugLogFileName);
    m_parts.session.start(options);
    m_controls.deleteLogBox.setChecked(false);
}

void RecordingController::recordDemo()
{
    if (IsRecording()) {
        m_parts.session.stop();
        return;
    }
    const int seconds = DemoSampleSource::SampleIntervalMs / 1000;
    const QString text =
        QStringLiteral("Demontration will start.  Simulated random samples will be "
                       "received ") +
        QStringLiteral("every %1 seconds.").arg(seconds);
    m_parts.prompter.ask(QMessageBox::Information, QStringLiteral("Demontration Mode"), text,
                         QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok,
                         [this](QMessageBox::StandardButton answer) {
                             if (answer == QMessageBox::Ok && !IsRecording())
                                 runCommand([this] { record(true); });
                         });
}

void RecordingController::sessionStateChanged(RecordingSession::State state)
{
    StatusPanels &panels = m_controls.statusPanels;
    switch (state) {
    case RecordingSession::State::Idle:
        m_states->showRecordButtons(false);
        panels.setWaitingText(QString());
        panels.ShowWaitingForData(false);
        panels.setText(QStringLiteral("Message"), QString());
        break;
    case RecordingSession::State::Recording:
        m_states->showRecordButtons(true);
        panels.setWaitingText(QString());
        panels.ShowWaitingForData(true);
        break;
    case RecordingSession::State::WaitingForPort:
        panels.setWaitingText(
            QStringLiteral("Counter unit disconnected: waiting for it to come back"));
        panels.ShowWaitingForData(true);
        break;
    }
    RefreshControlStates();
}

void RecordingController::downloadHistory()
{
    m_states->disableConflictingCommands();
    if (m_downloadHistory) {
        m_downloadHistory();
        return;
    }
    DownloadHistoryDialog::Context context;
    context.parent = &m_controls.window;
    context.portNumber = selectedPortNumber();
    context.portMap = m_parts.portMap;
    context.isDebug = m_debugMode;
    context.debugHistoryFileName = DebugHistoryFileName;
    context.logPath = logPath();
    context.logFolder = &m_parts.logFolder;
    context.mainPane = &m_controls.logPane;
    // Null on the desktop: the window titles its own message boxes "Download History".
    context.notifier = m_parts.downloadNotifier;
    m_download = DownloadHistoryDialog::openModal(context);
    if (m_download) {
        // The commands stay disabled until the window closes.
        connect(m_download, &QDialog::finished, this, &RecordingController::RefreshControlStates);
    }
}

DownloadHistoryDialog *RecordingController::downloadWindow() const
{
    return m_download;
}

bool RecordingController::downloadOpen() const
{
    return !m_download.isNull() && m_download->isVisible();
}

void RecordingController::applyAlwaysOnTop(bool onTop)
{
    // Through the native window, so the window is neither hidden, moved nor resized.
    QWidget &window = m_controls.window;
    if (QWindow *handle = window.windowHandle())
        handle->setFlag(Qt::WindowStaysOnTopHint, onTop);
    else
        window.setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
}

bool RecordingController::Form_KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool alt = modifiers & Qt::AltModifier;
    if (ctrl && alt) {
        if (key != Qt::Key_D)
            return false;
        if (!IsRecording())
            toggleDebugMode();
        return true;
    }
    if (!ctrl)
        return false;

    QString buttonKey;
    if (key == Qt::Key_S)
        buttonKey = QStringLiteral("Record");
    else if (key == Qt::Key_D)
        buttonKey = QStringLiteral("DownloadHistory");
    else if (key == Qt::Key_M)
        buttonKey = QStringLiteral("RecordDemo");
    else
        return false;

    const QAction *button = m_controls.logToolbar.button(buttonKey);
    const bool usable = button->isVisible() && button->isEnabled();
    if (usable || (key == Qt::Key_M && !IsRecording() && !loadingLog()))
        LogToolbar_ButtonClick(buttonKey);
    return true;
}

void RecordingController::toggleDebugMode()
{
    m_debugMode = !m_debugMode;
    QString text;
    if (m_debugMode) {
        const QString folderName = QFileInfo(m_parts.logFolder.path()).fileName();
        text = QStringLiteral("Debug mode has been turned ON.  The files '") + DebugLogFileName +
               QStringLiteral("' and '") + DebugHistoryFileName +
               QStringLiteral("', containing the exact output ") +
               QStringLiteral("from the connected unit will be written to your ") + folderName +
               QStringLiteral(" folder.") + QStringLiteral("\n\n") + QStringLiteral("'") +
               DebugLogFileName + QStringLiteral("' is written along with the log file ") +
               QStringLiteral("specifed above during recording.  '") + DebugHistoryFileName +
               QStringLiteral("' is ") +
               QStringLiteral("written when download history is "
                              "obtained.  '") +
               DebugHistoryFileName +
               QStringLiteral("' is not cumulative; it is rewritten with each download history.") +
               QStringLiteral("\n\n") +
               QStringLiteral("To turn debug mode OFF, press Ctl+Alt+D again.");
    } else {
        text = QStringLiteral("Debug mode has been turned OFF.  Debug files will not be logged.");
    }
    m_parts.prompter.ask(QMessageBox::Information, QStringLiteral("Debug Mode"), text,
                         QMessageBox::Ok, QMessageBox::Ok);
}

void RecordingController::StopAfterComboBox_Click()
{
    m_stopAfter->StopAfterComboBox_Click();
}

void RecordingController::RefreshControlStates()
{
    m_states->refresh();
}

void RecordingController::ArrangeToolbars(bool showDemoControls)
{
    m_states->arrangeToolbars(showDemoControls);
}

} // namespace orvel
