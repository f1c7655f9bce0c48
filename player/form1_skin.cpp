// The main window as a skin: its picture buttons, the hover highlight and the fixed layout.
#include "player/form1.h"

#include "platform/flash/shockwaveflash.h"
#include "platform/media/mediaplayer.h"
#include "ui/design.h"
#include "ui/twips.h"

#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>

namespace {

const char* const kPrefixes[5] = {"add", "ra", "cd", "ps", "ns"};

// A border that shows where a skin button is under the pointer.
const QString kBorder = QStringLiteral("border: 1px solid #ffd9b0;");

void setLook(QWidget* w, const QString& sheet)
{
    if (w->styleSheet() != sheet)
        w->setStyleSheet(sheet);
}

void setPicture(QLabel* l, const QPixmap& pm)
{
    if (l->pixmap().cacheKey() != pm.cacheKey())
        l->setPixmap(pm);
}

}  // namespace

void Form1::buildSkin()
{
    for (const QString& f : QDir(QStringLiteral(":/skin")).entryList({QStringLiteral("*.png")}))
        IM.insert(f.chopped(4), QPixmap(QStringLiteral(":/skin/") + f));

    Image1 = new SkinLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setScaledContents(true);
    Image1->setPixmap(IM.value(QStringLiteral("background")));
    Image1->lower();
    Image1->moved = [this] { Image1_MouseMove(); };

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setStyleSheet(QStringLiteral("background: rgb(128, 128, 128);"));
    Label2->stackUnder(Frame1);
    Label7 = new QLabel(this);
    Label7->setObjectName(QStringLiteral("Label7"));
    Twips::place(Label7, QRect(500, 0, 4000, 255));

    auto button = [this](const char* name, QWidget* parent, const QRect& twips) {
        auto* b = new SkinLabel(parent);
        b->setObjectName(QString::fromLatin1(name));
        b->setScaledContents(true);
        b->setCursor(Qt::PointingHandCursor);
        Twips::place(b, twips);
        return b;
    };
    // Buttons with a second picture under the pointer; the others show a border.
    auto swapping = [this](SkinLabel* b, const QString& prefix, const std::function<void()>& click) {
        b->moved = [this, b, prefix] {
            setPicture(b, IM.value(prefix + QLatin1Char('2')));
            if (b == Image2 || b == Image3)
                setLook(b, kBorder);
            HoverFlag = true;
        };
        b->clicked = click;
    };
    auto bordered = [this](SkinLabel* b, const std::function<void()>& click) {
        b->moved = [this, b] {
            setLook(b, kBorder);
            if (b == Image4)
                b->setToolTip(sj->text());
            HoverFlag = true;
        };
        b->clicked = click;
    };
    auto run = [](std::function<void()>* command) {
        return [command] {
            if (*command)
                (*command)();
        };
    };

    Image5[0] = button("Image5_0", Picture2, QRect(300, 3300, 480, 480));
    Image5[1] = button("Image5_1", Picture2, QRect(900, 3300, 480, 480));
    Image5[2] = button("Image5_2", this, QRect(0, 0, 1550, 630));
    Image5[3] = button("Image5_3", Picture2, QRect(1500, 3300, 480, 480));
    Image5[4] = button("Image5_4", Picture2, QRect(2100, 3300, 480, 480));
    swapping(Image5[0], QStringLiteral("add"), run(&ai_Command));
    swapping(Image5[1], QStringLiteral("ra"), [this] { selecta_Click(); });
    swapping(Image5[2], QStringLiteral("cd"), [this] { cp_Click(); });
    swapping(Image5[3], QStringLiteral("ps"), [this] { ps_Click(); });
    swapping(Image5[4], QStringLiteral("ns"), [this] { et_Click(); });

    Image2 = button("Image2", this, QRect(240, 0, 645, 645));
    Image3 = button("Image3", this, QRect(240, 0, 645, 645));
    Image4 = button("Image4", this, QRect(240, 0, 540, 510));
    Image8 = button("Image8", this, QRect(255, 0, 540, 540));
    Image9 = button("Image9", this, QRect(255, 0, 480, 480));
    Image10 = button("Image10", this, QRect(240, 0, 540, 510));
    Image11 = button("Image11", this, QRect(255, 0, 540, 510));
    Image12 = button("Image12", this, QRect(270, 0, 540, 510));
    swapping(Image2, QStringLiteral("pa"), run(&pdvd_Command));
    swapping(Image3, QStringLiteral("pu"), [this] { pa_Click(); });
    bordered(Image4, [this] { sj_Click(); });
    bordered(Image8, [this] { PPs_Click(); });
    bordered(Image9, [this] { ms_Click(); });
    bordered(Image10, [this] { scrs_Click(); });
    bordered(Image11, [this] { dab_Click(); });
    bordered(Image12, run(&pv_Command));
    Image4->setPixmap(IM.value(QStringLiteral("compact")));
    Image8->setPixmap(IM.value(QStringLiteral("shower")));
    Image9->setPixmap(IM.value(QStringLiteral("mediascan")));
    Image10->setPixmap(IM.value(QStringLiteral("screensaver")));
    Image11->setPixmap(IM.value(QStringLiteral("dabs")));
    Image12->setPixmap(IM.value(QStringLiteral("vcd")));
    // The seek bar stands above the skin's pictures: the CD button below the frame reaches up into it.
    PBX->raise();

    // The surfaces that take the highlight back.
    connect(mp, &MediaPlayer::MouseMove, this, [this] { HoverFlag = false; });
    connect(List2, &ListBox::MouseMove, this, [this] { HoverFlag = false; });
    for (QWidget* w : {static_cast<QWidget*>(Picture1), static_cast<QWidget*>(Picture2)}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
    // The pointer can leave a lit element without crossing the background: out of the window, into a
    // strip menu that then closes, or into a modal window. Each counts as a move over the background.
    installEventFilter(this);
    for (QMenu* menu : {fl, ac, rndg, ab})
        connect(menu, &QMenu::aboutToHide, this, &Form1::Image1_MouseMove);

    Timer2 = new QTimer(this);
    Timer2->setInterval(100);
    connect(Timer2, &QTimer::timeout, this, &Form1::ResetHighlight);

    // The flat buttons come from the window's stored design.
    const Design::Loaded design = Design::Load(QStringLiteral(":/designs/form1.json"), this);
    FB1 = design.controls.value(QStringLiteral("FB1"));
    FB2 = design.controls.value(QStringLiteral("FB2"));
    designProblems = design.messages;
    for (const QString& m : designProblems)
        qWarning("PellumPlayer: %s", qPrintable(m));
    if (FB1 && !Design::IsPlaceholder(FB1))
        connect(FB1, SIGNAL(Click()), this, SLOT(FB1_Click()));
    if (FB2 && !Design::IsPlaceholder(FB2))
        connect(FB2, SIGNAL(Click()), this, SLOT(FB2_Click()));
}

void Form1::FB1_Click()
{
    if (ai_Command)
        ai_Command();
}

void Form1::FB2_Click() { ci_Click(); }

void Form1::Image1_MouseMove()
{
    HoverFlag = false;
    Timer2->start(100);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove && (watched == Picture1 || watched == Picture2))
        HoverFlag = false;
    // A strip menu that opens takes the pointer too; the label keeps its look until the menu closes.
    if (watched == this && ((event->type() == QEvent::Leave && !QApplication::activePopupWidget()) ||
                            event->type() == QEvent::WindowBlocked))
        Image1_MouseMove();
    return VbForm::eventFilter(watched, event);
}

void Form1::SetButtonImage(int index, const QString& prefix, int state)
{
    if (index >= 0 && index < 5)
        setPicture(Image5[index], IM.value(prefix + QString::number(state)));
}

void Form1::ResetHighlight()
{
    if (HoverFlag)
        return;
    // Only what differs from the resting look is changed, so a pass over a resting window costs little.
    for (int i = 0; i < 5; ++i)
        SetButtonImage(i, QString::fromLatin1(kPrefixes[i]), 1);
    setPicture(Image2, IM.value(QStringLiteral("pa1")));
    setPicture(Image3, IM.value(QStringLiteral("pu1")));
    for (QWidget* w : {Image2, Image3, Image4, Image8, Image9, Image10, Image11, Image12})
        setLook(w, QString());
    // Every label but the four status labels takes the resting look: the strip, Label6 and Label7.
    for (QLabel* l : findChildren<QLabel*>()) {
        if (!l->objectName().startsWith(QLatin1String("Label")) || l == Label2 || l == Label3 || l == Label4 ||
            l == Label5)
            continue;
        setLook(l, QStringLiteral("color: white; background: transparent;"));
    }
}

QRect Form1::screenTwips() const
{
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    QRect g = s ? s->geometry() : QRect(0, 0, 1280, 1024);
    if (screenPixels.isValid())
        g.setSize(screenPixels);
    return QRect(0, 0, Twips::fromPx(g.width()), Twips::fromPx(g.height()));
}

void Form1::resizeEvent(QResizeEvent* e)
{
    VbForm::resizeEvent(e);
    Form_Resize();
}

void Form1::Form_Resize()
{
    if ((windowState() & Qt::WindowMinimized) || !Image1)
        return;
    if (mp->PlayState() == 2)
        mp->Pause();
    const int cw = Twips::fromPx(width());
    const int ch = Twips::fromPx(height());
    const bool maxed = windowState() & Qt::WindowMaximized;
    const double screenPx = double(screenTwips().width()) / Twips::PerPixel;
    const bool test800 = screenPx == 800 || screenPx == 600;
    const bool test1024 = screenPx == 1024 || screenPx == 768;
    using Twips::of;
    using Twips::place;

    place(Image1, QRect(0, 0, cw, ch));
    QRect f1 = of(Frame1);
    f1.moveTop(maxed ? 645 : 525);
    f1.setHeight(ch - (maxed ? 2000 : 1500));
    QRect p1 = of(Picture1);
    p1.moveTop(f1.top());
    QRect l7 = of(Label7);
    l7.moveTop(ch - l7.height() - (maxed ? 250 : 140));
    l7.moveLeft(500);
    place(Label7, l7);
    if (FB1 && FB2) {
        QRect b1 = of(FB1), b2 = of(FB2);
        b1.moveTopLeft(l7.topLeft());
        b2.moveTop(l7.top());
        b2.moveLeft(b1.left() + b1.width() + 50);
        if (maxed && test800) {
            b1.translate(0, 50);
            b2.translate(0, 50);
        }
        place(FB1, b1);
        place(FB2, b2);
    }
    f1.setWidth(cw - 1850);
    place(Frame1, f1);
    QRect m = of(mp);
    m.setWidth(f1.width() - 2200);
    m.setHeight(f1.height() + 70);
    place(mp, m);
    QRect p2 = of(Picture2);
    p2.setWidth(m.width() + 800);
    p2.setHeight(m.height() + 100);
    place(Picture2, p2);
    place(Label2, QRect(f1.left() + 90, f1.top() + 150, f1.width(), f1.height()));
    // Only the rim of the shadow that shows beside the frame is drawn: the video's native window cannot
    // be kept above a sibling that lies over it.
    Label2->setMask(QRegion(Label2->rect()) - QRegion(Label2->mapFromParent(Frame1->geometry().topLeft()).x(),
                                                       Label2->mapFromParent(Frame1->geometry().topLeft()).y(),
                                                       Frame1->width(), Frame1->height()));
    QRect bar = of(PBX);
    place(PBX, QRect(f1.left(), f1.top() + f1.height(), f1.width(), bar.height()));
    p1 = QRect(105, p1.top(), 915, m.height() - (maxed ? 1200 : 500));
    place(Picture1, p1);
    QRect i2 = of(Image2), i3 = of(Image3), i4 = of(Image4);
    i2.moveTop(p1.top() + 250);
    i3.moveTop(i2.top() + i2.height() + 30);
    i4.moveTop(p1.height() + (maxed ? 700 : 200));
    place(Image4, i4);
    labelsp();
    if (test1024) {
        QRect f2 = of(Frame2);
        f2.translate(500, 50);
        place(Frame2, f2);
        p1.translate(0, 500);
        p1.setHeight(p1.height() - 700);
        place(Picture1, p1);
        i2.translate(0, 800);
        i3.translate(0, 800);
    }
    place(Image2, i2);
    place(Image3, i3);
    SkinLabel* column[] = {Image3, Image8, Image9, Image10, Image11, Image12};
    for (int i = 1; i < 6; ++i) {
        QRect r = of(column[i]);
        const QRect above = of(column[i - 1]);
        r.moveTop(above.top() + above.height() + 70);
        place(column[i], r);
    }
    const QRect list = of(List2);
    place(SF, QRect(f1.left(), f1.top(), f1.width() - list.width(), f1.height()));
    QRect cd = of(Image5[2]);
    cd.moveTopLeft(QPoint(f1.width() - 600, f1.top() + f1.height() + 50));
    place(Image5[2], cd);
    // The frame clips what reaches past it: the list ends inside it, so its last row and its scroll bars
    // are seen whole.
    const QPoint listAt(m.width() - 40, m.top() + 50);
    place(List2, QRect(listAt, QSize(qMin(2300, f1.width() - listAt.x()),
                                     qMin(p2.height() - 50, f1.height() - listAt.y()))));
    List2->setGeometry(List2->geometry() & Frame1->rect());  // and no pixel of it is lost to rounding
    ResetHighlight();
    mp->Play();
}

void Form1::labelsp()
{
    const QRect f1 = Twips::of(Frame1);
    QRect f2 = Twips::of(Frame2);
    f2.moveTop(f1.top() - f2.height());
    f2.moveLeft(f1.left() - 500);
    f2.setWidth(f1.width());
    const double screenPx = double(screenTwips().width()) / Twips::PerPixel;
    if (screenPx == 800 || screenPx == 600)
        f2.translate(500, 0);
    Twips::place(Frame2, f2);
}

void Form1::labelst()
{
    for (int i = 1; i < Label1.size(); ++i) {
        const QRect before = Twips::of(Label1[i - 1]);
        Label1[i]->adjustSize();
        QRect r = Twips::of(Label1[i]);
        r.moveTop(before.top());
        r.moveLeft(before.left() + before.width() + 100);
        Twips::place(Label1[i], r);
    }
}
