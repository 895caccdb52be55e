// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "shell/logframe.h"
#include "shell/portlist.h"
#include "shell/shellenvironment.h"

#include <QMainWindow>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QToolBar;

namespace orvel {

class ChartControl;
class ChartDataModel;
class ChartToolbar;
class DemoSampleSource;
class KeyedToolbar;
class LogFolder;
class LogPaneView;
class LogWriter;
class MqttPublisher;
class Preferences;
class Prompter;
class ReceiveHandler;
class RecordingController;
class RecordingSession;
class SampleProcessor;
class SerialPort;
class SliderModel;
class Splitter;
class StatusPanels;
class UnitPicture;

/// The main window: the log area (log toolbar with the port and stop-after lists, the unit
/// picture, the log file box, the delete option and the log pane) above the chart area (chart
/// toolbar with the display period list, the chart and its slider), a splitter bar between them,
/// and the status bar. It owns the acquisition, processing and log objects and wires them
/// together; the log area's controls are built by its LogFrame, the commands live in the
/// RecordingController.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(ShellEnvironment environment = {}, QWidget *parent = nullptr);
    ~MainWindow() override;

    /// Port number of the selected port list entry, or 0 when nothing is selected.
    int selectedPortNumber() const { return portList()->selectedPortNumber(); }

    // The parts, for the commands and for tests.
    SerialPort &serialPort() { return *m_serialPort; }
    ReceiveHandler &receiveHandler() { return *m_receiveHandler; }
    SampleProcessor &processor() { return *m_processor; }
    LogWriter &logWriter() { return *m_logWriter; }
    LogFolder &logFolder() { return *m_logFolder; }
    ChartDataModel &chartModel() { return *m_chartModel; }
    SliderModel &sliderModel() { return *m_sliderModel; }
    DemoSampleSource &demoSource() { return *m_demoSource; }
    StatusPanels &statusPanels() { return *m_statusPanels; }
    RecordingController &controller() { return *m_controller; }
    RecordingSession &session() { return *m_session; }
    /// The stored preferences and the start-up and closing steps around them.
    Preferences &preferences() { return *m_preferences; }
    Notifier &notifier() { return *m_notifier; }
    Prompter &prompter() { return *m_prompter; }
    const ShellEnvironment &environment() const { return m_environment; }

    /// The log area above the splitter bar, with its controls.
    LogFrame *logFrame() const { return m_logFrame; }
    KeyedToolbar *logToolbar() const { return m_logFrame->logToolbar(); }
    ChartToolbar *chartToolbar() const { return m_chartToolbar; }
    ChartControl *chartControl() const { return m_chartControl; }
    QWidget *chartFrame() const { return m_chartFrame; }
    QWidget *chartArea() const { return m_chartArea; }
    Splitter *splitter() const { return m_splitter; }
    PortList *portList() const { return m_logFrame->portList(); }
    QLabel *ComPortLabel() const { return m_logFrame->comPortLabel(); }
    QComboBox *ComPortComboBox() const { return m_logFrame->portList(); }
    QComboBox *DisplayPeriodComboBox() const { return m_displayPeriodComboBox; }
    QComboBox *StopAfterComboBox() const { return m_logFrame->stopAfterList(); }
    QLineEdit *LogFileTextBox() const { return m_logFrame->logFileBox(); }
    QPushButton *FileOpenButton() const { return m_logFrame->fileOpenButton(); }
    QCheckBox *DeleteLogCheckBox() const { return m_logFrame->deleteLogBox(); }
    QLabel *LargeCountLabel() const { return m_logFrame->largeCountLabel(); }
    QLabel *SmallCountLabel() const { return m_logFrame->smallCountLabel(); }
    LogPaneView *LogRichTextBox() const { return m_logFrame->logPane(); }
    UnitPicture *UnitPictureBox() const { return m_logFrame->unitPicture(); }
    QSlider *ChartSlider() const { return m_chartSlider; }
    QLabel *numSamplesPanel() const;

    /// Fills the chart with a display period of generated readings (not logged), or empties it.
    void loadTestGraphData();
    void clearTestGraphData();

    /// The window's smallest size: the toolbars, the counts and the status bar still readable.
    static constexpr int MinimumWidth = 480;
    static constexpr int MinimumHeight = 360;

    /// The notice key of a broker problem.
    static inline const QString MqttNotice = QStringLiteral("Mqtt");
    /// The MQTT publisher while a broker is set, else null.
    MqttPublisher *publisher() const { return m_publisher; }

    /// Probes COM1 to COM16 and appends what it finds to the port list.
    void FillComPortList();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildChartFrame(QWidget *parent);
    void wireParts();
    void startPublishing();
    void syncSliderFromModel();
    void sliderChangedByUser(int value);
    void displayPeriodChanged(int index);
    void shutDown();

    ShellEnvironment m_environment;
    std::unique_ptr<Notifier> m_ownNotifier;
    Notifier *m_notifier = nullptr;
    std::unique_ptr<Prompter> m_ownPrompter;
    Prompter *m_prompter = nullptr;

    Preferences *m_preferences = nullptr;
    std::unique_ptr<LogFolder> m_logFolder;
    LogWriter *m_logWriter = nullptr;
    ChartDataModel *m_chartModel = nullptr;
    SliderModel *m_sliderModel = nullptr;
    SampleProcessor *m_processor = nullptr;
    SerialPort *m_serialPort = nullptr;
    ReceiveHandler *m_receiveHandler = nullptr;
    DemoSampleSource *m_demoSource = nullptr;
    StatusPanels *m_statusPanels = nullptr;
    RecordingSession *m_session = nullptr;
    MqttPublisher *m_publisher = nullptr; ///< null unless a broker is set
    RecordingController *m_controller = nullptr;

    Splitter *m_splitter = nullptr;
    KeyedToolbar *m_logToolbar = nullptr;
    ChartToolbar *m_chartToolbar = nullptr;
    ChartControl *m_chartControl = nullptr;
    QWidget *m_chartFrame = nullptr;
    LogFrame *m_logFrame = nullptr;
    QComboBox *m_displayPeriodComboBox = nullptr;
    QWidget *m_chartArea = nullptr;
    QSlider *m_chartSlider = nullptr;
    bool m_syncingSlider = false;
    bool m_wasMinimized = false;
    bool m_shutDown = false;
};

} // namespace orvel
