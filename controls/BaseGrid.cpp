#include "controls/BaseGrid.h"

#include "controls/ExUtil.h"
#include "controls/ExUtilDraw.h"
#include "platform/Keys.h"

#include <algorithm>

#include <typeinfo>

using namespace plat;

namespace {
const QString kIndexError = QStringLiteral("Grid index out of range");

// The class is final, so comparing the exact type answers what a dynamic cast would, without the
// cast's walk of the class hierarchy, which every cell-property read pays.
TCellProperties* propsOf(TGridObject* o) {
    return o && typeid(*o) == typeid(TCellProperties) ? static_cast<TCellProperties*>(o) : nullptr;
}

TRect unionRect(const TRect& a, const TRect& b) {
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
            std::max(a.Bottom, b.Bottom)};
}
bool emptyRect(const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }
}  // namespace

// ---------------------------------------------------------------- TCellProperties

TCellProperties::TCellProperties(TBaseGrid* AOwner, int ACol, int ARow)
    : FOwnerGrid(AOwner), FOwnerCol(ACol), FOwnerRow(ARow), FWordWrap(AOwner ? AOwner->WordWrap() : true) {
    if (AOwner) AOwner->FHasCellProps = true;
}

void TCellProperties::repaint() {
    if (FOwnerGrid) FOwnerGrid->RepaintCell(FOwnerCol, FOwnerRow);
}
void TCellProperties::SetBrushColor(TColor v) {
    FBrushColor = v;
    repaint();
}
void TCellProperties::SetBrushColorTo(TColor v) {
    FBrushColorTo = v;
    repaint();
}
void TCellProperties::SetVAlignment(TVAlignment v) {
    FVAlignment = v;
    repaint();
}
void TCellProperties::SetWordWrap(bool v) {
    FWordWrap = v;
    repaint();
}

TGridCoord TCellProperties::BaseCell(int c, int r) const {
    if (!FIsBaseCell && FCellSpanX != -1 && FCellSpanY != -1) return {c - FCellSpanX, r - FCellSpanY};
    return {c, r};
}

void TCellProperties::Assign(const TCellProperties& s) {
    FIsBaseCell = s.FIsBaseCell;
    FCellSpanX = s.FCellSpanX;
    FCellSpanY = s.FCellSpanY;
    FOwnerRow = s.FOwnerRow;
    FOwnerCol = s.FOwnerCol;
    FObject = s.FObject;
    FAlignment = s.FAlignment;
    FBorderColor = s.FBorderColor;
    FBorderWidth = s.FBorderWidth;
    FBrushColor = s.FBrushColor;
    FBrushStyle = s.FBrushStyle;
    FFontColor = s.FFontColor;
    FFontStyle = s.FFontStyle;
    FFontName = s.FFontName;
    FFontSize = s.FFontSize;
    FReadOnly = s.FReadOnly;
    FEditor = s.FEditor;
    FVAlignment = s.FVAlignment;
    FWordWrap = s.FWordWrap;
    FNodeLevel = s.FNodeLevel;
    FControl = s.FControl;
}

TCellProperties::~TCellProperties() {
    if (dynamic_cast<TOwnedCellGraphic*>(FGraphicObject)) delete FGraphicObject;
}

// ---------------------------------------------------------------- TBaseGrid: lifecycle

TBaseGrid::TBaseGrid(QWidget* parent) : TObjStringGrid(parent) {
    SetBaseGridLineWidth(1);
    SetBaseDefaultDrawing(false);
}

TBaseGrid::~TBaseGrid() {
    Destroying();
    if (FUndoRedo && FUndoRedo->FGrid == this) FUndoRedo->FGrid = nullptr;
    FreeAllCellProperties();
}

// ---------------------------------------------------------------- cell API

void TBaseGrid::checkRealCell(int c, int r) const {
    if (c < 0 || r < 0 || c >= TotalColCount() || r >= RowCount()) throw EInvalidGridOperation(kIndexError);
}

bool TBaseGrid::CellHasProperties(int c, int r) const {
    return c >= 0 && r >= 0 && c < TotalColCount() && r < RowCount() && TStringGrid::Objects(c, r) != nullptr;
}

TCellProperties* TBaseGrid::GridObjects(int c, int r) const {
    if (c < 0 || r < 0 || r >= RowCount()) return nullptr;
    return propsOf(TStringGrid::Objects(c, r));
}

void TBaseGrid::countBlock(const TGridObject* o, int delta) {
    const TCellProperties* p = propsOf(const_cast<TGridObject*>(o));
    if (p && p->FIsBaseCell && (p->FCellSpanX > 0 || p->FCellSpanY > 0)) FMergeCount += delta;
}

std::unique_ptr<TCellProperties> TBaseGrid::SetGridObject(int c, int r, std::unique_ptr<TCellProperties> Value) {
    checkRealCell(c, r);
    std::unique_ptr<TGridObject> old = TakeObjects(c, r);
    countBlock(old.get(), -1);
    countBlock(Value.get(), +1);
    if (Value) TStringGrid::SetObjects(c, r, std::move(Value));
    TCellProperties* p = propsOf(old.get());
    if (!p) return nullptr;  // something else in the slot is freed here
    old.release();
    return std::unique_ptr<TCellProperties>(p);
}

TCellProperties* TBaseGrid::GetCellProperties(int c, int r) {
    checkRealCell(c, r);
    if (TCellProperties* p = GridObjects(c, r)) return p;
    auto props = std::make_unique<TCellProperties>(this, c, r);
    TFont font(Font());
    TBrush brush;
    brush.SetColor(Color());
    TColor colorTo = clNone, mirror = clNone, mirrorTo = clNone;
    ::TAlignment ha = ::taLeftJustify;
    TVAlignment va = vtaTop;
    bool ww = FWordWrap;
    TCellGradientDirection gd = GradientVertical;
    GetCellDefaults(c, r, font, brush, colorTo, mirror, mirrorTo, ha, va, ww, gd);
    TCellProperties* p = props.get();
    p->FCalcType = acNONE;
    p->FAlignment = ha;
    p->FVAlignment = va;
    p->FWordWrap = ww;
    p->FFontName = font.Name();
    p->FFontSize = font.Size();
    p->FFontStyle = font.Style();
    p->FFontColor = font.Color();
    p->FBrushColor = brush.Color();
    p->FBrushColorTo = colorTo;
    p->FGradientDirection = gd;
    TStringGrid::SetObjects(c, r, std::move(props));
    return p;
}

void TBaseGrid::SetCellProperties(int c, int r, std::unique_ptr<TCellProperties> Value) {
    checkRealCell(c, r);
    if (Value && Value.get() == GridObjects(c, r)) {
        Value.release();  // already in the slot, which owns it
        return;
    }
    countBlock(TStringGrid::Objects(c, r), -1);
    countBlock(Value.get(), +1);
    TStringGrid::SetObjects(c, r, std::move(Value));
}

QString TBaseGrid::GetCellEx(int c, int r) const {
    TGridCoord b{c, r};
    if (FHasCellProps) b = BaseCell(c, r);
    QString result = TStringGrid::Cells(b.X, b.Y);
    if (b.Y < FNormalRowCount) {
        DoGetDisplText(b.X, b.Y, result);
        if (OnGetDisplWideText) {
            QString wide = DecodeWideText(result);
            DoGetDisplWideText(b.X, b.Y, wide);
            result = EncodeWideText(wide);
        }
    }
    return result;
}

void TBaseGrid::SetCellEx(int c, int r, QString Value) {
    if (FHasCellProps && CellHasProperties(c, r)) {
        TGridCoord b = BaseCell(c, r);
        TStringGrid::SetCells(b.X, b.Y, std::move(Value));
        CellTextChanged(b.X, b.Y);
        RepaintCell(c, r);  // the whole block
    } else {
        TStringGrid::SetCells(c, r, std::move(Value));
    }
    if (FHideLastRow && r == RowCount() - 1) HiddenLastRowChanged();
}

uintptr_t TBaseGrid::GetObjectEx(int c, int r) const {
    const TCellProperties* p = CellHasProperties(c, r) ? GridObjects(c, r) : nullptr;
    return p ? p->FObject : 0;
}

void TBaseGrid::SetObjectEx(int c, int r, uintptr_t Value) {
    checkRealCell(c, r);
    GetCellProperties(c, r)->FObject = Value;
}

QObject* TBaseGrid::GetGraphicObjectEx(int c, int r) const {
    const TCellProperties* p = CellHasProperties(c, r) ? GridObjects(c, r) : nullptr;
    return p ? p->FGraphicObject : nullptr;
}

void TBaseGrid::SetGraphicObjectEx(int c, int r, QObject* Value) {
    if (IsDestroying()) return;
    checkRealCell(c, r);
    GetCellProperties(c, r)->FGraphicObject = Value;
}

// ---------------------------------------------------------------- merges

const TCellProperties* TBaseGrid::mergeProps(int c, int r, int& bc, int& br) const {
    const TCellProperties* p = CellHasProperties(c, r) ? GridObjects(c, r) : nullptr;
    if (!p || p->FCellSpanX < 0 || p->FCellSpanY < 0) return nullptr;
    if (p->FIsBaseCell) {
        bc = c;
        br = r;
        return p;
    }
    bc = c - p->FCellSpanX;
    br = r - p->FCellSpanY;
    const TCellProperties* b = CellHasProperties(bc, br) ? GridObjects(bc, br) : nullptr;
    // A member is only followed to a base that still covers it.
    if (!b || !b->FIsBaseCell || b->FCellSpanX < 0 || b->FCellSpanY < 0 || bc + b->FCellSpanX < c ||
        br + b->FCellSpanY < r)
        return nullptr;
    return b;
}

bool TBaseGrid::ResolveBaseCell(int c, int r, int& BaseCol, int& BaseRow) const {
    int bc, br;
    if (!mergeProps(c, r, bc, br) || (bc == c && br == r)) {
        BaseCol = c;
        BaseRow = r;
        return true;
    }
    BaseCol = bc;
    BaseRow = br;
    return false;
}

bool TBaseGrid::IsBaseCell(int c, int r) const {
    int bc, br;
    return ResolveBaseCell(c, r, bc, br);
}

bool TBaseGrid::IsMergedCell(int c, int r) const {
    int bc, br;
    const TCellProperties* b = mergeProps(c, r, bc, br);
    return b && (b->FCellSpanX > 0 || b->FCellSpanY > 0);
}

bool TBaseGrid::IsMergedNonBaseCell(int c, int r) const { return IsMergedCell(c, r) && !IsBaseCell(c, r); }

bool TBaseGrid::IsXMergedCell(int c, int r) const {
    int bc, br;
    const TCellProperties* b = mergeProps(c, r, bc, br);
    return b && b->FCellSpanX > 0;
}

bool TBaseGrid::IsYMergedCell(int c, int r) const {
    int bc, br;
    const TCellProperties* b = mergeProps(c, r, bc, br);
    return b && b->FCellSpanY > 0;
}

TGridCoord TBaseGrid::BaseCell(int c, int r) const {
    TGridCoord b;
    ResolveBaseCell(c, r, b.X, b.Y);
    return b;
}

TGridRect TBaseGrid::FullCell(int c, int r) const {
    int bc, br;
    if (const TCellProperties* b = mergeProps(c, r, bc, br))
        return {bc, br, bc + b->FCellSpanX, br + b->FCellSpanY};
    return {c, r, c, r};
}

TGridCoord TBaseGrid::CellSpan(int c, int r) const {
    int bc, br;
    if (const TCellProperties* b = mergeProps(c, r, bc, br)) return {b->FCellSpanX, b->FCellSpanY};
    return {0, 0};
}

TGridCoord TBaseGrid::CellExt(int c, int r) const {
    int bc, br;
    if (const TCellProperties* b = mergeProps(c, r, bc, br))
        return {bc + b->FCellSpanX - c, br + b->FCellSpanY - r};
    return {0, 0};
}

int TBaseGrid::MinRowSpan(int ARow) const {
    int result = RowCount();
    for (int c = 0; c < ColCount(); ++c) {
        int s = CellSpan(c, ARow).Y;
        if (s > 0 && s < result) result = s;
    }
    return result;
}

int TBaseGrid::MaxRowSpan(int ARow) const {
    int result = 0;
    for (int c = 0; c < ColCount(); ++c) result = std::max(result, CellSpan(c, ARow).Y);
    return result;
}

bool TBaseGrid::RowSpanIdentical(int ARow1, int ARow2) const {
    bool found = false;
    for (int c = 0; c < ColCount(); ++c) {
        if (CellSpan(c, ARow1).Y > 0 && CellSpan(c, ARow2).Y > 0) {
            found = true;
            if (BaseCell(c, ARow1).Y != BaseCell(c, ARow2).Y) return false;
        }
    }
    return found;
}

bool TBaseGrid::ColSpanIdentical(int ACol1, int ACol2) const {
    // Rows without objects have span 0 in both columns, so only rows holding objects can decide.
    bool found = false, differs = false;
    Store().ForEachRowWithObjects([&](int r) {
        if (differs || r >= RowCount()) return;
        int s1 = CellSpan(ACol1, r).X, s2 = CellSpan(ACol2, r).X;
        if (s1 > 0 && s2 > 0) {
            found = true;
            if (BaseCell(ACol1, r).X != BaseCell(ACol2, r).X) differs = true;
        } else if (s1 != s2) {
            differs = true;
        }
    });
    return found && !differs;
}

void TBaseGrid::splitBlock(int bc, int br, int sx, int sy) {
    for (int i = bc; i <= bc + sx; ++i)
        for (int j = br; j <= br + sy; ++j) {
            TCellProperties* p = CellHasProperties(i, j) ? GridObjects(i, j) : nullptr;
            if (!p) continue;
            // Only cells that still belong to this block; a cell of another block stays.
            if (i != bc || j != br) {
                if (p->FIsBaseCell || p->FCellSpanX != i - bc || p->FCellSpanY != j - br) continue;
            }
            p->FIsBaseCell = true;
            p->FCellSpanX = -1;
            p->FCellSpanY = -1;
        }
    if (sx > 0 || sy > 0) --FMergeCount;
}

void TBaseGrid::MergeCells(int c, int r, int spanx, int spany) {
    checkRealCell(c, r);
    if (spanx < 1 || spany < 1) return;
    if (int64_t(c) + spanx - 1 >= TotalColCount() || int64_t(r) + spany - 1 >= RowCount())
        throw EInvalidGridOperation(kIndexError);
    // Blocks the new one overlaps are dissolved first, so every cell belongs to one block at most.
    for (int i = c; i < c + spanx; ++i)
        for (int j = r; j < r + spany; ++j) {
            int bc, br;
            if (const TCellProperties* b = mergeProps(i, j, bc, br))
                splitBlock(bc, br, b->FCellSpanX, b->FCellSpanY);
            else if (TCellProperties* p = CellHasProperties(i, j) ? GridObjects(i, j) : nullptr) {
                p->FIsBaseCell = true;  // an orphaned member becomes a plain cell
                p->FCellSpanX = p->FCellSpanY = -1;
            }
        }
    for (int i = c; i < c + spanx; ++i)
        for (int j = r; j < r + spany; ++j) {
            TCellProperties* p = GetCellProperties(i, j);
            if (i == c && j == r) {
                p->FIsBaseCell = true;
                p->FCellSpanX = spanx - 1;
                p->FCellSpanY = spany - 1;
            } else {
                p->FIsBaseCell = false;
                p->FCellSpanX = i - c;
                p->FCellSpanY = j - r;
            }
        }
    if (spanx > 1 || spany > 1) ++FMergeCount;
    RepaintCell(c, r);  // the block's rectangle
}

void TBaseGrid::SplitCells(int c, int r) {
    checkRealCell(c, r);
    int bc, br;
    if (const TCellProperties* b = mergeProps(c, r, bc, br)) {
        TRect before = CellRect(bc, br);
        splitBlock(bc, br, b->FCellSpanX, b->FCellSpanY);
        if (isVisible() && !emptyRect(before)) InvalidateRect(before);
        return;
    }
    if (TCellProperties* p = CellHasProperties(c, r) ? GridObjects(c, r) : nullptr) {
        p->FIsBaseCell = true;
        p->FCellSpanX = p->FCellSpanY = -1;
    }
}

// ---------------------------------------------------------------- geometry

TRect TBaseGrid::ComputeCellRect(int c, int r) const {
    if (c < 0 || r < 0 || c >= ColCount() || r >= RowCount()) return {};
    const TGridAxis& cols = ColAxis();
    const TGridAxis& rows = RowAxis();
    int64_t x = cols.Start(c), y = rows.Start(r);
    if (c >= FixedCols()) x += cols.Start(FixedCols()) - cols.Start(LeftCol());
    if (r >= FixedRows()) y += rows.Start(FixedRows()) - rows.Start(TopRow());
    TRect rc{int(x), int(y), int(x + cols.Size(c)), int(y + rows.Size(r))};
    if (UseRightToLeftAlignment()) {
        int w = ClientWidth();
        rc = {w - rc.Right, rc.Top, w - rc.Left, rc.Bottom};
    }
    return rc;
}

TRect TBaseGrid::CellRect(int c, int r) const {
    int bc, br;
    if (const TCellProperties* b = mergeProps(c, r, bc, br)) {
        TRect a = ComputeCellRect(bc, br);
        if (emptyRect(a)) a.Right += 1;
        TRect e = ComputeCellRect(bc + b->FCellSpanX, br + b->FCellSpanY);
        if (emptyRect(e)) e.Left -= 1;
        return unionRect(a, e);
    }
    const TCellProperties* p = CellHasProperties(c, r) ? GridObjects(c, r) : nullptr;
    if (p && p->FControl) return ComputeCellRect(c, r);
    // Off screen the platform's rectangle is empty: nothing (an editor above all) lands at (0, 0).
    return TStringGrid::CellRect(c, r);
}

QSize TBaseGrid::CellSize(int c, int r) const {
    int bc, br;
    if (const TCellProperties* b = mergeProps(c, r, bc, br)) {
        TRect u = unionRect(ComputeCellRect(bc, br), ComputeCellRect(bc + b->FCellSpanX, br + b->FCellSpanY));
        return {u.Right - u.Left, u.Bottom - u.Top};
    }
    TRect rc = ComputeCellRect(c, r);
    return {rc.Right - rc.Left, rc.Bottom - rc.Top};
}

void TBaseGrid::RepaintCell(int c, int r) {
    if (!isVisible()) return;
    TRect rc = CellRect(c, r);
    if (!emptyRect(rc)) InvalidateRect(rc);
}

// ---------------------------------------------------------------- freeing

QObject* TBaseGrid::GetPropsGraphic(const TCellProperties* Props) { return Props ? Props->FGraphicObject : nullptr; }

void TBaseGrid::FreeCellProperties(int c, int r) {
    if (c < 0 || r < 0 || r >= RowCount()) return;
    if (TStringGrid::Objects(c, r)) {
        countBlock(TStringGrid::Objects(c, r), -1);
        TStringGrid::SetObjects(c, r, nullptr);
    }
}

void TBaseGrid::FreeCellPropertiesRect(int Col1, int Row1, int Col2, int Row2) {
    if (!FHasCellProps) return;
    Row1 = std::max(Row1, 0);
    Row2 = std::min(Row2, RowCount() - 1);
    std::vector<int> rows;
    Store().ForEachRowWithObjects([&](int r) {
        if (r >= Row1 && r <= Row2) rows.push_back(r);
    });
    for (int r : rows)
        for (int c = std::max(Col1, 0); c <= Col2; ++c) {
            std::unique_ptr<TGridObject> o = TakeObjects(c, r);
            countBlock(o.get(), -1);  // freed here, an owned cell graphic with it
        }
}

void TBaseGrid::FreeAllCellProperties() { FreeCellPropertiesRect(0, 0, ColCount() - 1, RowCount() - 1); }

void TBaseGrid::ClearCellData(int c, int r) {
    SetCellEx(c, r, QString());
    FreeCellProperties(c, r);
}

void TBaseGrid::ClearColumnData(int ACol) {
    for (int r = 0; r < RowCount(); ++r) ClearCellData(ACol, r);
}

void TBaseGrid::ClearRowData(int ARow) {
    for (int c = 0; c < ColCount(); ++c) ClearCellData(c, ARow);
}

// ---------------------------------------------------------------- hooks

bool TBaseGrid::IsFixed(int, int) const { return false; }
int TBaseGrid::RowIndent(int) const { return 0; }
bool TBaseGrid::HasNodes() const { return false; }
void TBaseGrid::DrawCellContent(TCanvas& Canvas, int ACol, int ARow, const TRect& ARect, plat::TGridDrawState) {
    TRect r = ARect;
    Canvas.Brush().SetStyle(bsClear);
    Canvas.DrawText(Cells(ACol, ARow), r, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine);
}
void TBaseGrid::HiddenLastRowChanged() {}
void TBaseGrid::DoGetDisplText(int ACol, int ARow, QString& Value) const {
    if (OnGetDisplText) OnGetDisplText(const_cast<TBaseGrid*>(this), ACol, ARow, Value);
}
void TBaseGrid::DoGetDisplWideText(int ACol, int ARow, QString& Value) const {
    if (OnGetDisplWideText) OnGetDisplWideText(const_cast<TBaseGrid*>(this), ACol, ARow, Value);
}
void TBaseGrid::GetCellDefaults(int, int, TFont& AFont, TBrush& ABrush, TColor& ColorTo, TColor& MirrorColor,
                                TColor& MirrorColorTo, ::TAlignment& HA, TVAlignment& VA, bool& WW,
                                TCellGradientDirection& GD) {
    AFont.Assign(Font());
    ABrush.SetColor(Color());
    ColorTo = MirrorColor = MirrorColorTo = clNone;
    HA = ::taLeftJustify;
    VA = vtaTop;
    WW = FWordWrap;
    GD = GradientVertical;
}
void TBaseGrid::CellTextChanged(int, int) {}
bool TBaseGrid::HasCellBorderEvent() const { return false; }
bool TBaseGrid::UsesVCLStyles() const { return false; }
void TBaseGrid::GetVisualProperties(int, int, plat::TGridDrawState&, bool, bool, bool, TBrush&, TColor&, TColor&, TColor&,
                                    TFont&, ::TAlignment&, TVAlignment&, bool&, TCellGradientDirection&) {}
int TBaseGrid::DisplColIndex(int ACol) const { return ACol; }
int TBaseGrid::TotalColCount() const { return ColCount(); }

// ---------------------------------------------------------------- properties

void TBaseGrid::SetActiveRowShow(bool v) {
    if (v == FActiveRowShow) return;
    FActiveRowShow = v;
    InvalidateGrid();
}
void TBaseGrid::SetActiveRowColor(TColor v) {
    if (v == FActiveRowColor) return;
    FActiveRowColor = v;
    InvalidateGrid();
}
void TBaseGrid::SetActiveRowColorTo(TColor v) {
    if (v == FActiveRowColorTo) return;
    FActiveRowColorTo = v;
    InvalidateGrid();
}
void TBaseGrid::SetActiveRowMirrorColor(TColor v) {
    if (v == FActiveRowMirrorColor) return;
    FActiveRowMirrorColor = v;
    InvalidateGrid();
}
void TBaseGrid::SetActiveRowMirrorColorTo(TColor v) {
    if (v == FActiveRowMirrorColorTo) return;
    FActiveRowMirrorColorTo = v;
    InvalidateGrid();
}
void TBaseGrid::SetBaseDefaultDrawing(bool v) {
    FDefaultDrawing = v;
    SetDefaultDrawing(false);
}
void TBaseGrid::SetBaseGridLineWidth(int v) {
    FGridLineWidth = v;
    SetGridLineWidth(0);  // the grid draws every line itself
    InvalidateGrid();
}
void TBaseGrid::SetGridLineColor(TColor v) {
    FGridLineColor = v;
    InvalidateGrid();
}
void TBaseGrid::SetGridFixedLineColor(TColor v) {
    FGridFixedLineColor = v;
    InvalidateGrid();
}
void TBaseGrid::SetSelectionStyle(TGridSelectionStyle v) {
    if (v == FSelectionStyle) return;
    FSelectionStyle = v;
    InvalidateGrid();
}
void TBaseGrid::SetUndoRedo(TExGridUndoRedo* v) {
    FUndoRedo = v;
    if (v) v->SetGrid(this);
}

// ---------------------------------------------------------------- navigation

void TBaseGrid::SnapToBaseCell() {
    if (!CellHasProperties(Col(), Row())) return;
    TGridCoord b = BaseCell(Col(), Row());
    if (b.X != Col()) SetCol(b.X);
    if (b.Y != Row()) SetRow(b.Y);
}

void TBaseGrid::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (CellHasProperties(Col(), Row())) {
        TGridCoord b = BaseCell(Col(), Row());
        TGridCoord s = CellSpan(Col(), Row());
        switch (Key) {
            case VK_LEFT:
                if (b.X < Col() && Col() > FixedCols() && b.X > 0) SetCol(b.X);
                break;
            case VK_UP:
                if (b.Y < Row() && Row() > FixedRows() && b.Y > 0) SetRow(b.Y);
                break;
            case VK_RIGHT: {
                int e = b.X + s.X;
                if (e >= Col() && Col() < ColCount() - 1 && b.X < ColCount() - 1 && e < ColCount()) SetCol(e);
                break;
            }
            case VK_DOWN: {
                int e = b.Y + s.Y;
                if (e >= Row() && Row() < RowCount() - 1 && b.Y < RowCount() - 1) SetRow(e);
                break;
            }
            default:
                break;
        }
    }
    const bool pageDown = Key == VK_NEXT;
    TStringGrid::KeyDown(Key, Shift);
    // A page move never lands on the hidden last row.
    if (pageDown && FHideLastRow && RowCount() > 1 && Row() == RowCount() - 1) SetRow(RowCount() - 2);
    SnapToBaseCell();
}

bool TBaseGrid::DoMouseWheelDown(TShiftState Shift, QPoint MousePos) {
    bool result = TStringGrid::DoMouseWheelDown(Shift, MousePos);
    if (VisibleRowCount() < Row() - TopRow() && Row() < RowCount() - 1 && FHideLastRow) SetTopRow(TopRow() + 1);
    SnapToBaseCell();
    return result;
}

bool TBaseGrid::DoMouseWheelUp(TShiftState Shift, QPoint MousePos) {
    bool result = TStringGrid::DoMouseWheelUp(Shift, MousePos);
    SnapToBaseCell();
    return result;
}

void TBaseGrid::TopLeftChanged() {
    TStringGrid::TopLeftChanged();
    if (FixedCols() != 0)
        for (int r = TopRow(); r <= std::min(TopRow() + VisibleRowCount(), RowCount() - 1); ++r)
            for (int c = 0; c < FixedCols(); ++c)
                if (IsMergedCell(c, r)) RepaintCell(c, r);
    if (FixedRows() != 0)
        for (int c = LeftCol(); c <= std::min(LeftCol() + VisibleColCount(), ColCount() - 1); ++c)
            for (int r = 0; r < FixedRows(); ++r)
                if (IsMergedCell(c, r)) RepaintCell(c, r);
}

bool TBaseGrid::SelectCell(int ACol, int ARow) {
    if (UseRightToLeftAlignment()) {
        bool result = TStringGrid::SelectCell(ACol, ARow);
        InvalidateGrid();
        return result;
    }
    RepaintCell(Col(), Row());
    bool result = TStringGrid::SelectCell(ACol, ARow);
    RepaintCell(ACol, ARow);
    return result;
}

// ---------------------------------------------------------------- painting

void TBaseGrid::Paint() {
    // The pass number grows after every pass, also one that ends in an error.
    struct PassEnd {
        TBaseGrid& g;
        ~PassEnd() {
            g.FInPaintPass = false;
            ++g.FPaintID;
        }
    } end{*this};
    FInPaintPass = true;
    TStringGrid::Paint();
}

void TBaseGrid::DrawCell(int ACol, int ARow, const TRect& ARect, plat::TGridDrawState AState) {
    paintGridCell(Canvas(), ACol, ARow, ARect, AState, true);
}

void TBaseGrid::PaintCell(TCanvas& ACanvas, int ACol, int ARow, const TRect& ARect, plat::TGridDrawState AState) {
    paintGridCell(ACanvas, ACol, ARow, ARect, AState, true);
}

void TBaseGrid::PaintCellExt(TCanvas& ACanvas, int ACol, int ARow, const TRect& ARect, plat::TGridDrawState AState) {
    paintGridCell(ACanvas, ACol, ARow, ARect, AState, false);
}

namespace {
struct SelColors {
    TColor from, to, mirrorFrom, mirrorTo, innerTop, innerBottom, border, corner;
};
constexpr SelColors kVista{0xFDF8F1, 0xFCEFD5, clNone, clNone, 0xFDFBF6, 0xFDF5E7, 0xFDDE99, 0xFCEDCB};
constexpr SelColors kWin7{0xFCEBDC, 0xFCDBC1, clNone, clNone, 0xFDF4EB, 0xFDEADB, 0xCEA27D, 0xE0C5AE};
constexpr SelColors kOffice2007{0xD7FFFD, 0x58D4FC, 0x58D4FC, 0xB3F1FC, 0xF4FEFF, 0xCAF8FF, 0x8DD7D3, 0xC3D9DF};
constexpr SelColors kUnfocused{0xF8F8F8, 0xE5E5E5, clNone, clNone, 0xFBFAFA, 0xF0F0F0, 0xD9D9D9, 0xEFEFEF};
}  // namespace

void TBaseGrid::paintGridCell(TCanvas& Canvas, int ACol, int ARow, const TRect& ARect, plat::TGridDrawState AState,
                              bool ScreenMode) {
    TRect R = ARect;
    // 1. The hidden last row shows only the grid's colour.
    if (ARow == RowCount() - 1 && FHideLastRow) {
        Canvas.Brush().SetColor(Color());
        Canvas.Pen().SetColor(Color());
        Canvas.Rectangle(R);
        return;
    }
    // 2. A member paints its block once per pass, from the base cell.
    int bc, br;
    if (!ResolveBaseCell(ACol, ARow, bc, br)) {
        TCellProperties* b = GridObjects(bc, br);
        if (b && b->FPaintID != FPaintID) {
            b->FPaintID = FPaintID;
            PaintCell(Canvas, bc, br, R, AState);
        }
        return;
    }
    // 3.
    const bool fixed = AState.contains(plat::gdFixed) || IsFixed(ACol, ARow);
    if (ScreenMode && IsFixed(ACol, ARow)) {
        AState.include(plat::gdFixed);
        AState.exclude(plat::gdSelected);
    }
    if (ScreenMode) {
        R = CellRect(ACol, ARow);
        if (emptyRect(R)) R = ARect;
        // A block painted from its base in this pass needs no second paint through a member.
        if (FInPaintPass)
            if (TCellProperties* b = GridObjects(ACol, ARow)) b->FPaintID = FPaintID;
    }
    // 4. A block scrolled under the fixed cells stays out of them.
    const int FW = ACol >= FixedCols() ? FixedColsWidth() : 0;
    const int FH = ARow >= FixedRows() ? FixedRowsHeight() : 0;
    const TClipState savedClip = Canvas.SaveClip();
    bool clipped = false;
    // Only the grid's own surface has fixed cells to protect; another canvas is drawn as given.
    if (ScreenMode && ((FixedCols() > 0 && ACol >= FixedCols() && R.Left < FW) ||
                       (FixedRows() > 0 && ARow >= FixedRows() && R.Top < FH))) {
        Canvas.IntersectClipRect({FW, FH, std::max(width(), ClientWidth()), std::max(height(), ClientHeight())});
        clipped = true;
    }
    // 5.
    Canvas.Pen().SetWidth(1);
    Canvas.Font().Assign(Font());
    TColor colorTo = clNone, mirror = clNone, mirrorTo = clNone;
    ::TAlignment ha = ::taLeftJustify;
    TVAlignment va = vtaTop;
    bool ww = FWordWrap;
    TCellGradientDirection gd = GradientVertical;
    Canvas.Brush().SetColor(fixed ? FixedColor() : Color());
    Canvas.Brush().SetStyle(bsSolid);
    GetVisualProperties(ACol, ARow, AState, false, true, true, Canvas.Brush(), colorTo, mirror, mirrorTo,
                        Canvas.Font(), ha, va, ww, gd);
    Canvas.Pen().SetColor(Canvas.Brush().Color());
    const bool selected = AState.contains(plat::gdSelected);
    const bool isFixed = AState.contains(plat::gdFixed);
    // 6. Hover row.
    if (ARow == FHoverRowIdx && FHoverRow && !(selected && !FHoverRowCells.contains(hcSelected)) &&
        !(isFixed && !FHoverRowCells.contains(hcFixed))) {
        Canvas.Brush().SetColor(FHoverRowColor);
        colorTo = FHoverRowColorTo;
        mirror = mirrorTo = clNone;
        gd = GradientVertical;
    }
    // 7. Active row.
    if ((FActiveRowShow && ARow == Row() && ACol >= FixedCols() && !(ACol == Col() && FShowSel)) ||
        (!ScreenMode && selected)) {
        Canvas.Brush().SetColor(FActiveRowColor);
        colorTo = FActiveRowColorTo;
        mirror = FActiveRowMirrorColor;
        mirrorTo = FActiveRowMirrorColorTo;
    }
    Canvas.Pen().SetColor(Canvas.Brush().Color());
    // 8. Background.
    if (selected && FSelectionStyle != ssDefault && FShowSel) {
        TGridRect sel = Selection();
        int l = std::min(sel.Left, sel.Right), r = std::max(sel.Left, sel.Right);
        int pos = 0;
        if (l < r) pos = ACol == l ? 1 : ACol == r ? 2 : (ACol > l && ACol < r) ? 3 : 0;
        TRect S = R;
        if (!Options().contains(goHorzLine)) S.Bottom += 1;
        if (!Options().contains(goVertLine)) S.Right += 1;
        if (UseRightToLeftAlignment()) {
            S.Right += 1;
            S.Bottom += 1;
        }
        const SelColors& k = (Focused() || Options().contains(goDrawFocusSelected))
                                 ? (FSelectionStyle == ssVista ? kVista : FSelectionStyle == ssWin7 ? kWin7 : kOffice2007)
                                 : kUnfocused;
        DrawSelectionRect(Canvas, k.from, k.to, k.mirrorFrom, k.mirrorTo, k.innerTop, k.innerBottom, k.border,
                          k.corner, Color(), S, pos);
    } else if (!(UsesVCLStyles() && (isFixed || selected))) {
        if (mirrorTo == clNone)
            DrawGradientRect(Canvas, Canvas.Brush().Color(), colorTo, 64, R, gd == GradientHorizontal);
        else
            DrawMirrorGradient(Canvas, R, Canvas.Brush().Color(), colorTo, mirror, mirrorTo, true, clNone, false,
                               true);
    }
    // 9. Grid-line pen.
    int L = 1;
    bool drawLines = true;
    if (isFixed) {
        Canvas.Pen().SetColor(FGridFixedLineColor);
        Canvas.Pen().SetWidth(1);
    } else if (FGridLineWidth > 0) {
        Canvas.Pen().SetColor(FGridLineColor);
        Canvas.Pen().SetWidth(FGridLineWidth);
        L = (FGridLineWidth + 1) / 2;
    } else {
        drawLines = false;
    }
    // 10. Lines.
    const TGridOptions o = Options();
    if (drawLines) {
        if (((o.contains(goHorzLine) && !isFixed) || (o.contains(goFixedHorzLine) && isFixed)) &&
            !(HasNodes() && bc == 0)) {
            Canvas.MoveTo(R.Left - L + 1, R.Bottom - L);
            Canvas.LineTo(R.Right - L + 1, R.Bottom - L);
        }
        if ((o.contains(goVertLine) && !isFixed) || (o.contains(goFixedVertLine) && isFixed)) {
            int x = R.Right - L + (UseRightToLeftAlignment() ? 1 : 0);
            Canvas.MoveTo(x, R.Bottom - L);
            Canvas.LineTo(x, R.Top - L);
        }
    }
    // 11. Content.
    TRect content = isFixed ? TRect{R.Left, R.Top, R.Right - 1, R.Bottom - 2}
                            : TRect{R.Left + FGridLineWidth, R.Top + FGridLineWidth, R.Right - FGridLineWidth,
                                    R.Bottom - FGridLineWidth};
    if (ScreenMode) DrawCellContent(Canvas, ACol, ARow, content, AState);
    // 12.
    if (clipped) Canvas.RestoreClip(savedClip);
    Canvas.Brush().SetStyle(bsSolid);
    Canvas.Pen().SetStyle(psSolid);
}

// ---------------------------------------------------------------- TExGridUndoRedo

TExGridUndoRedo::TExGridUndoRedo(QObject* AOwner) : QObject(AOwner) {}

TExGridUndoRedo::~TExGridUndoRedo() {
    if (FGrid && FGrid->FUndoRedo == this) FGrid->FUndoRedo = nullptr;
}

void TExGridUndoRedo::RegisterChange(int ACol, int ARow, const QString& OldValue, const QString& NewValue) {
    if (FMaxLevel > 0 && FItems.Count() >= FMaxLevel) FItems.Delete(0);
    TUndoRedoItem& it = FItems.Add();
    it.Col = ACol;
    it.Row = ARow;
    it.Value = NewValue;
    it.OrigValue = OldValue;
    FLevel = FItems.Count();
}

void TExGridUndoRedo::StartSequence() {
    FItems.Add().SequenceStart = true;
    FLevel = FItems.Count();
}

void TExGridUndoRedo::StopSequence() {
    FItems.Add().SequenceStop = true;
    FLevel = FItems.Count();
}

void TExGridUndoRedo::Reset() {
    FItems.Clear();
    FLevel = 0;
}

void TExGridUndoRedo::undoItem(const TUndoRedoItem& item) {
    if (OnUndo) OnUndo(this, FGrid, item.Col, item.Row, FGrid->Cells(item.Col, item.Row), item.OrigValue);
    FGrid->SetCells(item.Col, item.Row, item.OrigValue);
    FGrid->SetCol(FGrid->DisplColIndex(item.Col));
    FGrid->SetRow(item.Row);
}

void TExGridUndoRedo::redoItem(const TUndoRedoItem& item) {
    if (OnRedo) OnRedo(this, FGrid, item.Col, item.Row, FGrid->Cells(item.Col, item.Row), item.Value);
    FGrid->SetCells(item.Col, item.Row, item.Value);
    FGrid->SetCol(FGrid->DisplColIndex(item.Col));
    FGrid->SetRow(item.Row);
}

void TExGridUndoRedo::Undo() {
    if (!FGrid || FLevel <= 0 || FItems.Count() < FLevel) return;
    if (FItems.Items(FLevel - 1).SequenceStop) {
        --FLevel;
        while (FLevel > 0 && !FItems.Items(FLevel - 1).SequenceStart) {
            undoItem(FItems.Items(FLevel - 1));
            --FLevel;
        }
        if (FLevel > 0) --FLevel;  // the start marker
        FGrid->InvalidateGrid();
        return;
    }
    const TUndoRedoItem& item = FItems.Items(FLevel - 1);
    undoItem(item);
    FGrid->RepaintCell(FGrid->Col(), item.Row);
    --FLevel;
}

void TExGridUndoRedo::Redo() {
    if (!FGrid || FLevel >= FItems.Count()) return;
    const int i = FLevel;
    FLevel = i + 1;
    if (FItems.Items(i).SequenceStart) {
        ++FLevel;
        while (FLevel <= FItems.Count() && !FItems.Items(FLevel - 1).SequenceStop) {
            redoItem(FItems.Items(FLevel - 1));
            ++FLevel;
        }
        if (FLevel > FItems.Count()) FLevel = FItems.Count();
        FGrid->InvalidateGrid();
        return;
    }
    redoItem(FItems.Items(i));
}
