#pragma once
// The window-control glyphs of the compact windows (minimise, maximise, restore, close), drawn with
// lines in the colour of the label or button that shows them.
#include <QColor>
#include <QPixmap>
#include <QSize>

namespace Glyphs {

enum Kind { Minimise, Maximise, Restore, Close };

QPixmap draw(Kind kind, const QColor& colour, const QSize& size);

}  // namespace Glyphs
