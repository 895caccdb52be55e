// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "widgets/lineimagecache.h"

#include <QPainter>

namespace orvel {

void LineImageCache::setLook(const QString &look)
{
    if (look == m_look)
        return;
    m_look = look;
    m_lines.clear();
}

const QPixmap &LineImageCache::image(qsizetype line, qsizetype start, qsizetype end,
                                     const QSize &size, qreal ratio, const Render &render)
{
    Line &kept = m_lines[line];
    if (kept.image.isNull() || kept.start != start || kept.end != end ||
        kept.image.deviceIndependentSize().toSize() != size) {
        kept.start = start;
        kept.end = end;
        kept.image = QPixmap((QSizeF(size) * ratio).toSize());
        kept.image.setDevicePixelRatio(ratio);
        QPainter painter(&kept.image);
        render(painter);
    }
    return kept.image;
}

void LineImageCache::keepOnly(qsizetype first, qsizetype last)
{
    for (auto it = m_lines.begin(); it != m_lines.end();) {
        if (it.key() < first || it.key() >= last)
            it = m_lines.erase(it);
        else
            ++it;
    }
}

} // namespace orvel
