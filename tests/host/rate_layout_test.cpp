// Columns, heading line and rows of the two rate tables, exactly as the
// single-precision rule gives them.
#include <gtest/gtest.h>

#include "board/RateLayout.h"

namespace {
void ExpectColumn(const layout::Column& c, int left, int right, const char* what) {
    EXPECT_EQ(c.x, left) << what;
    EXPECT_EQ(c.x + c.width, right) << what;
}
}  // namespace

TEST(RateTableLayout, Board1600x900) {
    const auto t = layout::ComputeRateTableLayout(layout::ComputeBoardLayout(1600, 900), 1600, 41);
    EXPECT_EQ(t.titleY, 45);
    EXPECT_EQ(t.headingY, 147);  // 197 - 49.50000107: truncated, not rounded
    ExpectColumn(t.roomTitle, 0, 607, "room title");
    ExpectColumn(t.room[0], 0, 200, "category");
    ExpectColumn(t.room[1], 200, 400, "standard price");
    ExpectColumn(t.room[2], 400, 607, "today's price");
    ExpectColumn(t.fxTitle, 1119, 1600, "exchange title");
    ExpectColumn(t.fx[0], 1119, 1253, "currency");   // q = 134
    ExpectColumn(t.fx[1], 1253, 1359, "first value");  // half = 240
    ExpectColumn(t.fx[2], 1359, 1600, "second value");
    ExpectColumn(t.fxForeign, 1119, 1359, "外币/100");
    ExpectColumn(t.fxYuan, 1359, 1599, "人民币/元");
    EXPECT_EQ(t.pitch, 82);
    EXPECT_EQ(t.firstRowY, 245);  // trunc(98.4000004 + 147)
    EXPECT_EQ(t.RowY(0), 245);
    EXPECT_EQ(t.RowY(4), 245 + 4 * 82);
}

TEST(RateTableLayout, Board1920x1080) {
    const auto t = layout::ComputeRateTableLayout(layout::ComputeBoardLayout(1920, 1080), 1920, 50);
    EXPECT_EQ(t.titleY, 54);
    EXPECT_EQ(t.headingY, 177);  // 237 - 59.40000129
    ExpectColumn(t.room[0], 0, 240, "category");
    ExpectColumn(t.room[1], 240, 481, "standard price");
    ExpectColumn(t.room[2], 481, 729, "today's price");
    ExpectColumn(t.fx[0], 1343, 1504, "currency");  // RW 577, q 161
    ExpectColumn(t.fx[1], 1504, 1631, "first value");  // half 288
    ExpectColumn(t.fx[2], 1631, 1920, "second value");
    ExpectColumn(t.fxForeign, 1343, 1631, "外币/100");
    ExpectColumn(t.fxYuan, 1631, 1919, "人民币/元");  // trunc(1343 + 288.5)
    EXPECT_EQ(t.pitch, 100);
    EXPECT_EQ(t.firstRowY, 297);
}

TEST(RateTableLayout, OddPanelWidthsAndDegenerateBoards) {
    // RW odd: the second heading starts at trunc(xR + RW / 2), half wide,
    // one pixel short of the edge.
    const auto a = layout::ComputeRateTableLayout(layout::ComputeBoardLayout(768, 432), 768, 17);
    const int xR = 537, rw = 768 - 537;  // 231
    EXPECT_EQ(a.fx[0].x, xR);
    EXPECT_EQ(a.fx[0].width, 64);  // trunc(231 x 0.28) = 64.68
    EXPECT_EQ(a.fxYuan.x, xR + 115);
    EXPECT_EQ(a.fxYuan.width, 115);
    EXPECT_EQ(a.fx[2].x + a.fx[2].width, 768);
    EXPECT_EQ(a.fx[2].width, rw - 115);
    EXPECT_EQ(a.headingY, 71);  // 95 - 23.1000005
    EXPECT_EQ(a.firstRowY, 71 + 40);  // trunc(34 x 1.2 = 40.8000016)
    // A board of nothing: every figure is zero or small, nothing negative in width.
    const auto z = layout::ComputeRateTableLayout(layout::ComputeBoardLayout(0, 0), 0, 0);
    EXPECT_EQ(z.room[2].width, 0);
    EXPECT_EQ(z.fx[2].width, 0);
    EXPECT_EQ(z.pitch, 0);
    EXPECT_EQ(z.RowY(99), 0);
}
