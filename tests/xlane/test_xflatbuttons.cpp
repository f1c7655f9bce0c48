// The flat buttons of the add-files dialog, the about window, the compact list window and the bookmark
// editor on a real display: each shows its picture and its whole caption at rest, under the pointer and
// pressed.
#include "tests/player_fixture.h"
#include "tests/xlane/xsession.h"
#include "ui/design.h"

#include <QApplication>
#include <QPainter>

namespace {

QPoint centre(const QWidget* w) { return w->mapToGlobal(w->rect().center()); }

QWidget* hostWindow(const QString& name)
{
    if (name == QLatin1String("Form2"))
        return &Form2::instance();
    if (name == QLatin1String("frmAbout"))
        return &frmAbout::instance();
    if (name == QLatin1String("Form6"))
        return &Form6::instance();
    if (name == QLatin1String("ListEdit"))
        return &ListEdit::instance();
    return nullptr;
}

// Where the dark pixels of a picture lie (the button faces are light, so these are the caption's).
QRect ink(const QImage& image)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 60)
                r |= QRect(x, y, 1, 1);
    return r;
}

// The caption's ink as it comes out when printed alone, black on white.
QRect inkOf(const QString& caption, const QFont& font)
{
    QImage image(600, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QPoint(20, 50), caption);
    p.end();
    return ink(image);
}

// Whether the left part of `shot` (clear of the caption) is `picture`, placed within two pixels of
// the button's corner.
bool showsPicture(const QImage& shot, const QImage& picture)
{
    const QImage pic = picture.convertToFormat(QImage::Format_ARGB32);
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            bool all = true;
            for (int y = 8; y < 24 && all; y += 4)
                for (int x = 4; x < 12 && all; x += 2) {
                    const QPoint at(x - dx, y - dy);
                    all = pic.rect().contains(at) && qAlpha(pic.pixel(at)) == 255 &&
                          (shot.pixel(x, y) & 0xFFFFFF) == (pic.pixel(at) & 0xFFFFFF);
                }
            if (all)
                return true;
        }
    return false;
}

}  // namespace

class TestXFlatButtons : public QObject {
    Q_OBJECT
    PlayerFixture fx;

private slots:
    void cleanup() { releaseWindows(); }

    void captionsShowWholeInEveryLook_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("button");
        for (const char* b : {"Command1", "Command2", "Command3", "Command4", "Command5", "Command6"})
            QTest::newRow(qPrintable(QStringLiteral("add-files dialog %1").arg(b))) << "Form2" << b;
        QTest::newRow("about window cmdOK") << "frmAbout" << "cmdOK";
        for (const char* b : {"Command1", "Command2", "Command3", "Command5"})
            QTest::newRow(qPrintable(QStringLiteral("compact list window %1").arg(b))) << "Form6" << b;
        for (const char* b :
             {"FlatButton1", "FlatButton2", "FlatButton3", "FlatButton4", "FlatButton5", "FlatButton6"})
            QTest::newRow(qPrintable(QStringLiteral("bookmark editor %1").arg(b))) << "ListEdit" << b;
    }
    void captionsShowWholeInEveryLook()
    {
        QFETCH(QString, window);
        QFETCH(QString, button);
        fx.fresh();
        QWidget* w = hostWindow(window);
        QVERIFY(w);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QWidget* b = w->findChild<QWidget*>(button);
        QVERIFY(b && !Design::IsPlaceholder(b));
        const QString caption = b->property("Caption").toString();
        QVERIFY(!caption.isEmpty());
        const QRect whole = inkOf(caption, b->font());
        const QPoint away = w->frameGeometry().bottomRight() + QPoint(40, 40);
        XInput::moveTo(away);
        XInput::settle(200);

        const char* looks[3] = {"at rest", "under the pointer", "pressed"};
        const char* pictures[3] = {"Picture", "MoveInPic", "DownPicture"};
        for (int look = 0; look < 3; ++look) {
            if (look == 1) {
                XInput::moveTo(centre(b) + QPoint(1, 1));
                XInput::moveTo(centre(b));
            } else if (look == 2) {
                XInput::press();
            }
            XInput::settle(200);
            const QImage shot = b->grab().toImage().convertToFormat(QImage::Format_RGB32);
            const QRect seen = ink(shot);
            const QString where = QStringLiteral("%1 %2: ").arg(button, QLatin1String(looks[look]));
            QVERIFY2(showsPicture(shot, qvariant_cast<QImage>(b->property(pictures[look]))),
                     qPrintable(where + QStringLiteral("the button does not show its %1").arg(pictures[look])));
            QVERIFY2(qAbs(seen.width() - whole.width()) <= 1 && qAbs(seen.height() - whole.height()) <= 1,
                     qPrintable(where + QStringLiteral("the caption shows %1 by %2 pixels of its %3 by %4")
                                            .arg(seen.width())
                                            .arg(seen.height())
                                            .arg(whole.width())
                                            .arg(whole.height())));
            QVERIFY2(seen.left() >= 1 && seen.right() <= shot.width() - 2 && seen.top() >= 1 &&
                         seen.bottom() <= shot.height() - 2,
                     qPrintable(where + QStringLiteral("the caption touches the button's edge")));
        }
        // Let go away from the button, which is no click: the window stays.
        XInput::moveTo(away);
        XInput::settle(100);
        XInput::release();
        XInput::settle(200);
        QVERIFY(w->isVisible());
    }
};

PELLUM_XLANE_MAIN(TestXFlatButtons)
#include "test_xflatbuttons.moc"
