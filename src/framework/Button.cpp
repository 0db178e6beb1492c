#include "framework/Button.h"

BOOL CButton::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    if (msg == WM_DRAWITEM) {
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lp));
        *result = TRUE;
        return TRUE;
    }
    if (msg == WM_COMMAND && OnReflectedCommand(HIWORD(wp))) {
        *result = 0;
        return TRUE;
    }
    return FALSE;
}
