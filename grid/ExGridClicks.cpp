// The clicks, double clicks and cell hints the table dialogs handle, and sizing a column to its
// content.
#include "controls/ExUtil.h"
#include "grid/ExGrid.h"
#include "platform/Guard.h"

void TExStringGrid::ClickCell(int ARow, int ACol) {
    if (OnClickCell) plat::guarded([&] { OnClickCell(this, ARow, ACol); });
}

void TExStringGrid::DblClickCell(int ARow, int ACol) {
    if (OnDblClickCell) plat::guarded([&] { OnDblClickCell(this, ARow, ACol); });
}

QString TExStringGrid::CellHint(int ARow, int ACol) {
    // A wide-encoded hint is drawn in the grid's font.
    SetHintFontName(Font().Name());
    QString hint = toolTip();
    const bool normal = ACol >= FixedCols() && ACol < ColCount() - FixedRightCols() && ARow >= FixedRows() &&
                        ARow < RowCount() - FixedFooters();
    if (FHintShowCells && normal) {
        const int real = RealColIndex(ACol);
        const QString text = Cells(real, ARow);
        if (ClassifyCellText(text, false) == 5)
            hint = DecodeWideText(text);
        else
            hint = FHTMLHint ? text : GetStrippedCell(real, ARow);
    }
    if (OnGridHint) plat::guarded([&] { OnGridHint(this, ARow, ACol, hint); });
    return hint;
}

bool TExStringGrid::KeyPress(QChar Key) {
    DoKeyPress(Key);
    return Key.isNull();
}

void TExStringGrid::ComboChange(int ACol, int ARow, int ItemIndex, const QString& Text) {
    if (OnComboChange) plat::guarded([&] { OnComboChange(this, ACol, ARow, ItemIndex, Text); });
}

void TExStringGrid::CheckBoxClick(int ACol, int ARow) {
    bool state = false;
    if (GetCheckBoxState(ACol, ARow, state)) plat::guarded([&] { CheckBoxClick(ACol, ARow, state); });
}

void TExStringGrid::SetRowSelect(bool On) {
    plat::TGridOptions options = Options();
    if (options.contains(plat::goRowSelect) == On) return;
    SetOptions(On ? options.include(plat::goRowSelect) : options.exclude(plat::goRowSelect));
}

bool TExStringGrid::RowSelect() const { return Options().contains(plat::goRowSelect); }

QString TExStringGrid::GetCheckTrue(int ACol, int ARow) {
    QString value;
    GetCheckTrue(ACol, ARow, value);
    return value;
}

QString TExStringGrid::GetCheckFalse(int ACol, int ARow) {
    QString value;
    GetCheckFalse(ACol, ARow, value);
    return value;
}

TEditorType TExStringGrid::GetCellEditor(int ACol, int ARow) {
    TEditorType editor = DefaultEditor();
    GetCellEditor(ACol, ARow, editor);
    return editor;
}

bool TExStringGrid::CanEditCell(int ACol, int ARow) {
    if (ACol < 0 || ARow < FixedRows() || ACol >= TotalColCount() || ARow >= RowCount() ||
        DisplColIndex(ACol) < FixedCols())
        return false;
    bool can = true;
    CanEditCell(ACol, ARow, can);
    return can;
}

int TExStringGrid::GetDropDownCount(int ACol, int ARow) {
    // Asking for the editor lets a column item put its own count in place.
    GetCellEditor(ACol, ARow);
    return ControlLook().DropDownCount();
}

int TExStringGrid::GetEditLength(int, int) { return FMaxEditLength; }

void TExStringGrid::AutoSizeCol(int ACol, int Padding) {
    if (ACol < 0 || ACol >= ColCount()) return;
    CalcColumnFitWidth(ACol, FSizeGrowOnly);
    if (Padding == 0) return;
    SetColWidths(ACol, ClampToLimits(ColWidths(ACol) + Padding, FMinColWidth, FMaxColWidth));
}
