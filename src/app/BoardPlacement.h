// Where the settings dialog puts the board: a rectangle from a corner and the
// board size. The size comes from the edit boxes unchecked when validation
// fails (the board is still placed), so the far edges saturate at the int
// range instead of overflowing. Portable.
#pragma once
#include <climits>

namespace placement {

// a + b, held to [INT_MIN, INT_MAX].
inline int SaturatingAdd(int a, int b) {
    const long long sum = static_cast<long long>(a) + static_cast<long long>(b);
    if (sum > INT_MAX) return INT_MAX;
    if (sum < INT_MIN) return INT_MIN;
    return static_cast<int>(sum);
}

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The board's rectangle with its top-left corner at (left, top).
inline Rect BoardRectAt(int left, int top, int width, int height) {
    return Rect{left, top, SaturatingAdd(left, width), SaturatingAdd(top, height)};
}

}  // namespace placement
