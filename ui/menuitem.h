#pragma once
// A menu item as the windows use it: a caption, a check mark that only the item's own handler changes,
// visibility, and a Click signal. A user's click raises Click with the check mark untouched, so that the
// handler decides, as it does when code calls it.
#include <QAction>
#include <QMenu>

class MenuItem : public QAction {
    Q_OBJECT
public:
    MenuItem(const QString& name, const QString& caption, QObject* parent, bool checkable = false);

    QString Caption() const { return text(); }
    void setCaption(const QString& c) { setText(c); }
    bool Checked() const { return isChecked(); }
    void setChecked(bool c) { QAction::setChecked(c); }

signals:
    void Click();
};
