// The grid's keys as a user presses them on a shown grid: Enter and its character, Space on check
// cells, typing that starts an edit, Home and End, the Tab advance and its end, rows deleted and
// appended by keys, the keypad's decimal key, the clipboard shortcuts and the lookup text at key-up.
#include "grid/ExCGrid.h"
#include "grid/ExGrid.h"
#include "platform/FormatSettings.h"
#include "platform/InplaceEdit.h"
#include "tests/support/EventWait.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <vector>

namespace {

// A shown grid of 4 columns and 6 rows (one fixed of each) on a form, with a line edit after it
// in the focus chain; the cells hold "c<col>r<row>" and have the focus.
struct KeyGrid {
    QWidget form;
    TExStringGrid* g;
    QLineEdit* next;
    explicit KeyGrid(bool columnGrid = false, int cols = 4, int rows = 6)
        : g(columnGrid ? new TExColumnGrid(&form) : new TExStringGrid(&form)), next(new QLineEdit(&form)) {
        form.resize(560, 340);
        g->setGeometry(0, 0, 480, 300);
        next->setGeometry(490, 0, 60, 24);
        g->SetColCount(cols);
        g->SetRowCount(rows);
        for (int c = 1; c < cols; ++c)
            for (int r = 1; r < rows; ++r) g->SetCells(c, r, QStringLiteral("c%1r%2").arg(c).arg(r));
        g->Loaded();
        form.show();
        EXPECT_TRUE(testing_support::waitForWindowExposed(&form));
        QApplication::setActiveWindow(&form);
        g->viewport()->setFocus();
    }
    void option(plat::TGridOption o, bool on) {
        plat::TGridOptions opts = g->Options();
        on ? opts.include(o) : opts.exclude(o);
        g->SetOptions(opts);
    }
    QWidget* focus() const { return QApplication::focusWidget(); }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(focus(), Qt::Key(k), m); }
    void go(int col, int row) { g->FocusCell(col, row); }
    std::pair<int, int> cell() const { return {g->Col(), g->Row()}; }
    bool editorShown() const { return g->InplaceEditor() && g->InplaceEditor()->isVisible(); }
};

}  // namespace

TEST(ExGridKeysEnter, WithoutEditingEnterIsSwallowedButItsCharacterStillComes) {
    KeyGrid f;
    std::vector<int> downs;
    QString pressed;
    f.g->OnKeyDown = [&](QObject*, uint16_t& k, plat::TShiftState) { downs.push_back(k); };
    f.g->OnKeyPress = [&](QObject*, QChar& c) { pressed += c; };
    f.go(2, 3);
    f.key(Qt::Key_Return);
    EXPECT_EQ(downs, std::vector<int>{13});
    EXPECT_EQ(pressed, QString(QChar(13)));
    EXPECT_EQ(f.cell(), std::pair(2, 3));
    EXPECT_FALSE(f.editorShown());

    // With editing a first Enter opens the editor, a second closes it on the same cell.
    f.option(plat::goEditing, true);
    f.key(Qt::Key_Return);
    EXPECT_TRUE(f.editorShown());
    f.key(Qt::Key_Return);
    EXPECT_FALSE(f.editorShown());
    EXPECT_EQ(f.cell(), std::pair(2, 3));
}

TEST(ExGridKeysSpace, ACheckCellTogglesOnlyWhereItMayBeEdited) {
    struct Case {
        const char* name;
        bool columnGrid, editing, alwaysActive, readOnlyColumn, toggles;
    } cases[] = {
        {"string grid without editing", false, false, false, false, false},
        {"string grid with editing", false, true, false, false, true},
        {"string grid, check always active", false, false, true, false, true},
        {"column grid without editing", true, false, false, false, true},
        {"column grid, read-only column", true, true, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KeyGrid f(c.columnGrid, 6);
        // The check column is real column 4, shown as column 2 behind two hidden columns.
        if (c.columnGrid) {
            auto& cg = static_cast<TExColumnGrid&>(*f.g);
            cg.Columns().Items(4).SetEditor(edDataCheckBox);
            cg.Columns().Items(4).ReadOnly = c.readOnlyColumn;
        } else {
            f.g->AddCheckBoxColumn(4, false, true);
        }
        for (int r = 1; r < 6; ++r) f.g->SetCells(4, r, "N");
        f.g->HideColumns(1, 2);
        ASSERT_EQ(f.g->DisplColIndex(4), 2);
        f.option(plat::goEditing, c.editing);
        f.g->ControlLook().SetCheckAlwaysActive(c.alwaysActive);
        std::vector<std::tuple<int, int, bool>> clicks;
        f.g->OnCheckBoxClick = [&](QObject*, int col, int row, bool s) { clicks.emplace_back(col, row, s); };
        f.go(2, 3);
        f.key(Qt::Key_Space);
        EXPECT_EQ(f.g->Cells(4, 3), c.toggles ? "Y" : "N");
        if (c.toggles)
            EXPECT_EQ(clicks, (std::vector<std::tuple<int, int, bool>>{{4, 3, true}}));
        else
            EXPECT_TRUE(clicks.empty());
        EXPECT_FALSE(f.editorShown());
    }
}

TEST(ExGridKeysTyping, OnKeyPressComesFirstAndAZeroStillOpensTheEditor) {
    KeyGrid f;
    f.option(plat::goEditing, true);
    f.go(2, 2);
    bool editorOpenAtPress = true;
    QString seen;
    f.g->OnKeyPress = [&](QObject*, QChar& c) {
        editorOpenAtPress = f.editorShown();
        seen += c;
        c = QChar(0);
    };
    f.key(Qt::Key_Q);
    EXPECT_EQ(seen, "q");
    EXPECT_FALSE(editorOpenAtPress);
    ASSERT_TRUE(f.editorShown());
    EXPECT_EQ(f.g->InplaceEditor()->Text(), "c2r2");  // nothing typed: the editor was given 0
    f.key(Qt::Key_Escape);

    // A check cell takes no typed character and opens no editor.
    f.g->OnKeyPress = nullptr;
    f.g->AddCheckBox(3, 3, false, false);
    f.go(3, 3);
    f.key(Qt::Key_Q);
    EXPECT_FALSE(f.editorShown());
    EXPECT_EQ(f.g->Cells(3, 3), "c3r3");
}

TEST(ExGridKeysHomeEnd, EveryHomeEndKeyFormAsATable) {
    enum Footer { none, fixed2, floating };
    struct Case {
        const char* name;
        THomeEndAction mode;
        int key;
        Qt::KeyboardModifiers mods;
        Footer footer;
        std::pair<int, int> cell;
        plat::TGridRect selection;
    } cases[] = {
        {"cell: Home", heFirstLastCell, Qt::Key_Home, {}, none, {1, 1}, {1, 1, 1, 1}},
        {"cell: End", heFirstLastCell, Qt::Key_End, {}, none, {5, 9}, {5, 9, 5, 9}},
        {"cell: Ctrl+End goes to the base grid", heFirstLastCell, Qt::Key_End, Qt::ControlModifier, none, {5, 9},
         {5, 9, 5, 9}},
        {"row: Home", heFirstLastRow, Qt::Key_Home, {}, none, {3, 1}, {3, 1, 3, 1}},
        {"row: End", heFirstLastRow, Qt::Key_End, {}, none, {3, 9}, {3, 9, 3, 9}},
        {"row: End above two fixed footers", heFirstLastRow, Qt::Key_End, {}, fixed2, {3, 7}, {3, 7, 3, 7}},
        {"row: End above the floating footer", heFirstLastRow, Qt::Key_End, {}, floating, {3, 8}, {3, 8, 3, 8}},
        {"row: Shift+Home selects whole rows up", heFirstLastRow, Qt::Key_Home, Qt::ShiftModifier, none, {1, 1},
         {1, 1, 5, 5}},
        {"row: Shift+End selects whole rows down", heFirstLastRow, Qt::Key_End, Qt::ShiftModifier, none, {5, 9},
         {1, 5, 5, 9}},
        {"column: Home", heFirstLastColumn, Qt::Key_Home, {}, none, {1, 5}, {1, 5, 1, 5}},
        {"column: End", heFirstLastColumn, Qt::Key_End, {}, none, {5, 5}, {5, 5, 5, 5}},
        {"column: Ctrl+Home", heFirstLastColumn, Qt::Key_Home, Qt::ControlModifier, none, {1, 1}, {1, 1, 1, 1}},
        {"column: Ctrl+End goes to the base grid", heFirstLastColumn, Qt::Key_End, Qt::ControlModifier, none, {5, 9},
         {5, 9, 5, 9}},
        {"column: Shift+Home spans to the first column", heFirstLastColumn, Qt::Key_Home, Qt::ShiftModifier, none,
         {3, 5}, {1, 5, 3, 5}},
        {"column: Shift+End spans to the last column", heFirstLastColumn, Qt::Key_End, Qt::ShiftModifier, none,
         {5, 5}, {3, 5, 5, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KeyGrid f(false, 6, 10);
        f.g->Navigation().SetHomeEndKey(c.mode);
        if (c.footer == fixed2) f.g->SetFixedFooters(2);
        if (c.footer == floating) f.g->FloatingFooter().SetVisible(true);
        f.go(3, 5);
        int downs = 0;
        f.g->OnKeyDown = [&](QObject*, uint16_t& k, plat::TShiftState) {
            downs += k == plat::VK_HOME || k == plat::VK_END;
        };
        f.key(c.key, c.mods);
        EXPECT_EQ(f.cell(), c.cell);
        EXPECT_EQ(f.g->Selection(), c.selection);
        EXPECT_EQ(downs, 1);
    }
}

TEST(ExGridKeysHomeEnd, OneRowThatStaysFixedLeavesHomeAndEndToTheBaseGrid) {
    // The base grid's End and Shift+Home move the current cell along the row; the grid's own forms
    // would keep the column (whole rows) or the current cell (a span to the first column).
    struct Case {
        THomeEndAction mode;
        int key;
        Qt::KeyboardModifiers mods;
        std::pair<int, int> cell;
    } cases[] = {
        {heFirstLastRow, Qt::Key_End, {}, {5, 0}},
        {heFirstLastColumn, Qt::Key_Home, Qt::ShiftModifier, {1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        KeyGrid f(false, 6, 2);
        f.g->SetFixedRowAlways(true);
        f.g->SetRowCount(1);
        ASSERT_EQ(f.g->RowCount(), 1);
        f.g->Navigation().SetHomeEndKey(c.mode);
        f.g->FocusCell(4, 0);
        f.key(c.key, c.mods);
        EXPECT_EQ(f.cell(), c.cell);
    }
}

TEST(ExGridKeysTab, AtTheEndOfTheGridTheFocusMovesOnAfterTheKey) {
    KeyGrid f;
    f.option(plat::goTabs, true);
    f.g->Navigation().SetTabToNextAtEnd(true);
    f.go(3, 5);
    f.key(Qt::Key_Tab);
    EXPECT_EQ(f.cell(), std::pair(1, 1));
    EXPECT_EQ(f.focus(), f.g->viewport()) << "the focus moves once the key is over";
    QCoreApplication::processEvents();
    EXPECT_EQ(f.focus(), f.next);
}

TEST(ExGridKeysTab, AdvanceInsertAsksForTheRowAndWrapsWhenRefused) {
    for (bool allow : {false, true}) {
        SCOPED_TRACE(allow);
        KeyGrid f;
        f.option(plat::goTabs, true);
        f.g->Navigation().SetAdvanceInsert(true);
        int asked = 0;
        std::vector<int> added;
        f.g->OnCanAddRow = [&](QObject*, bool& can) {
            ++asked;
            can = allow;
        };
        f.g->OnAutoAddRow = [&](QObject*, int r) { added.push_back(r); };
        f.go(3, 5);
        f.key(Qt::Key_Tab);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(f.g->RowCount(), allow ? 7 : 6);
        EXPECT_EQ(f.cell(), allow ? std::pair(1, 6) : std::pair(1, 1));
        EXPECT_EQ(added, allow ? std::vector<int>{6} : std::vector<int>{});
        EXPECT_EQ(f.focus(), f.g->viewport());
    }
}

TEST(ExGridKeysTab, WalksBothWaysOverTabStopsAndMergedBlocks) {
    struct Case {
        const char* name;
        std::pair<int, int> from;
        bool back;
        std::pair<int, int> to;
    } cases[] = {
        {"Shift+Tab from the first cell: the last tab stop of the last normal row", {1, 1}, true, {4, 5}},
        {"Tab past a merged block", {2, 2}, false, {4, 2}},
        {"Tab onto a merged block", {1, 2}, false, {2, 2}},
        {"Shift+Tab onto a merged block lands on its base", {4, 2}, true, {2, 2}},
        {"Tab at the row's end: the next row's first tab stop", {4, 3}, false, {1, 4}},
        {"Shift+Tab at the row's start: the previous row's last tab stop", {1, 4}, true, {4, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KeyGrid f(false, 5);
        f.option(plat::goTabs, true);
        f.g->MergeCells(2, 2, 2, 1);
        f.go(c.from.first, c.from.second);
        f.key(c.back ? Qt::Key_Backtab : Qt::Key_Tab, c.back ? Qt::ShiftModifier : Qt::NoModifier);
        EXPECT_EQ(f.cell(), c.to);
    }
}

TEST(ExGridKeysTab, EveryCellReadOnlyWhileEditing) {
    // A large grid: the walk past cells that cannot be edited is a loop that ends, not a recursion.
    KeyGrid f(false, 40, 2000);
    f.option(plat::goEditing, true);
    f.option(plat::goTabs, true);
    int asked = 0;
    f.g->OnCanEditCell = [&](QObject*, int, int, bool& can) {
        ++asked;
        can = false;
    };
    f.go(2, 2);
    f.key(Qt::Key_Tab);
    EXPECT_FALSE(f.editorShown());
    EXPECT_GT(asked, 0);
    EXPECT_LT(asked, 4 * 40 * 2000) << "the walk stops when it comes round";
}

TEST(ExGridKeysRows, DeleteRefusedUnderAFilterKeepsTheFilterAndTheRows) {
    for (bool allow : {false, true}) {
        SCOPED_TRACE(allow);
        KeyGrid f;
        for (int r = 1; r < 6; ++r) f.g->SetCells(1, r, r % 2 ? "keep" : "drop");
        TFilterData& cond = f.g->Filter().Add();
        cond.Column = 1;
        cond.Condition = "keep";
        f.g->SetFilterActive(true);
        ASSERT_EQ(f.g->RowCount(), 4);
        f.g->Navigation().SetAllowDeleteRow(true);
        std::vector<int> asked;
        f.g->OnCanDeleteRow = [&](QObject*, int r, bool& can) {
            asked.push_back(r);
            EXPECT_FALSE(f.g->FilterActive()) << "the filter is off while asked";
            can = allow;
        };
        f.go(2, 2);  // the real row 3
        f.key(Qt::Key_Delete);
        EXPECT_EQ(asked, std::vector<int>{3});
        EXPECT_TRUE(f.g->FilterActive());
        EXPECT_EQ(f.g->TotalRowCount(), allow ? 5 : 6);
        EXPECT_EQ(f.g->GridModified(), allow);
    }
}

TEST(ExGridKeysRows, DownOnTheLastRowAppendsOneAboveTheFloatingFooter) {
    KeyGrid f;
    f.g->FloatingFooter().SetVisible(true);
    f.g->SetCells(1, 5, "footer");
    f.g->Navigation().SetAppendOnArrowDown(true);
    std::vector<int> added;
    f.g->OnAutoAddRow = [&](QObject*, int r) { added.push_back(r); };
    f.go(1, 4);
    ASSERT_TRUE(f.g->IsLastNormalRow());
    f.key(Qt::Key_Down);
    EXPECT_EQ(f.g->RowCount(), 7);
    EXPECT_EQ(f.g->Cells(1, 6), "footer");
    EXPECT_EQ(f.g->Cells(2, 5), "");
    EXPECT_EQ(added, std::vector<int>{f.g->RowCount() - f.g->FixedFooters() - 1});
    EXPECT_EQ(f.cell(), std::pair(1, 5));
    // Down on a row that is not the last normal one adds nothing.
    f.go(1, 2);
    f.key(Qt::Key_Down);
    EXPECT_EQ(f.g->RowCount(), 7);
}

TEST(ExGridKeysRows, InsertPutsARowBeforeOrAfterTheCurrentOne) {
    for (TInsertPosition pos : {pInsertBefore, pInsertAfter}) {
        SCOPED_TRACE(int(pos));
        KeyGrid f;
        f.g->Navigation().SetAllowInsertRow(true);
        f.g->Navigation().SetInsertPosition(pos);
        std::vector<int> inserted;
        f.g->OnAutoInsertRow = [&](QObject*, int r) { inserted.push_back(r); };
        f.go(2, 3);
        f.key(Qt::Key_Insert);
        const int at = pos == pInsertBefore ? 3 : 4;
        EXPECT_EQ(f.g->RowCount(), 7);
        EXPECT_EQ(f.g->Cells(2, at), "");
        EXPECT_EQ(inserted, std::vector<int>{at});
        EXPECT_EQ(f.g->Row(), at);
        // A refusing OnCanInsertRow ends it.
        f.g->OnCanInsertRow = [](QObject*, int, bool& can) { can = false; };
        f.key(Qt::Key_Insert);
        EXPECT_EQ(f.g->RowCount(), 7);
    }
}

TEST(ExGridKeysTyping, TheKeypadDecimalKeyTypesTheLocaleSeparator) {
    plat::FormatSettings fs;
    fs.decimalSeparator = u',';
    fs.thousandSeparator = u'.';
    plat::setFormatSettingsOverride(fs);
    struct Back {
        ~Back() { plat::setFormatSettingsOverride(std::nullopt); }
    } back;
    for (bool keypad : {true, false}) {
        SCOPED_TRACE(keypad);
        KeyGrid f;
        f.option(plat::goEditing, true);
        f.g->SetExcelStyleDecimalSeparator(true);
        f.go(2, 2);
        QTest::keyClick(f.focus(), Qt::Key_Period, keypad ? Qt::KeypadModifier : Qt::NoModifier);
        ASSERT_TRUE(f.editorShown());
        EXPECT_EQ(f.g->InplaceEditor()->Text(), keypad ? "," : ".");
    }
}

namespace {

// Counts the clipboard operations the shortcuts run.
class ClipGrid : public TExStringGrid {
public:
    using TExStringGrid::TExStringGrid;
    QStringList ops;
    void CutSelectionToClipboard() override { ops << "cut"; }
    void CopySelectionToClipboard() override { ops << "copy"; }
    void PasteSelectionFromClipboard() override { ops << "paste"; }
};

}  // namespace

TEST(ExGridKeysClipboard, EachShortcutAsksItsEventThenRunsItsOperation) {
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        const char* event;
        const char* op;
    } cases[] = {
        {Qt::Key_X, Qt::ControlModifier, "cut", "cut"},
        {Qt::Key_V, Qt::ControlModifier, "paste", "paste"},
        {Qt::Key_C, Qt::ControlModifier, "copy", "copy"},
        {Qt::Key_Insert, Qt::ControlModifier, "copy", "copy"},
        {Qt::Key_Insert, Qt::ShiftModifier, "paste", "paste"},
        {Qt::Key_Delete, Qt::ShiftModifier, "cut", "cut"},
    };
    QWidget form;
    auto* g = new ClipGrid(&form);
    g->setGeometry(0, 0, 400, 300);
    form.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&form));
    QApplication::setActiveWindow(&form);
    g->viewport()->setFocus();
    QStringList events;
    bool allow = true;
    g->OnClipboardCut = [&](QObject*, bool& a) { events << "cut", a = allow; };
    g->OnClipboardCopy = [&](QObject*, bool& a) { events << "copy", a = allow; };
    g->OnClipboardPaste = [&](QObject*, bool& a) { events << "paste", a = allow; };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.op);
        for (bool shortcuts : {false, true})
            for (bool allowed : {false, true}) {
                g->Navigation().SetAllowClipboardShortCuts(shortcuts);
                allow = allowed;
                events.clear();
                g->ops.clear();
                QTest::keyClick(g->viewport(), Qt::Key(c.key), c.mods);
                EXPECT_EQ(events, shortcuts ? QStringList{c.event} : QStringList{});
                EXPECT_EQ(g->ops, shortcuts && allowed ? QStringList{c.op} : QStringList{});
            }
    }
    EXPECT_EQ(g->RowCount(), 10) << "Shift+Delete deletes no row";
}

TEST(ExGridKeysUp, HomeKeepsTheLookupTextEndEmptiesIt) {
    KeyGrid f;
    const QStringList names{"apple", "Abacus", "abbey", "banana", "Bee"};
    for (int r = 1; r < 6; ++r) f.g->SetCells(2, r, names[r - 1]);
    f.g->SortSettings().SetColumn(2);
    f.g->Navigation().SetAutoGotoWhenSorted(true);
    f.g->Navigation().SetAutoGotoIncremental(true);
    f.go(1, 1);
    QTest::keyClick(f.focus(), 'a');
    QTest::keyClick(f.focus(), 'b');
    ASSERT_EQ(f.g->SearchInc(), "ab");
    // A key's release reaches the grid with the next input.
    const auto keyUp = [&](int k) {
        QTest::keyClick(f.focus(), Qt::Key(k));
        QTest::keyPress(f.focus(), Qt::Key_Shift);
        QTest::keyRelease(f.focus(), Qt::Key_Shift);
    };
    keyUp(Qt::Key_Home);
    EXPECT_EQ(f.g->SearchInc(), "ab");
    keyUp(Qt::Key_End);
    EXPECT_EQ(f.g->SearchInc(), "");
}
