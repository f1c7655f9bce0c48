#pragma once
// The per-user settings store: named text values under application "zozid", section "myplay".
// Backed by $XDG_CONFIG_HOME/zozid.ini (default ~/.config/zozid.ini), an INI file in the syntax of Qt's
// QSettings, which earlier versions wrote it with. Every write lands on disk at once, whole, by
// WholeFile::write: the file there before is replaced only once the new one is on disk. The file holds
// the screen saver's password, so it is made for its owner alone, and a file others could read is
// narrowed to its owner at the next write. Only the lines of the keys written change; other sections,
// other keys and comments stay as they are.
#include <QString>
#include <functional>

namespace SettingsStore {

// The file the store reads and writes.
QString filePath();

// The stored text of `key`, or `defaultValue` when the key is missing.
QString GetSetting(const QString& key, const QString& defaultValue = QString());
void SaveSetting(const QString& key, const QString& value);

// A flag is stored as the text True or False. A missing key, or one holding text that is neither a
// truth value nor a number, reads as false; a number reads as true when it is not zero.
bool GetFlag(const QString& key);
void SaveFlag(const QString& key, bool value);

// A whole number stored as decimal text; a missing key or garbage yields `defaultValue`, a number beyond
// the range of long long its largest or smallest value.
long long GetNumber(const QString& key, long long defaultValue = 0);

// The text of a truth value as the store writes it.
inline QString flagText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }
// The truth value of a stored text, by the rule of GetFlag.
bool textToFlag(const QString& text);

// Told when a write did not reach the disk (a read-only file, a folder in the file's place, a full
// disk...): the file and the reason in words. It is told once, at the first failing write after the store
// opened its file; the values stay in memory for the rest of the run, later writes try again, and the file
// on disk is left as it was.
using FailureHandler = std::function<void(const QString& file, const QString& reason)>;
void setFailureHandler(FailureHandler handler);

// Forget the open file so that the next call resolves the path from the environment again (tests).
void reset();

}  // namespace SettingsStore
