// The grid's keys: the key table that runs before the base grid's navigation, the key-down hook
// under it, the Tab advance with its tab stops, rows added, inserted and deleted from the keyboard,
// the clipboard shortcuts and the key-up step. Columns are display columns and rows display rows;
// every editability and cell-graphic test takes the real column.
#include "controls/ExHTMLUtil.h"
#include "controls/ExUtil.h"
#include "grid/ExGrid.h"
#include "platform/Guard.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <array>

using namespace plat;

namespace {

void setOption(TExStringGrid& G, TGridOption O, bool On) {
    TGridOptions o = G.Options();
    if (o.contains(O) == On) return;
    On ? o.include(O) : o.exclude(O);
    G.SetOptions(o);
}

bool isNavigationKey(uint16_t Key) { return Key >= VK_PRIOR && Key <= VK_DOWN; }

// The clipboard shortcuts: the key, the modifier it needs, the event asked first and the operation.
struct ClipboardShortcut {
    uint16_t Key;
    TShiftStateItem Modifier;
    TClipboardEvent TExStringGrid::*Event;
    void (TExStringGrid::*Operation)();
};
const std::array<ClipboardShortcut, 6> kClipboardShortcuts{{
    {'X', ssCtrl, &TExStringGrid::OnClipboardCut, &TExStringGrid::CutSelectionToClipboard},
    {'V', ssCtrl, &TExStringGrid::OnClipboardPaste, &TExStringGrid::PasteSelectionFromClipboard},
    {VK_INSERT, ssCtrl, &TExStringGrid::OnClipboardCopy, &TExStringGrid::CopySelectionToClipboard},
    {'C', ssCtrl, &TExStringGrid::OnClipboardCopy, &TExStringGrid::CopySelectionToClipboard},
    {VK_INSERT, ssShift, &TExStringGrid::OnClipboardPaste, &TExStringGrid::PasteSelectionFromClipboard},
    {VK_DELETE, ssShift, &TExStringGrid::OnClipboardCut, &TExStringGrid::CutSelectionToClipboard},
}};

// Home and End: the key, the HomeEndKey value, whether Ctrl is down, and what the key does.
enum class HomeEndMove : uint8_t { FirstCell, LastCell, FirstRow, LastRow, CtrlFirstCell, RowStart, RowEnd };
struct HomeEndForm {
    uint16_t Key;
    THomeEndAction Mode;
    bool Ctrl;
    bool RowSelectToo;  // also in row-select mode
    HomeEndMove Move;
};
const std::array<HomeEndForm, 7> kHomeEnd{{
    {VK_HOME, heFirstLastCell, false, true, HomeEndMove::FirstCell},
    {VK_END, heFirstLastCell, false, true, HomeEndMove::LastCell},
    {VK_HOME, heFirstLastRow, false, true, HomeEndMove::FirstRow},
    {VK_END, heFirstLastRow, false, true, HomeEndMove::LastRow},
    {VK_HOME, heFirstLastColumn, true, true, HomeEndMove::CtrlFirstCell},
    {VK_HOME, heFirstLastColumn, false, false, HomeEndMove::RowStart},
    {VK_END, heFirstLastColumn, false, false, HomeEndMove::RowEnd},
}};

// A flag raised for a scope, also when the scope is left by an exception.
struct FlagUp {
    bool& flag;
    bool old;
    explicit FlagUp(bool& f) : flag(f), old(f) { flag = true; }
    ~FlagUp() { flag = old; }
};

}  // namespace

// ---------------------------------------------------------------- small helpers

int TExStringGrid::VisibleFixedRightCols() const {
    int n = 0;
    for (int c = ColCount() - FFixedRightCols; c < ColCount(); ++c)
        if (c >= 0 && !IsHiddenColumn(RealColIndex(c))) ++n;
    return n;
}

bool TExStringGrid::IsLastNormalRow() const {
    return Row() == RowCount() - FFixedFooters - 1 || (FFloatingFooter->Visible() && Row() == RowCount() - 2);
}

void TExStringGrid::GotoFirstRow() { SetRow(FixedRows()); }

void TExStringGrid::CanAddRow(bool& CanAdd) {
    if (OnCanAddRow) OnCanAddRow(this, CanAdd);
}

void TExStringGrid::CanInsertRow(int ARow, bool& CanInsert) {
    if (OnCanInsertRow) OnCanInsertRow(this, ARow, CanInsert);
}

void TExStringGrid::snapCurrent() {
    const int real = RealCol();
    if (real >= AllColCount() || Row() >= RowCount()) return;
    const TGridCoord b = BaseCell(real, Row());
    const int col = DisplColIndex(b.X);
    if ((col != Col() || b.Y != Row()) && col >= 0 && col < ColCount() && b.Y >= 0 && b.Y < RowCount())
        TStringGrid::FocusCell(col, b.Y, true);
}

void TExStringGrid::moveCurrentTo(int ACol, int ARow) {
    ACol = std::clamp(ACol, 0, ColCount() - 1);
    ARow = std::clamp(ARow, 0, RowCount() - 1);
    // Staying is no move: the selection hook is not asked (it would end an open edit).
    if (ACol == Col() && ARow == Row()) return;
    TStringGrid::FocusCell(ACol, ARow, true);
}

void TExStringGrid::KeepLastRowAboveSearchFooter() {
    if (!FSearchFooter->Visible()) return;
    const int limit = ClientHeight() - FSearchPanel->height();
    for (int guard = VisibleRowCount() + 1; guard > 0; --guard) {
        const TRect r = TStringGrid::CellRect(std::max(LeftCol(), Col()), RowCount() - 1);
        if (r.IsEmpty() || r.Bottom <= limit) return;
        const int before = TopRow();
        TStringGrid::SetTopRow(TopRow() + 1);
        if (TopRow() == before) return;
    }
}

// ---------------------------------------------------------------- tab stops

bool TExStringGrid::IsTabStopCell(int ACol, int ARow) {
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return false;
    bool stop = Options().contains(goEditing) ? IsEditable(RealColIndex(ACol), ARow) : !IsFixed(ACol, ARow);
    if (OnSelectCell) OnSelectCell(this, ACol, ARow, stop);
    return stop;
}

int TExStringGrid::FirstTabStopCol(int ARow) {
    for (int c = 0; c < ColCount(); ++c)
        if (IsTabStopCell(c, ARow)) return c;
    return -1;
}

int TExStringGrid::LastTabStopCol(int ARow) {
    for (int c = ColCount() - 1; c >= 0; --c)
        if (IsTabStopCell(c, ARow)) return c;
    return -1;
}

// ---------------------------------------------------------------- the key table

void TExStringGrid::keyTable(uint16_t& Key, TShiftState Shift) {
    const int oldLeft = LeftCol();
    FMoveSelection = Selection();
    const int keyRow = Row();
    const int real = RealCol();
    // Alt is the platform's Alt key; AltGr is a key of its own here and never reads as Alt.
    const bool ctrl = Shift.contains(ssCtrl), shift = Shift.contains(ssShift), alt = Shift.contains(ssAlt);
    const bool editing = Options().contains(goEditing), rowSelect = Options().contains(goRowSelect);
    const bool enterOrF2 = Key == VK_RETURN || Key == VK_F2;
    const bool vertical = Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN;
    const auto swallow = [&] {
        if (OnKeyDown) OnKeyDown(this, Key, Shift);
        Key = 0;
    };
    const auto cellText = [&] { return real < AllColCount() && Row() < RowCount() ? GetCellEx(real, Row()) : QString(); };

    // 1. Vertical moves of a row selection keep the columns as they were.
    const bool keepLeft = vertical && rowSelect && LeftCol() != FixedCols() && FNavigation->KeepHorizScroll();
    // 2. Keys that only scroll.
    if (FNavigation->MoveScrollOnly() && (vertical || Key == VK_END || Key == VK_HOME) && scrollOnlyKey(Key)) {
        Key = 0;
        return;
    }
    // 3. Enter and F2 switch editing on for an editable cell of a double-click-only grid.
    if (FMouseActions->EditOnDblClickOnly() && enterOrF2 && !editing) {
        const bool range = FMouseActions->RangeSelectAndEdit();
        FMouseActions->SetRangeSelectAndEdit(true);
        bool can = false;
        try {
            can = IsEditable(real, Row());
        } catch (...) {
            FMouseActions->SetRangeSelectAndEdit(range);
            throw;
        }
        FMouseActions->SetRangeSelectAndEdit(range);
        if (can) setOption(*this, goEditing, true);
    }
    // 4. Editing without goEditing.
    if (FMouseActions->RangeSelectAndEdit() && !Options().contains(goEditing) && enterOrF2) {
        if (IsEditable(real, Row())) {
            setOption(*this, goEditing, true);
            ShowInplaceEdit();
        } else {
            swallow();
            return;
        }
    }
    // 5. Ctrl+F while the search footer shows belongs to its edit box, which the search footer's own
    // handling brings; the key goes on.
    // 6. Enter and F2 on a cell that cannot be edited.
    if (enterOrF2 && Options().contains(goEditing) && !IsEditable(real, Row())) {
        swallow();
        return;
    }
    // 7. A cell of form controls takes Enter and F2 itself.
    if (enterOrF2) {
        const QString text = cellText();
        if (ClassifyCellText(text, FEnableHTML) == 1 && HasControlTag(text)) {
            Key = 0;
            return;
        }
    }
    // 8. Enter on a cell that cannot be edited: OnKeyDown, and the key goes no further (its
    // character still comes, and OnKeyPress with it). No form here previews keys.
    if (Key == VK_RETURN && !IsEditable(real, Row())) {
        swallow();
        return;
    }
    // 9. Enter and Space on a check box, radio or button cell; the key goes on.
    if ((Key == VK_RETURN || Key == VK_SPACE) && IsCheckOrButtonCell(real, Row())) clickableCellKey(Key);
    // 10. Home and End.
    if ((Key == VK_HOME || Key == VK_END) && homeEndKey(Key, Shift)) {
        swallow();
        return;
    }
    // 11. Left and Right on a merged node row expand and contract the node; the key goes on.
    if ((Key == VK_LEFT || Key == VK_RIGHT) && IsNode(Row()) && real < AllColCount() && IsMergedCell(real, Row())) {
        if (Key == VK_RIGHT)
            ExpandNode(RealRowIndex(Row()));
        else
            ContractNode(RealRowIndex(Row()));
    }
    // 12. Left and Right of a row selection scroll the columns.
    if ((Key == VK_LEFT || Key == VK_RIGHT) && rowSelect && !IsNode(Row())) {
        const auto scroll = [&] {
            if (ColCount() <= VisibleColCount()) return;
            if (Key == VK_LEFT && LeftCol() > FixedCols()) SetLeftCol(LeftCol() - 1);
            if (Key == VK_RIGHT && LeftCol() + VisibleColCount() < ColCount()) SetLeftCol(LeftCol() + 1);
        };
        if (FNavigation->LeftRightRowSelect()) {
            if (ctrl) scroll();
        } else {
            scroll();
            swallow();
            return;
        }
    }
    // 13. Tab with goTabs is the Tab advance and nothing else.
    if (Key == VK_TAB) {
        if (!Options().contains(goTabs)) return;
        AdvanceOnTab(shift);
        const TGridRect s = Selection();
        if (s != FMoveSelection) SelectionChanged(s.Left, s.Top, s.Right, s.Bottom);
        Key = 0;
        return;
    }
    // 14. Arrows jump over cells reported fixed.
    if (FNavigation->SkipFixedCells() && skipFixedKey(Key, Shift)) return;
    // 15. Down on the last normal row appends one.
    if (Key == VK_DOWN && IsLastNormalRow() && FNavigation->AppendOnArrowDown()) AppendRowAtEnd();
    // 16. A drawn selection rectangle follows a selection that already changed.
    if (Selection() != FMoveSelection && FSelectionRectangle) {
        RepaintRect(Selection());
        FMoveSelection = Selection();
    }
    // 17. The search footer covers the last rows: the moves there keep them clear of it.
    bool lockTop = false;
    const int keptTop = TopRow();
    const bool searchShown = FSearchFooter->Visible();
    const bool lastRow = Row() == RowCount() - 1;
    if (searchShown && TopRow() >= RowCount() - VisibleRowCount()) {
        if (Key == VK_DOWN && lastRow) {
            KeepLastRowAboveSearchFooter();
            swallow();
            return;
        }
        if (lastRow && ((Key == VK_RIGHT && Col() == ColCount() - 1) || (Key == VK_LEFT && Col() == FixedCols()))) {
            swallow();
            return;
        }
        const bool moveAtEnd = lastRow && (Key == VK_NEXT || Key == VK_END || Key == VK_LEFT || Key == VK_RIGHT);
        const bool otherKey = Key != VK_SHIFT && Key != VK_MENU && !isNavigationKey(Key);
        lockTop = moveAtEnd || otherKey;
    }
    // 18. The inherited handling: the key-down hook and the base grid's navigation.
    const uint16_t key = Key;
    if (lockTop || keepLeft) BeginUpdate();
    try {
        HandleKeyDown(Key, Shift);
    } catch (...) {
        if (lockTop || keepLeft) EndUpdate();
        throw;
    }
    if (lockTop && key != VK_NEXT && key != VK_END && key != VK_LEFT && key != VK_RIGHT && key != VK_DOWN)
        TStringGrid::SetTopRow(std::clamp(keptTop, FixedRows(), RowCount() - 1));
    if (keepLeft) SetLeftCol(oldLeft);
    if (lockTop || keepLeft) EndUpdate();
    if (searchShown && Row() == RowCount() - 1 &&
        (key == VK_NEXT || key == VK_END || key == VK_LEFT || key == VK_RIGHT || key == VK_DOWN)) {
        const int limit = ClientHeight() - FSearchPanel->height() + 2;
        for (int guard = VisibleRowCount() + 1; guard > 0; --guard) {
            const TRect r = TStringGrid::CellRect(Col(), Row());
            if (r.IsEmpty() || r.Bottom <= limit) break;
            const int before = TopRow();
            TStringGrid::SetTopRow(TopRow() + 1);
            if (TopRow() == before) break;
        }
    }
    // A key its OnKeyDown took ends here; the base grid takes F2, Esc and Enter itself.
    if (Key == 0 && key != VK_F2 && key != VK_RETURN && key != VK_ESCAPE) return;
    // 19. After the inherited handling.
    if (clipboardKey(key, Shift)) return;
    if (key == VK_INSERT && FNavigation->AllowInsertRow() && !ctrl && !shift && !alt) insertRowKey();
    if (key == VK_DELETE && FNavigation->AllowDeleteRow() && !alt) deleteRowKey();
    if (key == 'A' && ctrl) {
        if (!rowSelect && !Options().contains(goRangeSelect)) return;
        selectAllKey();
    }
    disjunctKey(key, Shift);
    if (key == VK_RETURN || key == VK_F2) {
        RememberOldCell(Col(), Row());
        if (HasControlTag(cellText())) FocusNextCellControl(Col(), Row(), QString());
    }
    const TGridRect s = Selection();
    if (s != FMoveSelection) {
        SelectionChanged(s.Left, s.Top, s.Right, s.Bottom);
        FMoveSelection = s;
    }
    (void)keyRow;
}

bool TExStringGrid::scrollOnlyKey(uint16_t Key) {
    const int vis = VisibleRowCount(), top = TopRow(), fixed = FixedRows();
    switch (Key) {
        case VK_PRIOR: SetTopRow(top > vis + fixed ? top - vis : fixed); break;
        case VK_NEXT:
            if (top + vis < RowCount()) TStringGrid::SetTopRow(top + vis);
            break;
        case VK_END: TStringGrid::SetTopRow(RowCount() - vis); break;
        case VK_HOME: SetTopRow(fixed); break;
        case VK_UP:
            if (top > fixed) SetTopRow(top - 1);
            break;
        case VK_DOWN:
            if (top + vis < RowCount()) SetTopRow(top + 1);
            break;
        default: return false;
    }
    return true;
}

void TExStringGrid::clickableCellKey(uint16_t Key) {
    const int real = RealCol(), row = Row();
    bool canEdit = Options().contains(goEditing) || FMouseActions->RangeSelectAndEdit();
    CanEditCell(real, row, canEdit);
    const bool space = Key == VK_SPACE;
    if (space && (canEdit || FControlLook->CheckAlwaysActive()) && HasCheckBox(real, row)) {
        // As a click on the box does; a toggle that was refused tells nothing.
        if (ToggleCellCheck(real, row, true)) {
            if (FShowModified->Enabled()) {
                SetRowModified(row, true);
                RepaintCell(0, row);
            }
            bool state = false;
            GetCheckBoxState(real, RealRowIndex(row), state);
            CheckBoxClick(real, row, state);
        }
    } else if (space && (canEdit || FControlLook->RadioAlwaysActive()) && IsRadio(real, row)) {
        if (CycleCellRadio(this, real, row, false)) {
            int idx = -1;
            GetRadioIdx(real, row, idx);
            if (OnRadioClick) OnRadioClick(this, real, row, idx);
        }
    } else if (space && (canEdit || FControlLook->RadioAlwaysActive()) && HasRadioButton(real, row)) {
        SetRadioButtonColumnIndex(real, row);
        if (OnRadioButtonClick) OnRadioButtonClick(this, real, row);
    } else if (canEdit && HasButton(real, row)) {
        ButtonClick(real, row);
    }
    RepaintCell(Col(), row);
}

bool TExStringGrid::homeEndKey(uint16_t Key, TShiftState Shift) {
    const bool ctrl = Shift.contains(ssCtrl), shift = Shift.contains(ssShift);
    const bool rowSelect = Options().contains(goRowSelect);
    const THomeEndAction mode = FNavigation->HomeEndKey();
    const auto form = std::find_if(kHomeEnd.begin(), kHomeEnd.end(), [&](const HomeEndForm& f) {
        return f.Key == Key && f.Mode == mode && f.Ctrl == ctrl && (f.RowSelectToo || !rowSelect);
    });
    if (form == kHomeEnd.end()) return false;
    if (mode != heFirstLastCell && FFixedRowAlways && RowCount() == 1) return false;
    const int lastRow = FFloatingFooter->Visible() && RowCount() > 2 ? RowCount() - 2 : RowCount() - FFixedFooters - 1;
    const int keyRow = Row(), oldLeft = LeftCol();
    const bool disjunct = FMouseActions->DisjunctRowSelect();
    // Home and End of whole rows: the row flags follow, a Shift selects the rows passed over.
    const auto rowsTo = [&](int Target) {
        if (!shift) {
            if (disjunct) {
                ClearRowSelect();
                SyncRowSelectWithSelection(true);
            }
        } else {
            const bool down = Target > keyRow;
            TStringGrid::SetSelection({down ? FixedCols() : ColCount() - 1, keyRow, down ? ColCount() - 1 : FixedCols(),
                                       Target});
            if (disjunct) SyncRowSelectWithSelection(true);
        }
        if (rowSelect && FNavigation->KeepHorizScroll()) {
            BeginUpdate();
            SetLeftCol(oldLeft);
            EndUpdate();
        }
    };
    switch (form->Move) {
        case HomeEndMove::FirstCell:
            moveCurrentTo(FixedCols(), FixedRows());
            snapCurrent();
            break;
        case HomeEndMove::LastCell:
            moveCurrentTo(ColCount() - 1, RowCount() - 1);
            snapCurrent();
            break;
        case HomeEndMove::FirstRow:
            SetRow(FixedRows());
            snapCurrent();
            rowsTo(FixedRows());
            break;
        case HomeEndMove::LastRow:
            SetRow(std::max(lastRow, FixedRows()));
            if (FFixedFooters > 0 || FFloatingFooter->Visible()) TStringGrid::SetTopRow(RowCount() - VisibleRowCount());
            snapCurrent();
            rowsTo(Row());
            break;
        case HomeEndMove::CtrlFirstCell: {
            SetRow(FixedRows());
            const int first = FirstTabStopCol(Row());
            moveCurrentTo(first >= 0 ? first : FixedCols(), Row());
            snapCurrent();
            SetLeftCol(FirstNavigableCol());
            break;
        }
        case HomeEndMove::RowStart:
            if (shift) {
                TStringGrid::SetSelection({FixedCols(), Row(), Col(), Row()});
                RepaintRow(Row());
            } else {
                const int first = FirstTabStopCol(Row());
                moveCurrentTo(first >= 0 ? first : FixedCols(), Row());
                snapCurrent();
                SetLeftCol(FirstNavigableCol());
            }
            break;
        case HomeEndMove::RowEnd:
            if (shift) {
                TStringGrid::SetSelection({Col(), Row(), ColCount() - FFixedRightCols - 1, Row()});
                RepaintRow(Row());
            } else {
                moveCurrentTo(ColCount() - 1, Row());
                snapCurrent();
                SetLeftCol(ColCount() - VisibleColCount());
            }
            break;
    }
    return true;
}

bool TExStringGrid::skipFixedKey(uint16_t& Key, TShiftState Shift) {
    uint16_t k = Key;
    if (UseRightToLeftAlignment() && (k == VK_LEFT || k == VK_RIGHT)) k = k == VK_LEFT ? VK_RIGHT : VK_LEFT;
    const bool rowSelect = Options().contains(goRowSelect);
    const int col = Col(), row = Row();
    int target = -1;
    bool horizontal = true;
    switch (k) {
        case VK_LEFT:
            if (col > FixedCols() && IsFixed(col - 1, row)) {
                int c = col - 1;
                while (c >= FixedCols() && IsFixed(c, row)) --c;
                if (c >= FixedCols()) target = c;
            }
            break;
        case VK_RIGHT: {
            const int last = ColCount() - FFixedRightCols - 1;
            if (col < last && IsFixed(col + 1, row)) {
                int c = col + 1;
                while (c <= last && IsFixed(c, row)) ++c;
                if (c <= last) target = c;
            }
            break;
        }
        case VK_UP:
            horizontal = false;
            if (row > FixedRows() && IsFixed(col, row - 1)) {
                int r = row - 1;
                if (!rowSelect)
                    while (r >= FixedRows() && IsFixed(col, r)) --r;
                if (r >= FixedRows() && (rowSelect || !IsFixed(col, r))) target = r;
            }
            break;
        case VK_DOWN: {
            horizontal = false;
            const int end = RowCount() - FFixedFooters;
            if (row + 1 < end && IsFixed(col, row + 1)) {
                int r = row + 1;
                if (!rowSelect)
                    while (r < end && IsFixed(col, r)) ++r;
                if (r < end && (rowSelect || !IsFixed(col, r))) target = r;
            }
            break;
        }
        default: return false;
    }
    if (target < 0) return false;
    if (horizontal)
        moveCurrentTo(target, row);
    else
        moveCurrentTo(col, target);
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
    Key = 0;
    return true;
}

bool TExStringGrid::clipboardKey(uint16_t Key, TShiftState Shift) {
    if (!FNavigation->AllowClipboardShortCuts()) return false;
    for (const ClipboardShortcut& s : kClipboardShortcuts) {
        if (s.Key != Key || !Shift.contains(s.Modifier)) continue;
        // Ctrl+Insert is no Shift+Insert, and Shift+Delete needs Ctrl up.
        if (s.Modifier == ssShift && Shift.contains(ssCtrl)) continue;
        bool allow = true;
        if (this->*s.Event) (this->*s.Event)(this, allow);
        if (allow) (this->*s.Operation)();
        return true;
    }
    return false;
}

void TExStringGrid::insertRowKey() {
    bool canInsert = true;
    CanInsertRow(Row(), canInsert);
    if (!canInsert) return;
    const bool filtered = FFilterActive;
    const int realRow = RealRowIndex(Row());
    SetFilterActive(false);
    if (realRow < RowCount()) SetRow(realRow);
    int at = realRow, back = realRow;
    if (FNavigation->InsertPosition() == pInsertAfter) {
        at = realRow + 1;
        if (at < RowCount()) back = at;
        if ((FFixedRowAlways && FixedRows() == RowCount()) || Row() == RowCount() - 1) {
            at = Row();
            if (FFixedRowAlways && FixedRows() == RowCount()) back = 1;
        }
    }
    AutoInsertRow(at);
    if (OnAutoInsertRow) OnAutoInsertRow(this, RealRowIndex(at));
    FGridModified = true;
    SetFilterActive(filtered);
    if (back >= 0 && back < RowCount()) SetRow(back);
    CalcFooter(-1);
}

void TExStringGrid::deleteRowKey() {
    if (RowCount() - FFixedFooters - FixedRows() < 1) return;
    const int realRow = RealRowIndex(Row());
    const bool filtered = FFilterActive;
    SetFilterActive(false);
    bool canDelete = true;
    if (OnCanDeleteRow) OnCanDeleteRow(this, realRow, canDelete);
    if (!canDelete) {
        SetFilterActive(filtered);
        return;
    }
    AutoDeleteRow(realRow);
    SetFilterActive(filtered);
    if (FFloatingFooter->Visible() && Row() == RowCount() - 1 && RowCount() >= 2) SetRow(RowCount() - 2);
    RememberOldCell(Col(), Row());
    FGridModified = true;
    CalcFooter(-1);
}

void TExStringGrid::selectAllKey() {
    const TGridRect all{FirstNavigableCol(), FixedRows(), ColCount() - FFixedRightCols - 1,
                        RowCount() - FFixedFooters - 1};
    if (all.Right < all.Left || all.Bottom < all.Top) return;
    if (FMouseActions->DisjunctRowSelect())
        for (int r = all.Top; r <= all.Bottom; ++r) SetRowSelect(r, true);
    TStringGrid::SetSelection(all);
    const TRect cell = TStringGrid::CellRect(all.Right, all.Bottom);
    if (!cell.IsEmpty()) {
        MouseDown(mbLeft, {}, cell.Left + 2, cell.Top + 2);
        MouseUp(mbLeft, {}, cell.Left + 2, cell.Top + 2);
    }
    TStringGrid::SetSelection(all);
}

void TExStringGrid::disjunctKey(uint16_t Key, TShiftState Shift) {
    const bool rows = FMouseActions->DisjunctRowSelect(), cols = FMouseActions->DisjunctColSelect();
    if (!rows && !cols) return;
    if (isNavigationKey(Key)) {
        const bool plain = !Shift.contains(ssShift) && !Shift.contains(ssCtrl);
        if (rows) {
            if (plain) ClearRowSelect();
            if (Shift.contains(ssShift))
                SyncRowSelectWithSelection(true);
            else
                SetRowSelect(FMouseActions->RowSelectPersistent() ? RealRowIndex(Row()) : Row(), true);
        }
        if (cols) {
            if (plain) ClearColSelect();
            if (Shift.contains(ssShift))
                SyncColSelectWithSelection(true);
            else
                SetColSelect(Col(), true);
        }
    } else if (Key == VK_SPACE) {
        if (rows) {
            const int r = FMouseActions->RowSelectPersistent() ? RealRowIndex(Row()) : Row();
            SetRowSelect(r, !GetRowSelect(r));
        }
        if (cols) SetColSelect(Col(), !GetColSelect(Col()));
    }
}

// ---------------------------------------------------------------- the key-down hook

void TExStringGrid::HandleKeyDown(uint16_t& Key, TShiftState Shift) {
    FLastKeyCell = {Col(), Row()};
    const int keyCol = Col(), keyRow = Row();
    const uint16_t key = Key;
    const TGridRect before = Selection();
    // 2. Merged blocks, the hidden last row, the platform's navigation.
    TBaseGrid::KeyDown(Key, Shift);
    // 3. Ctrl+Up and Ctrl+Down move the selected rows.
    const int top = std::min(before.Top, before.Bottom), bottom = std::max(before.Top, before.Bottom);
    if (FNavigation->CursorMoveRows() && Shift.contains(ssCtrl) && (key == VK_DOWN || key == VK_UP)) {
        const int step = key == VK_DOWN ? 1 : -1;
        const bool can = step > 0 ? bottom < RowCount() - 1 : top > FixedRows();
        if (can) {
            if (top == bottom) {
                MoveRow(keyRow, keyRow + step);
                moveCurrentTo(keyCol, keyRow + step);
            } else {
                MoveRows(top, step > 0 ? bottom + 2 : top - 1, bottom - top + 1);
                TStringGrid::SetSelection({FixedCols(), top + step, ColCount() - 1, bottom + step});
            }
        }
    }
    // 4. Arrows that wrap, judged from the cell where the key went down.
    const TCursorAdvance advance = FNavigation->CursorAdvance();
    if (advance != caDefault && (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN)) {
        const bool snake = advance == caSnake;
        const int lastCol = ColCount() - FFixedRightCols - 1, lastRow = RowCount() - FFixedFooters - 1;
        int col = -1, row = keyRow;
        if (key == VK_LEFT && keyCol == FixedCols()) {
            col = lastCol;
            if (snake && keyRow > FixedRows()) row = keyRow - 1;
        } else if (key == VK_RIGHT && keyCol == lastCol) {
            col = FixedCols();
            if (snake && keyRow < lastRow) row = keyRow + 1;
        } else if (key == VK_UP && keyRow == FixedRows()) {
            col = keyCol;
            row = lastRow;
            if (snake && keyCol > FixedCols()) col = keyCol - 1;
        } else if (key == VK_DOWN && keyRow == lastRow) {
            col = keyCol;
            row = FixedRows();
            if (snake && keyCol < lastCol) col = keyCol + 1;
        }
        if (col >= 0 && row >= 0) moveCurrentTo(col, row);
    }
    // 5. A move refused by a disabled row goes on to the nearest enabled one.
    if (FUseEnabledRows && FNavigation->SkipDisabledRows() && (key == VK_UP || key == VK_DOWN) && Row() == keyRow) {
        if (key == VK_UP) {
            for (int r = keyRow - 1; r >= FixedRows(); --r)
                if (GetRowEnabled(r)) {
                    moveCurrentTo(Col(), r);
                    break;
                }
        } else {
            for (int r = keyRow + 1; r < RowCount(); ++r)
                if (GetRowEnabled(r)) {
                    moveCurrentTo(Col(), r);
                    break;
                }
        }
    }
    // 6. The partner grid follows.
    if (TStringGrid* other = FSyncGrid->Grid()) {
        if (FSyncGrid->SelectionColumn() && Col() < other->ColCount()) other->SetCol(Col());
        if (FSyncGrid->SelectionRow() && Row() < other->RowCount()) other->SetRow(Row());
    }
}

// ---------------------------------------------------------------- rows added by the keys

void TExStringGrid::AppendRowAtEnd() {
    bool canAdd = true;
    CanAddRow(canAdd);
    if (!canAdd) return;
    // The count hook grows the grid; a shown floating footer's row moves to the new end with it.
    IncRowCount();
    const int added = FFloatingFooter->Visible() && RowCount() > 2 ? RowCount() - 2 : RowCount() - 1;
    // The store gives the row empty; only the number a fixed first column writes stays.
    const int firstCleared = FixedCols() > 0 ? 1 : 0;
    for (int c = firstCleared; c < TotalColCount(); ++c) {
        if (!GridCells(c, added).isEmpty()) SetGridCells(c, added, QString());
        if (GridObjects(c, added)) FreeCellProperties(c, added);
    }
    if (FFloatingFooter->Visible() || FFixedFooters > 0) moveCurrentTo(Col(), std::min(Row() + 1, RowCount() - 1));
    if (FFloatingFooter->Visible()) CalcFooter(-1);
    if (OnAutoAddRow) OnAutoAddRow(this, RowCount() - FFixedFooters - 1);
}

// ---------------------------------------------------------------- the Tab advance

void TExStringGrid::tabToNextControl(bool Backward) {
    // The key is over before the focus moves: the grid still ends its own steps for this Tab.
    QPointer<TExStringGrid> self(this);
    QTimer::singleShot(0, this, [self, Backward] {
        if (!self || !self->window()) return;
        guarded([&] {
            QWidget* w = self;
            do {
                w = Backward ? w->previousInFocusChain() : w->nextInFocusChain();
            } while (w && w != self &&
                     (self->isAncestorOf(w) || !(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(w->window()) ||
                      !w->isEnabled() || w->focusProxy()));
            if (w && w != self) w->setFocus(Backward ? Qt::BacktabFocusReason : Qt::TabFocusReason);
        });
    });
}

bool TExStringGrid::tabStep(bool Backward) {
    const bool byRows = FNavigation->TabAdvanceDirection() == adLeftRight;
    const int first = FirstNavigableCol();
    const int lastCol = ColCount() - VisibleFixedRightCols() - 1;
    const int lastRow = FFloatingFooter->Visible() && RowCount() > 2 ? RowCount() - 2 : RowCount() - FFixedFooters - 1;
    const int col = Col(), row = Row();
    const int real = RealColIndex(col);
    const TGridCoord span = real < AllColCount() ? CellSpan(real, row) : TGridCoord{0, 0};
    bool handOff = false;
    const auto forced = [&](int c, int r) {
        FlagUp f(FForceSel);
        moveCurrentTo(c, r);
    };
    const auto isBase = [&](int c, int r) {
        const int rc = RealColIndex(c);
        return rc >= AllColCount() || IsBaseCell(rc, r);
    };
    if (Backward) {
        if (!byRows) {
            if (row > FixedRows()) {
                moveCurrentTo(col, row - 1);
            } else {
                moveCurrentTo(col > first ? col - 1 : lastCol, lastRow);
            }
        } else if (col > first) {
            int c = col - 1;
            while (c >= first && !(IsTabStopCell(c, row) && isBase(c, row))) --c;
            if (c >= first) {
                moveCurrentTo(c, row);
            } else {
                const int prev = row > FixedRows() ? row - 1 : lastRow;
                const int stop = LastTabStopCol(prev);
                moveCurrentTo(stop >= 0 ? stop : lastCol, prev);
                if (row <= FixedRows()) ScrollInView(Col(), Row());
                snapCurrent();
            }
        } else {
            int c = lastCol;
            while (c >= FixedCols() && !IsTabStopCell(c, row)) --c;
            moveCurrentTo(std::max(c, FixedCols()), row > FixedRows() ? row - 1 : lastRow);
        }
        return true;
    }
    if (!byRows) {
        if (row + span.Y + 1 < RowCount() - FFixedFooters && row + span.Y + 1 <= lastRow) {
            moveCurrentTo(col, row + span.Y + 1);
        } else {
            GotoFirstRow();
            if (col < lastCol) {
                moveCurrentTo(col + 1, Row());
            } else {
                moveCurrentTo(first, Row());
                handOff = true;
            }
        }
    } else if (col + span.X < lastCol) {
        int c = col + span.X + 1;
        while (c <= lastCol && !IsTabStopCell(c, row)) ++c;
        if (c <= lastCol) {
            moveCurrentTo(c, row);
        } else if (row < lastRow) {
            // Past the row's last tab stop: into the next row, when the changing events allow it.
            FlagUp f(FForceSel);
            const int next = FirstTabStopCol(row + 1);
            const int to = next >= 0 ? next : FixedCols();
            bool allow = true;
            if (OnRowChanging) OnRowChanging(this, row, row + 1, allow);
            if (OnCellChanging) OnCellChanging(this, row, col, row + 1, to, allow);
            if (OnColChanging) OnColChanging(this, col, to, allow);
            if (allow) moveCurrentTo(to, row + 1);
        } else {
            const int stop = FirstTabStopCol(FixedRows());
            forced(stop >= 0 ? stop : FixedCols(), FixedRows());
            handOff = true;
        }
    } else if (row < lastRow) {
        int r = row + 1, c = -1;
        for (; r <= lastRow && c < 0; ++r)
            for (int k = first; k < ColCount() && c < 0; ++k)
                if (isBase(k, r) && IsTabStopCell(k, r)) c = k;
        if (c >= 0) {
            forced(c, r - 1);
        } else {
            // No row has a tab stop: to the bottom-right cell, and the advance goes on from there.
            moveCurrentTo(lastCol, lastRow);
        }
    } else {
        bool added = false;
        if (!FNavigation->TabToNextAtEnd() && FNavigation->AdvanceInsert()) {
            bool canAdd = true;
            CanAddRow(canAdd);
            if (canAdd) {
                if (FFloatingFooter->Visible() && RowCount() > 1) {
                    InsertRows(RowCount() - 1, 1);
                    moveCurrentTo(Col(), RowCount() - 2);
                } else {
                    SetRowCount(RowCount() + 1);
                    moveCurrentTo(Col(), RowCount() - 1);
                }
                if (OnAutoAddRow) OnAutoAddRow(this, RowCount() - FFixedFooters - 1);
                added = true;
            }
        }
        if (!added) GotoFirstRow();
        const int stop = FirstTabStopCol(Row());
        moveCurrentTo(stop >= 0 ? stop : FixedCols(), Row());
        handOff = true;
    }
    if (handOff && parentWidget() && FNavigation->TabToNextAtEnd()) {
        tabToNextControl(false);
        return false;
    }
    return true;
}

bool TExStringGrid::AdvanceOnTab(bool Backward) {
    // 1. OnKeyDown sees the Tab first; a handler that changes the key stops the advance.
    if (OnKeyDown) {
        uint16_t key = VK_TAB;
        TShiftState shift;
        if (Backward) shift.include(ssShift);
        OnKeyDown(this, key, shift);
        if (key != VK_TAB) return true;
    }
    // 2. A nested advance that did not move returns at once.
    if (Col() == FLastTabCol && Row() == FLastTabRow) return true;
    struct Done {
        int& c;
        int& r;
        ~Done() { c = r = -1; }
    } done{FLastTabCol, FLastTabRow};
    const TGridCoord start{Col(), Row()};
    bool result = true;
    // 3.-5. One move, and again while goEditing lands on a cell that cannot be edited: a walk,
    // not a recursion, that ends where it started, on a move that did not move, when it comes
    // round to the first cell it reached, or after one visit of every cell.
    const int64_t cells = int64_t(ColCount()) * RowCount() + 1;
    TGridCoord firstReached{-1, -1};
    for (int64_t step = 0; step < cells; ++step) {
        FLastTabCol = Col();
        FLastTabRow = Row();
        result = tabStep(Backward);
        if (!result) break;
        const TGridCoord now{Col(), Row()};
        const bool stays = now.X == FLastTabCol && now.Y == FLastTabRow;
        const bool needsEdit = Options().contains(goEditing) && !IsEditable(RealCol(), Row());
        if (!needsEdit || stays || now == start || now == firstReached) break;
        if (step == 0) firstReached = now;
    }
    // 6. The editor opens in the cell reached, as a click there would open it; a walk that found
    // no editable cell opens none.
    const bool editable = !Options().contains(goEditing) || IsEditable(RealCol(), Row());
    if (result && editable && FNavigation->AdvanceAutoEdit() && !IsCheckOrButtonCell(RealCol(), Row()))
        ClickCellAt(Col(), Row());
    // 7.
    if (FNavigation->AlwaysEdit()) viewport()->setFocus(Qt::OtherFocusReason);
    return result;
}

void TExStringGrid::ClickCellAt(int ACol, int ARow) {
    const TRect r = CellRect(ACol, ARow);
    if (r.IsEmpty()) return;
    FlagUp forced(FForceSel);
    struct Quiet {
        TMouseEvent& down;
        TMouseEvent& up;
        TMouseEvent keptDown, keptUp;
        Quiet(TMouseEvent& d, TMouseEvent& u) : down(d), up(u), keptDown(std::move(d)), keptUp(std::move(u)) {
            down = nullptr;
            up = nullptr;
        }
        ~Quiet() {
            down = std::move(keptDown);
            up = std::move(keptUp);
        }
    } quiet(OnMouseDown, OnMouseUp);
    TBaseGrid::MouseDown(mbLeft, {}, r.Left + 2, r.Top + 2);
    TBaseGrid::MouseUp(mbLeft, {}, r.Left + 2, r.Top + 2);
}

// ---------------------------------------------------------------- key up

void TExStringGrid::KeyUp(uint16_t& Key, TShiftState Shift) {
    // Moving keys end the lookup text; Home does not.
    static constexpr std::array<uint16_t, 9> kEndLookup{VK_PRIOR, VK_NEXT, VK_END,    VK_LEFT,  VK_UP,
                                                        VK_RIGHT, VK_DOWN, VK_INSERT, VK_DELETE};
    if (std::find(kEndLookup.begin(), kEndLookup.end(), Key) != kEndLookup.end()) FSearchInc.clear();
    const uint16_t key = Key;
    const TGridRect old = Selection();
    TBaseGrid::KeyUp(Key, Shift);
    const bool arrow = key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
    if (FNavigation->AlwaysEdit() && (arrow || (key == VK_TAB && Options().contains(goTabs))) &&
        IsEditable(RealCol(), Row()) && !EditorMode() && !FSpecialEditor)
        ShowInplaceEdit();
    const TGridRect now = Selection();
    if (now != FMoveSelection && (arrow || key == VK_TAB)) SelectionChanged(now.Left, now.Top, now.Right, now.Bottom);
    if (!FMouseActions->DisjunctCellSelect() || Options().contains(goEditing)) return;
    // The selected-cell list holds (column, row) pairs.
    TIntList& cells = *FSelectedCells;
    const auto indexOf = [&](int c, int r) {
        for (int i = 0; i + 1 < cells.Count(); i += 2)
            if (cells.Items(i) == c && cells.Items(i + 1) == r) return i;
        return -1;
    };
    const auto add = [&](int c, int r) {
        if (indexOf(c, r) >= 0) return;
        cells.Add(c);
        cells.Add(r);
    };
    const auto remove = [&](int c, int r) {
        if (const int i = indexOf(c, r); i >= 0) {
            cells.Delete(i + 1);
            cells.Delete(i);
        }
    };
    if (Shift.contains(ssShift)) {
        for (int r = old.Top; r <= old.Bottom; ++r)
            for (int c = old.Left; c <= old.Right; ++c) remove(c, r);
        for (int r = now.Top; r <= now.Bottom; ++r)
            for (int c = now.Left; c <= now.Right; ++c)
                if (c != Col() || r != Row()) add(c, r);
    }
    if (key != VK_SPACE) return;
    const int real = RealCol();
    const TGridCoord b = real < AllColCount() ? BaseCell(real, Row()) : TGridCoord{real, Row()};
    const int bc = DisplColIndex(b.X);
    if (IsFixed(bc, b.Y)) return;
    bool allow = true;
    if (OnSelectCell) OnSelectCell(this, bc, b.Y, allow);
    if (!allow) return;
    if (!Shift.contains(ssCtrl)) {
        cells.Clear();
        add(bc, b.Y);
    } else if (indexOf(bc, b.Y) >= 0) {
        remove(bc, b.Y);
    } else {
        add(bc, b.Y);
    }
    for (int r = now.Top; r <= now.Bottom; ++r)
        for (int c = now.Left; c <= now.Right; ++c)
            if (c != bc || r != b.Y) add(c, r);
    RepaintCell(Col(), Row());
}
