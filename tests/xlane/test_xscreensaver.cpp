// The screen saver on a real display: started by a real click on the main window's skin button, it
// covers the whole screen with no pointer to be seen; real keys that give a character end it and the
// others do not; a real click on its picture does not end it, one beside the picture does.
#include "platform/drives/drives.h"
#include "tests/player_fixture.h"
#include "tests/xlane/xsession.h"

#include "ui/filelistbox.h"
#include "ui/picturebox.h"

#include <QApplication>
#include <QDir>
#include <QScreen>

namespace {

QImage stripes(QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            img.setPixel(x, y, (x / 4 + y / 4) % 2 ? qRgb(240, 200, 10) : qRgb(10, 90, 220));
    return img;
}

// What the screen shows, as the X server has it.
QImage screenShot() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32); }

}  // namespace

class TestXScreenSaver : public QObject {
    Q_OBJECT
    PlayerFixture fx;
    const QImage picture = stripes({160, 120});

    // Fresh surroundings with a picture in drive C:'s folder, where the saver looks with no settings.
    Form1& fresh()
    {
        fx.freshEnv();
        const QString c = fx.env->path("C");
        QDir().mkpath(c);
        if (!picture.save(c + "/p.png"))
            qFatal("cannot write the picture");
        Drives::setTableForTests(QList<Drives::Drive>{{'C', Drives::Fixed, c, {}}});
        return Form1::instance();
    }
    // The saver shown on its own, its first picture in place and its window active.
    SCR1& running()
    {
        fresh();
        SCR1& s = SCR1::instance();
        s.File1->setPath(fx.env->path("C"));
        s.setInterval(0);
        s.show();
        if (!QTest::qWaitForWindowExposed(&s) || !waitFor([&] { return s.isActiveWindow(); }, 4000))
            qWarning("the saver did not come up active");
        s.Timer1_Timer();
        XInput::settle(300);
        return s;
    }

private slots:
    void cleanup()
    {
        releaseWindows();
        Drives::setTableForTests(std::nullopt);
    }

    // A real click on the skin button: the saver fills the screen, black where the picture does not
    // reach, no pointer over it; a real key ends it and the main window is there again.
    void startedByTheSkinButton()
    {
        Form1& f = fresh();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QPoint button = f.Image10->mapToGlobal(f.Image10->rect().center());
        QRect covered;
        bool pictureSeen = false, blackBeside = false, pointerHidden = false;
        QTimer::singleShot(300, [&] {
            SCR1& s = SCR1::instance();
            waitFor([&] { return s.isVisible() && s.isActiveWindow(); }, 4000);
            XInput::settle(300);
            covered = s.frameGeometry();
            pictureSeen = waitFor([&] { return screenShot().copy(0, 0, 160, 120) == picture; }, 5000);
            const QImage shot = screenShot();
            blackBeside = shot.pixel(1200, 900) == qRgb(0, 0, 0) && shot.pixel(300, 60) == qRgb(0, 0, 0);
            XInput::moveTo(QPoint(640, 512));
            XInput::moveTo(QPoint(80, 60));
            pointerHidden = XSession::pointerInvisible();
            XInput::key(QStringLiteral("a"));
        });
        XInput::moveTo(button);
        XInput::click();
        QVERIFY(waitFor([] { return !SCR1::isLoaded(); }, 8000));
        QCOMPARE(covered, QGuiApplication::primaryScreen()->geometry());
        QVERIFY(pictureSeen);
        QVERIFY(blackBeside);
        QVERIFY(pointerHidden);
        XInput::moveTo(f.mapToGlobal(f.rect().center()));
        QVERIFY(!XSession::pointerInvisible());
        QVERIFY(f.isVisible());
    }

    void keys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("ends");
        QTest::newRow("letter") << "x" << true;
        QTest::newRow("digit") << "5" << true;
        QTest::newRow("Enter") << "Return" << true;
        QTest::newRow("Esc") << "Escape" << true;
        QTest::newRow("arrow") << "Left" << false;
        QTest::newRow("function key") << "F5" << false;
        QTest::newRow("Shift alone") << "Shift_L" << false;
    }
    void keys()
    {
        QFETCH(QString, key);
        QFETCH(bool, ends);
        running();
        XInput::key(key);
        XInput::settle(200);
        QCOMPARE(!SCR1::isLoaded(), ends);
    }

    void clicks_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("ends");
        QTest::newRow("left on the picture") << QPoint(80, 60) << 1 << false;
        QTest::newRow("right on the picture") << QPoint(10, 110) << 3 << false;
        QTest::newRow("left beside it") << QPoint(400, 60) << 1 << true;
        QTest::newRow("right below it") << QPoint(80, 700) << 3 << true;
    }
    void clicks()
    {
        QFETCH(QPoint, at);
        QFETCH(int, button);
        QFETCH(bool, ends);
        running();
        XInput::moveTo(at);
        XInput::click(button);
        XInput::settle(200);
        QCOMPARE(!SCR1::isLoaded(), ends);
    }

    void windowManagersCloseKey_data()
    {
        QTest::addColumn<bool>("protect");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("ends");
        QTest::newRow("not protected") << false << QString() << true;
        QTest::newRow("protected, wrong password") << true << "guess" << false;
        QTest::newRow("protected, the password") << true << "pw" << true;
    }
    // The window manager's close key (Alt+F4) is an end request: it asks for the password too.
    void windowManagersCloseKey()
    {
        QFETCH(bool, protect);
        QFETCH(QString, answer);
        QFETCH(bool, ends);
        fresh();
        SettingsStore::SaveSetting("psp", protect ? "1" : "0");
        SettingsStore::SaveSetting("psw", "pw");
        SCR1& s = SCR1::instance();
        s.File1->setPath(fx.env->path("C"));
        s.setInterval(0);
        s.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s));
        QVERIFY(waitFor([&] { return s.isActiveWindow(); }, 4000));
        if (!answer.isNull()) {
            Dialogs::answer(answer);
            Dialogs::answer(Dialogs::OK);
        }
        XInput::keyChord({QStringLiteral("Alt_L"), QStringLiteral("F4")});
        XInput::settle(400);
        QCOMPARE(!SCR1::isLoaded(), ends);
        QCOMPARE(Dialogs::shown().size(), protect ? (ends ? 1 : 2) : 0);
    }
};

PELLUM_XLANE_MAIN(TestXScreenSaver)
#include "test_xscreensaver.moc"
