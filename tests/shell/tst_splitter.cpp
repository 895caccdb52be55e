// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/splitter.h"

#include <QLabel>
#include <QTest>
#include <QVBoxLayout>

using namespace orvel;

class TestSplitter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_window = std::make_unique<QWidget>();
        m_splitter = new Splitter(m_window.get());
        // Areas whose contents want far more room than the bar's limits leave them.
        const auto area = [](const QString &text) {
            auto *widget = new QWidget;
            auto *layout = new QVBoxLayout(widget);
            auto *label = new QLabel(text);
            label->setMinimumHeight(250);
            layout->addWidget(label);
            return widget;
        };
        m_splitter->addWidget(area(QStringLiteral("log")));
        m_splitter->addWidget(area(QStringLiteral("chart")));
        m_splitter->setGeometry(0, 0, 400, 600);
        m_splitter->setMinBorder(60);
        m_splitter->setMaxBorder(30);
        m_window->resize(400, 600);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void dragStopsAtTheLimits_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("expected");
        QTest::newRow("far up") << 5 << 66;
        QTest::newRow("middle") << 250 << 250;
        // Thickness 6: low = 6 + 60, high = 600 - 30 - 12.
        QTest::newRow("at the low limit") << 66 << 66;
        QTest::newRow("at the high limit") << 558 << 558;
        QTest::newRow("far down") << 599 << 558;
        QTest::newRow("just below the low limit of the contents") << 100 << 100;
        QTest::newRow("just above the high limit of the contents") << 500 << 500;
    }

    void dragStopsAtTheLimits()
    {
        QFETCH(int, target);
        QFETCH(int, expected);
        QSplitterHandle *bar = m_splitter->handle(1);
        QCOMPARE(bar->toolTip(), QStringLiteral("Drag and drop to change proportions"));
        const QPoint grab(bar->width() / 2, 2);
        QTest::mousePress(bar, Qt::LeftButton, {}, grab);
        const QPoint to = bar->mapFromParent(QPoint(grab.x(), target + grab.y()));
        QMouseEvent move(QEvent::MouseMove, to, bar->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(bar, &move);
        const bool beyond = target != expected;
        QCOMPARE(bar->cursor().shape(), beyond ? Qt::ForbiddenCursor : Qt::SizeVerCursor);
        QTest::mouseRelease(bar, Qt::LeftButton, {},
                            bar->mapFromParent(QPoint(grab.x(), target + 2)));
        QCOMPARE(m_splitter->barPosition(), expected);
        QCOMPARE(bar->cursor().shape(), Qt::SizeVerCursor);
    }

    void resizeKeepsTheDistanceFromTheTop_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("whileResized");
        QTest::newRow("taller") << 200 << 1000 << 200;
        QTest::newRow("shorter, still room") << 200 << 300 << 200;
        QTest::newRow("too short: up to the limit") << 400 << 300 << 258;
        QTest::newRow("low position, taller") << 70 << 900 << 70;
    }

    void resizeKeepsTheDistanceFromTheTop()
    {
        QFETCH(int, position);
        QFETCH(int, height);
        QFETCH(int, whileResized);
        m_splitter->setBarPosition(position);
        QCOMPARE(m_splitter->barPosition(), position);
        m_splitter->resize(400, height);
        QCOMPARE(m_splitter->barPosition(), whileResized);
        // Back to the first size: the bar returns to where it was put.
        m_splitter->resize(400, 600);
        QCOMPARE(m_splitter->barPosition(), position);
    }

private:
    std::unique_ptr<QWidget> m_window;
    Splitter *m_splitter = nullptr;
};

QTEST_MAIN(TestSplitter)
#include "tst_splitter.moc"
