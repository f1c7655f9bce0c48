// The audio-CD player on a real display: the skin's outline as the window's shape, dragging the window
// by its skin, the button labels lighting up under the pointer and taking their look back, a click, and
// the wheel turned over the seek slider.
#include "platform/cdaudio/cdaudio.h"
#include "platform/drives/drives.h"
#include "player/tools/form3.h"
#include "tests/player_fixture.h"
#include "tests/support/cdimage.h"
#include "tests/xlane/xsession.h"

#include <QApplication>
#include <QDir>
#include <QScreen>

namespace {

QPoint centre(const QWidget* w) { return w->mapToGlobal(w->rect().center()); }

QRgb screenPixel(const QPoint& global)
{
    return QGuiApplication::primaryScreen()->grabWindow(0, global.x(), global.y(), 1, 1).toImage().pixel(0, 0) & 0xFFFFFF;
}

// The colour the skin leaves out of the window's shape.
constexpr QRgb kKey = 0x1e2430;

}  // namespace

class TestXCdPlayer : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    // The window shown on a disc of tracks of these lengths (frames of 1/75 s).
    Form3& shown(bool shaped, const QList<int>& tracks = {225, 375, 300})
    {
        fx.freshEnv();
        CdImage::intoDriveD(fx.env->path("cd"), fx.env->path("C"), tracks);
        SettingsStore::SaveSetting("vitrif", shaped ? "True" : "False");
        Form3& f = Form3::instance();
        f.move(300, 300);
        f.show();
        if (!QTest::qWaitForWindowExposed(&f))
            qWarning("the CD player was not exposed");
        XInput::settle(300);
        return f;
    }

private slots:
    void cleanup()
    {
        releaseWindows();
        CdAudio::mciSendString("close all");
        Drives::setTableForTests(std::nullopt);
    }

    void shapeOfTheSkin_data()
    {
        QTest::addColumn<bool>("shaped");
        QTest::newRow("Vitrifaction on") << true;
        QTest::newRow("Vitrifaction off") << false;
    }

    void shapeOfTheSkin()
    {
        QFETCH(bool, shaped);
        Form3& f = shown(shaped);
        const QPoint corner = f.mapToGlobal(QPoint(1, 1));
        // The rounded corner shows the desktop behind a shaped window, the skin's key colour otherwise.
        QCOMPARE(screenPixel(corner) == kKey, !shaped);
        QVERIFY(screenPixel(f.mapToGlobal(QPoint(180, 152))) != kKey);
        // A press on the corner of a shaped window is not the window's: the window stays where it is.
        const QPoint before = f.pos();
        XInput::moveTo(corner);
        XInput::press();
        XInput::moveTo(corner + QPoint(60, 40));
        XInput::release();
        XInput::settle(300);
        if (shaped)
            QCOMPARE(f.pos(), before);
    }

    void draggedByTheSkin()
    {
        Form3& f = shown(true);
        const QPoint before = f.pos();
        const QPoint grip = f.mapToGlobal(QPoint(180, 152));
        XInput::moveTo(grip);
        XInput::press();
        for (int i = 1; i <= 10; ++i) {
            XInput::moveTo(grip + QPoint(12 * i, 9 * i));
            XInput::settle(30);
        }
        XInput::release();
        QVERIFY2(waitFor([&] { return (f.pos() - before - QPoint(120, 90)).manhattanLength() <= 4; }, 3000),
                 qPrintable(QString("moved to %1,%2 from %3,%4").arg(f.x()).arg(f.y()).arg(before.x()).arg(before.y())));
        QVERIFY(!XSession::pointerGrabbed());
    }

    void buttonsLightUpAndClick()
    {
        Form3& f = shown(true);
        QCOMPARE(CdAudio::deviceOf("song").isEmpty(), false);
        const QPoint plate = f.Command5->mapToGlobal(QPoint(3, f.Command5->height() / 2));
        const QRgb resting = screenPixel(plate);
        XInput::moveTo(f.Command5->mapToGlobal(f.Command5->rect().center()));
        XInput::settle(100);
        XInput::moveTo(f.Command5->mapToGlobal(f.Command5->rect().center() + QPoint(2, 0)));
        QVERIFY(waitFor([&] { return screenPixel(plate) == 0xff0000; }, 2000));
        // Back over the skin, the label takes its resting look within a tick of the reset timer.
        XInput::moveTo(f.mapToGlobal(QPoint(180, 152)));
        XInput::settle(50);
        XInput::moveTo(f.mapToGlobal(QPoint(182, 152)));
        QVERIFY(waitFor([&] { return screenPixel(plate) == resting; }, 2000));
        // A click on "Pause" pauses the disc the load started.
        XInput::moveTo(f.Command5->mapToGlobal(f.Command5->rect().center()));
        XInput::click();
        QVERIFY(waitFor([] {
            QString mode;
            CdAudio::mciSendString("status song mode", &mode);
            return mode == "paused";
        }, 2000));
    }

    // The wheel turned over the slider moves the thumb and seeks there: the next ticks show the track
    // going on from that point, not from where it played before.
    void wheelOverTheSliderSeeks()
    {
        Form3& f = shown(true, {60 * 75, 375});
        QVERIFY(waitFor([&] { return f.SS->maximum() == 60 && f.SS->value() >= 1; }, 4000));
        XInput::moveTo(centre(f.SS));
        XInput::settle(100);
        const int before = f.SS->value();
        for (int i = 0; i < 3; ++i)
            XInput::click(4);
        QVERIFY2(waitFor([&] { return f.SS->value() >= before + 6; }, 2000), qPrintable(QString::number(f.SS->value())));
        const int moved = f.SS->value();
        // Two ticks later the thumb and the elapsed time stand at or past the wheel's point.
        XInput::settle(2200);
        QVERIFY2(f.SS->value() >= moved, qPrintable(QString("%1 after the wheel set %2").arg(f.SS->value()).arg(moved)));
        QString pos;
        CdAudio::mciSendString("status song position", &pos);
        QVERIFY2(pos >= QString("00:%1:00").arg(2 + moved, 2, 10, QLatin1Char('0')), qPrintable(pos));
    }
};

PELLUM_XLANE_MAIN(TestXCdPlayer)
#include "test_xcdplayer.moc"
