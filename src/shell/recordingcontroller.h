#pragma once

#include <QFile>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

namespace orvel {

class DownloadHistoryDialog;
class MainWindow;

/// Carries out the commands of the log toolbar and the keyboard shortcuts, owns the recording
/// state (`IsRecording`, `IsDemo` in the sample processor, `DebugMode`, the debug capture) and
/// keeps the controls' enabled states in step with it.
///
/// Every command goes through `LogToolbar_ButtonClick`, which reports a failure in a message box
/// and always ends with `RefreshControlStates`. UI thread only.
class RecordingController : public QObject
{
    Q_OBJECT
public:
    static inline const QString DebugLogFileName = QStringLiteral("~DebugLog.txt");
    static inline const QString DebugHistoryFileName = QStringLiteral("~DebugHistory.txt");

    explicit RecordingController(MainWindow &window);

    /// Runs the command of the log toolbar button `key`, as if it had been clicked.
    void LogToolbar_ButtonClick(const QString &key);
    /// Handles the main window's shortcuts; true when the key was one of them.
    bool Form_KeyDown(int key, Qt::KeyboardModifiers modifiers);
    /// A new choice in the stop-after list.
    void StopAfterComboBox_Click();
    /// Sets the caption and the enabled states from the recording state and the log file.
    void RefreshControlStates();
    /// Shows or hides the demonstration buttons of both toolbars.
    void ArrangeToolbars(bool showDemoControls);

    bool IsRecording() const;
    bool IsDemo() const;
    bool DebugMode() const { return m_debugMode; }
    bool ShowDemoControls() const { return m_showDemoControls; }
    bool StopAfterBusy() const { return m_stopAfterBusy; }
    int StopAfterPreviousIndex() const { return m_stopAfterPreviousIndex; }

    /// The history download window while it is open, else null.
    DownloadHistoryDialog *downloadWindow() const;
    bool downloadOpen() const;

    /// What LoadLog does (installed by the log loader). DownloadHistory opens the download window
    /// unless a handler replaces it.
    void setLoadLogHandler(std::function<void()> handler) { m_loadLog = std::move(handler); }
    /// Tells whether a log is still being loaded; meanwhile the conflicting commands stay disabled.
    void setLoadLogBusy(std::function<bool()> busy) { m_loadLogBusy = std::move(busy); }
    void setDownloadHistoryHandler(std::function<void()> handler)
    {
        m_downloadHistory = std::move(handler);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void record();
    void startRecording();
    void stopRecording();
    void recordDemo();
    void downloadHistory();
    bool confirmLogDeletion();
    void resetRecordButton();
    void closeDebugCapture();
    void portLost(const QString &description);
    void toggleDebugMode();
    void applyAlwaysOnTop(bool onTop);
    QString logPath() const;

    MainWindow &m_window;
    QFile m_debugStream;
    bool m_debugMode = false;
    bool m_showDemoControls = false;
    bool m_stopAfterBusy = false;
    int m_stopAfterPreviousIndex = 0;
    std::function<void()> m_loadLog;
    std::function<bool()> m_loadLogBusy;
    std::function<void()> m_downloadHistory;
    QPointer<DownloadHistoryDialog> m_download;
    /// Enables and shows the chart toolbar's test-data buttons.
    std::function<void(bool, bool)> m_chartTestData;
};

} // namespace orvel
