// The flat buttons of the add-files dialog, the about window, the compact list window and the bookmark
// editor on a real display: each shows its picture and its whole caption at rest, under the pointer and
// pressed. With a German language file the longer captions, and the labels and buttons beside them,
// still show whole, in a smaller font where needed; one too long even for that is cut short and shows
// whole in its tooltip.
#include "tests/player_fixture.h"
#include "tests/xlane/xsession.h"
#include "ui/captionfit.h"
#include "ui/design.h"

#include <QApplication>
#include <QPainter>
#include <QLabel>
#include <QPushButton>
#include <QToolTip>
#include <memory>

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
    if (name == QLatin1String("Form7"))
        return &Form7::instance();
    if (name == QLatin1String("Form1"))
        return &Form1::instance();
    return nullptr;
}

// The texts a German user reads in the side tools, as a translator would write them.
const QByteArray German = "[language]\r\n"
                          "ok=OK\r\ncancel=Abbrechen\r\nedit=Bearbeiten\r\nlanguage=Sprachen\r\n"
                          "createshortcut=Verknüpfung erstellen\r\ndeleteshortcut=Verknüpfung löschen\r\n"
                          "add=Hinzufügen\r\nclear=Leeren\r\nopenfolder=Ordner öffnen\r\n"
                          "clearlist=Liste vorher leeren\r\n"
                          "form2label1=Ausgewählte Einträge werden hinzugefügt, ohne Auswahl alle Einträge.\r\n"
                          "importlist=Importieren\r\nexportlist=Exportieren\r\nclearitems=Liste leeren\r\n"
                          "additems=Hinzufügen\r\n"
                          "label1=Klicken Sie auf „Öffnen“ oder „Hinzufügen“, um eine Datei zu öffnen\r\n"
                          "deletelist=Löschen\r\nplay=Abspielen\r\nnote=Notiz\r\n";

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

// Where the text of a picture lies: its dark pixels, or for light text (a light `text` colour) the
// pixels within a quarter of the way from pure white, measured from the picture's commonest colour.
QRect inkOfText(const QImage& image, const QColor& text)
{
    if (qGray(text.rgb()) < 128)
        return ink(image);
    QHash<QRgb, int> count;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++count[image.pixel(x, y) & 0xFFFFFF];
    QRgb background = 0;
    for (auto it = count.cbegin(); it != count.cend(); ++it)
        if (it.value() > count.value(background))
            background = it.key();
    const int threshold = qGray(background) + (255 - qGray(background)) * 3 / 4;
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) > threshold)
                r |= QRect(x, y, 1, 1);
    return r;
}

// The caption's ink as it comes out when printed alone, black on white.
QRect inkOf(const QString& caption, const QFont& font)
{
    QImage image(1400, 80, QImage::Format_RGB32);
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

// The text a control shows: a flat button's caption, a label's or a button's text.
QString textOf(const QWidget* w)
{
    if (const auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    return w->property("Caption").toString();
}

// The tooltip on the screen: the flat buttons' own tip window, or the toolkit's.
QString tipShown()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmToolTip") && w->isVisible())
            if (auto* l = w->findChild<QLabel*>(QStringLiteral("lblTip")))
                return l->text().trimmed();
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

// The ink of `text` in `font` as a plain control of `like`'s kind shows it with room to spare: a label
// or a push button beside `like`, with its style sheet.
QRect inkOfPlain(QWidget* like, const QString& text, const QFont& font, const QColor& colour)
{
    std::unique_ptr<QWidget> plain;
    if (qobject_cast<QLabel*>(like))
        plain = std::make_unique<QLabel>(text, like->parentWidget());
    else
        plain = std::make_unique<QPushButton>(text, like->parentWidget());
    plain->setStyleSheet(like->styleSheet());
    plain->setFont(font);
    plain->resize(qMax(like->width() * 4, 1400), like->height());
    return inkOfText(plain->grab().toImage().convertToFormat(QImage::Format_RGB32), colour);
}

QFont sized(QFont f, double points)
{
    f.setPointSizeF(points);
    return f;
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

    // The side tools in German, applied through the language chooser as a user does: every flat button,
    // label and button shows its text whole, smaller where it has to be but never below the readable
    // size; a text too long even for that is cut short inside the control and shows whole in its tip.
    void translatedTextsShowWhole_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QByteArray>("longer");  // texts put before the German ones, which they outrank
        QTest::addColumn<bool>("cut");
        const auto rows = [](const char* window, const char* what, std::initializer_list<const char*> names) {
            for (const char* n : names)
                QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(QLatin1String(what), QLatin1String(n))))
                    << window << n << QByteArray() << false;
        };
        rows("Form2", "add-files dialog", {"Command1", "Command2", "Command3", "Command4", "Command5", "Command6",
                                           "command8", "Command9", "Command7", "Label1", "Label2"});
        rows("Form6", "compact list window", {"Command1", "Command2", "Command3", "Command5"});
        rows("Form7", "language chooser", {"Command1", "Command2", "Command3", "Command4", "Label1"});
        rows("Form1", "main window", {"Label4"});
        rows("frmAbout", "about window", {"cmdOK"});
        rows("ListEdit", "bookmark editor",
             {"FlatButton1", "FlatButton2", "FlatButton3", "FlatButton4", "FlatButton5", "FlatButton6"});
        const QByteArray tooLong = "Eine Verknüpfung zu diesem Ordner anlegen, damit er später schnell wieder da ist";
        QTest::newRow("add-files dialog, a caption too long") << "Form2" << "Command3"
                                                              << "createshortcut=" + tooLong + "\r\n" << true;
        QTest::newRow("compact list window, a caption too long")
            << "Form6" << "Command1" << QByteArray("importlist=Wiedergabeliste aus einer Datei importieren\r\n") << true;
        QTest::newRow("language chooser, a caption too long")
            << "Form7" << "Command4" << QByteArray("edit=Die gewählte Sprachdatei bearbeiten\r\n") << true;
        QTest::newRow("main window, a hint too long") << "Form1" << "Label4" << "label1=" + tooLong + tooLong + "\r\n"
                                                      << true;
    }
    void translatedTextsShowWhole()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QByteArray, longer);
        QFETCH(bool, cut);
        Form1& f = fx.fresh();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QByteArray ini = "[language]\r\n" + longer + German.mid(QByteArray("[language]\r\n").size());
        fx.env->writeFile("home/deutsch.ini", ini);
        {
            Form7& chooser = Form7::instance();
            QCOMPARE(chooser.File1->items(), QStringList{"deutsch.ini"});
            chooser.File1->setListIndex(0);
            chooser.Command1_Click();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QWidget* w = hostWindow(window);
        QVERIFY(w);
        w->show();
        w->raise();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QWidget* c = w->findChild<QWidget*>(control);
        QVERIFY(c && !Design::IsPlaceholder(c) && c->isVisible());
        const QString text = textOf(c);
        QVERIFY(!text.isEmpty());
        const bool flat = qobject_cast<QLabel*>(c) == nullptr && qobject_cast<QAbstractButton*>(c) == nullptr;
        const QColor colour = c->palette().color(flat ? QPalette::ButtonText : c->foregroundRole());
        const QFont font = c->font();
        const QRect smallest = inkOf(text, sized(font, CaptionFit::MinimumPoints));
        const QPoint away = w->frameGeometry().bottomRight() + QPoint(40, 40);
        XInput::moveTo(away);
        XInput::settle(200);

        const char* looks[3] = {"at rest", "under the pointer", "pressed"};
        for (int look = 0; look < (flat ? 3 : 1); ++look) {
            if (look == 1) {
                XInput::moveTo(centre(c) + QPoint(1, 1));
                XInput::moveTo(centre(c));
            } else if (look == 2) {
                XInput::press();
            }
            XInput::settle(200);
            const QImage shot = c->grab().toImage().convertToFormat(QImage::Format_RGB32);
            const QRect seen = inkOfText(shot, colour);
            const QString where = QStringLiteral("%1 \"%2\" %3: ").arg(control, text, QLatin1String(looks[look]));
            QVERIFY2(!seen.isEmpty(), qPrintable(where + QStringLiteral("no text is seen")));
            QVERIFY2(seen.left() >= (flat ? 1 : 0) && seen.right() <= shot.width() - 2 && seen.top() >= 1 &&
                         seen.bottom() <= shot.height() - 2,
                     qPrintable(where + QStringLiteral("the text runs into the edge: %1..%2 of %3 pixels")
                                            .arg(seen.left())
                                            .arg(seen.right())
                                            .arg(shot.width())));
            if (cut) {
                QVERIFY2(seen.width() < smallest.width() - 2,
                         qPrintable(where + QStringLiteral("expected a text cut short")));
                continue;
            }
            // Whole: clear of the edges (above), and what the whole text looks like at some size
            // between the control's own and the smallest.
            double whole = 0;
            for (double pt = font.pointSizeF(); pt >= CaptionFit::MinimumPoints - 1e-6 && whole == 0; pt -= 0.25) {
                const QRect at = flat ? inkOf(text, sized(font, pt)) : inkOfPlain(c, text, sized(font, pt), colour);
                if (qAbs(seen.width() - at.width()) <= 1 && qAbs(seen.height() - at.height()) <= 1)
                    whole = pt;
            }
            QVERIFY2(whole > 0, qPrintable(where + QStringLiteral("%1 by %2 pixels are seen; the whole text takes %3 by %4 "
                                                                  "at %5 points and %6 by %7 at the smallest size")
                                                       .arg(seen.width())
                                                       .arg(seen.height())
                                                       .arg(inkOf(text, font).width())
                                                       .arg(inkOf(text, font).height())
                                                       .arg(font.pointSizeF())
                                                       .arg(smallest.width())
                                                       .arg(smallest.height())));
        }
        XInput::moveTo(away);
        XInput::settle(100);
        XInput::release();
        XInput::settle(200);
        if (cut) {
            // Rest the pointer on it: the tip tells the whole text.
            XInput::moveTo(centre(c) + QPoint(1, 1));
            XInput::moveTo(centre(c));
            QString tip;
            QVERIFY(QTest::qWaitFor([&] { return !(tip = tipShown()).isEmpty(); }, 3000));
            QCOMPARE(tip, text);
            XInput::moveTo(away);
            XInput::settle(200);
        }
        QVERIFY(w->isVisible());
    }
};

PELLUM_XLANE_MAIN(TestXFlatButtons)
#include "test_xflatbuttons.moc"
