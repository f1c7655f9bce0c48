#pragma once
// The about window; it also holds the version text that the main window shows.
#include "ui/singleton.h"

#include <QLabel>

class frmAbout : public VbForm, public SingleWindow<frmAbout> {
    Q_OBJECT
    PELLUM_SINGLE_WINDOW(frmAbout)
public:
    frmAbout();

    QString VersionText;
    QLabel* lv = nullptr;  // version text and start count

protected:
    void Form_Load() override;
};
