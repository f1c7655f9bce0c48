#pragma once
// The entries of one folder, read in the file system's bytes. A name that is not UTF-8 is listed by its
// Windows-1252 text, and its path (the folder, one "/", the name) is remembered with its bytes
// (TextFile::remember), so that the path listed opens that file. (QDir decodes names as UTF-8 and
// loses such a name's bytes.)
#include <QString>
#include <QStringList>

namespace FolderEntries {

enum class Hidden { Left, Listed };

// The names of the files in `folder` (regular files and links to them; no folders, pipes or devices)
// that match one of `patterns` ("*.wav"; letters compared without regard to case), or every file when
// `patterns` is empty. The hidden ones, whose name begins with ".", are left out unless `hidden` lists
// them.
QStringList files(const QString& folder, const QStringList& patterns = {}, Hidden hidden = Hidden::Left);

// The names of the folders in `folder` (folders and links to them), leaving out "." and ".." and the
// hidden ones, whose name begins with ".".
QStringList folders(const QString& folder);

}  // namespace FolderEntries
