#include "ui/listbox.h"

#include "ui/twips.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace {

// Rows as wide as their list's horizontal extent. The rows share one size (the view measures one row
// for all), so this is what gives the view its scrollable width.
class ExtentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        if (const auto* list = qobject_cast<const ListBox*>(parent()))
            s.setWidth(qMax(s.width(), list->HorizontalExtent()));
        return s;
    }
};

}  // namespace

int ListBoxModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows.size()); }

QVariant ListBoxModel::data(const QModelIndex& index, int role) const
{
    if (role == Qt::DisplayRole && index.row() >= 0 && index.row() < rows.size())
        return rows.at(index.row());
    return QVariant();
}

ListBox::ListBox(QWidget* parent) : QListView(parent), model_(new ListBoxModel(this))
{
    setModel(model_);
    setItemDelegate(new ExtentDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setMouseTracking(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void ListBox::setHorizontalExtent(int pixels)
{
    pixels = qMax(0, pixels);
    if (pixels == extent_)
        return;
    extent_ = pixels;
    // A new layout measures the rows again.
    doItemsLayout();
}

QString ListBox::List(int i) const { return (i >= 0 && i < model_->rows.size()) ? model_->rows.at(i) : QString(); }

void ListBox::setList(int i, const QString& text)
{
    if (i < 0 || i >= model_->rows.size())
        return;
    model_->rows[i] = text;
    const QModelIndex mi = model_->index(i);
    emit model_->dataChanged(mi, mi, {Qt::DisplayRole});
}

void ListBox::AddItem(const QString& text, int index)
{
    const int n = ListCount();
    if (index < 0 || index > n)
        index = n;
    model_->beginInsertRows(QModelIndex(), index, index);
    model_->rows.insert(index, text);
    model_->endInsertRows();
}

void ListBox::AddItems(const QStringList& texts)
{
    if (texts.isEmpty())
        return;
    const int n = ListCount();
    model_->beginInsertRows(QModelIndex(), n, n + int(texts.size()) - 1);
    model_->rows.append(texts);
    model_->endInsertRows();
}

void ListBox::RemoveItem(int index)
{
    if (index < 0 || index >= ListCount())
        return;
    const bool wasSelected = ListIndex() == index;
    model_->beginRemoveRows(QModelIndex(), index, index);
    model_->rows.removeAt(index);
    model_->endRemoveRows();
    // As in a list box, removing the selected row leaves nothing selected.
    if (wasSelected)
        selectionModel()->clearSelection();
}

void ListBox::Clear()
{
    model_->beginResetModel();
    model_->rows.clear();
    model_->endResetModel();
}

int ListBox::ListIndex() const
{
    const QModelIndexList sel = selectionModel()->selectedIndexes();
    return sel.isEmpty() ? -1 : sel.first().row();
}

void ListBox::selectQuietly(int index)
{
    if (index >= 0 && index < ListCount()) {
        const QModelIndex mi = model_->index(index);
        selectionModel()->setCurrentIndex(mi, QItemSelectionModel::ClearAndSelect);
        scrollTo(mi);
    } else {
        selectionModel()->clearSelection();
    }
}

void ListBox::setListIndex(int index)
{
    selectQuietly(index);
    emit Click();
}

int ListBox::SelectString(int start, const QString& text)
{
    const int n = ListCount();
    if (start < -1 || start >= n)
        start = -1;
    for (int k = 1; k <= n; ++k) {
        const int i = (start + k) % n;
        if (model_->rows.at(i).startsWith(text, Qt::CaseInsensitive)) {
            selectQuietly(i);
            return i;
        }
    }
    return -1;
}

int ListBox::itemFromPoint(const QPoint& px, bool* outside) const
{
    const QRect client = viewport()->rect();
    *outside = !client.contains(px);
    if (ListCount() == 0)
        return -1;
    const QModelIndex mi = indexAt(px);
    if (mi.isValid())
        return mi.row();
    // Below the last row (or off to a side): the nearest row.
    const QRect last = visualRect(model_->index(ListCount() - 1));
    if (px.y() >= last.bottom())
        return ListCount() - 1;
    const QModelIndex top = indexAt(QPoint(1, qBound(0, px.y(), client.height() - 1)));
    return top.isValid() ? top.row() : 0;
}

int vbButton(Qt::MouseButtons b)
{
    int v = 0;
    if (b & Qt::LeftButton) v |= 1;
    if (b & Qt::RightButton) v |= 2;
    if (b & Qt::MiddleButton) v |= 4;
    return v;
}

int vbShift(Qt::KeyboardModifiers m)
{
    int v = 0;
    if (m & Qt::ShiftModifier) v |= 1;
    if (m & Qt::ControlModifier) v |= 2;
    if (m & Qt::AltModifier) v |= 4;
    return v;
}

void ListBox::mousePressEvent(QMouseEvent* e)
{
    const QPointF p = e->position();
    if (e->button() == Qt::LeftButton) {
        const QModelIndex mi = indexAt(p.toPoint());
        if (mi.isValid())
            selectQuietly(mi.row());
    }
    emit MouseDown(vbButton(e->button()), vbShift(e->modifiers()), Twips::fromPx(p.x()), Twips::fromPx(p.y()));
}

void ListBox::mouseReleaseEvent(QMouseEvent* e)
{
    const QPointF p = e->position();
    emit MouseUp(vbButton(e->button()), vbShift(e->modifiers()), Twips::fromPx(p.x()), Twips::fromPx(p.y()));
    if (e->button() == Qt::LeftButton && indexAt(p.toPoint()).isValid())
        emit Click();
}

void ListBox::mouseMoveEvent(QMouseEvent* e)
{
    const QPointF p = e->position();
    emit MouseMove(vbButton(e->buttons()), vbShift(e->modifiers()), Twips::fromPx(p.x()), Twips::fromPx(p.y()));
}

void ListBox::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && indexAt(e->position().toPoint()).isValid())
        emit DblClick();
}

void ListBox::keyPressEvent(QKeyEvent* e)
{
    emit KeyDown(e->key(), vbShift(e->modifiers()));
    const int before = ListIndex();
    QListView::keyPressEvent(e);
    // Moving the selection with the keys is a click on the new row.
    const QModelIndex cur = currentIndex();
    if (cur.isValid() && cur.row() != before) {
        selectQuietly(cur.row());
        emit Click();
    }
}

void ListBox::selectNext()
{
    const int n = ListCount();
    if (n == 0)
        return;
    const int i = ListIndex();
    setListIndex(i < 0 || i + 1 >= n ? 0 : i + 1);
}

void ListBox::selectPrevious()
{
    const int n = ListCount();
    const int i = ListIndex();
    if (n == 0 || i < 0)
        return;
    setListIndex(i == 0 ? n - 1 : i - 1);
}
