#include "flatbutton.h"

#include "lifetime.h"
#include "olecolor.h"
#include "tooltip.h"
#include "vbmath.h"
#include "ui/captionfit.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <limits>

using Brimlet::intDiv;
using Brimlet::roundHalfEven;

namespace {

constexpr int TwipsPerPixel = 15;  // one screen pixel, wherever a line is drawn one pixel in
constexpr int TwipsPerPixelY = 15;

int toPx(long twips) { return int(roundHalfEven(double(twips) / TwipsPerPixel)); }

// A picture's size as the layout measures it: pixels at 96 dpi held as HIMETRIC (0.01 mm, rounded like
// the platform's MulDiv), converted to twips and rounded to a whole number.
long pictureTwips(int pixels)
{
    const long himetric = std::lround(pixels * 2540.0 / 96.0);
    return roundHalfEven(himetric * 1440.0 / 2540.0);
}

// The caption's size as the layout measures it: its character count without surrounding blanks.
long captionTwips(const QString& caption) { return long(caption.trimmed().size()); }

int mouseButtons(Qt::MouseButtons b)
{
    return (b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) | (b & Qt::MiddleButton ? 4 : 0);
}

}  // namespace

FlatButton::FlatButton(QWidget* parent) : QWidget(parent)
{
    ++Brimlet::liveControls;
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    tmrTimer = new QTimer(this);
    tmrTimer->setObjectName(QStringLiteral("tmrTimer"));
    tmrTimer->setInterval(500);
    connect(tmrTimer, &QTimer::timeout, this, &FlatButton::onTimer);
    // Creation: no tooltip is showing (one left over from another button is closed rather than left
    // stranded on the screen), and the surface's design default becomes the saved colour before any
    // stored one is read.
    modAPI::unloadToolTip();
    savedBackColor_ = backColor_;
}

FlatButton::~FlatButton()
{
    backColor_ = savedBackColor_;
    changed("BackColor");
    --Brimlet::liveControls;
}

// ---- properties --------------------------------------------------------------------------------

void FlatButton::changed(const char* name) { emit PropertyChanged(QString::fromLatin1(name)); }

void FlatButton::fail(int number, const QString& text)
{
    lastError_ = number;
    lastErrorText_ = text;
}

void FlatButton::setPicture(const QImage& p) { assign(picture_, p, "Picture"); }

void FlatButton::setDownPicture(const QImage& p) { assign(downPicture_, p, "DownPicture"); }

void FlatButton::setMoveInPic(const QImage& p) { assign(moveInPic_, p, "MoveInPic"); }

void FlatButton::setCaption(const QString& c) { assign(caption_, c, "Caption"); }

void FlatButton::setBackColor(uint c) { assign(backColor_, c, "BackColor"); }

void FlatButton::setFontProperty(const QFont& f)
{
    lastError_ = 0;
    setFont(f);
    changed("Font");
    refresh();
}

void FlatButton::setLightLine(uint c) { assign(lightLine_, c, "LightLine"); }

void FlatButton::setDarkLine(uint c) { assign(darkLine_, c, "DarkLine"); }

bool FlatButton::userMode() const
{
    for (const QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        const QVariant v = w->property("UserMode");
        if (v.isValid())
            return v.toBool();
    }
    return true;
}

QFont FlatButton::ambientFont() const
{
    return parentWidget() ? parentWidget()->font() : QApplication::font();
}

void FlatButton::setStyle(int s)
{
    if (userMode()) {
        fail(Brimlet::ErrSetAtRunTime, QStringLiteral("Style can be set only while the host is being designed"));
        return;
    }
    if (s < std::numeric_limits<qint16>::min() || s > std::numeric_limits<qint16>::max()) {
        fail(Brimlet::ErrOverflow, QStringLiteral("Style %1 does not fit a 16-bit integer").arg(s));
        return;
    }
    lastError_ = 0;
    style_ = qint16(s);
    changed("Style");
    if (style_ == 0)
        setIsDown(false);
}

void FlatButton::setIsDown(bool d)
{
    lastError_ = 0;
    if (style_ == 1) {
        isDown_ = d;
        changed("IsDown");
        if (d) {
            backColor_ = ToggledFace;
            ShowButton(-1, 0);
        } else {
            backColor_ = savedBackColor_;
        }
        refresh();
    } else if (style_ == 0 && isDown_) {
        isDown_ = false;
        changed("IsDown");
        refresh();
    }
}

// ---- property bag --------------------------------------------------------------------------------
// Read in the order Picture, DownPicture, MoveInPic, Font, BackColor, Caption, Style, IsDown, LightLine,
// DarkLine; written in the order Picture, Font, Caption, BackColor, Style, IsDown, LightLine, DarkLine,
// DownPicture, MoveInPic.

void FlatButton::InitProperties()
{
    setFontProperty(ambientFont());
    caption_.clear();
    style_ = 0;
    isDown_ = false;
    lightLine_ = DefaultLightLine;
    darkLine_ = DefaultDarkLine;
    refresh();
}

bool FlatButton::ReadProperties(QObject* bag)
{
    bool ok = bag != nullptr;
    const auto read = [&](const char* key, const QVariant& def) {
        QVariant v = def;
        if (ok)
            ok = QMetaObject::invokeMethod(bag, "ReadProperty", Qt::DirectConnection, Q_RETURN_ARG(QVariant, v),
                                           Q_ARG(QString, QString::fromLatin1(key)), Q_ARG(QVariant, def));
        return ok ? v : def;
    };
    const auto picture = [&](const char* key) { return qvariant_cast<QImage>(read(key, QVariant::fromValue(QImage()))); };

    lastError_ = 0;
    const QImage pic = picture("Picture");
    if (!pic.isNull())
        setPicture(pic);
    const QImage down = picture("DownPicture");
    if (!down.isNull())
        downPicture_ = down;
    const QImage moveIn = picture("MoveInPic");
    if (!moveIn.isNull())
        moveInPic_ = moveIn;
    setFontProperty(qvariant_cast<QFont>(read("Font", QVariant::fromValue(ambientFont()))));
    backColor_ = read("BackColor", DefaultBackColor).toUInt();
    caption_ = read("Caption", QString()).toString();
    style_ = qint16(read("Style", 0).toInt());
    isDown_ = read("IsDown", false).toBool();
    lightLine_ = read("LightLine", DefaultLightLine).toUInt();
    darkLine_ = read("DarkLine", DefaultDarkLine).toUInt();
    if (!ok)
        fail(5, QStringLiteral("the property bag cannot be read"));
    refresh();
    return ok;
}

bool FlatButton::WriteProperties(QObject* bag)
{
    bool ok = bag != nullptr;
    const auto write = [&](const char* key, const QVariant& value) {
        if (ok)
            ok = QMetaObject::invokeMethod(bag, "WriteProperty", Qt::DirectConnection,
                                           Q_ARG(QString, QString::fromLatin1(key)), Q_ARG(QVariant, value));
    };
    lastError_ = 0;
    write("Picture", QVariant::fromValue(picture_));
    if (font() != ambientFont())
        write("Font", QVariant::fromValue(font()));
    if (!caption_.isEmpty())
        write("Caption", caption_);
    if (backColor_ != DefaultBackColor)
        write("BackColor", backColor_);
    if (style_ != 0)
        write("Style", int(style_));
    if (isDown_)
        write("IsDown", isDown_);
    if (lightLine_ != DefaultLightLine)
        write("LightLine", lightLine_);
    if (darkLine_ != DefaultDarkLine)
        write("DarkLine", darkLine_);
    write("DownPicture", QVariant::fromValue(downPicture_));
    write("MoveInPic", QVariant::fromValue(moveInPic_));
    if (!ok)
        fail(5, QStringLiteral("the property bag cannot be written"));
    return ok;
}

// ---- drawing ------------------------------------------------------------------------------------

long FlatButton::twipsWidth() const { return long(width()) * TwipsPerPixel; }
long FlatButton::twipsHeight() const { return long(height()) * TwipsPerPixel; }

void FlatButton::clearSurface()
{
    if (surface_.size() != size())
        surface_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    surface_.fill(Brimlet::oleColor(backColor_));
}

void FlatButton::refresh()
{
    paintFace();
    update();
}

void FlatButton::paintPicture(const QImage& pic, long x, long y)
{
    QPainter p(&surface_);
    p.drawImage(QPoint(toPx(x), toPx(y)), pic);
}

void FlatButton::printCaption(long x, long y)
{
    // The caption stands where the layout puts it. One too wide for the room right of there is centred
    // between the border lines instead, and where even that room is too small it is printed smaller,
    // then cut short; the hover tip then shows it whole.
    constexpr int margin = 2;  // clear of the one-pixel border lines
    const int room = width() - 2 * margin;
    int left = toPx(x);
    CaptionFit::Fitted f{font(), caption_, false};
    if (left + CaptionFit::widthOf(caption_, font()) > width() - margin) {
        f = CaptionFit::fit(caption_, font(), room);
        left = qMax(margin, (width() - CaptionFit::widthOf(f.text, f.font)) / 2);
    }
    captionElided_ = f.elided;
    QPainter p(&surface_);
    p.setFont(f.font);
    p.setPen(palette().color(QPalette::ButtonText));
    p.drawText(QPoint(left, toPx(y) + QFontMetrics(f.font).ascent()), f.text);
}

void FlatButton::drawLine(int x1, int y1, int x2, int y2, uint colour)
{
    // Axis-parallel lines only; like the platform's line call, the end point is not drawn.
    const int px1 = toPx(x1), py1 = toPx(y1), px2 = toPx(x2), py2 = toPx(y2);
    QPainter p(&surface_);
    const QColor c = Brimlet::oleColor(colour);
    if (px1 == px2 && py2 > py1)
        p.fillRect(px1, py1, 1, py2 - py1, c);
    else if (py1 == py2 && px2 > px1)
        p.fillRect(px1, py1, px2 - px1, 1, c);
}

void FlatButton::paintFace()
{
    clearSurface();  // a repaint starts from the erased surface
    const long W = twipsWidth(), H = twipsHeight();
    long picW = 0, picH = 0, n = 0;
    if (!picture_.isNull()) {
        clearSurface();
        picW = pictureTwips(picture_.width());
        picH = pictureTwips(picture_.height());
    }
    if (!caption_.isEmpty())
        n = captionTwips(caption_);
    if (!picture_.isNull() && caption_.isEmpty()) {
        paintPicture(picture_, intDiv(W - picW, 2), intDiv(H - picH, 2));
    } else if (picture_.isNull() && !caption_.isEmpty()) {
        printCaption(intDiv(W - n, 2), intDiv(H - n, 2));
    } else if (!picture_.isNull()) {
        paintPicture(picture_, intDiv(W - picW, 2), intDiv(H - picH - n - 2 * TwipsPerPixelY, 2));
        printCaption(intDiv(W - n, 4), intDiv(H - n, 4));
    }
    if (isDown_)
        ShowButton(-1, 0);
}

void FlatButton::drawStatePicture(const QImage& pic)
{
    const long W = twipsWidth(), H = twipsHeight();
    const long picW = pictureTwips(pic.width()), picH = pictureTwips(pic.height());
    if (!caption_.isEmpty()) {
        const long n = captionTwips(caption_);
        paintPicture(pic, intDiv(W - picW, 2), intDiv(H - picH - n - 2 * TwipsPerPixelY, 2));
        printCaption(intDiv(W - n, 4), intDiv(H - n, 4));  // the surface has no border: ScaleWidth = Width
    } else {
        paintPicture(pic, intDiv(W - picW, 2), intDiv(H - picH, 2));
    }
}

QVariant FlatButton::ShowButton(int IsVisible, int UpDown)
{
    clearSurface();
    const int W = int(twipsWidth()), H = int(twipsHeight());
    const auto lines = [&](uint leftTop, uint rightBottom) {
        drawLine(0, 0, 0, H, leftTop);
        drawLine(0, 0, W, 0, leftTop);
        drawLine(W - TwipsPerPixel, 0, W - TwipsPerPixel, H - TwipsPerPixel, rightBottom);
        drawLine(0, H - TwipsPerPixel, W - TwipsPerPixel, H - TwipsPerPixel, rightBottom);
    };
    if (IsVisible == 0) {
        lines(backColor_, backColor_);
        if (!picture_.isNull())
            drawStatePicture(picture_);
    } else if (IsVisible == -1 && UpDown == 1) {
        lines(lightLine_, darkLine_);
        if (!moveInPic_.isNull())
            drawStatePicture(moveInPic_);
    } else if (IsVisible == -1 && UpDown == 0) {
        lines(darkLine_, lightLine_);
        if (!downPicture_.isNull())
            drawStatePicture(downPicture_);
    }
    update();
    return QVariant();
}

void FlatButton::paintEvent(QPaintEvent*)
{
    if (surface_.size() != size())
        paintFace();
    QPainter p(this);
    p.drawImage(0, 0, surface_);
}

void FlatButton::resizeEvent(QResizeEvent*) { paintFace(); }

void FlatButton::showEvent(QShowEvent*)
{
    // The window tells of being blocked by a modal window only to itself.
    if (QWidget* w = window(); w != this) {
        w->removeEventFilter(this);
        w->installEventFilter(this);
    }
    if (surface_.size() != size())
        paintFace();
}

// ---- mouse --------------------------------------------------------------------------------------

bool FlatButton::inside(const QPointF& pos) const
{
    const double x = pos.x() * TwipsPerPixel, y = pos.y() * TwipsPerPixel;
    return x >= 0 && x <= twipsWidth() && y >= 0 && y <= twipsHeight();
}

void FlatButton::mouseMoveEvent(QMouseEvent* e)
{
    if (inside(e->position())) {
        if (isVisible() && QWidget::mouseGrabber() != this)
            grabMouse();
        if (isDown_) {
            if (backColor_ != savedBackColor_) {
                backColor_ = savedBackColor_;
                refresh();
                ShowButton(-1, 0);
            }
        } else if (mouseButtons(e->buttons()) == 1) {
            ShowButton(-1, 0);
            if (modAPI::ToolTipShown())
                modAPI::unloadToolTip();
        } else {
            ShowButton(-1, 1);
            if (!modAPI::ToolTipShown() && !tmrTimer->isActive())
                tmrTimer->start();
        }
    } else {
        if (isDown_) {
            if (backColor_ != ToggledFace) {
                backColor_ = ToggledFace;
                refresh();
                ShowButton(-1, 0);
            }
        } else {
            ShowButton(0, 0);
        }
        if (QWidget::mouseGrabber() == this)
            releaseMouse();
        tmrTimer->stop();
        if (modAPI::ToolTipShown())
            modAPI::unloadToolTip();
    }
}

void FlatButton::leaveEvent(QEvent*)
{
    // While the pointer is captured, moves outside reach mouseMoveEvent. Where the window system
    // refuses the capture, leaving is seen here instead, as a move outside.
    if (QWidget::mouseGrabber() == this)
        return;
    QMouseEvent away(QEvent::MouseMove, QPointF(-1, -1), QPointF(-1, -1), Qt::NoButton,
                     QGuiApplication::mouseButtons(), Qt::NoModifier);
    mouseMoveEvent(&away);
}

void FlatButton::mousePressEvent(QMouseEvent* e)
{
    leftPressInside_ = e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    if (isDown_)
        return;
    bool tipWasOpen = false;
    if (modAPI::ToolTipShown()) {
        modAPI::unloadToolTip();
        tipWasOpen = true;
    }
    if (inside(e->position())) {
        ShowButton(-1, 0);
        if (tipWasOpen)
            refresh();
    } else {
        ShowButton(0, 0);
    }
}

void FlatButton::mouseReleaseEvent(QMouseEvent* e)
{
    if (!isDown_) {
        if (inside(e->position()))
            ShowButton(-1, 1);
        else
            ShowButton(0, 0);
    }
    const bool click = e->button() == Qt::LeftButton && leftPressInside_ && rect().contains(e->position().toPoint());
    leftPressInside_ = false;
    if (click) {
        letGo(false);
        emit Click();
    }
}

void FlatButton::letGo(bool flatten)
{
    tmrTimer->stop();
    if (modAPI::ToolTipShown())
        modAPI::unloadToolTip();
    if (QWidget::mouseGrabber() == this)
        releaseMouse();
    if (flatten && !isDown_)
        ShowButton(0, 0);
}

void FlatButton::hideEvent(QHideEvent*) { letGo(true); }

void FlatButton::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::ActivationChange && !isActiveWindow())
        letGo(true);
    QWidget::changeEvent(e);
}

bool FlatButton::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == window() && (e->type() == QEvent::WindowBlocked || e->type() == QEvent::Hide ||
                                e->type() == QEvent::WindowDeactivate))
        letGo(true);
    return QWidget::eventFilter(watched, e);
}

// ---- tooltip ------------------------------------------------------------------------------------

void FlatButton::onTimer()
{
    // The host keeps the tooltip text; a host without one shows nothing. A caption cut short is shown
    // whole, above the host's text.
    const QVariant text = property("ToolTipText");
    QString tip = text.isValid() && text.canConvert<QString>() ? text.toString() : QString();
    if (captionElided_)
        tip = tip.trimmed().isEmpty() || tip.trimmed() == caption_.trimmed() ? caption_ : caption_ + QLatin1Char('\n') + tip;
    if (!tip.isEmpty())
        modAPI::ShowToolTip(tip);
    tmrTimer->stop();
}
