#include "tooltip.h"

#include "olecolor.h"
#include "vbmath.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>

namespace {
constexpr int TwipsPerPixel = 15;
thread_local bool shown = false;
thread_local QPointer<frmToolTip> window;
}  // namespace

frmToolTip::frmToolTip()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmToolTip"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    resize(675 / TwipsPerPixel, 255 / TwipsPerPixel);
    lblTip = new QLabel(QStringLiteral("ToolTip "), this);
    lblTip->setObjectName(QStringLiteral("lblTip"));
    lblTip->move(0, 0);
    lblTip->resize(615 / TwipsPerPixel, 255 / TwipsPerPixel);
    lblTip->setAutoFillBackground(true);
    QPalette pal = lblTip->palette();
    pal.setColor(QPalette::Window, Brimlet::oleColor(0x80000018));
    pal.setColor(QPalette::WindowText, Brimlet::oleColor(0x80000008));
    lblTip->setPalette(pal);
}

namespace modAPI {

bool ToolTipShown() { return shown; }
void setToolTipShown(bool s) { shown = s; }
frmToolTip* toolTipWindow() { return window.data(); }

void unloadToolTip()
{
    delete window.data();
    shown = false;
}

void ShowToolTip(const QString& text)
{
    const QPoint pointer = QCursor::pos();
    if (text.isEmpty())
        return;
    if (shown && window)
        window->hide();
    else if (!window)
        window = new frmToolTip;
    frmToolTip* tip = window.data();
    tip->lblTip->setText(QLatin1Char(' ') + text.trimmed() + QLatin1Char(' '));
    tip->lblTip->adjustSize();
    tip->lblTip->resize(tip->lblTip->width(), tip->lblTip->height() + 1);
    tip->resize(tip->lblTip->size());

    // Screen measures in twips, the pointer in pixels of its screen.
    QScreen* screen = QGuiApplication::screenAt(pointer);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect g = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const long screenW = long(g.width()) * TwipsPerPixel;
    const long screenH = long(g.height()) * TwipsPerPixel;
    const long x = pointer.x() - g.x();
    const long y = pointer.y() - g.y();
    const long winW = long(tip->width()) * TwipsPerPixel;
    const long winH = long(tip->height()) * TwipsPerPixel;
    const long dx = TwipsPerPixel * x + winW > screenW ? -Brimlet::roundHalfEven(double(winW) / TwipsPerPixel) : 0;
    const long dy = TwipsPerPixel * (y + 20) + winH > screenH ? -Brimlet::roundHalfEven(double(winH) / TwipsPerPixel) : 20;
    tip->move(int(g.x() + x + dx), int(g.y() + y + dy));
    tip->raise();
    tip->show();
    shown = true;
}

}  // namespace modAPI
