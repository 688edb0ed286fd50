// Filling the multi-column drop-down's pop-up grid with 10,000 rows of 3 columns and painting it
// once (one opening), beside a QTableWidget filled with the same texts and painted once, in the
// same run.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableWidget>
#include <QWidget>

#include "dropdowns/ExMultiColumnDropDown.h"

namespace {

constexpr int kRows = 10000, kCols = 3;

QString text(int r, int c) {
    return QStringLiteral("Item %1 col %2").arg(r).arg(c);
}

void BM_MultiColumnOpen(benchmark::State& state) {
    QWidget window;
    window.resize(400, 100);
    auto* edit = dropdowns::TExCustomDropDown::CreateDropDown<dropdowns::TExMultiColumnDropDown>(&window);
    for (int c = 0; c < kCols; ++c) edit->Columns().Add().Width = 100;
    for (int r = 0; r < kRows; ++r) {
        QStringList t;
        for (int c = 0; c < kCols; ++c) t << text(r, c);
        edit->Items().Add().SetText(t);
    }
    edit->EndUpdate();
    window.show();
    for (auto _ : state) {
        edit->ShowDropDown();
        if (!edit->DroppedDown() || edit->Grid()->RowCount() != kRows + 1) {
            state.SkipWithError("the pop-up did not open with its rows");
            break;
        }
        QImage shot = edit->DropDownForm()->grab().toImage();
        benchmark::DoNotOptimize(shot.constBits());
        edit->HideDropDown(false);
    }
    delete edit;
}

void BM_QTableWidgetPeer(benchmark::State& state) {
    QWidget window;
    window.resize(400, 100);
    window.show();
    for (auto _ : state) {
        QTableWidget table(kRows, kCols, &window);
        table.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
        table.resize(302, 181);
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c) table.setItem(r, c, new QTableWidgetItem(text(r, c)));
        table.show();
        QImage shot = table.grab().toImage();
        benchmark::DoNotOptimize(shot.constBits());
    }
}

BENCHMARK(BM_MultiColumnOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QTableWidgetPeer)->Unit(benchmark::kMillisecond);

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
