#include "player/tools/effects.h"

#include "ui/picturebox.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QRandomGenerator>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace SHE {
namespace {

// How often an effect on show presents its progress (a display frame), and how many steps pass between
// two looks at the clock (a step copies at most two rows or columns, so this keeps well within a frame).
constexpr qint64 kFrameMs = 16;
constexpr int kStepsPerClockLook = 16;

std::function<void(qint64)>& stepWatcher()
{
    static std::function<void(qint64)> watcher;
    return watcher;
}
qint64 plannedSteps = 0;

// Thrown to leave the routine: the pictures went away, or they are too small for the effect.
struct StopSignal {};
struct FailSignal {};

// Nearest whole pixel, halves to even.
inline int px(double v) { return int(std::nearbyint(v)); }

// One axis of a copy of n pixels from s to d, narrowed to keep d within [lo, end) and s within [0, size).
void clipSpan(int& d, int& s, int& n, int lo, int end, int size)
{
    if (d < lo) {
        s += lo - d;
        n -= lo - d;
        d = lo;
    }
    if (s < 0) {
        d -= s;
        n += s;
        s = 0;
    }
    n = std::min({n, end - d, size - s});
}

// Copies a w x h rectangle of `from` at (sx, sy) to `to` at (dx, dy), where it lies inside both
// pictures; of `to`, only the part inside `clip` is written.
void copyPixels(QImage& to, int dx, int dy, int w, int h, const QImage& from, int sx, int sy, const QRect& clip)
{
    clipSpan(dx, sx, w, clip.left(), clip.right() + 1, from.width());
    clipSpan(dy, sy, h, clip.top(), clip.bottom() + 1, from.height());
    if (w <= 0 || h <= 0)
        return;
    const qsizetype toStride = to.bytesPerLine() / 4;
    const qsizetype fromStride = from.bytesPerLine() / 4;
    quint32* t = reinterpret_cast<quint32*>(to.bits()) + dy * toStride + dx;
    const quint32* f = reinterpret_cast<const quint32*>(from.constBits()) + sy * fromStride + sx;
    if (w == 1) {
        for (int y = 0; y < h; ++y, t += toStride, f += fromStride)
            *t = *f;
        return;
    }
    for (int y = 0; y < h; ++y, t += toStride, f += fromStride)
        std::memcpy(t, f, size_t(w) * sizeof(quint32));
}

// Writes `from` with x and y exchanged into the `area` of `to`: to(x, y) = from(origin.x + y,
// origin.y + x), where both pixels exist. In tiles, so that both pictures are read and written a cache
// line at a time.
void transposeInto(QImage& to, const QRect& area, const QImage& from, QPoint origin = {})
{
    constexpr int kTile = 32;
    const QRect a = area & to.rect() & QRect(-origin.y(), -origin.x(), from.height(), from.width());
    if (a.isEmpty())
        return;
    const qsizetype fromStride = from.bytesPerLine() / 4;
    const auto* f = reinterpret_cast<const quint32*>(from.constBits()) + origin.y() * fromStride + origin.x();
    for (int ty = a.top(); ty <= a.bottom(); ty += kTile) {
        for (int tx = a.left(); tx <= a.right(); tx += kTile) {
            const int yEnd = std::min(ty + kTile, a.bottom() + 1), xEnd = std::min(tx + kTile, a.right() + 1);
            for (int y = ty; y < yEnd; ++y) {
                auto* t = reinterpret_cast<quint32*>(to.scanLine(y));
                for (int x = tx; x < xEnd; ++x)
                    t[x] = f[x * fromStride + y];
            }
        }
    }
}

// How long an effect of `steps` steps lasts on a picture that fills its window: half a second for the
// few steps of a door or a growing rectangle, up to two seconds for the millions of a diagonal sweep,
// in between by the logarithm of the count, so that an effect of more steps still takes longer.
qint64 fullDurationMs(qint64 steps)
{
    const double ms = 120.0 * std::log2(double(std::max<qint64>(steps, 1))) - 600.0;
    return qint64(std::clamp(ms, 500.0, 2000.0));
}

// One call of an effect: the two pictures, their size and the pace of the steps.
//
// A destination on show is drawn only where it can be seen (a picture larger than its window is seen
// at its top-left only): what is shown is the same, and a large photo takes little longer than a
// picture the size of the screen.
//
// On show, an effect is paced by the clock, so that it is seen as a movement at display rate: it lasts
// fullDurationMs() when its picture fills the window, proportionally less for a smaller picture, and
// each display frame shows the steps due by then. Between frames it waits with the events handled, so a
// key or a click is answered at once. A machine too slow for the pace shows a frame with the steps done
// so far whenever a frame's time has passed, and ends as soon as the copies are made. Time spent in
// events beyond a frame (a prompt shown in the middle) is not counted: the effect goes on from where it
// was. A destination that is not shown runs at the machine's speed and handles events once a frame.
//
// An effect that copies whole columns works on both pictures turned by a quarter (columns become rows,
// which lie together in memory), of the source only the rows that are drawn; the destination is turned
// back at every frame and at the end, so the pictures shown are the same as with column copies.
class Run {
public:
    enum Lines { Rows, Columns };

    Run(PictureBox& dest, PictureBox& src, Lines lines)
        : dest_(&dest), src_(&src), shown_(dest.isVisible()), columns_(lines == Columns)
    {
        dest.setSize(src.ScaleWidth(), src.ScaleHeight());
        W = dest.ScaleWidth();
        H = dest.ScaleHeight();
        updateClip();
        if (columns_) {
            const QImage& s = std::as_const(src).Image();
            turned_ = clip_;
            destTurned_ = QImage(clip_.height(), clip_.width(), QImage::Format_RGB32);
            srcTurned_ = QImage(clip_.height(), s.width(), QImage::Format_RGB32);
            transposeInto(destTurned_, destTurned_.rect(), std::as_const(dest).Image(), clip_.topLeft());
            transposeInto(srcTurned_, srcTurned_.rect(), s, QPoint(0, clip_.y()));
        }
        wake_.setSingleShot(true);
        wake_.setTimerType(Qt::PreciseTimer);
        clock_.start();
    }
    ~Run()
    {
        if (dest_)
            turnBack();
    }

    int W = 0, H = 0;

    // The number of steps to come: sets the pace, from now. Steps before (a list made and shuffled, which
    // draws nothing) run at the machine's speed.
    void plan(qint64 steps)
    {
        plannedSteps = count_ + steps;
        planned_ = steps;
        base_ = count_;
        if (!shown_ || steps <= 0)
            return;
        pausedMs_ = clock_.elapsed();
        nextLook_ = count_ + 1;
        const QSize window = dest_->window()->size();
        const double share = window.isEmpty() ? 1.0
                                              : std::max(double(clip_.width()) / window.width(),
                                                         double(clip_.height()) / window.height());
        durationMs_ = qint64(double(fullDurationMs(steps)) * std::min(share, 1.0));
        paced_ = durationMs_ > 0;
        if (paced_)
            nextFrame(kFrameMs);
    }

    // The start of a step.
    void step()
    {
        if (stepWatcher()) {
            turnBack();
            stepWatcher()(count_);
            checkAlive();
        }
        if (++count_ < nextLook_)
            return;
        look();
    }
    // After the last step: the end is shown when its time comes.
    void finish()
    {
        if (!paced_)
            return;
        showFrame();
        waitUntil(durationMs_);
    }

    [[noreturn]] static void fail() { throw FailSignal{}; }
    // a / b as a real number; b = 0 is the error of a picture with no width or height.
    static double divide(int a, int b)
    {
        if (b == 0)
            fail();
        return double(a) / b;
    }

    void copy(int dx, int dy, int w, int h, int sx, int sy)
    {
        copyPixels(dest_->Image(), dx, dy, w, h, std::as_const(*src_).Image(), sx, sy, clip_);
    }
    void same(int x, int y, int w, int h) { copy(x, y, w, h, x, y); }
    void row(int to, int from) { copy(0, to, W, 1, 0, from); }
    void column(int to, int from)
    {
        if (columns_)
            copyPixels(destTurned_, 0, to - turned_.x(), turned_.height(), 1, srcTurned_, 0, from,
                       destTurned_.rect());
        else
            copy(to, 0, 1, H, from, 0);
    }
    void pixel(int x, int y) { same(x, y, 1, 1); }

private:
    qint64 now() const { return clock_.elapsed() - pausedMs_; }

    // Between steps: a frame when its steps are drawn (at its time) or when its time has passed.
    void look()
    {
        nextLook_ = count_ + kStepsPerClockLook;
        const qint64 t = now();
        if (!paced_) {
            if (t < frameAt_)
                return;
            showFrame();
            handleEvents();
            frameAt_ = now() + kFrameMs;
            return;
        }
        const qint64 drawn = count_ - 1 - base_;  // the paced steps before this one
        if (drawn >= dueSteps_) {
            showFrame();
            waitUntil(frameAt_);
            nextFrame(frameAt_ + kFrameMs);
        } else if (t >= frameAt_) {
            showFrame();
            handleEvents();
            nextFrame(now() + kFrameMs);
        }
        nextLook_ = std::min(nextLook_, dueSteps_ + 1);
    }
    // The frame at `at` ms shows the steps due by then.
    void nextFrame(qint64 at)
    {
        frameAt_ = at;
        dueSteps_ = at >= durationMs_ ? planned_ : qint64(std::ceil(double(planned_) * double(at) / double(durationMs_)));
    }
    void showFrame()
    {
        if (shown_)
            turnBack();
        dest_->update();
    }
    // Handles pending events once; time beyond a frame spent there does not count.
    void handleEvents()
    {
        const qint64 before = clock_.elapsed();
        QCoreApplication::processEvents();
        const qint64 spent = clock_.elapsed() - before;
        if (spent > kFrameMs)
            pausedMs_ += spent;
        afterEvents();
    }
    // Handles events as they come until the clock reaches `at` ms, without spinning.
    void waitUntil(qint64 at)
    {
        for (qint64 left = at - now(); left > 0; left = at - now()) {
            wake_.start(int(left));
            const qint64 before = clock_.elapsed();
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            const qint64 spent = clock_.elapsed() - before;
            if (spent > left + kFrameMs)
                pausedMs_ += spent - left;
            afterEvents();
        }
        wake_.stop();
    }
    void afterEvents()
    {
        checkAlive();
        updateClip();
    }
    void updateClip()
    {
        const QRect all = dest_->Image().rect();
        clip_ = shown_ ? dest_->visibleRegion().boundingRect() & all : all;
        if (columns_ && !destTurned_.isNull())
            clip_ &= turned_;
    }
    void turnBack()
    {
        if (columns_)
            transposeInto(dest_->Image(), turned_, destTurned_, QPoint(-turned_.y(), -turned_.x()));
    }
    void checkAlive() const
    {
        if (!dest_ || !src_ || (shown_ && !dest_->isVisible()))
            throw StopSignal{};
    }

    QPointer<PictureBox> dest_, src_;
    const bool shown_;
    const bool columns_;
    QRect clip_;    // the part of the destination that is drawn
    QRect turned_;  // of the destination, the part held turned
    QImage destTurned_, srcTurned_;
    QElapsedTimer clock_;
    QTimer wake_;  // ends a wait for events when the next frame is due
    qint64 pausedMs_ = 0;
    qint64 planned_ = 0, base_ = 0, durationMs_ = 0;
    bool paced_ = false;
    qint64 frameAt_ = 0, dueSteps_ = 0;
    qint64 count_ = 0, nextLook_ = 1;
};

template <class Body>
EffectEnd run(PictureBox& dest, PictureBox& src, Body body, Run::Lines lines = Run::Rows)
{
    QPointer<PictureBox> shown(&dest);
    EffectEnd end = EffectEnd::Done;
    plannedSteps = 0;
    try {
        Run r(dest, src, lines);
        body(r);
        r.finish();
    } catch (const StopSignal&) {
        end = EffectEnd::Stopped;
    } catch (const FailSignal&) {
        end = EffectEnd::Failed;
    }
    if (shown)
        shown->update();
    return end;
}

// A list of the numbers 0 to n - 1 in a shuffled order, a step for every
// entry made and every exchange.
std::vector<qint32> shuffledOrder(Run& r, qint32 n)
{
    std::vector<qint32> order(static_cast<size_t>(n));
    for (qint32 k = 0; k < n; ++k) {
        r.step();
        order[size_t(k)] = k;
    }
    QRandomGenerator* random = QRandomGenerator::global();
    for (qint32 k = 0; k < n; ++k) {
        r.step();
        const auto other = qint32(double(n) * random->generateDouble());
        SwapLongs(order[size_t(k)], order[size_t(other)]);
    }
    return order;
}

}  // namespace

// The loops of the rain effects, a step at each of their steps: i from `top` down to 0 and j from 0 up
// to i (falling); or i from `first` up to `last` and j from `last` down to i (rising).
// The steps of those loops: one for each i and one for each j of each i.
qint64 triangleSteps(int lines)
{
    const qint64 m = std::max(lines, 0);
    return m + m * (m + 1) / 2;
}
template <class Copy>
void fall(Run& r, int top, Copy copy)
{
    r.plan(triangleSteps(top + 1));
    for (int i = top; i >= 0; --i) {
        r.step();
        for (int j = 0; j <= i; ++j) {
            r.step();
            copy(i, j);
        }
    }
}
template <class Copy>
void rise(Run& r, int first, int last, Copy copy)
{
    r.plan(triangleSteps(last - first + 1));
    for (int i = first; i <= last; ++i) {
        r.step();
        for (int j = last; j >= i; --j) {
            r.step();
            copy(i, j);
        }
    }
}

EffectEnd RainHalves(PictureBox& dest, PictureBox& src, int variant)
{
    return run(dest, src, [variant](Run& r) {
        const int W = r.W, H = r.H;
        if (variant == 1)
            fall(r, H / 2, [&](int i, int j) {
                r.row(j, i);
                r.row(H - j, H - i);
            });
        else if (variant == 2)
            rise(r, W / 2, W, [&](int i, int j) {
                r.column(j, i);
                r.column(W - j, W - i);
            });
    }, variant == 2 ? Run::Columns : Run::Rows);
}

EffectEnd RainLines(PictureBox& dest, PictureBox& src, int variant)
{
    return run(dest, src, [variant](Run& r) {
        auto row = [&r](int i, int j) { r.row(j, i); };
        auto column = [&r](int i, int j) { r.column(j, i); };
        switch (variant) {
        case 1: fall(r, r.H, row); break;
        case 2: rise(r, 0, r.H, row); break;
        case 3: rise(r, 0, r.W, column); break;
        case 4: fall(r, r.W, column); break;
        default: break;
        }
    }, variant == 3 || variant == 4 ? Run::Columns : Run::Rows);
}

EffectEnd CloseDoor(PictureBox& dest, PictureBox& src, int variant)
{
    return run(dest, src, [variant](Run& r) {
        const int hw = r.W / 2, hh = r.H / 2;
        if (variant == 1) {
            r.plan(hw + 1);
            for (int i = -hw; i <= 0; ++i) {
                r.step();
                r.copy(i, 0, hw, 2 * hh, 0, 0);
                r.copy(hw - i, 0, hw, 2 * hh, hw, 0);
            }
        } else if (variant == 2) {
            r.plan(hh + 1);
            for (int i = -hh; i <= 0; ++i) {
                r.step();
                r.copy(0, i, 2 * hw, hh, 0, 0);
                r.copy(0, hh - i, 2 * hw, hh, 0, hh);
            }
        }
    });
}

EffectEnd RandomBlocks(PictureBox& dest, PictureBox& src, int blockSize)
{
    return run(dest, src, [blockSize](Run& r) {
        const int s = blockSize;
        if (s < 1)
            Run::fail();
        const int cols = r.W / s, rows = r.H / s;
        const qint32 n = rows * cols;
        if (n == 0)
            Run::fail();
        const std::vector<qint32> order = shuffledOrder(r, n);
        r.plan(n);
        for (const qint32 block : order) {
            r.step();
            r.same((block % cols) * s, (block / cols) * s, s, s);
        }
    });
}

EffectEnd RandomQuarters(PictureBox& dest, PictureBox& src, quint8 blockSize)
{
    return run(dest, src, [blockSize](Run& r) {
        const int s = blockSize;
        if (s < 1)
            Run::fail();
        const int hw = r.W / 2, hh = r.H / 2;
        const int cols = hw / s, rows = hh / s;
        const qint32 n = rows * cols;
        if (n == 0)
            Run::fail();
        const std::vector<qint32> order = shuffledOrder(r, n);
        r.plan(2 * qint64(n));
        for (const qint32 block : order) {
            r.step();
            const int x = (block % cols) * s, y = (block / cols) * s;
            r.same(x, y, s, s);
            r.same(hw + x, hh + y, s, s);
        }
        for (const qint32 block : order) {
            r.step();
            const int x = (block % cols) * s, y = (block / cols) * s;
            r.same(x, hh + y, s, s);
            r.same(hw + x, y, s, s);
        }
    });
}

EffectEnd DiagonalSweep(PictureBox& dest, PictureBox& src, int variant)
{
    return run(dest, src, [variant](Run& r) {
        const int W = r.W, H = r.H;
        if (variant < 1 || variant > 4)
            return;
        const double q = Run::divide(H, W);
        auto block = [&r](int x, double y) { r.same(x, px(y), 2, 2); };
        // Each step i draws one edge (two for variants 3 and 4) of W + 1 blocks.
        auto edges = [&](int i) {
            for (int j = 0; j <= W; ++j) {
                r.step();
                switch (variant) {
                case 1: block(j, -(i + j * q)); break;
                case 2: block(j, i + j * q); break;
                case 3:
                    block(j, -(i + j * q));
                    block(j, 2 * H + i - j * q);
                    break;
                default:
                    block(j, i + j * q);
                    block(j, j * q - i);
                    break;
                }
            }
        };
        const int first = variant == 1 || variant == 3 ? 0 : -H;
        const int last = variant == 1 ? -2 * H : variant == 2 ? H : variant == 3 ? -H : 0;
        const int by = last < first ? -1 : 1;
        r.plan((qint64(std::abs(last - first)) + 1) * (qint64(W) + 2));
        for (int i = first; by > 0 ? i <= last : i >= last; i += by) {
            r.step();
            edges(i);
        }
    });
}

EffectEnd CentreOut(PictureBox& dest, PictureBox& src, int variant)
{
    return run(dest, src, [variant](Run& r) {
        const int W = r.W, H = r.H;
        if (variant < 1 || variant > 5)
            return;
        const double q = Run::divide(H, W);
        // The centred rectangle of width i and its four edges; the bottom edge is drawn one pixel right
        // of where it is taken from whenever W - i is odd.
        auto draw = [&](int i, bool sides, bool topAndBottom) {
            const int h = int(std::floor(i * q));
            const int x0 = (W - i) / 2, y0 = (H - h) / 2;
            if (variant == 1) {
                r.copy(x0, y0, i, h, 0, 0);
                return;
            }
            if (sides) {
                r.same(x0, y0, 1, h);
                r.same((W + i) / 2, y0, 1, h);
            }
            if (topAndBottom) {
                r.same(x0, y0, i, 1);
                r.copy((W - i + 1) / 2, (H + h) / 2, i, 1, (W - i) / 2, (H + h) / 2);
            }
        };
        auto sweep = [&](bool growing, bool sides, bool topAndBottom) {
            for (int k = 0; k <= W; ++k) {
                r.step();
                draw(growing ? k : W - k, sides, topAndBottom);
            }
        };
        r.plan(variant <= 3 ? qint64(W) + 1 : 2 * (qint64(W) + 2));
        switch (variant) {
        case 1:
        case 3: sweep(true, true, true); break;
        case 2: sweep(false, true, true); break;
        default:
            for (int pass = 0; pass <= 1; ++pass) {
                r.step();
                sweep(variant == 5, pass == 0, pass == 1);
            }
            break;
        }
    });
}

EffectEnd CornerWipe(PictureBox& dest, PictureBox& src, int variant)
{
    return run(dest, src, [variant](Run& r) {
        const int W = r.W, H = r.H;
        if (variant < 1 || variant > 8)
            return;
        const double ratio = Run::divide(W, H);
        const bool growing = variant == 1 || variant == 3 || variant == 4;
        r.plan(qint64(H) + 1);
        for (int k = 0; k <= H; ++k) {
            r.step();
            const int i = growing ? k : H - k;
            const double x = ratio * i;
            switch (variant) {
            case 1: r.copy(0, 0, px(x), i, 0, 0); break;
            case 2: r.same(px(x), i, px(W - x), H - i); break;
            case 3: r.same(0, H - i, px(x), i); break;
            case 4: r.same(px(W - x), 0, px(x), i); break;
            case 5: r.copy(px(-x), -i, px(W - x), H - i, 0, 0); break;
            case 6: r.copy(px(x), i, px(W - x), H - i, 0, 0); break;
            case 7: r.copy(px(-x), i, px(W - x), H - i, 0, 0); break;
            default: r.copy(px(x), -i, px(W - x), H - i, 0, 0); break;
            }
        }
    });
}

EffectEnd SineWave(PictureBox& dest, PictureBox& src, int variant)
{
    return run(dest, src, [variant](Run& r) {
        const int W = r.W, H = r.H;
        if (variant < 1 || variant > 4)
            return;
        // Ten waves across the picture; the full turn is 6.283.
        const bool across = variant == 1 || variant == 4;  // the wave runs along the rows
        const int period = (across ? W : H) / 10;
        if (period == 0)
            Run::fail();
        auto wave = [period](int j) { return 5.0 * std::sin(6.283 * j / period); };
        if (variant == 1 || variant == 2) {
            const int size = variant == 1 ? H : W;
            const int length = variant == 1 ? W : H;
            const int m = size % 2 == 0 ? size : size + 1;
            r.plan((qint64(m + 10) / 2 + 1) * (qint64(length) + 2));
            for (int i = -5; i <= m + 5; i += 2) {
                r.step();
                for (int j = 0; j <= length; ++j) {
                    r.step();
                    const double v = i + wave(j);
                    if (variant == 1) {
                        r.pixel(j, px(v));
                        r.pixel(j, px(m - v + 1));
                    } else {
                        r.pixel(px(v), j);
                        r.pixel(px(m - v + 1), j);
                    }
                }
            }
            return;
        }
        const int size = variant == 3 ? W : H;
        const int length = variant == 3 ? H : W;
        const int c = size % 2 == 0 ? size / 2 : size / 2 + 1;
        const int half = period / 2;
        r.plan((qint64(c) + 11) * (qint64(length) + half + 2));
        for (int i = -5; i <= c + 5; ++i) {
            r.step();
            for (int j = -half; j <= length; ++j) {
                r.step();
                const double v = i + wave(j);
                if (variant == 3) {
                    r.pixel(px(v), j);
                    r.pixel(px(2 * c - v + 1), j + half);
                } else {
                    r.pixel(j, px(v));
                    r.pixel(j + half, px(2 * c - v + 1));
                }
            }
        }
    });
}

void YieldEvents(int n)
{
    int count = 0;
    do {
        ++count;
        QCoreApplication::processEvents();
    } while (count < n);
}

void SwapLongs(qint32& a, qint32& b) { std::swap(a, b); }

void setStepWatcherForTests(std::function<void(qint64 step)> watcher) { stepWatcher() = std::move(watcher); }
qint64 plannedStepsForTests() { return plannedSteps; }

}  // namespace SHE
