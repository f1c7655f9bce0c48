// Recent files and bookmarks: the sixteen slots in the real settings file, the menus built from them,
// and replaying them on real playback.
#include "platform/media/realaudio.h"
#include "platform/programfolder.h"
#include "tests/player_fixture.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

namespace {

QString setting(const QString& key) { return SettingsStore::GetSetting(key); }
void set(const QString& key, const QString& value) { SettingsStore::SaveSetting(key, value); }

// The captions of the elements that exist and are visible, in menu order.
QStringList shownEntries(QMenu* menu, MenuItem* const (&array)[16])
{
    QStringList out;
    for (QAction* a : menu->actions())
        for (MenuItem* m : array)
            if (m == a && m->isVisible())
                out << m->Caption();
    return out;
}

const QString kNotify = QStringLiteral("can't to play,please assure either the path or name of file is correct.");

}  // namespace

class RecentTest : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    QString wav(const QString& name, double seconds = 3.0) { return writeWav(fx.env->path(name), seconds); }

private slots:
    // --- recent files ---

    void finishingTwiceGivesTwoEntries()
    {
        Form1& f = fx.fresh();
        const QString a = wav("A.wav", 0.3);
        PlayerFixture::add(f, {a, a});
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.List2->List(1).startsWith('#'); }));
        QCOMPARE(setting("f0"), a);
        QCOMPARE(setting("f1"), a);
        QCOMPARE(setting("f2"), QString());
        QCOMPARE(shownEntries(f.rff, f.f), (QStringList{"01. A.wav", "02. A.wav"}));
        // The entries follow the three commands and the separator, in slot order.
        const QList<QAction*> actions = f.rff->actions();
        QCOMPARE(actions.indexOf(f.f[0]), 4);
        QCOMPARE(actions.indexOf(f.f[1]), 5);
    }

    void discTracksAreNotRecorded_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("recorded");
        QTest::newRow("AVSEQ01.DAT") << "AVSEQ01.DAT" << false;
        QTest::newRow("avseq02.dat") << "avseq02.dat" << false;
        QTest::newRow("MUSIC04.DAT") << "MUSIC04.DAT" << false;
        QTest::newRow("VTS_01_1.VOB") << "VTS_01_1.VOB" << false;
        QTest::newRow("vts_1.vob") << "vts_1.vob" << true;
        QTest::newRow("song.wav") << "song.wav" << true;
    }
    void discTracksAreNotRecorded()
    {
        QFETCH(QString, name);
        QFETCH(bool, recorded);
        Form1& f = fx.fresh();
        set("f0", "/m/older.wav");
        f.RefreshRecentMenu();
        const QString path = fx.env->writeFile("disc/" + name, "x");  // a row whose file is missing plays nothing
        PlayerFixture::add(f, {path});
        f.List2->setListIndex(0);
        f.lllll->trigger();
        QCOMPARE(setting("f0"), recorded ? path : QStringLiteral("/m/older.wav"));
        QCOMPARE(setting("f1"), recorded ? QStringLiteral("/m/older.wav") : QString());
        const QStringList expected =
            recorded ? QStringList{"01. " + name, "02. older.wav"} : QStringList{"01. older.wav"};
        QCOMPARE(shownEntries(f.rff, f.f), expected);
    }

    void seventeenthPushesTheOldestOut()
    {
        Form1& f = fx.fresh();
        for (int i = 1; i <= 17; ++i)
            f.RecordRecent(QStringLiteral("/m/%1.wav").arg(i));
        QCOMPARE(setting("f0"), QStringLiteral("/m/17.wav"));
        QCOMPARE(setting("f15"), QStringLiteral("/m/2.wav"));
        const QStringList entries = shownEntries(f.rff, f.f);
        QCOMPARE(entries.size(), 16);
        QCOMPARE(entries.first(), QStringLiteral("01. 17.wav"));
        QCOMPARE(entries.last(), QStringLiteral("16. 2.wav"));
    }

    void gapsCloseUpInTheNumbering()
    {
        fx.freshEnv();
        const QString one = wav("one.wav");
        set("f1", one);
        set("f3", "radio:live");  // no separator: the whole text shows
        Form1& f = Form1::instance();  // the load step builds the menu
        QVERIFY(!f.f[0]->isVisible());
        QVERIFY(f.f[2] == nullptr);
        QCOMPARE(shownEntries(f.rff, f.f), (QStringList{"01. one.wav", "02. radio:live"}));
        f.f[1]->trigger();
        QCOMPARE(f.mp->FileName(), one);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        QCOMPARE(f.List1->ListCount(), 0);  // the list is not changed
        QCOMPARE(f.windowTitle(), QStringLiteral("PellumPlayer >> ") + one);
    }

    void addressesShowTheirWholeText_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("entry");
        QTest::newRow("recent http, ends in /") << "f" << "http://host/live/" << "01. http://host/live/";
        QTest::newRow("recent mms") << "f" << "mms://host/x" << "01. mms://host/x";
        QTest::newRow("recent drive path") << "f" << "C:\\Music\\a.mp3" << "01. a.mp3";
        QTest::newRow("bookmark http") << "b" << "http://host/live/,12.5" << "01. http://host/live/,12.5";
        QTest::newRow("bookmark mms") << "b" << "mms://host/x,3" << "01. mms://host/x,3";
        QTest::newRow("bookmark path") << "b" << "/m/a.wav,3" << "01. a.wav,3";
    }
    void addressesShowTheirWholeText()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, entry);
        fx.freshEnv();
        set(key + "2", value);
        Form1& f = Form1::instance();  // the load step builds both menus
        QCOMPARE(key == "f" ? shownEntries(f.rff, f.f) : shownEntries(f.bk, f.b), QStringList{entry});
    }

    void addressesPlayAsTheyAre_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("recent file") << "f" << "http://127.0.0.1:9/live/";
        QTest::newRow("bookmark") << "b" << "http://127.0.0.1:9/live/,2";
    }
    void addressesPlayAsTheyAre()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QString address = "http://127.0.0.1:9/live/";
        Form1& f = fx.fresh();
        set(key + "1", value);
        f.RefreshRecentMenu();
        f.SmS();
        MenuItem* entry = key == "f" ? f.f[1] : f.b[1];
        QVERIFY(entry);
        entry->trigger();
        QVERIFY(Dialogs::shown().isEmpty());  // an address has no length to measure
        QCOMPARE(f.mp->FileName(), address);
        QCOMPARE(setting(key + "1"), value);
        QCOMPARE(f.List1->items(), key == "f" ? QStringList() : QStringList{address});
    }

    void missingFileIsReportedAndDropped()
    {
        Form1& f = fx.fresh();
        const QString gone = fx.env->path("gone \"x\".wav");
        const QString kept = wav("kept.wav");
        set("f0", gone);
        set("f1", kept);
        f.RefreshRecentMenu();
        QCOMPARE(shownEntries(f.rff, f.f), (QStringList{"01. gone \"x\".wav", "02. kept.wav"}));
        f.f[0]->trigger();
        QCOMPARE(Dialogs::shown().size(), 1);
        QCOMPARE(Dialogs::shown()[0].kind, QStringLiteral("msgbox"));
        QCOMPARE(Dialogs::shown()[0].text, gone + "\r\n" + kNotify);
        QCOMPARE(Dialogs::shown()[0].title, QStringLiteral("Error"));
        QCOMPARE(setting("f0"), QString());
        QCOMPARE(setting("f1"), kept);
        QCOMPARE(shownEntries(f.rff, f.f), QStringList{"01. kept.wav"});
        QCOMPARE(f.mp->FileName(), QString());
        // An empty file cannot be played either.
        set("f1", fx.env->writeFile("empty.wav", QByteArray()));
        f.RefreshRecentMenu();
        f.f[1]->trigger();
        QCOMPARE(setting("f1"), QString());
        QCOMPARE(shownEntries(f.rff, f.f), QStringList());
    }

    void addAllRecentFiles_data()
    {
        QTest::addColumn<bool>("clearList");
        QTest::newRow("appended") << false;
        QTest::newRow("ClearList") << true;
    }
    void addAllRecentFiles()
    {
        QFETCH(bool, clearList);
        Form1& f = fx.fresh();
        if (clearList)
            f.ccc_Click();
        PlayerFixture::add(f, {"/m/old.wav"});
        set("f0", "/m/new.wav");
        set("f2", "/m/older.wav");
        set("f15", "/m/oldest.wav");
        f.adr->trigger();
        const QStringList recent{"/m/new.wav", "/m/older.wav", "/m/oldest.wav"};
        QCOMPARE(f.List1->items(), clearList ? recent : QStringList{"/m/old.wav"} + recent);
        QCOMPARE(f.List2->ListCount(), f.List1->ListCount());
        QCOMPARE(f.List2->ListIndex(), -1);
        QCOMPARE(f.mp->FileName(), QString());  // nothing starts
    }

    void clearRecentFiles()
    {
        Form1& f = fx.fresh();
        for (int i = 0; i < 16; ++i)
            set(QStringLiteral("f%1").arg(i), QStringLiteral("/m/%1.wav").arg(i));
        f.RefreshRecentMenu();
        QCOMPARE(shownEntries(f.rff, f.f).size(), 16);
        f.cr->trigger();
        for (int i = 0; i < 16; ++i)
            QCOMPARE(setting(QStringLiteral("f%1").arg(i)), QString());
        QVERIFY(fx.env->readFile(fx.env->settingsFile()).contains("f15="));  // cleared, not deleted
        QCOMPARE(shownEntries(f.rff, f.f), QStringList());
        QVERIFY(f.f[0] != nullptr);
        for (int i = 1; i < 16; ++i)
            QVERIFY(f.f[i] == nullptr);
    }

    void addCurrentFileWithNothingLoaded()
    {
        Form1& f = fx.fresh();
        set("f0", "/m/a.wav");
        set("f15", "/m/last.wav");
        f.lllll_Click();
        QCOMPARE(setting("f0"), QString());
        QCOMPARE(setting("f1"), QStringLiteral("/m/a.wav"));
        QCOMPARE(setting("f15"), QString());  // the last one moved out
        QCOMPARE(shownEntries(f.rff, f.f), QStringList{"01. a.wav"});
    }

    // --- bookmarks ---

    void bookmarkWithACommaInThePath()
    {
        Form1& f = fx.fresh();
        const QString song = writeWav(fx.env->path("a,b/song.wav"), 6.0);
        PlayerFixture::add(f, {song});
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2 && f.mp->CurrentPosition() > 0.3; }));
        f.AddB->trigger();
        const QString value = setting("b0");
        QVERIFY2(value.startsWith(song + ","), qPrintable(value));
        bool ok = false;
        const double at = value.mid(song.size() + 1).toDouble(&ok);
        QVERIFY(ok && at > 0.3 && at < 6.0);
        QCOMPARE(setting("note0"), QString());
        QCOMPARE(shownEntries(f.bk, f.b), QStringList{"01. song.wav," + value.mid(song.size() + 1)});

        // Replaying splits at the last comma: the whole path comes back, and the position.
        set("b0", song + ",4.5");
        f.st_Click();
        f.b[0]->trigger();
        QCOMPARE(f.List1->items(), (QStringList{song, song}));
        QCOMPARE(f.List2->ListIndex(), 1);
        QCOMPARE(f.mp->FileName(), song);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        QVERIFY2(f.mp->CurrentPosition() >= 4.4, qPrintable(QString::number(f.mp->CurrentPosition())));
    }

    void nothingToBookmark()
    {
        Form1& f = fx.fresh();
        set("b0", "/m/x.wav,1");
        f.SmS();
        f.AddB_Click();  // nothing loaded
        f.mp->setFileName(wav("s.wav"));
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        f.mp->Stop();
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 0; }));
        f.AddB_Click();  // a file name, but stopped
        QCOMPARE(setting("b0"), QStringLiteral("/m/x.wav,1"));
        QCOMPARE(setting("b1"), QString());
        QVERIFY(Dialogs::shown().isEmpty());
    }

    void seventeenthBookmarkDropsTheOldest()
    {
        Form1& f = fx.fresh();
        for (int i = 0; i < 16; ++i) {
            set(QStringLiteral("b%1").arg(i), QStringLiteral("/m/%1.wav,%1").arg(i));
            set(QStringLiteral("note%1").arg(i), i % 2 ? QStringLiteral("note %1").arg(i) : QString());
        }
        const QString song = wav("new.wav");
        f.mp->setFileName(song);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        f.mp->Pause();
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 1; }));
        f.AddB_Click();  // paused counts
        QVERIFY(setting("b0").startsWith(song + ","));
        QCOMPARE(setting("note0"), QString());
        for (int i = 1; i < 16; ++i) {
            QCOMPARE(setting(QStringLiteral("b%1").arg(i)), QStringLiteral("/m/%1.wav,%1").arg(i - 1));
            QCOMPARE(setting(QStringLiteral("note%1").arg(i)), (i - 1) % 2 ? QStringLiteral("note %1").arg(i - 1) : QString());
        }
        const QStringList entries = shownEntries(f.bk, f.b);
        QCOMPARE(entries.size(), 16);
        QVERIFY(entries[0].startsWith("01. new.wav,"));
        QCOMPARE(entries[1], QStringLiteral("02. 0.wav,0"));
        QCOMPARE(entries[2], QStringLiteral("03. note 1"));
        QCOMPARE(entries[15], QStringLiteral("16. 14.wav,14"));
        // Entries follow "Add Bookmark", "Edit Bookmark..." and the separator.
        QCOMPARE(f.bk->actions().indexOf(f.b[0]), 3);
    }

    void bookmarkMenuAtLoadWithGaps()
    {
        fx.freshEnv();
        set("b2", "/m/x.wav,3");
        set("note2", "the chorus");
        set("b5", "/m/y.wav,7.25");
        Form1& f = Form1::instance();
        QVERIFY(!f.b[0]->isVisible());
        QCOMPARE(shownEntries(f.bk, f.b), (QStringList{"01. the chorus", "02. y.wav,7.25"}));
    }

    void unplayableBookmarks_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("reported");
        QTest::newRow("missing file") << "@/gone.wav,2" << "@/gone.wav";
        QTest::newRow("no comma") << "@/s.wav" << "@/s.wav";
        QTest::newRow("empty") << "" << "";
    }
    void unplayableBookmarks()
    {
        QFETCH(QString, value);
        QFETCH(QString, reported);
        Form1& f = fx.fresh();
        wav("s.wav");
        value.replace("@", fx.env->root());
        reported.replace("@", fx.env->root());
        set("b0", value);
        f.SmS();
        f.b_Click(0);
        QCOMPARE(Dialogs::shown().size(), 1);
        QCOMPARE(Dialogs::shown()[0].text, reported + "\r\n" + kNotify);
        QCOMPARE(Dialogs::shown()[0].title, QStringLiteral("Error"));
        QCOMPARE(setting("b0"), value);  // the bookmark stays
        QCOMPARE(f.List1->ListCount(), 0);
        QCOMPARE(f.mp->FileName(), QString());
    }

    void upperCaseRmKeepsItsFirstCharacters()
    {
        Form1& f = fx.fresh();
        const QString clip = wav("CLIP.RM");
        set("b0", clip + ",1");
        f.b_Click(0);
        QVERIFY(Dialogs::shown().isEmpty());
        QCOMPARE(f.List1->items(), QStringList{clip});
    }

    void realMediaBookmarkRoundTrip()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
            QSKIP("ffmpeg is not installed: no RealMedia clip can be made");
        Form1& f = fx.fresh();
        const QString rm = fx.env->path("clips/x.rm");
        QVERIFY(writeRealMediaClip(rm));

        // The seven-character prefix, the path, a comma and the position in the control's unit.
        set("b0", "file://" + rm + ",5000");
        f.b_Click(0);
        RmF& rmf = RmF::instance();
        QCOMPARE(f.List1->items(), QStringList{rm});
        QCOMPARE(rmf.RA->Source(), rm);
        QCOMPARE(f.windowTitle(), QStringLiteral("PellumPlayer >> ") + rm);
        QVERIFY(waitFor([&] { return rmf.RA->GetPosition() >= 4900; }));
        QVERIFY(rmf.RA->GetPosition() < 7000);

        // Bookmarking the playing clip stores it the same way, and it replays.
        f.AddB_Click();
        const QString value = setting("b0");
        QVERIFY2(value.startsWith("file://" + rm + ","), qPrintable(value));
        const long at = value.mid(value.lastIndexOf(',') + 1).toLong();
        QVERIFY(at >= 4900);
        QCOMPARE(setting("b1"), "file://" + rm + ",5000");
        f.b_Click(0);
        QCOMPARE(f.List1->items(), (QStringList{rm, rm}));
        QCOMPARE(rmf.RA->Source(), rm);
    }
};

QTEST_MAIN(RecentTest)
#include "test_recent.moc"
