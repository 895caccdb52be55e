// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "acquisition/demosamplesource.h"

#include <QDateTime>

#include <cmath>

namespace orvel {

DemoSampleSource::DemoSampleSource(QObject *parent)
    : QObject(parent)
    , m_random(quint32(QDateTime::currentMSecsSinceEpoch()))
{
    m_sampleTimer.setInterval(SampleIntervalMs);
    connect(&m_sampleTimer, &QTimer::timeout, this, [this] {
        qint32 small = 0;
        qint32 large = 0;
        Q_EMIT sampleGenerated(GenerateDemoSample(small, large, false));
    });
}

void DemoSampleSource::setPrevious(qint32 small, qint32 large)
{
    m_previousSmall = small;
    m_previousLarge = large;
}

float DemoSampleSource::nextRandom()
{
    if (m_randomSource)
        return m_randomSource();
    // 24 random bits: every value is exact in single precision and below 1.
    return float(m_random() >> 8) / float(1u << 24);
}

qint32 DemoSampleSource::roundedSpread(qint32 previous)
{
    // The factor is the single-precision 0.1 (0.10000000149011612), the product taken in double
    // precision and rounded half to even.
    const double factor = double(0.1f);
    return qint32(std::nearbyint(double(previous) * factor));
}

QString DemoSampleSource::GenerateDemoSample(qint32 &small, qint32 &large, bool reset)
{
    if (reset)
        setPrevious(1000, 200);

    qint32 spread = roundedSpread(m_previousSmall);
    if (spread < 1)
        spread = 100;
    qint32 high = std::max(m_previousSmall + spread, 200);
    qint32 low = std::max(m_previousSmall - spread, 0);
    small = qint32(std::floor(double(nextRandom()) * (double(high) - low + 1) + low));

    spread = roundedSpread(m_previousLarge);
    if (spread < 1)
        spread = 10;
    high = std::min(m_previousLarge + spread, small);
    low = std::max(m_previousLarge - spread, 0);
    large = qint32(std::floor(double(nextRandom()) * (double(high) - low + 1) + low));

    m_previousSmall = small;
    m_previousLarge = large;
    return QString::number(small) + u',' + QString::number(large) + QStringLiteral("\r\n");
}

} // namespace orvel
