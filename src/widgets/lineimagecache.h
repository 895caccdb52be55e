// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QHash>
#include <QPixmap>

#include <functional>

class QPainter;

namespace orvel {

/// Lines of text rendered once and kept while they stay on screen: a pane that moves by a line
/// as a row arrives draws one new line and copies the others. An image is made again when its
/// line's extent changed (a partial last line that grew); everything is dropped when the look
/// the images were made for (width, horizontal offset, font, colours) changes. UI thread only.
class LineImageCache
{
public:
    /// Draws a line's text into an image whose top left is (0, 0).
    using Render = std::function<void(QPainter &)>;

    /// Drops every image unless `look` is the look they were made for.
    void setLook(const QString &look);
    /// The image of `line`, whose text runs from `start` to `end`, `size` device-independent
    /// pixels at `ratio`; `render` draws it when it is not kept.
    const QPixmap &image(qsizetype line, qsizetype start, qsizetype end, const QSize &size,
                         qreal ratio, const Render &render);
    /// Drops the images of lines outside [first, last).
    void keepOnly(qsizetype first, qsizetype last);
    void clear() { m_lines.clear(); }

private:
    struct Line
    {
        qsizetype start = 0;
        qsizetype end = 0;
        QPixmap image;
    };
    QHash<qsizetype, Line> m_lines;
    QString m_look;
};

} // namespace orvel
