#pragma once
// The loading window, which also serves as the program's notice box.
#include "ui/singleton.h"
#include "ui/skinlabel.h"

#include <QLabel>
#include <QPushButton>

class loadk : public VbForm, public SingleWindow<loadk> {
    Q_OBJECT
    PELLUM_SINGLE_WINDOW(loadk)
public:
    loadk();

    QLabel* Label2 = nullptr;   // "PellumPlayer"
    QLabel* Label4 = nullptr;   // status or notice text
    SkinLabel* Label5 = nullptr;  // credit line, shown in status mode; a click opens the home page
    QLabel* Image2 = nullptr;
    QPushButton* Command1 = nullptr;  // OK, shown in notice mode

    // Puts `text` on the window: mode 1 is a notice (OK shown, credit hidden), any other value a status
    // line. Processes pending events once so that the text is painted; neither shows nor hides the window.
    // A notice is laid out to hold its whole text: the window grows for long words and more lines.
    static void ShowStatus(const QString& text, int mode);
    // Shows the window in front of `over` (a window being loaded, shown just after), kept above it.
    void ShowInFront(QWidget* over);

private:
    void LayOut(bool notice);
};
