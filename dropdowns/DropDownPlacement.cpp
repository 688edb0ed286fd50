#include "dropdowns/DropDownPlacement.h"

namespace dropdowns {

TDropDownPlace DropDownOrigin(TDropPosition Position, QPoint Anchor, int EditHeight, int FormHeight, int ScreenHeight) {
    TDropDownPlace p;
    p.Left = Anchor.x();
    const int below = Anchor.y() + EditHeight - 1, above = Anchor.y() - FormHeight;
    switch (Position) {
        case dpAuto:
            p.Top = ScreenHeight > Anchor.y() + FormHeight ? below : above;
            break;
        case dpDown:
            p.Top = below;
            break;
        case dpUp:
            p.Top = above;
            break;
    }
    return p;
}

QRect DropDownRect(TDropDownPlace Origin, QSize FormSize, const QRect& WorkArea, int UserWidth, int UserHeight) {
    // WorkArea holds the system's rectangle: its right edge lies outside.
    const int areaLeft = WorkArea.left(), areaRight = WorkArea.left() + WorkArea.width();
    int left = Origin.Left;
    if (areaLeft >= 0 && left + FormSize.width() > areaRight && left < areaRight) left = areaRight - FormSize.width();
    const int w = UserWidth != -1 ? UserWidth : FormSize.width();
    const int h = UserHeight != -1 ? UserHeight : FormSize.height();
    return QRect(left, Origin.Top, w, h);
}

QPoint DropDownLabelPlace(TLabelPosition Position, int CaptionWidth, QSize Label, const QRect& Edit, int Margin) {
    const int L = Edit.left(), T = Edit.top(), EW = Edit.width(), EH = Edit.height();
    const int W = CaptionWidth, LW = Label.width(), LH = Label.height(), M = Margin;
    const int middle = T + (EH - LH) / 2, bottom = T + EH - LH, over = T - LH - M, under = T + EH + M;
    switch (Position) {
        case lpLeftTop:
            return {L - W - M, T};
        case lpLeftCenter:
            return {L - W - M, middle};
        case lpLeftBottom:
            return {L - W - M, bottom};
        case lpTopLeft:
            return {L, over};
        case lpBottomLeft:
            return {L, under};
        case lpLeftTopLeft:
            return {L - M, T};
        case lpLeftCenterLeft:
            return {L - M, middle};
        case lpLeftBottomLeft:
            return {L - M, bottom};
        case lpTopCenter:
            return {L + (EW - LW) / 2, over};
        case lpBottomCenter:
            return {L + (EW - LW) / 2, under};
        case lpRightTop:
            return {L + EW + M, T};
        case lpRightCenter:
            return {L + EW + M, middle};
        case lpRighBottom:
            return {L + EW + M, bottom};
        case lpTopRight:
            return {L + EW - LW, over};
        case lpBottomRight:
            return {L + EW - LW, under};
    }
    return {L, T};
}

}  // namespace dropdowns
