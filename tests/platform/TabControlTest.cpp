// The tab control: tab layout on the four sides, rows, hit tests and the change pair.
#include "platform/Error.h"
#include "platform/ImageList.h"
#include "platform/TabControl.h"

#include <gtest/gtest.h>

#include <QTest>

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

}  // namespace
