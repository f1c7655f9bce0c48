#include "platform/settings.h"

#include "platform/wholefile.h"

#include <QByteArrayView>
#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QPoint>
#include <QRect>
#include <QSet>
#include <QSize>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QVariant>
#include <cmath>
#include <limits>

namespace SettingsStore {
namespace {

// --- The file's syntax ---
//
// The file is an INI file as Qt's QSettings reads and writes it, since earlier versions of the store
// wrote it with QSettings. It is read here by the same rules: logical lines that quotes and a backslash
// before the line end carry over several lines, comments after ";", sections whose names and keys are
// escaped with "%XX" and "\", and values with C escapes, quotes, and commas that make a list. A value is
// written in the form QSettings writes a text in, so that QSettings and this reader read the same text
// back. Only the lines of the keys written change: every other byte of the file stays as it was.

const QString kSection = QStringLiteral("myplay/");

enum : unsigned char { Space = 1, Special = 2 };

constexpr unsigned char traitsOf(char c)
{
    switch (c) {
    case '\t':
    case ' ':
        return Space;
    case '\n':
    case '\r':
        return Space | Special;
    case '"':
    case ';':
    case '=':
    case '\\':
        return Special;
    default:
        return 0;
    }
}

int octalDigit(char c) { return c >= '0' && c <= '7' ? c - '0' : -1; }

int hexDigit(uint c)
{
    if (c >= '0' && c <= '9')
        return int(c - '0');
    if (c >= 'a' && c <= 'f')
        return int(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return int(c - 'A' + 10);
    return -1;
}

// The logical line from `pos` on: its start, its length and where its first "=" outside quotes is
// (-1 for none). Blank space before it is skipped and so are comment lines; a line break inside quotes
// or after a backslash belongs to the line. False when no line is left.
bool nextLine(QByteArrayView data, qsizetype& pos, qsizetype& start, qsizetype& length, qsizetype& equals)
{
    const qsizetype n = data.size();
    bool inQuotes = false;
    equals = -1;
    start = pos;
    while (start < n && (traitsOf(data[start]) & Space))
        ++start;
    qsizetype i = start;
    while (i < n) {
        char c = data[i];
        while (!(traitsOf(c) & Special)) {
            if (++i == n)
                goto done;
            c = data[i];
        }
        ++i;
        if (c == '=') {
            if (!inQuotes && equals == -1)
                equals = i - 1;
        } else if (c == '\n' || c == '\r') {
            if (i == start + 1) {
                ++start;
            } else if (!inQuotes) {
                --i;
                goto done;
            }
        } else if (c == '\\') {
            if (i < n) {
                const char escaped = data[i++];
                if (i < n) {
                    const char after = data[i];
                    if ((escaped == '\n' && after == '\r') || (escaped == '\r' && after == '\n'))
                        ++i;
                }
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else {  // ';'
            if (i == start + 1) {
                while (i < n && data[i] != '\n' && data[i] != '\r')
                    ++i;
                while (i < n && (traitsOf(data[i]) & Space))
                    ++i;
                start = i;
            } else if (!inQuotes) {
                --i;
                goto done;
            }
        }
    }
done:
    pos = i;
    length = i - start;
    return length > 0;
}

// A section name or key as written: "\" stands for "/", "%XX" and "%UXXXX" for the character of that code.
QString unescapedKey(QByteArrayView key)
{
    const QString decoded = QString::fromUtf8(key);
    const qsizetype size = decoded.size();
    QString out;
    out.reserve(size);
    qsizetype i = 0;
    while (i < size) {
        const QChar c = decoded[i];
        if (c == u'\\') {
            out += u'/';
            ++i;
            continue;
        }
        if (c != u'%' || i == size - 1) {
            out += c;
            ++i;
            continue;
        }
        int digits = 2;
        qsizetype first = i + 1;
        if (decoded[i + 1] == u'U') {
            ++first;
            digits = 4;
        }
        if (first + digits > size) {
            out += u'%';
            ++i;
            continue;
        }
        bool ok = false;
        const ushort code = QStringView(decoded).sliced(first, digits).toUShort(&ok, 16);
        if (!ok) {
            out += u'%';
            ++i;
            continue;
        }
        out += QChar(code);
        i = first + digits;
    }
    return out;
}

QByteArray escapedKey(const QString& key)
{
    QByteArray out;
    for (const QChar qc : key) {
        uint c = qc.unicode();
        if (c == '/') {
            out += '\\';
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                   c == '-' || c == '.') {
            out += char(c);
        } else if (c <= 0xFF) {
            out += '%' + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
        } else {
            out += "%U" + QByteArray::number(c, 16).toUpper().rightJustified(4, '0');
        }
    }
    return out;
}

// Blanks and tabs at the end of `s`, from `limit` on, are cut.
void chopBlanks(QString& s, qsizetype limit)
{
    qsizetype n = s.size();
    while (n > limit && (s[n - 1] == u' ' || s[n - 1] == u'\t'))
        --n;
    s.truncate(n);
}

// A value as written: C escapes, quoted parts, and commas outside quotes that make it a list. Returns
// whether it is a list (then in `list`, else in `text`).
bool unescapedValue(QByteArrayView v, QString& text, QStringList& list)
{
    static constexpr char escapes[][2] = {{'a', '\a'}, {'b', '\b'}, {'f', '\f'},  {'n', '\n'},  {'r', '\r'}, {'t', '\t'},
                                          {'v', '\v'}, {'"', '"'},  {'?', '?'},   {'\'', '\''}, {'\\', '\\'}};
    bool isList = false;
    bool inQuotes = false;
    bool quoted = false;  // the current item had quotes, so its blanks are its own
    char16_t code = 0;
    qsizetype i = 0;
    qsizetype chopFrom = 0;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const qsizetype n = v.size();

    enum class State { SkipBlanks, Normal, Hex, Octal, End } state = State::SkipBlanks;
    while (state != State::End) {
        switch (state) {
        case State::SkipBlanks:
            while (i < n && (v[i] == ' ' || v[i] == '\t'))
                ++i;
            state = State::Normal;
            break;
        case State::Normal: {
            chopFrom = text.size();
            state = State::End;  // unless a character below leads on
            bool endOfText = true;
            while (i < n) {
                const char c = v[i];
                if (c == '\\') {
                    ++i;
                    if (i >= n) {
                        endOfText = false;
                        break;
                    }
                    const char e = v[i++];
                    bool simple = false;
                    for (const auto& pair : escapes) {
                        if (e == pair[0]) {
                            text += QLatin1Char(pair[1]);
                            simple = true;
                            break;
                        }
                    }
                    if (simple) {
                        state = State::Normal;
                        endOfText = false;
                        break;
                    }
                    if (e == 'x') {
                        code = 0;
                        if (i >= n) {
                            endOfText = false;
                            break;
                        }
                        if (hexDigit(uchar(v[i])) != -1) {
                            state = State::Hex;
                            endOfText = false;
                            break;
                        }
                    } else if (const int o = octalDigit(e); o != -1) {
                        code = char16_t(o);
                        state = State::Octal;
                        endOfText = false;
                        break;
                    } else if (e == '\n' || e == '\r') {
                        if (i < n && (v[i] == '\n' || v[i] == '\r') && v[i] != e)
                            ++i;
                    }
                    // any other escaped character is dropped
                    chopFrom = text.size();
                } else if (c == '"') {
                    ++i;
                    quoted = true;
                    inQuotes = !inQuotes;
                    if (!inQuotes) {
                        state = State::SkipBlanks;
                        endOfText = false;
                        break;
                    }
                } else if (c == ',' && !inQuotes) {
                    if (!quoted)
                        chopBlanks(text, chopFrom);
                    if (!isList) {
                        isList = true;
                        list.clear();
                    }
                    list.append(text);
                    text.clear();
                    quoted = false;
                    ++i;
                    state = State::SkipBlanks;
                    endOfText = false;
                    break;
                } else {
                    qsizetype j = i + 1;
                    while (j < n && v[j] != '\\' && v[j] != '"' && v[j] != ',')
                        ++j;
                    text += utf8(v.sliced(i, j - i));
                    i = j;
                }
            }
            if (endOfText && !quoted)
                chopBlanks(text, chopFrom);
            break;
        }
        case State::Hex:
            if (i >= n) {
                text += QChar(code);
                state = State::End;
            } else if (const int h = hexDigit(uchar(v[i])); h != -1) {
                code = char16_t((code << 4) + h);
                ++i;
            } else {
                text += QChar(code);
                state = State::Normal;
            }
            break;
        case State::Octal:
            if (i >= n) {
                text += QChar(code);
                state = State::End;
            } else if (const int o = octalDigit(v[i]); o != -1) {
                code = char16_t((code << 3) + o);
                ++i;
            } else {
                text += QChar(code);
                state = State::Normal;
            }
            break;
        case State::End:
            break;
        }
    }
    if (isList)
        list.append(text);
    return isList;
}

// The arguments of "@Rect(1 2 3 4)" and its kind, from the "(" at `open` on.
QStringList argumentsOf(const QString& s, qsizetype open)
{
    QStringList out;
    QString item;
    for (qsizetype i = open + 1; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u')') {
            out.append(item);
        } else if (c == u' ') {
            out.append(item);
            item.clear();
        } else {
            item.append(c);
        }
    }
    return out;
}

// A text as a stored value: "@..." forms name other kinds of value, "@@" stands for a leading "@".
QVariant valueOfText(const QString& s)
{
    if (!s.startsWith(u'@'))
        return s;
    if (s.endsWith(u')')) {
        if (s.startsWith(QLatin1String("@ByteArray(")))
            return QVariant(QStringView(s).sliced(11).chopped(1).toLatin1());
        if (s.startsWith(QLatin1String("@String(")))
            return QVariant(QStringView(s).sliced(8).chopped(1).toString());
        if (s.startsWith(QLatin1String("@Variant(")) || s.startsWith(QLatin1String("@DateTime("))) {
            const bool dateTime = s.at(1) == u'D';
            QByteArray a = QStringView(s).sliced(dateTime ? 10 : 9).toLatin1();
            QDataStream stream(&a, QIODevice::ReadOnly);
            stream.setVersion(dateTime ? QDataStream::Qt_5_6 : QDataStream::Qt_4_0);
            QVariant result;
            stream >> result;
            return result;
        }
        if (s.startsWith(QLatin1String("@Rect("))) {
            const QStringList a = argumentsOf(s, 5);
            if (a.size() == 4)
                return QVariant(QRect(a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt()));
        } else if (s.startsWith(QLatin1String("@Size("))) {
            const QStringList a = argumentsOf(s, 5);
            if (a.size() == 2)
                return QVariant(QSize(a[0].toInt(), a[1].toInt()));
        } else if (s.startsWith(QLatin1String("@Point("))) {
            const QStringList a = argumentsOf(s, 6);
            if (a.size() == 2)
                return QVariant(QPoint(a[0].toInt(), a[1].toInt()));
        } else if (s == QLatin1String("@Invalid()")) {
            return QVariant();
        }
    }
    if (s.startsWith(QLatin1String("@@")))
        return QVariant(s.sliced(1));
    return s;
}

QVariant valueOf(QByteArrayView raw)
{
    QString text;
    QStringList list;
    if (!unescapedValue(raw, text, list))
        return valueOfText(text);
    // A list of texts, unless an item names another kind of value: then a list of values.
    QStringList texts = list;
    for (QString& item : texts) {
        if (!item.startsWith(u'@'))
            continue;
        if (item.size() < 2 || item[1] != u'@') {
            QVariantList values;
            for (const QString& each : list)
                values.append(valueOfText(each));
            return values;
        }
        item.remove(0, 1);
    }
    return texts;
}

// A text as QSettings writes it: in quotes when it holds ";", "," or "=" or begins or ends with a blank,
// with C escapes for control characters, quotes and backslashes, other characters in UTF-8.
QByteArray escapedValue(QString s)
{
    if (s.contains(QChar(0)))
        s = QStringLiteral("@String(") + s + QLatin1Char(')');
    else if (s.startsWith(u'@'))
        s.prepend(u'@');
    QString out;
    out.reserve(s.size() + 2);
    bool needsQuotes = false;
    bool escapeNextIfHex = false;
    for (const QChar qc : s) {
        const uint c = qc.unicode();
        if (c == ';' || c == ',' || c == '=')
            needsQuotes = true;
        if (escapeNextIfHex && hexDigit(c) != -1) {
            out += QStringLiteral("\\x") + QString::number(c, 16);
            continue;
        }
        escapeNextIfHex = false;
        switch (c) {
        case 0:
            out += QStringLiteral("\\0");
            escapeNextIfHex = true;
            break;
        case '\a': out += QStringLiteral("\\a"); break;
        case '\b': out += QStringLiteral("\\b"); break;
        case '\f': out += QStringLiteral("\\f"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        case '\v': out += QStringLiteral("\\v"); break;
        case '"':
        case '\\':
            out += u'\\';
            out += qc;
            break;
        default:
            if (c <= 0x1F) {
                out += QStringLiteral("\\x") + QString::number(c, 16);
                escapeNextIfHex = true;
            } else {
                out += qc;
            }
        }
    }
    if (needsQuotes || out.startsWith(u' ') || out.endsWith(u' '))
        out = u'"' + out + u'"';
    QStringEncoder utf8(QStringEncoder::Utf8);
    return utf8(out);
}

// --- The file's parts ---

struct Entry {
    QString section;       // the prefix of the section it stands in
    QString key;           // with its section: "myplay/uc"
    qsizetype start, end;  // the logical line in the file's bytes
    QByteArray value;      // as written
};

struct Section {
    QString prefix;            // "myplay/"; empty for the keys before any section and for [General]
    qsizetype start = 0;       // where its header begins (0 for the keys before any section)
    qsizetype lastEnd = 0;     // where its last line ends
};

struct Parsed {
    QList<Section> sections;
    QList<Entry> entries;
};

Parsed parse(const QByteArray& raw)
{
    Parsed p;
    const qsizetype skip = raw.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    const QByteArrayView data = QByteArrayView(raw).sliced(skip);
    p.sections.append(Section{QString(), skip, skip});
    qsizetype pos = 0, start = 0, length = 0, equals = -1;
    while (nextLine(data, pos, start, length, equals)) {
        const QByteArrayView line = data.sliced(start, length);
        if (line.startsWith('[')) {
            qsizetype close = line.indexOf(']');
            if (close < 0)
                close = length;
            const QByteArrayView name = line.first(close).sliced(1).trimmed();
            QString prefix;
            if (name.compare("general", Qt::CaseInsensitive) != 0) {
                prefix = name.compare("%general", Qt::CaseInsensitive) == 0 ? QString::fromLatin1(name.sliced(1))
                                                                           : unescapedKey(name);
                prefix += u'/';
            }
            p.sections.append(Section{prefix, skip + start, skip + start + length});
            continue;
        }
        p.sections.last().lastEnd = skip + start + length;
        if (equals < 0)
            continue;
        const qsizetype eq = equals - start;
        const QString& prefix = p.sections.last().prefix;
        p.entries.append(Entry{prefix, prefix + unescapedKey(line.first(eq).trimmed()), skip + start,
                               skip + start + length, line.sliced(eq + 1).toByteArray()});
    }
    return p;
}

// A key as it stands in a section: a section named [myplay] holds the store's keys, while a key
// "myplay\uc" of [General] names the same setting but is not read for it (QSettings does not either).
QString slotOf(const QString& section, const QString& key) { return section + QChar(0) + key; }

// The value lines of the file by section and key: the last line of a key counts.
QHash<QString, QByteArray> linesOf(const Parsed& p)
{
    QHash<QString, QByteArray> out;
    for (const Entry& e : p.entries)
        out.insert(slotOf(e.section, e.key), e.value);
    return out;
}

// The values of the store's section, by key.
QHash<QString, QVariant> valuesOf(const Parsed& p)
{
    QHash<QString, QVariant> out;
    for (const Entry& e : p.entries)
        if (e.section == kSection)
            out.insert(e.key.sliced(kSection.size()), valueOf(e.value));
    return out;
}

QByteArray lineEndOf(const QByteArray& raw)
{
    const qsizetype lf = raw.indexOf('\n');
    return lf > 0 && raw[lf - 1] == '\r' ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

QByteArray lineOf(const QString& key, const QString& value) { return escapedKey(key) + '=' + escapedValue(value); }

using Changes = QList<QPair<QString, QString>>;

// Whether `out` reads as `raw` with `changes` made: every other key with the same line or the same value,
// every changed key with its new text.
bool readsAs(const QByteArray& out, const QByteArray& raw, const Changes& changes)
{
    QHash<QString, QByteArray> want = linesOf(parse(raw));
    for (const auto& [key, value] : changes)
        want.insert(slotOf(kSection, kSection + key), escapedValue(value));
    const QHash<QString, QByteArray> got = linesOf(parse(out));
    if (got.size() != want.size())
        return false;
    for (auto it = want.constBegin(); it != want.constEnd(); ++it) {
        const auto line = got.constFind(it.key());
        if (line == got.constEnd())
            return false;
        if (*line != *it && valueOf(*line) != valueOf(*it))
            return false;
    }
    return true;
}

// `raw` with the store's keys set: the last line of a key is replaced where it stands, a new key is added
// at the end of the store's section, or the section is added at the end of the file.
QByteArray withChanges(QByteArray raw, const Changes& changes)
{
    const QByteArray eol = lineEndOf(raw);
    for (const auto& [key, value] : changes) {
        const Parsed p = parse(raw);
        const QString full = kSection + key;
        bool done = false;
        for (qsizetype i = p.entries.size() - 1; i >= 0 && !done; --i) {
            const Entry& e = p.entries[i];
            if (e.section == kSection && e.key == full) {
                raw = raw.left(e.start) + lineOf(key, value) + raw.mid(e.end);
                done = true;
            }
        }
        for (qsizetype i = p.sections.size() - 1; i > 0 && !done; --i) {
            if (p.sections[i].prefix == kSection) {
                const qsizetype at = p.sections[i].lastEnd;
                raw = raw.left(at) + eol + lineOf(key, value) + raw.mid(at);
                done = true;
            }
        }
        if (!done) {
            if (!raw.isEmpty() && !raw.endsWith('\n') && !raw.endsWith('\r'))
                raw += eol;
            raw += "[myplay]" + eol + lineOf(key, value) + eol;
        }
    }
    return raw;
}

// For a file whose last line would take in what is added after it (an open quote, a backslash at its
// end): the changed keys' lines are taken out and written in a section of their own at the end, after
// whatever closes that last line without changing what it says.
QByteArray withChangesAtTheEnd(const QByteArray& raw, const Changes& changes)
{
    QSet<QString> changed;
    for (const auto& [key, value] : changes)
        changed.insert(kSection + key);
    const Parsed p = parse(raw);
    QByteArray kept;
    qsizetype from = 0;
    for (const Entry& e : p.entries) {
        if (e.section != kSection || !changed.contains(e.key))
            continue;
        kept += raw.mid(from, e.start - from);
        from = e.end;
    }
    kept += raw.mid(from);
    const QByteArray eol = lineEndOf(raw);
    QByteArray section = "[myplay]" + eol;
    for (const auto& [key, value] : changes)
        section += lineOf(key, value) + eol;
    for (const QByteArray& closer : {QByteArray(), QByteArray("\""), eol, eol + '"'}) {
        const QByteArray out = kept + closer + eol + section;
        if (readsAs(out, raw, changes))
            return out;
    }
    return QByteArray();
}

// --- The store ---

struct Store {
    bool open = false;
    QHash<QString, QVariant> values;  // what the store's section holds, as read or saved
    Changes unsaved;                  // saved in this run but not on disk yet, in the order saved
};

Store& state()
{
    static Store s;
    return s;
}

Store& store()
{
    Store& s = state();
    if (!s.open) {
        s.open = true;
        QByteArray raw;
        // A file that cannot be read reads as empty.
        if (WholeFile::read(filePath(), &raw))
            s.values = valuesOf(parse(raw));
    }
    return s;
}

FailureHandler& failureHandler()
{
    static FailureHandler h;
    return h;
}

bool& failureTold()
{
    static bool told = false;
    return told;
}

// Writes what was saved and is not on disk yet into the file as it is on disk now, so that what another
// program wrote meanwhile stays; false with the reason in words.
bool writeUnsaved(Store& s, QString* why)
{
    const QString path = filePath();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        *why = QStringLiteral("its folder %1 cannot be made").arg(folder);
        return false;
    }
    // Another program of ours writing at the same time waits for this one; one that holds the lock too
    // long is not waited for.
    QLockFile lock(path + QStringLiteral(".lock"));
    lock.tryLock(2000);
    QByteArray raw;
    if (!WholeFile::read(path, &raw, why)) {
        // A file that is there but cannot be read is not replaced: what it holds would be lost.
        const QFileInfo there(path);
        if (there.exists() || there.isSymLink())
            return false;
        raw.clear();
    }
    QByteArray out = withChanges(raw, s.unsaved);
    if (!readsAs(out, raw, s.unsaved))
        out = withChangesAtTheEnd(raw, s.unsaved);
    if (out.isNull()) {
        *why = QStringLiteral("its lines cannot be read back as they would be written");
        return false;
    }
    // The file holds the screen saver's password: for its owner's eyes only.
    if (!WholeFile::write(path, out, why, WholeFile::Access::OwnerOnly))
        return false;
    s.values = valuesOf(parse(out));
    return true;
}

}  // namespace

void setFailureHandler(FailureHandler handler) { failureHandler() = std::move(handler); }

QString filePath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/zozid.ini");
}

QString GetSetting(const QString& key, const QString& defaultValue)
{
    const QVariant v = store().values.value(key);
    if (!v.isValid())
        return defaultValue;
    // A hand-edited file may hold a value that reads as a list ("a, b"); keep its text.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QStringLiteral(", "));
    return v.toString();
}

void SaveSetting(const QString& key, const QString& value)
{
    Store& s = store();
    s.values.insert(key, value);
    s.unsaved.removeIf([&key](const QPair<QString, QString>& c) { return c.first == key; });
    s.unsaved.append({key, value});
    QString why;
    if (writeUnsaved(s, &why)) {
        s.unsaved.clear();
        return;
    }
    // The values stay in memory, and the next write tries again with all of them.
    if (failureTold())
        return;
    failureTold() = true;
    if (failureHandler())
        failureHandler()(filePath(), why);
}

bool textToFlag(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0)
        return true;
    bool ok = false;
    const double n = t.toDouble(&ok);
    return ok && n != 0.0;
}

bool GetFlag(const QString& key) { return textToFlag(GetSetting(key, QStringLiteral("False"))); }

void SaveFlag(const QString& key, bool value) { SaveSetting(key, flagText(value)); }

long long GetNumber(const QString& key, long long defaultValue)
{
    bool ok = false;
    const QString t = GetSetting(key).trimmed();
    const long long n = t.toLongLong(&ok);
    if (ok)
        return n;
    // A number beyond the range stops at its end; a fraction loses its fractional part.
    const double d = t.toDouble(&ok);
    if (!ok || std::isnan(d))
        return defaultValue;
    if (d >= 0x1p63)
        return std::numeric_limits<long long>::max();
    if (d < -0x1p63)
        return std::numeric_limits<long long>::min();
    return static_cast<long long>(d);
}

void reset()
{
    state() = Store{};
    failureTold() = false;
}

}  // namespace SettingsStore
