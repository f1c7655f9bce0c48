// The settings store and the program folder, on the real files of a temporary home.
#include "platform/programfolder.h"
#include "platform/settings.h"
#include "tests/support/testenv.h"

#include <QFile>
#include <QtTest>

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void roundTripLandsOnDisk()
    {
        TestEnv env;
        QCOMPARE(SettingsStore::filePath(), env.settingsFile());
        QCOMPARE(SettingsStore::GetSetting("start", "none"), QStringLiteral("none"));
        SettingsStore::SaveSetting("start", "form1");
        SettingsStore::SaveSetting("b0", "C:\\Music\\a b.mp3,12.5");
        SettingsStore::SaveFlag("cpp", true);
        const QByteArray disk = env.readFile(env.settingsFile());
        QVERIFY(disk.contains("[myplay]"));
        QVERIFY(disk.contains("cpp=True"));
        // A fresh reader of the same file sees what was written.
        SettingsStore::reset();
        QCOMPARE(SettingsStore::GetSetting("start"), QStringLiteral("form1"));
        QCOMPARE(SettingsStore::GetSetting("b0"), QStringLiteral("C:\\Music\\a b.mp3,12.5"));
        QVERIFY(SettingsStore::GetFlag("cpp"));
        QVERIFY(!SettingsStore::GetFlag("never-written"));
        // Nothing is deleted: clearing saves the empty text.
        SettingsStore::SaveSetting("start", QString());
        SettingsStore::reset();
        QCOMPARE(SettingsStore::GetSetting("start", "x"), QString());
    }

    void flagsAndNumbersFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("flag");
        QTest::addColumn<long long>("number");
        QTest::newRow("True") << "True" << true << 7LL;
        QTest::newRow("false lower") << "false" << false << 7LL;
        QTest::newRow("minus one") << "-1" << true << -1LL;
        QTest::newRow("zero") << "0" << false << 0LL;
        QTest::newRow("garbage") << "b@n@n@" << false << 7LL;
        QTest::newRow("decimal") << "12.0" << true << 12LL;
        QTest::newRow("blank") << "  5 " << true << 5LL;
        QTest::newRow("empty") << "" << false << 7LL;
    }
    void flagsAndNumbersFromText()
    {
        QFETCH(QString, text);
        QFETCH(bool, flag);
        QFETCH(long long, number);
        TestEnv env;
        SettingsStore::SaveSetting("k", text);
        QCOMPARE(SettingsStore::GetFlag("k"), flag);
        QCOMPARE(SettingsStore::GetNumber("k", 7), number);
    }

    void garbageFileReadsAsDefaults()
    {
        TestEnv env;
        QByteArray junk("\x00\xff\xfe[myplay\nuc=\x01\x02=\n=====\n[myplay]\nuc=banana\nshu=maybe\n", 52);
        junk += QByteArray(3000, '\xee');
        env.writeFile("config/zozid.ini", junk);
        SettingsStore::reset();
        QCOMPARE(SettingsStore::GetNumber("uc", 0), 0LL);
        QVERIFY(!SettingsStore::GetFlag("shu"));
        SettingsStore::SaveSetting("uc", "1");
        SettingsStore::reset();
        QCOMPARE(SettingsStore::GetNumber("uc", 0), 1LL);
    }

    void programFolderIsCreatedAndSeeded()
    {
        TestEnv env;
        qputenv("PELLUM_HOME", env.path("fresh/home/").toUtf8());
        ProgramFolder::reset();
        QCOMPARE(ProgramFolder::path(), env.path("fresh/home"));
        QVERIFY(QFile::exists(env.path("fresh/home/readme.txt")));
        QCOMPARE(ProgramFolder::file("afore.pellum"), env.path("fresh/home/afore.pellum"));

        // Without PELLUM_HOME: the per-user data folder.
        qunsetenv("PELLUM_HOME");
        ProgramFolder::reset();
        QCOMPARE(ProgramFolder::path(), env.path("data/PellumPlayer"));
        QVERIFY(QFile::exists(env.path("data/PellumPlayer/readme.txt")));
    }
};

QTEST_MAIN(SettingsTest)
#include "test_settings.moc"
