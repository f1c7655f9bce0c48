// The screen stand-in: capture, the wallpaper folder, wallpaper refusals and the script string, and the
// desktop services reached on a private session bus: the real settings store (dconf) and stand-ins for
// the Plasma shell, xfconf and the screen saver, run by this program in a second process.
#include "platform/desktop/screen.h"
#include "platform/programfolder.h"
#include "tests/support/testenv.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusVariant>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>
#include <optional>

namespace {

// The second process: desktop services that write every call they get, one JSON array a line.
class CallLog {
public:
    static void write(const QJsonArray& call)
    {
        QFile f(qEnvironmentVariable("FAKE_DESKTOP_LOG"));
        if (f.open(QIODevice::Append))
            f.write(QJsonDocument(call).toJson(QJsonDocument::Compact) + '\n');
    }
};

class FakePlasma : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")
public slots:
    void evaluateScript(const QString& script) { CallLog::write({"evaluateScript", script}); }
};

class FakeXfconf : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.xfce.Xfconf")
public slots:
    QVariantMap GetAllProperties(const QString& channel, const QString& base)
    {
        CallLog::write({"GetAllProperties", channel, base});
        return {{"/backdrop/screen0/monitorHDMI-1/workspace0/last-image", "/old/a.png"},
                {"/backdrop/screen0/monitorHDMI-1/workspace0/image-style", 5},
                {"/backdrop/screen0/monitorDP-2/workspace0/last-image", "/old/b.png"}};
    }
    void SetProperty(const QString& channel, const QString& property, const QDBusVariant& value)
    {
        CallLog::write({"SetProperty", channel, property, value.variant().toString()});
    }
};

class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public slots:
    uint Inhibit(const QString& app, const QString& reason)
    {
        CallLog::write({"Inhibit", app, reason});
        return 4242;
    }
    void UnInhibit(uint cookie) { CallLog::write({"UnInhibit", qint64(cookie)}); }
};

int runFakeServices(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    FakePlasma plasma;
    FakeXfconf xfconf;
    FakeScreenSaver saver;
    const bool ok = bus.registerObject("/PlasmaShell", &plasma, QDBusConnection::ExportAllSlots)
        && bus.registerObject("/org/xfce/Xfconf", &xfconf, QDBusConnection::ExportAllSlots)
        && bus.registerObject("/org/freedesktop/ScreenSaver", &saver, QDBusConnection::ExportAllSlots)
        && bus.registerService("org.kde.plasmashell") && bus.registerService("org.xfce.Xfconf")
        && bus.registerService("org.freedesktop.ScreenSaver");
    if (!ok)
        return 1;
    return app.exec();
}

}  // namespace

class ScreenTest : public QObject {
    Q_OBJECT
    TestEnv env;
    QProcess fake;
    QString logPath;

    QList<QJsonArray> calls() const
    {
        QList<QJsonArray> out;
        QFile f(logPath);
        if (f.open(QIODevice::ReadOnly))
            for (const QByteArray& line : f.readAll().split('\n'))
                if (!line.isEmpty())
                    out << QJsonDocument::fromJson(line).array();
        return out;
    }
    QString bitmap(const QString& name)
    {
        QImage img(8, 8, QImage::Format_RGB32);
        img.fill(Qt::blue);
        const QString p = env.path(name);
        if (!img.save(p, "BMP"))
            qFatal("cannot write %s", qPrintable(p));
        return p;
    }
    // Set when main() runs the suite on a private session bus.
    static bool haveBus() { return qEnvironmentVariableIsSet("PELLUM_TEST_PRIVATE_BUS"); }

private slots:
    void initTestCase()
    {
        logPath = env.path("calls.log");
        qputenv("FAKE_DESKTOP_LOG", logPath.toUtf8());
        if (haveBus())
            QVERIFY(QDBusConnection::sessionBus().isConnected());
    }
    void cleanupTestCase()
    {
        fake.kill();
        fake.waitForFinished();
    }

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
        // Any other desktop gets the X root window's picture; offscreen there is no X for it.
        QTest::newRow("unknown desktop") << "Foo:Bar" << true << "the desktop \"Foo:Bar\" is not known here and the player is not shown on X";
        QTest::newRow("no desktop") << "" << true << "the desktop \"\" is not known here and the player is not shown on X";
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
        Screen::WallpaperReport how;
        QVERIFY(!Screen::setDesktopWallpaper(bmp, &how));
        QVERIFY2(how.text().contains(reason), qPrintable(how.text()));
        QVERIFY(!how.set());
        QVERIFY(!Screen::setDesktopWallpaper(bmp, nullptr));  // no text wanted: still no crash
    }

    // The texts come from the language in use; the names are put in after, in one pass, so a name
    // with a "%2" in it or a language that orders them otherwise still reads right.
    void wallpaperTextTranslated_data()
    {
        QTest::addColumn<QString>("translated");  // empty: the English text
        QTest::addColumn<QString>("expected");
        const QString schema = QStringLiteral("org.x %2 100%");
        QTest::newRow("English") << "" << "the settings schema " + schema + " has no key picture-%1";
        QTest::newRow("other order") << "Schlüssel %2 fehlt in %1" << "Schlüssel picture-%1 fehlt in " + schema;
        QTest::newRow("a name left out") << "Schlüssel fehlt (%3)" << "Schlüssel fehlt (%3)";
    }
    void wallpaperTextTranslated()
    {
        QFETCH(QString, translated);
        QFETCH(QString, expected);
        const Screen::WallpaperReport report{Screen::WallpaperOutcome::KeyMissing, {"org.x %2 100%", "picture-%1"}};
        QStringList asked;
        const auto translate = [&](const QString& key, const QString& english) {
            asked << key;
            return translated.isEmpty() ? english : translated;
        };
        QCOMPARE(report.text(translate), expected);
        QCOMPARE(asked, QStringList{report.key()});
        QVERIFY(!report.key().isEmpty());
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
    // The desktop's own settings store on the private bus: the wallpaper is written where a separate
    // program reads it back.
    void gnomeWallpaperThroughTheSettingsStore()
    {
        if (!haveBus())
            QSKIP("no dbus-daemon");
        if (qgetenv("GSETTINGS_BACKEND") == "memory")
            QSKIP("the settings store is switched off for this run");
        const QString gsettings = QStandardPaths::findExecutable("gsettings");
        QProcess list;
        list.start(gsettings, {"list-keys", "org.gnome.desktop.background"});
        if (gsettings.isEmpty() || !list.waitForFinished() || list.exitCode() != 0)
            QSKIP("the GNOME background settings are not installed");
        const QString bmp = bitmap("my wallpaper's.bmp");
        qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
        Screen::WallpaperReport how;
        QVERIFY2(Screen::setDesktopWallpaper(bmp, &how), qPrintable(how.text()));
        QVERIFY(how.text().contains("GSettings"));
        QProcess get;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("XDG_CONFIG_HOME", qEnvironmentVariable("PELLUM_TEST_BUS_CONFIG"));
        get.setProcessEnvironment(e);
        get.start(gsettings, {"get", "org.gnome.desktop.background", "picture-uri"});
        QVERIFY(get.waitForFinished());
        const QString stored = QString::fromUtf8(get.readAllStandardOutput()).trimmed();
        QVERIFY2(stored.contains(QUrl::fromLocalFile(bmp).toString(QUrl::FullyEncoded)), qPrintable(stored));
    }

    // Run with GSETTINGS_BACKEND=memory (a second ctest entry): a store that forgets is no success.
    void gsettingsWithoutAStore()
    {
        if (qgetenv("GSETTINGS_BACKEND") != "memory")
            QSKIP("only with GSETTINGS_BACKEND=memory");
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
        Screen::WallpaperReport how;
        QVERIFY(!Screen::setDesktopWallpaper(bitmap("w.bmp"), &how));
        QVERIFY2(how.text().contains("settings store is not available"), qPrintable(how.text()));
    }

    void servicesMissing_data()
    {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QString>("reason");
        QTest::newRow("KDE") << "KDE" << "Plasma shell did not take";
        QTest::newRow("Xfce") << "XFCE" << "Xfce settings could not be read";
    }
    void servicesMissing()
    {
        if (!haveBus())
            QSKIP("no dbus-daemon");
        QFETCH(QString, desktop);
        QFETCH(QString, reason);
        qputenv("XDG_CURRENT_DESKTOP", desktop.toUtf8());
        Screen::WallpaperReport how;
        QVERIFY(!Screen::setDesktopWallpaper(bitmap("w.bmp"), &how));
        QVERIFY2(how.text().contains(reason), qPrintable(how.text()));
        QVERIFY(!Screen::screenSaverInhibit(true));
    }

    void startFakeServices()
    {
        if (!haveBus())
            QSKIP("no dbus-daemon");
        fake.setProcessChannelMode(QProcess::ForwardedChannels);
        fake.start(QCoreApplication::applicationFilePath(), {"--fake-desktop-services"});
        QVERIFY(fake.waitForStarted());
        QDBusConnectionInterface* bi = QDBusConnection::sessionBus().interface();
        QTRY_VERIFY_WITH_TIMEOUT(bi->isServiceRegistered("org.freedesktop.ScreenSaver").value(), 5000);
    }

    void plasmaGetsAScript()
    {
        if (fake.state() != QProcess::Running)
            QSKIP("no fake services");
        QFile::remove(logPath);
        const QString bmp = bitmap("it's \"odd\" \\ here.bmp");
        qputenv("XDG_CURRENT_DESKTOP", "KDE");
        Screen::WallpaperReport how;
        QVERIFY2(Screen::setDesktopWallpaper(bmp, &how), qPrintable(how.text()));
        const auto log = calls();
        QCOMPARE(log.size(), 1);
        QCOMPARE(log[0][0].toString(), QString("evaluateScript"));
        const QString script = log[0][1].toString();
        const QString url = QUrl::fromLocalFile(bmp).toString(QUrl::FullyEncoded);
        QVERIFY(url.contains('\''));
        QString expected = url;
        expected.replace("'", "\\'");
        QVERIFY2(script.contains("d.writeConfig(\"Image\", \"" + expected + "\");"), qPrintable(script));
        QVERIFY(script.contains("desktops()"));
    }

    void xfceSetsEveryBackdrop()
    {
        if (fake.state() != QProcess::Running)
            QSKIP("no fake services");
        QFile::remove(logPath);
        const QString bmp = bitmap("x.bmp");
        qputenv("XDG_CURRENT_DESKTOP", "XFCE");
        Screen::WallpaperReport how;
        QVERIFY2(Screen::setDesktopWallpaper(bmp, &how), qPrintable(how.text()));
        QStringList sets;
        for (const QJsonArray& c : calls()) {
            if (c[0].toString() == "SetProperty") {
                QCOMPARE(c[1].toString(), QString("xfce4-desktop"));
                QCOMPARE(c[3].toString(), bmp);
                sets << c[2].toString();
            } else {
                QCOMPARE(c[0].toString(), QString("GetAllProperties"));
            }
        }
        sets.sort();
        QCOMPARE(sets, (QStringList{"/backdrop/screen0/monitorDP-2/workspace0/last-image",
                                    "/backdrop/screen0/monitorHDMI-1/workspace0/last-image"}));
    }

    void screenSaverInhibitAndRelease()
    {
        if (fake.state() != QProcess::Running)
            QSKIP("no fake services");
        QFile::remove(logPath);
        QVERIFY(Screen::screenSaverInhibit(true));
        QVERIFY(Screen::screenSaverInhibit(true));  // already held: no second call
        QVERIFY(Screen::screenSaverInhibit(false));
        QVERIFY(Screen::screenSaverInhibit(false));
        const auto log = calls();
        QCOMPARE(log.size(), 2);
        QCOMPARE(log[0][0].toString(), QString("Inhibit"));
        QCOMPARE(log[0][1].toString(), QString("PellumPlayer"));
        QCOMPARE(log[1][0].toString(), QString("UnInhibit"));
        QCOMPARE(log[1][1].toInteger(), 4242);
    }
};

int main(int argc, char** argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--fake-desktop-services") == 0)
        return runFakeServices(argc, argv);
    if (!qEnvironmentVariableIsSet("PELLUM_TEST_PRIVATE_BUS")) {
        // The suite runs again on a session bus of its own, which ends with it, so that nothing here
        // reaches the user's desktop. Without one, the bus tests are skipped and no bus is used.
        QCoreApplication probe(argc, argv);
        // The services the bus starts (the settings store among them) keep their settings here.
        QTemporaryDir busConfig;
        if (busConfig.isValid()) {
            // Without a private bus the suite runs here, in the surroundings it was given.
            const KeptVariables kept({"PELLUM_TEST_BUS_CONFIG", "XDG_CONFIG_HOME", "XDG_DATA_HOME"});
            qputenv("PELLUM_TEST_BUS_CONFIG", busConfig.path().toUtf8());
            qputenv("XDG_CONFIG_HOME", busConfig.path().toUtf8());
            qputenv("XDG_DATA_HOME", busConfig.path().toUtf8());
            const int code = rerunOnPrivateBus(argc, argv);
            if (code != -1)
                return code;
        }
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
    QApplication app(argc, argv);
    ScreenTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_screen.moc"
