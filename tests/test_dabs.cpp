// The per-disc title-list editor on drives that are folders of the test, with small ISO images and an
// audio-CD image: Get Dabs and PlayList, the title files, row editing, Export, Import, Play, the drive
// chooser and the question when the titles changed.
#include "platform/drives/drives.h"
#include "player/tools/dabs.h"
#include "tests/drives/isoimage.h"
#include "tests/player_fixture.h"
#include "tests/support/cdimage.h"
#include "tests/support/smalldisk.h"

#include "ui/twips.h"

#include <QDir>
#include <optional>

class DabsTest : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    QString root(char letter) const { return fx.env->path(QString("drives/") + letter) + "/"; }
    QString titles(const QString& name) const { return fx.env->path("home/CDs/" + name); }

    // A fresh main window and the editor, with drive D: holding a disc of serial FFFFFFFE whose root
    // holds `files`; E: another optical drive with the disc of serial 5 and F: one without a disc.
    Dabs& editor(const QStringList& files = {"mpegav/AVSEQ01.DAT", "mpegav/AVSEQ02.DAT"})
    {
        fx.freshEnv();
        QList<Drives::Drive> table{{'C', Drives::Fixed, fx.env->path("C"), {}}};
        QDir().mkpath(fx.env->path("C"));
        const quint32 serials[] = {0xFFFFFFFE, 5};
        for (char letter : {'D', 'E'}) {
            QDir().mkpath(root(letter));
            const QString image = fx.env->path(QString("drives/%1.iso").arg(letter));
            IsoImage::write(image, IsoImage::image(IsoImage::primaryDescriptor(serials[letter - 'D'])));
            table.append({QChar(letter), Drives::CdRom, root(letter), image});
        }
        table.append({QChar('F'), Drives::CdRom, {}, fx.env->path("drives/none.iso")});
        for (const QString& f : files)
            fx.env->writeFile(root('D') + f, "not really video");
        Drives::setTableForTests(table);
        Form1::instance().Timer1->stop();
        Dabs& d = Dabs::instance();
        d.show();
        return d;
    }

    static QStringList messages()
    {
        QStringList m;
        for (const Dialogs::Shown& s : Dialogs::shown())
            m << s.kind + ": " + s.text + " / " + s.title;
        return m;
    }

private slots:
    void cleanup()
    {
        releaseWindows();
        Drives::setTableForTests(std::nullopt);
        Dialogs::clearScript();
    }

    void load()
    {
        Dabs& d = editor();
        QCOMPARE(d.windowTitle(), QString("CD Dabs & PlayList Editor"));
        QCOMPARE(d.Command1->text(), QString("Get Dabs and PlayList"));
        QCOMPARE(d.Command2->text(), QString("ExportList"));
        QCOMPARE(d.Command6->text(), QString("ImportList"));
        QCOMPARE(d.Label2->text(), QString("Direzar\uFF1A"));
        QCOMPARE(d.Label1->x(), d.Label2->x() + d.Label2->width() + Twips::toPx(100));
        QCOMPARE(d.TitleFolder, fx.env->path("home/CDs"));
        QVERIFY(QFileInfo(d.TitleFolder).isDir());
        QVERIFY(d.option1->isChecked());
        QVERIFY(d.Command5->isEnabled());
        QVERIFY(!d.Drive1->isVisible());
        QCOMPARE(d.List1->ListCount(), 0);
        QVERIFY(!d.TitlesChanged);
    }

    void getDabs_data()
    {
        QTest::addColumn<bool>("cd");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QByteArray>("titleFile");  // -2.pellum, none for an empty text
        QTest::addColumn<QStringList>("rows");      // "D/" stands for the drive's root
        const QStringList vcd{"mpegav/AVSEQ01.DAT", "mpegav/AVSEQ02.DAT"};
        QTest::newRow("VCD files") << false << vcd << QByteArray() << QStringList{"D/mpegav/AVSEQ01.DAT", "D/mpegav/AVSEQ02.DAT"};
        QTest::newRow("VCD without mpegav") << false << QStringList{"Track01.cda"} << QByteArray() << QStringList{};
        QTest::newRow("CD root files") << true << QStringList{"Track01.cda", "Track02.cda"} << QByteArray()
                                       << QStringList{"D/Track01.cda", "D/Track02.cda"};
        QTest::newRow("title list: an empty middle line and a # line")
            << false << vcd << QByteArray("One\r\n\r\n#Three\r\n") << QStringList{"One", "", "#Three"};
        QTest::newRow("title list in UTF-8") << true << QStringList{} << QByteArray("Can\xc3\xa7\xc3\xa3o\r\nZwei")
                                             << QStringList{"Can\u00e7\u00e3o", "Zwei"};
    }

    void getDabs()
    {
        QFETCH(bool, cd);
        QFETCH(QStringList, files);
        QFETCH(QByteArray, titleFile);
        QFETCH(QStringList, rows);
        Dabs& d = editor(files);
        if (!titleFile.isEmpty())
            fx.env->writeFile(titles("-2.pellum"), titleFile);
        if (cd)
            d.Option2->click();
        QCOMPARE(d.Command5->isEnabled(), !cd);
        d.Command1->click();
        QCOMPARE(d.Label1->text(), QString("-2"));
        QStringList expected;
        for (const QString& r : rows)
            expected << (r.startsWith("D/") ? root('D') + r.mid(2) : r);
        QCOMPARE(d.List1->items(), expected);
        QVERIFY(Dialogs::shown().isEmpty());
        d.option1->click();
        QVERIFY(d.Command5->isEnabled());
    }

    void audioDiscRows()
    {
        fx.freshEnv();
        CdImage::intoDriveD(fx.env->path("cd"), fx.env->path("C"), {225, 375, 300});
        Dabs& d = Dabs::instance();
        d.Option2->click();
        d.Command1->click();
        QCOMPARE(d.Label1->text(), QString::number(0x0200 + 0x0500 + 0x0A00));
        QCOMPARE(d.List1->items(), (QStringList{"Track01.cda", "Track02.cda", "Track03.cda"}));
    }

    void noDisc()
    {
        fx.freshEnv();
        Drives::setTableForTests(QList<Drives::Drive>{{'C', Drives::Fixed, fx.env->root(), {}}});
        Dabs& d = Dabs::instance();
        d.List1->AddItem("kept");
        Dialogs::answer(Dialogs::OK);
        d.Command1->click();
        QCOMPARE(d.Label1->text(), QString("0"));
        QCOMPARE(messages(), QStringList{"msgbox: Please check your CD whether in cdrom / PellumPlayer"});
        QCOMPARE(d.List1->items(), QStringList{"kept"});
    }

    void exportAsSignedSerial()
    {
        Dabs& d = editor();
        d.Command1->click();
        d.List1->setList(1, "Second \u00e9");
        d.TitlesChanged = true;
        Dialogs::answer(Dialogs::OK);
        d.Command2->click();
        QCOMPARE(fx.env->readFile(titles("-2.pellum")),
                 QByteArray(root('D').toUtf8() + "mpegav/AVSEQ01.DAT\r\nSecond \xc3\xa9\r\n"));
        QCOMPARE(messages(), QStringList{"msgbox: has exported! / PellumPlayer"});
        QVERIFY(!d.TitlesChanged);
        // No temporary file is left beside it.
        QCOMPARE(QDir(d.TitleFolder).entryList(QDir::Files), QStringList{"-2.pellum"});
    }

    void exportOverAnExistingFile_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("No keeps the old file") << int(Dialogs::No);
        QTest::newRow("Yes writes it anew") << int(Dialogs::Yes);
    }

    void exportOverAnExistingFile()
    {
        QFETCH(int, answer);
        Dabs& d = editor();
        d.Command1->click();
        const QString file = titles("-2.pellum");
        fx.env->writeFile(file, "old\r\n");
        d.List1->setListIndex(0);
        QTest::keyClicks(d.Text1, "x");
        QVERIFY(d.TitlesChanged);
        Dialogs::answer(answer);
        Dialogs::answer(Dialogs::OK);
        d.Command2->click();
        QCOMPARE(Dialogs::shown().first().text, QString("File existed! Overwrite it?"));
        if (answer == Dialogs::No) {
            QCOMPARE(fx.env->readFile(file), QByteArray("old\r\n"));
            QCOMPARE(Dialogs::shown().size(), 1);
            QVERIFY(d.TitlesChanged);
        } else {
            QCOMPARE(fx.env->readFile(file).count("\r\n"), 2);
            QVERIFY(!d.TitlesChanged);
        }
    }

    // An export that cannot be written names the file and the reason, says nothing of an export, and
    // leaves the file there before whole; the rows stay as they are, still to be saved.
    void exportThatCannotBeWritten_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a folder in its place") << "folder" << "a folder of that name stands in its place";
        QTest::newRow("a full disk") << "full" << "No space left on device";
    }
    void exportThatCannotBeWritten()
    {
        QFETCH(QString, how);
        QFETCH(QString, reason);
        Dabs& d = editor();
        const QString file = titles("-2.pellum");
        std::optional<SmallDisk> disk;
        if (how == QLatin1String("full")) {
            disk.emplace(d.TitleFolder, 64);
            if (!disk->mounted())
                QSKIP(qPrintable(disk->whyNot()));
            fx.env->writeFile(file, "Old one\r\nOld two\r\nOld three\r\n");
            QVERIFY(disk->fill(0));
        } else {
            fx.env->writeFile(file + "/kept", "mine");
        }
        const QByteArray before = fx.env->readFile(file);
        d.Command1->click();
        d.List1->setListIndex(0);
        QTest::keyClicks(d.Text1, "New");
        QTest::keyClick(d.Text1, Qt::Key_Return);
        const QStringList rows = d.List1->items();
        QCOMPARE(rows.first(), QStringLiteral("New"));
        Dialogs::clearScript();
        if (how == QLatin1String("full"))
            Dialogs::answer(Dialogs::Yes);  // overwrite it
        Dialogs::answer(Dialogs::OK);
        d.Command2->click();
        QStringList expected{"msgbox: The title list could not be saved as " + file + " (" + reason + "). / PellumPlayer"};
        if (how == QLatin1String("full"))
            expected.prepend("msgbox: File existed! Overwrite it? / PellumPlayer");
        QCOMPARE(messages(), expected);
        QVERIFY(d.TitlesChanged);
        QCOMPARE(d.List1->items(), rows);
        if (how == QLatin1String("full"))
            QCOMPARE(fx.env->readFile(file), before);
        else
            QCOMPARE(fx.env->readFile(file + "/kept"), QByteArray("mine"));

        // Closing asks to save them; when that fails too, the editor stays open with its rows.
        Dialogs::clearScript();
        Dialogs::answer(Dialogs::Yes);
        if (how == QLatin1String("full"))
            Dialogs::answer(Dialogs::Yes);
        Dialogs::answer(Dialogs::OK);
        d.Command4->click();
        expected.prepend("msgbox: PlayList has changed,Do you want to save it? / PellumPlayer");
        QCOMPARE(messages(), expected);
        QVERIFY(Dabs::isLoaded());
        QCOMPARE(Dabs::instance().List1->items(), rows);

        // With room again, closing saves them and the editor goes.
        if (disk)
            disk->drain();
        else
            QVERIFY(QDir(file).removeRecursively());
        Dialogs::answer(Dialogs::Yes);
        if (how == QLatin1String("full"))
            Dialogs::answer(Dialogs::Yes);
        Dialogs::answer(Dialogs::OK);
        d.close();
        QVERIFY(!Dabs::isLoaded());
        QCOMPARE(fx.env->readFile(file), (rows.join("\r\n") + "\r\n").toUtf8());
    }

    void exportNeedsRows()
    {
        Dabs& d = editor();
        d.Label1->setText("-2");
        d.Command2->click();
        QVERIFY(!QFileInfo::exists(titles("-2.pellum")));
        QVERIFY(Dialogs::shown().isEmpty());
    }

    void enterWalksTheRows()
    {
        Dabs& d = editor();
        d.Command1->click();
        d.List1->AddItem("third");
        d.List1->setListIndex(0);
        QCOMPARE(d.Text1->text(), root('D') + "mpegav/AVSEQ01.DAT");
        d.Text1->setText("First");
        QTest::keyClick(d.Text1, Qt::Key_Return);
        QCOMPARE(d.List1->List(0), QString("First"));
        QCOMPARE(d.List1->ListIndex(), 1);
        QCOMPARE(d.Text1->text(), root('D') + "mpegav/AVSEQ02.DAT");
        QCOMPARE(d.Text1->selectedText(), d.Text1->text());
        d.List1->setListIndex(2);
        d.Text1->setText("Last");
        QTest::keyClick(d.Text1, Qt::Key_Enter);
        // On the last row the row is written and the selection stays.
        QCOMPARE(d.List1->List(2), QString("Last"));
        QCOMPARE(d.List1->ListIndex(), 2);
        QCOMPARE(d.Text1->selectedText(), QString("Last"));
        QVERIFY(d.TitlesChanged);
    }

    void modifyWritesTheSelectedRow()
    {
        Dabs& d = editor();
        d.Command1->click();
        d.Text1->setText("nowhere");
        d.Command3->click();  // no row selected: nothing to write
        QVERIFY(!d.TitlesChanged);
        QCOMPARE(d.List1->List(0), root('D') + "mpegav/AVSEQ01.DAT");
        d.List1->setListIndex(1);
        d.Text1->setText("Two");
        d.Command3->click();
        QCOMPARE(d.List1->List(1), QString("Two"));
        QVERIFY(d.TitlesChanged);
    }

    void closingAfterATypedLetter_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("written");
        QTest::newRow("No") << int(Dialogs::No) << false;
        QTest::newRow("Yes exports") << int(Dialogs::Yes) << true;
    }

    void closingAfterATypedLetter()
    {
        QFETCH(int, answer);
        QFETCH(bool, written);
        Dabs& d = editor();
        d.Command1->click();
        QTest::keyClick(d.Text1, Qt::Key_A);  // no row is modified
        QCOMPARE(d.List1->List(0), root('D') + "mpegav/AVSEQ01.DAT");
        Dialogs::answer(answer);
        Dialogs::answer(Dialogs::OK);
        d.close();
        QCOMPARE(Dialogs::shown().first().text, QString("PlayList has changed,Do you want to save it?"));
        QCOMPARE(Dialogs::shown().first().title, QString("PellumPlayer"));
        QVERIFY(!Dabs::isLoaded());
        QCOMPARE(QFileInfo::exists(titles("-2.pellum")), written);
    }

    void exitWithoutChangesAsksNothing()
    {
        Dabs& d = editor();
        d.Command1->click();
        d.Command4->click();
        QVERIFY(!Dabs::isLoaded());
        QVERIFY(Dialogs::shown().isEmpty());
    }

    void import_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("a title file") << false;
        QTest::newRow("cancelled") << true;
    }

    void import()
    {
        QFETCH(bool, cancel);
        Dabs& d = editor();
        const QString chosen = fx.env->writeFile("elsewhere/-2.pellum", "Imported\r\n\xe9t\xe9\r\n");
        fx.env->writeFile(titles("-2.pellum"), "older\r\n");
        Dialogs::answer(cancel ? QString() : chosen);
        Dialogs::answer(Dialogs::OK);
        d.Command6->click();
        QCOMPARE(Dialogs::shown().first().kind, QString("open"));
        QCOMPARE(Dialogs::shown().first().text, QString("PellumPlayer Playlist(*.pellum)|*.pellum"));
        // Get Dabs runs in either case.
        QCOMPARE(d.Label1->text(), QString("-2"));
        if (cancel) {
            QCOMPARE(Dialogs::shown().size(), 1);
            QCOMPARE(d.List1->items(), QStringList{"older"});
        } else {
            QCOMPARE(Dialogs::shown().at(1).text, QString("CD dabs playlist imported complete."));
            QCOMPARE(fx.env->readFile(titles("-2.pellum")), QByteArray("Imported\r\n\xe9t\xe9\r\n"));
            QCOMPARE(d.List1->items(), (QStringList{"Imported", "\u00e9t\u00e9"}));
        }
    }

    void importTheFileItself()
    {
        // Chosen from the folder it is copied to, the file stays as it is.
        Dabs& d = editor();
        const QString file = fx.env->writeFile(titles("-2.pellum"), "Same\r\n");
        Dialogs::answer(file);
        Dialogs::answer(Dialogs::OK);
        d.Command6->click();
        QCOMPARE(fx.env->readFile(file), QByteArray("Same\r\n"));
        QCOMPARE(d.List1->items(), QStringList{"Same"});
    }

    void driveChooserCode()
    {
        Dabs& d = editor();
        d.Command1->click();
        d.List1->setListIndex(0);
        QTest::keyClicks(d.Text1, "6284");
        QVERIFY(!d.Drive1->isVisible());
        QTest::keyClick(d.Text1, Qt::Key_Return);
        QVERIFY(d.Drive1->isVisible());
        QCOMPARE(d.List1->List(0), QString("6284"));
        // The chooser gives the serial of the drive chosen; Export then writes that disc's file.
        d.Drive1->setDrive("E");
        QCOMPARE(d.Label1->text(), QString("5"));
        Dialogs::answer(Dialogs::OK);
        d.Command2->click();
        QVERIFY(QFileInfo::exists(titles("5.pellum")));
        // A drive without a disc has serial 0, which names no title file.
        Dialogs::clearScript();
        d.Drive1->setDrive("F");
        QCOMPARE(d.Label1->text(), QString("0"));
        Dialogs::answer(Dialogs::OK);
        d.Command2->click();
        QVERIFY(!QFileInfo::exists(titles("0.pellum")));
        QCOMPARE(messages(), QStringList{"msgbox: Please check your CD whether in cdrom / PellumPlayer"});
        // Get Dabs probes the first CD-ROM drive again.
        d.Command1->click();
        QCOMPARE(d.Label1->text(), QString("-2"));
    }

    void playsTheRowsFile()
    {
        Dabs& d = editor();
        d.Command1->click();
        d.List1->setListIndex(1);
        d.Command5->click();
        QCOMPARE(Form1::instance().mp->FileName(), root('D') + "mpegav/AVSEQ02.DAT");
        // A row beyond the disc's files (titles and files are linked by position) plays nothing.
        d.List1->AddItem("extra title");
        d.List1->setListIndex(2);
        d.Command5->click();
        QCOMPARE(Form1::instance().mp->FileName(), root('D') + "mpegav/AVSEQ02.DAT");
    }
};

QTEST_MAIN(DabsTest)
#include "test_dabs.moc"
