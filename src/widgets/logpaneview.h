#pragma once

#include "logfile/logpane.h"

#include <QAbstractScrollArea>
#include <QString>

#include <vector>

namespace orvel {

/// The log pane: a read-only plain-text view of the log whose text can be selected (mouse,
/// keyboard, Ctrl+A) and copied (Ctrl+C, context menu). New text follows the caret when it stands
/// at the end; otherwise the reader's place (caret and scroll position) is kept.
///
/// Built for logs of years: the text is one buffer with an index of line starts, and only the
/// lines on screen are laid out and painted, so replacing the text with a million rows takes a
/// fraction of a second and appending a row costs only the row. Line ends are stored as LF
/// (CR is dropped). Positions are offsets into toPlainText(). UI thread only.
class LogPaneView : public QAbstractScrollArea, public LogPane
{
    Q_OBJECT
public:
    /// Tab stops every this many character cells.
    static constexpr int TabCells = 12;

    explicit LogPaneView(QWidget *parent = nullptr);

    /// Appends `text`, keeping the reader's place (see the class comment).
    void appendLogText(const QString &text) override;
    /// Replaces the whole text (a log loaded from its file); the caret goes to the end and the
    /// view shows the last lines.
    void setLogText(QString text);
    /// Replaces the whole text with a log file's bytes (UTF-8, CR LF or LF line ends).
    void setLogBytes(const QByteArray &bytes);
    void clear();

    QString toPlainText() const { return m_text; }
    bool isEmpty() const { return m_text.isEmpty(); }
    bool isReadOnly() const { return true; }
    /// Number of lines; text ending in a line end has an empty last line.
    qsizetype lineCount() const { return qsizetype(m_lineStarts.size()); }
    /// Text of line `line` (0-based), without its line end.
    QString lineText(qsizetype line) const;
    /// First line shown at the top of the view.
    qsizetype firstVisibleLine() const;
    /// Number of whole lines the view shows.
    int visibleLineCount() const;

    /// Whether the caret stands at the end of the text, with nothing selected.
    bool caretAtEnd() const;
    qsizetype caretPosition() const { return m_caret; }
    /// Moves the caret to `position` (clamped to the text); with `keepAnchor` the selection
    /// stretches from where it started. Scrolls the caret into view.
    void setCaretPosition(qsizetype position, bool keepAnchor = false);
    /// Moves the caret to the end of the text and shows the last lines.
    void moveCaretToEnd() override;
    bool hasSelection() const { return m_caret != m_anchor; }
    QString selectedText() const;
    void selectAll();
    /// Puts the selected text on the clipboard.
    void copy() const;

Q_SIGNALS:
    /// The text changed (appended, replaced or cleared).
    void textChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    /// Indexes the lines of m_text from offset `from` (the start of a line) on.
    void indexFrom(qsizetype from);
    qsizetype lineOf(qsizetype position) const;
    qsizetype lineStart(qsizetype line) const { return m_lineStarts[std::size_t(line)]; }
    qsizetype lineEnd(qsizetype line) const;
    /// Character cell of `position` within its line, with tabs expanded.
    int cellOf(qsizetype position) const;
    /// Text position under a point of the viewport.
    qsizetype positionAt(const QPoint &point) const;
    int lineHeight() const;
    int cellWidth() const;
    void updateScrollBars();
    void ensureCaretVisible();
    void scrollToEnd();
    void textReplaced();

    QString m_text;
    std::vector<qsizetype> m_lineStarts{0};
    int m_widestCells = 0;
    qsizetype m_caret = 0;
    qsizetype m_anchor = 0;
    bool m_dragging = false;
};

} // namespace orvel
