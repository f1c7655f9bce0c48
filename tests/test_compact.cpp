// The compact mode on the real engine: the compact window's load, buttons, exit and animations, its
// status tick and title, the video window's advance and recent files, the list window, and the
// hand-over to and from the main window.
#include "platform/programfolder.h"
#include "player/playlistfile.h"
#include "player/she.h"
#include "tests/player_fixture.h"
#include "ui/twips.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QtEndian>

namespace {

QPoint twipsPos(const QWidget& w) { return QPoint(Twips::fromPx(w.x()), Twips::fromPx(w.y())); }
int twipsHeight(const QWidget& w) { return Twips::fromPx(w.height()); }

}  // namespace

class CompactTest : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    // A compact start ("/J") in fresh surroundings.
    pellum& start()
    {
        fx.freshEnv();
        Module1::Main(QStringLiteral("/J"));
        return pellum::instance();
    }
    static Form6& list() { return Form6::instance(); }
    static MediaPlayer& mk() { return *Form5::instance().mk; }
    QString wav(const QString& name, double seconds = 30.0) { return writeWav(fx.env->path(name), seconds); }
    // Paths in the compact list, nothing played.
    QStringList fill(const QStringList& names, double seconds = 30.0)
    {
        QStringList paths;
        for (const QString& n : names)
            paths << (n.endsWith(".wav") ? wav(n, seconds) : fx.env->path(n));
        list().List1->AddItems(paths);
        return paths;
    }
    static void playRow(int r)
    {
        list().List1->setListIndex(r);
        QVERIFY(waitFor([] { return mk().PlayState() == 2; }));
    }

private slots:
    void cleanup() { releaseWindows(); }

    // --- load ---

    void firstStartOpensAtTheDefaultPlaces()
    {
        pellum& p = start();
        QVERIFY(p.isVisible());
        QVERIFY(!Form1::instance().isVisible());  // created hidden by the video window's load
        QVERIFY(!Form5::instance().isVisible());
        QVERIFY(!list().isVisible());
        QVERIFY(!loadk::isLoaded() || !loadk::instance().isVisible());
        QCOMPARE(twipsPos(p), QPoint(105, 90));
        QCOMPARE(twipsPos(Form5::instance()), QPoint(2280, 1155));
        QCOMPARE(twipsPos(list()), QPoint(6930, 2490));
        QVERIFY(!(p.windowFlags() & Qt::WindowStaysOnTopHint));
        QCOMPARE(p.size(), QSize(591, 443));
        QCOMPARE(p.Picture1->geometry(), QRect(0, 0, 591, 443));
        QVERIFY(p.mask().isEmpty());  // shaped only with the option on
        QCOMPARE(p.Label7->text(), QStringLiteral("PellumPlayer"));
        // The list window rolled down at its default place covers none of the buttons.
        const QRect listArea(list().pos(), QSize(list().width(), Twips::toPx(5700)));
        for (QWidget* b : std::initializer_list<QWidget*>{p.Label1, p.Label2, p.Label3, p.Label4, p.Label5, p.Label6, p.Label8,
                                                          p.Label10, p.Label11, p.Label12, p.Label13, p.Label14,
                                                          p.Image1, p.Image2})
            QVERIFY2(!listArea.intersects(QRect(p.mapToGlobal(b->pos()), b->size())), qPrintable(b->objectName()));
    }

    void storedPlacesStackingAndSkin_data()
    {
        QTest::addColumn<QString>("skin");  // "", "gone", "picture", "garbage"
        QTest::addColumn<QSize>("stored");  // the size of the stored picture
        QTest::addColumn<QSize>("size");
        QTest::newRow("no skin") << "" << QSize() << QSize(591, 443);
        QTest::newRow("deleted skin file") << "gone" << QSize() << QSize(591, 443);
        QTest::newRow("stored skin") << "picture" << QSize(620, 460) << QSize(620, 460);
        QTest::newRow("skin that is no picture") << "garbage" << QSize() << QSize(591, 443);
        // Stored by an earlier version, or changed since: its face would leave the buttons outside.
        QTest::newRow("skin too small for the buttons") << "picture" << QSize(300, 200) << QSize(591, 443);
    }
    void storedPlacesStackingAndSkin()
    {
        QFETCH(QString, skin);
        QFETCH(QSize, stored);
        QFETCH(QSize, size);
        fx.freshEnv();
        SettingsStore::SaveSetting("pellumleft", "1500");
        SettingsStore::SaveSetting("pellumtop", "750.5");
        SettingsStore::SaveSetting("form6left", "3000");
        SettingsStore::SaveSetting("ontop", "True");
        SettingsStore::SaveSetting("vitrif", "True");
        QString path;
        if (skin == "gone") {
            path = fx.env->path("gone.bmp");
        } else if (skin == "picture") {
            QImage pic(stored, QImage::Format_RGB32);
            pic.fill(Qt::magenta);
            for (int y = 20; y < stored.height() - 20; ++y)
                for (int x = 30; x < stored.width() - 30; ++x)
                    pic.setPixel(x, y, qRgb(10, 20, 30));
            path = fx.env->path("face.bmp");
            QVERIFY(pic.save(path));
        } else if (skin == "garbage") {
            path = fx.env->writeFile("face.gif", "not a picture");
        }
        SettingsStore::SaveSetting("skin", path);
        Module1::Main("/J");
        pellum& p = pellum::instance();
        QCOMPARE(twipsPos(p), QPoint(1500, 750));
        QCOMPARE(twipsPos(list()), QPoint(3000, 2490));
        QVERIFY(p.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(p.size(), size);
        QCOMPARE(p.SkinPicture().size(), size);
        // Shaped by the picture: the key colour of the corner is cut away.
        QVERIFY(!p.mask().contains(QPoint(1, 1)));
        QVERIFY(p.mask().contains(QPoint(size.width() / 2, size.height() / 2)));
        QVERIFY(p.isVisible());
        // Every control lies on the face, where the user can reach it.
        for (const QWidget* c : p.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(p.rect().contains(c->geometry()), qPrintable(c->objectName()));
        QCOMPARE(SettingsStore::GetSetting("skin"), path);  // the choice itself stays stored
    }

    // --- buttons ---

    void previousAndNextStopAtTheEnds()
    {
        pellum& p = start();
        const QStringList paths = fill({"a.wav", "b.wav", "c.wav"});
        playRow(0);
        p.Label5_Click();  // "←" on the first row
        QCOMPARE(list().CurrentIndex, 0);
        QCOMPARE(mk().FileName(), paths[0]);
        p.Label6_Click();
        QCOMPARE(list().CurrentIndex, 1);
        QCOMPARE(mk().FileName(), paths[1]);
        QCOMPARE(p.Label7->text(), QStringLiteral("b.wav"));
        p.Label6_Click();
        p.Label6_Click();  // "→" on the last row: no wrap
        QCOMPARE(list().CurrentIndex, 2);
        QCOMPARE(mk().FileName(), paths[2]);
        p.Label5_Click();
        QCOMPARE(mk().FileName(), paths[1]);
    }

    void rowsRemovedUnderTheCurrentIndex()
    {
        pellum& p = start();
        const QStringList paths = fill({"a.wav", "b.wav", "c.wav", "d.wav"});
        playRow(3);
        list().List1->RemoveItem(3);
        list().List1->RemoveItem(2);  // two rows left, CurrentIndex still 3
        p.Label6_Click();
        QCOMPARE(list().CurrentIndex, 3);
        p.Label5_Click();  // lands on the last row that is there
        QCOMPARE(list().CurrentIndex, 1);
        QCOMPARE(mk().FileName(), paths[1]);
        list().Command3_Click();  // Clear
        QCOMPARE(list().CurrentIndex, -1);
        p.Label5_Click();
        p.Label6_Click();
        QCOMPARE(list().List1->ListCount(), 0);
        QCOMPARE(mk().FileName(), paths[1]);  // clearing lets it play on
    }

    void playPauseStop()
    {
        pellum& p = start();
        p.Label2_Click();  // "＞" with no file
        p.Label3_Click();  // pause while stopped
        QCOMPARE(mk().PlayState(), 0);
        fill({"a.wav"});
        playRow(0);
        p.Label3_Click();
        QVERIFY(waitFor([] { return mk().PlayState() == 1; }));
        p.Label3_Click();
        QVERIFY(waitFor([] { return mk().PlayState() == 2; }));
        p.Label4_Click();
        QVERIFY(waitFor([] { return mk().PlayState() == 0; }));
        p.Label3_Click();  // stopped: nothing
        QTest::qWait(200);
        QCOMPARE(mk().PlayState(), 0);
        p.Label2_Click();
        QVERIFY(waitFor([] { return mk().PlayState() == 2; }));
    }

    // "◎" shows the audio-CD player, once: a second click leaves the shown player as it is.
    void cdPlayerButton()
    {
        pellum& p = start();
        QVERIFY(!Form3::isLoaded());
        p.Label11_Click();
        QVERIFY(Form3::isLoaded() && Form3::instance().isVisible());
        Form3* shown = &Form3::instance();
        p.Label11_Click();
        QCOMPARE(&Form3::instance(), shown);
        QVERIFY(shown->isVisible());
    }

    void openFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("rows");  // the rows added; a list file shows the list window
        QTest::newRow("list in capitals, third line empty") << "LIST.PELLUM" << QByteArray("/m/a.wav\r\n#/m/b.wav\r\n\r\n/m/c.wav\r\n")
                                                           << QStringList{"/m/a.wav", "#/m/b.wav"};
        QTest::newRow("list without dot") << "mylistpellum" << QByteArray("/m/x.wav\r\n") << QStringList{"/m/x.wav"};
    }
    void openFile()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, rows);
        pellum& p = start();
        const QString path = fx.env->writeFile(name, content);
        Dialogs::answer(path);
        p.Image1_Click();
        QCOMPARE(Dialogs::shown().last().flags, 4);
        QCOMPARE(list().List1->items(), rows);
        QVERIFY(list().isVisible());
        QCOMPARE(mk().FileName(), QString());  // nothing plays
    }

    void openMediaFileAndCancel()
    {
        pellum& p = start();
        const QString a = wav("song one.wav");
        Dialogs::answer(a);
        p.Image1_Click();
        QCOMPARE(list().List1->items(), QStringList{a});
        QCOMPARE(mk().FileName(), a);
        QCOMPARE(p.Label7->text(), QStringLiteral("song one.wav"));
        QVERIFY(waitFor([] { return mk().PlayState() == 2; }));
        QVERIFY(!list().isVisible());
        // A cancelled dialog leaves the clip playing and the title as it was.
        Dialogs::answer(QString());
        p.Image1_Click();
        QTest::qWait(150);
        QCOMPARE(mk().FileName(), a);
        QCOMPARE(mk().PlayState(), 2);
        QCOMPARE(list().List1->ListCount(), 1);
    }

    // --- animations ---

    void rollTheListWindow()
    {
        pellum& p = start();
        QList<int> heights;
        QTimer probe;
        connect(&probe, &QTimer::timeout, [&] {
            if (list().isVisible() && (heights.isEmpty() || heights.last() != list().height()))
                heights << list().height();
        });
        probe.start(10);
        p.Label10_Click();
        QVERIFY(list().isVisible());
        QCOMPARE(twipsHeight(list()), 5700);  // although the last step was 6100
        QVERIFY(heights.contains(Twips::toPx(6100)));
        p.Label10_Click();
        QVERIFY(!list().isVisible());
    }

    void zoomTheVideoWindow()
    {
        pellum& p = start();
        Form5& v = Form5::instance();
        p.Label12_Click();
        QVERIFY(v.isVisible());
        QCOMPARE(v.width(), Twips::toPx(7000));
        QCOMPARE(v.mk->height(), Twips::toPx(7000));
        p.Label12_Click();
        QVERIFY(!v.isVisible());
    }

    // Windows that go while an animation waits end it without harm.
    void animationOutlivedByItsWindows()
    {
        pellum& p = start();
        QTimer::singleShot(250, [] { releaseWindows(); });
        p.Label10_Click();
        QVERIFY(!Form6::isLoaded());
        start();
        QTimer::singleShot(150, [] { releaseWindows(); });
        pellum::instance().Label12_Click();
        QVERIFY(!Form5::isLoaded());
    }

    // --- exit ---

    void powerWritesTheListAndThePlaces_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("empty list") << QStringList{};
        QTest::newRow("two rows") << QStringList{"/m/a.wav", "#/m/ü.wav"};
    }
    void powerWritesTheListAndThePlaces()
    {
        QFETCH(QStringList, rows);
        pellum& p = start();
        fx.env->writeFile("home/afore.pellum", "/old/list.wav\r\n");
        list().List1->AddItems(rows);
        p.move(Twips::toPx(3000), Twips::toPx(1500));
        list().move(Twips::toPx(600), Twips::toPx(450));
        p.Label8_Click();
        QByteArray expected;
        for (const QString& r : rows)
            expected += r.toUtf8() + "\r\n";
        QCOMPARE(fx.env->readFile(ProgramFolder::file("afore.pellum")), expected);
        QCOMPARE(SettingsStore::GetSetting("start"), QStringLiteral("pellum"));
        QCOMPARE(SettingsStore::GetSetting("pellumleft"), QStringLiteral("3000"));
        QCOMPARE(SettingsStore::GetSetting("pellumtop"), QStringLiteral("1500"));
        QCOMPARE(SettingsStore::GetSetting("form6left"), QStringLiteral("600"));
        QCOMPARE(SettingsStore::GetSetting("form6top"), QStringLiteral("450"));
        QCOMPARE(SettingsStore::GetSetting("form5left"), QStringLiteral("2280"));
        QCOMPARE(SettingsStore::GetSetting("form5top"), QStringLiteral("1155"));
        QVERIFY(!pellum::isLoaded());
        QVERIFY(!Form1::isLoaded());
        QVERIFY(!Form5::isLoaded());
    }

    // The window manager's close of the compact window is the exit: the list is kept.
    void closingTheCompactWindowIsTheExit()
    {
        pellum& p = start();
        list().List1->AddItem("/m/a.wav");
        p.close();
        QVERIFY(waitFor([] { return !pellum::isLoaded(); }));
        QCOMPARE(fx.env->readFile(ProgramFolder::file("afore.pellum")), QByteArray("/m/a.wav\r\n"));
        QCOMPARE(SettingsStore::GetSetting("start"), QStringLiteral("pellum"));
    }

    // The window manager's close of the video or list window only hides it; nothing is lost.
    void closingTheOtherCompactWindowsHidesThem()
    {
        start();
        list().List1->AddItem("/m/a.wav");
        list().show();
        Form5::instance().show();
        MediaPlayer* player = Form5::instance().mk;
        list().close();
        Form5::instance().close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(Form6::isLoaded() && !list().isVisible());
        QVERIFY(Form5::isLoaded() && !Form5::instance().isVisible());
        QCOMPARE(Form5::instance().mk, player);
        QCOMPARE(list().List1->items(), QStringList{"/m/a.wav"});
    }

    // The exit's writes for the session's end: without the compact windows the previous list stays.
    void powerWriteWithoutTheCompactWindows()
    {
        Form1& f = fx.fresh();
        fx.env->writeFile("home/afore.pellum", "/m/kept.wav\r\n");
        QVERIFY(!pellum::PowerWrite());
        QCOMPARE(fx.env->readFile(ProgramFolder::file("afore.pellum")), QByteArray("/m/kept.wav\r\n"));
        QVERIFY(!Form6::isLoaded());
        (void)f;
        start();
        list().List1->AddItem("/m/new.wav");
        QVERIFY(pellum::PowerWrite());
        QCOMPARE(fx.env->readFile(ProgramFolder::file("afore.pellum")), QByteArray("/m/new.wav\r\n"));
        QCOMPARE(SettingsStore::GetSetting("start"), QStringLiteral("pellum"));
        QCOMPARE(SettingsStore::GetSetting("pellumleft"), QStringLiteral("105"));
        QVERIFY(pellum::instance().isVisible());  // no window was touched
    }

    // --- status tick and title ---

    void failedRowDrop_data()
    {
        QTest::addColumn<int>("bad");  // the unplayable row of three
        QTest::addColumn<bool>("repeatAll");
        QTest::addColumn<bool>("listShown");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QString>("plays");  // "" for nothing
        QTest::newRow("last row with RepeatAll") << 2 << true << true << QStringList{"a.wav", "b.wav"} << "a.wav";
        QTest::newRow("last row without RepeatAll") << 2 << false << true << QStringList{"a.wav", "b.wav"} << "";
        QTest::newRow("middle row") << 1 << false << true << QStringList{"a.wav", "c.wav"} << "c.wav";
        QTest::newRow("list rolled up") << 1 << false << false << QStringList{"a.wav", "bad.wav", "c.wav"} << "";
    }
    void failedRowDrop()
    {
        QFETCH(int, bad);
        QFETCH(bool, repeatAll);
        QFETCH(bool, listShown);
        QFETCH(QStringList, left);
        QFETCH(QString, plays);
        pellum& p = start();
        if (repeatAll)
            Form1::instance().en_Click();
        QStringList names{"a.wav", "b.wav", "c.wav"};
        names[bad] = "bad.wav";
        fx.env->writeFile("bad.wav", QByteArray(4000, 'x'));
        for (const QString& n : names)
            list().List1->AddItem(n == "bad.wav" ? fx.env->path(n) : wav(n));
        if (listShown)
            list().show();
        {
            // The status tick takes the error up at its next round, and a row played then clears the
            // flag: it is held off until the flag has been seen.
            const QSignalBlocker tick(p.TTk);
            list().List1->setListIndex(bad);
            QVERIFY(waitFor([] { return mk().ErrorFlag(); }));
        }
        QTest::qWait(300);
        QStringList rows;
        for (const QString& r : list().List1->items())
            rows << SHE::FileNameOf(r);
        QCOMPARE(rows, left);
        if (plays.isEmpty()) {
            QVERIFY(mk().PlayState() != 2);
        } else {
            QCOMPARE(SHE::FileNameOf(mk().FileName()), plays);
            QVERIFY(waitFor([] { return mk().PlayState() == 2; }));
            if (bad == 1)
                QCOMPARE(p.Label7->text(), fx.env->path("c.wav"));  // the full path, not scrolling
        }
    }

    void timeTextAndSeekBar()
    {
        pellum& p = start();
        fill({"a.wav"}, 75.0);
        playRow(0);
        mk().setCurrentPosition(62);
        QVERIFY(waitFor([&] { return p.Label9->text() == QStringLiteral("01:02 / 01:15"); }, 3000));
        QCOMPARE(p.pb->maximum(), 75);
        QVERIFY(p.pb->value() >= 62 && p.pb->value() <= 63);
        QCOMPARE(Form5::instance().Label1->text(), QStringLiteral(" PellumPlayer@Dizoz >> a.wav"));
        p.pb->setValue(10);  // the user's move seeks
        QVERIFY(waitFor([] { return mk().CurrentPosition() >= 10 && mk().CurrentPosition() < 12; }, 3000));
    }

    // A clip longer than 32767 seconds gets a seek bar over its whole length. The 40000 seconds of
    // silence are a sparse file: the file system stores none of its zeros.
    void seekBarForALongClip()
    {
        pellum& p = start();
        QByteArray header = wavBytes(0);
        const quint32 samples = 40000u * 8000u * 2u;
        qToLittleEndian<quint32>(36 + samples, header.data() + 4);
        qToLittleEndian<quint32>(samples, header.data() + 40);
        QFile file(fx.env->path("long.wav"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(header);
        QVERIFY(file.resize(header.size() + samples));
        file.close();
        list().List1->AddItem(file.fileName());
        playRow(0);
        QVERIFY(waitFor([&] { return p.pb->maximum() == 40000; }, 4000));
        QVERIFY(waitFor([&] { return p.Label9->text().endsWith(QStringLiteral(" / 666:40")); }, 3000));
        p.pb->setValue(5);
        QVERIFY(waitFor([&] { return mk().CurrentPosition() >= 5 && p.pb->value() >= 5; }, 3000));
    }

    void stoppedPlayerResetsTheVideoWindow()
    {
        start();
        Form5& v = Form5::instance();
        v.Command2_Click();  // maximise
        QVERIFY(v.windowState() & Qt::WindowMaximized);
        QCOMPARE(v.mk->DisplaySize(), 3);
        QVERIFY(waitFor([&] { return !(v.windowState() & Qt::WindowMaximized); }, 500));
        QCOMPARE(v.mk->DisplaySize(), 4);
    }

    void showOrHideTheVideoWindow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("shown");
        QTest::newRow("MP3 capitals") << "song.MP3" << false;
        QTest::newRow("wav") << "a.wav" << false;
        QTest::newRow("vob") << "VTS_01_1.VOB" << false;
        QTest::newRow("midi") << "tune.midi" << true;
        QTest::newRow("avi") << "clip.avi" << true;
        QTest::newRow("no file") << "" << false;
    }
    void showOrHideTheVideoWindow()
    {
        QFETCH(QString, name);
        QFETCH(bool, shown);
        pellum& p = start();
        Form5& v = Form5::instance();
        v.resize(50, 50);
        v.show();
        mk().setFileName(name.isEmpty() ? QString() : fx.env->path(name));
        p.soh();
        QCOMPARE(v.isVisible(), shown);
        if (shown)
            QCOMPARE(v.size(), QSize(Twips::toPx(7000), Twips::toPx(7000)));
    }

    void marqueeRotatesBuildsUpAndIsReplaced()
    {
        pellum& p = start();
        const QStringList paths = fill({"ab.wav", "xyz.wav"});
        playRow(0);
        // "ab.wav " + author (none) + " ": rotated left one character every 0.2 s.
        QStringList seen;
        QTimer probe;
        connect(&probe, &QTimer::timeout, [&] {
            if (seen.isEmpty() || seen.last() != p.Label7->text())
                seen << p.Label7->text();
        });
        probe.start(5);
        QVERIFY(waitFor([&] { return seen.contains(QStringLiteral(".wav  ab")); }, 2000));
        QVERIFY(seen.contains(QStringLiteral("b.wav  a")));
        QVERIFY(!seen.contains(QStringLiteral("a")));
        QVERIFY(waitFor([&] { return seen.contains(QStringLiteral("ab.w")); }, 5000));  // build-up
        // A new file stops the old title at once; the new one starts from its first rotation.
        p.Label6_Click();
        seen.clear();
        QVERIFY(waitFor([&] { return seen.contains(QStringLiteral("yz.wav  x")); }, 2000));
        for (const QString& s : seen)
            QVERIFY2(!s.contains(QStringLiteral("ab")), qPrintable(s));
        QVERIFY(p.MarqueeRunning());
        mk().setFileName(QString());
        QTest::qWait(450);
        QVERIFY(!p.MarqueeRunning());
    }

    // --- video window ---

    void endOfStreamAdvances_data()
    {
        QTest::addColumn<bool>("repeatAll");
        QTest::newRow("without RepeatAll") << false;
        QTest::newRow("with RepeatAll") << true;
    }
    void endOfStreamAdvances()
    {
        QFETCH(bool, repeatAll);
        pellum& p = start();
        if (repeatAll)
            Form1::instance().en_Click();
        const QStringList paths = fill({"a.wav", "b.wav"}, 0.5);
        playRow(0);
        QVERIFY(waitFor([&] { return mk().FileName() == paths[1]; }, 5000));
        QCOMPARE(list().CurrentIndex, 1);
        QCOMPARE(SettingsStore::GetSetting("f0"), paths[0]);
        if (repeatAll) {
            QVERIFY(waitFor([&] { return mk().FileName() == paths[0] && list().CurrentIndex == 0; }, 5000));
        } else {
            QVERIFY(waitFor([] { return list().CurrentIndex == 2; }, 5000));
            QTest::qWait(200);
            QCOMPARE(mk().PlayState(), 0);
            p.Label6_Click();  // past the last row: nothing
            QCOMPARE(mk().FileName(), paths[1]);
            QCOMPARE(SettingsStore::GetSetting("f0"), paths[1]);
            QCOMPARE(SettingsStore::GetSetting("f1"), paths[0]);
        }
    }

    // Rows removed under the current index: the end of an item past the end of the list is the end of
    // the list, and RepeatAll starts again at row 0.
    void endOfStreamPastTheRemovedRows()
    {
        start();
        Form1::instance().en_Click();
        const QStringList paths = fill({"a.wav", "b.wav", "c.wav"}, 0.6);
        playRow(2);
        list().List1->RemoveItem(2);
        list().List1->RemoveItem(1);
        QVERIFY(waitFor([&] { return mk().FileName() == paths[0]; }, 5000));
        QCOMPARE(list().CurrentIndex, 0);
    }

    // A failing row whose current index is gone leaves every row and the player as they were.
    void failedRowWithItsIndexGone()
    {
        start();
        fx.env->writeFile("bad.mpg", QByteArray(4000, 'x'));
        const QStringList paths = fill({"bad.mpg", "a.wav", "b.wav"});
        list().show();
        list().List1->setListIndex(0);
        list().CurrentIndex = 5;
        QVERIFY(waitFor([] { return mk().ErrorFlag(); }));
        QTest::qWait(300);
        QCOMPARE(list().List1->items(), paths);
        QCOMPARE(mk().FileName(), paths[0]);
    }

    void recentFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("recorded");
        QTest::newRow("AVSEQ") << "AVSEQ01.DAT" << false;
        QTest::newRow("music") << "Music01.dat" << false;
        QTest::newRow("VTS_0") << "VTS_01_1.VOB" << true;
        QTest::newRow("other") << "song.wav" << true;
    }
    void recentFiles()
    {
        QFETCH(QString, name);
        QFETCH(bool, recorded);
        start();
        SettingsStore::SaveSetting("f0", "/old/zero.wav");
        SettingsStore::SaveSetting("f1", "/old/one.wav");
        SettingsStore::SaveSetting("f4", "/old/four.wav");  // f2, f3 empty
        const QString path = fx.env->path(name);
        list().List1->AddItem(path);
        list().List1->setListIndex(0);
        Form5::instance().Addrecent();
        if (!recorded) {
            QCOMPARE(SettingsStore::GetSetting("f0"), QStringLiteral("/old/zero.wav"));
            return;
        }
        QCOMPARE(SettingsStore::GetSetting("f0"), path);
        QCOMPARE(SettingsStore::GetSetting("f1"), QStringLiteral("/old/zero.wav"));
        QCOMPARE(SettingsStore::GetSetting("f2"), QStringLiteral("/old/one.wav"));
        QCOMPARE(SettingsStore::GetSetting("f4"), QStringLiteral("/old/four.wav"));  // left as it was
        QCOMPARE(SettingsStore::GetSetting("f5"), QStringLiteral("/old/four.wav"));
        Form5::instance().Addrecent();  // no de-duplication
        QCOMPARE(SettingsStore::GetSetting("f1"), path);
    }

    void maximiseAndRestore()
    {
        start();
        Form5& v = Form5::instance();
        fill({"a.wav"});
        playRow(0);
        v.show();
        v.Command2_Click();
        QVERIFY(v.windowState() & Qt::WindowMaximized);
        QCOMPARE(v.mk->DisplaySize(), 3);
        v.Command2_Click();
        QVERIFY(!(v.windowState() & Qt::WindowMaximized));
        QCOMPARE(v.mk->DisplaySize(), 4);
        v.Command1_Click();  // close: hidden, playing on
        QVERIFY(!v.isVisible());
        QCOMPARE(v.mk->PlayState(), 2);
    }

    // --- list window ---

    void importList_data()
    {
        QTest::addColumn<bool>("clearList");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<QString>("answer");  // "" cancels
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("plays");
        QTest::newRow("ClearList, idle") << true << false << "in.m3u" << QStringList{"x.wav", "y.wav"} << 0 << "x.wav";
        QTest::newRow("appended while playing") << false << true << "in.m3u" << QStringList{"a.wav", "x.wav", "y.wav"} << 0 << "a.wav";
        QTest::newRow("cancelled, idle") << false << false << "" << QStringList{"a.wav"} << 0 << "a.wav";
        QTest::newRow("first line empty") << false << true << "empty.pellum" << QStringList{"a.wav"} << 0 << "a.wav";
    }
    void importList()
    {
        QFETCH(bool, clearList);
        QFETCH(bool, playing);
        QFETCH(QString, answer);
        QFETCH(QStringList, rows);
        QFETCH(int, current);
        QFETCH(QString, plays);
        start();
        if (clearList)
            Form1::instance().ccc_Click();
        const QString a = wav("a.wav");
        const QString x = wav("x.wav"), y = wav("y.wav");
        fx.env->writeFile("in.m3u", ("#EXTM3U\r\n" + x + "\r\n" + y + "\r\n").toUtf8());
        fx.env->writeFile("empty.pellum", ("\r\n" + x + "\r\n").toUtf8());
        list().List1->AddItem(a);
        if (playing)
            playRow(0);
        Dialogs::answer(answer.isEmpty() ? QString() : fx.env->path(answer));
        list().Command1_Click();
        QStringList names;
        for (const QString& r : list().List1->items())
            names << SHE::FileNameOf(r);
        QCOMPARE(names, rows);
        QCOMPARE(list().CurrentIndex, current);
        QCOMPARE(SHE::FileNameOf(mk().FileName()), plays);
    }

    void importIntoAnEmptyListWhileIdle()
    {
        start();
        Dialogs::answer(QString());
        list().Command1_Click();  // the selection of row 0 fails: nothing plays
        QCOMPARE(list().List1->ListCount(), 0);
        QCOMPARE(mk().FileName(), QString());
    }

    void exportList_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("empty list writes nothing") << QStringList{};
        QTest::newRow("rows written, no extension added") << QStringList{"/m/a.wav", "/m/b.wav"};
    }
    void exportList()
    {
        QFETCH(QStringList, rows);
        start();
        list().List1->AddItems(rows);
        const QString target = fx.env->path("mylist");
        Dialogs::answer(target);
        list().Command2_Click();
        QCOMPARE(Dialogs::shown().last().kind, QStringLiteral("save"));
        QCOMPARE(Dialogs::shown().last().flags, 2);
        QCOMPARE(QFile::exists(target), !rows.isEmpty());
        if (!rows.isEmpty())
            QCOMPARE(fx.env->readFile(target), QByteArray("/m/a.wav\r\n/m/b.wav\r\n"));
    }

    void rowThatNamesAListFile_data()
    {
        QTest::addColumn<int>("at");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("plays");
        QTest::newRow("middle row") << 1 << QStringList{"a.wav", "b.wav", "x.wav", "#y.wav"} << "b.wav";
        QTest::newRow("last row") << 2 << QStringList{"a.wav", "b.wav", "x.wav", "#y.wav"} << "x.wav";
    }
    void rowThatNamesAListFile()
    {
        QFETCH(int, at);
        QFETCH(QStringList, rows);
        QFETCH(QString, plays);
        pellum& p = start();
        const QString x = wav("x.wav");
        const QString listFile = fx.env->writeFile("inner.PELLUM", (x + "\r\n" + fx.env->path("#y.wav") + "\r\n\r\nz\r\n").toUtf8());
        QStringList paths{wav("a.wav"), wav("b.wav")};
        paths.insert(at, listFile);
        list().List1->AddItems(paths);
        {
            // The click yields to events; should the clip be playing by then, the status tick would
            // write its own caption over the one the click gives, which is read here.
            const QSignalBlocker tick(p.TTk);
            list().List1->setListIndex(at);
            QStringList names;
            for (const QString& r : list().List1->items())
                names << SHE::FileNameOf(r);
            QCOMPARE(names, rows);
            QCOMPARE(SHE::FileNameOf(mk().FileName()), plays);
            QCOMPARE(list().CurrentIndex, at);
            QCOMPARE(p.Label7->text(), plays);
            QCOMPARE(p.windowTitle(), plays + " - PellumPlayer");
            QCOMPARE(Form5::instance().Label1->text(), "PellumPlayer >> " + mk().FileName());
        }
        QVERIFY(waitFor([] { return mk().PlayState() == 2; }));
    }

    // The compact list's road for a list row keeps the main window's rule: each list file is read once a
    // run, and one that cannot be read (an unplugged drive) keeps its row and is passed over. On the real
    // engine with short clips the list, and afore.pellum from the background save, stay as small as the
    // files are.
    void listRowsReadOnceARun_data()
    {
        QTest::addColumn<QStringList>("rows");    // the compact list before the click
        QTest::addColumn<int>("click");
        QTest::addColumn<QStringList>("aLines");
        QTest::addColumn<QStringList>("bLines");
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<QString>("plays");       // the compact player's file after the click
        QTest::addColumn<QStringList>("left");    // the compact list (and afore.pellum) a while later
        const QStringList none;
        QTest::newRow("names itself 1000 times") << QStringList{"@s.wav", "@a.pellum"} << 0
                                                 << QStringList(1000, "@a.pellum") << none << false << "@s.wav"
                                                 << QStringList{"@s.wav"};
        QTest::newRow("names itself after a clip, RepeatAll")
            << QStringList{"@s.wav", "@a.pellum"} << 0 << QStringList{"@s.wav", "@a.pellum"} << none << true
            << "@s.wav" << QStringList{"@s.wav", "@s.wav"};
        QTest::newRow("two name each other, then a clip")
            << QStringList{"@a.pellum", "@x.wav"} << 0 << QStringList{"@b.pellum"} << QStringList{"@a.pellum"}
            << false << "@x.wav" << QStringList{"@x.wav"};
        QTest::newRow("named again through a link")
            << QStringList{"@a.pellum", "@link.pellum"} << 0 << QStringList{"@x.wav"} << none << false << "@x.wav"
            << QStringList{"@x.wav"};
        QTest::newRow("a list on an unplugged drive")
            << QStringList{"@gone/l.pellum", "@x.wav"} << 0 << none << none << false << "@x.wav"
            << QStringList{"@gone/l.pellum", "@x.wav"};
        QTest::newRow("a list on an unplugged drive, last row")
            << QStringList{"@x.wav", "@gone/l.pellum"} << 1 << none << none << true << ""
            << QStringList{"@x.wav", "@gone/l.pellum"};
        QTest::newRow("a pipe named like a list") << QStringList{"@pipe.pellum", "@x.wav"} << 0 << none << none
                                                  << false << "@x.wav" << QStringList{"@pipe.pellum", "@x.wav"};
    }
    void listRowsReadOnceARun()
    {
        QFETCH(QStringList, rows);
        QFETCH(int, click);
        QFETCH(QStringList, aLines);
        QFETCH(QStringList, bLines);
        QFETCH(bool, repeat);
        QFETCH(QString, plays);
        QFETCH(QStringList, left);
        start();
        if (repeat)
            Form1::instance().en_Click();
        fx.listFiles(aLines, bLines, 0.2);
        list().List1->AddItems(fx.at(rows));
        list().List1->setListIndex(click);
        QCOMPARE(mk().FileName(), fx.at(plays));
        if (!plays.isEmpty()) {
            QCOMPARE(list().CurrentIndex, int(fx.at(list().List1->items()).indexOf(fx.at(plays))));
            // A list row passed over keeps its place, and the row that plays is the one selected.
            if (left.contains(rows[click]))
                QCOMPARE(list().List1->ListIndex(), list().CurrentIndex);
        }
        QByteArray expected;
        for (const QString& line : fx.at(left))
            expected += line.toUtf8() + "\r\n";
        const QString afore = ProgramFolder::file("afore.pellum");
        QVERIFY2(waitFor([&] { return list().List1->items() == fx.at(left) && fx.env->readFile(afore) == expected; }, 8000),
                 qPrintable(QString::number(list().List1->ListCount()) + ": " + list().List1->items().mid(0, 3).join(' ')));
        QTest::qWait(1500);  // a few more ends of the clips
        QCOMPARE(list().List1->items(), fx.at(left));
        QCOMPARE(fx.env->readFile(afore), expected);
    }

    void listChangesAreSignalled()
    {
        start();
        QSignalSpy changed(&list(), &Form6::listChanged);
        list().List1->AddItem("/m/a.wav");
        list().List1->setList(0, "/m/b.wav");
        list().List1->RemoveItem(0);
        list().Command3_Click();
        QCOMPARE(changed.count(), 4);
    }

    void captionsFollowTheLanguage()
    {
        Form1& f = fx.fresh();
        fx.env->writeFile("home/fr.ini", "[language]\r\nimportlist=Importer\r\nadditems=Ajouter\r\n");
        QVERIFY(!Form6::isLoaded());
        Form7& chooser = Form7::instance();
        chooser.File1->setListIndex(chooser.File1->items().indexOf("fr.ini"));
        chooser.Command1_Click();
        QVERIFY(Form6::isLoaded());
        QVERIFY(!Form5::isLoaded());  // the second player waits for the compact mode
        QCOMPARE(Form6::instance().Command1->property("Caption").toString(), QStringLiteral("Importer"));
        QCOMPARE(Form6::instance().Command5->property("Caption").toString(), QStringLiteral("Ajouter"));
        QCOMPARE(Form6::instance().Command2->property("Caption").toString(), QStringLiteral("ExportList"));
        QVERIFY(!Form6::instance().isVisible());
        (void)f;
    }

    // --- the hand-over ---

    void enterCompactModeWhilePlaying()
    {
        Form1& f = fx.fresh();
        const QString a = writeWav(fx.env->path("a.wav"), 90), b = writeWav(fx.env->path("b.wav"), 90);
        PlayerFixture::add(f, {a, b});
        f.show();
        f.List2->setListIndex(1);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        f.mp->setCurrentPosition(60);
        QVERIFY(waitFor([&] { return f.mp->CurrentPosition() >= 60; }));
        QVERIFY(!Form5::isLoaded());  // the second player comes with the first use
        f.Image4->clicked();
        pellum& p = pellum::instance();
        QVERIFY(p.isVisible());
        QVERIFY(!f.isVisible());
        QCOMPARE(f.mp->FileName(), QString());
        QCOMPARE(mk().FileName(), b);
        QCOMPARE(list().List1->items(), (QStringList{a, b}));
        QCOMPARE(list().CurrentIndex, f.CurrentIndex);
        QVERIFY(waitFor([] { return mk().PlayState() == 2 && mk().CurrentPosition() >= 60; }));
        QVERIFY(mk().CurrentPosition() < 63);
        QVERIFY(!Form5::instance().isVisible());  // wav: no video window
        QVERIFY(!list().isVisible());
        QVERIFY(p.MarqueeRunning());
    }

    void enterCompactModeWithAnEmptyPlayer()
    {
        Form1& f = fx.fresh();
        PlayerFixture::add(f, {"/m/a.avi", "/m/b.avi"});
        f.show();
        f.sj->trigger();
        QCOMPARE(list().List1->items(), (QStringList{"/m/a.avi", "/m/b.avi"}));
        QCOMPARE(mk().FileName(), QString());
        QVERIFY(!Form5::instance().isVisible());
        QVERIFY(pellum::instance().isVisible());
        QCOMPARE(list().CurrentIndex, 1);
        // Nothing to show: the title greets instead.
        QVERIFY(waitFor([] { return pellum::instance().Label7->text() == QStringLiteral("njoy the PellumPlayer! E"); }, 1000));
    }

    void byebye_data()
    {
        QTest::addColumn<QString>("state");  // "playing", "stopped", "empty list"
        QTest::newRow("while playing") << "playing";
        QTest::newRow("after stop") << "stopped";
        QTest::newRow("empty compact list") << "empty list";
    }
    void byebye()
    {
        QFETCH(QString, state);
        Form1& f = fx.fresh();
        PlayerFixture::add(f, {"/m/old.wav"});
        f.List2->setList(0, "#" + f.List2->List(0));
        f.show();
        f.sj_Click();
        pellum& p = pellum::instance();
        QStringList rows;
        if (state != "empty list") {
            list().List1->Clear();
            rows = fill({"a.wav", "b.wav"}, 60);
            playRow(1);
            mk().setCurrentPosition(20);
            QVERIFY(waitFor([] { return mk().CurrentPosition() >= 20; }));
            if (state == "stopped") {
                p.Label4_Click();
                QVERIFY(waitFor([] { return mk().PlayState() == 0; }));
            }
        } else {
            list().List1->Clear();
        }
        list().show();
        Skins::instance().show();
        p.Label1_Click();
        QVERIFY(!Skins::isLoaded());
        QVERIFY(f.isVisible());
        QVERIFY(!p.isVisible());
        QVERIFY(!list().isVisible());
        QVERIFY(!Form5::instance().isVisible());
        QVERIFY(pellum::isLoaded());  // the compact windows stay loaded
        QVERIFY(f.mp->isVisible());
        QCOMPARE(f.List1->items(), rows);
        QCOMPARE(f.List2->ListCount(), rows.size());
        for (int i = 0; i < f.List2->ListCount(); ++i)
            QVERIFY(!f.List2->List(i).startsWith('#'));
        if (state == "playing") {
            QCOMPARE(f.mp->FileName(), rows[1]);
            QVERIFY(waitFor([&] { return f.mp->PlayState() == 2 && f.mp->CurrentPosition() >= 20; }));
            QVERIFY(f.mp->CurrentPosition() < 23);
            QVERIFY(waitFor([] { return mk().PlayState() == 1; }));
            QCOMPARE(f.CurrentIndex, 1);
            QCOMPARE(f.windowTitle().left(22), QStringLiteral("PellumPlayer@Dizoz >> "));
            QCOMPARE(f.Label4->text(), QStringLiteral("●b"));
        } else if (state == "stopped") {
            QCOMPARE(f.mp->FileName(), QString());
            QCOMPARE(mk().FileName(), QString());
            QCOMPARE(f.windowTitle(), QStringLiteral("PellumPlayer@Dizoz >> "));
        } else {
            QCOMPARE(f.List2->ListCount(), 0);
            QVERIFY(f.Picture2->isVisible());
        }
    }

    // A compact start takes up the previous run's list, which the compact exit wrote: a file named on the
    // command line joins it. Neither way out, nor the background save meanwhile, puts an empty list in
    // its place; afore.pellum keeps the bytes each row came in.
    void compactStartKeepsThePreviousList_data()
    {
        QTest::addColumn<QString>("commandLine");  // "file": a clip named
        QTest::addColumn<QString>("way");          // "Byebye, Exit" or "Power"
        for (const char* way : {"Byebye, Exit", "Power"}) {
            QTest::addRow("setting start, a file named, %s", way) << "file" << way;
            QTest::addRow("setting start, nothing named, %s", way) << "" << way;
            QTest::addRow("/J, %s", way) << "/J" << way;
        }
    }
    void compactStartKeepsThePreviousList()
    {
        QFETCH(QString, commandLine);
        QFETCH(QString, way);
        fx.freshEnv();
        const QByteArray previous = "/m/previous.wav\r\n/m/caf\xe9.wav\r\n";
        fx.env->writeFile("home/afore.pellum", previous);
        SettingsStore::SaveSetting("start", "pellum");
        const QString file = wav("named file.wav");
        Module1::Main(commandLine == "file" ? file : commandLine);
        Form1& f = Form1::instance();
        QVERIFY(!f.isVisible());
        const QStringList previousRows{"/m/previous.wav", QString::fromUtf8("/m/café.wav")};
        QCOMPARE(f.List1->items(), previousRows);
        const QStringList rows = previousRows + (commandLine == "file" ? QStringList{file} : QStringList{});
        const QByteArray expected = previous + (commandLine == "file" ? file.toUtf8() + "\r\n" : QByteArray());
        QCOMPARE(list().List1->items(), rows);
        const QString afore = ProgramFolder::file("afore.pellum");
        if (commandLine == "file") {
            QCOMPARE(mk().FileName(), file);
            QCOMPARE(list().CurrentIndex, 2);
            QVERIFY(waitFor([] { return mk().PlayState() == 2; }));
            QVERIFY(waitFor([&] { return fx.env->readFile(afore) == expected; }, 4000));
        } else {
            QVERIFY(mk().FileName().isEmpty());
            QTest::qWait(Module1::ListWriteDelay + 500);
            QCOMPARE(fx.env->readFile(afore), expected);
        }
        if (way == "Power") {
            pellum::instance().Label8_Click();
        } else {
            pellum::instance().Label1_Click();
            QVERIFY(f.isVisible());
            QCOMPARE(f.List1->items(), rows);
            f.exitc_Click();
        }
        QVERIFY(!Form1::isLoaded());
        QCOMPARE(fx.env->readFile(afore), expected);
    }

    // A compact list on an unplugged drive, the list window shown: the row that fails for its missing
    // file is kept, and so is the list saved.
    void rowOnAnUnpluggedDriveIsKept()
    {
        fx.freshEnv();
        const QByteArray previous = (fx.env->path("gone/a.wav") + "\r\n" + fx.env->path("gone/b.wav") + "\r\n").toUtf8();
        fx.env->writeFile("home/afore.pellum", previous);
        Module1::Main("/J");
        const QStringList rows = list().List1->items();
        QCOMPARE(rows.size(), 2);
        list().show();
        list().List1->setListIndex(0);
        QVERIFY(waitFor([] { return mk().ErrorFlag(); }));
        QTest::qWait(Module1::ListWriteDelay + 500);
        QCOMPARE(list().List1->items(), rows);
        pellum::instance().Label8_Click();
        QCOMPARE(fx.env->readFile(ProgramFolder::file("afore.pellum")), previous);
    }

    void alwaysOnTopBeforeTheFirstCompactUse()
    {
        Form1& f = fx.fresh();
        f.show();
        f.ontop_Click();
        QVERIFY(pellum::isLoaded());
        QVERIFY(!pellum::instance().isVisible());
        QVERIFY(pellum::instance().windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(f.isVisible());
        QVERIFY(!(f.windowFlags() & Qt::WindowStaysOnTopHint));
        f.sj_Click();
        f.ontop_Click();
        QVERIFY(pellum::instance().isVisible());  // still shown after the change of stacking
        QVERIFY(!(pellum::instance().windowFlags() & Qt::WindowStaysOnTopHint));
    }
};

QTEST_MAIN(CompactTest)
#include "test_compact.moc"
