// Opening a detail drop-down of 2,000 items with mini-HTML captions and notes (filling its list,
// laying it out, showing and painting the pop-up once) beside a QListWidget filled with the same
// texts, shown at the same size and painted once, in the same run.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListWidget>
#include <QWidget>

#include "dropdowns/ExDetailDropDown.h"

namespace {

constexpr int kItems = 2000;
constexpr int kWidth = 250, kHeight = 300;

QString caption(int i) {
    return QStringLiteral("<b>Device</b> %1").arg(i);
}
QString notes(int i) {
    return QStringLiteral("Slot <i>%1</i>, module <font color=\"clRed\">%2</font>").arg(i % 64).arg(i * 7);
}

void BM_DetailDropDownOpen(benchmark::State& state) {
    QWidget window;
    window.resize(400, 100);
    auto* edit = dropdowns::TExCustomDropDown::CreateDropDown<dropdowns::TExDetailDropDown>(&window);
    for (int i = 0; i < kItems; ++i) {
        dropdowns::TDetailItem& it = edit->Items().Add();
        it.SetCaption(caption(i));
        it.SetNotes(notes(i));
    }
    edit->SetItemHeight(36);
    edit->SetDropDownWidth(kWidth);
    edit->SetDropDownHeight(kHeight);
    window.show();
    for (auto _ : state) {
        edit->ShowDropDown();
        if (!edit->DroppedDown() || edit->ItemSelector()->Items().Count() != kItems) {
            state.SkipWithError("the pop-up did not open with its items");
            break;
        }
        QImage shot = edit->DropDownForm()->grab().toImage();
        benchmark::DoNotOptimize(shot.constBits());
        edit->HideDropDown(false);
    }
    state.SetItemsProcessed(state.iterations() * kItems);
    delete edit;
}

void BM_QListWidgetPeer(benchmark::State& state) {
    QWidget window;
    window.resize(400, 100);
    window.show();
    for (auto _ : state) {
        QListWidget list(&window);
        list.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
        list.resize(kWidth, kHeight);
        for (int i = 0; i < kItems; ++i) list.addItem(caption(i) + QLatin1Char('\n') + notes(i));
        list.show();
        QImage shot = list.grab().toImage();
        benchmark::DoNotOptimize(shot.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}

BENCHMARK(BM_DetailDropDownOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QListWidgetPeer)->Unit(benchmark::kMillisecond);

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
