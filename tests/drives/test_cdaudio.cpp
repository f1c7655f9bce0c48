// The CD-audio device's command strings and the tray of the first optical drive.
#include "platform/cdaudio/cdaudio.h"
#include "platform/drives/drives.h"

#include <QTemporaryDir>
#include <QtTest>

using Drives::Drive;

class CdAudioTest : public QObject {
    Q_OBJECT
    QTemporaryDir tmp;
    QStringList moves;
    bool driveAnswer = true;

private slots:
    void init()
    {
        moves.clear();
        driveAnswer = true;
        CdAudio::setTrayActionForTests([this](const QString& action, const QString& device) {
            moves << action + " " + device;
            return driveAnswer;
        });
    }
    void cleanup()
    {
        CdAudio::mciSendString("close all");
        CdAudio::setTrayActionForTests({});
        Drives::setTableForTests(std::nullopt);
    }

    void trayOfTheFirstOpticalDrive()
    {
        // A removable stick and a fixed disk come first; the first optical drive is E:.
        Drives::setTableForTests(QList<Drive>{{'C', Drives::Fixed, tmp.path(), "/dev/sda1"},
                                              {'D', Drives::Removable, tmp.path(), "/dev/sdb1"},
                                              {'E', Drives::CdRom, {}, "/dev/sr0"},
                                              {'F', Drives::CdRom, {}, "/dev/sr1"}});
        for (const char* s : {"open cdaudio alias songs", "set songs door open", "close songs"})
            QCOMPARE(CdAudio::mciSendString(s), int(CdAudio::NoError));
        QCOMPARE(moves, QStringList{"eject /dev/sr0"});
        for (const char* s : {"Open CDAudio Alias songs", "SET songs DOOR closed wait", "close songs"})
            QCOMPARE(CdAudio::mciSendString(s), int(CdAudio::NoError));
        QCOMPARE(moves, (QStringList{"eject /dev/sr0", "close /dev/sr0"}));
        QCOMPARE(CdAudio::deviceOf("songs"), QString());
    }

    void withoutAnOpticalDrive()
    {
        Drives::setTableForTests(QList<Drive>{{'C', Drives::Fixed, tmp.path(), "/dev/sda1"}});
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias songs"), int(CdAudio::NoDevice));
        QCOMPARE(CdAudio::mciSendString("set songs door open"), int(CdAudio::UnknownAlias));
        QCOMPARE(CdAudio::mciSendString("close songs"), int(CdAudio::UnknownAlias));
        QVERIFY(moves.isEmpty());
        // An optical drive whose device is not known is no device either.
        Drives::setTableForTests(QList<Drive>{{'D', Drives::CdRom, tmp.path(), {}}});
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias songs"), int(CdAudio::NoDevice));
        QVERIFY(moves.isEmpty());
    }

    void commandsItDoesNotKnow_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("empty") << "";
        QTest::newRow("other device") << "open waveaudio alias w";
        QTest::newRow("half a door") << "set songs door";
        QTest::newRow("door ajar") << "set songs door ajar";
        QTest::newRow("nonsense") << "frobnicate songs";
    }

    void commandsItDoesNotKnow()
    {
        QFETCH(QString, command);
        Drives::setTableForTests(QList<Drive>{{'D', Drives::CdRom, {}, "/dev/sr0"}});
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias songs"), int(CdAudio::NoError));
        QCOMPARE(CdAudio::mciSendString(command), int(CdAudio::UnrecognizedCommand));
        QVERIFY(moves.isEmpty());
        QCOMPARE(CdAudio::deviceOf("songs"), QString("/dev/sr0"));
    }

    void aDriveThatRefuses()
    {
        Drives::setTableForTests(QList<Drive>{{'D', Drives::CdRom, {}, "/dev/sr0"}});
        driveAnswer = false;
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias songs"), int(CdAudio::NoError));
        QCOMPARE(CdAudio::mciSendString("set songs door open"), int(CdAudio::Failed));
        QCOMPARE(moves, QStringList{"eject /dev/sr0"});
    }

    void anImageHasNoTray()
    {
        // The real drive path: an image file is refused before libcdio is asked to move anything.
        CdAudio::setTrayActionForTests({});
        const QString iso = tmp.path() + "/disc.iso";
        QFile f(iso);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, '\0'));
        f.close();
        Drives::setTableForTests(QList<Drive>{{'D', Drives::CdRom, tmp.path(), iso}});
        QCOMPARE(CdAudio::mciSendString("open cdaudio alias songs"), int(CdAudio::NoError));
        QCOMPARE(CdAudio::mciSendString("set songs door open"), int(CdAudio::Failed));
        QCOMPARE(CdAudio::mciSendString("set songs door closed"), int(CdAudio::Failed));
        QCOMPARE(CdAudio::mciSendString("close songs"), int(CdAudio::NoError));
    }
};

QTEST_GUILESS_MAIN(CdAudioTest)
#include "test_cdaudio.moc"
