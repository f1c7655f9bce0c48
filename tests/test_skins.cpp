// The skin chooser on real files: the SKIN folder, preview, Apply, Load picture, Default and Delete,
// and pictures that cannot be loaded.
#include "platform/programfolder.h"
#include "tests/player_fixture.h"
#include "ui/twips.h"

#include <QDir>
#include <QFile>

namespace {

// A face of `size` whose corner colour (magenta) lies outside its shape.
QImage face(QSize size, QRgb body)
{
    QImage pic(size, QImage::Format_RGB32);
    pic.fill(Qt::magenta);
    for (int y = 10; y < size.height() - 10; ++y)
        for (int x = 10; x < size.width() - 10; ++x)
            pic.setPixel(x, y, body);
    return pic;
}

}  // namespace

class SkinsTest : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    Skins& open(bool shaped = true)
    {
        fx.freshEnv();
        if (shaped)
            SettingsStore::SaveSetting("vitrif", "True");
        Module1::Main("/J");
        pellum::instance().Label14_Click();
        return Skins::instance();
    }
    QString picture(const QString& name, QSize size, QRgb body = qRgb(20, 40, 60))
    {
        const QString path = fx.env->path(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        face(size, body).save(path);
        return path;
    }
    void select(Skins& s, const QString& name)
    {
        s.File1->Refresh();
        s.File1->setListIndex(int(s.File1->items().indexOf(name)));
    }

private slots:
    void cleanup() { releaseWindows(); }

    void firstUseMakesTheSkinFolder()
    {
        Skins& s = open();
        QVERIFY(QFileInfo(ProgramFolder::file("SKIN")).isDir());
        QCOMPARE(s.SkinFolder, ProgramFolder::file("SKIN"));
        QCOMPARE(s.File1->ListCount(), 0);
        QCOMPARE(s.Label1->text(), QStringLiteral("Current Skin : "));
        QCOMPARE(s.Command1->text(), QStringLiteral("Apply"));
        QCOMPARE(s.Command3->text(), QStringLiteral("Load picture"));
        s.Command1_Click();  // nothing clicked, nothing loaded: nothing happens
        QCOMPARE(pellum::instance().size(), QSize(591, 443));
        QCOMPARE(SettingsStore::GetSetting("skin"), QString());
    }

    void applyShapesOnlyWithTheOption_data()
    {
        QTest::addColumn<bool>("shaped");
        QTest::newRow("shaped") << true;
        QTest::newRow("rectangular") << false;
    }
    void applyShapesOnlyWithTheOption()
    {
        QFETCH(bool, shaped);
        Skins& s = open(shaped);
        picture("home/SKIN/round.bmp", QSize(640, 480));
        select(s, "round.bmp");
        QCOMPARE(s.SelectedSkin, ProgramFolder::file("SKIN") + "/round.bmp");
        QVERIFY(!s.Image1->pixmap().isNull());  // preview
        s.Command1_Click();
        pellum& p = pellum::instance();
        QCOMPARE(p.size(), QSize(640, 480));
        QCOMPARE(p.Picture1->geometry(), QRect(0, 0, 640, 480));
        QCOMPARE(p.mask().isEmpty(), !shaped);
        if (shaped) {
            QVERIFY(!p.mask().contains(QPoint(3, 3)));
            QVERIFY(p.mask().contains(QPoint(320, 240)));
        }
        QCOMPARE(SettingsStore::GetSetting("skin"), s.SelectedSkin);
        QVERIFY(!loadk::isLoaded() || !loadk::instance().isVisible());
    }

    void loadPictureReplacesAndApplies()
    {
        Skins& s = open();
        picture("home/SKIN/face.bmp", QSize(100, 100));
        const QString picked = picture("pics/face.bmp", QSize(620, 460), qRgb(200, 10, 10));
        Dialogs::answer(picked);
        s.Command3_Click();
        QCOMPARE(Dialogs::shown().last().text, QStringLiteral("Images|*.jpg;*.bmp;*.gif"));
        const QString inFolder = ProgramFolder::file("SKIN") + "/face.bmp";
        QCOMPARE(s.SelectedSkin, inFolder);
        QCOMPARE(QImage(inFolder).size(), QSize(620, 460));
        QCOMPARE(s.File1->items(), QStringList{"face.bmp"});
        QVERIFY(!QFile::exists(inFolder + ".part"));
        QCOMPARE(pellum::instance().size(), QSize(620, 460));
        QCOMPARE(SettingsStore::GetSetting("skin"), inFolder);
        // A picture picked from the skin folder itself stays there.
        Dialogs::answer(inFolder);
        s.Command3_Click();
        QCOMPARE(QImage(inFolder).size(), QSize(620, 460));
        QCOMPARE(pellum::instance().size(), QSize(620, 460));
    }

    void loadPictureCancelledAppliesTheSelection()
    {
        Skins& s = open();
        picture("home/SKIN/a.bmp", QSize(600, 450));
        select(s, "a.bmp");
        Dialogs::answer(QString());
        s.Command3_Click();
        QCOMPARE(pellum::instance().size(), QSize(600, 450));
    }

    // A selection that cannot be loaded as a picture is named in a message; the window and the setting
    // stay as they were.
    void unloadablePicture_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("deleted by Delete") << "deleted";
        QTest::newRow("not a picture") << "garbage";
    }
    void unloadablePicture()
    {
        QFETCH(QString, how);
        Skins& s = open();
        picture("home/SKIN/good.bmp", QSize(600, 450));
        select(s, "good.bmp");
        s.Command1_Click();
        if (how == "deleted") {
            picture("home/SKIN/bad.bmp", QSize(50, 50));
            select(s, "bad.bmp");
            s.Command5_Click();
            QVERIFY(!QFile::exists(s.SelectedSkin));
            QCOMPARE(s.File1->items(), QStringList{"good.bmp"});
            QCOMPARE(s.SelectedSkin, ProgramFolder::file("SKIN") + "/bad.bmp");  // kept
        } else {
            fx.env->writeFile("home/SKIN/bad.gif", "GIF89a but nothing more");
            select(s, "bad.gif");
        }
        Dialogs::answer(Dialogs::OK);
        s.Command1_Click();
        QCOMPARE(Dialogs::shown().last().kind, QStringLiteral("msgbox"));
        QVERIFY(Dialogs::shown().last().text.contains(s.SelectedSkin));
        QCOMPARE(pellum::instance().size(), QSize(600, 450));
        QCOMPARE(SettingsStore::GetSetting("skin"), ProgramFolder::file("SKIN") + "/good.bmp");
    }

    // A face smaller than the place of the compact window's controls would leave "●Power", "Byebye" and
    // "Skins" outside the window: such a picture is refused with a message and the current skin stays.
    void pictureTooSmallForTheControls_data()
    {
        QTest::addColumn<QString>("how");     // "apply" or "load"
        QTest::addColumn<QSize>("size");      // absolute, or added to the controls' extent when relative
        QTest::addColumn<bool>("relative");
        QTest::addColumn<bool>("refused");
        QTest::newRow("300 x 200, Apply") << "apply" << QSize(300, 200) << false << true;
        QTest::newRow("300 x 200, Load picture") << "load" << QSize(300, 200) << false << true;
        QTest::newRow("one pixel too narrow") << "apply" << QSize(-1, 0) << true << true;
        QTest::newRow("one pixel too short, Load picture") << "load" << QSize(0, -1) << true << true;
        QTest::newRow("just large enough") << "apply" << QSize(0, 0) << true << false;
    }
    void pictureTooSmallForTheControls()
    {
        QFETCH(QString, how);
        QFETCH(QSize, size);
        QFETCH(bool, relative);
        QFETCH(bool, refused);
        Skins& s = open();
        pellum& p = pellum::instance();
        const QList<QWidget*> controls = p.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        QRect extent;
        for (const QWidget* c : controls)
            if (c != p.Picture1)
                extent |= c->geometry();
        if (relative)
            size += QSize(extent.right() + 1, extent.bottom() + 1);
        picture("home/SKIN/good.bmp", QSize(640, 480));
        select(s, "good.bmp");
        s.Command1_Click();
        const QString good = s.SelectedSkin;
        QCOMPARE(p.size(), QSize(640, 480));

        Dialogs::clearScript();
        QString path;
        if (how == "apply") {
            path = picture("home/SKIN/small.bmp", size);
            select(s, "small.bmp");
            Dialogs::answer(Dialogs::OK);
            s.Command1_Click();
        } else {
            Dialogs::answer(picture("pics/small.bmp", size));
            Dialogs::answer(Dialogs::OK);
            s.Command3_Click();
            path = ProgramFolder::file("SKIN") + "/small.bmp";
        }
        QList<Dialogs::Shown> messages;
        for (const Dialogs::Shown& d : Dialogs::shown())
            if (d.kind == "msgbox")
                messages << d;
        if (refused) {
            QCOMPARE(messages.size(), 1);
            QVERIFY(messages[0].text.contains(path));
            QVERIFY(messages[0].text.contains(QStringLiteral("too small")));
            QVERIFY(messages[0].text.contains(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
            QCOMPARE(p.size(), QSize(640, 480));
            QCOMPARE(p.SkinPicture().size(), QSize(640, 480));
            QCOMPARE(SettingsStore::GetSetting("skin"), good);
        } else {
            QCOMPARE(messages.size(), 0);
            QCOMPARE(p.size(), size);
            QCOMPARE(SettingsStore::GetSetting("skin"), path);
        }
        for (const QWidget* c : controls)
            QVERIFY2(p.rect().contains(c->geometry()), qPrintable(c->objectName()));
        // The next start shows the same face.
        releaseWindows();
        Module1::Main("/J");
        QCOMPARE(pellum::instance().size(), refused ? QSize(640, 480) : size);
    }

    void defaultReloadsTheCompactWindow()
    {
        Skins& s = open();
        picture("home/SKIN/good.bmp", QSize(600, 450));
        select(s, "good.bmp");
        s.Command1_Click();
        pellum* before = &pellum::instance();
        before->move(Twips::toPx(4500), Twips::toPx(3000));
        Form6::instance().List1->AddItem("/m/a.wav");
        s.Command4_Click();
        QCOMPARE(SettingsStore::GetSetting("skin"), QString());
        QCOMPARE(SettingsStore::GetSetting("pellumleft"), QStringLiteral("4500"));  // the unload step ran
        QCOMPARE(SettingsStore::GetSetting("pellumtop"), QStringLiteral("3000"));
        pellum& after = pellum::instance();
        QVERIFY(&after != before);
        QVERIFY(after.isVisible());
        QCOMPARE(after.size(), QSize(591, 443));
        QCOMPARE(after.pos(), QPoint(Twips::toPx(4500), Twips::toPx(3000)));
        QCOMPARE(Form6::instance().List1->items(), QStringList{"/m/a.wav"});  // the list window stays
        s.Command2_Click();  // Exit
        QVERIFY(!Skins::isLoaded());
    }

    void skinDeletedWhileInUseGivesTheBuiltInFaceNextTime()
    {
        Skins& s = open();
        picture("home/SKIN/good.bmp", QSize(600, 450));
        select(s, "good.bmp");
        s.Command1_Click();
        s.Command5_Click();
        QCOMPARE(pellum::instance().size(), QSize(600, 450));  // the face stays until the next load
        releaseWindows();
        Module1::Main("/J");
        QCOMPARE(pellum::instance().size(), QSize(591, 443));
        pellum::instance().Label14_Click();
        QCOMPARE(Skins::instance().Label1->text(), QStringLiteral("Current Skin : good.bmp"));
    }
};

QTEST_MAIN(SkinsTest)
#include "test_skins.moc"
