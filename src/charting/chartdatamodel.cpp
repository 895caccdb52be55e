// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/chartdatamodel.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvel {

namespace {
constexpr double Empty = std::numeric_limits<double>::quiet_NaN();

bool sameCell(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || a == b;
}
} // namespace

ChartDataModel::ChartDataModel(QObject *parent)
    : QObject(parent)
{}

void ChartDataModel::setRowCount(qint32 rows)
{
    ++m_writes;
    rows = std::max(rows, 0);
    if (rows == m_rowCount)
        return;
    linearise();
    m_values.resize(size_t(rows) * size_t(m_columnCount), Empty);
    m_rowLabels.resize(size_t(rows));
    m_rowCount = rows;
    modified();
}

void ChartDataModel::setColumnCount(qint32 columns)
{
    ++m_writes;
    columns = std::max(columns, 0);
    if (columns == m_columnCount)
        return;
    linearise();
    std::vector<double> values(size_t(m_rowCount) * size_t(columns), Empty);
    const qint32 kept = std::min(columns, m_columnCount);
    for (qint32 row = 0; row < m_rowCount; ++row) {
        for (qint32 column = 0; column < kept; ++column)
            values[size_t(row) * columns + column] = m_values[size_t(row) * m_columnCount + column];
    }
    m_values = std::move(values);
    m_columnLabels.resize(size_t(columns));
    m_columnCount = columns;
    modified();
}

std::optional<double> ChartDataModel::value(qint32 row, qint32 column) const
{
    const qsizetype i = valueIndex(row, column);
    if (i < 0 || std::isnan(m_values[i]))
        return std::nullopt;
    return m_values[i];
}

void ChartDataModel::setData(qint32 row, qint32 column, double value, bool isNull)
{
    ++m_writes;
    const qsizetype i = valueIndex(row, column);
    if (i < 0)
        return;
    const double stored = isNull ? Empty : value;
    if (sameCell(m_values[i], stored))
        return;
    m_values[i] = stored;
    modified();
}

void ChartDataModel::columnValues(qint32 column, std::vector<double> &values) const
{
    const size_t rows = size_t(std::max(m_rowCount, 0));
    if (column < 1 || column > m_columnCount) {
        values.assign(rows, std::numeric_limits<double>::quiet_NaN());
        return;
    }
    values.resize(rows);
    // Straight through the ring from its head, in two runs.
    const size_t stride = size_t(m_columnCount);
    const double *cells = m_values.data() + size_t(column - 1);
    const size_t head = size_t(m_valueHead);
    double *out = values.data();
    for (size_t physical = head; physical < rows; ++physical)
        *out++ = cells[physical * stride];
    for (size_t physical = 0; physical < head; ++physical)
        *out++ = cells[physical * stride];
}

const QString &ChartDataModel::rowLabel(qint32 row) const
{
    static const QString none;
    const qsizetype i = labelIndex(row);
    return i < 0 ? none : m_rowLabels[size_t(i)];
}

std::array<std::span<const QString>, 2> ChartDataModel::rowLabelRuns() const
{
    const size_t rows = size_t(std::max(m_rowCount, 0));
    const size_t head = std::min(size_t(m_labelHead), rows);
    const QString *labels = m_rowLabels.data();
    return {std::span<const QString>(labels + head, rows - head),
            std::span<const QString>(labels, head)};
}

void ChartDataModel::setRowLabel(qint32 row, const QString &label)
{
    ++m_writes;
    const qsizetype i = labelIndex(row);
    if (i < 0 || m_rowLabels[i] == label)
        return;
    m_rowLabels[i] = label;
    modified();
}

void ChartDataModel::setCurrentColumn(qint32 column)
{
    ++m_writes;
    m_currentColumn = column;
}

QString ChartDataModel::columnLabel(qint32 column) const
{
    if (column < 1 || column > m_columnCount)
        return {};
    return m_columnLabels[column - 1];
}

void ChartDataModel::setColumnLabel(const QString &label)
{
    ++m_writes;
    if (m_currentColumn < 1 || m_currentColumn > m_columnCount)
        return;
    QString &current = m_columnLabels[m_currentColumn - 1];
    if (current == label)
        return;
    current = label;
    modified();
}

void ChartDataModel::setCategoryAxisTitle(const QString &title)
{
    ++m_writes;
    if (m_categoryTitle == title)
        return;
    m_categoryTitle = title;
    modified();
}

void ChartDataModel::setValueAxisTitle(const QString &title)
{
    ++m_writes;
    if (m_valueTitle == title)
        return;
    m_valueTitle = title;
    modified();
}

void ChartDataModel::setCategoryAxisPen(PenStyle style)
{
    ++m_writes;
    if (m_axisPen == style)
        return;
    m_axisPen = style;
    modified();
}

void ChartDataModel::setCategoryMajorGridPen(PenStyle style)
{
    ++m_writes;
    if (m_majorGridPen == style)
        return;
    m_majorGridPen = style;
    modified();
}

void ChartDataModel::setCategoryMinorGridPen(PenStyle style)
{
    ++m_writes;
    if (m_minorGridPen == style)
        return;
    m_minorGridPen = style;
    modified();
}

void ChartDataModel::MoveData(qint32 lastRow)
{
    ++m_writes;
    lastRow = std::min(lastRow, m_rowCount);
    if (lastRow < 2 || m_columnCount == 0)
        return;
    const auto copyRow = [this](qint32 to, qint32 from) {
        for (qint32 column = 1; column <= m_columnCount; ++column)
            m_values[valueIndex(to, column)] = m_values[valueIndex(from, column)];
    };
    if (lastRow == m_rowCount) {
        // Turn the ring one row on: rows 2 .. n become rows 1 .. n-1, and the old row 1 becomes
        // row n, which then gets back the values row n had.
        m_valueHead = (m_valueHead + 1) % m_rowCount;
        copyRow(lastRow, lastRow - 1);
    } else {
        for (qint32 row = 1; row < lastRow; ++row)
            copyRow(row, row + 1);
    }
    modified();
}

void ChartDataModel::shiftRowLabelsUp(qint32 lastRow)
{
    ++m_writes;
    lastRow = std::min(lastRow, m_rowCount);
    if (lastRow < 1)
        return;
    if (lastRow == m_rowCount) {
        m_labelHead = (m_labelHead + 1) % m_rowCount;
    } else {
        for (qint32 row = 1; row < lastRow; ++row)
            m_rowLabels[labelIndex(row)] = std::move(m_rowLabels[labelIndex(row + 1)]);
    }
    m_rowLabels[labelIndex(lastRow)].clear();
    modified();
}

void ChartDataModel::setRepaint(bool on)
{
    ++m_writes;
    if (m_repaint == on)
        return;
    m_repaint = on;
    if (on && m_dirty) {
        m_dirty = false;
        Q_EMIT changed();
    }
}

qsizetype ChartDataModel::valueIndex(qint32 row, qint32 column) const
{
    if (row < 1 || row > m_rowCount || column < 1 || column > m_columnCount)
        return -1;
    qsizetype physical = m_valueHead + row - 1;
    if (physical >= m_rowCount)
        physical -= m_rowCount;
    return physical * m_columnCount + (column - 1);
}

qsizetype ChartDataModel::labelIndex(qint32 row) const
{
    if (row < 1 || row > m_rowCount)
        return -1;
    qsizetype physical = m_labelHead + row - 1;
    if (physical >= m_rowCount)
        physical -= m_rowCount;
    return physical;
}

void ChartDataModel::linearise()
{
    if (m_valueHead != 0) {
        const auto first = m_values.begin() + m_valueHead * m_columnCount;
        std::rotate(m_values.begin(), first, m_values.end());
        m_valueHead = 0;
    }
    if (m_labelHead != 0) {
        std::rotate(m_rowLabels.begin(), m_rowLabels.begin() + m_labelHead, m_rowLabels.end());
        m_labelHead = 0;
    }
}

void ChartDataModel::modified()
{
    if (m_repaint)
        Q_EMIT changed();
    else
        m_dirty = true;
}

} // namespace orvel
