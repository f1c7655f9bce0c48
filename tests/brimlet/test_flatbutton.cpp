// The flat button itself: property rules, the property bag, drawing, the mouse states, Click and the
// hover tooltip. Drawing is checked on the pixels the widget renders (QWidget::grab).
#include "Riviviv/flatbutton.h"
#include "Riviviv/olecolor.h"

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QRegularExpression>

namespace {

// A property bag as a container hands it over: values to read, and the writes in order.
class Bag : public QObject {
    Q_OBJECT
public:
    QVariantMap values;
    QList<QPair<QString, QVariant>> written;
    Q_INVOKABLE QVariant ReadProperty(const QString& key, const QVariant& def) const
    {
        return values.contains(key) ? values.value(key) : def;
    }
    Q_INVOKABLE void WriteProperty(const QString& key, const QVariant& value) { written.append({key, value}); }
    QStringList keys() const
    {
        QStringList k;
        for (const auto& kv : written)
            k << kv.first;
        return k;
    }
};

QImage filled(int w, int h, QColor c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

QRgb rgb(unsigned ole) { return Brimlet::oleColor(ole).rgb(); }

// A host window holding one button of w x h pixels at (0, 0).
struct Host {
    QWidget window;
    FlatButton* button;
    Host(int w = 100, int h = 32, bool designing = false)
    {
        if (designing)
            window.setProperty("UserMode", false);
        window.resize(w + 40, h + 40);
        button = new FlatButton(&window);
        button->resize(w, h);
        button->InitProperties();
        window.show();  // delivers the pending resize, so no later repaint wipes a drawn look
    }
    QImage grab() { return button->grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

void mouse(QWidget* w, QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
void move(QWidget* w, QPointF pos, Qt::MouseButtons buttons = Qt::NoButton)
{
    mouse(w, QEvent::MouseMove, pos, Qt::NoButton, buttons);
}

QWidget* toolTipWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmToolTip"))
            return w;
    return nullptr;
}
bool toolTipVisible()
{
    QWidget* t = toolTipWindow();
    return t && t->isVisible();
}

// The colours of the four one-pixel lines: left, top, right, bottom, and the bottom-right pixel that
// none of them covers.
struct Lines {
    QRgb left, top, right, bottom, corner;
};
Lines linesOf(const QImage& img)
{
    const int w = img.width(), h = img.height();
    return {img.pixel(0, h / 2), img.pixel(w / 2, 0), img.pixel(w - 1, h / 2), img.pixel(w / 2, h - 1),
            img.pixel(w - 1, h - 1)};
}

}  // namespace

class TestFlatButton : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QCursor::setPos(790, 5);  // away from every window of the tests
        delete toolTipWindow();
    }

    // ---- Style and IsDown ------------------------------------------------------------------------
    void isDownOnNormalButtonIsIgnored()
    {
        Host h(100, 32, true);
        QSignalSpy changed(h.button, &FlatButton::PropertyChanged);
        const QVariant before = h.button->property("BackColor");
        QVERIFY(h.button->setProperty("IsDown", true));
        QCOMPARE(h.button->property("IsDown").toBool(), false);
        QCOMPARE(h.button->property("BackColor"), before);
        QCOMPARE(changed.count(), 0);
    }

    void isDownOnToggleButton()
    {
        Host h(100, 32, true);
        h.button->setProperty("Style", 1);
        QCOMPARE(h.button->property("Style").toInt(), 1);
        h.button->setProperty("BackColor", 0x0000FFu);  // a host-chosen colour
        QSignalSpy changed(h.button, &FlatButton::PropertyChanged);

        h.button->setProperty("IsDown", true);
        QCOMPARE(h.button->property("IsDown").toBool(), true);
        QCOMPARE(h.button->property("BackColor").toUInt(), 0xE0E0E0u);
        QCOMPARE(changed.takeFirst().at(0).toString(), QStringLiteral("IsDown"));
        const Lines sunken = linesOf(h.grab());
        QCOMPARE(sunken.left, rgb(FlatButton::DefaultDarkLine));
        QCOMPARE(sunken.bottom, rgb(FlatButton::DefaultLightLine));
        QCOMPARE(sunken.corner, rgb(0xE0E0E0u));

        // Releasing restores the colour the surface had at creation, not the host's.
        h.button->setProperty("IsDown", false);
        QCOMPARE(h.button->property("IsDown").toBool(), false);
        QCOMPARE(h.button->property("BackColor").toUInt(), FlatButton::DefaultBackColor);
        QCOMPARE(h.button->property("SavedBackColor").toUInt(), FlatButton::DefaultBackColor);
        QCOMPARE(h.grab().pixel(0, 16), rgb(FlatButton::DefaultBackColor));  // face only, no border
    }

    void styleZeroClearsIsDownButKeepsColour()
    {
        Host h(100, 32, true);
        h.button->setProperty("Style", 1);
        h.button->setProperty("IsDown", true);
        QSignalSpy changed(h.button, &FlatButton::PropertyChanged);
        h.button->setProperty("Style", 0);
        QCOMPARE(h.button->property("IsDown").toBool(), false);
        QCOMPARE(h.button->property("BackColor").toUInt(), 0xE0E0E0u);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed.at(0).at(0).toString(), QStringLiteral("Style"));
        QCOMPARE(changed.at(1).at(0).toString(), QStringLiteral("IsDown"));
    }

    void styleAtRunTimeFails393()
    {
        Host h;  // the host runs: no "UserMode" anywhere above the control
        QSignalSpy changed(h.button, &FlatButton::PropertyChanged);
        h.button->setProperty("Style", 1);
        QCOMPARE(h.button->property("Style").toInt(), 0);
        QCOMPARE(h.button->property("LastError").toInt(), 393);
        QVERIFY(!h.button->property("LastErrorText").toString().isEmpty());
        QCOMPARE(changed.count(), 0);
        // The next assignment that succeeds clears the error.
        h.button->setProperty("Caption", QStringLiteral("x"));
        QCOMPARE(h.button->property("LastError").toInt(), 0);
        // At design time a value outside 16 bits is refused too.
        Host d(100, 32, true);
        d.button->setProperty("Style", 70000);
        QCOMPARE(d.button->property("LastError").toInt(), 6);
        QCOMPARE(d.button->property("Style").toInt(), 0);
    }

    // ---- property bag ----------------------------------------------------------------------------
    void defaultsWriteOnlyThePictures()
    {
        Host h(100, 32, true);
        Bag bag;
        QVERIFY(h.button->WriteProperties(&bag));
        QCOMPARE(bag.keys(), (QStringList{"Picture", "DownPicture", "MoveInPic"}));
        QVERIFY(qvariant_cast<QImage>(bag.written.at(0).second).isNull());
    }

    void everythingSetWritesInOrder()
    {
        Host h(100, 32, true);
        QFont f = h.window.font();
        f.setBold(!f.bold());
        h.button->setProperty("Font", f);
        h.button->setProperty("Caption", QStringLiteral("Go"));
        h.button->setProperty("BackColor", 0x123456u);
        h.button->setProperty("Style", 1);
        h.button->setProperty("IsDown", true);  // sets the surface to light grey
        h.button->setProperty("LightLine", 0x010101u);
        h.button->setProperty("DarkLine", 0x020202u);
        Bag bag;
        QVERIFY(h.button->WriteProperties(&bag));
        QCOMPARE(bag.keys(), (QStringList{"Picture", "Font", "Caption", "BackColor", "Style", "IsDown", "LightLine",
                                          "DarkLine", "DownPicture", "MoveInPic"}));
        QCOMPARE(bag.written.at(3).second.toUInt(), 0xE0E0E0u);  // the surface's current colour
    }

    void readsStoredDesign()
    {
        Host h(100, 32, true);
        h.window.setFont(QFont(QStringLiteral("Serif"), 17));
        FlatButton* b = new FlatButton(&h.window);
        QSignalSpy changed(b, &FlatButton::PropertyChanged);
        Bag bag;
        bag.values = {{"Picture", QVariant::fromValue(filled(10, 10, Qt::red))},
                      {"DownPicture", QVariant::fromValue(filled(10, 10, Qt::blue))},
                      {"Caption", QStringLiteral("Hi")},
                      {"BackColor", 0x00FF00u},
                      {"Style", 0},
                      {"IsDown", true}};
        QVERIFY(b->ReadProperties(&bag));
        QCOMPARE(b->property("Caption").toString(), QStringLiteral("Hi"));
        QCOMPARE(b->property("BackColor").toUInt(), 0x00FF00u);
        QCOMPARE(b->property("SavedBackColor").toUInt(), FlatButton::DefaultBackColor);  // taken before
        QCOMPARE(b->property("Font").value<QFont>().pointSize(), 17);                    // ambient font
        QCOMPARE(b->property("LightLine").toUInt(), FlatButton::DefaultLightLine);
        // Stored IsDown with Style 0 loads as it is; the next IsDown assignment clears it.
        QCOMPARE(b->property("IsDown").toBool(), true);
        QStringList names;
        for (const auto& c : changed)
            names << c.at(0).toString();
        QCOMPARE(names, (QStringList{"Picture", "Font"}));
        b->setProperty("IsDown", true);
        QCOMPARE(b->property("IsDown").toBool(), false);
    }

    void terminationRestoresSavedColour()
    {
        QWidget host;
        auto b = new FlatButton(&host);
        b->setProperty("BackColor", 0x00FF00u);
        QStringList seen;
        connect(b, &FlatButton::PropertyChanged, &host, [&](const QString& n) {
            seen << n + QLatin1Char('=') + QString::number(b->property("BackColor").toUInt(), 16);
        });
        delete b;
        QCOMPARE(seen, QStringList{QStringLiteral("BackColor=8000000f")});
    }

    // ---- drawing ---------------------------------------------------------------------------------
    void pictureAndCaptionLayout()
    {
        // 1500 x 480 twips, a 100 x 32 pixel picture and "OK": the picture at (0, -16) twips, one pixel
        // up, and the caption at (374, 119) twips, pixel (25, 8).
        Host h(100, 32, true);
        QImage pic = filled(100, 32, Qt::blue);
        for (int x = 0; x < 100; ++x) {
            pic.setPixel(x, 0, qRgb(255, 0, 0));
            pic.setPixel(x, 1, qRgb(0, 255, 0));
        }
        h.button->setProperty("BackColor", 0xFFFFFFu);
        h.button->setProperty("Picture", QVariant::fromValue(pic));
        QImage img = h.grab();
        QCOMPARE(img.pixel(50, 0), qRgb(255, 0, 0));  // without a caption: centred, (0, 0)
        QCOMPARE(img.pixel(50, 31), qRgb(0, 0, 255));

        h.button->setProperty("Caption", QStringLiteral("OK"));
        img = h.grab();
        QCOMPARE(img.pixel(1, 0), qRgb(0, 255, 0));      // the picture's second row at the top
        QCOMPARE(img.pixel(1, 30), qRgb(0, 0, 255));
        QCOMPARE(img.pixel(1, 31), qRgb(255, 255, 255)); // below the picture: the face
        int left = 1000, top = 1000;
        for (int y = 1; y < 31; ++y)
            for (int x = 0; x < 100; ++x)
                if (img.pixel(x, y) != qRgb(0, 0, 255)) {
                    left = qMin(left, x);
                    top = qMin(top, y);
                }
        QVERIFY2(left >= 25 && left <= 27, qPrintable(QString::number(left)));
        QVERIFY2(top >= 8 && top <= 8 + QFontMetrics(h.button->font()).ascent(), qPrintable(QString::number(top)));
    }

    void captionOnlyAndBlanks_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::newRow("plain") << QStringLiteral("OK");
        QTest::newRow("blanks count only as drawn") << QStringLiteral("  OK  ");
    }
    void captionOnlyAndBlanks()
    {
        // Caption only: printed at ((Width - N) \ 2, (Height - N) \ 2) with N the trimmed length (2
        // twips), i.e. pixel (50, 16) for 1500 x 480 twips; leading blanks are printed.
        QFETCH(QString, caption);
        Host h(100, 32, true);
        h.button->setProperty("BackColor", 0xFFFFFFu);
        h.button->setProperty("Caption", caption);
        const QImage img = h.grab();
        const int blanks = caption.size() - QString(caption).remove(QRegularExpression("^ +")).size();
        const int start = 50 + QFontMetrics(h.button->font()).horizontalAdvance(QString(blanks, QLatin1Char(' ')));
        int left = 1000, top = 1000;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 100; ++x)
                if (img.pixel(x, y) != qRgb(255, 255, 255)) {
                    left = qMin(left, x);
                    top = qMin(top, y);
                }
        QVERIFY2(left >= start && left <= start + 2, qPrintable(QString("%1 vs %2").arg(left).arg(start)));
        QVERIFY(top >= 16);
        // After the pointer has passed, the flat look is a bare face until the next paint.
        move(h.button, QPointF(10, 10));
        move(h.button, QPointF(200, 10));
        const QImage flat = h.grab();
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 100; ++x)
                QCOMPARE(flat.pixel(x, y), qRgb(255, 255, 255));
    }

    void emptyButtonPaintsNothing()
    {
        Host h(100, 32, true);
        h.button->setProperty("BackColor", 0x00FF00u);
        const QImage img = h.grab();
        for (int y = 0; y < 32; y += 3)
            for (int x = 0; x < 100; x += 3)
                QCOMPARE(img.pixel(x, y), qRgb(0, 255, 0));
    }

    void showButtonLooks_data()
    {
        QTest::addColumn<int>("isVisible");
        QTest::addColumn<int>("upDown");
        QTest::addColumn<uint>("leftTop");
        QTest::addColumn<uint>("rightBottom");
        QTest::addColumn<uint>("centre");
        const uint face = 0xFFFFFFu, light = 0x00FF00u, dark = 0x0000FFu;
        QTest::newRow("flat") << 0 << 1 << face << face << 0x111111u;
        QTest::newRow("raised") << -1 << 1 << light << dark << 0x222222u;
        QTest::newRow("sunken") << -1 << 0 << dark << light << 0x333333u;
        QTest::newRow("other UpDown: cleared") << -1 << 2 << face << face << face;
        QTest::newRow("other IsVisible: cleared") << 1 << 0 << face << face << face;
    }
    void showButtonLooks()
    {
        QFETCH(int, isVisible);
        QFETCH(int, upDown);
        QFETCH(uint, leftTop);
        QFETCH(uint, rightBottom);
        QFETCH(uint, centre);
        Host h(60, 30, true);
        h.button->setProperty("BackColor", 0xFFFFFFu);
        h.button->setProperty("LightLine", 0x00FF00u);
        h.button->setProperty("DarkLine", 0x0000FFu);
        h.button->setProperty("Picture", QVariant::fromValue(filled(20, 10, Brimlet::oleColor(0x111111))));
        h.button->setProperty("MoveInPic", QVariant::fromValue(filled(20, 10, Brimlet::oleColor(0x222222))));
        h.button->setProperty("DownPicture", QVariant::fromValue(filled(20, 10, Brimlet::oleColor(0x333333))));
        QVERIFY(QMetaObject::invokeMethod(h.button, "ShowButton", Q_ARG(int, isVisible), Q_ARG(int, upDown)));
        const QImage img = h.grab();
        const Lines l = linesOf(img);
        QCOMPARE(l.left, rgb(leftTop));
        QCOMPARE(l.top, rgb(leftTop));
        QCOMPARE(l.right, rgb(rightBottom));
        QCOMPARE(l.bottom, rgb(rightBottom));
        QCOMPARE(l.corner, rgb(0xFFFFFFu));  // the lines stop one pixel short of the corner
        QCOMPARE(img.pixel(30, 15), rgb(centre));
    }

    // ---- mouse -----------------------------------------------------------------------------------
    void pointerInsideAtEdges_data()
    {
        QTest::addColumn<QPointF>("pos");
        QTest::addColumn<bool>("inside");
        QTest::newRow("right edge") << QPointF(100, 10) << true;
        QTest::newRow("bottom edge") << QPointF(10, 32) << true;
        QTest::newRow("corner") << QPointF(100, 32) << true;
        QTest::newRow("origin") << QPointF(0, 0) << true;
        QTest::newRow("past right") << QPointF(101, 10) << false;
        QTest::newRow("past bottom") << QPointF(10, 33) << false;
        QTest::newRow("left of it") << QPointF(-1, 10) << false;
    }
    void pointerInsideAtEdges()
    {
        QFETCH(QPointF, pos);
        QFETCH(bool, inside);
        Host h;
        h.button->setProperty("BackColor", 0xFFFFFFu);
        h.button->setProperty("LightLine", 0x00FF00u);
        move(h.button, pos);
        QCOMPARE(linesOf(h.grab()).left, inside ? qRgb(0, 255, 0) : qRgb(255, 255, 255));
        QCOMPARE(QWidget::mouseGrabber() == h.button, inside);
        if (inside)
            move(h.button, QPointF(-5, -5));
        QVERIFY(QWidget::mouseGrabber() != h.button);  // released on the first move outside
    }

    void movesPressesAndClick()
    {
        Host h;
        h.window.show();
        h.button->setProperty("BackColor", 0xFFFFFFu);
        h.button->setProperty("LightLine", 0x00FF00u);
        h.button->setProperty("DarkLine", 0x0000FFu);
        QSignalSpy clicks(h.button, SIGNAL(Click()));
        const QRgb light = qRgb(0, 255, 0), dark = qRgb(255, 0, 0), face = qRgb(255, 255, 255);

        move(h.button, QPointF(10, 10), Qt::RightButton);  // right button held: raised
        QCOMPARE(linesOf(h.grab()).left, light);
        move(h.button, QPointF(10, 10), Qt::LeftButton);   // left alone: sunken
        QCOMPARE(linesOf(h.grab()).left, dark);
        move(h.button, QPointF(10, 10), Qt::LeftButton | Qt::RightButton);  // not the left alone: raised
        QCOMPARE(linesOf(h.grab()).left, light);

        mouse(h.button, QEvent::MouseButtonPress, QPointF(10, 10), Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(linesOf(h.grab()).left, dark);
        mouse(h.button, QEvent::MouseButtonRelease, QPointF(10, 10), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(linesOf(h.grab()).left, light);
        QCOMPARE(clicks.count(), 1);

        // Released outside: flat, no click. The right button never clicks.
        mouse(h.button, QEvent::MouseButtonPress, QPointF(10, 10), Qt::LeftButton, Qt::LeftButton);
        mouse(h.button, QEvent::MouseButtonRelease, QPointF(150, 10), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(linesOf(h.grab()).left, face);
        mouse(h.button, QEvent::MouseButtonPress, QPointF(10, 10), Qt::RightButton, Qt::RightButton);
        mouse(h.button, QEvent::MouseButtonRelease, QPointF(10, 10), Qt::RightButton, Qt::NoButton);
        QCOMPARE(clicks.count(), 1);
    }

    void toggledDownButton()
    {
        Host h(100, 32, true);
        h.window.show();
        h.button->setProperty("Style", 1);
        h.button->setProperty("IsDown", true);
        QSignalSpy clicks(h.button, SIGNAL(Click()));
        // Over it: the saved colour; away from it: light grey; sunken all the time.
        move(h.button, QPointF(10, 10));
        QCOMPARE(h.button->property("BackColor").toUInt(), FlatButton::DefaultBackColor);
        QCOMPARE(linesOf(h.grab()).left, rgb(FlatButton::DefaultDarkLine));
        // Presses and releases change nothing, but the click is raised and IsDown stays.
        mouse(h.button, QEvent::MouseButtonPress, QPointF(10, 10), Qt::LeftButton, Qt::LeftButton);
        mouse(h.button, QEvent::MouseButtonRelease, QPointF(10, 10), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(linesOf(h.grab()).left, rgb(FlatButton::DefaultDarkLine));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(h.button->property("IsDown").toBool(), true);
        move(h.button, QPointF(300, 10));
        QCOMPARE(h.button->property("BackColor").toUInt(), 0xE0E0E0u);
        QCOMPARE(linesOf(h.grab()).left, rgb(FlatButton::DefaultDarkLine));
        QCOMPARE(linesOf(h.grab()).corner, rgb(0xE0E0E0u));
    }

    // ---- tooltip ---------------------------------------------------------------------------------
    void tooltipBelowPointer()
    {
        Host h;
        h.window.move(100, 100);
        h.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.window));
        h.button->setProperty("ToolTipText", QStringLiteral("  Play  "));
        const QPoint pointer = h.button->mapToGlobal(QPoint(50, 16));
        QCursor::setPos(pointer);  // a real move over the button arms the timer
        QVERIFY(!toolTipVisible());
        QTRY_VERIFY_WITH_TIMEOUT(toolTipVisible(), 2000);
        QWidget* tip = toolTipWindow();
        QCOMPARE(tip->pos(), pointer + QPoint(0, 20));
        auto label = tip->findChild<QLabel*>(QStringLiteral("lblTip"));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral(" Play "));
        QCOMPARE(tip->size(), label->size());

        // Pressing closes it and leaves the face repainted without borders.
        h.button->setProperty("BackColor", 0xFFFFFFu);
        mouse(h.button, QEvent::MouseButtonPress, QPointF(50, 16), Qt::LeftButton, Qt::LeftButton);
        QVERIFY(!toolTipVisible());
        QCOMPARE(linesOf(h.grab()).left, qRgb(255, 255, 255));
        mouse(h.button, QEvent::MouseButtonRelease, QPointF(50, 16), Qt::LeftButton, Qt::NoButton);

        // Shown again, leaving the button unloads it.
        move(h.button, QPointF(50, 16));
        QTRY_VERIFY_WITH_TIMEOUT(toolTipVisible(), 2000);
        move(h.button, QPointF(500, 16));
        QVERIFY(!toolTipVisible());
    }

    void tooltipAtBottomRightCorner()
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        Host h;
        h.window.setGeometry(screen.right() - 99, screen.bottom() - 31, 100, 32);
        h.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.window));
        h.button->setProperty("ToolTipText", QStringLiteral("Stop"));
        const QPoint corner = screen.bottomRight();
        QCursor::setPos(corner);
        QTRY_VERIFY_WITH_TIMEOUT(toolTipVisible(), 2000);
        const QRect tip = toolTipWindow()->geometry();
        // Above and left of the pointer, touching it.
        QCOMPARE(tip.right() + 1, corner.x());
        QCOMPARE(tip.bottom() + 1, corner.y());
    }

    void tooltipTexts_data()
    {
        QTest::addColumn<QVariant>("text");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("label");
        QTest::newRow("blanks only") << QVariant(QStringLiteral("   ")) << true << QStringLiteral("  ");
        QTest::newRow("empty") << QVariant(QString()) << false << QString();
        QTest::newRow("host keeps none") << QVariant() << false << QString();
    }
    void tooltipTexts()
    {
        QFETCH(QVariant, text);
        QFETCH(bool, shown);
        QFETCH(QString, label);
        Host h;
        h.window.show();
        if (text.isValid())
            h.button->setProperty("ToolTipText", text);
        move(h.button, QPointF(10, 10));
        auto timer = h.button->findChild<QTimer*>(QStringLiteral("tmrTimer"));
        QVERIFY(timer && timer->isActive());
        QCOMPARE(timer->interval(), 500);
        QTRY_VERIFY_WITH_TIMEOUT(!timer->isActive(), 2000);  // the tick disables it in every case
        QCOMPARE(toolTipVisible(), shown);
        if (shown)
            QCOMPARE(toolTipWindow()->findChild<QLabel*>(QStringLiteral("lblTip"))->text(), label);
        move(h.button, QPointF(10, 10));  // the host keeps working
        QVERIFY(!shown || !timer->isActive());  // while shown, moves inside do not re-arm
    }

    void newButtonClosesAShownTooltip()
    {
        Host h;
        h.window.show();
        h.button->setProperty("ToolTipText", QStringLiteral("Play"));
        move(h.button, QPointF(10, 10));
        QTRY_VERIFY_WITH_TIMEOUT(toolTipVisible(), 2000);
        FlatButton second(&h.window);
        QVERIFY(!toolTipVisible());
        // and the next button over which the pointer comes arms its own timer
        second.resize(50, 20);
        move(&second, QPointF(5, 5));
        QVERIFY(second.findChild<QTimer*>(QStringLiteral("tmrTimer"))->isActive());
    }
};

QTEST_MAIN(TestFlatButton)
#include "test_flatbutton.moc"
