// The canvas's drawing rules, checked pixel by pixel on images.
#include "platform/Bitmap.h"
#include "platform/Canvas.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

using namespace plat;

namespace {

constexpr TColor kBack = RGB(10, 20, 30);

QImage blank(int w = 20, int h = 20) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(ToQColor(kBack));
    return img;
}

TColor at(const QImage& img, int x, int y) { return FromQRgb(img.pixel(x, y)); }

// The box around every pixel that differs from the background; empty when none does.
QRect inkBox(const QImage& img, TColor back = kBack) {
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (at(img, x, y) != back) box |= QRect(x, y, 1, 1);
    return box;
}

TEST(Canvas, RectangleTouchesExactlyItsPixelsOutlineByPenInsideByBrush) {
    QImage img = blank();
    {
        TCanvas c(&img);
        c.Pen().SetColor(clRed);
        c.Brush().SetColor(clLime);
        c.Rectangle(1, 1, 5, 4);
    }
    EXPECT_EQ(inkBox(img), QRect(QPoint(1, 1), QPoint(4, 3)));
    for (int y = 1; y <= 3; ++y)
        for (int x = 1; x <= 4; ++x) {
            const bool edge = x == 1 || x == 4 || y == 1 || y == 3;
            EXPECT_EQ(at(img, x, y), edge ? clRed : clLime) << x << "," << y;
        }
}

TEST(Canvas, ShapesFollowTheRules) {
    struct Case {
        const char* name;
        std::function<void(TCanvas&)> draw;
        QRect ink;  // empty: nothing painted
    } cases[] = {
        {"line leaves its end pixel", [](TCanvas& c) { c.MoveTo(2, 5); c.LineTo(8, 5); }, QRect(QPoint(2, 5), QPoint(7, 5))},
        {"line backwards", [](TCanvas& c) { c.MoveTo(8, 5); c.LineTo(2, 5); }, QRect(QPoint(3, 5), QPoint(8, 5))},
        {"vertical line", [](TCanvas& c) { c.MoveTo(4, 2); c.LineTo(4, 9); }, QRect(QPoint(4, 2), QPoint(4, 8))},
        {"diagonal line", [](TCanvas& c) { c.MoveTo(1, 1); c.LineTo(6, 6); }, QRect(QPoint(1, 1), QPoint(5, 5))},
        {"pen width 0 is one pixel", [](TCanvas& c) { c.Pen().SetWidth(0); c.MoveTo(3, 3); c.LineTo(3, 10); },
         QRect(QPoint(3, 3), QPoint(3, 9))},
        {"clear pen draws no line", [](TCanvas& c) { c.Pen().SetStyle(psClear); c.MoveTo(3, 3); c.LineTo(9, 3); }, QRect()},
        {"no-colour pen draws no line", [](TCanvas& c) { c.Pen().SetColor(clNone); c.MoveTo(3, 3); c.LineTo(9, 3); }, QRect()},
        {"fill excludes right and bottom", [](TCanvas& c) { c.FillRect(Rect(2, 3, 6, 8)); }, QRect(QPoint(2, 3), QPoint(5, 7))},
        {"clear brush fills nothing", [](TCanvas& c) { c.Brush().SetStyle(bsClear); c.FillRect(Rect(2, 3, 6, 8)); }, QRect()},
        {"no-colour brush fills nothing", [](TCanvas& c) { c.Brush().SetColor(clNone); c.FillRect(Rect(2, 3, 6, 8)); }, QRect()},
        {"frame", [](TCanvas& c) { c.FrameRect(Rect(2, 2, 7, 6)); }, QRect(QPoint(2, 2), QPoint(6, 5))},
        {"rectangle with a clear pen is one smaller", [](TCanvas& c) { c.Pen().SetStyle(psClear); c.Rectangle(2, 2, 7, 6); },
         QRect(QPoint(2, 2), QPoint(5, 4))},
        {"ellipse inside its box", [](TCanvas& c) { c.Ellipse(2, 3, 12, 9); }, QRect(QPoint(2, 3), QPoint(11, 8))},
        {"wide flat ellipse inside its box", [](TCanvas& c) { c.Ellipse(1, 2, 19, 8); }, QRect(QPoint(1, 2), QPoint(18, 7))},
        {"round rectangle inside its box", [](TCanvas& c) { c.RoundRect(1, 1, 15, 11, 6, 6); }, QRect(QPoint(1, 1), QPoint(14, 10))},
        {"polyline leaves the last point", [](TCanvas& c) { c.Polyline({{1, 1}, {6, 1}, {6, 6}}); }, QRect(QPoint(1, 1), QPoint(6, 5))},
        {"pixel", [](TCanvas& c) { c.SetPixel(7, 9, clRed); }, QRect(7, 9, 1, 1)},
    };
    for (const Case& cs : cases) {
        QImage img = blank();
        {
            TCanvas c(&img);
            c.Pen().SetColor(clRed);
            c.Brush().SetColor(clLime);
            cs.draw(c);
        }
        EXPECT_EQ(inkBox(img), cs.ink) << cs.name;
    }
}

TEST(Canvas, DottedPenAndPenPosition) {
    QImage img = blank();
    TCanvas c(&img);
    c.Pen().SetColor(clRed);
    c.Pen().SetStyle(psDot);
    c.MoveTo(0, 0);
    c.LineTo(12, 0);
    EXPECT_EQ(c.PenPos(), QPoint(12, 0));
    c.Release();
    QString pattern;
    for (int x = 0; x < 12; ++x) pattern += at(img, x, 0) == clRed ? u'#' : u'.';
    EXPECT_EQ(pattern, "###...###...");
}

TEST(Canvas, PolygonOutlinesItsClosedFigureAndFillsInside) {
    // The drop-down arrow: the triangle (5, 8), (11, 8), (8, 11) in one colour.
    QImage img = blank();
    TCanvas c(&img);
    c.Pen().SetColor(clRed);
    c.Brush().SetColor(clRed);
    c.Polygon({{5, 8}, {11, 8}, {8, 11}});
    c.Release();
    QStringList rows;
    for (int y = 7; y <= 12; ++y) {
        QString row;
        for (int x = 4; x <= 12; ++x) row += at(img, x, y) == clRed ? u'#' : u'.';
        rows << row;
    }
    EXPECT_EQ(rows, (QStringList{".........", ".#######.", "..#####..", "...###...", "....#....", "........."}));

    // Outline and inside in their own colours.
    QImage box = blank();
    TCanvas b(&box);
    b.Pen().SetColor(clRed);
    b.Brush().SetColor(clLime);
    b.Polygon({{2, 2}, {9, 2}, {9, 9}, {2, 9}});
    b.Release();
    EXPECT_EQ(inkBox(box), QRect(QPoint(2, 2), QPoint(9, 9)));  // a closed figure reaches every corner
    EXPECT_EQ(at(box, 9, 9), clRed);
    EXPECT_EQ(at(box, 5, 5), clLime);
    EXPECT_EQ(at(box, 2, 5), clRed);
}

TEST(Canvas, FocusRectDrawnTwiceRestoresEveryPixel) {
    QImage img = blank(16, 12);
    {
        TCanvas c(&img);
        c.Brush().SetColor(clYellow);
        c.FillRect(Rect(3, 3, 9, 7));  // something under it to restore
    }
    const QImage before = img.copy();
    TCanvas c(&img);
    c.DrawFocusRect(Rect(2, 2, 12, 9));
    c.Release();
    EXPECT_NE(img, before);
    // Dotted: every other pixel of the outline changes, the inside does not.
    EXPECT_NE(at(img, 2, 2), at(before, 2, 2));
    EXPECT_EQ(at(img, 3, 2), at(before, 3, 2));
    EXPECT_EQ(at(img, 5, 5), at(before, 5, 5));
    EXPECT_EQ(inkBox(img), QRect(QPoint(2, 2), QPoint(11, 8)));
    c.DrawFocusRect(Rect(2, 2, 12, 9));
    c.Release();
    EXPECT_EQ(img, before);
}

TEST(Canvas, ClipSelectExcludeAndRestore) {
    QImage img = blank();
    TCanvas c(&img);
    c.Brush().SetColor(clRed);
    c.SelectClipRect(Rect(0, 0, 10, 10));
    c.ExcludeClipRect(Rect(2, 2, 4, 4));
    const TClipState saved = c.SaveClip();
    c.IntersectClipRect(Rect(0, 0, 5, 5));
    c.FillRect(Rect(0, 0, 20, 20));
    c.RestoreClip(saved);
    c.Brush().SetColor(clLime);
    c.FillRect(Rect(0, 8, 20, 9));
    c.ClearClip();
    c.Brush().SetColor(clBlue);
    c.FillRect(Rect(0, 19, 20, 20));
    c.Release();
    EXPECT_EQ(at(img, 0, 0), clRed);
    EXPECT_EQ(at(img, 3, 3), kBack);   // excluded
    EXPECT_EQ(at(img, 6, 6), kBack);   // outside the intersection
    EXPECT_EQ(at(img, 9, 8), clLime);  // restored clip lets the wider area in
    EXPECT_EQ(at(img, 12, 8), kBack);
    EXPECT_EQ(at(img, 19, 19), clBlue);
}

TEST(Canvas, TransparentDrawKeepsTheBackgroundUnderTheKeyColour) {
    TBitmap bmp(4, 4);
    bmp.Canvas().Brush().SetColor(clFuchsia);
    bmp.Canvas().FillRect(Rect(0, 0, 4, 4));
    bmp.Canvas().Brush().SetColor(clRed);
    bmp.Canvas().FillRect(Rect(1, 1, 3, 3));
    EXPECT_EQ(bmp.TransparentColor(), clFuchsia);  // the bottom-left pixel
    QImage img = blank();
    TCanvas c(&img);
    c.Draw(2, 2, bmp);  // not transparent: the key colour shows
    bmp.SetTransparent(true);
    c.Draw(10, 10, bmp);
    c.StretchDraw(Rect(0, 12, 8, 20), bmp);
    c.Release();
    EXPECT_EQ(at(img, 2, 2), clFuchsia);
    EXPECT_EQ(at(img, 10, 10), kBack);
    EXPECT_EQ(at(img, 11, 11), clRed);
    EXPECT_EQ(at(img, 13, 13), kBack);
    EXPECT_EQ(at(img, 0, 12), kBack);
    EXPECT_EQ(at(img, 3, 15), clRed);

    // A fixed transparent colour wins over the corner.
    bmp.SetTransparentColor(clRed);
    EXPECT_EQ(bmp.TransparentMode(), tmFixed);
    QImage img2 = blank();
    TCanvas c2(&img2);
    c2.Draw(0, 0, bmp);
    c2.Release();
    EXPECT_EQ(at(img2, 0, 0), clFuchsia);
    EXPECT_EQ(at(img2, 1, 1), kBack);
}

TEST(Canvas, BrushCopyReplacesTheKeyColourByTheBrush) {
    TBitmap bmp(4, 2);
    bmp.Canvas().Brush().SetColor(clWhite);
    bmp.Canvas().FillRect(Rect(0, 0, 4, 2));
    bmp.Canvas().SetPixel(1, 0, clBlack);
    QImage img = blank();
    TCanvas c(&img);
    c.Brush().SetColor(clBlue);
    c.BrushCopy(Rect(5, 5, 9, 7), bmp, Rect(0, 0, 4, 2), clWhite);
    c.Release();
    EXPECT_EQ(at(img, 5, 5), clBlue);
    EXPECT_EQ(at(img, 6, 5), clBlack);
    EXPECT_EQ(at(img, 8, 6), clBlue);
    EXPECT_EQ(at(img, 9, 6), kBack);
}

TEST(Canvas, PixelsReadBackAndSystemColoursResolve) {
    QImage img = blank();
    TCanvas c(&img);
    c.Brush().SetColor(clBtnFace);
    c.FillRect(Rect(0, 0, 3, 3));
    EXPECT_EQ(c.Pixels(1, 1), RGB(240, 240, 240));
    EXPECT_EQ(c.Pixels(5, 5), kBack);
    EXPECT_EQ(c.Pixels(-1, 0), clNone);
    EXPECT_EQ(c.Pixels(20, 0), clNone);
}

TEST(Bitmap, SizeFormatAssignAndFiles) {
    TBitmap a(3, 2);
    EXPECT_EQ(a.Image().format(), QImage::Format_RGB32);
    a.Canvas().SetPixel(0, 1, clRed);
    a.SetSize(5, 4);  // keeps its pixels, new ones white
    EXPECT_EQ(FromQRgb(a.Image().pixel(0, 1)), clRed);
    EXPECT_EQ(FromQRgb(a.Image().pixel(4, 3)), clWhite);
    a.SetPixelFormat(pf32bit);
    EXPECT_EQ(a.Image().format(), QImage::Format_ARGB32_Premultiplied);
    a.SetTransparent(true);

    TBitmap b;
    b.Assign(a);
    EXPECT_EQ(b.Width(), 5);
    EXPECT_TRUE(b.Transparent());
    b.Canvas().SetPixel(0, 1, clBlue);  // a copy, not a shared picture
    b.Canvas().SetPixel(0, 3, clBlue);
    EXPECT_EQ(FromQRgb(a.Image().pixel(0, 1)), clRed);
    EXPECT_EQ(b.TransparentColor(), clBlue);

    QTemporaryDir dir;
    const QString path = dir.filePath(u"pic.bmp"_qs);
    ASSERT_TRUE(a.SaveToFile(path));
    TBitmap c;
    ASSERT_TRUE(c.LoadFromFile(path));
    EXPECT_EQ(c.Width(), 5);
    EXPECT_EQ(FromQRgb(c.Image().pixel(0, 1)), clRed);
    EXPECT_FALSE(c.LoadFromFile(dir.filePath(u"missing.bmp"_qs)));
    EXPECT_EQ(c.Width(), 5);  // a failed load changes nothing
    EXPECT_FALSE(c.LoadFromResourceName(u"NOSUCHBITMAP"_qs));
}

}  // namespace
