#pragma once
// The media search "MediaScan": finds the entries matching a wildcard on every drive, lists their full
// paths and hands them to the main window's play list; also counts the folders and files under a
// folder ("Folder Info"). The walk runs on a thread of its own while this window takes its matches in
// batches, so menus, Esc and the other windows stay usable; every handler that starts a walk returns
// only once it has ended.
#include "ui/listbox.h"
#include "ui/menuitem.h"
#include "ui/singleton.h"

#include <QLabel>
#include <QMenuBar>
#include <QTimer>

class MediaWalk;

class find : public VbForm, public SingleWindow<find> {
    Q_OBJECT
    PELLUM_SINGLE_WINDOW(find)
public:
    find();
    ~find() override;

    ListBox* List1 = nullptr;     // one full path per found entry, in the order found
    QLabel* Picture1 = nullptr;   // the status strip along the bottom
    QMenuBar* menuBar = nullptr;
    MenuItem *mnuFindFiles = nullptr, *mnuFolderInfo = nullptr, *ch = nullptr, *tl = nullptr;

    int StatusHeight = 0;  // the status strip's height in pixels
    QString SearchPattern;
    bool FindMode = false;     // matches are listed (Find File(s), MySearch), not counted (Folder Info)
    qint64 FolderCount = 0;    // the totals of Folder Info
    qint64 FileCount = 0;
    bool SearchActive = false; // a search or count runs; clearing it asks the walk to stop

    // One search of drives D: upwards; its matches are appended to the present results. Returns when
    // its walk has ended. Called while a search runs, it stops that search instead.
    void MySearch(const QVariant& pattern);

    void mnuFindFiles_Click();
    void mnuFolderInfo_Click();
    void ch_Click();
    void tl_Click();
    // Clears SearchActive: the running walk ends at its next check.
    void StopSearch();

protected:
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Resize();
    // Find File(s) and MySearch: drives from `firstDrive` (2 for C:, 3 for D:) upwards, then the
    // result line and the beep.
    void searchDrives(int firstDrive);
    void beginSearch();
    void endSearch();
    // Walks `roots` and returns when the walk has ended, feeding List1 and the status strip meanwhile.
    void walk(const QStringList& roots, int mode);
    void takeResults();

    QTimer* pump_ = nullptr;
    MediaWalk* current_ = nullptr;  // the innermost running walk
    int depth_ = 0;                 // walks running, one inside another's handler
    bool unloadPending_ = false;    // closed while a walk ran: released once it has ended
};
