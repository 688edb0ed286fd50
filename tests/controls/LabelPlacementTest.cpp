// The thirteen label places around a control, for a label smaller and one larger than the control.
#include "controls/LabelPlacement.h"

#include <gtest/gtest.h>

using namespace ctl;

TEST(LabelPlacement, ThirteenPlacesForASmallAndALargeLabel) {
    const plat::TRect c{100, 50, 220, 71};  // 120 x 21
    const int m = 4;
    struct Case {
        TLabelPosition pos;
        QSize label;
        QPoint expected;
    };
    const QSize small(31, 14), large(151, 28);  // odd differences test the truncated halves
    const Case cases[] = {
        {lpLeftTop, small, {65, 50}},
        {lpLeftCenter, small, {65, 53}},  // 50 + (21 - 14) / 2
        {lpLeftBottom, small, {65, 57}},
        {lpTopLeft, small, {100, 32}},
        {lpBottomLeft, small, {100, 75}},
        {lpLeftTopLeft, small, {96, 50}},
        {lpLeftCenterLeft, small, {96, 53}},
        {lpLeftBottomLeft, small, {96, 57}},
        {lpTopCenter, small, {144, 32}},  // 100 + (120 - 31) / 2
        {lpBottomCenter, small, {144, 75}},
        {lpRightTop, small, {224, 50}},
        {lpRightCenter, small, {224, 53}},
        {lpRighBottom, small, {224, 57}},
        {lpLeftTop, large, {-55, 50}},
        {lpLeftCenter, large, {-55, 47}},  // 50 - (28 - 21) / 2
        {lpLeftBottom, large, {-55, 43}},
        {lpTopLeft, large, {100, 18}},
        {lpBottomLeft, large, {100, 75}},
        {lpLeftTopLeft, large, {96, 50}},
        {lpLeftCenterLeft, large, {96, 47}},
        {lpLeftBottomLeft, large, {96, 43}},
        {lpTopCenter, large, {85, 18}},  // 100 - (151 - 120) / 2
        {lpBottomCenter, large, {85, 75}},
        {lpRightTop, large, {224, 50}},
        {lpRightCenter, large, {224, 47}},
        {lpRighBottom, large, {224, 43}},
    };
    for (const Case& k : cases)
        EXPECT_EQ(LabelPlace(k.pos, k.label, c, m), k.expected) << int(k.pos) << " label " << k.label.width();
}
