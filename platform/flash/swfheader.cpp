#include "platform/flash/swfheader.h"

#include <lzma.h>
#include <zlib.h>

#include <cstring>

namespace {

// The most bytes the part after the 8-byte header can need: a RECT of 5 + 4 * 31 bits (17 bytes), the
// frame rate (2) and the frame count (2).
constexpr int kMaxBodyHeader = 17 + 2 + 2;

quint32 le32(const uchar* p) { return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24; }

// Inflates the start of a zlib stream: at most `want` bytes. Returns what was produced; `error` is set
// when the stream is corrupt.
QByteArray inflateStart(const QByteArray& in, int want, QString* error)
{
    QByteArray out(want, '\0');
    z_stream zs;
    std::memset(&zs, 0, sizeof zs);
    if (inflateInit(&zs) != Z_OK) {
        *error = QStringLiteral("The zlib decoder could not be started.");
        return {};
    }
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
    zs.avail_in = uInt(in.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = uInt(want);
    const int rc = inflate(&zs, Z_SYNC_FLUSH);
    const int produced = want - int(zs.avail_out);
    // Z_BUF_ERROR means the input ran out: a truncated file, which the caller reports by what is missing.
    if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
        *error = QStringLiteral("The zlib-compressed data is corrupt (%1).")
                     .arg(QString::fromLatin1(zs.msg ? zs.msg : "unknown error"));
    inflateEnd(&zs);
    out.truncate(produced);
    return out;
}

// Decodes the start of raw LZMA data given its 5 property bytes: at most `want` bytes.
QByteArray lzmaStart(const QByteArray& props, const QByteArray& data, int want, QString* error)
{
    // The "alone" format is the 5 property bytes, an 8-byte uncompressed size (all ones: unknown) and the
    // raw data, which is exactly what the movie holds once the size is put in.
    QByteArray in = props + QByteArray(8, char(0xFF)) + data;
    // Only the first few bytes are decoded, and they cannot refer back further than themselves, so a
    // small dictionary does: a movie that states a dictionary of gigabytes costs no memory.
    const quint32 dict = le32(reinterpret_cast<const uchar*>(in.constData()) + 1);
    constexpr quint32 kDict = 64 * 1024;
    if (dict > kDict)
        for (int i = 0; i < 4; ++i)
            in[1 + i] = char(kDict >> (8 * i));
    lzma_stream ls = LZMA_STREAM_INIT;
    if (lzma_alone_decoder(&ls, 64 * 1024 * 1024) != LZMA_OK) {
        *error = QStringLiteral("The LZMA decoder could not be started.");
        return {};
    }
    QByteArray out(want, '\0');
    ls.next_in = reinterpret_cast<const uint8_t*>(in.constData());
    ls.avail_in = size_t(in.size());
    ls.next_out = reinterpret_cast<uint8_t*>(out.data());
    ls.avail_out = size_t(want);
    lzma_ret rc = LZMA_OK;
    while (ls.avail_out > 0 && ls.avail_in > 0 && rc == LZMA_OK)
        rc = lzma_code(&ls, LZMA_RUN);
    const int produced = want - int(ls.avail_out);
    lzma_end(&ls);
    if (rc != LZMA_OK && rc != LZMA_STREAM_END && rc != LZMA_BUF_ERROR)
        *error = QStringLiteral("The LZMA-compressed data is corrupt.");
    out.truncate(produced);
    return out;
}

// Reads bits most significant first.
class BitReader {
public:
    BitReader(const QByteArray& b) : b_(b) {}
    bool has(int bits) const { return pos_ + bits <= qint64(b_.size()) * 8; }
    quint32 ubits(int n)
    {
        quint32 v = 0;
        for (int i = 0; i < n; ++i, ++pos_)
            v = v << 1 | ((uchar(b_[int(pos_ / 8)]) >> (7 - pos_ % 8)) & 1);
        return v;
    }
    qint32 sbits(int n)
    {
        if (n == 0)
            return 0;
        const quint32 v = ubits(n);
        if (v & (1u << (n - 1)))  // sign-extend
            return qint32(v | ~((n == 32 ? 0u : (1u << n)) - 1));
        return qint32(v);
    }
    int bytePos() const { return int((pos_ + 7) / 8); }

private:
    const QByteArray& b_;
    qint64 pos_ = 0;
};

}  // namespace

QString SwfHeader::compressionName() const
{
    switch (compression) {
    case 'F': return QStringLiteral("none");
    case 'C': return QStringLiteral("zlib");
    case 'Z': return QStringLiteral("LZMA");
    }
    return QString();
}

SwfHeader readSwfHeader(const QByteArray& bytes)
{
    SwfHeader h;
    if (bytes.isEmpty()) {
        h.error = QStringLiteral("The file is empty.");
        return h;
    }
    const bool sigOk = bytes.size() >= 3 && bytes.mid(1, 2) == "WS"
        && (bytes[0] == 'F' || bytes[0] == 'C' || bytes[0] == 'Z');
    if (!sigOk) {
        // A prefix of a signature is a truncated movie; anything else is not a movie.
        const bool prefix = (bytes[0] == 'F' || bytes[0] == 'C' || bytes[0] == 'Z') && (bytes.size() < 2 || bytes[1] == 'W');
        h.error = prefix && bytes.size() < 3 ? QStringLiteral("The file is truncated: it ends inside the signature.")
                                             : QStringLiteral("This is not a Flash movie: it does not start with FWS, CWS or ZWS.");
        return h;
    }
    h.compression = bytes[0];
    if (bytes.size() < 8) {
        h.error = QStringLiteral("The file is truncated: it ends inside the 8-byte header.");
        return h;
    }
    const auto* u = reinterpret_cast<const uchar*>(bytes.constData());
    h.version = u[3];
    h.fileLength = le32(u + 4);

    QByteArray body;
    QString err;
    if (h.compression == 'F') {
        body = bytes.mid(8, kMaxBodyHeader);
    } else if (h.compression == 'C') {
        body = inflateStart(bytes.mid(8), kMaxBodyHeader, &err);
    } else {
        if (bytes.size() < 17) {
            h.error = QStringLiteral("The file is truncated: it ends inside the LZMA header.");
            return h;
        }
        body = lzmaStart(bytes.mid(12, 5), bytes.mid(17), kMaxBodyHeader, &err);
    }

    BitReader br(body);
    if (!br.has(5)) {
        h.error = err.isEmpty() ? QStringLiteral("The file is truncated: it ends before the frame size.") : err;
        return h;
    }
    const int nbits = int(br.ubits(5));
    if (!br.has(4 * nbits)) {
        h.error = err.isEmpty() ? QStringLiteral("The file is truncated: it ends inside the frame size.") : err;
        return h;
    }
    h.xMin = br.sbits(nbits);
    h.xMax = br.sbits(nbits);
    h.yMin = br.sbits(nbits);
    h.yMax = br.sbits(nbits);
    const int at = br.bytePos();
    if (body.size() < at + 4) {
        h.error = err.isEmpty() ? QStringLiteral("The file is truncated: it ends before the frame rate and count.") : err;
        return h;
    }
    const auto* b = reinterpret_cast<const uchar*>(body.constData()) + at;
    h.frameRate = b[1] + b[0] / 256.0;  // 8.8 fixed point, little-endian
    h.frameCount = quint16(b[2] | b[3] << 8);
    h.ok = true;
    return h;
}
