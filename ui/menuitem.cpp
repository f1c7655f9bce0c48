#include "ui/menuitem.h"

#include <QSignalBlocker>

MenuItem::MenuItem(const QString& name, const QString& caption, QObject* parent, bool checkable)
    : QAction(caption, parent)
{
    setObjectName(name);
    setCheckable(checkable);
    connect(this, &QAction::triggered, this, [this](bool checked) {
        if (isCheckable()) {
            // Undo the toggle the menu made on its own; the handler sets the mark.
            const QSignalBlocker block(this);
            QAction::setChecked(!checked);
        }
        emit Click();
    });
}
