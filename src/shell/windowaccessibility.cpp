// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/windowaccessibility.h"

#include "charting/chartcontrol.h"
#include "charting/slidermodel.h"
#include "shell/mainwindow.h"

#include <QLabel>
#include <QSlider>
#include <QStyle>
#include <QToolTip>

#include <utility>

namespace orvel {

namespace {

void describe(QWidget *widget, const QString &name, const QString &description)
{
    widget->setAccessibleName(name);
    widget->setAccessibleDescription(description);
}

} // namespace

WindowAccessibility::WindowAccessibility(MainWindow &window)
    : QObject(&window)
    , m_window(window)
{
    describe(window.SmallCountLabel(), QStringLiteral("Small particles"),
             QStringLiteral("The latest count of small particles per cubic foot"));
    describe(window.LargeCountLabel(), QStringLiteral("Large particles"),
             QStringLiteral("The latest count of large particles per cubic foot"));
    describe(window.chartControl(), QStringLiteral("Chart"),
             QStringLiteral("Small and large particle counts of the display period"));
    QSlider *slider = window.ChartSlider();
    describe(slider, QStringLiteral("Chart start"),
             QStringLiteral("The first sample the chart shows; move it to scroll back through "
                            "the readings"));

    // Every move by the user (drag, arrow and page keys, Home, End, the wheel) is an action that
    // then sets the value; the window's own updates set the value alone. The value's handlers of
    // the window, connected before these, have passed the move to the chart by the time the
    // text is shown.
    connect(slider, &QAbstractSlider::actionTriggered, this,
            [this, slider] { m_userMove = slider->sliderPosition() != slider->value(); });
    connect(slider, &QAbstractSlider::valueChanged, this, [this] {
        if (std::exchange(m_userMove, false))
            showSliderText();
    });
    connect(slider, &QAbstractSlider::sliderReleased, this, [] { QToolTip::hideText(); });
}

void WindowAccessibility::showSliderText()
{
    QSlider *slider = m_window.ChartSlider();
    const QString text = m_window.sliderModel().text();
    if (text.isEmpty())
        return;
    const QPoint at = slider->mapToGlobal(
        QPoint(QStyle::sliderPositionFromValue(slider->minimum(), slider->maximum(),
                                               slider->value(), slider->width()),
               -slider->height()));
    QToolTip::showText(at, text, slider);
}

} // namespace orvel
