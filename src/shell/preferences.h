// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "settings/regobject.h"

#include <QObject>
#include <QRect>
#include <QString>
#include <QTimer>

#include <optional>

class QComboBox;

namespace orvel {

class MainWindow;
class PortMap;

/// The main window's life cycle outside the recording: the preferences that survive between
/// runs, read once while the window loads and written once when it closes, all through the one
/// settings store of the window; the port overrides; and the deferred "Load log on startup".
///
/// Every preference is stored as text under `SettingsKey` (`ValueType` 1). A value that is
/// absent, or that was edited by hand into something the window cannot use (a window position
/// with a field that is not a number, a list index outside its list, an unknown graph type, a
/// toggle that is neither a number nor True/False), falls back to the default of its
/// preference: the state of the control as the window was built.
///
/// Owned by the main window; UI thread only.
class Preferences : public QObject
{
    Q_OBJECT
public:
    static inline const QString SettingsKey = QStringLiteral("SOFTWARE\\Orvel\\Orvel Logger");
    static constexpr int LoadLogStartInterval = 100;

    /// Opens the settings store in `configFolder` (empty: the user's standard configuration
    /// folder) on `SettingsKey`. Does not touch the window yet: it may still be under
    /// construction.
    Preferences(MainWindow &window, const QString &configFolder);

    /// The settings store the preferences go through.
    RegObject &store() { return m_store; }

    /// Points the ports the store names (PortOverrides) at their devices. Called once, before
    /// the ports are probed.
    void ReadPortOverrides(PortMap &portMap);

    /// Loads the window: fills the lists, probes the ports, applies every stored preference,
    /// resets the samples, sets the control states and starts `LoadLogStartTimer`. The window,
    /// as built or as stored, is then made to fit wholly on one screen's available area. The bar
    /// position is applied when the window is first shown, once its layout has a size.
    void Form_Load();
    /// The one-shot timer (100 ms) started at the end of `Form_Load`.
    QTimer &LoadLogStartTimer() { return m_loadLogStartTimer; }
    /// Its tick: loads the log named in the log file box when "Load log on startup" is pressed.
    void LoadLogStartTimer_Timer();
    /// Writes every preference, in the order of the table (window state first). Failures of the
    /// store are ignored: the window closes whatever happens.
    void SavePreferences();

    /// A window position value ("left,top,width,height" in twips) as pixels, or nothing when it
    /// does not have four numeric fields and a positive size.
    std::optional<QRect> parseWindowPosition(const QString &text) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QVariant read(const QString &name, const QVariant &fallback);
    void write(const QString &name, const QVariant &value);
    std::optional<int> wholeNumber(const QVariant &value) const;
    bool toggleValue(const QString &name, bool current);
    void selectStoredPort();
    void applyWindowPlacement();
    void applyListIndex(const QString &name, int fallback, QComboBox *list);
    void applyLogToolbar();
    void applyChartToolbar();
    QString windowPositionText(const QRect &pixels) const;
    int twipsToPixels(double twips, bool vertical) const;
    double pixelsToTwips(int pixels, bool vertical) const;

    MainWindow &m_window;
    RegObject m_store;
    QTimer m_loadLogStartTimer;
    /// The stored bar position, until the window is first shown.
    std::optional<int> m_pendingSplitterTwips;
    bool m_shown = false;
};

} // namespace orvel
