#pragma once
// The entries of one folder, read in the file system's bytes. A name that is not UTF-8 is listed by its
// Windows-1252 text, and its path (the folder, one "/", the name) is remembered with its bytes
// (TextFile::remember), so that the path listed opens that file. (QDir decodes names as UTF-8 and
// loses such a name's bytes.)
#include <QString>
#include <QStringList>

namespace FolderEntries {

// The names of the files in `folder` (regular files and links to them, hidden ones included; no
// folders, pipes or devices) that match one of `patterns` ("*.wav"; letters compared without regard to
// case), or every file when `patterns` is empty.
QStringList files(const QString& folder, const QStringList& patterns = {});

// The names of the folders in `folder` (folders and links to them), leaving out "." and ".." and the
// hidden ones, whose name begins with ".".
QStringList folders(const QString& folder);

}  // namespace FolderEntries
