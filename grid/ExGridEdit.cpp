// In-place editing, first half: whether and how an editor shows, the combo editor's roads, the end
// of an edit, validation and the edit-text paths.
#include "controls/ExHTMLUtil.h"
#include "controls/ExStringGridCheck.h"
#include "controls/ExUtil.h"
#include "controls/SgCombo.h"
#include "grid/ExEditBalloon.h"
#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "platform/Guard.h"
#include "platform/InplaceEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>

namespace {

// Sets a flag for a scope, also when the scope is left by an exception.
struct FlagScope {
    bool& flag;
    bool old;
    explicit FlagScope(bool& f) : flag(f), old(f) { flag = true; }
    ~FlagScope() { flag = old; }
};

// Turns one navigation setting off for a scope and gives it back after, also on an exception.
template <auto Get, auto Set>
struct NavigationOff {
    TNavigation& nav;
    bool was;
    explicit NavigationOff(TNavigation& n) : nav(n), was((n.*Get)()) { (n.*Set)(false); }
    ~NavigationOff() { (nav.*Set)(was); }
};
using AdvanceOnEnterOff = NavigationOff<&TNavigation::AdvanceOnEnter, &TNavigation::SetAdvanceOnEnter>;

}  // namespace

bool TExStringGrid::isTextKind(TEditorType Kind) {
    return Kind == edNormal || (Kind >= edNumeric && Kind <= edPassword) || Kind == edLowerCase ||
           Kind == edUpperCase || Kind == edValidChars || Kind == edPositiveFloat;
}

bool TExStringGrid::defaultEditorOpen() const { return InplaceEditor() && InplaceEditor()->isVisible(); }

int TExStringGrid::firstNavigableCol() const { return FixedCols() == 0 && HasNodes() ? 1 : FixedCols(); }

// ---------------------------------------------------------------- editability

bool TExStringGrid::IsEditable(int ACol, int ARow) {
    const bool on = Options().contains(plat::goEditing) || FMouseActions->RangeSelectAndEdit() || FEditDisable;
    return on && CheckCellEditable(ACol, ARow);
}

bool TExStringGrid::CheckCellEditable(int ACol, int ARow) {
    plat::TGridCoord bc{ACol, ARow};
    if (IsMergedCell(ACol, ARow)) bc = BaseCell(ACol, ARow);
    bool can = true;
    CanEditCell(bc.X, bc.Y, can);
    bool fixed = false;
    IsFixedCell(RealColIndex(DisplColIndex(bc.X)), bc.Y, fixed);
    return can && !fixed;
}

bool TExStringGrid::IsFixed(int ACol, int ARow) const {
    auto* self = const_cast<TExStringGrid*>(this);
    const int real = RealColIndex(ACol);
    const plat::TGridCoord bc = BaseCell(real, ARow);
    const int col = DisplColIndex(bc.X);
    if (bc.Y >= RowCount() - FFixedFooters) return true;
    if (col >= ColCount() - FFixedRightCols && col < ColCount()) return true;
    bool fixed = false;
    self->IsFixedCell(col, bc.Y, fixed);
    return fixed;
}

bool TExStringGrid::WantsTabInEditor() const {
    return Options().contains(plat::goTabs) || OnCellValidate || OnCellValidateWide;
}

// ---------------------------------------------------------------- showing an editor

bool TExStringGrid::CanEditShow() {
    if (FValidating) return false;
    bool result = TBaseGrid::CanEditShow();
    // A single click never edits when only a double click may.
    if ((FInClick && FMouseActions->EditOnDblClickOnly()) || FSimClick) result = false;
    if (IsDesignTime()) return result;
    const plat::TGridCoord bc = BaseCell(RealCol(), Row());
    // Check, radio and button cells are toggled or clicked, never edited: also not by an editor still
    // open on the cell the current cell just left (it follows the current cell otherwise), by an
    // editor that is always shown, or by a queued F2. The edit that was open ends here.
    if (result && IsCheckOrButtonCell(bc.X, bc.Y)) {
        if (FEditMode && !FSpecialEditor) {
            FEditMode = false;
            FNoEditChange = false;
        }
        return false;
    }
    if (result && !FEditMode) {
        FNoEditChange = true;
        FCellCache = Cells(RealCol(), Row());
        FEditControl = FDefaultEditor;
        GetCellEditor(bc.X, bc.Y, FEditControl);
        if (FEditControl == edNone) {
            FNoEditChange = false;
            return false;
        }
        FEditMode = true;
        RememberOldCell(DisplColIndex(bc.X), bc.Y);
        if (isTextKind(FEditControl)) {
            FShowEditProcess = true;
            FTextEditOpen = true;
        } else {
            FNoEditChange = false;
            StartSpecialEdit(DisplColIndex(bc.X), bc.Y);
            FEntered = true;
            if (FFocusHelper->Enabled()) ShowFocusWindow();
            result = false;
        }
    }
    if (result) {
        FEntered = true;
        FEditing = true;
        if (FFocusHelper->Enabled()) ShowFocusWindow();
    }
    return result;
}

void TExStringGrid::ShowInplaceEdit() {
    if (IsCheckOrButtonCell(RealCol(), Row())) return;
    // The cell comes into view first.
    if (Row() >= FixedRows() && Row() < TopRow()) SetTopRow(Row());
    if (Col() >= FixedCols() && Col() < LeftCol()) SetLeftCol(Col());
    FEditText = Cells(RealCol(), Row());
    ShowEditor();
}

void TExStringGrid::ShowCellEdit() {
    uint16_t key = plat::VK_F2;
    KeyDown(key, {});
}

plat::TInplaceEdit* TExStringGrid::CreateEditor() {
    FInplaceEdit = new TExInplaceEdit(this);
    plat::TInplaceEdit* ed = FInplaceEdit;
    ed->OnChange = [this](QObject*) { liveEditChanged(); };
    ed->installEventFilter(this);
    return ed;
}

void TExStringGrid::defaultEditorHidden() {
    FNoEditChange = false;
    if (!FTextEditOpen) return;
    FTextEditOpen = false;
    FEditing = false;
    PostEditDone(RealCol(), Row());
}

namespace {

enum class LiveSource : uint8_t { None, TextEditor, Spin };

// Whose text an editor kind writes to the cell while it is typed in. The valid-characters kind
// is written when its edit ends only.
LiveSource liveSourceOf(TEditorType Kind) {
    struct Entry {
        TEditorType Kind;
        LiveSource Source;
    };
    static constexpr Entry kTable[] = {
        {edNormal, LiveSource::TextEditor},       {edNumeric, LiveSource::TextEditor},
        {edPositiveNumeric, LiveSource::TextEditor}, {edFloat, LiveSource::TextEditor},
        {edCapital, LiveSource::TextEditor},      {edMixedCase, LiveSource::TextEditor},
        {edPassword, LiveSource::TextEditor},     {edLowerCase, LiveSource::TextEditor},
        {edUpperCase, LiveSource::TextEditor},    {edPositiveFloat, LiveSource::TextEditor},
        {edSpinEdit, LiveSource::Spin},           {edFloatSpinEdit, LiveSource::Spin},
        {edTimeSpinEdit, LiveSource::Spin},       {edDateSpinEdit, LiveSource::Spin},
    };
    for (const Entry& e : kTable)
        if (e.Kind == Kind) return e.Source;
    return LiveSource::None;
}

}  // namespace

void TExStringGrid::liveEditChanged() {
    // Nothing while an editor is being filled, and nothing before the first text editor opened.
    if (!FShowEditProcess || !FEditMode || FNoEditChange) return;
    switch (liveSourceOf(FEditControl)) {
        case LiveSource::TextEditor:
            // Only what the user changed: a text put back by code is no typing.
            if (FInplaceEdit && FInplaceEdit->isVisible() && FInplaceEdit->Modified())
                SetEditText(Col(), Row(), FInplaceEdit->Text());
            break;
        case LiveSource::Spin:
            if (FSpinEdit && FSpinEdit->isVisible()) SetEditText(Col(), Row(), FSpinEdit->Text());
            break;
        case LiveSource::None: break;
    }
}

// ---------------------------------------------------------------- special editors

void TExStringGrid::StartSpecialEdit(int ACol, int ARow) {
    FEditing = FSpecialEditor = FEditActive = true;
    SetGridState(plat::gsNormal);
    FEditCtrl = nullptr;
    if (FEditControl != edCustom) FLastValidation = true;
    switch (FEditControl) {
        case edComboEdit: comboRoad(ACol, ARow, false); break;
        case edComboList: comboRoad(ACol, ARow, true); break;
        case edCustom: linkRoad(ACol, ARow); break;
        case edRichEdit: richRoad(ACol, ARow); break;
        default: startControlEdit(ACol, ARow); break;  // the drop-down and picker roads come with their editors
    }
    FStartEditChar = QChar();
}

void TExStringGrid::comboRoad(int ACol, int ARow, bool List) {
    ctl::TSgComboBox& cb = *EditCombo();
    const int real = RealColIndex(ACol);
    plat::TRect r = CellRect(ACol, ARow);
    if (UseRightToLeftAlignment()) ++r.Left;
    const int w = r.Right - r.Left - 1, h = r.Bottom - r.Top - 1;
    // The cell's colours and font.
    plat::TGridDrawState state;
    plat::TBrush brush;
    brush.SetColor(Color());
    plat::TFont font(Font());
    TColor colorTo = plat::clNone, mirror = plat::clNone, mirrorTo = plat::clNone;
    TAlignment ha = taLeftJustify;
    TVAlignment va = vtaTop;
    bool ww = false;
    TCellGradientDirection gd = GradientVertical;
    GetVisualProperties(real, ARow, state, false, false, false, brush, colorTo, mirror, mirrorTo, font, ha, va, ww, gd);

    int fired = -1;
    {
        FlagScope filling(FNoEditChange);
        cb.SetDropDownCount(FControlLook->DropDownCount());
        GetEditorProp(real, ARow, nullptr);
        cb.SetDroppedDown(false);
        cb.SetEnabled(true);
        cb.SetStyle(List ? plat::csDropDownList : plat::csDropDown);
        const QString editText = GetEditText(ACol, ARow);
        cb.clear();
        for (int i = 0; i < FComboList.size(); ++i) cb.AddItem(FComboList[i], ComboObject(i));
        auto indexOf = [&](const QString& t) { return cb.findText(t, Qt::MatchFixedString | Qt::MatchCaseSensitive); };
        if (List) {
            cb.SetItemIndex(indexOf(Cells(real, ARow)));
            if (cb.ItemIndex() == -1) {
                if (FComboIdx == -1) {
                    cb.SetItemIndex(indexOf(editText));
                    if (cb.ItemIndex() == -1) cb.SetItemIndex(0);
                    // The item the cell now shows is reported before the user does anything.
                    fired = cb.ItemIndex();
                } else {
                    cb.SetItemIndex(FComboIdx);
                }
            }
        } else {
            cb.SetText(editText);
            if (FComboIdx != -1 && cb.ItemIndex() == -1) cb.SetItemIndex(FComboIdx);
            cb.SetMaxLength(FMaxComboLength);
        }
        cb.setGeometry(r.Left, r.Top, std::max(0, w), std::max(0, h));
        cb.SetColor(brush.Color());
        cb.setFont(font.ToQFont());
        const bool flat = FLook != glStandard && FLook != glClassic && FLook != glCustom;
        cb.SetFlat(flat);
        cb.SetEtched(flat);
        if (FNavigation->AutoComboDropSize()) {
            const QFontMetrics fm(cb.font());
            int widest = 0;
            for (int i = 0; i < cb.count(); ++i) widest = std::max(widest, fm.horizontalAdvance(cb.itemText(i)));
            cb.SetDroppedWidth(std::max(w, widest + 2 * fm.averageCharWidth() + cb.ButtonWidth()));
        }
        cb.show();
        cb.raise();
        cb.setFocus(Qt::OtherFocusReason);
        if (cb.lineEdit()) cb.lineEdit()->selectAll();
    }
    FEditMode = true;
    if (FMouseActions->DirectComboDrop() || FControlLook->DropDownAlwaysVisible()) cb.SetDroppedDown(true);
    if (FMouseActions->DirectEdit() && FMouseActions->DirectComboDrop()) {
        const plat::TGridRect s = Selection();
        SelectionChanged(s.Left, s.Top, s.Right, s.Bottom);
    }
    if (fired >= 0) {
        const QString item = cb.itemText(fired);
        if (OnComboChange) OnComboChange(this, real, ARow, fired, item);
        if (OnComboObjectChange) OnComboObjectChange(this, real, ARow, fired, item, cb.Objects(fired));
    }
    FEditCtrl = &cb;
    // The character that started the edit is the editor's first keystroke.
    if (!FStartEditChar.isNull()) plat::SendCharacter(&cb, FStartEditChar, LastKeyOnKeypad());
}

void TExStringGrid::comboChanged() {
    if (FNoEditChange || !FSpecialEditor || (FEditControl != edComboEdit && FEditControl != edComboList)) return;
    ctl::TSgComboBox& cb = *EditCombo();
    int idx = cb.ItemIndex();
    // A typed text that is no item selects none.
    if (cb.isEditable() && idx >= 0 && cb.itemText(idx) != cb.currentText()) idx = -1;
    const QString text = idx >= 0 ? cb.itemText(idx) : cb.currentText();
    if (OnComboChange) OnComboChange(this, RealCol(), Row(), idx, text);
    if (OnComboObjectChange) OnComboObjectChange(this, RealCol(), Row(), idx, text, cb.Objects(idx));
}

void TExStringGrid::comboClosed() {
    if (!FMouseActions->DirectComboClose() || !FSpecialEditor || !FEditMode) return;
    if (FEditControl != edComboEdit && FEditControl != edComboList) return;
    // Closing the list takes its selected item and ends the edit.
    ctl::TSgComboBox& cb = *EditCombo();
    if (cb.ItemIndex() >= 0) {
        FlagScope filling(FNoEditChange);
        cb.SetText(cb.itemText(cb.ItemIndex()));
    }
    DoneInplaceEdit(0, {});
}

void TExStringGrid::EndSpecialEdit(int ACol, int ARow) {
    if (IsDestroying()) return;
    FSpecialEditor = false;
    FlagScope block(FBlockKill);
    const int real = RealColIndex(ACol);
    FStartEditChar = QChar();
    switch (FEditControl) {
        case edComboEdit:
        case edComboList:
            if (FEditMode) {
                FEditMode = false;
                ctl::TSgComboBox& cb = *EditCombo();
                // A list with no item chosen holds no text of the user's: the cell keeps its own,
                // which may be one the list does not offer (read from a file, or an older value).
                if (FEditControl == edComboEdit || cb.ItemIndex() >= 0) SetEditTextReal(real, ARow, cb.Text());
                if (cb.DroppedDown()) cb.SetDroppedDown(false);
                if (cb.hasFocus()) viewport()->setFocus(Qt::OtherFocusReason);
                cb.hide();
                cb.SetEnabled(false);
            }
            break;
        case edCustom: endLinkEdit(ACol, ARow); break;
        case edRichEdit: endRichEdit(ACol, ARow); break;
        default:
            if (!endControlEdit(ACol, ARow)) FEditMode = false;
            break;
    }
    FEditCtrl = nullptr;
    if (FEditControl != edNormal && FEditActive) PostEditDone(real, ARow);
    FEditActive = false;
}

void TExStringGrid::placeSpecialEditor() {
    if (!FSpecialEditor || !FEditCtrl) return;
    const plat::TRect r = CellRect(Col(), Row());
    // A cell scrolled out of view ends its edit, as the default editor's does.
    if (r.IsEmpty()) {
        HideInplaceEdit();
        return;
    }
    FEditCtrl->setGeometry(r.Left, r.Top, std::max(0, r.Right - r.Left - 1), std::max(0, r.Bottom - r.Top - 1));
}

bool TExStringGrid::CanScrollPixels() const {
    const TBackGround& bg = *FBackGround;
    const TBackGroundDisplay d = bg.Display();
    const bool gradient = (d == bdGradientHorz || d == bdGradientVert) && bg.ColorTo() != plat::clNone;
    return bg.Bitmap().Empty() && !gradient && MergeCount() == 0 && !FSelectionRectangle && !IsDesignTime();
}

void TExStringGrid::TopLeftChanged() {
    // The platform repaints the whole grid on a scroll, a fixed background picture's old and new
    // places with it.
    TBaseGrid::TopLeftChanged();
    const plat::TGridRect sel = Selection();
    if (FSelectionRectangle && sel.Bottom > sel.Top) RepaintGrid();
    const TBackGroundDisplay d = FBackGround->Display();
    if ((d == bdTile && !FBackGround->Bitmap().Empty()) ||
        ((d == bdGradientHorz || d == bdGradientVert) && FBackGround->ColorTo() != plat::clNone))
        RepaintGrid();
    // An editor other than the plain text editor does not scroll with the cells: it closes.
    if ((FEditMode || FSpecialEditor) && FEditControl != edNormal) HideInplaceEdit();
    placeSpecialEditor();
    if (FFloatingFooter->Visible()) FFooterPanel->update();
    CellControlsUpdate(false);
    FOldLeftCol = LeftCol();
    FOldTopRow = TopRow();
    if (IsDesignTime()) RepaintGrid();
    if (plat::TStringGrid* other = FSyncGrid->Grid()) {
        if (FSyncGrid->ScrollVertical() && TopRow() < other->RowCount()) other->SetTopRow(TopRow());
        if (FSyncGrid->ScrollHorizontal() && LeftCol() < other->ColCount()) other->SetLeftCol(LeftCol());
    }
    if (FVScrlCtrl) FVScrlCtrl->update();
    if (FHScrlCtrl) FHScrlCtrl->update();
}

// ---------------------------------------------------------------- ending an edit

void TExStringGrid::HideInplaceEdit() {
    if (!FEditMode && !FSpecialEditor && !defaultEditorOpen()) return;
    if (defaultEditorOpen()) HideEditor();
    if (FSpecialEditor) EndSpecialEdit(Col(), Row());
    FEditMode = false;
    // However the edit ends, no frame stays behind around the cell.
    HideFocusWindow();
    SelectCell(Col(), Row());
}

void TExStringGrid::cancelEditors() {
    if (plat::TInplaceEdit* ed = InplaceEditor(); ed && ed->isVisible()) {
        ed->SetModified(false);
        FTextEditOpen = false;
        HideEditor();
    }
    if (FSpecialEditor) {
        FSpecialEditor = false;
        FEditMode = false;
        // The combo, when it was ever made, goes with whichever editor was open.
        if (FEditCombo && FEditCombo->DroppedDown()) FEditCombo->SetDroppedDown(false);
        for (QWidget* w : {static_cast<QWidget*>(FEditCombo), FEditCtrl}) {
            if (!w) continue;
            if (w->hasFocus()) viewport()->setFocus(Qt::OtherFocusReason);
            w->hide();
            w->setEnabled(false);
        }
        FEditCtrl = nullptr;
        FEditActive = false;
    }
    FEditMode = false;
    FEditing = false;
    HideFocusWindow();
}

void TExStringGrid::DoneInplaceEdit(uint16_t Key, plat::TShiftState Shift) {
    // The focus the grid takes back below is no entering of the grid.
    FlagScope blockFocus(FBlockFocus);
    FEditing = false;
    HideInplaceEdit();
    bool movedIn = false;
    if (FNavigation->AppendOnArrowDown() && Key == plat::VK_DOWN && IsLastNormalRow()) {
        const int rows = RowCount(), row = Row();
        AppendRowAtEnd();
        // With footer rows the append already took the cursor into the new row: the Down that
        // follows would append a second one.
        movedIn = RowCount() > rows && Row() != row;
    }
    if ((Key == plat::VK_TAB || (Key >= plat::VK_LEFT && Key <= plat::VK_DOWN)) && !movedIn) {
        uint16_t k = Key;
        KeyDown(k, Shift);
    }
    // No editor reopens on the focus the grid takes here; the Enter advance opens its own.
    NavigationOff<&TNavigation::AlwaysEdit, &TNavigation::SetAlwaysEdit> noAlwaysEdit(*FNavigation);
    if (isVisible()) viewport()->setFocus(Qt::OtherFocusReason);
    if (Key == plat::VK_RETURN) AdvanceAfterEdit(Col(), Row(), false, false, true, true, false);
}

void TExStringGrid::PostEditDone(int ACol, int ARow) {
    if (OnEditingDone) OnEditingDone(this);
    FEditMode = false;
    QCoreApplication::postEvent(this, new TGridEditDone(ACol, ARow));
}

bool TExStringGrid::AlwaysEditOnFocus() {
    if (!FNavigation->AlwaysEdit() || FEditControl != edNormal) return false;
    if (GridState() == plat::gsRowMoving || GridState() == plat::gsColMoving) return false;
    const int col = Col(), row = Row();
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return false;
    const int real = RealColIndex(col);
    bool can = true;
    CanEditCell(real, row, can);
    if (!can || CellRect(col, row).IsEmpty()) return false;
    // Before the first text edit only a drop-down cell opens, and only while no click or drop-down
    // opens it anyway.
    if (!InplaceEditor() && (FMouseActions->DirectEdit() || FControlLook->DropDownAlwaysVisible() ||
                             !HasComboBox(real, row)))
        return false;
    ShowInplaceEdit();
    return true;
}

void TExStringGrid::Click() {
    TBaseGrid::Click();
    FEntered = false;
    RememberOldCell(Col(), Row());
}

// ---------------------------------------------------------------- validation

void TExStringGrid::RememberOldCell(int ACol, int ARow) {
    FOldCol = ACol;
    FOldRow = ARow;
    FOldCellText.clear();
    FOldCellTextWide.clear();
    if (ACol >= 0 && ARow >= 0 && ACol < ColCount() && ARow < RowCount()) {
        const int real = RealColIndex(ACol);
        if (real >= 0 && real < AllColCount()) {
            FOldCellText = GridCells(real, ARow);
            FOldCellTextWide = Cells(real, ARow);
        }
    }
    FOldModified = FModified;
}

void TExStringGrid::endValidation() {
    RememberOldCell(Col(), Row());
    FValidating = false;
}

void TExStringGrid::refuseEdit(int ACol, int ARow, const QString& Value, bool Replaced, bool EarlyClear) {
    FLastValidation = false;
    const bool oldModified = FOldModified;
    // A special editor stays open as it is; the text editor closes without a done notice and opens
    // again on the edited cell.
    const bool special = FSpecialEditor;
    if (!Replaced && EarlyClear && FEditMode) FValidating = false;
    if (!special) {
        FTextEditOpen = false;
        if (defaultEditorOpen()) HideEditor();
        FEditMode = false;
    }
    SetCells(ACol, ARow, Value);
    if (FOldCol >= 0 && FOldRow >= 0 && FOldCol < ColCount() && FOldRow < RowCount()) {
        if (Col() != FOldCol || Row() != FOldRow)
            plat::TStringGrid::FocusCell(FOldCol, FOldRow, true);
        else
            ScrollInView(FOldCol, FOldRow);
    }
    FValidating = false;
    FEditing = true;
    if (!special) ShowInplaceEdit();
    if (!Replaced && Col() != FOldCol && InplaceEditor()) InplaceEditor()->update();
    FModified = oldModified;
}

TEditBalloonTip* TExStringGrid::InvalidEntryBalloon() const { return FInvalidEntryBalloon.data(); }

void TExStringGrid::showRefusalTip() {
    if (FInvalidEntryTitle.isEmpty() && FInvalidEntryText.isEmpty()) return;
    QWidget* target = nullptr;
    if (FEditMode && !FSpecialEditor)
        target = InplaceEditor();
    else if (FEditCtrl)
        target = FEditCtrl;
    else if (FSpecialEditor && (FEditControl == edComboEdit || FEditControl == edComboList))
        target = FEditCombo;
    if (auto* cb = qobject_cast<QComboBox*>(target); cb && cb->isEditable() && cb->lineEdit()) target = cb->lineEdit();
    if (!target || !target->isVisible()) return;
    if (!FInvalidEntryBalloon) FInvalidEntryBalloon = new TEditBalloonTip(this);
    FInvalidEntryBalloon->ShowAt(target, FInvalidEntryTitle, FInvalidEntryText, int(FInvalidEntryIcon));
}

bool TExStringGrid::ValidateCell(const QString& NewValue) {
    if (!FEditing || FValidating) return true;
    FEditing = false;
    FValidating = true;
    bool valid = true;
    try {
        const int aCol = FOldCol >= 0 && FOldCol < ColCount() ? RealColIndex(FOldCol) : FOldCol;
        const int aRow = FOldRow;
        const bool inside = aCol >= 0 && aRow >= 0 && aCol < AllColCount() && aRow < RowCount();
        FNewCellText = NewValue;
        if (inside && (NewValue != FOldCellText || FAlwaysValidate)) {
            const bool changed = NewValue != FOldCellText;
            // No advance from inside the handler: a handler that moves the cursor with Enter keys
            // would leave the edited cell.
            AdvanceOnEnterOff noAdvance(*FNavigation);
            QString value = NewValue;
            if (FCellChecker && FCellChecker->AutoCorrect) value = FCellChecker->Correct(aCol, aRow, value);
            if (OnCellValidate) OnCellValidate(this, aCol, aRow, value, valid);
            const bool differs = value != FOldCellText;
            if (differs) FGridModified = true;
            if (FixedCols() > 0 && differs) {
                SetRowModified(Row(), true);
                if (FShowModified->Enabled()) RepaintCell(0, Row());
            }
            if (FCellChecker && FCellChecker->AutoMarkError) value = FCellChecker->MarkError(aCol, aRow, value);
            // Only a stored change is a step to undo.
            if (valid && UndoRedo() && value != FOldCellText)
                UndoRedo()->RegisterChange(aCol, aRow, FOldCellText, value);
            FNewCellText = value;
            if (valid) {
                SetCells(aCol, aRow, value);
                if (!IsBaseCell(aCol, aRow)) {
                    const plat::TGridCoord bc = BaseCell(aCol, aRow);
                    SetCells(bc.X, bc.Y, value);
                }
                // The footer and the change notice see the stored value.
                RecalcFooterColumn(aCol);
                if (changed) CellsChanged(plat::TGridRect{aCol, aRow, aCol, aRow});
            } else {
                refuseEdit(aCol, aRow, value != NewValue ? value : FOldCellText, value != NewValue, true);
                showRefusalTip();
            }
            FOldCellText = GridCells(aCol, aRow);
        }
    } catch (...) {
        endValidation();
        throw;
    }
    endValidation();
    if (valid) HideFocusWindow();
    return valid;
}

bool TExStringGrid::ValidateCellWide(const QString& NewValue) {
    if (!FEditing || FValidating) return true;
    FEditing = false;
    FValidating = true;
    bool valid = true;
    try {
        const int aCol = FOldCol >= 0 && FOldCol < ColCount() ? RealColIndex(FOldCol) : FOldCol;
        const int aRow = FOldRow;
        const bool inside = aCol >= 0 && aRow >= 0 && aCol < AllColCount() && aRow < RowCount();
        FNewCellText = NewValue;
        if (inside && (NewValue != FOldCellTextWide || FAlwaysValidate)) {
            const bool changed = NewValue != FOldCellTextWide;
            AdvanceOnEnterOff noAdvance(*FNavigation);
            QString value = NewValue;
            RecalcFooterColumn(aCol);
            if (OnCellValidateWide) OnCellValidateWide(this, aCol, aRow, value, valid);
            if (changed) {
                FGridModified = true;
                if (FShowModified->Enabled() && FixedCols() > 0) {
                    SetRowModified(FOldRow, true);
                    RepaintCell(0, FOldRow);
                }
            }
            FNewCellText = value;
            if (valid) {
                SetCells(aCol, aRow, value);
                if (changed) CellsChanged(plat::TGridRect{aCol, aRow, aCol, aRow});
            } else {
                refuseEdit(aCol, aRow, value != NewValue ? value : FOldCellTextWide, value != NewValue, false);
            }
            FOldCellTextWide = Cells(aCol, aRow);
        }
    } catch (...) {
        endValidation();
        throw;
    }
    endValidation();
    return valid;
}

// ---------------------------------------------------------------- edit texts

QString TExStringGrid::GetEditText(int ACol, int ARow) {
    FNoEditChange = false;
    const int real = RealColIndex(ACol);
    // A right-aligned cell is edited right-aligned.
    if (FInplaceEdit && real < AllColCount() && ARow < RowCount())
        FInplaceEdit->SetVAlign(GetCellAlignment(real, ARow).first == taRightJustify);
    const plat::TGridCoord bc = BaseCell(real, ARow);
    QString value = bc.X < AllColCount() && bc.Y < RowCount() ? GetCellEx(bc.X, bc.Y) : QString();
    if (OnGetEditText) OnGetEditText(this, bc.X, bc.Y, value);
    // Only a text that is HTML loses its tags: "a<x>b" in a plain cell is edited as shown.
    if (!FEditWithTags && ClassifyCellText(value, FEnableHTML) == 1) value = StripHTMLTags(value);
    return value;
}

void TExStringGrid::SetEditText(int ACol, int ARow, const QString& Value) {
    const plat::TGridCoord bc = BaseCell(RealColIndex(ACol), ARow);
    if (bc.X >= AllColCount() || bc.Y >= RowCount()) return;
    if (GetCellEx(bc.X, bc.Y) != Value) SetCellEx(bc.X, bc.Y, Value);
    if (OnSetEditText) OnSetEditText(this, bc.X, bc.Y, Value);
}

void TExStringGrid::SetEditTextReal(int ACol, int ARow, const QString& Value) {
    SetEditText(DisplColIndex(ACol), ARow, Value);
    SetCellEx(ACol, ARow, Value);
}

void TExStringGrid::RestoreCellCache() {
    SetCells(RealCol(), Row(), FCellCache);
    SetCells(RealCol(), Row(), Cells(RealCol(), Row()));
}

QString TExStringGrid::CurrentCell() const {
    const plat::TGridCoord bc = BaseCell(RealCol(), Row());
    return GridCells(bc.X, bc.Y);
}

QString TExStringGrid::GetCurrentCellText() const {
    const plat::TGridCoord bc = BaseCell(RealCol(), Row());
    return GetCellEx(bc.X, bc.Y);
}

void TExStringGrid::SetCurrentCell(const QString& Value) {
    const plat::TGridCoord bc = BaseCell(RealCol(), Row());
    SetCells(bc.X, bc.Y, Value);
}

void TExStringGrid::SetCurrentCellText(const QString& Text) { SetEditText(Col(), Row(), Text); }

// ---------------------------------------------------------------- hooks

void TExStringGrid::GetEditorProp(int ACol, int ARow, TEditLink* AEditLink) {
    if (OnGetEditorProp) OnGetEditorProp(this, ACol, ARow, AEditLink);
    if (OnGetEditorPropInt) OnGetEditorPropInt(this, ACol, ARow, AEditLink);
}

void TExStringGrid::ClickSort(int ACol) {
    if (OnClickSort) OnClickSort(this, ACol);
}

void TExStringGrid::PrintGetPageNum(int PageNum, int PageColNum, QString& PageNumString) {
    if (OnPrintGetPageNum) OnPrintGetPageNum(this, PageNum, PageColNum, PageNumString);
}

void TExStringGrid::ScrollCell() {
    if (!OnScrollCell || !FScrollBar) return;
    // In the order the cell scroll bar's own notice uses.
    OnScrollCell(this, FScrollCol, FScrollRow, FScrollBar->maximum(), FScrollBar->minimum(), FScrollBar->value());
}

bool TExStringGrid::CanShowFixedDropDown(int ACol) {
    bool can = true;
    if (OnCanShowFixedDropDown) OnCanShowFixedDropDown(this, ACol, can);
    return can;
}

void TExStringGrid::StartBlockFocus() {
    if (FOnStartBlockFocus) FOnStartBlockFocus(this);
}

void TExStringGrid::EndBlockFocus() {
    if (FOnEndBlockFocus) FOnEndBlockFocus(this);
}

void TExStringGrid::DisableEditing() {
    plat::TGridOptions o = Options();
    o.exclude(plat::goEditing);
    SetOptions(o);
}

// The editors' keys and focus reach the grid here: the combo's Enter, Tab and Esc, its focus loss,
// and the default editor's hide.
bool TExStringGrid::editorKey(QObject* Watched, QEvent* Event) {
    if (Watched == InplaceEditor() && Event->type() == QEvent::Hide) {
        plat::guarded([this] { defaultEditorHidden(); });
        return false;
    }
    // Focus that comes back from an editor control to the cells stays inside the grid: no enter.
    if (Watched && Event->type() == QEvent::FocusOut &&
        (Watched == FEditCtrl || Watched == static_cast<QObject*>(FEditCombo)))
        FFocusFromEditCtrl = QApplication::focusWidget() == viewport();
    // The editor controls keep and hand back their keys themselves; their focus loss ends the edit.
    if (!Watched || Watched != FEditCtrl || Event->type() != QEvent::FocusOut) return false;
    const auto reason = static_cast<QFocusEvent*>(Event)->reason();
    if (FBlockKill || !FSpecialEditor || reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
        return false;
    // Focus that moves inside the control (the combo's own list, the spin's buttons) stays in the edit.
    for (QObject* w = QApplication::focusWidget(); w; w = w->parent())
        if (w == FEditCtrl) return false;
    plat::guarded([this] { HideInplaceEdit(); });
    return false;
}
