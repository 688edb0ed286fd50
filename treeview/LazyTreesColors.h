#pragma once
// The seventeen colours the tree paints with beside its own Color and Font. System colours stay
// system colours here; painting resolves them through the platform's one fixed table.
#include <array>

#include "platform/Colors.h"

class TLazyTreeCore;

class TLTColors {
public:
    enum Index : int {
        DisabledColorIndex,
        DropMarkColorIndex,
        DropTargetColorIndex,
        FocusedSelectionColorIndex,
        GridLineColorIndex,
        TreeLineColorIndex,
        UnfocusedSelectionColorIndex,
        BorderColorIndex,
        HotColorIndex,
        FocusedSelectionBorderColorIndex,
        UnfocusedSelectionBorderColorIndex,
        DropTargetBorderColorIndex,
        SelectionRectangleBlendColorIndex,
        SelectionRectangleBorderColorIndex,
        HeaderHotColorIndex,
        SelectionTextColorIndex,
        UnfocusedColorIndex,
        ColorCount
    };

    explicit TLTColors(TLazyTreeCore* AOwner);
    TLTColors(const TLTColors&) = delete;
    TLTColors& operator=(const TLTColors&) = delete;

    // The stored colour of an index; no colour (black) past the last index.
    plat::TColor GetColor(int Index) const;
    // Stores a changed colour and shows it: the tree lines rebuild the button pictures, the border
    // colour redraws the frame, any other colour repaints.
    void SetColor(int Index, plat::TColor Value);
    // Copies all seventeen colours and repaints outside updates.
    void Assign(const TLTColors& Source);

    // The tree's Color, its font colour and the header font's colour.
    plat::TColor BackGroundColor() const;
    plat::TColor NodeFontColor() const;
    plat::TColor HeaderFontColor() const;

#define LT_COLOR(name)                \
    plat::TColor name() const {       \
        return GetColor(name##Index); \
    }                                 \
    void Set##name(plat::TColor v) {  \
        SetColor(name##Index, v);     \
    }
    LT_COLOR(DisabledColor)
    LT_COLOR(DropMarkColor)
    LT_COLOR(DropTargetColor)
    LT_COLOR(FocusedSelectionColor)
    LT_COLOR(GridLineColor)
    LT_COLOR(TreeLineColor)
    LT_COLOR(UnfocusedSelectionColor)
    LT_COLOR(BorderColor)
    LT_COLOR(HotColor)
    LT_COLOR(FocusedSelectionBorderColor)
    LT_COLOR(UnfocusedSelectionBorderColor)
    LT_COLOR(DropTargetBorderColor)
    LT_COLOR(SelectionRectangleBlendColor)
    LT_COLOR(SelectionRectangleBorderColor)
    LT_COLOR(HeaderHotColor)
    LT_COLOR(SelectionTextColor)
    LT_COLOR(UnfocusedColor)
#undef LT_COLOR

private:
    TLazyTreeCore* FOwner;
    std::array<plat::TColor, ColorCount> FColors;
};
