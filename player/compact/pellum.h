#pragma once
// The compact player: a frameless window whose face is a skin picture, with text buttons over it, two
// picture buttons, a scrolling title, a time text and a seek bar. It plays through the video window's
// player Form5::mk and takes its items from the list window's Form6::List1.
#include "ui/singleton.h"
#include "ui/skinlabel.h"

#include <QImage>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>

class Form6;

class pellum : public VbForm, public SingleWindow<pellum> {
    Q_OBJECT
    PELLUM_SINGLE_WINDOW(pellum)
public:
    pellum();

    SkinLabel* Picture1 = nullptr;  // the face
    SkinLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr, *Label5 = nullptr,
              *Label6 = nullptr, *Label7 = nullptr, *Label8 = nullptr, *Label9 = nullptr, *Label10 = nullptr,
              *Label11 = nullptr, *Label12 = nullptr, *Label13 = nullptr, *Label14 = nullptr;
    SkinLabel *Image1 = nullptr, *Image2 = nullptr;  // open file, volume
    QScrollBar* pb = nullptr;                         // seek bar in whole seconds
    QTimer* TTk = nullptr;                            // status tick
    bool HoverFlag = false;

    // The built-in face: 591 x 443 pixels.
    static QImage BuiltInSkin();
    // The picture the face shows now.
    const QImage& SkinPicture() const { return skin_; }
    // Puts `picture` on the face, sizes the window to it and shapes the window by it (no shape when the
    // shaped-window option is off).
    void ApplySkin(const QImage& picture);
    // The smallest skin that holds every control of the face, and whether a picture of `size` does: a
    // smaller face would leave controls outside the window, out of the user's reach.
    QSize SmallestSkin() const;
    bool HoldsControls(const QSize& size) const;

    // Whether the compact mode is the mode in use (the window is loaded and shown).
    static bool InUse();
    // The stacking of the option "Always On Top".
    void SetOnTop(bool onTop);

    // --- public procedures other windows use ---
    void marquee();
    static void wait(double delay);
    void imf();
    void soh();

    // --- handlers ---
    void Label1_Click();   // Byebye: back to the main window
    void Label2_Click();   // play
    void Label3_Click();   // pause or resume
    void Label4_Click();   // stop
    void Label5_Click();   // previous row
    void Label6_Click();   // next row
    void Label8_Click();   // ●Power: write everything and end the program
    void Label10_Click();  // roll the list window
    void Label11_Click();  // CD player
    void Label12_Click();  // zoom the video window
    void Label13_Click();  // minimise
    void Label14_Click();  // skin chooser
    void Image1_Click();   // open a file
    void Image2_Click();   // volume mixer
    void pb_Scroll();
    void TTk_Timer();

    // The writes of the exit "●Power" without the window: the list to "afore.pellum" (through the list
    // writer), the six window positions, and start = "pellum". Returns false when the list could not be
    // written (the rest is written all the same).
    static bool PowerWrite();

    // Runs while the marquee shows its steps (false when none runs).
    bool MarqueeRunning() const { return marqueeTimer_->isActive(); }

protected:
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void goToRow(int r);
    void Highlight(SkinLabel* label);
    void ResetHighlight();
    void dropFailedRow();
    void marqueeStep();
    bool marqueeText();
    static void SavePositions();
    static bool writeList(const QString& afore, Form6& list);

    QImage skin_;
    QTimer* marqueeTimer_ = nullptr;
    QString marqueeFile_, marqueeShown_;
    int marqueeStep_ = 0;
    int marqueeRun_ = 0;  // counts the calls of marquee: only the newest title runs
    bool unloading_ = false;
};
