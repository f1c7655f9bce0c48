#pragma once
// Reading and writing whole text files: lists, title lists, shortcuts and language files; and the names
// of files in the bytes the file system knows them by.
#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
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

// --- names of files ---
// The file system names a file in bytes, which need not be UTF-8. A name that is not is shown as its
// Windows-1252 text (decode()), which maps back to the same bytes one to one, so a name stored as text
// (a setting, a list in UTF-8) finds its file again in a later run.

// The text of one name (or path) in the file system's bytes: its UTF-8 where the bytes are valid UTF-8,
// else Windows-1252; `isUtf8` tells which. Remembers nothing, so it may run on any thread.
QString nameText(QByteArrayView name, bool* isUtf8 = nullptr);

// The text of a whole path in the file system's bytes, each name ("/" between them) read on its own by
// nameText; the path is remembered with its bytes (see remember).
QString pathText(const QByteArray& path);

// Remembers that the path `text` names the file `bytes` (a folder's entry as listed), so that nativePath
// gives those bytes. Nothing is kept when the bytes are the text's UTF-8.
void remember(const QString& text, const QByteArray& bytes);

// Forgets the bytes of every line read and name listed so far (tests: what a new run knows).
void forgetNames();

// The name by which the file system knows `path`, the first of these that names a file: the bytes the
// path was read or listed in this run, its UTF-8, its Windows-1252 bytes (of the whole path, else folder
// by folder, each folder in whichever of the two exists). When none exists: the remembered bytes, else
// the UTF-8. A path of ASCII alone (or whose letters beyond ASCII the code page has not) is its UTF-8,
// and no file is looked at for it.
QByteArray nativePath(const QString& path);

// The file system's answers about `path`, by the rule of nativePath (each looks the name up once).
bool exists(const QString& path);      // a file or folder (a link counts when it leads to one)
bool isFolder(const QString& path);    // a folder, or a link to one
qint64 fileSize(const QString& path);  // the size of a file (or of a link's file), -1 for no file
bool remove(const QString& path);      // deletes the file; false when it cannot
// Opens `file` for reading on the file `path` names. Its name is `path` when QFile could open it so; a file
// opened by other bytes than the path's UTF-8 is open without a name.
bool openForReading(QFile& file, const QString& path);  // a regular file only: never a pipe or a device

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
