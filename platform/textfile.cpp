#include "platform/textfile.h"

#include "platform/wholefile.h"

#include <QCoreApplication>
#include <QHash>
#include <QMutex>
#include <QStringDecoder>
#include <QThreadPool>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace TextFile {
namespace {

// Windows-1252 for 0x80..0x9F; 0 marks the five bytes it leaves undefined.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

QString decodeCp1252(const QByteArray& bytes)
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

// Lines read in other bytes than their text's UTF-8, with those bytes.
QHash<QString, QByteArray>& remembered()
{
    static QHash<QString, QByteArray> lines;
    return lines;
}

// Only a line with a character beyond ASCII can have been read in other bytes than its UTF-8.
bool beyondAscii(const QString& line)
{
    return std::any_of(line.cbegin(), line.cend(), [](QChar c) { return c.unicode() >= 0x80; });
}

bool isValidUtf8(const QByteArray& bytes, QString* text)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    *text = utf8(bytes);
    return !utf8.hasError();
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
    if (!WholeFile::read(path, &bytes))
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
    if (!WholeFile::read(path, &bytes))
        return false;
    *lines = decodeLines(bytes);
    return true;
}

QByteArray nativePath(const QString& path)
{
    const QHash<QString, QByteArray>& known = remembered();
    if (known.isEmpty() || !beyondAscii(path))
        return path.toUtf8();
    const auto it = known.constFind(path);
    if (it == known.constEnd())
        return path.toUtf8();
    struct stat st;
    if (::lstat(it->constData(), &st) == 0)
        return *it;
    const QByteArray utf8 = path.toUtf8();
    return ::lstat(utf8.constData(), &st) == 0 ? utf8 : *it;
}

QString decodeName(const QByteArray& bytes)
{
    QString text;
    if (isValidUtf8(bytes, &text))
        return text;
    text = decodeCp1252(bytes);
    remembered().insert(text, bytes);
    return text;
}

bool isOneLine(const QString& line) { return !line.contains(QLatin1Char('\n')) && !line.contains(QLatin1Char('\r')); }

QByteArray encodeLines(const QStringList& lines, QStringList* leftOut)
{
    if (leftOut)
        leftOut->clear();
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
    return WholeFile::write(path, bytes, error);
}

void writeWholeLater(const QString& path, const QByteArray& bytes, const LaterDone& done)
{
    const quint64 n = ask(path);
    laterWrites().start([path, bytes, done, n] {
        QString error;
        const bool written = WholeFile::write(path, bytes, &error);
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
