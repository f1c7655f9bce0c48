// The wallpaper on a plain X desktop (openbox, i3, a bare X session): a real click on the capture
// viewer's Wallpaper button makes the capture the root window's picture, which the X server shows where
// no window is and names in the properties compositors and terminals read; the pixmap outlives the
// player's connection, the one it replaces is freed, and a live program's pixmap is left alone. The
// user is told in the language chosen.
#include "platform/desktop/screen.h"
#include "platform/programfolder.h"
#include "player/module1.h"
#include "player/tools/form4.h"
#include "tests/player_fixture.h"
#include "tests/xlane/xsession.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>

namespace {

QSize screenSize() { return QGuiApplication::primaryScreen()->geometry().size(); }

// Two halves in two colours, so that where the picture lands on the screen can be seen.
QImage halves(QSize size, QRgb left, QRgb right)
{
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    p.fillRect(0, 0, size.width() / 2, size.height(), QColor(left));
    p.fillRect(size.width() / 2, 0, size.width() - size.width() / 2, size.height(), QColor(right));
    return img;
}

}  // namespace

class TestXWallpaper : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    QString wallpaper() const { return ProgramFolder::path() + "/Wallpaper.bmp"; }

    // Hides every window of ours, so the root window shows.
    static void hideAll()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            w->hide();
        XInput::settle(300);
    }

private slots:
    void cleanup()
    {
        releaseWindows();
        qunsetenv("XDG_CURRENT_DESKTOP");
    }

    void captureBecomesTheRootPicture_data()
    {
        QTest::addColumn<QString>("desktop");
        QTest::newRow("bare X session") << "";
        QTest::newRow("openbox") << "openbox";
        QTest::newRow("i3") << "i3";
    }
    void captureBecomesTheRootPicture()
    {
        QFETCH(QString, desktop);
        const unsigned long before = XSession::rootPixmap("_XROOTPMAP_ID");
        if (!desktop.isEmpty())
            qputenv("XDG_CURRENT_DESKTOP", desktop.toUtf8());
        Form1& f = fx.fresh();
        Module1::LanguagePath() = fx.env->writeFile(
            "home/de.ini", QString("[language]\r\nsetcompleted=Hintergrundbild gesetzt\r\nwallpaper=Hintergrund\r\n").toUtf8());
        f.move(100, 100);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        XInput::settle(300);
        f.ca_Click();
        QVERIFY(Form4::isLoaded());
        Form4& v = Form4::instance();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        XInput::settle(300);
        QCOMPARE(v.Command3->text(), QStringLiteral("Hintergrund"));
        Dialogs::answer(Dialogs::OK);  // the message that follows
        XInput::moveTo(v.Command3->mapToGlobal(v.Command3->rect().center()));
        XInput::click();
        QTRY_COMPARE_WITH_TIMEOUT(Dialogs::shown().size(), 1, 10000);
        QCOMPARE(Dialogs::shown()[0].text, QStringLiteral("Hintergrundbild gesetzt!"));
        QCOMPARE(Dialogs::shown()[0].title, QStringLiteral("PellumPlayer"));

        const QImage written(wallpaper(), "BMP");
        QCOMPARE(written.size(), screenSize());
        // The properties name one pixmap, kept by the server after the player's connection closed, a
        // new one each time.
        const unsigned long pixmap = XSession::rootPixmap("_XROOTPMAP_ID");
        QVERIFY(pixmap != 0);
        QVERIFY(pixmap != before);
        QCOMPARE(XSession::rootPixmap("ESETROOT_PMAP_ID"), pixmap);
        QCOMPARE(XSession::pixmapSize(pixmap), screenSize());
        QCOMPARE(XSession::drawableImage(pixmap, screenSize()), written.convertToFormat(QImage::Format_RGB32));
        // And the screen shows it where no window is.
        hideAll();
        QCOMPARE(XSession::drawableImage(0, screenSize()), written.convertToFormat(QImage::Format_RGB32));
    }

    // A picture of another size is fitted to the screen with its proportions kept, on black.
    void pictureFittedToTheScreen_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QList<QPoint>>("points");  // in thousandths of the screen
        QTest::addColumn<QList<QRgb>>("colours");
        const QRgb l = 0xC01020, r = 0x2040E0, black = 0;
        QTest::newRow("smaller, same shape") << QSize(640, 512) << QList<QPoint>{{100, 500}, {900, 500}, {480, 10}}
                                             << QList<QRgb>{l, r, l};
        QTest::newRow("taller") << QSize(320, 512) << QList<QPoint>{{100, 500}, {300, 500}, {700, 500}, {900, 500}}
                                << QList<QRgb>{black, l, r, black};
        QTest::newRow("wider, larger") << QSize(4000, 800) << QList<QPoint>{{500, 100}, {200, 500}, {800, 500}, {500, 900}}
                                       << QList<QRgb>{black, l, r, black};
    }
    void pictureFittedToTheScreen()
    {
        QFETCH(QSize, size);
        QFETCH(QList<QPoint>, points);
        QFETCH(QList<QRgb>, colours);
        fx.freshEnv();
        const QString bmp = fx.env->path("picture.bmp");
        QVERIFY(halves(size, 0xC01020, 0x2040E0).save(bmp, "BMP"));
        Screen::WallpaperReport report;
        QVERIFY2(Screen::setDesktopWallpaper(bmp, &report), qPrintable(report.text()));
        QCOMPARE(report.outcome, Screen::WallpaperOutcome::SetOnXRoot);
        XInput::settle(100);
        const QImage shown = XSession::drawableImage(0, screenSize());
        for (int i = 0; i < points.size(); ++i) {
            const QPoint at(points[i].x() * shown.width() / 1000, points[i].y() * shown.height() / 1000);
            QCOMPARE(QString::number(shown.pixel(at) & 0xFFFFFF, 16), QString::number(colours[i], 16));
        }
    }

    // The pixmap a setter left behind (named in both properties) is freed when the next one comes; one
    // that a running program holds and names in only one property is left alone.
    void earlierPicturesFreedOrLeftAlone_data()
    {
        QTest::addColumn<bool>("ours");
        QTest::newRow("left by a setter before") << true;
        QTest::newRow("held by a running program") << false;
    }
    void earlierPicturesFreedOrLeftAlone()
    {
        QFETCH(bool, ours);
        fx.freshEnv();
        const QString bmp = fx.env->path("p.bmp");
        QVERIFY(halves({64, 64}, 0x102030, 0x405060).save(bmp, "BMP"));
        unsigned long earlier = 0;
        if (ours) {
            QVERIFY(Screen::setDesktopWallpaper(bmp, nullptr));
            earlier = XSession::rootPixmap("_XROOTPMAP_ID");
        } else {
            // The test's own connection stays open and holds this pixmap.
            earlier = XSession::holdRootPixmap("_XROOTPMAP_ID", {16, 16});
        }
        QVERIFY(earlier != 0);
        QVERIFY(XSession::pixmapSize(earlier).isValid());
        Screen::WallpaperReport report;
        QVERIFY2(Screen::setDesktopWallpaper(bmp, &report), qPrintable(report.text()));
        const unsigned long now = XSession::rootPixmap("_XROOTPMAP_ID");
        QVERIFY(now != earlier);
        QCOMPARE(XSession::pixmapSize(now), screenSize());
        QCOMPARE(XSession::pixmapSize(earlier).isValid(), !ours);
    }
};

PELLUM_XLANE_MAIN(TestXWallpaper)

#include "test_xwallpaper.moc"
