// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "shell/stopafterchoice.h"

#include "charting/sampleprocessor.h"
#include "recording/recordingsession.h"
#include "shell/prompter.h"

#include <QComboBox>

namespace orvel {

StopAfterChoice::StopAfterChoice(QComboBox &stopAfterList, QComboBox &displayPeriodList,
                                 SampleProcessor &processor, const RecordingSession &session,
                                 Prompter &prompter, QObject *parent)
    : QObject(parent)
    , m_list(stopAfterList)
    , m_displayPeriodList(displayPeriodList)
    , m_processor(processor)
    , m_session(session)
    , m_prompter(prompter)
{
    connect(&m_list, &QComboBox::currentIndexChanged, this,
            &StopAfterChoice::StopAfterComboBox_Click);
}

void StopAfterChoice::StopAfterComboBox_Click()
{
    if (m_busy)
        return;
    const int index = m_list.currentIndex();
    const qint32 newLimit = index < 0 ? 0 : m_list.itemData(index).toInt();
    if (newLimit == m_processor.StopAfterLimit())
        return;

    if (m_processor.SampleCount() >= newLimit && m_session.isRecording() && newLimit >= 1) {
        const QString text =
            QStringLiteral("The number of samples received has already past the limit you "
                           "selected.  ") +
            QStringLiteral("If you continue, recording will stop after the next sample.") +
            QStringLiteral("\n\n") +
            QStringLiteral("Cancel if you do not want to change the sample stop limit at this "
                           "time.");
        // The list keeps the new choice while the question is open; Cancel puts the old back.
        m_busy = true;
        m_prompter.ask(QMessageBox::Warning, QStringLiteral("Change Sample Stop Limit"), text,
                       QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel,
                       [this, index, newLimit](QMessageBox::StandardButton answer) {
                           if (answer == QMessageBox::Ok)
                               apply(index, newLimit);
                           else
                               m_list.setCurrentIndex(m_previousIndex);
                           m_busy = false;
                       });
        return;
    }
    apply(index, newLimit);
}

void StopAfterChoice::apply(int index, qint32 limit)
{
    m_processor.setStopAfterLimit(limit);
    if (limit >= 1 && m_processor.SampleCount() <= limit)
        m_displayPeriodList.setCurrentIndex(index - 1);
    m_previousIndex = index;
}

} // namespace orvel
