// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QString>

#include <vector>

namespace orvel {

/// The log pane's text: one buffer and an index of line starts, so that a view can find, lay
/// out and paint only the lines it shows. Appending costs only the new text; replacing it with a
/// million rows takes a fraction of a second. Line ends are stored as LF (CR is dropped).
/// Positions are offsets into text(); cells are character columns with tabs expanded to the
/// next stop every TabCells cells.
class LogTextIndex
{
public:
    static constexpr int TabCells = 12;

    /// The cell after `cell` once `c` is written there.
    static int nextCell(int cell, QChar c)
    {
        return c == u'\t' ? (cell / TabCells + 1) * TabCells : cell + 1;
    }

    /// Appends `text` (CRs dropped); false when nothing was left to append.
    bool append(const QString &text);
    /// Replaces the whole text (CRs dropped).
    void setText(QString text);
    void clear();

    const QString &text() const { return m_text; }
    qsizetype size() const { return m_text.size(); }
    QChar at(qsizetype position) const { return m_text[position]; }
    /// Number of lines; text ending in a line end has an empty last line.
    qsizetype lineCount() const { return qsizetype(m_lineStarts.size()); }
    qsizetype lineStart(qsizetype line) const { return m_lineStarts[std::size_t(line)]; }
    /// The end of `line`: the position of its line end, or the end of the text.
    qsizetype lineEnd(qsizetype line) const;
    /// Text of line `line` (0-based) without its line end; empty beyond the last line.
    QString lineText(qsizetype line) const;
    /// The line `position` falls in.
    qsizetype lineOf(qsizetype position) const;
    /// Cell of `position` within its line.
    int cellOf(qsizetype position) const;
    /// Cells of the widest line.
    int widestCells() const { return m_widestCells; }

private:
    /// Indexes the lines of m_text from offset `from` (the start of a line) on.
    void indexFrom(qsizetype from);

    QString m_text;
    std::vector<qsizetype> m_lineStarts{0};
    int m_widestCells = 0;
};

} // namespace orvel
