// The screen saver's memory with a large photo: one 6000 x 4000 JPEG in the picture folder, shown by the
// saver on a 1280 x 1024 screen through a row of transitions (rows, columns, a slide, a sweep, blocks,
// waves), tick after tick as the saver runs. Prints each tick's time and resident size, and the peak
// resident size of the ticks (VmHWM, reset once the photo is written and the saver is up).
// Run: build/bench_saver_memory (offscreen; needs no display).
#include "bench/offscreenscreen.h"
#include "player/tools/scr1.h"
#include "player/tools/scrset.h"
#include "tests/support/testenv.h"
#include "ui/filelistbox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryFile>
#include <clocale>
#include <cstdio>

namespace {

// A line of /proc/self/status, in MB ("VmHWM", "VmRSS").
double statusMb(const char* key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// Starts the peak resident size afresh from what the process holds now.
bool resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
}

// A photo-like picture: gradients and grain, so the JPEG is of a camera's size.
bool writePhoto(const QString& path, int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int grain = int(random.bounded(24));
            line[x] = qRgb((x * 255 / w + grain) & 255, (y * 255 / h + grain) & 255, ((x + y) / 16 + grain) & 255);
        }
    }
    return img.save(path, "JPEG", 90);
}

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryFile screens;
    if (!useOffscreenScreen(screens))
        return 1;
    TestEnv env;
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");

    const QString folder = env.path(QStringLiteral("photos"));
    QDir().mkpath(folder);
    if (!writePhoto(folder + QStringLiteral("/big.jpg"), 6000, 4000)) {
        std::fprintf(stderr, "cannot write the photo\n");
        return 1;
    }
    SCR1& saver = SCR1::instance();
    saver.File1->setPath(folder);
    saver.setInterval(0);
    saver.show();
    QCoreApplication::processEvents();
    std::printf("screen %dx%d, saver window %dx%d, photo 6000x4000 JPEG (%lld bytes)\n",
                saver.screen()->size().width(), saver.screen()->size().height(), saver.width(), saver.height(),
                QFileInfo(folder + QStringLiteral("/big.jpg")).size());
    std::printf("resident before the first tick: %.0f MB\n", statusMb("VmRSS"));
    if (!resetPeak())
        std::printf("(the peak could not be reset: it includes writing the photo)\n");

    // Rows, columns both ways, a slide, a sweep of blocks, random blocks, waves, a growing rectangle.
    const int effects[] = {2, 4, 1, 23, 10, 8, 27, 14, 5};
    for (const int effect : effects) {
        saver.EffectIndex = qint16(effect);
        QElapsedTimer clock;
        clock.start();
        saver.Timer1_Timer();
        std::printf("%-10s %6lld ms  resident %5.0f MB\n",
                    qPrintable(SCRSET::EffectNames().value(effect)), clock.elapsed(), statusMb("VmRSS"));
    }
    std::printf("peak resident during the ticks: %.0f MB\n", statusMb("VmHWM"));
    SCR1::release();
    return 0;
}
