// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "logfile/logtextindex.h"

#include <algorithm>

namespace orvel {

void LogTextIndex::indexFrom(qsizetype from)
{
    while (m_lineStarts.size() > 1 && m_lineStarts.back() >= from)
        m_lineStarts.pop_back();
    if (m_lineStarts.back() != from)
        m_lineStarts.push_back(from);
    const QChar *data = m_text.constData();
    const qsizetype size = m_text.size();
    int cell = 0;
    int widest = m_widestCells;
    for (qsizetype i = from; i < size; ++i) {
        const QChar c = data[i];
        if (c == u'\n') {
            widest = std::max(widest, cell);
            cell = 0;
            m_lineStarts.push_back(i + 1);
        } else {
            cell = nextCell(cell, c);
        }
    }
    m_widestCells = std::max(widest, cell);
}

bool LogTextIndex::append(const QString &text)
{
    QString plain = text;
    plain.remove(u'\r');
    if (plain.isEmpty())
        return false;
    const qsizetype lastLine = m_lineStarts.back();
    m_text += plain;
    indexFrom(lastLine);
    return true;
}

void LogTextIndex::setText(QString text)
{
    // Drop the CRs in place; a log has one before every LF.
    QChar *data = text.data();
    const qsizetype size = text.size();
    qsizetype kept = 0;
    for (qsizetype i = 0; i < size; ++i) {
        if (data[i] != u'\r')
            data[kept++] = data[i];
    }
    text.truncate(kept);
    m_text = std::move(text);
    m_lineStarts.assign(1, 0);
    m_lineStarts.reserve(std::size_t(m_text.size() / 32 + 1));
    m_widestCells = 0;
    indexFrom(0);
}

void LogTextIndex::clear()
{
    m_text.clear();
    m_text.squeeze();
    m_lineStarts.assign(1, 0);
    m_lineStarts.shrink_to_fit();
    m_widestCells = 0;
}

qsizetype LogTextIndex::lineEnd(qsizetype line) const
{
    return line + 1 < lineCount() ? lineStart(line + 1) - 1 : m_text.size();
}

QString LogTextIndex::lineText(qsizetype line) const
{
    if (line < 0 || line >= lineCount())
        return QString();
    return m_text.mid(lineStart(line), lineEnd(line) - lineStart(line));
}

qsizetype LogTextIndex::lineOf(qsizetype position) const
{
    const auto it = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), position);
    return qsizetype(it - m_lineStarts.begin()) - 1;
}

int LogTextIndex::cellOf(qsizetype position) const
{
    int cell = 0;
    for (qsizetype i = lineStart(lineOf(position)); i < position; ++i)
        cell = nextCell(cell, m_text[i]);
    return cell;
}

} // namespace orvel
