#include "platform/media/videoview.h"

#include "platform/media/mpvengine.h"

#include <QGuiApplication>
#include <QList>
#include <QResizeEvent>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <xcb/xcb.h>

VideoView::VideoView(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
    setMouseTracking(true);
}

void VideoView::attach(MpvEngine& engine)
{
    if (attached_ || MpvEngine::nullOutput() || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    attached_ = true;
    // A native window covers every sibling drawn without one. The view's ancestors and their other
    // children get native windows as well, so what is stacked above the video stays above it and what
    // lies under it stays under it. In a window already shown each native window is made at once and
    // goes on top of its siblings made before it, so the levels are made from the window down and each
    // level in its stacking order; the ancestor of the view is not made before the siblings below it.
    QList<QWidget*> levels;
    for (QWidget* w = this; !w->isWindow() && w->parentWidget(); w = w->parentWidget())
        levels.prepend(w->parentWidget());
    for (QWidget* level : levels)
        for (QObject* o : level->children())
            if (auto* sibling = qobject_cast<QWidget*>(o); sibling && !sibling->isWindow())
                sibling->setAttribute(Qt::WA_NativeWindow);
    const WId id = winId();
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    connection_ = x11 ? x11->connection() : nullptr;
    if (!connection_)
        return;
    // mpv draws into a plain window of the view's own inside the view's window, which Qt never maps,
    // unmaps or moves: the engine takes any map of the window it is given for a map of its own window
    // in it, and then never maps its own, and Qt maps its native windows again while the window around
    // them is shown. This one is mapped once, here, and only follows the view's size.
    picture_ = xcb_generate_id(connection_);
    const QSize px = nativeSize();
    const uint32_t black = 0;
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, picture_, xcb_window_t(id), 0, 0, uint16_t(px.width()),
                      uint16_t(px.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXEL, &black);
    xcb_map_window(connection_, picture_);
    // One round trip: the map has reached the server, before the engine watches the window.
    free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    engine.setWindowId(picture_, MpvEngine::videoOutput());
    // When a clip ends the view is painted black again.
    connect(&engine, &MpvEngine::fileEnded, this, qOverload<>(&QWidget::update));
}

QSize VideoView::nativeSize() const
{
    const qreal ratio = devicePixelRatioF();
    return QSize(qMax(1, qRound(width() * ratio)), qMax(1, qRound(height() * ratio)));
}

void VideoView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!picture_)
        return;
    const QSize px = nativeSize();
    const uint32_t size[] = {uint32_t(px.width()), uint32_t(px.height())};
    xcb_configure_window(connection_, picture_, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
    xcb_flush(connection_);
}
