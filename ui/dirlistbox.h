#pragma once
// A folder list: the folders from "/" down to the current one, then the current folder's subfolders,
// indented by depth. A double click (or Enter) on a row opens that folder; every change of the current
// folder raises Change.
//
// Folder paths are written as the windows expect them: a drive's root folder (see the drive table) keeps
// its trailing "/", every other folder has none.
#include "ui/listbox.h"

class DirListBox : public ListBox {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);

    QString Path() const { return path_; }
    // Opens `folder` (made absolute and clean); raises Change when it differs from the current one.
    void setPath(const QString& folder);
    // The folder a row stands for.
    QString folderAt(int row) const { return folders_.value(row); }
    // Reads the current folder's subfolders again.
    void Refresh();

    // `folder` in the form above.
    static QString normal(const QString& folder);

signals:
    void Change();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    QString path_;
    QStringList folders_;
};
