// The media-player control on the real mpv engine (null audio and video), playing WAV files the tests
// write.
#include "platform/media/mediaaddress.h"
#include "platform/media/mediaplayer.h"
#include "platform/media/mpvengine.h"
#include "platform/media/videoview.h"
#include "tests/support/testenv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QtTest>

class MediaPlayerTest : public QObject {
    Q_OBJECT
    TestEnv env;

private slots:
    void playsToTheEndOnce()
    {
        MediaPlayer mp;
        QSignalSpy ends(&mp, &MediaPlayer::EndOfStream);
        const QString wav = writeWav(env.path("a.wav"), 0.6);
        mp.setFileName(wav);
        QCOMPARE(mp.FileName(), wav);
        QVERIFY(waitFor([&] { return mp.PlayState() == 2 && mp.CurrentPosition() > 0.05; }));
        QVERIFY(qAbs(mp.Duration() - 0.6) < 0.05);
        QVERIFY(waitFor([&] { return ends.count() > 0; }));
        QTest::qWait(300);
        QCOMPARE(ends.count(), 1);
        QCOMPARE(mp.PlayState(), 0);
        QCOMPARE(mp.FileName(), wav);  // still named after its end
        QVERIFY(!mp.ErrorFlag());

        // Play after the end starts it again.
        mp.Play();
        QVERIFY(waitFor([&] { return mp.PlayState() == 2; }));
        QVERIFY(waitFor([&] { return ends.count() == 2; }));
    }

    void pauseHoldsThePosition()
    {
        MediaPlayer mp;
        mp.setFileName(writeWav(env.path("b.wav"), 3.0));
        QVERIFY(waitFor([&] { return mp.CurrentPosition() > 0.2; }));
        mp.Pause();
        QVERIFY(waitFor([&] { return mp.PlayState() == 1; }));
        // The last position update of the playing clip may still be on its way.
        QTest::qWait(200);
        const double held = mp.CurrentPosition();
        QTest::qWait(400);
        // Playing on would have moved it by 0.4 s.
        QVERIFY2(qAbs(mp.CurrentPosition() - held) < 0.05,
                 qPrintable(QStringLiteral("%1 -> %2").arg(held).arg(mp.CurrentPosition())));
        mp.Play();
        QVERIFY(waitFor([&] { return mp.PlayState() == 2 && mp.CurrentPosition() > held + 0.1; }));
    }

    void seekMovesThePosition()
    {
        MediaPlayer mp;
        mp.setFileName(writeWav(env.path("s.wav"), 4.0));
        QVERIFY(waitFor([&] { return mp.PlayState() == 2; }));
        mp.setCurrentPosition(3.0);
        QVERIFY(waitFor([&] { return mp.CurrentPosition() >= 3.0; }));
    }

    // Bookmarks set the file name and seek at once, before the clip is open; a seek while stopped is
    // where the next Play starts.
    void seekBeforeTheClipIsOpen_data()
    {
        QTest::addColumn<bool>("stoppedFirst");
        QTest::newRow("right after the file name") << false;
        QTest::newRow("while stopped") << true;
    }
    void seekBeforeTheClipIsOpen()
    {
        QFETCH(bool, stoppedFirst);
        MediaPlayer mp;
        QSignalSpy ends(&mp, &MediaPlayer::EndOfStream);
        // Played from the place sought, half a second and the opening; from the start, the whole length.
        const double length = 4.0 * timeScale(), place = length - 0.5;
        const QString wav = writeWav(env.path("k.wav"), length);
        QElapsedTimer t;
        if (stoppedFirst) {
            mp.setFileName(wav);
            QVERIFY(waitFor([&] { return mp.PlayState() == 2; }));
            mp.Stop();
            QCOMPARE(mp.PlayState(), 0);
            mp.setCurrentPosition(place);
            QCOMPARE(mp.CurrentPosition(), place);
            t.start();
            mp.Play();
        } else {
            t.start();
            mp.setFileName(wav);
            mp.setCurrentPosition(place);
        }
        QVERIFY(waitFor([&] { return ends.count() == 1; }));
        QVERIFY2(t.elapsed() < qint64(length * 1000) - 1000, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(ends.count(), 1);
    }

    void rateTwoHalvesTheTime()
    {
        MediaPlayer mp;
        QSignalSpy ends(&mp, &MediaPlayer::EndOfStream);
        mp.setRate(2.0);
        QElapsedTimer t;
        t.start();
        const double length = 3.2 * timeScale();
        mp.setFileName(writeWav(env.path("r.wav"), length));
        QVERIFY(waitFor([&] { return ends.count() == 1; }));
        const qint64 ms = t.elapsed();
        QCOMPARE(mp.Rate(), 2.0);
        // Half the length and the opening; at the normal rate it would take the whole length.
        const qint64 half = qint64(length * 500);
        QVERIFY2(ms > half * 8 / 10 && ms < half * 17 / 10, qPrintable(QString::number(ms)));
    }

    void stopAndEmptyNameRaiseNoEnd()
    {
        MediaPlayer mp;
        QSignalSpy ends(&mp, &MediaPlayer::EndOfStream);
        const QString wav = writeWav(env.path("c.wav"), 0.8);
        mp.setFileName(wav);
        QVERIFY(waitFor([&] { return mp.PlayState() == 2; }));
        mp.Stop();
        QVERIFY(waitFor([&] { return mp.PlayState() == 0; }));
        QCOMPARE(mp.FileName(), wav);
        mp.Play();
        QVERIFY(waitFor([&] { return mp.PlayState() == 2; }));
        mp.setFileName(QString());
        QCOMPARE(mp.FileName(), QString());
        QVERIFY(waitFor([&] { return mp.PlayState() == 0; }));
        QTest::qWait(1200);
        QCOMPARE(ends.count(), 0);
    }

    void replacingAClipRaisesNoEnd()
    {
        MediaPlayer mp;
        QSignalSpy ends(&mp, &MediaPlayer::EndOfStream);
        mp.setFileName(writeWav(env.path("d.wav"), 2.0));
        QVERIFY(waitFor([&] { return mp.PlayState() == 2; }));
        const QString second = writeWav(env.path("e.wav"), 0.4);
        mp.setFileName(second);
        QVERIFY(waitFor([&] { return ends.count() > 0; }));
        QTest::qWait(200);
        QCOMPARE(ends.count(), 1);
        QCOMPARE(mp.FileName(), second);
    }

    void unplayableClipsSetTheErrorFlag_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("create");
        QTest::newRow("missing file") << QByteArray() << false;
        QByteArray noise(4096, '\0');
        for (char& c : noise)
            c = char(QRandomGenerator::global()->bounded(256));
        QTest::newRow("random bytes") << noise << true;
    }
    void unplayableClipsSetTheErrorFlag()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, create);
        const QString path = create ? env.writeFile("bad.mp3", bytes) : env.path("nothing-here.wav");
        MediaPlayer mp;
        QSignalSpy ends(&mp, &MediaPlayer::EndOfStream);
        mp.setFileName(path);
        QVERIFY(waitFor([&] { return mp.ErrorFlag(); }));
        QCOMPARE(mp.PlayState(), 0);
        QCOMPARE(ends.count(), 0);
        // A new clip clears the flag.
        mp.setFileName(writeWav(env.path("ok.wav"), 0.3));
        QVERIFY(!mp.ErrorFlag());
        QVERIFY(waitFor([&] { return ends.count() == 1; }));
        QVERIFY(!mp.ErrorFlag());
    }

    // A play list row plays its entries in turn as one clip: playing from its first entry to the end of
    // its last, with the times of the entry playing, and one end of stream when the list is done.
    void playListPlaysAsOneClip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("text");
        const QByteArray b = env.path("lb.wav").toUtf8();
        QTest::newRow("m3u") << "l.m3u" << "#EXTM3U\r\nla.wav\r\n" + b + "\r\n";
        QTest::newRow("pls") << "l.pls" << "[playlist]\nFile1=la.wav\nFile2=" + b + "\nNumberOfEntries=2\n";
        QTest::newRow("m3u with entries that cannot play")
            << "skip.m3u" << "missing.wav\nla.wav\nav://lavfi:sine=d=5\n" + b + "\n";
    }
    void playListPlaysAsOneClip()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, text);
        writeWav(env.path("la.wav"), 0.5);
        writeWav(env.path("lb.wav"), 0.8);
        const QString list = env.writeFile(name, text);
        MediaPlayer mp;
        QSignalSpy ends(&mp, &MediaPlayer::EndOfStream);
        // What the status timer would see, sampled often until the end of stream.
        QList<int> states;
        QList<double> durations;
        bool movedWithSecond = false;
        QTimer sample;
        connect(&sample, &QTimer::timeout, [&] {
            if (ends.count() > 0)
                return;
            states << mp.PlayState();
            const double d = qRound(mp.Duration() * 10) / 10.0;
            if (d > 0 && (durations.isEmpty() || durations.last() != d))
                durations << d;
            movedWithSecond = movedWithSecond || (d == 0.8 && mp.CurrentPosition() > 0.1);
        });
        sample.start(5);
        mp.setFileName(list);
        QVERIFY(waitFor([&] { return ends.count() > 0; }));
        sample.stop();
        QTest::qWait(400);
        QCOMPARE(ends.count(), 1);
        QCOMPARE(durations, (QList<double>{0.5, 0.8}));
        QVERIFY(movedWithSecond);
        const qsizetype firstPlaying = states.indexOf(2);
        QVERIFY(firstPlaying >= 0);
        QVERIFY2(!states.mid(firstPlaying).contains(0), "the list read as stopped between its entries");
        QCOMPARE(mp.PlayState(), 0);
        QVERIFY(!mp.ErrorFlag());
        QCOMPARE(mp.FileName(), list);
        // Play after the end plays the list again.
        mp.Play();
        QVERIFY(waitFor([&] { return ends.count() == 2; }));
    }

    void playListThatPlaysNothingFails_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("text");
        const QByteArray wav = writeWav(env.path("in.wav"), 0.3).toUtf8();
        QTest::newRow("empty m3u") << "e.m3u" << QByteArray("#EXTM3U\n");
        QTest::newRow("missing entries") << "m.m3u" << QByteArray("#EXTM3U\nnot-here.wav\n/nowhere/x.wav\n");
        QTest::newRow("generated stream and edit list")
            << "g.m3u" << "#EXTM3U\nav://lavfi:sine=frequency=440:duration=0.5\nedl://" + wav + "\n";
        QTest::newRow("list naming itself") << "self.m3u" << QByteArray("#EXTM3U\nself.m3u\nself.m3u\n");
        QTest::newRow("pls naming memory and stdin") << "p.pls"
                                                     << QByteArray("[playlist]\nFile1=memory://RIFF\nFile2=-\nNumberOfEntries=2\n");
    }
    void playListThatPlaysNothingFails()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, text);
        MediaPlayer mp;
        QSignalSpy ends(&mp, &MediaPlayer::EndOfStream);
        mp.setFileName(env.writeFile(name, text));
        QVERIFY(waitFor([&] { return mp.ErrorFlag(); }));
        QCOMPARE(mp.PlayState(), 0);
        QVERIFY(waitFor([&] { return mp.engine().path().isEmpty(); }));  // mpv has stopped
        QTest::qWait(300);
        QCOMPARE(ends.count(), 0);
    }

    // Only local files and the address kinds a user opens reach the engine; any other kind fails as an
    // unplayable clip does.
    void refusedAddressesFail_data()
    {
        QTest::addColumn<QString>("name");
        const QString wav = writeWav(env.path("r.wav"), 0.5);
        QTest::newRow("generated stream") << "av://lavfi:sine=frequency=440:duration=0.5";
        QTest::newRow("generated stream, capitals") << "AV://lavfi:sine=frequency=440:duration=0.5";
        QTest::newRow("lavf") << "lavf://file:" + wav;
        QTest::newRow("ffmpeg") << "ffmpeg://file:" + wav;
        QTest::newRow("file descriptor") << "fd://0";
        QTest::newRow("file descriptor closed after") << "fdclose://987";
        QTest::newRow("memory") << "memory://RIFF";
        QTest::newRow("edit list") << "edl://" + wav;
        QTest::newRow("null") << "null://";
        QTest::newRow("hex") << "hex://52494646";
        QTest::newRow("appending") << "appending://" + wav;
        QTest::newRow("slice") << "slice://0-100000@" + wav;
        QTest::newRow("dvd") << "dvd://";
        QTest::newRow("blu-ray") << "bd://";
        QTest::newRow("udp") << "udp://127.0.0.1:9";
        QTest::newRow("ytdl") << "ytdl://x";
        QTest::newRow("image files") << "mf://" + env.path("*.png");
    }
    void refusedAddressesFail()
    {
        QFETCH(QString, name);
        MediaPlayer mp;
        QSignalSpy ends(&mp, &MediaPlayer::EndOfStream);
        mp.setFileName(name);
        QVERIFY(waitFor([&] { return mp.ErrorFlag(); }, 3000));
        QCOMPARE(mp.PlayState(), 0);
        QCOMPARE(mp.FileName(), name);
        QTest::qWait(300);
        QCOMPARE(ends.count(), 0);
        QCOMPARE(mp.PlayState(), 0);
    }

    void refusedAddressStopsThePlayingClip()
    {
        MediaPlayer mp;
        QSignalSpy ends(&mp, &MediaPlayer::EndOfStream);
        mp.setFileName(writeWav(env.path("long.wav"), 3.0));
        QVERIFY(waitFor([&] { return mp.PlayState() == 2 && !mp.engine().path().isEmpty(); }));
        mp.setFileName(QStringLiteral("av://lavfi:sine"));
        QVERIFY(waitFor([&] { return mp.ErrorFlag(); }));
        QVERIFY(waitFor([&] { return mp.engine().path().isEmpty(); }));  // mpv has nothing open
        // A refused name replaced at once leaves no error behind.
        const QString ok = writeWav(env.path("ok2.wav"), 0.3);
        mp.setFileName(QStringLiteral("fd://0"));
        mp.setFileName(ok);
        QVERIFY(waitFor([&] { return ends.count() == 1; }));
        QVERIFY(!mp.ErrorFlag());
        mp.setFileName(QStringLiteral("null://"));
        mp.setFileName(QString());
        QTest::qWait(200);
        QVERIFY(!mp.ErrorFlag());
    }

    // Local names the engine could take for a protocol, an option or standard input play as files.
    void localNamesPlay_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("row");
        const QString r = env.root();
        QTest::newRow("colon in a relative name") << "a:b.wav" << "./a:b.wav";
        QTest::newRow("colon in an absolute name") << "x:y.wav" << r + "/x:y.wav";
        QTest::newRow("relative name starting with a dash") << "-dash.wav" << "-dash.wav";
        QTest::newRow("a file named -") << "-" << "-";
        QTest::newRow("file address, blank and hash") << "clip #1.wav" << "file://" + r + "/clip #1.wav";
        QTest::newRow("file address in capitals") << "caps.wav" << "FILE://" + r + "/caps.wav";
        QTest::newRow("encoded file address")
            << "sp ace.wav" << QUrl::fromLocalFile(r + "/sp ace.wav").toString(QUrl::FullyEncoded);
    }
    void localNamesPlay()
    {
        QFETCH(QString, file);
        QFETCH(QString, row);
        writeWav(env.path(file), 0.4);
        const QString before = QDir::currentPath();
        QDir::setCurrent(env.root());
        MediaPlayer mp;
        QSignalSpy ends(&mp, &MediaPlayer::EndOfStream);
        mp.setFileName(row);
        const bool ended = waitFor([&] { return ends.count() > 0 || mp.ErrorFlag(); });
        QDir::setCurrent(before);
        QVERIFY(ended);
        QVERIFY(!mp.ErrorFlag());
        QVERIFY2(qAbs(mp.Duration() - 0.4) < 0.05, qPrintable(QString::number(mp.Duration())));
        QCOMPARE(mp.FileName(), row);
    }

    // Stream addresses pass, whatever the case of their scheme, also as entries of a local list.
    void streamAddressPlays_data()
    {
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<bool>("inList");
        QTest::newRow("http") << "http" << false;
        QTest::newRow("http in capitals") << "HTTP" << false;
        QTest::newRow("http named by a local m3u") << "http" << true;
    }
    void streamAddressPlays()
    {
        QFETCH(QString, scheme);
        QFETCH(bool, inList);
        // A small web server that answers every request with a WAV file.
        const QByteArray wav = wavBytes(0.5);
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        connect(&server, &QTcpServer::newConnection, [&] {
            while (QTcpSocket* c = server.nextPendingConnection()) {
                connect(c, &QTcpSocket::readyRead, c, [c, wav] {
                    if (!c->readAll().contains("\r\n\r\n"))
                        return;
                    c->write("HTTP/1.0 200 OK\r\nContent-Type: audio/x-wav\r\nContent-Length: " +
                             QByteArray::number(wav.size()) + "\r\nConnection: close\r\n\r\n" + wav);
                    c->disconnectFromHost();
                });
                connect(c, &QTcpSocket::disconnected, c, &QObject::deleteLater);
            }
        });
        const QString address = scheme + "://127.0.0.1:" + QString::number(server.serverPort()) + "/s.wav";
        const QString row = inList ? env.writeFile("web.m3u", address.toUtf8() + "\n") : address;
        MediaPlayer mp;
        QSignalSpy ends(&mp, &MediaPlayer::EndOfStream);
        mp.setFileName(row);
        QVERIFY(waitFor([&] { return ends.count() > 0 || mp.ErrorFlag(); }));
        QVERIFY(!mp.ErrorFlag());
        QVERIFY(qAbs(mp.Duration() - 0.5) < 0.05);
    }

    // The names the engine is given: absolute paths for local files, allowed addresses as they are.
    void engineNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("given");
        const QString cwd = QDir::currentPath();
        for (const char* s : {"http", "https", "mms", "mmsh", "mmst", "rtsp", "rtmp", "rtmps"})
            QTest::newRow(s) << QString::fromLatin1(s) + "://host/a b?x=1#y"
                             << QString::fromLatin1(s) + "://host/a b?x=1#y";
        QTest::newRow("audio CD") << "cdda://" << "cdda://";
        QTest::newRow("audio CD track, capitals") << "CDDA://3" << "cdda://3";
        QTest::newRow("absolute path") << "/music/x:y.mp3" << "/music/x:y.mp3";
        QTest::newRow("relative path") << "a:b.wav" << cwd + "/a:b.wav";
        QTest::newRow("dash") << "-" << cwd + "/-";
        QTest::newRow("windows path from elsewhere") << "C:\\m\\a.mp3" << cwd + "/C:\\m\\a.mp3";
        QTest::newRow("missing file address decoded") << "file:///nowhere/a%20b.wav" << "/nowhere/a b.wav";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("file address without a path") << "file://" << "";
        QTest::newRow("relative name read as an address") << "dir://x.wav" << "";
        QTest::newRow("ftp") << "ftp://host/a.mp3" << "";
    }
    void engineNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, given);
        QCOMPARE(MediaAddress::engineName(name), given);
        if (!given.isEmpty())
            QVERIFY(MediaAddress::engineMayOpen(given));
    }

    void volumeScale_data()
    {
        QTest::addColumn<int>("volume");
        QTest::addColumn<double>("mpvVolume");
        QTest::newRow("0 loudest") << 0 << 100.0;
        QTest::newRow("-1 loudest") << -1 << 100.0;
        QTest::newRow("-600 six decibels") << -600 << 79.43;
        QTest::newRow("-2000") << -2000 << 46.42;
        QTest::newRow("-10000 silent") << -10000 << 0.0;
        QTest::newRow("below the scale") << -20000 << 0.0;
    }
    void volumeScale()
    {
        QFETCH(int, volume);
        QFETCH(double, mpvVolume);
        MediaPlayer mp;
        mp.setVolume(volume);
        QCOMPARE(mp.Volume(), qMax(volume, -10000));
        mp.setFileName(writeWav(env.path("v.wav"), 1.0));
        QVERIFY(waitFor([&] { return mp.PlayState() == 2; }));
        QVERIFY(waitFor([&] { return qAbs(mp.engine().volume() - mpvVolume) < 0.1; }, 2000));
    }

    void authorTag()
    {
        // A WAV with a LIST/INFO chunk naming the artist.
        QByteArray wav = wavBytes(0.5);
        QByteArray info("INFO");
        const QByteArray artist("Test Artist\0", 12);
        info += "IART";
        char len[4];
        qToLittleEndian<quint32>(quint32(artist.size()), len);
        info.append(len, 4);
        info += artist;
        QByteArray list("LIST");
        qToLittleEndian<quint32>(quint32(info.size()), len);
        list.append(len, 4);
        list += info;
        wav.insert(12, list);
        qToLittleEndian<quint32>(quint32(wav.size() - 8), len);
        wav.replace(4, 4, QByteArray(len, 4));
        MediaPlayer mp;
        mp.setFileName(env.writeFile("tagged.wav", wav));
        QVERIFY(waitFor([&] { return !mp.GetMediaInfoString(9).isEmpty(); }));
        QCOMPARE(mp.GetMediaInfoString(9), QStringLiteral("Test Artist"));
    }

    void ownMenuActs()
    {
        MediaPlayer mp;
        mp.setFileName(writeWav(env.path("m.wav"), 3.0));
        QVERIFY(waitFor([&] { return mp.PlayState() == 2; }));
        QMenu* menu = mp.dialogMenu();
        QStringList names;
        QAction* pause = nullptr;
        QAction* half = nullptr;
        for (QAction* a : menu->actions()) {
            names << a->text();
            if (a->text() == QLatin1String("Pause"))
                pause = a;
            if (a->text() == QLatin1String("0.5x"))
                half = a;
        }
        QVERIFY2(names.contains("Play") && names.contains("Stop") && pause && half, qPrintable(names.join(',')));
        pause->trigger();
        QVERIFY(waitFor([&] { return mp.PlayState() == 1; }));
        half->trigger();
        QCOMPARE(mp.Rate(), 0.5);
        QVERIFY(mp.dialogMenu()->actions().contains(half) && half->isChecked());
    }

    void mouseMoveOverTheVideo()
    {
        MediaPlayer mp;
        mp.resize(200, 150);
        QSignalSpy moves(&mp, &MediaPlayer::MouseMove);
        QWidget* video = mp.findChild<VideoView*>();
        QVERIFY(video);
        QMouseEvent move(QEvent::MouseMove, QPointF(10, 20), QPointF(10, 20), QPointF(10, 20), Qt::NoButton,
                         Qt::LeftButton, Qt::ShiftModifier);
        QCoreApplication::sendEvent(video, &move);
        QCOMPARE(moves.count(), 1);
        // Buttons and shift keys as the control's event gives them (left 1, shift 1), the point in twips.
        QCOMPARE(moves.at(0), (QVariantList{1, 1, 150, 300}));
    }

    // A clip opened ahead of time waits at its start, unnamed and silent in the members; naming it plays
    // it on without opening it again (also while it is still opening, and then it reads as playing);
    // naming another file plays that one.
    void preparedClip_data()
    {
        QTest::addColumn<bool>("sameFile");
        QTest::addColumn<bool>("missing");
        QTest::addColumn<bool>("atOnce");
        QTest::newRow("taken by its name") << true << false << false;
        QTest::newRow("taken by its name while it opens") << true << false << true;
        QTest::newRow("replaced by another file") << false << false << false;
        QTest::newRow("missing file, then named") << true << true << false;
    }
    void preparedClip()
    {
        QFETCH(bool, sameFile);
        QFETCH(bool, missing);
        QFETCH(bool, atOnce);
        MediaPlayer mp;
        QSignalSpy ends(&mp, &MediaPlayer::EndOfStream);
        QSignalSpy starts(&mp.engine(), &MpvEngine::fileStarted);
        const QString clip = missing ? env.path("gone.wav") : writeWav(env.path("p.wav"), 1.0);
        const QString other = writeWav(env.path("other.wav"), 1.0);
        if (atOnce)
            QTest::qWait(300);  // the engine has told its first values, as the main window's has by then
        mp.Prepare(clip);
        if (atOnce) {
            mp.setFileName(clip);
            QVERIFY(waitFor([&] { return mp.PlayState() == 2 && mp.CurrentPosition() > 0.2; }));
            QCOMPARE(int(starts.count()), 1);
            QVERIFY(waitFor([&] { return ends.count() == 1; }));
            return;
        }
        if (missing) {
            QTest::qWait(500);
            QVERIFY(!mp.ErrorFlag());  // nobody asked for it yet
        } else {
            QVERIFY(waitFor([&] { return mp.engine().loaded(); }));
            QTest::qWait(300);
            QCOMPARE(mp.CurrentPosition(), 0.0);  // held at its start
        }
        QCOMPARE(mp.FileName(), QString());
        QCOMPARE(mp.PlayState(), 0);
        QCOMPARE(ends.count(), 0);

        const QString named = sameFile ? clip : other;
        const int opened = int(starts.count());
        mp.setFileName(named);
        QCOMPARE(mp.FileName(), named);
        if (missing) {
            QVERIFY(waitFor([&] { return mp.ErrorFlag(); }));
            QCOMPARE(ends.count(), 0);
            return;
        }
        QVERIFY(waitFor([&] { return mp.PlayState() == 2 && mp.CurrentPosition() > 0.2; }));
        QCOMPARE(mp.engine().path(), named);
        QCOMPARE(int(starts.count()), sameFile ? opened : opened + 1);
        QVERIFY(waitFor([&] { return ends.count() == 1; }));
        QVERIFY(!mp.ErrorFlag());
    }

    // A clip opened before any player exists (the file named at start-up) goes to the next player made,
    // which plays it on from where it is; naming another file plays that one; a later player has an
    // engine of its own.
    void clipOpenedAhead_data()
    {
        QTest::addColumn<bool>("sameFile");
        QTest::newRow("named by the player that took it") << true;
        QTest::newRow("replaced by another file") << false;
    }
    void clipOpenedAhead()
    {
        QFETCH(bool, sameFile);
        const QString clip = writeWav(env.path("ahead.wav"), 1.0);
        const QString other = writeWav(env.path("instead.wav"), 1.0);
        MediaPlayer::PrepareAhead(clip);
        MediaPlayer mp;
        MediaPlayer later;
        QVERIFY(&later.engine() != &mp.engine());
        QSignalSpy starts(&mp.engine(), &MpvEngine::fileStarted);
        QSignalSpy ends(&mp, &MediaPlayer::EndOfStream);
        mp.Prepare(clip);
        QVERIFY(waitFor([&] { return mp.engine().loaded(); }));
        QCOMPARE(mp.engine().path(), clip);
        QCOMPARE(mp.PlayState(), 0);
        QVERIFY(later.engine().idle());

        const QString named = sameFile ? clip : other;
        mp.setFileName(named);
        QVERIFY(waitFor([&] { return mp.PlayState() == 2 && mp.CurrentPosition() > 0.2; }));
        QCOMPARE(mp.engine().path(), named);
        QCOMPARE(int(starts.count()), sameFile ? 1 : 2);
        QVERIFY(waitFor([&] { return ends.count() == 1; }));
        QVERIFY(!mp.ErrorFlag());
    }

    // The engine made ahead on a worker thread at start-up plays for the first engine that takes it, also
    // when the outputs asked for differ from those it was made with.
    void engineMadeAhead_data()
    {
        QTest::addColumn<bool>("otherOutputs");
        QTest::newRow("same outputs") << false;
        QTest::newRow("other outputs") << true;
    }
    void engineMadeAhead()
    {
        QFETCH(bool, otherOutputs);
        const QByteArray before = qgetenv("PELLUM_NULL_AUDIO");
        MpvEngine::startEarly();
        qputenv("PELLUM_NULL_AUDIO", otherOutputs ? (before == "1" ? "0" : "1") : before);
        MpvEngine first;
        MpvEngine second;
        qputenv("PELLUM_NULL_AUDIO", before);
        for (MpvEngine* e : {&first, &second}) {
            QVERIFY(e->isValid());
            QSignalSpy ends(e, &MpvEngine::fileEnded);
            e->load(writeWav(env.path("early.wav"), 0.3));
            QVERIFY(waitFor([&] { return ends.count() == 1; }));
            QCOMPARE(ends.first().first().toString(), QStringLiteral("eof"));
        }
    }

    // The check made before an entry opens does not wait for the window's thread: a play list goes on
    // playing while the window is busy.
    void entriesOpenWhileTheWindowIsBusy()
    {
        const QString wav = writeWav(env.path("busy.wav"), 4.0);
        MediaPlayer mp;
        mp.setFileName(env.writeFile("busy.m3u", "#EXTM3U\n" + wav.toUtf8() + "\n"));
        QThread::msleep(1500);  // no events
        QVERIFY2(waitFor([&] { return mp.CurrentPosition() >= 0.8; }, 400),
                 qPrintable(QStringLiteral("at %1 s").arg(mp.CurrentPosition())));
    }

    void flagMembersAndDisplaySize()
    {
        MediaPlayer mp;
        QVERIFY(!mp.flagMember(1056));
        mp.setFlagMember(1056, true);
        mp.setFlagMember(23, false);
        QVERIFY(mp.flagMember(1056));
        QVERIFY(!mp.flagMember(23));
        mp.setDisplaySize(3);
        QCOMPARE(mp.DisplaySize(), 3);
        mp.setDisplaySize(4);
        QCOMPARE(mp.DisplaySize(), 4);
        QCOMPARE(mp.BufferingProgress(), 100);
        QCOMPARE(mp.Bandwidth(), 0L);
    }
};

QTEST_MAIN(MediaPlayerTest)
#include "test_mediaplayer.moc"
