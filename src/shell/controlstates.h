// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QObject>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace orvel {

class ChartToolbar;
class KeyedToolbar;
class LogPaneView;
class RecordingSession;
class SampleProcessor;

/// Which of the window's controls can be used, and how the recording ones look: the caption,
/// the enabled states of the lists, the log file box and the toolbar commands, the Record
/// buttons' images and tooltips while recording, and which of the demonstration buttons show.
/// The state comes from the recording session, the log file on disk, the log pane, an open
/// history download and a log still being loaded; `refresh` brings every control in line with it.
/// Owned by the RecordingController; UI thread only.
class ControlStates : public QObject
{
    Q_OBJECT
public:
    /// The controls whose states are set; they belong to the window.
    struct Controls
    {
        QWidget &window;
        KeyedToolbar &logToolbar;
        ChartToolbar &chartToolbar;
        QLabel &comPortLabel;
        QComboBox &comPortList;
        QLineEdit &logFileBox;
        QPushButton &fileOpenButton;
        QCheckBox &deleteLogBox;
        LogPaneView &logPane;
    };

    /// `downloadOpen` tells whether the history download window is open.
    ControlStates(const Controls &controls, const RecordingSession &session,
                  SampleProcessor &processor, std::function<bool()> downloadOpen,
                  QObject *parent = nullptr);

    /// Sets the caption and the enabled states from the recording state and the log file.
    void refresh();
    /// Shows or hides the demonstration buttons of both toolbars.
    void arrangeToolbars(bool showDemoControls);
    bool showDemoControls() const { return m_showDemoControls; }
    /// Record and RecordDemo as stop buttons while recording, as start buttons otherwise.
    void showRecordButtons(bool recording);
    /// Disables the commands that conflict with a history download or a log being loaded.
    void disableConflictingCommands();

    /// Tells whether a log is still being loaded; meanwhile the conflicting commands stay disabled.
    void setLoadLogBusy(std::function<bool()> busy) { m_loadLogBusy = std::move(busy); }
    bool loadingLog() const { return m_loadLogBusy && m_loadLogBusy(); }

private:
    void enableChartTestData();

    Controls m_controls;
    const RecordingSession &m_session;
    SampleProcessor &m_processor;
    std::function<bool()> m_downloadOpen;
    std::function<bool()> m_loadLogBusy;
    bool m_showDemoControls = false;
};

} // namespace orvel
