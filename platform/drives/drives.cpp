#include "platform/drives/drives.h"

#include "platform/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>

namespace Drives {
namespace {

constexpr int kSector = 2048;

std::optional<QList<Drive>>& testTable()
{
    static std::optional<QList<Drive>> t;
    return t;
}

QString withSlash(const QString& folder)
{
    if (folder.isEmpty())
        return folder;
    QString f = QDir::cleanPath(folder);
    if (!f.endsWith(QLatin1Char('/')))
        f += QLatin1Char('/');
    return f;
}

QString firstLine(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(f.readLine()).trimmed();
}

// Mount points in /proc/self/mountinfo write blanks and a few other bytes as octal escapes.
QString unescape(const QByteArray& field)
{
    QByteArray out;
    for (int i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int v = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(char(v));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return QString::fromLocal8Bit(out);
}

struct Mount {
    QString point;
    QString fsType;
    QString source;
};

// The mounted file systems in mount order.
QList<Mount> mounts()
{
    QList<Mount> out;
    QFile f(QStringLiteral("/proc/self/mountinfo"));
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : f.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            const int dash = int(fields.indexOf(QByteArray("-"), 6));
            if (fields.size() < 5 || dash < 0 || dash + 2 >= fields.size())
                continue;
            out.append({unescape(fields[4]), QString::fromLocal8Bit(fields[dash + 1]),
                        unescape(fields[dash + 2])});
        }
        return out;
    }
    for (const QStorageInfo& s : QStorageInfo::mountedVolumes())
        out.append({s.rootPath(), QString::fromLatin1(s.fileSystemType()), QString::fromLocal8Bit(s.device())});
    return out;
}

// The whole disk a block device (or one of its partitions) belongs to: "sdb1" gives "sdb".
QString diskOf(const QString& name)
{
    const QString sys = QStringLiteral("/sys/class/block/") + name;
    if (QFileInfo::exists(sys + QStringLiteral("/partition")))
        return QFileInfo(QFileInfo(sys).canonicalFilePath()).dir().dirName();
    return name;
}

bool isOpticalDisk(const QString& disk)
{
    // A SCSI peripheral of type 5 is a CD or DVD drive.
    return disk.startsWith(QLatin1String("sr")) ||
           firstLine(QStringLiteral("/sys/block/") + disk + QStringLiteral("/device/type")) == QLatin1String("5");
}

QList<Drive> systemTable()
{
    QList<Drive> out;
    const QString home = QDir::homePath();
    out.append({QLatin1Char('C'), Fixed, withSlash(home), QString::fromLocal8Bit(QStorageInfo(home).device())});
    QSet<QString> seen;
    char letter = 'D';
    auto add = [&](int type, const QString& root, const QString& device) {
        if (letter > 'Z')
            return;
        out.append({QLatin1Char(letter++), type, root, device});
    };
    for (const Mount& m : mounts()) {
        if (!m.source.startsWith(QLatin1String("/dev/")))
            continue;
        const QString canonical = QFileInfo(m.source).canonicalFilePath();
        const QString name = QFileInfo(canonical.isEmpty() ? m.source : canonical).fileName();
        if (seen.contains(name))
            continue;
        const bool isoFs = m.fsType == QLatin1String("iso9660") || m.fsType == QLatin1String("udf");
        const QString disk = diskOf(name);
        int type = Unknown;
        QString device = canonical.isEmpty() ? m.source : canonical;
        if (disk.startsWith(QLatin1String("loop"))) {
            // A disc image mounted through a loop device: the image file is the disc.
            if (!isoFs)
                continue;
            type = CdRom;
            const QString backing = firstLine(QStringLiteral("/sys/block/") + disk + QStringLiteral("/loop/backing_file"));
            if (!backing.isEmpty())
                device = backing;
        } else if (isOpticalDisk(disk) || isoFs) {
            type = CdRom;
        } else if (firstLine(QStringLiteral("/sys/block/") + disk + QStringLiteral("/removable")) == QLatin1String("1")) {
            type = Removable;
        } else {
            continue;
        }
        seen.insert(name);
        add(type, withSlash(m.point), device);
    }
    // Optical drives with no disc mounted still have a letter, as an empty tray does.
    QStringList blocks = QDir(QStringLiteral("/sys/block")).entryList({QStringLiteral("sr*")}, QDir::Dirs | QDir::System);
    blocks.sort();
    for (const QString& b : blocks)
        if (!seen.contains(b))
            add(CdRom, QString(), QStringLiteral("/dev/") + b);
    return out;
}

// The letter a root text names, or a null character.
QChar letterOf(const QString& root)
{
    const QString r = root.trimmed();
    if (r.isEmpty() || !r[0].isLetter() || r[0].unicode() > 127)
        return QChar();
    if (r.size() == 1)
        return r[0].toUpper();
    if (r[1] != QLatin1Char(':'))
        return QChar();
    if (r.size() == 2 || (r.size() == 3 && (r[2] == QLatin1Char('\\') || r[2] == QLatin1Char('/'))))
        return r[0].toUpper();
    return QChar();
}

}  // namespace

QList<Drive> table()
{
    if (testTable())
        return *testTable();
    return systemTable();
}

void setTableForTests(std::optional<QList<Drive>> drives)
{
    if (drives) {
        for (Drive& d : *drives) {
            d.letter = d.letter.toUpper();
            d.root = withSlash(d.root);
        }
    }
    testTable() = std::move(drives);
}

std::optional<Drive> find(const QString& root)
{
    const QList<Drive> drives = table();
    const QChar letter = letterOf(root);
    if (!letter.isNull()) {
        for (const Drive& d : drives)
            if (d.letter == letter)
                return d;
        return std::nullopt;
    }
    const QString folder = withSlash(root);
    if (folder.isEmpty())
        return std::nullopt;
    for (const Drive& d : drives)
        if (!d.root.isEmpty() && d.root == folder)
            return d;
    return std::nullopt;
}

std::optional<Drive> containing(const QString& path)
{
    const QString p = withSlash(path);
    std::optional<Drive> best;
    for (const Drive& d : table())
        if (!d.root.isEmpty() && p.startsWith(d.root) && (!best || d.root.size() > best->root.size()))
            best = d;
    return best;
}

quint32 GetLogicalDrives()
{
    quint32 mask = 0;
    for (const Drive& d : table())
        if (d.letter >= QLatin1Char('A') && d.letter <= QLatin1Char('Z'))
            mask |= 1u << (d.letter.unicode() - 'A');
    return mask;
}

QString folderOf(const QString& letterPath)
{
    if (letterPath.size() < 2 || letterPath[1] != QLatin1Char(':'))
        return QString();
    const std::optional<Drive> d = find(letterPath.left(2));
    if (!d || d->root.isEmpty())
        return QString();
    QString rest = letterPath.mid(2);
    rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (rest.startsWith(QLatin1Char('/')))
        rest.remove(0, 1);
    if (!rest.isEmpty() && !rest.endsWith(QLatin1Char('/')))
        rest += QLatin1Char('/');
    return d->root + rest;
}

QString nativeFolder(const QString& folder)
{
    const QString f = folderOf(folder);
    if (f.isEmpty())
        return folder;
    const QString root = find(folder.left(2))->root;
    return f.size() == root.size() ? root : QDir::cleanPath(f);
}

int GetDriveType(const QString& root)
{
    const std::optional<Drive> d = find(root);
    return d ? d->type : NoRootDir;
}

bool FolderExists(const QString& path) { return !path.isEmpty() && TextFile::isFolder(path); }

quint32 serialOfDescriptor(const QByteArray& descriptor)
{
    quint8 sum[4] = {0, 0, 0, 0};
    const int n = int(qMin<qsizetype>(descriptor.size(), kSector));
    for (int i = 0; i + 3 < n; i += 4)
        for (int k = 0; k < 4; ++k)
            sum[k] = quint8(sum[k] + quint8(descriptor[i + k]));
    return (quint32(sum[0]) << 24) | (quint32(sum[1]) << 16) | (quint32(sum[2]) << 8) | quint32(sum[3]);
}

bool readPrimaryDescriptor(const QString& deviceOrImage, QByteArray* descriptor)
{
    descriptor->clear();
    if (deviceOrImage.isEmpty())
        return false;
    QFile f(deviceOrImage);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    // The volume descriptor set starts at sector 16 and ends with a terminator (type 255).
    for (int sector = 16; sector < 16 + 64; ++sector) {
        if (!f.seek(qint64(sector) * kSector))
            return false;
        const QByteArray block = f.read(kSector);
        if (block.size() != kSector || block.mid(1, 5) != "CD001")
            return false;
        if (quint8(block[0]) == 1) {
            *descriptor = block;
            return true;
        }
        if (quint8(block[0]) == 255)
            return false;
    }
    return false;
}

bool VolumeSerialNumber(const QString& root, quint32* serial)
{
    *serial = 0;
    const std::optional<Drive> d = find(root);
    if (!d)
        return false;
    QByteArray pvd;
    if (readPrimaryDescriptor(d->device, &pvd)) {
        *serial = serialOfDescriptor(pvd);
        return true;
    }
    const std::optional<Toc> toc = readToc(d->device);
    if (!toc)
        return false;
    *serial = serialOfToc(*toc);
    return true;
}

}  // namespace Drives
