#include "controls/ColourPicker.h"

// Placeholder until the picker and its palette land: a plain button that
// holds its colour.
CXColourPicker::CXColourPicker() {
    for (COLORREF& c : m_customColours) c = 0x00FFFFFF;
    m_savedColour = ::GetSysColor(COLOR_BTNFACE);
    m_defaultColour = ::GetSysColor(COLOR_APPWORKSPACE);
}

void CXColourPicker::SetColour(COLORREF colour) {
    m_colour = colour;
    m_savedColour = colour;
    if (m_hWnd) RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}
