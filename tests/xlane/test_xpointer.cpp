// Pointer grabs on a real display: a flat button whose Click opens a modal window lets go of the
// pointer, so the window it opened, and the rest of the desktop, take clicks again.
#include "tests/player_fixture.h"
#include "tests/xlane/xsession.h"

#include "ui/design.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPoint centre(const QWidget* w) { return w->mapToGlobal(w->rect().center()); }

bool tipVisible()
{
    // The flat-button library's tooltip is a window of its own.
    for (const QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmToolTip") && w->isVisible())
            return true;
    return false;
}

}  // namespace

class TestXPointer : public QObject {
    Q_OBJECT
    PlayerFixture fx;

private slots:
    void cleanup() { releaseWindows(); }

    // The "+" button opens the add-files dialog. With the pointer rested on it first (so that its
    // tooltip showed), the dialog must still take a click on Cancel, and nothing may hold the pointer.
    void addItemsButtonOpensADialogThatTakesClicks_data()
    {
        QTest::addColumn<int>("restMs");
        QTest::newRow("straight click") << 0;
        QTest::newRow("rested until the tooltip showed") << 800;
    }
    void addItemsButtonOpensADialogThatTakesClicks()
    {
        QFETCH(int, restMs);
        Form1& f = fx.fresh();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QVERIFY(f.FB1 && !Design::IsPlaceholder(f.FB1));
        XInput::moveTo(centre(f.FB1) + QPoint(1, 0));
        XInput::moveTo(centre(f.FB1));
        XInput::settle(restMs);
        if (restMs)
            QVERIFY(tipVisible());

        bool dialogShown = false, grabbedInDialog = true, tipInDialog = true, closedByCancel = false;
        QTimer::singleShot(400, [&] {
            // Cancel releases the dialog: it is gone, not merely hidden, once the click has gone through.
            const QPointer<Form2> d = &Form2::instance();
            dialogShown = waitFor([&] { return d && d->isVisible() && QApplication::activeModalWidget(); }, 4000);
            if (!dialogShown) {
                if (d)
                    d->hide();
                return;
            }
            XInput::settle(200);
            grabbedInDialog = XSession::pointerGrabbed();
            tipInDialog = tipVisible();
            XInput::moveTo(centre(d->Command2));
            XInput::click();
            closedByCancel = waitFor([&] { return !d || !d->isVisible(); }, 3000);
            if (d && !closedByCancel)
                d->hide();  // lets the test end either way
        });
        XInput::click();
        waitFor([&] { return !QApplication::activeModalWidget(); }, 6000);
        QVERIFY(dialogShown);
        QVERIFY2(!grabbedInDialog, "the button still held the pointer while the dialog was open");
        QVERIFY2(!tipInDialog, "the button's tooltip stayed over the dialog");
        QVERIFY2(closedByCancel, "the dialog took no click");
        QVERIFY(!XSession::pointerGrabbed());
    }

    // A button that is hidden, or whose window loses the focus to another window, while it holds the
    // pointer, lets it go.
    void buttonLetsGoWhenItsWindowIsHiddenOrDeactivated_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("button hidden") << "hide";
        QTest::newRow("window hidden") << "hideWindow";
        QTest::newRow("another window activated") << "activateOther";
    }
    void buttonLetsGoWhenItsWindowIsHiddenOrDeactivated()
    {
        QFETCH(QString, how);
        Form1& f = fx.fresh();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        XInput::moveTo(centre(f.FB1) + QPoint(1, 0));
        XInput::moveTo(centre(f.FB1));
        QVERIFY(waitFor([&] { return QWidget::mouseGrabber() == f.FB1; }, 2000));
        QWidget other;
        other.setGeometry(900, 600, 200, 150);
        if (how == QLatin1String("hide")) {
            f.FB1->hide();
        } else if (how == QLatin1String("hideWindow")) {
            f.hide();
        } else {
            other.show();
            QVERIFY(QTest::qWaitForWindowExposed(&other));
            other.activateWindow();
            QVERIFY(waitFor([&] { return QApplication::activeWindow() == &other; }, 3000));
        }
        XInput::settle(200);
        QVERIFY(QWidget::mouseGrabber() != f.FB1);
        QVERIFY(!XSession::pointerGrabbed());
    }
};

PELLUM_XLANE_MAIN(TestXPointer)
#include "test_xpointer.moc"
