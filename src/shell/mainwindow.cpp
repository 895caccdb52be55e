// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/mainwindow.h"

#include "acquisition/demosamplesource.h"
#include "acquisition/receivehandler.h"
#include "acquisition/serialport.h"
#include "charting/chartcontrol.h"
#include "charting/chartdatamodel.h"
#include "charting/charttoolbar.h"
#include "charting/sampleprocessor.h"
#include "charting/slidermodel.h"
#include "logfile/logfolder.h"
#include "logfile/logwriter.h"
#include "mqtt/mqttpublisher.h"
#include "mqtt/mqttreadingfeed.h"
#include "mqtt/mqttsettings.h"
#include "recording/recordingsession.h"
#include "shell/loadlogcommand.h"
#include "shell/preferences.h"
#include "shell/prompter.h"
#include "shell/recordingcontroller.h"
#include "shell/splitter.h"
#include "shell/statuspanels.h"
#include "shell/windowaccessibility.h"
#include "widgets/logpaneview.h"
#include "widgets/messageboxnotifier.h"
#include "widgets/paintpacer.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QStatusBar>
#include <QVBoxLayout>

namespace orvel {

namespace {

// The layout margin: 120 twips, 8 pixels at 96 dots per inch.
constexpr int Margin = 8;

QWidget *framed(QWidget *parent, const QString &name)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::StyledPanel);
    return frame;
}

} // namespace

MainWindow::MainWindow(ShellEnvironment environment, QWidget *parent)
    : QMainWindow(parent)
    , m_environment(std::move(environment))
{
    setWindowTitle(QStringLiteral("Orvel Logger"));
    setLocale(m_environment.locale);

    if (m_environment.notifier) {
        m_notifier = m_environment.notifier;
    } else {
        m_ownNotifier = std::make_unique<MessageBoxNotifier>(this);
        m_notifier = m_ownNotifier.get();
    }
    if (m_environment.prompter) {
        m_prompter = m_environment.prompter;
    } else {
        m_ownPrompter = std::make_unique<MessageBoxPrompter>(this);
        m_prompter = m_ownPrompter.get();
    }

    // The settings store, and the ports it points elsewhere, before anything opens a port.
    m_preferences = new Preferences(*this, m_environment.configFolder);
    m_preferences->ReadPortOverrides(m_environment.portMap);

    m_logFolder = std::make_unique<LogFolder>(m_environment.documentsFolder);
    m_logWriter = new LogWriter(*m_notifier, this);
    m_chartModel = new ChartDataModel(this);
    m_sliderModel = new SliderModel(this);
    m_processor =
        new SampleProcessor(*m_chartModel, *m_sliderModel, *m_logWriter, *m_notifier,
                            *m_environment.clock, LocaleFormats(m_environment.locale), this);
    m_serialPort = new SerialPort(m_environment.portMap, this);
    m_receiveHandler = new ReceiveHandler(m_serialPort, *m_notifier, this);
    m_demoSource = new DemoSampleSource(this);
    m_session = new RecordingSession(
        {*m_serialPort, *m_receiveHandler, *m_demoSource, *m_processor, *m_logWriter, *m_notifier,
         *m_environment.clock,
         m_environment.identities ? *m_environment.identities : DeviceIdentities::system()},
        this);

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(Margin, Margin, Margin, 0);
    m_splitter = new Splitter(central);
    m_logFrame = new LogFrame(m_splitter);
    buildChartFrame(m_splitter);
    m_splitter->setStretchFactor(0, 2);
    m_splitter->setStretchFactor(1, 3);
    layout->addWidget(m_splitter);
    setCentralWidget(central);

    m_statusPanels = new StatusPanels(
        statusBar(), *m_environment.clock, m_processor->formats(),
        [this] { return m_processor->IsRecording(); }, this);
    m_statusPanels->setText(QStringLiteral("Version"),
                            QStringLiteral("Version ") + QStringLiteral(ORVEL_VERSION));
    m_splitter->setMinBorder(logToolbar()->sizeHint().height() + 24);
    m_splitter->setMaxBorder(statusBar()->sizeHint().height());

    m_controller = new RecordingController(
        {*this, *logToolbar(), *m_chartToolbar, *ComPortLabel(), *portList(), *StopAfterComboBox(),
         *m_displayPeriodComboBox, *LogFileTextBox(), *FileOpenButton(), *DeleteLogCheckBox(),
         *LogRichTextBox(), *m_statusPanels},
        {*m_session, *m_processor, *m_logFolder, *m_prompter, *m_notifier, m_environment.portMap,
         m_environment.notifier},
        this);
    // Installs itself as the LoadLog command and the Browse button's handler.
    new LoadLogCommand({*this, *statusBar(), *m_statusPanels, *logToolbar(), *LogFileTextBox(),
                        *FileOpenButton(), *LogRichTextBox(), *m_displayPeriodComboBox,
                        *StopAfterComboBox(), *m_processor, *m_controller, *m_prompter, *m_notifier,
                        m_environment.documentsFolder, m_environment.openFileName},
                       this);
    wireParts();
    startPublishing();
    new WindowAccessibility(*this); // accessible names, the slider's text

    // The size as built; the stored placement replaces it. Smaller than the minimum, the lists
    // and the log pane have no room left.
    setMinimumSize(MinimumWidth, MinimumHeight);
    resize(980, 720);
    m_preferences->Form_Load();
}

MainWindow::~MainWindow()
{
    shutDown();
}

void MainWindow::buildChartFrame(QWidget *parent)
{
    m_chartFrame = framed(parent, QStringLiteral("ChartFrame"));
    auto *chartLayout = new QVBoxLayout(m_chartFrame);
    chartLayout->setContentsMargins(Margin, Margin, Margin, Margin);
    chartLayout->setSpacing(Margin);

    m_chartControl = new ChartControl(*m_chartModel, m_chartFrame);
    m_chartToolbar = new ChartToolbar(*m_chartControl, m_chartFrame);
    auto *periodLabel = new QLabel(QStringLiteral("&Display Period:"), m_chartToolbar);
    periodLabel->setObjectName(QStringLiteral("DisplayPeriodLabel"));
    periodLabel->setContentsMargins(Margin, 0, Margin / 2, 0);
    m_displayPeriodComboBox = new QComboBox(m_chartToolbar);
    m_displayPeriodComboBox->setObjectName(QStringLiteral("DisplayPeriodComboBox"));
    periodLabel->setBuddy(m_displayPeriodComboBox);
    m_chartToolbar->addWidget(periodLabel);
    m_chartToolbar->addWidget(m_displayPeriodComboBox);

    m_chartArea = m_chartControl;
    // On a short window the chart gives way to the toolbar and the slider; its labels and
    // legend step aside first.
    m_chartArea->setMinimumHeight(0);
    m_chartSlider = new QSlider(Qt::Horizontal, m_chartFrame);
    m_chartSlider->setObjectName(QStringLiteral("ChartSlider"));
    m_chartSlider->setTickPosition(QSlider::TicksBelow);

    chartLayout->addWidget(m_chartToolbar);
    chartLayout->addWidget(m_chartArea, 1);
    chartLayout->addWidget(m_chartSlider);
}

QLabel *MainWindow::numSamplesPanel() const
{
    return m_statusPanels->panel(QStringLiteral("NumSamples"));
}

void MainWindow::wireParts()
{
    m_logWriter->setPane(LogRichTextBox());

    connect(m_chartToolbar, &ChartToolbar::loadGraphDataRequested, this, [this] {
        loadTestGraphData();
        m_controller->RefreshControlStates();
    });
    connect(m_chartToolbar, &ChartToolbar::clearGraphDataRequested, this, [this] {
        clearTestGraphData();
        m_controller->RefreshControlStates();
    });

    auto *countPacer = new PaintPacer({LargeCountLabel(), SmallCountLabel()}, this);
    connect(m_processor, &SampleProcessor::countTextsChanged, this,
            [this, countPacer](const QString &largeText, const QString &smallText) {
                countPacer->aboutToChange(); // painted at most once a frame
                m_logFrame->showCounts(largeText, smallText);
            });
    connect(m_processor, &SampleProcessor::numSamplesTextChanged, this,
            [this](const QString &text) {
                m_statusPanels->setText(QStringLiteral("NumSamples"), text);
            });

    connect(m_sliderModel, &SliderModel::changed, this, &MainWindow::syncSliderFromModel);
    syncSliderFromModel();
    connect(m_chartSlider, &QSlider::valueChanged, this, &MainWindow::sliderChangedByUser);

    m_chartControl->setNotifier(m_notifier);
    m_chartControl->setRowCaption([this](qint32 row) {
        // Row i of the chart shows the sample numbered ShownWindowStart + i - 1.
        const qint32 sample = m_processor->ShownWindowStart() + row - 1;
        const QDateTime time = m_processor->store().time(
            sample - m_processor->StoreIndex(StoreIndexKind::DroppedCount));
        return QStringLiteral("Sample ") + m_processor->formats().grouped(sample) +
               QStringLiteral(" (") + m_processor->FormatSampleTime(time, true) + QLatin1Char(')');
    });
    connect(m_displayPeriodComboBox, &QComboBox::currentIndexChanged, this,
            &MainWindow::displayPeriodChanged);
}

void MainWindow::startPublishing()
{
    const MqttSettings settings = MqttSettings::read(m_preferences->store());
    if (!settings.enabled())
        return;
    m_publisher = new MqttPublisher(this);
    // A broker that cannot be reached is told once and tried again in the background; the
    // notice goes away when it answers.
    connect(m_publisher, &MqttPublisher::errorOccurred, this, [this](const QString &problem) {
        m_notifier->showNotice(MqttNotice, QStringLiteral("MQTT: ") + problem +
                                               QStringLiteral("\n\nReadings are kept and sent "
                                                              "once the broker answers."));
    });
    connect(m_publisher, &MqttPublisher::connected, this,
            [this] { m_notifier->dismissNotice(MqttNotice); });
    if (!m_publisher->configure(settings.broker, settings.topic, settings.name))
        return;
    m_publisher->setProgram(QStringLiteral("Orvel Logger"), QStringLiteral(ORVEL_VERSION));
    new MqttReadingFeed(*m_processor, *m_publisher, this);
    m_publisher->start();
}

void MainWindow::FillComPortList()
{
    portList()->fill(*m_serialPort, m_environment.identities ? *m_environment.identities
                                                             : DeviceIdentities::system());
}

void MainWindow::syncSliderFromModel()
{
    m_syncingSlider = true;
    m_chartSlider->setRange(m_sliderModel->minimum(), m_sliderModel->maximum());
    m_chartSlider->setValue(m_sliderModel->value());
    m_chartSlider->setTickInterval(m_sliderModel->tickFrequency());
    m_chartSlider->setPageStep(std::max(1, m_sliderModel->tickFrequency()));
    m_chartSlider->setEnabled(m_sliderModel->isEnabled());
    m_syncingSlider = false;
}

void MainWindow::sliderChangedByUser(int value)
{
    if (m_syncingSlider || m_processor->SampleCount() == 0)
        return;
    m_sliderModel->setValue(value);
    m_processor->handleSliderMoved();
}

void MainWindow::displayPeriodChanged(int index)
{
    if (index < 0)
        m_processor->handleDisplayPeriodChanged(std::nullopt);
    else
        m_processor->handleDisplayPeriodChanged(m_displayPeriodComboBox->itemData(index).toInt());
}

void MainWindow::loadTestGraphData()
{
    m_processor->ProcessSample(SampleReset);
    m_statusPanels->setText(QStringLiteral("Message"),
                            QStringLiteral("Generating random chart data..."));
    const QDateTime start = m_environment.clock->now();
    const qint32 count = std::min(m_chartModel->rowCount(), SampleStore::MaxStoredSamples);
    for (qint32 i = 1; i <= count; ++i) {
        qint32 small = 0;
        qint32 large = 0;
        m_demoSource->GenerateDemoSample(small, large, false);
        m_processor->addLoadedSample(small * 100, large * 100, start.addSecs(60 * qint64(i - 1)));
    }
    m_processor->ProcessSample(SampleRedraw);
    m_statusPanels->setText(QStringLiteral("Message"), QString());
}

void MainWindow::clearTestGraphData()
{
    m_processor->ProcessSample(SampleReset);
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    // Some window managers drop the always-on-top state on a restore: apply it again.
    if (isMinimized()) {
        m_wasMinimized = true;
    } else if (m_wasMinimized) {
        m_wasMinimized = false;
        m_controller->LogToolbar_ButtonClick(QStringLiteral("AlwaysOnTop"));
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    shutDown();
    // Only an orderly close saves the preferences, after the summary of a running recording.
    m_preferences->SavePreferences();
    event->accept();
}

void MainWindow::shutDown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    // The recording ends as any other: summary, log, port and debug capture closed.
    m_session->stop();
    if (m_publisher) {
        // "offline" goes out while the window closes; the broker's last will says it otherwise.
        m_publisher->disconnect(this);
        m_notifier->dismissNotice(MqttNotice);
        m_publisher->stop();
    }
    m_statusPanels->ProgressAnimationTimer().stop();
    m_statusPanels->DownloadAnimationTimer().stop();
}

} // namespace orvel
