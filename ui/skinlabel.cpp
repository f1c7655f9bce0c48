#include "ui/skinlabel.h"

#include <QMouseEvent>

void SkinLabel::mouseMoveEvent(QMouseEvent* e)
{
    if (moved)
        moved();
    QLabel::mouseMoveEvent(e);
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
