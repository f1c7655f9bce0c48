// The exit road at the session's end and when afore.pellum cannot be written, and the list's background
// save: the real player program in a child process, and the main window in this one.
#include "platform/programfolder.h"
#include "player/playlistfile.h"
#include "player/compact/form6.h"
#include "player/compact/pellum.h"
#include "tests/player_fixture.h"
#include "tests/support/fifo.h"
#include "tests/support/smalldisk.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <csignal>
#include <sys/prctl.h>
#include <sys/resource.h>

namespace {

QList<Dialogs::Shown> shownOf(const QString& kind)
{
    QList<Dialogs::Shown> out;
    for (const Dialogs::Shown& s : Dialogs::shown())
        if (s.kind == kind)
            out << s;
    return out;
}

// Writes beyond `bytes` fail, as on a full disk, while it lives.
struct FileSizeLimit {
    rlimit before{};
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &before);
        rlimit small = before;
        small.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &before);
        ::signal(SIGXFSZ, SIG_DFL);
    }
};

}  // namespace

class ShutdownTest : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    QString afore() const { return ProgramFolder::file(QStringLiteral("afore.pellum")); }

    // The player program with this test's program folder and settings, headless, `args` on its command line.
    void startPlayer(QProcess& p, const QStringList& args, const QString& platform = QStringLiteral("offscreen"))
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        e.insert(QStringLiteral("PELLUM_NULL_OUTPUT"), QStringLiteral("1"));
        e.insert(QStringLiteral("XDG_RUNTIME_DIR"), fx.env->runtime());
        p.setProcessEnvironment(e);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // It writes to the suite's own error output: should the suite die on a fault, it goes too.
        p.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        p.start(QStringLiteral(PELLUM_PROGRAM), args);
        QVERIFY(p.waitForStarted());
    }

    // The start-up has gone past the main window's load once the start counter is stored.
    bool loaded() const { return fx.env->readFile(fx.env->settingsFile()).contains("uc=1"); }

    QStringList rows(int n) const
    {
        QStringList out;
        for (int i = 0; i < n; ++i)
            out << QStringLiteral("/home/user/Music/Album/track number %1.wav").arg(i);
        return out;
    }

private slots:
    // The session's end runs the exit road: this session's list and the start window are stored.
    void signalRunsTheExit_data()
    {
        QTest::addColumn<int>("sig");
        QTest::addColumn<bool>("compact");
        QTest::addColumn<bool>("named");  // a clip on the command line
        QTest::newRow("SIGTERM") << int(SIGTERM) << false << true;
        QTest::newRow("SIGHUP") << int(SIGHUP) << false << true;
        QTest::newRow("SIGTERM, compact mode") << int(SIGTERM) << true << true;
        QTest::newRow("SIGTERM, compact mode, nothing named") << int(SIGTERM) << true << false;
    }
    void signalRunsTheExit()
    {
        QFETCH(int, sig);
        QFETCH(bool, compact);
        QFETCH(bool, named);
        fx.freshEnv();
        fx.env->writeFile("home/afore.pellum", "/m/previous.wav\r\n");
        if (compact)
            SettingsStore::SaveSetting("start", "pellum");
        const QString song = writeWav(fx.env->path("song.wav"), 30.0);
        QProcess p;
        startPlayer(p, named ? QStringList{song} : QStringList{});
        QVERIFY(waitFor([&] { return loaded(); }, 15000));
        // Well before the background save: what is stored now comes from the exit.
        ::kill(pid_t(p.processId()), sig);
        QVERIFY(p.waitForFinished(scaledMs(10000)));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        SettingsStore::reset();
        // Both modes start with the previous run's list, and the command line's file joins it.
        QCOMPARE(fx.env->readFile(afore()), "/m/previous.wav\r\n" + (named ? song.toUtf8() + "\r\n" : QByteArray()));
        if (compact) {
            // The compact exit stores its place.
            QCOMPARE(SettingsStore::GetSetting("start"), QStringLiteral("pellum"));
            QVERIFY(!SettingsStore::GetSetting("pellumleft").isEmpty());
        } else {
            QCOMPARE(SettingsStore::GetSetting("start"), QStringLiteral("form1"));
            QCOMPARE(SettingsStore::GetSetting("form1st"), QStringLiteral("0"));
        }
    }

    // An end that comes while the start-up yields to events waits until the start is through, then runs
    // the exit of the mode the start chose.
    void sessionEndDuringTheStartWaitsForIt_data()
    {
        QTest::addColumn<bool>("compact");
        QTest::newRow("main window") << false;
        QTest::newRow("compact mode") << true;
    }
    void sessionEndDuringTheStartWaitsForIt()
    {
        QFETCH(bool, compact);
        fx.freshEnv();
        if (compact)
            SettingsStore::SaveSetting("start", "pellum");
        const QString song = writeWav(fx.env->path("song.wav"), 30.0);
        bool came = false;
        QTimer::singleShot(0, [&] {
            came = true;
            Module1::EndSession([] { return false; });
        });
        Module1::Main(song);
        QVERIFY(came);  // within the start-up
        QVERIFY(Form1::isLoaded());
        QVERIFY(waitFor([] { return !Form1::isLoaded() && !pellum::isLoaded(); }));
        QCOMPARE(fx.env->readFile(afore()).endsWith(song.toUtf8() + "\r\n"), true);
        QCOMPARE(SettingsStore::GetSetting("start"), compact ? QStringLiteral("pellum") : QStringLiteral("form1"));
    }

    // The hand-over changes the mode in use: the session's end runs the exit of the one shown.
    void sessionEndRunsTheExitOfTheModeShown_data()
    {
        QTest::addColumn<bool>("backAgain");
        QTest::newRow("handed to the compact mode") << false;
        QTest::newRow("and back to the main window") << true;
    }
    void sessionEndRunsTheExitOfTheModeShown()
    {
        QFETCH(bool, backAgain);
        fx.freshEnv();
        Module1::Main(QString());
        Form1& f = Form1::instance();
        PlayerFixture::add(f, {"/m/a.wav", "/m/b.wav"});
        f.sj_Click();
        QVERIFY(pellum::InUse());
        Form6::instance().List1->AddItem("/m/c.wav");
        if (backAgain)
            pellum::instance().Label1_Click();
        Module1::EndSession([] { return false; });
        QCOMPARE(fx.env->readFile(afore()), QByteArray("/m/a.wav\r\n/m/b.wav\r\n/m/c.wav\r\n"));
        QCOMPARE(SettingsStore::GetSetting("start"), backAgain ? QStringLiteral("form1") : QStringLiteral("pellum"));
        QVERIFY(!Form1::isLoaded() && !pellum::isLoaded());
    }

    // A change of the list is on disk a moment later, with no exit at all: a program killed, or one whose
    // display went away, keeps this session's list.
    void listChangeIsWrittenWithoutAnExit_data()
    {
        QTest::addColumn<bool>("loseDisplay");
        QTest::addColumn<bool>("compact");
        QTest::newRow("killed") << false << false;
        QTest::newRow("killed, compact mode") << false << true;
        QTest::newRow("display lost") << true << false;
    }
    void listChangeIsWrittenWithoutAnExit()
    {
        QFETCH(bool, loseDisplay);
        QFETCH(bool, compact);
        fx.freshEnv();
        fx.env->writeFile("home/afore.pellum", "/m/previous.wav\r\n");
        if (compact)
            SettingsStore::SaveSetting("start", "pellum");
        const QString song = writeWav(fx.env->path("song.wav"), 30.0);
        // Both modes start with the previous run's list; the command line's file joins it.
        const QByteArray expected = "/m/previous.wav\r\n" + song.toUtf8() + "\r\n";
        QProcess xvfb;
        QProcess p;
        if (loseDisplay) {
            const QString server = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
            if (server.isEmpty())
                QSKIP("Xvfb is not installed");
            // A display number of its own, which the server picks and tells once it is ready.
            xvfb.start(server, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                                QStringLiteral("tcp")});
            QVERIFY(xvfb.waitForStarted());
            QVERIFY(waitFor([&] { return xvfb.canReadLine(); }, 15000));
            const QByteArray display = ':' + xvfb.readLine().trimmed();
            qputenv("DISPLAY", display);
            startPlayer(p, {song}, QStringLiteral("xcb"));
            qunsetenv("DISPLAY");
        } else {
            startPlayer(p, {song});
        }
        QVERIFY(waitFor([&] { return loaded(); }, 15000));
        QVERIFY(waitFor([&] { return fx.env->readFile(afore()) == expected; }, 8000));
        if (loseDisplay) {
            xvfb.kill();
            xvfb.waitForFinished();
            QVERIFY(p.waitForFinished(scaledMs(10000)));
        } else {
            p.kill();
            p.waitForFinished();
        }
        QCOMPARE(fx.env->readFile(afore()), expected);
        SettingsStore::reset();
        QCOMPARE(SettingsStore::GetSetting("uc"), QStringLiteral("1"));
        QCOMPARE(SettingsStore::GetSetting("start"), compact ? QStringLiteral("pellum") : QString());  // no exit ran
        QVERIFY(SettingsStore::GetSetting("pellumleft").isEmpty());
    }

    // afore.pellum cannot be written at exit: the user is told, the file there before stays whole, and the
    // exit goes on.
    void exitWriteFailureIsTold_data()
    {
        QTest::addColumn<bool>("folderInPlace");
        QTest::addColumn<int>("count");
        QTest::newRow("a folder in its place") << true << 3;
        QTest::newRow("disk full") << false << 3000;
        QTest::newRow("a folder in its place, empty list") << true << 0;
    }
    void exitWriteFailureIsTold()
    {
        QFETCH(bool, folderInPlace);
        QFETCH(int, count);
        Form1& f = fx.fresh();
        const QByteArray before = "/m/previous.wav\r\n";
        if (folderInPlace)
            QVERIFY(QDir().mkpath(afore()));
        else
            fx.env->writeFile(afore(), before);
        PlayerFixture::add(f, rows(count));
        {
            std::optional<FileSizeLimit> full;
            if (!folderInPlace)
                full.emplace(64 * 1024);
            f.exitc_Click();  // the question is not answered: No
        }
        const QList<Dialogs::Shown> told = shownOf("msgbox");
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].text.startsWith("The play list could not be saved as " + afore() + " ("), qPrintable(told[0].text));
        QVERIFY(told[0].text.contains(folderInPlace ? "(a folder of that name stands in its place)" : "(File too large)"));
        QVERIFY(told[0].text.contains("The list saved there before is kept unchanged."));
        QCOMPARE(told[0].flags, count ? int(Dialogs::YesNo) : int(Dialogs::OKOnly));
        QVERIFY(shownOf("save").isEmpty());
        if (folderInPlace)
            QVERIFY(QFileInfo(afore()).isDir());
        else
            QCOMPARE(fx.env->readFile(afore()), before);
        QCOMPARE(QDir(fx.env->home()).entryList({"afore.pellum.*"}, QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(SettingsStore::GetSetting("start"), QStringLiteral("form1"));
        QVERIFY(!Form1::isLoaded());
    }

    // The player ends on a full disk: the list of the last session and the settings are still there for
    // the next start, whole.
    void exitOnAFullDiskKeepsTheListAndTheSettings_data()
    {
        QTest::addColumn<int>("freeBlocks");
        QTest::newRow("no block free") << 0;
        QTest::newRow("one block free") << 1;
    }
    void exitOnAFullDiskKeepsTheListAndTheSettings()
    {
        QFETCH(int, freeBlocks);
        fx.freshEnv();
        // The program folder and the settings on one small disk.
        SmallDisk disk(fx.env->root(), 256);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.whyNot()));
        for (const char* folder : {"home", "config", "data"})
            QVERIFY(QDir(fx.env->root()).mkpath(folder));
        const QByteArray rows = "/m/one.wav\r\n/m/two.wav\r\n/m/three.wav\r\n";
        fx.env->writeFile("home/afore.pellum", rows);
        SettingsStore::SaveSetting("uc", "3");
        SettingsStore::SaveSetting("b0", "/m/marked.wav");
        SettingsStore::SaveSetting("psw", "secret");
        QProcess p;
        startPlayer(p, {});
        QVERIFY(waitFor([&] { return fx.env->readFile(fx.env->settingsFile()).contains("uc=4"); }));
        QVERIFY(disk.fill(freeBlocks));
        ::kill(pid_t(p.processId()), SIGTERM);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(fx.env->readFile(afore()), rows);
        SettingsStore::reset();
        QCOMPARE(SettingsStore::GetSetting("uc"), QStringLiteral("4"));
        QCOMPARE(SettingsStore::GetSetting("b0"), QStringLiteral("/m/marked.wav"));
        QCOMPARE(SettingsStore::GetSetting("psw"), QStringLiteral("secret"));
    }

    // A list file that is a named pipe is not waited on: the player starts, and ends at a signal, with the
    // pipe left as it was.
    void aPipeNamedLikeTheListIsNotWaitedOn()
    {
        fx.freshEnv();
        QVERIFY(makeFifo(afore()));
        QProcess p;
        startPlayer(p, {});
        const bool started = waitFor([&] { return loaded(); });
        if (!started) {
            // Let the stuck reader go, so that the program can end.
            msTakenBeside(afore(), [] {});
            p.kill();
            p.waitForFinished(5000);
        }
        QVERIFY(started);
        ::kill(pid_t(p.processId()), SIGTERM);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(isFifo(afore()));
    }

    // The user takes the offer: the save dialog of the list's export; a place that cannot be written
    // leaves the offer standing, and it is made again.
    void exitWriteFailureOffersSavingElsewhere_data()
    {
        QTest::addColumn<bool>("compact");
        QTest::newRow("main window") << false;
        QTest::newRow("compact mode") << true;
    }
    void exitWriteFailureOffersSavingElsewhere()
    {
        QFETCH(bool, compact);
        fx.freshEnv();
        Module1::Main(compact ? QStringLiteral("/J") : QString());
        QVERIFY(QDir().mkpath(afore()));
        ListBox* list = compact ? Form6::instance().List1 : Form1::instance().List1;
        list->AddItems({"/m/a.wav", "/m/b.wav"});
        const QString elsewhere = fx.env->path("elsewhere.pellum");
        // The main window's export tells of a place it could not write; the compact list's only logs it.
        QVariantList answers{int(Dialogs::Yes), fx.env->home(), int(Dialogs::OK), int(Dialogs::Yes), elsewhere};
        QStringList kindsShown{"msgbox", "save", "msgbox", "msgbox", "save"};
        if (compact) {
            answers.removeAt(2);
            kindsShown.removeAt(2);
        }
        for (const QVariant& a : answers)
            Dialogs::answer(a);
        Module1::ExitModeInUse();
        QStringList kinds;
        for (const Dialogs::Shown& s : Dialogs::shown())
            kinds << s.kind;
        QCOMPARE(kinds, kindsShown);
        QCOMPARE(Dialogs::shown()[1].text, QStringLiteral("PellumPlayer List(*.pellum)|*.pellum"));
        QCOMPARE(fx.env->readFile(elsewhere), QByteArray("/m/a.wav\r\n/m/b.wav\r\n"));
        QVERIFY(!Form1::isLoaded() && !pellum::isLoaded());
    }

    // At the session's end the exit shows nothing unless the session manager lets it: a signal never does.
    void sessionEndAsksOnlyWhenLet_data()
    {
        QTest::addColumn<bool>("mayAsk");
        QTest::newRow("signal") << false;
        QTest::newRow("session manager lets it") << true;
    }
    void sessionEndAsksOnlyWhenLet()
    {
        QFETCH(bool, mayAsk);
        fx.freshEnv();
        QVERIFY(QDir().mkpath(afore()));
        Module1::Main(QString());
        PlayerFixture::add(Form1::instance(), {"/m/a.wav", "/m/two\nlines.wav"});
        // The settings file cannot be written from now on either.
        QVERIFY(QFile::remove(fx.env->settingsFile()) && QDir().mkpath(fx.env->settingsFile()));
        Module1::EndSession([&] { return mayAsk; });
        // A left-out row, afore.pellum and the settings file are what there is to tell.
        QCOMPARE(shownOf("msgbox").size(), mayAsk ? 3 : 0);
        QCOMPARE(SettingsStore::GetSetting("start"), QStringLiteral("form1"));  // kept in memory
        QVERIFY(!Form1::isLoaded());
    }

    // A background save that finds the disk full tells the user once, not at every change, and leaves
    // the list on disk as it was; once a save works again, a later failure is told again.
    void backgroundSaveOnAFullDiskIsToldOnce()
    {
        fx.freshEnv();
        SmallDisk disk(fx.env->home(), 64);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.whyNot()));
        const QByteArray rows = "/m/one.wav\r\n/m/two.wav\r\n/m/three.wav\r\n";
        fx.env->writeFile("home/afore.pellum", rows);
        Form1& f = Form1::instance();
        QCOMPARE(f.List1->ListCount(), 3);
        Module1::SetModeInUse(f.List1, nullptr);
        QVERIFY(disk.fill(0));
        auto told = [] { return shownOf("msgbox").size(); };
        PlayerFixture::add(f, {"/m/four.wav"});
        QVERIFY(waitFor([&] { return told() == 1; }));
        QCOMPARE(shownOf("msgbox")[0].text,
                 "The play list could not be saved as " + afore() +
                     " (No space left on device).\nThe list saved there before is kept unchanged.");
        PlayerFixture::add(f, {"/m/five.wav"});
        QTest::qWait(Module1::ListWriteDelay + 600);
        QCOMPARE(told(), 1);
        QCOMPARE(fx.env->readFile(afore()), rows);

        disk.drain();
        PlayerFixture::add(f, {"/m/six.wav"});
        QVERIFY(waitFor([&] { return fx.env->readFile(afore()).count("\r\n") == 6; }));
        QVERIFY(disk.fill(0));
        PlayerFixture::add(f, {"/m/seven.wav"});
        QVERIFY(waitFor([&] { return told() == 2; }));
        QCOMPARE(fx.env->readFile(afore()).count("\r\n"), 6);
        Module1::SetModeInUse(nullptr, nullptr);
    }

    // The background save tells of a left-out row once in the session, not at every change.
    void backgroundSaveTellsALeftOutRowOnce()
    {
        Form1& f = fx.fresh();
        Module1::SetModeInUse(f.List1, nullptr);
        PlayerFixture::add(f, {"/m/a.wav", "/m/two\nlines.wav"});
        QVERIFY(waitFor([&] { return fx.env->readFile(afore()) == "/m/a.wav\r\n"; }));
        QCOMPARE(shownOf("msgbox").size(), 1);
        PlayerFixture::add(f, {"/m/c.wav"});
        QVERIFY(waitFor([&] { return fx.env->readFile(afore()) == "/m/a.wav\r\n/m/c.wav\r\n"; }));
        QCOMPARE(shownOf("msgbox").size(), 1);
        Module1::SetModeInUse(nullptr, nullptr);
    }
};

QTEST_MAIN(ShutdownTest)
#include "test_shutdown.moc"
