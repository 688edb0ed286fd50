// The column header: height and its limits, the main, sort and auto-size columns, the fixed-area
// constraints and the distribution of width changes over columns.
#include "treeview/LazyTreesHeader.h"

#include <algorithm>
#include <cmath>

#include "treeview/LTAccessibilityFactory.h"
#include "treeview/LazyTrees.h"

using enum TLTColumnOption;
using enum TLTHeaderOption;
using enum THeaderState;

// ---- TLTFixedAreaConstraints ----

void TLTFixedAreaConstraints::SetMaxHeightPercent(int Value) {
    FMaxHeightPercent = uint8_t(std::clamp(Value, 0, 100));
    if (FMaxHeightPercent > 0 && FMaxHeightPercent < FMinHeightPercent) FMinHeightPercent = FMaxHeightPercent;
    Change();
}
void TLTFixedAreaConstraints::SetMaxWidthPercent(int Value) {
    FMaxWidthPercent = uint8_t(std::clamp(Value, 0, 100));
    if (FMaxWidthPercent > 0 && FMaxWidthPercent < FMinWidthPercent) FMinWidthPercent = FMaxWidthPercent;
    Change();
}
void TLTFixedAreaConstraints::SetMinHeightPercent(int Value) {
    FMinHeightPercent = uint8_t(std::clamp(Value, 0, 100));
    if (FMaxHeightPercent > 0 && FMaxHeightPercent < FMinHeightPercent) FMaxHeightPercent = FMinHeightPercent;
    Change();
}
void TLTFixedAreaConstraints::SetMinWidthPercent(int Value) {
    FMinWidthPercent = uint8_t(std::clamp(Value, 0, 100));
    if (FMaxWidthPercent > 0 && FMaxWidthPercent < FMinWidthPercent) FMaxWidthPercent = FMinWidthPercent;
    Change();
}
void TLTFixedAreaConstraints::Assign(const TLTFixedAreaConstraints& Source) {
    FMaxHeightPercent = Source.FMaxHeightPercent;
    FMaxWidthPercent = Source.FMaxWidthPercent;
    FMinHeightPercent = Source.FMinHeightPercent;
    FMinWidthPercent = Source.FMinWidthPercent;
    Change();
}

// ---- TLTHeader ----

TLTHeader::TLTHeader(TBaseLazyTree* Owner)
    : FOwner(Owner), FColumns(std::make_unique<TLazyTreeColumns>(this)), FDragImage(std::make_unique<TLTDragImage>(Owner)) {
    // A dragged column shows as a flat, slightly darkened copy of its cell.
    FDragImage->SetFade(false);
    FDragImage->SetPreBlendBias(-50);
    FDragImage->SetPostBlendBias(0);
    FDragImage->SetTransparency(140);
    FFixedAreaConstraints.OnChange = [this] {
        if (FOwner && FOwner->HasWindow()) RecalculateHeader();
        else FStates += hsNeedScaling;
    };
}

TLTHeader::~TLTHeader() = default;

int TLTHeader::TreeHeight() const { return FOwner ? FOwner->viewport()->height() + FHeight : FHeight; }

void TLTHeader::SetHeight(int Value) {
    if (!FOwner || !FOwner->HasWindow()) {
        FHeight = Value;
        FStates += hsNeedScaling;
        return;
    }
    const auto& k = FFixedAreaConstraints;
    const int T = TreeHeight();
    const int hMax = T * k.MaxHeightPercent() / 100, hMin = T * k.MinHeightPercent() / 100;
    const int lower = k.MaxHeightPercent() > 0 ? std::min(FMinHeight, hMax) : FMinHeight;
    const int upper = k.MinHeightPercent() > 0 ? std::max(FMaxHeight, hMin) : FMaxHeight;
    int v = std::min(std::max(Value, lower), upper);
    if (k.MinHeightPercent() > 0) v = std::max(v, hMin);
    if (k.MaxHeightPercent() > 0) v = std::min(v, hMax);
    if (v == FHeight) return;
    FHeight = v;
    if (!FStates.Contains(hsLoading) && !FStates.Contains(hsScaling)) FOwner->UpdateHeaderFrame();
    FOwner->viewport()->update();
}

void TLTHeader::SetDefaultHeight(int Value) {
    Value = std::clamp(Value, FMinHeight, std::max(FMinHeight, FMaxHeight));
    const bool follows = FHeight == FDefaultHeight;
    FDefaultHeight = Value;
    if (follows) SetHeight(Value);
}

void TLTHeader::SetMinHeight(int Value) {
    FMinHeight = std::min(std::max(Value, 0), FMaxHeight);
    SetHeight(FHeight);
}

void TLTHeader::SetMaxHeight(int Value) {
    FMaxHeight = std::max(Value, FMinHeight);
    SetHeight(FHeight);
}

void TLTHeader::SetOptions(TLTHeaderOptions Value) {
    const TLTHeaderOptions old = FOptions;
    FOptions = Value;
    const bool autoResizeChanged = old.Contains(hoAutoResize) != Value.Contains(hoAutoResize);
    if (autoResizeChanged && UseColumns()) {
        FColumns->FitAutoSizeColumn();
        if (FOwner && FOwner->HasWindow()) {
            FOwner->UpdateHorizontalScrollBar(false);
            if (Value.Contains(hoAutoResize)) FOwner->viewport()->update();
        }
    }
    if (FOwner && FOwner->HasWindow() && !FStates.Contains(hsLoading)) {
        if (old.Contains(hoVisible) != Value.Contains(hoVisible)) FOwner->UpdateHeaderFrame();
        Invalidate(nullptr);
        FOwner->viewport()->update();
    }
}

void TLTHeader::SetMainColumn(TColumnIndex Value) {
    if (FStates.Contains(hsLoading)) {
        FMainColumn = Value;
        return;
    }
    if (!UseColumns()) return;
    Value = std::clamp(Value, 0, FColumns->Count() - 1);
    if (Value == FMainColumn) return;
    FMainColumn = Value;
    if (FOwner) {
        FOwner->NotifyAccessibleEvent(EVENT_OBJECT_NAMECHANGE);
        FOwner->CancelEditNode();
        if (!FOwner->TreeOptions().SelectionOptions().Contains(TLTSelectionOption::toExtendedFocus))
            FOwner->SetFocusedColumn(FMainColumn);
        FOwner->viewport()->update();
    }
}

void TLTHeader::SetSortColumn(TColumnIndex Value) {
    if (FStates.Contains(hsLoading)) {
        FSortColumn = Value;
        return;
    }
    ChangeSortColumn(Value);
}

void TLTHeader::ChangeSortColumn(TColumnIndex Value) {
    Value = std::clamp(Value, NoColumn, FColumns->Count() - 1);
    if (Value == FSortColumn) return;
    if (FColumns->IsValidColumn(FSortColumn)) Invalidate(FColumns->Items(FSortColumn));
    FSortColumn = Value;
    if (FColumns->IsValidColumn(FSortColumn)) Invalidate(FColumns->Items(FSortColumn));
    if (FOwner && FOwner->UpdateCount() == 0 &&
        (FOwner->TreeOptions().AutoOptions().Contains(TLTAutoOption::toAutoSort) ||
         FOptions.Contains(hoHeaderClickAutoSort)))
        FOwner->SortTree(FSortColumn, FSortDirection, true);
}

void TLTHeader::SetSortDirection(TSortDirection Value) {
    if (Value == FSortDirection) return;
    FSortDirection = Value;
    Invalidate(nullptr);
    if (FOwner && FOwner->UpdateCount() == 0 &&
        (FOwner->TreeOptions().AutoOptions().Contains(TLTAutoOption::toAutoSort) ||
         FOptions.Contains(hoHeaderClickAutoSort)))
        FOwner->SortTree(FSortColumn, FSortDirection, true);
}

void TLTHeader::SetAutoSizeIndex(TColumnIndex Value) {
    if (Value == FAutoSizeIndex) return;
    FAutoSizeIndex = Value;
    if (FOptions.Contains(hoAutoResize)) FColumns->FitAutoSizeColumn();
}

bool TLTHeader::AllowFocus(TColumnIndex Column) const {
    return FColumns->IsValidColumn(Column) && (*FColumns)[Column].Options().Contains(coAllowFocus);
}

void TLTHeader::Invalidate(const TLazyTreeColumn*, bool) {
    if (!FOptions.Contains(hoVisible) || !FOwner || !FOwner->HasWindow()) return;
    FOwner->InvalidateHeader();
}

void TLTHeader::DoColumnResize(TColumnIndex Column) {
    if (FOwner) FOwner->DoColumnResize(Column);
}

void TLTHeader::RestoreColumns() {
    const auto& order = FColumns->PositionToIndex();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        TLazyTreeColumn& c = (*FColumns)[*it];
        if (c.Options().Contains(coResizable) && c.Options().Contains(coVisible)) c.RestoreLastWidth();
    }
}

void TLTHeader::RecalculateHeader() {
    if (!FOwner || FOwner->Destroying() || FStates.Contains(hsLoading) || !FOwner->HasWindow()) return;
    FStates += hsScaling;
    SetHeight(FHeight);
    FOwner->UpdateHeaderFrame();
    const auto& k = FFixedAreaConstraints;
    if (k.MinHeightPercent() > 0 || k.MaxHeightPercent() > 0) {
        for (int i = 0; i < FColumns->Count(); ++i) {
            TLazyTreeColumn& c = (*FColumns)[i];
            if (c.FOptions.Contains(coFixed) && c.FWidth < c.FMinWidth) c.FWidth = c.FMinWidth;
        }
        const int F = FColumns->GetVisibleFixedWidth(), W = FColumns->ClientWidth();
        const TLTColumnOptions fixed{coVisible, coFixed};
        if (k.MaxWidthPercent() > 0 && W * k.MaxWidthPercent() / 100 < F)
            ResizeColumns(W * k.MaxWidthPercent() / 100 - F, 0, FColumns->Count() - 1, fixed);
        else if (k.MinWidthPercent() > 0 && F < W * k.MinWidthPercent() / 100)
            ResizeColumns(W * k.MinWidthPercent() / 100 - F, 0, FColumns->Count() - 1, fixed);
        FColumns->UpdatePositions();
    }
    FStates -= hsScaling;
    FStates -= hsNeedScaling;
}

int TLTHeader::ResizeColumns(int ChangeBy, TColumnIndex RangeStartCol, TColumnIndex RangeEndCol,
                             TLTColumnOptions Options) {
    if (ChangeBy == 0 || !UseColumns()) return 0;
    RangeStartCol = std::max(RangeStartCol, 0);
    RangeEndCol = std::min(RangeEndCol, FColumns->Count() - 1);
    if (RangeStartCol > RangeEndCol) return 0;
    const bool growing = ChangeBy > 0;
    const size_t n = size_t(RangeEndCol - RangeStartCol + 1);
    auto col = [&](size_t i) -> TLazyTreeColumn& { return (*FColumns)[RangeStartCol + TColumnIndex(i)]; };
    auto matches = [&](size_t i) { return (col(i).FOptions * Options) == Options; };
    std::vector<int> width(n), lowerLimit(n);
    for (size_t i = 0; i < n; ++i) {
        width[i] = col(i).FWidth;
        lowerLimit[i] = col(i).FMinWidth;
    }
    auto room = [&](size_t i) { return growing ? col(i).FMaxWidth - width[i] : width[i] - lowerLimit[i]; };

    int toDistribute = std::abs(ChangeBy);
    while (toDistribute > 0) {
        int count = 0, totalRoom = 0;
        for (size_t i = 0; i < n; ++i)
            if (matches(i) && room(i) > 0) {
                ++count;
                totalRoom += room(i);
            }
        if (FStates.Contains(hsScaling) && !growing && totalRoom < toDistribute) {
            // Scaling down may squeeze below the minimum: the widest column gives up a tenth of it.
            int prev = 0;
            size_t pick = n;
            for (size_t i = 0; i < n; ++i)
                if (matches(i) && width[i] > prev) {
                    prev = width[i];
                    pick = i;
                }
            if (pick < n && lowerLimit[pick] > 10) {
                lowerLimit[pick] -= lowerLimit[pick] / 10;
                continue;
            }
        }
        if (count == 0) break;
        toDistribute = std::min(toDistribute, totalRoom);
        const int share = toDistribute / count;
        int given = 0;
        for (size_t i = 0; i < n; ++i)
            if (matches(i) && room(i) > 0) {
                const int d = std::min(share, room(i));
                width[i] += growing ? d : -d;
                given += d;
            }
        int rest = toDistribute % count;
        // The remainder goes pixel by pixel to columns that did not get the last bonus pixel, so
        // repeated small changes spread over the columns instead of piling on one.
        int guard = 0;
        while (rest > 0 && guard < 2) {
            bool gaveAny = false;
            for (size_t k = 0; k < n && rest > 0; ++k) {
                const size_t i = growing ? k : n - 1 - k;
                if (matches(i) && room(i) > 0 && col(i).FBonusPixel != growing) {
                    width[i] += growing ? 1 : -1;
                    col(i).FBonusPixel = growing;
                    ++given;
                    --rest;
                    gaveAny = true;
                }
            }
            if (rest > 0) {
                for (size_t i = 0; i < n; ++i)
                    if (matches(i)) col(i).FBonusPixel = !col(i).FBonusPixel;
                guard = gaveAny ? 0 : guard + 1;
            }
        }
        toDistribute -= given;
        if (given == 0) break;
    }
    int applied = 0;
    FStates += hsResizing;
    FColumns->BeginUpdate();
    for (size_t i = 0; i < n; ++i)
        if (matches(i) && width[i] != col(i).FWidth) {
            applied += width[i] - col(i).FWidth;
            col(i).SetWidth(width[i]);
        }
    FColumns->EndUpdate();
    FStates -= hsResizing;
    return applied;
}

// ---- Tree side ----

void TBaseLazyTree::UpdateHeaderFrame() {
    // The header lives above the viewport: the viewport gives up the header's height at its top.
    UpdateFrameMargins();
}

void TBaseLazyTree::InvalidateHeader() {
    if (FHeader->Options().Contains(hoVisible) && FHeaderBar) FHeaderBar->update();
}

void TBaseLazyTree::DoColumnResize(TColumnIndex Column) {
    if (!HasWindow() || FHeader->States().Contains(hsLoading)) return;
    // Multiline rows wrap differently in a column of another width.
    for (PLazyNode n : InitializedNodes())
        if (n->States.Contains(TLazyNodeState::vsMultiline)) n->States -= TLazyNodeState::vsHeightMeasured;
    UpdateHorizontalScrollBar(false);
    if (Column >= 0) {
        viewport()->update();
        FHeader->Invalidate(FHeader->Columns().Items(Column), true);
    }
    if (!FHeader->States().Contains(hsResizing) && FHeader->OnColumnResize) FHeader->OnColumnResize(FHeader.get(), Column);
    UpdateEditBounds();
}

void TLTHeader::SetImages(const plat::TImageList* Value) {
    FImages = Value;
    if (!FStates.Contains(hsLoading)) Invalidate(nullptr);
}
