#pragma once
// Layout keeps the twip numbers of the window designs; this is the one place they become pixels.
#include <QRect>
#include <cmath>

namespace Twips {

constexpr int PerPixel = 15;  // 96 dots an inch

inline int toPx(double twips) { return int(std::lround(twips / PerPixel)); }
inline int fromPx(double px) { return int(std::lround(px * PerPixel)); }
inline QRect rect(double left, double top, double width, double height)
{
    return QRect(toPx(left), toPx(top), toPx(width), toPx(height));
}

}  // namespace Twips

#include <QWidget>

namespace Twips {

// Window layouts keep every element's place in twips, so that offsets add up exactly; the widget is
// placed at the nearest pixels.
inline QRect of(const QWidget* w)
{
    const QVariant v = w->property("twips");
    if (v.isValid())
        return v.toRect();
    const QRect g = w->geometry();
    return QRect(fromPx(g.x()), fromPx(g.y()), fromPx(g.width()), fromPx(g.height()));
}

inline void place(QWidget* w, const QRect& t)
{
    w->setProperty("twips", t);
    w->setGeometry(rect(t.x(), t.y(), qMax(0, t.width()), qMax(0, t.height())));
}

}  // namespace Twips
