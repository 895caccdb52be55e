// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "logfile/logsink.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <deque>

namespace orvel {

class Clock;
class LocaleFormats;
class LogPane;
class Notifier;
struct RunningStatistics;

/// The open log of a recording (`LogStream`) and the only way text reaches it.
///
/// The file is UTF-8 without a byte-order mark, CR LF line ends, only ever appended to. Every
/// write goes straight to the operating system (no user-space buffer), so a crash of the program
/// loses nothing the pane showed; the file is synced to the storage device at most a second after
/// a write and at every close, so a power cut loses at most the last second. UI thread only.
///
/// Lines the file refuses (a full disk, a log replaced by a folder, a folder gone) wait here, up
/// to a week of rows (`MaxPendingRows`), and are written in order as soon as the file accepts
/// writes again: tried at every line and at close(). What still waits at close() goes to a
/// recovery file beside the log (or in the user's data folder when the log's folder refuses too),
/// and the user is told how many lines and where.
class LogWriter : public QObject, public LogSink
{
    Q_OBJECT
public:
    /// Lines kept while the file refuses writes: a week of rows at one a minute.
    static constexpr int MaxPendingRows = 10080;
    /// Interval of the background sync while rows arrive.
    static constexpr int SyncIntervalMs = 1000;
    /// How often the writer looks whether the file at its path is still the one it writes.
    static constexpr int CheckIntervalMs = 1000;

    explicit LogWriter(Notifier &notifier, QObject *parent = nullptr);
    ~LogWriter() override;

    /// The pane that mirrors every line written; may be null (no pane).
    void setPane(LogPane *pane) { m_pane = pane; }
    /// The clock that paces the check of the file at the log's path; null (the default) uses a
    /// monotonic timer. Must outlive the writer.
    void setClock(const Clock *clock) { m_clock = clock; }

    /// Opens `path` for appending, creating the file when it is missing.
    /// Throws orvel::Failure with the system's reason when it cannot.
    void open(const QString &path);
    /// Writes what waits (or keeps it in a recovery file), syncs and closes the file; does
    /// nothing when none is open.
    void close();
    /// True from open() to close(), also while a vanished file cannot be created again.
    bool isOpen() const { return m_file.isOpen() || m_lost; }
    QString path() const { return m_file.fileName(); }

    /// Appends `text` to the file and the pane; adds CR LF when the text holds none.
    /// Does nothing while no log is open. The pane always shows the text. A failed write is
    /// reported once (not once per line) and the text waits for the file (see the class); the
    /// recording goes on. A write cut short (a full disk) is taken back, so the file holds only
    /// complete lines. When another program deleted or moved the file away (looked at every
    /// `CheckIntervalMs` and at close()), it is created again at its path with a note line
    /// first, the lines that went to a deleted file since the last look are written again, and the
    /// user is told.
    void WriteLogLine(QString text) override;

    /// Writes the 21-line summary block of a recording of `sampleCount` samples; nothing for 0.
    void WriteSummary(qint32 sampleCount, const RunningStatistics &statistics,
                      const LocaleFormats &formats);

    /// Hands everything written so far to the storage device now.
    void sync();

    /// Lines waiting for the file to accept writes again.
    int pendingRows() const { return int(m_pending.size()); }
    /// Where close() kept the lines the file refused last; empty when it kept none.
    QString recoveryPath() const { return m_recoveryPath; }

Q_SIGNALS:
    /// The number of waiting lines changed; 0 once all are written (or kept at close()).
    void pendingRowsChanged(int rows);

private:
    void flushPending();
    bool ensureFileAtPath();
    bool checkDue();
    enum class Place { AtPath, Moved, Deleted };
    Place placeOfFile() const;
    bool reopen();
    bool writeNow(const QByteArray &bytes);
    void keepInRecoveryFile();
    void notifyPending();
    void scheduleSync();
    void reportWriteFailure(const QString &reason);

    Notifier &m_notifier;
    LogPane *m_pane = nullptr;
    const Clock *m_clock = nullptr;
    QFile m_file;
    QTimer m_syncTimer;
    QElapsedTimer m_sinceSync;
    QElapsedTimer m_sinceCheck;
    QDateTime m_lastCheck;
    qint64 m_size = 0;          ///< bytes of the file as this writer left it
    std::deque<QString> m_pending;
    QStringList m_unchecked;    ///< written since the last look at the path
    qint64 m_droppedRows = 0;   ///< oldest waiting lines dropped beyond the bound
    int m_notifiedPending = 0;
    QString m_recoveryPath;
    bool m_dirty = false;
    bool m_writeFailing = false;
    bool m_lost = false; ///< the file vanished and could not be created again yet
};

} // namespace orvel
