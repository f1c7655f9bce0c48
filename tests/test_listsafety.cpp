// A play list is written whole: a program killed while it writes a 100 000-row list leaves either the
// old list or the new one on disk, never a part.
#include "player/playlistfile.h"
#include "tests/support/testenv.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>
#include <cstdio>

namespace {

QStringList rows(const QString& tag)
{
    QStringList out;
    out.reserve(100000);
    for (int i = 0; i < 100000; ++i)
        out << QStringLiteral("/home/user/Music/%1/track %2 with a longish name.mp3").arg(tag).arg(i);
    return out;
}

QByteArray bytesOf(const QStringList& lines)
{
    QByteArray b;
    for (const QString& l : lines)
        b += l.toUtf8() + "\r\n";
    return b;
}

// Waits for the writer's next line and tells whether it is `line`.
bool saysNext(QProcess& writer, const char* line)
{
    while (!writer.canReadLine())
        if (!writer.waitForReadyRead(120000))
            return false;
    return writer.readLine() == line;
}

// Starts this program as a writer of the new list (`mode` "--time-writes" or "--write-forever") and waits
// until it has built the list and is about to write, so that its start-up time is not counted.
bool startWriter(QProcess& writer, const QString& mode, const QString& path)
{
    writer.start(QCoreApplication::applicationFilePath(), {mode, path});
    return writer.waitForStarted() && saysNext(writer, "ready\n");
}

}  // namespace

class ListSafetyTest : public QObject {
    Q_OBJECT
private slots:
    void killedWriterLeavesOldOrNewList()
    {
        TestEnv env;
        const QString path = env.path("afore.pellum");
        const QStringList oldList = rows(QStringLiteral("old"));
        const QByteArray oldBytes = bytesOf(oldList);
        const QByteArray newBytes = bytesOf(rows(QStringLiteral("new")));

        // How long one whole write takes here (the longest of three): the kills below fall within the
        // first writes of that length, however fast or slow this build and machine are.
        QProcess timed;
        QVERIFY(startWriter(timed, QStringLiteral("--time-writes"), path));
        qint64 spanUs = 1000;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 3; ++i) {
            QVERIFY(saysNext(timed, "done\n"));
            spanUs = qMax(spanUs, clock.nsecsElapsed() / 1000);
            clock.restart();
        }
        QVERIFY(timed.waitForFinished(120000));
        QCOMPARE(env.readFile(path), newBytes);

        // Kill points spread evenly over three write spans, each at a random place within its slot:
        // the first kills land in the first write (the old list must survive), the last ones after it
        // (the new list must be whole), some in the second write, which replaces the list by itself.
        const int rounds = 15;
        int sawOld = 0, sawNew = 0;
        for (int round = 0; round < rounds; ++round) {
            QVERIFY(PlayListFile::write(path, oldList));
            const double at = (round + QRandomGenerator::global()->generateDouble()) / rounds * 3.0;
            const qint64 waitUs = qint64(at * double(spanUs));
            QProcess writer;
            QVERIFY(startWriter(writer, QStringLiteral("--write-forever"), path));
            QThread::usleep(quint64(waitUs));
            writer.kill();
            writer.waitForFinished();
            const QByteArray disk = env.readFile(path);
            QVERIFY2(disk == oldBytes || disk == newBytes,
                     qPrintable(QStringLiteral("round %1, killed %2 ms into writes of %3 ms: %4 bytes on disk")
                                    .arg(round).arg(waitUs / 1000.0).arg(spanUs / 1000.0).arg(disk.size())));
            sawOld += disk == oldBytes;
            sawNew += disk == newBytes;
        }
        qInfo("one write takes %.1f ms; %d kills left the old list, %d the new", spanUs / 1000.0, sawOld, sawNew);
        QVERIFY2(sawOld > 0, "no kill landed before a write finished: the test proved nothing");
        QVERIFY2(sawNew > 0, "the writer never finished a list: the test proved nothing");
    }
};

int main(int argc, char** argv)
{
    // The writer: it builds the new list, says "ready", and writes it again and again (forever, or three
    // times saying "done" after each).
    const bool timed = argc == 3 && qstrcmp(argv[1], "--time-writes") == 0;
    if (timed || (argc == 3 && qstrcmp(argv[1], "--write-forever") == 0)) {
        QCoreApplication app(argc, argv);
        const QString path = QString::fromLocal8Bit(argv[2]);
        const QStringList list = rows(QStringLiteral("new"));
        std::fputs("ready\n", stdout);
        std::fflush(stdout);
        for (int i = 0; !timed || i < 3; ++i) {
            PlayListFile::write(path, list);
            std::fputs("done\n", stdout);
            std::fflush(stdout);
        }
        return 0;
    }
    QCoreApplication app(argc, argv);
    ListSafetyTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_listsafety.moc"
