// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "recording/loglock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace orvel {

namespace {

QString describe(qint64 pid, const QString &host, const QString &program)
{
    const QString name = program.isEmpty() ? QStringLiteral("another program") : program;
    return QStringLiteral("%1 (process %2 on %3)").arg(name).arg(pid).arg(host);
}

} // namespace

LogLock::LogLock() = default;

LogLock::~LogLock()
{
    release();
}

QString LogLock::lockPath(const QString &logPath)
{
    const QFileInfo info(logPath);
    return info.absoluteDir().filePath(QLatin1Char('.') + info.fileName() +
                                       QStringLiteral(".lock"));
}

bool LogLock::acquire(const QString &logPath, QString *holder)
{
    release();
    auto lock = std::make_unique<QLockFile>(lockPath(logPath));
    // Never stale by age: a recording runs for weeks. A dead holder is detected by its process.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        m_lock = std::move(lock);
        return true;
    }
    // A folder that takes the log but no lock file beside it (rare): record unguarded rather
    // than refuse the recording.
    if (lock->error() != QLockFile::LockFailedError)
        return true;
    if (holder) {
        qint64 pid = 0;
        QString host;
        QString program;
        *holder = lock->getLockInfo(&pid, &host, &program) ? describe(pid, host, program)
                                                           : QStringLiteral("another program");
    }
    return false;
}

void LogLock::release()
{
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
}

bool LogLock::isHeld() const
{
    return m_lock && m_lock->isLocked();
}

QString LogLock::holderText(const QString &logPath)
{
    QLockFile probe(lockPath(logPath));
    probe.setStaleLockTime(0);
    if (probe.tryLock(0)) {
        // Nobody held it (or the holder had died): leave no mark behind.
        probe.unlock();
        return QString();
    }
    qint64 pid = 0;
    QString host;
    QString program;
    if (probe.error() != QLockFile::LockFailedError || !probe.getLockInfo(&pid, &host, &program))
        return QString();
    if (pid == QCoreApplication::applicationPid())
        return QString();
    return describe(pid, host, program);
}

QString LogLock::busyMessage(const QString &logPath, const QString &holder)
{
    return QStringLiteral("The log file '%1' is being recorded by %2. Choose another log file, or "
                          "stop that recording first.")
        .arg(QDir::toNativeSeparators(logPath), holder);
}

} // namespace orvel
