#include "shell/logpaneview.h"

#include <QFontDatabase>
#include <QScrollBar>
#include <QTextBlock>

namespace orvel {

LogPaneView::LogPaneView(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setUndoRedoEnabled(false);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setTabStopDistance(fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 12);
}

bool LogPaneView::caretAtEnd() const
{
    const QTextCursor cursor = textCursor();
    return !cursor.hasSelection() && cursor.atEnd();
}

void LogPaneView::appendLogText(const QString &text)
{
    const bool follow = caretAtEnd();
    const int scroll = verticalScrollBar()->value();

    QString plain = text;
    plain.remove(u'\r');
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(plain);

    if (follow) {
        moveCursor(QTextCursor::End);
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    } else {
        verticalScrollBar()->setValue(scroll);
    }
}

} // namespace orvel
