// The tree's frame: options, states, long operations, the once-per-process set-up, colours, font
// scaling and the control on its scroll area.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <thread>

#include "EventLog.h"
#include "FakeHost.h"
#include "tests/support/EventWait.h"
#include "treeview/LazyTrees.h"
#include "treeview/LazyTreesCheck.h"

using enum TLazyTreeState;
using enum TLTPaintOption;
using enum TLTSelectionOption;
using enum TLTMiscOption;
using enum TLTAutoOption;
using namespace plat;

namespace {

// Records the hooks the frame calls.
struct Probe : TLazyTreeCore {
    int bitmaps = 0;
    int selectionClears = 0;
    void BuildButtonBitmaps() override { ++bitmaps; }
    void ClearSelection() override { ++selectionClears; }
};

TEST(LazyTreeOptions, FreshTreesHaveTheDefaultSets) {
    TLazyStringTree t;
    const TCustomLazyTreeOptions& o = t.TreeOptions();
    EXPECT_EQ(o.PaintOptions(), TLTPaintOptions({toShowButtons, toShowDropmark, toShowRoot, toShowTreeLines,
                                                 toThemeAware, toUseBlendedImages}));
    EXPECT_EQ(o.AnimationOptions(), TLTAnimationOptions{});
    EXPECT_EQ(o.AutoOptions(), TLTAutoOptions({toAutoDropExpand, toAutoScrollOnExpand, toAutoSort,
                                               toAutoTristateTracking, toAutoDeleteMovedNodes, toAutoChangeScale}));
    EXPECT_EQ(o.SelectionOptions(), TLTSelectionOptions{});
    EXPECT_EQ(o.MiscOptions(), TLTMiscOptions({toAcceptOLEDrop, toFullRepaintOnResize, toInitOnSave, toToggleOnDblClick,
                                               toWheelPanning, toEditOnClick}));
    EXPECT_EQ(o.ExportMode(), TLTExportMode::emAll);
    EXPECT_EQ(t.StringTreeOptions().StringOptions(),
              TLTStringOptions({TLTStringOption::toSaveCaptions, TLTStringOption::toAutoAcceptEditChange}));
}

TEST(LazyTreeOptions, FixedIndentAlsoShowsTheRoot) {
    TLazyTreeCore t;
    t.TreeOptions().SetPaintOptions({toShowButtons});
    t.TreeOptions().SetPaintOptions({toShowButtons, toFixedIndent});
    EXPECT_EQ(t.TreeOptions().PaintOptions(), TLTPaintOptions({toShowButtons, toFixedIndent, toShowRoot}));
}

TEST(LazyTreeOptions, OldOptionListReplacesTheSets) {
    TLazyTreeCore t;
    ReadOldOptions(t.TreeOptions(), {"voShowRoot", "voNotAnOption", "voMultiSelect"});
    EXPECT_EQ(t.TreeOptions().PaintOptions(), TLTPaintOptions({toShowRoot}));
    EXPECT_EQ(t.TreeOptions().SelectionOptions(), TLTSelectionOptions({toMultiSelect}));
    EXPECT_EQ(t.TreeOptions().AnimationOptions(), TLTAnimationOptions{});
    EXPECT_EQ(t.TreeOptions().AutoOptions(), TLTAutoOptions{});
    EXPECT_EQ(t.TreeOptions().MiscOptions(), TLTMiscOptions{});

    ReadOldOptions(t.TreeOptions(), {"voAnimatedToggle", "voAutoSort", "voCheckSupport", "voHotTrack"});
    EXPECT_EQ(t.TreeOptions().AnimationOptions(), TLTAnimationOptions({TLTAnimationOption::toAnimatedToggle}));
    EXPECT_EQ(t.TreeOptions().AutoOptions(), TLTAutoOptions({toAutoSort}));
    EXPECT_EQ(t.TreeOptions().MiscOptions(), TLTMiscOptions({toCheckSupport}));
    EXPECT_EQ(t.TreeOptions().PaintOptions(), TLTPaintOptions({toHotTrack}));
    EXPECT_EQ(t.TreeOptions().SelectionOptions(), TLTSelectionOptions{});
}

TEST(LazyTreeOptions, AssigningCopiesTheFiveSetsButNotTheExportMode) {
    TLazyStringTree a, b;
    a.TreeOptions().SetMiscOptions({toCheckSupport});
    a.TreeOptions().SetSelectionOptions({toMultiSelect, toCenterScrollIntoView});
    a.TreeOptions().SetExportMode(TLTExportMode::emChecked);
    a.StringTreeOptions().SetStringOptions({TLTStringOption::toShowStaticText});
    a.TreeOptions().AssignTo(b.TreeOptions());
    EXPECT_EQ(b.TreeOptions().MiscOptions(), TLTMiscOptions({toCheckSupport}));
    EXPECT_EQ(b.TreeOptions().SelectionOptions(), a.TreeOptions().SelectionOptions());
    EXPECT_EQ(b.TreeOptions().ExportMode(), TLTExportMode::emAll);
    EXPECT_EQ(b.StringTreeOptions().StringOptions(), TLTStringOptions({TLTStringOption::toShowStaticText}));
}

TEST(LazyTreeOptions, MultiSelectEitherWayClearsTheSelection) {
    Probe t;
    t.TreeOptions().SetSelectionOptions({toMultiSelect});
    t.TreeOptions().SetSelectionOptions({});
    t.TreeOptions().SetSelectionOptions({toCenterScrollIntoView});
    EXPECT_EQ(t.selectionClears, 2);
}

TEST(LazyTreeOptions, ShowingFilteredNodesGivesThemTheirRowsBack) {
    TLazyTreeCore t;
    FakeHost host(t);
    t.OnInitNode = [](TLazyTreeCore*, PLazyNode, PLazyNode n, TLazyNodeInitStates& s) {
        if (n->Index < 2) s += TLazyNodeInitState::ivsFiltered;
    };
    t.SetChildCount(nullptr, 3);
    t.ValidateNode(nullptr, true);
    EXPECT_EQ(t.VisibleCount(), 1u);
    EXPECT_EQ(t.RangeY(), 18);
    t.TreeOptions().SetPaintOptions(t.TreeOptions().PaintOptions() + toShowFilteredNodes);
    EXPECT_EQ(t.VisibleCount(), 3u);
    EXPECT_EQ(t.RangeY(), 54);
    EXPECT_EQ(host.rangeY, 54);
    EXPECT_EQ(CheckTreeInvariants(t), "");
    t.TreeOptions().SetPaintOptions(t.TreeOptions().PaintOptions() - toShowFilteredNodes);
    EXPECT_EQ(t.VisibleCount(), 1u);
    EXPECT_EQ(CheckTreeInvariants(t), "");
}

TEST(LazyTreeOptions, VariableNodeHeightReinitialisesEveryInitialisedNode) {
    TLazyTreeCore t;
    FakeHost host(t);
    int reinits = 0;
    t.OnInitNode = [&](TLazyTreeCore*, PLazyNode, PLazyNode, TLazyNodeInitStates& s) {
        if (s.Contains(TLazyNodeInitState::ivsReInit)) ++reinits;
    };
    t.OnMeasureItem = [](TLazyTreeCore*, TCanvas*, PLazyNode n, int& h) { h = 10 + int(n->Index); };
    PLazyNode p = t.AddChild(nullptr);
    t.AddChild(p);
    t.AddChild(p);
    t.AddChild(nullptr);  // never initialised
    t.ValidateNode(p, true);
    t.TreeOptions().SetMiscOptions(t.TreeOptions().MiscOptions() + toVariableNodeHeight);
    EXPECT_EQ(reinits, 3);
    EXPECT_EQ(t.NodeHeight(p->LastChild), 11u);
    EXPECT_EQ(CheckTreeInvariants(t), "");
}

TEST(LazyTreeOptions, AnimationDurationSwitchesTheAnimatedToggle) {
    TLazyTreeCore t;
    t.TreeOptions().SetAnimationOptions({TLTAnimationOption::toAnimatedToggle});
    t.SetAnimationDuration(0);
    EXPECT_FALSE(t.TreeOptions().AnimationOptions().Contains(TLTAnimationOption::toAnimatedToggle));
    t.SetAnimationDuration(300);
    EXPECT_TRUE(t.TreeOptions().AnimationOptions().Contains(TLTAnimationOption::toAnimatedToggle));
    EXPECT_EQ(t.AnimationDuration(), 300u);
}

TEST(LazyTreeStates, DoStateChangeIsTheOnlyChangeAndLeaveWins) {
    struct Case {
        const char* name;
        TLazyTreeStates before, enter, leave, after;
        bool fires;
    };
    const Case cases[] = {
        {"enter a new state", {}, {tsHint}, {}, {tsHint}, true},
        {"enter a state already set", {tsHint}, {tsHint}, {}, {tsHint}, false},
        {"leave a state not set", {}, {}, {tsHint}, {}, false},
        {"a set state in both sets ends cleared", {tsHint}, {tsHint}, {tsHint}, {}, true},
        {"an unset state in both sets stays cleared", {}, {tsHint}, {tsHint}, {}, true},
        {"enter one, leave another", {tsSizing}, {tsHint}, {tsSizing}, {tsHint}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TLazyTreeCore t;
        t.SetTreeStates(c.before);
        int fired = 0;
        t.OnStateChange = [&](TLazyTreeCore*, TLazyTreeStates e, TLazyTreeStates l) {
            ++fired;
            EXPECT_EQ(e, c.enter);
            EXPECT_EQ(l, c.leave);
        };
        t.DoStateChange(c.enter, c.leave);
        t.OnStateChange = nullptr;  // the tree's own clean-up is not part of the case
        EXPECT_EQ(t.TreeStates(), c.after);
        EXPECT_EQ(fired, c.fires ? 1 : 0);
    }
}

TEST(LazyTreeStates, BeginUpdateOffTheMainThreadFails) {
    TLazyTreeCore t;
    FakeHost host(t);
    host.mainThread = false;
    try {
        t.BeginUpdate();
        FAIL() << "no assertion";
    } catch (const ELazyTreeAssertion& e) {
        EXPECT_STREQ(e.what(), "UI controls like TLazyTreeCore should only be manipulated through the main thread.");
    }
    EXPECT_EQ(t.UpdateCount(), 0u);
}

TEST(LazyTreeStates, AnotherThreadChangesStatesThroughTheStateMessage) {
    TLazyStringTree t;
    t.DoStateChange({tsValidationNeeded});
    std::thread worker([&] { t.PostStateChange(4 | 2, 8); });
    worker.join();
    EXPECT_FALSE(t.TreeStates().Contains(tsValidating));  // not before the UI thread runs
    QCoreApplication::processEvents();
    EXPECT_TRUE(t.TreeStates().Contains(tsValidating));
    EXPECT_TRUE(t.TreeStates().Contains(tsUseCache));
    EXPECT_FALSE(t.TreeStates().Contains(tsValidationNeeded));
    EXPECT_EQ(lazytree::StatesFromWorkerMask(1), TLazyTreeStates({tsStopValidation}));
}

// The control is woken by a posted event when the worker hands something back, and its event loop
// runs the hand-backs: the cache comes into use with no other help.
TEST(LazyTreeStates, TheControlsEventLoopTakesTheWorkersCacheIntoUse) {
    TLazyStringTree t;
    t.SetRootNodeCount(2500);
    ASSERT_TRUE(testing_support::processEventsUntil([&] { return t.TreeStates().Contains(tsUseCache); }));
    EXPECT_EQ(t.PositionCache().size(), 2u);
    int top = 0;
    EXPECT_EQ(t.GetNodeAt(0, 2000 * 18, false, top), t.PositionCache()[1].Node);
}

// The node at a position found through the cache, in any order of positions, is the node a walk from
// the first row finds; a height changed after a look-up is seen by the next one, before and after the
// cache is built again.
TEST(LazyTreeStates, ThePositionLookUpAnswersAsAWalkFromTheFirstRow) {
    TLazyStringTree t;
    t.SetRootNodeCount(6000);
    const auto walked = [&](uint32_t y) {
        uint32_t top = 0;
        for (PLazyNode n = t.GetFirstVisibleNoInit(); n; n = t.GetNextVisibleNoInit(n)) {
            if (y < top + t.NodeHeight(n)) return std::pair(n, int(top));
            top += t.NodeHeight(n);
        }
        return std::pair(PLazyNode(nullptr), 0);
    };
    const auto lookUps = [&] {
        for (uint32_t y : {107'999u, 0u, 17u, 18u, 36'100u, 36'000u, 40'000u, 40'017u, 54'000u, 100u, 107'990u, 200'000u}) {
            int top = -1;
            const PLazyNode n = t.GetNodeAt(0, int(y), false, top);
            const auto [expected, expectedTop] = walked(y);
            EXPECT_EQ(n, expected) << y;
            if (n) EXPECT_EQ(top, expectedTop) << y;
        }
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return t.TreeStates().Contains(tsUseCache); }, 5000));
    lookUps();
    int earlyTop = 0;
    t.SetNodeHeight(t.GetNodeAt(0, 2100 * 18, false, earlyTop), 40);
    lookUps();
    ASSERT_TRUE(QTest::qWaitFor([&] { return t.TreeStates().Contains(tsUseCache); }, 5000));
    lookUps();
    t.SetNodeHeight(t.GetFirstVisibleNoInit(), 5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return t.TreeStates().Contains(tsUseCache); }, 5000));
    lookUps();
}

TEST(LazyTreeOperations, StartEndAndCancel) {
    TLazyTreeCore t;
    QStringList seen;
    t.OnStartOperation = [&](TLazyTreeCore*, TLTOperationKind k) { seen << QStringLiteral("start %1").arg(int(k)); };
    t.OnEndOperation = [&](TLazyTreeCore*, TLTOperationKind k) { seen << QStringLiteral("end %1").arg(int(k)); };
    try {
        t.EndOperation(TLTOperationKind::okSortTree);
        FAIL() << "no assertion";
    } catch (const ELazyTreeAssertion& e) {
        EXPECT_STREQ(e.what(), "EndOperation must not be called when no operation in progress.");
    }
    t.CancelOperation();  // no operation: no effect
    t.StartOperation(TLTOperationKind::okExport);
    EXPECT_FALSE(t.OperationCanceled());
    t.StartOperation(TLTOperationKind::okExpand);
    t.CancelOperation();
    EXPECT_TRUE(t.OperationCanceled());
    t.EndOperation(TLTOperationKind::okExpand);
    EXPECT_TRUE(t.OperationCanceled());
    t.EndOperation(TLTOperationKind::okExport);
    EXPECT_FALSE(t.OperationCanceled());  // no operation runs
    EXPECT_EQ(seen, QStringList({"start 4", "start 5", "end 5", "end 4"}));
}

TEST(LazyTreeSetUp, RunsOncePerProcess) {
    const lazytree::TreeGlobals& g = lazytree::InitializeTreeGlobals();
    TLazyStringTree a;
    TLazyTreeCore b;
    EXPECT_EQ(g.setupRuns, 1);
    EXPECT_NE(g.lock, nullptr);
    EXPECT_EQ(&lazytree::InitializeTreeGlobals(), &g);
}

TEST(LazyTreeErrors, HelpContextsCarryTheirMessages) {
    const std::pair<int, const char*> expected[] = {
        {2001, "Target node cannot be a child node of the node to be moved."},
        {2002, "Unable to load tree structure, the format is wrong."},
        {2003, "Unable to load tree structure, the version is unknown."},
        {2004, "Unable to load tree structure, not enough data available."},
        {2005, "Stream data corrupt. A node's anchor chunk is missing."},
        {2006, "Stream data corrupt. Unexpected data after node's end position."},
        {2007, "Clipboard operation failed."},
    };
    for (const auto& [context, message] : expected) {
        try {
            lazytree::RaiseTreeError(context);
        } catch (const ELazyTreeError& e) {
            EXPECT_EQ(e.HelpContext, context);
            EXPECT_STREQ(e.what(), message);
        }
    }
}

TEST(LazyTreeColors, DefaultsAndRepaintsOnlyOnAChange) {
    Probe t;
    FakeHost host(t);
    TLTColors& c = t.Colors();
    EXPECT_EQ(c.FocusedSelectionColor(), clHighlight);
    EXPECT_EQ(c.UnfocusedSelectionColor(), clBtnFace);
    EXPECT_EQ(c.SelectionTextColor(), clHighlightText);
    EXPECT_EQ(c.TreeLineColor(), clBtnShadow);
    EXPECT_EQ(c.UnfocusedColor(), clBtnFace);
    EXPECT_EQ(c.GetColor(17), clBlack);
    EXPECT_EQ(c.BackGroundColor(), clWindow);

    const int repaints = host.invalidations;
    c.SetTreeLineColor(clBtnShadow);
    c.SetHotColor(clWindowText);
    EXPECT_EQ(host.invalidations, repaints);
    EXPECT_EQ(t.bitmaps, 0);

    c.SetTreeLineColor(clRed);
    EXPECT_EQ(t.bitmaps, 1);  // the button frames follow the line colour
    EXPECT_EQ(host.invalidations, repaints + 1);
    c.SetBorderColor(clLime);
    EXPECT_EQ(host.frameInvalidations, 1);
    EXPECT_EQ(host.invalidations, repaints + 1);

    TLazyTreeCore other;
    other.Colors().Assign(c);
    EXPECT_EQ(other.Colors().TreeLineColor(), clRed);
    const int before = host.invalidations;
    c.Assign(other.Colors());  // equal colours
    EXPECT_EQ(host.invalidations, before);
}

TEST(LazyTreeColors, FontScalingGrowsTheNodeHeightButNeverShrinksIt) {
    TLazyTreeCore t;
    FakeHost host(t);
    host.textHeight = 25;
    t.Font().SetSize(20);
    EXPECT_EQ(t.DefaultNodeHeight(), 25u);
    host.textHeight = 10;
    t.Font().SetSize(6);
    EXPECT_EQ(t.DefaultNodeHeight(), 25u);
    t.TreeOptions().SetAutoOptions(t.TreeOptions().AutoOptions() - toAutoChangeScale);
    host.textHeight = 40;
    t.Font().SetSize(30);
    EXPECT_EQ(t.DefaultNodeHeight(), 25u);
    t.TreeOptions().SetAutoOptions(t.TreeOptions().AutoOptions() + toAutoChangeScale);
    t.ChangeScale(2, 1);
    EXPECT_EQ(t.DefaultNodeHeight(), 50u);
    EXPECT_EQ(t.Indent(), 36u);
}

TEST(LazyTreeControl, ConstructorDefaults) {
    TLazyStringTree t;
    EXPECT_EQ(t.width(), 200);
    EXPECT_EQ(t.height(), 100);
    EXPECT_EQ(t.focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(t.NodeDataSize(), -1);
    EXPECT_EQ(t.Indent(), 18u);
    EXPECT_EQ(t.Margin(), 4);
    EXPECT_EQ(t.TextMargin(), 4);
    EXPECT_EQ(t.DragOperations, TDragOperations({TDragOperation::doCopy, TDragOperation::doMove}));
    EXPECT_EQ(t.FocusedColumn(), NoColumn);
    EXPECT_EQ(t.SelectionBlendFactor, 128);
    EXPECT_EQ(t.BorderStyle(), TBorderStyle::bsSingle);
    EXPECT_EQ(t.CheckImageKind, TCheckImageKind::ckSystemDefault);
    EXPECT_EQ(t.AutoExpandDelay, 1000u);
    EXPECT_EQ(t.AutoScrollInterval, 1u);
    EXPECT_EQ(t.DragHeight, 350);
    EXPECT_EQ(t.DragWidth, 200);
    EXPECT_EQ(t.AnimationDuration(), 200u);
    EXPECT_EQ(t.IncrementalSearchStart, TLTSearchStart::ssFocusedNode);
    EXPECT_EQ(t.NodeAlignment(), TLTNodeAlignment::naProportional);
    EXPECT_EQ(t.LineStyle, TLTLineStyle::lsDotted);
    EXPECT_EQ(t.Color(), clWindow);
    EXPECT_EQ(t.DefaultText(), QStringLiteral("Node"));
    EXPECT_TRUE(t.DoubleBuffered());
    EXPECT_TRUE(t.TreeStates().Contains(tsUseThemes));
    EXPECT_FALSE(t.TreeStates().Contains(tsUseExplorerTheme));
    EXPECT_GE(t.DefaultNodeHeight(), 18u);
}

TEST(LazyTreeControl, StringTreeNodesCostEightyBytesBeyondTheUserData) {
    TLazyStringTree t;
    t.SetNodeDataSize(8);
    t.AddChild(nullptr);
    EXPECT_EQ(t.NodeBlockSize() - 8, 80u);
    int x = 0;
    try {
        TLazyStringTree small;
        small.SetNodeDataSize(4);
        small.SetNodeData(small.AddChild(nullptr), &x);
        FAIL() << "no assertion";
    } catch (const ELazyTreeAssertion& e) {
        EXPECT_STREQ(
            e.what(),
            "TLazyStringTree: Cannot set initial user data because there is not enough user data space allocated.");
    }
}

TEST(LazyTreeControl, DestroyingTheControlFreesTheNodesThroughTheHandler) {
    int freed = 0;
    {
        TLazyStringTree t;
        t.OnFreeNode = [&](TLazyTreeCore*, PLazyNode) { ++freed; };
        t.TreeOptions().SetMiscOptions(t.TreeOptions().MiscOptions() + toReadOnly);  // read-only trees too
        PLazyNode n = t.InsertNode(nullptr, TLTNodeAttachMode::amAddChildLast);
        t.ValidateNode(n, false);
    }
    EXPECT_EQ(freed, 1);
}

TEST(LazyTreeControl, AssignCopiesSettingsAndTheTopLevelCountButNoData) {
    TLazyStringTree source, target;
    source.SetNodeDataSize(8);
    source.SetDefaultNodeHeight(22);
    source.SetBorderWidth(2);
    source.Colors().SetTreeLineColor(clRed);
    for (int i = 0; i < 3; ++i) source.SetNodeData(source.AddChild(nullptr), &source);
    source.ValidateNode(nullptr, true);
    target.Assign(source);
    EXPECT_EQ(target.NodeDataSize(), 8);
    EXPECT_EQ(target.DefaultNodeHeight(), 22u);
    EXPECT_EQ(target.BorderWidth(), 2);
    EXPECT_EQ(target.Colors().TreeLineColor(), clRed);
    ASSERT_EQ(target.RootNodeCount(), 3u);
    for (PLazyNode n = target.RootNode()->FirstChild; n; n = n->NextSibling) {
        EXPECT_FALSE(n->States.Contains(TLazyNodeState::vsInitialized));
        EXPECT_EQ(*static_cast<void**>(static_cast<void*>(n->Data())), nullptr);
    }
    EXPECT_EQ(CheckTreeInvariants(target), "");
}

TEST(LazyTreeControl, PaintsItsBackgroundAndTheBorderBand) {
    TLazyStringTree t;
    t.SetBorderWidth(4);
    t.Colors().SetBorderColor(clRed);
    t.SetColor(clLime);
    t.resize(120, 80);
    const QImage shot = t.grab().toImage();
    const QRect inner = t.contentsRect();
    EXPECT_EQ(FromQRgb(shot.pixel(inner.left() + 1, inner.center().y())), clRed);
    EXPECT_EQ(FromQRgb(shot.pixel(inner.center())), clLime);
}

TEST(LazyTreeControl, BevelsTakeTheirEdgesAndPaintTheirCuts) {
    TLazyStringTree t;
    t.SetBorderStyle(TBorderStyle::bsNone);
    t.SetBevelKind(TBevelKind::bkTile);  // outer lowered, inner raised, width 1, every edge
    t.SetBevelEdges({TBevelEdge::beLeft, TBevelEdge::beTop, TBevelEdge::beRight});
    t.SetBorderWidth(3);
    t.Colors().SetBorderColor(clRed);
    t.resize(100, 60);
    QImage shot = t.grab().toImage();
    EXPECT_EQ(t.viewport()->geometry(), QRect(5, 5, 100 - 10, 60 - 3 - 5));  // no bevel at the bottom
    const int y = 30;
    EXPECT_EQ(FromQRgb(shot.pixel(0, y)), ColorToRGB(clBtnShadow));      // outer cut, sunken
    EXPECT_EQ(FromQRgb(shot.pixel(1, y)), ColorToRGB(clBtnHighlight));   // inner cut, raised
    EXPECT_EQ(FromQRgb(shot.pixel(99, y)), ColorToRGB(clBtnHighlight));  // outer, far side
    EXPECT_EQ(FromQRgb(shot.pixel(98, y)), ColorToRGB(clBtnShadow));
    EXPECT_EQ(FromQRgb(shot.pixel(3, y)), clRed);    // the border band
    EXPECT_EQ(FromQRgb(shot.pixel(50, 59)), clRed);  // no bevel below: band only

    t.SetCtl3D(false);  // one colour
    shot = t.grab().toImage();
    EXPECT_EQ(FromQRgb(shot.pixel(0, y)), ColorToRGB(clWindowFrame));
    EXPECT_EQ(FromQRgb(shot.pixel(99, y)), ColorToRGB(clWindowFrame));
}

TEST(LazyTreeControl, TheScrollBarFollowsTheRowsAndBottomSpace) {
    TLazyStringTree t;
    t.resize(200, 100);
    t.SetChildCount(nullptr, 20);
    const int rows = 20 * int(t.DefaultNodeHeight());
    EXPECT_EQ(t.verticalScrollBar()->maximum(), rows - t.viewport()->height());
    t.SetBottomSpace(30);
    EXPECT_EQ(t.verticalScrollBar()->maximum(), rows + 30 - t.viewport()->height());
    t.BeginUpdate();
    t.SetChildCount(nullptr, 40);
    EXPECT_EQ(t.verticalScrollBar()->maximum(), rows + 30 - t.viewport()->height());  // not inside the update
    t.EndUpdate();
    EXPECT_EQ(t.verticalScrollBar()->maximum(), 2 * rows + 30 - t.viewport()->height());
}

TEST(LazyTreeControl, ATallFontRaisesTheNodeHeight) {
    TLazyStringTree t;
    const uint32_t before = t.DefaultNodeHeight();
    t.Font().SetHeight(-40);
    EXPECT_GT(t.DefaultNodeHeight(), before);
    EXPECT_EQ(int(t.DefaultNodeHeight()), t.Canvas().TextHeight(QStringLiteral("Tg")));
    EXPECT_EQ(t.font().pixelSize(), 40);  // the widget follows

    // A font set on the widget (or inherited from its parent) reaches the tree the same way.
    QFont big = t.font();
    big.setPixelSize(60);
    t.setFont(big);
    EXPECT_EQ(t.Font().Height(), -60);
    EXPECT_EQ(int(t.DefaultNodeHeight()), t.Canvas().TextHeight(QStringLiteral("Tg")));
    EXPECT_GT(t.DefaultNodeHeight(), 60u);
}

}  // namespace
