#pragma once
// The language chooser: the language files (*.ini) of the program folder.
#include "ui/filelistbox.h"
#include "ui/singleton.h"

#include <QLabel>
#include <QPushButton>

class Form7 : public VbForm, public SingleWindow<Form7> {
    Q_OBJECT
    PELLUM_SINGLE_WINDOW(Form7)
public:
    Form7();

    QLabel* Label1 = nullptr;
    FileListBox* File1 = nullptr;
    QPushButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr;

    void Command1_Click();  // OK
    void Command2_Click();  // Cancel
    void Command3_Click();  // English
    void Command4_Click();  // Edit

protected:
    void Form_Load() override;

private:
    void apply(const QString& path);
};
