// The add-files dialog on real folders and real playback: picking, the commit with list-file expansion,
// ClearList, the extents, the finders, Open Folder, the ClearList mirror, its texts, and the folder
// shortcuts.
#include "platform/desktop/shell.h"
#include "platform/drives/drives.h"
#include "player/playlistfile.h"
#include "tests/player_fixture.h"
#include "tests/support/smalldisk.h"
#include "player/she.h"
#include "ui/design.h"
#include "ui/twips.h"

#include <QDir>
#include <QFontMetrics>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollBar>
#include <QUrl>
#include <optional>

namespace {

QStringList rowsOf(const ListBox* l) { return l->items(); }

// Why row `row` of a shown list cannot be read whole by scrolling across it, or the empty text when it
// can: the list shows a horizontal scroll bar, the row is laid out wide enough for its text (so it is not
// cut short), and with the bar at its end the text ends inside the list.
QString rowOutOfReach(ListBox* l, int row)
{
    QCoreApplication::processEvents();
    QScrollBar* bar = l->horizontalScrollBar();
    if (!bar->isVisible())
        return QStringLiteral("%1 shows no horizontal scroll bar").arg(l->objectName());
    bar->setValue(bar->maximum());
    const QRect r = l->visualRect(l->model()->index(row, 0));
    const int text = l->fontMetrics().horizontalAdvance(l->List(row));
    const int margin = l->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, l) + 1;
    if (r.width() < text + 2 * margin)
        return QStringLiteral("%1: the row is cut short at %2 of its %3 pixels").arg(l->objectName()).arg(r.width()).arg(text);
    if (r.left() + margin + text > l->viewport()->width())
        return QStringLiteral("%1: scrolled to the end, the row still ends at %2, past the list's %3 pixels")
            .arg(l->objectName())
            .arg(r.left() + margin + text)
            .arg(l->viewport()->width());
    return QString();
}

}  // namespace

class AddFilesTest : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    // A fresh main window whose drive C: is a folder of the test; `more` gives the other drives once the
    // test's folders exist.
    Form1& fresh(const std::function<QList<Drives::Drive>()>& more = {})
    {
        fx.freshEnv();
        QList<Drives::Drive> table{{'C', Drives::Fixed, fx.env->path("C"), {}}};
        QDir().mkpath(fx.env->path("C"));
        if (more)
            table += more();
        Drives::setTableForTests(table);
        Form1& f = Form1::instance();
        f.Timer1->stop();  // rows of files that do not exist stay in the list
        return f;
    }
    QString folderOfWavs(const QString& name, const QStringList& files, double seconds = 2.0)
    {
        const QString dir = fx.env->path(name);
        QDir().mkpath(dir);
        for (const QString& file : files)
            writeWav(dir + "/" + file, seconds);
        return dir;
    }
    static Form2& dialogAt(const QString& folder)
    {
        Form2& d = Form2::instance();
        d.AddTarget = 1;
        d.di->setPath(folder);
        return d;
    }

private slots:
    void cleanup() { Drives::setTableForTests(std::nullopt); }

    void loadsWithItsParts()
    {
        Form1& f = fresh();
        Form2& d = Form2::instance();
        QVERIFY(QFileInfo(fx.env->home() + "/LNKs").isDir());
        QCOMPARE(d.ff->Pattern(), Form2::MediaPattern);
        QCOMPARE(Form2::MediaPattern.split(';').size(), 36);
        QCOMPARE(d.ff->Path(), fx.env->path("C") + "/");  // the first drive's root
        QCOMPARE(d.FolderPrefix(), fx.env->path("C") + "/");
        QCOMPARE(d.windowTitle(), QStringLiteral("Choice a directory that you store media files"));
        QVERIFY2(d.designProblems.isEmpty(), qPrintable(d.designProblems.join('\n')));
        for (QWidget* b : {d.Command1, d.Command2, d.Command3, d.Command4, d.Command5, d.Command6})
            QVERIFY(b && !Design::IsPlaceholder(b));
        QCOMPARE(d.Command1->property("Caption").toString(), QStringLiteral("OK"));
        QCOMPARE(d.Command3->property("Caption").toString(), QStringLiteral("Create Shortcut"));
        QCOMPARE(d.Command6->property("Caption").toString(), QStringLiteral("VCD"));
        QCOMPARE(d.Label1->text(), QStringLiteral("Selected items will add,no any selected items will add all."));
        QCOMPARE(d.command8->text(), QStringLiteral("Add"));
        QCOMPARE(d.Label2->text(), QStringLiteral("Clearlist"));
        QCOMPARE(Twips::of(d.option1).x(), Twips::of(d.Label2).x() + Twips::of(d.Label2).width() + 70);
        QCOMPARE(d.AddTarget, qint16(0));
        QVERIFY(!d.option1->isChecked());
        (void)f;
    }

    // The dialog opens again where the user last browsed to in the run, and its drive list shows the drive
    // that holds the folder browsed (none for a folder outside every drive). A folder gone since opens
    // the first drive's root.
    void reopensWhereTheUserBrowsed_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("drive");     // shown while the folder is browsed
        QTest::addColumn<bool>("removed");
        QTest::addColumn<QString>("reopened");  // the drive shown at the next opening
        QTest::newRow("a folder on C:") << "C/music" << "c:" << false << "c:";
        QTest::newRow("a folder on D:") << "D/films" << "d:" << false << "d:";
        QTest::newRow("outside every drive") << "elsewhere/deep" << "" << false << "";
        QTest::newRow("gone since") << "D/films" << "d:" << true << "c:";
    }
    void reopensWhereTheUserBrowsed()
    {
        QFETCH(QString, folder);
        QFETCH(QString, drive);
        QFETCH(bool, removed);
        QFETCH(QString, reopened);
        fresh([&] {
            QDir().mkpath(fx.env->path("D"));
            return QList<Drives::Drive>{{'D', Drives::CdRom, fx.env->path("D"), {}}};
        });
        const QString target = fx.env->path(folder);
        QDir().mkpath(target);
        writeWav(target + "/here.wav", 0.1);
        // The user walks there in the folder list: from its top ("/") down, one Enter per folder.
        whileModal([] { Form2::ShowFor(1); },
                   [&] {
                       Form2& d = Form2::instance();
                       const auto close = qScopeGuard([&] { d.Command2_Click(); });  // also when a check fails
                       d.di->setFocus();
                       d.di->setListIndex(0);  // the top of the folder chain
                       QTest::keyClick(d.di, Qt::Key_Return);
                       QCOMPARE(d.di->Path(), QStringLiteral("/"));
                       for (const QString& step : target.split('/', Qt::SkipEmptyParts)) {
                           // A subfolder's row comes after the chain of folders above it.
                           const int row = int(d.di->items().lastIndexOf(
                               QRegularExpression("^\\s*" + QRegularExpression::escape(step) + "$")));
                           QVERIFY2(row >= 0, qPrintable(step + ": " + d.di->items().join('|')));
                           d.di->setListIndex(row);
                           QTest::keyClick(d.di, Qt::Key_Return);
                       }
                       QCOMPARE(d.di->Path(), DirListBox::normal(target));
                       QCOMPARE(d.dr->currentText().left(2), drive);
                   });
        QVERIFY(!Form2::isLoaded());
        if (removed)
            QVERIFY(QDir(target).removeRecursively());
        const QString expected = removed ? fx.env->path("C") + "/" : DirListBox::normal(target);
        whileModal([] { Form2::ShowFor(1); },
                   [&] {
                       Form2& d = Form2::instance();
                       const auto close = qScopeGuard([&] { d.Command2_Click(); });
                       QCOMPARE(d.di->Path(), expected);
                       QCOMPARE(d.ff->Path(), expected);
                       QCOMPARE(d.dr->currentText().left(2), reopened);
                       if (!removed)
                           QCOMPARE(d.ff->items(), QStringList{"here.wav"});
                   });
    }

    void okCommits_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<bool>("emptyFolder");
        QTest::addColumn<QStringList>("expected");  // names, in List1's order
        QTest::newRow("two of five") << QList<int>{3, 1} << false << QStringList{"b.wav", "d.wav"};
        QTest::newRow("none selected") << QList<int>{} << false
                                       << QStringList{"a.wav", "b.wav", "c.wav", "d.wav", "e.wav"};
        // An empty folder (holding only a hidden clip) adds nothing, yet the list row already there is
        // expanded and played.
        QTest::newRow("empty folder") << QList<int>{} << true << QStringList{"x.wav", "y.wav"};
    }

    void okCommits()
    {
        QFETCH(QList<int>, selected);
        QFETCH(bool, emptyFolder);
        QFETCH(QStringList, expected);
        Form1& f = fresh();
        // A hidden clip beside the five is no row of the dialog and is never added.
        const QString five = folderOfWavs("five", {"e.wav", "a.wav", "c.wav", "b.wav", "d.wav", ".hidden.wav"});
        const QString empty = fx.env->path("empty");
        QDir().mkpath(empty);
        writeWav(empty + "/.only.wav", 2.0);
        const QString lists = folderOfWavs("lists", {"x.wav", "y.wav"});
        if (emptyFolder) {
            fx.env->writeFile("lists/old.pellum", (lists + "/x.wav\r\n" + lists + "/y.wav\r\n").toUtf8());
            PlayerFixture::add(f, {lists + "/old.pellum"});
        }
        Form2& d = dialogAt(emptyFolder ? empty : five);
        QCOMPARE(d.ff->ListCount(), emptyFolder ? 0 : 5);
        for (int i : selected)
            d.ff->setSelected(i, true);
        d.Command1_Click();
        QVERIFY(!SingleWindow<Form2>::isLoaded() || &Form2::instance() != &d);  // unloaded
        QStringList names;
        for (const QString& p : f.List1->items())
            names << SHE::FileNameOf(p);
        QCOMPARE(names, expected);
        QCOMPARE(f.List2->ListCount(), expected.size());
        QCOMPARE(f.List2->List(0), "01- " + expected[0]);
        QVERIFY(f.List2->isVisibleTo(&f));
        // Nothing was playing: the first row of the whole list plays.
        QCOMPARE(f.CurrentIndex, 0);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        QCOMPARE(f.mp->FileName(), f.List1->List(0));
    }

    void playStartsAtTheTopOfTheWholeList()
    {
        Form1& f = fresh();
        const QString dir = folderOfWavs("songs", {"new1.wav", "new2.wav"});
        const QString old = writeWav(fx.env->path("old.wav"), 2);
        PlayerFixture::add(f, {old});
        dialogAt(dir).Command1_Click();
        QCOMPARE(f.List1->ListCount(), 3);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        QCOMPARE(f.mp->FileName(), old);
    }

    void pickedListFiles_data()
    {
        QTest::addColumn<QStringList>("picks");      // names in the folder, in the order picked
        QTest::addColumn<QStringList>("expected");   // List1 afterwards, by name
        QTest::addColumn<bool>("completes");
        QTest::newRow(".M3U in capitals") << QStringList{"LIST.M3U", "z.wav"} << QStringList{"z.wav", "a.wav", "b.wav"} << true;
        QTest::newRow("ends in pls, no dot") << QStringList{"z.wav", "mypls"} << QStringList{"z.wav", "a.wav", "b.wav"} << true;
        // A list that names itself is read once; the walk ends.
        QTest::newRow("names itself") << QStringList{"loop.pellum"} << QStringList{"a.wav"} << true;
        // A list file that cannot be read ends the commit: nothing plays, yet the rows match the paths.
        QTest::newRow("unreadable") << QStringList{"z.wav", "gone.pellum", "a.wav"} << QStringList{"z.wav", "a.wav"} << false;
    }

    void pickedListFiles()
    {
        QFETCH(QStringList, picks);
        QFETCH(QStringList, expected);
        QFETCH(bool, completes);
        Form1& f = fresh();
        const QString dir = folderOfWavs("picks", {"a.wav", "b.wav", "c.wav", "z.wav"});
        const QByteArray list = (dir + "/a.wav\r\n#" + dir + "/c.wav\r\n" + dir + "/b.wav\r\n\r\n" + dir + "/c.wav\r\n").toUtf8();
        fx.env->writeFile("picks/LIST.M3U", list);
        fx.env->writeFile("picks/mypls", list);
        fx.env->writeFile("picks/loop.pellum", (dir + "/loop.pellum\r\n" + dir + "/a.wav\r\n").toUtf8());
        Form2& d = dialogAt(dir);
        for (const QString& p : picks)
            d.PL->AddItem(dir + "/" + p);
        d.Command1_Click();
        QStringList names;
        for (const QString& p : f.List1->items())
            names << SHE::FileNameOf(p);
        QCOMPARE(names, expected);
        QCOMPARE(f.List2->ListCount(), f.List1->ListCount());
        for (int i = 0; i < f.List1->ListCount(); ++i)
            QVERIFY(f.List2->List(i).endsWith(SHE::FileNameOf(f.List1->List(i))));
        QVERIFY(f.List2->isVisibleTo(&f));
        if (completes)
            QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        else
            QCOMPARE(f.mp->FileName(), QString());
    }

    void clearListWithAFilePlaying()
    {
        Form1& f = fresh();
        const QString playing = writeWav(fx.env->path("long.wav"), 20);
        PlayerFixture::add(f, {playing});
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        f.ccc_Click();
        const QString dir = folderOfWavs("new", {"n1.wav", "n2.wav"});
        Form2& d = dialogAt(dir);
        QVERIFY(d.option1->isChecked());
        d.Command1_Click();
        QCOMPARE(f.List1->items(), (QStringList{dir + "/n1.wav", dir + "/n2.wav"}));
        QCOMPARE(rowsOf(f.List2), (QStringList{"01- n1.wav", "02- n2.wav"}));
        QCOMPARE(f.CurrentIndex, -1);
        QCOMPARE(f.mp->FileName(), playing);
        QCOMPARE(f.mp->PlayState(), 2);
    }

    void commitToTheCompactList_data()
    {
        QTest::addColumn<bool>("clearList");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("current");
        QTest::newRow("adds, nothing playing") << false << false << QStringList{"old.wav", "a.wav", "x.wav"} << 0;
        QTest::newRow("adds while playing") << false << true << QStringList{"old.wav", "a.wav", "x.wav"} << 0;
        QTest::newRow("ClearList while playing") << true << true << QStringList{"a.wav", "x.wav"} << -1;
    }

    // The compact list window's Add Items: the picks land in its list, list files expanded; an idle
    // compact player starts its row 0.
    void commitToTheCompactList()
    {
        QFETCH(bool, clearList);
        QFETCH(bool, playing);
        QFETCH(QStringList, expected);
        QFETCH(int, current);
        Form1& f = fresh();
        const QString dir = folderOfWavs("compact", {"a.wav", "old.wav", "x.wav"}, 30.0);
        fx.env->writeFile("compact/more.pellum", (dir + "/x.wav\r\n").toUtf8());
        if (clearList)
            f.ccc_Click();
        Form6& list = Form6::instance();
        MediaPlayer& mk = *Form5::instance().mk;
        list.List1->AddItem(dir + "/old.wav");
        list.List1->setListIndex(0);
        if (!playing)
            mk.Stop();
        else
            QVERIFY(waitFor([&] { return mk.PlayState() == 2; }));
        list.CurrentIndex = 7;
        Form2& d = Form2::instance();
        d.AddTarget = 0;
        d.di->setPath(dir);
        d.PL->AddItem(dir + "/a.wav");
        d.PL->AddItem(dir + "/more.pellum");
        d.Command1_Click();
        QStringList names;
        for (const QString& p : list.List1->items())
            names << SHE::FileNameOf(p);
        QCOMPARE(names, expected);
        QCOMPARE(list.CurrentIndex, current);
        // Not playing: its row 0 is selected, which plays it; playing: the clip plays on.
        QCOMPARE(mk.FileName(), playing ? dir + "/old.wav" : list.List1->List(0));
        QVERIFY(waitFor([&] { return mk.PlayState() == 2; }));
        QCOMPARE(f.List1->ListCount(), 0);  // the main list is not touched
    }

    // A commit to the compact list before the compact mode was used creates its windows hidden.
    void commitToTheCompactListBeforeItsFirstUse()
    {
        Form1& f = fresh();
        const QString dir = folderOfWavs("songs", {"a.wav"});
        Form2& d = dialogAt(dir);
        d.AddTarget = 0;
        d.Command1_Click();
        QCOMPARE(f.List1->ListCount(), 0);
        QVERIFY(!Form2::isLoaded() || !Form2::instance().isVisible());
        QCOMPARE(Form6::instance().List1->items(), QStringList{dir + "/a.wav"});
        QVERIFY(!Form6::instance().isVisible());
        QCOMPARE(Form5::instance().mk->FileName(), dir + "/a.wav");
    }

    void sameFileClickedTwice()
    {
        Form1& f = fresh();
        const QString dir = folderOfWavs("two", {"a.wav", "b.wav"});
        Form2& d = dialogAt(dir);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        const QPoint at = d.ff->visualRect(d.ff->model()->index(1, 0)).center();
        QTest::mouseClick(d.ff->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseClick(d.ff->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(rowsOf(d.PL), (QStringList{dir + "/b.wav", dir + "/b.wav"}));
        QCOMPARE(Form2::Extent(d.PL), d.PL->fontMetrics().horizontalAdvance(dir + "/b.wav") + 500);
        // Add takes the selection (the clicked row), a click on a pick removes it, Clear empties.
        d.command8_Click();
        QCOMPARE(d.PL->ListCount(), 3);
        d.PL->setListIndex(0);
        QCOMPARE(d.PL->ListCount(), 2);
        d.Command1_Click();
        QCOMPARE(f.List1->items(), (QStringList{dir + "/b.wav", dir + "/b.wav"}));
    }

    void addAndClear()
    {
        fresh();
        const QString dir = folderOfWavs("three", {"a.wav", "b.wav", "c.wav"});
        Form2& d = dialogAt(dir);
        d.command8_Click();  // none selected: all
        QCOMPARE(d.PL->ListCount(), 3);
        d.ff->setSelected(2, true);
        d.command8_Click();
        QCOMPARE(d.PL->List(3), dir + "/c.wav");
        d.Command9_Click();
        QCOMPARE(d.PL->ListCount(), 0);
        d.Command2_Click();  // Cancel commits nothing
        QCOMPARE(Form1::instance().List1->ListCount(), 0);
    }

    void haExtent()
    {
        Form1& f = fresh();
        Form2::instance().ha();
        QCOMPARE(Form2::Extent(f.List2), 30);
        PlayerFixture::add(f, {"/music/short.mp3", "/music/a much longer name of a song.mp3"});
        Form2::instance().ha();
        QCOMPARE(Form2::Extent(f.List2), f.List2->fontMetrics().horizontalAdvance(f.List2->List(1)) + 30);
    }

    // A long row in the middle of each list can be scrolled into view, after each list's own way of
    // filling: the main list after the dialog's ha, the pick list after clicks in the file list, the
    // shortcut folders after the shortcuts are read.
    void longRowsScrollIntoView_data()
    {
        QTest::addColumn<QString>("list");
        QTest::newRow("main list List2") << "List2";
        QTest::newRow("pick list PL") << "PL";
        QTest::newRow("shortcut folders LS") << "LS";
    }
    void longRowsScrollIntoView()
    {
        QFETCH(QString, list);
        const QString longName = QStringLiteral("a rather long name that no list shows at once, with more words %1")
                                     .arg(QString(60, QLatin1Char('x')));
        Form1& f = fresh();
        ListBox* l = nullptr;
        if (list == QLatin1String("List2")) {
            PlayerFixture::add(f, {"/m/1.wav", "/m/" + longName + ".wav", "/m/3.wav"});
            Form2::instance().ha();
            f.show();
            QVERIFY(QTest::qWaitForWindowExposed(&f));
            l = f.List2;
        } else if (list == QLatin1String("PL")) {
            const QString dir = folderOfWavs("picks", {"1.wav", "2 " + longName + ".wav", "3.wav"}, 0.1);
            Form2& d = dialogAt(dir);
            d.show();
            QVERIFY(QTest::qWaitForWindowExposed(&d));
            for (int row : {2, 1, 0})
                QTest::mouseClick(d.ff->viewport(), Qt::LeftButton, {},
                                  d.ff->visualRect(d.ff->model()->index(row, 0)).center());
            QCOMPARE(d.PL->List(1), dir + "/2 " + longName + ".wav");
            l = d.PL;
        } else {
            const QString folders[3] = {fx.env->path("s1"), fx.env->path(longName), fx.env->path("s3")};
            for (int i = 0; i < 3; ++i) {
                QDir().mkpath(folders[i]);
                fx.env->writeFile(QStringLiteral("home/LNKs/%1").arg(i + 1), (folders[i] + "\r\n").toUtf8());
            }
            Form2& d = Form2::instance();
            d.show();
            QVERIFY(QTest::qWaitForWindowExposed(&d));
            QCOMPARE(d.LS->items(), (QStringList{folders[0], folders[1], folders[2]}));
            l = d.LS;
        }
        const QString reason = rowOutOfReach(l, 1);
        QVERIFY2(reason.isEmpty(), qPrintable(reason));
    }

    void finders_data()
    {
        QTest::addColumn<char>("letter");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("disc");
        QTest::addColumn<bool>("dvd");
        QTest::newRow("DVD on Z") << 'Z' << int(Drives::CdRom) << true << true;
        QTest::newRow("VCD on Z") << 'Z' << int(Drives::CdRom) << true << false;
        QTest::newRow("no disc in the drive") << 'D' << int(Drives::CdRom) << false << true;
        QTest::newRow("a stick is no disc drive") << 'D' << int(Drives::Removable) << true << false;
    }

    void finders()
    {
        QFETCH(char, letter);
        QFETCH(int, type);
        QFETCH(bool, disc);
        QFETCH(bool, dvd);
        const QString folder = dvd ? "VIDEO_TS" : "mpegav";
        QString driveRoot;
        fresh([&] {
            driveRoot = fx.env->path(QString("drive") + letter);
            QDir().mkpath(driveRoot + "/" + folder);
            fx.env->writeFile(driveRoot + "/" + folder + (dvd ? "/VTS_01_1.VOB" : "/AVSEQ01.DAT"), "x");
            return QList<Drives::Drive>{{QChar(letter), type, disc ? driveRoot : QString(), {}}};
        });
        Form2& d = Form2::instance();
        const QString before = d.ff->Path();
        NoticeWatcher notices;
        dvd ? d.Command5_Click() : d.Command6_Click();
        if (disc && type == Drives::CdRom) {
            QVERIFY(notices.texts.isEmpty());
            QCOMPARE(d.ff->Path(), driveRoot + "/" + folder);
            QCOMPARE(d.di->Path(), driveRoot + "/" + folder);
            QCOMPARE(d.dr->Drive(), QString(QChar(letter).toLower()) + ":");
            QCOMPARE(d.ff->ListCount(), 1);
        } else {
            QCOMPARE(notices.texts, QStringList{dvd ? "Please check your DVD whether in cdrom"
                                                    : "Please check your VCD whether in cdrom"});
            QCOMPARE(d.ff->Path(), before);
        }
    }

    void driveChoice()
    {
        fresh([&] {
            QDir().mkpath(fx.env->path("E/sub"));
            return QList<Drives::Drive>{{'D', Drives::CdRom, {}, {}}, {'E', Drives::Removable, fx.env->path("E"), {}}};
        });
        Form2& d = Form2::instance();
        d.dr->setDrive("E");
        QCOMPARE(d.ff->Path(), fx.env->path("E") + "/");
        QCOMPARE(d.windowTitle(), fx.env->path("E") + "/");
        // A drive with no disc leaves the browser, and the drive shown, where they were.
        d.dr->setDrive("D");
        QCOMPARE(d.ff->Path(), fx.env->path("E") + "/");
        QCOMPARE(d.dr->Drive(), QStringLiteral("e:"));
        // The folder list opens a subfolder; the file list follows.
        d.di->setPath(d.di->folderAt(d.di->ListCount() - 1));
        QCOMPARE(d.ff->Path(), fx.env->path("E/sub"));
        QCOMPARE(d.FolderPrefix(), fx.env->path("E/sub") + "/");
    }

    void openFolderAndClearListMirror()
    {
        Form1& f = fresh();
        const QString dir = folderOfWavs("with blank; and $(x)", {"a.wav"});
        QList<QPair<QString, QStringList>> starts;
        Shell::setLauncherForTests([&](const QString& program, const QStringList& args) {
            starts.append({program, args});
            return true;
        });
        Form2& d = dialogAt(dir);
        d.Command7_Click();
        Shell::setLauncherForTests({});
        QCOMPARE(starts.size(), 1);
        QCOMPARE(starts[0].first, QString::fromLatin1(Shell::kOpenUrl));
        QCOMPARE(QUrl(starts[0].second.value(0)).toLocalFile(), dir);

        d.option1->click();
        QVERIFY(f.ccc->Checked());
        QCOMPARE(SettingsStore::GetSetting("clearlist"), QStringLiteral("True"));
        d.option1->click();
        QVERIFY(!f.ccc->Checked());
        QCOMPARE(SettingsStore::GetSetting("clearlist"), QStringLiteral("False"));
    }

    void languageChooserReappliesTheTexts()
    {
        fresh();
        fx.env->writeFile("home/de.ini", "[language]\r\nok=Gut\r\nform2label1=Hinweis\r\nadd=Dazu\r\n");
        QVERIFY(!SingleWindow<Form2>::isLoaded());
        Form7& c = Form7::instance();
        const int row = int(c.File1->items().indexOf("de.ini"));
        QVERIFY(row >= 0);
        c.File1->setListIndex(row);
        c.Command1_Click();
        QVERIFY(SingleWindow<Form2>::isLoaded());  // loaded hidden by the change
        Form2& d = Form2::instance();
        QVERIFY(!d.isVisible());
        QCOMPARE(d.Label1->text(), QStringLiteral("Hinweis"));
        QCOMPARE(d.command8->text(), QStringLiteral("Dazu"));
        QCOMPARE(d.Command1->property("Caption").toString(), QStringLiteral("Gut"));
        QCOMPARE(d.Command5->property("Caption").toString(), QStringLiteral("DVD"));
    }

    // The ClearList check box after language changes stands where a dialog opened fresh in the last
    // language puts it, clear of its caption's text.
    void clearListBoxFollowsItsCaption_data()
    {
        QTest::addColumn<QStringList>("captions");  // the ClearList texts chosen in turn; "" is English
        QTest::newRow("long, then English") << QStringList{"Wiedergabeliste vor dem Hinzufügen leeren", ""};
        QTest::newRow("long, then short") << QStringList{"Wiedergabeliste vor dem Hinzufügen leeren", "Leeren"};
        QTest::newRow("short, then long") << QStringList{"Leeren", "Wiedergabeliste vor dem Hinzufügen leeren"};
        QTest::newRow("longer, long, English")
            << QStringList{"Die ganze Wiedergabeliste jedes Mal vorher leeren", "Liste vorher leeren", ""};
    }
    void clearListBoxFollowsItsCaption()
    {
        QFETCH(QStringList, captions);
        fresh();
        Form2& d = Form2::instance();
        d.show();
        for (int i = 0; i < captions.size(); ++i) {
            Form7& c = Form7::instance();
            if (captions[i].isEmpty()) {
                c.Command3_Click();
            } else {
                const QString name = QStringLiteral("lang%1.ini").arg(i);
                fx.env->writeFile("home/" + name, "[language]\r\nclearlist=" + captions[i].toUtf8() + "\r\n");
                c.File1->Refresh();
                const int row = int(c.File1->items().indexOf(name));
                QVERIFY(row >= 0);
                c.File1->setListIndex(row);
                c.Command1_Click();
            }
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            const QString shown = captions[i].isEmpty() ? QStringLiteral("Clearlist") : captions[i];
            QCOMPARE(d.Label2->text(), shown);
            const int textEnd = d.Label2->x() + d.Label2->fontMetrics().horizontalAdvance(shown);
            QVERIFY2(d.option1->x() > textEnd, qPrintable(QStringLiteral("the box at %1 covers \"%2\", which ends at %3")
                                                              .arg(d.option1->x())
                                                              .arg(shown)
                                                              .arg(textEnd)));
        }
        const QRect changed = d.option1->geometry();
        const QString last = d.Label2->text();
        SingleWindow<Form2>::release();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Form2& again = Form2::instance();
        again.show();
        QCOMPARE(again.Label2->text(), last);
        QCOMPARE(changed, again.option1->geometry());
    }

    void addItemsOpensTheDialogModally()
    {
        Form1& f = fresh();
        const QString dir = folderOfWavs("songs", {"a.wav"});
        bool seen = false;
        qint16 target = 0;
        QTimer t;
        t.setInterval(10);
        connect(&t, &QTimer::timeout, [&] {
            if (SingleWindow<Form2>::isLoaded() && Form2::instance().isVisible()) {
                Form2& d = Form2::instance();
                seen = d.isModal();
                target = d.AddTarget;
                d.di->setPath(dir);
                d.Command1_Click();
            }
        });
        t.start();
        f.FB1_Click();  // the flat button and the menu item run the same command
        QVERIFY(seen);
        QCOMPARE(target, qint16(1));
        QCOMPARE(f.List1->items(), QStringList{dir + "/a.wav"});
        f.ai->Click();
        QCOMPARE(f.List1->ListCount(), 2);
    }

    // --- folder shortcuts ---

    void shortcutAtADriveRootAnsweredEmpty()
    {
        fresh();
        Form2& d = Form2::instance();
        QCOMPARE(SHE::FileNameOf(d.ff->Path()), QString());  // what the name box proposes at a root
        Dialogs::answer(QString());
        d.Command3_Click();
        QCOMPARE(Dialogs::shown().size(), 1);
        QCOMPARE(Dialogs::shown()[0].text, QStringLiteral("Please give me a name for Shortcut."));
        QCOMPARE(Dialogs::shown()[0].title, QStringLiteral("Create Shortcut"));
        QVERIFY(QDir(fx.env->home() + "/LNKs").isEmpty());
        QCOMPARE(d.LK->ListCount(), 0);
    }

    void shortcutsCreateReplaceJumpDelete()
    {
        fresh();
        const QString a = folderOfWavs("music/a", {"1.wav"});
        const QString b = folderOfWavs("music/b", {"2.wav"});
        Form2& d = dialogAt(a);
        Dialogs::answer("fav");
        d.Command3_Click();
        QCOMPARE(d.LK->items(), QStringList{"fav"});
        QCOMPARE(d.LS->items(), QStringList{a});
        QCOMPARE(fx.env->readFile(fx.env->home() + "/LNKs/fav"), (a + "\r\n").toUtf8());
        QCOMPARE(Form2::RT(fx.env->home() + "/LNKs/fav"), a);
        // The same name again replaces the target.
        d.di->setPath(b);
        Dialogs::answer("fav");
        d.Command3_Click();
        QCOMPARE(d.LK->items(), QStringList{"fav"});
        QCOMPARE(d.LS->items(), QStringList{b});
        Dialogs::answer("other");
        d.di->setPath(a);
        d.Command3_Click();
        QCOMPARE(d.LK->items(), (QStringList{"fav", "other"}));
        QCOMPARE(d.LS->items(), (QStringList{b, a}));
        QCOMPARE(Form2::Extent(d.LS), d.LS->fontMetrics().horizontalAdvance(a.size() > b.size() ? a : b) + 500);

        // A click on a folder opens it and selects its name; a click on a name does the same.
        d.LS->setListIndex(0);
        QCOMPARE(d.ff->Path(), b);
        QCOMPARE(d.LK->ListIndex(), 0);
        d.LK->setListIndex(1);
        QCOMPARE(d.LS->ListIndex(), 1);
        QCOMPARE(d.ff->Path(), a);
        QCOMPARE(d.ff->items(), QStringList{"1.wav"});

        // Delete key on a selected name removes it with no question.
        Dialogs::clearScript();
        d.LK->setListIndex(0);
        QTest::keyClick(d.LK, Qt::Key_Delete);
        QVERIFY(Dialogs::shown().isEmpty());
        QCOMPARE(d.LK->items(), QStringList{"other"});
        QCOMPARE(d.LS->items(), QStringList{a});
        // The button removes the last one: both lists end empty.
        d.LK->setListIndex(0);
        d.Command4_Click();
        QCOMPARE(d.LK->ListCount(), 0);
        QCOMPARE(d.LS->ListCount(), 0);
        d.Command4_Click();  // nothing selected: nothing happens
        QVERIFY(Dialogs::shown().isEmpty());
    }

    // The shortcut list is the user's own names: one that begins with "." is listed like any other,
    // though the file lists beside it show no hidden files.
    void aShortcutNamedWithALeadingDot()
    {
        fresh();
        const QString a = folderOfWavs("music/a", {"1.wav", ".2.wav"});
        Form2& d = dialogAt(a);
        Dialogs::answer(".fav");
        d.Command3_Click();
        QCOMPARE(d.LK->items(), QStringList{".fav"});
        QCOMPARE(d.LS->items(), QStringList{a});
        QCOMPARE(d.ff->items(), QStringList{"1.wav"});
    }

    void shortcutToARemovedFolder_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("OK deletes it") << int(Dialogs::OK);
        QTest::newRow("Cancel keeps it") << int(Dialogs::Cancel);
    }

    void shortcutToARemovedFolder()
    {
        QFETCH(int, answer);
        fresh();
        const QString keep = folderOfWavs("keep", {"k.wav"});
        const QString gone = folderOfWavs("gone", {"g.wav"});
        fx.env->writeFile("home/LNKs/a-keep", (keep + "\r\n").toUtf8());
        fx.env->writeFile("home/LNKs/b-gone", (gone + "\r\n").toUtf8());
        fx.env->writeFile("home/LNKs/c-keep", (keep + "\r\n").toUtf8());
        QVERIFY(QDir(gone).removeRecursively());
        Form2& d = dialogAt(keep);
        QCOMPARE(d.LS->items(), (QStringList{keep, gone, keep}));
        Dialogs::answer(answer);
        d.LS->setListIndex(1);
        QCOMPARE(Dialogs::shown().size(), 1);
        QCOMPARE(Dialogs::shown()[0].text,
                 "[" + gone + "]  this directory is not exist!Do you want to delete this shortcut?");
        QCOMPARE(Dialogs::shown()[0].title, QStringLiteral("Error"));
        QCOMPARE(Dialogs::shown()[0].flags, int(Dialogs::OKCancel));
        QCOMPARE(d.ff->Path(), keep);
        if (answer == Dialogs::OK) {
            QCOMPARE(d.LK->items(), (QStringList{"a-keep", "c-keep"}));
            QCOMPARE(d.LS->items(), (QStringList{keep, keep}));
        } else {
            QCOMPARE(d.LK->items(), (QStringList{"a-keep", "b-gone", "c-keep"}));
            QVERIFY(QFile::exists(fx.env->home() + "/LNKs/b-gone"));
        }
    }

    void anEmptyShortcutFileKeepsTheRowsInStep()
    {
        fresh();
        const QString a = folderOfWavs("A", {"a.wav"});
        const QString c = folderOfWavs("C2", {"c.wav"});
        fx.env->writeFile("home/LNKs/a", (a + "\r\n").toUtf8());
        fx.env->writeFile("home/LNKs/b", "");
        fx.env->writeFile("home/LNKs/c", (c + "\r\n").toUtf8());
        Form2& d = Form2::instance();
        QCOMPARE(d.LS->items(), (QStringList{a, QString(), c}));
        d.LS->setListIndex(2);
        QCOMPARE(d.ff->Path(), c);
        QCOMPARE(d.LK->FileName(), QStringLiteral("c"));
        d.Command4_Click();
        QCOMPARE(d.LK->items(), (QStringList{"a", "b"}));
        QVERIFY(QFile::exists(fx.env->home() + "/LNKs/b"));
    }

    // A shortcut file's line is decoded on its own: a later line in the old code page leaves the folder as
    // it stands, and the jump reaches it.
    void aShortcutFileInTwoCodePages()
    {
        fresh();
        const QString a = folderOfWavs(QString::fromUtf8("Musique été"), {"a.wav"});
        fx.env->writeFile("home/LNKs/fav", (a + "\r\n").toUtf8() + "vieux \xe9t\xe9\r\n");
        Form2& d = Form2::instance();
        QCOMPARE(d.LS->items(), QStringList{a});
        d.LS->setListIndex(0);
        QCOMPARE(d.ff->Path(), a);
        QCOMPARE(d.ff->items(), QStringList{"a.wav"});
    }

    // A folder whose name holds a line break cannot be a shortcut file's one line: the user is told, and a
    // shortcut of that name keeps its folder.
    void aFolderWithALineBreakMakesNoShortcut()
    {
        fresh();
        const QString odd = folderOfWavs("two\nlines", {"a.wav"});
        const QString file = fx.env->writeFile("home/LNKs/fav", "/m/kept\r\n");
        Form2& d = dialogAt(odd);
        QCOMPARE(d.ff->Path(), odd);
        Dialogs::answer(QStringLiteral("fav"));
        d.Command3_Click();
        QCOMPARE(Dialogs::shown().size(), 2);
        QCOMPARE(Dialogs::shown()[1].text, QStringLiteral("[fav]  the shortcut could not be written."));
        QCOMPARE(fx.env->readFile(file), QByteArray("/m/kept\r\n"));
        QCOMPARE(d.LS->items(), QStringList{"/m/kept"});
    }

    // A shortcut that cannot be written, for a full disk or a folder of that name, names the file and
    // the reason; a shortcut of that name keeps its folder.
    void aShortcutThatCannotBeWritten_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a full disk") << "full" << "No space left on device";
        QTest::newRow("a folder of that name") << "folder" << "a folder of that name stands in its place";
    }
    void aShortcutThatCannotBeWritten()
    {
        QFETCH(QString, how);
        QFETCH(QString, reason);
        fresh();
        const QString a = folderOfWavs("music/a", {"1.wav"});
        const QString lnks = fx.env->home() + "/LNKs";
        std::optional<SmallDisk> disk;
        if (how == QLatin1String("full")) {
            disk.emplace(fx.env->home(), 64);  // the program folder, before the dialog makes LNKs
            if (!disk->mounted())
                QSKIP(qPrintable(disk->whyNot()));
        }
        const QString file = how == QLatin1String("full") ? fx.env->writeFile(lnks + "/fav", "/m/kept\r\n") : lnks + "/fav";
        if (how == QLatin1String("full"))
            QVERIFY(disk->fill(0));
        else
            fx.env->writeFile(lnks + "/fav/inside", "mine");
        Form2& d = dialogAt(a);
        Dialogs::answer(QStringLiteral("fav"));
        d.Command3_Click();
        QCOMPARE(Dialogs::shown().size(), 2);
        QCOMPARE(Dialogs::shown()[1].text,
                 QStringLiteral("[fav]  the shortcut could not be written.\n") + file + ": " + reason);
        if (how == QLatin1String("full")) {
            QCOMPARE(fx.env->readFile(file), QByteArray("/m/kept\r\n"));
            QCOMPARE(d.LS->items(), QStringList{"/m/kept"});
        } else {
            QCOMPARE(fx.env->readFile(file + "/inside"), QByteArray("mine"));
        }
    }

    void aNameThatCannotBeAFileName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("slash") << "a/b";
        QTest::newRow("dot") << ".";
        QTest::newRow("dot dot") << "..";
        QTest::newRow("too long") << QString(300, 'x');
    }

    void aNameThatCannotBeAFileName()
    {
        QFETCH(QString, name);
        fresh();
        const QString a = folderOfWavs("A", {"a.wav"});
        Form2& d = dialogAt(a);
        Dialogs::answer(name);
        d.Command3_Click();
        QCOMPARE(Dialogs::shown().size(), 2);
        QCOMPARE(Dialogs::shown()[1].kind, QStringLiteral("msgbox"));
        QVERIFY(Dialogs::shown()[1].text.startsWith("[" + name + "] "));
        QCOMPARE(d.LK->ListCount(), 0);
        QVERIFY(QDir(fx.env->home() + "/LNKs").isEmpty());
    }
};

QTEST_MAIN(AddFilesTest)
#include "test_addfiles.moc"
