#include "app/BoardApp.h"

#include "app/FolderCheck.h"
#include "app/SettingsDialog.h"
#include "core/PathText.h"
#include "framework/GdiPlus.h"

BoardApp::BoardApp() : CWinApp(nullptr) {}

BOOL BoardApp::InitInstance() {
    Gdiplus::GdiplusStartupInput input;  // version 1, no callback, background thread and codecs on
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &input, nullptr);
    AfxEnableControlContainer();
    Enable3dControls();
    // Without its files the board would show empty tables and lose every
    // setting at close: say so and stop instead.
    if (!ProgramFolderUsable(ProgramFolder())) return FALSE;
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
