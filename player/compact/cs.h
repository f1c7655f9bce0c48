#pragma once
// "Search your favorites": runs the media search once for every pattern of a chosen set, so that the
// results of the whole family of files accumulate in the search window's list.
#include "ui/singleton.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStringList>

class Cs : public VbForm, public SingleWindow<Cs> {
    Q_OBJECT
    PELLUM_SINGLE_WINDOW(Cs)
public:
    Cs();

    QLabel* Label1 = nullptr;
    QComboBox* Combo1 = nullptr;  // 0 available playing, 1 movies, 2 musics
    QPushButton* Command1 = nullptr;  // OK
    QPushButton* Command2 = nullptr;  // Cancel

    // The patterns of set `row`, in the order they are searched; row 0 (or none) is every media kind.
    static QStringList Patterns(int row);

    void Command1_Click();
    void Command2_Click();

protected:
    void Form_Load() override;
    void Form_Unload(int& cancel) override;

private:
    bool running_ = false;    // OK is running the set's searches
    bool abandoned_ = false;  // closed meanwhile: the set ends with the running search
};
