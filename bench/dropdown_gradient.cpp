// The drop-down unit's DrawGradient as the grid uses it: 128 bands over a 100 x 22 cell, 10,000
// cells a run on one image, beside QPainter filling the same rectangles with a QLinearGradient in
// the same run. The argument picks the direction: 0 top to bottom, 1 left to right.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include "dropdowns/DovUzerAdev.h"
#include "platform/Canvas.h"

namespace {

constexpr int kCols = 40, kRows = 30;
constexpr int kCellW = 100, kCellH = 22;
constexpr int kCells = 10000;

QImage target() {
    return QImage(kCols * kCellW, kRows * kCellH, QImage::Format_RGB32);
}

QRect cell(int i) {
    const int slot = i % (kCols * kRows);
    return QRect((slot % kCols) * kCellW, (slot / kCols) * kCellH, kCellW, kCellH);
}

plat::TColor fromColor(int i) {
    return plat::RGB(250, 250 - i % 40, 255);
}
constexpr plat::TColor kTo = plat::RGB(180, 200, 235);

void BM_DropDownDrawGradient(benchmark::State& state) {
    const bool direction = state.range(0) != 0;
    QImage img = target();
    plat::TCanvas c(&img);
    for (auto _ : state) {
        for (int i = 0; i < kCells; ++i)
            dropdowns::DrawGradient(c, fromColor(i), kTo, 128, plat::TRect::fromQRect(cell(i)), direction);
        c.Release();
        benchmark::DoNotOptimize(img.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kCells);
}

void BM_QPainterLinearGradient(benchmark::State& state) {
    const bool direction = state.range(0) != 0;
    QImage img = target();
    const QColor to = plat::ToQColor(kTo);
    for (auto _ : state) {
        QPainter p(&img);
        for (int i = 0; i < kCells; ++i) {
            const QRect r = cell(i);
            QLinearGradient g(r.topLeft(), direction ? r.topRight() : r.bottomLeft());
            g.setColorAt(0, plat::ToQColor(fromColor(i)));
            g.setColorAt(1, to);
            p.fillRect(r, g);
        }
        p.end();
        benchmark::DoNotOptimize(img.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kCells);
}

BENCHMARK(BM_DropDownDrawGradient)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
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
