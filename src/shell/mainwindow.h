#pragma once

#include "shell/shellenvironment.h"

#include <QMainWindow>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;

namespace orvel {

class ChartDataModel;
class LogFolder;
class LogPaneView;
class LogWriter;
class ReceiveHandler;
class SampleProcessor;
class SerialPort;
class SliderModel;

/// The main window: hosts the port list, the count labels, the log pane, the option lists, the
/// chart area with its slider and the status bar, and wires them to the acquisition, processing
/// and log objects it owns. It delegates all logic to them.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(ShellEnvironment environment = {}, QWidget *parent = nullptr);
    ~MainWindow() override;

    /// Port number of the selected port list entry, or 0 when nothing is selected.
    int selectedPortNumber() const;

    // The parts, for the recording controller and for tests.
    SerialPort &serialPort() { return *m_serialPort; }
    ReceiveHandler &receiveHandler() { return *m_receiveHandler; }
    SampleProcessor &processor() { return *m_processor; }
    LogWriter &logWriter() { return *m_logWriter; }
    LogFolder &logFolder() { return *m_logFolder; }
    ChartDataModel &chartModel() { return *m_chartModel; }
    SliderModel &sliderModel() { return *m_sliderModel; }
    const ShellEnvironment &environment() const { return m_environment; }

    QComboBox *ComPortComboBox() const { return m_comPortComboBox; }
    QComboBox *DisplayPeriodComboBox() const { return m_displayPeriodComboBox; }
    QComboBox *StopAfterComboBox() const { return m_stopAfterComboBox; }
    QLineEdit *LogFileTextBox() const { return m_logFileTextBox; }
    QLabel *LargeCountLabel() const { return m_largeCountLabel; }
    QLabel *SmallCountLabel() const { return m_smallCountLabel; }
    LogPaneView *LogRichTextBox() const { return m_logPane; }
    QSlider *ChartSlider() const { return m_chartSlider; }
    QLabel *numSamplesPanel() const { return m_numSamplesPanel; }

    /// Probes COM1 to COM16 and appends what it finds to the port list.
    void FillComPortList();

private:
    void buildWidgets();
    void wireParts();
    void syncSliderFromModel();
    void sliderChangedByUser(int value);
    void displayPeriodChanged(int index);

    ShellEnvironment m_environment;
    std::unique_ptr<Notifier> m_ownNotifier;
    Notifier *m_notifier = nullptr;

    std::unique_ptr<LogFolder> m_logFolder;
    LogWriter *m_logWriter = nullptr;
    ChartDataModel *m_chartModel = nullptr;
    SliderModel *m_sliderModel = nullptr;
    SampleProcessor *m_processor = nullptr;
    SerialPort *m_serialPort = nullptr;
    ReceiveHandler *m_receiveHandler = nullptr;

    QComboBox *m_comPortComboBox = nullptr;
    QComboBox *m_displayPeriodComboBox = nullptr;
    QComboBox *m_stopAfterComboBox = nullptr;
    QLineEdit *m_logFileTextBox = nullptr;
    QLabel *m_largeCountLabel = nullptr;
    QLabel *m_smallCountLabel = nullptr;
    LogPaneView *m_logPane = nullptr;
    QWidget *m_chartArea = nullptr;
    QSlider *m_chartSlider = nullptr;
    QLabel *m_numSamplesPanel = nullptr;
    bool m_syncingSlider = false;
};

} // namespace orvel
