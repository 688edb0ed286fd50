// The image list: strips cut into pictures, see-through pixels, greyed and out-of-range draws.
#include "platform/ImageList.h"

#include <gtest/gtest.h>

using namespace plat;

namespace {

constexpr TColor kBack = RGB(10, 20, 30);

TEST(ImageList, StripsKeysGreyAndRange) {
    // A strip of two 4 x 4 pictures: red and blue squares on a fuchsia ground.
    TBitmap strip(8, 4);
    TCanvas& sc = strip.Canvas();
    sc.Brush().SetColor(clFuchsia);
    sc.FillRect(Rect(0, 0, 8, 4));
    sc.Brush().SetColor(clRed);
    sc.FillRect(Rect(1, 1, 3, 3));
    sc.Brush().SetColor(clBlue);
    sc.FillRect(Rect(5, 1, 7, 3));
    strip.SetTransparent(true);

    TImageList list(4, 4);
    EXPECT_EQ(list.Add(strip), 0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.AddMasked(strip, clRed), 2);  // the red square see-through, the ground kept
    EXPECT_EQ(list.Count(), 4);

    QImage img(40, 10, QImage::Format_RGB32);
    img.fill(ToQColor(kBack));
    TCanvas c(&img);
    list.Draw(c, 0, 0, 1);
    list.Draw(c, 10, 0, 0, false);
    list.Draw(c, 20, 0, 2);
    list.Draw(c, 30, 0, 4);   // past the end
    list.Draw(c, 30, 0, -1);  // before the start
    c.Release();
    auto at = [&](int x, int y) { return FromQRgb(img.pixel(x, y)); };
    EXPECT_EQ(at(0, 0), kBack);  // the key colour keeps the background
    EXPECT_EQ(at(1, 1), clBlue);
    const TColor grey = at(11, 11 - 10);
    EXPECT_EQ(GetRValue(grey), GetGValue(grey));
    EXPECT_EQ(GetGValue(grey), GetBValue(grey));
    EXPECT_NE(grey, clRed);
    EXPECT_EQ(at(10, 0), kBack);  // a greyed picture keeps its see-through pixels
    EXPECT_EQ(at(20, 0), clFuchsia);
    EXPECT_EQ(at(21, 1), kBack);
    for (int x = 30; x < 40; ++x)
        for (int y = 0; y < 10; ++y) EXPECT_EQ(at(x, y), kBack);

    list.Delete(0);
    EXPECT_EQ(list.Count(), 3);
    list.Delete(7);
    EXPECT_EQ(list.Count(), 3);
    list.SetSize(8, 8);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Add(TBitmap()), -1);
}

}  // namespace
