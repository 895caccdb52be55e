// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "acquisition/portmap.h"
#include "recording/recordingsession.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace orvel {

class ChartToolbar;
class ControlStates;
class DownloadHistoryDialog;
class KeyedToolbar;
class LogFolder;
class LogPaneView;
class Notifier;
class PortList;
class Prompter;
class SampleProcessor;
class StatusPanels;
class StopAfterChoice;

/// Carries out the commands of the log toolbar and the keyboard shortcuts: it asks the questions
/// (delete the log, start a demonstration, debug mode) and drives the recording session. The
/// controls' captions, images and enabled states follow the session's state through its
/// ControlStates; the stop-after list's choice is its StopAfterChoice.
///
/// Every command goes through `LogToolbar_ButtonClick`, which reports a failure in a message box
/// and always ends with `RefreshControlStates`. UI thread only.
class RecordingController : public QObject
{
    Q_OBJECT
public:
    static inline const QString DebugLogFileName = QStringLiteral("~DebugLog.txt");
    static inline const QString DebugHistoryFileName = QStringLiteral("~DebugHistory.txt");

    /// The controls the commands read and set; they belong to the window.
    struct Controls
    {
        QWidget &window;
        KeyedToolbar &logToolbar;
        ChartToolbar &chartToolbar;
        QLabel &comPortLabel;
        PortList &portList;
        QComboBox &stopAfterList;
        QComboBox &displayPeriodList;
        QLineEdit &logFileBox;
        QPushButton &fileOpenButton;
        QCheckBox &deleteLogBox;
        LogPaneView &logPane;
        StatusPanels &statusPanels;
    };
    /// What the commands work with besides the controls; owned by the window.
    struct Parts
    {
        RecordingSession &session;
        SampleProcessor &processor;
        LogFolder &logFolder;
        Prompter &prompter;
        Notifier &notifier;
        const PortMap &portMap;
        /// Where the history download reports; null for its own message boxes.
        Notifier *downloadNotifier = nullptr;
    };

    RecordingController(const Controls &controls, const Parts &parts, QObject *parent = nullptr);

    /// Runs the command of the log toolbar button `key`, as if it had been clicked.
    void LogToolbar_ButtonClick(const QString &key);
    /// Runs a command, or its continuation after a question: a failure is reported in a message
    /// box, and the controls are refreshed afterwards.
    void runCommand(const std::function<void()> &command);
    /// Handles the main window's shortcuts; true when the key was one of them.
    bool Form_KeyDown(int key, Qt::KeyboardModifiers modifiers);
    /// A new choice in the stop-after list.
    void StopAfterComboBox_Click();
    /// Sets the caption and the enabled states from the recording state and the log file.
    void RefreshControlStates();
    /// Shows or hides the demonstration buttons of both toolbars.
    void ArrangeToolbars(bool showDemoControls);

    bool IsRecording() const { return m_parts.session.isRecording(); }
    bool IsDemo() const { return m_parts.session.isDemo(); }
    bool DebugMode() const { return m_debugMode; }
    bool ShowDemoControls() const;
    /// Port number of the selected port list entry, or 0 when nothing is selected.
    int selectedPortNumber() const;

    /// The history download window while it is open, else null.
    DownloadHistoryDialog *downloadWindow() const;
    bool downloadOpen() const;

    /// What LoadLog does (installed by the log loader). DownloadHistory opens the download window
    /// unless a handler replaces it.
    void setLoadLogHandler(std::function<void()> handler) { m_loadLog = std::move(handler); }
    /// Tells whether a log is still being loaded; meanwhile the conflicting commands stay disabled.
    void setLoadLogBusy(std::function<bool()> busy);
    void setDownloadHistoryHandler(std::function<void()> handler)
    {
        m_downloadHistory = std::move(handler);
    }

private:
    void addShortcuts();
    void record(bool demo);
    void startRecording(bool demo, bool deleteLog);
    void recordDemo();
    void downloadHistory();
    void sessionStateChanged(RecordingSession::State state);
    void toggleDebugMode();
    void applyAlwaysOnTop(bool onTop);
    bool loadingLog() const;
    QString logPath() const;

    Controls m_controls;
    Parts m_parts;
    bool m_debugMode = false;
    ControlStates *m_states = nullptr;
    StopAfterChoice *m_stopAfter = nullptr;
    std::function<void()> m_loadLog;
    std::function<void()> m_downloadHistory;
    QPointer<DownloadHistoryDialog> m_download;
};

} // namespace orvel
