#include "fullgrid/ExGrid.h"

#include <gtest/gtest.h>

TEST(ExGridLifecycle, Builds) {
    TExStringGrid g;
    EXPECT_EQ(g.RowCount(), 10);
}
