#pragma once
// A label and a push button whose one-line text fits their width (ui/captionfit.h): a text too wide
// is printed smaller, down to a readable size, then cut short with an ellipsis, and the control's
// tooltip then holds the whole text. text() always stays the whole text.
#include <QLabel>
#include <QPushButton>

class FittedLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    bool ownTip_ = false;  // the tooltip is the whole text of a text cut short
};

class FittedButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    bool ownTip_ = false;
};
