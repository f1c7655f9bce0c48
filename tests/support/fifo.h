#pragma once
// Named pipes in the places of files, and a watch on code that reads them: a reader that waits on a pipe
// with nobody writing to it would hang the test, so the watch lets it go after three seconds and the
// test sees how long it took.
#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <atomic>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

inline bool makeFifo(const QString& path) { return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0; }

inline bool isFifo(const QString& path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

// Runs `read` and returns how many milliseconds it took; after three seconds a writer opens and closes
// the pipe `fifo`, which ends a read still waiting on it.
inline qint64 msTakenBeside(const QString& fifo, const std::function<void()>& read)
{
    std::atomic<bool> done{false};
    std::thread rescue([&] {
        for (int i = 0; i < 300 && !done; ++i)
            ::usleep(10000);
        if (done)
            return;
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    });
    QElapsedTimer t;
    t.start();
    read();
    const qint64 ms = t.elapsed();
    done = true;
    rescue.join();
    return ms;
}
