// Where the board puts a string: splitting a label into its main part and a
// smaller suffix, the "*" enlargement of digit text, the centring formulas
// and the digit font's coverage. Every factor is a single-precision constant,
// the product is formed in double precision and the result is truncated
// toward zero, like the rest of the board's layout. Portable.
#pragma once
#include <cstddef>
#include <functional>

#include "framework/CString.h"

namespace textplace {

// A label cut into the part drawn at full size and the suffix drawn at
// SuffixSize(). "标准价/元" gives "标准价" and "/元"; "25^℃" gives "25" (in the
// digit family) and " ℃". With both separators the "^" wins and the slash
// stays in the main part. A "^" that is the second byte of a double-byte
// character is part of that character, not a separator.
struct LabelParts {
    CString main;
    CString suffix;
    bool mainIsDigits = false;
};
LabelParts SplitLabel(const CString& text);

// Removes every "*" from text; true when there was one (the string is then
// drawn half as large again, once, however many marks it had).
bool TakeEnlargeMarks(CString& text);
// trunc(em x 1.5)
int EnlargedSize(int emSize);
// trunc(em x 0.6): the suffix of a label.
int SuffixSize(int emSize);

// Digit text centred in [x, x + width] on its measured width and nudged up
// and left by a fraction of the board margin:
//   X = trunc(x + (width - measured) x 0.5 - margin x 0.2)
//   Y = trunc(y - margin x 0.15)
int DigitTextX(int x, int width, int measuredWidth, int margin);
int DigitTextY(int y, int margin);

// A label and its suffix centred as one unit; the suffix starts 6 % of the
// main part's width after the main part ends and shares its bottom edge.
struct LabelPlacement {
    int mainX = 0;
    int mainY = 0;
    int suffixX = 0;
    int suffixY = 0;
};
LabelPlacement PlaceLabel(int x, int width, int y, int mainWidth, int mainHeight, int suffixWidth,
                          int suffixHeight);

// The em size at which a label lies inside its cell [x, x + width] as
// PlaceLabel puts it: emSize when it fits, else smaller in proportion to its
// overflow until it does (1 at the least). measure(em) gives the widths of
// its main part at em and of its suffix at SuffixSize(em). A text too wide
// for its cell is drawn smaller rather than over its neighbours.
struct LabelWidths {
    int main = 0;
    int suffix = 0;
};
int FitLabelSize(int width, int emSize, const std::function<LabelWidths(int em)>& measure);

// True when every character of the UTF-16 (or UTF-32) text has a glyph in
// the digit font: printable ASCII, no-break space, yen sign, degree sign,
// plus-minus, middle dot and the minus sign. An empty text is covered.
bool DigitFontCovers(const wchar_t* text, std::size_t length);

}  // namespace textplace
