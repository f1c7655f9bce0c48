// The play list model: rows, played marks, list files and their reading rules, shuffle.
#include "platform/programfolder.h"
#include "player/compact/form6.h"
#include "player/playlistfile.h"
#include "tests/player_fixture.h"
#include "tests/support/fifo.h"

#include <QRandomGenerator>
#include <QRegularExpression>

#include <fcntl.h>
#include <unistd.h>

class PlayListTest : public QObject {
    Q_OBJECT
    PlayerFixture fx;


private slots:
    void readingRules_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("rule");
        QTest::addColumn<QStringList>("lines");
        using R = PlayListFile::Rule;
        const QByteArray mixed = "/m/a.mp3\r\n#EXTINF:1,x\r\n\r\n/m/b.mp3\r\n";
        QTest::newRow("import: # skipped, stops at empty") << mixed << int(R::Import) << QStringList{"/m/a.mp3"};
        QTest::newRow("last list: # kept") << mixed << int(R::LastList) << QStringList{"/m/a.mp3", "#EXTINF:1,x"};
        QTest::newRow("title list: to the end")
            << mixed << int(R::TitleList) << QStringList{"/m/a.mp3", "#EXTINF:1,x", "", "/m/b.mp3"};
        QTest::newRow("preview: to the end, # hidden")
            << mixed << int(R::Preview) << QStringList{"/m/a.mp3", "", "/m/b.mp3"};
        QTest::newRow("pls raw lines") << QByteArray("[playlist]\nFile1=/m/a.mp3\nNumberOfEntries=1\n") << int(R::Import)
                                       << QStringList{"[playlist]", "File1=/m/a.mp3", "NumberOfEntries=1"};
        QTest::newRow("first line empty") << QByteArray("\r\n/m/a.mp3\r\n") << int(R::Import) << QStringList{};
        QTest::newRow("cr only, no last end") << QByteArray("/a b.wav\r/c.wav") << int(R::LastList)
                                              << QStringList{"/a b.wav", "/c.wav"};
        QTest::newRow("lines taken whole") << QByteArray("  /m/x.mp3  \n") << int(R::Import)
                                           << QStringList{"  /m/x.mp3  "};
        QTest::newRow("latin-1 path") << QByteArray("/m/caf\xe9.mp3\n") << int(R::Import)
                                      << QStringList{QString::fromUtf8("/m/café.mp3")};
    }
    void readingRules()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, rule);
        QFETCH(QStringList, lines);
        TestEnv env;
        QStringList got;
        QVERIFY(PlayListFile::read(env.writeFile("l.pellum", file), PlayListFile::Rule(rule), &got));
        QCOMPARE(got, lines);
        QVERIFY(!PlayListFile::read(env.path("missing.pellum"), PlayListFile::Rule(rule), &got));
        QVERIFY(got.isEmpty());
    }

    // A list's rows that name files beside it ("song.wav", "../b/deep.wav") are read as those files on
    // every road that reads a list, whatever folder the player runs in; a row that names nothing there,
    // and an address, stay as written.
    void relativeRowsNameFilesBesideTheList_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<QString>("listName");
        for (const char* road : {"import menu", "add files", "compact import", "list row"})
            QTest::newRow(road) << QString::fromLatin1(road)
                                << (QByteArray(road) == "list row" ? QStringLiteral("mix.pellum") : QStringLiteral("mix.m3u"));
    }
    void relativeRowsNameFilesBesideTheList()
    {
        QFETCH(QString, road);
        QFETCH(QString, listName);
        Form1& f = fx.fresh();
        f.Timer1->stop();
        const QString a = fx.env->path(QStringLiteral("lists/a"));
        QDir().mkpath(a + "/sub");
        QDir().mkpath(fx.env->path(QStringLiteral("lists/b")));
        writeWav(a + "/song.wav", 2.0);
        writeWav(fx.env->path(QStringLiteral("lists/b/deep.wav")), 2.0);
        writeWav(a + "/sub/inner.wav", 2.0);
        // A name in the old code page: the file is named in those bytes, and so is the row.
        const QByteArray latin = QFile::encodeName(a) + "/caf\xe9.wav";
        {
            const int fd = ::open(latin.constData(), O_CREAT | O_WRONLY, 0644);
            QVERIFY(fd >= 0);
            QCOMPARE(::write(fd, "12345", 5), ssize_t(5));
            ::close(fd);
        }
        const QString list = fx.env->writeFile(
            "lists/a/" + listName,
            "song.wav\r\n../b/deep.wav\r\nsub/inner.wav\r\ncaf\xe9.wav\r\ngone.wav\r\nhttp://example.invalid/x.mp3\r\n");
        const QStringList expected = {a + "/song.wav", a + "/../b/deep.wav", a + "/sub/inner.wav",
                                      a + QString::fromUtf8("/café.wav"), "gone.wav", "http://example.invalid/x.mp3"};
        QStringList rows;
        QString playing;
        if (road == "import menu") {
            Dialogs::answer(list);
            f.il_Click();
            rows = f.List1->items();
            playing = f.mp->FileName();
        } else if (road == "add files") {
            Form2& d = Form2::instance();
            d.AddTarget = 1;
            d.PL->AddItem(list);
            d.Command1_Click();
            rows = f.List1->items();
            playing = f.mp->FileName();
        } else if (road == "compact import") {
            Dialogs::answer(list);
            Form6::instance().Command1_Click();
            rows = Form6::instance().List1->items();
            playing = Form5::instance().mk->FileName();
        } else {
            PlayerFixture::add(f, {list});
            f.List2->setListIndex(0);
            rows = f.List1->items();
            playing = f.mp->FileName();
        }
        QCOMPARE(rows, expected);
        QCOMPARE(playing, expected.first());
        if (road != "compact import") {
            QCOMPARE(f.List2->List(1), QStringLiteral("02- deep.wav"));
            QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        }
        // The row of the old code page's name finds its file: the list's tooltip shows its size.
        QCOMPARE(Form1::CF(rows.at(3)), 5LL);
    }

    void relNumbersRowsAndKeepsMarks()
    {
        Form1& f = fx.fresh();
        PlayerFixture::add(f, {"C:\\Music\\one.mp3", "/music/two.wav"});
        QCOMPARE(f.List2->items(), (QStringList{"01- one.mp3", "02- two.wav"}));
        f.List2->setList(0, "#01- one.mp3");
        f.List2->setList(1, "#02- two.wav");
        PlayerFixture::add(f, {"/m/3.mp3", "/m/4.mp3", "/m/5.mp3"});
        QCOMPARE(f.List2->items(),
                 (QStringList{"#01- one.mp3", "#02- two.wav", "03- 3.mp3", "04- 4.mp3", "05- 5.mp3"}));
        QCOMPARE(f.ShufflePool, f.List1->items());

        // With ClearList every rebuild renumbers from 01 and drops the marks.
        f.ccc_Click();
        f.REL();
        QCOMPARE(f.List2->List(0), QStringLiteral("01- one.mp3"));
        QCOMPARE(f.List2->ListCount(), 5);
    }

    void relNumbersPastNinetyNine()
    {
        Form1& f = fx.fresh();
        QStringList paths;
        for (int i = 0; i < 101; ++i)
            paths << QStringLiteral("/m/%1.mp3").arg(i);
        PlayerFixture::add(f, paths);
        QCOMPARE(f.List2->List(0), QStringLiteral("01- 0.mp3"));
        QCOMPARE(f.List2->List(98), QStringLiteral("99- 98.mp3"));
        QCOMPARE(f.List2->List(99), QStringLiteral("100- 99.mp3"));
    }

    void importAppendsOrReplaces()
    {
        Form1& f = fx.fresh();
        const QString list = fx.env->writeFile("in.m3u", "/m/x.wav\r\n# comment\r\n\r\n/m/after-empty.wav\r\n");
        PlayerFixture::add(f, {"/m/old.wav"});
        f.importj(list, 0);
        QCOMPARE(f.List1->items(), (QStringList{"/m/old.wav", "/m/x.wav"}));
        QCOMPARE(f.List2->ListCount(), 2);
        QCOMPARE(f.List2->ListIndex(), 0);  // nothing was playing: row 0 was selected
        QCOMPARE(f.CurrentIndex, 0);

        f.ccc_Click();
        f.importj(list, 0);
        QCOMPARE(f.List1->items(), QStringList{"/m/x.wav"});
        QCOMPARE(f.List2->items(), QStringList{"01- x.wav"});
        // ck = 1 (a list row clicked in the list) never clears.
        f.importj(list, 1);
        QCOMPARE(f.List1->items(), (QStringList{"/m/x.wav", "/m/x.wav"}));
    }

    // A list named like a list that is no file to read (missing, a named pipe, a device, a folder) changes
    // nothing, and is not waited on.
    void importOfAnUnreadableFileKeepsTheList_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("missing") << "missing";
        QTest::newRow("named pipe") << "fifo";
        QTest::newRow("device") << "device";
        QTest::newRow("folder") << "folder";
    }
    void importOfAnUnreadableFileKeepsTheList()
    {
        QFETCH(QString, what);
        Form1& f = fx.fresh();
        PlayerFixture::add(f, {"/m/keep.wav"});
        f.ccc_Click();
        QString path = fx.env->path("x.pellum");
        if (what == QLatin1String("fifo"))
            QVERIFY(makeFifo(path));
        else if (what == QLatin1String("device"))
            path = QStringLiteral("/dev/null");
        else if (what == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(path));
        QVERIFY(msTakenBeside(path, [&] { f.importj(path, 0); }) < 2000);
        QCOMPARE(f.List1->items(), QStringList{"/m/keep.wav"});
        QCOMPARE(f.List2->ListCount(), 1);
    }

    void badListFilesNeverCrash_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray noise(200000, '\0');
        for (char& c : noise)
            c = char(QRandomGenerator::global()->bounded(256));
        QTest::newRow("random bytes") << noise;
        QTest::newRow("nul bytes") << QByteArray("/m/a\0b.wav\r\n/m/c.wav\r\n", 22);
        QTest::newRow("invalid utf-8") << QByteArray("/m/\xc3\x28\xa0\xa1.wav\n/m/\xf0\x28\x8c\x28.mp3\n");
        QTest::newRow("one 10 MB line") << QByteArray(10 * 1024 * 1024, 'a');
    }
    void badListFilesNeverCrash()
    {
        QFETCH(QByteArray, bytes);
        Form1& f = fx.fresh();
        PlayerFixture::add(f, {"/m/first.wav"});
        const QString path = fx.env->writeFile("bad.pellum", bytes);
        QStringList expected;
        PlayListFile::read(path, PlayListFile::Rule::Import, &expected);
        f.importj(path, 0);
        QCOMPARE(f.List1->ListCount(), 1 + int(expected.size()));
        QCOMPARE(f.List1->List(0), QStringLiteral("/m/first.wav"));
        QCOMPARE(f.List2->ListCount(), f.List1->ListCount());
    }

    void cfMeasuresFiles()
    {
        Form1& f = fx.fresh();
        QCOMPARE(Form1::CF(fx.env->writeFile("five.bin", "12345")), 5LL);
        QCOMPARE(Form1::CF(fx.env->path("missing")), 0LL);
        QCOMPARE(Form1::CF(fx.env->home()), 0LL);
        QCOMPARE(Form1::CF(QString()), 0LL);
        Q_UNUSED(f);
    }

    void shufflePlaysEachRowOnce()
    {
        Form1& f = fx.fresh();
        QStringList paths;
        for (int i = 0; i < 3; ++i)
            paths << writeWav(fx.env->path(QStringLiteral("s%1.wav").arg(i)), 0.2);
        PlayerFixture::add(f, paths);
        f.shu_Click();
        QSet<int> drawn;
        for (int i = 0; i < 3; ++i) {
            f.List2->setListIndex(-1);
            f.mp_EndOfStream();
            QVERIFY(f.List2->ListIndex() >= 0);
            drawn.insert(f.List2->ListIndex());
        }
        QCOMPARE(drawn.size(), 3);
        // Without RepeatAll the fourth draw selects nothing.
        f.List2->setListIndex(-1);
        f.mp_EndOfStream();
        QCOMPARE(f.List2->ListIndex(), -1);
        // With RepeatAll the rows are drawable again.
        f.en_Click();
        f.mp_EndOfStream();
        QVERIFY(f.List2->ListIndex() >= 0);
    }

    void shuffleWithRepeatAllPlaysRoundAfterRound()
    {
        Form1& f = fx.fresh();
        QStringList paths;
        for (int i = 0; i < 3; ++i)
            paths << writeWav(fx.env->path(QStringLiteral("r%1.wav").arg(i)), 0.3);
        PlayerFixture::add(f, paths);
        f.shu_Click();
        f.en_Click();
        QList<int> played;
        connect(f.List2, &ListBox::Click, this, [&] { played << f.List2->ListIndex(); });
        f.mp_EndOfStream();  // nothing loaded: the first draw
        // Three rounds: every row has ended three times.
        QVERIFY2(waitFor([&] { return f.List2->items().filter(QRegularExpression("^###\\d")).size() == 3; }, 20000),
                 qPrintable(f.List2->items().join(' ')));
        f.st_Click();
        QVERIFY(played.size() >= 9);
        // Each round plays every row once, in an order of its own.
        for (int round = 0; round < 3; ++round) {
            const QList<int> rows = played.mid(round * 3, 3);
            QCOMPARE(QSet<int>(rows.begin(), rows.end()), (QSet<int>{0, 1, 2}));
        }
    }

    // A row the user clicks has had its turn in the round, as a drawn row has: with RepeatAll, once the
    // other row has played a new round begins, so from the click on every two plays are the two rows. The
    // draw is random, so the round is started by a click again and again; a clicked row left in the pool
    // would come back at the round's end in about half of them.
    void shuffleCountsTheClickedRowInTheRound()
    {
        Form1& f = fx.fresh();
        f.Timer1->stop();
        f.show();
        const QStringList paths = {writeWav(fx.env->path(QStringLiteral("c0.wav")), 0.05),
                                   writeWav(fx.env->path(QStringLiteral("c1.wav")), 0.05)};
        f.shu_Click();
        f.en_Click();
        QList<int> played;
        connect(f.List2, &ListBox::Click, this, [&] { played << f.List2->ListIndex(); });
        for (int trial = 0; trial < 10; ++trial) {
            f.st_Click();
            f.ci_Click();
            PlayerFixture::add(f, paths);  // a fresh list: every row can be drawn
            QCoreApplication::processEvents();
            played.clear();
            const int clicked = trial % 2;
            const QPoint at = f.List2->visualRect(f.List2->model()->index(clicked, 0)).center();
            QTest::mouseClick(f.List2->viewport(), Qt::LeftButton, {}, at);
            QVERIFY2(waitFor([&] { return played.size() >= 6; }, 10000), qPrintable(QString::number(played.size())));
            f.st_Click();
            QCOMPARE(played.first(), clicked);
            QStringList order;
            for (int r : played)
                order << QString::number(r);
            for (int round = 0; round < 3; ++round) {
                const QList<int> rows = played.mid(round * 2, 2);
                QVERIFY2(QSet<int>(rows.begin(), rows.end()) == (QSet<int>{0, 1}),
                         qPrintable(QStringLiteral("trial %1, rows played: %2").arg(trial).arg(order.join(' '))));
            }
        }
    }

    // A row that names a list file gives way to the file's rows, and each list file is read once a run: a
    // list that names itself, or lists that name one another, expand once. A list that cannot be read (a
    // pipe named like one, a list on an unplugged drive) keeps its row.
    void listRowsExpandOnceARun_data()
    {
        QTest::addColumn<QStringList>("aLines");
        QTest::addColumn<QStringList>("bLines");
        QTest::addColumn<QStringList>("list");   // List1 after the click on a.pellum
        QTest::addColumn<QString>("playing");    // mp's file name after the click
        const QStringList none;
        QTest::newRow("names itself") << QStringList{"@a.pellum"} << none << none << "";
        QTest::newRow("names itself after a file")
            << QStringList{"@s.wav", "@a.pellum"} << none << QStringList{"@s.wav"} << "@s.wav";
        QTest::newRow("names itself before a file")
            << QStringList{"@a.pellum", "@s.wav"} << none << QStringList{"@s.wav"} << "@s.wav";
        QTest::newRow("names itself through a link")
            << QStringList{"@link.pellum", "@s.wav"} << none << QStringList{"@s.wav"} << "@s.wav";
        QTest::newRow("two lists name each other") << QStringList{"@b.pellum"} << QStringList{"@a.pellum"} << none << "";
        QTest::newRow("each other, then a file")
            << QStringList{"@b.pellum", "@s.wav"} << QStringList{"@a.pellum"} << QStringList{"@s.wav"} << "@s.wav";
        QStringList many(100000, "@a.pellum");
        many << "@s.wav";
        QTest::newRow("names itself on 100000 lines") << many << none << QStringList{"@s.wav"} << "@s.wav";
        QTest::newRow("a pipe named like a list")
            << QStringList{"@pipe.pellum", "@s.wav"} << none << QStringList{"@pipe.pellum", "@s.wav"} << "@s.wav";
        QTest::newRow("a list on an unplugged drive")
            << QStringList{"@gone/c.pellum", "@s.wav"} << none << QStringList{"@gone/c.pellum", "@s.wav"} << "@s.wav";
    }
    void listRowsExpandOnceARun()
    {
        QFETCH(QStringList, aLines);
        QFETCH(QStringList, bLines);
        QFETCH(QStringList, list);
        QFETCH(QString, playing);
        Form1& f = fx.fresh();
        const QString a = fx.listFiles(aLines, bLines, 3.0);
        PlayerFixture::add(f, {a});
        f.List2->setListIndex(0);  // nothing plays: the first row that came from the list plays
        QCOMPARE(f.List1->items(), fx.at(list));
        QCOMPARE(f.List2->ListCount(), f.List1->ListCount());
        QCOMPARE(f.mp->FileName(), fx.at(playing));
        if (!playing.isEmpty()) {
            QCOMPARE(f.List2->ListIndex(), int(list.indexOf(playing)));
            QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        }
        // Named again in this run, the list adds nothing and starts nothing.
        f.st_Click();
        PlayerFixture::add(f, {a});
        f.List2->setListIndex(f.List2->ListCount() - 1);
        QCOMPARE(f.List1->items(), fx.at(list));
        QCOMPARE(f.mp->FileName(), QString());
    }

    // The advance into a list row on the real engine, with short clips: the list expands once, no clip
    // above it plays again for it, and once nothing plays the rows, the marks and afore.pellum stay as
    // small as the files are. A clip alone with RepeatAll repeats as ever.
    void listRowsInTheAdvance_data()
    {
        QTest::addColumn<QStringList>("list");    // List1 before row 0 is clicked
        QTest::addColumn<QStringList>("aLines");
        QTest::addColumn<QStringList>("bLines");
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<QStringList>("rows");    // List2 once nothing plays; none: it repeats
        QTest::addColumn<QStringList>("saved");   // afore.pellum's lines
        const QStringList clipThenA{"@s.wav", "@a.pellum"}, none;
        for (bool repeat : {false, true}) {
            const char* with = repeat ? ", RepeatAll" : "";
            QTest::addRow("names itself%s", with) << clipThenA << QStringList{"@a.pellum"} << none << repeat
                                                  << QStringList{"#01- s.wav"} << QStringList{"@s.wav"};
            QTest::addRow("names itself 1000 times%s", with)
                << clipThenA << QStringList(1000, "@a.pellum") << none << repeat << QStringList{"#01- s.wav"}
                << QStringList{"@s.wav"};
            QTest::addRow("two name each other%s", with) << clipThenA << QStringList{"@b.pellum"}
                                                         << QStringList{"@a.pellum"} << repeat
                                                         << QStringList{"#01- s.wav"} << QStringList{"@s.wav"};
            // The clip the list brings is a row of its own; RepeatAll plays the first row once more.
            QTest::addRow("names itself after a clip%s", with)
                << clipThenA << QStringList{"@s.wav", "@a.pellum"} << none << repeat
                << QStringList{repeat ? "##01- s.wav" : "#01- s.wav", "#02- s.wav"} << QStringList{"@s.wav", "@s.wav"};
        }
        const QStringList aOnly{"@s.wav"};
        QTest::newRow("named again further down") << QStringList{"@a.pellum", "@x.wav", "@a.pellum"} << aOnly << none
                                                  << false << QStringList{"#02- x.wav", "#03- s.wav"}
                                                  << QStringList{"@x.wav", "@s.wav"};
        QTest::newRow("named again through a link")
            << QStringList{"@a.pellum", "@x.wav", "@link.pellum"} << aOnly << none << false
            << QStringList{"#02- x.wav", "#03- s.wav"} << QStringList{"@x.wav", "@s.wav"};
        QTest::newRow("a clip alone, RepeatAll") << QStringList{"@s.wav"} << none << none << true << none
                                                 << QStringList{"@s.wav"};
    }
    void listRowsInTheAdvance()
    {
        QFETCH(QStringList, list);
        QFETCH(QStringList, aLines);
        QFETCH(QStringList, bLines);
        QFETCH(bool, repeat);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, saved);
        Form1& f = fx.fresh();
        f.show();
        Module1::UseMainWindow();  // the list is saved a moment after it changes
        if (repeat)
            f.en_Click();
        fx.listFiles(aLines, bLines, 0.2);
        PlayerFixture::add(f, fx.at(list));
        f.List2->setListIndex(0);
        const QString afore = ProgramFolder::file("afore.pellum");
        QByteArray expected;
        for (const QString& line : fx.at(saved))
            expected += line.toUtf8() + "\r\n";
        if (rows.isEmpty()) {
            QVERIFY2(waitFor([&] { return f.List2->List(0).startsWith("###"); }, 8000), qPrintable(f.List2->List(0)));
            QCOMPARE(f.List1->items(), fx.at(saved));
            QVERIFY(waitFor([&] { return fx.env->readFile(afore) == expected; }, 4000));
            return;
        }
        QVERIFY2(waitFor([&] { return f.List2->items() == rows && f.mp->PlayState() == 0; }, 8000),
                 qPrintable(QString::number(f.List2->ListCount()) + ": " + f.List2->items().mid(0, 4).join(' ')));
        // Nothing plays again, and the saved list is the one shown.
        QVERIFY(waitFor([&] { return fx.env->readFile(afore) == expected; }, 4000));
        QTest::qWait(600);
        QCOMPARE(f.List2->items(), rows);
        QCOMPARE(f.List1->items(), fx.at(saved));
        QCOMPARE(f.mp->PlayState(), 0);
        QCOMPARE(fx.env->readFile(afore), expected);
    }

    void saveWritesTheListWhole()
    {
        Form1& f = fx.fresh();
        const QString target = fx.env->path("saved.pellum");
        Dialogs::answer(target);
        f.ol_Click();
        QVERIFY(!QFile::exists(target));  // an empty list writes nothing
        PlayerFixture::add(f, {"/m/a b.mp3", "C:\\x.wav"});
        Dialogs::answer(target);
        f.ol_Click();
        QCOMPARE(fx.env->readFile(target), QByteArray("/m/a b.mp3\r\nC:\\x.wav\r\n"));
        QCOMPARE(Dialogs::shown().last().text, QStringLiteral("PellumPlayer List(*.pellum)|*.pellum"));
        QCOMPARE(Dialogs::shown().last().flags, 2);
        f.ol_Click();  // cancelled: the file stays
        QVERIFY(QFile::exists(target));
    }

    // A list goes back to disk in the bytes each of its lines came in, so every row still names its file;
    // the rows show the names decoded line by line.
    void listBytesRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("utf-8 accents and CJK")
            << QByteArray("/rt/caf\xc3\xa9.mp3\r\n/rt/\xe6\x97\xa5\xe6\x9c\xac.wav\r\n")
            << QStringList{QString::fromUtf8("01- café.mp3"), QString::fromUtf8("02- 日本.wav")};
        QTest::newRow("one latin-1 line among utf-8 lines")
            << QByteArray("/rt/caf\xc3\xa9.mp3\r\n/rt/na\xefve.mp3\r\n/rt/\xe6\x97\xa5.wav\r\n")
            << QStringList{QString::fromUtf8("01- café.mp3"), QString::fromUtf8("02- naïve.mp3"),
                           QString::fromUtf8("03- 日.wav")};
        QTest::newRow("windows-1252 only, an undefined byte too")
            << QByteArray("C:\\Musik\\\x93Gr\xfc\xdf\x94.mp3\r\n/rt/\x81x.wav\r\n")
            << QStringList{QString::fromUtf8("01- “Grüß”.mp3"), QString::fromUtf8("02- \u0081x.wav")};
    }
    void listBytesRoundTrip()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, rows);
        // The previous run's list, read at start and written at exit.
        fx.freshEnv();
        fx.env->writeFile("home/afore.pellum", file);
        Form1& f = Form1::instance();
        QCOMPARE(f.List2->items(), rows);
        f.exitc_Click();
        QCOMPARE(fx.env->readFile(ProgramFolder::file("afore.pellum")), file);
        // A list imported, then exported.
        Form1& g = fx.fresh();
        g.importj(fx.env->writeFile("in.pellum", file), 1);
        QCOMPARE(g.List2->items(), rows);
        const QString out = fx.env->path("out.pellum");
        Dialogs::answer(out);
        g.ol_Click();
        QCOMPARE(fx.env->readFile(out), file);
    }

    // A row from a line in the old code page plays the file whose name has those bytes; where no such file
    // is left but one has the UTF-8 name (renamed since), that one plays.
    void aRowPlaysTheFileItsBytesName_data()
    {
        QTest::addColumn<QByteArray>("onDisk");
        QTest::newRow("named in latin-1, as listed") << QByteArray("caf\xe9.wav");
        QTest::newRow("named in utf-8 since") << QByteArray("caf\xc3\xa9.wav");
    }
    void aRowPlaysTheFileItsBytesName()
    {
        QFETCH(QByteArray, onDisk);
        Form1& f = fx.fresh();
        const QByteArray folder = QFile::encodeName(fx.env->root()) + '/';
        const QByteArray wav = wavBytes(3.0);
        const int fd = ::open((folder + onDisk).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, wav.constData(), size_t(wav.size())), ssize_t(wav.size()));
        ::close(fd);
        f.importj(fx.env->writeFile("old.pellum", folder + "caf\xe9.wav\r\n"), 1);
        QCOMPARE(f.List2->items(), QStringList{QString::fromUtf8("01- café.wav")});
        QCOMPARE(Form1::CF(f.List1->List(0)), qint64(wav.size()));
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2 || f.mp->ErrorFlag(); }));
        QVERIFY(!f.mp->ErrorFlag());
        QVERIFY(waitFor([&] { return f.mp->CurrentPosition() > 0.2; }));
    }

    // A line-based list cannot hold a name with a line break: the row is left out of the file written, the
    // user is told which file it was, and it still plays in this session.
    void aPathWithALineBreakIsLeftOutAndTold_data()
    {
        QTest::addColumn<int>("road");
        QTest::newRow("exit writes afore.pellum") << 0;
        QTest::newRow("export") << 1;
        QTest::newRow("the compact list's export") << 2;
    }
    void aPathWithALineBreakIsLeftOutAndTold()
    {
        QFETCH(int, road);
        Form1& f = fx.fresh();
        const QString odd = writeWav(fx.env->path("two\nlines.wav"), 3.0);
        const QStringList rows{"/m/a.wav", odd, "/m/c.wav"};
        PlayerFixture::add(f, rows);
        const QString target = road == 0 ? ProgramFolder::file("afore.pellum") : fx.env->path("out.pellum");
        if (road == 0) {
            f.exitc_Click();
        } else if (road == 1) {
            Dialogs::answer(target);
            f.ol_Click();
        } else {
            Form6::instance().List1->AddItems(rows);
            Dialogs::answer(target);
            Form6::instance().Command2_Click();
        }
        QCOMPARE(fx.env->readFile(target), QByteArray("/m/a.wav\r\n/m/c.wav\r\n"));
        QList<Dialogs::Shown> told;
        for (const Dialogs::Shown& s : Dialogs::shown())
            if (s.kind == QLatin1String("msgbox"))
                told << s;
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].text.contains(target), qPrintable(told[0].text));
        QVERIFY2(told[0].text.contains(fx.env->path("two\\nlines.wav")), qPrintable(told[0].text));
        if (road != 1)
            return;
        QCOMPARE(f.List1->items(), rows);
        f.List2->setListIndex(1);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2 || f.mp->ErrorFlag(); }));
        QVERIFY(!f.mp->ErrorFlag());
    }

    void optionsWriteTheirKeys_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("key");
        QTest::newRow("sl") << "sl" << "sl";
        QTest::newRow("fs") << "fs" << "fullscreen";
        QTest::newRow("en") << "en" << "repeat";
        QTest::newRow("ccc") << "ccc" << "clearlist";
        QTest::newRow("dd") << "dd" << "dd";
        QTest::newRow("ontop") << "ontop" << "ontop";
        QTest::newRow("ck") << "ck" << "cpp";
        QTest::newRow("cts") << "cts" << "cts";
        QTest::newRow("vitrif") << "vitrif" << "vitrif";
        QTest::newRow("shu") << "shu" << "shu";
    }
    void optionsWriteTheirKeys()
    {
        QFETCH(QString, item);
        QFETCH(QString, key);
        Form1& f = fx.fresh();
        auto* mi = f.findChild<MenuItem*>(item);
        QVERIFY(mi);
        QVERIFY(!mi->Checked());
        mi->trigger();  // as the user's click
        QVERIFY(mi->Checked());
        QCOMPARE(SettingsStore::GetSetting(key), QStringLiteral("True"));
        mi->trigger();
        QVERIFY(!mi->Checked());
        QCOMPARE(SettingsStore::GetSetting(key), QStringLiteral("False"));
        if (key != item)
            QCOMPARE(SettingsStore::GetSetting(item, "absent"), QStringLiteral("absent"));
        // The next start restores the mark.
        mi->trigger();
        releaseWindows();
        SettingsStore::reset();
        QVERIFY(Form1::instance().findChild<MenuItem*>(item)->Checked());
    }

    void showBarHidesTheSeekBar()
    {
        Form1& f = fx.fresh();
        QVERIFY(!f.PBX->isVisibleTo(&f));
        f.sl_Click();
        QVERIFY(f.PBX->isVisibleTo(&f));
        f.sl_Click();
        QVERIFY(!f.PBX->isVisibleTo(&f));
    }
};

QTEST_MAIN(PlayListTest)
#include "test_playlist.moc"
