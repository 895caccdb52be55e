// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// Chart drawing at one week: for every chart type, the time of a full redraw of 10,080 rows by two
// series at 1280 x 480 pixels, and the time of one new sample (processing, scroll and drawing)
// while the one-week window follows the newest sample. Medians of repeated runs.
//
//   chart [runs [type]]   (default 40 redraws and 200 new samples per type; every type, or
//                         the one named, as the toolbar names it: Line, Area, "2D Bar", ...)

#include "charting/chartcontrol.h"
#include "charting/chartdatamodel.h"
#include "charting/charttoolbar.h"
#include "charting/sampleprocessor.h"
#include "charting/slidermodel.h"
#include "common/clock.h"
#include "common/notifier.h"
#include "logfile/logwriter.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace orvel;

namespace {

constexpr int Week = 10080;

/// One sample a minute, moved on by hand.
class MinuteClock : public Clock
{
public:
    QDateTime now() const override { return m_start.addSecs(60 * m_minutes); }
    void advance() { ++m_minutes; }

private:
    QDateTime m_start{QDate(2026, 11, 28), QTime(7, 50, 20)};
    qint64 m_minutes = 0;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QString countsLine(int i)
{
    const int small = 40 + int(30 * std::sin(i / 300.0)) + i % 13;
    const int large = 10 + int(8 * std::sin(i / 300.0)) + i % 5;
    return QStringLiteral("%1,%2\r\n").arg(small).arg(large);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int redraws = argc > 1 ? std::max(3, atoi(argv[1])) : 40;
    const int samples = redraws * 5;

    RecordingNotifier notifier;
    MinuteClock clock;
    LogWriter log(notifier);
    ChartDataModel model;
    SliderModel slider;
    ChartControl chart(model);
    ChartToolbar toolbar(chart);
    SampleProcessor processor(model, slider, log, notifier, clock, LocaleFormats(QLocale::c()));
    processor.ProcessSample(SampleReset);
    processor.handleDisplayPeriodChanged(Week);
    int next = 0;
    for (; next < Week + 60; ++next) {
        processor.ProcessSample(SampleNewLine, countsLine(next));
        clock.advance();
    }
    chart.resize(1280, 480);
    chart.show();
    QApplication::processEvents();

    std::printf("one-week window (%d rows x 2 series), chart %d x %d px, medians of %d redraws "
                "and %d new samples\n\n",
                model.rowCount(), chart.plot()->width(), chart.plot()->height(), redraws, samples);
    std::printf("%-16s %14s %14s %14s\n", "chart type", "full redraw", "new sample",
                "(processing)");
    const char *types[][2] = {{"GraphLine", "Line"},        {"GraphArea", "Area"},
                              {"GraphBar2D", "2D Bar"},     {"GraphBar3D", "3D Bar"},
                              {"GraphCombo2D", "2D Combo"}, {"GraphCombo3D", "3D Combo"},
                              {"GraphStep", "Step"}};
    bool withinTargets = true;
    const QString only = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    for (const auto &type : types) {
        if (!only.isEmpty() && only != QLatin1String(type[1]))
            continue;
        toolbar.ChartToolbar_ButtonMenuClick(QLatin1String(type[0]));
        chart.redrawNow();
        QElapsedTimer timer;
        std::vector<double> full;
        for (int i = 0; i < redraws; ++i) {
            timer.start();
            chart.redrawNow();
            full.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::vector<double> perSample;
        std::vector<double> processing;
        for (int i = 0; i < samples; ++i, ++next) {
            const QString line = countsLine(next);
            timer.start();
            processor.ProcessSample(SampleNewLine, line);
            processing.push_back(timer.nsecsElapsed() / 1e6);
            chart.plot()->replot(QCustomPlot::rpImmediateRefresh);
            perSample.push_back(timer.nsecsElapsed() / 1e6);
            clock.advance();
        }
        const double f = median(full);
        const double s = median(perSample);
        withinTargets = withinTargets && f <= 16 && s <= 5;
        std::printf("%-16s %11.2f ms %11.2f ms %11.2f ms\n", type[1], f, s, median(processing));
    }
    if (!notifier.messages.isEmpty() || chart.drawnPointCount(LargeSeries) != Week)
        std::printf("WRONG: %lld messages, %d points drawn\n", qint64(notifier.messages.size()),
                    chart.drawnPointCount(LargeSeries));
    std::printf("\ntargets: full redraw <= 16 ms, new sample <= 5 ms: %s\n",
                withinTargets ? "met" : "NOT met");
    return 0;
}
