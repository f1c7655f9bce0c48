// The bookmark editor: the sixteen value and note rows from the real settings file, the linked
// selection, Delete, Clear, Note, OK and Cancel, and Play through the main window's bookmark code on real
// playback.
#include "platform/media/realaudio.h"
#include "tests/player_fixture.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QStandardPaths>

namespace {

QString setting(const QString& key) { return SettingsStore::GetSetting(key, QStringLiteral("<missing>")); }
void set(const QString& key, const QString& value) { SettingsStore::SaveSetting(key, value); }
QString b(int i) { return QStringLiteral("b%1").arg(i); }
QString note(int i) { return QStringLiteral("note%1").arg(i); }

// Sixteen bookmarks "/m/<i>.wav,<i>", and a note on every third.
void fillSlots()
{
    for (int i = 0; i < 16; ++i) {
        set(b(i), QStringLiteral("/m/%1.wav,%1").arg(i));
        set(note(i), i % 3 == 0 ? QStringLiteral("note %1").arg(i) : QString());
    }
}

// A left click on a flat button, as the pointer gives it.
void press(QWidget* button)
{
    QVERIFY(button);
    const QPointF at(button->width() / 2.0, button->height() / 2.0);
    QMouseEvent down(QEvent::MouseButtonPress, at, button->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(button, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, at, button->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, {});
    QCoreApplication::sendEvent(button, &up);
}

// The captions of the bookmark menu's visible entries, in menu order.
QStringList shownEntries(Form1& f)
{
    QStringList out;
    for (QAction* a : f.bk->actions())
        for (MenuItem* m : f.b)
            if (m == a && m->isVisible())
                out << m->Caption();
    return out;
}

const QString kNotify = QStringLiteral("can't to play,please assure either the path or name of file is correct.");
const QString kChoose = QStringLiteral("Please choose a row that holds a bookmark first.");

}  // namespace

class BookmarkEditTest : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    ListEdit& open(Form1& f)
    {
        f.EBm->trigger();
        ListEdit& e = ListEdit::instance();
        e.show();
        return e;
    }
    void released()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!ListEdit::isLoaded());
    }

private slots:
    void newInstall()
    {
        Form1& f = fx.fresh();
        f.EBm->trigger();
        QVERIFY(ListEdit::isLoaded());
        ListEdit& e = ListEdit::instance();
        QVERIFY(e.isVisible());
        QVERIFY(!e.isModal());
        QVERIFY(e.designProblems.isEmpty());
        QCOMPARE(e.windowTitle(), QStringLiteral("BookmarkEdit"));
        QStringList captions;
        for (QWidget* w : {e.FlatButton1, e.FlatButton2, e.FlatButton3, e.FlatButton4, e.FlatButton5, e.FlatButton6})
            captions << w->property("Caption").toString();
        QCOMPARE(captions, (QStringList{"Deltet", "Clear", "Cancel", "OK", "Play", "Note"}));
        QCOMPARE(e.List1->items(), QStringList(16, QString()));
        QCOMPARE(e.List2->items(), QStringList(16, QString()));
        QCOMPARE(e.List1->ListIndex(), 0);
        QCOMPARE(e.List2->ListIndex(), 0);
        QCOMPARE(setting("b0"), QStringLiteral("<missing>"));

        press(e.FlatButton4);  // OK writes all 32 settings
        for (int i = 0; i < 16; ++i) {
            QCOMPARE(setting(b(i)), QString());
            QCOMPARE(setting(note(i)), QString());
        }
        released();
    }

    void linkedSelection()
    {
        Form1& f = fx.fresh();
        fillSlots();
        ListEdit& e = open(f);
        QCOMPARE(e.List1->items()[5], QStringLiteral("/m/5.wav,5"));
        QCOMPARE(e.List2->items()[6], QStringLiteral("note 6"));
        e.List2->setListIndex(5);
        QCOMPARE(e.List1->ListIndex(), 5);
        e.List1->setListIndex(9);
        QCOMPARE(e.List2->ListIndex(), 9);
        // After Clear a note row has no value row beside it.
        press(e.FlatButton2);
        e.List2->setListIndex(2);
        QCOMPARE(e.List2->ListIndex(), 2);
        QCOMPARE(e.List1->ListIndex(), -1);
    }

    // Both lists scroll sideways as far as the widest value and 30 pixels more, so that a long note
    // beside a long value can be brought into view to its last letter.
    void horizontalScrolling_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("noteText");
        QTest::newRow("long value, long note")
            << QStringLiteral("/m/") + QString(160, QLatin1Char('v')) + QStringLiteral(".wav,12")
            << QStringLiteral("a note ").repeated(12) + QStringLiteral("END");
        QTest::newRow("short value, long note") << "/m/1.wav,1" << QStringLiteral("a note ").repeated(12);
    }
    void horizontalScrolling()
    {
        QFETCH(QString, value);
        QFETCH(QString, noteText);
        Form1& f = fx.fresh();
        fillSlots();
        set(b(7), value);
        set(note(7), noteText);
        ListEdit& e = open(f);
        QVERIFY(QTest::qWaitForWindowExposed(&e));
        QCOMPARE(e.List2->items()[7], noteText);
        int widest = 0;
        for (const QString& v : e.List1->items())
            widest = qMax(widest, e.List1->fontMetrics().horizontalAdvance(v));
        for (ListBox* list : {e.List1, e.List2}) {
            const int reach = qMax(0, widest + 30 - list->viewport()->width());
            QTRY_COMPARE(list->horizontalScrollBar()->maximum(), reach);
        }
        // Scrolled to the end, the note's last letter stands inside the notes list when the values are
        // wider than it.
        e.List2->horizontalScrollBar()->setValue(e.List2->horizontalScrollBar()->maximum());
        const int noteEnd = e.List2->visualRect(e.List2->model()->index(7, 0)).left() +
                            e.List2->fontMetrics().horizontalAdvance(noteText);
        QCOMPARE(noteEnd <= e.List2->viewport()->width(), widest >= e.List2->fontMetrics().horizontalAdvance(noteText));
    }

    void deleteRowThreeThenOK()
    {
        Form1& f = fx.fresh();
        fillSlots();
        f.SmS();
        ListEdit& e = open(f);
        e.List1->setListIndex(3);
        press(e.FlatButton1);
        QCOMPARE(e.List1->ListCount(), 15);
        QCOMPARE(e.List2->ListCount(), 15);
        QCOMPARE(e.List1->ListIndex(), 3);  // the row that moved up
        press(e.FlatButton4);
        for (int i = 0; i < 15; ++i) {
            const int old = i < 3 ? i : i + 1;
            QCOMPARE(setting(b(i)), QStringLiteral("/m/%1.wav,%1").arg(old));
            QCOMPARE(setting(note(i)), old % 3 == 0 ? QStringLiteral("note %1").arg(old) : QString());
        }
        QCOMPARE(setting(b(15)), QString());
        QCOMPARE(setting(note(15)), QString());
        // OK rebuilt the menu.
        const QStringList entries = shownEntries(f);
        QCOMPARE(entries.size(), 15);
        QCOMPARE(entries[3], QStringLiteral("04. 4.wav,4"));
        released();
    }

    void clearThenOK()
    {
        Form1& f = fx.fresh();
        fillSlots();
        f.SmS();
        ListEdit& e = open(f);
        press(e.FlatButton2);
        QCOMPARE(e.List1->ListCount(), 0);
        QCOMPARE(e.List2->ListCount(), 16);
        press(e.FlatButton4);
        for (int i = 0; i < 16; ++i) {
            QCOMPARE(setting(b(i)), QString());
            QCOMPARE(setting(note(i)), i % 3 == 0 ? QStringLiteral("note %1").arg(i) : QString());
        }
        QVERIFY(shownEntries(f).isEmpty());
        released();
    }

    void cancelKeepsTheSettings()
    {
        Form1& f = fx.fresh();
        fillSlots();
        ListEdit& e = open(f);
        press(e.FlatButton2);
        press(e.FlatButton3);
        released();
        QCOMPARE(setting(b(0)), QStringLiteral("/m/0.wav,0"));
        // The next use starts from the settings again.
        QCOMPARE(open(f).List1->List(0), QStringLiteral("/m/0.wav,0"));
    }

    void deleteWithNoRowSelected()
    {
        Form1& f = fx.fresh();
        fillSlots();
        ListEdit& e = open(f);
        e.List1->setListIndex(-1);
        QCOMPARE(e.List2->ListIndex(), -1);
        press(e.FlatButton1);
        QCOMPARE(e.List1->ListCount(), 16);
        QCOMPARE(e.List2->ListCount(), 16);
        QCOMPARE(Dialogs::shown().size(), 1);
        QCOMPARE(Dialogs::shown()[0].text, kChoose);
        QCOMPARE(Dialogs::shown()[0].title, QStringLiteral("BookmarkEdit"));

        // After Clear, Delete on a note row takes that note out.
        press(e.FlatButton2);
        e.List2->setListIndex(0);
        press(e.FlatButton1);
        QCOMPARE(e.List2->ListCount(), 15);
        QCOMPARE(e.List2->List(0), QString());  // the note of slot 1 moved up
        QCOMPARE(e.List2->List(2), QStringLiteral("note 3"));
    }

    void noteButton_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("after");
        QTest::newRow("new note") << 1 << "the chorus" << true << "the chorus";
        QTest::newRow("replaces a note") << 3 << "the bridge" << true << "the bridge";
        QTest::newRow("empty answer keeps it") << 3 << "" << true << "note 3";
        QTest::newRow("empty value row") << 4 << "ignored" << false << "";
    }
    void noteButton()
    {
        QFETCH(int, row);
        QFETCH(QString, answer);
        QFETCH(bool, asked);
        QFETCH(QString, after);
        Form1& f = fx.fresh();
        fillSlots();
        set(b(4), QString());
        ListEdit& e = open(f);
        e.List1->setListIndex(row);
        Dialogs::answer(answer);
        press(e.FlatButton6);
        QCOMPARE(Dialogs::shown().size(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(Dialogs::shown()[0].text, QStringLiteral("Specify a note."));
            QCOMPARE(Dialogs::shown()[0].title, QStringLiteral("Note"));
            QCOMPARE(Dialogs::shown()[0].defaultText, row % 3 == 0 ? QStringLiteral("note %1").arg(row) : QString());
        }
        QCOMPARE(e.List2->List(row), after);
        QCOMPARE(setting(note(row)), row % 3 == 0 ? QStringLiteral("note %1").arg(row) : QString());  // not saved yet
        Dialogs::clearScript();
        press(e.FlatButton4);
        QCOMPARE(setting(note(row)), after);
    }

    // --- Play ---

    void playSplitsAtTheLastComma()
    {
        Form1& f = fx.fresh();
        const QString song = writeWav(fx.env->path("a,b/x.wav"), 20.0);
        set(b(2), song + ",12.5");
        ListEdit& e = open(f);
        e.List1->setListIndex(2);
        press(e.FlatButton5);
        QVERIFY(Dialogs::shown().isEmpty());
        QCOMPARE(f.List1->items(), QStringList{song});
        QCOMPARE(f.List2->ListIndex(), 0);
        QCOMPARE(f.mp->FileName(), song);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        QVERIFY2(f.mp->CurrentPosition() >= 12.4, qPrintable(QString::number(f.mp->CurrentPosition())));
        // The editor stays, its lists unchanged.
        QVERIFY(ListEdit::isLoaded() && e.isVisible());
        QCOMPARE(e.List1->List(2), song + ",12.5");
        QCOMPARE(e.List1->ListCount(), 16);
    }

    void playsWhatTheMenuPlays()
    {
        // One split and play for the menu element and the editor: both give the same list and position.
        Form1& f = fx.fresh();
        const QString song = writeWav(fx.env->path("m/y.wav"), 10.0);
        set(b(0), song + ",4");
        f.SmS();
        f.b[0]->trigger();
        ListEdit& e = open(f);
        press(e.FlatButton5);
        QCOMPARE(f.List1->items(), (QStringList{song, song}));
        QCOMPARE(f.List2->ListIndex(), 1);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        QVERIFY(f.mp->CurrentPosition() >= 3.9);
    }

    void unplayable_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("reported");
        QTest::newRow("missing file") << "@/gone.wav,2" << "@/gone.wav";
        QTest::newRow("no comma") << "@/s.wav" << "@/s.wav";
    }
    void unplayable()
    {
        QFETCH(QString, value);
        QFETCH(QString, reported);
        Form1& f = fx.fresh();
        writeWav(fx.env->path("s.wav"), 1.0);
        value.replace("@", fx.env->root());
        reported.replace("@", fx.env->root());
        set(b(0), value);
        ListEdit& e = open(f);
        press(e.FlatButton5);
        QCOMPARE(Dialogs::shown().size(), 1);
        QCOMPARE(Dialogs::shown()[0].text, reported + "\r\n" + kNotify);
        QCOMPARE(Dialogs::shown()[0].title, QStringLiteral("Error"));
        QCOMPARE(f.List1->ListCount(), 0);
        QCOMPARE(e.List1->List(0), value);
        QCOMPARE(setting(b(0)), value);
    }

    void playWithoutABookmark_data()
    {
        QTest::addColumn<bool>("cleared");
        QTest::newRow("empty row") << false;
        QTest::newRow("no row after Clear") << true;
    }
    void playWithoutABookmark()
    {
        QFETCH(bool, cleared);
        Form1& f = fx.fresh();
        ListEdit& e = open(f);
        if (cleared)
            press(e.FlatButton2);
        press(e.FlatButton5);
        QCOMPARE(Dialogs::shown().size(), 1);
        QCOMPARE(Dialogs::shown()[0].text, kChoose);
        QCOMPARE(f.List1->ListCount(), 0);
        QCOMPARE(f.mp->FileName(), QString());
    }

    void realMediaBookmark()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
            QSKIP("ffmpeg is not installed: no RealMedia clip can be made");
        Form1& f = fx.fresh();
        const QString rm = fx.env->path("clips/x.rm");
        QVERIFY(writeRealMediaClip(rm));
        // The seven-character prefix goes before the file test; the whole number seeks the RealMedia window.
        set(b(0), "file://" + rm + ",5000");
        ListEdit& e = open(f);
        press(e.FlatButton5);
        QVERIFY(Dialogs::shown().isEmpty());
        QCOMPARE(f.List1->items(), QStringList{rm});
        RmF& rmf = RmF::instance();
        QCOMPARE(rmf.RA->Source(), rm);
        QVERIFY(waitFor([&] { return rmf.RA->GetPosition() >= 4900; }));
        QVERIFY(rmf.RA->GetPosition() < 7000);
    }
};

QTEST_MAIN(BookmarkEditTest)
#include "test_bookmarkedit.moc"
