#include "building/EditorTypeGrid.h"

#include "platform/Guard.h"

void TEditorTypeGrid::AddCheckBoxColumn(int ACol) {
    for (int r = 1; r < RowCount(); ++r) AddCheckBox(ACol, r, true, false);
}

TEditorType TEditorTypeGrid::askEditor(int ACol, int ARow) const {
    TEditorType editor = edNormal;
    combo_.clear();
    if (OnGetEditorType && ARow >= 1)
        plat::guarded([&] { OnGetEditorType(const_cast<TEditorTypeGrid*>(this), ACol, ARow, editor); });
    return editor;
}

TEditorType TEditorTypeGrid::GetCellEditor(int ACol, int ARow) const { return askEditor(ACol, ARow); }

QStringList TEditorTypeGrid::GetComboItems(int ACol, int ARow) const {
    // The items belong to the cell asked for, whatever was asked before.
    askEditor(ACol, ARow);
    return combo_;
}
