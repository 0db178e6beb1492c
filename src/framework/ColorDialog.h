// CColorDialog: the system colour dialog (ChooseColorW), run modally.
#pragma once
#include "framework/Wnd.h"

#include <commdlg.h>

class CColorDialog {
public:
    explicit CColorDialog(COLORREF initial = 0, DWORD flags = 0, CWnd* parent = nullptr);
    CColorDialog(const CColorDialog&) = delete;
    CColorDialog& operator=(const CColorDialog&) = delete;

    // IDOK when a colour was chosen, IDCANCEL when the dialog was cancelled
    // or could not be shown.
    INT_PTR DoModal();
    COLORREF GetColor() const { return m_cc.rgbResult; }

    // Callers may set the owner and the custom colours before DoModal; by
    // default the parent owns the dialog and the custom colours are this
    // object's own.
    CHOOSECOLORW m_cc{};

private:
    COLORREF m_ownCustomColours[16];
};
