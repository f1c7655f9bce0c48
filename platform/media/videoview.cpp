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
    engine.setWindowId(winId(), QStringLiteral("x11"));
    // mpv leaves its last picture in the window when a clip ends; paint the window black again.
    connect(&engine, &MpvEngine::fileEnded, this, qOverload<>(&QWidget::update));
}
