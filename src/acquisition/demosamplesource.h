// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <random>

namespace orvel {

/// Simulated readings for the demonstration mode and the chart's test data: a bounded random walk
/// of the small and large counts, so consecutive values drift like a real particle count.
///
/// The timer (`SampleTimer`, every 6 seconds while enabled) emits one reading line in the unit's
/// format ("1043,197\r\n"), which the shell hands to the sample processor like a line from the
/// unit. The generator is seeded from the clock; tests seed it themselves. UI thread only.
class DemoSampleSource : public QObject
{
    Q_OBJECT
public:
    static constexpr int SampleIntervalMs = 6000;

    explicit DemoSampleSource(QObject *parent = nullptr);

    /// Restarts the random sequence from `seed`, for repeatable runs.
    void seed(quint32 seed) { m_random.seed(seed); }

    /// One step of the walk: the new small and large counts (as the unit reports them, before the
    /// ×100 multiplier) and the line the unit would send. `reset` first puts the walk back to
    /// 1000 and 200.
    QString GenerateDemoSample(qint32 &small, qint32 &large, bool reset);

    qint32 PreviousSmall() const { return m_previousSmall; }
    qint32 PreviousLarge() const { return m_previousLarge; }
    /// Sets the walk's last values, e.g. to continue from a chosen point.
    void setPrevious(qint32 small, qint32 large);

    /// The demonstration timer; enabled by the recording controller for a demonstration.
    QTimer &SampleTimer() { return m_sampleTimer; }

    /// A uniform value in [0, 1), single precision. Replaceable for tests.
    void setRandomSource(std::function<float()> source) { m_randomSource = std::move(source); }

Q_SIGNALS:
    /// A demonstration reading is due; `line` ends with CR LF.
    void sampleGenerated(const QString &line);

private:
    float nextRandom();
    static qint32 roundedSpread(qint32 previous);

    std::mt19937 m_random;
    std::function<float()> m_randomSource;
    qint32 m_previousSmall = 0;
    qint32 m_previousLarge = 0;
    QTimer m_sampleTimer;
};

} // namespace orvel
