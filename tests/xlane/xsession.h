#pragma once
// A real X display for the suites that need one: an Xvfb server with the openbox window manager,
// started by the suite before its QApplication, and pointer and key input sent through the X server's
// XTest extension, exactly as a person's mouse and keyboard arrive.
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

namespace XSession {

// Starts Xvfb on a free display, a session bus and openbox on it, and points DISPLAY, QT_QPA_PLATFORM (xcb)
// and DBUS_SESSION_BUS_ADDRESS at them.
// The media engine's video goes to the real display; its sound goes to the null output.
// Returns false with `error` set when either program is missing or does not come up.
bool start(QSize screen, QString* error);
// Ends openbox and Xvfb.
void stop();

// Whether some client of the server holds the pointer grabbed: then no other program gets a click.
bool pointerGrabbed();
// The name of the window manager's check window (empty when no window manager runs).
QString windowManagerName();
// Whether the pointer, where it stands, shows no pixel at all (every pixel of its picture transparent).
bool pointerInvisible();
// The window that the window manager holds active (_NET_ACTIVE_WINDOW), 0 when none.
unsigned long activeWindow();
// The windows the window manager keeps, from the bottom of the stack to the top.
QList<unsigned long> stackingOrder();
// A window's title (_NET_WM_NAME).
QString windowName(unsigned long window);
// Where a window's inside lies on the screen.
QRect windowGeometry(unsigned long window);

// The pixmap a root window property (_XROOTPMAP_ID, ESETROOT_PMAP_ID) names, 0 when none.
unsigned long rootPixmap(const char* property);
// The size of a pixmap the server holds; empty when it holds none of that id.
QSize pixmapSize(unsigned long pixmap);
// What a pixmap holds, or what the root window shows (`drawable` 0), as 0xffRRGGBB pixels.
QImage drawableImage(unsigned long drawable, QSize size);
// A pixmap this test's connection holds (freed when the suite's connection ends), named in the root
// window property `property` as another program would name it.
unsigned long holdRootPixmap(const char* property, QSize size);

}  // namespace XSession

namespace XScreen {

// How many of the test picture's bar colours (writeTestVideo: the mixes of bright or dark red, green and
// blue) show in the pixels of `area` of `image`. The desktop, a window's skin and a black video area
// show none.
int barColours(const QImage& image, const QRect& area);

}  // namespace XScreen

namespace XInput {

void moveTo(const QPoint& global);
void press(int button = 1);
void release(int button = 1);
void click(int button = 1);
// A press and its release sent together, so that both reach the program in one read: the zero-length
// click of a quick finger.
void quickClick(int button = 1);
void doubleClick(int button = 1);
// A key by its X key name ("Escape", "Return", "a").
void key(const QString& keysym);
// Keys held together, pressed in order and let go in the reverse order ({"Alt_L", "F4"}).
void keyChord(const QStringList& keysyms);
// Processes the application's events for `ms` milliseconds, so that what the server sent arrives.
void settle(int ms = 150);

}  // namespace XInput

// A drag of files from another program: a client of its own on the X server that offers the files as
// "text/uri-list" and speaks the drag-and-drop protocol (XDND) to the window under the point it is
// moved to, as a file manager does. The window there is told of the drag entering, moving and
// leaving, answers whether it would take a drop, and fetches the files from this client on a drop.
class XDragSource {
public:
    explicit XDragSource(const QStringList& uris);
    ~XDragSource();
    XDragSource(const XDragSource&) = delete;
    XDragSource& operator=(const XDragSource&) = delete;

    // Whether the client is connected to the server.
    bool ready() const;
    // Moves the drag to a point of the screen and waits for the answer of the window there.
    void moveTo(const QPoint& global);
    // Whether the window under the drag answered its last position with "a drop would be taken".
    bool accepted() const;
    // Drops where the drag stands; returns whether the window took it (it fetched the files and
    // reported the drop done and accepted).
    bool drop();

private:
    struct Client;
    Client* c;
};

// main() for a suite of the X lane: the display comes up before the application.
#define PELLUM_XLANE_MAIN(TestObject)                                                     \
    int main(int argc, char** argv)                                                       \
    {                                                                                     \
        QString error;                                                                    \
        if (!XSession::start(QSize(1280, 1024), &error)) {                                \
            fprintf(stderr, "X lane: %s\n", qPrintable(error));                           \
            return 1;                                                                     \
        }                                                                                 \
        int rc;                                                                           \
        {                                                                                 \
            QApplication app(argc, argv);                                                 \
            TestObject tc;                                                                \
            rc = QTest::qExec(&tc, argc, argv);                                           \
        }                                                                                 \
        XSession::stop();                                                                 \
        return rc;                                                                        \
    }
