// The palette table, its layout, hit-testing, arrow keys and the search for
// the cell an opening colour marks.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "controls/PaletteNav.h"

namespace {

constexpr PaletteColour Rgb(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }

// Restores the shared table after each test that changes it.
class PaletteTable : public ::testing::Test {
protected:
    void SetUp() override { std::memcpy(m_saved, g_palette, sizeof(g_palette)); }
    void TearDown() override { std::memcpy(g_palette, m_saved, sizeof(g_palette)); }

private:
    PaletteEntry m_saved[PALETTE_ENTRIES];
};

const PaletteLayout kStd = ComputePaletteLayout(2, 40, 13);  // SM_CXEDGE 2, a narrow caption

}  // namespace

TEST(PaletteTableData, FixedColoursNamesAndOrder) {
    struct Row { int index; const char* name; PaletteColour colour; };
    const Row rows[] = {
        {0, "Light Maroon", Rgb(128, 0, 64)},      {1, "Dark Red", Rgb(139, 0, 0)},
        {7, "Very Light Pink", Rgb(255, 208, 232)}, {8, "Dark Orange", Rgb(255, 140, 0)},
        {15, "Pale Yellow", Rgb(255, 255, 184)},   {17, "Medium Green", Rgb(0, 64, 64)},
        {23, "Medium Spring Green", Rgb(0, 255, 64)}, {27, "Pale Green", Rgb(152, 251, 152)},
        {28, "Aquamarine", Rgb(127, 255, 212)},    {29, "Very Pale Green", Rgb(192, 220, 192)},
        {31, "Purple", Rgb(128, 0, 128)},          {34, "Dark Blue", Rgb(0, 0, 160)},
        {39, "Light Sky Blue", Rgb(0, 128, 255)},  {40, "Cornflower Blue", Rgb(100, 149, 237)},
        {46, "Powder Blue", Rgb(176, 224, 230)},   {48, "Black", 0},
        {50, "Gray 40%", Rgb(152, 152, 152)},      {51, "Silver", 0x00C0C0C0},
        {52, "Light Gray", Rgb(211, 211, 211)},    {54, "Floral White", Rgb(255, 251, 240)},
        {55, "White", 0x00FFFFFF},
    };
    for (const Row& r : rows) {
        EXPECT_STREQ(g_palette[r.index].name, r.name) << r.index;
        EXPECT_EQ(g_palette[r.index].colour, r.colour) << r.index;
    }
    for (int i = 0; i < 56; ++i) EXPECT_EQ(g_palette[i].sysColorIndex, -1) << i;
    // Red and blue land in the low and high bytes, as in a COLORREF.
    EXPECT_EQ(g_palette[2].colour, 0x000000FFu);
    EXPECT_EQ(g_palette[37].colour, 0x00FF0000u);
}

TEST(PaletteTableData, SystemPlaceholderAndCustomRows) {
    const int sysIndex[16] = {5, 8, 24, 23, 2, 9, 3, 19, 15, 18, 16, 20, 13, 14, 22, 1};
    const char* sysName[16] = {"Window", "WindowText", "InfoBk", "InfoText", "ActiveCaption", "CaptionText",
                               "InactiveCaption", "InactiveCaptionText", "BtnFace", "BtnText", "BtnShadow",
                               "BtnHighlight", "Highlight", "HighlightText", "3DLight", "Desktop"};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(g_palette[56 + i].sysColorIndex, sysIndex[i]) << i;
        EXPECT_STREQ(g_palette[56 + i].name, sysName[i]) << i;
        EXPECT_EQ(g_palette[72 + i].colour, 0x00C0C0C0u) << i;
        EXPECT_EQ(g_palette[72 + i].sysColorIndex, -1);
        EXPECT_EQ(std::string(g_palette[72 + i].name), std::to_string(i + 1));
        EXPECT_EQ(std::string(g_palette[88 + i].name), "Custom color " + std::to_string(i + 1));
        EXPECT_EQ(g_palette[88 + i].sysColorIndex, -1);
    }
    EXPECT_EQ(PALETTE_ROWS, 13);
    EXPECT_EQ(PALETTE_FIRST_CUSTOM_ENTRY, 88);
}

TEST(PaletteLayoutTest, StandardAndWidenedSizes) {
    EXPECT_EQ(PaletteBoxSize(2), 18);
    EXPECT_EQ(PaletteBoxSize(5), 18);   // 18 - 12 = 6 still leaves a 5-pixel swatch
    EXPECT_EQ(PaletteBoxSize(6), 19);   // 18 - 14 = 4: 2*6 + 7
    EXPECT_EQ(PaletteBoxSize(8), 23);
    EXPECT_EQ(kStd.width, 148);
    EXPECT_EQ(kStd.height, 238);
    EXPECT_EQ(kStd.box, 18);
    // Separator over row 9; custom button from row 10, as tall as the caption.
    EXPECT_EQ(kStd.separator.left, 2);
    EXPECT_EQ(kStd.separator.top, 164);
    EXPECT_EQ(kStd.separator.right, 146);
    EXPECT_EQ(kStd.separator.bottom, 182);
    EXPECT_EQ(kStd.custom.left, 2);
    EXPECT_EQ(kStd.custom.top, 182);
    EXPECT_EQ(kStd.custom.right, 146);
    EXPECT_EQ(kStd.custom.bottom, 199);  // 13 + 2*2
    // 144 + 4 = 148 is the grid; a caption of 145 + 4 pixels widens the window.
    EXPECT_EQ(ComputePaletteLayout(2, 144, 13).width, 148);
    const PaletteLayout wide = ComputePaletteLayout(2, 200, 13);
    EXPECT_EQ(wide.width, 204);
    EXPECT_EQ(wide.height, 238);
    EXPECT_EQ(wide.custom.right, 202);
    EXPECT_EQ(wide.separator.right, 202);

    const PaletteRect c = PaletteCellRect(kStd, 12, 7);
    EXPECT_EQ(c.left, 128);
    EXPECT_EQ(c.top, 218);
    EXPECT_EQ(c.right, 146);
    EXPECT_EQ(c.bottom, 236);
    const PaletteRect first = PaletteCellRect(kStd, 0, 0);
    EXPECT_EQ(first.left, 2);
    EXPECT_EQ(first.top, 2);
    EXPECT_EQ(first.right, 20);
    EXPECT_EQ(first.bottom, 20);
}

TEST(PaletteHitTestTest, CellEdgesAndBorders) {
    struct Row { int x, y, row, col; };
    const Row rows[] = {
        {2, 2, 0, 0},     {19, 19, 0, 0},   {20, 19, 0, 1},   {19, 20, 1, 0},
        {0, 0, 0, 0},     {1, 1, 0, 0},     {0, 50, 2, 0},    {50, 0, 0, 2},  // border strips: row/col 0
        {145, 2, 0, 7},   {146, 2, -1, -1}, {147, 100, -1, -1},  // right border: col 8
        {128, 235, 12, 7}, {128, 236, -1, -1}, {10, 237, -1, -1},  // bottom border: row 13
        {-1, 10, -1, -1}, {10, -1, -1, -1},  {-50, -50, -1, -1},
        {2, 163, 8, 0},   {145, 163, 8, 7},
        {2, 164, 9, 0},   {145, 181, 9, 0},  // separator always reports column 0
        {2, 182, 10, 0},  {145, 198, 10, 0},  // custom button
        {60, 199, 10, 3},  // row 10 below a caption shorter than a cell: still the custom row
        {60, 200, 11, 3}, {2, 217, 11, 0},  {145, 218, 12, 7},
        {200, 100, -1, -1}, {1000, 1000, -1, -1},
    };
    for (const Row& r : rows) {
        const PaletteCell got = PaletteHitTest(kStd, r.x, r.y);
        EXPECT_EQ(got.row, r.row) << r.x << "," << r.y;
        EXPECT_EQ(got.col, r.col) << r.x << "," << r.y;
    }
}

TEST(PaletteHitTestTest, WidenedAndTallCustomButton) {
    const PaletteLayout wide = ComputePaletteLayout(2, 200, 13);
    // Beside the grid: nothing in colour rows, separator and custom button
    // span the widened window.
    EXPECT_TRUE(PaletteHitTest(wide, 150, 10).IsNone());
    EXPECT_TRUE(PaletteHitTest(wide, 201, 230).IsNone());
    EXPECT_EQ(PaletteHitTest(wide, 180, 170), (PaletteCell{9, 0}));
    EXPECT_EQ(PaletteHitTest(wide, 201, 190), (PaletteCell{10, 0}));
    EXPECT_TRUE(PaletteHitTest(wide, 202, 190).IsNone());
    // A caption taller than a row: its lower part lies over row 11.
    const PaletteLayout tall = ComputePaletteLayout(2, 40, 20);  // th = 24
    EXPECT_EQ(tall.custom.bottom, 206);
    EXPECT_EQ(PaletteHitTest(tall, 100, 205), (PaletteCell{10, 0}));
    EXPECT_EQ(PaletteHitTest(tall, 100, 206), (PaletteCell{11, 5}));
}

TEST(PaletteKeys, MovesAndWrapArounds) {
    const PaletteCell none;
    struct Row { PaletteKey key; PaletteCell hot, chosen, want; };
    const Row rows[] = {
        {PaletteKey::Down, {3, 4}, none, {4, 4}},
        {PaletteKey::Down, {8, 2}, none, {10, 2}},   // over the separator to the custom button
        {PaletteKey::Down, {10, 2}, none, {11, 2}},
        {PaletteKey::Down, {12, 5}, none, {0, 5}},   // bottom wraps to the top
        {PaletteKey::Up, {4, 4}, none, {3, 4}},
        {PaletteKey::Up, {0, 3}, none, {12, 3}},     // top wraps to the bottom
        {PaletteKey::Up, {10, 1}, none, {8, 1}},     // over the separator
        {PaletteKey::Up, {11, 1}, none, {10, 1}},
        {PaletteKey::Right, {2, 3}, none, {2, 4}},
        {PaletteKey::Right, {2, 7}, none, {2, 0}},   // same row, first column
        {PaletteKey::Left, {2, 3}, none, {2, 2}},
        {PaletteKey::Left, {2, 0}, none, {2, 7}},
        {PaletteKey::Right, {10, 7}, none, {10, 0}},
        {PaletteKey::Left, {10, 0}, none, {10, 7}},
        // Nothing hot: the chosen cell is the start.
        {PaletteKey::Down, none, {6, 7}, {7, 7}},
        {PaletteKey::Up, none, {6, 7}, {5, 7}},
        {PaletteKey::Right, none, {6, 7}, {6, 0}},
        {PaletteKey::Left, none, {11, 0}, {11, 7}},
        // The hot cell wins over the chosen one.
        {PaletteKey::Down, {1, 1}, {6, 7}, {2, 1}},
        // Neither hot nor chosen.
        {PaletteKey::Right, none, none, {0, 0}},
        {PaletteKey::Left, none, none, {12, 7}},
    };
    for (const Row& r : rows) {
        const PaletteCell got = PaletteKeyTarget(r.key, r.hot, r.chosen);
        EXPECT_EQ(got, r.want) << static_cast<int>(r.key) << " from " << r.hot.row << "," << r.hot.col << " chosen "
                               << r.chosen.row << "," << r.chosen.col << " got " << got.row << "," << got.col;
    }
    // Up and Down with nothing hot or chosen reach no cell (column stays -1).
    EXPECT_TRUE(PaletteKeyTarget(PaletteKey::Down, none, none).IsNone());
    EXPECT_TRUE(PaletteKeyTarget(PaletteKey::Up, none, none).IsNone());
    // From the separator (hovered by the pointer) the keys leave it.
    EXPECT_EQ(PaletteKeyTarget(PaletteKey::Down, {9, 0}, none), (PaletteCell{10, 0}));
    EXPECT_EQ(PaletteKeyTarget(PaletteKey::Up, {9, 0}, none), (PaletteCell{8, 0}));
}

TEST_F(PaletteTable, FirstMatchWins) {
    // System colours as a common light scheme would fill them.
    g_palette[56].colour = 0x00FFFFFF;  // Window: white, as "White" at (6, 7)
    g_palette[64].colour = 0x00C0C0C0;  // BtnFace: silver, as "Silver" at (6, 3)
    g_palette[57].colour = 0x00123456;  // WindowText: a colour only the system row has
    EXPECT_EQ(FindPaletteCell(g_palette, 0x00FFFFFF), (PaletteCell{6, 7}));
    EXPECT_STREQ(g_palette[6 * 8 + 7].name, "White");
    EXPECT_EQ(FindPaletteCell(g_palette, 0x00C0C0C0), (PaletteCell{6, 3}));  // never a placeholder
    EXPECT_EQ(FindPaletteCell(g_palette, 0x00123456), (PaletteCell{7, 1}));
    EXPECT_EQ(FindPaletteCell(g_palette, 0x000000FF), (PaletteCell{0, 2}));
    EXPECT_EQ(FindPaletteCell(g_palette, 0), (PaletteCell{6, 0}));  // Black, before any zeroed entry
    // All 32 bits are compared: CLR_DEFAULT is not black.
    EXPECT_TRUE(FindPaletteCell(g_palette, 0xFF000000).IsNone());
    EXPECT_TRUE(FindPaletteCell(g_palette, 0x00010203).IsNone());

    PaletteColour custom[16];
    for (int i = 0; i < 16; ++i) custom[i] = 0x00FFFFFF;
    custom[9] = 0x00ABCDEF;   // unique
    custom[3] = 0x000000FF;   // same as "Red": the fixed cell wins
    custom[12] = 0x00ABCDEF;  // a later duplicate
    LoadCustomColours(g_palette, custom);
    EXPECT_EQ(g_palette[97].colour, 0x00ABCDEFu);
    EXPECT_EQ(FindPaletteCell(g_palette, 0x00ABCDEF), (PaletteCell{12, 1}));
    EXPECT_EQ(FindPaletteCell(g_palette, 0x000000FF), (PaletteCell{0, 2}));

    PaletteColour back[16] = {};
    g_palette[103].colour = 0x01020304;  // the top byte is kept in the round trip
    StoreCustomColours(g_palette, back);
    EXPECT_EQ(back[9], 0x00ABCDEFu);
    EXPECT_EQ(back[15], 0x01020304u);
    EXPECT_EQ(back[0], 0x00FFFFFFu);
}

TEST(PaletteParam, RowLowColumnHigh) {
    EXPECT_EQ(PaletteCellParam({-1, -1}), 0xFFFFFFFFu);
    EXPECT_EQ(PaletteCellParam({6, 7}), 0x00070006u);
    EXPECT_EQ(PaletteCellParam({12, 0}), 0x0000000Cu);
}
