#pragma once
// A label or picture that the window itself gives its behaviour: what a move of the pointer over it,
// a press and a click (press and release on it) do.
#include <QLabel>
#include <functional>

class SkinLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    explicit SkinLabel(QWidget* parent = nullptr) : QLabel(parent) { setMouseTracking(true); }

    std::function<void()> moved;
    std::function<void(const QPoint& globalPos)> pressed;
    std::function<void()> clicked;

protected:
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
};
