// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/slidermodel.h"

#include <algorithm>

namespace orvel {

SliderModel::SliderModel(QObject *parent)
    : QObject(parent)
{}

void SliderModel::setMinimum(qint32 minimum)
{
    ++m_writes;
    update(minimum, std::max(minimum, m_maximum), m_value);
}

void SliderModel::setMaximum(qint32 maximum)
{
    ++m_writes;
    update(std::min(m_minimum, maximum), maximum, m_value);
}

void SliderModel::setValue(qint32 value)
{
    ++m_writes;
    update(m_minimum, m_maximum, value);
}

void SliderModel::setTickFrequency(qint32 frequency)
{
    ++m_writes;
    if (m_tickFrequency == frequency)
        return;
    m_tickFrequency = frequency;
    Q_EMIT changed();
}

void SliderModel::setEnabled(bool enabled)
{
    ++m_writes;
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    Q_EMIT changed();
}

void SliderModel::setText(const QString &text)
{
    ++m_writes;
    if (m_text == text)
        return;
    m_text = text;
    Q_EMIT changed();
}

void SliderModel::update(qint32 minimum, qint32 maximum, qint32 value)
{
    value = std::clamp(value, minimum, maximum);
    if (minimum == m_minimum && maximum == m_maximum && value == m_value)
        return;
    m_minimum = minimum;
    m_maximum = maximum;
    m_value = value;
    Q_EMIT changed();
}

} // namespace orvel
