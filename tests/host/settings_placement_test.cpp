// The board's rectangle from a corner and an unchecked size.
#include <gtest/gtest.h>

#include <climits>

#include "app/BoardPlacement.h"

TEST(BoardPlacement, RectangleFromCornerAndSize) {
    auto r = placement::BoardRectAt(1152, 32, 1600, 900);
    EXPECT_EQ(r.left, 1152);
    EXPECT_EQ(r.top, 32);
    EXPECT_EQ(r.right, 2752);
    EXPECT_EQ(r.bottom, 932);
    auto s = placement::SecondScreenRect(1920, 1280, 720);
    EXPECT_EQ(s.left, 1920);
    EXPECT_EQ(s.top, 0);
    EXPECT_EQ(s.right, 3200);
    EXPECT_EQ(s.bottom, 720);
}

TEST(BoardPlacement, UncheckedSizesNeverOverflow) {
    auto zero = placement::BoardRectAt(1152, 32, 0, 0);
    EXPECT_EQ(zero.right, 1152);
    EXPECT_EQ(zero.bottom, 32);
    auto negative = placement::BoardRectAt(1152, 32, -40, -30);
    EXPECT_EQ(negative.right, 1112);
    EXPECT_EQ(negative.bottom, 2);
    auto huge = placement::SecondScreenRect(1920, INT_MAX, INT_MAX);
    EXPECT_EQ(huge.right, INT_MAX);
    EXPECT_EQ(huge.bottom, INT_MAX);
    auto low = placement::BoardRectAt(-100, -100, INT_MIN, INT_MIN);
    EXPECT_EQ(low.right, INT_MIN);
    EXPECT_EQ(low.bottom, INT_MIN);
    EXPECT_EQ(placement::SaturatingAdd(INT_MAX - 5, 5), INT_MAX);
    EXPECT_EQ(placement::SaturatingAdd(INT_MIN + 5, -5), INT_MIN);
}
