// Decoding and splitting text files, writing them whole, and the profile rules of language files.
#include "platform/profile.h"
#include "platform/textfile.h"
#include "tests/support/testenv.h"

#include <QDir>
#include <QRandomGenerator>
#include <QtTest>
#include <cstdio>

class TextFilesTest : public QObject {
    Q_OBJECT
private slots:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("utf-8") << QByteArray("Caf\xc3\xa9 \xe6\x97\xa5") << QString::fromUtf8("Café 日");
        QTest::newRow("utf-8 bom") << QByteArray("\xef\xbb\xbfok") << QStringLiteral("ok");
        QTest::newRow("cp1252") << QByteArray("Caf\xe9 \x80 \x93x\x94") << QString::fromUtf8("Café € “x”");
        QTest::newRow("undefined cp1252 byte kept") << QByteArray("a\x81z\xff") << QString::fromUtf8("a\u0081zÿ");
        QTest::newRow("utf-16 le") << QByteArray("\xff\xfeh\0i\0", 6) << QStringLiteral("hi");
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(TextFile::decode(bytes), text);
    }

    void splitLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("crlf") << "a\r\nb\r\n" << QStringList{"a", "b"};
        QTest::newRow("cr only") << "a\rb\r" << QStringList{"a", "b"};
        QTest::newRow("lf only") << "a\nb" << QStringList{"a", "b"};
        QTest::newRow("no last end") << "a\r\nb" << QStringList{"a", "b"};
        QTest::newRow("empty lines kept") << "a\r\n\r\nb\r\n" << QStringList{"a", "", "b"};
        QTest::newRow("empty") << "" << QStringList{};
    }
    void splitLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(TextFile::splitLines(text), lines);
    }

    void writeIsWholeUtf8WithCrLf()
    {
        TestEnv env;
        const QString path = env.path("out.pellum");
        QVERIFY(TextFile::writeLines(path, {QString::fromUtf8("/m/é.mp3"), "b"}));
        QCOMPARE(env.readFile(path), QByteArray("/m/\xc3\xa9.mp3\r\nb\r\n"));
        QVERIFY(TextFile::writeLines(path, {}));
        QCOMPARE(env.readFile(path), QByteArray());
        // No temporary file is left beside it.
        QCOMPARE(QDir(env.root()).entryList(QDir::Files), QStringList{"out.pellum"});
        QVERIFY(!TextFile::writeLines(env.path("no/such/folder/x"), {"a"}));
    }

    void profileRules_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("count");
        const QByteArray base = "[other]\r\nonly=elsewhere\r\n[Language]\r\n  File = Datei \r\nempty=\r\n"
                                "quoted=\"  spaced  \"\r\nlong=" + QByteArray(120, 'x') + "\r\n";
        QTest::newRow("value, key case ignored") << base << "file" << "Datei" << 5;
        QTest::newRow("empty value copies nothing") << base << "empty" << "" << 0;
        QTest::newRow("120 characters cut to 99") << base << "long" << QString(99, 'x') << 99;
        QTest::newRow("key of another section") << base << "only" << "Def" << 3;
        QTest::newRow("missing key") << base << "nope" << "Def" << 3;
        QTest::newRow("quotes dropped") << base << "quoted" << "  spaced  " << 10;
        QTest::newRow("legacy code page") << QByteArray("[language]\nplay=Abspielen \xfc\x80\n") << "play"
                                          << QString::fromUtf8("Abspielen ü€") << 12;
    }
    void profileRules()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QFETCH(int, count);
        TestEnv env;
        const QString path = env.writeFile("lang.ini", file);
        QString out;
        QCOMPARE(Profile::GetPrivateProfileString("language", key, "Def", 100, path, &out), count);
        QCOMPARE(out, expected);
    }

    void profileWithoutAFile()
    {
        TestEnv env;
        QString out;
        const QString longDefault(150, 'd');
        QCOMPARE(Profile::GetPrivateProfileString("language", "k", "Def", 100, env.path("missing.ini"), &out), 3);
        QCOMPARE(out, QStringLiteral("Def"));
        QCOMPARE(Profile::GetPrivateProfileString("language", "k", longDefault, 100, env.home() + "/", &out), 99);
        QCOMPARE(Profile::GetPrivateProfileString("language", "k", "Def", 100, QString(), &out), 3);
    }

    // A file is kept after its first read, yet a change on disk is seen at the next lookup.
    void profileSeesChangesOnDisk_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("expected");
        QTest::newRow("longer text") << "longer" << "Wiedergabe";
        QTest::newRow("same size, later time") << "same size" << "Spiele";
        QTest::newRow("same size and time, another file renamed over it") << "renamed" << "Spiele";
        QTest::newRow("removed") << "removed" << "Def";
        QTest::newRow("a folder in its place") << "folder" << "Def";
        QTest::newRow("another path") << "other path" << "Jouer";
    }
    void profileSeesChangesOnDisk()
    {
        QFETCH(QString, change);
        QFETCH(QString, expected);
        TestEnv env;
        const QDateTime then = QDateTime::currentDateTime().addSecs(-3600);
        auto write = [&env, then](const QString& name, const QByteArray& bytes) {
            const QString path = env.writeFile(name, bytes);
            QFile f(path);
            f.open(QIODevice::ReadWrite);
            f.setFileTime(then, QFileDevice::FileModificationTime);
            return path;
        };
        QString path = write("lang.ini", "[language]\r\nplay=Spielt\r\n");
        QString out;
        QCOMPARE(Profile::GetPrivateProfileString("language", "play", "Def", 100, path, &out), 6);
        QCOMPARE(out, QStringLiteral("Spielt"));
        const quint64 parses = Profile::parseCount();
        QCOMPARE(Profile::GetPrivateProfileString("language", "PLAY", "Def", 100, path, &out), 6);
        QCOMPARE(Profile::parseCount(), parses);

        if (change == QLatin1String("longer")) {
            env.writeFile("lang.ini", "[language]\r\nplay=Wiedergabe\r\n");
        } else if (change == QLatin1String("same size")) {
            env.writeFile("lang.ini", "[language]\r\nplay=Spiele\r\n");
        } else if (change == QLatin1String("renamed")) {
            const QString other = write("other.ini", "[language]\r\nplay=Spiele\r\n");
            QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()) == 0);
        } else if (change == QLatin1String("removed")) {
            QVERIFY(QFile::remove(path));
        } else if (change == QLatin1String("folder")) {
            QVERIFY(QFile::remove(path));
            QVERIFY(QDir().mkpath(path));
        } else {
            path = write("french.ini", "[language]\r\nplay=Jouer\r\n");
        }
        Profile::GetPrivateProfileString("language", "play", "Def", 100, path, &out);
        QCOMPARE(out, expected);
    }

    void binaryFileIsHarmless()
    {
        TestEnv env;
        QByteArray junk(64 * 1024, '\0');
        for (char& c : junk)
            c = char(QRandomGenerator::global()->bounded(256));
        junk.insert(1000, "\n[language]\nfile=Fichier\n");
        const QString path = env.writeFile("binary.ini", junk);
        QString out;
        Profile::GetPrivateProfileString("language", "play", "Play", 100, path, &out);
        QCOMPARE(out, QStringLiteral("Play"));
        Profile::GetPrivateProfileString("language", "file", "File", 100, path, &out);
        QCOMPARE(out, QStringLiteral("Fichier"));
    }
};

QTEST_MAIN(TextFilesTest)
#include "test_textfiles.moc"
