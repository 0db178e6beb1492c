#include "app/BoardApp.h"

#include "app/SettingsDialog.h"
#include "framework/GdiPlus.h"

BoardApp::BoardApp() : CWinApp(nullptr) {}

BOOL BoardApp::InitInstance() {
    Gdiplus::GdiplusStartupInput input;  // version 1, no callback, background thread and codecs on
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &input, nullptr);
    AfxEnableControlContainer();
    Enable3dControls();
    {
        SettingsDialog dialog;
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
    }
    // FALSE: no message loop of the application's own; go to ExitInstance.
    return FALSE;
}

int BoardApp::ExitInstance() {
    Gdiplus::GdiplusShutdown(m_gdiplusToken);
    return CWinApp::ExitInstance();
}
