// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <vector>

class QLabel;
class QStatusBar;

namespace orvel {

class Clock;
class LocaleFormats;
class PaintPacer;
class ServerFrames;

/// The main window's status bar: six panels by key ("Animations", "Message", "NumSamples",
/// "Version", "Date", "Time") and the two activity indicators of the first panel — the waiting
/// animation while a recording waits for the next reading, and a short logging animation each
/// time a reading line arrives. The date and time panels are kept current by a timer that wakes
/// once a minute.
///
/// The panels sit side by side in one row that never lets their texts overlap: each panel is as
/// wide as its text (at least its design width while there is room), the counter takes what is
/// left over, and when the bar is too narrow the least important texts are elided first
/// (version, date, time, message, then the counter). Under X11 the server shows the indicator's
/// frames by itself (ServerFrames); elsewhere a frame repaints only the indicator's own rectangle.
/// While the window is minimised or hidden the waiting animation pauses.
class StatusPanels : public QObject
{
    Q_OBJECT
public:
    static constexpr int ProgressFrameCount = 13; ///< waiting frames, 43 × 9 pixels
    static constexpr int ActivityFrameCount = 8;  ///< logging frames, 43 × 20 pixels
    static constexpr int ProgressIntervalMs = 150;
    static constexpr int ActivityIntervalMs = 100;

    /// `isRecording` tells whether a recording runs when a logging run ends.
    StatusPanels(QStatusBar *bar, const Clock &clock, const LocaleFormats &formats,
                 std::function<bool()> isRecording, QObject *parent = nullptr);
    ~StatusPanels() override;

    /// The panel of `key`, or null for an unknown key.
    QLabel *panel(const QString &key) const;
    QString text(const QString &key) const;
    void setText(const QString &key, const QString &text);

    void ShowWaitingForData(bool on);
    /// What the Message panel says while waiting ("Waiting for data" unless told otherwise).
    void setWaitingText(const QString &text);
    void ShowLoggingActivity();

    QTimer &ProgressAnimationTimer() { return m_progressTimer; }
    QTimer &DownloadAnimationTimer() { return m_activityTimer; }
    int ProgressFrame() const { return m_progressFrame; }
    int ActivityFrame() const { return m_activityFrame; }
    int ActivityCycles() const { return m_activityCycles; }
    /// Whether the animations panel shows a frame (and which, 1-based; 0 for none).
    int shownFrame() const { return m_shownFrame; }

    void ProgressAnimationTimer_Timer();
    void DownloadAnimationTimer_Timer();
    /// Puts the current date and time into their panels.
    void refreshClock();

    /// The frames, drawn by the program.
    static QList<QPixmap> progressFrames();
    static QList<QPixmap> activityFrames();

    /// The text panel `key` shows now: its text, elided to the panel's width.
    QString shownText(const QString &key) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// Shows frame `number` (1-based) of `frames`, or none for null.
    void showFrame(const QList<QPixmap> *frames, int number);
    void setMessage(const QString &text);
    void setAnimationsVisible(bool on);
    /// Places the panels in the row (see the class comment).
    void arrange();
    void scheduleClock();
    /// Whether the window shows the bar (not hidden, not minimised).
    bool onScreen() const;
    /// Pauses the waiting animation while the bar is off screen and resumes it after.
    void followScreenState();

    QStatusBar *m_bar;
    QWidget *m_row = nullptr;
    PaintPacer *m_counterPacer = nullptr;
    /// Shows the indicator's frames where the window system can (null elsewhere).
    QPointer<ServerFrames> m_serverFrames;
    const Clock &m_clock;
    const LocaleFormats &m_formats;
    std::function<bool()> m_isRecording;
    QList<QLabel *> m_panels;
    QStringList m_keys;
    QList<QPixmap> m_progressFrames;
    QList<QPixmap> m_activityFrames;
    QTimer m_progressTimer;
    QTimer m_activityTimer;
    QTimer m_clockTimer;
    int m_progressFrame = 0;
    int m_activityFrame = 0;
    int m_activityCycles = 0;
    int m_shownFrame = 0;
    bool m_waiting = false;
    QString m_waitingText;
    bool m_arranging = false;
    /// What the panels were last placed for (see arrange()).
    std::vector<int> m_placedFor;
};

} // namespace orvel
