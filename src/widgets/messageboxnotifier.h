#pragma once

#include "common/notifier.h"

#include <QPointer>

class QWidget;

namespace orvel {

/// Shows failures in a message box with the exclamation icon and the application's title.
/// The box is not modal and does not hold up the caller, so readings keep arriving while it is on
/// screen. The same text is not shown twice at once.
class MessageBoxNotifier : public Notifier
{
public:
    explicit MessageBoxNotifier(QWidget *parent)
        : m_parent(parent)
    {}
    void showError(const QString &message) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace orvel
