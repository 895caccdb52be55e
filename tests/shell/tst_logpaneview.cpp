#include "shell/logpaneview.h"

#include <QScrollBar>
#include <QTest>

using namespace orvel;

class TestLogPaneView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void followsWhenCaretAtEnd();
    void keepsReadersPlace();
    void readOnlyButSelectable();
};

void TestLogPaneView::followsWhenCaretAtEnd()
{
    LogPaneView pane;
    pane.resize(300, 100);
    pane.show();
    for (int i = 0; i < 200; ++i)
        pane.appendLogText(QStringLiteral("%1\t300\r\n").arg(i));
    QVERIFY(pane.caretAtEnd());
    QCOMPARE(pane.verticalScrollBar()->value(), pane.verticalScrollBar()->maximum());
    QVERIFY(pane.toPlainText().startsWith(QStringLiteral("0\t300\n1\t300\n")));
    QVERIFY(!pane.toPlainText().contains(u'\r'));
}

void TestLogPaneView::keepsReadersPlace()
{
    LogPaneView pane;
    pane.resize(300, 100);
    pane.show();
    for (int i = 0; i < 200; ++i)
        pane.appendLogText(QStringLiteral("%1\t300\r\n").arg(i));
    pane.setCaretPosition(10);
    pane.verticalScrollBar()->setValue(5);
    pane.appendLogText(QStringLiteral("new\r\n"));
    QCOMPARE(pane.caretPosition(), 10);
    QCOMPARE(pane.verticalScrollBar()->value(), 5);
    QVERIFY(pane.toPlainText().endsWith(QStringLiteral("new\n")));
}

void TestLogPaneView::readOnlyButSelectable()
{
    LogPaneView pane;
    pane.appendLogText(QStringLiteral("1200\t300\r\n"));
    pane.selectAll();
    QVERIFY(pane.selectedText().startsWith(QStringLiteral("1200\t300")));
    QVERIFY(pane.isReadOnly());
}

QTEST_MAIN(TestLogPaneView)
#include "tst_logpaneview.moc"
