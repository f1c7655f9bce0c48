#pragma once
// The RealMedia window: the clip's picture (RA) over its control panel (RA2), both on one console.
#include "ui/singleton.h"

#include <QTimer>

class RealAudio;

class RmF : public VbForm, public SingleWindow<RmF> {
    Q_OBJECT
    PELLUM_SINGLE_WINDOW(RmF)
public:
    RmF();

    RealAudio* RA = nullptr;   // "ImageWindow"
    RealAudio* RA2 = nullptr;  // "ControlPanel"
    QTimer* Timer1 = nullptr;

    void Timer1_Timer();
    void layoutControls();
    // Places the window, its frame and title bar included, over `area` of the screen.
    void placeOver(const QRect& area);

protected:
    void Form_Load() override;
    // Kept loaded until the program ends: closing the window stops its clip and hides it.
    void Form_Unload(int& cancel) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;

private:
    void fitFrame();
    QRect placeArea_;
    bool fitPending_ = false;
};
