// Validation of an edited cell: what the user typed against the snapshot of the cell, the handler's
// verdict and text, the undo entry, the change notice, the refusal (text back, editor open again,
// the tip), the cell checker, the wide twin, exceptions, and the cost of one edit on a large grid.
#include "controls/ExStringGridCheck.h"
#include "grid/ExEditBalloon.h"
#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "platform/InplaceEdit.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <stdexcept>

namespace {

// Counts the footer columns the grid recalculates one by one.
class CountingGrid : public TExStringGrid {
public:
    using TExStringGrid::TExStringGrid;
    std::vector<int> recalculated;
    void RecalcFooterColumn(int ACol) override {
        recalculated.push_back(ACol);
        TExStringGrid::RecalcFooterColumn(ACol);
    }
};

// A shown grid of 4 columns and 6 rows with goEditing, an undo list, the cells focused.
struct Fixture {
    QWidget form;
    CountingGrid* g;
    TExGridUndoRedo undo;
    std::vector<plat::TGridRect> changed;
    int asked = 0;
    Fixture() : g(new CountingGrid(&form)) {
        form.resize(520, 320);
        g->setGeometry(0, 0, 480, 280);
        g->SetColCount(4);
        g->SetRowCount(6);
        plat::TGridOptions o = g->Options();
        o.include(plat::goEditing);
        g->SetOptions(o);
        for (int c = 1; c < 4; ++c)
            for (int r = 1; r < 6; ++r) g->SetCells(c, r, QStringLiteral("c%1r%2").arg(c).arg(r));
        g->SetUndoRedo(&undo);
        g->OnCellsChanged = [this](QObject*, const plat::TGridRect& R) { changed.push_back(R); };
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
    plat::TInplaceEdit* editor() const { return g->InplaceEditor(); }
    bool editorShown() const { return editor() && editor()->isVisible(); }
    std::vector<std::pair<QString, QString>> undoEntries() const {
        std::vector<std::pair<QString, QString>> out;
        for (int i = 0; i < undo.Items().Count(); ++i)
            out.emplace_back(undo.Items().Items(i).OrigValue, undo.Items().Items(i).Value);
        return out;
    }
};

using Entries = std::vector<std::pair<QString, QString>>;

}  // namespace

// One table over what the user types, AlwaysValidate, the handler's verdict and text, and the key
// that ends the edit, read back from the cell, the editor, the events, the undo list and the tip.
TEST(ExGridValidate, TypedEditsAgainstTheSnapshotOfTheCell) {
    struct Case {
        const char* name;
        QString typed;  // empty: F2 and the key without a change
        bool alwaysValidate;
        bool verdict;
        std::optional<QString> handlerText;
        int endKey;
        QString cell;
        bool editorOpen;
        std::pair<int, int> cursor;
        int asked;
        int changes;
        Entries undo;
        bool tip;
    };
    const Case cases[] = {
        {"accepted change", "x", false, true, {}, Qt::Key_Return, "x", false, {2, 2}, 1, 1, {{"old", "x"}}, false},
        {"accepted change, Down moves on", "x", false, true, {}, Qt::Key_Down, "x", false, {2, 3}, 1, 1,
         {{"old", "x"}}, false},
        {"unchanged without AlwaysValidate", "", false, true, {}, Qt::Key_Return, "old", false, {2, 2}, 0, 0, {},
         false},
        {"unchanged with AlwaysValidate", "", true, true, {}, Qt::Key_Return, "old", false, {2, 2}, 1, 0, {}, false},
        {"unchanged refused", "", true, false, {}, Qt::Key_Return, "old", true, {2, 2}, 1, 0, {}, true},
        {"change refused", "x", false, false, {}, Qt::Key_Return, "old", true, {2, 2}, 1, 0, {}, true},
        {"change refused on Down stays", "x", false, false, {}, Qt::Key_Down, "old", true, {2, 2}, 1, 0, {}, true},
        {"refused with the handler's text", "x", false, false, QString("0"), Qt::Key_Return, "0", true, {2, 2}, 1, 0,
         {}, true},
        {"accepted with the handler's text", "x", false, true, QString("y"), Qt::Key_Return, "y", false, {2, 2}, 1, 1,
         {{"old", "y"}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.g->SetCells(2, 2, "old");
        f.g->SetAlwaysValidate(c.alwaysValidate);
        f.g->SetInvalidEntryTitle("Invalid");
        f.g->SetInvalidEntryText("Digits only");
        f.g->OnCellValidate = [&](QObject*, int col, int row, QString& v, bool& valid) {
            ++f.asked;
            EXPECT_EQ(std::pair(col, row), std::pair(2, 2));
            valid = c.verdict;
            if (c.handlerText) v = *c.handlerText;
        };
        f.go(2, 2);
        if (c.typed.isEmpty())
            f.key(Qt::Key_F2);
        else
            f.type(c.typed);
        ASSERT_TRUE(f.editorShown());
        f.key(c.endKey);
        EXPECT_EQ(f.g->Cells(2, 2), c.cell);
        EXPECT_EQ(f.editorShown(), c.editorOpen);
        EXPECT_EQ(std::pair(f.g->Col(), f.g->Row()), c.cursor);
        EXPECT_EQ(f.asked, c.asked);
        EXPECT_EQ(int(f.changed.size()), c.changes);
        if (c.changes) EXPECT_EQ(f.changed[0], (plat::TGridRect{2, 2, 2, 2}));
        EXPECT_EQ(f.undoEntries(), c.undo);
        TEditBalloonTip* tip = f.g->InvalidEntryBalloon();
        EXPECT_EQ(tip && tip->isVisible(), c.tip);
        EXPECT_EQ(f.g->LastValidation(), c.verdict);
        if (c.tip && tip) {
            EXPECT_EQ(tip->Title(), "Invalid");
            EXPECT_EQ(tip->Text(), "Digits only");
            EXPECT_EQ(tip->Target(), f.editor());
        }
        if (c.editorOpen) {
            // The editor is open on the edited cell: the next try validates again.
            EXPECT_TRUE(f.g->Editing());
            f.g->OnCellValidate = [&](QObject*, int, int, QString&, bool&) { ++f.asked; };
            f.key(Qt::Key_Backspace);
            f.type("7");
            EXPECT_FALSE(tip && tip->isVisible());  // gone at the first key
            f.key(Qt::Key_Return);
            EXPECT_FALSE(f.editorShown());
            EXPECT_EQ(f.asked, c.asked + 1);
            EXPECT_EQ(f.undoEntries().size(), 1u);
        }
    }
}

TEST(ExGridValidate, NoPendingEditIsValidAndTouchesNothing) {
    Fixture f;
    f.g->OnCellValidate = [&](QObject*, int, int, QString&, bool&) { ++f.asked; };
    f.go(2, 2);
    EXPECT_TRUE(f.g->ValidateCell("zz"));
    EXPECT_TRUE(f.g->ValidateCellWide("zz"));
    EXPECT_EQ(f.g->Cells(2, 2), "c2r2");
    EXPECT_EQ(f.asked, 0);
    EXPECT_TRUE(f.changed.empty());
}

TEST(ExGridValidate, InnerCellOfAMergedBlockWritesTheCellAndItsBase) {
    Fixture f;
    f.g->MergeCells(1, 2, 2, 2);
    f.g->SetCells(1, 2, "base");
    f.g->RememberOldCell(2, 3);
    f.g->SetEditing(true);
    EXPECT_TRUE(f.g->ValidateCell("v"));
    EXPECT_EQ(f.g->Cells(2, 3), "v");
    EXPECT_EQ(f.g->Cells(1, 2), "v");
    EXPECT_EQ(f.g->GridCells(1, 2), "v");
    ASSERT_EQ(f.changed.size(), 1u);
    EXPECT_EQ(f.changed[0], (plat::TGridRect{2, 3, 2, 3}));
}

// The checker corrects before the handler sees the text and marks after it; a refusal gives the
// grid's Modified flag the value it had when the cell was remembered.
TEST(ExGridValidate, CheckerCorrectsBeforeTheHandlerAndMarksAfter) {
    class Checker : public TExStringGridCheck {
    public:
        QString Correct(int32_t, int32_t, const QString& s) override { return s.toUpper(); }
        QString MarkError(int32_t, int32_t, const QString& s) override { return "<e>" + s + "</e>"; }
    };
    struct Case {
        bool correct, mark;
        QString seen, stored;
    } const cases[] = {
        {false, false, "abc", "abc"},
        {true, false, "ABC", "ABC"},
        {false, true, "abc", "<e>abc</e>"},
        {true, true, "ABC", "<e>ABC</e>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.correct << c.mark);
        Fixture f;
        Checker checker;
        checker.AutoCorrect = c.correct;
        checker.AutoMarkError = c.mark;
        f.g->SetCellChecker(&checker);
        QString seen;
        f.g->OnCellValidate = [&](QObject*, int, int, QString& v, bool&) { seen = v; };
        f.go(2, 2);
        f.type("abc");
        f.key(Qt::Key_Return);
        EXPECT_EQ(seen, c.seen);
        EXPECT_EQ(f.g->Cells(2, 2), c.stored);
        EXPECT_EQ(f.undoEntries(), (Entries{{"c2r2", c.stored}}));
        f.g->SetCellChecker(nullptr);
    }

    Fixture f;
    f.g->SetModified(false);
    f.g->OnCellValidate = [&](QObject*, int, int, QString&, bool& valid) {
        f.g->SetModified(true);
        valid = false;
    };
    f.go(1, 1);
    f.type("q");
    f.key(Qt::Key_Return);
    EXPECT_FALSE(f.g->Modified());
    EXPECT_EQ(f.g->Cells(1, 1), "c1r1");
}

// The refusal tip has the style's icon of InvalidEntryIcon, none without a title or text, and points
// at an edit combo's edit field.
TEST(ExGridValidate, RefusalTipIconAndTarget) {
    for (TInvalidEntryIcon icon : {ieNone, ieInfo, ieWarning, ieError}) {
        Fixture f;
        f.g->SetInvalidEntryText("No");
        f.g->SetInvalidEntryIcon(icon);
        f.g->OnCellValidate = [](QObject*, int, int, QString&, bool& valid) { valid = false; };
        f.go(1, 1);
        f.type("q");
        f.key(Qt::Key_Return);
        ASSERT_TRUE(f.g->InvalidEntryBalloon());
        EXPECT_TRUE(f.g->InvalidEntryBalloon()->isVisible());
        EXPECT_EQ(f.g->InvalidEntryBalloon()->Icon(), int(icon));
        EXPECT_EQ(f.g->InvalidEntryBalloon()->Title(), "");
        // The tip's pointer touches the editor's lower edge.
        const QPoint below = f.editor()->mapToGlobal(QPoint(f.editor()->width() / 2, f.editor()->height()));
        EXPECT_EQ(f.g->InvalidEntryBalloon()->PointerTip(), below);
    }
    {
        Fixture f;
        f.g->OnCellValidate = [](QObject*, int, int, QString&, bool& valid) { valid = false; };
        f.go(1, 1);
        f.type("q");
        f.key(Qt::Key_Return);
        EXPECT_TRUE(f.editorShown());
        EXPECT_EQ(f.g->InvalidEntryBalloon(), nullptr);
    }
    Fixture f;
    f.g->SetInvalidEntryTitle("Combo");
    f.g->OnGetEditorType = [&](QObject*, int, int, TEditorType& e) {
        e = edComboEdit;
        f.g->ClearComboString();
        f.g->AddComboString("A");
    };
    f.g->OnCellValidate = [](QObject*, int, int, QString&, bool& valid) { valid = false; };
    f.go(1, 1);
    f.key(Qt::Key_F2);
    ASSERT_TRUE(f.g->EditCombo()->isVisible());
    f.type("z");
    f.key(Qt::Key_Return);
    EXPECT_TRUE(f.g->EditCombo()->isVisible());
    ASSERT_TRUE(f.g->InvalidEntryBalloon());
    EXPECT_TRUE(f.g->InvalidEntryBalloon()->isVisible());
    EXPECT_EQ(f.g->InvalidEntryBalloon()->Target(), f.g->EditCombo()->lineEdit());
    // A change of focus takes it away.
    QPushButton other(&f.form);
    other.show();
    other.setFocus();
    EXPECT_FALSE(f.g->InvalidEntryBalloon()->isVisible());
}

// The wide twin recalculates the footer column before its handler, whatever the verdict, and
// leaves no undo entry; a validation asked for while it puts a refused value back answers true and
// does nothing.
TEST(ExGridValidate, WideTwinRecalculatesTheFooterAndIgnoresNestedCalls) {
    Fixture f;
    int plainAsked = 0;
    f.g->OnCellValidate = [&](QObject*, int, int, QString&, bool&) { ++plainAsked; };
    f.g->OnCellValidateWide = [&](QObject*, int col, int row, QString&, bool& valid) {
        ++f.asked;
        EXPECT_EQ(f.g->recalculated, std::vector<int>{col});
        EXPECT_EQ(row, 1);
        valid = false;
    };
    f.g->RememberOldCell(2, 1);
    f.go(3, 4);
    // Moving the cursor back to the edited cell asks whether it may change.
    std::optional<bool> nested;
    f.g->OnCellChanging = [&](QObject*, int, int, int, int, bool&) {
        if (nested) return;
        f.g->SetEditing(true);
        nested = f.g->ValidateCell("zz");
    };
    f.g->SetEditing(true);
    EXPECT_FALSE(f.g->ValidateCellWide("new"));
    EXPECT_EQ(f.asked, 1);
    EXPECT_EQ(f.g->recalculated, std::vector<int>{2});
    ASSERT_TRUE(nested);
    EXPECT_TRUE(*nested);
    EXPECT_EQ(plainAsked, 0);
    EXPECT_EQ(std::pair(f.g->Col(), f.g->Row()), std::pair(2, 1));
    EXPECT_EQ(f.g->Cells(2, 1), "c2r1");
    EXPECT_TRUE(f.undoEntries().empty());
    EXPECT_TRUE(f.changed.empty());
    EXPECT_TRUE(f.g->Editing());

    // Accepted: stored, one change notice, still no undo entry.
    f.g->OnCellChanging = nullptr;
    f.g->OnCellValidateWide = [&](QObject*, int, int, QString&, bool&) { ++f.asked; };
    f.g->RememberOldCell(2, 1);
    f.g->SetEditing(true);
    EXPECT_TRUE(f.g->ValidateCellWide("wide"));
    EXPECT_EQ(f.g->Cells(2, 1), "wide");
    EXPECT_EQ(f.changed, (std::vector<plat::TGridRect>{{2, 1, 2, 1}}));
    EXPECT_TRUE(f.undoEntries().empty());
}

// An exception from the handler or the checker reaches the caller; the snapshot is taken again and
// the next validation runs.
TEST(ExGridValidate, ExceptionReachesTheCallerAfterTheFinalStep) {
    class Throwing : public TExStringGridCheck {
    public:
        QString Correct(int32_t, int32_t, const QString&) override { throw std::runtime_error("checker"); }
    };
    for (bool fromChecker : {false, true}) {
        SCOPED_TRACE(fromChecker);
        Fixture f;
        Throwing checker;
        checker.AutoCorrect = true;
        if (fromChecker) f.g->SetCellChecker(&checker);
        else f.g->OnCellValidate = [](QObject*, int, int, QString&, bool&) { throw std::runtime_error("handler"); };
        f.g->Navigation().SetAdvanceOnEnter(true);
        f.g->RememberOldCell(1, 1);
        f.g->SetCells(1, 1, "typed");
        f.g->SetEditing(true);
        EXPECT_THROW(f.g->ValidateCell("typed"), std::runtime_error);
        EXPECT_FALSE(f.g->Validating());
        EXPECT_TRUE(f.g->Navigation().AdvanceOnEnter());
        EXPECT_EQ(f.g->OldCellText(), "typed");
        f.g->SetCellChecker(nullptr);
        f.g->OnCellValidate = nullptr;
        f.g->RememberOldCell(1, 1);
        f.g->SetEditing(true);
        EXPECT_TRUE(f.g->ValidateCell("again"));
        EXPECT_EQ(f.g->Cells(1, 1), "again");
    }
    // Typed into the editor: the handler's failure goes to the error handler, the grid stays usable.
    testing_support::RecordingDialogs dialogs;
    Fixture f;
    f.g->OnCellValidate = [](QObject*, int, int, QString&, bool&) { throw std::runtime_error("handler failed"); };
    f.go(1, 1);
    f.type("a");
    f.key(Qt::Key_Return);
    EXPECT_EQ(dialogs.errors(), QStringList{"handler failed"});
    f.g->OnCellValidate = nullptr;
    f.go(2, 2);
    f.type("b");
    f.key(Qt::Key_Return);
    EXPECT_EQ(f.g->Cells(2, 2), "b");
}

// One validated edit on a grid of a million rows: one change notice for the one cell, one footer
// column recalculated.
TEST(ExGridValidate, OneEditOnAMillionRowsTouchesOneCellAndOneFooterColumn) {
    CountingGrid g;
    g.SetColCount(4);
    g.SetRowCount(1'000'000);
    g.FloatingFooter().SetVisible(true);
    g.FloatingFooter().SetColumnCalc(1, acCUSTOM);
    std::multiset<int> footerColumns;
    g.OnFooterCalc = [&](QObject*, int ACol, int, QString& Value) {
        footerColumns.insert(ACol);
        Value = "sum";
    };
    std::vector<plat::TGridRect> changed;
    g.OnCellsChanged = [&](QObject*, const plat::TGridRect& R) { changed.push_back(R); };
    g.recalculated.clear();
    footerColumns.clear();
    const int row = 500'000;
    g.RememberOldCell(1, row);
    g.SetEditing(true);
    EXPECT_TRUE(g.ValidateCell("5"));
    EXPECT_EQ(g.Cells(1, row), "5");
    EXPECT_EQ(changed, (std::vector<plat::TGridRect>{{1, row, 1, row}}));
    EXPECT_EQ(g.recalculated, std::vector<int>{1});
    EXPECT_EQ(std::set<int>(footerColumns.begin(), footerColumns.end()), std::set<int>{1});
}
