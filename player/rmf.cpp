#include "player/rmf.h"

#include "platform/media/realaudio.h"
#include "player/form1.h"

#include <QResizeEvent>

RmF::RmF()
{
    setObjectName(QStringLiteral("RmF"));
    setWindowTitle(QStringLiteral("PellumPlayer"));
    // The window keeps its place in the topmost band for its whole life. Changing that flag makes the
    // display server's window anew at the next show, and with it the picture's window, while the engine
    // would go on drawing into the old one. Hidden, the window is in no one's way.
    setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint);
    RA = new RealAudio(QStringLiteral("clip1"), RealAudio::ImageWindow, this);
    RA2 = new RealAudio(QStringLiteral("clip1"), RealAudio::ControlPanel, this);
    for (RealAudio* r : {RA, RA2})
        r->setStyleSheet(QStringLiteral("RealAudio { background: #000000; }"));  // not the panel's buttons
    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &RmF::Timer1_Timer);
    resize(480, 360);
}

void RmF::Form_Load()
{
    if (Form1::isLoaded())
        setWindowIcon(Form1::instance().windowIcon());
    layoutControls();
    Timer1->start();
}

void RmF::Form_Unload(int& cancel)
{
    cancel = 1;
    if (!RA->Source().isEmpty() && Form1::isLoaded())
        Form1::instance().st_Click();  // as the Stop command: no played mark, no next row
    hide();
}

void RmF::placeOver(const QRect& area)
{
    placeArea_ = area;
    fitPending_ = true;
    fitFrame();
}

void RmF::fitFrame()
{
    if (placeArea_.isEmpty())
        return;
    // The frame's place is the window's place; its inside is what the frame leaves of the area. Before
    // the window manager has framed the window the frame is not known: the size is fitted again then.
    const QSize frame = frameGeometry().size() - size();
    if (!frame.isNull())
        fitPending_ = false;
    move(placeArea_.topLeft());
    resize(placeArea_.size() - frame);
}

void RmF::moveEvent(QMoveEvent* e)
{
    VbForm::moveEvent(e);
    if (fitPending_ && isVisible() && !(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        fitFrame();
}

void RmF::layoutControls()
{
    const int panel = RA2->sizeHint().height();
    RA->setGeometry(0, 0, width(), qMax(0, height() - panel));
    RA2->setGeometry(0, RA->height() + 3, RA->width(), panel);
}

void RmF::resizeEvent(QResizeEvent* e)
{
    VbForm::resizeEvent(e);
    layoutControls();
    if (windowState() & Qt::WindowMaximized)
        RA->SetFullScreen();
}

void RmF::Timer1_Timer()
{
    if (!RA->Source().isEmpty() && RA->ErrorFlag()) {
        // The clip cannot be played: its row goes as a clip the media player fails on.
        RA->DoStop();
        RA->setSource(QString());
        hide();
        Form1::instance().dropFailedClip(false);
        return;
    }
    // A clip whose length is not known yet reads 0 for both: that is not its end.
    if (RA->Source().isEmpty() || RA->GetLength() <= 0 || RA->GetLength() != RA->GetPosition())
        return;
    RA->DoStop();
    RA->setSource(QString());
    hide();
    Form1& f = Form1::instance();
    if (f.CurrentIndex >= 0 && f.CurrentIndex < f.List2->ListCount())
        f.List2->setList(f.CurrentIndex, QStringLiteral("#") + f.List2->List(f.CurrentIndex));
    f.et_Click();
}
