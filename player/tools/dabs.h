#pragma once
// The per-disc title lists: a disc's titles are kept in the program folder's "CDs" folder, in a file
// named by the disc's volume serial number, one title per line in track order. The editor window lists a
// disc's files, takes a title per row, exports the titles to the disc's file, imports a title file and
// plays a VCD's file.
#include "ui/filelistbox.h"
#include "ui/listbox.h"
#include "ui/singleton.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

class DriveListBox;

class Dabs : public VbForm, public SingleWindow<Dabs> {
    Q_OBJECT
    PELLUM_SINGLE_WINDOW(Dabs)
public:
    Dabs();

    // The volume serial number of the disc in drive `Drv` (a drive root such as "D:\" or the drive's
    // root folder) as signed 32-bit decimal text: serial FFFFFFFE gives "-2". "0" when there is no disc
    // or no such drive.
    static QString GetDabs(const QString& Drv);
    // The root ("D:\") of the first CD-ROM drive from A to Z, or the empty text when there is none.
    static QString FirstCdRom();

    QLabel* Label1 = nullptr;  // the disc's serial
    QLabel* Label2 = nullptr;  // its caption
    ListBox* List1 = nullptr;  // the disc's files, or its titles
    QLineEdit* Text1 = nullptr;
    FileListBox* File1 = nullptr;
    DriveListBox* Drive1 = nullptr;  // hidden until the drive-chooser code is typed
    QGroupBox* Frame1 = nullptr;
    QRadioButton* option1 = nullptr;  // VCD
    QRadioButton* Option2 = nullptr;  // CD
    QPushButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr,
                *Command5 = nullptr, *Command6 = nullptr;

    QString TitleFolder;
    bool TitlesChanged = false;

    void Command1_Click();  // Get Dabs and PlayList
    void Command2_Click();  // Export
    void Command3_Click();  // Modify
    void Command4_Click();  // Exit
    void Command5_Click();  // Play
    void Command6_Click();  // Import
    void List1_Click();
    void Drive1_Change();
    void Text1_KeyPress(int KeyAscii);

protected:
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString titleFile() const;
    // Export: false when the titles could not be written (the user was told why).
    bool exportTitles();
};
