#include "shell/mainwindow.h"

#include "acquisition/portdiscovery.h"
#include "acquisition/receivehandler.h"
#include "acquisition/serialport.h"
#include "charting/chartdatamodel.h"
#include "charting/sampleprocessor.h"
#include "charting/slidermodel.h"
#include "logfile/logfolder.h"
#include "logfile/logwriter.h"
#include "shell/logpaneview.h"
#include "shell/messageboxnotifier.h"
#include "shell/optionlists.h"

#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QSplitter>
#include <QStatusBar>
#include <QToolTip>
#include <QVBoxLayout>

namespace orvel {

namespace {
const QString DefaultLogFileName = QStringLiteral("OrveaLog.txt");
}

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

    m_logFolder = std::make_unique<LogFolder>(m_environment.documentsFolder);
    m_logWriter = new LogWriter(*m_notifier, this);
    m_chartModel = new ChartDataModel(this);
    m_sliderModel = new SliderModel(this);
    m_processor =
        new SampleProcessor(*m_chartModel, *m_sliderModel, *m_logWriter, *m_notifier,
                            *m_environment.clock, LocaleFormats(m_environment.locale), this);
    m_serialPort = new SerialPort(m_environment.portMap, this);
    m_receiveHandler = new ReceiveHandler(m_serialPort, *m_notifier, this);

    buildWidgets();
    wireParts();

    FillOptionLists(m_displayPeriodComboBox, m_stopAfterComboBox);
    FillComPortList();
    if (m_comPortComboBox->count() > 0)
        m_comPortComboBox->setCurrentIndex(0);
    m_logFileTextBox->setText(QDir(m_logFolder->path()).filePath(DefaultLogFileName));

    m_processor->ProcessSample(SampleReset);
    // The lists were filled with their signals blocked: apply the selections now.
    displayPeriodChanged(m_displayPeriodComboBox->currentIndex());
    m_processor->setStopAfterLimit(m_stopAfterComboBox->currentData().toInt());
}

MainWindow::~MainWindow()
{
    m_serialPort->setPortOpen(false);
    m_logWriter->close();
}

void MainWindow::buildWidgets()
{
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);

    auto *options = new QHBoxLayout;
    m_comPortComboBox = new QComboBox(central);
    m_comPortComboBox->setObjectName(QStringLiteral("ComPortComboBox"));
    m_logFileTextBox = new QLineEdit(central);
    m_logFileTextBox->setObjectName(QStringLiteral("LogFileTextBox"));
    m_displayPeriodComboBox = new QComboBox(central);
    m_displayPeriodComboBox->setObjectName(QStringLiteral("DisplayPeriodComboBox"));
    m_stopAfterComboBox = new QComboBox(central);
    m_stopAfterComboBox->setObjectName(QStringLiteral("StopAfterComboBox"));
    m_stopAfterComboBox->setToolTip(QStringLiteral("Select 'Continuous' for non-stop recording"));

    const auto addLabelled = [&](const QString &caption, QWidget *field, int stretch = 0) {
        auto *label = new QLabel(caption, central);
        label->setBuddy(field);
        options->addWidget(label);
        options->addWidget(field, stretch);
    };
    addLabelled(QStringLiteral("Port:"), m_comPortComboBox);
    addLabelled(QStringLiteral("Display Period:"), m_displayPeriodComboBox);
    addLabelled(QStringLiteral("Stop After:"), m_stopAfterComboBox);
    options->addStretch(1);
    layout->addLayout(options);

    options = new QHBoxLayout;
    addLabelled(QStringLiteral("Log File:"), m_logFileTextBox, 1);
    layout->addLayout(options);

    auto *counts = new QHBoxLayout;
    const auto countLabel = [&](const QString &caption, const QString &name) {
        auto *label = new QLabel(QStringLiteral("0"), central);
        label->setObjectName(name);
        QFont font = label->font();
        font.setPointSizeF(font.pointSizeF() * 1.6);
        font.setBold(true);
        label->setFont(font);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
        counts->addWidget(new QLabel(caption, central));
        counts->addWidget(label);
        return label;
    };
    m_smallCountLabel = countLabel(QStringLiteral("Small:"), QStringLiteral("SmallCountLabel"));
    m_largeCountLabel = countLabel(QStringLiteral("Large:"), QStringLiteral("LargeCountLabel"));
    counts->addStretch(1);
    layout->addLayout(counts);

    auto *splitter = new QSplitter(Qt::Vertical, central);
    m_logPane = new LogPaneView(splitter);
    m_logPane->setObjectName(QStringLiteral("LogRichTextBox"));
    auto *chartBox = new QWidget(splitter);
    auto *chartLayout = new QVBoxLayout(chartBox);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    m_chartArea = new QFrame(chartBox);
    m_chartArea->setObjectName(QStringLiteral("ChartControl"));
    m_chartArea->setMinimumHeight(120);
    static_cast<QFrame *>(m_chartArea)->setFrameShape(QFrame::StyledPanel);
    m_chartSlider = new QSlider(Qt::Horizontal, chartBox);
    m_chartSlider->setObjectName(QStringLiteral("ChartSlider"));
    m_chartSlider->setTickPosition(QSlider::TicksBelow);
    chartLayout->addWidget(m_chartArea, 1);
    chartLayout->addWidget(m_chartSlider);
    splitter->addWidget(m_logPane);
    splitter->addWidget(chartBox);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 2);
    layout->addWidget(splitter, 1);

    setCentralWidget(central);

    m_numSamplesPanel = new QLabel(this);
    m_numSamplesPanel->setObjectName(QStringLiteral("NumSamples"));
    statusBar()->addPermanentWidget(m_numSamplesPanel);

    resize(900, 640);
}

void MainWindow::wireParts()
{
    m_logWriter->setPane(m_logPane);

    connect(m_receiveHandler, &ReceiveHandler::lineReceived, this,
            [this](const QString &line) { m_processor->ProcessSample(SampleNewLine, line); });
    connect(m_processor, &SampleProcessor::countTextsChanged, this,
            [this](const QString &largeText, const QString &smallText) {
                m_largeCountLabel->setText(largeText);
                m_smallCountLabel->setText(smallText);
                m_largeCountLabel->repaint();
                m_smallCountLabel->repaint();
            });
    connect(m_processor, &SampleProcessor::numSamplesTextChanged, m_numSamplesPanel,
            &QLabel::setText);

    // Until the recording controller takes this over, a vanished port is at least reported.
    connect(m_serialPort, &SerialPort::portLost, this,
            [this](const QString &description) { m_notifier->showError(description); });

    connect(m_sliderModel, &SliderModel::changed, this, &MainWindow::syncSliderFromModel);
    syncSliderFromModel();
    connect(m_chartSlider, &QSlider::valueChanged, this, &MainWindow::sliderChangedByUser);
    connect(m_displayPeriodComboBox, &QComboBox::currentIndexChanged, this,
            &MainWindow::displayPeriodChanged);
    connect(m_stopAfterComboBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_processor->setStopAfterLimit(index < 0 ? 0
                                                 : m_stopAfterComboBox->itemData(index).toInt());
    });
}

void MainWindow::FillComPortList()
{
    for (const PortEntry &entry : PortDiscovery(*m_serialPort).probe()) {
        m_comPortComboBox->addItem(entry.text, entry.portNumber);
        const QString tip = entry.detail.isEmpty()
                                ? entry.devicePath
                                : entry.devicePath + QStringLiteral("\n") + entry.detail;
        m_comPortComboBox->setItemData(m_comPortComboBox->count() - 1, tip, Qt::ToolTipRole);
    }
}

int MainWindow::selectedPortNumber() const
{
    const int index = m_comPortComboBox->currentIndex();
    return index < 0 ? 0 : m_comPortComboBox->itemData(index).toInt();
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
    if (m_chartSlider->isSliderDown()) {
        // The start sample and its time beside the thumb while it is dragged.
        const QPoint at = m_chartSlider->mapToGlobal(QPoint(
            QStyle::sliderPositionFromValue(m_chartSlider->minimum(), m_chartSlider->maximum(),
                                            value, m_chartSlider->width()),
            -m_chartSlider->height()));
        QToolTip::showText(at, m_sliderModel->text(), m_chartSlider);
    }
}

void MainWindow::displayPeriodChanged(int index)
{
    if (index < 0)
        m_processor->handleDisplayPeriodChanged(std::nullopt);
    else
        m_processor->handleDisplayPeriodChanged(m_displayPeriodComboBox->itemData(index).toInt());
}

} // namespace orvel
