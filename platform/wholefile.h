#pragma once
// Whole files of the user's: read only from regular files, without ever waiting on a pipe or a device,
// and written so that the file there before is replaced only once every byte of the new one is on disk.
#include <QByteArray>
#include <QString>

namespace WholeFile {

// Who may read a file that write() creates.
enum class Access {
    Usual,      // as the process's file-creation mask lets everyone (a list, a shortcut, a picture)
    OwnerOnly,  // its owner alone; a file that is already there is narrowed to its owner too
};

// Reads the whole file at `path` into `bytes`. Only a regular file is read: a named pipe, a device, a
// socket or a folder fails at once, as a file that cannot be read does. Returns false, with `bytes`
// empty and the reason in words in `error`, when it cannot be read.
bool read(const QString& path, QByteArray* bytes, QString* error = nullptr);
// read() of the file the file system knows by the bytes `name`.
bool readName(const QByteArray& name, QByteArray* bytes, QString* error = nullptr);

// Writes `bytes` as the whole file at `path` (a symbolic link: its target). The bytes go to a new file
// beside it, every write is checked, the new file is flushed to the disk and closed, and only then is it
// renamed over the old one; the folder is synced after. A file that is already there keeps its
// permissions (narrowed by OwnerOnly). Refused: a folder, a pipe or a device in the file's place, a file
// that may not be written, a folder that does not exist. On any failure the new file is removed, the
// file there before is left as it was, and false is returned with the reason in words in `error`
// (the system's own, such as "No space left on device").
bool write(const QString& path, const QByteArray& bytes, QString* error = nullptr, Access access = Access::Usual);
// write() to the file the file system knows by the bytes `name`.
bool writeName(const QByteArray& name, const QByteArray& bytes, QString* error = nullptr,
               Access access = Access::Usual);

// Copies the regular file `from` to `to` byte for byte by read() and write().
bool copy(const QString& from, const QString& to, QString* error = nullptr);

}  // namespace WholeFile
