#include "platform/wholefile.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace WholeFile {
namespace {

QString words(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

bool fail(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return false;
}

// Why a file of this kind is not read or replaced; empty for a regular file.
QString notRegular(const struct stat& st)
{
    if (S_ISREG(st.st_mode))
        return QString();
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("a folder of that name stands in its place");
    return QStringLiteral("it is not a regular file");
}

int openRetrying(const char* name, int flags, mode_t mode = 0)
{
    int fd;
    do
        fd = ::open(name, flags, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// Writes all of `size` bytes, however many calls it takes; false with errno set on failure.
bool writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

// The path a write replaces: a symbolic link's final target, so that the link stays a link.
QByteArray finalName(const QByteArray& name)
{
    struct stat st;
    if (::lstat(name.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return name;
    char* real = ::realpath(name.constData(), nullptr);
    if (!real)
        return name;  // a dangling link is replaced by the file
    const QByteArray target(real);
    std::free(real);
    return target;
}

// A name for the new file beside `base` that nobody else uses: "." + the name + a random tail, cut so
// that it stays within the longest name a folder takes.
QByteArray partName(const QByteArray& folder, const QByteArray& base)
{
    static constexpr char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray tail(".part-");
    for (int i = 0; i < 8; ++i)
        tail += digits[QRandomGenerator::global()->bounded(int(sizeof digits - 1))];
    return folder + '.' + base.left(NAME_MAX - 1 - tail.size()) + tail;
}

}  // namespace

bool read(const QString& path, QByteArray* bytes, QString* error)
{
    return readName(QFile::encodeName(path), bytes, error);
}

bool readName(const QByteArray& name, QByteArray* bytes, QString* error)
{
    bytes->clear();
    if (name.isEmpty() || name.contains('\0'))
        return fail(error, QStringLiteral("no file has that name"));
    // Looked at first, so that a device is not even opened (some do things when opened), and again once
    // open: the name may have been given to another file meanwhile. Opened without waiting, so that a
    // named pipe with nobody writing to it cannot hold the caller.
    struct stat st;
    if (::stat(name.constData(), &st) != 0)
        return fail(error, words(errno));
    if (const QString why = notRegular(st); !why.isEmpty())
        return fail(error, why);
    const int fd = openRetrying(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return fail(error, words(errno));
    QString why;
    if (::fstat(fd, &st) != 0)
        why = words(errno);
    else
        why = notRegular(st);
    QByteArray out;
    if (why.isEmpty()) {
        if (st.st_size > 0 && st.st_size < qint64(INT_MAX))
            out.reserve(qsizetype(st.st_size));
        char chunk[65536];
        for (;;) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                why = words(errno);
                break;
            }
            if (n == 0)
                break;
            out.append(chunk, qsizetype(n));
        }
    }
    ::close(fd);
    if (!why.isEmpty())
        return fail(error, why);
    *bytes = std::move(out);
    return true;
}

bool write(const QString& path, const QByteArray& bytes, QString* error, Access access)
{
    return writeName(QFile::encodeName(path), bytes, error, access);
}

bool writeName(const QByteArray& name, const QByteArray& bytes, QString* error, Access access)
{
    if (name.isEmpty() || name.contains('\0'))
        return fail(error, QStringLiteral("no file can have that name"));
    const QByteArray target = finalName(name);
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray() : target.left(slash + 1);
    const QByteArray base = target.mid(slash + 1);
    const QString folderName = folder.isEmpty() ? QStringLiteral(".") : QFile::decodeName(folder);
    if (base.isEmpty())
        return fail(error, QStringLiteral("a folder of that name stands in its place"));

    // What is there now decides the new file's permissions, or refuses the write.
    struct stat old;
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        return fail(error, words(errno));
    mode_t mode = access == Access::OwnerOnly ? 0600 : 0666;
    if (exists) {
        if (const QString why = notRegular(old); !why.isEmpty())
            return fail(error, why);
        if (::access(target.constData(), W_OK) != 0)
            return fail(error, errno == EROFS ? words(errno) : QStringLiteral("the file is read-only"));
        mode = old.st_mode & 07777;
        if (access == Access::OwnerOnly)
            mode &= ~mode_t(077);
    }

    // A new file is made with its own permissions (the creation mask applies); one that replaces a file
    // is made for its owner alone and given the old file's permissions before anything is written.
    QByteArray part;
    int fd = -1;
    for (int tries = 0; fd < 0 && tries < 100; ++tries) {
        part = partName(folder, base);
        fd = openRetrying(part.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : mode);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT)
            return fail(error, QStringLiteral("its folder %1 does not exist").arg(folderName));
        if (err == EACCES || err == EPERM)
            return fail(error, QStringLiteral("its folder %1 may not be written").arg(folderName));
        return fail(error, words(err));
    }
    auto undo = [&](int err) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(part.constData());
        return fail(error, words(err));
    };
    if (exists) {
        if (::fchmod(fd, mode) != 0)
            return undo(errno);
        // Written for another user (by the superuser): the file stays theirs. Where that is not
        // permitted, it becomes the writer's, as any new file does.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
            (void)!::fchown(fd, old.st_uid, old.st_gid);
    }
    if (!writeAll(fd, bytes.constData(), size_t(bytes.size())))
        return undo(errno);
    // The bytes are on the disk, not only handed to the system, before the old file goes.
    if (::fsync(fd) != 0)
        return undo(errno);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0 && errno != EINTR)
        return undo(errno);
    if (::rename(part.constData(), target.constData()) != 0)
        return undo(errno);
    // The new name itself is on the disk once the folder is. The new file is whole and in place by now,
    // so a folder that cannot be synced (a file system that does not sync folders) fails nothing.
    const int dir = openRetrying(folder.isEmpty() ? "." : folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        if (::fsync(dir) != 0 && errno != EINVAL && errno != EROFS)
            qWarning("PellumPlayer: the folder of %s could not be synced: %s", target.constData(), std::strerror(errno));
        ::close(dir);
    }
    return true;
}

bool copy(const QString& from, const QString& to, QString* error)
{
    QByteArray bytes;
    if (!read(from, &bytes, error))
        return false;
    return write(to, bytes, error);
}

}  // namespace WholeFile
