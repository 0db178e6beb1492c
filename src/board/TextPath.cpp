// Text into the board's two paths. Every string is measured in the text
// family (g_fontName), whichever family draws it, and added as outlines; the
// render fills each path once at the end.
#include "app/Globals.h"
#include "board/BoardWindow.h"
#include "board/TextPlacement.h"
#include "core/Core.h"

void BoardWindow::AddDigitText(const CString& text, int x, int width, int y, BOOL large) {
    if (!g_core) return;
    int em = large ? g_textSizeLarge : g_textSizeMedium;
    CString shown = text;
    if (textplace::TakeEnlargeMarks(shown)) em = textplace::EnlargedSize(em);
    const Gdiplus::Size bounds = g_core->getTextBounds(g_fontName, em, shown);
    const std::wstring wide = Widen(shown);
    AddOutline(m_digitPath, wide, DigitFamilyFor(wide), em, textplace::DigitTextX(x, width, bounds.Width, m_margin),
               textplace::DigitTextY(y, m_margin));
}

void BoardWindow::AddLabelText(Gdiplus::GraphicsPath& path, const CString& text, int x, int width, int y,
                               int emSize) {
    if (!g_core) return;
    const textplace::LabelParts parts = textplace::SplitLabel(text);
    const int small = textplace::SuffixSize(emSize);
    const Gdiplus::Size mainBounds = g_core->getTextBounds(g_fontName, emSize, parts.main);
    const Gdiplus::Size suffixBounds = g_core->getTextBounds(g_fontName, small, parts.suffix);
    const textplace::LabelPlacement at = textplace::PlaceLabel(x, width, y, mainBounds.Width, mainBounds.Height,
                                                               suffixBounds.Width, suffixBounds.Height);
    const std::wstring main = Widen(parts.main);
    const Gdiplus::FontFamily* mainFamily = parts.mainIsDigits ? DigitFamilyFor(main) : m_pTextFamily.get();
    AddOutline(path, main, mainFamily, emSize, at.mainX, at.mainY);
    if (!parts.suffix.IsEmpty()) AddOutline(path, Widen(parts.suffix), m_pTextFamily.get(), small, at.suffixX, at.suffixY);
}

void BoardWindow::AddOutline(Gdiplus::GraphicsPath& path, const std::wstring& text, const Gdiplus::FontFamily* family,
                             int emSize, int x, int y) {
    // A family that failed to load leaves its status in the path and the
    // string out of the picture; there is nothing to report to a guest.
    if (text.empty() || !family) return;
    path.AddString(text.c_str(), static_cast<INT>(text.size()), family, Gdiplus::FontStyleRegular,
                   static_cast<Gdiplus::REAL>(emSize), Gdiplus::Rect(x, y, 0, 0), &m_format);
}

const Gdiplus::FontFamily* BoardWindow::DigitFamilyFor(const std::wstring& text) const {
    if (textplace::DigitFontCovers(text.c_str(), text.size())) return &m_digitFamily;
    return m_pTextFamily.get();
}
