#pragma once
// The skin chooser: the pictures of the program folder's SKIN folder, a preview, and the commands that
// put one on the compact window, copy a new one in, go back to the built-in face, or delete one.
#include "ui/filelistbox.h"
#include "ui/singleton.h"

#include <QLabel>
#include <QPushButton>

class Skins : public VbForm, public SingleWindow<Skins> {
    Q_OBJECT
    PELLUM_SINGLE_WINDOW(Skins)
public:
    Skins();

    FileListBox* File1 = nullptr;
    QLabel* Image1 = nullptr;  // preview
    QLabel* Label1 = nullptr;  // the skin in use
    QPushButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr,
                *Command5 = nullptr;

    QString SkinFolder;
    QString SelectedSkin;

    void File1_Click();
    void Command1_Click();  // Apply
    void Command2_Click();  // Exit
    void Command3_Click();  // Load picture
    void Command4_Click();  // Default
    void Command5_Click();  // Delete

protected:
    void Form_Load() override;
};
