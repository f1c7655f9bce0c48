// Benchmarks of the play list model, the language lookup and the skin shape.
// Run: build/bench_core (offscreen; needs no display).
#include "platform/settings.h"
#include "platform/textfile.h"
#include "player/form1.h"
#include "player/module1.h"
#include "player/playlistfile.h"
#include "player/she.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <clocale>

namespace {

QStringList hundredThousand()
{
    QStringList paths;
    paths.reserve(100000);
    for (int i = 0; i < 100000; ++i)
        paths << QStringLiteral("/home/user/Music/Album %1/%2 - a song title.mp3").arg(i / 12).arg(i);
    return paths;
}

void BM_REL_FullRebuild100k(benchmark::State& state)
{
    Form1& f = Form1::instance();
    f.List1->Clear();
    f.List1->AddItems(hundredThousand());
    for (auto _ : state) {
        f.List2->Clear();
        f.REL();
        benchmark::DoNotOptimize(f.List2->ListCount());
    }
}
BENCHMARK(BM_REL_FullRebuild100k)->Unit(benchmark::kMillisecond);

void BM_importj100k(benchmark::State& state)
{
    TestEnv env;
    const QString list = env.path("big.pellum");
    PlayListFile::write(list, hundredThousand());
    Form1& f = Form1::instance();
    for (auto _ : state) {
        state.PauseTiming();
        f.List1->Clear();
        f.List2->Clear();
        state.ResumeTiming();
        f.importj(list, 1);
        benchmark::DoNotOptimize(f.List1->ListCount());
    }
}
BENCHMARK(BM_importj100k)->Unit(benchmark::kMillisecond);

// 100 000 rows as UTF-8 (arg 0), read from a list in the old code page (arg 1: every row goes back in its
// own bytes), or read from such a list where one row in a hundred has a letter beyond ASCII (arg 2).
QStringList listRows(const TestEnv& env, int kind)
{
    if (kind == 0)
        return hundredThousand();
    QByteArray bytes;
    int i = 0;
    for (const QString& r : hundredThousand())
        bytes += (kind == 1 || i++ % 100 == 0 ? r.toLatin1().replace("song", "chan\xe7on") : r.toLatin1()) + "\r\n";
    QStringList rows;
    PlayListFile::read(env.writeFile("old.pellum", bytes), PlayListFile::Rule::LastList, &rows);
    return rows;
}

// The whole-file write of the exit (5.8 MB), on the window's thread.
void BM_WriteList100k(benchmark::State& state)
{
    TestEnv env;
    const QStringList rows = listRows(env, int(state.range(0)));
    const QString list = env.path("afore.pellum");
    for (auto _ : state)
        benchmark::DoNotOptimize(PlayListFile::write(list, rows));
}
BENCHMARK(BM_WriteList100k)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// What the window's thread spends on a background save: the rows' bytes (the file is written elsewhere).
void BM_EncodeList100k(benchmark::State& state)
{
    TestEnv env;
    const QStringList rows = listRows(env, int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(TextFile::encodeLines(rows));
}
BENCHMARK(BM_EncodeList100k)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_GL_OneKey(benchmark::State& state)
{
    TestEnv env;
    QByteArray ini = "[language]\r\n";
    for (int i = 0; i < 120; ++i)
        ini += "key" + QByteArray::number(i) + "=Some translated text number " + QByteArray::number(i) + "\r\n";
    Module1::LanguagePath() = env.writeFile("lang.ini", ini);
    for (auto _ : state)
        benchmark::DoNotOptimize(SHE::LangText(QStringLiteral("key60"), QStringLiteral("Default")));
    Module1::LanguagePath().clear();
}
BENCHMARK(BM_GL_OneKey)->Unit(benchmark::kMicrosecond);

QImage roundedFace()
{
    QImage skin(591, 443, QImage::Format_RGB32);
    skin.fill(qRgb(255, 0, 255));
    QPainter p(&skin);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(40, 60, 90));
    p.drawRoundedRect(QRect(10, 10, 571, 423), 60, 60);
    p.setBrush(QColor(255, 0, 255));
    for (int i = 0; i < 12; ++i)
        p.drawEllipse(QPoint(60 + i * 42, 380), 14, 14);
    p.end();
    return skin;
}

// 3000 x 3000 pixels in a checkerboard of the key colour: 4.5 million runs.
QImage dotFace()
{
    QImage skin(3000, 3000, QImage::Format_RGB32);
    for (int y = 0; y < skin.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(skin.scanLine(y));
        for (int x = 0; x < skin.width(); ++x)
            line[x] = (x + y) % 2 ? qRgb(40, 60, 90) : qRgb(255, 0, 255);
    }
    return skin;
}

void BM_MakeSkinRegion591x443(benchmark::State& state)
{
    TestEnv env;
    SettingsStore::SaveFlag(QStringLiteral("vitrif"), true);
    const QImage skin = roundedFace();
    for (auto _ : state)
        benchmark::DoNotOptimize(SHE::MakeSkinRegion(skin).rectCount());
}
BENCHMARK(BM_MakeSkinRegion591x443)->Unit(benchmark::kMillisecond);

// The hostile face: the walk ends once the shape has more rectangles than a window takes.
void BM_MakeSkinRegionDots3000(benchmark::State& state)
{
    TestEnv env;
    SettingsStore::SaveFlag(QStringLiteral("vitrif"), true);
    const QImage skin = dotFace();
    for (auto _ : state)
        benchmark::DoNotOptimize(SHE::MakeSkinRegion(skin).rectCount());
}
BENCHMARK(BM_MakeSkinRegionDots3000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("PELLUM_NULL_OUTPUT", "1");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    TestEnv env;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
