// Text on the canvas: measuring, the DrawText flags, opaque and clear backgrounds, turned fonts.
#include "platform/Canvas.h"
#include "platform/Font.h"
#include "platform/TextShapeCache.h"

#include <gtest/gtest.h>

#include <QImage>
#include <utility>
#include <vector>
#include <functional>

using namespace plat;

namespace {

constexpr TColor kBack = clWhite;

QImage blank(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

QRect inkBox(const QImage& img) {
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (FromQRgb(img.pixel(x, y)) != kBack) box |= QRect(x, y, 1, 1);
    return box;
}

void prepare(TCanvas& c) {
    c.Brush().SetStyle(bsClear);
    c.Font().SetColor(clBlack);
}

TEST(Text, PrefixesMeasureAndUnderline) {
    QImage scratch = blank(10, 10);
    TCanvas c(&scratch);
    TRect r = Rect(0, 0, 500, 100);
    c.DrawText(u"a&&b"_qs, r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(r.Width(), c.TextWidth(u"a&b"_qs));
    r = Rect(0, 0, 500, 100);
    c.DrawText(u"a&&b"_qs, r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(r.Width(), c.TextWidth(u"a&&b"_qs));
    r = Rect(0, 0, 500, 100);
    c.DrawText(u"&ab"_qs, r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(r.Width(), c.TextWidth(u"ab"_qs));

    // "&ab" draws "ab" with a line under the "a" only: the two pictures differ below the base line
    // and within the first letter.
    QImage plain = blank(60, 30), marked = blank(60, 30), hidden = blank(60, 30);
    for (auto [img, text, flags] : {std::tuple{&plain, u"ab"_qs, 0u}, std::tuple{&marked, u"&ab"_qs, 0u},
                                    std::tuple{&hidden, u"&ab"_qs, unsigned(DT_HIDEPREFIX)}}) {
        TCanvas t(img);
        prepare(t);
        TRect box = Rect(0, 0, 60, 30);
        t.DrawText(text, box, DT_SINGLELINE | flags);
    }
    EXPECT_EQ(hidden, plain);
    const int baseline = QFontMetrics(TFont().ToQFont()).ascent();
    const int aWidth = c.TextWidth(u"a"_qs);
    int differing = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x)
            if (plain.pixel(x, y) != marked.pixel(x, y)) {
                ++differing;
                EXPECT_GE(y, baseline) << x << "," << y;
                EXPECT_LT(x, aWidth) << x << "," << y;
            }
    EXPECT_GT(differing, 0);

    // A single line drops its line breaks and still underlines the right letter.
    QImage broken = blank(60, 30), joined = blank(60, 30);
    for (auto [img, text] : {std::pair{&broken, u"x\r\n&y"_qs}, std::pair{&joined, u"x&y"_qs}}) {
        TCanvas t(img);
        prepare(t);
        TRect box = Rect(0, 0, 60, 30);
        t.DrawText(text, box, DT_SINGLELINE);
    }
    EXPECT_EQ(broken, joined);
}

TEST(Text, WordBreakMeasuresLinesAndEditControlBreaksLongWords) {
    QImage scratch = blank(10, 10);
    TCanvas c(&scratch);
    const int h = c.TextHeight(u"Ag"_qs);
    const int wide = std::max(c.TextWidth(u"Hello"_qs), c.TextWidth(u"World"_qs));
    TRect r = Rect(5, 7, 5 + wide + 2, 7);
    EXPECT_EQ(c.DrawText(u"Hello World"_qs, r, DT_CALCRECT | DT_WORDBREAK), 2 * h);
    EXPECT_EQ(r, Rect(5, 7, 5 + wide, 7 + 2 * h));

    r = Rect(0, 0, 10, 0);  // narrower than both words
    EXPECT_EQ(c.DrawText(u"Hello World"_qs, r, DT_CALCRECT | DT_WORDBREAK), 2 * h);
    EXPECT_EQ(r.Width(), wide);  // a word wider than the rectangle widens it

    r = Rect(0, 0, 1000, 0);
    EXPECT_EQ(c.DrawText(u"one\r\ntwo\nthree"_qs, r, DT_CALCRECT), 3 * h);
    r = Rect(0, 0, 1000, 0);
    EXPECT_EQ(c.DrawText(u"one\r\ntwo"_qs, r, DT_CALCRECT | DT_SINGLELINE), h);
    EXPECT_EQ(r.Width(), c.TextWidth(u"onetwo"_qs));

    r = Rect(0, 0, c.TextWidth(u"abcd"_qs), 0);
    EXPECT_EQ(c.DrawText(u"abcdefgh"_qs, r, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL), 2 * h);

    r = Rect(0, 0, 1000, 0);
    c.DrawText(u"a\tb"_qs, r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
    EXPECT_EQ(r.Width(), 8 * QFontMetrics(c.Font().ToQFont()).averageCharWidth() + c.TextWidth(u"b"_qs));

    QFontMetrics fm(c.Font().ToQFont());
    r = Rect(0, 0, 1000, 0);
    EXPECT_EQ(c.DrawText(u"x"_qs, r, DT_CALCRECT | DT_EXTERNALLEADING), h + std::max(0, fm.leading()));
}

TEST(Text, EndEllipsisEndsALongLineWithDots) {
    const QString text = u"abcdefghijklmnopqrstuvwxyz"_qs;
    QImage scratch = blank(10, 10);
    TCanvas m(&scratch);
    const int width = m.TextWidth(u"abcdefgh"_qs);
    const int h = m.TextHeight(text);

    QImage drawn = blank(200, h);
    {
        TCanvas c(&drawn);
        prepare(c);
        TRect r = Rect(0, 0, width, h);
        c.DrawText(text, r, DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    // It is the longest start of the text that fits with the dots after it.
    int found = -1;
    for (int k = 0; k <= text.size(); ++k) {
        QImage candidate = blank(200, h);
        TCanvas c(&candidate);
        prepare(c);
        c.TextOut(0, 0, text.left(k) + u"..."_qs);
        c.Release();
        if (candidate == drawn) found = k;
    }
    ASSERT_GT(found, 0);
    EXPECT_LE(m.TextWidth(text.left(found) + u"..."_qs), width);
    EXPECT_GT(m.TextWidth(text.left(found + 1) + u"..."_qs), width);

    // Text that fits is left alone.
    QImage fits = blank(200, h), plain = blank(200, h);
    {
        TCanvas c(&fits);
        prepare(c);
        TRect r = Rect(0, 0, 200, h);
        c.DrawText(u"abc"_qs, r, DT_SINGLELINE | DT_END_ELLIPSIS);
        TCanvas p(&plain);
        prepare(p);
        p.TextOut(0, 0, u"abc"_qs);
    }
    EXPECT_EQ(fits, plain);
}

TEST(Text, AlignmentAndClipping) {
    struct Case {
        const char* name;
        unsigned flags;
        std::function<void(const QRect& ink, const QRect& cell)> check;
    } cases[] = {
        {"left top", DT_SINGLELINE, [](const QRect& ink, const QRect& cell) {
             EXPECT_LE(ink.left(), cell.left() + 2);
             EXPECT_LE(ink.top(), cell.top() + 6);
         }},
        {"right", DT_SINGLELINE | DT_RIGHT, [](const QRect& ink, const QRect& cell) {
             EXPECT_LE(ink.right(), cell.right());
             EXPECT_GE(ink.right(), cell.right() - 3);
         }},
        {"centre", DT_SINGLELINE | DT_CENTER | DT_VCENTER, [](const QRect& ink, const QRect& cell) {
             EXPECT_NEAR(ink.center().x(), cell.center().x(), 3);
             EXPECT_NEAR(ink.center().y(), cell.center().y(), 4);
         }},
        {"bottom", DT_SINGLELINE | DT_BOTTOM, [](const QRect& ink, const QRect& cell) {
             EXPECT_LE(ink.bottom(), cell.bottom());
             EXPECT_GE(ink.bottom(), cell.bottom() - 6);
         }},
        {"clipped to the rectangle", DT_SINGLELINE | DT_LEFT, [](const QRect& ink, const QRect& cell) {
             EXPECT_TRUE(cell.contains(ink)) << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
         }},
    };
    for (const Case& cs : cases) {
        QImage img = blank(200, 80);
        TCanvas c(&img);
        prepare(c);
        TRect r = Rect(20, 10, 150, 60);
        c.DrawText(cs.name == std::string("clipped to the rectangle") ? u"WWWWWWWWWWWWWWWWWWWWWWWWWWWW"_qs : u"Tag"_qs, r,
                   cs.flags);
        c.Release();
        SCOPED_TRACE(cs.name);
        cs.check(inkBox(img), r.toQRect());
    }
}

TEST(Text, RightToLeftReadingMovesNeutralCharacters) {
    // "abc!" read right to left puts the "!" before the letters: same width, another picture.
    QImage ltr = blank(80, 20), rtl = blank(80, 20);
    for (auto [img, flags] : {std::pair{&ltr, 0u}, std::pair{&rtl, unsigned(DT_RTLREADING)}}) {
        TCanvas c(img);
        prepare(c);
        TRect r = Rect(0, 0, 80, 20);
        c.DrawText(u"abc!"_qs, r, DT_SINGLELINE | flags);
    }
    EXPECT_NE(ltr, rtl);
    EXPECT_EQ(inkBox(ltr).width(), inkBox(rtl).width());
}

TEST(Text, PlacedLowerTheHeightCountsFromTheTop) {
    QImage img = blank(100, 60);
    TCanvas c(&img);
    const int h = c.TextHeight(u"x"_qs);
    TRect r = Rect(0, 10, 100, 60);
    EXPECT_EQ(c.DrawText(u"x"_qs, r, DT_SINGLELINE | DT_BOTTOM), 50);
    EXPECT_EQ(c.DrawText(u"x"_qs, r, DT_SINGLELINE | DT_VCENTER), (50 - h) / 2 + h);
    EXPECT_EQ(c.DrawText(u"x"_qs, r, DT_SINGLELINE), h);
    EXPECT_EQ(c.DrawText(u"x"_qs, r, DT_BOTTOM), h);  // several lines are never moved down
}

TEST(Text, OpaqueBrushPaintsBehindTextClearBrushDoesNot) {
    QImage img = blank(100, 40);
    TCanvas c(&img);
    c.Brush().SetColor(clYellow);
    c.TextOut(2, 2, u"ab"_qs);
    EXPECT_EQ(c.PenPos(), QPoint(2 + c.TextWidth(u"ab"_qs), 2));
    c.Brush().SetStyle(bsClear);
    c.TextOut(50, 2, u"ab"_qs);
    c.Brush().SetColor(clAqua);  // a colour makes the brush solid again
    EXPECT_EQ(c.Brush().Style(), bsSolid);
    c.TextRect(Rect(2, 25, 12, 35), 2, 25, u"WWWW"_qs);
    c.Release();
    EXPECT_EQ(FromQRgb(img.pixel(2, 2)), clYellow);
    EXPECT_EQ(FromQRgb(img.pixel(50, 2)), clWhite);
    EXPECT_EQ(FromQRgb(img.pixel(2, 34)), clAqua);
    EXPECT_EQ(FromQRgb(img.pixel(12, 30)), clWhite);  // TextRect keeps to its rectangle
}

// Texts drawn again in a font come from the shapes kept the first time: the pixels are those of
// every text laid out, measured and shaped anew (the reference), the first time and the next,
// whatever the script, the flags or the brush.
TEST(Text, KeptShapesDrawWhatShapingAnewDraws) {
    const QString texts[] = {
        u"Value 1234"_qs,           u"0.5"_qs,          u"-17,25 kWh"_qs,     u"Gr\u00FC\u00DFe \u00E9t\u00E9"_qs,
        u"\u0391\u03B2\u03B3 \u0416\u0438\u0437"_qs,  u"e\u0301e\u0301"_qs, u"\u05E9\u05DC\u05D5\u05DD abc"_qs,
        u"\u6E29\u5EA6 7"_qs,     u"a\tb\tc"_qs,       u"&File && more"_qs,  u"one two three four five six"_qs,
        u"line one\r\nline two"_qs, u"Wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww"_qs, QString(),
    };
    struct Flags {
        const char* name;
        unsigned flags;
        int width;
    } cases[] = {
        {"single line", DT_SINGLELINE, 300},
        {"cell text, word broken", DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK, 60},
        {"right aligned", DT_SINGLELINE | DT_RIGHT | DT_NOPREFIX, 120},
        {"centred and cut with dots", DT_SINGLELINE | DT_CENTER | DT_END_ELLIPSIS, 70},
        {"right to left reading", DT_SINGLELINE | DT_RTLREADING, 200},
        {"a rectangle just as wide and high as the text", DT_SINGLELINE | DT_NOPREFIX, -1},
        {"the same, aligned right", DT_SINGLELINE | DT_NOPREFIX | DT_RIGHT, -1},
    };
    // Every rectangle on a background of its own colour, so ink outside it shows.
    const auto draw = [&](TFontStyles style, bool opaque) {
        QImage img = blank(320, 2000);
        TCanvas c(&img);
        prepare(c);
        c.Font().SetStyle(style);
        int y = 0;
        for (const Flags& f : cases)
            for (const QString& t : texts) {
                const int w = f.width >= 0 ? f.width : c.TextWidth(t);
                const int h = f.width >= 0 ? 40 : c.TextHeight(t);
                TRect r = Rect(40, y + 2, 40 + w, y + 2 + h);
                c.Brush().SetColor(clSilver);
                c.FillRect(r);
                if (opaque)
                    c.Brush().SetColor(clYellow);
                else
                    c.Brush().SetStyle(bsClear);
                c.DrawText(t, r, f.flags);
                y += f.width >= 0 ? 18 : h + 6;
            }
        c.Release();
        return img;
    };
    const TFontStyles styles[] = {{}, {fsBold}, {fsItalic}, {fsUnderline}, {fsBold, fsItalic}};
    for (const TFontStyles& style : styles)
        for (bool opaque : {false, true}) {
            SCOPED_TRACE(testing::Message() << "style " << int(style.contains(fsBold)) << int(style.contains(fsItalic))
                                            << int(style.contains(fsUnderline)) << " opaque " << opaque);
            SetTextShapeCacheEnabled(false);
            const QImage reference = draw(style, opaque);
            SetTextShapeCacheEnabled(true);
            EXPECT_EQ(draw(style, opaque), reference);  // shapes made
            EXPECT_EQ(draw(style, opaque), reference);  // shapes kept
        }
}

TEST(Text, TurnedFontsReadUpOrDown) {
    struct Case {
        int orientation;
        bool upwards;
    } cases[] = {{900, true}, {-2700, true}, {-900, false}};
    for (const Case& cs : cases) {
        QImage img = blank(80, 160);
        TCanvas c(&img);
        prepare(c);
        c.Font().SetOrientation(cs.orientation);
        const QString text = u"Hello there"_qs;
        const int w = c.TextWidth(text);  // measured along the text, whatever its angle
        c.TextOut(40, 80, text);
        c.Release();
        QImage viaDrawText = blank(80, 160);
        TCanvas d(&viaDrawText);
        prepare(d);
        d.Font().SetOrientation(cs.orientation);
        TRect at = Rect(40, 80, 40, 80);
        d.DrawText(text, at, DT_SINGLELINE | DT_NOCLIP);
        d.Release();
        EXPECT_EQ(viaDrawText, img) << cs.orientation;
        const QRect ink = inkBox(img);
        SCOPED_TRACE(cs.orientation);
        EXPECT_GT(ink.height(), 3 * ink.width());  // a tall, narrow box
        EXPECT_NEAR(ink.height(), w, 4);
        if (cs.upwards) {
            EXPECT_LE(ink.bottom(), 80);  // from the origin up
            EXPECT_GE(ink.left(), 40);    // the tops of the letters face left
        } else {
            EXPECT_GE(ink.top(), 79);
            EXPECT_LE(ink.right(), 40);
        }
    }
}

// The Qt font a font keeps made follows every change of face, size, style and pitch, through the
// setters and through Assign, and none of colour or angle; a canvas measures by it.
TEST(Font, TheMadeQtFontFollowsEveryChangeOfFace) {
    const auto fresh = [](const TFont& like) {
        TFont f;
        f.SetName(like.Name());
        f.SetHeight(like.Height());
        f.SetStyle(like.Style());
        f.SetPitch(like.Pitch());
        return f.ToQFont();
    };
    TFont bold;
    bold.SetStyle({fsBold});
    bold.SetHeight(-19);
    const std::vector<std::pair<const char*, std::function<void(TFont&)>>> changes = {
        {"name", [](TFont& f) { f.SetName(u"DejaVu Serif"_qs); }},
        {"height", [](TFont& f) { f.SetHeight(-23); }},
        {"size", [](TFont& f) { f.SetSize(14); }},
        {"style", [](TFont& f) { f.SetStyle({fsItalic, fsStrikeOut}); }},
        {"pitch", [](TFont& f) { f.SetPitch(fpFixed); }},
        {"colour", [](TFont& f) { f.SetColor(clRed); }},
        {"angle", [](TFont& f) { f.SetOrientation(900); }},
        {"another font assigned", [&](TFont& f) { f.Assign(bold); }},
        {"a font of another colour assigned", [](TFont& f) {
             TFont red(f);
             red.SetColor(clRed);
             f.Assign(red);
         }},
    };
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        TFont f;
        (void)f.ToQFont();  // made before the change
        change(f);
        EXPECT_EQ(f.ToQFont(), fresh(f));
        QImage img(10, 10, QImage::Format_RGB32);
        TCanvas c(&img);
        c.Font().Assign(f);
        EXPECT_EQ(c.TextWidth(u"Wide text"_qs), QFontMetrics(fresh(f), &img).horizontalAdvance(u"Wide text"_qs));
    }
}

TEST(Font, SizesNamesAndStyles) {
    TFont f;
    f.SetSize(9);
    EXPECT_EQ(f.Height(), -12);  // 96 pixels per inch
    f.SetHeight(-16);
    EXPECT_EQ(f.Size(), 12);
    EXPECT_EQ(f.ToQFont().pixelSize(), 16);
    f.SetHeight(20);  // a cell height: the characters are smaller
    const QFontMetrics fm(f.ToQFont());
    EXPECT_NEAR(fm.ascent() + fm.descent(), 20, 1);

    int changes = 0;
    f.OnChange = [&] { ++changes; };
    f.SetName(u"No Such Face 4711"_qs);
    f.SetStyle({fsBold, fsUnderline});
    f.SetStyle({fsBold, fsUnderline});  // unchanged: no report
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(f.Name(), u"No Such Face 4711"_qs);  // kept by name
    EXPECT_TRUE(f.ToQFont().bold());
    EXPECT_TRUE(f.ToQFont().underline());

    QImage img(100, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    TCanvas c(&img);
    c.Font().Assign(f);
    EXPECT_EQ(c.Font().Name(), f.Name());
    EXPECT_GT(c.TextWidth(u"abc"_qs), 0);  // a face that exists stands in
    c.Brush().SetStyle(bsClear);
    c.TextOut(0, 0, u"abc"_qs);
    c.Release();
    QRect ink;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255)) ink |= QRect(x, y, 1, 1);
    EXPECT_FALSE(ink.isEmpty());
}

}  // namespace
