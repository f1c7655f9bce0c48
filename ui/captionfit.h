#pragma once
// Fitting a caption into the room its control gives it. A translated caption is often longer than the
// English one the control was laid out for: it is then printed in a smaller font, down to the smallest
// size still read with ease, and only when even that is too wide is it cut short with an ellipsis (the
// control then shows the whole caption as its tooltip).
//
// Header only: the flat-button library compiles it in as well, so buttons of both kinds fit alike.
#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <QtGlobal>
#include <cmath>

namespace CaptionFit {

// The smallest caption font, in points (in pixels at 96 dots an inch for a font sized in pixels).
constexpr double MinimumPoints = 6.5;
constexpr double StepPoints = 0.5;

struct Fitted {
    QFont font;     // the font to print in
    QString text;   // the caption, or its shortened form
    bool elided = false;
};

// The caption's width in pixels as printed: its advance, or its ink where that reaches further.
inline int widthOf(const QString& text, const QFont& font)
{
    const QFontMetrics m(font);
    return qMax(m.horizontalAdvance(text), m.boundingRect(text).right() + 1);
}

// The caption in `font`, or smaller, or shortened, so that it takes at most `room` pixels.
inline Fitted fit(const QString& text, const QFont& font, int room)
{
    Fitted f{font, text, false};
    if (text.isEmpty() || widthOf(text, font) <= room)
        return f;
    if (font.pointSizeF() > 0) {
        for (double pt = font.pointSizeF() - StepPoints; pt >= MinimumPoints - 1e-6; pt -= StepPoints) {
            f.font.setPointSizeF(pt);
            if (widthOf(text, f.font) <= room)
                return f;
        }
        f.font.setPointSizeF(qMin(font.pointSizeF(), MinimumPoints));
    } else if (font.pixelSize() > 0) {
        const int smallest = int(std::ceil(MinimumPoints * 96.0 / 72.0));
        for (int px = font.pixelSize() - 1; px >= smallest; --px) {
            f.font.setPixelSize(px);
            if (widthOf(text, f.font) <= room)
                return f;
        }
        f.font.setPixelSize(qMin(font.pixelSize(), smallest));
    }
    f.text = QFontMetrics(f.font).elidedText(text, Qt::ElideRight, qMax(0, room));
    // The ellipsis's ink may reach past its advance: shorten until the ink fits as well.
    while (!f.text.isEmpty() && widthOf(f.text, f.font) > room)
        f.text = f.text.size() > 1 ? f.text.left(f.text.size() - 2) + QChar(0x2026) : QString();
    f.elided = true;
    return f;
}

}  // namespace CaptionFit
