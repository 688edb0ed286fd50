// A page of 40 x 30 grid cells of 100 x 22 pixels, each filled by DrawGradientRect in 64 steps,
// beside QPainter filling the same rectangles with a QLinearGradient in the same run. The argument
// picks the direction: 0 top to bottom (the grid's default), 1 left to right.
#include "controls/ExUtilDraw.h"
#include "platform/Canvas.h"

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

constexpr int kCols = 40, kRows = 30;
constexpr int kCellW = 100, kCellH = 22;
constexpr int kCells = kCols * kRows;

QImage target() { return QImage(kCols * kCellW, kRows * kCellH, QImage::Format_RGB32); }

plat::TColor fromColor(int i) { return plat::RGB(250, 250 - i % 40, 255); }
constexpr plat::TColor kTo = plat::RGB(180, 200, 235);

void BM_DrawGradientRect(benchmark::State& state) {
    const bool horizontal = state.range(0) != 0;
    QImage img = target();
    plat::TCanvas c(&img);
    for (auto _ : state) {
        for (int i = 0; i < kCells; ++i) {
            const int x = (i % kCols) * kCellW, y = (i / kCols) * kCellH;
            DrawGradientRect(c, fromColor(i), kTo, 64, plat::Rect(x, y, x + kCellW, y + kCellH), horizontal);
        }
        c.Release();
        benchmark::DoNotOptimize(img.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kCells);
}

void BM_QPainterLinearGradient(benchmark::State& state) {
    const bool horizontal = state.range(0) != 0;
    QImage img = target();
    const QColor to = plat::ToQColor(kTo);
    for (auto _ : state) {
        QPainter p(&img);
        for (int i = 0; i < kCells; ++i) {
            const int x = (i % kCols) * kCellW, y = (i / kCols) * kCellH;
            const QRect r(x, y, kCellW, kCellH);
            QLinearGradient g(r.topLeft(), horizontal ? r.topRight() : r.bottomLeft());
            g.setColorAt(0, plat::ToQColor(fromColor(i)));
            g.setColorAt(1, to);
            p.fillRect(r, g);
        }
        p.end();
        benchmark::DoNotOptimize(img.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kCells);
}

BENCHMARK(BM_DrawGradientRect)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPainterLinearGradient)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
