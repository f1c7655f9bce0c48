// One player at a time: a start while a player runs hands its command line over and ends. The player is
// either this test itself (so that its rows and its playback can be seen) or the real program in a child
// process; the later starts are always the real program, each with the test's own program folder,
// settings and runtime folder.
#include "platform/programfolder.h"
#include "platform/textfile.h"
#include "player/she.h"
#include "tests/player_fixture.h"
#include "tests/support/playerprocess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using Args = QList<QByteArray>;

}  // namespace

class InstanceTest : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    QString afore() const { return ProgramFolder::file(QStringLiteral("afore.pellum")); }
    QByteArray root() const { return QFile::encodeName(fx.env->root()); }

    // New surroundings with a runtime folder of their own, so that no player of the user's or of
    // another test is ever reached.
    void freshEnv()
    {
        fx.freshEnv();
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(fx.env->runtime()));
    }

    // A WAV file under the test's root, named by `name` in its own bytes; returns its full name's bytes.
    QByteArray wavNamed(const QByteArray& name, double seconds = 30.0)
    {
        const QString plain = writeWav(fx.env->path(QStringLiteral("plain.wav")), seconds);
        const QByteArray full = root() + '/' + name;
        QDir().mkpath(fx.env->path(QFile::decodeName(name.left(name.lastIndexOf('/')))));
        if (::rename(QFile::encodeName(plain).constData(), full.constData()) != 0)
            qFatal("cannot name %s", full.constData());
        return full;
    }

    // This test as the player, in the main window or the compact mode, with one row from the last run.
    void playHere(bool compact)
    {
        freshEnv();
        fx.env->writeFile("home/afore.pellum", "/m/previous.wav\r\n");
        if (compact)
            SettingsStore::SaveSetting("start", "pellum");
        QCOMPARE(Module1::ClaimPlayer(QByteArray()), SingleInstance::Outcome::Alone);
        Module1::Main(QString());
        QCOMPARE(pellum::InUse(), compact);
    }

    static ListBox* modeList(bool compact) { return compact ? Form6::instance().List1 : Form1::instance().List1; }
    static MediaPlayer& modePlayer(bool compact) { return compact ? *Form5::instance().mk : *Form1::instance().mp; }

    // A later start of the real program, which should hand over and end at once with exit code 0.
    static bool startHandingOver(const Args& args, const QString& folder = QString())
    {
        PlayerProcess later;
        if (!later.start(QStringLiteral(PELLUM_PROGRAM), args, folder))
            return false;
        if (!later.waitEnded(15000)) {
            qWarning("the later start is still running: it did not hand over");
            return false;
        }
        if (later.exitCode() != 0)
            qWarning("the later start ended with exit code %d", later.exitCode());
        // The line was taken before the start ended; the player's event loop hands it on.
        QCoreApplication::sendPostedEvents();
        return later.exitCode() == 0;
    }

    // The real program as the player, past its main window's load (the start counter is stored).
    bool startPlayer(PlayerProcess& p, const Args& args, int starts = 1)
    {
        return p.start(QStringLiteral(PELLUM_PROGRAM), args) && waitFor([&] { return startCount() >= starts; }, 15000);
    }
    int startCount() const
    {
        QSettings s(fx.env->settingsFile(), QSettings::IniFormat);
        return s.value("myplay/uc").toInt();
    }
    QString storedSetting(const QString& key) const
    {
        QSettings s(fx.env->settingsFile(), QSettings::IniFormat);
        return s.value("myplay/" + key).toString();
    }
    QByteArrayList aforeRows() const
    {
        QByteArrayList rows = fx.env->readFile(afore()).split('\n');
        for (QByteArray& r : rows)
            r = r.trimmed();
        rows.removeAll(QByteArray());
        return rows;
    }
    QStringList sockets() const
    {
        return QDir(fx.env->runtime()).entryList({"*.socket"}, QDir::System);
    }

private slots:
    void cleanup() { SingleInstance::release(); }

    // A file named by a later start joins the list of the mode in use and plays, named from the root
    // and in its own bytes; at the exit the list keeps both the earlier rows and the new one.
    void handedFileJoinsTheListAndPlays_data()
    {
        QTest::addColumn<bool>("compact");
        QTest::addColumn<QByteArray>("file");    // under the test's root
        QTest::addColumn<QString>("folder");     // the later start's working folder, under the root
        QTest::addColumn<Args>("args");          // "@" stands for the root
        QTest::newRow("main window, full name") << false << QByteArray("music/song.wav") << QString()
                                                << Args{"@/music/song.wav"};
        QTest::newRow("compact mode, full name") << true << QByteArray("music/song.wav") << QString()
                                                 << Args{"@/music/song.wav"};
        QTest::newRow("main window, relative, blank between arguments")
            << false << QByteArray("music/my song.wav") << "music/sub" << Args{"../my", "song.wav"};
        QTest::newRow("compact mode, relative") << true << QByteArray("music/song.wav") << "music"
                                                << Args{"song.wav"};
        QTest::newRow("main window, name not UTF-8") << false << QByteArray("music/caf\xe9.wav") << QString()
                                                     << Args{"@/music/caf\xe9.wav"};
        QTest::newRow("compact mode, relative name not UTF-8")
            << true << QByteArray("music/caf\xe9 \xe0.wav") << "music" << Args{"caf\xe9", "\xe0.wav"};
    }
    void handedFileJoinsTheListAndPlays()
    {
        QFETCH(bool, compact);
        QFETCH(QByteArray, file);
        QFETCH(QString, folder);
        QFETCH(Args, args);
        playHere(compact);
        if (QTest::currentTestFailed())
            return;
        const QByteArray full = wavNamed(file);
        // The temporary folder's own clean-up does not reach a name that is not UTF-8.
        const struct Unlink {
            QByteArray name;
            ~Unlink() { ::unlink(name.constData()); }
        } unlinkAtEnd{full};
        ListBox* list = modeList(compact);
        const int before = list->ListCount();
        for (QByteArray& a : args)
            a.replace('@', root());
        QDir().mkpath(fx.env->path(folder));
        QVERIFY(startHandingOver(args, folder.isEmpty() ? QString() : fx.env->path(folder)));
        QCOMPARE(list->ListCount(), before + 1);
        const QString row = list->List(before);
        QCOMPARE(TextFile::nativePath(row), full);
        if (!compact)
            QCOMPARE(Form1::instance().List2->List(before),
                     QStringLiteral("%1- %2").arg(before + 1, 2, 10, QLatin1Char('0')).arg(SHE::FileNameOf(row)));
        MediaPlayer& player = modePlayer(compact);
        QVERIFY(waitFor([&] { return player.PlayState() == 2; }));
        QCOMPARE(player.FileName(), row);
        QVERIFY(!player.ErrorFlag());
        Module1::ExitModeInUse();
        const QByteArray stored = fx.env->readFile(afore());
        QVERIFY2(stored.endsWith(full + "\r\n"), stored.constData());
        if (!compact)
            QCOMPARE(stored, "/m/previous.wav\r\n" + full + "\r\n");
    }

    // "/J", "/C" and an empty command line add no row: the compact player, the CD player or the window
    // of the mode in use is shown.
    void handedSwitchShowsItsWindow_data()
    {
        QTest::addColumn<bool>("compact");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("main window, nothing") << false << QByteArray();
        QTest::newRow("main window, /J") << false << QByteArray("/J");
        QTest::newRow("main window, /c") << false << QByteArray("/c");
        QTest::newRow("compact mode, nothing") << true << QByteArray();
        QTest::newRow("compact mode, /j") << true << QByteArray("/j");
        QTest::newRow("compact mode, /C") << true << QByteArray("/C");
    }
    void handedSwitchShowsItsWindow()
    {
        QFETCH(bool, compact);
        QFETCH(QByteArray, line);
        playHere(compact);
        if (QTest::currentTestFailed())
            return;
        const QStringList rows{"/m/a.wav", "/m/b.wav"};
        if (compact)
            Form6::instance().List1->AddItems(rows);
        else
            PlayerFixture::add(Form1::instance(), rows);
        const QStringList listed = modeList(compact)->items();
        QVERIFY(startHandingOver(line.isEmpty() ? Args() : Args{line}));
        const bool toCompact = compact || line.toUpper() == "/J";
        QCOMPARE(pellum::InUse(), toCompact);
        QCOMPARE(Form1::instance().isVisible(), !toCompact);
        QCOMPARE(modeList(toCompact)->items(), listed);
        QCOMPARE(Form3::isLoaded() && Form3::instance().isVisible(), line.toUpper() == "/C");
    }

    // Both players real: the later start ends at once, the one that runs plays its file, and the list
    // it stores at its end holds both starts' files, each in its own bytes.
    void laterStartHandsOverToTheProgram_data()
    {
        QTest::addColumn<bool>("compact");
        QTest::addColumn<QByteArray>("firstName");
        QTest::addColumn<QByteArray>("secondName");
        QTest::newRow("main window") << false << QByteArray("first.wav") << QByteArray("second.wav");
        QTest::newRow("compact mode") << true << QByteArray("first.wav") << QByteArray("second.wav");
        QTest::newRow("main window, names not UTF-8") << false << QByteArray("caf\xe9.wav")
                                                     << QByteArray("\xe0 second.wav");
    }
    void laterStartHandsOverToTheProgram()
    {
        QFETCH(bool, compact);
        QFETCH(QByteArray, firstName);
        QFETCH(QByteArray, secondName);
        freshEnv();
        fx.env->writeFile("home/afore.pellum", "/m/previous.wav\r\n");
        if (compact)
            SettingsStore::SaveSetting("start", "pellum");
        const QByteArray first = wavNamed(firstName);
        const QByteArray second = wavNamed(secondName, 0.4);
        const struct Unlink {
            QByteArrayList names;
            ~Unlink()
            {
                for (const QByteArray& n : names)
                    ::unlink(n.constData());
            }
        } unlinkAtEnd{{first, second}};
        PlayerProcess player;
        QVERIFY(startPlayer(player, {first}));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(startHandingOver({second}));
        qInfo("the later start ended after %lld ms", qlonglong(clock.elapsed()));
        // Played to its end, it is the newest recent file.
        // (The names here are Latin-1 letters, which the old code page shows as they are.)
        QVERIFY(waitFor([&] { return storedSetting("f0") == QString::fromLatin1(second); }, 8000));
        QVERIFY(player.running());
        player.signal(SIGTERM);
        QVERIFY(player.waitEnded(10000));
        QCOMPARE(player.exitCode(), 0);
        const QByteArray stored = fx.env->readFile(afore());
        QVERIFY2(stored.endsWith(first + "\r\n" + second + "\r\n"), stored.constData());
        if (!compact)
            QCOMPARE(stored, "/m/previous.wav\r\n" + first + "\r\n" + second + "\r\n");
    }

    // What a start hands over may yield to events while it is taken: the loading window shows its status,
    // a message box waits for its OK. The start, answered at once, ends its connection meanwhile. The
    // player takes each line whole and goes on to take the next start's.
    void handlingThatYieldsOutlivesTheStart()
    {
        freshEnv();
        const QString key = QStringLiteral("yielding");
        QByteArrayList taken;
        const auto yielding = [&taken](const QByteArray& line) {
            taken << line;
            QElapsedTimer clock;
            clock.start();
            while (clock.elapsed() < 300)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        };
        QCOMPARE(SingleInstance::claim(key, {}, yielding), SingleInstance::Outcome::Alone);
        const QByteArrayList lines{"/C", "/m/a.wav", "/J"};
        for (const QByteArray& line : lines) {
            std::atomic<int> outcome{-1};
            std::thread start([&] { outcome = int(SingleInstance::claim(key, line, {})); });
            const bool ended = waitFor([&] { return outcome >= 0; }, 15000);
            start.join();
            QVERIFY(ended);
            QCOMPARE(SingleInstance::Outcome(outcome.load()), SingleInstance::Outcome::HandedOver);
            QVERIFY(waitFor([&] { return taken.size() == lines.indexOf(line) + 1; }));
        }
        QCOMPARE(taken, lines);
    }

    // A player killed outright leaves its socket behind: the next start is the player all the same, and
    // the start after it hands over to that one.
    void socketOfAKilledPlayerDoesNotBlock()
    {
        freshEnv();
        const QByteArray song = wavNamed("song.wav");
        const QByteArray later = wavNamed("later.wav");
        {
            PlayerProcess killed;
            QVERIFY(startPlayer(killed, {}));
            QCOMPARE(sockets().size(), 1);
            killed.signal(SIGKILL);
            QVERIFY(killed.waitEnded());
        }
        QCOMPARE(sockets().size(), 1);  // left behind
        PlayerProcess player;
        QVERIFY(startPlayer(player, {song}, 2));
        QTest::qWait(300);
        QVERIFY(player.running());
        QVERIFY(startHandingOver({later}));
        player.signal(SIGTERM);
        QVERIFY(player.waitEnded(10000));
        QCOMPARE(aforeRows(), (QByteArrayList{song, later}));
    }

    // With no runtime folder the socket lies in a folder of the user's own in the temporary folder, made
    // or closed to others as needed; one that is a link to elsewhere is not used, and the player runs on.
    void ownFolderWithoutARuntimeFolder_data()
    {
        QTest::addColumn<QString>("before");
        QTest::newRow("none yet") << "none";
        QTest::newRow("open to others") << "open";
        QTest::newRow("a link to elsewhere") << "link";
    }
    void ownFolderWithoutARuntimeFolder()
    {
        QFETCH(QString, before);
        freshEnv();
        const QString temp = fx.env->path(QStringLiteral("temp"));
        QVERIFY(QDir().mkpath(temp));
        const KeptVariables kept({"TMPDIR"});
        qputenv("TMPDIR", QFile::encodeName(temp));
        qunsetenv("XDG_RUNTIME_DIR");
        const QString own = temp + QStringLiteral("/pellumplayer-%1").arg(::getuid());
        if (before == "open") {
            QVERIFY(QDir().mkpath(own));
            QVERIFY(QFile::setPermissions(own, QFileDevice::Permissions(0x7777)));
        } else if (before == "link") {
            QVERIFY(QDir().mkpath(fx.env->path("elsewhere")));
            QVERIFY(QFile::link(fx.env->path("elsewhere"), own));
        }
        if (before == "link") {
            QCOMPARE(Module1::ClaimPlayer(QByteArray()), SingleInstance::Outcome::Unguarded);
            QCOMPARE(QDir(fx.env->path("elsewhere")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
                     QStringList());
            return;
        }
        QCOMPARE(Module1::ClaimPlayer(QByteArray()), SingleInstance::Outcome::Alone);
        struct stat st {};
        QCOMPARE(::lstat(QFile::encodeName(own).constData(), &st), 0);
        QVERIFY(S_ISDIR(st.st_mode));
        QCOMPARE(st.st_mode & 0777, mode_t(0700));
        QCOMPARE(QDir(own).entryList({"*.socket"}, QDir::System).size(), 1);
        Module1::Main(QString());
        const QByteArray song = wavNamed("song.wav");
        QVERIFY(startHandingOver({song}));
        QCOMPARE(Form1::instance().List1->items(), QStringList{QFile::decodeName(song)});
    }

    // Starts at the same moment: one of them is the player and takes the others' files.
    void startsAtTheSameMomentMakeOnePlayer()
    {
        freshEnv();
        const QByteArrayList songs{wavNamed("a.wav"), wavNamed("b.wav"), wavNamed("c.wav")};
        PlayerProcess starts[3];
        for (int i = 0; i < 3; ++i)
            QVERIFY(starts[i].start(QStringLiteral(PELLUM_PROGRAM), {songs[i]}));
        const auto runningCount = [&] {
            int n = 0;
            for (PlayerProcess& p : starts)
                n += p.running() ? 1 : 0;
            return n;
        };
        QVERIFY(waitFor([&] { return runningCount() == 1; }, 15000));
        QTest::qWait(300);
        QCOMPARE(runningCount(), 1);
        PlayerProcess* player = nullptr;
        for (PlayerProcess& p : starts) {
            if (p.running())
                player = &p;
            else
                QCOMPARE(p.exitCode(), 0);
        }
        QVERIFY(waitFor([&] { return startCount() == 1; }, 15000));
        player->signal(SIGTERM);
        QVERIFY(player->waitEnded(10000));
        QByteArrayList rows = aforeRows();
        std::sort(rows.begin(), rows.end());
        QCOMPARE(rows, songs);
        QCOMPARE(startCount(), 1);
    }
};

QTEST_MAIN(InstanceTest)
#include "test_instance.moc"
