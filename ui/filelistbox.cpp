#include "ui/filelistbox.h"

#include <QDir>

void FileListBox::setPath(const QString& folder)
{
    path_ = folder;
    Refresh();
}

void FileListBox::setPattern(const QString& pattern)
{
    pattern_ = pattern;
    Refresh();
}

void FileListBox::Refresh()
{
    Clear();
    if (path_.isEmpty())
        return;
    QDir dir(path_);
    // Patterns match without regard to case, as the names of files written elsewhere need.
    dir.setNameFilters(pattern_.split(QLatin1Char(';'), Qt::SkipEmptyParts));
    dir.setFilter(QDir::Files | QDir::Hidden);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    AddItems(dir.entryList());
}
