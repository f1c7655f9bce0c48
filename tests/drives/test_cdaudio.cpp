// The CD-audio device's command strings and the tray of the first optical drive; audio discs are BIN/CUE
// images made by the test, played for real through mpv with null outputs.
#include "platform/cdaudio/cdaudio.h"
#include "platform/drives/drives.h"
#include "tests/support/cdimage.h"
#include "tests/support/testenv.h"

#include <QTemporaryDir>
#include <QtTest>

using Drives::Drive;

class CdAudioTest : public QObject {
    Q_OBJECT
    QTemporaryDir tmp;
    QStringList moves;
    bool driveAnswer = true;

private slots:
    void init()
    {
        moves.clear();
        driveAnswer = true;
        CdAudio::setTrayActionForTests([this](const QString& action, const QString& device) {
            moves << action + " " + device;
            return driveAnswer;
        });
    }
    void cleanup()
    {
        CdAudio::mciSendString("close all");
        CdAudio::setTrayActionForTests({});
        Drives::setTableForTests(std::nullopt);
    }

    void trayOfTheFirstOpticalDrive()
    {
        // A removable stick and a fixed disk come first; the first optical drive is E:.
        Drives::setTableForTests(QList<Drive>{{'C', Drives::Fixed, tmp.path(), "/dev/sda1"},
                                              {'D', Drives::Removable, tmp.path(), "/dev/sdb1"},
                                              {'E', Drives::CdRom, {}, "/dev/sr0"},
                                              {'F', Drives::CdRom, {}, "/dev/sr1"}});
        for (const char* s : {"open cdaudio alias songs", "set songs door open", "close songs"})
            QCOMPARE(CdAudio::mciSendString(s), int(CdAudio::NoError));
        QCOMPARE(moves, QStringList{"eject /dev/sr0"});
        for (const char* s : {"Open CDAudio Alias songs", "SET songs DOOR closed wait", "close songs"})
            QCOMPARE(CdAudio::mciSendString(s), int(CdAudio::NoError));
        QCOMPARE(moves, (QStringList{"eject /dev/sr0", "close /dev/sr0"}));
        QCOMPARE(CdAudio::deviceOf("songs"), QString());
    }

    void withoutAnOpticalDrive()
    {
        Drives::setTableForTests(QList<Drive>{{'C', Drives::Fixed, tmp.path(), "/dev/sda1"}});
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias songs"), int(CdAudio::NoDevice));
        QCOMPARE(CdAudio::mciSendString("set songs door open"), int(CdAudio::UnknownAlias));
        QCOMPARE(CdAudio::mciSendString("close songs"), int(CdAudio::UnknownAlias));
        QVERIFY(moves.isEmpty());
        // An optical drive whose device is not known is no device either.
        Drives::setTableForTests(QList<Drive>{{'D', Drives::CdRom, tmp.path(), {}}});
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias songs"), int(CdAudio::NoDevice));
        QVERIFY(moves.isEmpty());
    }

    void commandsItDoesNotKnow_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("empty") << "";
        QTest::newRow("other device") << "open waveaudio alias w";
        QTest::newRow("half a door") << "set songs door";
        QTest::newRow("door ajar") << "set songs door ajar";
        QTest::newRow("nonsense") << "frobnicate songs";
    }

    void commandsItDoesNotKnow()
    {
        QFETCH(QString, command);
        Drives::setTableForTests(QList<Drive>{{'D', Drives::CdRom, {}, "/dev/sr0"}});
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias songs"), int(CdAudio::NoError));
        QCOMPARE(CdAudio::mciSendString(command), int(CdAudio::UnrecognizedCommand));
        QVERIFY(moves.isEmpty());
        QCOMPARE(CdAudio::deviceOf("songs"), QString("/dev/sr0"));
    }

    void aDriveThatRefuses()
    {
        Drives::setTableForTests(QList<Drive>{{'D', Drives::CdRom, {}, "/dev/sr0"}});
        driveAnswer = false;
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias songs"), int(CdAudio::NoError));
        QCOMPARE(CdAudio::mciSendString("set songs door open"), int(CdAudio::Failed));
        QCOMPARE(moves, QStringList{"eject /dev/sr0"});
    }

    void anImageHasNoTray()
    {
        // The real drive path: an image file is refused before libcdio is asked to move anything.
        CdAudio::setTrayActionForTests({});
        const QString iso = tmp.path() + "/disc.iso";
        QFile f(iso);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, '\0'));
        f.close();
        Drives::setTableForTests(QList<Drive>{{'D', Drives::CdRom, tmp.path(), iso}});
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias songs"), int(CdAudio::NoError));
        QCOMPARE(CdAudio::mciSendString("set songs door open"), int(CdAudio::Failed));
        QCOMPARE(CdAudio::mciSendString("set songs door closed"), int(CdAudio::Failed));
        QCOMPARE(CdAudio::mciSendString("close songs"), int(CdAudio::NoError));
    }

    // --- audio discs ---

    // Drive D: holding a disc image of three tracks of 3, 5 and 4 seconds: they start at 00:02:00,
    // 00:05:00 and 00:10:00, and the disc ends at 00:14:00.
    QString insertDisc(const QList<int>& tracks = {225, 375, 300}, bool tone = false)
    {
        return CdImage::intoDriveD(tmp.path() + "/cd", tmp.path(), tracks, tone);
    }

    static QString ask(const QString& command, int expected = CdAudio::NoError)
    {
        QString result = "left over";
        const int e = CdAudio::mciSendString(command, &result);
        if (e != expected)
            qWarning("%s gave %d", qPrintable(command), e);
        return e == expected ? result : QString("error %1").arg(e);
    }

    void tableOfContents_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("error");
        QTest::newRow("count") << "status song number of tracks" << "3" << 0;
        QTest::newRow("track 1") << "status song position track 1" << "00:02:00" << 0;
        QTest::newRow("track 2") << "status song position track 2" << "00:05:00" << 0;
        QTest::newRow("track 3") << "Status Song Position Track 3 wait" << "00:10:00" << 0;
        QTest::newRow("no track 4") << "status song position track 4" << "" << int(CdAudio::OutOfRange);
        QTest::newRow("no track 0") << "status song position track 0" << "" << int(CdAudio::OutOfRange);
        QTest::newRow("disc length") << "status song length" << "00:12:00" << 0;
        QTest::newRow("track length") << "status song length track 2" << "00:05:00" << 0;
        QTest::newRow("position") << "status song position" << "00:02:00" << 0;
        QTest::newRow("current track") << "status song current track" << "1" << 0;
        QTest::newRow("mode") << "status song mode" << "stopped" << 0;
        QTest::newRow("unknown item") << "status song colour" << "" << int(CdAudio::UnrecognizedCommand);
        QTest::newRow("other alias") << "status other mode" << "" << int(CdAudio::UnknownAlias);
    }

    void tableOfContents()
    {
        QFETCH(QString, query);
        QFETCH(QString, answer);
        QFETCH(int, error);
        insertDisc();
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias song"), int(CdAudio::NoError));
        QString result = "left over";
        QCOMPARE(CdAudio::mciSendString(query, &result), error);
        QCOMPARE(result, answer);
        // Reading a disc creates no engine; only playing does.
        QVERIFY(!CdAudio::hasEngine());
    }

    void noDiscInTheDrive()
    {
        QFile::remove(tmp.path() + "/cd/disc.cue");
        const QString cue = insertDisc({});
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias song"), int(CdAudio::NoError));
        QCOMPARE(ask("status song number of tracks", CdAudio::NotReady), QString());
        QCOMPARE(ask("status song current track", CdAudio::NotReady), QString());
        QCOMPARE(ask("status song mode"), QString("not ready"));
        QCOMPARE(ask("play song", CdAudio::NotReady), QString());
        // A disc that arrives is found once the device is opened again.
        QCOMPARE(insertDisc(), cue);
        QCOMPARE(ask("status song number of tracks", CdAudio::NotReady), QString());
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias song"), int(CdAudio::NoError));
        QCOMPARE(ask("status song number of tracks"), QString("3"));
    }

    void anotherDiscInItsPlace()
    {
        insertDisc();
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias song"), int(CdAudio::NoError));
        QCOMPARE(ask("status song number of tracks"), QString("3"));
        // Taken out and another put in: the count finds no disc, so the player opens the device again.
        insertDisc({300, 300});
        QCOMPARE(ask("status song number of tracks", CdAudio::NotReady), QString());
        QCOMPARE(ask("status song position track 1", CdAudio::NotReady), QString());
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias song"), int(CdAudio::NoError));
        QCOMPARE(ask("status song number of tracks"), QString("2"));
        QCOMPARE(ask("status song length"), QString("00:08:00"));
    }

    void positionsWithoutPlaying()
    {
        insertDisc();
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias song"), int(CdAudio::NoError));
        QCOMPARE(ask("seek song to 00:06:30"), QString());
        QCOMPARE(ask("status song position"), QString("00:06:30"));
        QCOMPARE(ask("status song current track"), QString("2"));
        QCOMPARE(ask("status song mode"), QString("stopped"));
        QCOMPARE(ask("seek song to end"), QString());
        QCOMPARE(ask("status song position"), QString("00:14:00"));
        QCOMPARE(ask("status song current track"), QString("3"));
        QCOMPARE(ask("seek song to start"), QString());
        QCOMPARE(ask("status song position"), QString("00:02:00"));
        QCOMPARE(ask("seek song to 00:14:01", CdAudio::OutOfRange), QString());
        QCOMPARE(ask("seek song to 00:01:74", CdAudio::OutOfRange), QString());
        QCOMPARE(ask("play song from 99:00:00", CdAudio::OutOfRange), QString());
        QCOMPARE(ask("play song from", CdAudio::UnrecognizedCommand), QString());
        QCOMPARE(ask("play song from ", CdAudio::UnrecognizedCommand), QString());
        QCOMPARE(ask("seek song", CdAudio::UnrecognizedCommand), QString());
        QCOMPARE(ask("pause song now", CdAudio::UnrecognizedCommand), QString());
        QCOMPARE(ask("play song from 0a:00:00", CdAudio::OutOfRange), QString());
        QCOMPARE(ask("status song position"), QString("00:02:00"));
    }

    void playing()
    {
        insertDisc({225, 375, 300}, true);
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias song"), int(CdAudio::NoError));
        QCOMPARE(ask("play song from 00:05:00"), QString());
        QVERIFY(CdAudio::hasEngine());
        QCOMPARE(ask("status song mode"), QString("playing"));
        QCOMPARE(ask("status song current track"), QString("2"));
        // The position follows the engine as the disc really plays.
        QVERIFY(waitFor([] { return ask("status song position") >= QString("00:06:10"); }, 8000));
        QCOMPARE(ask("status song current track"), QString("2"));
        QCOMPARE(ask("pause song"), QString());
        QCOMPARE(ask("status song mode"), QString("paused"));
        QTest::qWait(300);
        const QString held = ask("status song position");
        QTest::qWait(500);
        QCOMPARE(ask("status song position"), held);
        QCOMPARE(ask("play song"), QString());
        QCOMPARE(ask("status song mode"), QString("playing"));
        QVERIFY(waitFor([&] { return ask("status song position") > held; }, 8000));
        // A seek stops the disc at the new place; a play goes on from there.
        QCOMPARE(ask("seek song to 00:10:30"), QString());
        QCOMPARE(ask("status song mode"), QString("stopped"));
        QCOMPARE(ask("status song current track"), QString("3"));
        QCOMPARE(ask("play song"), QString());
        QVERIFY(waitFor([] { return ask("status song position") >= QString("00:11:00"); }, 8000));
        QCOMPARE(ask("stop song"), QString());
        QCOMPARE(ask("status song mode"), QString("stopped"));
        const QString stopped = ask("status song position");
        QVERIFY(stopped >= QString("00:11:00"));
        QTest::qWait(300);
        QCOMPARE(ask("status song position"), stopped);
    }

    // The engine reads the disc through the same library on threads of its own: the player asking
    // after the disc while the engine opens it gets the whole disc every time, and the disc plays.
    void discAskedWhileTheEngineOpensIt()
    {
        insertDisc();
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias song"), int(CdAudio::NoError));
        for (int round = 0; round < 15; ++round) {
            QCOMPARE(ask("play song from 00:05:00"), QString());
            QElapsedTimer clock;
            clock.start();
            while (clock.elapsed() < 300) {
                QCOMPARE(ask("status song number of tracks"), QString("3"));
                QCOMPARE(ask("status song length"), QString("00:12:00"));
            }
            QVERIFY(waitFor([] { return ask("status song position") > QString("00:05:00"); }, 8000));
            QCOMPARE(ask("status song mode"), QString("playing"));
            QCOMPARE(ask("stop song"), QString());
        }
    }

    void playsToTheEndOfTheDisc()
    {
        insertDisc();
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias song"), int(CdAudio::NoError));
        QCOMPARE(ask("play song from 00:13:40"), QString());
        QVERIFY(waitFor([] { return ask("status song mode") == "stopped"; }, 8000));
        QCOMPARE(ask("status song position"), QString("00:14:00"));
        QCOMPARE(ask("status song current track"), QString("3"));
        // Played again, a disc at its end starts from its beginning.
        QCOMPARE(ask("play song"), QString());
        QCOMPARE(ask("status song current track"), QString("1"));
        QCOMPARE(ask("status song mode"), QString("playing"));
    }

    void anotherAliasClosedLeavesTheDiscPlaying()
    {
        insertDisc();
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias song"), int(CdAudio::NoError));
        QCOMPARE(ask("play song"), QString());
        // The main window's tray commands open and close a second alias on the same drive.
        for (const char* s : {"open cdaudio alias songs", "set songs door closed", "close songs"})
            QCOMPARE(CdAudio::mciSendString(s), int(CdAudio::NoError));
        QCOMPARE(ask("status song mode"), QString("playing"));
        QCOMPARE(CdAudio::mciSendString("close song"), int(CdAudio::NoError));
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias song"), int(CdAudio::NoError));
        QCOMPARE(ask("status song mode"), QString("stopped"));
    }

    void openTrayStopsTheDisc()
    {
        insertDisc();
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias song"), int(CdAudio::NoError));
        QCOMPARE(ask("play song from 00:05:00"), QString());
        QCOMPARE(CdAudio::mciSendString("set song door open"), int(CdAudio::NoError));
        QCOMPARE(moves.size(), 1);
        QCOMPARE(ask("status song mode"), QString("open"));
        QCOMPARE(ask("status song number of tracks", CdAudio::NotReady), QString());
        QCOMPARE(ask("play song", CdAudio::NotReady), QString());
        // Closed again and opened again, the disc is there and stands at its start.
        QCOMPARE(CdAudio::mciSendString("set song door closed"), int(CdAudio::NoError));
        QCOMPARE(ask("status song mode"), QString("not ready"));
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias song"), int(CdAudio::NoError));
        QCOMPARE(ask("status song number of tracks"), QString("3"));
        QCOMPARE(ask("status song mode"), QString("stopped"));
        QCOMPARE(ask("status song position"), QString("00:02:00"));
    }

    void theCommandLog()
    {
        QStringList log;
        CdAudio::setCommandLogForTests([&](const QString& c) { log << c; });
        insertDisc();
        CdAudio::mciSendString("open cdaudio alias song");
        CdAudio::mciSendString("Status song mode");
        CdAudio::mciSendString("bogus");
        CdAudio::setCommandLogForTests({});
        CdAudio::mciSendString("close all");
        QCOMPARE(log, (QStringList{"open cdaudio alias song", "Status song mode", "bogus"}));
    }
};

QTEST_GUILESS_MAIN(CdAudioTest)
#include "test_cdaudio.moc"
