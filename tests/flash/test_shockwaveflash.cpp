// The Flash stand-in: movie headers the tests build byte by byte (plain, zlib and LZMA), truncated and
// corrupt ones, and the panel on real files.
#include "platform/flash/shockwaveflash.h"
#include "tests/support/testenv.h"

#include <QtTest>

#include <lzma.h>
#include <zlib.h>

namespace {

struct Rect {
    int nbits;
    qint32 xMin, xMax, yMin, yMax;
};

// Writes bits most significant first.
QByteArray rectBytes(const Rect& r)
{
    QByteArray out;
    int bit = 0;
    auto put = [&](quint32 v, int n) {
        for (int i = n - 1; i >= 0; --i, ++bit) {
            if (bit % 8 == 0)
                out.append('\0');
            if ((v >> i) & 1)
                out[out.size() - 1] = char(uchar(out.back()) | (0x80 >> (bit % 8)));
        }
    };
    put(quint32(r.nbits), 5);
    for (qint32 v : {r.xMin, r.xMax, r.yMin, r.yMax})
        put(quint32(v) & (r.nbits == 32 ? 0xFFFFFFFFu : ((1u << r.nbits) - 1)), r.nbits);
    return out;
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char(v >> (8 * i));
    return b;
}

// The part after the 8-byte header: frame size, frame rate (8.8), frame count, then `tail`.
QByteArray body(const Rect& r, quint16 rate88, quint16 frames, const QByteArray& tail = {})
{
    QByteArray b = rectBytes(r);
    b.append(char(rate88 & 0xFF)).append(char(rate88 >> 8));
    b.append(char(frames & 0xFF)).append(char(frames >> 8));
    return b + tail;
}

QByteArray zlibCompress(const QByteArray& in)
{
    uLongf n = compressBound(uLong(in.size()));
    QByteArray out(int(n), '\0');
    if (compress(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(in.constData()), uLong(in.size())) != Z_OK)
        qFatal("compress failed");
    out.truncate(int(n));
    return out;
}

// The LZMA properties (5 bytes) and raw data of `in`, from the "alone" encoder's output.
QByteArray lzmaPropsAndData(const QByteArray& in)
{
    lzma_options_lzma opt;
    lzma_lzma_preset(&opt, 6);
    lzma_stream ls = LZMA_STREAM_INIT;
    if (lzma_alone_encoder(&ls, &opt) != LZMA_OK)
        qFatal("lzma encoder failed");
    QByteArray out(in.size() + 1024, '\0');
    ls.next_in = reinterpret_cast<const uint8_t*>(in.constData());
    ls.avail_in = size_t(in.size());
    ls.next_out = reinterpret_cast<uint8_t*>(out.data());
    ls.avail_out = size_t(out.size());
    lzma_ret rc;
    while ((rc = lzma_code(&ls, LZMA_FINISH)) == LZMA_OK) {}
    if (rc != LZMA_STREAM_END)
        qFatal("lzma encode failed");
    out.truncate(int(out.size() - ls.avail_out));
    lzma_end(&ls);
    return out.left(5) + out.mid(13);  // drop the 8-byte uncompressed size
}

QByteArray movie(char kind, int version, const QByteArray& b)
{
    const quint32 len = quint32(8 + b.size());
    QByteArray h = QByteArray(1, kind) + "WS" + QByteArray(1, char(version)) + le32(len);
    if (kind == 'F')
        return h + b;
    if (kind == 'C')
        return h + zlibCompress(b);
    const QByteArray pd = lzmaPropsAndData(b);
    return h + le32(quint32(pd.size() - 5)) + pd;
}

}  // namespace

class ShockwaveFlashTest : public QObject {
    Q_OBJECT
    TestEnv env;

private slots:
    void readsHeaders_data()
    {
        QTest::addColumn<char>("kind");
        QTest::addColumn<int>("nbits");
        QTest::addColumn<int>("xMin");
        QTest::addColumn<int>("xMax");
        QTest::addColumn<int>("yMin");
        QTest::addColumn<int>("yMax");
        QTest::addColumn<int>("rate88");
        QTest::addColumn<int>("frames");
        QTest::addColumn<QByteArray>("tail");
        const QByteArray tags(300, 'x');
        for (char k : {'F', 'C', 'Z'}) {
            const QByteArray n(1, k);
            QTest::newRow(n + "WS 550x400 24fps") << k << 15 << 0 << 11000 << 0 << 8000 << 0x1800 << 120 << QByteArray();
            QTest::newRow(n + "WS negative origin") << k << 16 << -200 << 12800 << -20 << 9580 << 0x0C80 << 65535 << tags;
            QTest::newRow(n + "WS zero bits") << k << 0 << 0 << 0 << 0 << 0 << 0x0100 << 1 << tags;
            QTest::newRow(n + "WS 31 bits") << k << 31 << -1000000000 << 1000000000 << 7 << 8 << 0xFFFF << 0 << tags;
        }
    }
    void readsHeaders()
    {
        QFETCH(char, kind);
        QFETCH(int, nbits);
        QFETCH(int, xMin);
        QFETCH(int, xMax);
        QFETCH(int, yMin);
        QFETCH(int, yMax);
        QFETCH(int, rate88);
        QFETCH(int, frames);
        QFETCH(QByteArray, tail);
        const QByteArray b = body({nbits, xMin, xMax, yMin, yMax}, quint16(rate88), quint16(frames), tail);
        const QByteArray m = movie(kind, 10, b);
        const SwfHeader h = readSwfHeader(m);
        QVERIFY2(h.ok, qPrintable(h.error));
        QVERIFY(h.error.isEmpty());
        QCOMPARE(h.compression, kind);
        QCOMPARE(h.version, 10);
        QCOMPARE(h.fileLength, quint32(8 + b.size()));
        QCOMPARE(h.xMin, xMin);
        QCOMPARE(h.xMax, xMax);
        QCOMPARE(h.yMin, yMin);
        QCOMPARE(h.yMax, yMax);
        QCOMPARE(h.widthPixels(), (xMax - xMin) / 20.0);
        QCOMPARE(h.heightPixels(), (yMax - yMin) / 20.0);
        QCOMPARE(h.frameRate, (rate88 >> 8) + (rate88 & 0xFF) / 256.0);
        QCOMPARE(int(h.frameCount), frames);
    }

    // A stated LZMA dictionary of 4 GiB reads like any other (and allocates nothing of that size).
    void lzmaHugeDictionary()
    {
        const QByteArray b = body({15, 0, 11000, 0, 8000}, 0x1800, 10, QByteArray(500, 'y'));
        QByteArray m = movie('Z', 13, b);
        for (int i = 13; i < 17; ++i)
            m[i] = char(0xFF);
        const SwfHeader h = readSwfHeader(m);
        QVERIFY2(h.ok, qPrintable(h.error));
        QCOMPARE(h.xMax, 11000);
        QCOMPARE(h.frameCount, quint16(10));
    }

    // Every prefix of a movie either gives the right header or an error text, and a prefix that stops
    // before the header's last byte always gives an error.
    void truncatedAtEveryLength_data()
    {
        QTest::addColumn<char>("kind");
        QTest::newRow("FWS") << 'F';
        QTest::newRow("CWS") << 'C';
        QTest::newRow("ZWS") << 'Z';
    }
    void truncatedAtEveryLength()
    {
        QFETCH(char, kind);
        const QByteArray b = body({15, 0, 11000, 0, 8000}, 0x1E00, 300);
        const QByteArray m = movie(kind, 9, b);
        const SwfHeader full = readSwfHeader(m);
        QVERIFY(full.ok);
        const int fixed = kind == 'Z' ? 17 : 8;
        int failures = 0;
        for (int n = 0; n < m.size(); ++n) {
            const SwfHeader h = readSwfHeader(m.left(n));
            if (h.ok) {
                QVERIFY2(n >= fixed, qPrintable(QString::number(n)));
                QCOMPARE(h.xMax, full.xMax);
                QCOMPARE(h.yMax, full.yMax);
                QCOMPARE(h.frameCount, full.frameCount);
                QCOMPARE(h.frameRate, full.frameRate);
            } else {
                QVERIFY2(!h.error.isEmpty(), qPrintable(QString::number(n)));
                ++failures;
            }
            if (kind == 'F' && n < 8 + b.size())
                QVERIFY2(!h.ok, qPrintable(QString::number(n)));
        }
        QVERIFY(failures >= fixed);
    }

    void rejectsBadInput_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("errorPart");
        QTest::newRow("empty") << QByteArray() << "empty";
        QTest::newRow("text") << QByteArray("Hello, this is a text file.\n") << "not a Flash movie";
        QTest::newRow("png") << QByteArray("\x89PNG\r\n\x1a\n", 8) << "not a Flash movie";
        QTest::newRow("lower case") << QByteArray("fws\x0a\x10\0\0\0", 8) << "not a Flash movie";
        QTest::newRow("half signature") << QByteArray("CW") << "truncated";
        QTest::newRow("zlib garbage") << QByteArray("CWS\x0a\x40\0\0\0", 8) + QByteArray(40, char(0xFF)) << "corrupt";
        QTest::newRow("lzma bad properties") << QByteArray("ZWS\x0d\x40\0\0\0\x10\0\0\0", 12) + QByteArray(40, char(0xFF)) << "corrupt";
        QTest::newRow("lzma header only") << QByteArray("ZWS\x0d\x40\0\0\0\x10\0\0", 11) << "truncated";
    }
    void rejectsBadInput()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, errorPart);
        const SwfHeader h = readSwfHeader(bytes);
        QVERIFY(!h.ok);
        QVERIFY2(h.error.contains(errorPart), qPrintable(h.error));
    }

    void panelShowsTheHeader_data()
    {
        QTest::addColumn<char>("kind");
        QTest::newRow("FWS") << 'F';
        QTest::newRow("CWS") << 'C';
        QTest::newRow("ZWS") << 'Z';
    }
    void panelShowsTheHeader()
    {
        QFETCH(char, kind);
        const QString path = env.writeFile(QStringLiteral("clips/intro movie.swf"),
                                           movie(kind, 8, body({15, 0, 11000, 0, 8000}, 0x0C00, 48, QByteArray(64, '\0'))));
        ShockwaveFlash sf(nullptr);
        sf.setMember139(false);
        sf.setMovie(path);
        QCOMPARE(sf.Movie(), path);
        QVERIFY(sf.header().ok);
        sf.Play();
        QVERIFY(sf.isPlaying());
        const QString text = sf.lines().join('\n');
        QVERIFY2(text.contains("intro movie.swf"), qPrintable(text));
        QVERIFY2(text.contains("550 × 400"), qPrintable(text));
        QVERIFY2(text.contains("12 frames a second, 48 frames"), qPrintable(text));
        QVERIFY2(text.contains("version 8"), qPrintable(text));
        QVERIFY(text.contains("not played here"));
        sf.resize(300, 200);
        sf.show();
        QVERIFY(!sf.grab().isNull());  // paints without trouble

        sf.setMovie(QString());  // unloads
        QVERIFY(sf.Movie().isEmpty());
        QVERIFY(sf.lines().isEmpty());
        QVERIFY(!sf.isPlaying());
    }

    void panelReportsBadFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");  // not written when null
        QTest::addColumn<QString>("line");
        QTest::newRow("missing") << "gone.swf" << QByteArray() << "cannot be found";
        QTest::newRow("empty") << "empty.swf" << QByteArray("") << "empty";
        QTest::newRow("not a movie") << "notes.swf" << QByteArray("just text") << "not a Flash movie";
        QTest::newRow("cut short") << "short.swf" << QByteArray("FWS\x06\x00\x10\0\0\x78", 9) << "truncated";
        QTest::newRow("shorter than stated") << "stated.swf"
                                             << movie('F', 6, body({15, 0, 11000, 0, 8000}, 0x0C00, 48, QByteArray(100, 'x'))).left(60)
                                             << "shorter";
    }
    void panelReportsBadFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, line);
        const QString path = bytes.isNull() ? env.path(name) : env.writeFile(name, bytes);
        ShockwaveFlash sf(nullptr);
        sf.setMovie(path);
        sf.Play();
        QCOMPARE(sf.Movie(), path);
        const QStringList ls = sf.lines();
        QCOMPARE(ls.first(), name);
        QVERIFY2(ls.join('\n').contains(line), qPrintable(ls.join('\n')));
        sf.resize(200, 100);
        QVERIFY(!sf.grab().isNull());
    }

    void panelReportsAFolder()
    {
        ShockwaveFlash sf(nullptr);
        sf.setMovie(env.root());
        QVERIFY(sf.lines().join('\n').contains("not a file"));
    }
};

QTEST_MAIN(ShockwaveFlashTest)
#include "test_shockwaveflash.moc"
