// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "common/clock.h"
#include "common/localeformats.h"
#include "shell/mainwindow.h"
#include "shell/splitter.h"
#include "shell/statuspanels.h"
#include "shellfixture.h"

#include <QLabel>
#include <QStatusBar>
#include <QTest>

using namespace orvel;

class TestStatusPanels : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_bar = std::make_unique<QStatusBar>();
        m_recording = false;
        m_panels = std::make_unique<StatusPanels>(m_bar.get(), m_clock, m_formats,
                                                  [this] { return m_recording; });
    }

    void panelsInOrder()
    {
        const QStringList keys{"Animations", "Message", "NumSamples", "Version", "Date", "Time"};
        QList<QLabel *> labels = m_bar->findChildren<QLabel *>();
        QCOMPARE(labels.size(), keys.size());
        for (qsizetype i = 0; i < keys.size(); ++i)
            QCOMPARE(labels[i]->objectName(), keys[i]);
        QCOMPARE(m_panels->text(QStringLiteral("Date")), QStringLiteral("05/12/2026"));
        QCOMPARE(m_panels->text(QStringLiteral("Time")), QStringLiteral("07:50"));
        m_clock.advanceSecs(120);
        m_panels->refreshClock();
        QCOMPARE(m_panels->text(QStringLiteral("Time")), QStringLiteral("07:52"));
    }

    void waitingAnimationCyclesAndResumes()
    {
        m_panels->ShowWaitingForData(true);
        QVERIFY(m_panels->ProgressAnimationTimer().isActive());
        QCOMPARE(m_panels->ProgressAnimationTimer().interval(), 150);
        QCOMPARE(m_panels->text(QStringLiteral("Message")), QStringLiteral("Waiting for data"));
        for (int tick = 1; tick <= 15; ++tick)
            m_panels->ProgressAnimationTimer_Timer();
        QCOMPARE(m_panels->ProgressFrame(), 2); // 13 frames, then 1, 2
        m_panels->ShowWaitingForData(false);
        QCOMPARE(m_panels->shownFrame(), 0);
        QVERIFY(m_panels->text(QStringLiteral("Message")).isEmpty());
        QVERIFY(m_panels->panel(QStringLiteral("Animations"))->isHidden());
        // It resumes with the frame after the one it showed last.
        m_panels->ShowWaitingForData(true);
        m_panels->ProgressAnimationTimer_Timer();
        QCOMPARE(m_panels->shownFrame(), 3);
    }

    void loggingRunEndsAfterTwoCycles_data()
    {
        QTest::addColumn<bool>("recording");
        QTest::newRow("still recording: waiting again") << true;
        QTest::newRow("stopped meanwhile: nothing") << false;
    }

    void loggingRunEndsAfterTwoCycles()
    {
        QFETCH(bool, recording);
        m_recording = true;
        m_panels->ShowWaitingForData(true);
        m_panels->ShowLoggingActivity();
        QVERIFY(!m_panels->ProgressAnimationTimer().isActive());
        QVERIFY(m_panels->DownloadAnimationTimer().isActive());
        QCOMPARE(m_panels->text(QStringLiteral("Message")), QStringLiteral("Logging"));
        m_recording = recording;
        if (!recording)
            m_panels->ShowWaitingForData(false);
        for (int tick = 1; tick < 16; ++tick) {
            m_panels->DownloadAnimationTimer_Timer();
            QCOMPARE(m_panels->shownFrame(), (tick - 1) % 8 + 1);
        }
        QVERIFY(m_panels->DownloadAnimationTimer().isActive());
        m_panels->DownloadAnimationTimer_Timer();
        QVERIFY(!m_panels->DownloadAnimationTimer().isActive());
        QCOMPARE(m_panels->ActivityFrame(), 8);
        QCOMPARE(m_panels->ActivityCycles(), 0);
        QCOMPARE(m_panels->ProgressAnimationTimer().isActive(), recording);
        QCOMPARE(m_panels->text(QStringLiteral("Message")),
                 recording ? QStringLiteral("Waiting for data") : QString());
    }

    void fastLinesDoNotLengthenTheRun()
    {
        m_recording = true;
        m_panels->ShowLoggingActivity();
        for (int tick = 1; tick <= 10; ++tick) {
            m_panels->DownloadAnimationTimer_Timer();
            m_panels->ShowLoggingActivity(); // a line every tick
        }
        for (int tick = 11; tick <= 16; ++tick)
            m_panels->DownloadAnimationTimer_Timer();
        QVERIFY(!m_panels->DownloadAnimationTimer().isActive());
        // The next run starts again at frame 1.
        m_panels->ShowLoggingActivity();
        m_panels->DownloadAnimationTimer_Timer();
        QCOMPARE(m_panels->shownFrame(), 1);
    }

    void textsNeverOverlap_data()
    {
        QTest::addColumn<int>("width"); // 0: the main window's own bar, the window at its smallest
        QTest::addColumn<qreal>("fontScale"); // the bar's font grown by this once laid out
        QTest::newRow("1400 wide") << 1400 << 1.0;
        QTest::newRow("1400 wide, a larger font") << 1400 << 1.3;
        QTest::newRow("a small window") << 500 << 1.0;
        QTest::newRow("a narrow bar") << 200 << 1.0;
        QTest::newRow("the smallest window") << 0 << 1.0;
    }

    void textsNeverOverlap()
    {
        QFETCH(int, width);
        QFETCH(qreal, fontScale);
        QStatusBar *bar = m_bar.get();
        StatusPanels *panels = m_panels.get();
        test::ShellFixture fixture;
        std::unique_ptr<MainWindow> window;
        if (width == 0) {
            window = std::make_unique<MainWindow>(fixture.environment());
            bar = window->statusBar();
            panels = &window->statusPanels();
        }
        panels->setText(QStringLiteral("Version"), QStringLiteral("Version 1.05"));
        panels->ShowWaitingForData(true);
        bar->window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(bar->window()));
        const QSize size = window ? window->minimumSize() : QSize(width, bar->sizeHint().height());
        bar->window()->resize(size);
        QTRY_COMPARE(bar->window()->size(), size);
        // Texts that change on a bar already laid out are placed anew.
        QCoreApplication::sendPostedEvents();
        panels->setText(QStringLiteral("NumSamples"),
                        QStringLiteral("Samples received: 10,200  (on graph: 10,141 - 10,200)"));
        panels->setText(QStringLiteral("Message"),
                        QStringLiteral("A message longer than its panel"));
        QCoreApplication::sendPostedEvents();
        if (fontScale != 1) {
            QFont larger = bar->font();
            larger.setPointSizeF(larger.pointSizeF() * fontScale);
            bar->setFont(larger);
            QCoreApplication::sendPostedEvents();
        }

        // From the most important text to the least: one shown in full means all before it are.
        const QStringList byImportance{"NumSamples", "Message", "Time", "Date", "Version"};
        bool fullSoFar = true;
        QList<QRect> textRects;
        for (const QString &key : byImportance) {
            const QLabel *label = panels->panel(key);
            const QString shown = panels->shownText(key);
            const bool full = shown == panels->text(key);
            QVERIFY2(!full || fullSoFar,
                     qPrintable(key + QStringLiteral(" before a more important")));
            fullSoFar = full;
            QVERIFY(full || shown.isEmpty() || shown.endsWith(QChar(0x2026)));
            if (width >= 1400)
                QVERIFY2(full, qPrintable(key));
            const int textWidth = label->fontMetrics().horizontalAdvance(shown);
            QVERIFY(textWidth <= label->contentsRect().width());
            if (!shown.isEmpty()) {
                const QRect text(label->mapTo(bar, label->contentsRect().topLeft()),
                                 QSize(textWidth, label->contentsRect().height()));
                QVERIFY(bar->rect().contains(text));
                textRects.append(text);
            }
        }
        const QLabel *animations = panels->panel(QStringLiteral("Animations"));
        if (animations->width() > 0)
            textRects.append(QRect(animations->mapTo(bar, QPoint()), animations->size()));
        for (qsizetype i = 0; i < textRects.size(); ++i) {
            for (qsizetype j = i + 1; j < textRects.size(); ++j)
                QVERIFY(!textRects[i].intersects(textRects[j]));
        }
    }

    /// However wide the bar, each panel shows its text elided to its width as the font elides
    /// it, also after its text, its width or its font changed.
    void shownTextIsTheElidedText()
    {
        m_panels->setText(QStringLiteral("Version"), QStringLiteral("Version 1.05"));
        m_panels->ShowWaitingForData(true);
        m_bar->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_bar.get()));
        const QStringList keys{"Message", "NumSamples", "Version", "Date", "Time"};
        const auto compare = [&] {
            QCoreApplication::sendPostedEvents();
            for (const QString &key : keys) {
                const QLabel *label = m_panels->panel(key);
                const QString elided = label->fontMetrics().elidedText(
                    label->text(), Qt::ElideRight, label->contentsRect().width());
                if (m_panels->shownText(key) != elided)
                    return false;
            }
            return true;
        };
        for (int width = 120; width <= 900; width += 3) {
            m_bar->resize(width, m_bar->sizeHint().height());
            m_panels->setText(
                QStringLiteral("NumSamples"),
                QStringLiteral("Samples received: %1  (on graph: 1 - %1)").arg(width * 37));
            QVERIFY2(compare(), qPrintable(QString::number(width)));
        }
        QFont larger = m_bar->font();
        larger.setPointSizeF(larger.pointSizeF() * 1.3);
        m_bar->setFont(larger);
        QVERIFY(compare());
        m_panels->setText(QStringLiteral("Message"), QStringLiteral("x"));
        QVERIFY(compare());
    }

    /// At the window's smallest size, with the bar at either limit, the parts of the log area and
    /// of the chart area stay inside their area and clear of each other.
    void smallestWindowKeepsItsPartsApart_data()
    {
        QTest::addColumn<int>("barPosition");
        QTest::newRow("bar up") << 0;
        QTest::newRow("bar as built") << -1;
        QTest::newRow("bar down") << 100000;
    }

    void smallestWindowKeepsItsPartsApart()
    {
        QFETCH(int, barPosition);
        test::ShellFixture fixture;
        MainWindow window(fixture.environment());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.resize(window.minimumSize());
        QTRY_COMPARE(window.size(), QSize(MainWindow::MinimumWidth, MainWindow::MinimumHeight));
        if (barPosition >= 0)
            window.splitter()->setBarPosition(barPosition);
        QCoreApplication::sendPostedEvents();

        qsizetype seen = 0;
        for (int i = 0; i < window.splitter()->count(); ++i) {
            const QWidget *area = window.splitter()->widget(i);
            QList<QRect> parts;
            for (const QWidget *part : area->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                if (!part->isVisible() || part->geometry().isEmpty())
                    continue;
                QVERIFY2(area->rect().contains(part->geometry()), qPrintable(part->objectName()));
                for (const QRect &other : std::as_const(parts))
                    QVERIFY2(!other.intersects(part->geometry()), qPrintable(part->objectName()));
                parts.append(part->geometry());
            }
            seen += parts.size();
        }
        QVERIFY(seen >= 5); // an area at its limit may have nothing left to show
    }

private:
    std::unique_ptr<QStatusBar> m_bar;
    std::unique_ptr<StatusPanels> m_panels;
    FixedClock m_clock{test::frozenTime()};
    LocaleFormats m_formats{QLocale(QStringLiteral("en_GB"))};
    bool m_recording = false;
};

QTEST_MAIN(TestStatusPanels)
#include "tst_statuspanels.moc"
