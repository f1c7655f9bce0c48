#include "ui/fittedtext.h"

#include "ui/captionfit.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextDocument>

namespace {

// Shows the whole text as the tooltip while it is cut short, and takes back only a tooltip it set.
void tipWhole(QWidget* w, bool* own, bool elided, const QString& text)
{
    if (elided) {
        if (w->toolTip() != text)
            w->setToolTip(text);
        *own = true;
    } else if (*own) {
        w->setToolTip(QString());
        *own = false;
    }
}

}  // namespace

void FittedLabel::paintEvent(QPaintEvent* e)
{
    const bool plain = textFormat() == Qt::PlainText || (textFormat() == Qt::AutoText && !Qt::mightBeRichText(text()));
    if (!plain || wordWrap() || text().isEmpty() || !pixmap().isNull()) {
        QLabel::paintEvent(e);
        return;
    }
    const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const CaptionFit::Fitted f = CaptionFit::fit(text(), font(), room.width());
    tipWhole(this, &ownTip_, f.elided, text());
    if (f.text == text() && f.font == font()) {
        QLabel::paintEvent(e);
        return;
    }
    QPainter p(this);
    drawFrame(&p);
    p.setFont(f.font);
    style()->drawItemText(&p, room, int(QStyle::visualAlignment(layoutDirection(), alignment())), palette(),
                          isEnabled(), f.text, foregroundRole());
}

void FittedButton::paintEvent(QPaintEvent* e)
{
    QStyleOptionButton option;
    initStyleOption(&option);
    // The label's room: the style's contents rectangle, less a pixel on each side.
    const QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    int room = contents.width() - 2;
    if (!option.icon.isNull())
        room -= option.iconSize.width() + 4;
    const CaptionFit::Fitted f = CaptionFit::fit(text(), font(), room);
    tipWhole(this, &ownTip_, f.elided, text());
    if (f.text == text() && f.font == font()) {
        QPushButton::paintEvent(e);
        return;
    }
    QStylePainter p(this);
    p.setFont(f.font);
    option.text = f.text;
    option.fontMetrics = QFontMetrics(f.font);
    p.drawControl(QStyle::CE_PushButton, option);
}
