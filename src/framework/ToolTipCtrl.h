// CToolTipCtrl: a tooltip control; tools are rectangles of a window, told
// apart by their rectangles, and the owner relays its mouse messages.
#pragma once
#include "framework/Wnd.h"

class CToolTipCtrl : public CWnd {
public:
    // A tooltip window (WS_POPUP | style) owned by parent.
    BOOL Create(CWnd* parent, DWORD style = 0);
    // A tool over rect (client coordinates of wnd); the control keeps its own
    // copy of the text.
    BOOL AddTool(CWnd* wnd, const CString& text, const RECT* rect, UINT_PTR toolId);
    int GetToolCount() const;
    void RelayEvent(MSG* msg) const;
};
