#include "ui/filelistbox.h"

#include "platform/folderentries.h"

#include <QMouseEvent>

#include "ui/twips.h"

void FileListBox::setPath(const QString& folder)
{
    path_ = folder;
    Refresh();
    emit PathChange();
}

void FileListBox::setPattern(const QString& pattern)
{
    pattern_ = pattern;
    Refresh();
}

void FileListBox::setShowHidden(bool on)
{
    showHidden_ = on;
    Refresh();
}

void FileListBox::Refresh()
{
    Clear();
    if (path_.isEmpty())
        return;
    // Patterns match without regard to case, as the names of files written elsewhere need. Names in
    // other bytes than UTF-8 are listed too, and their paths open by those bytes.
    AddItems(FolderEntries::files(path_, pattern_.split(QLatin1Char(';'), Qt::SkipEmptyParts),
                                  showHidden_ ? FolderEntries::Hidden::Listed : FolderEntries::Hidden::Left));
}

void FileListBox::setMultiSelect(bool on)
{
    multiSelect_ = on;
    setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

bool FileListBox::Selected(int i) const
{
    return i >= 0 && i < ListCount() && selectionModel()->isRowSelected(i, QModelIndex());
}

void FileListBox::setSelected(int i, bool on)
{
    if (i < 0 || i >= ListCount())
        return;
    const QModelIndex mi = model()->index(i, 0);
    selectionModel()->setCurrentIndex(mi, on ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

int FileListBox::SelCount() const { return int(selectionModel()->selectedRows().size()); }

int FileListBox::FocusIndex() const
{
    const QModelIndex mi = currentIndex();
    return mi.isValid() ? mi.row() : -1;
}

void FileListBox::mousePressEvent(QMouseEvent* e)
{
    if (!multiSelect_) {
        ListBox::mousePressEvent(e);
        return;
    }
    // The view's own handling keeps Ctrl and Shift; the list box's mouse event follows it.
    QListView::mousePressEvent(e);
    const QPointF p = e->position();
    emit MouseDown(vbButton(e->button()), vbShift(e->modifiers()), Twips::fromPx(p.x()), Twips::fromPx(p.y()));
}
