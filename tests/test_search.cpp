// The media search and its pattern sets: the drives walked, the matching rules, the order of the
// results, the stop rules with their result line, Folder Info, ToPlayList, and the walk's guards
// against link loops and 16-bit limits; on drive tables of temporary folders.
#include "platform/drives/drives.h"
#include "player/compact/mediawalk.h"
#include "tests/player_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <unistd.h>

namespace {

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
}

// The rows of `w`'s list with `prefix` taken off each, so that expectations read as relative paths.
QStringList relative(const QStringList& rows, const QString& prefix)
{
    QStringList out;
    for (const QString& r : rows)
        out << (r.startsWith(prefix) ? r.mid(prefix.size()) : r);
    return out;
}

QString resultLine(int n, const QString& pattern)
{
    return QStringLiteral("Find File(s): %1 items found matching \"%2\"").arg(n).arg(pattern);
}

// 129 folders of 255 sub-folders each: 33 024 folders, more than a 16-bit counter holds, each with one
// file "t.mp3".
constexpr int kTop = 129, kSub = 255, kBigFolders = kTop + kTop * kSub;

// The big tree lives in memory where the system offers a memory file system, so that making and
// removing 66 000 entries does not wait on a busy disk.
QString bigTreeTemplate()
{
    const QString shm = QStringLiteral("/dev/shm");
    const QString base = QFileInfo(shm).isDir() && QFileInfo(shm).isWritable() ? shm : QDir::tempPath();
    return base + QStringLiteral("/pellum-search-XXXXXX");
}

}  // namespace

class SearchTest : public QObject {
    Q_OBJECT
    PlayerFixture fx;
    QTemporaryDir big{bigTreeTemplate()};  // made once: it takes about a second

    // A drive table of folders below the test's root, one per letter; returns each root, ending in "/".
    QHash<QChar, QString> drives(const QString& letters)
    {
        QList<Drives::Drive> table;
        QHash<QChar, QString> roots;
        for (QChar l : letters) {
            const QString root = fx.env->path(QStringLiteral("drive") + l) + QLatin1Char('/');
            QDir().mkpath(root);
            table.append({l, l == QLatin1Char('C') ? int(Drives::Fixed) : int(Drives::Removable), root, {}});
            roots.insert(l, root);
        }
        Drives::setTableForTests(table);
        return roots;
    }

    // Runs `during` once, as soon as the walk has listed something, from inside the running search.
    struct WhenListed {
        QTimer timer;
        bool done = false;
        WhenListed(find& w, std::function<void()> during)
        {
            timer.setInterval(1);
            QObject::connect(&timer, &QTimer::timeout, [this, &w, during] {
                if (!done && w.SearchActive && w.List1->ListCount() > 0) {
                    done = true;
                    during();
                }
            });
            timer.start();
        }
    };

    void findFiles(find& w, const QString& pattern)
    {
        Dialogs::answer(pattern);
        w.mnuFindFiles->trigger();
    }

private slots:
    void initTestCase()
    {
        for (int t = 0; t < kTop; ++t) {
            const QString top = big.path() + QStringLiteral("/f%1").arg(t, 3, 10, QLatin1Char('0'));
            for (int s = 0; s < kSub; ++s)
                QVERIFY(QDir().mkpath(top + QStringLiteral("/s%1").arg(s, 3, 10, QLatin1Char('0'))));
            touch(top + "/t.mp3");
            for (int s = 0; s < kSub; ++s)
                touch(top + QStringLiteral("/s%1/t.mp3").arg(s, 3, 10, QLatin1Char('0')));
        }
    }
    void cleanup() { Drives::setTableForTests(std::nullopt); }

    // --- the window ---

    void opensFromTheMenuAndTheSkinButton_data()
    {
        QTest::addColumn<bool>("button");
        QTest::newRow("menu MediaScan") << false;
        QTest::newRow("skin button") << true;
    }
    void opensFromTheMenuAndTheSkinButton()
    {
        QFETCH(bool, button);
        Form1& f = fx.fresh();
        drives("C");
        if (button)
            QTest::mouseClick(f.Image9, Qt::LeftButton);
        else
            f.ms->trigger();
        QVERIFY(find::isLoaded());
        find& w = find::instance();
        QVERIFY(w.isVisible());
        QVERIFY(!w.isModal());
        QCOMPARE(w.windowTitle(), QStringLiteral("MediaScan"));
        QCOMPARE(w.mnuFindFiles->Caption(), QStringLiteral("Find File(s)..."));
        QCOMPARE(w.mnuFolderInfo->Caption(), QStringLiteral("Folder &Info..."));
        QCOMPARE(w.ch->Caption(), QStringLiteral("Choice"));
        QCOMPARE(w.tl->Caption(), QStringLiteral("ToPlayList"));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QVERIFY(qAbs(w.x() - (screen.width() - w.width()) / 2) <= 1);
        QVERIFY(qAbs(w.y() - (screen.height() - w.height()) / 2) <= 1);
    }

    void resizeKeepsTheStatusStripAtTheBottom()
    {
        fx.fresh();
        find& w = find::instance();
        w.show();
        w.resize(640, 420);
        QCOMPARE(w.StatusHeight, 17);
        QCOMPARE(w.List1->geometry().left(), 0);
        QCOMPARE(w.List1->width(), 640);
        QCOMPARE(w.List1->geometry().bottom() + 1, 420 - w.StatusHeight);
        QCOMPARE(w.Picture1->geometry(), QRect(0, 420 - w.StatusHeight, 640, w.StatusHeight));
    }

    // --- matching ---

    void wildcards_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");
        QTest::newRow("extension") << "*.mp3" << "song.mp3" << true;
        QTest::newRow("case ignored") << "*.mp3" << "SONG.Mp3" << true;
        QTest::newRow("pattern in capitals") << "*.MP3" << "song.mp3" << true;
        QTest::newRow("longer extension") << "*.mp3" << "song.mp3x" << false;
        QTest::newRow("extension elsewhere") << "*.mp3" << "song.mp3.txt" << false;
        QTest::newRow("*.* and no dot") << "*.*" << "README" << true;
        QTest::newRow("*.* and a dot") << "*.*" << "." << true;
        QTest::newRow("*.* and two dots") << "*.*" << ".." << true;
        QTest::newRow("name.* without extension") << "song.*" << "song" << true;
        QTest::newRow("name.* other name") << "song.*" << "songs" << false;
        QTest::newRow("? one letter") << "?.wav" << "a.wav" << true;
        QTest::newRow("? two letters") << "?.wav" << "ab.wav" << false;
        QTest::newRow("? one non-ASCII letter") << "?.wav" << QString::fromUtf8("é.wav") << true;
        QTest::newRow("non-ASCII name, ASCII pattern") << "*.ogg" << QString::fromUtf8("Ünïcødé.OGG") << true;
        QTest::newRow("non-ASCII letters without case") << QString::fromUtf8("*ÄB*") << QString::fromUtf8("xäbx") << true;
        QTest::newRow("non-ASCII mismatch") << QString::fromUtf8("*Ä*") << "xab" << false;
        QTest::newRow("stars backtrack") << "*a*b*c" << "xxaxxbxxbxc" << true;
        QTest::newRow("empty name") << "*" << "" << true;
    }
    void wildcards()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QFETCH(bool, matches);
        QCOMPARE(Wildcard(pattern).matches(name), matches);
    }

    // --- Find File(s) and MySearch ---

    void drivesSearched_data()
    {
        QTest::addColumn<bool>("mySearch");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("Find File(s): C: and D:") << false << QStringList{"C/c.mp3", "D/d.mp3"};
        QTest::newRow("MySearch: D: only") << true << QStringList{"D/d.mp3"};
    }
    void drivesSearched()
    {
        QFETCH(bool, mySearch);
        QFETCH(QStringList, found);
        fx.fresh();
        const auto roots = drives("ABCD");
        for (QChar l : QStringLiteral("ABCD"))
            touch(roots[l] + QString(l).toLower() + ".mp3");
        find& w = find::instance();
        if (mySearch)
            w.MySearch(QStringLiteral("*.mp3"));
        else
            findFiles(w, "*.mp3");
        QStringList expected;
        for (const QString& e : found)
            expected << roots[e[0]] + e.mid(2);
        QCOMPARE(w.List1->items(), expected);
        QCOMPARE(w.Picture1->text(), resultLine(found.size(), "*.mp3"));
        QVERIFY(!w.SearchActive);
        QCOMPARE(w.mnuFindFiles->Caption(), QStringLiteral("Find File(s)"));
        QVERIFY(w.mnuFolderInfo->isEnabled());
        if (!mySearch) {
            QCOMPARE(Dialogs::shown().size(), 1);
            QCOMPARE(Dialogs::shown()[0].text, QStringLiteral("Enter a extension of file."));
            QCOMPARE(Dialogs::shown()[0].title, QStringLiteral("MediaScan"));
            QCOMPARE(Dialogs::shown()[0].defaultText, QStringLiteral("*.mp3"));
        }
    }

    void emptyAnswerSearchesNothing()
    {
        fx.fresh();
        const auto roots = drives("C");
        touch(roots['C'] + "a.mp3");
        find& w = find::instance();
        w.List1->AddItem("kept");
        findFiles(w, "");
        QCOMPARE(w.List1->items(), QStringList{"kept"});
        QCOMPARE(w.mnuFindFiles->Caption(), QStringLiteral("Find File(s)..."));
    }

    void preOrderDotsAndHiddenFolders()
    {
        fx.fresh();
        const QString c = drives("C")['C'];
        for (const char* p : {"z/3.mp3", "x/y/2.MP3", "x/1.mp3", "0.mp3", ".hidden/h.mp3", "x/.cache/k.mp3",
                              "x/notes.txt"})
            touch(c + p);
        find& w = find::instance();
        findFiles(w, "*.mp3");
        // A folder's matches come before those of its sub-folders; hidden folders are never entered.
        QCOMPARE(relative(w.List1->items(), c), (QStringList{"0.mp3", "x/1.mp3", "x/y/2.MP3", "z/3.mp3"}));

        // "*.*" lists every entry, folders too, and "." and ".." of every folder below the root.
        findFiles(w, "*.*");
        QCOMPARE(relative(w.List1->items(), c),
                 (QStringList{".hidden", "0.mp3", "x", "z", "x/.", "x/..", "x/.cache", "x/1.mp3", "x/notes.txt",
                              "x/y", "x/y/.", "x/y/..", "x/y/2.MP3", "z/.", "z/..", "z/3.mp3"}));
        QCOMPARE(w.Picture1->text(), resultLine(16, "*.*"));
    }

    void aFolderReachedTwiceIsWalkedOnce()
    {
        fx.fresh();
        const QString c = drives("C")['C'];
        touch(c + "a/x.mp3");
        // A link back to the root, one to the folder itself, and one to a sibling.
        QVERIFY(QFile::link(c, c + "a/back"));
        QVERIFY(QFile::link(c + "a", c + "a/me"));
        QVERIFY(QFile::link(c + "a", c + "b"));
        find& w = find::instance();
        findFiles(w, "*.mp3");
        QCOMPARE(relative(w.List1->items(), c), QStringList{"a/x.mp3"});

        Dialogs::answer(QStringLiteral("C:\\"));
        w.mnuFolderInfo->trigger();
        QCOMPARE(Dialogs::shown().last().text, QStringLiteral("Total folders: \t4\r\nTotal files: \t1"));
    }

    // --- stopping ---

    void stopMidWalk_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Esc") << "esc";
        QTest::newRow("&Stop!") << "menu";
        QTest::newRow("MySearch while running") << "mysearch";
    }
    void stopMidWalk()
    {
        QFETCH(QString, how);
        fx.fresh();
        Drives::setTableForTests(QList<Drives::Drive>{{'C', Drives::Fixed, big.path(), {}}});
        find& w = find::instance();
        w.show();
        findFiles(w, "*.*");
        const QStringList all = w.List1->items();
        QCOMPARE(all.size(), 4 * kBigFolders);  // every folder, its "." and "..", and its file

        QString captionDuring;
        bool infoEnabledDuring = true;
        WhenListed stop(w, [&] {
            captionDuring = w.mnuFindFiles->Caption();
            infoEnabledDuring = w.mnuFolderInfo->isEnabled();
            if (how == "esc")
                QTest::keyClick(w.List1, Qt::Key_Escape);
            else if (how == "menu")
                w.mnuFindFiles->trigger();
            else
                w.MySearch(QStringLiteral("*.wav"));
        });
        findFiles(w, "*.*");
        QVERIFY(stop.done);
        QCOMPARE(captionDuring, QStringLiteral("&Stop!"));
        QVERIFY(!infoEnabledDuring);
        const QStringList rows = w.List1->items();
        QVERIFY2(rows.size() < all.size(), qPrintable(QString::number(rows.size())));
        QCOMPARE(rows, all.mid(0, rows.size()));  // what was found, in the order of the whole walk
        QCOMPARE(w.Picture1->text(), resultLine(int(rows.size()), "*.*"));
        QVERIFY(!w.SearchActive);
        QCOMPARE(w.mnuFindFiles->Caption(), QStringLiteral("Find File(s)"));
        QVERIFY(w.mnuFolderInfo->isEnabled());
    }

    void closingTheWindowStopsTheWalk()
    {
        fx.fresh();
        Drives::setTableForTests(QList<Drives::Drive>{{'C', Drives::Fixed, big.path(), {}}});
        find& w = find::instance();
        w.show();
        QPointer<find> window(&w);
        WhenListed close(w, [&] { w.close(); });
        findFiles(w, "*.*");
        QVERIFY(close.done);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!window);
        QVERIFY(!find::isLoaded());
    }

    // --- sixteen-bit limits ---

    void moreThan32767FoldersAndRows()
    {
        Form1& f = fx.fresh();
        Drives::setTableForTests(QList<Drives::Drive>{{'C', Drives::Fixed, big.path(), {}}});
        find& w = find::instance();
        Dialogs::answer(big.path());
        w.mnuFolderInfo->trigger();
        QCOMPARE(Dialogs::shown().last().text,
                 QStringLiteral("Total folders: \t%1\r\nTotal files: \t%1").arg(kBigFolders));
        QCOMPARE(Dialogs::shown().last().title, QStringLiteral("Folder Info for: ") + big.path() + "/");

        findFiles(w, "*.mp3");
        QCOMPARE(w.List1->ListCount(), kBigFolders);
        w.tl->trigger();
        QCOMPARE(f.List1->items(), w.List1->items());
        QCOMPARE(f.List2->ListCount(), kBigFolders);
        QCOMPARE(f.List2->List(kBigFolders - 1), QStringLiteral("%1- t.mp3").arg(kBigFolders));
    }

    // --- Folder Info ---

    void folderInfo_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("C: taken as C:\\") << "C:" << "Folder Info for: C:\\" << "Total folders: \t3\r\nTotal files: \t4";
        QTest::newRow("a sub-folder") << "c:\\music" << "Folder Info for: c:\\music\\"
                                      << "Total folders: \t1\r\nTotal files: \t2";
        QTest::newRow("this system's path") << "@music" << "Folder Info for: @music/"
                                             << "Total folders: \t1\r\nTotal files: \t2";
        QTest::newRow("no such folder") << "C:\\nowhere" << "Path is invalid" << "C:\\nowhere\\";
        QTest::newRow("no such drive") << "Q:\\" << "Path is invalid" << "Q:\\";
        QTest::newRow("no drive colon") << "music" << "" << "";
        QTest::newRow("cancelled") << "" << "" << "";
    }
    void folderInfo()
    {
        QFETCH(QString, answer);
        QFETCH(QString, title);
        QFETCH(QString, text);
        fx.fresh();
        const QString c = drives("CD")['C'];
        // "." and ".." are no files; a hidden folder counts as a folder but is not entered.
        for (const char* p : {"a.mp3", "music/b.mp3", "music/sub/c.wav", ".hidden/d.mp3", ".profile"})
            touch(c + p);
        answer.replace("@", c);
        title.replace("@", c);
        find& w = find::instance();
        w.List1->AddItem("earlier");
        Dialogs::answer(answer);
        w.mnuFolderInfo->trigger();
        QCOMPARE(Dialogs::shown().size(), title.isEmpty() ? 1 : 2);
        QCOMPARE(Dialogs::shown()[0].title, QStringLiteral("Folder Info"));
        QCOMPARE(Dialogs::shown()[0].text, QStringLiteral("Enter a valid explicit path:"));
        QCOMPARE(Dialogs::shown()[0].defaultText, QStringLiteral("C:\\"));
        if (!title.isEmpty()) {
            QCOMPARE(Dialogs::shown()[1].title, title);
            QCOMPARE(Dialogs::shown()[1].text, text);
        }
        const bool counted = title.startsWith("Folder Info for");
        QCOMPARE(w.List1->ListCount(), counted ? 0 : 1);
        // After a count the menu reads as the count's end step writes it.
        QCOMPARE(w.mnuFolderInfo->Caption(), counted ? QStringLiteral("&Folder Info...") : QStringLiteral("Folder &Info..."));
        QVERIFY(w.mnuFindFiles->isEnabled());
        QVERIFY(!w.SearchActive);
        QCOMPARE(w.Picture1->text(), QString());
    }

    // --- ToPlayList ---

    void toPlayList_data()
    {
        QTest::addColumn<bool>("clearList");
        QTest::newRow("ClearList off") << false;
        QTest::newRow("ClearList on") << true;
    }
    void toPlayList()
    {
        QFETCH(bool, clearList);
        Form1& f = fx.fresh();
        if (clearList)
            f.ccc_Click();
        const QString c = drives("C")['C'];
        touch(c + "new 1.mp3");
        touch(c + "new 2.mp3");
        PlayerFixture::add(f, {"/m/old a.wav", "/m/old b.wav", "/m/old c.wav"});
        find& w = find::instance();
        findFiles(w, "*.mp3");
        w.tl->trigger();
        // The main list holds the results only, each with its own row.
        QCOMPARE(f.List1->items(), (QStringList{c + "new 1.mp3", c + "new 2.mp3"}));
        QCOMPARE(f.List2->items(), (QStringList{"01- new 1.mp3", "02- new 2.mp3"}));
    }

    void emptyToPlayListKeepsTheListAndRebuildsItsRows()
    {
        Form1& f = fx.fresh();
        f.ccc_Click();  // ClearList: the rebuild drops the played marks
        drives("C");
        PlayerFixture::add(f, {"/m/a.wav", "/m/b.wav"});
        f.List2->setList(0, "#" + f.List2->List(0));
        find& w = find::instance();
        findFiles(w, "*.mp3");
        QCOMPARE(w.List1->ListCount(), 0);
        w.tl->trigger();
        QCOMPARE(f.List1->items(), (QStringList{"/m/a.wav", "/m/b.wav"}));
        QCOMPARE(f.List2->items(), (QStringList{"01- a.wav", "02- b.wav"}));
    }

    // --- pattern sets ---

    void patternSets_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<QString>("last");
        QTest::newRow("Available playing") << 0 << QStringList{"a.avi", "b.mpg", "c.rm", "d.mp3", "e.wav", "f.midi"}
                                           << "*.vob";
        QTest::newRow("Movies: no .avi") << 1 << QStringList{"b.mpg", "c.rm"} << "*.vob";
        QTest::newRow("Musics") << 2 << QStringList{"d.mp3", "e.wav", "f.midi", "c.rm"} << "*.wma";
    }
    void patternSets()
    {
        QFETCH(int, row);
        QFETCH(QStringList, found);
        QFETCH(QString, last);
        fx.fresh();
        const auto roots = drives("CD");
        touch(roots['C'] + "on c.avi");  // the sets search from D: upwards
        for (const char* n : {"a.avi", "b.mpg", "c.rm", "d.mp3", "e.wav", "f.midi", "g.txt"})
            touch(roots['D'] + n);
        find& w = find::instance();
        w.List1->AddItem("earlier result");
        // Choice shows the chooser modally; its OK runs the set and closes it.
        bool modal = false;
        QTimer::singleShot(0, [&] {
            Cs& cs = Cs::instance();
            modal = cs.isVisible() && cs.isModal();
            QCOMPARE(cs.windowTitle(), QStringLiteral("Search your favorites"));
            QCOMPARE(cs.Combo1->count(), 3);
            QCOMPARE(cs.Combo1->currentIndex(), 0);
            QCOMPARE(cs.Combo1->itemText(1), QStringLiteral("Movies"));
            cs.Combo1->setCurrentIndex(row);
            cs.Command1->click();
        });
        w.ch->trigger();
        QVERIFY(modal);
        QStringList expected{"earlier result"};
        for (const QString& n : found)
            expected << roots['D'] + n;
        QCOMPARE(w.List1->items(), expected);
        QCOMPARE(w.Picture1->text(), resultLine(int(expected.size()), last));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Cs::isLoaded());
        QVERIFY(!loadk::isLoaded());
    }

    void patternSetWithNoDriveBeyondC()
    {
        fx.fresh();
        const auto roots = drives("ABC");
        touch(roots['C'] + "a.mp3");
        find& w = find::instance();
        SingleWindow<loadk>::release();
        // What the loading window and the result strip show while the set runs.
        QStringList status, results;
        QTimer watch;
        watch.setInterval(0);
        connect(&watch, &QTimer::timeout, [&] {
            if (loadk::isLoaded() && (status.isEmpty() || status.last() != loadk::instance().Label4->text()))
                status << loadk::instance().Label4->text();
            if (!w.Picture1->text().isEmpty() && (results.isEmpty() || results.last() != w.Picture1->text()))
                results << w.Picture1->text();
        });
        watch.start();
        Cs::instance().Command1->click();
        results << w.Picture1->text();
        QStringList expectedStatus, expectedResults;
        for (const QString& p : Cs::Patterns(0)) {
            expectedStatus << "Searching All files match " + p;
            expectedResults << resultLine(0, p);
        }
        QCOMPARE(status, expectedStatus);
        QCOMPARE(results, expectedResults);
        QCOMPARE(w.List1->ListCount(), 0);
    }

    void choiceDuringASearch()
    {
        // The chooser stays reachable while Find File(s) walks: its first MySearch stops that walk, the
        // other patterns then search D: one after another, and Find File(s) ends last.
        fx.fresh();
        QDir().mkpath(fx.env->path("d"));
        touch(fx.env->path("d/a.avi"));
        touch(fx.env->path("d/b.mp3"));
        Drives::setTableForTests(QList<Drives::Drive>{{'C', Drives::Fixed, big.path(), {}},
                                                      {'D', Drives::Removable, fx.env->path("d"), {}}});
        find& w = find::instance();
        w.show();
        bool chosen = false;
        WhenListed choose(w, [&] {
            QTimer::singleShot(0, [&] {
                chosen = Cs::isLoaded() && Cs::instance().isModal();
                Cs::instance().Command1->click();
            });
            w.ch->trigger();
        });
        findFiles(w, "*.*");
        QVERIFY(choose.done);
        QVERIFY(chosen);
        const QStringList rows = w.List1->items();
        QVERIFY(rows.size() < 4 * kBigFolders + 1);
        QVERIFY(rows.first().startsWith(big.path()));
        QCOMPARE(rows.last(), fx.env->path("d/b.mp3"));
        QVERIFY(!rows.contains(fx.env->path("d/a.avi")));  // "*.avi" only stopped the walk
        QVERIFY(!w.SearchActive);
        QCOMPARE(w.mnuFindFiles->Caption(), QStringLiteral("Find File(s)"));
        QVERIFY(w.mnuFolderInfo->isEnabled());
        QCOMPARE(w.Picture1->text(), resultLine(int(rows.size()), "*.vob"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Cs::isLoaded());
    }

    void closingTheChooserStopsTheSet()
    {
        fx.fresh();
        QDir().mkpath(fx.env->path("c"));
        Drives::setTableForTests(QList<Drives::Drive>{{'C', Drives::Fixed, fx.env->path("c"), {}},
                                                      {'D', Drives::Removable, big.path(), {}}});
        find& w = find::instance();
        bool closed = false;
        QTimer watch;
        watch.setInterval(1);
        connect(&watch, &QTimer::timeout, [&] {
            if (!closed && w.SearchActive && Cs::isLoaded()) {
                closed = true;
                Cs::instance().close();
            }
        });
        watch.start();
        Cs::instance().Command1->click();
        QVERIFY(closed);
        // The first pattern's search stopped, with its result line, and no other pattern ran.
        QCOMPARE(w.Picture1->text(), resultLine(0, "*.avi"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Cs::isLoaded());
        QVERIFY(!loadk::isLoaded());
    }

    void cancelRunsNothing()
    {
        fx.fresh();
        const auto roots = drives("CD");
        touch(roots['D'] + "a.mp3");
        find& w = find::instance();
        Cs::instance().Combo1->setCurrentIndex(2);
        Cs::instance().Command2->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Cs::isLoaded());
        QCOMPARE(w.List1->ListCount(), 0);
        QCOMPARE(Cs::instance().Combo1->currentIndex(), 0);  // a fresh window starts at the first set
    }
};

QTEST_MAIN(SearchTest)
#include "test_search.moc"
