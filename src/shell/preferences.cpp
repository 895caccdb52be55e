// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/preferences.h"

#include "acquisition/portmap.h"
#include "charting/charttoolbar.h"
#include "charting/sampleprocessor.h"
#include "common/notifier.h"
#include "common/twips.h"
#include "logfile/logfolder.h"
#include "recording/loglock.h"
#include "recording/recordingsession.h"
#include "settings/portoverrides.h"
#include "shell/mainwindow.h"
#include "shell/optionlists.h"
#include "shell/portlist.h"
#include "shell/recordingcontroller.h"
#include "shell/splitter.h"
#include "shell/statuspanels.h"
#include "shell/windowplacement.h"
#include "widgets/keyedtoolbar.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QLineEdit>

#include <cmath>

namespace orvel {

namespace {

const QString AppTitle = QStringLiteral("Orvel Logger");
const QString DefaultLogFileName = QStringLiteral("OrveaLog.txt");
const QString DefaultGraphType = QStringLiteral("GraphLine");
constexpr int DefaultStopAfterIndex = 0;
constexpr int DefaultDisplayPeriodIndex = 3;

// Window states as stored.
constexpr int StateNormal = 0;
constexpr int StateMinimised = 1;
constexpr int StateMaximised = 2;

const QStringList LogToolbarToggles = {QStringLiteral("AlwaysOnTop"),
                                       QStringLiteral("LoadLogOnStartup")};
const QStringList ChartToolbarToggles = {
    QStringLiteral("GraphLegend"),       QStringLiteral("GraphSmallParticles"),
    QStringLiteral("GraphSmallMinimum"), QStringLiteral("GraphSmallAverage"),
    QStringLiteral("GraphSmallMaximum"), QStringLiteral("GraphLargeParticles"),
    QStringLiteral("GraphLargeMinimum"), QStringLiteral("GraphLargeAverage"),
    QStringLiteral("GraphLargeMaximum")};

} // namespace

Preferences::Preferences(MainWindow &window, const QString &configFolder)
    : QObject(&window)
    , m_window(window)
    , m_store(configFolder)
{
    m_store.setClassKey(RegObject::CurrentUser);
    m_store.setSubKey(SettingsKey);
    m_store.setValueType(RegObject::RegSz);

    m_loadLogStartTimer.setSingleShot(true);
    m_loadLogStartTimer.setInterval(LoadLogStartInterval);
    connect(&m_loadLogStartTimer, &QTimer::timeout, this, &Preferences::LoadLogStartTimer_Timer);
}

QVariant Preferences::read(const QString &name, const QVariant &fallback)
{
    return m_store.RegRead(RegObject::NotPassedNumber, RegObject::NotPassed, name, fallback);
}

void Preferences::write(const QString &name, const QVariant &value)
{
    m_store.RegWrite(RegObject::NotPassedNumber, RegObject::NotPassed, name, value.toString());
}

void Preferences::ReadPortOverrides(PortMap &portMap)
{
    PortOverrides::read(m_store, portMap);
}

std::optional<int> Preferences::wholeNumber(const QVariant &value) const
{
    if (!value.isValid() || RegObject::isMissing(value))
        return std::nullopt;
    const QString text = value.toString().trimmed();
    bool ok = false;
    double number = m_window.environment().locale.toDouble(text, &ok);
    if (!ok)
        number = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(number) || std::abs(number) > 2147483647.0)
        return std::nullopt;
    return int(std::lround(number));
}

bool Preferences::toggleValue(const QString &name, bool current)
{
    const QVariant value = read(name, current ? QStringLiteral("1") : QStringLiteral("0"));
    const QString text = value.toString().trimmed();
    if (text.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0)
        return false;
    const std::optional<int> number = wholeNumber(value);
    return number ? *number != 0 : current;
}

int Preferences::twipsToPixels(double twips, bool vertical) const
{
    const int dpi = std::max(1, vertical ? m_window.logicalDpiY() : m_window.logicalDpiX());
    return orvel::twipsToPixels(int(std::lround(twips)), dpi);
}

double Preferences::pixelsToTwips(int pixels, bool vertical) const
{
    const int dpi = std::max(1, vertical ? m_window.logicalDpiY() : m_window.logicalDpiX());
    // Whole twips: the text then never holds a decimal separator, which in some locales is the
    // "," that separates the fields.
    return orvel::pixelsToTwips(pixels, dpi);
}

QString Preferences::windowPositionText(const QRect &pixels) const
{
    return QString::number(pixelsToTwips(pixels.x(), false), 'f', 0) + u',' +
           QString::number(pixelsToTwips(pixels.y(), true), 'f', 0) + u',' +
           QString::number(pixelsToTwips(pixels.width(), false), 'f', 0) + u',' +
           QString::number(pixelsToTwips(pixels.height(), true), 'f', 0);
}

std::optional<QRect> Preferences::parseWindowPosition(const QString &text) const
{
    const QStringList fields = text.split(u',');
    if (fields.size() != 4)
        return std::nullopt;
    int pixels[4] = {};
    for (int i = 0; i < 4; ++i) {
        const std::optional<int> twips = wholeNumber(fields.at(i));
        if (!twips)
            return std::nullopt;
        pixels[i] = twipsToPixels(*twips, i % 2 == 1);
    }
    if (pixels[2] <= 0 || pixels[3] <= 0)
        return std::nullopt;
    return QRect(pixels[0], pixels[1], pixels[2], pixels[3]);
}

void Preferences::Form_Load()
{
    FillOptionLists(m_window.DisplayPeriodComboBox(), m_window.StopAfterComboBox());

    // The bar needs the laid-out window: it is placed when the window is first shown.
    const std::optional<int> splitterTwips =
        wholeNumber(read(QStringLiteral("SplitterPosition"), QVariant()));
    if (splitterTwips)
        m_pendingSplitterTwips = splitterTwips;
    m_window.installEventFilter(this);

    m_window.setWindowTitle(AppTitle);
    applyWindowPlacement();

    m_window.FillComPortList();
    selectStoredPort();
    const std::optional<int> resume = wholeNumber(read(QStringLiteral("ResumeAfterPortLoss"), 1));
    m_window.session().setResumeAfterPortLoss(!resume || *resume != 0);

    const QString defaultLogPath = QDir(m_window.logFolder().path()).filePath(DefaultLogFileName);
    m_window.LogFileTextBox()->setText(read(QStringLiteral("LogPath"), defaultLogPath).toString());
    // Another copy of the program (or the headless recorder) recording into the same log: say so
    // now rather than at Record. The notice goes when the user closes it.
    const QString logPath = m_window.LogFileTextBox()->text();
    const QString holder = LogLock::holderText(logPath);
    if (!holder.isEmpty())
        m_window.notifier().showNotice(QStringLiteral("LogBusy"),
                                       LogLock::busyMessage(logPath, holder));

    applyListIndex(QStringLiteral("StopAfterSamplesIndex"), DefaultStopAfterIndex,
                   m_window.StopAfterComboBox());
    applyListIndex(QStringLiteral("DisplayPeriodIndex"), DefaultDisplayPeriodIndex,
                   m_window.DisplayPeriodComboBox());

    applyLogToolbar();
    applyChartToolbar();

    m_window.controller().ArrangeToolbars(false);
    m_window.processor().ProcessSample(SampleReset);
    m_window.statusPanels().ShowWaitingForData(false);
    m_window.controller().RefreshControlStates();
    m_loadLogStartTimer.start();
}

void Preferences::selectStoredPort()
{
    const QString device = read(QStringLiteral("ComPortDevice"), QString()).toString();
    const std::optional<int> number = wholeNumber(read(QStringLiteral("ComPortNumber"), 0));
    m_window.portList()->selectStored(
        device, number, [this] { return wholeNumber(read(QStringLiteral("ComPortIndex"), 0)); });
}

void Preferences::applyWindowPlacement()
{
    const QVariant stored = read(QStringLiteral("WindowPosition"), QVariant());
    const QString text = stored.isValid() ? stored.toString() : QString();
    const std::optional<QRect> placement = parseWindowPosition(text);

    const WindowPlacement screens(m_window.environment().screenAreas);
    const QMargins frame = WindowPlacement::frameMargins(m_window);
    const auto centre = [&] {
        const QRect area = screens.areas().value(0);
        const QSize size = m_window.size();
        m_window.move(area.x() + (area.width() - size.width()) / 2,
                      area.y() + (area.height() - size.height()) / 3);
    };

    if (placement) {
        m_window.resize(placement->size());
        // A placement left behind on a screen that is no longer there is centred instead.
        if (screens.isVisible(QRect(placement->topLeft(), placement->size().grownBy(frame))))
            m_window.move(placement->topLeft());
        else
            centre();
    } else if (stored.isValid() && text.split(u',').size() != 4) {
        centre();
    }
    // Absent, or four fields that are not all numbers: the window stays as it was built.

    // Then all of it on one screen: the built size can be larger than a small or scaled screen,
    // and a placement can come from a larger screen or another arrangement of them.
    const QRect fit = screens.fitted(QRect(m_window.pos(), m_window.size().grownBy(frame)));
    m_window.resize(fit.size().shrunkBy(frame));
    m_window.move(fit.topLeft());

    const std::optional<int> state = wholeNumber(read(QStringLiteral("WindowState"), 0));
    if (state && *state == StateMaximised)
        m_window.setWindowState(Qt::WindowMaximized);
    else
        m_window.setWindowState(Qt::WindowNoState);
}

void Preferences::applyListIndex(const QString &name, int fallback, QComboBox *list)
{
    const std::optional<int> stored = wholeNumber(read(name, fallback));
    const int index = stored && *stored >= 0 && *stored < list->count() ? *stored : fallback;
    if (list->currentIndex() == index) {
        // Choosing the entry that is already current must still run the list's handling.
        Q_EMIT list->currentIndexChanged(index);
    } else {
        list->setCurrentIndex(index);
    }
}

void Preferences::applyLogToolbar()
{
    KeyedToolbar *toolbar = m_window.logToolbar();
    for (QAction *button : toolbar->actions()) {
        const QString key = toolbar->key(button);
        if (LogToolbarToggles.contains(key)) {
            button->setChecked(toggleValue(key, button->isChecked()));
            m_window.controller().LogToolbar_ButtonClick(key);
        } else if (key == QStringLiteral("About")) {
            button->setToolTip(QStringLiteral("About ") + AppTitle);
        }
    }
}

void Preferences::applyChartToolbar()
{
    ChartToolbar *toolbar = m_window.chartToolbar();
    for (QAction *button : toolbar->actions()) {
        const QString key = toolbar->key(button);
        if (ChartToolbarToggles.contains(key)) {
            button->setChecked(toggleValue(key, button->isChecked()));
            toolbar->ChartToolbar_ButtonClick(button);
        } else if (key == QStringLiteral("ClearGraphData")) {
            toolbar->ChartToolbar_ButtonClick(button);
        } else if (key == QStringLiteral("GraphType")) {
            const QString type =
                read(QStringLiteral("GraphType"), DefaultGraphType).toString().trimmed();
            if (!toolbar->ChartToolbar_ButtonMenuClick(type))
                toolbar->ChartToolbar_ButtonMenuClick(DefaultGraphType);
        }
    }
}

bool Preferences::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_window && event->type() == QEvent::Show && !m_shown) {
        m_shown = true;
        if (m_pendingSplitterTwips)
            m_window.splitter()->setBarPositionTwips(*m_pendingSplitterTwips);
        m_pendingSplitterTwips.reset();
    }
    return QObject::eventFilter(watched, event);
}

void Preferences::LoadLogStartTimer_Timer()
{
    m_loadLogStartTimer.stop();
    QAction *loadOnStartup = m_window.logToolbar()->button(QStringLiteral("LoadLogOnStartup"));
    if (loadOnStartup && loadOnStartup->isChecked())
        m_window.controller().LogToolbar_ButtonClick(QStringLiteral("LoadLog"));
}

void Preferences::SavePreferences()
{
    const Qt::WindowStates states = m_window.windowState();
    const int state = states.testFlag(Qt::WindowMinimized)   ? StateMinimised
                      : states.testFlag(Qt::WindowMaximized) ? StateMaximised
                                                             : StateNormal;
    write(QStringLiteral("WindowState"), state);
    // A minimised or maximised window keeps the last normal placement.
    if (state == StateNormal && !states.testFlag(Qt::WindowFullScreen))
        write(QStringLiteral("WindowPosition"),
              windowPositionText(QRect(m_window.pos(), m_window.size())));
    // A window that was never shown has no bar position of its own yet.
    if (m_pendingSplitterTwips)
        write(QStringLiteral("SplitterPosition"), *m_pendingSplitterTwips);
    else if (m_shown)
        write(QStringLiteral("SplitterPosition"), m_window.splitter()->barPositionTwips());
    const PortList *ports = m_window.portList();
    write(QStringLiteral("ComPortIndex"), ports->currentIndex());
    write(QStringLiteral("ComPortNumber"), ports->selectedPortNumber());
    write(QStringLiteral("ComPortDevice"), ports->selectedDevicePath());
    write(QStringLiteral("ResumeAfterPortLoss"), m_window.session().resumeAfterPortLoss() ? 1 : 0);
    write(QStringLiteral("LogPath"), m_window.LogFileTextBox()->text().trimmed());
    write(QStringLiteral("DisplayPeriodIndex"), m_window.DisplayPeriodComboBox()->currentIndex());
    write(QStringLiteral("StopAfterSamplesIndex"), m_window.StopAfterComboBox()->currentIndex());

    KeyedToolbar *logToolbar = m_window.logToolbar();
    for (QAction *button : logToolbar->actions()) {
        const QString key = logToolbar->key(button);
        if (LogToolbarToggles.contains(key))
            write(key, button->isChecked() ? 1 : 0);
    }
    ChartToolbar *chartToolbar = m_window.chartToolbar();
    for (QAction *button : chartToolbar->actions()) {
        const QString key = chartToolbar->key(button);
        if (ChartToolbarToggles.contains(key))
            write(key, button->isChecked() ? 1 : 0);
        else if (key == QStringLiteral("GraphType"))
            write(key, chartToolbar->imageKey(key));
    }
}

} // namespace orvel
