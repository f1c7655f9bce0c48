#include "platform/folderentries.h"

#include "platform/textfile.h"

#include <QRegularExpression>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace FolderEntries {
namespace {

enum class Kind { Files, Folders };

QStringList read(const QString& folder, Kind kind, const QStringList& patterns, Hidden hidden)
{
    if (folder.isEmpty())
        return {};
    const QByteArray folderBytes = TextFile::nativePath(folder);
    if (folderBytes.contains('\0'))
        return {};
    const int fd = ::open(folderBytes.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return {};
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return {};
    }
    std::vector<QRegularExpression> match;
    for (const QString& p : patterns)
        if (!p.isEmpty())
            match.emplace_back(QRegularExpression::wildcardToRegularExpression(p),
                               QRegularExpression::CaseInsensitiveOption);
    const bool folderIsUtf8 = folderBytes == folder.toUtf8();
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    const QByteArray prefixBytes = folderBytes.endsWith('/') ? folderBytes : folderBytes + '/';
    QStringList names;
    while (const dirent* e = ::readdir(dir)) {
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        if (n[0] == '.' && (kind == Kind::Folders || hidden == Hidden::Left))
            continue;
        unsigned char type = e->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            struct stat st;
            if (::fstatat(::dirfd(dir), n, &st, 0) != 0)
                continue;  // a dangling link names nothing to list
            type = S_ISREG(st.st_mode) ? DT_REG : S_ISDIR(st.st_mode) ? DT_DIR : DT_UNKNOWN;
        }
        if (type != (kind == Kind::Files ? DT_REG : DT_DIR))
            continue;
        const QByteArray bytes(n);
        const QString name = TextFile::nameText(bytes);
        if (!match.empty() &&
            std::none_of(match.begin(), match.end(), [&](const QRegularExpression& r) { return r.match(name).hasMatch(); }))
            continue;
        if (!folderIsUtf8 || name.toUtf8() != bytes)
            TextFile::remember(prefix + name, prefixBytes + bytes);
        names.append(name);
    }
    ::closedir(dir);
    // Name order with letters compared without regard to case.
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

}  // namespace

QStringList files(const QString& folder, const QStringList& patterns, Hidden hidden)
{
    return read(folder, Kind::Files, patterns, hidden);
}

QStringList folders(const QString& folder) { return read(folder, Kind::Folders, {}, Hidden::Left); }

}  // namespace FolderEntries
