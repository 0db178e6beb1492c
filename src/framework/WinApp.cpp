#include "framework/WinApp.h"

#include <commctrl.h>

#include "framework/Text.h"

namespace {
CWinApp* g_app = nullptr;

CString ModuleBaseName() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring full(path, n);
    size_t slash = full.find_last_of(L"\\/");
    std::wstring base = slash == std::wstring::npos ? full : full.substr(slash + 1);
    size_t dot = base.find_last_of(L'.');
    if (dot != std::wstring::npos) base.resize(dot);
    return Narrow(base);
}
}  // namespace

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName) { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

int CWinApp::Run() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!CWnd::WalkPreTranslateTree(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    m_exitCode = static_cast<int>(msg.wParam);
    return ExitInstance();
}

CWinApp* AfxGetApp() { return g_app; }

HINSTANCE AfxGetInstanceHandle() { return ::GetModuleHandleW(nullptr); }

HINSTANCE AfxGetResourceHandle() { return ::GetModuleHandleW(nullptr); }

int AfxWinMain(HINSTANCE instance) {
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    app->m_hInstance = instance;
    if (app->m_pszAppName.IsEmpty()) app->m_pszAppName = ModuleBaseName();
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    if (!app->InitInstance()) return app->ExitInstance();
    return app->Run();
}

int AfxMessageBox(const CString& text, UINT type) {
    CWinApp* app = AfxGetApp();
    CString caption = app ? app->m_pszAppName : CString();
    if (caption.IsEmpty()) caption = ModuleBaseName();
    HWND owner = nullptr;
    if (app && app->m_pMainWnd && app->m_pMainWnd->m_hWnd && ::IsWindow(app->m_pMainWnd->m_hWnd)) {
        owner = app->m_pMainWnd->m_hWnd;
    }
    return ::MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), type);
}

void AfxEnableControlContainer() {}

BOOL Enable3dControls() { return TRUE; }
