#include "controls/LabelPlacement.h"

namespace ctl {

namespace {

int centredTop(QSize l, const plat::TRect& c) {
    return l.height() > c.Height() ? c.Top - (l.height() - c.Height()) / 2 : c.Top + (c.Height() - l.height()) / 2;
}

int centredLeft(QSize l, const plat::TRect& c) {
    return l.width() < c.Width() ? c.Left + (c.Width() - l.width()) / 2 : c.Left - (l.width() - c.Width()) / 2;
}

}  // namespace

QPoint LabelPlace(TLabelPosition position, QSize l, const plat::TRect& c, int m) {
    const int w = l.width();
    const int above = c.Top - l.height() - m, below = c.Bottom + m, bottomAligned = c.Bottom - l.height();
    switch (position) {
        case lpLeftTop: return {c.Left - w - m, c.Top};
        case lpLeftCenter: return {c.Left - w - m, centredTop(l, c)};
        case lpLeftBottom: return {c.Left - w - m, bottomAligned};
        case lpTopLeft: return {c.Left, above};
        case lpBottomLeft: return {c.Left, below};
        case lpLeftTopLeft: return {c.Left - m, c.Top};
        case lpLeftCenterLeft: return {c.Left - m, centredTop(l, c)};
        case lpLeftBottomLeft: return {c.Left - m, bottomAligned};
        case lpTopCenter: return {centredLeft(l, c), above};
        case lpBottomCenter: return {centredLeft(l, c), below};
        case lpRightTop: return {c.Right + m, c.Top};
        case lpRightCenter: return {c.Right + m, centredTop(l, c)};
        case lpRighBottom: return {c.Right + m, bottomAligned};
    }
    return {c.Left - w - m, c.Top};
}

}  // namespace ctl
