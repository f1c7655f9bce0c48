// The screen saver's transition effects on small pictures made here: the destination after chosen
// steps and at the end against the copies each routine's loops make, written out again below as plainly
// as they are described; the random blocks by their structure; pictures too small; variants that do
// nothing; an effect stopped when its picture is hidden; the pace of an effect on show, and every effect
// seen moving; YieldEvents and SwapLongs.
#include "player/tools/effects.h"
#include "player/tools/scr1.h"
#include "ui/picturebox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSet>
#include <QThread>
#include <QtTest>
#include <cmath>
#include <functional>
#include <vector>

namespace {

// --- the copies as described, step by step ---

struct Copy {
    int dx, dy, w, h, sx, sy;
};

class Script {
public:
    int W, H;
    std::vector<std::vector<Copy>> steps;  // the copies of each step, in order

    Script(int w, int h) : W(w), H(h) {}
    void step() { steps.emplace_back(); }
    void copy(int dx, int dy, int w, int h, int sx, int sy) { steps.back().push_back({dx, dy, w, h, sx, sy}); }
    void same(int x, int y, int w, int h) { copy(x, y, w, h, x, y); }
};

// Nearest whole number, halves to even.
int nearest(double v) { return int(std::nearbyint(v)); }

Script rainHalves(int W, int H, int v)
{
    Script s(W, H);
    const int hw = W / 2, hh = H / 2;
    if (v == 1)
        for (int i = hh; i >= 0; i--) {
            s.step();
            for (int j = 0; j <= i; j++) {
                s.step();
                s.copy(0, j, W, 1, 0, i);
                s.copy(0, H - j, W, 1, 0, H - i);
            }
        }
    if (v == 2)
        for (int i = hw; i <= W; i++) {
            s.step();
            for (int j = W; j >= i; j--) {
                s.step();
                s.copy(j, 0, 1, H, i, 0);
                s.copy(W - j, 0, 1, H, W - i, 0);
            }
        }
    return s;
}

Script rainLines(int W, int H, int v)
{
    Script s(W, H);
    if (v == 1)
        for (int i = H; i >= 0; i--) {
            s.step();
            for (int j = 0; j <= i; j++) {
                s.step();
                s.copy(0, j, W, 1, 0, i);
            }
        }
    if (v == 2)
        for (int i = 0; i <= H; i++) {
            s.step();
            for (int j = H; j >= i; j--) {
                s.step();
                s.copy(0, j, W, 1, 0, i);
            }
        }
    if (v == 3)
        for (int i = 0; i <= W; i++) {
            s.step();
            for (int j = W; j >= i; j--) {
                s.step();
                s.copy(j, 0, 1, H, i, 0);
            }
        }
    if (v == 4)
        for (int i = W; i >= 0; i--) {
            s.step();
            for (int j = 0; j <= i; j++) {
                s.step();
                s.copy(j, 0, 1, H, i, 0);
            }
        }
    return s;
}

Script closeDoor(int W, int H, int v)
{
    Script s(W, H);
    const int hw = W / 2, hh = H / 2;
    if (v == 1)
        for (int i = -hw; i <= 0; i++) {
            s.step();
            s.copy(i, 0, hw, 2 * hh, 0, 0);
            s.copy(hw - i, 0, hw, 2 * hh, hw, 0);
        }
    if (v == 2)
        for (int i = -hh; i <= 0; i++) {
            s.step();
            s.copy(0, i, 2 * hw, hh, 0, 0);
            s.copy(0, hh - i, 2 * hw, hh, 0, hh);
        }
    return s;
}

Script diagonalSweep(int W, int H, int v)
{
    Script s(W, H);
    const double q = double(H) / W;
    auto block = [&](int x, double y) { s.same(x, nearest(y), 2, 2); };
    if (v == 1)
        for (int i = 0; i >= -2 * H; i--) {
            s.step();
            for (int j = 0; j <= W; j++) {
                s.step();
                block(j, -(i + j * q));
            }
        }
    if (v == 2)
        for (int i = -H; i <= H; i++) {
            s.step();
            for (int j = 0; j <= W; j++) {
                s.step();
                block(j, i + j * q);
            }
        }
    if (v == 3)
        for (int i = 0; i >= -H; i--) {
            s.step();
            for (int j = 0; j <= W; j++) {
                s.step();
                block(j, -(i + j * q));
                block(j, 2 * H + i - j * q);
            }
        }
    if (v == 4)
        for (int i = -H; i <= 0; i++) {
            s.step();
            for (int j = 0; j <= W; j++) {
                s.step();
                block(j, i + j * q);
                block(j, j * q - i);
            }
        }
    return s;
}

Script centreOut(int W, int H, int v)
{
    Script s(W, H);
    const double q = double(H) / W;
    auto edges = [&](int i, bool sides, bool topBottom) {
        const int h = int(std::floor(i * q));
        const int x0 = (W - i) / 2, y0 = (H - h) / 2;
        if (sides) {
            s.copy(x0, y0, 1, h, x0, y0);
            s.copy((W + i) / 2, y0, 1, h, (W + i) / 2, y0);
        }
        if (topBottom) {
            s.copy(x0, y0, i, 1, x0, y0);
            s.copy((W - i + 1) / 2, (H + h) / 2, i, 1, (W - i) / 2, (H + h) / 2);
        }
    };
    if (v == 1)
        for (int i = 0; i <= W; i++) {
            s.step();
            const int h = int(std::floor(i * q));
            s.copy((W - i) / 2, (H - h) / 2, i, h, 0, 0);
        }
    if (v == 2)
        for (int i = W; i >= 0; i--) {
            s.step();
            edges(i, true, true);
        }
    if (v == 3)
        for (int i = 0; i <= W; i++) {
            s.step();
            edges(i, true, true);
        }
    if (v == 4)
        for (int pass = 0; pass <= 1; pass++) {
            s.step();
            for (int i = W; i >= 0; i--) {
                s.step();
                edges(i, pass == 0, pass == 1);
            }
        }
    if (v == 5)
        for (int pass = 0; pass <= 1; pass++) {
            s.step();
            for (int i = 0; i <= W; i++) {
                s.step();
                edges(i, pass == 0, pass == 1);
            }
        }
    return s;
}

Script cornerWipe(int W, int H, int v)
{
    Script s(W, H);
    const double r = double(W) / H;
    if (v == 1 || v == 3 || v == 4)
        for (int i = 0; i <= H; i++) {
            s.step();
            const double x = r * i;
            if (v == 1)
                s.copy(0, 0, nearest(x), i, 0, 0);
            if (v == 3)
                s.copy(0, H - i, nearest(x), i, 0, H - i);
            if (v == 4)
                s.copy(nearest(W - x), 0, nearest(x), i, nearest(W - x), 0);
        }
    if (v == 2 || v >= 5)
        for (int i = H; i >= 0; i--) {
            s.step();
            const double x = r * i;
            const int w = nearest(W - x), h = H - i;
            if (v == 2)
                s.copy(nearest(x), i, w, h, nearest(x), i);
            if (v == 5)
                s.copy(nearest(-x), -i, w, h, 0, 0);
            if (v == 6)
                s.copy(nearest(x), i, w, h, 0, 0);
            if (v == 7)
                s.copy(nearest(-x), i, w, h, 0, 0);
            if (v == 8)
                s.copy(nearest(x), -i, w, h, 0, 0);
        }
    return s;
}

Script sineWave(int W, int H, int v)
{
    Script s(W, H);
    if (v == 1) {
        const int m = H % 2 == 0 ? H : H + 1;
        for (int i = -5; i <= m + 5; i += 2) {
            s.step();
            for (int j = 0; j <= W; j++) {
                s.step();
                const double y = i + 5.0 * std::sin(6.283 * j / (W / 10));
                s.same(j, nearest(y), 1, 1);
                s.same(j, nearest(m - y + 1), 1, 1);
            }
        }
    }
    if (v == 2) {
        const int m = W % 2 == 0 ? W : W + 1;
        for (int i = -5; i <= m + 5; i += 2) {
            s.step();
            for (int j = 0; j <= H; j++) {
                s.step();
                const double x = i + 5.0 * std::sin(6.283 * j / (H / 10));
                s.same(nearest(x), j, 1, 1);
                s.same(nearest(m - x + 1), j, 1, 1);
            }
        }
    }
    if (v == 3) {
        const int c = W % 2 == 0 ? W / 2 : W / 2 + 1;
        for (int i = -5; i <= c + 5; i++) {
            s.step();
            for (int j = -((H / 10) / 2); j <= H; j++) {
                s.step();
                const double x = i + 5.0 * std::sin(6.283 * j / (H / 10));
                s.same(nearest(x), j, 1, 1);
                s.copy(nearest(2 * c - x + 1), j + (H / 10) / 2, 1, 1, nearest(2 * c - x + 1), j + (H / 10) / 2);
            }
        }
    }
    if (v == 4) {
        const int c = H % 2 == 0 ? H / 2 : H / 2 + 1;
        for (int i = -5; i <= c + 5; i++) {
            s.step();
            for (int j = -((W / 10) / 2); j <= W; j++) {
                s.step();
                const double y = i + 5.0 * std::sin(6.283 * j / (W / 10));
                s.same(j, nearest(y), 1, 1);
                s.same(j + (W / 10) / 2, nearest(2 * c - y + 1), 1, 1);
            }
        }
    }
    return s;
}

// The destination after the first `steps` steps: each copy takes the pixels that lie inside both
// pictures, one by one.
QImage replay(QImage dest, const QImage& src, const Script& s, size_t steps)
{
    for (size_t k = 0; k < steps && k < s.steps.size(); ++k)
        for (const Copy& c : s.steps[k])
            for (int y = 0; y < c.h; ++y)
                for (int x = 0; x < c.w; ++x) {
                    const QPoint to(c.dx + x, c.dy + y), from(c.sx + x, c.sy + y);
                    if (dest.rect().contains(to) && src.rect().contains(from))
                        dest.setPixel(to, src.pixel(from));
                }
    return dest;
}

using Routine = std::function<SHE::EffectEnd(PictureBox&, PictureBox&, int)>;
using Reference = Script (*)(int, int, int);

// The picture before and the picture that comes in: every pixel tells where it is and which it is.
QImage picture(int w, int h, int which)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x % 256, y % 256, which));
    return img;
}
constexpr int kBefore = 50, kNext = 200;

// Where two pictures differ, as a line of text for the failure message.
QString firstDifference(const QImage& got, const QImage& want)
{
    if (got.size() != want.size())
        return QStringLiteral("size %1x%2, expected %3x%4")
            .arg(got.width()).arg(got.height()).arg(want.width()).arg(want.height());
    for (int y = 0; y < got.height(); ++y)
        for (int x = 0; x < got.width(); ++x)
            if (got.pixel(x, y) != want.pixel(x, y))
                return QStringLiteral("pixel (%1, %2) is %3, expected %4")
                    .arg(x).arg(y).arg(got.pixel(x, y), 0, 16).arg(want.pixel(x, y), 0, 16);
    return QString();
}

// Which of the 5 x 5 blocks at (x, y) of a picture are the next picture's, the picture before's, or mixed.
struct Blocks {
    int next = 0, before = 0, mixed = 0;
};
Blocks blocks(const QImage& img, const QRect& area, int s)
{
    Blocks b;
    for (int y = area.top(); y + s <= area.bottom() + 1; y += s)
        for (int x = area.left(); x + s <= area.right() + 1; x += s) {
            int n = 0;
            for (int dy = 0; dy < s; ++dy)
                for (int dx = 0; dx < s; ++dx)
                    n += qBlue(img.pixel(x + dx, y + dy)) == kNext && qRed(img.pixel(x + dx, y + dy)) == x + dx;
            if (n == s * s)
                ++b.next;
            else if (n == 0)
                ++b.before;
            else
                ++b.mixed;
        }
    return b;
}

// Counts the passes of the event loop: each pass delivers the one event that the last pass posted.
class PassCounter : public QObject {
public:
    int passes = 0;
    PassCounter() { post(); }
    ~PassCounter() override { QCoreApplication::removePostedEvents(this); }

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++passes;
        post();
        return true;
    }

private:
    void post() { QCoreApplication::postEvent(this, new QEvent(QEvent::User)); }
};

// Counts the paint events of a widget, and calls `seen` at each, before the widget paints.
class PaintCounter : public QObject {
public:
    int count = 0;
    PaintCounter(QWidget* w, std::function<void()> seen = {}) : seen_(std::move(seen)) { w->installEventFilter(this); }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) {
            ++count;
            if (seen_)
                seen_();
        }
        return QObject::eventFilter(o, e);
    }

private:
    std::function<void()> seen_;
};

}  // namespace

Q_DECLARE_METATYPE(Routine)
Q_DECLARE_METATYPE(Reference)

class EffectsTest : public QObject {
    Q_OBJECT

    PictureBox dest, src;

    // The routine on a w x h picture, with the destination kept at the chosen steps.
    struct Ran {
        SHE::EffectEnd end;
        qint64 steps = 0;
        QHash<qint64, QImage> at;
    };
    Ran run(const Routine& routine, int variant, int w, int h, const QSet<qint64>& keep = {})
    {
        dest.setPicture(picture(w, h, kBefore));
        dest.setSize(w, h);
        src.setPicture(picture(w, h, kNext));
        Ran r;
        SHE::setStepWatcherForTests([&](qint64 step) {
            r.steps = step + 1;
            if (keep.contains(step))
                r.at.insert(step, dest.Image().copy());
        });
        r.end = routine(dest, src, variant);
        SHE::setStepWatcherForTests({});
        return r;
    }

private slots:
    void initTestCase() { src.AutoSize = true; }
    void cleanup() { SHE::setStepWatcherForTests({}); }

    void stepsAndEnd_data()
    {
        QTest::addColumn<Routine>("routine");
        QTest::addColumn<Reference>("reference");
        QTest::addColumn<int>("variant");
        QTest::addColumn<QSize>("size");
        struct Row {
            const char* name;
            Routine routine;
            Reference reference;
            int variants;
            QList<QSize> sizes;
        };
        const QList<QSize> small{{13, 9}, {12, 10}, {9, 14}};
        const QList<QSize> waves{{23, 21}, {24, 20}, {31, 12}};
        const Row rows[] = {
            {"RainHalves", SHE::RainHalves, rainHalves, 2, small},
            {"RainLines", SHE::RainLines, rainLines, 4, small},
            {"CloseDoor", SHE::CloseDoor, closeDoor, 2, small},
            {"DiagonalSweep", SHE::DiagonalSweep, diagonalSweep, 4, small},
            {"CentreOut", SHE::CentreOut, centreOut, 5, small},
            {"CornerWipe", SHE::CornerWipe, cornerWipe, 8, small},
            {"SineWave", SHE::SineWave, sineWave, 4, waves},
        };
        for (const Row& row : rows)
            for (int v = 1; v <= row.variants; ++v)
                for (const QSize& size : row.sizes)
                    QTest::addRow("%s %d, %dx%d", row.name, v, size.width(), size.height())
                        << row.routine << row.reference << v << size;
    }
    // After a few chosen steps and at the end, the destination holds what the described copies make.
    void stepsAndEnd()
    {
        QFETCH(Routine, routine);
        QFETCH(Reference, reference);
        QFETCH(int, variant);
        QFETCH(QSize, size);
        const Script script = reference(size.width(), size.height(), variant);
        const qint64 n = qint64(script.steps.size());
        const QSet<qint64> chosen{1, n / 4, n / 2, 3 * n / 4, n - 1};
        const Ran ran = run(routine, variant, size.width(), size.height(), chosen);
        QCOMPARE(ran.end, SHE::EffectEnd::Done);
        QCOMPARE(ran.steps, n);
        QCOMPARE(SHE::plannedStepsForTests(), n);  // the pace counts on every step
        const QImage before = picture(size.width(), size.height(), kBefore);
        const QImage next = picture(size.width(), size.height(), kNext);
        for (const qint64 k : chosen) {
            const QString diff = firstDifference(ran.at.value(k), replay(before, next, script, size_t(k)));
            QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("before step %1 of %2: ").arg(k).arg(n) + diff));
        }
        const QString diff = firstDifference(dest.Image(), replay(before, next, script, script.steps.size()));
        QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("at the end: ") + diff));
    }

    // What the effects leave out, seen in the pictures themselves. The two halves of an odd width are
    // 6 columns each: the source's last column never comes in, and the right half, sliding past, leaves
    // its own last column there.
    void closeDoorOddWidthLeavesTheLastColumnOut()
    {
        QCOMPARE(run(SHE::CloseDoor, 1, 13, 8).end, SHE::EffectEnd::Done);
        const QImage img = dest.Image();
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 12; ++x)
                QCOMPARE(img.pixel(x, y), qRgb(x, y, kNext));
            QCOMPARE(img.pixel(12, y), qRgb(11, y, kNext));
        }
        QCOMPARE(run(SHE::CloseDoor, 2, 8, 13).end, SHE::EffectEnd::Done);
        for (int x = 0; x < 8; ++x)
            QCOMPARE(dest.Image().pixel(x, 12), qRgb(x, 11, kNext));
    }

    void centreOutBottomEdgeOnePixelRight_data()
    {
        QTest::addColumn<int>("variant");
        QTest::newRow("outline shrinks") << 2;
        QTest::newRow("outline grows") << 3;
    }
    void centreOutBottomEdgeOnePixelRight()
    {
        QFETCH(int, variant);
        // 12 x 10: the step for i = 5 (W - i odd) draws its bottom edge, 5 pixels of row (10 + 4) \ 2 = 7,
        // at x = 4 from the source at x = 3; the step for i = 4 (even) draws row (10 + 3) \ 2 = 6 in place.
        const int W = 12;
        const qint64 step5 = variant == 2 ? W - 5 : 5, step4 = variant == 2 ? W - 4 : 4;
        const Ran ran = run(SHE::CentreOut, variant, W, 10, {step5 + 1, step4 + 1});
        const QImage after5 = ran.at.value(step5 + 1), after4 = ran.at.value(step4 + 1);
        for (int k = 0; k < 5; ++k)
            QCOMPARE(after5.pixel(4 + k, 7), qRgb(3 + k, 7, kNext));
        for (int k = 0; k < 4; ++k)
            QCOMPARE(after4.pixel(4 + k, 6), qRgb(4 + k, 6, kNext));
    }

    void randomBlocks103x52()
    {
        const Ran ran = run(SHE::RandomBlocks, 5, 103, 52, {200, 400, 400 + 37, 599});
        QCOMPARE(ran.end, SHE::EffectEnd::Done);
        // A step for each block listed, each exchange and each copy.
        QCOMPARE(ran.steps, 3 * 200);
        QCOMPARE(SHE::plannedStepsForTests(), 3 * 200);
        const QRect whole(0, 0, 100, 50);
        QCOMPARE(blocks(ran.at.value(200), whole, 5).before, 200);
        QCOMPARE(blocks(ran.at.value(400), whole, 5).before, 200);
        const Blocks part = blocks(ran.at.value(437), whole, 5);
        QCOMPARE(part.next, 37);
        QCOMPARE(part.mixed, 0);
        QCOMPARE(blocks(ran.at.value(599), whole, 5).next, 199);
        const QImage img = dest.Image();
        QCOMPARE(blocks(img, whole, 5).next, 200);
        for (int y = 0; y < 52; ++y)
            for (int x = 0; x < 103; ++x)
                QCOMPARE(img.pixel(x, y), qRgb(x, y, x < 100 && y < 50 ? kNext : kBefore));
    }

    void randomQuarters()
    {
        // 47 x 33: quarters of 23 x 16, each with 4 x 3 whole blocks; the two fills share one order.
        const int n = 12;
        const Ran ran = run([](PictureBox& d, PictureBox& s, int v) { return SHE::RandomQuarters(d, s, quint8(v)); },
                            5, 47, 33, {2 * n, 2 * n + 5, 3 * n, 3 * n + 5});
        QCOMPARE(ran.end, SHE::EffectEnd::Done);
        QCOMPARE(ran.steps, 4 * n);
        QCOMPARE(SHE::plannedStepsForTests(), 4 * n);
        const QRect topLeft(0, 0, 20, 15), bottomRight(23, 16, 20, 15), bottomLeft(0, 16, 20, 15),
            topRight(23, 0, 20, 15);
        auto copied = [](const QImage& img, const QRect& q) { return blocks(img, q, 5).next; };
        QCOMPARE(copied(ran.at.value(2 * n), topLeft) + copied(ran.at.value(2 * n), bottomRight), 0);
        const QImage mid = ran.at.value(2 * n + 5);
        QCOMPARE(copied(mid, topLeft), 5);
        QCOMPARE(copied(mid, bottomRight), 5);
        QCOMPARE(copied(mid, bottomLeft) + copied(mid, topRight), 0);
        // The same block of each quarter comes at the same step.
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < 20; ++x)
                QCOMPARE(qBlue(mid.pixel(x, y)), qBlue(mid.pixel(23 + x, 16 + y)));
        const QImage late = ran.at.value(3 * n + 5);
        QCOMPARE(copied(late, topLeft), n);
        QCOMPARE(copied(late, bottomLeft), 5);
        QCOMPARE(copied(late, topRight), 5);
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < 20; ++x)
                QCOMPARE(qBlue(late.pixel(x, 16 + y)), qBlue(late.pixel(23 + x, y)));
        const QImage img = dest.Image();
        for (int y = 0; y < 33; ++y)
            for (int x = 0; x < 47; ++x) {
                const bool inBlock = (x < 20 || (x >= 23 && x < 43)) && (y < 15 || (y >= 16 && y < 31));
                QCOMPARE(img.pixel(x, y), qRgb(x, y, inBlock ? kNext : kBefore));
            }
    }

    void tooSmall_data()
    {
        QTest::addColumn<Routine>("routine");
        QTest::addColumn<int>("variant");
        QTest::addColumn<QSize>("size");
        const Routine quarters = [](PictureBox& d, PictureBox& s, int v) { return SHE::RandomQuarters(d, s, quint8(v)); };
        QTest::newRow("SineWave 1, 9 wide") << Routine(SHE::SineWave) << 1 << QSize(9, 40);
        QTest::newRow("SineWave 4, 9 wide") << Routine(SHE::SineWave) << 4 << QSize(9, 40);
        QTest::newRow("SineWave 2, 9 high") << Routine(SHE::SineWave) << 2 << QSize(40, 9);
        QTest::newRow("SineWave 3, 9 high") << Routine(SHE::SineWave) << 3 << QSize(40, 9);
        QTest::newRow("RandomBlocks, 4 wide") << Routine(SHE::RandomBlocks) << 5 << QSize(4, 40);
        QTest::newRow("RandomBlocks, 4 high") << Routine(SHE::RandomBlocks) << 5 << QSize(40, 4);
        QTest::newRow("RandomQuarters, quarter 4 wide") << quarters << 5 << QSize(9, 40);
        QTest::newRow("RandomQuarters, quarter 4 high") << quarters << 5 << QSize(40, 9);
        QTest::newRow("RandomBlocks, block size 0") << Routine(SHE::RandomBlocks) << 0 << QSize(40, 40);
        QTest::newRow("DiagonalSweep, no width") << Routine(SHE::DiagonalSweep) << 1 << QSize(0, 10);
        QTest::newRow("CentreOut, no width") << Routine(SHE::CentreOut) << 2 << QSize(0, 10);
        QTest::newRow("CornerWipe, no height") << Routine(SHE::CornerWipe) << 1 << QSize(10, 0);
    }
    // A picture too small for the effect fails at once and leaves the picture as it was.
    void tooSmall()
    {
        QFETCH(Routine, routine);
        QFETCH(int, variant);
        QFETCH(QSize, size);
        const Ran ran = run(routine, variant, size.width(), size.height());
        QCOMPARE(ran.end, SHE::EffectEnd::Failed);
        QCOMPARE(dest.Image(), picture(size.width(), size.height(), kBefore));
    }

    // A picture just large enough runs.
    void justLargeEnough()
    {
        QCOMPARE(run(SHE::SineWave, 1, 10, 3).end, SHE::EffectEnd::Done);
        QCOMPARE(run(SHE::RandomBlocks, 5, 5, 5).end, SHE::EffectEnd::Done);
        QCOMPARE(dest.Image(), picture(5, 5, kNext));
    }

    void variantOutOfRange_data()
    {
        QTest::addColumn<Routine>("routine");
        QTest::addColumn<int>("variant");
        QTest::newRow("RainHalves 3") << Routine(SHE::RainHalves) << 3;
        QTest::newRow("RainLines 0") << Routine(SHE::RainLines) << 0;
        QTest::newRow("RainLines 5") << Routine(SHE::RainLines) << 5;
        QTest::newRow("CloseDoor 3") << Routine(SHE::CloseDoor) << 3;
        QTest::newRow("DiagonalSweep 5") << Routine(SHE::DiagonalSweep) << 5;
        QTest::newRow("CentreOut 6") << Routine(SHE::CentreOut) << 6;
        QTest::newRow("CornerWipe 9") << Routine(SHE::CornerWipe) << 9;
        QTest::newRow("SineWave -1") << Routine(SHE::SineWave) << -1;
    }
    // Nothing happens beyond the sizing: the destination takes the source's size and keeps its pixels.
    void variantOutOfRange()
    {
        QFETCH(Routine, routine);
        QFETCH(int, variant);
        dest.setPicture(picture(30, 20, kBefore));
        dest.setSize(16, 12);
        src.setPicture(picture(30, 20, kNext));
        qint64 steps = 0;
        SHE::setStepWatcherForTests([&](qint64) { ++steps; });
        QCOMPARE(routine(dest, src, variant), SHE::EffectEnd::Done);
        QCOMPARE(steps, 0);
        QCOMPARE(dest.Image(), picture(30, 20, kBefore));
    }

    // Hidden in the middle of an effect, the destination keeps what the steps before had drawn.
    void stopsWhenTheDestinationIsHidden_data()
    {
        QTest::addColumn<Routine>("routine");
        QTest::addColumn<Reference>("reference");
        QTest::addColumn<int>("variant");
        QTest::newRow("rows") << Routine(SHE::RainLines) << Reference(rainLines) << 1;
        QTest::newRow("columns") << Routine(SHE::RainLines) << Reference(rainLines) << 3;
        QTest::newRow("blocks") << Routine(SHE::DiagonalSweep) << Reference(diagonalSweep) << 2;
    }
    void stopsWhenTheDestinationIsHidden()
    {
        QFETCH(Routine, routine);
        QFETCH(Reference, reference);
        QFETCH(int, variant);
        QWidget window;
        PictureBox shown(&window);
        window.show();
        shown.setPicture(picture(20, 14, kBefore));
        shown.setSize(20, 14);
        src.setPicture(picture(20, 14, kNext));
        qint64 last = -1;
        SHE::setStepWatcherForTests([&](qint64 step) {
            last = step;
            if (step == 40)
                window.hide();
        });
        QCOMPARE(routine(shown, src, variant), SHE::EffectEnd::Stopped);
        QCOMPARE(last, 40);
        const QString diff = firstDifference(shown.Image(), replay(picture(20, 14, kBefore), picture(20, 14, kNext),
                                                                    reference(20, 14, variant), 40));
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }

    // A picture larger than its window is drawn where it can be seen, exactly as the copies make it; a
    // box that keeps only the part that can be seen shows the same.
    void pictureLargerThanItsWindow_data()
    {
        QTest::addColumn<Routine>("routine");
        QTest::addColumn<Reference>("reference");
        QTest::addColumn<int>("variant");
        QTest::addColumn<bool>("keepSeen");
        for (const bool keep : {false, true}) {
            const char* how = keep ? ", the seen part kept" : "";
            QTest::addRow("rows%s", how) << Routine(SHE::RainLines) << Reference(rainLines) << 1 << keep;
            QTest::addRow("columns%s", how) << Routine(SHE::RainHalves) << Reference(rainHalves) << 2 << keep;
            QTest::addRow("slide%s", how) << Routine(SHE::CornerWipe) << Reference(cornerWipe) << 6 << keep;
            QTest::addRow("waves%s", how) << Routine(SHE::SineWave) << Reference(sineWave) << 3 << keep;
        }
    }
    void pictureLargerThanItsWindow()
    {
        QFETCH(Routine, routine);
        QFETCH(Reference, reference);
        QFETCH(int, variant);
        QFETCH(bool, keepSeen);
        const int W = 50, H = 40;
        const QRect seen(0, 0, 30, 20);
        QWidget window;
        window.resize(seen.size());
        PictureBox shown(&window);
        if (keepSeen)
            shown.keepWithin(seen.size());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        shown.setPicture(picture(W, H, kBefore));
        shown.setSize(W, H);
        QCOMPARE(shown.ScaleWidth(), W);
        QCOMPARE(shown.Image().size(), keepSeen ? seen.size() : QSize(W, H));
        src.setPicture(picture(W, H, kNext));
        const Script script = reference(W, H, variant);
        const qint64 n = qint64(script.steps.size());
        QHash<qint64, QImage> at;
        SHE::setStepWatcherForTests([&](qint64 step) {
            if (step == n / 3 || step == n / 2)
                at.insert(step, shown.Image().copy(seen));
        });
        QCOMPARE(routine(shown, src, variant), SHE::EffectEnd::Done);
        SHE::setStepWatcherForTests({});
        const QImage before = picture(W, H, kBefore), next = picture(W, H, kNext);
        for (const qint64 k : {n / 3, n / 2})
            QVERIFY2(firstDifference(at.value(k), replay(before, next, script, size_t(k)).copy(seen)).isEmpty(),
                     qPrintable(QString::number(k)));
        const QImage end = replay(before, next, script, script.steps.size()).copy(seen);
        QCOMPARE(shown.Image().copy(seen), end);
        QCOMPARE(window.grab().toImage().convertToFormat(QImage::Format_RGB32), end);
    }

    // On show, an effect is paced so that it is seen as a movement: a picture that fills its window takes
    // its time, a frame is painted about every 16 ms (never one a step), and timers and posted events are
    // handled all the while. The end is the new picture, as the window shows it.
    void pacedOnShow()
    {
        QWidget window;
        window.resize(640, 480);
        PictureBox shown(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const int W = 640, H = 480;
        shown.setPicture(picture(W, H, kBefore));
        src.setPicture(picture(W, H, kNext));
        PaintCounter paints(&shown);
        bool timerFired = false;
        QTimer::singleShot(0, [&] { timerFired = true; });
        PassCounter counter;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(SHE::RainLines(shown, src, 3), SHE::EffectEnd::Done);
        const qint64 ms = clock.elapsed();
        const qint64 steps = qint64(W + 1) + qint64(W + 1) * (W + 2) / 2;
        QVERIFY(timerFired);
        // Some 206 000 steps: a second and a half.
        QVERIFY2(ms >= 1490 && ms <= 2500, qPrintable(QString::number(ms)));
        const QString seen = QStringLiteral("%1 paints in %2 ms").arg(paints.count).arg(ms);
        QVERIFY2(paints.count >= ms / 16 / 3 && paints.count <= ms / 10 + 2, qPrintable(seen));
        QVERIFY(paints.count < steps / 100);
        QVERIFY2(counter.passes > paints.count, "events are handled between frames too");
        QCOMPARE(shown.Image(), picture(W, H, kNext));
        // What the window shows is what the picture holds.
        QCOMPARE(window.grab(QRect(0, 0, W, H)).toImage().convertToFormat(QImage::Format_RGB32), shown.Image());
    }

    // Time spent in an event beyond a frame (a prompt answered in the middle of an effect) does not
    // count: after it the effect goes on moving where it was, rather than jumping to its end.
    void aLongEventIsNotCounted()
    {
        QWidget window;
        window.resize(300, 200);
        PictureBox shown(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        shown.setPicture(picture(300, 200, kBefore));
        src.setPicture(picture(300, 200, kNext));
        PaintCounter paints(&shown);
        QElapsedTimer clock;
        qint64 pausedAt = -1;
        int paintsBefore = 0;
        QTimer::singleShot(150, [&] {
            pausedAt = clock.elapsed();
            paintsBefore = paints.count;
            QThread::msleep(700);
        });
        clock.start();
        QCOMPARE(SHE::CloseDoor(shown, src, 1), SHE::EffectEnd::Done);  // 151 steps: half a second
        const qint64 ms = clock.elapsed();
        QVERIFY(pausedAt > 0);
        QVERIFY2(ms >= 500 + 700 - 20, qPrintable(QString::number(ms)));
        QVERIFY2(paints.count - paintsBefore >= 10, qPrintable(QStringLiteral("%1 of %2 paints after the pause")
                                                                   .arg(paints.count - paintsBefore).arg(paints.count)));
    }

    // Every effect of the saver's table, on show, paints pictures on the way that are neither the old
    // picture nor the end, one after another: it is seen as a movement.
    void everyEffectIsSeenMoving_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < SCR1::EffectCount; ++i)
            QTest::addRow("%d", i) << i;
    }
    void everyEffectIsSeenMoving()
    {
        QFETCH(int, index);
        // A picture of about a third of its window: a third of the time of one that fills it.
        QWidget window;
        window.resize(1280, 1024);
        PictureBox shown(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const int W = 400, H = 320;
        shown.setPicture(picture(W, H, kBefore));
        shown.setSize(W, H);
        src.setPicture(picture(W, H, kNext));
        QList<QImage> painted;
        PaintCounter paints(&shown, [&] { painted << shown.Image().copy(); });
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(SCR1::RunEffect(index, shown, src), SHE::EffectEnd::Done);
        const qint64 ms = clock.elapsed();
        const QImage before = picture(W, H, kBefore), end = shown.Image().copy();
        QVERIFY(end != before);
        int between = 0;
        QImage last;
        for (const QImage& p : painted) {
            if (p != before && p != end && p != last)
                ++between;
            last = p;
        }
        const QString seen = QStringLiteral("%1 pictures on the way, %2 paints in %3 ms").arg(between).arg(painted.size()).arg(ms);
        QVERIFY2(between >= 5, qPrintable(seen));
        QVERIFY2(ms >= 150 && ms <= 1200, qPrintable(seen));
    }

    void yieldEvents_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("passes");
        QTest::newRow("3") << 3 << 3;
        QTest::newRow("1") << 1 << 1;
        QTest::newRow("0") << 0 << 1;
        QTest::newRow("-3") << -3 << 1;
    }
    void yieldEvents()
    {
        QFETCH(int, n);
        QFETCH(int, passes);
        PassCounter counter;
        SHE::YieldEvents(n);
        QCOMPARE(counter.passes, passes);
    }

    void swapLongs()
    {
        qint32 a = 7, b = -2147483647 - 1;
        SHE::SwapLongs(a, b);
        QCOMPARE(a, -2147483647 - 1);
        QCOMPARE(b, 7);
    }

    // The saver's table: index to routine and variant, the background shown first, and nothing at all
    // outside 0 to 30.
    void dispatchTable_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<Routine>("routine");
        QTest::addColumn<int>("variant");
        const std::pair<Routine, int> table[] = {
            {SHE::RainHalves, 1},    {SHE::RainHalves, 2},    {SHE::RainLines, 1},     {SHE::RainLines, 2},
            {SHE::RainLines, 3},     {SHE::RainLines, 4},     {SHE::CloseDoor, 1},     {SHE::CloseDoor, 2},
            {SHE::RandomBlocks, 5},  {nullptr, 5},            {SHE::DiagonalSweep, 1}, {SHE::DiagonalSweep, 2},
            {SHE::DiagonalSweep, 3}, {SHE::DiagonalSweep, 4}, {SHE::CentreOut, 1},     {SHE::CentreOut, 2},
            {SHE::CentreOut, 3},     {SHE::CentreOut, 4},     {SHE::CentreOut, 5},     {SHE::CornerWipe, 1},
            {SHE::CornerWipe, 2},    {SHE::CornerWipe, 3},    {SHE::CornerWipe, 4},    {SHE::CornerWipe, 5},
            {SHE::CornerWipe, 6},    {SHE::CornerWipe, 7},    {SHE::CornerWipe, 8},    {SHE::SineWave, 1},
            {SHE::SineWave, 2},      {SHE::SineWave, 3},      {SHE::SineWave, 4}};
        for (int i = 0; i < 31; ++i) {
            Routine r = table[i].first;
            if (!r)
                r = [](PictureBox& d, PictureBox& s, int v) { return SHE::RandomQuarters(d, s, quint8(v)); };
            QTest::addRow("%d", i) << i << r << table[i].second;
        }
    }
    void dispatchTable()
    {
        QFETCH(int, index);
        QFETCH(Routine, routine);
        QFETCH(int, variant);
        const int W = 24, H = 20;
        // The routine alone, from a cleared destination.
        const Ran alone = run(routine, variant, W, H, {0, 7, 30});
        const QImage aloneEnd = dest.Image().copy();
        // The table's entry, from a destination with something drawn over its picture.
        dest.setPicture(picture(W, H, kBefore));
        dest.Image().fill(Qt::red);
        src.setPicture(picture(W, H, kNext));
        QHash<qint64, QImage> at;
        qint64 steps = 0;
        SHE::setStepWatcherForTests([&](qint64 step) {
            steps = step + 1;
            if (step == 0 || step == 7 || step == 30)
                at.insert(step, dest.Image().copy());
        });
        QCOMPARE(SCR1::RunEffect(index, dest, src), alone.end);
        SHE::setStepWatcherForTests({});
        QCOMPARE(steps, alone.steps);
        if (index != 8 && index != 9)  // the random ones draw their own order each time
            for (const qint64 k : {0, 7, 30})
                QCOMPARE(at.value(k), alone.at.value(k));
        QCOMPARE(at.value(0), picture(W, H, kBefore));
        QCOMPARE(dest.Image(), aloneEnd);
    }
    void dispatchOutsideTheTable_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("-1") << -1;
        QTest::newRow("31") << 31;
        QTest::newRow("32767") << 32767;
    }
    void dispatchOutsideTheTable()
    {
        QFETCH(int, index);
        dest.setPicture(picture(12, 10, kBefore));
        dest.Image().fill(Qt::red);
        src.setPicture(picture(12, 10, kNext));
        QCOMPARE(SCR1::RunEffect(index, dest, src), SHE::EffectEnd::Done);
        QCOMPARE(dest.Image().pixel(3, 3), QColor(Qt::red).rgb());
    }
};

QTEST_MAIN(EffectsTest)
#include "test_effects.moc"
