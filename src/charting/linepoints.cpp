// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/linepoints.h"

#include <qcustomplot.h>

#include <cmath>

namespace orvel {

QList<QCPGraphData> LinePoints::make(const std::vector<double> &values,
                                     const std::vector<double> *below, double rowsPerPixel)
{
    const auto valueAt = [&](size_t i) {
        const double base = below && !std::isnan((*below)[i]) ? (*below)[i] : 0.0;
        return values[i] + base;
    };
    QList<QCPGraphData> points;
    if (rowsPerPixel <= 1) {
        points.reserve(qsizetype(values.size()));
        for (size_t i = 0; i < values.size(); ++i) {
            if (!std::isnan(values[i]))
                points.append(QCPGraphData(double(i + 1), valueAt(i)));
        }
        return points;
    }

    points.reserve(qsizetype(2 * values.size() / size_t(rowsPerPixel) + 4));
    qint64 column = -1;
    size_t low = 0, high = 0;
    bool any = false;
    const auto flush = [&] {
        if (!any)
            return;
        const size_t first = std::min(low, high), second = std::max(low, high);
        points.append(QCPGraphData(double(first + 1), valueAt(first)));
        if (second != first)
            points.append(QCPGraphData(double(second + 1), valueAt(second)));
        any = false;
    };
    for (size_t i = 0; i < values.size(); ++i) {
        if (std::isnan(values[i]))
            continue;
        const qint64 at = qint64((double(i) + 0.5) / rowsPerPixel);
        if (at != column) {
            flush();
            column = at;
        }
        const double value = valueAt(i);
        if (!any) {
            low = high = i;
            any = true;
        } else if (value < valueAt(low)) {
            low = i;
        } else if (value > valueAt(high)) {
            high = i;
        }
    }
    flush();
    return points;
}

} // namespace orvel
