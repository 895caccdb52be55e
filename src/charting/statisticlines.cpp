// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/statisticlines.h"

#include <qcustomplot.h>

#include <cmath>

namespace orvel {

namespace {
constexpr std::array<Statistic, 3> AllStatistics = {Statistic::Minimum, Statistic::Maximum,
                                                    Statistic::Mean};

int statIndex(Statistic statistic)
{
    switch (statistic) {
    case Statistic::Minimum:
        return 0;
    case Statistic::Maximum:
        return 1;
    case Statistic::Mean:
        return 2;
    }
    return 0;
}

bool validSeries(qint32 series)
{
    return series == LargeSeries || series == SmallSeries;
}
} // namespace

StatisticLines::StatisticLines(QCustomPlot *plot)
{
    for (qint32 series : {LargeSeries, SmallSeries}) {
        for (int k = 0; k < 3; ++k) {
            auto *line = new QCPItemStraightLine(plot);
            line->setClipToAxisRect(true);
            line->setVisible(false);
            m_lines[size_t(series - 1)][size_t(k)] = line;
            // Placed in pixels beside the plot, centred on the height of their line.
            auto *text = new QCPItemText(plot);
            text->position->setType(QCPItemPosition::ptAbsolute);
            text->setPositionAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            text->setPadding(QMargins(3, 1, 3, 1));
            text->setClipToAxisRect(false);
            text->setVisible(false);
            m_texts[size_t(series - 1)][size_t(k)] = text;
        }
    }
}

StatLineStyle StatisticLines::style(qint32 series, Statistic statistic) const
{
    if (!validSeries(series))
        return StatLineStyle::None;
    return m_styles[size_t(series - 1)][size_t(statIndex(statistic))];
}

void StatisticLines::setStyle(qint32 series, Statistic statistic, StatLineStyle style)
{
    if (validSeries(series))
        m_styles[size_t(series - 1)][size_t(statIndex(statistic))] = style;
}

void StatisticLines::compute(qint32 series, const std::vector<double> &values)
{
    if (!validSeries(series))
        return;
    Statistics s;
    double sum = 0;
    for (double value : values) {
        if (std::isnan(value))
            continue;
        if (s.count == 0 || value < s.minimum)
            s.minimum = value;
        if (s.count == 0 || value > s.maximum)
            s.maximum = value;
        sum += value;
        ++s.count;
    }
    s.mean = s.count > 0 ? sum / s.count : 0;
    m_statistics[size_t(series - 1)] = s;
}

std::optional<double> StatisticLines::value(qint32 series, Statistic statistic) const
{
    if (!validSeries(series))
        return std::nullopt;
    const Statistics &s = m_statistics[size_t(series - 1)];
    if (s.count == 0)
        return std::nullopt;
    switch (statistic) {
    case Statistic::Minimum:
        return s.minimum;
    case Statistic::Maximum:
        return s.maximum;
    case Statistic::Mean:
        return s.mean;
    }
    return std::nullopt;
}

qint32 StatisticLines::count(qint32 series) const
{
    return validSeries(series) ? m_statistics[size_t(series - 1)].count : 0;
}

bool StatisticLines::isShown(qint32 series, Statistic statistic, std::array<bool, 2> shown) const
{
    return validSeries(series) && shown[size_t(series - 1)] &&
           style(series, statistic) == StatLineStyle::Dashed && count(series) > 0;
}

void StatisticLines::update(std::array<bool, 2> shown, const QLocale &locale)
{
    static const QString names[3] = {QStringLiteral("Min"), QStringLiteral("Max"),
                                     QStringLiteral("Avg")};
    for (qint32 series : {LargeSeries, SmallSeries}) {
        for (Statistic statistic : AllStatistics) {
            const int k = statIndex(statistic);
            QCPItemStraightLine *line = m_lines[size_t(series - 1)][size_t(k)];
            QCPItemText *text = m_texts[size_t(series - 1)][size_t(k)];
            const bool visible = isShown(series, statistic, shown);
            line->setVisible(visible);
            text->setVisible(visible);
            if (!visible)
                continue;
            const double at = *value(series, statistic);
            line->point1->setCoords(0, at);
            line->point2->setCoords(1, at);
            text->setText(names[k] + QLatin1Char(' ') + locale.toString(qRound64(at)));
        }
    }
}

std::vector<StatisticLines::Label> StatisticLines::labels() const
{
    std::vector<Label> shown;
    for (qint32 series : {LargeSeries, SmallSeries}) {
        for (Statistic statistic : AllStatistics) {
            const size_t k = size_t(statIndex(statistic));
            if (m_lines[size_t(series - 1)][k]->visible())
                shown.push_back({m_texts[size_t(series - 1)][k], *value(series, statistic)});
        }
    }
    return shown;
}

void StatisticLines::setColors(const QColor &large, const QColor &small)
{
    for (qint32 series : {LargeSeries, SmallSeries}) {
        const QColor &color = series == LargeSeries ? large : small;
        for (size_t k = 0; k < 3; ++k) {
            m_lines[size_t(series - 1)][k]->setPen(QPen(color, 1.5, Qt::DashLine));
            m_texts[size_t(series - 1)][k]->setColor(color);
        }
    }
}

} // namespace orvel
