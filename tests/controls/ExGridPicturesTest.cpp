// The grid's glow mask (merging, assignment, the rounded ring and its blur) and file pictures.
#include "controls/ExGridPictures.h"
#include "controls/PictureContainer.h"
#include "tests/support/TestSupport.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

using plat::TBitmap;

TBitmap bitmapOf(int w, int h, plat::TPixelFormat format, QRgb fill) {
    TBitmap b(w, h, format);
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(fill);
    b.SetImage(image);
    return b;
}

QRgb raw(const TBitmap& b, int x, int y) { return reinterpret_cast<const QRgb*>(b.Image().constScanLine(y))[x]; }

TEST(GridAlphaMask, MergeMaskPremultipliesByTheMaskRed) {
    TGridAlphaMask mask;
    EXPECT_EQ(mask.PixelFormat(), plat::pf32bit);
    EXPECT_EQ(mask.Opacity(), 255);
    const struct {
        QRgb pixel;
        int red;
        QRgb expected;  // premultiplied, alpha first
    } cases[] = {
        {qRgb(255, 0, 10), 128, qRgba(128, 0, 5, 128)},
        {qRgb(255, 255, 255), 255, qRgba(255, 255, 255, 255)},
        {qRgb(200, 100, 50), 0, qRgba(0, 0, 0, 0)},
        {qRgb(1, 2, 3), 255, qRgba(1, 2, 3, 255)},
        {qRgb(3, 255, 128), 85, qRgba(1, 85, 43, 85)},
    };
    for (const auto& c : cases) {
        const TBitmap picture = bitmapOf(3, 2, plat::pf24bit, c.pixel);
        const TBitmap alpha = bitmapOf(3, 2, plat::pf24bit, qRgb(c.red, 7, 9));
        mask.MergeMask(alpha, picture, plat::clRed);
        ASSERT_EQ(mask.Width(), 3);
        ASSERT_EQ(mask.Height(), 2);
        EXPECT_EQ(mask.PixelFormat(), plat::pf32bit);
        EXPECT_EQ(raw(mask, 2, 1), c.expected) << c.red;
    }

    // A 32-bit bitmap, or a mask smaller than the bitmap, changes nothing.
    const QRgb before = raw(mask, 0, 0);
    mask.MergeMask(bitmapOf(5, 5, plat::pf24bit, qRgb(255, 0, 0)), bitmapOf(5, 5, plat::pf32bit, qRgb(9, 9, 9)), 0);
    mask.MergeMask(bitmapOf(4, 5, plat::pf24bit, qRgb(255, 0, 0)), bitmapOf(5, 5, plat::pf24bit, qRgb(9, 9, 9)), 0);
    mask.MergeMask(bitmapOf(5, 4, plat::pf24bit, qRgb(255, 0, 0)), bitmapOf(5, 5, plat::pf24bit, qRgb(9, 9, 9)), 0);
    EXPECT_EQ(mask.Width(), 3);
    EXPECT_EQ(raw(mask, 0, 0), before);
    // A larger mask gives its top-left part.
    mask.MergeMask(bitmapOf(9, 9, plat::pf24bit, qRgb(255, 0, 0)), bitmapOf(2, 2, plat::pf24bit, qRgb(9, 9, 9)), 0);
    EXPECT_EQ(mask.Width(), 2);
    EXPECT_EQ(raw(mask, 1, 1), qRgba(9, 9, 9, 255));
}

TEST(GridAlphaMask, AssignCopiesOverItsOwnSize) {
    TGridAlphaMask big;
    big.MergeMask(bitmapOf(6, 4, plat::pf24bit, qRgb(128, 0, 0)), bitmapOf(6, 4, plat::pf24bit, qRgb(255, 0, 10)), 0);
    big.SetOpacity(230);

    TGridAlphaMask small;
    small.MergeMask(bitmapOf(3, 2, plat::pf24bit, qRgb(255, 0, 0)), bitmapOf(3, 2, plat::pf24bit, qRgb(1, 2, 3)), 0);
    small.Assign(big);
    EXPECT_EQ(small.Opacity(), 230);
    EXPECT_EQ(small.Width(), 3);  // keeps its size
    EXPECT_EQ(raw(small, 2, 1), qRgba(128, 0, 5, 128));

    // A smaller source changes nothing, opacity included.
    TGridAlphaMask target;
    target.MergeMask(bitmapOf(8, 8, plat::pf24bit, qRgb(255, 0, 0)), bitmapOf(8, 8, plat::pf24bit, qRgb(4, 5, 6)), 0);
    target.Assign(small);
    EXPECT_EQ(target.Opacity(), 255);
    EXPECT_EQ(target.Width(), 8);
    EXPECT_EQ(raw(target, 0, 0), qRgba(4, 5, 6, 255));

    // From a plain bitmap: a copy that stays 32-bit.
    target.Assign(bitmapOf(2, 3, plat::pf24bit, qRgb(10, 20, 30)));
    EXPECT_EQ(target.PixelFormat(), plat::pf32bit);
    EXPECT_EQ(target.Height(), 3);
    EXPECT_EQ(raw(target, 1, 2), qRgba(10, 20, 30, 255));
}

// ---- The blur, against the same two passes over every row and every column ----

std::vector<float> referenceKernel(double radius) {
    std::vector<float> w(21);
    float sum = 0;
    for (int j = -10; j <= 10; ++j) {
        const double x = j / radius;
        w[std::size_t(j + 10)] = float(std::exp(-(x * x) / 2));
        sum += w[std::size_t(j + 10)];
    }
    for (float& v : w) v /= sum;
    float tail = 0;
    int size = 10;
    while (tail < 1.0f / 510 && size > 1) {
        tail += 2 * w[std::size_t(size + 10)];
        --size;
    }
    sum = 0;
    for (int k = -size; k <= size; ++k) sum += w[std::size_t(k + 10)];
    std::vector<float> kernel;
    for (int k = -size; k <= size; ++k) kernel.push_back(w[std::size_t(k + 10)] / sum);
    return kernel;
}

std::vector<QRgb> referenceLine(const std::vector<float>& kernel, const std::vector<QRgb>& in) {
    const int size = int(kernel.size() / 2), n = int(in.size());
    std::vector<QRgb> out(in.size());
    for (int i = 0; i < n; ++i) {
        float r = 0, g = 0, b = 0;
        for (int k = -size; k <= size; ++k) {
            const QRgb px = in[std::size_t(std::clamp(i - k, 0, n - 1))];
            const float w = kernel[std::size_t(k + size)];
            r += w * float(qRed(px));
            g += w * float(qGreen(px));
            b += w * float(qBlue(px));
        }
        const auto byte = [](float s) { return s < 0 ? 0 : s >= 255 ? 255 : int(s); };
        out[std::size_t(i)] = qRgb(byte(r), byte(g), byte(b));
    }
    return out;
}

QImage referenceBlur(QImage image, double radius) {
    const std::vector<float> kernel = referenceKernel(radius);
    image = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        std::vector<QRgb> line(image.width());
        for (int x = 0; x < image.width(); ++x) line[std::size_t(x)] = image.pixel(x, y);
        line = referenceLine(kernel, line);
        for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, line[std::size_t(x)]);
    }
    for (int x = 0; x < image.width(); ++x) {
        std::vector<QRgb> line(image.height());
        for (int y = 0; y < image.height(); ++y) line[std::size_t(y)] = image.pixel(x, y);
        line = referenceLine(kernel, line);
        for (int y = 0; y < image.height(); ++y) image.setPixel(x, y, line[std::size_t(y)]);
    }
    return image;
}

int differingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF)) ++n;
    return n;
}

TEST(GaussianBlur, SmallPictureIsBlurredInEveryRowAndColumn) {
    std::mt19937 random(37);
    for (double radius : {0.7, 1.5, 3.0, 6.0}) {
        QImage noise(40, 40, QImage::Format_RGB32);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) noise.setPixel(x, y, random() | 0xFF000000u);
        TBitmap bitmap(40, 40, plat::pf24bit);
        bitmap.SetImage(noise);
        GaussianBlur(bitmap, radius);
        EXPECT_EQ(differingPixels(bitmap.Image(), referenceBlur(noise, radius)), 0) << radius;
        EXPECT_GT(differingPixels(bitmap.Image(), noise), 1000) << radius;
    }
}

TEST(GaussianBlur, RoundRectMaskIsExactDespiteTheCopiedMiddle) {
    TBitmap unblurred;
    BuildRoundRectMask(unblurred, 200, 60, 4, 5, 0);
    EXPECT_EQ(unblurred.PixelFormat(), plat::pf24bit);
    ASSERT_EQ(unblurred.Width(), 200);
    ASSERT_EQ(unblurred.Height(), 60);
    // An outline of 4 pixels inset by 2 + 4 / 2 on black.
    EXPECT_EQ(unblurred.Image().pixel(0, 30) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(unblurred.Image().pixel(5, 30) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(unblurred.Image().pixel(100, 5) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(unblurred.Image().pixel(100, 30) & 0xFFFFFF, 0x000000u);

    TBitmap blurred;
    BuildRoundRectMask(blurred, 200, 60, 4, 5, 3.0);
    EXPECT_EQ(differingPixels(blurred.Image(), referenceBlur(unblurred.Image(), 3.0)), 0);
    EXPECT_GT(differingPixels(blurred.Image(), unblurred.Image()), 1000);
}

TEST(GaussianBlur, WhiteRingKeepsFullWhiteWhereTheSumReachesIt) {
    // A white ring 18 pixels wide, wider than the kernel, around a small black hole; 40 x 40, so
    // every row and column is blurred.
    TBitmap ring(40, 40, plat::pf24bit);
    plat::TCanvas& canvas = ring.Canvas();
    canvas.Brush().SetColor(plat::clBlack);
    canvas.FillRect(plat::Rect(0, 0, 40, 40));
    canvas.Brush().SetColor(plat::clWhite);
    canvas.FillRect(plat::Rect(2, 2, 38, 38));
    canvas.Brush().SetColor(plat::clBlack);
    canvas.FillRect(plat::Rect(20, 20, 22, 22));
    canvas.Release();
    const QImage before = ring.Image();
    const std::vector<float> kernel = referenceKernel(3.0);
    float sum = 0;
    for (float w : kernel) sum += w * 255.0f;
    ASSERT_GE(sum, 255.0f);  // all weights over white reach 255 exactly

    GaussianBlur(ring, 3.0);
    EXPECT_EQ(differingPixels(ring.Image(), referenceBlur(before, 3.0)), 0);
    EXPECT_EQ(qRed(ring.Image().pixel(10, 10)), 255);  // every tap on white
    EXPECT_EQ(qRed(ring.Image().pixel(10, 28)), 255);
    EXPECT_LT(qRed(ring.Image().pixel(20, 20)), 255);  // the hole
    EXPECT_LT(qRed(ring.Image().pixel(13, 2)), 255);   // next to the black edge
    EXPECT_GT(qRed(ring.Image().pixel(1, 10)), 0);     // the glow outside
}

TEST(GaussianBlur, OnlyTwentyFourBitBitmaps) {
    TBitmap wide(30, 30, plat::pf32bit);
    const QImage before = wide.Image();
    try {
        GaussianBlur(wide, 3.0);
        ADD_FAILURE() << "no error for a 32-bit bitmap";
    } catch (const plat::Error& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Blur only works for 24-bit bitmaps"));
    }
    EXPECT_EQ(wide.Image(), before);

    TGridAlphaMask mask;
    EXPECT_THROW(GaussianBlur(mask, 1.0), plat::Error);

    TBitmap flat = bitmapOf(30, 30, plat::pf24bit, qRgb(10, 200, 30));
    GaussianBlur(flat, 0);  // no radius, no blur
    EXPECT_EQ(flat.Image().pixel(0, 0) & 0xFFFFFF, qRgb(10, 200, 30) & 0xFFFFFF);
    TBitmap empty(0, 0, plat::pf24bit);
    EXPECT_NO_THROW(GaussianBlur(empty, 3.0));
}

// ---- File pictures ----

QByteArray pngBytes(int w, int h, QColor color) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QRgb drawnAt(TFilePicture& picture, plat::TRect r, int x, int y) {
    QImage target(30, 30, QImage::Format_RGB32);
    target.fill(Qt::white);
    plat::TCanvas canvas(&target);
    picture.DrawPicture(canvas, r);
    canvas.Release();
    return target.pixel(x, y) & 0xFFFFFF;
}

TEST(FilePicture, DrawsTheFileAsItIsNow) {
    testing_support::TempAppDir dir;
    const QString path = dir.file("cell.png");
    testing_support::writeAll(path, pngBytes(4, 2, Qt::red));

    TFilePicture empty;
    EXPECT_EQ(drawnAt(empty, plat::Rect(0, 0, 30, 30), 5, 5), 0xFFFFFFu);

    TFilePicture picture;
    picture.SetFilename(path);
    EXPECT_EQ(picture.Width(), 4);
    EXPECT_EQ(picture.Height(), 2);
    EXPECT_EQ(drawnAt(picture, plat::Rect(2, 2, 12, 12), 11, 11), 0xFF0000u);  // stretched into r
    EXPECT_EQ(drawnAt(picture, plat::Rect(2, 2, 12, 12), 12, 11), 0xFFFFFFu);

    // Rewritten with the same size and then with another: each draw shows what the file holds.
    testing_support::writeAll(path, pngBytes(4, 2, Qt::green));
    EXPECT_EQ(drawnAt(picture, plat::Rect(2, 2, 12, 12), 5, 5), 0x00FF00u);
    testing_support::writeAll(path, pngBytes(7, 7, Qt::blue));
    EXPECT_EQ(drawnAt(picture, plat::Rect(2, 2, 12, 12), 5, 5), 0x0000FFu);

    TFilePicture copy;
    copy.Assign(picture);
    EXPECT_EQ(copy.Filename(), path);
    EXPECT_EQ(copy.Width(), 4);  // as measured when the name was set
    EXPECT_EQ(drawnAt(copy, plat::Rect(0, 0, 3, 3), 1, 1), 0x0000FFu);

    // A file gone or spoilt raises when drawn.
    QFile::remove(path);
    EXPECT_THROW(drawnAt(picture, plat::Rect(0, 0, 3, 3), 1, 1), plat::Error);
    testing_support::writeAll(path, "no picture");
    EXPECT_THROW(drawnAt(picture, plat::Rect(0, 0, 3, 3), 1, 1), plat::Error);
    testing_support::writeAll(path, pngBytes(2, 2, Qt::red));
    EXPECT_EQ(drawnAt(picture, plat::Rect(0, 0, 3, 3), 1, 1), 0xFF0000u);
}

TEST(FilePicture, OnePaintShowsTheFileAsItWasWhenThePaintBegan) {
    testing_support::TempAppDir dir;
    const QString path = dir.file("cell.png");
    testing_support::writeAll(path, pngBytes(2, 2, Qt::red));
    TFilePicture first, second;
    first.SetFilename(path);
    second.SetFilename(path);
    QImage target(10, 10, QImage::Format_RGB32);
    plat::TCanvas canvas(&target);
    first.DrawPicture(canvas, plat::Rect(0, 0, 2, 2));
    testing_support::writeAll(path, pngBytes(3, 3, Qt::green));
    first.DrawPicture(canvas, plat::Rect(2, 0, 4, 2));
    second.DrawPicture(canvas, plat::Rect(4, 0, 6, 2));  // same name, same paint: the same file state
    canvas.Release();
    EXPECT_EQ(target.pixel(3, 1) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(target.pixel(5, 1) & 0xFFFFFF, 0xFF0000u);
    first.DrawPicture(canvas, plat::Rect(0, 0, 2, 2));  // the next paint
    canvas.Release();
    EXPECT_EQ(target.pixel(1, 1) & 0xFFFFFF, 0x00FF00u);
}

TEST(FilePicture, FailedNameKeepsTheNameAndTheOldSize) {
    testing_support::TempAppDir dir;
    testing_support::writeAll(dir.file("a.png"), pngBytes(6, 5, Qt::red));
    testing_support::writeAll(dir.file("text.png"), "plain text");
    TFilePicture picture;
    picture.SetFilename(dir.file("a.png"));
    const struct {
        QString name;
        QString message;
    } cases[] = {
        {dir.file("missing.png"), QStringLiteral("Cannot open file \"%1\". No such file or directory").arg(dir.file("missing.png"))},
        {QStringLiteral("/dev/zero"), QStringLiteral("Cannot open file \"/dev/zero\". Not a regular file")},
        {dir.file("text.png"), QStringLiteral("Invalid picture file \"%1\"").arg(dir.file("text.png"))},
    };
    for (const auto& c : cases) {
        try {
            picture.SetFilename(c.name);
            ADD_FAILURE() << "no error for " << c.name.toStdString();
        } catch (const plat::Error& e) {
            EXPECT_EQ(e.message(), c.message);
        }
        EXPECT_EQ(picture.Filename(), c.name);
        EXPECT_EQ(picture.Width(), 6);
        EXPECT_EQ(picture.Height(), 5);
    }
    picture.SetFilename(QString());
    EXPECT_EQ(picture.Width(), 0);
    EXPECT_EQ(drawnAt(picture, plat::Rect(0, 0, 30, 30), 1, 1), 0xFFFFFFu);
}

}  // namespace
