// Where the two rate tables go: columns, heading line and rows, from the
// board's layout, its width and the height of a line of small text. Same
// arithmetic as the rest of the board (single-precision factors, double
// products, truncation toward zero). Portable.
#pragma once
#include "board/Layout.h"

namespace layout {

struct Column {
    int x = 0;
    int width = 0;
};

struct RateTableLayout {
    int titleY = 0;     // top of both titles: the margin
    int headingY = 0;   // hy: top of the headings, just above the header rule
    Column roomTitle;   // "房价表": the whole left panel
    Column room[3];     // category, standard price, today's price
    Column fxTitle;     // "兑换": the whole right panel
    Column fx[3];       // currency, first value, second value
    Column fxForeign;   // "外币/100": over the currency and the first value
    Column fxYuan;      // "人民币/元": over the second value, half the panel wide
    int pitch = 0;      // row pitch: twice the height of the sample text
    int firstRowY = 0;  // top of row 0 in both tables

    int RowY(int row) const { return firstRowY + row * pitch; }
};

// textHeight: the height of "你好" at the small text size.
inline RateTableLayout ComputeRateTableLayout(const BoardLayout& board, int boardWidth, int textHeight) {
    RateTableLayout t;
    const int xL = board.xLeftDivider;
    const int xR = board.xRightDivider;
    const int m = board.margin;
    t.titleY = m;
    t.headingY = Trunc(board.yHeaderRule - m * static_cast<double>(1.1f));

    t.roomTitle = Column{0, xL};
    const int c1 = Scale(xL, 0.33f);
    const int c2 = Scale(xL, 0.66f);
    t.room[0] = Column{0, c1};
    t.room[1] = Column{c1, c2 - c1};
    t.room[2] = Column{c2, xL - c2};

    const int rw = boardWidth - xR;
    const int half = Scale(rw, 0.5f);
    const int q = Scale(rw, 0.28f);
    t.fxTitle = Column{xR, rw};
    t.fx[0] = Column{xR, q};
    t.fx[1] = Column{xR + q, half - q};
    t.fx[2] = Column{xR + half, boardWidth - (xR + half)};
    t.fxForeign = Column{xR, half};
    t.fxYuan = Column{Trunc(xR + rw * static_cast<double>(0.5f)), half};

    t.pitch = 2 * textHeight;
    t.firstRowY = Trunc(t.pitch * static_cast<double>(1.2f) + t.headingY);
    return t;
}

}  // namespace layout
