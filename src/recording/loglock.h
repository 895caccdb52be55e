// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace orvel {

/// Marks a log as being recorded into, so that no other copy of the program (window or headless
/// recorder, on this machine or another one sharing the folder) deletes it or records into it at
/// the same time.
///
/// The mark is a hidden lock file beside the log (".OrveaLog.txt.lock" for "OrveaLog.txt") that
/// names the process, its host and its program. A mark left behind by a process that no longer
/// runs is taken over. UI thread only.
class LogLock
{
public:
    LogLock();
    ~LogLock();
    LogLock(const LogLock &) = delete;
    LogLock &operator=(const LogLock &) = delete;

    /// The lock file that guards `logPath`.
    static QString lockPath(const QString &logPath);

    /// Takes the mark for `logPath`, releasing any other this object holds. Returns false, with
    /// the holder in `holder` (as holderText() gives it), when another process holds it. A folder
    /// where no lock file can be made does not stop a recording: true, and nothing is held.
    bool acquire(const QString &logPath, QString *holder = nullptr);
    void release();
    bool isHeld() const;

    /// Who records into `logPath` now, as "the program (process N on HOST)", or an empty string
    /// when nobody does (also when the mark is stale or this process holds it).
    static QString holderText(const QString &logPath);
    /// What the user is told when `holder` records into `logPath`.
    static QString busyMessage(const QString &logPath, const QString &holder);

private:
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace orvel
