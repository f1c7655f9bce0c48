#include "ui/singleton.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>

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

void VbForm::showModal()
{
    setWindowModality(Qt::ApplicationModal);
    show();
    QPointer<VbForm> self(this);
    QEventLoop loop;
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    // Hidden rather than unloaded also ends the wait.
    QTimer poll;
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!self || !self->isVisible())
            loop.quit();
    });
    poll.start(100);
    loop.exec();
    if (self)
        self->setWindowModality(Qt::NonModal);
}
