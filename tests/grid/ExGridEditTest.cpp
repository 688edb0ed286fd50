// In-place editing driven as a user drives it: keys and clicks on a shown grid, the combo editor's
// two roads, validation and the done notices, the advance after Enter, cell selection rules and
// the incremental search on the driven grid timer.
#include "controls/ExGridPopups.h"
#include "controls/SgCombo.h"
#include "grid/ExCGrid.h"
#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "grid/ExGridUnit.h"
#include "platform/InplaceEdit.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPixmap>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <functional>
#include <stdexcept>

namespace {

// A shown grid of 4 columns and 6 rows with goEditing, the cells focused.
struct Fixture {
    QWidget form;
    TExStringGrid* g;
    explicit Fixture(bool editing = true, bool columnGrid = false)
        : g(columnGrid ? new TExColumnGrid(&form) : new TExStringGrid(&form)) {
        form.resize(520, 320);
        g->setGeometry(0, 0, 480, 280);
        g->SetColCount(4);
        g->SetRowCount(6);
        setOption(plat::goEditing, editing);
        for (int c = 1; c < 4; ++c)
            for (int r = 1; r < 6; ++r) g->SetCells(c, r, QStringLiteral("c%1r%2").arg(c).arg(r));
        form.show();
        EXPECT_TRUE(testing_support::waitForWindowExposed(&form));
        QApplication::setActiveWindow(&form);
        g->viewport()->setFocus();
    }
    void setOption(plat::TGridOption o, bool on) {
        plat::TGridOptions opts = g->Options();
        on ? opts.include(o) : opts.exclude(o);
        g->SetOptions(opts);
    }
    QWidget* focus() const { return QApplication::focusWidget(); }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(focus(), Qt::Key(k), m); }
    // Each key goes where the focus is when it is typed.
    void type(const QString& s) {
        for (QChar c : s) QTest::keyClick(focus(), c.toLatin1());
    }
    QPoint centre(int col, int row) const { return g->CellRect(col, row).toQRect().center(); }
    void click(int col, int row) { QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, centre(col, row)); }
    plat::TInplaceEdit* editor() const { return g->InplaceEditor(); }
    bool editorShown() const { return editor() && editor()->isVisible(); }
    ctl::TSgComboBox& combo() const { return *g->EditCombo(); }
    void items(const QStringList& l) {
        g->ClearComboString();
        for (const QString& s : l) g->AddComboString(s);
    }
    void go(int col, int row) {
        g->SetCol(col);
        g->SetRow(row);
    }
};

struct ComboEvent {
    int col, row, index;
    QString text;
    friend bool operator==(const ComboEvent&, const ComboEvent&) = default;
};

}  // namespace

TEST(ExGridEditStart, NoneKindAndButtonCellsNeverOpenAnEditor) {
    Fixture f;
    f.g->OnGetEditorType = [](QObject*, int c, int, TEditorType& e) {
        if (c == 1) e = edNone;
    };
    f.g->AddButton(2, 2, 40, 18, "Go", haLeft, vaTop);
    f.g->SetCells(3, 3, "N");
    f.g->AddCheckBox(3, 3, false, true);
    f.g->AddRadio(3, 4, 0, 0, {"a", "b"});
    f.g->SetCells(3, 4, "a");
    for (auto [c, r] : {std::pair{1, 1}, std::pair{2, 2}, std::pair{3, 3}, std::pair{3, 4}}) {
        SCOPED_TRACE(c);
        f.go(c, r);
        f.key(Qt::Key_F2);
        f.type("q");
        f.key(Qt::Key_Return);
        EXPECT_FALSE(f.g->EditMode());
        EXPECT_FALSE(f.editorShown());
        EXPECT_FALSE(f.combo().isVisible());
    }
    EXPECT_EQ(f.g->Cells(1, 1), "c1r1");
    EXPECT_EQ(f.g->Cells(2, 2), "c2r2");
    EXPECT_EQ(f.g->Cells(3, 3), "N");
    EXPECT_EQ(f.g->Cells(3, 4), "a");
}

TEST(ExGridEditStart, F2OnACoveredCellMadeCurrentInCodeEditsTheBlocksBaseCell) {
    // A merged block's covered cell made current by SetCol and SetRow: F2 edits the base cell, as
    // a click or an arrow key reaching the block does.
    struct Case {
        const char* name;
        int col, row;
    } cases[] = {{"beside the base", 2, 1}, {"below the base", 1, 2}, {"across", 2, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.g->MergeCells(1, 1, 2, 2);
        f.g->SetCells(1, 1, "base");
        f.g->SetCol(c.col);
        f.g->SetRow(c.row);
        f.key(Qt::Key_F2);
        ASSERT_TRUE(f.editorShown());
        EXPECT_EQ(std::pair(f.g->Col(), f.g->Row()), std::pair(1, 1));
        f.editor()->SelectAll();
        f.type("new");
        f.key(Qt::Key_Return);
        EXPECT_EQ(f.g->Cells(1, 1), "new");
    }
}

namespace {

// A character typed on a current cell with no editor open, then the rest typed at once: the text
// the editor ends with, the characters OnKeyPress sees (the first as typed, before the editor opens;
// the others as the editor's rules hand them on), the beeps.
struct TypedStart {
    TEditorType kind;
    QString typed, expected, keyPresses;
    int beeps;
};

const TypedStart kTypedStarts[] = {
    {edNormal, "xy", "xy", "xy", 0},
    {edUpperCase, "xy", "XY", "xY", 0},
    {edLowerCase, "XY", "xy", "Xy", 0},
    {edNumeric, "a7", "7", "a7", 1},  // the refused first key beeps once and leaves the text selected
    {edFloat, "1.5", "1.5", "1.5", 0},
    {edComboEdit, "xy", "xy", "xy", 0},
    {edComboList, "x", "xray", "x", 0},  // the first letter finds its item
    {edSpinEdit, "a7", "7", "a", 1},     // the spin edit keeps its own characters to itself
};

bool isCombo(TEditorType k) { return k == edComboEdit || k == edComboList; }

// Types each case on cell (2, 3) once `reach` has made it current from another cell: the typed text
// reaches the editor whole, each character once through the editor's own rules, and Enter stores it.
void checkTypedStarts(const std::function<void(Fixture&)>& reach) {
    for (const TypedStart& k : kTypedStarts) {
        SCOPED_TRACE(int(k.kind));
        Fixture f;
        testing_support::RecordingBeeps beeps;
        QString seen;
        f.g->OnGetEditorType = [&](QObject*, int, int, TEditorType& e) {
            e = k.kind;
            f.items({"alpha", "beta", "xray"});
        };
        f.g->OnKeyPress = [&](QObject*, QChar& c) { seen += c; };
        f.go(1, 1);
        reach(f);
        ASSERT_EQ(f.g->Col(), 2);
        ASSERT_EQ(f.g->Row(), 3);
        seen.clear();
        f.type(k.typed);
        if (isCombo(k.kind)) {
            ASSERT_TRUE(f.combo().isVisible());
            EXPECT_EQ(f.combo().Text(), k.expected);
            EXPECT_EQ(f.g->EditCtrl(), &f.combo());
        } else if (k.kind == edSpinEdit) {
            ASSERT_TRUE(f.g->SpinEdit()->isVisible());
            EXPECT_EQ(f.g->SpinEdit()->Text(), k.expected);
        } else {
            ASSERT_TRUE(f.editorShown());
            EXPECT_EQ(f.editor()->Text(), k.expected);
            // The live copy: the cell follows the editor while it is open.
            EXPECT_EQ(f.g->Cells(2, 3), k.expected);
        }
        EXPECT_EQ(beeps.beeps.size(), size_t(k.beeps));
        // Each character reached OnKeyPress once at most.
        EXPECT_EQ(seen, k.keyPresses);
        f.key(Qt::Key_Return);
        EXPECT_EQ(f.g->Cells(2, 3), k.expected);
        EXPECT_FALSE(f.g->EditMode());
    }
}

}  // namespace

TEST(ExGridEditStart, TypedCharacterIsTheFirstKeystrokeOfEveryEditorKind) {
    // Typed right after the click that made the cell current: nothing is lost. (A click on the
    // cell that is already current opens the editor itself, with the caret under it.)
    checkTypedStarts([](Fixture& f) { f.click(2, 3); });
}

TEST(ExGridEditStart, TypingAfterArrowKeysStartsTheEditAsAfterAClick) {
    checkTypedStarts([](Fixture& f) {
        f.key(Qt::Key_Right);
        f.key(Qt::Key_Down);
        f.key(Qt::Key_Down);
    });
}

// A letter whose key has no code of the key table is typed like any other into the combo's edit.
TEST(ExGridEditCombo, ALetterOutsideTheKeyTableReachesTheEdit) {
    Fixture f;
    f.g->OnGetEditorType = [&](QObject*, int, int, TEditorType& e) { e = edComboEdit; };
    f.go(2, 3);
    f.key(Qt::Key_F2);
    ASSERT_TRUE(f.combo().isVisible());
    f.key(Qt::Key_End);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QStringLiteral("\u00e9"));
    QApplication::sendEvent(f.focus(), &press);
    EXPECT_EQ(f.combo().Text(), QStringLiteral("c2r3\u00e9"));
}

TEST(ExGridEditStart, TypingOverARangeSelectsItsCellFirstUnderRangeSelectAndEdit) {
    Fixture f;
    f.g->MouseActions().SetRangeSelectAndEdit(true);
    f.go(1, 1);
    QTest::mouseClick(f.g->viewport(), Qt::LeftButton, Qt::ShiftModifier, f.centre(3, 3));
    ASSERT_EQ(f.g->Selection(), (plat::TGridRect{1, 1, 3, 3}));
    f.type("xy");
    EXPECT_EQ(f.g->Selection(), (plat::TGridRect{3, 3, 3, 3}));
    ASSERT_TRUE(f.editorShown());
    EXPECT_EQ(f.editor()->Text(), "xy");
}

TEST(ExGridEditCombo, RoadsOpenAtTheItemTheCellHolds) {
    struct Case {
        const char* name;
        TEditorType kind;
        QStringList items;
        QString cell;
        int index;
        QString text;
        std::vector<ComboEvent> events;
    } cases[] = {
        {"second item", edComboList, {"A", "B", "C"}, "B", 1, "B", {}},
        {"no item opens at the first and says so", edComboList, {"A", "B", "C"}, "zz", 0, "A", {{2, 3, 0, "A"}}},
        {"only the edit text matches: that item is reported",
         edComboList, {"A", "B", "C"}, "<b>B</b>", 1, "B", {{2, 3, 1, "B"}}},
        {"empty list", edComboList, {}, "zz", -1, "", {}},
        {"free text shows the text", edComboEdit, {"A", "B", "C"}, "zz", -1, "zz", {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Fixture f;
        f.g->SetCells(2, 3, k.cell);
        f.g->OnGetEditorType = [&](QObject*, int, int, TEditorType& e) {
            e = k.kind;
            f.items(k.items);
        };
        std::vector<ComboEvent> events;
        int objectEvents = 0;
        f.g->OnComboChange = [&](QObject*, int c, int r, int i, const QString& t) { events.push_back({c, r, i, t}); };
        f.g->OnComboObjectChange = [&](QObject*, int, int, int, const QString&, QObject*) { ++objectEvents; };
        f.go(2, 3);
        f.key(Qt::Key_F2);
        ASSERT_TRUE(f.combo().isVisible());
        EXPECT_TRUE(f.g->EditMode());
        EXPECT_EQ(f.combo().ItemIndex(), k.index);
        EXPECT_EQ(f.combo().Text(), k.text);
        EXPECT_EQ(events, k.events);
        EXPECT_EQ(objectEvents, int(k.events.size()));
        EXPECT_EQ(f.combo().Style(), k.kind == edComboList ? plat::csDropDownList : plat::csDropDown);
    }
}

TEST(ExGridEditCombo, ACellKeepsItsTextUnlessTheUserGivesTheComboAnother) {
    // A list combo writes only an item it shows; a limit bounds typing, not the text the cell had.
    enum End { Esc, Enter, ClickElsewhere };
    const QStringList greek{"alpha", "beta", "gamma"};
    struct Case {
        const char* name;
        TEditorType kind;
        QStringList items;
        int limit;
        QString cell, typed;
        End end;
        QString expected;
    } cases[] = {
        {"a text the list lacks, Esc", edComboList, greek, 0, "zzz", "", Esc, "zzz"},
        {"a text the list lacks, Enter takes the item shown and announced", edComboList, greek, 0, "zzz", "", Enter,
         "alpha"},
        {"an empty list, Esc", edComboList, {}, 0, "keepme", "", Esc, "keepme"},
        {"an empty list, Enter", edComboList, {}, 0, "keepme", "", Enter, "keepme"},
        {"an empty list, a click elsewhere", edComboList, {}, 0, "keepme", "", ClickElsewhere, "keepme"},
        {"a longer text than the limit, Esc", edComboEdit, {}, 4, "abcdefgh", "", Esc, "abcdefgh"},
        {"a longer text than the limit, Enter", edComboEdit, {}, 4, "abcdefgh", "", Enter, "abcdefgh"},
        {"a longer text than the limit, a click elsewhere", edComboEdit, {}, 4, "abcdefgh", "", ClickElsewhere,
         "abcdefgh"},
        {"typing stops at the limit", edComboEdit, {}, 4, "", "cdefgh", Enter, "cdef"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.g->SetMaxComboLength(c.limit);
        f.g->OnGetEditorType = [&](QObject*, int, int, TEditorType& e) {
            e = c.kind;
            f.items(c.items);
        };
        f.g->SetCells(2, 2, c.cell);
        f.go(2, 2);
        f.key(Qt::Key_F2);
        ASSERT_TRUE(f.combo().isVisible());
        f.type(c.typed);
        switch (c.end) {
            case Esc: f.key(Qt::Key_Escape); break;
            case Enter: f.key(Qt::Key_Return); break;
            case ClickElsewhere: f.click(3, 4); break;
        }
        EXPECT_FALSE(f.combo().isVisible());
        EXPECT_EQ(f.g->Cells(2, 2), c.expected);
    }
}

TEST(ExGridEditCombo, CoversTheCellListsEightRowsAndWritesBackOnEnter) {
    Fixture f;
    f.g->OnGetEditorType = [&](QObject*, int, int, TEditorType& e) {
        e = edComboList;
        f.items({"A", "B", "C"});
    };
    std::vector<ComboEvent> events;
    f.g->OnComboChange = [&](QObject*, int c, int r, int i, const QString& t) { events.push_back({c, r, i, t}); };
    f.g->SetCells(1, 2, "A");
    f.go(1, 2);
    f.key(Qt::Key_F2);
    // The edit field the list style gave up goes at the next turn of the loop; the focus stays.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(f.combo().hasFocus());
    EXPECT_TRUE(f.g->EditMode());
    const plat::TRect r = f.g->CellRect(1, 2);
    EXPECT_EQ(f.combo().geometry(), QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
    EXPECT_EQ(f.combo().DropDownCount(), 8);
    // A user's pick reports the real column and the item.
    f.key(Qt::Key_Down);
    EXPECT_EQ(events, (std::vector<ComboEvent>{{1, 2, 1, "B"}}));
    int done = 0;
    f.g->OnEditingDone = [&](QObject*) { ++done; };
    f.key(Qt::Key_Return);
    EXPECT_FALSE(f.combo().isVisible());
    EXPECT_EQ(f.g->Cells(1, 2), "B");
    EXPECT_EQ(done, 1);
    EXPECT_EQ(f.focus(), f.g->viewport());
}

TEST(ExGridEditCombo, DirectCloseTakesThePickedItemAndEndsTheEdit) {
    Fixture f;
    f.g->MouseActions().SetDirectComboClose(true);
    f.g->OnGetEditorType = [&](QObject*, int, int, TEditorType& e) {
        e = edComboList;
        f.items({"A", "B", "C"});
    };
    f.g->SetCells(3, 2, "A");
    f.go(3, 2);
    f.key(Qt::Key_F2);
    f.combo().SetDroppedDown(true);
    // The list took the focus; the edit goes on.
    EXPECT_TRUE(f.g->EditMode());
    ASSERT_TRUE(f.combo().DroppedDown());
    f.combo().SetItemIndex(2);
    f.combo().SetDroppedDown(false);
    EXPECT_EQ(f.g->Cells(3, 2), "C");
    EXPECT_FALSE(f.combo().isVisible());
    EXPECT_FALSE(f.g->EditMode());
}

TEST(ExGridEditCombo, FollowsItsCellWhenRowsChangeAndEndsWhenTheCellLeavesTheView) {
    Fixture f;
    f.g->SetRowCount(60);
    f.g->OnGetEditorType = [&](QObject*, int, int, TEditorType& e) {
        e = edComboEdit;
        f.items({"A", "B"});
    };
    f.go(2, 3);
    f.key(Qt::Key_F2);
    f.type("new");
    f.g->SetRowHeights(1, 40);
    const plat::TRect r = f.g->CellRect(2, 3);
    EXPECT_EQ(f.combo().geometry().topLeft(), QPoint(r.Left, r.Top));
    f.g->SetTopRow(30);
    EXPECT_FALSE(f.combo().isVisible());
    EXPECT_FALSE(f.g->EditMode());
    EXPECT_EQ(f.g->Cells(2, 3), "new");
}

TEST(ExGridEditEnd, EscPutsBackTheTextFromBeforeTheLiveWrites) {
    for (TEditorType kind : {edNormal, edComboEdit}) {
        SCOPED_TRACE(int(kind));
        Fixture f;
        f.g->OnGetEditorType = [&](QObject*, int, int, TEditorType& e) { e = kind; };
        int keyPresses = 0;
        f.g->OnKeyPress = [&](QObject*, QChar& k) { keyPresses += k == QChar(27); };
        f.go(1, 1);
        f.type("abc");
        if (kind == edNormal) EXPECT_EQ(f.g->Cells(1, 1), "abc");
        f.key(Qt::Key_Escape);
        EXPECT_EQ(f.g->Cells(1, 1), "c1r1");
        EXPECT_FALSE(f.editorShown());
        EXPECT_FALSE(f.combo().isVisible());
        EXPECT_FALSE(f.g->EditMode());
        EXPECT_EQ(keyPresses, 1);
    }
}

TEST(ExGridEditEnd, FocusFrameShowsWhileAnEditRunsOnlyWithTheFocusHelper) {
    for (bool helper : {false, true})
        for (TEditorType kind : {edNormal, edComboEdit})
            for (int endKey : {int(Qt::Key_Return), int(Qt::Key_Escape)}) {
                SCOPED_TRACE(testing::Message() << helper << " " << int(kind) << " " << endKey);
                Fixture f;
                f.g->FocusHelper().SetEnabled(helper);
                f.g->OnGetEditorType = [&](QObject*, int, int, TEditorType& e) { e = kind; };
                f.go(2, 3);
                f.type("x");
                EXPECT_EQ(f.g->FocusWindow()->isVisible(), helper);
                EXPECT_EQ(FocusWindowGrid() == f.g, helper);
                if (helper) {
                    const QPoint cell = f.g->viewport()->mapToGlobal(f.g->CellRect(2, 3).toQRect().topLeft());
                    EXPECT_EQ(f.g->FocusWindow()->pos(), cell - QPoint(4, 4));
                }
                f.key(endKey);
                EXPECT_FALSE(f.g->FocusWindow()->isVisible());
                EXPECT_EQ(FocusWindowGrid(), nullptr);
            }
}

TEST(ExGridEditEnd, RefusedValidationKeepsTheEditorOpenWithTheHandlersText) {
    Fixture f;
    int asked = 0;
    f.g->OnCellValidate = [&](QObject*, int c, int r, QString& v, bool& valid) {
        ++asked;
        EXPECT_EQ(c, 2);
        EXPECT_EQ(r, 2);
        if (v == "bad") {
            v = "fixed";
            valid = false;
        }
    };
    f.go(2, 2);
    f.type("bad");
    f.key(Qt::Key_Return);
    ASSERT_TRUE(f.editorShown());
    EXPECT_EQ(f.editor()->Text(), "fixed");
    EXPECT_FALSE(f.g->LastValidation());
    EXPECT_EQ(f.g->Cells(2, 2), "fixed");
    f.type("ok");
    f.key(Qt::Key_Return);
    EXPECT_FALSE(f.editorShown());
    EXPECT_EQ(f.g->Cells(2, 2), "ok");
    EXPECT_EQ(asked, 2);
}

TEST(ExGridEditEnd, EditingDoneAtOnceAndEditCellDoneWhenTheNoticeArrivesInOrder) {
    Fixture f;
    std::vector<std::pair<int, int>> cellDone;
    int editingDone = 0;
    f.g->OnEditingDone = [&](QObject*) { ++editingDone; };
    f.g->OnEditCellDone = [&](QObject*, int c, int r) { cellDone.emplace_back(c, r); };
    f.go(1, 1);
    f.type("one");
    f.key(Qt::Key_Return);
    EXPECT_EQ(editingDone, 1);
    EXPECT_TRUE(cellDone.empty());
    f.go(3, 4);
    f.type("two");
    f.key(Qt::Key_Return);
    EXPECT_EQ(editingDone, 2);
    EXPECT_TRUE(cellDone.empty());
    QCoreApplication::sendPostedEvents(f.g);
    EXPECT_EQ(cellDone, (std::vector<std::pair<int, int>>{{1, 1}, {3, 4}}));
    EXPECT_EQ(f.g->Cells(1, 1), "one");
    EXPECT_EQ(f.g->Cells(3, 4), "two");
}

TEST(ExGridEditEnd, ExceptionFromAHandlerReachesTheErrorHandlerAndTheGridStaysUsable) {
    testing_support::RecordingDialogs dialogs;
    Fixture f;
    f.g->OnEditCellDone = [](QObject*, int, int) { throw std::runtime_error("handler failed"); };
    f.go(1, 1);
    f.type("a");
    f.key(Qt::Key_Return);
    QCoreApplication::sendPostedEvents(f.g);
    EXPECT_EQ(dialogs.errors(), QStringList{"handler failed"});
    f.g->OnEditCellDone = nullptr;
    f.go(2, 1);
    f.type("b");
    f.key(Qt::Key_Return);
    EXPECT_EQ(f.g->Cells(2, 1), "b");

    // A combo handler that fails while the editor opens: reported, and the editor still ends.
    f.g->OnGetEditorType = [&](QObject*, int c, int, TEditorType& e) {
        if (c == 3) {
            e = edComboList;
            f.items({"A", "B"});
        }
    };
    f.g->OnComboChange = [](QObject*, int, int, int, const QString&) { throw std::runtime_error("combo failed"); };
    f.go(3, 1);
    f.key(Qt::Key_F2);
    EXPECT_EQ(dialogs.errors().last(), "combo failed");
    ASSERT_TRUE(f.combo().isVisible());
    f.key(Qt::Key_Return);
    EXPECT_FALSE(f.combo().isVisible());
    EXPECT_EQ(f.g->Cells(3, 1), "A");
}

TEST(ExGridEditKeys, EnterOnACellThatCannotBeEditedFiresKeyPressAndEnds) {
    Fixture f;
    f.g->OnCanEditCell = [](QObject*, int, int c, bool& can) { can = c != 2; };
    int enters = 0;
    f.g->OnKeyPress = [&](QObject*, QChar& k) { enters += k == QChar(13); };
    f.go(2, 2);
    f.key(Qt::Key_Return);
    EXPECT_EQ(enters, 1);
    EXPECT_FALSE(f.editorShown());
    EXPECT_EQ(f.g->Row(), 2);
}

TEST(ExGridEditAdvance, InsertAppendsARowOrStaysInTheRowWhenRefused) {
    for (bool canAdd : {true, false}) {
        SCOPED_TRACE(canAdd);
        Fixture f;
        f.g->Navigation().SetAdvanceOnEnter(true);
        f.g->Navigation().SetAdvanceInsert(true);
        int added = -1;
        f.g->OnCanAddRow = [&](QObject*, bool& can) { can = canAdd; };
        f.g->OnAutoAddRow = [&](QObject*, int r) { added = r; };
        f.go(3, 5);
        f.type("last");
        f.key(Qt::Key_Return);
        EXPECT_EQ(f.g->Cells(3, 5), "last");
        EXPECT_EQ(f.g->Col(), 1);
        if (canAdd) {
            EXPECT_EQ(f.g->RowCount(), 7);
            EXPECT_EQ(added, 6);
            EXPECT_EQ(f.g->Row(), 6);
        } else {
            EXPECT_EQ(f.g->RowCount(), 6);
            EXPECT_EQ(added, -1);
            EXPECT_EQ(f.g->Row(), 5);
        }
    }
}

TEST(ExGridEditAdvance, LeftRightMovesAlongTheRowAndSkipsReadOnlyCells) {
    Fixture f;
    f.g->Navigation().SetAdvanceOnEnter(true);
    f.g->OnCanEditCell = [](QObject*, int r, int c, bool& can) { can = !(c == 2 && r == 1); };
    std::vector<std::tuple<int, int, int, int>> advances;
    f.g->OnAutoAdvance = [&](QObject*, int oldRow, int oldCol, int& newRow, int& newCol, bool&) {
        advances.emplace_back(oldCol, oldRow, newCol, newRow);
    };
    f.go(1, 1);
    f.type("x");
    f.key(Qt::Key_Return);
    // The read-only cell is stepped over; the advance names the cell where Enter was pressed.
    EXPECT_EQ(std::pair(f.g->Col(), f.g->Row()), std::pair(3, 1));
    EXPECT_EQ(advances, (std::vector<std::tuple<int, int, int, int>>{{1, 1, 3, 1}}));
    // Enter goes on editing there.
    EXPECT_TRUE(f.editorShown());
}

TEST(ExGridEditAdvance, AllReadOnlyGridWithSkipAndLoopReturnsAfterOnePass) {
    Fixture f;
    f.g->Navigation().SetAdvanceOnEnter(true);
    f.g->Navigation().SetAdvanceSkipReadOnlyCells(true);
    f.g->Navigation().SetAdvanceOnEnterLoop(true);
    bool open = true;
    f.g->OnCanEditCell = [&](QObject*, int, int, bool& can) { can = open; };
    f.go(2, 2);
    f.type("z");
    open = false;
    f.key(Qt::Key_Return);
    EXPECT_EQ(std::pair(f.g->Col(), f.g->Row()), std::pair(2, 2));
    f.g->AdvanceAfterEdit(2, 2, true, false, true, true, false);
    EXPECT_EQ(std::pair(f.g->Col(), f.g->Row()), std::pair(2, 2));
}

TEST(ExGridEditSelect, MergedCellMovesToItsBaseAndTheFixedFooterRowIsNeverCurrent) {
    Fixture f;
    f.g->MergeCells(1, 2, 2, 2);
    f.go(3, 1);
    f.click(2, 3);
    EXPECT_EQ(std::pair(f.g->Col(), f.g->Row()), std::pair(1, 2));

    f.g->FloatingFooter().SetVisible(true);
    const int last = f.g->RowCount() - 1;
    f.go(1, last - 1);
    f.key(Qt::Key_Down);
    f.key(Qt::Key_End, Qt::ControlModifier);
    f.click(1, last);
    EXPECT_EQ(f.g->Row(), last - 1);
}

TEST(ExGridEditSelect, DoubleClickOnlyGridNeverEditsOnASingleClick) {
    Fixture f;
    f.g->MouseActions().SetEditOnDblClickOnly(true);
    f.go(2, 2);
    f.click(2, 2);
    f.click(2, 2);
    EXPECT_FALSE(f.editorShown());
    // Typing is no click: it switches editing on for the cell and starts the edit.
    f.type("q");
    ASSERT_TRUE(f.editorShown());
    f.key(Qt::Key_Escape);
    EXPECT_EQ(f.g->Cells(2, 2), "c2r2");
    f.click(3, 3);
    f.click(2, 2);
    EXPECT_FALSE(f.editorShown());
    QTest::mouseDClick(f.g->viewport(), Qt::LeftButton, {}, f.centre(2, 2));
    ASSERT_TRUE(f.editorShown());
    f.type("w");
    f.key(Qt::Key_Return);
    QCoreApplication::sendPostedEvents(f.g);
    EXPECT_EQ(f.g->Cells(2, 2), "w");
    // The done notice takes editing away again.
    EXPECT_FALSE(f.g->Options().contains(plat::goEditing));
}

TEST(ExGridEditSelect, RowChangedReportsTheRowLastReported) {
    Fixture f;
    std::vector<std::pair<int, int>> changes;
    auto handler = [&](QObject*, int o, int n) { changes.emplace_back(o, n); };
    f.g->OnRowChanged = handler;
    f.g->SetRow(2);
    f.g->OnRowChanged = nullptr;
    f.g->SetRow(4);
    f.g->OnRowChanged = handler;
    f.g->SetRow(3);
    EXPECT_EQ(changes, (std::vector<std::pair<int, int>>{{-1, 2}, {2, 3}}));
}

TEST(ExGridEditSelect, ChangingEventsSeeOneAnotherAndAVetoKeepsTheCell) {
    Fixture f;
    QStringList order;
    f.g->OnRowChanging = [&](QObject*, int o, int n, bool&) { order << QStringLiteral("row %1>%2").arg(o).arg(n); };
    f.g->OnColChanging = [&](QObject*, int o, int n, bool& a) {
        order << QStringLiteral("col %1>%2").arg(o).arg(n);
        a = false;
    };
    f.g->OnCellChanging = [&](QObject*, int, int, int, int, bool& a) { order << (a ? "cell allow" : "cell veto"); };
    f.go(1, 1);
    order.clear();
    f.click(2, 3);
    EXPECT_EQ(order, (QStringList{"row 1>3", "col 1>2", "cell veto"}));
    EXPECT_EQ(std::pair(f.g->Col(), f.g->Row()), std::pair(1, 1));
}

TEST(ExGridEditText, TagsGoOnlyFromHtmlCells) {
    struct Case {
        QString cell;
        bool withTags;
        QString edit;
    } cases[] = {
        {"a<x>b", false, "a<x>b"},
        {"<b>bold</b>", false, "bold"},
        {"<b>bold</b>", true, "<b>bold</b>"},
        {"x < y > z", false, "x < y > z"},
    };
    Fixture f;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.cell.toStdString());
        f.g->SetEditWithTags(k.withTags);
        f.g->SetCells(1, 1, k.cell);
        EXPECT_EQ(f.g->GetEditText(1, 1), k.edit);
    }
    // An edit that changes nothing keeps a plain cell's text whole.
    f.g->SetEditWithTags(false);
    f.g->SetCells(1, 1, "a<x>b");
    f.go(1, 1);
    f.key(Qt::Key_F2);
    f.key(Qt::Key_End);
    f.type("!");
    f.key(Qt::Key_Return);
    EXPECT_EQ(f.g->Cells(1, 1), "a<x>b!");
}

TEST(ExGridEditSearch, TypedLettersGoToTheSortedRowAndTheFourthTickClearsThem) {
    plat::TTimer::SetManual(true);
    struct Back {
        ~Back() { plat::TTimer::SetManual(false); }
    } back;
    Fixture f(false);
    const QStringList names{"apple", "Abacus", "abbey", "banana", "Bee"};
    for (int r = 1; r < 6; ++r) f.g->SetCells(2, r, names[r - 1]);
    f.g->SortSettings().SetColumn(2);
    f.g->Navigation().SetAutoGotoWhenSorted(true);
    f.g->Navigation().SetAutoGotoIncremental(true);
    f.go(1, 1);
    f.type("ab");
    EXPECT_EQ(f.g->Row(), 2);
    EXPECT_EQ(f.g->SearchInc(), "ab");
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(f.g->GridTimerObject()->Fire());
    EXPECT_EQ(f.g->SearchInc(), "ab");
    f.g->GridTimerObject()->Fire();
    EXPECT_EQ(f.g->SearchInc(), "");
    f.type("b");
    EXPECT_EQ(f.g->Row(), 4);
    // No match empties the text.
    f.type("q");
    EXPECT_EQ(f.g->SearchInc(), "");
}

TEST(ExGridEditTab, TabSkipsCellsThatCannotBeEditedAndWraps) {
    Fixture f;
    f.setOption(plat::goTabs, true);
    f.g->OnCanEditCell = [](QObject*, int, int c, bool& can) { can = c != 2; };
    f.go(1, 1);
    f.key(Qt::Key_Tab);
    EXPECT_EQ(std::pair(f.g->Col(), f.g->Row()), std::pair(3, 1));
    f.key(Qt::Key_Tab);
    EXPECT_EQ(std::pair(f.g->Col(), f.g->Row()), std::pair(1, 2));
    f.key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(std::pair(f.g->Col(), f.g->Row()), std::pair(3, 1));
}

TEST(ExGridEditColumns, SelectingACellSwitchesEditingToTheColumnsReadOnly) {
    Fixture f(false, true);
    auto& cg = static_cast<TExColumnGrid&>(*f.g);
    cg.Columns().Items(2).ReadOnly = true;
    f.click(1, 2);
    EXPECT_TRUE(f.g->Options().contains(plat::goEditing));
    f.type("q");
    f.key(Qt::Key_Return);
    EXPECT_EQ(f.g->Cells(1, 2), "q");
    f.click(2, 3);
    EXPECT_FALSE(f.g->Options().contains(plat::goEditing));
    f.type("z");
    f.key(Qt::Key_F2);
    EXPECT_FALSE(f.editorShown());
    EXPECT_EQ(f.g->Cells(2, 3), "c2r3");
    // Back in an editable column, editing is on again.
    f.click(3, 3);
    EXPECT_TRUE(f.g->Options().contains(plat::goEditing));
}

TEST(ExGridEditChecks, ClickOnADataCheckCellBehindHiddenColumnsTogglesTheRealColumn) {
    Fixture f(false, true);
    auto& cg = static_cast<TExColumnGrid&>(*f.g);
    f.g->SetColCount(6);
    for (int c : {4, 5}) cg.Columns().Items(c).SetEditor(edDataCheckBox);
    cg.Columns().Items(5).ReadOnly = true;
    for (int r = 1; r < 6; ++r) {
        f.g->SetCells(4, r, "N");
        f.g->SetCells(5, r, "N");
    }
    f.g->HideColumns(1, 2);
    ASSERT_EQ(f.g->DisplColIndex(4), 2);
    QStringList events;
    f.g->OnCheckBoxChange = [&](QObject*, int c, int r, bool s) { events << QStringLiteral("change %1 %2 %3").arg(c).arg(r).arg(s); };
    f.g->OnCheckBoxClick = [&](QObject*, int c, int r, bool s) { events << QStringLiteral("click %1 %2 %3").arg(c).arg(r).arg(s); };
    f.click(2, 2);
    EXPECT_EQ(f.g->Cells(4, 2), "Y");
    EXPECT_EQ(events, (QStringList{"change 4 2 1", "click 4 2 1"}));
    EXPECT_FALSE(f.editorShown());
    // The read-only column's box stays as it is.
    events.clear();
    f.click(3, 2);
    EXPECT_EQ(f.g->Cells(5, 2), "N");
    EXPECT_TRUE(events.isEmpty());
    // Space toggles the focused cell.
    f.go(2, 2);
    f.key(Qt::Key_Space);
    EXPECT_EQ(f.g->Cells(4, 2), "N");
    EXPECT_EQ(events, (QStringList{"change 4 2 0", "click 4 2 0"}));
}

TEST(ExGridEditChecks, HeaderBoxWithCheckAllSetsTheWholeColumn) {
    Fixture f;
    f.g->MouseActions().SetCheckAllCheck(true);
    f.g->AddCheckBox(2, 0, false, false);
    for (int r = 1; r < 6; ++r) f.g->AddCheckBox(2, r, r == 3, false);
    f.click(2, 0);
    for (int r = 1; r < 6; ++r) EXPECT_TRUE(f.g->IsChecked(2, r)) << r;
    f.click(2, 0);
    for (int r = 1; r < 6; ++r) EXPECT_FALSE(f.g->IsChecked(2, r)) << r;
    // Without the option the header box is only itself.
    f.g->MouseActions().SetCheckAllCheck(false);
    f.click(2, 0);
    EXPECT_TRUE(f.g->IsChecked(2, 0));
    EXPECT_FALSE(f.g->IsChecked(2, 1));
}

TEST(ExGridEditChecks, SpaceOnARadioGroupCyclesAndReportsTheOption) {
    Fixture f;
    f.g->AddRadio(2, 2, 0, 0, {"a", "b", "c"});
    std::vector<std::tuple<int, int, int>> clicks;
    f.g->OnRadioClick = [&](QObject*, int c, int r, int i) { clicks.emplace_back(c, r, i); };
    f.go(2, 2);
    f.key(Qt::Key_Space);
    f.key(Qt::Key_Space);
    f.key(Qt::Key_Space);
    EXPECT_EQ(clicks, (std::vector<std::tuple<int, int, int>>{{2, 2, 1}, {2, 2, 2}, {2, 2, 0}}));
    EXPECT_EQ(f.g->Cells(2, 2), "a");
    EXPECT_FALSE(f.editorShown());
}

TEST(ExGridEditChecks, SpaceFollowsTheRulesOfAClick) {
    // A refused edit changes and reports nothing; a toggle marks its row modified under ShowModified.
    Fixture f;
    f.g->AddRadio(2, 2, 0, 0, {"a", "b", "c"});
    f.g->SetCells(2, 2, "a");
    f.g->SetCells(3, 3, "N");
    f.g->AddCheckBox(3, 3, false, true);
    bool editable = false;
    f.g->OnCanEditCell = [&](QObject*, int, int, bool& can) { can = editable; };
    int radioClicks = 0, boxClicks = 0;
    f.g->OnRadioClick = [&](QObject*, int, int, int) { ++radioClicks; };
    f.g->OnCheckBoxClick = [&](QObject*, int, int, bool) { ++boxClicks; };
    for (auto [col, row] : {std::pair{2, 2}, std::pair{3, 3}}) {
        f.go(col, row);
        f.key(Qt::Key_Space);
    }
    EXPECT_EQ(f.g->Cells(2, 2), "a");
    EXPECT_EQ(f.g->Cells(3, 3), "N");
    EXPECT_EQ(radioClicks, 0);
    EXPECT_EQ(boxClicks, 0);

    editable = true;
    f.g->ShowModified().SetEnabled(true);
    f.go(2, 2);
    f.key(Qt::Key_Space);
    EXPECT_EQ(f.g->Cells(2, 2), "b");
    EXPECT_EQ(radioClicks, 1);
    f.go(3, 3);
    EXPECT_FALSE(f.g->GetRowModified(3));
    f.key(Qt::Key_Space);
    EXPECT_EQ(f.g->Cells(3, 3), "Y");
    EXPECT_EQ(boxClicks, 1);
    EXPECT_TRUE(f.g->GetRowModified(3));
}

TEST(ExGridEditControls, NextFormControlOfACellSkipsButtonsAndEditsTheNextEntry) {
    Fixture f;
    f.g->SetDefaultRowHeight(40);
    f.g->SetColWidths(2, 300);
    f.g->SetCells(2, 1,
                  "<CONTROL TYPE=\"EDIT\" ID=\"a\" WIDTH=\"50\" VALUE=\"first\"> "
                  "<CONTROL TYPE=\"BUTTON\" ID=\"b\" WIDTH=\"40\" VALUE=\"Go\"> "
                  "<CONTROL TYPE=\"PASSWORD\" ID=\"c\" WIDTH=\"60\" VALUE=\"secret\">");
    f.g->FocusNextCellControl(2, 1, "a");
    TControlEdit* e = f.g->ControlEdit();
    ASSERT_TRUE(e->isVisible());
    EXPECT_EQ(e->Text(), "secret");
    EXPECT_EQ(e->PasswordChar(), u'*');
    EXPECT_EQ(f.g->CtrlID(), "c");
    const plat::TRect cell = f.g->CellRect(2, 1);
    EXPECT_TRUE(QRect(cell.toQRect()).contains(e->geometry().center()));
    EXPECT_GT(e->geometry().left(), cell.Left + 90);
    // After the last one the grid takes the focus.
    f.g->FocusNextCellControl(2, 1, "c");
    EXPECT_EQ(f.focus(), f.g->viewport());
}

TEST(ExGridEditCombo, LeavingARefusedComboCellKeepsTheCursorAndTheTextFromBefore) {
    Fixture f;
    f.g->OnGetEditorType = [&](QObject*, int c, int, TEditorType& e) {
        if (c == 2) {
            e = edComboList;
            f.items({"A", "B", "C"});
        }
    };
    int asked = 0;
    f.g->OnCellValidate = [&](QObject*, int, int, QString& v, bool& valid) {
        ++asked;
        valid = v != "C";
    };
    f.g->SetCells(2, 2, "A");
    f.go(2, 2);
    f.key(Qt::Key_F2);
    f.combo().SetItemIndex(2);
    f.click(3, 4);
    EXPECT_EQ(asked, 1);
    // The cell has its text back and the combo is open on it again.
    EXPECT_EQ(std::pair(f.g->Col(), f.g->Row()), std::pair(2, 2));
    EXPECT_EQ(f.g->Cells(2, 2), "A");
    EXPECT_EQ(f.g->CellCache(), "A");
    ASSERT_TRUE(f.combo().isVisible());
    EXPECT_EQ(f.combo().Text(), "A");
    // Once the value passes, the next click leaves, validating once more.
    f.g->OnCellValidate = [&](QObject*, int, int, QString&, bool&) { ++asked; };
    f.combo().SetItemIndex(2);
    f.click(3, 4);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(std::pair(f.g->Col(), f.g->Row()), std::pair(3, 4));
    EXPECT_EQ(f.g->Cells(2, 2), "C");
}

// A check cell is never edited, whichever road brings the current cell onto it with an editor open
// or about to open: the cell keeps its check text, keys typed there open nothing, and the next text
// cell edits as usual.
TEST(ExGridEditChecks, NoRoadOpensAnEditorOnACheckOrButtonCell) {
    struct Road {
        const char* name;
        int toCol;     // the check or button cell the road reaches in row 2
        int typedCol;  // the text cell of row 2 whose edit the road ended, 0 for none
        std::function<void(Fixture&)> go;
    };
    const std::vector<Road> roads = {
        {"the key press handler moves the cell while the text editor is open", 2, 1,
         [](Fixture& f) {
             f.g->OnKeyPress = [&f](QObject*, QChar& k) {
                 if (k != QChar(13)) return;
                 f.g->SetCol(f.g->Col() + 1);
                 k = QChar(0);
             };
             f.go(1, 2);
             f.type("t/1");
             f.key(Qt::Key_Return);
         }},
        {"the cell is set while the text editor is open", 2, 1,
         [](Fixture& f) {
             f.go(1, 2);
             f.type("t/1");
             f.g->SetCol(2);
         }},
        {"an arrow with the editor always shown", 2, 0,
         [](Fixture& f) {
             f.setOption(plat::goAlwaysShowEditor, true);
             f.go(1, 2);
             f.key(Qt::Key_Right);
         }},
        {"Enter with always-edit navigation", 2, 1,
         [](Fixture& f) {
             f.g->Navigation().SetAlwaysEdit(true);
             f.g->Navigation().SetAdvanceOnEnter(true);
             f.g->Navigation().SetAdvanceAutoEdit(true);
             f.go(1, 2);
             f.type("t/1");
             f.key(Qt::Key_Return);
         }},
        {"a queued F2", 2, 0,
         [](Fixture& f) {
             f.go(2, 2);
             f.g->ShowCellEdit();
             f.key(Qt::Key_F2);
         }},
        {"the text editor open when the cell moves onto a button cell", 4, 3,
         [](Fixture& f) {
             f.go(3, 2);
             f.type("t/1");
             f.g->SetCol(4);
         }},
    };
    for (const Road& road : roads) {
        SCOPED_TRACE(road.name);
        Fixture f(true, true);
        auto& cg = static_cast<TExColumnGrid&>(*f.g);
        f.g->SetColCount(5);
        cg.Columns().Items(2).SetEditor(edDataCheckBox);
        for (int r = 1; r < 6; ++r) {
            f.g->SetCells(2, r, "N");
            f.g->SetCells(4, r, "go");
            f.g->AddButton(4, r, 30, 16, "go", haLeft, vaTop);
        }
        road.go(f);
        QCoreApplication::processEvents();
        ASSERT_EQ(f.g->Col(), road.toCol);
        ASSERT_EQ(f.g->Row(), 2);
        EXPECT_FALSE(f.editorShown());
        EXPECT_FALSE(f.g->EditMode());
        EXPECT_FALSE(f.combo().isVisible());
        if (road.typedCol) EXPECT_EQ(f.g->Cells(road.typedCol, 2), "t/1");
        // Keys typed on the cell change nothing there.
        f.type("abc");
        f.key(Qt::Key_F2);
        f.type("d");
        QCoreApplication::processEvents();
        EXPECT_FALSE(f.editorShown());
        EXPECT_EQ(f.g->Cells(2, 2), "N");
        EXPECT_EQ(f.g->Cells(4, 2), "go");
        // A text cell edits as before: the first key typed there opens its editor.
        f.setOption(plat::goAlwaysShowEditor, false);
        f.g->Navigation().SetAlwaysEdit(false);
        f.g->OnKeyPress = nullptr;
        f.go(3, 3);
        f.type("x1");
        ASSERT_TRUE(f.editorShown());
        f.key(Qt::Key_Return);
        QCoreApplication::processEvents();
        EXPECT_EQ(f.g->Cells(3, 3), "x1");
        for (int r = 1; r < 6; ++r) EXPECT_EQ(f.g->Cells(2, r), "N") << r;
    }
}

namespace {

// The dark pixels of a text in a cell: the left edge of its first letter and the top of that letter's
// stem, relative to the cell.
QPoint textOrigin(const QImage& img, const QRect& cell) {
    const auto dark = [&](int x, int y) { return qGray(img.pixel(x, y)) < 100; };
    int left = -1;
    for (int x = cell.left(); x < cell.right() && left < 0; ++x)
        for (int y = cell.top(); y < cell.bottom(); ++y)
            if (dark(x, y)) {
                left = x;
                break;
            }
    if (left < 0) return {-1, -1};
    int top = -1;
    for (int y = cell.top(); y < cell.bottom() && top < 0; ++y)
        for (int x = left; x < left + 2; ++x)
            if (dark(x, y)) {
                top = y;
                break;
            }
    return QPoint(left, top) - cell.topLeft();
}

}  // namespace

// The text editor opens over the cell without hiding its grid lines, and its text stands where the
// painter draws the cell's text: nothing moves when the edit starts.
TEST(ExGridEditStart, TheTextEditorKeepsTheGridLinesAndTheTextWhereThePainterPutsIt) {
    Fixture f;
    f.g->SetCells(1, 1, "Hg");
    f.g->SetCells(1, 2, "Hg");
    f.go(1, 1);
    f.key(Qt::Key_F2);
    ASSERT_TRUE(f.editorShown());
    f.key(Qt::Key_End);  // nothing selected: the text in its own colours
    QCoreApplication::processEvents();
    const QImage img = f.g->viewport()->grab().toImage();
    const QRect edited = f.g->CellRect(1, 1).toQRect(), painted = f.g->CellRect(1, 2).toQRect();
    ASSERT_EQ(edited.size(), painted.size());
    const QPoint drawn = textOrigin(img, painted);
    ASSERT_NE(drawn, QPoint(-1, -1));
    EXPECT_EQ(textOrigin(img, edited), drawn);
    // The right and bottom lines of the edited cell are those of the cell below it.
    const int midY = edited.height() / 2, midX = edited.width() / 2;
    EXPECT_EQ(img.pixel(edited.right(), edited.top() + midY), img.pixel(painted.right(), painted.top() + midY));
    EXPECT_EQ(img.pixel(edited.left() + midX, edited.bottom()), img.pixel(painted.left() + midX, painted.bottom()));
    EXPECT_EQ(f.editor()->geometry(), edited.adjusted(0, 0, -1, -1));
}
