// The screen stand-in: capture, the wallpaper folder, wallpaper refusals and the script string.
#include "platform/desktop/screen.h"
#include "platform/programfolder.h"
#include "tests/support/testenv.h"

#include <QtTest>

class ScreenTest : public QObject {
    Q_OBJECT
    TestEnv env;

private slots:
    void captureGivesAPicture()
    {
        const QPixmap p = Screen::captureScreen();
        QVERIFY(!p.isNull());
        QVERIFY(p.width() > 0 && p.height() > 0);
    }

    void wallpaperFolderIsTheProgramFolder()
    {
        ProgramFolder::reset();
        QCOMPARE(Screen::windowsFolder(), ProgramFolder::path());
        QCOMPARE(QFileInfo(Screen::windowsFolder()).canonicalFilePath(), QFileInfo(env.home()).canonicalFilePath());
    }

    void wallpaperRefused_data()
    {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<bool>("writeBitmap");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unknown desktop") << "Foo:Bar" << true << "\"Foo:Bar\" is not one";
        QTest::newRow("no desktop") << "" << true << "not known";
        QTest::newRow("missing bitmap") << "GNOME" << false << "does not exist";
    }
    void wallpaperRefused()
    {
        QFETCH(QString, desktop);
        QFETCH(bool, writeBitmap);
        QFETCH(QString, reason);
        const QString bmp = env.path("Wallpaper.bmp");
        QFile::remove(bmp);
        if (writeBitmap) {
            QImage img(8, 8, QImage::Format_RGB32);
            img.fill(Qt::red);
            QVERIFY(img.save(bmp, "BMP"));
        }
        qputenv("XDG_CURRENT_DESKTOP", desktop.toUtf8());
        QString how;
        QVERIFY(!Screen::setDesktopWallpaper(bmp, &how));
        QVERIFY2(how.contains(reason), qPrintable(how));
        QVERIFY(!Screen::setDesktopWallpaper(bmp, nullptr));  // no text wanted: still no crash
    }

    void jsString_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("plain") << "file:///home/u/Wallpaper.bmp" << "\"file:///home/u/Wallpaper.bmp\"";
        QTest::newRow("empty") << "" << "\"\"";
        QTest::newRow("quotes") << "a\"b'c" << "\"a\\\"b\\'c\"";
        QTest::newRow("backslash") << "a\\\"); evil(); (\"" << "\"a\\\\\\\"); evil(); (\\\"\"";
        QTest::newRow("line ends") << "a\nb\rc\td" << "\"a\\nb\\rc\\td\"";
        QTest::newRow("js line separators") << QString::fromUtf8("a\u2028b\u2029c") << "\"a\\u2028b\\u2029c\"";
        QTest::newRow("control") << QString::fromLatin1("a\x01\x1f\x7f", 4) << "\"a\\u0001\\u001f\\u007f\"";
        QTest::newRow("nul") << QString(QChar(0)) << "\"\\u0000\"";
        QTest::newRow("script end") << "</script>" << "\"\\u003c/script>\"";
        QTest::newRow("non-ascii kept") << QString::fromUtf8("Bild für 壁纸") << QString::fromUtf8("\"Bild für 壁纸\"");
    }
    void jsString()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(Screen::jsStringLiteral(in), out);
    }
};

QTEST_MAIN(ScreenTest)
#include "test_screen.moc"
