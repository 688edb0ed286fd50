#include "grid/ExCGrid.h"

#include "platform/Guard.h"

#include <QMenu>
#include <stdexcept>

// Items ---------------------------------------------------------------------------------------

TGridColumnItem::TGridColumnItem(TGridColumnCollection* owner, int index)
    : owner_(owner), index_(index), color_(owner->Grid().Color) {}

void TGridColumnItem::changed() { owner_->Grid().itemChanged(); }

void TGridColumnItem::SetHeader(const QString& value) {
    header_ = value;
    TExColumnGrid& g = owner_->Grid();
    if (index_ < g.TotalColCount()) g.SetCells(index_, 0, value);
}

void TGridColumnItem::SetEditor(TEditorType value) {
    if (editor_ == value) return;
    editor_ = value;
    changed();
}

int TGridColumnItem::Width() const { return owner_->Grid().AllColWidths(index_); }

void TGridColumnItem::SetWidth(int value) { owner_->Grid().SetAllColWidths(index_, value); }

void TGridColumnItem::SetAlignment(TAlignment value) {
    alignment_ = value;
    changed();
}

void TGridColumnItem::SetColor(TColor value) {
    color_ = value;
    changed();
}

void TGridColumnItem::AssignVisuals(const TGridColumnItem& source) {
    editor_ = source.editor_;
    alignment_ = source.alignment_;
    CheckTrue = source.CheckTrue;
    CheckFalse = source.CheckFalse;
    ReadOnly = source.ReadOnly;
    EditLength = source.EditLength;
    ColumnPopup = source.ColumnPopup;
    color_ = owner_->Grid().Color;
}

// Collection ----------------------------------------------------------------------------------

TGridColumnItem& TGridColumnCollection::Items(int i) {
    if (i < 0 || i >= Count()) throw std::out_of_range("Column index out of range");
    return *items_[size_t(i)];
}

const TGridColumnItem& TGridColumnCollection::Items(int i) const {
    if (i < 0 || i >= Count()) throw std::out_of_range("Column index out of range");
    return *items_[size_t(i)];
}

void TGridColumnCollection::appendItem() {
    items_.push_back(std::unique_ptr<TGridColumnItem>(new TGridColumnItem(this, Count())));
    if (Count() > 1) items_.back()->AssignVisuals(*items_[items_.size() - 2]);
}

TGridColumnItem& TGridColumnCollection::Add() {
    appendItem();
    // The grid follows its items: one more real column.
    grid_->noRecursiveUpdate_ = true;
    grid_->SetColCount(Count() - grid_->NumHiddenColumns());
    grid_->noRecursiveUpdate_ = false;
    return *items_.back();
}

// Grid ----------------------------------------------------------------------------------------

TExColumnGrid::TExColumnGrid(QWidget* parent) : TExStringGrid(parent), columns_(this) { syncColumns(); }

TExColumnGrid::~TExColumnGrid() = default;

void TExColumnGrid::syncColumns() {
    while (columns_.Count() < TotalColCount()) columns_.appendItem();
    while (columns_.Count() > TotalColCount()) columns_.items_.pop_back();
}

void TExColumnGrid::TotalColCountChanged() {
    if (!noRecursiveUpdate_) syncColumns();
}

const TGridColumnItem* TExColumnGrid::dataItem(int ACol, int ARow) const {
    if (ACol < FixedCols() || ARow < 1 || ACol >= columns_.Count() || ARow >= RowCount()) return nullptr;
    return columns_.items_[size_t(ACol)].get();
}

bool TExColumnGrid::IsVirtualCheckCell(int ACol, int ARow) const {
    const TGridColumnItem* it = dataItem(ACol, ARow);
    return it && it->Editor() == edDataCheckBox;
}

QString TExColumnGrid::GetCheckTrue(int ACol, int ARow) const {
    const TGridColumnItem* it = dataItem(ACol, ARow);
    return it ? it->CheckTrue : TExStringGrid::GetCheckTrue(ACol, ARow);
}

QString TExColumnGrid::GetCheckFalse(int ACol, int ARow) const {
    const TGridColumnItem* it = dataItem(ACol, ARow);
    return it ? it->CheckFalse : TExStringGrid::GetCheckFalse(ACol, ARow);
}

TEditorType TExColumnGrid::GetCellEditor(int ACol, int ARow) const {
    const TGridColumnItem* it = dataItem(ACol, ARow);
    if (!it) return TExStringGrid::GetCellEditor(ACol, ARow);
    SetComboList(it->ComboItems());
    return DoGetEditorType(ACol, ARow, it->Editor());
}

int TExColumnGrid::GetEditLength(int ACol, int ARow) const {
    const TGridColumnItem* it = dataItem(ACol, ARow);
    return it ? it->EditLength : TExStringGrid::GetEditLength(ACol, ARow);
}

int TExColumnGrid::GetDropDownCount(int ACol, int ARow) const {
    const TGridColumnItem* it = dataItem(ACol, ARow);
    return it ? it->DropDownCount : TExStringGrid::GetDropDownCount(ACol, ARow);
}

bool TExColumnGrid::CanEditCell(int ACol, int ARow) const {
    // A column without an item is never editable.
    const TGridColumnItem* it = dataItem(ACol, ARow);
    return it && !it->ReadOnly && !ReadOnly(ACol, ARow);
}

TAlignment TExColumnGrid::GetCellAlignment(int ACol, int ARow) const {
    const TGridColumnItem* it = dataItem(ACol, ARow);
    return it ? it->Alignment() : TExStringGrid::GetCellAlignment(ACol, ARow);
}

TColor TExColumnGrid::GetCellColor(int ACol, int ARow) const {
    const TGridColumnItem* it = dataItem(ACol, ARow);
    return it ? it->Color() : TExStringGrid::GetCellColor(ACol, ARow);
}

void TExColumnGrid::CellMouseDown(Qt::MouseButton Button, int ACol, int ARow) {
    const int real = RealColIndex(ACol);
    if (real < 0 || real >= columns_.Count() || ARow < 0 || ARow >= RowCount()) return;
    QMenu* menu = columns_.items_[size_t(real)]->ColumnPopup;
    if (!menu) return;
    const TColumnPopupType t = columns_.items_[size_t(real)]->ColumnPopupType;
    bool fixedKind = false, normalKind = false;
    if (Button == Qt::LeftButton) {
        fixedKind = t == cpFixedCellsLClick || t == cpAllCellsLClick;
        normalKind = t == cpNormalCellsLClick || t == cpAllCellsLClick;
    } else if (Button == Qt::RightButton) {
        fixedKind = t == cpFixedCellsRClick || t == cpAllCellsRClick;
        normalKind = t == cpNormalCellsRClick || t == cpAllCellsRClick;
    }
    if (!fixedKind && !normalKind) return;
    // The kind of click counts, whatever cell it hit; where the menu opens depends on the cell.
    if (OnColumnPopup) plat::guarded([&] { OnColumnPopup(this, ACol, ARow, menu); });
    const bool fixedRow = ARow < 1;
    if (!(fixedRow ? fixedKind : normalKind)) return;
    // The handler may have scrolled, changed the columns or destroyed the menu: the place and the
    // menu are taken now.
    if (real >= columns_.Count() || !columns_.items_[size_t(real)]->ColumnPopup) return;
    const QRect cell = CellRect(ACol, ARow);
    if (cell.isEmpty()) return;
    // Just below the cell: its left edge and the first line under it.
    columns_.items_[size_t(real)]->ColumnPopup->popup(mapToGlobal(QPoint(cell.left(), cell.top() + cell.height())));
}
