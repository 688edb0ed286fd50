// Row operations of the table dialogs.
#include "grid/ExCGrid.h"
#include "grid/ExGrid.h"
#include "tests/support/EventWait.h"
#include "tests/support/GridCells.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

using testing_support::RecordingDialogs;
using testing_support::Shown;
using Rows = std::vector<QStringList>;  // data rows 1.., data columns 1.. (hidden ones included)

const char* kInsertRefused =
    "The last row of the table is in use: inserting a row would lose its values. "
    "Delete or empty the last row first.";

void setRows(TExStringGrid& g, const Rows& rows) {
    for (int r = 1; r < g.RowCount(); ++r)
        for (int c = 1; c < g.TotalColCount(); ++c)
            g.SetCells(c, r, r - 1 < int(rows.size()) ? rows[size_t(r - 1)].value(c - 1) : QString());
}

Rows getRows(const TExStringGrid& g) {
    Rows rows;
    for (int r = 1; r < g.RowCount(); ++r) {
        QStringList row;
        for (int c = 1; c < g.TotalColCount(); ++c) row << g.Cells(c, r);
        rows.push_back(row);
    }
    return rows;
}

struct RowHelpers : ::testing::Test {
    RecordingDialogs dialogs;
    void SetUp() override {
        Load_Default_Language();
        g_RowClipboard.clear();
        g_RowClipboardIsCheck.clear();
        g_EnableJumpFieldTables = 0;
        g_DoubleClickAutoSize = 0;
    }
    void TearDown() override {
        g_EnableJumpFieldTables = 0;
        g_DoubleClickAutoSize = 0;
    }
};

// The table of a topic dialog in small: 4 data rows; columns 1 text, 2 a Y/N check column, 3 a
// hidden text column, 4 text.
struct ColumnTable {
    TExColumnGrid g;
    ColumnTable() {
        g.SetColCount(5);
        g.SetRowCount(5);
        g.Columns().Items(2).SetEditor(edDataCheckBox);
        g.HideColumn(3);
        g.Loaded();  // as a dialog does once its form's values are set
    }
};

const QStringList kEmpty = {"", "", "", ""};

// Column-grid family -----------------------------------------------------------------------------

TEST_F(RowHelpers, DeleteAndInsertMoveWholeRowsHiddenColumnsIncluded) {
    const QStringList A = {"a1", "Y", "a3", "a4"}, B = {"b1", "N", "b3", "b4"}, C = {"c1", "", "c3", ""},
                      D = {"d1", "Y", "d3", "d4"};
    const QStringList onlyCheck = {"", "Y", "", ""}, blanks = {"  ", "", "\t", ""};
    const QStringList Yrow = {"Y", "", "", ""};
    struct Case {
        const char* name;
        Rows before;
        std::function<void(TExColumnGrid&)> op;
        Rows after;
        QStringList errors;
    };
    const std::vector<Case> cases = {
        {"delete the first row", {A, B, C, D}, [](auto& g) { Delete_Row_Grid(1, g); }, {B, C, D, kEmpty}, {}},
        {"delete the last row", {A, B, C, D}, [](auto& g) { Delete_Row_Grid(4, g); }, {A, B, C, kEmpty}, {}},
        {"delete a middle row", {A, B, C, D}, [](auto& g) { Delete_Row_Grid(2, g); }, {A, C, D, kEmpty}, {}},
        {"insert at the first row", {A, B, C}, [](auto& g) { Insert_Row_Grid(1, g, false); },
         {kEmpty, A, B, C}, {}},
        {"insert with the flag", {A, B, C}, [](auto& g) { Insert_Row_Grid(2, g, true); }, {A, Yrow, B, C}, {}},
        {"insert at the last row", {A, B, C}, [](auto& g) { Insert_Row_Grid(4, g, false); },
         {A, B, C, kEmpty}, {}},
        {"insert at the last row with the flag", {A, B, C}, [](auto& g) { Insert_Row_Grid(4, g, true); },
         {A, B, C, Yrow}, {}},
        {"a last row of blanks is empty", {A, B, C, blanks}, [](auto& g) { Insert_Row_Grid(1, g, false); },
         {kEmpty, A, B, C}, {}},
        {"a last row with only a check mark is empty", {A, B, C, onlyCheck},
         [](auto& g) { Insert_Row_Grid(1, g, false); }, {kEmpty, A, B, C}, {}},
        {"insert refused while the last row is in use", {A, B, C, D},
         [](auto& g) { Insert_Row_Grid(1, g, true); }, {A, B, C, D}, {kInsertRefused}},
        {"insert at the last row refused while it is in use", {A, B, C, D},
         [](auto& g) { Insert_Row_Grid(4, g, false); }, {A, B, C, D}, {kInsertRefused}},
        {"a hidden value alone puts the last row in use", {A, B, C, {"", "", "h", ""}},
         [](auto& g) { Insert_Row_Grid(1, g, false); }, {A, B, C, {"", "", "h", ""}}, {kInsertRefused}},
        {"row 0 is never touched", {A, B, C, D}, [](auto& g) { Delete_Row_Grid(0, g); }, {A, B, C, D}, {}},
    };
    for (const Case& k : cases) {
        ColumnTable t;
        t.g.SetCells(1, 0, QStringLiteral("Topic"));
        setRows(t.g, k.before);
        dialogs.clear();
        k.op(t.g);
        EXPECT_EQ(getRows(t.g), k.after) << k.name;
        EXPECT_EQ(dialogs.errors(), k.errors) << k.name;
        EXPECT_EQ(t.g.Cells(1, 0), QStringLiteral("Topic")) << k.name;
        EXPECT_EQ(t.g.Cells(0, 4), QStringLiteral("4")) << k.name;
        EXPECT_EQ(t.g.RowCount(), 5) << k.name;
    }
}

TEST_F(RowHelpers, PasteChecksItsFlagTheColumnCountAndWhetherTheRowIsInUse) {
    const QStringList src = {"s1", "Y", "s3", "s4"}, used = {"u1", "N", "u3", "u4"};
    const QString askOverwrite = QStringLiteral("Row Already used. Do you want to overwrite the values?");
    struct Case {
        const char* name;
        QStringList target;
        bool copyFlag;
        QStringList clipboard;  // empty: the copied row
        std::vector<plat::Answer> answers;
        QStringList expected;
        std::vector<Shown> shown;
    };
    const std::vector<Case> cases = {
        {"no copy flag", kEmpty, false, {}, {}, kEmpty,
         {{Shown::Error, "Error!!! Copy a valid row before Paste it"}}},
        {"no copy flag even with a fitting clipboard", used, false, {}, {}, used,
         {{Shown::Error, "Error!!! Copy a valid row before Paste it"}}},
        {"a row of another table", kEmpty, true, {"1", "2", "3", "4", "5", "6"}, {}, kEmpty,
         {{Shown::Error, "Error in the Copy values!!! Copy a valid row before Paste it"}}},
        {"over an empty row no question", kEmpty, true, {}, {}, src, {}},
        {"only a check mark is not use", {"", "Y", "", ""}, true, {}, {}, src, {}},
        {"blanks are not use", {" ", "", "  ", "\t"}, true, {}, {}, src, {}},
        {"a used row asks and No keeps it", used, true, {}, {plat::Answer::No}, used,
         {{Shown::YesNo, askOverwrite}}},
        {"a used row asks and Yes pastes", used, true, {}, {plat::Answer::Yes}, src,
         {{Shown::YesNo, askOverwrite}}},
        {"a value in the hidden column is use", {"", "", "h", ""}, true, {}, {}, {"", "", "h", ""},
         {{Shown::YesNo, askOverwrite}}},
    };
    for (const Case& k : cases) {
        ColumnTable t;
        setRows(t.g, {src, kEmpty, k.target});
        Copy_Row_Grid(t.g, 1);
        EXPECT_EQ(g_RowClipboard, src) << k.name;
        if (!k.clipboard.isEmpty()) g_RowClipboard = k.clipboard;
        dialogs.clear();
        dialogs.answers.assign(k.answers.begin(), k.answers.end());
        Paste_Row_Grid(t.g, 3, k.copyFlag);
        EXPECT_EQ(getRows(t.g)[2], k.expected) << k.name;
        ASSERT_EQ(dialogs.shown.size(), k.shown.size()) << k.name;
        for (size_t i = 0; i < k.shown.size(); ++i) {
            EXPECT_EQ(dialogs.shown[i].kind, k.shown[i].kind) << k.name;
            EXPECT_EQ(dialogs.shown[i].text, k.shown[i].text) << k.name;
        }
    }
}

TEST_F(RowHelpers, ARowCopiedInOneTablePastesIntoAnotherOfTheSameShape) {
    ColumnTable a, b;
    setRows(a.g, {{"x", "Y", "hidden", "z"}});
    Copy_Row_Grid(a.g, 1);
    Paste_Row_Grid(b.g, 4, true);
    EXPECT_EQ(getRows(b.g)[3], (QStringList{"x", "Y", "hidden", "z"}));

    TExColumnGrid narrow;  // 3 data columns
    narrow.SetColCount(4);
    narrow.SetRowCount(3);
    Paste_Row_Grid(narrow, 1, true);
    EXPECT_EQ(dialogs.errors(), QStringList{"Error in the Copy values!!! Copy a valid row before Paste it"});
}

// Check-box family ------------------------------------------------------------------------------

// A table whose column 1 carries plain check boxes and columns 2 and 3 texts; 4 data rows.
struct CheckTable {
    TExStringGrid g;
    CheckTable(const std::vector<bool>& checks, const Rows& texts, const std::vector<bool>& readOnly) {
        g.SetColCount(4);
        g.SetRowCount(5);
        for (int r = 1; r <= 4; ++r) {
            g.AddCheckBox(1, r, checks[size_t(r - 1)], false);
            g.SetCells(2, r, texts[size_t(r - 1)].value(0));
            g.SetCells(3, r, texts[size_t(r - 1)].value(1));
            for (int c = 1; c <= 3; ++c) g.SetReadOnly(c, r, readOnly[size_t(r - 1)]);
        }
    }
    // One text per row: check state as Y/N, the two texts and the read-only mark as R/W.
    QStringList rows() {
        QStringList out;
        for (int r = 1; r <= 4; ++r) {
            bool s = false;
            const QString box = g.GetCheckBoxState(1, r, s) ? (s ? "Y" : "N") : "-";
            out << box + "|" + g.Cells(2, r) + "|" + g.Cells(3, r) + "|" + (g.ReadOnly(2, r) ? "R" : "W");
        }
        return out;
    }
};

TEST_F(RowHelpers, CheckFamilyMovesStatesAndReadOnlyMarks) {
    const std::vector<bool> checks = {true, false, true, false};
    const Rows full = {{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}};
    const Rows lastEmpty = {{"a", "1"}, {"b", "2"}, {"c", "3"}, {"", ""}};
    const std::vector<bool> ro = {false, true, false, false};
    struct Case {
        const char* name;
        Rows texts;
        std::function<void(TExStringGrid&)> op;
        QStringList after;
        QStringList errors;
    };
    const std::vector<Case> cases = {
        {"delete the first row, flag set", full, [](auto& g) { Delete_Row_Check_Grid(1, g, true); },
         {"N|b|2|R", "Y|c|3|W", "N|d|4|W", "Y|||R"}, {}},
        {"delete the last row", full, [](auto& g) { Delete_Row_Check_Grid(4, g, false); },
         {"Y|a|1|W", "N|b|2|R", "Y|c|3|W", "N|||R"}, {}},
        {"insert at the first row", lastEmpty, [](auto& g) { Insert_Row_Check_Grid(1, g, false); },
         {"N|||W", "Y|a|1|W", "N|b|2|R", "Y|c|3|W"}, {}},
        {"insert with the flag", lastEmpty, [](auto& g) { Insert_Row_Check_Grid(2, g, true); },
         {"Y|a|1|W", "Y|||W", "N|b|2|R", "Y|c|3|W"}, {}},
        {"insert at the last row", lastEmpty, [](auto& g) { Insert_Row_Check_Grid(4, g, false); },
         {"Y|a|1|W", "N|b|2|R", "Y|c|3|W", "N|||W"}, {}},
        {"insert refused while the last row is in use", full,
         [](auto& g) { Insert_Row_Check_Grid(1, g, false); }, {"Y|a|1|W", "N|b|2|R", "Y|c|3|W", "N|d|4|W"},
         {kInsertRefused}},
        {"a blank is use in this family", {{"a", "1"}, {"b", "2"}, {"c", "3"}, {" ", ""}},
         [](auto& g) { Insert_Row_Check_Grid(1, g, false); }, {"Y|a|1|W", "N|b|2|R", "Y|c|3|W", "N| ||W"},
         {kInsertRefused}},
    };
    for (const Case& k : cases) {
        CheckTable t(checks, k.texts, ro);
        dialogs.clear();
        k.op(t.g);
        EXPECT_EQ(t.rows(), k.after) << k.name;
        EXPECT_EQ(dialogs.errors(), k.errors) << k.name;
    }
}

TEST_F(RowHelpers, CheckFamilyCopiesBoxesAsYNAndPastesThemBack) {
    CheckTable t({true, false, false, false}, {{"a", "1"}, {"", ""}, {" ", ""}, {"", ""}}, {false, false, false, false});
    Copy_Row_Check_Grid(t.g, 1);
    EXPECT_EQ(g_RowClipboard, (QStringList{"Y", "a", "1"}));
    EXPECT_EQ(g_RowClipboardIsCheck, (std::vector<uint8_t>{1, 0, 0}));

    Paste_Row_Check_Grid(t.g, 2, true);  // empty row: no question
    EXPECT_EQ(t.rows()[1], QStringLiteral("Y|a|1|W"));
    EXPECT_TRUE(dialogs.shown.empty());

    // A single blank counts as use here, unlike the column grids.
    dialogs.answers = {plat::Answer::No};
    Paste_Row_Check_Grid(t.g, 3, true);
    EXPECT_EQ(t.rows()[2], QStringLiteral("N| ||W"));
    EXPECT_EQ(dialogs.texts(), QStringList{"Row Already used. Do you want to overwrite the values?"});

    dialogs.clear();
    Paste_Row_Check_Grid(t.g, 4, false);
    EXPECT_EQ(dialogs.errors(), QStringList{"Error!!! Copy a valid row before Paste it"});
    EXPECT_EQ(t.rows()[3], QStringLiteral("N|||W"));
}

TEST_F(RowHelpers, ARowFromTheColumnFamilyPastesAsTexts) {
    CheckTable t({true, true, true, true}, {{"", ""}, {"", ""}, {"", ""}, {"", ""}}, {false, false, false, false});
    Copy_Row_Check_Grid(t.g, 1);  // leaves check flags behind
    TExColumnGrid other;
    other.SetColCount(4);
    other.SetRowCount(2);
    setRows(other, {{"Y", "x", "y"}});
    Copy_Row_Grid(other, 1);
    Paste_Row_Check_Grid(t.g, 2, true);
    // The box is not a text cell: it keeps its state; the texts arrive.
    EXPECT_EQ(t.rows()[1], QStringLiteral("Y|x|y|W"));
    EXPECT_TRUE(g_RowClipboardIsCheck.empty());
}

// Enter and double-click ------------------------------------------------------------------------

TEST_F(RowHelpers, EnterMovesToTheNextShownCell) {
    struct Case {
        const char* name;
        bool option;
        int col, row;
        QChar key;
        int expCol, expRow;
        QChar expKey;
    };
    const QChar enter(13), none(0), a(u'a');
    // 4 shown columns (display 0..3) over 5 real ones, rows 0..4.
    const std::vector<Case> cases = {
        {"next column", true, 1, 1, enter, 2, 1, none},
        {"last shown column wraps to the next row", true, 3, 2, enter, 1, 3, none},
        {"last cell wraps to row 1", true, 3, 4, enter, 1, 1, none},
        {"row 0 swallows the key", true, 2, 0, enter, 2, 0, none},
        {"column 0 swallows the key", true, 0, 2, enter, 0, 2, none},
        {"option off", false, 1, 1, enter, 1, 1, enter},
        {"other keys pass", true, 1, 1, a, 1, 1, a},
    };
    for (const Case& k : cases) {
        ColumnTable t;
        g_EnableJumpFieldTables = k.option;
        t.g.SetRow(k.row);
        t.g.SetCol(k.col);
        QChar key = k.key;
        Grid_Enter_Next_Cell(t.g, key);
        EXPECT_EQ(t.g.Col(), k.expCol) << k.name;
        EXPECT_EQ(t.g.Row(), k.expRow) << k.name;
        EXPECT_EQ(key, k.expKey) << k.name;
    }
}

TEST_F(RowHelpers, EnterTypedInTheGridMovesTheFocusCell) {
    QWidget form;  // a dialog's grid sits on its form
    ColumnTable t;
    t.g.setParent(&form);
    g_EnableJumpFieldTables = 1;
    t.g.OnKeyPress = [&t](QObject*, QChar& key) { Grid_Enter_Next_Cell(t.g, key); };
    t.g.resize(400, 200);
    form.resize(400, 200);
    form.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&form));
    t.g.SetRow(1);
    t.g.SetCol(2);
    QTest::keyClick(&t.g, Qt::Key_Return);
    EXPECT_EQ(t.g.Col(), 3);
    EXPECT_EQ(t.g.GetRealCol(), 4);  // the hidden column 3 is skipped
    QTest::keyClick(&t.g, Qt::Key_Enter);
    EXPECT_EQ(t.g.Col(), 1);
    EXPECT_EQ(t.g.Row(), 2);
    EXPECT_EQ(t.g.Selection(), (plat::TGridRect{1, 2, 1, 2})) << "the selection follows the current cell";
    // Enter typed in a cell editor keeps the value and moves on once.
    QTest::keyClick(&t.g, Qt::Key_Q);
    ASSERT_TRUE(t.g.EditorMode());
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor, t.g.InplaceEditor());
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(t.g.Cells(1, 2), QStringLiteral("q"));
    EXPECT_EQ(t.g.Col(), 2);
    EXPECT_EQ(t.g.Row(), 2);
}

// A cell handed to a window of its own (the template editor): the cell's editor closes first, so
// the window gets what was typed there, and no editor is left open to write an older text back
// once the focus moves on.
TEST_F(RowHelpers, ACellEditedInAWindowOfItsOwn) {
    constexpr int kText = 1, kDropDown = 2;
    const struct {
        const char* name;
        int col;
        const char* typed;  // nullptr: no editor open; "": a double click opens it on the cell's text
        bool ok;            // the window closes with OK
        const char* handed;
        const char* after;
    } cases[] = {
        {"no editor open, OK", kText, nullptr, true, "old", "new"},
        {"no editor open, Cancel", kText, nullptr, false, "old", "old"},
        {"a typed text goes in first", kText, "typed", false, "typed", "typed"},
        {"a typed text, then OK", kText, "typed", true, "typed", "new"},
        {"a drop-down open on the old text, OK", kDropDown, "", true, "old", "new"},
        {"a text typed in a drop-down, Cancel", kDropDown, "typed", false, "typed", "typed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget form;
        TExColumnGrid g(&form);
        Set_Table_Grid_Form(g);  // as a table dialog makes its grid
        g.SetColCount(3);
        g.SetRowCount(3);
        g.Columns().Items(kDropDown).SetEditor(edComboEdit);
        g.Columns().Items(kDropDown).SetComboItems({QStringLiteral("$VALUE$")});
        g.Loaded();
        g.resize(400, 150);
        auto* elsewhere = new QLineEdit(&form);
        elsewhere->move(0, 160);
        form.resize(400, 200);
        form.show();
        ASSERT_TRUE(testing_support::waitForWindowExposed(&form));
        form.activateWindow();
        ASSERT_TRUE(testing_support::waitForWindowActive(&form));
        g.SetCells(c.col, 1, QStringLiteral("old"));
        g.setFocus();
        g.SetRow(1);
        g.SetCol(c.col);
        if (c.typed) {
            const QString typed = QString::fromLatin1(c.typed);
            if (typed.isEmpty()) {
                // A double click on the cell opens its editor on the cell's text.
                const QRect cell = cellRect(g, c.col, 1);
                QWidget* under = g.childAt(cell.center());
                ASSERT_NE(under, nullptr);
                QTest::mouseDClick(under, Qt::LeftButton, {}, under->mapFrom(&g, cell.center()));
            } else {
                QTest::keyClick(&g, typed[0].toLatin1());  // the first key opens the editor
                QTest::keyClicks(QApplication::focusWidget(), typed.mid(1));
            }
            ASSERT_TRUE(g.EditMode());
        }
        QString handed;
        bool openMeanwhile = true;
        const bool taken = Edit_Cell_In_Window(g, c.col, 1, [&](QString& text) {
            handed = text;
            openMeanwhile = g.EditMode() || g.EditorMode();
            if (c.ok) text = QStringLiteral("new");
            return c.ok;
        });
        EXPECT_EQ(taken, c.ok);
        EXPECT_EQ(handed, QString::fromLatin1(c.handed));
        EXPECT_FALSE(openMeanwhile) << "the cell's editor stayed open under the window";
        EXPECT_EQ(g.Cells(c.col, 1), QString::fromLatin1(c.after));
        EXPECT_EQ(g.childAt(cellRect(g, c.col, 1).center()), g.viewport()) << "an editor is left over the cell";
        // The focus moving on writes nothing back.
        elsewhere->setFocus();
        g.SetRow(2);
        QCoreApplication::processEvents();
        EXPECT_EQ(g.Cells(c.col, 1), QString::fromLatin1(c.after));
    }
}

// A header longer than its column wraps at its blanks and the header row grows until every header
// shows whole; the widths stay, and the row is no higher than the longest header needs.
TEST_F(RowHelpers, TheHeaderRowShowsEveryHeaderWhole) {
    const struct {
        const char* name;
        std::vector<const char*> headers;  // columns 1 ..
        std::vector<int> widths;
        bool grows;
    } cases[] = {
        {"every header fits", {"Enable", "Type"}, {60, 60}, false},
        {"two words on two lines", {"Enable", "Time Send"}, {60, 70}, true},
        {"three lines", {"Number of bytes sent", "N"}, {50, 30}, true},
        {"a word wider than its column breaks inside it", {"Community", "N"}, {30, 30}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget form;
        TExStringGrid g(&form);
        Set_Table_Grid_Form(g, true);
        g.SetColCount(int(c.headers.size()) + 1);
        g.SetRowCount(3);
        for (size_t i = 0; i < c.headers.size(); ++i) {
            g.SetColWidths(int(i) + 1, c.widths[i]);
            g.SetCells(int(i) + 1, 0, QString::fromLatin1(c.headers[i]));
        }
        g.Loaded();
        g.resize(400, 300);
        form.resize(400, 300);
        form.show();
        ASSERT_TRUE(testing_support::waitForWindowExposed(&form));
        Fit_Header_Row(g);
        const int fitted = g.RowHeights(0);
        EXPECT_EQ(fitted > g.DefaultRowHeight(), c.grows) << fitted;
        for (size_t i = 0; i < c.widths.size(); ++i) EXPECT_EQ(g.ColWidths(int(i) + 1), c.widths[i]);
        EXPECT_EQ(cutHeaders(g), std::vector<int>{});
        if (!c.grows) continue;
        // One pixel less and a header is cut.
        g.SetRowHeights(0, fitted - 1);
        EXPECT_NE(cutHeaders(g), std::vector<int>{});
        // Shorter headers, as another language may give: the row comes back to its height.
        for (int col = 1; col < g.ColCount(); ++col) g.SetCells(col, 0, QStringLiteral("N"));
        Fit_Header_Row(g);
        EXPECT_EQ(g.RowHeights(0), g.DefaultRowHeight());
    }
}

TEST_F(RowHelpers, HeaderDoubleClickSizesTheColumnOnlyWithTheOption) {
    struct Case {
        const char* name;
        bool option;
        int row;
        bool sized;
    };
    const std::vector<Case> cases = {
        {"header row with the option", true, 0, true},
        {"data row with the option", true, 2, false},
        {"header row without the option", false, 0, false},
    };
    const QString longText = QStringLiteral("a text far wider than a default column");
    for (const Case& k : cases) {
        ColumnTable t;
        g_DoubleClickAutoSize = k.option;
        t.g.SetCells(4, 2, longText);
        Grid_Auto_Size_Col(t.g, k.row, 3);  // display 3 is real column 4
        const int sized = t.g.fontMetrics().horizontalAdvance(longText) + 2 * TExStringGrid::kCellMargin;
        EXPECT_EQ(t.g.AllColWidths(4), k.sized ? sized : TExStringGrid::kDefaultColWidth) << k.name;
    }
}

TEST_F(RowHelpers, CornerDoubleClickSizesTheRowNumberColumn) {
    TExColumnGrid g;
    g.SetColCount(3);
    g.SetRowCount(1025);
    g_DoubleClickAutoSize = 1;
    g.OnDblClickCell = [&g](QObject*, int row, int col) { Grid_Auto_Size_Col(g, row, col); };
    g.resize(300, 200);
    g.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&g));
    const QPoint corner = cellRect(g, 0, 0).center();
    QWidget* area = g.childAt(corner);
    ASSERT_NE(area, nullptr);
    QTest::mouseDClick(area, Qt::LeftButton, {}, area->mapFrom(&g, corner));
    // The row numbers are drawn in the fixed cells' font.
    const QFontMetrics fixed(g.FixedFont().ToQFont());
    const int sized = fixed.horizontalAdvance(QStringLiteral("1024")) + 2 * TExStringGrid::kCellMargin;
    EXPECT_EQ(g.AllColWidths(0), sized);
    EXPECT_EQ(cellRect(g, 0, 1).width(), sized) << "the row-number column is drawn that wide";
}

}  // namespace
