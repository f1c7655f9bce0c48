// The settings store and the program folder, on the real files of a temporary home.
#include "platform/programfolder.h"
#include "platform/settings.h"
#include "tests/support/fifo.h"
#include "tests/support/smalldisk.h"
#include "tests/support/testenv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QtTest>
#include <climits>
#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <optional>
#include <sys/ioctl.h>
#include <sys/stat.h>
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

mode_t modeOf(const QString& path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : mode_t(-1);
}

// What QSettings itself reads from `bytes`, every key of every section, in a file of its own (QSettings
// keeps what it read of a file for as long as the file seems unchanged).
QVariantMap readByQSettings(const TestEnv& env, const QByteArray& bytes)
{
    static int n = 0;
    const QString path = env.writeFile(QStringLiteral("qsettings/%1.ini").arg(++n), bytes);
    QSettings ini(path, QSettings::IniFormat);
    QVariantMap all;
    for (const QString& key : ini.allKeys())
        all.insert(key, ini.value(key));
    return all;
}

// A stored value as the store's text, by the rule of GetSetting: a list keeps its text.
std::optional<QString> textOf(const QVariant& v)
{
    if (!v.isValid())
        return std::nullopt;
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QStringLiteral(", "));
    return v.toString();
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
        // The lock beside the file takes the last block, and the file's bytes find none.
        QTest::newRow("one block free") << "one block" << "No space left on device";
    }
    void failedWriteIsToldOnceAndKeepsTheOldFile()
    {
        QFETCH(QString, how);
        QFETCH(QString, reason);
        TestEnv env;
        const QString file = env.settingsFile();
        Undo undo;
        const bool full = how == QLatin1String("full") || how == QLatin1String("one block");
        std::optional<SmallDisk> disk;
        if (full) {
            // A 64 KiB disk of its own under the config folder.
            disk.emplace(env.config(), 64);
            if (!disk->mounted())
                QSKIP(qPrintable(disk->whyNot()));
        }
        if (how == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(file));
            env.writeFile(file + "/kept.txt", "mine");
        } else {
            // What a later start would miss: its count, a recent file, a bookmark, the password.
            SettingsStore::SaveSetting("uc", "3");
            SettingsStore::SaveSetting("start", "form1");
            SettingsStore::SaveSetting("f1", "/m/recent one.mp3");
            SettingsStore::SaveSetting("b0", "/m/marked.mp3");
            SettingsStore::SaveSetting("psw", "secret");
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
        if (full)
            QVERIFY(disk->fill(how == QLatin1String("full") ? 0 : 1));

        QStringList told;
        SettingsStore::setFailureHandler([&told](const QString& f, const QString& why) { told << f << why; });
        SettingsStore::SaveSetting("uc", "4");
        // Looked at before the next write, which would otherwise write the file whole again from memory.
        const QByteArray afterFirst = how == QLatin1String("folder") ? QByteArray() : env.readFile(file);
        SettingsStore::SaveFlag("shu", true);
        SettingsStore::setFailureHandler({});

        QCOMPARE(SettingsStore::GetSetting("uc"), QStringLiteral("4"));
        QVERIFY(SettingsStore::GetFlag("shu"));
        if (how == QLatin1String("folder")) {
            QVERIFY(QFileInfo(file).isDir());
            QCOMPARE(env.readFile(file + "/kept.txt"), QByteArray("mine"));
        } else {
            QVERIFY(before.contains("uc=3") && before.contains("psw=secret"));
            QCOMPARE(afterFirst, before);
            QCOMPARE(env.readFile(file), before);
            // A later start finds what was there.
            SettingsStore::reset();
            QCOMPARE(SettingsStore::GetSetting("uc"), QStringLiteral("3"));
            QCOMPARE(SettingsStore::GetSetting("b0"), QStringLiteral("/m/marked.mp3"));
            QCOMPARE(SettingsStore::GetSetting("psw"), QStringLiteral("secret"));
        }
        QCOMPARE(told.size(), 2);
        QCOMPARE(told[0], file);
        QVERIFY2(told[1].contains(reason), qPrintable(told[1]));
        // No half-written file is left beside it.
        QCOMPARE(QDir(env.config()).entryList(QDir::Files | QDir::Hidden).filter("zozid").size(),
                 how == QLatin1String("folder") ? 0 : 1);
    }

    // Any text is stored so that the store and QSettings both read it back as that text, whatever the
    // characters that the file's syntax gives a meaning to.
    void hostileValuesRoundTrip_data()
    {
        QTest::addColumn<QString>("value");
        const QList<QPair<const char*, QString>> values{
            {"comma and blank", "a, b"},
            {"comma", "a,b"},
            {"quotes", "\"quoted\" and \"more"},
            {"backslashes", "C:\\Music\\a b.mp3,12.5\\"},
            {"semicolon", "semi;colon"},
            {"equals", "x=y=z"},
            {"leading and trailing blanks", "  both  "},
            {"tabs", "\ttab\t"},
            {"only blanks", "   "},
            {"leading @", "@at"},
            {"two @", "@@two"},
            {"looks like no value", "@Invalid()"},
            {"looks like bytes", "@ByteArray(x)"},
            {"looks like a rectangle", "@Rect(1 2 3 4)"},
            {"non-ASCII", QString::fromUtf8("Grüße 日本 🎵 é")},
            {"CR LF inside", "line\r\nbreak\nand\rmore"},
            {"backslash before a line end", "x\\\ny"},
            {"control characters and hex digits", QString::fromUtf8("\x01" "1f\x1f" "ab")},
            {"NUL and digits", QString::fromLatin1("nul\0" "12", 6)},
            {"section header", "[myplay]"},
            {"comment", "; not a comment"},
            {"percent", "%41%U00E9"},
            {"hash", "#hash"},
            {"lone comma", ","},
            {"lone quote", "\""},
            {"empty", ""},
        };
        for (const auto& [name, value] : values)
            QTest::newRow(name) << value;
    }
    void hostileValuesRoundTrip()
    {
        QFETCH(QString, value);
        TestEnv env;
        // Another section, a comment and keys other programs wrote stay as they are.
        const QByteArray others = "; written by hand\n[General]\ntop=1\n[other]\nlist=a, b\nrect=@Rect(1 2 3 4)\n";
        env.writeFile("config/zozid.ini", others + "[myplay]\nuc=3\nb0=\"/m/a, b.mp3\"\n");
        const QVariantMap before = readByQSettings(env, env.readFile(env.settingsFile()));
        for (const char* key : {"k", "b1", "note1", "psw"})
            SettingsStore::SaveSetting(key, value);
        const QByteArray disk = env.readFile(env.settingsFile());
        QVERIFY(disk.startsWith(others));

        SettingsStore::reset();
        const QVariantMap after = readByQSettings(env, disk);
        for (const char* key : {"k", "b1", "note1", "psw"}) {
            QCOMPARE(SettingsStore::GetSetting(key, "missing"), value);
            const QVariant v = after.value(QStringLiteral("myplay/") + key);
            QCOMPARE(v.typeId(), int(QMetaType::QString));
            QCOMPARE(v.toString(), value);
        }
        for (auto it = before.constBegin(); it != before.constEnd(); ++it)
            QCOMPARE(after.value(it.key()), it.value());
        QCOMPARE(SettingsStore::GetSetting("uc"), QStringLiteral("3"));
        QCOMPARE(SettingsStore::GetSetting("b0"), QStringLiteral("/m/a, b.mp3"));
    }

    // A file written by hand, or by an earlier version through QSettings, reads as QSettings reads it;
    // written to, it keeps every other value as QSettings reads it.
    void readsAsQSettingsReads_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("plain") << QByteArray("[myplay]\nuc=3\nstart=form1\n");
        QTest::newRow("a list keeps its text") << QByteArray("[myplay]\nb0=a, b ,c  \nj=\"a, b\", c\n");
        QTest::newRow("escapes") << QByteArray("[myplay]\nk=a\\tb\\x41g\\101\\n\\\"q\\\"\\zz\\x\nj=\\x4a\\x\n");
        QTest::newRow("a backslash carries the line on") << QByteArray("[myplay]\nk=first \\\n  second\nj=2\n");
        QTest::newRow("quotes carry the line on") << QByteArray("[myplay]\nk=\"one\ntwo\"\nj=3\n");
        QTest::newRow("comments") << QByteArray("; top\n[myplay]\n;j=1\nk=v ; tail\n  ; indented\nq=\"a;b\"\n");
        QTest::newRow("CR LF and a byte-order mark") << QByteArray("\xEF\xBB\xBF[myplay]\r\nk=v\r\nj= w \r\n");
        QTest::newRow("escaped keys") << QByteArray("[myplay]\nu%63=7\n%U00E9t%E9=x\nk%=y\nj%zz=z\n");
        QTest::newRow("escaped section name") << QByteArray("[my%70lay]\nk=v\n");
        QTest::newRow("a section twice") << QByteArray("[myplay]\nk=1\nj=a\n[other]\nk=x\n[myplay]\nk=2\n");
        QTest::newRow("a key twice") << QByteArray("[myplay]\nk=1\nk=2\n");
        QTest::newRow("@ forms") << QByteArray("[myplay]\na=@Invalid()\nb=@ByteArray(bytes)\nc=@String(s)\nd=@@x\n"
                                               "e=@Rect(1 2 3 4)\nf=@x, y\ng=@@a, @@b\nh=@Size(1)\ni=@\n");
        QTest::newRow("blanks") << QByteArray("[myplay]\n  k  =   v w   \nq=\"  v  \"\nj=\\  \n");
        QTest::newRow("[General] and keys before any section")
            << QByteArray("k=top\n[General]\nmyplay\\uc=9\n[myplay]\nuc=1\n");
        QTest::newRow("a line without =") << QByteArray("[myplay]\njunk line\nk=v\n=nokey\n");
        QTest::newRow("not UTF-8") << QByteArray("[myplay]\nk=caf\xe9\nj=\xc3\n");
        QTest::newRow("a quote left open") << QByteArray("[myplay]\nk=\"open\nj=2\n");
        QTest::newRow("a quote left open at the end") << QByteArray("[myplay]\nk=1\nj=\"open");
        QTest::newRow("a backslash at the end") << QByteArray("[myplay]\nk=1\nj=end  \\");
        QTest::newRow("a quote left open and a backslash at the end") << QByteArray("[myplay]\nk=1\nj=\"open\\");
        QTest::newRow("empty value") << QByteArray("[myplay]\nk=\nj=\"\"\n");
        QTest::newRow("text after the section name") << QByteArray("[myplay] trailing\nk=v\n[myplay\nj=w\n");
        QTest::newRow("NUL") << QByteArray("[myplay]\nk=a\\0b\nj=\\0\n");
        // Values of other kinds, as QSettings writes them.
        QTemporaryDir dir;
        {
            QSettings ini(dir.filePath("kinds.ini"), QSettings::IniFormat);
            ini.setValue("myplay/k", QUrl("http://example.org/a b"));
            ini.setValue("myplay/j", QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC));
            ini.setValue("myplay/q", QByteArray("bytes\xff"));
            ini.setValue("myplay/uc", 7);
        }
        QFile kinds(dir.filePath("kinds.ini"));
        kinds.open(QIODevice::ReadOnly);
        QTest::newRow("other kinds") << kinds.readAll();
    }
    void readsAsQSettingsReads()
    {
        QFETCH(QByteArray, file);
        TestEnv env;
        env.writeFile("config/zozid.ini", file);
        SettingsStore::reset();
        const QVariantMap q = readByQSettings(env, file);
        QStringList keys{"k", "j", "q", "uc", "start", "b0", "a", "b", "c", "d", "e", "f", "g", "h", "i", "u", "missing"};
        for (const QString& key : q.keys())
            if (key.startsWith("myplay/") && key.size() > 7 && !key.mid(7).contains('/'))
                keys << key.mid(7);
        for (const QString& key : keys) {
            const std::optional<QString> expected = textOf(q.value("myplay/" + key));
            QCOMPARE(SettingsStore::GetSetting(key, "(missing)"), expected.value_or("(missing)"));
        }

        SettingsStore::SaveSetting("k", "changed");
        SettingsStore::SaveSetting("fresh", "new, text");
        const QVariantMap after = readByQSettings(env, env.readFile(env.settingsFile()));
        QCOMPARE(after.value("myplay/k"), QVariant("changed"));
        QCOMPARE(after.value("myplay/fresh"), QVariant("new, text"));
        for (auto it = q.constBegin(); it != q.constEnd(); ++it)
            if (it.key() != "myplay/k")
                QCOMPARE(after.value(it.key()), it.value());
        SettingsStore::reset();
        QCOMPARE(SettingsStore::GetSetting("k"), QStringLiteral("changed"));
        QCOMPARE(SettingsStore::GetSetting("fresh"), QStringLiteral("new, text"));
        for (const QString& key : keys)
            if (key != "k")
                QCOMPARE(SettingsStore::GetSetting(key, "(missing)"),
                         textOf(q.value("myplay/" + key)).value_or("(missing)"));
    }

    // A key written changes its own line: the rest of the file stays byte for byte, comments and all.
    void onlyTheKeysLineChanges()
    {
        TestEnv env;
        const QByteArray head = "; mine\r\n[other]\r\nx = \"kept\" ; as is\r\n[myplay]\r\nstart=form1\r\nuc=3\r\n";
        const QByteArray tail = "psw=secret\r\n\r\n[last]\r\ny=1";
        env.writeFile("config/zozid.ini", head + tail);
        SettingsStore::reset();
        SettingsStore::SaveSetting("uc", "4");
        QCOMPARE(env.readFile(env.settingsFile()), QByteArray(head).replace("uc=3", "uc=4") + tail);
        SettingsStore::SaveSetting("new", "a, b");
        QCOMPARE(env.readFile(env.settingsFile()),
                 QByteArray(head).replace("uc=3", "uc=4") + "psw=secret\r\nnew=\"a, b\"\r\n\r\n[last]\r\ny=1");
    }

    // The file holds the screen saver's password: it is its owner's alone, from its first write on.
    void onlyItsOwnerMayReadIt()
    {
        TestEnv env;
        const mode_t mask = ::umask(022);
        SettingsStore::SaveSetting("psw", "secret");
        ::umask(mask);
        QCOMPARE(int(modeOf(env.settingsFile())), 0600);
        // A file that others could read is narrowed at the next write.
        QVERIFY(::chmod(QFile::encodeName(env.settingsFile()).constData(), 0644) == 0);
        SettingsStore::SaveSetting("uc", "1");
        QCOMPARE(int(modeOf(env.settingsFile())), 0600);
        SettingsStore::reset();
        QCOMPARE(SettingsStore::GetSetting("psw"), QStringLiteral("secret"));
    }

    // A named pipe in the file's place is neither waited on nor replaced.
    void aPipeInItsPlace()
    {
        TestEnv env;
        QVERIFY(makeFifo(env.settingsFile()));
        QStringList told;
        SettingsStore::setFailureHandler([&told](const QString& f, const QString& why) { told << f << why; });
        QElapsedTimer t;
        t.start();
        QCOMPARE(SettingsStore::GetSetting("uc", "none"), QStringLiteral("none"));
        SettingsStore::SaveSetting("uc", "1");
        SettingsStore::setFailureHandler({});
        QVERIFY(t.elapsed() < 2000);
        QCOMPARE(told, (QStringList{env.settingsFile(), "it is not a regular file"}));
        QVERIFY(QFileInfo(env.settingsFile()).exists() && !QFileInfo(env.settingsFile()).isFile());
        QCOMPARE(SettingsStore::GetSetting("uc"), QStringLiteral("1"));
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
