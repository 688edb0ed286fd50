#pragma once
// Where an editor's attached label sits: thirteen places around the control, as one pure function
// of the label's size, the control's rectangle (in the parent's pixels) and the gap between them.
// Centred places offset the smaller extent by half the difference, the half truncated toward zero.
#include "platform/Canvas.h"

#include <QPoint>
#include <QSize>

namespace ctl {

enum TLabelPosition : uint8_t {
    lpLeftTop, lpLeftCenter, lpLeftBottom, lpTopLeft, lpBottomLeft, lpLeftTopLeft, lpLeftCenterLeft,
    lpLeftBottomLeft, lpTopCenter, lpBottomCenter, lpRightTop, lpRightCenter, lpRighBottom
};
inline constexpr int LabelPositionCount = 13;

// The label's top-left. `label` is the label's size, its width the width of its caption.
QPoint LabelPlace(TLabelPosition position, QSize label, const plat::TRect& control, int margin);

}  // namespace ctl
