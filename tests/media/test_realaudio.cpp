// The RealMedia control: two instances on one console drive one clip; a clip played to its end reports
// its length as its position.
#include "platform/media/realaudio.h"
#include "tests/support/testenv.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

class RealAudioTest : public QObject {
    Q_OBJECT
    TestEnv env;

private slots:
    void sharedConsolePlaysToTheEnd_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("blank in the name") << QStringLiteral("clip one.wav");
        // The windows write "file://" and the bare path: these must not be read as URL syntax.
        QTest::newRow("hash and percent in the name") << QStringLiteral("clip #1 50%20.wav");
    }
    void sharedConsolePlaysToTheEnd()
    {
        QFETCH(QString, name);
        const QString wav = writeWav(env.path(name), 0.7);
        RealAudio picture(QStringLiteral("t1"), RealAudio::ImageWindow);
        RealAudio panel(QStringLiteral("t1"), RealAudio::ControlPanel);
        const QString source = QStringLiteral("file://") + wav;
        panel.setSource(source);
        QCOMPARE(picture.Source(), source);  // one clip for both
        QCOMPARE(picture.GetLength(), 0L);
        picture.DoPlay();
        QVERIFY(waitFor([&] { return panel.GetPosition() > 50; }));
        QVERIFY(qAbs(panel.GetLength() - 700) < 50);
        QVERIFY(waitFor([&] { return picture.GetLength() == picture.GetPosition(); }));
        QVERIFY(picture.GetLength() > 0);
    }

    void stopAndSeek()
    {
        RealAudio ra(QStringLiteral("t2"), RealAudio::ImageWindow);
        ra.setSource(writeWav(env.path("long.wav"), 5.0));  // a plain path is accepted too
        ra.DoPlay();
        QVERIFY(waitFor([&] { return ra.GetLength() > 0; }));
        ra.SetPosition(3000);
        QVERIFY(waitFor([&] { return ra.GetPosition() >= 3000; }));
        ra.DoStop();
        QTest::qWait(300);
        QVERIFY(ra.GetPosition() != ra.GetLength());
        ra.SetFullScreen();
        QCOMPARE(ra.fullScreenRequests(), 1);
        ra.setSource(QString());
        QCOMPARE(ra.Source(), QString());
    }

    void newSourceReplacesThePlayingClip()
    {
        RealAudio picture(QStringLiteral("t5"), RealAudio::ImageWindow);
        RealAudio panel(QStringLiteral("t5"), RealAudio::ControlPanel);
        picture.setSource(QStringLiteral("file://") + writeWav(env.path("first.wav"), 3.0));
        picture.DoPlay();
        QVERIFY(waitFor([&] { return picture.GetPosition() > 100; }));
        // Setting the source alone stops the old clip and does not play the new one.
        picture.setSource(QStringLiteral("file://") + writeWav(env.path("second.wav"), 0.4));
        QTest::qWait(300);
        QCOMPARE(panel.GetPosition(), 0L);
        panel.DoPlay();
        QVERIFY(waitFor([&] { return qAbs(picture.GetLength() - 400) < 50; }));
        QVERIFY(waitFor([&] { return picture.GetLength() == picture.GetPosition(); }, 2000));
    }

    void seekRightAfterPlay()
    {
        // A bookmark plays the clip and seeks at once, before it is open.
        RealAudio ra(QStringLiteral("t4"), RealAudio::ImageWindow);
        // From the place sought it takes half a second and the opening; from the start, the whole length.
        const double length = 4.0 * timeScale();
        ra.setSource(QStringLiteral("file://") + writeWav(env.path("mark.wav"), length));
        QElapsedTimer t;
        t.start();
        ra.DoPlay();
        ra.SetPosition(int(length * 1000) - 500);
        QVERIFY(waitFor([&] { return ra.GetLength() > 0 && ra.GetLength() == ra.GetPosition(); }));
        QVERIFY2(t.elapsed() < qint64(length * 1000) - 1000, qPrintable(QString::number(t.elapsed())));
    }

    // A clip that cannot be played raises the error flag; its length stays 0, so it never reads as ended.
    void unplayableSourceSetsTheErrorFlag_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("garbage bytes") << "file://" + env.writeFile("junk.rm", QByteArray(6000, '\x33'));
        QTest::newRow("missing file") << "file://" + env.path("gone.rm");
        QTest::newRow("generated stream") << QStringLiteral("av://lavfi:sine=frequency=440:duration=1");
        QTest::newRow("file descriptor") << QStringLiteral("fd://0");
    }
    void unplayableSourceSetsTheErrorFlag()
    {
        QFETCH(QString, source);
        RealAudio picture(QStringLiteral("t6"), RealAudio::ImageWindow);
        RealAudio panel(QStringLiteral("t6"), RealAudio::ControlPanel);
        picture.setSource(source);
        QVERIFY(!picture.ErrorFlag());
        picture.DoPlay();
        QVERIFY(waitFor([&] { return panel.ErrorFlag(); }));
        QCOMPARE(picture.GetLength(), 0L);
        // A new source clears it and plays.
        picture.setSource(QStringLiteral("file://") + writeWav(env.path("fine.wav"), 0.3));
        QVERIFY(!picture.ErrorFlag());
        picture.DoPlay();
        QVERIFY(waitFor([&] { return picture.GetLength() > 0 && picture.GetLength() == picture.GetPosition(); }));
        QVERIFY(!picture.ErrorFlag());
    }

    void realMediaClip_data()
    {
        QTest::addColumn<QStringList>("audio");
        QTest::newRow("rv10 and ac3") << QStringList{"-c:a", "ac3"};
        QTest::newRow("rv10 and real_144") << QStringList{"-c:a", "real_144", "-ac", "1", "-ar", "8000"};
    }
    void realMediaClip()
    {
        QFETCH(QStringList, audio);
        const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
        if (ffmpeg.isEmpty())
            QSKIP("ffmpeg is not installed: no RealMedia clip can be made");
        const QString rm = env.path("tiny.rm");
        QProcess p;
        p.start(ffmpeg, QStringList{"-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=1:sample_rate=8000",
                                    "-f", "lavfi", "-i", "color=c=blue:s=64x48:d=1:r=10", "-c:v", "rv10"}
                            + audio + QStringList{"-shortest", "-y", rm});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        RealAudio ra(QStringLiteral("t3"), RealAudio::ImageWindow);
        ra.setSource(QStringLiteral("file://") + rm);
        ra.DoPlay();
        QVERIFY(waitFor([&] { return ra.GetLength() > 0; }));
        QVERIFY2(qAbs(ra.GetLength() - 1000) < 150, qPrintable(QString::number(ra.GetLength())));
        QVERIFY(waitFor([&] { return ra.GetLength() == ra.GetPosition(); }));
    }
};

QTEST_MAIN(RealAudioTest)
#include "test_realaudio.moc"
