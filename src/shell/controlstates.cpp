// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/controlstates.h"

#include "charting/charttoolbar.h"
#include "charting/sampleprocessor.h"
#include "recording/recordingsession.h"
#include "widgets/keyedtoolbar.h"
#include "widgets/logpaneview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace orvel {

namespace {

const QString AppTitle = QStringLiteral("Orvel Logger");
const QString RecordToolTip = QStringLiteral("Record (Ctl+S)");
const QString StopToolTip = QStringLiteral("Stop recording (Ctl+S)");
const QString RecordDemoToolTip = QStringLiteral("Record Demonstration (Ctl+M) (DEMO ONLY)");

} // namespace

ControlStates::ControlStates(const Controls &controls, const RecordingSession &session,
                             SampleProcessor &processor, std::function<bool()> downloadOpen,
                             QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_session(session)
    , m_processor(processor)
    , m_downloadOpen(std::move(downloadOpen))
{
    connect(&m_controls.logFileBox, &QLineEdit::textChanged, this, &ControlStates::refresh);
    connect(&m_controls.logPane, &LogPaneView::textChanged, this, [this] {
        m_controls.logToolbar.button(QStringLiteral("ClearLog"))
            ->setEnabled(!m_controls.logPane.isEmpty());
    });
}

void ControlStates::refresh()
{
    const bool recording = m_session.isRecording();
    const bool logExists = QFileInfo(m_controls.logFileBox.text()).isFile();
    m_controls.window.setWindowTitle(recording ? AppTitle + QStringLiteral(" (recording)")
                                               : AppTitle);

    m_controls.comPortLabel.setEnabled(!recording);
    m_controls.comPortList.setEnabled(!recording);

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
    if (m_downloadOpen() || loadingLog())
        disableConflictingCommands();
    enableChartTestData();
    m_processor.UpdateSlider();
}

void ControlStates::disableConflictingCommands()
{
    KeyedToolbar &toolbar = m_controls.logToolbar;
    for (const char *key : {"DownloadHistory", "LoadLog", "ClearLog", "Record", "RecordDemo"})
        toolbar.button(QLatin1String(key))->setEnabled(false);
}

void ControlStates::showRecordButtons(bool recording)
{
    KeyedToolbar &toolbar = m_controls.logToolbar;
    const QString image = recording ? QStringLiteral("PauseRecording") : QStringLiteral("Record");
    toolbar.setImage(QStringLiteral("Record"), image);
    toolbar.button(QStringLiteral("Record"))->setToolTip(recording ? StopToolTip : RecordToolTip);
    toolbar.setImage(QStringLiteral("RecordDemo"), image);
    toolbar.button(QStringLiteral("RecordDemo"))
        ->setToolTip(recording ? StopToolTip : RecordDemoToolTip);
}

void ControlStates::enableChartTestData()
{
    ChartToolbar &chartToolbar = m_controls.chartToolbar;
    const bool enabled = !m_session.isRecording() && !loadingLog();
    chartToolbar.setDemoButtonsVisible(m_showDemoControls);
    chartToolbar.button(QStringLiteral("LoadGraphData"))->setEnabled(enabled);
    chartToolbar.button(QStringLiteral("ClearGraphData"))->setEnabled(enabled);
}

void ControlStates::arrangeToolbars(bool showDemoControls)
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
