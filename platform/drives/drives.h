#pragma once
// The drive table: drive letters standing for the folders where volumes are mounted, their types, the
// folder test and the volume serial number of a disc.
//
// By default C: is the user's home folder, then D:, E:, ... the mounted removable and optical volumes in
// mount order, then the optical drives that hold no mounted disc (no root folder, like an empty tray).
// Tests set a table of their own: an optical "drive" is then a folder and the image file of its disc.
#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace Drives {

// Drive types by the values the windows compare with.
enum Type { Unknown = 0, NoRootDir = 1, Removable = 2, Fixed = 3, Remote = 4, CdRom = 5, RamDisk = 6 };

struct Drive {
    QChar letter;    // 'C' .. 'Z', upper case
    int type = Unknown;
    QString root;    // the folder holding the drive's files, ending in "/"; empty when no volume is mounted
    QString device;  // the block device (/dev/sr0) or the image file of the volume; may be empty
};

// The drives in letter order.
QList<Drive> table();

// Tests: the table to use instead of the system's (letters are taken as given, roots get their trailing
// "/"); std::nullopt goes back to the system's.
void setTableForTests(std::optional<QList<Drive>> drives);

// The drive a text names: a letter root ("D:\", "d:", "D:/", "D") or a drive's root folder (with or
// without its trailing "/").
std::optional<Drive> find(const QString& root);
// The drive whose root folder holds `path` (the longest root that is a prefix of it).
std::optional<Drive> containing(const QString& path);

// The logical-drive mask: bit 0 for A:, bit 1 for B:, ... one bit for every drive of the table.
quint32 GetLogicalDrives();

// The folder a drive-letter path names: "C:\Music\" (or "c:/Music", "C:") becomes the C: drive's root
// folder followed by "Music/", always ending in "/". Empty when the text names no drive letter, or its
// drive has no volume.
QString folderOf(const QString& letterPath);

// A folder written with a drive letter ("c:\", "C:\Pictures\Holiday", "d:") as the drive table's folder:
// the drive's root folder followed by the rest, with "/" separators. Any other text, and a folder on a
// drive that is not in the table or holds no volume, comes back unchanged.
QString nativeFolder(const QString& folder);

// The drive type of `root` (as find() reads it), or NoRootDir when no drive answers to it.
int GetDriveType(const QString& root);

// Whether `path` names an existing folder, by the bytes of its name (TextFile::nativePath). The empty
// text is no folder.
bool FolderExists(const QString& path);

// The volume serial number of a 2048-byte ISO 9660 primary volume descriptor, computed as the original
// platform does: four running byte sums modulo 256, byte i going to sum i mod 4; the first sum is the
// serial's top byte.
quint32 serialOfDescriptor(const QByteArray& descriptor);

// Reads the primary volume descriptor (type 1, "CD001") of a device or image file, looking from sector 16
// (2048-byte sectors) to the set's terminator. False when there is none or the file cannot be read.
bool readPrimaryDescriptor(const QString& deviceOrImage, QByteArray* descriptor);

// The table of contents of a disc: where its tracks start and where the last one ends, in frames of
// 1/75 second counted as the drive's minute:second:frame addresses count them (the first track of a
// disc usually starts at 150, that is 00:02:00).
struct Toc {
    int firstTrack = 1;  // the number of the first track
    QList<int> starts;   // the start of each track, in track order
    int leadOut = 0;     // the end of the last track
    int trackCount() const { return int(starts.size()); }
    bool operator==(const Toc&) const = default;
};

// Reads the table of contents of a drive or a disc image (a CUE sheet, or its BIN file) through libcdio.
// std::nullopt when there is no disc, no such file, or no track on it.
std::optional<Toc> readToc(const QString& deviceOrImage);

// The volume serial number the original platform gives an audio disc, which has no volume descriptor:
// the sum of the tracks' start addresses, each written as 0x00MMSSFF, plus the disc's length in frames
// when it has fewer than three tracks.
quint32 serialOfToc(const Toc& toc);

// The volume serial number of the disc in the drive `root` names: from its ISO 9660 volume, else, for an
// audio disc, from its table of contents. False (and 0) when there is no such drive, no disc, or neither.
bool VolumeSerialNumber(const QString& root, quint32* serial);

}  // namespace Drives
