#include "ui/skinlabel.h"

#include <QMouseEvent>

void SkinLabel::mouseMoveEvent(QMouseEvent* e)
{
    QLabel::mouseMoveEvent(e);
    if (moved) {
        moved();
        e->accept();  // the move was this element's: the surface it stands on does not see it too
    }
}

void SkinLabel::mousePressEvent(QMouseEvent* e)
{
    if (pressed)
        pressed(e->globalPosition().toPoint());
    else
        QLabel::mousePressEvent(e);
}

void SkinLabel::mouseReleaseEvent(QMouseEvent* e)
{
    if (clicked && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        clicked();
    QLabel::mouseReleaseEvent(e);
}
