#pragma once
// Screen capture, the desktop wallpaper and the desktop's own screen saver.
#include <QPixmap>
#include <QString>

namespace Screen {

// A picture of the whole primary screen; null when there is no screen.
QPixmap captureScreen();

// The folder where the captured wallpaper bitmap ("Wallpaper.bmp") is written: the program folder.
QString windowsFolder();

// Makes the bitmap at `bmpPath` the desktop wallpaper through the desktop's own settings, chosen by
// XDG_CURRENT_DESKTOP: GSettings for GNOME, Unity, Budgie, Cinnamon and MATE, the Plasma shell for KDE,
// xfconf for Xfce. Returns true only when the desktop took it; `how` (may be null) says what was done or
// why nothing could be.
bool setDesktopWallpaper(const QString& bmpPath, QString* how);

// Keeps the desktop's screen saver from starting (on) or lets it start again (off), through the
// org.freedesktop.ScreenSaver service on the session bus. False when there is no such service or the
// call failed.
bool screenSaverInhibit(bool on);

// `text` as a JavaScript string literal, double-quoted, safe to put into a script.
QString jsStringLiteral(const QString& text);

}  // namespace Screen
