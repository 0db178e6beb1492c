// CWnd: a C++ object bound to one window. The binding is made before the
// window's first message (a CBT hook during creation, or subclassing of an
// existing control) and undone at WM_NCDESTROY. Each class dispatches its
// messages in one place, its WindowProc override, and hands everything it
// does not handle to the base class.
#pragma once
#include "framework/Win.h"
#include "framework/CString.h"

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The object bound to hwnd, or null when the window is not one of ours.
    static CWnd* FromHandle(HWND hwnd);

    BOOL CreateEx(DWORD exStyle, LPCWSTR className, const CString& windowName, DWORD style,
                  int x, int y, int cx, int cy, HWND parent, HMENU idOrMenu);
    virtual BOOL DestroyWindow();

    // Binds an existing window (a dialog's control) and routes its messages here.
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual void PreSubclassWindow() {}

    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::SendMessageW(m_hWnd, msg, wp, lp); }
    BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::PostMessageW(m_hWnd, msg, wp, lp); }
    BOOL ShowWindow(int cmd) const { return ::ShowWindow(m_hWnd, cmd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) const {
        return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
    }
    BOOL MoveWindow(const RECT& rc, BOOL repaint = TRUE) const {
        return ::MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, repaint);
    }
    void GetWindowRect(RECT* rc) const { ::GetWindowRect(m_hWnd, rc); }
    void GetClientRect(RECT* rc) const { ::GetClientRect(m_hWnd, rc); }
    BOOL RedrawWindow(const RECT* rc, HRGN rgn, UINT flags) const { return ::RedrawWindow(m_hWnd, rc, rgn, flags); }
    void Invalidate(BOOL erase = TRUE) const { ::InvalidateRect(m_hWnd, nullptr, erase); }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) const { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
    BOOL KillTimer(UINT_PTR id) const { return ::KillTimer(m_hWnd, id); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    HWND GetParentHwnd() const { return ::GetParent(m_hWnd); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    void SetWindowText(const CString& text) const;
    CString GetWindowText() const;
    BOOL EnableWindow(BOOL enable = TRUE) const { return ::EnableWindow(m_hWnd, enable); }
    void SetFocus() const { ::SetFocus(m_hWnd); }
    void SetCapture() const { ::SetCapture(m_hWnd); }

    // Routes messages to the object; installed as the window procedure.
    static LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    // Offers msg to the windows from its target up through the parents and
    // owners, as a modal loop does before dispatching.
    static BOOL WalkPreTranslateTree(MSG* msg);

protected:
    // The class's message dispatch. Unhandled messages go to the base class.
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // WM_COMMAND that no child took by reflection; TRUE when handled.
    virtual BOOL OnCommand(WPARAM wp, LPARAM lp);
    // A notification of this control reflected back by its parent
    // (WM_COMMAND, WM_DRAWITEM). TRUE, with *result set, when handled.
    virtual BOOL OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    // After the window is gone; self-deleting windows delete themselves here.
    virtual void PostNcDestroy() {}
    // The window's own processing for the message being handled.
    LRESULT Default();
    LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp);

    // Binds the next window this thread creates to this object.
    void HookWindowCreate();
    // Undoes that binding when the creation failed.
    void ForgetRefusedWindow();
    static bool UnhookWindowCreate();

private:
    friend struct WndHook;
    void Attach(HWND hwnd);
    void Detach();
    WNDPROC m_pfnSuper = nullptr;
    struct CurrentMessage { UINT msg; WPARAM wp; LPARAM lp; };
    CurrentMessage m_current{};
};

// Registers (once) a window class with the default window procedure and
// returns its name; windows of it are bound to objects through CreateEx.
LPCWSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                            HICON icon = nullptr);
