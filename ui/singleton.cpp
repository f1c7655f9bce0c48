#include "ui/singleton.h"

void VbForm::Unload()
{
    int cancel = 0;
    Form_Unload(cancel);
    if (!cancel)
        releaseInstance();
}

void VbForm::closeEvent(QCloseEvent* e)
{
    int cancel = 0;
    Form_Unload(cancel);
    if (cancel) {
        e->ignore();
        return;
    }
    e->accept();
    releaseInstance();
}
