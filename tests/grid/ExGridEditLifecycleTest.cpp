// The life of an in-place edit: opening it on the current cell, ending it with a key, the spin
// editor made on first use, the live edit by editor kind, and the editor that an always-editing
// grid opens when it gets the focus.
#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "platform/InplaceEdit.h"
#include "tests/support/EventWait.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A shown grid of 5 columns and Rows rows with goEditing, the cells focused.
struct Fixture {
    QWidget form;
    TExStringGrid* g;
    QPushButton* other;
    explicit Fixture(int Rows = 6) : g(new TExStringGrid(&form)), other(new QPushButton("other", &form)) {
        form.resize(520, 340);
        g->setGeometry(0, 0, 480, 280);
        other->setGeometry(0, 300, 80, 30);
        g->SetColCount(5);
        g->SetRowCount(Rows);
        plat::TGridOptions o = g->Options();
        o.include(plat::goEditing);
        g->SetOptions(o);
        for (int c = 1; c < 5; ++c)
            for (int r = 1; r < Rows && r < 200; ++r) g->SetCells(c, r, QStringLiteral("c%1r%2").arg(c).arg(r));
        form.show();
        EXPECT_TRUE(testing_support::waitForWindowExposed(&form));
        QApplication::setActiveWindow(&form);
        g->viewport()->setFocus();
    }
    QWidget* focus() const { return QApplication::focusWidget(); }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(focus(), Qt::Key(k), m); }
    void type(const QString& s) {
        for (QChar c : s) QTest::keyClick(focus(), c.toLatin1());
    }
    void go(int col, int row) {
        g->SetCol(col);
        g->SetRow(row);
    }
    bool editorShown() const { return g->InplaceEditor() && g->InplaceEditor()->isVisible(); }
    void kind(TEditorType Kind) {
        g->OnGetEditorType = [Kind](QObject*, int, int, TEditorType& e) { e = Kind; };
    }
};

}  // namespace

// The editor scrolls its cell into view only from above (and from the left); below the visible
// rows the grid stays where it is.
TEST(ExGridEditLifecycle, ShowInplaceEditScrollsOnlyUpAndLeft) {
    struct Case {
        const char* name;
        int col, row, top, left;
        int expectTop, expectLeft;
    } const cases[] = {
        {"row above the visible rows", 2, 10, 50, 1, 10, 1},
        {"row below the visible rows", 2, 90, 5, 1, 5, 1},
        {"column left of the visible columns", 1, 20, 20, 3, 20, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f(100);
        f.g->SetColCount(30);
        f.go(c.col, c.row);
        f.g->SetTopRow(c.top);
        f.g->SetLeftCol(c.left);
        f.g->ShowInplaceEdit();
        EXPECT_EQ(f.g->TopRow(), c.expectTop);
        EXPECT_EQ(f.g->LeftCol(), c.expectLeft);
        EXPECT_EQ(std::pair(f.g->Col(), f.g->Row()), std::pair(c.col, c.row));
        if (c.expectTop == c.row) {
            ASSERT_TRUE(f.editorShown());
            EXPECT_EQ(f.g->InplaceEditor()->Text(), QStringLiteral("c%1r%2").arg(c.col).arg(c.row));
        }
    }
}

// A spin editor ended with Down: on the last normal row with AppendOnArrowDown one row is appended
// and the cursor goes into it, also with a footer row below; elsewhere the cursor only moves.
TEST(ExGridEditLifecycle, DoneWithDownAppendsOneRowOnlyOnTheLastNormalRow) {
    struct Case {
        const char* name;
        bool append;
        int footers;
        int row;
        int addedRows, rowAfter;
    } const cases[] = {
        {"last row, appending", true, 0, 5, 1, 6},
        {"last row, not appending", false, 0, 5, 0, 5},
        {"inner row, appending", true, 0, 3, 0, 4},
        {"last normal row above a footer", true, 1, 4, 1, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.g->Navigation().SetAppendOnArrowDown(c.append);
        f.g->SetFixedFooters(c.footers);
        f.kind(edSpinEdit);
        f.g->SetCells(2, c.row, "7");
        f.go(2, c.row);
        f.key(Qt::Key_F2);
        ASSERT_TRUE(f.g->SpinEdit()->isVisible());
        f.key(Qt::Key_Down);
        EXPECT_FALSE(f.g->SpinEdit()->isVisible());
        EXPECT_EQ(f.g->RowCount(), 6 + c.addedRows);
        EXPECT_EQ(f.g->Row(), c.rowAfter);
        EXPECT_EQ(f.g->Cells(2, c.row), "7");
    }
}

// Enter ends a special edit through the Enter advance, which runs with AlwaysEdit off; the grid has
// AlwaysEdit back afterwards and the advance opened no text editor on its own.
TEST(ExGridEditLifecycle, DoneWithEnterAdvancesWithAlwaysEditOff) {
    Fixture f;
    f.g->Navigation().SetAdvanceOnEnter(true);
    f.g->Navigation().SetAlwaysEdit(true);
    f.kind(edSpinEdit);
    std::vector<bool> alwaysInside;
    f.g->OnAutoAdvance = [&](QObject*, int, int, int&, int&, bool&) {
        alwaysInside.push_back(f.g->Navigation().AlwaysEdit());
    };
    f.g->SetCells(2, 2, "3");
    f.go(2, 2);
    f.key(Qt::Key_F2);
    ASSERT_TRUE(f.g->SpinEdit()->isVisible());
    f.key(Qt::Key_PageUp);  // the spin's own step
    f.key(Qt::Key_Return);
    EXPECT_EQ(alwaysInside, std::vector<bool>{false});
    EXPECT_TRUE(f.g->Navigation().AlwaysEdit());
    EXPECT_FALSE(f.g->BlockFocus());
    EXPECT_EQ(f.g->Cells(2, 2), "4");
    EXPECT_EQ(std::pair(f.g->Col(), f.g->Row()), std::pair(3, 2));
}

TEST(ExGridEditLifecycle, SpinEditIsMadeOnceHiddenAndDisabled) {
    Fixture f;
    const auto spins = [&] {
        int n = 0;
        for (QWidget* w : f.g->findChildren<QWidget*>()) n += dynamic_cast<TGridSpin*>(w) != nullptr;
        return n;
    };
    EXPECT_EQ(spins(), 0);
    TGridSpin* first = f.g->SpinEdit();
    TGridSpin* second = f.g->SpinEdit();
    EXPECT_EQ(first, second);
    EXPECT_EQ(spins(), 1);
    EXPECT_FALSE(first->isVisible());
    EXPECT_FALSE(first->isEnabled());
    EXPECT_EQ(first->IsWinXP(), f.g->IsWinXP());
}

// What is typed reaches the cell while the editor is open, once a text editor opened on the grid:
// the standard kinds and the spin; the valid-characters kind only when its edit ends.
TEST(ExGridEditLifecycle, LiveEditByEditorKind) {
    struct Case {
        const char* name;
        bool textEditorFirst;
        TEditorType kind;
        bool live;
    } const cases[] = {
        {"normal", false, edNormal, true},
        {"upper case", false, edUpperCase, true},
        {"valid characters", false, edValidChars, false},
        {"spin before any text editor", false, edSpinEdit, false},
        {"spin after a text editor", true, edSpinEdit, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.g->SetValidChars("0123456789");
        if (c.textEditorFirst) {
            f.go(1, 1);
            f.key(Qt::Key_F2);
            f.key(Qt::Key_Escape);
        }
        EXPECT_EQ(f.g->ShowEditProcess(), c.textEditorFirst);
        f.kind(c.kind);
        f.g->SetCells(2, 2, "1");
        f.go(2, 2);
        f.key(Qt::Key_F2);
        f.type("5");
        const QString typed = c.kind == edSpinEdit ? f.g->SpinEdit()->Text() : f.g->InplaceEditor()->Text();
        EXPECT_NE(typed, "1");
        EXPECT_EQ(f.g->Cells(2, 2), c.live ? typed : QString("1"));
        f.key(Qt::Key_Return);
        EXPECT_EQ(f.g->Cells(2, 2), typed);
    }
}

// An always-editing grid opens the editor when it gets the focus back: once the text editor
// exists on any editable cell in view; before that only on a drop-down cell, and not while a click
// or the always-shown drop-down opens it anyway.
TEST(ExGridEditLifecycle, AlwaysEditOpensTheEditorOnFocus) {
    struct Case {
        const char* name;
        bool editorMadeBefore;
        bool comboCell;
        bool directEdit;
        bool canEdit;
        bool opens;
    } const cases[] = {
        {"text editor exists", true, false, false, true, true},
        {"text editor exists, cell read-only", true, false, false, false, false},
        {"no text editor, plain cell", false, false, false, true, false},
        {"no text editor, drop-down cell", false, true, false, true, true},
        {"no text editor, drop-down cell, direct edit", false, true, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        if (c.editorMadeBefore) {
            f.go(1, 1);
            f.key(Qt::Key_F2);
            f.key(Qt::Key_Escape);
        }
        f.g->Navigation().SetAlwaysEdit(true);
        f.g->MouseActions().SetDirectEdit(c.directEdit);
        f.g->OnHasComboBox = [&](QObject*, int, int, bool& has) { has = c.comboCell; };
        f.g->OnCanEditCell = [&](QObject*, int row, int, bool& can) { can = c.canEdit || row != 3; };
        f.go(2, 3);
        f.other->setFocus();
        ASSERT_EQ(f.focus(), f.other);
        f.g->viewport()->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(f.editorShown(), c.opens);
        if (c.opens) EXPECT_EQ(f.g->InplaceEditor()->Text(), "c2r3");
    }
}
