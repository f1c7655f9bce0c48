// The drive table: the system's default, a table set by a test, looking drives up, the folder test and
// the volume serial number of a disc image.
#include "platform/drives/drives.h"
#include "tests/drives/isoimage.h"
#include "tests/support/cdimage.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using Drives::Drive;

class DrivesTest : public QObject {
    Q_OBJECT
    QTemporaryDir tmp;

    QString folder(const QString& name)
    {
        QDir(tmp.path()).mkpath(name);
        return tmp.path() + QLatin1Char('/') + name;
    }

private slots:
    void cleanup() { Drives::setTableForTests(std::nullopt); }

    void systemTableStartsWithHome()
    {
        const QList<Drive> t = Drives::table();
        QVERIFY(!t.isEmpty());
        QCOMPARE(t[0].letter, QChar('C'));
        QCOMPARE(t[0].type, int(Drives::Fixed));
        QCOMPARE(t[0].root, QDir::homePath() + "/");
        for (int i = 1; i < t.size(); ++i) {
            QCOMPARE(t[i].letter.unicode(), char16_t('C' + i));
            QVERIFY(t[i].type == Drives::Removable || t[i].type == Drives::CdRom);
            QVERIFY(t[i].root.isEmpty() || t[i].root.endsWith('/'));
        }
        QCOMPARE(Drives::GetDriveType("C:\\"), int(Drives::Fixed));
    }

    void aTableSetByATest()
    {
        const QString d = folder("D"), e = folder("E");
        Drives::setTableForTests(QList<Drive>{{'c', Drives::Fixed, folder("C"), {}},
                                              {'D', Drives::CdRom, d, d + ".iso"},
                                              {'E', Drives::CdRom, e + "/", {}},
                                              {'F', Drives::CdRom, {}, "/dev/sr1"}});
        const QList<Drive> t = Drives::table();
        QCOMPARE(t.size(), 4);
        QCOMPARE(t[0].letter, QChar('C'));
        QCOMPARE(t[1].root, d + "/");
        QCOMPARE(t[2].root, e + "/");
        QCOMPARE(t[3].root, QString());

        // A drive is named by its letter in any of the usual forms, or by its root folder.
        for (const QString& name : {QString("D:\\"), QString("d:"), QString("D:/"), QString("d"), d, d + "/"}) {
            const auto found = Drives::find(name);
            QVERIFY2(found && found->letter == QChar('D'), qPrintable(name));
        }
        QCOMPARE(Drives::GetDriveType("D:\\"), int(Drives::CdRom));
        QCOMPARE(Drives::GetDriveType("C:"), int(Drives::Fixed));
        QCOMPARE(Drives::GetDriveType("F:\\"), int(Drives::CdRom));  // an empty tray is still a drive
        QCOMPARE(Drives::GetDriveType("Z:\\"), int(Drives::NoRootDir));
        QCOMPARE(Drives::GetDriveType(tmp.path() + "/nowhere"), int(Drives::NoRootDir));
        QVERIFY(!Drives::find("DD:\\"));

        QCOMPARE(Drives::containing(e + "/mpegav/x.dat")->letter, QChar('E'));
        QCOMPARE(Drives::containing(e)->letter, QChar('E'));
        QVERIFY(!Drives::containing(e + "x/a"));  // a sibling folder whose name begins alike
        QVERIFY(!Drives::containing(tmp.path()));

        Drives::setTableForTests(std::nullopt);
        QCOMPARE(Drives::table().first().root, QDir::homePath() + "/");
    }

    void nativeFolder_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("expected");  // "@C" and "@D" stand for the drives' folders
        QTest::newRow("a drive root") << "c:\\" << "@C/";
        QTest::newRow("a letter and colon") << "C:" << "@C/";
        QTest::newRow("a folder") << "C:\\Pictures\\Holiday" << "@C/Pictures/Holiday";
        QTest::newRow("forward slashes, a trailing one") << "d:/Pictures/" << "@D/Pictures";
        QTest::newRow("no separator after the colon") << "c:Pictures" << "@C/Pictures";
        QTest::newRow("a drive not in the table") << "q:\\Pictures" << "q:\\Pictures";
        QTest::newRow("a drive with no disc") << "f:\\" << "f:\\";
        QTest::newRow("a folder of this system") << "/srv/pictures" << "/srv/pictures";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("a name") << "c" << "c";
    }
    // A folder written with a drive letter becomes the drive table's folder.
    void nativeFolder()
    {
        QFETCH(QString, written);
        QFETCH(QString, expected);
        const QString c = folder("C"), d = folder("D");
        Drives::setTableForTests(QList<Drive>{{'C', Drives::Fixed, c, {}}, {'D', Drives::Removable, d, {}},
                                              {'F', Drives::CdRom, {}, "/dev/sr1"}});
        QCOMPARE(Drives::nativeFolder(written), expected.replace("@C", c).replace("@D", d));
    }

    void logicalDriveMask()
    {
        Drives::setTableForTests(QList<Drive>{{'A', Drives::Removable, folder("A"), {}},
                                              {'C', Drives::Fixed, folder("C"), {}},
                                              {'D', Drives::CdRom, folder("D"), {}},
                                              {'F', Drives::CdRom, {}, "/dev/sr1"}});
        QCOMPARE(Drives::GetLogicalDrives(), quint32(1 | 4 | 8 | 32));  // an empty tray keeps its bit
        Drives::setTableForTests(QList<Drive>{});
        QCOMPARE(Drives::GetLogicalDrives(), quint32(0));
    }

    void folderOfALetterPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");  // below the test folder; "-" for none
        QTest::newRow("root") << "C:\\" << "C/";
        QTest::newRow("letter and colon") << "c:" << "C/";
        QTest::newRow("sub-folders") << "C:\\Music\\Pop" << "C/Music/Pop/";
        QTest::newRow("forward slashes") << "d:/a/b/" << "D/a/b/";
        QTest::newRow("no volume") << "F:\\" << "-";
        QTest::newRow("no such drive") << "Q:\\x" << "-";
        QTest::newRow("no drive letter") << "/tmp" << "-";
        QTest::newRow("too short") << "C" << "-";
    }
    void folderOfALetterPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        Drives::setTableForTests(QList<Drive>{{'C', Drives::Fixed, this->folder("C"), {}},
                                              {'D', Drives::Removable, this->folder("D"), {}},
                                              {'F', Drives::CdRom, {}, "/dev/sr1"}});
        QCOMPARE(Drives::folderOf(path), folder == "-" ? QString() : tmp.path() + "/" + folder);
    }

    void folderTest()
    {
        const QString d = folder("D/mpegav");
        QVERIFY(Drives::FolderExists(d));
        QVERIFY(Drives::FolderExists(d + "/"));
        QVERIFY(!Drives::FolderExists(d + "/missing"));
        QVERIFY(!Drives::FolderExists(QString()));
        IsoImage::write(d + "/AVSEQ01.DAT", "x");
        QVERIFY(!Drives::FolderExists(d + "/AVSEQ01.DAT"));
    }

    void serialOfADescriptor()
    {
        // Byte i goes to sum i mod 4, each kept modulo 256; the first sum is the top byte.
        QByteArray d(2048, '\0');
        d[0] = 1;           // sum 0: 1 + 2 = 0x03
        d[4] = 2;
        d[1] = char(0xFF);  // sum 1: 0xFF + 0x02 = 0x101 -> 0x01
        d[2045] = 2;
        d[2] = 0x10;        // sum 2: 0x10
        d[3] = char(0x80);  // sum 3: 0x80 + 0x80 + 0x01 = 0x101 -> 0x01
        d[7] = char(0x80);
        d[2047] = 1;
        QCOMPARE(Drives::serialOfDescriptor(d), quint32(0x03011001));
        QCOMPARE(Drives::serialOfDescriptor(QByteArray(2048, '\0')), quint32(0));
        // The helper that makes test images reaches the serial it is asked for.
        QCOMPARE(Drives::serialOfDescriptor(IsoImage::primaryDescriptor(0xFFFFFFFE)), quint32(0xFFFFFFFE));
        QCOMPARE(Drives::serialOfDescriptor(IsoImage::primaryDescriptor(0x12345678, "VIDEOCD")), quint32(0x12345678));
    }

    void serialOfADiscImage_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<bool>("found");
        QTest::addColumn<quint32>("serial");
        const QByteArray pvd = IsoImage::primaryDescriptor(0xFFFFFFFE);
        QTest::newRow("primary at 16") << IsoImage::image(pvd) << true << quint32(0xFFFFFFFE);
        // A boot record before the primary descriptor is stepped over.
        QTest::newRow("boot record first")
            << QByteArray(16 * 2048, '\0') + IsoImage::descriptor(0) + IsoImage::primaryDescriptor(0x0A0B0C0D) +
                   IsoImage::descriptor(255)
            << true << quint32(0x0A0B0C0D);
        QTest::newRow("no ISO volume") << QByteArray(20 * 2048, 'x') << false << quint32(0);
        QTest::newRow("terminator only") << QByteArray(16 * 2048, '\0') + IsoImage::descriptor(255) << false << quint32(0);
        QTest::newRow("cut short") << IsoImage::image(pvd).left(16 * 2048 + 100) << false << quint32(0);
        QTest::newRow("empty file") << QByteArray() << false << quint32(0);
    }

    void serialOfADiscImage()
    {
        QFETCH(QByteArray, image);
        QFETCH(bool, found);
        QFETCH(quint32, serial);
        const QString root = folder("D");
        const QString iso = tmp.path() + "/D.iso";
        QVERIFY(IsoImage::write(iso, image));
        Drives::setTableForTests(QList<Drive>{{'C', Drives::Fixed, folder("C"), {}}, {'D', Drives::CdRom, root, iso}});
        quint32 got = 1;
        QCOMPARE(Drives::VolumeSerialNumber("D:\\", &got), found);
        QCOMPARE(got, serial);
        QCOMPARE(Drives::VolumeSerialNumber(root, &got), found);
        QCOMPARE(got, serial);
    }

    // An audio disc has no volume: its serial comes from the start addresses of its tracks (each as
    // 0x00MMSSFF), with the disc's length in frames added when it has fewer than three tracks.
    void serialOfAnAudioDisc_data()
    {
        QTest::addColumn<QList<int>>("trackFrames");
        QTest::addColumn<quint32>("serial");
        // Tracks at 00:02:00, 00:05:00 and 00:10:00.
        QTest::newRow("three tracks") << QList<int>{225, 375, 300} << quint32(0x000200 + 0x000500 + 0x000A00);
        QTest::newRow("two tracks") << QList<int>{225, 375} << quint32(0x000200 + 0x000500 + 600);
        QTest::newRow("one track") << QList<int>{301} << quint32(0x000200 + 301);
        // Tracks at 01:00:00 and 01:01:00 after the first.
        QTest::newRow("minutes") << QList<int>{4350, 75, 75} << quint32(0x000200 + 0x010000 + 0x010100);
    }

    void serialOfAnAudioDisc()
    {
        QFETCH(QList<int>, trackFrames);
        QFETCH(quint32, serial);
        const QString cue = CdImage::write(tmp.path() + "/audio", "disc", trackFrames);
        QVERIFY(!cue.isEmpty());
        const std::optional<Drives::Toc> toc = Drives::readToc(cue);
        QVERIFY(toc);
        QCOMPARE(toc->trackCount(), trackFrames.size());
        QCOMPARE(toc->starts.first(), 150);
        Drives::setTableForTests(QList<Drive>{{'C', Drives::Fixed, folder("C"), {}}, {'D', Drives::CdRom, {}, cue}});
        quint32 got = 1;
        QVERIFY(Drives::VolumeSerialNumber("D:\\", &got));
        QCOMPARE(got, serial);
    }

    void serialWithoutADisc()
    {
        Drives::setTableForTests(QList<Drive>{{'C', Drives::Fixed, folder("C"), {}},
                                              {'D', Drives::CdRom, {}, tmp.path() + "/missing.iso"}});
        quint32 got = 1;
        QVERIFY(!Drives::VolumeSerialNumber("D:\\", &got));
        QCOMPARE(got, quint32(0));
        QVERIFY(!Drives::VolumeSerialNumber("C:\\", &got));  // a folder with no device
        QVERIFY(!Drives::VolumeSerialNumber("Q:\\", &got));  // no such drive
        QCOMPARE(got, quint32(0));
    }
};

QTEST_GUILESS_MAIN(DrivesTest)
#include "test_drives.moc"
