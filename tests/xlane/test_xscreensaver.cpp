// The screen saver on a real display: started by a real click on the main window's skin button, it
// covers the whole screen with no pointer to be seen; real keys that give a character end it and the
// others do not; a real click on its picture does not end it, one beside the picture does. Its
// transitions on a screen-sized picture are seen as a movement, frame after frame on the X server, and a
// real key or click ends the saver at once in the middle of one. The password typed at the saver's
// prompt and at the settings window's Change is never shown.
#include "platform/drives/drives.h"
#include "tests/player_fixture.h"
#include "tests/xlane/xsession.h"

#include "ui/filelistbox.h"
#include "ui/picturebox.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

QImage stripes(QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            img.setPixel(x, y, (x / 4 + y / 4) % 2 ? qRgb(240, 200, 10) : qRgb(10, 90, 220));
    return img;
}

// Two pictures that differ at every pixel.
QImage oldPicture(QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            img.setPixel(x, y, qRgb(220, x % 200, 0));
    return img;
}
QImage newPicture(QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            img.setPixel(x, y, qRgb(0, y % 200, 230));
    return img;
}

// A row and a column of the screen through its middle, as the X server has them: every edge, strip and
// block of a transition crosses one of them.
QByteArray cross()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen->size();
    const QImage row = screen->grabWindow(0, 0, size.height() / 2, size.width(), 1).toImage();
    const QImage column = screen->grabWindow(0, size.width() / 2, 0, 1, size.height()).toImage();
    return QByteArray(reinterpret_cast<const char*>(row.constBits()), row.sizeInBytes()) +
           QByteArray(reinterpret_cast<const char*>(column.constBits()), column.sizeInBytes());
}

// What the screen shows, as the X server has it.
QImage screenShot() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32); }

}  // namespace

class TestXScreenSaver : public QObject {
    Q_OBJECT
    PlayerFixture fx;
    const QImage picture = stripes({160, 120});

    // Fresh surroundings with a picture in drive C:'s folder, where the saver looks with no settings.
    Form1& fresh()
    {
        fx.freshEnv();
        const QString c = fx.env->path("C");
        QDir().mkpath(c);
        if (!picture.save(c + "/p.png"))
            qFatal("cannot write the picture");
        Drives::setTableForTests(QList<Drives::Drive>{{'C', Drives::Fixed, c, {}}});
        return Form1::instance();
    }
    // The saver shown on a folder whose one picture `first` is loaded, with `second` the next one:
    // the next tick brings it in over the first by a transition.
    SCR1& between(const QImage& first, const QImage& second)
    {
        fresh();
        const QString c = fx.env->path("C");
        QFile::remove(c + "/p.png");
        if (!first.save(c + "/a.png"))
            qFatal("cannot write the picture");
        SCR1& s = SCR1::instance();
        s.File1->setPath(c);
        s.setInterval(0);
        s.show();
        if (!QTest::qWaitForWindowExposed(&s) || !waitFor([&] { return s.isActiveWindow(); }, 4000))
            qWarning("the saver did not come up active");
        s.EffectIndex = -1;  // the first picture loaded, no transition
        s.Timer1_Timer();
        QFile::remove(c + "/a.png");
        if (!second.save(c + "/b.png"))
            qFatal("cannot write the picture");
        s.File1->Refresh();
        return s;
    }
    // The saver shown on its own, its first picture in place and its window active.
    SCR1& running()
    {
        fresh();
        SCR1& s = SCR1::instance();
        s.File1->setPath(fx.env->path("C"));
        s.setInterval(0);
        s.show();
        if (!QTest::qWaitForWindowExposed(&s) || !waitFor([&] { return s.isActiveWindow(); }, 4000))
            qWarning("the saver did not come up active");
        s.Timer1_Timer();
        XInput::settle(300);
        return s;
    }

private slots:
    void cleanup()
    {
        releaseWindows();
        Drives::setTableForTests(std::nullopt);
    }

    // A real click on the skin button: the saver fills the screen, black where the picture does not
    // reach, no pointer over it; a real key ends it and the main window is there again.
    void startedByTheSkinButton()
    {
        Form1& f = fresh();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QPoint button = f.Image10->mapToGlobal(f.Image10->rect().center());
        QRect covered;
        bool pictureSeen = false, blackBeside = false, pointerHidden = false;
        QTimer::singleShot(300, [&] {
            SCR1& s = SCR1::instance();
            waitFor([&] { return s.isVisible() && s.isActiveWindow(); }, 4000);
            XInput::settle(300);
            covered = s.frameGeometry();
            pictureSeen = waitFor([&] { return screenShot().copy(0, 0, 160, 120) == picture; }, 5000);
            const QImage shot = screenShot();
            blackBeside = shot.pixel(1200, 900) == qRgb(0, 0, 0) && shot.pixel(300, 60) == qRgb(0, 0, 0);
            XInput::moveTo(QPoint(640, 512));
            XInput::moveTo(QPoint(80, 60));
            pointerHidden = XSession::pointerInvisible();
            XInput::key(QStringLiteral("a"));
        });
        XInput::moveTo(button);
        XInput::click();
        QVERIFY(waitFor([] { return !SCR1::isLoaded(); }, 8000));
        QCOMPARE(covered, QGuiApplication::primaryScreen()->geometry());
        QVERIFY(pictureSeen);
        QVERIFY(blackBeside);
        QVERIFY(pointerHidden);
        XInput::moveTo(f.mapToGlobal(f.rect().center()));
        QVERIFY(!XSession::pointerInvisible());
        QVERIFY(f.isVisible());
    }

    void keys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("ends");
        QTest::newRow("letter") << "x" << true;
        QTest::newRow("digit") << "5" << true;
        QTest::newRow("Enter") << "Return" << true;
        QTest::newRow("Esc") << "Escape" << true;
        QTest::newRow("arrow") << "Left" << false;
        QTest::newRow("function key") << "F5" << false;
        QTest::newRow("Shift alone") << "Shift_L" << false;
    }
    void keys()
    {
        QFETCH(QString, key);
        QFETCH(bool, ends);
        running();
        XInput::key(key);
        XInput::settle(200);
        QCOMPARE(!SCR1::isLoaded(), ends);
    }

    void clicks_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("ends");
        QTest::newRow("left on the picture") << QPoint(80, 60) << 1 << false;
        QTest::newRow("right on the picture") << QPoint(10, 110) << 3 << false;
        QTest::newRow("left beside it") << QPoint(400, 60) << 1 << true;
        QTest::newRow("right below it") << QPoint(80, 700) << 3 << true;
    }
    void clicks()
    {
        QFETCH(QPoint, at);
        QFETCH(int, button);
        QFETCH(bool, ends);
        running();
        XInput::moveTo(at);
        XInput::click(button);
        XInput::settle(200);
        QCOMPARE(!SCR1::isLoaded(), ends);
    }

    void windowManagersCloseKey_data()
    {
        QTest::addColumn<bool>("protect");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("ends");
        QTest::newRow("not protected") << false << QString() << true;
        QTest::newRow("protected, wrong password") << true << "guess" << false;
        QTest::newRow("protected, the password") << true << "pw" << true;
    }
    // The window manager's close key (Alt+F4) is an end request: it asks for the password too.
    void windowManagersCloseKey()
    {
        QFETCH(bool, protect);
        QFETCH(QString, answer);
        QFETCH(bool, ends);
        fresh();
        SettingsStore::SaveSetting("psp", protect ? "1" : "0");
        SettingsStore::SaveSetting("psw", "pw");
        SCR1& s = SCR1::instance();
        s.File1->setPath(fx.env->path("C"));
        s.setInterval(0);
        s.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s));
        QVERIFY(waitFor([&] { return s.isActiveWindow(); }, 4000));
        if (!answer.isNull()) {
            Dialogs::answer(answer);
            Dialogs::answer(Dialogs::OK);
        }
        XInput::keyChord({QStringLiteral("Alt_L"), QStringLiteral("F4")});
        XInput::settle(400);
        QCOMPARE(!SCR1::isLoaded(), ends);
        QCOMPARE(Dialogs::shown().size(), protect ? (ends ? 1 : 2) : 0);
    }

    // The transitions that once finished inside a frame, on a picture the size of the screen: each takes
    // half a second or more and the X server gets at least 20 pictures on the way, neither the old picture
    // nor the new one.
    void transitionsAreSeenMoving_data()
    {
        QTest::addColumn<int>("effect");
        for (const int e : {8, 9, 15, 16, 17, 18, 0})
            QTest::addRow("%d", e) << e;
    }
    void transitionsAreSeenMoving()
    {
        QFETCH(int, effect);
        const QSize size = QGuiApplication::primaryScreen()->size();
        SCR1& s = between(oldPicture(size), newPicture(size));
        XInput::settle(100);
        const QByteArray before = cross();
        QList<QByteArray> seen;
        QTimer grab;
        grab.setInterval(4);
        QObject::connect(&grab, &QTimer::timeout, [&] {
            const QByteArray now = cross();
            if (seen.isEmpty() || seen.last() != now)
                seen << now;
        });
        s.EffectIndex = qint16(effect);
        QElapsedTimer clock;
        grab.start();
        clock.start();
        s.Timer1_Timer();
        const qint64 ms = clock.elapsed();
        grab.stop();
        XInput::settle(100);
        const QByteArray after = cross();
        QVERIFY(after != before);
        int between = 0;
        for (const QByteArray& p : seen)
            between += p != before && p != after;
        const QString told = QStringLiteral("%1 pictures on the way in %2 ms").arg(between).arg(ms);
        QVERIFY2(between >= 20, qPrintable(told));
        QVERIFY2(ms >= 500 && ms <= 2600, qPrintable(told));
    }

    // A real key, or a real click beside the picture, in the middle of a transition ends the saver at
    // once: its window is gone within 100 ms, and the transition goes no further.
    void endedInTheMiddleOfATransition_data()
    {
        QTest::addColumn<bool>("click");
        QTest::newRow("key") << false;
        QTest::newRow("click beside the picture") << true;
    }
    void endedInTheMiddleOfATransition()
    {
        QFETCH(bool, click);
        const QSize size(1000, 800);
        SCR1& s = between(oldPicture(size), newPicture(size));
        XInput::moveTo(QPoint(1200, 950));
        s.EffectIndex = 0;  // rows from the top and the bottom: more than a second here
        QElapsedTimer clock;
        qint64 sentAt = -1, goneAt = -1;
        QTimer watch;
        watch.setInterval(1);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (sentAt >= 0 && goneAt < 0 && (!SCR1::isLoaded() || !SCR1::instance().isVisible()))
                goneAt = clock.elapsed();
        });
        QTimer::singleShot(400, [&] {
            sentAt = clock.elapsed();
            click ? XInput::click() : XInput::key(QStringLiteral("a"));
        });
        watch.start();
        clock.start();
        s.Timer1_Timer();
        const qint64 returnedAt = clock.elapsed();
        XInput::settle(200);
        QVERIFY(!SCR1::isLoaded());
        QVERIFY(sentAt > 0);
        QVERIFY2(goneAt >= sentAt && goneAt - sentAt <= 100,
                 qPrintable(QStringLiteral("sent at %1 ms, gone at %2 ms").arg(sentAt).arg(goneAt)));
        QVERIFY2(returnedAt - sentAt <= 300, qPrintable(QString::number(returnedAt - sentAt)));
    }

    // The password typed at the saver's prompt, and at the settings window's Change, shows as dots; what
    // was typed is what counts.
    void passwordIsNeverShown_data()
    {
        QTest::addColumn<bool>("change");
        QTest::addColumn<QString>("typed");
        QTest::newRow("the saver's prompt") << false << "pw";
        QTest::newRow("Change") << true << "secret7";
    }
    void passwordIsNeverShown()
    {
        QFETCH(bool, change);
        QFETCH(QString, typed);
        if (change) {
            fresh();
            SCRSET& w = SCRSET::instance();
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QVERIFY(waitFor([&] { return w.isActiveWindow(); }, 4000));
            XInput::moveTo(w.Command4->mapToGlobal(w.Command4->rect().center()));
        } else {
            running();
            SCRSET::instance().Check1->setChecked(true);  // as the saver reads the protection
            SettingsStore::SaveSetting("psw", "pw");
        }
        QString shownText, prompt;
        bool hidden = false, labelsClean = true, answered = false;
        QTimer::singleShot(100, [&] {
            QInputDialog* dialog = nullptr;
            waitFor([&] {
                dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
                return dialog && dialog->isActiveWindow();
            }, 5000);
            if (!dialog)
                return;
            QLineEdit* edit = dialog->findChild<QLineEdit*>();
            if (!edit)
                return;
            XInput::settle(200);
            for (const QChar ch : typed)
                XInput::key(QString(ch));
            XInput::settle(100);
            prompt = dialog->labelText();
            shownText = edit->displayText();
            hidden = edit->echoMode() == QLineEdit::Password && edit->text() == typed;
            for (const QLabel* label : dialog->findChildren<QLabel*>())
                labelsClean = labelsClean && !label->text().contains(typed);
            answered = true;
            XInput::key(QStringLiteral("Return"));
        });
        if (change)
            XInput::click();
        else
            XInput::key(QStringLiteral("z"));
        QVERIFY(waitFor([&] { return answered && !QApplication::activeModalWidget(); }, 8000));
        QCOMPARE(prompt, change ? QStringLiteral("Please enter a new password.") : QStringLiteral("Please enter the password"));
        QVERIFY(hidden);
        QVERIFY2(!shownText.contains(typed), qPrintable(shownText));
        QCOMPARE(shownText.size(), typed.size());
        QVERIFY(labelsClean);
        if (change) {
            QVERIFY(fx.env->readFile(fx.env->settingsFile()).contains("psw=" + typed.toUtf8()));
            QVERIFY(SCRSET::instance().isVisible());
        } else {
            XInput::settle(200);
            QVERIFY(!SCR1::isLoaded());  // the right password ends the saver
        }
    }
};

PELLUM_XLANE_MAIN(TestXScreenSaver)
#include "test_xscreensaver.moc"
