// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "logfile/logwriter.h"

#include "common/clock.h"
#include "common/failure.h"
#include "common/runningstatistics.h"
#include "common/localeformats.h"
#include "common/notifier.h"
#include "logfile/logpane.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

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
    m_droppedRows = 0;
    m_recoveryPath.clear();
    m_size = m_file.size();
    m_lastCheck = m_clock ? m_clock->now() : QDateTime();
    m_sinceCheck.start();
    m_sinceSync.start();
}

void LogWriter::close()
{
    if (isOpen()) {
        // A last look at the path, and a last try for what waits.
        m_lastCheck = QDateTime();
        m_sinceCheck.invalidate();
        flushPending();
        if (!m_pending.empty())
            keepInRecoveryFile();
    }
    m_pending.clear();
    m_unchecked.clear();
    m_lost = false;
    notifyPending();
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
    if (m_pane)
        m_pane->appendLogText(text);
    if (m_pending.size() >= std::size_t(MaxPendingRows)) {
        m_pending.pop_front();
        ++m_droppedRows;
    }
    m_pending.push_back(std::move(text));
    flushPending();
}

void LogWriter::flushPending()
{
    if (ensureFileAtPath()) {
        bool wrote = false;
        while (!m_pending.empty()) {
            if (!writeNow(m_pending.front().toUtf8()))
                break;
            m_unchecked.append(std::move(m_pending.front()));
            m_pending.pop_front();
            wrote = true;
        }
        if (wrote)
            scheduleSync();
        if (m_pending.empty())
            m_writeFailing = false;
    }
    notifyPending();
}

bool LogWriter::writeNow(const QByteArray &bytes)
{
    const qint64 written = m_file.write(bytes);
    if (written == bytes.size()) {
        m_size += written;
        return true;
    }
    const QString reason = m_file.errorString();
    // A full disk may take part of the text: cut the file back to its last complete line so
    // that rows written once space returns start on a line of their own.
    if (written != 0)
        while (::ftruncate(m_file.handle(), m_size) != 0 && errno == EINTR) {
        }
    m_file.unsetError();
    reportWriteFailure(reason);
    return false;
}

bool LogWriter::checkDue()
{
    if (m_clock) {
        const QDateTime now = m_clock->now();
        // A clock set back counts as due too.
        if (m_lastCheck.isValid() && now >= m_lastCheck &&
            m_lastCheck.msecsTo(now) < CheckIntervalMs)
            return false;
        m_lastCheck = now;
        return true;
    }
    if (m_sinceCheck.isValid() && m_sinceCheck.elapsed() < CheckIntervalMs)
        return false;
    m_sinceCheck.start();
    return true;
}

LogWriter::Place LogWriter::placeOfFile() const
{
    struct stat open = {};
    struct stat atPath = {};
    const QByteArray path = QFile::encodeName(m_file.fileName());
    if (::fstat(m_file.handle(), &open) != 0)
        return Place::AtPath; // nothing to compare; the write itself reports a failure
    if (open.st_nlink == 0)
        return Place::Deleted;
    const bool same = ::stat(path.constData(), &atPath) == 0 && atPath.st_dev == open.st_dev &&
                      atPath.st_ino == open.st_ino;
    return same ? Place::AtPath : Place::Moved;
}

bool LogWriter::ensureFileAtPath()
{
    if (m_lost)
        return reopen();
    // Rows are written without a look at the path in between; the look comes at most once per
    // interval, and what went to a vanished file since the last one is written again.
    if (!checkDue())
        return true;
    const Place place = placeOfFile();
    if (place == Place::AtPath) {
        m_unchecked.clear();
        m_size = m_file.size();
        return true;
    }
    // Another program deleted or moved the file away: writing on would fill a file nobody
    // sees. Lines that went to a deleted file since the last look are written again; a moved
    // file keeps them.
    m_file.close();
    m_lost = true;
    if (place == Place::Deleted) {
        for (auto it = m_unchecked.crbegin(); it != m_unchecked.crend(); ++it)
            m_pending.push_front(*it);
    }
    m_unchecked.clear();
    return reopen();
}

bool LogWriter::reopen()
{
    // Tried again at every line until the path takes a file again (a folder removed with it).
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        reportWriteFailure(m_file.errorString());
        return false;
    }
    m_lost = false;
    m_dirty = true;
    m_size = m_file.size();
    const QString note = QStringLiteral("Note: the log file was deleted or moved away by another "
                                        "program; it was created again here and the recording "
                                        "goes on.");
    m_notifier.showError(QStringLiteral("The log file '%1' was deleted or moved away by another "
                                        "program.\n\nIt was created again at the same place; "
                                        "the recording goes on. Rows written before are not in "
                                        "the new file.")
                             .arg(m_file.fileName()));
    if (writeNow((note + LineEnd).toUtf8()) && m_pane)
        m_pane->appendLogText(note + LineEnd);
    return true;
}

void LogWriter::keepInRecoveryFile()
{
    const QFileInfo log(m_file.fileName());
    const QString name = log.fileName() + QStringLiteral(".recovered.txt");
    QStringList folders = {log.absolutePath()};
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!dataFolder.isEmpty())
        folders.append(dataFolder);
    QByteArray bytes;
    for (const QString &line : m_pending)
        bytes += line.toUtf8();
    const QString count = LocaleFormats().grouped(qint64(m_pending.size()));
    const QString dropped =
        m_droppedRows == 0
            ? QString()
            : QStringLiteral(" The oldest %1 lines were dropped: more than a week of rows waited.")
                  .arg(LocaleFormats().grouped(m_droppedRows));
    QString reason;
    for (const QString &folder : std::as_const(folders)) {
        QDir().mkpath(folder);
        QFile recovery(QDir(folder).filePath(name));
        if (recovery.open(QIODevice::WriteOnly | QIODevice::Append) &&
            recovery.write(bytes) == bytes.size() && recovery.flush()) {
            m_recoveryPath = recovery.fileName();
            m_notifier.showError(
                QStringLiteral("%1 lines of this recording (readings, summary) could not be written "
                               "to the log file '%2'. They were kept in '%3'.%4")
                    .arg(count, m_file.fileName(), m_recoveryPath, dropped));
            return;
        }
        if (reason.isEmpty())
            reason = recovery.errorString();
    }
    m_notifier.showError(QStringLiteral("%1 lines of this recording (readings, summary) could not "
                                        "be written to the log file '%2', nor kept in a recovery "
                                        "file: %3\n\nThey are still shown in the log pane.%4")
                             .arg(count, m_file.fileName(), reason, dropped));
}

void LogWriter::notifyPending()
{
    const int pending = pendingRows();
    if (pending == m_notifiedPending)
        return;
    m_notifiedPending = pending;
    Q_EMIT pendingRowsChanged(pending);
}

void LogWriter::reportWriteFailure(const QString &reason)
{
    // Tell the user once per run of failures, not once per row.
    if (!m_writeFailing) {
        m_notifier.showError(
            QStringLiteral("Cannot write to the log file '%1': %2\n\nThe recording goes on; "
                           "readings are kept and written to the file as soon as it accepts "
                           "them again.")
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
