// CXColourPicker: an owner-drawn button showing a colour swatch; a click
// opens the palette popup below it.
#pragma once
#include "framework/Afx.h"

class CXColourPicker : public CButton {
public:
    CXColourPicker();
    void SetColour(COLORREF colour);
    COLORREF GetColour() const { return m_colour; }

protected:
    COLORREF m_colour = 0x00FFFFFF;
    COLORREF m_savedColour = 0;
    COLORREF m_customColours[16];
    COLORREF m_defaultColour = 0;
};
