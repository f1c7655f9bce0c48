#pragma once
// Screen capture, the desktop wallpaper and the desktop's own screen saver.
#include <QPixmap>
#include <QString>
#include <QStringList>

#include <functional>

namespace Screen {

// A picture of the whole primary screen; null when there is no screen.
QPixmap captureScreen();

// The folder where the captured wallpaper bitmap ("Wallpaper.bmp") is written: the program folder.
QString windowsFolder();

// What became of a wallpaper asked for: how it was set, or why it could not be.
enum class WallpaperOutcome {
    SetThroughGSettings,
    SetThroughPlasma,
    SetThroughXfconf,
    SetOnXRoot,
    NoPicture,
    PictureUnreadable,
    SchemaMissing,
    KeyMissing,
    KeyNotWritten,
    NoSettingsStore,
    NoSessionBus,
    PlasmaRefused,
    XfconfUnreadable,
    XfconfNoBackdrop,
    XfconfRefused,
    NotOnX,
    NoXDisplay,
    XRefused,
};

struct WallpaperReport {
    WallpaperOutcome outcome = WallpaperOutcome::NoPicture;
    QStringList args;  // the names and errors the text shows, for %1, %2

    bool set() const;
    // The language-file key of this outcome's text.
    QString key() const;
    // The text for the user: `translate` (key, English text) gives the text in the chosen language;
    // without it the English text. The names and errors are put in after translation.
    QString text(const std::function<QString(const QString&, const QString&)>& translate = {}) const;
};

// Makes the bitmap at `bmpPath` the desktop wallpaper through the desktop's own settings, chosen by
// XDG_CURRENT_DESKTOP: GSettings for GNOME, Unity, Budgie, Cinnamon and MATE, the Plasma shell for KDE,
// xfconf for Xfce. Any other desktop (openbox, i3, a bare X session) gets the picture as the X root
// window's background, the way X wallpaper setters leave it: a pixmap kept after we disconnect and named
// in _XROOTPMAP_ID and ESETROOT_PMAP_ID, where compositors and terminals look. Returns true only when
// the desktop took it; `report` (may be null) says what was done or why nothing could be.
bool setDesktopWallpaper(const QString& bmpPath, WallpaperReport* report);

// Keeps the desktop's screen saver from starting (on) or lets it start again (off), through the
// org.freedesktop.ScreenSaver service on the session bus. False when there is no such service or the
// call failed.
bool screenSaverInhibit(bool on);

// `text` as a JavaScript string literal, double-quoted, safe to put into a script.
QString jsStringLiteral(const QString& text);

}  // namespace Screen
