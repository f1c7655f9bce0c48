#pragma once
// A small disk of its own: a tmpfs mounted on a folder for the life of the object, which a test fills so
// that the next write finds no room, as on a user's full disk.
//
//   SmallDisk disk(env.home());
//   if (!disk.mounted())
//       QSKIP(qPrintable(disk.whyNot()));
//   QVERIFY(disk.fill());           // not one block left
//   ... write, and look at what is on disk ...
#include <QString>

class SmallDisk {
public:
    // The size of a block of the disk: the least a file that holds anything takes.
    static constexpr qint64 BlockSize = 4096;

    // Mounts a disk of `kib` KiB on `folder` (made when missing). What the folder held is hidden while
    // the disk is there.
    explicit SmallDisk(const QString& folder, int kib = 256);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    // Why the disk could not be mounted, in words.
    QString whyNot() const { return whyNot_; }

    // Fills the disk with a file of its own so that exactly `freeBlocks` blocks stay free.
    bool fill(int freeBlocks = 0);
    // Removes that file again.
    void drain();
    // The blocks free now.
    qint64 freeBlocks() const;

private:
    QString folder_;
    QString filler_;
    bool mounted_ = false;
    QString whyNot_;
};
