// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace orvel {

/// Where the logic reports a failure to the user. The desktop shows a message box with the
/// exclamation icon that does not hold up the caller: readings keep being processed while it
/// is on screen. Tests record the messages instead.
class Notifier
{
public:
    virtual ~Notifier() = default;
    virtual void showError(const QString &message) = 0;
    /// A notice that stays until dismissNotice() with the same key takes it away (or the user
    /// does). A second notice with the key replaces the first. By default an error without end.
    virtual void showNotice(const QString & /*key*/, const QString &message) { showError(message); }
    virtual void dismissNotice(const QString & /*key*/) {}
};

/// Collects messages in memory; for tests and the benchmarks.
class RecordingNotifier : public Notifier
{
public:
    void showError(const QString &message) override { messages.append(message); }
    void showNotice(const QString &key, const QString &message) override
    {
        messages.append(message);
        notices.insert(key, message);
    }
    void dismissNotice(const QString &key) override { notices.remove(key); }
    QStringList messages;
    /// The notices on screen, by key.
    QMap<QString, QString> notices;
};

} // namespace orvel
