// Nodes: rows that own the span below them, contracted into the hidden-row store and expanded
// back; and the row insertions and removals that keep hidden rows' indexes in step.
#include "grid/ExGrid.h"

#include <QStyle>
#include <algorithm>
#include <numeric>

// ---------------------------------------------------------------- rows

void TExStringGrid::shiftHidden(int FromReal, int Delta) {
    if (FGridItems.Count() == 0) return;
    for (int i = 0; i < FGridItems.Count(); ++i) {
        TGridItem& item = FGridItems.Items(i);
        if (item.RealIdx >= FromReal) {
            item.RealIdx += Delta;
            item.Idx += Delta;
        }
    }
    // The index stays sorted: every entry from the first shifted one moves by the same amount.
    for (int& h : FHiddenIdx)
        if (h >= FromReal) h += Delta;
    FHiddenUniqueValid = false;
}

void TExStringGrid::InsertDisplayRows(int ARow, int ACount, bool ShiftControls) {
    if (ACount <= 0) return;
    ARow = std::clamp(ARow, 0, RowCount());
    // A shown footer row stays the last row.
    if (FFloatingFooter->Visible() && ARow == RowCount() && RowCount() > 1) --ARow;
    if (FSelHidden || Col() >= ColCount() || Row() >= RowCount()) UnHideSelection();
    const int realAt = ARow < RowCount() ? RealRowIndex(ARow) : TotalRowCount();
    std::vector<plat::TGridStore::TRowRecord> records(static_cast<size_t>(ACount));
    InsertRowRecords(ARow, std::move(records), std::vector<int>(size_t(ACount), DefaultRowHeight()));
    for (TIntList* marks : {FModifiedRows.get(), FEnabledRows.get()})
        if (ARow < marks->Count())
            for (int i = 0; i < ACount; ++i) marks->Insert(ARow, 0);
    if (ShiftControls && FControlList->Count() > 0) {
        shiftControls(realAt, ACount);
        CellControlsUpdate(false);
    }
    SetNormalRowCount(RowCount());
    RepaintGrid();
    if (!IsDestroying()) CellsChanged({0, ARow, ColCount() - 1, ARow + ACount});
}

void TExStringGrid::shiftHiddenUp(const std::vector<int>& Gone) {
    auto below = [&](int real) { return int(std::lower_bound(Gone.begin(), Gone.end(), real) - Gone.begin()); };
    for (int i = 0; i < FGridItems.Count(); ++i) {
        TGridItem& item = FGridItems.Items(i);
        const int d = below(item.RealIdx);
        item.RealIdx -= d;
        item.Idx -= d;
    }
    for (int& h : FHiddenIdx) h -= below(h);
    FHiddenUniqueValid = false;
}

void TExStringGrid::shiftControls(int FromReal, int Delta) {
    for (int i = 0; i < FControlList->Count(); ++i) {
        TControlItem* item = FControlList->Control(i);
        if (item->Y() >= FromReal) item->SetY(item->Y() + Delta);
    }
}

void TExStringGrid::dropControlRows(const std::vector<int>& GoneReal) {
    for (int i = FControlList->Count() - 1; i >= 0; --i) {
        TControlItem* item = FControlList->Control(i);
        const auto at = std::lower_bound(GoneReal.begin(), GoneReal.end(), item->Y());
        if (at != GoneReal.end() && *at == item->Y()) {
            if (auto* w = qobject_cast<QWidget*>(item->Control())) w->hide();
            FControlList->RemoveControl(i);
        } else {
            item->SetY(item->Y() - int(at - GoneReal.begin()));
        }
    }
}

// Entries of a per-row list at the removed indexes go, the values of the others (row numbers)
// move up by the removed ones before them.
void TExStringGrid::dropRowNumbers(TIntList& List, const std::vector<int>& Gone) {
    std::vector<int> drop;
    for (int i = 0; i < List.Count(); ++i) {
        const int v = List.Items(i);
        const auto at = std::lower_bound(Gone.begin(), Gone.end(), v);
        if (at != Gone.end() && *at == v)
            drop.push_back(i);
        else if (at != Gone.begin())
            List.SetInteger(i, v - int(at - Gone.begin()));
    }
    List.DeleteIndexes(drop);
}

void TExStringGrid::dropFlags(std::vector<bool>& Flags, const std::vector<int>& Gone) {
    size_t out = 0, k = 0;
    for (size_t i = 0; i < Flags.size(); ++i) {
        if (k < Gone.size() && size_t(Gone[k]) == i) {
            ++k;
            continue;
        }
        Flags[out++] = Flags[i];
    }
    Flags.resize(out);
}

int TExStringGrid::removeRowList(std::vector<int> Rows) {
    const int old = RowCount();
    while (!Rows.empty() && Rows.back() >= old) Rows.pop_back();
    if (Rows.empty()) return old;
    // The grid keeps one row: the last one asked for stays, emptied.
    int keep = -1;
    if (int(Rows.size()) >= old) {
        keep = Rows.back();
        Rows.pop_back();
    }
    if (EditorMode()) HideEditor();
    const int n = int(Rows.size());
    std::vector<int> reals(Rows.size());
    for (size_t i = 0; i < Rows.size(); ++i) reals[i] = RealRowIndex(Rows[i]);
    const int savedRow = Row(), savedTop = TopRow(), savedFixed = FixedRows();
    const bool saveEntered = FEntered;
    FEntered = false;
    BeginUpdate();
    if (keep >= 0) ClearRows(keep, 1);
    for (TIntList* marks : {FModifiedRows.get(), FEnabledRows.get()}) marks->DeleteIndexes(Rows);
    if (FMouseActions->DisjunctRowSelect()) {
        const std::vector<int>& byIndex = FMouseActions->RowSelectPersistent() ? reals : Rows;
        dropFlags(FRowSelect, byIndex);
        dropRowNumbers(*FSelectedRows, byIndex);
    }
    dropControlRows(reals);
    shiftHiddenUp(reals);
    std::vector<int> heights;
    // The records go with their texts, cell properties and graphics.
    if (Rows.back() - Rows.front() + 1 == n)
        TakeRowRecords(Rows.front(), n, heights);
    else
        TakeRowRecordList(Rows, heights);
    FMaxRowCount = std::max(0, FMaxRowCount - n);
    SetNormalRowCount(RowCount());
    const int limit = RowCount() - FFixedFooters;
    if (savedRow < limit) {
        if (!FMouseActions->DisjunctRowSelect()) SetRow(savedRow);
        SetTopRow(savedTop);
        FSelHidden = false;
    } else if (savedFixed < limit) {
        SetRow(limit - 1);
        FSelHidden = false;
    } else {
        // No normal row is left (the platform lowered the fixed rows to what stayed).
        HideSelection();
    }
    EndUpdate();
    FEntered = saveEntered;
    const int k = RowCount() + FixedRows() - VisibleRowCount() - 2;
    if (TopRow() >= k && RowCount() - VisibleRowCount() - 1 > 0) SetTopRow(k);
    if (FControlList->Count() > 0) CellControlsUpdate(false);
    if (FSearchFooter->Visible() && FSearchPanel) FSearchPanel->update();
    return old;
}

void TExStringGrid::RemoveDisplayRows(int ARow, int ACount, bool Shift) {
    if (ARow < 0 || ARow >= RowCount() || ACount <= 0) return;
    int n = std::min(ACount, RowCount() - ARow);
    if (Shift) {
        std::vector<int> rows(static_cast<size_t>(n));
        std::iota(rows.begin(), rows.end(), ARow);
        removeRowList(std::move(rows));
        CellsChanged({0, ARow, ColCount() - 1, ARow + n});
        return;
    }
    if (n == RowCount()) --n;  // the grid keeps one row
    if (n <= 0) return;
    std::vector<int> heights;
    TakeRowRecords(ARow, n, heights);  // the records and their cell properties go here
    for (TIntList* marks : {FModifiedRows.get(), FEnabledRows.get()})
        for (int i = std::min(marks->Count(), ARow + n) - 1; i >= ARow; --i) marks->Delete(i);
    SetNormalRowCount(RowCount());
    if (FControlList->Count() > 0) CellControlsUpdate(false);
    RepaintGrid();
    CellsChanged({0, ARow, ColCount() - 1, ARow + n});
}

void TExStringGrid::InsertRows(int ARow, int ACount, bool UpdateCellControls) {
    if (ACount <= 0) return;
    ARow = std::clamp(ARow, 0, RowCount());
    shiftHidden(ARow < RowCount() ? RealRowIndex(ARow) : TotalRowCount(), ACount);
    InsertDisplayRows(ARow, ACount, UpdateCellControls);
}

void TExStringGrid::RemoveRows(int ARow, int ACount) {
    if (ARow < 0 || ARow >= RowCount() || ACount <= 0) return;
    const int n = std::min(ACount, RowCount() - ARow);
    std::vector<int> rows(static_cast<size_t>(n));
    std::iota(rows.begin(), rows.end(), ARow);
    removeRowList(std::move(rows));
    CellsChanged({0, ARow, ColCount() - 1, ARow + n});
}

void TExStringGrid::RemoveRowsEx(int ARow, int ACount) {
    if (ARow < 0 || ARow >= RowCount() || ACount <= 0) return;
    const int n = std::min(ACount, RowCount() - ARow - (ARow == 0 ? 1 : 0));
    if (n <= 0) return;
    if (EditorMode()) HideEditor();
    const int savedRow = Row(), savedTop = TopRow();
    // Heights stay with their places, not with the rows.
    std::vector<int> kept;
    for (int r = ARow; r < RowCount() - n; ++r) kept.push_back(RowHeights(r));
    std::vector<int> reals(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) reals[size_t(i)] = RealRowIndex(ARow + i);
    BeginUpdate();
    if (FMouseActions->DisjunctRowSelect()) {
        std::vector<int> rows(static_cast<size_t>(n));
        std::iota(rows.begin(), rows.end(), ARow);
        const std::vector<int>& byIndex = FMouseActions->RowSelectPersistent() ? reals : rows;
        dropFlags(FRowSelect, byIndex);
        dropRowNumbers(*FSelectedRows, byIndex);
    }
    std::vector<int> heights;
    TakeRowRecords(ARow, n, heights);
    for (size_t i = 0; i < kept.size(); ++i)
        if (RowHeights(ARow + int(i)) != kept[i]) SetRowHeights(ARow + int(i), kept[i]);
    FMaxRowCount = std::max(0, FMaxRowCount - n);
    SetNormalRowCount(RowCount());
    if (savedRow < RowCount()) {
        SetRow(savedRow);
        SetTopRow(savedTop);
    } else if (FixedRows() < RowCount()) {
        SetRow(FixedRows());
        SetTopRow(FixedRows());
    }
    EndUpdate();
    dropControlRows(reals);
    shiftHiddenUp(reals);
    if (FControlList->Count() > 0) CellControlsUpdate(false);
    CellsChanged({0, ARow, ColCount() - 1, ARow + n});
}

void TExStringGrid::RemoveRowsInternal(int ARow, int ACount) { RemoveDisplayRows(ARow, ACount, true); }

void TExStringGrid::AddRow() {
    if (FFloatingFooter->Visible()) {
        InsertRows(RowCount() - 1, 1, true);
        if (FFloatingFooter->FooterStyle() == fsFixedLastRow) ClearRows(RowCount() - 2, 1);
    } else {
        InsertRows(RowCount(), 1, true);
        ClearRows(RowCount() - 1, 1);
    }
}

void TExStringGrid::hideDisplayRows(const std::vector<int>& Rows) {
    if (Rows.empty()) return;
    std::vector<int> reals(Rows.size());
    for (size_t i = 0; i < Rows.size(); ++i) reals[i] = RealRowIndex(Rows[i]);
    std::vector<int> heights;
    auto records = TakeRowRecordList(Rows, heights);
    keepHidden(std::move(records), heights, reals, reals, false, 0);
    // The display-row marks go with their rows; the controls keep their real rows and hide.
    for (TIntList* marks : {FModifiedRows.get(), FEnabledRows.get()}) marks->DeleteIndexes(Rows);
    if (FControlList->Count() > 0) CellControlsUpdate(false);
    RepaintGrid();
}

// ---------------------------------------------------------------- node records

TCellGraphic* TExStringGrid::nodeAt(int ADisplRow) {
    if (ADisplRow < 0 || ADisplRow >= RowCount()) return nullptr;
    return graphicOfType(0, ADisplRow, ctNode);
}

int TExStringGrid::spanEnd(int ADisplRow, int Span) {
    if (Span > 0) return std::min(ADisplRow + Span, RowCount());
    int e = ADisplRow + 1;
    while (e < RowCount() && !nodeAt(e)) ++e;
    return e;
}

void TExStringGrid::changeLevels(int From, int Count, int Delta) {
    const int last = std::min(From + Count, RowCount());
    const plat::TGridStore& store = Store();
    for (int r = std::max(From, 0); r < last; ++r) {
        // The rows' cell properties lie wherever they were made, not in row order: asking for
        // them ahead lets their misses overlap.
        store.PrefetchObjects(r + 16);
        store.PrefetchObject(0, r + 8);
        if (Delta < 0 && !CellHasProperties(0, r)) continue;
        TCellProperties* p = GetCellProperties(0, r);
        p->SetNodeLevel(std::max(0, p->NodeLevel() + Delta));
    }
}

bool TExStringGrid::GetNodeState(int ARow) {
    const TCellGraphic* g = nodeAt(ARow);
    return g && g->CellBoolean;
}

void TExStringGrid::SetNodeState(int ARow, bool Value) {
    if (!nodeAt(ARow) || GetNodeState(ARow) == Value) return;
    if (Value)
        ContractNode(RealRowIndex(ARow));
    else
        ExpandNode(RealRowIndex(ARow));
}

int TExStringGrid::GetNodeLevel(int ARow) { return nodeAt(ARow) ? GridObjects(0, ARow)->NodeLevel() : -1; }

int TExStringGrid::GetNodeSpan(int ARow) {
    const TCellGraphic* g = nodeAt(ARow);
    return g ? g->CellIndex : -1;
}

void TExStringGrid::SetNodeSpan(int ARow, int Span) {
    if (TCellGraphic* g = nodeAt(ARow)) g->CellIndex = Span;
}

void TExStringGrid::UpdateNodeSpan(int ARow, int Delta) {
    if (TCellGraphic* g = nodeAt(ARow)) g->CellIndex += Delta;
}

int TExStringGrid::GetSubNodeCount(int ARow) {
    const TCellGraphic* g = nodeAt(ARow);
    return g ? g->CellErrFrom : 0;
}

void TExStringGrid::UpdateSubNodeCount(int ARow, int Delta) {
    if (TCellGraphic* g = nodeAt(ARow)) g->CellErrFrom += Delta;
}

// ---------------------------------------------------------------- adding and removing

void TExStringGrid::AddNode(int ARow, int Span) {
    const int d = DisplRowIndex(ARow);
    TCellGraphic* g = CreateCellGraphic(0, d);
    g->CellType = ctNode;
    g->CellAngle = d;
    g->CellBoolean = false;
    g->CellIndex = Span;
    g->CellHAlign = haBeforeText;
    g->CellVAlign = vaCenter;
    g->CellErrFrom = 0;
    g->CellVar = -1;
    changeLevels(d, Span, +1);
    if (FNodeCount == 0) RepaintCol(0);
    ++FNodeCount;
    if (Col() == 0) FocusCell(1, Row());
}

void TExStringGrid::RemoveNode(int ARow) {
    expandCore(ARow);
    const int d = DisplRowIndex(ARow);
    if (!nodeAt(d)) return;  // no node: nothing to lower, the count stays
    changeLevels(d, GetNodeSpan(d), -1);
    RemoveCellGraphicOfType(0, d, ctNode);
    FNodeCount = std::max(0, FNodeCount - 1);
}

void TExStringGrid::RemoveAllNodes() {
    for (int r = 0; r < RowCount(); ++r) {
        if (!nodeAt(r)) continue;
        // Only this node opens: a one-open-node setting must not close the ones still to come.
        expandCore(RealRowIndex(r));
        changeLevels(r, GetNodeSpan(r), -1);
        RemoveCellGraphicOfType(0, r, ctNode);
        FNodeCount = std::max(0, FNodeCount - 1);
    }
    RepaintGrid();
}

void TExStringGrid::AddSummary(int ARow) { CreateCellGraphic(0, DisplRowIndex(ARow))->CellType = ctSummary; }

// ---------------------------------------------------------------- expanding and contracting

void TExStringGrid::expandCore(int ARealRow) {
    const int d = DisplRowIndex(ARealRow);
    TCellGraphic* g = nodeAt(d);
    if (!g || !g->CellBoolean) return;
    g->CellBoolean = false;
    const int end = g->CellIndex == 0 ? spanEnd(d, 0) : d + 1;
    const int from = RealRowIndex(d) + 1;
    const int to = (end < RowCount() ? RealRowIndex(end) : TotalRowCount()) - 1;
    const int top = TopRow(), row = Row();
    const bool disjunct = MouseActions().DisjunctRowSelect();
    MouseActions().SetDisjunctRowSelectDirect(false);
    plat::TGridOptions opts = Options();
    const bool rowSelect = opts.contains(plat::goRowSelect);
    if (rowSelect) {
        opts.exclude(plat::goRowSelect);
        SetOptions(opts);
    }
    BeginUpdate();
    if (from <= to) UnHideRows(from, to);
    EndUpdate();
    MouseActions().SetDisjunctRowSelectDirect(disjunct);
    if (rowSelect) {
        opts.include(plat::goRowSelect);
        SetOptions(opts);
        if (row < RowCount()) SetRow(row);
        SetTopRow(std::min(top, RowCount() - 1));
    }
    CalcFooter(-1);
}

void TExStringGrid::ExpandNode(int ARow) {
    if (FCellNode->ExpandOne()) {
        const int n = RowCount();
        for (int r = FixedRows(); r < n && r < RowCount(); ++r) {
            const TCellGraphic* g = nodeAt(r);
            if (g && !g->CellBoolean && RealRowIndex(r) != ARow) ContractNode(RealRowIndex(r));
        }
    }
    expandCore(ARow);
}

void TExStringGrid::ContractNode(int ARow) {
    if (EditorMode()) HideEditor();
    const int d = DisplRowIndex(ARow);
    TCellGraphic* g = nodeAt(d);
    if (!g || g->CellBoolean) return;
    g->CellBoolean = true;
    const int first = d + 1;
    int end = spanEnd(d, g->CellIndex);
    int r = first;
    while (r < end) {
        TCellGraphic* nested = nodeAt(r);
        if (nested && nested->CellBoolean) {
            // The nested node comes out expanded, hidden with its parent, so that expanding the
            // parent shows all its rows.
            nested->CellBoolean = false;
            if (CellHasProperties(1, r + 1) && r + 1 < RowCount())
                if (QWidget* c = GridObjects(1, r + 1)->Control()) c->setVisible(false);
            const int nestedSpan = nested->CellIndex;
            HideRows(RealRowIndex(first), RealRowIndex(r));
            end -= (r - first + 1) + (nestedSpan - 1);
            r = first;
        } else {
            ++r;
        }
    }
    if (r - 1 >= first) HideRows(RealRowIndex(first), RealRowIndex(r - 1));
    CalcFooter(-1);
}

void TExStringGrid::ExpandAll() {
    BeginUpdate();
    // Each pass opens every contracted node on show in one restore; nodes that came back
    // contracted with their rows open in the next pass.
    for (;;) {
        std::vector<std::pair<int, int>> ranges;  // real rows to show, ascending
        for (int d = FixedRows(); d < RowCount(); ++d) {
            TCellGraphic* g = nodeAt(d);
            if (!g || !g->CellBoolean) continue;
            g->CellBoolean = false;
            const int end = g->CellIndex == 0 ? spanEnd(d, 0) : d + 1;
            const int from = RealRowIndex(d) + 1;
            const int to = (end < RowCount() ? RealRowIndex(end) : TotalRowCount()) - 1;
            if (from <= to) ranges.emplace_back(from, to);
        }
        if (ranges.empty()) break;
        restoreItems([&](const TGridItem& item) {
            auto it = std::upper_bound(ranges.begin(), ranges.end(), item.RealIdx,
                                       [](int v, const std::pair<int, int>& rg) { return v < rg.first; });
            return it != ranges.begin() && item.RealIdx <= std::prev(it)->second;
        });
    }
    EndUpdate();
    CalcFooter(-1);
}

void TExStringGrid::ContractAll() {
    BeginUpdate();
    ExpandAll();
    std::vector<int> rows;
    int d = FixedRows();
    while (d < RowCount()) {
        TCellGraphic* g = nodeAt(d);
        if (!g) {
            ++d;
            continue;
        }
        g->CellBoolean = true;
        // Nested nodes inside stay expanded and go hidden with their parent.
        const int end = std::max(spanEnd(d, g->CellIndex), d + 1);
        for (int r = d + 1; r < end; ++r) rows.push_back(r);
        d = end;
    }
    hideDisplayRows(rows);
    EndUpdate();
    CalcFooter(-1);
}

// ---------------------------------------------------------------- structure queries

int TExStringGrid::GetParentRow(int ARow) {
    if (!HasNodes()) return -1;
    int limit = 65535, fallback = -1;
    if (IsNode(ARow)) {
        limit = GetNodeLevel(ARow);
        fallback = ARow;
    }
    int hidden = 0;
    for (int r = ARow; r >= FixedRows(); --r) {
        const TCellGraphic* g = nodeAt(r);
        if (!g || GetNodeLevel(r) >= limit) continue;
        if (g->CellBoolean) hidden += g->CellIndex - 1;
        if (ARow < r + g->CellIndex - hidden) return r;
    }
    return fallback;
}

int TExStringGrid::GetNodeSpanType(int ARow) {
    if (IsNode(ARow)) return 0;
    if (ARow >= RowCount() - FixedFooters() - 1 || !CellHasProperties(0, ARow + 1)) return 1;
    const int level = CellHasProperties(0, ARow) ? GridObjects(0, ARow)->NodeLevel() : 0;
    return GridObjects(0, ARow + 1)->NodeLevel() < level ? 1 : 2;
}

bool TExStringGrid::IsInNodeGlyph(int ARow, int X) {
    if (!MouseActions().PreciseNodeClick()) return true;
    const int l = GetNodeLevel(ARow), i = FCellNode->NodeIndent();
    int w = 4, gap = 4;
    switch (FCellNode->NodeType()) {
    case cnFlat:
    case cnXP: w = 4; gap = 4; break;
    case cn3D: w = 6; gap = 0; break;
    case cnLeaf: w = 8; gap = 2; break;
    case cnGlyph: {
        const bool empty = FCellNode->ExpandGlyph().Empty();
        w = empty ? 0 : FCellNode->ExpandGlyph().Width() / 2;
        gap = empty ? 0 : 2;
        break;
    }
    }
    if (layoutDirection() == Qt::RightToLeft) {
        const int v = VisibleRowCount() < RowCount() - FixedRows() ? style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
        return width() - l * i - w - 2 <= X + v && X + v < width() - (l - 1) * i;
    }
    return gap + (l - 1) * i < X && X < w + l * i;
}

int TExStringGrid::RowIndent(int ARow) const {
    if (!HasNodes() || ARow < 0 || !CellHasProperties(0, ARow)) return 0;
    return GridObjects(0, ARow)->NodeLevel() * FCellNode->NodeIndent();
}

// ---------------------------------------------------------------- rows in and out of nodes

void TExStringGrid::InsertNormalRow(int ARow) { InsertRows(DisplRowIndex(ARow), 1); }

void TExStringGrid::RemoveNormalRow(int ARow) {
    RemoveRows(ARow, 1);
    FMaxRowCount = std::max(0, FMaxRowCount - 1);
}

void TExStringGrid::InsertChildRow(int ARow, int InsertAt) {
    int d = DisplRowIndex(ARow);
    const int parent = GetParentRow(d);
    int parentLevel = 0;
    if (parent != -1) {
        UpdateNodeSpan(parent, 1);
        UpdateSubNodeCount(parent, 1);
        ExpandNode(RealRowIndex(parent));
        parentLevel = GetNodeLevel(parent);
        int level = parentLevel, look = parent;
        while (level > 1 && look >= FixedRows()) {
            const int up = GetParentRow(look);
            if (up == -1 || up == look || GetNodeLevel(up) >= level) break;
            UpdateNodeSpan(up, 1);
            UpdateSubNodeCount(up, 1);
            ExpandNode(RealRowIndex(up));
            level = GetNodeLevel(up);
            look = up;
        }
        d = DisplRowIndex(ARow);
    }
    int pos;
    if (IsNode(d) && InsertAt == 0) {
        // The node row's content moves into the new first child; the node keeps its graphic.
        pos = d + 1;
        InsertRows(pos, 1);
        for (int c = 0; c < TotalColCount(); ++c) {
            SetCells(c, pos, Cells(c, d));
            SetCells(c, d, QString());
        }
        for (int c = 1; c < TotalColCount(); ++c)
            if (GridObjects(c, d)) SetGridObject(c, pos, SetGridObject(c, d, nullptr));
    } else {
        pos = d + InsertAt;
        InsertRows(pos, 1);
    }
    if (parent != -1) GetCellProperties(0, pos)->SetNodeLevel(parentLevel);
}

void TExStringGrid::RemoveChildRow(int ARow) {
    const int d = DisplRowIndex(ARow);
    int parent = GetParentRow(d);
    if (parent != -1) {
        const int level = GetNodeLevel(parent);
        if (GetNodeSpan(parent) > 1) {
            UpdateNodeSpan(parent, -1);
            UpdateSubNodeCount(parent, -1);
        }
        for (;;) {
            ExpandNode(RealRowIndex(parent));
            if (GetNodeLevel(parent) <= 1) break;
            const int up = GetParentRow(parent);
            if (up == -1 || up == parent || GetNodeLevel(up) >= level) break;
            if (GetNodeSpan(up) > 1) {
                UpdateNodeSpan(up, -1);
                UpdateSubNodeCount(up, -1);
            }
            parent = up;
        }
    }
    RemoveRowsInternal(DisplRowIndex(ARow), 1);
    FMaxRowCount = std::max(0, FMaxRowCount - 1);
}
