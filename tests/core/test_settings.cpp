// The settings store and the program folder, on the real files of a temporary home.
#include "platform/programfolder.h"
#include "platform/settings.h"
#include "tests/support/testenv.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <climits>
#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

// Runs `undo` when the scope ends, passed or failed.
struct Undo {
    std::function<void()> undo;
    ~Undo()
    {
        if (undo)
            undo();
    }
};

// Sets or clears the immutable attribute, which keeps even the superuser from changing a file.
bool setImmutable(const QString& path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

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
        QTest::newRow("largest") << "9223372036854775807" << true << LLONG_MAX;
        QTest::newRow("beyond the largest") << "99999999999999999999" << true << LLONG_MAX;
        QTest::newRow("below the smallest") << "-1e30" << true << LLONG_MIN;
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

    // A write that cannot reach the disk is told once, with the file and the reason; the value lives on in
    // memory and the old file stays as it was.
    void failedWriteIsToldOnceAndKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("reason");
        QTest::newRow("read-only file") << "read-only" << "read-only";
        QTest::newRow("folder in its place") << "folder" << "folder";
        QTest::newRow("full disk") << "full" << "No space left on device";
    }
    void failedWriteIsToldOnceAndKeepsTheOldFile()
    {
        QFETCH(QString, how);
        QFETCH(QString, reason);
        TestEnv env;
        const QString file = env.settingsFile();
        Undo undo;
        if (how == QLatin1String("full")) {
            // A 64 KiB disk of its own under the config folder, filled to the last block.
            if (::mount("tmpfs", QFile::encodeName(env.config()).constData(), "tmpfs", 0, "size=64k") != 0)
                QSKIP("mounting a small disk is not permitted here");
            undo.undo = [&env] { ::umount2(QFile::encodeName(env.config()).constData(), MNT_DETACH); };
        }
        if (how == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(file));
            env.writeFile(file + "/kept.txt", "mine");
        } else {
            SettingsStore::SaveSetting("uc", "3");
            SettingsStore::SaveSetting("start", "form1");
            SettingsStore::reset();
        }
        const QByteArray before = env.readFile(file);
        if (how == QLatin1String("read-only")) {
            QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
            if (::geteuid() == 0) {
                if (!setImmutable(file, true))
                    QSKIP("the superuser writes any file, and this file system cannot make one immutable");
                undo.undo = [file] { setImmutable(file, false); };
            }
        }
        if (how == QLatin1String("full")) {
            QFile filler(env.config() + "/filler");
            QVERIFY(filler.open(QIODevice::WriteOnly));
            const QByteArray block(4096, 'x');
            for (int i = 0; i < 64 && filler.write(block) == block.size() && filler.flush(); ++i) {
            }
        }

        QStringList told;
        SettingsStore::setFailureHandler([&told](const QString& f, const QString& why) { told << f << why; });
        SettingsStore::SaveSetting("uc", "4");
        SettingsStore::SaveFlag("shu", true);
        SettingsStore::setFailureHandler({});

        QCOMPARE(told.size(), 2);
        QCOMPARE(told[0], file);
        QVERIFY2(told[1].contains(reason), qPrintable(told[1]));
        QCOMPARE(SettingsStore::GetSetting("uc"), QStringLiteral("4"));
        QVERIFY(SettingsStore::GetFlag("shu"));
        if (how == QLatin1String("folder")) {
            QVERIFY(QFileInfo(file).isDir());
            QCOMPARE(env.readFile(file + "/kept.txt"), QByteArray("mine"));
        } else {
            QVERIFY(before.contains("uc=3"));
            QCOMPARE(env.readFile(file), before);
        }
        // No half-written file is left beside it.
        QCOMPARE(QDir(env.config()).entryList(QDir::Files | QDir::Hidden).filter("zozid").size(),
                 how == QLatin1String("folder") ? 0 : 1);
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
