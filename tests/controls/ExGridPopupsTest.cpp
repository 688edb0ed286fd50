// The grid's arrow and focus pop-up windows.
#include "controls/ExGridPopups.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

TEST(ArrowWindow, RegionIsTheArrowOfItsDirection) {
    QWidget grid;
    const struct {
        TArrowDirection dir;
        QPoint tip;
        QPoint opposite;  // the corner farthest from the tip
    } cases[] = {
        {arrUp, QPoint(5, 0), QPoint(10, 9)},
        {arrDown, QPoint(5, 8), QPoint(0, 0)},
        {arrLeft, QPoint(8, 5), QPoint(0, 0)},  // the window named for the left points right
        {arrRight, QPoint(0, 5), QPoint(8, 0)},
    };
    for (const auto& c : cases) {
        auto* arrow = new TArrowWindow(&grid, c.dir);
        EXPECT_EQ(arrow->Dir(), c.dir);
        EXPECT_EQ(arrow->parentWidget(), &grid);
        EXPECT_TRUE(arrow->isWindow());
        EXPECT_TRUE(arrow->windowFlags() & Qt::FramelessWindowHint);
        EXPECT_FALSE(arrow->isVisible());
        EXPECT_EQ(arrow->Color(), plat::clLime);
        const QRegion region = arrow->mask();
        EXPECT_TRUE(region.contains(c.tip)) << int(c.dir);
        EXPECT_FALSE(region.contains(c.opposite)) << int(c.dir);
        EXPECT_TRUE(QRect(QPoint(0, 0), arrow->size()).contains(region.boundingRect())) << int(c.dir);
        EXPECT_EQ(arrow->Arrow(), TArrowWindow::ArrowPoints(c.dir));

        // It paints itself lime; only the region shows.
        QImage image(arrow->size(), QImage::Format_RGB32);
        image.fill(Qt::black);
        arrow->render(&image);
        EXPECT_EQ(image.pixel(5, 5) & 0xFFFFFF, 0x00FF00u) << int(c.dir);
    }
}

TEST(GridFocusWindow, EmptyDisabledTopMost) {
    QWidget grid;
    auto* focus = new TGridFocusWindow(&grid);
    EXPECT_EQ(focus->parentWidget(), &grid);
    EXPECT_TRUE(focus->isWindow());
    EXPECT_FALSE(focus->isEnabled());
    EXPECT_FALSE(focus->isVisible());
    EXPECT_EQ(focus->size(), QSize(0, 0));
    EXPECT_EQ(focus->Color(), 0x0000FFu);
    EXPECT_TRUE(focus->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(focus->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(focus->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(focus->focusPolicy(), Qt::NoFocus);
}

}  // namespace
