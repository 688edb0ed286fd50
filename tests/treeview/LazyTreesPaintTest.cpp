// Painting of the tree: the Scan & Decode row layout, tree lines and their dots, buttons, check
// pictures, the row picture, partial windows and the string tree's texts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStyle>

#include "platform/Themes.h"
#include "treeview/LazyTrees.h"

using enum TLTPaintOption;
using enum TLTMiscOption;
using enum TLTInternalPaintOption;
using enum TLTLineType;
using enum TLazyNodeState;
using namespace plat;

namespace {

constexpr TColor kLine = 0x0000FF;       // red tree lines
constexpr TColor kBack = 0xFFFFFF;       // white background
constexpr TColor kText = 0x000000;       // black text

struct Caption {
    QString text;
};

// A tree set up as the Scan & Decode window sets up its two trees: no columns, check boxes on every
// node, 16 x 16 node images by level, captions made in OnInitNode.
struct ScanTree {
    TLazyStringTree tree;
    TImageList images{16, 16};
    int getTextCalls = 0;
    int widthMeasures = 0;

    explicit ScanTree(bool themed) {
        for (TColor c : {TColor(0x00FF00), TColor(0xFF0000), TColor(0x00FFFF)}) {
            TBitmap b(16, 16, pf32bit);
            b.Canvas().Brush().SetColor(c);
            b.Canvas().FillRect(TRect{0, 0, 16, 16});
            b.Canvas().Release();
            images.Add(b);
        }
        tree.SetNodeDataType<Caption>();
        TLTPaintOptions paint{toShowButtons, toShowRoot, toShowTreeLines, toUseBlendedImages};
        if (themed) paint += toThemeAware;
        tree.TreeOptions().SetPaintOptions(paint);
        tree.TreeOptions().SetMiscOptions(tree.TreeOptions().MiscOptions() + toCheckSupport);
        tree.SetImages(&images);
        tree.SetCustomCheckImages(&images);
        tree.Colors().SetTreeLineColor(kLine);
        tree.SetColor(kBack);
        tree.Font().SetColor(kText);
        tree.OnInitNode = [](TLazyTreeCore* t, PLazyNode parent, PLazyNode node, TLazyNodeInitStates&) {
            node->CheckType = TCheckType::ctCheckBox;
            node->CheckState = TCheckState::csCheckedNormal;
            t->GetNodeData<Caption>(node)->text =
                parent ? QStringLiteral("Value %1").arg(node->Index) : QStringLiteral("Meter %1").arg(node->Index);
        };
        tree.OnGetText = [this](TCustomLazyStringTree* t, PLazyNode node, TColumnIndex, TVSTTextType type,
                                QString& text) {
            ++getTextCalls;
            text = t->GetNodeData<Caption>(node)->text;
            (void)type;
        };
        tree.OnGetImageIndexEx = [](TBaseLazyTree* t, PLazyNode node, TLTImageKind kind, TColumnIndex, bool&,
                                    int& index, const TImageList*&) {
            if (kind == TLTImageKind::ikNormal || kind == TLTImageKind::ikSelected)
                index = int(t->GetNodeLevel(node));
        };
        tree.OnMeasureTextWidth = [this](TCustomLazyStringTree*, TCanvas*, PLazyNode, TColumnIndex, const QString&,
                                         int&) { ++widthMeasures; };
        tree.resize(400, 300);
    }

    QImage Render(TRect window, TLTInternalPaintOptions options = {poBackground, poDrawFocusRect, poDrawSelection,
                                                                     poGridLines}) {
        QImage image(window.Width(), window.Height(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        TCanvas canvas(&image);
        tree.PaintTree(canvas, window, QPoint(0, 0), options);
        canvas.Release();
        return image;
    }
};

TColor At(const QImage& image, int x, int y) {
    return FromQRgb(image.pixel(x, y));
}

int Wc() {
    return QApplication::style()->pixelMetric(QStyle::PM_IndicatorWidth);
}
int Hc() {
    return QApplication::style()->pixelMetric(QStyle::PM_IndicatorHeight);
}

// The image drawn in the node picture's 16 x 16 square, by its corner pixel.
TColor ImageColorAt(const QImage& image, int x, int y) {
    return At(image, x + 8, y + 8);
}

// The rectangle covering every pixel of `colour` inside `area`.
QRect Bounds(const QImage& image, QRect area, TColor colour) {
    QRect r;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (At(image, x, y) == colour) r |= QRect(x, y, 1, 1);
    return r;
}

// The rectangle covering every pixel inside `area` that is not the background.
QRect InkBounds(const QImage& image, QRect area) {
    QRect r;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (At(image, x, y) != kBack) r |= QRect(x, y, 1, 1);
    return r;
}

}  // namespace

// The row of the Scan & Decode trees: button, lines, check box, node image and text, one level
// deeper everything 18 pixels further right.
TEST(LazyTreePaint, ScanAndDecodeRowLayout) {
    ScanTree s(false);
    PLazyNode meter = s.tree.AddChild(nullptr);
    PLazyNode value = s.tree.AddChild(meter);
    s.tree.AddChild(meter);
    s.tree.AddChild(nullptr);
    s.tree.show();
    s.tree.SetExpanded(meter, true);
    const QImage image = s.Render(TRect{0, 0, 300, 90});
    if (qEnvironmentVariableIsSet("LT_DUMP")) image.scaled(1200, 360).save("/tmp/lt_row.png");

    // Expand button, 9 x 9 at (5, 4): its frame in the tree line colour, the minus in the text colour.
    EXPECT_EQ(At(image, 5, 4), kLine);
    EXPECT_EQ(At(image, 13, 12), kLine);
    EXPECT_EQ(At(image, 4, 4), kBack);
    EXPECT_EQ(At(image, 7, 8), kText);   // the minus
    EXPECT_EQ(At(image, 9, 6), kBack);   // no plus bar when expanded
    // The first of several top-level nodes: ltBottomRight at level 0. Horizontal part at row y 8
    // from x 9 to 18, dotted on x + y even; it passes under the button.
    EXPECT_EQ(At(image, 14, 8), kLine);
    EXPECT_EQ(At(image, 15, 8), kBack);
    EXPECT_EQ(At(image, 18, 8), kLine);
    EXPECT_EQ(At(image, 19, 8), kBack);
    // Vertical part at x 9 from the centre line down.
    EXPECT_EQ(At(image, 9, 15), kLine);
    EXPECT_EQ(At(image, 9, 16), kBack);
    EXPECT_EQ(At(image, 9, 17), kLine);
    // Node image (level 0: green) at (23 + Wc, 1).
    const int wc = Wc(), hc = Hc();
    EXPECT_EQ(Bounds(image, QRect(0, 0, 120, 18), TColor(0x00FF00)), QRect(23 + wc, 1, 16, 16));
    // Check box between x 21 and 21 + Wc, from 9 - Hc / 2: nothing of it left of 21 or above that.
    QImage check = image.copy(21, 9 - hc / 2, wc, hc);
    QImage expected(wc, hc, QImage::Format_ARGB32_Premultiplied);
    expected.fill(Qt::white);
    {
        QPainter p(&expected);
        p.drawImage(0, 0, CheckListOfKind(TCheckImageKind::ckSystemDefault)->Image(13));
    }
    EXPECT_EQ(check.convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32));
    // Text from x 46 + Wc: the first dark pixel of the caption is at or right of it, within a few pixels.
    const QRect text = InkBounds(image, QRect(24 + wc + 16, 0, 200, 18));
    ASSERT_FALSE(text.isEmpty());
    EXPECT_GE(text.left(), 46 + wc);
    EXPECT_LE(text.left(), 46 + wc + 2);

    // Level 1, the second row (y 18..35): the image one level further right (blue), the button
    // absent (no children), the parent's line down at x 9 and its own joint at x 27.
    EXPECT_EQ(Bounds(image, QRect(0, 18, 140, 18), TColor(0xFF0000)), QRect(23 + wc + 18, 19, 16, 16));
    EXPECT_EQ(At(image, 9, 19), kLine);       // ltTopDown at level 0 (more top-level nodes follow)
    EXPECT_EQ(At(image, 27, 19), kLine);      // ltTopDownRight at level 1
    EXPECT_EQ(At(image, 36, 26), kLine);      // its horizontal part at y 26 to x 36
    const QRect text1 = InkBounds(image, QRect(24 + wc + 34, 18, 200, 18));
    EXPECT_GE(text1.left(), 46 + wc + 18);
    (void)value;
}

// With themes the button is the style's tree glyph; everything else stays in place.
TEST(LazyTreePaint, ThemedRowKeepsThePositions) {
    ScanTree s(true);
    PLazyNode meter = s.tree.AddChild(nullptr);
    s.tree.AddChild(meter);
    s.tree.show();
    ASSERT_TRUE(s.tree.TreeStates().Contains(TLazyTreeState::tsUseThemes));
    const QImage image = s.Render(TRect{0, 0, 300, 36});
    const QSize glyph = s.tree.ButtonBitmap(false).size();
    const int gx = int(std::nearbyint((18 - glyph.width()) / 2.0)) + 1;
    const int gy = 9 - glyph.height() / 2 - (glyph.height() & 1);
    // The glyph is the button picture over the background, drawn at (gx, gy) (lines left out here).
    s.tree.TreeOptions().SetPaintOptions(s.tree.TreeOptions().PaintOptions() - toShowTreeLines);
    const QImage plain = s.Render(TRect{0, 0, 300, 36});
    QImage expected(glyph, QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
        QPainter p(&expected);
        p.drawImage(0, 0, s.tree.ButtonBitmap(false));
    }
    EXPECT_FALSE(InkBounds(expected, expected.rect()).isEmpty());
    EXPECT_EQ(plain.copy(gx, gy, glyph.width(), glyph.height()), expected);
    EXPECT_EQ(InkBounds(plain, QRect(0, 0, 20, 18)), InkBounds(expected, expected.rect()).translated(gx, gy));
    const int wc = Wc();
    EXPECT_EQ(Bounds(image, QRect(0, 0, 120, 18), TColor(0x00FF00)), QRect(23 + wc, 1, 16, 16));
    // The themed check box is the style's checked box at (21, 9 - Hc / 2).
    QImage themed(Wc(), Hc(), QImage::Format_RGB32);
    themed.fill(Qt::white);
    {
        TCanvas c(&themed);
        DrawThemeBackground(OpenThemeData(&s.tree, u"button"), c, BP_CHECKBOX, CBS_CHECKEDNORMAL,
                            TRect{0, 0, Wc(), Hc()});
    }
    EXPECT_EQ(image.copy(21, 9 - Hc() / 2, Wc(), Hc()), themed);
}

// A dotted line pixel at tree (x, y) has the line colour exactly when x + y is even: in one
// paint, in rows painted separately, and in a window that starts at an odd place.
TEST(LazyTreePaint, DotsFollowTreeCoordinatesAcrossRowsAndPartialPaints) {
    ScanTree s(false);
    for (int i = 0; i < 6; ++i) s.tree.AddChild(nullptr);
    s.tree.show();
    const QImage whole = s.Render(TRect{0, 0, 60, 108});
    // The vertical line at x 9 runs through every row but the last's lower half.
    // The first row's line starts at its centre line (ltBottomRight), the last ends there.
    for (int y = 8; y <= 98; ++y) EXPECT_EQ(At(whole, 9, y), (9 + y) % 2 == 0 ? kLine : kBack) << y;
    // Two halves, split inside a row and at an odd x, give the same pixels.
    const QImage top = s.Render(TRect{0, 0, 60, 45});
    const QImage bottom = s.Render(TRect{0, 45, 60, 108});
    const QImage right = s.Render(TRect{7, 0, 60, 108});
    for (int y = 0; y < 108; ++y)
        for (int x = 0; x < 30; ++x) {
            const QRgb w = whole.pixel(x, y);
            ASSERT_EQ(y < 45 ? top.pixel(x, y) : bottom.pixel(x, y - 45), w) << x << "," << y;
            if (x >= 7) ASSERT_EQ(right.pixel(x - 7, y), w) << x << "," << y;
        }
    // A solid line has no gaps.
    s.tree.SetLineStyle(TLTLineStyle::lsSolid);
    const QImage solid = s.Render(TRect{0, 0, 60, 108});
    for (int y = 8; y <= 98; ++y) EXPECT_EQ(At(solid, 9, y), kLine) << y;
}

// The line image of each row by its place among its siblings.
TEST(LazyTreePaint, LineImagesByPlace) {
    ScanTree s(false);
    TLineImage image;
    PLazyNode lone = s.tree.AddChild(nullptr);
    s.tree.BuildLineImage(lone, image);
    EXPECT_EQ(image, TLineImage{ltRight});
    PLazyNode second = s.tree.AddChild(nullptr);
    PLazyNode third = s.tree.AddChild(nullptr);
    s.tree.BuildLineImage(lone, image);
    EXPECT_EQ(image, TLineImage{ltBottomRight});
    s.tree.BuildLineImage(second, image);
    EXPECT_EQ(image, TLineImage{ltTopDownRight});
    s.tree.BuildLineImage(third, image);
    EXPECT_EQ(image, TLineImage{ltTopRight});
    // Under the last top-level node, the parent's level has no line; under an earlier one it runs on.
    PLazyNode a = s.tree.AddChild(third);
    PLazyNode b = s.tree.AddChild(third);
    PLazyNode deep = s.tree.AddChild(b);
    s.tree.BuildLineImage(deep, image);
    EXPECT_EQ(image, (TLineImage{ltNone, ltNone, ltTopRight}));
    s.tree.BuildLineImage(a, image);
    EXPECT_EQ(image, (TLineImage{ltNone, ltTopDownRight}));
    PLazyNode c = s.tree.AddChild(lone);
    s.tree.BuildLineImage(c, image);
    EXPECT_EQ(image, (TLineImage{ltTopDown, ltTopRight}));
    // A hidden later sibling does not count.
    s.tree.SetVisible(third, false);
    s.tree.BuildLineImage(second, image);
    EXPECT_EQ(image, TLineImage{ltTopRight});
    // Without toShowRoot the top level has no entry.
    s.tree.TreeOptions().SetPaintOptions(s.tree.TreeOptions().PaintOptions() - toShowRoot);
    s.tree.BuildLineImage(c, image);
    EXPECT_EQ(image, TLineImage{ltTopRight});
}

// Every check picture index, by type, state, enabled and hot.
TEST(LazyTreePaint, CheckImageIndexTable) {
    TLazyStringTree t;
    using enum TCheckType;
    using enum TCheckState;
    struct Case {
        TCheckType type;
        TCheckState state;
        int disabled, enabled;
    };
    const Case cases[] = {
        {ctCheckBox, csUncheckedNormal, 12, 9},       {ctCheckBox, csUncheckedPressed, 12, 11},
        {ctCheckBox, csCheckedNormal, 16, 13},        {ctCheckBox, csCheckedPressed, 16, 15},
        {ctCheckBox, csMixedNormal, 20, 17},          {ctCheckBox, csMixedPressed, 20, 19},
        {ctTriStateCheckBox, csMixedNormal, 20, 17},  {ctTriStateCheckBox, csCheckedNormal, 16, 13},
        {ctRadioButton, csUncheckedNormal, 4, 1},     {ctRadioButton, csUncheckedPressed, 4, 3},
        {ctRadioButton, csCheckedNormal, 8, 5},       {ctRadioButton, csCheckedPressed, 8, 7},
        {ctRadioButton, csMixedNormal, 20, 17},       {ctButton, csUncheckedNormal, 24, 21},
        {ctButton, csCheckedNormal, 24, 21},          {ctButton, csCheckedPressed, 24, 23},
        {ctButton, csMixedPressed, 20, 19},           {ctCheckBox, csCheckedDisabled, 16, 16},
        {ctCheckBox, csMixedDisabled, 20, 20},        {ctRadioButton, csUncheckedDisabled, 4, 4},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(t.CheckImageIndexFor(c.type, c.state, true), c.enabled) << int(c.type) << "/" << int(c.state);
        EXPECT_EQ(t.CheckImageIndexFor(c.type, c.state, false), c.disabled) << int(c.type) << "/" << int(c.state);
    }
    EXPECT_EQ(t.CheckImageIndexFor(ctNone, csCheckedNormal, true), -1);
    // A node's own disabled flag and the tree's enabled state count.
    t.SetNodeDataSize(4);
    PLazyNode n = t.AddChild(nullptr);
    n->CheckType = ctTriStateCheckBox;
    n->CheckState = csMixedNormal;
    EXPECT_EQ(t.CheckImageIndexFor(n), 17);
    n->States += vsDisabled;
    EXPECT_EQ(t.CheckImageIndexFor(n), 20);
    n->States -= vsDisabled;
    t.setEnabled(false);
    EXPECT_EQ(t.CheckImageIndexFor(n), 20);
}

// The row picture is made again only when a row's height differs from the one before.
TEST(LazyTreePaint, RowPictureReallocatedOnlyOnAHeightChange) {
    ScanTree s(false);
    for (int i = 0; i < 5; ++i) s.tree.AddChild(nullptr);
    s.tree.show();
    const uint64_t before = s.tree.RowBufferAllocations();
    s.Render(TRect{0, 0, 200, 90});
    EXPECT_EQ(s.tree.RowBufferAllocations() - before, 1u);
    PLazyNode third = s.tree.GetFirst()->NextSibling->NextSibling;
    s.tree.SetNodeHeight(third, 30);
    const uint64_t mid = s.tree.RowBufferAllocations();
    s.Render(TRect{0, 0, 200, 102});
    // 18, 18, 30 (new), 18 (new), 18.
    EXPECT_EQ(s.tree.RowBufferAllocations() - mid, 3u);
}

// A window whose top lies inside a node starts with that node, partly above the target; the area
// below the last row takes the background colour; poSelectedOnly leaves other rows untouched.
TEST(LazyTreePaint, PartialWindowsAndSelectedOnly) {
    ScanTree s(false);
    for (int i = 0; i < 3; ++i) s.tree.AddChild(nullptr);
    s.tree.show();
    const QImage whole = s.Render(TRect{0, 0, 200, 100});
    const QImage part = s.Render(TRect{0, 10, 200, 100});
    for (int y = 10; y < 100; ++y)
        for (int x = 0; x < 200; ++x) ASSERT_EQ(part.pixel(x, y - 10), whole.pixel(x, y)) << x << "," << y;
    for (int y = 54; y < 100; ++y) EXPECT_EQ(At(whole, 150, y), kBack);

    PLazyNode second = s.tree.GetFirst()->NextSibling;
    second->States += vsSelected;
    const QImage selected = s.Render(TRect{0, 0, 200, 54}, {poSelectedOnly});
    EXPECT_EQ(selected.pixel(60, 5), QColor(Qt::magenta).rgb());
    EXPECT_EQ(selected.pixel(60, 40), QColor(Qt::magenta).rgb());
    EXPECT_NE(selected.pixel(5, 22), QColor(Qt::magenta).rgb());
}

// An empty tree paints only its background, or its message in grey.
TEST(LazyTreePaint, EmptyTree) {
    ScanTree s(false);
    s.tree.show();
    const QImage blank = s.Render(TRect{0, 0, 100, 60});
    EXPECT_EQ(Bounds(blank, blank.rect(), kBack), blank.rect());
    s.tree.SetEmptyListMessage(QStringLiteral("Nothing found"));
    const QImage message = s.Render(TRect{0, 0, 100, 60});
    // The message is written in grey from (2, 2); the rest stays the background.
    const QRect written = Bounds(message, message.rect(), kBack);
    EXPECT_NE(message, blank);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x)
            if (message.pixel(x, y) != blank.pixel(x, y)) {
                EXPECT_GE(x, 2);
                EXPECT_GE(y, 2);
                const QColor c(message.pixel(x, y));
                EXPECT_TRUE(c.red() == c.green() && c.green() == c.blue()) << x << "," << y;
            }
    (void)written;
}

// An overlay equal to the picture is not drawn; a different one is.
TEST(LazyTreePaint, OverlayEqualToTheImageIsNotDrawn) {
    ScanTree s(false);
    // Overlay numbers 1 and 2 both show picture 2 (yellow).
    s.images.SetOverlayImage(2, 1);
    s.images.SetOverlayImage(2, 2);
    s.tree.AddChild(nullptr);
    s.tree.show();
    int overlay = 0;
    s.tree.OnGetImageIndexEx = [&](TBaseLazyTree*, PLazyNode, TLTImageKind kind, TColumnIndex, bool&, int& index,
                                   const TImageList*&) {
        if (kind == TLTImageKind::ikOverlay)
            index = overlay;
        else if (kind == TLTImageKind::ikNormal)
            index = 0;
    };
    const int wc = Wc();
    const QImage same = s.Render(TRect{0, 0, 200, 18});
    EXPECT_EQ(ImageColorAt(same, 23 + wc, 1), TColor(0x00FF00));
    overlay = 1;  // overlay index 1 is overlay number 2: picture 2
    const QImage other = s.Render(TRect{0, 0, 200, 18});
    EXPECT_EQ(ImageColorAt(other, 23 + wc, 1), TColor(0x00FFFF));
}

// ---- The string tree's texts ----

namespace {

// A string tree whose OnGetText answers from a table by node index; unanswered when the entry is null.
struct TextTree {
    TLazyStringTree tree;
    std::vector<const char*> normal, statics;
    int calls = 0;
    std::vector<TVSTTextType> kinds;
    int measures = 0;
    TextTree() {
        tree.SetNodeDataSize(4);
        tree.SetColor(kBack);
        tree.Font().SetColor(kText);
        // Text only: no lines, buttons or check boxes around it.
        tree.TreeOptions().SetPaintOptions({});
        tree.OnGetText = [this](TCustomLazyStringTree*, PLazyNode node, TColumnIndex, TVSTTextType type, QString& text) {
            ++calls;
            kinds.push_back(type);
            const auto& table = type == TVSTTextType::ttNormal ? normal : statics;
            if (node->Index < table.size() && table[node->Index]) text = QString::fromUtf8(table[node->Index]);
        };
        tree.OnMeasureTextWidth = [this](TCustomLazyStringTree*, TCanvas*, PLazyNode, TColumnIndex, const QString&,
                                         int&) { ++measures; };
        tree.resize(300, 200);
    }
    int Width(PLazyNode n) { return tree.GetDisplayRect(n, NoColumn, true).Width(); }
    QImage Render() {
        QImage image(300, 100, QImage::Format_RGB32);
        TCanvas canvas(&image);
        tree.PaintTree(canvas, TRect{0, 0, 300, 100}, QPoint(0, 0), {poBackground, poDrawSelection});
        canvas.Release();
        return image;
    }
};

}  // namespace

TEST(LazyStringTree, UnansweredTextPaintsNothingButMeasuresTheDefault) {
    TextTree t;
    t.normal = {nullptr, "Node"};
    PLazyNode silent = t.tree.AddChild(nullptr);
    PLazyNode named = t.tree.AddChild(nullptr);
    t.tree.show();
    EXPECT_EQ(t.tree.Text(silent), QStringLiteral("Node"));
    EXPECT_EQ(t.Width(silent), t.Width(named));
    EXPECT_EQ(t.Width(silent), t.tree.Canvas().TextWidth(QStringLiteral("Node")) + 2 * t.tree.TextMargin());
    const QImage image = t.Render();
    EXPECT_TRUE(InkBounds(image, QRect(0, 0, 300, 18)).isEmpty());
    EXPECT_FALSE(InkBounds(image, QRect(0, 18, 300, 18)).isEmpty());
    // An empty default leaves only the margins.
    t.tree.SetDefaultText(QString());
    t.tree.InvalidateNode(silent);
    EXPECT_EQ(t.tree.Text(silent), QString());
    EXPECT_EQ(t.Width(silent), 2 * t.tree.TextMargin());
}

TEST(LazyStringTree, EachFetchAsksTwiceAndWidthsAreMeasuredOnce) {
    TextTree t;
    t.normal = {"Alpha", "Beta"};
    PLazyNode a = t.tree.AddChild(nullptr);
    t.tree.AddChild(nullptr);
    t.calls = 0;
    t.kinds.clear();
    t.tree.Text(a);
    EXPECT_EQ(t.calls, 2);
    EXPECT_EQ(t.kinds, (std::vector<TVSTTextType>{TVSTTextType::ttNormal, TVSTTextType::ttStatic}));
    t.measures = 0;
    t.tree.show();
    t.Render();
    t.Render();
    t.Width(a);
    EXPECT_EQ(t.measures, 2);  // one per node
    t.tree.InvalidateNode(a);
    t.Render();
    EXPECT_EQ(t.measures, 3);
    t.tree.Font().SetSize(t.tree.Font().Size() + 4);
    t.Render();
    EXPECT_EQ(t.measures, 5);
}

TEST(LazyStringTree, StaticTextOnlyForLeftAlignedSingleLines) {
    TextTree t;
    t.normal = {"Main", "Main"};
    t.statics = {"Extra", "Extra"};
    PLazyNode first = t.tree.AddChild(nullptr);
    t.tree.AddChild(nullptr);
    t.tree.show();
    const QRect mainOnly = InkBounds(t.Render(), QRect(0, 0, 300, 18));
    t.tree.StringTreeOptions().SetStringOptions(t.tree.StringTreeOptions().StringOptions() +
                                                TLTStringOption::toShowStaticText);
    const QRect withStatic = InkBounds(t.Render(), QRect(0, 0, 300, 18));
    EXPECT_GT(withStatic.right(), mainOnly.right() + 10);
    t.tree.SetMultiLine(first, true);
    EXPECT_EQ(InkBounds(t.Render(), QRect(0, 0, 300, 18)).right(), mainOnly.right());
    t.tree.SetMultiLine(first, false);
    t.tree.SetAlignment(TAlignment::taCenter);
    const QImage centred = t.Render();
    const QRect c = InkBounds(centred, QRect(0, 0, 300, 18));
    EXPECT_EQ(c.width(), mainOnly.width());
}

TEST(LazyStringTree, PathJoinsTheTextsFromTheTop) {
    TextTree t;
    t.normal = {"A", "b"};
    PLazyNode a = t.tree.AddChild(nullptr);
    EXPECT_EQ(t.tree.Path(a, NoColumn, u'/'), QStringLiteral("A/"));
    t.tree.AddChild(a);
    PLazyNode under = t.tree.AddChild(a);  // index 1: "b"
    EXPECT_EQ(t.tree.Path(under, NoColumn, u'\\'), QStringLiteral("A\\b\\"));
    EXPECT_EQ(t.tree.Path(nullptr, NoColumn, u'/'), QStringLiteral("/"));
    EXPECT_THROW(t.tree.Text(nullptr), ELazyTreeAssertion);
}

TEST(LazyStringTree, SelectionTextColourOnlyWhileFocused) {
    TextTree t;
    t.normal = {"Selected"};
    constexpr TColor kSelText = 0x00FF00;
    t.tree.Colors().SetSelectionTextColor(kSelText);
    PLazyNode n = t.tree.AddChild(nullptr);
    n->States += vsSelected;
    t.tree.show();
    auto textHas = [&](TColor colour) {
        const QImage image = t.Render();
        const QRect text = InkBounds(image, QRect(0, 0, 300, 18));
        for (int y = text.top(); y <= text.bottom(); ++y)
            for (int x = text.left(); x <= text.right(); ++x)
                if (At(image, x, y) == colour) return true;
        return false;
    };
    ASSERT_FALSE(t.tree.hasFocus());
    EXPECT_FALSE(textHas(kSelText));
    t.tree.activateWindow();
    t.tree.setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(t.tree.hasFocus());
    EXPECT_TRUE(textHas(kSelText));
}

// Every check picture list follows the index scheme: 25 pictures, the first empty.
TEST(LazyTreePaint, CheckPictureListsFollowTheIndexScheme) {
    using enum TCheckImageKind;
    for (TCheckImageKind kind : {ckLightCheck, ckDarkCheck, ckLightTick, ckDarkTick, ckFlat, ckXP, ckSystemFlat,
                                 ckSystemDefault}) {
        const TImageList* list = CheckListOfKind(kind);
        ASSERT_NE(list, nullptr) << int(kind);
        EXPECT_EQ(list->Count(), 25) << int(kind);
        const bool system = kind == ckSystemFlat || kind == ckSystemDefault;
        EXPECT_EQ(list->Width(), system ? Wc() : 16) << int(kind);
        auto opaque = [&](int index) {
            const QImage image = list->Image(index);
            int n = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) n += qAlpha(image.pixel(x, y)) != 0;
            return n;
        };
        EXPECT_EQ(opaque(0), 0) << int(kind);
        for (int i = 1; i < 25; ++i) EXPECT_GT(opaque(i), 0) << int(kind) << " picture " << i;
        // Checked and unchecked differ; so do normal and disabled.
        EXPECT_NE(list->Image(9), list->Image(13)) << int(kind);
        EXPECT_NE(list->Image(13), list->Image(16)) << int(kind);
    }
    EXPECT_EQ(CheckListOfKind(ckCustom), nullptr);
    EXPECT_GE(UtilityImages()->Count(), 5);
    // The kind chooses the list; a custom list is drawn only with ckCustom.
    TLazyStringTree t;
    TImageList custom(16, 16);
    t.SetCustomCheckImages(&custom);
    EXPECT_EQ(t.CheckImages(), CheckListOfKind(ckSystemDefault));
    t.SetCheckImageKind(ckCustom);
    EXPECT_EQ(t.CheckImages(), &custom);
    t.SetCheckImageKind(ckXP);
    EXPECT_EQ(t.CheckImages(), CheckListOfKind(ckXP));
}

// The button pictures by style and fill mode; a new tree line colour rebuilds them at once.
TEST(LazyTreePaint, ButtonPictures) {
    TLazyStringTree t;
    t.TreeOptions().SetPaintOptions(t.TreeOptions().PaintOptions() - toThemeAware);
    t.Colors().SetTreeLineColor(kLine);
    const QImage& plus = t.ButtonBitmap(false);
    ASSERT_EQ(plus.size(), QSize(9, 9));
    EXPECT_EQ(FromQRgb(plus.pixel(0, 0)), kLine);
    EXPECT_EQ(FromQRgb(plus.pixel(4, 2)), t.Font().Color());   // the plus's upright
    EXPECT_EQ(qAlpha(t.ButtonBitmap(true).pixel(4, 2)), 255);   // the minus has a plain face there
    EXPECT_NE(FromQRgb(t.ButtonBitmap(true).pixel(4, 2)), t.Font().Color());
    t.Colors().SetTreeLineColor(0x00FF00);
    EXPECT_EQ(FromQRgb(t.ButtonBitmap(false).pixel(0, 0)), TColor(0x00FF00));
    t.SetButtonStyle(TLTButtonStyle::bsTriangle);
    EXPECT_EQ(qAlpha(t.ButtonBitmap(false).pixel(0, 0)), 0);     // outside the triangle
    EXPECT_EQ(FromQRgb(t.ButtonBitmap(false).pixel(3, 4)), clBlack);
    t.SetButtonStyle(TLTButtonStyle::bsRectangle);
    t.SetButtonFillMode(TLTButtonFillMode::fmShaded);
    EXPECT_EQ(t.ButtonBitmap(false).size(), QSize(9, 9));
    EXPECT_NE(t.ButtonBitmap(false).pixel(2, 2), t.ButtonBitmap(false).pixel(6, 6));  // a shaded face
}
