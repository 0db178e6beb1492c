#include "board/TextPlacement.h"

#include <algorithm>
#include <string>

#include "board/Layout.h"
#include "core/StrUtil.h"

namespace textplace {
namespace {

using layout::Scale;
using layout::Trunc;

// Position of the first `sep` at or after `from` that stands on its own. In
// code page 936 a byte from 0x81 to 0xFE starts a two-byte character whose
// second byte may be any of 0x40..0xFE, "^" (0x5E) included; such a byte
// belongs to its character. `from` must be at a character boundary.
std::size_t FindSeparator(const std::string& s, char sep, std::size_t from) {
    for (std::size_t i = from; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x81 && c <= 0xFE && i + 1 < s.size()) {
            ++i;
            continue;
        }
        if (s[i] == sep) return i;
    }
    return std::string::npos;
}

}  // namespace

LabelParts SplitLabel(const CString& text) {
    LabelParts parts;
    const std::string& s = text.str();
    const std::size_t caret = FindSeparator(s, '^', 0);
    if (caret != std::string::npos) {
        // Everything before the first "^" is the number; the field after it
        // (up to a second "^", if any) is the unit, set off by a space.
        parts.main = CString(s.substr(0, caret));
        const std::size_t next = FindSeparator(s, '^', caret + 1);
        const std::string unit = s.substr(caret + 1, next == std::string::npos ? std::string::npos : next - caret - 1);
        if (!unit.empty()) parts.suffix = CString(" " + unit);
        parts.mainIsDigits = true;
        return parts;
    }
    // "/" (0x2F) is never the second byte of a double-byte character.
    parts.main = strutil::Field(text, '/', 0);
    const CString unit = strutil::Field(text, '/', 1);
    if (!unit.IsEmpty()) parts.suffix = "/" + unit;
    return parts;
}

bool TakeEnlargeMarks(CString& text) { return text.Remove('*') > 0; }

int EnlargedSize(int emSize) { return Trunc(emSize * 1.5); }

int SuffixSize(int emSize) { return Scale(emSize, 0.6f); }

int DigitTextX(int x, int width, int measuredWidth, int margin) {
    const double centred = static_cast<double>(x) + (static_cast<double>(width) - measuredWidth) * 0.5;
    return Trunc(centred - margin * static_cast<double>(0.2f));
}

int DigitTextY(int y, int margin) { return Trunc(y - margin * static_cast<double>(0.15f)); }

LabelPlacement PlaceLabel(int x, int width, int y, int mainWidth, int mainHeight, int suffixWidth,
                          int suffixHeight) {
    const double half = (static_cast<double>(width) - (static_cast<double>(mainWidth) + suffixWidth)) * 0.5;
    LabelPlacement p;
    p.mainX = Trunc(x + half);
    p.mainY = y;
    p.suffixX = Trunc(mainWidth * static_cast<double>(1.06f) + x + half);
    p.suffixY = Trunc(static_cast<double>(y) + mainHeight - suffixHeight);
    return p;
}

int FitLabelSize(int width, int emSize, const std::function<LabelWidths(int em)>& measure) {
    int em = emSize;
    while (em > 1) {
        const LabelWidths w = measure(em);
        const LabelPlacement at = PlaceLabel(0, width, 0, w.main, 0, w.suffix, 0);
        const int right = w.suffix > 0 ? std::max(at.mainX + w.main, at.suffixX + w.suffix) : at.mainX + w.main;
        if (at.mainX >= 0 && right <= width) return em;
        // Smaller in proportion to the overflow, and by one pixel at least.
        const int extent = std::max(right - at.mainX, 1);
        em = std::min(em - 1, Trunc(em * static_cast<double>(width) / extent));
    }
    return std::max(em, std::min(emSize, 1));
}

namespace {

struct CodeRange {
    unsigned long first;
    unsigned long last;
};

// The characters HelveticaDigit.otf has glyphs for. scripts/make-digit-font.py
// reads this table when it builds the font, so the two cannot drift apart.
constexpr CodeRange kDigitFontCoverage[] = {
    {0x0020, 0x007E},  // printable ASCII
    {0x00A0, 0x00A0},  // no-break space
    {0x00A5, 0x00A5},  // yen / yuan sign
    {0x00B0, 0x00B1},  // degree sign, plus-minus
    {0x00B7, 0x00B7},  // middle dot
    {0x2212, 0x2212},  // minus sign
};

bool Covered(unsigned long c) {
    for (const CodeRange& r : kDigitFontCoverage) {
        if (c >= r.first && c <= r.last) return true;
    }
    return false;
}

}  // namespace

bool DigitFontCovers(const wchar_t* text, std::size_t length) {
    if (!text) return true;
    for (std::size_t i = 0; i < length; ++i) {
        if (!Covered(static_cast<unsigned long>(text[i]))) return false;
    }
    return true;
}

}  // namespace textplace
