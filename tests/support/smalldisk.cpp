#include "tests/support/smalldisk.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

SmallDisk::SmallDisk(const QString& folder, int kib) : folder_(folder), filler_(folder + QStringLiteral("/.filler"))
{
    QDir().mkpath(folder);
    const QByteArray options = "size=" + QByteArray::number(kib) + "k,mode=0755";
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) == 0) {
        mounted_ = true;
        return;
    }
    whyNot_ = QStringLiteral("a small disk cannot be mounted here (%1): the test needs the right to mount "
                             "a tmpfs, as the superuser has")
                  .arg(QString::fromLocal8Bit(std::strerror(errno)));
}

SmallDisk::~SmallDisk()
{
    if (mounted_)
        ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
}

qint64 SmallDisk::freeBlocks() const
{
    struct statvfs st;
    if (::statvfs(QFile::encodeName(folder_).constData(), &st) != 0)
        return -1;
    return qint64(st.f_bavail) * qint64(st.f_frsize) / BlockSize;
}

bool SmallDisk::fill(int freeBlocks)
{
    if (!mounted_)
        return false;
    const QByteArray name = QFile::encodeName(filler_);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    // Block by block until the disk is full, then as many blocks given back as are to stay free.
    const QByteArray block(int(BlockSize), 'x');
    while (::write(fd, block.constData(), size_t(block.size())) == block.size()) {
    }
    const off_t size = ::lseek(fd, 0, SEEK_END);
    bool ok = errno == ENOSPC || errno == EFBIG;
    const off_t keep = (size / BlockSize - freeBlocks) * BlockSize;
    ok = ok && keep >= 0 && ::ftruncate(fd, keep) == 0 && ::fsync(fd) == 0;
    ::close(fd);
    return ok && this->freeBlocks() == freeBlocks;
}

void SmallDisk::drain() { QFile::remove(filler_); }
