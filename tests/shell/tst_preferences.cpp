// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// The main window's life cycle on the real window: first-run defaults, every preference saved at
// close and restored at the next start, hand-edited values, closing during a recording, the
// deferred "Load log on startup", port overrides from the settings (also those the simulator
// registers), and the option lists in the user's locale.

#include "acquisition/serialport.h"
#include "charting/chartdatamodel.h"
#include "charting/charttoolbar.h"
#include "charting/sampleprocessor.h"
#include "recording/recordingsession.h"
#include "settings/portoverrides.h"
#include "settings/regobject.h"
#include "shell/mainwindow.h"
#include "shell/optionlists.h"
#include "shell/preferences.h"
#include "shell/recordingcontroller.h"
#include "shell/splitter.h"
#include "shellfixture.h"
#include "widgets/keyedtoolbar.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QTest>

using namespace orvel;

namespace {

const QString Key = Preferences::SettingsKey;

QAction *logButton(MainWindow &window, const char *key)
{
    return window.logToolbar()->button(QString::fromLatin1(key));
}

QAction *chartButton(MainWindow &window, const char *key)
{
    return window.chartToolbar()->button(QString::fromLatin1(key));
}

/// Shows `window` and waits until it is on the screen.
bool exposed(QWidget &window)
{
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}

} // namespace

class TestPreferences : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_fixture = std::make_unique<test::ShellFixture>();
        QVERIFY2(m_fixture->unitOpened, qPrintable(m_fixture->unit->errorString()));
    }

    void firstRunDefaults()
    {
        // The built size is windowPlacement's; each list's fallback is handEditedValues'.
        MainWindow window(m_fixture->environment());
        QCOMPARE(window.DisplayPeriodComboBox()->currentText(),
                 QStringLiteral("1 hour (60 samples)"));
        QCOMPARE(window.StopAfterComboBox()->currentText(), QStringLiteral("Continuous"));
        QCOMPARE(window.LogFileTextBox()->text(), m_fixture->logPath());
        QVERIFY(!logButton(window, "AlwaysOnTop")->isChecked());
        QVERIFY(!logButton(window, "LoadLogOnStartup")->isChecked());
        QCOMPARE(window.logToolbar()->image(QStringLiteral("AlwaysOnTop")),
                 QStringLiteral("Unchecked"));
        QCOMPARE(window.chartToolbar()->imageKey(QStringLiteral("GraphType")),
                 QStringLiteral("GraphLine"));
        QVERIFY(chartButton(window, "GraphSmallParticles")->isChecked());
        QVERIFY(chartButton(window, "GraphLargeParticles")->isChecked());
        QVERIFY(!chartButton(window, "GraphLegend")->isChecked());
        QVERIFY(!chartButton(window, "GraphSmallMaximum")->isChecked());
        QCOMPARE(window.windowState(), Qt::WindowNoState);
        // Nothing is written until the window closes.
        QCOMPARE(stored(QStringLiteral("WindowState")), QStringLiteral("<absent>"));
    }

    void startUpSaysWhenAnotherProgramRecordsIntoTheLog()
    {
        QVERIFY(QDir().mkpath(QFileInfo(m_fixture->logPath()).path()));
        QProcess recorder;
        recorder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        recorder.setStandardOutputFile(QProcess::nullDevice());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_fixture->dir.filePath("config"));
        recorder.setProcessEnvironment(environment);
        recorder.start(QStringLiteral(ORVEL_RECORDER),
                       {QStringLiteral("--demo"), QStringLiteral("--log"), m_fixture->logPath()});
        QVERIFY(recorder.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_fixture->logPath()), 10000);
        {
            MainWindow window(m_fixture->environment());
            const QString notice = m_fixture->notifier.notices.value(QStringLiteral("LogBusy"));
            QVERIFY2(notice.contains(QStringLiteral("is being recorded by orvel-recorder")),
                     qPrintable(notice));
        }
        recorder.terminate();
        QVERIFY(recorder.waitForFinished());
        QCOMPARE(recorder.exitCode(), 0);
        // Once it has stopped, nothing is said.
        m_fixture->notifier.notices.clear();
        MainWindow window(m_fixture->environment());
        QVERIFY(m_fixture->notifier.notices.isEmpty());
    }

    void everyPreferenceSurvivesARestart()
    {
        QRect placement;
        int barTwips = 0;
        {
            MainWindow window(m_fixture->environment());
            QVERIFY(exposed(window));
            window.setGeometry(40, 30, 900, 640);
            QTRY_COMPARE(window.size(), QSize(900, 640));
            placement = QRect(window.pos(), window.size());
            window.splitter()->setBarPositionTwips(3000);
            barTwips = window.splitter()->barPositionTwips();
            window.LogFileTextBox()->setText(QStringLiteral("  ") +
                                             m_fixture->dir.filePath("a.txt"));
            window.StopAfterComboBox()->setCurrentIndex(5);
            window.DisplayPeriodComboBox()->setCurrentIndex(7);
            logButton(window, "LoadLogOnStartup")->trigger();
            for (const char *key : {"GraphLegend", "GraphSmallParticles", "GraphLargeMaximum"})
                chartButton(window, key)->trigger();
            QVERIFY(
                window.chartToolbar()->ChartToolbar_ButtonMenuClick(QStringLiteral("GraphArea")));
            window.close();
        }
        QCOMPARE(stored(QStringLiteral("WindowState")), QStringLiteral("0"));
        QCOMPARE(stored(QStringLiteral("SplitterPosition")), QString::number(barTwips));
        QCOMPARE(stored(QStringLiteral("LogPath")), m_fixture->dir.filePath("a.txt"));
        QCOMPARE(stored(QStringLiteral("StopAfterSamplesIndex")), QStringLiteral("5"));
        QCOMPARE(stored(QStringLiteral("DisplayPeriodIndex")), QStringLiteral("7"));
        QCOMPARE(stored(QStringLiteral("ComPortIndex")), QStringLiteral("0"));
        QCOMPARE(stored(QStringLiteral("ComPortNumber")), QStringLiteral("1"));
        QCOMPARE(stored(QStringLiteral("ComPortDevice")), m_fixture->unitPath());
        QCOMPARE(stored(QStringLiteral("ResumeAfterPortLoss")), QStringLiteral("1"));
        QCOMPARE(stored(QStringLiteral("AlwaysOnTop")), QStringLiteral("0"));
        QCOMPARE(stored(QStringLiteral("LoadLogOnStartup")), QStringLiteral("1"));
        QCOMPARE(stored(QStringLiteral("GraphType")), QStringLiteral("GraphArea"));
        QCOMPARE(stored(QStringLiteral("GraphSmallParticles")), QStringLiteral("0"));
        QCOMPARE(stored(QStringLiteral("GraphLargeMaximum")), QStringLiteral("1"));
        // Twips at 96 dots per inch: 15 a pixel.
        const int dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
        QCOMPARE(stored(QStringLiteral("WindowPosition")).split(u',').at(2),
                 QString::number(placement.width() * 1440 / dpi));

        MainWindow window(m_fixture->environment());
        window.controller().setLoadLogHandler([] {});
        QVERIFY(exposed(window));
        QCOMPARE(QRect(window.pos(), window.size()), placement);
        QCOMPARE(window.splitter()->barPositionTwips(), barTwips);
        QCOMPARE(window.LogFileTextBox()->text(), m_fixture->dir.filePath("a.txt"));
        QCOMPARE(window.StopAfterComboBox()->currentIndex(), 5);
        QCOMPARE(window.DisplayPeriodComboBox()->currentIndex(), 7);
        QVERIFY(logButton(window, "LoadLogOnStartup")->isChecked());
        QCOMPARE(window.logToolbar()->image(QStringLiteral("LoadLogOnStartup")),
                 QStringLiteral("Checked"));
        QVERIFY(!logButton(window, "AlwaysOnTop")->isChecked());
        QCOMPARE(window.chartToolbar()->imageKey(QStringLiteral("GraphType")),
                 QStringLiteral("GraphArea"));
        QVERIFY(chartButton(window, "GraphLegend")->isChecked());
        QVERIFY(!chartButton(window, "GraphSmallParticles")->isChecked());
        QVERIFY(chartButton(window, "GraphLargeParticles")->isChecked());
        QVERIFY(chartButton(window, "GraphLargeMaximum")->isChecked());
        // Area draws no statistic lines.
        QVERIFY(!chartButton(window, "GraphLargeMaximum")->isEnabled());
        QVERIFY(m_fixture->notifier.messages.isEmpty());
    }

    void windowStateAtClose_data()
    {
        QTest::addColumn<bool>("maximise");
        QTest::addColumn<QString>("storedState");
        QTest::addColumn<Qt::WindowState>("nextState");
        QTest::newRow("maximised") << true << QStringLiteral("2") << Qt::WindowMaximized;
        QTest::newRow("minimised") << false << QStringLiteral("1") << Qt::WindowNoState;
    }

    void windowStateAtClose()
    {
        QFETCH(bool, maximise);
        QFETCH(QString, storedState);
        QFETCH(Qt::WindowState, nextState);

        // A normal close leaves the normal placement behind.
        QRect normal;
        {
            MainWindow window(m_fixture->environment());
            QVERIFY(exposed(window));
            window.setGeometry(20, 25, 700, 500);
            QTRY_COMPARE(window.size(), QSize(700, 500));
            normal = QRect(window.pos(), window.size());
            window.close();
        }
        const QString normalText = stored(QStringLiteral("WindowPosition"));
        int barAtClose = 0;
        {
            MainWindow window(m_fixture->environment());
            QVERIFY(exposed(window));
            if (maximise)
                window.showMaximized();
            else
                window.showMinimized();
            QTRY_VERIFY(maximise ? window.isMaximized() : window.isMinimized());
            // The lowest place the bar can have: beyond the limits of the normal window.
            barAtClose = window.splitter()->LimitPosition(100000);
            window.splitter()->setBarPosition(barAtClose);
            window.close();
        }
        QCOMPARE(stored(QStringLiteral("WindowState")), storedState);
        QCOMPARE(stored(QStringLiteral("WindowPosition")), normalText);

        MainWindow window(m_fixture->environment());
        QCOMPARE(window.windowState(), nextState);
        QVERIFY(exposed(window));
        if (maximise) {
            QTRY_VERIFY(window.isMaximized());
            QTRY_COMPARE(window.splitter()->barPosition(), barAtClose);
            QCOMPARE(window.normalGeometry().size(), normal.size());
            window.showNormal();
        }
        QTRY_COMPARE(QRect(window.pos(), window.size()), normal);
    }

    void handEditedValues_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const struct
        {
            const char *row, *name, *text, *expected;
        } rows[] = {
            {"display period beyond the list", "DisplayPeriodIndex", "16", "3"},
            {"display period negative", "DisplayPeriodIndex", "-1", "3"},
            {"display period not a number", "DisplayPeriodIndex", "six", "3"},
            {"display period valid", "DisplayPeriodIndex", "15", "15"},
            {"stop after beyond the list", "StopAfterSamplesIndex", "17", "0"},
            {"stop after valid", "StopAfterSamplesIndex", "16", "16"},
            {"port index beyond the list", "ComPortIndex", "5", "0"},
            {"port index nothing selected", "ComPortIndex", "-1", "0"},
            {"resume after port loss off", "ResumeAfterPortLoss", "0", "0"},
            {"resume after port loss not a number", "ResumeAfterPortLoss", "no", "1"},
            {"unknown graph type", "GraphType", "GraphPie", "GraphLine"},
            {"known graph type", "GraphType", "GraphStep", "GraphStep"},
            {"window state other number", "WindowState", "7", "0"},
            {"window state maximised", "WindowState", "2", "2"},
            {"toggle not a number", "GraphSmallParticles", "yes", "1"},
            {"toggle as True", "GraphLegend", "True", "1"},
            {"toggle as other number", "GraphLegend", "-1", "1"},
            {"toggle off", "GraphLargeParticles", "0", "0"},
        };
        for (const auto &r : rows)
            QTest::newRow(r.row) << QString(r.name) << QString(r.text) << QString(r.expected);
    }

    void handEditedValues()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        store(name, text);

        MainWindow window(m_fixture->environment());
        const auto number = [](int value) { return QString::number(value); };
        const auto toggle = [&](const char *key) {
            return number(chartButton(window, key)->isChecked());
        };
        const QMap<QString, QString> shown{
            {"DisplayPeriodIndex", number(window.DisplayPeriodComboBox()->currentIndex())},
            {"StopAfterSamplesIndex", number(window.StopAfterComboBox()->currentIndex())},
            {"ComPortIndex", number(window.ComPortComboBox()->currentIndex())},
            {"ResumeAfterPortLoss", number(window.session().resumeAfterPortLoss())},
            {"GraphType", window.chartToolbar()->imageKey(QStringLiteral("GraphType"))},
            {"WindowState", number(window.windowState() == Qt::WindowMaximized ? 2 : 0)},
            {"GraphSmallParticles", toggle("GraphSmallParticles")},
            {"GraphLegend", toggle("GraphLegend")},
            {"GraphLargeParticles", toggle("GraphLargeParticles")},
        };
        QVERIFY(shown.contains(name));
        QCOMPARE(shown.value(name), expected);
        // What the lists show is what the processor uses.
        QCOMPARE(window.chartModel().rowCount(),
                 window.DisplayPeriodComboBox()->currentData().toInt());
        QCOMPARE(window.processor().StopAfterLimit(),
                 window.StopAfterComboBox()->currentData().toInt());
        QVERIFY(m_fixture->notifier.messages.isEmpty());
    }

    void windowPlacement_data()
    {
        QTest::addColumn<QList<QRect>>("screens"); // the window lies wholly on the last
        QTest::addColumn<QString>("text");         // in twips: 15 a pixel at 96 dots per inch
        // Position and size; a position of 0,0: wherever fitting put it; null: only fitted.
        QTest::addColumn<QRect>("shown");
        const QList<QRect> screen{QRect(0, 0, 1400, 900)};
        // The built size, centred, a third of the free height from the top.
        const QRect centred(210, 60, 980, 720);
        const QRect built(0, 0, 980, 720);
        const QRect stored(100, 50, 600, 400);
        QTest::newRow("four numbers") << screen << "1500,750,9000,6000" << stored;
        QTest::newRow("three fields") << screen << "1500,750,9000" << centred;
        QTest::newRow("five fields") << screen << "1500,750,9000,6000,1" << centred;
        QTest::newRow("empty") << screen << "" << centred;
        QTest::newRow("a field not a number") << screen << "1500,left,9000,6000" << built;
        QTest::newRow("no size") << screen << "1500,750,0,6000" << built;
        // A placement on a screen that has gone keeps its size and comes back to this screen.
        QTest::newRow("on no screen")
            << screen << "-900000,-900000,9000,6000" << QRect(400, 166, 600, 400);
        QTest::newRow("larger than the screen") << screen << "0,0,30000,30000" << QRect();
        QTest::newRow("off the right edge")
            << screen << "18000,3000,9000,6000" << QRect(0, 0, 600, 400);
        QTest::newRow("on a screen on the left")
            << QList{screen[0], QRect(-1280, 0, 1280, 1024)} << "-15000,3000,9000,6000"
            << QRect(0, 0, 600, 400);
        // 1400 × 900 at a scale factor of 1.5, less a panel: the built size is too large.
        QTest::newRow("first run, scaled") << QList{QRect(0, 0, 933, 570)} << QString() << QRect();
    }

    void windowPlacement()
    {
        QFETCH(QList<QRect>, screens);
        QFETCH(QString, text);
        QFETCH(QRect, shown);
        m_fixture->screenAreas = screens;
        if (!text.isNull())
            store(QStringLiteral("WindowPosition"), text);
        MainWindow window(m_fixture->environment());
        QCOMPARE(window.logicalDpiX(), 96);
        if (shown.isValid())
            QCOMPARE(window.size(), shown.size());
        if (!shown.topLeft().isNull())
            QCOMPARE(window.pos(), shown.topLeft());
        QVERIFY(exposed(window));
        QVERIFY(screens.last().contains(window.frameGeometry()));
    }

    void closingDuringARecordingWritesTheSummaryFirst()
    {
        {
            MainWindow window(m_fixture->environment());
            window.show();
            window.controller().LogToolbar_ButtonClick(QStringLiteral("Record"));
            QVERIFY(window.controller().IsRecording());
            m_fixture->unit->sendRaw("12,3\r\n13,2\r\n");
            QTRY_COMPARE(window.processor().SampleCount(), 2);
            window.DisplayPeriodComboBox()->setCurrentIndex(9);
            window.close();
            QVERIFY(!window.serialPort().PortOpen());
        }
        const QByteArray log = m_fixture->logBytes();
        QCOMPARE(log.count("SUMMARY"), 1);
        QVERIFY(log.contains("Number of samples : 2\r\n"));
        QVERIFY(log.endsWith("------ End Summary -------\r\n\r\n"));
        QCOMPARE(stored(QStringLiteral("DisplayPeriodIndex")), QStringLiteral("9"));
        // The log was finished before the settings were written.
        const QFileInfo logInfo(m_fixture->logPath());
        RegObject settings(configFolder());
        const QFileInfo settingsInfo(settings.store().filePath(RegObject::CurrentUser));
        QVERIFY(settingsInfo.exists());
        QVERIFY(logInfo.lastModified() <= settingsInfo.lastModified());
        QVERIFY(m_fixture->notifier.messages.isEmpty());
    }

    void loadLogOnStartup_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("loads");
        QTest::newRow("on") << "1" << 1;
        QTest::newRow("off") << "0" << 0;
    }

    void loadLogOnStartup()
    {
        QFETCH(QString, option);
        QFETCH(int, loads);
        const QString logPath = m_fixture->dir.filePath(QStringLiteral("kept.txt"));
        store(QStringLiteral("LoadLogOnStartup"), option);
        store(QStringLiteral("LogPath"), logPath);

        MainWindow window(m_fixture->environment());
        int loaded = 0;
        bool shownWhenLoaded = false;
        QString pathWhenLoaded;
        window.controller().setLoadLogHandler([&] {
            ++loaded;
            shownWhenLoaded = window.isVisible();
            pathWhenLoaded = window.LogFileTextBox()->text();
        });
        QVERIFY(window.preferences().LoadLogStartTimer().isActive());
        window.show();
        QTRY_VERIFY(!window.preferences().LoadLogStartTimer().isActive());
        QCOMPARE(loaded, loads);
        if (loads) {
            QVERIFY(shownWhenLoaded);
            QCOMPARE(pathWhenLoaded, logPath);
        }
    }

    void optionListsFollowTheLocale_data()
    {
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<QString>("week");
        QTest::newRow("comma separator") << "en_US"
                                         << "1 week (10,080 samples)";
        QTest::newRow("period separator") << "de_DE"
                                          << "1 week (10.080 samples)";
    }

    void optionListsFollowTheLocale()
    {
        QFETCH(QString, localeName);
        QFETCH(QString, week);
        QComboBox periods;
        QComboBox stopAfter;
        periods.setLocale(QLocale(localeName));
        periods.addItem(QStringLiteral("stale"));
        FillOptionLists(&periods, &stopAfter);
        QCOMPARE(periods.count(), 16);
        QCOMPARE(stopAfter.count(), 17);
        QCOMPARE(stopAfter.itemText(0), QStringLiteral("Continuous"));
        // Stop After offers the display periods' counts after Continuous.
        for (int k = 1; k < 17; ++k) {
            QCOMPARE(stopAfter.itemText(k), periods.itemText(k - 1));
            QCOMPARE(stopAfter.itemData(k), periods.itemData(k - 1));
        }
        QCOMPARE(periods.itemText(15), week);
        QCOMPARE(periods.itemData(15).toInt(), 10080);
        QCOMPARE(periods.width(), stopAfter.width());
        QVERIFY(periods.width() > periods.fontMetrics().horizontalAdvance(periods.itemText(15)));
    }

    /// The simulator's --register-port offers its pseudo-terminal as a port while it runs and
    /// puts back what the port had when it ends; a port number that is not 1 to 16 is refused.
    void simulatorOffersItselfAsAPort_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("before"); // what port 5 led to before
        QTest::newRow("port had no device") << "5" << QString();
        QTest::newRow("port had a device") << "5"
                                           << "/dev/ttyUSB9";
        QTest::newRow("zero") << "0" << QString();
        QTest::newRow("seventeen") << "17" << QString();
        QTest::newRow("not a number") << "COM1" << QString();
    }

    void simulatorOffersItselfAsAPort()
    {
        QFETCH(QString, port);
        QFETCH(QString, before);
        RegObject settings(configFolder());
        if (!before.isEmpty())
            QVERIFY(PortOverrides::write(settings, 5, before));
        QProcess simulator;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configFolder());
        simulator.setProcessEnvironment(environment);
        simulator.start(QStringLiteral(ORVEL_COUNTER_SIMULATOR),
                        {QStringLiteral("--register-port"), port});
        if (port != QLatin1String("5")) {
            QVERIFY(simulator.waitForFinished(10000));
            QCOMPARE(simulator.exitCode(), 2);
            QVERIFY(simulator.readAllStandardError().contains("register-port"));
            QVERIFY(!QFile::exists(settings.store().filePath(RegObject::CurrentUser)));
            return;
        }
        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT((output += simulator.readAllStandardOutput()).contains("COM5"),
                                 10000);
        const QString device = QString::fromLocal8Bit(output.split('\n').first().trimmed());
        QCOMPARE(PortOverrides::device(settings, 5), device);
        {
            // The window lists it, leading to the simulator.
            MainWindow window(m_fixture->environment(false));
            const int index = window.ComPortComboBox()->findText(QStringLiteral("COM5"));
            QVERIFY(index >= 0);
            QCOMPARE(window.ComPortComboBox()->itemData(index, Qt::ToolTipRole).toString(), device);
        }
        simulator.terminate();
        QVERIFY(simulator.waitForFinished(10000));
        QCOMPARE(PortOverrides::device(settings, 5), before);
    }

    void storedPortOverrideIsListed()
    {
        RegObject settings(configFolder());
        QVERIFY(PortOverrides::write(settings, 7, m_fixture->unit->devicePath()));

        // COM1 is not the simulator this time: only the stored override leads to it.
        MainWindow window(m_fixture->environment(false));
        QCOMPARE(window.ComPortComboBox()->count(), 1);
        QCOMPARE(window.ComPortComboBox()->itemText(0), QStringLiteral("COM7"));
        QCOMPARE(window.selectedPortNumber(), 7);

        // Removing the override takes the port away again; a relative path leads nowhere.
        QVERIFY(PortOverrides::write(settings, 7, QString()));
        QVERIFY(PortOverrides::write(settings, 2, QStringLiteral("pts/3")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("COM2.*absolute")));
        MainWindow later(m_fixture->environment(false));
        QCOMPARE(later.ComPortComboBox()->count(), 0);
    }

    void storedPortFollowsItsDevice()
    {
        // A second unit as COM2; the stored index still points at COM1, but the device chosen
        // last time is COM2's.
        CounterSimulator second;
        QVERIFY(second.open());
        store(QStringLiteral("ComPortIndex"), QStringLiteral("0"));
        store(QStringLiteral("ComPortDevice"), second.devicePath());
        ShellEnvironment environment = m_fixture->environment();
        environment.portMap.setOverride(2, second.devicePath());
        // The second is a USB adapter: its entry tells which one.
        const test::OneAdapter identities(second.devicePath());
        environment.identities = &identities;
        MainWindow window(environment);
        QCOMPARE(window.ComPortComboBox()->count(), 2);
        QCOMPARE(window.selectedPortNumber(), 2);
        QCOMPARE(
            window.ComPortComboBox()->itemData(1, Qt::ToolTipRole).toString(),
            second.devicePath() +
                QStringLiteral("\nUSB 0403:6001 FTDI FT232R USB UART, serial number A50285BI"));
        QCOMPARE(window.ComPortComboBox()->itemData(0, Qt::ToolTipRole).toString(),
                 m_fixture->unitPath());
    }

private:
    QString configFolder() const { return m_fixture->dir.filePath(QStringLiteral("config")); }
    QString stored(const QString &name)
    {
        RegObject settings(configFolder());
        const QVariant value =
            settings.RegRead(RegObject::CurrentUser, Key, name, QStringLiteral("<absent>"));
        return value.toString();
    }

    void store(const QString &name, const QString &value)
    {
        RegObject settings(configFolder());
        settings.RegWrite(RegObject::CurrentUser, Key, name, value, RegObject::RegSz);
        QVERIFY2(settings.LastError().isEmpty(), qPrintable(settings.LastError()));
    }

    std::unique_ptr<test::ShellFixture> m_fixture;
};

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
