#pragma once

#include "logfile/logsink.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QTimer>

namespace orvel {

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
class LogWriter : public QObject, public LogSink
{
    Q_OBJECT
public:
    explicit LogWriter(Notifier &notifier, QObject *parent = nullptr);
    ~LogWriter() override;

    /// The pane that mirrors every line written; may be null (no pane).
    void setPane(LogPane *pane) { m_pane = pane; }

    /// Opens `path` for appending, creating the file when it is missing.
    /// Throws orvel::Failure with the system's reason when it cannot.
    void open(const QString &path);
    /// Syncs and closes the file; does nothing when none is open.
    void close();
    /// True from open() to close(), also while a vanished file cannot be created again.
    bool isOpen() const { return m_file.isOpen() || m_lost; }
    QString path() const { return m_file.fileName(); }

    /// Appends `text` to the file and the pane; adds CR LF when the text holds none.
    /// Does nothing while no log is open. A failed write is reported once (not once per line)
    /// and leaves the pane unchanged for that text; the recording goes on. A write cut short (a
    /// full disk) is taken back, so the file holds only complete lines. When another program
    /// deleted or moved the file away, it is created again at its path with a note line first,
    /// and the user is told.
    void WriteLogLine(QString text) override;

    /// Writes the 21-line summary block of a recording of `sampleCount` samples; nothing for 0.
    void WriteSummary(qint32 sampleCount, const RunningStatistics &statistics,
                      const LocaleFormats &formats);

    /// Hands everything written so far to the storage device now.
    void sync();

    /// Interval of the background sync while rows arrive.
    static constexpr int SyncIntervalMs = 1000;

private:
    void scheduleSync();
    bool ensureFileAtPath();
    void reportWriteFailure(const QString &reason);

    Notifier &m_notifier;
    LogPane *m_pane = nullptr;
    QFile m_file;
    QTimer m_syncTimer;
    QElapsedTimer m_sinceSync;
    bool m_dirty = false;
    bool m_writeFailing = false;
    bool m_lost = false; ///< the file vanished and could not be created again yet
};

} // namespace orvel
