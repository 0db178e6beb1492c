// CButton: a push button whose owner-draw and click notifications come back
// to its own object by reflection.
#pragma once
#include "framework/Wnd.h"

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int state) const { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }
    virtual void DrawItem(LPDRAWITEMSTRUCT) {}

protected:
    // A click or other notification reflected from the parent; TRUE stops
    // the parent from handling it as well.
    virtual BOOL OnReflectedCommand(UINT /*code*/) { return FALSE; }
    BOOL OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
};
