#include "shell/recordingcontroller.h"

#include "acquisition/demosamplesource.h"
#include "acquisition/receivehandler.h"
#include "acquisition/serialport.h"
#include "charting/charttoolbar.h"
#include "charting/sampleprocessor.h"
#include "common/failure.h"
#include "common/notifier.h"
#include "history/downloadhistorydialog.h"
#include "logfile/logfolder.h"
#include "logfile/logwriter.h"
#include "widgets/keyedtoolbar.h"
#include "widgets/logpaneview.h"
#include "shell/mainwindow.h"
#include "shell/prompter.h"
#include "shell/statuspanels.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>

namespace orvel {

namespace {

const QString AppTitle = QStringLiteral("Orvel Logger");
const QString RecordToolTip = QStringLiteral("Record (Ctl+S)");
const QString StopToolTip = QStringLiteral("Stop recording (Ctl+S)");
const QString RecordDemoToolTip = QStringLiteral("Record Demonstration (Ctl+M) (DEMO ONLY)");

} // namespace

RecordingController::RecordingController(MainWindow &window)
    : QObject(&window)
    , m_window(window)
{
    // The shortcuts work whichever control of the window has the focus.
    qApp->installEventFilter(this);

    connect(m_window.logToolbar(), &KeyedToolbar::buttonClicked, this,
            &RecordingController::LogToolbar_ButtonClick);

    ChartToolbar *chartToolbar = m_window.chartToolbar();
    connect(chartToolbar, &ChartToolbar::loadGraphDataRequested, this, [this] {
        m_window.loadTestGraphData();
        RefreshControlStates();
    });
    connect(chartToolbar, &ChartToolbar::clearGraphDataRequested, this, [this] {
        m_window.clearTestGraphData();
        RefreshControlStates();
    });
    m_chartTestData = [chartToolbar](bool enabled, bool visible) {
        chartToolbar->setDemoButtonsVisible(visible);
        chartToolbar->button(QStringLiteral("LoadGraphData"))->setEnabled(enabled);
        chartToolbar->button(QStringLiteral("ClearGraphData"))->setEnabled(enabled);
    };
    connect(&m_window.processor(), &SampleProcessor::stopLimitReached, this,
            [this] { LogToolbar_ButtonClick(QStringLiteral("Record")); });
    connect(&m_window.serialPort(), &SerialPort::portLost, this, &RecordingController::portLost);
    connect(m_window.StopAfterComboBox(), &QComboBox::currentIndexChanged, this,
            &RecordingController::StopAfterComboBox_Click);
    connect(m_window.LogFileTextBox(), &QLineEdit::textChanged, this,
            &RecordingController::RefreshControlStates);
    connect(m_window.LogRichTextBox(), &LogPaneView::textChanged, this, [this] {
        m_window.logToolbar()
            ->button(QStringLiteral("ClearLog"))
            ->setEnabled(!m_window.LogRichTextBox()->isEmpty());
    });
}

bool RecordingController::IsRecording() const
{
    return m_window.processor().IsRecording();
}

bool RecordingController::IsDemo() const
{
    return m_window.processor().IsDemo();
}

QString RecordingController::logPath() const
{
    return m_window.LogFileTextBox()->text();
}

void RecordingController::LogToolbar_ButtonClick(const QString &key)
{
    KeyedToolbar *toolbar = m_window.logToolbar();
    try {
        if (key == QStringLiteral("AlwaysOnTop")) {
            const bool pressed = toolbar->button(key)->isChecked();
            toolbar->setImage(key,
                              pressed ? QStringLiteral("Checked") : QStringLiteral("Unchecked"));
            applyAlwaysOnTop(pressed);
        } else if (key == QStringLiteral("LoadLogOnStartup")) {
            const bool pressed = toolbar->button(key)->isChecked();
            toolbar->setImage(key,
                              pressed ? QStringLiteral("Checked") : QStringLiteral("Unchecked"));
        } else if (key == QStringLiteral("LoadLog")) {
            if (m_loadLog)
                m_loadLog();
        } else if (key == QStringLiteral("ClearLog")) {
            m_window.LogRichTextBox()->clear();
        } else if (key == QStringLiteral("RecordDemo")) {
            recordDemo();
        } else if (key == QStringLiteral("Record")) {
            record();
        } else if (key == QStringLiteral("DownloadHistory")) {
            downloadHistory();
        }
        // About: nothing to do.
    } catch (const Failure &failure) {
        if (key == QStringLiteral("Record") || key == QStringLiteral("RecordDemo")) {
            // A failed start leaves nothing open and the program idle.
            m_window.demoSource().SampleTimer().stop();
            m_window.serialPort().setPortOpen(false);
            m_window.logWriter().close();
            closeDebugCapture();
            resetRecordButton();
            m_window.processor().setIsRecording(false);
            m_window.processor().setIsDemo(false);
            m_window.statusPanels().ShowWaitingForData(false);
        }
        m_window.notifier().showError(failure.description());
    }
    m_window.unsetCursor();
    RefreshControlStates();
}

void RecordingController::record()
{
    QCheckBox *deleteLog = m_window.DeleteLogCheckBox();
    if (deleteLog->isChecked() && !confirmLogDeletion()) {
        m_window.processor().setIsDemo(false);
        return;
    }
    deleteLog->setChecked(false);
    if (IsRecording())
        stopRecording();
    else
        startRecording();
}

bool RecordingController::confirmLogDeletion()
{
    const QString path = logPath();
    const bool exists = QFileInfo::exists(path);
    const QString question =
        exists ? QStringLiteral("Please confirm log file deletion.  All "
                                "data saved in this log will be lost.")
               : QStringLiteral("The log file does not appear to exist.  It may "
                                "have been moved or deleted outside of this program.");
    if (m_window.prompter().ask(QMessageBox::Warning, QStringLiteral("Delete Log"), question,
                                QMessageBox::Ok | QMessageBox::Cancel,
                                QMessageBox::Cancel) != QMessageBox::Ok) {
        return false;
    }
    if (exists) {
        QFile file(path);
        file.setPermissions(file.permissions() | QFileDevice::WriteOwner);
        if (!file.remove()) {
            throw Failure(75, QStringLiteral("Record"),
                          QStringLiteral("Cannot delete the log file '%1': %2")
                              .arg(path, file.errorString()));
        }
    }
    m_window.LogRichTextBox()->clear();
    return true;
}

void RecordingController::stopRecording()
{
    SampleProcessor &processor = m_window.processor();
    if (IsDemo())
        m_window.demoSource().SampleTimer().stop();
    else if (m_window.serialPort().PortOpen())
        m_window.serialPort().setPortOpen(false);
    m_window.logWriter().WriteSummary(processor.SampleCount(), processor.statistics(),
                                      processor.formats());
    m_window.logWriter().close();
    closeDebugCapture();
    m_window.statusPanels().ShowWaitingForData(false);
    resetRecordButton();
    m_window.statusPanels().setText(QStringLiteral("Message"), QString());
    processor.setIsRecording(false);
    processor.setIsDemo(false);
}

void RecordingController::startRecording()
{
    // A demonstration never opens the port, so it runs on a machine without any port too.
    if (!IsDemo() && m_window.ComPortComboBox()->currentIndex() < 0)
        throw Failure(5, QStringLiteral("Record"),
                      QStringLiteral("Please select a COM port first."));

    const QString folder = QFileInfo(logPath()).absolutePath();
    if (!QFileInfo(folder).isDir())
        LogFolder::CreateFolderPath(folder);

    if (m_debugMode) {
        closeDebugCapture();
        m_debugStream.setFileName(QDir(m_window.logFolder().path()).filePath(DebugLogFileName));
        if (!m_debugStream.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
            throw Failure(75, QStringLiteral("Record"),
                          QStringLiteral("Cannot open the debug capture '%1': %2")
                              .arg(m_debugStream.fileName(), m_debugStream.errorString()));
        }
    }

    SerialPort &port = m_window.serialPort();
    if (!IsDemo()) {
        port.setCommPort(m_window.selectedPortNumber());
        port.setInputMode(SerialPort::InputMode::Text);
        port.setRThreshold(0);
        port.setPortOpen(true);
        port.setOutBufferCount(0);
        port.setInBufferCount(0);
    }

    SampleProcessor &processor = m_window.processor();
    processor.ProcessSample(SampleReset);
    m_window.logWriter().open(logPath());
    m_window.statusPanels().ShowWaitingForData(true);

    KeyedToolbar *toolbar = m_window.logToolbar();
    toolbar->setImage(QStringLiteral("Record"), QStringLiteral("PauseRecording"));
    toolbar->button(QStringLiteral("Record"))->setToolTip(StopToolTip);
    toolbar->setImage(QStringLiteral("RecordDemo"), QStringLiteral("PauseRecording"));
    toolbar->button(QStringLiteral("RecordDemo"))->setToolTip(StopToolTip);

    processor.setIsRecording(true);
    if (IsDemo()) {
        m_window.demoSource().SampleTimer().start();
    } else {
        m_window.receiveHandler().setDebugCapture(m_debugStream.isOpen() ? &m_debugStream
                                                                         : nullptr);
        port.setRThreshold(1);
    }
}

void RecordingController::recordDemo()
{
    SampleProcessor &processor = m_window.processor();
    if (IsRecording()) {
        LogToolbar_ButtonClick(QStringLiteral("Record"));
        processor.setIsDemo(false);
        return;
    }
    const int seconds = DemoSampleSource::SampleIntervalMs / 1000;
    const QString text =
        QStringLiteral("Demontration will start.  Simulated random samples will be "
                       "received ") +
        QStringLiteral("every %1 seconds.").arg(seconds);
    if (m_window.prompter().ask(QMessageBox::Information, QStringLiteral("Demontration Mode"), text,
                                QMessageBox::Ok | QMessageBox::Cancel,
                                QMessageBox::Ok) == QMessageBox::Ok) {
        processor.setIsDemo(true);
        LogToolbar_ButtonClick(QStringLiteral("Record"));
    }
}

void RecordingController::downloadHistory()
{
    KeyedToolbar *toolbar = m_window.logToolbar();
    for (const char *key : {"DownloadHistory", "LoadLog", "ClearLog", "Record", "RecordDemo"})
        toolbar->button(QLatin1String(key))->setEnabled(false);
    if (m_downloadHistory) {
        m_downloadHistory();
        return;
    }
    DownloadHistoryDialog::Context context;
    context.parent = &m_window;
    context.portNumber = m_window.selectedPortNumber();
    context.portMap = m_window.environment().portMap;
    context.isDebug = m_debugMode;
    context.debugHistoryFileName = DebugHistoryFileName;
    context.logPath = logPath();
    context.logFolder = &m_window.logFolder();
    context.mainPane = m_window.LogRichTextBox();
    // Null on the desktop: the window titles its own message boxes "Download History".
    context.notifier = m_window.environment().notifier;
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

void RecordingController::resetRecordButton()
{
    KeyedToolbar *toolbar = m_window.logToolbar();
    toolbar->setImage(QStringLiteral("Record"), QStringLiteral("Record"));
    toolbar->button(QStringLiteral("Record"))->setToolTip(RecordToolTip);
    toolbar->setImage(QStringLiteral("RecordDemo"), QStringLiteral("Record"));
    toolbar->button(QStringLiteral("RecordDemo"))->setToolTip(RecordDemoToolTip);
}

void RecordingController::closeDebugCapture()
{
    m_window.receiveHandler().setDebugCapture(nullptr);
    if (m_debugStream.isOpen())
        m_debugStream.close();
}

void RecordingController::portLost(const QString &description)
{
    if (!IsRecording() || IsDemo())
        return;
    const QString port = m_window.ComPortComboBox()->currentText();
    const QString device = m_window.serialPort().devicePath();
    LogToolbar_ButtonClick(QStringLiteral("Record"));
    m_window.notifier().showError(
        QStringLiteral("The port %1 (%2) is no longer available: %3\n\nThe recording has been "
                       "stopped. Every reading received until then is in the log file '%4', "
                       "which has been closed with its summary.")
            .arg(port, device, description, logPath()));
}

void RecordingController::applyAlwaysOnTop(bool onTop)
{
    // Through the native window, so the window is neither hidden, moved nor resized.
    if (QWindow *handle = m_window.windowHandle())
        handle->setFlag(Qt::WindowStaysOnTopHint, onTop);
    else
        m_window.setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
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

    const QAction *button = m_window.logToolbar()->button(buttonKey);
    const bool usable = button->isVisible() && button->isEnabled();
    const bool loading = m_loadLogBusy && m_loadLogBusy();
    if (usable || (key == Qt::Key_M && !IsRecording() && !loading))
        LogToolbar_ButtonClick(buttonKey);
    return true;
}

void RecordingController::toggleDebugMode()
{
    m_debugMode = !m_debugMode;
    QString text;
    if (m_debugMode) {
        const QString folderName = QFileInfo(m_window.logFolder().path()).fileName();
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
    m_window.prompter().ask(QMessageBox::Information, QStringLiteral("Debug Mode"), text,
                            QMessageBox::Ok, QMessageBox::Ok);
}

void RecordingController::StopAfterComboBox_Click()
{
    if (m_stopAfterBusy)
        return;
    QComboBox *list = m_window.StopAfterComboBox();
    SampleProcessor &processor = m_window.processor();
    const int index = list->currentIndex();
    const qint32 newLimit = index < 0 ? 0 : list->itemData(index).toInt();
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
        if (m_window.prompter().ask(
                QMessageBox::Warning, QStringLiteral("Change Sample Stop Limit"), text,
                QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel) != QMessageBox::Ok) {
            m_stopAfterBusy = true;
            list->setCurrentIndex(m_stopAfterPreviousIndex);
            m_stopAfterBusy = false;
            return;
        }
    }

    processor.setStopAfterLimit(newLimit);
    if (newLimit >= 1 && processor.SampleCount() <= newLimit)
        m_window.DisplayPeriodComboBox()->setCurrentIndex(index - 1);
    m_stopAfterPreviousIndex = index;
}

void RecordingController::RefreshControlStates()
{
    const bool recording = IsRecording();
    const bool logExists = QFileInfo(logPath()).isFile();
    m_window.setWindowTitle(recording ? AppTitle + QStringLiteral(" (recording)") : AppTitle);

    m_window.ComPortLabel()->setEnabled(!recording);
    m_window.ComPortComboBox()->setEnabled(!recording);

    QCheckBox *deleteLog = m_window.DeleteLogCheckBox();
    deleteLog->setEnabled(!recording && logExists);
    if (!deleteLog->isEnabled())
        deleteLog->setChecked(false);

    m_window.LogFileTextBox()->setEnabled(!recording);
    m_window.FileOpenButton()->setEnabled(!recording);

    KeyedToolbar *toolbar = m_window.logToolbar();
    toolbar->button(QStringLiteral("LoadLog"))->setEnabled(logExists);
    toolbar->button(QStringLiteral("ClearLog"))->setEnabled(!m_window.LogRichTextBox()->isEmpty());
    toolbar->button(QStringLiteral("Record"))->setEnabled(true);
    toolbar->button(QStringLiteral("RecordDemo"))->setEnabled(true);
    toolbar->button(QStringLiteral("DownloadHistory"))->setEnabled(!recording);
    if (downloadOpen() || (m_loadLogBusy && m_loadLogBusy())) {
        for (const char *key : {"DownloadHistory", "LoadLog", "ClearLog", "Record", "RecordDemo"})
            toolbar->button(QLatin1String(key))->setEnabled(false);
    }

    if (m_chartTestData)
        m_chartTestData(!recording && !(m_loadLogBusy && m_loadLogBusy()), m_showDemoControls);

    m_window.processor().UpdateSlider();
}

void RecordingController::ArrangeToolbars(bool showDemoControls)
{
    m_showDemoControls = showDemoControls;
    KeyedToolbar *toolbar = m_window.logToolbar();
    for (const char *key : {"AlwaysOnTop", "LoadLogOnStartup", "FirstSeparator"})
        toolbar->button(QLatin1String(key))->setVisible(true);
    toolbar->button(QStringLiteral("Record"))->setVisible(!showDemoControls);
    toolbar->button(QStringLiteral("RecordDemo"))->setVisible(showDemoControls);
    if (m_chartTestData)
        m_chartTestData(!IsRecording(), showDemoControls);
}

bool RecordingController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != &m_window)
        return false;
    const auto *keyEvent = static_cast<QKeyEvent *>(event);
    if (keyEvent->isAutoRepeat())
        return false;
    return Form_KeyDown(keyEvent->key(), keyEvent->modifiers());
}

} // namespace orvel
