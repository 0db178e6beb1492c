#include "framework/ToolTipCtrl.h"

#include <commctrl.h>

#include <string>

#include "framework/Text.h"

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    return CreateEx(0, TOOLTIPS_CLASSW, CString(), WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, parent ? parent->GetSafeHwnd() : nullptr, nullptr);
}

BOOL CToolTipCtrl::AddTool(CWnd* wnd, const CString& text, const RECT* rect, UINT_PTR toolId) {
    if (!m_hWnd || !wnd) return FALSE;
    std::wstring wide = Widen(text);
    TTTOOLINFOW info{};
    // The version-5 record: older controls refuse the larger one.
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = wnd->GetSafeHwnd();
    info.uId = toolId;
    if (rect) info.rect = *rect;
    info.hinst = nullptr;
    info.lpszText = &wide[0];
    return SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) ? TRUE : FALSE;
}

int CToolTipCtrl::GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }

void CToolTipCtrl::RelayEvent(MSG* msg) const {
    if (m_hWnd) SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
}
