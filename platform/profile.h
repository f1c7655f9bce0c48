#pragma once
// Reading initialisation files (language files) by the private-profile rules: a section and a key,
// both matched without regard to case; the text after the equals sign with blanks around it removed and
// one pair of enclosing quotes dropped; the result cut to `size` - 1 characters.
// The sections asked for are read once and kept: the file is read again when its path, size, modification
// time or status-change time changes, so many lookups in a row read a large file only once.
#include <QString>

namespace Profile {

// Copies into `*out` what the profile service would copy into a buffer of `size` characters and returns
// the count of characters copied:
// - the key's value, cut to size - 1, when the file, the section and the key exist (nothing when the
//   value is empty);
// - `defaultValue`, cut to size - 1, when the key, the section or the file is missing, or the path names
//   a folder or an unreadable file.
int GetPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
                            int size, const QString& path, QString* out);

// How many times a file has been read and parsed since the program started (for measurements).
quint64 parseCount();

}  // namespace Profile
