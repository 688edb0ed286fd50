// The tree's columns: widths and their limits, positions, the fixed area and the lookups by x.
#include <algorithm>
#include <cmath>

#include "treeview/LazyTrees.h"
#include "treeview/LazyTreesHeader.h"

using enum TLTColumnOption;
using enum TLTHeaderOption;
using enum THeaderState;

// ---- TLazyTreeColumn ----

TLazyTreeColumn::TLazyTreeColumn(TLazyTreeColumns* Owner) : FOwner(Owner) {}

TBaseLazyTree* TLazyTreeColumn::Tree() const { return FOwner->Tree(); }
TLTHeader* TLazyTreeColumn::Header() const { return FOwner->Header(); }

int TLazyTreeColumn::Index() const {
    for (int i = 0; i < FOwner->Count(); ++i)
        if (FOwner->FItems[size_t(i)].get() == this) return i;
    return NoColumn;
}

void TLazyTreeColumn::Changed() { FOwner->Update(this); }

void TLazyTreeColumn::RepaintTree() {
    if (TBaseLazyTree* tree = Tree(); tree && tree->UpdateCount() == 0) tree->viewport()->update();
}

void TLazyTreeColumn::SetText(const QString& Value) {
    if (FText == Value) return;
    FText = Value;
    FCaptionText.clear();  // the wrapped caption belongs to the old text
    Changed();
}

void TLazyTreeColumn::SetWidth(int Value) {
    TLTHeader* header = Header();
    if (header->FStates.Contains(hsScaling)) return;
    if (FOptions.Contains(coVisible) && FOptions.Contains(coFixed)) {
        // The fixed columns together stay within their own limits and the client percentages.
        int maxSum = 0, minSum = 0;
        for (const auto& c : FOwner->FItems)
            if (c->FOptions.Contains(coVisible) && c->FOptions.Contains(coFixed)) {
                maxSum += c->FMaxWidth;
                minSum += c->FMinWidth;
            }
        const int W = FOwner->ClientWidth();
        const int F = FOwner->GetVisibleFixedWidth();
        const auto& k = header->FFixedAreaConstraints;
        auto P = [W](int x) { return W * x / 100; };
        int upper = k.MinWidthPercent() > 0 ? std::max(maxSum, P(k.MinWidthPercent())) : maxSum;
        upper = std::min(upper + FWidth - F, FMaxWidth);
        int lower = k.MaxWidthPercent() > 0 ? std::min(minSum, P(k.MaxWidthPercent())) : minSum;
        lower = std::max(lower + FWidth - F, FMinWidth);
        Value = std::min(std::max(Value, lower), upper);
        if (k.MinWidthPercent() > 0) Value = std::max(Value, P(k.MinWidthPercent()) + FWidth - F);
        if (k.MaxWidthPercent() > 0) Value = std::min(Value, P(k.MaxWidthPercent()) + FWidth - F);
    } else {
        Value = std::min(std::max(Value, FMinWidth), FMaxWidth);
    }
    if (Value == FWidth) return;
    const bool autoSized = header->FOptions.Contains(hoAutoResize) && Index() == FOwner->AutoSizeColumn();
    // The auto-size column takes only what FitAutoSizeColumn gives it.
    if (autoSized) return;
    FLastWidth = FWidth;
    if (!header->FStates.Contains(hsResizing)) FBonusPixel = false;
    FWidth = Value;
    FOwner->UpdatePositions();
    if (!header->FStates.Contains(hsLoading) && !FOwner->Updating()) {
        if (header->FOptions.Contains(hoAutoResize)) FOwner->FitAutoSizeColumn();
        header->DoColumnResize(Index());
    }
}

void TLazyTreeColumn::SetMinWidth(int Value) {
    FMinWidth = std::min(std::max(Value, 0), FMaxWidth);
    SetWidth(FWidth);
}

void TLazyTreeColumn::SetMaxWidth(int Value) {
    FMaxWidth = std::max(Value, FMinWidth);
    SetWidth(FWidth);
}

void TLazyTreeColumn::RestoreLastWidth() { FOwner->AnimatedResize(Index(), FLastWidth); }

void TLazyTreeColumn::SetPosition(TColumnPosition Value) {
    if (Header()->FStates.Contains(hsLoading)) {
        FPosition = Value;
        return;
    }
    // Negative positions arrive as large unsigned values and go to the end.
    Value = std::min<TColumnPosition>(Value, TColumnPosition(FOwner->Count() - 1));
    if (Value == FPosition) return;
    FOwner->InitializePositionArray();
    if (TBaseLazyTree* tree = Tree()) tree->CancelEditNode();
    FOwner->MoveInPositionArray(*this, Value);
    Changed();
    if (!FOwner->Updating()) RepaintTree();
    // The fixed area stays one block at the left: the neighbour decides.
    TColumnIndex neighbour = NoColumn;
    if (FOptions.Contains(coFixed) && FPosition > 0)
        neighbour = FOwner->ColumnFromPosition(FPosition - 1);
    else
        neighbour = FOwner->ColumnFromPosition(FPosition + 1);
    const bool fixed = neighbour >= 0 && (*FOwner)[neighbour].FOptions.Contains(coFixed);
    if (fixed != FOptions.Contains(coFixed)) SetOptions(fixed ? FOptions + coFixed : FOptions - coFixed);
}

void TLazyTreeColumn::SetOptions(TLTColumnOptions Value) {
    if (Value == FOptions) return;
    const TLTColumnOptions added = Value - FOptions, changed = (Value - FOptions) + (FOptions - Value);
    FOptions = Value;
    if (added.Contains(coParentBidiMode)) ParentBiDiModeChanged();
    if (added.Contains(coParentColor)) ParentColorChanged();
    if (added.Contains(coAutoSpring)) FSpringRest = 0;
    if (changed.Contains(coFixed) && FOptions.Contains(coVisible)) Header()->RecalculateHeader();
    Changed();
    if (changed.Contains(coVisible) || added.Contains(coParentColor)) {
        if (TBaseLazyTree* tree = Tree(); tree && tree->UpdateCount() == 0) {
            if (changed.Contains(coVisible)) tree->UpdateHorizontalScrollBar(false);
            tree->viewport()->update();
        }
    }
}

void TLazyTreeColumn::SetMargin(int Value) {
    FMargin = Value < 0 ? 4 : Value;
    Changed();
}
void TLazyTreeColumn::SetSpacing(int Value) {
    FSpacing = Value;
    Changed();
}
void TLazyTreeColumn::SetStyle(TLazyTreeColumnStyle Value) {
    FStyle = Value;
    Changed();
}
void TLazyTreeColumn::SetImageIndex(int Value) {
    FImageIndex = Value;
    Changed();
}
void TLazyTreeColumn::SetLayout(TLTHeaderColumnLayout Value) {
    FLayout = Value;
    Changed();
}
void TLazyTreeColumn::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    Changed();
    RepaintTree();
}
TAlignment TLazyTreeColumn::CaptionAlignment() const {
    return FOptions.Contains(coUseCaptionAlignment) ? FCaptionAlignment : FAlignment;
}
void TLazyTreeColumn::SetCaptionAlignment(TAlignment Value) {
    FCaptionAlignment = Value;
    FOptions += coUseCaptionAlignment;
    Changed();
}
void TLazyTreeColumn::SetBiDiMode(TColumnBiDiMode Value) {
    FBiDiMode = Value;
    FOptions -= coParentBidiMode;
    Changed();
    RepaintTree();
}
void TLazyTreeColumn::SetColor(plat::TColor Value) {
    FColor = Value;
    FOptions -= coParentColor;
    Changed();
    RepaintTree();
}
void TLazyTreeColumn::SetCheckBox(bool Value) {
    FCheckBox = Value;
    Changed();
}
void TLazyTreeColumn::SetCheckType(TCheckType Value) {
    FCheckType = Value;
    Changed();
}
void TLazyTreeColumn::SetCheckState(TCheckState Value) {
    FCheckState = Value;
    Changed();
}

void TLazyTreeColumn::ParentBiDiModeChanged() {
    if (!FOptions.Contains(coParentBidiMode)) return;
    if (TBaseLazyTree* tree = Tree()) {
        FBiDiMode = tree->UseRightToLeftReading() ? TColumnBiDiMode::bdRightToLeft : TColumnBiDiMode::bdLeftToRight;
        Changed();
    }
}

void TLazyTreeColumn::ParentColorChanged() {
    if (!FOptions.Contains(coParentColor)) return;
    if (TBaseLazyTree* tree = Tree()) {
        FColor = tree->Color();
        Changed();
    }
}

int TLazyTreeColumn::Left() const {
    if (FOptions.Contains(coVisible) && FOptions.Contains(coFixed)) return FLeft;
    const TBaseLazyTree* tree = Tree();
    return tree ? FLeft + int(tree->OffsetX()) : FLeft;
}

plat::TRect TLazyTreeColumn::GetRect() const {
    const int top = -Header()->Height();
    return plat::Rect(FLeft, top, FLeft + FWidth, 0);
}

QString TLazyTreeColumn::GetDisplayName() const {
    for (QChar c : FText)
        if (c.unicode() > 255) return QStringLiteral("Column %1").arg(Index());
    return FText;
}

void TLazyTreeColumn::Assign(const TLazyTreeColumn& Source) {
    const TLTColumnOptions own = FOptions;
    FOptions = {};  // the setters below must not act on the old options
    SetBiDiMode(Source.FBiDiMode);
    SetImageIndex(Source.FImageIndex);
    SetLayout(Source.FLayout);
    SetMargin(Source.FMargin);
    SetMaxWidth(Source.FMaxWidth);
    SetMinWidth(Source.FMinWidth);
    SetPosition(Source.FPosition);
    SetSpacing(Source.FSpacing);
    SetStyle(Source.FStyle);
    SetText(Source.FText);
    SetHint(Source.FHint);
    SetWidth(Source.FWidth);
    SetAlignment(Source.FAlignment);
    FCaptionAlignment = Source.FCaptionAlignment;
    SetColor(Source.FColor);
    FTag = Source.FTag;
    FOptions = own;
    SetOptions(Source.FOptions);
    Changed();
}

bool TLazyTreeColumn::Equals(const TLazyTreeColumn& o) const {
    return FBiDiMode == o.FBiDiMode && FImageIndex == o.FImageIndex && FLayout == o.FLayout &&
           FMargin == o.FMargin && FMaxWidth == o.FMaxWidth && FMinWidth == o.FMinWidth &&
           FPosition == o.FPosition && FSpacing == o.FSpacing && FStyle == o.FStyle && FText == o.FText &&
           FHint == o.FHint && FWidth == o.FWidth && FAlignment == o.FAlignment &&
           FCaptionAlignment == o.FCaptionAlignment && FColor == o.FColor && FTag == o.FTag &&
           FOptions == o.FOptions;
}

// ---- TLazyTreeColumns ----

TLazyTreeColumns::TLazyTreeColumns(TLTHeader* Header) : FHeader(Header) {}
TLazyTreeColumns::~TLazyTreeColumns() {
    FClearing = true;
    FItems.clear();
}

TBaseLazyTree* TLazyTreeColumns::Tree() const { return FHeader->Treeview(); }

int TLazyTreeColumns::ClientWidth() const {
    const TBaseLazyTree* tree = Tree();
    return tree ? tree->viewport()->width() : 0;
}

int TLazyTreeColumns::RTLOffset() const {
    // Columns narrower than the client lie against its right edge in right-to-left layout.
    const TBaseLazyTree* tree = Tree();
    if (!tree || !tree->UseRightToLeftReading()) return 0;
    return std::max(0, ClientWidth() - int(tree->RangeX()));
}

TColumnIndex TLazyTreeColumns::AutoSizeColumn() const {
    return IsValidColumn(FHeader->FAutoSizeIndex) ? FHeader->FAutoSizeIndex : Count() - 1;
}

TLazyTreeColumn* TLazyTreeColumns::Add() {
    auto column = std::make_unique<TLazyTreeColumn>(this);
    TLazyTreeColumn* c = column.get();
    FItems.push_back(std::move(column));
    ++FUpdateCount;  // the new column is not whole yet: no positions, no fitting
    c->FWidth = c->FLastWidth = FDefaultWidth;
    InitializePositionArray();
    c->FPosition = TColumnPosition(Count() - 1);
    --FUpdateCount;
    c->ParentBiDiModeChanged();
    c->ParentColorChanged();
    Update(nullptr);
    return c;
}

void TLazyTreeColumns::Delete(TColumnIndex Index) {
    if (!IsValidColumn(Index)) return;
    if (TBaseLazyTree* tree = Tree()) {
        tree->CancelEditNode();
        if (tree->FocusedColumn() == Index) tree->FFocusedColumn = NoColumn;
        else if (tree->FocusedColumn() > Index) --tree->FFocusedColumn;
    }
    AdjustPositionArray(Index, NoColumn);
    auto fix = [Index](TColumnIndex& i) {
        if (i == Index) i = NoColumn;
        else if (i > Index) --i;
    };
    fix(FHoverIndex);
    fix(FDownIndex);
    fix(FTrackIndex);
    fix(FClickIndex);
    fix(FHeader->FAutoSizeIndex);
    fix(FHeader->FSortColumn);
    if (FHeader->FMainColumn == Index) {
        // The first other column takes over the tree structure.
        FHeader->FMainColumn = Count() > 1 ? 0 : NoColumn;
    } else if (FHeader->FMainColumn > Index) {
        --FHeader->FMainColumn;
    }
    FItems.erase(FItems.begin() + Index);
    Update(nullptr);
}

void TLazyTreeColumns::Clear() {
    FClearing = true;
    if (TBaseLazyTree* tree = Tree()) tree->CancelEditNode();
    FHoverIndex = FDownIndex = FTrackIndex = FClickIndex = NoColumn;
    FCheckBoxHit = false;
    if (!FHeader->FStates.Contains(hsLoading)) {
        FHeader->FAutoSizeIndex = NoColumn;
        FHeader->FMainColumn = NoColumn;
        FHeader->FSortColumn = NoColumn;
    }
    if (TBaseLazyTree* tree = Tree()) tree->FFocusedColumn = NoColumn;
    FItems.clear();
    FPositionToIndex.clear();
    FClearing = false;
    Update(nullptr);
}

void TLazyTreeColumns::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0) Update(nullptr);
}

void TLazyTreeColumns::Assign(const TLazyTreeColumns& Source) {
    BeginUpdate();
    FItems.clear();
    for (const auto& s : Source.FItems) {
        auto c = std::make_unique<TLazyTreeColumn>(this);
        FItems.push_back(std::move(c));
    }
    InitializePositionArray();
    for (size_t i = 0; i < Source.FItems.size(); ++i) {
        TLazyTreeColumn& c = *FItems[i];
        const TLazyTreeColumn& s = *Source.FItems[i];
        c.FText = s.FText;
        c.FHint = s.FHint;
        c.FWidth = s.FWidth;
        c.FLastWidth = s.FLastWidth;
        c.FMinWidth = s.FMinWidth;
        c.FMaxWidth = s.FMaxWidth;
        c.FStyle = s.FStyle;
        c.FImageIndex = s.FImageIndex;
        c.FBiDiMode = s.FBiDiMode;
        c.FLayout = s.FLayout;
        c.FMargin = s.FMargin;
        c.FSpacing = s.FSpacing;
        c.FOptions = s.FOptions;
        c.FTag = s.FTag;
        c.FAlignment = s.FAlignment;
        c.FCaptionAlignment = s.FCaptionAlignment;
        c.FColor = s.FColor;
        c.FCheckBox = s.FCheckBox;
        c.FCheckType = s.FCheckType;
        c.FCheckState = s.FCheckState;
        c.FDefaultSortDirection = s.FDefaultSortDirection;
    }
    FPositionToIndex = Source.FPositionToIndex;
    FNeedPositionsFix = false;
    --FUpdateCount;
    UpdatePositions(true);
    Update(nullptr);
}

bool TLazyTreeColumns::Equals(const TLazyTreeColumns& Other) const {
    if (Count() != Other.Count() || FPositionToIndex != Other.FPositionToIndex) return false;
    for (int i = 0; i < Count(); ++i)
        if (!FItems[size_t(i)]->Equals(*Other.FItems[size_t(i)])) return false;
    return true;
}

void TLazyTreeColumns::Update(TLazyTreeColumn* Item) {
    InitializePositionArray();
    if (FHeader->FStates.Contains(hsLoading)) {
        FNeedPositionsFix = true;
    } else {
        UpdatePositions();
    }
    if (Count() > 0 && FHeader->FMainColumn < 0) FHeader->FMainColumn = 0;
    if (FHeader->FStates.Contains(hsLoading) || Updating()) return;
    if (FHeader->FOptions.Contains(hoAutoResize)) FitAutoSizeColumn();
    TBaseLazyTree* tree = Tree();
    if (!tree) return;
    if (Item) {
        FHeader->Invalidate(Item);
    } else {
        tree->UpdateHorizontalScrollBar(false);
        FHeader->Invalidate(nullptr);
        tree->viewport()->update();
    }
}

void TLazyTreeColumns::InitializePositionArray() {
    const size_t oldSize = FPositionToIndex.size(), n = FItems.size();
    if (n > oldSize) {
        FPositionToIndex.resize(n);
        for (size_t i = oldSize; i < n; ++i) FPositionToIndex[i] = TColumnIndex(i);
    } else if (n < oldSize) {
        FPositionToIndex.resize(n);
        // Indices that no longer exist close up until the array is a permutation again.
        bool again = true;
        while (again) {
            again = false;
            for (TColumnIndex& e : FPositionToIndex)
                if (e >= TColumnIndex(n)) {
                    --e;
                    again = true;
                }
        }
    }
}

void TLazyTreeColumns::AdjustPositionArray(TColumnIndex OldIndex, TColumnIndex NewIndex) {
    auto& a = FPositionToIndex;
    if (NewIndex < 0) {
        auto it = std::find(a.begin(), a.end(), OldIndex);
        if (it != a.end()) a.erase(it);
        for (TColumnIndex& e : a)
            if (e > OldIndex) --e;
        return;
    }
    for (TColumnIndex& e : a) {
        if (e == OldIndex) e = NewIndex;
        else if (OldIndex < NewIndex && e > OldIndex && e <= NewIndex) --e;
        else if (OldIndex > NewIndex && e >= NewIndex && e < OldIndex) ++e;
    }
}

void TLazyTreeColumns::MoveInPositionArray(TLazyTreeColumn& Column, TColumnPosition NewPosition) {
    const TColumnIndex index = Column.Index();
    auto& a = FPositionToIndex;
    auto it = std::find(a.begin(), a.end(), index);
    if (it == a.end()) return;
    a.erase(it);
    a.insert(a.begin() + NewPosition, index);
    for (size_t p = 0; p < a.size(); ++p) FItems[size_t(a[p])]->FPosition = TColumnPosition(p);
}

void TLazyTreeColumns::RebuildPositionArray() {
    FPositionToIndex.assign(FItems.size(), 0);
    for (size_t i = 0; i < FItems.size(); ++i) {
        const TColumnPosition p = std::min<TColumnPosition>(FItems[i]->FPosition, TColumnPosition(FItems.size() - 1));
        FPositionToIndex[p] = TColumnIndex(i);
    }
    FNeedPositionsFix = false;
    UpdatePositions(true);
}

void TLazyTreeColumns::ResetPositionOrder(bool RightToLeft) {
    const int n = Count();
    FPositionToIndex.resize(size_t(n));
    for (int i = 0; i < n; ++i) FPositionToIndex[size_t(i)] = RightToLeft ? n - 1 - i : i;
    UpdatePositions(true);
}

void TLazyTreeColumns::UpdatePositions(bool Force) {
    TBaseLazyTree* tree = Tree();
    if ((tree && tree->Destroying()) || FNeedPositionsFix || (Updating() && !Force)) return;
    int left = 0;
    for (size_t p = 0; p < FPositionToIndex.size(); ++p) {
        TLazyTreeColumn& c = *FItems[size_t(FPositionToIndex[p])];
        c.FPosition = TColumnPosition(p);
        c.FLeft = left;
        if (c.FOptions.Contains(coVisible)) left += c.FWidth;
    }
    if (tree) tree->UpdateHorizontalScrollBar(false);
}

TColumnIndex TLazyTreeColumns::ColumnFromPosition(QPoint P, bool Relative) const {
    int l = 0, r = 0;
    return GetColumnAndBounds(P, l, r, Relative);
}

TColumnIndex TLazyTreeColumns::ColumnFromPosition(TColumnPosition PositionIndex) const {
    return PositionIndex < FPositionToIndex.size() ? FPositionToIndex[PositionIndex] : NoColumn;
}

TColumnIndex TLazyTreeColumns::GetColumnAndBounds(QPoint P, int& L, int& R, bool Relative) const {
    const TBaseLazyTree* tree = Tree();
    const int treeHeight = tree ? tree->viewport()->height() : 0;
    if (P.x() < 0 || P.y() < 0 || P.y() > treeHeight) return InvalidColumn;
    int sum = 0;
    if (tree) {
        if (Relative && P.x() >= GetVisibleFixedWidth()) sum += int(tree->OffsetX());
        if (tree->UseRightToLeftReading()) sum += RTLOffset();
    }
    for (TColumnIndex index : FPositionToIndex) {
        const TLazyTreeColumn& c = *FItems[size_t(index)];
        if (!c.FOptions.Contains(coVisible)) continue;
        L = sum;
        sum += c.FWidth;
        R = sum;
        if (P.x() < sum) return index;
    }
    return InvalidColumn;
}

void TLazyTreeColumns::GetColumnBounds(TColumnIndex Column, int& L, int& R) const {
    if (Column < 0 || !IsValidColumn(Column)) {
        L = 0;
        R = ClientWidth();
        return;
    }
    const TLazyTreeColumn& c = *FItems[size_t(Column)];
    L = c.Left();
    R = L + c.FWidth;
    if (const TBaseLazyTree* tree = Tree(); tree && tree->UseRightToLeftReading()) {
        L -= RTLOffset();
        R -= RTLOffset();
    }
}

TColumnIndex TLazyTreeColumns::WalkVisible(int Start, int Step, bool ConsiderAllowFocus) const {
    for (int p = Start; p >= 0 && p < int(FPositionToIndex.size()); p += Step) {
        const TLazyTreeColumn& c = *FItems[size_t(FPositionToIndex[size_t(p)])];
        if (c.FOptions.Contains(coVisible) && (!ConsiderAllowFocus || c.FOptions.Contains(coAllowFocus)))
            return FPositionToIndex[size_t(p)];
    }
    return InvalidColumn;
}

TColumnIndex TLazyTreeColumns::GetFirstVisibleColumn(bool ConsiderAllowFocus) const {
    return WalkVisible(0, 1, ConsiderAllowFocus);
}
TColumnIndex TLazyTreeColumns::GetLastVisibleColumn(bool ConsiderAllowFocus) const {
    return WalkVisible(Count() - 1, -1, ConsiderAllowFocus);
}
TColumnIndex TLazyTreeColumns::GetNextVisibleColumn(TColumnIndex Column, bool ConsiderAllowFocus) const {
    if (!IsValidColumn(Column)) return InvalidColumn;
    return WalkVisible(int(FItems[size_t(Column)]->FPosition) + 1, 1, ConsiderAllowFocus);
}
TColumnIndex TLazyTreeColumns::GetPreviousVisibleColumn(TColumnIndex Column, bool ConsiderAllowFocus) const {
    if (!IsValidColumn(Column)) return InvalidColumn;
    return WalkVisible(int(FItems[size_t(Column)]->FPosition) - 1, -1, ConsiderAllowFocus);
}
TColumnIndex TLazyTreeColumns::GetFirstColumn() const {
    return FPositionToIndex.empty() ? InvalidColumn : FPositionToIndex.front();
}
TColumnIndex TLazyTreeColumns::GetNextColumn(TColumnIndex Column) const {
    if (!IsValidColumn(Column)) return InvalidColumn;
    const size_t p = FItems[size_t(Column)]->FPosition + 1;
    return p < FPositionToIndex.size() ? FPositionToIndex[p] : InvalidColumn;
}
TColumnIndex TLazyTreeColumns::GetPreviousColumn(TColumnIndex Column) const {
    if (!IsValidColumn(Column) || FItems[size_t(Column)]->FPosition == 0) return InvalidColumn;
    return FPositionToIndex[FItems[size_t(Column)]->FPosition - 1];
}

TColumnsArray TLazyTreeColumns::GetVisibleColumns() const {
    TColumnsArray result;
    for (TColumnIndex index : FPositionToIndex)
        if (FItems[size_t(index)]->FOptions.Contains(coVisible)) result.push_back(FItems[size_t(index)].get());
    return result;
}

int TLazyTreeColumns::GetVisibleFixedWidth() const {
    int sum = 0;
    for (const auto& c : FItems)
        if (c->FOptions.Contains(coVisible) && c->FOptions.Contains(coFixed)) sum += c->FWidth;
    return sum;
}

int TLazyTreeColumns::GetScrollWidth() const {
    int n = 0;
    int64_t sum = 0;
    for (const auto& c : FItems)
        if (c->FOptions.Contains(coVisible) && !c->FOptions.Contains(coFixed)) {
            ++n;
            sum += c->FWidth;
        }
    if (n == 0) {
        const TBaseLazyTree* tree = Tree();
        return tree ? int(tree->Indent()) : 0;
    }
    // Halves go to the even neighbour, as the default rounding of the floating-point unit does.
    return int(std::nearbyint(double(sum) / n));
}

int TLazyTreeColumns::TotalWidth() const {
    for (auto it = FPositionToIndex.rbegin(); it != FPositionToIndex.rend(); ++it) {
        const TLazyTreeColumn& c = *FItems[size_t(*it)];
        if (c.FOptions.Contains(coVisible)) return c.FLeft + c.FWidth;
    }
    return 0;
}

void TLazyTreeColumns::FitAutoSizeColumn(bool Force) {
    if (Count() == 0) return;
    const TColumnIndex index = AutoSizeColumn();
    TLazyTreeColumn& c = *FItems[size_t(index)];
    int available = ClientWidth();
    for (int i = 0; i < Count(); ++i)
        if (i != index && FItems[size_t(i)]->FOptions.Contains(coVisible)) available -= FItems[size_t(i)]->FWidth;
    int width = std::min(available, c.FMaxWidth);
    if (width < c.FMinWidth) width = c.FMinWidth;
    if (!Force && width == c.FWidth) return;
    c.FWidth = width;
    UpdatePositions();
    FHeader->DoColumnResize(index);
}

void TLazyTreeColumns::AnimatedResize(TColumnIndex Column, int NewWidth) {
    if (!IsValidColumn(Column)) return;
    TLazyTreeColumn& c = *FItems[size_t(Column)];
    NewWidth = std::clamp(NewWidth, c.FMinWidth, std::max(c.FMinWidth, c.FMaxWidth));
    if (NewWidth == c.FWidth) return;
    c.SetWidth(NewWidth);
}
