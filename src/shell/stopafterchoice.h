// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QObject>

class QComboBox;

namespace orvel {

class Prompter;
class RecordingSession;
class SampleProcessor;

/// The stop-after list's choice of a sample limit. A new choice becomes the processor's stop
/// limit and, when the samples still fit, moves the display period list to the matching period.
/// A limit the running recording has already passed is asked about first: the list keeps the
/// new choice while the question is open, and Cancel puts the previous one back. UI thread only.
class StopAfterChoice : public QObject
{
    Q_OBJECT
public:
    StopAfterChoice(QComboBox &stopAfterList, QComboBox &displayPeriodList,
                    SampleProcessor &processor, const RecordingSession &session, Prompter &prompter,
                    QObject *parent = nullptr);

    /// A new choice in the stop-after list.
    void StopAfterComboBox_Click();
    /// True while the question about a passed limit is open.
    bool busy() const { return m_busy; }
    /// The index of the choice in effect.
    int previousIndex() const { return m_previousIndex; }

private:
    void apply(int index, qint32 limit);

    QComboBox &m_list;
    QComboBox &m_displayPeriodList;
    SampleProcessor &m_processor;
    const RecordingSession &m_session;
    Prompter &m_prompter;
    bool m_busy = false;
    int m_previousIndex = 0;
};

} // namespace orvel
