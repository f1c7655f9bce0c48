// The screen saver's 31 transitions, each on a 1280 x 1024 picture and on a 4000 x 3000 photo, drawn
// into a picture shown in a 1280 x 1024 window as the saver shows it (paced, repainted at display rate).
// Run: build/bench_effects (offscreen; needs no display). One run per effect and size; the figure is
// the run's wall time, "frames" the window's paints during it and "shown" the paints that showed a
// picture other than the one painted before (the window's part that can be seen).
#include "bench/offscreenscreen.h"
#include "player/tools/scr1.h"
#include "player/tools/scrset.h"
#include "ui/picturebox.h"

#include <QApplication>
#include <QImage>
#include <QTemporaryFile>
#include <QPainter>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>
#include <clocale>

namespace {

// A picture with detail everywhere, like a photo: gradients and a grain of noise.
QImage photo(int w, int h, quint32 seed)
{
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int grain = int(random.bounded(32));
            line[x] = qRgb((x * 255 / w + grain) & 255, (y * 255 / h + grain) & 255, ((x + y) / 8 + grain) & 255);
        }
    }
    return img;
}

// Counts a widget's paints, and those that show something new.
class Frames : public QObject {
public:
    int paints = 0, distinct = 0;
    explicit Frames(PictureBox* box) : box_(box) { box->installEventFilter(this); }
    ~Frames() override { box_->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) {
            ++paints;
            const QImage now = box_->Image().copy(box_->visibleRegion().boundingRect());
            if (now != last_)
                ++distinct;
            last_ = now;
        }
        return QObject::eventFilter(o, e);
    }

private:
    PictureBox* box_;
    QImage last_;
};

void BM_Effect(benchmark::State& state)
{
    const int index = int(state.range(0));
    const QSize size(int(state.range(1)), int(state.range(2)));
    static QWidget* screen = nullptr;
    static PictureBox* dest = nullptr;
    static PictureBox* src = nullptr;
    static QSize made;
    if (!screen) {
        screen = new QWidget;
        screen->resize(1280, 1024);
        dest = new PictureBox(screen);
        dest->keepWithin(screen->size());  // as the saver keeps its picture on show
        src = new PictureBox(screen);
        src->AutoSize = true;
        src->hide();
        screen->show();
    }
    if (made != size) {
        made = size;
        src->setPicture(photo(size.width(), size.height(), 1));
    }
    const QImage before = photo(size.width(), size.height(), 2);
    for (auto _ : state) {
        state.PauseTiming();
        dest->setPicture(before);
        dest->setSize(size.width(), size.height());
        QCoreApplication::processEvents();
        Frames frames(dest);
        state.ResumeTiming();
        const SHE::EffectEnd end = SCR1::RunEffect(index, *dest, *src);
        QCoreApplication::processEvents();  // the end's paint
        state.PauseTiming();
        if (end != SHE::EffectEnd::Done)
            state.SkipWithError("the effect did not run to its end");
        state.counters["frames"] = frames.paints;
        state.counters["shown"] = frames.distinct;
        state.ResumeTiming();
    }
    state.SetLabel(SCRSET::EffectNames().value(index, QStringLiteral("(Random only)")).toStdString());
}

void effects(benchmark::internal::Benchmark* b)
{
    for (const auto& [w, h] : {std::pair{1280, 1024}, std::pair{4000, 3000}})
        for (int i = 0; i < SCR1::EffectCount; ++i)
            b->Args({i, w, h});
}
BENCHMARK(BM_Effect)->Apply(effects)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryFile screens;
    if (!useOffscreenScreen(screens))
        return 1;
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
