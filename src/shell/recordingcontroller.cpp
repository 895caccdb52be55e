// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/recordingcontroller.h"

#include "acquisition/demosamplesource.h"
#include "charting/charttoolbar.h"
#include "charting/sampleprocessor.h"
#include "common/failure.h"
#include "common/notifier.h"
#include "history/downloadhistorydialog.h"
#include "logfile/logfolder.h"
#include "shell/portlist.h"
#include "shell/prompter.h"
#include "shell/statuspanels.h"
#include "widgets/keyedtoolbar.h"
#include "widgets/logpaneview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QWindow>

namespace orvel {

namespace {

const QString AppTitle = QStringLiteral("Orvel Logger");
const QString RecordToolTip = QStringLiteral("Record (Ctl+S)");
const QString StopToolTip = QStringLiteral("Stop recording (Ctl+S)");
const QString RecordDemoToolTip = QStringLiteral("Record Demonstration (Ctl+M) (DEMO ONLY)");

} // namespace

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
    connect(&m_controls.stopAfterList, &QComboBox::currentIndexChanged, this,
            &RecordingController::StopAfterComboBox_Click);
    connect(&m_controls.logFileBox, &QLineEdit::textChanged, this,
            &RecordingController::RefreshControlStates);
    connect(&m_controls.logPane, &LogPaneView::textChanged, this, [this] {
        m_controls.logToolbar.button(QStringLiteral("ClearLog"))
            ->setEnabled(!m_controls.logPane.isEmpty());
    });
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
        showRecordButtons(false);
        panels.setWaitingText(QString());
        panels.ShowWaitingForData(false);
        panels.setText(QStringLiteral("Message"), QString());
        break;
    case RecordingSession::State::Recording:
        showRecordButtons(true);
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
    KeyedToolbar &toolbar = m_controls.logToolbar;
    for (const char *key : {"DownloadHistory", "LoadLog", "ClearLog", "Record", "RecordDemo"})
        toolbar.button(QLatin1String(key))->setEnabled(false);
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

void RecordingController::showRecordButtons(bool recording)
{
    KeyedToolbar &toolbar = m_controls.logToolbar;
    const QString image = recording ? QStringLiteral("PauseRecording") : QStringLiteral("Record");
    toolbar.setImage(QStringLiteral("Record"), image);
    toolbar.button(QStringLiteral("Record"))->setToolTip(recording ? StopToolTip : RecordToolTip);
    toolbar.setImage(QStringLiteral("RecordDemo"), image);
    toolbar.button(QStringLiteral("RecordDemo"))
        ->setToolTip(recording ? StopToolTip : RecordDemoToolTip);
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
    if (m_stopAfterBusy)
        return;
    QComboBox &list = m_controls.stopAfterList;
    SampleProcessor &processor = m_parts.processor;
    const int index = list.currentIndex();
    const qint32 newLimit = index < 0 ? 0 : list.itemData(index).toInt();
    if (newLimit == processor.StopAfterLimit())
        return;

    if (processor.SampleCount() >= newLimit && IsRecording() && newLimit >= 1) {
        const QString text =
            QStringLiteral("The number of samples received has already past the limit you "
                           "selected.  ") +
            QStringLiteral("If you continue, recording will stop after the next sample.") +
            QStringLiteral("\n\n") +
            QStringLiteral("Cancel if you do not want to change the sample stop limit at this "
                           "time.");
        // The list keeps the new choice while the question is open; Cancel puts the old back.
        m_stopAfterBusy = true;
        m_parts.prompter.ask(QMessageBox::Warning, QStringLiteral("Change Sample Stop Limit"), text,
                             QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel,
                             [this, index, newLimit](QMessageBox::StandardButton answer) {
                                 if (answer == QMessageBox::Ok) {
                                     applyStopAfter(index, newLimit);
                                 } else {
                                     m_controls.stopAfterList.setCurrentIndex(
                                         m_stopAfterPreviousIndex);
                                 }
                                 m_stopAfterBusy = false;
                             });
        return;
    }
    applyStopAfter(index, newLimit);
}

void RecordingController::applyStopAfter(int index, qint32 limit)
{
    SampleProcessor &processor = m_parts.processor;
    processor.setStopAfterLimit(limit);
    if (limit >= 1 && processor.SampleCount() <= limit)
        m_controls.displayPeriodList.setCurrentIndex(index - 1);
    m_stopAfterPreviousIndex = index;
}

void RecordingController::RefreshControlStates()
{
    const bool recording = IsRecording();
    const bool logExists = QFileInfo(logPath()).isFile();
    m_controls.window.setWindowTitle(recording ? AppTitle + QStringLiteral(" (recording)")
                                               : AppTitle);

    m_controls.comPortLabel.setEnabled(!recording);
    m_controls.portList.setEnabled(!recording);

    QCheckBox &deleteLog = m_controls.deleteLogBox;
    deleteLog.setEnabled(!recording && logExists);
    if (!deleteLog.isEnabled())
        deleteLog.setChecked(false);

    m_controls.logFileBox.setEnabled(!recording);
    m_controls.fileOpenButton.setEnabled(!recording);

    KeyedToolbar &toolbar = m_controls.logToolbar;
    toolbar.button(QStringLiteral("LoadLog"))->setEnabled(logExists);
    toolbar.button(QStringLiteral("ClearLog"))->setEnabled(!m_controls.logPane.isEmpty());
    toolbar.button(QStringLiteral("Record"))->setEnabled(true);
    toolbar.button(QStringLiteral("RecordDemo"))->setEnabled(true);
    toolbar.button(QStringLiteral("DownloadHistory"))->setEnabled(!recording);
    if (downloadOpen() || loadingLog()) {
        for (const char *key : {"DownloadHistory", "LoadLog", "ClearLog", "Record", "RecordDemo"})
            toolbar.button(QLatin1String(key))->setEnabled(false);
    }
    enableChartTestData();
    m_parts.processor.UpdateSlider();
}

void RecordingController::enableChartTestData()
{
    ChartToolbar &chartToolbar = m_controls.chartToolbar;
    const bool enabled = !IsRecording() && !loadingLog();
    chartToolbar.setDemoButtonsVisible(m_showDemoControls);
    chartToolbar.button(QStringLiteral("LoadGraphData"))->setEnabled(enabled);
    chartToolbar.button(QStringLiteral("ClearGraphData"))->setEnabled(enabled);
}

void RecordingController::ArrangeToolbars(bool showDemoControls)
{
    m_showDemoControls = showDemoControls;
    KeyedToolbar &toolbar = m_controls.logToolbar;
    for (const char *key : {"AlwaysOnTop", "LoadLogOnStartup", "FirstSeparator"})
        toolbar.button(QLatin1String(key))->setVisible(true);
    toolbar.button(QStringLiteral("Record"))->setVisible(!showDemoControls);
    toolbar.button(QStringLiteral("RecordDemo"))->setVisible(showDemoControls);
    enableChartTestData();
}

} // namespace orvel
