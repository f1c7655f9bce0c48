// The main window's texts, the language chooser, the fixed layout, the hover highlight and the about
// window.
#include "platform/desktop/shell.h"
#include "platform/flash/shockwaveflash.h"
#include "platform/profile.h"
#include "tests/player_fixture.h"
#include "ui/design.h"
#include "ui/twips.h"

#include <QMouseEvent>

namespace {

void moveOver(QWidget* w)
{
    QMouseEvent e(QEvent::MouseMove, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

}  // namespace

class TextsLayoutTest : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    Form1& withLanguage(const QByteArray& ini)
    {
        fx.freshEnv();
        Module1::LanguagePath() = fx.env->writeFile("home/lang.ini", "[language]\r\n" + ini);
        return Form1::instance();
    }
    static QStringList strip(Form1& f)
    {
        QStringList out;
        for (QLabel* l : f.Label1)
            out << l->text();
        return out;
    }

private slots:
    void builtInTexts()
    {
        Form1& f = fx.fresh();
        for (MenuItem* m : {f.openfile, f.OpU, f.ai, f.sj, f.il, f.ol, f.ms, f.PPs, f.scrsets, f.EBm, f.lan, f.selecta})
            QVERIFY2(m->text().endsWith("...") && !m->text().endsWith("......"), qPrintable(m->text()));
        QCOMPARE(f.dab->text(), QStringLiteral("CD Direzar..."));
        QCOMPARE(strip(f), (QStringList{"File", "Actions", "Options", "Capture", "Volume", "Menu", "About", "Exit"}));
        QCOMPARE(f.Label4->text(), QStringLiteral("●Click \"Open\" or \"Add Items\" to open media file"));
        QCOMPARE(f.skinTips[2], QStringLiteral("CDplayer"));
        QCOMPARE(f.skinTips[0], QStringLiteral("Add Items..."));
        QCOMPARE(f.skinTips[8], QStringLiteral("CD Direzar..."));
        // The load step shows the welcome text without the address line.
        QCOMPARE(f.WelcomeText, QStringLiteral("Welcome to use the best Pellumplayer"));
        QCOMPARE(f.FB1->property("ToolTipText").toString(), QStringLiteral("Add Items..."));
    }

    void aFileThatSetsOnlyFile()
    {
        Form1& f = withLanguage("file=Datei\r\n");
        QCOMPARE(f.fl->title(), QStringLiteral("Datei"));
        QCOMPARE(strip(f), (QStringList{"Datei", "Actions", "Options", "Capture", "Volume", "Menu", "About", "Exit"}));
        QCOMPARE(f.openfile->text(), QStringLiteral("Open..."));
        QCOMPARE(f.ett->text(), QStringLiteral("Exit"));
    }

    void sharedKeys()
    {
        Form1& f = withLanguage("capture=Aufnahme\r\nplay=Spielen\r\nexit=Ende\r\nradio=Radio\r\nplayvcd=VCD!\r\n");
        QCOMPARE(f.co->title(), QStringLiteral("Aufnahme"));
        QCOMPARE(f.ca->text(), QStringLiteral("Aufnahme"));
        QCOMPARE(f.Label1[3]->text(), QStringLiteral("Aufnahme"));
        QCOMPARE(f.po->title(), QStringLiteral("Spielen"));
        QCOMPARE(f.play->text(), QStringLiteral("Spielen"));
        QCOMPARE(f.ett->text(), QStringLiteral("Ende"));
        QCOMPARE(f.exitc->text(), QStringLiteral("Ende"));
        QCOMPARE(f.Label1[7]->text(), QStringLiteral("Ende"));
        QCOMPARE(f.selecta->text(), QStringLiteral("Radio..."));
        QCOMPARE(f.skinTips[1], QStringLiteral("Radio..."));
        QCOMPARE(f.skinTips[9], QStringLiteral("VCD!"));
        QCOMPARE(f.skinTips[2], QStringLiteral("CDplayer"));
    }

    void languageTwiceIsTheSame()
    {
        Form1& f = withLanguage("additems=Hinzu\r\nlanguage=Sprachen\r\n");
        f.language();
        const QString ai = f.ai->text(), lan = f.lan->text(), dab = f.dab->text(), welcome = f.WelcomeText;
        f.language();
        QCOMPARE(f.ai->text(), ai);
        QCOMPARE(ai, QStringLiteral("Hinzu..."));
        QCOMPARE(f.lan->text(), lan);
        QCOMPARE(lan, QStringLiteral("Sprachen..."));
        QCOMPARE(f.dab->text(), dab);
        QCOMPARE(f.WelcomeText, welcome);
        QVERIFY(welcome.contains("\r\n"));
    }

    void chooser()
    {
        Form1& f = fx.fresh();
        fx.env->writeFile("home/deutsch.ini", "[language]\r\nfile=Datei\r\nlanguage=Sprachen\r\n");
        fx.env->writeFile("home/notes.txt", "x");
        Form7& w = Form7::instance();
        QCOMPARE(w.File1->items(), QStringList{"deutsch.ini"});
        QCOMPARE(w.Label1->text(), QStringLiteral("Languages - "));
        QCOMPARE(w.Command3->text(), QStringLiteral("English"));

        // OK with nothing selected saves nothing but applies the texts again.
        f.fl->setTitle("changed");
        w.Command1_Click();
        QCOMPARE(f.fl->title(), QStringLiteral("File"));
        QCOMPARE(SettingsStore::GetSetting("inifn", "unset"), QStringLiteral("unset"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Form7::isLoaded());

        // OK with a file selected chooses it.
        Form7& w2 = Form7::instance();
        w2.File1->setListIndex(0);
        w2.Command1_Click();
        const QString chosen = fx.env->home() + "/deutsch.ini";
        QCOMPARE(SettingsStore::GetSetting("inifn"), chosen);
        QCOMPARE(Module1::LanguagePath(), chosen);
        QCOMPARE(f.fl->title(), QStringLiteral("Datei"));
        QCOMPARE(f.Label1[0]->text(), QStringLiteral("Datei"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        // Cancel saves nothing; Edit opens the selected file in the text editor, by argument list.
        Form7& w3 = Form7::instance();
        QCOMPARE(w3.Label1->text(), QStringLiteral("Sprachen - deutsch.ini"));
        QStringList started;
        Shell::setLauncherForTests([&](const QString& program, const QStringList& args) {
            started << program << args;
            return true;
        });
        w3.Command4_Click();  // nothing selected: nothing
        QVERIFY(started.isEmpty());
        w3.File1->setListIndex(0);
        w3.Command4_Click();
        QVERIFY2(started.join("\n").contains(chosen), qPrintable(started.join(" ")));
        Shell::setLauncherForTests({});
        QVERIFY(Form7::isLoaded());
        w3.Command2_Click();
        QCOMPARE(SettingsStore::GetSetting("inifn"), chosen);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        // English with nothing selected stores the folder itself: every text is built in again.
        Form7& w4 = Form7::instance();
        w4.Command3_Click();
        QCOMPARE(SettingsStore::GetSetting("inifn"), fx.env->home() + "/");
        QCOMPARE(f.fl->title(), QStringLiteral("File"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(Form7::instance().Label1->text(), QStringLiteral("Languages - "));
    }

    // Start-up makes dozens of lookups in a row: a large language file is read once for all of them, and
    // an edit of the file shows when the chooser's OK applies the texts again.
    void largeLanguageFileIsReadOnce()
    {
        fx.freshEnv();
        QByteArray ini = "[language]\r\nfile=Datei\r\ntext1=Willkommen\r\n[notes]\r\n";
        const QByteArray filler = "note=a long line of notes that nobody asks for, to make the file large\r\n";
        while (ini.size() < 8 * 1024 * 1024)
            ini += filler;
        const QString path = fx.env->writeFile("home/big.ini", ini);
        SettingsStore::SaveSetting("inifn", path);
        const quint64 before = Profile::parseCount();
        Module1::Main(QString());
        Form1& f = Form1::instance();
        QCOMPARE(f.fl->title(), QStringLiteral("Datei"));
        QCOMPARE(f.WelcomeText, QStringLiteral("Willkommen"));
        QCOMPARE(f.openfile->text(), QStringLiteral("Open..."));
        QCOMPARE(Profile::parseCount() - before, quint64(1));

        ini.replace("file=Datei", "file=Akte");
        fx.env->writeFile("home/big.ini", ini);
        Form7::instance().Command1_Click();
        QCOMPARE(f.fl->title(), QStringLiteral("Akte"));
        QCOMPARE(f.Label1[0]->text(), QStringLiteral("Akte"));
        QCOMPARE(Profile::parseCount() - before, quint64(2));
    }

    void layoutOfTheNormalWindow()
    {
        Form1& f = fx.fresh();
        f.screenPixels = QSize(1280, 1024);
        f.resize(Twips::toPx(10185), Twips::toPx(7440));
        f.Form_Resize();
        using Twips::of;
        QCOMPARE(of(f.Frame1).top(), 525);
        QCOMPARE(of(f.Frame1).width(), 8335);
        QCOMPARE(of(f.Frame1).height(), 5940);
        QCOMPARE(of(f.mp).size(), QSize(6135, 6010));
        QCOMPARE(of(f.List2).left(), 6095);
        // The list ends inside the frame (which would cut off its scroll bars): 2240 wide, not 2300, and
        // 50 short of the frame's bottom.
        QCOMPARE(of(f.List2).width(), 8335 - 6095);
        QCOMPARE(of(f.List2).top() + of(f.List2).height(), 5940);
        QVERIFY(f.Frame1->rect().contains(f.List2->geometry()));
        QCOMPARE(of(f.PBX).top(), 6465);
        // On the first pass the Flash area was narrower than the frame by the list's design width.
        QCOMPARE(of(f.SF).width(), 8335 - 1335);
        f.Form_Resize();
        QCOMPARE(of(f.SF).width(), 8335 - 2240);
        QCOMPARE(of(f.Image8).top(), of(f.Image3).bottom() + 1 + 70);
    }

    void frameTwoPlacement_data()
    {
        QTest::addColumn<int>("screenWidth");
        QTest::addColumn<int>("dx");  // Frame2's left against Frame1's
        QTest::addColumn<int>("dy");  // Frame2's top against its place on top of Frame1
        QTest::newRow("800") << 800 << 0 << 0;
        QTest::newRow("600 like 800") << 600 << 0 << 0;
        QTest::newRow("1024") << 1024 << 0 << 50;
        QTest::newRow("768 like 1024") << 768 << 0 << 50;
        QTest::newRow("1280") << 1280 << -500 << 0;
        QTest::newRow("640") << 640 << -500 << 0;
    }
    void frameTwoPlacement()
    {
        QFETCH(int, screenWidth);
        QFETCH(int, dx);
        QFETCH(int, dy);
        Form1& f = fx.fresh();
        f.screenPixels = QSize(screenWidth, 700);
        f.resize(Twips::toPx(10185), Twips::toPx(7440));
        f.Form_Resize();
        const QRect f1 = Twips::of(f.Frame1), f2 = Twips::of(f.Frame2);
        QCOMPARE(f2.left() - f1.left(), dx);
        QCOMPARE(f2.top() - (f1.top() - f2.height()), dy);
        // A language change re-places the strip by the strip rule alone.
        f.labelsp();
        const QRect after = Twips::of(f.Frame2);
        QCOMPARE(after.left() - f1.left(), screenWidth == 800 || screenWidth == 600 ? 0 : -500);
        QCOMPARE(after.top(), f1.top() - f2.height());
    }

    void maximisedColumn()
    {
        Form1& f = fx.fresh();
        f.screenPixels = QSize(1280, 1024);
        f.show();
        f.showMaximized();
        QVERIFY(waitFor([&] { return bool(f.windowState() & Qt::WindowMaximized); }, 2000));
        f.Form_Resize();
        const int ch = Twips::fromPx(f.height());
        QCOMPARE(Twips::of(f.Frame1).top(), 645);
        QCOMPARE(Twips::of(f.Frame1).height(), ch - 2000);
    }

    void resizeResumesPlayback()
    {
        Form1& f = fx.fresh();
        PlayerFixture::add(f, {writeWav(fx.env->path("r.wav"), 3.0)});
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        f.mp->Pause();
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 1; }));
        f.Form_Resize();
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
    }

    void hoverIsTakenBack()
    {
        Form1& f = fx.fresh();
        f.show();
        QCOMPARE(f.Image5[2]->pixmap().cacheKey(), f.IM.value("cd1").cacheKey());
        moveOver(f.Image5[2]);
        QVERIFY(f.HoverFlag);
        QCOMPARE(f.Image5[2]->pixmap().cacheKey(), f.IM.value("cd2").cacheKey());
        f.ResetHighlight();  // the flag holds the highlight
        QCOMPARE(f.Image5[2]->pixmap().cacheKey(), f.IM.value("cd2").cacheKey());
        moveOver(f.Image1);
        QVERIFY(!f.HoverFlag);
        // The next tick of the reset timer (every 100 ms) takes it back.
        QTRY_COMPARE_WITH_TIMEOUT(f.Image5[2]->pixmap().cacheKey(), f.IM.value("cd1").cacheKey(), 2000);
    }

    void litLabelWaitsForTheBackground()
    {
        Form1& f = fx.fresh();
        f.show();
        moveOver(f.Label1[1]);
        QVERIFY(f.Label1[1]->styleSheet().contains("#0000FF"));
        QVERIFY(!f.Timer2->isActive());
        // Moving onto the video area clears the flag, but only the background starts the reset again.
        emit f.mp->MouseMove(0, 0, 10, 10);
        QVERIFY(!f.HoverFlag);
        QTest::qWait(250);
        QVERIFY(f.Label1[1]->styleSheet().contains("#0000FF"));
        moveOver(f.Image1);
        QTRY_VERIFY_WITH_TIMEOUT(!f.Label1[1]->styleSheet().contains("#0000FF"), 2000);
        // The status labels keep their own look.
        QVERIFY(!f.Label3->styleSheet().contains("transparent"));
    }

    void skinButtonsRunTheirCommands()
    {
        Form1& f = fx.fresh();
        f.show();
        PlayerFixture::add(f, {"/m/0.wav", "/m/1.wav", "/m/2.wav"});
        QTest::mouseClick(f.Image5[4], Qt::LeftButton);
        QCOMPARE(f.List2->ListIndex(), 0);
        QTest::mouseClick(f.Image5[3], Qt::LeftButton);
        QCOMPARE(f.List2->ListIndex(), 2);
        moveOver(f.Image4);
        QCOMPARE(f.Image4->toolTip(), f.sj->text());
        // The flat button FB2 clears the list.
        QVERIFY(!Design::IsPlaceholder(f.FB2));
        QVERIFY(QMetaObject::invokeMethod(f.FB2, "Click"));
        QCOMPARE(f.List1->ListCount(), 0);
        QCOMPARE(f.List2->ListCount(), 0);
    }

    void missingFlatButtonsAreNamed()
    {
        fx.freshEnv();
        QFile::remove(fx.env->config() + "/PellumPlayer/components.ini");
        Form1& f = Form1::instance();
        QVERIFY(Design::IsPlaceholder(f.FB1));
        QVERIFY(!f.designProblems.isEmpty());
        QVERIFY(loadk::instance().isVisible());
        QVERIFY2(loadk::instance().Label4->text().contains("Brimlet.FlatButton"),
                 qPrintable(loadk::instance().Label4->text()));
        QVERIFY(loadk::instance().Label4->text().contains("brimlet-register"));
    }

    void aboutWindowCountsStarts()
    {
        fx.freshEnv();
        QCOMPARE(frmAbout::instance().lv->text(), QStringLiteral("Version: Linux edition 1.0 (0)"));
        releaseWindows();
        SettingsStore::SaveSetting("uc", "5");
        frmAbout& a = frmAbout::instance();
        QVERIFY(a.lv->text().endsWith(" (5)"));
        QCOMPARE(a.windowTitle(), QStringLiteral("PellumPlayer ") + a.lv->text());
        QStringList started;
        Shell::setLauncherForTests([&](const QString& program, const QStringList& args) {
            started << program << args;
            return true;
        });
        a.Command1_Click();
        a.Command3_Click();
        Shell::setLauncherForTests({});
        QVERIFY2(started.join("\n").contains(fx.env->home() + "/readme.txt"), qPrintable(started.join(" ")));
        QVERIFY(started.contains(QString::fromLatin1(frmAbout::WebAddress)));
    }
};

QTEST_MAIN(TextsLayoutTest)
#include "test_texts_layout.moc"
