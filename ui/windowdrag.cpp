#include "ui/windowdrag.h"

#include <QMouseEvent>
#include <QWidget>

namespace {

class Carrier : public QObject {
public:
    explicit Carrier(QWidget* handle) : QObject(handle), handle(handle) {}

    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched != handle)
            return false;
        switch (e->type()) {
        case QEvent::MouseButtonPress:
            armed = static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton;
            pressedAt = static_cast<QMouseEvent*>(e)->globalPosition().toPoint();
            windowAt = handle->window()->pos();
            break;
        case QEvent::MouseMove:
            // The window follows the pointer only while the button that pressed stays held: the
            // pointer is never handed to anyone that could miss the release.
            if (armed && (static_cast<QMouseEvent*>(e)->buttons() & Qt::LeftButton))
                handle->window()->move(windowAt + static_cast<QMouseEvent*>(e)->globalPosition().toPoint() - pressedAt);
            else
                armed = false;
            break;
        case QEvent::MouseButtonRelease:
        case QEvent::Hide:
            armed = false;
            break;
        default:
            break;
        }
        return false;
    }

private:
    QWidget* handle;
    bool armed = false;
    QPoint pressedAt;
    QPoint windowAt;
};

}  // namespace

void WindowDrag::attach(QWidget* handle)
{
    handle->installEventFilter(new Carrier(handle));
}
