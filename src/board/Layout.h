// Layout arithmetic of the board. Every fractional factor is a
// single-precision constant; the product with an integer is formed in double
// precision and truncated toward zero (0.38f makes a 1600-pixel board's left
// divider 607, not 608). Portable.
#pragma once
#include <climits>

namespace layout {

// The board's one rounding rule: truncation toward zero, held inside int's
// range for absurd inputs (a size the settings dialog failed to validate).
inline int Trunc(double value) {
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(value);
}

// trunc(value x factor), the single-precision factor widened to double.
inline int Scale(double value, float factor) { return Trunc(value * static_cast<double>(factor)); }

struct BoardLayout {
    int margin = 0;        // trunc(H x 0.05)
    int xLeftDivider = 0;  // trunc(W x 0.38)
    int xRightDivider = 0; // trunc(W x 0.7)
    int yHeaderRule = 0;   // trunc(H x 0.22)
    int yPanelRule = 0;    // trunc(H x 0.62)

    friend bool operator==(const BoardLayout& a, const BoardLayout& b) {
        return a.margin == b.margin && a.xLeftDivider == b.xLeftDivider && a.xRightDivider == b.xRightDivider &&
               a.yHeaderRule == b.yHeaderRule && a.yPanelRule == b.yPanelRule;
    }
};

inline BoardLayout ComputeBoardLayout(int width, int height) {
    BoardLayout l;
    l.margin = Scale(height, 0.05f);
    l.xLeftDivider = Scale(width, 0.38f);
    l.xRightDivider = Scale(width, 0.7f);
    l.yHeaderRule = Scale(height, 0.22f);
    l.yPanelRule = Scale(height, 0.62f);
    return l;
}

struct TextSizes {
    int large = 0;   // trunc(W x 0.000625 x 60)
    int small = 0;   // trunc(large x 0.6)
    int medium = 0;  // trunc(small x 1.2)
};

inline TextSizes ComputeTextSizes(int boardWidth) {
    TextSizes t;
    t.large = Trunc(boardWidth * static_cast<double>(0.000625f) * 60);
    t.small = Scale(t.large, 0.6f);
    t.medium = Scale(t.small, 1.2f);
    return t;
}

// Default top-left corner of the board: 60 % across and 3 % down the primary screen.
inline void DefaultBoardOrigin(int screenCx, int screenCy, int* left, int* top) {
    *left = Scale(screenCx, 0.6f);
    *top = Scale(screenCy, 0.03f);
}

}  // namespace layout
