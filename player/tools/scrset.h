#pragma once
// The screen saver's settings: the picture folder, the seconds between pictures, the transition or a
// random one, and the password that guards the saver's end. Apply stores them; View shows the saver with
// the choices as they stand. The saver reads Random and Password protect from this window, which it loads
// hidden when it is not open.
#include "ui/singleton.h"

#include <QStringList>
#include <optional>

class DirListBox;
class DriveListBox;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

class SCRSET : public VbForm, public SingleWindow<SCRSET> {
    Q_OBJECT
    PELLUM_SINGLE_WINDOW(SCRSET)
public:
    SCRSET();

    QLabel* Label7 = nullptr;  // "Screen Saver"
    QLabel* Label1 = nullptr;  // Photo directory
    DriveListBox* Drive1 = nullptr;
    DirListBox* Dir1 = nullptr;
    QLabel* Label2 = nullptr;  // the folder's path
    QLabel* Label3 = nullptr;  // Change interval
    QComboBox* Combo1 = nullptr;  // seconds, "2" to "10" or typed
    QLabel* Label5 = nullptr;     // "second"
    QLabel* Label4 = nullptr;     // Effect
    QComboBox* Combo2 = nullptr;  // the effect names; the list position is the effect index
    QCheckBox* option1 = nullptr;  // Random
    QCheckBox* Check1 = nullptr;   // Password protect
    QPushButton* Command4 = nullptr;  // Change...
    QPushButton* Command2 = nullptr;  // View
    QPushButton* Command1 = nullptr;  // Apply
    QPushButton* Command3 = nullptr;  // Cancel

    // Combo2's list position: the entry whose name the box shows exactly, -1 when it shows none.
    int Combo2ListIndex() const;

    void Drive1_Change();
    void Dir1_Change();
    void option1_Click();
    void Command4_Click();  // Change...
    void Command2_Click();  // View
    void Command1_Click();  // Apply
    void Command3_Click();  // Cancel

    // The effect names in list order (positions 0 to 28).
    static const QStringList& EffectNames();
    // The milliseconds of an interval written as seconds ("2", "2.5"): a number from 1 to 3600, else
    // nothing.
    static std::optional<int> IntervalMs(const QString& seconds);
    // The same, telling the user in a message box when the text is no such number.
    static std::optional<int> CheckInterval(const QString& seconds, QWidget* parent);

protected:
    void Form_Load() override;
};
