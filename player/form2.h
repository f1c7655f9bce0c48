#pragma once
// The add-files dialog: browse drives and folders, collect media files into a pick list and commit them
// to the main window's play list or the compact list window's. It also keeps the folder shortcuts,
// finds the video folder of a DVD or VCD, and mirrors the main window's ClearList option.
#include "ui/dirlistbox.h"
#include "ui/drivelistbox.h"
#include "ui/filelistbox.h"
#include "ui/listbox.h"
#include "ui/singleton.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <functional>

class QFontMetrics;

class Form2 : public VbForm, public SingleWindow<Form2> {
    Q_OBJECT
    PELLUM_SINGLE_WINDOW(Form2)
public:
    Form2();

    // The media pattern of `ff`: 36 extensions, list files included.
    static const QString MediaPattern;

    // 1 commits to the main window's list; any other value to the compact list window's.
    qint16 AddTarget = 0;

    DriveListBox* dr = nullptr;
    DirListBox* di = nullptr;
    FileListBox* ff = nullptr;
    ListBox* PL = nullptr;           // the pick list: full paths in the order picked
    QPushButton* command8 = nullptr; // Add
    QPushButton* Command9 = nullptr; // Clear
    QPushButton* Command7 = nullptr; // Open Folder
    // Flat buttons of the stored design: OK, Cancel, Create Shortcut, Delete Shortcut, DVD, VCD.
    QWidget *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr,
            *Command5 = nullptr, *Command6 = nullptr;
    FileListBox* LK = nullptr;       // shortcut names
    ListBox* LS = nullptr;           // their folders, row for row
    QCheckBox* option1 = nullptr;    // ClearList
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    // What the stored design could not create (empty when every button was made).
    QStringList designProblems;

    // The main window's display list gets its horizontal scroll extent.
    void ha();
    void language();
    // The first line of a shortcut file (the empty text when it has none or cannot be read).
    static QString RT(const QString& path);

    // The folder of `ff` with one trailing "/": every name taken from `ff` becomes FolderPrefix + name.
    QString FolderPrefix() const { return folderPrefix_; }

    // The extent rule of the lists: the widest row in pixels in `metrics`' font (0 for an empty list)
    // plus `margin`, set as the list's horizontal extent. Returns it.
    static int SetExtent(ListBox* list, const QFontMetrics& metrics, int margin);
    static int Extent(const ListBox* list);

    // The root of the first optical drive (type 5) that holds `folder`, or the empty text.
    static QString FindDiscFolder(const QString& folder);

    // Sets AddTarget, re-reads the folder, drive and file lists and shows the dialog modally.
    static void ShowFor(qint16 target);

    void dr_Change();
    void di_Change();
    void ff_PathChange();
    void ff_Click();
    void command8_Click();
    void Command9_Click();
    void PL_Click();
    void Command7_Click();
    void option1_Click();
    void LK_Click();
    void LK_KeyDown(int key, int shift);
    void LS_Click();

public slots:
    void Command1_Click();  // OK
    void Command2_Click();  // Cancel
    void Command3_Click();  // Create Shortcut
    void Command4_Click();  // Delete Shortcut
    void Command5_Click();  // DVD finder
    void Command6_Click();  // VCD finder

public:
    void AddToPlayList();
    void AddToListWindow();

protected:
    void Form_Load() override;
    bool event(QEvent* e) override;

private:
    // The selected files of `ff` as full paths in its order, or all of them when none is selected.
    QStringList filesOfFf() const;
    // The rows PL holds, or else filesOfFf().
    QStringList picked() const;
    void RefreshShortcutList();
    // False, with the reason in `error`, when the file could not be written (the one there before is kept).
    static bool WriteShortcut(const QString& path, const QString& folder, QString* error = nullptr);
    QString shortcutFolder() const;
    void deleteShortcut(const QString& name);
    void finder(const QString& folder, const QString& key, const QString& text);
    // Shows in the drive list the drive whose root holds `folder`, none when no drive holds it.
    void showDriveOf(const QString& folder);
    void openFolder(const QString& folder);
    // Re-reads `ff`, keeping the selection of names that are still there.
    void rereadFf();

    QString folderPrefix_;
    bool syncing_ = false;  // LK and LS are selecting each other's rows
};
