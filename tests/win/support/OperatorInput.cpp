#include "support/OperatorInput.h"

#include <tlhelp32.h>

#include <cwctype>

#include "framework/Handles.h"

namespace testsupport {
namespace {

// Each synthetic input is given time to reach the other process's queue and
// be handled before the next one follows, as a hand's movements would be.
constexpr DWORD kInputSettleMs = 60;

void Send(DWORD flags, LONG dx = 0, LONG dy = 0) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = dx;
    in.mi.dy = dy;
    in.mi.dwFlags = flags;
    ::SendInput(1, &in, sizeof in);
    ::Sleep(kInputSettleMs);
}

// Absolute coordinates of SendInput: 0 … 65535 across the primary screen;
// the system maps n back to n x extent / 65536 truncated, so round up.
LONG Normalised(int v, int extent) {
    return static_cast<LONG>((static_cast<long long>(v) * 65536 + extent - 1) / extent);
}

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

struct PopupSearch {
    DWORD pid;
    HWND owner;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectPopup(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<PopupSearch*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid || !::IsWindowVisible(hwnd) || ::GetWindow(hwnd, GW_OWNER) != s->owner) return TRUE;
    wchar_t cls[64] = {};
    ::GetClassNameW(hwnd, cls, 64);
    const std::wstring name = Lower(cls);
    if (name != L"#32770" && name != L"tooltips_class32") s->found.push_back(hwnd);
    return TRUE;
}

}  // namespace

void MouseMoveTo(int x, int y) {
    ::SetCursorPos(x, y);
    Send(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, Normalised(x, ::GetSystemMetrics(SM_CXSCREEN)),
         Normalised(y, ::GetSystemMetrics(SM_CYSCREEN)));
}

void MouseDown() { Send(MOUSEEVENTF_LEFTDOWN); }

void MouseUp() { Send(MOUSEEVENTF_LEFTUP); }

void MouseDrag(POINT from, POINT to, int steps) {
    MouseMoveTo(from.x, from.y);
    MouseDown();
    for (int i = 1; i <= steps; ++i) {
        MouseMoveTo(from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps);
    }
    MouseUp();
}

void MouseClickAt(int x, int y) {
    MouseMoveTo(x, y);
    MouseDown();
    MouseUp();
}

HWND FocusOfThreadOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

std::vector<HWND> OwnedPopups(DWORD pid, HWND owner) {
    PopupSearch search{pid, owner, {}};
    ::EnumWindows(&CollectPopup, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int ProcessesNamed(const std::wstring& exeName) {
    UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) {
        snapshot.release();
        return -1;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
        if (Lower(entry.szExeFile) == Lower(exeName)) ++count;
    }
    return count;
}

POINT CentreOf(const RECT& rc) { return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}; }

}  // namespace testsupport
