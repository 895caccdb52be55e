#include "logfile/logwriter.h"

#include "common/runningstatistics.h"
#include "common/failure.h"
#include "common/localeformats.h"
#include "common/notifier.h"
#include "logfile/logpane.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace orvel {

namespace {
const QString LineEnd = QStringLiteral("\r\n");
}

LogWriter::LogWriter(Notifier &notifier, QObject *parent)
    : QObject(parent)
    , m_notifier(notifier)
{
    m_syncTimer.setSingleShot(true);
    connect(&m_syncTimer, &QTimer::timeout, this, &LogWriter::sync);
}

LogWriter::~LogWriter()
{
    close();
}

void LogWriter::open(const QString &path)
{
    close();
    m_file.setFileName(path);
    // Unbuffered: every write is handed to the operating system at once.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        const QString reason = m_file.errorString();
        throw Failure(75, QStringLiteral("LogWriter"),
                      QStringLiteral("Cannot open the log file '%1': %2").arg(path, reason));
    }
    m_writeFailing = false;
    m_dirty = false;
    m_sinceSync.start();
}

void LogWriter::close()
{
    m_lost = false;
    if (!m_file.isOpen())
        return;
    m_syncTimer.stop();
    m_dirty = true;
    sync();
    m_file.close();
}

void LogWriter::WriteLogLine(QString text)
{
    if (!isOpen())
        return;
    if (!text.contains(LineEnd))
        text += LineEnd;

    if (!ensureFileAtPath())
        return;
    struct stat before = {};
    const bool sizeKnown = ::fstat(m_file.handle(), &before) == 0;
    const QByteArray bytes = text.toUtf8();
    const qint64 written = m_file.write(bytes);
    if (written != bytes.size()) {
        const QString reason = m_file.errorString();
        // A full disk may take part of the text: cut the file back to its last complete line so
        // that rows written once space returns start on a line of their own.
        if (written > 0 && sizeKnown)
            while (::ftruncate(m_file.handle(), before.st_size) != 0 && errno == EINTR) {
            }
        reportWriteFailure(reason);
        m_file.unsetError();
        return;
    }
    m_writeFailing = false;
    if (m_pane)
        m_pane->appendLogText(text);
    scheduleSync();
}

bool LogWriter::ensureFileAtPath()
{
    if (!m_lost) {
        struct stat open = {};
        struct stat atPath = {};
        const QByteArray path = QFile::encodeName(m_file.fileName());
        if (::fstat(m_file.handle(), &open) != 0)
            return true; // nothing to compare; the write itself reports a failure
        const bool present = ::stat(path.constData(), &atPath) == 0;
        if (present && open.st_nlink > 0 && atPath.st_dev == open.st_dev &&
            atPath.st_ino == open.st_ino)
            return true;
        // Another program deleted or moved the file away: writing on would fill a file nobody
        // sees.
        m_file.close();
        m_lost = true;
    }
    // Tried again at every line until the path takes a file again (a folder removed with it).
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        reportWriteFailure(m_file.errorString());
        return false;
    }
    m_lost = false;
    m_dirty = true;
    const QString note = QStringLiteral("Note: the log file was deleted or moved away by another "
                                        "program; it was created again here and the recording "
                                        "goes on.");
    m_notifier.showError(QStringLiteral("The log file '%1' was deleted or moved away by another "
                                        "program.\n\nIt was created again at the same place; "
                                        "the recording goes on. Rows written before are not in "
                                        "the new file.")
                             .arg(m_file.fileName()));
    const QByteArray noteBytes = (note + LineEnd).toUtf8();
    if (m_file.write(noteBytes) == noteBytes.size() && m_pane)
        m_pane->appendLogText(note + LineEnd);
    m_file.unsetError();
    return true;
}

void LogWriter::reportWriteFailure(const QString &reason)
{
    // Tell the user once per run of failures, not once per row.
    if (!m_writeFailing) {
        m_notifier.showError(
            QStringLiteral("Cannot write to the log file '%1': %2\n\nThe recording goes on; "
                           "readings that cannot be written are shown in the log pane "
                           "only when the file accepts them again.")
                .arg(m_file.fileName(), reason));
    }
    m_writeFailing = true;
}

void LogWriter::WriteSummary(qint32 sampleCount, const RunningStatistics &statistics,
                             const LocaleFormats &formats)
{
    if (sampleCount == 0)
        return;
    const QString rule = QStringLiteral("--------------------------");
    const QString channelRule = QStringLiteral("---------------");
    const double n = sampleCount;
    const QStringList lines = {
        QString(),
        rule,
        QStringLiteral("         SUMMARY"),
        QStringLiteral("(particles per cubic foot)"),
        rule,
        QStringLiteral("Number of samples : ") + QString::number(sampleCount),
        QString(),
        QStringLiteral("Small Particles"),
        channelRule,
        QStringLiteral(" Low : ") + QString::number(statistics.MinSmall),
        QStringLiteral(" Hi  : ") + QString::number(statistics.MaxSmall),
        QStringLiteral(" Avg : ") + formats.oneDecimal(statistics.SumSmall / n),
        QString(),
        QStringLiteral("Large Particles"),
        channelRule,
        QStringLiteral(" Low : ") + QString::number(statistics.MinLarge),
        QStringLiteral(" Hi  : ") + QString::number(statistics.MaxLarge),
        QStringLiteral(" Avg : ") + formats.oneDecimal(statistics.SumLarge / n),
        QString(),
        QStringLiteral("------ End Summary -------"),
        QString(),
    };
    for (const QString &line : lines)
        WriteLogLine(line);
    sync();
}

void LogWriter::sync()
{
    m_syncTimer.stop();
    if (m_file.isOpen() && m_dirty)
        ::fdatasync(m_file.handle());
    m_dirty = false;
    m_sinceSync.restart();
}

void LogWriter::scheduleSync()
{
    m_dirty = true;
    if (m_sinceSync.elapsed() >= SyncIntervalMs)
        sync();
    else if (!m_syncTimer.isActive())
        m_syncTimer.start(SyncIntervalMs - int(m_sinceSync.elapsed()));
}

} // namespace orvel
