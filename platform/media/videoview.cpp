#include "platform/media/videoview.h"

#include "platform/media/mpvengine.h"

#include <QGuiApplication>
#include <QList>
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
    // The engine takes any map of this window for a map of its own window in it, and then never maps
    // its own. Map this one now, before the engine watches it, also while the window around it is not
    // shown yet.
    if (QWindow* w = windowHandle(); w && !isHidden() && !w->isVisible()) {
        w->setVisible(true);
        // One round trip: the map has reached the server when the answer comes.
        const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (xcb_connection_t* c = x11 ? x11->connection() : nullptr)
            free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        else
            QGuiApplication::sync();
    }
    engine.setWindowId(id, MpvEngine::videoOutput());
    // mpv leaves its last picture in the window when a clip ends; paint the window black again.
    connect(&engine, &MpvEngine::fileEnded, this, qOverload<>(&QWidget::update));
}
