// The drawing helpers, checked pixel by pixel on images.
#include "controls/ExUtilDraw.h"
#include "controls/ExStyleIF.h"
#include "platform/Bitmap.h"
#include "platform/Themes.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QWidget>
#include <functional>

using namespace plat;

namespace {

constexpr TColor kBack = RGB(1, 2, 3);

QImage paint(int w, int h, const std::function<void(TCanvas&)>& draw) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(ToQColor(kBack));
    TCanvas c(&img);
    draw(c);
    c.Release();
    return img;
}

TColor at(const QImage& img, int x, int y) { return FromQRgb(img.pixel(x, y)); }

QRect inkBox(const QImage& img) {
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (at(img, x, y) != kBack) box |= QRect(x, y, 1, 1);
    return box;
}

int count(const QImage& img, TColor color) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += at(img, x, y) == ColorToRGB(color);
    return n;
}

// Runs of one row: (colour, length) from left to right.
std::vector<std::pair<TColor, int>> runs(const QImage& img, int y) {
    std::vector<std::pair<TColor, int>> out;
    for (int x = 0; x < img.width(); ++x) {
        const TColor c = at(img, x, y);
        if (!out.empty() && out.back().first == c)
            ++out.back().second;
        else
            out.push_back({c, 1});
    }
    return out;
}

TEST(ExUtilDraw, ColourArithmetic) {
    struct Case {
        const char* name;
        TColor got, expected;
    } cases[] = {
        {"darker halves each channel", DarkerColor(RGB(201, 100, 3)), RGB(100, 50, 1)},
        {"darker resolves a system colour", DarkerColor(clBtnFace), RGB(120, 120, 120)},
        {"brighter by 7 percent", AdjustColorPercent(RGB(100, 200, 50), 7), RGB(107, 214, 54)},
        {"a light colour brightened stays light", AdjustColorPercent(RGB(250, 250, 250), 7), RGB(255, 255, 255)},
        {"darker by 20 percent", AdjustColorPercent(RGB(100, 50, 200), -20), RGB(80, 40, 160)},
        {"darkened past black stays black", AdjustColorPercent(RGB(100, 50, 200), -150), RGB(0, 0, 0)},
        {"interpolated halfway", InterpolateColor(RGB(0, 100, 200), RGB(100, 0, 200), 0, 100, 50), RGB(50, 50, 200)},
        {"interpolated on system colours", InterpolateColor(clWindow, clBlack, 0, 10, 5), RGB(127, 127, 127)},
        {"no end colour keeps the start unresolved", InterpolateColor(clBtnFace, clNone, 0, 10, 5), clBtnFace},
        {"an empty run keeps the start", InterpolateColor(clRed, clBlue, 7, 7, 3), clRed},
    };
    for (const Case& cs : cases) EXPECT_EQ(cs.got, cs.expected) << cs.name;
}

TEST(ExUtilDraw, GradientBandsOfANarrowRectangle) {
    // 100 steps on 10 pixels: 9 steps, 10 bands, each one pixel wide once the next is drawn.
    const TColor from = RGB(0, 0, 0), to = RGB(90, 180, 45);
    const auto bands = GradientBands(from, to, 100, Rect(5, 2, 15, 8), true);
    ASSERT_EQ(bands.size(), 10u);
    EXPECT_EQ(bands.front(), (TGradientBand{Rect(5, 2, 7, 8), from}));
    EXPECT_EQ(bands.back(), (TGradientBand{Rect(14, 2, 15, 8), to}));
    const QImage img = paint(20, 10, [&](TCanvas& c) { DrawGradientRect(c, from, to, 100, Rect(5, 2, 15, 8), true); });
    EXPECT_EQ(inkBox(img), QRect(5, 2, 10, 6));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(at(img, 5 + i, 4), RGB(10 * i, 20 * i, int(std::lround(5 * i + (i % 2 ? 0 : 0))))) << i;
}

TEST(ExUtilDraw, GradientEdgeCases) {
    // No height: nothing.
    EXPECT_TRUE(GradientBands(clRed, clBlue, 8, Rect(0, 4, 10, 4), false).empty());
    EXPECT_TRUE(inkBox(paint(12, 12, [](TCanvas& c) { DrawGradientRect(c, clRed, clBlue, 8, Rect(0, 4, 10, 4), false); }))
                    .isEmpty());
    // Top below bottom: as if swapped.
    const QImage upright = paint(12, 12, [](TCanvas& c) { DrawGradientRect(c, clRed, clBlue, 4, Rect(1, 2, 9, 10), false); });
    const QImage swapped = paint(12, 12, [](TCanvas& c) { DrawGradientRect(c, clRed, clBlue, 4, Rect(1, 10, 9, 2), false); });
    EXPECT_EQ(upright, swapped);
    EXPECT_EQ(at(upright, 4, 2), clRed);
    EXPECT_EQ(at(upright, 4, 9), clBlue);
    // No start colour: solid end colour; no colour at all: nothing.
    const QImage solid = paint(12, 12, [](TCanvas& c) { DrawGradientRect(c, clNone, clRed, 64, Rect(1, 1, 9, 9), true); });
    EXPECT_EQ(count(solid, clRed), 64);
    EXPECT_TRUE(inkBox(paint(12, 12, [](TCanvas& c) { DrawGradientRect(c, clNone, clNone, 64, Rect(1, 1, 9, 9), true); }))
                    .isEmpty());
    // A rectangle given right to left stays inside itself.
    EXPECT_EQ(inkBox(paint(20, 12, [](TCanvas& c) { DrawGradientRect(c, clRed, clBlue, 64, Rect(15, 1, 5, 9), true); })),
              QRect(5, 1, 10, 8));
    // Pen and brush end in the last colour.
    QImage img(4, 4, QImage::Format_RGB32);
    TCanvas c(&img);
    DrawGradientRect(c, clRed, clLime, 3, Rect(0, 0, 4, 4), false);
    EXPECT_EQ(c.Pen().Color(), clLime);
    EXPECT_EQ(c.Brush().Color(), clLime);
}

TEST(ExUtilDraw, GradientPaintsItsBandsInOrder) {
    // The painted pixels are those of the band list filled band after band, clip included.
    struct Case {
        TRect rect;
        int steps;
        bool horizontal;
    } cases[] = {{Rect(3, 2, 103, 24), 64, false}, {Rect(3, 2, 103, 24), 64, true}, {Rect(0, 0, 7, 30), 3, true},
                 {Rect(5, 30, 40, 1), 200, false}, {Rect(1, 1, 2, 9), 8, true}, {Rect(2, 4, 90, 6), 1, false}};
    for (const Case& cs : cases) {
        for (bool clipped : {false, true}) {
            auto clip = [&](TCanvas& c) {
                if (clipped) c.SelectClipRect(Rect(10, 5, 50, 20));
            };
            const QImage drawn = paint(110, 40, [&](TCanvas& c) {
                clip(c);
                DrawGradientRect(c, RGB(250, 10, 100), RGB(20, 240, 130), cs.steps, cs.rect, cs.horizontal);
            });
            const QImage expected = paint(110, 40, [&](TCanvas& c) {
                clip(c);
                for (const TGradientBand& b :
                     GradientBands(RGB(250, 10, 100), RGB(20, 240, 130), cs.steps, cs.rect, cs.horizontal)) {
                    c.Brush().SetColor(b.Color);
                    c.FillRect(b.Rect);
                }
            });
            EXPECT_EQ(drawn, expected) << cs.rect.Left << "," << cs.rect.Top << " " << cs.steps << " "
                                       << cs.horizontal << " clipped " << clipped;
        }
    }
}

TEST(ExUtilDraw, MirrorGradient) {
    // Without Fill only the border.
    const QImage border = paint(20, 20, [](TCanvas& c) {
        DrawMirrorGradient(c, Rect(2, 2, 12, 10), clRed, clBlue, clLime, clYellow, true, clBlack, false, false);
    });
    EXPECT_EQ(count(border, clBlack), 2 * 10 + 2 * 6);
    EXPECT_EQ(count(border, kBack), 400 - 32);
    // Solid: one pixel below the rectangle too, and the frame around that.
    const QImage solid = paint(20, 20, [](TCanvas& c) {
        DrawMirrorGradient(c, Rect(2, 2, 12, 10), clRed, clNone, clNone, clNone, true, clNone, false, true);
    });
    EXPECT_EQ(inkBox(solid), QRect(2, 2, 10, 9));
    // Split at the middle, the halves in their own runs; border as two side lines.
    const QImage split = paint(20, 20, [](TCanvas& c) {
        DrawMirrorGradient(c, Rect(2, 2, 12, 12), clRed, clRed, clBlue, clBlue, true, clBlack, true, true);
    });
    EXPECT_EQ(at(split, 5, 6), clRed);
    EXPECT_EQ(at(split, 5, 7), clBlue);
    EXPECT_EQ(at(split, 2, 5), clBlack);
    EXPECT_EQ(at(split, 11, 11), clBlack);
    EXPECT_EQ(at(split, 5, 2), clRed);  // no top line
}

TEST(ExUtilDraw, SelectionRectPositions) {
    constexpr TColor fill = RGB(200, 220, 240), innerTop = RGB(250, 250, 250), innerBottom = RGB(240, 240, 240);
    constexpr TColor border = RGB(10, 60, 120), corner = RGB(100, 100, 100), back = RGB(255, 255, 0);
    auto draw = [&](int position) {
        return paint(24, 14, [&](TCanvas& c) {
            DrawSelectionRect(c, fill, clNone, clNone, clNone, innerTop, innerBottom, border, corner, back,
                              Rect(2, 1, 22, 13), position);
        });
    };
    // L 2, T 1, R 21, B 11.
    const QImage inside = draw(3);
    for (int x = 2; x < 21; ++x) {
        EXPECT_EQ(at(inside, x, 1), border) << x;
        EXPECT_EQ(at(inside, x, 11), border) << x;
    }
    for (int y = 3; y < 10; ++y) {
        EXPECT_EQ(at(inside, 2, y), fill) << y;  // no left edge
        EXPECT_EQ(at(inside, 20, y), fill) << y;  // no right edge
    }
    EXPECT_EQ(count(inside, corner), 0);
    EXPECT_EQ(count(inside, back), 0);

    const QImage alone = draw(0);
    for (const QPoint p : {QPoint(3, 1), QPoint(3, 2), QPoint(2, 2), QPoint(3, 11), QPoint(3, 10), QPoint(2, 10),
                           QPoint(19, 1), QPoint(19, 2), QPoint(20, 2), QPoint(19, 11), QPoint(19, 10), QPoint(20, 10)})
        EXPECT_EQ(at(alone, p.x(), p.y()), corner) << p.x() << "," << p.y();
    for (const QPoint p : {QPoint(2, 1), QPoint(2, 11), QPoint(20, 1), QPoint(20, 11)})
        EXPECT_EQ(at(alone, p.x(), p.y()), back) << p.x() << "," << p.y();
    EXPECT_EQ(count(alone, corner), 12);
    for (int y = 3; y < 10; ++y) {
        EXPECT_EQ(at(alone, 2, y), border) << y;
        EXPECT_EQ(at(alone, 20, y), border) << y;
    }
    EXPECT_EQ(at(alone, 3, 4), innerTop);
    EXPECT_EQ(at(alone, 3, 8), innerBottom);
    EXPECT_EQ(at(alone, 10, 5), fill);
    // The ends of a range: one edge each.
    EXPECT_EQ(at(draw(1), 2, 5), border);
    EXPECT_EQ(at(draw(1), 20, 5), fill);
    EXPECT_EQ(at(draw(2), 2, 5), fill);
    EXPECT_EQ(at(draw(2), 20, 5), border);
}

TStyledProgressAppearance blocksLook() {
    TStyledProgressAppearance a;
    a.Level0Color = clLime;
    a.Level1Color = clYellow;
    a.Level2Color = clFuchsia;
    a.Level3Color = clRed;
    a.Level1Perc = 30;
    a.Level2Perc = 70;
    a.UnCompleteColor = clWhite;
    a.ShowBorder = false;
    a.CompletionSmooth = false;
    return a;
}

TEST(ExUtilDraw, StyledProgressBlocksAndStack) {
    // E = 100: a bar 102 pixels long.
    auto bar = [](int percent, const TStyledProgressAppearance& a) {
        return paint(104, 12, [&](TCanvas& c) { DrawStyledProgress(c, Rect(0, 0, 102, 12), percent, a); });
    };
    auto lengths = [](const QImage& img, TColor color) {
        std::vector<int> out;
        for (const auto& [c, n] : runs(img, 6))
            if (c == color) out.push_back(n);
        return out;
    };
    const QImage half = bar(50, blocksLook());
    EXPECT_EQ(lengths(half, clYellow), (std::vector<int>{7, 7, 7, 7, 7, 4}));
    EXPECT_EQ(at(half, 2, 6), clYellow);
    EXPECT_EQ(at(half, 9, 6), clWhite);  // the 2-pixel gap
    EXPECT_EQ(at(half, 2, 1), clWhite);  // blocks keep off the frame
    EXPECT_EQ(count(bar(1, blocksLook()), clLime), 0);
    EXPECT_EQ(lengths(bar(5, blocksLook()), clLime), (std::vector<int>{4}));

    TStyledProgressAppearance stacked = blocksLook();
    stacked.Stacked = true;
    const QImage s = bar(80, stacked);
    std::vector<std::pair<TColor, int>> r = runs(s, 6);
    ASSERT_GE(r.size(), 5u);
    EXPECT_EQ(r[1], (std::pair<TColor, int>{clLime, 30}));
    EXPECT_EQ(r[2], (std::pair<TColor, int>{clYellow, 40}));
    EXPECT_EQ(r[3], (std::pair<TColor, int>{clRed, 10}));
    EXPECT_EQ(count(s, clFuchsia), 0);  // the third level pair is not used when stacked
    // Full: the last piece takes what is left.
    const QImage full = bar(100, stacked);
    EXPECT_EQ(runs(full, 6)[3], (std::pair<TColor, int>{clRed, 30}));

    // Smooth and with a border: one piece inside the frame.
    TStyledProgressAppearance smooth = blocksLook();
    smooth.CompletionSmooth = true;
    smooth.ShowBorder = true;
    const QImage sm = bar(95, smooth);
    EXPECT_EQ(runs(sm, 6)[1], (std::pair<TColor, int>{clFuchsia, 95}));
    EXPECT_EQ(at(sm, 0, 6), clBlack);
    EXPECT_EQ(at(sm, 50, 0), clBlack);

    // Upright: the bar grows from the bottom; blocks too.
    auto column = [](int percent, const TStyledProgressAppearance& a) {
        QImage img = paint(12, 104, [&](TCanvas& c) { DrawStyledProgress(c, Rect(0, 0, 12, 102), percent, a); });
        std::vector<std::pair<TColor, int>> out;
        for (int y = 0; y < img.height(); ++y) {
            const TColor c = at(img, 6, y);
            if (!out.empty() && out.back().first == c)
                ++out.back().second;
            else
                out.push_back({c, 1});
        }
        return out;
    };
    TStyledProgressAppearance upright = smooth;
    upright.Vertical = true;
    const auto up = column(50, upright);
    ASSERT_GE(up.size(), 4u);
    EXPECT_EQ(up[2], (std::pair<TColor, int>{clYellow, 50}));  // rows 51 to 100
    EXPECT_EQ(up[1], (std::pair<TColor, int>{clWhite, 50}));
    upright.CompletionSmooth = false;
    const auto blocks = column(23, upright);  // N = 23: two blocks of 7, then one of 4 above them
    std::vector<int> lime;
    for (const auto& [c, n] : blocks)
        if (c == clLime) lime.push_back(n);
    EXPECT_EQ(lime, (std::vector<int>{4, 7, 7}));

    // The percentage in the complete font colour.
    TStyledProgressAppearance text = blocksLook();
    text.ShowPercentage = true;
    text.CompleteFontColor = clBlue;
    const QImage with = bar(40, text), without = bar(40, blocksLook());
    int bluish = 0;
    for (int y = 0; y < with.height(); ++y)
        for (int x = 0; x < with.width(); ++x) {
            const QColor c = with.pixelColor(x, y);
            bluish += with.pixel(x, y) != without.pixel(x, y) && c.blue() > c.red() + 40 && c.blue() > c.green() + 40;
        }
    EXPECT_GT(bluish, 10);
}

TEST(ExUtilDraw, ProgressBarTextAndSplit) {
    // Color/FontColor before the split, ColorTo/FontColorTo after it.
    constexpr TColor bar = clBlue, barText = clWhite, rest = clSilver, restText = clBlack;
    auto draw = [&](double position, int min, int max, const QString& format) {
        return paint(100, 20, [&](TCanvas& c) {
            c.Brush().SetColor(clYellow);
            DrawProgressBar(c, Rect(0, 0, 100, 20), bar, barText, rest, restText, position, 2, 2, min, max, format,
                            clGreen, false);
        });
    };
    const QImage full = draw(150, 0, 0, QString());  // "150%", the bar full
    EXPECT_EQ(count(full, rest), 0);
    EXPECT_GT(count(full, barText), 10);
    EXPECT_EQ(at(full, 3, 3), bar);
    EXPECT_EQ(at(full, 1, 10), clGreen);  // border
    EXPECT_EQ(at(full, 0, 10), clYellow);  // the canvas's brush around it
    EXPECT_EQ(draw(150, 0, 0, QString()), draw(150.2, 0, 0, QString()));

    // 25 of 0..100 with a format: a quarter of the 96-pixel bar.
    const QImage quarter = draw(25, 0, 100, QStringLiteral("%d units"));
    EXPECT_EQ(at(quarter, 25, 3), bar);
    EXPECT_EQ(at(quarter, 26, 3), rest);
    EXPECT_GT(count(quarter, restText), 3);
    // Min = Max: no bar, and no fault.
    const QImage empty = draw(25, 5, 5, QStringLiteral("%d"));
    EXPECT_EQ(count(empty, bar), 0);
    EXPECT_GT(count(empty, restText), 3);
    // A format the formatter refuses: the bar without text.
    const QImage refused = draw(50, 0, 100, QStringLiteral("%s"));
    EXPECT_EQ(count(refused, barText) + count(refused, restText), 0);
    EXPECT_EQ(at(refused, 49, 10), bar);
    EXPECT_EQ(at(refused, 50, 10), rest);
    // A float format takes the position as it is.
    EXPECT_NE(draw(50.25, 0, 100, QStringLiteral("%.2f")), draw(50.0, 0, 100, QStringLiteral("%.2f")));
}

TEST(ExUtilDraw, ProgressPieSectors) {
    auto pie = [](int percent) {
        return paint(41, 41, [&](TCanvas& c) {
            c.Brush().SetColor(clWhite);
            DrawProgressPie(c, Rect(0, 0, 41, 41), clRed, percent, false);
        });
    };
    const QImage quarter = pie(25);
    EXPECT_EQ(at(quarter, 30, 10), clRed);  // twelve to three
    EXPECT_EQ(at(quarter, 21, 5), clRed);
    EXPECT_EQ(at(quarter, 35, 19), clRed);
    EXPECT_EQ(at(quarter, 10, 10), clWhite);
    EXPECT_EQ(at(quarter, 30, 30), clWhite);
    EXPECT_EQ(at(quarter, 10, 30), clWhite);
    EXPECT_EQ(at(quarter, 20, 10), clGray);  // the radius at twelve
    EXPECT_EQ(at(quarter, 30, 20), clGray);  // the radius at three

    const QImage none = pie(0);
    EXPECT_EQ(count(none, clRed), 0);
    for (int y = 1; y < 20; ++y) EXPECT_EQ(at(none, 20, y), clGray) << y;

    const QImage half = pie(50);
    EXPECT_EQ(at(half, 30, 30), clRed);
    EXPECT_EQ(at(half, 10, 20), clWhite);
    const QImage most = pie(75);
    EXPECT_EQ(at(most, 10, 30), clRed);
    EXPECT_EQ(at(most, 10, 10), clWhite);
    // Nothing outside the circle.
    for (const QImage& img : {quarter, half, most}) {
        EXPECT_EQ(at(img, 1, 1), kBack);
        EXPECT_EQ(at(img, 39, 39), kBack);
    }
}

TEST(ExUtilDraw, BalanceBar) {
    auto draw = [](int position, int max) {
        return paint(44, 10, [&](TCanvas& c) {
            DrawBalanceBar(c, Rect(0, 0, 44, 10), position, max, true, clRed, clLime);
        });
    };
    // R = (2, 2, 42, 8), H = 20: the middle is x = 22.
    EXPECT_EQ(inkBox(draw(5, 10)), QRect(22, 2, 10, 6));
    EXPECT_EQ(count(draw(5, 10), clLime), 60);
    EXPECT_EQ(inkBox(draw(-30, 10)), QRect(2, 2, 20, 6));  // limited to -Max
    EXPECT_EQ(count(draw(-30, 10), clRed), 120);
    EXPECT_TRUE(inkBox(draw(5, 0)).isEmpty());
    EXPECT_TRUE(inkBox(draw(0, 10)).isEmpty());
}

TEST(ExUtilDraw, CellShapes) {
    auto shape = [](int s, int w, int h) {
        return paint(30, 30, [&](TCanvas& c) { DrawCellShape(c, 3, 4, w, h, s, clRed, clBlue); });
    };
    EXPECT_EQ(inkBox(shape(csCircle, 20, 10)), QRect(3, 4, 10, 10));
    EXPECT_EQ(inkBox(shape(csSquare, 20, 10)), QRect(4, 5, 8, 8));
    EXPECT_EQ(inkBox(shape(csRectangle, 20, 10)), QRect(4, 5, 18, 8));
    EXPECT_EQ(inkBox(shape(csLineVert, 20, 10)), QRect(13, 4, 1, 10));
    EXPECT_EQ(inkBox(shape(csLineHorz, 20, 10)), QRect(3, 9, 20, 1));
    for (int s = csRectangle; s <= csHalfStar; ++s) {
        const QImage img = shape(s, 20, 20);
        EXPECT_GT(count(img, clBlue), 0) << s;
        EXPECT_TRUE(QRect(3, 4, 21, 21).contains(inkBox(img))) << s;
    }
    // The half star is the left half of the star.
    const QImage half = shape(csHalfStar, 20, 20), star = shape(csStar, 20, 20);
    EXPECT_LE(inkBox(half).right(), 13);
    EXPECT_GE(inkBox(star).right(), 21);
    EXPECT_EQ(inkBox(half).left(), inkBox(star).left());

    QImage img(10, 10, QImage::Format_RGB32);
    img.fill(ToQColor(kBack));
    TCanvas c(&img);
    DrawCellShape(c, 0, 0, 10, 10, 19, clRed, clBlue);
    EXPECT_EQ(c.Brush().Color(), clRed);
    EXPECT_EQ(c.Pen().Color(), clBlue);
    c.Release();
    EXPECT_TRUE(inkBox(img).isEmpty());
}

TEST(ExUtilDraw, DownTriangleAndGlyphs) {
    const QImage tri = paint(12, 8, [](TCanvas& c) { DrawDownTriangle(c, 6, 2, clRed); });
    EXPECT_EQ(inkBox(tri), QRect(3, 2, 7, 4));

    for (const char* name : {"SGLEAFCLOSE", "SGLEAFOPEN", "XPNODEC", "XPNODEO"}) {
        const QImage img = paint(14, 14, [&](TCanvas& c) {
            DrawResourceTransparent(c, clYellow, Rect(2, 3, 4, 4), QString::fromLatin1(name));
        });
        EXPECT_EQ(inkBox(img), QRect(2, 3, 9, 9)) << name;  // its own size, not the rectangle's
        EXPECT_EQ(at(img, 2, 3), clYellow) << name;         // the see-through corner takes BackColor
        EXPECT_EQ(at(img, 6, 7), clBlack) << name;          // the bar through the middle
    }
    EXPECT_EQ(at(paint(14, 14, [](TCanvas& c) { DrawResourceTransparent(c, clYellow, Rect(2, 3, 4, 4), "SGLEAFCLOSE"); }),
                 6, 5),
              clBlack);  // plus
    EXPECT_EQ(at(paint(14, 14, [](TCanvas& c) { DrawResourceTransparent(c, clYellow, Rect(2, 3, 4, 4), "SGLEAFOPEN"); }),
                 6, 5),
              clWhite);  // minus
    EXPECT_TRUE(inkBox(paint(14, 14, [](TCanvas& c) { DrawResourceTransparent(c, clYellow, Rect(0, 0, 4, 4), "NOPE"); }))
                    .isEmpty());

    // Any bitmap: its pixel (0, 0) is the key.
    TBitmap b(3, 2);
    b.Canvas().Brush().SetColor(clRed);
    b.Canvas().FillRect(Rect(0, 0, 3, 2));
    b.Canvas().SetPixel(2, 1, clBlue);
    const QImage drawn = paint(6, 6, [&](TCanvas& c) { DrawBitmapTransparent(c, b, clLime, Rect(1, 1, 100, 100)); });
    EXPECT_EQ(count(drawn, clLime), 5);
    EXPECT_EQ(at(drawn, 3, 2), clBlue);
    EXPECT_EQ(inkBox(drawn), QRect(1, 1, 3, 2));
}

TEST(ExUtilDraw, ClipboardEnvelope) {
    QString html = QStringLiteral("abc");
    WrapClipboardHTML(html);
    const QStringList lines = html.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], "Version:1.0");
    EXPECT_EQ(lines[1], "StartHTML:00000097");
    EXPECT_EQ(lines[2], "EndHTML:00000309");
    EXPECT_EQ(lines[3], "StartFragment:00000274");
    EXPECT_EQ(lines[4], "EndFragment:00000277");
    // The offsets are exact.
    EXPECT_EQ(html.indexOf(QStringLiteral("<!DOCTYPE")), 97);
    EXPECT_EQ(html.mid(274, 3), "abc");
    EXPECT_EQ(html.size(), 309);
    EXPECT_TRUE(html.endsWith("abc<!--EndFragment--></body></html>"));
}

TEST(ExUtilDraw, CellButtonsByKind) {
    TColorTones tones;
    tones.Background = {RGB(200, 200, 200), RGB(50, 50, 50), RGB(0, 0, 128)};
    tones.Hover = {RGB(220, 220, 100), RGB(90, 90, 0), clBlack};
    tones.Selected = {RGB(100, 100, 220), RGB(0, 0, 90), clBlack};
    tones.Disabled = {RGB(230, 230, 230), RGB(150, 150, 150), clGray};
    const TRect cell = Rect(0, 0, 60, 20);
    auto draw = [&](auto routine, uint8_t kind, uint8_t state) {
        return paint(60, 20, [&](TCanvas& c) { routine(c, nullptr, cell, kind, state, tones); });
    };
    // Owner-drawn push button: the state's tone.
    const QImage hot = draw(DrawPushButton, 3, 1);
    EXPECT_EQ(at(hot, 0, 0), tones.Hover.BorderColor);
    EXPECT_EQ(at(hot, 30, 10), tones.Hover.BrushColor);
    EXPECT_EQ(at(draw(DrawPushButton, 3, 2), 30, 10), tones.Selected.BrushColor);
    // Owner-drawn drop-down button: (41, 1, 58, 19) after its left edge moves 3 right: a divider in
    // the normal border colour and the arrow in the normal text colour.
    const QImage combo = draw(DrawComboButton, 3, 0);
    EXPECT_EQ(inkBox(combo), QRect(44, 1, 14, 18));
    EXPECT_EQ(at(combo, 45, 10), tones.Background.BorderColor);
    EXPECT_EQ(at(combo, 52, 9), tones.Background.TextColor);
    EXPECT_EQ(at(combo, 55, 15), tones.Background.BrushColor);
    // Owner-drawn spin buttons with black arrows.
    const QImage spin = draw(DrawSpinButtons, 3, 3);
    EXPECT_EQ(at(spin, 50, 5), tones.Disabled.BrushColor);
    EXPECT_GT(count(spin, clBlack), 6);
    // Classic and flat: frame controls; the combo's and spin's arrows at the right edge.
    EXPECT_EQ(inkBox(draw(DrawComboButton, 1, 0)), QRect(41, 1, 17, 18));
    EXPECT_NE(draw(DrawComboButton, 1, 0), draw(DrawComboButton, 2, 0));
    EXPECT_NE(draw(DrawComboButton, 1, 0), draw(DrawComboButton, 1, 3));
    EXPECT_EQ(draw(DrawComboButton, 1, 0), draw(DrawComboButton, 1, 1));  // hot looks normal
    EXPECT_EQ(inkBox(draw(DrawSpinButtons, 1, 0)), QRect(44, 0, 15, 19));
    EXPECT_EQ(at(draw(DrawPushButton, 1, 0), 0, 0), ColorToRGB(cl3DLight));
    EXPECT_EQ(at(draw(DrawPushButton, 1, 2), 0, 0), ColorToRGB(clBtnShadow));
    // Themed: drawn by the style, in the four states; nothing when themes are off.
    EXPECT_NE(draw(DrawPushButton, 0, 0), draw(DrawPushButton, 0, 1));
    EXPECT_NE(draw(DrawPushButton, 0, 2), draw(DrawPushButton, 0, 3));
    EXPECT_EQ(inkBox(draw(DrawComboButton, 0, 0)), QRect(41, 1, 17, 18));
    EXPECT_FALSE(inkBox(draw(DrawSpinButtons, 0, 0)).isEmpty());
    SetThemeActive(false);
    const QImage off = draw(DrawPushButton, 0, 0);
    SetThemeActive(true);
    EXPECT_TRUE(inkBox(off).isEmpty());
}

TEST(ExUtilDraw, ErrorUnderlineAfterTheEnd) {
    QWidget owner;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    owner.setFont(font);
    const QString text = QStringLiteral("Teh wrod");
    auto leftInk = [&](int start, int length) {
        const QImage img = paint(200, 24, [&](TCanvas& c) {
            DrawErrorUnderline(&owner, c, text, Rect(10, 0, 190, 20), 0, start, length);
        });
        return inkBox(img);
    };
    const QFontMetrics fm(font);
    const int lastAdvance = fm.horizontalAdvance(text) - fm.horizontalAdvance(text.left(text.size() - 1));
    const QRect atEnd = leftInk(int(text.size()), 3), last = leftInk(int(text.size()) - 1, 1);
    ASSERT_FALSE(atEnd.isEmpty());
    EXPECT_EQ(atEnd.left() - last.left(), lastAdvance + 4);
    EXPECT_EQ(leftInk(int(text.size()) + 5, 3), atEnd);
    // A word in the middle: the line spans it in 3-pixel steps.
    const QRect word = leftInk(4, 4);
    EXPECT_EQ(word.left() - leftInk(0, 3).left(), fm.horizontalAdvance(text.left(4)));
    EXPECT_GE(word.height(), 4);
    const QImage red = paint(200, 24, [&](TCanvas& c) { DrawErrorUnderline(&owner, c, text, Rect(10, 0, 190, 20), 0, 0, 3); });
    EXPECT_EQ(count(red, clRed), int(red.width() * red.height()) - count(red, kBack));
}

TEST(ExUtilDraw, LayeredWindows) {
    QWidget plain;
    EXPECT_FALSE(CallSetLayeredWindowAttributes(&plain, clNone, 128, LWA_ALPHA));
    QImage picture(8, 6, QImage::Format_ARGB32_Premultiplied);
    picture.fill(qRgba(0, 0, 128, 128));
    const QSize size(4, 3);
    const QPoint from(2, 1);
    EXPECT_FALSE(CallUpdateLayeredWindow(&plain, nullptr, nullptr, &size, &picture, &from, clNone, nullptr, ULW_ALPHA));

    QWidget child(&plain);
    child.setAttribute(Qt::WA_TranslucentBackground);
    EXPECT_FALSE(CallSetLayeredWindowAttributes(&child, clNone, 128, LWA_ALPHA));  // not top-level

    QWidget layered(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    layered.setAttribute(Qt::WA_TranslucentBackground);
    EXPECT_TRUE(CallSetLayeredWindowAttributes(&layered, clNone, 51, LWA_ALPHA));
    EXPECT_NEAR(layered.windowOpacity(), 0.2, 0.01);
    const QPoint to(30, 40);
    TBlendFunction blend;
    blend.AlphaFormat = 1;
    EXPECT_TRUE(CallUpdateLayeredWindow(&layered, nullptr, &to, &size, &picture, &from, clNone, &blend, ULW_ALPHA));
    EXPECT_EQ(layered.size(), size);
    EXPECT_EQ(layered.pos(), to);
    EXPECT_NEAR(layered.windowOpacity(), 1.0, 0.01);
    const QImage shown = LayeredWindowPicture(&layered);
    EXPECT_EQ(shown.size(), size);
    EXPECT_EQ(shown.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_TRUE(LayeredWindowPicture(&plain).isNull());
}

}  // namespace
