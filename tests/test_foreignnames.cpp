// Files whose names are not UTF-8 (a Latin-1 letter, a broken UTF-8 sequence), on real files: every list
// of a folder's entries shows them, what such a list shows plays, and what the settings keep of them
// plays again in the next run. Names in UTF-8 and in ASCII go the same roads unchanged.
#include "platform/drives/drives.h"
#include "platform/textfile.h"
#include "tests/player_fixture.h"
#include "ui/dirlistbox.h"
#include "ui/filelistbox.h"

#include <QBuffer>
#include <QDir>
#include <QMimeData>
#include <QMouseEvent>
#include <QSettings>

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

// The names in the folder `folder` (bytes) as the file system holds them.
QByteArrayList entriesOn(const QByteArray& folder)
{
    QByteArrayList out;
    if (DIR* dir = ::opendir(folder.constData())) {
        while (const dirent* e = ::readdir(dir))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                out << QByteArray(e->d_name);
        ::closedir(dir);
    }
    return out;
}

QByteArray pictureBytes(QSize size)
{
    QImage pic(size, QImage::Format_RGB32);
    pic.fill(qRgb(30, 90, 150));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    pic.save(&buffer, "BMP");
    return bytes;
}

// Large enough to be a skin of the compact player.
const QSize kPicture(600, 450);

// A left click on a flat button, as the pointer gives it.
void press(QWidget* button)
{
    QVERIFY(button);
    const QPointF at(button->width() / 2.0, button->height() / 2.0);
    QMouseEvent down(QEvent::MouseButtonPress, at, button->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(button, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, at, button->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, {});
    QCoreApplication::sendEvent(button, &up);
}

QStringList shownEntries(QMenu* menu, MenuItem* const (&array)[16])
{
    QStringList out;
    for (QAction* a : menu->actions())
        for (MenuItem* m : array)
            if (m == a && m->isVisible())
                out << m->Caption();
    return out;
}

QStringList messages()
{
    QStringList out;
    for (const Dialogs::Shown& s : Dialogs::shown())
        if (s.kind == QLatin1String("msgbox"))
            out << s.text;
    return out;
}

// The names every test is run with: the bytes on disk and the text the lists show for them.
void nameRows()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("latin-1") << QByteArray("caf\xe9") << QString::fromUtf8("café");
    QTest::newRow("broken utf-8") << QByteArray("bad\xc3(seq") << QString::fromUtf8("badÃ(seq");
    QTest::newRow("utf-8") << QByteArray("caf\xc3\xa9") << QString::fromUtf8("café");
    QTest::newRow("ascii") << QByteArray("plain") << QStringLiteral("plain");
}

}  // namespace

class ForeignNamesTest : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    // What one name gives on disk, as text.
    QString drive;   // drive C:, ending in "/"
    QString folder;  // C:'s folder "<name> folder"
    QString wav;     // <folder>/<name>.wav, a three-second WAV
    QString bmp;     // <folder>/<name>.bmp, a picture of kPicture
    QString m3u;     // <folder>/<name>.m3u, a list naming the WAV in its bytes
    QString skin;    // SKIN/<name>.bmp in the program folder
    QString name;    // the name's text

    // A fresh main window whose drive C: holds the folder "<name> folder" with a WAV, a picture and a
    // list named by `bytes`; the program folder holds a skin and a folder shortcut of that name.
    Form1& fresh(const QByteArray& bytes, const QString& text)
    {
        fx.freshEnv();
        TextFile::forgetNames();
        const QByteArray root = QFile::encodeName(fx.env->root());
        const QByteArray dir = root + "/C/" + bytes + " folder";
        const QByteArray home = QFile::encodeName(fx.env->home());
        writeRaw(dir + "/" + bytes + ".wav", wavBytes(3.0));
        writeRaw(dir + "/" + bytes + ".bmp", pictureBytes(kPicture));
        writeRaw(dir + "/" + bytes + ".m3u", dir + "/" + bytes + ".wav\r\n");
        writeRaw(home + "/SKIN/" + bytes + ".bmp", pictureBytes(kPicture));
        writeRaw(home + "/LNKs/" + bytes, dir + "\r\n");
        name = text;
        drive = fx.env->path("C") + QLatin1Char('/');
        folder = drive + text + QStringLiteral(" folder");
        wav = folder + QLatin1Char('/') + text + QStringLiteral(".wav");
        bmp = folder + QLatin1Char('/') + text + QStringLiteral(".bmp");
        m3u = folder + QLatin1Char('/') + text + QStringLiteral(".m3u");
        skin = fx.env->home() + QStringLiteral("/SKIN/") + text + QStringLiteral(".bmp");
        Drives::setTableForTests(QList<Drives::Drive>{{'C', Drives::Fixed, drive, {}}});
        Form1& f = Form1::instance();
        f.Timer1->stop();
        return f;
    }

    static Form2& dialogAt(const QString& where)
    {
        Form2& d = Form2::instance();
        d.AddTarget = 1;
        d.di->setPath(where);
        return d;
    }

    // The search window after a search for `pattern` over the drives.
    static find& searched(const QString& pattern = QStringLiteral("*.wav"))
    {
        find& w = find::instance();
        Dialogs::answer(pattern);
        w.mnuFindFiles->trigger();
        return w;
    }

    static bool plays(MediaPlayer* mp, const QString& path)
    {
        if (!waitFor([&] { return mp->PlayState() == 2 || mp->ErrorFlag(); }) || mp->ErrorFlag())
            return false;
        return mp->FileName() == path && waitFor([&] { return mp->CurrentPosition() > 0.2; });
    }

private slots:
    void cleanup()
    {
        Drives::setTableForTests(std::nullopt);
        releaseWindows();
        if (fx.env)
            removeBelow(QFile::encodeName(fx.env->root()));
    }

    // --- listed ---

    void everyListShowsTheName_data() { nameRows(); }
    void everyListShowsTheName()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        fresh(bytes, text);

        // The add-files dialog: the folder list, the file list, the shortcut names and their folders.
        Form2& d = dialogAt(drive);
        QCOMPARE(d.di->items().last().trimmed(), text + " folder");
        QCOMPARE(d.di->folderAt(d.di->ListCount() - 1), folder);
        d.di->setPath(folder);
        QCOMPARE(d.ff->items(), (QStringList{text + ".m3u", text + ".wav"}));
        QCOMPARE(d.LK->items(), QStringList{text});
        QCOMPARE(d.LS->items(), QStringList{folder});

        // The skin chooser.
        QCOMPARE(Skins::instance().File1->items(), QStringList{text + ".bmp"});

        // The picture and list browser, in both its modes.
        Shower& s = Shower::instance();
        s.Command1_Click();
        s.Dir1->setPath(folder);
        QCOMPARE(s.File1->items(), QStringList{text + ".bmp"});
        s.Command2_Click();
        s.Dir1->setPath(folder);  // each mode has its own folder
        QCOMPARE(s.File1->items(), QStringList{text + ".m3u"});

        // The media search, by the extension and by the name's own letters.
        QCOMPARE(searched().List1->items(), QStringList{wav});
        QCOMPARE(searched(text + ".W*").List1->items(), QStringList{wav});
    }

    // --- played ---

    void whatAListShowsPlays_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("road");
        const QStringList roads{"add-files dialog", "folder shortcut", "media search", "list browser import",
                                "dropped on the list"};
        QTest::addRow("ascii, add-files dialog") << QByteArray("plain") << "plain" << "add-files dialog";
        QTest::addRow("utf-8, add-files dialog") << QByteArray("caf\xc3\xa9") << QString::fromUtf8("café")
                                                 << "add-files dialog";
        for (const QString& road : roads) {
            QTest::addRow("latin-1, %s", qPrintable(road)) << QByteArray("caf\xe9") << QString::fromUtf8("café") << road;
            QTest::addRow("broken utf-8, %s", qPrintable(road))
                << QByteArray("bad\xc3(seq") << QString::fromUtf8("badÃ(seq") << road;
        }
    }
    void whatAListShowsPlays()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(QString, road);
        Form1& f = fresh(bytes, text);
        if (road == "add-files dialog" || road == "folder shortcut") {
            Form2& d = dialogAt(drive);
            if (road == "folder shortcut")
                d.LS->setListIndex(0);  // the jump to the shortcut's folder
            else
                d.di->setPath(folder);
            QCOMPARE(d.ff->Path(), folder);
            d.ff->setSelected(int(d.ff->items().indexOf(text + ".wav")), true);
            d.Command1_Click();
        } else if (road == "media search") {
            searched().tl->trigger();
            f.List2->setListIndex(0);
        } else if (road == "dropped on the list") {
            // The file manager names the file by its bytes, percent-encoded.
            const QByteArray raw = QFile::encodeName(drive) + bytes + " folder/" + bytes + ".wav";
            QMimeData data;
            data.setUrls({QUrl::fromEncoded("file://" + raw.toPercentEncoding("/"))});
            const QPoint at = f.List2->mapTo(&f, f.List2->rect().center());
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&f, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&f, &drop);
        } else {
            Shower& s = Shower::instance();
            s.Command2_Click();
            s.Dir1->setPath(folder);
            s.File1->setListIndex(0);
            QCOMPARE(s.Text1->toPlainText(), wav + "\n");
            s.Command5_Click();
            f.List2->setListIndex(0);
        }
        QCOMPARE(f.List1->items(), QStringList{wav});
        QCOMPARE(f.List2->items(), QStringList{"01- " + text + ".wav"});
        QVERIFY(plays(f.mp, wav));
        QVERIFY(messages().isEmpty());
    }

    void whatAListShowsOpensAsAPicture_data() { nameRows(); }
    void whatAListShowsOpensAsAPicture()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        fresh(bytes, text);
        // The picture browser previews it.
        Shower& s = Shower::instance();
        s.Command1_Click();
        s.Dir1->setPath(folder);
        s.File1->setListIndex(0);
        QCOMPARE(s.ShownPicturePath, bmp);
        QCOMPARE(s.Label2->text().left(11), QStringLiteral("Loaded time"));
        // The skin chooser previews it and makes it the compact window's face.
        Module1::Main("/J");
        pellum::instance().Label14_Click();
        Skins& k = Skins::instance();
        k.File1->setListIndex(0);
        QCOMPARE(k.SelectedSkin, skin);
        QVERIFY(!k.Image1->pixmap().isNull());
        k.Command1_Click();
        QVERIFY(messages().isEmpty());
        QCOMPARE(pellum::instance().size(), kPicture);
        // Delete removes that very file.
        k.Command5_Click();
        QCOMPARE(k.File1->ListCount(), 0);
        QCOMPARE(entriesOn(QFile::encodeName(fx.env->home() + "/SKIN")), QByteArrayList{});
    }

    // A shortcut of such a name is deleted on disk, not only from the list.
    void aShortcutOfSuchANameIsDeleted_data() { nameRows(); }
    void aShortcutOfSuchANameIsDeleted()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        fresh(bytes, text);
        const QByteArray shortcuts = QFile::encodeName(fx.env->home() + "/LNKs");
        QCOMPARE(entriesOn(shortcuts), QByteArrayList{bytes});
        Form2& d = dialogAt(drive);
        d.LK->setListIndex(0);
        d.Command4_Click();
        QVERIFY(messages().isEmpty());
        QCOMPARE(d.LK->ListCount(), 0);
        QCOMPARE(entriesOn(shortcuts), QByteArrayList{});
    }

    // A language file of such a name is listed by the language chooser, gives its texts, and gives them
    // again in the next run.
    void aLanguageFileOfSuchANameIsRead_data() { nameRows(); }
    void aLanguageFileOfSuchANameIsRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        Form1& f = fresh(bytes, text);
        QVERIFY(writeRaw(QFile::encodeName(fx.env->home()) + "/" + bytes + ".ini", "[language]\r\nfile=Datei\r\n"));
        Form7& w = Form7::instance();
        QCOMPARE(w.File1->items(), QStringList{text + ".ini"});
        w.File1->setListIndex(0);
        w.Command1_Click();
        QCOMPARE(f.fl->title(), QStringLiteral("Datei"));
        releaseWindows();
        TextFile::forgetNames();
        SettingsStore::reset();
        Module1::Main(QString());
        QCOMPARE(Form1::instance().fl->title(), QStringLiteral("Datei"));
    }

    // --- stored, and played in the next run ---

    // The file is found in an old list in its own bytes (which played before the settings kept it), or
    // by the media search.
    void whatIsStoredPlaysInTheNextRun_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("road");
        QTest::addColumn<bool>("bySearch");
        const QStringList roads{"recent file", "bookmark menu", "bookmark editor"};
        QTest::addRow("ascii, recent file") << QByteArray("plain") << "plain" << "recent file" << false;
        QTest::addRow("utf-8, recent file") << QByteArray("caf\xc3\xa9") << QString::fromUtf8("café") << "recent file" << false;
        for (const QString& road : roads) {
            QTest::addRow("latin-1, %s", qPrintable(road))
                << QByteArray("caf\xe9") << QString::fromUtf8("café") << road << false;
            QTest::addRow("broken utf-8, %s", qPrintable(road))
                << QByteArray("bad\xc3(seq") << QString::fromUtf8("badÃ(seq") << road << false;
        }
        QTest::addRow("latin-1, searched, recent file") << QByteArray("caf\xe9") << QString::fromUtf8("café") << "recent file" << true;
        QTest::addRow("broken utf-8, searched, bookmark menu")
            << QByteArray("bad\xc3(seq") << QString::fromUtf8("badÃ(seq") << "bookmark menu" << true;
    }
    void whatIsStoredPlaysInTheNextRun()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(QString, road);
        QFETCH(bool, bySearch);
        Form1& f = fresh(bytes, text);
        if (bySearch) {
            searched().tl->trigger();
            f.List2->setListIndex(0);
        } else {
            const QByteArray raw = QFile::encodeName(drive) + bytes + " folder/" + bytes + ".wav";
            f.importj(fx.env->writeFile("old.pellum", raw + "\r\n"), 1);
        }
        QVERIFY(plays(f.mp, wav));
        const bool recent = road == "recent file";
        (recent ? f.lllll : f.AddB)->trigger();
        const QString key = recent ? QStringLiteral("f0") : QStringLiteral("b0");
        const QString stored = QSettings(fx.env->settingsFile(), QSettings::IniFormat).value("myplay/" + key).toString();
        QVERIFY2(stored.startsWith(recent ? wav : wav + ","), qPrintable(stored));

        // The next run knows only what the settings file holds.
        releaseWindows();
        TextFile::forgetNames();
        SettingsStore::reset();
        Form1& g = Form1::instance();
        g.Timer1->stop();
        if (recent) {
            QCOMPARE(shownEntries(g.rff, g.f), QStringList{"01. " + text + ".wav"});
            g.f[0]->trigger();
        } else if (road == "bookmark menu") {
            QVERIFY(shownEntries(g.bk, g.b).value(0).startsWith("01. " + text + ".wav,"));
            g.b[0]->trigger();
        } else {
            g.EBm->trigger();
            ListEdit& e = ListEdit::instance();
            QCOMPARE(e.List1->List(0), stored);
            press(e.FlatButton5);
        }
        QVERIFY2(messages().isEmpty(), qPrintable(messages().join(" | ")));
        QVERIFY(plays(g.mp, wav));
        QCOMPARE(QSettings(fx.env->settingsFile(), QSettings::IniFormat).value("myplay/" + key).toString(), stored);
    }

    void aSkinOfSuchANameIsTheFaceInTheNextRun_data() { nameRows(); }
    void aSkinOfSuchANameIsTheFaceInTheNextRun()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        fresh(bytes, text);
        Module1::Main("/J");
        pellum::instance().Label14_Click();
        Skins& k = Skins::instance();
        k.File1->setListIndex(0);
        k.Command1_Click();
        QCOMPARE(QSettings(fx.env->settingsFile(), QSettings::IniFormat).value("myplay/skin").toString(), skin);
        releaseWindows();
        TextFile::forgetNames();
        SettingsStore::reset();
        Module1::Main("/J");
        QCOMPARE(pellum::instance().size(), kPicture);
    }
};

QTEST_MAIN(ForeignNamesTest)
#include "test_foreignnames.moc"
