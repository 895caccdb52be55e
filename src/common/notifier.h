#pragma once

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
};

/// Collects messages in memory; for tests and the benchmarks.
class RecordingNotifier : public Notifier
{
public:
    void showError(const QString &message) override { messages.append(message); }
    QStringList messages;
};

} // namespace orvel
