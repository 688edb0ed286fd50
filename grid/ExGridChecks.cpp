// Check boxes, tri-state boxes, radio buttons and radio groups in cells: creating them, their state
// (in the graphic, or for data boxes in the cell text against the check texts), toggling with its
// events and undo record, and the hit test of a click.
#include "grid/ExGrid.h"

#include <stdexcept>

namespace {

bool isCheckKind(TCellType t) {
    return t == ctCheckBox || t == ctDataCheckBox || t == ctVirtCheckBox || t == ctRowCheckBox ||
           t == ctTriStateCheckBox;
}

TCellVAlign checkVAlign(TVAlignment v) {
    switch (v) {
    case vtaCenter: return vaCenter;
    case vtaBottom: return vaBottom;
    default: return vaTop;
    }
}

}  // namespace

void TExStringGrid::checkBoxCell(int ACol, int ARow) const {
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() + NumHiddenColumns() || ARow >= RowCount() + NumHiddenRows())
        throw std::invalid_argument("Invalid cell");
}

TCellGraphic* TExStringGrid::graphicReal(int ACol, int ARealRow) {
    if (ACol < 0 || ARealRow < 0) return nullptr;
    if (NumHiddenRows() == 0) return GetCellGraphic(ACol, ARealRow);
    if (!IsHiddenRow(ARealRow)) return GetCellGraphic(ACol, DisplRowIndex(ARealRow));
    for (int i = FGridItems.Count() - 1; i >= 0; --i)
        if (FGridItems.Items(i).RealIdx == ARealRow) {
            const auto* p = dynamic_cast<const TCellProperties*>(FGridItems.Items(i).Record().Object(ACol));
            if (auto* g = p ? dynamic_cast<TCellGraphic*>(GetPropsGraphic(p)) : nullptr) return g;
            break;
        }
    // No graphic of its own: the one the row would show, a column's shared box.
    return GetHiddenRowGraphic(ACol, ARealRow);
}

TCellGraphic* TExStringGrid::GetHiddenRowGraphic(int, int) { return nullptr; }

void TExStringGrid::GetHiddenRowCheckText(int ACol, int ARealRow, bool State, QString& Value) {
    if (State)
        GetCheckTrue(ACol, ARealRow, Value);
    else
        GetCheckFalse(ACol, ARealRow, Value);
}

QString TExStringGrid::checkTextReal(int ACol, int ARealRow, bool State) {
    QString t;
    if (IsHiddenRow(ARealRow))
        GetHiddenRowCheckText(ACol, ARealRow, State, t);
    else if (State)
        GetCheckTrue(ACol, DisplRowIndex(ARealRow), t);
    else
        GetCheckFalse(ACol, DisplRowIndex(ARealRow), t);
    return t;
}

// ---------------------------------------------------------------- creating and removing

void TExStringGrid::AddCheckBox(int ACol, int ARow, bool State, bool Data) {
    checkBoxCell(ACol, ARow);
    TCellGraphic* g = CreateCellGraphic(ACol, ARow);
    g->CellType = Data ? ctDataCheckBox : ctCheckBox;
    g->CellBoolean = State;
    g->CellAngle = 0;
    g->CellHAlign = haBeforeText;
    g->CellVAlign = checkVAlign(VAlignment());
    g->CellTransparent = true;
    if (Data) {
        // A text that already is one of the two check texts stays, whatever State says.
        const QString text = GetCellEx(ACol, ARow);
        if (text != CheckTrue && text != CheckFalse) SetCellEx(ACol, ARow, State ? CheckTrue : CheckFalse);
    }
}

void TExStringGrid::AddCheckBox(int ACol, int ARow, TCheckBoxState State) {
    checkBoxCell(ACol, ARow);
    TCellGraphic* g = CreateCellGraphic(ACol, ARow);
    g->CellType = ctTriStateCheckBox;
    g->CellCheckBoxState = State;
    g->CellBoolean = false;
    g->CellHAlign = haBeforeText;
    g->CellVAlign = checkVAlign(VAlignment());
    g->CellTransparent = true;
}

void TExStringGrid::RemoveCheckBox(int ACol, int ARow) {
    TCellGraphic* g = ownGraphic(ACol, ARow);
    if (!g || (g->CellType != ctCheckBox && g->CellType != ctDataCheckBox && g->CellType != ctTriStateCheckBox))
        return;
    if (g->CellAngle == 1) {
        // The balloon attached to the box goes first.
        delete g->CellStrings;
        g->CellStrings = nullptr;
        g->CellAngle = 0;
    }
    RemoveCellGraphic(ACol, ARow);
}

void TExStringGrid::AddCheckBoxColumn(int ACol, bool DefaultState, bool DataCheckBox) {
    const int from = MouseActions().CheckAllCheck() ? 0 : FixedRows();
    for (int r = from; r < RowCount(); ++r) {
        if (IsSummary(r)) continue;
        if (IsNode(r))
            AddCheckBox(ACol, r, cbUnchecked);
        else
            AddCheckBox(ACol, r, DefaultState, DataCheckBox);
    }
}

void TExStringGrid::AddTriStateCheckBoxColumn(int ACol, TCheckBoxState State) {
    const int from = MouseActions().CheckAllCheck() ? 0 : FixedRows();
    for (int r = from; r < RowCount(); ++r) AddCheckBox(ACol, r, State);
}

void TExStringGrid::RemoveCheckBoxColumn(int ACol) {
    const int from = MouseActions().CheckAllCheck() ? 0 : FixedRows();
    for (int r = from; r < RowCount(); ++r)
        if (HasCheckBox(ACol, r)) RemoveCheckBox(ACol, r);
}

// ---------------------------------------------------------------- kinds

bool TExStringGrid::HasCheckBox(int ACol, int ARow) {
    return ACol >= 0 && ARow >= 0 &&
           CellTypeInSet(ACol, ARow, {ctCheckBox, ctDataCheckBox, ctVirtCheckBox, ctRowCheckBox, ctTriStateCheckBox});
}

bool TExStringGrid::HasDataCheckBox(int ACol, int ARow) {
    return ACol >= 0 && ARow >= 0 && CellTypeInSet(ACol, ARow, {ctDataCheckBox, ctVirtCheckBox, ctRowCheckBox});
}

bool TExStringGrid::IsCheckOrButtonCell(int ACol, int ARow) {
    return ACol >= 0 && ARow >= 0 &&
           CellTypeInSet(ACol, ARow, {ctCheckBox, ctDataCheckBox, ctRadio, ctButton, ctVirtCheckBox, ctRowCheckBox,
                                      ctRadioButton, ctTriStateCheckBox});
}

bool TExStringGrid::IsDataGraphicCell(int ACol, int ARow) {
    return ACol >= 0 && ARow >= 0 && CellTypeInSet(ACol, ARow, {ctDataCheckBox, ctDataImage, ctVirtCheckBox, ctRowCheckBox});
}

// ---------------------------------------------------------------- state

bool TExStringGrid::GetCheckBoxState(int ACol, int ARow, bool& State) {
    const TCellGraphic* g = graphicReal(ACol, ARow);
    if (!g) return false;
    switch (g->CellType) {
    case ctCheckBox: State = g->CellBoolean; return true;
    case ctDataCheckBox:
    case ctVirtCheckBox:
        State = GetCellsEx(ACol, ARow) == checkTextReal(ACol, ARow, true);
        return true;
    case ctRowCheckBox:
        if (ACol != 0) return false;
        State = GetRowSelect(ARow);
        return true;
    default: return false;
    }
}

bool TExStringGrid::GetCheckBoxState(int ACol, int ARow, TCheckBoxState& State) {
    const TCellGraphic* g = graphicReal(ACol, ARow);
    if (!g) return false;
    if (g->CellType == ctTriStateCheckBox) {
        State = g->CellCheckBoxState;
        return true;
    }
    bool b = false;
    if (!GetCheckBoxState(ACol, ARow, b)) return false;
    State = BoolToCheckBoxState(b);
    return true;
}

bool TExStringGrid::SetCheckBoxState(int ACol, int ARow, bool State) {
    TCellGraphic* g = graphicReal(ACol, ARow);
    if (!g) return false;
    switch (g->CellType) {
    case ctCheckBox:
        g->CellBoolean = State;
        if (!IsHiddenRow(ARow)) RepaintCell(DisplColIndex(ACol), DisplRowIndex(ARow));
        return true;
    case ctDataCheckBox:
    case ctVirtCheckBox:
        // The real row's own cell, hidden or not.
        SetCellsEx(ACol, ARow, checkTextReal(ACol, ARow, State));
        return true;
    case ctRowCheckBox:
        if (ACol != 0) return false;
        SetRowSelect(ARow, State);
        return true;
    default: return false;
    }
}

bool TExStringGrid::SetCheckBoxState(int ACol, int ARow, TCheckBoxState State) {
    TCellGraphic* g = graphicReal(ACol, ARow);
    if (!g || g->CellType != ctTriStateCheckBox) return false;
    g->CellCheckBoxState = State;
    if (!IsHiddenRow(ARow)) RepaintCell(DisplColIndex(ACol), DisplRowIndex(ARow));
    return true;
}

bool TExStringGrid::IsChecked(int ACol, int ARow) {
    bool state = false;
    return GetCheckBoxState(ACol, ARow, state) && state;
}

bool TExStringGrid::SetCellChecked(int ACol, int ARow, bool State) {
    if (ACol < 0 || ARow < 0 || ARow >= RowCount()) return false;
    TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g) return false;
    switch (g->CellType) {
    case ctCheckBox:
        if (g->CellBoolean != State) {
            g->CellBoolean = State;
            CheckBoxChange(ACol, ARow, State);
            RepaintCell(DisplColIndex(ACol), ARow);
        }
        return true;
    case ctDataCheckBox:
    case ctVirtCheckBox: {
        QString t, f;
        GetCheckTrue(ACol, ARow, t);
        GetCheckFalse(ACol, ARow, f);
        const bool old = GetCellEx(ACol, ARow) == t;
        SetCellEx(ACol, ARow, State ? t : f);
        if (old != State) CheckBoxChange(ACol, ARow, State);
        return true;
    }
    case ctRowCheckBox: {
        if (ACol != 0) return false;
        const int real = RealRowIndex(ARow);
        if (GetRowSelect(real) != State) {
            SetRowSelect(real, State);
            CheckBoxChange(ACol, ARow, State);
        }
        return true;
    }
    default: return false;
    }
}

void TExStringGrid::CheckAll(int ACol) {
    for (int r = FixedRows(); r < RowCount(); ++r) SetCellChecked(ACol, r, true);
    if (NumHiddenColumns() > 0) RepaintCol(DisplColIndex(ACol));
}

void TExStringGrid::UnCheckAll(int ACol) {
    for (int r = FixedRows(); r < RowCount(); ++r) SetCellChecked(ACol, r, false);
}

bool TExStringGrid::ToggleCellCheck(int ACol, int ARow, bool FromMouse) {
    if (ACol < 0 || ARow < 0 || ARow >= RowCount()) return false;
    TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g || !isCheckKind(g->CellType)) return false;
    const bool autoGroup = Grouping().AutoCheckGroup();
    const bool nodeRow = autoGroup && IsNode(ARow);
    int span = 0, parent = -1;
    if (nodeRow) {
        span = GetNodeSpan(ARow);
    } else if (autoGroup) {
        parent = GetParentRow(ARow);
        if (parent >= 0) span = GetNodeSpan(parent);
    }
    if (FromMouse && !ControlLook().CheckAlwaysActive()) {
        bool allow = true;
        CanEditCell(ACol, ARow, allow);
        if (!allow) return false;
    }
    bool newState = false;
    switch (g->CellType) {
    case ctCheckBox:
        g->CellBoolean = !g->CellBoolean;
        newState = g->CellBoolean;
        break;
    case ctTriStateCheckBox:
        if (nodeRow) {
            g->CellCheckBoxState = g->CellCheckBoxState == cbChecked ? cbUnchecked : cbChecked;
            newState = g->CellCheckBoxState == cbChecked;
        } else {
            g->CellCheckBoxState = g->CellCheckBoxState == cbUnchecked ? cbGrayed
                                   : g->CellCheckBoxState == cbGrayed ? cbChecked
                                                                       : cbUnchecked;
            newState = false;
        }
        break;
    case ctRowCheckBox: {
        // The row box's state is the row's selection, which the other state operations read too.
        if (ACol != 0) return false;
        const int real = RealRowIndex(ARow);
        newState = !GetRowSelect(real);
        SetRowSelect(real, newState);
        break;
    }
    default: {
        QString t, f;
        GetCheckTrue(ACol, ARow, t);
        GetCheckFalse(ACol, ARow, f);
        newState = GetCellEx(ACol, ARow) != t;
        SetCellEx(ACol, ARow, newState ? t : f);
        break;
    }
    }
    RepaintCell(DisplColIndex(ACol), ARow);
    CheckBoxChange(ACol, ARow, newState);
    if (nodeRow) {
        // Contracted or not, the children are the real rows after the node.
        const int base = RealRowIndex(ARow);
        for (int i = 1; i < span; ++i) SetCheckBoxState(ACol, base + i, newState);
    } else if (autoGroup && parent >= 0 && span > 1) {
        const int rp = RealRowIndex(parent);
        bool first = false;
        GetCheckBoxState(ACol, rp + 1, first);
        bool differ = false;
        for (int r = rp + 1; r < rp + span && !differ; ++r) {
            bool s = false;
            GetCheckBoxState(ACol, r, s);
            differ = s != first;
        }
        SetCheckBoxState(ACol, rp, differ ? cbGrayed : BoolToCheckBoxState(first));
    }
    if (TExGridUndoRedo* undo = UndoRedo()) {
        QString t, f;
        GetCheckTrue(ACol, ARow, t);
        GetCheckFalse(ACol, ARow, f);
        // By the new state: a data box keeps it in its text, not in the graphic.
        if (newState)
            undo->RegisterChange(ACol, ARow, f, t);
        else
            undo->RegisterChange(ACol, ARow, t, f);
    }
    return true;
}

void TExStringGrid::CheckBoxChange(int ACol, int ARow, bool State) {
    if (OnCheckBoxChange) OnCheckBoxChange(this, ACol, ARow, State);
}

bool TExStringGrid::RatingChange(int ACol, int ARow, double& NewRate) {
    bool allow = true;
    if (OnRatingChange) OnRatingChange(this, ACol, ARow, NewRate, allow);
    return allow;
}

bool TExStringGrid::IsInCheckBox(int ACol, int ARow, int XPos, int YPos) {
    if (ACol < 0 || ARow < 0) return false;
    const TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g || !(isCheckKind(g->CellType) || g->CellType == ctRadioButton)) return false;
    if (!MouseActions().PreciseCheckBoxCheck()) return true;
    const int S = ControlLook().CheckSize();
    const plat::TRect R = CellRect(DisplColIndex(ACol), ARow);
    const int h = R.Bottom - R.Top, w = R.Right - R.Left;
    int top = R.Top + (h - S) / 2;
    if (g->CellVAlign == vaTop) top = R.Top + 2;
    if (g->CellVAlign == vaBottom) top = R.Bottom - S - 2;
    int left = R.Left + 2;
    switch (GetCellAlignment(ACol, ARow).first) {
    case taRightJustify:
        left = R.Right - S - 2;
        if (!GetCellEx(ACol, ARow).isEmpty()) left -= GetCellTextSize(ACol, ARow, false, false).width();
        break;
    case taCenter: left = R.Left + (w - S) / 2; break;
    default: break;
    }
    return XPos >= left && XPos < left + S && YPos >= top && YPos < top + S;
}

// ---------------------------------------------------------------- radio buttons

void TExStringGrid::AddRadioButton(int ACol, int ARow, bool State) {
    checkBoxCell(ACol, ARow);
    TCellGraphic* g = CreateCellGraphic(ACol, ARow);
    g->CellType = ctRadioButton;
    g->CellBoolean = State;
    g->CellAngle = 0;
    g->CellHAlign = haBeforeText;
    g->CellVAlign = checkVAlign(VAlignment());
    g->CellTransparent = true;
}

bool TExStringGrid::RemoveRadioButton(int ACol, int ARow) { return RemoveCellGraphicOfType(ACol, ARow, ctRadioButton); }

bool TExStringGrid::HasRadioButton(int ACol, int ARow) {
    return ACol >= 0 && ARow >= 0 && CellTypeInSet(ACol, ARow, {ctRadioButton});
}

bool TExStringGrid::IsRadioButtonChecked(int ACol, int ARow) {
    if (ACol < 0 || ARow < 0) return false;
    const plat::TGridCoord b = BaseCell(ACol, ARow);
    const TCellGraphic* g = graphicOfType(b.X, b.Y, ctRadioButton);
    return g && g->CellBoolean;
}

bool TExStringGrid::SetRadioButtonState(int ACol, int ARow, bool State) {
    if (ACol < 0 || ARow < 0) return false;
    const plat::TGridCoord b = BaseCell(ACol, ARow);
    TCellGraphic* g = graphicOfType(b.X, b.Y, ctRadioButton);
    if (!g) return false;
    if (g->CellBoolean != State) {
        g->CellBoolean = State;
        RepaintCell(DisplColIndex(b.X), b.Y);
    }
    return true;
}

void TExStringGrid::AddRadioButtonColumn(int ACol) {
    for (int r = FixedRows(); r < RowCount(); ++r) AddRadioButton(ACol, r, false);
}

void TExStringGrid::RemoveRadioButtonColumn(int ACol) {
    for (int r = FixedRows(); r < RowCount(); ++r) RemoveRadioButton(ACol, r);
}

void TExStringGrid::SetRadioButtonColumnIndex(int ACol, int Index) {
    for (int r = FixedRows(); r < RowCount(); ++r) SetRadioButtonState(ACol, r, r == Index);
}

int TExStringGrid::GetRadioButtonColumnIndex(int ACol) {
    for (int r = FixedRows(); r < RowCount(); ++r)
        if (IsRadioButtonChecked(ACol, r)) return r;
    return -1;
}

bool TExStringGrid::ClickRadioButton(int ACol, int ARow, bool FromMouse) {
    if (ACol < 0 || ARow < 0) return false;
    TCellGraphic* g = graphicOfType(ACol, ARow, ctRadioButton);
    if (!g) return false;
    if (FromMouse && !ControlLook().CheckAlwaysActive()) {
        bool allow = true;
        CanEditCell(ACol, ARow, allow);
        if (!allow) return false;
    }
    if (!g->CellBoolean) {
        g->CellBoolean = true;
        RepaintCell(DisplColIndex(ACol), ARow);
        for (int r = 0; r < RowCount(); ++r) {
            if (r == ARow) continue;
            TCellGraphic* o = graphicOfType(ACol, r, ctRadioButton);
            if (o && o->CellBoolean) {
                o->CellBoolean = false;
                RepaintCell(DisplColIndex(ACol), r);
            }
        }
    }
    return true;
}

// ---------------------------------------------------------------- radio groups

void TExStringGrid::AddRadio(int ACol, int ARow, int DirRadio, int IdxRadio, const QStringList& sl) {
    TCellGraphic* g = CreateCellGraphic(ACol, ARow);
    g->CellType = ctRadio;
    g->CellAngle = int32_t(sl.size());
    g->CellBoolean = DirRadio != 0;
    g->CellIndex = IdxRadio;
    g->CellStrings = new QStringList(sl);
}

QStringList* TExStringGrid::CreateRadio(int ACol, int ARow, int DirRadio, int IdxRadio) {
    TCellGraphic* g = CreateCellGraphic(ACol, ARow);
    g->CellType = ctRadio;
    g->CellAngle = 0;
    g->CellBoolean = DirRadio != 0;
    g->CellIndex = IdxRadio;
    g->CellCreated = true;
    g->CellStrings = new QStringList;
    return g->CellStrings;
}

bool TExStringGrid::GetRadioIdx(int ACol, int ARow, int& IdxRadio) {
    const TCellGraphic* g = ACol >= 0 && ARow >= 0 ? GetCellGraphic(ACol, ARow) : nullptr;
    if (!g) return false;
    IdxRadio = g->CellIndex;
    return g->CellType == ctRadio;
}

bool TExStringGrid::SetRadioIdx(int ACol, int ARow, int IdxRadio) {
    TCellGraphic* g = ACol >= 0 && ARow >= 0 ? GetCellGraphic(ACol, ARow) : nullptr;
    // Another kind keeps other numbers in CellIndex: only a radio group takes the index.
    if (!g || g->CellType != ctRadio) return false;
    g->CellIndex = IdxRadio;
    if (IdxRadio == -1) SetCellEx(ACol, ARow, QString());
    RepaintCell(DisplColIndex(ACol), ARow);
    return true;
}

QStringList* TExStringGrid::GetRadioStrings(int ACol, int ARow) {
    if (ACol < 0 || ARow < 0) return nullptr;
    const plat::TGridCoord b = BaseCell(ACol, ARow);
    TCellGraphic* g = graphicOfType(b.X, b.Y, ctRadio);
    return g ? g->CellStrings : nullptr;
}

bool TExStringGrid::IsRadio(int ACol, int ARow) { return ACol >= 0 && ARow >= 0 && CellTypeInSet(ACol, ARow, {ctRadio}); }

bool TExStringGrid::RemoveRadio(int ACol, int ARow) { return RemoveCellGraphicOfType(ACol, ARow, ctRadio); }

bool TExStringGrid::CycleCellRadio(TExStringGrid* Grid, int ACol, int ARow, bool FromMouse) {
    TExStringGrid& grid = Grid ? *Grid : *this;
    if (ACol < 0 || ARow < 0) return false;
    TCellGraphic* g = grid.graphicOfType(ACol, ARow, ctRadio);
    if (!g) return false;
    if (FromMouse && !grid.ControlLook().RadioAlwaysActive()) {
        bool allow = true;
        grid.CanEditCell(ACol, ARow, allow);
        if (!allow) return false;
    }
    const QStringList options = g->CellStrings ? *g->CellStrings : QStringList();
    int next = g->CellIndex >= 0 ? g->CellIndex + 1 : int(options.indexOf(grid.GetCellEx(ACol, ARow))) + 1;
    if (next >= options.size()) next = 0;
    if (g->CellIndex >= -1) g->CellIndex = next;
    g->CellVar = next;
    grid.SetCellEx(ACol, ARow, options.value(next));
    return true;
}
