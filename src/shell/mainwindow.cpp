// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/mainwindow.h"

#include "acquisition/demosamplesource.h"
#include "acquisition/portdiscovery.h"
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
#include "recording/loglock.h"
#include "recording/recordingsession.h"
#include "shell/loadlogcommand.h"
#include "shell/optionlists.h"
#include "shell/preferences.h"
#include "shell/prompter.h"
#include "shell/recordingcontroller.h"
#include "shell/splitter.h"
#include "shell/statuspanels.h"
#include "shell/unitpicture.h"
#include "shell/windowaccessibility.h"
#include "widgets/keyedtoolbar.h"
#include "widgets/logpaneview.h"
#include "widgets/messageboxnotifier.h"
#include "widgets/paintpacer.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QVBoxLayout>

namespace orvel {

namespace {

const QString DefaultLogFileName = QStringLiteral("OrveaLog.txt");
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
    buildLogFrame(m_splitter);
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
    m_splitter->setMinBorder(m_logToolbar->sizeHint().height() + 24);
    m_splitter->setMaxBorder(statusBar()->sizeHint().height());

    m_controller = new RecordingController(
        {*this, *m_logToolbar, *m_chartToolbar, *m_comPortLabel, *m_comPortComboBox,
         *m_stopAfterComboBox, *m_displayPeriodComboBox, *m_logFileTextBox, *m_fileOpenButton,
         *m_deleteLogCheckBox, *m_logPane, *m_statusPanels},
        {*m_session, *m_processor, *m_logFolder, *m_prompter, *m_notifier, m_environment.portMap,
         m_environment.notifier},
        this);
    // Installs itself as the LoadLog command and the Browse button's handler.
    new LoadLogCommand({*this, *statusBar(), *m_statusPanels, *m_logToolbar, *m_logFileTextBox,
                        *m_fileOpenButton, *m_logPane, *m_displayPeriodComboBox,
                        *m_stopAfterComboBox, *m_processor, *m_controller, *m_prompter, *m_notifier,
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

void MainWindow::buildLogFrame(QWidget *parent)
{
    QWidget *frame = framed(parent, QStringLiteral("LogFrame"));
    auto *grid = new QGridLayout(frame);
    grid->setContentsMargins(Margin, Margin, Margin, Margin);
    grid->setSpacing(Margin);

    m_logToolbar = new KeyedToolbar(QStringLiteral("LogToolbar"), frame);
    m_logToolbar->addButton(QStringLiteral("AlwaysOnTop"), QStringLiteral("Always on top"),
                            QStringLiteral("Unchecked"), true);
    m_logToolbar->addButton(QStringLiteral("LoadLogOnStartup"),
                            QStringLiteral("Load log on startup"), QStringLiteral("Unchecked"),
                            true);
    m_logToolbar->addKeyedSeparator(QStringLiteral("FirstSeparator"));
    m_logToolbar->addButton(QStringLiteral("LoadLog"), QStringLiteral("Load log"),
                            QStringLiteral("LoadLog"));
    m_logToolbar->addButton(QStringLiteral("ClearLog"), QStringLiteral("Clear log"),
                            QStringLiteral("ClearLog"));
    m_logToolbar->addKeyedSeparator();
    m_logToolbar->addButton(QStringLiteral("Record"), QStringLiteral("Record (Ctl+S)"),
                            QStringLiteral("Record"));
    m_logToolbar->addButton(QStringLiteral("RecordDemo"),
                            QStringLiteral("Record Demonstration (Ctl+M) (DEMO ONLY)"),
                            QStringLiteral("Record"));
    m_logToolbar->addButton(QStringLiteral("DownloadHistory"),
                            QStringLiteral("Download history (Ctl+D)"),
                            QStringLiteral("DownloadHistory"));
    m_logToolbar->addKeyedSeparator();
    m_logToolbar->addButton(QStringLiteral("About"),
                            QStringLiteral("About ") + QStringLiteral("Orvel Logger"),
                            QStringLiteral("About"));
    m_logToolbar->addKeyedSeparator(QStringLiteral("LastSeparator"));

    // The port and stop-after lists sit on the log toolbar, right of its buttons.
    m_comPortLabel = new QLabel(QStringLiteral("&Port:"), m_logToolbar);
    m_comPortLabel->setObjectName(QStringLiteral("ComPortLabel"));
    m_comPortLabel->setContentsMargins(Margin, 0, Margin / 2, 0);
    m_comPortComboBox = new QComboBox(m_logToolbar);
    m_comPortComboBox->setObjectName(QStringLiteral("ComPortComboBox"));
    m_comPortComboBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_comPortLabel->setBuddy(m_comPortComboBox);
    auto *stopAfterLabel = new QLabel(QStringLiteral("&Stop After:"), m_logToolbar);
    stopAfterLabel->setObjectName(QStringLiteral("StopAfterLabel"));
    stopAfterLabel->setContentsMargins(Margin * 3 / 2, 0, Margin / 2, 0);
    m_stopAfterComboBox = new QComboBox(m_logToolbar);
    m_stopAfterComboBox->setObjectName(QStringLiteral("StopAfterComboBox"));
    m_stopAfterComboBox->setToolTip(QStringLiteral("Select 'Continuous' for non-stop recording"));
    stopAfterLabel->setBuddy(m_stopAfterComboBox);
    m_logToolbar->addWidget(m_comPortLabel);
    m_logToolbar->addWidget(m_comPortComboBox);
    m_logToolbar->addWidget(stopAfterLabel);
    m_logToolbar->addWidget(m_stopAfterComboBox);
    grid->addWidget(m_logToolbar, 0, 0, 1, 3);

    // Left: the unit and its latest counts.
    auto *unitColumn = new QVBoxLayout;
    m_unitPicture = new UnitPicture(frame);
    unitColumn->addWidget(m_unitPicture, 1);
    const auto countLabel = [&](const QString &caption, const QString &name) {
        auto *captionLabel = new QLabel(caption, frame);
        captionLabel->setAlignment(Qt::AlignHCenter);
        auto *label = new QLabel(QStringLiteral("0"), frame);
        label->setObjectName(name);
        label->setAlignment(Qt::AlignHCenter);
        QFont font = label->font();
        font.setPointSizeF(font.pointSizeF() * 1.5);
        font.setBold(true);
        label->setFont(font);
        unitColumn->addWidget(captionLabel);
        unitColumn->addWidget(label);
        return label;
    };
    m_smallCountLabel = countLabel(QStringLiteral("Small"), QStringLiteral("SmallCountLabel"));
    m_largeCountLabel = countLabel(QStringLiteral("Large"), QStringLiteral("LargeCountLabel"));
    unitColumn->addStretch(0);
    grid->addLayout(unitColumn, 1, 0, 3, 1);

    m_logFileTextBox = new QLineEdit(frame);
    m_logFileTextBox->setObjectName(QStringLiteral("LogFileTextBox"));
    m_logFileTextBox->setToolTip(QStringLiteral("The log file"));
    m_fileOpenButton = new QPushButton(QStringLiteral("Browse"), frame);
    m_fileOpenButton->setObjectName(QStringLiteral("FileOpenButton"));
    m_deleteLogCheckBox = new QCheckBox(QStringLiteral("Delete log before recording"), frame);
    m_deleteLogCheckBox->setObjectName(QStringLiteral("DeleteLogCheckBox"));
    m_logPane = new LogPaneView(frame);
    m_logPane->setObjectName(QStringLiteral("LogRichTextBox"));

    grid->addWidget(m_logFileTextBox, 1, 1);
    grid->addWidget(m_fileOpenButton, 1, 2);
    grid->addWidget(m_deleteLogCheckBox, 2, 1, 1, 2);
    grid->addWidget(m_logPane, 3, 1, 1, 2);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(1, 1);
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
    m_logWriter->setPane(m_logPane);

    connect(m_chartToolbar, &ChartToolbar::loadGraphDataRequested, this, [this] {
        loadTestGraphData();
        m_controller->RefreshControlStates();
    });
    connect(m_chartToolbar, &ChartToolbar::clearGraphDataRequested, this, [this] {
        clearTestGraphData();
        m_controller->RefreshControlStates();
    });

    auto *countPacer = new PaintPacer({m_largeCountLabel, m_smallCountLabel}, this);
    connect(m_processor, &SampleProcessor::countTextsChanged, this,
            [this, countPacer](const QString &largeText, const QString &smallText) {
                countPacer->aboutToChange(); // painted at most once a frame
                m_largeCountLabel->setText(largeText);
                m_smallCountLabel->setText(smallText);
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
    const DeviceIdentities &identities =
        m_environment.identities ? *m_environment.identities : DeviceIdentities::system();
    for (const PortEntry &entry : PortDiscovery(*m_serialPort).probe()) {
        m_comPortComboBox->addItem(entry.text, entry.portNumber);
        const int index = m_comPortComboBox->count() - 1;
        // The device, which physical adapter it is, and why it could not be opened.
        QStringList tip{entry.devicePath};
        const UsbIdentity identity = identities.identityOf(entry.devicePath);
        if (identity.isValid())
            tip << identity.text();
        if (!entry.detail.isEmpty())
            tip << entry.detail;
        m_comPortComboBox->setItemData(index, tip.join(u'\n'), Qt::ToolTipRole);
        m_comPortComboBox->setItemData(index, entry.devicePath, DevicePathRole);
    }
}

int MainWindow::selectedPortNumber() const
{
    return m_controller->selectedPortNumber();
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
