#pragma once
// A list box with the behaviour the windows rely on: rows of text, a selected index whose setter
// raises Click (so selecting a row from code acts like the user's click), mouse events in twips, and a
// tooltip text. Backed by a plain string model, so 100 000 rows stay quick to fill and to scroll.
#include <QAbstractListModel>
#include <QListView>
#include <QStringList>

class ListBoxModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    QStringList rows;

private:
    friend class ListBox;
};

class ListBox : public QListView {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent = nullptr);

    int ListCount() const { return int(model_->rows.size()); }
    QString List(int i) const;                 // the empty text outside the list
    void setList(int i, const QString& text);  // replaces row i's text
    const QStringList& items() const { return model_->rows; }

    // Appends `text`, or inserts it before row `index`.
    void AddItem(const QString& text, int index = -1);
    void AddItems(const QStringList& texts);  // appends many at once
    void RemoveItem(int index);
    void Clear();

    // The selected row, -1 for none. Setting it selects the row (or clears the selection for -1) and
    // raises Click.
    int ListIndex() const;
    void setListIndex(int index);
    // Selects the next row, the first after the last or when none is selected; nothing in an empty list.
    void selectNext();
    // Selects the row before, the last before the first; nothing when no row is selected.
    void selectPrevious();

    // Selects the first row after `start` (from the top for -1, wrapping round to the top) whose text
    // begins with `text`, case ignored, as the list box's select-string message does, without raising
    // Click. Returns that row, or -1 with the selection unchanged when none begins so.
    int SelectString(int start, const QString& text);

    // The width in pixels across which the rows can be scrolled (the list box's horizontal extent): every
    // row is laid out that wide, and a horizontal scroll bar shows when it is wider than the list. 0, the
    // start, lays the rows out by the last row's width.
    int HorizontalExtent() const { return extent_; }
    void setHorizontalExtent(int pixels);

    QString ToolTipText() const { return toolTip(); }
    void setToolTipText(const QString& t) { setToolTip(t); }

    // The row nearest to a point in the list's pixels, and whether the point lies outside the rows'
    // client area (as the list box's item-from-point message answers). -1 for an empty list.
    int itemFromPoint(const QPoint& px, bool* outside) const;

signals:
    void Click();
    void DblClick();
    // Button 1 left, 2 right, 4 middle; shift 1 Shift, 2 Ctrl, 4 Alt; x and y in twips.
    void MouseDown(int button, int shift, double x, double y);
    void MouseMove(int button, int shift, double x, double y);
    void MouseUp(int button, int shift, double x, double y);
    void KeyDown(int key, int shift);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void selectQuietly(int index);
    ListBoxModel* model_;
    int extent_ = 0;
};

// The VB button and shift codes of a Qt mouse event.
int vbButton(Qt::MouseButtons b);
int vbShift(Qt::KeyboardModifiers m);
