// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// Loading a log into the main window: generated logs of 10,000, 100,000 and 1,000,000 rows, each
// loaded in a fresh process on the real window (offscreen). For each: the time until the pane
// shows the end of the log, the time until the chart is drawn, the peak resident memory, and as a
// baseline the time awk takes to compute the same lows, highs and sums over the same file.
//
//   loadlog                 all three sizes
//   loadlog ROWS...         those sizes
//   loadlog --one FILE      (internal) load FILE once and print the figures

#include "charting/sampleprocessor.h"
#include "common/notifier.h"
#include "logfile/logloader.h"
#include "shell/loadlogcommand.h"
#include "shell/mainwindow.h"
#include "shell/prompter.h"
#include "shell/recordingcontroller.h"
#include "widgets/logpaneview.h"

#include "processstatus.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using namespace orvel;
using orvel::bench::residentKiB;
using orvel::bench::statusKiB;

namespace {

/// Answers Yes to the graph question.
class YesPrompter : public Prompter
{
public:
    void ask(QMessageBox::Icon, const QString &, const QString &, QMessageBox::StandardButtons,
             QMessageBox::StandardButton, Answered answered) override
    {
        if (answered)
            answered(QMessageBox::Yes);
    }
};

/// A log as a year of recording writes it: a header, one row a minute in United States English,
/// a summary block at the end.
bool writeLog(const QString &path, int rows)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const LocaleFormats formats(QLocale(QLocale::English, QLocale::UnitedStates));
    const QDateTime start(QDate(2025, 12, 5), QTime(7, 50, 20));
    QByteArray chunk = "Small\tLarge\tDate/Time\r\n";
    quint32 seed = 12345;
    for (int k = 0; k < rows; ++k) {
        seed = seed * 1103515245u + 12345u;
        const int small = 100 * int(200 + (seed >> 16) % 3000);
        const int large = 100 * int(1 + (seed >> 8) % 90);
        chunk += QByteArray::number(small) + '\t' + QByteArray::number(large) + '\t' +
                 formats.generalDate(start.addSecs(60 * qint64(k))).toUtf8() + "\r\n";
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    chunk += "\r\n--------------------------\r\n         SUMMARY\r\n";
    return file.write(chunk) == chunk.size();
}

/// Loads `path` into a fresh main window and prints one line of figures.
int loadOnce(const QString &path)
{
    RecordingNotifier notifier;
    YesPrompter prompter;
    ShellEnvironment environment;
    environment.notifier = &notifier;
    environment.prompter = &prompter;
    environment.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    MainWindow window(environment);
    window.resize(1280, 900);
    window.show();
    QApplication::processEvents();
    window.LogFileTextBox()->setText(path);
    auto *command = window.findChild<LoadLogCommand *>();

    QEventLoop loop;
    QObject::connect(command, &LoadLogCommand::graphLoaded, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    window.controller().LogToolbar_ButtonClick(QStringLiteral("LoadLog"));
    LogPaneView *pane = window.LogRichTextBox();
    pane->viewport()->repaint();
    const double paneSeconds = timer.nsecsElapsed() / 1e9;
    const bool paneAtEnd = pane->caretAtEnd() &&
                           pane->firstVisibleLine() + pane->visibleLineCount() >= pane->lineCount();
    if (command->isLoading())
        loop.exec();
    window.repaint();
    const double chartSeconds = timer.nsecsElapsed() / 1e9;

    const RunningStatistics &s = window.processor().statistics();
    std::printf("%.3f %.3f %ld %d %d %d %.0f %d %d %.0f %d %d\n", paneSeconds, chartSeconds,
                statusKiB("VmHWM:"), window.processor().SampleCount(), s.MinSmall, s.MaxSmall,
                s.SumSmall, s.MinLarge, s.MaxLarge, s.SumLarge, int(paneAtEnd),
                int(notifier.messages.size()));
    return 0;
}

/// awk over the same rows as the loader: first recording, three-field rows only.
QByteArray awkBaseline(const QString &path, double &seconds)
{
    const QString program = QStringLiteral(
        "/SUMMARY/ { exit } /Small/ || /---/ || NF != 3 { next } "
        "{ n++; s += $1; l += $2; "
        "if (n == 1 || $1 < mins) mins = $1; if (n == 1 || $1 > maxs) maxs = $1; "
        "if (n == 1 || $2 < minl) minl = $2; if (n == 1 || $2 > maxl) maxl = $2 } "
        "END { printf \"%d %d %d %.0f %d %d %.0f\", n, mins, maxs, s, minl, maxl, l }");
    QProcess awk;
    QElapsedTimer timer;
    timer.start();
    awk.start(QStringLiteral("awk"), {QStringLiteral("-F\t"), program, path});
    awk.waitForFinished(-1);
    seconds = timer.nsecsElapsed() / 1e9;
    return awk.readAllStandardOutput().trimmed();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QTemporaryDir configHome;
    // Keep the benchmark's window away from the user's own settings.
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args.first() == QStringLiteral("--one"))
        return loadOnce(args.at(1));

    QList<int> sizes;
    for (const QString &arg : args)
        sizes.append(arg.toInt());
    if (sizes.isEmpty())
        sizes = {10000, 100000, 1000000};

    QTemporaryDir dir;
    std::printf("%10s %9s %10s %10s %9s %9s %7s  %s\n", "rows", "MB", "pane s", "chart s",
                "peak MB", "awk s", "awk/us", "checks");
    for (const int rows : sizes) {
        const QString path = dir.filePath(QStringLiteral("log-%1.txt").arg(rows));
        if (!writeLog(path, rows)) {
            std::printf("cannot write %s\n", qPrintable(path));
            return 1;
        }
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--one"), path});
        child.waitForFinished(-1);
        const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
        if (figures.size() != 12) {
            std::printf("%10d  load failed\n", rows);
            continue;
        }
        double awkSeconds = 0;
        const QByteArray awk = awkBaseline(path, awkSeconds);
        const QByteArray ours = figures.mid(3, 7).join(' ');
        const double chartSeconds = figures.at(1).toDouble();
        QString checks;
        checks += awk == ours ? QStringLiteral("same figures as awk")
                              : QStringLiteral("DIFFER: awk %1, loader %2")
                                    .arg(QString::fromLatin1(awk), QString::fromLatin1(ours));
        if (figures.at(10) != "1")
            checks += QStringLiteral(", pane NOT at the end");
        if (figures.at(11) != "0")
            checks += QStringLiteral(", %1 messages").arg(QString::fromLatin1(figures.at(11)));
        std::printf("%10d %9.1f %10.3f %10.3f %9.0f %9.3f %7.2f  %s\n", rows,
                    QFileInfo(path).size() / 1e6, figures.at(0).toDouble(), chartSeconds,
                    figures.at(2).toDouble() / 1024.0, awkSeconds, awkSeconds / chartSeconds,
                    qPrintable(checks));
        std::fflush(stdout);
    }
    std::printf("\ntargets at 1,000,000 rows: pane <= 1 s, chart <= 2 s, peak <= 300 MB, "
                "awk/us >= 1\n");
    return 0;
}
