// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/optionlists.h"

#include "settings/optiontables.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace orvel {

void FillOptionLists(QComboBox *DisplayPeriodComboBox, QComboBox *StopAfterComboBox)
{
    const QSignalBlocker blockPeriods(DisplayPeriodComboBox);
    const QSignalBlocker blockStop(StopAfterComboBox);
    const QLocale locale = DisplayPeriodComboBox->locale();

    DisplayPeriodComboBox->clear();
    int widest = 0;
    const QFontMetrics metrics(DisplayPeriodComboBox->font());
    for (const OptionEntry &entry : OptionTables::displayPeriods(locale)) {
        DisplayPeriodComboBox->addItem(entry.text, entry.samples);
        widest = std::max(widest, metrics.horizontalAdvance(entry.text));
    }

    StopAfterComboBox->clear();
    for (const OptionEntry &entry : OptionTables::stopAfter(locale))
        StopAfterComboBox->addItem(entry.text, entry.samples);

    // Room for the text, the drop-down arrow and the frame.
    QStyleOptionComboBox option;
    option.initFrom(DisplayPeriodComboBox);
    const int width =
        DisplayPeriodComboBox->style()
            ->sizeFromContents(QStyle::CT_ComboBox, &option, QSize(widest + 30, metrics.height()),
                               DisplayPeriodComboBox)
            .width();
    DisplayPeriodComboBox->setFixedWidth(width);
    StopAfterComboBox->setFixedWidth(width);
}

} // namespace orvel
