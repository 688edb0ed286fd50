// Rectangles of cells cleared, trimmed and coloured; rows removed or hidden by their content, check
// box or selection; columns joined and removed by the selection; runs of equal cells merged and
// split; the cell that holds a text.
#include "grid/ExGrid.h"

#include <algorithm>
#include <unordered_set>

namespace {

// Characters up to the blank, control characters included, go from both ends.
QString trimControls(const QString& S) {
    qsizetype b = 0, e = S.size();
    while (b < e && S[b].unicode() <= 0x20) ++b;
    while (e > b && S[e - 1].unicode() <= 0x20) --e;
    return b == 0 && e == S.size() ? S : S.mid(b, e - b);
}

// Texts equal but for case meet in one slot, without a folded copy of each text.
struct FoldedHash {
    size_t operator()(const QString& S) const {
        size_t h = 1469598103934665603ull;
        for (const QChar c : S) h = (h ^ c.toCaseFolded().unicode()) * 1099511628211ull;
        return h;
    }
};
struct FoldedEqual {
    bool operator()(const QString& A, const QString& B) const { return A.compare(B, Qt::CaseInsensitive) == 0; }
};

}  // namespace

// ---------------------------------------------------------------- clearing

void TExStringGrid::ClearRect(int ACol1, int ARow1, int ACol2, int ARow2) {
    const bool destroying = IsDestroying();
    const int r1 = std::max(ARow1, 0), r2 = std::min(ARow2, RowCount() - 1);
    const int total = TotalColCount();
    for (int r = r1; r <= r2; ++r)
        for (int i = std::max(ACol1, 0); i <= ACol2; ++i) {
            const int c = FSaveHiddenCells ? RealColIndex(i) : i;
            if (c >= total) continue;
            if (!FClearTextOnly && CellHasProperties(c, r)) {
                if (FNilObjects) {
                    ClearCellData(c, r);
                } else {
                    // A control over the cell leaves the list with the properties that held it.
                    if (QWidget* w = GridObjects(c, r)->Control()) {
                        SetCellControls(c, r, nullptr);
                        w->hide();
                    }
                    FreeCellProperties(c, r);
                }
            }
            if (destroying) continue;
            if (!GridCells(c, r).isEmpty()) SetCellEx(c, r, QString());
            if (i != c) RepaintCell(DisplColIndex(c), r);
        }
    // A clear of every cell leaves no properties in the store: lookups may skip them again. Rows
    // kept aside may still hold some.
    if (!FClearTextOnly && ACol1 <= 0 && ARow1 <= 0 && ACol2 >= std::max(ColCount(), total) - 1 &&
        ARow2 >= RowCount() - 1 && NumHiddenRows() == 0)
        ForgetCellProps();
    if (!destroying) CellsChanged({RealColIndex(ACol1), ARow1, RealColIndex(ACol2), ARow2});
}

void TExStringGrid::ClearRows(int ARow, int ACount) {
    if (RowCount() == 0 || ColCount() == 0 || ACount <= 0) return;
    ClearRect(0, ARow, ColCount() + FNumHidden - 1, ARow + ACount - 1);
}

void TExStringGrid::ClearCols(int ColIndex, int CCount) {
    if (RowCount() == 0 || ColCount() == 0 || CCount <= 0) return;
    ClearRect(ColIndex, 0, ColIndex + CCount - 1, RowCount() - 1);
}

void TExStringGrid::ClearNormalRows(int RowIndex, int RCount) {
    if (RowCount() == 0 || ColCount() == 0 || RCount <= 0) return;
    ClearRect(FixedCols(), RowIndex, ColCount() + FNumHidden - FFixedRightCols - 1, RowIndex + RCount - 1);
}

void TExStringGrid::ClearNormalCols(int ColIndex, int CCount) {
    if (RowCount() == 0 || ColCount() == 0 || CCount <= 0) return;
    ClearRect(ColIndex, FixedRows(), ColIndex + CCount - 1, RowCount() - FFixedFooters - 1);
}

void TExStringGrid::ClearNormalCells() {
    if (FixedCols() == 0 && HasNodes()) RemoveAllNodes();
    ClearRect(FixedCols(), FixedRows(), ColCount() + FNumHidden - FFixedRightCols - 1,
              RowCount() - FFixedFooters - 1);
}

void TExStringGrid::Clear() {
    if (!IsDestroying() && HasNodes()) RemoveAllNodes();
    ClearRect(0, 0, ColCount() + FNumHidden - 1, RowCount() - 1);
    FSearchInc.clear();
    if (FNumHidden > 0) RepaintGrid();
}

void TExStringGrid::ClearAll() {
    Clear();
    for (int i = 0; i < FGridItems.Count(); ++i) {
        plat::TGridStore::TRowRecord& rec = FGridItems.Items(i).Record();
        for (int c = rec.TextCount() - 1; c >= 0; --c)
            if (!rec.Cell(c).isEmpty()) rec.SetCell(c, QString());
    }
}

void TExStringGrid::ClearSelection() {
    if (FMouseActions->DisjunctRowSelect()) {
        for (int r = FixedRows(); r < RowCount(); ++r)
            if (rowSelected(r)) ClearRows(r, 1);
    } else if (FMouseActions->DisjunctColSelect()) {
        for (int c = FixedCols(); c < ColCount(); ++c)
            if (GetColSelect(c)) ClearCols(RealColIndex(c), 1);
    } else {
        const plat::TGridRect s = Selection();
        ClearRect(RealColIndex(s.Left), s.Top, RealColIndex(s.Right), s.Bottom);
    }
}

void TExStringGrid::TrimRect(int ACol1, int ARow1, int ACol2, int ARow2) {
    const int r1 = std::max(ARow1, 0), r2 = std::min(ARow2, RowCount() - 1);
    bool changed = false;
    for (int r = r1; r <= r2; ++r)
        for (int i = std::max(ACol1, 0); i <= ACol2; ++i) {
            const int c = FSaveHiddenCells ? RealColIndex(i) : i;
            if (c >= TotalColCount()) continue;
            const QString& text = GridCells(c, r);
            const QString trimmed = trimControls(text);
            if (trimmed.size() == text.size()) continue;
            SetCellEx(c, r, trimmed);
            changed = true;
        }
    if (changed) CellsChanged({RealColIndex(ACol1), ARow1, RealColIndex(ACol2), ARow2});
}

void TExStringGrid::ColorRect(int ACol1, int ARow1, int ACol2, int ARow2, TColor AColor) {
    BeginUpdate();
    for (int r = ARow1; r <= ARow2; ++r)
        for (int c = ACol1; c <= ACol2; ++c) SetColors(c, r, AColor);
    EndUpdate();
}

// ---------------------------------------------------------------- rows by content, check and selection

bool TExStringGrid::rowSelected(int ARow) {
    return GetRowSelect(FMouseActions->RowSelectPersistent() ? RealRowIndex(ARow) : ARow);
}

void TExStringGrid::hideRowList(const std::vector<int>& Rows) {
    std::vector<int> rows = Rows;
    while (!rows.empty() && int(rows.size()) >= RowCount()) rows.pop_back();
    if (rows.empty()) return;
    const int old = RowCount();
    if (EditorMode()) HideEditor();
    BeginUpdate();
    // Flags kept by display row would land on the rows that move up.
    if (FMouseActions->DisjunctRowSelect() && !FMouseActions->RowSelectPersistent()) {
        dropFlags(FRowSelect, rows);
        dropRowNumbers(*FSelectedRows, rows);
    }
    hideDisplayRows(rows);
    EndUpdate();
    CellsChanged({0, rows.front(), ColCount() - 1, old - 1});
}

void TExStringGrid::RemoveDuplicates(int ACol, bool DoCase) {
    (void)DoCase;  // the look-up ignores case either way
    const int col = RealColIndex(ACol);
    std::unordered_set<QString, FoldedHash, FoldedEqual> kept;
    std::vector<int> gone;
    const int end = RowCount() - FFixedFooters;
    kept.reserve(size_t(std::max(0, end - FixedRows())));
    for (int r = FixedRows(); r < end; ++r)
        if (!kept.insert(GetCellEx(col, r)).second) gone.push_back(r);
    if (gone.empty()) return;
    BeginUpdate();
    const int old = removeRowList(gone);
    EndUpdate();
    CellsChanged({0, gone.front(), ColCount() - 1, old - 1});
}

void TExStringGrid::RemoveCheckedRows(int CheckBoxColumn, bool RemoveChecked) {
    std::vector<int> gone;
    for (int r = FixedRows(); r < RowCount(); ++r)
        if (HasCheckBox(CheckBoxColumn, r) && IsChecked(CheckBoxColumn, RealRowIndex(r)) == RemoveChecked)
            gone.push_back(r);
    if (gone.empty()) return;
    BeginUpdate();
    const int old = removeRowList(gone);
    EndUpdate();
    CellsChanged({0, gone.front(), ColCount() - 1, old - 1});
}

void TExStringGrid::RemoveSelectedRows() {
    std::vector<int> gone;
    if (FMouseActions->DisjunctRowSelect()) {
        for (int r = FixedRows(); r < RowCount() - FFixedFooters; ++r)
            if (rowSelected(r)) gone.push_back(r);
    } else {
        const plat::TGridRect s = Selection();
        for (int r = std::max(std::min(s.Top, s.Bottom), 0); r <= std::max(s.Top, s.Bottom) && r < RowCount(); ++r)
            gone.push_back(r);
    }
    BeginUpdate();
    const int old = gone.empty() ? RowCount() : removeRowList(gone);
    if (FMouseActions->DisjunctRowSelect()) ClearRowSelect();
    EndUpdate();
    if (!gone.empty()) CellsChanged({0, gone.front(), ColCount() - 1, old - 1});
}

void TExStringGrid::RemoveUnSelectedRows() {
    std::vector<int> gone;
    for (int r = FixedRows(); r < RowCount() - FFixedFooters; ++r)
        if (!rowSelected(r)) gone.push_back(r);
    BeginUpdate();
    const int old = gone.empty() ? RowCount() : removeRowList(gone);
    if (FMouseActions->RowSelectPersistent())
        SelectRows(FixedRows(), RowCount() - FixedRows());
    else
        ClearRowSelect();
    EndUpdate();
    if (!gone.empty()) CellsChanged({0, gone.front(), ColCount() - 1, old - 1});
}

void TExStringGrid::HideSelectedRows() {
    std::vector<int> rows;
    for (int r = FixedRows(); r < RowCount(); ++r)
        if (rowSelected(r)) rows.push_back(r);
    hideRowList(rows);
}

void TExStringGrid::HideUnSelectedRows() {
    std::vector<int> rows;
    for (int r = FixedRows(); r < RowCount(); ++r)
        if (!rowSelected(r)) rows.push_back(r);
    hideRowList(rows);
}

void TExStringGrid::RemoveSelectedCols() {
    BeginUpdate();
    if (FMouseActions->DisjunctColSelect()) {
        for (int c = ColCount() - 1; c >= FixedCols(); --c)
            if (GetColSelect(c)) {
                RemoveCols(RealColIndex(c), 1);
                if (size_t(c) < FColSelect.size()) FColSelect.erase(FColSelect.begin() + c);
            }
    } else {
        const plat::TGridRect s = Selection();
        for (int c = std::max(s.Left, s.Right); c >= std::min(s.Left, s.Right); --c)
            if (c < ColCount()) RemoveCols(RealColIndex(c), 1);
    }
    EndUpdate();
}

void TExStringGrid::RemoveUnSelectedCols() {
    BeginUpdate();
    const plat::TGridRect s = Selection();
    const bool disjunct = FMouseActions->DisjunctColSelect();
    for (int c = ColCount() - 1; c >= FixedCols(); --c) {
        const bool selected = disjunct ? GetColSelect(c) : c >= std::min(s.Left, s.Right) && c <= std::max(s.Left, s.Right);
        if (selected) continue;
        RemoveCols(RealColIndex(c), 1);
        if (disjunct && size_t(c) < FColSelect.size()) FColSelect.erase(FColSelect.begin() + c);
    }
    ClearColSelect();
    EndUpdate();
}

// ---------------------------------------------------------------- merging and splitting

void TExStringGrid::MergeCols(int ColIndex1, int ColIndex2, const QString& Separator) {
    BeginUpdate();
    for (int r = FixedRows(); r < RowCount(); ++r)
        SetCellEx(ColIndex1, r, trimControls(GetCellEx(ColIndex1, r) + Separator + GetCellEx(ColIndex2, r)));
    RemoveCols(ColIndex2, 1);
    EndUpdate();
}

void TExStringGrid::MergeColumnCells(int ColIndex, bool MainMerge) {
    const int end = RowCount() - FFixedFooters;
    if (FixedRows() >= end) return;
    int start = FixedRows(), len = 1;
    for (int r = FixedRows() + 1; r < end; ++r) {
        if (GridCells(ColIndex, r) == GridCells(ColIndex, r - 1) && (MainMerge || RowSpanIdentical(r, r - 1))) {
            ++len;
            continue;
        }
        if (len > 1) MergeCells(ColIndex, start, 1, len);
        start = r;
        len = 1;
    }
    if (len > 1) MergeCells(ColIndex, start, 1, len);
}

void TExStringGrid::MergeRowCells(int RowIndex, bool MainMerge) {
    const int end = ColCount() - FFixedRightCols;
    if (FixedCols() >= end) return;
    int start = FixedCols(), len = 1;
    for (int c = FixedCols() + 1; c < end; ++c) {
        if (GridCells(c, RowIndex) == GridCells(c - 1, RowIndex) && (MainMerge || ColSpanIdentical(c, c - 1))) {
            ++len;
            continue;
        }
        // A run that ends before the last column is merged whatever its length.
        MergeCells(start, RowIndex, len, 1);
        start = c;
        len = 1;
    }
    if (len > 1) MergeCells(start, RowIndex, len, 1);
}

void TExStringGrid::SplitColumnCells(int ColIndex) {
    int r = 0;
    while (r < RowCount() - FFixedFooters - 1) {
        if (IsYMergedCell(ColIndex, r)) {
            const int span = CellSpan(ColIndex, r).Y;
            SplitCells(ColIndex, r);
            r += span + 1;
        } else {
            ++r;
        }
    }
}

void TExStringGrid::SplitRowCells(int RowIndex) {
    int c = 0;
    while (c < ColCount() - FFixedRightCols - 1) {
        if (IsMergedCell(c, RowIndex) && CellSpan(c, RowIndex).X >= 0) {
            const int span = CellSpan(c, RowIndex).X;
            SplitCells(c, RowIndex);
            c += span + 1;
        } else {
            ++c;
        }
    }
}

void TExStringGrid::SplitAllCells() {
    for (int r = 0; r < RowCount(); ++r)
        for (int c = 0; c < ColCount(); ++c)
            if (IsMergedCell(c, r)) SplitCells(c, r);
}

bool TExStringGrid::IsCell(const QString& SubStr, int& ACol, int& ARow) const {
    for (int r = 0; r < RowCount(); ++r)
        for (int c = 0; c < ColCount(); ++c)
            if (GridCells(RealColIndex(c), r) == SubStr) {
                ACol = c;
                ARow = r;
                return true;
            }
    return false;
}
