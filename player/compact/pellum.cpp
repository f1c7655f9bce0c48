#include "player/compact/pellum.h"

#include "platform/desktop/shell.h"
#include "platform/dialogs.h"
#include "platform/media/mediaplayer.h"
#include "platform/programfolder.h"
#include "platform/settings.h"
#include "player/compact/form5.h"
#include "player/compact/form6.h"
#include "player/compact/glyphs.h"
#include "player/compact/skins.h"
#include "player/compact/sst.h"
#include "player/form1.h"
#include "player/form2.h"
#include "player/loadk.h"
#include "player/module1.h"
#include "player/playlistfile.h"
#include "player/she.h"
#include "player/tools/form3.h"
#include "ui/picturebox.h"
#include "ui/twips.h"
#include "ui/windowdrag.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QSignalBlocker>
#include <QWindow>
#include <climits>
#include <cmath>

namespace {

const QString kOpenFilter = QStringLiteral(
    "Media Files|*.wav;*.mpeg;*.mpg;*.mp3;*.avi;*.ivf;*.aif;*.aifc;*.aiff;*.asf;*.asx;*.wax;*.wma;*.wmv;*.wvx;"
    "*.wmp;*.wmx;*.wmz;*.wms;*.mpe;*.midi;*.rmi;*.mid;*.m1v;*.mp2;*.mpa;*.mpv2;*.au;*.snd;*.dat;*.pellum|"
    "Images|*.jpg;*.bmp;*.gif|All Files|*.*");

const QColor kWhite(255, 255, 255);
const QColor kYellow(255, 255, 0);
const QColor kLightOrange(255, 224, 192);  // &HC0E0FF
const QColor kDarkCyan(0, 128, 128);       // &H808000
const QColor kLightYellow(255, 255, 192);  // &HC0FFFF
const QColor kGrey(192, 192, 192);         // &HC0C0C0

// The face's places, in pixels of the built-in picture. Every button lies left of or above the place
// where the list window opens by default, so that the rolled-down list covers none of them.
QRect at(int x, int y, int w, int h) { return QRect(x * Twips::PerPixel, y * Twips::PerPixel, w * Twips::PerPixel, h * Twips::PerPixel); }

void setTextColour(QLabel* l, const QColor& c)
{
    QPalette pal = l->palette();
    if (pal.color(QPalette::WindowText) == c)
        return;
    pal.setColor(QPalette::WindowText, c);
    l->setPalette(pal);
}

void setItalic(QLabel* l, bool on)
{
    if (l->font().italic() == on)
        return;
    QFont f = l->font();
    f.setItalic(on);
    l->setFont(f);
}

void setBack(QLabel* l, const QColor& c)
{
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, c);
    l->setPalette(pal);
    l->setAutoFillBackground(true);
}

// Folders stripped the way the title and the row steps do it: everything up to the first separator,
// again and again, events processed after each cut.
QString stripFolders(QString text)
{
    for (;;) {
        const qsizetype slash = text.indexOf(QLatin1Char('/')), back = text.indexOf(QLatin1Char('\\'));
        const qsizetype cut = slash < 0 ? back : back < 0 ? slash : qMin(slash, back);
        if (cut < 0)
            return text;
        text.remove(0, cut + 1);
        QCoreApplication::processEvents();
    }
}

MediaPlayer& mk() { return *Form5::instance().mk; }

// Sets a window's height in twips, keeping its top edge (at least one pixel).
void setHeightTwips(QWidget* w, int twips) { w->resize(w->width(), qMax(1, Twips::toPx(twips))); }
void setSizeTwips(QWidget* w, int twips) { w->resize(qMax(1, Twips::toPx(twips)), qMax(1, Twips::toPx(twips))); }

}  // namespace

QImage pellum::BuiltInSkin() { return QImage(QStringLiteral(":/compact/skin.png")); }

pellum::pellum()
{
    setObjectName(QStringLiteral("pellum"));
    setWindowTitle(QStringLiteral("PellumPlayer"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setMouseTracking(true);

    Picture1 = new SkinLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->moved = [this] { HoverFlag = false; };
    WindowDrag::attach(Picture1);

    const QCursor pointer(QPixmap(QStringLiteral(":/compact/pointer.png")), 0, 0);
    auto label = [&](SkinLabel*& l, const char* name, const QString& text, const QRect& place, int pixelSize) {
        l = new SkinLabel(text, this);
        l->setMouseTracking(true);
        l->setObjectName(QString::fromLatin1(name));
        l->setAlignment(Qt::AlignCenter);
        QFont f = l->font();
        f.setPixelSize(pixelSize);
        l->setFont(f);
        l->setCursor(pointer);
        setTextColour(l, kWhite);
        Twips::place(l, place);
    };
    label(Label1, "Label1", QStringLiteral("Byebye"), at(44, 390, 110, 30), 17);
    label(Label2, "Label2", QStringLiteral("＞"), at(96, 194, 52, 48), 28);
    label(Label3, "Label3", QStringLiteral("||"), at(152, 194, 52, 48), 26);
    label(Label4, "Label4", QStringLiteral("□"), at(208, 194, 52, 48), 28);
    label(Label5, "Label5", QStringLiteral("←"), at(40, 194, 52, 48), 28);
    label(Label6, "Label6", QStringLiteral("→"), at(264, 194, 52, 48), 28);
    label(Label7, "Label7", QStringLiteral("PellumPlayer"), at(40, 70, 511, 34), 22);
    label(Label8, "Label8", QStringLiteral("●Power"), at(300, 390, 110, 30), 17);
    label(Label9, "Label9", QStringLiteral("PellumPlayer"), at(40, 110, 280, 20), 12);
    label(Label10, "Label10", QStringLiteral("▽"), at(350, 108, 56, 24), 16);
    label(Label11, "Label11", QStringLiteral("◎"), at(418, 108, 56, 24), 16);
    label(Label12, "Label12", QStringLiteral("◇"), at(486, 108, 56, 24), 16);
    label(Label13, "Label13", QString(), at(532, 19, 26, 26), 12);
    label(Label14, "Label14", QStringLiteral("Skins"), at(420, 19, 100, 26), 15);
    Label2->setToolTip(QStringLiteral("Play"));
    Label3->setToolTip(QStringLiteral("Pause"));
    Label4->setToolTip(QStringLiteral("Stop"));
    Label5->setToolTip(QStringLiteral("Previous song"));
    Label6->setToolTip(QStringLiteral("Next song"));
    Label8->setToolTip(QStringLiteral("Exit"));
    Label10->setToolTip(QStringLiteral("Show Listbox"));
    Label11->setToolTip(QStringLiteral("Show CDplayer"));
    Label12->setToolTip(QStringLiteral("Show performing scene"));
    Label13->setToolTip(QStringLiteral("Minimize"));
    Label14->setToolTip(QStringLiteral("Skins"));
    for (SkinLabel* l : {Label10, Label11, Label12, Label13}) {
        setTextColour(l, kLightOrange);
        setBack(l, kDarkCyan);
    }
    Label13->setPixmap(Glyphs::draw(Glyphs::Minimise, kLightOrange, Label13->size()));
    // The title and the time text are no buttons: they keep the window's own pointer.
    for (SkinLabel* l : {Label7, Label9}) {
        l->unsetCursor();
        l->setMouseTracking(false);
    }
    Label7->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    {
        QFont f = Label7->font();
        f.setFamilies({QStringLiteral("細明體"), QStringLiteral("AR PL UMing TW"), QStringLiteral("serif")});
        Label7->setFont(f);
        setTextColour(Label7, kLightYellow);
        setBack(Label7, Qt::black);
        QFont t(QStringLiteral("Times New Roman"), 9, QFont::Bold);
        Label9->setFont(t);
        Label9->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        setTextColour(Label9, kGrey);
    }

    auto image = [&](SkinLabel*& i, const char* name, const char* picture, const QRect& place, const char* tip) {
        i = new SkinLabel(this);
        i->setObjectName(QString::fromLatin1(name));
        i->setPixmap(QPixmap(QString::fromLatin1(picture)));
        i->setAlignment(Qt::AlignCenter);
        i->setToolTip(QString::fromLatin1(tip));
        i->setLineWidth(1);
        Twips::place(i, place);
        SkinLabel* self = i;
        i->moved = [this, self] {
            self->setFrameStyle(QFrame::Box | QFrame::Plain);
            HoverFlag = true;
        };
    };
    image(Image1, "Image1", ":/compact/open.png", at(334, 196, 42, 42), "Open file");
    image(Image2, "Image2", ":/compact/volume.png", at(386, 196, 42, 42), "Volume");

    pb = new QScrollBar(Qt::Horizontal, this);
    pb->setObjectName(QStringLiteral("pb"));
    pb->setMinimum(0);
    pb->setMaximum(0);
    pb->setPageStep(1);  // the thumb keeps a small size on a short clip
    pb->setStyleSheet(QStringLiteral(
        "QScrollBar:horizontal { background: #0b1424; border: 1px solid #2b3a58; height: 16px; }"
        "QScrollBar::handle:horizontal { background: #2fb5c8; min-width: 24px; border-radius: 3px; }"
        "QScrollBar::add-line:horizontal, QScrollBar::sub-line:horizontal { width: 0; }"
        "QScrollBar::add-page:horizontal, QScrollBar::sub-page:horizontal { background: none; }"));
    Twips::place(pb, at(40, 138, 511, 18));

    TTk = new QTimer(this);
    TTk->setInterval(100);
    marqueeTimer_ = new QTimer(this);
    marqueeTimer_->setInterval(200);
    connect(TTk, &QTimer::timeout, this, &pellum::TTk_Timer);
    connect(marqueeTimer_, &QTimer::timeout, this, &pellum::marqueeStep);
    connect(pb, &QScrollBar::valueChanged, this, &pellum::pb_Scroll);

    for (SkinLabel* l : {Label1, Label2, Label3, Label4, Label5, Label6, Label8})
        l->moved = [this, l] { Highlight(l); };
    const std::pair<SkinLabel*, void (pellum::*)()> clicks[] = {
        {Label1, &pellum::Label1_Click},   {Label2, &pellum::Label2_Click},   {Label3, &pellum::Label3_Click},
        {Label4, &pellum::Label4_Click},   {Label5, &pellum::Label5_Click},   {Label6, &pellum::Label6_Click},
        {Label8, &pellum::Label8_Click},   {Label10, &pellum::Label10_Click}, {Label11, &pellum::Label11_Click},
        {Label12, &pellum::Label12_Click}, {Label13, &pellum::Label13_Click}, {Label14, &pellum::Label14_Click},
        {Image1, &pellum::Image1_Click},   {Image2, &pellum::Image2_Click}};
    for (const auto& [l, handler] : clicks) {
        const auto h = handler;
        // Queued, so that a handler that ends the window or the program never runs under the label's
        // own mouse event.
        l->clicked = [this, h] { QMetaObject::invokeMethod(this, h, Qt::QueuedConnection); };
    }
    Picture1->lower();
}

void pellum::Form_Load()
{
    loadk::instance().show();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);

    auto place = [](QWidget* w, const char* leftKey, const char* topKey, const char* left, const char* top) {
        const float x = SettingsStore::GetSetting(QString::fromLatin1(leftKey), QString::fromLatin1(left)).toFloat();
        const float y = SettingsStore::GetSetting(QString::fromLatin1(topKey), QString::fromLatin1(top)).toFloat();
        w->move(Twips::toPx(x), Twips::toPx(y));
    };
    place(&Form5::instance(), "form5left", "form5top", "2280", "1155");
    place(&Form6::instance(), "form6left", "form6top", "6930", "2490");
    place(this, "pellumleft", "pellumtop", "105", "90");

    if (SettingsStore::GetSetting(QStringLiteral("ontop")) == QLatin1String("True"))
        SetOnTop(true);

    QImage picture;
    const QString skin = SettingsStore::GetSetting(QStringLiteral("skin"));
    if (!skin.isEmpty())
        picture = PictureBox::read(skin);
    // A stored skin that is gone, no picture or too small for the controls leaves the built-in face.
    if (picture.isNull() || !HoldsControls(picture.size()))
        picture = BuiltInSkin();
    ApplySkin(picture);
    QGuiApplication::restoreOverrideCursor();
    if (loadk::isLoaded())
        loadk::instance().hide();
    TTk->start();
}

void pellum::ApplySkin(const QImage& picture)
{
    skin_ = picture;
    Picture1->setPixmap(QPixmap::fromImage(skin_));
    Picture1->move(0, 0);
    Picture1->resize(skin_.size());
    resize(skin_.size());
    loadk::ShowStatus(SHE::LangText(QStringLiteral("initialing"), QStringLiteral("Initialing")), 0);
    if (loadk::isLoaded())
        loadk::instance().Label4->setText(loadk::instance().Label4->text() + QStringLiteral(" Pellumplayer"));
    const QRegion region = SHE::MakeSkinRegion(skin_);
    if (region.isEmpty())
        clearMask();
    else
        setMask(region);
}

QSize pellum::SmallestSkin() const
{
    // Every control laid over the face (the built-in face has room for them all).
    QRect controls;
    for (const QWidget* c : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (c != Picture1)
            controls |= c->geometry();
    return QSize(controls.right() + 1, controls.bottom() + 1);
}

bool pellum::HoldsControls(const QSize& size) const
{
    const QSize need = SmallestSkin();
    return size.width() >= need.width() && size.height() >= need.height();
}

void pellum::SavePositions()
{
    auto save = [](const QWidget& w, const char* leftKey, const char* topKey) {
        SettingsStore::SaveSetting(QString::fromLatin1(leftKey), QString::number(float(Twips::fromPx(w.x()))));
        SettingsStore::SaveSetting(QString::fromLatin1(topKey), QString::number(float(Twips::fromPx(w.y()))));
    };
    save(Form5::instance(), "form5left", "form5top");
    save(Form6::instance(), "form6left", "form6top");
    save(pellum::instance(), "pellumleft", "pellumtop");
}

void pellum::Form_Unload(int& cancel)
{
    (void)cancel;
    if (unloading_)
        return;
    unloading_ = true;
    TTk->stop();
    marqueeTimer_->stop();
    SavePositions();
}

void pellum::closeEvent(QCloseEvent* e)
{
    // The window manager's close is the exit: the compact window is the only way back to the program
    // while the compact mode is in use.
    e->ignore();
    QMetaObject::invokeMethod(this, &pellum::Label8_Click, Qt::QueuedConnection);
}

bool pellum::InUse() { return isLoaded() && instance().isVisible(); }

void pellum::SetOnTop(bool onTop)
{
    if (bool(windowFlags() & Qt::WindowStaysOnTopHint) == onTop)
        return;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    // Changing a window's flags hides it.
    if (shown)
        show();
}

// --- buttons ---

void pellum::Label2_Click()
{
    if (!mk().FileName().isEmpty())
        mk().Play();
}

void pellum::Label3_Click()
{
    const int state = mk().PlayState();
    if (state == 2)
        mk().Pause();
    else if (state == 1)
        mk().Play();
}

void pellum::Label4_Click() { mk().Stop(); }

void pellum::Label5_Click()
{
    Form6& list = Form6::instance();
    if (list.CurrentIndex <= 0 || list.List1->ListCount() == 0)
        return;
    // Rows removed under the current index: the step back lands on the last row that is there.
    goToRow(qMin(list.CurrentIndex - 1, list.List1->ListCount() - 1));
}

void pellum::Label6_Click()
{
    Form6& list = Form6::instance();
    if (list.CurrentIndex < list.List1->ListCount() - 1)
        goToRow(list.CurrentIndex + 1);
}

void pellum::goToRow(int r)
{
    Form6& list = Form6::instance();
    Label7->setText(stripFolders(list.List1->List(r)));
    list.List1->setListIndex(r);
    list.CurrentIndex = r;
    marquee();
}

void pellum::Label10_Click()
{
    ResetHighlight();
    QPointer<Form6> list = &Form6::instance();
    if (list->isVisible()) {
        for (int h : {5700, 4700, 3700, 2700, 1700, 700}) {
            setHeightTwips(list, h);
            wait(0.1);
            if (!list)
                return;
        }
        list->hide();
        return;
    }
    setHeightTwips(list, 1);
    list->show();
    for (int h : {100, 1100, 2100, 3100, 4100, 5100, 6100}) {
        setHeightTwips(list, h);
        wait(0.1);
        if (!list)
            return;
    }
    setHeightTwips(list, 5700);
}

void pellum::Label11_Click()
{
    Form3::showPlayer();
}

void pellum::Label12_Click()
{
    QPointer<Form5> video = &Form5::instance();
    video->mk->setFlagMember(23, false);
    if (!video->isVisible()) {
        setSizeTwips(video, 1);
        video->show();
        for (int s : {1000, 3000, 5000, 7000}) {
            setSizeTwips(video, s);
            wait(0.1);
            if (!video)
                return;
        }
        setSizeTwips(video, 7000);
        video->mk->resize(video->mk->width(), Twips::toPx(7000));
        return;
    }
    for (int s : {7000, 5000, 3000, 1000}) {
        setSizeTwips(video, s);
        wait(0.1);
        if (!video)
            return;
    }
    video->hide();
}

void pellum::Label13_Click() { showMinimized(); }

void pellum::Label14_Click() { Skins::instance().show(); }

void pellum::Image1_Click()
{
    const QString name = Dialogs::ShowOpen(kOpenFilter, 4, this);
    // A cancelled dialog leaves the player and the title as they were.
    if (name.isEmpty())
        return;
    Form6& list = Form6::instance();
    {
        if (PlayListFile::isListFile(name, false)) {
            QStringList lines;
            if (!PlayListFile::read(name, PlayListFile::Rule::LastList, &lines))
                return;
            list.List1->AddItems(lines);
            list.show();
            return;
        }
        list.List1->AddItem(name);
    }
    mk().setFileName(name);
    Label7->setText(SHE::FileNameOf(name));
    soh();
}

void pellum::Image2_Click() { SHE::StartMixer(this); }

void pellum::pb_Scroll() { mk().setCurrentPosition(pb->value()); }

// --- exit ---

// The compact list to afore.pellum, as the main window's exit writes its own: a row that cannot be a
// line and a list that cannot be written are told, with the offer to save it elsewhere, while the user
// may be asked.
bool pellum::writeList(const QString& afore, Form6& list)
{
    QStringList leftOut;
    QString error;
    const bool written = PlayListFile::write(afore, list.List1->items(), &leftOut, &error);
    if (!written)
        qWarning("PellumPlayer: could not write the play list to %s: %s", qPrintable(afore), qPrintable(error));
    if (Module1::MayAskUser()) {
        PlayListFile::tellLeftOut(afore, leftOut, &list);
        if (!written)
            PlayListFile::offerSaveElsewhere(afore, error, list.List1->ListCount() == 0,
                                             [&list] { return list.saveListAs(); }, &list);
    }
    return written;
}

bool pellum::PowerWrite()
{
    const QString afore = ProgramFolder::file(QStringLiteral("afore.pellum"));
    // Without the list window there is no compact list to write, and the previous one stays.
    const bool written = Form6::isLoaded() && writeList(afore, Form6::instance());
    if (isLoaded())
        SavePositions();
    SettingsStore::SaveSetting(QStringLiteral("start"), QStringLiteral("pellum"));
    return written;
}

void pellum::Label8_Click()
{
    mk().setFileName(QString());
    PowerWrite();
    unloading_ = true;
    TTk->stop();
    marqueeTimer_->stop();
    Module1::EndProgram();
}

// --- the status tick, the marquee and the hover look ---

void pellum::TTk_Timer()
{
    ResetHighlight();
    Form5& video = Form5::instance();
    MediaPlayer& player = *video.mk;
    const int state = player.PlayState();
    if (state == 0) {
        // Back to the normal state without showing a hidden window.
        if (video.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
            video.setWindowState(video.windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
        player.setDisplaySize(4);
    }
    if (state == 2) {
        video.Label1->setText(QStringLiteral(" PellumPlayer@Dizoz >> ") + SHE::FileNameOf(player.FileName()));
        {
            // The bar holds whole seconds of any length. While the user holds the thumb, the bar is
            // theirs: the tick does not move it under the pointer.
            const QSignalBlocker block(pb);
            pb->setMaximum(int(qMin<double>(std::trunc(player.Duration()), INT_MAX)));
            if (!pb->isSliderDown())
                pb->setValue(int(qMin<double>(std::trunc(player.CurrentPosition()), INT_MAX)));
        }
        Label9->setText(sst(qRound64(player.CurrentPosition())) + QStringLiteral(" / ") +
                        sst(qRound64(player.Duration())));
    }
    if (player.ErrorFlag())
        dropFailedRow();
}

void pellum::dropFailedRow()
{
    Form6& list = Form6::instance();
    const int selected = list.List1->ListIndex();
    if (!list.isVisible() || selected < 0)
        return;
    // A row whose file is not there (its drive unplugged) is no clip that cannot be played: it is kept,
    // so that the list saved from this run still names the file for the day the drive comes back.
    if (SHE::IsMissingFile(list.List1->List(selected)))
        return;
    const int n = list.List1->ListCount();
    if (selected == n - 1) {
        list.List1->RemoveItem(selected);
        if (Form1::instance().en->Checked() && list.List1->ListCount() > 0)
            list.List1->setListIndex(0);
        return;
    }
    // Only a row that is there is dropped.
    const int i = list.CurrentIndex;
    if (i < 0 || i >= n - 1)
        return;
    list.List1->RemoveItem(i);
    const QString next = list.List1->List(i);
    mk().setFileName(next);
    Label7->setText(next);
    soh();
}

void pellum::marquee()
{
    ++marqueeRun_;
    marqueeTimer_->stop();
    if (!marqueeText())
        return;
    marqueeTimer_->start();
}

// Steps 1 to 5 of the title: the file, its author, folders stripped, a blank at the end. False when
// the file changed meanwhile.
bool pellum::marqueeText()
{
    MediaPlayer& player = mk();
    const int run = marqueeRun_;
    const QString file = player.FileName();
    QString text = stripFolders(file + QLatin1Char(' ') + player.GetMediaInfoString(9));
    // A newer title took over while the folders were cut, or the file changed.
    if (run != marqueeRun_ || player.FileName() != file)
        return false;
    marqueeFile_ = file;
    if (text.trimmed().isEmpty())
        text = QStringLiteral("Enjoy the PellumPlayer!");
    marqueeShown_ = text + QLatin1Char(' ');
    marqueeStep_ = 0;
    return true;
}

void pellum::marqueeStep()
{
    if (!Form5::isLoaded() || mk().FileName() != marqueeFile_) {
        marqueeTimer_->stop();
        return;
    }
    const int L = int(marqueeShown_.size());
    ++marqueeStep_;
    if (marqueeStep_ <= L)  // rotation
        Label7->setText(marqueeShown_.right(L - marqueeStep_) + marqueeShown_.left(marqueeStep_));
    else  // build-up
        Label7->setText(marqueeShown_.left(marqueeStep_ - L));
    if (marqueeStep_ >= 2 * L && !marqueeText())
        marqueeTimer_->stop();
}

void pellum::wait(double delay) { Form1::wait(delay); }

void pellum::soh()
{
    Form5& video = Form5::instance();
    const QString tail = video.mk->FileName().right(3).toLower();
    static const QStringList audio{QStringLiteral("wav"), QStringLiteral("mp3"), QStringLiteral("mid"),
                                   QStringLiteral("wma"), QStringLiteral("vob")};
    if (tail.isEmpty() || audio.contains(tail)) {
        video.hide();
        return;
    }
    if (!(video.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        setSizeTwips(&video, 7000);
    video.show();
}

void pellum::Highlight(SkinLabel* label)
{
    setTextColour(label, kYellow);
    setItalic(label, true);
    HoverFlag = true;
}

void pellum::ResetHighlight()
{
    if (HoverFlag)
        return;
    for (SkinLabel* l : {Label1, Label2, Label3, Label4, Label5, Label6, Label8, Label11, Label12, Label14}) {
        setTextColour(l, kWhite);
        setItalic(l, false);
    }
    for (SkinLabel* i : {Image1, Image2})
        if (i->frameStyle() != QFrame::NoFrame)
            i->setFrameStyle(QFrame::NoFrame);
}

// --- the hand-over ---

void pellum::imf()
{
    Form1& main = Form1::instance();
    Form6& list = Form6::instance();
    MediaPlayer& player = mk();
    list.List1->Clear();
    list.List1->AddItems(main.List1->items());
    const QString file = main.mp->FileName();
    if (!file.isEmpty()) {
        if (main.mp->PlayState() == 2)
            main.mp->Pause();
        player.setFileName(file);
        soh();
        player.setCurrentPosition(main.mp->CurrentPosition());
        player.setFlagMember(23, false);
        player.setVolume(-1);
        main.mp->setFileName(QString());
    }
    list.CurrentIndex = main.CurrentIndex;
}

void pellum::Label1_Click()
{
    Skins::release();
    Form1& main = Form1::instance();
    Form6& list = Form6::instance();
    Form5& video = Form5::instance();
    MediaPlayer& player = *video.mk;
    main.PlayerInactive = false;
    main.mp->hide();
    hide();
    video.hide();
    main.mp->setFlagMember(23, false);
    // Told where (the window's own move is taken for none when the place has not changed).
    if (main.HandOverPlace && main.windowHandle())
        main.windowHandle()->setPosition(*main.HandOverPlace);
    main.show();
    main.CurrentIndex = qint16(list.CurrentIndex);
    main.imf2();
    Module1::UseMainWindow();
    list.hide();
    // The main player shows its video again once it has the file.
    main.mp->show();
    if (!player.FileName().isEmpty()) {
        main.show();
        if (player.PlayState() == 2)
            player.Pause();
        if (player.PlayState() == 0)
            player.setFileName(QString());
        Form2::instance().ha();
        main.mp->setVolume(-1);
        main.mp->setFileName(player.FileName());
        main.mp->setCurrentPosition(player.CurrentPosition());
        main.setWindowTitle(QStringLiteral("PellumPlayer@Dizoz >> ") + main.mp->FileName());
        const QString name = SHE::FileNameOf(main.mp->FileName());
        main.Label4->setText(QStringLiteral("●") + (name.size() < 4 ? name : name.chopped(4)));
    } else {
        main.show();
        main.Picture2->show();
    }
}
