// The colour palette's grid: its geometry, which cell a point falls in,
// where the arrow keys lead, and which cell an opening colour marks.
#include <gtest/gtest.h>

#include <cstring>

#include "controls/PaletteNav.h"

namespace {
const PaletteLayout kStd = ComputePaletteLayout(2, 40, 13);  // SM_CXEDGE 2, a narrow caption
std::vector<int> Edges(const PaletteRect& r) { return {r.left, r.top, r.right, r.bottom}; }
}  // namespace

TEST(Palette, Geometry) {
    EXPECT_EQ((std::vector<int>{kStd.box, kStd.width, kStd.height}), (std::vector<int>{18, 148, 238}));
    EXPECT_EQ(Edges(kStd.separator), (std::vector<int>{2, 164, 146, 182}));
    EXPECT_EQ(Edges(kStd.custom), (std::vector<int>{2, 182, 146, 199}));  // as tall as the caption + 2 x 2
    EXPECT_EQ(Edges(PaletteCellRect(kStd, 12, 7)), (std::vector<int>{128, 218, 146, 236}));
    const PaletteLayout wide = ComputePaletteLayout(2, 200, 13);  // a caption wider than the grid
    EXPECT_EQ((std::vector<int>{wide.width, wide.custom.right}), (std::vector<int>{204, 202}));
    EXPECT_EQ(PaletteBoxSize(5), 18);  // still a 5-pixel swatch
    EXPECT_EQ(PaletteBoxSize(6), 19);  // 2 x 6 + 7
}

TEST(Palette, HitTest) {
    struct Row { int x, y, row, col; };
    for (const Row& r : {Row{19, 19, 0, 0}, Row{20, 19, 0, 1}, Row{19, 20, 1, 0}, Row{0, 50, 2, 0},  // border strips
                         Row{146, 2, -1, -1}, Row{128, 236, -1, -1}, Row{-1, 10, -1, -1}, Row{145, 163, 8, 7},
                         Row{145, 181, 9, 0},   // the separator reports column 0
                         Row{145, 198, 10, 0}, Row{60, 199, 10, 3}, Row{60, 200, 11, 3}, Row{145, 218, 12, 7}}) {
        const PaletteCell got = PaletteHitTest(kStd, r.x, r.y);
        EXPECT_EQ(got, (PaletteCell{r.row, r.col})) << r.x << "," << r.y << " gave " << got.row << "," << got.col;
    }
}

TEST(Palette, ArrowKeys) {
    const PaletteCell none;
    struct Row { PaletteKey key; PaletteCell hot, chosen, want; };
    const Row rows[] = {
        {PaletteKey::Down, {8, 2}, none, {10, 2}},   // over the separator to the custom button
        {PaletteKey::Down, {12, 5}, none, {0, 5}},   // bottom wraps to the top
        {PaletteKey::Up, {0, 3}, none, {12, 3}},     // top wraps to the bottom
        {PaletteKey::Up, {10, 1}, none, {8, 1}},
        {PaletteKey::Right, {2, 3}, none, {2, 4}},
        {PaletteKey::Right, {2, 7}, none, {2, 0}},   // end of a row: its first column
        {PaletteKey::Left, {2, 0}, none, {2, 7}},
        {PaletteKey::Right, none, {6, 7}, {6, 0}},   // nothing hot: from the chosen cell
        {PaletteKey::Down, {1, 1}, {6, 7}, {2, 1}},  // the hot cell wins
        {PaletteKey::Right, none, none, {0, 0}},
        {PaletteKey::Left, none, none, {12, 7}},
        {PaletteKey::Down, {9, 0}, none, {10, 0}},   // off the separator
    };
    for (const Row& r : rows) {
        const PaletteCell got = PaletteKeyTarget(r.key, r.hot, r.chosen);
        EXPECT_EQ(got, r.want) << static_cast<int>(r.key) << " from " << r.hot.row << "," << r.hot.col << " gave "
                               << got.row << "," << got.col;
    }
}

TEST(Palette, OpeningColourMarksTheFirstMatch) {
    PaletteEntry saved[PALETTE_ENTRIES];
    std::memcpy(saved, g_palette, sizeof saved);
    g_palette[56].colour = 0x00FFFFFF;  // the system's Window colour: white, as "White"
    g_palette[64].colour = 0x00C0C0C0;  // BtnFace: silver, as "Silver"
    PaletteColour custom[CUSTOM_COLOUR_COUNT];
    for (PaletteColour& c : custom) c = 0x00FFFFFF;
    custom[9] = 0x00ABCDEF;
    LoadCustomColours(g_palette, custom);
    EXPECT_EQ(FindPaletteCell(g_palette, 0x00FFFFFF), (PaletteCell{6, 7}));
    EXPECT_EQ(FindPaletteCell(g_palette, 0x00C0C0C0), (PaletteCell{6, 3}));  // never a placeholder
    EXPECT_EQ(FindPaletteCell(g_palette, 0x00ABCDEF), (PaletteCell{12, 1}));
    EXPECT_TRUE(FindPaletteCell(g_palette, 0xFF000000).IsNone());  // all 32 bits: CLR_DEFAULT is not black
    EXPECT_EQ(PaletteCellParam({6, 7}), 0x00070006u);
    EXPECT_EQ(PaletteCellParam({-1, -1}), 0xFFFFFFFFu);
    std::memcpy(g_palette, saved, sizeof saved);
}
