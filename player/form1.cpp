#include "player/form1.h"

#include "platform/flash/shockwaveflash.h"
#include "platform/media/mediaplayer.h"
#include "platform/programfolder.h"
#include "platform/settings.h"
#include "player/compact/pellum.h"
#include "player/form2.h"
#include "player/frmabout.h"
#include "player/loadk.h"
#include "player/module1.h"
#include "player/playlistfile.h"
#include "player/she.h"
#include "ui/design.h"
#include "ui/fittedtext.h"
#include "ui/twips.h"

#include <QFile>
#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <array>
#include <climits>


Form1::Form1()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("PellumPlayer"));
    buildElements();
    buildMenus();
    buildSkin();
    connectCommands();
    connectDiscCommands();
    // Every element exists now (the video's native window must come after them); the file named on the
    // command line starts opening while the window loads.
    mp->Prepare(Module1::StartupFile());
    Module1::StartupFile().clear();
}

Form1::~Form1() = default;

void Form1::buildElements()
{
    resize(Twips::toPx(10185), Twips::toPx(7440));

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::NoFrame);

    // Stacked bottom to top: the video, the backdrop shown over it for audio-only files, the list.
    mp = new MediaPlayer(Frame1);
    mp->setObjectName(QStringLiteral("mp"));

    Picture2 = new QLabel(Frame1);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setAutoFillBackground(true);

    List1 = new ListBox(Frame1);
    List1->setObjectName(QStringLiteral("List1"));
    List1->hide();
    List2 = new ListBox(Frame1);
    List2->setObjectName(QStringLiteral("List2"));

    Label3 = new QLabel(Picture2);
    Label4 = new FittedLabel(Picture2);
    Label5 = new QLabel(Picture2);
    Label6 = new QLabel(Picture2);
    Image6 = new QLabel(Picture2);
    for (QLabel* l : {Label3, Label4, Label5, Label6})
        l->setStyleSheet(QStringLiteral("color: white;"));
    Label3->setGeometry(Twips::rect(300, 300, 2000, 255));
    Label6->setGeometry(Twips::rect(300, 600, 1000, 255));
    Label4->setGeometry(Twips::rect(300, 1000, 5500, 255));
    Label5->setGeometry(Twips::rect(300, 1400, 5500, 800));
    Label5->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image6->setGeometry(Twips::rect(300, 2400, 480, 480));
    Label3->setObjectName(QStringLiteral("Label3"));
    Label4->setObjectName(QStringLiteral("Label4"));
    Label5->setObjectName(QStringLiteral("Label5"));
    Label6->setObjectName(QStringLiteral("Label6"));

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));

    SF = new ShockwaveFlash(this);
    SF->setObjectName(QStringLiteral("SF"));
    SF->hide();

    PBX = new QSlider(Qt::Horizontal, this);
    PBX->setObjectName(QStringLiteral("PBX"));
    PBX->setRange(1, 1);

    Frame2 = new QWidget(this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    for (int i = 0; i < 8; ++i) {
        auto* l = new SkinLabel(Frame2);
        l->setObjectName(QStringLiteral("Label1_%1").arg(i));
        Label1.append(l);
    }

    // The activity picture: a ring whose bright dot swaps sides once a second while playing.
    for (int phase = 0; phase < 2; ++phase) {
        QPixmap pm(Twips::toPx(480), Twips::toPx(480));
        pm.fill(Qt::transparent);
        QPainter painter(&pm);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(255, 220, 200), 3));
        painter.drawEllipse(pm.rect().adjusted(4, 4, -4, -4));
        painter.setBrush(Qt::white);
        painter.setPen(Qt::NoPen);
        const int d = pm.width() / 4;
        painter.drawEllipse(phase ? QRect(pm.width() - d - 3, (pm.height() - d) / 2, d, d)
                                  : QRect(3, (pm.height() - d) / 2, d, d));
        (phase ? circle1_ : circle_) = pm;
    }
    Image6->setPixmap(circle_);

    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    Timer3 = new QTimer(this);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Timer3, &QTimer::timeout, this, &Form1::Timer3_Timer);

    connect(List2, &ListBox::Click, this, &Form1::List1_Click);
    connect(mp, &MediaPlayer::EndOfStream, this, &Form1::mp_EndOfStream);
    connect(mp, &MediaPlayer::stateChanged, this, &Form1::mp_StateChanged);
    connect(PBX, &QSlider::valueChanged, this, &Form1::PBX_Change);

    // Design places; the resize handler moves them with the window.
    Twips::place(Frame1, QRect(1200, 525, 8335, 5940));
    Twips::place(Picture2, QRect(-60, -60, 6935, 6110));
    Twips::place(mp, QRect(0, 0, 6135, 6010));
    Twips::place(List2, QRect(6095, 50, 1335, 5960));
    Twips::place(PBX, QRect(1200, 6465, 8335, 330));
    Twips::place(Frame2, QRect(700, 300, 8335, 225));
    Twips::place(Picture1, QRect(105, 525, 915, 5510));
    for (int i = 0; i < 8; ++i)
        Twips::place(Label1[i], QRect(90 + i * 900, 0, 800, 225));
}

void Form1::buildMenus()
{
    auto item = [this](QMenu* menu, const char* name, const char* caption, bool checkable = false) {
        auto* m = new MenuItem(QString::fromLatin1(name), QString::fromUtf8(caption), this, checkable);
        if (menu)
            menu->addAction(m);
        return m;
    };
    auto sub = [this](QMenu* parent, const char* name) {
        auto* m = new QMenu(parent ? static_cast<QWidget*>(parent) : this);
        m->setObjectName(QString::fromLatin1(name));
        if (parent)
            parent->addMenu(m);
        return m;
    };

    // File
    fl = sub(nullptr, "fl");
    openfile = item(fl, "openfile", "Open...");
    OpU = item(fl, "OpU", "Open URL...");
    po = sub(fl, "po");
    pv = item(po, "pv", "Play VCD");
    pdvd = item(po, "pdvd", "Play DVD");
    ai = item(fl, "ai", "Add Items...");
    ci = item(fl, "ci", "Clear Items");
    li = sub(fl, "li");
    il = item(li, "il", "Import List...");
    ol = item(li, "ol", "Export List...");
    rff = sub(fl, "rff");
    lllll = item(rff, "lllll", "Add Current File To Recent Files");
    adr = item(rff, "adr", "Add All Recent Files To List");
    cr = item(rff, "cr", "Clear Recent Files");
    rff->addSeparator();
    bk = sub(fl, "bk");
    AddB = item(bk, "AddB", "Add Bookmark");
    EBm = item(bk, "EBm", "Edit Bookmark...");
    bk->addSeparator();
    fl->addSeparator();
    sj = item(fl, "sj", "Show Pellum!...");
    fl->addSeparator();
    ett = item(fl, "ett", "Exit");

    // Actions
    ac = sub(nullptr, "ac");
    play = item(ac, "play", "Play");
    pa = item(ac, "pa", "Pause");
    st = item(ac, "st", "Stop");
    ma = item(ac, "ma", "Magnify");
    pb = sub(ac, "pb");
    ps = item(pb, "ps", "Previous Song");
    et = item(pb, "et", "Next Song");
    fo = item(pb, "fo", "Fadeout To Stop");
    shu = item(pb, "shu", "Shuffle", true);
    sfp = sub(pb, "sfp");
    s18x = item(sfp, "s18x", "1/8x", true);
    s14x = item(sfp, "s14x", "1/4x", true);
    s12x = item(sfp, "s12x", "1/2x", true);
    nor = item(sfp, "nor", "Normal", true);
    s15x = item(sfp, "s15x", "1.5x", true);
    s2x = item(sfp, "s2x", "2x", true);
    ac->addSeparator();
    cdr = sub(ac, "cdr");
    cdr->setTitle(QStringLiteral("CD"));
    cp = item(cdr, "cp", "CDplayer...");
    ej = item(cdr, "ej", "Eject");
    cll = item(cdr, "cll", "Shut");
    dab = item(ac, "dab", "CD Direzar...");
    ms = item(ac, "ms", "MediaScan...");
    PPs = item(ac, "PPs", "Shower...");
    selecta = item(ac, "selecta", "Selector...");
    ssaver = sub(ac, "ssaver");
    scrs = item(ssaver, "scrs", "Start");
    scrsets = item(ssaver, "scrsets", "Setup...");

    // Options
    rndg = sub(nullptr, "rndg");
    sl = item(rndg, "sl", "ShowBar", true);
    fs = item(rndg, "fs", "FullScreen", true);
    en = item(rndg, "en", "RepeatAll", true);
    ccc = item(rndg, "ccc", "ClearList", true);
    dd = item(rndg, "dd", "DetectDabs", true);
    ontop = item(rndg, "ontop", "Always On Top", true);
    vitrif = item(rndg, "vitrif", "Vitrifaction", true);
    co = sub(rndg, "co");
    ck = item(co, "ck", "Captured Then Continue", true);
    cts = item(co, "cts", "Captured Then Set Wallpaper", true);
    rndg->addSeparator();
    lan = item(rndg, "lan", "Languages...");

    // Items of the strip that are commands themselves.
    ca = item(nullptr, "ca", "Capture");
    vol = item(nullptr, "vol", "Volume");
    h = item(nullptr, "h", "Menu");
    exitc = item(nullptr, "exitc", "Exit");

    // About
    ab = sub(nullptr, "ab");
    rm = item(ab, "rm", "Readme");
    web = item(ab, "web", "Home Page");
    abbo = item(ab, "abbo", "About PellumPlayer");

    // The list's right-click menu.
    tt = sub(nullptr, "tt");
    fss = item(tt, "fss", "Fadeout To Stop");
    py = item(tt, "py", "Play");
    cl = item(tt, "cl", "Remove");
    in = item(tt, "in", "Insert");
    loc = item(tt, "loc", "Locate");

    connect(ol, &MenuItem::Click, this, &Form1::ol_Click);
    connect(play, &MenuItem::Click, this, &Form1::play_Click);
    connect(pa, &MenuItem::Click, this, &Form1::pa_Click);
    connect(st, &MenuItem::Click, this, &Form1::st_Click);
    connect(ma, &MenuItem::Click, this, &Form1::ma_Click);
    connect(ps, &MenuItem::Click, this, &Form1::ps_Click);
    connect(et, &MenuItem::Click, this, &Form1::et_Click);
    connect(py, &MenuItem::Click, this, &Form1::py_Click);
    connect(exitc, &MenuItem::Click, this, &Form1::exitc_Click);
    connect(ett, &MenuItem::Click, this, &Form1::ett_Click);
    for (MenuItem* r : {s18x, s14x, s12x, nor, s15x, s2x})
        connect(r, &MenuItem::Click, this, [this, r] { rate_Click(r); });
    connect(sl, &MenuItem::Click, this, &Form1::sl_Click);
    connect(fs, &MenuItem::Click, this, &Form1::fs_Click);
    connect(en, &MenuItem::Click, this, &Form1::en_Click);
    connect(ccc, &MenuItem::Click, this, &Form1::ccc_Click);
    connect(dd, &MenuItem::Click, this, &Form1::dd_Click);
    connect(ontop, &MenuItem::Click, this, &Form1::ontop_Click);
    connect(sj, &MenuItem::Click, this, &Form1::sj_Click);
    connect(ck, &MenuItem::Click, this, &Form1::ck_Click);
    connect(cts, &MenuItem::Click, this, &Form1::cts_Click);
    connect(vitrif, &MenuItem::Click, this, &Form1::vitrif_Click);
    connect(shu, &MenuItem::Click, this, &Form1::shu_Click);
    connect(h, &MenuItem::Click, this, &Form1::h_Click);
    connect(lan, &MenuItem::Click, this, &Form1::lan_Click);
    connect(cp, &MenuItem::Click, this, &Form1::cp_Click);
    connect(dab, &MenuItem::Click, this, &Form1::dab_Click);
    connect(abbo, &MenuItem::Click, this, &Form1::abbo_Click);
    connect(vol, &MenuItem::Click, this, &Form1::vol_Click);
    connect(rm, &MenuItem::Click, this, &Form1::rm_Click);
    connect(web, &MenuItem::Click, this, &Form1::web_Click);
    connect(scrs, &MenuItem::Click, this, &Form1::scrs_Click);
    connect(scrsets, &MenuItem::Click, this, &Form1::scrsets_Click);
    connect(selecta, &MenuItem::Click, this, &Form1::selecta_Click);
    connect(PPs, &MenuItem::Click, this, &Form1::PPs_Click);

    // The label strip stands for the top menus, in this order.
    const QList<QObject*> strip{fl, ac, rndg, ca, vol, h, ab, exitc};
    for (int i = 0; i < 8; ++i) {
        SkinLabel* label = Label1[i];
        QObject* target = strip[i];
        label->pressed = [label, target](const QPoint&) {
            label->setStyleSheet(QStringLiteral("color: white; background: #FFE0C0;"));
            if (auto* menu = qobject_cast<QMenu*>(target)) {
                // The menu drops down from the label's foot, as from a menu bar (the strip may cut the
                // label short).
                const int foot = qMin(label->height(), label->parentWidget()->height() - label->y());
                menu->popup(label->mapToGlobal(QPoint(0, foot)));
            } else if (auto* action = qobject_cast<QAction*>(target)) {
                action->trigger();
            }
        };
        label->moved = [this, label] {
            Timer2->stop();
            label->setStyleSheet(QStringLiteral("color: white; background: #0000FF;"));
            HoverFlag = true;
        };
    }
}

QString Form1::GL(const QString& key, const QString& defaultValue) const { return SHE::LangText(key, defaultValue); }

void Form1::Form_Load()
{
    QPalette pal = Picture2->palette();
    pal.setColor(QPalette::Window, QColor(209, 0, 0));
    Picture2->setPalette(pal);
    Picture1->hide();
    setWindowTitle(QStringLiteral("PellumPlayer - ") + frmAbout::instance().lv->text());
    const long long state = SettingsStore::GetNumber(QStringLiteral("form1st"), 0);
    if (state == 1)
        setWindowState(Qt::WindowMinimized);
    else if (state == 2)
        setWindowState(Qt::WindowMaximized);
    PlayerInactive = true;
    loadk::ShowStatus(GL(QStringLiteral("loadlanguage"), QStringLiteral("Loading languag file")), 0);
    language();
    loadk::ShowStatus(GL(QStringLiteral("initialing"), QStringLiteral("Initialing")), 0);
    loadk::instance().Label4->setText(loadk::instance().Label4->text() + QStringLiteral(" Pellumplayer"));

    cts->setChecked(SettingsStore::GetFlag(QStringLiteral("cts")));
    ontop->setChecked(SettingsStore::GetFlag(QStringLiteral("ontop")));
    en->setChecked(SettingsStore::GetFlag(QStringLiteral("repeat")));
    fs->setChecked(SettingsStore::GetFlag(QStringLiteral("fullscreen")));
    ccc->setChecked(SettingsStore::GetFlag(QStringLiteral("clearlist")));
    ck->setChecked(SettingsStore::GetFlag(QStringLiteral("cpp")));
    sl->setChecked(SettingsStore::GetFlag(QStringLiteral("sl")));
    shu->setChecked(SettingsStore::GetFlag(QStringLiteral("shu")));
    vitrif->setChecked(SettingsStore::GetFlag(QStringLiteral("vitrif")));
    const long long uc = SettingsStore::GetNumber(QStringLiteral("uc"), 0);
    dd->setChecked(SettingsStore::GetFlag(QStringLiteral("dd")));

    nor->setChecked(false);
    CheckRateItem(nor);
    PBX->setVisible(sl->Checked());
    mp->setFlagMember(1056, true);
    CurrentIndex = 1;
    setFont(List1->font());
    // The start counter stops at its largest value rather than wrapping round.
    SettingsStore::SaveSetting(QStringLiteral("uc"), QString::number(uc < LLONG_MAX ? uc + 1 : uc));
    mp->setFlagMember(1025, false);
    RefreshRecentMenu();
    SmS();

    Label5->setText(GL(QStringLiteral("text1"), QStringLiteral("Welcome to use the best Pellumplayer")));
    WelcomeText = Label5->text();

    const QString afore = ProgramFolder::file(QStringLiteral("afore.pellum"));
    if (QFile::exists(afore)) {
        QStringList paths;
        PlayListFile::read(afore, PlayListFile::Rule::LastList, &paths);
        List1->AddItems(paths);
        REL();
        Form2::instance().ha();
    }
    labelst();
    Image2->setPixmap(IM.value(QStringLiteral("pa1")));
    Image3->setPixmap(IM.value(QStringLiteral("pu1")));
    for (int i = 0; i < 5; ++i)
        SetButtonImage(i, QString::fromLatin1(std::array{"add", "ra", "cd", "ps", "ns"}[i]), 1);
    loadk::instance().hide();
    if (FB1)
        Design::SetToolTipText(FB1, ai->text());
    if (FB2)
        Design::SetToolTipText(FB2, ci->text());
    Timer1->start();
    Timer2->start();
    // A control the stored design could not create is named on the notice window, with how to mend it.
    // Controls that miss the same library give the same message; the notice says it once.
    if (!designProblems.isEmpty()) {
        QStringList told = designProblems;
        told.removeDuplicates();
        loadk::ShowStatus(told.join(QLatin1Char('\n')), 1);
        loadk::instance().ShowInFront(this);
    }
}

void Form1::Form_Unload(int& cancel)
{
    (void)cancel;
    if (unloading_)
        return;
    unloading_ = true;
    Timer1->stop();
    Timer3->stop();
    mp->setFileName(QString());
    const QString afore = ProgramFolder::file(QStringLiteral("afore.pellum"));
    QStringList leftOut;
    QString error;
    const bool written = PlayListFile::write(afore, List1->items(), &leftOut, &error);
    if (!written)
        qWarning("PellumPlayer: could not write the play list to %s: %s", qPrintable(afore), qPrintable(error));
    if (Module1::MayAskUser()) {
        PlayListFile::tellLeftOut(afore, leftOut, this);
        if (!written)
            PlayListFile::offerSaveElsewhere(afore, error, List1->ListCount() == 0,
                                             [this] { return saveListAs(); }, this);
    }
    SettingsStore::SaveSetting(QStringLiteral("start"), QStringLiteral("form1"));
    int state = 0;
    if (windowState() & Qt::WindowMinimized)
        state = 1;
    else if (windowState() & Qt::WindowMaximized)
        state = 2;
    SettingsStore::SaveSetting(QStringLiteral("form1st"), QString::number(state));
    Module1::EndProgram();
}

void Form1::exitc_Click()
{
    int cancel = 0;
    Form_Unload(cancel);
}

void Form1::ett_Click() { exitc_Click(); }

// --- options ---

void Form1::toggleOption(MenuItem* item, const QString& key)
{
    item->setChecked(!item->Checked());
    SettingsStore::SaveFlag(key, item->Checked());
}

void Form1::sl_Click()
{
    toggleOption(sl, QStringLiteral("sl"));
    PBX->setVisible(sl->Checked());
}
void Form1::fs_Click() { toggleOption(fs, QStringLiteral("fullscreen")); }
void Form1::en_Click() { toggleOption(en, QStringLiteral("repeat")); }
void Form1::ccc_Click() { toggleOption(ccc, QStringLiteral("clearlist")); }
void Form1::dd_Click() { toggleOption(dd, QStringLiteral("dd")); }
void Form1::ontop_Click()
{
    // The option belongs to the compact player window, loaded hidden here when it is not loaded yet.
    toggleOption(ontop, QStringLiteral("ontop"));
    pellum::instance().SetOnTop(ontop->Checked());
}
void Form1::ck_Click() { toggleOption(ck, QStringLiteral("cpp")); }
void Form1::cts_Click() { toggleOption(cts, QStringLiteral("cts")); }
void Form1::vitrif_Click() { toggleOption(vitrif, QStringLiteral("vitrif")); }
void Form1::shu_Click() { toggleOption(shu, QStringLiteral("shu")); }
