// Mouse input: hit testing, clicks with their selection rules and events, check boxes, double clicks
// and the rubber band.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStringList>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <functional>
#include <map>
#include <memory>
#include <QTest>

#include "platform/Beep.h"
#include "treeview/LazyTrees.h"

using enum THitPosition;
using enum TLTSelectionOption;
using enum TLTMiscOption;
using enum TLTPaintOption;
using enum TLazyNodeState;
using namespace plat;

namespace {

// A tree of texts without images: toShowRoot, Indent 18, Margin 4, 9-pixel buttons.
struct InputTree {
    TLazyStringTree tree;
    TImageList checks{16, 16};
    QStringList log;
    std::vector<QString> texts;
    explicit InputTree(bool checkBoxes = false) {
        tree.SetNodeDataSize(4);
        tree.TreeOptions().SetPaintOptions({toShowButtons, toShowRoot, toShowTreeLines});
        if (checkBoxes) {
            TBitmap b(16 * 25, 16, pf32bit);
            checks.Add(b);
            tree.TreeOptions().SetMiscOptions(tree.TreeOptions().MiscOptions() + toCheckSupport);
            tree.SetCustomCheckImages(&checks);
            tree.SetCheckImageKind(TCheckImageKind::ckCustom);
        }
        tree.OnGetText = [this](TCustomLazyStringTree*, PLazyNode n, TColumnIndex, TVSTTextType type, QString& text) {
            if (type == TVSTTextType::ttNormal && n->Parent == tree.RootNode() && n->Index < texts.size())
                text = texts[n->Index];
            else if (type == TVSTTextType::ttNormal)
                text = QStringLiteral("child");
        };
        tree.resize(300, 200);
        tree.show();
        QApplication::processEvents();
    }
    void Log() {
        auto name = [this](PLazyNode n) { return n ? QString::number(n->Index) : QStringLiteral("nil"); };
        tree.OnRemoveFromSelection = [=, this](TLazyTreeCore*, PLazyNode n) { log << "Remove(" + name(n) + ")"; };
        tree.OnAddToSelection = [=, this](TLazyTreeCore*, PLazyNode n) { log << "Add(" + name(n) + ")"; };
        tree.OnChange = [=, this](TLazyTreeCore*, PLazyNode n) { log << "Change(" + name(n) + ")"; };
        tree.OnFocusChanging = [=, this](TLazyTreeCore*, PLazyNode, PLazyNode n, TColumnIndex, TColumnIndex, bool&) {
            log << "FocusChanging(" + name(n) + ")";
        };
        tree.OnFocusChanged = [=, this](TLazyTreeCore*, PLazyNode n, TColumnIndex) {
            log << "FocusChanged(" + name(n) + ")";
        };
        tree.OnNodeClick = [=, this](TBaseLazyTree*, const THitInfo& h) { log << "NodeClick(" + name(h.HitNode) + ")"; };
        tree.OnChecking = [=, this](TLazyTreeCore*, PLazyNode n, TCheckState&, bool&) {
            log << "Checking(" + name(n) + ")";
        };
        tree.OnChecked = [=, this](TLazyTreeCore*, PLazyNode n) { log << "Checked(" + name(n) + ")"; };
    }
    ~InputTree() {
        tree.OnGetText = nullptr;
        tree.OnRemoveFromSelection = nullptr;
        tree.OnAddToSelection = nullptr;
        tree.OnChange = nullptr;
        tree.OnFocusChanging = nullptr;
        tree.OnFocusChanged = nullptr;
    }
    THitPositions Hit(int x, int y) {
        THitInfo h;
        tree.GetHitTestInfoAt(x, y, true, h);
        return h.HitPositions;
    }
    // The client point of a node's text.
    QPoint TextOf(PLazyNode n) {
        const TRect r = tree.GetDisplayRect(n, NoColumn, true);
        return QPoint(r.Left + 3, (r.Top + r.Bottom) / 2);
    }
    void Click(QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, mods, p);
    }
};

}  // namespace

TEST(LazyTreeHitTest, PositionsAcrossTheRow) {
    InputTree t(true);
    t.texts = {"A", "Some much longer text than the first"};
    PLazyNode parent = t.tree.AddChild(nullptr);
    PLazyNode child = t.tree.AddChild(parent);
    t.tree.AddChild(child);
    PLazyNode leaf = t.tree.AddChild(nullptr);
    t.tree.SetExpanded(parent, true);
    for (PLazyNode n : {parent, child, leaf}) n->CheckType = TCheckType::ctCheckBox;
    const THitPositions button{hiOnItem, hiOnItemButton};
    const THitPositions exact{hiOnItem, hiOnItemButton, hiOnItemButtonExact};
    const THitPositions indent{hiOnItem, hiOnItemIndent};
    const THitPositions check{hiOnItem, hiOnItemCheckbox};
    struct Case {
        const char* name;
        int x, y;
        THitPositions expected;
    };
    const Case cases[] = {
        {"left of the client", -1, 5, {hiToLeft}},
        {"below the last node", 5, 190, {hiNowhere}},
        {"level 0, button step start", 0, 5, button},
        {"level 0, button step end", 8, 5, button},
        {"level 0, on the glyph's part", 9, 5, exact},
        {"level 0, margin", 21, 5, exact},
        {"level 0, check box", 22, 5, check},
        {"level 0, check box end", 39, 5, check},
        {"level 1, indentation", 0, 23, indent},
        {"level 1, indentation end", 17, 23, indent},
        {"level 1, button", 18, 23, button},
        {"level 1, glyph", 30, 23, exact},
        {"level 1, check box", 57, 23, check},
    };
    for (const Case& c : cases) EXPECT_EQ(t.Hit(c.x, c.y).Bits(), c.expected.Bits()) << c.name;
    // A leaf's indentation at level 0.
    for (int x : {0, 21}) EXPECT_EQ(t.Hit(x, 41).Bits(), indent.Bits()) << x;
    // A narrow text: label over it, right after it; a wide one: label anywhere behind the images.
    const int textLeft = 40;
    const int narrow = t.tree.GetDisplayRect(parent, NoColumn, true).Width();
    EXPECT_TRUE(t.Hit(textLeft + 1, 5).Contains(hiOnItemLabel));
    EXPECT_TRUE(t.Hit(textLeft + narrow + 5, 5).Contains(hiOnItemRight));
    t.tree.resize(150, 200);
    QApplication::processEvents();
    EXPECT_TRUE(t.Hit(140, 41).Contains(hiOnItemLabel));
    // No node at X -1: no node, column -1.
    THitInfo h;
    t.tree.GetHitTestInfoAt(-1, 5, true, h);
    EXPECT_EQ(h.HitNode, nullptr);
    EXPECT_EQ(h.HitColumn, NoColumn);
}

TEST(LazyTreeHitTest, SplittersWithNodeHeightResize) {
    InputTree t;
    t.texts = {"A", "B"};
    t.tree.AddChild(nullptr);
    t.tree.AddChild(nullptr);
    t.tree.TreeOptions().SetMiscOptions(t.tree.TreeOptions().MiscOptions() + toNodeHeightResize);
    for (int y : {18, 19}) EXPECT_TRUE(t.Hit(60, y).Contains(hiUpperSplitter)) << y;
    EXPECT_FALSE(t.Hit(60, 20).Contains(hiUpperSplitter));
    EXPECT_FALSE(t.Hit(60, 32).Contains(hiLowerSplitter));
    for (int y : {33, 34, 35}) EXPECT_TRUE(t.Hit(60, y).Contains(hiLowerSplitter)) << y;
}

TEST(LazyTreeMouse, APlainClickSelectsOnlyTheNodeInTheEventOrder) {
    InputTree t;
    t.texts = {"Alpha", "Beta", "Gamma"};
    for (int i = 0; i < 3; ++i) t.tree.AddChild(nullptr);
    t.tree.TreeOptions().SetSelectionOptions(t.tree.TreeOptions().SelectionOptions() + toMultiSelect);
    PLazyNode a = t.tree.GetFirst(), b = a->NextSibling, c = b->NextSibling;
    t.tree.SetSelected(a, true);
    t.tree.SetSelected(c, true);
    t.Log();
    t.Click(t.TextOf(b));
    EXPECT_EQ(t.log.filter(QRegularExpression("^Remove")).size(), 2);
    const QStringList rest = t.log.filter(QRegularExpression("^(?!Remove)"));
    EXPECT_EQ(rest, QStringList({"FocusChanging(1)", "Add(1)", "Change(1)", "FocusChanged(1)", "NodeClick(1)"}));
    EXPECT_EQ(t.tree.SelectedCount(), 1u);
    EXPECT_EQ(t.tree.FocusedNode(), b);
    EXPECT_EQ(t.tree.RangeAnchor(), b);
}

TEST(LazyTreeMouse, CtrlTogglesShiftSelectsTheRange) {
    InputTree t;
    t.texts = {"A", "B", "C", "D", "E"};
    for (int i = 0; i < 5; ++i) t.tree.AddChild(nullptr);
    t.tree.TreeOptions().SetSelectionOptions(t.tree.TreeOptions().SelectionOptions() + toMultiSelect);
    std::vector<PLazyNode> n;
    for (PLazyNode x = t.tree.GetFirst(); x; x = x->NextSibling) n.push_back(x);
    t.Click(t.TextOf(n[1]));
    t.Click(t.TextOf(n[3]), Qt::ShiftModifier);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(t.tree.Selected(n[i]), i >= 1 && i <= 3) << i;
    t.Click(t.TextOf(n[2]), Qt::ControlModifier);
    EXPECT_FALSE(t.tree.Selected(n[2]));
    EXPECT_EQ(t.tree.SelectedCount(), 2u);
    t.Click(t.TextOf(n[2]), Qt::ControlModifier);
    EXPECT_TRUE(t.tree.Selected(n[2]));
    // Ctrl+Shift adds the range from the anchor.
    t.Click(t.TextOf(n[0]));
    t.Click(t.TextOf(n[4]), Qt::ControlModifier);
    t.Click(t.TextOf(n[2]), Qt::ControlModifier | Qt::ShiftModifier);
        // The Ctrl click made the last node the anchor: the range runs from it.
    for (int i = 0; i < 5; ++i) EXPECT_EQ(t.tree.Selected(n[i]), i != 1) << i;
}

TEST(LazyTreeMouse, APressOnOneOfSeveralSelectedKeepsThemUntilTheRelease) {
    InputTree t;
    t.texts = {"A", "B", "C"};
    for (int i = 0; i < 3; ++i) t.tree.AddChild(nullptr);
    t.tree.TreeOptions().SetSelectionOptions(t.tree.TreeOptions().SelectionOptions() + toMultiSelect);
    std::vector<PLazyNode> n;
    for (PLazyNode x = t.tree.GetFirst(); x; x = x->NextSibling) n.push_back(x);
    for (PLazyNode x : n) t.tree.SetSelected(x, true);
    // Where a drag may start, the press leaves the selection whole so the nodes go together.
    t.tree.SetDragMode(TDragMode::dmAutomatic);
    QTest::mousePress(t.tree.viewport(), Qt::LeftButton, Qt::NoModifier, t.TextOf(n[1]));
    EXPECT_EQ(t.tree.SelectedCount(), 3u);
    EXPECT_EQ(t.tree.FocusedNode(), n[1]);
    EXPECT_TRUE(t.tree.TreeStates().Contains(TLazyTreeState::tsOLEDragPending));
    QTest::mouseRelease(t.tree.viewport(), Qt::LeftButton, Qt::NoModifier, t.TextOf(n[1]));
    EXPECT_EQ(t.tree.SelectedCount(), 1u);
    EXPECT_TRUE(t.tree.Selected(n[1]));
    EXPECT_FALSE(t.tree.TreeStates().Contains(TLazyTreeState::tsOLEDragPending));

    // With automatic dragging Ctrl toggles on the release, not the press.
    t.tree.SetSelected(n[0], true);
    QTest::mousePress(t.tree.viewport(), Qt::LeftButton, Qt::ControlModifier, t.TextOf(n[0]));
    EXPECT_TRUE(t.tree.Selected(n[0]));
    QTest::mouseRelease(t.tree.viewport(), Qt::LeftButton, Qt::ControlModifier, t.TextOf(n[0]));
    EXPECT_FALSE(t.tree.Selected(n[0]));
    EXPECT_TRUE(t.tree.Selected(n[1]));
    // Under manual dragging the application decides; refused, the press acts at once.
    t.tree.SetDragMode(TDragMode::dmManual);
    int asked = 0;
    t.tree.OnDragAllowed = [&](TBaseLazyTree*, PLazyNode, TColumnIndex, bool&) { ++asked; };
    QTest::mousePress(t.tree.viewport(), Qt::LeftButton, Qt::ControlModifier, t.TextOf(n[2]));
    EXPECT_TRUE(t.tree.Selected(n[2]));
    QTest::mouseRelease(t.tree.viewport(), Qt::LeftButton, Qt::ControlModifier, t.TextOf(n[2]));
    EXPECT_TRUE(t.tree.Selected(n[2]));
    EXPECT_EQ(asked, 1);
    // Allowed, a plain press on a selected node waits for the release again.
    t.tree.OnDragAllowed = [](TBaseLazyTree*, PLazyNode, TColumnIndex, bool& allowed) { allowed = true; };
    QTest::mousePress(t.tree.viewport(), Qt::LeftButton, Qt::NoModifier, t.TextOf(n[1]));
    EXPECT_EQ(t.tree.SelectedCount(), 2u);
    QTest::mouseRelease(t.tree.viewport(), Qt::LeftButton, Qt::NoModifier, t.TextOf(n[1]));
    EXPECT_EQ(t.tree.SelectedCount(), 1u);
    t.tree.OnDragAllowed = nullptr;
}

TEST(LazyTreeMouse, CheckBoxShowsPressedAndAppliesOnReleaseOverIt) {
    InputTree t(true);
    t.texts = {"Meter", "Other"};
    PLazyNode meter = t.tree.AddChild(nullptr);
    t.tree.AddChild(nullptr);
    meter->CheckType = TCheckType::ctCheckBox;
    t.tree.ValidateNode(nullptr, true);
    meter->CheckType = TCheckType::ctCheckBox;
    t.Log();
    const QPoint box(30, 9);
    QTest::mousePress(t.tree.viewport(), Qt::LeftButton, Qt::NoModifier, box);
    EXPECT_EQ(meter->CheckState, TCheckState::csUncheckedPressed);
    // Released elsewhere: restored, nothing checked.
    QTest::mouseRelease(t.tree.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(150, 190));
    EXPECT_EQ(meter->CheckState, TCheckState::csUncheckedNormal);
    EXPECT_FALSE(t.log.contains("Checked(0)"));
    // Released over it: checked with both events.
    t.log.clear();
    QTest::mousePress(t.tree.viewport(), Qt::LeftButton, Qt::NoModifier, box);
    QTest::mouseRelease(t.tree.viewport(), Qt::LeftButton, Qt::NoModifier, box);
    EXPECT_EQ(meter->CheckState, TCheckState::csCheckedNormal);
    EXPECT_EQ(t.log.filter("Check"), QStringList({"Checking(0)", "Checked(0)"}));
}

TEST(LazyTreeMouse, ButtonsAndDoubleClicksToggle) {
    InputTree t;
    t.texts = {"Parent"};
    PLazyNode p = t.tree.AddChild(nullptr);
    t.tree.AddChild(p);
    auto press = [&](QEvent::Type type, QPoint at) {
        QMouseEvent e(type, at, t.tree.viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(t.tree.viewport(), &e);
        QMouseEvent up(QEvent::MouseButtonRelease, at, t.tree.viewport()->mapToGlobal(at), Qt::LeftButton,
                       Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(t.tree.viewport(), &up);
    };
    press(QEvent::MouseButtonPress, QPoint(9, 9));
    EXPECT_TRUE(t.tree.Expanded(p));
    press(QEvent::MouseButtonPress, QPoint(9, 9));
    EXPECT_FALSE(t.tree.Expanded(p));
    // A double click on the text toggles only with toToggleOnDblClick.
    t.tree.TreeOptions().SetMiscOptions(t.tree.TreeOptions().MiscOptions() - toToggleOnDblClick);
    press(QEvent::MouseButtonPress, t.TextOf(p));
    press(QEvent::MouseButtonDblClick, t.TextOf(p));
    EXPECT_FALSE(t.tree.Expanded(p));
    t.tree.TreeOptions().SetMiscOptions(t.tree.TreeOptions().MiscOptions() + toToggleOnDblClick);
    press(QEvent::MouseButtonPress, t.TextOf(p));
    press(QEvent::MouseButtonDblClick, t.TextOf(p));
    EXPECT_TRUE(t.tree.Expanded(p));
}

TEST(LazyTreeMouse, RubberBandStartsBeyondTheThresholdAndSelectsTouchedTexts) {
    InputTree t;
    t.texts = {"A", "B", "C", "D"};
    for (int i = 0; i < 4; ++i) t.tree.AddChild(nullptr);
    t.tree.TreeOptions().SetSelectionOptions(t.tree.TreeOptions().SelectionOptions() + toMultiSelect);
    std::vector<PLazyNode> n;
    for (PLazyNode x = t.tree.GetFirst(); x; x = x->NextSibling) n.push_back(x);
    // From empty space right of the texts, up-left over rows 1 and 2.
    const QPoint start(200, 50);
    QTest::mousePress(t.tree.viewport(), Qt::LeftButton, Qt::NoModifier, start);
    QTest::mouseMove(t.tree.viewport(), start + QPoint(-1, -1));
    EXPECT_FALSE(t.tree.TreeStates().Contains(TLazyTreeState::tsDrawSelecting));
    QTest::mouseMove(t.tree.viewport(), QPoint(20, 25));
    EXPECT_TRUE(t.tree.TreeStates().Contains(TLazyTreeState::tsDrawSelecting));
    QTest::mouseRelease(t.tree.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 25));
    EXPECT_FALSE(t.tree.Selected(n[0]));
    EXPECT_TRUE(t.tree.Selected(n[1]));
    EXPECT_TRUE(t.tree.Selected(n[2]));
    EXPECT_FALSE(t.tree.Selected(n[3]));
    EXPECT_FALSE(t.tree.IsMouseSelecting());
}

TEST(LazyTreeMouse, RubberBandWithCtrlTogglesAndEscapeEndsIt) {
    InputTree t;
    t.texts = {"A", "B", "C", "D"};
    for (int i = 0; i < 4; ++i) t.tree.AddChild(nullptr);
    t.tree.TreeOptions().SetSelectionOptions(t.tree.TreeOptions().SelectionOptions() + toMultiSelect);
    std::vector<PLazyNode> n;
    for (PLazyNode x = t.tree.GetFirst(); x; x = x->NextSibling) n.push_back(x);
    t.tree.SetSelected(n[1], true);
    t.tree.SetSelected(n[3], true);
    auto band = [&](QPoint from, QPoint to, Qt::KeyboardModifiers mods) {
        QTest::mousePress(t.tree.viewport(), Qt::LeftButton, mods, from);
        QMouseEvent move(QEvent::MouseMove, to, t.tree.viewport()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         mods);
        QApplication::sendEvent(t.tree.viewport(), &move);
    };
    // Over rows 0 to 2 with Ctrl: the touched ones flip, the untouched keep their state.
    band(QPoint(200, 5), QPoint(20, 45), Qt::ControlModifier);
    ASSERT_TRUE(t.tree.TreeStates().Contains(TLazyTreeState::tsDrawSelecting));
    QTest::mouseRelease(t.tree.viewport(), Qt::LeftButton, Qt::ControlModifier, QPoint(20, 45));
    EXPECT_TRUE(t.tree.Selected(n[0]));
    EXPECT_FALSE(t.tree.Selected(n[1]));
    EXPECT_TRUE(t.tree.Selected(n[2]));
    EXPECT_TRUE(t.tree.Selected(n[3]));
    // Escape ends a band: the mouse no longer selects.
    band(QPoint(200, 70), QPoint(20, 5), Qt::NoModifier);
    ASSERT_TRUE(t.tree.IsMouseSelecting());
    QTest::keyClick(&t.tree, Qt::Key_Escape);
    EXPECT_FALSE(t.tree.IsMouseSelecting());
    const QPoint back(20, 40);
    QMouseEvent move(QEvent::MouseMove, back, t.tree.viewport()->mapToGlobal(back), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(t.tree.viewport(), &move);
    EXPECT_FALSE(t.tree.IsMouseSelecting());
    QTest::mouseRelease(t.tree.viewport(), Qt::LeftButton, Qt::NoModifier, back);
}

// ---- Keyboard ----

namespace {

struct Beeps final : plat::BeepService {
    int count = 0;
    void beep(unsigned) override { ++count; }
};

void Key(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(w, &release);
}

}  // namespace

TEST(LazyTreeKeyboard, IncrementalSearch) {
    InputTree t;
    Beeps beeps;
    plat::setBeepService(&beeps);
    t.texts = {"Alpha", "Beta", "Bravo", "Charlie"};
    for (int i = 0; i < 4; ++i) t.tree.AddChild(nullptr);
    std::vector<PLazyNode> n;
    for (PLazyNode x = t.tree.GetFirst(); x; x = x->NextSibling) n.push_back(x);
    t.tree.SetIncrementalSearch(TLTIncrementalSearch::isAll);
    t.tree.SetSelected(n[0], true);
    t.tree.SetFocusedNode(n[0]);
    Key(&t.tree, Qt::Key_B, Qt::NoModifier, "b");
    EXPECT_EQ(t.tree.FocusedNode(), n[1]);
    EXPECT_TRUE(t.tree.Selected(n[1]));
    Key(&t.tree, Qt::Key_B, Qt::NoModifier, "b");  // a repeated letter cycles
    EXPECT_EQ(t.tree.FocusedNode(), n[2]);
    EXPECT_EQ(t.tree.SearchBuffer, "b");
    // Spelling on.
    t.tree.SetIncrementalSearch(TLTIncrementalSearch::isNone);
    t.tree.SetIncrementalSearch(TLTIncrementalSearch::isAll);
    t.tree.SetFocusedNode(n[0]);
    Key(&t.tree, Qt::Key_B, Qt::NoModifier, "b");
    Key(&t.tree, Qt::Key_R, Qt::NoModifier, "r");
    EXPECT_EQ(t.tree.FocusedNode(), n[2]);
    EXPECT_EQ(t.tree.SearchBuffer, "br");
    // After the timeout a key starts a new search: "c" finds Charlie, not "brc".
    TLazyTreeCore& core = t.tree;
    core.TimerExpired(7);
    EXPECT_TRUE(t.tree.SearchBuffer.isEmpty());
    Key(&t.tree, Qt::Key_C, Qt::NoModifier, "c");
    EXPECT_EQ(t.tree.FocusedNode(), n[3]);
    EXPECT_EQ(t.tree.SearchBuffer, "c");
    core.TimerExpired(7);
    t.tree.SetFocusedNode(n[0]);
    Key(&t.tree, Qt::Key_B, Qt::NoModifier, "b");
    Key(&t.tree, Qt::Key_R, Qt::NoModifier, "r");
    ASSERT_EQ(t.tree.SearchBuffer, "br");
    // No match: a beep, nothing else changes.
    Key(&t.tree, Qt::Key_X, Qt::NoModifier, "x");
    EXPECT_EQ(beeps.count, 1);
    EXPECT_EQ(t.tree.FocusedNode(), n[2]);
    EXPECT_EQ(t.tree.SearchBuffer, "br");
    // Backspace shortens the buffer and searches backwards.
    Key(&t.tree, Qt::Key_Backspace, Qt::NoModifier, QString(QChar(8)));
    EXPECT_EQ(t.tree.SearchBuffer, "b");
    EXPECT_EQ(t.tree.FocusedNode(), n[1]);
    // isNone does nothing.
    t.tree.SetIncrementalSearch(TLTIncrementalSearch::isNone);
    Key(&t.tree, Qt::Key_C, Qt::NoModifier, "c");
    EXPECT_EQ(t.tree.FocusedNode(), n[1]);
    plat::setBeepService(nullptr);
}

TEST(LazyTreeKeyboard, SpacePressesOnKeyDownAndAppliesOnKeyUp) {
    InputTree t(true);
    t.texts = {"A", "B"};
    PLazyNode a = t.tree.AddChild(nullptr);
    t.tree.AddChild(nullptr);
    t.tree.ValidateNode(nullptr, true);
    a->CheckType = TCheckType::ctCheckBox;
    t.tree.SetFocusedNode(a);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QApplication::sendEvent(&t.tree, &down);
    EXPECT_EQ(a->CheckState, TCheckState::csUncheckedPressed);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ");
    QApplication::sendEvent(&t.tree, &up);
    EXPECT_EQ(a->CheckState, TCheckState::csCheckedNormal);
    // Another key in between restores the box.
    QApplication::sendEvent(&t.tree, &down);
    EXPECT_EQ(a->CheckState, TCheckState::csCheckedPressed);
    Key(&t.tree, Qt::Key_Escape);
    EXPECT_EQ(a->CheckState, TCheckState::csCheckedNormal);
    QApplication::sendEvent(&t.tree, &up);
    EXPECT_EQ(a->CheckState, TCheckState::csCheckedNormal);
}

TEST(LazyTreeKeyboard, AHeldSpaceTogglesTheBoxOnceOnTheRealRelease) {
    InputTree t(true);
    t.texts = {"A"};
    PLazyNode a = t.tree.AddChild(nullptr);
    t.tree.ValidateNode(nullptr, true);
    a->CheckType = TCheckType::ctCheckBox;
    t.tree.SetFocusedNode(a);
    t.Log();
    auto send = [&](QEvent::Type type, bool repeat) {
        QKeyEvent e(type, Qt::Key_Space, Qt::NoModifier, " ", repeat);
        QApplication::sendEvent(&t.tree, &e);
    };
    // The key goes down, repeats four times (a release and a press each), then comes up.
    send(QEvent::KeyPress, false);
    for (int i = 0; i < 4; ++i) {
        send(QEvent::KeyRelease, true);
        send(QEvent::KeyPress, true);
        EXPECT_EQ(a->CheckState, TCheckState::csUncheckedPressed) << i;
    }
    send(QEvent::KeyRelease, false);
    EXPECT_EQ(a->CheckState, TCheckState::csCheckedNormal);
    EXPECT_EQ(t.log.filter("Checked"), QStringList({"Checked(0)"}));
}

TEST(LazyTreeKeyboard, DeletingANodeForgetsEveryReferenceTheTreeKeepsToIt) {
    // Each reference is made to point at node 1, the node is deleted, and then the tree is driven
    // the way that would follow the reference (the sanitizer sees any read of the freed node).
    struct Case {
        const char* name;
        std::function<void(InputTree&, PLazyNode)> arm;
        std::function<void(InputTree&)> follow;
    };
    const Case cases[] = {
        {"last incremental-search hit",
         [](InputTree& t, PLazyNode) {
             t.tree.IncrementalSearchStart = TLTSearchStart::ssLastHit;
             t.tree.SetIncrementalSearch(TLTIncrementalSearch::isAll);
             Key(&t.tree, Qt::Key_B, Qt::NoModifier, "b");
             ASSERT_EQ(t.tree.FocusedNode()->Index, 1u);
         },
         [](InputTree& t) {
             // The next letter inside the time-out searches from the start again.
             Key(&t.tree, Qt::Key_R, Qt::NoModifier, "r");
             ASSERT_NE(t.tree.FocusedNode(), nullptr);
             EXPECT_EQ(t.tree.Text(t.tree.FocusedNode()), "Bravo");
         }},
        {"box pressed by Space",
         [](InputTree& t, PLazyNode n) {
             t.tree.SetFocusedNode(n);
             QKeyEvent down(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
             QApplication::sendEvent(&t.tree, &down);
             ASSERT_EQ(n->CheckState, TCheckState::csUncheckedPressed);
         },
         [](InputTree& t) {
             QKeyEvent up(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ");
             QApplication::sendEvent(&t.tree, &up);
             EXPECT_FALSE(t.tree.TreeStates().Contains(TLazyTreeState::tsKeyCheckPending));
             EXPECT_TRUE(t.log.filter("Checked").isEmpty());
         }},
        {"box pressed by the mouse",
         [](InputTree& t, PLazyNode n) {
             QTest::mousePress(t.tree.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(30, 27));
             ASSERT_EQ(n->CheckState, TCheckState::csUncheckedPressed);
         },
         [](InputTree& t) {
             QTest::mouseRelease(t.tree.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(30, 27));
             EXPECT_FALSE(t.tree.TreeStates().Contains(TLazyTreeState::tsMouseCheckPending));
             EXPECT_TRUE(t.log.filter("Checked").isEmpty());
         }},
        {"hot node",
         [](InputTree& t, PLazyNode n) {
             t.tree.TreeOptions().SetPaintOptions(t.tree.TreeOptions().PaintOptions() + toHotTrack);
             const QPoint p = t.TextOf(n);
             QMouseEvent e(QEvent::MouseMove, p, t.tree.viewport()->mapToGlobal(p), Qt::NoButton, Qt::NoButton,
                           Qt::NoModifier);
             QApplication::sendEvent(t.tree.viewport(), &e);
             ASSERT_EQ(t.tree.HotNode(), n);
         },
         [](InputTree& t) { EXPECT_EQ(t.tree.HotNode(), nullptr); }},
        {"row whose height is dragged",
         [](InputTree& t, PLazyNode) {
             t.tree.TreeOptions().SetMiscOptions(t.tree.TreeOptions().MiscOptions() + toNodeHeightResize);
             t.tree.OnCanSplitterResizeNode = [](TBaseLazyTree*, QPoint, PLazyNode, TColumnIndex, bool& allowed) {
                 allowed = true;
             };
             // The lower border of row 1.
             QTest::mousePress(t.tree.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 34));
             ASSERT_TRUE(t.tree.TreeStates().Contains(TLazyTreeState::tsNodeHeightTrackPending));
         },
         [](InputTree& t) {
             const QPoint to(100, 60);
             QMouseEvent move(QEvent::MouseMove, to, t.tree.viewport()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                              Qt::NoModifier);
             QApplication::sendEvent(t.tree.viewport(), &move);
             QTest::mouseRelease(t.tree.viewport(), Qt::LeftButton, Qt::NoModifier, to);
             for (PLazyNode n = t.tree.GetFirst(); n; n = n->NextSibling) EXPECT_EQ(t.tree.NodeHeight(n), 18u);
         }},
        {"focused node and range anchor",
         [](InputTree& t, PLazyNode n) {
             t.tree.TreeOptions().SetSelectionOptions(t.tree.TreeOptions().SelectionOptions() + toMultiSelect);
             t.Click(t.TextOf(n));
             ASSERT_EQ(t.tree.RangeAnchor(), n);
         },
         [](InputTree& t) {
             EXPECT_EQ(t.tree.FocusedNode(), nullptr);
             EXPECT_EQ(t.tree.RangeAnchor(), nullptr);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InputTree t(true);
        t.texts = {"Alpha", "Beta", "Bravo", "Charlie"};
        for (int i = 0; i < 4; ++i) t.tree.AddChild(nullptr);
        t.tree.ValidateNode(nullptr, true);
        std::vector<PLazyNode> n;
        for (PLazyNode x = t.tree.GetFirst(); x; x = x->NextSibling) {
            x->CheckType = TCheckType::ctCheckBox;
            n.push_back(x);
        }
        t.Log();
        c.arm(t, n[1]);
        t.log.clear();
        // The texts follow the nodes' places.
        t.texts = {"Alpha", "Bravo", "Charlie"};
        t.tree.DeleteNode(n[1]);
        c.follow(t);
        t.tree.OnCanSplitterResizeNode = nullptr;
    }
}

TEST(LazyTreeKeyboard, NavigationRules) {
    InputTree t;
    t.texts = {"A", "B", "C", "D"};
    for (int i = 0; i < 4; ++i) t.tree.AddChild(nullptr);
    std::vector<PLazyNode> n;
    for (PLazyNode x = t.tree.GetFirst(); x; x = x->NextSibling) n.push_back(x);
    PLazyNode child = t.tree.AddChild(n[1]);
    // Ctrl+A only with multi-select.
    Key(&t.tree, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(t.tree.SelectedCount(), 0u);
    t.tree.TreeOptions().SetSelectionOptions(t.tree.TreeOptions().SelectionOptions() + toMultiSelect);
    Key(&t.tree, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(t.tree.SelectedCount(), 4u);
    // Plain Down moves focus and the single selection.
    t.tree.ClearSelection();
    t.tree.SetFocusedNode(n[0]);
    Key(&t.tree, Qt::Key_Down);
    EXPECT_EQ(t.tree.FocusedNode(), n[1]);
    EXPECT_EQ(t.tree.SelectedCount(), 1u);
    EXPECT_TRUE(t.tree.Selected(n[1]));
    // Shift+Down extends, Shift+Up back over the anchor shrinks.
    Key(&t.tree, Qt::Key_Down, Qt::ShiftModifier);
    Key(&t.tree, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(t.tree.SelectedCount(), 3u);
    Key(&t.tree, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(t.tree.SelectedCount(), 2u);
    EXPECT_FALSE(t.tree.Selected(n[3]));
    // Ctrl+Home only scrolls.
    PLazyNode focused = t.tree.FocusedNode();
    Key(&t.tree, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(t.tree.FocusedNode(), focused);
    EXPECT_EQ(t.tree.SelectedCount(), 2u);
    // Right expands, Right again goes to the child; Left goes up, Left again collapses.
    t.tree.SetFocusedNode(n[1]);
    Key(&t.tree, Qt::Key_Right);
    EXPECT_TRUE(t.tree.Expanded(n[1]));
    Key(&t.tree, Qt::Key_Right);
    EXPECT_EQ(t.tree.FocusedNode(), child);
    Key(&t.tree, Qt::Key_Left);
    EXPECT_EQ(t.tree.FocusedNode(), n[1]);
    Key(&t.tree, Qt::Key_Left);
    EXPECT_FALSE(t.tree.Expanded(n[1]));
    // "*" from the main keyboard expands the focused subtree.
    Key(&t.tree, Qt::Key_Asterisk, Qt::ShiftModifier, "*");
    EXPECT_TRUE(t.tree.Expanded(n[1]));
}

TEST(LazyTreeKeyboard, InAnEmptyTreeNavigationKeysOnlyArmTheSearch) {
    InputTree t;
    t.tree.SetIncrementalSearch(TLTIncrementalSearch::isAll);
    int armed = 0;
    t.tree.OnStateChange = [&](TLazyTreeCore*, TLazyTreeStates enter, TLazyTreeStates) {
        if (enter.Contains(TLazyTreeState::tsIncrementalSearchPending)) ++armed;
    };
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Home, Qt::Key_PageDown}) Key(&t.tree, key);
    EXPECT_EQ(armed, 4);
    for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Tab}) Key(&t.tree, key);
    EXPECT_EQ(armed, 4);  // control characters do nothing
    EXPECT_EQ(t.tree.FocusedNode(), nullptr);
    EXPECT_EQ(t.tree.OffsetY(), 0);
    t.tree.OnStateChange = nullptr;
}

TEST(LazyTreeMouse, RightReleaseOpensTheMenuAskedUpTheAncestors) {
    InputTree t;
    t.texts = {"Meter"};
    PLazyNode meter = t.tree.AddChild(nullptr);
    PLazyNode value = t.tree.AddChild(meter);
    t.tree.SetExpanded(meter, true);
    QMenu menu;
    menu.addAction(QStringLiteral("Remove"));
    std::vector<PLazyNode> asked;
    t.tree.OnGetPopupMenu = [&](TBaseLazyTree*, PLazyNode n, TColumnIndex, QPoint, bool&, QMenu*& m) {
        asked.push_back(n);
        if (n == meter) m = &menu;
    };
    QTest::mouseClick(t.tree.viewport(), Qt::RightButton, Qt::NoModifier, t.TextOf(value));
    EXPECT_EQ(asked, (std::vector<PLazyNode>{value, meter}));
    EXPECT_TRUE(menu.isVisible());
    menu.close();
    // Without a node the tree is asked once with nil.
    asked.clear();
    QTest::mouseClick(t.tree.viewport(), Qt::RightButton, Qt::NoModifier, QPoint(100, 150));
    EXPECT_EQ(asked, (std::vector<PLazyNode>{nullptr}));
}

TEST(LazyTreeMouse, WheelPanningScrollsBeyondTheDeadZone) {
    InputTree t;
    t.texts = {};
    t.tree.SetRootNodeCount(200);
    t.tree.TreeOptions().SetMiscOptions(t.tree.TreeOptions().MiscOptions() + toWheelPanning);
    t.tree.UpdateScrollBars(true);
    const QPoint origin(100, 60);
    auto middle = [&](QEvent::Type type, QPoint at) {
        QMouseEvent e(type, at, t.tree.viewport()->mapToGlobal(at), Qt::MiddleButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MiddleButton, Qt::NoModifier);
        QApplication::sendEvent(t.tree.viewport(), &e);
    };
    middle(QEvent::MouseButtonPress, origin);
    ASSERT_TRUE(t.tree.IsPanning());
    ASSERT_NE(t.tree.PanningWindow(), nullptr);
    EXPECT_EQ(t.tree.PanningWindow()->size(), QSize(32, 32));
    EXPECT_EQ(t.tree.PanningCursorName(), "LT_MOVENS");  // only vertical room
    // Released without a move: panning goes on.
    middle(QEvent::MouseButtonRelease, origin);
    EXPECT_TRUE(t.tree.IsPanning());
    // 40 pixels below the origin: 32 pixels a tick.
    const QPoint below = origin + QPoint(0, 40);
    t.tree.CursorPosSource = [&] { return below; };
    QMouseEvent move(QEvent::MouseMove, below, t.tree.viewport()->mapToGlobal(below), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(t.tree.viewport(), &move);
    EXPECT_EQ(t.tree.PanningCursorName(), "LT_MOVES");
    TLazyTreeCore& core = t.tree;
    core.TimerExpired(4);
    EXPECT_EQ(t.tree.OffsetY(), -32);
    core.TimerExpired(4);
    EXPECT_EQ(t.tree.OffsetY(), -64);
    // Inside the dead zone nothing moves.
    const QPoint near = origin + QPoint(0, 6);
    t.tree.CursorPosSource = [&] { return near; };
    QMouseEvent stay(QEvent::MouseMove, near, t.tree.viewport()->mapToGlobal(near), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(t.tree.viewport(), &stay);
    core.TimerExpired(4);
    EXPECT_EQ(t.tree.OffsetY(), -64);
    // The next press ends it.
    middle(QEvent::MouseButtonPress, origin);
    EXPECT_FALSE(t.tree.IsPanning());
    EXPECT_EQ(t.tree.PanningWindow(), nullptr);
    middle(QEvent::MouseButtonRelease, origin);
}

TEST(LazyTreeMouse, WheelPanningCursorsFollowTheDirection) {
    InputTree t;
    t.texts = {QString(120, u'W')};  // wide enough to scroll sideways too
    t.tree.SetRootNodeCount(200);
    t.tree.TreeOptions().SetMiscOptions(t.tree.TreeOptions().MiscOptions() + toWheelPanning);
    t.tree.UpdateScrollBars(true);
    ASSERT_GT(t.tree.RangeX(), t.tree.viewport()->width());
    const QPoint origin(150, 100);
    auto middle = [&](QEvent::Type type, QPoint at) {
        QMouseEvent e(type, at, t.tree.viewport()->mapToGlobal(at), Qt::MiddleButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MiddleButton, Qt::NoModifier);
        QApplication::sendEvent(t.tree.viewport(), &e);
    };
    middle(QEvent::MouseButtonPress, origin);
    middle(QEvent::MouseButtonRelease, origin);
    ASSERT_TRUE(t.tree.IsPanning());
    EXPECT_EQ(t.tree.PanningCursorName(), "LT_MOVEALL");
    const struct {
        int dx, dy;
        const char* cursor;
    } cases[] = {
        {0, 40, "LT_MOVES"},    {0, -40, "LT_MOVEN"},   {40, 0, "LT_MOVEE"},    {-40, 0, "LT_MOVEW"},
        {40, 40, "LT_MOVESE"},  {-40, -40, "LT_MOVENW"}, {40, -40, "LT_MOVENE"}, {-40, 40, "LT_MOVESW"},
        {5, 5, "LT_MOVEALL"},
    };
    for (const auto& c : cases) {
        const QPoint at = origin + QPoint(c.dx, c.dy);
        QMouseEvent move(QEvent::MouseMove, at, t.tree.viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(t.tree.viewport(), &move);
        EXPECT_EQ(t.tree.PanningCursorName(), c.cursor) << c.dx << "," << c.dy;
    }
    middle(QEvent::MouseButtonPress, origin);
    EXPECT_FALSE(t.tree.IsPanning());
    middle(QEvent::MouseButtonRelease, origin);
}

// ---- Editing ----

namespace {

struct EditTree : InputTree {
    std::map<PLazyNode, QString> stored;
    QStringList events;
    EditTree() {
        tree.TreeOptions().SetMiscOptions(tree.TreeOptions().MiscOptions() + toEditable);
        tree.OnGetText = [this](TCustomLazyStringTree*, PLazyNode n, TColumnIndex, TVSTTextType type, QString& text) {
            if (type == TVSTTextType::ttNormal) text = stored.count(n) ? stored[n] : QStringLiteral("Node %1").arg(n->Index);
        };
        tree.OnNewText = [this](TCustomLazyStringTree*, PLazyNode n, TColumnIndex, const QString& text) {
            stored[n] = text;
            events << "NewText(" + text + ")";
        };
        tree.OnEdited = [this](TBaseLazyTree*, PLazyNode, TColumnIndex) { events << "Edited"; };
        tree.OnEditCancelled = [this](TBaseLazyTree*, TColumnIndex) { events << "EditCancelled"; };
        tree.activateWindow();
        tree.setFocus();
        QApplication::processEvents();
    }
    ~EditTree() {
        tree.OnEdited = nullptr;
        tree.OnEditCancelled = nullptr;
        tree.OnNewText = nullptr;
        tree.OnGetText = nullptr;
    }
    QWidget* Editor() { return tree.IsEditing() ? static_cast<TStringEditLink*>(tree.EditLink().get())->Edit() : nullptr; }
};

}  // namespace

TEST(LazyTreeEdit, StartingRules) {
    EditTree t;
    PLazyNode a = t.tree.AddChild(nullptr);
    PLazyNode b = t.tree.AddChild(nullptr);
    ASSERT_TRUE(t.tree.EditNode(a, NoColumn));
    QWidget* first = t.Editor();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(t.tree.EditNode(b, NoColumn));  // already editing: no second editor
    EXPECT_EQ(t.Editor(), first);
    EXPECT_EQ(t.tree.FocusedNode(), a);
    EXPECT_TRUE(t.tree.CancelEditNode());
    // Read-only refuses; OnEditing may allow with toEditable off.
    t.tree.TreeOptions().SetMiscOptions(t.tree.TreeOptions().MiscOptions() + toReadOnly);
    EXPECT_FALSE(t.tree.EditNode(a, NoColumn));
    t.tree.TreeOptions().SetMiscOptions(t.tree.TreeOptions().MiscOptions() - toReadOnly - toEditable);
    EXPECT_FALSE(t.tree.EditNode(a, NoColumn));
    t.tree.OnEditing = [](TBaseLazyTree*, PLazyNode, TColumnIndex, bool& allowed) { allowed = true; };
    EXPECT_TRUE(t.tree.EditNode(a, NoColumn));
    EXPECT_THROW(t.tree.EditNode(nullptr, NoColumn), ELazyTreeAssertion);
}

TEST(LazyTreeEdit, EscapeCancelsEnterAcceptsTabMovesOn) {
    EditTree t;
    PLazyNode a = t.tree.AddChild(nullptr);
    PLazyNode b = t.tree.AddChild(nullptr);
    ASSERT_TRUE(t.tree.EditNode(a, NoColumn));
    QTest::keyClicks(t.Editor(), "xyz");
    QTest::keyClick(t.Editor(), Qt::Key_Escape);
    EXPECT_EQ(t.events, QStringList({"EditCancelled"}));
    EXPECT_FALSE(t.tree.IsEditing());
    EXPECT_EQ(t.tree.Text(a), "Node 0");
    // Enter on an unchanged text: only OnEdited.
    t.events.clear();
    ASSERT_TRUE(t.tree.EditNode(a, NoColumn));
    QTest::keyClick(t.Editor(), Qt::Key_Return);
    EXPECT_EQ(t.events, QStringList({"Edited"}));
    // A changed text is written back.
    t.events.clear();
    ASSERT_TRUE(t.tree.EditNode(a, NoColumn));
    QTest::keyClicks(t.Editor(), "Meter");
    QTest::keyClick(t.Editor(), Qt::Key_Return);
    EXPECT_EQ(t.events, QStringList({"NewText(Meter)", "Edited"}));
    // Tab on the last visible node ends the edit and leaves no focused node.
    ASSERT_TRUE(t.tree.EditNode(b, NoColumn));
    QTest::keyClick(t.Editor(), Qt::Key_Tab);
    EXPECT_FALSE(t.tree.IsEditing());
    EXPECT_EQ(t.tree.FocusedNode(), nullptr);
    QApplication::processEvents();  // the released editors go
}

TEST(LazyTreeEdit, DeletingTheEditedNodeEndsTheEditAndTheFocus) {
    // An editor that refuses to end, and one that refuses to be cancelled as well.
    struct Stubborn : ILTEditLink {
        bool cancels;
        int ends = 0, cancelled = 0;
        explicit Stubborn(bool Cancels) : cancels(Cancels) {}
        bool BeginEdit() override { return true; }
        bool CancelEdit() override {
            ++cancelled;
            return cancels;
        }
        bool EndEdit() override {
            ++ends;
            return false;
        }
        bool PrepareEdit(TBaseLazyTree*, PLazyNode, TColumnIndex) override { return true; }
        TRect GetBounds() override { return {}; }
        void SetBounds(TRect) override {}
    };
    for (bool cancels : {true, false}) {
        SCOPED_TRACE(cancels ? "cancelled" : "refuses both");
        EditTree t;
        auto link = std::make_shared<Stubborn>(cancels);
        t.tree.OnCreateEditor = [&](TBaseLazyTree*, PLazyNode, TColumnIndex, PLTEditLink& l) { l = link; };
        PLazyNode a = t.tree.AddChild(nullptr);
        PLazyNode b = t.tree.AddChild(nullptr);
        PLazyNode child = t.tree.AddChild(b);
        ASSERT_TRUE(t.tree.EditNode(a, NoColumn));
        EXPECT_FALSE(t.tree.EndEditNode());
        t.tree.DeleteNode(a);
        EXPECT_EQ(t.tree.FocusedNode(), nullptr);
        EXPECT_FALSE(t.tree.IsEditing());
        EXPECT_EQ(t.tree.EditLink(), nullptr);
        EXPECT_EQ(link->cancelled, 1);
        EXPECT_EQ(t.events, cancels ? QStringList({"EditCancelled"}) : QStringList());
        // The same when the edited node goes with its parent.
        ASSERT_TRUE(t.tree.EditNode(child, NoColumn));
        t.tree.DeleteNode(b);
        EXPECT_EQ(t.tree.FocusedNode(), nullptr);
        EXPECT_FALSE(t.tree.IsEditing());
        t.tree.OnCreateEditor = nullptr;
    }
}

TEST(LazyTreeEdit, TheEditorGrowsWithTheText) {
    EditTree t;
    PLazyNode a = t.tree.AddChild(nullptr);
    t.stored[a] = QString();
    ASSERT_TRUE(t.tree.EditNode(a, NoColumn));
    QWidget* e = t.Editor();
    EXPECT_GE(e->width(), 30);
    QTest::keyClicks(e, "Energy");
    const QFontMetrics m(e->font());
    EXPECT_EQ(e->width(), m.horizontalAdvance(QStringLiteral("EnergyyG")) + 2 * t.tree.TextMargin());
    QTest::keyClicks(e, QString(200, u'W'));
    EXPECT_LE(e->geometry().right() + 1, t.tree.viewport()->width());
    t.tree.CancelEditNode();
}

TEST(LazyTreeEdit, MultilineEnterBreaksTheLineCtrlEnterAccepts) {
    EditTree t;
    PLazyNode a = t.tree.AddChild(nullptr);
    t.tree.SetMultiLine(a, true);
    t.stored[a] = QStringLiteral("one");
    ASSERT_TRUE(t.tree.EditNode(a, NoColumn));
    auto* memo = qobject_cast<QPlainTextEdit*>(t.Editor());
    ASSERT_NE(memo, nullptr);
    memo->moveCursor(QTextCursor::End);
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, "two");
    EXPECT_TRUE(t.tree.IsEditing());
    QTest::keyClick(memo, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_FALSE(t.tree.IsEditing());
    EXPECT_EQ(t.stored[a], "one\ntwo");
}

TEST(LazyTreeEdit, FocusLossAcceptsOrCancels) {
    for (bool accept : {true, false}) {
        EditTree t;
        QLineEdit other(t.tree.window());
        other.show();
        auto options = t.tree.StringTreeOptions().StringOptions();
        if (accept)
            options += TLTStringOption::toAutoAcceptEditChange;
        else
            options -= TLTStringOption::toAutoAcceptEditChange;
        t.tree.StringTreeOptions().SetStringOptions(options);
        PLazyNode a = t.tree.AddChild(nullptr);
        ASSERT_TRUE(t.tree.EditNode(a, NoColumn));
        QTest::keyClicks(t.Editor(), "Changed");
        QWidget* editor = t.Editor();
        QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
        QApplication::sendEvent(editor, &out);
        EXPECT_FALSE(t.tree.IsEditing()) << accept;
        EXPECT_EQ(t.events.contains("Edited"), accept);
        EXPECT_EQ(t.events.contains("EditCancelled"), !accept);
    }
}

TEST(LazyTreeEdit, ClicksAndPendingEdits) {
    EditTree t;
    t.tree.TreeOptions().SetMiscOptions(t.tree.TreeOptions().MiscOptions() + toEditOnClick);
    PLazyNode a = t.tree.AddChild(nullptr);
    t.Click(t.TextOf(a));  // selects and focuses
    t.Click(t.TextOf(a));  // a click on the selected node: the edit waits for the delay
    EXPECT_TRUE(t.tree.TreeStates().Contains(TLazyTreeState::tsEditPending));
    EXPECT_FALSE(t.tree.IsEditing());
    // Ending with only a pending edit answers False and clears it.
    EXPECT_FALSE(t.tree.EndEditNode());
    EXPECT_FALSE(t.tree.TreeStates().Contains(TLazyTreeState::tsEditPending));
    // Again, and let the delay pass: the edit starts.
    t.Click(t.TextOf(a));
    ASSERT_TRUE(t.tree.TreeStates().Contains(TLazyTreeState::tsEditPending));
    TLazyTreeCore& core = t.tree;
    core.TimerExpired(2);
    EXPECT_TRUE(t.tree.IsEditing());
    t.tree.CancelEditNode();
}

TEST(LazyTreeEdit, ADoubleClickOnTheFocusedNodeEditsAtOnce) {
    EditTree t;
    t.tree.TreeOptions().SetMiscOptions(t.tree.TreeOptions().MiscOptions() + toEditOnDblClick - toToggleOnDblClick);
    PLazyNode a = t.tree.AddChild(nullptr);
    t.Click(t.TextOf(a));
    QMouseEvent dbl(QEvent::MouseButtonDblClick, t.TextOf(a), t.tree.viewport()->mapToGlobal(t.TextOf(a)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(t.tree.viewport(), &dbl);
    // The edit timer is set to 0 ms: it fires with the next pass of the event loop.
    EXPECT_TRUE(t.tree.TreeStates().Contains(TLazyTreeState::tsEditPending));
    QApplication::processEvents();
    EXPECT_TRUE(t.tree.IsEditing());
    t.tree.CancelEditNode();
}

TEST(LazyTreeMouse, RowBordersAreDraggedOnlyWhereAllowed) {
    InputTree t;
    t.texts = {"A", "B", "C"};
    for (int i = 0; i < 3; ++i) t.tree.AddChild(nullptr);
    t.tree.TreeOptions().SetMiscOptions(t.tree.TreeOptions().MiscOptions() + toNodeHeightResize);
    PLazyNode a = t.tree.GetFirst();
    auto drag = [&](QPoint from, QPoint to) {
        QTest::mousePress(t.tree.viewport(), Qt::LeftButton, Qt::NoModifier, from);
        QMouseEvent move(QEvent::MouseMove, to, t.tree.viewport()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(t.tree.viewport(), &move);
        QTest::mouseRelease(t.tree.viewport(), Qt::LeftButton, Qt::NoModifier, to);
    };
    // Without header columns nothing offers the border.
    drag(QPoint(100, 16), QPoint(100, 40));
    EXPECT_EQ(t.tree.NodeHeight(a), 18u);
    // The handler may offer it: the row follows the mouse, and the cursor over it is the split one.
    t.tree.OnCanSplitterResizeNode = [](TBaseLazyTree*, QPoint, PLazyNode, TColumnIndex, bool& allowed) {
        allowed = true;
    };
    QMouseEvent hover(QEvent::MouseMove, QPoint(100, 16), t.tree.viewport()->mapToGlobal(QPoint(100, 16)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(t.tree.viewport(), &hover);
    EXPECT_EQ(t.tree.viewport()->cursor().shape(), Qt::BitmapCursor);
    drag(QPoint(100, 16), QPoint(100, 40));
    EXPECT_EQ(t.tree.NodeHeight(a), 40u);
    EXPECT_FALSE(t.tree.TreeStates().Contains(TLazyTreeState::tsNodeHeightTracking));
    // The upper border of the second row is the first row's lower one.
    drag(QPoint(100, 41), QPoint(100, 30));
    EXPECT_EQ(t.tree.NodeHeight(a), 30u);
}

TEST(LazyTreeMouse, RubberBandRightToLeftTouchesTextsFromTheRight) {
    InputTree t;
    t.texts = {"A", "B", "C", "D"};
    for (int i = 0; i < 4; ++i) t.tree.AddChild(nullptr);
    t.tree.setLayoutDirection(Qt::RightToLeft);
    t.tree.TreeOptions().SetSelectionOptions(t.tree.TreeOptions().SelectionOptions() + toMultiSelect);
    std::vector<PLazyNode> n;
    for (PLazyNode x = t.tree.GetFirst(); x; x = x->NextSibling) n.push_back(x);
    const int w = t.tree.viewport()->width();
    // From empty space on the left, over rows 1 and 2 up to where the texts stand on the right.
    const QPoint start(10, 50);
    QTest::mousePress(t.tree.viewport(), Qt::LeftButton, Qt::NoModifier, start);
    const QPoint end(w - 30, 25);
    QMouseEvent move(QEvent::MouseMove, end, t.tree.viewport()->mapToGlobal(end), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(t.tree.viewport(), &move);
    QTest::mouseRelease(t.tree.viewport(), Qt::LeftButton, Qt::NoModifier, end);
    EXPECT_FALSE(t.tree.Selected(n[0]));
    EXPECT_TRUE(t.tree.Selected(n[1]));
    EXPECT_TRUE(t.tree.Selected(n[2]));
    EXPECT_FALSE(t.tree.Selected(n[3]));
    // A band that stays left of the texts touches none.
    t.tree.ClearSelection();
    QTest::mousePress(t.tree.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 50));
    const QPoint near(60, 25);
    QMouseEvent move2(QEvent::MouseMove, near, t.tree.viewport()->mapToGlobal(near), Qt::NoButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(t.tree.viewport(), &move2);
    QTest::mouseRelease(t.tree.viewport(), Qt::LeftButton, Qt::NoModifier, near);
    EXPECT_EQ(t.tree.SelectedCount(), 0u);
}

TEST(LazyTreeMouse, HotNodeCursorAndTheHandlersLastWord) {
    InputTree t;
    t.texts = {"Meter"};
    PLazyNode a = t.tree.AddChild(nullptr);
    t.tree.TreeOptions().SetPaintOptions(t.tree.TreeOptions().PaintOptions() + toHotTrack);
    t.tree.HotCursor = int(Qt::PointingHandCursor);
    auto hover = [&](QPoint p) {
        QMouseEvent e(QEvent::MouseMove, p, t.tree.viewport()->mapToGlobal(p), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(t.tree.viewport(), &e);
        return t.tree.viewport()->cursor().shape();
    };
    EXPECT_EQ(hover(t.TextOf(a)), Qt::PointingHandCursor);
    EXPECT_EQ(t.tree.HotNode(), a);
    EXPECT_EQ(hover(QPoint(150, 150)), Qt::ArrowCursor);
    EXPECT_EQ(t.tree.HotNode(), nullptr);
    t.tree.OnGetCursor = [](TBaseLazyTree*, QCursor& c) { c = QCursor(Qt::WaitCursor); };
    EXPECT_EQ(hover(t.TextOf(a)), Qt::WaitCursor);
}
