// The list box the windows rely on: selecting from code raises Click; rows in bulk stay quick.
#include "tests/support/testenv.h"
#include "ui/listbox.h"

#include <QElapsedTimer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

class ListBoxTest : public QObject {
    Q_OBJECT
private slots:
    void listIndexSetterRaisesClick()
    {
        ListBox l;
        l.AddItems({"a", "b", "c"});
        QSignalSpy clicks(&l, &ListBox::Click);
        QCOMPARE(l.ListIndex(), -1);
        l.setListIndex(1);
        QCOMPARE(l.ListIndex(), 1);
        l.setListIndex(1);  // the same row again is a click again
        QCOMPARE(clicks.count(), 2);
        l.setListIndex(-1);
        QCOMPARE(l.ListIndex(), -1);
        QCOMPARE(clicks.count(), 3);
        l.setListIndex(7);  // outside the list: nothing selected
        QCOMPARE(l.ListIndex(), -1);
    }

    void editing()
    {
        ListBox l;
        l.AddItem("b");
        l.AddItem("a", 0);
        l.AddItem("c", 99);
        QCOMPARE(l.items(), (QStringList{"a", "b", "c"}));
        l.setListIndex(1);
        l.RemoveItem(1);
        QCOMPARE(l.ListIndex(), -1);  // the selected row went with it
        l.setList(1, "#c");
        QCOMPARE(l.List(1), QStringLiteral("#c"));
        QCOMPARE(l.List(5), QString());
        l.RemoveItem(5);
        QCOMPARE(l.ListCount(), 2);
        l.Clear();
        QCOMPARE(l.ListCount(), 0);
    }

    void selectString_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selected");
        QTest::newRow("from the top, the upper of two") << -1 << " Intro" << 1;
        QTest::newRow("case ignored") << -1 << " INTRO (" << 2;
        QTest::newRow("after the start") << 1 << " intro" << 2;
        QTest::newRow("wraps round") << 2 << " intro" << 1;
        QTest::newRow("none begins so") << -1 << "Outro" << 0;
    }

    void selectString()
    {
        QFETCH(int, start);
        QFETCH(QString, text);
        QFETCH(int, selected);
        ListBox l;
        l.AddItems({" Tune_01", " Intro", " Intro (live)"});
        l.setListIndex(0);
        QSignalSpy clicks(&l, &ListBox::Click);
        QCOMPARE(l.SelectString(start, text), selected == 0 ? -1 : selected);
        QCOMPARE(l.ListIndex(), selected);
        QCOMPARE(clicks.count(), 0);
    }

    void userClickAndRightClick()
    {
        ListBox l;
        l.resize(200, 300);
        l.AddItems({"one", "two", "three"});
        l.show();
        QVERIFY(QTest::qWaitForWindowExposed(&l));
        QSignalSpy clicks(&l, &ListBox::Click);
        QSignalSpy downs(&l, &ListBox::MouseDown);
        const QRect second = l.visualRect(l.model()->index(1, 0));
        QTest::mouseClick(l.viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(l.ListIndex(), 1);
        QCOMPARE(clicks.count(), 1);
        QTest::mouseClick(l.viewport(), Qt::RightButton, {}, second.center());
        QCOMPARE(clicks.count(), 1);  // a right click is no click
        QCOMPARE(downs.last().at(0).toInt(), 2);
        bool outside = true;
        QCOMPARE(l.itemFromPoint(second.center(), &outside), 1);
        QVERIFY(!outside);
        // Below the last row: the nearest row is the last one.
        QCOMPARE(l.itemFromPoint(QPoint(10, 280), &outside), 2);
        QVERIFY(!outside);
        l.itemFromPoint(QPoint(10, 900), &outside);
        QVERIFY(outside);
    }

    // The horizontal extent is the width the rows scroll across: wider than the list, a scroll bar
    // reaches it, whichever row is the long one; narrower, there is none.
    void horizontalExtent_data()
    {
        QTest::addColumn<int>("extent");
        QTest::addColumn<int>("reach");  // the scroll bar's range, -1 for no bar
        QTest::newRow("wider than the list") << 600 << 600 - 196;
        QTest::newRow("as wide as the list") << 196 << -1;
        QTest::newRow("narrower than the list") << 50 << -1;
    }
    void horizontalExtent()
    {
        QFETCH(int, extent);
        QFETCH(int, reach);
        ListBox l;
        l.setFrameShape(QFrame::NoFrame);
        l.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        l.resize(196, 300);
        l.AddItems({"a", "b"});
        l.show();
        QVERIFY(QTest::qWaitForWindowExposed(&l));
        l.setHorizontalExtent(extent);
        l.AddItem("c");  // rows added later are as wide
        QCoreApplication::processEvents();
        QCOMPARE(l.horizontalScrollBar()->isVisible(), reach >= 0);
        if (reach >= 0) {
            QCOMPARE(l.horizontalScrollBar()->maximum(), extent - l.viewport()->width());
            QCOMPARE(l.visualRect(l.model()->index(0, 0)).width(), extent);
        }
        l.setHorizontalExtent(0);
        QCoreApplication::processEvents();
        QVERIFY(!l.horizontalScrollBar()->isVisible());
    }

    void hundredThousandRows()
    {
        ListBox l;
        l.resize(200, 400);
        l.show();
        QStringList rows;
        for (int i = 0; i < 100000; ++i)
            rows << QStringLiteral("%1- file %1.mp3").arg(i + 1);
        QElapsedTimer t;
        t.start();
        l.AddItems(rows);
        l.setListIndex(99999);
        QCoreApplication::processEvents();
        QVERIFY2(t.elapsed() < scaledMs(1000), qPrintable(QString::number(t.elapsed())));
        QCOMPARE(l.ListCount(), 100000);
        QCOMPARE(l.ListIndex(), 99999);
    }
};

QTEST_MAIN(ListBoxTest)
#include "test_listbox.moc"
