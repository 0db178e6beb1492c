// The colour palette's table and its grid arithmetic: which cell a point
// falls in, where the arrow keys lead, which cell an opening colour marks.
// Portable (no <windows.h>): colours are 0x00BBGGRR values as in COLORREF,
// system colours are the GetSysColor indices as plain ints.
#pragma once
#include <cstdint>

using PaletteColour = std::uint32_t;

constexpr int PALETTE_ENTRIES = 104;
constexpr int PALETTE_COLUMNS = 8;
constexpr int PALETTE_ROWS = (PALETTE_ENTRIES + PALETTE_COLUMNS - 1) / PALETTE_COLUMNS;  // 13
constexpr int PALETTE_SEPARATOR_ROW = 9;
constexpr int PALETTE_CUSTOM_ROW = 10;
constexpr int PALETTE_FIRST_CUSTOM_ROW = 11;
constexpr int PALETTE_FIRST_CUSTOM_ENTRY = PALETTE_FIRST_CUSTOM_ROW * PALETTE_COLUMNS;  // 88
constexpr int PALETTE_BOX_SIZE = 18;
constexpr int CUSTOM_COLOUR_COUNT = 16;
constexpr int PALETTE_NO_SYSCOLOR = -1;

struct PaletteEntry {
    PaletteColour colour;
    const char* name;
    int sysColorIndex;  // PALETTE_NO_SYSCOLOR, or the index whose colour this cell shows
};

// Shared by every picker: rows 7 and 8 are refreshed from the system colours
// and rows 11 and 12 hold the custom colours of the popup that is open.
extern PaletteEntry g_palette[PALETTE_ENTRIES];

struct PaletteCell {
    int row = -1;
    int col = -1;
    bool IsNone() const { return row == -1 || col == -1; }
    friend bool operator==(const PaletteCell& a, const PaletteCell& b) { return a.row == b.row && a.col == b.col; }
    friend bool operator!=(const PaletteCell& a, const PaletteCell& b) { return !(a == b); }
};

// Left/top included, right/bottom excluded, as for PtInRect.
struct PaletteRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// Cell size for a border of `margin` pixels: the swatch inside a cell keeps
// at least 5 pixels.
int PaletteBoxSize(int margin);

struct PaletteLayout {
    int box = PALETTE_BOX_SIZE;
    int margin = 0;
    int width = 0;   // window size
    int height = 0;
    PaletteRect custom;     // the custom-colour button, client coordinates
    PaletteRect separator;  // the separator row, client coordinates
};

// textCx/textCy: extent of the custom button's caption in its font.
PaletteLayout ComputePaletteLayout(int margin, int textCx, int textCy);

// The cell's rectangle in client coordinates (any row 0..12, column 0..7).
PaletteRect PaletteCellRect(const PaletteLayout& layout, int row, int col);

// The cell a pointer at (x, y), client coordinates, would make hot: the
// custom button as (10, 0) (or (10, col) below it), the separator as (9, 0),
// otherwise the grid cell; none outside the grid. The border strips above and
// left of the grid count as row 0 and column 0.
PaletteCell PaletteHitTest(const PaletteLayout& layout, int x, int y);

enum class PaletteKey { Down, Up, Right, Left };

// The cell an arrow key moves to, from the hot cell or, with none hot, the
// chosen cell. The result may hold -1 (nothing to highlight).
PaletteCell PaletteKeyTarget(PaletteKey key, PaletteCell hot, PaletteCell chosen);

// The first entry, in index order, whose colour equals `colour` in all 32
// bits; none when no entry has it.
PaletteCell FindPaletteCell(const PaletteEntry* table, PaletteColour colour);

// Copies the 16 custom colours into entries 88..103, or back out of them.
void LoadCustomColours(PaletteEntry* table, const PaletteColour* colours);
void StoreCustomColours(const PaletteEntry* table, PaletteColour* colours);

// The end message's lParam: row in the low word, column in the high word,
// each as 16 bits (so -1 is 0xFFFF).
std::uint32_t PaletteCellParam(PaletteCell cell);

