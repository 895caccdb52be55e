// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QObject>

namespace orvel {

class MainWindow;

/// What the main window tells assistive technology beyond its captions and buddies: accessible
/// names and descriptions for the latest counts, the chart and its slider; and the slider's
/// "Start at sample" text beside the thumb after every move by the user, by keyboard and wheel
/// as by dragging.
///
/// Created by the main window once its parts are wired, so that the slider model has taken a
/// move before the text is shown; a child of the window. UI thread only.
class WindowAccessibility : public QObject
{
    Q_OBJECT
public:
    explicit WindowAccessibility(MainWindow &window);

private:
    void showSliderText();

    MainWindow &m_window;
    bool m_userMove = false;
};

} // namespace orvel
