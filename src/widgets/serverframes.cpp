// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "widgets/serverframes.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPlatformSurfaceEvent>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>

namespace orvel {

namespace {

xcb_connection_t *x11Connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

/// Whether the server takes images of `depth` as 32-bit words in this machine's byte order, red
/// in bits 16–23, green in 8–15, blue in 0–7: the layout of QImage::Format_RGB32.
bool takesRgb32(xcb_connection_t *connection, xcb_window_t window, int depth)
{
    const xcb_setup_t *setup = xcb_get_setup(connection);
    if ((setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) !=
        (QSysInfo::ByteOrder == QSysInfo::LittleEndian))
        return false;
    bool wordPixels = false;
    for (auto format = xcb_setup_pixmap_formats_iterator(setup); format.rem;
         xcb_format_next(&format))
        wordPixels |= format.data->depth == depth && format.data->bits_per_pixel == 32;
    if (!wordPixels)
        return false;
    xcb_get_window_attributes_reply_t *attributes = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr);
    if (!attributes)
        return false;
    const xcb_visualid_t visual = attributes->visual;
    std::free(attributes);
    for (auto screen = xcb_setup_roots_iterator(setup); screen.rem; xcb_screen_next(&screen)) {
        for (auto depths = xcb_screen_allowed_depths_iterator(screen.data); depths.rem;
             xcb_depth_next(&depths)) {
            for (auto type = xcb_depth_visuals_iterator(depths.data); type.rem;
                 xcb_visualtype_next(&type)) {
                if (type.data->visual_id == visual)
                    return type.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR &&
                           type.data->red_mask == 0xff0000 && type.data->green_mask == 0xff00 &&
                           type.data->blue_mask == 0xff;
            }
        }
    }
    return false;
}

} // namespace

ServerFrames *ServerFrames::create(QWidget *place, int count, Painter paint)
{
    xcb_connection_t *connection = x11Connection();
    return connection ? new ServerFrames(place, count, std::move(paint), connection) : nullptr;
}

ServerFrames::ServerFrames(QWidget *place, int count, Painter paint, xcb_connection_t *connection)
    : QObject(place)
    , m_place(place)
    , m_count(count)
    , m_paint(std::move(paint))
    , m_connection(connection)
{
    m_window = new QWindow;
    // Clicks and the pointer go through to the widgets, as if the window were not there.
    m_window->setFlag(Qt::WindowTransparentForInput);
    m_window->setSurfaceType(QSurface::RasterSurface);
    m_container = QWidget::createWindowContainer(m_window, place);
    m_container->setObjectName(QStringLiteral("ServerFrames"));
    m_container->setGeometry(place->rect());
    m_container->setFocusPolicy(Qt::NoFocus);
    m_window->installEventFilter(this);
    place->installEventFilter(this);
}

ServerFrames::~ServerFrames()
{
    releasePixmaps();
    if (m_gc)
        xcb_free_gc(m_connection, m_gc);
    xcb_flush(m_connection);
    delete m_container;
}

bool ServerFrames::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_place && event->type() == QEvent::Resize && m_container)
        m_container->setGeometry(m_place->rect());
    // Shown (again), or made anew: the window starts without a background.
    const bool made = event->type() == QEvent::PlatformSurface &&
                      static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType() ==
                          QPlatformSurfaceEvent::SurfaceCreated;
    if (watched == m_window && (made || event->type() == QEvent::Expose)) {
        const Drawn drawn = refresh();
        if (drawn == Drawn::Unchanged || drawn == Drawn::Anew)
            apply();
    }
    return QObject::eventFilter(watched, event);
}

void ServerFrames::releasePixmaps()
{
    for (const std::uint32_t pixmap : std::as_const(m_pixmaps))
        xcb_free_pixmap(m_connection, pixmap);
    m_pixmaps.clear();
}

ServerFrames::Drawn ServerFrames::refresh()
{
    if (!m_place || !m_container)
        return Drawn::Nothing;
    const qreal ratio = m_place->devicePixelRatioF();
    const QSize size(int(std::ceil(m_place->width() * ratio)),
                     int(std::ceil(m_place->height() * ratio)));
    const QColor background = m_place->palette().color(m_place->backgroundRole());
    if (size == m_drawnSize && background == m_drawnBackground && !m_pixmaps.isEmpty())
        return Drawn::Unchanged;
    if (size.isEmpty())
        return Drawn::Nothing;
    const xcb_window_t window = xcb_window_t(m_window->winId());
    if (m_depth == 0) {
        xcb_get_geometry_reply_t *geometry =
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr);
        m_depth = geometry ? geometry->depth : -1;
        std::free(geometry);
        if ((m_depth != 24 && m_depth != 32) || !takesRgb32(m_connection, window, m_depth))
            m_depth = -1;
    }
    const std::size_t bytes = std::size_t(size.width()) * std::size_t(size.height()) * 4;
    if (m_depth < 0 || bytes + 64 > std::size_t(xcb_get_maximum_request_length(m_connection)) * 4)
        return Drawn::Unsupported;

    releasePixmaps();
    for (int i = 0; i <= m_count; ++i) {
        QImage image(size,
                     m_depth == 32 ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(background);
        if (i < m_count) // the last one is the place without a frame
            m_paint(image, i);
        const xcb_pixmap_t pixmap = xcb_generate_id(m_connection);
        xcb_create_pixmap(m_connection, std::uint8_t(m_depth), pixmap, window,
                          std::uint16_t(size.width()), std::uint16_t(size.height()));
        if (!m_gc) {
            m_gc = xcb_generate_id(m_connection);
            xcb_create_gc(m_connection, m_gc, pixmap, 0, nullptr);
        }
        xcb_put_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, m_gc,
                      std::uint16_t(size.width()), std::uint16_t(size.height()), 0, 0, 0,
                      std::uint8_t(m_depth), std::uint32_t(image.sizeInBytes()), image.constBits());
        m_pixmaps.append(pixmap);
    }
    m_drawnSize = size;
    m_drawnBackground = background;
    return Drawn::Anew;
}

void ServerFrames::apply()
{
    const xcb_window_t window = xcb_window_t(m_window->winId());
    const std::uint32_t pixmap = m_pixmaps[m_shown < 0 ? m_count : m_shown];
    xcb_change_window_attributes(m_connection, window, XCB_CW_BACK_PIXMAP, &pixmap);
    xcb_clear_area(m_connection, 0, window, 0, 0, 0, 0);
    xcb_flush(m_connection);
}

bool ServerFrames::show(int index)
{
    const Drawn drawn = refresh();
    if (drawn == Drawn::Unsupported)
        return false;
    const bool changed = index != m_shown || drawn == Drawn::Anew;
    m_shown = index;
    if (changed && drawn != Drawn::Nothing)
        apply();
    return true;
}

} // namespace orvel
