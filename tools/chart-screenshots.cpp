// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// Takes the screenshots of the README: the main window with a week and a bit of made-up readings,
// every chart type at a one-hour and a one-week display period, grabbed offscreen into PNG files.
//
//   chart-screenshots <output folder> [<width> <height>] [dark]
//
// The size is the main window's (1280 x 860 unless given); "dark" gives the window a dark palette.

#include "charting/chartcontrol.h"
#include "charting/charttoolbar.h"
#include "charting/sampleprocessor.h"
#include "common/clock.h"
#include "common/notifier.h"
#include "shell/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <random>

using namespace orvel;

namespace {

/// A clean room with a daily rhythm: more particles in working hours, a few bursts, noise.
void fillReadings(SampleProcessor &processor, int samples)
{
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.0, 1.0);
    const QDateTime start(QDate(2026, 11, 28), QTime(7, 50, 20));
    double burst = 0;
    for (int i = 0; i < samples; ++i) {
        const QDateTime time = start.addSecs(60 * qint64(i));
        const double hour = time.time().hour() + time.time().minute() / 60.0;
        const double day = std::max(0.0, std::sin((hour - 6.0) / 14.0 * M_PI));
        if (random() % 2500 == 0)
            burst = 40 + random() % 60;
        burst *= 0.97;
        const double small = 35 + 55 * day + burst + 6 * noise(random);
        const double large = 9 + 16 * day + burst * 0.4 + 2.5 * noise(random);
        processor.addLoadedSample(qint32(std::max(1.0, small)) * 100,
                                  qint32(std::max(0.0, large)) * 100, time);
    }
    processor.ProcessSample(SampleRefresh | SampleRedraw);
}

void choosePeriod(MainWindow &window, int rows)
{
    QComboBox *list = window.DisplayPeriodComboBox();
    list->setCurrentIndex(list->findData(rows));
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const QDir out(arguments.size() > 1 ? arguments[1] : QStringLiteral("docs/screenshots"));
    QSize size(1280, 860);
    if (arguments.size() > 3)
        size = QSize(arguments[2].toInt(), arguments[3].toInt());
    if (arguments.endsWith(QStringLiteral("dark"))) {
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
        dark.setColor(QPalette::WindowText, QColor(0xe6, 0xe6, 0xe6));
        dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
        dark.setColor(QPalette::Text, QColor(0xe6, 0xe6, 0xe6));
        dark.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3a));
        dark.setColor(QPalette::ButtonText, QColor(0xe6, 0xe6, 0xe6));
        QApplication::setPalette(dark);
    }
    QDir().mkpath(out.path());

    RecordingNotifier notifier;
    // The clock stands just after the last reading, so the status bar agrees with the chart.
    FixedClock clock(QDateTime(QDate(2026, 12, 5), QTime(22, 50, 20)));
    ShellEnvironment environment;
    environment.clock = &clock;
    environment.documentsFolder = [&home] { return home.path(); };
    environment.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    environment.notifier = &notifier;
    // Fresh settings, so the shots never depend on (or change) the user's own.
    environment.configFolder = home.filePath(QStringLiteral("config"));
    MainWindow window(environment);
    window.resize(size);
    window.show();
    // The shots show the path a user's default log has, not the temporary folder.
    window.LogFileTextBox()->setText(
        QStringLiteral("/home/user/Documents/Orvel Logs/OrveaLog.txt"));

    fillReadings(window.processor(), 10080 + 900);
    ChartToolbar &toolbar = *window.chartToolbar();
    // The legend and the statistic lines of the large series, as a user might set them.
    for (const char *key :
         {"GraphLegend", "GraphLargeMaximum", "GraphLargeAverage", "GraphSmallAverage"}) {
        QAction *button = toolbar.button(QLatin1String(key));
        button->setChecked(true);
        toolbar.ChartToolbar_ButtonClick(button);
    }

    const struct
    {
        const char *key;
        const char *file;
    } types[] = {{"GraphLine", "line"},   {"GraphArea", "area"},       {"GraphBar2D", "bar2d"},
                 {"GraphBar3D", "bar3d"}, {"GraphCombo2D", "combo2d"}, {"GraphCombo3D", "combo3d"},
                 {"GraphStep", "step"}};
    const struct
    {
        int rows;
        const char *name;
    } periods[] = {{60, "hour"}, {10080, "week"}};
    int written = 0;
    for (const auto &period : periods) {
        choosePeriod(window, period.rows);
        for (const auto &type : types) {
            toolbar.ChartToolbar_ButtonMenuClick(QLatin1String(type.key));
            window.chartControl()->redrawNow();
            QApplication::processEvents();
            const QString path =
                out.filePath(QStringLiteral("chart-%1-%2.png")
                                 .arg(QLatin1String(type.file), QLatin1String(period.name)));
            if (window.grab().save(path)) {
                ++written;
                std::printf("%s\n", qPrintable(path));
            } else {
                std::fprintf(stderr, "could not write %s\n", qPrintable(path));
            }
        }
    }
    if (!notifier.messages.isEmpty())
        std::fprintf(stderr, "messages: %s\n", qPrintable(notifier.messages.join(u'\n')));
    return written == 14 ? 0 : 1;
}
