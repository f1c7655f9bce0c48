// The audio-CD player on disc images the test makes (BIN/CUE, played for real through mpv with null
// outputs): load, the status tick, the track rows and their title lists, the buttons, the slider's seek,
// a disc that arrives, the tray, Power, the "/C" start and the main window's doors to the window.
#include "platform/cdaudio/cdaudio.h"
#include "platform/drives/drives.h"
#include "player/tools/dabs.h"
#include "player/tools/form3.h"
#include "tests/player_fixture.h"
#include "tests/support/cdimage.h"

#include <QDir>
#include <QWheelEvent>

namespace {

// The command strings the CD player sends, and the tray's movements.
struct CdLog {
    static inline CdLog* current = nullptr;
    QStringList sent;
    QStringList moves;
    CdAudio::CommandLog logger()
    {
        return [this](const QString& c) { sent << c; };
    }
    CdLog()
    {
        current = this;
        CdAudio::setCommandLogForTests(logger());
        CdAudio::setTrayActionForTests([this](const QString& action, const QString&) {
            moves << action;
            return true;
        });
    }
    ~CdLog()
    {
        current = nullptr;
        CdAudio::setCommandLogForTests({});
        CdAudio::setTrayActionForTests({});
    }
    // What was sent since the last call.
    QStringList take() { return std::exchange(sent, {}); }
};

// The device's mode word, asked outside the log.
QString mode()
{
    QString r;
    CdAudio::CommandLog log = CdLog::current ? CdLog::current->logger() : CdAudio::CommandLog();
    CdAudio::setCommandLogForTests({});
    CdAudio::mciSendString("status song mode", &r);
    CdAudio::setCommandLogForTests(log);
    return r;
}

}  // namespace

class CdPlayerTest : public QObject {
    Q_OBJECT
    PlayerFixture fx;
    QString cue;

    // A fresh program folder with drive D: an optical drive holding a disc of these tracks (lengths in
    // frames of 1/75 s); none for an empty list (the drive is there, its tray empty).
    void insert(const QList<int>& tracks, bool tone = false)
    {
        fx.freshEnv();
        cue = CdImage::intoDriveD(fx.env->path("cd"), fx.env->path("C"), tracks, tone);
    }

    // The player loaded on a disc of three tracks of 3, 5 and 4 seconds (starts 00:02:00, 00:05:00,
    // 00:10:00; the disc is 00:12:00 long), its own tick stopped so that the test ticks it.
    Form3& player(const QList<int>& tracks = {225, 375, 300})
    {
        insert(tracks);
        Form3& f = Form3::instance();
        f.Timer1->stop();
        return f;
    }

private slots:
    void cleanup()
    {
        releaseWindows();
        CdAudio::mciSendString("close all");
        Drives::setTableForTests(std::nullopt);
    }

    void TTA_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QString>("result");
        QTest::newRow("whole minutes") << "03:20:00" << "01:20:00" << "02 : 00";
        QTest::newRow("borrowed minute") << "03:10:00" << "01:20:00" << "01 : 50";
        QTest::newRow("nothing") << "00:00:00" << "00:00:00" << "00 : 00";
        QTest::newRow("two empty texts") << "" << "" << "00 : 00";
        QTest::newRow("frames ignored") << "00:05:74" << "00:02:00" << "00 : 03";
        QTest::newRow("negative keeps its sign") << "01:20:00" << "02:20:00" << "-01 : 00";
        QTest::newRow("no next track") << "" << "00:10:00" << "-01 : 50";
    }

    void TTA()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, result);
        QCOMPARE(Form3::TTA(a, b), result);
    }

    void lastTrackLength_data()
    {
        QTest::addColumn<QString>("disc");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("length");
        QTest::newRow("two seconds more") << "45:10:20" << "41:09:00" << "04 : 03";
        QTest::newRow("carried into the minutes") << "45:10:20" << "41:12:00" << "04 : 00";
    }

    void lastTrackLength()
    {
        QFETCH(QString, disc);
        QFETCH(QString, start);
        QFETCH(QString, length);
        QCOMPARE(Form3::LastTrackLength(disc, start), length);
    }

    void seekTarget_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("target");
        QTest::newRow("five seconds in") << "03:07:30" << 5 << "03:12:00";
        QTest::newRow("the start") << "00:02:00" << 0 << "00:02:00";
        QTest::newRow("minutes and seconds") << "01:10:00" << 125 << "03:15:00";
        // 12:50 and 75 seconds is 14:05, not 13:65.
        QTest::newRow("seconds carried") << "12:50:00" << 75 << "14:05:00";
        QTest::newRow("carried at 60") << "00:58:10" << 2 << "01:00:00";
    }

    void seekTarget()
    {
        QFETCH(QString, start);
        QFETCH(int, seconds);
        QFETCH(QString, target);
        QCOMPARE(Form3::SeekTarget(start, seconds), target);
    }

    void loadStartsTrackOne()
    {
        CdLog log;
        insert({225, 375, 300});
        Form3& f = Form3::instance();
        f.Timer1->stop();
        QCOMPARE(f.List1->items(), (QStringList{" \u25CETune_01", " \u25CETune_02", " \u25CETune_03"}));
        QCOMPARE(f.TrackCount, qint16(3));
        QCOMPARE(f.List1->ListIndex(), 0);
        QCOMPARE(f.Label3->text(), QString("3"));
        QCOMPARE(f.Label2->text(), QString("1"));
        QCOMPARE(f.windowTitle(), QString("PellumCDplayer"));
        QCOMPARE(f.size(), QSize(360, 160));
        QVERIFY(!loadk::instance().isVisible());
        QCOMPARE(log.sent.mid(0, 3), (QStringList{"close all", "open cdaudio alias song", "status song number of tracks"}));
        QCOMPARE(log.sent.mid(log.sent.size() - 2),
                 (QStringList{"status song position track 1", "play song from 00:02:00"}));
        QCOMPARE(mode(), QString("playing"));
        QVERIFY(CdAudio::hasEngine());
        // With shaped windows off the window keeps its rectangle.
        QVERIFY(f.mask().isEmpty());
    }

    void shapedBySkin()
    {
        insert({225});
        SettingsStore::SaveSetting("vitrif", "True");
        Form3& f = Form3::instance();
        const QRegion shape = f.mask();
        QVERIFY(!shape.isEmpty());
        QVERIFY(!shape.contains(QPoint(0, 0)));  // a rounded corner is left out
        QVERIFY(shape.contains(QPoint(180, 80)));
        QCOMPARE(shape.boundingRect(), QRect(0, 0, 360, 160));
    }

    void tickShowsTheTrack()
    {
        Form3& f = player();
        CdLog log;
        f.Timer1_Timer();
        QCOMPARE(f.windowTitle(), QString("PellumCDplayer >> Track 1 / 3"));
        QCOMPARE(f.Label4->text(), QString("1 / 3"));
        QCOMPARE(f.Label3->text(), QString("00 : 03"));
        QVERIFY(f.Label2->text().startsWith("00 : 0"));
        QCOMPARE(f.SS->maximum(), 3);
        QCOMPARE(f.List1->ListIndex(), 0);
        // The tick only asks: it neither restarts the track nor seeks.
        for (const QString& c : log.sent)
            QVERIFY2(c.startsWith("status song "), qPrintable(c));
        // The last track's length comes from the disc's: 00:12:00 - 00:10:00, and two seconds.
        f.Command7_Click();
        f.Command7_Click();
        f.Timer1_Timer();
        QCOMPARE(f.Label4->text(), QString("3 / 3"));
        QCOMPARE(f.Label3->text(), QString("00 : 04"));
        QCOMPARE(f.SS->maximum(), 4);
        QCOMPARE(f.List1->ListIndex(), 2);
    }

    void previousAndNextWrap_data()
    {
        QTest::addColumn<QList<int>>("tracks");
        QTest::addColumn<int>("from");  // the track playing, through a row click
        QTest::addColumn<bool>("next");
        QTest::addColumn<QString>("played");
        QTest::addColumn<QString>("label2");
        const QList<int> three{225, 375, 300};
        QTest::newRow("previous on track 1 plays the last") << three << 1 << false << "00:10:00" << "3";
        QTest::newRow("next on the last plays track 1") << three << 3 << true << "00:02:00" << "1";
        QTest::newRow("previous on track 2") << three << 2 << false << "00:02:00" << "1";
        QTest::newRow("next on track 2") << three << 2 << true << "00:10:00" << "3";
        QTest::newRow("one track: previous restarts it") << QList<int>{300} << 1 << false << "00:02:00" << "1";
        QTest::newRow("one track: next restarts it") << QList<int>{300} << 1 << true << "00:02:00" << "1";
    }

    void previousAndNextWrap()
    {
        QFETCH(QList<int>, tracks);
        QFETCH(int, from);
        QFETCH(bool, next);
        QFETCH(QString, played);
        QFETCH(QString, label2);
        Form3& f = player(tracks);
        f.List1->setListIndex(from - 1);
        CdLog log;
        next ? f.Command7_Click() : f.Command6_Click();
        QVERIFY2(log.sent.contains("play song from " + played), qPrintable(log.sent.join(" | ")));
        QCOMPARE(f.Label2->text(), label2);
        QCOMPARE(mode(), QString("playing"));
    }

    void pauseTwice()
    {
        Form3& f = player();
        CdLog log;
        f.Command5_Click();
        QCOMPARE(log.take(), (QStringList{"status song mode", "pause song"}));
        QCOMPARE(mode(), QString("paused"));
        f.Command5_Click();
        QCOMPARE(log.take(), (QStringList{"status song mode", "play song"}));
        QCOMPARE(mode(), QString("playing"));
        f.Command4_Click();
        QCOMPARE(log.take(), QStringList{"play song"});
    }

    void shut()
    {
        Form3& f = player();
        CdLog log;
        // While the disc plays, Shut sends nothing beyond its question.
        f.Command3_Click();
        QCOMPARE(log.take(), QStringList{"status song mode"});
        QVERIFY(log.moves.isEmpty());
        // Paused, it closes the tray and resets, which starts track 1 again.
        f.List1->setListIndex(2);
        f.Command5_Click();
        log.take();
        f.Command3_Click();
        const QStringList sent = log.take();
        QCOMPARE(sent.mid(0, 4), (QStringList{"status song mode", "set song door closed", "close all", "open cdaudio alias song"}));
        QCOMPARE(sent.last(), QString("play song from 00:02:00"));
        QCOMPARE(log.moves, QStringList{"close"});
        QCOMPARE(f.List1->ListIndex(), 0);
    }

    void sliderSeeks_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("dragged") << "drag";
        QTest::newRow("a key") << "key";
        QTest::newRow("the wheel") << "wheel";
    }

    void sliderSeeks()
    {
        QFETCH(QString, how);
        // Track 2 starts at 03:07:30.
        Form3& f = player({13905, 750});
        f.List1->setListIndex(1);
        f.Timer1_Timer();
        QCOMPARE(f.SS->maximum(), 10);
        CdLog log;
        if (how == "drag") {
            f.SS->setSliderDown(true);
            f.SS->setSliderPosition(5);
            f.SS->setSliderDown(false);
        } else if (how == "key") {
            f.SS->setValue(4);
            QTest::keyClick(f.SS, Qt::Key_Right);
            QVERIFY(waitFor([&] { return log.sent.contains("play song"); }, 2000));
        } else {
            // One notch away from the user moves the thumb by the wheel's lines.
            f.SS->setValue(5 - QApplication::wheelScrollLines());
            const QPointF at(f.SS->width() / 2.0, f.SS->height() / 2.0);
            QWheelEvent notch(at, f.SS->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(f.SS, &notch);
            QCOMPARE(f.SS->value(), 5);
            QVERIFY(waitFor([&] { return log.sent.contains("play song"); }, 2000));
        }
        QCOMPARE(log.take(), (QStringList{"status song current track", "status song position track 2", "pause song",
                                          "seek song to 03:12:00", "play song"}));
        QCOMPARE(mode(), QString("playing"));
        QVERIFY(waitFor([] {
            QString pos;
            CdAudio::mciSendString("status song position", &pos);
            return pos >= QString("03:12:00");
        }, 3000));
        // The tick sets the slider without seeking.
        f.Timer1_Timer();
        QVERIFY(!log.sent.join(" ").contains("seek"));
    }

    void sliderHeldStopsTheTick()
    {
        Form3& f = player();
        f.Timer1->start(1000);
        QTest::mousePress(f.SS, Qt::LeftButton, {}, QPoint(2, f.SS->height() / 2));
        QVERIFY(!f.Timer1->isActive());
        QTest::mouseRelease(f.SS, Qt::LeftButton, {}, QPoint(2, f.SS->height() / 2));
        QVERIFY(f.Timer1->isActive());
        QCOMPARE(f.Timer1->interval(), 1000);
    }

    void noDiscThenADiscArrives()
    {
        insert({});
        Form3& f = Form3::instance();
        f.show();
        QCOMPARE(f.Label4->text(), QString("No Audio CD in cdrom"));
        QCOMPARE(f.Label2->text(), QString("Searching..."));
        QCOMPARE(f.List1->ListCount(), 0);
        QVERIFY(f.Timer1->isActive());
        QCOMPARE(f.Timer1->interval(), 1000);
        QVERIFY(!CdImage::write(fx.env->path("cd"), "disc", {225, 375}).isEmpty());
        // The next tick finds the disc and starts track 1, with nothing done.
        CdLog log;
        QVERIFY2(waitFor([&] { return f.List1->ListCount() == 2; }, 2500), qPrintable(log.sent.join("|")));
        QCOMPARE(f.List1->ListIndex(), 0);
        QCOMPARE(mode(), QString("playing"));
        QVERIFY(waitFor([&] { return f.Label4->text() == "1 / 2"; }, 2500));
    }

    void noOpticalDrive()
    {
        fx.freshEnv();
        Drives::setTableForTests(QList<Drives::Drive>{{'C', Drives::Fixed, fx.env->root(), {}}});
        Form3& f = Form3::instance();
        f.Timer1_Timer();
        QCOMPARE(f.Label4->text(), QString("No Audio CD in cdrom"));
        QCOMPARE(f.Label2->text(), QString("Searching..."));
        QCOMPARE(f.Label3->text(), QString());
        QCOMPARE(f.List1->ListCount(), 0);
    }

    void ejectThenShut()
    {
        Form3& f = player();
        CdLog log;
        f.Command2_Click();
        QCOMPARE(log.take(), QStringList{"set song door open"});
        QCOMPARE(log.moves, QStringList{"eject"});
        QCOMPARE(f.List1->ListCount(), 0);
        QCOMPARE(mode(), QString("open"));
        f.Timer1_Timer();
        QCOMPARE(f.Label4->text(), QString("No Audio CD in cdrom"));
        QCOMPARE(f.Label2->text(), QString("Searching..."));
        QCOMPARE(f.Label3->text(), QString());
        f.Command3_Click();
        QCOMPARE(log.moves, (QStringList{"eject", "close"}));
        QCOMPARE(f.List1->ListCount(), 3);
        QCOMPARE(mode(), QString("playing"));
    }

    void powerStopsTheDisc()
    {
        Form3& f = player();
        Form1::instance();  // the main window is open: the program goes on
        CdLog log;
        f.command8_Click();
        QCOMPARE(log.take(), (QStringList{"stop song", "close song"}));
        QVERIFY(!Form3::isLoaded());
        QCOMPARE(CdAudio::deviceOf("song"), QString());
        CdAudio::mciSendString("open cdaudio alias song");
        QCOMPARE(mode(), QString("stopped"));
        QVERIFY(Form1::isLoaded());
    }

    void closedByTheWindowManager()
    {
        Form3& f = player();
        f.show();
        CdLog log;
        f.close();
        QCOMPARE(log.take(), (QStringList{"stop song", "close song"}));
        QVERIFY(!Form3::isLoaded());
    }

    void realPlayback()
    {
        // Tracks of 5, 5 and 4 seconds: the once-a-second tick has time to show the first one's third second.
        insert({375, 375, 300}, true);
        Form3& f = Form3::instance();
        f.show();
        // The player's own tick follows the disc as it really plays.
        QVERIFY(waitFor([&] { return f.Label4->text() == "1 / 3" && f.Label2->text() >= QString("00 : 02"); }, 8000));
        QVERIFY(f.SS->value() >= 2);
        QVERIFY(waitFor([&] { return f.Label4->text() == "2 / 3"; }, 8000));
        QCOMPARE(f.List1->ListIndex(), 1);
        QCOMPARE(f.Label3->text(), QString("00 : 05"));
    }

    void titleLists_data()
    {
        QTest::addColumn<bool>("detect");
        QTest::addColumn<QByteArray>("titles");  // the disc's title file (none for an empty text)
        QTest::addColumn<QStringList>("rows");
        const QStringList own{" \u25CETune_01", " \u25CETune_02", " \u25CETune_03"};
        QTest::newRow("five titles for three tracks")
            << true << QByteArray("One\r\n\r\n#Three\r\nFour\r\nFive\r\n") << QStringList{"One", "", "#Three", "Four", "Five"};
        QTest::newRow("Latin-1 titles") << true << QByteArray("Ca\xe7\xe3o\r\nB\r\nC\r\n") << QStringList{"Ca\u00e7\u00e3o", "B", "C"};
        QTest::newRow("DetectDabs off") << false << QByteArray("One\r\nTwo\r\nThree\r\n") << own;
        QTest::newRow("no title file") << true << QByteArray() << own;
        QTest::newRow("DetectDabs off, no title file") << false << QByteArray() << own;
    }

    void titleLists()
    {
        QFETCH(bool, detect);
        QFETCH(QByteArray, titles);
        QFETCH(QStringList, rows);
        insert({225, 375, 300});
        // The disc's serial from its tracks: 00:02:00, 00:05:00 and 00:10:00.
        QCOMPARE(Dabs::GetDabs("D:\\"), QString::number(0x0200 + 0x0500 + 0x0A00));
        if (!titles.isEmpty())
            fx.env->writeFile("home/CDs/4352.pellum", titles);
        SettingsStore::SaveSetting("dd", detect ? "True" : "False");
        Form3& f = Form3::instance();
        f.Timer1->stop();
        QCOMPARE(f.List1->items(), rows);
        QCOMPARE(f.TrackCount, qint16(3));
        // The folder is made by the player only when it looks for titles.
        QCOMPARE(QFileInfo::exists(fx.env->path("home/CDs")), detect || !titles.isEmpty());
        QCOMPARE(mode(), QString("playing"));
    }

    void noTitlesForSerialZero()
    {
        // The first CD-ROM drive, D:, has no device to ask, so its serial reads 0; the disc plays from E:.
        insert({225, 375, 300});
        Drives::setTableForTests(QList<Drives::Drive>{{'C', Drives::Fixed, fx.env->path("C"), {}},
                                                      {'D', Drives::CdRom, {}, {}},
                                                      {'E', Drives::CdRom, {}, cue}});
        fx.env->writeFile("home/CDs/0.pellum", "Not\r\nThis\r\nDisc\r\n");
        SettingsStore::SaveSetting("dd", "True");
        Form3& f = Form3::instance();
        QCOMPARE(f.List1->items(), (QStringList{" \u25CETune_01", " \u25CETune_02", " \u25CETune_03"}));
    }

    void mainWindowOptionChosen()
    {
        insert({225, 375, 300});
        fx.env->writeFile("home/CDs/4352.pellum", "Opening\r\nMiddle\r\nEnd\r\n");
        Form1& main = Form1::instance();
        main.dd->Click();
        QVERIFY(main.dd->Checked());
        Form3& f = Form3::instance();
        QCOMPARE(f.List1->items(), (QStringList{"Opening", "Middle", "End"}));
    }

    void tickSelectsTheTitleRow_data()
    {
        QTest::addColumn<QByteArray>("titles");
        QTest::addColumn<int>("track");
        QTest::addColumn<int>("selected");
        // Track 2's title is the beginning of track 1's: the upper row is selected.
        QTest::newRow("same beginning") << QByteArray("Song (long)\r\nsong\r\nOther\r\n") << 2 << 0;
        QTest::newRow("own row") << QByteArray("Song (long)\r\nsong\r\nOther\r\n") << 3 << 2;
        // No row for track 3: none is selected and the track plays on.
        QTest::newRow("fewer titles than tracks") << QByteArray("First\r\nSecond\r\n") << 3 << -1;
    }

    void tickSelectsTheTitleRow()
    {
        QFETCH(QByteArray, titles);
        QFETCH(int, track);
        QFETCH(int, selected);
        insert({225, 375, 300});
        fx.env->writeFile("home/CDs/4352.pellum", titles);
        SettingsStore::SaveSetting("dd", "True");
        Form3& f = Form3::instance();
        f.Timer1->stop();
        for (int t = 1; t < track; ++t)
            f.Command7_Click();
        CdLog log;
        f.Timer1_Timer();
        QCOMPARE(f.Label4->text(), QString("%1 / 3").arg(track));
        QCOMPARE(f.List1->ListIndex(), selected);
        for (const QString& c : log.sent)
            QVERIFY2(c.startsWith("status song "), qPrintable(c));
        QCOMPARE(mode(), QString("playing"));
    }

    void startedWithSlashC()
    {
        fx.freshEnv();
        Drives::setTableForTests(QList<Drives::Drive>{{'C', Drives::Fixed, fx.env->root(), {}}});
        Module1::Main("/c");
        QVERIFY(Form3::isLoaded());
        Form3& f = Form3::instance();
        QVERIFY(f.isVisible());
        QVERIFY(!Form1::isLoaded());
        QVERIFY(!loadk::instance().isVisible());
        QVERIFY(loadk::instance().Label4->text() != "Loading program data");
        QCOMPARE(f.Label4->text(), QString("No Audio CD in cdrom"));
        QCOMPARE(f.Label2->text(), QString("Searching..."));
        // Alone, the program ends with it: every window is released.
        f.command8_Click();
        QVERIFY(!Form3::isLoaded());
        QVERIFY(!loadk::isLoaded());
        // The end asked the application to leave its event loop, which no loop has run here: a run of it
        // takes the request, so that the windows of later tests can wait in loops of their own.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
    }

    void mainWindowDoors()
    {
        insert({225});
        Form1& main = Form1::instance();
        int shows = 0;
        main.cp->Click();
        QVERIFY(Form3::isLoaded());
        Form3& f = Form3::instance();
        QVERIFY(f.isVisible());
        struct ShowCounter : QObject {
            int* n;
            explicit ShowCounter(int* c) : n(c) {}
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::Show)
                    ++*n;
                return false;
            }
        } counter(&shows);
        f.installEventFilter(&counter);
        // Open already: neither the menu nor the skin button shows it a second time.
        main.cp->Click();
        main.Image5[2]->clicked();
        QCOMPARE(shows, 0);
        f.hide();
        main.Image5[2]->clicked();
        QCOMPARE(shows, 1);
        QVERIFY(f.isVisible());
        f.removeEventFilter(&counter);
        // The title-list editor opens modally, from the menu and from its skin button.
        for (const auto& open : {std::function<void()>([&] { main.dab->Click(); }),
                                 std::function<void()>([&] { main.Image11->clicked(); })}) {
            bool wasModal = false;
            QTimer::singleShot(0, [&] {
                wasModal = Dabs::isLoaded() && Dabs::instance().isVisible() && Dabs::instance().isModal();
                Dabs::instance().Command4_Click();
            });
            open();
            QVERIFY(wasModal);
            QVERIFY(!Dabs::isLoaded());
        }
    }
};

QTEST_MAIN(CdPlayerTest)
#include "test_cdplayer.moc"
