#pragma once
// A list box of the files in one folder that match a pattern ("*.ini", or several joined by ";").
#include "ui/listbox.h"

class FileListBox : public ListBox {
    Q_OBJECT
public:
    using ListBox::ListBox;

    QString Path() const { return path_; }
    void setPath(const QString& folder);
    QString Pattern() const { return pattern_; }
    void setPattern(const QString& pattern);
    // Whether hidden files (a name beginning with ".") are rows too; a file list shows none by default.
    bool ShowHidden() const { return showHidden_; }
    void setShowHidden(bool on);
    // The selected file's name, or the empty text. With several rows selectable, the name of the row
    // last clicked (the focus row).
    QString FileName() const { return List(multiSelect_ ? FocusIndex() : ListIndex()); }
    void Refresh();

    // Several rows selectable at once: a click selects one, Ctrl+click adds or removes one, Shift+click
    // a range.
    bool MultiSelect() const { return multiSelect_; }
    void setMultiSelect(bool on);
    bool Selected(int i) const;
    void setSelected(int i, bool on);
    int SelCount() const;
    // The row that has the focus (the one last clicked), -1 for none.
    int FocusIndex() const;

signals:
    // The folder has been set (PathChange follows every setPath).
    void PathChange();

protected:
    void mousePressEvent(QMouseEvent* e) override;

private:
    QString path_;
    QString pattern_ = QStringLiteral("*");
    bool showHidden_ = false;
    bool multiSelect_ = false;
};
