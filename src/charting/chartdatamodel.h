// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <optional>
#include <span>
#include <vector>

namespace orvel {

/// What the chart draws: a grid of rows (samples) by columns (series, 1 = large, 2 = small) with a
/// value or nothing in each cell, one label per row, a label per column, the two axis titles and
/// the pens of the category axis. Rows and columns count from 1. The chart widget reads it and
/// redraws on changed(); the sample processor writes it. Indices outside the grid read as empty and
/// are ignored when written. UI thread only.
class ChartDataModel : public QObject
{
    Q_OBJECT
public:
    /// Pen of an axis line or grid: not drawn, or drawn solid.
    enum class PenStyle { None = 0, Solid = 1 };
    Q_ENUM(PenStyle)

    explicit ChartDataModel(QObject *parent = nullptr);

    qint32 rowCount() const { return m_rowCount; }
    /// Rows beyond the new count are dropped; new rows are empty. Setting 0 and back therefore
    /// empties every cell and row label.
    void setRowCount(qint32 rows);
    qint32 columnCount() const { return m_columnCount; }
    /// The same for columns; the labels of dropped columns go too.
    void setColumnCount(qint32 columns);

    /// The value of a cell; empty (nullopt) when nothing was set or the cell was set empty.
    std::optional<double> value(qint32 row, qint32 column) const;
    /// Sets a cell; `isNull` empties it instead.
    void setData(qint32 row, qint32 column, double value, bool isNull = false);

    /// The values of `column` by row from 1 to rowCount(), NaN where a cell is empty.
    void columnValues(qint32 column, std::vector<double> &values) const;

    const QString &rowLabel(qint32 row) const;
    /// All row labels, row 1 first, as two runs to be read one after the other (the second is
    /// empty unless the labels wrap around the end of their store). Valid until the next write.
    std::array<std::span<const QString>, 2> rowLabelRuns() const;
    void setRowLabel(qint32 row, const QString &label);

    /// The column that setColumnLabel() names.
    qint32 currentColumn() const { return m_currentColumn; }
    void setCurrentColumn(qint32 column);
    /// The series name of `column`, as shown in the legend.
    QString columnLabel(qint32 column) const;
    /// Names the current column.
    void setColumnLabel(const QString &label);

    QString categoryAxisTitle() const { return m_categoryTitle; }
    void setCategoryAxisTitle(const QString &title);
    QString valueAxisTitle() const { return m_valueTitle; }
    void setValueAxisTitle(const QString &title);

    PenStyle categoryAxisPen() const { return m_axisPen; }
    void setCategoryAxisPen(PenStyle style);
    PenStyle categoryMajorGridPen() const { return m_majorGridPen; }
    void setCategoryMajorGridPen(PenStyle style);
    PenStyle categoryMinorGridPen() const { return m_minorGridPen; }
    void setCategoryMinorGridPen(PenStyle style);

    /// Moves rows 2 .. `lastRow` of all columns up one row; row `lastRow` keeps its values.
    /// Costs a few column copies when `lastRow` is the last row (the chart following the newest
    /// sample), one copy per moved cell otherwise.
    void MoveData(qint32 lastRow);
    /// Moves the labels of rows 2 .. `lastRow` up one row and empties the label of `lastRow`;
    /// as cheap as MoveData() for the last row.
    void shiftRowLabelsUp(qint32 lastRow);

    /// While off, changes are only remembered; switching it on emits changed() once when anything
    /// changed meanwhile. While on, every change emits changed().
    bool repaint() const { return m_repaint; }
    void setRepaint(bool on);

    /// Calls of every setter and move so far, also those that changed nothing. For tests.
    quint64 writeCount() const { return m_writes; }

Q_SIGNALS:
    /// The chart should be drawn again from this model.
    void changed();

private:
    qsizetype valueIndex(qint32 row, qint32 column) const;
    qsizetype labelIndex(qint32 row) const;
    /// Puts row 1 back at the start of the value and label arrays.
    void linearise();
    void modified();

    qint32 m_rowCount = 0;
    qint32 m_columnCount = 0;
    /// Row-major cells; NaN marks an empty cell. A ring of rows starting at m_valueHead.
    std::vector<double> m_values;
    qsizetype m_valueHead = 0;
    /// Row labels; a ring of their own, since MoveData() leaves labels alone.
    std::vector<QString> m_rowLabels;
    qsizetype m_labelHead = 0;
    std::vector<QString> m_columnLabels;
    qint32 m_currentColumn = 1;
    QString m_categoryTitle;
    QString m_valueTitle;
    PenStyle m_axisPen = PenStyle::Solid;
    PenStyle m_majorGridPen = PenStyle::Solid;
    PenStyle m_minorGridPen = PenStyle::Solid;
    bool m_repaint = true;
    bool m_dirty = false;
    quint64 m_writes = 0;
};

} // namespace orvel
