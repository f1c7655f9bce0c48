#include "player/compact/glyphs.h"

#include <QPainter>

namespace Glyphs {

QPixmap draw(Kind kind, const QColor& colour, const QSize& size)
{
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    // The glyph is a square of about two thirds of the smaller side, centred.
    const int side = qMax(6, qMin(size.width(), size.height()) * 2 / 3);
    const QRect box(QPoint((size.width() - side) / 2, (size.height() - side) / 2), QSize(side, side));
    const int pen = qMax(1, side / 7);
    p.setPen(QPen(colour, pen, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    switch (kind) {
    case Minimise:
        p.fillRect(QRect(box.left(), box.bottom() - pen * 2 + 1, side * 2 / 3, pen * 2), colour);
        break;
    case Maximise:
        p.drawRect(box.adjusted(0, 0, -pen, -pen));
        p.fillRect(QRect(box.left(), box.top(), side, pen * 2), colour);
        break;
    case Restore: {
        const int s = side * 3 / 4;
        const QRect back(box.right() - s, box.top(), s, s), front(box.left(), box.bottom() - s, s, s);
        p.drawRect(back.adjusted(0, 0, -pen, -pen));
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.fillRect(front, Qt::transparent);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.drawRect(front.adjusted(0, 0, -pen, -pen));
        p.fillRect(QRect(front.left(), front.top(), s, pen * 2), colour);
        break;
    }
    case Close:
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(colour, pen * 1.4, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(box.topLeft(), box.bottomRight());
        p.drawLine(box.topRight(), box.bottomLeft());
        break;
    }
    return pm;
}

}  // namespace Glyphs
