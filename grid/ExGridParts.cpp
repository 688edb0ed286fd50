#include "grid/ExGridParts.h"

#include "grid/ExGrid.h"
#include "grid/ExGridUnit.h"
#include "platform/Colors.h"

#include <QFontMetrics>
#include <QPainter>

#include <memory>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CONF_ITEM_POOL_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define CONF_ITEM_POOL_ASAN 1
#endif
#ifdef CONF_ITEM_POOL_ASAN
#include <sanitizer/asan_interface.h>
#endif

// ---------------------------------------------------------------- footer

TFooterPanel::TFooterPanel(TExStringGrid* AGrid) : QWidget(AGrid), FGrid(AGrid) {
    setFixedHeight(0);
    hide();
    FCanvas.Font().AssignQFont(font());
}

TFloatingFooter::TFloatingFooter(TExStringGrid* AGrid) : FGrid(AGrid) {}

void TFloatingFooter::applyLastRow() {
    if (FGrid) FGrid->SetHideLastRow(FVisible && FFooterStyle == fsFixedLastRow);
}

void TFloatingFooter::SetVisible(bool Value) {
    FVisible = Value;
    if (!FGrid) return;
    if (TFooterPanel* p = FGrid->FooterPanel()) {
        p->setFixedHeight(Value ? std::max(0, FHeight - 1) : 0);
        p->setVisible(Value);
    }
    FGrid->SetFixedFooters(Value && FFooterStyle == fsFixedLastRow ? 1 : 0);
    applyLastRow();
    FGrid->LayoutPanels();
    FGrid->RepaintGrid();
}

void TFloatingFooter::SetHeight(int32_t Value) {
    FHeight = Value;
    if (Value > 0 && FGrid && FVisible)
        if (TFooterPanel* p = FGrid->FooterPanel()) {
            p->setFixedHeight(Value - 1);
            FGrid->LayoutPanels();
        }
}

void TFloatingFooter::Invalidate() {
    if (FGrid && FGrid->FooterPanel()) FGrid->FooterPanel()->update();
}
void TFloatingFooter::SetColor(TColor Value) {
    FColor = Value;
    Invalidate();
}
void TFloatingFooter::SetBorderColor(TColor Value) {
    if (FBorderColor == Value) return;
    FBorderColor = Value;
    Invalidate();
}
void TFloatingFooter::SetFooterStyle(TFooterStyle Value) {
    FFooterStyle = Value;
    applyLastRow();
    if (FGrid) FGrid->RepaintGrid();
    Invalidate();
}
void TFloatingFooter::SetColumn(int32_t Value) {
    FColumn = Value;
    Invalidate();
}
void TFloatingFooter::SetCustomTemplate(const QString& Value) {
    FCustomTemplate = Value;
    Invalidate();
}
void TFloatingFooter::SetShowHint(bool Value) {
    FShowHint = Value;
    if (FGrid && FGrid->FooterPanel()) FGrid->FooterPanel()->setAttribute(Qt::WA_AlwaysShowToolTips, Value);
}

TColumnCalcType TFloatingFooter::GetColumnCalc(int ACol) const {
    if (!FGrid || FGrid->RowCount() == 0) return acNONE;
    const int r = FGrid->RowCount() - 1;
    if (!FGrid->CellHasProperties(ACol, r)) return acNONE;
    return FGrid->GetCellProperties(ACol, r)->CalcType();
}

void TFloatingFooter::SetColumnCalc(int ACol, TColumnCalcType Value) {
    if (!FGrid || FGrid->RowCount() == 0) return;
    FGrid->GetCellProperties(ACol, FGrid->RowCount() - 1)->SetCalcType(Value);
    FGrid->RecalcFooterColumn(ACol);
}

void TFloatingFooter::Assign(const QObject* Source) {
    const auto* s = dynamic_cast<const TFloatingFooter*>(Source);
    if (!s) return;
    FCalculateHiddenRows = s->FCalculateHiddenRows;
    FColor = s->FColor;
    FColumn = s->FColumn;
    FCustomTemplate = s->FCustomTemplate;
    FFooterStyle = s->FFooterStyle;
    SetVisible(s->FVisible);
    SetShowHint(s->FShowHint);
}

// ---------------------------------------------------------------- search panel

TSearchPanel::TSearchPanel(TExStringGrid* AGrid) : QWidget(AGrid), FGrid(AGrid) {
    setFixedHeight(0);
    hide();
}
void TSearchPanel::SetColor(TColor Value) {
    FColor = Value;
    update();
}
void TSearchPanel::SetColorTo(TColor Value) {
    FColorTo = Value;
    update();
}

// ---------------------------------------------------------------- filter

void TFilterData::Assign(const TFilterData& Source) {
    Column = Source.Column;
    Condition = Source.Condition;
    CaseSensitive = Source.CaseSensitive;
    Data = Source.Data;
    Prefix = Source.Prefix;
    Suffix = Source.Suffix;
    Operation = Source.Operation;
}

TFilterData& TFilter::Add() {
    TFilterData& d = plat::TCollection<TFilterData>::Add();
    d.Operation = Count() == 1 ? foNONE : foAND;
    return d;
}

TFilterData& TFilter::Insert(int) { return plat::TCollection<TFilterData>::Add(); }

TFilterData& TFilter::GetColFilter(int Col) {
    for (int i = 0; i < Count(); ++i)
        if (Items(i).Column == Col) return Items(i);
    TFilterData& d = Add();
    d.Column = int16_t(Col);
    return d;
}

bool TFilter::HasFilter(int Col) const {
    for (int i = 0; i < Count(); ++i)
        if (Items(i).Column == Col) return true;
    return false;
}

void TFilter::RemoveColumnFilter(int Col) {
    for (int i = Count() - 1; i >= 0; --i)
        if (Items(i).Column == Col) Delete(i);
    if (FGrid && FGrid->RowCount() > 0) FGrid->RepaintCell(Col, 0);
}

void TFilterDropDown::SetGlyph(const plat::TBitmap& Value) {
    FGlyph.Assign(Value);
    if (OnChange) OnChange(this);
}
void TFilterDropDown::SetGlyphActive(const plat::TBitmap& Value) {
    FGlyphActive.Assign(Value);
    if (OnChange) OnChange(this);
}
void TFilterDropDown::Assign(const QObject* Source) {
    const auto* s = dynamic_cast<const TFilterDropDown*>(Source);
    if (!s) return;
    FColor = s->FColor;
    FColumnWidth = s->FColumnWidth;
    FFont.Assign(s->FFont);
    FHeight = s->FHeight;
    FWidth = s->FWidth;
    FGlyph.Assign(s->FGlyph);
    FGlyphActive.Assign(s->FGlyphActive);
}

TDropList::TDropList(QWidget* AParent) : QWidget(AParent) {
    resize(0, 0);
    hide();
}

// ---------------------------------------------------------------- hidden helpers

TScrollControl::TScrollControl(QWidget* AParent, int ADirection) : QWidget(AParent), FDirection(ADirection) {
    // Double-buffered as every Qt widget is; visible from the start.
    show();
}

namespace {

// Slots for hidden-row items, handed out from blocks and taken back through a free list. The blocks
// are freed with the last live item, so a grid with nothing hidden holds none.
class TGridItemPool {
public:
    void* Take() {
        Slot* s;
        if (FFree) {
            s = FFree;
            unpoison(s);
            FFree = s->Next;
        } else {
            if (FBlocks.empty() || FUsed == kBlockSlots) {
                // Slots are handed out in order, so only the pages of slots in use are ever touched.
                FBlocks.push_back(std::make_unique_for_overwrite<Slot[]>(kBlockSlots));
                FUsed = 0;
            }
            s = &FBlocks.back()[FUsed++];
        }
        ++FLive;
        return s;
    }
    // Whether the pool is now empty.
    bool Give(void* P) noexcept {
        auto* s = static_cast<Slot*>(P);
        s->Next = FFree;
        FFree = s;
        poison(s);
        return --FLive == 0;
    }

private:
    union Slot;
    // A freed slot stays poisoned for the address sanitizer, but for its free-list link, so a
    // use after free of an item is caught as it would be on the heap.
#ifdef CONF_ITEM_POOL_ASAN
    static void poison(Slot* s) noexcept {
        ASAN_POISON_MEMORY_REGION(reinterpret_cast<char*>(s) + sizeof(Slot*), sizeof(Slot) - sizeof(Slot*));
    }
    static void unpoison(Slot* s) noexcept { ASAN_UNPOISON_MEMORY_REGION(s, sizeof(Slot)); }
#else
    static void poison(Slot*) noexcept {}
    static void unpoison(Slot*) noexcept {}
#endif
    union Slot {
        Slot* Next;
        alignas(TGridItem) unsigned char Bytes[sizeof(TGridItem)];
    };
    static constexpr size_t kBlockSlots = 1024;
    std::vector<std::unique_ptr<Slot[]>> FBlocks;
    size_t FUsed = 0;  // slots handed out of the last block
    Slot* FFree = nullptr;
    size_t FLive = 0;
};

// Made on the first item and freed with the last; a plain pointer, so no exit-time destructor
// can run before the last grid (a static one included) frees its items.
TGridItemPool* gItemPool = nullptr;

}  // namespace

void* TGridItem::operator new(std::size_t Size) {
    // A derived item of another size takes the ordinary heap.
    if (Size != sizeof(TGridItem)) return ::operator new(Size);
    if (!gItemPool) gItemPool = new TGridItemPool;
    return gItemPool->Take();
}

void TGridItem::operator delete(void* P, std::size_t Size) noexcept {
    if (!P) return;
    if (Size != sizeof(TGridItem)) {
        ::operator delete(P);
        return;
    }
    if (gItemPool->Give(P)) {
        delete gItemPool;
        gItemPool = nullptr;
    }
}

void TGridItem::SetItems(const QStringList& Value) {
    plat::TGridStore::TRowRecord fresh;
    for (int c = 0; c < Value.size(); ++c) fresh.SetCell(c, Value[c]);
    FRecord = std::move(fresh);
}

QStringList TGridItem::Items() const {
    QStringList out;
    for (int c = 0; c < FRecord.TextCount(); ++c) out << FRecord.Cell(c);
    return out;
}
