// CWinApp: the process's application object. The program's WinMain hands
// control to AfxWinMain, which runs InitInstance and then ExitInstance.
#pragma once
#include "framework/Wnd.h"

class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return m_exitCode; }
    // The application's own loop, used only when InitInstance returns TRUE.
    virtual int Run();
    void OnHelp() {}

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    CString m_pszAppName;  // caption of the framework's message boxes
    int m_exitCode = 0;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
int AfxWinMain(HINSTANCE instance);
// A message box with the application name as caption.
int AfxMessageBox(const CString& text, UINT type = MB_OK);
void AfxEnableControlContainer();
BOOL Enable3dControls();
