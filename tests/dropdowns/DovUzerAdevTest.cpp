// The drop-down unit's drawing and text routines: band lists without a display, then pixels on
// images, and the text helpers under both number conventions.
#include <gtest/gtest.h>

#include <QImage>
#include <functional>

#include "dropdowns/DovUzerAdev.h"
#include "platform/Bitmap.h"
#include "platform/ImageList.h"
#include "tests/support/LocaleScope.h"

using namespace plat;
using namespace dropdowns;
using testing_support::LocaleScope;

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

TColor at(const QImage& img, int x, int y) {
    return FromQRgb(img.pixel(x, y));
}

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
        for (int x = 0; x < img.width(); ++x) n += at(img, x, y) == color;
    return n;
}

TEST(DovUzerAdevGradient, BandLists) {
    struct Case {
        const char* name;
        TColor from, to;
        int steps;
        TRect rect;
        bool direction;
        std::vector<TGradientBand> bands;
    } cases[] = {
        // d = 49.5 and a channel step of 127.5: both halves go to the even neighbour (50, 128).
        {"black to white in 2 steps, left to right",
         clBlack,
         clWhite,
         2,
         Rect(0, 0, 100, 7),
         true,
         {{Rect(0, 0, 51, 7), clBlack}, {Rect(50, 0, 101, 7), 0x808080}}},
        {"the same top to bottom pulls in the bottom",
         clBlack,
         clWhite,
         2,
         Rect(3, 0, 9, 50),
         false,
         {{Rect(3, 0, 9, 25), clBlack}, {Rect(3, 24, 9, 49), 0x808080}}},
        {"steps 0 is one band of the start colour over the whole",
         clRed,
         clBlue,
         0,
         Rect(2, 3, 40, 9),
         true,
         {{Rect(2, 3, 40, 9), clRed}}},
        {"a system colour is resolved first",
         clBtnFace,
         clBtnFace,
         1,
         Rect(0, 0, 10, 10),
         false,
         {{Rect(0, 0, 10, 10), ColorToRGB(clBtnFace)}}},
        {"a negative count gives no band", clRed, clBlue, -3, Rect(0, 0, 10, 10), true, {}},
    };
    for (const Case& cs : cases)
        EXPECT_EQ(GradientBandList(cs.from, cs.to, cs.steps, cs.rect, cs.direction), cs.bands) << cs.name;

    // The band counter is 16 bits wide: more steps are taken as 65536, still over the whole rectangle.
    const auto many = GradientBandList(clBlack, clWhite, 70000, Rect(0, 0, 10, 4), true);
    ASSERT_EQ(many.size(), 65536u);
    EXPECT_EQ(many.front().Rect.Left, 0);
    EXPECT_EQ(many.back().Rect.Right, 10);
    EXPECT_EQ(many.back().Color, 0xFFFFFF) << "255 * 65535 / 65536 rounds to 255";
}

TEST(DovUzerAdevGradient, LastBandStopsOneStepShortAndOffsetsGrow) {
    // 80 bands from (0, 80, 240) to (240, 0, 80): steps of 3, -1 and -2 per band.
    const auto bands = GradientBandList(RGB(0, 80, 240), RGB(240, 0, 80), 80, Rect(0, 0, 400, 22), false);
    ASSERT_EQ(bands.size(), 80u);
    EXPECT_EQ(bands.back().Color, RGB(237, 1, 82));
    EXPECT_EQ(bands[40].Color, RGB(120, 40, 160));
    for (size_t i = 1; i < bands.size(); ++i) {
        // Vertical: every band spans the whole width and starts no higher than the one before.
        EXPECT_EQ(bands[i].Rect.Left, 0);
        EXPECT_EQ(bands[i].Rect.Right, 400);
        EXPECT_GE(bands[i].Rect.Top, bands[i - 1].Rect.Top);
        EXPECT_LE(bands[i].Rect.Top, bands[i - 1].Rect.Bottom) << "a gap before band " << i;
    }
    EXPECT_EQ(bands.back().Rect.Bottom, 21 + 1) << "the last band ends where the pulled-in bottom is";
}

TEST(DovUzerAdevGradient, PixelsOfTwoSteps) {
    const QImage img =
        paint(120, 6, [](TCanvas& c) { DrawGradient(c, clBlack, clWhite, 2, Rect(0, 0, 100, 6), true); });
    EXPECT_EQ(at(img, 49, 3), clBlack);
    EXPECT_EQ(at(img, 50, 3), TColor(0x808080));
    EXPECT_EQ(at(img, 100, 3), TColor(0x808080));
    EXPECT_EQ(at(img, 101, 3), kBack);
    EXPECT_EQ(inkBox(img), QRect(0, 0, 101, 6));
}

TEST(DovUzerAdevGradient, PaintsExactlyItsBandsAsRectangles) {
    // Whatever way it gets there, the picture is the band list drawn band after band with the
    // canvas's rectangle (outline and fill), with or without a clip and with a wide pen.
    struct Case {
        const char* name;
        TRect rect;
        int steps;
        bool direction;
        int penWidth;
    } cases[] = {
        {"grid cell, 128 steps down", Rect(3, 2, 103, 24), 128, false, 1},
        {"grid cell, 128 steps across", Rect(3, 2, 103, 24), 128, true, 1},
        {"few wide bands", Rect(0, 0, 37, 30), 3, true, 1},
        {"rectangle given bottom to top", Rect(5, 30, 40, 1), 9, false, 1},
        {"rectangle given right to left", Rect(60, 3, 20, 20), 7, true, 1},
        {"more bands than pixels", Rect(1, 1, 9, 9), 100, true, 1},
        {"no height", Rect(1, 5, 60, 5), 4, true, 1},
        {"a wide pen outlines each band", Rect(4, 4, 80, 30), 5, true, 3},
    };
    for (const Case& cs : cases) {
        for (bool clipped : {false, true}) {
            auto setUp = [&](TCanvas& c) {
                c.Pen().SetWidth(cs.penWidth);
                if (clipped) c.SelectClipRect(Rect(10, 5, 50, 20));
            };
            const QImage drawn = paint(110, 40, [&](TCanvas& c) {
                setUp(c);
                DrawGradient(c, RGB(250, 10, 100), RGB(20, 240, 130), cs.steps, cs.rect, cs.direction);
            });
            const QImage expected = paint(110, 40, [&](TCanvas& c) {
                setUp(c);
                for (const TGradientBand& b :
                     GradientBandList(RGB(250, 10, 100), RGB(20, 240, 130), cs.steps, cs.rect, cs.direction)) {
                    c.Pen().SetColor(b.Color);
                    c.Brush().SetColor(b.Color);
                    c.Rectangle(b.Rect);
                }
            });
            EXPECT_EQ(drawn, expected) << cs.name << (clipped ? ", clipped" : "");
        }
    }
    QImage img(4, 4, QImage::Format_RGB32);
    TCanvas c(&img);
    DrawGradient(c, clRed, clLime, 3, Rect(0, 0, 4, 4), false);
    const TColor last = GradientBandList(clRed, clLime, 3, Rect(0, 0, 4, 4), false).back().Color;
    EXPECT_EQ(c.Pen().Color(), last);
    EXPECT_EQ(c.Brush().Color(), last);
}

TEST(DovUzerAdevColours, BlendAndShade) {
    const TColor face = ColorToRGB(clBtnFace);
    struct Case {
        const char* name;
        TColor got, expected;
    } cases[] = {
        {"shade of white", ShadeColor(0xFFFFFF, -10, -10, 0), 0xFFE6E6},
        {"shade halves go to even", ShadeColor(RGB(225, 240, 245), -10, -10, 0), RGB(202, 216, 245)},
        {"shade of the hot end colour", ShadeColor(RGB(178, 210, 249), -10, -10, 0), RGB(160, 189, 249)},
        {"a zero channel is lifted to the percent", ShadeColor(RGB(0, 100, 0), 20, -5, -5), RGB(20, 95, 0)},
        {"a positive percent never brightens", ShadeColor(RGB(100, 100, 100), 50, 0, 0), RGB(100, 100, 100)},
        {"shade resolves a system colour", ShadeColor(clBtnFace, 0, 0, 0), face},
        {"blend 100 keeps a system colour", BlendColor(clBtnFace, clRed, 100), clBtnFace},
        {"blend above 100 keeps the first", BlendColor(clBtnFace, clRed, 250), clBtnFace},
        {"blend 0 keeps the second", BlendColor(clRed, clWindow, 0), clWindow},
        {"blend halfway rounds to even", BlendColor(clWhite, clBlack, 50), 0x808080},
        {"blend 25 of a system colour", BlendColor(clBtnFace, clBlack, 25),
         RGB(int(std::nearbyint(0.25 * GetRValue(face))), int(std::nearbyint(0.25 * GetGValue(face))),
             int(std::nearbyint(0.25 * GetBValue(face))))},
    };
    for (const Case& cs : cases) EXPECT_EQ(cs.got, cs.expected) << cs.name;
}

TEST(DovUzerAdevDrawing, GradientBox) {
    // No canvas: nothing, no crash.
    DrawGradientBox(nullptr, Rect(0, 0, 5, 5), clRed, clBlue, clBlack, 1, true);

    // A fill with a frame.
    QImage img =
        paint(30, 20, [](TCanvas& c) { DrawGradientBox(&c, Rect(0, 0, 20, 10), clRed, clNone, clBlue, 1, true); });
    EXPECT_EQ(at(img, 0, 0), clBlue);
    EXPECT_EQ(at(img, 19, 9), clBlue);
    EXPECT_EQ(at(img, 5, 5), clRed);
    EXPECT_EQ(at(img, 20, 5), kBack);

    // No colours and no border width: nothing at all.
    img = paint(30, 20, [](TCanvas& c) { DrawGradientBox(&c, Rect(0, 0, 20, 10), clNone, clNone, clBlue, 0, true); });
    EXPECT_TRUE(inkBox(img).isEmpty());

    // Vertical: an 80-band gradient from the top, the same along every row; no frame colour.
    img =
        paint(30, 100, [](TCanvas& c) { DrawGradientBox(&c, Rect(0, 0, 20, 90), clBlack, clWhite, clNone, 1, true); });
    EXPECT_EQ(at(img, 5, 0), clBlack);
    for (int y = 0; y < 90; ++y) EXPECT_EQ(at(img, 0, y), at(img, 19, y)) << y;
    EXPECT_GT(GetRValue(at(img, 5, 80)), GetRValue(at(img, 5, 10)));
    // Not vertical: the colours run left to right.
    img =
        paint(100, 10, [](TCanvas& c) { DrawGradientBox(&c, Rect(0, 0, 90, 10), clBlack, clWhite, clNone, 1, false); });
    EXPECT_EQ(at(img, 0, 5), clBlack);
    EXPECT_GT(GetRValue(at(img, 80, 5)), GetRValue(at(img, 10, 5)));
}

TEST(DovUzerAdevDrawing, ImageAndText) {
    TImageList images(16, 16);
    TBitmap pic(16, 16);
    pic.Canvas().Brush().SetColor(clLime);
    pic.Canvas().FillRect(Rect(0, 0, 16, 16));
    images.Add(pic);

    // The image 4 pixels in, vertically centred; the text only right of image width + 8.
    QImage img = paint(120, 30, [&](TCanvas& c) {
        c.Brush().SetStyle(bsClear);
        DrawImageAndText(&c, Rect(0, 0, 120, 30), QStringLiteral("Text"), &images, 0);
    });
    EXPECT_EQ(at(img, 3, 15), kBack);
    EXPECT_EQ(at(img, 4, 7), clLime);
    EXPECT_EQ(at(img, 19, 22), clLime);
    EXPECT_EQ(at(img, 19, 23), kBack);
    int firstInk = -1;
    for (int x = 20; x < 120 && firstInk < 0; ++x)
        for (int y = 0; y < 30; ++y)
            if (at(img, x, y) != kBack) {
                firstInk = x;
                break;
            }
    EXPECT_GE(firstInk, 24);
    EXPECT_LT(firstInk, 30) << "the text is left-aligned after the image";

    // Without an image the text is centred.
    img = paint(120, 30, [&](TCanvas& c) {
        c.Brush().SetStyle(bsClear);
        DrawImageAndText(&c, Rect(0, 0, 120, 30), QStringLiteral("Text"), nullptr, 0);
    });
    const QRect ink = inkBox(img);
    EXPECT_NEAR(ink.left() + ink.right(), 119, 3);
    EXPECT_NEAR(ink.top() + ink.bottom(), 29, 4);
    DrawImageAndText(nullptr, Rect(0, 0, 10, 10), QStringLiteral("x"), &images, 0);
}

TEST(DovUzerAdevDrawing, GlyphTransparentUsesTheTopLeftPixel) {
    TBitmap glyph(4, 3);
    glyph.Canvas().Brush().SetColor(clFuchsia);
    glyph.Canvas().FillRect(Rect(0, 0, 4, 3));
    glyph.Canvas().SetPixel(1, 1, clRed);
    glyph.Canvas().SetPixel(3, 2, clBlue);
    const QImage img = paint(10, 10, [&](TCanvas& c) { DrawGlyphTransparent(c, glyph, clYellow, Rect(2, 2, 6, 5)); });
    EXPECT_EQ(at(img, 2, 2), clYellow);
    EXPECT_EQ(at(img, 3, 3), clRed);
    EXPECT_EQ(at(img, 5, 4), clBlue);
    EXPECT_EQ(at(img, 4, 4), clYellow);
    EXPECT_EQ(inkBox(img), QRect(2, 2, 4, 3));
}

TEST(DovUzerAdevText, TextSizeAndShortening) {
    QImage img(10, 10, QImage::Format_RGB32);
    TCanvas c(&img);
    EXPECT_EQ(GetTextSize(c, QString()), QSize(0, 0));
    const QSize hello = GetTextSize(c, QStringLiteral("Hello"));
    EXPECT_GT(hello.width(), 0);
    EXPECT_EQ(hello.height(), GetTextSize(c, QStringLiteral("x")).height());
    EXPECT_EQ(GetTextSize(c, QStringLiteral("&Hello")), hello) << "the accelerator mark takes no room";
    EXPECT_EQ(GetTextSize(c, QStringLiteral("Hel\nlo")).height(), hello.height()) << "one line";

    const QString text = QStringLiteral("Hello world");
    const int full = GetTextSize(c, text).width();
    const int dots = GetTextSize(c, QStringLiteral("Hel...")).width();
    struct Case {
        const char* name;
        int maxWidth;
        bool ellipsis;
        QString expected;
    } cases[] = {
        {"fits exactly", full, false, text},
        {"never fits", 0, false, text},
        {"never fits with dots", 1, true, text},
        {"longest head narrower than the limit", hello.width() + 1, false, QStringLiteral("Hello")},
        {"a head as wide as the limit is not narrower", hello.width(), false, QStringLiteral("Hell")},
        {"with dots", dots + 1, true, QStringLiteral("Hel...")},
    };
    for (const Case& cs : cases) EXPECT_EQ(ShortenText(c, text, cs.maxWidth, cs.ellipsis), cs.expected) << cs.name;
}

TEST(DovUzerAdevText, HTMLTextMeasuresOrDraws) {
    QPoint measured;
    const QImage untouched = paint(200, 40, [&](TCanvas& c) {
        measured = DrawHTMLText(c, QStringLiteral("<b>Bold</b> text"), Rect(0, 0, 200, 40), nullptr, false, nullptr);
    });
    EXPECT_TRUE(inkBox(untouched).isEmpty()) << "measuring draws nothing";
    EXPECT_GT(measured.x(), 0);
    EXPECT_GT(measured.y(), 0);
    QPoint drawn;
    const QImage img = paint(200, 40, [&](TCanvas& c) {
        c.Brush().SetStyle(bsClear);
        drawn = DrawHTMLText(c, QStringLiteral("<b>Bold</b> text"), Rect(0, 0, 200, 40), nullptr, true, nullptr);
    });
    EXPECT_EQ(drawn, measured);
    EXPECT_FALSE(inkBox(img).isEmpty());
    TCanvas noDevice;
    EXPECT_EQ(DrawHTMLText(noDevice, QString(), Rect(0, 0, 10, 10), nullptr, true, nullptr), QPoint(0, 0));

    // Links take the grey of the link colour.
    const QImage link = paint(200, 40, [&](TCanvas& c) {
        c.Brush().SetStyle(bsClear);
        DrawHTMLText(c, QStringLiteral("<a href=\"x\">LINK</a>"), Rect(0, 0, 200, 40), nullptr, true, nullptr);
    });
    EXPECT_GT(count(link, 0x808080), 0);
    EXPECT_EQ(count(link, clBlack), 0);
}

TEST(DovUzerAdevText, ThousandSeparatorsUnderBothConventions) {
    for (const auto& lc : {testing_support::kDotDecimal, testing_support::kCommaDecimal}) {
        LocaleScope scope(lc);
        EXPECT_EQ(ThousandSeparator(), lc.thousand) << lc.name;
        EXPECT_EQ(DecimalSeparator(), lc.decimal) << lc.name;
        EXPECT_EQ(RemoveThousandSeparators(testing_support::inLocale("1T234T567D5", lc)),
                  testing_support::inLocale("1234567D5", lc))
            << lc.name;
        EXPECT_EQ(RemoveThousandSeparators(testing_support::inLocale("TT12", lc)), QStringLiteral("12")) << lc.name;
    }
}

TEST(DovUzerAdevText, HexAndCase) {
    struct Case {
        const char* text;
        int value;
    } cases[] = {
        {"", 0},
        {"1G", 16},
        {"ff", 255},
        {"Ab", 171},
        {"FFFFFFFF", -1},
        {"7FFFFFFF", 0x7FFFFFFF},
        {"123456789", 0x23456789},  // the ninth digit falls off
        {"-1", 1},                  // "-" counts 0
    };
    for (const Case& cs : cases) EXPECT_EQ(HexToInt(QString::fromLatin1(cs.text)), cs.value) << cs.text;
    EXPECT_EQ(HexDigitValue(u'f'), 15);
    EXPECT_EQ(HexDigitValue(u'F'), 15);
    EXPECT_EQ(HexDigitValue(u'9'), 9);
    EXPECT_EQ(HexDigitValue(u'g'), 0);
    EXPECT_EQ(HexDigitValue(QChar(0xFF21)), 0) << "a full-width A is no digit";

    EXPECT_EQ(UpperCaseUnless(QStringLiteral("abc äß"), false), QStringLiteral("ABC ÄSS"));
    EXPECT_EQ(UpperCaseUnless(QStringLiteral("abc"), true), QStringLiteral("abc"));
}

}  // namespace
