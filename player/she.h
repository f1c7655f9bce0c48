#pragma once
// Routines that windows of every kind share: the language lookup, the file name of a path, and the
// window shape of a skin picture.
#include <QImage>
#include <QRegion>
#include <QString>

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

// The shape of a skin picture: every pixel that differs from the top-left pixel's colour belongs to it,
// built from one rectangle per horizontal run. Empty (no shape: the window stays rectangular) when the
// shaped-window setting "vitrif" is off, or when every pixel has the key colour.
QRegion MakeSkinRegion(const QImage& picture);

}  // namespace SHE
