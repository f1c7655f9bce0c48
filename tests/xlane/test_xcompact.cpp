// The compact player on a real display with a window manager: its place and shape as a new user sees
// them, a drag by its face, and its buttons pressed with the real pointer, down to "●Power" and what it
// leaves in afore.pellum and zozid.ini.
#include "platform/programfolder.h"
#include "tests/player_fixture.h"
#include "tests/xlane/xsession.h"
#include "ui/twips.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QSettings>

namespace {

QPoint centre(const QWidget* w) { return w->mapToGlobal(w->rect().center()); }

QImage screenShot(const QString& name)
{
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QString dir = qEnvironmentVariable("PELLUM_XLANE_SHOTS");
    if (!dir.isEmpty()) {
        QDir().mkpath(dir);
        shot.save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
    }
    return shot;
}

// Presses the left button at `from`, moves by `step` `steps` times, and lets go.
void drag(const QPoint& from, const QPoint& step, int steps)
{
    XInput::moveTo(from);
    XInput::settle(100);
    XInput::press();
    XInput::settle(100);
    for (int i = 1; i <= steps; ++i) {
        XInput::moveTo(from + step * i);
        XInput::settle(30);
    }
    XInput::release();
    XInput::settle(400);
}

// Where the window manager put a window's client area on the screen.
QPoint placed(const QWidget& w) { return w.mapToGlobal(QPoint(0, 0)); }

}  // namespace

class TestXCompact : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    pellum& startCompact(bool shaped, const QString& how)
    {
        fx.freshEnv();
        if (shaped)
            SettingsStore::SaveSetting("vitrif", "True");
        if (how == QLatin1String("setting"))
            SettingsStore::SaveSetting("start", "pellum");
        Module1::Main(how == QLatin1String("setting") ? QString() : QStringLiteral("/J"));
        pellum& p = pellum::instance();
        [&] { QVERIFY(QTest::qWaitForWindowExposed(&p)); }();
        XInput::settle(300);
        return p;
    }

private slots:
    void cleanup() { releaseWindows(); }

    void placeShapeDragAndPower_data()
    {
        QTest::addColumn<bool>("shaped");
        QTest::addColumn<QString>("how");
        QTest::newRow("/J, shaped") << true << "/J";
        QTest::newRow("/J, rectangular") << false << "/J";
        QTest::newRow("start = pellum, shaped") << true << "setting";
    }
    void placeShapeDragAndPower()
    {
        QFETCH(bool, shaped);
        QFETCH(QString, how);
        pellum& p = startCompact(shaped, how);
        QVERIFY(!Form1::instance().isVisible());
        QCOMPARE(p.size(), QSize(591, 443));
        QCOMPARE(placed(p), QPoint(Twips::toPx(105), Twips::toPx(90)));

        // The corner lies outside the shape: the screen shows the desktop there, not the key colour.
        QImage shot = screenShot(QStringLiteral("compact-%1-%2").arg(shaped ? "shaped" : "rect", how == "/J" ? "J" : "setting"));
        const QPoint corner = placed(p) + QPoint(2, 2);
        const QColor key(255, 0, 255);
        QCOMPARE(QColor(shot.pixel(corner)) == key, !shaped);
        QVERIFY(QColor(shot.pixel(placed(p) + QPoint(300, 330))) != key);

        // "▽" rolls the list window down, with the real pointer.
        XInput::moveTo(centre(p.Label10));
        XInput::click();
        QVERIFY(waitFor([] { return Form6::isLoaded() && Form6::instance().isVisible(); }, 3000));
        QVERIFY(waitFor([] { return Form6::instance().height() == Twips::toPx(5700); }, 3000));
        XInput::settle(300);
        screenShot(QStringLiteral("compact-list-%1").arg(shaped ? "shaped" : "rect"));

        // Hover lights a text button up; leaving it takes the light back.
        XInput::moveTo(centre(p.Label6));
        XInput::moveTo(centre(p.Label6) + QPoint(1, 1));
        QVERIFY(waitFor([&] { return p.Label6->font().italic(); }, 2000));
        const QPoint face = placed(p) + QPoint(300, 420);
        XInput::moveTo(face);
        XInput::moveTo(face + QPoint(1, 0));
        QVERIFY(waitFor([&] { return !p.Label6->font().italic(); }, 2000));

        // "▽" again rolls it up, out of the way of "●Power".
        XInput::moveTo(centre(p.Label10));
        XInput::click();
        QVERIFY(waitFor([] { return !Form6::instance().isVisible(); }, 3000));

        // A drag by the face moves the window by as much as the pointer moved.
        const QPoint grip = placed(p) + QPoint(300, 420);
        drag(grip, QPoint(12, 6), 10);
        QVERIFY(!XSession::pointerGrabbed());
        const QPoint moved = placed(p) - QPoint(Twips::toPx(105), Twips::toPx(90));
        QVERIFY2((moved - QPoint(120, 60)).manhattanLength() <= 4,
                 qPrintable(QStringLiteral("moved by %1,%2").arg(moved.x()).arg(moved.y())));

        // "●Power" writes the list, the places and the start window, and ends.
        Form6::instance().List1->AddItem(QStringLiteral("/music/one.wav"));
        const QPoint at = placed(p);
        const QPoint listAt = Form6::instance().pos();
        XInput::moveTo(centre(p.Label8));
        XInput::click();
        QVERIFY(waitFor([] { return !pellum::isLoaded(); }, 3000));
        QCOMPARE(fx.env->readFile(ProgramFolder::file("afore.pellum")), QByteArray("/music/one.wav\r\n"));
        QSettings ini(SettingsStore::filePath(), QSettings::IniFormat);
        ini.beginGroup(QStringLiteral("myplay"));
        QCOMPARE(ini.value("start").toString(), QStringLiteral("pellum"));
        QCOMPARE(ini.value("pellumleft").toString(), QString::number(Twips::fromPx(at.x())));
        QCOMPARE(ini.value("pellumtop").toString(), QString::number(Twips::fromPx(at.y())));
        QCOMPARE(ini.value("form6left").toString(), QString::number(Twips::fromPx(listAt.x())));
        QCOMPARE(ini.value("form5left").toString(), QStringLiteral("2280"));

        // The next start opens where the window was left.
        releaseWindows();
        Module1::Main(QString());
        pellum& again = pellum::instance();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        XInput::settle(200);
        QCOMPARE(placed(again), at);
        QVERIFY(!Form1::instance().isVisible());
        // The compact list is the one "●Power" saved.
        QCOMPARE(Form6::instance().List1->items(), QStringList{QStringLiteral("/music/one.wav")});
    }

    // The video window: zoomed in by "◇", dragged by its title strip, closed by its own button.
    void videoWindowByThePointer()
    {
        pellum& p = startCompact(true, QStringLiteral("/J"));
        XInput::moveTo(centre(p.Label12));
        XInput::click();
        Form5& v = Form5::instance();
        QVERIFY(waitFor([&] { return v.isVisible() && v.width() == Twips::toPx(7000); }, 3000));
        XInput::settle(300);
        const QPoint before = placed(v);
        const QPoint strip = v.Label1->mapToGlobal(QPoint(60, v.Label1->height() / 2));
        drag(strip, QPoint(10, 5), 8);
        QVERIFY(((placed(v) - before) - QPoint(80, 40)).manhattanLength() <= 4);
        screenShot(QStringLiteral("compact-video"));
        XInput::moveTo(centre(v.Command1));
        XInput::click();
        QVERIFY(waitFor([&] { return !v.isVisible(); }, 3000));
        QVERIFY(p.isVisible());
    }

    // Back and forth between the modes with the pointer: the main window's skin button and "Byebye".
    void handOverByThePointer()
    {
        Form1& f = fx.fresh();
        PlayerFixture::add(f, {QStringLiteral("/m/a.wav")});
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        XInput::moveTo(centre(f.Image4));
        XInput::moveTo(centre(f.Image4) + QPoint(1, 0));
        XInput::click();
        QVERIFY(waitFor([] { return pellum::isLoaded() && pellum::instance().isVisible(); }, 3000));
        QVERIFY(waitFor([&] { return !f.isVisible(); }, 3000));
        pellum& p = pellum::instance();
        QVERIFY(QTest::qWaitForWindowExposed(&p));
        QCOMPARE(Form6::instance().List1->items(), QStringList{"/m/a.wav"});
        XInput::settle(300);
        XInput::moveTo(centre(p.Label1));
        XInput::click();
        QVERIFY(waitFor([&] { return f.isVisible() && !p.isVisible(); }, 3000));
        QCOMPARE(f.List1->items(), QStringList{"/m/a.wav"});
    }
};

PELLUM_XLANE_MAIN(TestXCompact)
#include "test_xcompact.moc"
