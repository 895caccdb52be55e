// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "widgets/logpaneview.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>
#include <cstdlib>

namespace orvel {

namespace {

constexpr int Margin = 4;

int nextCell(int cell, QChar c)
{
    return LogTextIndex::nextCell(cell, c);
}

bool isWordChar(QChar c)
{
    return c != u'\t' && c != u'\n' && c != u' ';
}

} // namespace

LogPaneView::LogPaneView(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    // The paint fills every pixel it is asked for: no background is filled first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    // Following a long log, the handle stays put: the bar is not painted for every row.
    m_verticalBar = new SteadyScrollBar(Qt::Vertical, this);
    setVerticalScrollBar(m_verticalBar);
    horizontalScrollBar()->setSingleStep(cellWidth());
    m_pacer = new PaintPacer({viewport(), verticalScrollBar(), horizontalScrollBar()}, this);
    updateScrollBars();
}

int LogPaneView::lineHeight() const
{
    measure();
    return m_lineHeight;
}

int LogPaneView::cellWidth() const
{
    measure();
    return m_cellWidth;
}

void LogPaneView::measure() const
{
    // Asked for at every row: measured again only when the font or the resolution changes.
    const int dpi = logicalDpiX();
    if (m_cellWidth != 0 && font() == m_measuredFont && dpi == m_measuredDpi)
        return;
    m_measuredFont = font();
    m_measuredDpi = dpi;
    const QFontMetrics metrics = fontMetrics();
    m_cellWidth = std::max(1, metrics.horizontalAdvance(QLatin1Char('0')));
    m_lineHeight = std::max(1, metrics.lineSpacing());
}

void LogPaneView::appendLogText(const QString &text)
{
    const bool follow = caretAtEnd();
    // The text changes from the line the new text joins on; the lines above stay as they are.
    const qsizetype changedFrom = lineOf(m_index.size());
    if (!m_index.append(text))
        return;
    // The horizontal bar changes only with a wider line (or a caret brought back from the
    // right); held back without a change, it would be painted again for nothing.
    QScrollBar *bar = horizontalScrollBar();
    const bool horizontalChanges =
        bar->maximum() != horizontalMaximum() || (follow && bar->value() != 0);
    if (horizontalChanges)
        m_pacer->aboutToChange();
    else
        m_pacer->aboutToChange({viewport()});
    // The vertical bar is painted once for its range and value together, if they move it; held
    // back with the view only then, since letting it paint again repaints it whole.
    m_verticalBar->gatherChanges(true);
    updateScrollBars();
    if (follow) {
        m_caret = m_anchor = m_index.size();
        scrollToEnd(); // moves the lines on screen up (see scrollContentsBy)
    }
    if (m_verticalBar->gatheredChangesShow())
        m_pacer->holdToo(verticalScrollBar());
    m_verticalBar->gatherChanges(false);
    // What is new: the lines from the one joined on (the caret's old and new lines when it
    // follows), down to the bottom of the view.
    const int top = int(std::clamp<qsizetype>(changedFrom - firstVisibleLine(), 0,
                                              viewport()->height() / lineHeight() + 1)) *
                    lineHeight();
    if (top < viewport()->height())
        viewport()->update(0, top, viewport()->width(), viewport()->height() - top);
    Q_EMIT textChanged();
}

void LogPaneView::setLogBytes(const QByteArray &bytes)
{
    setLogText(QString::fromUtf8(bytes));
}

void LogPaneView::setLogText(QString text)
{
    m_index.setText(std::move(text));
    textReplaced();
}

void LogPaneView::clear()
{
    m_index.clear();
    textReplaced();
}

void LogPaneView::textReplaced()
{
    m_caret = m_anchor = m_index.size();
    updateScrollBars();
    scrollToEnd();
    viewport()->update();
    Q_EMIT textChanged();
}

qsizetype LogPaneView::firstVisibleLine() const
{
    return verticalScrollBar()->value();
}

int LogPaneView::visibleLineCount() const
{
    return std::max(1, viewport()->height() / lineHeight());
}

qsizetype LogPaneView::positionAt(const QPoint &point) const
{
    const qsizetype line =
        std::clamp<qsizetype>(firstVisibleLine() + point.y() / lineHeight(), 0, lineCount() - 1);
    const int x = point.x() - Margin + horizontalScrollBar()->value();
    const int width = cellWidth();
    const qsizetype end = lineEnd(line);
    int cell = 0;
    for (qsizetype i = lineStart(line); i < end; ++i) {
        const int next = nextCell(cell, m_index.at(i));
        if (x < (cell + next) * width / 2)
            return i;
        cell = next;
    }
    return end;
}

void LogPaneView::updateScrollBars()
{
    const int visible = visibleLineCount();
    QScrollBar *bar = verticalScrollBar();
    bar->setPageStep(visible);
    const int maximum = int(std::max<qsizetype>(0, lineCount() - visible));
    if (bar->maximum() > 0 && maximum > bar->maximum()) {
        // A bar already shown that only grows stays shown and keeps its value, so no one needs
        // to hear of it: the area's check whether to show or hide it, queued for every range
        // change, would post an event for every row.
        const QSignalBlocker quiet(bar);
        bar->setRange(0, maximum);
    } else {
        bar->setRange(0, maximum);
    }
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, horizontalMaximum());
}

int LogPaneView::horizontalMaximum() const
{
    const int width = m_index.widestCells() * cellWidth() + 2 * Margin;
    return std::max(0, width - viewport()->width());
}

void LogPaneView::scrollToEnd()
{
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    horizontalScrollBar()->setValue(0);
}

bool LogPaneView::caretAtEnd() const
{
    return m_caret == m_anchor && m_caret == m_index.size();
}

void LogPaneView::setCaretPosition(qsizetype position, bool keepAnchor)
{
    m_caret = std::clamp<qsizetype>(position, 0, m_index.size());
    if (!keepAnchor)
        m_anchor = m_caret;
    ensureCaretVisible();
    viewport()->update();
    if (hasSelection() && QApplication::clipboard()->supportsSelection())
        QApplication::clipboard()->setText(selectedText(), QClipboard::Selection);
}

void LogPaneView::moveCaretToEnd()
{
    m_caret = m_anchor = m_index.size();
    scrollToEnd();
    viewport()->update();
}

QString LogPaneView::selectedText() const
{
    const qsizetype from = std::min(m_caret, m_anchor);
    return m_index.text().mid(from, std::max(m_caret, m_anchor) - from);
}

void LogPaneView::selectAll()
{
    m_anchor = 0;
    m_caret = m_index.size();
    viewport()->update();
}

void LogPaneView::copy() const
{
    if (hasSelection())
        QApplication::clipboard()->setText(selectedText());
}

void LogPaneView::ensureCaretVisible()
{
    const qsizetype line = lineOf(m_caret);
    const qsizetype first = firstVisibleLine();
    const int visible = visibleLineCount();
    if (line < first)
        verticalScrollBar()->setValue(int(line));
    else if (line >= first + visible)
        verticalScrollBar()->setValue(int(line - visible + 1));
    const int x = cellOf(m_caret) * cellWidth();
    QScrollBar *bar = horizontalScrollBar();
    if (x < bar->value())
        bar->setValue(x);
    else if (x + 2 * Margin > bar->value() + viewport()->width())
        bar->setValue(x + 2 * Margin - viewport()->width());
}

void LogPaneView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QFontMetrics metrics = fontMetrics();
    const int height = lineHeight();
    const int width = cellWidth();
    const int left = Margin - horizontalScrollBar()->value();
    const qsizetype first = firstVisibleLine();
    const qsizetype last = std::min(lineCount(), first + viewport()->height() / height + 2);
    // Only the lines the paint asks for are drawn (after a scroll, those that came into view).
    const QRect area = event->rect();
    const qsizetype paintFrom = std::max(first, first + std::max(0, area.top()) / height);
    const qsizetype paintTo = std::min(last, first + std::max(0, area.bottom()) / height + 1);
    const qsizetype selectionStart = std::min(m_caret, m_anchor);
    const qsizetype selectionEnd = std::max(m_caret, m_anchor);
    const QPalette &colours = palette();

    // Lines outside the selection are drawn once and copied while they stay on screen.
    m_lineImages.setLook(QStringLiteral("%1 %2 %3 %4 %5")
                             .arg(left)
                             .arg(viewport()->width())
                             .arg(font().key())
                             .arg(colours.color(QPalette::Text).rgba())
                             .arg(colours.color(QPalette::Base).rgba()));
    const QSize lineSize(viewport()->width(), height);
    for (qsizetype line = paintFrom; line < paintTo; ++line) {
        const int top = int(line - first) * height;
        const qsizetype start = lineStart(line);
        const qsizetype end = lineEnd(line);
        // Only the lines on screen are laid out: tabs become spaces up to the next stop.
        const auto shownText = [&] {
            QString shown;
            shown.reserve(end - start + TabCells);
            for (qsizetype i = start; i < end; ++i) {
                const QChar c = m_index.at(i);
                if (c == u'\t')
                    shown.append(QString(TabCells - shown.size() % TabCells, u' '));
                else
                    shown.append(c);
            }
            return shown;
        };
        const auto drawLine = [&](QPainter &on, int y, const QString &shown) {
            on.setPen(colours.color(QPalette::Text));
            on.drawText(left, y + metrics.ascent(), shown);
        };
        if (selectionStart > end || selectionEnd <= start) {
            const QPixmap &image = m_lineImages.image(
                line, start, end, lineSize, viewport()->devicePixelRatioF(), [&](QPainter &on) {
                    on.fillRect(QRect(QPoint(), lineSize), colours.base());
                    on.setFont(painter.font());
                    drawLine(on, 0, shownText());
                });
            painter.drawPixmap(0, top, image);
            continue;
        }
        const QString shown = shownText();
        painter.fillRect(QRect(QPoint(0, top), lineSize), colours.base());
        drawLine(painter, top, shown);

        // The selection, including the line end when it runs on into the next line.
        {
            const int from = selectionStart > start ? cellOf(selectionStart) : 0;
            const int to = selectionEnd > end ? cellOf(end) + 1 : cellOf(selectionEnd);
            const QRect band(left + from * width, top, (to - from) * width, height);
            painter.fillRect(band, colours.brush(QPalette::Highlight));
            painter.save();
            painter.setClipRect(band);
            painter.setPen(colours.color(QPalette::HighlightedText));
            painter.drawText(left, top + metrics.ascent(), shown);
            painter.restore();
        }
    }
    m_lineImages.keepOnly(first, last);
    // Below the last line.
    const QRect below(0, int(std::max(paintFrom, paintTo) - first) * height, viewport()->width(),
                      viewport()->height());
    painter.fillRect(below & area, colours.base());

    const qsizetype caretLine = lineOf(m_caret);
    if (hasFocus() && caretLine >= paintFrom && caretLine < paintTo) {
        const int x = left + cellOf(m_caret) * width;
        const int top = int(caretLine - first) * height;
        painter.setPen(colours.color(QPalette::Text));
        painter.drawLine(x, top, x, top + height - 1);
    }
}

void LogPaneView::resizeEvent(QResizeEvent *event)
{
    const bool atEnd = verticalScrollBar()->value() == verticalScrollBar()->maximum();
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    if (atEnd && caretAtEnd())
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void LogPaneView::scrollContentsBy(int dx, int dy)
{
    // The lines on screen move with the view: their pixels are moved (dy counts lines, dx
    // pixels), and only what comes into view is painted.
    const int down = dy * lineHeight();
    if (std::abs(dx) < viewport()->width() && std::abs(down) < viewport()->height())
        viewport()->scroll(dx, down);
    else
        viewport()->update();
}

void LogPaneView::keyPressEvent(QKeyEvent *event)
{
    if (event == QKeySequence::Copy) {
        copy();
        return;
    }
    if (event == QKeySequence::SelectAll) {
        selectAll();
        return;
    }
    const qsizetype line = lineOf(m_caret);
    const int cell = cellOf(m_caret);
    // The position in `target` nearest the caret's cell, for moves up and down.
    auto sameCell = [this, cell](qsizetype target) {
        target = std::clamp<qsizetype>(target, 0, lineCount() - 1);
        int at = 0;
        qsizetype i = lineStart(target);
        for (; i < lineEnd(target); ++i) {
            at = nextCell(at, m_index.at(i));
            if (at > cell)
                break;
        }
        return i;
    };
    struct Move
    {
        QKeySequence::StandardKey move;
        QKeySequence::StandardKey select;
        qsizetype to;
    };
    const int page = visibleLineCount();
    const Move moves[] = {
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, m_caret + 1},
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, m_caret - 1},
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, sameCell(line + 1)},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, sameCell(line - 1)},
        {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, sameCell(line + page)},
        {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, sameCell(line - page)},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, lineStart(line)},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, lineEnd(line)},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, 0},
        {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, m_index.size()},
    };
    for (const Move &move : moves) {
        if (event->matches(move.move) || event->matches(move.select)) {
            setCaretPosition(move.to, event->matches(move.select));
            return;
        }
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void LogPaneView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    m_dragging = true;
    setCaretPosition(positionAt(event->position().toPoint()),
                     event->modifiers() & Qt::ShiftModifier);
}

void LogPaneView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging || !(event->buttons() & Qt::LeftButton)) {
        m_dragging = false;
        return;
    }
    setCaretPosition(positionAt(event->position().toPoint()), true);
}

void LogPaneView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // Selects the field (count or time stamp) under the pointer.
    const qsizetype at = positionAt(event->position().toPoint());
    qsizetype from = at;
    qsizetype to = at;
    while (from > 0 && isWordChar(m_index.at(from - 1)))
        --from;
    while (to < m_index.size() && isWordChar(m_index.at(to)))
        ++to;
    m_anchor = from;
    setCaretPosition(to, true);
    m_dragging = false;
}

void LogPaneView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    QAction *copyAction = menu.addAction(tr("&Copy"), this, &LogPaneView::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(hasSelection());
    QAction *selectAllAction = menu.addAction(tr("Select &All"), this, &LogPaneView::selectAll);
    selectAllAction->setShortcut(QKeySequence::SelectAll);
    selectAllAction->setEnabled(!isEmpty());
    menu.exec(event->globalPos());
}

void LogPaneView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void LogPaneView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

} // namespace orvel
