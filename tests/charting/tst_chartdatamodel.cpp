// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/chartdatamodel.h"

#include <QList>
#include <QSignalSpy>
#include <QTest>

using namespace orvel;

namespace {

/// Fills every cell with row·10 + column and labels every row "R<row>".
void fill(ChartDataModel &chart)
{
    for (qint32 row = 1; row <= chart.rowCount(); ++row) {
        for (qint32 column = 1; column <= chart.columnCount(); ++column)
            chart.setData(row, column, row * 10 + column);
        chart.setRowLabel(row, QStringLiteral("R%1").arg(row));
    }
}

/// The grid as text, one "label:value,value" entry per row; "-" for an empty cell.
QStringList snapshot(const ChartDataModel &chart)
{
    QStringList rows;
    for (qint32 row = 1; row <= chart.rowCount(); ++row) {
        QStringList cells;
        for (qint32 column = 1; column <= chart.columnCount(); ++column) {
            const auto value = chart.value(row, column);
            cells << (value ? QString::number(*value) : QStringLiteral("-"));
        }
        rows << chart.rowLabel(row) + u':' + cells.join(u',');
    }
    return rows;
}

/// What moving rows 2 .. n of the values up one row does to a snapshot; labels stay.
QStringList movedValues(QStringList rows, qint32 n)
{
    QStringList moved = rows;
    for (qint32 i = 0; i + 1 < n; ++i) {
        const QString label = rows[i].section(u':', 0, 0);
        moved[i] = label + u':' + rows[i + 1].section(u':', 1);
    }
    return moved;
}

/// What shifting the labels of rows 2 .. n up one row does; row n's label becomes empty.
QStringList shiftedLabels(QStringList rows, qint32 n)
{
    QStringList shifted = rows;
    for (qint32 i = 0; i < n; ++i) {
        const QString label = i + 1 < n ? rows[i + 1].section(u':', 0, 0) : QString();
        shifted[i] = label + u':' + rows[i].section(u':', 1);
    }
    return shifted;
}

} // namespace

class TestChartDataModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void moveDataIsABlockMove_data()
    {
        QTest::addColumn<qint32>("rows");
        QTest::addColumn<qint32>("lastRow");
        QTest::addColumn<int>("repeats");

        QTest::newRow("last row, once") << 5 << 5 << 1;
        QTest::newRow("last row, around the ring twice") << 5 << 5 << 11;
        QTest::newRow("inner rows") << 6 << 4 << 3;
        QTest::newRow("two rows") << 2 << 2 << 3;
        QTest::newRow("one row moves nothing") << 3 << 1 << 2;
    }

    void moveDataIsABlockMove()
    {
        QFETCH(qint32, rows);
        QFETCH(qint32, lastRow);
        QFETCH(int, repeats);
        ChartDataModel chart;
        chart.setColumnCount(2);
        chart.setRowCount(rows);
        fill(chart);

        for (int i = 0; i < repeats; ++i) {
            QStringList expected = movedValues(snapshot(chart), lastRow);
            chart.MoveData(lastRow);
            QCOMPARE(snapshot(chart), expected);

            expected = shiftedLabels(snapshot(chart), lastRow);
            chart.shiftRowLabelsUp(lastRow);
            QCOMPARE(snapshot(chart), expected);

            // The freed last row takes a new entry, as the newest sample does.
            chart.setData(lastRow, 1, 1000 + i);
            chart.setRowLabel(lastRow, QStringLiteral("N%1").arg(i));
        }
    }

    void resizingKeepsRowsAfterMoves_data()
    {
        QTest::addColumn<qint32>("newRows");
        QTest::addColumn<qint32>("newColumns");

        QTest::newRow("more rows") << 8 << 2;
        QTest::newRow("fewer rows") << 3 << 2;
        QTest::newRow("more columns") << 5 << 3;
        QTest::newRow("fewer columns") << 5 << 1;
    }

    void resizingKeepsRowsAfterMoves()
    {
        QFETCH(qint32, newRows);
        QFETCH(qint32, newColumns);
        ChartDataModel chart;
        chart.setColumnCount(2);
        chart.setRowCount(5);
        fill(chart);
        chart.MoveData(5);
        chart.shiftRowLabelsUp(5);
        chart.MoveData(5);
        const QStringList before = snapshot(chart);

        chart.setRowCount(newRows);
        chart.setColumnCount(newColumns);
        QCOMPARE(chart.rowCount(), newRows);
        QCOMPARE(chart.columnCount(), newColumns);
        for (qint32 row = 1; row <= newRows; ++row) {
            for (qint32 column = 1; column <= newColumns; ++column) {
                const bool kept = row <= 5 && column <= 2;
                const auto value = chart.value(row, column);
                if (!kept) {
                    QVERIFY2(!value,
                             qPrintable(QStringLiteral("new cell %1,%2").arg(row).arg(column)));
                    continue;
                }
                const QString cell =
                    before[row - 1].section(u':', 1).section(u',', column - 1, column - 1);
                QCOMPARE(value ? QString::number(*value) : QStringLiteral("-"), cell);
            }
            QCOMPARE(chart.rowLabel(row),
                     row <= 5 ? before[row - 1].section(u':', 0, 0) : QString());
        }
    }

    void zeroRowsAndBackEmptiesTheGrid_data()
    {
        QTest::addColumn<bool>("columns");

        QTest::newRow("row count") << false;
        QTest::newRow("column count") << true;
    }

    void zeroRowsAndBackEmptiesTheGrid()
    {
        QFETCH(bool, columns);
        ChartDataModel chart;
        chart.setColumnCount(2);
        chart.setRowCount(4);
        fill(chart);
        chart.MoveData(4);

        if (columns) {
            chart.setColumnCount(0);
            chart.setColumnCount(2);
        } else {
            chart.setRowCount(0);
            chart.setRowCount(4);
        }
        QCOMPARE(chart.rowCount(), 4);
        QCOMPARE(chart.columnCount(), 2);
        for (qint32 row = 1; row <= 4; ++row) {
            QVERIFY(!chart.value(row, 1));
            QVERIFY(!chart.value(row, 2));
            if (!columns)
                QCOMPARE(chart.rowLabel(row), QString());
        }
    }

    void repaintSwitchBatchesChanges_data()
    {
        QTest::addColumn<bool>("switchedOff");
        QTest::addColumn<bool>("changes");
        QTest::addColumn<int>("expectedSignals");

        QTest::newRow("off, many changes, on: one repaint") << true << true << 1;
        QTest::newRow("off, nothing changed, on: no repaint") << true << false << 0;
        QTest::newRow("on: one repaint per change") << false << true << 4;
        QTest::newRow("on, writes that change nothing") << false << false << 0;
    }

    void repaintSwitchBatchesChanges()
    {
        QFETCH(bool, switchedOff);
        QFETCH(bool, changes);
        QFETCH(int, expectedSignals);
        ChartDataModel chart;
        chart.setColumnCount(2);
        chart.setRowCount(3);
        chart.setData(1, 1, 5);
        chart.setRowLabel(1, QStringLiteral("a"));
        QSignalSpy spy(&chart, &ChartDataModel::changed);
        QVERIFY(spy.isValid());

        if (switchedOff)
            chart.setRepaint(false);
        if (changes) {
            chart.setData(2, 1, 7);
            chart.setRowLabel(2, QStringLiteral("b"));
            chart.setCategoryAxisTitle(QStringLiteral("title"));
            chart.setCategoryMajorGridPen(ChartDataModel::PenStyle::None);
        } else {
            chart.setData(1, 1, 5);
            chart.setRowLabel(1, QStringLiteral("a"));
            chart.setData(3, 2, 0, true);
        }
        QCOMPARE(spy.size(), 0 + (switchedOff ? 0 : expectedSignals));
        chart.setRepaint(true);
        QCOMPARE(spy.size(), expectedSignals);
        QVERIFY(chart.repaint());
    }

    void outsideTheGridIsIgnored()
    {
        ChartDataModel chart;
        chart.setColumnCount(2);
        chart.setRowCount(2);
        const quint64 writes = chart.writeCount();
        chart.setData(0, 1, 3);
        chart.setData(3, 1, 3);
        chart.setData(1, 3, 3);
        chart.setRowLabel(3, QStringLiteral("x"));
        QCOMPARE(chart.writeCount(), writes + 4);
        QVERIFY(!chart.value(3, 1));
        QCOMPARE(chart.rowLabel(3), QString());
        QCOMPARE(snapshot(chart), QStringList({QStringLiteral(":-,-"), QStringLiteral(":-,-")}));
    }
};

QTEST_GUILESS_MAIN(TestChartDataModel)
#include "tst_chartdatamodel.moc"
