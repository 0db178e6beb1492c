#include "controls/PaletteNav.h"

#include <algorithm>

namespace {
constexpr PaletteColour Rgb(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }
constexpr PaletteColour kPlaceholder = 0x00C0C0C0;
constexpr PaletteColour kCustomDefault = 0x00FFFFFF;

// GetSysColor indices (winuser.h values).
enum SysColor : int {
    kDesktop = 1, kActiveCaption = 2, kInactiveCaption = 3, kWindow = 5, kWindowText = 8,
    kCaptionText = 9, kHighlight = 13, kHighlightText = 14, kBtnFace = 15, kBtnShadow = 16,
    kBtnText = 18, kInactiveCaptionText = 19, kBtnHighlight = 20, kLight3D = 22, kInfoText = 23,
    kInfoBk = 24,
};
}  // namespace

PaletteEntry g_palette[PALETTE_ENTRIES] = {
    // Row 0
    {Rgb(128, 0, 64), "Light Maroon", -1},
    {Rgb(139, 0, 0), "Dark Red", -1},
    {Rgb(255, 0, 0), "Red", -1},
    {Rgb(255, 0, 128), "Deep Pink", -1},
    {Rgb(255, 0, 255), "Magenta", -1},
    {Rgb(255, 128, 192), "Pink", -1},
    {Rgb(255, 128, 255), "Light Pink", -1},
    {Rgb(255, 208, 232), "Very Light Pink", -1},
    // Row 1
    {Rgb(255, 140, 0), "Dark Orange", -1},
    {Rgb(255, 165, 0), "Orange", -1},
    {Rgb(255, 128, 128), "Light Salmon", -1},
    {Rgb(255, 224, 160), "Light Orange", -1},
    {Rgb(255, 215, 0), "Gold", -1},
    {Rgb(255, 255, 0), "Yellow", -1},
    {Rgb(255, 255, 128), "Desert Yellow", -1},
    {Rgb(255, 255, 184), "Pale Yellow", -1},
    // Row 2
    {Rgb(0, 64, 0), "Dark Green", -1},
    {Rgb(0, 64, 64), "Medium Green", -1},
    {Rgb(0, 128, 0), "Green", -1},
    {Rgb(0, 128, 64), "Dark Teal", -1},
    {Rgb(128, 128, 0), "Olive", -1},
    {Rgb(0, 128, 128), "Teal", -1},
    {Rgb(64, 128, 128), "Turquoise", -1},
    {Rgb(0, 255, 64), "Medium Spring Green", -1},
    // Row 3
    {Rgb(128, 255, 0), "Mint Green", -1},
    {Rgb(0, 255, 0), "Lime", -1},
    {Rgb(0, 255, 128), "Spring Green", -1},
    {Rgb(152, 251, 152), "Pale Green", -1},
    {Rgb(127, 255, 212), "Aquamarine", -1},
    {Rgb(192, 220, 192), "Very Pale Green", -1},
    {Rgb(64, 0, 64), "Deep Purple", -1},
    {Rgb(128, 0, 128), "Purple", -1},
    // Row 4
    {Rgb(64, 0, 128), "Deep Violet", -1},
    {Rgb(0, 0, 64), "Midnight Blue", -1},
    {Rgb(0, 0, 160), "Dark Blue", -1},
    {Rgb(0, 0, 128), "Navy", -1},
    {Rgb(128, 0, 255), "Violet", -1},
    {Rgb(0, 0, 255), "Blue", -1},
    {Rgb(0, 64, 128), "Medium Blue", -1},
    {Rgb(0, 128, 255), "Light Sky Blue", -1},
    // Row 5
    {Rgb(100, 149, 237), "Cornflower Blue", -1},
    {Rgb(128, 128, 192), "Sky Blue", -1},
    {Rgb(0, 128, 192), "Dark Cyan", -1},
    {Rgb(128, 128, 255), "Medium Slate Blue", -1},
    {Rgb(128, 255, 255), "Light Blue", -1},
    {Rgb(0, 255, 255), "Cyan", -1},
    {Rgb(176, 224, 230), "Powder Blue", -1},
    {Rgb(224, 255, 255), "Light Cyan", -1},
    // Row 6
    {Rgb(0, 0, 0), "Black", -1},
    {Rgb(128, 128, 128), "Gray", -1},
    {Rgb(152, 152, 152), "Gray 40%", -1},
    {Rgb(192, 192, 192), "Silver", -1},
    {Rgb(211, 211, 211), "Light Gray", -1},
    {Rgb(245, 245, 220), "Beige", -1},
    {Rgb(255, 251, 240), "Floral White", -1},
    {Rgb(255, 255, 255), "White", -1},
    // Rows 7 and 8: system colours, filled in each time a popup opens.
    {0, "Window", kWindow},
    {0, "WindowText", kWindowText},
    {0, "InfoBk", kInfoBk},
    {0, "InfoText", kInfoText},
    {0, "ActiveCaption", kActiveCaption},
    {0, "CaptionText", kCaptionText},
    {0, "InactiveCaption", kInactiveCaption},
    {0, "InactiveCaptionText", kInactiveCaptionText},
    {0, "BtnFace", kBtnFace},
    {0, "BtnText", kBtnText},
    {0, "BtnShadow", kBtnShadow},
    {0, "BtnHighlight", kBtnHighlight},
    {0, "Highlight", kHighlight},
    {0, "HighlightText", kHighlightText},
    {0, "3DLight", kLight3D},
    {0, "Desktop", kDesktop},
    // Rows 9 and 10: the separator and the custom button lie over these;
    // they keep the grid regular and are never shown.
    {kPlaceholder, "1", -1}, {kPlaceholder, "2", -1}, {kPlaceholder, "3", -1}, {kPlaceholder, "4", -1},
    {kPlaceholder, "5", -1}, {kPlaceholder, "6", -1}, {kPlaceholder, "7", -1}, {kPlaceholder, "8", -1},
    {kPlaceholder, "9", -1}, {kPlaceholder, "10", -1}, {kPlaceholder, "11", -1}, {kPlaceholder, "12", -1},
    {kPlaceholder, "13", -1}, {kPlaceholder, "14", -1}, {kPlaceholder, "15", -1}, {kPlaceholder, "16", -1},
    // Rows 11 and 12: the open popup's custom colours.
    {kCustomDefault, "Custom color 1", -1}, {kCustomDefault, "Custom color 2", -1},
    {kCustomDefault, "Custom color 3", -1}, {kCustomDefault, "Custom color 4", -1},
    {kCustomDefault, "Custom color 5", -1}, {kCustomDefault, "Custom color 6", -1},
    {kCustomDefault, "Custom color 7", -1}, {kCustomDefault, "Custom color 8", -1},
    {kCustomDefault, "Custom color 9", -1}, {kCustomDefault, "Custom color 10", -1},
    {kCustomDefault, "Custom color 11", -1}, {kCustomDefault, "Custom color 12", -1},
    {kCustomDefault, "Custom color 13", -1}, {kCustomDefault, "Custom color 14", -1},
    {kCustomDefault, "Custom color 15", -1}, {kCustomDefault, "Custom color 16", -1},
};

int PaletteBoxSize(int margin) {
    if (PALETTE_BOX_SIZE - (2 * margin + 2) < 5) return 2 * margin + 7;
    return PALETTE_BOX_SIZE;
}

PaletteLayout ComputePaletteLayout(int margin, int textCx, int textCy) {
    PaletteLayout l;
    l.margin = margin;
    l.box = PaletteBoxSize(margin);
    const int tw = textCx + 2 * margin;
    const int th = textCy + 2 * margin;
    l.width = std::max(PALETTE_COLUMNS * l.box + 2 * margin, tw);
    l.height = PALETTE_ROWS * l.box + 2 * margin;
    const int iw = l.width - 2 * margin;
    const int customTop = margin + PALETTE_CUSTOM_ROW * l.box;
    l.custom = {margin, customTop, margin + iw, customTop + th};
    l.separator = {margin, margin + PALETTE_SEPARATOR_ROW * l.box, margin + iw, customTop};
    return l;
}

PaletteRect PaletteCellRect(const PaletteLayout& l, int row, int col) {
    return {l.margin + col * l.box, l.margin + row * l.box, l.margin + (col + 1) * l.box,
            l.margin + (row + 1) * l.box};
}

PaletteCell PaletteHitTest(const PaletteLayout& l, int x, int y) {
    if (x < 0 || y < 0) return {};
    if (l.custom.Contains(x, y)) return {PALETTE_CUSTOM_ROW, 0};
    if (l.separator.Contains(x, y)) return {PALETTE_SEPARATOR_ROW, 0};
    // Division truncates toward zero, so the border strip above and left of
    // the grid falls into row 0 and column 0.
    const int row = (y - l.margin) / l.box;
    const int col = (x - l.margin) / l.box;
    if (row < 0 || row >= PALETTE_ROWS || row == PALETTE_SEPARATOR_ROW || col < 0 || col >= PALETTE_COLUMNS) {
        return {};
    }
    return {row, col};
}

PaletteCell PaletteKeyTarget(PaletteKey key, PaletteCell hot, PaletteCell chosen) {
    const PaletteCell start = hot.IsNone() ? chosen : hot;
    int r = start.row;
    int c = start.col;
    switch (key) {
    case PaletteKey::Down:
        ++r;
        if (r == PALETTE_SEPARATOR_ROW) r = PALETTE_CUSTOM_ROW;
        if (r >= PALETTE_ROWS) r = 0;
        return {r, c};
    case PaletteKey::Up:
        --r;
        if (r < 0) r = PALETTE_ROWS - 1;
        if (r == PALETTE_SEPARATOR_ROW) r = PALETTE_SEPARATOR_ROW - 1;
        return {r, c};
    case PaletteKey::Right:
        if (c < 0) return {0, 0};
        if (c >= PALETTE_COLUMNS - 1) return {r, 0};
        return {r, c + 1};
    case PaletteKey::Left:
        if (c < 0) return {PALETTE_ROWS - 1, PALETTE_COLUMNS - 1};
        if (c == 0) return {r, PALETTE_COLUMNS - 1};
        return {r, c - 1};
    }
    return {};
}

PaletteCell FindPaletteCell(const PaletteEntry* table, PaletteColour colour) {
    for (int i = 0; i < PALETTE_ENTRIES; ++i) {
        if (table[i].colour == colour) return {i / PALETTE_COLUMNS, i % PALETTE_COLUMNS};
    }
    return {};
}

void LoadCustomColours(PaletteEntry* table, const PaletteColour* colours) {
    for (int i = 0; i < CUSTOM_COLOUR_COUNT; ++i) table[PALETTE_FIRST_CUSTOM_ENTRY + i].colour = colours[i];
}

void StoreCustomColours(const PaletteEntry* table, PaletteColour* colours) {
    for (int i = 0; i < CUSTOM_COLOUR_COUNT; ++i) colours[i] = table[PALETTE_FIRST_CUSTOM_ENTRY + i].colour;
}

std::uint32_t PaletteCellParam(PaletteCell cell) {
    const auto lo = static_cast<std::uint16_t>(cell.row);
    const auto hi = static_cast<std::uint16_t>(cell.col);
    return static_cast<std::uint32_t>(lo) | (static_cast<std::uint32_t>(hi) << 16);
}
