// Decoding and splitting text files, writing them whole, the profile rules of language files, and the
// names of files in other bytes than UTF-8.
#include "platform/folderentries.h"
#include "platform/profile.h"
#include "platform/textfile.h"
#include "platform/wholefile.h"
#include "tests/support/fifo.h"
#include "tests/support/smalldisk.h"
#include "tests/support/testenv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtTest>
#include <cstdio>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray rowsOf(int count)
{
    QByteArray b;
    for (int i = 0; i < count; ++i)
        b += "/home/user/Music/track " + QByteArray::number(i) + ".mp3\r\n";
    return b;
}

mode_t modeOf(const QString& path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : mode_t(-1);
}

// Writes `contents` to the file of the raw name `path`, making its folders when missing.
bool writeRaw(const QByteArray& path, const QByteArray& contents)
{
    for (qsizetype at = path.indexOf('/', 1); at > 0; at = path.indexOf('/', at + 1))
        ::mkdir(path.left(at).constData(), 0755);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, contents.constData(), size_t(contents.size())) == ssize_t(contents.size());
    return ::close(fd) == 0 && ok;
}

// Removes what is below `root`, names QDir cannot spell included.
void removeBelow(const QByteArray& root)
{
    ::nftw(
        root.constData(),
        [](const char* path, const struct stat*, int, struct FTW* at) { return at->level > 0 ? ::remove(path) : 0; },
        16, FTW_DEPTH | FTW_PHYS);
}

}  // namespace

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

    // A write that finds no room fails, says why, and leaves the file there before as it was, whether it
    // is a list of three rows that fails when its bytes are flushed or a large one that fails at once.
    void fullDiskKeepsTheOldFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("freeBlocks");
        QTest::addColumn<bool>("later");
        QTest::newRow("3 rows, no block free") << rowsOf(3) << 0 << false;
        QTest::newRow("3 rows, no block free, in the background") << rowsOf(3) << 0 << true;
        QTest::newRow("200 rows, one block free") << rowsOf(200) << 1 << false;
        QTest::newRow("200 rows, one block free, in the background") << rowsOf(200) << 1 << true;
        QTest::newRow("1 MiB, no block free") << QByteArray(1 << 20, 'x') << 0 << false;
    }
    void fullDiskKeepsTheOldFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, freeBlocks);
        QFETCH(bool, later);
        TestEnv env;
        SmallDisk disk(env.path("disk"), 2048);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.whyNot()));
        QVERIFY(bytes.size() > (freeBlocks ? SmallDisk::BlockSize : 0));
        const QByteArray before = "/m/old one.mp3\r\n/m/old two.mp3\r\n";
        const QString path = env.writeFile("disk/afore.pellum", before);
        QVERIFY(disk.fill(freeBlocks));

        bool written = true;
        QString error;
        if (later) {
            bool heard = false;
            TextFile::writeWholeLater(path, bytes, [&](bool ok, const QString& why) {
                heard = true;
                written = ok;
                error = why;
            });
            QVERIFY(waitFor([&] { return heard; }));
        } else {
            written = TextFile::writeWhole(path, bytes, &error);
        }
        QVERIFY(!written);
        QCOMPARE(error, QStringLiteral("No space left on device"));
        QCOMPARE(env.readFile(path), before);
        QCOMPARE(QDir(env.path("disk")).entryList(QDir::Files | QDir::Hidden), (QStringList{".filler", "afore.pellum"}));

        // With room again the same write lands.
        disk.drain();
        QVERIFY(TextFile::writeWhole(path, bytes, &error));
        QCOMPARE(env.readFile(path), bytes);
    }

    // Of several writes of one file in the background, only the last one asked for is heard of; a write
    // asked for while the window waits makes the earlier ones' outcome moot too.
    void backgroundOutcomeIsTheLatest()
    {
        TestEnv env;
        const QString path = env.path("list.pellum");
        QStringList heard;
        for (int i = 0; i < 3; ++i)
            TextFile::writeWholeLater(path, rowsOf(i + 1), [&heard, i](bool ok, const QString&) {
                heard << QString::number(i) + (ok ? "+" : "-");
            });
        QVERIFY(waitFor([&] { return !heard.isEmpty(); }));
        QTest::qWait(50);
        QCOMPARE(heard, QStringList{"2+"});
        QCOMPARE(env.readFile(path), rowsOf(3));
        heard.clear();
        TextFile::writeWholeLater(path, rowsOf(4), [&heard](bool, const QString&) { heard << "later"; });
        QVERIFY(TextFile::writeWhole(path, rowsOf(5)));
        QTest::qWait(50);
        QCoreApplication::processEvents();
        QCOMPARE(heard, QStringList());
        QCOMPARE(env.readFile(path), rowsOf(5));
    }

    // A file that is replaced keeps who may read it; a new one gets the usual permissions, or its
    // owner's alone when asked; asking so of a file there narrows it.
    void permissions_data()
    {
        QTest::addColumn<int>("before");  // -1: no file there
        QTest::addColumn<bool>("ownerOnly");
        QTest::addColumn<int>("after");
        QTest::newRow("new file") << -1 << false << 0644;
        QTest::newRow("new file, owner only") << -1 << true << 0600;
        QTest::newRow("group may read") << 0640 << false << 0640;
        QTest::newRow("everyone may write") << 0666 << false << 0666;
        QTest::newRow("narrowed to its owner") << 0644 << true << 0600;
        QTest::newRow("owner only already") << 0600 << true << 0600;
    }
    void permissions()
    {
        QFETCH(int, before);
        QFETCH(bool, ownerOnly);
        QFETCH(int, after);
        TestEnv env;
        const mode_t mask = ::umask(022);
        const QString path = env.path("file");
        if (before >= 0) {
            env.writeFile("file", "old");
            QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(before)) == 0);
        }
        const bool written =
            WholeFile::write(path, "new", nullptr, ownerOnly ? WholeFile::Access::OwnerOnly : WholeFile::Access::Usual);
        ::umask(mask);
        QVERIFY(written);
        QCOMPARE(env.readFile(path), QByteArray("new"));
        QCOMPARE(int(modeOf(path)), after);
    }

    // What stands in the file's place and is not a file is never replaced; a link is written through.
    void whatIsNotAFileIsLeftAlone_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a folder") << "folder" << "a folder of that name stands in its place";
        QTest::newRow("a named pipe") << "fifo" << "it is not a regular file";
        QTest::newRow("no folder to hold it") << "no folder" << "does not exist";
    }
    void whatIsNotAFileIsLeftAlone()
    {
        QFETCH(QString, what);
        QFETCH(QString, reason);
        TestEnv env;
        QString path = env.path("x.pellum");
        if (what == QLatin1String("folder"))
            env.writeFile("x.pellum/kept", "mine");
        else if (what == QLatin1String("fifo"))
            QVERIFY(makeFifo(path));
        else
            path = env.path("none/x.pellum");
        QString error;
        QVERIFY(!TextFile::writeLines(path, {"/m/a.mp3"}, nullptr, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        if (what == QLatin1String("folder"))
            QCOMPARE(env.readFile(path + "/kept"), QByteArray("mine"));
        if (what == QLatin1String("fifo"))
            QVERIFY(isFifo(path));
        QCOMPARE(QDir(env.root()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void aLinkStaysALink()
    {
        TestEnv env;
        const QString target = env.writeFile("real/list.pellum", "old\r\n");
        const QString link = env.path("list.pellum");
        QVERIFY(QFile::link(target, link));
        QVERIFY(TextFile::writeLines(link, {"new"}));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(env.readFile(target), QByteArray("new\r\n"));
    }

    // A name that is a named pipe, a device or a folder reads as a file that cannot be read, at once.
    void readersNeverWait_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("named pipe") << "fifo";
        QTest::newRow("device") << "device";
        QTest::newRow("folder") << "folder";
    }
    void readersNeverWait()
    {
        QFETCH(QString, what);
        TestEnv env;
        QString path = env.path("x.pellum");
        if (what == QLatin1String("fifo"))
            QVERIFY(makeFifo(path));
        else if (what == QLatin1String("device"))
            path = QStringLiteral("/dev/null");
        else
            QVERIFY(QDir().mkpath(path));
        bool linesRead = true, textRead = true;
        QStringList lines{"before"};
        QString text = "before";
        QVERIFY(msTakenBeside(path, [&] { linesRead = TextFile::readLines(path, &lines); }) < 2000);
        QVERIFY(msTakenBeside(path, [&] { textRead = TextFile::read(path, &text); }) < 2000);
        QVERIFY(!linesRead && !textRead);
        QVERIFY(lines.isEmpty() && text.isEmpty());
        QString out;
        QVERIFY(msTakenBeside(path, [&] {
                    Profile::GetPrivateProfileString("language", "play", "Play", 100, path, &out);
                }) < 2000);
        QCOMPARE(out, QStringLiteral("Play"));
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

    // --- names of files ---

    // A path kept as text (a setting, a list in UTF-8) finds the file whose name has other bytes than its
    // UTF-8, in a run that never listed it: the file opened is that one.
    void aNameKeptAsTextFindsItsFile_data()
    {
        QTest::addColumn<QByteArrayList>("onDisk");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QByteArray>("found");
        QTest::newRow("latin-1") << QByteArrayList{"caf\xe9.wav"} << QString::fromUtf8("café.wav") << QByteArray("caf\xe9.wav");
        QTest::newRow("latin-1 folder and file") << QByteArrayList{"\xe9t\xe9/caf\xe9.wav"} << QString::fromUtf8("été/café.wav")
                                                 << QByteArray("\xe9t\xe9/caf\xe9.wav");
        QTest::newRow("utf-8 folder, latin-1 file") << QByteArrayList{"\xc3\xa9t\xc3\xa9/caf\xe9.wav"}
                                                    << QString::fromUtf8("été/café.wav")
                                                    << QByteArray("\xc3\xa9t\xc3\xa9/caf\xe9.wav");
        QTest::newRow("latin-1 folder, utf-8 file") << QByteArrayList{"\xe9t\xe9/caf\xc3\xa9.wav"}
                                                    << QString::fromUtf8("été/café.wav")
                                                    << QByteArray("\xe9t\xe9/caf\xc3\xa9.wav");
        QTest::newRow("broken utf-8") << QByteArrayList{"bad\xc3(seq.wav"} << QString::fromUtf8("badÃ(seq.wav")
                                      << QByteArray("bad\xc3(seq.wav");
        QTest::newRow("code-page letters") << QByteArrayList{"\x80 \x99.wav"} << QString::fromUtf8("€ ™.wav")
                                           << QByteArray("\x80 \x99.wav");
        QTest::newRow("bytes the code page leaves undefined")
            << QByteArrayList{"\x81\x8d\x8f\x90\x9d.wav"} << QString::fromUtf8("\u0081\u008d\u008f\u0090\u009d.wav")
            << QByteArray("\x81\x8d\x8f\x90\x9d.wav");
        QTest::newRow("utf-8") << QByteArrayList{"caf\xc3\xa9.wav"} << QString::fromUtf8("café.wav") << QByteArray("caf\xc3\xa9.wav");
        QTest::newRow("both: utf-8 first") << QByteArrayList{"caf\xe9.wav", "caf\xc3\xa9.wav"} << QString::fromUtf8("café.wav")
                                           << QByteArray("caf\xc3\xa9.wav");
        QTest::newRow("beyond the code page") << QByteArrayList{"\xe6\x97\xa5.wav"} << QString::fromUtf8("日.wav")
                                              << QByteArray("\xe6\x97\xa5.wav");
        QTest::newRow("ascii") << QByteArrayList{"plain.wav"} << QStringLiteral("plain.wav") << QByteArray("plain.wav");
        QTest::newRow("no such file: its utf-8") << QByteArrayList{} << QString::fromUtf8("café.wav") << QByteArray("caf\xc3\xa9.wav");
    }
    void aNameKeptAsTextFindsItsFile()
    {
        QFETCH(QByteArrayList, onDisk);
        QFETCH(QString, asked);
        QFETCH(QByteArray, found);
        TestEnv env;
        TextFile::forgetNames();
        const QByteArray root = QFile::encodeName(env.root()) + '/';
        for (const QByteArray& name : onDisk)
            QVERIFY(writeRaw(root + name, name));
        const QString path = env.root() + '/' + asked;
        QCOMPARE(TextFile::nativePath(path), root + found);
        QFile f;
        QCOMPARE(TextFile::openForReading(f, path), !onDisk.isEmpty());
        if (!onDisk.isEmpty())
            QCOMPARE(f.readAll(), found);  // the file of those bytes, not another
        f.close();
        QCOMPARE(TextFile::exists(path), !onDisk.isEmpty());
        QCOMPARE(TextFile::fileSize(path), onDisk.isEmpty() ? qint64(-1) : qint64(found.size()));
        QCOMPARE(TextFile::remove(path), !onDisk.isEmpty());
        QVERIFY(!onDisk.isEmpty() || !TextFile::isFolder(path));
        removeBelow(root);
    }

    // A pipe whose name is not UTF-8 is opened without waiting for a writer.
    void aPipeOfSuchANameIsNotWaitedOn()
    {
        TestEnv env;
        const QByteArray pipe = QFile::encodeName(env.root()) + "/caf\xe9.pls";
        QVERIFY(::mkfifo(pipe.constData(), 0644) == 0);
        QElapsedTimer clock;
        clock.start();
        QStringList lines{"before"};
        TextFile::readLines(env.root() + QString::fromUtf8("/café.pls"), &lines);
        QVERIFY(lines.isEmpty());
        QVERIFY(clock.elapsed() < 2000);
        ::unlink(pipe.constData());
    }

    // A folder's entries are listed whatever their bytes, each as the text it is shown by, and each path
    // listed opens the file listed.
    void aFolderListsEveryName()
    {
        TestEnv env;
        TextFile::forgetNames();
        const QByteArray root = QFile::encodeName(env.path("t")) + '/';
        const QByteArrayList files{"caf\xe9.txt", "bad\xc3(.txt", "\xc3\xbc" "ber.txt", "plain.txt", ".hidden",
                                   "\xe9t\xe9/inner.txt", ".dot/x.txt"};
        for (const QByteArray& name : files)
            QVERIFY(writeRaw(root + name, name));
        QVERIFY(::symlink("caf\xe9.txt", (root + "link.txt").constData()) == 0);
        QVERIFY(::symlink("gone.txt", (root + "dangling.txt").constData()) == 0);
        QVERIFY(::symlink("\xe9t\xe9", (root + "\xe9t\xe9 link").constData()) == 0);
        QVERIFY(::mkfifo((root + "pipe.txt").constData(), 0644) == 0);
        const QString folder = env.path("t");
        // Files only (links to files too), in name order; hidden ones only when asked for.
        const QStringList names = FolderEntries::files(folder, {}, FolderEntries::Hidden::Listed);
        QCOMPARE(names, (QStringList{".hidden", QString::fromUtf8("badÃ(.txt"), QString::fromUtf8("café.txt"), "link.txt",
                                     "plain.txt", QString::fromUtf8("über.txt")}));
        QCOMPARE(FolderEntries::files(folder), names.mid(1));
        QCOMPARE(FolderEntries::files(folder, {"*hidden*"}), QStringList());
        for (const QString& name : names) {
            QFile f;
            QVERIFY2(TextFile::openForReading(f, folder + '/' + name), qPrintable(name));
            QCOMPARE(TextFile::nameText(f.readAll()), name == "link.txt" ? QString::fromUtf8("café.txt") : name);
        }
        QCOMPARE(FolderEntries::files(folder, {"*.TXT", "p*"}), (QStringList{QString::fromUtf8("badÃ(.txt"),
                 QString::fromUtf8("café.txt"), "link.txt", "plain.txt", QString::fromUtf8("über.txt")}));
        // Folders (links to folders too), hidden ones left out.
        QCOMPARE(FolderEntries::folders(folder), (QStringList{QString::fromUtf8("été"), QString::fromUtf8("été link")}));
        QCOMPARE(FolderEntries::files(folder + QString::fromUtf8("/été")), QStringList{"inner.txt"});
        QFile inner;
        QVERIFY(TextFile::openForReading(inner, folder + QString::fromUtf8("/été link/inner.txt")));
        QCOMPARE(inner.readAll(), QByteArray("\xe9t\xe9/inner.txt"));
        QVERIFY(FolderEntries::files(folder + "/nowhere").isEmpty());
        removeBelow(root);
    }
};

QTEST_MAIN(TextFilesTest)
#include "test_textfiles.moc"
