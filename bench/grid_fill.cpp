// The string grid's cell store against Qt's item-based table widget: fill 1,025 rows x 16 columns
// and read them back, as the topic tables do when they load and save.
#include "grid/ExGrid.h"

#include <QApplication>
#include <QTableWidget>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

constexpr int kRows = 1025;
constexpr int kCols = 16;

const std::vector<QString>& texts() {
    static const std::vector<QString> t = [] {
        std::vector<QString> v;
        v.reserve(size_t(kRows) * kCols);
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c) v.push_back(QStringLiteral("plant/line%1/value%2").arg(r).arg(c));
        return v;
    }();
    return t;
}

void fill(TExStringGrid& g) {
    const auto& t = texts();
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) g.SetCells(c, r, t[size_t(r) * kCols + c]);
}

void fill(QTableWidget& w) {
    const auto& t = texts();
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) w.setItem(r, c, new QTableWidgetItem(t[size_t(r) * kCols + c]));
}

qsizetype readAll(const TExStringGrid& g) {
    qsizetype n = 0;
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) n += g.Cells(c, r).size();
    return n;
}

qsizetype readAll(const QTableWidget& w) {
    qsizetype n = 0;
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) n += w.item(r, c)->text().size();
    return n;
}

void BM_FillAndRead_ExStringGrid(benchmark::State& state) {
    texts();
    for (auto _ : state) {
        TExStringGrid g;
        g.SetColCount(kCols);
        g.SetRowCount(kRows);
        fill(g);
        benchmark::DoNotOptimize(readAll(g));
    }
}
BENCHMARK(BM_FillAndRead_ExStringGrid)->Unit(benchmark::kMillisecond);

void BM_FillAndRead_QTableWidget(benchmark::State& state) {
    texts();
    for (auto _ : state) {
        QTableWidget w(kRows, kCols);
        fill(w);
        benchmark::DoNotOptimize(readAll(w));
    }
}
BENCHMARK(BM_FillAndRead_QTableWidget)->Unit(benchmark::kMillisecond);

void BM_Read_ExStringGrid(benchmark::State& state) {
    TExStringGrid g;
    g.SetColCount(kCols);
    g.SetRowCount(kRows);
    fill(g);
    for (auto _ : state) benchmark::DoNotOptimize(readAll(g));
}
BENCHMARK(BM_Read_ExStringGrid)->Unit(benchmark::kMicrosecond);

void BM_Read_QTableWidget(benchmark::State& state) {
    QTableWidget w(kRows, kCols);
    fill(w);
    for (auto _ : state) benchmark::DoNotOptimize(readAll(w));
}
BENCHMARK(BM_Read_QTableWidget)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
