// What the clock and weather panel draws, where: the rows of the middle
// panel and every string with its column, top edge, size and path, worked
// out from the layout, the tick and one weather record. Portable; the board
// turns each item into one AddDigitText or AddLabelText call.
#pragma once
#include <vector>

#include "framework/CString.h"

namespace clockweather {

// Top edges of the panel's rows. Factors are single-precision constants,
// products formed in double precision and truncated toward zero.
struct Rows {
    int date = 0;     // trunc(U x 2.5)
    int weekday = 0;  // trunc(U x 4.5)
    int time = 0;     // trunc(U x 7.5)
    int heading = 0;  // Y1 - U
    int labels = 0;   // r1 = trunc(U x 0.5 + Y1)
    int weather = 0;  // r2 = r1 + U
    int temperature = 0;  // r3 = trunc(U x 1.2 + r2)
    int wind = 0;         // r4 = trunc(U x 1.2 + r3)
    int sun = 0;          // r5 = trunc(U x 1.2 + r4)
};
Rows ComputeRows(int margin, int yPanelRule);
// trunc(W x 0.5): width of each weather column.
int HalfWidth(int panelWidth);
// trunc(small x 0.8): em size of the column labels.
int LabelSize(int smallSize);

struct Inputs {
    int margin = 0;      // U
    int xLeft = 0;       // X0, the left divider
    int xRight = 0;      // X1, the right divider
    int yPanelRule = 0;  // Y1
    int tick = 0;        // one-second ticks since the board was placed
    int sizeLarge = 0;
    int sizeSmall = 0;
    CString date;     // "%Y-%m-%d" of the render's one clock reading
    CString time;     // "%H:%M" of the same reading
    CString weekday;  // weekday of the same reading
    CString record;   // one copy of the weather record
};

enum class Path { Text, Digit };

struct Item {
    bool digitText = false;  // AddDigitText (large) rather than AddLabelText
    Path path = Path::Text;  // AddLabelText's target
    CString text;
    int x = 0;
    int width = 0;
    int y = 0;
    int emSize = 0;  // AddLabelText only
};

// The panel's items in drawing order: date, weekday, time, heading, then,
// when the record holds a ",", the two column labels and the four rows of
// left and right cells.
std::vector<Item> PlanPanel(const Inputs& in);

}  // namespace clockweather
