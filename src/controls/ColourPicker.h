// CXColourPicker: an owner-drawn button showing its colour as a framed
// swatch beside a drop-down arrow. A click opens the palette popup below it;
// when the popup ends the button takes the chosen colour and tells its
// parent (CLRN_* in ColourNotify.h, lParam the button's control id).
#pragma once
#include "controls/ColourNotify.h"
#include "controls/PaletteNav.h"
#include "framework/Afx.h"

class CXColourPicker : public CButton {
public:
    CXColourPicker();
    ~CXColourPicker() override = default;

    // Sets the colour (also the one restored on re-enabling) and redraws at
    // once; sends no notification.
    void SetColour(COLORREF colour);
    COLORREF GetColour() const { return m_colour; }

    void PreSubclassWindow() override;
    void DrawItem(LPDRAWITEMSTRUCT dis) override;

    // This picker's 16 custom colours, as the palette last left them.
    const PaletteColour* GetCustomColours() const { return m_customColours; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    BOOL OnReflectedCommand(UINT code) override;

private:
    void OnClicked();
    void OnSelEndOk(COLORREF colour);
    void OnSelEndCancel(COLORREF colour);
    void OnEnable(BOOL enable);
    void NotifyParent(UINT msg, COLORREF colour) const;

    COLORREF m_colour = 0x00FFFFFF;
    COLORREF m_savedColour = 0;
    PaletteColour m_customColours[CUSTOM_COLOUR_COUNT];
    COLORREF m_defaultColour = 0;
};
