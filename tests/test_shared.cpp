// Shared routines: file names of paths, window shapes of skin pictures, language lookups, time texts.
#include "platform/settings.h"
#include "player/compact/sst.h"
#include "player/module1.h"
#include "player/she.h"
#include "tests/support/testenv.h"

#include <QtTest>

namespace {

// Every pixel the region covers, as "x,y".
QSet<QString> covered(const QRegion& r, const QSize& size)
{
    QSet<QString> out;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            if (r.contains(QPoint(x, y)))
                out.insert(QStringLiteral("%1,%2").arg(x).arg(y));
    return out;
}

QImage picture(const QStringList& rows)
{
    // '.' is the key colour (the top-left pixel must be '.'), '#' a shape pixel.
    QImage img(int(rows.first().size()), int(rows.size()), QImage::Format_RGB32);
    for (int y = 0; y < rows.size(); ++y)
        for (int x = 0; x < rows[y].size(); ++x)
            img.setPixel(x, y, rows[y][x] == QLatin1Char('#') ? qRgb(10, 200, 30) : qRgb(255, 0, 255));
    return img;
}

}  // namespace

class SharedTest : public QObject {
    Q_OBJECT
private slots:
    void fileNameOf_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("windows path") << "C:\\Music\\a.mp3" << "a.mp3";
        QTest::newRow("linux path") << "/home/u/Music/b c.wav" << "b c.wav";
        QTest::newRow("bare name") << "song.mp3" << "song.mp3";
        QTest::newRow("ends in separator") << "C:\\dir\\" << "";
        QTest::newRow("network path") << "\\\\server\\share\\f.wav" << "f.wav";
        QTest::newRow("mixed") << "C:\\x/y\\z.ogg" << "z.ogg";
    }
    void fileNameOf()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(SHE::FileNameOf(path), name);
    }

    void skinRegion_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("pixels");
        QTest::newRow("single pixel") << QStringList{"....", "..#.", "...."} << QStringList{"2,1"};
        QTest::newRow("run to the right edge, next row starts fresh")
            << QStringList{"..##", "#..."} << QStringList{"2,0", "3,0", "0,1"};
        QTest::newRow("two runs in a row") << QStringList{".##.#", "....."} << QStringList{"1,0", "2,0", "4,0"};
        QTest::newRow("all key colour") << QStringList{"...", "..."} << QStringList{};
    }
    void skinRegion()
    {
        QFETCH(QStringList, rows);
        QFETCH(QStringList, pixels);
        TestEnv env;
        SettingsStore::SaveFlag("vitrif", true);
        const QImage img = picture(rows);
        const QRegion r = SHE::MakeSkinRegion(img);
        QCOMPARE(covered(r, img.size()), QSet<QString>(pixels.begin(), pixels.end()));
        QCOMPARE(r.isEmpty(), pixels.isEmpty());
    }

    // A shape of more rectangles than a window can take leaves the window rectangular: a face of many
    // holes is shown whole.
    void skinRegionOfTooManyRuns_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("shaped");
        // A checkerboard 200 pixels wide: 100 runs a row.
        QTest::newRow("as many as a window takes") << SHE::MostSkinRects / 100 << true;
        QTest::newRow("one row more") << SHE::MostSkinRects / 100 + 1 << false;
        QTest::newRow("3000 x 3000 dots") << 0 << false;
    }
    void skinRegionOfTooManyRuns()
    {
        QFETCH(int, rows);
        QFETCH(bool, shaped);
        TestEnv env;
        SettingsStore::SaveFlag("vitrif", true);
        const QSize size = rows ? QSize(200, rows) : QSize(3000, 3000);
        QImage img(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                img.setPixel(x, y, (x + y) % 2 ? qRgb(10, 200, 30) : qRgb(255, 0, 255));
        const QRegion r = SHE::MakeSkinRegion(img);
        QCOMPARE(r.isEmpty(), !shaped);
        if (shaped) {
            QCOMPARE(r.rectCount(), SHE::MostSkinRects);
            QVERIFY(r.contains(QPoint(1, 0)) && !r.contains(QPoint(0, 0)));
        }
    }

    void skinRegionNeedsTheOption()
    {
        TestEnv env;
        const QImage img = picture({"..#", "###"});
        QVERIFY(SHE::MakeSkinRegion(img).isEmpty());  // missing key reads as off
        SettingsStore::SaveFlag("vitrif", false);
        QVERIFY(SHE::MakeSkinRegion(img).isEmpty());
        SettingsStore::SaveFlag("vitrif", true);
        QVERIFY(!SHE::MakeSkinRegion(img).isEmpty());
        QVERIFY(SHE::MakeSkinRegion(QImage()).isEmpty());
    }

    void langText()
    {
        TestEnv env;
        Module1::LanguagePath().clear();
        QCOMPARE(SHE::LangText("file", "File"), QStringLiteral("File"));
        const QString ini = env.writeFile("home/de.ini", "[language]\nfile=Datei\nempty=\n");
        Module1::LanguagePath() = ini;
        QCOMPARE(SHE::LangText("file", "File"), QStringLiteral("Datei"));
        QCOMPARE(SHE::LangText("empty", "Default"), QStringLiteral("Default"));
        QCOMPARE(SHE::LangText("empty", ""), QString());
        // A path that names a folder: every key is its default.
        Module1::LanguagePath() = env.home() + "/";
        QCOMPARE(SHE::LangText("file", "File"), QStringLiteral("File"));
        Module1::LanguagePath().clear();
    }

    void sst_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("75") << 75.0 << "01:15";
        QTest::newRow("59") << 59.0 << "00:59";
        QTest::newRow("0") << 0.0 << "00:00";
        QTest::newRow("3600") << 3600.0 << "60:00";
        QTest::newRow("6000") << 6000.0 << "100:00";
    }
    void sst()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(::sst(seconds), text);
        QCOMPARE(::sst(QString::number(seconds)), text);
    }
};

QTEST_MAIN(SharedTest)
#include "test_shared.moc"
