// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QObject>
#include <QString>

namespace orvel {

/// The state of the slider under the chart, in sample numbers: range, position, tick spacing,
/// enabled state and the text shown beside the thumb while it is dragged. The slider widget mirrors
/// it; the sample processor writes it. Like QAbstractSlider, the value always lies within
/// [minimum, maximum], and a minimum above the maximum (or the reverse) moves the other end along.
/// UI thread only.
class SliderModel : public QObject
{
    Q_OBJECT
public:
    explicit SliderModel(QObject *parent = nullptr);

    qint32 minimum() const { return m_minimum; }
    void setMinimum(qint32 minimum);
    qint32 maximum() const { return m_maximum; }
    void setMaximum(qint32 maximum);
    qint32 value() const { return m_value; }
    void setValue(qint32 value);
    qint32 tickFrequency() const { return m_tickFrequency; }
    void setTickFrequency(qint32 frequency);
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    QString text() const { return m_text; }
    void setText(const QString &text);

    /// Calls of every setter so far, also those that changed nothing. For tests.
    quint64 writeCount() const { return m_writes; }

Q_SIGNALS:
    /// Any of the properties changed.
    void changed();

private:
    void update(qint32 minimum, qint32 maximum, qint32 value);

    qint32 m_minimum = 0;
    qint32 m_maximum = 10;
    qint32 m_value = 0;
    qint32 m_tickFrequency = 1;
    bool m_enabled = false;
    QString m_text;
    quint64 m_writes = 0;
};

} // namespace orvel
