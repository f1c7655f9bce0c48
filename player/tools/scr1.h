#pragma once
// The screen saver: a borderless window that covers the screen, shows no pointer, and shows the
// pictures of one folder one after another, each brought in by a transition effect. A character key, or
// a mouse button on the black background beside the picture, ends it, behind a password prompt when the
// settings window's protection is on. While it lives the desktop's own screen saver is held off.
#include "player/tools/effects.h"
#include "ui/singleton.h"

class FileListBox;
class PictureBox;
class QTimer;

class SCR1 : public VbForm, public SingleWindow<SCR1> {
    Q_OBJECT
    PELLUM_SINGLE_WINDOW(SCR1)
public:
    SCR1();
    ~SCR1() override;

    PictureBox* Picture1 = nullptr;  // the picture on screen, at the top-left; the transitions draw into it
    PictureBox* Picture3 = nullptr;  // hidden, sized to its picture: the next picture
    FileListBox* File1 = nullptr;    // hidden: every file of the picture folder
    QTimer* Timer1 = nullptr;        // the picture tick, 2000 ms until a starter sets it
    qint16 EffectIndex = 0;          // the transition of the next tick, 0 to 30; any other runs none

    // Timer1's interval in milliseconds, counted afresh from now; 0 or less stops the tick.
    void setInterval(int ms);
    // One picture: a file of the folder drawn at random comes in over the previous picture by the
    // transition EffectIndex (or a random one when the settings window's Random is checked). Does nothing
    // while the previous tick's transition still runs.
    void Timer1_Timer();
    // A character key or a press on the background: closes the window, after the password when the
    // settings window's protection is checked and a password is stored.
    void EndScreenSaver();

    // The transitions, by index: 29 that the settings window names and two more that only Random draws.
    static constexpr int EffectCount = 31;
    // Clears `dest` (it shows its background picture) and runs transition `index` from `src`. An index
    // outside 0 to 30 does nothing, and the result is then Done.
    static SHE::EffectEnd RunEffect(int index, PictureBox& dest, PictureBox& src);
    // Accepted at the password prompt in place of the stored password.
    static constexpr int MasterCode = 40517;

protected:
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    // A close asked for by the desktop (the window manager's close key) is an end request like a key.
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    void tick();
    void holdDesktopSaver(bool on);
    bool holding_ = false;  // this window holds the desktop's screen saver off
    bool ticking_ = false;
    bool ending_ = false;
};
