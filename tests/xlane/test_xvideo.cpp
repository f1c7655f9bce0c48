// The video on a real display, seen in screenshots: full screen and back into the main window's video
// area (Magnify, the FullScreen option, capture, the RealMedia window maximised), the captured picture,
// and the seek bar under a real drag.
#include "tests/player_fixture.h"
#include "tests/xlane/xsession.h"

#include "platform/media/realaudio.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionSlider>

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
};

PELLUM_XLANE_MAIN(TestXVideo)
#include "test_xvideo.moc"
