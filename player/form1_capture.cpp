// The capture command: a picture of the whole screen with the video shown full screen, to the capture
// viewer or straight to the desktop wallpaper.
#include "player/form1.h"

#include "platform/desktop/screen.h"
#include "platform/media/mediaplayer.h"
#include "player/tools/form4.h"

#include <QCoreApplication>

void Form1::ca_Click()
{
    if (mp->PlayState() == 2)
        mp->Pause();
    mp->setDisplaySize(3);
    QCoreApplication::processEvents();
    mp->waitForFullScreenPicture(2000);  // let the full-screen picture be painted
    const QPixmap shot = Screen::captureScreen();
    mp->setDisplaySize(4);
    if (!cts->Checked()) {
        Form4& viewer = Form4::instance();
        viewer.setPicture(shot);
        viewer.setWindowModality(Qt::ApplicationModal);
        viewer.show();
        return;
    }
    Form4::SetWallpaper(shot, this);
    if (ck->Checked() && !mp->FileName().isEmpty())
        mp->Play();
}
