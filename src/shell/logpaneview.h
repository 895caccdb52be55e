#pragma once

#include "logfile/logpane.h"

#include <QPlainTextEdit>

namespace orvel {

/// The log pane: a read-only plain-text view of the log whose text can be selected and copied.
/// New text follows the caret when it stands at the end; otherwise the reader's place (caret and
/// scroll position) is kept.
class LogPaneView : public QPlainTextEdit, public LogPane
{
    Q_OBJECT
public:
    explicit LogPaneView(QWidget *parent = nullptr);

    void appendLogText(const QString &text) override;
    /// Whether the caret stands at the end of the text.
    bool caretAtEnd() const;
};

} // namespace orvel
