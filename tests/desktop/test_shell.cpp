// The shell stand-in: which program would be started with which arguments (the desktop programs are
// fake executables on a test PATH), and one real start with an awkward file name.
#include "platform/desktop/shell.h"
#include "tests/support/testenv.h"

#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QUrl>
#include <QtTest>

class ShellTest : public QObject {
    Q_OBJECT
    TestEnv env;
    QByteArray oldPath;
    QList<QPair<QString, QStringList>> started;
    bool launcherResult = true;

    // A PATH holding only empty executables with these names.
    void fakePrograms(const QStringList& names)
    {
        const QString bin = env.path(QStringLiteral("bin-%1").arg(QRandomGenerator::global()->generate()));
        QDir().mkpath(bin);
        for (const QString& n : names) {
            const QString p = env.writeFile(QDir(env.root()).relativeFilePath(bin + '/' + n), "#!/bin/false\n");
            QFile::setPermissions(p, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("PATH", bin.toLocal8Bit());
    }

private slots:
    void initTestCase() { oldPath = qgetenv("PATH"); }
    void init()
    {
        started.clear();
        launcherResult = true;
        Shell::setLauncherForTests([this](const QString& program, const QStringList& args) {
            started.append({program, args});
            return launcherResult;
        });
    }
    void cleanup()
    {
        Shell::setLauncherForTests({});
        qputenv("PATH", oldPath);
    }

    void mixer_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::newRow("all") << QStringList{"kmix", "pavucontrol", "xfce4-mixer"} << "pavucontrol" << QStringList();
        QTest::newRow("qt one") << QStringList{"pavucontrol-qt", "kmix"} << "pavucontrol-qt" << QStringList();
        QTest::newRow("gnome") << QStringList{"gnome-control-center", "xfce4-mixer"} << "gnome-control-center" << QStringList{"sound"};
        QTest::newRow("gnome before the qt one") << QStringList{"pavucontrol-qt", "gnome-control-center"}
                                                 << "gnome-control-center" << QStringList{"sound"};
        QTest::newRow("kmix") << QStringList{"kmix", "xfce4-mixer"} << "kmix" << QStringList();
        QTest::newRow("xfce") << QStringList{"xfce4-mixer"} << "xfce4-mixer" << QStringList();
        QTest::newRow("terminal") << QStringList{"x-terminal-emulator", "alsamixer"} << "x-terminal-emulator"
                                  << QStringList{"-e", "alsamixer"};
    }
    void mixer()
    {
        QFETCH(QStringList, present);
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        fakePrograms(present);
        QVERIFY(Shell::startMixer());
        QCOMPARE(started.size(), 1);
        QCOMPARE(QFileInfo(started[0].first).fileName(), program);
        QVERIFY(QFileInfo(started[0].first).isAbsolute());
        QStringList got = started[0].second;
        for (QString& a : got)
            if (QFileInfo(a).isAbsolute())
                a = QFileInfo(a).fileName();
        QCOMPARE(got, args);
    }

    void noMixer_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::newRow("nothing") << QStringList();
        QTest::newRow("terminal without alsamixer") << QStringList{"x-terminal-emulator"};
    }
    void noMixer()
    {
        QFETCH(QStringList, present);
        fakePrograms(present);
        QTest::ignoreMessage(QtWarningMsg, "Shell: no volume mixer found");
        QVERIFY(!Shell::startMixer());
        QVERIFY(started.isEmpty());
    }

    void failedStartIsReported()
    {
        fakePrograms({"kmix"});
        launcherResult = false;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Shell: could not start .*/kmix$"));
        QVERIFY(!Shell::startMixer());
        QCOMPARE(started.size(), 1);
        const QString file = env.writeFile("f.txt", "x");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Shell: could not open .*f.txt$"));
        QVERIFY(!Shell::openDocument(file));
    }

    void textEditor_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("program");
        QTest::newRow("first") << QStringList{"leafpad", "gnome-text-editor", "kate"} << "gnome-text-editor";
        QTest::newRow("gedit") << QStringList{"gedit", "kate"} << "gedit";
        QTest::newRow("kate") << QStringList{"kate", "mousepad", "leafpad"} << "kate";
        QTest::newRow("pluma") << QStringList{"pluma", "xed"} << "pluma";
        QTest::newRow("featherpad") << QStringList{"featherpad", "leafpad"} << "featherpad";
        QTest::newRow("leafpad") << QStringList{"leafpad"} << "leafpad";
    }
    void textEditor()
    {
        QFETCH(QStringList, present);
        QFETCH(QString, program);
        fakePrograms(present);
        const QString file = env.writeFile("notes/-read me.txt", "x");
        QDir::setCurrent(env.path("notes"));
        QVERIFY(Shell::startTextEditor("-read me.txt", true));
        QCOMPARE(started.size(), 1);
        QCOMPARE(QFileInfo(started[0].first).fileName(), program);
        QCOMPARE(started[0].second, QStringList{file});  // absolute: never read as an option
    }

    void textEditorFallsBackToTheDefaultProgram()
    {
        fakePrograms({});
        const QString file = env.writeFile("a b.txt", "x");
        QVERIFY(Shell::startTextEditor(file));
        QCOMPARE(started.size(), 1);
        QCOMPARE(started[0].first, QString::fromLatin1(Shell::kOpenUrl));
        QCOMPARE(QUrl(started[0].second.value(0)).toLocalFile(), file);
    }

    void openDocument_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("url");  // what is opened
        const QString file = env.writeFile("docs/list #1 100%.txt", "x");
        QTest::newRow("file") << file << QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
        QTest::newRow("folder") << env.path("docs") << QUrl::fromLocalFile(env.path("docs")).toString(QUrl::FullyEncoded);
        QTest::newRow("http") << "http://example.org/a?b=c" << "http://example.org/a?b=c";
        QTest::newRow("https") << "https://example.org/x y" << "https://example.org/x%20y";
        QTest::newRow("mailto") << "mailto:someone@example.org" << "mailto:someone@example.org";
    }
    void openDocument()
    {
        QFETCH(QString, input);
        QFETCH(QString, url);
        QVERIFY(Shell::openDocument(input));
        QCOMPARE(started.size(), 1);
        QCOMPARE(started[0].first, QString::fromLatin1(Shell::kOpenUrl));
        QCOMPARE(started[0].second, QStringList{url});
    }

    void openFileManager()
    {
        QDir().mkpath(env.path("a folder"));
        QVERIFY(Shell::openFileManager(env.path("a folder")));
        QCOMPARE(started.value(0).second, QStringList{QUrl::fromLocalFile(env.path("a folder")).toString(QUrl::FullyEncoded)});
    }

    void openNothing_data()
    {
        QTest::addColumn<QString>("input");
        QTest::newRow("missing file") << env.path("no such file.txt");
        QTest::newRow("empty") << "";
        QTest::newRow("blank") << "   ";
    }
    void openNothing()
    {
        QFETCH(QString, input);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Shell: "));
        QVERIFY(!Shell::openDocument(input));
        QVERIFY(started.isEmpty());
    }

    // A real program started with an argument list: the name reaches it unchanged and nothing in it is
    // run.
    void oddFileNameReachesTheProgram()
    {
        Shell::setLauncherForTests({});
        const QString dir = env.path("odd");
        QDir().mkpath(dir);
        const QString name = QStringLiteral("-n a \"quoted\" 'single' $(touch injected) `touch tick`;\nline two");
        QDir::setCurrent(dir);
        QVERIFY(Shell::start("/usr/bin/touch", {"--", name}));
        QElapsedTimer t;
        t.start();
        while (!QFile::exists(dir + '/' + name) && t.elapsed() < 5000)
            QTest::qWait(20);
        QVERIFY(QFile::exists(dir + '/' + name));
        QCOMPARE(QDir(dir).entryList(QDir::Files), QStringList{name});  // nothing else was created
    }

    void missingProgramFails()
    {
        Shell::setLauncherForTests({});
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Shell: could not start"));
        QVERIFY(!Shell::start(env.path("no-such-program"), {}));
    }
};

QTEST_MAIN(ShellTest)
#include "test_shell.moc"
