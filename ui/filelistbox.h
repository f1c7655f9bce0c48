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
    // The selected file's name, or the empty text.
    QString FileName() const { return List(ListIndex()); }
    void Refresh();

private:
    QString path_;
    QString pattern_ = QStringLiteral("*");
};
