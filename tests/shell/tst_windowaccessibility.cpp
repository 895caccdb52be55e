// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// The main window from the keyboard and to assistive technology: the Tab chain, the names it
// reports, the captions' mnemonic keys and the slider's text after keyboard moves.

#include "charting/charttoolbar.h"
#include "charting/sampleprocessor.h"
#include "charting/slidermodel.h"
#include "shell/mainwindow.h"
#include "shellfixture.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <QToolBar>
#include <QToolTip>

using namespace orvel;

class TestWindowAccessibility : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_fixture = std::make_unique<test::ShellFixture>();
        m_window = std::make_unique<MainWindow>(m_fixture->environment());
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    void reachedAndNamed_data()
    {
        // Each row is named by a toolbar button's key or a widget's object name.
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("tabStop");
        QTest::addColumn<int>("mnemonic"); // with Alt; 0 for none
        QTest::newRow("Record") << "Record (Ctl+S)" << true << 0;
        QTest::newRow("About") << "About Orvel Logger" << true << 0;
        QTest::newRow("GraphType") << "Graph Type: Line" << true << 0;
        QTest::newRow("GraphLargeMaximum") << "Show maximum" << true << 0;
        // A list is named by its caption, whose mnemonic only underlines a letter.
        QTest::newRow("ComPortComboBox") << "Port:" << true << int(Qt::Key_P);
        QTest::newRow("StopAfterComboBox") << "Stop After:" << true << int(Qt::Key_S);
        QTest::newRow("DisplayPeriodComboBox") << "Display Period:" << true << int(Qt::Key_D);
        QTest::newRow("ChartSlider") << "Chart start" << true << 0;
        QTest::newRow("SmallCountLabel") << "Small particles" << false << 0;
        QTest::newRow("LargeCountLabel") << "Large particles" << false << 0;
        QTest::newRow("ChartControl") << "Chart" << false << 0;
    }

    void reachedAndNamed()
    {
        const QString key = QString::fromLatin1(QTest::currentDataTag());
        QFETCH(QString, name);
        QFETCH(bool, tabStop);
        QFETCH(int, mnemonic);
        loadThreeHours(); // so that the slider can move
        auto *button = m_window->findChild<QAction *>(key);
        QWidget *widget = button
                              ? static_cast<QToolBar *>(button->parent())->widgetForAction(button)
                              : m_window->findChild<QWidget *>(key);
        QVERIFY(widget);
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
        const auto labels = accessible->relations(QAccessible::Label);
        QCOMPARE(labels.isEmpty() ? accessible->text(QAccessible::Name)
                                  : labels.first().first->text(QAccessible::Name),
                 name);
        if (!tabStop)
            QVERIFY(!accessible->text(QAccessible::Description).isEmpty());
        if (mnemonic) {
            m_window->LogFileTextBox()->setFocus();
            QTest::keyClick(m_window.get(), Qt::Key(mnemonic), Qt::AltModifier);
            QCOMPARE(QApplication::focusWidget(), widget);
        }

        // Round the Tab chain from the first toolbar button.
        QWidget *first =
            m_window->logToolbar()->widgetForAction(m_window->logToolbar()->actions()[0]);
        first->setFocus(Qt::TabFocusReason);
        bool reached = false;
        for (int step = 0; step < 40 && !reached; ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached = QApplication::focusWidget() == widget;
        }
        QCOMPARE(reached, tabStop);
    }

    void sliderTextAfterKeyboardMoves_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<bool>("shown");
        QTest::newRow("arrow") << Qt::Key_Left << true;
        QTest::newRow("page") << Qt::Key_PageDown << true;
        QTest::newRow("home") << Qt::Key_Home << true;
        QTest::newRow("end, already there") << Qt::Key_End << false;
    }

    void sliderTextAfterKeyboardMoves()
    {
        QFETCH(Qt::Key, key);
        QFETCH(bool, shown);
        loadThreeHours();
        QSlider *slider = m_window->ChartSlider();
        QCOMPARE(slider->value(), slider->maximum());
        QToolTip::showText(slider->mapToGlobal(QPoint()), QStringLiteral("before"), slider);
        slider->setFocus();
        QTest::keyClick(slider, key);
        QCOMPARE(QToolTip::text().startsWith(QStringLiteral("Start at sample ")), shown);
        if (shown)
            QCOMPARE(QToolTip::text(), m_window->sliderModel().text());
    }

private:
    /// Three hours of readings in the one-hour view: room to scroll back.
    void loadThreeHours()
    {
        const QDateTime start = m_fixture->clock.now();
        for (int i = 0; i < 180; ++i)
            m_window->processor().addLoadedSample(1000 + i, 200, start.addSecs(60 * i));
        m_window->processor().ProcessSample(SampleRedraw);
    }

    std::unique_ptr<test::ShellFixture> m_fixture;
    std::unique_ptr<MainWindow> m_window;
};

QTEST_MAIN(TestWindowAccessibility)
#include "tst_windowaccessibility.moc"
