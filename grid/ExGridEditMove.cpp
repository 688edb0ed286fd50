// In-place editing, second half: the selection hook that switches editing cell by cell, the
// changing events, the advance after Enter, the editors' keys before the key table, the characters
// typed on the cells and the incremental search.
#include "controls/ExHTMLRender.h"
#include "controls/ExHTMLUtil.h"
#include "controls/ExUtil.h"
#include "controls/SgCombo.h"
#include "grid/ExGrid.h"
#include "platform/FormatSettings.h"
#include "platform/InplaceEdit.h"

#include <QLineEdit>

namespace {

void setOption(TExStringGrid& G, plat::TGridOption O, bool On) {
    plat::TGridOptions o = G.Options();
    if (o.contains(O) == On) return;
    if (On)
        o.include(O);
    else
        o.exclude(O);
    G.SetOptions(o);
}

}  // namespace

// ---------------------------------------------------------------- changing events

void TExStringGrid::CellChanging(int NewCol, int NewRow, bool& Allow) {
    if (NewRow != Row() && OnRowChanging) OnRowChanging(this, Row(), NewRow, Allow);
    if (NewCol != Col() && OnColChanging) OnColChanging(this, Col(), NewCol, Allow);
    if (NewCol == Col() && NewRow == Row()) return;
    if (OnCellChanging && !FDisableChange) OnCellChanging(this, Row(), Col(), NewRow, NewCol, Allow);
}

// ---------------------------------------------------------------- the selection hook

bool TExStringGrid::SelectCell(int ACol, int ARow) {
    const plat::TGridRect oldSel = Selection();
    auto repaintIndicators = [&](int A, int B) {
        if (FRowIndicator.Empty() || FixedCols() == 0) return;
        RepaintCell(0, A);
        RepaintCell(0, B);
    };
    if (FForceSel) {
        repaintIndicators(Row(), ARow);
        return true;
    }
    if (!parentWidget()) return true;
    auto textOf = [&](int C, int R) {
        const int real = RealColIndex(C);
        return C >= 0 && R >= 0 && real < AllColCount() && R < RowCount() ? GetCellEx(real, R) : QString();
    };
    FEditText = textOf(ACol, ARow);

    // The footer rows: the floating footer's row is never current, and the cell stays above the strips.
    const int searchH = FSearchFooter->Visible() ? FSearchPanel->height() + 2 : 0;
    if (FFloatingFooter->Visible()) {
        const int visRows = VisibleRowCount();
        if (FFloatingFooter->FooterStyle() == fsFixedLastRow) {
            if (ARow == RowCount() - 1) return false;
            if (ARow >= TopRow() + visRows) TBaseGrid::SetTopRow(std::max(FixedRows(), ARow + FixedRows() - visRows));
        } else {
            FFooterPanel->update();
        }
        const plat::TRect r = CellRect(ACol, ARow);
        const int rowLimit = FFloatingFooter->FooterStyle() == fsFixedLastRow ? RowCount() - 1 : RowCount();
        if (!r.IsEmpty() && r.Bottom > ClientHeight() - FFloatingFooter->Height() - searchH + 2 && ARow < rowLimit)
            TBaseGrid::SetTopRow(TopRow() + 1);
    }
    if (FSearchFooter->Visible()) {
        for (int guard = RowCount(); guard > 0; --guard) {
            const plat::TRect r = CellRect(ACol, ARow);
            if (r.IsEmpty() || r.Bottom <= ClientHeight() - FSearchPanel->height() + 2 || ARow > RowCount() - 1 ||
                TopRow() >= RowCount() - 1)
                break;
            const int before = TopRow();
            TBaseGrid::SetTopRow(TopRow() + 1);
            if (TopRow() == before) break;
        }
    }
    if (ARow < 0 || ACol < 0) return false;

    const int real = RealColIndex(ACol);
    // A cell inside a merged block: the cursor goes to the block's base cell instead.
    if (!Options().contains(plat::goRangeSelect) && real < AllColCount() && ARow < RowCount() &&
        IsMergedNonBaseCell(real, ARow)) {
        const plat::TGridCoord bc = BaseCell(real, ARow);
        const int bcol = DisplColIndex(bc.X);
        if (bcol >= 0 && bcol < ColCount() && bc.Y < RowCount()) {
            plat::TStringGrid::FocusCell(bcol, bc.Y, true);
            RepaintCell(bcol, bc.Y);
            if (FMouseActions->DirectEdit() || (FControlLook->DropDownAlwaysVisible() && HasComboBox(bc.X, bc.Y)))
                ShowInplaceEdit();
        }
        return false;
    }
    if (ACol == 0 && HasNodes() && !Options().contains(plat::goRowSelect)) return false;
    if (FUseEnabledRows && FNavigation->SkipDisabledRows() && !GetRowEnabled(ARow)) return false;

    const int oldCol = Col(), oldRow = Row();
    QString text = textOf(ACol, ARow);
    const bool normalFocused = InplaceEditor() && InplaceEditor()->hasFocus();
    const bool editing = Options().contains(plat::goEditing);
    const bool rangeEdit = FMouseActions->RangeSelectAndEdit();
    bool canEdit;
    if (IsCheckOrButtonCell(real, ARow)) {
        canEdit = true;
        CanEditCell(real, ARow, canEdit);
        if (!FEditDisable) canEdit = !canEdit && (editing || rangeEdit);
        if (!editing && !Options().contains(plat::goRowSelect) && canEdit) {
            FEditChange = true;
            setOption(*this, plat::goEditing, true);
        }
    } else {
        canEdit = editing || FEditDisable;
        CanEditCell(real, ARow, canEdit);
        if (canEdit && FMouseActions->DirectEdit()) {
            FEditControl = FDefaultEditor;
            if (IsNoEditorCell(real, ARow)) canEdit = false;
        }
        if (FMouseActions->EditOnDblClickOnly()) canEdit = false;
        if (canEdit) {
            FEditDisable = false;
            if (!editing) {
                FEditChange = true;
                if (!FEditing) RememberOldCell(oldCol, oldRow);
                if (Options().contains(plat::goRowSelect) && rangeEdit) setOption(*this, plat::goRowSelect, false);
                setOption(*this, plat::goEditing, true);
            }
            if (FEditing) {
                HideInplaceEdit();
                text = textOf(ACol, ARow);
            }
        } else {
            if (FEditing) {
                HideInplaceEdit();
                text = textOf(ACol, ARow);
            }
            if (Options().contains(plat::goEditing)) {
                FEditMode = false;
                FEditDisable = true;
                FEditChange = true;
                setOption(*this, plat::goEditing, false);
                SetEditorMode(false);
            }
        }
    }

    bool result = false;
    // Asked again for the cell itself (an editor was just hidden), the cursor does not leave: the
    // open edit is validated once, when it does.
    const bool stays = ACol == oldCol && ARow == oldRow;
    if (!FEditing || normalFocused || stays) {
        bool allow = true;
        CellChanging(ACol, ARow, allow);
        if (IsFixed(ACol, ARow) || !allow)
            result = (allow && Options().contains(plat::goRowSelect)) || (FFixedRowAlways && RowCount() == FixedRows());
        else
            result = TBaseGrid::SelectCell(ACol, ARow);
    } else {
        // A special editor was open: its cell is validated before the cursor may leave.
        const QString saved = FCellCache;
        const QString cur = Cells(RealCol(), Row());
        const bool valid = cur.startsWith(QStringLiteral("|\\")) ? ValidateCellWide(cur) : ValidateCell(cur);
        bool allow = valid;
        if (allow) CellChanging(ACol, ARow, allow);
        result = allow && TBaseGrid::SelectCell(ACol, ARow);
        if (!result) FCellCache = saved;
    }

    repaintIndicators(oldRow, ARow);
    if (FActiveCellShow) {
        RepaintActiveHeaders(oldCol, oldRow, ACol, ARow);
        if (oldSel.Left != oldCol && oldSel.Top != oldRow) RepaintActiveHeaders(oldSel.Left, oldSel.Top, ACol, ARow);
    }
    if (ActiveRowShow()) {
        RepaintRow(ARow);
        RepaintRow(oldSel.Top);
    }
    if (FSelectionRectangle) RepaintGrid();
    if (ARow != FOldRowSel && OnRowChanged) {
        const int old = FOldRowSel;
        FOldRowSel = ARow;
        OnRowChanged(this, old, ARow);
    }
    if (HasCellBorderEvent())
        for (int r = oldSel.Top; r <= oldSel.Bottom; ++r) RepaintRow(r);
    // The cache follows the cell that became current; an edit still to be validated keeps its own.
    if (result && !(stays && FEditing)) FCellCache = text;
    return result;
}

// ---------------------------------------------------------------- the advance after Enter

bool TExStringGrid::advanceStep(int& ACol, int& ARow, bool Forward) {
    const TAdvanceDirection dir = FNavigation->AdvanceDirection();
    const int first = firstNavigableCol();
    const int lastRow = RowCount() - FFixedFooters - 1;
    const int lastCol = ColCount() - FFixedRightCols - 1;
    const int real = RealColIndex(ACol);
    const plat::TGridCoord span =
        real < AllColCount() && ARow < RowCount() ? CellSpan(real, ARow) : plat::TGridCoord{0, 0};
    if (!Forward) {
        if (dir == adLeftRight) {
            if (ACol > first) {
                --ACol;
            } else {
                ARow = ARow > FixedRows() ? ARow - 1 : lastRow;
                ACol = lastCol;
            }
        } else if (dir == adTopBottom) {
            if (ARow > FixedRows()) {
                --ARow;
            } else {
                ACol = ACol > first ? ACol - 1 : lastCol;
                ARow = lastRow;
            }
        }
        return true;
    }
    if (dir == adLeftRight || dir == adLeftRightInRow) {
        if (ACol + span.X < lastCol) {
            ACol += span.X + 1;
        } else if (dir == adLeftRight && ARow == lastRow) {
            if (FNavigation->AdvanceInsert()) {
                bool canAdd = true;
                if (OnCanAddRow) OnCanAddRow(this, canAdd);
                ACol = first;
                if (canAdd) {
                    AddRow();
                    ++ARow;
                    if (OnAutoAddRow) OnAutoAddRow(this, RowCount() - FFixedFooters - 1);
                    bool any = false;
                    for (int c = FixedCols(); c < ColCount() && !any; ++c) any = IsEditable(RealColIndex(c), ARow);
                    if (!any) return false;
                }
            } else if (FNavigation->AdvanceOnEnterLoop()) {
                ARow = FixedRows();
                ACol = first;
            }
        } else if (dir == adLeftRight) {
            ++ARow;
            ACol = first;
        } else if (FNavigation->AdvanceOnEnterLoop()) {
            ACol = first;
        }
    } else {
        if (ARow + 1 != RowCount() - FFixedFooters) {
            ++ARow;
        } else if (dir == adTopBottomInCol) {
            ARow = FixedRows();
        } else {
            if (ACol + 1 != ColCount() - FFixedRightCols) {
                ARow = FixedRows();
                ++ACol;
                if (ACol >= ColCount()) ACol = first;
            } else if (FNavigation->AdvanceInsert()) {
                SetColCount(ColCount() + 1);
                ACol += span.X + 1;
                ARow = FixedRows();
                if (OnAutoInsertCol) OnAutoInsertCol(this, ColCount() - FFixedRightCols - 1);
            } else {
                ARow = FixedRows();
                ACol = first;
            }
            RepaintGrid();
        }
    }
    return true;
}

void TExStringGrid::AdvanceAfterEdit(int ACol, int ARow, bool GoOnEditing, bool Recursing, bool Forward,
                                     bool AutoEdit, bool Force) {
    if (!FNavigation->AdvanceOnEnter() && !Force) return;
    if (FMouseActions->RangeSelectAndEdit() && !Options().contains(plat::goEditing))
        setOption(*this, plat::goEditing, true);
    if (!Recursing) {
        FAECol = ACol;
        FAERow = ARow;
    }
    FStartEditChar = QChar();
    const int fromCol = ACol, fromRow = ARow;
    int col = ACol, row = ARow;
    // Skipping read-only cells ends after one pass over the grid: an all read-only grid has no next cell.
    const int64_t pass = int64_t(ColCount()) * RowCount() + 1;
    for (int64_t step = 0;; ++step) {
        if (!advanceStep(col, row, Forward)) return;
        col = std::clamp(col, 0, ColCount() - 1);
        row = std::clamp(row, 0, RowCount() - 1);
        bool canEdit = true;
        CanEditCell(RealColIndex(col), row, canEdit);
        if (canEdit) {
            bool allow = true;
            int newRow = row, newCol = col;
            if (OnAutoAdvance) OnAutoAdvance(this, FAERow, FAECol, newRow, newCol, allow);
            if (allow) {
                if (OnCellChanging) OnCellChanging(this, FAERow, FAECol, newRow, newCol, allow);
                FDisableChange = true;
                if (allow && newCol >= 0 && newCol < ColCount() && newRow >= 0 && newRow < RowCount())
                    plat::TStringGrid::FocusCell(newCol, newRow, true);
                else
                    SelectCell(fromCol, fromRow);
            } else {
                FDisableChange = true;
                SelectCell(fromCol, fromRow);
            }
            FDisableChange = false;
            break;
        }
        if (!FNavigation->AdvanceSkipReadOnlyCells()) {
            plat::TStringGrid::FocusCell(col, row, true);
            break;
        }
        if (step + 1 >= pass || (col == FAECol && row == FAERow) || (col == fromCol && row == fromRow)) return;
    }
    if (GoOnEditing) {
        const int real = RealColIndex(Col());
        const bool checkLike = IsCheckOrButtonCell(real, Row());
        if ((AutoEdit && FNavigation->AdvanceAutoEdit()) || checkLike) {
            if (!IsEditable(real, Row())) return;
            ShowInplaceEdit();
            if (checkLike) {
                bool allow = true;
                if (OnCellChanging) OnCellChanging(this, fromRow, fromCol, Row(), Col(), allow);
                TEditorType ed = FDefaultEditor;
                GetCellEditor(RealColIndex(fromCol), fromRow, ed);
                if (!isTextKind(ed) || ed == edValidChars) HideInplaceEdit();
            }
        }
    }
    if (FMouseActions->DisjunctRowSelect()) {
        ClearRowSelect();
        SetRowSelect(Row(), true);
    }
}

// ---------------------------------------------------------------- keys and characters

void TExStringGrid::toBaseCell() {
    const int real = RealCol(), row = Row();
    if (real < 0 || row < 0 || real >= AllColCount() || row >= RowCount() || !IsMergedNonBaseCell(real, row)) return;
    const plat::TGridCoord bc = BaseCell(real, row);
    const int bcol = DisplColIndex(bc.X);
    if (bcol >= 0 && bcol < ColCount() && bc.Y < RowCount()) plat::TStringGrid::FocusCell(bcol, bc.Y, true);
}

bool TExStringGrid::commitDefaultEditor() {
    if (!ValidateCell(InplaceEditor()->Text())) return false;
    // The edit ends when the editor goes, which the key's road does next.
    if (defaultEditorOpen()) FEditing = true;
    return true;
}

void TExStringGrid::KeyDown(uint16_t& Key, plat::TShiftState Shift) {
    const bool editorFocused = InplaceEditor() && InplaceEditor()->hasFocus();
    switch (Key) {
        case plat::VK_ESCAPE:
            // The key press restores the cell and closes the editor.
            if (FEditMode || defaultEditorOpen()) {
                if (OnKeyDown) OnKeyDown(this, Key, Shift);
                return;
            }
            break;
        case plat::VK_TAB:
            // An open editor's text goes in first; the key table advances.
            if (Shift.contains(plat::ssAlt)) break;
            if (editorFocused && !commitDefaultEditor()) {
                Key = 0;
                return;
            }
            if (defaultEditorOpen()) HideInplaceEdit();
            break;
        case plat::VK_UP:
        case plat::VK_DOWN:
        case plat::VK_PRIOR:
        case plat::VK_NEXT:
            // An arrow leaves the default editor through the done road, after validation.
            if (editorFocused) {
                if (!commitDefaultEditor()) {
                    Key = 0;
                    return;
                }
                const uint16_t k = Key;
                Key = 0;
                DoneInplaceEdit(k, Shift);
                // A page key moves the cursor once the edit ended, as it does from the cells.
                if (k == plat::VK_PRIOR || k == plat::VK_NEXT) {
                    uint16_t page = k;
                    keyTable(page, Shift);
                }
                return;
            }
            break;
        case plat::VK_F2:
            FStartEditChar = QChar();
            // A covered cell of a merged block, made current in code, is edited at the block's base
            // cell, where a click or an arrow key would have gone.
            if (!FEditMode && !defaultEditorOpen()) toBaseCell();
            break;
        default: break;
    }
    keyTable(Key, Shift);
}

void TExStringGrid::DoKeyPress(QChar& Key) {
    const char16_t c = Key.unicode();
    if (c == 27) {
        if (Options().contains(plat::goEditing) && FEditing && (FSpecialEditor || defaultEditorOpen())) {
            RestoreCellCache();
            cancelEditors();
        }
        if (OnKeyPress) OnKeyPress(this, Key);
        return;
    }
    if (c == 13) {
        const int real = RealCol();
        if (!FNavigation->AdvanceOnEnter() && !IsEditable(real, Row())) {
            if (OnKeyPress) OnKeyPress(this, Key);
            Key = QChar(0);
            return;
        }
        // The default editor's text is validated before Enter takes it anywhere.
        if (defaultEditorOpen() && FTextEditOpen && !commitDefaultEditor()) {
            Key = QChar(0);
            return;
        }
        const bool gridFocused = viewport()->hasFocus() || hasFocus();
        if (!gridFocused || IsCheckOrButtonCell(real, Row())) {
            AdvanceAfterEdit(Col(), Row(), FEditMode, false, true, false, false);
            if (!FNavigation->AdvanceAutoEdit()) {
                if (OnKeyPress) OnKeyPress(this, Key);
                Key = QChar(0);
                return;
            }
            if (IsCheckOrButtonCell(RealCol(), Row())) {
                if (OnKeyPress) OnKeyPress(this, Key);
                if (FNavigation->AdvanceOnEnter()) ShowInplaceEdit();
                return;
            }
        }
    }
    if (!Options().contains(plat::goEditing) && FNavigation->AutoGotoWhenSorted()) {
        if (FNavigation->AutoGotoIncremental()) {
            if (c == 8)
                FSearchInc.chop(1);
            else
                FSearchInc += Key;
            FSearchTics = 0;
        } else {
            FSearchInc = QString(Key);
        }
        const int found = Search(FSearchInc.toUpper());
        if (found < 0)
            FSearchInc.clear();
        else
            plat::TStringGrid::FocusCell(Col(), found, true);
    }
    TBaseGrid::DoKeyPress(Key);
}

void TExStringGrid::CharTyped(QChar Key) {
    const int real = RealCol(), row = Row();
    const bool inside = real < AllColCount() && row < RowCount();
    // A cell of form controls takes its characters itself.
    if (inside) {
        const QString text = GetCellEx(real, row);
        if (ClassifyCellText(text, FEnableHTML) == 1 && HasControlTag(text)) return;
    }
    if (FMouseActions->EditOnDblClickOnly() && inside) {
        bool can = true;
        CanEditCell(real, row, can);
        if (can) setOption(*this, plat::goEditing, true);
    }
    char16_t c = Key.unicode();
    // Ctrl+C, Ctrl+V and Ctrl+X are the key-down's shortcuts.
    if (FNavigation->AllowClipboardShortCuts() && (c == 3 || c == 22 || c == 24)) return;
    // The character the editor starts with; OnKeyPress has seen it here, so the editor's road does
    // not report it again.
    struct Start {
        QChar& start;
        plat::TKeyPressEvent& event;
        plat::TKeyPressEvent kept;
        Start(QChar& s, plat::TKeyPressEvent& e) : start(s), event(e), kept(std::move(e)) { event = nullptr; }
        ~Start() {
            start = QChar();
            event = std::move(kept);
        }
    };
    const bool clickable = inside && IsCheckOrButtonCell(real, row);
    if (FMouseActions->RangeSelectAndEdit() && inside && !clickable && IsEditable(real, row) && c != 9 && c != 27 &&
        (c >= 32 || c == 8 || c == 13)) {
        QChar copy = Key;
        if (OnKeyPress) OnKeyPress(this, copy);
        setOption(*this, plat::goEditing, true);
        if (Col() < LeftCol() || Col() > LeftCol() + VisibleColCount() || Row() < TopRow() ||
            Row() > TopRow() + VisibleRowCount())
            ScrollInView(Col(), Row());
        // A range becomes its current cell first, as a click on that cell makes it.
        if (Selection() != plat::TGridRect{Col(), Row(), Col(), Row()}) {
            struct Sim {
                bool& f;
                ~Sim() { f = false; }
            } sim{FSimClick = true};
            plat::TStringGrid::FocusCell(Col(), Row(), true);
        }
        FStartEditChar = Key;
        Start start(FStartEditChar, OnKeyPress);
        TBaseGrid::CharTyped(Key);
        return;
    }
    // The keypad's decimal key types the locale's separator.
    if (FExcelStyleDecimalSeparator && c == u'.' && LastKeyOnKeypad()) {
        Key = plat::formatSettings().decimalSeparator;
        c = Key.unicode();
    }
    if (Options().contains(plat::goEditing) && c != 9 && (c == 8 || (c >= 32 && c <= 255))) {
        if (OnKeyPress) OnKeyPress(this, Key);
        FStartEditChar = Key;
        Start start(FStartEditChar, OnKeyPress);
        if (!clickable) ShowEditorChar(Key);
        return;
    }
    // A character beyond 255 starts the edit through the base grid, which reports it.
    if (Options().contains(plat::goEditing) && c > 255) {
        FStartEditChar = Key;
        struct Clear {
            QChar& c;
            ~Clear() { c = QChar(); }
        } clear{FStartEditChar};
        if (!clickable) TBaseGrid::CharTyped(Key);
        return;
    }
    TBaseGrid::CharTyped(Key);
}

void TExStringGrid::DblClick() {
    if (FMouseActions->EditOnDblClickOnly()) {
        bool can = true;
        CanEditCell(RealCol(), Row(), can);
        if (can && !IsFixed(Col(), Row())) {
            setOption(*this, plat::goEditing, true);
            ShowInplaceEdit();
        }
    }
    TBaseGrid::DblClick();
}

// ---------------------------------------------------------------- tab advance, rows, search

int TExStringGrid::Search(const QString& Text) {
    const int col = FSortSettings->Column();
    if (col < 0 || col >= AllColCount() || Text.isEmpty()) return -1;
    for (int r = FixedRows(); r < RowCount() - FFixedFooters; ++r)
        if (GetCellEx(col, r).toUpper().startsWith(Text)) return r;
    return -1;
}

void TExStringGrid::searchTick() {
    if (!FNavigation->AutoGotoIncremental() || FSearchInc.isEmpty()) return;
    if (++FSearchTics >= 4) {
        FSearchInc.clear();
        FSearchTics = 0;
    }
}

// ---------------------------------------------------------------- form controls of HTML cells

void TExStringGrid::FocusNextCellControl(int ACol, int ARow, const QString& ID) {
    const QString text = Cells(RealColIndex(ACol), ARow);
    QString next;
    NextEditControlID(text, ID, next);
    if (next.isEmpty()) {
        viewport()->setFocus(Qt::OtherFocusReason);
        return;
    }
    plat::TRect r = CellRect(ACol, ARow);
    r.Left += FXYOffset.x() + 1;
    r.Top += FXYOffset.y() + 1;
    if (GetCellType(RealColIndex(ACol), ARow) == ctCheckBox) r.Left += FControlLook->CheckSize();
    THTMLRenderIn in;
    in.Text = text;
    in.Rect = r;
    in.HitTestOnly = true;
    in.Container = FPictureContainer;
    in.Images = FGridImages;
    THTMLRenderOut out;
    out.ControlID = next;
    RenderHTML(Canvas(), in, out);
    if (out.ControlID != next) return;
    StartCellControlEdit(ACol, ARow, out.ControlID, out.ControlType, out.ControlValue, out.ControlRect);
}

// ---------------------------------------------------------------- check, radio and node cells

void TExStringGrid::CheckBoxClick(int ACol, int ARow, bool State) {
    if (OnCheckBoxClick) OnCheckBoxClick(this, ACol, ARow, State);
}

bool TExStringGrid::cellClick(int ACol, int ARow, int X, int Y) {
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return false;
    const int real = RealColIndex(ACol);
    // A node glyph in column 0 expands or contracts its node.
    if (real == 0 && IsNode(ARow) && IsInNodeGlyph(ARow, X)) {
        const int realRow = RealRowIndex(ARow);
        const bool contracted = GetNodeState(ARow);
        bool allow = true;
        auto& before = contracted ? OnBeforeExpandNode : OnBeforeContractNode;
        if (before) before(this, ARow, realRow, allow);
        if (!allow) return true;
        if (contracted)
            ExpandNode(realRow);
        else
            ContractNode(realRow);
        auto& after = contracted ? OnExpandNode : OnContractNode;
        if (after) after(this, ARow, realRow);
        return true;
    }
    if (!IsInCheckBox(real, ARow, X, Y) && !(real == 0 && MouseActions().HotmailRowSelect()))
        return false;
    bool can = true;
    CanEditCell(real, ARow, can);
    if (!can && !FControlLook->CheckAlwaysActive() && !(real == 0 && MouseActions().HotmailRowSelect())) return false;
    if (FEditMode || defaultEditorOpen()) HideInplaceEdit();
    if (GetCellType(real, ARow) == ctRadioButton) {
        if (ClickRadioButton(real, ARow, true) && OnRadioButtonClick) OnRadioButtonClick(this, real, ARow);
        return true;
    }
    if (!ToggleCellCheck(real, ARow, true)) return true;
    if (FShowModified->Enabled()) SetRowModified(ARow, true);
    bool state = false;
    GetCheckBoxState(real, RealRowIndex(ARow), state);
    // A header box sets its whole column: the rows' selection under mail-style row selection.
    if (ARow < FixedRows() && MouseActions().CheckAllCheck()) {
        for (int r = FixedRows(); r < RowCount() - FFixedFooters; ++r) {
            if (real == 0 && MouseActions().HotmailRowSelect())
                SetRowSelect(RealRowIndex(r), state);
            else
                SetCheckBoxState(real, RealRowIndex(r), state);
        }
        RepaintCol(ACol);
    }
    CheckBoxClick(real, ARow, state);
    return true;
}
