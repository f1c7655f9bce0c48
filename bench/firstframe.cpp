// Start-up to the first video frame, side by side with the plain mpv program, on one Xvfb display with
// the openbox window manager: each run starts the program with a 10 s 1280x720 H.264 file (made here by
// ffmpeg) and polls the screen until the picture's colours show, from just before the process starts.
// Also the player's resident memory idle and playing.
// Run: build/bench_firstframe [runs, 11 by default] [player program, build/pellum by default] (needs Xvfb, openbox, ffmpeg and mpv; sound goes to the null output).
#include "tests/support/testenv.h"
#include "tests/xlane/xsession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QTemporaryDir>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <cstdio>
#include <set>

namespace {

Display* dpy = nullptr;

// Whether the test picture shows anywhere on the screen: four or more of its saturated bar colours
// among a sparse grid of the screen's pixels.
bool pictureShows()
{
    const Window root = DefaultRootWindow(dpy);
    XWindowAttributes a;
    XGetWindowAttributes(dpy, root, &a);
    XImage* img = XGetImage(dpy, root, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
    if (!img)
        return false;
    std::set<int> seen;
    auto level = [](unsigned v) { return v > 170 ? 1 : v < 70 ? 0 : -1; };
    for (int y = 0; y < a.height && seen.size() < 4; y += 12)
        for (int x = 0; x < a.width; x += 12) {
            const unsigned long p = XGetPixel(img, x, y);
            const int r = level((p >> 16) & 0xff), g = level((p >> 8) & 0xff), b = level(p & 0xff);
            if (r < 0 || g < 0 || b < 0)
                continue;
            const int code = r * 4 + g * 2 + b;
            if (code != 0 && code != 7)
                seen.insert(code);
        }
    XDestroyImage(img);
    return seen.size() >= 4;
}

long residentKb(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

void end(QProcess& p)
{
    p.terminate();
    if (!p.waitForFinished(3000)) {
        p.kill();
        p.waitForFinished(3000);
    }
}

struct Run {
    qint64 ms = -1;   // to the first frame, -1 when it never showed
    long rssKb = -1;  // resident memory two seconds into playing
};

// Starts `program`, waits for the picture, notes the memory, ends it and waits for the screen to clear.
Run firstFrame(const QString& program, const QStringList& args, const QProcessEnvironment& env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    Run r;
    QElapsedTimer clock;
    clock.start();
    p.start(program, args);
    while (clock.elapsed() < 15000) {
        if (pictureShows()) {
            r.ms = clock.elapsed();
            break;
        }
        QThread::usleep(2000);
    }
    if (r.ms >= 0) {
        QThread::msleep(2000);
        r.rssKb = residentKb(p.processId());
    }
    end(p);
    for (int i = 0; i < 500 && pictureShows(); ++i)
        QThread::msleep(10);
    return r;
}

qint64 median(std::vector<qint64> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    QString error;
    if (!XSession::start(QSize(1280, 1024), &error)) {
        fprintf(stderr, "bench: %s\n", qPrintable(error));
        return 1;
    }
    int rc = 0;
    {
        QCoreApplication app(argc, argv);
        const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 11;
        dpy = XOpenDisplay(nullptr);
        const QString player = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                        : QCoreApplication::applicationDirPath() + QStringLiteral("/pellum");
        const QString mpv = QStandardPaths::findExecutable(QStringLiteral("mpv"));
        QTemporaryDir dir;
        const QString clip = dir.filePath(QStringLiteral("clip.mp4"));
        if (!dpy || !QFile::exists(player) || mpv.isEmpty() || !writeTestVideo(clip, 10, QStringLiteral("1280x720"))) {
            fprintf(stderr, "bench: needs the built player (%s), mpv (apt-get install mpv) and ffmpeg\n",
                    qPrintable(player));
            rc = 1;
        } else {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("PELLUM_HOME"), dir.filePath(QStringLiteral("home")));
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
            // The player's flat buttons, registered for this configuration as an install does.
            QProcess reg;
            reg.setProcessEnvironment(env);
            reg.start(QCoreApplication::applicationDirPath() + QStringLiteral("/brimlet-register"),
                      {QCoreApplication::applicationDirPath() + QStringLiteral("/libBrimlet.so")});
            reg.waitForFinished(10000);
            const QStringList mpvArgs{QStringLiteral("--no-config"), QStringLiteral("--ao=null"),
                                      QStringLiteral("--vo=x11"), clip};
            // One run of each first, not counted: it fills the file cache and the player's program folder.
            firstFrame(player, {clip}, env);
            firstFrame(mpv, mpvArgs, env);
            std::vector<qint64> ours, theirs;
            long ourRss = -1, theirRss = -1;
            for (int i = 0; i < runs; ++i) {
                // The order alternates, so neither program always comes second.
                for (int k = 0; k < 2; ++k) {
                    const bool mine = (i + k) % 2 == 0;
                    const Run r = mine ? firstFrame(player, {clip}, env) : firstFrame(mpv, mpvArgs, env);
                    (mine ? ours : theirs).push_back(r.ms);
                    (mine ? ourRss : theirRss) = r.rssKb;
                    printf("run %d %-7s %5lld ms\n", i + 1, mine ? "pellum" : "mpv", static_cast<long long>(r.ms));
                    fflush(stdout);
                }
            }
            // Idle: no file, the main window shown.
            QProcess idle;
            idle.setProcessEnvironment(env);
            idle.setStandardOutputFile(QProcess::nullDevice());
            idle.start(player, {});
            QThread::msleep(3000);
            const long idleRss = residentKb(idle.processId());
            end(idle);

            const qint64 a = median(ours), b = median(theirs);
            printf("\nfirst frame, median of %d: pellum %lld ms, mpv %lld ms (--vo=x11 --ao=null), ratio %.2f\n",
                   runs, static_cast<long long>(a), static_cast<long long>(b), b > 0 ? double(a) / double(b) : 0.0);
            printf("resident memory: pellum idle %ld MB, playing %ld MB; mpv playing %ld MB\n", idleRss / 1024,
                   ourRss / 1024, theirRss / 1024);
        }
        if (dpy)
            XCloseDisplay(dpy);
    }
    XSession::stop();
    return rc;
}
