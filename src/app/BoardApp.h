// The application object: GDI+ up, the settings dialog modal for the
// program's whole life, GDI+ down.
#pragma once
#include "framework/Afx.h"

class BoardApp : public CWinApp {
public:
    BoardApp();
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    ULONG_PTR m_gdiplusToken = 0;
};
