#pragma once
// Small ISO 9660 images made byte by byte: sixteen empty sectors, a primary volume descriptor and the
// set's terminator. Enough for the volume serial number, which is all the drive table reads of a disc.
#include <QByteArray>
#include <QFile>
#include <QString>

namespace IsoImage {

constexpr int kSector = 2048;

inline QByteArray descriptor(quint8 type)
{
    QByteArray d(kSector, '\0');
    d[0] = char(type);
    d.replace(1, 5, "CD001");
    d[6] = 1;  // version
    return d;
}

// A primary volume descriptor with the volume name `label` whose byte sums (byte i to sum i mod 4) come
// to the bytes of `serial`, the first sum being the top byte: the last four bytes of the reserved area
// at the end make up the difference.
inline QByteArray primaryDescriptor(quint32 serial, const QByteArray& label = "DISC")
{
    QByteArray d = descriptor(1);
    d.replace(40, qMin<qsizetype>(label.size(), 32), label.left(32));
    quint8 sum[4] = {0, 0, 0, 0};
    for (int i = 0; i < kSector - 4; ++i)
        sum[i % 4] = quint8(sum[i % 4] + quint8(d[i]));
    for (int k = 0; k < 4; ++k) {
        const quint8 want = quint8(serial >> (24 - 8 * k));
        d[kSector - 4 + k] = char(quint8(want - sum[k]));
    }
    return d;
}

inline QByteArray image(const QByteArray& pvd)
{
    return QByteArray(16 * kSector, '\0') + pvd + descriptor(255);
}

inline bool write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

}  // namespace IsoImage
