// 10,000 draws of a file picture into grid cells, beside 10,000 draws of the same decoded picture
// straight through the painter (the floor) in the same run; the file picture should stay within 1.1
// times the floor. A file picture looks at its file once a paint, so a paint shows the file as it
// is; the third figure gives every cell a picture of its own, all of one file, as a grid column of
// status pictures has them.
#include "controls/ExGridPictures.h"
#include "platform/Canvas.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

constexpr int kDraws = 10000;
constexpr int kCols = 20, kRows = 30;  // one screen of cells, drawn over and over
constexpr int kCell = 32;

struct Fixture {
    QTemporaryDir dir;
    QString path;
    QImage decoded;
    Fixture() {
        QImage picture(kCell, kCell, QImage::Format_ARGB32);
        for (int y = 0; y < kCell; ++y)
            for (int x = 0; x < kCell; ++x) picture.setPixel(x, y, qRgba(x * 8, y * 8, 128, 255 - x * 4));
        path = dir.filePath(QStringLiteral("cell.png"));
        picture.save(path, "PNG");
        decoded.load(path);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

plat::TRect cellRect(int i) {
    const int x = (i % kCols) * kCell, y = ((i / kCols) % kRows) * kCell;
    return plat::Rect(x, y, x + kCell, y + kCell);
}

QImage target() { return QImage(kCols * kCell, kRows * kCell, QImage::Format_RGB32); }

void BM_FilePictureDraws(benchmark::State& state) {
    QImage img = target();
    plat::TCanvas canvas(&img);
    TFilePicture picture;
    picture.SetFilename(fixture().path);
    for (auto _ : state) {
        for (int i = 0; i < kDraws; ++i) picture.DrawPicture(canvas, cellRect(i));
        canvas.Release();
        benchmark::DoNotOptimize(img.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kDraws);
}

void BM_FilePicturePerCell(benchmark::State& state) {
    QImage img = target();
    plat::TCanvas canvas(&img);
    std::vector<TFilePicture> pictures(kCols * kRows);
    for (TFilePicture& picture : pictures) picture.SetFilename(fixture().path);
    for (auto _ : state) {
        for (int i = 0; i < kDraws; ++i) pictures[std::size_t(i % (kCols * kRows))].DrawPicture(canvas, cellRect(i));
        canvas.Release();
        benchmark::DoNotOptimize(img.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kDraws);
}

void BM_DecodedImageDraws(benchmark::State& state) {
    QImage img = target();
    plat::TCanvas canvas(&img);
    const QImage& decoded = fixture().decoded;
    for (auto _ : state) {
        for (int i = 0; i < kDraws; ++i) {
            const plat::TRect r = cellRect(i);
            canvas.Painter()->drawImage(QPoint(r.Left, r.Top), decoded);
        }
        canvas.Release();
        benchmark::DoNotOptimize(img.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kDraws);
}

BENCHMARK(BM_FilePictureDraws)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilePicturePerCell)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodedImageDraws)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
