// ColourPopup: the drop-down palette a colour picker opens below itself.
// It holds the mouse capture while open, previews each highlighted colour to
// its owner, and ends on a button release, Enter or Escape with one end
// message to the owner, after which the window and the object go. A capture
// taken away by someone else is taken back while the popup is the active
// window, so a click outside still ends it; once the operator has gone to
// another window the popup ends as cancelled.
#pragma once
#include "controls/ColourNotify.h"
#include "controls/PaletteNav.h"
#include "framework/Afx.h"
#include "framework/ToolTipCtrl.h"

class ColourPopup : public CWnd {
public:
    // Opens the palette with its top-left corner at pt (screen coordinates).
    // The popup reads the owner's 16 custom colours now and writes them back
    // when it ends. Returns the open popup, which deletes itself when its
    // window is destroyed, or null when the window could not be created.
    static ColourPopup* Open(CWnd* owner, POINT pt, COLORREF initial, PaletteColour* customColours);

    ~ColourPopup() override;
    BOOL PreTranslateMessage(MSG* msg) override;

    // Test seams: the grid as laid out, the chosen and hot cells.
    const PaletteLayout& Layout() const { return m_layout; }
    PaletteCell ChosenCell() const { return {m_nChosenRow, m_nChosenCol}; }
    PaletteCell HotCell() const { return {m_nHotRow, m_nHotCol}; }
    HWND ToolTipWindow() const { return m_toolTip.GetSafeHwnd(); }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void PostNcDestroy() override;

private:
    ColourPopup(CWnd* owner, POINT pt, COLORREF initial, PaletteColour* customColours);

    void LoadDefaults();
    void LayOut();
    void AddCellTips();
    void OnPaint();
    void PaintCell(HDC dc, int row, int col);
    void OnMouseMove(POINT pt);
    void OnKeyDown(UINT key);
    void OnLButtonUp();
    void OnCaptureLost();
    void MoveHot(int row, int col);
    void Finish(UINT message);
    void RunColourDialog();
    RECT CellRect(int row, int col) const;

    PaletteColour* m_pCustomColours = nullptr;
    int m_nHotRow = -1, m_nHotCol = -1;
    int m_nChosenRow = -1, m_nChosenCol = -1;
    CString m_strCustomText;
    RECT m_rcWindow{};
    CFont m_font;
    COLORREF m_initialColour = 0;
    COLORREF m_selectedColour = 0;
    CToolTipCtrl m_toolTip;
    CWnd* m_pOwner = nullptr;
    PaletteLayout m_layout;
    bool m_bOwnedByWindow = false;
    bool m_bLettingGo = false;  // the popup itself has released the capture
};
