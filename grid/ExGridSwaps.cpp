// Two columns or rows exchanged with everything attached to them, the row exchange of sorting, the
// selection test, the column order by initial index, the automatic range of cell scroll bars and
// the look's gradient colours.
#include "grid/ExGrid.h"

#include <algorithm>

// ---------------------------------------------------------------- swaps

void TExStringGrid::swapControls(bool Cols, int A, int B) {
    for (int i = 0; i < FControlList->Count(); ++i) {
        TControlItem* item = FControlList->Control(i);
        const int v = Cols ? item->X() : item->Y();
        const int to = v == A ? B : v == B ? A : v;
        if (to == v) continue;
        if (Cols)
            item->SetX(to);
        else
            item->SetY(to);
    }
}

void TExStringGrid::SwapColumns(int ACol1, int ACol2) {
    if (ACol1 == ACol2 || ACol1 < 0 || ACol2 < 0 || ACol1 >= ColCount() || ACol2 >= ColCount()) return;
    if (EditorMode()) HideEditor();
    const int a = RealColIndex(ACol1), b = RealColIndex(ACol2);
    // Each row's two cells exchange their texts and properties; rows kept aside too, so they
    // come back in the same order of columns.
    for (int r = 0; r < RowCount(); ++r) SwapCells({a, r}, {b, r});
    for (int i = 0; i < FGridItems.Count(); ++i) FGridItems.Items(i).Record().SwapColumns(a, b);
    const int w = ColWidths(ACol1);
    SetColWidths(ACol1, ColWidths(ACol2));
    SetColWidths(ACol2, w);
    if (FSortSettings->Column() == a)
        FSortSettings->SetColumn(b);
    else if (FSortSettings->Column() == b)
        FSortSettings->SetColumn(a);
    swapControls(true, a, b);
    CellControlsUpdate(false);
    RepaintGrid();
}

void TExStringGrid::SwapRows(int ARow1, int ARow2) {
    if (ARow1 == ARow2 || ARow1 < 0 || ARow2 < 0 || ARow1 >= RowCount() || ARow2 >= RowCount()) return;
    if (EditorMode()) HideEditor();
    SwapRowRecords(ARow1, ARow2);
    swapControls(false, RealRowIndex(ARow1), RealRowIndex(ARow2));
    CellControlsUpdate(false);
}

void TExStringGrid::SortSwapRows(int ARow1, int ARow2) {
    ++FSortSwaps;
    if (ARow1 == ARow2 || ARow1 < 0 || ARow2 < 0 || ARow1 >= RowCount() || ARow2 >= RowCount()) return;
    TIntList& xref = *FSortRowXRef;
    if (ARow1 < xref.Count() && ARow2 < xref.Count()) {
        const int v = xref.Items(ARow1);
        xref.SetInteger(ARow1, xref.Items(ARow2));
        xref.SetInteger(ARow2, v);
    }
    if (FSortSettings->SingleColumn()) {
        const int col = FSortSettings->Column();
        const QString t = GetCellEx(col, ARow1);
        SetCellEx(col, ARow1, GetCellEx(col, ARow2));
        SetCellEx(col, ARow2, t);
        const uintptr_t o = GetObjectEx(col, ARow1);
        SetObjectEx(col, ARow1, GetObjectEx(col, ARow2));
        SetObjectEx(col, ARow2, o);
        return;
    }
    SwapRowRecords(ARow1, ARow2);
    if (FMouseActions->DisjunctRowSelect() && FNavigation->MoveRowOnSort()) {
        const int a = NumHiddenRows() > 0 ? RealRowIndex(ARow1) : ARow1;
        const int b = NumHiddenRows() > 0 ? RealRowIndex(ARow2) : ARow2;
        const bool sa = GetRowSelect(a), sb = GetRowSelect(b);
        if (sa != sb) {
            SetRowSelect(a, sb);
            SetRowSelect(b, sa);
        }
    }
    if (FShowModified->Enabled()) {
        const bool ma = GetRowModified(ARow1), mb = GetRowModified(ARow2);
        if (ma != mb) {
            SetRowModified(ARow1, mb);
            SetRowModified(ARow2, ma);
        }
    }
    if (FLastSortRow == ARow1)
        FLastSortRow = ARow2;
    else if (FLastSortRow == ARow2)
        FLastSortRow = ARow1;
    if (FControlList->Count() > 0) {
        swapControls(false, RealRowIndex(ARow1), RealRowIndex(ARow2));
        CellControlsUpdate(false);
    }
}

// ---------------------------------------------------------------- selection test

bool TExStringGrid::IsSelected(int ACol, int ARow) {
    if (ARow < FixedRows() || ACol < FixedCols()) return false;
    if (FMouseActions->DisjunctCellSelect()) return IsSelectedCell(ACol, ARow);
    if (FMouseActions->DisjunctRowSelect()) return rowSelected(ARow);
    if (FMouseActions->DisjunctColSelect()) return ACol < ColCount() && GetColSelect(ACol);
    const plat::TGridRect s = Selection();
    return ACol >= std::min(s.Left, s.Right) && ACol <= std::max(s.Left, s.Right) &&
           ARow >= std::min(s.Top, s.Bottom) && ARow <= std::max(s.Top, s.Bottom);
}

// ---------------------------------------------------------------- column order

int TExStringGrid::ColumnByHeader(const QString& AValue) const {
    if (RowCount() == 0) return -1;
    for (int c = 0; c < TotalColCount(); ++c)
        if (GridCells(c, 0) == AValue) return c;
    return -1;
}

int TExStringGrid::ColumnAtPosition(int APos) {
    if (FColumnOrder.empty()) SetColumnOrder();
    if (FColumnOrder.empty() || APos < 0 || APos >= int(FColumnOrder.size())) return APos;
    const int c = FColumnOrder[size_t(APos)];
    // The grouped column left the grid: the columns from it on stand one place to the left.
    return FGroupColumn != -1 && c >= FGroupColumn ? c + 1 : c;
}

int TExStringGrid::ColumnPosition(int ACol) const {
    if (FColumnOrder.empty()) return ACol;
    const size_t n = std::min(FColumnOrder.size(), size_t(ColCount() + FNumHidden));
    int pos = ACol;
    for (size_t i = 0; i < n; ++i)
        if (FColumnOrder[i] == ACol) {
            pos = int(i);
            break;
        }
    return FGroupColumn != -1 && ACol >= FGroupColumn ? pos - 1 : pos;
}

// ---------------------------------------------------------------- hooks

void TExStringGrid::CellTextChanged(int ACol, int ARow) {
    if (!HasAutoRangeScrollBar(ACol, ARow)) return;
    // The bar scrolls the text as drawn: one page is the row, the range the text's height.
    const QSize size = GetCellTextSize(ACol, ARow, true, true);
    SetScrollProp(ACol, ARow, TScrollProp{RowHeights(ARow), size.height()});
}

#define EX_VEZ_WRITE(Suffix)                                       \
    void TExStringGrid::SetVEZGradient##Suffix(TColor Value) {    \
        FVEZGradient##Suffix = plat::ColorToRGB(Value);          \
        RepaintGrid();                                             \
    }
EX_VEZ_WRITE(From)
EX_VEZ_WRITE(To)
EX_VEZ_WRITE(MirrorFrom)
EX_VEZ_WRITE(MirrorTo)
#undef EX_VEZ_WRITE
#define EX_VEZ_STORE(Suffix) \
    void TExStringGrid::SetVEZGradient##Suffix(TColor Value) { FVEZGradient##Suffix = Value; }
EX_VEZ_STORE(HoverFrom)
EX_VEZ_STORE(HoverTo)
EX_VEZ_STORE(HoverMirrorFrom)
EX_VEZ_STORE(HoverMirrorTo)
EX_VEZ_STORE(HoverBorder)
EX_VEZ_STORE(DownFrom)
EX_VEZ_STORE(DownTo)
EX_VEZ_STORE(DownMirrorFrom)
EX_VEZ_STORE(DownMirrorTo)
EX_VEZ_STORE(DownBorder)
#undef EX_VEZ_STORE
