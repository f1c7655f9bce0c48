#include "player/loadk.h"

#include "platform/desktop/shell.h"
#include "player/frmabout.h"
#include "ui/twips.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>

loadk::loadk()
{
    setObjectName(QStringLiteral("loadk"));
    setWindowTitle(QStringLiteral("PellumPlayer"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(Twips::toPx(5400), Twips::toPx(2400));
    setStyleSheet(QStringLiteral("loadk { background: #1b1f2a; } QLabel { color: #e8ecf4; }"));
    setAttribute(Qt::WA_StyledBackground);

    Image2 = new QLabel(this);
    Image2->setGeometry(Twips::rect(240, 240, 900, 900));
    Image2->setStyleSheet(QStringLiteral("background: qradialgradient(cx:0.5, cy:0.5, radius:0.5, fx:0.4, "
                                         "fy:0.4, stop:0 #ff7a59, stop:1 #d10000); border-radius: 30px;"));
    Label2 = new QLabel(QStringLiteral("PellumPlayer"), this);
    QFont big = Label2->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    Label2->setFont(big);
    Label2->setGeometry(Twips::rect(1350, 240, 3900, 600));
    Label4 = new QLabel(this);
    Label4->setWordWrap(true);
    Label4->setGeometry(Twips::rect(1350, 900, 3900, 700));
    Label5 = new SkinLabel(this);
    Label5->setText(QStringLiteral("Plays what you throw at it."));
    Label5->setGeometry(Twips::rect(1350, 1750, 3900, 300));
    Label5->setCursor(Qt::PointingHandCursor);
    Label5->setToolTip(QString::fromLatin1(frmAbout::WebAddress));
    // The desktop's browser shows the page; whether it could is not the loading window's concern.
    Label5->clicked = [] { Shell::openDocument(QString::fromLatin1(frmAbout::WebAddress)); };
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setGeometry(Twips::rect(4200, 1800, 900, 380));
    Command1->hide();
    connect(Command1, &QPushButton::clicked, this, [this] { Unload(); });
}

void loadk::ShowStatus(const QString& text, int mode)
{
    loadk& w = instance();
    w.Label4->setText(text);
    w.Command1->setVisible(mode == 1);
    w.Label5->setVisible(mode != 1);
    w.LayOut(mode == 1);
    QCoreApplication::processEvents();
}

void loadk::LayOut(bool notice)
{
    QRect text = Twips::rect(1350, 900, 3900, 700);
    QRect ok = Twips::rect(4200, 1800, 900, 380);
    QSize size(Twips::toPx(5400), Twips::toPx(2400));
    if (notice) {
        // As wide as its longest word needs, up to the screen's width, and as high as the lines wrap.
        const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
        const int room = (s ? s->availableGeometry().width() : 1024) - text.left() - Twips::toPx(300);
        const QFontMetrics fm(Label4->font());
        int longest = 0;
        for (const QString& word : Label4->text().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
            longest = std::max(longest, fm.horizontalAdvance(word) + 2);
        text.setWidth(std::max(text.width(), std::min(longest, room)));
        text.setHeight(std::max(text.height(), Label4->heightForWidth(text.width())));
        ok.moveTopRight(QPoint(text.right(), std::max(ok.top(), text.bottom() + Twips::toPx(120))));
        size = size.expandedTo(QSize(text.right() + Twips::toPx(300), ok.bottom() + Twips::toPx(220)));
    }
    Label4->setGeometry(text);
    Command1->setGeometry(ok);
    setFixedSize(size);
}

void loadk::ShowInFront(QWidget* over)
{
    hide();
    if (over) {
        over->winId();
        winId();
        windowHandle()->setTransientParent(over->windowHandle());
    }
    // Grown to its text, it stands in the middle of the screen, whole.
    if (const QScreen* s = over && over->screen() ? over->screen() : QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
    show();
    raise();
    activateWindow();
    // `over` is shown after this: lift the notice again once it is.
    QTimer::singleShot(0, this, [this] {
        raise();
        activateWindow();
    });
}
