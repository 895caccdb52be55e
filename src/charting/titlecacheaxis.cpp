// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "charting/titlecacheaxis.h"

#include <algorithm>

namespace orvel {

namespace {
constexpr int TitleFlags = Qt::TextDontClip | Qt::AlignCenter;
} // namespace

TitleCacheAxis::TitleCacheAxis(QCPAxisRect *axisRect, AxisType type)
    : QCPAxis(axisRect, type)
{}

void TitleCacheAxis::install(QCustomPlot *plot)
{
    QCPAxisRect *rect = plot->axisRect();
    for (const AxisType type : {atBottom, atLeft}) {
        const QList<QCPAxis *> axes = rect->axes(type);
        for (QCPAxis *axis : axes)
            rect->removeAxis(axis);
        // The first axis of a side becomes the plot's xAxis or yAxis.
        auto *axis = new TitleCacheAxis(rect, type);
        rect->addAxis(type, axis);
        // On the layers the plot gives its own axes.
        axis->setLayer(QStringLiteral("axes"));
        axis->grid()->setLayer(QStringLiteral("grid"));
        axis->grid()->setVisible(true);
    }
    rect->setRangeDragAxes(plot->xAxis, plot->yAxis);
    rect->setRangeZoomAxes(plot->xAxis, plot->yAxis);
}

bool TitleCacheAxis::cacheable(const QCPPainter *painter) const
{
    return (mAxisType == atBottom || mAxisType == atLeft) && tickLabelSide() == lsOutside &&
           painter->paintEngine() && painter->paintEngine()->type() == QPaintEngine::Raster &&
           painter->transform().type() == QTransform::TxNone &&
           painter->device()->devicePixelRatioF() == 1 &&
           !painter->modes().testFlag(QCPPainter::pmVectorized) &&
           !painter->modes().testFlag(QCPPainter::pmNoCaching);
}

void TitleCacheAxis::drawTitle(QPainter *painter, const QRect &bounds) const
{
    // As the axis painter draws its label, from the anchor the title starts at.
    const int height = bounds.height();
    if (mAxisType == atLeft) {
        painter->rotate(-90);
        painter->drawText(0, 0, m_title.length, height, TitleFlags, m_title.text);
        painter->rotate(90);
    } else {
        painter->drawText(0, 0, m_title.length, height, TitleFlags, m_title.text);
    }
}

void TitleCacheAxis::updateTitle(QCPPainter *painter, int length)
{
    const QFont &font = mAxisPainter->labelFont;
    const QColor &color = mAxisPainter->labelColor;
    if (m_title.text == mLabel && m_title.font == font && m_title.color == color &&
        m_title.length == length && !m_title.pixels.isNull())
        return;
    m_title.text = mLabel;
    m_title.font = font;
    m_title.color = color;
    m_title.length = length;
    painter->save();
    painter->setFont(font);
    m_title.drawBounds = painter->fontMetrics().boundingRect(0, 0, 0, 0, Qt::TextDontClip, mLabel);
    painter->restore();

    // Room on every side for glyphs reaching past the bounds and a text longer than the axis;
    // what stays blank is cut off afterwards.
    const int pad = m_title.drawBounds.height() + 2;
    const int overhang = std::max(0, m_title.drawBounds.width() - length) / 2 + pad;
    const int along = length + 2 * overhang;
    const int across = m_title.drawBounds.height() + 2 * pad;
    QImage image(mAxisType == atLeft ? QSize(across, along) : QSize(along, across),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    // The anchor in the image: the title's top left before a left axis turns it.
    const QPoint anchor =
        mAxisType == atLeft ? QPoint(pad, along - overhang) : QPoint(overhang, pad);
    {
        QPainter on(&image);
        on.setRenderHints(painter->renderHints());
        on.setFont(font);
        on.setPen(QPen(color));
        on.translate(anchor);
        drawTitle(&on, m_title.drawBounds);
    }
    QRect inked;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) != 0)
                inked |= QRect(x, y, 1, 1);
        }
    }
    m_title.pixels = QPixmap::fromImage(inked.isEmpty() ? QImage() : image.copy(inked));
    m_title.offset = inked.topLeft() - anchor;
}

void TitleCacheAxis::draw(QCPPainter *painter)
{
    if (mLabel.isEmpty() || !cacheable(painter)) {
        QCPAxis::draw(painter);
        return;
    }
    // Everything but the title as usual.
    const QString title = mLabel;
    mLabel.clear();
    QCPAxis::draw(painter);
    mLabel = title;
    mAxisPainter->label = title;

    // Where the axis painter puts its label: past the ticks, the tick labels and the padding.
    const QRect &rect = mAxisPainter->axisRect;
    const bool horizontal = mAxisType == atBottom;
    const int offset = mAxisPainter->offset;
    const QPoint origin = rect.bottomLeft() + (horizontal ? QPoint(0, offset) : QPoint(-offset, 0));
    int margin = std::max({0, mAxisPainter->tickLengthOut, mAxisPainter->subTickLengthOut});
    if (!mAxisPainter->tickLabels.isEmpty()) {
        // The largest tick label's size, read back from the box the axis painter keeps of the
        // tick labels: from `near` (their distance from the axis) that far out, as QRect's
        // normalized() leaves a box drawn from its far end (one pixel in from either end).
        const int near = std::max(mAxisPainter->tickLengthOut, mAxisPainter->subTickLengthOut) +
                         mAxisPainter->tickLabelPadding;
        const QRect box = mAxisPainter->tickLabelsSelectionBox();
        int size = box.width() - 1;
        if (horizontal) {
            const int from = origin.y() + near;
            size = box.top() == from ? 0 : box.bottom() - from + 1;
        }
        margin += mAxisPainter->tickLabelPadding + size;
    }
    margin += mAxisPainter->labelPadding;

    updateTitle(painter, horizontal ? rect.width() : rect.height());
    const QPoint anchor =
        horizontal ? QPoint(origin.x(), origin.y() + margin)
                   : QPoint(origin.x() - margin - m_title.drawBounds.height(), origin.y());
    if (m_title.drawBounds.width() > m_title.length) {
        // Longer than the axis (the chart elides its titles to fit): drawn where glyphs may
        // fall differently off the plot's edges, so drawn as the axis draws it.
        painter->save();
        painter->setFont(m_title.font);
        painter->setPen(QPen(m_title.color));
        if (horizontal) {
            // In place, not translated: text placed through a translation can fall a pixel off.
            painter->drawText(QRect(anchor, QSize(m_title.length, m_title.drawBounds.height())),
                              TitleFlags, m_title.text);
        } else {
            painter->translate(anchor);
            drawTitle(painter, m_title.drawBounds);
        }
        painter->restore();
        return;
    }
    if (!m_title.pixels.isNull())
        painter->drawPixmap(anchor + m_title.offset, m_title.pixels);
}

int TitleCacheAxis::calculateMargin()
{
    if (mLabel.isEmpty() || (mAxisType != atBottom && mAxisType != atLeft) || !mVisible)
        return QCPAxis::calculateMargin();
    // The axis without its title, and the title's height, measured once per text and font.
    const QFont font = getLabelFont();
    if (mLabel != m_marginText || font != m_marginFont) {
        m_marginText = mLabel;
        m_marginFont = font;
        m_marginHeight = QFontMetrics(font).boundingRect(0, 0, 0, 0, TitleFlags, mLabel).height();
    }
    const QString title = mLabel;
    mLabel.clear();
    const int margin = QCPAxis::calculateMargin();
    mLabel = title;
    mAxisPainter->label = title;
    return margin + mAxisPainter->labelPadding + m_marginHeight;
}

} // namespace orvel
