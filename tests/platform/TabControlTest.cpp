// The tab control: tab layout on the four sides, rows, hit tests and the change pair.
#include "platform/Bitmap.h"
#include "platform/Error.h"
#include "platform/ImageList.h"
#include "platform/TabControl.h"

#include <gtest/gtest.h>

#include <QPalette>
#include <QTest>
#include <QWidget>

using namespace plat;

namespace {

struct Tabs : TCustomTabControl {
    using TCustomTabControl::TCustomTabControl;
    int changes = 0;
    void Change() override {
        ++changes;
        TCustomTabControl::Change();
    }
};

TEST(TabControl, TabsLieAlongTheirSideAndTheDisplayBesideThem) {
    for (TTabPosition position : {tpTop, tpBottom, tpLeft, tpRight}) {
        Tabs t;
        t.resize(300, 200);
        t.SetTabPosition(position);
        t.InsertTab(0, QStringLiteral("One"), nullptr);
        t.InsertTab(1, QStringLiteral("Two words"), nullptr);
        const TRect a = t.TabRect(0), b = t.TabRect(1), d = t.DisplayRect();
        const bool vertical = position == tpLeft || position == tpRight;
        if (vertical) {
            EXPECT_EQ(a.Bottom, b.Top);
            EXPECT_GT(b.Height(), a.Height());  // sized by the text
        } else {
            EXPECT_EQ(a.Right, b.Left);
            EXPECT_GT(b.Width(), a.Width());
        }
        switch (position) {
        case tpTop: EXPECT_GT(d.Top, a.Bottom); break;
        case tpBottom: EXPECT_LT(d.Bottom, a.Top); break;
        case tpLeft: EXPECT_GT(d.Left, a.Right); break;
        case tpRight: EXPECT_LT(d.Right, a.Left); break;
        }
        EXPECT_EQ(t.IndexOfTabAt(b.Left + 1, b.Top + 1), 1);
        EXPECT_EQ(t.IndexOfTabAt(d.Left + 5, d.Top + 5), -1);
    }
}

TEST(TabControl, ImagesLengthenAndFixedSizesApply) {
    Tabs t;
    t.resize(300, 200);
    t.InsertTab(0, QStringLiteral("One"), nullptr);
    const int plain = t.TabRect(0).Width();
    TImageList images(16, 16);
    t.SetTabImages(&images);
    EXPECT_EQ(t.TabRect(0).Width(), plain + 16 + 3);
    t.SetTabWidth(50);
    t.SetTabHeight(30);
    EXPECT_EQ(t.TabRect(0).Width(), 50);
    EXPECT_EQ(t.TabRect(0).Height(), 30);
}

TEST(TabControl, MultiLineWrapsAndKeepsTheSelectedRowNextToThePage) {
    Tabs t;
    t.resize(150, 200);
    t.SetTabWidth(60);
    for (int i = 0; i < 4; ++i) t.InsertTab(i, QStringLiteral("T%1").arg(i), nullptr);
    EXPECT_EQ(t.TabRect(3).Top, t.TabRect(0).Top);  // one row runs on
    t.SetMultiLine(true);
    EXPECT_EQ(t.TabRect(1).Top, t.TabRect(0).Top);
    EXPECT_NE(t.TabRect(2).Top, t.TabRect(0).Top);
    EXPECT_EQ(t.TabIndex(), 0);
    EXPECT_GT(t.TabRect(0).Top, t.TabRect(2).Top);  // the selected row lies next to the page
    t.SetTabIndex(3);
    EXPECT_GT(t.TabRect(2).Top, t.TabRect(0).Top);
}

TEST(TabControl, SelectionFollowsInsertDeleteAndMove) {
    Tabs t;
    QObject a, b, c;
    t.InsertTab(0, QStringLiteral("a"), &a);
    EXPECT_EQ(t.TabIndex(), 0);  // the first tab is selected
    t.InsertTab(0, QStringLiteral("b"), &b);
    EXPECT_EQ(t.TabIndex(), 1);
    t.InsertTab(2, QStringLiteral("c"), &c);
    t.MoveTab(1, 2);
    EXPECT_EQ(t.TabIndex(), 2);
    EXPECT_EQ(t.TabObject(2), &a);
    t.DeleteTab(0);
    EXPECT_EQ(t.TabIndex(), 1);
    t.DeleteTab(1);
    EXPECT_EQ(t.TabIndex(), -1);
    EXPECT_THROW(t.DeleteTab(5), EListError);
    EXPECT_THROW(t.InsertTab(3, QString(), nullptr), EListError);
}

TEST(TabControl, AClickAsksOnChangingThenChanges) {
    Tabs t;
    t.resize(300, 200);
    t.InsertTab(0, QStringLiteral("One"), nullptr);
    t.InsertTab(1, QStringLiteral("Two"), nullptr);
    bool allow = false;
    t.OnChanging = [&](QObject*, bool& ok) { ok = allow; };
    t.show();
    const TRect r = t.TabRect(1);
    QTest::mouseClick(&t, Qt::LeftButton, {}, QPoint(r.Left + 3, r.Top + 3));
    EXPECT_EQ(t.TabIndex(), 0);
    EXPECT_EQ(t.changes, 0);
    allow = true;
    QTest::mouseClick(&t, Qt::LeftButton, {}, QPoint(r.Left + 3, r.Top + 3));
    EXPECT_EQ(t.TabIndex(), 1);
    EXPECT_EQ(t.changes, 1);
}

TEST(TabControl, StyledLookPaintsWithoutOwnerDrawing) {
    Tabs t;
    t.resize(200, 120);
    t.SetColor(clWhite);
    t.InsertTab(0, QStringLiteral("One"), nullptr);
    const QImage owner = [&] { t.SetOwnerDraw(true); return t.grab().toImage(); }();
    const QImage styled = [&] { t.SetOwnerDraw(false); return t.grab().toImage(); }();
    const TRect r = t.TabRect(0);
    bool tabInk = false;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (FromQRgb(owner.pixel(x, y)) != clWhite) ADD_FAILURE() << "owner drawing left ink";
            else if (FromQRgb(styled.pixel(x, y)) != clWhite) tabInk = true;
    EXPECT_TRUE(tabInk);
}

TEST(TabControl, AnOverflowingRowScrollsByItsArrows) {
    struct Case {
        TTabPosition position;
        bool multiLine;
        bool arrows;
    };
    for (Case k : {Case{tpTop, false, true}, Case{tpBottom, false, true}, Case{tpTop, true, false},
                   Case{tpLeft, false, false}}) {
        SCOPED_TRACE(int(k.position));
        Tabs t;
        t.resize(300, 200);
        t.SetTabPosition(k.position);
        t.SetMultiLine(k.multiLine);
        for (int i = 0; i < 10; ++i) t.InsertTab(i, QStringLiteral("Tab number %1").arg(i), nullptr);
        const TRect a = t.ScrollArrowsRect();
        if (!k.arrows) {
            EXPECT_EQ(a.Width(), 0);
            t.ScrollTabs(3);
            EXPECT_EQ(t.FirstVisibleTab(), 0);
            continue;
        }
        ASSERT_GT(a.Width(), 0);
        EXPECT_EQ(a.Right, 300);
        const TRect first = t.TabRect(0);
        EXPECT_TRUE(first.Top >= a.Top - 2 && first.Bottom <= a.Bottom + 2) << "the arrows sit in the row";
        QWidget* arrows = t.childAt(a.Left + 4, a.Top + 4);
        ASSERT_NE(arrows, nullptr);
        // A tab running under the arrows is not hit there.
        EXPECT_EQ(t.IndexOfTabAt(a.Left + 4, a.Top + 4), -1);
        QTest::mouseClick(arrows, Qt::LeftButton, {}, QPoint(4, 4));  // back: already at the start
        EXPECT_EQ(t.FirstVisibleTab(), 0);
        QTest::mouseClick(arrows, Qt::LeftButton, {}, QPoint(a.Width() - 4, 4));
        EXPECT_EQ(t.FirstVisibleTab(), 1);
        EXPECT_EQ(t.TabRect(1).Left, first.Left);
        EXPECT_EQ(t.IndexOfTabAt(first.Left + 3, first.Top + 3), 1);
        for (int i = 0; i < 20; ++i) QTest::mouseClick(arrows, Qt::LeftButton, {}, QPoint(a.Width() - 4, 4));
        // Scrolled to the end: the last tab is whole, and one step back would not leave it whole.
        const int end = t.FirstVisibleTab();
        EXPECT_LE(t.TabRect(9).Right, a.Left);
        EXPECT_GT(t.TabRect(9).Right + t.TabRect(end - 1).Width(), a.Left);
        QTest::mouseClick(arrows, Qt::LeftButton, {}, QPoint(4, 4));
        EXPECT_EQ(t.FirstVisibleTab(), end - 1);
        // Selecting a tab brings it into view from either side.
        t.SetTabIndex(1);
        EXPECT_EQ(t.FirstVisibleTab(), 1);
        t.SetTabIndex(9);
        EXPECT_LE(t.TabRect(9).Right, a.Left);
        EXPECT_EQ(t.FirstVisibleTab(), end);
        // Once the row fits, the arrows go and the row starts at its first tab again.
        t.resize(2000, 200);
        EXPECT_EQ(t.ScrollArrowsRect().Width(), 0);
        EXPECT_EQ(t.FirstVisibleTab(), 0);
        EXPECT_FALSE(arrows->isVisibleTo(&t));
    }
}

TEST(TabControl, ArrowsShowWhichWayTheRowCanMove) {
    Tabs t;
    t.resize(300, 200);
    t.SetOwnerDraw(true);
    for (int i = 0; i < 10; ++i) t.InsertTab(i, QStringLiteral("Tab number %1").arg(i), nullptr);
    const TRect a = t.ScrollArrowsRect();
    ASSERT_GT(a.Width(), 0);
    // The tips of the two triangles: backwards on the left button, forwards on the right one.
    const int y = a.Top + a.Height() / 2;
    const auto tips = [&] {
        const QImage img = t.grab().toImage();
        return std::pair{FromQRgb(img.pixel(a.Left + 6, y)), FromQRgb(img.pixel(a.Left + 17 + 9, y))};
    };
    auto [back, forward] = tips();
    EXPECT_EQ(back, ColorToRGB(clGrayText));
    EXPECT_EQ(forward, ColorToRGB(clBtnText));
    t.ScrollTabs(100);
    std::tie(back, forward) = tips();
    EXPECT_EQ(back, ColorToRGB(clBtnText));
    EXPECT_EQ(forward, ColorToRGB(clGrayText));
}

TEST(TabControl, OwnerDrawingHandsEveryTabToOnDrawTab) {
    Tabs t;
    t.resize(300, 120);
    t.SetColor(clWhite);
    t.InsertTab(0, QStringLiteral("One"), nullptr);
    t.InsertTab(1, QStringLiteral("Two"), nullptr);
    t.SetTabIndex(1);
    std::vector<std::tuple<int, TRect, bool>> calls;
    t.OnDrawTab = [&](TCustomTabControl* control, int index, const TRect& r, bool active) {
        EXPECT_EQ(control, &t);
        calls.emplace_back(index, r, active);
        control->Canvas().Brush().SetColor(clRed);
        control->Canvas().FillRect(r);
    };
    t.SetOwnerDraw(true);
    QImage img = t.grab().toImage();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], std::make_tuple(0, t.TabRect(0), false));
    EXPECT_EQ(calls[1], std::make_tuple(1, t.TabRect(1), true));
    EXPECT_EQ(FromQRgb(img.pixel(t.TabRect(0).Left + 2, t.TabRect(0).Top + 2)), clRed);
    calls.clear();
    t.SetOwnerDraw(false);  // the style draws the tabs itself
    img = t.grab().toImage();
    EXPECT_TRUE(calls.empty());
    EXPECT_NE(FromQRgb(img.pixel(t.TabRect(0).Left + 2, t.TabRect(0).Top + 2)), clRed);
}

// Pictures of one plain colour each, 16 x 16.
static void addPlain(TImageList& images, std::initializer_list<TColor> colours) {
    for (TColor colour : colours) {
        QImage img(16, 16, QImage::Format_RGB32);
        img.fill(ToQColor(colour));
        TBitmap b;
        b.SetImage(img);
        images.AddMasked(b, clFuchsia);
    }
}

TEST(TabControl, StyledTabsShowTheImageOnGetImageIndexChooses) {
    TImageList images(16, 16);
    addPlain(images, {clRed, clLime, clBlue});
    Tabs t;
    t.resize(300, 120);
    t.SetTabImages(&images);
    t.InsertTab(0, QStringLiteral("One"), nullptr);
    t.InsertTab(1, QStringLiteral("Two"), nullptr);
    const auto imageColour = [&](int tab) {
        const TRect r = t.TabRect(tab);
        return FromQRgb(t.grab().toImage().pixel(r.Left + 4 + 8, r.Top + r.Height() / 2));
    };
    EXPECT_EQ(imageColour(0), clRed);  // each tab its own index
    EXPECT_EQ(imageColour(1), clLime);
    t.OnGetImageIndex = [](QObject*, int tab, int& index) {
        EXPECT_EQ(index, tab);
        index = tab == 0 ? 2 : -1;
    };
    EXPECT_EQ(imageColour(0), clBlue);
    const TColor none = imageColour(1);
    EXPECT_TRUE(none != clRed && none != clLime && none != clBlue) << "a negative index shows no image";
}

TEST(TabControl, HighlightedTabsAreDrawnInTheSelectionColour) {
    Tabs t;
    t.resize(300, 120);
    t.InsertTab(0, QStringLiteral("One"), nullptr);
    t.InsertTab(1, QStringLiteral("Two"), nullptr);
    t.SetHighlighted(1, true);
    const TColor highlight = FromQRgb(t.palette().color(QPalette::Highlight).rgb());
    const QImage img = t.grab().toImage();
    const TRect on = t.TabRect(1), off = t.TabRect(0);
    EXPECT_EQ(FromQRgb(img.pixel(on.Left + 3, on.Top + 3)), highlight);
    EXPECT_NE(FromQRgb(img.pixel(off.Left + 3, off.Top + 3)), highlight);
    t.SetHighlighted(1, false);
    EXPECT_NE(FromQRgb(t.grab().toImage().pixel(on.Left + 3, on.Top + 3)), highlight);
}

}  // namespace
