#pragma once
// Audio-CD images made at test time: one BIN file of raw CD audio (44.1 kHz, 16-bit, stereo, 2352 bytes
// a frame of 1/75 second) and a CUE sheet naming its tracks. Silence is written as a sparse file, so a
// track may start minutes into the disc at no cost; `tone` writes a 440 Hz tone instead.
#include "platform/drives/drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <QtEndian>

#include <cmath>

namespace CdImage {

constexpr int kFrameBytes = 2352;
constexpr int kFramesPerSecond = 75;

// "mm:ss:ff" of a frame count.
inline QString msf(int frames)
{
    return QString::asprintf("%02d:%02d:%02d", frames / (60 * kFramesPerSecond), frames / kFramesPerSecond % 60,
                             frames % kFramesPerSecond);
}

// Writes `folder`/`name`.bin and `folder`/`name`.cue with one audio track per entry of `trackFrames`
// (each track's length in frames), the first track at the image's start. Returns the CUE sheet's path,
// or the empty text when a file could not be written.
inline QString write(const QString& folder, const QString& name, const QList<int>& trackFrames, bool tone = false)
{
    QDir().mkpath(folder);
    const QString bin = folder + QLatin1Char('/') + name + QStringLiteral(".bin");
    const QString cue = folder + QLatin1Char('/') + name + QStringLiteral(".cue");
    qint64 total = 0;
    for (const int f : trackFrames)
        total += f;
    QFile b(bin);
    if (!b.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    if (tone) {
        QByteArray pcm(int(total * kFrameBytes), '\0');
        for (qint64 i = 0; i < total * kFrameBytes / 4; ++i) {
            const qint16 v = qint16(6000 * std::sin(2 * M_PI * 440 * double(i) / 44100));
            qToLittleEndian(v, pcm.data() + 4 * i);
            qToLittleEndian(v, pcm.data() + 4 * i + 2);
        }
        b.write(pcm);
    } else if (!b.resize(total * kFrameBytes)) {
        return QString();
    }
    b.close();
    QString sheet = QStringLiteral("FILE \"%1\" BINARY\n").arg(QFileInfo(bin).fileName());
    int at = 0;
    for (int t = 0; t < trackFrames.size(); ++t) {
        sheet += QStringLiteral("  TRACK %1 AUDIO\n    INDEX 01 %2\n").arg(t + 1, 2, 10, QLatin1Char('0')).arg(msf(at));
        at += trackFrames[t];
    }
    QFile c(cue);
    if (!c.open(QIODevice::WriteOnly | QIODevice::Truncate) || c.write(sheet.toLatin1()) != sheet.size())
        return QString();
    return cue;
}

// The drive table of a test: C: the folder `c`, and D: an optical drive whose disc is the image
// `folder`/disc.cue, written with `trackFrames` (none for an empty list: the drive's tray is empty).
// Returns the image's CUE sheet path.
inline QString intoDriveD(const QString& folder, const QString& c, const QList<int>& trackFrames, bool tone = false)
{
    const QString cue = folder + QStringLiteral("/disc.cue");
    if (!trackFrames.isEmpty() && write(folder, QStringLiteral("disc"), trackFrames, tone) != cue)
        qFatal("cannot write the disc image in %s", qPrintable(folder));
    QDir().mkpath(c);
    Drives::setTableForTests(QList<Drives::Drive>{{'C', Drives::Fixed, c, {}}, {'D', Drives::CdRom, {}, cue}});
    return cue;
}

}  // namespace CdImage
