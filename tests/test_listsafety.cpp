// A play list is written whole: a program killed while it writes a 100 000-row list leaves either the
// old list or the new one on disk, never a part.
#include "player/playlistfile.h"
#include "tests/support/testenv.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

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

}  // namespace

class ListSafetyTest : public QObject {
    Q_OBJECT
private slots:
    void killedWriterLeavesOldOrNewList()
    {
        TestEnv env;
        const QString path = env.path("afore.pellum");
        const QStringList oldList = rows(QStringLiteral("old"));
        QVERIFY(PlayListFile::write(path, oldList));
        const QByteArray oldBytes = bytesOf(oldList);
        const QByteArray newBytes = bytesOf(rows(QStringLiteral("new")));
        int sawNew = 0;
        for (int round = 0; round < 12; ++round) {
            QProcess writer;
            writer.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--write-forever"), path});
            QVERIFY(writer.waitForStarted());
            QTest::qWait(40 + QRandomGenerator::global()->bounded(200));
            writer.kill();
            writer.waitForFinished();
            const QByteArray disk = env.readFile(path);
            QVERIFY2(disk == oldBytes || disk == newBytes,
                     qPrintable(QStringLiteral("round %1: %2 bytes on disk").arg(round).arg(disk.size())));
            sawNew += disk == newBytes;
        }
        QVERIFY2(sawNew > 0, "the writer never finished a list: the test proved nothing");
    }
};

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--write-forever") == 0) {
        QCoreApplication app(argc, argv);
        const QString path = QString::fromLocal8Bit(argv[2]);
        const QStringList list = rows(QStringLiteral("new"));
        for (;;)
            PlayListFile::write(path, list);
    }
    QCoreApplication app(argc, argv);
    ListSafetyTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_listsafety.moc"
