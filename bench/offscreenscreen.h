#pragma once
// The benchmarks that draw do so on an offscreen screen of 1280 x 1024 (the size the saver covers), so
// that their times do not depend on the display they run on. Call before the QApplication is made;
// `screens` holds the screen's description and must live as long as the application.
#include <QByteArray>
#include <QTemporaryFile>

inline bool useOffscreenScreen(QTemporaryFile& screens)
{
    if (!screens.open())
        return false;
    screens.write(R"({"screens":[{"name":"bench","x":0,"y":0,"width":1280,"height":1024,)"
                  R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
    screens.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
    return true;
}
