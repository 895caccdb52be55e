// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "widgets/logpaneview.h"

#include "common/frameclock.h"

#include <QApplication>
#include <QClipboard>
#include <QPaintEvent>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace orvel;

namespace {

/// Notes what each paint of the pane's viewport shows.
struct PaintWatch : QObject
{
    explicit PaintWatch(LogPaneView &pane)
        : m_pane(pane)
    {
        pane.viewport()->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            lastShown = m_pane.firstVisibleLine() + m_pane.visibleLineCount();
            linesAtPaint = m_pane.lineCount();
        }
        return false;
    }
    LogPaneView &m_pane;
    int paints = 0;
    qsizetype lastShown = 0;
    qsizetype linesAtPaint = 0;
};

/// Notes the area the paints of the pane's viewport cover.
struct PaintArea : QObject
{
    explicit PaintArea(QWidget *viewport) { viewport->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            area |= static_cast<QPaintEvent *>(event)->rect();
        return false;
    }
    QRect area;
};

/// Shows `pane` small enough to scroll, with the rows "0\t300" to "<rows - 1>\t300" in it;
/// false when it does not reach the screen.
bool showWithRows(LogPaneView &pane, int rows = 0)
{
    pane.resize(300, 100);
    pane.show();
    for (int i = 0; i < rows; ++i)
        pane.appendLogText(QStringLiteral("%1\t300\r\n").arg(i));
    return QTest::qWaitForWindowExposed(&pane);
}

} // namespace

class TestLogPaneView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void followsTheEndButKeepsTheReadersPlace()
    {
        LogPaneView pane;
        QVERIFY(showWithRows(pane, 200));
        QVERIFY(pane.caretAtEnd());
        QCOMPARE(pane.verticalScrollBar()->value(), pane.verticalScrollBar()->maximum());
        QVERIFY(pane.toPlainText().startsWith(QStringLiteral("0\t300\n1\t300\n")));
        QVERIFY(!pane.toPlainText().contains(u'\r'));

        // A reader who moved away stays where they are.
        pane.setCaretPosition(10);
        pane.verticalScrollBar()->setValue(5);
        pane.appendLogText(QStringLiteral("new\r\n"));
        QCOMPARE(pane.caretPosition(), 10);
        QCOMPARE(pane.verticalScrollBar()->value(), 5);
        QVERIFY(pane.toPlainText().endsWith(QStringLiteral("new\n")));
    }

    void keyboardSelectionCopies()
    {
        LogPaneView pane;
        QVERIFY(showWithRows(pane));
        pane.appendLogText(QStringLiteral("1200\t300\r\n1300\t400\r\n"));
        pane.setCaretPosition(0);
        QTest::keyClick(&pane, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(&pane, Qt::Key_End, Qt::ShiftModifier);
        QCOMPARE(pane.selectedText(), QStringLiteral("1200\t300\n1300\t400"));
        QTest::keyClick(&pane, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("1200\t300\n1300\t400"));
        QTest::keyClick(&pane, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(pane.selectedText(), pane.toPlainText());
        // Selectable, but read-only: typing over the selection changes nothing.
        QTest::keyClicks(&pane, QStringLiteral("x"));
        QCOMPARE(pane.toPlainText(), QStringLiteral("1200\t300\n1300\t400\n"));
        // A selection is not the end: new rows do not move the reader.
        pane.appendLogText(QStringLiteral("1400\t500\r\n"));
        QVERIFY(!pane.caretAtEnd());
    }

    void replacedTextShowsItsEnd()
    {
        LogPaneView pane;
        QVERIFY(showWithRows(pane, 1));
        pane.setCaretPosition(1);
        QByteArray log;
        for (int i = 0; i < 100000; ++i)
            log += QByteArray::number(i) + "\t300\t05/12/2026 07:50:20\r\n";
        pane.setLogBytes(log);
        QCOMPARE(pane.lineCount(), 100001);
        QCOMPARE(pane.lineText(99999), QStringLiteral("99999\t300\t05/12/2026 07:50:20"));
        QVERIFY(pane.caretAtEnd());
        QCOMPARE(pane.verticalScrollBar()->value(), pane.verticalScrollBar()->maximum());
        QVERIFY(pane.firstVisibleLine() + pane.visibleLineCount() >= pane.lineCount());
        QCOMPARE(pane.toPlainText().size(), log.size() - 100000);
    }

    void clearEmptiesAndSignals()
    {
        LogPaneView pane;
        pane.appendLogText(QStringLiteral("1200\t300\r\n"));
        QSignalSpy changed(&pane, &LogPaneView::textChanged);
        pane.clear();
        QCOMPARE(changed.size(), 1);
        QVERIFY(pane.isEmpty());
        QCOMPARE(pane.lineCount(), 1);
        QVERIFY(pane.caretAtEnd());
    }

    /// Lines kept as images while rows arrive, a partial line completed, the pane scrolled
    /// sideways and recoloured: the pane shows what it shows when it draws every line afresh.
    void keptLinesLookAsDrawnAfresh()
    {
        LogPaneView pane;
        QVERIFY(showWithRows(pane, 3));
        const auto asFresh = [&pane] {
            QTest::qWait(2 * FrameClock::FrameMs); // the paced paint of the last change
            const QImage kept = pane.viewport()->grab().toImage();
            pane.dropLineImages();
            return kept == pane.viewport()->grab().toImage();
        };
        pane.setCaretPosition(0); // the caret's line is not kept: keep it away from the end
        pane.appendLogText(QStringLiteral("12\t3"));
        QVERIFY(asFresh());
        pane.appendLogText(QStringLiteral("00\t99999 and the rest of a long line\r\n"));
        QVERIFY(asFresh());
        for (int i = 3; i < 12; ++i)
            pane.appendLogText(QStringLiteral("%1\t300\r\n").arg(i));
        pane.moveCaretToEnd(); // down to the end: the kept lines move up
        QVERIFY(asFresh());
        pane.horizontalScrollBar()->setValue(20);
        QVERIFY(asFresh());
        QPalette dark = pane.palette();
        dark.setColor(QPalette::Base, Qt::black);
        dark.setColor(QPalette::Text, Qt::white);
        pane.setPalette(dark);
        QVERIFY(asFresh());
        pane.verticalScrollBar()->setValue(0);
        QVERIFY(asFresh());
    }

    /// Rows arriving while the pane follows its end move the lines on screen and paint only
    /// what is new; however the pane got there (rows one by one, a partial line completed, the
    /// reader's scrolling either way, the caret following, a selection), the screen shows what
    /// the pane and its scroll bar draw afresh.
    void scrolledLinesLookAsDrawnAfresh()
    {
        LogPaneView pane;
        QVERIFY(showWithRows(pane, 20));
        QWidget *viewport = pane.viewport();
        // Whether the screen shows `widget` as it draws itself afresh.
        const auto shownAsDrawn = [&pane](QWidget *widget) {
            QWidget *window = pane.window();
            const QPoint at = widget->mapTo(window, QPoint());
            const QImage shown = window->screen()
                                     ->grabWindow(window->winId(), at.x(), at.y(),
                                                  widget->width(), widget->height())
                                     .toImage()
                                     .convertToFormat(QImage::Format_RGB32);
            return !shown.isNull() &&
                   shown == widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
        };
        const auto asFresh = [&] {
            QTest::qWait(2 * FrameClock::FrameMs); // the paced paint of the last change
            pane.dropLineImages();
            return shownAsDrawn(viewport) && shownAsDrawn(pane.verticalScrollBar());
        };
        QTest::qWait(2 * FrameClock::FrameMs); // the rows above were held back for a frame
        QVERIFY(asFresh());
        PaintArea painted(viewport);
        for (int i = 20; i < 26; ++i) {
            painted.area = QRect();
            pane.appendLogText(QStringLiteral("%1\t300\r\n").arg(i));
            QTest::qWait(2 * FrameClock::FrameMs);
            // The rows above moved up on screen: painted are the row completed, the new empty
            // last row and what lies below them.
            QVERIFY2(painted.area.top() > 0 &&
                         painted.area.height() < 3 * pane.fontMetrics().lineSpacing(),
                     qPrintable(QStringLiteral("%1 of %2 rows painted")
                                    .arg(painted.area.height())
                                    .arg(viewport->height())));
            QVERIFY(asFresh());
        }
        pane.appendLogText(QStringLiteral("12\t3"));
        QVERIFY(asFresh());
        pane.appendLogText(QStringLiteral("00\t99\r\n"));
        QVERIFY(asFresh());
        QScrollBar *bar = pane.verticalScrollBar();
        bar->setValue(bar->value() - 3); // the reader looks back
        QVERIFY(asFresh());
        pane.appendLogText(QStringLiteral("26\t300\r\n")); // below the view: nothing moves
        QVERIFY(asFresh());
        bar->setValue(bar->value() + 1);
        QVERIFY(asFresh());
        pane.moveCaretToEnd();
        QVERIFY(asFresh());
        pane.appendLogText(
            QStringLiteral("27\t300 and the rest of a long line, wider than the pane\r\n"));
        QVERIFY(asFresh());
        pane.horizontalScrollBar()->setValue(30);
        QVERIFY(asFresh());
        pane.horizontalScrollBar()->setValue(10);
        QVERIFY(asFresh());
        pane.moveCaretToEnd();
        // The caret follows the rows.
        pane.activateWindow();
        pane.setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&pane));
        QVERIFY(pane.hasFocus());
        for (int i = 28; i < 31; ++i) {
            pane.appendLogText(QStringLiteral("%1\t300\r\n").arg(i));
            QVERIFY(asFresh());
        }
        // A selection that ends at the end of the text stays put as rows arrive below it.
        pane.setCaretPosition(pane.toPlainText().size() - 9);
        pane.setCaretPosition(pane.toPlainText().size(), true);
        QVERIFY(asFresh());
        pane.appendLogText(QStringLiteral("31\t300\r\n"));
        QVERIFY(asFresh());
        pane.appendLogText(QStringLiteral("32\t300\r\n"));
        QVERIFY(asFresh());
    }

    void burstIsPaintedOnceWithItsLastRow()
    {
        LogPaneView pane;
        QVERIFY(showWithRows(pane));
        QTest::qWait(2 * FrameClock::FrameMs);
        PaintWatch watch(pane);
        // Rows arriving as fast as events are handled, all within one frame (timers do not run).
        for (int i = 0; i < 1000; ++i) {
            pane.appendLogText(QStringLiteral("%1\t300\r\n").arg(i));
            QCoreApplication::sendPostedEvents();
        }
        QCOMPARE(watch.paints, 1);
        QCOMPARE(pane.lineCount(), 1001);
        QCOMPARE(pane.lineText(999), QStringLiteral("999\t300"));
        // The frame's end paints the last row.
        QTRY_COMPARE(watch.paints, 2);
        QCOMPARE(watch.linesAtPaint, 1001);
        QVERIFY(watch.lastShown >= 1001);
    }
};

QTEST_MAIN(TestLogPaneView)
#include "tst_logpaneview.moc"
