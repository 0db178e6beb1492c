// Layout and text-size figures, exactly as the single-precision rule gives them.
#include <gtest/gtest.h>

#include "board/Layout.h"

TEST(BoardLayout, FiguresForCommonBoards) {
    auto a = layout::ComputeBoardLayout(1600, 900);
    EXPECT_EQ(a.margin, 45);
    EXPECT_EQ(a.xLeftDivider, 607);  // 0.38f is 0.37999999..., not 608
    EXPECT_EQ(a.xRightDivider, 1119);
    EXPECT_EQ(a.yHeaderRule, 197);
    EXPECT_EQ(a.yPanelRule, 558);
    auto b = layout::ComputeBoardLayout(1920, 1080);
    EXPECT_EQ(b.margin, 54);
    EXPECT_EQ(b.xLeftDivider, 729);
    EXPECT_EQ(b.xRightDivider, 1343);
    EXPECT_EQ(b.yHeaderRule, 237);
    EXPECT_EQ(b.yPanelRule, 669);
    auto z = layout::ComputeBoardLayout(0, -10);
    EXPECT_EQ(z.xLeftDivider, 0);
    EXPECT_EQ(z.margin, 0);  // trunc(-0.5) toward zero
}

TEST(TextSizes, TruncateWithSinglePrecisionFactors) {
    struct Row { int width, large, small, medium; };
    for (Row r : {Row{1600, 59, 35, 42}, Row{1920, 71, 42, 50}, Row{800, 29, 17, 20}, Row{100, 3, 1, 1}}) {
        auto t = layout::ComputeTextSizes(r.width);
        EXPECT_EQ(t.large, r.large) << r.width;
        EXPECT_EQ(t.small, r.small) << r.width;
        EXPECT_EQ(t.medium, r.medium) << r.width;
    }
}

TEST(DefaultBoardOrigin, SixtyPercentAcrossThreeDown) {
    int left = 0, top = 0;
    layout::DefaultBoardOrigin(1920, 1080, &left, &top);
    EXPECT_EQ(left, 1152);
    EXPECT_EQ(top, 32);
    layout::DefaultBoardOrigin(1280, 1000, &left, &top);
    EXPECT_EQ(left, 768);
    EXPECT_EQ(top, 29);  // not 30
}
