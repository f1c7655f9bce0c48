// The compact player on a real display with a window manager: its place and shape as a new user sees
// them, a drag by its face, and its buttons pressed with the real pointer, down to "●Power" and what it
// leaves in afore.pellum and zozid.ini.
#include "platform/programfolder.h"
#include "tests/player_fixture.h"
#include "tests/xlane/xsession.h"
#include "ui/twips.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QStyleOptionSlider>

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

// Where the thumb of a scroll bar is drawn, in the bar's pixels.
QRect thumbOf(const QScrollBar* bar)
{
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.orientation = bar->orientation();
    opt.minimum = bar->minimum();
    opt.maximum = bar->maximum();
    opt.sliderPosition = bar->sliderPosition();
    opt.sliderValue = bar->value();
    opt.singleStep = bar->singleStep();
    opt.pageStep = bar->pageStep();
    opt.subControls = QStyle::SC_All;
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider, bar);
}

// Where the window manager put a window's client area on the screen.
QPoint placed(const QWidget& w) { return w.mapToGlobal(QPoint(0, 0)); }

const QRgb kKey = qRgb(255, 0, 255);
const QRgb kBody = qRgb(40, 60, 90);

// The hostile face: a checkerboard of the key colour, whose shape would be one rectangle per opaque
// pixel (4.5 million at 3000 x 3000). Opaque where x + y is odd.
QString writeDotSkin(const QString& path, int side)
{
    QImage pic(side, side, QImage::Format_Indexed8);
    pic.setColorTable({kKey, kBody});
    for (int y = 0; y < side; ++y) {
        uchar* line = pic.scanLine(y);
        for (int x = 0; x < side; ++x)
            line[x] = uchar((x + y) % 2);
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!pic.save(path))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// A face of 640 x 480 with a key-coloured border 10 pixels wide.
QString writeFramedSkin(const QString& path)
{
    QImage pic(640, 480, QImage::Format_RGB32);
    pic.fill(kKey);
    for (int y = 10; y < 470; ++y)
        for (int x = 10; x < 630; ++x)
            pic.setPixel(x, y, kBody);
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!pic.save(path))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

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

    // The shape is the skin's on the screen through the window's life: hidden and shown again, put on top,
    // handed over to the main window and back, given another skin through the skin chooser and the
    // built-in face again. What the shape leaves out shows the desktop, and the pointer's clicks on the
    // shape still reach the buttons. A face of millions of runs is shown whole, on a rectangular window.
    void shapeStaysThroughTheWindowsLife()
    {
        fx.freshEnv();
        XInput::settle(300);
        const QImage desktop = screenShot(QStringLiteral("desktop"));
        pellum* p = &startCompact(true, QStringLiteral("/J"));
        auto check = [&](const QString& step, const QPoint& outside, const QPoint& inside) {
            XInput::settle(400);
            const QImage shot = screenShot(QStringLiteral("shape-") + step);
            const QPoint out = placed(*p) + outside, in = placed(*p) + inside;
            QVERIFY2(shot.pixel(out) == desktop.pixel(out),
                     qPrintable(step + QStringLiteral(": the desktop does not show through")));
            QVERIFY2(shot.pixel(in) != desktop.pixel(in) && shot.pixel(in) != kKey,
                     qPrintable(step + QStringLiteral(": the face does not show")));
        };
        const QPoint corner(2, 2), face(300, 330);
        check(QStringLiteral("start"), corner, face);

        p->hide();
        XInput::settle(300);
        p->show();
        QVERIFY(QTest::qWaitForWindowExposed(p));
        check(QStringLiteral("shown-again"), corner, face);

        p->SetOnTop(true);
        QVERIFY(QTest::qWaitForWindowExposed(p));
        check(QStringLiteral("on-top"), corner, face);

        // "Byebye" and back by the main window's skin button, with the pointer.
        XInput::moveTo(centre(p->Label1));
        XInput::click();
        Form1& f = Form1::instance();
        QVERIFY(waitFor([&] { return f.isVisible() && !p->isVisible(); }, 3000));
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        XInput::settle(300);
        XInput::moveTo(centre(f.Image4));
        XInput::moveTo(centre(f.Image4) + QPoint(1, 0));
        XInput::click();
        QVERIFY(waitFor([&] { return p->isVisible() && !f.isVisible(); }, 3000));
        QVERIFY(QTest::qWaitForWindowExposed(p));
        check(QStringLiteral("handed-back"), corner, face);

        // Another skin through the chooser; the chooser closed again so that it hides nothing.
        auto apply = [&](const QString& path) {
            Skins& s = Skins::instance();
            s.File1->Refresh();
            s.File1->setListIndex(int(s.File1->items().indexOf(QFileInfo(path).fileName())));
            s.Command1_Click();
            s.Command2_Click();
        };
        apply(writeFramedSkin(ProgramFolder::file(QStringLiteral("SKIN/framed.bmp"))));
        QCOMPARE(p->size(), QSize(640, 480));
        check(QStringLiteral("framed"), QPoint(5, 240), QPoint(15, 240));

        apply(writeDotSkin(ProgramFolder::file(QStringLiteral("SKIN/dots.png")), 3000));
        QCOMPARE(p->size(), QSize(3000, 3000));
        XInput::settle(400);
        QImage shot = screenShot(QStringLiteral("shape-dots"));
        QCOMPARE(shot.pixel(placed(*p) + QPoint(450, 300)), kKey);
        QCOMPARE(shot.pixel(placed(*p) + QPoint(451, 300)), kBody);
        // "▽" rolls the list window down.
        XInput::moveTo(centre(p->Label10));
        XInput::click();
        QVERIFY(waitFor([] { return Form6::isLoaded() && Form6::instance().isVisible(); }, 3000));
        QVERIFY(waitFor([] { return Form6::instance().height() == Twips::toPx(5700); }, 3000));
        Form6::instance().hide();

        // "Default" makes the compact window anew with the built-in face.
        Skins::instance().Command4_Click();
        Skins::instance().Command2_Click();
        p = &pellum::instance();
        QVERIFY(QTest::qWaitForWindowExposed(p));
        QCOMPARE(p->size(), QSize(591, 443));
        check(QStringLiteral("default-again"), corner, face);
    }

    // A face of millions of runs stored with the shaped-window option and the compact start: the player
    // program starts with it and shows it whole, and its exit works.
    void hostileSkinAtStart()
    {
        fx.freshEnv();
        const QPoint power = pellum().Label8->geometry().center();  // where the face's exit sits
        SettingsStore::SaveSetting("vitrif", "True");
        SettingsStore::SaveSetting("start", "pellum");
        SettingsStore::SaveSetting("pellumleft", "1500");
        SettingsStore::SaveSetting("pellumtop", "1500");
        SettingsStore::SaveSetting("skin", writeDotSkin(ProgramFolder::file(QStringLiteral("SKIN/dots.png")), 3000));
        const QPoint at(Twips::toPx(1500), Twips::toPx(1500));

        QProcess player;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("PELLUM_NULL_OUTPUT"), QStringLiteral("1"));
        player.setProcessEnvironment(e);
        player.setProcessChannelMode(QProcess::ForwardedChannels);
        player.start(QStringLiteral(PELLUM_PROGRAM), QStringList());
        QVERIFY(player.waitForStarted());
        const QPoint body = at + QPoint(451, 300), key = at + QPoint(450, 300);
        const bool shown = waitFor(
            [&] {
                return player.state() != QProcess::Running ||
                       QGuiApplication::primaryScreen()->grabWindow(0).toImage().pixel(body) == kBody;
            },
            30000);
        XInput::settle(1000);
        QVERIFY2(player.state() == QProcess::Running, "the player ended at its start");
        QVERIFY(shown);
        const QImage shot = screenShot(QStringLiteral("hostile-start"));
        QCOMPARE(shot.pixel(body), kBody);
        QCOMPARE(shot.pixel(key), kKey);  // the face whole: no outline of millions of holes

        // "●Power" ends the program the usual way.
        XInput::moveTo(at + power);
        XInput::click();
        // The click's settling runs the event loop, so the end may have been seen already.
        QVERIFY(player.state() == QProcess::NotRunning || player.waitForFinished(15000));
        QCOMPARE(player.exitStatus(), QProcess::NormalExit);
        QCOMPARE(player.exitCode(), 0);
        QVERIFY(QFile::exists(ProgramFolder::file(QStringLiteral("afore.pellum"))));
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

    // The design pieces lying under the player stay under the video, whether the window was opened by
    // "◇" before anything played or while a clip plays: the video's colours show where they lie.
    void videoCoversTheDesignPieces_data()
    {
        QTest::addColumn<bool>("openedFirst");
        QTest::newRow("opened before anything plays") << true;
        QTest::newRow("opened while a clip plays") << false;
    }
    void videoCoversTheDesignPieces()
    {
        QFETCH(bool, openedFirst);
        pellum& p = startCompact(true, QStringLiteral("/J"));
        const QString clip = fx.env->path(QStringLiteral("bars.mp4"));
        QVERIFY(writeTestVideo(clip, 20));
        Form5& v = Form5::instance();
        auto open = [&] {
            XInput::moveTo(centre(p.Label12));
            XInput::click();
            QVERIFY(waitFor([&] { return v.isVisible() && v.width() == Twips::toPx(7000); }, 3000));
        };
        auto play = [&] {
            Form6::instance().List1->AddItem(clip);
            Form6::instance().List1->setListIndex(0);
            QVERIFY(waitFor([&] { return v.mk->PlayState() == 2; }, 5000));
        };
        if (openedFirst) {
            open();
            XInput::settle(300);
            play();
        } else {
            play();
            open();
        }
        // The clip fills the player's width; its picture lies in the middle of the player's height.
        const QRect player(v.mk->mapToGlobal(QPoint(0, 0)), v.mk->size());
        const int pictureHeight = player.width() * 240 / 320;
        const QRect picture(player.left(), player.center().y() - pictureHeight / 2, player.width(), pictureHeight);
        QVERIFY(waitFor([&] { return XScreen::barColours(screenShot(QStringLiteral("video-wait")), picture) >= 5; }, 8000));
        XInput::settle(300);
        const QImage shot = screenShot(QStringLiteral("video-over-pieces-%1").arg(openedFirst ? "first" : "later"));
        for (const QWidget* piece : {static_cast<QWidget*>(v.Shape1), static_cast<QWidget*>(v.Picture1)}) {
            const QRect under = QRect(piece->mapToGlobal(QPoint(0, 0)), piece->size()) & picture.adjusted(4, 4, -4, -4);
            QVERIFY2(!under.isEmpty(), qPrintable(piece->objectName()));
            QVERIFY2(XScreen::barColours(shot, under) >= 2,
                     qPrintable(piece->objectName() + QStringLiteral(" shows over the video")));
        }
        v.mk->Stop();
    }

    // A quick click (press and release together) on what carries a compact window leaves the window
    // where it is and lets go of the pointer: moving on carries nothing, and the next press drags.
    void quickClickCarriesNothing_data()
    {
        QTest::addColumn<QString>("handle");
        QTest::newRow("the face") << "face";
        QTest::newRow("the list window's strip") << "list";
        QTest::newRow("the video window's title") << "video";
    }
    void quickClickCarriesNothing()
    {
        QFETCH(QString, handle);
        pellum& p = startCompact(true, QStringLiteral("/J"));
        QWidget* window = &p;
        QPoint grip = placed(p) + QPoint(300, 420);
        if (handle == "list") {
            XInput::moveTo(centre(p.Label10));
            XInput::click();
            Form6& list = Form6::instance();
            QVERIFY(waitFor([&] { return list.isVisible() && list.height() == Twips::toPx(5700); }, 3000));
            window = &list;
            grip = list.Label1->mapToGlobal(QPoint(20, list.Label1->height() / 2));
        } else if (handle == "video") {
            XInput::moveTo(centre(p.Label12));
            XInput::click();
            Form5& v = Form5::instance();
            QVERIFY(waitFor([&] { return v.isVisible() && v.width() == Twips::toPx(7000); }, 3000));
            window = &v;
            grip = v.Label1->mapToGlobal(QPoint(60, v.Label1->height() / 2));
        }
        XInput::settle(300);
        QCOMPARE(QApplication::widgetAt(grip) ? QApplication::widgetAt(grip)->window() : nullptr, window);
        const QPoint before = placed(*window);

        XInput::moveTo(grip);
        XInput::quickClick();
        XInput::settle(200);
        for (int i = 1; i <= 6; ++i) {
            XInput::moveTo(grip + QPoint(10, 6) * i);
            XInput::settle(30);
        }
        XInput::settle(300);
        QCOMPARE(placed(*window), before);
        QVERIFY(!XSession::pointerGrabbed());

        // The next press is the user's: a drag from the same place carries the window by its length.
        drag(grip, QPoint(8, 4), 8);
        const QPoint moved = placed(*window) - before;
        QVERIFY2((moved - QPoint(64, 32)).manhattanLength() <= 4,
                 qPrintable(QStringLiteral("moved by %1,%2").arg(moved.x()).arg(moved.y())));
        QVERIFY(!XSession::pointerGrabbed());
    }

    // The seek bar's thumb held with the pointer stays under it while the clip plays on; a small move
    // seeks to where the thumb then stands, never back to where the clip was when it was taken.
    void heldThumbStaysPut()
    {
        pellum& p = startCompact(true, QStringLiteral("/J"));
        Form6::instance().List1->AddItem(writeWav(fx.env->path(QStringLiteral("long.wav")), 120.0));
        Form6::instance().List1->setListIndex(0);
        MediaPlayer& mk = *Form5::instance().mk;
        QVERIFY(waitFor([&] { return mk.PlayState() == 2 && p.pb->maximum() == 120; }, 5000));
        mk.setCurrentPosition(40);
        QVERIFY(waitFor([&] { return p.pb->value() == 40; }, 3000));

        const QPoint grip = p.pb->mapToGlobal(thumbOf(p.pb).center());
        const QRect thumbBefore = thumbOf(p.pb);
        XInput::moveTo(grip);
        XInput::press();
        const int taken = p.pb->value();
        XInput::settle(2500);  // the clip plays on by more than two seconds
        QVERIFY(mk.CurrentPosition() >= taken + 2);
        QCOMPARE(p.pb->value(), taken);
        QCOMPARE(thumbOf(p.pb), thumbBefore);

        XInput::moveTo(grip + QPoint(2, 0));
        XInput::settle(200);
        XInput::release();
        XInput::settle(200);
        const int chosen = p.pb->value();
        QVERIFY2(qAbs(chosen - taken) <= 1, qPrintable(QString::number(chosen)));
        // A move that changed no second made no seek and the clip played on; one that did seeks to
        // where the thumb stands, not to where the clip was while it was held.
        const double after = mk.CurrentPosition();
        if (chosen == taken)
            QVERIFY2(after >= taken + 2, qPrintable(QString::number(after)));
        else
            QVERIFY2(after >= chosen && after < chosen + 1.5, qPrintable(QString::number(after)));
        QVERIFY(!XSession::pointerGrabbed());
    }

    // Back and forth between the modes with the pointer: the main window's skin button and "Byebye".
    // The main window comes back where the user had put it.
    void handOverByThePointer()
    {
        Form1& f = fx.fresh();
        PlayerFixture::add(f, {QStringLiteral("/m/a.wav")});
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        XInput::settle(300);
        // Placed by the window manager, then moved by its title bar.
        const QPoint first = placed(f);
        const QPoint title(f.frameGeometry().center().x(), (f.frameGeometry().top() + placed(f).y()) / 2);
        drag(title, QPoint(9, 6), 10);
        const QPoint userPlace = placed(f);
        QVERIFY2((userPlace - first - QPoint(90, 60)).manhattanLength() <= 4,
                 qPrintable(QStringLiteral("moved by %1,%2").arg((userPlace - first).x()).arg((userPlace - first).y())));
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
        XInput::settle(400);
        QCOMPARE(placed(f), userPlace);
        QCOMPARE(XSession::windowGeometry(f.winId()).topLeft(), userPlace);
    }
};

PELLUM_XLANE_MAIN(TestXCompact)
#include "test_xcompact.moc"
