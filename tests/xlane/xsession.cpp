#include "tests/xlane/xsession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSet>
#include <QStandardPaths>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>
#include <X11/keysym.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

pid_t xvfbPid = 0;
pid_t wmPid = 0;
Display* input = nullptr;

// Starts a program that ends with this suite: should the suite die on a fault before stop(), the kernel
// sends the program SIGTERM, so no server is left holding the test runner's output open. `closeFd` is
// closed in the program, and `quiet` sends its output to /dev/null. Gives 0 when the program is not installed.
pid_t spawn(const std::vector<std::string>& args, int closeFd, bool quiet)
{
    if (QStandardPaths::findExecutable(QString::fromStdString(args.front())).isEmpty())
        return 0;
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0)
        return 0;
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(127);
        if (closeFd >= 0)
            close(closeFd);
        if (quiet) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

void end(pid_t& pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = 0;
            return;
        }
        usleep(20000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = 0;
}

// Reads the display number that Xvfb writes to the pipe once it accepts connections.
int readDisplay(int fd, int timeoutMs)
{
    std::string text;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        char buf[32];
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        text.append(buf, size_t(n));
        if (text.find('\n') != std::string::npos)
            return std::atoi(text.c_str());
    }
    return -1;
}

Display* display()
{
    if (!input)
        input = XOpenDisplay(nullptr);
    return input;
}

}  // namespace

namespace XSession {

bool start(QSize screen, QString* error)
{
    int fds[2];
    if (pipe(fds) != 0) {
        *error = QStringLiteral("no pipe");
        return false;
    }
    const std::string geometry = std::to_string(screen.width()) + 'x' + std::to_string(screen.height()) + "x24";
    xvfbPid = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", geometry, "-nolisten", "tcp",
                     "-noreset", "+extension", "XTEST"},
                    fds[0], false);
    close(fds[1]);
    if (!xvfbPid) {
        close(fds[0]);
        *error = QStringLiteral("Xvfb could not be started (is the xvfb package installed?)");
        return false;
    }
    const int number = readDisplay(fds[0], 15000);
    close(fds[0]);
    if (number < 0) {
        end(xvfbPid);
        *error = QStringLiteral("Xvfb did not come up");
        return false;
    }
    const std::string name = ':' + std::to_string(number);
    setenv("DISPLAY", name.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    unsetenv("PELLUM_NULL_OUTPUT");
    setenv("PELLUM_NULL_AUDIO", "1", 1);
    unsetenv("WAYLAND_DISPLAY");

    wmPid = spawn({"openbox", "--sm-disable"}, -1, true);
    if (!wmPid) {
        stop();
        *error = QStringLiteral("openbox could not be started (is the openbox package installed?)");
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    while (windowManagerName().isEmpty()) {
        if (clock.elapsed() > 15000) {
            stop();
            *error = QStringLiteral("openbox did not take the display");
            return false;
        }
        usleep(20000);
    }
    return true;
}

void stop()
{
    if (input) {
        XCloseDisplay(input);
        input = nullptr;
    }
    end(wmPid);
    end(xvfbPid);
}

bool pointerGrabbed()
{
    Display* d = display();
    if (!d)
        return false;
    const int r = XGrabPointer(d, DefaultRootWindow(d), False, ButtonPressMask, GrabModeAsync, GrabModeAsync, None,
                               None, CurrentTime);
    if (r == GrabSuccess)
        XUngrabPointer(d, CurrentTime);
    XSync(d, False);
    return r == AlreadyGrabbed;
}

QString windowManagerName()
{
    Display* d = display();
    if (!d)
        return QString();
    const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
    const Atom wmName = XInternAtom(d, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    QString name;
    if (XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, XA_WINDOW, &type, &format, &count, &after,
                           &data) == Success &&
        data && count == 1) {
        const Window w = *reinterpret_cast<Window*>(data);
        XFree(data);
        data = nullptr;
        if (XGetWindowProperty(d, w, wmName, 0, 64, False, utf8, &type, &format, &count, &after, &data) == Success &&
            data)
            name = QString::fromUtf8(reinterpret_cast<char*>(data), int(count));
    }
    if (data)
        XFree(data);
    return name;
}

bool pointerInvisible()
{
    Display* d = display();
    int event = 0, error = 0;
    if (!d || !XFixesQueryExtension(d, &event, &error))
        return false;
    XFixesCursorImage* image = XFixesGetCursorImage(d);
    if (!image)
        return false;
    bool invisible = true;
    for (int i = 0; i < int(image->width) * int(image->height); ++i)
        invisible = invisible && (image->pixels[i] >> 24) == 0;
    XFree(image);
    return invisible;
}

namespace {

// The root window's property `name`, a list of windows.
QList<unsigned long> rootWindows(const char* name)
{
    QList<unsigned long> out;
    Display* d = display();
    if (!d)
        return out;
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, DefaultRootWindow(d), XInternAtom(d, name, False), 0, 4096, False, XA_WINDOW, &type,
                           &format, &count, &after, &data) == Success &&
        data) {
        const auto* windows = reinterpret_cast<const Window*>(data);
        for (unsigned long i = 0; i < count; ++i)
            out << windows[i];
    }
    if (data)
        XFree(data);
    return out;
}

}  // namespace

unsigned long activeWindow()
{
    const QList<unsigned long> w = rootWindows("_NET_ACTIVE_WINDOW");
    return w.isEmpty() ? 0 : w.first();
}

QList<unsigned long> stackingOrder() { return rootWindows("_NET_CLIENT_LIST_STACKING"); }

QString windowName(unsigned long window)
{
    Display* d = display();
    if (!d || !window)
        return QString();
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    QString name;
    if (XGetWindowProperty(d, window, XInternAtom(d, "_NET_WM_NAME", False), 0, 256, False,
                           XInternAtom(d, "UTF8_STRING", False), &type, &format, &count, &after, &data) == Success &&
        data)
        name = QString::fromUtf8(reinterpret_cast<char*>(data), int(count));
    if (data)
        XFree(data);
    return name;
}

QRect windowGeometry(unsigned long window)
{
    Display* d = display();
    Window root = 0, child = 0;
    int x = 0, y = 0, gx = 0, gy = 0;
    unsigned int w = 0, h = 0, border = 0, depth = 0;
    if (!d || !XGetGeometry(d, window, &root, &x, &y, &w, &h, &border, &depth) ||
        !XTranslateCoordinates(d, window, root, 0, 0, &gx, &gy, &child))
        return QRect();
    return QRect(gx, gy, int(w), int(h));
}

}  // namespace XSession

namespace XInput {

void settle(int ms)
{
    QElapsedTimer clock;
    clock.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    } while (clock.elapsed() < ms);
}

void moveTo(const QPoint& global)
{
    if (Display* d = display()) {
        XTestFakeMotionEvent(d, -1, global.x(), global.y(), CurrentTime);
        XSync(d, False);
    }
    settle(60);
}

void press(int button)
{
    if (Display* d = display()) {
        XTestFakeButtonEvent(d, unsigned(button), True, CurrentTime);
        XSync(d, False);
    }
    settle(60);
}

void release(int button)
{
    if (Display* d = display()) {
        XTestFakeButtonEvent(d, unsigned(button), False, CurrentTime);
        XSync(d, False);
    }
    settle(60);
}

void click(int button)
{
    press(button);
    release(button);
}

void doubleClick(int button)
{
    if (Display* d = display()) {
        for (int i = 0; i < 2; ++i) {
            XTestFakeButtonEvent(d, unsigned(button), True, CurrentTime);
            XTestFakeButtonEvent(d, unsigned(button), False, CurrentTime);
        }
        XSync(d, False);
    }
    settle(100);
}

void key(const QString& keysym)
{
    Display* d = display();
    if (!d)
        return;
    const KeyCode code = XKeysymToKeycode(d, XStringToKeysym(keysym.toLatin1().constData()));
    if (code) {
        XTestFakeKeyEvent(d, code, True, CurrentTime);
        XTestFakeKeyEvent(d, code, False, CurrentTime);
        XSync(d, False);
    }
    settle(60);
}

void keyChord(const QStringList& keysyms)
{
    Display* d = display();
    if (!d)
        return;
    QList<KeyCode> codes;
    for (const QString& k : keysyms)
        codes << XKeysymToKeycode(d, XStringToKeysym(k.toLatin1().constData()));
    for (const KeyCode code : codes)
        XTestFakeKeyEvent(d, code, True, CurrentTime);
    for (auto it = codes.crbegin(); it != codes.crend(); ++it)
        XTestFakeKeyEvent(d, *it, False, CurrentTime);
    XSync(d, False);
    settle(60);
}

}  // namespace XInput

namespace XScreen {

int barColours(const QImage& image, const QRect& area)
{
    auto level = [](int v) { return v > 170 ? 1 : v < 70 ? 0 : -1; };
    QSet<int> seen;
    const QRect r = area & image.rect();
    for (int y = r.top(); y <= r.bottom(); y += 3)
        for (int x = r.left(); x <= r.right(); x += 3) {
            const QRgb c = image.pixel(x, y);
            const int red = level(qRed(c)), green = level(qGreen(c)), blue = level(qBlue(c));
            if (red < 0 || green < 0 || blue < 0)
                continue;
            const int code = red * 4 + green * 2 + blue;
            if (code != 0 && code != 7)  // neither black nor white
                seen.insert(code);
        }
    return int(seen.size());
}

}  // namespace XScreen
