#include "player/compact/form5.h"

#include "platform/media/mediaplayer.h"
#include "platform/settings.h"
#include "player/compact/form6.h"
#include "player/compact/glyphs.h"
#include "player/compact/pellum.h"
#include "player/form1.h"
#include "player/frmabout.h"
#include "player/she.h"
#include "ui/twips.h"
#include "ui/windowdrag.h"

#include <QGuiApplication>
#include <QResizeEvent>
#include <QWindow>

namespace {

void colours(QWidget* w, const QColor& text, const QColor& back)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, text);
    pal.setColor(QPalette::Window, back);
    w->setPalette(pal);
    w->setAutoFillBackground(back.alpha() != 0);
}

QPushButton* glyphButton(QWidget* parent, const char* name, Glyphs::Kind kind)
{
    auto* b = new QPushButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setFocusPolicy(Qt::NoFocus);
    Twips::place(b, QRect(0, 0, 300, 240));
    b->setIcon(QIcon(Glyphs::draw(kind, Qt::black, QSize(14, 14))));
    b->setIconSize(QSize(14, 14));
    return b;
}

}  // namespace

Form5::Form5()
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("PellumPlayer"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    colours(this, Qt::white, Qt::black);
    resize(Twips::toPx(7000), Twips::toPx(7000));

    const QFont times(QStringLiteral("Times New Roman"), 9);
    // Design pieces that lie under the player.
    Label2 = new QLabel(QStringLiteral("PellumPlayer@Just for you"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(times);
    colours(Label2, Qt::white, Qt::transparent);
    Twips::place(Label2, QRect(240, 600, 3000, 255));
    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameStyle(QFrame::Box | QFrame::Plain);
    colours(Shape1, Qt::white, Qt::transparent);
    Twips::place(Shape1, QRect(180, 420, 3300, 1200));
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(QPixmap(QStringLiteral(":/compact/video.png")));
    Twips::place(Picture1, QRect(2400, 900, 960, 960));

    mk = new MediaPlayer(this);
    mk->setObjectName(QStringLiteral("mk"));

    Label1 = new SkinLabel(QStringLiteral(" PellumPlayer"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(times);
    colours(Label1, QColor(255, 192, 192), QColor(192, 0, 0));  // &HC0C0FF on &HC0
    WindowDrag::attach(Label1);
    Label3 = new SkinLabel(QStringLiteral("About"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setFont(times);
    colours(Label3, Qt::white, Qt::transparent);
    Label3->setCursor(Qt::PointingHandCursor);
    // The about window is modal: it opens once the press has been handled.
    Label3->pressed = [](const QPoint&) {
        QMetaObject::invokeMethod(qApp, [] { frmAbout::instance().showModal(); }, Qt::QueuedConnection);
    };
    Command1 = glyphButton(this, "Command1", Glyphs::Close);
    Command2 = glyphButton(this, "Command2", Glyphs::Restore);
    Command1->setToolTip(QStringLiteral("Close"));
    connect(Command1, &QPushButton::clicked, this, &Form5::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form5::Command2_Click);
    connect(mk, &MediaPlayer::EndOfStream, this, &Form5::mk_EndOfStream);
    Form_Resize();
}

void Form5::Form_Load()
{
    // Reading the main window's icon creates it, hidden, when the compact mode starts first.
    setWindowIcon(Form1::instance().windowIcon());
    Label1->resize(width(), Label1->height());
}

void Form5::Form_Resize()
{
    const int w = Twips::fromPx(width()), h = Twips::fromPx(height());
    Twips::place(Label1, QRect(0, 0, w, 240));
    Twips::place(mk, QRect(-30, 240, w + 100, h));
    if (windowState() & Qt::WindowMaximized)
        mk->setDisplaySize(3);
    Twips::place(Command2, QRect(w - 700, 0, 300, 240));
    Twips::place(Command1, QRect(w - 700 + 300 + 20, 0, 300, 240));
    Twips::place(Label3, QRect(w - 1500, 0, 700, 240));
    Label3->raise();
    Command1->raise();
    Command2->raise();
}

void Form5::resizeEvent(QResizeEvent* e)
{
    VbForm::resizeEvent(e);
    Form_Resize();
}

void Form5::changeEvent(QEvent* e)
{
    VbForm::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void Form5::closeEvent(QCloseEvent* e)
{
    // Closed by the window manager, the window only hides, as its own close button does.
    e->ignore();
    Command1_Click();
}

void Form5::Command1_Click()
{
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized));
    hide();
}

void Form5::Command2_Click()
{
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)) {
        showNormal();
        mk->setDisplaySize(4);
    } else {
        showMaximized();
    }
}

void Form5::mk_EndOfStream()
{
    Addrecent();
    Form6& list = Form6::instance();
    ++list.CurrentIndex;
    const int n = list.List1->ListCount();
    // Rows removed under the current index count as the end of the list.
    if (list.CurrentIndex >= n) {
        if (!Form1::instance().en->Checked())
            return;
        list.CurrentIndex = 0;
        if (n > 0)
            list.List1->setListIndex(0);
        return;
    }
    if (list.CurrentIndex >= 0)
        list.List1->setListIndex(list.CurrentIndex);
    pellum& compact = pellum::instance();
    compact.soh();
    compact.marquee();
}

void Form5::Addrecent()
{
    const Form6& list = Form6::instance();
    const QString head = SHE::FileNameOf(list.List1->List(list.List1->ListIndex())).left(5).toLower();
    if (head == QLatin1String("avseq") || head == QLatin1String("music"))
        return;
    QStringList old;
    for (int i = 0; i < 15; ++i)
        old << SettingsStore::GetSetting(QStringLiteral("f") + QString::number(i));
    SettingsStore::SaveSetting(QStringLiteral("f0"), mk->FileName());
    for (int i = 1; i <= 15; ++i)
        if (!old.at(i - 1).isEmpty())
            SettingsStore::SaveSetting(QStringLiteral("f") + QString::number(i), old.at(i - 1));
}
