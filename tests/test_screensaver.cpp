// The screen saver and its settings on real picture folders: the main window's Start (from the menu and
// the skin button) with the stored settings and their defaults, the interval that is no number of
// seconds, the picture tick (one picture, files that are no pictures, Random reaching the two effects
// the settings window does not list, no effect at all, no tick during a transition), the end by keys
// and clicks, the password prompt, closing during a transition, the end of the program during one, the
// desktop's own screen saver held off meanwhile (a stand-in for the desktop's service on a session bus
// of this suite's own), and the settings window: its defaults and stored values, Random, Change...,
// View, Apply and Cancel, the drives and a folder that is gone.
#include "platform/desktop/screen.h"
#include "platform/drives/drives.h"
#include "tests/player_fixture.h"
#include "ui/dirlistbox.h"
#include "ui/drivelistbox.h"
#include "ui/filelistbox.h"
#include "ui/picturebox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The desktop's screen-saver service, as this suite's own session bus offers it.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QStringList calls;
public slots:
    uint Inhibit(const QString& app, const QString& reason)
    {
        calls << QStringLiteral("Inhibit ") + app;
        (void)reason;
        return 77;
    }
    void UnInhibit(uint cookie) { calls << QStringLiteral("UnInhibit ") + QString::number(cookie); }
};

FakeScreenSaver* desktopSaver = nullptr;

QImage stripes(QSize size, QRgb a, QRgb b)
{
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            img.setPixel(x, y, (x / 3 + y / 2) % 2 ? a : b);
    return img;
}

}  // namespace

class ScreenSaverTest : public QObject {
    Q_OBJECT
    PlayerFixture fx;
    QString c;  // the folder of drive C:

    // Fresh surroundings whose drive C: is a folder of the test, and D: a drive with no disc.
    void fresh()
    {
        fx.freshEnv();
        c = fx.env->path("C");
        QDir().mkpath(c);
        Drives::setTableForTests(QList<Drives::Drive>{{'C', Drives::Fixed, c, {}}, {'D', Drives::CdRom, {}, "/dev/sr9"}});
        SHE::setStepWatcherForTests({});
        if (desktopSaver)
            desktopSaver->calls.clear();
    }
    QString picture(const QString& name, const QImage& img)
    {
        const QString path = fx.env->path(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!img.save(path))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    // The saver on `folder`, loaded and shown (not modally), with the tick left to the test.
    SCR1& saverOn(const QString& folder, int effect = 0)
    {
        SCR1& s = SCR1::instance();
        s.File1->setPath(folder);
        s.setInterval(0);
        s.EffectIndex = qint16(effect);
        s.show();
        return s;
    }
    // What the saver shows where its picture is.
    static QImage seen(SCR1& s)
    {
        const QSize size = s.Picture1->size();
        if (size.isEmpty())
            return QImage();
        return s.grab(QRect(QPoint(0, 0), size)).toImage().convertToFormat(QImage::Format_RGB32);
    }
    // Runs `during` once the modal window that `open` shows is up.
private slots:
    void cleanup()
    {
        SHE::setStepWatcherForTests({});
        releaseWindows();
        Drives::setTableForTests(std::nullopt);
    }

    // --- Start from the main window ---

    void startWithNoSettings_data()
    {
        QTest::addColumn<bool>("skinButton");
        QTest::newRow("menu") << false;
        QTest::newRow("skin button") << true;
    }
    // The folder "c:\" (drive C:), 2000 ms and effect 0; the first picture comes at the first tick.
    void startWithNoSettings()
    {
        QFETCH(bool, skinButton);
        fresh();
        Form1& f = Form1::instance();
        const QImage img = stripes({40, 30}, qRgb(10, 200, 30), qRgb(250, 250, 0));
        picture("C/only.png", img);
        QString path;
        int interval = 0, effect = -9;
        bool fullScreen = false, noPointer = false, blackFirst = false, shownAtTick = false;
        qint64 shownAfterMs = 0;
        QStringList whileRunning;
        whileModal(
            [&] { skinButton ? f.Image10->clicked() : f.scrs->trigger(); },
            [&] {
                SCR1& s = SCR1::instance();
                QElapsedTimer clock;
                clock.start();
                path = s.File1->Path();
                interval = s.Timer1->interval();
                effect = s.EffectIndex;
                fullScreen = s.isVisible() && s.isFullScreen() && (s.windowFlags() & Qt::FramelessWindowHint);
                noPointer = s.cursor().shape() == Qt::BlankCursor;
                blackFirst = s.Picture1->size().isEmpty();
                shownAtTick = waitFor([&] { return seen(s) == img; }, 5000);
                shownAfterMs = clock.elapsed();
                if (desktopSaver)
                    whileRunning = desktopSaver->calls;
                QTest::keyClick(&s, Qt::Key_Q);
            });
        QVERIFY(!SCR1::isLoaded() || !SCR1::instance().isVisible());
        QCOMPARE(path, Drives::find("C:")->root);
        QCOMPARE(interval, 2000);
        QCOMPARE(effect, 0);
        QVERIFY(fullScreen);
        QVERIFY(noPointer);
        QVERIFY(blackFirst);
        QVERIFY(shownAtTick);
        QVERIFY2(shownAfterMs >= 1500, qPrintable(QString::number(shownAfterMs)));
        if (!desktopSaver)
            QSKIP("no session bus of our own: the desktop saver was not looked at");
        QCOMPARE(whileRunning, QStringList{"Inhibit PellumPlayer"});
        QCOMPARE(desktopSaver->calls, (QStringList{"Inhibit PellumPlayer", "UnInhibit 77"}));
    }

    void startWithStoredSettings()
    {
        fresh();
        Form1& f = Form1::instance();
        picture("C/Pics/Holiday/a.png", stripes({20, 20}, qRgb(1, 2, 3), qRgb(4, 5, 6)));
        SettingsStore::SaveSetting("scrd", "C:\\Pics\\Holiday");
        SettingsStore::SaveSetting("scri", "7");
        SettingsStore::SaveSetting("effect", "30");
        QString path;
        int interval = 0, effect = 0;
        whileModal([&] { f.scrs->trigger(); },
                   [&] {
                       SCR1& s = SCR1::instance();
                       path = s.File1->Path();
                       interval = s.Timer1->interval();
                       effect = s.EffectIndex;
                       s.EndScreenSaver();
                   });
        QCOMPARE(path, c + "/Pics/Holiday");
        QCOMPARE(interval, 7000);
        QCOMPARE(effect, 30);
    }

    void intervalThatIsNoNumber_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("ms");  // 0: refused
        QTest::newRow("letters") << "abc" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("with a unit") << "2 s" << 0;
        QTest::newRow("negative") << "-3" << 0;
        QTest::newRow("more than an hour") << "3601" << 0;
        QTest::newRow("a half") << "2.5" << 2500;
        QTest::newRow("an hour") << "3600" << 3600000;
        QTest::newRow("one") << "1" << 1000;
    }
    // An interval that is no number of seconds gets a clear message instead of a saver that never
    // shows a picture.
    void intervalThatIsNoNumber()
    {
        QFETCH(QString, stored);
        QFETCH(int, ms);
        fresh();
        Form1& f = Form1::instance();
        SettingsStore::SaveSetting("scri", stored);
        int interval = 0;
        bool ran = false;
        if (ms == 0)
            Dialogs::answer(Dialogs::OK);
        whileModal([&] { f.scrs->trigger(); },
                   [&] {
                       ran = SCR1::instance().isVisible();
                       interval = SCR1::instance().Timer1->interval();
                       SCR1::instance().EndScreenSaver();
                   });
        if (ms == 0) {
            QVERIFY(!ran);
            QVERIFY(!SCR1::isLoaded());
            QCOMPARE(Dialogs::shown().size(), 1);
            QCOMPARE(Dialogs::shown().first().kind, QStringLiteral("msgbox"));
            QCOMPARE(Dialogs::shown().first().text,
                     QStringLiteral("The interval must be a number of seconds from 1 to 3600."));
        } else {
            QVERIFY(ran);
            QCOMPARE(interval, ms);
            QVERIFY(Dialogs::shown().isEmpty());
        }
    }

    // The saver's load handles pending events once; one that ends it there leaves Start with nothing
    // to show.
    void endedWhileItLoads()
    {
        fresh();
        Form1& f = Form1::instance();
        bool ended = false;
        QTimer::singleShot(0, [&] {
            if (SCR1::isLoaded()) {
                SCR1::instance().EndScreenSaver();
                ended = true;
            }
        });
        bool shown = false;
        whileModal([&] { f.scrs->trigger(); },
                   [&] {
                       shown = true;
                       SCR1::instance().EndScreenSaver();
                   });
        QVERIFY(ended);
        QVERIFY(!shown);
        QVERIFY(!SCR1::isLoaded());
    }

    // --- the tick ---

    // A folder of one picture shows it again at every tick, through a transition over itself.
    void onePictureFolder()
    {
        fresh();
        const QImage img = stripes({30, 24}, qRgb(200, 0, 0), qRgb(0, 0, 200));
        picture("one/p.png", img);
        SCR1& s = saverOn(fx.env->path("one"), 2);
        s.Timer1_Timer();
        QCOMPARE(seen(s), img);
        QImage atStart;
        qint64 steps = 0;
        SHE::setStepWatcherForTests([&](qint64 step) {
            if (step == 0)
                atStart = s.Picture1->Image().copy();
            steps = step + 1;
        });
        s.Timer1_Timer();
        QCOMPARE(atStart, img);  // the previous picture stands behind the transition
        QVERIFY(steps > 30);
        QCOMPARE(seen(s), img);
    }

    // A new picture comes in over the one before, which serves as the transition's background.
    void previousPictureIsTheBackground()
    {
        fresh();
        const QImage first = stripes({30, 24}, qRgb(200, 0, 0), qRgb(0, 0, 200));
        const QImage second = stripes({20, 30}, qRgb(0, 200, 0), qRgb(9, 9, 9));
        picture("two/a.png", first);
        SCR1& s = saverOn(fx.env->path("two"), 3);
        s.Timer1_Timer();
        QCOMPARE(seen(s), first);
        QFile::remove(fx.env->path("two/a.png"));
        picture("two/b.png", second);
        s.File1->Refresh();
        QImage atStart;
        SHE::setStepWatcherForTests([&](qint64 step) {
            if (step == 0)
                atStart = s.Picture1->Image().copy();
        });
        s.Timer1_Timer();
        // Sized to the new picture, showing what of the old one fits, black where it does not reach.
        QImage expected(20, 30, QImage::Format_RGB32);
        expected.fill(Qt::black);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 20; ++x)
                expected.setPixel(x, y, first.pixel(x, y));
        QCOMPARE(atStart, expected);
        QCOMPARE(seen(s), second);
    }

    void filesThatAreNoPictures_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::newRow("empty folder") << QStringList();
        QTest::newRow("a text file") << QStringList{"notes.txt"};
        QTest::newRow("garbage named as a picture") << QStringList{"broken.jpg"};
        QTest::newRow("a picture and garbage") << QStringList{"good.png", "broken.jpg"};
        // A hidden file is none of the folder's pictures, though it is one.
        QTest::newRow("a hidden picture") << QStringList{".hidden.png"};
        QTest::newRow("a picture and a hidden one") << QStringList{"good.png", ".hidden.png"};
    }
    // A file that is no picture ends its tick quietly, with no change on screen; a hidden picture is
    // never drawn.
    void filesThatAreNoPictures()
    {
        QFETCH(QStringList, files);
        fresh();
        const QString folder = fx.env->path("mixed");
        QDir().mkpath(folder);
        const QImage good = stripes({16, 12}, qRgb(1, 100, 1), qRgb(100, 1, 1));
        for (const QString& name : files)
            name == "good.png"      ? (void)picture("mixed/good.png", good)
            : name.startsWith('.') ? (void)picture("mixed/" + name, stripes({16, 12}, qRgb(200, 200, 0), qRgb(0, 0, 90)))
                                   : (void)fx.env->writeFile("mixed/" + name, "this is no picture\n");
        SCR1& s = saverOn(folder, 5);
        QSet<QString> shown;
        for (int i = 0; i < 40; ++i) {
            s.Timer1_Timer();
            const QImage now = seen(s);
            shown.insert(now.isNull() ? QStringLiteral("nothing") : now == good ? QStringLiteral("good")
                                                                                 : QStringLiteral("other"));
            if (now == good)
                break;
        }
        for (int i = 0; i < 15; ++i)  // once shown, it stays through the ticks that fail
            s.Timer1_Timer();
        QVERIFY(s.isVisible());
        if (files.contains("good.png")) {
            QCOMPARE(seen(s), good);
            QVERIFY(!shown.contains("other"));
        } else {
            QCOMPARE(shown, QSet<QString>{"nothing"});
        }
    }

    // A picture with transparent parts shows them over black.
    void transparentPartsOverBlack()
    {
        fresh();
        QImage img(12, 8, QImage::Format_ARGB32);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 12; ++x)
                img.setPixel(x, y, x < 4 ? qRgba(250, 10, 10, 255) : x < 8 ? qRgba(200, 100, 51, 128) : qRgba(9, 9, 9, 0));
        picture("alpha/p.png", img);
        QImage expected(12, 8, QImage::Format_RGB32);
        expected.fill(Qt::black);
        QPainter(&expected).drawImage(0, 0, img);
        SCR1& s = saverOn(fx.env->path("alpha"), -1);
        s.Timer1_Timer();
        s.Timer1_Timer();
        QCOMPARE(seen(s), expected);
        QCOMPARE(QColor(seen(s).pixel(10, 3)), QColor(Qt::black));
        QCOMPARE(qRed(seen(s).pixel(5, 3)), 100);
    }

    // Random draws every one of the 31 effects, the two the settings window does not list too.
    void randomReaches29And30()
    {
        fresh();
        SettingsStore::SaveSetting("scrr", "1");
        picture("r/p.png", stripes({20, 20}, qRgb(1, 1, 1), qRgb(2, 2, 2)));
        SCR1& s = saverOn(fx.env->path("r"), 0);
        QSet<int> drawn;
        for (int i = 0; i < 600 && drawn.size() < 31; ++i) {
            s.Timer1_Timer();
            drawn.insert(s.EffectIndex);
        }
        QVERIFY(drawn.contains(29));
        QVERIFY(drawn.contains(30));
        QCOMPARE(drawn.size(), 31);
        for (const int e : drawn)
            QVERIFY(e >= 0 && e <= 30);
    }

    // An effect index outside the table: each tick only shows the picture of the tick before.
    void noEffect()
    {
        fresh();
        const QImage img = stripes({20, 14}, qRgb(90, 90, 0), qRgb(0, 90, 90));
        picture("n/p.png", img);
        SCR1& s = saverOn(fx.env->path("n"), -1);
        qint64 steps = 0;
        SHE::setStepWatcherForTests([&](qint64) { ++steps; });
        s.Timer1_Timer();
        QImage black(20, 14, QImage::Format_RGB32);
        black.fill(Qt::black);
        QCOMPARE(seen(s), black);
        s.Timer1_Timer();
        QCOMPARE(seen(s), img);
        QCOMPARE(steps, 0);
    }

    // A tick that comes while the last tick's transition runs does nothing.
    void noTickDuringATransition()
    {
        fresh();
        const QImage img = stripes({60, 40}, qRgb(10, 20, 30), qRgb(30, 20, 10));
        picture("t/p.png", img);
        SCR1& s = saverOn(fx.env->path("t"), 2);
        int transitions = 0;
        QImage nextDuring;
        SHE::setStepWatcherForTests([&](qint64 step) {
            if (step == 0)
                ++transitions;
            if (step == 5 && nextDuring.isNull()) {
                s.Timer1_Timer();
                nextDuring = s.Picture3->Picture();
            }
        });
        s.Timer1_Timer();
        QCOMPARE(transitions, 1);
        QCOMPARE(nextDuring, img);
        QCOMPARE(seen(s), img);
    }

    // --- the end ---

    void endKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("ends");
        QTest::newRow("letter") << int(Qt::Key_A) << true;
        QTest::newRow("digit") << int(Qt::Key_7) << true;
        QTest::newRow("Enter") << int(Qt::Key_Return) << true;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << true;
        QTest::newRow("space") << int(Qt::Key_Space) << true;
        QTest::newRow("arrow") << int(Qt::Key_Left) << false;
        QTest::newRow("function key") << int(Qt::Key_F1) << false;
        QTest::newRow("Shift alone") << int(Qt::Key_Shift) << false;
    }
    void endKeys()
    {
        QFETCH(int, key);
        QFETCH(bool, ends);
        fresh();
        SCR1& s = saverOn(fx.env->path("C"));
        QTest::keyClick(&s, Qt::Key(key));
        QCOMPARE(!SCR1::isLoaded(), ends);
    }

    void endClicks_data()
    {
        QTest::addColumn<bool>("onPicture");
        QTest::addColumn<int>("button");
        QTest::newRow("left on the picture") << true << int(Qt::LeftButton);
        QTest::newRow("right on the picture") << true << int(Qt::RightButton);
        QTest::newRow("left beside it") << false << int(Qt::LeftButton);
        QTest::newRow("right beside it") << false << int(Qt::RightButton);
        QTest::newRow("middle beside it") << false << int(Qt::MiddleButton);
    }
    // A press on the picture does not end the saver; one on the black area beside it does.
    void endClicks()
    {
        QFETCH(bool, onPicture);
        QFETCH(int, button);
        fresh();
        picture("k/p.png", stripes({50, 40}, qRgb(1, 1, 1), qRgb(200, 200, 200)));
        SCR1& s = saverOn(fx.env->path("k"));
        s.Timer1_Timer();
        QCOMPARE(s.Picture1->size(), QSize(50, 40));
        const QPoint at = onPicture ? QPoint(25, 20) : QPoint(70, 20);
        QWidget* target = s.childAt(at) ? s.childAt(at) : &s;
        QTest::mouseClick(target, Qt::MouseButton(button), {}, target->mapFrom(&s, at));
        QCOMPARE(SCR1::isLoaded(), onPicture);
    }

    void passwords_data()
    {
        QTest::addColumn<bool>("protect");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("answer");  // a null text: no prompt is expected
        QTest::addColumn<bool>("ends");
        QTest::addColumn<bool>("wrong");  // the wrong-password message
        QTest::newRow("not protected") << false << "Secret" << QString() << true << false;
        QTest::newRow("protected, no password stored") << true << "" << QString() << true << false;
        QTest::newRow("exact") << true << "Secret" << "Secret" << true << false;
        QTest::newRow("other case") << true << "Secret" << "secret" << false << true;
        QTest::newRow("empty answer") << true << "Secret" << "" << false << false;
        QTest::newRow("master code") << true << "Secret" << "40517" << true << false;
        QTest::newRow("master code as a real") << true << "Secret" << "40517.0" << true << false;
        QTest::newRow("not a number") << true << "Secret" << "4O517" << false << true;
        QTest::newRow("master code and more") << true << "Secret" << "40517x" << false << true;
        QTest::newRow("a stored number") << true << "1234" << "1234" << true << false;
        QTest::newRow("with a blank") << true << "Secret" << "Secret " << false << true;
    }
    void passwords()
    {
        QFETCH(bool, protect);
        QFETCH(QString, stored);
        QFETCH(QString, answer);
        QFETCH(bool, ends);
        QFETCH(bool, wrong);
        fresh();
        SettingsStore::SaveSetting("psp", protect ? "1" : "0");
        SettingsStore::SaveSetting("psw", stored);
        SCR1& s = saverOn(fx.env->path("C"));
        if (!answer.isNull())
            Dialogs::answer(answer);
        if (wrong)
            Dialogs::answer(Dialogs::OK);
        QTest::keyClick(&s, Qt::Key_Z);
        QCOMPARE(!SCR1::isLoaded(), ends);
        const QList<Dialogs::Shown> shown = Dialogs::shown();
        QCOMPARE(shown.size(), int(!answer.isNull()) + int(wrong));
        if (!answer.isNull()) {
            QCOMPARE(shown[0].kind, QStringLiteral("password"));
            QCOMPARE(shown[0].text, QStringLiteral("Please enter the password"));
            QCOMPARE(shown[0].title, QStringLiteral("PellumPlayer"));
        }
        if (wrong) {
            QCOMPARE(shown[1].kind, QStringLiteral("msgbox"));
            QCOMPARE(shown[1].text, QStringLiteral("Password is incorrect!"));
        }
        // The settings window that the saver loaded to read the protection stays hidden.
        QVERIFY(SCRSET::isLoaded());
        QVERIFY(!SCRSET::instance().isVisible());
    }

    // --- the settings window ---

    void settingsLoad_data()
    {
        QTest::addColumn<QStringList>("stored");  // key, value, key, value...
        QTest::addColumn<QString>("folder");      // below the test's C: folder
        QTest::addColumn<QString>("interval");
        QTest::addColumn<int>("effect");
        QTest::addColumn<QString>("effectText");
        QTest::addColumn<bool>("random");
        QTest::addColumn<bool>("protect");
        QTest::newRow("nothing stored") << QStringList() << "/" << "2" << 0 << "Rain1" << false << false;
        QTest::newRow("all stored") << QStringList{"scrd", "C:\\Pics", "scri", "7", "effect", "12", "scrr", "1", "psp", "1"}
                                    << "/Pics" << "7" << 12 << "Show-out1" << true << true;
        QTest::newRow("a typed interval") << QStringList{"scri", "2.5", "effect", "28"} << "/" << "2.5" << 28 << "Wave4"
                                          << false << false;
        QTest::newRow("flags other than 1") << QStringList{"scrr", "2", "psp", "True"} << "/" << "2" << 0 << "Rain1"
                                            << false << false;
        QTest::newRow("no effect") << QStringList{"effect", "-1"} << "/" << "2" << -1 << "" << false << false;
        QTest::newRow("an effect beyond the list") << QStringList{"effect", "29"} << "/" << "2" << -1 << "" << false << false;
        QTest::newRow("a folder of this system") << QStringList{"scrd", "@/Pics"} << "/Pics" << "2" << 0 << "Rain1"
                                                 << false << false;
        QTest::newRow("a folder that is gone") << QStringList{"scrd", "C:\\Pics\\Gone\\Deeper"} << "/Pics" << "2" << 0
                                               << "Rain1" << false << false;
        QTest::newRow("a drive that is gone") << QStringList{"scrd", "q:\\Pics"} << "/" << "2" << 0 << "Rain1" << false
                                              << false;
    }
    void settingsLoad()
    {
        QFETCH(QStringList, stored);
        QFETCH(QString, folder);
        QFETCH(QString, interval);
        QFETCH(int, effect);
        QFETCH(QString, effectText);
        QFETCH(bool, random);
        QFETCH(bool, protect);
        fresh();
        QDir().mkpath(c + "/Pics");
        for (int i = 0; i + 1 < stored.size(); i += 2)
            SettingsStore::SaveSetting(stored[i], QString(stored[i + 1]).replace("@", c));
        SCRSET& w = SCRSET::instance();
        w.show();
        const QString expected = folder == "/" ? Drives::find("C:")->root : c + folder;
        QCOMPARE(w.Dir1->Path(), expected);
        QCOMPARE(w.Label2->text(), QDir::toNativeSeparators(expected));
        QCOMPARE(w.Combo1->currentText(), interval);
        QCOMPARE(w.Combo2ListIndex(), effect);
        QCOMPARE(w.Combo2->currentText(), effectText);
        QCOMPARE(w.option1->isChecked(), random);
        QCOMPARE(w.Combo2->isVisible(), !random);
        QVERIFY(w.Label4->isVisible());
        QCOMPARE(w.Check1->isChecked(), protect);
    }

    void settingsTexts()
    {
        fresh();
        SCRSET& w = SCRSET::instance();
        QCOMPARE(w.windowTitle(), QStringLiteral("PellumPlayer Screen Saver Setup"));
        const QList<QPair<QString, QString>> texts{
            {w.Label7->text(), "Screen Saver"}, {w.Label1->text(), "Photo directory"}, {w.Label3->text(), "Change interval"},
            {w.Label5->text(), "second"},       {w.Label4->text(), "Effect"},          {w.option1->text(), "Random"},
            {w.Check1->text(), "Password protect"}, {w.Command4->text(), "Change..."}, {w.Command2->text(), "View"},
            {w.Command1->text(), "Apply"},      {w.Command3->text(), "Cancel"}};
        for (const auto& [got, want] : texts)
            QCOMPARE(got, want);
        QStringList intervals, effects;
        for (int i = 0; i < w.Combo1->count(); ++i)
            intervals << w.Combo1->itemText(i);
        for (int i = 0; i < w.Combo2->count(); ++i)
            effects << w.Combo2->itemText(i);
        QCOMPARE(intervals, (QStringList{"2", "3", "4", "5", "6", "7", "8", "9", "10"}));
        QCOMPARE(effects.size(), 29);
        QCOMPARE(effects.first(), QStringLiteral("Rain1"));
        QCOMPARE(effects[9], QStringLiteral("Random2"));
        QCOMPARE(effects.last(), QStringLiteral("Wave4"));
    }

    void randomHidesTheEffectList()
    {
        fresh();
        SCRSET& w = SCRSET::instance();
        w.show();
        QVERIFY(w.Combo2->isVisible());
        w.option1->click();
        QVERIFY(!w.Combo2->isVisible());
        QVERIFY(w.Label4->isVisible());
        w.option1->click();
        QVERIFY(w.Combo2->isVisible());
    }

    void changePassword_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("stored");
        QTest::newRow("empty answer keeps the password") << "" << "old one";
        QTest::newRow("a new one, as typed") << " New Pass " << " New Pass ";
    }
    // A new password is stored at once, even when the window is then cancelled.
    void changePassword()
    {
        QFETCH(QString, answer);
        QFETCH(QString, stored);
        fresh();
        SettingsStore::SaveSetting("psw", "old one");
        SCRSET& w = SCRSET::instance();
        Dialogs::answer(answer);
        w.Command4->click();
        QCOMPARE(Dialogs::shown().size(), 1);
        QCOMPARE(Dialogs::shown().first().kind, QStringLiteral("password"));
        QCOMPARE(Dialogs::shown().first().text, QStringLiteral("Please enter a new password."));
        QCOMPARE(Dialogs::shown().first().title, QStringLiteral("PellumPlayer"));
        w.Command3->click();
        QVERIFY(!SCRSET::isLoaded() || !SCRSET::instance().isVisible());
        QCOMPARE(SettingsStore::GetSetting("psw"), stored);
    }

    // View shows the saver with the window's choices as they stand, Random and the protection read from
    // the boxes; nothing is stored, and the window is there again as it was.
    void viewWithTheCurrentChoices()
    {
        fresh();
        picture("C/Pics/p.png", stripes({20, 20}, qRgb(5, 5, 5), qRgb(50, 50, 50)));
        SettingsStore::SaveSetting("psw", "pw");
        SCRSET& w = SCRSET::instance();
        w.show();
        w.Dir1->setPath(c + "/Pics");
        w.Combo1->setEditText("3");
        w.Combo2->setCurrentIndex(5);
        w.option1->setChecked(true);
        w.Check1->setChecked(true);
        QString path;
        int interval = 0, effect = -9;
        QSet<int> drawn;
        bool asked = false, modalOverSettings = false;
        whileModal([&] { w.Command2->click(); },
                   [&] {
                       SCR1& s = SCR1::instance();
                       modalOverSettings = QApplication::activeModalWidget() == &s && w.isVisible();
                       path = s.File1->Path();
                       interval = s.Timer1->interval();
                       effect = s.EffectIndex;
                       for (int i = 0; i < 40; ++i) {
                           s.Timer1_Timer();
                           drawn.insert(s.EffectIndex);
                       }
                       Dialogs::answer("pw");
                       QTest::keyClick(&s, Qt::Key_Return);
                       asked = !Dialogs::shown().isEmpty() && Dialogs::shown().last().kind == "password";
                   });
        QVERIFY(modalOverSettings);
        QCOMPARE(path, c + "/Pics");
        QCOMPARE(interval, 3000);
        QCOMPARE(effect, 5);
        QVERIFY2(drawn.size() > 5, "Random as the box stands");
        QVERIFY(asked);
        QVERIFY(!SCR1::isLoaded());
        QVERIFY(w.isVisible());
        QCOMPARE(w.Dir1->Path(), c + "/Pics");
        QCOMPARE(w.Combo1->currentText(), QStringLiteral("3"));
        QCOMPARE(w.Combo2ListIndex(), 5);
        QVERIFY(w.option1->isChecked());
        for (const char* key : {"scrd", "scri", "effect", "scrr", "psp"})
            QCOMPARE(SettingsStore::GetSetting(key, "(none)"), QStringLiteral("(none)"));
    }

    void viewOrApplyRefuseAnIntervalThatIsNoNumber_data()
    {
        QTest::addColumn<bool>("apply");
        QTest::newRow("View") << false;
        QTest::newRow("Apply") << true;
    }
    void viewOrApplyRefuseAnIntervalThatIsNoNumber()
    {
        QFETCH(bool, apply);
        fresh();
        SCRSET& w = SCRSET::instance();
        w.show();
        w.Combo1->setEditText("five");
        Dialogs::answer(Dialogs::OK);
        bool saverShown = false;
        whileModal([&] { (apply ? w.Command1 : w.Command2)->click(); },
                   [&] {
                       saverShown = true;
                       SCR1::instance().EndScreenSaver();
                   });
        QVERIFY(!saverShown);
        QVERIFY(!SCR1::isLoaded());
        QCOMPARE(Dialogs::shown().size(), 1);
        QCOMPARE(Dialogs::shown().first().text, QStringLiteral("The interval must be a number of seconds from 1 to 3600."));
        QVERIFY(SCRSET::isLoaded() && w.isVisible());
        QCOMPARE(SettingsStore::GetSetting("scri", "(none)"), QStringLiteral("(none)"));
    }

    void applyAndCancel_data()
    {
        QTest::addColumn<bool>("apply");
        QTest::addColumn<QString>("typedEffect");  // empty: the list's entry 11
        QTest::addColumn<QString>("storedEffect");
        QTest::newRow("Apply") << true << "" << "11";
        QTest::newRow("Apply, an effect typed that is no name") << true << "Rain9" << "-1";
        QTest::newRow("Apply, a name typed") << true << "Wave2" << "26";
        QTest::newRow("Cancel") << false << "" << "";
    }
    void applyAndCancel()
    {
        QFETCH(bool, apply);
        QFETCH(QString, typedEffect);
        QFETCH(QString, storedEffect);
        fresh();
        QDir().mkpath(c + "/Pics");
        SCRSET& w = SCRSET::instance();
        w.show();
        w.Dir1->setPath(c + "/Pics");
        w.Combo1->setEditText("9");
        w.Combo2->setCurrentIndex(11);
        if (!typedEffect.isEmpty())
            w.Combo2->setEditText(typedEffect);
        w.option1->setChecked(true);
        w.Check1->setChecked(true);
        (apply ? w.Command1 : w.Command3)->click();
        QVERIFY(!SCRSET::isLoaded() || !SCRSET::instance().isVisible());
        const QStringList want = apply ? QStringList{c + "/Pics", "9", storedEffect, "1", "1"} : QStringList{"", "", "", "", ""};
        QStringList got;
        for (const char* key : {"scrd", "scri", "effect", "scrr", "psp"})
            got << SettingsStore::GetSetting(key);
        QCOMPARE(got, want);
        QVERIFY(Dialogs::shown().isEmpty());
    }

    void typedTextIsStoredAsTyped_data()
    {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<QString>("effect");
        QTest::addColumn<QString>("storedEffect");
        QTest::newRow("the start of a longer entry") << "1" << "Ra" << "-1";
        QTest::newRow("a name less its number") << "3" << "Rain" << "-1";
        QTest::newRow("another case") << "2.5" << "scrool3" << "-1";
        QTest::newRow("a whole name") << "10" << "Scrool3" << "19";
    }
    // Keys typed into the interval and effect boxes give the text typed, in the box and in the settings
    // file, never an entry of the list that begins the same way.
    void typedTextIsStoredAsTyped()
    {
        QFETCH(QString, interval);
        QFETCH(QString, effect);
        QFETCH(QString, storedEffect);
        fresh();
        SCRSET& w = SCRSET::instance();
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        for (const auto& [box, typed] : {std::pair{w.Combo1, interval}, std::pair{w.Combo2, effect}}) {
            QLineEdit* edit = box->lineEdit();
            QTest::mouseClick(edit, Qt::LeftButton);  // the box takes the keys, as when the user clicks it
            QVERIFY(edit->hasFocus());
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(edit, typed);
            QCOMPARE(box->currentText(), typed);
            QCOMPARE(edit->displayText(), typed);
        }
        w.Command1->click();
        QStringList stored;
        for (const QByteArray& line : fx.env->readFile(fx.env->settingsFile()).split('\n'))
            if (line.startsWith("scri=") || line.startsWith("effect="))
                stored << QString::fromUtf8(line.trimmed());
        stored.sort();
        QCOMPARE(stored, (QStringList{"effect=" + storedEffect, "scri=" + interval}));
    }

    // An effect stored as -1 starts a saver that runs no transition.
    void startWithNoEffectStored()
    {
        fresh();
        SettingsStore::SaveSetting("effect", "-1");
        int effect = 0;
        whileModal([&] { Form1::instance().scrs->trigger(); },
                   [&] {
                       effect = SCR1::instance().EffectIndex;
                       SCR1::instance().EndScreenSaver();
                   });
        QCOMPARE(effect, -1);
    }

    // Choosing a drive opens its root folder; a drive with no disc leaves the folder and shows its drive.
    void drives()
    {
        fresh();
        const QString e = fx.env->path("E");
        QDir().mkpath(e + "/Photos");
        Drives::setTableForTests(QList<Drives::Drive>{
            {'C', Drives::Fixed, c, {}}, {'D', Drives::CdRom, {}, "/dev/sr9"}, {'E', Drives::Removable, e, {}}});
        SCRSET& w = SCRSET::instance();
        w.show();
        w.Drive1->Refresh();
        w.Drive1->setDrive("E");
        QCOMPARE(w.Dir1->Path(), e + "/");
        QCOMPARE(w.Label2->text(), QDir::toNativeSeparators(e + "/"));
        w.Dir1->setPath(e + "/Photos");
        w.Drive1->setDrive("D");
        QCOMPARE(w.Dir1->Path(), e + "/Photos");
        QCOMPARE(w.Drive1->Drive(), QStringLiteral("e:"));
    }

    void menuOpensTheSettings()
    {
        fresh();
        Form1& f = Form1::instance();
        bool modal = false;
        whileModal([&] { f.scrsets->trigger(); },
                   [&] {
                       modal = QApplication::activeModalWidget() == &SCRSET::instance();
                       SCRSET::instance().Command3->click();
                   });
        QVERIFY(modal);
        QVERIFY(!SCRSET::isLoaded());
    }

    void closedDuringATransition_data()
    {
        QTest::addColumn<bool>("programEnds");
        QTest::newRow("end request") << false;
        QTest::newRow("the program ends") << true;
    }
    // Closing the window in the middle of a transition stops it at that step; the desktop's screen
    // saver is let go. The end of the program (last here: it ends the event loops) does the same.
    void closedDuringATransition()
    {
        QFETCH(bool, programEnds);
        fresh();
        Form1::instance();
        picture("x/p.png", stripes({200, 150}, qRgb(1, 2, 3), qRgb(3, 2, 1)));
        SCR1& s = saverOn(fx.env->path("x"), 2);
        qint64 last = -1;
        SHE::setStepWatcherForTests([&](qint64 step) {
            last = step;
            if (step != 20)
                return;
            if (programEnds)
                Module1::EndProgram();
            else
                QTest::keyClick(&s, Qt::Key_Escape);
        });
        s.Timer1_Timer();
        QCOMPARE(last, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!SCR1::isLoaded());
        QCOMPARE(Form1::isLoaded(), !programEnds);
        if (desktopSaver)
            QCOMPARE(desktopSaver->calls, (QStringList{"Inhibit PellumPlayer", "UnInhibit 77"}));
    }
};

int main(int argc, char** argv)
{
    // Again on a session bus of its own, so that the desktop's screen saver is never reached.
    if (const std::optional<int> code = onPrivateBus(argc, argv))
        return *code;
    QApplication app(argc, argv);
    FakeScreenSaver saver;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (qEnvironmentVariableIsSet("PELLUM_TEST_PRIVATE_BUS") && bus.isConnected() &&
        bus.registerObject("/org/freedesktop/ScreenSaver", &saver, QDBusConnection::ExportAllSlots) &&
        bus.registerService("org.freedesktop.ScreenSaver"))
        desktopSaver = &saver;
    ScreenSaverTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_screensaver.moc"
