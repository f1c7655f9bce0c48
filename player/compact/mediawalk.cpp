#include "player/compact/mediawalk.h"

#include "platform/textfile.h"

#include <QMutexLocker>

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr size_t npos = size_t(-1);

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// The position after the character that starts at `i`: a whole UTF-8 sequence for bytes, one unit for
// QChars.
size_t nextChar(const char* s, size_t n, size_t i)
{
    ++i;
    while (i < n && (quint8(s[i]) & 0xC0) == 0x80)
        ++i;
    return i;
}
size_t nextChar(const QChar*, size_t, size_t i) { return i + 1; }

bool sameChar(char pattern, char c) { return pattern == lowerAscii(c); }
bool sameChar(QChar pattern, QChar c) { return pattern == c; }

// "*" and "?" against a name, backtracking to the last "*" on a mismatch. `p` is the lower-case (or
// folded) pattern.
template <class C>
bool glob(const C* p, size_t pn, const C* s, size_t sn)
{
    size_t pi = 0, si = 0, starP = npos, starS = 0;
    while (si < sn) {
        if (pi < pn && p[pi] == C('*')) {
            starP = pi++;
            starS = si;
        } else if (pi < pn && p[pi] == C('?')) {
            ++pi;
            si = nextChar(s, sn, si);
        } else if (pi < pn && sameChar(p[pi], s[si])) {
            ++pi;
            ++si;
        } else if (starP != npos) {
            pi = starP + 1;
            starS = nextChar(s, sn, starS);
            si = starS;
        } else {
            return false;
        }
    }
    while (pi < pn && p[pi] == C('*'))
        ++pi;
    return pi == pn;
}

// The pattern as given, and without a trailing ".*" (which also matches a name with no extension).
template <class C>
bool globWithExtension(const C* p, size_t pn, const C* s, size_t sn)
{
    if (glob(p, pn, s, sn))
        return true;
    return pn >= 2 && p[pn - 2] == C('.') && p[pn - 1] == C('*') && glob(p, pn - 2, s, sn);
}

struct Entry {
    std::string name;
    bool folder;
};

bool isDots(const char* n) { return n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)); }

// Name order with letters compared without regard to case; "." and ".." first.
bool nameOrder(const Entry& a, const Entry& b)
{
    const bool da = isDots(a.name.c_str()), db = isDots(b.name.c_str());
    if (da != db)
        return da;
    const size_t n = std::min(a.name.size(), b.name.size());
    for (size_t i = 0; i < n; ++i) {
        const char x = lowerAscii(a.name[i]), y = lowerAscii(b.name[i]);
        if (x != y)
            return quint8(x) < quint8(y);
    }
    if (a.name.size() != b.name.size())
        return a.name.size() < b.name.size();
    return a.name < b.name;
}

}  // namespace

Wildcard::Wildcard(const QString& pattern)
{
    for (QChar c : pattern)
        ascii_ = ascii_ && c.unicode() < 128;
    if (ascii_) {
        bytes_ = pattern.toLatin1().toStdString();
        for (char& c : bytes_)
            c = lowerAscii(c);
    } else {
        folded_ = pattern.toCaseFolded();
    }
}

bool Wildcard::matches(const char* name, size_t length) const
{
    if (ascii_)
        return globWithExtension(bytes_.data(), bytes_.size(), name, length);
    return matches(TextFile::nameText(QByteArrayView(name, qsizetype(length))));
}

bool Wildcard::matches(const QString& name) const
{
    if (ascii_) {
        const QByteArray utf8 = name.toUtf8();
        return matches(utf8.constData(), size_t(utf8.size()));
    }
    const QString n = name.toCaseFolded();
    return globWithExtension(folded_.constData(), size_t(folded_.size()), n.constData(), size_t(n.size()));
}

MediaWalk::~MediaWalk()
{
    stop();
    wait();
}

void MediaWalk::wait()
{
    if (thread_.joinable())
        thread_.join();
}

void MediaWalk::start(const QStringList& roots, const QString& pattern, Mode mode)
{
    stop();
    wait();
    stop_ = false;
    running_ = true;
    folders_ = 0;
    files_ = 0;
    std::vector<Root> native;
    for (const QString& r : roots)
        native.push_back({TextFile::nativePath(r).toStdString(), r});
    thread_ = std::thread(&MediaWalk::run, this, std::move(native), Wildcard(pattern), mode);
}

QStringList MediaWalk::takeMatches()
{
    QList<Foreign> foreign;
    QStringList matches;
    {
        QMutexLocker lock(&mutex_);
        matches = std::exchange(pending_, QStringList());
        foreign = std::exchange(pendingForeign_, QList<Foreign>());
    }
    for (const Foreign& f : foreign)
        TextFile::remember(f.text, f.bytes);
    return matches;
}

QString MediaWalk::folder() const
{
    QMutexLocker lock(&mutex_);
    return folder_;
}

void MediaWalk::publish(QStringList& batch, QList<Foreign>& foreign)
{
    if (batch.isEmpty())
        return;
    QMutexLocker lock(&mutex_);
    if (pending_.isEmpty())
        pending_.swap(batch);
    else
        pending_.append(batch);
    pendingForeign_.append(foreign);
    batch.clear();
    foreign.clear();
}

void MediaWalk::run(std::vector<Root> roots, Wildcard pattern, Mode mode)
{
    // Folders are known by device and inode, so a folder reached again through a link or a second
    // mount is not walked again.
    std::set<std::pair<dev_t, ino_t>> walked;
    std::vector<Entry> entries;
    QStringList batch;
    QList<Foreign> foreign;
    // A folder in its bytes and in the text it is shown by; `utf8` when the bytes are the text's UTF-8.
    struct Pending {
        std::string path;
        QString text;
        bool utf8;
        bool root;
    };
    for (const Root& root : roots) {
        std::vector<Pending> stack{{root.bytes, root.text, root.text.toUtf8().toStdString() == root.bytes, true}};
        while (!stack.empty() && !stop_.load(std::memory_order_relaxed)) {
            const Pending here = std::move(stack.back());
            stack.pop_back();
            {
                QMutexLocker lock(&mutex_);
                folder_ = here.text;
            }
            const int fd = ::open(here.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd < 0)
                continue;  // gone, or not ours to read
            struct stat st;
            if (::fstat(fd, &st) != 0 || !walked.insert({st.st_dev, st.st_ino}).second) {
                ::close(fd);
                continue;
            }
            DIR* dir = ::fdopendir(fd);
            if (!dir) {
                ::close(fd);
                continue;
            }
            entries.clear();
            while (const dirent* e = ::readdir(dir)) {
                if (here.root && isDots(e->d_name))
                    continue;
                bool folder = e->d_type == DT_DIR;
                if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
                    struct stat target;
                    folder = ::fstatat(::dirfd(dir), e->d_name, &target, 0) == 0 && S_ISDIR(target.st_mode);
                }
                entries.push_back({e->d_name, folder});
            }
            ::closedir(dir);
            std::sort(entries.begin(), entries.end(), nameOrder);

            if (mode == CountEntries) {
                qint64 nFolders = 0, nFiles = 0;
                for (const Entry& e : entries) {
                    if (isDots(e.name.c_str()))
                        continue;
                    ++(e.folder ? nFolders : nFiles);
                }
                folders_ += nFolders;
                files_ += nFiles;
            } else {
                for (const Entry& e : entries) {
                    if (stop_.load(std::memory_order_relaxed))
                        break;
                    if (!pattern.matches(e.name.data(), e.name.size()))
                        continue;
                    // Each name is read on its own: a folder in UTF-8 may hold a name in the old code page.
                    bool utf8 = true;
                    const QByteArrayView name(e.name.data(), qsizetype(e.name.size()));
                    batch.append(here.text + TextFile::nameText(name, &utf8));
                    if (!utf8 || !here.utf8)
                        foreign.append({batch.last(), QByteArray::fromStdString(here.path + e.name)});
                    if (batch.size() >= 4096)
                        publish(batch, foreign);
                }
                publish(batch, foreign);
            }
            for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
                if (it->folder && it->name[0] != '.') {
                    bool utf8 = true;
                    const QByteArrayView name(it->name.data(), qsizetype(it->name.size()));
                    const QString text = here.text + TextFile::nameText(name, &utf8) + QLatin1Char('/');
                    stack.push_back({here.path + it->name + '/', text, utf8 && here.utf8, false});
                }
            }
        }
    }
    running_ = false;
    emit finished();
}
