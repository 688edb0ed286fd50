// Scaling by a ratio, sizing columns to their content, and the drop-down list the next editor shows.
#include "grid/ExGrid.h"

#include <cmath>

namespace {

int mulDiv(int Value, int M, int D) { return int(std::lround(double(Value) * M / D)); }

}  // namespace

QStringList TExStringGrid::GetComboItems(int ACol, int ARow) {
    TEditorType ed = DefaultEditor();
    GetCellEditor(ACol, ARow, ed);
    return FComboList;
}

void TExStringGrid::HandleChangeScale(int M, int D) {
    if (M == D || D == 0 || M <= 0 || D < 0) return;
    BeginUpdate();
    SetDefaultRowHeight(mulDiv(DefaultRowHeight(), M, D));
    FFixedRowHeight = mulDiv(FFixedRowHeight, M, D);
    for (int c = 0; c < ColCount(); ++c) SetColWidths(c, mulDiv(ColWidths(c), M, D));
    for (int r = 0; r < RowCount(); ++r) SetRowHeights(r, mulDiv(RowHeights(r), M, D));
    Font().SetSize(mulDiv(Font().Size(), M, D));
    // The fixed and active-cell fonts follow only at run time.
    if (!IsDesignTime())
        for (plat::TFont* f : {&FFixedFont, &FActiveCellFont}) f->SetSize(mulDiv(f->Size(), M, D));
    EndUpdate();
}

void TExStringGrid::AutoSizeColumns(bool DoFixedCols, int Padding) {
    BeginUpdate();
    for (int c = DoFixedCols ? 0 : FixedCols(); c < ColCount(); ++c) {
        const int real = RealColIndex(c);
        int w = 0;
        for (int r = 0; r < RowCount(); ++r) {
            const int tw = GetCellTextSize(real, r, false, false).width() + GetCellGraphicSize(real, r).x();
            w = std::max(w, tw);
        }
        if (w <= 0) continue;
        w += Padding;
        UpdateAutoColumnSize(real, w);
        SetColWidths(c, w);
    }
    EndUpdate();
}

void TExStringGrid::SetAutoSize(bool Value) {
    const bool on = Value && !FAutoSize;
    FAutoSize = Value;
    // Loaded sizes the columns itself, with its own padding.
    if (on && !FLoading) AutoSizeColumns(false, 10);
}
