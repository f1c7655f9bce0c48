// The picture and list browser on real folders and picture files the test writes: the two modes, their
// remembered setting and their folders, drives, the file click in both modes (the title, the load time,
// a list file's preview, the same picture twice, a file that is no picture), the fit into the frame and
// the centring as the window shows them (a small picture, a 6000 x 4000 photo, pictures far larger than
// the frame), next and previous with their wraps, the wallpaper, the import and the doors from the main
// window.
#include "platform/drives/drives.h"
#include "platform/programfolder.h"
#include "tests/player_fixture.h"
#include "ui/dirlistbox.h"
#include "ui/drivelistbox.h"
#include "ui/filelistbox.h"

#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <cmath>

namespace {

// The fit as the 1% steps find it, one step after the other, up to `lastStep` (the window's own loop
// stops at 97); an empty size when no step fits.
QSize steppedFit(const QSize& picture, const QSize& frame, int lastStep)
{
    auto fits = [&](long long w, long long h) { return frame.width() - 2 >= w && frame.height() - 2 >= h; };
    if (fits(picture.width(), picture.height()))
        return picture;
    for (int p = 1; p <= lastStep; ++p) {
        const long long w = std::llround(std::nearbyint((1 - p * 0.01) * picture.width()));
        const long long h = std::llround(std::nearbyint((1 - p * 0.01) * picture.height()));
        if (fits(w, h))
            return QSize(int(w), int(h));
    }
    return QSize();
}

}  // namespace

class ShowerTest : public QObject {
    Q_OBJECT
    PlayerFixture fx;
    QString c, d;  // the folders of drives C: and D:

    void fresh()
    {
        fx.freshEnv();
        c = fx.env->path("C");
        d = fx.env->path("D");
        QDir().mkpath(c);
        QDir().mkpath(d);
        Drives::setTableForTests(QList<Drives::Drive>{
            {'C', Drives::Fixed, c, {}}, {'D', Drives::Removable, d, {}}, {'E', Drives::CdRom, {}, "/dev/sr9"}});
        qunsetenv("XDG_CURRENT_DESKTOP");
        Form1::instance();
    }
    static QString picture(const QString& path, const QSize& size, QColor colour = Qt::red)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QImage img(size, QImage::Format_RGB32);
        img.fill(colour);
        if (!img.save(path))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    // The browser shown (not modally) in `folder`.
    static Shower& open(const QString& folder)
    {
        Shower& s = Shower::instance();
        s.show();
        s.Dir1->setPath(folder);
        return s;
    }
    static void choose(Shower& s, const QString& name)
    {
        const int i = int(s.File1->items().indexOf(name));
        QVERIFY2(i >= 0, qPrintable(name));
        s.File1->setListIndex(i);
    }
    // The preview's place in the window, in pixels, and whether it shows.
    static QRect preview(Shower& s) { return s.imgPreView->isVisible() ? s.imgPreView->geometry() : QRect(); }

private slots:
    void init() { fresh(); }
    void cleanup()
    {
        releaseWindows();
        Drives::setTableForTests(std::nullopt);
    }

    // --- modes ---

    void modeAtLoad_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("lists");
        QTest::newRow("missing") << "" << false;
        QTest::newRow("0") << "0" << false;
        QTest::newRow("1") << "1" << true;
        QTest::newRow("any other number") << "2" << true;
    }
    void modeAtLoad()
    {
        QFETCH(QString, stored);
        QFETCH(bool, lists);
        if (!stored.isEmpty())
            SettingsStore::SaveSetting("whatshow", stored);
        Shower& s = Shower::instance();
        s.show();
        QCOMPARE(s.ShowMode, qint16(lists ? 1 : 0));
        QCOMPARE(s.File1->Pattern(), lists ? QStringLiteral("*.pls;*.m3u;*.pellum;*.txt")
                                           : QStringLiteral("*.jpg;*.bmp;*.gif;*.ico;*.wmf;*.emf;*.cur;*.dib"));
        QCOMPARE(s.Text1->isVisible(), lists);
        QCOMPARE(s.Command5->isVisible(), lists);
        QCOMPARE(s.Command3->isVisible(), !lists);
        QCOMPARE(SettingsStore::GetSetting("whatshow"), lists ? QStringLiteral("1") : QStringLiteral("0"));
        QCOMPARE(s.Command1->text(), QStringLiteral("Pictures"));
        QCOMPARE(s.Command2->text(), QStringLiteral("PlayList"));
        QCOMPARE(s.Command3->text(), QStringLiteral("DeskWallpaper"));
        QCOMPARE(s.Command5->text(), QStringLiteral("Importlist"));
        QCOMPARE(s.Command4->text(), QStringLiteral("Exit"));
        QCOMPARE(s.windowTitle(), QStringLiteral("Shower"));
        QCOMPARE(s.File1->Path(), c + "/");  // the first drive's root
        QVERIFY(!s.imgPreView->isVisible());
    }

    // Each mode keeps its folder while the window is open; a switch stores the folder it leaves as the
    // other mode's, also when it is the mode already shown.
    void foldersPerMode()
    {
        QDir().mkpath(c + "/pics");
        picture(c + "/pics/a.jpg", {20, 20});
        picture(c + "/pics/.thumbnail.jpg", {20, 20});  // hidden: no row
        Shower& s = open(c + "/pics");
        QCOMPARE(s.File1->items(), QStringList{"a.jpg"});
        s.Command2->click();
        QCOMPARE(SettingsStore::GetSetting("whatshow"), QStringLiteral("1"));
        QCOMPARE(s.File1->Path(), c + "/");  // the load's switch kept the folder it started in for the lists
        s.Drive1->setDrive("D");
        QCOMPARE(s.Dir1->Path(), d + "/");
        s.Command1->click();
        QCOMPARE(SettingsStore::GetSetting("whatshow"), QStringLiteral("0"));
        QCOMPARE(s.File1->Path(), c + "/pics");
        QCOMPARE(s.Drive1->Drive(), QStringLiteral("c:"));
        QCOMPARE(s.File1->items(), QStringList{"a.jpg"});
        s.Command2->click();
        QCOMPARE(s.File1->Path(), d + "/");
        QCOMPARE(s.Drive1->Drive(), QStringLiteral("d:"));
        // The list mode's button again: the list folder becomes the picture folder too.
        s.Command2->click();
        s.Command1->click();
        QCOMPARE(s.File1->Path(), d + "/");
    }

    // A drive with no disc leaves the folder, and the drive list shows that folder's drive again.
    void driveWithNoDisc()
    {
        Shower& s = open(d);
        s.Drive1->setDrive("E");
        QCOMPARE(s.Dir1->Path(), d + "/");
        QCOMPARE(s.File1->Path(), d + "/");
        QCOMPARE(s.Drive1->Drive(), QStringLiteral("d:"));
    }

    // --- the file click ---

    void listFilePreview()
    {
        SettingsStore::SaveSetting("whatshow", "1");
        const QString list = fx.env->writeFile("C/l.m3u", "a\r\n#b\r\n\r\nc\r\n");
        Shower& s = open(c);
        QCOMPARE(s.File1->items(), QStringList{"l.m3u"});
        // A real click on the row.
        QTest::mouseClick(s.File1->viewport(), Qt::LeftButton, {}, s.File1->visualRect(s.File1->model()->index(0, 0)).center());
        QCOMPARE(s.windowTitle(), QStringLiteral("Shower - ") + list);
        QCOMPARE(s.Text1->toPlainText(), QStringLiteral("a\n\nc\n"));
        QVERIFY2(QRegularExpression("^Loaded time : \\d+ms $").match(s.Label2->text()).hasMatch(), qPrintable(s.Label2->text()));
    }

    void emptyListFile()
    {
        SettingsStore::SaveSetting("whatshow", "1");
        fx.env->writeFile("C/a.pellum", "x\r\n");
        fx.env->writeFile("C/b.txt", "");
        Shower& s = open(c);
        choose(s, "a.pellum");
        QCOMPARE(s.Text1->toPlainText(), QStringLiteral("x\n"));
        choose(s, "b.txt");
        QCOMPARE(s.Text1->toPlainText(), QString());
        QVERIFY(s.Label2->text().startsWith("Loaded time : "));
    }

    // A long list file loads at once and stays scrollable.
    void longListFile()
    {
        SettingsStore::SaveSetting("whatshow", "1");
        QByteArray bytes;
        for (int i = 0; i < 100000; ++i)
            bytes += "/music/some folder/track " + QByteArray::number(i) + ".mp3\r\n";
        fx.env->writeFile("C/big.pellum", bytes);
        Shower& s = open(c);
        QElapsedTimer t;
        t.start();
        choose(s, "big.pellum");
        qInfo("100 000 rows shown in %lld ms (%s)", t.elapsed(), qPrintable(s.Label2->text()));
        QCOMPARE(s.Text1->document()->blockCount(), 100001);
        QVERIFY(s.Label2->text().startsWith("Loaded time : "));
    }

    // The title names the file at once; the load time replaces the picture's size.
    void pictureClick()
    {
        const QString a = picture(c + "/a.jpg", {200, 100});
        Shower& s = open(c);
        choose(s, "a.jpg");
        QCOMPARE(s.windowTitle(), QStringLiteral("Shower - ") + a);
        QVERIFY2(QRegularExpression("^Loaded time : \\d+ms $").match(s.Label2->text()).hasMatch(), qPrintable(s.Label2->text()));
        // PicShow on its own leaves the size.
        s.ShownPicturePath.clear();
        s.PicShow();
        QCOMPARE(s.Label2->text(), QStringLiteral("W:200 / H:100"));
    }

    // A picture that fits is shown at its own size in the frame's middle, a larger one fitted and
    // centred: as the window shows it.
    void fitAndCentre_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("fits at its own size") << QSize(200, 100) << QSize(200, 100);
        QTest::newRow("6000 x 4000 photo") << QSize(6000, 4000) << QSize(420, 280);
        QTest::newRow("40 times the frame's width") << QSize(20000, 100) << QSize(400, 2);
    }
    void fitAndCentre()
    {
        QFETCH(QSize, size);
        QFETCH(QSize, shown);
        picture(c + "/p.jpg", size, Qt::red);
        Shower& s = open(c);
        choose(s, "p.jpg");
        const QRect at = preview(s);
        QCOMPARE(at.size(), shown);
        const QRect frame = s.imgBackGround->geometry();
        QVERIFY(s.imgBackGround->isVisible());
        QVERIFY2(qAbs(at.center().x() - frame.center().x()) <= 1 && qAbs(at.center().y() - frame.center().y()) <= 1,
                 qPrintable(QStringLiteral("%1,%2 in %3,%4").arg(at.x()).arg(at.y()).arg(frame.x()).arg(frame.y())));
        QCOMPARE(s.cursor().shape(), Qt::ArrowCursor);
        // On screen: the picture in the middle, the black window beside it.
        const QImage screen = s.grab().toImage();
        const QColor middle = screen.pixelColor(at.center());
        QVERIFY2(middle.red() > 200 && middle.green() < 60, qPrintable(middle.name()));
        if (at.left() > frame.left() + 4)
            QCOMPARE(screen.pixelColor(frame.left() + 3, at.center().y()), QColor(Qt::black));
    }

    // The fit computed at once equals the 1% steps taken one by one wherever a step fits, also for
    // sizes past 16 bits; a picture that no step fits keeps its proportions at the frame's size.
    void fitSize_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("fitted");
        QTest::newRow("exactly the room") << QSize(7198, 5398) << QSize(7198, 5398);
        QTest::newRow("a twip too wide") << QSize(7199, 100) << QSize(7127, 99);
        QTest::newRow("a twip too high") << QSize(100, 5399) << QSize(99, 5345);
        QTest::newRow("6000 x 4000 pixels") << QSize(90000, 60000) << QSize(6300, 4200);
        QTest::newRow("40 times wider") << QSize(300000, 1500) << QSize(6000, 30);
        QTest::newRow("150 times wider") << QSize(1080000, 150) << QSize(7198, 15);
        QTest::newRow("150 times higher") << QSize(1500, 810000) << QSize(15, 5398);
    }
    void fitSize()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, fitted);
        const QSize frame(7200, 5400);
        QCOMPARE(Shower::FitSize(picture, frame), fitted);
        const QSize stepped = steppedFit(picture, frame, 99);
        if (stepped.isValid())
            QCOMPARE(fitted, stepped);
    }
    void fitSizeMatchesTheSteps()
    {
        const QSize frame(7200, 5400);
        int compared = 0;
        for (int w = 15; w < 700000; w = w * 23 / 20 + 7) {
            for (int h = 15; h < 500000; h = h * 29 / 20 + 11) {
                const QSize stepped = steppedFit({w, h}, frame, 99);
                const QSize fitted = Shower::FitSize({w, h}, frame);
                QVERIFY(fitted.width() <= frame.width() - 2 && fitted.height() <= frame.height() - 2);
                if (!stepped.isValid())
                    continue;
                QCOMPARE(fitted, stepped);
                ++compared;
            }
        }
        QVERIFY(compared > 1000);
        // Within 16 bits the window's own 97 steps find the same.
        for (int w = 7000; w <= 32767; w += 997)
            QCOMPARE(Shower::FitSize({w, w / 2}, frame), steppedFit({w, w / 2}, frame, 97));
    }

    // The picture shown is not read again when clicked again, whatever the case of its name.
    void samePictureTwice()
    {
        const QString a = picture(c + "/a.jpg", {200, 100}, Qt::red);
        Shower& s = open(c);
        choose(s, "a.jpg");
        QCOMPARE(preview(s).size(), QSize(200, 100));
        picture(a, {100, 50}, Qt::blue);  // the file changes behind the window
        s.File1->setListIndex(0);
        QCOMPARE(preview(s).size(), QSize(200, 100));
        s.PicturePath = a.toUpper();
        s.PicShow();
        QCOMPARE(preview(s).size(), QSize(200, 100));
        QCOMPARE(s.grab().toImage().pixelColor(preview(s).center()).red() > 200, true);
        QVERIFY2(s.Label2->text().startsWith("Loaded time : "), qPrintable(s.Label2->text()));
    }

    // A file that is no picture (or a kind that cannot be read) leaves the preview empty, the status
    // line empty and the pointer normal; the picture shown before comes back when clicked again.
    void notAPicture_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("text named jpg") << "b.jpg" << QByteArray("no picture here");
        QTest::newRow("empty bmp") << "b.bmp" << QByteArray();
        QTest::newRow("metafile") << "b.wmf" << QByteArray("\xd7\xcd\xc6\x9a\0\0\0\0\0\0\0\0", 12);
    }
    void notAPicture()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        picture(c + "/a.jpg", {200, 100});
        const QString bad = fx.env->writeFile("C/" + name, bytes);
        Shower& s = open(c);
        choose(s, "a.jpg");
        QVERIFY(s.imgPreView->isVisible());
        choose(s, name);
        QCOMPARE(s.windowTitle(), QStringLiteral("Shower - ") + bad);
        QVERIFY(!s.imgPreView->isVisible());
        QCOMPARE(s.Label2->text(), QString());
        QCOMPARE(s.cursor().shape(), Qt::ArrowCursor);
        QVERIFY(Dialogs::shown().isEmpty());
        choose(s, "a.jpg");
        QCOMPARE(preview(s).size(), QSize(200, 100));
    }

    // --- next and previous ---

    void nextAndPrevious_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("from");
        QTest::addColumn<bool>("next");
        QTest::addColumn<int>("to");
        QTest::newRow("next at the last wraps") << 3 << 2 << true << 0;
        QTest::newRow("next with none selects the first") << 3 << -1 << true << 0;
        QTest::newRow("next") << 3 << 0 << true << 1;
        QTest::newRow("previous at the first wraps") << 3 << 0 << false << 2;
        QTest::newRow("previous with none does nothing") << 3 << -1 << false << -1;
        QTest::newRow("previous") << 3 << 2 << false << 1;
        QTest::newRow("next in an empty folder") << 0 << -1 << true << -1;
        QTest::newRow("previous in an empty folder") << 0 << -1 << false << -1;
    }
    void nextAndPrevious()
    {
        QFETCH(int, files);
        QFETCH(int, from);
        QFETCH(bool, next);
        QFETCH(int, to);
        for (int i = 0; i < files; ++i)
            picture(c + QStringLiteral("/%1.bmp").arg(QChar('a' + i)), {10 + i, 10});
        Shower& s = open(c);
        QCOMPARE(s.File1->ListCount(), files);
        if (from >= 0)
            s.File1->setListIndex(from);
        const QString before = s.windowTitle();
        (next ? s.Command6 : s.Command7)->click();
        QCOMPARE(s.File1->ListIndex(), to);
        if (to >= 0) {
            QCOMPARE(s.windowTitle(), QStringLiteral("Shower - ") + c + "/" + s.File1->List(to));
            QCOMPARE(preview(s).width(), 10 + to);
        } else {
            QCOMPARE(s.windowTitle(), before);
        }
    }

    // --- wallpaper, import, exit, doors ---

    // The wallpaper is the picture at its own size, not the fitted preview; a desktop that does not take
    // it is reported, not taken for success. With nothing previewed there is nothing to set.
    void wallpaper()
    {
        const QString wall = ProgramFolder::path() + "/Wallpaper.bmp";
        picture(c + "/big.jpg", {3000, 2000});
        Shower& s = open(c);
        s.Command3->click();
        QVERIFY(!QFileInfo::exists(wall));
        QVERIFY(Dialogs::shown().isEmpty());
        choose(s, "big.jpg");
        s.Command3->click();
        QCOMPARE(QImage(wall, "BMP").size(), QSize(3000, 2000));
        QCOMPARE(Dialogs::shown().size(), 1);
        QVERIFY2(Dialogs::shown()[0].text.contains("could not be set"), qPrintable(Dialogs::shown()[0].text));
    }

    void importList()
    {
        SettingsStore::SaveSetting("whatshow", "1");
        const QString one = writeWav(fx.env->path("one.wav"), 20), two = writeWav(fx.env->path("two.wav"), 20);
        fx.env->writeFile("C/l.pellum", (one + "\r\n#x\r\n" + two + "\r\n\r\nnever\r\n").toUtf8());
        Form1& f = Form1::instance();
        Shower& s = open(c);
        s.Command5->click();  // nothing chosen
        QCOMPARE(f.List1->ListCount(), 0);
        choose(s, "l.pellum");
        s.Command5->click();
        QCOMPARE(f.List1->items(), (QStringList{one, two}));
        QCOMPARE(f.List2->List(1), QStringLiteral("02- two.wav"));
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2 && f.mp->FileName() == one; }));
        QVERIFY(Shower::isLoaded());
    }

    void doorsAndExit_data()
    {
        QTest::addColumn<bool>("skinButton");
        QTest::newRow("menu") << false;
        QTest::newRow("skin button") << true;
    }
    void doorsAndExit()
    {
        QFETCH(bool, skinButton);
        Form1& f = Form1::instance();
        f.show();
        bool modal = false, focused = false;
        whileModal([&] { skinButton ? QTest::mouseClick(f.Image8, Qt::LeftButton) : f.PPs->trigger(); },
                   [&] {
                       Shower& s = Shower::instance();
                       modal = QApplication::activeModalWidget() == &s;
                       focused = s.focusWidget() == s.Command4;
                       s.Command4->click();
                   });
        QVERIFY(modal);
        QVERIFY(focused);
        QVERIFY(!Shower::isLoaded());
    }
};

QTEST_MAIN(ShowerTest)
#include "test_shower.moc"
