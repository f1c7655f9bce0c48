#pragma once
// The compact mode's play list: a frameless window with one list of full paths and four flat buttons
// (import, export, clear, add). Selecting a row plays it in the video window's player.
#include "ui/listbox.h"
#include "ui/singleton.h"

#include <QLabel>
#include <QPushButton>

class Form6 : public VbForm, public SingleWindow<Form6> {
    Q_OBJECT
    PELLUM_SINGLE_WINDOW(Form6)
public:
    Form6();

    ListBox* List1 = nullptr;  // full paths
    // The row the compact player plays or last played; -1 for none.
    int CurrentIndex = -1;
    QLabel* Label1 = nullptr;
    // Flat buttons of the stored design: ImportList, ExportList, Clear List, Add Items.
    QWidget *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr, *Command5 = nullptr;
    QPushButton* Command4 = nullptr;  // close
    QStringList designProblems;

    void language();
    void List1_Click();

public slots:
    void Command1_Click();  // import
    void Command2_Click();  // export
    // The export's road: asks for a list file and writes List1 to it; true when the list was written.
    bool saveListAs();
    void Command3_Click();  // clear
    void Command4_Click();  // close
    void Command5_Click();  // add items

signals:
    // The paths of List1 changed (rows added, removed, replaced or cleared).
    void listChanged();

protected:
    void Form_Load() override;
    void closeEvent(QCloseEvent* e) override;
};
