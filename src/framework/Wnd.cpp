#include "framework/Wnd.h"

#include <map>
#include <string>
#include <tuple>

#include "framework/Text.h"

namespace {
const wchar_t kObjectProp[] = L"RateBoard.CWnd";
thread_local CWnd* t_windowBeingCreated = nullptr;
thread_local HHOOK t_createHook = nullptr;
}  // namespace

struct WndHook {
    static LRESULT CALLBACK CbtProc(int code, WPARAM wp, LPARAM lp) {
        if (code == HCBT_CREATEWND && t_windowBeingCreated) {
            CWnd* wnd = t_windowBeingCreated;
            t_windowBeingCreated = nullptr;
            HWND hwnd = reinterpret_cast<HWND>(wp);
            wnd->Attach(hwnd);
            wnd->m_pfnSuper = reinterpret_cast<WNDPROC>(
                ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::AfxWndProc)));
        }
        return ::CallNextHookEx(t_createHook, code, wp, lp);
    }
};

CWnd::~CWnd() {
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        ::DestroyWindow(m_hWnd);
    }
    if (m_hWnd) Detach();
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    return static_cast<CWnd*>(::GetPropW(hwnd, kObjectProp));
}

void CWnd::Attach(HWND hwnd) {
    m_hWnd = hwnd;
    ::SetPropW(hwnd, kObjectProp, this);
}

void CWnd::Detach() {
    if (m_hWnd) ::RemovePropW(m_hWnd, kObjectProp);
    m_hWnd = nullptr;
}

void CWnd::HookWindowCreate() {
    t_windowBeingCreated = this;
    if (!t_createHook) {
        t_createHook = ::SetWindowsHookExW(WH_CBT, &WndHook::CbtProc, nullptr, ::GetCurrentThreadId());
    }
}

bool CWnd::UnhookWindowCreate() {
    if (t_createHook) {
        ::UnhookWindowsHookEx(t_createHook);
        t_createHook = nullptr;
    }
    bool bound = t_windowBeingCreated == nullptr;
    t_windowBeingCreated = nullptr;
    return bound;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, const CString& windowName, DWORD style,
                    int x, int y, int cx, int cy, HWND parent, HMENU idOrMenu) {
    HookWindowCreate();
    HWND hwnd = ::CreateWindowExW(exStyle, className, Widen(windowName).c_str(), style, x, y, cx, cy,
                                  parent, idOrMenu, ::GetModuleHandleW(nullptr), nullptr);
    UnhookWindowCreate();
    if (!hwnd) ForgetRefusedWindow();
    return hwnd != nullptr;
}

void CWnd::ForgetRefusedWindow() {
    // Bound when creation began, then refused (a hook or WM_NCCREATE said
    // no): that window never existed for us and sends no WM_NCDESTROY.
    if (!m_hWnd) return;
    m_pfnSuper = nullptr;
    Detach();
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (!hwnd || m_hWnd || FromHandle(hwnd)) return FALSE;
    Attach(hwnd);
    PreSubclassWindow();
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::AfxWndProc)));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    if (!parent || !parent->m_hWnd) return FALSE;
    return SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow() {
    HWND hwnd = m_hWnd;
    if (!hwnd) return nullptr;
    if (m_pfnSuper) ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    Detach();
    return hwnd;
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
    DWORD style = GetStyle();
    DWORD newStyle = (style & ~remove) | add;
    if (style == newStyle) return FALSE;
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(newStyle));
    if (swpFlags) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    }
    return TRUE;
}

void CWnd::SetWindowText(const CString& text) const { ::SetWindowTextW(m_hWnd, Widen(text).c_str()); }

CString CWnd::GetWindowText() const {
    int length = ::GetWindowTextLengthW(m_hWnd);
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    int got = ::GetWindowTextW(m_hWnd, &buffer[0], length + 1);
    return Narrow(buffer.c_str(), got);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::WalkPreTranslateTree(MSG* msg) {
    // Parents and owners, innermost first; a window may be destroyed by a
    // handler on the way, so each step looks the object up again.
    for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
        CWnd* wnd = FromHandle(hwnd);
        if (wnd && wnd->PreTranslateMessage(msg)) return TRUE;
        if (!::IsWindow(hwnd)) break;
    }
    return FALSE;
}

LRESULT CWnd::Default() { return DefWindowProc(m_current.msg, m_current.wp, m_current.lp); }

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (m_pfnSuper) return ::CallWindowProcW(m_pfnSuper, m_hWnd, msg, wp, lp);
    return ::DefWindowProcW(m_hWnd, msg, wp, lp);
}

BOOL CWnd::OnCommand(WPARAM, LPARAM) { return FALSE; }

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND: {
        // Notifications go to the control's own object first (reflection).
        CWnd* child = FromHandle(reinterpret_cast<HWND>(lp));
        LRESULT result = 0;
        if (lp && child && child != this && child->OnChildNotify(msg, wp, lp, &result)) return result;
        if (OnCommand(wp, lp)) return 0;
        break;
    }
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        CWnd* child = dis && dis->CtlType != ODT_MENU ? FromHandle(dis->hwndItem) : nullptr;
        LRESULT result = 0;
        if (child && child != this && child->OnChildNotify(msg, wp, lp, &result)) return TRUE;
        break;
    }
    default:
        break;
    }
    return Default();
}

LRESULT CALLBACK CWnd::AfxWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CWnd* wnd = FromHandle(hwnd);
    if (!wnd) return ::DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        LRESULT result = wnd->DefWindowProc(msg, wp, lp);
        if (wnd->m_pfnSuper) {
            ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(wnd->m_pfnSuper));
        }
        wnd->m_pfnSuper = nullptr;
        wnd->Detach();
        wnd->PostNcDestroy();
        return result;
    }
    CurrentMessage saved = wnd->m_current;
    wnd->m_current = CurrentMessage{msg, wp, lp};
    LRESULT result = wnd->WindowProc(msg, wp, lp);
    // A handler may have destroyed the window, and a self-deleting object
    // with it: touch the object only while it is still bound.
    if (FromHandle(hwnd) == wnd) wnd->m_current = saved;
    return result;
}

LPCWSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    static std::map<std::tuple<UINT, HCURSOR, HBRUSH, HICON>, std::wstring> registered;
    auto key = std::make_tuple(classStyle, cursor, background, icon);
    auto it = registered.find(key);
    if (it != registered.end()) return it->second.c_str();
    std::wstring name = L"RateBoard:" + std::to_wstring(registered.size());
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = classStyle;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name.c_str();
    ::RegisterClassExW(&wc);
    return registered.emplace(key, std::move(name)).first->second.c_str();
}
