#include "platform/media/videoview.h"

#include "platform/media/mpvengine.h"

#include <QGuiApplication>

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
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    // mpv draws straight into this window; Qt must not paint over it.
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    engine.setWindowId(winId(), QStringLiteral("x11"));
}
