// 10,000 grid cells painted onto an image (fill, frame, one line of text) through the canvas,
// beside the same cells painted with bare QPainter calls in the same run; the canvas should stay
// within 1.2 times the bare calls.
#include "platform/Canvas.h"
#include "platform/Colors.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

constexpr int kCells = 10000;
constexpr int kCols = 20, kRows = 40;  // one screen of cells, painted over and over
constexpr int kCellW = 64, kCellH = 18;

struct Cell {
    plat::TRect rect;
    QString text;
    plat::TColor fill;
};

const std::vector<Cell>& cells() {
    static const std::vector<Cell> v = [] {
        std::vector<Cell> out;
        out.reserve(kCells);
        for (int i = 0; i < kCells; ++i) {
            const int col = i % kCols, row = (i / kCols) % kRows;
            const int x = col * kCellW, y = row * kCellH;
            out.push_back({plat::Rect(x, y, x + kCellW, y + kCellH), QStringLiteral("Cell %1").arg(i),
                           i % 2 ? plat::clWindow : plat::clInfoBk});
        }
        return out;
    }();
    return v;
}

QImage target() { return QImage(kCols * kCellW, kRows * kCellH, QImage::Format_RGB32); }

plat::TFont cellFont() {
    plat::TFont f;
    f.SetName(QStringLiteral("DejaVu Sans"));
    f.SetHeight(-12);
    return f;
}

void BM_CanvasCells(benchmark::State& state) {
    QImage img = target();
    plat::TCanvas c(&img);
    c.Font().Assign(cellFont());
    c.Font().SetColor(plat::clWindowText);
    for (auto _ : state) {
        for (const Cell& cell : cells()) {
            c.Brush().SetColor(cell.fill);
            c.FillRect(cell.rect);
            c.Brush().SetColor(plat::clBtnShadow);
            c.FrameRect(cell.rect);
            c.Brush().SetStyle(plat::bsClear);
            c.TextOut(cell.rect.Left + 2, cell.rect.Top + 2, cell.text);
        }
        c.Release();
        benchmark::DoNotOptimize(img.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kCells);
}

// The same cells with their text laid out in the cell (one line, centred vertically, clipped),
// beside QPainter's own text layout in a rectangle.
void BM_CanvasDrawTextCells(benchmark::State& state) {
    QImage img = target();
    plat::TCanvas c(&img);
    c.Font().Assign(cellFont());
    c.Font().SetColor(plat::clWindowText);
    for (auto _ : state) {
        for (const Cell& cell : cells()) {
            c.Brush().SetColor(cell.fill);
            c.FillRect(cell.rect);
            c.Brush().SetStyle(plat::bsClear);
            plat::TRect r = cell.rect;
            c.DrawText(cell.text, r, plat::DT_SINGLELINE | plat::DT_VCENTER | plat::DT_END_ELLIPSIS);
        }
        c.Release();
        benchmark::DoNotOptimize(img.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kCells);
}

void BM_QPainterDrawTextCells(benchmark::State& state) {
    QImage img = target();
    const QFont font = cellFont().ToQFont();
    const QColor window = plat::ToQColor(plat::clWindow), info = plat::ToQColor(plat::clInfoBk);
    const QColor text = plat::ToQColor(plat::clWindowText);
    for (auto _ : state) {
        QPainter p(&img);
        p.setFont(font);
        p.setPen(text);
        const QFontMetrics fm(font, &img);
        for (const Cell& cell : cells()) {
            const QRect r = cell.rect.toQRect();
            p.fillRect(r, cell.fill == plat::clWindow ? window : info);
            p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic,
                       fm.elidedText(cell.text, Qt::ElideRight, r.width()));
        }
        p.end();
        benchmark::DoNotOptimize(img.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kCells);
}

void BM_QPainterCells(benchmark::State& state) {
    QImage img = target();
    const QFont font = cellFont().ToQFont();
    const int ascent = QFontMetrics(font, &img).ascent();
    const QColor window = plat::ToQColor(plat::clWindow), info = plat::ToQColor(plat::clInfoBk);
    const QColor frame = plat::ToQColor(plat::clBtnShadow), text = plat::ToQColor(plat::clWindowText);
    for (auto _ : state) {
        QPainter p(&img);
        p.setFont(font);
        for (const Cell& cell : cells()) {
            const QRect r = cell.rect.toQRect();
            p.fillRect(r, cell.fill == plat::clWindow ? window : info);
            // The frame as four one-pixel fills, the quickest way QPainter has to it.
            p.fillRect(QRect(r.left(), r.top(), r.width(), 1), frame);
            p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), frame);
            p.fillRect(QRect(r.left(), r.top() + 1, 1, r.height() - 2), frame);
            p.fillRect(QRect(r.right(), r.top() + 1, 1, r.height() - 2), frame);
            p.setPen(text);
            p.drawText(QPoint(r.left() + 2, r.top() + 2 + ascent), cell.text);
        }
        p.end();
        benchmark::DoNotOptimize(img.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kCells);
}

BENCHMARK(BM_CanvasCells)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPainterCells)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CanvasDrawTextCells)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPainterDrawTextCells)->Unit(benchmark::kMillisecond);

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
