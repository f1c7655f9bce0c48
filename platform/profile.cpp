#include "platform/profile.h"

#include "platform/textfile.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <sys/stat.h>

namespace Profile {
namespace {

// The keys of one section, by case-folded name, with the text after the equals sign (blanks around it
// removed, one pair of enclosing quotes dropped). The first line of a key counts, also when its section
// stands more than once. `section` is case-folded.
using Keys = QHash<QString, QString>;

Keys parseSection(const QString& text, const QString& section)
{
    Keys keys;
    bool inSection = false;
    const QStringList lines = TextFile::splitLines(text);
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            inSection = line.mid(1, close < 0 ? -1 : close - 1).trimmed().toCaseFolded() == section;
            continue;
        }
        const qsizetype eq = inSection ? line.indexOf(QLatin1Char('=')) : -1;
        if (eq < 0)
            continue;
        const QString key = line.left(eq).trimmed().toCaseFolded();
        if (keys.contains(key))
            continue;
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        // An empty value is there (and copies nothing), unlike a missing key.
        keys.insert(key, value.isNull() ? QString(QLatin1String("")) : value);
    }
    return keys;
}

// The file last read, what it was on disk then, and the sections asked for so far (only those are kept,
// so a large file costs no more memory than the texts that are used). It is read again when its path, its
// size, its modification or status-change time, or the file itself (a new one renamed into its place)
// changes, and once for each further section asked for.
struct Cache {
    QString path;
    struct stat st = {};
    bool isFile = false;
    QHash<QString, Keys> sections;
};

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

QMutex mutex;
Cache cache;
quint64 parses = 0;

// The keys of `section` (case-folded) in the file at `path`; none when it is no readable file.
const Keys& keysOf(const QString& path, const QString& section)
{
    struct stat st = {};
    // By the bytes of the file's name, as the language chooser lists it.
    const QByteArray name = TextFile::nativePath(path);
    const bool isFile = !name.contains('\0') && ::stat(name.constData(), &st) == 0 && S_ISREG(st.st_mode);
    if (path != cache.path || isFile != cache.isFile || (isFile && !sameFile(st, cache.st))) {
        cache.path = path;
        cache.st = st;
        cache.isFile = isFile;
        cache.sections.clear();
    }
    const auto known = cache.sections.constFind(section);
    if (known != cache.sections.constEnd())
        return *known;
    Keys keys;
    QString text;
    if (isFile && TextFile::read(path, &text)) {
        keys = parseSection(text, section);
        ++parses;
    }
    return *cache.sections.insert(section, keys);
}

}  // namespace

int GetPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
                            int size, const QString& path, QString* out)
{
    out->clear();
    if (size <= 0)
        return 0;
    QString value;
    if (!path.isEmpty()) {
        const QMutexLocker lock(&mutex);
        value = keysOf(path, section.toCaseFolded()).value(key.toCaseFolded());
    }
    if (value.isNull())
        value = defaultValue;
    *out = value.left(size - 1);
    return int(out->size());
}

quint64 parseCount()
{
    const QMutexLocker lock(&mutex);
    return parses;
}

}  // namespace Profile
