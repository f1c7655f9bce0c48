// The capture command and the capture viewer on real playback: the screen picture, saving it, leaving
// the viewer, and the wallpaper, which a stand-in Plasma shell on a private session bus takes (or, with
// no desktop known, refuses).
#include "platform/desktop/screen.h"
#include "platform/programfolder.h"
#include "tests/player_fixture.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>

#include <clocale>

// The desktop shell as the wallpaper setter reaches it: it keeps every script it is given.
class FakePlasma : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")
public:
    QStringList scripts;
public slots:
    void evaluateScript(const QString& script) { scripts << script; }
};

class CaptureTest : public QObject {
    Q_OBJECT
    PlayerFixture fx;
    FakePlasma plasma;
    bool shell = false;

    const QString kDone = QStringLiteral("Desk wallpaper set completed!");

    Form1& playing(bool pause)
    {
        Form1& f = fx.fresh();
        PlayerFixture::add(f, {writeWav(fx.env->path("clip.wav"), 20.0)});
        f.List2->setListIndex(0);
        // Playing as far as the engine is concerned: its clock runs (until then the state only says
        // what was asked, and a pause asked meanwhile shows once the engine has taken it).
        if (!waitFor([&] { return f.mp->PlayState() == 2 && f.mp->CurrentPosition() > 0; }))
            qWarning("the clip did not start");
        if (pause) {
            f.mp->Pause();
            waitFor([&] { return f.mp->PlayState() == 1; });
        }
        return f;
    }
    QString wallpaper() const { return ProgramFolder::path() + "/Wallpaper.bmp"; }
    static bool isBitmap(const QString& path, const QSize& size)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || file.read(2) != "BM")
            return false;
        const QImage img(path, "BMP");
        return !img.isNull() && img.size() == size;
    }
    static QSize screenSize() { return Screen::captureScreen().size(); }

private slots:
    void initTestCase()
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        shell = qEnvironmentVariableIsSet("PELLUM_TEST_PRIVATE_BUS") && bus.isConnected() &&
                bus.registerObject("/PlasmaShell", &plasma, QDBusConnection::ExportAllSlots) &&
                bus.registerService("org.kde.plasmashell");
    }
    void init()
    {
        plasma.scripts.clear();
        qunsetenv("XDG_CURRENT_DESKTOP");
    }

    void captureOpensTheViewer_data()
    {
        QTest::addColumn<bool>("play");
        QTest::newRow("while playing") << true;
        QTest::newRow("nothing playing") << false;
    }
    void captureOpensTheViewer()
    {
        QFETCH(bool, play);
        Form1& f = play ? playing(false) : fx.fresh();
        f.ca->trigger();
        QVERIFY(waitFor([&] { return f.mp->PlayState() == (play ? 1 : 0); }));  // paused, or left as it was
        QCOMPARE(f.mp->DisplaySize(), 4);
        QVERIFY(Form4::isLoaded());
        Form4& v = Form4::instance();
        QVERIFY(v.isVisible());
        QCOMPARE(v.windowModality(), Qt::ApplicationModal);
        QCOMPARE(v.windowTitle(), QStringLiteral("Capture!!"));
        QVERIFY(!v.pc->pixmap().isNull());
        QCOMPARE(v.pc->pixmap().size(), screenSize());
        QCOMPARE(v.Label1->text(), QStringLiteral("Capture Mode"));
        QCOMPARE(v.Label2->text(), QStringLiteral("Click \"Save\" to save a picture."));
        QCOMPARE(v.Command2->text(), QStringLiteral("Save"));
        QCOMPARE(v.Command1->text(), QStringLiteral("Exit"));
        QCOMPARE(v.Command3->text(), QStringLiteral("Wallpaper"));
        QVERIFY(Dialogs::shown().isEmpty());
        QVERIFY(!QFileInfo::exists(wallpaper()));
    }

    void save()
    {
        Form1& f = fx.fresh();
        f.ca_Click();
        Form4& v = Form4::instance();
        Dialogs::answer(QString());  // cancelled
        v.Command2->click();
        QCOMPARE(Dialogs::shown().size(), 1);
        QCOMPARE(Dialogs::shown()[0].kind, QStringLiteral("save"));
        QCOMPARE(Dialogs::shown()[0].text, QStringLiteral("BMP archive|*.bmp"));
        QCOMPARE(QDir(fx.env->root()).entryList({"*.bmp"}, QDir::Files), QStringList());

        const QString target = fx.env->path("my shot $(x).bmp");
        Dialogs::answer(target);
        v.Command2->click();
        QVERIFY(isBitmap(target, screenSize()));
        // Over an older file: replaced whole.
        fx.env->writeFile("old.bmp", "not a picture");
        Dialogs::answer(fx.env->path("old.bmp"));
        v.Command2_Click();
        QVERIFY(isBitmap(fx.env->path("old.bmp"), screenSize()));
        // A folder that does not exist: nothing written, no message.
        Dialogs::answer(fx.env->path("nowhere/x.bmp"));
        v.Command2_Click();
        QVERIFY(!QFileInfo::exists(fx.env->path("nowhere")));
        for (const Dialogs::Shown& s : Dialogs::shown())
            QCOMPARE(s.kind, QStringLiteral("save"));
    }

    void exitResumes_data()
    {
        QTest::addColumn<bool>("continueOption");
        QTest::addColumn<bool>("loaded");
        QTest::newRow("Captured Then Continue") << true << true;
        QTest::newRow("option off") << false << true;
        QTest::newRow("nothing loaded") << true << false;
    }
    void exitResumes()
    {
        QFETCH(bool, continueOption);
        QFETCH(bool, loaded);
        Form1& f = loaded ? playing(false) : fx.fresh();
        if (continueOption)
            f.ck_Click();
        f.ca_Click();
        Form4::instance().Command1->click();
        QVERIFY(!Form4::isLoaded());
        if (!loaded) {
            QCOMPARE(f.mp->FileName(), QString());
            QCOMPARE(f.mp->PlayState(), 0);
            return;
        }
        QTest::qWait(300);
        QTRY_COMPARE_WITH_TIMEOUT(f.mp->PlayState(), continueOption ? 2 : 1, 3000);
        // The next capture loads the viewer afresh.
        f.ca_Click();
        QVERIFY(Form4::isLoaded());
    }

    void wallpaperButton_data()
    {
        QTest::addColumn<QString>("desktop");
        QTest::newRow("the desktop takes it") << "KDE";
        QTest::newRow("no desktop known") << "";
    }
    void wallpaperButton()
    {
        QFETCH(QString, desktop);
        if (!desktop.isEmpty() && !shell)
            QSKIP("no private session bus for a stand-in desktop shell");
        if (!desktop.isEmpty())
            qputenv("XDG_CURRENT_DESKTOP", desktop.toUtf8());
        Form1& f = fx.fresh();
        f.ca_Click();
        Form4::instance().Command3->click();
        QVERIFY(isBitmap(wallpaper(), screenSize()));
        QCOMPARE(Dialogs::shown().size(), 1);
        QCOMPARE(Dialogs::shown()[0].title, QStringLiteral("PellumPlayer"));
        const QString message = Dialogs::shown()[0].text;
        if (desktop.isEmpty()) {
            // A refusal is not reported as success: the user learns why and where the picture is.
            QVERIFY2(message.contains("could not be set") && message.contains("not shown on X"), qPrintable(message));
            QVERIFY(message.contains(wallpaper()));
            QVERIFY(plasma.scripts.isEmpty());
        } else {
            QCOMPARE(message, kDone);
            QCOMPARE(plasma.scripts.size(), 1);
            QVERIFY(plasma.scripts[0].contains(QUrl::fromLocalFile(wallpaper()).toString(QUrl::FullyEncoded)));
        }
    }

    // A refusal reads in the language chosen, the reason too, with the names put in as they are.
    void refusalInTheLanguageChosen()
    {
        qputenv("XDG_CURRENT_DESKTOP", "Foo%2");
        Form1& f = fx.fresh();
        Module1::LanguagePath() = fx.env->writeFile(
            "home/de.ini", QString("[language]\r\nwallnotset=Kein Hintergrundbild: %1.\r\n"
                                   "wallnotonx=die Arbeitsfläche \"%1\" ist unbekannt und das Programm läuft nicht unter X\r\n"
                                   "wallsavedto=Das Bild liegt in %1.\r\n")
                               .toUtf8());
        f.ca_Click();
        Form4::instance().Command3->click();
        QVERIFY(isBitmap(wallpaper(), screenSize()));
        QCOMPARE(Dialogs::shown().size(), 1);
        QCOMPARE(Dialogs::shown()[0].text,
                 QString("Kein Hintergrundbild: die Arbeitsfläche \"Foo%2\" ist unbekannt und das Programm läuft nicht unter X."
                         "\r\nDas Bild liegt in ") + wallpaper() + ".");
    }

    void captureStraightToTheWallpaper_data()
    {
        QTest::addColumn<bool>("continueOption");
        QTest::addColumn<bool>("paused");
        QTest::addColumn<QString>("desktop");
        QTest::newRow("continue") << true << false << "KDE";
        QTest::newRow("no continue: stays paused") << false << false << "KDE";
        QTest::newRow("continue a paused clip") << true << true << "KDE";
        QTest::newRow("refused, continue") << true << false << "";
    }
    void captureStraightToTheWallpaper()
    {
        QFETCH(bool, continueOption);
        QFETCH(bool, paused);
        QFETCH(QString, desktop);
        if (!desktop.isEmpty() && !shell)
            QSKIP("no private session bus for a stand-in desktop shell");
        if (!desktop.isEmpty())
            qputenv("XDG_CURRENT_DESKTOP", desktop.toUtf8());
        Form1& f = playing(paused);
        f.cts_Click();
        if (continueOption)
            f.ck_Click();
        f.ca->trigger();
        QVERIFY(!Form4::isLoaded() || !Form4::instance().isVisible());
        QCOMPARE(f.mp->DisplaySize(), 4);
        QVERIFY(isBitmap(wallpaper(), screenSize()));
        QCOMPARE(Dialogs::shown().size(), 1);
        QCOMPARE(Dialogs::shown()[0].text == kDone, !desktop.isEmpty());
        QCOMPARE(plasma.scripts.size(), desktop.isEmpty() ? 0 : 1);
        QTest::qWait(300);
        QTRY_COMPARE_WITH_TIMEOUT(f.mp->PlayState(), continueOption ? 2 : 1, 3000);
    }

    void wallpaperFileCannotBeWritten()
    {
        if (shell)
            qputenv("XDG_CURRENT_DESKTOP", "KDE");
        Form1& f = fx.fresh();
        QVERIFY(QDir().mkpath(wallpaper()));  // a folder where the bitmap should go
        f.cts_Click();
        f.ca_Click();
        QCOMPARE(Dialogs::shown().size(), 1);
        const QString message = Dialogs::shown()[0].text;
        QVERIFY2(message.contains("could not be saved") && message.contains(wallpaper()), qPrintable(message));
        QVERIFY(plasma.scripts.isEmpty());  // the desktop was not asked
        QVERIFY(QFileInfo(wallpaper()).isDir());
    }
};

int main(int argc, char** argv)
{
    // Run again on a session bus of its own, which ends with the suite, so that the wallpaper never
    // reaches the user's desktop. Without one, the cases that need the stand-in shell are skipped.
    if (const std::optional<int> code = onPrivateBus(argc, argv))
        return *code;
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    CaptureTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_capture.moc"
