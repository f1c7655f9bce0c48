// The internet radio on a real display: the window activated by the window manager chooses no station
// by itself, so Play with nothing clicked leaves what the main player plays; a node clicked with the
// pointer, or reached with the keys, is what Play opens.
#include "tests/player_fixture.h"
#include "tests/xlane/xsession.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace {

QPoint centre(const QWidget* w) { return w->mapToGlobal(w->rect().center()); }

}  // namespace

class TestXRadio : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    // Waits until the window manager holds `w` active and the application sees it so.
    static bool active(QWidget& w)
    {
        return waitFor([&] { return XSession::activeWindow() == w.winId() && QApplication::activeWindow() == &w; }, 4000);
    }

private slots:
    void cleanup() { releaseWindows(); }

    void playChoosesOnlyWhatWasClicked_data()
    {
        QTest::addColumn<QString>("before");  // what the user does before Play
        QTest::addColumn<QString>("chosen");  // the region then chosen ("" for none)
        QTest::newRow("nothing clicked") << "" << "";
        QTest::newRow("nothing clicked, opened again after Exit") << "reopen" << "";
        QTest::newRow("a region clicked") << "click jp" << "jp";
        // The keys choose too: from the node that focus made current, Down selects the next region.
        QTest::newRow("Down pressed") << "key Down" << "jp";
    }
    void playChoosesOnlyWhatWasClicked()
    {
        QFETCH(QString, before);
        QFETCH(QString, chosen);
        Form1& f = fx.fresh();
        const QString clip = writeWav(fx.env->path("a.wav"), 30);
        PlayerFixture::add(f, {clip});
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        f.selecta->trigger();
        Radio& r = Radio::instance();
        QVERIFY(QTest::qWaitForWindowExposed(&r));
        QVERIFY(active(r));
        if (before == "reopen") {
            XInput::moveTo(centre(r.Command2));
            XInput::click();
            QVERIFY(waitFor([&] { return !r.isVisible(); }));
            f.activateWindow();
            QVERIFY(active(f));
            f.selecta->trigger();
            QVERIFY(QTest::qWaitForWindowExposed(&r));
            QVERIFY(active(r));
        } else if (before == "click jp") {
            XInput::moveTo(r.RT->viewport()->mapToGlobal(r.RT->visualItemRect(r.Region("jp")).center()));
            XInput::click();
        } else if (before == "key Down") {
            XInput::key("Down");
        }
        XInput::settle(300);
        QCOMPARE(r.Label1->text(), chosen);
        QCOMPARE(r.Label3->text(), chosen.isEmpty() ? QString() : r.Region(chosen)->text(0));
        XInput::moveTo(centre(r.Command1));
        XInput::click();
        XInput::settle(400);
        if (chosen.isEmpty()) {
            QCOMPARE(f.mp->FileName(), clip);
            QCOMPARE(f.mp->PlayState(), 2);
        } else {
            QCOMPARE(f.mp->FileName(), chosen);
        }
    }
};

PELLUM_XLANE_MAIN(TestXRadio)
#include "test_xradio.moc"
