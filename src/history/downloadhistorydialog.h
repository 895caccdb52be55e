// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "acquisition/portmap.h"
#include "history/historydownload.h"

#include <QDialog>
#include <QString>
#include <QTimer>

#include <memory>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace orvel {

class LogFolder;
class LogPane;
class Notifier;

/// The history download window, `frmDownloadHistory` ("Download History"): asks the counter unit
/// for its stored readings on a port of its own as soon as it is shown, shows them in its pane
/// and, on "&Append To Log", appends them to the log file and to the main window's log pane.
///
/// "&Append To Log" is enabled once the unit has sent its whole history. Cancel and the close box
/// write nothing; every way of closing closes the port and the debug capture. While the history
/// arrives a status line counts the records; when the unit stays silent it says so, and the
/// window keeps waiting until the user cancels. UI thread only.
class DownloadHistoryDialog : public QDialog
{
    Q_OBJECT
public:
    /// What the window takes from the main window.
    struct Context
    {
        QWidget *parent = nullptr; ///< the main window; the dialog is modal over it
        int portNumber = 0;        ///< the selected port (1-16); 0 when none is selected
        PortMap portMap;           ///< where the port numbers lead
        QString logPath;           ///< the log file "&Append To Log" writes to
        bool isDebug = false;      ///< write the raw capture during the download
        QString debugHistoryFileName = HistoryDownload::DefaultDebugHistoryFileName;
        LogFolder *logFolder = nullptr;  ///< folder of the capture file; must outlive the dialog
        LogPane *mainPane = nullptr; ///< the main window's log pane; must outlive the dialog
        /// Where failures are reported; null means message boxes titled "Download History".
        Notifier *notifier = nullptr;
    };

    /// The message when no port is selected.
    static const QString NoPortSelectedMessage;

    /// The entry point of the download command. Creates the window, sets `LogPath`, `IsDebug`
    /// and `DebugHistoryFileName`, and opens it window-modal over `context.parent` without
    /// blocking; the download starts right after the window appears. The window deletes itself
    /// when it closes; connect to `finished` to re-enable the caller's commands then.
    /// With no port selected (`portNumber` < 1) it reports `NoPortSelectedMessage` through
    /// `context.notifier` (a message box over the parent when null) and returns nullptr.
    static DownloadHistoryDialog *openModal(const Context &context);

    /// `portNumber`, `portMap`, `logFolder`, `mainPane` and `notifier` as in `Context`.
    DownloadHistoryDialog(int portNumber, const PortMap &portMap, LogFolder *logFolder,
                          LogPane *mainPane, Notifier *notifier, QWidget *parent = nullptr);
    ~DownloadHistoryDialog() override;

    // Properties set by the main window before it shows the window.
    void setLogPath(const QString &FilePath) { m_logPath = FilePath; }
    void setIsDebug(bool isDebug);
    void setDebugHistoryFileName(const QString &name);
    QString LogPath() const { return m_logPath; }

    // The parts, for tests.
    HistoryDownload &download() { return *m_download; }
    QPlainTextEdit *RichTextBox() const { return m_richTextBox; }
    QPushButton *AppendToLog() const { return m_appendToLog; }
    QPushButton *CancelButton() const { return m_cancelButton; }
    QLabel *statusLabel() const { return m_statusLabel; }
    QTimer &DownloadStartTimer() { return m_downloadStartTimer; }

    /// Closes the port and the capture file (ignoring failures), then closes the window.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildWidgets();
    void DownloadStartTimer_Timer();
    void AppendToLog_Click();
    void updateStatus();
    Notifier &notifier() const;

    std::unique_ptr<Notifier> m_ownNotifier;
    Notifier *m_notifier = nullptr;
    HistoryDownload *m_download = nullptr;
    LogPane *m_mainPane = nullptr;
    int m_portNumber = 0;
    QString m_logPath;
    bool m_shown = false;
    bool m_startFailed = false;

    QPlainTextEdit *m_richTextBox = nullptr;
    QPushButton *m_appendToLog = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QLabel *m_statusLabel = nullptr;
    QTimer m_downloadStartTimer;
};

} // namespace orvel
