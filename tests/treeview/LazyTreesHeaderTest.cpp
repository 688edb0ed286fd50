// The header as shown and used: cell layout, painting (fixed cells on top, edges, pressed cells, sort
// glyph over the image, drop marks), border and column dragging, click-to-sort, fitting, and the
// drag picture that follows a dragged column or rows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include "platform/ImageList.h"
#include "platform/Themes.h"
#include "treeview/LazyTrees.h"

using enum TLTColumnOption;
using enum TLTHeaderOption;
using plat::TRect;

namespace {

struct HeaderTree {
    TLazyStringTree tree;
    explicit HeaderTree(int count, int width = 100, bool themed = false) {
        // Unthemed, the header draws the edge table these tests read.
        if (!themed)
            tree.TreeOptions().SetPaintOptions(tree.TreeOptions().PaintOptions() - TLTPaintOption::toThemeAware);
        tree.show();
        tree.resize(300 + tree.width() - tree.viewport()->width(), 200 + tree.height() - tree.viewport()->height());
        for (int i = 0; i < count; ++i) Columns().Add()->SetWidth(width);
        Header().SetOptions(Header().Options() + hoVisible);
        QApplication::processEvents();
    }
    TLTHeader& Header() { return tree.Header(); }
    TLazyTreeColumns& Columns() { return tree.Header().Columns(); }
    TLazyTreeColumn& Col(int i) { return Columns()[i]; }
    QWidget* Bar() { return tree.HeaderBar(); }
    // A picture of the header strip as it shows now.
    QImage Shot() {
        QImage image(tree.viewport()->width(), Header().Height(), QImage::Format_ARGB32);
        image.fill(Qt::black);
        QPainter p(&image);
        Columns().PaintHeader(p, TRect(0, 0, image.width(), image.height()), int(tree.OffsetX()));
        return image;
    }
    void Mouse(QEvent::Type type, QPoint atBar, Qt::MouseButton button = Qt::LeftButton) {
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent e(type, atBar, Bar()->mapToGlobal(atBar), type == QEvent::MouseMove ? Qt::NoButton : button,
                      buttons, Qt::NoModifier);
        QApplication::sendEvent(Bar(), &e);
    }
    void Drag(QPoint from, QPoint to) {
        Mouse(QEvent::MouseButtonPress, from);
        const QPoint mid = (from + to) / 2;
        Mouse(QEvent::MouseMove, mid);
        Mouse(QEvent::MouseMove, to);
        Mouse(QEvent::MouseButtonRelease, to);
    }
};

// Every cell filled with its own colour through owner drawing, so painted places can be read back.
void PaintCellsInColours(HeaderTree& t, std::vector<QColor> colours) {
    t.Header().SetOptions(t.Header().Options() + hoOwnerDraw);
    for (int i = 0; i < t.Columns().Count(); ++i) t.Col(i).SetStyle(TLazyTreeColumnStyle::vsOwnerDraw);
    t.Header().OnHeaderDraw = [colours](TLTHeader*, plat::TCanvas& canvas, TLazyTreeColumn* column, const TRect& r,
                                        bool, bool, TLTDropMarkMode) {
        canvas.Painter()->fillRect(r.toQRect(), colours[size_t(column->Index())]);
    };
}

}  // namespace

TEST(LazyTreeHeaderPaint, LayoutHeaderCellPlacesImageTextAndSortGlyph) {
    HeaderTree t(2);
    TLazyTreeColumn& c = t.Col(1);  // not the main column: images move 2 pixels left
    const TRect client(2, 2, 98, 22);  // W 96, H 20
    const QSize text(30, 13), glyph(16, 16), sort(10, 10), none;
    using L = TLTHeaderColumnLayout;
    using A = TAlignment;
    struct Case {
        const char* name;
        L layout;
        A alignment;
        bool rtl;
        QSize sortSize;
        QPoint glyphPos;
        TRect text;
        QPoint sortPos;
    } cases[] = {
        {"left, image left", L::blGlyphLeft, A::taLeftJustify, false, none, {4, 4}, {25, 5, 55, 18}, {}},
        {"left, image right", L::blGlyphRight, A::taLeftJustify, false, none, {37, 4}, {6, 5, 36, 18}, {}},
        {"right, image left", L::blGlyphLeft, A::taRightJustify, false, none, {43, 4}, {64, 5, 94, 18}, {}},
        {"centre, image left", L::blGlyphLeft, A::taCenter, false, none, {23, 4}, {44, 5, 74, 18}, {}},
        // Right to left swaps the sides: a left caption is laid out from the right.
        {"right-to-left, left", L::blGlyphLeft, A::taLeftJustify, true, none, {43, 4}, {64, 5, 94, 18}, {}},
        {"left, image on top", L::blGlyphTop, A::taLeftJustify, false, none, {40, -4}, {6, 15, 36, 28}, {}},
        {"left with sort glyph", L::blGlyphLeft, A::taLeftJustify, false, sort, {4, 4}, {25, 5, 55, 18}, {58, 7}},
    };
    for (const Case& k : cases) {
        c.SetLayout(k.layout);
        c.SetCaptionAlignment(k.alignment);
        c.SetBiDiMode(k.rtl ? TColumnBiDiMode::bdRightToLeft : TColumnBiDiMode::bdLeftToRight);
        const THeaderCellLayout l = c.LayoutHeaderCell(client, text, glyph, k.sortSize);
        EXPECT_EQ(l.GlyphPos, k.glyphPos) << k.name;
        EXPECT_EQ(l.TextBounds, k.text) << k.name;
        if (!k.sortSize.isEmpty()) EXPECT_EQ(l.SortGlyphPos, k.sortPos) << k.name;
    }
    // The main column's image stays where the layout put it.
    t.Col(0).SetCaptionAlignment(A::taLeftJustify);
    EXPECT_EQ(t.Col(0).LayoutHeaderCell(client, text, glyph, none).GlyphPos, QPoint(6, 4));
    // A sort glyph alone is centred.
    EXPECT_EQ(c.LayoutHeaderCell(client, none, none, sort).SortGlyphPos, QPoint(2 + 43, 2 + 5));
}

TEST(LazyTreeHeaderPaint, FixedCellsStayOnTopOfScrolledOnes) {
    HeaderTree t(4);
    t.Col(0).SetOptions(t.Col(0).Options() + coFixed);
    PaintCellsInColours(t, {Qt::red, Qt::green, Qt::blue, Qt::yellow});
    ASSERT_EQ(t.tree.RangeX(), t.Columns().TotalWidth());
    t.tree.SetOffsetX(-50);
    ASSERT_EQ(t.tree.OffsetX(), -50);
    const QImage shot = t.Shot();
    EXPECT_EQ(QColor(shot.pixel(10, 5)), QColor(Qt::red));
    EXPECT_EQ(QColor(shot.pixel(99, 5)), QColor(Qt::red));
    EXPECT_EQ(QColor(shot.pixel(100, 5)), QColor(Qt::green));  // header x 150
    EXPECT_EQ(QColor(shot.pixel(150, 5)), QColor(Qt::blue));
    EXPECT_EQ(QColor(shot.pixel(299, 5)), QColor(Qt::yellow));
}

TEST(LazyTreeHeaderPaint, LastCellLosesItsRightEdgeOnlyWhenAutoResizedInABevelledTree) {
    struct Case {
        TLTHeaderStyle style;
        bool autoResize, bevel, rightEdge;
    } cases[] = {
        {TLTHeaderStyle::hsFlatButtons, true, true, false},
        {TLTHeaderStyle::hsPlates, true, true, false},
        {TLTHeaderStyle::hsThickButtons, true, true, true},
        {TLTHeaderStyle::hsFlatButtons, false, true, true},
        {TLTHeaderStyle::hsFlatButtons, true, false, true},
    };
    for (const Case& k : cases) {
        HeaderTree t(2);
        t.Header().SetStyle(k.style);
        if (k.bevel) t.tree.SetBevelKind(TBevelKind::bkFlat);
        if (k.autoResize) t.Header().SetOptions(t.Header().Options() + hoAutoResize);
        t.Col(1).SetWidth(100);
        const QImage shot = t.Shot();
        const int lastRight = t.Col(1).GetRect().Right - 1 + int(t.tree.OffsetX());
        const QColor edge(shot.pixel(lastRight, t.Header().Height() / 2));
        const QColor face = plat::ToQColor(plat::clBtnFace);
        EXPECT_EQ(edge != face, k.rightEdge) << int(k.style) << k.autoResize << k.bevel;
        // The first cell keeps its right edge in every case.
        EXPECT_NE(QColor(shot.pixel(99, t.Header().Height() / 2)), face);
    }
}

TEST(LazyTreeHeaderPaint, PressedCellMovesItsFaceAndOverlappingSortGlyphHidesTheImage) {
    HeaderTree t(2);
    t.Col(1).SetText(QStringLiteral("Value"));
    std::vector<TRect> textRects;
    t.Header().SetOptions(t.Header().Options() + hoOwnerDraw);
    t.Header().OnHeaderDrawQueryElements = [](TLTHeader*, THeaderPaintInfo&, THeaderPaintElements& e) {
        e += THeaderPaintElement::hpeText;
    };
    t.Header().OnAdvancedHeaderDraw = [&](TLTHeader*, THeaderPaintInfo& info, THeaderPaintElements e) {
        if (e.Contains(THeaderPaintElement::hpeText) && info.Column && info.Column->Index() == 1)
            textRects.push_back(info.TextRectangle);
    };
    t.Shot();
    t.Mouse(QEvent::MouseButtonPress, QPoint(150, 5));
    t.Shot();
    ASSERT_EQ(textRects.size(), 2u);
    EXPECT_EQ(textRects[1].Left, textRects[0].Left + 1);
    EXPECT_EQ(textRects[1].Top, textRects[0].Top + 1);
    t.Mouse(QEvent::MouseButtonRelease, QPoint(150, 5));

    // A sort glyph pushed over the image in a narrow cell hides the image.
    plat::TImageList images(16, 16);
    plat::TBitmap square;
    square.SetSize(16, 16);
    images.Add(square);
    t.Header().SetImages(&images);
    t.Header().SetOptions(t.Header().Options() + hoShowImages);
    t.Col(1).SetImageIndex(0);
    t.Header().SetSortColumn(1);
    t.Shot();
    EXPECT_TRUE(t.Col(1).HasImage());
    t.Col(1).SetWidth(30);
    t.Shot();
    EXPECT_FALSE(t.Col(1).HasImage());
    t.Header().SetImages(nullptr);
}

// Themed, the background and each cell are the style's header item in the cell's state, the caption
// keeps its colour when hot and the sort arrow is the style's.
TEST(LazyTreeHeaderPaint, AThemedTreeDrawsTheHeaderThroughTheThemePainter) {
    HeaderTree t(2, 100, true);
    ASSERT_TRUE(t.tree.TreeStates().Contains(TLazyTreeState::tsUseThemes));
    const int h = t.Header().Height();
    // What the theme painter draws for the background and the two cells in the given states.
    auto expected = [&](int state0, int state1) {
        QImage image(t.tree.viewport()->width(), h, QImage::Format_ARGB32);
        image.fill(Qt::black);
        plat::TCanvas canvas(&image);
        const plat::TThemeData theme = plat::OpenThemeData(&t.tree, u"header");
        plat::DrawThemeBackground(theme, canvas, plat::HP_HEADERITEM, plat::HIS_NORMAL, TRect(0, 0, image.width(), h));
        plat::DrawThemeBackground(theme, canvas, plat::HP_HEADERITEM, state0, TRect(0, 0, 100, h));
        plat::DrawThemeBackground(theme, canvas, plat::HP_HEADERITEM, state1, TRect(100, 0, 200, h));
        return image;
    };
    EXPECT_EQ(t.Shot(), expected(plat::HIS_NORMAL, plat::HIS_NORMAL));
    t.Mouse(QEvent::MouseButtonPress, QPoint(150, 5));
    EXPECT_EQ(t.Shot(), expected(plat::HIS_NORMAL, plat::HIS_PRESSED));
    t.Mouse(QEvent::MouseButtonRelease, QPoint(150, 5));
    // Without themes the same header shows the edges instead.
    t.tree.TreeOptions().SetPaintOptions(t.tree.TreeOptions().PaintOptions() - TLTPaintOption::toThemeAware);
    EXPECT_NE(t.Shot(), expected(plat::HIS_NORMAL, plat::HIS_NORMAL));
    t.tree.TreeOptions().SetPaintOptions(t.tree.TreeOptions().PaintOptions() + TLTPaintOption::toThemeAware);

    // The sort arrow: the theme's, up for ascending and down for descending, where the glyph goes
    // (read from the advanced owner draw, which paints the empty captions).
    std::vector<QPoint> at;
    t.Header().SetOptions(t.Header().Options() + hoOwnerDraw);
    t.Header().OnHeaderDrawQueryElements = [](TLTHeader*, THeaderPaintInfo&, THeaderPaintElements& e) {
        e += THeaderPaintElement::hpeText;
    };
    t.Header().OnAdvancedHeaderDraw = [&](TLTHeader*, THeaderPaintInfo& info, THeaderPaintElements) {
        if (info.Column && info.Column->Index() == 0) at.push_back(info.SortGlyphPos);
    };
    t.Header().SetSortColumn(0);
    auto withArrow = [&](int state) {
        QImage image = expected(plat::HIS_NORMAL, plat::HIS_NORMAL);
        plat::TCanvas canvas(&image);
        const TRect r(at.back().x(), at.back().y(), at.back().x() + 16, at.back().y() + 16);
        plat::DrawThemeBackground(plat::OpenThemeData(&t.tree, u"header"), canvas, plat::HP_HEADERSORTARROW, state, r);
        return image;
    };
    const QImage up = t.Shot();
    ASSERT_FALSE(at.empty());
    EXPECT_EQ(up, withArrow(plat::HSAS_SORTEDUP));
    t.Header().SetSortDirection(TSortDirection::sdDescending);
    const QImage down = t.Shot();
    EXPECT_EQ(down, withArrow(plat::HSAS_SORTEDDOWN));
    EXPECT_NE(up, down);
}

TEST(LazyTreeHeaderInput, DraggingAColumnDropsBeforeOrAfterAndShowsDropMarks) {
    HeaderTree t(3);
    std::vector<TLTDropMarkMode> marks;
    t.Header().SetOptions(t.Header().Options() + hoOwnerDraw);
    for (int i = 0; i < 3; ++i) t.Col(i).SetStyle(TLazyTreeColumnStyle::vsOwnerDraw);
    t.Header().OnHeaderDraw = [&](TLTHeader*, plat::TCanvas&, TLazyTreeColumn* c, const TRect&, bool, bool,
                                  TLTDropMarkMode mark) {
        if (c->Index() == 2) marks.push_back(mark);
    };
    // Column 0 over the left half of column 2: placed before it.
    t.Mouse(QEvent::MouseButtonPress, QPoint(50, 5));
    t.Mouse(QEvent::MouseMove, QPoint(120, 5));
    t.Mouse(QEvent::MouseMove, QPoint(220, 5));
    EXPECT_TRUE(t.Header().States().Contains(THeaderState::hsDragging));
    EXPECT_TRUE(t.Header().DragImage().Visible());
    marks.clear();
    t.Shot();
    ASSERT_FALSE(marks.empty());
    EXPECT_EQ(marks.back(), TLTDropMarkMode::dmmLeft);
    t.Mouse(QEvent::MouseMove, QPoint(280, 5));
    t.Shot();
    EXPECT_EQ(marks.back(), TLTDropMarkMode::dmmRight);
    t.Mouse(QEvent::MouseMove, QPoint(220, 5));
    int draggedColumn = -1;
    t.Header().OnHeaderDragged = [&](TLTHeader*, TColumnIndex c, TColumnPosition) { draggedColumn = c; };
    t.Mouse(QEvent::MouseButtonRelease, QPoint(220, 5));
    EXPECT_EQ(draggedColumn, 0);
    EXPECT_EQ(t.Columns().PositionToIndex(), (std::vector<TColumnIndex>{1, 0, 2}));
    EXPECT_FALSE(t.Header().DragImage().Visible());

    // The right half places it after; a drop outside the window reports and keeps the order.
    t.Drag(QPoint(150, 5), QPoint(280, 5));  // column 0 now at position 1
    EXPECT_EQ(t.Columns().PositionToIndex(), (std::vector<TColumnIndex>{1, 2, 0}));
    TColumnIndex out = -1;
    t.Header().OnHeaderDraggedOut = [&](TLTHeader*, TColumnIndex c, QPoint) { out = c; };
    t.Drag(QPoint(50, 5), QPoint(50, 500));
    EXPECT_EQ(out, 1);
    EXPECT_EQ(t.Columns().PositionToIndex(), (std::vector<TColumnIndex>{1, 2, 0}));
}

TEST(LazyTreeHeaderInput, BorderDragResizesAndTheAutoSizeColumnPassesItToItsNeighbour) {
    HeaderTree t(3);
    const int y = 5;
    t.Drag(QPoint(100, y), QPoint(130, y));  // the first column's right border
    EXPECT_EQ(t.Col(0).Width(), 130);

    HeaderTree a(3);
    a.Header().SetAutoSizeIndex(0);
    a.Header().SetOptions(a.Header().Options() + hoAutoResize);
    ASSERT_EQ(a.Col(0).Width(), 100);
    a.Drag(QPoint(100, y), QPoint(80, y));
    EXPECT_EQ(a.Col(0).Width(), 80);
    EXPECT_EQ(a.Col(1).Width(), 120);
    EXPECT_EQ(a.Columns().TotalWidth(), 300);
}

TEST(LazyTreeHeaderInput, ClicksSortByTheColumnAndReverse) {
    HeaderTree t(3);
    t.Header().SetOptions(t.Header().Options() + hoHeaderClickAutoSort);
    t.Col(1).SetDefaultSortDirection(TSortDirection::sdDescending);
    std::vector<TColumnIndex> clicked;
    t.Header().OnHeaderClick = [&](TLTHeader*, const TLTHeaderHitInfo& hit) { clicked.push_back(hit.Column); };
    auto click = [&](int x) {
        t.Mouse(QEvent::MouseButtonPress, QPoint(x, 5));
        t.Mouse(QEvent::MouseButtonRelease, QPoint(x, 5));
    };
    click(150);
    EXPECT_EQ(t.Header().SortColumn(), 1);
    EXPECT_EQ(t.Header().SortDirection(), TSortDirection::sdDescending);
    click(150);
    EXPECT_EQ(t.Header().SortDirection(), TSortDirection::sdAscending);
    click(50);
    EXPECT_EQ(t.Header().SortColumn(), 0);
    EXPECT_EQ(t.Header().SortDirection(), TSortDirection::sdAscending);
    EXPECT_EQ(clicked, (std::vector<TColumnIndex>{1, 1, 0}));
    EXPECT_EQ(t.Columns().ClickIndex(), 0);
}

TEST(LazyTreeHeaderInput, DoubleClickOnABorderFitsTheWidestContent) {
    HeaderTree t(2);
    t.Header().SetOptions(t.Header().Options() + hoDblClickResize);
    t.tree.SetRootNodeCount(3);
    t.tree.OnGetText = [](TCustomLazyStringTree*, PLazyNode node, TColumnIndex column, TVSTTextType, QString& text) {
        text = column == 1 && node->Index == 1 ? QStringLiteral("a much longer text in the second column")
                                               : QStringLiteral("x");
    };
    const int widest = t.tree.GetMaxColumnWidth(1, false);
    ASSERT_GT(widest, 100);
    t.Mouse(QEvent::MouseButtonPress, QPoint(200, 5));
    t.Mouse(QEvent::MouseButtonRelease, QPoint(200, 5));
    t.Mouse(QEvent::MouseButtonDblClick, QPoint(200, 5));
    t.Mouse(QEvent::MouseButtonRelease, QPoint(200, 5));
    EXPECT_EQ(t.Col(1).Width(), widest);
    EXPECT_EQ(t.Col(0).Width(), 100);
}

TEST(LazyTreeHeaderInput, ScrollIntoViewOfAColumn) {
    HeaderTree t(5);  // 500 wide in a 300 client
    t.Col(0).SetOptions(t.Col(0).Options() + coFixed);
    EXPECT_EQ(t.tree.RangeX(), 500);
    EXPECT_TRUE(t.tree.ScrollIntoView(4, false));
    EXPECT_EQ(t.tree.OffsetX(), -200);
    EXPECT_TRUE(t.tree.ScrollIntoView(1, false));  // left of the fixed area: back to the fixed edge
    EXPECT_EQ(t.tree.OffsetX(), 0);
    EXPECT_TRUE(t.tree.ScrollIntoView(0, false));  // fixed: nothing moves
    EXPECT_EQ(t.tree.OffsetX(), 0);
    EXPECT_FALSE(t.tree.ScrollIntoView(7, false));
}

namespace {

// A screen that is an image: grabs read it, puts write into it, and every grab is recorded.
class ImageScreen final : public ILTDragImageScreen {
public:
    QImage screen{400, 400, QImage::Format_ARGB32};
    std::vector<QRect> grabs;
    QImage presented;
    QPoint presentedAt;
    ImageScreen() {
        for (int y = 0; y < 400; ++y)
            for (int x = 0; x < 400; ++x) screen.setPixel(x, y, qRgb(x % 256, y % 256, 7));
    }
    bool CanGrab() const override { return true; }
    QImage Grab(const QRect& R) override {
        grabs.push_back(R);
        return screen.copy(R);
    }
    void Put(const QImage& Image, QPoint At) override {
        QPainter p(&screen);
        p.drawImage(At, Image);
    }
    void Present(const QImage& Image, QPoint At) override {
        presented = Image;
        presentedAt = At;
    }
    void Hide() override { presented = QImage(); }
};

}  // namespace

TEST(LazyTreeDragImage, AlphaFadesFromTheCentreAndTheKeyIsClear) {
    TLazyStringTree tree;
    TLTDragImage& image = tree.DragImage();
    QImage picture(100, 100, QImage::Format_ARGB32);
    picture.fill(qRgb(10, 20, 30));
    picture.setPixel(0, 0, qRgb(255, 255, 255));
    image.SetColorKey(plat::clWhite);
    image.PrepareDrag(picture, QPoint(0, 0), QPoint(50, 50));
    const QImage& a = image.DragImage();
    EXPECT_EQ(qAlpha(a.pixel(50, 50)), 255);
    EXPECT_EQ(qAlpha(a.pixel(75, 50)), 35);  // a quarter of the radius
    EXPECT_EQ(qAlpha(a.pixel(50, 100 - 1)) <= 6, true);
    EXPECT_EQ(qAlpha(a.pixel(50, 0)), 5);  // half the radius
    EXPECT_EQ(qAlpha(a.pixel(0, 0)), 0);   // the colour key
    EXPECT_EQ(qRed(a.pixel(50, 50)), 10);  // colours stay
    image.EndDrag();
}

TEST(LazyTreeDragImage, MovesByStripsOrWholeAndEnds) {
    TLazyStringTree tree;
    TLTDragImage& image = tree.DragImage();
    auto owned = std::make_unique<ImageScreen>();
    ImageScreen& screen = *owned;
    image.SetScreen(std::move(owned));
    QImage picture(40, 20, QImage::Format_ARGB32);
    picture.fill(qRgb(200, 0, 0));
    image.PrepareDrag(picture, QPoint(100, 100), QPoint(120, 110));
    EXPECT_FALSE(image.Visible());  // prepared hidden
    image.ShowDragImage();
    ASSERT_TRUE(image.Visible());
    EXPECT_EQ(screen.grabs.back(), QRect(100, 100, 40, 20));
    EXPECT_EQ(image.GetDragImageRect(), QRect(100, 100, 40, 20));

    EXPECT_FALSE(image.DragTo(QPoint(120, 110)));  // unmoved
    screen.grabs.clear();
    EXPECT_TRUE(image.DragTo(QPoint(120, 110), true));
    EXPECT_EQ(screen.grabs, (std::vector<QRect>{QRect(100, 100, 40, 20)}));

    // A small move reads only the newly covered strip, and the kept part still matches the screen.
    screen.grabs.clear();
    EXPECT_TRUE(image.DragTo(QPoint(125, 110)));
    EXPECT_EQ(image.ImagePosition(), QPoint(105, 100));
    ASSERT_EQ(screen.grabs.size(), 1u);
    EXPECT_EQ(screen.grabs[0], QRect(140, 100, 5, 20));
    EXPECT_EQ(image.BackImage(), screen.screen.copy(105, 100, 40, 20));

    // A move larger than the picture restores and reads the whole new place.
    screen.grabs.clear();
    EXPECT_TRUE(image.DragTo(QPoint(225, 110)));
    EXPECT_EQ(screen.grabs, (std::vector<QRect>{QRect(205, 100, 40, 20)}));
    EXPECT_EQ(image.BackImage(), screen.screen.copy(205, 100, 40, 20));

    // Horizontal only: a vertical move neither moves nor will move.
    image.SetMoveRestriction(TLTDragMoveRestriction::dmrHorizontalOnly);
    EXPECT_FALSE(image.WillMove(QPoint(225, 150)));
    EXPECT_FALSE(image.DragTo(QPoint(225, 150)));
    EXPECT_EQ(image.ImagePosition(), QPoint(205, 100));
    EXPECT_TRUE(image.WillMove(QPoint(226, 150)));

    image.EndDrag();
    EXPECT_FALSE(image.Visible());
    EXPECT_EQ(image.GetDragImageRect(), QRect(0, 0, 0, 0));
}

TEST(LazyTreeDragImage, NoImageKindPreparesNothing) {
    TLazyStringTree tree;
    tree.SetRootNodeCount(3);
    tree.show();
    tree.DragImageKind = TLTDragImageKind::diNoImage;
    tree.PrepareDragImage(QPoint(20, 5));
    EXPECT_TRUE(tree.DragImage().States().Empty());
    tree.DragImageKind = TLTDragImageKind::diComplete;
    tree.PrepareDragImage(QPoint(20, 5));
    EXPECT_TRUE(tree.DragImage().States().Contains(TLTDragImageState::disPrepared));
    EXPECT_EQ(tree.DragImage().DragImage().size(), QSize(tree.DragWidth, tree.DragHeight));
    tree.DragImage().EndDrag();
}

TEST(LazyTreeHeaderInput, SpringColumnsShareAWidthChange) {
    HeaderTree t(3);
    t.Header().SetOptions(t.Header().Options() + hoAutoSpring);
    t.Col(0).SetOptions(t.Col(0).Options() + coAutoSpring);
    t.Col(2).SetOptions(t.Col(2).Options() + coAutoSpring);
    t.Header().UpdateSpringColumns();  // the width the changes are measured from
    const int frame = t.tree.width() - t.tree.viewport()->width();
    t.tree.resize(340 + frame, t.tree.height());
    QApplication::processEvents();
    EXPECT_EQ(t.Col(0).Width(), 120);
    EXPECT_EQ(t.Col(1).Width(), 100);
    EXPECT_EQ(t.Col(2).Width(), 120);
    t.tree.resize(341 + frame, t.tree.height());  // half a pixel each: kept until it makes one
    QApplication::processEvents();
    EXPECT_EQ(t.Col(0).Width() + t.Col(2).Width(), 240);
    t.tree.resize(342 + frame, t.tree.height());
    QApplication::processEvents();
    EXPECT_EQ(t.Col(0).Width(), 121);
    EXPECT_EQ(t.Col(2).Width(), 120);
    t.tree.resize(343 + frame, t.tree.height());  // the second spring's halves make its pixel
    QApplication::processEvents();
    EXPECT_EQ(t.Col(2).Width(), 121);
}
