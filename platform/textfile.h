#pragma once
// Reading and writing whole text files: lists, title lists, shortcuts and language files.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace TextFile {

// Text of `bytes`: UTF-16 or UTF-8 with a byte-order mark; else UTF-8 where the bytes are valid UTF-8;
// else the legacy Windows-1252 code page (bytes it leaves undefined keep their Latin-1 meaning), so that
// no byte is lost.
QString decode(const QByteArray& bytes);

// The lines of `text`: a line ends at CR LF, CR or LF; a last line without an end still counts;
// nothing follows a final line end.
QStringList splitLines(const QString& text);

// Reads the whole file. Returns false (and leaves `text` empty) when it cannot be opened.
bool read(const QString& path, QString* text);

// Writes `lines` in order, each followed by CR LF, as UTF-8, whole: through a temporary file and a rename,
// so a crash never leaves half a file. An empty list gives an empty file. Returns false on failure.
bool writeLines(const QString& path, const QStringList& lines);

}  // namespace TextFile
