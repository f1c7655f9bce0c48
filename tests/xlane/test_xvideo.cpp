// The video on a real display, seen in screenshots: full screen and back into the main window's video
// area (Magnify, the FullScreen option, capture, the RealMedia window maximised), the captured picture,
// and the seek bar under a real drag.
#include "tests/player_fixture.h"
#include "tests/support/playerprocess.h"
#include "tests/xlane/xsession.h"

#include "platform/media/mpvengine.h"
#include "platform/media/realaudio.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QUrl>

#include <X11/Xlib.h>
#include <csignal>

namespace {

QImage screenImage() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }

QRect globalRect(const QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); }

// The screen left of the main window, where only a full-screen video can show.
QRect besideTheWindow(const Form1& f) { return QRect(0, 40, f.frameGeometry().left() - 10, 900); }

bool fullScreen(const Form1& f)
{
    const QImage shot = screenImage();
    return XScreen::barColours(shot, besideTheWindow(f)) >= 3 && XScreen::barColours(shot, shot.rect()) >= 5;
}

// The video shows in `area` and nowhere beside the main window.
bool videoIn(const Form1& f, const QRect& area)
{
    const QImage shot = screenImage();
    return XScreen::barColours(shot, area) >= 5 && XScreen::barColours(shot, besideTheWindow(f)) == 0;
}

bool inVideoArea(const Form1& f) { return videoIn(f, globalRect(f.mp)); }

QPoint handleCentre(const QSlider* s)
{
    QStyleOptionSlider opt;
    opt.initFrom(s);
    opt.orientation = s->orientation();
    opt.minimum = s->minimum();
    opt.maximum = s->maximum();
    opt.sliderPosition = s->sliderPosition();
    opt.sliderValue = s->value();
    opt.singleStep = s->singleStep();
    opt.pageStep = s->pageStep();
    opt.upsideDown = s->invertedAppearance() != (s->layoutDirection() == Qt::RightToLeft);
    if (s->orientation() == Qt::Horizontal)
        opt.state |= QStyle::State_Horizontal;
    const QRect handle = s->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, s);
    return s->mapToGlobal(handle.center());
}

// Presses the slider's handle, moves the pointer in steps to `fraction` of the bar's width, lets go.
void dragHandle(const QSlider* s, double fraction)
{
    const QPoint from = handleCentre(s);
    const QPoint to(s->mapToGlobal(QPoint(int(s->width() * fraction), 0)).x(), from.y());
    XInput::moveTo(from);
    XInput::press();
    for (int i = 1; i <= 8; ++i)
        XInput::moveTo(from + (to - from) * i / 8);
    XInput::release();
}

// A real click at the middle of `w`, or at `at` inside it.
void clickOn(const QWidget* w, QPoint at = QPoint(-1, -1))
{
    if (at.x() < 0)
        at = w->rect().center();
    XInput::moveTo(w->mapToGlobal(at) + QPoint(1, 1));
    XInput::moveTo(w->mapToGlobal(at));
    XInput::click();
    XInput::settle(150);
}

// The lightest and the darkest pixel of `area` on the screen differ by at least this much (0 to 255).
int contrast(const QRect& area)
{
    const QImage shot = screenImage().copy(area);
    int lo = 255, hi = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const int v = qGray(shot.pixel(x, y));
            lo = qMin(lo, v);
            hi = qMax(hi, v);
        }
    return hi - lo;
}

// Chooses `item` from the strip menu under label `index` of the main window with the pointer, as a
// person does: a click on the label, then one on the item.
void chooseFromStrip(Form1& f, int index, QMenu* menu, QAction* item)
{
    const QPoint label = f.Label1[index]->mapToGlobal(f.Label1[index]->rect().center());
    XInput::moveTo(label + QPoint(1, 1));
    XInput::moveTo(label);
    XInput::settle(200);
    XInput::click();
    if (!waitFor([&] { return menu->isVisible(); }, 3000))
        qFatal("the strip menu did not open");
    XInput::settle(200);
    const QPoint at = menu->mapToGlobal(menu->actionGeometry(item).center());
    XInput::moveTo(at + QPoint(1, 1));
    XInput::moveTo(at);
    XInput::settle(150);
    XInput::click();
    XInput::settle(200);
}

// The title of the window on top of all others.
QString topWindowName()
{
    const QList<unsigned long> order = XSession::stackingOrder();
    return order.isEmpty() ? QString() : XSession::windowName(order.last());
}

}  // namespace

class TestXVideo : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    QString video(const QString& name, double seconds)
    {
        const QString path = fx.env->path(name);
        if (!writeTestVideo(path, seconds))
            qFatal("ffmpeg could not make %s", qPrintable(path));
        return path;
    }

    Form1& shownWindow()
    {
        Form1& f = fx.fresh();
        f.show();
        if (!QTest::qWaitForWindowExposed(&f))
            qFatal("the main window was not shown");
        XInput::settle(200);
        return f;
    }

private slots:
    void cleanup()
    {
        if (Form4::isLoaded())
            Form4::instance().hide();
        releaseWindows();
    }

    // Magnify and the FullScreen option show the video over the whole screen; Escape or a double click
    // on it puts it back into the main window's video area, where later items play too.
    void fullScreenComesBack_data()
    {
        QTest::addColumn<bool>("byOption");
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Magnify, Escape") << false << true;
        QTest::newRow("Magnify, double click") << false << false;
        QTest::newRow("FullScreen option, Escape") << true << true;
        QTest::newRow("FullScreen option, double click") << true << false;
    }
    void fullScreenComesBack()
    {
        QFETCH(bool, byOption);
        QFETCH(bool, byEscape);
        Form1& f = shownWindow();
        const QString first = video(QStringLiteral("first.mp4"), byOption ? 1 : 20);
        const QString second = video(QStringLiteral("second.mp4"), 20);
        const QString later = video(QStringLiteral("later.mp4"), 20);
        PlayerFixture::add(f, {first, second, later});
        if (byOption)
            f.fs_Click();  // the next item, after the first ends, shows full screen
        f.List2->setListIndex(0);
        if (!byOption) {
            QVERIFY2(waitFor([&] { return inVideoArea(f); }, 8000), "the video did not show in the window");
            f.ma_Click();
        }
        QVERIFY2(waitFor([&] { return fullScreen(f); }, 8000), "the video did not go full screen");
        QCOMPARE(f.mp->DisplaySize(), 3);

        if (byEscape) {
            XInput::key(QStringLiteral("Escape"));
        } else {
            XInput::moveTo(QPoint(100, 500));
            XInput::doubleClick();
        }
        QVERIFY2(waitFor([&] { return inVideoArea(f); }, 5000), "the video did not come back into the window");
        QCOMPARE(f.mp->DisplaySize(), 4);
        QVERIFY(!f.mp->isFullScreen());

        f.List2->setListIndex(2);
        QVERIFY(waitFor([&] { return f.mp->FileName() == later && f.mp->CurrentPosition() > 0.5; }));
        QVERIFY2(waitFor([&] { return inVideoArea(f); }, 5000), "a later item did not show in the window");
    }

    // The capture shows the video full screen while it grabs the screen: the picture holds the video's
    // frame over the whole screen, and the video is back in the window afterwards.
    void captureHoldsTheVideoFrame()
    {
        Form1& f = shownWindow();
        PlayerFixture::add(f, {video(QStringLiteral("clip.mp4"), 20)});
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return inVideoArea(f); }, 8000));
        f.ca_Click();
        Form4& viewer = Form4::instance();
        QVERIFY(viewer.isVisible());
        const QImage picture = viewer.pc->pixmap().toImage();
        QCOMPARE(picture.size(), QGuiApplication::primaryScreen()->size() * picture.devicePixelRatio());
        QVERIFY2(XScreen::barColours(picture, besideTheWindow(f)) >= 3 && XScreen::barColours(picture, picture.rect()) >= 5,
                 "the captured picture does not hold the full-screen video");
        viewer.hide();
        QVERIFY2(waitFor([&] { return inVideoArea(f); }, 5000), "the video did not come back into the window");
        QCOMPARE(f.mp->PlayState(), 1);  // the capture paused it
    }

    // The RealMedia window, maximised, shows its picture over the whole screen; Escape or a double click
    // puts it back over the main window's video area.
    void realMediaWindowComesBack_data()
    {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Escape") << true;
        QTest::newRow("double click") << false;
    }
    void realMediaWindowComesBack()
    {
        QFETCH(bool, byEscape);
        Form1& f = shownWindow();
        PlayerFixture::add(f, {video(QStringLiteral("clip.rm"), 20)});
        f.List2->setListIndex(0);
        RmF& rmf = RmF::instance();
        QVERIFY(waitFor([&] { return rmf.isVisible() && rmf.RA->GetPosition() > 300; }, 8000));
        const QRect place = globalRect(rmf.RA);
        QVERIFY2(waitFor([&] { return videoIn(f, place); }, 5000), "the clip did not show over the video area");
        rmf.showMaximized();
        QVERIFY2(waitFor([&] { return rmf.isFullScreen() && fullScreen(f); }, 5000),
                 "the maximised window did not show the clip full screen");

        if (byEscape) {
            XInput::key(QStringLiteral("Escape"));
        } else {
            XInput::moveTo(QPoint(100, 500));
            XInput::doubleClick();
        }
        QVERIFY2(waitFor([&] { return !rmf.isFullScreen() && videoIn(f, place); }, 5000),
                 "the clip did not come back over the video area");
        QCOMPARE(globalRect(rmf.RA), place);
    }

    // A file named on the command line opens while the window is built: a video shows in the video
    // area, and a clip of sound only shows the backdrop over it.
    void commandLineFileShowsInTheWindow_data()
    {
        QTest::addColumn<bool>("video");
        QTest::newRow("video") << true;
        QTest::newRow("sound only") << false;
    }
    void commandLineFileShowsInTheWindow()
    {
        QFETCH(bool, video);
        fx.freshEnv();
        const QString clip = video ? this->video(QStringLiteral("start.mp4"), 20) : fx.env->path("start.ogg");
        if (!video)
            QVERIFY(writeMedia(clip, {"-f", "lavfi", "-i", "sine=frequency=440:duration=20"}));
        Module1::Main(clip);
        Form1& f = Form1::instance();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QCOMPARE(f.mp->FileName(), clip);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2 && f.mp->CurrentPosition() > 0.5; }));
        if (video) {
            QVERIFY2(waitFor([&] { return inVideoArea(f); }, 5000), "the video did not show in the window");
        } else {
            const QPoint spot = f.mp->mapToGlobal(QPoint(f.mp->width() - 20, f.mp->height() - 20));
            const QColor backdrop = f.Picture2->palette().color(QPalette::Window);
            QVERIFY2(waitFor([&] { return screenImage().pixelColor(spot) == backdrop; }, 5000),
                     "the backdrop did not show over the video area");
        }
    }

    // The program started with a video file shows the picture in its window at every start: the clip
    // opens while the window is built, and its picture shows in the window once that is on the screen.
    // Also where the environment names a locale for everything, for numbers alone, or none in UTF-8.
    void startedProgramShowsThePicture_data()
    {
        QTest::addColumn<QByteArrayList>("locale");  // variables set for the start, "NAME=value"
        QTest::addColumn<int>("starts");
        QTest::newRow("the desktop's locale") << QByteArrayList{} << 6;
        QTest::newRow("LC_ALL names one") << QByteArrayList{"LC_ALL=C.UTF-8"} << 2;
        QTest::newRow("numbers named apart") << QByteArrayList{"LC_NUMERIC=C.UTF-8"} << 2;
        QTest::newRow("no UTF-8 locale named") << QByteArrayList{"LANG=C", "LC_CTYPE=POSIX"} << 2;
    }
    void startedProgramShowsThePicture()
    {
        QFETCH(QByteArrayList, locale);
        QFETCH(int, starts);
        fx.freshEnv();
        const QString clip = video(QStringLiteral("started.mp4"), 20);
        const KeptVariables kept({"XDG_RUNTIME_DIR", "LC_ALL", "LC_NUMERIC", "LC_CTYPE", "LANG"});
        // A runtime folder of its own, so that no other player running here takes the start.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(fx.env->runtime()));
        for (const QByteArray& variable : locale)
            qputenv(variable.left(variable.indexOf('=')), variable.mid(variable.indexOf('=') + 1));
        auto bars = [] { return XScreen::barColours(screenImage(), screenImage().rect()); };
        for (int start = 1; start <= starts; ++start) {
            PlayerProcess p;
            QVERIFY(p.start(QStringLiteral(PELLUM_PROGRAM), {QFile::encodeName(clip)}));
            const bool shown = waitFor([&] { return bars() >= 5; }, 8000);
            QVERIFY2(shown, qPrintable(QStringLiteral("start %1 showed no picture").arg(start)));
            p.signal(SIGTERM);
            QVERIFY(p.waitEnded());
            QVERIFY(waitFor([&] { return bars() == 0; }, 4000));
        }
    }

    // A video shows its picture by whatever road it came: an address typed into "Open URL..." after a
    // clip of sound only, after a stop, or while the RealMedia window shows its clip, and a row of the
    // list whose file bears a sound's name. The title and the now-playing line name the new item.
    void videoShowsWhateverItsRoad_data()
    {
        QTest::addColumn<QString>("before");  // "sound", "stop" or "realmedia"
        QTest::addColumn<QString>("road");    // "address", "file address" or "list"
        QTest::addColumn<QString>("name");
        QTest::newRow("address after a sound") << "sound" << "address" << "clip.mp4";
        QTest::newRow("file address after a stop") << "stop" << "file address" << "film.mpg";
        QTest::newRow("address over the RealMedia window") << "realmedia" << "address" << "clip.mp4";
        QTest::newRow("list row under a sound's name") << "sound" << "list" << "clip.mp3";
    }
    void videoShowsWhateverItsRoad()
    {
        QFETCH(QString, before);
        QFETCH(QString, road);
        QFETCH(QString, name);
        Form1& f = shownWindow();
        if (before == "realmedia") {
            PlayerFixture::add(f, {video(QStringLiteral("old.rm"), 20)});
            f.List2->setListIndex(0);
            QVERIFY(waitFor([&] { return RmF::isLoaded() && RmF::instance().isVisible() &&
                                         RmF::instance().RA->GetPosition() > 300; }, 8000));
        } else {
            PlayerFixture::add(f, {writeWav(fx.env->path("old.wav"), 20.0)});
            f.List2->setListIndex(0);
            QVERIFY(waitFor([&] { return f.mp->PlayState() == 2 && f.Picture2->isVisible(); }));
            if (before == "stop")
                f.st_Click();
        }
        // The clip is made under a video's name, so that the encoder writes a video, then takes its own.
        const QString clip = fx.env->path(name);
        QVERIFY(QFile::rename(video(QStringLiteral("made.mp4"), 20), clip));
        QString address = clip;
        if (road == "list") {
            PlayerFixture::add(f, {clip});
            f.List2->setListIndex(f.List2->ListCount() - 1);
        } else {
            if (road == "file address")
                address = QUrl::fromLocalFile(clip).toString();
            Dialogs::answer(address);
            chooseFromStrip(f, 0, f.fl, f.OpU);
            QCOMPARE(Dialogs::shown().size(), 1);
        }
        QVERIFY(waitFor([&] { return f.mp->FileName() == address && f.mp->CurrentPosition() > 0.5; }, 8000));
        QVERIFY2(waitFor([&] { return inVideoArea(f); }, 5000), "the video did not show in the window");
        QVERIFY(!RmF::isLoaded() || !RmF::instance().isVisible());
        QCOMPARE(XSession::windowName(f.winId()), QStringLiteral("PellumPlayer >> ") + address);
        QCOMPARE(f.Label4->text(), QStringLiteral("●") + name.chopped(4));
    }

    // The FullScreen option is for items with a picture: a clip of sound only stays in the window, its
    // backdrop and status in view, also after a video showed full screen. The full-screen window bears
    // the title of the item it shows.
    void fullScreenOptionIsForPictures_data()
    {
        QTest::addColumn<bool>("firstVideo");
        QTest::addColumn<bool>("secondVideo");
        QTest::newRow("video after video") << true << true;
        QTest::newRow("sound after sound") << false << false;
        QTest::newRow("sound after video") << true << false;
        QTest::newRow("video after sound") << false << true;
    }
    void fullScreenOptionIsForPictures()
    {
        QFETCH(bool, firstVideo);
        QFETCH(bool, secondVideo);
        Form1& f = shownWindow();
        auto clip = [&](const QString& stem, bool picture, double seconds) {
            return picture ? video(stem + QStringLiteral(".mp4"), seconds)
                           : writeWav(fx.env->path(stem + QStringLiteral(".wav")), seconds);
        };
        const QString first = clip(QStringLiteral("first"), firstVideo, 1.0);
        const QString second = clip(QStringLiteral("second"), secondVideo, 20.0);
        PlayerFixture::add(f, {first, second});
        QVERIFY(!f.fs->Checked());
        chooseFromStrip(f, 2, f.rndg, f.fs);  // Options > FullScreen
        QVERIFY(f.fs->Checked());
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.mp->FileName() == second && f.mp->CurrentPosition() > 1.0; }, 10000));
        const QString title = QStringLiteral("PellumPlayer >> ") + second;
        if (secondVideo) {
            QVERIFY2(waitFor([&] { return fullScreen(f); }, 5000), "the video did not go full screen");
            QVERIFY2(waitFor([&] { return topWindowName() == title; }, 3000), qPrintable(topWindowName()));
        } else {
            // Long enough for a full-screen window to have come up and been drawn.
            XInput::settle(800);
            const QPoint spot = f.mp->mapToGlobal(QPoint(f.mp->width() - 20, f.mp->height() - 20));
            QCOMPARE(screenImage().pixelColor(spot), f.Picture2->palette().color(QPalette::Window));
            QCOMPARE(XSession::stackingOrder().value(XSession::stackingOrder().size() - 1), (unsigned long)f.winId());
            QCOMPARE(topWindowName(), title);
        }
    }

    // The output that draws into the video windows follows what the X server offers: OpenGL where it
    // renders on a graphics device, x11 where it renders in software, as Xvfb does here.
    void outputForTheServer_data()
    {
        QTest::addColumn<QStringList>("extensions");
        QTest::addColumn<QString>("output");
        // This display's own list, as its server gives it.
        QStringList here;
        Display* dpy = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->display();
        int n = 0;
        char** names = XListExtensions(dpy, &n);
        for (int i = 0; i < n; ++i)
            here.append(QString::fromLatin1(names[i]));
        XFreeExtensionList(names);
        QVERIFY(here.contains(QStringLiteral("GLX")));  // Xvfb offers OpenGL, in software
        QTest::newRow("this display (Xvfb)") << here << "x11";
        QTest::newRow("no extensions") << QStringList() << "x11";
        const QStringList common{"GLX", "Present", "RANDR", "RENDER", "MIT-SHM", "XFIXES"};
        QTest::newRow("Mesa driver, DRI3") << (common + QStringList{"DRI3", "DRI2"}) << "gpu,x11";
        QTest::newRow("older Mesa driver, DRI2 only") << (common + QStringList{"DRI2"}) << "gpu,x11";
        QTest::newRow("NVIDIA driver") << (common + QStringList{"NV-GLX", "NV-CONTROL"}) << "gpu,x11";
        QTest::newRow("a device, no GLX") << QStringList{"DRI3", "Present"} << "gpu,x11";
    }
    void outputForTheServer()
    {
        QFETCH(QStringList, extensions);
        QFETCH(QString, output);
        QCOMPARE(MpvEngine::videoOutputFor(extensions), output);
    }

    // The picture is drawn by the output chosen for the run (x11 on this display unless the run names
    // one) in each place a video shows: the main window's video area, full screen, the capture and the
    // compact player's video window.
    void drawnByTheChosenOutput_data()
    {
        QTest::addColumn<QString>("where");
        for (const char* where : {"video area", "full screen", "capture", "compact video window"})
            QTest::newRow(where) << where;
    }
    void drawnByTheChosenOutput()
    {
        QFETCH(QString, where);
        const QString named = qEnvironmentVariable("PELLUM_VIDEO_OUTPUT");
        const QString expected = named.isEmpty() ? QStringLiteral("x11") : named;
        const MediaPlayer* player = nullptr;
        if (where == QLatin1String("compact video window")) {
            fx.freshEnv();
            SettingsStore::SaveSetting("start", "pellum");
            const QString clip = video(QStringLiteral("compact.mp4"), 20);
            Module1::Main(clip);
            Form5& v = Form5::instance();
            QVERIFY2(waitFor([&] { return v.isVisible() && v.mk->PlayState() == 2; }, 8000),
                     "the compact video window did not show the clip");
            QVERIFY(QTest::qWaitForWindowExposed(&v));
            player = v.mk;
            QVERIFY2(waitFor([&] { return XScreen::barColours(screenImage(), globalRect(v.mk)) >= 5; }, 8000),
                     "the video did not show in the compact video window");
        } else {
            Form1& f = shownWindow();
            PlayerFixture::add(f, {video(QStringLiteral("clip.mp4"), 20)});
            f.List2->setListIndex(0);
            player = f.mp;
            QVERIFY2(waitFor([&] { return inVideoArea(f); }, 8000), "the video did not show in the window");
            if (where == QLatin1String("full screen")) {
                f.ma_Click();
                QVERIFY2(waitFor([&] { return fullScreen(f); }, 8000), "the video did not go full screen");
            } else if (where == QLatin1String("capture")) {
                f.ca_Click();
                const QImage picture = Form4::instance().pc->pixmap().toImage();
                QVERIFY2(XScreen::barColours(picture, besideTheWindow(f)) >= 3 && XScreen::barColours(picture, picture.rect()) >= 5,
                         "the captured picture does not hold the full-screen video");
            }
        }
        QVERIFY2(waitFor([&] { return player->engine().videoOutputInUse() == expected; }, 3000),
                 qPrintable(QStringLiteral("drawn by \"%1\"").arg(player->engine().videoOutputInUse())));
    }

    // The seek bar takes its range from the clip once the duration is known; nothing covers it, and a
    // drag of its handle seeks.
    void seekBarDragSeeks()
    {
        Form1& f = shownWindow();
        if (!f.sl->Checked())
            f.sl_Click();  // ShowBar
        PlayerFixture::add(f, {video(QStringLiteral("clip.mp4"), 20)});
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2 && f.mp->Duration() > 0; }));
        QVERIFY(waitFor([&] { return f.PBX->maximum() == 20; }, 2000));
        QCOMPARE(f.PBX->minimum(), 1);
        XInput::settle(300);
        for (double y : {0.2, 0.5, 0.8})
            for (double x : {0.02, 0.25, 0.5, 0.75, 0.85, 0.9, 0.98}) {
                const QPoint p = f.PBX->mapToGlobal(QPoint(int(f.PBX->width() * x), int(f.PBX->height() * y)));
                QVERIFY2(QApplication::widgetAt(p) == f.PBX,
                         qPrintable(QStringLiteral("at %1,%2 the bar is covered by %3")
                                        .arg(x)
                                        .arg(y)
                                        .arg(QApplication::widgetAt(p) ? QApplication::widgetAt(p)->objectName()
                                                                       : QStringLiteral("nothing"))));
            }

        auto seekedTo = [&](int seconds) {
            return waitFor([&] {
                const double at = f.mp->CurrentPosition();
                return at >= seconds - 1.5 && at <= seconds + 2.0 && f.mp->PlayState() == 2;
            }, 5000);
        };
        dragHandle(f.PBX, 0.85);
        const int forward = f.PBX->value();
        QVERIFY2(forward >= 14, qPrintable(QString::number(forward)));
        QVERIFY2(seekedTo(forward), qPrintable(QString::number(f.mp->CurrentPosition())));
        // Back from there: the handle now stands where the CD button reaches into the bar.
        dragHandle(f.PBX, 0.25);
        const int back = f.PBX->value();
        QVERIFY2(back <= 8, qPrintable(QString::number(back)));
        QVERIFY2(seekedTo(back), qPrintable(QString::number(f.mp->CurrentPosition())));
    }
    // The RealMedia roads in turn, each more than once: an address opened with File > Open URL and
    // played to its end, the clip's row clicked and played to its end, a clip that cannot be played,
    // the window closed while a clip plays. Each clip shows in the window, and the player lives on.
    void realMediaRoadsInTurn_data()
    {
        QTest::addColumn<QStringList>("roads");
        QTest::newRow("address first") << QStringList{"url", "row", "close", "row", "fail", "url", "row"};
        QTest::newRow("row first") << QStringList{"row", "row", "close", "url", "fail", "close", "row"};
        QTest::newRow("failure first") << QStringList{"fail", "close", "url", "url", "row"};
    }
    void realMediaRoadsInTurn()
    {
        QFETCH(QStringList, roads);
        Form1& f = shownWindow();
        const QString a = writeWav(fx.env->path(QStringLiteral("a.wav")), 60.0);
        const QString clip = video(QStringLiteral("r.rm"), 2);
        const QString bad = fx.env->writeFile(QStringLiteral("bad.rm"), QByteArray(8192, 'x'));
        PlayerFixture::add(f, {a, clip});
        RmF& rmf = RmF::instance();
        auto rowOf = [&](const QString& path) { return int(f.List1->items().indexOf(path)); };
        auto clickRow = [&](int row) {
            clickOn(f.List2, f.List2->visualRect(f.List2->model()->index(row, 0)).center());
        };
        auto shows = [&] {
            return waitFor([&] { return rmf.isVisible() && videoIn(f, globalRect(rmf.RA)); }, 8000);
        };
        // Played to its end, the clip hands over to the wave file at the top of the list.
        auto endsIntoTheWave = [&] {
            return waitFor([&] { return !rmf.isVisible() && f.mp->FileName() == a && f.mp->PlayState() == 2; }, 15000);
        };

        for (const QString& road : roads) {
            const QByteArray what = road.toUtf8();
            if (road == "url") {
                Dialogs::answer(clip);
                clickOn(f.Label1[0]);  // File
                QVERIFY2(waitFor([&] { return f.fl->isVisible(); }, 3000), what);
                clickOn(f.fl, f.fl->actionGeometry(f.OpU).center());
                QVERIFY2(shows(), what);
                QVERIFY2(endsIntoTheWave(), what);
            } else if (road == "row") {
                clickRow(rowOf(clip));
                QVERIFY2(shows(), what);
                QVERIFY2(endsIntoTheWave(), what);
                QVERIFY2(f.List2->List(rowOf(clip)).startsWith(QLatin1Char('#')), what);
            } else if (road == "close") {
                clickRow(rowOf(clip));
                QVERIFY2(shows(), what);
                clickOn(rmf.RA);
                XInput::keyChord({QStringLiteral("Alt_L"), QStringLiteral("F4")});
                QVERIFY2(waitFor([&] { return !rmf.isVisible(); }, 5000), what);
                QCOMPARE(rmf.RA->Source(), QString());
                QCOMPARE(f.mp->FileName(), QString());
            } else if (road == "fail") {
                PlayerFixture::add(f, {bad});
                clickRow(rowOf(bad));
                QVERIFY2(waitFor([&] { return rowOf(bad) < 0 && !rmf.isVisible(); }, 8000), what);
                QCOMPARE(f.List2->ListCount(), 2);
            }
            XInput::settle(300);
        }
        // The player is still there, and a last clip still shows.
        clickRow(rowOf(clip));
        QVERIFY(shows());
    }

    // The RealMedia window leaves the label strip free: while a clip plays, a click on each of the
    // strip's menus opens it.
    void labelStripOpensOverAClip_data()
    {
        QTest::addColumn<int>("label");
        QTest::newRow("File") << 0;
        QTest::newRow("Actions") << 1;
        QTest::newRow("Options") << 2;
        QTest::newRow("About") << 6;
    }
    void labelStripOpensOverAClip()
    {
        QFETCH(int, label);
        Form1& f = shownWindow();
        PlayerFixture::add(f, {video(QStringLiteral("clip.rm"), 20)});
        f.List2->setListIndex(0);
        RmF& rmf = RmF::instance();
        QVERIFY(waitFor([&] { return rmf.isVisible() && videoIn(f, globalRect(rmf.RA)); }, 8000));
        // The window, its title bar too, lies over the video area.
        QVERIFY2(waitFor([&] { return rmf.frameGeometry() == globalRect(f.mp); }, 3000),
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(rmf.frameGeometry().x())
                                .arg(rmf.frameGeometry().y())
                                .arg(rmf.frameGeometry().width())
                                .arg(rmf.frameGeometry().height())));
        const QList<QMenu*> menus{f.fl, f.ac, f.rndg, nullptr, nullptr, nullptr, f.ab};
        QMenu* menu = menus[label];
        clickOn(f.Label1[label]);
        QVERIFY2(waitFor([&] { return menu->isVisible() && QApplication::activePopupWidget() == menu; }, 3000),
                 qPrintable(f.Label1[label]->text()));
        XInput::key(QStringLiteral("Escape"));
        QVERIFY(waitFor([&] { return !menu->isVisible(); }, 3000));
        QVERIFY(rmf.isVisible());
    }

    // The RealMedia panel's play and stop buttons show their signs against their faces.
    void realMediaPanelButtonsCanBeSeen()
    {
        Form1& f = shownWindow();
        PlayerFixture::add(f, {video(QStringLiteral("clip.rm"), 20)});
        f.List2->setListIndex(0);
        RmF& rmf = RmF::instance();
        QVERIFY(waitFor([&] { return rmf.isVisible() && rmf.RA->GetPosition() > 300; }, 8000));
        XInput::settle(300);
        const QList<QPushButton*> buttons = rmf.RA2->findChildren<QPushButton*>();
        QCOMPARE(buttons.size(), 2);
        for (QPushButton* b : buttons) {
            // The middle of the face, where the sign is drawn, without the button's edges.
            const QRect face = globalRect(b).adjusted(b->width() / 4, b->height() / 4, -b->width() / 4, -b->height() / 4);
            QVERIFY2(contrast(face) >= 100, qPrintable(b->text() + QStringLiteral(": ") + QString::number(contrast(face))));
        }
    }
};

PELLUM_XLANE_MAIN(TestXVideo)
#include "test_xvideo.moc"
