#include "platform/desktop/xrootpicture.h"

#include <QPainter>

#include <cstdlib>
#include <cstring>

// Xlib's macros (None, Bool, Status...) come after every Qt header.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace XRootPicture {
namespace {

// The first error the server sent while a picture was being set; Xlib's own handler would end the
// program.
int firstError = 0;
int keepError(Display*, XErrorEvent* event)
{
    if (!firstError)
        firstError = event->error_code;
    return 0;
}

QString errorText(Display* display, int code)
{
    char text[256] = {};
    XGetErrorText(display, code, text, sizeof text - 1);
    return QString::fromLocal8Bit(text);
}

// The one pixmap a window property names, 0 when there is none.
Pixmap pixmapProperty(Display* display, Window root, Atom name)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Pixmap pixmap = 0;
    if (XGetWindowProperty(display, root, name, 0, 1, False, XA_PIXMAP, &type, &format, &count, &after, &data) == Success &&
        type == XA_PIXMAP && format == 32 && count == 1 && data)
        pixmap = *reinterpret_cast<unsigned long*>(data);
    if (data)
        XFree(data);
    return pixmap;
}

// How far a colour mask is shifted and how many bits it has.
void maskShape(unsigned long mask, int* shift, int* bits)
{
    *shift = 0;
    *bits = 0;
    if (!mask)
        return;
    while (!(mask & 1)) {
        mask >>= 1;
        ++*shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++*bits;
    }
}

unsigned long channel(int value, int shift, int bits) { return bits ? (static_cast<unsigned long>(value) >> (8 - qMin(bits, 8))) << shift : 0; }

// The screen-sized picture in the server's pixel layout. Only true-colour screens are served.
XImage* serverImage(Display* display, Visual* visual, int depth, const QImage& canvas, QString* error)
{
    if (visual->c_class != TrueColor && visual->c_class != DirectColor) {
        *error = QStringLiteral("the screen's colours are not true colours");
        return nullptr;
    }
    const int w = canvas.width(), h = canvas.height();
    XImage* image = XCreateImage(display, visual, depth, ZPixmap, 0, nullptr, w, h, 32, 0);
    if (!image) {
        *error = QStringLiteral("no picture of depth %1 can be made").arg(depth);
        return nullptr;
    }
    image->data = static_cast<char*>(std::malloc(static_cast<size_t>(image->bytes_per_line) * h));
    if (!image->data) {
        XDestroyImage(image);
        *error = QStringLiteral("there is not enough memory for the picture");
        return nullptr;
    }
    if (image->bits_per_pixel == 32 && visual->red_mask == 0xff0000 && visual->green_mask == 0xff00 && visual->blue_mask == 0xff) {
        // QImage's 32-bit pixels are 0xffRRGGBB in this machine's byte order; Xlib swaps them when the
        // server wants the other one.
        image->byte_order = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? LSBFirst : MSBFirst;
        for (int y = 0; y < h; ++y)
            std::memcpy(image->data + static_cast<size_t>(y) * image->bytes_per_line, canvas.constScanLine(y), static_cast<size_t>(w) * 4);
        return image;
    }
    int rs, rb, gs, gb, bs, bb;
    maskShape(visual->red_mask, &rs, &rb);
    maskShape(visual->green_mask, &gs, &gb);
    maskShape(visual->blue_mask, &bs, &bb);
    for (int y = 0; y < h; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
        for (int x = 0; x < w; ++x)
            XPutPixel(image, x, y, channel(qRed(line[x]), rs, rb) | channel(qGreen(line[x]), gs, gb) | channel(qBlue(line[x]), bs, bb));
    }
    return image;
}

}  // namespace

Result set(const QImage& picture, QString* error)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return NoDisplay;
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    const int depth = DefaultDepth(display, screen);
    const int w = DisplayWidth(display, screen), h = DisplayHeight(display, screen);

    QImage canvas(w, h, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    {
        const QImage fitted = picture.size() == canvas.size()
            ? picture
            : picture.scaled(canvas.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPainter painter(&canvas);
        painter.drawImage((w - fitted.width()) / 2, (h - fitted.height()) / 2, fitted);
    }
    XImage* image = serverImage(display, DefaultVisual(display, screen), depth, canvas, error);
    if (!image) {
        XCloseDisplay(display);
        return Refused;
    }
    canvas = QImage();

    firstError = 0;
    XErrorHandler before = XSetErrorHandler(keepError);
    const Pixmap pixmap = XCreatePixmap(display, root, static_cast<unsigned>(w), static_cast<unsigned>(h), static_cast<unsigned>(depth));
    GC gc = XCreateGC(display, pixmap, 0, nullptr);
    XPutImage(display, pixmap, gc, image, 0, 0, 0, 0, static_cast<unsigned>(w), static_cast<unsigned>(h));
    XFreeGC(display, gc);
    XDestroyImage(image);
    XSync(display, False);
    if (firstError) {
        // Nothing of ours stays on the server: the connection closes in the default mode.
        *error = errorText(display, firstError);
        XSetErrorHandler(before);
        XCloseDisplay(display);
        return Refused;
    }

    // A setter that left its pixmap behind named it in both properties; that client is gone, and
    // killing what it kept frees the old picture. A pixmap named in only one of them belongs to a
    // program that still runs and is left alone.
    const Atom rootId = XInternAtom(display, "_XROOTPMAP_ID", False);
    const Atom esetrootId = XInternAtom(display, "ESETROOT_PMAP_ID", False);
    const Pixmap old = pixmapProperty(display, root, rootId);
    if (old && old == pixmapProperty(display, root, esetrootId))
        XKillClient(display, old);
    XSync(display, False);
    firstError = 0;  // an old pixmap already gone is no fault of the new picture

    XChangeProperty(display, root, rootId, XA_PIXMAP, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&pixmap), 1);
    XChangeProperty(display, root, esetrootId, XA_PIXMAP, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&pixmap), 1);
    XSetWindowBackgroundPixmap(display, root, pixmap);
    XClearWindow(display, root);
    XSync(display, False);
    const int failed = firstError;
    if (failed) {
        *error = errorText(display, failed);
    } else {
        XSetCloseDownMode(display, RetainPermanent);
        XSync(display, False);
    }
    XSetErrorHandler(before);
    XCloseDisplay(display);
    return failed ? Refused : Set;
}

}  // namespace XRootPicture
