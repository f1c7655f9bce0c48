#pragma once
// Play-list files (.pellum, .m3u, .pls): one media path per line, nothing of any other syntax read.
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

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

// Writes the list whole, each row in the bytes it was read in (a new row as UTF-8), CR LF after every
// line; an empty list gives an empty file. A path that holds a line break cannot stand as a line: it is
// left out and named in `leftOut` (it stays in the list of this session). Returns false, with the reason
// in `error`, when the file cannot be written; the file there before is then unchanged.
bool write(const QString& path, const QStringList& lines, QStringList* leftOut = nullptr,
           QString* error = nullptr);

// write for saves the window must not wait on: the rows' bytes are made now, the file is written on a
// worker thread (a failure is logged); every later write waits for it first. `done` hears the outcome on
// the window's thread, unless a later write of the same file has been asked for meanwhile.
void writeLater(const QString& path, const QStringList& lines, QStringList* leftOut = nullptr,
                const std::function<void(bool written, const QString& error)>& done = {});

// The words that tell that the list could not be written to `afore` (with the reason) and that the
// file there before is kept.
QString notSavedText(const QString& afore, const QString& error);

// Tells that the exit could not write its list to `afore` (with the reason) and that the file there
// before is kept; for a list with rows it offers to save the list elsewhere through `saveAs` (the
// list's export, true once written) until the user declines or the list is saved.
void offerSaveElsewhere(const QString& afore, const QString& error, bool listEmpty,
                        const std::function<bool()>& saveAs, QWidget* parent = nullptr);

// Tells the user, in one message, which files a write of the list file `file` left out (none: nothing).
void tellLeftOut(const QString& file, const QStringList& leftOut, QWidget* parent = nullptr);

// Whether a path names a list file by its last letters (case ignored): "pellum", and with
// `withM3uPls` also "m3u" and "pls".
bool isListFile(const QString& path, bool withM3uPls);

// What became of a list file that stands as a row of a play list, when the row was played.
enum class RowRead {
    Read,        // read for the first time in this run: its rows are in `lines`
    ReadBefore,  // this run read it already: it adds nothing
    Unreadable,  // not there (an unplugged drive), or no file that can be read: its row is kept
};

// The reading of a list file whose row is played, in both play lists. Each file is read once a run:
// it is known by the name the file system resolves its path to, so a link to a list and the list itself
// are one file. Of its rows, those that name a list file read in this run (itself among them) are left
// out, so that a list that names itself, or lists that name one another, expand once and the list stays
// bounded whatever the files say. Only a regular file is read: a pipe named like a list is not waited on.
RowRead readListRow(const QString& path, Rule rule, QStringList* lines);

}  // namespace PlayListFile
