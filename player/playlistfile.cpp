#include "player/playlistfile.h"

#include "platform/dialogs.h"
#include "platform/textfile.h"
#include "player/she.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <cstdlib>
#include <sys/stat.h>

namespace PlayListFile {

namespace {

// The list files played from a play list in this run, by their resolved names.
QSet<QByteArray>& readThisRun()
{
    static QSet<QByteArray> files;
    return files;
}

// The name the file system resolves `path` to (links followed), when it names a regular file; else empty.
QByteArray resolvedFile(const QString& path)
{
    const QByteArray name = TextFile::nativePath(path);
    if (name.isEmpty() || name.contains('\0'))
        return QByteArray();
    char* real = ::realpath(name.constData(), nullptr);
    if (!real)
        return QByteArray();
    const QByteArray resolved(real);
    std::free(real);
    struct stat st;
    if (::stat(resolved.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return QByteArray();
    return resolved;
}

// Whether a line of a list names its file relative to the list's folder ("song.mp3", "../b/song.mp3"):
// not a path from the root, and not a drive-letter path or an address ("C:\a.mp3", "http://...", a
// ":" before the first separator).
bool isRelative(const QString& line)
{
    if (line.isEmpty() || line.startsWith(QLatin1Char('/')) || line.startsWith(QLatin1Char('\\')))
        return false;
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return true;
    const qsizetype slash = line.indexOf(QLatin1Char('/'));
    const qsizetype back = line.indexOf(QLatin1Char('\\'));
    const qsizetype separator = slash < 0 ? back : (back < 0 ? slash : qMin(slash, back));
    return separator >= 0 && separator < colon;
}

// The list's relative lines that name a file or folder in the list's folder become its path there, in the
// bytes of that folder and of the line, so that the row finds its file from wherever the list was opened
// and is written back so. Any other line stays as it was written (a ".pls" entry line, a name with spaces
// around it).
void resolveRelative(const QString& listPath, QStringList* lines)
{
    QString folder;
    QByteArray folderBytes;
    for (QString& line : *lines) {
        if (!isRelative(line))
            continue;
        if (folder.isEmpty()) {
            folder = QFileInfo(listPath).absolutePath();
            if (!folder.endsWith(QLatin1Char('/')))
                folder += QLatin1Char('/');
            folderBytes = TextFile::nativePath(folder);
        }
        const QString path = folder + line;
        const QByteArray bytes = folderBytes + TextFile::nativePath(line);
        TextFile::remember(path, bytes);
        if (TextFile::exists(path))
            line = path;
    }
}

}  // namespace

QStringList apply(const QStringList& allLines, Rule rule)
{
    QStringList out;
    out.reserve(allLines.size());
    for (const QString& line : allLines) {
        const bool stopsAtEmpty = rule == Rule::Import || rule == Rule::LastList;
        if (line.isEmpty() && stopsAtEmpty)
            break;
        const bool hidesHash = rule == Rule::Import || rule == Rule::Preview;
        if (hidesHash && line.startsWith(QLatin1Char('#')))
            continue;
        out.append(line);
    }
    return out;
}

bool read(const QString& path, Rule rule, QStringList* lines)
{
    if (!TextFile::readLines(path, lines))
        return false;
    *lines = apply(*lines, rule);
    // Paths are read from the list's folder; title lists and the preview keep their lines as written.
    if (rule == Rule::Import || rule == Rule::LastList)
        resolveRelative(path, lines);
    return true;
}

bool write(const QString& path, const QStringList& lines, QStringList* leftOut, QString* error)
{
    return TextFile::writeLines(path, lines, leftOut, error);
}

void writeLater(const QString& path, const QStringList& lines, QStringList* leftOut,
                const std::function<void(bool written, const QString& error)>& done)
{
    TextFile::writeWholeLater(path, TextFile::encodeLines(lines, leftOut), done);
}

QString notSavedText(const QString& afore, const QString& error)
{
    // The file there before is whole: the writer replaces it only once the new one is complete.
    return SHE::LangText(QStringLiteral("listnotsaved"), QStringLiteral("The play list could not be saved as")) +
           QLatin1Char(' ') + afore + QStringLiteral(" (") + error + QStringLiteral(").\n") +
           SHE::LangText(QStringLiteral("listkept"), QStringLiteral("The list saved there before is kept unchanged."));
}

void offerSaveElsewhere(const QString& afore, const QString& error, bool listEmpty,
                        const std::function<bool()>& saveAs, QWidget* parent)
{
    const QString told = notSavedText(afore, error);
    if (listEmpty) {
        Dialogs::MsgBox(told, Dialogs::OKOnly, QStringLiteral("PellumPlayer"), parent);
        return;
    }
    const QString ask = told + QLatin1Char('\n') +
                        SHE::LangText(QStringLiteral("saveelsewhere"), QStringLiteral("Save this play list elsewhere?"));
    while (Dialogs::MsgBox(ask, Dialogs::YesNo, QStringLiteral("PellumPlayer"), parent) == Dialogs::Yes) {
        if (saveAs())
            return;
    }
}

void tellLeftOut(const QString& file, const QStringList& leftOut, QWidget* parent)
{
    if (leftOut.isEmpty())
        return;
    // A long run of such names is cut short: the first ones tell the user enough.
    constexpr int shown = 10;
    QStringList names;
    for (QString p : leftOut.mid(0, shown)) {
        // The break is shown as the two characters "\n", so that each name reads as one line.
        p.replace(QLatin1Char('\n'), QStringLiteral("\\n")).replace(QLatin1Char('\r'), QStringLiteral("\\r"));
        names << QLatin1Char('[') + p + QLatin1Char(']');
    }
    if (leftOut.size() > shown)
        names << QStringLiteral("(+%1)").arg(leftOut.size() - shown);
    Dialogs::MsgBox(SHE::LangText(QStringLiteral("linebreakleftout"),
                                  QStringLiteral("These names hold a line break, which a list file cannot hold; "
                                                 "they were left out of")) +
                        QLatin1Char(' ') + file + QStringLiteral(":\n") + names.join(QLatin1Char('\n')) +
                        QLatin1Char('\n') +
                        SHE::LangText(QStringLiteral("playsthissession"), QStringLiteral("They play in this session only.")),
                    Dialogs::OKOnly, QStringLiteral("PellumPlayer"), parent);
}

bool isListFile(const QString& path, bool withM3uPls)
{
    if (path.endsWith(QStringLiteral("pellum"), Qt::CaseInsensitive))
        return true;
    return withM3uPls && (path.endsWith(QStringLiteral("m3u"), Qt::CaseInsensitive) ||
                          path.endsWith(QStringLiteral("pls"), Qt::CaseInsensitive));
}

RowRead readListRow(const QString& path, Rule rule, QStringList* lines)
{
    lines->clear();
    const QByteArray file = resolvedFile(path);
    if (file.isEmpty())
        return RowRead::Unreadable;
    QSet<QByteArray>& read = readThisRun();
    if (read.contains(file))
        return RowRead::ReadBefore;
    QStringList all;
    if (!PlayListFile::read(path, rule, &all))
        return RowRead::Unreadable;
    read.insert(file);
    lines->reserve(all.size());
    // A list may name the same file on many lines: each name is resolved once.
    QHash<QString, bool> readAlready;
    for (const QString& line : all) {
        if (isListFile(line, false)) {
            auto it = readAlready.constFind(line);
            if (it == readAlready.constEnd())
                it = readAlready.insert(line, read.contains(resolvedFile(line)));
            if (*it)
                continue;
        }
        lines->append(line);
    }
    return RowRead::Read;
}

}  // namespace PlayListFile
