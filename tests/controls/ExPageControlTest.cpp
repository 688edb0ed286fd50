// The page control: pages over hidden tabs, the active page, its errors, close boxes and the
// painting of its tabs, checked on the pixels of the control.
#include "controls/ExPageControl.h"
#include "platform/Bitmap.h"
#include "platform/Error.h"
#include "platform/ImageList.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPalette>
#include <QTest>
#include <memory>

using namespace plat;

namespace {

TColor at(const QImage& img, int x, int y) { return FromQRgb(img.pixel(x, y)); }

struct Pages {
    std::unique_ptr<QWidget> form = std::make_unique<QWidget>();
    TExPageControl* pc = new TExPageControl(form.get());
    std::vector<TExTabSheet*> sheets;

    explicit Pages(int n, int w = 300, int h = 200) {
        form->resize(w + 20, h + 20);
        pc->setGeometry(10, 10, w, h);
        for (int i = 0; i < n; ++i) add(QStringLiteral("Page%1     ").arg(i));
    }
    TExTabSheet* add(const QString& caption) {
        auto* s = new TExTabSheet(form.get());
        s->setObjectName(QStringLiteral("Sheet%1").arg(sheets.size()));
        s->SetCaption(caption);
        s->SetPageControl(pc);
        sheets.push_back(s);
        return s;
    }
};

TEST(ExTabSheet, CaptionRuleGivesTheTabTextAndKeepsTheCaption) {
    struct Case {
        QString caption;
        bool showClose;
        QString tabText;
    } cases[] = {
        {QStringLiteral("Nodes     "), false, QStringLiteral("Nodes   ")},
        {QStringLiteral("Nodes     "), true, QStringLiteral("Nodes      ")},
        {QStringLiteral("Variables     "), false, QStringLiteral("Variables   ")},
        {QStringLiteral("ab"), false, QString()},
        {QStringLiteral("a"), false, QString()},
        {QStringLiteral("abc"), false, QStringLiteral("a")},
    };
    for (const Case& c : cases) {
        Pages p(0);
        TExTabSheet* s = p.add(QString());
        s->SetShowClose(c.showClose);
        s->SetCaption(c.caption);
        EXPECT_EQ(s->TabText(), c.tabText) << c.caption.toStdString();
        EXPECT_EQ(p.pc->TabText(0), c.tabText) << c.caption.toStdString();
        EXPECT_EQ(s->Caption(), c.caption);
    }
}

TEST(ExTabSheet, SwitchingShowCloseRewritesTheTabTextAtOnce) {
    Pages p(2);
    TExTabSheet* s = p.sheets[1];
    s->SetCaption(QStringLiteral("Nodes     "));
    s->SetShowClose(true);
    EXPECT_EQ(p.pc->TabText(1), QStringLiteral("Nodes      "));
    s->SetShowClose(false);
    EXPECT_EQ(p.pc->TabText(1), QStringLiteral("Nodes   "));
}

TEST(ExPageControl, DefaultsAndVersion) {
    TExPageControl pc;
    EXPECT_EQ(pc.Version(), QStringLiteral("1.4.0.0"));
    EXPECT_EQ(pc.GetVersionNr(), 0x01040000);
    EXPECT_EQ(pc.Font().Name(), QStringLiteral("Tahoma"));
    EXPECT_EQ(pc.ActiveFont().Name(), QStringLiteral("Tahoma"));
    EXPECT_EQ(pc.TabStyle(), tsClassic);
    EXPECT_EQ(pc.LowerActive(), 2);
    EXPECT_EQ(pc.DefaultTabColor(), clBtnFace);
    EXPECT_EQ(pc.TabBorderColor(), clGray);
    // The spacer list is Images, the tab control has none until TabBorder3D switches.
    ASSERT_NE(pc.Images(), nullptr);
    EXPECT_TRUE(pc.IsSpacer(pc.Images()));
    EXPECT_EQ(pc.TabImages(), nullptr);
    EXPECT_TRUE(pc.OwnerDraw());
    pc.SetTabBorder3D(true);
    EXPECT_EQ(pc.TabImages(), pc.Images());
    EXPECT_FALSE(pc.OwnerDraw());
    pc.SetTabBorder3D(false);
    EXPECT_TRUE(pc.IsSpacer(pc.TabImages()));
    EXPECT_TRUE(pc.OwnerDraw());
}

TEST(ExPageControl, SpacerFollowsMarginsOnceLoaded) {
    TExPageControl pc;
    pc.SetTabPosition(tpLeft);
    pc.Loaded();
    pc.TabMargin().SetTopMargin(10);
    EXPECT_EQ(pc.SpacerHeight(), 10);
    pc.TabMargin().SetRightMargin(20);
    EXPECT_EQ(pc.SpacerHeight(), 30);
    pc.TabMargin().SetLeftMargin(7);  // does not apply to left tabs
    EXPECT_EQ(pc.SpacerHeight(), 30);
    EXPECT_EQ(pc.SpacerWidth(), 0);
}

TEST(TTabMargin, NotifiesBeforeStoringAndAssignsSilently) {
    TTabMargin m;
    std::vector<std::tuple<int, int, int, int>> seen;  // new, old, index, stored at the call
    m.OnMarginChange = [&](int n, int o, int i) { seen.emplace_back(n, o, i, m.TopMargin()); };
    m.SetTopMargin(10);
    m.SetTopMargin(10);  // the same value: nothing
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], std::make_tuple(10, 0, 1, 0));
    TTabMargin other;
    other.SetLeftMargin(3);
    other.SetRightMargin(4);
    m.Assign(other);
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(m.LeftMargin(), 3);
    EXPECT_EQ(m.TopMargin(), 0);
    EXPECT_EQ(m.RightMargin(), 4);
}

TEST(ExPageControl, ActivePageAndTabsOverHiddenTabs) {
    Pages p(3);
    TExPageControl* pc = p.pc;
    EXPECT_EQ(pc->ActivePage(), p.sheets[0]);  // the first tab is selected
    EXPECT_TRUE(p.sheets[0]->isVisibleTo(pc));
    EXPECT_FALSE(p.sheets[1]->isVisibleTo(pc));

    p.sheets[1]->SetTabVisible(false);
    EXPECT_EQ(pc->TabCount(), 2);
    EXPECT_EQ(p.sheets[2]->TabIndex(), 1);
    EXPECT_EQ(p.sheets[1]->TabIndex(), -1);
    EXPECT_EQ(pc->TabObject(1), p.sheets[2]);
    EXPECT_EQ(pc->PageTabRect(2), pc->TabRect(1));
    const TRect r = pc->TabRect(1);
    EXPECT_EQ(pc->PageIndexAt(r.Left + 2, r.Top + 2), 2);

    pc->SetActivePage(p.sheets[2]);
    EXPECT_EQ(pc->TabIndex(), 1);
    EXPECT_EQ(pc->ActivePageIndex(), 2);
    EXPECT_FALSE(p.sheets[0]->isVisibleTo(pc));

    pc->SetActivePage(nullptr);
    EXPECT_EQ(pc->TabIndex(), -1);
    EXPECT_EQ(pc->ActivePage(), nullptr);

    pc->SetActivePageIndex(0);
    EXPECT_EQ(pc->ActivePage(), p.sheets[0]);
    pc->SetActivePageIndex(7);
    EXPECT_EQ(pc->ActivePage(), nullptr);

    // A sheet of another control is ignored.
    Pages other(1);
    pc->SetActivePage(p.sheets[0]);
    pc->SetActivePage(other.sheets[0]);
    EXPECT_EQ(pc->ActivePage(), p.sheets[0]);
}

TEST(ExPageControl, DisabledTabCannotBecomeActive) {
    Pages p(2);
    p.sheets[1]->SetTabEnable(false);
    p.pc->SetActivePage(p.sheets[1]);
    EXPECT_EQ(p.pc->ActivePage(), p.sheets[0]);
    EXPECT_EQ(p.pc->TabIndex(), 0);
    // Nor by a click on its tab.
    p.form->show();
    const TRect r = p.pc->TabRect(1);
    QTest::mouseClick(p.pc, Qt::LeftButton, {}, QPoint(r.Left + 3, r.Top + 3));
    EXPECT_EQ(p.pc->ActivePage(), p.sheets[0]);
    EXPECT_EQ(p.pc->TabIndex(), 0);
}

TEST(ExPageControl, HidingTheActiveTabSelectsTheTabAtItsPlaceOrTheLast) {
    {
        Pages p(3);
        p.pc->SetActivePage(p.sheets[1]);
        p.sheets[1]->SetTabVisible(false);
        EXPECT_EQ(p.pc->ActivePage(), p.sheets[2]);  // now at tab index 1
        EXPECT_EQ(p.pc->TabIndex(), 1);
    }
    {
        Pages p(3);
        p.pc->SetActivePage(p.sheets[2]);
        p.sheets[2]->SetTabVisible(false);
        EXPECT_EQ(p.pc->ActivePage(), p.sheets[1]);  // past the end: the last tab
        EXPECT_EQ(p.pc->TabIndex(), 1);
    }
}

TEST(ExPageControl, FindNextPage) {
    Pages none(0);
    EXPECT_EQ(none.pc->FindNextPage(nullptr, true, true), nullptr);

    Pages p(3);
    p.sheets[0]->SetTabVisible(false);
    p.sheets[2]->SetTabVisible(false);
    EXPECT_EQ(p.pc->FindNextPage(p.sheets[1], true, true), p.sheets[1]);  // finds itself
    EXPECT_EQ(p.pc->FindNextPage(p.sheets[1], false, true), p.sheets[1]);
    EXPECT_EQ(p.pc->FindNextPage(p.sheets[1], true, false), p.sheets[2]);
    EXPECT_EQ(p.pc->FindNextPage(nullptr, true, false), p.sheets[0]);  // not listed: from the last
    EXPECT_EQ(p.pc->FindNextPage(nullptr, false, false), p.sheets[2]);  // backwards from 0
    p.sheets[1]->SetTabVisible(false);
    EXPECT_EQ(p.pc->FindNextPage(p.sheets[1], true, true), nullptr);
}

TEST(ExPageControl, CtrlTabWrapsBothWaysFromAControlOnAPage) {
    Pages p(3);
    p.sheets[1]->SetTabVisible(false);
    auto* edit = new QLineEdit(p.sheets[0]);
    p.form->show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(p.form.get()));
    p.form->activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(p.form.get()));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(p.pc->ActivePage(), p.sheets[2]);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(p.pc->ActivePage(), p.sheets[0]);  // wraps
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(p.pc->ActivePage(), p.sheets[2]);  // wraps backwards
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(p.pc->ActivePage(), p.sheets[0]);
}

TEST(ExPageControl, OnCanChangeCanRefuseAndOnChangeFollows) {
    Pages p(2);
    int changes = 0;
    bool allow = false;
    p.pc->OnChange = [&](QObject*) { ++changes; };
    p.pc->OnCanChange = [&](QObject*, int from, int, bool& ok) {
        EXPECT_EQ(from, 0);
        ok = allow;
    };
    p.pc->SelectNextPage(true);
    EXPECT_EQ(p.pc->ActivePage(), p.sheets[0]);
    EXPECT_EQ(changes, 0);
    allow = true;
    p.pc->SelectNextPage(true);
    EXPECT_EQ(p.pc->ActivePage(), p.sheets[1]);
    EXPECT_EQ(changes, 1);
}

TEST(ExPageControl, ErrorsChangeNothing) {
    Pages p(3);
    // TabEnable of the active tab, either way.
    for (bool value : {false, true}) {
        try {
            p.sheets[0]->SetTabEnable(value);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Can not disable active tab."));
        }
        EXPECT_TRUE(p.sheets[0]->TabEnable());
    }
    // PageIndex beyond the last page and below the first.
    for (int bad : {5, 3, -1}) {
        try {
            p.sheets[1]->SetPageIndex(bad);
            ADD_FAILURE() << "no error for " << bad;
        } catch (const EListError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("%1 is an invalid PageIndex value.  PageIndex must be between 0 and 2").arg(bad));
        }
        EXPECT_EQ(p.pc->Pages(0), p.sheets[0]);
        EXPECT_EQ(p.pc->Pages(1), p.sheets[1]);
        EXPECT_EQ(p.pc->Pages(2), p.sheets[2]);
        EXPECT_EQ(p.pc->TabObject(1), p.sheets[1]);
    }
    // TabSplitLine in the flat style.
    p.pc->SetTabStyle(tsDotNet);
    try {
        p.pc->SetTabSplitLine(true);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), QStringLiteral("TabSplitLine must be false when TabStyle is tsDotNet"));
    }
    EXPECT_FALSE(p.pc->TabSplitLine());
    p.pc->SetTabStyle(tsClassic);
    p.pc->SetTabSplitLine(true);
    EXPECT_TRUE(p.pc->TabSplitLine());
}

TEST(ExPageControl, PageIndexMovesThePageAndItsTab) {
    Pages p(3);
    p.sheets[1]->SetTabVisible(false);
    p.sheets[0]->SetPageIndex(2);
    EXPECT_EQ(p.pc->Pages(2), p.sheets[0]);
    EXPECT_EQ(p.sheets[0]->TabIndex(), 1);
    EXPECT_EQ(p.pc->TabObject(0), p.sheets[2]);
    EXPECT_EQ(p.pc->TabObject(1), p.sheets[0]);
    EXPECT_EQ(p.pc->ActivePage(), p.sheets[0]);
    EXPECT_EQ(p.pc->TabIndex(), 1);
}

TEST(ExPageControl, DefaultColoursRecolourOnlyPagesWithTheOldDefault) {
    Pages p(3);
    p.sheets[1]->SetTabColor(clRed);
    p.pc->SetDefaultTabColor(clYellow);
    EXPECT_EQ(p.sheets[0]->TabColor(), clYellow);
    EXPECT_EQ(p.sheets[1]->TabColor(), clRed);
    EXPECT_EQ(p.sheets[2]->TabColor(), clYellow);
    p.sheets[2]->SetTextColor(clBlue);
    p.pc->SetDefaultTextColor(clGreen);
    EXPECT_EQ(p.sheets[0]->TextColor(), clGreen);
    EXPECT_EQ(p.sheets[2]->TextColor(), clBlue);
    // A joining page takes the defaults it has not set.
    TExTabSheet* s = p.add(QStringLiteral("New  "));
    EXPECT_EQ(s->TabColor(), clYellow);
    EXPECT_EQ(s->TextColor(), clGreen);
}

TEST(ExPageControl, ShowAndHideEventsAndTheirErrorsStayInside) {
    testing_support::RecordingDialogs recorded;
    Pages p(2);
    int shown = 0, hidden = 0;
    p.sheets[1]->OnShow = [&](QObject*) {
        ++shown;
        throw Error(QStringLiteral("boom"));
    };
    p.sheets[1]->OnHide = [&](QObject*) { ++hidden; };
    p.form->show();
    p.pc->SetActivePage(p.sheets[1]);  // the error goes to the general handler, not here
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(recorded.errors(), QStringList{QStringLiteral("boom")});
    EXPECT_EQ(p.pc->ActivePage(), p.sheets[1]);
    p.pc->SetActivePage(p.sheets[0]);
    EXPECT_EQ(hidden, 1);
}

struct CloseBoxes : ::testing::Test {
    Pages p{3};
    void SetUp() override {
        for (TExTabSheet* s : p.sheets) s->SetShowClose(true);
        p.form->show();
        ASSERT_TRUE(testing_support::waitForWindowExposed(p.form.get()));
    }
    void clickClose() {
        const TRect box = p.pc->CloseRect(p.pc->ActivePageIndex());
        QTest::mouseClick(p.pc, Qt::LeftButton, {}, QPoint(box.Left + 5, box.Top + 5));
    }
};

TEST_F(CloseBoxes, ClosedPageGoesToTheListAndComesBack) {
    int asked = 0, closed = 0;
    TExTabSheet* first = p.sheets[0];
    first->OnCanClose = [&](QObject*, bool& ok) {
        ++asked;
        ok = asked > 1;  // refused the first time
    };
    first->OnClose = [&](QObject*) { ++closed; };
    clickClose();
    EXPECT_EQ(p.pc->PageCount(), 3);
    EXPECT_EQ(closed, 0);
    clickClose();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(p.pc->PageCount(), 2);
    EXPECT_EQ(first->PageControl(), nullptr);
    EXPECT_EQ(p.pc->ActivePage(), p.sheets[1]);
    EXPECT_EQ(p.pc->ClosedTabNames(), std::vector<QString>{QStringLiteral("Sheet0")});

    EXPECT_FALSE(p.pc->OpenClosedTab(QStringLiteral("Nothing")));
    EXPECT_TRUE(p.pc->OpenClosedTab(QStringLiteral("Sheet0")));
    EXPECT_EQ(first->PageControl(), p.pc);
    EXPECT_EQ(p.pc->PageCount(), 3);
    EXPECT_GE(first->TabIndex(), 0);
}

TEST_F(CloseBoxes, PagesClosedUnderOneNameAllComeBack) {
    // Three pages without a name are closed: each is kept, and each comes back.
    for (TExTabSheet* s : p.sheets) s->setObjectName(QString());
    for (int i = 0; i < 3; ++i) clickClose();
    ASSERT_EQ(p.pc->PageCount(), 0);
    EXPECT_EQ(p.pc->ClosedTabNames(), std::vector<QString>(3, QString()));
    // One at a time by the name, then the rest at once.
    EXPECT_TRUE(p.pc->OpenClosedTab(QString()));
    EXPECT_EQ(p.pc->PageCount(), 1);
    EXPECT_TRUE(p.pc->OpenClosedTab(QString()));
    EXPECT_EQ(p.pc->PageCount(), 2);
    p.pc->OpenAllClosedTabs();
    EXPECT_EQ(p.pc->PageCount(), 3);
    for (TExTabSheet* s : p.sheets) EXPECT_EQ(s->PageControl(), p.pc);
    // Closed again, a page is listed once.
    p.pc->SetActivePage(p.sheets[0]);
    clickClose();
    EXPECT_EQ(p.pc->ClosedTabNames().size(), 3u);
}

TEST_F(CloseBoxes, FreeOnCloseFreesThePage) {
    p.pc->SetFreeOnClose(true);
    QPointer<TExTabSheet> first = p.sheets[0];
    clickClose();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(p.pc->PageCount(), 2);
    EXPECT_TRUE(p.pc->ClosedTabNames().empty());
}

TEST_F(CloseBoxes, APageFreedByItsOwnerIsNoLongerOffered) {
    clickClose();
    ASSERT_EQ(p.pc->ClosedTabNames().size(), 1u);
    delete p.sheets[0];
    EXPECT_TRUE(p.pc->ClosedTabNames().empty());
    EXPECT_FALSE(p.pc->OpenClosedTab(QStringLiteral("Sheet0")));
    p.pc->OpenAllClosedTabs();
    EXPECT_EQ(p.pc->PageCount(), 2);
}

TEST(ExPageControl, DestroyingTheControlLeavesPagesWithoutIt) {
    auto form = std::make_unique<QWidget>();
    auto* pc = new TExPageControl(form.get());
    auto* owned = new TExTabSheet(form.get());
    owned->SetPageControl(pc);
    auto* extra = new TExTabSheet(form.get());
    extra->SetPageControl(pc);
    extra->SetPageControl(nullptr);
    EXPECT_EQ(extra->parentWidget(), form.get());
    delete pc;  // takes its child pages along; none tries to leave it
    EXPECT_EQ(extra->PageControl(), nullptr);
}

TEST(ExPageControlDocking, ADockedControlGetsAPageThatFollowsIt) {
    Pages p(1);
    QWidget loose;
    EXPECT_EQ(p.pc->DockControl(&loose), nullptr);  // not a dock site
    p.pc->SetDockSite(true);
    auto* form = new QWidget;
    form->setWindowTitle(QStringLiteral("Tool\nsecond line"));
    form->show();
    TExTabSheet* page = p.pc->DockControl(form);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Caption(), QStringLiteral("Tool\nsecond line"));
    EXPECT_EQ(p.pc->PageCount(), 2);
    EXPECT_EQ(p.pc->ActivePage(), page);
    EXPECT_EQ(form->parentWidget(), page);
    EXPECT_EQ(p.pc->DockControl(form), nullptr);  // cannot dock twice
    form->setWindowTitle(QStringLiteral("Renamed\nmore"));
    EXPECT_EQ(page->Caption(), QStringLiteral("Renamed"));
    form->hide();
    EXPECT_FALSE(page->TabVisible());
    form->show();
    EXPECT_TRUE(page->TabVisible());

    QPointer<TExTabSheet> guard = page;
    p.form->show();
    const TRect r = p.pc->PageTabRect(1);
    QTest::mouseDClick(p.pc, Qt::LeftButton, {}, QPoint(r.Left + 3, r.Top + 3));
    EXPECT_TRUE(guard.isNull());  // undocking frees the page
    EXPECT_EQ(p.pc->PageCount(), 1);
    EXPECT_EQ(p.pc->ActivePage(), p.sheets[0]);
    EXPECT_EQ(form->parentWidget(), nullptr);
    delete form;
}

TEST(ExPageControlDocking, DraggingADockedTabMovesItsControl) {
    Pages p(1, 300, 200);
    p.pc->SetDockSite(true);
    auto* other = new TExPageControl(p.form.get());
    other->SetDockSite(true);
    p.form->resize(700, 240);
    other->setGeometry(360, 10, 300, 200);
    auto* tool = new QWidget;
    tool->setWindowTitle(QStringLiteral("Tool  "));
    tool->show();
    TExTabSheet* page = p.pc->DockControl(tool);
    ASSERT_NE(page, nullptr);
    p.form->show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(p.form.get()));
    const TRect r = p.pc->PageTabRect(1);
    const QPoint start(r.Left + 3, r.Top + 3);

    // Dropped on the other dock site: it docks there.
    QPointer<TExTabSheet> guard = page;
    QTest::mousePress(p.pc, Qt::LeftButton, {}, start);
    const QPoint over = p.pc->mapFromGlobal(other->mapToGlobal(QPoint(150, 100)));
    QTest::mouseMove(p.pc, start + QPoint(20, 0));
    QTest::mouseMove(p.pc, over);
    QTest::mouseRelease(p.pc, Qt::LeftButton, {}, over);
    if (QApplication::widgetAt(other->mapToGlobal(QPoint(150, 100))) == nullptr)
        GTEST_SKIP() << "this platform does not find windows under a point";
    EXPECT_TRUE(guard.isNull());
    EXPECT_EQ(p.pc->PageCount(), 1);
    ASSERT_EQ(other->PageCount(), 1);
    EXPECT_EQ(other->DockedControl(other->Pages(0)), tool);
    EXPECT_EQ(other->ActivePage()->Caption(), QStringLiteral("Tool  "));
}

// --- painting

constexpr TColor kPage = 0xEDF7F8;

struct MBusLook {
    Pages p{0, 300, 200};
    MBusLook() {
        TExPageControl* pc = p.pc;
        pc->SetTabPosition(tpLeft);
        pc->SetTabStyle(tsDotNet);
        pc->SetMultiLine(true);
        pc->SetDefaultTabColor(kPage);
        pc->SetTabBackGroundColor(kPage);
        pc->SetActiveColor(clSkyBlue);
        pc->TabMargin().SetTopMargin(10);
        pc->TabMargin().SetRightMargin(20);
        TFont f;
        f.SetName(QStringLiteral("Verdana"));
        f.SetHeight(-13);
        pc->Font().Assign(f);
        pc->SetActiveFont(f);
        for (const char* caption : {"Nodes     ", "Variables     "}) {
            TExTabSheet* s = p.add(QString::fromLatin1(caption));
            s->SetColor(kPage);
            s->SetTabColor(kPage);
        }
        pc->Loaded();
    }
    QImage shot() { return p.pc->grab().toImage(); }
};

TEST(ExPageControlPaint, LeftFlatTabsOfTheMeterBusEditor) {
    MBusLook m;
    TExPageControl* pc = m.p.pc;
    const TRect a = pc->TabRect(0), b = pc->TabRect(1);
    ASSERT_LT(a.Bottom, b.Bottom);
    ASSERT_EQ(a.Left, b.Left);

    QImage img = m.shot();
    const int mid = (a.Left + a.Right) / 2;
    // The active tab: sky blue, grey on its top, outer and bottom side, open towards the page.
    EXPECT_EQ(at(img, a.Left + 1, a.Top + 2), clSkyBlue);
    EXPECT_EQ(at(img, a.Right - 2, a.Bottom - 6), clSkyBlue);
    EXPECT_EQ(at(img, mid, a.Top), clGray);
    EXPECT_EQ(at(img, a.Left - 1, (a.Top + a.Bottom) / 2), clGray);
    EXPECT_EQ(at(img, mid, a.Bottom), clGray);
    EXPECT_EQ(at(img, a.Right, (a.Top + a.Bottom) / 2), kPage);  // the page side runs into the page
    // The inactive tab: the page's colour, a grey line on its page side, the separator at its bottom.
    EXPECT_EQ(at(img, a.Left + 3, b.Top + 5), kPage);
    EXPECT_EQ(at(img, b.Right, (b.Top + b.Bottom) / 2), clGray);
    EXPECT_EQ(at(img, mid, b.Bottom - 2), clSkyBlue);
    EXPECT_EQ(at(img, mid, b.Bottom - 3), clSkyBlue);
    EXPECT_EQ(at(img, mid, b.Bottom - 4), kPage);

    // Captions read upwards: their ink lies inside the tab, towards its bottom (below the margin).
    auto inkRows = [&](const QImage& im, const TRect& r) {
        int top = r.Bottom, bottom = r.Top;
        for (int y = r.Top + 1; y < r.Bottom - 4; ++y)
            for (int x = r.Left + 1; x < r.Right - 1; ++x) {
                const TColor c = at(im, x, y);
                if (c != clSkyBlue && c != kPage && c != clGray) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        return std::pair(top, bottom);
    };
    const auto [inkTop, inkBottom] = inkRows(img, a);
    EXPECT_LT(inkTop, inkBottom);
    EXPECT_LE(inkBottom, a.Bottom - 4 - 10);  // starts above the top margin
    EXPECT_GT(inkBottom - inkTop, 25);         // runs along the tab, not across
    // An upward "N" begins with its left stroke at the bottom: ink in the tab's bottom rows
    // spans the cell's height, while an unturned caption would lie across the tab.
    EXPECT_LT(inkRows(img, b).first, inkRows(img, b).second);

    // With the second page active the first tab has no separator.
    pc->SetActivePage(m.p.sheets[1]);
    img = m.shot();
    EXPECT_EQ(at(img, a.Left + 3, a.Top + 5), kPage);
    EXPECT_EQ(at(img, mid, a.Bottom - 2), kPage);
    EXPECT_EQ(at(img, mid, a.Bottom - 3), kPage);
    EXPECT_EQ(at(img, b.Left + 1, b.Top + 4), clSkyBlue);
}

TEST(ExPageControlPaint, CaptionsTurnTheWayTheirSideReads) {
    // Left captions read upwards: the text's first letter lies at the bottom; on the right at the top.
    for (TTabPosition position : {tpLeft, tpRight}) {
        Pages p(0, 200, 200);
        p.pc->SetTabPosition(position);
        p.pc->SetActiveColor(clWhite);
        p.pc->SetDefaultTabColor(clWhite);
        p.pc->SetTabBackGroundColor(clWhite);
        TExTabSheet* s = p.add(QStringLiteral("I.......  "));
        s->SetColor(clWhite);
        const TRect r = p.pc->TabRect(0);
        const QImage img = p.pc->grab().toImage();
        // The dots are one or two pixels across the strip; the "I" crosses it fully.
        int firstFullRow = -1;
        for (int y = r.Top + 1; y < r.Bottom - 1 && firstFullRow < 0; ++y) {
            int ink = 0;
            for (int x = r.Left + 1; x < r.Right - 1; ++x)
                if (GetRValue(at(img, x, y)) < 128) ++ink;
            if (ink >= 6) firstFullRow = y;
        }
        ASSERT_GE(firstFullRow, 0);
        const int middle = (r.Top + r.Bottom) / 2;
        if (position == tpLeft)
            EXPECT_GT(firstFullRow, middle);
        else
            EXPECT_LT(firstFullRow, middle);
    }
}

TEST(ExPageControlPaint, TopRightAndClassicLooks) {
    struct Case {
        TTabPosition position;
        TTabStyle style;
    } cases[] = {{tpTop, tsDotNet}, {tpRight, tsDotNet}, {tpBottom, tsDotNet}, {tpTop, tsClassic}, {tpLeft, tsClassic}};
    for (const Case& c : cases) {
        Pages p(0, 300, 200);
        p.pc->SetTabPosition(c.position);
        p.pc->SetTabStyle(c.style);
        p.pc->SetActiveColor(clSkyBlue);
        p.pc->SetDefaultTabColor(kPage);
        p.pc->SetTabBackGroundColor(clWhite);
        for (int i = 0; i < 2; ++i) p.add(QStringLiteral("Tab  "))->SetColor(kPage);
        const TRect a = p.pc->TabRect(0), b = p.pc->TabRect(1);
        const QImage img = p.pc->grab().toImage();
        const int ax = (a.Left + a.Right) / 2, ay = (a.Top + a.Bottom) / 2;
        const std::string what = std::to_string(c.position) + "/" + std::to_string(c.style);
        EXPECT_EQ(at(img, a.Left + 2, a.Top + 2), clSkyBlue) << what;
        const bool across = c.position == tpTop || c.position == tpBottom;
        EXPECT_EQ(at(img, across ? b.Right - 5 : b.Left + 4, across ? b.Top + 3 : b.Top + 4), kPage) << what;
        // The active tab's outer side is grey, its page side open.
        switch (c.position) {
        case tpTop:
            EXPECT_EQ(at(img, ax, a.Top - (c.style == tsDotNet ? 1 : 1)), clGray) << what;
            EXPECT_EQ(at(img, ax, a.Bottom), kPage) << what;
            break;
        case tpBottom:
            EXPECT_EQ(at(img, ax, a.Bottom + 1), clGray) << what;  // the outline lies one row out
            EXPECT_EQ(at(img, ax, a.Top - 1), kPage) << what;
            break;
        case tpRight:
            EXPECT_EQ(at(img, a.Right, ay), clGray) << what;
            EXPECT_EQ(at(img, a.Left - 1, ay), kPage) << what;
            break;
        case tpLeft:
            EXPECT_EQ(at(img, a.Left - 1, ay), clGray) << what;
            EXPECT_EQ(at(img, a.Right, ay), kPage) << what;
            break;
        }
        // The page frame in grey beyond the strip, and the page inside.
        const TRect d = p.pc->DisplayRect();
        EXPECT_EQ(at(img, d.Left + 5, d.Top + 5), kPage) << what;
        if (c.style == tsClassic) {
            // The inactive classic tab is framed on all sides but the page's.
            const int bx = (b.Left + b.Right) / 2;
            if (c.position == tpTop) {
                EXPECT_EQ(at(img, b.Right, b.Top + 4), clGray) << what;
            } else {
                EXPECT_EQ(at(img, bx, b.Bottom), clGray) << what;
            }
        }
    }
}

TEST(ExPageControlPaint, HoverFillAndOutlineFollowThePointer) {
    Pages p(2);
    p.pc->SetTabStyle(tsDotNet);
    p.pc->SetActiveColor(clSkyBlue);
    p.pc->SetTabHoverColor(clYellow);
    p.pc->SetTabHoverBorder(clRed);
    p.form->show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(p.form.get()));
    const TRect b = p.pc->TabRect(1);
    QTest::mouseMove(p.pc, QPoint(b.Left + 4, b.Top + 4));
    EXPECT_EQ(p.pc->HoverPage(), 1);
    QImage img = p.pc->grab().toImage();
    EXPECT_EQ(at(img, b.Right - 5, b.Top + 3), clYellow);
    EXPECT_EQ(at(img, b.Left, (b.Top + b.Bottom) / 2), clRed);
    QTest::mouseMove(p.pc, QPoint(290, 5));  // on the strip beside the tabs
    EXPECT_EQ(p.pc->HoverPage(), -1);
    img = p.pc->grab().toImage();
    EXPECT_NE(at(img, b.Right - 5, b.Top + 3), clYellow);
}

TEST(ExPageControl, BoldActiveFontWidensTheActiveTabOnly) {
    Pages p(2);
    const QString plain = p.pc->TabText(0);
    TFont bold = p.pc->ActiveFont();
    bold.SetStyle({fsBold});
    p.pc->SetActiveFont(bold);
    EXPECT_TRUE(p.pc->TabText(0).startsWith(plain));
    EXPECT_GT(p.pc->TabText(0).size(), plain.size());
    EXPECT_EQ(p.pc->TabText(1), p.sheets[1]->TabText());
    p.pc->SetActivePage(p.sheets[1]);
    EXPECT_EQ(p.pc->TabText(0), plain);
    EXPECT_GT(p.pc->TabText(1).size(), p.sheets[1]->TabText().size());
}

TEST(ExPageControl, HighlightReachesTheTabAndIsAppliedAgainOnLoading) {
    Pages p(2);
    p.sheets[1]->SetHighlighted(true);
    EXPECT_TRUE(p.pc->Highlighted(1));
    p.sheets[1]->SetTabVisible(false);
    p.sheets[1]->SetTabVisible(true);
    EXPECT_TRUE(p.pc->Highlighted(1));
    p.pc->TCustomTabControl::SetHighlighted(1, false);
    p.pc->Loaded();
    EXPECT_TRUE(p.pc->Highlighted(1));
}

TEST(ExPageControlPaint, CloseBoxLooks) {
    Pages p(2);
    p.pc->SetTabPosition(tpTop);
    p.sheets[0]->SetShowClose(true);
    p.form->show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(p.form.get()));
    const TRect box = p.pc->CloseRect(0);
    QImage img = p.pc->grab().toImage();
    // Normal look: white box, grey outline, black cross; the drawn box sits LowerActive lower.
    const int lower = p.pc->LowerActive();
    EXPECT_EQ(at(img, box.Left, box.Top + lower), clGray);
    EXPECT_EQ(at(img, box.Left + 1, box.Top + lower + 1), clWhite);
    EXPECT_EQ(at(img, box.Left + 3, box.Top + lower + 3), clBlack);
    QTest::mousePress(p.pc, Qt::LeftButton, {}, QPoint(box.Left + 5, box.Top + 5));
    img = p.pc->grab().toImage();
    EXPECT_EQ(at(img, box.Left, box.Top + lower), clBlack);
    EXPECT_EQ(at(img, box.Left + 1, box.Top + lower + 1), clSilver);
    QTest::mouseRelease(p.pc, Qt::LeftButton, {}, QPoint(1, 150));  // released outside: nothing closes
    EXPECT_EQ(p.pc->PageCount(), 2);
}

TEST(ExPageControlPaint, SheetBodyGradient) {
    Pages p(1);
    TExTabSheet* s = p.sheets[0];
    s->SetColor(clBlack);
    s->SetColorTo(clWhite);
    const QImage img = s->grab().toImage();
    EXPECT_EQ(at(img, 3, 0), clBlack);
    const TColor last = at(img, 3, img.height() - 1);
    EXPECT_GT(GetRValue(last), 240);
}

TEST(DrawGradientBands, HalvesRoundToEvenAndBandsOverlap) {
    QImage img(4, 101, QImage::Format_RGB32);
    img.fill(Qt::red);
    TCanvas c(&img);
    DrawGradient(c, clBlack, clWhite, 2, Rect(0, 0, 4, 100), false);
    c.Release();
    EXPECT_EQ(at(img, 1, 0), clBlack);
    EXPECT_EQ(at(img, 1, 49), clBlack);
    for (int y = 50; y <= 100; ++y) EXPECT_EQ(at(img, 1, y), RGB(128, 128, 128)) << y;
    // No bands counts as one.
    QImage one(4, 10, QImage::Format_RGB32);
    TCanvas c1(&one);
    DrawGradient(c1, clRed, clBlue, 0, Rect(0, 0, 4, 10), true);
    c1.Release();
    EXPECT_EQ(at(one, 3, 9), clRed);
}

// With the platform's own tabs (TabBorder3D) the tabs show the pictures of Images: a page without
// an image shows picture 0, unless OnGetImageIndex decides.
TEST(ExPageControl, ImageOfATabFromItsPageOrFromOnGetImageIndex) {
    TImageList images(16, 16);
    for (TColor colour : {clRed, clLime, clBlue}) {
        QImage img(16, 16, QImage::Format_RGB32);
        img.fill(ToQColor(colour));
        TBitmap b;
        b.SetImage(img);
        images.AddMasked(b, clFuchsia);
    }
    Pages p(3, 400, 200);
    p.pc->SetImages(&images);
    p.pc->SetTabBorder3D(true);
    p.sheets[1]->SetImageIndex(2);
    p.sheets[2]->SetTabVisible(false);
    const auto imageColour = [&](int tab) {
        const TRect r = p.pc->TCustomTabControl::TabRect(tab);
        return at(p.pc->grab().toImage(), r.Left + 12, r.Top + r.Height() / 2);
    };
    EXPECT_EQ(imageColour(0), clRed);
    EXPECT_EQ(imageColour(1), clBlue);
    std::vector<int> asked;
    p.pc->OnGetImageIndex = [&](QObject* sender, int tab, int& index) {
        EXPECT_EQ(sender, p.pc);
        asked.push_back(tab);
        if (tab == 0) index = 1;
    };
    EXPECT_EQ(imageColour(0), clLime);
    EXPECT_EQ(imageColour(1), clLime);  // the event starts from the tab's own index
    EXPECT_EQ(std::count(asked.begin(), asked.end(), 2), 0) << "a hidden page has no tab to ask for";
}

TEST(ExPageControl, HighlightedTabIsDrawnWithThePlatformsTabs) {
    Pages p(3, 400, 200);
    p.pc->SetTabBorder3D(true);
    const TColor highlight = FromQRgb(p.pc->palette().color(QPalette::Highlight).rgb());
    const auto lit = [&](int tab) {
        const TRect r = p.pc->TCustomTabControl::TabRect(tab);
        return at(p.pc->grab().toImage(), r.Left + 3, r.Top + 3) == highlight;
    };
    p.sheets[2]->SetHighlighted(true);
    EXPECT_FALSE(lit(1));
    EXPECT_TRUE(lit(2));
    // The highlight stays with its page when the tabs before it go and when its own tab returns.
    p.sheets[0]->SetTabVisible(false);
    EXPECT_TRUE(lit(1));
    p.sheets[2]->SetTabVisible(false);
    p.sheets[2]->SetTabVisible(true);
    EXPECT_TRUE(lit(1));
    EXPECT_FALSE(lit(0));
    p.sheets[2]->SetHighlighted(false);
    EXPECT_FALSE(lit(1));
}

TEST(ExPageControl, OwnerDrawingAsksOnDrawTabForEveryVisibleTab) {
    Pages p(3);
    p.sheets[0]->SetTabVisible(false);
    p.pc->SetActivePage(p.sheets[2]);
    std::vector<std::pair<int, bool>> calls;
    p.pc->OnDrawTab = [&](TCustomTabControl*, int tab, const TRect& r, bool active) {
        EXPECT_EQ(r, p.pc->TCustomTabControl::TabRect(tab));
        calls.emplace_back(tab, active);
    };
    p.pc->grab();
    EXPECT_EQ(calls, (std::vector<std::pair<int, bool>>{{0, false}, {1, true}}));
}

// A single row wider than the control scrolls by the arrows; the tabs are painted where the row
// has moved them and the arrows stay over the strip's painting.
TEST(ExPageControlPaint, ScrollArrowsOfASingleRow) {
    Pages p(8, 300, 200);
    TExPageControl* pc = p.pc;
    pc->SetDefaultTabColor(clYellow);
    for (TExTabSheet* s : p.sheets) s->SetTabColor(clYellow);
    const TRect a = pc->ScrollArrowsRect();
    ASSERT_GT(a.Width(), 0);
    QImage img = pc->grab().toImage();
    EXPECT_EQ(at(img, a.Left + 2, a.Top + 3), ColorToRGB(clBtnFace)) << "the arrows lie over the strip";
    EXPECT_EQ(at(img, a.Left + 6, a.Top + a.Height() / 2), ColorToRGB(clGrayText));
    const TRect before = pc->TCustomTabControl::TabRect(1);
    QWidget* arrows = pc->childAt(a.Left + 4, a.Top + 4);
    ASSERT_NE(arrows, nullptr);
    QTest::mouseClick(arrows, Qt::LeftButton, {}, QPoint(a.Width() - 4, 4));
    EXPECT_EQ(pc->FirstVisibleTab(), 1);
    EXPECT_EQ(pc->ActivePage(), p.sheets[0]) << "scrolling selects nothing";
    const TRect after = pc->TCustomTabControl::TabRect(1);
    EXPECT_LT(after.Left, before.Left);
    img = pc->grab().toImage();
    EXPECT_EQ(at(img, after.Left + 4, after.Top + 4), clYellow);
    EXPECT_EQ(at(img, a.Left + 6, a.Top + a.Height() / 2), ColorToRGB(clBtnText));
    // Activating a page scrolled out of the row brings its tab back.
    pc->SetActivePage(p.sheets[7]);
    EXPECT_LE(pc->TCustomTabControl::TabRect(7).Right, a.Left);
}

}  // namespace
