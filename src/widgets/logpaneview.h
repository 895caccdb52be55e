// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "logfile/logpane.h"
#include "logfile/logtextindex.h"
#include "widgets/lineimagecache.h"
#include "widgets/paintpacer.h"
#include "widgets/steadyscrollbar.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QString>

namespace orvel {

/// The log pane: a read-only plain-text view of the log whose text can be selected (mouse,
/// keyboard, Ctrl+A) and copied (Ctrl+C, context menu). New text follows the caret when it stands
/// at the end; otherwise the reader's place (caret and scroll position) is kept.
///
/// Built for logs of years: the text and its line index are a LogTextIndex, and only the lines on
/// screen are laid out and painted: a row that moves the view moves the lines already on screen
/// and paints only what is new. However fast rows arrive, the view is painted at most once per
/// screen frame, showing the latest rows; the text and the scroll bars follow every row.
/// Positions are offsets into toPlainText(). UI thread only.
class LogPaneView : public QAbstractScrollArea, public LogPane
{
    Q_OBJECT
public:
    /// Tab stops every this many character cells.
    static constexpr int TabCells = LogTextIndex::TabCells;

    explicit LogPaneView(QWidget *parent = nullptr);

    /// Appends `text`, keeping the reader's place (see the class comment).
    void appendLogText(const QString &text) override;
    /// Replaces the whole text (a log loaded from its file); the caret goes to the end and the
    /// view shows the last lines.
    void setLogText(QString text);
    /// Replaces the whole text with a log file's bytes (UTF-8, CR LF or LF line ends).
    void setLogBytes(const QByteArray &bytes);
    void clear();

    QString toPlainText() const { return m_index.text(); }
    bool isEmpty() const { return m_index.size() == 0; }
    bool isReadOnly() const { return true; }
    /// Number of lines; text ending in a line end has an empty last line.
    qsizetype lineCount() const { return m_index.lineCount(); }
    /// Text of line `line` (0-based), without its line end.
    QString lineText(qsizetype line) const { return m_index.lineText(line); }
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
    /// Forgets the lines drawn so far: the next paint draws every line afresh (for tests).
    void dropLineImages() { m_lineImages.clear(); }

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
    qsizetype lineOf(qsizetype position) const { return m_index.lineOf(position); }
    qsizetype lineStart(qsizetype line) const { return m_index.lineStart(line); }
    qsizetype lineEnd(qsizetype line) const { return m_index.lineEnd(line); }
    int cellOf(qsizetype position) const { return m_index.cellOf(position); }
    /// Text position under a point of the viewport.
    qsizetype positionAt(const QPoint &point) const;
    int lineHeight() const;
    int cellWidth() const;
    void measure() const;
    void updateScrollBars();
    /// The horizontal bar's maximum: how far the widest line reaches past the view.
    int horizontalMaximum() const;
    void ensureCaretVisible();
    void scrollToEnd();
    void textReplaced();

    LogTextIndex m_index;
    SteadyScrollBar *m_verticalBar = nullptr;
    PaintPacer *m_pacer = nullptr;
    /// What the font measures, and what it was measured for.
    mutable QFont m_measuredFont;
    mutable int m_measuredDpi = 0;
    mutable int m_cellWidth = 0;
    mutable int m_lineHeight = 1;
    LineImageCache m_lineImages;
    qsizetype m_caret = 0;
    qsizetype m_anchor = 0;
    bool m_dragging = false;
};

} // namespace orvel
