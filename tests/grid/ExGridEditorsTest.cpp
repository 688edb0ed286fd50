// The grid's cell editors as a user meets them: keys typed into the default text editor, the
// combo box, the spin edit, the check box and the push button, on a shown and focused grid.
#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "platform/Error.h"
#include "tests/support/EventWait.h"
#include "tests/support/LocaleScope.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

// A 4 x 5 grid with one fixed row and column in an active window, editing on; every cell of
// column 1 and 2 gets the kind the test sets.
struct EditGrid {
    QWidget host;
    TExStringGrid* g;
    QPushButton* button;
    testing_support::RecordingBeeps beeps;
    TEditorType kind = edNormal;
    int validations = 0, editingDone = 0;

    EditGrid() {
        host.resize(520, 260);
        g = new TExStringGrid(&host);
        g->setGeometry(0, 0, 480, 200);
        button = new QPushButton("OK", &host);
        button->setGeometry(0, 220, 80, 30);
        g->SetColCount(4);
        g->SetRowCount(5);
        g->SetFixedCols(1);
        g->SetFixedRows(1);
        plat::TGridOptions o = g->Options();
        o.include(plat::goEditing);
        g->SetOptions(o);
        g->OnGetEditorType = [this](QObject*, int ACol, int, TEditorType& E) {
            if (ACol == 1 || ACol == 2) E = kind;
        };
        g->OnCellValidate = [this](QObject*, int, int, QString&, bool&) { ++validations; };
        g->OnEditingDone = [this](QObject*) { ++editingDone; };
        host.show();
        host.activateWindow();
        EXPECT_TRUE(testing_support::waitForWindowActive(&host));
        g->setFocus();
        QApplication::processEvents();
    }
    // Opens the editor on a cell with F2.
    void open(int ACol, int ARow, const QString& Text = QString()) {
        g->SetCells(ACol, ARow, Text);
        g->FocusCell(ACol, ARow);
        g->setFocus();
        QApplication::processEvents();
        key(Qt::Key_F2);
    }
    TExInplaceEdit* ed() const { return g->NormalEdit(); }
    // A key pressed and released into whatever has the focus; the release is delivered at once.
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier, const QString& text = QString()) {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        QTest::keyPress(w, Qt::Key(k), m);
        if (text.isEmpty() || k != 0) {
        }
        QWidget* now = QApplication::focusWidget();
        QTest::keyRelease(now ? now : w, Qt::Key(k), m);
        if (auto* e = dynamic_cast<TExInplaceEdit*>(now)) e->FlushKeyUp();
        if (ed()) ed()->FlushKeyUp();
        QApplication::processEvents();
    }
    void type(const QString& s) {
        for (QChar c : s) {
            QWidget* w = QApplication::focusWidget();
            ASSERT_NE(w, nullptr);
            QTest::keyClick(w, c.toLatin1());
            if (ed()) ed()->FlushKeyUp();
        }
        QApplication::processEvents();
    }
};

}  // namespace

TEST(ExGridEditors, OwnersMustBeStringGrids) {
    QWidget notAGrid;
    EXPECT_THROW(TGridCombo{&notAGrid}, plat::EInvalidCast);
    EXPECT_THROW(TGridSpin{&notAGrid}, plat::EInvalidCast);
    EXPECT_THROW(TGridCheckBox{&notAGrid}, plat::EInvalidCast);
    EXPECT_THROW(TGridButton{&notAGrid}, plat::EInvalidCast);
    TExStringGrid g;
    EXPECT_NO_THROW(TGridCheckBox{&g});
}

TEST(ExGridEditors, LookupCompletesFromTheList) {
    EditGrid e;
    e.g->SetLookup(true);
    e.g->SetLookupItems({"Abc", "abd"});
    e.open(1, 1);
    ASSERT_NE(e.ed(), nullptr);
    ASSERT_TRUE(e.ed()->isVisible());
    const QRect cell = e.g->CellRect(1, 1).toQRect();
    EXPECT_EQ(e.ed()->geometry().left(), cell.left());
    EXPECT_LE(e.ed()->geometry().right(), cell.right());
    e.type("a");
    EXPECT_LE(e.ed()->geometry().right(), cell.right());
    EXPECT_EQ(e.ed()->EditText(), "abc");
    EXPECT_EQ(e.ed()->SelText(), "bc");
    e.type("b");
    EXPECT_EQ(e.ed()->EditText(), "abc");
    EXPECT_EQ(e.ed()->SelText(), "c");
    e.key(Qt::Key_Backspace);  // the completed tail goes and nothing comes back
    EXPECT_EQ(e.ed()->EditText(), "ab");
    e.key(Qt::Key_Home);  // the caret at 0 completes nothing
    EXPECT_EQ(e.ed()->EditText(), "ab");
    EXPECT_EQ(e.ed()->SelLength(), 0);
}

TEST(ExGridEditors, LengthLimitDropsSilentlyYetEnterValidates) {
    EditGrid e;
    e.g->SetMaxEditLength(5);
    e.open(1, 1);
    e.type("abcde");
    e.type("f");
    EXPECT_EQ(e.ed()->EditText(), "abcde");
    EXPECT_TRUE(e.beeps.beeps.empty());
    e.key(Qt::Key_Backspace);
    EXPECT_EQ(e.ed()->EditText(), "abcd");
    e.key(Qt::Key_Return);
    EXPECT_EQ(e.validations, 1);
    EXPECT_EQ(e.g->Cells(1, 1), "abcd");
}

TEST(ExGridEditors, NumberKindsFilterCharacters) {
    testing_support::LocaleScope comma(u',', u'.');
    EditGrid e;
    e.kind = edFloat;
    e.open(1, 1);
    e.type("1,5");
    e.type(",");  // a second decimal separator
    e.type(".");  // the thousand separator, always
    EXPECT_EQ(e.ed()->EditText(), "1,5");
    EXPECT_TRUE(e.beeps.beeps.empty());
    e.ed()->Select(1, 2);  // the selection holds the first ","
    e.type(",");
    EXPECT_EQ(e.ed()->EditText(), "1,5");
    EXPECT_EQ(e.ed()->CaretPos(), 2);
    e.type("-");  // in the middle
    EXPECT_EQ(e.beeps.beeps.size(), 1u);
    EXPECT_EQ(e.ed()->EditText(), "1,5");
    e.key(Qt::Key_Escape);

    e.kind = edPositiveFloat;
    e.open(2, 1);
    e.type("-");
    EXPECT_EQ(e.ed()->EditText(), "");
    EXPECT_EQ(e.beeps.beeps.size(), 1u);
    e.key(Qt::Key_Escape);

    e.kind = edNumeric;
    e.open(1, 2);
    e.type("4a");
    EXPECT_EQ(e.ed()->EditText(), "4");
    EXPECT_EQ(e.beeps.beeps.size(), 2u);
}

TEST(ExGridEditors, PasteAsTableCell) {
    EditGrid e;
    e.kind = edNumeric;
    std::vector<QString> before, after;
    e.g->OnClipboardBeforePasteCell = [&](QObject*, int, int, QString& V, bool&) { before.push_back(V); };
    e.g->OnClipboardAfterPasteCell = [&](QObject*, int, int, const QString& V) { after.push_back(V); };
    e.open(1, 1);
    QApplication::clipboard()->setText("12\r\n");
    e.key(Qt::Key_V, Qt::ControlModifier);  // the clipboard keys pass the number kinds' filter
    EXPECT_EQ(e.ed()->EditText(), "12");
    EXPECT_EQ(e.g->Cells(1, 1), "12");
    ASSERT_EQ(after.size(), 1u);
    e.key(Qt::Key_Escape);

    // Refused by the integer check: the text stays, is stored, and the after-paste event fires.
    e.open(1, 2, "7");
    e.ed()->Select(1, 1);
    QApplication::clipboard()->setText("1\r\n2\r\n");
    e.key(Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(e.ed()->EditText(), "7");
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[1], "7");
    e.key(Qt::Key_Escape);

    // Longer than the limit: nothing after the before-paste event.
    e.g->SetMaxEditLength(3);
    e.open(2, 2, "");
    QApplication::clipboard()->setText("12345");
    e.key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e.ed()->EditText(), "");
    EXPECT_EQ(before.size(), 3u);
    EXPECT_TRUE(e.beeps.beeps.empty());
    EXPECT_EQ(after.size(), 2u);
}

TEST(ExGridEditors, CursorWalk) {
    EditGrid e;
    e.g->Navigation().SetCursorWalkEditor(true);
    e.open(2, 1, "ab");
    e.ed()->Select(1, 1);
    e.key(Qt::Key_Left);  // reaches 0: no walk yet
    EXPECT_EQ(e.g->Col(), 2);
    EXPECT_EQ(e.ed()->CaretPos(), 0);
    e.key(Qt::Key_Left);  // was at 0 before the key: walks
    EXPECT_EQ(e.g->Col(), 1);

    e.open(2, 2, "xy");
    e.ed()->Select(2, 2);
    e.key(Qt::Key_Right);  // at the end before the key
    EXPECT_EQ(e.g->Col(), 3);
}

TEST(ExGridEditors, UpMovesInsideTheTextThenLeavesTheCell) {
    EditGrid e;
    e.g->SetRowHeights(3, 90);  // a cell tall enough for its three lines
    e.g->SetAlwaysValidate(true);
    e.open(1, 3, "one\rtwo\rsix");
    ASSERT_EQ(e.ed()->LineCount(), 3);
    e.ed()->Select(5, 5);  // in the second line
    e.key(Qt::Key_Up);
    EXPECT_EQ(e.g->Row(), 3);
    EXPECT_EQ(e.ed()->LineFromChar(e.ed()->CaretPos()), 0);
    EXPECT_EQ(e.validations, 0);
    e.ed()->Select(1, 1);
    e.key(Qt::Key_Up);
    EXPECT_EQ(e.validations, 1);
    EXPECT_EQ(e.g->Row(), 2);
}

TEST(ExGridEditors, AnEditStartedByAClickPutsTheCaretUnderTheMouse) {
    EditGrid e;
    e.g->SetCells(1, 1, "abcdefgh");
    e.g->FocusCell(1, 1);
    const QRect r = e.g->CellRect(1, 1).toQRect();
    e.g->SetLButFlg(true);
    e.g->SetLButPos(QPoint(r.left() + 3, r.center().y()));
    e.open(1, 1, "abcdefgh");
    ASSERT_TRUE(e.ed()->isVisible());
    EXPECT_EQ(e.ed()->SelLength(), 0);  // not the whole text, as an edit from the keyboard has it
    EXPECT_LE(e.ed()->CaretPos(), 1);
    EXPECT_FALSE(e.g->LButFlg());
}

TEST(ExGridEditors, AClickInTheCurrentCellEditsWithTheCaretThereAndATypedKeyAfterAClickStillTypes) {
    EditGrid e;
    e.g->SetCells(1, 1, "abcdefgh");
    e.g->SetCells(2, 2, "xyz");
    e.g->FocusCell(1, 1);
    e.g->setFocus();
    QApplication::processEvents();
    const QRect r = e.g->CellRect(1, 1).toQRect();
    QTest::mouseClick(e.g->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 3, r.center().y()));
    QApplication::processEvents();
    ASSERT_TRUE(e.ed() && e.ed()->isVisible());
    EXPECT_EQ(e.ed()->SelLength(), 0);
    EXPECT_LE(e.ed()->CaretPos(), 1);
    EXPECT_FALSE(e.g->LButFlg());
    e.key(Qt::Key_Escape);
    // A click on another cell opens nothing; the key typed next starts the edit with itself.
    const QRect r2 = e.g->CellRect(2, 2).toQRect();
    QTest::mouseClick(e.g->viewport(), Qt::LeftButton, {}, QPoint(r2.left() + 3, r2.center().y()));
    EXPECT_FALSE(e.g->LButFlg());
    QTest::keyClick(QApplication::focusWidget(), 'q');
    ASSERT_TRUE(e.ed() && e.ed()->isVisible());
    EXPECT_EQ(e.ed()->Text(), "q");
}

TEST(ExGridEditors, FocusToAButtonValidatesStoresAndEndsOnce) {
    EditGrid e;
    e.open(1, 1, "old");
    e.type("new");
    e.button->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(e.validations, 1);
    EXPECT_EQ(e.g->Cells(1, 1), "new");
    EXPECT_EQ(e.editingDone, 1);
    EXPECT_FALSE(e.ed()->isVisible());
}

TEST(ExGridEditors, EscapeRestoresTheTextFromBeforeTheEdit) {
    EditGrid e;
    e.open(1, 1, "before");
    e.type("xyz");
    e.key(Qt::Key_Escape);
    EXPECT_EQ(e.g->Cells(1, 1), "before");
    EXPECT_FALSE(e.ed()->isVisible());
}

TEST(ExGridEditors, PasswordCellsStayMasked) {
    EditGrid e;
    e.kind = edPassword;
    e.open(1, 1, "secret");
    ASSERT_TRUE(e.ed()->isVisible());
    EXPECT_EQ(e.ed()->PasswordChar(), QChar(u'*'));
    QApplication::clipboard()->setText("before");
    e.ed()->SelectAll();
    e.key(Qt::Key_C, Qt::ControlModifier);
    e.key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
    EXPECT_EQ(e.ed()->EditText(), "secret");
    e.key(Qt::Key_Escape);
    e.kind = edNormal;
    e.open(2, 1, "plain");
    EXPECT_TRUE(e.ed()->PasswordChar().isNull());
}

// ---------------------------------------------------------------- combo

namespace {

void comboItems(EditGrid& e, QStringList Items) {
    e.g->OnGetEditorProp = [&e, Items](QObject*, int, int, TEditLink*) {
        for (const QString& s : Items) e.g->AddComboString(s);
    };
}

}  // namespace

TEST(ExGridEditors, ListComboStepsWithDownAndCommitsWithEnter) {
    EditGrid e;
    e.kind = edComboList;
    comboItems(e, {"Red", "Green", "Blue"});
    e.g->Navigation().SetAdvanceOnEnter(true);
    e.g->Navigation().SetAdvanceAutoEdit(false);
    e.open(1, 1, "Red");
    TGridCombo* c = e.g->EditCombo();
    ASSERT_TRUE(c->isVisible());
    EXPECT_EQ(c->ItemIndex(), 0);
    e.key(Qt::Key_Down);
    EXPECT_TRUE(c->isVisible());
    EXPECT_EQ(c->ItemIndex(), 1);
    e.key(Qt::Key_Return);
    EXPECT_FALSE(c->isVisible());
    EXPECT_EQ(e.g->Cells(1, 1), "Green");
    EXPECT_EQ(e.g->Col(), 2);
}

TEST(ExGridEditors, EditComboWithoutUpDownStoresAndMovesDown) {
    EditGrid e;
    e.kind = edComboEdit;
    comboItems(e, {"Red", "Green"});
    e.g->Navigation().SetComboGetUpDown(false);
    e.g->SetCells(1, 2, "below");
    e.open(1, 1, "typed");
    e.key(Qt::Key_Down);
    EXPECT_EQ(e.g->Cells(1, 1), "typed");
    EXPECT_EQ(e.g->Row(), 2);
    EXPECT_EQ(e.g->Cells(1, 2), "below");
    EXPECT_FALSE(e.g->EditCombo()->isVisible());
}

TEST(ExGridEditors, ComboLookupOverItemsThenLookupItems) {
    EditGrid e;
    e.kind = edComboEdit;
    comboItems(e, {"Red", "Green"});
    e.g->SetLookup(true);
    e.g->SetLookupItems({"Gray"});
    e.open(1, 1, "");
    TGridCombo* c = e.g->EditCombo();
    QTest::keyClick(c, 'G');
    EXPECT_EQ(c->Text(), "Green");
    EXPECT_EQ(c->ItemIndex(), 1);
    c->SetText("G");
    c->SetSelStart(1);
    QTest::keyClick(c, 'r');
    EXPECT_EQ(c->Text(), "Green");
    c->SetText("Gr");
    c->SetSelStart(2);
    QTest::keyClick(c, 'a');
    EXPECT_EQ(c->Text(), "Gray");
    EXPECT_EQ(c->ItemIndex(), -1);
}

TEST(ExGridEditors, ComboWheelStopsAtBothEnds) {
    EditGrid e;
    e.kind = edComboList;
    comboItems(e, {"a", "b", "c"});
    std::vector<int> changes;
    e.g->OnComboChange = [&](QObject*, int, int, int Idx, const QString&) { changes.push_back(Idx); };
    e.open(1, 1, "c");
    TGridCombo* c = e.g->EditCombo();
    const QPointF at(5, 5);
    QWheelEvent down(at, c->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(c, &down);
    EXPECT_EQ(c->ItemIndex(), 2);
    c->WheelStep(false);
    c->WheelStep(false);
    c->WheelStep(false);
    EXPECT_EQ(c->ItemIndex(), 0);
    EXPECT_EQ(changes, (std::vector<int>{2, 1, 0, 0}));
    // No item selected: nothing to report either way.
    c->SetItemIndex(-1);
    c->WheelStep(false);
    EXPECT_EQ(c->ItemIndex(), -1);
    c->WheelStep(true);
    EXPECT_EQ(c->ItemIndex(), 0);
    EXPECT_EQ(changes.size(), 4u);
}

TEST(ExGridEditors, ComboOpensAtThePresetItemWithoutEvent) {
    EditGrid e;
    e.kind = edComboList;
    comboItems(e, {"a", "b", "c"});
    int changes = 0;
    e.g->OnComboChange = [&](QObject*, int, int, int, const QString&) { ++changes; };
    e.g->SetComboSelection(2);
    e.open(1, 1, "not an item");
    EXPECT_EQ(e.g->EditCombo()->ItemIndex(), 2);
    EXPECT_EQ(changes, 0);
}

// ---------------------------------------------------------------- spin, check box, button

TEST(ExGridEditors, SpinValueKeysStayInRange) {
    EditGrid e;
    e.kind = edSpinEdit;
    TGridSpin* s = e.g->SpinEdit();
    s->MaxValue = 100;
    s->Increment = 10;
    std::vector<std::pair<int, bool>> clicks;
    e.g->OnSpinClick = [&](QObject*, int, int, int V, bool Up) { clicks.emplace_back(V, Up); };
    e.open(1, 1, "95");
    ASSERT_TRUE(s->isVisible());
    e.key(Qt::Key_PageUp);
    EXPECT_EQ(s->Value(), 95);
    e.key(Qt::Key_Home);
    EXPECT_EQ(s->Value(), 100);
    EXPECT_EQ(clicks, (std::vector<std::pair<int, bool>>{{95, true}, {100, true}}));
    e.key(Qt::Key_Return);
    EXPECT_EQ(e.g->Cells(1, 1), "100");
    EXPECT_FALSE(s->isVisible());

    e.kind = edFloatSpinEdit;
    s->MinFloatValue = 2.5;
    clicks.clear();
    e.open(1, 2, "7.25");
    e.key(Qt::Key_End);
    EXPECT_DOUBLE_EQ(s->FloatValue(), 2.5);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0], (std::pair<int, bool>{2, false}));
}

TEST(ExGridEditors, CheckBoxKeepsItsKeys) {
    EditGrid e;
    e.kind = edCheckBox;
    e.open(1, 1, "N");
    TGridCheckBox* c = e.g->EditCheck();
    ASSERT_TRUE(c->isVisible());
    e.key(Qt::Key_Home);
    EXPECT_TRUE(c->isVisible());
    e.key(Qt::Key_Space);
    EXPECT_TRUE(c->isChecked());
    e.key(Qt::Key_End);
    EXPECT_FALSE(c->isVisible());
    EXPECT_EQ(e.g->Col(), 1);
    EXPECT_EQ(e.g->Row(), 1);
    EXPECT_EQ(c->text(), "N");  // the cell's text is the caption; the editor writes nothing back
    EXPECT_EQ(e.g->Cells(1, 1), "N");
}

TEST(ExGridEditors, ButtonExchangesItsCaptionAndEscapeRestores) {
    EditGrid e;
    e.kind = edButton;
    e.g->OnEllipsClick = [](QObject*, int, int, QString& S) { S = "picked"; };
    e.open(1, 1, "orig");
    TGridButton* b = e.g->GridButton();
    ASSERT_TRUE(b->isVisible());
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_EQ(b->Text(), "picked");
    EXPECT_EQ(e.g->Cells(1, 1), "picked");
    e.key(Qt::Key_Escape);
    EXPECT_FALSE(b->isVisible());
    EXPECT_EQ(e.g->Cells(1, 1), "orig");
}
