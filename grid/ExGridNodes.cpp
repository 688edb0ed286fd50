// Nodes: rows that own the span below them, contracted into the hidden-row store and expanded
// back; and the row insertions and removals that keep hidden rows' indexes in step.
#include "grid/ExGrid.h"

#include <QStyle>
#include <algorithm>

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
    std::vector<plat::TGridStore::TRowRecord> records(static_cast<size_t>(ACount));
    InsertRowRecords(ARow, std::move(records), std::vector<int>(size_t(ACount), DefaultRowHeight()));
    for (TIntList* marks : {FModifiedRows.get(), FEnabledRows.get()})
        if (ARow < marks->Count())
            for (int i = 0; i < ACount; ++i) marks->Insert(ARow, 0);
    if (ShiftControls) CellControlsUpdate(false);
    SetNormalRowCount(RowCount());
    RepaintGrid();
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

void TExStringGrid::RemoveDisplayRows(int ARow, int ACount, bool Shift) {
    if (ARow < 0 || ARow >= RowCount() || ACount <= 0) return;
    int n = std::min(ACount, RowCount() - ARow);
    if (n == RowCount()) --n;  // the grid keeps one row
    if (n <= 0) return;
    std::vector<int> gone;
    if (Shift) {
        gone.resize(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) gone[size_t(i)] = RealRowIndex(ARow + i);
    }
    std::vector<int> heights;
    TakeRowRecords(ARow, n, heights);  // the records and their cell properties go here
    for (TIntList* marks : {FModifiedRows.get(), FEnabledRows.get()})
        for (int i = std::min(marks->Count(), ARow + n) - 1; i >= ARow; --i) marks->Delete(i);
    if (Shift) {
        shiftHiddenUp(gone);
        CellControlsUpdate(false);
    }
    SetNormalRowCount(RowCount());
    RepaintGrid();
}

void TExStringGrid::InsertRows(int ARow, int ACount) {
    if (ACount <= 0) return;
    ARow = std::clamp(ARow, 0, RowCount());
    shiftHidden(RealRowIndex(ARow), ACount);
    InsertDisplayRows(ARow, ACount, true);
}

void TExStringGrid::RemoveRows(int ARow, int ACount) { RemoveRowsInternal(ARow, ACount); }

void TExStringGrid::RemoveRowsInternal(int ARow, int ACount) { RemoveDisplayRows(ARow, ACount, true); }

void TExStringGrid::ClearRows(int ARow, int ACount) {
    const int last = std::min(ARow + ACount, RowCount());
    for (int r = std::max(ARow, 0); r < last; ++r)
        for (int c = 0; c < TotalColCount(); ++c)
            if (!Cells(c, r).isEmpty()) SetCells(c, r, QString());
}

void TExStringGrid::hideDisplayRows(const std::vector<int>& Rows) {
    if (Rows.empty()) return;
    std::vector<int> reals(Rows.size());
    for (size_t i = 0; i < Rows.size(); ++i) reals[i] = RealRowIndex(Rows[i]);
    std::vector<int> heights;
    auto records = TakeRowRecordList(Rows, heights);
    keepHidden(std::move(records), heights, reals, reals, false, 0);
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
