// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSize>

#include <cstdint>
#include <functional>

class QWidget;
class QWindow;
struct xcb_connection_t;

namespace orvel {

/// A small animation shown in a widget's place by the X server itself. Each frame is handed to
/// the server once, as a pixmap; showing a frame then makes it the background of a child window
/// over the widget, which the server paints on its own. A frame costs one short request: no
/// painting, no backing store, no round trip. Used for the status bar's indicators, which run
/// for hours while the logger waits.
///
/// Only under X11: `create` gives null elsewhere (Wayland, offscreen), and so does a server
/// whose pixel layout this does not know; the widget then paints its frames itself. UI thread
/// only.
class ServerFrames : public QObject
{
    Q_OBJECT
public:
    /// Draws frame `index` into an image of the place's size (at its device pixel ratio).
    using Painter = std::function<void(QImage &image, int index)>;

    /// Frames for `place`, `count` of them drawn by `paint` whenever the place's size, pixel
    /// ratio or background colour changes. Null where the server cannot show them.
    static ServerFrames *create(QWidget *place, int count, Painter paint);
    ~ServerFrames() override;

    /// Shows frame `index` (0-based), or none (-1): the place without a frame. False when the
    /// server cannot show the frames after all; the widget then has to paint them itself.
    bool show(int index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ServerFrames(QWidget *place, int count, Painter paint, xcb_connection_t *connection);
    enum class Drawn { Unchanged, Anew, Nothing, Unsupported };
    /// Draws and hands over the frames when what they depend on changed (Nothing while the
    /// place has no size).
    Drawn refresh();
    void apply();
    void releasePixmaps();

    QPointer<QWidget> m_place;
    QPointer<QWidget> m_container;
    QWindow *m_window = nullptr;
    int m_count;
    Painter m_paint;
    xcb_connection_t *m_connection;
    QList<std::uint32_t> m_pixmaps;
    /// What the pixmaps were drawn for.
    QSize m_drawnSize;
    QColor m_drawnBackground;
    std::uint32_t m_gc = 0;
    int m_depth = 0;
    int m_shown = -1;
};

} // namespace orvel
