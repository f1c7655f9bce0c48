#pragma once
// The header of a Flash movie (.swf): signature, version, length, frame size, rate and count.
#include <QByteArray>
#include <QString>

struct SwfHeader {
    bool ok = false;
    QString error;           // why the header could not be read; empty when ok

    char compression = 0;    // 'F' plain, 'C' zlib, 'Z' LZMA (the signature's first letter)
    int version = 0;
    quint32 fileLength = 0;  // the uncompressed length the header states
    // The frame rectangle in twips (1/20 pixel).
    qint32 xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    double frameRate = 0;    // frames a second
    quint16 frameCount = 0;

    double widthPixels() const { return (xMax - xMin) / 20.0; }
    double heightPixels() const { return (yMax - yMin) / 20.0; }
    QString compressionName() const;
};

// Reads the header from the start of a file's bytes. Never throws; a short, corrupt or foreign file gets
// ok == false and an error text.
SwfHeader readSwfHeader(const QByteArray& bytes);
