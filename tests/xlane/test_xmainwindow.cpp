// The main window on a real display, driven by the pointer: its list seen whole at the window's foot,
// the skin buttons' tooltips, the hover looks taken back however the pointer goes, and where the label
// strip's menus open.
#include "tests/player_fixture.h"
#include "tests/xlane/xsession.h"

#include <QApplication>
#include <QScreen>
#include <QScrollBar>
#include <QToolTip>
#include <QUrl>

namespace {

QPoint centre(const QWidget* w) { return w->mapToGlobal(w->rect().center()); }

// Rests the pointer on `w` (two moves, so that the window sees a move inside it).
void hover(const QWidget* w)
{
    XInput::moveTo(centre(w) + QPoint(1, 1));
    XInput::moveTo(centre(w));
    XInput::settle(200);
}

// A point of the screen outside the window, down and to the right of it.
QPoint outside(const QWidget* window)
{
    return window->frameGeometry().bottomRight() + QPoint(60, 60);
}

// What the screen shows where `w` stands.
QImage onScreen(const QWidget* w)
{
    const QPoint at = w->mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, at.x(), at.y(), w->width(), w->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// The widget's own drawing of itself.
QImage drawn(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

// The share of the pixels of `area` in which two pictures of one size differ.
double differing(const QImage& a, const QImage& b, const QRect& area)
{
    if (a.size() != b.size())
        return 1.0;
    int n = 0, all = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x, ++all)
            n += a.pixel(x, y) != b.pixel(x, y);
    return all ? double(n) / all : 0.0;
}

QWidget* element(Form1& f, const QString& name) { return f.findChild<QWidget*>(name); }

}  // namespace

class TestXMainWindow : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    Form1& shown()
    {
        Form1& f = fx.fresh();
        f.show();
        if (!QTest::qWaitForWindowExposed(&f))
            qWarning("the main window was not exposed");
        XInput::moveTo(outside(&f));
        XInput::settle(300);
        return f;
    }

private slots:
    void cleanup()
    {
        XInput::key("Escape");
        releaseWindows();
    }

    // The list stands inside the window in both window states: its bottom rows, its horizontal scroll
    // bar and the foot of its vertical one show on the screen as the list draws them.
    void listIsSeenWholeAtTheFoot_data()
    {
        QTest::addColumn<bool>("maximised");
        QTest::newRow("normal") << false;
        QTest::newRow("maximised") << true;
    }
    void listIsSeenWholeAtTheFoot()
    {
        QFETCH(bool, maximised);
        Form1& f = shown();
        QStringList rows;
        for (int i = 0; i < 80; ++i)
            rows << (i == 40 ? QStringLiteral("/music/%1 a row much longer than the list is wide.mp3").arg(i)
                             : QStringLiteral("/music/%1.mp3").arg(i));
        PlayerFixture::add(f, rows);
        Form2::instance().ha();
        if (maximised) {
            f.showMaximized();
            QVERIFY(waitFor([&] { return bool(f.windowState() & Qt::WindowMaximized) && f.height() > 800; }, 4000));
        }
        XInput::settle(500);
        f.List2->scrollToBottom();
        XInput::settle(300);
        QVERIFY(f.List2->horizontalScrollBar()->isVisible());
        const QRect window(f.mapToGlobal(QPoint(0, 0)), f.size());
        const QRect list(f.List2->mapToGlobal(QPoint(0, 0)), f.List2->size());
        QVERIFY2(window.contains(list), qPrintable(QStringLiteral("the list reaches to %1, the window to %2")
                                                       .arg(list.bottom())
                                                       .arg(window.bottom())));
        const QImage screen = onScreen(f.List2), own = drawn(f.List2);
        const QRect foot(0, own.height() - 40, own.width(), 40);
        const double d = differing(screen, own, foot);
        QVERIFY2(d < 0.02, qPrintable(QStringLiteral("%1% of the list's foot is not seen").arg(d * 100)));
    }

    // Resting the pointer on a skin button shows its tooltip, in the language chosen last.
    void skinButtonsShowTheirTooltips_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArray>("language");  // the chooser's file, none for the built-in texts
        QTest::addColumn<QString>("tip");
        QTest::newRow("add") << "Image5_0" << QByteArray() << "Add Items...";
        QTest::newRow("radio") << "Image5_1" << QByteArray() << "Selector...";
        QTest::newRow("CD") << "Image5_2" << QByteArray() << "CDplayer";
        QTest::newRow("next") << "Image5_4" << QByteArray() << "Next Song";
        QTest::newRow("media search") << "Image9" << QByteArray() << "MediaScan...";
        QTest::newRow("title lists") << "Image11" << QByteArray() << "CD Direzar...";
        QTest::newRow("DVD") << "Image2" << QByteArray() << "Play DVD";
        QTest::newRow("pause") << "Image3" << QByteArray() << "Pause";
        QTest::newRow("add, language changed") << "Image5_0" << QByteArray("additems=Hinzu\r\n") << "Hinzu...";
        QTest::newRow("radio, language changed") << "Image5_1" << QByteArray("radio=Funk\r\n") << "Funk...";
        QTest::newRow("CD, language changed") << "Image5_2" << QByteArray("cdplayer=X\r\n") << "CDplayer";
    }
    void skinButtonsShowTheirTooltips()
    {
        QFETCH(QString, button);
        QFETCH(QByteArray, language);
        QFETCH(QString, tip);
        Form1& f = shown();
        if (!language.isEmpty()) {
            fx.env->writeFile("home/deutsch.ini", "[language]\r\n" + language);
            Form7& chooser = Form7::instance();
            chooser.File1->setListIndex(0);
            chooser.Command1_Click();
        }
        QWidget* b = element(f, button);
        QVERIFY(b);
        hover(b);
        QVERIFY2(waitFor([] { return QToolTip::isVisible(); }, 3000), "no tooltip showed");
        QCOMPARE(QToolTip::text(), tip);
    }

    // The buttons that stand on the audio backdrop stay lit while the pointer rests on them: the move
    // over a button is not also a move over the backdrop, which would take the highlight back.
    void backdropButtonsStayLitUnderThePointer_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"Image5_0", "Image5_1", "Image5_3", "Image5_4"})
            QTest::newRow(name) << name;
    }
    void backdropButtonsStayLitUnderThePointer()
    {
        QFETCH(QString, name);
        Form1& f = shown();
        QWidget* w = element(f, name);
        QVERIFY(w && w->parentWidget() == f.Picture2);
        const QImage rest = drawn(w);
        hover(w);
        XInput::moveTo(centre(w) + QPoint(2, 0));
        XInput::settle(400);  // a few ticks of the reset timer
        QVERIFY2(drawn(w) != rest, "the button went dark under the pointer");
        XInput::moveTo(f.Image1->mapToGlobal(QPoint(4, 4)));
        XInput::moveTo(f.Image1->mapToGlobal(QPoint(5, 5)));
        XInput::settle(300);
        QVERIFY2(drawn(w) == rest, "the background did not take the highlight back");
    }

    // A lit element takes its resting look back when the pointer leaves it by a way that crosses no
    // background: straight out of the window, through a strip menu that closes, or into a modal window.
    void hoverLooksAreTakenBack_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("how");
        QTest::newRow("strip label, out of the window") << "Label1_1" << "leave";
        QTest::newRow("bordered button, out of the window") << "Image8" << "leave";
        QTest::newRow("DVD button, out of the window") << "Image2" << "leave";
        QTest::newRow("CD button, out of the window") << "Image5_2" << "leave";
        QTest::newRow("File label, its menu closes") << "Label1_0" << "menu";
        QTest::newRow("Options label, its menu closes") << "Label1_2" << "menu";
        QTest::newRow("add button, the dialog opens") << "Image5_0" << "modal";
    }
    void hoverLooksAreTakenBack()
    {
        QFETCH(QString, name);
        QFETCH(QString, how);
        Form1& f = shown();
        QWidget* w = element(f, name);
        QVERIFY(w);
        const QImage rest = drawn(w);
        hover(w);
        QVERIFY2(drawn(w) != rest, "the element did not light up");

        if (how == QLatin1String("leave")) {
            XInput::moveTo(outside(&f));
            XInput::settle(400);
            QVERIFY2(drawn(w) == rest, "the element stayed lit after the pointer left the window");
        } else if (how == QLatin1String("menu")) {
            XInput::click();
            QVERIFY(waitFor([] { return QApplication::activePopupWidget() != nullptr; }, 2000));
            QWidget* menu = QApplication::activePopupWidget();
            XInput::moveTo(menu->mapToGlobal(QPoint(menu->width() / 2, 12)));
            XInput::settle(200);
            XInput::key("Escape");
            QVERIFY(waitFor([&] { return !menu->isVisible(); }, 2000));
            XInput::settle(400);
            QVERIFY2(drawn(w) == rest, "the label stayed lit after its menu closed");
        } else {
            bool opened = false, restedInDialog = false;
            QTimer::singleShot(300, [&] {
                Form2& d = Form2::instance();
                opened = waitFor([&] { return d.isVisible() && QApplication::activeModalWidget(); }, 4000);
                XInput::settle(400);
                restedInDialog = drawn(w) == rest;
                d.Command2_Click();
            });
            XInput::click();
            waitFor([] { return !QApplication::activeModalWidget(); }, 6000);
            QVERIFY(opened);
            QVERIFY2(restedInDialog, "the button stayed lit while the dialog it opened was up");
        }
    }

    // The strip's menus drop down from the foot of their label, as from a menu bar.
    // Files dragged from another program across the window's edge: taken where they may be dropped
    // (the video or picture, the list), refused elsewhere, however the drag came in.
    void filesDraggedInAcrossTheEdge_data()
    {
        QTest::addColumn<QString>("over");
        QTest::addColumn<bool>("taken");
        QTest::newRow("let go on the list") << "list" << true;
        QTest::newRow("let go on the picture") << "picture" << true;
        QTest::newRow("over the list, let go on the seek bar") << "seek bar" << false;
    }
    void filesDraggedInAcrossTheEdge()
    {
        QFETCH(QString, over);
        QFETCH(bool, taken);
        Form1& f = shown();
        f.Timer1->stop();  // the rows stay as dropped
        const QString song = writeWav(fx.env->path(QStringLiteral("two words #1.wav")), 1.0);
        QWidget* picture = f.Picture2->isVisible() ? static_cast<QWidget*>(f.Picture2) : f.mp;
        QWidget* target = over == "picture" ? picture : static_cast<QWidget*>(f.List2);
        const QPoint aim = centre(target);
        // The drag comes in from the left, by the window's edge beside the seek bar.
        const QPoint edge = f.mapToGlobal(QPoint(1, f.PBX->geometry().center().y()));
        for (QWidget* w : {static_cast<QWidget*>(f.List2), picture})
            QVERIFY(!QRect(w->mapToGlobal(QPoint(0, 0)), w->size()).contains(edge));

        XDragSource drag({QString::fromLatin1(QUrl::fromLocalFile(song).toEncoded())});
        QVERIFY(drag.ready());
        drag.moveTo(edge - QPoint(40, 0));
        drag.moveTo(edge);
        QVERIFY(!drag.accepted());
        for (int i = 1; i <= 6; ++i)
            drag.moveTo(edge + (aim - edge) * i / 6);
        QVERIFY(drag.accepted());
        if (over == "seek bar") {
            drag.moveTo(centre(f.PBX));
            QVERIFY(!drag.accepted());
        }
        QCOMPARE(drag.drop(), taken);
        QCOMPARE(f.List1->items(), taken ? QStringList{song} : QStringList());
        QCOMPARE(f.List2->ListCount(), taken ? 1 : 0);
    }

    void stripMenusOpenBelowTheirLabel_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("File") << 0;
        QTest::newRow("Actions") << 1;
        QTest::newRow("Options") << 2;
        QTest::newRow("About") << 6;
    }
    void stripMenusOpenBelowTheirLabel()
    {
        QFETCH(int, index);
        Form1& f = shown();
        QWidget* label = f.Label1[index];
        QMenu* menu = QList<QMenu*>{f.fl, f.ac, f.rndg, nullptr, nullptr, nullptr, f.ab}[index];
        hover(label);
        XInput::click();
        QVERIFY(waitFor([&] { return menu->isVisible(); }, 2000));
        XInput::settle(200);
        // The label may reach below the strip, which cuts it off there.
        const int foot = qMin(label->mapToGlobal(QPoint(0, label->height())).y(),
                              f.Frame2->mapToGlobal(QPoint(0, f.Frame2->height())).y());
        QCOMPARE(menu->geometry().top(), foot);
        QCOMPARE(menu->geometry().left(), label->mapToGlobal(QPoint(0, 0)).x());
        XInput::key("Escape");
        QVERIFY(waitFor([&] { return !menu->isVisible(); }, 2000));
    }
};

PELLUM_XLANE_MAIN(TestXMainWindow)
#include "test_xmainwindow.moc"
