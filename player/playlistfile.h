#pragma once
// Play-list files (.pellum, .m3u, .pls): one media path per line, nothing of any other syntax read.
#include <QString>
#include <QStringList>

namespace PlayListFile {

enum class Rule {
    Import,    // ends at the first empty line; lines beginning with "#" are skipped
    LastList,  // ends at the first empty line; "#" lines are kept as paths
    TitleList, // every line to the end of the file
    Preview,   // every line to the end of the file, "#" lines left out
};

// The lines of the file by `rule`. Returns false, with `lines` empty, when the file cannot be read.
bool read(const QString& path, Rule rule, QStringList* lines);

// The lines of `text` by `rule`.
QStringList apply(const QStringList& allLines, Rule rule);

// Writes the list whole (UTF-8, CR LF after every line); an empty list gives an empty file.
bool write(const QString& path, const QStringList& lines);

// Whether a path names a list file by its last letters (case ignored): "pellum", and with
// `withM3uPls` also "m3u" and "pls".
bool isListFile(const QString& path, bool withM3uPls);

}  // namespace PlayListFile
