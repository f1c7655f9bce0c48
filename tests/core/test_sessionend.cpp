// The session's end: SIGTERM and SIGHUP reach the program as one call from the event loop.
#include "platform/sessionend.h"
#include "tests/support/testenv.h"

#include <QtTest>
#include <csignal>

class SessionEndTest : public QObject {
    Q_OBJECT
private slots:
    void signalsWakeTheLoop_data()
    {
        QTest::addColumn<int>("sig");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void signalsWakeTheLoop()
    {
        QFETCH(int, sig);
        int calls = 0;
        bool mayAsk = true;
        SessionEnd::watch([&](const std::function<bool()>& ask) {
            ++calls;
            mayAsk = ask();
        });
        ::raise(sig);
        ::raise(sig);
        // The handler only wakes the loop: nothing has run yet.
        QCOMPARE(calls, 0);
        QVERIFY(waitFor([&] { return calls > 0; }));
        QVERIFY(!mayAsk);  // after a signal nobody is there to answer
        // Two signals before the loop woke are one end.
        QTest::qWait(50);
        QCOMPARE(calls, 1);
        SessionEnd::watch(nullptr);
        ::raise(sig);
        QTest::qWait(50);  // no one watching: the program lives on
        QCOMPARE(calls, 1);
    }
};

QTEST_MAIN(SessionEndTest)
#include "test_sessionend.moc"
