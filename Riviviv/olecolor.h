#pragma once
// Colours as the button's properties hold them: 0x00BBGGRR, or with the top bit set the number of a
// system colour in the low bits, taken from the application palette.
#include <QColor>
#include <QGuiApplication>
#include <QPalette>

namespace Brimlet {

inline QColor oleColor(uint c)
{
    if (!(c & 0x80000000u))
        return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
    const QPalette pal = QGuiApplication::palette();
    switch (c & 0xFFFFu) {
    case 1: case 4: return pal.color(QPalette::Window);
    case 2: case 13: return pal.color(QPalette::Highlight);
    case 5: return pal.color(QPalette::Base);
    case 6: case 21: return pal.color(QPalette::Shadow);
    case 7: case 8: return pal.color(QPalette::WindowText);
    case 9: case 14: return pal.color(QPalette::HighlightedText);
    case 12: return pal.color(QPalette::Mid);
    case 15: return pal.color(QPalette::Button);
    case 16: return pal.color(QPalette::Dark);
    case 17: return pal.color(QPalette::PlaceholderText);
    case 18: return pal.color(QPalette::ButtonText);
    case 20: return pal.color(QPalette::Light);
    case 22: return pal.color(QPalette::Midlight);
    case 23: return pal.color(QPalette::ToolTipText);
    case 24: return pal.color(QPalette::ToolTipBase);
    default: return pal.color(QPalette::Window);
    }
}

}  // namespace Brimlet
