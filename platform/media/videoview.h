#pragma once
// The widget that shows an engine's video: a native child window that mpv draws into under X; with no
// display (tests, CI) a plain black widget and no video output at all.
#include <QWidget>

class MpvEngine;

class VideoView : public QWidget {
    Q_OBJECT
public:
    explicit VideoView(QWidget* parent = nullptr);
    // Hands the view's window to the engine, once, before the engine's first file.
    void attach(MpvEngine& engine);

private:
    bool attached_ = false;
};
