// Creating 300 push buttons with the house look and painting each once (the program makes 215 at
// start-up), beside 300 QPushButtons created and painted the same way, in the same run.
#include "controls/FadeButton.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QWidget>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

constexpr int kButtons = 300;

template <typename Make>
void createAndPaint(benchmark::State& state, Make make) {
    QImage img(110, 28, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QWidget window;
        std::vector<QWidget*> buttons;
        buttons.reserve(kButtons);
        for (int i = 0; i < kButtons; ++i) {
            QWidget* b = make(&window, QStringLiteral("Button %1").arg(i));
            b->setGeometry(0, 0, 110, 28);
            buttons.push_back(b);
        }
        for (QWidget* b : buttons) b->render(&img);
        benchmark::DoNotOptimize(img.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kButtons);
}

void BM_FadeButtons(benchmark::State& state) {
    createAndPaint(state, [](QWidget* parent, const QString& caption) -> QWidget* {
        return NewHouseButton(caption, parent);
    });
}

void BM_QPushButtons(benchmark::State& state) {
    createAndPaint(state, [](QWidget* parent, const QString& caption) -> QWidget* {
        return new QPushButton(caption, parent);
    });
}

BENCHMARK(BM_FadeButtons)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPushButtons)->Unit(benchmark::kMillisecond);

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
