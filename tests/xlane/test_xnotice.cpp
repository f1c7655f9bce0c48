// The notice that a control library is not registered, on a real display with a window manager: it
// opens in front of the main window that it is about, with all of its text inside the window, and a
// real click on its OK reaches it and closes it.
#include "player/loadk.h"
#include "tests/player_fixture.h"
#include "tests/xlane/xsession.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QScreen>

class TestXNotice : public QObject {
    Q_OBJECT
    PlayerFixture fx;

private slots:
    void cleanup()
    {
        releaseWindows();
        SingleInstance::release();
    }

    void unregisteredLibraryNoticeInFrontAndWhole()
    {
        fx.freshEnv();
        QFile::remove(fx.env->config() + "/PellumPlayer/components.ini");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(fx.env->runtime()));
        QCOMPARE(Module1::ClaimPlayer(QByteArray()), SingleInstance::Outcome::Alone);
        Module1::Main(QString());
        Form1& f = Form1::instance();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QVERIFY(loadk::isLoaded());
        loadk& n = loadk::instance();
        QVERIFY(QTest::qWaitForWindowExposed(&n));
        QVERIFY(n.Command1->isVisible());
        const QString text = n.Label4->text();
        QVERIFY2(text.contains("Brimlet.FlatButton") && text.contains("brimlet-register"), qPrintable(text));
        // Both flat buttons of the design miss the same library: the notice names it once.
        QCOMPARE(text.count(QStringLiteral("Brimlet.FlatButton is not registered")), 1);
        XInput::settle(500);

        // In front: above the main window in the window manager's stack.
        const QList<unsigned long> stack = XSession::stackingOrder();
        QVERIFY(stack.contains(f.winId()));
        QVERIFY(stack.contains(n.winId()));
        QVERIFY2(stack.indexOf(n.winId()) > stack.indexOf(f.winId()), "the notice is behind the main window");

        // Whole: every word fits the text's width, every line its height, the text and OK lie apart
        // inside the window, and the window on the screen.
        const QFontMetrics fm(n.Label4->font());
        for (const QString& word : text.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts))
            QVERIFY2(fm.horizontalAdvance(word) <= n.Label4->width(), qPrintable(word));
        QVERIFY(n.Label4->heightForWidth(n.Label4->width()) <= n.Label4->height());
        QVERIFY(n.rect().contains(n.Label4->geometry()));
        QVERIFY(n.rect().contains(n.Command1->geometry()));
        QVERIFY(!n.Label4->geometry().intersects(n.Command1->geometry()));
        QVERIFY(QGuiApplication::primaryScreen()->geometry().contains(n.frameGeometry()));

        // A real click where its OK shows reaches it.
        XInput::moveTo(n.Command1->mapToGlobal(n.Command1->rect().center()));
        XInput::click();
        QTRY_VERIFY_WITH_TIMEOUT(!loadk::isLoaded() || !loadk::instance().isVisible(), 3000);
        QVERIFY(f.isVisible());
    }
};

PELLUM_XLANE_MAIN(TestXNotice)
#include "test_xnotice.moc"
