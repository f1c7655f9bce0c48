#pragma once
// Reading and writing whole text files: lists, title lists, shortcuts and language files.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace TextFile {

// Text of `bytes`: UTF-16 or UTF-8 with a byte-order mark; else UTF-8 where the bytes are valid UTF-8;
// else the legacy Windows-1252 code page (bytes it leaves undefined keep their Latin-1 meaning), so that
// no byte is lost.
QString decode(const QByteArray& bytes);

// The lines of `text`: a line ends at CR LF, CR or LF; a last line without an end still counts;
// nothing follows a final line end.
QStringList splitLines(const QString& text);

// Reads the whole file. Returns false (and leaves `text` empty) when it cannot be opened or is no
// regular file (a named pipe or a device is never waited on).
bool read(const QString& path, QString* text);

// The lines of a line file (a list, a title list, a shortcut), each line decoded on its own: UTF-8 where
// the line is valid UTF-8, else Windows-1252 as decode() does; a UTF-16 file (byte-order mark) is decoded
// whole, and a UTF-8 byte-order mark is dropped (and not written back). A line whose text is not the
// UTF-8 of the bytes it came in is remembered with those bytes, so that it is written back, and names its
// file, in those bytes (see writeLines and nativePath). Should two files hold the same text in different
// bytes, the remembered bytes win.
QStringList decodeLines(const QByteArray& bytes);

// Reads the file's lines by decodeLines. Returns false (and leaves `lines` empty) when it cannot be opened
// or is no regular file.
bool readLines(const QString& path, QStringList* lines);

// The name by which the file system knows `path`: the bytes it was read in, unless no file has those
// bytes as its name and one has its UTF-8 (a list in the old code page for files renamed to UTF-8 since).
QByteArray nativePath(const QString& path);

// The text of a name given in bytes (a command line), decoded as decodeLines decodes a line and with
// its bytes remembered the same way, so that the name opens its file and is written back in its bytes.
QString decodeName(const QByteArray& bytes);

// Whether `line` can stand as one line of a file: it holds no CR and no LF.
bool isOneLine(const QString& line);

// Writes `lines` in order, each in the bytes decodeLines read it in (a line new in this session as UTF-8)
// and followed by CR LF, whole, by WholeFile::write: the old file is replaced only once every byte of the
// new one is on disk, so neither a crash nor a full disk leaves half a file. An empty list gives an empty
// file.
// A line that holds a CR or LF cannot stand as one line: it is left out and named in `leftOut`.
// Returns false on failure, with the reason in `error`; the file there before is then unchanged.
bool writeLines(const QString& path, const QStringList& lines, QStringList* leftOut = nullptr,
                QString* error = nullptr);

// writeLines in two steps: the bytes of the lines (on the thread that read them), and the whole-file
// write of those bytes.
QByteArray encodeLines(const QStringList& lines, QStringList* leftOut = nullptr);
bool writeWhole(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// writeWhole on a worker thread, for saves the window must not wait on. Such writes end in the order
// they were asked for, and every writeWhole waits for them first, so the last one asked for is the one
// on disk. A failure is logged, and `done` is told the outcome (written, or the reason) on the
// application's thread, unless another write of the same file was asked for meanwhile: then that
// write's outcome is the one that counts.
using LaterDone = std::function<void(bool written, const QString& error)>;
void writeWholeLater(const QString& path, const QByteArray& bytes, const LaterDone& done = {});

}  // namespace TextFile
