// The main road: start-up and shutdown, the play step's routing, transport, the status timer and the
// advance at the end of an item, on real playback of WAV files.
#include "platform/desktop/shell.h"
#include "platform/flash/shockwaveflash.h"
#include "platform/media/realaudio.h"
#include "platform/programfolder.h"
#include "player/playlistfile.h"
#include "tests/player_fixture.h"

#include <QProcess>
#include <QStandardPaths>

class MainRoadTest : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    QStringList wavs(int n, double seconds = 0.3)
    {
        QStringList out;
        for (int i = 0; i < n; ++i)
            out << writeWav(fx.env->path(QStringLiteral("t%1.wav").arg(i)), seconds);
        return out;
    }

    // A RealMedia clip with ac3 audio made by ffmpeg; the empty text when it cannot be made.
    QString makeRm(const QString& name, int seconds)
    {
        const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
        if (ffmpeg.isEmpty())
            return QString();
        const QString rm = fx.env->path(name);
        QProcess p;
        p.start(ffmpeg, {"-v", "error", "-f", "lavfi", "-i", QStringLiteral("sine=frequency=440:duration=%1").arg(seconds),
                         "-c:a", "ac3", "-y", rm});
        return p.waitForFinished(30000) && p.exitCode() == 0 ? rm : QString();
    }

private slots:
    void firstRunAndShutdown()
    {
        fx.freshEnv();
        Module1::Main(QString());
        Form1& f = Form1::instance();
        QVERIFY(f.isVisible());
        QVERIFY(!loadk::instance().isVisible());
        QCOMPARE(SettingsStore::GetSetting("uc"), QStringLiteral("1"));
        QCOMPARE(f.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized), Qt::WindowNoState);
        for (MenuItem* o : {f.sl, f.fs, f.en, f.ccc, f.dd, f.ontop, f.ck, f.cts, f.vitrif, f.shu})
            QVERIFY(!o->Checked());
        QVERIFY(f.nor->Checked());
        QCOMPARE(f.List2->ListCount(), 0);
        QVERIFY(f.windowTitle().startsWith("PellumPlayer - Version: "));
        QVERIFY(f.windowTitle().endsWith(" (0)"));
        f.close();  // the title bar's close runs the unload road
        QCOMPARE(fx.env->readFile(ProgramFolder::file("afore.pellum")), QByteArray());
        QCOMPARE(SettingsStore::GetSetting("start"), QStringLiteral("form1"));
        QCOMPARE(SettingsStore::GetSetting("form1st"), QStringLiteral("0"));
        QVERIFY(!Form1::isLoaded());
    }

    // The loading window's credit line opens the home page in the desktop's browser; a browser that
    // cannot be started changes nothing on the window.
    void loadingCreditOpensTheHomePage_data()
    {
        QTest::addColumn<bool>("browserStarts");
        QTest::newRow("browser starts") << true;
        QTest::newRow("no browser") << false;
    }
    void loadingCreditOpensTheHomePage()
    {
        QFETCH(bool, browserStarts);
        fx.freshEnv();
        QStringList started;
        Shell::setLauncherForTests([&](const QString& program, const QStringList& args) {
            started << program << args;
            return browserStarts;
        });
        loadk::ShowStatus(QStringLiteral("Loading"), 0);
        loadk& w = loadk::instance();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.Label5->isVisible());
        QTest::mouseClick(w.Label5, Qt::LeftButton);
        Shell::setLauncherForTests({});
        QCOMPARE(started, (QStringList{Shell::kOpenUrl, frmAbout::WebAddress}));
        QVERIFY(w.isVisible());
        QCOMPARE(w.Label4->text(), QStringLiteral("Loading"));
    }

    // Each start counts one more; the about window shows the count stored before this start.
    void startCounter_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("saved");
        QTest::newRow("fourth start") << "4" << "4" << "5";
        QTest::newRow("blanks around") << " 7 " << "7" << "8";
        QTest::newRow("garbage counts as none") << "banana" << "banana" << "1";
        QTest::newRow("largest stays") << "9223372036854775807" << "9223372036854775807" << "9223372036854775807";
        QTest::newRow("beyond the largest") << "99999999999999999999" << "99999999999999999999"
                                            << "9223372036854775807";
    }
    void startCounter()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(QString, saved);
        fx.freshEnv();
        SettingsStore::SaveSetting("uc", stored);
        Module1::Main(QString());
        QVERIFY(Form1::instance().windowTitle().endsWith(" (" + shown + ")"));
        QCOMPARE(SettingsStore::GetSetting("uc"), saved);
    }

    // A settings file that cannot be written is told once, naming the file; the player goes on.
    void unsavableSettingsAreToldOnce()
    {
        fx.freshEnv();
        QVERIFY(QDir().mkpath(fx.env->settingsFile()));
        Dialogs::answer(Dialogs::OK);
        Module1::Main(QString());
        Form1& f = Form1::instance();
        QVERIFY(f.isVisible());
        f.shu_Click();
        f.sl_Click();
        QVERIFY(f.shu->Checked());
        QVERIFY(SettingsStore::GetFlag("shu"));
        QCOMPARE(Dialogs::shown().size(), 1);
        const Dialogs::Shown told = Dialogs::shown().first();
        QCOMPARE(told.kind, QStringLiteral("msgbox"));
        QVERIFY2(told.text.contains(fx.env->settingsFile() + ": a folder"), qPrintable(told.text));
        QVERIFY(told.text.contains("could not be saved"));
        QVERIFY(QFileInfo(fx.env->settingsFile()).isDir());
    }

    void previousListComesBackWithoutPlaying()
    {
        fx.freshEnv();
        fx.env->writeFile("home/afore.pellum", "/m/a.wav\r\n#/m/b.wav\r\n\r\n/m/c.wav\r\n");
        SettingsStore::SaveSetting("uc", "4");
        Module1::Main(QString());
        Form1& f = Form1::instance();
        QCOMPARE(f.List1->items(), (QStringList{"/m/a.wav", "#/m/b.wav"}));
        QCOMPARE(f.List2->ListIndex(), -1);
        QCOMPARE(f.mp->FileName(), QString());
        QCOMPARE(SettingsStore::GetSetting("uc"), QStringLiteral("5"));
        f.showMaximized();
        f.exitc_Click();
        QCOMPARE(fx.env->readFile(ProgramFolder::file("afore.pellum")), QByteArray("/m/a.wav\r\n#/m/b.wav\r\n"));
        QCOMPARE(SettingsStore::GetSetting("form1st"), QStringLiteral("2"));
    }

    void commandLineFileIsAppendedAndPlays()
    {
        fx.freshEnv();
        fx.env->writeFile("home/afore.pellum", "/m/old.wav\r\n");
        const QString wav = writeWav(fx.env->path("with space $(x).wav"), 2.0);
        Module1::Main(wav);
        Form1& f = Form1::instance();
        QCOMPARE(f.List1->items(), (QStringList{"/m/old.wav", wav}));
        QCOMPARE(f.List2->ListIndex(), 1);
        QCOMPARE(f.mp->FileName(), wav);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        QCOMPARE(f.windowTitle(), QStringLiteral("PellumPlayer >> ") + wav);
        QCOMPARE(f.Label4->text(), QStringLiteral("●with space $(x)"));
    }

    void routing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("player");
        QTest::newRow("list in capitals") << "LIST.PELLUM" << "list";
        QTest::newRow("list without dot") << "mylistpellum" << "list";
        QTest::newRow("rm") << "clip.rm" << "rm";
        QTest::newRow("RM capitals") << "CLIP.RM" << "rm";
        QTest::newRow("rm without dot") << "storm" << "rm";
        QTest::newRow("rm and two more letters") << "clip.rmvb" << "mp";
        QTest::newRow("swf") << "movie.SWF" << "swf";
        QTest::newRow("wav") << "song.wav" << "mp";
    }
    void routing()
    {
        QFETCH(QString, name);
        QFETCH(QString, player);
        Form1& f = fx.fresh();
        // The files are there: a row whose file is missing is passed over, whatever its name.
        const QString path = fx.env->writeFile(name, player == "list" ? "/m/inner.wav\r\n" : "x");
        PlayerFixture::add(f, {"/m/first.wav", path});
        f.List2->setListIndex(1);
        RmF& rmf = RmF::instance();
        if (player == "list") {
            // The row gives way to the file's row, which plays from its place; its file is missing, so
            // it is passed over and the advance runs past the end.
            QCOMPARE(f.List1->items(), (QStringList{"/m/first.wav", "/m/inner.wav"}));
            QCOMPARE(f.CurrentIndex, 2);
            QCOMPARE(f.mp->FileName(), QString());
            return;
        }
        QCOMPARE(f.CurrentIndex, 1);
        QCOMPARE(f.PlayerInactive, player != "mp");
        QCOMPARE(f.mp->FileName(), player == "mp" ? path : QString());
        QCOMPARE(rmf.RA->Source(), player == "rm" ? path : QString());
        QCOMPARE(rmf.isVisible(), player == "rm");
        QCOMPARE(f.SF->isVisibleTo(&f), player == "swf");
        QCOMPARE(f.SF->Movie(), player == "swf" ? path : QString());
        if (player == "rm")
            QCOMPARE(f.windowTitle(), QStringLiteral("PellumPlayer >> ") + path);
        if (player == "swf")
            QCOMPARE(f.Label4->text(), QStringLiteral("●movie"));
    }

    void nextAndPreviousWrap()
    {
        Form1& f = fx.fresh();
        f.et_Click();  // an empty list: nothing
        f.ps_Click();
        PlayerFixture::add(f, {"/m/0.wav", "/m/1.wav", "/m/2.wav"});
        f.ps_Click();
        QCOMPARE(f.List2->ListIndex(), -1);  // nothing selected: previous does nothing
        f.et_Click();
        QCOMPARE(f.List2->ListIndex(), 0);
        f.ps_Click();
        QCOMPARE(f.List2->ListIndex(), 2);
        f.et_Click();
        QCOMPARE(f.List2->ListIndex(), 0);
    }

    void transport()
    {
        Form1& f = fx.fresh();
        f.pa_Click();  // pause while stopped does nothing
        QCOMPARE(f.mp->PlayState(), 0);
        QCOMPARE(f.mp->FileName(), QString());
        PlayerFixture::add(f, wavs(1, 3.0));
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        f.pa_Click();
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 1; }));
        f.Tfs();  // full screen option on and paused: unchanged
        f.fs->setChecked(true);
        f.mp->setDisplaySize(4);
        f.Tfs();
        QCOMPARE(f.mp->DisplaySize(), 4);
        f.pa_Click();
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        f.Tfs();
        QCOMPARE(f.mp->DisplaySize(), 3);
        f.fs->setChecked(false);
        f.Tfs();
        QCOMPARE(f.mp->DisplaySize(), 4);
        f.s2x->trigger();
        QCOMPARE(f.mp->Rate(), 2.0);
        int checked = 0;
        for (MenuItem* r : {f.s18x, f.s14x, f.s12x, f.nor, f.s15x, f.s2x})
            checked += r->Checked();
        QCOMPARE(checked, 1);
        QVERIFY(f.s2x->Checked());
        f.st_Click();
        QVERIFY(f.PlayerInactive);
        QCOMPARE(f.mp->FileName(), QString());
        QCOMPARE(f.PBX->value(), 1);
        QVERIFY(f.Label6->text().isEmpty());
    }

    // The status tick follows the clip on the seek bar, except while the user holds the thumb.
    void tickLeavesAHeldSeekBarAlone()
    {
        Form1& f = fx.fresh();
        f.show();
        PlayerFixture::add(f, wavs(1, 6.0));
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2 && f.mp->CurrentPosition() >= 2.5; }));
        f.PBX->setSliderDown(true);
        {
            const QSignalBlocker block(f.PBX);
            f.PBX->setValue(5);
        }
        f.mp->setCurrentPosition(1);
        QVERIFY(waitFor([&] { return f.mp->CurrentPosition() < 2; }));
        f.Timer1_Timer();
        QCOMPARE(f.PBX->value(), 5);
        f.PBX->setSliderDown(false);
        f.Timer1_Timer();
        QVERIFY(f.PBX->value() < 3);
    }

    void advanceInOrder()
    {
        Form1& f = fx.fresh();
        PlayerFixture::add(f, wavs(3));
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.List2->List(2).startsWith('#') && f.mp->PlayState() == 0; }));
        QTest::qWait(300);
        QCOMPARE(f.List2->items(), (QStringList{"#01- t0.wav", "#02- t1.wav", "#03- t2.wav"}));
        QCOMPARE(f.List2->ListIndex(), 2);
    }

    void repeatAllReplaysMarkedRowThenStops()
    {
        Form1& f = fx.fresh();
        f.en_Click();
        PlayerFixture::add(f, wavs(3));
        f.List2->setListIndex(0);
        // After row 2 ends, row 0 plays again although marked; when it ends it carries two marks and the
        // skip over the marked rows runs past the end.
        QVERIFY(waitFor([&] { return f.List2->List(0).startsWith("##"); }, 12000));
        QTest::qWait(400);
        QCOMPARE(f.List2->items(), (QStringList{"##01- t0.wav", "#02- t1.wav", "#03- t2.wav"}));
        QCOMPARE(f.mp->PlayState(), 0);
    }

    void markedRowsAreSkipped()
    {
        Form1& f = fx.fresh();
        PlayerFixture::add(f, wavs(3));
        f.List2->setList(1, "#" + f.List2->List(1));
        f.List2->setList(2, "#" + f.List2->List(2));
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.List2->List(0).startsWith('#'); }));
        QTest::qWait(300);
        QCOMPARE(f.List2->ListIndex(), 0);
        QCOMPARE(f.mp->PlayState(), 0);
    }

    void failingLastRowIsDropped_data()
    {
        QTest::addColumn<bool>("repeat");
        QTest::newRow("no repeat") << false;
        QTest::newRow("repeat all") << true;
    }
    void failingLastRowIsDropped()
    {
        QFETCH(bool, repeat);
        Form1& f = fx.fresh();
        f.show();
        if (repeat)
            f.en_Click();
        const QStringList ok = wavs(1, 3.0);
        PlayerFixture::add(f, {ok.first(), fx.env->writeFile("junk.wav", QByteArray(5000, '\x7f'))});
        f.List2->setListIndex(1);
        QVERIFY(waitFor([&] { return f.List1->ListCount() == 1; }));
        QCOMPARE(f.List1->items(), ok);
        QCOMPARE(f.List2->ListCount(), 1);
        if (repeat) {
            QCOMPARE(f.List2->ListIndex(), 0);
            QCOMPARE(f.mp->FileName(), ok.first());
        } else {
            QCOMPARE(f.List2->ListIndex(), -1);
        }
    }

    void failingMiddleRowPlaysTheNext()
    {
        Form1& f = fx.fresh();
        f.show();
        const QStringList ok = wavs(2, 3.0);
        PlayerFixture::add(f, {ok[0], fx.env->writeFile("junk.mp3", QByteArray(5000, '\x7f')), ok[1]});
        f.List2->setListIndex(1);
        QVERIFY(waitFor([&] { return f.List1->ListCount() == 2; }));
        QCOMPARE(f.List2->ListIndex(), 1);
        QCOMPARE(f.mp->FileName(), ok[1]);
        QCOMPARE(f.List2->items(), (QStringList{"01- t0.wav", "03- t1.wav"}));
    }

    void missingFilesArePassedOver_data()
    {
        // "ok" is a WAV file, "gone" a file on a drive that is not there, "glist" a list file there, "url"
        // an address.
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("clicked");
        QTest::addColumn<QString>("options");  // "en" RepeatAll, "shu" shuffle
        QTest::addColumn<int>("plays");        // the row that plays, -1 for none
        QTest::newRow("missing rows before a file") << QStringList{"gone", "gone", "ok"} << 0 << "" << 2;
        QTest::newRow("RepeatAll wraps to the top") << QStringList{"ok", "gone", "gone"} << 1 << "en" << 0;
        QTest::newRow("no wrap without RepeatAll") << QStringList{"ok", "gone", "gone"} << 1 << "" << -1;
        QTest::newRow("nothing playable, RepeatAll") << QStringList{"gone", "gone", "gone"} << 1 << "en" << -1;
        QTest::newRow("shuffle draws a file") << QStringList{"gone", "ok", "gone"} << 0 << "shu" << 1;
        QTest::newRow("shuffle and RepeatAll, nothing playable") << QStringList{"gone", "gone"} << 0 << "shu en" << -1;
        QTest::newRow("an address is not looked at") << QStringList{"gone", "url", "ok"} << 0 << "" << 1;
        QTest::newRow("a list file on a missing drive") << QStringList{"glist", "ok"} << 0 << "" << 1;
        QTest::newRow("a list file on a missing drive, nothing after") << QStringList{"ok", "glist"} << 1 << "" << -1;
        QTest::newRow("a list file on a missing drive, RepeatAll") << QStringList{"ok", "glist"} << 1 << "en" << 0;
    }
    void missingFilesArePassedOver()
    {
        QFETCH(QStringList, rows);
        QFETCH(int, clicked);
        QFETCH(QString, options);
        QFETCH(int, plays);
        Form1& f = fx.fresh();
        f.show();
        if (options.contains("en"))
            f.en_Click();
        if (options.contains("shu"))
            f.shu_Click();
        QStringList paths;
        for (int i = 0; i < rows.size(); ++i) {
            const QString name = QStringLiteral("r%1.wav").arg(i);
            paths << (rows[i] == "ok"      ? writeWav(fx.env->path(name), 3.0)
                      : rows[i] == "gone"  ? fx.env->path("unplugged/" + name)
                      : rows[i] == "glist" ? fx.env->path(QStringLiteral("unplugged/l%1.pellum").arg(i))
                                           : QStringLiteral("http://127.0.0.1:9/live/"));
        }
        PlayerFixture::add(f, paths);
        const QStringList shown = f.List2->items();
        f.List2->setListIndex(clicked);
        QCOMPARE(f.List2->ListIndex(), plays < 0 ? clicked : plays);
        QCOMPARE(f.mp->FileName(), plays < 0 ? QString() : paths[plays]);
        if (plays < 0) {
            const QString notice = "File not found: " + paths[clicked];
            QCOMPARE(f.Label4->text(), notice);
            QCOMPARE(f.windowTitle(), "PellumPlayer >> " + notice);
        } else if (rows[plays] == "url") {
            // An address that fails is a clip that cannot be played: it is dropped and the next row plays.
            QVERIFY(waitFor([&] { return f.List1->ListCount() == 2 && f.mp->FileName() == paths[2]; }));
            QCOMPARE(f.List1->items(), (QStringList{paths[0], paths[2]}));
            return;
        } else {
            QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        }
        QTest::qWait(400);  // the status timer drops nothing that is not there
        QCOMPARE(f.List1->items(), paths);
        QCOMPARE(f.List2->items(), shown);
        QCOMPARE(f.mp->PlayState(), plays < 0 ? 0 : 2);
        // The saved list keeps every path.
        f.exitc_Click();
        QCOMPARE(fx.env->readFile(ProgramFolder::file("afore.pellum")), (paths.join("\r\n") + "\r\n").toUtf8());
    }

    // A row whose file is missing, passed over in the middle of the list while the next row plays, is
    // named in the status text, once, whether the user clicked it or the advance came to it; so are the
    // rows passed over with it.
    void passedOverRowsAreNamed_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("click");  // the user clicks row 0; else row 0 plays to its end
        QTest::addColumn<int>("plays");
        QTest::newRow("clicked") << QStringList{"gone", "ok"} << true << 1;
        QTest::newRow("two clicked through") << QStringList{"gone", "gone", "ok"} << true << 2;
        QTest::newRow("the advance") << QStringList{"short", "gone", "ok"} << false << 2;
        QTest::newRow("the advance, two") << QStringList{"short", "gone", "gone", "ok"} << false << 3;
    }
    void passedOverRowsAreNamed()
    {
        QFETCH(QStringList, rows);
        QFETCH(bool, click);
        QFETCH(int, plays);
        Form1& f = fx.fresh();
        f.show();
        QStringList paths, gone;
        for (int i = 0; i < rows.size(); ++i) {
            const QString name = QStringLiteral("r%1.wav").arg(i);
            paths << (rows[i] == "gone" ? fx.env->path("unplugged/" + name)
                                        : writeWav(fx.env->path(name), rows[i] == "short" ? 0.2 : 5.0));
            if (rows[i] == "gone")
                gone << paths.last();
        }
        PlayerFixture::add(f, paths);
        if (click)
            QTest::mouseClick(f.List2->viewport(), Qt::LeftButton, {},
                              f.List2->visualRect(f.List2->model()->index(0, 0)).center());
        else
            f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.mp->FileName() == paths[plays] && f.mp->PlayState() == 2; }));
        // The status timer's ticks keep the notice while the next row plays.
        QTest::qWait(300);
        const QString status = f.Label5->text();
        QVERIFY2(status.startsWith("File not found, passed over:"), qPrintable(status));
        for (const QString& g : gone)
            QCOMPARE(status.count(g), 1);
        QCOMPARE(f.List1->items(), paths);
    }

    void endOfItemPassesOverMissingRows_data()
    {
        QTest::addColumn<bool>("repeat");
        QTest::newRow("in order") << false;
        QTest::newRow("RepeatAll") << true;
    }
    void endOfItemPassesOverMissingRows()
    {
        QFETCH(bool, repeat);
        Form1& f = fx.fresh();
        f.show();
        if (repeat)
            f.en_Click();
        const QStringList ok = wavs(2, 0.3);
        const QString gone = fx.env->path("unplugged/x.wav");
        PlayerFixture::add(f, {ok[0], gone, ok[1], gone});
        f.List2->setListIndex(0);
        // Row 0 ends, row 1 is not there, row 2 plays; then the missing last row counts as not there, so
        // RepeatAll starts again at the top.
        QVERIFY(waitFor([&] { return f.List2->List(2).startsWith('#'); }));
        if (repeat) {
            QVERIFY(waitFor([&] { return f.List2->List(0).startsWith("##"); }));
            f.st_Click();
        }
        QTest::qWait(300);
        QCOMPARE(f.List2->items(), (QStringList{repeat ? "##01- t0.wav" : "#01- t0.wav", "02- x.wav", "#03- t1.wav",
                                                "04- x.wav"}));
        QCOMPARE(f.List1->ListCount(), 4);
        QCOMPARE(f.mp->PlayState(), 0);
    }

    void itemWhoseDriveGoesAwayIsKept()
    {
        Form1& f = fx.fresh();
        f.show();
        const QStringList ok = wavs(2, 3.0);
        const QString onDrive = writeWav(fx.env->path("drive/song.wav"), 3.0);
        PlayerFixture::add(f, {onDrive, ok[1]});
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        // The drive goes while the file plays, and the player reports that it failed.
        QVERIFY(QFile::remove(onDrive));
        f.mp->setFileName(onDrive);
        QVERIFY(waitFor([&] { return f.mp->FileName() == ok[1]; }));
        QCOMPARE(f.List1->items(), (QStringList{onDrive, ok[1]}));
        QCOMPARE(f.List2->ListIndex(), 1);
    }

    void failedClipIsKeptWhileHidden()
    {
        Form1& f = fx.fresh();
        f.hide();
        PlayerFixture::add(f, {fx.env->writeFile("junk.wav", QByteArray(5000, '\x7f'))});
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.mp->ErrorFlag(); }));
        for (int i = 0; i < 3; ++i)
            f.Timer1_Timer();
        QCOMPARE(f.List1->ListCount(), 1);
    }

    void idleCaptionResetsAfterFiftyTicks()
    {
        Form1& f = fx.fresh();
        f.Timer1->stop();
        f.setWindowTitle("PellumPlayer >> something");
        for (int i = 0; i < 50; ++i)
            f.Timer1_Timer();
        QCOMPARE(f.windowTitle(), QStringLiteral("PellumPlayer >> something"));
        f.Timer1_Timer();
        const QString reset = QStringLiteral(" PellumPlayer - ") + frmAbout::instance().lv->text();
        QCOMPARE(f.windowTitle(), reset);
        f.setWindowTitle("again");
        for (int i = 0; i < 60; ++i)
            f.Timer1_Timer();
        QCOMPARE(f.windowTitle(), QStringLiteral("again"));  // once only
        // Loading and closing a file counts again from zero.
        f.mp->setFileName(writeWav(fx.env->path("x.wav"), 1.0));
        f.Timer1_Timer();
        f.mp->setFileName(QString());
        for (int i = 0; i < 51; ++i)
            f.Timer1_Timer();
        QCOMPARE(f.windowTitle(), reset);
    }

    void statusTextWhilePlaying()
    {
        Form1& f = fx.fresh();
        PlayerFixture::add(f, wavs(1, 3.0));
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2 && f.mp->Duration() > 0; }));
        f.Timer1_Timer();
        QCOMPARE(f.Label3->text(), QStringLiteral("Playing"));
        QVERIFY(f.Label5->text().endsWith(" / 00:03"));
        QVERIFY(f.Timer3->isActive());
        // The circle may have turned already while the clip started.
        const int phase = f.CirclePhase;
        f.Timer3_Timer();
        QCOMPARE(f.CirclePhase, 1 - phase);
        f.Timer3_Timer();
        QCOMPARE(f.CirclePhase, phase);
        f.st_Click();
        f.Timer1_Timer();
        QCOMPARE(f.Label3->text(), QStringLiteral("Stopped"));
        QCOMPARE(f.Label5->text(), f.WelcomeText);
        QVERIFY(!f.Timer3->isActive());
    }

    // Sound-only clips show the audio backdrop with the play state and the time, whatever their name;
    // a video keeps its picture.
    void audioBackdropForClipsOfSoundOnly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("video");
        QTest::addColumn<bool>("backdrop");
        QTest::newRow("ogg") << "a.ogg" << false << true;
        QTest::newRow("flac") << "a.flac" << false << true;
        QTest::newRow("m4a") << "a.m4a" << false << true;
        QTest::newRow("opus") << "a.opus" << false << true;
        QTest::newRow("wav, by its name") << "a.wav" << false << true;
        QTest::newRow("mp4 video") << "v.mp4" << true << false;
    }
    void audioBackdropForClipsOfSoundOnly()
    {
        QFETCH(QString, name);
        QFETCH(bool, video);
        QFETCH(bool, backdrop);
        Form1& f = fx.fresh();
        const QString clip = fx.env->path(name);
        QVERIFY(video ? writeTestVideo(clip, 2.0, QStringLiteral("160x120"))
                      : writeMedia(clip, {"-f", "lavfi", "-i", "sine=frequency=440:duration=2"}));
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        PlayerFixture::add(f, {clip});
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2 && f.mp->HasVideo().has_value(); }));
        QTest::qWait(150);
        f.Timer1_Timer();
        QCOMPARE(f.Picture2->isVisible(), backdrop);
        // What shows in the video area: the backdrop's colour, or the video's black (no picture offscreen).
        const QPoint spot = f.mp->mapTo(&f, QPoint(f.mp->width() - 20, f.mp->height() - 20));
        const QColor seen = f.grab().toImage().pixelColor(spot * f.devicePixelRatioF());
        QCOMPARE(seen, backdrop ? f.Picture2->palette().color(QPalette::Window) : QColor(Qt::black));
        if (backdrop) {
            QCOMPARE(f.Label3->text(), QStringLiteral("Playing"));
            QVERIFY2(f.Label5->text().endsWith(" / 00:02"), qPrintable(f.Label5->text()));
        }
    }

    void realMediaClipAdvances()
    {
        Form1& f = fx.fresh();
        const QString rm = makeRm("tiny.rm", 1);
        if (rm.isEmpty())
            QSKIP("ffmpeg could not make a RealMedia clip");
        const QStringList next = wavs(1, 3.0);
        f.shu_Click();  // the RealMedia window moves on in order, shuffle or not
        PlayerFixture::add(f, {rm, next.first()});
        f.List2->setListIndex(0);
        RmF& rmf = RmF::instance();
        QVERIFY(waitFor([&] { return rmf.RA->GetLength() > 0; }));
        f.Timer1_Timer();
        QCOMPARE(f.Label3->text(), QStringLiteral("Stopped"));
        QVERIFY(f.Label5->text().startsWith("PellumPlayer\r\nAuthor: "));
        QVERIFY(f.Label5->text().endsWith(" / 00:01"));
        QVERIFY(waitFor([&] { return f.mp->FileName() == next.first(); }, 10000));
        QCOMPARE(f.List2->List(0), QStringLiteral("#01- tiny.rm"));
        QCOMPARE(f.List2->ListIndex(), 1);
        QVERIFY(!rmf.isVisible());
    }

    // A RealMedia clip that cannot be played goes as a failed clip of the media player does (one whose
    // file is not there is passed over, as every missing row is).
    void failedRealMediaRowIsDropped_data()
    {
        QTest::addColumn<bool>("last");
        QTest::addColumn<bool>("repeat");
        QTest::newRow("in the middle: the next row plays") << false << false;
        QTest::newRow("last row: the list ends") << true << false;
        QTest::newRow("last row, repeat all: row 0 plays") << true << true;
    }
    void failedRealMediaRowIsDropped()
    {
        QFETCH(bool, last);
        QFETCH(bool, repeat);
        Form1& f = fx.fresh();
        f.show();
        if (repeat)
            f.en_Click();
        const QStringList ok = wavs(2, 3.0);
        const QString bad = fx.env->writeFile("junk.rm", QByteArray(6000, '\x33'));
        PlayerFixture::add(f, last ? QStringList{ok[0], bad} : QStringList{ok[0], bad, ok[1]});
        f.List2->setListIndex(1);
        RmF& rmf = RmF::instance();
        QVERIFY(rmf.isVisible());
        QVERIFY(waitFor([&] { return !f.List1->items().contains(bad); }, 5000));
        QVERIFY(!rmf.isVisible());
        QCOMPARE(rmf.RA->Source(), QString());
        if (!last) {
            QCOMPARE(f.List2->items(), (QStringList{"01- t0.wav", "03- t1.wav"}));
            QCOMPARE(f.List2->ListIndex(), 1);
            QCOMPARE(f.mp->FileName(), ok[1]);
        } else if (repeat) {
            QCOMPARE(f.List2->ListIndex(), 0);
            QCOMPARE(f.mp->FileName(), ok[0]);
        } else {
            QCOMPARE(f.List2->ListIndex(), -1);
            QCOMPARE(f.List1->items(), QStringList{ok[0]});
        }
        if (!last || repeat)
            QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
    }

    // Closing the RealMedia window by its title bar stops its clip as the Stop command does: no mark,
    // no next row; the window stays loaded and comes back with the next RealMedia row.
    void closingTheRealMediaWindowStops()
    {
        Form1& f = fx.fresh();
        f.show();
        const QString rm = makeRm("long.rm", 4);
        if (rm.isEmpty())
            QSKIP("ffmpeg could not make a RealMedia clip");
        PlayerFixture::add(f, QStringList{rm} + wavs(1, 0.3));
        f.List2->setListIndex(0);
        RmF* window = &RmF::instance();
        QVERIFY(waitFor([&] { return window->RA->GetPosition() > 200; }));
        QVERIFY(window->close() == false);  // refused: the window is kept
        QVERIFY(RmF::isLoaded());
        QCOMPARE(&RmF::instance(), window);
        QVERIFY(!window->isVisible());
        QCOMPARE(window->RA->Source(), QString());
        QVERIFY(f.PlayerInactive);
        QTest::qWait(1500);  // a tick of the window's own timer
        f.Timer1_Timer();
        QCOMPARE(f.Label5->text(), f.WelcomeText);
        QCOMPARE(f.List2->items(), (QStringList{"01- long.rm", "02- t0.wav"}));
        QCOMPARE(f.List2->ListIndex(), 0);
        QCOMPARE(f.mp->FileName(), QString());
        QCOMPARE(window->RA->GetPosition(), 0L);
        f.List2->setListIndex(0);
        QCOMPARE(&RmF::instance(), window);
        QVERIFY(window->isVisible());
        QVERIFY(waitFor([&] { return window->RA->GetPosition() > 200; }));
        f.st_Click();
    }

    // A play list row given to the media player is one item: it reads as playing while its entries
    // play, and it is marked and left once, after its last entry.
    void playListRowIsOneItem()
    {
        Form1& f = fx.fresh();
        writeWav(fx.env->path("la.wav"), 0.4);
        writeWav(fx.env->path("lb.wav"), 0.7);
        const QString list = fx.env->writeFile("l.m3u", "la.wav\r\nlb.wav\r\n");
        const QStringList next = wavs(1, 3.0);
        PlayerFixture::add(f, {list, next[0]});
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return qAbs(f.mp->Duration() - 0.7) < 0.05 && f.mp->CurrentPosition() > 0.1; }));
        f.Timer1_Timer();
        QCOMPARE(f.Label3->text(), QStringLiteral("Playing"));
        QVERIFY(f.Label5->text().endsWith(" / 00:01"));
        QCOMPARE(f.List2->List(0), QStringLiteral("01- l.m3u"));
        QVERIFY(waitFor([&] { return f.mp->FileName() == next[0]; }));
        QCOMPARE(f.List2->items(), (QStringList{"#01- l.m3u", "02- t0.wav"}));
        QCOMPARE(f.List2->ListIndex(), 1);
    }

    void waitKeepsTheLoopRunning()
    {
        QElapsedTimer t;
        t.start();
        bool ticked = false;
        QTimer::singleShot(50, [&] { ticked = true; });
        Form1::wait(0.2);
        QVERIFY(t.elapsed() >= 200);
        QVERIFY(ticked);
    }
};

QTEST_MAIN(MainRoadTest)
#include "test_mainroad.moc"
