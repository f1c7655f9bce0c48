// The internet radio on the real media player: the station tree (its regions, counts and order, keys and
// icons), a node click and Play through the main window's player, Play with nothing chosen, Exit that
// hides, the doors from the menu and the skin button, and the status tick: the station and the title
// only while the main player plays what the radio opened, the bandwidth text, and a live stream from a
// small web server of the test's own that sends a burst and then trickles, so that the buffering
// progress and the bandwidth come from mpv's real cache.
#include "platform/media/mediaaddress.h"
#include "player/she.h"
#include "tests/player_fixture.h"

#include <QHostAddress>
#include <QtEndian>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTreeWidget>

namespace {

// A radio station on 127.0.0.1: every request gets an endless WAV stream of silence, 32 000 samples a
// second (64 000 bytes a second), first `burstSeconds` of it at once, then `trickleBytes` every 250 ms
// until the test ends, so a trickle below 16 000 bytes falls behind playback.
class LocalStation : public QObject {
public:
    LocalStation(double burstSeconds, int trickleBytes) : burst_(burstSeconds), trickle_(trickleBytes)
    {
        if (!server_.listen(QHostAddress::LocalHost))
            qFatal("cannot listen on 127.0.0.1");
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* c = server_.nextPendingConnection()) {
                connect(c, &QTcpSocket::readyRead, c, [this, c] {
                    const QByteArray request = c->property("request").toByteArray() + c->readAll();
                    c->setProperty("request", request);
                    if (!request.contains("\r\n\r\n") || c->property("answered").toBool())
                        return;
                    c->setProperty("answered", true);
                    // The header of a clip of an hour, as a station that never ends announces itself.
                    QByteArray header = wavBytes(0, kRate);
                    qToLittleEndian<quint32>(36 + 3600u * kRate * 2, header.data() + 4);
                    qToLittleEndian<quint32>(3600u * kRate * 2, header.data() + 40);
                    c->write("HTTP/1.0 200 OK\r\nContent-Type: audio/x-wav\r\nConnection: close\r\n\r\n");
                    c->write(header + QByteArray(int(burst_ * kRate * 2), '\0'));
                    auto* timer = new QTimer(c);
                    connect(timer, &QTimer::timeout, c, [c, this] { c->write(QByteArray(trickle_, '\0')); });
                    timer->start(250);
                });
                connect(c, &QTcpSocket::disconnected, c, &QObject::deleteLater);
            }
        });
    }
    QString address() const { return QStringLiteral("http://127.0.0.1:%1/live.wav").arg(server_.serverPort()); }

private:
    static constexpr quint32 kRate = 32000;
    QTcpServer server_;
    double burst_;
    int trickle_;
};

QStringList childTexts(const QTreeWidgetItem* region)
{
    QStringList names;
    for (int i = 0; i < region->childCount(); ++i)
        names << region->child(i)->text(0);
    return names;
}

}  // namespace

class RadioTest : public QObject {
    Q_OBJECT
    PlayerFixture fx;

    // A real click on a node, its region opened first.
    static void clickNode(Radio& r, QTreeWidgetItem* node)
    {
        if (node->parent())
            node->parent()->setExpanded(true);
        r.RT->scrollToItem(node);
        const QRect rect = r.RT->visualItemRect(node);
        QVERIFY(rect.isValid());
        QTest::mouseClick(r.RT->viewport(), Qt::LeftButton, {}, rect.center());
    }
    static QTreeWidgetItem* station(Radio& r, const QString& regionKey, const QString& name)
    {
        QTreeWidgetItem* region = r.Region(regionKey);
        for (int i = 0; region && i < region->childCount(); ++i)
            if (region->child(i)->text(0) == name)
                return region->child(i);
        return nullptr;
    }
    static QString firstLine(const QLabel* l) { return l->text().section(QStringLiteral("\r\n"), 0, 0); }
    static QString secondLine(const QLabel* l) { return l->text().section(QStringLiteral("\r\n"), 1); }

    // The main window showing, its radio open, and a station `name` at `address` chosen by a click.
    Radio& chosen(Form1& f, const QString& name, const QString& address)
    {
        f.show();
        f.selecta->trigger();
        Radio& r = Radio::instance();
        r.AddStation(name, address, QStringLiteral("tw"));
        clickNode(r, station(r, QStringLiteral("tw"), name));
        return r;
    }

private slots:
    void init() { fx.fresh(); }

    void theStationTree_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("stations");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("tw") << 0 << "tw" << "台灣地區" << 18 << "全國廣播" << "長青網";
        QTest::newRow("jp") << 1 << "jp" << "日本地區" << 2 << "NHK國際廣播電台" << "ECHO";
        QTest::newRow("ko") << 2 << "ko" << "韓國地區" << 7 << "KBS1FM" << "韓國中央台 2";
        QTest::newRow("hk") << 3 << "hk" << "香港地區" << 1 << "亞洲電視網上廣播" << "亞洲電視網上廣播";
        QTest::newRow("uw") << 4 << "uw" << "澳門地區" << 1 << "澳門電台" << "澳門電台";
        QTest::newRow("mya") << 5 << "mya" << "馬來西亞地區" << 1 << "麗的呼聲" << "麗的呼聲";
        QTest::newRow("sin") << 6 << "sin" << "新加坡地區" << 9 << "Class 95FM" << "Oli 96.8FM";
        QTest::newRow("ga") << 7 << "ga" << "加拿大地區" << 4 << "溫哥華AM1470" << "多倫多FM889";
        QTest::newRow("fi") << 8 << "fi" << "法國地區" << 2 << "法國國際中文電台1" << "法國國際中文電台2";
    }
    void theStationTree()
    {
        QFETCH(int, index);
        QFETCH(QString, key);
        QFETCH(QString, name);
        QFETCH(int, stations);
        QFETCH(QString, first);
        QFETCH(QString, last);
        Form1& f = Form1::instance();
        f.selecta->trigger();
        Radio& r = Radio::instance();
        QCOMPARE(r.windowTitle(), QStringLiteral("PellumPlayer -Radio "));
        QCOMPARE(r.RT->topLevelItemCount(), 9);
        QTreeWidgetItem* region = r.RT->topLevelItem(index);
        QCOMPARE(region->text(0), name);
        QCOMPARE(Radio::NodeKey(region), key);
        QCOMPARE(region->childCount(), stations);
        QCOMPARE(region->child(0)->text(0), first);
        QCOMPARE(region->child(stations - 1)->text(0), last);
        QVERIFY(!region->icon(0).isNull());
        // Every station is an address the player opens, none of them told apart by its key but its own.
        QSet<QString> keys;
        int children = 0;
        for (int i = 0; i < r.RT->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* reg = r.RT->topLevelItem(i);
            for (int j = 0; j < reg->childCount(); ++j, ++children) {
                const QTreeWidgetItem* s = reg->child(j);
                QVERIFY(!MediaAddress::engineName(Radio::NodeKey(s)).isEmpty());
                QVERIFY(SHE::IsAddress(Radio::NodeKey(s)));
                keys.insert(Radio::NodeKey(s));
                QVERIFY(!s->icon(0).isNull());
                QVERIFY(s->icon(0).pixmap(16).toImage() != reg->icon(0).pixmap(16).toImage());
                QCOMPARE(s->childCount(), 0);
            }
        }
        QCOMPARE(children, 45);
        QCOMPARE(keys.size(), 45);
        QCOMPARE(childTexts(r.Region("tw")).mid(1, 3), (QStringList{"ICRT", "HiFM 91.7", "大眾電台KISS"}));
        QCOMPARE(r.Command1->text(), QStringLiteral("Play"));
        QCOMPARE(r.Command2->text(), QStringLiteral("Exit"));
    }

    // A click on ICRT chooses its address; Play hands it to the main window's player. The address is
    // an invented one, so the player fails on it: the radio then names no station, and the list that
    // played before keeps every row.
    void icrtClickAndPlay()
    {
        Form1& f = Form1::instance();
        PlayerFixture::add(f, {writeWav(fx.env->path("a.wav"), 30), writeWav(fx.env->path("b.wav"), 30)});
        f.show();
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        f.selecta->trigger();
        Radio& r = Radio::instance();
        QVERIFY(r.isVisible());
        QTreeWidgetItem* icrt = station(r, "tw", "ICRT");
        QVERIFY(icrt);
        clickNode(r, icrt);
        QCOMPARE(r.Label1->text(), Radio::NodeKey(icrt));
        QCOMPARE(r.Label3->text(), QStringLiteral("ICRT"));
        r.Command1->click();
        QCOMPARE(f.mp->FileName(), Radio::NodeKey(icrt));
        QVERIFY(waitFor([&] { return f.mp->ErrorFlag(); }));
        QTest::qWait(400);  // ticks of both windows
        QCOMPARE(f.List1->ListCount(), 2);
        QCOMPARE(f.List2->ListCount(), 2);
        QVERIFY(!f.windowTitle().contains("ICRT"));
        QCOMPARE(firstLine(r.Label2), QStringLiteral("Now playing: "));
    }

    void regionNodeClick()
    {
        Form1::instance().selecta->trigger();
        Radio& r = Radio::instance();
        clickNode(r, r.Region("jp"));
        QCOMPARE(r.Label1->text(), QStringLiteral("jp"));
        QCOMPARE(r.Label3->text(), QStringLiteral("日本地區"));
    }

    // Nothing chosen: Play opens nothing, so what the main player plays goes on.
    void playWithNothingChosen()
    {
        Form1& f = Form1::instance();
        PlayerFixture::add(f, {writeWav(fx.env->path("a.wav"), 30)});
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2; }));
        f.selecta->trigger();
        Radio::instance().Command1->click();
        QTest::qWait(200);
        QCOMPARE(f.mp->FileName(), f.List1->List(0));
        QCOMPARE(f.mp->PlayState(), 2);
    }

    // The station and the title while the main player plays the radio's address (a local file here,
    // whose buffering reads 100), and not once the main player plays something else.
    void titleRule()
    {
        Form1& f = Form1::instance();
        const QString local = writeWav(fx.env->path("station.wav"), 30);
        PlayerFixture::add(f, {writeWav(fx.env->path("row.wav"), 30)});
        Radio& r = chosen(f, "Local", local);
        QVERIFY(waitFor([&] { return firstLine(r.Label2) == QStringLiteral("Now playing: "); }));
        QVERIFY(!f.windowTitle().contains("Local"));
        r.Command1->click();
        QVERIFY(waitFor([&] { return f.windowTitle() == QStringLiteral("PellumPlayer >> Local"); }));
        QCOMPARE(f.mp->BufferingProgress(), 100);
        QCOMPARE(firstLine(r.Label2), QStringLiteral("Now playing: Local"));
        // Another station clicked but not played: the one that plays keeps its name.
        clickNode(r, station(r, "sin", "Perfect 10"));
        QTest::qWait(250);
        QCOMPARE(f.windowTitle(), QStringLiteral("PellumPlayer >> Local"));
        QCOMPARE(firstLine(r.Label2), QStringLiteral("Now playing: Local"));
        // The main player plays a row of its list: its title stays, and the radio names nothing.
        f.List2->setListIndex(0);
        QVERIFY(waitFor([&] { return f.mp->PlayState() == 2 && f.mp->FileName() == f.List1->List(0); }));
        QTest::qWait(300);
        QCOMPARE(f.mp->BufferingProgress(), 100);
        QCOMPARE(f.windowTitle(), QStringLiteral("PellumPlayer >> ") + f.List1->List(0));
        QCOMPARE(firstLine(r.Label2), QStringLiteral("Now playing: "));
        // While hidden the tick goes on.
        r.Command2->click();
        QVERIFY(!r.isVisible());
        r.Label2->clear();
        QVERIFY(waitFor([&] { return !r.Label2->text().isEmpty(); }, 1000));
    }

    void bandwidthText_data()
    {
        QTest::addColumn<long>("bits");
        QTest::addColumn<QString>("text");
        QTest::newRow("20480") << 20480L << "20KB";
        QTest::newRow("2047") << 2047L << "1KB";
        QTest::newRow("1023") << 1023L << "0KB";
        QTest::newRow("0") << 0L << "0KB";
    }
    void bandwidthText()
    {
        QFETCH(long, bits);
        QFETCH(QString, text);
        QCOMPARE(Radio::BandwidthText(bits), text);
    }

    // A live stream: playing after its burst (the station and the title), then falling behind and
    // buffering (the read progress), with the bandwidth the cache measured.
    void liveStream()
    {
        LocalStation server(2.0, 6000);
        Form1& f = Form1::instance();
        Radio& r = chosen(f, "Local stream", server.address());
        r.Command1->click();
        QVERIFY2(waitFor([&] { return firstLine(r.Label2) == QStringLiteral("Now playing: Local stream"); }, 10000),
                 qPrintable(r.Label2->text()));
        QCOMPARE(f.windowTitle(), QStringLiteral("PellumPlayer >> Local stream"));
        QCOMPARE(f.mp->PlayState(), 2);
        static const QRegularExpression progress(QStringLiteral("^Read progress: (\\d+)$"));
        static const QRegularExpression bandwidth(QStringLiteral("^Now bandwidth: (\\d+)KB$"));
        int lowest = 100, highest = -1;
        long widest = 0;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 15000 && (lowest == 100 || highest < 0)) {
            QTest::qWait(20);
            const QRegularExpressionMatch m = progress.match(firstLine(r.Label2));
            const QRegularExpressionMatch b = bandwidth.match(secondLine(r.Label2));
            QVERIFY2(b.hasMatch(), qPrintable(r.Label2->text()));
            widest = qMax(widest, b.captured(1).toLong());
            if (m.hasMatch()) {
                lowest = qMin(lowest, m.captured(1).toInt());
                QVERIFY(m.captured(1).toInt() < 100);
                if (b.captured(1).toLong() > 0)
                    highest = qMax(highest, b.captured(1).toInt());
            }
        }
        qInfo("read progress seen from %d; bandwidth while buffering up to %dKB, at most %ldKB", lowest, highest, widest);
        QVERIFY2(lowest < 100, "the stream never buffered");
        QVERIFY2(highest > 0, "no bandwidth while buffering");
        // The trickle of 24 000 bytes a second is 192 000 bits a second: 187KB.
        QVERIFY2(highest >= 150 && highest <= 230, qPrintable(QString::number(highest)));
    }

    void exitHidesAndKeepsTheChoice()
    {
        Form1& f = Form1::instance();
        f.selecta->trigger();
        Radio& r = Radio::instance();
        clickNode(r, station(r, "ko", "KBS2R"));
        r.Command2->click();
        QVERIFY(Radio::isLoaded());
        QVERIFY(!r.isVisible());
        QVERIFY(r.Timer1->isActive());
        // The skin button opens the same window again.
        QTest::mouseClick(f.Image5[1], Qt::LeftButton);
        QVERIFY(Radio::isLoaded());
        QCOMPARE(&Radio::instance(), &r);
        QVERIFY(r.isVisible());
        QCOMPARE(r.Label3->text(), QStringLiteral("KBS2R"));
        QCOMPARE(r.RT->topLevelItemCount(), 9);
        QCOMPARE(r.RT->currentItem()->text(0), QStringLiteral("KBS2R"));
        QVERIFY(!r.isModal());
    }
};

QTEST_MAIN(RadioTest)
#include "test_radio.moc"
