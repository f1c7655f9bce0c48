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
