// The mini-HTML renderer: layout with a fixed-width test font (every character 8 pixels wide, a
// line twice the point size high), so sizes and rectangles are exact; colours and marks checked on
// the pixels of an image drawn with the real font.
#include "controls/ExHTMLRender.h"
#include "controls/PictureContainer.h"
#include "platform/Bitmap.h"
#include "platform/ImageList.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <functional>

using namespace plat;

namespace {

struct FixedMetrics final : IHTMLTextMetrics {
    int TextWidth(const TFont&, QStringView Text) override { return 8 * int(Text.size()); }
    int TextHeight(const TFont& Font) override { return 2 * Font.Size(); }
};

constexpr TColor kBack = RGB(1, 2, 3);

struct Call {
    THTMLRenderIn in;
    THTMLRenderOut out;
    bool result = false;
    QImage image{400, 200, QImage::Format_RGB32};
};

// Renders on an image whose canvas font is 8 points (16-pixel lines with the fixed metrics).
Call render(const QString& text, TRect rect, const std::function<void(THTMLRenderIn&, THTMLRenderOut&)>& setUp = {},
            bool realMetrics = false) {
    Call c;
    c.in.Text = text;
    c.in.Rect = rect;
    if (setUp) setUp(c.in, c.out);
    c.image.fill(ToQColor(kBack));
    TCanvas canvas(&c.image);
    canvas.Font().SetName(QStringLiteral("DejaVu Sans"));
    canvas.Font().SetSize(8);
    canvas.Brush().SetStyle(bsClear);
    FixedMetrics fixed;
    c.result = RenderHTML(canvas, c.in, c.out, realMetrics ? nullptr : &fixed);
    canvas.Release();
    return c;
}

Call measure(const QString& text, int width = 400) {
    return render(text, TRect{0, 0, width + 1, 100}, [](THTMLRenderIn& in, THTMLRenderOut&) { in.MeasureOnly = true; });
}

int countColor(const QImage& img, TColor color, QRect area = {}) {
    if (area.isNull()) area = img.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += FromQRgb(img.pixel(x, y)) == color;
    return n;
}

int countInk(const QImage& img, QRect area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += FromQRgb(img.pixel(x, y)) != kBack;
    return n;
}

QByteArray pngOf(int w, int h, QColor color) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    return bytes;
}

void loadPicture(THTMLPicture& picture, const QByteArray& bytes) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    picture.LoadFromStream(&buffer);
}

TEST(ExHTMLRender, TextAfterEntitiesAndPrefixes) {
    struct Case {
        const char* what;
        QString text;
        QString strip;
        int xSize, ySize;
        int width = 400;
    } cases[] = {
        {"&amp; shows one ampersand", QStringLiteral("a &amp; b"), QStringLiteral("a && b"), 40, 16},
        {"a bare & underlines the blank, shown alone", QStringLiteral("a& b"), QStringLiteral("a& b"), 24, 16},
        {"&permil; is the sign alone", QStringLiteral("&permil;"), QStringLiteral("\u2030"), 8, 16},
        {"&NBSP; is a blank that never breaks", QStringLiteral("x&NBSP;y"), QStringLiteral("x\u00A0y"), 24, 16, 16},
        {"where a blank breaks", QStringLiteral("x y"), QStringLiteral("x y"), 8, 32, 16},
        {"&lt;b&gt; shows <b> and opens no tag", QStringLiteral("&lt;b&gt;x"), QStringLiteral("<b>x"), 32, 16},
        {"<#FF0000> shows the hash and digits", QStringLiteral("<#FF0000>"), QStringLiteral("#FF0000"), 56, 16},
        {"a line feed alone stays on one line", QStringLiteral("a\nb"), QStringLiteral("ab"), 16, 16},
        {"a carriage return breaks the line", QStringLiteral("a\rb"), QStringLiteral("a\rb"), 8, 32},
        {"&amp;quot; is decoded once", QStringLiteral("&amp;quot;"), QStringLiteral("&&quot;"), 48, 16},
        {"entity names in any case", QStringLiteral("&EURO;&Copy;"), QStringLiteral("\u20AC\u00A9"), 16, 16},
        {"empty text is one line high", QString(), QString(), 0, 16},
    };
    for (const auto& c : cases) {
        const Call r = measure(c.text, c.width);
        EXPECT_EQ(r.out.StripVal, c.strip) << c.what;
        EXPECT_EQ(r.out.XSize, c.xSize) << c.what;
        EXPECT_EQ(r.out.YSize, c.ySize) << c.what;
    }
}

TEST(ExHTMLRender, WordWrap) {
    struct Case {
        const char* what;
        QString text;
        bool wordWrap;
        QString strip;
        int xSize, ySize;
    } cases[] = {
        {"breaks at blanks, the trailing blank not counted", QStringLiteral("aaa bbb ccc"), true,
         QStringLiteral("aaa bbb ccc"), 24, 48},
        {"a word joined by tags is never split", QStringLiteral("xx a<B>b</B>cdef"), true, QStringLiteral("xx abcdef"),
         72, 16},
        {"a word wider than the line stays on it", QStringLiteral("abcdefghij"), true, QStringLiteral("abcdefghij"), 80,
         16},
        {"without word wrap the rest after the overflowing run goes", QStringLiteral("abcdefghij <B>k</B> lmn"), false,
         QStringLiteral("abcdefghij k"), 96, 16},
    };
    for (const auto& c : cases) {
        const Call r = render(c.text, TRect{0, 0, 41, 100}, [&](THTMLRenderIn& in, THTMLRenderOut&) {
            in.MeasureOnly = true;
            in.WordWrap = c.wordWrap;
        });
        EXPECT_EQ(r.out.StripVal, c.strip) << c.what;
        EXPECT_EQ(r.out.XSize, c.xSize) << c.what;
        EXPECT_EQ(r.out.YSize, c.ySize) << c.what;
    }
}

TEST(ExHTMLRender, MeasureOnlyGoesPastTheBottomAndDrawingStops) {
    const QString text = QStringLiteral("a<BR>").repeated(10);
    const Call measured = render(text, TRect{0, 0, 100, 40}, [](THTMLRenderIn& in, THTMLRenderOut&) { in.MeasureOnly = true; });
    EXPECT_EQ(measured.out.YSize, 160);
    EXPECT_EQ(measured.out.StripVal, QStringLiteral("a\r").repeated(10));

    // Line two ends at 32; the third would start at 32 and 32 + 16 passes 40.
    const Call drawn = render(text, TRect{0, 0, 100, 40});
    EXPECT_EQ(drawn.out.YSize, 32);
    EXPECT_EQ(drawn.out.StripVal, QStringLiteral("a\ra\ra\ra\r"));
}

TEST(ExHTMLRender, FontSizes) {
    struct Case {
        QString text;
        int ySize;
    } cases[] = {
        {QStringLiteral("<FONT SIZE=\"3\">x</FONT>"), 24},   // 12 points
        {QStringLiteral("<FONT SIZE=\"9\">x</FONT>"), 18},   // the number itself
        {QStringLiteral("<FONT SIZE=\"1\">x</FONT>"), 16},   // 8 points
        {QStringLiteral("<font size=\"5\">x</font>"), 32},   // 16 points, any case
        {QStringLiteral("<FONT SIZE=3 FACE=\"20\">x"), 40},  // unquoted: the digits after the next quote
        {QStringLiteral("<FONT SIZE=\"99999\">x"), 2 * 1638},
    };
    for (const auto& c : cases) EXPECT_EQ(measure(c.text).out.YSize, c.ySize) << c.text.toStdString();
    // The font goes back to the base size after </FONT>, on the next line too.
    EXPECT_EQ(measure(QStringLiteral("<FONT SIZE=\"5\">x</FONT><BR>y")).out.YSize, 32 + 16);
    // A size set on one line carries into the next line's measuring.
    EXPECT_EQ(measure(QStringLiteral("<FONT SIZE=\"5\">x<BR>y")).out.YSize, 64);
}

TEST(ExHTMLRender, ColoursOnThePixels) {
    struct Case {
        QString text;
        bool red;
    } cases[] = {
        {QStringLiteral("<FONT COLOR=\"clRed\"><B>MMMM</B></FONT>"), true},
        {QStringLiteral("<FONT COLOR=\"CLRED\"><B>MMMM</B></FONT>"), true},
        {QStringLiteral("<FONT COLOR=\"#FF0000\"><B>MMMM</B></FONT>"), true},
        {QStringLiteral("<FONT COLOR=\"red\"><B>MMMM</B></FONT>"), false},
    };
    for (const auto& c : cases) {
        const Call r = render(c.text, TRect{0, 0, 300, 100}, {}, true);
        EXPECT_EQ(countColor(r.image, 0x0000FF) > 0, c.red) << c.text.toStdString();
        EXPECT_GT(countColor(r.image, clBlack) + countColor(r.image, 0x0000FF), 0) << c.text.toStdString();
    }
    EXPECT_EQ(HTMLColorByName(QStringLiteral("clBtnFace")), 0xFF00000Fu);
    EXPECT_EQ(HTMLColorByName(QStringLiteral("clInfoBk")), 0xFF000018u);
    EXPECT_EQ(HTMLColorByName(QStringLiteral("clnavy")), 0x800000u);
    EXPECT_EQ(HTMLHexToColor(QStringLiteral("#102030")), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(HTMLHexToColor(QStringLiteral("#1")), 0u);
    EXPECT_EQ(HexPairValue(u"F"), 0);
    EXPECT_EQ(HexPairValue(u"fF"), 15);  // lower-case digits are not digits here
}

TEST(ExHTMLRender, AnchorHitOnItsSecondLine) {
    // "xx abc " on the first line, "def" on the second (the line is 80 wide).
    const QString text = QStringLiteral("xx <A HREF=\"Go\" TITLE=\"Tip\">abc def</A>");
    const Call r = render(text, TRect{0, 0, 81, 100}, [](THTMLRenderIn& in, THTMLRenderOut&) {
        in.HitTestOnly = true;
        in.X = 5;
        in.Y = 24;
    });
    EXPECT_TRUE(r.result);
    EXPECT_EQ(r.out.MouseLink, 1);
    EXPECT_EQ(r.out.HoverRect, (TRect{1, 16, 25, 32}));
    EXPECT_EQ(r.out.AnchorVal, QStringLiteral("Go"));
    EXPECT_EQ(r.out.AnchorTitle, QStringLiteral("Tip"));
    EXPECT_EQ(r.out.HyperLinks, 1);

    // On the first line: the rectangle starts where the anchor starts.
    const Call first = render(text, TRect{0, 0, 81, 100}, [](THTMLRenderIn& in, THTMLRenderOut&) {
        in.HitTestOnly = true;
        in.X = 30;
        in.Y = 8;
    });
    EXPECT_TRUE(first.result);
    EXPECT_EQ(first.out.MouseLink, 1);

    // In the anchor's columns but on the line below it: no hit.
    const Call below = render(QStringLiteral("<A HREF=\"go\">abc</A><BR>zzz"), TRect{0, 0, 81, 100},
                              [](THTMLRenderIn& in, THTMLRenderOut&) {
                                  in.HitTestOnly = true;
                                  in.X = 5;
                                  in.Y = 24;
                              });
    EXPECT_FALSE(below.result);
    // Outside the text: no hit and no link.
    const Call away = render(text, TRect{0, 0, 81, 100}, [](THTMLRenderIn& in, THTMLRenderOut&) {
        in.HitTestOnly = true;
        in.X = 10;
        in.Y = 8;
    });
    EXPECT_FALSE(away.result);
    EXPECT_EQ(away.out.MouseLink, -1);
}

TEST(ExHTMLRender, PicturesTakeTheirRoom) {
    TPictureContainer container;
    TPictureItem& item = container.Items().Add();
    item.SetName(QStringLiteral("Logo"));
    loadPicture(item.Picture(), pngOf(16, 16, Qt::green));
    TImageList images(16, 16);
    TBitmap strip;
    strip.SetSize(32, 16);
    images.Add(strip);
    ASSERT_EQ(images.Count(), 2);
    THTMLPictureCache cache;

    struct Case {
        const char* what;
        QString text;
        int xSize, ySize;
    } cases[] = {
        {"WIDTH 32 on a 16 x 16 picture", QStringLiteral("<IMG SRC=\"logo\" WIDTH=\"32\">"), 32, 32},
        {"natural size", QStringLiteral("<IMG SRC=\"logo\">"), 16, 16},
        {"HEIGHT alone keeps the proportion", QStringLiteral("<IMG SRC=\"logo\" HEIGHT=\"48\">"), 48, 48},
        {"an unknown name takes no room", QStringLiteral("<IMG SRC=\"nothing\">x"), 8, 16},
        {"IDX:0", QStringLiteral("<IMG SRC=\"IDX:0\">"), 16, 16},
        {"IDX:-1 takes no room", QStringLiteral("<IMG SRC=\"IDX:-1\">"), 0, 16},
        {"IDX: at the count takes no room", QStringLiteral("<IMG SRC=\"IDX:2\">"), 0, 16},
        {"undecodable RES:// takes no room", QStringLiteral("<IMG SRC=\"RES://BAD\">x"), 8, 16},
        {"RES:// picture", QStringLiteral("<IMG SRC=\"res://LOGO\">"), -1, -1},
        {"URL of another scheme shows nothing", QStringLiteral("<IMG SRC=\"http://x/y.png\">"), 0, 16},
    };
    for (const auto& c : cases) {
        for (bool measureOnly : {true, false}) {
            const Call r = render(c.text, TRect{0, 0, 200, 100}, [&](THTMLRenderIn& in, THTMLRenderOut&) {
                in.MeasureOnly = measureOnly;
                in.Container = &container;
                in.Images = &images;
                in.PictureCache = &cache;
            });
            if (c.xSize < 0) {
                EXPECT_GT(r.out.XSize, 0) << c.what;
                continue;
            }
            EXPECT_EQ(r.out.XSize, c.xSize) << c.what;
            EXPECT_EQ(r.out.YSize, c.ySize) << c.what;
        }
    }
    // Drawn: the stretched picture covers 32 x 32 green pixels.
    const Call drawn = render(QStringLiteral("<IMG SRC=\"logo\" WIDTH=\"32\">"), TRect{0, 0, 200, 100},
                              [&](THTMLRenderIn& in, THTMLRenderOut&) { in.Container = &container; });
    EXPECT_EQ(countColor(drawn.image, RGB(0, 255, 0)), 32 * 32);
    EXPECT_EQ(FromQRgb(drawn.image.pixel(1, 0)), RGB(0, 255, 0));
    // A picture inside an anchor is a hit.
    const Call hit = render(QStringLiteral("<A HREF=\"p\"><IMG SRC=\"logo\"></A>"), TRect{0, 0, 200, 100},
                            [&](THTMLRenderIn& in, THTMLRenderOut&) {
                                in.Container = &container;
                                in.HitTestOnly = true;
                                in.X = 8;
                                in.Y = 8;
                            });
    EXPECT_TRUE(hit.result);
    EXPECT_EQ(hit.out.AnchorVal, QStringLiteral("p"));
}

TEST(ExHTMLRender, Controls) {
    struct Case {
        const char* what;
        QString text;
        int xSize, ySize;
    } cases[] = {
        {"no WIDTH takes no room", QStringLiteral("<CONTROL TYPE=\"EDIT\" ID=\"e\">"), 0, 16},
        {"a WIDTH that is no number takes no room", QStringLiteral("<CONTROL TYPE=\"EDIT\" ID=\"e\" WIDTH=\"4x\">"), 0, 23},
        {"EDIT", QStringLiteral("<CONTROL TYPE=\"EDIT\" ID=\"e\" WIDTH=\"50\">"), 50, 26},
        {"BUTTON HEIGHT 40 makes the line 38 high",
         QStringLiteral("<CONTROL TYPE=\"BUTTON\" ID=\"b\" WIDTH=\"50\" HEIGHT=\"40\" VALUE=\"Go\">"), 50, 38},
        {"CHECK is 16 x 16", QStringLiteral("<CONTROL TYPE=\"CHECK\" ID=\"c\" WIDTH=\"50\">"), 16, 16},
    };
    for (const auto& c : cases) {
        for (bool measureOnly : {true, false}) {
            const Call r = render(c.text, TRect{0, 0, 200, 100},
                                  [&](THTMLRenderIn& in, THTMLRenderOut&) { in.MeasureOnly = measureOnly; });
            EXPECT_EQ(r.out.XSize, c.xSize) << c.what;
            EXPECT_EQ(r.out.YSize, c.ySize) << c.what;
        }
    }

    const QString form = QStringLiteral("ab<CONTROL TYPE=\"CHECK\" ID=\"c1\" WIDTH=\"20\" VALUE=\"TRUE\">"
                                        "<CONTROL TYPE=\"edit\" ID=\"e1\" WIDTH=\"40\" VALUE=\"v\">");
    // By ID, wherever the point is.
    const Call byId = render(form, TRect{0, 0, 200, 100}, [](THTMLRenderIn& in, THTMLRenderOut& out) {
        in.HitTestOnly = true;
        in.X = in.Y = -100;
        out.ControlID = QStringLiteral("c1");
    });
    EXPECT_TRUE(byId.result);
    EXPECT_EQ(byId.out.AnchorVal, QStringLiteral("ctrl"));
    EXPECT_EQ(byId.out.ControlType, QStringLiteral("CHECK"));
    EXPECT_EQ(byId.out.ControlValue, QStringLiteral("TRUE"));
    EXPECT_EQ(byId.out.ControlRect, (TRect{17, 0, 33, 16}));
    // By point: the edit box after the check box.
    const Call byPoint = render(form, TRect{0, 0, 200, 100}, [](THTMLRenderIn& in, THTMLRenderOut&) {
        in.HitTestOnly = true;
        in.X = 40;
        in.Y = 5;
    });
    EXPECT_TRUE(byPoint.result);
    EXPECT_EQ(byPoint.out.ControlID, QStringLiteral("e1"));
    EXPECT_EQ(byPoint.out.ControlType, QStringLiteral("EDIT"));
    // A drawing call clears ControlID.
    const Call painted = render(form, TRect{0, 0, 200, 100},
                                [](THTMLRenderIn&, THTMLRenderOut& out) { out.ControlID = QStringLiteral("c1"); });
    EXPECT_TRUE(painted.out.ControlID.isEmpty());
}

TEST(ExHTMLRender, ListItemOutsideAListDrawsLeftOfThePosition) {
    const Call r = render(QStringLiteral("<LI>ab"), TRect{20, 0, 200, 40}, {}, false);
    EXPECT_EQ(r.out.XSize, 16);  // the item mark adds no width
    EXPECT_GT(countInk(r.image, QRect(9, 0, 11, 20)), 0);
    // In a list the item is indented by 12 per level.
    EXPECT_EQ(measure(QStringLiteral("<UL><LI>ab")).out.XSize, 12 + 16);
    EXPECT_EQ(measure(QStringLiteral("<UL><LI>ab</UL>")).out.YSize, 32);
}

TEST(ExHTMLRender, CanvasStateGivenBack) {
    QImage img(100, 50, QImage::Format_RGB32);
    TCanvas canvas(&img);
    canvas.Font().SetSize(11);
    canvas.Font().SetColor(clGreen);
    canvas.Pen().SetColor(clMaroon);
    canvas.Pen().SetWidth(3);
    canvas.Brush().SetColor(clYellow);
    THTMLRenderIn in;
    in.Text = QStringLiteral("<B><FONT COLOR=\"clRed\" BGCOLOR=\"clBlue\" SIZE=\"5\"><R a=\"90\"><HR><IMG SRC=\"RES://BAD\">");
    in.Rect = TRect{0, 0, 100, 50};
    THTMLPictureCache cache;
    in.PictureCache = &cache;
    THTMLRenderOut out;
    RenderHTML(canvas, in, out);
    EXPECT_EQ(canvas.Font().Size(), 11);
    EXPECT_EQ(canvas.Font().Color(), clGreen);
    EXPECT_FALSE(canvas.Font().Style().contains(fsBold));
    EXPECT_EQ(canvas.Font().Orientation(), 0);
    EXPECT_EQ(canvas.Pen().Color(), clMaroon);
    EXPECT_EQ(canvas.Pen().Width(), 3);
    EXPECT_EQ(canvas.Brush().Color(), clYellow);
    EXPECT_EQ(canvas.Brush().Style(), bsSolid);
}

TEST(ExHTMLRender, HighlightAndErrorUnderline) {
    SetHTMLHighlightColors(clBlue, clWhite);
    const Call hi = render(QStringLiteral("x<HI>MM</HI>y"), TRect{0, 0, 200, 40}, {}, true);
    EXPECT_GT(countColor(hi.image, clBlue), 20);
    SetHTMLHighlightColors(clHighlight, clHighlightText);

    const Call err = render(QStringLiteral("<E>abcdef</E>"), TRect{0, 0, 200, 40});
    // The zig-zag lies on the rows just below the 16-pixel line.
    EXPECT_GT(countColor(err.image, 0x0000FF, QRect(0, 14, 60, 4)), 10);
    const Call plain = render(QStringLiteral("abcdef"), TRect{0, 0, 200, 40});
    EXPECT_EQ(countColor(plain.image, 0x0000FF), 0);
}

TEST(ExHTMLRender, LineLayout) {
    struct Case {
        const char* what;
        QString text;
        QString strip;
        int xSize, ySize;
    } cases[] = {
        {"hidden text counts for the plain text only", QStringLiteral("a<Z>hidden</Z>b"), QStringLiteral("ahiddenb"), 16,
         16},
        {"subscript adds a quarter line below", QStringLiteral("H<SUB>2</SUB>O"), QStringLiteral("H2O"), 24, 20},
        {"superscript adds a quarter line above", QStringLiteral("x<SUP>2</SUP>"), QStringLiteral("x2"), 16, 20},
        {"IND moves the position right", QStringLiteral("a<IND x=\"40\">b"), QStringLiteral("ab"), 48, 16},
        {"IND never moves it left", QStringLiteral("abcdef<IND x=\"8\">b"), QStringLiteral("abcdefb"), 56, 16},
        {"IND with no number does nothing", QStringLiteral("a<IND x=\"4y\">b"), QStringLiteral("ab"), 16, 16},
        {"a tag without > drops the rest", QStringLiteral("ab<B c"), QStringLiteral("ab"), 16, 16},
        {"unknown tags are consumed", QStringLiteral("a<Q>b<?x>c"), QStringLiteral("abc"), 24, 16},
        {"HR ends the line", QStringLiteral("a<HR>b"), QStringLiteral("ab"), 8, 32},
    };
    for (const auto& c : cases) {
        const Call r = measure(c.text);
        EXPECT_EQ(r.out.StripVal, c.strip) << c.what;
        EXPECT_EQ(r.out.XSize, c.xSize) << c.what;
        EXPECT_EQ(r.out.YSize, c.ySize) << c.what;
    }
}

TEST(ExHTMLRender, AlignmentAndIndentMoveTheLine) {
    struct Case {
        const char* what;
        QString paragraph;
        int left;
    } cases[] = {
        {"left", QString(), 1 + 16},
        {"right", QStringLiteral("<P ALIGN=\"RIGHT\">"), 201 - 32 + 16},
        {"centre", QStringLiteral("<P ALIGN=\"CENTER\">"), 1 + (200 - 32) / 2 + 16},
        {"indent", QStringLiteral("<P INDENT=\"10\">"), 1 + 10 + 16},
    };
    for (const auto& c : cases) {
        const Call r = render(c.paragraph + QStringLiteral("ab<CONTROL TYPE=\"CHECK\" ID=\"c\" WIDTH=\"9\">"),
                              TRect{0, 0, 201, 100}, [](THTMLRenderIn& in, THTMLRenderOut& out) {
                                  in.HitTestOnly = true;
                                  out.ControlID = QStringLiteral("c");
                              });
        EXPECT_TRUE(r.result) << c.what;
        EXPECT_EQ(r.out.ControlRect, (TRect{c.left, 0, c.left + 16, 16})) << c.what;
    }
}

TEST(ExHTMLRender, TextBeforeATagIsDrawnAsMeasured) {
    // "a" comes before the tag on its line: it is drawn, and without a shadow.
    const Call hidden = render(QStringLiteral("<B>a</B><Z>b<BR>c</Z>d"), TRect{0, 0, 200, 60});
    EXPECT_GT(countInk(hidden.image, QRect(1, 0, 8, 16)), 0);
    EXPECT_EQ(countInk(hidden.image, QRect(9, 0, 30, 16)), 0);  // "b" is hidden
    const Call shadow = render(QStringLiteral("<B>a</B><SHAD>b"), TRect{0, 0, 200, 60},
                               [](THTMLRenderIn& in, THTMLRenderOut&) { in.ShadowColor = clLime; });
    EXPECT_EQ(countColor(shadow.image, clLime, QRect(0, 0, 9, 20)), 0);
    EXPECT_GT(countColor(shadow.image, clLime, QRect(9, 0, 20, 20)), 0);
}

TEST(ExHTMLRender, FocusedAnchor) {
    const Call r = render(QStringLiteral("<A HREF=\"one\">a</A> <A HREF=\"two\">b</A>"), TRect{0, 0, 200, 40},
                          [](THTMLRenderIn& in, THTMLRenderOut&) { in.FocusLink = 1; });
    EXPECT_EQ(r.out.FocusAnchor, QStringLiteral("two"));
    EXPECT_EQ(r.out.HyperLinks, 2);
}

TEST(ExHTMLRender, RotatedFontAndShellIcons) {
    QImage img(10, 10, QImage::Format_RGB32);
    TCanvas canvas(&img);
    const TFont kept = SelectRotatedFont(canvas, 45);
    EXPECT_EQ(canvas.Font().Orientation(), 450);
    EXPECT_EQ(kept.Orientation(), 0);
    RestoreRotatedFont(canvas, kept);
    EXPECT_EQ(canvas.Font().Orientation(), 0);

    QSize size;
    DrawShellIcon(canvas, 0, 0, QStringLiteral("1"), false, false, false, 1.0, size);
    EXPECT_EQ(size, QSize(16, 16));
    DrawShellIcon(canvas, 0, 0, QDir::tempPath(), true, false, false, 1.0, size);
    EXPECT_EQ(size, QSize(32, 32));
    DrawShellIcon(canvas, 0, 0, QStringLiteral("notes.txt"), false, false, false, 1.0, size);
    EXPECT_EQ(size, QSize(16, 16));
    DrawShellIcon(canvas, 0, 0, QStringLiteral("7"), false, true, false, 1.0, size);  // one beyond the list
    EXPECT_EQ(size, QSize(0, 0));
}

}  // namespace

namespace {

// Pictures of a few cells drawn with the real font, to be looked at.
TEST(ExHTMLRender, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save pictures of rendered cells";
    const QString texts[] = {
        QStringLiteral("<B>Pump</B> <FONT COLOR=\"clRed\">3</FONT> bar <A HREF=\"x\">details</A>"),
        QStringLiteral("<P ALIGN=\"CENTER\">centred <I>italic</I> <U>under</U> <S>strike</S></P><BR>"
                       "<SHAD>shadow</SHAD> H<SUB>2</SUB>O x<SUP>2</SUP> <E>misspelt</E> <HI>found</HI>"),
        QStringLiteral("<UL><LI>one<LI>two<UL><LI>deeper</UL></UL><HR>after the rule &amp; &permil; &euro; &lt;b&gt;"),
        QStringLiteral("<CONTROL TYPE=\"EDIT\" ID=\"e\" WIDTH=\"60\" VALUE=\"text\"> "
                       "<CONTROL TYPE=\"CHECK\" ID=\"c\" WIDTH=\"20\" VALUE=\"TRUE\"> "
                       "<CONTROL TYPE=\"RADIO\" ID=\"r\" WIDTH=\"20\" VALUE=\"FALSE\"> "
                       "<CONTROL TYPE=\"COMBO\" ID=\"k\" WIDTH=\"70\" VALUE=\"pick\"> "
                       "<CONTROL TYPE=\"BUTTON\" ID=\"b\" WIDTH=\"60\" VALUE=\"Press\">"),
        QStringLiteral("<BODY BGCOLOR=\"#FFFFE0\"><FONT FACE=\"DejaVu Serif\" SIZE=\"4\" BGCOLOR=\"clSilver\">serif</FONT> "
                       "a very long line without word wrap that is cut with an ellipsis at the end of the rectangle"),
        QStringLiteral("<P BGCOLOR=\"clAqua\">paragraph background</P><R a=\"30\">turned</R> <A HREF=\"f\">focused link</A>"),
    };
    QImage img(360, 6 * 70, QImage::Format_RGB32);
    img.fill(Qt::white);
    TCanvas canvas(&img);
    canvas.Font().SetName(QStringLiteral("DejaVu Sans"));
    canvas.Font().SetSize(9);
    int top = 0;
    for (const QString& t : texts) {
        THTMLRenderIn in;
        in.Text = t;
        in.Rect = TRect{4, top + 4, 350, top + 66};
        in.WordWrap = top != 4 * 70;
        in.FocusLink = 0;
        canvas.Brush().SetColor(clWhite);
        canvas.Pen().SetColor(RGB(200, 200, 200));
        canvas.Rectangle(in.Rect.Left - 1, in.Rect.Top - 1, in.Rect.Right + 1, in.Rect.Bottom + 1);
        THTMLRenderOut out;
        RenderHTML(canvas, in, out);
        top += 70;
    }
    canvas.Release();
    ASSERT_TRUE(img.save(QString::fromLocal8Bit(dir) + QStringLiteral("/html_render.png")));
}

}  // namespace
