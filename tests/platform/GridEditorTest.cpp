// The string grid's in-place editor, sizing, moving and drag scrolling, driven through the real key
// and mouse paths of a shown, focused grid.
#include "platform/FormatSettings.h"
#include "platform/InplaceEdit.h"
#include "platform/StringGrid.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

using namespace plat;

namespace {

class EditGrid : public TStringGrid {
public:
    int setEditTexts = 0, colWidthsChanged = 0, rowHeightsChanged = 0;
    int limit = 0;
    std::vector<std::pair<int, int>> columnsMoved;
    bool allowShow = true;
    std::function<bool(QChar)> accept;
    std::function<void(const QString&)> onWrite;
    // Key routing: the keys that reached KeyDown, which then swallows them when `swallow` is set.
    bool swallow = false;
    std::vector<uint16_t> keyDowns;
    using TStringGrid::ScrollTimer;
    void WriteEditText(int c, int r, const QString& v) { TStringGrid::SetEditText(c, r, v); }

protected:
    bool CanEditShow() override { return allowShow && TStringGrid::CanEditShow(); }
    bool CanEditAcceptKey(QChar k) override { return accept ? accept(k) : true; }
    void SetEditText(int c, int r, const QString& v) override {
        ++setEditTexts;
        if (onWrite) onWrite(v);
        TStringGrid::SetEditText(c, r, v);
    }
    void ColWidthsChanged() override { ++colWidthsChanged; }
    void RowHeightsChanged() override { ++rowHeightsChanged; }
    int GetEditLimit() override { return limit; }
    void ColumnMoved(int from, int to) override {
        columnsMoved.emplace_back(from, to);
        TStringGrid::ColumnMoved(from, to);
    }
    void KeyDown(uint16_t& Key, TShiftState Shift) override {
        keyDowns.push_back(Key);
        if (swallow) {
            Key = 0;
            return;
        }
        TStringGrid::KeyDown(Key, Shift);
    }
};

// A shown, active window holding the grid, which has the focus.
struct Shown {
    QWidget window;
    EditGrid* g = new EditGrid;
    explicit Shown(int rows = 5, int cols = 5) {
        g->setParent(&window);
        g->SetBorderStyle(bsNone);
        g->SetScrollBars(ssNone);
        g->SetRowCount(rows);
        g->SetColCount(cols);
        g->SetOptions(g->Options().include(goEditing));
        g->resize(400, 25 * 8 + 3);
        window.show();
        EXPECT_TRUE(testing_support::waitForWindowActive(&window));
        g->setFocus();
    }
    QWidget* focus() const { return QApplication::focusWidget(); }
    void key(int k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(focus(), Qt::Key(k), m); }
    void type(const QString& s) {
        for (QChar c : s) QTest::keyClick(focus(), c.toLatin1());
    }
    QPoint centre(int c, int r) const {
        const TRect rc = g->CellRect(c, r);
        return {rc.Left + rc.Width() / 2, rc.Top + rc.Height() / 2};
    }
    void press(QPoint p) { QTest::mousePress(g->viewport(), Qt::LeftButton, {}, p); }
    void move(QPoint p) {
        QMouseEvent e(QEvent::MouseMove, p, g->viewport()->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(g->viewport(), &e);
    }
    void release(QPoint p) { QTest::mouseRelease(g->viewport(), Qt::LeftButton, {}, p); }
    TInplaceEdit* editor() const { return g->InplaceEditor(); }
};

}  // namespace

TEST(GridEditor, TypingOpensTheEditorEscDropsEnterWrites) {
    Shown s;
    EditGrid* g = s.g;
    g->SetCells(1, 1, QStringLiteral("old"));
    int onSet = 0;
    g->OnSetEditText = [&](QObject*, int, int, const QString&) { ++onSet; };

    s.type(QStringLiteral("x"));
    ASSERT_TRUE(g->EditorMode());
    ASSERT_NE(s.editor(), nullptr);
    EXPECT_TRUE(s.editor()->isVisible());
    EXPECT_EQ(s.focus(), s.editor());
    EXPECT_EQ(s.editor()->Text(), QStringLiteral("x"));
    EXPECT_EQ(s.editor()->CaretPos(), 1);
    EXPECT_EQ(s.editor()->geometry(), g->CellRect(1, 1).toQRect());

    s.key(Qt::Key_Escape);
    EXPECT_FALSE(g->EditorMode());
    EXPECT_FALSE(s.editor()->isVisible());
    EXPECT_EQ(g->Cells(1, 1), QStringLiteral("old"));
    EXPECT_EQ(s.focus(), g->viewport());
    EXPECT_EQ(g->setEditTexts, 0);

    s.type(QStringLiteral("yz"));
    s.key(Qt::Key_Return);
    EXPECT_FALSE(g->EditorMode());
    EXPECT_EQ(g->Cells(1, 1), QStringLiteral("yz"));
    EXPECT_EQ(g->setEditTexts, 1);
    EXPECT_EQ(onSet, 1);

    // F2 and Enter without a change write nothing; Enter opens, Enter closes.
    s.key(Qt::Key_F2);
    EXPECT_TRUE(g->EditorMode());
    EXPECT_EQ(s.editor()->Text(), QStringLiteral("yz"));
    EXPECT_EQ(s.editor()->SelLength(), 2);
    s.key(Qt::Key_Return);
    EXPECT_FALSE(g->EditorMode());
    s.key(Qt::Key_Return);
    EXPECT_TRUE(g->EditorMode());
    // F2 inside the editor only puts the caret at the end.
    s.key(Qt::Key_F2);
    EXPECT_TRUE(g->EditorMode());
    EXPECT_EQ(s.editor()->SelLength(), 0);
    EXPECT_EQ(s.editor()->CaretPos(), 2);
    s.key(Qt::Key_Escape);
    EXPECT_FALSE(g->EditorMode());
    EXPECT_EQ(g->setEditTexts, 1);

    // The writer stores only a change.
    g->WriteEditText(1, 1, QStringLiteral("yz"));
    EXPECT_EQ(onSet, 1);
    g->WriteEditText(1, 1, QStringLiteral("yz2"));
    EXPECT_EQ(onSet, 2);
}

// The character that opens the editor is its first keystroke: the grid's KeyPress sees it once and
// may change it, a refused one beeps once, and Backspace (a character too) empties the new edit.
TEST(GridEditor, TheCharacterThatOpensTheEditorTakesItsCharacterStepsOnce) {
    Shown s;
    EditGrid* g = s.g;
    testing_support::RecordingBeeps beeps;
    g->SetCells(1, 1, QStringLiteral("old"));
    g->SetCells(2, 1, QStringLiteral("old"));
    QString seen;
    g->OnKeyPress = [&](QObject*, QChar& c) {
        seen += c;
        if (c == u'q') c = u'Q';
    };
    g->accept = [](QChar c) { return c != u'!'; };
    s.type(QStringLiteral("!qz"));
    ASSERT_TRUE(g->EditorMode());
    EXPECT_EQ(s.editor()->Text(), QStringLiteral("Qz"));
    EXPECT_EQ(seen, QStringLiteral("!qz"));
    EXPECT_EQ(beeps.beeps.size(), 1u);
    s.key(Qt::Key_Return);
    EXPECT_EQ(g->Cells(1, 1), QStringLiteral("Qz"));

    s.key(Qt::Key_Right);
    s.key(Qt::Key_Backspace);
    ASSERT_TRUE(g->EditorMode());
    EXPECT_EQ(s.editor()->Text(), QString());
}

TEST(GridEditor, AClickThenKeysAtOnceLoseNothing) {
    Shown s;
    EditGrid* g = s.g;
    int enters = 0, exits = 0;
    g->OnEnter = [&](QObject*) { ++enters; };
    g->OnExit = [&](QObject*) { ++exits; };
    // A click on another cell, then typing at once: the first key opens the editor holding it.
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, s.centre(2, 3));
    s.type(QStringLiteral("abc"));
    EXPECT_EQ(s.editor()->Text(), QStringLiteral("abc"));
    // A click on the current cell opens the editor on its text; keys replace the selected text.
    s.key(Qt::Key_Return);
    EXPECT_EQ(g->Cells(2, 3), QStringLiteral("abc"));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, s.centre(2, 3));
    ASSERT_TRUE(g->EditorMode());
    s.type(QStringLiteral("de"));
    // A click elsewhere keeps the edit.
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, s.centre(3, 1));
    EXPECT_FALSE(g->EditorMode());
    EXPECT_EQ(g->Cells(2, 3), QStringLiteral("de"));
    EXPECT_EQ((TGridCoord{g->Col(), g->Row()}), (TGridCoord{3, 1}));
    // Focus moving between the cells and the editor neither enters nor leaves the grid.
    EXPECT_EQ(enters, 0);
    EXPECT_EQ(exits, 0);

    // Focus that leaves the grid ends the edit and keeps its text.
    auto* other = new QWidget(&s.window);
    other->setFocusPolicy(Qt::StrongFocus);
    other->show();
    s.type(QStringLiteral("gone"));
    ASSERT_TRUE(g->EditorMode());
    other->setFocus(Qt::MouseFocusReason);
    EXPECT_FALSE(g->EditorMode());
    EXPECT_EQ(g->Cells(3, 1), QStringLiteral("gone"));
    EXPECT_EQ(exits, 1);
}

TEST(GridEditor, CanEditShowFalseKeepsTheEditorHidden) {
    Shown s;
    EditGrid* g = s.g;
    g->allowShow = false;
    g->SetCells(1, 1, QStringLiteral("keep"));
    s.key(Qt::Key_F2);
    s.key(Qt::Key_Return);
    s.type(QStringLiteral("x"));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, s.centre(1, 1));
    EXPECT_FALSE(g->EditorMode());
    EXPECT_TRUE(s.editor() == nullptr || !s.editor()->isVisible());
    EXPECT_EQ(g->Cells(1, 1), QStringLiteral("keep"));
    EXPECT_EQ(s.focus(), g->viewport());
}

TEST(GridEditor, KeyForwarding) {
    struct Case {
        const char* name;
        int key;
        Qt::KeyboardModifiers mods;
        int caret;  // in "abc"
        bool always;
        bool toGrid;
        const char* text;  // afterwards
        int caretAfter;    // -1: not checked
    };
    const Case cases[] = {
        {"Up", Qt::Key_Up, {}, 1, false, true, "abc", 1},
        {"Down", Qt::Key_Down, {}, 1, false, true, "abc", 1},
        {"PgUp", Qt::Key_PageUp, {}, 1, false, true, "abc", 1},
        {"PgDn", Qt::Key_PageDown, {}, 1, false, true, "abc", 1},
        {"Esc", Qt::Key_Escape, {}, 1, false, true, "abc", -1},
        {"Tab", Qt::Key_Tab, {}, 1, false, true, "abc", 1},
        {"Alt+Tab stays", Qt::Key_Tab, Qt::AltModifier, 1, false, false, "abc", 1},
        {"Left inside", Qt::Key_Left, {}, 2, true, false, "abc", 1},
        {"Left at the start, always shown", Qt::Key_Left, {}, 0, true, true, "abc", 0},
        {"Left at the start", Qt::Key_Left, {}, 0, false, false, "abc", 0},
        {"Ctrl+Left inside, always shown", Qt::Key_Left, Qt::ControlModifier, 2, true, true, "abc", 2},
        {"Home inside, always shown", Qt::Key_Home, {}, 2, true, false, "abc", 0},
        {"Home at the start, always shown", Qt::Key_Home, {}, 0, true, true, "abc", 0},
        {"Right at the end, always shown", Qt::Key_Right, {}, 3, true, true, "abc", 3},
        {"Right at the end", Qt::Key_Right, {}, 3, false, false, "abc", 3},
        {"End inside, always shown", Qt::Key_End, {}, 1, true, false, "abc", 3},
        {"End at the end, always shown", Qt::Key_End, {}, 3, true, true, "abc", 3},
        {"Insert", Qt::Key_Insert, {}, 1, false, true, "abc", 1},
        {"Ctrl+Delete", Qt::Key_Delete, Qt::ControlModifier, 1, false, true, "abc", 1},
        {"Delete edits", Qt::Key_Delete, {}, 1, false, false, "ac", 1},
        {"Backspace edits", Qt::Key_Backspace, {}, 1, false, false, "bc", 0},
        {"a letter edits", Qt::Key_Q, {}, 1, false, false, "aqbc", 2},
        {"Enter: the text stays", Qt::Key_Return, {}, 1, false, false, "abc", -1},
    };
    Shown s;
    EditGrid* g = s.g;
    g->SetOptions(g->Options().include(goTabs));
    std::vector<uint16_t> onKeyDown;
    g->OnKeyDown = [&](QObject*, uint16_t& k, TShiftState) { onKeyDown.push_back(k); };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        g->SetOptions(k.always ? g->Options().include(goAlwaysShowEditor) : g->Options().exclude(goAlwaysShowEditor));
        g->SetCells(1, 1, QStringLiteral("abc"));
        g->FocusCell(1, 1, true);
        g->swallow = false;
        g->ShowEditor();
        ASSERT_TRUE(g->EditorMode());
        ASSERT_EQ(s.focus(), s.editor());
        s.editor()->Select(k.caret, k.caret);
        g->keyDowns.clear();
        onKeyDown.clear();
        g->swallow = true;
        s.key(k.key, k.mods);
        EXPECT_EQ(!g->keyDowns.empty(), k.toGrid);
        // A key the editor keeps fires the grid's OnKeyDown first.
        if (!k.toGrid && k.key != Qt::Key_Tab) EXPECT_EQ(onKeyDown.size(), 1u);
        EXPECT_EQ(s.editor()->EditText(), QString::fromLatin1(k.text));
        if (k.caretAfter >= 0) EXPECT_EQ(s.editor()->CaretPos(), k.caretAfter);
        g->swallow = false;
        if (g->EditorMode()) s.key(Qt::Key_Escape);
    }

    // A printable character the grid does not take beeps and leaves the text.
    testing_support::RecordingBeeps beeps;
    g->SetOptions(g->Options().exclude(goAlwaysShowEditor));
    g->accept = [](QChar c) { return !c.isDigit(); };
    g->ShowEditor();
    s.editor()->Select(3, 3);
    s.type(QStringLiteral("7"));
    EXPECT_EQ(s.editor()->EditText(), QStringLiteral("abc"));
    EXPECT_EQ(beeps.beeps, std::vector<unsigned>{0});
    s.type(QStringLiteral("d"));
    EXPECT_EQ(s.editor()->EditText(), QStringLiteral("abcd"));
}

TEST(GridEditor, OneEditorFollowsItsCellAndHidesOffScreen) {
    Shown s(100, 5);
    EditGrid* g = s.g;
    TInplaceEdit* first = nullptr;
    for (int r : {1, 2, 3}) {
        g->FocusCell(2, r, true);
        g->ShowEditor();
        ASSERT_TRUE(g->EditorMode());
        if (!first) first = s.editor();
        EXPECT_EQ(s.editor(), first);
        EXPECT_EQ(s.editor()->geometry(), g->CellRect(2, r).toQRect());
        g->HideEditor();
    }
    // The editor follows a width change and a scroll that keeps its cell, and a typed text
    // survives the scroll that takes its cell away.
    g->FocusCell(2, 5, true);
    g->ShowEditor();
    s.type(QStringLiteral("kept"));
    g->SetColWidths(1, 100);
    EXPECT_EQ(s.editor()->geometry(), g->CellRect(2, 5).toQRect());
    g->SetTopRow(3);
    EXPECT_TRUE(g->EditorMode());
    EXPECT_EQ(s.editor()->geometry(), g->CellRect(2, 5).toQRect());
    g->SetTopRow(40);
    EXPECT_FALSE(g->EditorMode());
    EXPECT_FALSE(s.editor()->isVisible());
    EXPECT_EQ(g->Cells(2, 5), QStringLiteral("kept"));
    g->SetTopRow(4);
    g->setFocus();
    g->ShowEditor();
    EXPECT_EQ(s.editor(), first);
    EXPECT_EQ(s.editor()->geometry(), g->CellRect(2, 5).toQRect());
    EXPECT_EQ(s.editor()->Text(), QStringLiteral("kept"));

    // A click on a header takes the focus from the editor; a key typed then goes on with the edit.
    s.editor()->Select(4, 4);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, s.centre(3, 0));
    ASSERT_EQ(s.focus(), g->viewport());
    ASSERT_TRUE(g->EditorMode());
    s.type(QStringLiteral("!"));
    EXPECT_EQ(s.focus(), s.editor());
    EXPECT_EQ(s.editor()->Text(), QStringLiteral("kept!"));
    s.key(Qt::Key_Backspace);

    // Down moves the edit to the next row and writes the text it leaves.
    s.type(QStringLiteral("new"));
    s.key(Qt::Key_Down);
    EXPECT_EQ(g->Cells(2, 5), QStringLiteral("keptnew"));
    EXPECT_TRUE(g->EditorMode());
    EXPECT_EQ(g->Row(), 6);
    EXPECT_EQ(s.editor()->geometry(), g->CellRect(2, 6).toQRect());

    // Deleting a row above ends the edit with its text in its own row; deleting the edited row
    // drops the edit with it.
    s.type(QStringLiteral("six"));
    g->DeleteRow(1);
    EXPECT_FALSE(g->EditorMode());
    EXPECT_EQ(g->Cells(2, 5), QStringLiteral("six"));
    g->FocusCell(2, 7, true);
    g->ShowEditor();
    s.type(QStringLiteral("gone"));
    g->DeleteRow(7);
    EXPECT_FALSE(g->EditorMode());
    EXPECT_EQ(g->Cells(2, 7), QString());
}

TEST(GridEditor, AWriteThatRaisesKeepsTheEditOpenAndTheGridUsable) {
    testing_support::RecordingDialogs dialogs;
    Shown s;
    EditGrid* g = s.g;
    g->onWrite = [](const QString& v) {
        if (v == QStringLiteral("bad")) throw Error(QStringLiteral("not this text"));
    };
    s.type(QStringLiteral("bad"));
    s.key(Qt::Key_Return);
    EXPECT_EQ(dialogs.errors(), QStringList{QStringLiteral("not this text")});
    EXPECT_TRUE(g->EditorMode());
    EXPECT_EQ(s.editor()->Text(), QStringLiteral("bad"));
    EXPECT_EQ(g->Cells(1, 1), QString());
    // Down cannot carry the refused text away either.
    s.key(Qt::Key_Down);
    EXPECT_EQ(g->Row(), 1);
    EXPECT_EQ(s.editor()->Text(), QStringLiteral("bad"));
    s.key(Qt::Key_A, Qt::ControlModifier);
    s.type(QStringLiteral("good"));
    s.key(Qt::Key_Return);
    EXPECT_FALSE(g->EditorMode());
    EXPECT_EQ(g->Cells(1, 1), QStringLiteral("good"));
    // A veto on the next cell keeps the edit where it is.
    g->OnSelectCell = [](QObject*, int, int r, bool& can) { can = r != 2; };
    s.key(Qt::Key_F2);
    s.key(Qt::Key_Down);
    EXPECT_EQ(g->Row(), 1);
    EXPECT_TRUE(g->EditorMode());
    EXPECT_EQ(s.focus(), s.editor());
}

TEST(GridEditor, TheCellsMaskAndLimitRuleTheEditor) {
    testing_support::RecordingDialogs dialogs;
    FormatSettings fs;
    fs.dateSeparator = u'/';
    setFormatSettingsOverride(fs);
    struct Restore {
        ~Restore() { setFormatSettingsOverride(std::nullopt); }
    } restore;
    Shown s;
    EditGrid* g = s.g;
    QString mask = QStringLiteral("!99/99/0000;1;_");
    g->OnGetEditMask = [&](QObject*, int c, int, QString& m) {
        if (c == 1) m = mask;
    };
    g->SetCells(1, 1, QStringLiteral("01/02/2003"));
    s.key(Qt::Key_F2);
    ASSERT_TRUE(g->EditorMode());
    EXPECT_EQ(s.editor()->EditMask(), mask);
    EXPECT_EQ(s.editor()->Text(), QStringLiteral("01/02/2003"));
    s.type(QStringLiteral("12x31y2024"));
    s.key(Qt::Key_Return);
    EXPECT_EQ(g->Cells(1, 1), QStringLiteral("12/31/2024"));

    // The next cell has no mask but a limit.
    g->limit = 3;
    g->FocusCell(2, 1, true);
    s.type(QStringLiteral("abcdef"));
    EXPECT_EQ(s.editor()->EditMask(), QString());
    s.key(Qt::Key_Return);
    EXPECT_EQ(g->Cells(2, 1), QStringLiteral("abc"));

    // A mask that cannot be translated is reported; the cell is not edited and the grid goes on.
    mask = QStringLiteral("99-99");
    g->FocusCell(1, 1, true);
    s.key(Qt::Key_F2);
    EXPECT_FALSE(g->EditorMode());
    EXPECT_FALSE(s.editor()->isVisible());
    ASSERT_EQ(dialogs.errors().size(), 1);
    EXPECT_TRUE(dialogs.errors()[0].contains(QStringLiteral("\"-\"")));
    EXPECT_EQ(s.focus(), g->viewport());
    s.key(Qt::Key_Right);
    s.type(QStringLiteral("ok"));
    s.key(Qt::Key_Return);
    EXPECT_EQ(g->Cells(2, 1), QStringLiteral("ok"));

    // Removing goEditing ends an open edit with its text.
    g->limit = 0;
    s.type(QStringLiteral("kept"));
    g->SetOptions(g->Options().exclude(goEditing));
    EXPECT_FALSE(g->EditorMode());
    EXPECT_EQ(g->Cells(2, 1), QStringLiteral("kept"));
}

TEST(GridSizing, DraggingAHeaderBorderSizesTheColumn) {
    Shown s;
    EditGrid* g = s.g;
    g->SetOptions(g->Options().include(goColSizing));
    const int before = g->ColWidths(1);
    // Right to left the column's end border is its left edge on screen and widening drags left.
    g->setLayoutDirection(Qt::RightToLeft);
    const TRect rtlHead = g->CellRect(1, 0);
    const QPoint rtlBorder(rtlHead.Left - 1, rtlHead.Top + 5);
    s.press(rtlBorder);
    EXPECT_EQ(g->GridState(), gsColSizing);
    s.move(rtlBorder - QPoint(7, 0));
    s.release(rtlBorder - QPoint(7, 0));
    EXPECT_EQ(g->ColWidths(1), before + 7);
    g->SetColWidths(1, before);
    g->setLayoutDirection(Qt::LeftToRight);

    const TRect head = g->CellRect(1, 0);
    const QPoint border(head.Right, head.Top + 5);
    g->colWidthsChanged = 0;
    s.press(border);
    EXPECT_EQ(g->GridState(), gsColSizing);
    s.move(border + QPoint(10, 0));
    s.move(border + QPoint(20, 0));
    s.release(border + QPoint(20, 0));
    EXPECT_EQ(g->ColWidths(1), before + 20);
    EXPECT_EQ(g->colWidthsChanged, 1);
    EXPECT_EQ(g->GridState(), gsNormal);

    // Off the header row, or without goColSizing, the border selects instead.
    s.press(QPoint(g->CellRect(1, 2).Right, g->CellRect(1, 2).Top + 5));
    EXPECT_EQ(g->GridState(), gsSelecting);
    s.release(QPoint(g->CellRect(1, 2).Right, g->CellRect(1, 2).Top + 5));
    // A descendant forcing the state back to normal ends the sizing without a change.
    s.press(QPoint(g->CellRect(1, 0).Right, 5));
    g->SetGridState(gsNormal);
    s.release(QPoint(g->CellRect(1, 0).Right + 30, 5));
    EXPECT_EQ(g->ColWidths(1), before + 20);
    EXPECT_EQ(g->colWidthsChanged, 1);
}

TEST(GridSizing, DraggingAFixedColumnBorderSizesTheRow) {
    Shown s;
    EditGrid* g = s.g;
    const QPoint border(20, g->CellRect(0, 2).Bottom);
    s.press(border);
    EXPECT_EQ(g->GridState(), gsNormal);  // not without goRowSizing
    s.release(border);
    g->SetOptions(g->Options().include(goRowSizing));
    const int before = g->RowHeights(2);
    s.press(border + QPoint(0, 2));  // a pixel or two off the border still takes it
    EXPECT_EQ(g->GridState(), gsRowSizing);
    s.move(border + QPoint(0, 17));
    s.release(border + QPoint(0, 17));
    EXPECT_EQ(g->RowHeights(2), before + 15);
    EXPECT_EQ(g->rowHeightsChanged, 1);
    EXPECT_EQ(g->GridState(), gsNormal);
}

TEST(GridSizing, DraggingAHeaderMovesTheColumn) {
    Shown s(5, 6);
    EditGrid* g = s.g;
    g->SetOptions(g->Options().include(goColMoving));
    for (int c = 0; c < 6; ++c) g->SetCells(c, 0, QStringLiteral("c%1").arg(c));
    g->SetCells(2, 3, QStringLiteral("body"));
    g->SetColWidths(2, 50);
    std::vector<std::pair<int, int>> events;
    g->OnColumnMoved = [&](QObject*, int f, int t) { events.emplace_back(f, t); };
    s.press(s.centre(2, 0));
    EXPECT_EQ(g->GridState(), gsColMoving);
    s.move(s.centre(3, 0));
    s.move(s.centre(4, 0));
    s.release(s.centre(4, 0));
    EXPECT_EQ(g->columnsMoved, (std::vector<std::pair<int, int>>{{2, 4}}));
    EXPECT_EQ(events, g->columnsMoved);
    EXPECT_EQ(g->Cells(4, 0), QStringLiteral("c2"));
    EXPECT_EQ(g->Cells(4, 3), QStringLiteral("body"));
    EXPECT_EQ(g->Cells(2, 0), QStringLiteral("c3"));
    EXPECT_EQ(g->ColWidths(4), 50);
    EXPECT_EQ(g->ColWidths(2), g->DefaultColWidth());
    EXPECT_EQ(g->GridState(), gsNormal);
}

TEST(GridSizing, ADragBelowTheRowsScrollsOneRowATick) {
    TTimer::SetManual(true);
    {
        Shown s(100, 5);
        EditGrid* g = s.g;
        s.press(s.centre(1, 2));
        s.move(QPoint(s.centre(1, 2).x(), g->ClientHeight() + 10));
        ASSERT_TRUE(g->ScrollTimer().Running());
        const int top = g->TopRow();
        for (int tick = 1; tick <= 3; ++tick) {
            ASSERT_TRUE(g->ScrollTimer().Fire());
            EXPECT_EQ(g->TopRow(), top + tick);
            EXPECT_EQ(g->Row(), g->TopRow() + g->VisibleRowCount() - 1);
        }
        EXPECT_EQ(g->Selection(), (TGridRect{1, 2, 1, g->Row()}));
        s.release(QPoint(s.centre(1, 2).x(), g->ClientHeight() + 10));
        EXPECT_FALSE(g->ScrollTimer().Running());
        EXPECT_FALSE(g->ScrollTimer().Fire());
        EXPECT_EQ(g->TopRow(), top + 3);
        EXPECT_EQ(g->GridState(), gsNormal);
    }
    TTimer::SetManual(false);
}
