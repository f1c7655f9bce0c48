#pragma once
// "BookmarkEdit": the sixteen bookmark slots as two side-by-side lists, the values and their notes.
// Edits stay in the lists until OK writes all sixteen slots back; Cancel drops them.
#include "ui/listbox.h"
#include "ui/singleton.h"

#include <QStringList>

class ListEdit : public VbForm, public SingleWindow<ListEdit> {
    Q_OBJECT
    PELLUM_SINGLE_WINDOW(ListEdit)
public:
    ListEdit();

    ListBox* List1 = nullptr;  // row i: the value of slot i
    ListBox* List2 = nullptr;  // row i: the note of slot i
    // Flat buttons of the stored design: Delete, Clear, Cancel, OK, Play, Note.
    QWidget *FlatButton1 = nullptr, *FlatButton2 = nullptr, *FlatButton3 = nullptr, *FlatButton4 = nullptr,
            *FlatButton5 = nullptr, *FlatButton6 = nullptr;
    // What the stored design could not create (empty when every button was made).
    QStringList designProblems;

    void List1_Click();
    void List2_Click();

public slots:
    void FlatButton1_Click();  // Delete
    void FlatButton2_Click();  // Clear
    void FlatButton3_Click();  // Cancel
    void FlatButton4_Click();  // OK
    void FlatButton5_Click();  // Play
    void FlatButton6_Click();  // Note

protected:
    void Form_Load() override;

private:
    // Tells the user that the command needs a row that holds a bookmark.
    void noRow();
    bool syncing_ = false;  // the lists are selecting each other's rows
};
