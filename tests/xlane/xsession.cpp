#include "tests/xlane/xsession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSet>
#include <QStandardPaths>
#include <QThread>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
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
pid_t busPid = 0;
std::string busConfig;
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

// Reads the first line a program writes to the pipe (Xvfb's display number once it accepts connections,
// the bus's address once it listens); empty when none comes in time.
std::string readLine(int fd, int timeoutMs)
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
        if (const size_t end = text.find('\n'); end != std::string::npos)
            return text.substr(0, end);
    }
    return std::string();
}

// Starts `args`, with the number of a new pipe's write end where "{fd}" stands, and gives the first line
// the program writes there; `pid` is 0 when the program is not installed. `quiet` as for spawn().
std::string startAndRead(std::vector<std::string> args, pid_t& pid, bool quiet = false)
{
    int fds[2];
    if (pipe(fds) != 0)
        return std::string();
    for (std::string& a : args)
        if (const size_t at = a.find("{fd}"); at != std::string::npos)
            a.replace(at, 4, std::to_string(fds[1]));
    pid = spawn(args, fds[0], quiet);
    close(fds[1]);
    const std::string line = pid ? readLine(fds[0], 15000) : std::string();
    close(fds[0]);
    return line;
}

// The session's bus, as a desktop session has one: without it every program on the display would have
// its bus library fork an autolaunch helper, from a process whose threads are already busy. It starts no
// services: the accessibility bus that Qt asks after is not there, and the answer comes at once.
// Gives the bus's address, empty when it does not come up.
std::string startBus()
{
    char config[] = "/tmp/pellum-xlane-bus-XXXXXX";
    const int fd = mkstemp(config);
    if (fd < 0)
        return std::string();
    busConfig = config;
    const std::string text =
        "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>"
        "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
        "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
    const bool written = write(fd, text.data(), text.size()) == ssize_t(text.size());
    close(fd);
    if (!written)
        return std::string();
    return startAndRead({"dbus-daemon", "--config-file=" + busConfig, "--nofork", "--nopidfile", "--print-address={fd}"},
                        busPid, true);
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
    const std::string geometry = std::to_string(screen.width()) + 'x' + std::to_string(screen.height()) + "x24";
    const std::string number = startAndRead({"Xvfb", "-displayfd", "{fd}", "-screen", "0", geometry, "-nolisten",
                                             "tcp", "-noreset", "+extension", "XTEST"},
                                            xvfbPid);
    if (!xvfbPid) {
        *error = QStringLiteral("Xvfb could not be started (is the xvfb package installed?)");
        return false;
    }
    if (number.empty()) {
        end(xvfbPid);
        *error = QStringLiteral("Xvfb did not come up");
        return false;
    }
    const std::string name = ':' + number;
    setenv("DISPLAY", name.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    unsetenv("PELLUM_NULL_OUTPUT");
    setenv("PELLUM_NULL_AUDIO", "1", 1);
    unsetenv("WAYLAND_DISPLAY");
    const std::string bus = startBus();
    if (bus.empty()) {
        stop();
        *error = QStringLiteral("dbus-daemon could not be started (is the dbus-daemon package installed?)");
        return false;
    }
    setenv("DBUS_SESSION_BUS_ADDRESS", bus.c_str(), 1);

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
    end(busPid);
    if (!busConfig.empty()) {
        unlink(busConfig.c_str());
        busConfig.clear();
    }
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

unsigned long rootPixmap(const char* property)
{
    Display* d = display();
    if (!d)
        return 0;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    unsigned long value = 0;
    if (XGetWindowProperty(d, DefaultRootWindow(d), XInternAtom(d, property, False), 0, 1, False, XA_PIXMAP, &type,
                           &format, &count, &after, &data) == Success &&
        type == XA_PIXMAP && count == 1 && data)
        value = *reinterpret_cast<unsigned long*>(data);
    if (data)
        XFree(data);
    return value;
}

namespace {
bool xFailed = false;
int noteXError(Display*, XErrorEvent*)
{
    xFailed = true;
    return 0;
}
}  // namespace

QSize pixmapSize(unsigned long pixmap)
{
    Display* d = display();
    if (!d || !pixmap)
        return {};
    xFailed = false;
    XErrorHandler before = XSetErrorHandler(noteXError);
    Window r;
    int x, y;
    unsigned w = 0, h = 0, border, depth;
    const bool ok = XGetGeometry(d, pixmap, &r, &x, &y, &w, &h, &border, &depth);
    XSync(d, False);
    XSetErrorHandler(before);
    return ok && !xFailed ? QSize(int(w), int(h)) : QSize();
}

QImage drawableImage(unsigned long drawable, QSize size)
{
    Display* d = display();
    if (!d)
        return {};
    XImage* xi = XGetImage(d, drawable ? drawable : DefaultRootWindow(d), 0, 0, unsigned(size.width()),
                           unsigned(size.height()), AllPlanes, ZPixmap);
    if (!xi)
        return {};
    QImage out(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            out.setPixel(x, y, 0xFF000000 | (XGetPixel(xi, x, y) & 0xFFFFFF));
    XDestroyImage(xi);
    return out;
}

unsigned long holdRootPixmap(const char* property, QSize size)
{
    Display* d = display();
    if (!d)
        return 0;
    Pixmap p = XCreatePixmap(d, DefaultRootWindow(d), unsigned(size.width()), unsigned(size.height()),
                             unsigned(DefaultDepth(d, DefaultScreen(d))));
    XChangeProperty(d, DefaultRootWindow(d), XInternAtom(d, property, False), XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&p), 1);
    XSync(d, False);
    return p;
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

void quickClick(int button)
{
    if (Display* d = display()) {
        XTestFakeButtonEvent(d, unsigned(button), True, CurrentTime);
        XTestFakeButtonEvent(d, unsigned(button), False, CurrentTime);
        XSync(d, False);
    }
    settle(60);
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

// --- a drag from another client ---

// The client runs on a thread of its own, so that it answers the target's request for the files while
// the application's thread waits for them inside its own event handling.
struct XDragSource::Client {
    Display* d = nullptr;
    Window source = 0;
    Window target = 0;  // the window told of the drag, 0 when none
    QByteArray data;
    Atom aware, enter, position, status, leave, dropAtom, finished, selection, uriList, copy;

    std::mutex lock;
    std::deque<std::function<void()>> commands;  // run on the client's thread
    std::atomic<bool> stop{false};
    std::atomic<int> answers{0};       // XdndStatus messages seen
    std::atomic<bool> lastAccept{false};
    std::atomic<int> finishes{0};      // XdndFinished messages seen
    std::atomic<bool> finishAccept{false};
    std::atomic<int> fetches{0};       // requests for the files answered
    std::thread thread;

    void send(Window to, Atom type, long l1, long l2, long l3, long l4)
    {
        XEvent ev{};
        ev.xclient.type = ClientMessage;
        ev.xclient.display = d;
        ev.xclient.window = to;
        ev.xclient.message_type = type;
        ev.xclient.format = 32;
        ev.xclient.data.l[0] = long(source);
        ev.xclient.data.l[1] = l1;
        ev.xclient.data.l[2] = l2;
        ev.xclient.data.l[3] = l3;
        ev.xclient.data.l[4] = l4;
        XSendEvent(d, to, False, NoEventMask, &ev);
        XFlush(d);
    }

    // The window that takes drags under a point of the screen: the innermost window there that
    // carries XdndAware, with the version it speaks.
    Window awareAt(int x, int y, long* version)
    {
        const Window root = DefaultRootWindow(d);
        Window parent = root, found = 0;
        for (int depth = 0; depth < 16; ++depth) {
            Window child = 0;
            int cx = 0, cy = 0;
            if (!XTranslateCoordinates(d, root, parent, x, y, &cx, &cy, &child))
                break;
            if (!child)
                break;
            Atom type = 0;
            int format = 0;
            unsigned long n = 0, after = 0;
            unsigned char* prop = nullptr;
            if (XGetWindowProperty(d, child, aware, 0, 1, False, AnyPropertyType, &type, &format, &n, &after, &prop) ==
                    Success &&
                prop && n == 1) {
                found = child;
                *version = *reinterpret_cast<long*>(prop);
            }
            if (prop)
                XFree(prop);
            parent = child;
        }
        return found;
    }

    void moveTo(int x, int y)
    {
        long version = 0;
        const Window under = awareAt(x, y, &version);
        if (under != target) {
            if (target)
                send(target, leave, 0, 0, 0, 0);
            target = under;
            if (target)
                send(target, enter, long(qMin(5L, version)) << 24, long(uriList), 0, 0);
        }
        if (target)
            send(target, position, 0, (long(x) << 16) | long(y), CurrentTime, long(copy));
        else
            answers.fetch_add(1);  // no window to answer
    }

    void handle(XEvent& ev)
    {
        if (ev.type == ClientMessage && ev.xclient.message_type == status) {
            lastAccept = (ev.xclient.data.l[1] & 1) != 0;
            answers.fetch_add(1);
        } else if (ev.type == ClientMessage && ev.xclient.message_type == finished) {
            finishAccept = (ev.xclient.data.l[1] & 1) != 0;
            finishes.fetch_add(1);
        } else if (ev.type == SelectionRequest) {
            const XSelectionRequestEvent& r = ev.xselectionrequest;
            XEvent reply{};
            reply.xselection.type = SelectionNotify;
            reply.xselection.display = d;
            reply.xselection.requestor = r.requestor;
            reply.xselection.selection = r.selection;
            reply.xselection.target = r.target;
            reply.xselection.time = r.time;
            reply.xselection.property = None;
            if (r.target == uriList && r.property != None) {
                XChangeProperty(d, r.requestor, r.property, uriList, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(data.constData()), int(data.size()));
                reply.xselection.property = r.property;
                fetches.fetch_add(1);
            }
            XSendEvent(d, r.requestor, False, NoEventMask, &reply);
            XFlush(d);
        }
    }

    void run()
    {
        while (!stop) {
            std::deque<std::function<void()>> now;
            {
                std::lock_guard<std::mutex> g(lock);
                now.swap(commands);
            }
            for (auto& f : now)
                f();
            while (XPending(d)) {
                XEvent ev;
                XNextEvent(d, &ev);
                handle(ev);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    void post(std::function<void()> f)
    {
        std::lock_guard<std::mutex> g(lock);
        commands.push_back(std::move(f));
    }
};

XDragSource::XDragSource(const QStringList& uris) : c(new Client)
{
    c->d = XOpenDisplay(nullptr);
    if (!c->d)
        return;
    for (const QString& u : uris)
        c->data += u.toUtf8() + "\r\n";
    auto atom = [this](const char* name) { return XInternAtom(c->d, name, False); };
    c->aware = atom("XdndAware");
    c->enter = atom("XdndEnter");
    c->position = atom("XdndPosition");
    c->status = atom("XdndStatus");
    c->leave = atom("XdndLeave");
    c->dropAtom = atom("XdndDrop");
    c->finished = atom("XdndFinished");
    c->selection = atom("XdndSelection");
    c->uriList = atom("text/uri-list");
    c->copy = atom("XdndActionCopy");
    c->source = XCreateSimpleWindow(c->d, DefaultRootWindow(c->d), -10, -10, 1, 1, 0, 0, 0);
    XSetSelectionOwner(c->d, c->selection, c->source, CurrentTime);
    XSync(c->d, False);
    c->thread = std::thread([this] { c->run(); });
}

XDragSource::~XDragSource()
{
    if (c->thread.joinable()) {
        c->stop = true;
        c->thread.join();
    }
    if (c->d) {
        XDestroyWindow(c->d, c->source);
        XCloseDisplay(c->d);
    }
    delete c;
}

bool XDragSource::ready() const { return c->d && c->thread.joinable(); }

void XDragSource::moveTo(const QPoint& global)
{
    if (!ready())
        return;
    const int before = c->answers;
    c->post([this, global] { c->moveTo(global.x(), global.y()); });
    QElapsedTimer clock;
    clock.start();
    while (c->answers == before && clock.elapsed() < 2000)
        XInput::settle(10);
    XInput::settle(20);
}

bool XDragSource::accepted() const { return c->lastAccept; }

bool XDragSource::drop()
{
    if (!ready())
        return false;
    const int before = c->finishes;
    c->post([this] {
        if (c->target)
            c->send(c->target, c->dropAtom, 0, CurrentTime, 0, 0);
    });
    QElapsedTimer clock;
    clock.start();
    while (c->finishes == before && clock.elapsed() < 5000)
        XInput::settle(10);
    XInput::settle(100);
    return c->finishes != before && c->finishAccept && c->fetches > 0;
}
