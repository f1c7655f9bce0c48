#pragma once
// The compact mode's video window: a frameless window with a title strip that drags it, close and
// maximise/restore buttons, an "About" label, and the compact mode's own media player `mk`, which plays
// every item of the compact mode. At the end of each item it records the file and advances the list.
#include "ui/singleton.h"
#include "ui/skinlabel.h"

#include <QFrame>
#include <QPushButton>

class MediaPlayer;

class Form5 : public VbForm, public SingleWindow<Form5> {
    Q_OBJECT
    PELLUM_SINGLE_WINDOW(Form5)
public:
    Form5();

    SkinLabel* Label1 = nullptr;  // title strip
    QLabel* Label2 = nullptr;
    SkinLabel* Label3 = nullptr;  // About
    QFrame* Shape1 = nullptr;
    QLabel* Picture1 = nullptr;
    QPushButton* Command1 = nullptr;  // close
    QPushButton* Command2 = nullptr;  // maximise or restore
    MediaPlayer* mk = nullptr;

    // Records the player's file as the newest recent file, unless the list row names a disc track.
    void Addrecent();

    void Command1_Click();
    void Command2_Click();
    void mk_EndOfStream();
    void Form_Resize();

protected:
    void Form_Load() override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
};
