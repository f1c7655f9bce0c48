#include "platform/textfile.h"

#include "platform/wholefile.h"

#include <QCoreApplication>
#include <QHash>
#include <QMutex>
#include <QReadWriteLock>
#include <QStringDecoder>
#include <QThreadPool>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace TextFile {
namespace {

// Windows-1252 for 0x80..0x9F; 0 marks the five bytes it leaves undefined.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

QString decodeCp1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        char16_t c = b;
        if (b >= 0x80 && b <= 0x9F && kCp1252High[b - 0x80] != 0)
            c = kCp1252High[b - 0x80];
        d[i] = QChar(c);
    }
    return out;
}

// Lines read, and paths listed, in other bytes than their text's UTF-8, with those bytes; under
// rememberedLock, as names are looked up on any thread that opens a file.
QHash<QString, QByteArray>& remembered()
{
    static QHash<QString, QByteArray> lines;
    return lines;
}

QReadWriteLock& rememberedLock()
{
    static QReadWriteLock lock;
    return lock;
}

// Only a line with a character beyond ASCII can have been read in other bytes than its UTF-8.
bool beyondAscii(QStringView line)
{
    return std::any_of(line.cbegin(), line.cend(), [](QChar c) { return c.unicode() >= 0x80; });
}

bool isValidUtf8(QByteArrayView bytes, QString* text)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    *text = utf8(bytes);
    return !utf8.hasError();
}

// The code page's byte for `c`, -1 for a character it has not.
int cp1252Byte(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    if (u <= 0x9F)  // the five bytes the code page leaves undefined keep their Latin-1 meaning
        return kCp1252High[u - 0x80] == 0 ? int(u) : -1;
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == u)
            return 0x80 + i;
    return -1;
}

// The bytes that decodeCp1252 reads as `text`; false when it holds a character the code page has not.
bool codePageBytes(QStringView text, QByteArray* bytes)
{
    bytes->resize(text.size());
    char* d = bytes->data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = cp1252Byte(text[i]);
        if (b < 0)
            return false;
        d[i] = char(b);
    }
    return true;
}

// Whether `text` holds a letter beyond ASCII that the code page has: only such a text can have been read
// from other bytes than its UTF-8 (every text remembered holds one).
bool hasCodePageLetter(QStringView text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 0x80 && cp1252Byte(c) >= 0; });
}

// The status of the entry named `bytes`: of the entry itself (a dangling link counts), or with `follow`
// of what a link leads to. No name holds a NUL.
bool probe(const QByteArray& bytes, bool follow, struct stat* st)
{
    return !bytes.isEmpty() && !bytes.contains('\0') &&
           (follow ? ::stat(bytes.constData(), st) : ::lstat(bytes.constData(), st)) == 0;
}

// How many of the names `path` is made of ("/" between them) hold a character beyond ASCII.
int namesBeyondAscii(QStringView path)
{
    int n = 0;
    bool counted = false;
    for (QChar c : path) {
        if (c == QLatin1Char('/'))
            counted = false;
        else if (c.unicode() >= 0x80 && !counted)
            ++n, counted = true;
    }
    return n;
}

// `path` found one folder at a time, each name in its UTF-8 or else in its code-page bytes, whichever
// exists below the folders found so far.
bool findByFolders(const QString& path, bool follow, QByteArray* found, struct stat* st)
{
    found->clear();
    qsizetype start = 0;
    while (true) {
        qsizetype end = path.indexOf(QLatin1Char('/'), start);
        if (end < 0)
            end = path.size();
        const bool last = end == path.size();
        const QStringView name = QStringView(path).mid(start, end - start);
        if (!beyondAscii(name)) {
            found->append(name.toLatin1());
            if (last)
                return probe(*found, follow, st);
        } else {
            const qsizetype before = found->size();
            found->append(name.toUtf8());
            if (!probe(*found, follow && last, st)) {
                found->truncate(before);
                QByteArray cp;
                if (!codePageBytes(name, &cp))
                    return false;
                found->append(cp);
                if (!probe(*found, follow && last, st))
                    return false;
            }
            if (last)
                return true;
        }
        found->append('/');
        start = end + 1;
    }
}

// The bytes of the file `path` names, by the rule of nativePath, with its status (see probe); false,
// with the bytes nativePath gives then, when no candidate names anything.
bool resolve(const QString& path, bool follow, QByteArray* bytes, struct stat* st)
{
    *bytes = path.toUtf8();
    if (!hasCodePageLetter(path))
        return probe(*bytes, follow, st);
    QByteArray known;
    {
        const QReadLocker lock(&rememberedLock());
        known = remembered().value(path);
    }
    if (!known.isEmpty() && probe(known, follow, st)) {
        *bytes = known;
        return true;
    }
    const QByteArray utf8 = *bytes;
    if (probe(utf8, follow, st))
        return true;
    if (codePageBytes(path, bytes) && probe(*bytes, follow, st))
        return true;
    // Folder by folder: a list in UTF-8 may name a file in the code page inside a folder in UTF-8. With
    // one name beyond ASCII, the two tries above were the only ones.
    if (namesBeyondAscii(path) > 1 && findByFolders(path, follow, bytes, st))
        return true;
    *bytes = known.isEmpty() ? utf8 : known;
    return false;
}

}  // namespace

QString decode(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder dec(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return dec(bytes.mid(2));
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return decodeCp1252(bytes);
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    const QChar* p = text.constData();
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && p[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

bool read(const QString& path, QString* text)
{
    text->clear();
    QByteArray bytes;
    if (!WholeFile::readName(nativePath(path), &bytes))
        return false;
    *text = decode(bytes);
    return true;
}

QStringList decodeLines(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return splitLines(decode(bytes));
    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QString text;
    if (isValidUtf8(body, &text))
        return splitLines(text);
    // Line ends are ASCII bytes, which stand for themselves in UTF-8 and in the code page alike.
    QStringList lines;
    const char* p = body.constData();
    const qsizetype n = body.size();
    qsizetype start = 0;
    const QWriteLocker lock(&rememberedLock());
    auto take = [&](qsizetype end) {
        const QByteArray line(p + start, end - start);
        QString t;
        if (!isValidUtf8(line, &t)) {
            t = decodeCp1252(line);
            remembered().insert(t, line);
        }
        lines.append(t);
    };
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] == '\r' || p[i] == '\n') {
            take(i);
            if (p[i] == '\r' && i + 1 < n && p[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        take(n);
    return lines;
}

bool readLines(const QString& path, QStringList* lines)
{
    lines->clear();
    QByteArray bytes;
    if (!WholeFile::readName(nativePath(path), &bytes))
        return false;
    *lines = decodeLines(bytes);
    return true;
}

QString nameText(QByteArrayView name, bool* isUtf8)
{
    if (isUtf8)
        *isUtf8 = true;
    if (std::all_of(name.cbegin(), name.cend(), [](char c) { return quint8(c) < 0x80; }))
        return QString::fromLatin1(name);
    QString text;
    if (isValidUtf8(name, &text))
        return text;
    if (isUtf8)
        *isUtf8 = false;
    return decodeCp1252(name);
}

QString pathText(const QByteArray& path)
{
    QString text;
    bool allUtf8 = true;
    qsizetype start = 0;
    while (true) {
        qsizetype end = path.indexOf('/', start);
        if (end < 0)
            end = path.size();
        bool utf8 = true;
        text += nameText(QByteArrayView(path).sliced(start, end - start), &utf8);
        allUtf8 = allUtf8 && utf8;
        if (end == path.size())
            break;
        text += QLatin1Char('/');
        start = end + 1;
    }
    if (!allUtf8)
        remember(text, path);
    return text;
}

void remember(const QString& text, const QByteArray& bytes)
{
    if (beyondAscii(text) && bytes != text.toUtf8()) {
        const QWriteLocker lock(&rememberedLock());
        remembered().insert(text, bytes);
    }
}

void forgetNames()
{
    const QWriteLocker lock(&rememberedLock());
    remembered().clear();
}

QByteArray nativePath(const QString& path)
{
    if (!hasCodePageLetter(path))
        return path.toUtf8();
    QByteArray bytes;
    struct stat st;
    resolve(path, false, &bytes, &st);
    return bytes;
}

bool exists(const QString& path)
{
    QByteArray bytes;
    struct stat st;
    return resolve(path, true, &bytes, &st);
}

bool isFolder(const QString& path)
{
    QByteArray bytes;
    struct stat st;
    return resolve(path, true, &bytes, &st) && S_ISDIR(st.st_mode);
}

qint64 fileSize(const QString& path)
{
    QByteArray bytes;
    struct stat st;
    return resolve(path, true, &bytes, &st) && S_ISREG(st.st_mode) ? qint64(st.st_size) : -1;
}

bool remove(const QString& path)
{
    const QByteArray bytes = nativePath(path);
    return !bytes.isEmpty() && !bytes.contains('\0') && ::unlink(bytes.constData()) == 0;
}

bool openForReading(QFile& file, const QString& path)
{
    file.setFileName(path);
    const QByteArray bytes = nativePath(path);
    if (bytes.isEmpty() || bytes.contains('\0'))
        return false;
    // Only a regular file is read: a pipe or a device of that name would hold the window.
    struct stat st;
    if (::stat(bytes.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    if (bytes == path.toUtf8())
        return file.open(QIODevice::ReadOnly);
    // QFile opens a name by its UTF-8: a name in other bytes is opened here and handed over.
    // Opened without waiting (a pipe of that name has no writer to wait for), then read as usual.
    const int fd = ::open(bytes.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}


bool isOneLine(const QString& line) { return !line.contains(QLatin1Char('\n')) && !line.contains(QLatin1Char('\r')); }

QByteArray encodeLines(const QStringList& lines, QStringList* leftOut)
{
    if (leftOut)
        leftOut->clear();
    const QReadLocker lock(&rememberedLock());
    const QHash<QString, QByteArray>& known = remembered();
    QStringEncoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    // Room for the longest UTF-8 a line can take (remembered bytes are one a character), cut to size after.
    qsizetype room = 0;
    for (const QString& l : lines)
        room += utf8.requiredSpace(l.size()) + 2;
    QByteArray out(room, Qt::Uninitialized);
    char* const begin = out.data();
    char* p = begin;
    for (const QString& l : lines) {
        char* const start = p;
        const bool mayBeKnown = !known.isEmpty() && beyondAscii(l);
        const auto it = mayBeKnown ? known.constFind(l) : known.constEnd();
        if (it != known.constEnd()) {
            std::memcpy(p, it->constData(), size_t(it->size()));
            p += it->size();
        } else {
            p = utf8.appendToBuffer(p, l);
        }
        // A CR or LF byte in UTF-8 is always that character.
        const size_t n = size_t(p - start);
        if (std::memchr(start, '\n', n) || std::memchr(start, '\r', n)) {
            p = start;
            if (leftOut)
                leftOut->append(l);
            continue;
        }
        *p++ = '\r';
        *p++ = '\n';
    }
    out.truncate(p - begin);
    return out;
}

namespace {

QThreadPool& laterWrites()
{
    static QThreadPool pool;
    pool.setMaxThreadCount(1);  // one at a time, in order
    return pool;
}

// How many writes of each file were asked for: the outcome of a later write is told only while no other
// write of its file has been asked for since.
QMutex askedLock;
QHash<QString, quint64> asked;

quint64 ask(const QString& path)
{
    const QMutexLocker lock(&askedLock);
    return ++asked[path];
}

bool stillLatest(const QString& path, quint64 n)
{
    const QMutexLocker lock(&askedLock);
    return asked.value(path) == n;
}

}  // namespace

bool writeWhole(const QString& path, const QByteArray& bytes, QString* error)
{
    ask(path);
    laterWrites().waitForDone();
    return WholeFile::writeName(nativePath(path), bytes, error);
}

void writeWholeLater(const QString& path, const QByteArray& bytes, const LaterDone& done)
{
    const quint64 n = ask(path);
    laterWrites().start([path, bytes, done, n] {
        QString error;
        const bool written = WholeFile::writeName(nativePath(path), bytes, &error);
        if (!written)
            qWarning("PellumPlayer: could not write %s: %s", qPrintable(path), qPrintable(error));
        if (!done || !stillLatest(path, n))
            return;
        QObject* app = QCoreApplication::instance();
        if (!app)
            return;
        QMetaObject::invokeMethod(
            app, [path, n, done, written, error] {
                if (stillLatest(path, n))
                    done(written, error);
            },
            Qt::QueuedConnection);
    });
}

bool writeLines(const QString& path, const QStringList& lines, QStringList* leftOut, QString* error)
{
    return writeWhole(path, encodeLines(lines, leftOut), error);
}

}  // namespace TextFile
