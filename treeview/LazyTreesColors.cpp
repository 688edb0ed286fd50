#include "treeview/LazyTreesColors.h"

#include "treeview/LazyTreesCore.h"

using namespace plat;

namespace {
constexpr TColor kDefaults[TLTColors::ColorCount] = {
    clBtnShadow,      // DisabledColor
    clHighlight,      // DropMarkColor
    clHighlight,      // DropTargetColor
    clHighlight,      // FocusedSelectionColor
    clBtnFace,        // GridLineColor
    clBtnShadow,      // TreeLineColor
    clBtnFace,        // UnfocusedSelectionColor
    clBtnFace,        // BorderColor
    clWindowText,     // HotColor
    clHighlight,      // FocusedSelectionBorderColor
    clBtnFace,        // UnfocusedSelectionBorderColor
    clHighlight,      // DropTargetBorderColor
    clHighlight,      // SelectionRectangleBlendColor
    clHighlight,      // SelectionRectangleBorderColor
    clBtnShadow,      // HeaderHotColor
    clHighlightText,  // SelectionTextColor
    clBtnFace,        // UnfocusedColor
};
}  // namespace

TLTColors::TLTColors(TLazyTreeCore* AOwner) : FOwner(AOwner) {
    for (int i = 0; i < ColorCount; ++i) FColors[size_t(i)] = kDefaults[i];
}

TColor TLTColors::GetColor(int Index) const {
    return Index >= 0 && Index < ColorCount ? FColors[size_t(Index)] : clBlack;
}

void TLTColors::SetColor(int Index, TColor Value) {
    if (Index < 0 || Index >= ColorCount || FColors[size_t(Index)] == Value) return;
    FColors[size_t(Index)] = Value;
    FOwner->ColorsChanged(Index);
}

void TLTColors::Assign(const TLTColors& Source) {
    if (FColors == Source.FColors) return;  // equal colours: nothing to show
    FColors = Source.FColors;
    if (FOwner->UpdateCount() == 0) FOwner->ColorsChanged(-1);
}

TColor TLTColors::BackGroundColor() const {
    return FOwner->Color();
}
TColor TLTColors::NodeFontColor() const {
    return FOwner->Font().Color();
}
TColor TLTColors::HeaderFontColor() const {
    return FOwner->HeaderFont().Color();
}
