#include "grid/ExCGrid.h"

#include "grid/ExGridEditors.h"

#include "controls/ExUtil.h"
#include "platform/Format.h"
#include "platform/IniFile.h"

#include <QDataStream>
#include <QMenu>
#include <algorithm>
#include <cmath>

namespace {

// Sets a flag for the length of a scope, also when it is left by an exception.
class FlagScope {
public:
    FlagScope(bool& Flag, bool Value) : FFlag(Flag), FOld(Flag) { FFlag = Value; }
    ~FlagScope() { FFlag = FOld; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& FFlag;
    bool FOld;
};

class NoRecursive {
public:
    explicit NoRecursive(TGridColumnCollection& C) : FC(C), FOld(C.NoRecursiveUpdate()) { FC.SetNoRecursiveUpdate(true); }
    ~NoRecursive() { FC.SetNoRecursiveUpdate(FOld); }
    NoRecursive(const NoRecursive&) = delete;
    NoRecursive& operator=(const NoRecursive&) = delete;

private:
    TGridColumnCollection& FC;
    bool FOld;
};

int mulDiv(int Value, int M, int D) {
    if (D == 0) return -1;
    return int(std::lround(double(Value) * M / D));
}

// e before its first "=" (the name shown) and after it (the condition).
QString displayPart(const QString& e) {
    const qsizetype eq = e.indexOf(u'=');
    return eq < 0 ? e : e.left(eq);
}
QString conditionPart(const QString& e) {
    const qsizetype eq = e.indexOf(u'=');
    return eq < 0 ? e : e.mid(eq + 1);
}

}  // namespace

// ---------------------------------------------------------------- TGridColumnItem

TGridColumnItem::TGridColumnItem(TGridColumnCollection* Collection) : FOwner(Collection) {
    FBorderPen.SetColor(0xC0C0C0);
    FBorderPen.SetWidth(1);
    PrintBorderPen.SetColor(0);
    PrintBorderPen.SetWidth(1);
    if (TExColumnGrid* g = grid()) {
        FFont.Assign(g->Font());
        FPrintFont.Assign(g->Font());
        FHeaderFont.Assign(g->Font());
        FColor = g->Color();
        // Wired after the copies, so making the item reports nothing.
        FFont.OnChange = [this] { changed(); };
        FHeaderFont.OnChange = [this] { changed(); };
    }
}

TGridColumnItem::~TGridColumnItem() {
    FFont.OnChange = nullptr;
    FHeaderFont.OnChange = nullptr;
}

TExColumnGrid* TGridColumnItem::grid() const { return FOwner ? FOwner->GetOwner() : nullptr; }

void TGridColumnItem::changed() {
    if (FOwner) FOwner->Update(this);
}

void TGridColumnItem::repaint() const {
    if (TExColumnGrid* g = grid()) g->RepaintGrid();
}

void TGridColumnItem::Assign(const TGridColumnItem& Source) {
    if (&Source == this) return;
    FAlignment = Source.FAlignment;
    FHeaderAlignment = Source.FHeaderAlignment;
    FBorderPen.Assign(Source.FBorderPen);
    FBorders = Source.FBorders;
    CheckFalse = Source.CheckFalse;
    CheckTrue = Source.CheckTrue;
    FColor = Source.FColor;
    FComboItems = Source.FComboItems;
    DropDownCount = Source.DropDownCount;
    EditLength = Source.EditLength;
    EditMask = Source.EditMask;
    FEditorType = Source.FEditorType;
    FFixed = Source.FFixed;
    {
        // Direct copies: the item's own change reports stay quiet.
        auto a = std::exchange(FFont.OnChange, nullptr);
        auto b = std::exchange(FHeaderFont.OnChange, nullptr);
        FFont.Assign(Source.FFont);
        FHeaderFont.Assign(Source.FHeaderFont);
        FFont.OnChange = std::move(a);
        FHeaderFont.OnChange = std::move(b);
    }
    FColumnHeader = Source.FColumnHeader;
    Name = Source.Name;
    FPassword = Source.FPassword;
    PrintBorderPen.Assign(Source.PrintBorderPen);
    PrintBorders = Source.PrintBorders;
    PrintColor = Source.PrintColor;
    FPrintFont.Assign(Source.FPrintFont);
    ReadOnly = Source.ReadOnly;
    SortPrefix = Source.SortPrefix;
    SortStyle = Source.SortStyle;
    SortSuffix = Source.SortSuffix;
    SpinMax = Source.SpinMax;
    SpinMin = Source.SpinMin;
    SpinStep = Source.SpinStep;
    ColumnPopup = Source.ColumnPopup;
    EditLink = Source.EditLink;
    Tag = Source.Tag;
    FWidth = Source.Width();
    FShowBands = Source.FShowBands;
    MinSize = Source.MinSize;
    MaxSize = Source.MaxSize;
    AutoMinSize = Source.AutoMinSize;
    AutoMaxSize = Source.AutoMaxSize;
    FFilter = Source.FFilter;
    FilterCaseSensitive = Source.FilterCaseSensitive;
    DefIdx = Source.DefIdx;
    FFloatFormat = Source.FFloatFormat;
}

void TGridColumnItem::AssignVisuals(const TGridColumnItem& Source) {
    if (&Source == this) return;
    // Everything Assign copies but the header, drop-down items and count, header font, name and
    // tag; colour and font are the grid's.
    const QString header = FColumnHeader, name = Name;
    const QStringList combo = FComboItems;
    const int count = DropDownCount, tag = Tag;
    plat::TFont headerFont(FHeaderFont);
    Assign(Source);
    FColumnHeader = header;
    Name = name;
    FComboItems = combo;
    DropDownCount = count;
    Tag = tag;
    auto quiet = [](plat::TFont& f, const plat::TFont& from) {
        auto keep = std::exchange(f.OnChange, nullptr);
        f.Assign(from);
        f.OnChange = std::move(keep);
    };
    quiet(FHeaderFont, headerFont);
    if (TExColumnGrid* g = grid()) {
        FColor = g->Color();
        quiet(FFont, g->Font());
    }
}

QString TGridColumnItem::GetDisplayName() const {
    if (!Name.isEmpty()) return QStringLiteral("Col %1: %2").arg(Index()).arg(Name);
    return QStringLiteral("Column %1").arg(Index());
}

int TGridColumnItem::Width() const {
    const TExColumnGrid* g = grid();
    if (!g) return 0;
    return Index() >= 0 && Index() < g->AllColCount() ? g->AllColWidths(Index()) : FWidth;
}

void TGridColumnItem::SetWidth(int Value) {
    FWidth = Value;
    TExColumnGrid* g = grid();
    if (g && Index() >= 0 && Index() < g->AllColCount()) g->SetAllColWidths(Index(), Value);
}

void TGridColumnItem::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    repaint();
}

void TGridColumnItem::SetHeader(const QString& Value) {
    FColumnHeader = Value;
    TExColumnGrid* g = grid();
    if (!g) return;
    if (g->FixedRows() > 0 && !g->FColMoving) {
        if (Index() < g->TotalColCount() && g->RowCount() > 0) g->SetCellEx(Index(), 0, Value);
        changed();
    }
    g->headersFromItems();
}

void TGridColumnItem::SetColor(TColor Value) {
    FColor = Value;
    changed();
}

void TGridColumnItem::SetEditor(TEditorType Value) {
    const TEditorType old = FEditorType;
    FEditorType = Value;
    // The cell graphics of the column change.
    if (old == edDataCheckBox || Value == edDataCheckBox) repaint();
}

void TGridColumnItem::SetFixed(bool Value) {
    FFixed = Value;
    changed();
}

void TGridColumnItem::SetPassword(bool Value) {
    FPassword = Value;
    changed();
}

void TGridColumnItem::SetBorders(TCellBorders Value) {
    FBorders = Value;
    changed();
}

void TGridColumnItem::SetBorderPen(const plat::TPen& Value) {
    FBorderPen.Assign(Value);
    changed();
}

void TGridColumnItem::SetShowBands(bool Value) {
    FShowBands = Value;
    changed();
}

void TGridColumnItem::SetFilter(const QStringList& Value) {
    FFilter = Value;
    repaint();
}

void TGridColumnItem::SetFloatFormat(const QString& Value) {
    FFloatFormat = Value;
    repaint();
}

void TGridColumnItem::SetHeaderAlignment(TAlignment Value) {
    FHeaderAlignment = Value;
    repaint();
}

QString TGridColumnItem::GetRows(int idx) const { return grid() ? grid()->Cells(Index(), idx) : QString(); }
void TGridColumnItem::SetRows(int idx, const QString& Value) {
    if (grid()) grid()->SetCells(Index(), idx, Value);
}
int TGridColumnItem::GetInts(int idx) const { return grid() ? grid()->GetInts(Index(), idx) : 0; }
void TGridColumnItem::SetInts(int idx, int Value) {
    if (grid()) grid()->SetInts(Index(), idx, Value);
}
double TGridColumnItem::GetFloats(int idx) const { return grid() ? grid()->GetFloats(Index(), idx) : 0; }
void TGridColumnItem::SetFloats(int idx, double Value) {
    if (grid()) grid()->SetFloats(Index(), idx, Value);
}
double TGridColumnItem::GetDates(int idx) const { return grid() ? grid()->GetDates(Index(), idx) : 0; }
void TGridColumnItem::SetDates(int idx, double Value) {
    if (grid()) grid()->SetDates(Index(), idx, Value);
}
double TGridColumnItem::GetTimes(int idx) const { return grid() ? grid()->GetTimes(Index(), idx) : 0; }
void TGridColumnItem::SetTimes(int idx, double Value) {
    if (grid()) grid()->SetTimes(Index(), idx, Value);
}

// ---------------------------------------------------------------- TGridColumnCollection

TGridColumnCollection::TGridColumnCollection(TExColumnGrid* AOwner) : FOwner(AOwner) {}

TGridColumnItem& TGridColumnCollection::Add() {
    auto& item = static_cast<TGridColumnItem&>(*insertAt(Count(), std::make_unique<TGridColumnItem>(this)));
    if (Count() > 1) item.AssignVisuals(Items(Count() - 2));
    Update(&item);
    return item;
}

TGridColumnItem& TGridColumnCollection::Insert(int Index) {
    auto& item = static_cast<TGridColumnItem&>(*insertAt(Index, std::make_unique<TGridColumnItem>(this)));
    Update(&item);
    return item;
}

void TGridColumnCollection::Delete(int Index) {
    TCollectionBase::Delete(Index);
    Update(nullptr);
}

void TGridColumnCollection::Assign(const TGridColumnCollection& Source) {
    if (&Source == this) return;
    BeginUpdate();
    try {
        Clear();
        for (int i = 0; i < Source.Count(); ++i) Add().Assign(Source.Items(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TGridColumnCollection::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0) Update(nullptr);
}

void TGridColumnCollection::Update(TGridColumnItem*) {
    if (FUpdateCount > 0 || FNoRecursiveUpdate || !FOwner || FOwner->IsDestroying()) return;
    TExColumnGrid& g = *FOwner;
    const int visible = Count() - g.NumHiddenColumns();
    if (visible != g.ColCount() && g.FixedCols() < visible) g.SetColCount(visible);
    g.itemsToHeaders();
    g.RepaintGrid();
}

void TGridColumnCollection::SetOrganization() {
    if (FOwner) {
        NoRecursive guard(*this);
        FOwner->syncColumns();
    }
    for (int i = 0; i < Count(); ++i) Items(i).DefIdx = i;
}

void TGridColumnCollection::ResetOrganization() {
    if (!FOwner) return;
    // Only a permutation of the positions can be sorted into place; anything else would move
    // columns for ever.
    std::vector<bool> seen(size_t(Count()), false);
    for (int i = 0; i < Count(); ++i) {
        const int d = Items(i).DefIdx;
        if (d < 0 || d >= Count() || seen[size_t(d)]) return;
        seen[size_t(d)] = true;
    }
    for (bool moved = true; moved;) {
        moved = false;
        for (int i = 0; i < Count() && i < FOwner->ColCount(); ++i) {
            const int d = Items(i).DefIdx;
            if (d < i) {
                FOwner->MoveColumn(i, d);
                moved = true;
            }
        }
    }
}

// ---------------------------------------------------------------- TExColumnGrid

TExColumnGrid::TExColumnGrid(QWidget* AOwner) : TExStringGrid(AOwner) {
    FColumnCollection = CreateColumns();
    syncColumnsQuiet();
    FColMoving = false;
    FCellGraphic = std::make_unique<TCellGraphic>();
    FCellGraphic->CellType = ctVirtCheckBox;
    FSaveCol = std::make_unique<TGridColumnItem>(nullptr);
}

TExColumnGrid::~TExColumnGrid() {
    FDestroying = true;
    Destroying();
    FColumnCollection.reset();
    FCellGraphic.reset();
    FSaveCol.reset();
}

std::unique_ptr<TGridColumnCollection> TExColumnGrid::CreateColumns() {
    return std::make_unique<TGridColumnCollection>(this);
}

TGridColumnItem* TExColumnGrid::item(int ACol) const {
    if (!FColumnCollection || ACol < 0 || ACol >= FColumnCollection->Count()) return nullptr;
    return &FColumnCollection->Items(ACol);
}

bool TExColumnGrid::inDataArea(int ACol, int ARow) const {
    return isNormal(ACol, ARow) && ACol < ColCount() + NumHiddenColumns() - FixedRightCols() &&
           ARow < RowCount() - FixedFooters();
}

bool TExColumnGrid::hiddenDataCell(int ACol, int ARealRow) const {
    return isNormal(ACol, ARealRow) && ACol < ColCount() + NumHiddenColumns() - FixedRightCols() &&
           IsHiddenRow(ARealRow);
}

void TExColumnGrid::syncColumns() {
    TGridColumnCollection& c = *FColumnCollection;
    const int want = ColCount() + NumHiddenColumns();
    while (c.Count() < want) c.Add();
    while (c.Count() > want) c.Delete(c.Count() - 1);
}

void TExColumnGrid::syncColumnsQuiet() {
    NoRecursive guard(*FColumnCollection);
    syncColumns();
}

void TExColumnGrid::itemsToHeaders() {
    if (FixedRows() <= 0) return;
    FColumnHeaders.clear();
    for (int i = 0; i < FColumnCollection->Count(); ++i) {
        TGridColumnItem& it = FColumnCollection->Items(i);
        if (it.FColumnHeader.isEmpty() && i < TotalColCount() && RowCount() > 0) {
            const QString t = GetCellEx(i, 0);
            if (!t.isEmpty()) it.FColumnHeader = t;
        }
        FColumnHeaders.append(it.FColumnHeader);
    }
}

void TExColumnGrid::headersFromItems() {
    FColumnHeaders.clear();
    for (int i = 0; i < FColumnCollection->Count(); ++i) FColumnHeaders.append(FColumnCollection->Items(i).Header());
}

void TExColumnGrid::ColumnHeadersChanged() {
    if (!FColumnCollection) return;
    const QStringList& h = ColumnHeaders();
    for (int i = 0; i < FColumnCollection->Count() && i < h.size(); ++i) FColumnCollection->Items(i).FColumnHeader = h[i];
}

TGridColumnItem* TExColumnGrid::GetColumnByName(const QString& AValue) const {
    for (int i = 0; i < FColumnCollection->Count(); ++i)
        if (FColumnCollection->Items(i).Name == AValue) return &FColumnCollection->Items(i);
    return nullptr;
}

void TExColumnGrid::Loaded() {
    TExStringGrid::Loaded();
    // Quietly: an item appended while the grid still has more columns must not shrink the grid to
    // the items counted so far.
    syncColumnsQuiet();
    itemsToHeaders();
    RepaintGrid();
    FColumnCollection->SetOrganization();
}

void TExColumnGrid::SetColCount(int Value) {
    TExStringGrid::SetColCount(Value);
    if (FColumnCollection) syncColumnsQuiet();
}

void TExColumnGrid::InsertCols(int ColIndex, int CCount) {
    const int before = TotalColCount();
    TExStringGrid::InsertCols(ColIndex, CCount);
    const int added = TotalColCount() - before;
    NoRecursive guard(*FColumnCollection);
    const int at = std::clamp(ColIndex, 0, FColumnCollection->Count());
    for (int i = 0; i < added; ++i) FColumnCollection->Insert(at);
}

void TExColumnGrid::RemoveCols(int ColIndex, int CCount) {
    const int before = TotalColCount();
    TExStringGrid::RemoveCols(ColIndex, CCount);
    const int removed = before - TotalColCount();
    {
        // The grid already has its new count: each deletion must not make it grow back.
        NoRecursive guard(*FColumnCollection);
        for (int i = 0; i < removed && ColIndex >= 0 && ColIndex < FColumnCollection->Count(); ++i)
            FColumnCollection->Delete(ColIndex);
        syncColumns();
    }
    itemsToHeaders();
    RepaintGrid();
}

void TExColumnGrid::Group(int ColIndex) {
    if (TGridColumnItem* it = item(ColIndex)) FSaveCol->Assign(*it);
    TExStringGrid::Group(ColIndex);
}

void TExColumnGrid::UnGroup() {
    const int gc = GroupColumn();
    TExStringGrid::UnGroup();
    if (gc != -1)
        if (TGridColumnItem* it = item(gc)) it->Assign(*FSaveCol);
}

// ---- moving and sizing

void TExColumnGrid::ColumnMoved(int FromIndex, int ToIndex) {
    NoRecursive guard(*FColumnCollection);
    const int top = TopRow();
    const int f = FMovedRealFrom >= 0 ? FMovedRealFrom : RealColIndex(FromIndex);
    const int t = FMovedRealTo >= 0 ? FMovedRealTo : RealColIndex(ToIndex);
    TExStringGrid::ColumnMoved(FromIndex, ToIndex);
    if (f >= 0 && t >= 0 && f < FColumnCollection->Count() && t < FColumnCollection->Count() && f != t) {
        FlagScope moving(FColMoving, true);
        BeginUpdate();
        // The item itself moves, so nothing it carries is lost on the way.
        FColumnCollection->Move(f, t);
        EndUpdate();
    }
    if (top >= FixedRows() && top < RowCount()) SetTopRow(top);
    if (OnAfterColumnMoved) OnAfterColumnMoved(this, f, t);
}

void TExColumnGrid::ColWidthsChanged() {
    TExStringGrid::ColWidthsChanged();
    if (FDestroying || IsDestroying() || !FColumnCollection) return;
    for (int c = 0; c < ColCount(); ++c)
        if (TGridColumnItem* it = item(RealColIndex(c))) it->FWidth = ColWidths(c);
}

void TExColumnGrid::UpdateColumnSize(int ACol, int& AWidth) {
    if (const TGridColumnItem* it = item(ACol)) {
        if (it->MinSize > 0 && AWidth < it->MinSize) AWidth = it->MinSize;
        if (it->MaxSize > 0 && AWidth > it->MaxSize) AWidth = it->MaxSize;
    }
    TExStringGrid::UpdateColumnSize(ACol, AWidth);
}

void TExColumnGrid::UpdateAutoColumnSize(int ACol, int& AWidth) {
    if (const TGridColumnItem* it = item(ACol)) {
        if (it->AutoMinSize > 0 && AWidth < it->AutoMinSize) AWidth = it->AutoMinSize;
        if (it->AutoMaxSize > 0 && AWidth > it->AutoMaxSize) AWidth = it->AutoMaxSize;
    }
    TExStringGrid::UpdateAutoColumnSize(ACol, AWidth);
}

void TExColumnGrid::MouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) {
    HandleMouseDown(Button, Shift, X, Y);
    int c = -1, r = -1;
    MouseToCell(X, Y, c, r);
    if (c < 0 || r < 0 || c >= ColCount() || r >= RowCount()) return;
    const TGridColumnItem* it = item(RealColIndex(c));
    if (!it || !it->ColumnPopup) return;
    const TColumnPopupType t = it->ColumnPopupType;
    const bool left = Button == plat::mbLeft, right = Button == plat::mbRight;
    const bool leftType = t == cpFixedCellsLClick || t == cpNormalCellsLClick || t == cpAllCellsLClick;
    if (!(left && leftType) && !(right && !leftType)) return;
    QPointer<QMenu> menu = it->ColumnPopup;
    if (OnColumnPopup) OnColumnPopup(this, c, r, menu);
    const bool fixedRow = r < FixedRows();
    const bool fixedType = t == cpFixedCellsLClick || t == cpFixedCellsRClick;
    const bool normalType = t == cpNormalCellsLClick || t == cpNormalCellsRClick;
    const bool allType = t == cpAllCellsLClick || t == cpAllCellsRClick;
    if (!menu || !((fixedRow && (fixedType || allType)) || (!fixedRow && (normalType || allType)))) return;
    const plat::TRect cell = CellRect(c, r);
    menu->popup(viewport()->mapToGlobal(QPoint(cell.Left, cell.Bottom)));
}

void TExColumnGrid::ChangeScale(int M, int D) {
    HandleChangeScale(M, D);
    if (M == D || IsDesignTime()) return;
    for (int i = 0; i < ColCount() && i < FColumnCollection->Count(); ++i) {
        TGridColumnItem& it = FColumnCollection->Items(i);
        it.Font().SetSize(mulDiv(it.Font().Size(), M, D));
        it.HeaderFont().SetSize(mulDiv(it.HeaderFont().Size(), M, D));
    }
}

void TExColumnGrid::CellsLoaded() {
    TExStringGrid::CellsLoaded();
    syncColumnsQuiet();
}

// ---- version

int32_t TExColumnGrid::GetVersionNr() const { return 0x03010301; }

QString TExColumnGrid::GetVersionString() const {
    const auto v = uint32_t(GetVersionNr());
    return QStringLiteral("%1.%2.%3.%4 Aug, 2012").arg(v >> 24).arg((v >> 16) & 0xFF).arg((v >> 8) & 0xFF).arg(v & 0xFF);
}

// ---- queries answered from the items

void TExColumnGrid::GetCellColor(int ACol, int ARow, plat::TGridDrawState AState, plat::TBrush& ABrush,
                                 plat::TFont& AFont) {
    const TGridColumnItem* it = item(ACol);
    if (it && ACol >= FixedCols() && ACol < ColCount() + NumHiddenColumns() - FixedRightCols() &&
        ARow < RowCount() - FixedFooters()) {
        if (it->Fixed())
            ABrush.SetColor(FixedColor());
        else if (ARow >= FixedRows() && (!it->ShowBands() || !Bands().Active()))
            ABrush.SetColor(it->Color());
        AFont.Assign(ARow < FixedRows() ? it->HeaderFont() : it->Font());
        if (CellHasProperties(ACol, ARow)) {
            const TCellProperties* p = GridObjects(ACol, ARow);
            if (p->BrushColor() != plat::clNone) ABrush.SetColor(p->BrushColor());
            if (p->FontColor() != plat::clNone) AFont.SetColor(p->FontColor());
        }
    }
    TExStringGrid::GetCellColor(ACol, ARow, AState, ABrush, AFont);
}

void TExColumnGrid::GetCellPrintColor(int ACol, int ARow, plat::TGridDrawState AState, plat::TBrush& ABrush,
                                      plat::TFont& AFont) {
    if (const TGridColumnItem* it = item(ACol)) {
        const bool fixedPart = ACol < FixedCols() || ARow < FixedRows() ||
                               ACol >= ColCount() + NumHiddenColumns() - FixedRightCols() ||
                               ARow >= RowCount() - FixedFooters();
        if (fixedPart) {
            AFont.Assign(PrintSettings().FixedFont());
        } else {
            if (it->Fixed()) {
                ABrush.SetColor(FixedColor());
            } else if (it->ShowBands() && Bands().Active() && Bands().Print()) {
                if (CellHasProperties(ACol, ARow) && GridObjects(ACol, ARow)->BrushColor() != plat::clNone)
                    ABrush.SetColor(GridObjects(ACol, ARow)->BrushColor());
            } else {
                ABrush.SetColor(it->PrintColor);
            }
            if (it->PrintFontCustom) {
                AFont.Assign(it->PrintFont());
                if (CellHasProperties(ACol, ARow)) {
                    const TCellProperties* p = GridObjects(ACol, ARow);
                    if (p->FontColor() != plat::clNone) AFont.SetColor(p->FontColor());
                    if (!p->FontStyle().empty()) AFont.SetStyle(p->FontStyle());
                    if (p->FontSize() != 0) AFont.SetSize(p->FontSize());
                    if (!p->FontName().isEmpty()) AFont.SetName(p->FontName());
                }
            } else {
                AFont.Assign(PrintSettings().Font());
            }
        }
    }
    TExStringGrid::GetCellPrintColor(ACol, ARow, AState, ABrush, AFont);
}

void TExColumnGrid::GetCellBorder(int ACol, int ARow, plat::TPen& APen, TCellBorders& Borders) {
    if (const TGridColumnItem* it = item(ACol); it && isNormal(ACol, ARow)) {
        Borders = it->Borders();
        APen.Assign(it->BorderPen());
    }
    TExStringGrid::GetCellBorder(ACol, ARow, APen, Borders);
}

void TExColumnGrid::GetCellPrintBorder(int ACol, int ARow, plat::TPen& APen, TCellBorders& Borders) {
    if (const TGridColumnItem* it = item(ACol); it && isNormal(ACol, ARow) && it->PrintBorderCustom) {
        Borders = it->PrintBorders;
        APen.Assign(it->PrintBorderPen);
    }
    TExStringGrid::GetCellPrintBorder(ACol, ARow, APen, Borders);
}

void TExColumnGrid::GetCellAlign(int ACol, int ARow, TAlignment& HAlign, TVAlignment& VAlign) {
    if (const TGridColumnItem* it = item(ACol)) {
        HAlign = ARow < FixedRows() ? it->HeaderAlignment() : it->Alignment();
        if (CellHasProperties(ACol, ARow)) HAlign = GridObjects(ACol, ARow)->Alignment();
    }
    TExStringGrid::GetCellAlign(ACol, ARow, HAlign, VAlign);
}

void TExColumnGrid::GetCellFormat(int ACol, TSortStyle& AStyle, QString& APrefix, QString& ASuffix) {
    if (const TGridColumnItem* it = item(ACol)) {
        AStyle = it->SortStyle;
        APrefix = it->SortPrefix;
        ASuffix = it->SortSuffix;
    }
    TExStringGrid::GetCellFormat(ACol, AStyle, APrefix, ASuffix);
}

void TExColumnGrid::GetCellEditor(int ACol, int ARow, TEditorType& AEditor) {
    if (const TGridColumnItem* it = item(ACol)) {
        if (isNormal(ACol, ARow)) {
            AEditor = it->Editor();
            FComboList = it->ComboItems();
            TGridSpin* spin = SpinEdit();
            spin->MinValue = it->SpinMin;
            spin->MaxValue = it->SpinMax;
            spin->Increment = it->SpinStep;
            ControlLook().SetDropDownCount(it->DropDownCount);
            SetEditLink(it->EditLink);
        }
        if (!it->FloatFormat().isEmpty()) SetFloatFormat(it->FloatFormat());
    }
    TExStringGrid::GetCellEditor(ACol, ARow, AEditor);
}

void TExColumnGrid::IsFixedCell(int ACol, int ARow, bool& IsFixed) {
    // ACol is already a real column: no second mapping.
    if (const TGridColumnItem* it = item(ACol); it && isNormal(ACol, ARow)) IsFixed = it->Fixed();
    TExStringGrid::IsFixedCell(ACol, ARow, IsFixed);
}

void TExColumnGrid::IsPasswordCell(int ACol, int ARow, bool& IsPassword) {
    if (const TGridColumnItem* it = item(ACol)) IsPassword = it->Password();
    TExStringGrid::IsPasswordCell(ACol, ARow, IsPassword);
}

void TExColumnGrid::GetCheckTrue(int ACol, int ARow, QString& Value) {
    TExStringGrid::GetCheckTrue(ACol, ARow, Value);
    if (const TGridColumnItem* it = item(ACol); it && inDataArea(ACol, ARow)) Value = it->CheckTrue;
}

void TExColumnGrid::GetCheckFalse(int ACol, int ARow, QString& Value) {
    TExStringGrid::GetCheckFalse(ACol, ARow, Value);
    if (const TGridColumnItem* it = item(ACol); it && inDataArea(ACol, ARow)) Value = it->CheckFalse;
}

void TExColumnGrid::GetHiddenRowCheckText(int ACol, int ARealRow, bool State, QString& Value) {
    TExStringGrid::GetHiddenRowCheckText(ACol, ARealRow, State, Value);
    if (const TGridColumnItem* it = item(ACol); it && hiddenDataCell(ACol, ARealRow))
        Value = State ? it->CheckTrue : it->CheckFalse;
}

TCellGraphic* TExColumnGrid::GetHiddenRowGraphic(int ACol, int ARealRow) {
    if (FDestroying || !FCellGraphic) return nullptr;
    const TGridColumnItem* it = item(ACol);
    if (!it || it->Editor() != edDataCheckBox || !hiddenDataCell(ACol, ARealRow)) return nullptr;
    FCellGraphic->CellType = ctVirtCheckBox;
    FCellGraphic->CellTransparent = ControlLook().ControlStyle() == csFlat;
    FCellGraphic->CellHAlign = haBeforeText;
    return FCellGraphic.get();
}

QString TExColumnGrid::GetFloatFormat(int ACol, int ARow) const {
    if (const TGridColumnItem* it = item(ACol); it && !it->FloatFormat().isEmpty()) return it->FloatFormat();
    return TExStringGrid::GetFloatFormat(ACol, ARow);
}

void TExColumnGrid::GetCellDefaults(int ACol, int ARow, plat::TFont& AFont, plat::TBrush& ABrush, TColor& ColorTo,
                                    TColor& MirrorColor, TColor& MirrorColorTo, TAlignment& HA, TVAlignment& VA,
                                    bool& WW, TCellGradientDirection& GD) {
    const TGridColumnItem* it = item(ACol);
    if (!it) {
        TExStringGrid::GetCellDefaults(ACol, ARow, AFont, ABrush, ColorTo, MirrorColor, MirrorColorTo, HA, VA, WW, GD);
        return;
    }
    AFont.Assign(it->Font());
    ABrush.SetColor(it->Color());
    ColorTo = plat::clNone;
    HA = ARow < FixedRows() ? it->HeaderAlignment() : it->Alignment();
    VA = VAlignment();
    WW = WordWrap();
    GD = GradientVertical;
    if (IsFixed(ACol, ARow) || (it->ShowBands() && Bands().Active())) ABrush.SetColor(plat::clNone);
}

void TExColumnGrid::CanEditCell(int ACol, int ARow, bool& CanEdit) {
    CanEdit = false;
    if (const TGridColumnItem* it = item(ACol); it && isNormal(ACol, ARow)) CanEdit = !(it->ReadOnly || it->Fixed());
    if (CellHasProperties(ACol, ARow) && CanEdit) CanEdit = !GetReadOnly(ACol, ARow);
    const plat::TGridCoord bc = BaseCell(ACol, ARow);
    DoCanEditCell(bc.X, bc.Y, CanEdit);
}

bool TExColumnGrid::HasComboBox(int ACol, int ARow) {
    bool has = false;
    if (const TGridColumnItem* it = item(ACol); it && isNormal(ACol, ARow))
        has = it->Editor() == edComboEdit || it->Editor() == edComboList;
    if (OnHasComboBox) OnHasComboBox(this, ACol, ARow, has);
    return has;
}

bool TExColumnGrid::GetColumnFilter(int Column) {
    TExStringGrid::GetColumnFilter(Column);
    const TGridColumnItem* it = item(Column);
    if (!it || it->Filter().isEmpty()) return false;
    FFilterList.clear();
    for (const QString& e : it->Filter()) FFilterList.append(displayPart(e));
    return true;
}

void TExColumnGrid::FilterSelect(int ItemIndex) {
    const int col = FilterCol();
    TGridColumnItem* it = item(col);
    if (it && ItemIndex >= 0 && ItemIndex < it->Filter().size()) {
        const QString e = it->Filter()[ItemIndex];
        const QString d = displayPart(e);
        if (FAutoFilterDisplay) it->SetHeader(d);
        if (AutoFilterUpdate()) SetFilterActive(false);
        QString c = conditionPart(e);
        if (OnFilterSelect) OnFilterSelect(this, col, ItemIndex, d, c);
        TFilterData& f = Filter().GetColFilter(col);
        f.Condition = c;
        f.CaseSensitive = it->FilterCaseSensitive;
        if (AutoFilterUpdate()) {
            SetFilterActive(true);
            if (!(RowCount() <= FixedRows() || (RowCount() == 1 && FixedRowAlways()))) SetRow(FixedRows());
            FilterDone();
        }
    }
    SetFilterCol(-1);
}

QString TExColumnGrid::GetFormattedCell(int ACol, int ARow) {
    const TGridColumnItem* it = item(ACol);
    if (!it) return TExStringGrid::GetFormattedCell(ACol, ARow);
    QString f = it->FloatFormat();
    const QString text = GetCellEx(ACol, ARow);
    const int kind = ClassifyNumberText(text);
    bool isFloat = kind == 0 || kind == 1;
    if (OnGetFloatFormat) OnGetFloatFormat(this, ACol, ARow, isFloat, f);
    if (f.isEmpty() || !isFloat) return text;
    try {
        return plat::Format(f, {GetFloats(ACol, ARow)});
    } catch (const std::exception&) {
        return text;
    }
}

TCellType TExColumnGrid::GetCellType(int ACol, int ARow) {
    // The string grid's query already sees the shared box through GetCellGraphic.
    const TCellType t = TExStringGrid::GetCellType(ACol, ARow);
    if (t == ctVirtCheckBox && !FDestroying && GetCellGraphic(ACol, ARow) == FCellGraphic.get()) return ctDataCheckBox;
    return t;
}

TCellGraphic* TExColumnGrid::GetCellGraphic(int ACol, int ARow) {
    TCellGraphic* g = TExStringGrid::GetCellGraphic(ACol, ARow);
    if (g || FDestroying || !FCellGraphic) return g;
    if (const TGridColumnItem* it = item(ACol); it && it->Editor() == edDataCheckBox && inDataArea(ACol, ARow)) {
        FCellGraphic->CellType = ctVirtCheckBox;
        FCellGraphic->CellTransparent = ControlLook().ControlStyle() == csFlat;
        FCellGraphic->CellHAlign = haBeforeText;
        return FCellGraphic.get();
    }
    return nullptr;
}

QString TExColumnGrid::GetEditMask(int ACol, int ARow) {
    QString mask;
    const int real = RealColIndex(ACol);
    if (const TGridColumnItem* it = item(real); it && ACol >= FixedCols()) mask = it->EditMask;
    const QString grid = TExStringGrid::GetEditMask(ACol, ARow);
    return grid.isEmpty() ? mask : grid;
}

int TExColumnGrid::GetEditLength(int ACol, int ARow) {
    if (const TGridColumnItem* it = item(ACol); it && inDataArea(ACol, ARow)) return it->EditLength;
    return TExStringGrid::GetEditLength(ACol, ARow);
}

int TExColumnGrid::GetEditLimit() {
    if (const TGridColumnItem* it = item(RealColIndex(Col())); it && Col() >= FixedCols()) return it->EditLength;
    return TExStringGrid::GetEditLimit();
}

// ---- column positions

void TExColumnGrid::SaveColPositions() {
    if (ColumnSize().Location() == clIniFile)
        SaveColumnPositions(ColumnSize().Key(), ColumnSize().Section());
    else
        TExStringGrid::SaveColPositions();
}

void TExColumnGrid::LoadColPositions() {
    if (ColumnSize().Location() == clIniFile)
        LoadColumnPositions(ColumnSize().Key(), ColumnSize().Section());
    else
        TExStringGrid::LoadColPositions();
}

void TExColumnGrid::SaveColumnPositions(const QString& Key, const QString& Section) {
    plat::TIniFile ini(Key);
    for (int i = 0; i < FColumnCollection->Count(); ++i)
        ini.WriteInteger(Section, QStringLiteral("CP%1").arg(i), FColumnCollection->Items(i).DefIdx);
    ini.UpdateFile();
}

void TExColumnGrid::LoadColumnPositions(const QString& Key, const QString& Section) {
    const plat::TIniFile ini(Key);
    const int n = FColumnCollection->Count();
    std::vector<int> order(static_cast<size_t>(n));
    std::vector<bool> seen(static_cast<size_t>(n), false);
    for (int j = 0; j < n; ++j) {
        const int v = ini.ReadInteger(Section, QStringLiteral("CP%1").arg(j), -1);
        // A missing entry or anything but a permutation of the columns changes nothing.
        if (v < 0 || v >= n || seen[size_t(v)]) return;
        seen[size_t(v)] = true;
        order[size_t(j)] = v;
    }
    ResetColumnOrder();
    for (int j = 0; j < n; ++j) FColumnCollection->Items(order[size_t(j)]).DefIdx = j;
    FColumnCollection->ResetOrganization();
    for (int i = 0; i < n; ++i) FColumnCollection->Items(i).DefIdx = order[size_t(i)];
}

// ---------------------------------------------------------------- columns in a stream

namespace {

constexpr quint32 kColumnsMagic = 0x58434743;  // "XCGC"
constexpr quint16 kColumnsVersion = 1;
// More items than any grid holds columns: a stream saying otherwise is not one of ours.
constexpr quint32 kMaxStreamItems = 100000;

bool readString(QDataStream& s, QString& v);

void writeFont(QDataStream& s, const plat::TFont& f) {
    s << f.Name() << qint32(f.Height()) << quint8(f.Style().bits()) << quint32(f.Color());
}
bool readFont(QDataStream& s, plat::TFont& f) {
    QString name;
    qint32 height = 0;
    quint8 style = 0;
    quint32 color = 0;
    if (!readString(s, name)) return false;
    s >> height >> style >> color;
    if (s.status() != QDataStream::Ok || height < -1000 || height > 1000 || style > 0x0F) return false;
    f.SetName(name);
    f.SetHeight(height);
    f.SetStyle(plat::TFontStyles::fromBits(style));
    f.SetColor(color);
    return true;
}
void writePen(QDataStream& s, const plat::TPen& p) { s << quint32(p.Color()) << qint32(p.Width()) << quint8(p.Style()); }
bool readPen(QDataStream& s, plat::TPen& p) {
    quint32 color = 0;
    qint32 width = 0;
    quint8 style = 0;
    s >> color >> width >> style;
    if (s.status() != QDataStream::Ok || width < 0 || width > 1000 || style > plat::psClear) return false;
    p.SetColor(color);
    p.SetWidth(width);
    p.SetStyle(plat::TPenStyle(style));
    return true;
}

// Strings and lists are read only as far as the stream holds bytes for them, so a length that
// lies allocates nothing.
bool readString(QDataStream& s, QString& v) {
    quint32 bytes = 0;
    s >> bytes;
    if (s.status() != QDataStream::Ok) return false;
    if (bytes == 0xFFFFFFFFu) {
        v = QString();
        return true;
    }
    if ((bytes & 1) || qint64(bytes) > s.device()->bytesAvailable()) return false;
    QByteArray raw(qsizetype(bytes), Qt::Uninitialized);
    if (s.readRawData(raw.data(), int(bytes)) != int(bytes)) return false;
    v.resize(qsizetype(bytes / 2));
    for (qsizetype i = 0; i < v.size(); ++i)
        v[i] = QChar(char16_t((uchar(raw[2 * i]) << 8) | uchar(raw[2 * i + 1])));
    return true;
}
bool readList(QDataStream& s, QStringList& v) {
    quint32 n = 0;
    s >> n;
    if (s.status() != QDataStream::Ok || qint64(n) * 4 > s.device()->bytesAvailable()) return false;
    v.clear();
    for (quint32 i = 0; i < n; ++i) {
        QString e;
        if (!readString(s, e)) return false;
        v.append(e);
    }
    return true;
}

// Reads the items' fields in their written order: values into numbers, flags and texts alike.
struct FieldReader {
    QDataStream& s;
    bool ok = true;
    template <class T>
    FieldReader& operator>>(T& v) {
        if (!ok) return *this;
        if constexpr (std::is_same_v<T, QString>)
            ok = readString(s, v);
        else if constexpr (std::is_same_v<T, QStringList>)
            ok = readList(s, v);
        else {
            s >> v;
            ok = s.status() == QDataStream::Ok;
        }
        return *this;
    }
};

}  // namespace

TExColumnGridIO::TExColumnGridIO(TExColumnGrid* AOwner) : FItems(AOwner) { FItems.SetNoRecursiveUpdate(true); }

void TExColumnGrid::SaveColumnsToStream(QIODevice& st) {
    TExColumnGridIO io(this);
    io.SetItems(*FColumnCollection);
    QDataStream s(&st);
    s.setVersion(QDataStream::Qt_6_0);
    s << kColumnsMagic << kColumnsVersion << quint32(io.Items().Count());
    for (int i = 0; i < io.Items().Count(); ++i) {
        const TGridColumnItem& it = io.Items().Items(i);
        s << qint32(it.Width()) << quint8(it.Alignment()) << it.Header() << quint8(it.SortStyle) << it.SortPrefix
          << it.SortSuffix << it.EditMask << qint32(it.EditLength);
        writeFont(s, it.Font());
        s << quint32(it.Color()) << quint8(it.Editor()) << it.Fixed() << it.ReadOnly << it.ComboItems()
          << qint32(it.DropDownCount) << qint32(it.SpinMin) << qint32(it.SpinMax) << qint32(it.SpinStep)
          << it.Password();
        writeFont(s, it.PrintFont());
        s << quint32(it.PrintColor) << quint8(it.Borders().bits());
        writePen(s, it.BorderPen());
        s << quint8(it.PrintBorders.bits());
        writePen(s, it.PrintBorderPen);
        s << qint32(it.Tag) << qint32(it.DefIdx) << it.Name << it.CheckFalse << it.CheckTrue << it.ShowBands()
          << it.Filter() << qint32(it.MaxSize) << qint32(it.MinSize) << qint32(it.AutoMinSize)
          << qint32(it.AutoMaxSize) << quint8(it.ColumnPopupType) << it.FilterCaseSensitive << it.FloatFormat()
          << quint8(it.HeaderAlignment());
        writeFont(s, it.HeaderFont());
        s << it.PrintBorderCustom << it.PrintFontCustom;
    }
}

bool TExColumnGrid::LoadColumnsFromStream(QIODevice& st) {
    QDataStream s(&st);
    s.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0, count = 0;
    quint16 version = 0;
    s >> magic >> version >> count;
    if (s.status() != QDataStream::Ok || magic != kColumnsMagic || version != kColumnsVersion ||
        count > kMaxStreamItems)
        return false;
    // Read whole into a component of its own first: a stream that breaks off changes nothing.
    TExColumnGridIO io(this);
    for (quint32 i = 0; i < count; ++i) {
        TGridColumnItem& it = io.Items().Insert(io.Items().Count());
        qint32 width, editLength, dropDown, spinMin, spinMax, spinStep, tag, defIdx, maxSize, minSize, autoMin,
            autoMax;
        quint8 align, sortStyle, editor, borders, printBorders, popupType, headerAlign;
        quint32 color, printColor;
        QString header, prefix, suffix, mask, name, checkFalse, checkTrue, floatFormat;
        QStringList combo, filter;
        bool fixed, readOnly, password, showBands, caseSensitive, borderCustom, fontCustom;
        plat::TFont font, printFont, headerFont;
        plat::TPen pen, printPen;
        FieldReader r{s};
        r >> width >> align >> header >> sortStyle >> prefix >> suffix >> mask >> editLength;
        if (!r.ok || !readFont(s, font)) return false;
        r >> color >> editor >> fixed >> readOnly >> combo >> dropDown >> spinMin >> spinMax >> spinStep >> password;
        if (!r.ok || !readFont(s, printFont)) return false;
        r >> printColor >> borders;
        if (!r.ok || !readPen(s, pen)) return false;
        r >> printBorders;
        if (!r.ok || !readPen(s, printPen)) return false;
        r >> tag >> defIdx >> name >> checkFalse >> checkTrue >> showBands >> filter >> maxSize >> minSize >> autoMin >>
            autoMax >> popupType >> caseSensitive >> floatFormat >> headerAlign;
        if (!r.ok || !readFont(s, headerFont)) return false;
        r >> borderCustom >> fontCustom;
        if (!r.ok || s.status() != QDataStream::Ok || align > taCenter || headerAlign > taCenter ||
            sortStyle > ssAlphaNumericNoCase || editor > edMaskEditBtn || borders > 0x0F || printBorders > 0x0F ||
            popupType > cpAllCellsLClick || width < 0 || width > 32767)
            return false;
        it.FWidth = width;
        it.FAlignment = TAlignment(align);
        it.FColumnHeader = header;
        it.SortStyle = TSortStyle(sortStyle);
        it.SortPrefix = prefix;
        it.SortSuffix = suffix;
        it.EditMask = mask;
        it.EditLength = editLength;
        it.SetFont(font);
        it.FColor = color;
        it.FEditorType = TEditorType(editor);
        it.FFixed = fixed;
        it.ReadOnly = readOnly;
        it.FComboItems = combo;
        it.DropDownCount = dropDown;
        it.SpinMin = spinMin;
        it.SpinMax = spinMax;
        it.SpinStep = spinStep;
        it.FPassword = password;
        it.SetPrintFont(printFont);
        it.PrintColor = printColor;
        it.FBorders = TCellBorders::fromBits(borders);
        it.FBorderPen.Assign(pen);
        it.PrintBorders = TCellBorders::fromBits(printBorders);
        it.PrintBorderPen.Assign(printPen);
        it.Tag = tag;
        it.DefIdx = defIdx;
        it.Name = name;
        it.CheckFalse = checkFalse;
        it.CheckTrue = checkTrue;
        it.FShowBands = showBands;
        it.FFilter = filter;
        it.MaxSize = maxSize;
        it.MinSize = minSize;
        it.AutoMinSize = autoMin;
        it.AutoMaxSize = autoMax;
        it.ColumnPopupType = TColumnPopupType(popupType);
        it.FilterCaseSensitive = caseSensitive;
        it.FFloatFormat = floatFormat;
        it.FHeaderAlignment = TAlignment(headerAlign);
        it.SetHeaderFont(headerFont);
        it.PrintBorderCustom = borderCustom;
        it.PrintFontCustom = fontCustom;
    }
    {
        NoRecursive guard(*FColumnCollection);
        FColumnCollection->Assign(io.Items());
        // One item per real column still: the stream's count does not change the grid's.
        syncColumns();
    }
    RepaintGrid();
    return true;
}
