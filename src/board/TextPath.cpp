// Strings into the board's outline list. Every string is measured in the
// text family (g_fontName), whichever family draws it.
#include "board/BoardWindow.h"
#include "board/TextPlacement.h"
#include "core/Core.h"
#include "core/Globals.h"

void BoardWindow::AddDigitText(const CString& text, int x, int width, int y, BOOL large) {
    int em = large ? g_textSizeLarge : g_textSizeMedium;
    CString shown = text;
    if (textplace::TakeEnlargeMarks(shown)) em = textplace::EnlargedSize(em);
    const Gdiplus::Size bounds = Measure(em, shown);
    const std::wstring wide = Widen(shown);
    AddOutline(Ink::Digit, wide, textplace::DigitFontCovers(wide.c_str(), wide.size()), em,
               textplace::DigitTextX(x, width, bounds.Width, m_margin), textplace::DigitTextY(y, m_margin));
}

void BoardWindow::AddLabelText(Ink ink, const CString& text, int x, int width, int y, int emSize) {
    const textplace::LabelParts parts = textplace::SplitLabel(text);
    const int small = textplace::SuffixSize(emSize);
    const Gdiplus::Size mainBounds = Measure(emSize, parts.main);
    const Gdiplus::Size suffixBounds = Measure(small, parts.suffix);
    const textplace::LabelPlacement at = textplace::PlaceLabel(x, width, y, mainBounds.Width, mainBounds.Height,
                                                               suffixBounds.Width, suffixBounds.Height);
    const std::wstring main = Widen(parts.main);
    // A number in front of a "^" takes the digit font when the font has
    // every character of it (a price typed as "面议" must not show as boxes).
    const bool digitFace = parts.mainIsDigits && textplace::DigitFontCovers(main.c_str(), main.size());
    AddOutline(ink, main, digitFace, emSize, at.mainX, at.mainY);
    AddOutline(ink, Widen(parts.suffix), false, small, at.suffixX, at.suffixY);
}

void BoardWindow::AddOutline(Ink ink, const std::wstring& text, bool digitFace, int emSize, int x, int y) {
    if (text.empty()) return;
    m_outlines.push_back(Outline{ink, digitFace, text, emSize, x, y});
}
