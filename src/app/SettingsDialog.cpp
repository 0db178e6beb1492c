#include "app/SettingsDialog.h"

#include "app/Globals.h"
#include "core/Core.h"

SettingsDialog::SettingsDialog(CWnd* parent) : CDialog(IDD_SETTINGS, parent) {
    m_hIcon = ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

SettingsDialog::~SettingsDialog() {
    if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

void SettingsDialog::DoDataExchange(CDataExchange* dx) { CDialog::DoDataExchange(dx); }

BOOL SettingsDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    m_core = std::make_unique<CCore>();
    g_core = m_core.get();
    LoadSettings();
    return TRUE;
}

void SettingsDialog::LoadSettings() {
    g_core->autoFileConfig();
    g_appPath = g_core->getAppPath();
    g_roomRatePath = g_appPath + "_房价.txt";
    g_exchangeRatePath = g_appPath + "_外币兑换.txt";
    g_fontName = "黑体";
    g_screenCx = ::GetSystemMetrics(SM_CXSCREEN);
    g_screenCy = ::GetSystemMetrics(SM_CYSCREEN);
    g_width = g_core->getConfigInt("width");
    g_height = g_core->getConfigInt("height");
    g_clrFont = g_core->getConfigClr("clrfont");
    g_clrBg = g_core->getConfigClr("clrbg");
    g_clrDigi = g_core->getConfigClr("clrdigi");
    g_outputOn = g_core->getConfigB("on");
    ::SendDlgItemMessageW(m_hWnd, IDC_OUTPUT_ON, BM_SETCHECK, static_cast<WPARAM>(g_outputOn), 0);
    SetDlgItemText(IDC_BOARD_WIDTH, g_core->getStrInt(g_width));
    SetDlgItemText(IDC_BOARD_HEIGHT, g_core->getStrInt(g_height));
}

BOOL SettingsDialog::CollectSettings(BOOL /*validate*/) {
    g_outputOn = static_cast<BOOL>(::SendDlgItemMessageW(m_hWnd, IDC_OUTPUT_ON, BM_GETCHECK, 0, 0));
    g_width = static_cast<int>(GetDlgItemInt(IDC_BOARD_WIDTH, nullptr, TRUE));
    g_height = static_cast<int>(GetDlgItemInt(IDC_BOARD_HEIGHT, nullptr, TRUE));
    return TRUE;
}

void SettingsDialog::ApplyOutput() {}

void SettingsDialog::SaveSettings() {
    CollectSettings(FALSE);
    g_core->saveConfigB("on", g_outputOn);
    g_core->saveConfigInt("width", g_width);
    g_core->saveConfigInt("height", g_height);
    g_core->saveConfigClr("clrfont", g_clrFont);
    g_core->saveConfigClr("clrbg", g_clrBg);
    g_core->saveConfigClr("clrdigi", g_clrDigi);
}

void SettingsDialog::OnDestroy() {
    Default();
    if (!g_core) return;
    SaveSettings();
    g_core = nullptr;
    m_core.reset();
}

BOOL SettingsDialog::OnCommand(WPARAM wp, LPARAM lp) { return CDialog::OnCommand(wp, lp); }

LRESULT SettingsDialog::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        return CDialog::WindowProc(msg, wp, lp);
    }
}
