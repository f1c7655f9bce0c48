// The main window's texts in the chosen language.
#include "player/form1.h"

#include "ui/twips.h"

void Form1::language()
{
    // Each caption is looked up afresh, so applying the texts twice gives the same result.
    auto set = [this](QAction* a, const char* key, const char* def, const char* suffix = "") {
        a->setText(GL(QString::fromLatin1(key), QString::fromUtf8(def)));
        if (*suffix)
            a->setText(a->text() + QString::fromUtf8(suffix));
    };
    auto setMenu = [this](QMenu* m, const char* key, const char* def) {
        m->setTitle(GL(QString::fromLatin1(key), QString::fromUtf8(def)));
    };
    set(OpU, "openurl", "Open URL", "...");
    set(ontop, "ontop", "Always On Top");
    set(web, "web", "Home Page");
    set(rm, "readme", "Readme");
    set(abbo, "aboutr", "About PellumPlayer");
    set(dd, "detectdabs", "DetectDabs");
    dab->setText(QStringLiteral("CD ") + GL(QStringLiteral("dabs"), QStringLiteral("Direzar")) + QStringLiteral("..."));
    set(ms, "mediascan", "MediaScan", "...");
    setMenu(ssaver, "screensaver", "ScreenSaver");
    set(scrs, "start", "Start");
    set(scrsets, "setup", "Setup", "...");
    set(PPs, "shower", "Shower", "...");
    setMenu(fl, "file", "File");
    setMenu(rff, "recentfiles", "RecentFiles");
    setMenu(co, "capture", "Capture");
    set(openfile, "open", "Open", "...");
    setMenu(po, "play", "Play");
    set(pv, "playvcd", "Play VCD");
    set(pdvd, "playdvd", "Play DVD");
    set(cts, "cts", "Captured Then Set Wallpaper");
    set(ai, "additems", "Add Items", "...");
    set(ci, "clearitems", "Clear Items");
    set(sj, "showpellum", "Show Pellum!", "...");
    setMenu(li, "list", "List");
    set(il, "importlist", "Import List", "...");
    set(ol, "exportlist", "Export List", "...");
    set(lllll, "addcurrentfiletorecentfiles", "Add Current File To Recent Files");
    set(adr, "addallrecentfilestolist", "Add All Recent Files To List");
    set(cr, "clearrecentfiles", "Clear Recent Files");
    set(ett, "exit", "Exit");
    setMenu(ac, "actions", "Actions");
    set(play, "play", "Play");
    set(pa, "pause", "Pause");
    set(st, "stop", "Stop");
    set(ma, "magnify", "Magnify");
    set(ej, "eject", "Eject");
    set(cll, "shut", "Shut");
    set(ca, "capture", "Capture");
    setMenu(rndg, "options", "Options");
    set(sl, "showlist", "ShowBar");
    set(fs, "fullscreen", "FullScreen");
    set(en, "repeatall", "RepeatAll");
    set(ccc, "clearlist", "ClearList");
    set(ck, "capturethencontinue", "Captured Then Continue");
    setMenu(pb, "playcontrol", "PlayControl");
    set(ps, "previoussong", "Previous Song");
    set(et, "nextsong", "Next Song");
    set(fo, "fadeouttostop", "Fadeout To Stop");
    set(shu, "shuffle", "Shuffle");
    setMenu(sfp, "playrate", "Playrate");
    set(nor, "normal", "Normal");
    set(vol, "volume", "Volume");
    set(h, "menu", "Menu");
    setMenu(ab, "about", "About");
    set(exitc, "exit", "Exit");
    Label5->setText(GL(QStringLiteral("text1"), QStringLiteral("Welcome to use the best Pellumplayer")) +
                    QStringLiteral("\r\n") + QStringLiteral("pellumplayer@example.org"));
    WelcomeText = Label5->text();
    set(lan, "language", "Languages");
    set(loc, "locate", "Locate");
    set(vitrif, "vitrifaction", "Vitrifaction");
    lan->setText(lan->text() + QStringLiteral("..."));

    const QList<QString> strip{fl->title(), ac->title(), rndg->title(), ca->text(),
                               vol->text(), h->text(),   ab->title(),   exitc->text()};
    for (int i = 0; i < Label1.size(); ++i) {
        Label1[i]->setText(strip[i]);
        Label1[i]->adjustSize();
        QRect r = Twips::of(Label1[i]);
        r.setSize(QSize(Twips::fromPx(Label1[i]->width()), Twips::fromPx(Label1[i]->height())));
        Twips::place(Label1[i], r);
    }
    skinTips[0] = ai->text();
    skinTips[1] = GL(QStringLiteral("radio"), QStringLiteral("Selector")) + QStringLiteral("...");
    set(selecta, "radio", "Selector", "...");
    skinTips[2] = QStringLiteral("CDplayer");
    skinTips[3] = ps->text();
    skinTips[4] = et->text();
    skinTips[5] = PPs->text();
    skinTips[6] = ms->text();
    skinTips[7] = ssaver->title();
    skinTips[8] = dab->text();
    skinTips[9] = pv->text();
    skinTips[10] = pdvd->text();
    skinTips[11] = pa->text();
    SkinLabel* const tipped[12] = {Image5[0], Image5[1], Image5[2], Image5[3], Image5[4], Image8,
                                   Image9,    Image10,   Image11,   Image12,   Image2,    Image3};
    for (int i = 0; i < 12; ++i)
        tipped[i]->setToolTip(skinTips[i]);
    Label4->setText(QStringLiteral("●") +
                    GL(QStringLiteral("label1"), QStringLiteral("Click \"Open\" or \"Add Items\" to open media file")));
    setMenu(bk, "bookmark", "Bookmark");
    set(AddB, "addbookmark", "Add Bookmark");
    set(EBm, "editbookmark", "Edit Bookmark", "...");
}
