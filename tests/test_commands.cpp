// The main window's file commands on real files and real playback: the open dialog, the list's
// right-click menu and tooltip, editing the list, importing, dropping files, opening an address and the
// fade-out; and names that a shell would misread reaching the file manager, mpv and the disk unchanged.
#include "platform/desktop/shell.h"
#include "platform/media/realaudio.h"
#include "player/playlistfile.h"
#include "tests/player_fixture.h"

#include <QDir>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollBar>
#include <algorithm>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

const QString kOpenFilter = QStringLiteral(
    "Media Files|*.vob;*.rm;*.swf;*.wav;*.mpeg;*.mpg;*.mp3;*.avi;*.ivf;*.aif;*.aifc;*.aiff;*.asf;*.asx;*.wax;"
    "*.wma;*.wmv;*.wvx;*.wmp;*.wmx;*.wmz;*.wms;*.mpe;*.midi;*.rmi;*.mid;*.m1v;*.mp2;*.mpa;*.mpv2;*.au;*.snd;"
    "*.dat;*.pellum|Images|*.jpg;*.bmp;*.gif|All Files|*.*");

struct LaunchLog {
    QList<QPair<QString, QStringList>> starts;
    LaunchLog()
    {
        Shell::setLauncherForTests([this](const QString& program, const QStringList& args) {
            starts.append({program, args});
            return true;
        });
    }
    ~LaunchLog() { Shell::setLauncherForTests({}); }
};

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    QString wav(const QString& name, double seconds = 3.0) { return writeWav(fx.env->path(name), seconds); }

    // The centre of a row of List2, in its viewport's pixels.
    static QPoint rowCentre(Form1& f, int row) { return f.List2->visualRect(f.List2->model()->index(row, 0)).center(); }

    Form1& shown()
    {
        Form1& f = fx.fresh();
        f.Timer1->stop();  // rows of files that do not exist stay in the list
        f.show();
        if (!QTest::qWaitForWindowExposed(&f))
            qWarning("the main window was not exposed");
        return f;
    }

    // Sends a drag over `at` (Form1's pixels) and, when it is taken, the drop; returns whether the drag
    // was accepted.
    static bool dropOn(Form1& f, const QPoint& at, const QList<QUrl>& urls, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction)
    {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(at, actions, &data, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&f, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(at), actions, &data, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&f, &drop);
        return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
    }
    static QPoint overList(Form1& f) { return f.List2->mapTo(&f, f.List2->rect().center()); }
    static QPoint overVideo(Form1& f) { return f.mp->mapTo(&f, QPoint(10, 10)); }

private slots:
    void cleanup() { Shell::setLauncherForTests({}); }

    // --- the open dialog ---

    void openFiles_data()
    {
        QTest::addColumn<int>("count");       // files chosen; 0 = cancelled
        QTest::addColumn<bool>("clearList");
        QTest::newRow("three files") << 3 << false;
        QTest::newRow("one file") << 1 << false;
        QTest::newRow("one file, ClearList") << 1 << true;
        QTest::newRow("two files, ClearList") << 2 << true;
        QTest::newRow("cancelled") << 0 << false;
        QTest::newRow("cancelled, ClearList") << 0 << true;
    }
    void openFiles()
    {
        QFETCH(int, count);
        QFETCH(bool, clearList);
        Form1& f = fx.fresh();
        if (clearList)
            f.ccc_Click();
        const QString old = wav("old.wav");
        PlayerFixture::add(f, {old});
        const QString folder = fx.env->path("music");
        QDir().mkpath(folder);
        // The order the dialog returns them in, not sorted.
        const QStringList names = QStringList{"b.wav", "a.wav", "c.wav"}.mid(0, count);
        for (const QString& n : names)
            writeWav(folder + "/" + n, 3.0);
        if (count == 0)
            Dialogs::answer(QString());
        else if (count == 1)
            Dialogs::answer(folder + "/" + names.first());
        else
            Dialogs::answer((QStringList{folder} + names).join(QChar(0)));
        f.openfile->trigger();

        QCOMPARE(Dialogs::shown().size(), 1);
        QCOMPARE(Dialogs::shown().first().kind, QStringLiteral("open"));
        QCOMPARE(Dialogs::shown().first().text, kOpenFilter);
        QCOMPARE(Dialogs::shown().first().flags, 524800);

        QStringList expected = clearList && count > 0 ? QStringList() : QStringList{old};
        for (const QString& n : names)
            expected << folder + "/" + n;
        QCOMPARE(f.List1->items(), expected);
        QCOMPARE(f.List2->ListCount(), expected.size());
        if (count == 0) {
            QCOMPARE(f.List2->ListIndex(), -1);
            QCOMPARE(f.mp->FileName(), QString());
            return;
        }
        const int first = clearList ? 0 : 1;
        QCOMPARE(f.List2->ListIndex(), first);
        QCOMPARE(f.mp->FileName(), folder + "/" + names.first());
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
    }

    void openFromTheRootFolder()
    {
        Form1& f = fx.fresh();
        Dialogs::answer(QStringList{"/", "x.wav", "y.wav"}.join(QChar(0)));
        f.openfile_Click();
        QCOMPARE(f.List1->items(), (QStringList{"/x.wav", "/y.wav"}));
    }

    // --- the list's right-click menu and tooltip ---

    void rightClickMarksTheRowUnderThePointer()
    {
        Form1& f = shown();
        PlayerFixture::add(f, {"/m/a.wav", "/m/b.wav", "/m/c.wav"});
        f.List2->doItemsLayout();
        QTest::mouseClick(f.List2->viewport(), Qt::LeftButton, {}, rowCentre(f, 2));
        QVERIFY(!f.tt->isVisible());  // a left click never opens it
        f.List2->setListIndex(-1);

        QTest::mousePress(f.List2->viewport(), Qt::RightButton, {}, rowCentre(f, 1));
        QCOMPARE(f.markedIndex, 1);
        QVERIFY(f.tt->isVisible());
        QCOMPARE(f.py->Caption(), QStringLiteral("Play- 02- b.wav"));
        QCOMPARE(f.cl->Caption(), QStringLiteral("Remove- 02- b.wav"));
        QCOMPARE(f.in->Caption(), QStringLiteral("Insert- 02- b.wav"));
        QCOMPARE(f.fss->Caption(), QStringLiteral("Fadeout To Stop"));
        QCOMPARE(f.loc->Caption(), QStringLiteral("Locate"));
        f.tt->hide();

        // Below the last row: the nearest row, the last.
        const QPoint below(5, f.List2->viewport()->height() - 3);
        QVERIFY(!f.List2->indexAt(below).isValid());
        QTest::mousePress(f.List2->viewport(), Qt::RightButton, {}, below);
        QCOMPARE(f.markedIndex, 2);
        QCOMPARE(f.py->Caption(), QStringLiteral("Play- 03- c.wav"));
        f.tt->hide();

        // Outside the client area: nothing happens.
        f.List2_MouseDown(2, 0, -300, 30);
        QCOMPARE(f.markedIndex, 2);
        QVERIFY(!f.tt->isVisible());
        // The menu's Play plays the marked row.
        f.markedIndex = 0;
        f.py->trigger();
        QCOMPARE(f.List2->ListIndex(), 0);
    }

    void rightClickOnAnEmptyList()
    {
        Form1& f = shown();
        f.markedIndex = 7;
        QTest::mousePress(f.List2->viewport(), Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(f.markedIndex, 7);
        QVERIFY(!f.tt->isVisible());
    }

    void megabytes_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("half") << qint64(524288) << ".50";
        QTest::newRow("1536 MB") << qint64(1610612736) << "1,536.00";
        QTest::newRow("empty") << qint64(0) << ".00";
        QTest::newRow("rounds down") << qint64(5242) << ".00";
        QTest::newRow("rounds up") << qint64(5243) << ".01";
        QTest::newRow("one") << qint64(1048576) << "1.00";
        QTest::newRow("millions") << qint64(1048576) * 1234567 + 524288 << "1,234,567.50";
        QTest::newRow("999.995 carries") << qint64(1048576) * 999 + 1048571 << "1,000.00";
    }
    void megabytes()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(Form1::megabytes(bytes), text);
    }

    void tooltipShowsNameAndSize()
    {
        Form1& f = shown();
        const QString half = fx.env->writeFile("half file.wav", QByteArray(524288, 'x'));
        PlayerFixture::add(f, {half, "/nowhere/gone.wav"});
        f.List2->doItemsLayout();
        // The list follows the pointer with no button held.
        QVERIFY(f.List2->viewport()->hasMouseTracking());
        auto moveTo = [&](const QPoint& at) {
            QMouseEvent move(QEvent::MouseMove, QPointF(at), f.List2->viewport()->mapToGlobal(QPointF(at)),
                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(f.List2->viewport(), &move);
        };
        moveTo(rowCentre(f, 0));
        QCOMPARE(f.List2->ToolTipText(), QStringLiteral("half file.wav Size:.50 MB"));
        // A file that is gone leaves the tooltip as it was.
        moveTo(rowCentre(f, 1));
        QCOMPARE(f.List2->ToolTipText(), QStringLiteral("half file.wav Size:.50 MB"));
        // Outside the client area the tooltip goes.
        f.List2_MouseMove(0, 0, -300, 30);
        QCOMPARE(f.List2->ToolTipText(), QString());
    }

    // --- editing the list ---

    void clearItems()
    {
        Form1& f = fx.fresh();
        PlayerFixture::add(f, {"/m/a.wav", "/m/a very long name that needs a horizontal scroll bar to be read whole.wav"});
        f.ci->trigger();
        QCOMPARE(f.List1->ListCount(), 0);
        QCOMPARE(f.List2->ListCount(), 0);
        QCOMPARE(f.CurrentIndex, -1);
        QCOMPARE(f.List2->horizontalScrollBar()->maximum(), 0);
    }

    // The list was made wide for a long row; once cleared, a short row dropped in shows no scroll bar.
    void clearItemsForgetsTheWidth()
    {
        Form1& f = shown();
        PlayerFixture::add(f, {"/m/a.wav", "/m/a very long name that needs a horizontal scroll bar to be read whole.wav"});
        Form2::instance().ha();
        QCoreApplication::processEvents();
        QVERIFY(f.List2->horizontalScrollBar()->isVisible());
        f.ci->trigger();
        const QString shortName = wav(QStringLiteral("b.wav"), 1.0);
        const QPoint onList = f.List2->mapTo(&f, f.List2->rect().center());
        QVERIFY(dropOn(f, onList, {QUrl::fromLocalFile(shortName)}));
        QCOMPARE(f.List2->items(), QStringList{QStringLiteral("01- b.wav")});
        QCoreApplication::processEvents();
        QVERIFY(!f.List2->horizontalScrollBar()->isVisible());
        QCOMPARE(f.List2->horizontalScrollBar()->maximum(), 0);
    }

    void removeKeepsTheNumbers()
    {
        Form1& f = fx.fresh();
        PlayerFixture::add(f, {"/m/1.wav", "/m/2.wav", "/m/3.wav", "/m/4.wav"});
        f.markedIndex = 2;
        f.cl->trigger();
        QCOMPARE(f.List1->items(), (QStringList{"/m/1.wav", "/m/2.wav", "/m/4.wav"}));
        QCOMPARE(f.List2->items(), (QStringList{"01- 1.wav", "02- 2.wav", "04- 4.wav"}));
        QCOMPARE(f.CurrentIndex, 1);
        // No row there: nothing happens.
        f.markedIndex = 9;
        f.cl_Click();
        f.markedIndex = -1;
        f.cl_Click();
        QCOMPARE(f.List1->ListCount(), 3);
        QCOMPARE(f.CurrentIndex, 1);
    }

    void insertMovesTheRowToPlayNext_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("marked");
        QTest::addColumn<QStringList>("order");  // List1 afterwards, by original row number
        QTest::newRow("row 5 while row 1 plays") << 0 << 4 << QStringList{"1", "5", "2", "3", "4", "6"};
        QTest::newRow("earlier row") << 3 << 1 << QStringList{"1", "3", "4", "2", "5", "6"};
        QTest::newRow("the selected row") << 2 << 2 << QStringList{"1", "2", "3", "4", "5", "6"};
        QTest::newRow("nothing selected") << -1 << 3 << QStringList{"4", "1", "2", "3", "5", "6"};
        QTest::newRow("no row marked") << 0 << 10 << QStringList{"1", "2", "3", "4", "5", "6"};
    }
    void insertMovesTheRowToPlayNext()
    {
        QFETCH(int, selected);
        QFETCH(int, marked);
        QFETCH(QStringList, order);
        Form1& f = fx.fresh();
        QStringList paths;
        for (int i = 1; i <= 6; ++i)
            paths << QStringLiteral("/m/%1.wav").arg(i);
        PlayerFixture::add(f, paths);
        f.List2->setList(4, "#" + f.List2->List(4));
        f.List2->setListIndex(selected);
        const QStringList rowsBefore = f.List2->items();
        f.markedIndex = marked;
        f.in->trigger();
        QStringList expectedPaths, expectedRows;
        for (const QString& n : order) {
            expectedPaths << QStringLiteral("/m/%1.wav").arg(n);
            expectedRows << rowsBefore.at(n.toInt() - 1);  // text, number and mark move with the row
        }
        QCOMPARE(f.List1->items(), expectedPaths);
        QCOMPARE(f.List2->items(), expectedRows);
        QCOMPARE(f.List2->ListIndex(), selected < 0 ? -1 : int(order.indexOf(QString::number(selected + 1))));
        if (marked != selected && marked < 6)
            QCOMPARE(f.CurrentIndex, f.List2->ListIndex());
    }

    void locateOpensTheFolder_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");  // what the file manager is asked to show
        QTest::newRow("nested") << "Media/Live/a.wav" << "Media/Live";
        QTest::newRow("played mark on the row") << "Media/b.wav" << "Media";
        QTest::newRow("backslash path") << "Media\\c.wav" << "Media";
    }
    void locateOpensTheFolder()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        Form1& f = fx.fresh();
        QDir().mkpath(fx.env->path(folder));
        LaunchLog log;
        PlayerFixture::add(f, {"/m/x.wav", fx.env->path(path)});
        f.List2->setList(1, "#" + f.List2->List(1));
        f.markedIndex = 1;
        f.loc->trigger();
        QCOMPARE(log.starts.size(), 1);
        QCOMPARE(log.starts[0].first, QString::fromLatin1(Shell::kOpenUrl));
        QCOMPARE(log.starts[0].second.size(), 1);
        QCOMPARE(QUrl(log.starts[0].second[0]).toLocalFile(), QFileInfo(fx.env->path(folder)).absoluteFilePath());
        QVERIFY(Dialogs::shown().isEmpty());
    }

    // Programs the desktop may lack, on a PATH of the test's own: `programs` are shell scripts that
    // write their arguments to a file named after them ("works"), or files the system cannot run
    // ("broken"). The caller puts PATH back.
    void programsOnly(const QStringList& programs, const QString& kind)
    {
        const QString bin = fx.env->path("bin");
        QDir().mkpath(bin);
        for (const QString& name : programs) {
            const QByteArray body = kind == "works" ? "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\n" : QByteArray("\x7f\x01garbage");
            const QString path = fx.env->writeFile("bin/" + name, body);
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("PATH", QFile::encodeName(bin));
    }

    // Volume, from the main window and from the compact player, says what is missing when no mixer
    // starts: one message each time.
    void volumeWithoutAMixerIsTold_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<QStringList>("programs");
        QTest::addColumn<QString>("told");
        for (const char* road : {"main", "compact"}) {
            QTest::addRow("%s, no mixer", road) << road << QStringList() << "No volume mixer was found";
            QTest::addRow("%s, a mixer that cannot run", road)
                << road << QStringList{"kmix"} << "could not be started";
        }
    }
    void volumeWithoutAMixerIsTold()
    {
        QFETCH(QString, road);
        QFETCH(QStringList, programs);
        QFETCH(QString, told);
        Form1& f = fx.fresh();
        const QByteArray oldPath = qgetenv("PATH");
        const auto restore = qScopeGuard([&] { qputenv("PATH", oldPath); });
        programsOnly(programs, "broken");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Shell: (no volume mixer found|could not start .*)$"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Shell: (no volume mixer found|could not start .*)$"));
        for (int times = 1; times <= 2; ++times) {
            if (road == "main")
                f.vol->Click();
            else
                pellum::instance().Image2_Click();
            QCOMPARE(Dialogs::shown().size(), times);
            QVERIFY2(Dialogs::shown().last().text.contains(told), qPrintable(Dialogs::shown().last().text));
        }
    }

    // Locate with no file manager on the system says so, naming the folder; with one, it shows the folder
    // and says nothing.
    void locateWithoutAFileManager_data()
    {
        QTest::addColumn<QStringList>("programs");
        QTest::addColumn<QString>("told");  // empty: the file manager got the folder
        QTest::newRow("none") << QStringList() << "No file manager was found to show";
        QTest::newRow("a file manager") << QStringList{"pcmanfm"} << "";
    }
    void locateWithoutAFileManager()
    {
        QFETCH(QStringList, programs);
        QFETCH(QString, told);
        Form1& f = fx.fresh();
        const QString folder = fx.env->path("Live set");
        QDir().mkpath(folder);
        const QByteArray oldPath = qgetenv("PATH");
        const auto restore = qScopeGuard([&] { qputenv("PATH", oldPath); });
        programsOnly(programs, "works");
        if (!told.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, "Shell: no file manager found");
        PlayerFixture::add(f, {folder + "/a.wav"});
        f.markedIndex = 0;
        f.loc->trigger();
        if (told.isEmpty()) {
            QVERIFY(Dialogs::shown().isEmpty());
            const QString args = fx.env->path("bin/pcmanfm.args");
            QVERIFY(waitFor([&] { return QFileInfo(args).size() > 0; }));
            QCOMPARE(fx.env->readFile(args), (folder + "\n").toUtf8());
            return;
        }
        QCOMPARE(Dialogs::shown().size(), 1);
        QVERIFY2(Dialogs::shown()[0].text.startsWith(told + " " + folder), qPrintable(Dialogs::shown()[0].text));
    }

    void locateAtTheRootAndOnAMissingFolder()
    {
        Form1& f = fx.fresh();
        LaunchLog log;
        PlayerFixture::add(f, {"/a.wav", fx.env->path("gone/b.wav"), "bare.wav"});
        f.markedIndex = 0;
        f.loc_Click();
        QCOMPARE(log.starts.size(), 1);
        QCOMPARE(QUrl(log.starts[0].second[0]).toLocalFile(), QStringLiteral("/"));
        // A folder that is gone: the user is told, nothing is started.
        f.markedIndex = 1;
        f.loc_Click();
        QCOMPARE(log.starts.size(), 1);
        QCOMPARE(Dialogs::shown().size(), 1);
        QVERIFY(Dialogs::shown()[0].text.contains(fx.env->path("gone")));
        // No folder in the path, and no row: nothing.
        f.markedIndex = 2;
        f.loc_Click();
        f.markedIndex = 5;
        f.loc_Click();
        QCOMPARE(log.starts.size(), 1);
        QCOMPARE(Dialogs::shown().size(), 1);
    }

    void importList()
    {
        Form1& f = fx.fresh();
        const QString a = wav("a.wav");
        const QString list = fx.env->writeFile("my list.m3u", (a + "\r\n#comment\r\n/m/b.wav\r\n").toUtf8());
        PlayerFixture::add(f, {"/m/old.wav"});
        Dialogs::answer(QString());  // cancelled
        f.il->trigger();
        QCOMPARE(f.List1->items(), QStringList{"/m/old.wav"});
        QCOMPARE(Dialogs::shown()[0].text, QStringLiteral("PellumPlayer List(*.pellum;*.m3u;*.pls)|*.pellum;*.m3u;*.pls"));
        Dialogs::answer(list);
        f.il->trigger();
        QCOMPARE(f.List1->items(), (QStringList{"/m/old.wav", a, "/m/b.wav"}));
        // An unreadable list changes nothing.
        Dialogs::answer(fx.env->path("missing.pellum"));
        f.il_Click();
        QCOMPARE(f.List1->ListCount(), 3);
    }

    // --- drag and drop ---

    void dropByTheFirstFilesExtension_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("Song.MP3") << QStringList{"Song.MP3"} << true;
        QTest::newRow("mpeg") << QStringList{"a.mpeg"} << true;
        QTest::newRow("aiff") << QStringList{"a.aiff"} << true;
        QTest::newRow("au") << QStringList{"a.au"} << true;
        QTest::newRow("pls") << QStringList{"a.pls"} << true;
        QTest::newRow("txt") << QStringList{"a.txt"} << false;
        QTest::newRow("no extension") << QStringList{"wav"} << false;
        QTest::newRow("dot in the folder only") << QStringList{"d.wav/song"} << false;
        QTest::newRow("first wav, third txt") << QStringList{"1.wav", "2.wav", "3.txt"} << true;
        QTest::newRow("first txt, then wav") << QStringList{"1.txt", "2.wav"} << false;
    }
    void dropByTheFirstFilesExtension()
    {
        QFETCH(QStringList, names);
        QFETCH(bool, accepted);
        for (bool onList : {true, false}) {
            Form1& f = fx.fresh();
            PlayerFixture::add(f, {"/m/old.wav"});
            QList<QUrl> urls;
            QStringList paths;
            for (const QString& n : names) {
                paths << writeWav(fx.env->path(n), 3.0);
                urls << QUrl::fromLocalFile(paths.last());
            }
            QCOMPARE(dropOn(f, onList ? overList(f) : overVideo(f), urls), accepted);
            if (!accepted) {
                QCOMPARE(f.List1->items(), QStringList{"/m/old.wav"});
                continue;
            }
            QCOMPARE(f.List1->items(), QStringList{"/m/old.wav"} + paths);
            QCOMPARE(f.List2->ListCount(), paths.size() + 1);
            QCOMPARE(f.List2->ListIndex(), int(paths.size()));
            QCOMPARE(f.mp->FileName(), paths.last());
        }
    }

    void dropAListFileExpandsIt()
    {
        Form1& f = fx.fresh();
        // A drop over the list or the video goes up to the window, which is the one that takes drops.
        QVERIFY(f.acceptDrops());
        for (QWidget* w : f.Frame1->findChildren<QWidget*>())
            QVERIFY2(!w->acceptDrops(), qPrintable(w->objectName()));
        const QString list = fx.env->writeFile("l.pellum", "/m/x.wav\r\n/m/y.wav\r\n");
        QVERIFY(dropOn(f, overList(f), {QUrl::fromLocalFile(list)}));
        QCOMPARE(f.List1->items(), (QStringList{"/m/x.wav", "/m/y.wav"}));
    }

    void dropRefused_data()
    {
        // Files that could be dropped are taken in wherever the drag enters; the place is refused.
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("entered");
        QTest::newRow("an address, not a file") << "address" << false;
        QTest::newRow("no file list") << "text" << false;
        QTest::newRow("move only") << "move" << false;
        QTest::newRow("over the seek bar") << "elsewhere" << true;
    }
    void dropRefused()
    {
        QFETCH(QString, what);
        QFETCH(bool, entered);
        Form1& f = fx.fresh();
        const QString song = wav("s.wav");
        QMimeData data;
        if (what == "address")
            data.setUrls({QUrl("http://example.org/s.wav")});
        else if (what == "text")
            data.setText(song);
        else
            data.setUrls({QUrl::fromLocalFile(song)});
        const QPoint at = what == "elsewhere" ? f.PBX->mapTo(&f, f.PBX->rect().center()) : overList(f);
        const Qt::DropActions actions = what == "move" ? Qt::MoveAction : Qt::CopyAction;
        QDragEnterEvent enter(at, actions, &data, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&f, &enter);
        QCOMPARE(enter.isAccepted(), entered);
        QDragMoveEvent move(at, actions, &data, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&f, &move);
        QVERIFY(!move.isAccepted());
        QDropEvent drop(QPointF(at), actions, &data, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&f, &drop);
        QCOMPARE(f.List1->ListCount(), 0);
        QCOMPARE(f.mp->FileName(), QString());
    }

    // --- Open URL ---

    void openAddress_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("player");
        QTest::newRow("ends in rm") << "clip.rm" << "rm";
        QTest::newRow("ends in RM") << "CLIP.RM" << "mp";
        QTest::newRow("wav") << "s p a c e.wav" << "mp";
        QTest::newRow("cancelled") << "" << "none";
    }
    void openAddress()
    {
        QFETCH(QString, name);
        QFETCH(QString, player);
        Form1& f = fx.fresh();
        const QString address = name.isEmpty() ? QString() : writeWav(fx.env->path(name), 3.0);
        Dialogs::answer(address);
        f.OpU->trigger();
        QCOMPARE(Dialogs::shown().size(), 1);
        QCOMPARE(Dialogs::shown()[0].kind, QStringLiteral("input"));
        QCOMPARE(Dialogs::shown()[0].text, QStringLiteral("Please enter a URL for play"));
        QCOMPARE(Dialogs::shown()[0].title, QStringLiteral("PellumPlayer"));
        QCOMPARE(f.List1->ListCount(), 0);  // an address is not added to the list
        const bool rmLoaded = RmF::isLoaded();
        QCOMPARE(rmLoaded && RmF::instance().isVisible(), player == "rm");
        QCOMPARE(rmLoaded ? RmF::instance().RA2->Source() : QString(), player == "rm" ? address : QString());
        QCOMPARE(f.mp->FileName(), player == "mp" ? address : QString());
        if (player == "mp")
            QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
    }

    // --- Fadeout To Stop ---

    void fadeOutThenTheNextRow()
    {
        Form1& f = fx.fresh();
        const QString first = wav("long.wav", 12.0);
        const QString next = wav("next.wav", 3.0);
        PlayerFixture::add(f, {first, next});
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        QList<int> volumes;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this, [&] {
            if (f.mp->FileName() == first)
                volumes << f.mp->Volume();
        });
        sampler.start(50);
        QElapsedTimer t;
        t.start();
        f.fss->trigger();
        sampler.stop();
        QVERIFY2(t.elapsed() >= 6000 && t.elapsed() < 8000, qPrintable(QString::number(t.elapsed())));
        QVERIFY(std::is_sorted(volumes.rbegin(), volumes.rend()));  // only ever lower
        // Every step but the last is seen between the waits; the last is followed at once by the stop.
        QList<int> seen = volumes;
        seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
        QList<int> steps;
        for (int v = -1; v >= -1101; v -= 100)
            steps << v;
        QCOMPARE(seen, steps);
        QCOMPARE(f.mp->Volume(), -1);
        QCOMPARE(f.List2->List(0), QStringLiteral("#01- long.wav"));
        QCOMPARE(f.List2->ListIndex(), 1);
        QCOMPARE(f.mp->FileName(), next);
        QCOMPARE(SettingsStore::GetSetting("f0"), first);  // recorded as a recent file
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
    }

    void fadeOutWhenNotPlayingDoesNothing()
    {
        Form1& f = fx.fresh();
        f.fss_Click();  // stopped
        QCOMPARE(f.mp->Volume(), -1);
        PlayerFixture::add(f, {wav("a.wav"), wav("b.wav")});
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        f.pa_Click();
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 1; }));
        QElapsedTimer t;
        t.start();
        f.fo->trigger();
        QVERIFY(t.elapsed() < 400);
        QCOMPARE(f.List2->ListIndex(), 0);
        QCOMPARE(f.List2->List(0), QStringLiteral("01- a.wav"));
    }

    void itemEndingDuringTheFadeAdvancesOnce()
    {
        Form1& f = fx.fresh();
        const QString shortOne = wav("short.wav", 0.8);
        const QString second = wav("second.wav", 4.0);
        const QString third = wav("third.wav", 4.0);
        PlayerFixture::add(f, {shortOne, second, third});
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        f.fss_Click();
        QCOMPARE(f.List2->ListIndex(), 1);
        QCOMPARE(f.mp->FileName(), second);
        QCOMPARE(f.List2->items(), (QStringList{"#01- short.wav", "02- second.wav", "03- third.wav"}));
        QCOMPARE(f.mp->Volume(), -1);
    }

    void fadeEndsWithItsClip_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("stopped, then the same row again") << "stop";
        QTest::newRow("next, then previous") << "next";
    }
    void fadeEndsWithItsClip()
    {
        QFETCH(QString, how);
        Form1& f = fx.fresh();
        const QString a = wav("a.wav", 20.0);
        PlayerFixture::add(f, {a, wav("b.wav", 20.0)});
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        // While the fade runs, its clip is stopped or replaced, and the same file plays again.
        QTimer::singleShot(1200, this, [&] { how == "stop" ? f.st_Click() : f.et_Click(); });
        QTimer::singleShot(1400, this, [&] { how == "stop" ? f.List2->setListIndex(0) : f.ps_Click(); });
        QElapsedTimer t;
        t.start();
        f.fss_Click();
        QTest::qWait(qMax<int>(0, 7000 - int(t.elapsed())));  // past the fade's six seconds
        QCOMPARE(f.List2->items(), (QStringList{"01- a.wav", "02- b.wav"}));
        QCOMPARE(f.List2->ListIndex(), 0);
        QCOMPARE(f.mp->FileName(), a);
        QCOMPARE(f.mp->PlayState(), 2);
        QCOMPARE(f.mp->Volume(), -1);
        QVERIFY(!f.Fading);
    }

    // --- names a shell would misread ---

    void awkwardNamesReachEveryoneUnchanged()
    {
        Form1& f = fx.fresh();
        LaunchLog log;
        const QString folder = fx.env->path("-rf \"quoted\" 'single' $(touch pwned) `id`\nsecond line");
        QVERIFY(QDir().mkpath(folder));
        const QString song = writeWav(folder + "/-a b \"c\" $(touch pwned2).wav", 3.0);
        QVERIFY(dropOn(f, overVideo(f), {QUrl::fromLocalFile(song)}));
        QCOMPARE(f.List1->items(), QStringList{song});
        QCOMPARE(f.mp->FileName(), song);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        QVERIFY(!f.mp->ErrorFlag());
        f.markedIndex = 0;
        f.loc_Click();
        QCOMPARE(log.starts.size(), 1);
        QCOMPARE(log.starts[0].second.size(), 1);
        QCOMPARE(QUrl(log.starts[0].second[0]).toLocalFile(), folder);
        // Nothing was run: no file appeared beside the test's own.
        QVERIFY(QFileInfo::exists(song));
        QVERIFY(!QFileInfo::exists(fx.env->path("pwned")) && !QFileInfo::exists("pwned"));
        QVERIFY(!QFileInfo::exists(folder + "/pwned2") && !QFileInfo::exists("pwned2"));
        // The open dialog's answer for several files keeps the names whole too.
        f.ci_Click();
        Dialogs::answer(QStringList{folder, "-a b \"c\" $(touch pwned2).wav"}.join(QChar(0)) + QChar(0) +
                        QStringLiteral("x\ny.wav"));
        f.openfile_Click();
        QCOMPARE(f.List1->items(), (QStringList{song, folder + "/x\ny.wav"}));
        QCOMPARE(f.mp->FileName(), song);
    }
};

QTEST_MAIN(CommandsTest)
#include "test_commands.moc"
