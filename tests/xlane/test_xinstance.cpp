// A start with no file while a player runs brings that player's window to the front on a real display
// with a window manager, over another program's window the user was working in. The player is this test;
// the other program and the later start are the real player program.
#include "tests/player_fixture.h"
#include "tests/support/playerprocess.h"
#include "tests/xlane/xsession.h"

#include <QApplication>
#include <QDir>
#include <QFile>

class TestXInstance : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    // A folder of the test's own under its root, closed to others (a runtime folder must be).
    QString ownFolder(const QString& name) const
    {
        const QString path = fx.env->path(name);
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    // The real program with a program folder, settings and runtime folder apart from this test's: another
    // player that this test's starts never reach.
    bool startOtherPlayer(PlayerProcess& p)
    {
        const char* names[] = {"PELLUM_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"};
        QByteArray before[3];
        for (int i = 0; i < 3; ++i) {
            before[i] = qgetenv(names[i]);
            qputenv(names[i], QFile::encodeName(ownFolder(QStringLiteral("other/%1").arg(i))));
        }
        // Installed like ours: with no registered control library it would open with its notice in front.
        registerFlatButtons();
        const bool started = p.start(QStringLiteral(PELLUM_PROGRAM), {});
        for (int i = 0; i < 3; ++i)
            qputenv(names[i], before[i]);
        return started;
    }

private slots:
    void cleanup() { SingleInstance::release(); }

    void emptyStartBringsThePlayerToTheFront_data()
    {
        QTest::addColumn<bool>("compact");
        QTest::addColumn<bool>("minimised");
        QTest::newRow("main window") << false << false;
        QTest::newRow("main window, minimised") << false << true;
        QTest::newRow("compact mode") << true << false;
    }
    void emptyStartBringsThePlayerToTheFront()
    {
        QFETCH(bool, compact);
        QFETCH(bool, minimised);
        fx.freshEnv();
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(fx.env->runtime()));
        if (compact)
            SettingsStore::SaveSetting("start", "pellum");
        QCOMPARE(Module1::ClaimPlayer(QByteArray()), SingleInstance::Outcome::Alone);
        Module1::Main(QString());
        QWidget* front = compact ? static_cast<QWidget*>(&pellum::instance()) : &Form1::instance();
        QVERIFY(QTest::qWaitForWindowExposed(front));
        const unsigned long ours = front->winId();
        QVERIFY(waitFor([&] { return XSession::activeWindow() == ours; }, 4000));
        if (minimised) {
            front->showMinimized();
            QVERIFY(waitFor([&] { return front->isMinimized(); }, 4000));
        }

        // The user works in another program's window, which the window manager puts over ours.
        PlayerProcess other;
        QVERIFY(startOtherPlayer(other));
        // Its main window, not its loading window.
        QVERIFY(waitFor([&] {
            const unsigned long w = XSession::activeWindow();
            return w != ours && XSession::windowName(w).startsWith("PellumPlayer - ");
        }, 15000));
        const unsigned long theirs = XSession::activeWindow();
        XInput::moveTo(XSession::windowGeometry(theirs).center());
        XInput::click();
        XInput::settle(300);
        QCOMPARE(XSession::activeWindow(), theirs);
        QVERIFY(!front->isActiveWindow());

        PlayerProcess later;
        QVERIFY(later.start(QStringLiteral(PELLUM_PROGRAM), {}));
        QVERIFY2(later.waitEnded(15000), "the later start is still running: it did not hand over");
        QCOMPARE(later.exitCode(), 0);
        QVERIFY(waitFor([&] { return XSession::activeWindow() == ours; }, 4000));
        QVERIFY(front->isActiveWindow());
        QVERIFY(!front->isMinimized());
        const QList<unsigned long> stack = XSession::stackingOrder();
        QVERIFY(stack.contains(theirs));
        QVERIFY(stack.indexOf(ours) > stack.indexOf(theirs));
        QVERIFY(other.running());
    }
};

PELLUM_XLANE_MAIN(TestXInstance)
#include "test_xinstance.moc"
