#include "board/ScreenWatch.h"

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(monitor, &info)) return TRUE;
    const RECT& r = info.rcMonitor;
    reinterpret_cast<std::vector<screens::Monitor>*>(list)->push_back(
        screens::Monitor{screens::Rect{r.left, r.top, r.right, r.bottom}, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    return TRUE;
}

}  // namespace

std::vector<screens::Monitor> SystemMonitors() {
    std::vector<screens::Monitor> list;
    if (!::EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&list))) list.clear();
    return list;
}

screens::Rect WindowRect(HWND hwnd) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return screens::Rect{r.left, r.top, r.right, r.bottom};
}

ScreenWatch::Result ScreenWatch::Check(HWND board) {
    // A board hidden with its minimised owner comes back with the owner.
    const HWND owner = ::GetWindow(board, GW_OWNER);
    const bool mayShow = !owner || !::IsIconic(owner);
    const screens::Watch::Step step =
        m_watch.Check(SystemMonitors(), WindowRect(board), ::IsWindowVisible(board) != FALSE, mayShow);
    switch (step.action) {
    case screens::Watch::Action::Hide:
        ::ShowWindow(board, SW_HIDE);
        return Result::Hidden;
    case screens::Watch::Action::Return:
        ::SetWindowPos(board, nullptr, step.to.left, step.to.top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        return Result::Returned;
    case screens::Watch::Action::None:
        break;
    }
    return Result::Nothing;
}
