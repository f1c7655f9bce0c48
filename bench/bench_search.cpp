// The media search against find(1): a tree of 100 000 files in 10 000 folders, made here, searched for
// "*.mp3" with a warm cache by Find File(s) in a shown search window and by `find DIR -iname '*.mp3'`,
// in turns; prints the medians, their ratio and the resident memory once 100 000 results are listed.
// Run: build/bench_search [folder to make the tree in]   (offscreen needs no display)
#include "platform/dialogs.h"
#include "platform/drives/drives.h"
#include "player/compact/find.h"
#include "player/loadk.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kTop = 100, kSub = 99, kFilesPerFolder = 10;  // 10 000 folders, 100 000 files

void makeFolder(const QByteArray& path)
{
    ::mkdir(path.constData(), 0755);
    for (int f = 0; f < kFilesPerFolder; ++f) {
        const QByteArray file = path + "/track " + QByteArray::number(f) + ".mp3";
        const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0)
            ::close(fd);
    }
}

qint64 residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    TestEnv env;
    const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    QTemporaryDir tree(base + QStringLiteral("/pellum-bench-XXXXXX"));
    if (!tree.isValid()) {
        std::fprintf(stderr, "cannot make a folder in %s\n", qPrintable(base));
        return 1;
    }
    QElapsedTimer made;
    made.start();
    const QByteArray root = QFile::encodeName(tree.path());
    for (int t = 0; t < kTop; ++t) {
        const QByteArray top = root + "/album " + QByteArray::number(t);
        makeFolder(top);
        for (int s = 0; s < kSub; ++s)
            makeFolder(top + "/disc " + QByteArray::number(s));
    }
    std::printf("tree: %d folders, %d files in %s, made in %.1f s\n", kTop * (kSub + 1),
                kTop * (kSub + 1) * kFilesPerFolder, qPrintable(tree.path()), made.elapsed() / 1000.0);

    Drives::setTableForTests(QList<Drives::Drive>{{'C', Drives::Fixed, tree.path(), {}}});
    const qint64 before = residentKb();
    find& w = find::instance();
    w.show();
    loadk::instance().hide();

    auto ours = [&] {
        QElapsedTimer t;
        t.start();
        Dialogs::answer(QStringLiteral("*.mp3"));
        w.mnuFindFiles->trigger();
        const double ms = t.nsecsElapsed() / 1e6;
        if (w.List1->ListCount() != kTop * (kSub + 1) * kFilesPerFolder)
            std::fprintf(stderr, "the search listed %d rows\n", w.List1->ListCount());
        return ms;
    };
    auto theirs = [&] {
        QElapsedTimer t;
        t.start();
        QProcess p;
        p.start(QStringLiteral("find"), {tree.path(), QStringLiteral("-iname"), QStringLiteral("*.mp3")});
        QByteArray out;
        while (p.state() != QProcess::NotRunning || p.bytesAvailable() > 0) {
            p.waitForReadyRead(100);
            out += p.readAllStandardOutput();
        }
        const double ms = t.nsecsElapsed() / 1e6;
        if (out.count('\n') != kTop * (kSub + 1) * kFilesPerFolder)
            std::fprintf(stderr, "find listed %lld rows\n", static_cast<long long>(out.count('\n')));
        return ms;
    };

    // Warm the cache with one of each, then take turns.
    ours();
    const qint64 afterOne = residentKb();
    theirs();
    std::vector<double> a, b;
    for (int i = 0; i < 7; ++i) {
        a.push_back(ours());
        b.push_back(theirs());
    }
    const double oursMs = median(a), findMs = median(b);
    std::printf("Find File(s) *.mp3: median %.1f ms over %zu runs (the window shown, its list filled)\n", oursMs,
                a.size());
    std::printf("find DIR -iname '*.mp3': median %.1f ms over %zu runs\n", findMs, b.size());
    std::printf("ratio ours / find: %.2f\n", oursMs / findMs);
    std::printf("resident memory with %d results listed: %lld MB after the first search, %lld MB after %zu more "
                "(%lld MB before the search window)\n",
                w.List1->ListCount(), afterOne / 1024, residentKb() / 1024, a.size(), before / 1024);
    SingleWindow<find>::release();
    SingleWindow<loadk>::release();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Drives::setTableForTests(std::nullopt);
    return 0;
}
