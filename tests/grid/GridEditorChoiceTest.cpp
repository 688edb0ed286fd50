// A window's say over a cell's editor and its drop-down list, typing in a drop-down cell, check-box
// columns and column pop-up menus. Input goes to the grid's child widgets (what a user clicks), so
// the tests do not lean on the view class the grid stands on.
#include "grid/ExCGrid.h"
#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "tests/support/EventWait.h"
#include "tests/support/GridCells.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>
#include <memory>
#include <tuple>
#include <type_traits>
#include <vector>

namespace {

// The drop-down editor that has the focus, itself or through its edit field.
QComboBox* focusedCombo() {
    QWidget* w = QApplication::focusWidget();
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo;
    return w ? qobject_cast<QComboBox*>(w->parentWidget()) : nullptr;
}

QStringList items(QComboBox* combo) {
    QStringList all;
    for (int i = 0; i < combo->count(); ++i) all << combo->itemText(i);
    return all;
}

// A shown, active grid whose cells are pressed and typed into as a user does.
template <class Grid>
struct Shown : ::testing::Test {
    // The grid sits on a window of its own, as in every dialog (a grid without a parent takes any
    // cell without asking whether it may be edited).
    QWidget form;
    Grid g{&form};
    void SetUp() override {
        g.SetColCount(5);
        g.SetRowCount(6);
        // A string grid edits with the editing option its window sets; a column grid switches it
        // per cell from its column items.
        if constexpr (std::is_same_v<Grid, TExStringGrid>) {
            plat::TGridOptions o = g.Options();
            o.include(plat::goEditing);
            g.SetOptions(o);
        }
        form.resize(420, 220);
        g.setGeometry(0, 0, 420, 220);
        form.show();
        form.activateWindow();
        ASSERT_TRUE(testing_support::waitForWindowActive(&form));
        g.setFocus();
    }
    // The window the system delivers input to, and the centre of a cell (display column) in it.
    QWindow* window() const { return g.window()->windowHandle(); }
    QPoint inWindow(int displayCol, int row) const {
        return g.mapTo(g.window(), cellRect(g, displayCol, row).center());
    }
    // The child widget under the centre of a cell (display column) and the point there.
    std::pair<QWidget*, QPoint> under(int displayCol, int row) {
        const QRect r = cellRect(g, displayCol, row);
        EXPECT_FALSE(r.isEmpty()) << displayCol << "," << row;
        QWidget* w = g.childAt(r.center());
        EXPECT_NE(w, nullptr);
        return {w, w ? w->mapFrom(&g, r.center()) : QPoint()};
    }
    void press(Qt::MouseButton button, int displayCol, int row) {
        auto [w, p] = under(displayCol, row);
        if (w) QTest::mouseClick(w, button, {}, p);
    }
    // Makes the cell current and types a key there: the key opens the cell's editor.
    QWidget* typeInto(int realCol, int row, Qt::Key key) {
        g.SetRow(row);
        g.SetCol(g.DisplColIndex(realCol));
        if (!g.isAncestorOf(QApplication::focusWidget())) g.setFocus();
        EXPECT_TRUE(g.isAncestorOf(QApplication::focusWidget())) << "the grid has no focus";
        QTest::keyClick(QApplication::focusWidget(), key);
        return QApplication::focusWidget();
    }
};

using StringGridEditors = Shown<TExStringGrid>;
using ColumnGridEditors = Shown<TExColumnGrid>;

// The window names each cell's editor and list; a cell it leaves alone keeps the plain editor.
TEST_F(StringGridEditors, TheWindowChoosesEachCellsEditorAndList) {
    EXPECT_EQ(g.GetCellEditor(2, 1), edNormal);  // no handler
    std::vector<std::pair<int, int>> asked;
    g.OnGetEditorType = [&](QObject* sender, int col, int row, TEditorType& editor) {
        EXPECT_EQ(sender, &g);
        EXPECT_EQ(editor, edNormal);
        asked.emplace_back(col, row);
        switch (col) {
        case 2:
            editor = edComboList;
            g.ClearComboString();
            g.AddComboString(QStringLiteral("Device"));
            g.AddComboString(QStringLiteral("Sensor"));
            break;
        case 3:
            editor = edComboEdit;
            g.ClearComboString();
            g.AddComboString(QStringLiteral("row %1").arg(row));
            break;
        case 4: editor = edNone; break;
        default: break;
        }
    };
    EXPECT_EQ(g.GetCellEditor(1, 1), edNormal);
    EXPECT_EQ(g.GetCellEditor(2, 1), edComboList);
    EXPECT_EQ(g.GetComboItems(3, 2), QStringList{QStringLiteral("row 2")});
    EXPECT_EQ(g.GetComboItems(3, 4), QStringList{QStringLiteral("row 4")});
    EXPECT_EQ(asked.back(), std::make_pair(3, 4));

    // The editor that opens is the one chosen, with the list given for its own cell.
    g.SetCells(2, 1, QStringLiteral("Sensor"));
    asked.clear();
    g.SetRow(1);
    g.SetCol(2);
    press(Qt::LeftButton, 2, 1);
    QComboBox* combo = focusedCombo();
    ASSERT_NE(combo, nullptr) << "the click opened no drop-down";
    EXPECT_FALSE(combo->isEditable());
    EXPECT_EQ(items(combo), (QStringList{QStringLiteral("Device"), QStringLiteral("Sensor")}));
    EXPECT_EQ(combo->currentText(), QStringLiteral("Sensor"));
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{2, 1}}));  // asked once for the opening editor
    QTest::keyClick(combo, Qt::Key_Escape);

    typeInto(3, 5, Qt::Key_X);
    QComboBox* editable = focusedCombo();
    ASSERT_NE(editable, nullptr) << "typing opened no drop-down with edit";
    EXPECT_EQ(items(editable), QStringList{QStringLiteral("row 5")});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(g.Cells(3, 5), QStringLiteral("x"));

    // edNone: no editor opens and the key changes nothing.
    g.SetCells(4, 2, QStringLiteral("kept"));
    QWidget* none = typeInto(4, 2, Qt::Key_Y);
    EXPECT_TRUE(!g.NormalEdit() || (none != g.NormalEdit() && !g.NormalEdit()->isVisible()));
    EXPECT_FALSE(g.EditCombo()->isVisible());
    EXPECT_EQ(g.Cells(4, 2), QStringLiteral("kept"));
}

// A column grid's cell starts from its item: the item's editor, and the item's items in the list,
// loaded again for every cell so that a list the window gave one cell does not leak into the next.
TEST_F(ColumnGridEditors, TheItemAnswersFirstAndTheWindowHasTheLastWord) {
    TGridColumnItem& it = g.Columns().Items(2);
    it.SetEditor(edComboList);
    it.SetComboItems({QStringLiteral("x"), QStringLiteral("y")});
    std::vector<TEditorType> starts;
    g.OnGetEditorType = [&](QObject*, int col, int row, TEditorType& editor) {
        if (col != 2) return;
        starts.push_back(editor);
        if (row != 3) return;
        editor = edComboEdit;
        g.ClearComboString();
        g.AddComboString(QStringLiteral("z"));
    };
    const struct {
        int row;
        TEditorType editor;
        QStringList list;
    } cases[] = {
        {1, edComboList, {QStringLiteral("x"), QStringLiteral("y")}},
        {3, edComboEdit, {QStringLiteral("z")}},
        {4, edComboList, {QStringLiteral("x"), QStringLiteral("y")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(g.GetCellEditor(2, c.row), c.editor);
        EXPECT_EQ(g.GetComboItems(2, c.row), c.list);
    }
    for (TEditorType s : starts) EXPECT_EQ(s, edComboList);
    EXPECT_EQ(g.GetCellEditor(1, 1), edNormal);

    typeInto(2, 3, Qt::Key_Q);
    QComboBox* combo = focusedCombo();
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(combo->isEditable());
    EXPECT_EQ(items(combo), QStringList{QStringLiteral("z")});
    QTest::keyClick(combo, Qt::Key_Escape);
}

// Typing in a drop-down-with-edit cell reports each edit with no item and the text as it stands;
// the text the editor opens with and a choice from the list are not typing.
TEST_F(ColumnGridEditors, TypingInADropDownCellReportsEachEdit) {
    TGridColumnItem& it = g.Columns().Items(3);
    it.SetEditor(edComboEdit);
    it.SetComboItems({QStringLiteral("10"), QStringLiteral("20")});
    g.Columns().Items(2).SetEditor(edComboList);
    g.Columns().Items(2).SetComboItems({QStringLiteral("one"), QStringLiteral("two")});
    using Change = std::tuple<int, int, int, QString>;
    std::vector<Change> changes;
    g.OnComboChange = [&](QObject* sender, int col, int row, int i, const QString& s) {
        EXPECT_EQ(sender, &g);
        changes.emplace_back(col, row, i, s);
    };
    g.HideColumn(1);  // the event names the real column
    g.SetCells(3, 2, QStringLiteral("old"));
    QWidget* edit = typeInto(3, 2, Qt::Key_X);
    ASSERT_NE(focusedCombo(), nullptr);
    QTest::keyClick(edit, Qt::Key_Y);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Return);
    const std::vector<Change> typed = {{3, 2, -1, "x"}, {3, 2, -1, "xy"}, {3, 2, -1, "x"}};
    EXPECT_EQ(changes, typed);
    EXPECT_EQ(g.Cells(3, 2), QStringLiteral("x"));

    // Opening the editor on a cell shows its text and reports nothing; a choice reports its item.
    changes.clear();
    g.SetRow(3);
    g.SetCol(g.DisplColIndex(3));
    press(Qt::LeftButton, g.DisplColIndex(3), 3);
    QComboBox* combo = focusedCombo();
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(changes.empty());
    pickInList(combo, 1);
    EXPECT_EQ(changes, (std::vector<Change>{{3, 3, 1, "20"}}));
    // The pick stands in the editor; the cell takes it when the edit ends.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(g.Cells(3, 3), QStringLiteral("20"));
}

TEST(CheckBoxColumn, EveryDataRowGetsABoxTheHeaderNone) {
    TExStringGrid g;
    g.SetColCount(4);
    g.SetRowCount(5);
    g.SetCells(3, 2, QStringLiteral("Y"));
    g.AddCheckBoxColumn(2, true, false);
    g.AddCheckBoxColumn(3, false, true);
    EXPECT_FALSE(g.HasCheckBox(2, 0));
    EXPECT_FALSE(g.HasCheckBox(3, 0));
    EXPECT_FALSE(g.HasCheckBox(1, 1));
    for (int r = 1; r < g.RowCount(); ++r) {
        SCOPED_TRACE(r);
        bool state = false;
        ASSERT_TRUE(g.GetCheckBoxState(2, r, state));
        EXPECT_TRUE(state);
        EXPECT_FALSE(g.HasDataCheckBox(2, r));
        ASSERT_TRUE(g.GetCheckBoxState(3, r, state));
        EXPECT_TRUE(g.HasDataCheckBox(3, r));
        // A data box keeps a check text already in its cell, else shows the given state.
        EXPECT_EQ(state, r == 2);
        EXPECT_EQ(g.Cells(3, r), r == 2 ? QStringLiteral("Y") : QStringLiteral("N"));
    }
}

// Column pop-up menus: the item's kind of click fires the event wherever it lands in the column;
// the menu opens only on the kind of cell the item names, just below that cell.
struct ColumnPopups : Shown<TExColumnGrid> {
    std::unique_ptr<QMenu> menu = std::make_unique<QMenu>();
    std::vector<std::tuple<int, int, QMenu*>> fired;
    void SetUp() override {
        Shown<TExColumnGrid>::SetUp();
        menu->addAction(QStringLiteral("Select All"));
        g.HideColumn(1);  // real column 3 shows at display 2
        g.Columns().Items(3).ColumnPopup = menu.get();
        g.OnColumnPopup = [this](QObject* sender, int col, int row, QMenu* m) {
            EXPECT_EQ(sender, &g);
            fired.emplace_back(col, row, m);
        };
    }
};

TEST_F(ColumnPopups, TheKindOfClickDecides) {
    const struct {
        const char* what;
        TColumnPopupType type;
        Qt::MouseButton button;
        int row;
        bool fires, opens;
    } cases[] = {
        {"right on the header, header kind", cpFixedCellsRClick, Qt::RightButton, 0, true, true},
        {"right on a data cell, header kind", cpFixedCellsRClick, Qt::RightButton, 2, true, false},
        {"left on the header, right kind", cpFixedCellsRClick, Qt::LeftButton, 0, false, false},
        {"left on the header, left kind", cpFixedCellsLClick, Qt::LeftButton, 0, true, true},
        {"left on a data cell, data kind", cpNormalCellsLClick, Qt::LeftButton, 2, true, true},
        {"left on the header, data kind", cpNormalCellsLClick, Qt::LeftButton, 0, true, false},
        {"right on a data cell, data kind", cpNormalCellsRClick, Qt::RightButton, 4, true, true},
        {"right on a data cell, all cells", cpAllCellsRClick, Qt::RightButton, 1, true, true},
        {"right on the header, all cells", cpAllCellsRClick, Qt::RightButton, 0, true, true},
        {"right on the header, left on all cells", cpAllCellsLClick, Qt::RightButton, 0, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        g.Columns().Items(3).ColumnPopupType = c.type;
        fired.clear();
        press(c.button, 2, c.row);
        const std::vector<std::tuple<int, int, QMenu*>> expected =
            c.fires ? std::vector<std::tuple<int, int, QMenu*>>{{2, c.row, menu.get()}}
                    : std::vector<std::tuple<int, int, QMenu*>>{};
        EXPECT_EQ(fired, expected);
        EXPECT_EQ(menu->isVisible(), c.opens);
        if (c.opens) {
            const QRect cell = cellRect(g, 2, c.row);
            EXPECT_EQ(menu->pos(), g.mapToGlobal(QPoint(cell.left(), cell.bottom() + 1)));
        }
        menu->hide();
    }
}

TEST_F(ColumnPopups, ColumnsWithoutAMenuAndAMenuThatIsGone) {
    press(Qt::RightButton, 1, 0);  // real column 2: no menu
    press(Qt::RightButton, 3, 0);  // real column 4: no menu
    EXPECT_TRUE(fired.empty());
    EXPECT_FALSE(menu->isVisible());
    // A column added at the end takes the last column's menu with its look, not its kind of click.
    g.Columns().Items(4).ColumnPopup = menu.get();
    g.Columns().Items(4).ColumnPopupType = cpAllCellsLClick;
    TGridColumnItem& added = g.Columns().Add();
    EXPECT_EQ(added.ColumnPopup, menu.get());
    EXPECT_EQ(added.ColumnPopupType, cpFixedCellsRClick);
    menu.reset();
    EXPECT_EQ(g.Columns().Items(3).ColumnPopup, nullptr);
    press(Qt::RightButton, 2, 0);
    EXPECT_TRUE(fired.empty());
}

}  // namespace

namespace {

// Input as the window system delivers it (press, release, press, release, which the application
// turns into a double-click), so popups see the release that ends a double-click.
using SystemInput = Shown<TExColumnGrid>;

// From another cell the double-click lands on the cell; on the current cell its first click opens
// the editor, which takes the second.
TEST_F(SystemInput, ADoubleClickLeavesTheDropDownListOpen) {
    const struct {
        TEditorType kind;
        bool current;
    } cases[] = {{edComboList, false}, {edComboList, true}, {edComboEdit, false}, {edComboEdit, true}};
    for (const auto& [kind, current] : cases) {
        SCOPED_TRACE(int(kind));
        SCOPED_TRACE(current);
        g.Columns().Items(2).SetEditor(kind);
        g.Columns().Items(2).SetComboItems({QStringLiteral("one"), QStringLiteral("two")});
        g.SetRow(current ? 3 : 1);
        g.SetCol(current ? 2 : 1);
        QWindow* win = window();
        ASSERT_NE(win, nullptr);
        const QPoint at = inWindow(2, 3);
        QTest::mouseDClick(win, Qt::LeftButton, {}, at);
        QComboBox* combo = g.EditCombo();
        ASSERT_NE(combo, nullptr) << "no drop-down editor";
        ASSERT_TRUE(combo->isVisible()) << "no drop-down editor";
        EXPECT_TRUE(combo->view()->isVisible()) << "the list closed with the button";
        combo->hidePopup();
        QTest::keyClick(combo, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Keys typed at once after a click, through the window system's input path: on the current cell,
// on another cell, in a row the row number selected (on its current cell and on another of its
// cells), over a text that the keys replace, in the current cell over a text (the click put the
// caret where it went, after the text), and in a drop-down cell with its own edit.
TEST_F(SystemInput, KeysTypedRightAfterAClickAllReachTheCell) {
    g.Columns().Items(3).SetEditor(edComboEdit);
    g.Columns().Items(3).SetComboItems({QStringLiteral("alpha"), QStringLiteral("beta")});
    g.OnClickCell = [this](QObject*, int row, int col) {
        if (col == 0 && row >= 1) g.SelectRows(row, 1);
    };
    QWindow* win = window();
    ASSERT_NE(win, nullptr);
    const struct {
        const char* what;
        int currentCol, currentRow;  // -1: a click on the row number selects the row first
        int col, row;
        const char* before;
        const char* typed;
        const char* after = nullptr;  // nullptr: what was typed
    } cases[] = {
        {"the current cell", 1, 1, 1, 1, "", "abc"},
        {"another cell", 1, 1, 2, 2, "", "de"},
        {"another cell of a selected row", -1, 3, 2, 3, "", "fg"},
        {"the current cell of a selected row", -1, 4, 4, 4, "", "hi"},
        {"over a text", 1, 4, 1, 5, "old", "jk"},
        {"the current cell over a text", 1, 5, 1, 5, "old", "jk", "oldjk"},
        {"a drop-down cell with an edit", 3, 2, 3, 2, "beta", "xy"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        g.SetCells(c.col, c.row, QString::fromLatin1(c.before));
        if (c.currentCol < 0) {
            QTest::mouseClick(win, Qt::LeftButton, {}, inWindow(0, c.currentRow));
            ASSERT_TRUE(g.GetRowSelect(c.currentRow));
        } else {
            g.SetRow(c.currentRow);
            g.SetCol(c.currentCol);
        }
        QTest::mouseClick(win, Qt::LeftButton, {}, inWindow(c.col, c.row));
        for (const char* k = c.typed; *k; ++k) QTest::keyClick(win, *k);
        QTest::keyClick(win, Qt::Key_Return);
        EXPECT_EQ(g.Cells(c.col, c.row), QString::fromLatin1(c.after ? c.after : c.typed));
    }
}

}  // namespace

namespace {

// What is typed stands as typed: an item it begins is not completed (which would also keep the
// typed letters' case, "s" becoming "short Press"), Enter chooses no item for it, and the typed
// text does not join the list.
using TypedComboText = Shown<TExColumnGrid>;

TEST_F(TypedComboText, StandsAsTypedWithoutCompletionOrANewItem) {
    const QStringList list = {QStringLiteral("Short Press"), QStringLiteral("Still Vacant"), QStringLiteral("12")};
    g.Columns().Items(3).SetEditor(edComboEdit);
    g.Columns().Items(3).SetComboItems(list);
    using Change = std::tuple<int, QString>;
    std::vector<Change> changes;
    g.OnComboChange = [&](QObject*, int, int, int i, const QString& s) { changes.emplace_back(i, s); };
    const struct {
        int row;
        Qt::Key first;
        const char* rest;
        const char* cell;
        std::vector<Change> reported;
    } cases[] = {
        {1, Qt::Key_S, "", "s", {{-1, "s"}}},
        {2, Qt::Key_S, "t", "st", {{-1, "s"}, {-1, "st"}}},
        {3, Qt::Key_1, "", "1", {{-1, "1"}}},
        {4, Qt::Key_9, "9", "99", {{-1, "9"}, {-1, "99"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cell);
        changes.clear();
        QWidget* edit = typeInto(3, c.row, c.first);
        ASSERT_NE(focusedCombo(), nullptr);
        QTest::keyClicks(edit, c.rest);
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(g.Cells(3, c.row), QString::fromLatin1(c.cell));
        EXPECT_EQ(changes, c.reported);
    }
    // The next editor offers the list as it was.
    typeInto(3, 5, Qt::Key_A);
    QComboBox* combo = focusedCombo();
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(items(combo), list);
    QTest::keyClick(combo, Qt::Key_Escape);
}

}  // namespace
