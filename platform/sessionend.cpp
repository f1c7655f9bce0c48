#include "platform/sessionend.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <cerrno>
#include <optional>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace SessionEnd {
namespace {

int wakeFds[2] = {-1, -1};  // the handler writes to [0], the loop reads [1]

std::function<void(const std::function<bool()>&)>& callback()
{
    static std::function<void(const std::function<bool()>&)> f;
    return f;
}

// Async-signal-safe: one byte into the socket, errno kept.
void onSignal(int sig)
{
    const int saved = errno;
    const char c = char(sig);
    [[maybe_unused]] const ssize_t n = ::write(wakeFds[0], &c, 1);
    errno = saved;
}

void run(const std::function<bool()>& mayAsk)
{
    if (callback())
        callback()(mayAsk);
}

void install()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, wakeFds) != 0) {
        qWarning("PellumPlayer: no socket pair for the session's end: %s", strerror(errno));
        return;
    }
    // A full socket never blocks the handler: one byte waiting is wake enough.
    ::fcntl(wakeFds[0], F_SETFL, ::fcntl(wakeFds[0], F_GETFL) | O_NONBLOCK);
    ::fcntl(wakeFds[1], F_SETFL, ::fcntl(wakeFds[1], F_GETFL) | O_NONBLOCK);
    auto* notifier = new QSocketNotifier(wakeFds[1], QSocketNotifier::Read, qGuiApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qGuiApp, [] {
        char buf[64];
        while (::read(wakeFds[1], buf, sizeof buf) > 0) {
        }
        run([] { return false; });
    });
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGHUP})
        ::sigaction(sig, &sa, nullptr);
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, qGuiApp, [](QSessionManager& manager) {
        // The manager is asked once, when the exit first wants to show something.
        std::optional<bool> allowed;
        run([&] {
            if (!allowed)
                allowed = manager.allowsErrorInteraction();
            return *allowed;
        });
        if (allowed)
            manager.release();
    });
}

}  // namespace

void watch(std::function<void(const std::function<bool()>& mayAsk)> ends)
{
    static bool installed = false;
    callback() = std::move(ends);
    if (!installed) {
        installed = true;
        install();
    }
}

}  // namespace SessionEnd
