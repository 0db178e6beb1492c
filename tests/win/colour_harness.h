// Windows and input for the colour picker tests: a parent window that
// records the picker notifications it receives, real mouse input through
// SendInput, and a search for the open palette.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <cstring>
#include <iterator>
#include <vector>

#include "TestSupport.h"
#include "controls/ColourPicker.h"
#include "controls/ColourPopup.h"
#include "framework/Afx.h"

#include <colordlg.h>
#include <commctrl.h>

namespace colourtest {

struct Note {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
    COLORREF pickerColour;  // the watched picker's GetColour while the note arrived
};

// Records every CLRN_* message; everything else takes the usual path
// (including the reflection of WM_COMMAND and WM_DRAWITEM to the picker).
class Recorder : public CWnd {
public:
    BOOL CreateTop(int x, int y, int cx, int cy) {
        LPCWSTR cls = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW),
                                          reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
        return CreateEx(0, cls, CString("colour test"), WS_POPUP | WS_VISIBLE | WS_BORDER, x, y, cx, cy, nullptr,
                        nullptr);
    }
    BOOL CreateChild(CWnd* parent, int x, int y, int cx, int cy, int id) {
        LPCWSTR cls = AfxRegisterWndClass(0, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr);
        return CreateEx(0, cls, CString(""), WS_CHILD | WS_VISIBLE, x, y, cx, cy, parent->m_hWnd,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
    }

    std::vector<Note> notes;
    CXColourPicker* watched = nullptr;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg >= CLRN_SELCHANGE && msg <= CLRN_SELENDCANCEL) {
            notes.push_back(Note{msg, wp, lp, watched ? watched->GetColour() : 0});
            return 1;
        }
        return CWnd::WindowProc(msg, wp, lp);
    }
};

inline std::string Dump(const std::vector<Note>& notes) {
    std::string out;
    char line[80];
    for (const Note& n : notes) {
        std::snprintf(line, sizeof(line), "\n  %u wp=%06lx lp=%08lx colour=%06lx", n.msg,
                      static_cast<unsigned long>(n.wp), static_cast<unsigned long>(n.lp),
                      static_cast<unsigned long>(n.pickerColour));
        out += line;
    }
    return out;
}

// Puts the pointer where no test window is, so that a window appearing
// under it gets no stray hover.
inline void ParkPointer() { ::SetCursorPos(1900, 1060); }

// The palette now holding the capture, or null.
inline ColourPopup* OpenPopup() { return dynamic_cast<ColourPopup*>(CWnd::FromHandle(::GetCapture())); }

inline void Pump(DWORD ms = 60) { testsupport::PumpMessages(ms); }

// Real pointer movement to a screen point: the capture window gets a
// WM_MOUSEMOVE from the input queue.
inline void MouseTo(int x, int y) {
    ::SetCursorPos(x, y);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_MOVE;  // relative 0, 0: a move where the cursor is
    ::SendInput(1, &in, sizeof(in));
    Pump();
}

inline void MouseButton(DWORD flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    ::SendInput(1, &in, sizeof(in));
    Pump();
}

// Moves there (client point of hwnd) and releases the left button.
inline void ReleaseAt(HWND hwnd, int x, int y) {
    POINT p{x, y};
    ::ClientToScreen(hwnd, &p);
    MouseTo(p.x, p.y);
    MouseButton(MOUSEEVENTF_LEFTUP);
}

inline void MoveOver(HWND hwnd, int x, int y) {
    POINT p{x, y};
    ::ClientToScreen(hwnd, &p);
    MouseTo(p.x, p.y);
}

inline void Key(HWND hwnd, UINT vk) {
    ::PostMessageW(hwnd, WM_KEYDOWN, vk, 1);
    Pump();
}

// Ends a palette a failed test left open.
inline void CloseAnyPopup() {
    if (ColourPopup* p = OpenPopup()) {
        ::PostMessageW(p->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
        Pump();
    }
}

// A CBT hook that refuses the palette's window (a visible popup created
// 100 x 100), as when the system is out of window resources.
inline LRESULT CALLBACK RefusePalette(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTW* cs = reinterpret_cast<CBT_CREATEWNDW*>(lp)->lpcs;
        if (static_cast<DWORD>(cs->style) == (WS_POPUP | WS_VISIBLE) && cs->cx == 100 && cs->cy == 100) return 1;
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

// ---- The system colour dialog, driven from a timer ----------------------------

// Presses through the system colour dialog from a thread timer (it runs
// in the dialog's own modal loop); set popup before the dialog opens.
struct DialogScript {
    HWND popup = nullptr;
    bool pressOk = true;
    int runs = 0;
    COLORREF initialShown = 0xFFFFFFFF;
    UINT_PTR timer = 0;
};
inline DialogScript g_dialogScript;

inline BOOL CALLBACK FindColourDialog(HWND hwnd, LPARAM out) {
    wchar_t cls[16] = {};
    ::GetClassNameW(hwnd, cls, 16);
    if (std::wcscmp(cls, L"#32770") == 0 && ::IsWindowVisible(hwnd) && ::GetWindow(hwnd, GW_OWNER) == g_dialogScript.popup) {
        *reinterpret_cast<HWND*>(out) = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Runs inside the dialog's own modal loop: reads the colour it opened with,
// makes (10, 20, 30) the current colour and a custom colour, then presses
// OK or Cancel.
inline void CALLBACK DriveColourDialog(HWND, UINT, UINT_PTR, DWORD) {
    HWND dlg = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindColourDialog, reinterpret_cast<LPARAM>(&dlg));
    if (!dlg) return;
    ++g_dialogScript.runs;
    g_dialogScript.initialShown = RGB(::GetDlgItemInt(dlg, COLOR_RED, nullptr, FALSE),
                                ::GetDlgItemInt(dlg, COLOR_GREEN, nullptr, FALSE),
                                ::GetDlgItemInt(dlg, COLOR_BLUE, nullptr, FALSE));
    ::SetDlgItemInt(dlg, COLOR_RED, 10, FALSE);
    ::SetDlgItemInt(dlg, COLOR_GREEN, 20, FALSE);
    ::SetDlgItemInt(dlg, COLOR_BLUE, 30, FALSE);
    ::SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(COLOR_ADD, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dlg, COLOR_ADD)));
    ::PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(g_dialogScript.pressOk ? IDOK : IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dlg, g_dialogScript.pressOk ? IDOK : IDCANCEL)));
}

constexpr COLORREF Rgb(int r, int g, int b) { return RGB(r, g, b); }

}  // namespace colourtest
