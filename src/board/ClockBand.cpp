#include "board/ClockBand.h"

bool ClockBand::Create(HWND board) {
    m_board = board;
    LPCWSTR cls = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW));
    // Owned by the board: above it whatever comes to the top, gone with it.
    return CreateEx(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, cls, CString(""), WS_POPUP, 0, 0, 0, 0, board,
                    nullptr) != FALSE;
}

void ClockBand::Follow() {
    if (!m_hWnd || !m_board) return;
    RECT board{}, band{};
    ::GetWindowRect(m_board, &board);
    ::GetWindowRect(m_hWnd, &band);
    const bool show = ::IsWindowVisible(m_board) && !::IsRectEmpty(&m_area);
    const bool shown = ::IsWindowVisible(m_hWnd) != FALSE;
    const POINT at{board.left + m_area.left, board.top + m_area.top};
    if (show == shown && at.x == band.left && at.y == band.top) return;
    UINT flags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    if (show != shown) flags |= show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
    ::SetWindowPos(m_hWnd, nullptr, at.x, at.y, 0, 0, flags);
}

LRESULT ClockBand::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_LBUTTONDOWN: {
        // As a press on the board: the board active (Esc or Enter then hide
        // it, as after a click on the board) and dragged from here.
        POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        ::MapWindowPoints(m_hWnd, m_board, &at, 1);
        ::SetForegroundWindow(m_board);
        ::SendMessageW(m_board, WM_LBUTTONDOWN, wp, MAKELPARAM(at.x, at.y));
        return 0;
    }
    default:
        return CWnd::WindowProc(msg, wp, lp);
    }
}
