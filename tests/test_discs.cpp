// VCD and DVD play from "drives" that are folders of the test with small ISO images, the per-disc title
// list, the notices, real playback of MPEG track files, and the tray.
#include "platform/cdaudio/cdaudio.h"
#include "platform/drives/drives.h"
#include "player/she.h"
#include "player/tools/dabs.h"
#include "tests/drives/isoimage.h"
#include "tests/player_fixture.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

namespace {

struct TrayLog {
    QStringList moves;
    TrayLog()
    {
        CdAudio::setTrayActionForTests([this](const QString& action, const QString& device) {
            moves << action + " " + device;
            return true;
        });
    }
    ~TrayLog() { CdAudio::setTrayActionForTests({}); }
};

// A drive of the test: its letter, type, the files below its root and its disc's serial (0: no image).
struct DriveSpec {
    char letter;
    int type;
    QStringList files;
    quint32 serial = 0;
};

}  // namespace

Q_DECLARE_METATYPE(DriveSpec)

class DiscsTest : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    QString rootOf(char letter) const { return fx.env->path(QString("drives/") + letter) + "/"; }

    // A fresh main window with drive C: and the drives given, each a folder with its files and, for a
    // serial, the ISO image of its disc.
    Form1& fresh(const QList<DriveSpec>& specs)
    {
        fx.freshEnv();
        QList<Drives::Drive> table{{'C', Drives::Fixed, fx.env->path("C"), {}}};
        QDir().mkpath(fx.env->path("C"));
        for (const DriveSpec& s : specs) {
            const QString root = rootOf(s.letter);
            QDir().mkpath(root);
            for (const QString& file : s.files)
                fx.env->writeFile(root + file, "not really video");
            QString image;
            if (s.serial) {
                image = fx.env->path(QString("drives/%1.iso").arg(s.letter));
                IsoImage::write(image, IsoImage::image(IsoImage::primaryDescriptor(s.serial)));
            }
            table.append({QChar(s.letter), s.type, root, image.isEmpty() ? QString("/dev/sr%1").arg(s.letter - 'D') : image});
        }
        Drives::setTableForTests(table);
        Form1& f = Form1::instance();
        f.Timer1->stop();  // rows of files that do not play stay in the list
        return f;
    }

    static QString makeClip(const QString& path, const QString& format)
    {
        const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
        if (ffmpeg.isEmpty())
            return QString();
        QDir().mkpath(QFileInfo(path).absolutePath());
        QProcess p;
        p.start(ffmpeg, {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=64x48:rate=25:duration=2", "-f", "lavfi",
                         "-i", "sine=frequency=440:duration=2", "-c:v", format == "vob" ? "mpeg2video" : "mpeg1video",
                         "-c:a", "mp2", "-f", format, "-y", path});
        if (!p.waitForFinished(30000) || p.exitCode() != 0)
            return QString();
        return path;
    }

private slots:
    void cleanup() { Drives::setTableForTests(std::nullopt); }

    void vcd_data()
    {
        QTest::addColumn<QList<DriveSpec>>("drives");
        QTest::addColumn<QStringList>("expected");  // below the drive roots, as "D/mpegav/NAME"
        const QStringList tracks{"mpegav/AVSEQ01.DAT", "mpegav/AVSEQ02.DAT"};
        QTest::newRow("VCD in D and in E") << QList<DriveSpec>{{'D', Drives::CdRom, tracks}, {'E', Drives::CdRom, tracks}}
                                           << QStringList{"D/mpegav/AVSEQ01.DAT", "D/mpegav/AVSEQ02.DAT"};
        QTest::newRow("D without mpegav")
            << QList<DriveSpec>{{'D', Drives::CdRom, {"other/AVSEQ01.DAT"}}, {'E', Drives::CdRom, tracks}}
            << QStringList{"E/mpegav/AVSEQ01.DAT", "E/mpegav/AVSEQ02.DAT"};
        QTest::newRow("a stick with mpegav is no disc")
            << QList<DriveSpec>{{'D', Drives::Removable, tracks}, {'E', Drives::CdRom, {"mpegav/AVSEQ09.DAT"}}}
            << QStringList{"E/mpegav/AVSEQ09.DAT"};
        QTest::newRow("lower-case .dat not taken")
            << QList<DriveSpec>{{'Z', Drives::CdRom, {"mpegav/avseq01.dat", "mpegav/AVSEQ02.DAT", "mpegav/MUSIC01.Dat", "mpegav/x.vob"}}}
            << QStringList{"Z/mpegav/AVSEQ02.DAT"};
        QTest::newRow("no matching file") << QList<DriveSpec>{{'D', Drives::CdRom, {"mpegav/readme.txt"}}} << QStringList{};
    }

    void vcd()
    {
        QFETCH(QList<DriveSpec>, drives);
        QFETCH(QStringList, expected);
        Form1& f = fresh(drives);
        PlayerFixture::add(f, {"/music/old.mp3"});
        const QString before = Form2::instance().ff->Path();
        NoticeWatcher notices;
        f.pv->Click();
        QVERIFY(notices.texts.isEmpty());
        QStringList paths;
        for (const QString& e : expected)
            paths << fx.env->path("drives/" + e);
        QCOMPARE(f.List1->items(), paths);
        QCOMPARE(f.List2->ListCount(), paths.size());
        if (!paths.isEmpty()) {
            QCOMPARE(f.List2->List(0), "01- " + SHE::FileNameOf(paths[0]));
            QCOMPARE(f.mp->FileName(), paths[0]);
            QCOMPARE(f.List2->ListIndex(), 0);
        }
        QCOMPARE(f.CurrentIndex, 0);
        QCOMPARE(Form2::instance().ff->Path(), before);  // the file list is put back
        QVERIFY(!Form2::instance().isVisible());
    }

    void dvd()
    {
        Form1& f = fresh({{'D', Drives::CdRom, {}},
                          {'E', Drives::CdRom, {"VIDEO_TS/VIDEO_TS.VOB", "VIDEO_TS/VTS_01_0.VOB", "VIDEO_TS/VTS_01_1.VOB",
                                                "VIDEO_TS/vts_01_2.vob", "VIDEO_TS/VIDEO_TS.IFO"}}});
        f.pdvd_Command();  // the skin button
        const QString folder = rootOf('E') + "VIDEO_TS/";
        QCOMPARE(f.List1->items(), (QStringList{folder + "VTS_01_0.VOB", folder + "VTS_01_1.VOB"}));
        QCOMPARE(f.List2->items(), (QStringList{"01- VTS_01_0.VOB", "02- VTS_01_1.VOB"}));
        QCOMPARE(f.mp->FileName(), folder + "VTS_01_0.VOB");
        f.List1->Clear();
        f.pdvd->Click();  // the menu item
        QCOMPARE(f.List1->ListCount(), 2);
    }

    void noDisc_data()
    {
        QTest::addColumn<bool>("dvd");
        QTest::newRow("VCD") << false;
        QTest::newRow("DVD") << true;
    }

    void noDisc()
    {
        QFETCH(bool, dvd);
        Form1& f = fresh({{'D', Drives::CdRom, {}}, {'E', Drives::Removable, {"mpegav/AVSEQ01.DAT", "VIDEO_TS/VTS_01_1.VOB"}}});
        PlayerFixture::add(f, {"/music/a.mp3", "/music/b.mp3"});
        NoticeWatcher notices;
        dvd ? f.Image2_Click() : f.pv_Click();
        QCOMPARE(notices.texts, QStringList{dvd ? "Please check your DVD whether in cdrom" : "Please check your VCD whether in cdrom"});
        QCOMPARE(f.List1->items(), (QStringList{"/music/a.mp3", "/music/b.mp3"}));
        QCOMPARE(f.List2->ListCount(), 2);
        QCOMPARE(f.mp->FileName(), QString());
    }

    void titleList_data()
    {
        QTest::addColumn<bool>("detect");
        QTest::addColumn<quint32>("serial");
        QTest::addColumn<QByteArray>("titles");     // the file -2.pellum (or none for an empty text)
        QTest::addColumn<QStringList>("rows");
        const QStringList own{"01- AVSEQ01.DAT", "02- AVSEQ02.DAT", "03- AVSEQ03.DAT"};
        QTest::newRow("three titles, an empty one and a # one")
            << true << quint32(0xFFFFFFFE) << QByteArray("Opening\r\n\r\n#Finale\r\n") << QStringList{"Opening", "", "#Finale"};
        // Five titles for three tracks: one row per track, the titles beyond the last track left out.
        QTest::newRow("five titles") << true << quint32(0xFFFFFFFE) << QByteArray("t1\r\nt2\r\nt3\r\nt4\r\nt5\r\n")
                                     << QStringList{"t1", "t2", "t3"};
        // One title for three tracks: the other tracks keep their own rows.
        QTest::newRow("one title") << true << quint32(0xFFFFFFFE) << QByteArray("only\r\n")
                                   << QStringList{"only", own[1], own[2]};
        // Each title decoded on its own: one line in the old code page leaves the UTF-8 ones as they are.
        QTest::newRow("titles in two code pages")
            << true << quint32(0xFFFFFFFE) << QByteArray("Ouverture \xc3\xa9t\xc3\xa9\r\nFinal \xe9t\xe9\r\n\xe6\x97\xa5\r\n")
            << QStringList{QString::fromUtf8("Ouverture été"), QString::fromUtf8("Final été"), QString::fromUtf8("日")};
        QTest::newRow("DetectDabs off") << false << quint32(0xFFFFFFFE) << QByteArray("t1\r\nt2\r\nt3\r\n") << own;
        QTest::newRow("no title file") << true << quint32(0xFFFFFFFE) << QByteArray() << own;
        QTest::newRow("another disc") << true << quint32(0x00000005) << QByteArray("t1\r\nt2\r\nt3\r\n") << own;
        // No ISO image: the serial is 0, which names no disc, even when a file 0.pellum exists.
        QTest::newRow("no serial") << true << quint32(0) << QByteArray("t1\r\nt2\r\nt3\r\n") << own;
    }

    void titleList()
    {
        QFETCH(bool, detect);
        QFETCH(quint32, serial);
        QFETCH(QByteArray, titles);
        QFETCH(QStringList, rows);
        Form1& f = fresh({{'D', Drives::CdRom, {"mpegav/AVSEQ01.DAT", "mpegav/AVSEQ02.DAT", "mpegav/AVSEQ03.DAT"}, serial}});
        if (!titles.isEmpty()) {
            fx.env->writeFile("home/CDs/-2.pellum", titles);
            fx.env->writeFile("home/CDs/0.pellum", titles);
        }
        if (detect)
            f.dd_Click();
        f.pv_Click();
        QCOMPARE(f.List2->items(), rows);
        QCOMPARE(f.List1->ListCount(), 3);
        QCOMPARE(f.List1->List(2), rootOf('D') + "mpegav/AVSEQ03.DAT");
        // Each row still plays its own track.
        f.List2->setListIndex(2);
        QCOMPARE(f.mp->FileName(), rootOf('D') + "mpegav/AVSEQ03.DAT");
    }

    void serialAsText()
    {
        fresh({{'D', Drives::CdRom, {}, 0xFFFFFFFE}, {'E', Drives::CdRom, {}, 0x7FFFFFFF}, {'F', Drives::CdRom, {}, 0}});
        QCOMPARE(Dabs::GetDabs("D:\\"), QStringLiteral("-2"));
        QCOMPARE(Dabs::GetDabs(rootOf('D')), QStringLiteral("-2"));
        QCOMPARE(Dabs::GetDabs("E:\\"), QStringLiteral("2147483647"));
        QCOMPARE(Dabs::GetDabs("F:\\"), QStringLiteral("0"));
        QCOMPARE(Dabs::GetDabs("Q:\\"), QStringLiteral("0"));
    }

    void realTracksPlay_data()
    {
        QTest::addColumn<bool>("dvd");
        QTest::newRow("VCD, MPEG-1 .DAT") << false;
        QTest::newRow("DVD, .VOB") << true;
    }

    void realTracksPlay()
    {
        QFETCH(bool, dvd);
        Form1& f = fresh({{'D', Drives::CdRom, {}}});
        const QString clip = dvd ? makeClip(rootOf('D') + "VIDEO_TS/VTS_01_1.VOB", "vob")
                                 : makeClip(rootOf('D') + "mpegav/AVSEQ01.DAT", "mpeg");
        if (clip.isEmpty())
            QSKIP("ffmpeg is not installed or could not make the clip");
        dvd ? f.Image2_Click() : f.pv_Click();
        QCOMPARE(f.mp->FileName(), clip);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2 && f.mp->Duration() > 1.5; }));
        QVERIFY(!f.mp->ErrorFlag());
    }

    void ejectWhileAFileOfTheDrivePlays()
    {
        TrayLog tray;
        Form1& f = fresh({{'D', Drives::Removable, {}}, {'E', Drives::CdRom, {}}, {'F', Drives::CdRom, {}}});
        const QString song = writeWav(rootOf('E') + "song.wav", 20);
        const QString other = writeWav(fx.env->path("C/other.wav"), 20);
        PlayerFixture::add(f, {other, song});
        f.List2->setListIndex(1);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        f.Picture2->hide();
        f.ej->Click();
        QCOMPARE(tray.moves, QStringList{"eject /dev/sr1"});
        QCOMPARE(f.mp->FileName(), QString());
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 0; }));
        QCOMPARE(f.List2->ListCount(), 0);
        QCOMPARE(f.List1->items(), (QStringList{other, song}));  // the next rebuild brings every row back
        QVERIFY(f.Picture2->isVisibleTo(&f));
        QVERIFY(!f.mp->flagMember(23));
        f.REL();
        QCOMPARE(f.List2->ListCount(), 2);

        // A file of another drive plays on; the tray still opens.
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        f.ej_Click();
        QCOMPARE(f.mp->FileName(), other);
        QCOMPARE(f.List2->ListCount(), 2);
        QCOMPARE(tray.moves.size(), 2);
        f.cll->Click();
        QCOMPARE(tray.moves.last(), QStringLiteral("close /dev/sr1"));
        QCOMPARE(CdAudio::deviceOf("songs"), QString());  // each command closes the device again
    }

    void trayWithoutAnOpticalDrive()
    {
        TrayLog tray;
        Form1& f = fresh({{'D', Drives::Removable, {}}});
        const QString song = writeWav(fx.env->path("C/song.wav"), 20);
        PlayerFixture::add(f, {song});
        f.List2->setListIndex(0);
        // Eject says that there is no optical drive, once for each time it is asked.
        for (int times = 1; times <= 2; ++times) {
            f.ej->Click();
            QCOMPARE(Dialogs::shown().size(), times);
            QCOMPARE(Dialogs::shown().last().text, QStringLiteral("No optical drive was found to eject."));
        }
        f.cll_Click();
        QVERIFY(tray.moves.isEmpty());
        QCOMPARE(Dialogs::shown().size(), 2);
        QCOMPARE(f.mp->FileName(), song);
        QCOMPARE(f.List2->ListCount(), 1);
    }
};

QTEST_MAIN(DiscsTest)
#include "test_discs.moc"
