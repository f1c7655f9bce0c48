#pragma once
// The widget that shows an engine's video: under X a native child window holding the window mpv draws
// into; with no display (tests, CI) a plain black widget and no video output at all.
#include <QWidget>

class MpvEngine;
struct xcb_connection_t;

class VideoView : public QWidget {
    Q_OBJECT
public:
    explicit VideoView(QWidget* parent = nullptr);
    // Hands a window inside the view to the engine, once, before the engine's first file.
    void attach(MpvEngine& engine);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QSize nativeSize() const;  // the view's size in the display's pixels

    bool attached_ = false;
    xcb_connection_t* connection_ = nullptr;
    quint32 picture_ = 0;  // the window mpv draws into, a child of the view's window
};
