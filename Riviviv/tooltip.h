#pragma once
// The library's hover tooltip: one window, frmToolTip, per user-interface thread, shared by every
// button of that thread, and the flag ToolTipShown.
#include <QPoint>
#include <QString>
#include <QWidget>

class QLabel;

class frmToolTip : public QWidget {
public:
    frmToolTip();
    QLabel* lblTip;
};

namespace modAPI {

bool ToolTipShown();
void setToolTipShown(bool shown);
// Fills, sizes, places (20 pixels below the pointer, kept on the screen) and shows the tooltip window.
void ShowToolTip(const QString& text);
// The tooltip window of this thread, or null when it is not loaded.
frmToolTip* toolTipWindow();
// Unloads the tooltip window; ToolTipShown becomes false.
void unloadToolTip();

}  // namespace modAPI
