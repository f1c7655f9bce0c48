#pragma once
// Routines that windows of every kind share: the language lookup, the file name of a path, and the
// window shape of a skin picture.
#include <QImage>
#include <QRegion>
#include <QString>

class QWidget;

namespace SHE {

// The text of `key` in the chosen language file, or `defaultValue`: a missing file, section or key and
// an empty value all yield the default; a value is at most 99 characters.
QString LangText(const QString& key, const QString& defaultValue);

// The text after the last path separator ("/" or "\"): "C:\Music\a.mp3" and "/music/a.mp3" give "a.mp3",
// a bare name comes back unchanged, a path ending in a separator gives the empty text.
QString FileNameOf(const QString& path);

// Whether `text` is an address rather than a path: a scheme of two or more letters and "://"
// ("http://host/live/", "mms://host/x", "cdda://"). A drive path such as "C:\x" is no address.
bool IsAddress(const QString& text);

// Whether a play-list path names a local file that is not there (an unplugged drive, an unmounted
// share). The empty text and addresses are never missing: nothing is asked of the file system for them.
bool IsMissingFile(const QString& path);

// The most rectangles a window's shape may have. The X server's work for a shaped window grows with the
// square of its rectangles (measured on Xvfb with openbox): 20,000 stall every program on the display
// for a fifth of a second, 135,000 for seconds, and 300,000 overflow the server's stack and end the
// display; more than about two million do not fit in one request, and the program's connection is
// dropped. Real skins have a few hundred to a few thousand.
inline constexpr int MostSkinRects = 10000;

// The shape of a skin picture: every pixel that differs from the top-left pixel's colour belongs to it,
// built from one rectangle per horizontal run. Empty (no shape: the window stays rectangular) when the
// shaped-window setting "vitrif" is off, when every pixel has the key colour, and when the shape needs
// more than MostSkinRects rectangles (a face of many holes is shown whole).
QRegion MakeSkinRegion(const QImage& picture);

// Starts the desktop's volume mixer; when there is none, or it cannot be started, the user is told so.
void StartMixer(QWidget* parent = nullptr);

}  // namespace SHE
