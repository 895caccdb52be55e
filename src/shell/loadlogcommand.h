// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>

class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QWidget;

namespace orvel {

class KeyedToolbar;
class LogLoader;
class LogPaneView;
class Notifier;
class Prompter;
class RecordingController;
class SampleProcessor;
class StatusPanels;

/// Brings a log back into the main window: the `LoadLog` command (the whole file into the log
/// pane and, on request, its first recording into the sample store and the chart through
/// `LoadGraphFromLog`), the "Browse" file chooser and the log file box's focus handler.
///
/// The pane is filled at once (it lays out only the lines on screen); the graph data is read in
/// slices from the event loop, so the window stays responsive. Meanwhile the load, clear, record
/// and download commands, the chart's test data and the two option lists are disabled, the
/// status bar counts the rows read and, for loads that take more than a moment, shows a progress
/// bar. Built by the main window; UI thread only.
class LoadLogCommand : public QObject
{
    Q_OBJECT
public:
    static inline const QString LoadGraphTitle = QStringLiteral("Load Graph Data?");
    static inline const QString FileFilter = QStringLiteral("Text File (*.txt)");
    /// A load that runs longer than this shows the progress bar.
    static constexpr int ProgressDelayMs = 300;

    /// What the command works with; the window's, they must outlive it.
    struct Parts
    {
        QWidget &window; ///< parent of the file chooser and the progress bar
        QStatusBar &statusBar;
        StatusPanels &statusPanels;
        KeyedToolbar &logToolbar;
        QLineEdit &logFileBox;
        QPushButton &fileOpenButton;
        LogPaneView &logPane;
        QComboBox &displayPeriodList;
        QComboBox &stopAfterList;
        SampleProcessor &processor;
        RecordingController &controller;
        Prompter &prompter;
        Notifier &notifier;
        /// The user's documents folder, where the chooser starts without a log path.
        std::function<QString()> documentsFolder;
        /// Asks for a file as ShellEnvironment::openFileName; null for the desktop's chooser.
        std::function<void(QWidget *, const QString &, const QString &, const QString &,
                           std::function<void(const QString &)>)>
            openFileName;
    };

    LoadLogCommand(const Parts &parts, QObject *parent = nullptr);
    ~LoadLogCommand() override;

    /// The LoadLog command, called by the dispatcher. A missing file does nothing; a file that
    /// cannot be read raises a Failure for the dispatcher to report.
    void LoadLog();
    /// The "Browse" button: asks for a log file; once one is chosen, loads it and gives the file
    /// box the focus.
    void FileOpenButton_Click();
    /// Selects the whole path when the file box gets the focus.
    void LogFileTextBox_GotFocus();
    static void SelectAllText(QLineEdit *box);

    /// The question asked before loading graph data.
    QString loadGraphQuestion() const;
    /// Graph data is being loaded.
    bool isLoading() const;
    LogLoader &loader() { return *m_loader; }
    QProgressBar *progressBar() const { return m_progress; }

Q_SIGNALS:
    /// A load of graph data has ended (also when a bad row stopped it) and the chart is drawn.
    void graphLoaded();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void loadFile(const QString &path, bool loadGraph);
    void fileChosen(const QString &file);
    void LoadGraphFromLog(QByteArray content);
    void graphProgress(qint32 rows, qint64 bytesRead, qint64 totalBytes);
    void graphFinished(const QString &error);
    void setListsEnabled(bool enabled);

    Parts m_parts;
    LogLoader *m_loader = nullptr;
    QProgressBar *m_progress = nullptr;
    QLineEdit *m_pathBox = nullptr;
    QElapsedTimer m_loadClock;
    bool m_busyCursor = false;
};

} // namespace orvel
