#pragma once
// Where a drop-down's pop-up opens, from the anchor point (the edit's top-left on the screen), the
// edit's height, the pop-up's size, the primary screen's height, the work area of the screen at
// the anchor and the size the user left the pop-up with. No widget header.
//
// Automatic placement opens below when the whole primary screen is taller than anchor y + pop-up
// height, else above (the edit's own height and the work area do not count). Only the right edge
// is kept inside the work area, and only for a work area starting at x 0 or more: a pop-up on a
// monitor left of the primary one, or reaching past another edge, stays where it is.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <cstdint>

namespace dropdowns {

enum TDropPosition : uint8_t { dpAuto, dpDown, dpUp };

enum TLabelPosition : uint8_t {
    lpLeftTop,
    lpLeftCenter,
    lpLeftBottom,
    lpTopLeft,
    lpBottomLeft,
    lpLeftTopLeft,
    lpLeftCenterLeft,
    lpLeftBottomLeft,
    lpTopCenter,
    lpBottomCenter,
    lpRightTop,
    lpRightCenter,
    lpRighBottom,
    lpTopRight,
    lpBottomRight
};

struct TDropDownPlace {
    int Left = 0, Top = 0;
};

// Steps before the pop-up is offered to OnDropDown: left and top by the position rule.
TDropDownPlace DropDownOrigin(TDropPosition Position, QPoint Anchor, int EditHeight, int FormHeight, int ScreenHeight);
// The final rectangle: the right-edge clamp in WorkArea (left, top, right, bottom as given by the
// system, right outside), then the user size (-1: none) in place of the computed one.
QRect DropDownRect(TDropDownPlace Origin, QSize FormSize, const QRect& WorkArea, int UserWidth, int UserHeight);

// The top-left of an edit's label: CaptionWidth is the caption's width ("&" marks hidden), Label
// the label's size, Edit the edit's rectangle in the parent, Margin the gap. Halves round toward 0.
QPoint DropDownLabelPlace(TLabelPosition Position, int CaptionWidth, QSize Label, const QRect& Edit, int Margin);

}  // namespace dropdowns
