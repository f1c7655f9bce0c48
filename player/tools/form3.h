#pragma once
// The audio-CD player: a small skinned window that plays the disc in the first optical drive through the
// CD-audio device's command strings, on the alias "song". It shows the current track, the track's
// elapsed time and length, a track list and a seek slider, with text labels for its buttons.
#include "ui/listbox.h"
#include "ui/singleton.h"
#include "ui/skinlabel.h"

#include <QLabel>
#include <QList>
#include <QSlider>
#include <QTimer>

class Form3 : public VbForm, public SingleWindow<Form3> {
    Q_OBJECT
    PELLUM_SINGLE_WINDOW(Form3)
public:
    Form3();

    // Opens the player for the user, as the main window's "CDplayer..." and its CD skin button do (and
    // the compact player's button is to): loads it when needed and shows it unless it is visible.
    static void showPlayer();

    qint16 TrackCount = 0;
    bool HoverFlag = false;

    SkinLabel* Picture1 = nullptr;  // the skin: drag area, takes the highlight back
    ListBox* List1 = nullptr;       // one row per track; a click plays it
    QSlider* SS = nullptr;          // 0 to the track's length in seconds
    QTimer* Timer1 = nullptr;       // the status tick, 1000 ms
    QTimer* Timer2 = nullptr;       // the highlight reset, 100 ms
    QLabel* Label4 = nullptr;       // title line
    QLabel* Label2 = nullptr;       // elapsed time of the track
    QLabel* Label3 = nullptr;       // the track's length
    SkinLabel *Label1 = nullptr, *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr,
              *Command4 = nullptr, *Command5 = nullptr, *Command6 = nullptr, *Command7 = nullptr,
              *command8 = nullptr, *command10 = nullptr;

    // Fills List1 with one row per track, or with the disc's title list when DetectDabs is on.
    void sht();
    // The time from position b to position a (both "mm:ss:ff") as "mm : ss".
    static QString TTA(const QString& a, const QString& b);
    // The last track's length from the disc's length and the track's start: their difference and two
    // seconds more.
    static QString LastTrackLength(const QString& discLength, const QString& start);
    // Where a seek to `seconds` into a track that starts at `start` ("mm:ss:ff") goes: "mm:ss:00".
    static QString SeekTarget(const QString& start, int seconds);

    void Command1_Click();   // Reset
    void Command2_Click();   // Eject
    void Command3_Click();   // Shut
    void Command4_Click();   // Play
    void Command5_Click();   // Pause
    void Command6_Click();   // Previous
    void Command7_Click();   // Next
    void command8_Click();   // Power
    void command10_Click();  // Volume
    void Label1_Click();     // minimise
    void List1_Click();
    void SS_Change();        // the user moved the slider
    void Timer1_Timer();
    void Highlight(QLabel* label);
    void ResetHighlight();

signals:
    // The window was closed by the user (Power or the window manager), not released at program end.
    void unloaded();

protected:
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openDevice();
    void setTimer1Interval(int ms);
    static QString mci(const QString& command);
    QList<SkinLabel*> buttons_;  // the button labels, in the window's control order
};
