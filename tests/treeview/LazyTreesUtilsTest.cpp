// The drawing helpers: text shortening and wrapping over a stub measure (each character 10 pixels
// wide), row addresses, the byte formulas of the blends, rectangles and the strips of a moved picture.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <array>
#include <cstring>

#include "platform/Bitmap.h"
#include "platform/ImageList.h"
#include "treeview/LazyTrees.Utils.h"
#include "treeview/LazyTreesTypes.h"

using namespace lazytree;
using plat::TRect;

namespace {

struct StubMeasure : ITextMeasure {
    int perChar = 10;
    int measured = 0;
    int TextWidth(const QString& text) override {
        ++measured;
        return perChar * static_cast<int>(text.size());
    }
    void CalcRect(const QString& text, TRect& bounds, unsigned) override {
        bounds.Right = std::max(bounds.Right, bounds.Left + TextWidth(text));
        bounds.Bottom = std::max(bounds.Bottom, bounds.Top + 14);
    }
};

TEST(LazyTreeUtils, EllipsisText) {
    struct Case {
        const char* name;
        const char* text;
        int width;
        int ellipsisWidth;
        const char* expected;
    };
    const Case cases[] = {
        {"fits together with the ellipsis: unchanged", "abc", 60, 0, "abc"},
        {"two letters fit with the ellipsis", "abcdef", 50, 30, "ab..."},
        {"the ellipsis alone does not fit", "abcdef", 30, 30, ""},
        {"the ellipsis fits but no letter", "abcdef", 35, 30, "..."},
        {"fits alone but not with the ellipsis: shortened all the same", "abcd", 40, 30, "a..."},
        {"empty text", "", 100, 0, ""},
        {"no room", "abc", 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StubMeasure m;
        EXPECT_EQ(EllipsisText(m, QString::fromLatin1(c.text), c.width, c.ellipsisWidth), QString::fromLatin1(c.expected));
    }
    // A binary search: a long text costs a handful of measurements.
    StubMeasure m;
    EllipsisText(m, QString(1000, u'x'), 5000, 30);
    EXPECT_LE(m.measured, 11);
}

TEST(LazyTreeUtils, WordWrapText) {
    struct Case {
        const char* name;
        const char* text;
        int width;
        bool rightToLeft;
        const char* expected;
    };
    const Case cases[] = {
        {"blanks around the words are trimmed", "  ab cd \t", 200, false, "ab cd"},
        {"two words on two lines", "ab cd", 40, false, "ab\ncd"},
        {"a word wider than the bounds is cut after the longest prefix that fits", "abcdefg hi", 50, false,
         "abcde\nfg hi"},
        {"a cut down to one character makes the next over-wide word go whole", "abc", 5, false, "a\nbc"},
        {"right to left keeps the word order, the last words on the first line", "ab cd ef", 50, true, "cd ef\nab"},
        {"only blanks", "   ", 100, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StubMeasure m;
        const QString result = WordWrapText(m, QString::fromLatin1(c.text), TRect{0, 0, c.width, 100}, c.rightToLeft, 0);
        EXPECT_EQ(result, QString::fromLatin1(c.expected));
        EXPECT_FALSE(result.endsWith(u'\n'));
    }
}

TEST(LazyTreeUtils, ScanlineAtCountsBottomUpOrTopDown) {
    std::array<uint8_t, 5 * 10 * 4> bits{};
    EXPECT_EQ(ScanlineAt(bits.data(), 5, 10, 0) - bits.data(), 180);
    EXPECT_EQ(ScanlineAt(bits.data(), 5, 10, 9) - bits.data(), 0);
    EXPECT_EQ(ScanlineAt(bits.data(), 5, -10, 2) - bits.data(), 40);
}

TEST(LazyTreeUtils, BlendBytes) {
    struct Case {
        const char* name;
        int mode;
        uint8_t s, d, sourceAlpha;
        int alpha, bias;
        uint8_t expected;
    };
    const Case cases[] = {
        {"alpha 0 leaves the destination", 0, 200, 77, 255, 0, 0, 77},
        {"alpha 255 of 255 over 0 gives 254", 0, 255, 0, 255, 255, 0, 254},
        {"bias +20 on 250 saturates at 255", 0, 0, 250, 255, 0, 20, 255},
        {"bias -20 on 10 saturates at 0", 0, 0, 10, 255, 0, -20, 0},
        {"half of 200 over 100", 0, 200, 100, 255, 128, 0, 150},
        {"pixel alpha takes the source's fourth byte", 1, 255, 0, 128, 0, 0, 127},
        {"scaled alpha is constant times pixel alpha", 2, 255, 0, 128, 128, 0, 63},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uint8_t src[4] = {c.s, c.s, c.s, c.sourceAlpha};
        uint8_t dst[4] = {c.d, c.d, c.d, c.d};
        if (c.mode == 0) BlendRowFixed(src, dst, 1, c.bias, c.alpha);
        if (c.mode == 1) BlendRowByPixel(src, dst, 1, c.bias);
        if (c.mode == 2) BlendRowScaled(src, dst, 1, c.bias, c.alpha);
        EXPECT_EQ(dst[0], c.expected);
        EXPECT_EQ(dst[2], c.expected);
    }
    // The tint: white at 128 over black with a fourth byte of 0.
    uint8_t pixel[4] = {0, 0, 0, 0};
    BlendRowTint(pixel, 1, 128, 0x00FFFFFF);
    EXPECT_EQ(std::vector<int>(pixel, pixel + 4), std::vector<int>({127, 127, 127, 0}));
    // The colour's red byte lands in the pixel's third byte.
    uint8_t red[4] = {0, 0, 0, 0};
    BlendRowTint(red, 1, 255, 0x000000FF);
    EXPECT_EQ(std::vector<int>(red, red + 4), std::vector<int>({0, 0, 254, 0}));
}

// Fault mended: a rectangle or target reaching outside either image wrote outside it; now both are
// clamped and the pixels inside get the same result.
TEST(LazyTreeUtils, BlendRectClampsToBothImages) {
    QImage source(4, 4, QImage::Format_ARGB32);
    source.fill(qRgba(255, 255, 255, 255));
    QImage dest(4, 4, QImage::Format_ARGB32);
    dest.fill(qRgba(0, 0, 0, 0));
    // The rectangle's corner (-2, -2) goes to (1, 1): source pixel (0, 0) lands on (3, 3), the only
    // one inside both images.
    BlendRect(&source, dest, TRect{-2, -2, 10, 10}, QPoint(1, 1), 0, 255, 0);
    EXPECT_EQ(dest.pixel(2, 2), qRgba(0, 0, 0, 0));
    EXPECT_EQ(dest.pixel(3, 2), qRgba(0, 0, 0, 0));
    EXPECT_EQ(dest.pixel(3, 3), qRgba(254, 254, 254, 254));
    // A target past the right edge: only the columns that fit.
    dest.fill(qRgba(0, 0, 0, 0));
    BlendRect(&source, dest, TRect{0, 0, 4, 1}, QPoint(2, 0), 0, 255, 0);
    EXPECT_EQ(dest.pixel(1, 0), qRgba(0, 0, 0, 0));
    EXPECT_EQ(dest.pixel(2, 0), qRgba(254, 254, 254, 254));
    EXPECT_EQ(dest.pixel(3, 0), qRgba(254, 254, 254, 254));
    EXPECT_EQ(dest.pixel(2, 1), qRgba(0, 0, 0, 0));
    // Mode 3 tints only inside the image.
    dest.fill(qRgba(0, 0, 0, 0));
    BlendRect(nullptr, dest, TRect{2, 2, 100, 100}, QPoint(), 3, 255, 0x0000FF);
    EXPECT_EQ(dest.pixel(1, 1), qRgba(0, 0, 0, 0));
    EXPECT_EQ(dest.pixel(3, 3), qRgba(254, 0, 0, 0));
    // Empty rectangles and unknown modes change nothing; the wrong depth and no image are errors.
    BlendRect(&source, dest, TRect{2, 2, 2, 4}, QPoint(), 0, 255, 0);
    BlendRect(&source, dest, TRect{0, 0, 4, 4}, QPoint(), 4, 255, 0);
    EXPECT_EQ(dest.pixel(0, 0), qRgba(0, 0, 0, 0));
    QImage grey(4, 4, QImage::Format_Grayscale8);
    EXPECT_THROW(BlendRect(&source, grey, TRect{0, 0, 1, 1}, QPoint(), 0, 255, 0), ELazyTreeAssertion);
    EXPECT_THROW(BlendRect(nullptr, dest, TRect{0, 0, 1, 1}, QPoint(), 0, 255, 0), ELazyTreeAssertion);
}

TEST(LazyTreeUtils, RectanglesAndColours) {
    EXPECT_EQ(SortRectCorners(TRect{10, 20, 0, 5}), (TRect{0, 5, 10, 20}));
    EXPECT_EQ(SortRectCorners(TRect{1, 2, 1, 2}), (TRect{1, 2, 1, 2}));
    EXPECT_EQ(ImageListColor(plat::clNone), 0xFFFFFFFFu);
    EXPECT_EQ(ImageListColor(clDefault), 0xFF000000u);
    EXPECT_EQ(ImageListColor(plat::clRed), 0x000000FFu);
    StubMeasure m;
    TRect bounds{5, 6, 0, 0};
    TextDrawBounds(m, "abc", bounds, 0);
    EXPECT_EQ(bounds, (TRect{5, 6, 35, 20}));
}

TEST(LazyTreeUtils, SplitMovedPictureTable) {
    const int W = 100, H = 50, X = 10, Y = 4;
    const TRect none{-1, -1, -1, -1};
    struct Case {
        int dx, dy;
        TRect scroll, restoreA, restoreB, fetchA, fetchB;
    };
    const Case cases[] = {
        {0, Y, {0, 0, W, H - Y}, {0, H - Y, W, Y}, none, {0, 0, W, Y}, none},
        {0, -Y, {0, Y, W, H}, {0, 0, W, Y}, none, {0, H - Y, W, Y}, none},
        {X, 0, {0, 0, W - X, H}, none, {W - X, 0, X, H}, none, {0, 0, X, H}},
        {X, Y, {0, 0, W - X, H - Y}, {W - X, 0, X, H}, {0, H - Y, W - X, Y}, {X, 0, W - X, Y}, {0, 0, X, H}},
        {X, -Y, {0, Y, W - X, H}, {W - X, 0, X, H}, {0, 0, W - X, Y}, {X, H - Y, W - X, Y}, {0, 0, X, H}},
        {-X, 0, {X, 0, W, H}, none, {0, 0, X, H}, none, {W - X, 0, X, H}},
        {-X, Y, {X, 0, W, H}, {X, H - Y, W - X, Y}, {0, 0, X, H}, {W - X, 0, X, H}, {0, 0, W - X, Y}},
        {-X, -Y, {X, Y, W, H}, {X, 0, W - X, Y}, {0, 0, X, H}, {W - X, 0, X, H}, {0, H - Y, W - X, Y}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << ", " << c.dy);
        TRect ra = none, rb = none, fa = none, fb = none, scroll, clip;
        SplitMovedPicture(W, H, c.dx, c.dy, ra, rb, fa, fb, scroll, clip);
        EXPECT_EQ(clip, (TRect{0, 0, W, H}));
        EXPECT_EQ(scroll, c.scroll);
        EXPECT_EQ(ra, c.restoreA);
        EXPECT_EQ(rb, c.restoreB);
        EXPECT_EQ(fa, c.fetchA);
        EXPECT_EQ(fb, c.fetchB);
    }
}

TEST(LazyTreeUtils, ImageListDrawsStyledGreyedAndWithOverlays) {
    plat::TImageList list(2, 2);
    QImage pictures(6, 2, QImage::Format_ARGB32);
    pictures.fill(Qt::transparent);
    pictures.setPixel(0, 0, qRgba(0, 0, 255, 255));   // picture 0: one blue pixel
    pictures.setPixel(3, 1, qRgba(255, 0, 0, 255));   // picture 1: one red pixel (an overlay)
    pictures.setPixel(4, 0, qRgba(0, 255, 0, 255));   // picture 2
    plat::TBitmap bitmap(6, 2, plat::pf32bit);
    bitmap.SetImage(pictures);
    ASSERT_EQ(list.Add(bitmap), 0);
    ASSERT_EQ(list.Count(), 3);
    list.SetOverlayImage(1, 1);
    QImage target(2, 2, QImage::Format_ARGB32);
    auto draw = [&](auto&& how) {
        target.fill(qRgba(255, 255, 255, 255));
        plat::TCanvas canvas(&target);
        how(canvas);
        canvas.SetDevice(nullptr);
    };
    draw([&](plat::TCanvas& c) { DrawListImage(list, 0, c, 0, 0, plat::ILD_TRANSPARENT | plat::IndexToOverlayMask(1), true); });
    EXPECT_EQ(target.pixel(0, 0), qRgba(0, 0, 255, 255));
    EXPECT_EQ(target.pixel(1, 1), qRgba(255, 0, 0, 255));
    EXPECT_EQ(target.pixel(1, 0), qRgba(255, 255, 255, 255));
    draw([&](plat::TCanvas& c) { list.DrawStyled(c, 0, 0, 0, plat::ILD_TRANSPARENT | plat::ILD_BLEND50, plat::clBlack); });
    EXPECT_EQ(target.pixel(0, 0), qRgba(0, 0, 127, 255));
    draw([&](plat::TCanvas& c) { DrawListImage(list, 0, c, 0, 0, plat::ILD_NORMAL, false); });
    EXPECT_EQ(qRed(target.pixel(0, 0)), qGreen(target.pixel(0, 0)));
    EXPECT_NE(target.pixel(0, 0), qRgba(0, 0, 255, 255));
}

}  // namespace
