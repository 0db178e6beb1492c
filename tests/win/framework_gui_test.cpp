// The framework layer's own contracts: binding a window to its object,
// reflection of notifications to the control's object, self-deleting
// windows, and a refused creation leaving nothing bound.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "framework/Afx.h"

namespace {

class Recorder : public CWnd {
public:
    int commands = 0;
    int created = 0;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_CREATE) ++created;
        return CWnd::WindowProc(msg, wp, lp);
    }
    BOOL OnCommand(WPARAM, LPARAM) override {
        ++commands;
        return TRUE;
    }
};

class ClickTaker : public CButton {
public:
    bool take = true;
    int clicks = 0;

protected:
    BOOL OnReflectedCommand(UINT code) override {
        if (code == BN_CLICKED) ++clicks;
        return take;
    }
};

class SelfDeleting : public CWnd {
public:
    explicit SelfDeleting(bool* gone) : m_gone(gone) {}
    ~SelfDeleting() override { *m_gone = true; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_KEYDOWN) {
            DestroyWindow();  // the object goes while its handler is on the stack
            return 0;
        }
        return CWnd::WindowProc(msg, wp, lp);
    }
    void PostNcDestroy() override { delete this; }

private:
    bool* m_gone;
};

LRESULT CALLBACK RefuseCreation(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND) return 1;
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

LPCWSTR PlainClass() { return AfxRegisterWndClass(0, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)); }

}  // namespace

TEST(Framework, ObjectIsBoundBeforeTheFirstMessageAndReleasedAfterTheLast) {
    Recorder wnd;
    ASSERT_TRUE(wnd.CreateEx(0, PlainClass(), "x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(wnd.created, 1) << "WM_CREATE reached the object";
    EXPECT_EQ(CWnd::FromHandle(wnd.m_hWnd), &wnd);
    HWND hwnd = wnd.m_hWnd;
    wnd.DestroyWindow();
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
}

TEST(Framework, NotificationsGoToTheControlFirst) {
    Recorder parent;
    ASSERT_TRUE(parent.CreateEx(0, PlainClass(), "parent", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr));
    HWND button = ::CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | BS_PUSHBUTTON, 0, 0, 50, 20, parent.m_hWnd,
                                    reinterpret_cast<HMENU>(7), nullptr, nullptr);
    ClickTaker taker;
    ASSERT_TRUE(taker.SubclassWindow(button));
    const WPARAM clicked = MAKEWPARAM(7, BN_CLICKED);
    parent.SendMessage(WM_COMMAND, clicked, reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(taker.clicks, 1);
    EXPECT_EQ(parent.commands, 0) << "a reflected notification the control took is not the parent's";
    taker.take = false;
    parent.SendMessage(WM_COMMAND, clicked, reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(taker.clicks, 2);
    EXPECT_EQ(parent.commands, 1);
    parent.DestroyWindow();
    EXPECT_EQ(taker.m_hWnd, nullptr) << "the child's binding ends with its window";
}

TEST(Framework, AWindowMayDeleteItselfInsideItsOwnHandler) {
    bool gone = false;
    auto* wnd = new SelfDeleting(&gone);
    ASSERT_TRUE(wnd->CreateEx(0, PlainClass(), "self", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    HWND hwnd = wnd->m_hWnd;
    ::SendMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(gone);
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(Framework, ARefusedCreationLeavesNothingBound) {
    HHOOK hook = ::SetWindowsHookExW(WH_CBT, &RefuseCreation, nullptr, ::GetCurrentThreadId());
    ASSERT_TRUE(hook);
    Recorder wnd;
    EXPECT_FALSE(wnd.CreateEx(0, PlainClass(), "no", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    ::UnhookWindowsHookEx(hook);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    // The object can be used again afterwards.
    EXPECT_TRUE(wnd.CreateEx(0, PlainClass(), "yes", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    wnd.DestroyWindow();
}

TEST(Framework, ModelessDialogEndsByHiding) {
    CDialog dlg(129);
    ASSERT_TRUE(dlg.Create(129, nullptr));
    dlg.ShowWindow(SW_SHOWNOACTIVATE);
    dlg.EndDialog(IDCANCEL);
    EXPECT_TRUE(::IsWindow(dlg.m_hWnd)) << "a modeless dialog is hidden, not destroyed";
    EXPECT_FALSE(dlg.IsWindowVisible());
}
